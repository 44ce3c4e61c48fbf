// The undo and redo history: each kind of step both ways, places of deleted
// figures, the history limit and what is freed when.

#include <gtest/gtest.h>

#include "FigureTestSupport.h"

#include <algorithm>

namespace {

// A root with a document and a view that drops freed figures from its
// selection, as a real view does on the notice.
struct Drawing {
  TFakeDocument doc;
  TFakeView view;
  TTxFigureSet root{&doc};
  Drawing() {
    doc.OnFreeing = [this](const std::vector<TMyPersistent*>& f) {
      // Notices come before the figures go: they must still be whole.
      for (TMyPersistent* p : f) EXPECT_NE(dynamic_cast<TCustomFigure*>(p), nullptr);
      view.Forget(f);
    };
  }
  TCustomFigure* Add(double y) {
    root.InsertFigure(Segment({0, y}, {10, y}));
    return root.FFigures->Figures(0);
  }
  void BackUp(std::initializer_list<TCustomFigure*> figures, TOperationVerb verb,
              std::vector<TRemovedFigure> removed = {}) {
    TMyList list;
    for (TCustomFigure* f : figures) list.Add(f);
    root.BackUp(list, verb, std::move(removed));
  }
  std::vector<TCustomFigure*> Layer(int i) const {
    std::vector<TCustomFigure*> out;
    for (int k = 0; k < root.LayerList(i)->Count(); ++k) out.push_back(root.LayerList(i)->Figures(k));
    return out;
  }
  bool Freed(const TMyPersistent* f) const {
    return std::find(doc.Freed.begin(), doc.Freed.end(), f) != doc.Freed.end();
  }
};

double Y(const TCustomFigure* f) { return static_cast<const TTestSegment*>(f)->FQd.y; }

}  // namespace

TEST(UndoRedo, AddIsUndoneAndRedoneInPlace) {
  Drawing d;
  TCustomFigure* a = d.Add(1);
  TCustomFigure* b = d.Add(2);
  d.BackUp({b}, ovAdd);
  d.root.Undo(&d.view);
  EXPECT_EQ(d.Layer(0), std::vector<TCustomFigure*>{a});
  EXPECT_EQ(d.doc.Removed, std::vector<TMyPersistent*>{b});
  EXPECT_EQ(d.root.RedoCount(), 1);
  d.root.Redo(&d.view);
  EXPECT_EQ(d.Layer(0), (std::vector<TCustomFigure*>{b, a}));
  EXPECT_EQ(d.doc.Added, std::vector<TMyPersistent*>{b});
  EXPECT_TRUE(d.view.IsSelected(b));
  EXPECT_EQ(b->FParent, &d.root);
  EXPECT_EQ(d.root.UndoCount(), 1);
  EXPECT_EQ(d.root.RedoCount(), 0);
}

TEST(UndoRedo, UndoingADeletePutsFiguresBackWhereTheyWere) {
  Drawing d;
  std::string name;
  d.root.AddLayer(name);
  TCustomFigure* a = d.Add(1);
  TCustomFigure* b = d.Add(2);
  TCustomFigure* c = d.Add(3);  // layer 0: c, b, a
  d.root.SetCurLayer(1);
  d.Add(4);
  // The view removes the selection, then records the step.
  std::vector<TRemovedFigure> removed;
  removed.push_back(d.root.TakeOutFigure(c));
  removed.push_back(d.root.TakeOutFigure(a));
  d.BackUp({a, c}, ovDelete, std::move(removed));
  EXPECT_EQ(d.Layer(0), std::vector<TCustomFigure*>{b});
  d.root.Undo(&d.view);
  EXPECT_EQ(d.Layer(0), (std::vector<TCustomFigure*>{c, b, a})) << "not on top of the current layer";
  EXPECT_EQ(d.Layer(1).size(), 1u);
  EXPECT_TRUE(d.view.IsSelected(a) && d.view.IsSelected(c));
  d.root.Redo(&d.view);
  EXPECT_EQ(d.Layer(0), std::vector<TCustomFigure*>{b});
  d.root.Undo(&d.view);
  EXPECT_EQ(d.Layer(0), (std::vector<TCustomFigure*>{c, b, a}));
}

