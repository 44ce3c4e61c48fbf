// The drawing tools driven by mouse events on a shown view: the figure each
// one builds, its undo record and the return to the selection tool.

#include "ToolTestSupport.h"

#include "figures/Blocks.h"
#include "figures/LineFigures.h"
#include "figures/Pictures.h"
#include "tools/MultiPointTools.h"
#include "tools/PointTools.h"
#include "tools/SelectTool.h"
#include "tools/ToolList.h"

namespace {

TPersistent* NewPolyline(TMyPersistent* O) { return new TTestPolyline(O); }
TPersistent* NewRect(TMyPersistent* O) { return new TTestRect(O); }
TPersistent* NewCircle(TMyPersistent* O) { return new TTestCircle(O); }
// Separate classes for separate tools over the same test figures; never registered.
const TMetaClass LineClass{"TTestMltLine", &TTestPolyline::StaticClass(), &NewPolyline};
const TMetaClass PolygonClass{"TTestPolygon", &TTestPolyline::StaticClass(), &NewPolyline};
const TMetaClass ArcClass{"TTestArc", &TTestPolyline::StaticClass(), &NewPolyline};
const TMetaClass PenClass{"TTestPenLine", &TTestPolyline::StaticClass(), &NewPolyline};
const TMetaClass SplineClass{"TTestBezier", &TTestPolyline::StaticClass(), &NewPolyline};
const TMetaClass DimensionClass{"TTestDimension", &TTestPolyline::StaticClass(), &NewPolyline};
// The circle's rubber band and its orthogonal second click, and the
// rectangle's, come from their family descriptors.
const TMetaClass CircleClass{"TTestCircleFamily", &TTestCircle::StaticClass(), &NewCircle};
const TMetaClass RectClass{"TTestRectFamily", &TTestRect::StaticClass(), &NewRect};
void RegisterTestFamilies() {
  RegisterFamily({.Class = &CircleClass, .Rubber = TPlacingRubber::Circle, .OrthoOnClick = true});
  RegisterFamily({.Class = &RectClass, .Rubber = TPlacingRubber::Rect, .OrthoWhileMoving = false});
}

}  // namespace

TEST_F(ToolTest, TwoClicksDrawOneSelectedRectangleWithOneAddEntryAndReturnToSelection) {
  Use<TTwoPointTool>(TTestRect::StaticClass());
  Click({50, 60});
  Move({120, 100});
  Click({150, 130});
  const auto figs = Figures();
  ASSERT_EQ(figs.size(), 1u);  // the temporary line is gone
  auto* r = dynamic_cast<TTestRect*>(figs[0]);
  ASSERT_TRUE(r);
  const Tpt a = Local({50, 60}), b = Local({150, 130});
  EXPECT_PT(r->FQd, a.x, a.y);
  EXPECT_PT(r->FZd, b.x, b.y);
  // y points up in the drawing.
  EXPECT_NEAR(b.x - a.x, 100, 1e-9);
  EXPECT_NEAR(b.y - a.y, -70, 1e-9);
  ASSERT_EQ(UndoCount(), 1);
  EXPECT_EQ(LastUndo()->FOperationVerb, ovAdd);
  ASSERT_EQ(LastUndo()->Count(), 1);
  EXPECT_EQ(LastUndo()->Items(0), r);
  EXPECT_EQ(view.Selection().Count(), 1);
  EXPECT_TRUE(view.IsSelected(r));
  EXPECT_EQ(view.Announced, std::vector<TMyPersistent*>{r});
  EXPECT_TRUE(InSelectTool());
  EXPECT_TRUE(view.RubberOverlay().Empty());
  view.Undo();
  EXPECT_TRUE(Figures().empty());
}

