// The route lines: saved values against bytes written out by hand, the
// symbols along an edge, the offset line's corners, and the spacings that
// are no distance or too small.

#include <gtest/gtest.h>

#include "FigureBytes.h"
#include "figures/RouteLines.h"

#include <cmath>
#include <limits>

namespace {

constexpr COLORREF kRed = 0x0000FF;

template <class T>
std::unique_ptr<T> Route(std::initializer_list<Tpt> Points) {
  auto l = std::make_unique<T>();
  for (Tpt p : Points) l->AddPoint(p);
  return l;
}

// The multi-segment line's values for no vertices: the figure, then a count of 0.
void EmptyLine(ByteBuilder& b) {
  DefaultFigureValues(b);
  b({0x02, 0x00});
}

// A sheet as wide as needed with the line painted on it.
template <class T>
void Paint(T& l, Sheet& s) {
  PaintFigure(l, s);
}

}  // namespace

// ---- saved values

TEST(RouteLines, SavedValuesFollowTheMultiSegmentLineInTheirOrder) {
  {
    TDoubleLine d;
    EXPECT_EQ(d.FClassNameDescription, "双线");
    d.FPen1 = TPen{5, pmCopy, psDash, 3};
    d.FGap = 12.5;
    ByteBuilder b;
    EmptyLine(b);
    b({0x02, 0x05, 0x04, 0x01, 0x02, 0x03});  // colour, raw mode, raw style, width
    F(b, X12_5);
    EXPECT_EQ(Written([&](TWriter& w) { d.WriteData(w); }), b.b);
    TDoubleLine back;
    ReadAll(back, b.b);
    EXPECT_EQ(back.FPen1, (TPen{5, pmCopy, psDash, 3}));
    EXPECT_EQ(back.FGap, 12.5);
  }
  {
    TDxLine d;
    EXPECT_EQ(d.FClassNameDescription, "电讯线");
    d.FGap = 20;
    ByteBuilder b;
    EmptyLine(b);
    F(b, X20);
    EXPECT_EQ(Written([&](TWriter& w) { d.WriteData(w); }), b.b);
    TDxLine back;
    ReadAll(back, b.b);
    EXPECT_EQ(back.FGap, 20);
  }
  {
    TDLine d;
    EXPECT_EQ(d.FClassNameDescription, "电线");
    d.FGap = 50;
    d.FLx = 1;
    ByteBuilder b;
    EmptyLine(b);
    F(b, X50);
    b({0x02, 0x01});
    EXPECT_EQ(Written([&](TWriter& w) { d.WriteData(w); }), b.b);
    TDLine back;
    ReadAll(back, b.b);
    EXPECT_EQ(back.FGap, 50);
    EXPECT_EQ(back.FLx, 1);
  }
  {
    TTrailLine d;
    EXPECT_EQ(d.FClassNameDescription, "铁路线");
    d.FBrush.Style = bsClear;  // the shared values as DefaultFigureValues writes them
    d.FGap = 25;
    d.FWidth = 5;
    ByteBuilder b;
    EmptyLine(b);
    F(b, X25);
    F(b, X5);
    EXPECT_EQ(Written([&](TWriter& w) { d.WriteData(w); }), b.b);
    TTrailLine back;
    ReadAll(back, b.b);
    EXPECT_EQ(back.FGap, 25);
    EXPECT_EQ(back.FWidth, 5);
  }
}

TEST(RouteLines, DefaultsComeWithTheFirstVertexAndAFilesValuesStay) {
  TTrailLine t;
  EXPECT_EQ(t.FBrush.Style, bsSolid);
  EXPECT_EQ(t.FGap, 0);
  t.AddPoint({0, 0});
  EXPECT_EQ(t.FGap, 30);
  EXPECT_EQ(t.FWidth, 5);
  t.FGap = 7;
  t.AddPoint({10, 0});
  EXPECT_EQ(t.FGap, 7) << "only the first vertex sets it";
  EXPECT_EQ(Route<TDxLine>({{0, 0}})->FGap, 30);
  EXPECT_EQ(Route<TDLine>({{0, 0}})->FGap, 50);
  EXPECT_EQ(Route<TDLine>({{0, 0}})->FLx, 0);
  EXPECT_EQ(Route<TDoubleLine>({{0, 0}})->FGap, 10);
}

