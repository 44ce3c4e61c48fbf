// The three line figures' property dialogs over the shared form: captions
// and labels, OK through the model with one undo step, the first field that
// does not convert ending the update, Cancel, and the layer chooser.

#include "AppTestSupport.h"

#include "app/LineDialogs.h"
#include "platform/System.h"

#include <QDialog>
#include <QPixmap>

#include <algorithm>
#include <cstdlib>

namespace {

bool Has(const std::vector<std::string>& Labels, const std::string& L) {
  return std::find(Labels.begin(), Labels.end(), L) != Labels.end();
}

}  // namespace

class LineDialogTest : public DialogTest {
protected:
  TTxLine* AddTxLine() {
    auto* line = AddFigure<TTxLine>();
    line->FQd = {10, 20};
    line->FZd = {110, 20};
    line->Modified();
    return line;
  }
  TArrowLine* AddArrowLine() {
    auto* line = AddFigure<TArrowLine>();
    line->SetQd({0, 0});
    line->SetZd({100, 0});
    return line;
  }
  TConstructionLine* AddConstructionLine() {
    auto* line = AddFigure<TConstructionLine>();
    line->FQd = {0, 0};
    line->FZd = {200, 0};
    line->Modified();
    return line;
  }
};

TEST_F(LineDialogTest, ArrowLineDialogShowsItsCaptionAndFields) {
  auto* line = AddTxLine();
  TP_Line dlg(*view, *line);
  TPropertyForm& f = dlg.Form();
  EXPECT_EQ(f.Dialog().windowTitle().toStdString(), "定义箭头线属性");
  const auto labels = f.Labels();
  for (const char* l : {"标识：", "颜色：", "线型：", "线宽：", "图层：", "起点X：", "终点Y：", "箭头长度：", "箭头角度："})
    EXPECT_TRUE(Has(labels, l)) << l;
  const TTxLineProperties p = GetTxLineProperties(*line);
  EXPECT_EQ(f.Text("标识："), p.Ident);
  EXPECT_EQ(f.Text("标识：").size(), 9u);
  EXPECT_EQ(f.Text("起点X："), p.QdX);
  EXPECT_EQ(f.Text("箭头角度："), "9.0");
  EXPECT_EQ(f.Text("终点箭头"), "1");
}

TEST_F(LineDialogTest, OkChangesTheArrowLineAndOneUndoStepRestoresIt) {
  auto* line = AddTxLine();
  const int before = UndoCount();
  TP_Line dlg(*view, *line);
  dlg.Form().SetText("终点X：", "150");
  dlg.Form().SetText("箭头角度：", "20");
  dlg.Form().SetText("起点箭头", "1");
  dlg.Form().Accept();
  const TTxLineProperties p = GetTxLineProperties(*line);
  EXPECT_EQ(p.ZdX, "150.000");
  EXPECT_EQ(p.ArrowJd, "20.0");
  EXPECT_TRUE(line->FQdArrow);
  EXPECT_TRUE(doc.GetModifiedFlag());
  ASSERT_EQ(UndoCount(), before + 1);
  EXPECT_EQ(doc.FFigures->UndoItem(UndoCount() - 1)->FOperationVerb, ovEdit);
  view->Undo();
  auto* back = dynamic_cast<TTxLine*>(doc.FFigures->LayerList(0)->Figures(0));
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(back->FZd.x, 110);
  EXPECT_FALSE(back->FQdArrow);
}

TEST_F(LineDialogTest, ANonNumberEndsTheUpdateAtThatField) {
  auto* line = AddTxLine();
  const double length = line->FArrowLength;
  TP_Line dlg(*view, *line);
  dlg.Form().SetText("线宽：", "3");
  dlg.Form().SetText("终点X：", "abc");
  dlg.Form().SetText("箭头长度：", "44");
  dlg.Form().SetText("图层：", "1");
  dlg.Form().Accept();
  EXPECT_EQ(line->FPen.Width, 3);
  EXPECT_EQ(line->FZd.x, 110);
  EXPECT_EQ(line->FArrowLength, length);
  EXPECT_EQ(doc.FFigures->GetFigureLayerIndex(line), 0);
}

TEST_F(LineDialogTest, CancelChangesNothing) {
  auto* line = AddTxLine();
  const int before = UndoCount();
  TP_Line dlg(*view, *line);
  dlg.Form().SetText("终点X：", "150");
  dlg.Form().Reject();
  EXPECT_EQ(line->FZd.x, 110);
  EXPECT_EQ(UndoCount(), before);
  EXPECT_FALSE(doc.GetModifiedFlag());
}

TEST_F(LineDialogTest, TheLayerChooserMovesTheFigure) {
  auto* line = AddTxLine();
  TP_Line dlg(*view, *line);
  EXPECT_EQ(dlg.Form().Text("图层："), "0");
  dlg.Form().SetText("图层：", "1");
  dlg.Form().Accept();
  EXPECT_EQ(doc.FFigures->GetFigureLayerIndex(line), 1);
}

