// The route lines' property dialogs: captions and class fields, spacings
// the line cannot be painted with refused, the double line's two pens, OK as
// one undo step.

#include "AppTestSupport.h"

#include "app/Commands.h"
#include "app/RouteLineDialogs.h"

#include <QAbstractButton>

class RouteLineDialogsTest : public DialogTest {
protected:
  template <class T>
  T* AddRoute() {
    auto* l = AddFigure<T>();
    l->AddPoint({0, 0});
    l->AddPoint({100, 0});
    l->AddPoint({100, 50});
    return l;
  }
};

TEST_F(RouteLineDialogsTest, EachLineShowsItsCaptionLengthAndEdges) {
  auto* t = AddRoute<TTrailLine>();
  TP_RouteLine dlg(*view, *t);
  TPropertyForm& f = dlg.Form();
  EXPECT_EQ(f.Caption(), "定义铁路线属性");
  EXPECT_EQ(f.IndexOf("线型："), -1) << "the railway has no style";
  EXPECT_EQ(f.Text("总线长："), "150.000");
  EXPECT_EQ(f.Text(""), "共有 2 条边线");
  EXPECT_EQ(f.Text("间距："), "30.000");
  EXPECT_EQ(f.Text("宽度："), "5.000");
  EXPECT_EQ(f.Text("边线："), "第 1 条边线");
  EXPECT_EQ(f.Text("线长："), "100.000");
  f.Press("下一边线");
  EXPECT_EQ(f.Text("角度："), "90");
  EXPECT_EQ(f.Text("起点:"), "X: 100.000");
  f.SetText("线长：", "-3");
  EXPECT_EQ(dlg.Clone().Vertex(2).FDwd.y, 50) << "a length that is no distance changes nothing";
  f.SetText("线长：", "20");
  EXPECT_NEAR(dlg.Clone().Vertex(2).FDwd.y, 20, 1e-9);
  EXPECT_EQ(f.Text("总线长："), "120.000");
  EXPECT_EQ(t->Vertex(2).FDwd.y, 50) << "only the clone until OK";
  EXPECT_EQ(TP_RouteLine(*view, *AddRoute<TDxLine>()).Form().Caption(), "定义电讯线属性");
  EXPECT_EQ(TP_RouteLine(*view, *AddRoute<TDLine>()).Form().Caption(), "定义电线属性");
  EXPECT_EQ(TP_RouteLine(*view, *AddRoute<TDoubleLine>()).Form().Caption(), "定义双线属性");
}

TEST_F(RouteLineDialogsTest, SpacingsThatCannotBePaintedAreRefused) {
  auto* t = AddRoute<TTrailLine>();
  for (const char* bad : {"0", "-5", "x"}) {
    TP_RouteLine dlg(*view, *t);
    dlg.Form().SetText("间距：", bad);
    dlg.Form().SetText("宽度：", "8");
    dlg.Form().Accept();
    EXPECT_EQ(t->FGap, 30) << bad;
    EXPECT_EQ(t->FWidth, 8) << "the other fields are still taken, " << bad;
  }
  auto* dx = AddRoute<TDxLine>();
  for (const char* bad : {"14.9", "0", "-30"}) {
    TP_RouteLine dlg(*view, *dx);
    dlg.Form().SetText("间距：", bad);
    dlg.Form().Accept();
    EXPECT_EQ(dx->FGap, 30) << "below the minimum, " << bad;
  }
  auto* el = AddRoute<TDLine>();
  {
    TP_RouteLine dlg(*view, *el);
    dlg.Form().SetText("间距：", "20");
    dlg.Form().SetText("类型：", "1");
    dlg.Form().Accept();
  }
  EXPECT_EQ(el->FGap, 50);
  EXPECT_EQ(el->FLx, 1);
  TP_RouteLine dlg(*view, *el);
  dlg.Form().SetText("间距：", "24");
  dlg.Form().Accept();
  EXPECT_EQ(el->FGap, 24);
}

TEST_F(RouteLineDialogsTest, TheDoubleLineEditsEitherPenAndItsOffset) {
  auto* d = AddRoute<TDoubleLine>();
  d->FPen1.Width = 2;
  const int before = UndoCount();
  TP_RouteLine dlg(*view, *d);
  TPropertyForm& f = dlg.Form();
  EXPECT_EQ(f.Text("间距："), "10.000");
  f.SetText("线宽：", "3");
  f.Press("主线");
  EXPECT_EQ(f.Text("线宽："), "2") << "the parallel line's pen is shown";
  auto* button = qobject_cast<QAbstractButton*>(f.Control(f.IndexOf("主线")));
  ASSERT_NE(button, nullptr);
  EXPECT_EQ(button->text().toStdString(), "从线") << "the button names the pen shown";
  f.SetText("线宽：", "5");
  f.SetText("间距：", "-7");
  f.Press("主线");
  EXPECT_EQ(f.Text("线宽："), "3") << "back to the main pen as edited";
  EXPECT_EQ(button->text().toStdString(), "主线");
  f.Press("主线");
  f.Accept();
  EXPECT_EQ(d->FPen.Width, 3);
  EXPECT_EQ(d->FPen1.Width, 5);
  EXPECT_EQ(d->FGap, -7);
  EXPECT_EQ(UndoCount(), before + 1);
}
