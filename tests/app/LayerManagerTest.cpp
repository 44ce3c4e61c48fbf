// The layer manager: new-layer naming, the rename rules (unique without case,
// no "=", not empty), the flags behind the check boxes, deleting and
// reordering on the private copy, and what the drawing takes on OK and on
// Cancel — deleted figures never reached again by undo, selection or copies.

#include "AppTestSupport.h"
#include "ScriptedAnswers.h"
#include "app/LayerManager.h"
#include "figures/WdbxShapes.h"

#include <QCheckBox>
#include <QLineEdit>

namespace {

std::vector<TLayerManagerEntry> Entries(std::initializer_list<const char*> List) {
  std::vector<TLayerManagerEntry> out;
  int i = 0;
  for (const char* e : List) out.push_back({e, i++, 0});
  return out;
}

std::vector<std::string> EntryTexts(const TLayerManager& D) {
  std::vector<std::string> out;
  for (const TLayerManagerEntry& e : D.Layers()) out.push_back(e.Entry);
  return out;
}

std::vector<std::string> Row(const TLayerManager& D, int R) {
  return {D.RowText(R, 0), D.RowText(R, 1), D.RowText(R, 2)};
}

// Answers the layer manager with Act, then OK (or Cancel).
class TManagerAnswer {
public:
  TManagerAnswer(std::function<void(TLayerManager&)> Act, bool Ok) {
    FPrevious = SetLayerManagerHook([Act, Ok](TLayerManager& D) {
      Act(D);
      return Ok;
    });
  }
  ~TManagerAnswer() { SetLayerManagerHook(std::move(FPrevious)); }

private:
  TLayerManagerHook FPrevious;
};

}  // namespace

TEST(LayerManagerNaming, TheSmallestFreeNumberAfterTheLayerPrefix) {
  EXPECT_EQ(NewLayerManagerName(Entries({"图层1=2", "图层3=1"})), "图层2");
  EXPECT_EQ(NewLayerManagerName(Entries({"图层1=2", "图层2=1", "图层3=0"})), "图层4");
  // Other names, a number 0, a tail that is no number and deleted entries take no part.
  EXPECT_EQ(NewLayerManagerName(Entries({"道路=2", "图层0=1", "图层1a=1", "--图层1=-1"})), "图层1");
  EXPECT_EQ(NewLayerManagerName({}), "图层1");
}

TEST(LayerManagerNaming, NamesMustBeUniqueWithoutCaseNotEmptyAndFreeOfTheSeparator) {
  const auto e = Entries({"图层1=2", "Road=1"});
  EXPECT_EQ(LayerNameProblem(e, 0, "road"), "图层名不唯一，请重新命名！");
  EXPECT_EQ(LayerNameProblem(e, 1, "ROAD"), "") << "its own name in other letters";
  EXPECT_EQ(LayerNameProblem(e, 0, ""), "图层名不能为空！");
  EXPECT_NE(LayerNameProblem(e, 0, "a=b"), "");
  EXPECT_EQ(LayerNameProblem(e, 0, "图层9"), "");
}

class LayerManagerTest : public DialogTest {
protected:
  TScriptedMessageAnswers fallback{{}};
};

TEST_F(LayerManagerTest, RowsShowTheFlagsAndTheCurrentLayerLabel) {
  TLayerManager d(Entries({"图层1=2", "隐藏层=0", "锁定层=3", "图层4=1", "--旧=-1"}), false);
  ASSERT_EQ(d.RowCount(), 4);
  EXPECT_EQ(Row(d, 0), (std::vector<std::string>{"图层1", "可见", "允许"}));
  EXPECT_EQ(Row(d, 1), (std::vector<std::string>{"隐藏层", "隐藏", "不允许"}));
  EXPECT_EQ(Row(d, 2), (std::vector<std::string>{"锁定层", "可见", "不允许"}));
  EXPECT_EQ(Row(d, 3), (std::vector<std::string>{"图层4", "可见", "允许"}));
  EXPECT_EQ(d.CurrentLayerLabel(), "当前层：图层1");
}

