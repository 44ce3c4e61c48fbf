// The polygon mesh: saved values written out by hand, meshes too large for
// painting refused on reading, rows and columns drawn.

#include <gtest/gtest.h>

#include "FigureBytes.h"
#include "figures/PolygonMesh.h"

TEST(PolygonMesh, SavedValuesAreTheCountsTheFlagsAndThePointsRowByRow) {
  TPolygonMesh m;
  EXPECT_EQ(m.FClassNameDescription, "三维网格");
  ASSERT_TRUE(m.InitFigure(1, 2, true, false, {{1, 2}, {3, 4}, {5, 6}}));
  ByteBuilder e;
  DefaultFigureValues(e);
  e({0x02, 0x01, 0x02, 0x02, 0x08, 0x09});
  F(e, X1);
  F(e, X2);
  F(e, X3);
  F(e, X4);
  EXPECT_EQ(Written([&](TWriter& w) { m.WriteData(w); }), e.b);
  TPolygonMesh back;
  ReadAll(back, e.b);
  EXPECT_EQ(back.FMCount, 1);
  EXPECT_EQ(back.FNCount, 2);
  EXPECT_FALSE(back.FCloseM);
  EXPECT_TRUE(back.FCloseN);
  ASSERT_EQ(back.GetHandleCount(), 2);
  EXPECT_EQ(back.FPoints[1].y, 4);
}

TEST(PolygonMesh, AMeshLargerThanPaintingHoldsIsRefusedOnReading) {
  // 8193 points; 65536 x 65536, whose product is 0 in 32 bits; a negative count.
  const std::initializer_list<int> counts[] = {{0x03, 0x01, 0x20, 0x02, 0x01},
                                               {0x04, 0x00, 0x00, 0x01, 0x00, 0x04, 0x00, 0x00, 0x01, 0x00},
                                               {0x02, 0xFF, 0x02, 0x02}};
  for (const auto& c : counts) {
    ByteBuilder e;
    DefaultFigureValues(e);
    e(c);
    e({0x08, 0x08});
    for (int i = 0; i < 8; ++i) F(e, X1);
    TPolygonMesh m;
    EXPECT_EQ(ErrorOf([&] {
                TReader r(e.b);
                m.ReadData(r);
              }),
              "三维网格的点数超过8192个，无法读入！");
    EXPECT_EQ(m.GetHandleCount(), 0);
  }
  TPolygonMesh m;
  EXPECT_FALSE(m.InitFigure(8193, 1, false, false, std::vector<Tpt>(8193)));
  EXPECT_FALSE(m.InitFigure(2, 2, false, false, std::vector<Tpt>(3))) << "too few points";
  EXPECT_TRUE(m.InitFigure(8192, 1, false, false, std::vector<Tpt>(8192)));
}

TEST(PolygonMesh, RowsAndColumnsAreDrawnAndClosedOnRequest) {
  TPolygonMesh m;
  // Two rows of three: y = 10 and y = 40, x = 10, 30, 50.
  ASSERT_TRUE(m.InitFigure(2, 3, false, false, {{10, 10}, {30, 10}, {50, 10}, {10, 40}, {30, 40}, {50, 40}}));
  Sheet s(60, 50);
  PaintFigure(m, s);
  EXPECT_TRUE(InkAt(s, 20, 10) && InkAt(s, 40, 40)) << "rows";
  EXPECT_TRUE(InkAt(s, 10, 25) && InkAt(s, 30, 25) && InkAt(s, 50, 25)) << "columns";
  EXPECT_TRUE(m.Selected({20, 20}, 1)) << "anywhere in the rectangle";
  EXPECT_FALSE(m.Selected({55, 45}, 1));

  TPolygonMesh ring;
  ASSERT_TRUE(ring.InitFigure(1, 3, true, false, {{10, 10}, {50, 10}, {30, 40}}));
  Sheet t(60, 50);
  PaintFigure(ring, t);
  EXPECT_TRUE(InkAt(t, 20, 25) || InkAt(t, 19, 25) || InkAt(t, 21, 25)) << "the row closes back to its first point";
}
