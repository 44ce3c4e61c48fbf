#include "figures/RouteLines.h"

#include "figures/FigureFamily.h"
#include "figures/FigureKit.h"
#include "figures/FigureSet.h"
#include "foundation/ValueStream.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace {

// The symbol indices [K0, K1] of an edge A-B (local, length L, one symbol
// per Step) whose neighbourhood of Reach logical units meets the canvas
// clip box; false when none does. Count is the number of symbols on the edge.
bool VisibleSymbols(const TCustomFigure& F, const TCanvas& Canvas, Tpt A, Tpt B, double L, double Step,
                    double Count, double Reach, std::int64_t& K0, std::int64_t& K1) {
  if (!(Count >= 1) || !(L > 0) || !(Step > 0)) return false;
  double u0 = 0, u1 = 0;
  if (!VisibleSpan(Canvas, F.xyTransLogPt(A.x, A.y), F.xyTransLogPt(B.x, B.y), Reach, u0, u1)) return false;
  const double lo = std::max(0.0, std::floor(u0 * L / Step) - 1);
  const double hi = std::min(Count - 1, std::floor(u1 * L / Step) + 1);
  if (lo > hi) return false;
  K0 = std::int64_t(lo);
  K1 = std::min(std::int64_t(hi), K0 + kMaxRouteSymbols - 1);
  return true;
}

// Whole spacing intervals of length Step in L, kept within what a count can hold.
double Intervals(double L, double Step) {
  const double n = std::floor(L / Step);
  return n >= 0 && n < 9e15 ? n : 0;
}

// A spacing that would let the symbols overlap (or is no number) painted as the minimum.
double PaintGap(double Gap, double Min) { return Gap >= Min && std::isfinite(Gap) ? Gap : Min; }

void ExpandBy(TRect& Rect, double D) {
  const double d = std::abs(D);
  ExpandRect(Rect, d < 1e9 ? int(std::lround(d)) : 1000000000);
}

// The telecom and electric lines: each spacing interval broken by a circle
// at its middle, Extra painting what goes beside the circle.
template <class ExtraFn>
void PaintCircleLine(TCustomMltLine& F, TCanvas& Canvas, double Gap, ExtraFn&& Extra) {
  const double s = F.GetAbsParentScale();
  const double g = Gap / s, r = 3 / s;
  const double reach = 4 * 3 + StrokeMargin(Canvas);
  for (const TWorkDbxbx& e : F.PWLine()) {
    const Tpt A = e.qd, B = e.zd;
    const double L = Dist(A, B);
    const double n = Intervals(L, g);
    const Tpt u = L > 0 ? Tpt{(B.x - A.x) / L, (B.y - A.y) / L} : Tpt{1, 0};
    auto at = [&](double d) { return Add(A, u, d); };
    std::int64_t k0 = 0, k1 = -1;
    if (VisibleSymbols(F, Canvas, A, B, L, g, n, reach, k0, k1))
      for (std::int64_t k = k0; k <= k1; ++k) {
        const double m = double(k) * g + g / 2;
        Extra(at, u, m, r, true);
        F.DrawLine(at(double(k) * g), at(m - r), Canvas);
        F.DrawCircle(at(m), Canvas, r);
        Extra(at, u, m, r, false);
        F.DrawLine(at(double(k + 1) * g), at(m + r), Canvas);
      }
    F.DrawLine(at(n * g), B, Canvas);
  }
}

template <class T>
void RegisterRoute(const char* Action, void (*Icon)(TIconSketch&)) {
  RegisterClass(T::StaticClass());
  RegisterFamily({.Class = &T::StaticClass(), .Action = Action, .Tool = tkMultiLine, .PaintIcon = Icon,
                  .Ops = FamilyOps<T>()});
}

template <class T>
std::unique_ptr<TDocItem> CloneOf(const T& F) {
  auto copy = std::make_unique<T>(F.FOwner);
  copy->Assign(F);
  return copy;
}

}  // namespace

// ---- double line