TEST_F(ToolTest, RightClickAfterTheFirstPointOfACircleLeavesTheDrawingUnchanged) {
  Use<TTwoPointTool>(CircleClass);
  Click({50, 60});
  Move({90, 60});
  EXPECT_FALSE(view.RubberOverlay().Empty());
  RightClick({90, 60});
  EXPECT_TRUE(Figures().empty());
  EXPECT_EQ(UndoCount(), 0);
  EXPECT_TRUE(InSelectTool());
  EXPECT_TRUE(view.RubberOverlay().Empty());
}

TEST_F(ToolTest, CircleRubberIsTheCircleAndTheSecondClickIsOrthogonal) {
  RegisterTestFamilies();
  env.FOrtho = true;
  Use<TTwoPointTool>(CircleClass);
  Click({100, 100});
  Move({130, 140});  // |dy| > |dx|: vertical, radius 40
  ASSERT_EQ(view.RubberOverlay().Shapes().size(), 1u);
  const TRubberShape& s = view.RubberOverlay().Shapes()[0];
  EXPECT_EQ(s.Kind, rkEllipse);
  EXPECT_EQ(s.Points[0].x, 60);
  EXPECT_EQ(s.Points[1].x, 140);
  Click({130, 140});
  auto* c = dynamic_cast<TTestCircle*>(Figures().at(0));
  ASSERT_TRUE(c);
  EXPECT_NEAR(c->FBj, 40, 1e-9);
}

TEST_F(ToolTest, RectangleClassDragsARubberRectangleWithoutOrthogonalMode) {
  RegisterTestFamilies();
  env.FOrtho = true;
  Use<TTwoPointTool>(RectClass);
  Click({100, 100});
  Move({130, 140});
  ASSERT_EQ(view.RubberOverlay().Shapes().size(), 1u);
  const TRubberShape& s = view.RubberOverlay().Shapes()[0];
  EXPECT_EQ(s.Kind, rkRectangle);
  EXPECT_EQ(s.Points[1].x, 130);
  EXPECT_EQ(s.Points[1].y, 140);
  Click({130, 140});
  auto* r = dynamic_cast<TTestRect*>(Figures().at(0));
  ASSERT_TRUE(r);
  const Tpt b = Local({130, 140});
  EXPECT_PT(r->FZd, b.x, b.y);
}

TEST_F(ToolTest, OnePointPlacesTheFigureAtTheClickAtItsNaturalSize) {
  doc.FFigures->SetScale(2.0);
  doc.AddTool(std::make_unique<TOnePointTool>(&TTestMark::StaticClass()));
  view.SetDrawShape(&TTestMark::StaticClass());
  view.SetOperation(omAdd);
  Click({80, 90});
  ASSERT_EQ(Figures().size(), 1u);
  auto* m = dynamic_cast<TTestMark*>(Figures()[0]);
  ASSERT_TRUE(m);
  const Tpt p = Local({80, 90});
  EXPECT_NEAR(m->FDwd.x, p.x, 0.5);
  EXPECT_NEAR(m->FDwd.y, p.y, 0.5);
  EXPECT_DOUBLE_EQ(m->GetScale(), 0.5);
  ASSERT_EQ(UndoCount(), 1);
  EXPECT_EQ(LastUndo()->FOperationVerb, ovAdd);
  EXPECT_EQ(LastUndo()->Items(0), m);
  EXPECT_TRUE(InSelectTool());
}

TEST_F(ToolTest, ThreeClicksBuildAnArcFromThreePointsAndEditEndFinishesWithTwo) {
  Use<TThreePointTool>(ArcClass);
  Click({10, 10});
  Click({50, 40});
  EXPECT_EQ(Figures().size(), 1u);  // only the temporary line so far
  EXPECT_EQ(UndoCount(), 0);
  Click({90, 10});
  ASSERT_EQ(Figures().size(), 1u);
  auto* arc = dynamic_cast<TTestPolyline*>(Figures()[0]);
  ASSERT_TRUE(arc);
  EXPECT_EQ(&arc->ClassType(), &TTestPolyline::StaticClass());
  ASSERT_EQ(arc->GetPointCount(), 3);
  const Tpt m = Local({50, 40});
  EXPECT_PT(arc->FPoints[1], m.x, m.y);
  EXPECT_EQ(LastUndo()->FOperationVerb, ovAdd);
  EXPECT_TRUE(InSelectTool());

  Use<TThreePointTool>(ArcClass);
  Click({10, 100});
  Click({60, 100});
  view.OnEditEnd();
  ASSERT_EQ(Figures().size(), 2u);
  EXPECT_EQ(static_cast<TTestPolyline*>(Figures()[0])->GetPointCount(), 2);
  EXPECT_EQ(UndoCount(), 2);
}

