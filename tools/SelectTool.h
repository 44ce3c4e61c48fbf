#pragma once
// TSelectTool: selection, moving, sizing and rotating by handles, the
// rubber-band selection, window and real-time zoom, real-time pan, adding
// and deleting vertices, dropping copies and offsetting. The view's
// operation chooses the behaviour; FSelectMode is the state of one drag.

#include "docview/DrawTool.h"
#include "tools/ToolSupport.h"

#include <cstdint>

class TSelectTool : public TDrawTool {
public:
  explicit TSelectTool(const TMetaClass* AItemClass) : TDrawTool(AItemClass) {}

  void OnLButtonDown(TDocView& View, TShiftState Shift, TPoint Pos) override;
  void OnRButtonUp(TDocView& View, TShiftState Shift, TPoint Pos) override;
  void OnLButtonDblClk(TDocView& View, TShiftState Shift, TPoint Pos) override;
  void OnLButtonUp(TDocView& View, TShiftState Shift, TPoint Pos) override;
  void OnMouseMove(TDocView& View, TShiftState Shift, TPoint Pos) override;
  void OnInitialize(TDocView& View) override;
  void OnCancel(TDocView& View) override;

  // The scale a real-time zoom step from FP_Last to Pos gives, or 0 when it
  // is refused (page too small or too large, scale not positive).
  double RealTimeZoomScale(const TDocView& View, TPoint Pos) const;

  std::int32_t first = 0;

private:
  // The class ObjectAt looks for: any when the tool's class is TDocItem.
  const TMetaClass* HitClass() const;
  // A copy or offset point: object snap, else orthogonal to FP_Down.
  TPoint SnapCopyPoint(TDocView& View, TPoint Pos) const;
  void DropCopies(TDocView& View, TPoint Local);
  // Takes the clones of copy object that still follow the mouse out of the drawing.
  void DiscardCopies(TDocView& View);
  void MoveSelection(TDocView& View, TPoint Local);

  TRubber FRubber;
};

// omMove when the environment allows moving, else omNormal.
void SetDefaultOperation(TDocView& View);
