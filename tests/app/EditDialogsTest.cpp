// The move/copy and array dialogs: their captions and fields, the
// parameters OK produces, and the view's commands run with them.

#include "AppTestSupport.h"

#include "app/EditDialogs.h"
#include "figures/LineFigures.h"

#include <QDialog>

class EditDialogTest : public DialogTest {
protected:
  TTxLine* AddSelectedLine() {
    auto* line = AddFigure<TTxLine>();
    line->FQd = {10, 10};
    line->FZd = {20, 10};
    line->Modified();
    view->Select(line, false);
    return line;
  }
  int FigureCount() const { return doc.FFigures->LayerList(0)->Count(); }
};

TEST_F(EditDialogTest, MoveCopyDialogHasItsCaptionModeAndTwoZeroFields) {
  TMoveCopyDialog copy(true);
  EXPECT_EQ(copy.Form().Dialog().windowTitle().toStdString(), "平移拷贝");
  EXPECT_EQ(copy.Form().Labels(), (std::vector<std::string>{"平移方式：", "X：", "Y："}));
  EXPECT_EQ(copy.Form().Text("X："), "0");
  EXPECT_EQ(copy.Form().Text("Y："), "0");
  EXPECT_EQ(copy.Form().Text("平移方式："), "0");
  TMoveCopyDialog move(false);
  EXPECT_EQ(move.Form().Dialog().windowTitle().toStdString(), "平移");
}

TEST_F(EditDialogTest, OkGivesTheTypedParameters) {
  TMoveCopyDialog dlg(false);
  dlg.Form().SetText("平移方式：", "1");
  dlg.Form().SetText("X：", "5");
  dlg.Form().SetText("Y：", "30");
  dlg.Form().Accept();
  EXPECT_EQ(dlg.Params().Mode, 1);
  EXPECT_EQ(dlg.Params().Value1, "5");
  EXPECT_EQ(dlg.Params().Value2, "30");
}

TEST_F(EditDialogTest, MoveThroughTheDialogMovesLikeTheViewsCommand) {
  auto* line = AddSelectedLine();
  TMoveCopyDialog dlg(false);
  dlg.Form().SetText("X：", "12");
  dlg.Form().SetText("Y：", "-4");
  dlg.Form().Accept();
  ASSERT_TRUE(dlg.Apply(*view));
  EXPECT_NE(line->FQd.x, 10);
  EXPECT_TRUE(doc.GetModifiedFlag());
  // The same parameters the other way bring it back.
  ASSERT_TRUE(view->MoveObject({0, "-12", "4"}));
  EXPECT_DOUBLE_EQ(line->FQd.x, 10);
  EXPECT_DOUBLE_EQ(line->FQd.y, 10);
}

TEST_F(EditDialogTest, CopyThroughTheDialogAddsAMovedCopy) {
  AddSelectedLine();
  TMoveCopyDialog dlg(true);
  dlg.Form().SetText("X：", "50");
  dlg.Form().Accept();
  ASSERT_TRUE(dlg.Apply(*view));
  EXPECT_EQ(FigureCount(), 2);
}

TEST_F(EditDialogTest, ANonNumberCancelsTheMove) {
  auto* line = AddSelectedLine();
  TMoveCopyDialog dlg(false);
  dlg.Form().SetText("X：", "abc");
  dlg.Form().Accept();
  EXPECT_FALSE(dlg.Apply(*view));
  EXPECT_DOUBLE_EQ(line->FQd.x, 10);
}

TEST_F(EditDialogTest, ArrayDialogHasItsCaptionAndFields) {
  TArrayDialog dlg;
  TPropertyForm& f = dlg.Form();
  EXPECT_EQ(f.Dialog().windowTitle().toStdString(), "阵列");
  EXPECT_EQ(f.Labels(), (std::vector<std::string>{"阵列方式 :", "行数:", "列数:", "行距:", "列距:", "个数:", "圆点X:",
                                                   "圆点Y:", "角度:", "绕圆点旋转"}));
  EXPECT_EQ(f.Text("行数:"), "1");
  EXPECT_EQ(f.Text("列距:"), "0");
  EXPECT_FALSE(f.IsEnabled(f.IndexOf("个数:")));
  f.SetText("阵列方式 :", "1");
  EXPECT_TRUE(f.IsEnabled(f.IndexOf("个数:")));
  EXPECT_FALSE(f.IsEnabled(f.IndexOf("行数:")));
}

TEST_F(EditDialogTest, RectangularArrayThroughTheDialogAddsTheCopies) {
  AddSelectedLine();
  TArrayDialog dlg;
  dlg.Form().SetText("行数:", "2");
  dlg.Form().SetText("列数:", "3");
  dlg.Form().SetText("行距:", "20");
  dlg.Form().SetText("列距:", "30");
  dlg.Form().Accept();
  EXPECT_EQ(dlg.Params().Rows, "2");
  EXPECT_EQ(dlg.Params().ColDistance, "30");
  ASSERT_TRUE(dlg.Apply(*view));
  EXPECT_EQ(FigureCount(), 6);
}

TEST_F(EditDialogTest, CircularArrayThroughTheDialogAddsTheCopies) {
  AddSelectedLine();
  TArrayDialog dlg;
  dlg.Form().SetText("阵列方式 :", "1");
  dlg.Form().SetText("个数:", "4");
  dlg.Form().SetText("角度:", "360");
  dlg.Form().SetText("绕圆点旋转", "0");
  dlg.Form().Accept();
  EXPECT_EQ(dlg.Params().Mode, 1);
  EXPECT_EQ(dlg.Params().Count, "4");
  EXPECT_EQ(dlg.Params().Angle, "360");
  ASSERT_TRUE(dlg.Apply(*view));
  EXPECT_EQ(FigureCount(), 4);
}
