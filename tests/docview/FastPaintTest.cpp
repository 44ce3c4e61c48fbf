// The repaint's fast paths against the plain ones: every pixel the same.
// Shaped texts come from a cache of advances and glyph runs; the plain path
// is Qt's drawText and font metrics on every call.

#include "bench/DrawingGenerator.h"
#include "docview/FiguresDoc.h"
#include "figures/SheetMapping.h"
#include "platform/QtCanvas.h"
#include "platform/QtTextShapes.h"

#include <QImage>
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

struct TCachingOff {
  TCachingOff() { SetTextShapeCaching(false); }
  ~TCachingOff() { SetTextShapeCaching(true); }
};

std::int64_t Differing(const QImage& A, const QImage& B) {
  std::int64_t n = 0;
  for (int y = 0; y < A.height(); ++y)
    for (int x = 0; x < A.width(); ++x) n += A.pixel(x, y) != B.pixel(x, y);
  return n;
}

// Texts as the figures give them: turned, centred and right-aligned, at
// fractional positions (the mapping's halves), Chinese and Latin, with tabs
// and several lines, underlined and struck out, tiny and large.
struct TTextSheet {
  std::vector<TSize> Extents;
  QImage Image{400, 300, QImage::Format_RGB32};

  TTextSheet() {
    Image.fill(Qt::white);
    TQtCanvas c(&Image);
    c.SetMapMode(MM_ANISOTROPIC);
    c.SetWindowExtEx(1000, 1000);
    c.SetViewportExtEx(1333, -1333);  // fractional device positions, y up
    c.SetViewportOrgEx(0, 300);
    c.SetBkMode(TRANSPARENT);
    const char* texts[] = {"41.503", "1#楼 办公室", "W", "施工道路", "QTZ80 塔吊", "a\tb\tc"};
    int y = 20;
    for (int i = 0; i < 12; ++i) {
      TLogFont f;
      f.Height = i % 3 == 0 ? -(4 + i) : 6 + 3 * i;
      f.Escapement = (i % 4) * 450;
      f.Weight = i % 5 == 0 ? FW_BOLD : FW_NORMAL;
      f.Underline = i == 7;
      f.StrikeOut = i == 9;
      f.Italic = i == 10;
      if (i == 11) f.FaceName = "Arial";
      c.SelectFont(f);
      c.SetTextAlign(i % 3 == 0 ? TA_LEFT | TA_TOP : i % 3 == 1 ? TA_CENTER | TA_BASELINE : TA_RIGHT | TA_BOTTOM);
      c.SetTextColor(RGB(20 * i, 0, 200 - 10 * i));
      const std::string text = texts[i % 6];
      c.TextOut(30 + 23 * i, y, text);
      Extents.push_back(c.GetTextExtentPoint(text));
      TRect box{150, y + 30, 290, y - 10};
      c.DrawText(text + "\n" + texts[(i + 1) % 6], box, DT_LEFT | DT_EXPANDTABS);
      c.DrawText(text, box, DT_CALCRECT);
      Extents.push_back({box.Right - box.Left, box.Bottom - box.Top});
      y += 18;
    }
    c.Finish();
  }
};

TEST(FastPaint, ShapedTextsDrawAndMeasureAsQtDoes) {
  const TTextSheet cached, again;
  TTextSheet plain = [] {
    TCachingOff off;
    return TTextSheet();
  }();
  EXPECT_EQ(Differing(cached.Image, plain.Image), 0);
  EXPECT_EQ(Differing(again.Image, plain.Image), 0) << "drawn a second time, from the cache";
  EXPECT_EQ(cached.Extents, plain.Extents);
  EXPECT_EQ(again.Extents, plain.Extents);
}

QImage PaintDrawing(TFiguresDoc& Doc, double Zoom) {
  QImage image(960, 540, QImage::Format_RGB32);
  image.fill(Qt::white);
  TQtCanvas canvas(&image);
  const double scale = Doc.FFigures->FScale;
  Doc.FFigures->FScale = scale * Zoom;
  SetSheetMapping(canvas, Doc.GetSize());
  Doc.DrawDC(canvas, nullptr, Doc.GetRect());
  canvas.Finish();
  Doc.FFigures->FScale = scale;
  return image;
}

// A generated drawing of every family, fitted and zoomed in, painted with
// the caches and without.
TEST(FastPaint, AGeneratedDrawingPaintsAsThePlainPathPaintsIt) {
  RegisterDocumentClasses();
  auto file = GenerateDrawingFile(3000, 5);
  TFiguresDoc& doc = *file->FTxProject->FTxSpaces->Docs(0);
  for (double zoom : {0.5, 1.0, 2.5}) {
    const QImage first = PaintDrawing(doc, zoom), second = PaintDrawing(doc, zoom);
    QImage plain;
    {
      TCachingOff off;
      plain = PaintDrawing(doc, zoom);
    }
    EXPECT_EQ(Differing(first, plain), 0) << "zoom " << zoom;
    EXPECT_EQ(Differing(second, plain), 0) << "zoom " << zoom << ", painted again";
  }
}

}  // namespace
