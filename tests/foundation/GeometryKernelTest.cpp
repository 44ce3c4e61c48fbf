// Points, vectors and segments of the plane geometry kernel.
#include "foundation/Comtype.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <random>

namespace {

constexpr double Pi = std::numbers::pi;

void ExpectPt(Tpt expected, Tpt actual, double tol = 1e-9) {
  EXPECT_NEAR(expected.x, actual.x, tol);
  EXPECT_NEAR(expected.y, actual.y, tol);
}

TEST(DirectionAngle, QuadrantsAndAxesMapIntoZeroToTwoPi) {
  EXPECT_NEAR(ppjd({0, 0}, {1, 1}), Pi / 4, 1e-12);
  EXPECT_NEAR(ppjd({0, 0}, {-1, 1}), 3 * Pi / 4, 1e-12);
  EXPECT_NEAR(ppjd({0, 0}, {-1, -1}), 5 * Pi / 4, 1e-12);
  EXPECT_NEAR(ppjd({0, 0}, {1, -1}), 7 * Pi / 4, 1e-12);
  EXPECT_DOUBLE_EQ(ppjd({2, 2}, {2, 5}), Pi / 2);
  EXPECT_DOUBLE_EQ(ppjd({2, 2}, {2, -5}), 3 * Pi / 2);
  EXPECT_DOUBLE_EQ(ppjd({2, 2}, {7, 2}), 0);
}

TEST(DirectionAngle, CoincidentPointsPointDown) { EXPECT_DOUBLE_EQ(ppjd({3, 4}, {3, 4}), 3 * Pi / 2); }

TEST(DirectionAngle, TinyVerticalOffsetSnapsToAxis) { EXPECT_DOUBLE_EQ(ppjd({0, 0}, {-1, 1e-8}), Pi); }

TEST(VectorAngle, ZeroVectorGivesZeroAndOthersTheUnsignedAngle) {
  EXPECT_EQ(VVd({0, 0}, {1, 0}), 0);
  EXPECT_NEAR(VVd({1, 0}, {0, 3}), Pi / 2, 1e-12);
  EXPECT_NEAR(VVd({2, 0}, {-5, 0}), Pi, 1e-12);
  EXPECT_NEAR(VVd({1, 0}, {1, -1}), Pi / 4, 1e-12);
}

TEST(VectorMeasures, OverflowYieldsZeroInsteadOfInfinity) {
  const double big = std::numeric_limits<double>::max();
  EXPECT_EQ(modV({big, big}), 0);
  EXPECT_EQ(VoV({big, big}, {big, big}), 0);
  EXPECT_EQ(modV({std::nan(""), 1}), 0);
}

TEST(DevicePoints, RoundingSendsHalvesToEven) {
  const TPoint a = ptodp({0.5, 1.5});
  EXPECT_EQ(a.x, 0);
  EXPECT_EQ(a.y, 2);
  const TPoint b = ptodp({-2.5, 2.4999});
  EXPECT_EQ(b.x, -2);
  EXPECT_EQ(b.y, 2);
  const Tpt back = dptop({-7, 12});
  EXPECT_EQ(back.x, -7);
  EXPECT_EQ(back.y, 12);
}

TEST(DevicePoints, OutOfRangeAndNaNStayDefined) {
  const TPoint p = ptodp({1e300, std::nan("")});
  EXPECT_EQ(p.x, std::numeric_limits<std::int32_t>::max());
  EXPECT_EQ(p.y, 0);
}

TEST(Rotation, QuarterTurnsAndAboutAPoint) {
  ExpectPt({0, 1}, protate({1, 0}, Pi / 2));
  ExpectPt({-3, 2}, protate({2, 3}, Pi / 2));
  ExpectPt({0, 1}, protateyd({1, 1}, {2, 1}, Pi));
}

TEST(Rotation, InverseRotationReturnsThePoint) {
  std::mt19937 rng(20240611);
  std::uniform_real_distribution<double> coord(-1e4, 1e4), angle(-10, 10);
  for (int i = 0; i < 2000; ++i) {
    const Tpt c{coord(rng), coord(rng)}, p{coord(rng), coord(rng)};
    const double a = angle(rng);
    ExpectPt(p, protateyd(c, protateyd(c, p, a), -a), 1e-8);
  }
}

TEST(SegmentHelpers, AuxiliarySegmentHasFixedLengthInGivenDirection) {
  const TBx b = pjdtobx({1, 2}, Pi / 2);
  ExpectPt({1, 2}, b.qd);
  ExpectPt({1, 102}, b.zd);
  Tpgbx e;
  e.qd = {1, 2};
  e.zd = {3, 4};
  const TBx c = pbxtobx(e);
  ExpectPt({3, 4}, c.zd);
}

TEST(SegmentParameter, MeasuredOnXThenYAndZeroWhenDegenerate) {
  EXPECT_DOUBLE_EQ(dtot({5, 7}, {{0, 0}, {10, 0}}), 0.5);
  EXPECT_DOUBLE_EQ(dtot({3, 15}, {{3, 10}, {3, 20}}), 0.5);
  EXPECT_EQ(dtot({5, 5}, {{1, 1}, {1, 1}}), 0);
  ExpectPt({2.5, 5}, ttod(0.25, {{0, 0}, {10, 20}}));
}

TEST(SegmentParameter, InfiniteParameterGivesOrigin) {
  ExpectPt({0, 0}, ttod(std::numeric_limits<double>::infinity(), {{1, 1}, {2, 3}}));
}

TEST(PointEquality, ExactAndNearTolerances) {
  EXPECT_TRUE(ppisxd({1, 1}, {1 + 5e-8, 1 - 5e-8}));
  EXPECT_FALSE(ppisxd({1, 1}, {1 + 2e-7, 1}));
  EXPECT_TRUE(ppjsxd({0, 0}, {9.9, -9.9}));
  EXPECT_FALSE(ppjsxd({0, 0}, {10, 0}));
  EXPECT_TRUE(bxisch({{0, 0}, {5, 5}}, {{5, 5}, {0, 0}}));
  EXPECT_FALSE(bxisch({{0, 0}, {5, 5}}, {{0, 0}, {5, 6}}));
}

TEST(LineIntersection, CrossingLinesGiveBothParameters) {
  double t1 = -1, t2 = -1;
  ExpectPt({5, 0}, lljd({{0, 0}, {10, 0}}, {{5, -5}, {5, 15}}, t1, t2));
  EXPECT_DOUBLE_EQ(t1, 0.5);
  EXPECT_DOUBLE_EQ(t2, 0.25);
  ExpectPt({-10, 0}, lljd({{0, 0}, {10, 0}}, {{-10, 10}, {-10, 20}}, t1, t2));
  EXPECT_DOUBLE_EQ(t1, -1);
  EXPECT_DOUBLE_EQ(t2, -1);
}

TEST(LineIntersection, ParallelLinesReportTheOtherEndsAlongTheFirst) {
  double t1 = -1, t2 = -1;
  ExpectPt({0, 0}, lljd({{0, 0}, {10, 0}}, {{2, 3}, {8, 3}}, t1, t2));
  EXPECT_DOUBLE_EQ(t1, 0.2);
  EXPECT_DOUBLE_EQ(t2, 0.8);
  // A zero-length first segment has no direction to measure along.
  lljd({{1, 1}, {1, 1}}, {{2, 3}, {8, 3}}, t1, t2);
  EXPECT_EQ(t1, 0);
  EXPECT_EQ(t2, 0);
}

TEST(LineIntersection, ParallelTestTightensWithSegmentLength) {
  // The cross product is not normalised: short segments look parallel at any angle.
  EXPECT_TRUE(llispx({{0, 0}, {1e-4, 0}}, {{0, 0}, {0, 1e-4}}));
  EXPECT_FALSE(llispx({{0, 0}, {1000, 0}}, {{0, 0}, {1000, 1e-9}}));
  EXPECT_TRUE(llispx({{0, 0}, {1, 1}}, {{1, 1}, {1, 1}}));
}

TEST(Projection, FootAndMirrorImage) {
  double t = 0;
  ExpectPt({3, 0}, CalPtLine({3, 4}, {{0, 0}, {10, 0}}, t));
  EXPECT_NEAR(t, 0.3, 1e-12);
  ExpectPt({3, -4}, Caldcp({3, 4}, {{0, 0}, {10, 0}}));
  ExpectPt({0, 2}, Caldcp({2, 0}, {{0, 0}, {1, 1}}));
  ExpectPt({1, 2}, CalPtLine({1, 2}, {{0, 2}, {4, 2}}, t));
}

TEST(PointOnSegment, EndsAndInteriorCountOnlyOnTheSegment) {
  const TBx s{{0, 0}, {10, 5}};
  EXPECT_TRUE(pinbx({0, 0}, s));
  EXPECT_TRUE(pinbx({10, 5}, s));
  EXPECT_TRUE(pinbx({4, 2}, s));
  EXPECT_FALSE(pinbx({12, 6}, s));
  EXPECT_FALSE(pinbx({4, 2.001}, s));
  EXPECT_TRUE(pinbx({1, 1}, {{1, 1}, {1, 1}}));
}

TEST(PointOnLine, ExtensionAndStartPointCount) {
  const TBx s{{0, 0}, {10, 5}};
  EXPECT_TRUE(pinline({20, 10}, s));
  EXPECT_TRUE(pinline({-2, -1}, s));
  EXPECT_TRUE(pinline({0, 0}, s));
  EXPECT_FALSE(pinline({20, 11}, s));
}

TEST(NearSegment, VerticalSegmentIsNotPickedBeyondItsEnds) {
  const TBx v{{0, 0}, {0, 10}};
  EXPECT_TRUE(pjjbx({2, 5}, v, 1));
  EXPECT_FALSE(pjjbx({2, 5}, v, 2));  // 4 pixels at factor 2 is 2 units
  EXPECT_FALSE(pjjbx({1, 11}, v, 1));
  EXPECT_FALSE(pjjbx({0, 12}, v, 1));
  EXPECT_TRUE(pjjbx({0, 10}, v, 1));
}

TEST(NearSegment, HorizontalAndSlantedSegmentsUseThePerpendicularDistance) {
  EXPECT_TRUE(pjjbx({5, -3}, {{10, 0}, {0, 0}}, 1));
  EXPECT_FALSE(pjjbx({-1, 0.5}, {{10, 0}, {0, 0}}, 1));
  const TBx d{{0, 0}, {10, 10}};
  EXPECT_TRUE(pjjbx({4, 6}, d, 1));    // distance √2
  EXPECT_FALSE(pjjbx({2, 8}, d, 1));   // distance 3√2
  EXPECT_FALSE(pjjbx({-1, -1.5}, d, 1));  // foot before the start
}

TEST(CircleCentres, CentresLieLeftAndRightOfTheChord) {
  Tpt a{99, 99}, b{99, 99};
  ASSERT_TRUE(bxbjqyx({{0, 0}, {6, 0}}, 5, a, b));
  ExpectPt({3, 4}, a);
  ExpectPt({3, -4}, b);
  ASSERT_TRUE(bxbjqyx({{0, 0}, {6, 0}}, 3, a, b));
  ExpectPt({3, 0}, a);
  ExpectPt({3, 0}, b);
}

TEST(CircleCentres, RadiusBelowHalfChordFailsAndLeavesOutputs) {
  Tpt a{99, 99}, b{-99, -99};
  EXPECT_FALSE(bxbjqyx({{0, 0}, {6, 0}}, 2.9, a, b));
  ExpectPt({99, 99}, a);
  ExpectPt({-99, -99}, b);
}

TEST(TriangleArea, HeronWithSmallTrianglesDropped) {
  EXPECT_NEAR(sjxmj({0, 0}, {3, 0}, {0, 4}), 6, 1e-9);
  EXPECT_EQ(sjxmj({0, 0}, {0.5, 0}, {0, 0.5}), 0);  // perimeter about 1.71
  EXPECT_EQ(sjxmj({0, 0}, {1, 0}, {2, 0}), 0);
  EXPECT_EQ(MinInTwo(2, -3), -3);
  EXPECT_EQ(MaxInTwo(2, -3), 2);
}

}  // namespace
