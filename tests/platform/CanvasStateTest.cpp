// The Qt canvas hands the painter only what changed since its last call.
// These check, by pixels, that every change still reaches the painter: a
// new selection, a restore, a mapping change, drawing that set the painter
// up differently in between, and a view using the painter directly.

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include "CanvasTestUtil.h"

namespace {

constexpr COLORREF kRed = RGB(255, 0, 0), kBlue = RGB(0, 0, 255), kGreen = RGB(0, 160, 0);

int CountColour(const Sheet& s, const QRect& area, COLORREF c) {
  int n = 0;
  for (int y = area.top(); y <= area.bottom(); ++y)
    for (int x = area.left(); x <= area.right(); ++x) n += s.At(x, y) == c;
  return n;
}

int InkInColumn(const Sheet& s, int x) {
  int n = 0;
  for (int y = 0; y < s.bitmap.Height(); ++y) n += s.Ink(x, y);
  return n;
}

void HorizontalLine(TCanvas& c, int y, int x0 = 0, int x1 = 40) {
  c.MoveToEx(x0, y);
  c.LineTo(x1, y);
}

COLORREF ImageAt(const QImage& image, int x, int y) { return QColorToColorRef(image.pixelColor(x, y)); }

}  // namespace

TEST(CanvasState, ReselectingThePenInAnotherColourDrawsInThatColour) {
  Sheet s(40, 20);
  s->SelectPen(CreatePen(psSolid, 0, kRed));
  HorizontalLine(*s, 2);
  s->SelectPen(CreatePen(psSolid, 0, kBlue));  // only the colour differs
  HorizontalLine(*s, 5);
  s->SelectPen(CreatePen(psSolid, 0, kRed));
  HorizontalLine(*s, 8);
  EXPECT_EQ(s.At(10, 2), kRed);
  EXPECT_EQ(s.At(10, 5), kBlue);
  EXPECT_EQ(s.At(10, 8), kRed);
}

TEST(CanvasState, RopThatColoursThePenIsUndoneWithTheRop) {
  Sheet s(40, 20);
  s->SelectPen(CreatePen(psSolid, 0, kRed));
  s->SetROP2(R2_BLACK);
  HorizontalLine(*s, 2);
  s->SetROP2(R2_COPYPEN);
  HorizontalLine(*s, 5);
  s->SetROP2(R2_NOP);
  HorizontalLine(*s, 8);
  s->SetROP2(R2_COPYPEN);
  HorizontalLine(*s, 11);
  EXPECT_EQ(s.At(10, 2), clBlack);
  EXPECT_EQ(s.At(10, 5), kRed);
  EXPECT_EQ(s.At(10, 8), clWhite) << "a no-op ROP draws nothing";
  EXPECT_EQ(s.At(10, 11), kRed);
}

TEST(CanvasState, RestoreAfterDrawingBringsBackPenBrushAndRop) {
  Sheet s(60, 30, RGB(100, 100, 100));
  s->SelectPen(CreatePen(psSolid, 0, kRed));
  s->SelectBrush(CreateSolidBrush(kGreen));
  s->Rectangle(2, 2, 18, 18);
  const int level = s->SaveDC();
  s->SelectPen(CreatePen(psSolid, 0, kBlue));
  s->SelectBrush(CreateHatchBrush(bsCross, kBlue));
  s->SetROP2(R2_NOT);
  s->Rectangle(22, 2, 38, 18);
  EXPECT_EQ(s.At(22, 10), RGB(155, 155, 155)) << "outline inverted under R2_NOT";
  ASSERT_TRUE(s->RestoreDC(level));
  s->Rectangle(42, 2, 58, 18);
  EXPECT_EQ(s.At(42, 10), kRed) << "outline in the restored pen";
  EXPECT_EQ(s.At(50, 10), kGreen) << "filled by the restored brush";
  EXPECT_EQ(CountColour(s, QRect(43, 3, 14, 14), kGreen), 14 * 14) << "solid, not hatched, not inverted";
}

TEST(CanvasState, RestoredClipGovernsTheNextDrawing) {
  Sheet s(40, 40);
  s->IntersectClipRect(0, 0, 30, 40);
  s->SaveDC();
  s->IntersectClipRect(0, 0, 10, 40);
  HorizontalLine(*s, 5);
  s->RestoreDC(-1);
  HorizontalLine(*s, 10);
  EXPECT_TRUE(s.Ink(9, 5));
  EXPECT_FALSE(s.Ink(10, 5)) << "the narrow clip";
  EXPECT_TRUE(s.Ink(29, 10)) << "the saved clip again";
  EXPECT_FALSE(s.Ink(30, 10)) << "the outer clip survives the restore";

  // A save and restore with no drawing in between must not lose the clip.
  s->SaveDC();
  s->SelectClipRgn(nullptr);
  s->RestoreDC(-1);
  HorizontalLine(*s, 20);
  EXPECT_TRUE(s.Ink(29, 20));
  EXPECT_FALSE(s.Ink(30, 20));

  // And a clip removed after a save comes back with the restore.
  s->SaveDC();
  s->SelectClipRgn(nullptr);
  HorizontalLine(*s, 25);
  s->RestoreDC(-1);
  HorizontalLine(*s, 30);
  EXPECT_TRUE(s.Ink(35, 25));
  EXPECT_FALSE(s.Ink(35, 30));
}

