// The index tree: it follows adds, deletes and layer moves row by row,
// forwards clicks to the drawing view, moves figures and layers by drag and
// drop, deletes layers without leaving pointers behind, and its pop-up menu.

#include "DocViewTestSupport.h"

#include "docview/ArialView.h"
#include "docview/Environment.h"
#include "docview/IndexView.h"
#include "foundation/NodeItems.h"
#include "platform/System.h"

#include <QAction>
#include <QMenu>
#include <QPersistentModelIndex>
#include <gtest/gtest.h>

namespace {

// A second kind of figure, so layers hold more than one kind node.
class TTestMark : public TTestBox {
public:
  TTestMark() { FClassNameDescription = "标记"; }
};

// "layer{kind{$id,$id},kind{...}}" as the tree shows it.
std::string Describe(const QAbstractItemModel& Model, const QModelIndex& Parent = {}) {
  std::string out;
  for (int r = 0; r < Model.rowCount(Parent); ++r) {
    const QModelIndex i = Model.index(r, 0, Parent);
    if (r) out += ",";
    out += Model.data(i).toString().toStdString();
    if (Model.rowCount(i) > 0) out += "{" + Describe(Model, i) + "}";
  }
  return out;
}

// The same of a node list built afresh by the document.
std::string Describe(const TCustomNodeList& List, bool Top = true) {
  std::string out;
  for (int r = 0; r < List.Count(); ++r) {
    const TCustomNodeItem* n = List.Items(r);
    if (r) out += ",";
    out += Top ? n->FDescription : n->FCaption;
    if (n->HasChild()) out += "{" + Describe(*n->FList, false) + "}";
  }
  return out;
}

class IndexTree : public ::testing::Test {
protected:
  void SetUp() override {
    old = SysEnvironment;
    SysEnvironment = &env;
    a = doc.AddBox({10, 10}, {40, 30});
    b = doc.AddBox({60, 60}, {90, 80});
    std::string name;
    doc.FFigures->AddLayer(name);  // 图层2, visible, not current
    draw.SetDocument(&doc);
    ShowView(draw, 300, 200);
    index.SetDocument(&doc);
    index.resize(200, 300);
    QObject::connect(&Model(), &QAbstractItemModel::modelReset, [this] { ++resets; });
  }
  void TearDown() override { SysEnvironment = old; }

  TNodeListModel& Model() { return index.TreeView().Model(); }
  TNodeListTreeView& Tree() { return index.TreeView(); }
  TCustomNodeItem* Node(TCustomFigure* F) { return Tree().FindNodeByObject(F); }
  TCustomNodeItem* Layer(int I) { return Tree().LayerNode(I); }
  std::string Fresh() { return Describe(*doc.GetInheritList()); }

  // Adds and announces, as the tools do.
  template <typename T = TTestBox>
  T* AddFigure(Tpt Qd, Tpt Zd) {
    auto f = std::make_unique<T>();
    f->FQd = Qd;
    f->FZd = Zd;
    T* raw = f.get();
    doc.Add(std::move(f), TPoint{0, 0}, &draw);
    doc.AddItemMessage(raw);
    return raw;
  }

  TEnvironment env;
  TEnvironment* old = nullptr;
  TTestDrawingDoc doc{300, 200};
  TTestView draw;
  TIndexView index;
  TTestBox *a = nullptr, *b = nullptr;
  int resets = 0;
};

}  // namespace

TEST_F(IndexTree, ShowsLayersKindsAndFiguresAfterTheDocument) {
  ASSERT_EQ(Model().rowCount(), 2);
  EXPECT_EQ(Model().data(Model().index(0, 0)).toString(), "图层1");
  EXPECT_EQ(Model().data(Model().index(1, 0)).toString(), "图层2");
  EXPECT_EQ(Describe(Model()), Fresh());
  TCustomNodeItem* na = Node(a);
  ASSERT_NE(na, nullptr);
  EXPECT_EQ(Tree().LevelOf(na), nlFigure);
  EXPECT_EQ(Model().data(Model().IndexOf(na)).toString().size(), 9);
  EXPECT_TRUE(Model().data(Model().IndexOf(na)).toString().startsWith("$"));
  // Layer colours follow the state: current red, visible blue.
  EXPECT_EQ(Model().data(Model().index(0, 0), Qt::ForegroundRole).value<QColor>(), QColor(255, 0, 0));
  EXPECT_EQ(Model().data(Model().index(1, 0), Qt::ForegroundRole).value<QColor>(), QColor(0, 0, 255));
}

