#include "docview/ArialView.h"

#include "docview/Document.h"
#include "docview/RectHelpers.h"
#include "figures/FigureSet.h"
#include "platform/Canvas.h"

#include <QEvent>

namespace {

// The root answers GetScale after the view state of whoever asked last. The
// overview works in its own state and hands the root back as it found it, so
// the drawing view and its tools, which assume theirs, never see ours.
class TViewStateGuard {
public:
  explicit TViewStateGuard(TTxFigureSet* Root) : FRoot(Root), FOld(Root ? Root->FViewState : vsDraw) {}
  ~TViewStateGuard() {
    if (FRoot) FRoot->FViewState = FOld;
  }
  TViewStateGuard(const TViewStateGuard&) = delete;
  TViewStateGuard& operator=(const TViewStateGuard&) = delete;

private:
  TTxFigureSet* FRoot;
  TViewState FOld;
};

constexpr COLORREF ViewRectColor = RGB(255, 0, 0);
constexpr COLORREF GhostColor = RGB(0, 0, 255);

}  // namespace

TArialView::TArialView(QWidget* Parent) : TDocView(Parent) {
  FActive = true;
  FZoomState = qrZoomToFit;
  FViewState = vsArial;
  // The page always fits: nothing to scroll.
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

void TArialView::SetDocument(TDocument* Document) {
  HideGhost();
  FDrawRect.reset();
  FViewRect = FDocRect = TRect{};
  FViewWidth = FViewHeight = 0;
  TViewStateGuard guard(Document ? Document->GetFigures() : nullptr);
  TDocView::SetDocument(Document);
  if (FDocument) ZoomToFit();
}

void TArialView::RectDocToClient(TRect& R) const {
  TViewStateGuard guard(Root());
  TDocView::RectDocToClient(R);
}

void TArialView::PointDocToClient(TPoint& P) const {
  TViewStateGuard guard(Root());
  TDocView::PointDocToClient(P);
}

void TArialView::PointClientToDoc(TPoint& P) const {
  TViewStateGuard guard(Root());
  TDocView::PointClientToDoc(P);
}

void TArialView::RectClientToDoc(TRect& R) const {
  TViewStateGuard guard(Root());
  TDocView::RectClientToDoc(R);
}

TSize TArialView::GetDocumentLogSize() const {
  TViewStateGuard guard(Root());
  return TDocView::GetDocumentLogSize();
}

TSize TArialView::GetDocumentDevSize() const {
  TViewStateGuard guard(Root());
  return TDocView::GetDocumentDevSize();
}

void TArialView::ZoomToFit() {
  TViewStateGuard guard(Root());
  TDocView::ZoomToFit();
  // The overview scale may have changed under the rectangle.
  if (FDrawRect) SetDocRect(*FDrawRect);
}

void TArialView::OnUpdate(TDocView* Sender, int Hint, TPersistent* HintObject) {
  TViewStateGuard guard(Root());
  TDocView::OnUpdate(Sender, Hint, HintObject);
}

void TArialView::InvalObj(TDocItem* Item) {
  TTxFigureSet* root = Root();
  TViewStateGuard guard(root);
  // The item's rectangle at the overview scale.
  if (root) root->FViewState = vsArial;
  TDocView::InvalObj(Item);
}

void TArialView::SetDocRect(const TRect& Rect) {
  TTxFigureSet* root = Root();
  if (!root || root->FArialScale <= 0 || root->FScale <= 0) return;
  TViewStateGuard guard(root);
  const double b = root->FArialScale / root->FScale;
  const TPoint a = ptodp({Rect.Left * b, Rect.Top * b});
  const TPoint c = ptodp({Rect.Right * b, Rect.Bottom * b});
  FDocRect = TRect{a.x, a.y, c.x, c.y};
  FViewRect = FDocRect;
  RectDocToClient(FViewRect);
  ExpandRect(FViewRect, 0);
  const TSize s = RectToSize(FViewRect);
  FViewWidth = s.cx;
  FViewHeight = s.cy;
}

void TArialView::ResponseToView(const TRect& Rect) {
  if (!FDocument) return;
  const TRect old = FViewRect;
  FDrawRect = Rect;
  SetDocRect(Rect);
  // The document picture is cached: only the rectangle's old and new places repaint.
  if (old != FViewRect) {
    UpdateClientRect(old);
    UpdateClientRect(FViewRect);
  }
}

void TArialView::UpdateClientRect(TRect R) {
  const TRect r = ExpandRect(R, 3);
  viewport()->update(QRect(r.Left, r.Top, r.Right - r.Left, r.Bottom - r.Top));
}

void TArialView::Paint() {
  TViewStateGuard guard(Root());
  TDocView::Paint();
  ArialView1OnPaint();
}

void TArialView::ArialView1OnPaint() {
  TCanvas* dc = GetCanvas();
  if (!FDocument || !dc || (FDocRect.Left == FDocRect.Right && FDocRect.Top == FDocRect.Bottom)) return;
  TViewStateGuard guard(Root());
  FViewRect = FDocRect;
  RectDocToClient(FViewRect);
  ExpandRect(FViewRect, 0);
  const int saved = dc->SaveDC();
  dc->SetMapMode(MM_TEXT);
  dc->SetROP2(R2_COPYPEN);
  dc->SelectPen(CreatePen(psSolid, 3, ViewRectColor));
  dc->SelectBrush(NullBrush());
  dc->Rectangle(FViewRect.Left, FViewRect.Top, FViewRect.Right, FViewRect.Bottom);
  dc->RestoreDC(saved);
  // The ghost lives in the overlay, which survives painting, so FPointPrev
  // keeps pointing at it and the next move still erases it.
}

TRubberShape TArialView::Ghost(TPoint Centre) const {
  const TPoint a{Centre.x - FViewWidth / 2, Centre.y - FViewHeight / 2};
  return TRubberShape{rkRectangle, {a, TPoint{a.x + FViewWidth, a.y + FViewHeight}}, 1, GhostColor};
}

void TArialView::HideGhost() {
  if (FGhost) DrawRubberShape(*FGhost);
  FGhost.reset();
  FPointPrev = TPoint{0, 0};
}

void TArialView::MouseMove(TShiftState Shift, TPoint Pos) {
  if (!FDocument) return;
  HideGhost();
  const TRect inner{FViewWidth / 2, FViewHeight / 2, ClientWidth() - FViewWidth / 2,
                    ClientHeight() - FViewHeight / 2};
  if (Pos.x >= inner.Left && Pos.x <= inner.Right && Pos.y >= inner.Top && Pos.y <= inner.Bottom) {
    FGhost = Ghost(Pos);
    DrawRubberShape(*FGhost);
    FPointPrev = Pos;
  }
  // Dragging with the button held moves the area along.
  if (Shift & ssLeft) MouseDown(mbLeft, Shift, Pos);
}

void TArialView::MouseDown(TMouseButton Button, TShiftState, TPoint Pos) {
  if (!FDocument || Button != mbLeft || FViewWidth <= 0 || FViewHeight <= 0) return;
  TViewStateGuard guard(Root());
  UpdateClientRect(FViewRect);
  const TPoint half = ptodp({FViewWidth / 2.0, FViewHeight / 2.0});
  TRect r{Pos.x - half.x, Pos.y - half.y, Pos.x - half.x + FViewWidth, Pos.y - half.y + FViewHeight};
  TRect d = r;
  RectClientToDoc(d);
  FDocRect = ExpandRect(d, 0);
  FViewRect = r;
  UpdateClientRect(r);
  // Only a drawing view answers; it scrolls, repaints and reports back.
  const std::vector<TDocView*> views = FDocument->Views();
  for (TDocView* v : views) v->ResponseToArial(FDocRect);
}

void TArialView::leaveEvent(QEvent* Event) {
  HideGhost();
  TDocView::leaveEvent(Event);
}
