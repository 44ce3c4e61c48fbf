#pragma once
// The sheet's mapping, the one every target of a drawing uses (the view, the
// picture exports, the bench drawings, printing): one logical unit per
// device pixel, y upwards, the page's top-left corner at Org.

#include "platform/Canvas.h"

inline void SetSheetMapping(TCanvas& DC, TSize PageSize, TPoint Org = {0, 0}) {
  DC.SetMapMode(MM_ANISOTROPIC);
  DC.SetViewportExtEx(2540, -2540);
  DC.SetWindowExtEx(2540, 2540);
  DC.SetWindowOrgEx(0, PageSize.cy);
  DC.OffsetWindowOrgEx(Org.x, Org.y);
}
