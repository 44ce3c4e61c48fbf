#pragma once
// TArialView: the overview ("导航器"). The whole page fitted into the
// window at the drawing root's overview scale, with the drawing view's
// visible area drawn as a red rectangle; a click (or a drag) moves that
// area and the drawing view scrolls there.

#include "docview/DocView.h"

#include <optional>

class TArialView : public TDocView {
public:
  explicit TArialView(QWidget* Parent = nullptr);

  void SetDocument(TDocument* Document) override;
  // Rect: the drawing view's visible area in its logical units.
  void SetDocRect(const TRect& Rect);
  const TRect& DocRect() const { return FDocRect; }
  const TRect& ViewRect() const { return FViewRect; }
  void ResponseToView(const TRect& Rect) override;

  // The conversions, too, leave the root's view state as they found it.
  void RectDocToClient(TRect& R) const override;
  void PointDocToClient(TPoint& P) const override;
  void PointClientToDoc(TPoint& P) const override;
  void RectClientToDoc(TRect& R) const override;
  TSize GetDocumentLogSize() const override;
  TSize GetDocumentDevSize() const override;
  void ZoomToFit() override;
  void OnUpdate(TDocView* Sender, int Hint, TPersistent* HintObject) override;
  void InvalObj(TDocItem* Item) override;
  void Paint() override;
  // The visible-area rectangle, over the drawn document.
  void ArialView1OnPaint();

  void MouseDown(TMouseButton Button, TShiftState Shift, TPoint Pos) override;
  void MouseMove(TShiftState Shift, TPoint Pos) override;

  TPoint FPointPrev;  // centre of the ghost rectangle shown, (0, 0) for none
  TRect FViewRect;    // client pixels
  TRect FDocRect;     // logical units of the overview
  std::int32_t FViewWidth = 0;
  std::int32_t FViewHeight = 0;

protected:
  void leaveEvent(QEvent* Event) override;

private:
  TRubberShape Ghost(TPoint Centre) const;
  void HideGhost();
  void UpdateClientRect(TRect R);

  // The drawing view's area last reported, to place the rectangle again
  // when the overview scale changes.
  std::optional<TRect> FDrawRect;
  std::optional<TRubberShape> FGhost;
};
