// Regions (combining and hit testing) and clipping, as combined figures and
// pattern fills use them.

#include <gtest/gtest.h>

#include "CanvasTestUtil.h"

TEST(Regions, CombineModesKeepTheirNumericCodes) {
  // Combined figures save these numbers; they must be GDI's.
  EXPECT_EQ(RGN_AND, 1);
  EXPECT_EQ(RGN_OR, 2);
  EXPECT_EQ(RGN_DIFF, 4);
}

TEST(Regions, AndOrDiffAnswerPointTests) {
  const TRegion a = CreateRectRgn(0, 0, 20, 20);
  const TRegion b = CreateRectRgn(10, 10, 30, 30);
  TRegion r;
  ASSERT_EQ(CombineRgn(r, a, b, RGN_AND), SIMPLEREGION);
  EXPECT_TRUE(PtInRegion(r, 15, 15));
  EXPECT_FALSE(PtInRegion(r, 5, 5));
  EXPECT_FALSE(PtInRegion(r, 25, 25));

  ASSERT_EQ(CombineRgn(r, a, b, RGN_OR), COMPLEXREGION);
  EXPECT_TRUE(PtInRegion(r, 5, 5));
  EXPECT_TRUE(PtInRegion(r, 25, 25));
  EXPECT_FALSE(PtInRegion(r, 25, 5));

  // Difference keeps the first and removes the second; order matters.
  ASSERT_EQ(CombineRgn(r, a, b, RGN_DIFF), COMPLEXREGION);
  EXPECT_TRUE(PtInRegion(r, 5, 5));
  EXPECT_FALSE(PtInRegion(r, 15, 15));
  EXPECT_FALSE(PtInRegion(r, 25, 25));
  CombineRgn(r, b, a, RGN_DIFF);
  EXPECT_TRUE(PtInRegion(r, 25, 25));
  EXPECT_FALSE(PtInRegion(r, 5, 5));

  const TRegion far = CreateRectRgn(50, 50, 60, 60);
  EXPECT_EQ(CombineRgn(r, a, far, RGN_AND), NULLREGION);
  EXPECT_TRUE(r.IsEmpty());
}

TEST(Regions, CombiningIntoAnOperandIsSafe) {
  TRegion run = CreateRectRgn(0, 0, 20, 20);
  CombineRgn(run, run, CreateRectRgn(10, 0, 30, 20), RGN_OR);
  CombineRgn(run, run, CreateRectRgn(0, 0, 5, 20), RGN_DIFF);
  EXPECT_FALSE(PtInRegion(run, 2, 10));
  EXPECT_TRUE(PtInRegion(run, 25, 10));
  TRect box;
  GetRgnBox(run, box);
  EXPECT_EQ(box, (TRect{5, 0, 30, 20}));
}

TEST(Regions, PolygonRegionLeavesOutRightAndBottomEdges) {
  const TPoint square[] = {{10, 10}, {20, 10}, {20, 20}, {10, 20}};
  const TRegion r = CreatePolygonRgn(square, 4, WINDING);
  EXPECT_TRUE(PtInRegion(r, 10, 10));
  EXPECT_TRUE(PtInRegion(r, 19, 19));
  EXPECT_FALSE(PtInRegion(r, 20, 15));
  EXPECT_FALSE(PtInRegion(r, 15, 20));
  const TPoint tri[] = {{0, 0}, {40, 0}, {0, 40}};
  const TRegion t = CreatePolygonRgn(tri, 3, ALTERNATE);
  EXPECT_TRUE(PtInRegion(t, 5, 5));
  EXPECT_FALSE(PtInRegion(t, 30, 30));
}

TEST(Regions, PolygonFillModeShapesTheRegion) {
  const TPoint twice[] = {{5, 5}, {35, 5}, {35, 35}, {5, 35}, {5, 10}, {30, 10}, {30, 30}, {10, 30}, {10, 5}};
  EXPECT_TRUE(PtInRegion(CreatePolygonRgn(twice, 9, WINDING), 20, 20));
  EXPECT_FALSE(PtInRegion(CreatePolygonRgn(twice, 9, ALTERNATE), 20, 20));
}

TEST(Clipping, ClipRectangleLimitsDrawingInLogicalUnits) {
  Sheet s(50, 50);
  SetViewMapping(*s, 50);
  s->IntersectClipRect(10, 10, 20, 30);  // logical, y up
  s->FillRect(TRect{0, 0, 50, 50}, CreateSolidBrush(clBlack));
  // Logical y 10..30 are device rows 20..40.
  EXPECT_EQ(s.InkBounds(), QRect(10, 20, 10, 20));
  TRect box;
  s->GetClipBox(box);
  EXPECT_EQ(box, (TRect{10, 10, 20, 30}));
}

TEST(Clipping, ClipsNarrowOnEachIntersection) {
  Sheet s(50, 50);
  s->IntersectClipRect(0, 0, 30, 30);
  s->IntersectClipRect(20, 20, 50, 50);
  s->SelectPen(CreatePen(psSolid, 1, clBlack));
  s->MoveToEx(0, 25);
  s->LineTo(50, 25);
  EXPECT_EQ(s.InkBounds(), QRect(20, 25, 10, 1));
  s->ExcludeClipRect(24, 0, 26, 50);
  s->FillRect(TRect{0, 0, 50, 50}, CreateSolidBrush(RGB(0, 0, 255)));
  EXPECT_EQ(s.At(25, 22), clWhite);
  EXPECT_EQ(s.At(22, 22), RGB(0, 0, 255));
}

TEST(Clipping, PolygonClipRegionMasksAFill) {
  // Pattern fills clip to the outline converted to device points.
  Sheet s(50, 50);
  SetViewMapping(*s, 50);
  TPoint tri[] = {{0, 0}, {40, 0}, {0, 40}};
  s->LPtoDP(tri, 3);
  const TRegion clip = CreatePolygonRgn(tri, 3, WINDING);
  s->ExtSelectClipRgn(&clip, RGN_AND);
  s->FillRect(TRect{0, 0, 50, 50}, CreateSolidBrush(clBlack));
  EXPECT_TRUE(s.Ink(3, 46));    // near logical (3, 3)
  EXPECT_FALSE(s.Ink(35, 15));  // logical (35, 35), outside the triangle
  s->SelectClipRgn(nullptr);
  s->FillRect(TRect{30, 30, 40, 40}, CreateSolidBrush(clBlack));
  EXPECT_TRUE(s.Ink(35, 15));
}

TEST(Regions, FrameAndFillPaintTheRegionInDeviceUnits) {
  Sheet s(50, 50);
  TRegion r;
  CombineRgn(r, CreateRectRgn(5, 5, 25, 25), CreateRectRgn(15, 15, 40, 40), RGN_OR);
  s->FillRgn(r, CreateSolidBrush(RGB(0, 0, 255)));
  s->FrameRgn(r, CreateSolidBrush(clBlack), 2, 2);
  EXPECT_EQ(s.At(5, 10), clBlack);
  EXPECT_EQ(s.At(6, 10), clBlack);
  EXPECT_EQ(s.At(7, 10), RGB(0, 0, 255));
  EXPECT_EQ(s.At(20, 20), RGB(0, 0, 255)) << "the inner corner of a union is not framed";
  EXPECT_EQ(s.At(39, 30), clBlack);
  EXPECT_EQ(s.At(40, 30), clWhite);
}
