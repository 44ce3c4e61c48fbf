#include "figures/LineFigures.h"

#include "figures/CodeVersion.h"
#include "figures/FigureFamily.h"
#include "figures/LabelFont.h"
#include "figures/LineFigureKit.h"
#include "foundation/StreamError.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

using namespace LineKit;

namespace {

// Only the strokes near the clip box are drawn, so a line's length does not
// decide the work; a damaged spacing still must not make the count overflow,
// and more visible strokes than this would paint a solid band anyway.
constexpr std::int64_t kMaxStrokes = 1'000'000'000'000'000;
constexpr std::int64_t kMaxVisibleStrokes = 100000;

// Strokes the dimension and edge lines draw for a length and a spacing;
// none for a spacing that is not above zero.
std::int64_t StrokeCount(double Length, double Spacing) {
  if (!(Spacing > 0) || !(Length > 0)) return 0;
  const double n = std::nearbyint(Length / Spacing);
  if (!(n > 0)) return 0;
  return n > double(kMaxStrokes) ? kMaxStrokes : std::int64_t(n);
}

double NormAngle(double a) {
  a = std::fmod(a, 2 * Pi);
  return a < 0 ? a + 2 * Pi : a;
}

// The ranges of stroke indices j in [0, N) whose point C + R * Dir(Start +/- j * Step)
// (logical) lies in the canvas's clip box grown by Margin, ascending and disjoint.
std::vector<std::pair<std::int64_t, std::int64_t>> VisibleArcSteps(const TCanvas& Canvas, Tpt C, double R,
                                                                   double Start, double Step, bool Ccw,
                                                                   std::int64_t N, double Margin) {
  std::vector<std::pair<std::int64_t, std::int64_t>> out;
  TRect box;
  if (N <= 0 || !(R > 0) || !(Step > 0) || Canvas.GetClipBox(box) == NULLREGION) return out;
  const double lo[2] = {double(box.Left) - Margin, double(box.Top) - Margin};
  const double hi[2] = {double(box.Right) + Margin, double(box.Bottom) + Margin};
  // Where the circle crosses the box's four lines cuts it into arcs wholly in or out.
  std::vector<double> cuts{0, 2 * Pi};
  for (double v : {lo[0], hi[0]})
    if (std::abs(v - C.x) < R) {
      const double a = std::acos((v - C.x) / R);
      cuts.insert(cuts.end(), {a, 2 * Pi - a});
    }
  for (double v : {lo[1], hi[1]})
    if (std::abs(v - C.y) < R) {
      const double a = std::asin((v - C.y) / R);
      cuts.insert(cuts.end(), {NormAngle(a), NormAngle(Pi - a)});
    }
  std::sort(cuts.begin(), cuts.end());
  for (std::size_t k = 0; k + 1 < cuts.size(); ++k) {
    const double a = cuts[k], b = cuts[k + 1];
    if (!(b > a)) continue;
    const Tpt m = Add(C, Dir((a + b) / 2), R);
    if (m.x < lo[0] || m.x > hi[0] || m.y < lo[1] || m.y > hi[1]) continue;
    const double o = Ccw ? NormAngle(a - Start) : NormAngle(Start - b);
    for (double shift : {-2 * Pi, 0.0, 2 * Pi}) {
      const double from = (o + shift) / Step, to = (o + shift + (b - a)) / Step;
      if (to < 0 || from > double(N)) continue;
      const std::int64_t j0 = std::max<std::int64_t>(0, std::int64_t(std::ceil(from)) - 1);
      const std::int64_t j1 = std::min<std::int64_t>(N - 1, std::int64_t(std::floor(to)) + 1);
      if (j0 <= j1) out.push_back({j0, j1});
    }
  }
  std::sort(out.begin(), out.end());
  std::vector<std::pair<std::int64_t, std::int64_t>> merged;
  for (auto r : out) {
    if (!merged.empty() && r.first <= merged.back().second + 1)
      merged.back().second = std::max(merged.back().second, r.second);
    else
      merged.push_back(r);
  }
  return merged;
}

}  // namespace

// ---- edge line

PLANDECK_DEFINE_ABSTRACT_CLASS(TCustomConstructionLine, TCustomFigure)

TCustomConstructionLine::TCustomConstructionLine(TMyPersistent* AOwner) : TCustomFigure(AOwner), FJd(Pi / 4) {
  FClassNameDescription = "边缘线";
}

