#include "figures/PenLine.h"

#include "figures/FigureFamily.h"
#include "figures/FigureKit.h"
#include "figures/FigureSet.h"
#include "figures/MltLine.h"
#include "foundation/StreamError.h"
#include "foundation/ValueStream.h"

#include <algorithm>
#include <cmath>

namespace {

// Samples closer than this (logical units) to the last one are dropped.
constexpr double kMinSampleGap = 4;
// More visible strokes than this paint a solid band anyway.
constexpr std::int64_t kMaxVisibleStrokes = 100000;

}  // namespace

PLANDECK_DEFINE_ABSTRACT_CLASS(TCustomPenLine, TCustomFigure)

TCustomPenLine::TCustomPenLine(TMyPersistent* AOwner) : TCustomFigure(AOwner), FJd(Pi / 2) {
  FClassNameDescription = "自由曲线";
}

void TCustomPenLine::ReadData(TReader& Reader) {
  TCustomFigure::ReadData(Reader);
  FPoints.clear();
  const std::int32_t n = Reader.ReadInteger();
  if (n < 0) throw EStreamError(StreamMsg::InvalidPropertyValue);
  Reader.CheckCount(n);
  FPoints.reserve(std::size_t(n));
  for (std::int32_t i = 0; i < n; ++i) {
    Tpt p;
    p.x = Reader.ReadFloat();
    p.y = Reader.ReadFloat();
    FPoints.push_back(p);
  }
  FXLine = Reader.ReadBoolean();
  FJd = Reader.ReadFloat();
  FLength1 = Reader.ReadFloat();
  FLength2 = Reader.ReadFloat();
  FGap = Reader.ReadFloat();
}

void TCustomPenLine::WriteData(TWriter& Writer) {
  TCustomFigure::WriteData(Writer);
  Writer.WriteInteger(std::int32_t(FPoints.size()));
  for (Tpt p : FPoints) {
    Writer.WriteFloat(p.x);
    Writer.WriteFloat(p.y);
  }
  Writer.WriteBoolean(FXLine);
  Writer.WriteFloat(FJd);
  Writer.WriteFloat(FLength1);
  Writer.WriteFloat(FLength2);
  Writer.WriteFloat(FGap);
}

void TCustomPenLine::AssignTo(TPersistent& Dest) const {
  TCustomFigure::AssignTo(Dest);
  auto* d = dynamic_cast<TCustomPenLine*>(&Dest);
  if (!d) return;
  d->FPoints = FPoints;
  d->FJd = FJd;
  d->FLength1 = FLength1;
  d->FLength2 = FLength2;
  d->FGap = FGap;
  d->FXLine = FXLine;
}

void TCustomPenLine::SetPoint(int Index, Tpt P) {
  if (Index < 0 || std::size_t(Index) >= FPoints.size()) return;
  Change(*this, [&] { FPoints[std::size_t(Index)] = P; });
}

void TCustomPenLine::SetPoints(const std::vector<Tpt>& Points) {
  Change(*this, [&] { FPoints = Points; });
}

double TCustomPenLine::GetZc() const {
  double z = 0;
  for (std::size_t i = 1; i < FPoints.size(); ++i) z += Dist(FPoints[i - 1], FPoints[i]);
  return z;
}

void TCustomPenLine::AddPoint(Tpt P) {
  if (FPoints.empty()) {
    // Stroke sizes are given on the sheet as the line is begun.
    const double s = GetAbsParentScale();
    FLength1 = FLength2 = FGap = 10 / s;
  } else {
    const Tpt last = FPoints.back();
    const Tpt l = xyTransLogPt(last.x, last.y);
    if (std::hypot(P.x - l.x, P.y - l.y) < kMinSampleGap) return;
  }
  const Tpt p = xyTransAbsPt(P.x, P.y);
  Change(*this, [&] { FPoints.push_back(p); });
}

void TCustomPenLine::GetHandle(int Index, TPoint& P) const {
  if (FPoints.empty() || (Index != 1 && Index != 2)) return;
  const Tpt p = Index == 1 ? FPoints.front() : FPoints.back();
  P = ptodp(xyTransLogPt(p.x, p.y));
}

