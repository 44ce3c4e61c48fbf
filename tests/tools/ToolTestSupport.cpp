#include "ToolTestSupport.h"

#include "platform/Canvas.h"
#include "tools/SelectTool.h"
#include "tools/ToolFigureOps.h"

#include <QApplication>
#include <algorithm>
#include <cmath>

namespace {
TRect BoundsOf(const TCustomFigure& F, std::initializer_list<Tpt> Points) {
  bool any = false;
  TRect r{};
  for (Tpt p : Points) {
    const TPoint q = ptodp(F.xyTransLogPt(p.x, p.y));
    r = any ? TRect{std::min(r.Left, q.x), std::min(r.Top, q.y), std::max(r.Right, q.x), std::max(r.Bottom, q.y)}
            : TRect{q.x, q.y, q.x, q.y};
    any = true;
  }
  return ExpandRect(r, 1);
}

bool Near(const TCustomFigure& F, TPoint Cursor, Tpt Local, Tpt& P) {
  if (!F.PointInPoint(Cursor, F.xyTransLogPt(Local.x, Local.y))) return false;
  P = F.xyTransLogPt(Local.x, Local.y);
  return true;
}
}  // namespace

// ---- TTestRect

PLANDECK_DEFINE_CLASS(TTestRect, TCustomFigure)

void TTestRect::AssignTo(TPersistent& Dest) const {
  TCustomFigure::AssignTo(Dest);
  if (auto* d = dynamic_cast<TTestRect*>(&Dest)) d->FQd = FQd, d->FZd = FZd;
}

std::unique_ptr<TDocItem> TTestRect::Clone() const {
  auto c = std::make_unique<TTestRect>();
  c->Assign(*this);
  return c;
}

void TTestRect::CalcPositionRect(TRect& Rect) const { Rect = BoundsOf(*this, {FQd, FZd}); }

void TTestRect::GetHandle(int Index, TPoint& P) const {
  const Tpt p = Index == 1 ? FQd : FZd;
  P = ptodp(xyTransLogPt(p.x, p.y));
}

void TTestRect::MoveHandleTo(int Index, TPoint P) {
  Invalidate();
  (Index == 1 ? FQd : FZd) = xyTransAbsPt(P.x, P.y);
  Modified();
}

void TTestRect::RotateHandleTo(int Index, TPoint P) {
  if (Index != 2) return;
  const Tpt p = xyTransAbsPt(P.x, P.y);
  SetXzjd(ppjd(FQd, p) * 180 / M_PI);
}

void TTestRect::MoveByOffset(double Dx, double Dy) {
  Invalidate();
  FQd = {FQd.x + Dx, FQd.y + Dy};
  FZd = {FZd.x + Dx, FZd.y + Dy};
  Modified();
}

void TTestRect::Paint(TShowPlace& ShowPlace) { DrawLine(FQd, FZd, *ShowPlace.cvs); }

bool TTestRect::Selected(Tpt P, double) const {
  const Tpt a = xyTransAbsPt(P.x, P.y);
  return a.x >= std::min(FQd.x, FZd.x) && a.x <= std::max(FQd.x, FZd.x) && a.y >= std::min(FQd.y, FZd.y) &&
         a.y <= std::max(FQd.y, FZd.y);
}

void TTestRect::FigureMirror(TBx Line) {
  FQd = Caldcp(FQd, Line);
  FZd = Caldcp(FZd, Line);
}

bool TTestRect::GetCapturePoint(Tpt& P, TPointLx& Kind, TFigureView* View, TPoint CursorPt, TPointLxSet KindSet) {
  if (View && View->IsSelected(this)) return false;
  if (KindSet & PointLxBit(plEndPoint))
    for (Tpt e : {FQd, FZd})
      if (Near(*this, CursorPt, e, P)) return Kind = plEndPoint, true;
  if ((KindSet & PointLxBit(plMidPoint)) && Near(*this, CursorPt, {(FQd.x + FZd.x) / 2, (FQd.y + FZd.y) / 2}, P))
    return Kind = plMidPoint, true;
  return false;
}

void TTestRect::CreateByRefPoint(std::span<const Tpt> Points) {
  if (Points.size() < 2) return;
  FQd = Points[0];
  FZd = Points[1];
  Modified();
}

// ---- TTestCircle

PLANDECK_DEFINE_CLASS(TTestCircle, TCustomFigure)

void TTestCircle::CalcPositionRect(TRect& Rect) const {
  Rect = BoundsOf(*this, {{FYx.x - FBj, FYx.y - FBj}, {FYx.x + FBj, FYx.y + FBj}});
}

bool TTestCircle::Selected(Tpt P, double) const {
  const Tpt a = xyTransAbsPt(P.x, P.y);
  return std::abs(std::hypot(a.x - FYx.x, a.y - FYx.y) - FBj) < 3;
}

bool TTestCircle::GetCapturePoint(Tpt& P, TPointLx& Kind, TFigureView* View, TPoint CursorPt, TPointLxSet KindSet) {
  if (View && View->IsSelected(this)) return false;
  if ((KindSet & PointLxBit(plCenter)) && Near(*this, CursorPt, FYx, P)) return Kind = plCenter, true;
  return false;
}

