// The arc figures' and the combined figure's dialogs, and making a combined
// figure of the selection: one undo step that gives the members back
// unchanged, redo, and breaking apart.

#include "AppTestSupport.h"

#include "app/Actions.h"
#include "app/ArcDialogs.h"
#include "app/Commands.h"
#include "figures/RoundShapes.h"
#include "figures/WdbxShapes.h"
#include "foundation/ValueStream.h"

#include <QDialog>

#include <cmath>
#include <numbers>

namespace {

std::vector<std::uint8_t> Saved(TMyPersistent& F) {
  std::vector<std::uint8_t> out;
  TWriter w(out);
  F.WriteData(w);
  return out;
}

}  // namespace

class ArcDialogsTest : public DialogTest {
protected:
  TTxFRectangle* AddRect(double X, double Y, double W, double H) {
    auto* r = AddFigure<TTxFRectangle>();
    r->FYd = {X, Y};
    r->FWidth = W;
    r->FHeight = H;
    r->Modified();
    return r;
  }
  TTxCircle* AddCircle(double X, double Y, double R) {
    auto* c = AddFigure<TTxCircle>();
    c->FYx = {X, Y};
    c->FBj = R;
    c->Modified();
    return c;
  }
  std::vector<TCustomFigure*> Layer() const {
    std::vector<TCustomFigure*> out;
    TTxCollectFigure* l = doc.FFigures->LayerList(0);
    for (int i = 0; i < l->Count(); ++i) out.push_back(l->Figures(i));
    return out;
  }
};

TEST_F(ArcDialogsTest, CombiningSubtractsTheLaterSelectionFromTheFirstAndUndoRedoAndBreakingApartKeepTheMembers) {
  TTxCircle* circle = AddCircle(80, 100, 40);
  TTxFRectangle* rect = AddRect(80, 70, 80, 60);
  const auto circleBytes = Saved(*circle), rectBytes = Saved(*rect);
  view->Select(circle, false);
  view->Select(rect, true);
  TComboFigure* combo = MakeComboFigure(*view, 4);
  ASSERT_NE(combo, nullptr);
  EXPECT_EQ(Layer(), std::vector<TCustomFigure*>{combo});
  EXPECT_TRUE(view->IsSelected(combo));
  EXPECT_TRUE(doc.GetModifiedFlag());
  EXPECT_EQ(combo->FStyle, 4);
  ASSERT_EQ(combo->FFigures->Count(), 2);
  EXPECT_NE(dynamic_cast<TTxCircle*>(combo->FFigures->Figures(0)), nullptr) << "the first selected comes first";
  // Where the sources were: the circle less the rectangle.
  EXPECT_TRUE(combo->Selected({50, 100}, 1));
  EXPECT_FALSE(combo->Selected({100, 100}, 1));
  ASSERT_EQ(UndoCount(), 1);
  EXPECT_EQ(doc.FFigures->UndoItem(0)->FOperationVerb, ovCombo);

  doc.FFigures->Undo(view.get());
  EXPECT_EQ(Layer().size(), 2u);
  EXPECT_EQ(Saved(*circle), circleBytes);
  EXPECT_EQ(Saved(*rect), rectBytes);
  doc.FFigures->Redo(view.get());
  ASSERT_EQ(Layer(), std::vector<TCustomFigure*>{combo});

  // Breaking apart gives the members back as they were.
  view->Select(combo, false);
  view->Explode();
  const std::vector<TCustomFigure*> parts = Layer();
  ASSERT_EQ(parts.size(), 2u);
  EXPECT_EQ(doc.FFigures->UndoItem(doc.FFigures->UndoCount() - 1)->FOperationVerb, ovExplode);
  int circles = 0;
  for (TCustomFigure* p : parts) {
    EXPECT_TRUE(view->IsSelected(p));
    EXPECT_EQ(p->FParent, doc.FFigures.get());
    if (dynamic_cast<TTxCircle*>(p)) {
      ++circles;
      EXPECT_EQ(Saved(*p), circleBytes);
    } else {
      EXPECT_EQ(Saved(*p), rectBytes);
    }
  }
  EXPECT_EQ(circles, 1);
  doc.FFigures->Undo(view.get());
  EXPECT_EQ(Layer().size(), 1u);
}

TEST_F(ArcDialogsTest, CombiningRefusesOpenFiguresAndASingleOne) {
  TTxCircle* circle = AddCircle(80, 100, 40);
  auto* line = AddFigure<TTxLine>();
  view->Select(circle, false);
  EXPECT_EQ(MakeComboFigure(*view, 2), nullptr);
  view->Select(line, true);
  EXPECT_EQ(MakeComboFigure(*view, 2), nullptr);
  EXPECT_EQ(UndoCount(), 0);
  EXPECT_EQ(Layer().size(), 2u);
  // A combined figure is a closed figure for the fill command too.
  TComboFigure combo;
  EXPECT_TRUE(IsClosedFigure(combo));
}