TEST_F(ToolTest, PolygonKeepsClickedVerticesAndDropsTheRubberVertex) {
  Use<TPolygonTool>(PolygonClass);
  Click({10, 10});
  Move({60, 15});
  Click({60, 15});
  Move({80, 50});
  Click({80, 50});
  Move({40, 90});  // the rubber vertex
  auto* p = dynamic_cast<TTestPolyline*>(Figures().at(0));
  ASSERT_TRUE(p);
  EXPECT_EQ(p->GetPointCount(), 4);
  EXPECT_EQ(UndoCount(), 0);
  RightClick({40, 90});
  ASSERT_EQ(Figures().size(), 1u);
  ASSERT_EQ(p->GetPointCount(), 3);
  const Tpt c = Local({80, 50});
  EXPECT_PT(p->FPoints[2], c.x, c.y);
  ASSERT_EQ(UndoCount(), 1);
  EXPECT_EQ(LastUndo()->FOperationVerb, ovAdd);
  EXPECT_EQ(LastUndo()->Items(0), p);
  EXPECT_TRUE(view.IsSelected(p));
  EXPECT_FALSE(view.FAllowTangent);
  EXPECT_TRUE(InSelectTool());
}

TEST_F(ToolTest, PolygonWithTwoClicksAndARubberVertexIsDiscarded) {
  Use<TPolygonTool>(PolygonClass);
  Click({10, 10});
  Move({60, 15});
  Click({60, 15});
  Move({80, 50});
  RightClick({80, 50});
  EXPECT_TRUE(Figures().empty());
  EXPECT_EQ(UndoCount(), 0);
  EXPECT_TRUE(InSelectTool());
}

TEST_F(ToolTest, MultiLineWithOnePointIsRemovedAndWithTwoIsKept) {
  Use<TMultiLineTool>(LineClass);
  Click({10, 10});
  EXPECT_TRUE(view.FAllowTangent);
  RightClick({10, 10});
  EXPECT_TRUE(Figures().empty());
  EXPECT_EQ(UndoCount(), 0);
  EXPECT_TRUE(InSelectTool());

  Use<TMultiLineTool>(LineClass);
  Click({10, 10});
  Move({70, 30});
  Click({70, 30});
  RightClick({70, 30});
  ASSERT_EQ(Figures().size(), 1u);
  auto* l = dynamic_cast<TTestPolyline*>(Figures()[0]);
  ASSERT_EQ(l->GetPointCount(), 2);
  ASSERT_EQ(UndoCount(), 1);
  EXPECT_EQ(LastUndo()->FOperationVerb, ovAdd);
  EXPECT_EQ(LastUndo()->Items(0), l);
  EXPECT_EQ(view.Announced, std::vector<TMyPersistent*>{l});
  EXPECT_FALSE(view.FAllowTangent);
  EXPECT_TRUE(view.RubberOverlay().Empty());
  EXPECT_TRUE(InSelectTool());
}