TEST(RouteLines, CopiesTakeTheOwnFieldsAndTheVertices) {
  auto d = Route<TDoubleLine>({{0, 0}, {50, 0}});
  d->FGap = -4;
  d->FPen1.Color = kRed;
  auto c = d->Clone();
  auto& cd = dynamic_cast<TDoubleLine&>(*c);
  EXPECT_EQ(cd.FGap, -4);
  EXPECT_EQ(cd.FPen1.Color, kRed);
  EXPECT_EQ(cd.GetPointCount(), 2);
  auto e = Route<TDLine>({{0, 0}, {50, 0}});
  e->FLx = 1;
  e->FGap = 40;
  auto& ce = dynamic_cast<TDLine&>(*e->Clone());
  EXPECT_EQ(ce.FLx, 1);
  EXPECT_EQ(ce.FGap, 40);
}

// ---- the telecom and electric lines

TEST(RouteLines, TelecomCirclesSitAtTheMiddleOfEverySpacingInterval) {
  auto l = Route<TDxLine>({{0, 20}, {100, 20}});
  Sheet s(120, 40);
  Paint(*l, s);
  // Three whole intervals of 30: circles of radius 3 at 15, 45, 75.
  for (int c : {15, 45, 75}) {
    EXPECT_TRUE(InkAt(s, c, 23) || InkAt(s, c, 22)) << "circle top at " << c;
    EXPECT_FALSE(InkAt(s, c, 20)) << "the line is broken inside the circle at " << c;
  }
  EXPECT_EQ(ColumnInk(s, 105, 14, 26), 0) << "no circle after the last interval";
  EXPECT_EQ(ColumnInk(s, 95, 22, 26), 0) << "the closing piece is a plain line";
  EXPECT_TRUE(InkAt(s, 30, 20) && InkAt(s, 95, 20));
}

TEST(RouteLines, ASpacingBelowTheMinimumPaintsAtTheMinimumAndIsNotStored) {
  auto l = Route<TDxLine>({{0, 20}, {100, 20}});
  l->FGap = 5;
  Sheet s(120, 40);
  Paint(*l, s);
  EXPECT_EQ(l->FGap, 5) << "painting leaves the saved value alone";
  // Painted with 15: circles at 7.5, 22.5, ...
  EXPECT_FALSE(InkAt(s, 22, 20) && InkAt(s, 23, 20)) << "broken at the second circle";
  EXPECT_TRUE(InkAt(s, 15, 20)) << "between circles the line runs";
  for (double bad : {0.0, -30.0, std::numeric_limits<double>::quiet_NaN()}) {
    l->FGap = bad;
    Sheet t(120, 40);
    Paint(*l, t);
    EXPECT_TRUE(InkAt(t, 15, 20)) << bad;
    EXPECT_TRUE(std::isnan(bad) ? std::isnan(l->FGap) : l->FGap == bad);
  }
  auto e = Route<TDLine>({{0, 20}, {100, 20}});
  e->FGap = 3;
  Sheet u(120, 40);
  Paint(*e, u);
  EXPECT_EQ(e->FGap, 3);
}

