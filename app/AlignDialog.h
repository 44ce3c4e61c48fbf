#pragma once
// The alignment dialog ("排列") of the drawing window's pop-up menu and the
// computation behind it: every further selected item is moved so that one
// edge or the centre lines up with the first selected item.

#include "app/PropertyForm.h"
#include "platform/Gdi.h"

#include <memory>

class QWidget;
class TDocView;

struct TAlignParams {
  int Vert = 0;  // "水平方向；": 0 "不改变", 1 "下对齐", 2 "中对齐", 3 "上对齐"
  int Horz = 0;  // "垂直方向：": 0 "不改变", 1 "左对齐", 2 "中对齐", 3 "右对齐"
};

// The offset (logical units) that aligns Ri with the reference R0. Both are
// normalised position rectangles with y up, so Top is the lower edge.
TPoint AlignOffset(const TRect& R0, const TRect& Ri, TAlignParams Params);

// Aligns the second and further selected items with the first one. The move
// is recorded as one undo step and marks the drawing modified. False when
// nothing was to move.
bool AlignSelection(TDocView& View, TAlignParams Params);

class TAlignDialog {
public:
  explicit TAlignDialog(QWidget* Parent = nullptr);
  TPropertyForm& Form() { return *FForm; }
  const TAlignParams& Params() const { return FParams; }
  // The choices accepted with OK, applied to the view's selection.
  bool Apply(TDocView& View) const { return AlignSelection(View, FParams); }
  // Modal: OK applies.
  bool Run(TDocView& View);

private:
  TAlignParams FParams;
  std::unique_ptr<TPropertyForm> FForm;
};
