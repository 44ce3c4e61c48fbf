#include "figures/LabelFont.h"

#include "figures/CodeVersion.h"
#include "foundation/ValueStream.h"
#include "platform/System.h"

#include <algorithm>
#include <cmath>

std::int32_t LabelEscapement(const TCustomFigure& Figure, const TCanvas& Canvas, double AngleDeg) {
  const std::int32_t e = ptodp({(AngleDeg + Figure.GetAbsParentXzjd()) * 10, 0}).x;
  // Printers of the first kind take the angle as it is; everywhere else it
  // is negated, since under the y-up mapping a positive escapement turns clockwise.
  const bool firstKindPrinter = Canvas.GetDeviceCaps(TECHNOLOGY) == DT_RASPRINTER && Figure.FDocument &&
                                Figure.FDocument->GetPrinterLx() == 0;
  return firstKindPrinter ? e : -e;
}

TLogFont LabelFont(const TCustomFigure& Figure, const TCanvas& Canvas, const TMyFont& Font, double AngleDeg) {
  auto round = [](double v) { return ptodp({v, 0}).x; };
  TLogFont font = Canvas.GetFont();
  font.Escapement = font.Orientation = LabelEscapement(Figure, Canvas, AngleDeg);
  font.Height = std::max(1, round(Figure.GetScale() * std::abs(Font.FHeight) * Figure.GetAbsParentScale()));
  font.FaceName = Font.FName;
  font.Weight = (Font.FStyle & fsBold) ? FW_BOLD : FW_NORMAL;
  font.Italic = (Font.FStyle & fsItalic) != 0;
  font.Underline = (Font.FStyle & fsUnderline) != 0;
  font.StrikeOut = (Font.FStyle & fsStrikeOut) != 0;
  return font;
}

void ReadLabelFont(TReader& Reader, TMyFont& Font) {
  Font.FName = Reader.ReadString();
  Font.FColor = static_cast<std::uint32_t>(Reader.ReadInteger());
  if (OldCodeVersion <= 2.12) {
    const std::int32_t n = Reader.ReadInteger();
    Font.FPixelsPerInch = ScreenLogPixels;
    Font.FHeight = -double(n) * ScreenLogPixels / 72.0;
  } else {
    Font.FPixelsPerInch = Reader.ReadInteger();
    Font.FHeight = Reader.ReadFloat();
  }
  Reader.Read(&Font.FStyle, 1);
}

void WriteLabelFont(TWriter& Writer, const TMyFont& Font) {
  Writer.WriteString(Font.FName);
  Writer.WriteInteger(static_cast<std::int32_t>(Font.FColor));
  Writer.WriteInteger(Font.FPixelsPerInch);
  Writer.WriteFloat(Font.FHeight);
  Writer.Write(&Font.FStyle, 1);
}