TEST_F(ToolTest, OrthogonalModeMakesTheNextSegmentHorizontalOrVertical) {
  env.FOrtho = true;
  Use<TMultiLineTool>(LineClass);
  const TPoint o = Client({100, 100});
  Click(o);
  Click({o.x + 30, o.y - 10});  // (+30, +10) in the drawing
  Click({o.x + 40, o.y - 30});  // (+10, +30) from there
  Click({o.x + 50, o.y - 50});  // (+20, +20)
  RightClick({o.x + 50, o.y - 50});
  auto* l = dynamic_cast<TTestPolyline*>(Figures().at(0));
  ASSERT_EQ(l->GetPointCount(), 4);
  EXPECT_PT(l->FPoints[1], 130, 100);
  EXPECT_PT(l->FPoints[2], 130, 130);
  EXPECT_PT(l->FPoints[3], 150, 130);
}

TEST_F(ToolTest, MultiPointToolBuildsTheDimensionFromTheCollectedPoints) {
  Use<TMultiPointTool>(DimensionClass);
  Click({10, 10});
  Click({50, 10});
  Click({50, 60});
  RightClick({50, 60});
  ASSERT_EQ(Figures().size(), 1u);
  auto* d = dynamic_cast<TTestPolyline*>(Figures()[0]);
  ASSERT_TRUE(d);
  ASSERT_EQ(d->GetPointCount(), 3);
  const Tpt c = Local({50, 60});
  EXPECT_PT(d->FPoints[2], c.x, c.y);
  EXPECT_EQ(LastUndo()->FOperationVerb, ovAdd);
  EXPECT_TRUE(InSelectTool());

  Use<TMultiPointTool>(DimensionClass);
  Click({10, 10});
  RightClick({10, 10});
  EXPECT_EQ(Figures().size(), 1u);
  EXPECT_EQ(UndoCount(), 1);
}

TEST_F(ToolTest, FreehandLineIsRecordedForUndo) {
  Use<TPenLineTool>(PenClass);
  Down({10, 10});
  Move({20, 12});
  Move({30, 18});
  Up({30, 18});
  ASSERT_EQ(Figures().size(), 1u);
  auto* l = dynamic_cast<TTestPolyline*>(Figures()[0]);
  ASSERT_EQ(l->GetPointCount(), 3);
  const Tpt b = Local({20, 12});
  EXPECT_PT(l->FPoints[1], b.x, b.y);
  EXPECT_EQ(view.Announced, std::vector<TMyPersistent*>{l});
  ASSERT_EQ(UndoCount(), 1);
  EXPECT_EQ(LastUndo()->FOperationVerb, ovAdd);
  EXPECT_TRUE(InSelectTool());
  view.Undo();
  EXPECT_TRUE(Figures().empty());
}

TEST_F(ToolTest, SplineIsRecordedWhenFinishedAndNeverWhenCancelled) {
  Use<TBezierTool>(SplineClass);
  Click({10, 10});
  EXPECT_EQ(UndoCount(), 0);
  Move({40, 40});
  Click({40, 40});
  Click({80, 20});
  EXPECT_EQ(UndoCount(), 0);
  RightClick({80, 20});
  ASSERT_EQ(Figures().size(), 1u);
  auto* s = dynamic_cast<TTestPolyline*>(Figures()[0]);
  EXPECT_EQ(s->GetPointCount(), 3);
  ASSERT_EQ(UndoCount(), 1);
  EXPECT_EQ(LastUndo()->Items(0), s);
  EXPECT_TRUE(InSelectTool());

  // A spline dropped by a switch of tools leaves no entry behind.
  Use<TBezierTool>(SplineClass);
  Click({10, 100});
  Click({60, 100});
  view.SetDrawShape(&TDocItem::StaticClass());
  EXPECT_EQ(Figures().size(), 1u);
  EXPECT_EQ(UndoCount(), 1);
  // One point is no spline.
  Use<TBezierTool>(SplineClass);
  Click({10, 100});
  RightClick({10, 100});
  EXPECT_EQ(Figures().size(), 1u);
  EXPECT_EQ(UndoCount(), 1);
  view.Undo();
  EXPECT_TRUE(Figures().empty());
}

