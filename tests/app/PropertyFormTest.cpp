// The shared property-dialog form: built from data, filled from the model,
// handed back in field order on OK, and nothing on Cancel.

#include "AppTestSupport.h"

#include "app/PropertyForm.h"
#include "figures/LineFigures.h"
#include "foundation/GbkCodec.h"
#include "platform/System.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>
#include <string>
#include <vector>

namespace {

struct TSample {
  std::string A = "1.000", B = "2.000";
  bool C = true;
  int Choice = 1;
  std::vector<std::string> Log;
};

TFormDef SampleForm(TSample& S) {
  TFormDef d;
  d.Caption = "定义样本属性";
  d.Fields.push_back({TFieldKind::Ident, "标识：", "", {}, [] { return std::string("$0000002A"); }, nullptr, nullptr});
  d.Fields.push_back({TFieldKind::Number, "长度1：", "", {}, [&S] { return S.A; },
                      [&S](const std::string& v) { S.A = v, S.Log.push_back("A"); }, nullptr});
  d.Fields.push_back({TFieldKind::Number, "长度2：", "斜线属性：", {}, [&S] { return S.B; },
                      [&S](const std::string& v) { S.B = v, S.Log.push_back("B"); }, nullptr});
  d.Fields.push_back({TFieldKind::Check, "弧形", "斜线属性：", {}, [&S] { return std::string(S.C ? "1" : "0"); },
                      [&S](const std::string& v) { S.C = v == "1", S.Log.push_back("C"); },
                      [&S](TPropertyForm&) { S.Log.push_back("live"); }});
  d.Fields.push_back({TFieldKind::Radio, "旋转方向：", "", {"顺时针", "逆时针"},
                      [&S] { return std::to_string(S.Choice); },
                      [&S](const std::string& v) { S.Choice = std::stoi(v), S.Log.push_back("D"); }, nullptr});
  d.Accepted = [&S] { S.Log.push_back("ok"); };
  return d;
}

std::vector<std::string> ButtonTexts(const QDialog& D) {
  std::vector<std::string> r;
  for (QPushButton* b : D.findChild<QDialogButtonBox*>()->findChildren<QPushButton*>())
    r.push_back(b->text().toStdString());
  return r;
}

}  // namespace

TEST(PropertyForm, BuildsCaptionLabelsGroupsAndButtonsFromData) {
  TSample s;
  TPropertyForm form(SampleForm(s));
  EXPECT_EQ(form.Dialog().windowTitle().toStdString(), "定义样本属性");
  EXPECT_EQ(form.Labels(), (std::vector<std::string>{"标识：", "长度1：", "长度2：", "弧形", "旋转方向："}));
  EXPECT_EQ(form.Groups(), std::vector<std::string>{"斜线属性："});
  const auto buttons = ButtonTexts(form.Dialog());
  EXPECT_NE(std::find(buttons.begin(), buttons.end(), "确定"), buttons.end());
  EXPECT_NE(std::find(buttons.begin(), buttons.end(), "取消"), buttons.end());
}

TEST(PropertyForm, FillsFromTheModelWithoutRunningLiveHandlers) {
  TSample s;
  TPropertyForm form(SampleForm(s));
  EXPECT_EQ(form.Text("标识："), "$0000002A");
  EXPECT_EQ(form.Text("长度1："), "1.000");
  EXPECT_EQ(form.Text("弧形"), "1");
  EXPECT_EQ(form.Text("旋转方向："), "1");
  EXPECT_TRUE(s.Log.empty());
}

TEST(PropertyForm, OkHandsEveryFieldBackInOrderThenAccepts) {
  TSample s;
  TPropertyForm form(SampleForm(s));
  form.SetText("长度1：", "7");
  form.SetText("弧形", "0");
  form.SetText("旋转方向：", "0");
  form.Accept();
  EXPECT_EQ(s.Log, (std::vector<std::string>{"live", "A", "B", "C", "D", "ok"}));
  EXPECT_EQ(s.A, "7");
  EXPECT_FALSE(s.C);
  EXPECT_EQ(s.Choice, 0);
  EXPECT_EQ(form.Dialog().result(), QDialog::Accepted);
}

TEST(PropertyForm, CancelHandsNothingBack) {
  TSample s;
  TPropertyForm form(SampleForm(s));
  form.SetText("长度1：", "7");
  form.Reject();
  EXPECT_EQ(s.A, "1.000");
  EXPECT_EQ(form.Dialog().result(), QDialog::Rejected);
}

TEST(PropertyForm, TheOkButtonIsTheAcceptPath) {
  TSample s;
  TPropertyForm form(SampleForm(s));
  form.SetText("长度2：", "3");
  for (QPushButton* b : form.Dialog().findChildren<QPushButton*>())
    if (b->text() == "确定") b->click();
  EXPECT_EQ(s.B, "3");
}

