#pragma once
// What every closed figure shares when it paints: the interior (the brush, or
// the fill item tiled inside the outline) and then the outline with the pen
// style. The outline is the flattened closed polygon in logical points, the
// first point repeated at the end.

#include "figures/Figure.h"

// Fills and outlines Points for Figure, tiling its fill item when it has one.
void PaintClosedOutline(TCustomFigure& Figure, TShowPlace& ShowPlace, const TPoint* Points, int Count);

// The outline alone: filled with the selected brush when Fill is asked and
// the figure's brush is not clear, then stroked unless its pen is clear.
void DrawClosedStroke(const TCustomFigure& Figure, TCanvas& Canvas, const TPoint* Points, int Count, bool Fill);