PLANDECK_DEFINE_ABSTRACT_CLASS(TCustomDoubleLine, TCustomMltLine)

TCustomDoubleLine::TCustomDoubleLine(TMyPersistent* AOwner) : TCustomMltLine(AOwner) {
  FClassNameDescription = "双线";
}

void TCustomDoubleLine::AssignTo(TPersistent& Dest) const {
  if (auto* d = dynamic_cast<TCustomDoubleLine*>(&Dest); d && d != this) {
    d->FGap = FGap;
    d->FPen1 = FPen1;
  }
  TCustomMltLine::AssignTo(Dest);
}

void TCustomDoubleLine::ReadData(TReader& Reader) {
  TCustomMltLine::ReadData(Reader);
  FPen1.Color = static_cast<COLORREF>(Reader.ReadInteger());
  std::uint8_t raw = 0;
  Reader.Read(&raw, 1);
  FPen1.Mode = static_cast<TPenMode>(raw);
  Reader.Read(&raw, 1);
  FPen1.Style = static_cast<TPenStyle>(raw);
  FPen1.Width = Reader.ReadInteger();
  FGap = Reader.ReadFloat();
}

void TCustomDoubleLine::WriteData(TWriter& Writer) {
  TCustomMltLine::WriteData(Writer);
  Writer.WriteInteger(static_cast<std::int32_t>(FPen1.Color));
  std::uint8_t raw = FPen1.Mode;
  Writer.Write(&raw, 1);
  raw = FPen1.Style;
  Writer.Write(&raw, 1);
  Writer.WriteInteger(FPen1.Width);
  Writer.WriteFloat(FGap);
}

std::vector<Tpt> TCustomDoubleLine::ParallelPoints() const {
  std::vector<Tpt> pts;
  if (FPWLine.empty()) return pts;
  const double q = GetScale() * FGap;
  auto offsetStart = [&](const TWorkDbxbx& e) { return Add(e.qd, Dir(ppjd(e.qd, e.zd) - Pi / 2), q); };
  const TWorkDbxbx& first = FPWLine.front();
  pts.push_back(offsetStart(first));
  TBx prev = pjdtobx(pts.back(), ppjd(first.qd, first.zd));
  for (std::size_t i = 1; i < FPWLine.size(); ++i) {
    const TWorkDbxbx& e = FPWLine[i];
    // Through the edge's own offset start, never through the corner before.
    const TBx line = pjdtobx(offsetStart(e), ppjd(e.qd, e.zd));
    double t1 = 0, t2 = 0;
    pts.push_back(lljd(prev, line, t1, t2));
    prev = line;
  }
  const TWorkDbxbx& last = FPWLine.back();
  pts.push_back(Add(last.zd, Dir(ppjd(last.qd, last.zd) - Pi / 2), q));
  return pts;
}

void TCustomDoubleLine::Paint(TShowPlace& ShowPlace) {
  if (!ShowPlace.cvs || FPWLine.empty()) return;
  TCanvas& cv = *ShowPlace.cvs;
  const std::vector<Tpt> par = ParallelPoints();
  for (std::size_t i = 0; i < FPWLine.size(); ++i) {
    if (i > 0) {
      FIsDrawingMain = false;
      DrawLine(par[i - 1], par[i], cv);
    }
    FIsDrawingMain = true;
    DrawLine(FPWLine[i].qd, FPWLine[i].zd, cv);
  }
  FIsDrawingMain = false;
  DrawLine(par[par.size() - 2], par.back(), cv);
  FIsDrawingMain = true;
}

void TCustomDoubleLine::DrawLine(Tpt P1, Tpt P2, TCanvas& Canvas) {
  const TPen& pen = FIsDrawingMain ? FPen : FPen1;
  if (pen.Style == psClear) return;
  const TPoint pts[2] = {ptodp(xyTransLogPt(P1.x, P1.y)), ptodp(xyTransLogPt(P2.x, P2.y))};
  const TLogPen old = Canvas.SelectPen(GeometricPen(pen));
  const TLogBrush brush = Canvas.SelectBrush(TLogBrush{bsSolid, pen.Color, false, {}});
  StrokeStyled(Canvas, pts, 2, pen.Style);
  Canvas.SelectBrush(brush);
  Canvas.SelectPen(old);
}

