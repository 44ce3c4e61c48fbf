#include "figures/Bezier.h"

#include "figures/FigureFamily.h"
#include "figures/FigureKit.h"
#include "figures/FigureSet.h"
#include "figures/MltLine.h"
#include "foundation/ErrorReport.h"
#include "foundation/StreamError.h"
#include "foundation/ValueStream.h"

#include <algorithm>
#include <cmath>

namespace {

// A point of the figure's frame mapped to logical units, rounded.
TPoint ToLog(const TCustomFigure& F, TPoint P) {
  TPoint q;
  F.TransLogPt(P, q);
  return q;
}

}  // namespace

PLANDECK_DEFINE_ABSTRACT_CLASS(TCustomBezier, TCustomFigure)

TCustomBezier::TCustomBezier(TMyPersistent* AOwner) : TCustomFigure(AOwner) { FClassNameDescription = "样条曲线"; }

void TCustomBezier::ReadData(TReader& Reader) {
  TCustomFigure::ReadData(Reader);
  FPoints.clear();
  const std::int32_t n = Reader.ReadInteger();
  if (n < 0) throw EStreamError(StreamMsg::InvalidPropertyValue);
  Reader.CheckCount(n);
  // Every point is kept, even past 50: the file is written back as it was read.
  FPoints.reserve(std::size_t(n));
  for (std::int32_t i = 0; i < n; ++i) {
    TPoint p;
    p.x = Reader.ReadInteger();
    p.y = Reader.ReadInteger();
    FPoints.push_back(p);
  }
}

void TCustomBezier::WriteData(TWriter& Writer) {
  TCustomFigure::WriteData(Writer);
  Writer.WriteInteger(std::int32_t(FPoints.size()));
  for (TPoint p : FPoints) {
    Writer.WriteInteger(p.x);
    Writer.WriteInteger(p.y);
  }
}

void TCustomBezier::AssignTo(TPersistent& Dest) const {
  TCustomFigure::AssignTo(Dest);
  if (auto* d = dynamic_cast<TCustomBezier*>(&Dest)) d->FPoints = FPoints;
}

void TCustomBezier::AddPoint(Tpt P) {
  if (FPoints.size() >= std::size_t(SplineMaxPoints)) {
    ShowErrorMessage(BezierFullMessage);
    return;
  }
  TPoint q;
  TransAbsPt(ptodp(P), q);
  Change(*this, [&] { FPoints.push_back(q); });
}

void TCustomBezier::SetPoint(int Index, TPoint P) {
  if (Index < 0 || std::size_t(Index) >= FPoints.size()) return;
  Change(*this, [&] { FPoints[std::size_t(Index)] = P; });
}

void TCustomBezier::SetPoints(const std::vector<TPoint>& Points) {
  Change(*this, [&] { FPoints = Points; });
}

std::vector<TPoint> TCustomBezier::Samples() const {
  std::vector<TPoint> out;
  if (FPoints.size() < 2) return out;
  Splines1.Clear();
  // AddVertex refuses (with a message) past its 50 places; a file holding
  // more must not raise it at every paint, so only the first 50 are given.
  const std::size_t n = std::min(FPoints.size(), std::size_t(SplineMaxPoints));
  for (std::size_t i = 0; i < n; ++i) Splines1.AddVertex(dptop(ToLog(*this, FPoints[i])));
  Splines1.Interpolate();
  out.reserve(BezierSteps + 1);
  for (int i = 0; i <= BezierSteps; ++i) {
    const Tpt v = Splines1.Value(double(i) / BezierSteps);
    if (!std::isfinite(v.x) || !std::isfinite(v.y)) return {};
    out.push_back(ptodp(v));
  }
  return out;
}