TEST_F(IndexTree, FollowsAddsAndDeletesRowByRowKeepingUntouchedNodes) {
  TCustomNodeItem* na = Node(a);
  const QPersistentModelIndex ia(Model().IndexOf(na));
  const QPersistentModelIndex layer2(Model().index(1, 0));
  Tree().expand(Model().parent(ia));

  // A new kind in the current layer gets its kind node.
  TTestMark* m = AddFigure<TTestMark>({100, 100}, {120, 120});
  ASSERT_NE(Node(m), nullptr);
  EXPECT_EQ(Model().data(Model().parent(Model().IndexOf(Node(m)))).toString(), "标记");
  EXPECT_EQ(Describe(Model()), Fresh());

  // Deleting one of two boxes keeps the kind; deleting the mark drops its kind.
  doc.RemoveItem(b);
  EXPECT_EQ(Node(b), nullptr);
  EXPECT_EQ(Describe(Model()), Fresh());
  doc.RemoveItem(m);
  EXPECT_EQ(Describe(Model()), Fresh());
  EXPECT_EQ(Model().rowCount(Model().index(0, 0)), 1);

  // The untouched node is the same item, at a still valid index, still expanded.
  EXPECT_TRUE(ia.isValid());
  EXPECT_EQ(Model().NodeOf(ia), na);
  EXPECT_EQ(Node(a), na);
  EXPECT_TRUE(Tree().isExpanded(Model().parent(ia)));
  EXPECT_TRUE(layer2.isValid());
  EXPECT_EQ(resets, 0);

  // The last figure of a kind takes the kind node, never the layer node.
  doc.RemoveItem(a);
  EXPECT_EQ(Model().rowCount(), 2);
  EXPECT_EQ(Model().rowCount(Model().index(0, 0)), 0);
  EXPECT_EQ(Describe(Model()), Fresh());
  EXPECT_EQ(resets, 0);
}

TEST_F(IndexTree, UndoAndRedoOfAnAddKeepTheTreeInStep) {
  TTestBox* c = AddFigure({100, 100}, {120, 120});
  draw.Select(c, false);
  draw.BackUp(ovAdd);
  draw.Undo();
  EXPECT_EQ(Node(c), nullptr);
  EXPECT_EQ(Describe(Model()), Fresh());
  doc.FFigures->Redo(&draw);
  EXPECT_NE(Node(c), nullptr);
  EXPECT_EQ(Describe(Model()), Fresh());
  EXPECT_EQ(resets, 0);
}

TEST_F(IndexTree, FreedFiguresLeaveNoNodes) {
  // The layer dialog's result can free a whole layer; its nodes go with it.
  doc.FFigures->ExchangeFigureLayer(b, 0, 1);
  index.OnInitialUpdate();
  std::vector<TLayerRef> layers{{doc.FFigures->FLayers[0].Entry, doc.FFigures->LayerList(0)},
                                {"图层2=-1", doc.FFigures->LayerList(1)}};
  doc.FFigures->RefreshLayers(layers);
  EXPECT_EQ(Tree().FindNodeByObject(b), nullptr);
  EXPECT_NE(Node(a), nullptr);
}

TEST_F(IndexTree, ClickingANodeSelectsItsFiguresInTheDrawingView) {
  TTestMark* m = AddFigure<TTestMark>({100, 100}, {120, 120});
  TCustomNodeItem* boxes = Tree().KindNode(Layer(0), "方框", false);
  ASSERT_NE(boxes, nullptr);
  Tree().MyClick(boxes);
  ASSERT_EQ(draw.Selection().Count(), 2);
  EXPECT_TRUE(draw.IsSelected(a));
  EXPECT_TRUE(draw.IsSelected(b));
  EXPECT_FALSE(draw.IsSelected(m));
  Tree().MyClick(Node(m));
  ASSERT_EQ(draw.Selection().Count(), 1);
  EXPECT_TRUE(draw.IsSelected(m));
  // An empty layer empties the selection.
  Tree().MyClick(Layer(1));
  EXPECT_EQ(draw.Selection().Count(), 0);
}