void TCustomConstructionLine::ReadData(TReader& Reader) {
  TCustomFigure::ReadData(Reader);
  ReadPt(Reader, FQd);
  ReadPt(Reader, FZd);
  FJd = Reader.ReadFloat();
  FLength1 = Reader.ReadFloat();
  FLength2 = Reader.ReadFloat();
  FGap = Reader.ReadFloat();
  ReadPt(Reader, FYx);
  FBj = Reader.ReadFloat();
  FLx = Reader.ReadInteger() == blArc ? blArc : blLine;
  FDirection = Reader.ReadInteger();
}

void TCustomConstructionLine::WriteData(TWriter& Writer) {
  TCustomFigure::WriteData(Writer);
  WritePt(Writer, FQd);
  WritePt(Writer, FZd);
  Writer.WriteFloat(FJd);
  Writer.WriteFloat(FLength1);
  Writer.WriteFloat(FLength2);
  Writer.WriteFloat(FGap);
  WritePt(Writer, FYx);
  Writer.WriteFloat(FBj);
  Writer.WriteInteger(FLx);
  Writer.WriteInteger(FDirection);
}

void TCustomConstructionLine::AssignTo(TPersistent& Dest) const {
  TCustomFigure::AssignTo(Dest);
  auto* d = dynamic_cast<TCustomConstructionLine*>(&Dest);
  if (!d) return;
  d->FQd = FQd;
  d->FZd = FZd;
  d->FJd = FJd;
  d->FLength1 = FLength1;
  d->FLength2 = FLength2;
  d->FGap = FGap;
  d->FYx = FYx;
  d->FBj = FBj;
  d->FLx = FLx;
  d->FDirection = FDirection;
  d->FPWLine = FPWLine;
}

double TCustomConstructionLine::GetSumjd() const {
  const double a = ppjd(FYx, FQd), b = ppjd(FYx, FZd);
  if (FDirection != 0) return a <= b ? b - a : 2 * Pi - (a - b);
  // Ends at one direction sweep nothing in either sense.
  return a < b ? a + 2 * Pi - b : a - b;
}

bool TCustomConstructionLine::IsArcForm() const {
  return FLx == blArc && Dist(FQd, FZd) / 2 <= GetScale() * FBj;
}

void TCustomConstructionLine::Refresh() {
  FPWLine.clear();
  if (FLx == blArc) {
    const double R = GetScale() * FBj;
    Tpt y1, y2;
    if (bxbjqyx(pptobx(FQd, FZd), R, y1, y2)) FYx = Dist(y1, FYx) <= Dist(y2, FYx) ? y1 : y2;
    TWorkDbxbx e;
    e.lx = blArc;
    e.qd = Add(FYx, Dir(ppjd(FYx, FQd)), R);
    e.zd = Add(FYx, Dir(ppjd(FYx, FZd)), R);
    e.yx = FYx;
    e.bj = R;
    e.Direction = FDirection;
    wbxqdarccs(e);
    FPWLine.push_back(e);
  }
  TCustomFigure::Refresh();
}

Tpt TCustomConstructionLine::MiddlePoint() const {
  if (!IsArcForm()) return Mid(FQd, FZd);
  const double q = ppjd(FYx, FQd);
  const double half = GetSumjd() / 2;
  return Add(FYx, Dir(FDirection != 0 ? q + half : q - half), GetScale() * FBj);
}

void TCustomConstructionLine::CalcPositionRect(TRect& Rect) const {
  if (IsArcForm() && !FPWLine.empty()) {
    Rect = LogBox(*this, {FQd, FZd});
    for (Tpt p : MltLineToWdd(FPWLine)) {
      const TPoint d = ptodp(xyTransLogPt(p.x, p.y));
      Rect.Left = std::min(Rect.Left, d.x);
      Rect.Top = std::min(Rect.Top, d.y);
      Rect.Right = std::max(Rect.Right, d.x);
      Rect.Bottom = std::max(Rect.Bottom, d.y);
    }
  } else {
    Rect = LogBox(*this, {FQd, FZd});
  }
  // The strokes stand out from the line by at most their longer length.
  const double m = std::max(std::abs(FLength1), std::abs(FLength2)) * GetScale();
  ExpandRect(Rect, Round(std::min(TransLogV(m), 1e6)) + FPen.Width + 1);
}

