// The freehand line: saved values written out by hand, sampling, handles
// that only grow the line, and the hatch strokes with their spacing and
// alternation running across vertices; spacings that are no distance.

#include <gtest/gtest.h>

#include "FigureBytes.h"
#include "figures/PenLine.h"

#include <cmath>
#include <numbers>

namespace {
constexpr double Pi = std::numbers::pi;

std::unique_ptr<TPenLine> Freehand(std::initializer_list<Tpt> Points) {
  auto l = std::make_unique<TPenLine>();
  for (Tpt p : Points) l->AddPoint(p);
  return l;
}
}  // namespace

TEST(PenLine, SavedValuesArePointsThenTheStrokeSettings) {
  TPenLine l;
  EXPECT_EQ(l.FClassNameDescription, "自由曲线");
  EXPECT_DOUBLE_EQ(l.FJd, Pi / 2);
  l.FPoints = {{1, 2}, {3, 4}};
  l.FXLine = true;
  l.FJd = 0.5;
  l.FLength1 = 5;
  l.FLength2 = 6;
  l.FGap = 12;
  ByteBuilder b;
  DefaultFigureValues(b);
  b({0x02, 0x02});
  F(b, X1);
  F(b, X2);
  F(b, X3);
  F(b, X4);
  b({0x09});
  F(b, XHalf);
  F(b, X5);
  F(b, X6);
  F(b, X12);
  EXPECT_EQ(Written([&](TWriter& w) { l.WriteData(w); }), b.b);

  auto back = Freehand({{50, 50}, {90, 90}, {100, 100}});
  ReadAll(*back, b.b);
  ASSERT_EQ(back->GetPointCount(), 2) << "the old points are gone";
  EXPECT_EQ(back->GetPoint(1).x, 3);
  EXPECT_TRUE(back->FXLine);
  EXPECT_EQ(back->FJd, 0.5);
  EXPECT_EQ(back->FLength1, 5);
  EXPECT_EQ(back->FLength2, 6);
  EXPECT_EQ(back->FGap, 12);
}

TEST(PenLine, SamplesCloserThanFourUnitsAreDroppedAndTheFirstSetsTheStrokes) {
  TTxFigureSet root;
  root.FScale = 2;
  TPenLine l;
  l.FParent = &root;
  l.FGap = 3;
  l.AddPoint({10, 10});
  EXPECT_DOUBLE_EQ(l.FGap, 5) << "10 units on the sheet";
  EXPECT_DOUBLE_EQ(l.FLength1, 5);
  l.AddPoint({12, 12});
  EXPECT_EQ(l.GetPointCount(), 1);
  l.AddPoint({14, 10});
  EXPECT_EQ(l.GetPointCount(), 2);
  EXPECT_DOUBLE_EQ(l.GetZc(), 2);
}

TEST(PenLine, DraggingAnEndGrowsTheLineThere) {
  auto l = Freehand({{10, 10}, {20, 10}});
  ASSERT_EQ(l->GetHandleCount(), 2);
  l->MoveHandleTo(1, {12, 11});
  EXPECT_EQ(l->GetPointCount(), 2) << "too near the first point";
  l->MoveHandleTo(1, {0, 10});
  l->MoveHandleTo(2, {30, 10});
  ASSERT_EQ(l->GetPointCount(), 4);
  EXPECT_EQ(l->GetPoint(0).x, 0);
  EXPECT_EQ(l->GetPoint(3).x, 30);
}

TEST(PenLine, StrokesKeepTheirSpacingAndAlternationAcrossVertices) {
  // Along y = 20 with a vertex at x = 15: strokes at 10, 20, 30, 40 going up,
  // 10, 4, 10, 4 long.
  auto l = Freehand({{0, 20}, {15, 20}, {45, 20}});
  l->FXLine = true;
  l->FGap = 10;
  l->FLength1 = 10;
  l->FLength2 = 4;
  Sheet s(60, 40);
  PaintFigure(*l, s);
  for (int x : {10, 30}) EXPECT_GE(ColumnInk(s, x, 27, 30), 3) << "a long stroke at " << x;
  for (int x : {20, 40}) {
    EXPECT_GE(ColumnInk(s, x, 21, 24), 3) << "a short stroke at " << x;
    EXPECT_EQ(ColumnInk(s, x, 27, 30), 0) << "only a short one at " << x;
  }
  EXPECT_EQ(ColumnInk(s, 15, 22, 30), 0) << "no stroke at the vertex";
  EXPECT_EQ(ColumnInk(s, 25, 22, 30), 0);
}