TEST_F(IndexTree, DroppingAFigureOnAnotherLayerMovesItThereAndMarksTheDocument) {
  doc.SetModifiedFlag(false);
  TCustomNodeItem* na = Node(a);
  Tree().MyDragDrop(na, Layer(1));
  EXPECT_EQ(doc.FFigures->GetFigureLayerIndex(a), 1);
  EXPECT_TRUE(doc.GetModifiedFlag());
  EXPECT_EQ(Tree().LayerIndexOf(na), 1);
  EXPECT_EQ(Node(a), na);
  EXPECT_EQ(Describe(Model()), Fresh());

  // Onto its own layer (any node of it): nothing at all.
  doc.SetModifiedFlag(false);
  Tree().MyDragDrop(Node(b), Layer(0));
  Tree().MyDragDrop(na, Tree().KindNode(Layer(1), "方框", false));
  EXPECT_EQ(doc.FFigures->GetFigureLayerIndex(b), 0);
  EXPECT_EQ(doc.FFigures->GetFigureLayerIndex(a), 1);
  EXPECT_FALSE(doc.GetModifiedFlag());
  EXPECT_EQ(resets, 0);
}

TEST_F(IndexTree, AFigureMovedToAnotherLayerByItsDialogTakesItsNodeAlong) {
  // What the layer chooser of every property dialog does.
  TCustomNodeItem* na = Node(a);
  doc.SetModifiedFlag(false);
  doc.FFigures->ExchangeFigureLayer(a, 0, 1);
  EXPECT_EQ(Node(a), na);
  EXPECT_EQ(Tree().LayerIndexOf(na), 1);
  EXPECT_EQ(Describe(Model()), Fresh());
  EXPECT_TRUE(doc.GetModifiedFlag());
  // And back: the kind node it left in layer 2 goes.
  doc.FFigures->ExchangeFigureLayer(a, 1, 0);
  EXPECT_EQ(Tree().LayerIndexOf(Node(a)), 0);
  EXPECT_EQ(Model().rowCount(Model().index(1, 0)), 0);
  EXPECT_EQ(Describe(Model()), Fresh());
  EXPECT_EQ(resets, 0);
}

TEST_F(IndexTree, DroppingAKindMergesItIntoTheTargetLayersKind) {
  Tree().MyDragDrop(Node(a), Layer(1));
  doc.SetModifiedFlag(false);
  TCustomNodeItem* kind = Tree().KindNode(Layer(0), "方框", false);
  Tree().MyDragDrop(kind, Layer(1));
  EXPECT_EQ(doc.FFigures->GetFigureLayerIndex(a), 1);
  EXPECT_EQ(doc.FFigures->GetFigureLayerIndex(b), 1);
  EXPECT_EQ(Model().rowCount(Model().index(0, 0)), 0);
  EXPECT_EQ(Model().rowCount(Model().index(1, 0)), 1);
  EXPECT_EQ(Tree().CurrentNode(), Tree().KindNode(Layer(1), "方框", false));
  EXPECT_TRUE(doc.GetModifiedFlag());
  EXPECT_EQ(Describe(Model()), Fresh());
}

TEST_F(IndexTree, DroppingALayerMovesItInTheLayerList) {
  TCustomNodeItem* first = Layer(0);
  doc.SetModifiedFlag(false);
  Tree().MyDragDrop(first, Layer(1));
  EXPECT_EQ(LayerName(doc.FFigures->FLayers[0].Entry), "图层2");
  EXPECT_EQ(LayerName(doc.FFigures->FLayers[1].Entry), "图层1");
  EXPECT_EQ(Layer(1), first);
  EXPECT_EQ(doc.FFigures->GetFigureLayerIndex(a), 1);
  EXPECT_TRUE(doc.GetModifiedFlag());
  EXPECT_EQ(Describe(Model()), Fresh());
  EXPECT_EQ(resets, 0);
}