void TCustomConstructionLine::GetHandle(int Index, TPoint& P) const {
  const Tpt p = Index == 1 ? FQd : Index == 2 ? FZd : MiddlePoint();
  P = ptodp(xyTransLogPt(p.x, p.y));
}

void TCustomConstructionLine::MoveHandleTo(int Index, TPoint P) {
  const Tpt p = xyTransAbsPt(P.x, P.y);
  if (Index == 1 || Index == 2) {
    Tpt e = p;
    // An arc's ends stay on its circle. (The view keeps the cursor where it is.)
    if (IsArcForm()) e = Add(FYx, Dir(ppjd(FYx, p)), GetScale() * FBj);
    Change(*this, [&] { (Index == 1 ? FQd : FZd) = e; });
    return;
  }
  if (Index != 3 || FLx != blArc) return;
  const Tpt p0 = FQd, p1 = p, p2 = FZd;
  const double g = 2 * ((p2.y - p1.y) * p0.x + (p1.y - p0.y) * p2.x + (p0.y - p2.y) * p1.x);
  const double h = 2 * (p0.y * (p2.x - p1.x) + p2.y * (p1.x - p0.x) + p1.y * (p0.x - p2.x));
  if (std::abs(g) <= 1e-7 || std::abs(h) <= 1e-7) return;
  const double L0 = p0.x * p0.x + p0.y * p0.y, L1 = p1.x * p1.x + p1.y * p1.y, L2 = p2.x * p2.x + p2.y * p2.y;
  const Tpt c{(L0 * (p2.y - p1.y) + L2 * (p1.y - p0.y) + L1 * (p0.y - p2.y)) / g,
              (L0 * (p2.x - p1.x) + L2 * (p1.x - p0.x) + L1 * (p0.x - p2.x)) / h};
  const double a0 = ppjd(c, p0), a1 = ppjd(c, p1), a2 = ppjd(c, p2);
  const bool ccw = a2 >= a0 ? (a0 < a1 && a1 < a2) : (a1 >= a0 || a1 <= a2);
  Change(*this, [&] {
    FYx = c;
    FBj = Dist(p0, c) / GetScale();
    FDirection = ccw ? 1 : 0;
  });
}

void TCustomConstructionLine::MoveByOffset(double Dx, double Dy) {
  const Tpt d{TransAbsV(Dx), TransAbsV(Dy)};
  const Tpt r{std::nearbyint(d.x), std::nearbyint(d.y)};
  Change(*this, [&] {
    FQd = Add(FQd, r);
    FZd = Add(FZd, r);
    if (FLx == blArc) FYx = Add(FYx, d);
  });
}

void TCustomConstructionLine::Paint(TShowPlace& ShowPlace) {
  if (FPen.Style == psClear) return;
  TCanvas& cv = *ShowPlace.cvs;
  if (!IsArcForm() || FPWLine.empty()) {
    PaintLine(cv);
    return;
  }
  const TLogFrame f = LogFrame();
  std::vector<TPoint> pts;
  for (Tpt p : MltLineToWdd(FPWLine)) pts.push_back(ptodp(f.Map(p)));
  const int n = static_cast<int>(pts.size());
  StrokeStyled(cv, pts.data(), n, FPen.Style);

  const double R = GetScale() * FBj;
  const double q = ppjd(FYx, FQd);
  const std::int64_t strokes = FBj > 0 ? StrokeCount(GetSumjd() * FBj, FGap) : 0;
  const double reach = f.s * GetScale() * std::max(std::abs(FLength1), std::abs(FLength2)) + StrokeMargin(cv);
  const double turn = std::atan2(f.sn, f.c);
  std::int64_t drawn = 0;
  for (auto [from, to] : VisibleArcSteps(cv, f.Map(FYx), f.s * R, q + turn, FGap / FBj, FDirection != 0, strokes,
                                         reach)) {
    for (std::int64_t j = from; j <= to && drawn < kMaxVisibleStrokes; ++j, ++drawn) {
      const double step = double(j) * FGap / FBj;
      const double t = FDirection == 0 ? q - step : q + step;
      const Tpt base = Add(FYx, Dir(t), R);
      const double d = FDirection != 1 ? FJd + t - Pi / 2 : FJd + t + Pi / 2;
      DrawLine(base, Add(base, Dir(d), GetScale() * (j % 2 ? FLength2 : FLength1)), cv);
    }
  }
}

