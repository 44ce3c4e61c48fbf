#include "figures/LabelFont.h"

#include <algorithm>
#include <cmath>

TLogFont LabelFont(const TCustomFigure& Figure, const TCanvas& Canvas, const TMyFont& Font, double AngleDeg) {
  auto round = [](double v) { return ptodp({v, 0}).x; };
  TLogFont font = Canvas.GetFont();
  // Negated: under the views' y-up mapping a positive escapement turns clockwise.
  font.Escapement = font.Orientation = round(-(AngleDeg + Figure.GetAbsParentXzjd()) * 10);
  font.Height = std::max(1, round(Figure.GetScale() * std::abs(Font.FHeight) * Figure.GetAbsParentScale()));
  font.FaceName = Font.FName;
  font.Weight = (Font.FStyle & fsBold) ? FW_BOLD : FW_NORMAL;
  font.Italic = (Font.FStyle & fsItalic) != 0;
  font.Underline = (Font.FStyle & fsUnderline) != 0;
  font.StrikeOut = (Font.FStyle & fsStrikeOut) != 0;
  return font;
}
