#pragma once
// What every closed figure shares when it paints: the interior (the brush, or
// the fill item tiled inside the outline) and then the outline with the pen
// style. The outline is the flattened closed polygon in logical points, the
// first point repeated at the end.

#include "figures/Figure.h"

// Fills and outlines Points for Figure, tiling its fill item when it has one.
// The tile grid starts at the top-left of the points' bounding box; only the
// cells that can be seen are drawn. On a printer the block is drawn as
// vectors at every cell, elsewhere one tile is rendered into a bitmap and
// copied. A cell smaller than one logical unit cannot be tiled: the interior
// then takes the figure's brush.
void PaintClosedOutline(TCustomFigure& Figure, TShowPlace& ShowPlace, const TPoint* Points, int Count);

// The outline alone: filled with the selected brush when Fill is asked and
// the figure's brush is not clear, then stroked unless its pen is clear.
void DrawClosedStroke(const TCustomFigure& Figure, TCanvas& Canvas, const TPoint* Points, int Count, bool Fill);

// Tiles Figure's fill item over the logical box Box inside the canvas's
// present clip, as PaintClosedOutline does inside an outline; the caller
// clips to the area first. False when there is no item or its cells are too
// small to tile (the caller then fills with the brush).
bool TileFillItem(TCustomFigure& Figure, TShowPlace& ShowPlace, const TRect& Box);
