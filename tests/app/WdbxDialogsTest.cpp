// The rectangle, regular polygon and polygon dialogs: fields in user units,
// perimeter and area following the fields as they are typed, OK as one undo
// step, and a side count below 3 refused like a field that does not convert.

#include "AppTestSupport.h"

#include "app/WdbxDialogs.h"
#include "figures/FigureText.h"

#include <QDialog>

#include <cmath>

class WdbxDialogTest : public DialogTest {};

TEST_F(WdbxDialogTest, RectangleDialogMeasuresAsTheSizeIsTypedAndOkIsOneUndoStep) {
  auto* r = AddFigure<TTxFRectangle>();
  r->FYd = {10, 20};
  r->FWidth = 30;
  r->FHeight = 40;
  r->Modified();
  TP_Rectangle dlg(*view, *r);
  TPropertyForm& f = dlg.Form();
  EXPECT_EQ(f.Dialog().windowTitle().toStdString(), "定义矩形属性");
  const double k = r->TransUserV(1);
  EXPECT_EQ(f.Text("宽度："), Format("%1.3f", 30 * k));
  EXPECT_EQ(f.Text("周长："), Format("%1.3f", 140 * k));
  EXPECT_EQ(f.Text("面积："), Format("%1.3f", 1200 * k * k));
  EXPECT_EQ(f.Kind(f.IndexOf("周长：")), TFieldKind::Label);
  f.SetText("宽度：", "5");
  f.SetText("高度：", "2");
  EXPECT_EQ(f.Text("周长："), "14.000");
  EXPECT_EQ(f.Text("面积："), "10.000");
  f.SetText("高度：", "x");
  EXPECT_EQ(f.Text("面积："), "");
  f.SetText("高度：", "2");
  const int before = UndoCount();
  f.Accept();
  EXPECT_NEAR(r->TransUserV(r->FWidth), 5, 1e-9);
  EXPECT_NEAR(r->TransUserV(r->FHeight), 2, 1e-9);
  ASSERT_EQ(UndoCount(), before + 1);
  EXPECT_EQ(doc.FFigures->UndoItem(UndoCount() - 1)->FOperationVerb, ovEdit);
}

TEST_F(WdbxDialogTest, RegularPolygonDialogRefusesFewerThanThreeSides) {
  auto* z = AddFigure<TTxZPolygon>();
  z->FLineCount = 4;
  z->FBj = 10;
  z->Modified();
  TP_ZPolygon dlg(*view, *z);
  TPropertyForm& f = dlg.Form();
  EXPECT_EQ(f.Dialog().windowTitle().toStdString(), "定义正多边形属性");
  EXPECT_EQ(f.Text("边数："), "4");
  f.SetText("边数：", "6");
  f.SetText("半径：", "2");
  EXPECT_EQ(f.Text("周长："), "12.000");
  EXPECT_EQ(f.Text("面积："), Format("%1.3f", 6 * std::sqrt(3.0)));
  f.SetText("边数：", "2");
  EXPECT_EQ(f.Text("周长："), "");
  f.SetText("旋转角度：", "45");
  f.Accept();
  // Stopped at the side count: neither it nor what follows is taken.
  EXPECT_EQ(z->FLineCount, 4);
  EXPECT_EQ(z->FBj, 10);
  EXPECT_EQ(z->FXzJd, 0);
  EXPECT_EQ(z->GetHandleCount(), 4);
}

TEST_F(WdbxDialogTest, PolygonDialogShowsItsOutlinesLengthAndArea) {
  auto* p = AddFigure<TTxPolygon>();
  for (Tpt q : {Tpt{0, 0}, Tpt{30, 0}, Tpt{30, 40}}) p->AddPoint(q);
  TP_Polygon dlg(*view, *p);
  TPropertyForm& f = dlg.Form();
  EXPECT_EQ(f.Dialog().windowTitle().toStdString(), "定义多边形属性");
  const double k = p->TransUserV(1);
  EXPECT_EQ(f.Text("周长："), Format("%1.3f", 120 * k));
  EXPECT_EQ(f.Text("面积："), Format("%1.3f", 600 * k * k));
  f.SetText("线宽：", "3");
  f.Accept();
  EXPECT_EQ(p->FPen.Width, 3);
}

TEST_F(WdbxDialogTest, TheDialogsAreTheShapesPropertyEditors) {
  RegisterWdbxDialogs();
  for (const TMetaClass* c : {&TTxFRectangle::StaticClass(), &TTxZPolygon::StaticClass(), &TTxPolygon::StaticClass()})
    EXPECT_NE(FindPropertyEditor(*c), nullptr) << c->Name;
}