TEST_F(LineDialogTest, DimensionDialogShowsItsCaptionFieldsAndSegments) {
  auto* line = AddArrowLine();
  TP_Arrowbz dlg(*view, *line);
  TPropertyForm& f = dlg.Form();
  EXPECT_EQ(f.Dialog().windowTitle().toStdString(), "定义标注属性");
  const auto labels = f.Labels();
  for (const char* l : {"标识：", "线宽：", "图层：", "箭头长度：", "箭头角度：", "字体", "下一边线", "文本："})
    EXPECT_TRUE(Has(labels, l)) << l;
  const auto all = [&] {
    std::string s;
    for (int i = 0; i < f.Count(); ++i) s += f.Text(i) + "|";
    return s;
  }();
  EXPECT_NE(all.find("共有 1 条标注线"), std::string::npos);
  EXPECT_NE(all.find("第 1 段标注"), std::string::npos);
  EXPECT_NE(all.find("X: "), std::string::npos);
  EXPECT_EQ(f.Text("文本："), "<>");
}

TEST_F(LineDialogTest, ChoosingTicksFillsTheirAngleAndMarkWidth) {
  auto* line = AddArrowLine();
  TP_Arrowbz dlg(*view, *line);
  dlg.Form().SetText("标注方式：", "1");
  EXPECT_EQ(dlg.Form().Text("箭头角度："), "45");
  EXPECT_EQ(dlg.Form().Text("标注线宽："), "2");
  dlg.Form().Accept();
  EXPECT_FALSE(line->FArrowBz);
  EXPECT_EQ(line->FBzLineWidth, 2);
  EXPECT_NEAR(line->FJd, 45 * 3.14159265358979 / 180, 1e-9);
}

TEST_F(LineDialogTest, SegmentTextGoesToTheFigureOnlyOnOk) {
  auto* line = AddArrowLine();
  const int before = UndoCount();
  TP_Arrowbz dlg(*view, *line);
  dlg.Form().SetText("文本：", "A1");
  dlg.Form().SetText("对齐方式：", "2");
  EXPECT_TRUE(line->FBzLines[0].AutoCalText);
  EXPECT_FALSE(dlg.Clone().FBzLines[0].AutoCalText);
  dlg.Form().Accept();
  ASSERT_EQ(line->FBzLines.size(), 1u);
  EXPECT_EQ(line->FBzLines[0].Text, "A1");
  EXPECT_FALSE(line->FBzLines[0].AutoCalText);
  EXPECT_EQ(line->FBzLines[0].TextAlign, 2);
  EXPECT_EQ(UndoCount(), before + 1);
}

TEST_F(LineDialogTest, SegmentTextWithoutGbkFormIsRefusedOnLeavingItAndOnOk) {
  auto* line = AddArrowLine();
  const int before = UndoCount();
  TP_Arrowbz dlg(*view, *line);
  dlg.Form().SetText("文本：", "A\U0001F600");
  TScopedMessageAnswer msg(mrOk);
  dlg.Form().Press("下一边线");
  ASSERT_EQ(msg.Asked().size(), 1u);
  EXPECT_NE(msg.Asked()[0].Text.find("“\U0001F600”没有GBK编码"), std::string::npos);
  EXPECT_EQ(dlg.Form().Text("文本："), "A\U0001F600") << "the segment stays shown";
  dlg.Form().Accept();
  EXPECT_EQ(msg.Asked().size(), 2u);
  EXPECT_TRUE(line->FBzLines[0].AutoCalText);
  EXPECT_EQ(UndoCount(), before);
}

TEST_F(LineDialogTest, EdgeLineDialogShowsItsFieldsAndTheArcBoxControlsTheRadius) {
  auto* line = AddConstructionLine();
  TP_ConstrutionLine dlg(*view, *line);
  TPropertyForm& f = dlg.Form();
  EXPECT_EQ(f.Dialog().windowTitle().toStdString(), "定义边缘线属性");
  const auto labels = f.Labels();
  for (const char* l : {"长度1：", "长度2：", "间距：", "角度：", "弧形", "半径：", "旋转方向："})
    EXPECT_TRUE(Has(labels, l)) << l;
  EXPECT_FALSE(f.IsEnabled(f.IndexOf("半径：")));
  f.SetText("弧形", "1");
  EXPECT_TRUE(f.IsEnabled(f.IndexOf("半径：")));
  f.SetText("半径：", "150");
  f.SetText("弧形", "0");
  EXPECT_FALSE(f.IsEnabled(f.IndexOf("旋转方向：")));
  EXPECT_EQ(f.Text("半径："), "");
}

TEST_F(LineDialogTest, OkChangesTheEdgeLineAsTheModelSays) {
  auto* line = AddConstructionLine();
  TP_ConstrutionLine dlg(*view, *line);
  dlg.Form().SetText("长度1：", "33");
  dlg.Form().SetText("间距：", "0");  // refused: the update ends here
  dlg.Form().SetText("角度：", "30");
  dlg.Form().Accept();
  const TConstructionLineProperties p = GetConstructionLineProperties(*line);
  EXPECT_EQ(p.Length1, "33.000");
  EXPECT_EQ(p.Gap, "10.000");
  EXPECT_EQ(p.LineJd, "45.0");
}

// Set PLANDECK_DIALOG_PNG to a file name to look at the dimension dialog.
TEST_F(LineDialogTest, DimensionDialogRendersOffscreen) {
  auto* line = AddArrowLine();
  TP_Arrowbz dlg(*view, *line);
  dlg.Form().Dialog().adjustSize();
  const QPixmap shot = dlg.Form().Dialog().grab();
  EXPECT_GT(shot.width(), 100);
  if (const char* name = std::getenv("PLANDECK_DIALOG_PNG")) {
    EXPECT_TRUE(shot.save(name));
  }
}