TEST(PenLine, ASpacingOfNoDistanceDrawsTheLineWithoutStrokesAndIsKept) {
  for (double gap : {0.0, -10.0, std::nan("")}) {
    auto l = Freehand({{0, 20}, {50, 20}});
    l->FXLine = true;
    l->FGap = gap;
    const auto before = Written([&](TWriter& w) { l->WriteData(w); });
    Sheet s(60, 40);
    PaintFigure(*l, s);
    EXPECT_GE(ColumnInk(s, 25, 18, 22), 1) << gap;
    EXPECT_EQ(BoxInk(s, 0, 23, 59, 39), 0) << gap;
    EXPECT_EQ(Written([&](TWriter& w) { l->WriteData(w); }), before) << "painting stores nothing";
  }
}

TEST(PenLine, AVeryLongLinePaintsOnlyTheStrokesInView) {
  // A billion units at a spacing of one: only the part on the sheet is walked.
  auto l = Freehand({{-1e9, 20}, {1e9, 20}});
  l->FXLine = true;
  l->FGap = 1;
  l->FLength1 = l->FLength2 = 5;
  Sheet s(60, 40);
  PaintFigure(*l, s);
  EXPECT_GE(BoxInk(s, 0, 22, 59, 25), 100) << "a band of strokes over the sheet";
}

TEST(PenLine, TheRectangleHoldsTheStrokes) {
  auto l = Freehand({{0, 0}, {100, 0}});
  TRect plain;
  l->CalcPositionRect(plain);
  l->FXLine = true;
  l->FLength2 = 30;
  TRect r;
  l->CalcPositionRect(r);
  EXPECT_GE(r.Bottom, 30);
  EXPECT_LT(plain.Bottom, 10);
}

TEST(PenLine, SnapsToSamplesMiddlesAndTheLine) {
  auto l = Freehand({{0, 0}, {100, 0}});
  Tpt p;
  TPointLx k = plNone;
  ASSERT_TRUE(l->GetCapturePoint(p, k, nullptr, {52, 3}, PointLxBit(plEndPoint) | PointLxBit(plMidPoint)));
  EXPECT_EQ(k, plMidPoint);
  EXPECT_EQ(p.x, 50);
  ASSERT_TRUE(l->GetCapturePoint(p, k, nullptr, {70, 3}, PointLxBit(plNearest)));
  EXPECT_EQ(k, plNearest);
  EXPECT_NEAR(p.x, 70, 1e-9);
  EXPECT_TRUE(l->Selected({70, 3.5}, 1));
  EXPECT_FALSE(l->Selected({70, 4.5}, 1));
}

TEST(PenLine, IsFoundWhereItIsDrawnOnAZoomedSheet) {
  TFakeDocument doc;
  TTxFigureSet root;
  root.SetDocument(&doc);
  root.FScale = 3;
  auto made = std::make_unique<TPenLine>();
  TPenLine* l = made.get();
  l->FParent = &root;
  l->SetDocument(&doc);
  root.FFigures->Insert(0, std::move(made));
  for (int i = 0; i < 10; ++i) l->AddPoint({100.0 + 10 * i, 50.0 + (i % 2) * 6});
  EXPECT_TRUE(l->Selected({105, 53}, 1));
  EXPECT_EQ(root.SelectFigure({105, 53}, nullptr, 1), l);
}

TEST(PenLine, APointBesideASampleBetweenTwoLevelSegmentsIsAHit) {
  auto l = Freehand({{0, 10}, {10, 10}, {20, 10}});
  EXPECT_TRUE(l->Selected({10, 11}, 1)) << "over the middle sample";
  EXPECT_TRUE(l->Selected({5, 12}, 1));
  EXPECT_FALSE(l->Selected({10, 15}, 1));
}
