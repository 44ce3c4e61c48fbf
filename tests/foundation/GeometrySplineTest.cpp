// The interpolating B-spline and the error hook it reports through.
#include "foundation/ErrorReport.h"
#include "foundation/Splines.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

TBSpline Through(const std::vector<Tpt>& pts) {
  TBSpline s;
  for (const Tpt& p : pts) s.AddVertex(p);
  return s;
}

TEST(Spline, FiftyFirstPointIsRefusedWithAMessage) {
  std::vector<std::string> shown;
  const TErrorMessageHook previous =
      SetErrorMessageHook([&](const std::string& text) { shown.push_back(text); });
  TBSpline s;
  for (int i = 0; i < 50; ++i) s.AddVertex({double(i), double(i % 3)});
  EXPECT_TRUE(shown.empty());
  s.AddVertex({999, 999});
  SetErrorMessageHook(previous);
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0], "样条曲线已达到最大端点数！");
  EXPECT_EQ(s.FCount, 50);
  EXPECT_EQ(s.FVertexList[50].x, 49);
  // Phantom point after the last: 2·P50 − P49.
  EXPECT_EQ(s.FVertexList[51].x, 50);
}

TEST(Spline, InterpolatedCurvePassesThroughItsPoints) {
  const std::vector<Tpt> pts = {{0, 0}, {10, 5}, {20, -3}, {30, 4}, {35, 10}, {50, 0}};
  TBSpline s = Through(pts);
  s.Interpolate();
  EXPECT_TRUE(s.FInterpolated);
  for (std::size_t k = 0; k < pts.size(); ++k) {
    const Tpt v = s.Value(double(k) / (pts.size() - 1));
    EXPECT_NEAR(v.x, pts[k].x, 1e-4) << "point " << k;
    EXPECT_NEAR(v.y, pts[k].y, 1e-4) << "point " << k;
  }
  // Without interpolation the inner points are only approximated.
  const TBSpline raw = Through(pts);
  EXPECT_GT(std::abs(raw.Value(0.2).y - 5), 0.5);
}

TEST(Spline, EvenlySpacedCollinearPointsGiveAUniformLine) {
  TBSpline s = Through({{0, 0}, {2, 1}, {4, 2}, {6, 3}});
  for (const double t : {0.0, 0.1, 0.37, 0.5, 0.99, 1.0}) {
    const Tpt v = s.Value(t);
    EXPECT_NEAR(v.x, 6 * t, 1e-12);
    EXPECT_NEAR(v.y, 3 * t, 1e-12);
  }
  s.Interpolate();
  EXPECT_NEAR(s.Value(0.5).x, 3, 1e-5);
}

TEST(Spline, FullSplineIsEvaluatedAtBothEnds) {
  TBSpline s;
  for (int i = 0; i < 50; ++i) s.AddVertex({i * 3.0, std::sin(i * 0.3) * 10});
  s.Interpolate();
  const Tpt first = s.Value(0), last = s.Value(1);
  EXPECT_NEAR(first.x, 0, 1e-4);
  EXPECT_NEAR(last.x, 147, 1e-4);
  EXPECT_NEAR(last.y, std::sin(49 * 0.3) * 10, 1e-4);
  for (int k = 0; k <= 1000; ++k) {
    const Tpt v = s.Value(k / 1000.0);
    ASSERT_TRUE(std::isfinite(v.x) && std::isfinite(v.y)) << k;
  }
}

TEST(Spline, PointEqualToBothNeighboursIsKeptAsControlPoint) {
  // The middle of three equal points gets the row (0, 1, 0). By hand:
  // c1 = (0,0), c5 = (10,0), c3 = (5,5), c2 = (6.25,6.25), c4 = (3.75,6.25).
  TBSpline s = Through({{0, 0}, {5, 5}, {5, 5}, {5, 5}, {10, 0}});
  s.Interpolate();
  ASSERT_TRUE(s.FInterpolated);
  EXPECT_NEAR(s.FVertexList[3].x, 5, 1e-5);
  EXPECT_NEAR(s.FVertexList[3].y, 5, 1e-5);
  EXPECT_NEAR(s.FVertexList[2].x, 6.25, 1e-5);
  EXPECT_NEAR(s.FVertexList[4].x, 3.75, 1e-5);
  const Tpt second = s.Value(0.25), middle = s.Value(0.5);
  EXPECT_NEAR(second.x, 5, 1e-5);
  EXPECT_NEAR(second.y, 5, 1e-5);
  EXPECT_NEAR(middle.x, 5, 1e-5);
  EXPECT_NEAR(middle.y, 65.0 / 12, 1e-5);
}

TEST(Spline, InterpolationRunsOnceUntilCleared) {
  TBSpline s = Through({{0, 0}, {10, 10}, {20, 0}});
  s.Interpolate();
  const Tpt control = s.FVertexList[2];
  EXPECT_NEAR(control.y, 15, 1e-5);  // (1/6)·0 + (2/3)·c + (1/6)·0 = 10
  s.Interpolate();
  EXPECT_EQ(s.FVertexList[2].y, control.y);
  s.Clear();
  EXPECT_EQ(s.FCount, 0);
  EXPECT_FALSE(s.FInterpolated);
  s.AddVertex({1, 1});
  s.AddVertex({2, 2});
  s.Interpolate();  // too few points
  EXPECT_FALSE(s.FInterpolated);
}

TEST(ErrorHook, HookCanBeReplacedAndRestored) {
  int first = 0, second = 0;
  const TErrorMessageHook original = SetErrorMessageHook([&](const std::string&) { ++first; });
  ShowErrorMessage("a");
  const TErrorMessageHook mine = SetErrorMessageHook([&](const std::string&) { ++second; });
  ShowErrorMessage("b");
  SetErrorMessageHook(mine);
  ShowErrorMessage("c");
  SetErrorMessageHook(original);
  EXPECT_EQ(first, 2);
  EXPECT_EQ(second, 1);
}

}  // namespace