TEST_F(ToolTest, ArrowLineTakesItsEndsThenItsOffsetWithTheThirdClick) {
  auto* tool = Use<TBzLineTool>(TTestArrow::StaticClass());
  Click({20, 50});
  Move({100, 50});
  auto* a = dynamic_cast<TTestArrow*>(Figures().at(0));
  ASSERT_TRUE(a);
  Click({120, 50});
  EXPECT_TRUE(tool->FFinished);
  Move({70, 20});
  EXPECT_FALSE(a->FOrtho);
  EXPECT_EQ(UndoCount(), 0);
  Click({70, 20});
  const Tpt q = Local({20, 50}), z = Local({120, 50}), o = Local({70, 20});
  EXPECT_PT(a->FQd, q.x, q.y);
  EXPECT_PT(a->FZd, z.x, z.y);
  EXPECT_PT(a->FOff, o.x, o.y);
  ASSERT_EQ(UndoCount(), 1);
  EXPECT_EQ(LastUndo()->Items(0), a);
  EXPECT_TRUE(InSelectTool());

  env.FOrtho = true;
  Use<TBzLineTool>(TTestArrow::StaticClass());
  Click({20, 150});
  Click({120, 150});
  Move({200, 160});  // right of the span: a vertical dimension
  auto* b = dynamic_cast<TTestArrow*>(Figures().at(0));
  EXPECT_TRUE(b->FOrtho);
  EXPECT_FALSE(b->FHorz);
  Move({70, 190});  // above it: horizontal
  EXPECT_TRUE(b->FHorz);
  RightClick({70, 190});
  EXPECT_EQ(Figures().size(), 1u);
  EXPECT_EQ(UndoCount(), 1);
  EXPECT_TRUE(InSelectTool());
}

TEST_F(ToolTest, MirrorAddsMirroredCopiesAndLeavesTheSourcesAlone) {
  auto src = std::make_unique<TTestRect>();
  src->FQd = {10, 10};
  src->FZd = {30, 20};
  TTestRect* s = src.get();
  doc.Add(std::move(src), {0, 0}, &view);
  // What the main window does for the mirror command.
  auto block = std::make_unique<TTestBlock>();
  block->InsertFigure(std::unique_ptr<TCustomFigure>(static_cast<TCustomFigure*>(s->Clone().release())));
  view.FTempList.Clear();
  view.FTempList.Add(s);
  view.SetMirrorItem(std::move(block));
  view.SetDrawShape(nullptr);
  ASSERT_TRUE(dynamic_cast<TMirrorTool*>(view.CurrentTool()));
  view.FSelection.Clear();

  Click(Client({50, 0}));
  Move(Client({50, 60}));
  Click(Client({50, 100}));  // the axis x = 50
  ASSERT_EQ(Figures().size(), 2u);
  auto* copy = dynamic_cast<TTestRect*>(Figures()[0]);
  ASSERT_TRUE(copy && copy != s);
  EXPECT_PT(copy->FQd, 90, 10);
  EXPECT_PT(copy->FZd, 70, 20);
  EXPECT_PT(s->FQd, 10, 10);
  ASSERT_EQ(UndoCount(), 1);
  EXPECT_EQ(LastUndo()->FOperationVerb, ovAdd);
  EXPECT_EQ(LastUndo()->Items(0), copy);
  EXPECT_TRUE(view.IsSelected(copy));
  EXPECT_TRUE(InSelectTool());
}

TEST_F(ToolTest, RightClickCancelsAMirrorAndRemovesItsCopies) {
  auto src = std::make_unique<TTestRect>();
  src->FZd = {30, 20};
  TTestRect* s = src.get();
  doc.Add(std::move(src), {0, 0}, &view);
  auto block = std::make_unique<TTestBlock>();
  block->InsertFigure(std::unique_ptr<TCustomFigure>(static_cast<TCustomFigure*>(s->Clone().release())));
  view.FTempList.Add(s);
  view.SetMirrorItem(std::move(block));
  view.SetDrawShape(nullptr);
  Click(Client({50, 0}));
  Move(Client({50, 60}));
  EXPECT_EQ(Figures().size(), 2u);
  RightClick(Client({50, 60}));
  EXPECT_EQ(Figures(), std::vector<TCustomFigure*>{s});
  EXPECT_EQ(UndoCount(), 0);
  EXPECT_TRUE(InSelectTool());
}

