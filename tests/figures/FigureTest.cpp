// The figure base: transforms, hit tests, the drawing frame and helpers.

#include <gtest/gtest.h>

#include "FigureTestSupport.h"
#include "foundation/NodeItems.h"

#include <cmath>
#include <numbers>

namespace {
constexpr double Pi = std::numbers::pi;

void ExpectPt(Tpt p, double x, double y) {
  EXPECT_NEAR(p.x, x, 1e-9);
  EXPECT_NEAR(p.y, y, 1e-9);
}
}  // namespace

TEST(FigureTransforms, WithoutParentLogicalIsLocal) {
  auto s = Segment({0, 0}, {1, 1});
  ExpectPt(s->xyTransLogPt(12.5, -3), 12.5, -3);
  EXPECT_EQ(s->GetAbsParentScale(), 1.0);
  EXPECT_EQ(s->GetAbsParentXzjd(), 0.0);
  EXPECT_EQ(s->GetLogOrgx(), 0.0);
}

TEST(FigureTransforms, YPointsUpAndTheRootScaleMultiplies) {
  TTxFigureSet root;
  root.FScale = 2;
  root.FWidth = 100;
  root.FHeight = 100;
  root.FShowFrame = false;
  root.FShowGrid = false;
  root.InsertFigure(Segment({10, 10}, {20, 10}));
  TCustomFigure* f = root.FFigures->Figures(0);
  ExpectPt(f->xyTransLogPt(10, 10), 20, 20);

  Sheet s(100, 100);
  PaintRoot(root, s);
  // Logical (20, 20)..(40, 20) with y up on a 100-pixel sheet is device row 80.
  EXPECT_EQ(s.InkBounds(), QRect(20, 80, 20, 1));
}

TEST(FigureTransforms, NestedSetRotatesCounterClockwiseThenScalesAndMoves) {
  TTxFigureSet root;
  root.FScale = 2;
  root.FAbsx = 1;  // the root's base point shifts its content
  auto set = std::make_unique<TTestSet>();
  set->FYd = {5, 0};
  set->FScale = 3;
  set->FXzJd = 90;
  TTestSet* inner = set.get();
  root.InsertFigure(std::move(set));
  inner->InsertFigure(Segment({1, 0}, {2, 0}));
  TCustomFigure* f = inner->FFigures->Figures(0);

  EXPECT_DOUBLE_EQ(f->GetAbsParentScale(), 6);
  EXPECT_DOUBLE_EQ(f->GetAbsParentXzjd(), 90);
  // (1, 0) -> set frame: (5, 0) + R(90)(3, 0) = (5, 3) -> logical 2 * ((5, 3) + (1, 0)).
  ExpectPt(f->xyTransLogPt(1, 0), 12, 6);
  ExpectPt(f->xyTransAbsPt(12, 6), 1, 0);
  const Tpt back = f->xyTransAbsPt(-7.25, 31.5);
  ExpectPt(f->xyTransLogPt(back.x, back.y), -7.25, 31.5);
  EXPECT_DOUBLE_EQ(f->TransLogV(2), 12);
  TPoint q;
  f->TransLogPt({1, 0}, q);
  EXPECT_EQ(q.x, 12);
  EXPECT_EQ(q.y, 6);
}

TEST(FigureTransforms, UserValuesFollowTheDocumentScaleAndAncestorRotation) {
  TFakeDocument doc;
  doc.DocScale = 0.5;
  TTxFigureSet root(&doc);
  auto set = std::make_unique<TTestSet>();
  set->FXzJd = 90;
  TTestSet* inner = set.get();
  root.InsertFigure(std::move(set));
  inner->InsertFigure(Segment({0, 0}, {1, 0}));
  TCustomFigure* f = inner->FFigures->Figures(0);
  Tpt q;
  f->TransUserPt({2, 0}, q);
  ExpectPt(q, 0, 1);
  Tpt r;
  f->TransSysPt(q, r);
  ExpectPt(r, 2, 0);
  root.TransUserPt({2, 4}, q);  // the root does not rotate
  ExpectPt(q, 1, 2);
  EXPECT_DOUBLE_EQ(root.TransSysV(3), 6);
}

TEST(FigureProperties, ScaleAboveZeroOnlyAndUnchangedAngleNotifiesNothing) {
  TFakeDocument doc;
  auto s = Segment({0, 0}, {1, 0});
  s->SetDocument(&doc);
  s->SetScale(0);
  s->SetScale(-2);
  EXPECT_EQ(s->FScale, 1.0);
  EXPECT_TRUE(doc.Hints.empty());
  s->SetXzjd(0);
  EXPECT_TRUE(doc.Hints.empty());
  s->SetXzjd(30);
  EXPECT_EQ(doc.CountHint(1), 1) << "Modified repaints the figure once";
  s->SetScale(2.5);
  EXPECT_EQ(s->FScale, 2.5);
}