TEST(CanvasState, PenWidthFollowsAMappingChangeBetweenCalls) {
  Sheet s(60, 60);
  s->SetMapMode(MM_ANISOTROPIC);
  s->SetWindowExtEx(1, 1);
  s->SetViewportExtEx(1, 1);
  s->SelectPen(GeometricPen(TPen{clBlack, pmCopy, psSolid, 3}));
  HorizontalLine(*s, 10, 0, 10);
  s->SetViewportExtEx(3, 3);
  HorizontalLine(*s, 15, 5, 10);  // device x 15..29, centred on row 45
  EXPECT_EQ(InkInColumn(s, 5), 3);
  EXPECT_EQ(InkInColumn(s, 20), 9);
  s->SetViewportExtEx(1, 1);
  HorizontalLine(*s, 25, 40, 50);
  EXPECT_EQ(InkInColumn(s, 45), 3);
}

TEST(CanvasState, PatternBrushTakesTheColoursCurrentAtEachFill) {
  Sheet s(32, 8);
  s->SelectBrush(CreatePatternBrush(TBrushPattern{{0xF0, 0xF0, 0xF0, 0xF0, 0xF0, 0xF0, 0xF0, 0xF0}}));
  s->SelectPen(CreatePen(psClear, 0, clBlack));
  s->SetTextColor(kRed);
  s->SetBkColor(kBlue);
  s->Rectangle(0, 0, 17, 9);
  s->SetTextColor(kGreen);
  s->Rectangle(16, 0, 33, 9);
  // Set bits (the left half of each row) take the background colour.
  EXPECT_EQ(s.At(1, 3), kBlue);
  EXPECT_EQ(s.At(5, 3), kRed);
  EXPECT_EQ(s.At(17, 3), kBlue);
  EXPECT_EQ(s.At(21, 3), kGreen);
}

TEST(CanvasState, HatchGapsFollowBackgroundColourAndMode) {
  Sheet s(48, 16, RGB(200, 200, 200));
  s->SelectPen(CreatePen(psClear, 0, clBlack));
  s->SelectBrush(CreateHatchBrush(bsCross, clBlack));
  s->SetBkColor(kRed);
  s->Rectangle(0, 0, 17, 17);
  s->SetBkColor(kBlue);
  s->Rectangle(16, 0, 33, 17);
  s->SetBkMode(TRANSPARENT);
  s->Rectangle(32, 0, 49, 17);
  const QRect a(0, 0, 16, 16), b(16, 0, 16, 16), c(32, 0, 16, 16);
  EXPECT_GT(CountColour(s, a, kRed), 100);
  EXPECT_EQ(CountColour(s, a, kBlue), 0);
  EXPECT_EQ(CountColour(s, b, kBlue), CountColour(s, a, kRed));
  EXPECT_EQ(CountColour(s, c, RGB(200, 200, 200)), CountColour(s, a, kRed)) << "transparent keeps the sheet";
}

TEST(CanvasState, BrushOriginChangeShiftsTheHatch) {
  Sheet s(32, 16);
  s->SelectPen(CreatePen(psClear, 0, clBlack));
  s->SelectBrush(CreateHatchBrush(bsHorizontal, clBlack));
  s->Rectangle(0, 0, 9, 17);
  s->SetBrushOrgEx(0, 3);
  s->Rectangle(16, 0, 25, 17);
  int shifted = 0;
  for (int y = 0; y + 3 < 16; ++y) {
    EXPECT_EQ(s.Ink(4, y), s.Ink(20, y + 3)) << "row " << y;
    shifted += s.Ink(4, y) != s.Ink(20, y);
  }
  EXPECT_GT(shifted, 0);
}

TEST(CanvasState, AntialiasingSwitchTakesEffectOnTheNextCall) {
  TBitmap bitmap(40, 40);
  TQtCanvas c(&QtImage(bitmap));
  auto greys = [&](int y0, int y1) {
    int n = 0;
    for (int y = y0; y < y1; ++y)
      for (int x = 0; x < 40; ++x) n += bitmap.Pixel(x, y) != clWhite && bitmap.Pixel(x, y) != clBlack;
    return n;
  };
  c.SetGeometryAntialiasing(true);
  c.MoveToEx(0, 0);
  c.LineTo(39, 13);
  c.SetGeometryAntialiasing(false);
  c.MoveToEx(0, 20);
  c.LineTo(39, 33);
  EXPECT_GT(greys(0, 20), 0);
  EXPECT_EQ(greys(20, 40), 0);
}

