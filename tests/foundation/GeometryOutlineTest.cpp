// Arc-edged outlines: arc angles, flattening, cleaning, convex rings, hit tests and area.
#include "foundation/Workdbx.h"

#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <numbers>
#include <random>

namespace {

constexpr double Pi = std::numbers::pi;

TWorkDbxbx Line(Tpt a, Tpt b) {
  TWorkDbxbx e;
  e.qd = a;
  e.zd = b;
  return e;
}

TWorkDbxbx Arc(Tpt centre, double r, Tpt a, Tpt b, int direction) {
  TWorkDbxbx e;
  e.lx = blArc;
  e.qd = a;
  e.zd = b;
  e.yx = centre;
  e.bj = r;
  e.Direction = direction;
  wbxqdarccs(e);
  return e;
}

TWorkDbx Polyline(const TWddList& v) {
  TWorkDbx w;
  for (std::size_t i = 0; i < v.size(); ++i) w.bx.push_back(Line(v[i], v[(i + 1) % v.size()]));
  workdbxfxjs(w);
  return w;
}

TWorkDbx Circle(Tpt c, double r) {
  TWorkDbx w;
  w.bx.push_back(Arc(c, r, {c.x + r, c.y}, {c.x - r, c.y}, 1));
  w.bx.push_back(Arc(c, r, {c.x - r, c.y}, {c.x + r, c.y}, 1));
  workdbxfxjs(w);
  return w;
}

double OutlineArea(const TWorkDbx& w) { return dbxmj(wdbxtocdbx(w)); }

// Independent reference: the even-odd crossing rule on a closed point ring.
bool EvenOdd(Tpt p, const TWddList& ring) {
  bool inside = false;
  for (std::size_t i = 0, j = ring.size() - 1; i < ring.size(); j = i++) {
    const Tpt a = ring[i], b = ring[j];
    if ((a.y > p.y) != (b.y > p.y) && p.x < (b.x - a.x) * (p.y - a.y) / (b.y - a.y) + a.x)
      inside = !inside;
  }
  return inside;
}

double DistanceToSegment(Tpt p, Tpt a, Tpt b) {
  const double dx = b.x - a.x, dy = b.y - a.y;
  const double len2 = dx * dx + dy * dy;
  double t = len2 > 0 ? ((p.x - a.x) * dx + (p.y - a.y) * dy) / len2 : 0;
  t = std::fmax(0, std::fmin(1, t));
  return std::hypot(p.x - a.x - t * dx, p.y - a.y - t * dy);
}

bool IsConvex(const TSimplePygon& pg) {
  int sign = 0;
  for (std::size_t i = 0; i < pg.bx.size(); ++i) {
    const TBx a = pg.bx[i], b = pg.bx[(i + 1) % pg.bx.size()];
    const double c = (a.zd.x - a.qd.x) * (b.zd.y - b.qd.y) - (a.zd.y - a.qd.y) * (b.zd.x - b.qd.x);
    if (std::abs(c) < 1e-9) continue;
    const int s = c > 0 ? 1 : -1;
    if (sign != 0 && s != sign) return false;
    sign = s;
  }
  return true;
}

double TriangleArea(Tpt a, Tpt b, Tpt c) {
  return std::abs((b.x - a.x) * (c.y - a.y) - (c.x - a.x) * (b.y - a.y)) / 2;
}

TEST(ArcAngles, CounterClockwiseAndClockwiseEdgesCoverTheirSweep) {
  const TWorkDbxbx ccw = Arc({0, 0}, 10, {10, 0}, {0, 10}, 1);
  EXPECT_NEAR(ccw.qj, 0, 1e-12);
  EXPECT_NEAR(ccw.zj, Pi / 2, 1e-12);
  // Clockwise from (10,0) to (0,10) is the long way round.
  const TWorkDbxbx cw = Arc({0, 0}, 10, {10, 0}, {0, 10}, 0);
  EXPECT_NEAR(cw.qj, -3 * Pi / 2, 1e-12);
  EXPECT_NEAR(cw.zj, 0, 1e-12);
  EXPECT_NEAR(wdbxbxcd(cw), 15 * Pi, 1e-9);
  const TWorkDbxbx wrap = Arc({0, 0}, 10, {0, -10}, {0, 10}, 1);
  EXPECT_NEAR(wrap.qj, -Pi / 2, 1e-12);
  EXPECT_NEAR(wrap.zj, Pi / 2, 1e-12);
}

TEST(ArcAngles, AngleRangeIsTestedAcrossTheWrap) {
  TArc right;
  right.qj = -Pi / 2;
  right.zj = Pi / 2;
  EXPECT_TRUE(jonArc(right, 3 * Pi / 2 + 0.1));
  EXPECT_FALSE(jonArc(right, Pi));
  TArc high;
  high.qj = 3 * Pi / 2;
  high.zj = 5 * Pi / 2;
  EXPECT_TRUE(jonArc(high, 0.1));
  const Tpt p = Arcjdtod({0, 0, {1, 2}, 5, 0}, Pi / 2);
  EXPECT_NEAR(p.x, 1, 1e-12);
  EXPECT_NEAR(p.y, 7, 1e-12);
}

TEST(ArcAngles, StraightEdgeAsArcIsTheUpperHalf) {
  const TArc a = wdbxbxtoarc(Line({0, 0}, {3, 4}));
  EXPECT_EQ(a.qj, 0);
  EXPECT_DOUBLE_EQ(a.zj, Pi);
  EXPECT_EQ(a.Direction, 0);
  EXPECT_EQ(wdbxbxtoarc(Arc({0, 0}, 10, {10, 0}, {0, 10}, 1)).Direction, 0);
}

TEST(OutlineLength, ArcsAndLinesAddUp) {
  TWorkDbx w;
  w.bx.push_back(Line({-10, 0}, {10, 0}));
  w.bx.push_back(Arc({0, 0}, 10, {10, 0}, {-10, 0}, 1));
  EXPECT_NEAR(wdbxzc(w), 20 + 10 * Pi, 1e-9);
  EXPECT_NEAR(MltLinezc({Line({0, 0}, {3, 4}), Line({3, 4}, {3, 10})}), 11, 1e-12);
}

TEST(Flattening, FullCircleOfTwoHalfArcs) {
  const TWorkDbx w = Circle({0, 0}, 10);
  // 2 x (start + 45 steps) = 92 points; the shared point at (-10, 0) appears once.
  const TWddList pts = wdbxtowdd(w);
  ASSERT_EQ(pts.size(), 91u);
  EXPECT_TRUE(ppisxd(pts.front(), pts.back()));
  for (const Tpt& p : pts) EXPECT_NEAR(std::hypot(p.x, p.y), 10, 1e-9);
  EXPECT_NEAR(pts[1].y, 10 * std::sin(4 * Pi / 180), 1e-9);  // counter-clockwise
  EXPECT_EQ(MltLineToWdd(w.bx).size(), 91u);
}

TEST(Flattening, ClockwiseArcPointsFollowTheEdge) {
  TWorkDbx w;
  w.bx.push_back(Arc({0, 0}, 10, {0, 10}, {10, 0}, 0));
  const TWddList pts = wdbxtowdd(w);
  // 90 / 4 = 22.5 steps, rounded to even: 22.
  ASSERT_EQ(pts.size(), 23u);
  for (std::size_t i = 1; i < pts.size(); ++i) EXPECT_LT(pts[i].y, pts[i - 1].y);
  EXPECT_NEAR(pts.back().x, 10, 1e-9);
  EXPECT_NEAR(pts.back().y, 0, 1e-9);
}

TEST(Flattening, OpenListEndsAtTheLastEndPoint) {
  const TWddList pts = MltLineToWdd({Line({0, 0}, {5, 0}), Line({5, 0}, {5, 5})});
  ASSERT_EQ(pts.size(), 3u);
  EXPECT_TRUE(ppisxd(pts.back(), {5, 5}));
}

TEST(Chords, QuarterArcBecomesNineChordsOutsideTheArc) {
  const TWorkDbxbxList out = WbxToStandardWbx({Arc({0, 0}, 100, {100, 0}, {0, 100}, 1)}, 0);
  ASSERT_EQ(out.size(), 9u);
  EXPECT_TRUE(ppisxd(out.front().qd, {100, 0}));
  EXPECT_TRUE(ppisxd(out.back().zd, {0, 100}));
  for (std::size_t i = 0; i < out.size(); ++i) {
    EXPECT_EQ(out[i].lx, blLine);
    if (i > 0) {
      EXPECT_TRUE(ppisxd(out[i].qd, out[i - 1].zd));
      EXPECT_NEAR(std::hypot(out[i].qd.x, out[i].qd.y), 100.28624, 1e-9);
    }
  }
}

TEST(Chords, SmallArcsUseFineStepsAndShortChordsAreSkipped) {
  const TWorkDbxbx small = Arc({0, 0}, 100, {100, 0}, protate({100, 0}, 20 * Pi / 180), 1);
  const TWorkDbxbxList fine = WbxToStandardWbx({small}, 0);
  ASSERT_EQ(fine.size(), 5u);
  EXPECT_NEAR(std::hypot(fine[1].qd.x, fine[1].qd.y), 100.0675, 1e-9);
  const TWorkDbxbxList coarse = WbxToStandardWbx({small, Line(small.zd, {0, 0})}, 1000);
  ASSERT_EQ(coarse.size(), 2u);
  EXPECT_TRUE(ppisxd(coarse[0].qd, small.qd));
  EXPECT_TRUE(ppisxd(coarse[0].zd, small.zd));
}

TEST(Cleaning, OpenChainGetsOneClosingEdge) {
  TWorkDbx w;
  w.bx = {Line({0, 0}, {10, 0}), Line({10, 0}, {10, 10})};
  checkwdbx(w);
  ASSERT_EQ(w.bx.size(), 3u);
  EXPECT_TRUE(ppisxd(w.bx[2].qd, {10, 10}));
  EXPECT_TRUE(ppisxd(w.bx[2].zd, {0, 0}));
}

TEST(Cleaning, DanglingFirstEdgeIsDroppedAndOvershootTrimmed) {
  TWorkDbx a;
  a.bx = {Line({-5, 0}, {0, 0}), Line({0, 0}, {10, 10}), Line({10, 10}, {0, 10}), Line({0, 10}, {0, 0})};
  checkwdbx(a);
  ASSERT_EQ(a.bx.size(), 3u);
  EXPECT_TRUE(ppisxd(a.bx[0].qd, {0, 0}));

  TWorkDbx b;
  b.bx = {Line({0, 0}, {10, 0}), Line({10, 0}, {10, 10}), Line({10, 10}, {5, 0})};
  checkwdbx(b);
  ASSERT_EQ(b.bx.size(), 3u);
  EXPECT_TRUE(ppisxd(b.bx[0].qd, {5, 0}));
}

TEST(Cleaning, ZeroLengthEdgesGoAndCollinearEdgesMerge) {
  TWorkDbx w;
  w.bx = {Line({5, 0}, {10, 0}), Line({10, 0}, {10, 0}), Line({10, 0}, {10, 4}),
          Line({10, 4}, {10, 10}), Line({10, 10}, {0, 10}), Line({0, 10}, {0, 0}),
          Line({0, 0}, {5, 0})};
  checkwdbx(w);
  ASSERT_EQ(w.bx.size(), 4u);
  EXPECT_TRUE(ppisxd(w.bx[0].qd, {0, 0}));
  EXPECT_TRUE(ppisxd(w.bx[0].zd, {10, 0}));
  EXPECT_TRUE(ppisxd(w.bx[1].zd, {10, 10}));
}

TEST(Cleaning, ArcEdgesAreNotMerged) {
  TWorkDbx w;
  w.bx = {Line({-10, 0}, {10, 0}), Arc({0, 0}, 10, {10, 0}, {-10, 0}, 1)};
  checkwdbx(w);
  EXPECT_EQ(w.bx.size(), 2u);
}

TEST(RingSplitting, LineCutSplitsABowTieAtItsCrossing) {
  TWddList A, B;
  ASSERT_TRUE(dbxqg({{0, 0}, {10, 10}, {10, 0}, {0, 10}}, A, B));
  ASSERT_EQ(A.size(), 3u);
  ASSERT_EQ(B.size(), 3u);
  EXPECT_TRUE(ppisxd(A[0], {10, 10}) && ppisxd(A[1], {10, 0}) && ppisxd(A[2], {5, 5}));
  EXPECT_TRUE(ppisxd(B[0], {5, 5}) && ppisxd(B[1], {0, 10}) && ppisxd(B[2], {0, 0}));
}

TEST(RingSplitting, ConvexRingIsNotCut) {
  TWddList A, B;
  const TWddList hexagon = {{0, 0}, {10, 0}, {15, 8}, {10, 16}, {0, 16}, {-5, 8}};
  EXPECT_FALSE(dbxqg(hexagon, A, B));
  EXPECT_FALSE(dbxhf(hexagon, A, B));
  EXPECT_FALSE(dbxzqg(hexagon, A, B));
  EXPECT_EQ(SplitRing(hexagon).size(), 1u);
  EXPECT_TRUE(SplitRing({{0, 0}, {1, 1}}).empty());
}

// A plus sign: every edge line either misses the rest of the ring or meets it
// at two different points, because the arms' sides share their lines.
const TWddList Cross = {{0, -10}, {10, -10}, {10, 0},  {20, 0},  {20, 10}, {10, 10},
                        {10, 20}, {0, 20},   {0, 10},  {-10, 10}, {-10, 0}, {0, 0}};

TWddList Rotated(const TWddList& ring, std::size_t first) {
  TWddList out;
  for (std::size_t i = 0; i < ring.size(); ++i) out.push_back(ring[(first + i) % ring.size()]);
  return out;
}

void ExpectPoints(const TWddList& got, std::initializer_list<Tpt> want) {
  ASSERT_EQ(got.size(), want.size());
  std::size_t i = 0;
  for (const Tpt& p : want) {
    EXPECT_TRUE(ppisxd(got[i], p)) << "point " << i << ": " << got[i].x << "," << got[i].y;
    ++i;
  }
}

TEST(RingSplitting, CollinearCutSeparatesAnArmWhenNoLineCutApplies) {
  TWddList A, B;
  EXPECT_FALSE(dbxqg(Cross, A, B));
  EXPECT_FALSE(dbxzqg(Cross, A, B));
  // Edge 1 runs up x = 10; edge 5 lies ahead of it on that line (t = 2..3).
  // Q = (20, 0) is right of the line, (20, 10) too, and (0, 20) after edge 5
  // is left of it, so the ring is cut along x = 10.
  ASSERT_TRUE(dbxhf(Cross, A, B));
  ExpectPoints(A, {{10, 0}, {20, 0}, {20, 10}, {10, 10}});
  ExpectPoints(B, {{10, 20}, {0, 20}, {0, 10}, {-10, 10}, {-10, 0}, {0, 0}, {0, -10}, {10, -10}});
}

TEST(RingSplitting, CollinearCutAlsoTakesAnEdgeBehindTheCutEdge) {
  // Starting at (10, 10), edge 0 runs up x = 10 and the collinear edge
  // (10, -10) -> (10, 0) lies behind it (t = -2..-1).
  TWddList A, B;
  const TWddList ring = Rotated(Cross, 5);
  EXPECT_FALSE(dbxqg(ring, A, B));
  ASSERT_TRUE(dbxhf(ring, A, B));
  ExpectPoints(A, {{10, 20}, {0, 20}, {0, 10}, {-10, 10}, {-10, 0}, {0, 0}, {0, -10}, {10, -10}});
  ExpectPoints(B, {{10, 0}, {20, 0}, {20, 10}, {10, 10}});
}

TEST(RingSplitting, LineOffsetsAcrossAndAlong) {
  EXPECT_DOUBLE_EQ(plxjy({5, 10}, {{0, 0}, {10, 10}}), 5);
  EXPECT_DOUBLE_EQ(plxjx({5, 10}, {{0, 0}, {10, 10}}), -5);
  EXPECT_TRUE(bxyzispx({{3, 0}, {3, 7}}));
  EXPECT_FALSE(bxyzispx({{0, 0}, {1, 7}}));
  EXPECT_EQ(plxjy({5, 10}, {{3, 0}, {3, 7}}), 0);  // vertical: no answer, no NaN
}

TEST(Rings, DegenerateRingsAreDropped) {
  TSimplePygon pg;
  EXPECT_FALSE(wddtopg({{0, 0}, {5, 0}, {5, 0}}, pg));
  EXPECT_TRUE(pg.bx.empty());
  ASSERT_TRUE(wddtopg({{0, 0}, {5, 0}, {5, 0}, {5, 5}}, pg));
  EXPECT_EQ(pg.bx.size(), 3u);
  TWorkDbx empty;
  workdbxfxjs(empty);
  EXPECT_TRUE(empty.fxpg.empty());
  EXPECT_FALSE(pinwdbx({0, 0}, empty));
}

TEST(RectangleOutline, RotatedRectangleIsOneRingWithItsArea) {
  TWorkDbx w;
  jmxztowdbx(w, Pi / 6, 20, 40, 50, 100);
  ASSERT_EQ(w.bx.size(), 4u);
  ASSERT_EQ(w.fxpg.size(), 1u);
  EXPECT_NEAR(wdbxzc(w), 120, 1e-9);
  EXPECT_NEAR(OutlineArea(w), 800, 1e-6);
  EXPECT_TRUE(pinwdbx({100, 50}, w));
  // The first corner (-20, -10) turned by 30 degrees, moved to the centre.
  const Tpt c{100 - 20 * std::cos(Pi / 6) + 10 * std::sin(Pi / 6),
              50 - 20 * std::sin(Pi / 6) - 10 * std::cos(Pi / 6)};
  EXPECT_TRUE(ppisxd(w.bx[0].qd, {c.x, c.y}));
  EXPECT_FALSE(pinwdbx({100 + 21, 50}, w));
}

TEST(Rings, LShapeSplitsIntoConvexPiecesWithTheRightArea) {
  const TWorkDbx w = Polyline({{0, 0}, {20, 0}, {20, 10}, {10, 10}, {10, 20}, {0, 20}});
  ASSERT_GE(w.fxpg.size(), 2u);
  for (const TSimplePygon& pg : w.fxpg) EXPECT_TRUE(IsConvex(pg));
  EXPECT_TRUE(pinwdbx({15, 5}, w));
  EXPECT_TRUE(pinwdbx({5, 15}, w));
  EXPECT_FALSE(pinwdbx({15, 15}, w));
  EXPECT_NEAR(OutlineArea(w), 300, 1e-6);
}

TEST(Rings, FigureEightGivesTwoRingsAndBothLobesAreInside) {
  const TWorkDbx w = Polyline({{0, 0}, {10, 10}, {10, 0}, {0, 10}});
  ASSERT_EQ(w.fxpg.size(), 2u);
  EXPECT_TRUE(pinwdbx({2, 5}, w));
  EXPECT_TRUE(pinwdbx({8, 5}, w));
  EXPECT_FALSE(pinwdbx({5, 1}, w));
  EXPECT_FALSE(pinwdbx({5, 9}, w));
  EXPECT_NEAR(OutlineArea(w), 50, 1e-6);
}

TEST(Rings, RandomFigureEightsGiveTwoRingsWithTheLobeAreas) {
  std::mt19937 rng(7);
  std::uniform_real_distribution<double> jitter(-0.2, 0.2), radius(20, 60);
  for (int n = 0; n < 200; ++n) {
    // A convex quadrilateral q0..q3 traced q0, q2, q1, q3 crosses itself once.
    Tpt q[4];
    for (int i = 0; i < 4; ++i) {
      const double a = (i + 0.5) * Pi / 2 + jitter(rng);
      const double r = radius(rng);
      q[i] = {r * std::cos(a), r * std::sin(a)};
    }
    double t1 = 0, t2 = 0;
    const Tpt x = lljd({q[0], q[2]}, {q[1], q[3]}, t1, t2);
    const TWorkDbx w = Polyline({q[0], q[2], q[1], q[3]});
    ASSERT_EQ(w.fxpg.size(), 2u) << "sample " << n;
    const Tpt lobeA[3] = {q[2], q[1], x}, lobeB[3] = {q[3], q[0], x};
    for (const auto& lobe : {lobeA, lobeB}) {
      const Tpt centroid{(lobe[0].x + lobe[1].x + lobe[2].x) / 3, (lobe[0].y + lobe[1].y + lobe[2].y) / 3};
      EXPECT_TRUE(pinwdbx(centroid, w)) << "sample " << n;
    }
    const double expected = TriangleArea(q[2], q[1], x) + TriangleArea(q[3], q[0], x);
    EXPECT_NEAR(OutlineArea(w), expected, 1e-6 * expected) << "sample " << n;
  }
}

TEST(Rings, StarPolygonsAgreeWithEvenOddAwayFromEdges) {
  std::mt19937 rng(12345);
  std::uniform_real_distribution<double> radius(10, 100), unit(0, 1), coord(-110, 110);
  for (int n = 0; n < 60; ++n) {
    const int count = 5 + static_cast<int>(unit(rng) * 40);
    TWorkDbx w;
    TWddList ring;
    for (int i = 0; i < count; ++i) {
      const double a = (i + 0.8 * unit(rng)) * 2 * Pi / count;
      const double r = radius(rng);
      ring.push_back({r * std::cos(a), r * std::sin(a)});
    }
    for (int i = 0; i < count; ++i) w.bx.push_back(Line(ring[i], ring[(i + 1) % count]));
    workdbxfxjs(w);
    for (int k = 0; k < 400; ++k) {
      const Tpt p{coord(rng), coord(rng)};
      double nearest = 1e300;
      for (int i = 0; i < count; ++i)
        nearest = std::fmin(nearest, DistanceToSegment(p, ring[i], ring[(i + 1) % count]));
      if (nearest < 1e-3) continue;
      ASSERT_EQ(pinwdbx(p, w), EvenOdd(p, ring)) << "polygon " << n << " point " << p.x << "," << p.y;
    }
  }
}

void ExpectRing(const TSimplePygon& pg, std::initializer_list<Tpt> corners) {
  TWddList starts;
  for (const TBx& b : pg.bx) starts.push_back(b.qd);
  ExpectPoints(starts, corners);
}

// After the collinear cut the rest of the cross is cut by lines: along y = 10
// (the top arm), then along y = 0 (the bottom arm from the left arm and centre).
TEST(Rings, CrossOutlineSplitsIntoFourRectanglesThroughTheCollinearCut) {
  const TWorkDbx w = Polyline(Cross);
  for (const Tpt p : {Tpt{15, 5}, Tpt{5, -5}, Tpt{-5, 5}, Tpt{5, 15}, Tpt{5, 5}}) EXPECT_TRUE(pinwdbx(p, w));
  // The four notches between the arms.
  for (const Tpt p : {Tpt{15, 15}, Tpt{-5, 15}, Tpt{-5, -5}, Tpt{15, -5}}) EXPECT_FALSE(pinwdbx(p, w));
  EXPECT_NEAR(OutlineArea(w), 500, 1e-6);
  ASSERT_EQ(w.fxpg.size(), 4u);
  ExpectRing(w.fxpg[0], {{10, 0}, {20, 0}, {20, 10}, {10, 10}});
  ExpectRing(w.fxpg[1], {{0, 0}, {0, -10}, {10, -10}, {10, 0}});
  ExpectRing(w.fxpg[2], {{10, 0}, {10, 10}, {-10, 10}, {-10, 0}});
  ExpectRing(w.fxpg[3], {{10, 10}, {10, 20}, {0, 20}, {0, 10}});
}

TEST(Rings, CrossStartedElsewhereGivesTheSameRectangles) {
  const TWorkDbx w = Polyline(Rotated(Cross, 5));
  for (const Tpt p : {Tpt{15, 15}, Tpt{-5, 15}, Tpt{-5, -5}, Tpt{15, -5}}) EXPECT_FALSE(pinwdbx(p, w));
  EXPECT_NEAR(OutlineArea(w), 500, 1e-6);
  ASSERT_EQ(w.fxpg.size(), 4u);
  ExpectRing(w.fxpg[0], {{0, 0}, {0, -10}, {10, -10}, {10, 0}});
  ExpectRing(w.fxpg[1], {{10, 0}, {10, 10}, {-10, 10}, {-10, 0}});
  ExpectRing(w.fxpg[2], {{10, 10}, {10, 20}, {0, 20}, {0, 10}});
  ExpectRing(w.fxpg[3], {{10, 0}, {20, 0}, {20, 10}, {10, 10}});
}

TEST(Rings, RingsCarryTheBoxOfTheirStartPointsAndHitAsWithout) {
  for (const TWorkDbx& w : {Polyline(Cross), Circle({50, -20}, 10),
                            Polyline({{0, 0}, {20, 0}, {20, 10}, {10, 10}, {10, 20}, {0, 20}})}) {
    ASSERT_FALSE(w.fxpg.empty());
    for (const TSimplePygon& ring : w.fxpg) {
      ASSERT_TRUE(ring.boxed);
      double minx = 1e300, miny = 1e300, maxx = -1e300, maxy = -1e300;
      for (const TBx& b : ring.bx) {
        minx = std::fmin(minx, b.qd.x);
        miny = std::fmin(miny, b.qd.y);
        maxx = std::fmax(maxx, b.qd.x);
        maxy = std::fmax(maxy, b.qd.y);
      }
      EXPECT_EQ(ring.minx, minx);
      EXPECT_EQ(ring.miny, miny);
      EXPECT_EQ(ring.maxx, maxx);
      EXPECT_EQ(ring.maxy, maxy);
      TSimplePygon unboxed = ring;
      unboxed.boxed = false;
      // Just inside and just beyond the 0.0001 margin on every side, and a grid.
      for (const double d : {0.00009, 0.00011}) {
        for (const Tpt p : {Tpt{maxx + d, (miny + maxy) / 2}, Tpt{minx - d, (miny + maxy) / 2},
                            Tpt{(minx + maxx) / 2, maxy + d}, Tpt{(minx + maxx) / 2, miny - d}})
          EXPECT_EQ(pinpygon(p, ring), pinpygon(p, unboxed));
      }
      for (double x = minx - 1; x <= maxx + 1; x += 0.37)
        for (double y = miny - 1; y <= maxy + 1; y += 0.37)
          ASSERT_EQ(pinpygon({x, y}, ring), pinpygon({x, y}, unboxed)) << x << "," << y;
    }
  }
  // An edited ring without its box is tested from its edges.
  TSimplePygon pg;
  ASSERT_TRUE(wddtopg({{0, 0}, {10, 0}, {10, 10}, {0, 10}}, pg));
  EXPECT_FALSE(pinpygon({15, 5}, pg));
  pg.bx = {{{0, 0}, {20, 0}}, {{20, 0}, {20, 10}}, {{20, 10}, {0, 10}}, {{0, 10}, {0, 0}}};
  pg.boxed = false;
  EXPECT_TRUE(pinpygon({15, 5}, pg));
  CacheRingBox(pg);
  EXPECT_TRUE(pinpygon({15, 5}, pg));
  EXPECT_EQ(pg.maxx, 20);
}

TEST(Rings, CircleHitsInsideOnly) {
  const TWorkDbx w = Circle({50, -20}, 10);
  EXPECT_TRUE(pinwdbx({50, -20}, w));
  EXPECT_TRUE(pinwdbx({59.9, -20}, w));
  EXPECT_TRUE(pinwdbx({50, -29.9}, w));
  EXPECT_FALSE(pinwdbx({60.1, -20}, w));
  EXPECT_FALSE(pinwdbx({57.2, -12.8}, w));  // just beyond the rim on the diagonal
  EXPECT_NEAR(OutlineArea(w), 90 * 100 * std::sin(4 * Pi / 180) / 2, 1e-6);
}

// Square A up to where B's left side meets A's top, all of B, then the rest of
// A: one closed outline that touches itself there and crosses at B's bottom.
TWorkDbx TwoSquares(double s, double dx, double dy, double turn) {
  const Tpt p[10] = {{0, 0},      {s, 0},           {s, s},       {dx, s}, {dx, dy},
                     {dx + s, dy}, {dx + s, dy + s}, {dx, dy + s}, {dx, s}, {0, s}};
  TWorkDbx w;
  for (int i = 0; i < 10; ++i)
    w.bx.push_back(Line(protateyd({5, 5}, p[i], turn), protateyd({5, 5}, p[(i + 1) % 10], turn)));
  workdbxfxjs(w);
  return w;
}

TEST(Rings, TwoOverlappingSquaresInOneOutlineGiveTheUnionArea) {
  std::mt19937 rng(99);
  std::uniform_real_distribution<double> frac(0.1, 0.9), side(10, 30), angle(0, 2 * Pi);
  for (int n = 0; n < 2000; ++n) {
    // Every other sample is turned: its corners then meet edges only up to rounding.
    const double s = side(rng), dx = frac(rng) * s, dy = frac(rng) * s;
    const double turn = n % 2 ? angle(rng) : 0;
    const double overlap = (s - dx) * (s - dy);
    if (overlap < 10) continue;
    const TWorkDbx w = TwoSquares(s, dx, dy, turn);
    auto at = [turn](double x, double y) { return protateyd({5, 5}, {x, y}, turn); };
    EXPECT_NEAR(OutlineArea(w), 2 * s * s - overlap, 1e-6 * s * s) << "sample " << n;
    EXPECT_TRUE(pinwdbx(at((dx + s) / 2, (dy + s) / 2), w)) << "sample " << n;  // both squares
    EXPECT_TRUE(pinwdbx(at(dx / 2, s / 2), w)) << "sample " << n;                // first only
    EXPECT_TRUE(pinwdbx(at(dx + s - 0.5, dy + s - 0.5), w)) << "sample " << n;   // second only
    EXPECT_FALSE(pinwdbx(at(dx / 2, s + dy / 2), w)) << "sample " << n;          // beside both
  }
}

TEST(Rings, TurnedOverlappingSquaresKeepTheUnionArea) {
  // Turned corners sit on the other ring's edges only up to rounding.
  for (const double turn : {Pi / 6, 1.0, 2.5, 4.0}) {
    const TWorkDbx w = TwoSquares(20, 8, 5, turn);
    EXPECT_NEAR(OutlineArea(w), 800 - 12 * 15, 1e-6) << "turn " << turn;
  }
}

// Turned by 1.7, the first square's top edge, cut as a ray towards the corner
// V = (8, 20) that the outline visits twice, meets the rest of the ring only
// at V: the piece cut off is the second square, starting and ending at V.
// Split again with that zero-length closing edge, it lost the triangle V,
// (28, 5), (28, 25) and the outline covered 474 instead of 620.
TEST(Rings, RayCutThroughTheTwiceVisitedCornerKeepsBothSquares) {
  auto at = [](double x, double y) { return protateyd({5, 5}, {x, y}, 1.7); };
  const Tpt V = at(8, 20);
  const TWddList ring = {at(0, 0),  at(20, 0),  at(20, 20), V,         at(8, 5),
                         at(28, 5), at(28, 25), at(8, 25),  at(8, 20), at(0, 20)};
  TWddList A, B;
  EXPECT_FALSE(dbxqg(ring, A, B));
  EXPECT_FALSE(dbxhf(ring, A, B));
  ASSERT_TRUE(dbxzqg(ring, A, B));
  ExpectPoints(A, {V, at(8, 5), at(28, 5), at(28, 25), at(8, 25), V});
  ExpectPoints(B, {V, at(0, 20), at(0, 0), at(20, 0), at(20, 20)});

  // With the repeated V dropped, the second square is cut once more along
  // its side through V; that leaves V alone in a piece too small to keep.
  const TWorkDbx w = TwoSquares(20, 8, 5, 1.7);
  ASSERT_EQ(w.fxpg.size(), 2u);
  ExpectRing(w.fxpg[0], {at(8, 5), at(28, 5), at(28, 25), at(8, 25)});
  ExpectRing(w.fxpg[1], {V, at(0, 20), at(0, 0), at(20, 0), at(20, 20)});
  EXPECT_TRUE(pinwdbx(at(24, 20), w));
  EXPECT_NEAR(OutlineArea(w), 800 - 12 * 15, 1e-6);
}

TEST(EdgePicking, ArcEdgeIsPickedNearItsRimWithinItsSweep) {
  const TWorkDbxbx arc = Arc({0, 0}, 10, {10, 0}, {0, 10}, 1);
  EXPECT_TRUE(pjjwdbxbx({12 * std::cos(0.5), 12 * std::sin(0.5)}, arc, 1));
  EXPECT_FALSE(pjjwdbxbx({12 * std::cos(0.5), 12 * std::sin(0.5)}, arc, 2));
  EXPECT_FALSE(pjjwdbxbx({-10, 0.5}, arc, 1));
  EXPECT_TRUE(pjjwdbxbx({5, 2}, Line({0, 0}, {10, 0}), 1));
}

}  // namespace
