#pragma once
// Rubber bands: shapes a tool shows with the inverting pen and erases by
// drawing them again. They are kept as an overlay painted over the view's
// cached picture, so the user sees the same inverted pixels without XOR on
// the window and without trails when the picture under them repaints.

#include "platform/Gdi.h"

#include <vector>

class TCanvas;

enum TRubberKind : std::uint8_t { rkPolyline, rkPolygon, rkRectangle, rkEllipse };

struct TRubberShape {
  TRubberKind Kind = rkPolyline;
  std::vector<TPoint> Points;  // client pixels; two corners for rectangles and ellipses
  std::int32_t Width = 1;
  COLORREF Color = clBlack;  // not-xor with black inverts
  TPenStyle Style = psSolid;
  friend bool operator==(const TRubberShape& A, const TRubberShape& B);

  // Client pixels touched, with a margin for the pen.
  TRect Bounds() const;
  void Paint(TCanvas& DC) const;
};

class TRubberOverlay {
public:
  // Draws Shape with the inverting pen: a shape already shown is erased,
  // as drawing it a second time would. Returns the area to repaint.
  TRect Invert(const TRubberShape& Shape);
  // Forgets every shape; returns the area they covered.
  TRect Clear();
  bool Empty() const { return FShapes.empty(); }
  const std::vector<TRubberShape>& Shapes() const { return FShapes; }
  // Inverts the shapes onto DC, whose mapping is client pixels.
  void Paint(TCanvas& DC) const;

private:
  std::vector<TRubberShape> FShapes;
};