TEST(UndoRedo, ADeletedFiguresLayerThatIsGoneSendsItToTheCurrentLayer) {
  Drawing d;
  std::string name;
  d.root.AddLayer(name);
  d.root.SetCurLayer(1);
  TCustomFigure* a = d.Add(1);
  d.BackUp({a}, ovDelete);  // still in the drawing: the step takes it out
  EXPECT_TRUE(d.Layer(1).empty());
  d.root.RefreshLayers({{"图层1=2", d.root.LayerList(0)}, {"图层2=-1", d.root.LayerList(1)}});
  // An emptied layer frees nothing, so the history survives.
  ASSERT_EQ(d.root.UndoCount(), 1);
  d.root.Undo(&d.view);
  EXPECT_EQ(d.Layer(0), std::vector<TCustomFigure*>{a});
}

TEST(UndoRedo, EditRestoresTheSnapshotBothWays) {
  Drawing d;
  TCustomFigure* a = d.Add(1);
  d.BackUp({a}, ovEdit);
  static_cast<TTestSegment*>(a)->FQd.y = 50;
  a->FPen.Color = 0x0000FF;
  d.root.Undo(&d.view);
  EXPECT_EQ(Y(a), 1);
  EXPECT_EQ(a->FPen.Color, clBlack);
  EXPECT_EQ(a->FParent, &d.root);
  EXPECT_TRUE(d.view.IsSelected(a));
  d.root.Redo(&d.view);
  EXPECT_EQ(Y(a), 50);
  EXPECT_EQ(a->FPen.Color, 0x0000FFu);
  EXPECT_EQ(d.Layer(0), std::vector<TCustomFigure*>{a});
}

TEST(UndoRedo, AnEditThatMovedAFigureToAnotherLayerPutsItBackInItsPlace) {
  // As a property dialog's layer chooser does: the step, then the move.
  Drawing d;
  std::string name;
  d.root.AddLayer(name);
  TCustomFigure* c = d.Add(3);
  TCustomFigure* b = d.Add(2);
  TCustomFigure* a = d.Add(1);
  d.BackUp({b}, ovEdit);
  b->FPen.Color = 0x0000FF;
  d.root.ExchangeFigureLayer(b, 0, 1);
  ASSERT_EQ(d.Layer(1), std::vector<TCustomFigure*>{b});
  d.root.Undo(&d.view);
  EXPECT_EQ(d.Layer(0), (std::vector<TCustomFigure*>{a, b, c}));
  EXPECT_TRUE(d.Layer(1).empty());
  EXPECT_EQ(b->FPen.Color, clBlack);
  EXPECT_EQ(b->FParent, &d.root);
  d.root.Redo(&d.view);
  EXPECT_EQ(d.Layer(0), (std::vector<TCustomFigure*>{a, c}));
  EXPECT_EQ(d.Layer(1), std::vector<TCustomFigure*>{b});
  EXPECT_EQ(b->FPen.Color, 0x0000FFu);
  d.root.Undo(&d.view);
  EXPECT_EQ(d.Layer(0), (std::vector<TCustomFigure*>{a, b, c}));

  // Two figures of one step, moved one after the other.
  d.BackUp({c, a}, ovEdit);
  d.root.ExchangeFigureLayer(c, 0, 1);
  d.root.ExchangeFigureLayer(a, 0, 1);
  ASSERT_EQ(d.Layer(1), (std::vector<TCustomFigure*>{a, c}));
  d.root.Undo(&d.view);
  EXPECT_EQ(d.Layer(0), (std::vector<TCustomFigure*>{a, b, c}));
  EXPECT_TRUE(d.Layer(1).empty());
  d.root.Redo(&d.view);
  EXPECT_EQ(d.Layer(0), std::vector<TCustomFigure*>{b});
  EXPECT_EQ(d.Layer(1), (std::vector<TCustomFigure*>{a, c}));
}

TEST(UndoRedo, ComboAndExplodeSwapTheirFiguresBothWays) {
  Drawing d;
  TCustomFigure* a = d.Add(1);
  TCustomFigure* b = d.Add(2);  // b, a
  // Combine a and b into c.
  std::vector<TRemovedFigure> removed;
  removed.push_back(d.root.TakeOutFigure(a));
  removed.push_back(d.root.TakeOutFigure(b));
  TCustomFigure* c = d.Add(3);
  d.BackUp({a, b, c}, ovCombo, std::move(removed));
  d.root.Undo(&d.view);
  EXPECT_EQ(d.Layer(0), (std::vector<TCustomFigure*>{b, a}));
  EXPECT_TRUE(d.view.IsSelected(a) && d.view.IsSelected(b));
  d.root.Redo(&d.view);
  EXPECT_EQ(d.Layer(0), std::vector<TCustomFigure*>{c});
  d.root.Undo(&d.view);
  d.root.Redo(&d.view);
  EXPECT_EQ(d.Layer(0), std::vector<TCustomFigure*>{c});

  // Explode c into p and q.
  std::vector<TRemovedFigure> gone;
  gone.push_back(d.root.TakeOutFigure(c));
  TCustomFigure* p = d.Add(4);
  TCustomFigure* q = d.Add(5);
  d.BackUp({c, p, q}, ovExplode, std::move(gone));
  d.view.Select(p, false);
  d.root.Undo(&d.view);
  EXPECT_EQ(d.Layer(0), std::vector<TCustomFigure*>{c});
  EXPECT_EQ(d.view.Selection, std::vector<TDocItem*>{c}) << "the restored figure is the only selection";
  d.root.Redo(&d.view);
  EXPECT_EQ(d.Layer(0), (std::vector<TCustomFigure*>{q, p}));
  EXPECT_EQ(d.root.UndoCount(), 2);
}

