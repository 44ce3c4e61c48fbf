// The property dialogs of the rounded rectangle, the ellipse and the circle:
// what they show in user units, perimeter and area following the size
// fields as they are typed, OK applying the values with one undo step, a bad
// entry ending the update, and their registration as the shapes' editors.

#include "AppTestSupport.h"

#include "app/Commands.h"
#include "app/RoundDialogs.h"

#include <QDialog>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>

namespace {

bool Has(const std::vector<std::string>& Labels, const std::string& L) {
  return std::find(Labels.begin(), Labels.end(), L) != Labels.end();
}

std::string Fixed3(double v) {
  char b[64];
  std::snprintf(b, sizeof b, "%1.3f", v);
  return b;
}

constexpr double kPi = std::numbers::pi;

}  // namespace

class RoundDialogsTest : public DialogTest {
protected:
  // On a drawing of half a metre per unit.
  template <class T>
  T* Add() {
    doc.FScale = 0.5;
    return AddFigure<T>();
  }
};

TEST_F(RoundDialogsTest, TheRoundedRectangleShowsItsValuesAndMeasures) {
  auto* r = Add<TTxRoundRect>();
  r->FYd = {40, 60};
  r->FWidth = 100;
  r->FHeight = 60;
  r->FHzbj = 20;
  r->FVzbj = 10;
  r->FXzJd = 30;
  TP_RoundRect dlg(*view, *r);
  TPropertyForm& f = dlg.Form();
  EXPECT_EQ(f.Dialog().windowTitle().toStdString(), "定义圆角矩形属性");
  for (const char* l : {"标识：", "颜色：", "线型：", "线宽：", "图层：", "中心X：", "中心Y：", "宽度：", "高度：",
                        "水平圆角半径：", "垂直圆角半径：", "旋转角度：", "周长：", "面积："})
    EXPECT_TRUE(Has(f.Labels(), l)) << l;
  EXPECT_EQ(f.Text("标识：").substr(0, 1), "$");
  EXPECT_EQ(f.Text("中心X："), "20.000");
  EXPECT_EQ(f.Text("宽度："), "50.000");
  EXPECT_EQ(f.Text("垂直圆角半径："), "5.000");
  EXPECT_EQ(f.Text("旋转角度："), "30.0");
  // W 50, H 30, a 10, b 5 in user units.
  EXPECT_EQ(f.Text("周长："), Fixed3(kPi * 15 + 2 * (80 - 30)));
  EXPECT_EQ(f.Text("面积："), Fixed3(kPi * 50 + 1500 - 200));
  // Typing follows at once; the figure itself waits for OK.
  f.SetText("宽度：", "60");
  EXPECT_EQ(f.Text("周长："), Fixed3(kPi * 15 + 2 * (90 - 30)));
  EXPECT_EQ(f.Text("面积："), Fixed3(kPi * 50 + 1800 - 200));
  EXPECT_EQ(r->FWidth, 100);
  f.SetText("高度：", "abc");
  EXPECT_EQ(f.Text("面积："), "");
}

TEST_F(RoundDialogsTest, OkAppliesTheValuesAndOneUndoStepRestoresThem) {
  auto* r = Add<TTxRoundRect>();
  r->FYd = {40, 60};
  r->FWidth = 100;
  r->FHeight = 60;
  r->FHzbj = 20;
  r->FVzbj = 10;
  const int before = UndoCount();
  TP_RoundRect dlg(*view, *r);
  TPropertyForm& f = dlg.Form();
  f.SetText("线型：", "1");
  f.SetText("线宽：", "2");
  f.SetText("中心X：", "25");
  f.SetText("宽度：", "40");
  f.SetText("水平圆角半径：", "5");
  f.SetText("旋转角度：", "45");
  f.SetText("图层：", "1");
  f.Accept();
  EXPECT_EQ(r->FPen.Style, psDash);
  EXPECT_EQ(r->FPen.Width, 2);
  EXPECT_EQ(r->FYd.x, 50);
  EXPECT_EQ(r->FWidth, 80);
  EXPECT_EQ(r->FHzbj, 10);
  EXPECT_EQ(r->FXzJd, 45);
  EXPECT_EQ(doc.FFigures->GetFigureLayerIndex(r), 1);
  EXPECT_TRUE(doc.GetModifiedFlag());
  ASSERT_EQ(UndoCount(), before + 1);
  EXPECT_EQ(doc.FFigures->UndoItem(UndoCount() - 1)->FOperationVerb, ovEdit);
  view->Undo();
  EXPECT_EQ(r->FWidth, 100);
  EXPECT_EQ(r->FYd.x, 40);
}

TEST_F(RoundDialogsTest, ABadEntryEndsTheUpdateThere) {
  auto* e = Add<TTxEllipse>();
  e->FYx = {10, 10};
  e->FHzbj = 30;
  e->FVzbj = 20;
  {
    TP_Ellipse dlg(*view, *e);
    TPropertyForm& f = dlg.Form();
    EXPECT_EQ(f.Dialog().windowTitle().toStdString(), "定义椭圆属性");
    EXPECT_EQ(f.Text("周长："), Fixed3(kPi * 25));
    EXPECT_EQ(f.Text("面积："), Fixed3(kPi * 150));
    f.SetText("水平半轴：", "20");
    EXPECT_EQ(f.Text("面积："), Fixed3(kPi * 200));
    f.SetText("垂直半轴：", "0");
    f.SetText("旋转角度：", "60");
    f.SetText("图层：", "1");
    f.Accept();
  }
  EXPECT_EQ(e->FHzbj, 40);
  EXPECT_EQ(e->FVzbj, 20) << "a semi-axis of nothing is refused";
  EXPECT_EQ(e->FXzJd, 0) << "and what follows it is kept";
  EXPECT_EQ(doc.FFigures->GetFigureLayerIndex(e), 0);
}

TEST_F(RoundDialogsTest, TheCircleShowsTwoPiRAndPiRSquared) {
  auto* c = Add<TTxCircle>();
  c->FYx = {20, 20};
  c->FBj = 4;
  TP_Circle dlg(*view, *c);
  TPropertyForm& f = dlg.Form();
  EXPECT_EQ(f.Dialog().windowTitle().toStdString(), "定义圆形属性");
  EXPECT_EQ(f.Text("半径："), "2.000");
  EXPECT_EQ(f.Text("周长："), Fixed3(4 * kPi));
  EXPECT_EQ(f.Text("面积："), Fixed3(4 * kPi));
  f.SetText("半径：", "3");
  EXPECT_EQ(f.Text("周长："), Fixed3(6 * kPi));
  EXPECT_EQ(f.Text("面积："), Fixed3(9 * kPi));
  EXPECT_EQ(f.Kind(f.IndexOf("周长：")), TFieldKind::Label) << "read only";
  f.Accept();
  EXPECT_EQ(c->FBj, 6);
}

TEST_F(RoundDialogsTest, TheShapesHaveTheirPropertyEditors) {
  RegisterPropertyDialogs();
  for (const TMetaClass* c : {&TTxRoundRect::StaticClass(), &TTxEllipse::StaticClass(), &TTxCircle::StaticClass()})
    EXPECT_NE(FindPropertyEditor(*c), nullptr) << c->Name;
}