void TCustomBezier::CalcPositionRect(TRect& Rect) const {
  const std::vector<TPoint> s = Samples();
  Rect = TRect{};
  if (s.empty()) return;
  Rect = {s[0].x, s[0].y, s[0].x, s[0].y};
  for (TPoint p : s) {
    Rect.Left = std::min(Rect.Left, p.x);
    Rect.Top = std::min(Rect.Top, p.y);
    Rect.Right = std::max(Rect.Right, p.x);
    Rect.Bottom = std::max(Rect.Bottom, p.y);
  }
  ExpandRect(Rect, FPen.Width + 1);
}

void TCustomBezier::GetHandle(int Index, TPoint& P) const {
  if (Index < 1 || std::size_t(Index) > FPoints.size()) return;
  P = ToLog(*this, FPoints[std::size_t(Index - 1)]);
}

void TCustomBezier::MoveHandleTo(int Index, TPoint P) {
  TPoint q;
  TransAbsPt(P, q);
  SetPoint(Index - 1, q);
}

void TCustomBezier::MoveByOffset(double Dx, double Dy) {
  const Tpt o = xyTransAbsPt(0, 0), q = xyTransAbsPt(Dx, Dy);
  const TPoint d = ptodp({q.x - o.x, q.y - o.y});
  Change(*this, [&] {
    for (TPoint& p : FPoints) p = {p.x + d.x, p.y + d.y};
  });
}

void TCustomBezier::Paint(TShowPlace& ShowPlace) {
  if (FPen.Style == psClear || !ShowPlace.cvs) return;
  const std::vector<TPoint> s = Samples();
  if (s.size() < 2) return;
  StrokeStyled(*ShowPlace.cvs, s.data(), int(s.size()), FPen.Style);
}

bool TCustomBezier::Selected(Tpt P, double) const {
  for (TPoint s : Samples())
    if (std::hypot(s.x - P.x, s.y - P.y) < PickPixels) return true;
  return false;
}

bool TCustomBezier::HitBounds(double, TDBox& Box) const {
  TRect r;
  CalcPositionRect(r);
  if (r.IsEmpty()) return false;
  const double m = PickPixels - FPen.Width;  // the rectangle is already grown by the pen
  Box = {r.Left - m, r.Top - m, r.Right + m, r.Bottom + m};
  return true;
}

void TCustomBezier::Explode(TCustomFigureSet& Set) {
  Change(*this, [&] {
    for (TPoint& p : FPoints) p = ptodp(ExplodePoint(dptop(p), Set));
    FScale *= Set.GetScale();
  });
}

void TCustomBezier::FigureMirror(TBx Line) {
  for (TPoint& p : FPoints) p = ptodp(Caldcp(dptop(p), Line));
  Modified();
}

bool TCustomBezier::GetCapturePoint(Tpt& P, TPointLx& Kind, TFigureView* View, TPoint CursorPt,
                                    TPointLxSet KindSet) {
  if (View && View->IsSelected(this)) return false;
  if (KindSet & PointLxBit(plEndPoint))
    for (TPoint p : FPoints) {
      const TPoint l = ToLog(*this, p);
      if (PointInPoint(CursorPt, dptop(l))) return P = dptop(l), Kind = plEndPoint, true;
    }
  if (KindSet & PointLxBit(plNearest))
    for (TPoint s : Samples())
      if (PointInPoint(CursorPt, dptop(s))) return P = dptop(s), Kind = plNearest, true;
  return false;
}

PLANDECK_DEFINE_CLASS(TBezier, TCustomBezier)

std::unique_ptr<TDocItem> TBezier::Clone() const {
  auto copy = std::make_unique<TBezier>(FOwner);
  copy->Assign(*this);
  return copy;
}

void RegisterBezierClasses() {
  RegisterClass(TBezier::StaticClass());
  RegisterFamily({.Class = &TBezier::StaticClass(),
                  .Action = "A_Bezier",
                  .Tool = tkBezier,
                  .PaintIcon = [](TIconSketch& s) { s.Curve({3, 18}, {{6, 2}, {14, 24}, {21, 6}}); },
                  .Ops = FamilyOps<TBezier>()});
}