TEST_F(LayerManagerTest, TheDetailsFollowTheSelectedRowsFlag) {
  TLayerManager d(Entries({"图层1=2", "隐藏层=0", "锁定层=3", "图层4=1"}), false);
  auto state = [&d] {
    return std::vector<bool>{d.ShowBox().isChecked(), d.ShowBox().isEnabled(), d.EditBox().isChecked(),
                             d.EditBox().isEnabled()};
  };
  d.SelectRows({1});
  EXPECT_EQ(state(), (std::vector<bool>{false, true, false, false}));
  EXPECT_EQ(d.NameEdit().text().toStdString(), "隐藏层");
  d.SelectRows({0});
  EXPECT_EQ(state(), (std::vector<bool>{true, false, true, false}));
  d.SelectRows({2});
  EXPECT_EQ(state(), (std::vector<bool>{true, true, false, true}));
  d.SelectRows({3});
  EXPECT_EQ(state(), (std::vector<bool>{true, true, true, true}));
  d.SelectRows({1, 3});
  EXPECT_FALSE(d.NameEdit().isEnabled());
  EXPECT_TRUE(d.NameEdit().text().isEmpty());
  // The check boxes: hiding locks; showing again keeps it locked; edit unlocks.
  d.SelectRows({3});
  d.ShowBox().setChecked(false);
  EXPECT_EQ(d.Layers()[3].Entry, "图层4=0");
  EXPECT_EQ(Row(d, 3), (std::vector<std::string>{"图层4", "隐藏", "不允许"}));
  EXPECT_FALSE(d.EditBox().isEnabled());
  d.ShowBox().setChecked(true);
  EXPECT_EQ(d.Layers()[3].Entry, "图层4=3");
  EXPECT_TRUE(d.EditBox().isEnabled());
  d.EditBox().setChecked(true);
  EXPECT_EQ(d.Layers()[3].Entry, "图层4=1");
  d.EditBox().setChecked(false);
  EXPECT_EQ(d.Layers()[3].Entry, "图层4=3");
}

TEST_F(LayerManagerTest, AHiddenLayerMadeCurrentIsShownVisibleAndEditable) {
  TLayerManager d(Entries({"图层1=2", "隐藏层=0"}), false);
  d.SelectRows({1});
  d.CurrentClick();
  EXPECT_EQ(EntryTexts(d), (std::vector<std::string>{"图层1=1", "隐藏层=2"}));
  EXPECT_EQ(Row(d, 1), (std::vector<std::string>{"隐藏层", "可见", "允许"}));
  EXPECT_EQ(d.CurrentLayerLabel(), "当前层：隐藏层");
  EXPECT_TRUE(d.ShowBox().isChecked() && d.EditBox().isChecked());
  EXPECT_FALSE(d.ShowBox().isEnabled() || d.EditBox().isEnabled());
}

TEST_F(LayerManagerTest, NewDeleteAndReorderWorkOnTheCopy) {
  TLayerManager d(Entries({"图层1=2", "图层3=1", "道路=1"}), false);
  d.NewClick();
  ASSERT_EQ(d.RowCount(), 4);
  EXPECT_EQ(Row(d, 3), (std::vector<std::string>{"图层2", "可见", "允许"}));
  EXPECT_EQ(d.Layers()[3].Origin, -1);
  d.NewClick();
  EXPECT_EQ(d.RowText(4, 0), "图层4");
  // The current layer stays.
  {
    TScriptedMessageAnswers answers({mrOk});
    d.SelectRows({0});
    d.DeleteClick();
    ASSERT_EQ(answers.Asked().size(), 1u);
    EXPECT_EQ(answers.Asked()[0].Text, "当前层不能删除！");
    EXPECT_EQ(d.RowCount(), 5);
  }
  {
    TScriptedMessageAnswers answers({mrCancel});
    d.SelectRows({1});
    d.DeleteClick();
    EXPECT_EQ(answers.Asked().at(0).Text, "该层所有图形将被删除，继续吗？");
    EXPECT_EQ(d.RowCount(), 5);
  }
  {
    TScriptedMessageAnswers answers({mrOk});
    d.SelectRows({1});
    d.DeleteClick();
    EXPECT_EQ(d.RowCount(), 4);
    EXPECT_EQ(d.Layers()[1].Entry, "--图层3=-1");
  }
  // 道路 is row 1 now; down past the deleted entry, then not past the bottom.
  d.SelectRows({1});
  d.MoveClick(+1);
  EXPECT_EQ(d.RowText(1, 0), "图层2");
  EXPECT_EQ(d.RowText(2, 0), "道路");
  EXPECT_EQ(d.NameEdit().text().toStdString(), "道路") << "the moved row stays selected";
  d.SelectRows({3});
  d.MoveClick(+1);
  EXPECT_EQ(d.RowText(3, 0), "图层4");
  d.SelectRows({0});
  d.MoveClick(-1);
  EXPECT_EQ(d.RowText(0, 0), "图层1");
}

TEST_F(LayerManagerTest, RenamingRefusesDuplicatesSeparatorsAndEmptyNames) {
  TLayerManager d(Entries({"图层1=2", "图层2=1"}), false);
  d.SelectRows({0});
  for (const char* bad : {"图层2", "a=1", ""}) {
    TScriptedMessageAnswers answers({mrOk});
    d.RenameTo(bad);
    ASSERT_EQ(answers.Asked().size(), 1u) << bad;
    EXPECT_EQ(d.Layers()[0].Entry, "图层1=2");
    EXPECT_EQ(d.NameEdit().text().toStdString(), "图层1");
  }
  {
    TScriptedMessageAnswers answers({mrOk});
    d.RenameTo("图层2");
    EXPECT_EQ(answers.Asked().at(0).Text, "图层名不唯一，请重新命名！");
  }
  d.RenameTo("场地");
  EXPECT_EQ(d.Layers()[0].Entry, "场地=2");
  EXPECT_EQ(d.RowText(0, 0), "场地");
  EXPECT_EQ(d.CurrentLayerLabel(), "当前层：场地");
  d.SelectRows({1});
  d.NameEdit().setText("Road");
  emit d.NameEdit().editingFinished();
  EXPECT_EQ(d.Layers()[1].Entry, "Road=1");
  d.RenameTo("ROAD");
  EXPECT_EQ(d.Layers()[1].Entry, "ROAD=1");
}