TEST(FigureProperties, PenStyleNames) {
  std::string s = "x";
  PenStyleToStr(psDashDotDot, s);
  EXPECT_EQ(s, "psDashDotDot");
  PenStyleToStr(psInsideFrame, s);
  EXPECT_EQ(s, "psInsideFrame");
  PenStyleToStr(7, s);
  EXPECT_EQ(s, "psSolid");
  PenStyleToStr(-1, s);
  EXPECT_EQ(s, "psSolid");
}

TEST(FigureProperties, AssignCopiesDrawingStateButNotCaptionOrName) {
  TTxFigureSet root;
  root.InsertFigure(Segment({1, 2}, {3, 4}, 0x0000FF, 3, psDash));
  TCustomFigure* src = root.FFigures->Figures(0);
  src->FXzJd = 12;
  src->FScale = 2;
  src->FCaption = "c";
  src->FName = "n";
  src->FBrush = TBrush{0x00FF00, bsCross};
  auto copy = src->Clone();
  auto* c = dynamic_cast<TTestSegment*>(copy.get());
  ASSERT_TRUE(c);
  EXPECT_EQ(c->FPen, src->FPen);
  EXPECT_EQ(c->FBrush, src->FBrush);
  EXPECT_EQ(c->FXzJd, 12);
  EXPECT_EQ(c->FScale, 2);
  EXPECT_EQ(c->FParent, &root);
  EXPECT_EQ(c->FCaption, "");
  EXPECT_EQ(c->FName, "");
}

TEST(FigureHitTest, PointInArcWrapsThroughZeroAndAcceptsAFullCircle) {
  auto s = Segment({0, 0}, {1, 0});
  Tpt foot;
  for (double a = 0; a < 2 * Pi; a += 0.3)
    EXPECT_TRUE(s->PointInArc({10 * std::cos(a), 10 * std::sin(a)}, {0, 0}, foot, 0, 2 * Pi, 10)) << a;
  // From 270 degrees through 0 to 90 degrees.
  EXPECT_TRUE(s->PointInArc({10, 0}, {0, 0}, foot, 1.5 * Pi, 0.5 * Pi, 10));
  EXPECT_FALSE(s->PointInArc({-10, 0}, {0, 0}, foot, 1.5 * Pi, 0.5 * Pi, 10));
  // Angles out of range are brought back once.
  EXPECT_TRUE(s->PointInArc({0, 10}, {0, 0}, foot, -0.25 * Pi, 2.75 * Pi, 10));
  // Distance from the circle against the capture radius (8).
  EXPECT_TRUE(s->PointInArc({0, 17.5}, {0, 0}, foot, 0, Pi, 10));
  ExpectPt(foot, 0, 10);
  EXPECT_FALSE(s->PointInArc({0, 18.5}, {0, 0}, foot, 0, Pi, 10));
}

TEST(FigureHitTest, PointInLineNeedsTheFootBetweenTheEnds) {
  TTxFigureSet root;
  root.FScale = 2;
  root.InsertFigure(Segment({0, 0}, {1, 0}));
  TCustomFigure* f = root.FFigures->Figures(0);
  Tpt foot;
  // Local (0, 0)-(10, 0) is logical (0, 0)-(20, 0).
  EXPECT_TRUE(f->PointInLine({15, 5}, {0, 0}, {10, 0}, foot));
  ExpectPt(foot, 15, 0);
  EXPECT_FALSE(f->PointInLine({15, 9}, {0, 0}, {10, 0}, foot)) << "beyond the capture radius";
  EXPECT_FALSE(f->PointInLine({21, 0}, {0, 0}, {10, 0}, foot)) << "past the end";
  // Both points are logical: the radius is the same on the screen at every scale.
  EXPECT_TRUE(f->PointInPoint({7, 0}, {0, 0}));
  EXPECT_FALSE(f->PointInPoint({9, 0}, {0, 0}));
}

TEST(FigureHitTest, HandlesAreFoundThroughTheViewAndBodiesAtLogicalPoints) {
  TFakeView view;
  TTxFigureSet root;
  root.FScale = 2;
  root.InsertFigure(Segment({10, 10}, {30, 10}));
  TCustomFigure* f = root.FFigures->Figures(0);
  EXPECT_EQ(f->HitTest({60, 21}, &view, true), 2);
  EXPECT_EQ(f->HitTest({20, 20}, &view, true), 1);
  EXPECT_EQ(f->HitTest({40, 20}, &view, true), 0);
  EXPECT_EQ(f->HitTest({40, 20}, &view, false), 1);
  EXPECT_EQ(f->HitTest({40, 40}, &view, false), 0);
}

