// Figure sets and the drawing root: layers, painting order, hit testing, the
// grid and the drawing properties.

#include <gtest/gtest.h>

#include "FigureTestSupport.h"

namespace {

constexpr COLORREF Red = 0x0000FF, Green = 0x00FF00, Blue = 0xFF0000;

// A root with the page 0..100 x 0..100 at scale 1 and no frame or grid.
void Page(TTxFigureSet& root) {
  root.FWidth = 100;
  root.FHeight = 100;
  root.FShowFrame = false;
  root.FShowGrid = false;
}

std::vector<std::string> Entries(const TCustomFigureSet& set) {
  std::vector<std::string> out;
  for (const TLayer& l : set.FLayers) out.push_back(l.Entry);
  return out;
}

// Three layers: "locked" (3), "hidden" (0), "current" (2). Each has a
// horizontal bar of its own colour at y = 20, 40, 60 and a vertical bar
// through x = 50 that all three share.
struct ThreeLayers {
  TTxFigureSet root;
  TCustomFigure* bar[3] = {};
  TCustomFigure* cross[3] = {};
  ThreeLayers() {
    Page(root);
    std::string name;
    root.AddLayer(name);
    root.AddLayer(name);
    root.FLayers[0].Entry = "locked=1";
    root.FLayers[1].Entry = "hidden=1";
    root.FLayers[2].Entry = "current=1";
    const COLORREF colours[3] = {Red, Green, Blue};
    for (int i = 0; i < 3; ++i) {
      root.SetCurLayer(i);
      root.InsertFigure(Segment({10, 20.0 + 20 * i}, {90, 20.0 + 20 * i}, colours[i], 3));
      bar[i] = root.FFigures->Figures(0);
      root.InsertFigure(Segment({50, 5}, {50, 95}, colours[i], 5));
      cross[i] = root.FFigures->Figures(0);
    }
    root.SetCurLayer(2);
    root.FLayers[0].Entry = "locked=3";
    root.FLayers[1].Entry = "hidden=0";
  }
};

}  // namespace

TEST(Layers, NewRootHasOneCurrentLayerAndAddLayerNumbersTheNext) {
  TTxFigureSet root;
  EXPECT_EQ(Entries(root), std::vector<std::string>{"图层1=2"});
  EXPECT_EQ(root.FFigures, root.LayerList(0));
  EXPECT_EQ(root.FFigures->Count(), 0);
  std::string name;
  root.AddLayer(name);
  EXPECT_EQ(name, "图层2");
  EXPECT_EQ(Entries(root), (std::vector<std::string>{"图层1=2", "图层2=1"}));
  EXPECT_EQ(root.FFigures, root.LayerList(0)) << "the new layer is not current";
  root.FLayers[0].Entry = "图层5=2";
  root.AddLayer(name);
  EXPECT_EQ(name, "图层1") << "the smallest unused number";
  root.GetCurLayerName(name);
  EXPECT_EQ(name, "图层5");
}

TEST(Layers, VisibilityAndLockingFollowTheFlagTable) {
  TTxFigureSet root;
  std::string name;
  root.AddLayer(name);  // 图层2=1
  EXPECT_FALSE(root.SetLayerVisible(0, false)) << "the current layer stays";
  EXPECT_FALSE(root.SetLayerEdit(0, false));
  EXPECT_TRUE(root.SetLayerEdit(1, false));
  EXPECT_EQ(root.FLayers[1].Entry, "图层2=3");
  EXPECT_FALSE(root.SetLayerEdit(1, false));
  EXPECT_TRUE(root.SetLayerVisible(1, false));
  EXPECT_EQ(root.FLayers[1].Entry, "图层2=0");
  EXPECT_TRUE(root.SetLayerVisible(1, true));
  EXPECT_EQ(root.FLayers[1].Entry, "图层2=3") << "shown again, still locked";
  EXPECT_TRUE(root.SetLayerEdit(1, true));
  EXPECT_EQ(root.FLayers[1].Entry, "图层2=1");
  root.SetLayerVisible(1, false);
  EXPECT_TRUE(root.SetLayerEdit(1, true));
  EXPECT_EQ(root.FLayers[1].Entry, "图层2=1") << "unlocking a hidden layer shows it";
  root.SetCurLayer(1);
  EXPECT_EQ(Entries(root), (std::vector<std::string>{"图层1=1", "图层2=2"}));
  EXPECT_EQ(root.FFigures, root.LayerList(1));
}