void TCustomDoubleLine::CalcPositionRect(TRect& Rect) const {
  TCustomMltLine::CalcPositionRect(Rect);
  if (FPWLine.empty()) return;
  ExpandBy(Rect, TransLogV(GetScale() * FGap));
  // Mitred corners reach past the offset where two edges meet at a sharp angle.
  for (Tpt p : ParallelPoints()) {
    const TPoint d = ptodp(xyTransLogPt(p.x, p.y));
    const std::int32_t w = FPen1.Width + 1;
    Rect.Left = std::min(Rect.Left, d.x - w);
    Rect.Right = std::max(Rect.Right, d.x + w);
    Rect.Top = std::min(Rect.Top, d.y - w);
    Rect.Bottom = std::max(Rect.Bottom, d.y + w);
  }
}

double TCustomDoubleLine::HitTolerance() const { return 4 / GetAbsParentScale(); }

void TCustomDoubleLine::AddPoint(Tpt P) {
  if (GetPointCount() == 0) FGap = 10 / GetAbsParentScale();
  TCustomMltLine::AddPoint(P);
}

void TCustomDoubleLine::FigureMirror(TBx Line) {
  // The parallel line stays on the mirrored side.
  FGap = -FGap;
  TCustomMltLine::FigureMirror(Line);
}

void TCustomDoubleLine::Explode(TCustomFigureSet& Set) {
  // The offset is in the set's units: out of it, it keeps its size on the sheet.
  FGap *= Set.GetScale();
  TCustomMltLine::Explode(Set);
}

PLANDECK_DEFINE_CLASS(TDoubleLine, TCustomDoubleLine)
std::unique_ptr<TDocItem> TDoubleLine::Clone() const { return CloneOf(*this); }

// ---- telecom line

PLANDECK_DEFINE_ABSTRACT_CLASS(TCustomDxLine, TCustomMltLine)

TCustomDxLine::TCustomDxLine(TMyPersistent* AOwner) : TCustomMltLine(AOwner) { FClassNameDescription = "电讯线"; }

void TCustomDxLine::AssignTo(TPersistent& Dest) const {
  if (auto* d = dynamic_cast<TCustomDxLine*>(&Dest)) d->FGap = FGap;
  TCustomMltLine::AssignTo(Dest);
}

void TCustomDxLine::ReadData(TReader& Reader) {
  TCustomMltLine::ReadData(Reader);
  FGap = Reader.ReadFloat();
}

void TCustomDxLine::WriteData(TWriter& Writer) {
  TCustomMltLine::WriteData(Writer);
  Writer.WriteFloat(FGap);
}

void TCustomDxLine::CalcPositionRect(TRect& Rect) const {
  TCustomMltLine::CalcPositionRect(Rect);
  if (!FPWLine.empty()) ExpandRect(Rect, 3);
}

void TCustomDxLine::Paint(TShowPlace& ShowPlace) {
  if (!ShowPlace.cvs || FPWLine.empty()) return;
  // The stored spacing stays as it is; only the painting uses the minimum.
  PaintCircleLine(*this, *ShowPlace.cvs, PaintGap(FGap, MinGap), [](auto&&, Tpt, double, double, bool) {});
}

double TCustomDxLine::HitTolerance() const { return 4 / GetAbsParentScale(); }

void TCustomDxLine::AddPoint(Tpt P) {
  if (GetPointCount() == 0) FGap = 30;
  TCustomMltLine::AddPoint(P);
}

PLANDECK_DEFINE_CLASS(TDxLine, TCustomDxLine)
std::unique_ptr<TDocItem> TDxLine::Clone() const { return CloneOf(*this); }

// ---- electric line

PLANDECK_DEFINE_ABSTRACT_CLASS(TCustomDLine, TCustomMltLine)