void TTestCircle::CreateByRefPoint(std::span<const Tpt> Points) {
  if (Points.size() < 2) return;
  FYx = Points[0];
  FBj = std::hypot(Points[1].x - FYx.x, Points[1].y - FYx.y);
  Modified();
}

// ---- TTestPolyline

PLANDECK_DEFINE_CLASS(TTestPolyline, TCustomFigure)

void TTestPolyline::CalcPositionRect(TRect& Rect) const {
  Rect = TRect{};
  if (FPoints.empty()) return;
  TRect r = BoundsOf(*this, {FPoints.front()});
  for (Tpt p : FPoints) {
    const TRect q = BoundsOf(*this, {p});
    r = TRect{std::min(r.Left, q.Left), std::min(r.Top, q.Top), std::max(r.Right, q.Right),
              std::max(r.Bottom, q.Bottom)};
  }
  Rect = r;
}

bool TTestPolyline::Selected(Tpt P, double) const {
  for (std::size_t i = 1; i < FPoints.size(); ++i) {
    Tpt foot;
    if (PointInLine(P, FPoints[i - 1], FPoints[i], foot)) return true;
  }
  return false;
}

void TTestPolyline::MoveByOffset(double Dx, double Dy) {
  Invalidate();
  for (Tpt& p : FPoints) p = {p.x + Dx, p.y + Dy};
  Modified();
}

bool TTestPolyline::RealTimeAddPoint(Tpt P, TFigureView*) {
  for (std::size_t i = 1; i < FPoints.size(); ++i) {
    Tpt foot;
    if (!PointInLine(P, FPoints[i - 1], FPoints[i], foot)) continue;
    FPoints.insert(FPoints.begin() + std::ptrdiff_t(i), xyTransAbsPt(P.x, P.y));
    Modified();
    return true;
  }
  return false;
}

void TTestPolyline::CreateByRefPoint(std::span<const Tpt> Points) {
  FPoints.assign(Points.begin(), Points.end());
  Modified();
}

void TTestPolyline::AddPoint(Tpt P) {
  Invalidate();
  FPoints.push_back(xyTransAbsPt(P.x, P.y));
  Modified();
}

void TTestPolyline::ReplaceLastPoint(Tpt P) {
  if (FPoints.empty()) return;
  Invalidate();
  FPoints.back() = xyTransAbsPt(P.x, P.y);
  Modified();
}

void TTestPolyline::RemoveLastPoint() {
  if (FPoints.empty()) return;
  Invalidate();
  FPoints.pop_back();
  Modified();
}

// ---- the rest

PLANDECK_DEFINE_CLASS(TTestMark, TCustomFigure)
void TTestMark::CalcPositionRect(TRect& Rect) const { Rect = BoundsOf(*this, {FDwd}); }

PLANDECK_DEFINE_CLASS(TTestArrow, TCustomFigure)
void TTestArrow::CalcPositionRect(TRect& Rect) const { Rect = BoundsOf(*this, {FQd, FZd}); }

PLANDECK_DEFINE_CLASS(TTestBlock, TCustomFigureSet)

void RegisterToolTestClasses() {
  BindToolOps<TTestRect>();
  BindToolOps<TTestCircle>();
  BindToolOps<TTestPolyline>();
  BindToolOps<TTestArrow>();
}

// ---- the fixture

void ToolTest::SetUp() {
  oldEnv = SysEnvironment;
  SysEnvironment = &env;
  env.FPointLxSet = 0;
  env.FOrtho = false;
  env.FAllowMove = true;
  view.setFrameStyle(0);
  view.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  view.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  view.resize(400, 300);
  // A page of 600 x 400 local units, larger than the window.
  doc.FFigures->FWidth = 600;
  doc.FFigures->FHeight = 400;
  view.SetDocument(&doc);
  view.show();
  QApplication::processEvents();
  // The bottom of the page, where the tests draw, in the window.
  view.SetVertPosition(view.VertRange());
  view.SetDrawShape(&TDocItem::StaticClass());
}

void ToolTest::TearDown() {
  view.ReleaseCapture();
  view.SetDocument(nullptr);
  SysEnvironment = oldEnv;
}

// A figure of the root converts between the root's frame and logical units.
Tpt ToolTest::Local(TPoint P) const {
  view.PointClientToDoc(P);
  TTestMark probe;
  probe.FParent = doc.FFigures.get();
  return probe.xyTransAbsPt(P.x, P.y);
}

TPoint ToolTest::Client(Tpt P) const {
  TTestMark probe;
  probe.FParent = doc.FFigures.get();
  TPoint q = ptodp(probe.xyTransLogPt(P.x, P.y));
  view.PointDocToClient(q);
  return q;
}

std::vector<TCustomFigure*> ToolTest::Figures() const {
  std::vector<TCustomFigure*> out;
  TTxCollectFigure* layer = doc.FFigures->FFigures;
  for (int i = 0; i < layer->Count(); ++i) out.push_back(layer->Figures(i));
  return out;
}

bool ToolTest::InSelectTool() const {
  return view.ItemClass() == &TDocItem::StaticClass() && dynamic_cast<TSelectTool*>(view.CurrentTool());
}
