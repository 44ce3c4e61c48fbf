// Editing edit boxes and memos in place: the editor stands over the figure
// in the view and follows scrolling, and leaving the selection commits the
// text as one undo step with the modified flag.

#include "DocViewTestSupport.h"

#include "docview/DrawView.h"
#include "docview/Environment.h"
#include "figures/Texts.h"

#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <gtest/gtest.h>

namespace {

class InPlaceEdit : public ::testing::Test {
protected:
  void SetUp() override {
    old = SysEnvironment;
    SysEnvironment = &env;
    auto m = std::make_unique<TTxMemo>();
    m->FYd = {40, 40};
    m->FLines = {"施工说明", "道路宽 6 米"};
    memo = m.get();
    doc.Add(std::move(m), TPoint{0, 0}, nullptr);
    auto e = std::make_unique<TTxEdit>();
    e->FYd = {200, 150};
    edit = e.get();
    doc.Add(std::move(e), TPoint{0, 0}, nullptr);
    view.SetDocument(&doc);
    ShowView(view, 300, 200);
    doc.SetModifiedFlag(false);
  }
  void TearDown() override { SysEnvironment = old; }

  template <class W>
  W* Editor() {
    for (W* w : view.viewport()->findChildren<W*>())
      if (w->isVisible()) return w;
    return nullptr;
  }

  TEnvironment env;
  TEnvironment* old = nullptr;
  TTestDrawingDoc doc{600, 400};
  TDrawView view;
  TTxMemo* memo = nullptr;
  TTxEdit* edit = nullptr;
};

}  // namespace

TEST_F(InPlaceEdit, MemoEditorCommitsOnDeselectAndUndoesInOneStep) {
  view.Select(memo, false);
  memo->OnEditProperties(&view);
  auto* ed = Editor<QPlainTextEdit>();
  ASSERT_NE(ed, nullptr);
  EXPECT_EQ(ed->toPlainText().toStdString(), "施工说明\n道路宽 6 米");
  // Over the figure's rectangle in client pixels.
  TRect r;
  memo->CalcPositionRect(r);
  TPoint corner{r.Left, r.Bottom};
  view.PointDocToClient(corner);
  EXPECT_EQ(ed->geometry().topLeft(), QPoint(corner.x, corner.y));
  ed->setPlainText(QString::fromUtf8("拟建建筑\n1#塔吊\n丂"));
  const int undo = doc.FFigures->UndoCount();
  view.Select(nullptr, false);  // leaving the selection ends the edit
  EXPECT_EQ(Editor<QPlainTextEdit>(), nullptr);
  EXPECT_EQ(memo->FLines, (std::vector<std::string>{"拟建建筑", "1#塔吊", "丂"}));
  EXPECT_TRUE(doc.GetModifiedFlag());
  EXPECT_EQ(doc.FFigures->UndoCount(), undo + 1);
  view.Undo();
  const std::vector<TCustomFigure*> figs = doc.Figures();
  bool restored = false;
  for (TCustomFigure* f : figs)
    if (auto* m = dynamic_cast<TTxMemo*>(f)) restored = m->FLines == std::vector<std::string>{"施工说明", "道路宽 6 米"};
  EXPECT_TRUE(restored);
}

TEST_F(InPlaceEdit, AnUnchangedEditRecordsNothing) {
  view.Select(edit, false);
  edit->OnEditProperties(&view);
  auto* ed = Editor<QLineEdit>();
  ASSERT_NE(ed, nullptr);
  EXPECT_EQ(ed->text().toStdString(), "编辑框");
  EXPECT_EQ(ed->selectedText(), ed->text());
  const int undo = doc.FFigures->UndoCount();
  view.Select(memo, false);
  EXPECT_EQ(doc.FFigures->UndoCount(), undo);
  EXPECT_FALSE(doc.GetModifiedFlag());
  EXPECT_FALSE(edit->Editing());
}

TEST_F(InPlaceEdit, EditorFollowsScrollingAndZoomingAndCommitsOnDeselect) {
  view.Select(edit, false);
  edit->OnEditProperties(&view);
  auto* ed = Editor<QLineEdit>();
  ASSERT_NE(ed, nullptr);
  const QRect before = ed->geometry();
  view.horizontalScrollBar()->setValue(view.horizontalScrollBar()->value() + 40);
  QApplication::processEvents();
  view.viewport()->repaint();
  EXPECT_EQ(ed->geometry().left(), before.left() - 40);
  // Zooming in: the figure's next paint moves and sizes the editor.
  const double width = before.width();
  view.ZoomWindow({0, 0, 150, 100});
  view.viewport()->repaint();
  doc.SetModifiedFlag(false);
  EXPECT_GT(ed->geometry().width(), width * 1.2);
  TRect r;
  edit->CalcPositionRect(r);
  TPoint corner{r.Left, r.Bottom};
  view.PointDocToClient(corner);
  EXPECT_EQ(ed->geometry().topLeft(), QPoint(corner.x, corner.y));
  ed->setText("施工道路");
  view.Deselect(edit);
  EXPECT_EQ(edit->FText, "施工道路");
  EXPECT_TRUE(doc.GetModifiedFlag());
}
