#include "tools/ToolSupport.h"

#include "docview/Document.h"
#include "figures/FigureSet.h"

#include <QWidget>
#include <algorithm>
#include <cmath>

TPoint ClientToLog(const TDocView& View, TPoint ClientPos) {
  View.PointClientToDoc(ClientPos);
  return ClientPos;
}

TPoint LogToClient(const TDocView& View, Tpt LogPoint) {
  TPoint p = ptodp(LogPoint);
  View.PointDocToClient(p);
  return p;
}

void SetCapture(TDocView& View) { View.viewport()->grabMouse(); }

bool HasCapture(const TDocView& View) { return QWidget::mouseGrabber() == View.viewport(); }

TTxFigureSet* RootOf(const TDocView& View) { return View.Document() ? View.Document()->GetFigures() : nullptr; }

double RootScale(const TDocView& View) {
  const TTxFigureSet* root = RootOf(View);
  return root ? root->GetScale() : 1.0;
}

std::unique_ptr<TCustomFigure> CreateFigure(const TMetaClass* Class) {
  if (!Class || !Class->Factory || !Class->InheritsFrom(TCustomFigure::StaticClass())) return nullptr;
  return std::unique_ptr<TCustomFigure>(static_cast<TCustomFigure*>(Class->Create(nullptr).release()));
}

TCustomFigure* AddToDocument(TDocView& View, std::unique_ptr<TCustomFigure> Figure, TPoint Offset) {
  TCustomFigure* f = Figure.get();
  View.Document()->Add(std::move(Figure), Offset, &View);
  return f;
}

void DiscardFromDocument(TDocView& View, TCustomFigure*& Figure) {
  if (!Figure) return;
  TCustomFigure* f = Figure;
  Figure = nullptr;
  View.Deselect(f);
  if (View.Document()) View.Document()->RemoveItem(f);
}

TRubberShape RubberLine(TPoint A, TPoint B) { return TRubberShape{rkPolyline, {A, B}}; }
TRubberShape RubberRect(TPoint A, TPoint B) { return TRubberShape{rkRectangle, {A, B}}; }
TRubberShape RubberEllipse(TPoint A, TPoint B) { return TRubberShape{rkEllipse, {A, B}}; }

void TRubber::Show(TDocView& View, TRubberShape Shape) {
  Hide(View);
  View.DrawRubberShape(Shape);
  FShape = std::move(Shape);
}

void TRubber::Hide(TDocView& View) {
  if (!FShape) return;
  // Drawing the same shape again erases it.
  View.DrawRubberShape(*FShape);
  FShape.reset();
}

// ---- TToolPointLine

PLANDECK_DEFINE_CLASS(TToolPointLine, TCustomFigure)

void TToolPointLine::AddPoint(Tpt P) {
  Invalidate();
  FPoints.push_back(xyTransAbsPt(P.x, P.y));
  Modified();
}

void TToolPointLine::CalcPositionRect(TRect& Rect) const {
  if (FPoints.empty()) {
    Rect = TRect{};
    return;
  }
  const TLogFrame f = LogFrame();
  TPoint lo = ptodp(f.Map(FPoints.front())), hi = lo;
  for (Tpt p : FPoints) {
    const TPoint q = ptodp(f.Map(p));
    lo = {std::min(lo.x, q.x), std::min(lo.y, q.y)};
    hi = {std::max(hi.x, q.x), std::max(hi.y, q.y)};
  }
  Rect = TRect{lo.x, lo.y, hi.x, hi.y};
  ExpandRect(Rect, FPen.Width);
}

void TToolPointLine::GetHandle(int Index, TPoint& P) const {
  if (Index < 1 || Index > GetPointCount()) return;
  const Tpt p = FPoints[std::size_t(Index - 1)];
  P = ptodp(xyTransLogPt(p.x, p.y));
}

void TToolPointLine::Paint(TShowPlace& ShowPlace) {
  for (std::size_t i = 1; i < FPoints.size(); ++i) DrawLine(FPoints[i - 1], FPoints[i], *ShowPlace.cvs);
}

bool TToolPointLine::Selected(Tpt P, double) const {
  for (std::size_t i = 1; i < FPoints.size(); ++i) {
    Tpt foot;
    if (PointInLine(P, FPoints[i - 1], FPoints[i], foot)) return true;
  }
  return false;
}