TEST(CanvasState, TextFillsAndBlitsInBetweenLeavePenAndRopAlone) {
  Sheet s(60, 60, RGB(100, 100, 100));
  s->SelectPen(CreatePen(psSolid, 0, kRed));
  HorizontalLine(*s, 2, 0, 60);
  s->SetTextColor(kBlue);
  s->TextOut(0, 30, "Ab");
  HorizontalLine(*s, 4, 0, 60);
  TBitmap tile(4, 4, RGB(0, 255, 255));
  s->BitBlt(50, 50, 4, 4, tile, 0, 0, SRCINVERT);  // an XOR blit
  HorizontalLine(*s, 6, 0, 60);
  s->FillRect(TRect{0, 10, 60, 20}, CreateHatchBrush(bsCross, kGreen));
  HorizontalLine(*s, 15, 0, 60);
  s->InvertRgn(RegionFromQt(QRegion(0, 50, 10, 10)));
  HorizontalLine(*s, 8, 0, 60);
  for (int y : {2, 4, 6, 15, 8}) EXPECT_EQ(s.At(30, y), kRed) << "row " << y;
  EXPECT_EQ(s.At(51, 51), RGB(100, 155, 155)) << "the blit itself did XOR";
}

TEST(CanvasState, ShorterPolylineAfterALongerOneDrawsOnlyItsOwnPoints) {
  const TPoint longer[] = {{2, 2}, {30, 2}, {30, 30}, {2, 30}, {2, 10}};
  const TPoint shorter[] = {{5, 10}, {20, 20}};
  Sheet s(40, 40);
  s->Polyline(longer, 5);
  s->Polyline(shorter, 2);
  // The same two polylines, each on a canvas of its own.
  Sheet t(40, 40);
  t->Polyline(longer, 5);
  t.canvas.reset();
  t.canvas = CreateBitmapCanvas(t.bitmap);
  t->Polyline(shorter, 2);
  EXPECT_EQ(s.Image(), t.Image());
  EXPECT_FALSE(s.Ink(20, 10)) << "no segment back towards the longer one";
}

// A view paints through a canvas over its own painter and also draws on that
// painter directly; neither may see the other's settings.
TEST(CanvasState, ViewDrawingOnThePainterNeitherLeaksInNorLosesTheClip) {
  QImage image(60, 60, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  {
    TQtCanvas c(painter);
    const TRegion clip = RegionFromQt(QRegion(0, 0, 40, 60));
    c.SelectClipRgn(&clip);
    c.SelectPen(CreatePen(psSolid, 0, kRed));
    c.SelectBrush(CreateSolidBrush(kGreen));
    HorizontalLine(c, 2, 0, 60);

    QPainter& p = c.Painter();
    p.fillRect(0, 5, 60, 3, Qt::black);  // under the canvas's clip
    p.setPen(QPen(Qt::blue, 5));
    p.setBrush(Qt::yellow);
    p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setClipRect(0, 0, 60, 60);
    p.setBackgroundMode(Qt::OpaqueMode);
    p.drawLine(0, 55, 60, 55);

    HorizontalLine(c, 10, 0, 60);
    c.Rectangle(5, 20, 30, 40);
    c.SaveDC();
    c.IntersectClipRect(0, 0, 20, 60);
    c.RestoreDC(-1);
    c.Painter().fillRect(0, 45, 60, 3, Qt::black);
  }
  painter.end();
  EXPECT_EQ(ImageAt(image, 39, 6), clBlack);
  EXPECT_EQ(ImageAt(image, 40, 6), clWhite) << "the view drew under the canvas's clip";
  EXPECT_EQ(ImageAt(image, 20, 10), kRed) << "the canvas pen, not the view's, and no XOR";
  EXPECT_EQ(ImageAt(image, 20, 11), clWhite) << "one pixel wide";
  EXPECT_EQ(ImageAt(image, 45, 10), clWhite) << "the canvas clip is back";
  EXPECT_EQ(ImageAt(image, 5, 30), kRed);
  EXPECT_EQ(ImageAt(image, 15, 30), kGreen) << "the canvas brush";
  EXPECT_EQ(ImageAt(image, 39, 46), clBlack);
  EXPECT_EQ(ImageAt(image, 40, 46), clWhite) << "the restored clip, not the wider one";
  for (int x = 0; x < 40; ++x) {
    const COLORREF line = ImageAt(image, x, 10);
    EXPECT_TRUE(line == kRed) << "aliased, x " << x;
  }
}