void TCustomConstructionLine::PaintLine(TCanvas& Canvas) {
  DrawLine(FQd, FZd, Canvas);
  const double len = Dist(FQd, FZd);
  const double a = ppjd(FQd, FZd) + FJd;
  const std::int64_t n = StrokeCount(len, GetScale() * FGap);
  if (n == 0) return;
  const TLogFrame f = LogFrame();
  const double reach = f.s * GetScale() * std::max(std::abs(FLength1), std::abs(FLength2)) + StrokeMargin(Canvas);
  double u0 = 0, u1 = 0;
  if (!VisibleSpan(Canvas, f.Map(FQd), f.Map(FZd), reach, u0, u1)) return;
  const double du = GetScale() * FGap / len;  // the line's share between two strokes
  const std::int64_t first = std::max<std::int64_t>(0, std::int64_t(std::floor(u0 / du)) - 1);
  const std::int64_t last = std::min<std::int64_t>(n - 1, std::int64_t(std::ceil(u1 / du)) + 1);
  for (std::int64_t i = first; i <= last && i - first < kMaxVisibleStrokes; ++i) {
    const Tpt base = ttod(GetScale() * double(i) * FGap / len, pptobx(FQd, FZd));
    DrawLine(base, Add(base, Dir(a), GetScale() * (i % 2 ? FLength2 : FLength1)), Canvas);
  }
}

bool TCustomConstructionLine::Selected(Tpt P, double Factor) const {
  const Tpt p = xyTransAbsPt(P.x, P.y);
  if (!IsArcForm()) return pjjbx(p, pptobx(FQd, FZd), Factor);
  const double aj = ppjd(FYx, p), aqj = ppjd(FYx, FQd), azj = ppjd(FYx, FZd);
  const bool ccw = FDirection != 0;
  bool inSweep;
  if (azj < aqj)
    inSweep = ccw ? (aj < azj || aj > aqj) : (azj < aj && aj < aqj);
  else
    inSweep = ccw ? (aqj < aj && aj < azj) : (aj < aqj || aj > azj);
  if (!inSweep) return false;
  const double t = std::max(TransAbsV(FPen.Width * Factor) / 2, 10.0);
  return std::abs(Dist(p, FYx) - GetScale() * FBj) < t;
}

bool TCustomConstructionLine::HitBounds(double Factor, TDBox& Box) const {
  if (!IsArcForm()) return SegmentHitBounds(*this, FQd, FZd, Factor, Box);
  // Within t of the circle: inside the circle's square grown by t.
  const double t = std::max(TransAbsV(FPen.Width * Factor) / 2, 10.0);
  const double r = (std::abs(GetScale() * FBj) + t) * GetAbsParentScale() + 1;
  const Tpt c = xyTransLogPt(FYx.x, FYx.y);
  Box = {c.x - r, c.y - r, c.x + r, c.y + r};
  return std::isfinite(r);
}

void TCustomConstructionLine::CreateByRefPoint(std::span<const Tpt> Points) {
  if (Points.size() < 2) return;
  FQd = Points[0];
  FZd = Points[1];
  const double s = GetAbsParentScale();
  FLength1 /= s;
  FLength2 /= s;
  FGap /= s;
  Modified();
}

void TCustomConstructionLine::Explode(TCustomFigureSet& Set) {
  FQd = ExplodePt(FQd, Set);
  FZd = ExplodePt(FZd, Set);
  FYx = ExplodePt(FYx, Set);
  FScale *= Set.GetScale();
  Modified();
}

void TCustomConstructionLine::FigureMirror(TBx Line) {
  FQd = Caldcp(FQd, Line);
  FZd = Caldcp(FZd, Line);
  FYx = Caldcp(FYx, Line);
  // A mirror turns the sense: without this the other part of the circle is drawn.
  if (FLx == blArc) FDirection = FDirection != 0 ? 0 : 1;
  Modified();
}

