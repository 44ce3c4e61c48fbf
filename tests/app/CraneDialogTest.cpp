// The tower crane's property dialog: what it shows, OK applying the values
// in order with one undo step, a bad entry in the guarded block keeping the
// later values, the font button, and the text colour command on cranes.

#include "AppTestSupport.h"

#include "app/Commands.h"
#include "app/CraneDialog.h"
#include "platform/System.h"

#include <QDialog>
#include <QFont>
#include <QPixmap>
#include <QSlider>

#include <algorithm>
#include <cstdlib>

namespace {

bool Has(const std::vector<std::string>& Labels, const std::string& L) {
  return std::find(Labels.begin(), Labels.end(), L) != Labels.end();
}

}  // namespace

class CraneDialogTest : public DialogTest {
protected:
  // Centre (40, 60), radius 100 units, on a drawing of half a metre per unit.
  TTxTadiao* AddCrane() {
    doc.FScale = 0.5;
    auto* crane = AddFigure<TTxTadiao>();
    crane->SetRefPoint(40, 60);
    return crane;
  }
  // The centre's second coordinate follows its first.
  static int YdY(TPropertyForm& f) { return f.IndexOf("中心点：") + 1; }
};

TEST_F(CraneDialogTest, ShowsTheCranesValuesInUserUnits) {
  auto* crane = AddCrane();
  TP_Tadiao dlg(*view, *crane);
  TPropertyForm& f = dlg.Form();
  EXPECT_EQ(f.Dialog().windowTitle().toStdString(), "定义塔吊属性");
  const auto labels = f.Labels();
  for (const char* l : {"标识：", "颜色：", "线型：", "线宽：", "图层：", "中心点：", "半径：", "固定半径", "标注：",
                        "标注位置：", "字体"})
    EXPECT_TRUE(Has(labels, l)) << l;
  EXPECT_TRUE(Has(f.Groups(), "标注位置："));
  EXPECT_EQ(f.Text("标识：").substr(0, 1), "$");
  EXPECT_EQ(f.Text("中心点："), "20.000");
  EXPECT_EQ(f.Text(YdY(f)), "30.000");
  EXPECT_EQ(f.Text("半径："), "50.000");
  EXPECT_EQ(f.Text("标注："), "<>");
  EXPECT_EQ(f.Text("标注位置："), "5");
  EXPECT_EQ(static_cast<QSlider*>(f.Control(f.IndexOf("标注位置：")))->maximum(), 10);
  EXPECT_EQ(f.Text(dlg.AlignField()), "1");
  EXPECT_EQ(f.Text("固定半径"), "0");
  crane->FAutoCalText = false;
  crane->FText = "1#";
  TP_Tadiao again(*view, *crane);
  EXPECT_EQ(again.Form().Text("标注："), "1#");
}

TEST_F(CraneDialogTest, OkAppliesEveryValueAndOneUndoStepRestoresThem) {
  auto* crane = AddCrane();
  const int before = UndoCount();
  TP_Tadiao dlg(*view, *crane);
  TPropertyForm& f = dlg.Form();
  f.SetText("线型：", "1");
  f.SetText("线宽：", "3");
  f.SetText("中心点：", "25");
  f.SetText(YdY(f), "35.5");
  f.SetText("半径：", "40");
  f.SetText("固定半径", "1");
  f.SetText("标注：", "QTZ80");
  f.SetText("标注位置：", "3");
  f.SetText(dlg.AlignField(), "2");
  f.SetText("图层：", "1");
  f.Accept();
  EXPECT_EQ(crane->FPen.Style, psDash);
  EXPECT_EQ(crane->FPen.Width, 3);
  EXPECT_EQ(crane->FYd.x, 50);
  EXPECT_EQ(crane->FYd.y, 71);
  EXPECT_EQ(crane->FBj, 80);
  EXPECT_TRUE(crane->FFixedBj);
  EXPECT_FALSE(crane->FAutoCalText);
  EXPECT_EQ(crane->FText, "QTZ80");
  EXPECT_DOUBLE_EQ(crane->FPos, 0.3);
  EXPECT_EQ(crane->FTextAlign, 2);
  EXPECT_EQ(doc.FFigures->GetFigureLayerIndex(crane), 1);
  ASSERT_EQ(crane->FPWLine.size(), 1u);
  EXPECT_EQ(crane->FPWLine[0].bj, 80) << "the arc follows the radius";
  EXPECT_TRUE(doc.GetModifiedFlag());
  ASSERT_EQ(UndoCount(), before + 1);
  EXPECT_EQ(doc.FFigures->UndoItem(UndoCount() - 1)->FOperationVerb, ovEdit);
  view->Undo();
  EXPECT_EQ(crane->FBj, 100);
  EXPECT_TRUE(crane->FAutoCalText);
  EXPECT_EQ(crane->FYd.x, 40);

  // "<>" asks for the radius again.
  TP_Tadiao back(*view, *crane);
  crane->FAutoCalText = false;
  back.Form().SetText("标注：", "<>");
  back.Form().Accept();
  EXPECT_TRUE(crane->FAutoCalText);
}