void TCustomPenLine::MoveHandleTo(int Index, TPoint P) {
  // The line grows at the end dragged; dragging never takes points away.
  if (Index == 2) {
    AddPoint(dptop(P));
    return;
  }
  if (Index != 1 || FPoints.empty()) return;
  const Tpt f = FPoints.front();
  const Tpt l = xyTransLogPt(f.x, f.y);
  if (std::hypot(P.x - l.x, P.y - l.y) < kMinSampleGap) return;
  const Tpt p = xyTransAbsPt(P.x, P.y);
  Change(*this, [&] { FPoints.insert(FPoints.begin(), p); });
}

void TCustomPenLine::MoveByOffset(double Dx, double Dy) {
  const Tpt o = xyTransAbsPt(0, 0), q = xyTransAbsPt(Dx, Dy);
  const Tpt d{q.x - o.x, q.y - o.y};
  Change(*this, [&] {
    for (Tpt& p : FPoints) p = Add(p, d);
  });
}

void TCustomPenLine::CalcPositionRect(TRect& Rect) const {
  if (FPoints.empty()) {
    Rect = TRect{};
    return;
  }
  const TLogFrame f = LogFrame();
  double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  for (std::size_t i = 0; i < FPoints.size(); ++i) {
    const Tpt p = f.Map(FPoints[i]);
    if (i == 0) {
      x0 = x1 = p.x;
      y0 = y1 = p.y;
      continue;
    }
    x0 = std::min(x0, p.x);
    y0 = std::min(y0, p.y);
    x1 = std::max(x1, p.x);
    y1 = std::max(y1, p.y);
  }
  const TPoint lo = ptodp({x0, y0}), hi = ptodp({x1, y1});
  Rect = {lo.x, lo.y, hi.x, hi.y};
  double grow = FPen.Width + 1;
  if (FXLine) {
    const double m = f.s * GetScale() * std::max(std::abs(FLength1), std::abs(FLength2));
    if (std::isfinite(m)) grow += std::min(m, 1e6);
  }
  ExpandRect(Rect, int(std::ceil(grow)));
}

void TCustomPenLine::Paint(TShowPlace& ShowPlace) {
  if (FPen.Style == psClear || !ShowPlace.cvs || FPoints.size() < 2) return;
  TCanvas& cv = *ShowPlace.cvs;
  // One path, so a dashed pen's pattern runs on across the short samples.
  const TLogFrame f = LogFrame();
  std::vector<TPoint> pts;
  pts.reserve(FPoints.size());
  for (Tpt p : FPoints) pts.push_back(ptodp(f.Map(p)));
  StrokeStyled(cv, pts.data(), int(pts.size()), FPen.Style);
  if (FXLine) PaintStrokes(cv);
}

void TCustomPenLine::PaintStrokes(TCanvas& Canvas) {
  const double s = GetScale();
  const double g = s * FGap;
  // A spacing that is no distance would never advance (a damaged file).
  if (!(g > 0) || !std::isfinite(g)) return;
  const TLogFrame f = LogFrame();
  const double reach = f.s * s * std::max(std::abs(FLength1), std::abs(FLength2)) + StrokeMargin(Canvas);
  double rest = 0;          // distance since the last stroke
  std::int64_t before = 0;  // strokes of the earlier segments, for the alternation
  std::int64_t drawn = 0;
  for (std::size_t i = 1; i < FPoints.size(); ++i) {
    const Tpt a = FPoints[i - 1], b = FPoints[i];
    const double len = Dist(a, b);
    const double reachTotal = rest + len;
    const double nn = std::floor(reachTotal / g);
    const std::int64_t n = nn > 0 && nn < 9e18 ? std::int64_t(nn) : 0;
    if (n > 0 && len > 0) {
      double u0 = 0, u1 = 0;
      if (VisibleSpan(Canvas, f.Map(a), f.Map(b), reach, u0, u1) && drawn < kMaxVisibleStrokes) {
        const double phi = ppjd(a, b);
        // Stroke k lies at distance k * g - rest from a: only the visible ones.
        const double lo = std::max(1.0, std::floor((u0 * len + rest) / g));
        const double hi = std::min(double(n), std::ceil((u1 * len + rest) / g));
        for (std::int64_t k = std::int64_t(lo); double(k) <= hi && drawn < kMaxVisibleStrokes; ++k, ++drawn) {
          const Tpt base = ttod((double(k) * g - rest) / len, pptobx(a, b));
          // The line's first stroke has FLength1, and the turns run on across vertices.
          const bool first = (before + k - 1) % 2 == 0;
          DrawLine(base, Add(base, Dir(phi + FJd), s * (first ? FLength1 : FLength2)), Canvas);
        }
      }
    }
    before += n;
    rest = reachTotal - double(n) * g;
  }
}