bool TCustomConstructionLine::GetCapturePoint(Tpt& P, TPointLx& Kind, TFigureView* View, TPoint CursorPt,
                                              TPointLxSet KindSet) {
  if (View && View->IsSelected(this)) return false;
  const TSnapQuery q(*this, CursorPt);
  const bool arc = IsArcForm();
  if (KindSet & PointLxBit(plEndPoint)) {
    for (Tpt e : {FQd, FZd})
      if (q.Near(e, P)) return Kind = plEndPoint, true;
  }
  if ((KindSet & PointLxBit(plMidPoint)) && q.Near(MiddlePoint(), P)) return Kind = plMidPoint, true;
  if (arc && (KindSet & PointLxBit(plCenter)) && q.Near(FYx, P)) return Kind = plCenter, true;
  if (KindSet & PointLxBit(plNearest)) {
    if (!arc) {
      if (PointInLine(dptop(CursorPt), FQd, FZd, P)) return Kind = plNearest, true;
    } else {
      const double aq = ppjd(FYx, FQd), az = ppjd(FYx, FZd);
      const Tpt c = xyTransAbsPt(CursorPt.x, CursorPt.y);
      Tpt foot;
      if (PointInArc(c, FYx, foot, FDirection != 0 ? aq : az, FDirection != 0 ? az : aq, GetScale() * FBj)) {
        P = xyTransLogPt(foot.x, foot.y);
        return Kind = plNearest, true;
      }
    }
  }
  return false;
}

void TCustomConstructionLine::SetQd(Tpt P) {
  FQd = P;
  Modified();
}

void TCustomConstructionLine::SetZd(Tpt P) {
  FZd = P;
  Modified();
}

PLANDECK_DEFINE_CLASS(TConstructionLine, TCustomConstructionLine)

std::unique_ptr<TDocItem> TConstructionLine::Clone() const {
  auto copy = std::make_unique<TConstructionLine>(FOwner);
  copy->Assign(*this);
  return copy;
}

void RegisterEdgeLineClasses() {
  RegisterClass(TConstructionLine::StaticClass());
  RegisterFamily({.Class = &TConstructionLine::StaticClass(),
                  .Action = "A_ConstructionLine",
                  .Tool = tkTwoPoint,
                  .OrthoOnClick = true,
                  .PaintIcon =
                      [](TIconSketch& s) {
                        s.Line(3, 14, 21, 14);
                        for (int x = 4; x <= 20; x += 4) s.Line(x, 14, x - 3, 20);
                      },
                  .Ops = FamilyOps<TConstructionLine>()});
}

// ---- property dialog's model

TConstructionLineProperties GetConstructionLineProperties(const TCustomConstructionLine& Line) {
  TConstructionLineProperties p;
  FillCommon(Line, p);
  UserPt(Line, Line.FQd, p.QdX, p.QdY);
  UserPt(Line, Line.FZd, p.ZdX, p.ZdY);
  p.Length1 = UserLen(Line, Line.FLength1);
  p.Length2 = UserLen(Line, Line.FLength2);
  p.Gap = UserLen(Line, Line.FGap);
  p.LineJd = Format("%1.1f", RadToDeg(Line.FJd));
  p.Arc = Line.FLx == blArc;
  if (p.Arc) p.Bj = UserLen(Line, Line.FBj);
  p.Direction = Line.FDirection;
  return p;
}

void SetConstructionLineProperties(TCustomConstructionLine& Line, const TConstructionLineProperties& Props) {
  Line.Invalidate();
  {
    TChangingGuard guard(Line);
    ApplyPen(Line, Props);
    [&] {
      double v = 0;
      if (!ApplyLineWidth(Line, Props)) return;
      if (!SysPt(Line, Props.QdX, Props.QdY, Line.FQd)) return;
      if (!SysPt(Line, Props.ZdX, Props.ZdY, Line.FZd)) return;
      if (!SysLen(Line, Props.Length1, v)) return;
      Line.FLength1 = v;
      if (!SysLen(Line, Props.Length2, v)) return;
      Line.FLength2 = v;
      if (!SysLen(Line, Props.Gap, v)) return;
      Line.FGap = v;
      if (!ParseFloat(Props.LineJd, v)) return;
      Line.FJd = DegToRad(v);
      if (Props.Arc) {
        if (!SysLen(Line, Props.Bj, v)) return;
        Line.FBj = v;
        Line.FDirection = Props.Direction;
      }
      Line.FLx = Props.Arc ? blArc : blLine;
      ApplyLayer(Line, Props);
    }();
  }
  Line.Modified();
}