TEST_F(LayerManagerTest, DeletingThenCancellingTheDialogLeavesTheDrawingUntouched) {
  TTxFigureSet& root = *doc.FFigures;
  root.SetCurLayer(1);
  auto* f = AddFigure<TTxFRectangle>();
  view->Select(f, false);
  root.SetCurLayer(0);
  doc.SetModifiedFlag(false);
  // SetModifiedFlag(false) frees the history: record one again.
  view->BackUp(ovEdit);
  const std::vector<std::string> before = {root.FLayers[0].Entry, root.FLayers[1].Entry};
  TScriptedMessageAnswers answers({mrOk});
  TManagerAnswer cancel([](TLayerManager& D) {
    D.SelectRows({1});
    D.DeleteClick();
    D.NewClick();
    D.RenameTo("x");
  }, false);
  EXPECT_FALSE(LayerManagerCommand(*view));
  ASSERT_EQ(root.LayerCount(), 2);
  EXPECT_EQ((std::vector<std::string>{root.FLayers[0].Entry, root.FLayers[1].Entry}), before);
  ASSERT_EQ(root.LayerList(1)->Count(), 1);
  EXPECT_EQ(root.LayerList(1)->Figures(0), f);
  EXPECT_TRUE(view->IsSelected(f));
  EXPECT_EQ(UndoCount(), 1);
  EXPECT_FALSE(doc.GetModifiedFlag());
}

TEST_F(LayerManagerTest, DeletingALayerOnOkNeverLeavesAPointerToItsFigures) {
  TTxFigureSet& root = *doc.FFigures;
  root.SetCurLayer(1);
  auto* f = AddFigure<TTxFRectangle>();
  auto* g = AddFigure<TTxFRectangle>();
  view->Select(f, false);
  view->Select(g, true);
  view->BackUp(ovEdit);  // the step points at both
  f->FScale = 3;
  root.SetCurLayer(0);
  auto* kept = AddFigure<TTxFRectangle>();
  view->Select(kept, true);
  ASSERT_GT(UndoCount(), 0);
  TScriptedMessageAnswers answers({mrOk});
  TManagerAnswer ok([](TLayerManager& D) {
    D.SelectRows({1});
    D.DeleteClick();
  }, true);
  EXPECT_TRUE(LayerManagerCommand(*view));
  // The confirmation said the history goes with the figures.
  ASSERT_EQ(answers.Asked().size(), 1u);
  EXPECT_NE(answers.Asked()[0].Text.find("撤消"), std::string::npos);
  ASSERT_EQ(root.LayerCount(), 1);
  EXPECT_EQ(view->Selection().Count(), 1);
  EXPECT_TRUE(view->IsSelected(kept));
  EXPECT_EQ(UndoCount(), 0);
  EXPECT_EQ(root.RedoCount(), 0);
  EXPECT_TRUE(doc.GetModifiedFlag());
  // Under the address sanitizer any of these would read freed figures.
  view->Undo();
  root.Redo(view.get());
  view->OnEditSelectAll();
  EXPECT_EQ(view->Selection().Count(), 1);
  view->OnEditCopy();
  EXPECT_EQ(root.LayerList(0)->Figures(0), kept);
}

TEST_F(LayerManagerTest, OkHandsTheEditedListToTheDrawingInItsOrder) {
  TTxFigureSet& root = *doc.FFigures;
  auto* f = AddFigure<TTxFRectangle>();
  TTxCollectFigure* first = root.LayerList(0);
  TManagerAnswer ok([](TLayerManager& D) {
    D.NewClick();     // 图层3
    D.SelectRows({0});
    D.MoveClick(+1);  // 图层2, 图层1, 图层3
    D.SelectRows({2});
    D.CurrentClick();
    D.SelectRows({0});
    D.RenameTo("道路");
  }, true);
  EXPECT_TRUE(LayerManagerCommand(*view));
  ASSERT_EQ(root.LayerCount(), 3);
  EXPECT_EQ(root.FLayers[0].Entry, "道路=1");
  EXPECT_EQ(root.FLayers[1].Entry, "图层1=1");
  EXPECT_EQ(root.FLayers[2].Entry, "图层3=2");
  EXPECT_EQ(root.LayerList(1), first);
  EXPECT_EQ(root.LayerList(1)->Figures(0), f);
  EXPECT_EQ(root.FFigures, root.LayerList(2));
  EXPECT_EQ(root.LayerList(2)->Count(), 0);
}