TEST(LayerPainting, OnlyVisibleLayersArePaintedInLayerOrder) {
  ThreeLayers t;
  Sheet s(100, 100);
  PaintRoot(t.root, s);
  EXPECT_EQ(s.At(20, 100 - 20), Red) << "locked layers are painted";
  EXPECT_FALSE(s.Ink(20, 100 - 40)) << "hidden layers are not";
  EXPECT_EQ(s.At(20, 100 - 60), Blue);
  EXPECT_EQ(s.At(50, 100 - 30), Blue) << "the later layer lies above the earlier one";
  // Within a layer the first figure is on top.
  EXPECT_EQ(s.At(50, 100 - 60), Blue);
  t.root.SetLayerVisible(1, true);
  Sheet again(100, 100);
  PaintRoot(t.root, again);
  EXPECT_EQ(again.At(20, 100 - 40), Green);
  EXPECT_EQ(again.At(50, 100 - 30), Blue);
}

TEST(LayerPainting, FiguresAreClippedToThePageAndTheFrameIsDrawn) {
  TTxFigureSet root;
  Page(root);
  root.FShowFrame = true;
  root.InsertFigure(Segment({50, 50}, {150, 50}, Red, 1));
  Sheet s(160, 120);
  PaintRoot(root, s);
  EXPECT_EQ(s.At(100, 120 - 50), Red) << "one unit of slack past the page edge";
  EXPECT_FALSE(s.Ink(102, 120 - 50));
  EXPECT_EQ(s.At(0, 120 - 30), clBlack) << "the frame's left edge";
}

TEST(LayerHitTest, HiddenAndLockedLayersAreSkipped) {
  ThreeLayers t;
  EXPECT_EQ(t.root.SelectFigure({20, 20}, nullptr, 1.0), nullptr) << "locked";
  EXPECT_EQ(t.root.SelectFigure({20, 40}, nullptr, 1.0), nullptr) << "hidden";
  EXPECT_EQ(t.root.SelectFigure({20, 60}, nullptr, 1.0), t.bar[2]);
  EXPECT_EQ(t.root.SelectFigure({50, 20}, nullptr, 1.0), t.cross[2]) << "the first figure of the last layer";
  t.root.SetLayerEdit(0, true);
  EXPECT_EQ(t.root.SelectFigure({20, 20}, nullptr, 1.0), t.bar[0]);
  EXPECT_EQ(t.root.SelectFigure({50, 20}, nullptr, 1.0), t.cross[2]) << "later layers are searched first";
  EXPECT_EQ(t.root.SelectFigure({20, 60}, &TTxFigureSet::StaticClass(), 1.0), &t.root)
      << "no figure of that class: the root itself";
  EXPECT_EQ(t.root.SelectFigure({20, 60}, &TTestSegment::StaticClass(), 1.0), t.bar[2]);
}

TEST(Grid, LinesAtTheGridSpacingAndNoneAtTwentyUnitsOrLess) {
  TTxFigureSet root;
  Page(root);
  root.FShowGrid = true;
  root.FGridPen = TPen{Red, pmCopy, psSolid, 1};
  Sheet s(120, 120);
  PaintRoot(root, s);
  EXPECT_EQ(s.At(30, 120 - 7), Red);
  EXPECT_EQ(s.At(7, 120 - 60), Red);
  EXPECT_FALSE(s.Ink(31, 120 - 7));
  root.FGridWidth = 10;
  root.FScale = 2;  // 20 logical units: too dense to draw
  Sheet none(120, 120);
  PaintRoot(root, none);
  EXPECT_EQ(none.At(1, 120 - 40), clWhite);
  EXPECT_EQ(none.At(40, 120 - 1), clWhite);
}

TEST(Layers, RefreshLayersAppliesTheDialogAndFreesDeletedLayers) {
  TFakeDocument doc;
  TFakeView view;
  doc.OnFreeing = [&](const auto& f) { view.Forget(f); };
  TTxFigureSet root(&doc);
  std::string name;
  root.AddLayer(name);
  root.InsertFigure(Segment({0, 0}, {1, 0}));
  TCustomFigure* doomed = root.FFigures->Figures(0);
  view.Select(doomed, false);
  TTxCollectFigure* second = root.LayerList(1);
  root.RefreshLayers({{"图层1=-1", root.LayerList(0)}, {"新层=0", nullptr}, {"图层2=2", second}});
  EXPECT_EQ(Entries(root), (std::vector<std::string>{"新层=0", "图层2=2"}));
  EXPECT_EQ(root.FFigures, second);
  ASSERT_NE(root.LayerList(0), nullptr);
  EXPECT_EQ(doc.Freed, std::vector<TMyPersistent*>{doomed});
  EXPECT_TRUE(view.Selection.empty());
}

