#pragma once
// Small rectangle helpers the views use everywhere. ExpandRect lives with the
// figures, which need it too.

#include "figures/FigureDocument.h"
#include "platform/Gdi.h"

#include <cstdlib>

// The rectangle (0, 0, cx, cy).
inline TRect SizeToRect(TSize Size) { return TRect{0, 0, Size.cx, Size.cy}; }

// The extent of a rectangle, positive whichever way round its corners are.
inline TSize RectToSize(const TRect& Rect) {
  return TSize{std::abs(Rect.Right - Rect.Left), std::abs(Rect.Bottom - Rect.Top)};
}

// The smallest rectangle holding both (normalised ones).
inline TRect UnionRect(const TRect& A, const TRect& B) {
  return TRect{A.Left < B.Left ? A.Left : B.Left, A.Top < B.Top ? A.Top : B.Top,
               A.Right > B.Right ? A.Right : B.Right, A.Bottom > B.Bottom ? A.Bottom : B.Bottom};
}
