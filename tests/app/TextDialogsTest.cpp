// The text figures' dialogs and the font dialog: what they show, OK applying
// the values with one undo step, the font dialog refusing a height of 0, and
// the font and text-colour commands reaching every text class.

#include "AppTestSupport.h"

#include "app/Commands.h"
#include "app/FontDialog.h"
#include "app/TextDialogs.h"

#include <QDialog>

#include <algorithm>

namespace {

bool Has(const std::vector<std::string>& Labels, const std::string& L) {
  return std::find(Labels.begin(), Labels.end(), L) != Labels.end();
}

}  // namespace

class TextDialogsTest : public DialogTest {};

TEST_F(TextDialogsTest, FontDialogShowsTheFontAndRefusesAHeightOfNothing) {
  TMyFont font;
  font.FName = "宋体";
  font.FColor = RGB(255, 0, 0);
  font.FHeight = 12.5;
  font.FStyle = fsBold | fsStrikeOut;
  TMyFontDialog dlg;
  dlg.SetFont(font);
  TPropertyForm& f = dlg.Form();
  EXPECT_EQ(f.Caption(), "字体");
  for (const char* l : {"字体：", "颜色：", "粗体", "斜体", "下划线", "删除线", "字高："}) EXPECT_TRUE(Has(f.Labels(), l)) << l;
  EXPECT_EQ(f.Text("字高："), "12.500");
  EXPECT_EQ(f.Text("粗体"), "1");
  EXPECT_EQ(f.Text("斜体"), "0");
  EXPECT_EQ(f.Text("删除线"), "1");
  // A face this machine may lack is still offered, as chosen.
  EXPECT_NE(f.Text("字体："), "-1");
  f.SetText("斜体", "1");
  f.SetText("粗体", "0");
  f.SetText("字高：", "0");
  f.Accept();
  TMyFont out;
  out.Assign(font);
  dlg.GetFontValue(out);
  EXPECT_EQ(out.FName, "宋体");
  EXPECT_EQ(out.FStyle, fsItalic | fsStrikeOut);
  EXPECT_EQ(out.FHeight, 12.5);  // 0 refused
  TMyFontDialog other;
  other.SetFont(font);
  other.Form().SetText("字高：", "abc");
  other.Form().Accept();
  other.GetFontValue(out);
  EXPECT_EQ(out.FHeight, 12.5);  // not a number: kept
  other.Form().SetText("字高：", "20");
  other.Form().Accept();
  other.GetFontValue(out);
  EXPECT_EQ(out.FHeight, 20);
}

TEST_F(TextDialogsTest, SlantedLabelDialogAppliesItsValuesAsOneUndoStep) {
  doc.FScale = 0.5;
  auto* l = AddFigure<TTxXLabel>();
  l->FYd = {40, 60};
  l->FXzJd = 30;
  TP_Label dlg(*view, *l);
  TPropertyForm& f = dlg.Form();
  EXPECT_EQ(f.Dialog().windowTitle().toStdString(), "定义斜文本属性");
  for (const char* lab : {"标识：", "颜色：", "线型：", "线宽：", "图层：", "原点：", "长：", "宽：", "旋转角度：", "文本：",
                          "字体", "自动计算尺寸", "显示边框", "透明"})
    EXPECT_TRUE(Has(f.Labels(), lab)) << lab;
  EXPECT_EQ(f.Text("原点："), "20.000");
  EXPECT_EQ(f.Text("长："), "50.000");
  EXPECT_EQ(f.Text("旋转角度："), "30");
  EXPECT_EQ(f.Text("文本："), "标签");
  const int before = UndoCount();
  f.SetText("文本：", "1#塔吊");
  f.SetText("长：", "30");
  f.SetText("旋转角度：", "45");
  f.SetText("显示边框", "1");
  f.SetText("透明", "0");
  f.Accept();
  EXPECT_EQ(l->FText, "1#塔吊");
  EXPECT_EQ(l->FWidth, 60);
  EXPECT_EQ(l->FXzJd, 45);
  EXPECT_EQ(l->FPen.Style, psSolid);
  EXPECT_EQ(l->FBrush.Style, bsSolid);
  ASSERT_EQ(UndoCount(), before + 1);
  view->Undo();
  EXPECT_EQ(l->FText, "标签");
  EXPECT_EQ(l->FWidth, 100);
}

