// Pens, brushes, paths and shapes, checked by the pixels they leave.

#include <gtest/gtest.h>

#include "CanvasTestUtil.h"

namespace {
TLogPen FigurePen(std::int32_t width, COLORREF color = clBlack) {
  return GeometricPen(TPen{color, pmCopy, psSolid, width});
}
}  // namespace

TEST(GeometricPen, WidthFiveWithFlatCapsCoversExactlyTheStroke) {
  Sheet s(60, 60);
  SetViewMapping(*s, 60);
  s->SelectPen(FigurePen(5));
  s->BeginPath();
  s->MoveToEx(10, 20);
  s->LineTo(30, 20);
  s->EndPath();
  s->StrokePath();
  // Logical y 20 is device row 40; five rows centred on it, columns 10..29.
  for (int y = 38; y <= 42; ++y)
    for (int x = 10; x <= 29; ++x) ASSERT_TRUE(s.Ink(x, y)) << x << "," << y;
  EXPECT_EQ(s.InkCount(), 5 * 20) << "flat caps add nothing beyond the ends";
}

TEST(GeometricPen, WidthIsInLogicalUnits) {
  Sheet s(60, 60);
  s->SetMapMode(MM_ANISOTROPIC);
  s->SetWindowExtEx(1, 1);
  s->SetViewportExtEx(2, 2);
  s->SelectPen(FigurePen(3));
  s->MoveToEx(5, 10);
  s->LineTo(20, 10);
  // Six device pixels across, thirty along.
  const QRect ink = s.InkBounds();
  EXPECT_EQ(ink.height(), 6);
  EXPECT_EQ(ink.width(), 30);
}

TEST(GeometricPen, MitreJoinFillsTheOuterCorner) {
  Sheet s(60, 60);
  s->SelectPen(FigurePen(9));
  const TPoint corner[] = {{10, 40}, {40, 40}, {40, 10}};
  s->BeginPath();
  s->Polyline(corner, 3);
  s->EndPath();
  s->StrokePath();
  EXPECT_TRUE(s.Ink(44, 44)) << "a mitre reaches the square's far corner";
  EXPECT_TRUE(s.Ink(43, 43));
}

TEST(GeometricPen, ClearDrawsNothingAndInsideFrameStaysInTheBox) {
  Sheet s(60, 60);
  s->SelectPen(GeometricPen(TPen{clBlack, pmCopy, psClear, 5}));
  s->SelectBrush(NullBrush());
  s->Rectangle(10, 10, 50, 50);
  s->MoveToEx(0, 0);
  s->LineTo(50, 50);
  EXPECT_EQ(s.InkCount(), 0);

  s->SelectPen(GeometricPen(TPen{clBlack, pmCopy, psInsideFrame, 6}));
  s->Rectangle(10, 10, 50, 50);
  const QRect ink = s.InkBounds();
  EXPECT_EQ(ink, QRect(10, 10, 40, 40));
  EXPECT_TRUE(s.Ink(15, 30));
  EXPECT_FALSE(s.Ink(16, 30));
}

TEST(CosmeticPen, DashedStylesFollowGdiPatterns) {
  Sheet s(80, 10);
  s->SelectPen(CreatePen(psDash, 1, clBlack));
  s->MoveToEx(0, 2);
  s->LineTo(80, 2);
  for (int x = 0; x < 18; ++x) EXPECT_TRUE(s.Ink(x, 2)) << x;
  for (int x = 18; x < 24; ++x) EXPECT_FALSE(s.Ink(x, 2)) << x;
  EXPECT_TRUE(s.Ink(24, 2));

  s->SelectPen(CreatePen(psDot, 1, clBlack));
  s->MoveToEx(0, 6);
  s->LineTo(80, 6);
  EXPECT_TRUE(s.Ink(0, 6) && s.Ink(2, 6) && s.Ink(6, 6));
  EXPECT_FALSE(s.Ink(3, 6) || s.Ink(5, 6));
}