TEST_F(ToolTest, EveryNewDrawingDocumentGetsOneToolOfItsKindPerRegisteredFamily) {
  TFiguresDoc fresh;
  const auto& families = Families();
  ASSERT_EQ(fresh.FToolList.size(), 2 + families.size());
  EXPECT_TRUE(dynamic_cast<TMirrorTool*>(fresh.FToolList[0].get()));
  EXPECT_EQ(fresh.FToolList[0]->FItemClass, nullptr);
  EXPECT_TRUE(dynamic_cast<TSelectTool*>(fresh.FToolList[1].get()));
  EXPECT_EQ(fresh.FToolList[1]->FItemClass, &TDocItem::StaticClass());
  for (std::size_t i = 0; i < families.size(); ++i) EXPECT_EQ(fresh.FToolList[2 + i]->FItemClass, families[i].Class);
  // The kind each family names decides the tool.
  auto toolOf = [&](const TMetaClass& c) -> TDrawTool* {
    for (auto& t : fresh.FToolList)
      if (t->FItemClass == &c) return t.get();
    return nullptr;
  };
  EXPECT_TRUE(dynamic_cast<TTwoPointTool*>(toolOf(TTxLine::StaticClass())));
  EXPECT_TRUE(dynamic_cast<TBzLineTool*>(toolOf(TArrowLine::StaticClass())));
  EXPECT_TRUE(dynamic_cast<TTwoPointTool*>(toolOf(TTxBlock::StaticClass())));
}

TEST_F(ToolTest, RealArrowLineIsDrawnByTwoClicksAndTheDimensionByThree) {
  Use<TTwoPointTool>(TTxLine::StaticClass());
  Click({40, 250});
  Click({140, 200});
  auto* line = dynamic_cast<TTxLine*>(Figures().at(0));
  ASSERT_TRUE(line);
  const Tpt q = Local({40, 250}), z = Local({140, 200});
  EXPECT_PT(line->FQd, q.x, q.y);
  EXPECT_PT(line->FZd, z.x, z.y);
  EXPECT_EQ(UndoCount(), 1);

  Use<TBzLineTool>(TArrowLine::StaticClass());
  Click({40, 100});
  Click({240, 100});
  Move({140, 60});
  Click({140, 60});
  auto* dim = dynamic_cast<TArrowLine*>(Figures().at(0));
  ASSERT_TRUE(dim);
  // Placed through the third point, parallel to the first two.
  EXPECT_NEAR(dim->FQd.y, Local({140, 60}).y, 1e-6);
  EXPECT_NEAR(dim->FZd.y, Local({140, 60}).y, 1e-6);
  EXPECT_NEAR(dim->FZd.x - dim->FQd.x, 200, 1e-6);
  EXPECT_EQ(UndoCount(), 2);
  EXPECT_TRUE(InSelectTool());
}

TEST_F(ToolTest, ABlockAndAnEmbeddedObjectArePlacedByTheirTwoClicks) {
  TTxBlock chosen;
  chosen.InitialParas(100, 50);
  view.SetCurrentItem(&chosen);
  Use<TTwoPointTool>(TTxBlock::StaticClass());
  Click({50, 60});
  Click({250, 160});
  auto* block = dynamic_cast<TTxBlock*>(Figures().at(0));
  ASSERT_TRUE(block);
  const Tpt a = Local({50, 160}), b = Local({250, 60});
  EXPECT_PT(block->FYd, a.x, a.y);
  // 200 x 100 units dragged over a block of 100 x 50: twice its size.
  EXPECT_NEAR(block->FScale, (b.x - a.x) / 100, 1e-9);
  EXPECT_NE(block->FScale, 1.0);

  Use<TTwoPointTool>(TTxOle::StaticClass());
  Click({60, 70});
  Click({160, 120});
  auto* ole = dynamic_cast<TTxOle*>(Figures().at(0));
  ASSERT_TRUE(ole);
  const Tpt o = Local({60, 120}), p = Local({160, 70});
  EXPECT_PT(ole->FYd, o.x, o.y);
  EXPECT_NEAR(ole->FWidth, p.x - o.x, 1e-9);
  EXPECT_NEAR(ole->FHeight, p.y - o.y, 1e-9);
  EXPECT_EQ(UndoCount(), 2);
}

