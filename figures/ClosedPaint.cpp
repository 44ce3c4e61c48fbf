#include "figures/ClosedPaint.h"

void DrawClosedStroke(const TCustomFigure& Figure, TCanvas& Canvas, const TPoint* Points, int Count, bool Fill) {
  if (!Points || Count < 2) return;
  if (Fill && Figure.FBrush.Style != bsClear) {
    Canvas.BeginPath();
    Canvas.Polygon(Points, Count);
    Canvas.EndPath();
    Canvas.FillPath();
  }
  if (Figure.FPen.Style != psClear) StrokeStyled(Canvas, Points, Count, Figure.FPen.Style);
}

void PaintClosedOutline(TCustomFigure& Figure, TShowPlace& ShowPlace, const TPoint* Points, int Count) {
  if (!ShowPlace.cvs || Count < 2) return;
  // TODO(closed shapes): tile the fill item inside the outline.
  DrawClosedStroke(Figure, *ShowPlace.cvs, Points, Count, true);
}