TEST(Brush, HatchesRepeatEveryEightDevicePixels) {
  Sheet s(64, 64);
  SetViewMapping(*s, 64);  // hatches stay in device space whatever the mapping
  s->FillRect(TRect{0, 0, 64, 64}, CreateHatchBrush(bsHorizontal, clBlack));
  std::vector<int> rows;
  for (int y = 0; y < 64; ++y) {
    int n = 0;
    for (int x = 0; x < 64; ++x) n += s.Ink(x, y);
    if (n > 0) {
      EXPECT_EQ(n, 64) << "row " << y << " is a whole hatch line";
      rows.push_back(y);
    }
  }
  ASSERT_EQ(rows.size(), 8u);
  for (size_t i = 1; i < rows.size(); ++i) EXPECT_EQ(rows[i] - rows[i - 1], 8);

  Sheet v(64, 64);
  v->FillRect(TRect{0, 0, 64, 64}, CreateHatchBrush(bsVertical, clBlack));
  EXPECT_EQ(v.InkCount(), 8 * 64);
}

TEST(Brush, DiagonalHatchesRunTheGdiWay) {
  Sheet f(32, 32);
  f->FillRect(TRect{0, 0, 32, 32}, CreateHatchBrush(bsFDiagonal, clBlack));
  Sheet b(32, 32);
  b->FillRect(TRect{0, 0, 32, 32}, CreateHatchBrush(bsBDiagonal, clBlack));
  // Forward diagonal falls to the right (\), backward rises to the right (/).
  int fSteps = 0, bSteps = 0;
  for (int y = 1; y < 31; ++y)
    for (int x = 1; x < 31; ++x) {
      if (f.Ink(x, y)) fSteps += f.Ink(x + 1, y + 1) ? 1 : -1;
      if (b.Ink(x, y)) bSteps += b.Ink(x + 1, y - 1) ? 1 : -1;
    }
  EXPECT_GT(fSteps, 0);
  EXPECT_GT(bSteps, 0);
  EXPECT_EQ(f.InkCount(), 32 * 32 / 8);
  EXPECT_EQ(b.InkCount(), 32 * 32 / 8);
}

TEST(Brush, OpaqueHatchPaintsBackgroundAndTransparentKeepsIt) {
  Sheet s(16, 16, RGB(200, 0, 0));
  s->SetBkColor(RGB(0, 0, 200));
  s->FillRect(TRect{0, 0, 8, 16}, CreateHatchBrush(bsCross, clBlack));
  s->SetBkMode(TRANSPARENT);
  s->FillRect(TRect{8, 0, 16, 16}, CreateHatchBrush(bsCross, clBlack));
  int blueLeft = 0, redRight = 0;
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 8; ++x) {
      blueLeft += s.At(x, y) == RGB(0, 0, 200);
      redRight += s.At(x + 8, y) == RGB(200, 0, 0);
    }
  EXPECT_GT(blueLeft, 30);
  EXPECT_GT(redRight, 30);
  EXPECT_EQ(blueLeft, redRight) << "the same hatch, only the gaps differ";
}

TEST(Brush, PatternWithDestinationAndBlackensOnlySetBits) {
  Sheet s(16, 16, RGB(255, 0, 0));
  s->SelectBrush(CreatePatternBrush(TBrushPattern{{0x11, 0x22, 0x44, 0x88, 0x11, 0x22, 0x44, 0x88}}));
  s->SetTextColor(clWhite);
  s->SetBkColor(clBlack);
  s->PatBlt(0, 0, 16, 16, DPa);
  EXPECT_EQ(s.At(3, 0), clBlack);  // 0x11: bits 3 and 7 from the left
  EXPECT_EQ(s.At(7, 0), clBlack);
  EXPECT_EQ(s.At(0, 0), RGB(255, 0, 0));
  EXPECT_EQ(s.At(2, 1), clBlack);  // 0x22
  EXPECT_EQ(s.At(3, 1), RGB(255, 0, 0));
}