TEST_F(IndexTree, MoveUpAndDownExchangeLayersAndTheirNodes) {
  TCustomNodeItem* second = Layer(1);
  Tree().SetCurrentNode(second);
  doc.SetModifiedFlag(false);
  index.MoveUp();
  EXPECT_EQ(LayerName(doc.FFigures->FLayers[0].Entry), "图层2");
  EXPECT_EQ(Layer(0), second);
  EXPECT_TRUE(doc.GetModifiedFlag());
  EXPECT_EQ(Describe(Model()), Fresh());
  index.MoveUp();  // no previous layer
  EXPECT_EQ(Layer(0), second);
  index.MoveDown();
  EXPECT_EQ(LayerName(doc.FFigures->FLayers[1].Entry), "图层2");
  EXPECT_EQ(Describe(Model()), Fresh());
  EXPECT_EQ(resets, 0);
}

TEST_F(IndexTree, AddLayerAppendsALayerNode) {
  std::string name;
  doc.FFigures->AddLayer(name);
  doc.SetModifiedFlag(false);
  index.AddLayer(name);
  EXPECT_EQ(Model().rowCount(), 3);
  EXPECT_EQ(Model().data(Model().index(2, 0)).toString().toStdString(), name);
  EXPECT_TRUE(doc.GetModifiedFlag());
  EXPECT_EQ(Describe(Model()), Fresh());
}

TEST_F(IndexTree, DeletingALayerLeavesNoDanglingSelectionOrHistory) {
  // Layer 2 holds a and b, selected, with edit and add steps pointing at them.
  doc.FFigures->ExchangeFigureLayer(a, 0, 1);
  doc.FFigures->ExchangeFigureLayer(b, 0, 1);
  TTestBox* c = AddFigure({100, 100}, {120, 120});
  index.OnInitialUpdate();
  draw.Select(a, false);
  draw.Select(b, true);
  draw.BackUp(ovEdit);
  draw.BackUp(ovAdd);
  ASSERT_EQ(doc.GetUndoCount(), 2);
  doc.SetModifiedFlag(true);

  Tree().SetCurrentNode(Layer(1));
  {
    TScopedMessageAnswer answer(mrOk);
    index.DeleteLayer();
    ASSERT_EQ(answer.Asked().size(), 1u);
    EXPECT_EQ(answer.Asked()[0].Text, "该层所有图形将被删除，继续吗？");
  }
  EXPECT_EQ(doc.FFigures->LayerCount(), 1);
  EXPECT_EQ(draw.Selection().Count(), 0);
  EXPECT_EQ(doc.GetUndoCount(), 0);
  EXPECT_TRUE(doc.GetModifiedFlag());
  EXPECT_EQ(Model().rowCount(), 1);
  EXPECT_EQ(Describe(Model()), Fresh());
  // Nothing left points at the freed figures (ASan watches).
  draw.Undo();
  Grab(draw);
  EXPECT_EQ(doc.Figures(), std::vector<TCustomFigure*>{c});
}

TEST_F(IndexTree, TheCurrentLayerIsNotDeletedAndCancelKeepsALayer) {
  Tree().SetCurrentNode(Layer(0));
  {
    TScopedMessageAnswer answer(mrOk);
    index.DeleteLayer();
    ASSERT_EQ(answer.Asked().size(), 1u);
    EXPECT_EQ(answer.Asked()[0].Text, "当前层不能删除！");
  }
  Tree().SetCurrentNode(Layer(1));
  {
    TScopedMessageAnswer answer(mrCancel);
    index.DeleteLayer();
    EXPECT_EQ(answer.Asked().size(), 1u);
  }
  EXPECT_EQ(doc.FFigures->LayerCount(), 2);
  EXPECT_EQ(Model().rowCount(), 2);
}