bool TCustomPenLine::Selected(Tpt P, double) const {
  const Tpt p = xyTransAbsPt(P.x, P.y);
  const double show = GetAbsParentScale();
  // pjjbx misses beside a sample whose two segments are level (strictly
  // between neither's ends), and freehand lines are full of them.
  const double t = PickPixels / show;
  for (std::size_t i = 0; i < FPoints.size(); ++i) {
    if (Dist(p, FPoints[i]) < t) return true;
    if (i > 0 && pjjbx(p, pptobx(FPoints[i - 1], FPoints[i]), show)) return true;
  }
  return false;
}

bool TCustomPenLine::HitBounds(double, TDBox& Box) const {
  if (FPoints.empty()) return false;
  const TLogFrame f = LogFrame();
  double maxLen = 0;
  for (std::size_t i = 0; i < FPoints.size(); ++i) {
    const Tpt p = f.Map(FPoints[i]);
    if (i == 0) Box = {p.x, p.y, p.x, p.y};
    Box = {std::min(Box.x0, p.x), std::min(Box.y0, p.y), std::max(Box.x1, p.x), std::max(Box.y1, p.y)};
    if (i > 0) maxLen = std::max(maxLen, Dist(FPoints[i - 1], FPoints[i]));
  }
  // pjjbx reaches PickPixels beside a segment and a sliver past its ends.
  const double r = PickPixels + (std::sqrt(maxLen * EPS / 2 + EPS * EPS) + EPS) * GetAbsParentScale() + 1;
  Box = {Box.x0 - r, Box.y0 - r, Box.x1 + r, Box.y1 + r};
  return std::isfinite(r);
}

void TCustomPenLine::Explode(TCustomFigureSet& Set) {
  Change(*this, [&] {
    for (Tpt& p : FPoints) p = ExplodePoint(p, Set);
    // The strokes keep their size on the sheet.
    FScale *= Set.GetScale();
  });
}

void TCustomPenLine::FigureMirror(TBx Line) {
  for (Tpt& p : FPoints) p = Caldcp(p, Line);
  Modified();
}

bool TCustomPenLine::GetCapturePoint(Tpt& P, TPointLx& Kind, TFigureView* View, TPoint CursorPt,
                                     TPointLxSet KindSet) {
  if (View && View->IsSelected(this)) return false;
  if (KindSet & PointLxBit(plEndPoint))
    for (Tpt p : FPoints)
      if (NearPoint(p, CursorPt, P)) return Kind = plEndPoint, true;
  if (KindSet & PointLxBit(plMidPoint))
    for (std::size_t i = 1; i < FPoints.size(); ++i)
      if (NearPoint(Mid(FPoints[i - 1], FPoints[i]), CursorPt, P)) return Kind = plMidPoint, true;
  if (KindSet & PointLxBit(plNearest))
    for (std::size_t i = 1; i < FPoints.size(); ++i)
      if (PointInLine(dptop(CursorPt), FPoints[i - 1], FPoints[i], P)) return Kind = plNearest, true;
  return false;
}

PLANDECK_DEFINE_CLASS(TPenLine, TCustomPenLine)

std::unique_ptr<TDocItem> TPenLine::Clone() const {
  auto copy = std::make_unique<TPenLine>(FOwner);
  copy->Assign(*this);
  return copy;
}

void RegisterPenLineClasses() {
  RegisterClass(TPenLine::StaticClass());
  RegisterFamily({.Class = &TPenLine::StaticClass(),
                  .Action = "A_PenLine",
                  .Tool = tkPenLine,
                  .PaintIcon = [](TIconSketch& s) { s.Curve({3, 16}, {{7, 4}, {12, 22}, {15, 12}, {17, 6}, {19, 8}, {21, 6}}); },
                  .Ops = FamilyOps<TPenLine>()});
}
