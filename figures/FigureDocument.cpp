#include "figures/FigureDocument.h"

#include <utility>

TRect& ExpandRect(TRect& Rect, int N) {
  if (Rect.Top > Rect.Bottom) std::swap(Rect.Top, Rect.Bottom);
  if (Rect.Left > Rect.Right) std::swap(Rect.Left, Rect.Right);
  Rect.Left -= N;
  Rect.Top -= N;
  Rect.Right += N;
  Rect.Bottom += N;
  return Rect;
}