TEST(UndoRedo, TheHistoryLimitFreesTheOldestStepAndWhatItOwns) {
  Drawing d;
  d.doc.UndoCount = 3;
  TCustomFigure* a = d.Add(1);
  d.BackUp({a}, ovDelete);
  for (int i = 0; i < 2; ++i) d.BackUp({d.Add(10 + i)}, ovAdd);
  EXPECT_FALSE(d.Freed(a));
  d.BackUp({d.Add(20)}, ovAdd);
  EXPECT_EQ(d.root.UndoCount(), 3);
  EXPECT_TRUE(d.Freed(a)) << "the dropped delete step took its figure with it";
  for (int i = 0; i < 3; ++i) d.root.Undo(&d.view);
  EXPECT_TRUE(d.Layer(0).empty());
  d.root.Undo(&d.view);
  EXPECT_EQ(d.root.RedoCount(), 3);
}

TEST(UndoRedo, WithoutHistoryDeletedFiguresAreFreedAtOnceAndForgottenFirst) {
  Drawing d;
  d.doc.UndoCount = 0;
  TCustomFigure* a = d.Add(1);
  TCustomFigure* b = d.Add(2);
  d.view.Select(a, false);
  d.view.Select(b, true);
  std::vector<TRemovedFigure> removed;
  removed.push_back(d.root.TakeOutFigure(a));
  d.BackUp({a}, ovDelete, std::move(removed));
  EXPECT_TRUE(d.Freed(a));
  EXPECT_EQ(d.view.Selection, std::vector<TDocItem*>{b}) << "nothing points at the freed figure";
  EXPECT_EQ(d.root.UndoCount(), 0);
  d.BackUp({b}, ovAdd);
  d.root.Undo(&d.view);
  EXPECT_EQ(d.Layer(0), std::vector<TCustomFigure*>{b});
  d.doc.UndoCount = -4;  // treated as 0
  TCustomFigure* c = d.Add(3);
  d.BackUp({c}, ovDelete);
  EXPECT_TRUE(d.Freed(c));
}

TEST(UndoRedo, ANewStepEmptiesTheRedoHistory) {
  Drawing d;
  TCustomFigure* a = d.Add(1);
  d.BackUp({a}, ovAdd);
  d.root.Undo(&d.view);  // a is out of the drawing, owned by the redo step
  TCustomFigure* b = d.Add(2);
  d.BackUp({b}, ovEdit);
  EXPECT_EQ(d.root.RedoCount(), 0);
  EXPECT_TRUE(d.Freed(a));
  d.root.Redo(&d.view);
  EXPECT_EQ(d.Layer(0), std::vector<TCustomFigure*>{b});
}

TEST(UndoRedo, DeletingALayerWithFiguresDropsTheHistoryThatPointsAtThem) {
  Drawing d;
  std::string name;
  d.root.AddLayer(name);
  d.root.SetCurLayer(1);
  TCustomFigure* a = d.Add(1);
  d.BackUp({a}, ovEdit);
  d.root.RefreshLayers({{"图层1=2", d.root.LayerList(0)}, {"图层2=-1", d.root.LayerList(1)}});
  EXPECT_TRUE(d.Freed(a));
  EXPECT_EQ(d.root.UndoCount(), 0);
  d.root.Undo(&d.view);  // must not touch the freed figure
  EXPECT_TRUE(d.Layer(0).empty());
}

TEST(UndoRedo, StepsOwningFiguresOutsideTheDrawingAreRefused) {
  Drawing d;
  auto loose = Segment({0, 0}, {1, 0});
  TMyList list;
  list.Add(loose.get());
  EXPECT_THROW(d.root.BackUp(list, ovDelete), std::invalid_argument);
  EXPECT_EQ(d.root.UndoCount(), 0);
}