TEST_F(TextDialogsTest, MemoDialogEditsTheLinesAndABadNumberEndsTheUpdate) {
  auto* m = AddFigure<TTxMemo>();
  TP_Label dlg(*view, *m);
  TPropertyForm& f = dlg.Form();
  EXPECT_EQ(f.Dialog().windowTitle().toStdString(), "定义文本框属性");
  EXPECT_FALSE(Has(f.Labels(), "自动计算尺寸"));
  EXPECT_FALSE(Has(f.Labels(), "旋转角度："));
  EXPECT_EQ(f.Text("文本："), "文本框");
  f.SetText("文本：", "施工说明：\n道路宽 6m");
  f.SetText("线宽：", "x");
  f.SetText("长：", "70");
  f.Accept();
  EXPECT_EQ(m->FLines, (std::vector<std::string>{"施工说明：", "道路宽 6m"}));
  EXPECT_EQ(m->FWidth, 100);  // after the width that did not convert
  TP_Label edit(*view, *AddFigure<TTxEdit>());
  EXPECT_EQ(edit.Form().Dialog().windowTitle().toStdString(), "定义编辑框属性");
  EXPECT_TRUE(Has(edit.Form().Labels(), "自动计算尺寸"));
}

TEST_F(TextDialogsTest, LeaderDialogSetsTextAndSide) {
  auto* d = AddFigure<TDimension>();
  d->FPoints = {{0, 0}, {10, 10}};
  TP_Dimension dlg(*view, *d);
  TPropertyForm& f = dlg.Form();
  EXPECT_EQ(f.Dialog().windowTitle().toStdString(), "定义引出线属性");
  EXPECT_EQ(f.Text("文本："), "100");
  EXPECT_EQ(f.Text("文字显示位置："), "1");
  f.SetText("文本：", "现场办公室");
  f.SetText("文字显示位置：", "0");
  f.Accept();
  EXPECT_EQ(d->FText, "现场办公室");
  EXPECT_EQ(d->FTextAlign, 0);
}

TEST_F(TextDialogsTest, TextLineDialogIsTheLinesWithTextGapAndFont) {
  auto* t = AddFigure<TTxTextLine>();
  t->AddPoint({0, 0});
  t->AddPoint({100, 0});
  t->FGap = 10;
  // The dialog runs modally: answer it through the form hook.
  const TCommandFormHook old = SetCommandFormHook([](TPropertyForm& f) {
    EXPECT_EQ(f.Caption(), "定义字线属性");
    EXPECT_TRUE(Has(f.Labels(), "下一边线"));
    EXPECT_EQ(f.Text("间距："), "10.000");
    f.SetText("文字：", "给水");
    f.SetText("间距：", "-5");  // refused
    f.SetText("间距：", "25");
    f.Accept();
  });
  EXPECT_TRUE(EditTextLineProperties(*view, *t));
  SetCommandFormHook(old);
  EXPECT_EQ(t->FText, "给水");
  EXPECT_EQ(t->FGap, 25);
}

TEST_F(TextDialogsTest, FontAndTextColourCommandsReachEveryTextClass) {
  std::vector<TCustomFigure*> figures = {AddFigure<TTxXLabel>(), AddFigure<TTxEdit>(), AddFigure<TTxMemo>(),
                                         AddFigure<TDimension>(), AddFigure<TTxTextLine>()};
  for (TCustomFigure* f : figures) {
    view->Select(f, true);
    ASSERT_NE(TextFontOf(*f), nullptr) << f->ClassType().Name;
  }
  FontColorCommand(*view, RGB(0, 128, 0));
  for (TCustomFigure* f : figures) EXPECT_EQ(TextFontOf(*f)->FColor, RGB(0, 128, 0)) << f->ClassType().Name;
  const TFontDialogHook old = SetFontDialogHook([](QFont& q) {
    q.setPixelSize(30);
    q.setBold(true);
    return true;
  });
  FontCommand(*view);
  SetFontDialogHook(old);
  for (TCustomFigure* f : figures) {
    EXPECT_EQ(TextFontOf(*f)->FHeight, 30) << f->ClassType().Name;
    EXPECT_EQ(TextFontOf(*f)->FStyle & fsBold, fsBold) << f->ClassType().Name;
  }
}