TEST(FigureHitTest, IsTopFollowsListIndexThenLayerOrder) {
  TTxFigureSet root;
  std::string name;
  root.AddLayer(name);
  root.InsertFigure(Segment({0, 0}, {1, 0}));
  root.InsertFigure(Segment({0, 0}, {1, 0}));
  TCustomFigure* top = root.FFigures->Figures(0);
  TCustomFigure* below = root.FFigures->Figures(1);
  EXPECT_TRUE(below->IsTop(top));
  EXPECT_FALSE(top->IsTop(below));
  root.SetCurLayer(1);
  root.InsertFigure(Segment({0, 0}, {1, 0}));
  TCustomFigure* upper = root.FFigures->Figures(0);
  EXPECT_TRUE(top->IsTop(upper)) << "a later layer lies above";
  EXPECT_FALSE(upper->IsTop(below));
  root.GetFigureLayerName(upper, name);
  EXPECT_EQ(name, "图层2");
}

TEST(FigureDrawing, DrawRestoresTheCanvasAndSkipsFiguresOutsideTheClip) {
  Sheet s(60, 60);
  SetViewMapping(*s, 60);
  auto f = Segment({10, 10}, {40, 10}, 0x0000FF, 3, psDash);
  f->FBrush = TBrush{0x00FF00, bsSolid};
  const TLogPen pen = s->GetPen();
  const TLogBrush brush = s->GetBrush();
  TShowPlace place;
  place.cvs = s.canvas.get();
  place.AClipRect = TRect{45, 0, 60, 60};
  f->Draw(place);
  EXPECT_EQ(s.InkCount(), 0);
  place.AClipRect = TRect{0, 0, 60, 60};
  f->Draw(place);
  EXPECT_EQ(s.At(12, 50), 0x0000FF);
  EXPECT_EQ(s->GetPen(), pen);
  EXPECT_EQ(s->GetBrush(), brush);
}

TEST(FigureDrawing, SmallCirclesBecomeSquaresAndAstersHaveSixSpokes) {
  Sheet s(100, 100);
  SetViewMapping(*s, 100);
  auto f = Segment({0, 0}, {1, 0}, clBlack, 3);
  s->SelectPen(GeometricPen(f->FPen));
  s->SelectBrush(NullBrush());
  f->DrawCircle({20, 20}, *s, 3);
  EXPECT_TRUE(s.Ink(17, 80 - 3 + 1)) << "a square's corner";
  f->DrawCircle({60, 60}, *s, 15);
  EXPECT_FALSE(s.Ink(46, 40 - 14)) << "a circle leaves the corner of its box";
  EXPECT_TRUE(s.Ink(45, 40));

  Sheet a(100, 100);
  SetViewMapping(*a, 100);
  auto g = Segment({0, 0}, {1, 0});
  a->SelectPen(GeometricPen(g->FPen));
  g->DrawAster({50, 50}, *a, 20);
  EXPECT_TRUE(a.Ink(65, 50)) << "spoke at 0 degrees";
  EXPECT_TRUE(a.Ink(35, 50)) << "spoke at 180 degrees";
  EXPECT_TRUE(a.Ink(55, 100 - 59)) << "spoke at 60 degrees";
  EXPECT_FALSE(a.Ink(50, 100 - 65)) << "no spoke at 90 degrees";
}

TEST(FigureIndexTree, PathNodesAreReusedAndTheLastOneStandsForTheItem) {
  TCustomNodeItem rootNode;
  auto a = Segment({0, 0}, {1, 0});
  auto b = Segment({0, 0}, {1, 0});
  a->InsertInheritList(rootNode);
  b->InsertInheritList(rootNode);
  a->InsertInheritList(rootNode);
  ASSERT_EQ(rootNode.FList->Count(), 1);
  TCustomNodeItem* kind = rootNode.FList->Items(0);
  EXPECT_EQ(kind->FCaption, "线段");
  ASSERT_EQ(kind->FList->Count(), 2);
  std::vector<std::string> path;
  a->GetIndexPath(path);
  ASSERT_EQ(path.size(), 2u);
  EXPECT_EQ(path[1].size(), 9u);
  EXPECT_EQ(path[1][0], '$');
  EXPECT_EQ(kind->FList->Items(kind->FList->FindByIdent(path[1]))->FData, a.get());
}