TEST_F(ArcDialogsTest, TheThreeButtonsAreCommands) {
  for (const char* name : {"TB_Union", "TB_Subtract", "TB_Intersect"}) {
    const TActionDef* a = FindActionDef(name);
    ASSERT_NE(a, nullptr) << name;
    EXPECT_FALSE(a->Missing) << name;
    EXPECT_NE(a->Command, nullptr) << name;
  }
}

TEST_F(ArcDialogsTest, TheSectorDialogShowsDegreesAndMeasuresAsTheFieldsAreTyped) {
  auto* sector = AddFigure<TTxChord>();
  const Tpt pts[3] = {{10, 0}, {std::sqrt(50.0), std::sqrt(50.0)}, {0, 10}};
  sector->CreateByRefPoint(std::span<const Tpt>(pts, 3));
  TP_Arc dlg(*view, *sector, 1);
  TPropertyForm& f = dlg.Form();
  EXPECT_EQ(f.Dialog().windowTitle().toStdString(), "定义扇形属性");
  EXPECT_EQ(f.Text("起点角度："), "0 度");
  EXPECT_EQ(f.Text("终点角度："), "90 度");
  EXPECT_EQ(f.Text("总弧度："), "90 度");
  EXPECT_EQ(f.Text("面积："), "78.540");
  EXPECT_EQ(f.Text("周长："), "35.708");
  f.SetText("半径：", "20.000");
  EXPECT_EQ(f.Text("面积："), "314.159");
  f.SetText("方向：", "0");
  EXPECT_EQ(f.Text("总弧度："), "270 度");
  f.SetText("方向：", "1");
  f.SetText("半径：", "0");
  EXPECT_EQ(f.Text("面积："), "");
  f.Accept();
  // OK with a radius of none: the radius and what follows stay, one undo step.
  EXPECT_NEAR(sector->FBj, 10, 1e-9);
  EXPECT_EQ(UndoCount(), 1);
}

TEST_F(ArcDialogsTest, TheArcBarAndCombinedFigureDialogsApplyTheirFields) {
  auto* arc = AddFigure<TTxArc>();
  const Tpt pts[3] = {{10, 0}, {0, 10}, {-10, 0}};
  arc->CreateByRefPoint(std::span<const Tpt>(pts, 3));
  {
    TP_Arc dlg(*view, *arc, 0);
    EXPECT_EQ(dlg.Form().Dialog().windowTitle().toStdString(), "定义弧线属性");
    EXPECT_EQ(dlg.Form().IndexOf("面积："), -1);
    dlg.Form().SetText("终点角度：", "45 度");
    dlg.Form().Accept();
    EXPECT_NEAR(arc->FZj, std::numbers::pi / 4, 1e-12);
  }
  auto* bar = AddFigure<TTxRectArc>();
  bar->FQd = {0, 0};
  bar->FZd = {100, 0};
  bar->Modified();
  {
    TP_RectArc dlg(*view, *bar);
    EXPECT_EQ(dlg.Form().Dialog().windowTitle().toStdString(), "定义杆形属性");
    EXPECT_EQ(dlg.Form().Text("面积："), "1500.000");
    dlg.Form().SetText("宽度：", "10.000");
    EXPECT_EQ(dlg.Form().Text("面积："), "1000.000");
    EXPECT_EQ(dlg.Form().Text("周长："), "220.000");
    dlg.Form().Accept();
    EXPECT_NEAR(bar->FWidth, 10, 1e-12);
  }
  TTxFRectangle* a = AddRect(0, 0, 10, 10);
  TTxFRectangle* b = AddRect(5, 5, 10, 10);
  view->Select(a, false);
  view->Select(b, true);
  TComboFigure* combo = MakeComboFigure(*view, 2);
  ASSERT_NE(combo, nullptr);
  {
    TP_ComboFigure dlg(*view, *combo);
    TPropertyForm& f = dlg.Form();
    EXPECT_EQ(f.Dialog().windowTitle().toStdString(), "定义组合块属性");
    for (const char* l : {"X：", "Y：", "长：", "宽：", "旋转角度：", "颜色：", "线宽：", "图层", "标识："})
      EXPECT_GE(f.IndexOf(l), 0) << l;
    EXPECT_EQ(f.Text("长："), "15.000");
    f.SetText("长：", "30.000");
    f.Accept();
    EXPECT_NEAR(combo->FScale, 2, 1e-9);
    EXPECT_NEAR(combo->FWidth, 15, 1e-9);
  }
  RegisterPropertyDialogs();
  for (const TMetaClass* c : {&TTxArc::StaticClass(), &TTxChord::StaticClass(), &TTxCirpart::StaticClass(),
                              &TTxRectArc::StaticClass(), &TComboFigure::StaticClass()})
    EXPECT_NE(FindPropertyEditor(*c), nullptr) << c->Name;
}