TCustomDLine::TCustomDLine(TMyPersistent* AOwner) : TCustomMltLine(AOwner) { FClassNameDescription = "电线"; }

void TCustomDLine::AssignTo(TPersistent& Dest) const {
  if (auto* d = dynamic_cast<TCustomDLine*>(&Dest)) {
    d->FGap = FGap;
    d->FLx = FLx;
  }
  TCustomMltLine::AssignTo(Dest);
}

void TCustomDLine::ReadData(TReader& Reader) {
  TCustomMltLine::ReadData(Reader);
  FGap = Reader.ReadFloat();
  FLx = Reader.ReadInteger();
}

void TCustomDLine::WriteData(TWriter& Writer) {
  TCustomMltLine::WriteData(Writer);
  Writer.WriteFloat(FGap);
  Writer.WriteInteger(FLx);
}

void TCustomDLine::CalcPositionRect(TRect& Rect) const {
  TCustomMltLine::CalcPositionRect(Rect);
  if (!FPWLine.empty()) ExpandRect(Rect, 3);
}

void TCustomDLine::Paint(TShowPlace& ShowPlace) {
  if (!ShowPlace.cvs || FPWLine.empty()) return;
  TCanvas& cv = *ShowPlace.cvs;
  const bool high = FLx == 1;
  PaintCircleLine(*this, cv, PaintGap(FGap, MinGap), [&](auto&& at, Tpt u, double m, double r, bool before) {
    // Before the circle the chevrons open backwards, after it forwards: both
    // point away from the circle.
    const double psi = DegToRad(before ? 45 : 135);
    auto chevron = [&](double d) {
      const Tpt q = at(d);
      const double phi = std::atan2(u.y, u.x);
      DrawLine(Add(q, Dir(phi + psi), r), q, cv);
      DrawLine(Add(q, Dir(phi - psi), r), q, cv);
    };
    const double side = before ? -1 : 1;
    chevron(m + side * 4 * r);
    if (high) chevron(m + side * 3 * r);
  });
}

double TCustomDLine::HitTolerance() const { return 4 / GetAbsParentScale(); }

void TCustomDLine::AddPoint(Tpt P) {
  if (GetPointCount() == 0) FGap = 50;
  TCustomMltLine::AddPoint(P);
}

PLANDECK_DEFINE_CLASS(TDLine, TCustomDLine)
std::unique_ptr<TDocItem> TDLine::Clone() const { return CloneOf(*this); }

// ---- railway

PLANDECK_DEFINE_ABSTRACT_CLASS(TCustomTrailLine, TCustomMltLine)

TCustomTrailLine::TCustomTrailLine(TMyPersistent* AOwner) : TCustomMltLine(AOwner) {
  FClassNameDescription = "铁路线";
  FBrush.Style = bsSolid;
}

void TCustomTrailLine::AssignTo(TPersistent& Dest) const {
  if (auto* d = dynamic_cast<TCustomTrailLine*>(&Dest)) {
    d->FGap = FGap;
    d->FWidth = FWidth;
  }
  TCustomMltLine::AssignTo(Dest);
}

void TCustomTrailLine::ReadData(TReader& Reader) {
  TCustomMltLine::ReadData(Reader);
  FGap = Reader.ReadFloat();
  FWidth = Reader.ReadFloat();
}

void TCustomTrailLine::WriteData(TWriter& Writer) {
  TCustomMltLine::WriteData(Writer);
  Writer.WriteFloat(FGap);
  Writer.WriteFloat(FWidth);
}

void TCustomTrailLine::CalcPositionRect(TRect& Rect) const {
  TCustomMltLine::CalcPositionRect(Rect);
  if (!FPWLine.empty()) ExpandBy(Rect, TransLogV(GetScale() * FWidth));
}