TEST(RouteLines, ElectricChevronsAreSingleForLowAndDoubleForHighVoltage) {
  // Spacing 50, r = 3: circle at 25, chevrons at 13 and 37, the high
  // voltage ones also at 16 and 34; their strokes rise r sin 45 beside the point.
  auto l = Route<TDLine>({{0, 20}, {60, 20}});
  Sheet low(80, 40);
  Paint(*l, low);
  EXPECT_GT(BoxInk(low, 13, 21, 15, 23), 0) << "chevron before the circle";
  EXPECT_GT(BoxInk(low, 35, 21, 37, 23), 0) << "chevron after the circle";
  EXPECT_GT(BoxInk(low, 13, 17, 15, 19), 0) << "both strokes";
  EXPECT_EQ(BoxInk(low, 17, 21, 18, 23), 0);
  EXPECT_EQ(BoxInk(low, 32, 21, 33, 23), 0);
  l->FLx = 1;
  Sheet high(80, 40);
  Paint(*l, high);
  EXPECT_GT(BoxInk(high, 17, 21, 18, 23), 0) << "the second chevron before";
  EXPECT_GT(BoxInk(high, 32, 21, 33, 23), 0) << "the second chevron after";
}

// ---- the railway

TEST(RouteLines, RailwayHexagonsAlternateAndRunOnAcrossAVertex) {
  auto l = Route<TTrailLine>({{0, 20}, {100, 20}});
  l->FGap = 30;
  l->FWidth = 10;
  Sheet s(120, 40);
  Paint(*l, s);
  // Hexagons over [0, 30], [30, 60], [60, 90] and the short [90, 100].
  EXPECT_TRUE(InkAt(s, 15, 21));
  EXPECT_FALSE(InkAt(s, 45, 21));
  EXPECT_TRUE(InkAt(s, 75, 21));
  EXPECT_FALSE(InkAt(s, 95, 21));
  EXPECT_GT(BoxInk(s, 94, 22, 96, 25), 0) << "the short hexagon's outline";
  EXPECT_EQ(ColumnInk(s, 105, 0, 40), 0);

  // An edge of exactly one length: no short hexagon, and the next edge starts white.
  auto v = Route<TTrailLine>({{20, 10}, {50, 10}, {50, 70}});
  v->FGap = 30;
  v->FWidth = 10;
  Sheet t(80, 80);
  Paint(*v, t);
  EXPECT_TRUE(InkAt(t, 35, 11));
  EXPECT_FALSE(InkAt(t, 51, 25)) << "the colour runs on past the vertex";
  EXPECT_TRUE(InkAt(t, 51, 55));
}

TEST(RouteLines, ARailwaySpacingThatIsNoDistancePaintsTheBareLine) {
  auto l = Route<TTrailLine>({{0, 20}, {100, 20}});
  l->FWidth = 10;
  for (double bad : {0.0, -30.0, std::numeric_limits<double>::infinity()}) {
    l->FGap = bad;
    Sheet s(120, 40);
    Paint(*l, s);
    EXPECT_TRUE(InkAt(s, 50, 20)) << bad;
    EXPECT_EQ(BoxInk(s, 10, 23, 90, 30), 0) << "no hexagons for " << bad;
  }
}

TEST(RouteLines, AVeryLongLinePaintsOnlyItsVisibleSymbols) {
  // Hexagons start at -5e8 + 30 k: the one over x = 0 spans [-20, 10] and is
  // the 16666666th, an even one, so black; then white, black, white.
  auto l = Route<TTrailLine>({{-5e8, 20}, {5e8, 20}});
  l->FGap = 30;
  l->FWidth = 10;
  Sheet s(100, 40);
  Paint(*l, s);
  EXPECT_TRUE(InkAt(s, 2, 21));
  EXPECT_FALSE(InkAt(s, 25, 21));
  EXPECT_TRUE(InkAt(s, 55, 21));
  EXPECT_FALSE(InkAt(s, 85, 21));

  auto d = Route<TDxLine>({{-5e8, 20}, {5e8, 20}});
  Sheet t(100, 40);
  Paint(*d, t);
  // Intervals start at -5e8 + 30 k, at -20, 10, 40, 70: circles at 25, 55, 85.
  for (int c : {25, 55, 85}) EXPECT_FALSE(InkAt(t, c, 20)) << c;
  EXPECT_TRUE(InkAt(t, 10, 20) && InkAt(t, 40, 20));
}

// ---- the double line