TEST(InvertingPen, RubberBandDrawnTwiceRestoresThePicture) {
  Sheet s(60, 40);
  s->FillRect(TRect{0, 0, 30, 40}, CreateSolidBrush(clBlack));
  s->FillRect(TRect{30, 20, 60, 40}, CreateSolidBrush(RGB(10, 200, 90)));
  const QImage before = s.Image().copy();

  s->SetROP2(PenModeToRop2(pmNotXor));
  s->SelectPen(CreatePen(psSolid, 1, clBlack));
  s->SelectBrush(NullBrush());
  auto band = [&] {
    s->Rectangle(5, 5, 55, 35);
    s->MoveToEx(5, 5);
    s->LineTo(55, 35);
  };
  band();
  EXPECT_NE(s.Image(), before);
  EXPECT_EQ(s.At(5, 20), clWhite) << "black under a not-xor black pen turns white";
  EXPECT_EQ(s.At(54, 10), clBlack) << "white turns black";
  band();
  EXPECT_EQ(s.Image(), before);
}

TEST(InvertingPen, TrackerBlockInvertsTheDestination) {
  Sheet s(20, 20, RGB(10, 20, 30));
  s->PatBlt(7, 7, 6, 6, DSTINVERT);
  EXPECT_EQ(s.At(7, 7), RGB(245, 235, 225));
  EXPECT_EQ(s.At(12, 12), RGB(245, 235, 225));
  EXPECT_EQ(s.At(13, 13), RGB(10, 20, 30));
  s->PatBlt(7, 7, 6, 6, DSTINVERT);
  EXPECT_EQ(s.At(7, 7), RGB(10, 20, 30));
}

TEST(Shapes, RectangleAndEllipseLeaveOutRightAndBottomEdges) {
  Sheet s(40, 40);
  s->SelectBrush(CreateSolidBrush(RGB(0, 0, 255)));
  s->Rectangle(5, 5, 15, 12);
  EXPECT_EQ(s.InkBounds(), QRect(5, 5, 10, 7));
  EXPECT_EQ(s.At(5, 5), clBlack);
  EXPECT_EQ(s.At(10, 8), RGB(0, 0, 255));

  Sheet e(40, 40);
  e->Ellipse(10, 10, 30, 20);
  EXPECT_EQ(e.InkBounds(), QRect(10, 10, 20, 10));
}

TEST(Shapes, PolygonFillModeDecidesTheOverlap) {
  // One outline that runs twice round the centre square.
  const TPoint twice[] = {{5, 5}, {35, 5}, {35, 35}, {5, 35}, {5, 10}, {30, 10}, {30, 30}, {10, 30}, {10, 5}};
  Sheet alt(40, 40);
  alt->SelectPen(CreatePen(psClear, 0, clBlack));
  alt->SelectBrush(CreateSolidBrush(clBlack));
  alt->SetPolyFillMode(ALTERNATE);
  alt->Polygon(twice, 9);
  Sheet wind(40, 40);
  wind->SelectPen(CreatePen(psClear, 0, clBlack));
  wind->SelectBrush(CreateSolidBrush(clBlack));
  wind->SetPolyFillMode(WINDING);
  wind->Polygon(twice, 9);
  EXPECT_FALSE(alt.Ink(20, 20));
  EXPECT_TRUE(wind.Ink(20, 20));
  EXPECT_TRUE(alt.Ink(7, 20));
}