void TCustomTrailLine::Paint(TShowPlace& ShowPlace) {
  if (!ShowPlace.cvs || FPWLine.empty()) return;
  TCanvas& cv = *ShowPlace.cvs;
  const double g = GetScale() * FGap, w = GetScale() * FWidth / 2;
  // A length that is no distance would never advance (a damaged file): the
  // bare chain shows where the line runs.
  if (!(g > 0) || !std::isfinite(g) || !std::isfinite(w)) {
    PaintPath(cv);
    return;
  }
  const double reach = TransLogV(std::abs(w)) + StrokeMargin(cv);
  const TLogBrush old = cv.GetBrush();
  bool black = true;  // the colour of the edge's first hexagon
  for (const TWorkDbxbx& e : FPWLine) {
    const Tpt A = e.qd, B = e.zd;
    const double L = Dist(A, B), phi = ppjd(A, B);
    const double n = Intervals(L, g);
    const double count = n + (L > n * g ? 1 : 0);
    const Tpt u = Dir(phi), up = Dir(phi + Pi / 4), down = Dir(phi - Pi / 4);
    std::int64_t k0 = 0, k1 = -1;
    if (VisibleSymbols(*this, cv, A, B, L, g, count, reach, k0, k1))
      for (std::int64_t k = k0; k <= k1; ++k) {
        const Tpt p = Add(A, u, double(k) * g), q = double(k) < n ? Add(A, u, double(k + 1) * g) : B;
        const Tpt hex[7] = {p, Add(p, up, w), Add(q, up, w), q, Add(q, down, w), Add(p, down, w), p};
        TPoint d[7];
        for (int i = 0; i < 7; ++i) d[i] = ptodp(xyTransLogPt(hex[i].x, hex[i].y));
        const bool isBlack = black == (k % 2 == 0);
        cv.SelectBrush(TLogBrush{bsSolid, isBlack ? clBlack : clWhite, false, {}});
        cv.Polygon(d, 7);
      }
    // The alternation runs on across the vertex.
    if (std::fmod(count, 2) == 1) black = !black;
  }
  cv.SelectBrush(old);
}

double TCustomTrailLine::HitTolerance() const { return 4 / GetAbsParentScale(); }

void TCustomTrailLine::AddPoint(Tpt P) {
  if (GetPointCount() == 0) {
    FGap = TransAbsV(30) / GetScale();
    FWidth = TransAbsV(5) / GetScale();
  }
  TCustomMltLine::AddPoint(P);
}

void TCustomTrailLine::Explode(TCustomFigureSet& Set) {
  FGap *= Set.GetScale();
  FWidth *= Set.GetScale();
  TCustomMltLine::Explode(Set);
}

PLANDECK_DEFINE_CLASS(TTrailLine, TCustomTrailLine)
std::unique_ptr<TDocItem> TTrailLine::Clone() const { return CloneOf(*this); }

void RegisterRouteLineClasses() {
  RegisterRoute<TDoubleLine>("A_DoubleLine", [](TIconSketch& s) {
    s.Polyline({{3, 16}, {10, 8}, {21, 12}});
    s.Pen(1, true);
    s.Polyline({{3, 20}, {11, 12}, {21, 16}});
  });
  RegisterRoute<TDxLine>("A_DxLine", [](TIconSketch& s) {
    s.Line(2, 12, 8, 12);
    s.Ellipse(8, 9, 6, 6);
    s.Line(14, 12, 22, 12);
  });
  RegisterRoute<TDLine>("A_DLine", [](TIconSketch& s) {
    s.Line(2, 12, 9, 12);
    s.Ellipse(9, 9, 6, 6);
    s.Line(15, 12, 22, 12);
    s.Polyline({{7, 9}, {5, 12}, {7, 15}});
    s.Polyline({{17, 9}, {19, 12}, {17, 15}});
  });
  RegisterRoute<TTrailLine>("A_TrailLine", [](TIconSketch& s) {
    s.Polygon({{2, 12}, {4, 10}, {10, 10}, {12, 12}, {10, 14}, {4, 14}});
    s.Fill(true);
    s.Polygon({{12, 12}, {14, 10}, {20, 10}, {22, 12}, {20, 14}, {14, 14}});
  });
}