// ---- constructions under way when the user turns elsewhere

TEST_F(ToolTest, EscapeDiscardsAConstructionThenReturnsToTheSelectionTool) {
  Use<TMultiLineTool>(LineClass);
  Click({10, 10});
  Move({70, 30});
  Click({70, 30});
  view.KeyDown(Qt::Key_Escape, 0);
  EXPECT_TRUE(Figures().empty());
  EXPECT_EQ(UndoCount(), 0);
  EXPECT_TRUE(view.RubberOverlay().Empty());
  // The tool stays for the next figure; a second Esc leaves it.
  EXPECT_EQ(view.ItemClass(), &LineClass);
  EXPECT_FALSE(InSelectTool());
  view.KeyDown(Qt::Key_Escape, 0);
  EXPECT_TRUE(InSelectTool());
  EXPECT_EQ(view.Operation(), omMove);

  Use<TTwoPointTool>(RectClass);
  Click({10, 10});
  Move({70, 30});
  view.KeyDown(Qt::Key_Escape, 0);
  EXPECT_TRUE(Figures().empty()) << "the temporary line of clicks is gone";
  EXPECT_TRUE(view.RubberOverlay().Empty());
  EXPECT_FALSE(HasCapture(view));
  view.KeyDown(Qt::Key_Escape, 0);
  EXPECT_TRUE(InSelectTool());
}

TEST_F(ToolTest, ChoosingAnOperationDiscardsAConstruction) {
  Use<TPolygonTool>(PolygonClass);
  Click({10, 10});
  Click({70, 30});
  Move({40, 80});
  view.SetOperation(omZoomWindow);
  EXPECT_TRUE(Figures().empty());
  EXPECT_EQ(UndoCount(), 0);
  EXPECT_TRUE(InSelectTool());
  EXPECT_EQ(view.Operation(), omZoomWindow);
}

TEST_F(ToolTest, AViewLeavingItsDocumentTakesTheConstructionWithIt) {
  Use<TThreePointTool>(ArcClass);
  Click({10, 10});
  Click({70, 30});
  ASSERT_EQ(Figures().size(), 1u);  // the temporary line of clicks
  view.SetDocument(nullptr);
  EXPECT_TRUE(Figures().empty());
  EXPECT_EQ(UndoCount(), 0);
}

TEST_F(ToolTest, ChoosingAnOperationCancelsAMirrorAndRemovesItsCopies) {
  auto src = std::make_unique<TTestRect>();
  src->FZd = {30, 20};
  TTestRect* s = src.get();
  doc.Add(std::move(src), {0, 0}, &view);
  auto block = std::make_unique<TTestBlock>();
  block->InsertFigure(std::unique_ptr<TCustomFigure>(static_cast<TCustomFigure*>(s->Clone().release())));
  view.FTempList.Add(s);
  view.SetMirrorItem(std::move(block));
  view.SetDrawShape(nullptr);
  Click(Client({50, 0}));
  Move(Client({50, 60}));
  ASSERT_EQ(Figures().size(), 2u);
  view.SetOperation(omRotate);
  EXPECT_EQ(Figures(), std::vector<TCustomFigure*>{s});
  EXPECT_EQ(UndoCount(), 0);
  EXPECT_TRUE(InSelectTool());
}