TEST_F(IndexTree, PopUpMenuShowsWhatTheNodeAllowsWithTheLayerState) {
  QMenu& menu = *Tree().ActPopMenu();
  auto item = [&](const char* name) { return menu.findChild<QAction*>(name); };
  ASSERT_EQ(menu.actions().size(), 11);
  EXPECT_EQ(item("pI_CurLayer")->text(), "当前层");
  EXPECT_EQ(item("Pi_Properties")->text(), "属性...");

  Tree().SetCurrentNode(Layer(0));
  Tree().OnPopMenuPopup();
  EXPECT_FALSE(item("pI_Cut")->isVisible());
  EXPECT_FALSE(item("Pi_Properties")->isVisible());
  EXPECT_TRUE(item("pI_CurLayer")->isVisible() && item("pI_CurLayer")->isChecked());
  EXPECT_TRUE(item("pI_Show")->isChecked());
  EXPECT_TRUE(item("pI_Edit")->isChecked());

  // A figure node with a selection: clipboard commands and properties, no layer state.
  draw.Select(a, false);
  Tree().SetCurrentNode(Node(a));
  Tree().OnPopMenuPopup();
  EXPECT_TRUE(item("pI_Cut")->isVisible());
  EXPECT_TRUE(item("pI_Del")->isVisible());
  EXPECT_TRUE(item("Pi_Properties")->isVisible());
  EXPECT_FALSE(item("pI_CurLayer")->isVisible());

  // Hiding layer 2 through the menu; then locked shows "visible" only.
  doc.FFigures->ExchangeFigureLayer(b, 0, 1);
  draw.Select(b, true);
  doc.SetModifiedFlag(false);
  Tree().SetCurrentNode(Layer(1));
  Tree().OnPopMenuPopup();
  QAction lower;  // names compare without regard to case
  lower.setObjectName("pi_show");
  Tree().OnPopMenuClick(&lower);
  EXPECT_EQ(LayerFlag(doc.FFigures->FLayers[1].Entry), lfHidden);
  EXPECT_TRUE(doc.GetModifiedFlag());
  EXPECT_FALSE(draw.IsSelected(b));
  EXPECT_TRUE(draw.IsSelected(a));
  EXPECT_EQ(Model().data(Model().index(1, 0), Qt::ForegroundRole).value<QColor>(), QColor(0, 128, 0));
  Tree().OnPopMenuPopup();
  EXPECT_FALSE(item("pI_Show")->isChecked());
  Tree().OnPopMenuClick(item("pI_Show"));
  EXPECT_EQ(LayerFlag(doc.FFigures->FLayers[1].Entry), lfLocked);
  Tree().OnPopMenuPopup();
  EXPECT_TRUE(item("pI_Show")->isChecked());
  EXPECT_FALSE(item("pI_Edit")->isChecked());
  EXPECT_FALSE(item("pI_CurLayer")->isChecked());

  Tree().OnPopMenuClick(item("pI_CurLayer"));
  EXPECT_EQ(LayerFlag(doc.FFigures->FLayers[1].Entry), lfCurrent);
  EXPECT_EQ(LayerFlag(doc.FFigures->FLayers[0].Entry), lfVisible);
}

TEST_F(IndexTree, HidingALayerRepaintsTheNavigatorToo) {
  TTestBox* g = doc.AddBox({150, 100}, {250, 180}, RGB(0, 200, 0));
  doc.FFigures->ExchangeFigureLayer(g, 0, 1);
  TArialView arial;
  ShowView(arial, 150, 100);
  arial.SetDocument(&doc);
  const QRect all(0, 0, 150, 100);
  const QRgb green = qRgb(0, 200, 0);
  ASSERT_GT(CountColour(Grab(arial), all, green), 0);

  QMenu& menu = *Tree().ActPopMenu();
  Tree().SetCurrentNode(Layer(1));
  Tree().OnPopMenuPopup();
  Tree().OnPopMenuClick(menu.findChild<QAction*>("pI_Show"));
  ASSERT_EQ(LayerFlag(doc.FFigures->FLayers[1].Entry), lfHidden);
  EXPECT_EQ(CountColour(Grab(arial), all, green), 0);

  Tree().OnPopMenuPopup();
  Tree().OnPopMenuClick(menu.findChild<QAction*>("pI_Show"));
  EXPECT_GT(CountColour(Grab(arial), all, green), 0);
}
