#pragma once
// The label font's saved record, and the font a figure draws a label with along one of its lines: the canvas
// font turned to the line's angle (plus the ancestors' rotation) and sized
// by the figure's scale and its ancestors' scale. The dimension line and
// the tower crane share it.

#include "figures/Figure.h"
#include "foundation/Persistent.h"

// The escapement of text along AngleDeg (plus the ancestors' rotation), in
// tenths of a degree, with the sign the device and the printer kind want.
std::int32_t LabelEscapement(const TCustomFigure& Figure, const TCanvas& Canvas, double AngleDeg);

// AngleDeg is the line's direction in the figure's own frame, in degrees.
TLogFont LabelFont(const TCustomFigure& Figure, const TCanvas& Canvas, const TMyFont& Font, double AngleDeg);

// The label font's saved values: name, colour, pixels per inch and height,
// then the style as one raw byte. Files up to 2.12 keep one point size
// instead of pixels per inch and height.
void ReadLabelFont(TReader& Reader, TMyFont& Font);
void WriteLabelFont(TWriter& Writer, const TMyFont& Font);