TEST(FigureSets, SetFiguresCopiesDeeplyAndExchangeMovesBetweenLayers) {
  TTxFigureSet a, b;
  a.InsertFigure(Segment({1, 2}, {3, 4}, Red));
  b.InsertFigure(Segment({9, 9}, {9, 9}));
  b.SetFigures(*a.FFigures);
  ASSERT_EQ(b.FFigures->Count(), 1);
  auto* copy = dynamic_cast<TTestSegment*>(b.FFigures->Figures(0));
  ASSERT_TRUE(copy);
  EXPECT_NE(copy, a.FFigures->Figures(0));
  EXPECT_EQ(copy->FParent, &b);
  EXPECT_EQ(copy->FZd.y, 4);
  EXPECT_EQ(copy->FPen.Color, Red);

  std::string name;
  b.AddLayer(name);
  b.ExchangeFigureLayer(copy, 0, 1);
  EXPECT_EQ(b.LayerList(0)->Count(), 0);
  EXPECT_EQ(b.LayerList(1)->Figures(0), copy);
  EXPECT_EQ(copy->GetLayerIndex(), 1);
  auto taken = b.RemoveFigure(copy);
  EXPECT_EQ(taken.get(), copy);
  EXPECT_EQ(copy->FParent, nullptr);
  EXPECT_EQ(copy->GetLayerIndex(), 0) << "no parent, no layer";
}

TEST(FigureSets, RootAssignCopiesEveryLayerWithItsFlags) {
  ThreeLayers t;
  TTxFigureSet copy;
  copy.Assign(t.root);
  EXPECT_EQ(Entries(copy), Entries(t.root));
  EXPECT_EQ(copy.FFigures, copy.LayerList(2));
  for (int i = 0; i < 3; ++i) {
    ASSERT_EQ(copy.LayerList(i)->Count(), 2);
    EXPECT_EQ(copy.LayerList(i)->Figures(0)->FParent, &copy);
    EXPECT_EQ(copy.LayerList(i)->Figures(1)->FPen, t.root.LayerList(i)->Figures(1)->FPen);
  }
}

TEST(FigureSets, RootScaleFollowsTheViewStateAndNotifiesTheViews) {
  TFakeDocument doc;
  TTxFigureSet root(&doc);
  root.FArialScale = 0.25;
  root.SetScale(3);
  EXPECT_EQ(doc.CountHint(4), 1);
  root.SetScale(3);
  root.SetScale(0);
  EXPECT_EQ(doc.CountHint(4), 1);
  root.InsertFigure(Segment({0, 0}, {1, 0}));
  EXPECT_EQ(root.FFigures->Figures(0)->GetAbsParentScale(), 3);
  root.FViewState = vsArial;
  EXPECT_EQ(root.FFigures->Figures(0)->GetAbsParentScale(), 0.25);
}

TEST(DrawingProperties, ScaleIsBoundedAndABadValueEndsTheUpdate) {
  TFakeDocument doc;
  doc.DocScale = 2;
  TTxFigureSet root(&doc);
  root.FWidth = 400;
  root.FHeight = 200;
  TDrawingProperties p = root.GetDrawingProperties();
  EXPECT_EQ(p.Width, "800.000");
  EXPECT_EQ(p.Scale, "1.00000");
  EXPECT_EQ(p.GridPenColor, "15262952");
  p.Scale = "100";
  p.AbsX = "10";
  root.SetDrawingProperties(p);
  EXPECT_DOUBLE_EQ(root.FScale, 25) << "10000 / 400";
  EXPECT_DOUBLE_EQ(root.FAbsx, 5);
  p.Scale = "0.01";
  root.SetDrawingProperties(p);
  EXPECT_DOUBLE_EQ(root.FScale, 0.5) << "100 / 200";

  p = root.GetDrawingProperties();
  p.AbsY = "12";
  p.Width = "abc";
  p.Height = "1000";
  p.Scale = "1";
  root.SetDrawingProperties(p);
  EXPECT_DOUBLE_EQ(root.FAbsy, 6);
  EXPECT_DOUBLE_EQ(root.FHeight, 200) << "after the bad width nothing changes";
  EXPECT_DOUBLE_EQ(root.FScale, 0.5);
  EXPECT_GE(doc.CountHint(4), 3);
}
