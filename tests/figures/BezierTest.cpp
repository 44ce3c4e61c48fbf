// The spline: saved values written out by hand, the 50-point limit with its
// message, a file holding more points, and the curve through its points.

#include <gtest/gtest.h>

#include "FigureBytes.h"
#include "figures/Bezier.h"
#include "foundation/ErrorReport.h"

#include <string>
#include <vector>

namespace {
// Collects the error messages shown while it lives.
struct TMessages {
  std::vector<std::string> Shown;
  TErrorMessageHook Old;
  TMessages() : Old(SetErrorMessageHook([this](const std::string& t) { Shown.push_back(t); })) {}
  ~TMessages() { SetErrorMessageHook(Old); }
};
}  // namespace

TEST(Bezier, SavedValuesAreTheCountAndWholeNumberPoints) {
  TBezier b;
  EXPECT_EQ(b.FClassNameDescription, "样条曲线");
  b.FPoints = {{1, -2}, {300, 4}};
  ByteBuilder e;
  DefaultFigureValues(e);
  e({0x02, 0x02, 0x02, 0x01, 0x02, 0xFE, 0x03, 0x2C, 0x01, 0x02, 0x04});
  EXPECT_EQ(Written([&](TWriter& w) { b.WriteData(w); }), e.b);
  TBezier back;
  back.FPoints = {{9, 9}};
  ReadAll(back, e.b);
  ASSERT_EQ(back.GetPointCount(), 2);
  EXPECT_EQ(back.GetPoint(0).y, -2);
  EXPECT_EQ(back.GetPoint(1).x, 300);
}

TEST(Bezier, TheFiftyFirstPointIsRefusedWithTheMessage) {
  TMessages m;
  TBezier b;
  for (int i = 0; i < 50; ++i) b.AddPoint({double(i * 3), double(i % 7)});
  EXPECT_TRUE(m.Shown.empty());
  b.AddPoint({500, 0});
  EXPECT_EQ(b.GetPointCount(), 50);
  ASSERT_EQ(m.Shown.size(), 1u);
  EXPECT_EQ(m.Shown[0], "样条曲线最多只允许画50个端点！");
}

TEST(Bezier, AFileWithMoreThanFiftyPointsPaintsQuietlyAndKeepsThemAll) {
  TMessages m;
  ByteBuilder e;
  DefaultFigureValues(e);
  e({0x02, 60});
  for (int i = 0; i < 60; ++i) e({0x02, i * 2, 0x02, (i % 5) * 10});
  TBezier b;
  ReadAll(b, e.b);
  EXPECT_EQ(b.GetPointCount(), 60);
  TRect r;
  b.CalcPositionRect(r);
  Sheet s(140, 60);
  PaintFigure(b, s);
  PaintFigure(b, s);
  EXPECT_TRUE(m.Shown.empty()) << "no message while painting";
  EXPECT_GT(s.InkCount(), 50);
  EXPECT_LE(r.Right, 98 + 2 + 1) << "the curve is made of the first fifty";
  EXPECT_EQ(Written([&](TWriter& w) { b.WriteData(w); }), e.b) << "written back as read";
}

TEST(Bezier, TheCurveRunsThroughItsPointsAndOnePointPaintsNothing) {
  TBezier one;
  one.AddPoint({20, 20});
  Sheet s0(40, 40);
  PaintFigure(one, s0);
  EXPECT_EQ(s0.InkCount(), 0);
  TRect r;
  one.CalcPositionRect(r);
  EXPECT_EQ(r, TRect{});

  TBezier b;
  for (Tpt p : {Tpt{10, 10}, Tpt{50, 60}, Tpt{90, 10}}) b.AddPoint(p);
  const std::vector<TPoint> v = b.Samples();
  ASSERT_EQ(v.size(), 201u);
  EXPECT_EQ(v.front().x, 10);
  EXPECT_EQ(v.back().x, 90);
  EXPECT_NEAR(v[100].x, 50, 1);
  EXPECT_NEAR(v[100].y, 60, 1) << "through the middle point";
  EXPECT_TRUE(b.Selected({50, 62}, 1));
  EXPECT_FALSE(b.Selected({50, 30}, 1));
  ASSERT_EQ(b.GetHandleCount(), 3);
  b.MoveHandleTo(2, {50, 40});
  EXPECT_EQ(b.GetPoint(1).y, 40);
}

TEST(Bezier, MirrorAndMoveKeepWholeNumbers) {
  TBezier b;
  for (Tpt p : {Tpt{10, 10}, Tpt{50, 60}}) b.AddPoint(p);
  b.MoveByOffset(2.6, -1.4);
  EXPECT_EQ(b.GetPoint(0).x, 13);
  EXPECT_EQ(b.GetPoint(0).y, 9);
  b.FigureMirror(pptobx({0, 0.25}, {100, 0.25}));
  EXPECT_EQ(b.GetPoint(0).y, -8);
}
