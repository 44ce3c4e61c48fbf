#include "docview/DrawTool.h"

#include "docview/DocView.h"
#include "docview/Document.h"
#include "figures/Figure.h"

#include <algorithm>

TDrawTool::TDrawTool(const TMetaClass* AItemClass) : FItemClass(AItemClass) {}

TDrawTool::~TDrawTool() { FSelectMode = smNone; }

void TDrawTool::OnLButtonDown(TDocView& View, TShiftState, TPoint Pos) {
  FP_Down = Pos;
  FP_Last = Pos;
  if ((FSelectMode == smMove || FSelectMode == smSize) && View.Document()) {
    TRect page = View.Document()->GetRect();
    View.RectDocToClient(page);
    ExpandRect(page, 0);
    const TRect client{0, 0, View.ClientWidth(), View.ClientHeight()};
    const TRect r{std::max(page.Left, client.Left), std::max(page.Top, client.Top),
                  std::min(page.Right, client.Right), std::min(page.Bottom, client.Bottom)};
    if (!r.IsEmpty()) {
      // A confined pointer reaches the last pixel inside, not the edge itself.
      FConfineRect = TRect{r.Left, r.Top, r.Right - 1, r.Bottom - 1};
      FConfined = true;
    }
  }
}

TPoint TDrawTool::ConfinePoint(TPoint Pos) const {
  if (!FConfined) return Pos;
  return TPoint{std::clamp(Pos.x, FConfineRect.Left, FConfineRect.Right),
                std::clamp(Pos.y, FConfineRect.Top, FConfineRect.Bottom)};
}

void TDrawTool::OnRButtonUp(TDocView& View, TShiftState, TPoint) { View.SetDrawShape(&TDocItem::StaticClass()); }

void TDrawTool::OnLButtonDblClk(TDocView&, TShiftState, TPoint) {}

void TDrawTool::OnLButtonUp(TDocView& View, TShiftState, TPoint) {
  FConfined = false;
  View.ReleaseCapture();
  if (FSelectMode != smCopyObject && FSelectMode != smOffset) FSelectMode = smNone;
}

void TDrawTool::OnMouseMove(TDocView&, TShiftState, TPoint Pos) { FP_Last = Pos; }

void TDrawTool::OnEditProperties(TDocView&) {}

void TDrawTool::OnInitialize(TDocView&) {
  FSelectMode = smNone;
  FConfined = false;
}

void TDrawTool::OnCancel(TDocView&) {}
void TDrawTool::OnAddPointEnd(TDocView&) {}