TEST(RouteLines, TheParallelLineIsOffsetWithMitredCornersAndItsOwnPen) {
  auto d = Route<TDoubleLine>({{10, 30}, {90, 30}, {90, 90}});
  d->FGap = 10;
  const std::vector<Tpt> p = d->ParallelPoints();
  ASSERT_EQ(p.size(), 3u);
  EXPECT_NEAR(p[0].x, 10, 1e-9);
  EXPECT_NEAR(p[0].y, 20, 1e-9);
  EXPECT_NEAR(p[1].x, 100, 1e-9) << "the corner where the two offset lines meet";
  EXPECT_NEAR(p[1].y, 20, 1e-9);
  EXPECT_NEAR(p[2].x, 100, 1e-9);
  EXPECT_NEAR(p[2].y, 90, 1e-9);

  // Collinear edges running the same way: every corner lies on the one offset line.
  auto c = Route<TDoubleLine>({{0, 20}, {40, 20}, {80, 20}});
  for (Tpt q : c->ParallelPoints()) EXPECT_NEAR(q.y, 10, 1e-9);

  d->FPen1.Color = kRed;
  Sheet s(120, 120, clWhite);
  Paint(*d, s);
  auto colourNear = [&](int y, COLORREF c) {
    for (int row = 120 - y - 1; row <= 120 - y + 1; ++row)
      if (s.At(50, row) == c) return true;
    return false;
  };
  EXPECT_TRUE(colourNear(30, clBlack)) << "the main line";
  EXPECT_TRUE(colourNear(20, kRed)) << "the parallel line in its own pen";
  EXPECT_FALSE(colourNear(20, clBlack));
  d->FPen1.Style = psClear;
  Sheet t(120, 120);
  Paint(*d, t);
  EXPECT_EQ(ColumnInk(t, 99, 30, 80) + ColumnInk(t, 100, 30, 80), 0) << "a clear parallel pen draws nothing";
}

TEST(RouteLines, MirroringKeepsTheParallelLineOnTheMirroredSideInsideTheBounds) {
  auto d = Route<TDoubleLine>({{0, 20}, {100, 20}});
  d->FGap = 10;
  d->FigureMirror(pptobx({0, 50}, {100, 50}));
  EXPECT_EQ(d->FGap, -10);
  const std::vector<Tpt> p = d->ParallelPoints();
  EXPECT_NEAR(p[0].y, 90, 1e-9) << "the mirror of y = 10 about y = 50";
  TRect r;
  d->CalcPositionRect(r);
  EXPECT_GE(r.Bottom, 90);
  EXPECT_LE(r.Top, 80);

  // A sharp corner's mitre reaches far past the offset; the rectangle holds it.
  auto sharp = Route<TDoubleLine>({{0, 0}, {100, 0}, {0, 10}});
  sharp->FGap = -10;
  sharp->CalcPositionRect(r);
  for (Tpt q : sharp->ParallelPoints()) {
    EXPECT_LE(r.Left, q.x);
    EXPECT_GE(r.Right, q.x);
  }
}

TEST(RouteLines, HitsReachFourUnitsWhateverThePenAndBoundsHoldTheSymbols) {
  auto l = Route<TDxLine>({{0, 0}, {100, 0}});
  l->FPen.Width = 20;
  EXPECT_TRUE(l->Selected({50, 3.5}, 1));
  EXPECT_FALSE(l->Selected({50, 5}, 1)) << "the pen width does not count";
  auto d = Route<TDoubleLine>({{0, 0}, {100, 0}});
  EXPECT_FALSE(d->Selected({50, -10}, 1)) << "only the main line is hit";
  auto t = Route<TTrailLine>({{0, 0}, {100, 0}});
  t->FWidth = 20;
  TRect r;
  t->CalcPositionRect(r);
  EXPECT_LE(r.Top, -20);
  EXPECT_GE(r.Bottom, 20);
  EXPECT_EQ(l->GetHandleCount(), 3);
}
