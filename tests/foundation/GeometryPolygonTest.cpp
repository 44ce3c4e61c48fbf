// Straight-edged polygons: point tests, clipping, run hiding and overlap areas.
#include "foundation/Comtype.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <random>

namespace {

std::unique_ptr<TPygon> MakePolygon(std::initializer_list<Tpt> pts, TdbxLx lx = lxSolid,
                                    Tdbxjx jx = jxAdd) {
  auto pg = std::make_unique<TPygon>();
  pg->lx = lx;
  pg->jx = jx;
  const std::vector<Tpt> v(pts);
  for (std::size_t i = 0; i < v.size(); ++i) {
    Tpgbx e;
    e.qd = v[i];
    e.zd = v[(i + 1) % v.size()];
    e.zsh = static_cast<std::int32_t>(i);
    e.zbx.push_back({0, 1, lxReal, 0});
    pg->bx.push_back(std::move(e));
  }
  return pg;
}

std::unique_ptr<TPygon> Square(double x, double y, double side, TdbxLx lx = lxSolid) {
  return MakePolygon({{x, y}, {x + side, y}, {x + side, y + side}, {x, y + side}}, lx);
}

struct ExpectedRun {
  double qt, zt;
  TddlxLx lx;
};

void ExpectRuns(const Tpgbx& e, std::initializer_list<ExpectedRun> runs) {
  ASSERT_EQ(e.zbx.size(), runs.size());
  std::size_t i = 0;
  for (const ExpectedRun& r : runs) {
    EXPECT_NEAR(e.zbx[i].qt, r.qt, 1e-9) << "run " << i;
    EXPECT_NEAR(e.zbx[i].zt, r.zt, 1e-9) << "run " << i;
    EXPECT_EQ(e.zbx[i].lx, r.lx) << "run " << i;
    ++i;
  }
}

TEST(PolygonArea, FanAreaOfConvexPolygonsAndDegenerateOnes) {
  EXPECT_NEAR(pgmj(*Square(0, 0, 10)), 100, 1e-9);
  EXPECT_NEAR(pgmj(*MakePolygon({{0, 0}, {8, 0}, {8, 6}})), 24, 1e-9);
  EXPECT_EQ(pgmj(*MakePolygon({{0, 0}, {8, 0}})), 0);
}

TEST(PolygonArea, ListAreaSubtractsDecreasingPolygons) {
  TPygonList list;
  EXPECT_EQ(dbxmj(list), 0);
  list.push_back(Square(0, 0, 10));
  list.push_back(MakePolygon({{0, 0}, {5, 0}, {5, 5}, {0, 5}}, lxSolid, jxDec));
  EXPECT_NEAR(dbxmj(list), 75, 1e-9);
}

TEST(PointInPolygon, InsideAndEdgeMidpointCountButVertexDoesNot) {
  const auto sq = Square(0, 0, 10);
  EXPECT_TRUE(pinpygon({3, 7}, *sq));
  EXPECT_TRUE(pinpygon({5, 0}, *sq));
  EXPECT_TRUE(pinpygon({10, 5}, *sq));
  EXPECT_FALSE(pinpygon({10, 10}, *sq));
  EXPECT_FALSE(pinpygon({0, 0}, *sq));
}

TEST(PointInPolygon, OutsideTheBoxOrTheShapeIsRejected) {
  const auto sq = Square(0, 0, 10);
  EXPECT_FALSE(pinpygon({10.0002, 5}, *sq));
  EXPECT_FALSE(pinpygon({5, -0.0002}, *sq));
  EXPECT_FALSE(pinpygon({10.00005, 5}, *sq));  // inside the margin, outside the shape
  const auto tri = MakePolygon({{0, 0}, {10, 0}, {0, 10}});
  EXPECT_FALSE(pinpygon({8, 8}, *tri));
  EXPECT_FALSE(pinpygon({1, 1}, TPygon{}));
}

TEST(PointInPolygon, PointOnATurnedEdgeCountsAsInside) {
  // Off-axis edges make the cosine of the opposite vectors round past -1.
  std::mt19937 rng(5);
  std::uniform_real_distribution<double> angle(0, 6.28), t(0.05, 0.95);
  for (int n = 0; n < 500; ++n) {
    const double a = angle(rng);
    const Tpt c[4] = {protate({0, 0}, a), protate({10, 0}, a), protate({10, 10}, a), protate({0, 10}, a)};
    const auto pg = MakePolygon({c[0], c[1], c[2], c[3]});
    const double u = t(rng);
    const Tpt p{c[1].x + u * (c[2].x - c[1].x), c[1].y + u * (c[2].y - c[1].y)};
    EXPECT_TRUE(pinpygon(p, *pg)) << "sample " << n;
  }
}

TEST(SegmentClipping, BothEndsInsideCountsAsWhollyInside) {
  // A U shape: the segment joins the two arms across the gap.
  const auto u = MakePolygon({{0, 0}, {30, 0}, {30, 20}, {20, 20}, {20, 5}, {10, 5}, {10, 20}, {0, 20}});
  double a = -1, b = -1;
  EXPECT_EQ(pgjqbx({{5, 15}, {25, 15}}, *u, a, b), 2);
  EXPECT_EQ(a, 0);
  EXPECT_EQ(b, 1);
}

TEST(SegmentClipping, CrossingSegmentGivesSortedStretch) {
  const auto sq = Square(0, 0, 10);
  double a = -1, b = -1;
  EXPECT_EQ(pgjqbx({{15, 5}, {-5, 5}}, *sq, a, b), 2);
  EXPECT_NEAR(a, 0.25, 1e-12);
  EXPECT_NEAR(b, 0.75, 1e-12);
  EXPECT_EQ(pgjqbx({{5, 5}, {15, 5}}, *sq, a, b), 1);
  EXPECT_NEAR(a, 0.5, 1e-12);
  EXPECT_EQ(pgjqbx({{20, 5}, {30, 5}}, *sq, a, b), 0);
}

TEST(SegmentClipping, CollinearEdgeDecidesTheOverlap) {
  const auto sq = Square(0, 0, 10);
  double a = -1, b = -1;
  EXPECT_EQ(pgjqbx({{-5, 0}, {5, 0}}, *sq, a, b), 2);
  EXPECT_NEAR(a, 0.5, 1e-12);
  EXPECT_NEAR(b, 1, 1e-12);
  // Touching the polygon only at the segment's end is no overlap.
  EXPECT_EQ(pgjqbx({{-10, 0}, {0, 0}}, *sq, a, b), 0);
}

TEST(RunHiding, StretchInsideOneRunSplitsItInThree) {
  Tpgbx e;
  e.zbx.push_back({0, 1, lxReal, 42});
  e.xjqt = 0.25;
  e.xjzt = 0.5;
  bxzddj(e);
  ExpectRuns(e, {{0, 0.25, lxReal}, {0.25, 0.5, lxHide}, {0.5, 1, lxReal}});
  EXPECT_EQ(e.zbx[0].zsid, 42);
}

TEST(RunHiding, WholeStretchLeavesOneHiddenRun) {
  Tpgbx e;
  e.zbx.push_back({0, 1, lxReal, 0});
  e.xjqt = 0;
  e.xjzt = 1;
  bxzddj(e);
  ExpectRuns(e, {{0, 1, lxHide}});
}

TEST(RunHiding, StretchAcrossRunsMergesWithNeighbouringHiddenRun) {
  Tpgbx e;
  e.zbx = {{0, 0.3, lxReal, 1}, {0.3, 0.6, lxHide, 2}, {0.6, 1, lxReal, 3}};
  e.xjqt = 0.5;
  e.xjzt = 0.8;
  bxzddj(e);
  ExpectRuns(e, {{0, 0.3, lxReal}, {0.3, 0.8, lxHide}, {0.8, 1, lxReal}});
  EXPECT_EQ(e.zbx[1].zsid, 2);
}

TEST(RunHiding, EdgeWithoutRunsGainsNone) {
  Tpgbx e;
  e.xjqt = 0.2;
  e.xjzt = 0.4;
  bxzddj(e);
  EXPECT_TRUE(e.zbx.empty());
}

TEST(RunHiding, ManyStretchesGrowPastTwoHundredRuns) {
  Tpgbx e;
  e.zbx.push_back({0, 1, lxReal, 0});
  const int n = 300;
  for (int i = 0; i < n; ++i) {
    e.xjqt = (2 * i + 1) / (2.0 * n + 1);
    e.xjzt = (2 * i + 2) / (2.0 * n + 1);
    bxzddj(e);
  }
  ASSERT_EQ(e.zbx.size(), 2u * n + 1);
  for (std::size_t i = 0; i < e.zbx.size(); ++i) {
    EXPECT_EQ(e.zbx[i].lx, i % 2 ? lxHide : lxReal);
    if (i > 0) {
      EXPECT_EQ(e.zbx[i].qt, e.zbx[i - 1].zt);
    }
  }
  EXPECT_EQ(e.zbx.back().zt, 1);
}

TEST(OverlapPolygon, TwoSquaresGiveTheirCommonSquareAndHideCoveredEdges) {
  auto a = Square(0, 0, 10), b = Square(5, 5, 10);
  const auto r = pgpgxj(*a, *b, 0);
  ASSERT_EQ(r->bx.size(), 4u);
  EXPECT_EQ(r->tx, txXjzx);
  EXPECT_NEAR(pgmj(*r), 25, 1e-9);
  EXPECT_TRUE(ppisxd(r->bx.front().qd, r->bx.back().zd));
  for (const Tpgbx& e : r->bx) EXPECT_TRUE(e.zbx.empty());
  // a's right edge (10,0)->(10,10) is covered from y = 5 up; its bottom is free.
  ExpectRuns(a->bx[1], {{0, 0.5, lxReal}, {0.5, 1, lxHide}});
  ExpectRuns(a->bx[0], {{0, 1, lxReal}});
  ExpectRuns(b->bx[0], {{0, 0.5, lxHide}, {0.5, 1, lxReal}});
  for (const TPygon* pg : {a.get(), b.get()})
    for (const Tpgbx& e : pg->bx) EXPECT_FALSE(e.isxj || e.iscl || e.isch);
}

TEST(OverlapPolygon, SmallOverlapHasNoEdgesButStillHides) {
  auto a = Square(0, 0, 10), b = Square(8, 8, 10);  // overlap 2 x 2
  const auto r = pgpgxj(*a, *b, 1);
  EXPECT_TRUE(r->bx.empty());
  ExpectRuns(a->bx[1], {{0, 0.8, lxReal}, {0.8, 1, lxHide}});
  ExpectRuns(b->bx[3], {{0, 0.8, lxReal}, {0.8, 1, lxHide}});
}

TEST(OverlapPolygon, VirtualPolygonHidesNothingOfTheOther) {
  auto a = Square(0, 0, 10), b = Square(5, 5, 10, lxVirsul);
  pgpgxj(*a, *b, 0);
  for (const Tpgbx& e : a->bx) ExpectRuns(e, {{0, 1, lxReal}});
  ExpectRuns(b->bx[0], {{0, 0.5, lxHide}, {0.5, 1, lxReal}});
}

TEST(OverlapPolygon, ModeThreeLeavesTheSecondPolygonUntouched) {
  auto a = Square(0, 0, 10), b = Square(5, 5, 10);
  pgpgxj(*a, *b, 3);
  for (const Tpgbx& e : b->bx) ExpectRuns(e, {{0, 1, lxReal}});
  ExpectRuns(a->bx[2], {{0, 0.5, lxHide}, {0.5, 1, lxReal}});
}

TEST(OverlapPolygon, OverlapPolygonsKeepTheirOwnEdgesVisible) {
  auto a = Square(0, 0, 10), b = Square(5, 5, 10);
  auto r = pgpgxj(*a, *b, 0);
  for (Tpgbx& e : r->bx) e.zbx.push_back({0, 1, lxReal, 0});
  auto c = Square(2, 2, 10);
  pgpgxj(*r, *c, 0);
  for (const Tpgbx& e : r->bx) ExpectRuns(e, {{0, 1, lxReal}});
}

TEST(PolygonListMerge, UnionAreaOfTwoSquares) {
  TPygonList one, two;
  one.push_back(Square(0, 0, 10));
  two.push_back(Square(5, 5, 10));
  dbxxbdbx(one, two);
  EXPECT_TRUE(two.empty());
  ASSERT_EQ(one.size(), 3u);
  EXPECT_EQ(one[0]->jx, jxDec);
  EXPECT_NEAR(dbxmj(one), 175, 1e-9);
}

TEST(PolygonListMerge, ThreeSquaresFollowInclusionExclusion) {
  TPygonList all;
  for (double x : {0.0, 6.0, 12.0}) {
    TPygonList next;
    next.push_back(Square(x, 0, 10));
    dbxxbdbx(all, next);
  }
  // 3 * 100 - 2 * 40 (neighbours) ; the outer pair does not meet.
  EXPECT_NEAR(dbxmj(all), 220, 1e-9);
}

TEST(PolygonListMerge, DeletedPolygonIsDroppedAndItsOverlapSubtracts) {
  TPygonList one, two;
  one.push_back(Square(0, 0, 10));
  two.push_back(Square(5, 5, 10, lxDel));
  dbxxbdbx(one, two);
  ASSERT_EQ(one.size(), 2u);
  EXPECT_EQ(one[0]->lx, lxVirsul);
  EXPECT_EQ(one[0]->jx, jxDec);
  EXPECT_NEAR(dbxmj(one), 75, 1e-9);
}

TEST(PolygonListMerge, SmallOverlapIsNotCounted) {
  TPygonList one, two;
  one.push_back(Square(0, 0, 10));
  two.push_back(Square(8, 8, 10));
  dbxxbdbx(one, two);
  EXPECT_EQ(one.size(), 2u);
  EXPECT_NEAR(dbxmj(one), 200, 1e-9);
}

}  // namespace