TEST(Shapes, ArcsRunCounterClockwiseUnlessToldOtherwise) {
  // Start ray east, end ray north of the centre (20, 20) on the device.
  Sheet ccw(41, 41);
  ccw->Arc(0, 0, 41, 41, 40, 20, 20, 0);
  Sheet cw(41, 41);
  cw->SetArcDirection(AD_CLOCKWISE);
  cw->Arc(0, 0, 41, 41, 40, 20, 20, 0);
  auto quadrantInk = [](const Sheet& s, bool right, bool top) {
    int n = 0;
    for (int y = top ? 0 : 22; y < (top ? 19 : 41); ++y)
      for (int x = right ? 22 : 0; x < (right ? 41 : 19); ++x) n += s.Ink(x, y);
    return n;
  };
  EXPECT_GT(quadrantInk(ccw, true, true), 10);
  EXPECT_EQ(quadrantInk(ccw, false, false), 0);
  EXPECT_EQ(quadrantInk(cw, true, true), 0);
  EXPECT_GT(quadrantInk(cw, false, false), 10);
  EXPECT_GT(quadrantInk(cw, false, true), 10);
}

TEST(Shapes, PieFillsItsWedgeOnly) {
  Sheet s(41, 41);
  s->SelectBrush(CreateSolidBrush(clBlack));
  s->Pie(0, 0, 41, 41, 40, 20, 20, 0);
  EXPECT_TRUE(s.Ink(28, 12));
  EXPECT_FALSE(s.Ink(12, 28));
  EXPECT_FALSE(s.Ink(12, 12));
}

TEST(Paths, OneStrokeJoinsAClosedOutlineAllRound) {
  // Drawn as one path the start corner is mitred like the others; drawn as
  // separate lines it would be notched.
  Sheet s(60, 60);
  s->SelectPen(FigurePen(8));
  s->BeginPath();
  s->MoveToEx(10, 10);
  s->LineTo(50, 10);
  s->LineTo(50, 50);
  s->LineTo(10, 50);
  s->CloseFigure();
  s->EndPath();
  s->StrokePath();
  for (QPoint corner : {QPoint(6, 6), QPoint(53, 6), QPoint(53, 53), QPoint(6, 53)})
    EXPECT_TRUE(s.Ink(corner.x(), corner.y())) << corner.x() << "," << corner.y();
  EXPECT_FALSE(s.Ink(30, 30));
}

TEST(Paths, FillAndStrokeUseTheirOwnObjects) {
  Sheet s(40, 40);
  const TPoint tri[] = {{5, 5}, {35, 5}, {20, 35}};
  s->SelectPen(CreatePen(psSolid, 1, RGB(255, 0, 0)));
  s->SelectBrush(CreateSolidBrush(RGB(0, 0, 255)));
  s->BeginPath();
  s->Polygon(tri, 3);
  s->EndPath();
  s->FillPath();
  EXPECT_EQ(s.At(20, 15), RGB(0, 0, 255));
  EXPECT_NE(s.At(20, 5), RGB(255, 0, 0)) << "FillPath does not outline";

  s->BeginPath();
  s->Polygon(tri, 3);
  s->EndPath();
  s->StrokeAndFillPath();
  EXPECT_EQ(s.At(20, 5), RGB(255, 0, 0));
  s->StrokePath();  // the path is used up: nothing happens
}

TEST(Bitmaps, StretchWithOppositeExtentsMirrorsTheImage) {
  TBitmap tile(4, 4, clWhite);
  tile.SetPixel(0, 0, clBlack);  // top-left marker
  Sheet s(20, 20);
  s->StretchBlt(0, 0, 8, 8, tile, 0, 0, 4, 4, SRCCOPY);
  EXPECT_TRUE(s.Ink(0, 0) && s.Ink(1, 1));
  EXPECT_FALSE(s.Ink(2, 2));
  // Source rectangle (0, height, width, 0): flipped rows, as pattern tiles
  // drawn under the y-up mapping are copied.
  s->StretchBlt(10, 10, 8, 8, tile, 0, 4, 4, -4, SRCCOPY);
  EXPECT_TRUE(s.Ink(10, 17));
  EXPECT_FALSE(s.Ink(10, 10));
}