TEST_F(CraneDialogTest, ABadEntryEndsTheGuardedBlockAndKeepsTheLaterValues) {
  auto* crane = AddCrane();
  {
    TP_Tadiao dlg(*view, *crane);
    TPropertyForm& f = dlg.Form();
    f.SetText("标注：", "T1");
    f.SetText("固定半径", "1");
    f.SetText("线宽：", "2");
    f.SetText("中心点：", "abc");
    f.SetText("半径：", "80");
    f.SetText("图层：", "1");
    f.Accept();
  }
  // Before the block and its first field: applied.
  EXPECT_EQ(crane->FText, "T1");
  EXPECT_TRUE(crane->FFixedBj);
  EXPECT_EQ(crane->FPen.Width, 2);
  // From the bad centre on: kept.
  EXPECT_EQ(crane->FYd.x, 40);
  EXPECT_EQ(crane->FBj, 100);
  EXPECT_EQ(doc.FFigures->GetFigureLayerIndex(crane), 0);

  // A radius of nothing is refused the same way, after the centre was taken.
  TP_Tadiao dlg(*view, *crane);
  dlg.Form().SetText("中心点：", "30");
  dlg.Form().SetText("半径：", "0");
  dlg.Form().SetText("图层：", "1");
  dlg.Form().Accept();
  EXPECT_EQ(crane->FYd.x, 60);
  EXPECT_EQ(crane->FBj, 100);
  EXPECT_EQ(doc.FFigures->GetFigureLayerIndex(crane), 0);
}

TEST_F(CraneDialogTest, TheFontButtonShowsTheSheetSizeAndOkStoresItInTheCranesScale) {
  auto* crane = AddCrane();
  crane->FScale = 2;
  crane->FFont->FHeight = 11;
  crane->FFont->FColor = 0x0000FFu;
  int shown = 0;
  const TFontDialogHook old = SetFontDialogHook([&shown](QFont& f) {
    shown = f.pixelSize();
    f.setPixelSize(30);
    f.setBold(true);
    return true;
  });
  {
    TP_Tadiao dlg(*view, *crane);
    dlg.Form().Press("字体");
    dlg.Form().Reject();
  }
  EXPECT_EQ(shown, 22);
  EXPECT_EQ(crane->FFont->FHeight, 11) << "Cancel keeps the font";
  TP_Tadiao dlg(*view, *crane);
  dlg.Form().Press("字体");
  dlg.Form().Accept();
  SetFontDialogHook(old);
  EXPECT_DOUBLE_EQ(crane->FFont->FHeight, 15);
  EXPECT_EQ(crane->FFont->FStyle, fsBold);
  EXPECT_EQ(crane->FFont->FColor, 0x0000FFu);
}

TEST_F(CraneDialogTest, ALabelWithoutGbkFormIsRefusedAndChangesNothing) {
  auto* crane = AddCrane();
  crane->FText = "QTZ80";
  const int before = UndoCount();
  TP_Tadiao dlg(*view, *crane);
  dlg.Form().SetText("半径：", "40");
  dlg.Form().SetText("标注：", "QTZ\U0001F680");
  TScopedMessageAnswer msg(mrOk);
  dlg.Form().Accept();
  ASSERT_EQ(msg.Asked().size(), 1u);
  EXPECT_NE(msg.Asked()[0].Text.find("没有GBK编码"), std::string::npos);
  EXPECT_EQ(crane->FText, "QTZ80");
  EXPECT_EQ(crane->FBj, 100);
  EXPECT_EQ(UndoCount(), before);
  EXPECT_FALSE(doc.GetModifiedFlag());
}

TEST_F(CraneDialogTest, AFontWhoseNameHasNoGbkFormIsRefused) {
  auto* crane = AddCrane();
  const std::string face = crane->FFont->FName;
  const TFontDialogHook old = SetFontDialogHook([](QFont& f) {
    f.setFamily(QString::fromUtf8("\xED\x95\x9C\xEA\xB8\x80"));  // Hangul, which GBK lacks
    return true;
  });
  TScopedMessageAnswer msg(mrOk);
  TP_Tadiao dlg(*view, *crane);
  dlg.Form().Press("字体");
  dlg.Form().Accept();
  SetFontDialogHook(old);
  ASSERT_EQ(msg.Asked().size(), 1u);
  EXPECT_NE(msg.Asked()[0].Text.find("没有GBK编码"), std::string::npos);
  EXPECT_EQ(crane->FFont->FName, face);
}

TEST_F(CraneDialogTest, TheTextColourCommandColoursSelectedCranes) {
  auto* crane = AddCrane();
  view->Select(crane, false);
  EXPECT_EQ(SelectionFontColor(*view), 0u);
  FontColorCommand(*view, 0x00FF00u);
  EXPECT_EQ(crane->FFont->FColor, 0x00FF00u);
  EXPECT_EQ(crane->FPen.Color, clBlack);
  EXPECT_EQ(UndoCount(), 1);
  view->Undo();
  EXPECT_EQ(crane->FFont->FColor, 0u);
}

TEST_F(CraneDialogTest, TheCraneHasItsPropertyEditor) {
  RegisterPropertyDialogs();
  EXPECT_NE(FindPropertyEditor(TTxTadiao::StaticClass()), nullptr);
}

// Set PLANDECK_CRANE_DIALOG_PNG to a file name to look at the dialog.
TEST_F(CraneDialogTest, PictureOfTheDialog) {
  const char* path = std::getenv("PLANDECK_CRANE_DIALOG_PNG");
  if (!path) GTEST_SKIP() << "no picture asked for";
  auto* crane = AddCrane();
  TP_Tadiao dlg(*view, *crane);
  dlg.Form().Dialog().adjustSize();
  EXPECT_TRUE(dlg.Form().Dialog().grab().save(QString::fromLocal8Bit(path)));
}