TEST(PropertyForm, ShownAndDisabledFields) {
  TSample s;
  TPropertyForm form(SampleForm(s));
  const int i = form.IndexOf("长度2：");
  form.Show(form.IndexOf("弧形"), "0");
  EXPECT_TRUE(s.Log.empty());
  form.SetEnabled(i, false);
  EXPECT_FALSE(form.IsEnabled(i));
  EXPECT_EQ(form.IndexOf("没有"), -1);
}

TEST(PropertyForm, TextWithoutGbkFormIsRefusedAndTheDialogStaysOpen) {
  TSample s;
  std::string label = "QTZ80";
  TFormDef d = SampleForm(s);
  d.Fields.push_back({TFieldKind::Text, "标注：", "", {}, [&label] { return label; },
                      [&label](const std::string& v) { label = v; }, nullptr});
  TPropertyForm form(std::move(d));
  form.Dialog().show();
  form.SetText("长度1：", "7");
  form.SetText("标注：", "塔吊\U0001F600");
  {
    TScopedMessageAnswer msg(mrOk);
    form.Accept();
    ASSERT_EQ(msg.Asked().size(), 1u);
    EXPECT_EQ(msg.Asked()[0].Type, mtError);
    EXPECT_EQ(msg.Asked()[0].Text, "“\U0001F600”没有GBK编码，不能保存在图形文件中。\nU+1F600");
  }
  // Nothing was handed back and the dialog is still open.
  EXPECT_TRUE(s.Log.empty());
  EXPECT_EQ(s.A, "1.000");
  EXPECT_EQ(label, "QTZ80");
  EXPECT_TRUE(form.Dialog().isVisible());
  EXPECT_NE(form.Dialog().result(), QDialog::Accepted);

  form.SetText("标注：", "塔吊1");
  form.Accept();
  EXPECT_EQ(label, "塔吊1");
  EXPECT_EQ(form.Dialog().result(), QDialog::Accepted);
}

TEST(PropertyForm, BoundFieldsKeepTheModelValueWhenAnEntryDoesNotConvert) {
  int choice = 1;
  unsigned colour = 0x123456u;
  std::string text = "1.5";
  TFormField index = IndexField(TFieldKind::Combo, "线型：", choice, {"a", "b", "c"});
  TFormField swatch = ColourField("颜色：", colour);
  for (const char* v : {"", "-1", "3", "x", "1e3"}) index.Set(v);
  for (const char* v : {"", "-1", "red", "12x", "99999999999"}) swatch.Set(v);
  EXPECT_EQ(choice, 1);
  EXPECT_EQ(colour, 0x123456u);
  index.Set("2");
  swatch.Set("255");
  EXPECT_EQ(choice, 2);
  EXPECT_EQ(colour, 255u);
  EXPECT_EQ(index.Get(), "2");
  // A slider has no items: any position is taken.
  int pos = 0;
  IndexField(TFieldKind::Slider, "位置：", pos, {}).Set("70");
  EXPECT_EQ(pos, 70);
  TextField(TFieldKind::Number, "长度：", text).Set("2.5");
  EXPECT_EQ(text, "2.5");
}

TEST(PropertyForm, TextReadFromAFileGoesBackUnchanged) {
  // A user-defined character and a lone lead byte as a drawing holds them.
  std::string label = GbkToUtf8(std::string("\xAA\xA1\x81", 3));
  const std::string before = label;
  TFormDef d;
  d.Fields.push_back({TFieldKind::Text, "标注：", "", {}, [&label] { return label; },
                      [&label](const std::string& v) { label = v; }, nullptr});
  TPropertyForm form(std::move(d));
  TScopedMessageAnswer msg(mrOk);
  form.Accept();
  EXPECT_TRUE(msg.Asked().empty());
  EXPECT_EQ(label, before);
  EXPECT_EQ(Utf8ToGbk(label), std::string("\xAA\xA1\x81", 3));
}

TEST_F(DialogTest, FigureEditRecordsOneEditStepThatRestoresTheFigure) {
  auto* line = AddFigure<TTxLine>();
  line->FQd = {1, 2};
  line->FZd = {3, 4};
  const int before = UndoCount();
  ApplyFigureEdit(*view, *line, [line] { line->FZd = {30, 40}; });
  EXPECT_EQ(UndoCount(), before + 1);
  EXPECT_EQ(doc.FFigures->UndoItem(UndoCount() - 1)->FOperationVerb, ovEdit);
  EXPECT_TRUE(doc.GetModifiedFlag());
  view->Undo();
  auto* back = dynamic_cast<TTxLine*>(doc.FFigures->LayerList(0)->Figures(0));
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(back->FZd.x, 3);
  EXPECT_EQ(back->FZd.y, 4);
}

TEST_F(DialogTest, LayerNamesAreTheRootsLayers) {
  auto* line = AddFigure<TTxLine>();
  const auto names = LayerNames(*line);
  ASSERT_EQ(names.size(), 2u);
  EXPECT_EQ(names[1], "图层2");
}
