// The point-list editor and the open lines' property dialogs over the shared
// form: coordinate types, insert, delete, edit, reorder; the edge browser
// and its live edits; OK as one undo step; spacings that are no distance.

#include "AppTestSupport.h"
#include "ScriptedAnswers.h"

#include "app/Commands.h"
#include "app/MltLineDialogs.h"
#include "app/PointListDialog.h"

#include <QDialog>

#include <string>
#include <vector>

namespace {

using TLines = std::vector<std::string>;

// Answers every nested form (the point dialog, the point editor) with Fill, then OK.
class TFormAnswers {
public:
  explicit TFormAnswers(std::function<void(TPropertyForm&)> Fill) {
    FPrevious = SetCommandFormHook([this, Fill = std::move(Fill)](TPropertyForm& f) {
      Captions.push_back(f.Caption());
      Fill(f);
      f.Accept();
    });
  }
  ~TFormAnswers() { SetCommandFormHook(std::move(FPrevious)); }
  std::vector<std::string> Captions;

private:
  TCommandFormHook FPrevious;
};

TFormAnswers Point(const std::string& X, const std::string& Y) {
  return TFormAnswers([X, Y](TPropertyForm& f) {
    f.SetText("X：", X);
    f.SetText("Y：", Y);
  });
}

}  // namespace

class PointListDialogTest : public DialogTest {
protected:
  TTxMltLine* AddLine(std::initializer_list<Tpt> Points) {
    auto* l = AddFigure<TTxMltLine>();
    for (Tpt p : Points) l->AddPoint(p);
    return l;
  }
};

TEST_F(PointListDialogTest, ListsTheVerticesInEachCoordinateType) {
  auto* l = AddLine({{10, 20}, {30, 25}, {35, 45}});
  TEditPoints e(l->DDList(), *l);
  EXPECT_EQ(e.Form().Caption(), "定义端点");
  EXPECT_EQ(e.Lines(), (TLines{"10.000,20.000", "30.000,25.000", "35.000,45.000"}));
  e.Form().SetText("坐标类型：", "1");
  EXPECT_EQ(e.Lines(), (TLines{"0.000,0.000", "20.000,5.000", "25.000,25.000"}));
  e.Form().SetText("坐标类型：", "2");
  EXPECT_EQ(e.Lines(), (TLines{"0.000,0.000", "20.000,5.000", "5.000,20.000"}));
}

TEST_F(PointListDialogTest, AddInsertsAfterTheSelectedLineInTheTypedCoordinates) {
  auto* l = AddLine({{10, 20}, {30, 25}, {35, 45}});
  TEditPoints e(l->DDList(), *l);
  e.Form().SetText("坐标类型：", "2");
  e.Select(0);
  {
    auto answer = Point("1", "2");
    e.Form().Press("增加");
    ASSERT_EQ(answer.Captions.size(), 1u);
  }
  ASSERT_EQ(e.Points().Count(), 4);
  EXPECT_EQ(e.Points().Points(1)->FDwd.x, 11) << "relative to the selected vertex";
  EXPECT_EQ(e.Points().Points(1)->FDwd.y, 22);
  EXPECT_EQ(e.Points().Points(1)->FLx, blLine);
  EXPECT_EQ(e.Selected(), 1);
  e.Select(-1);
  e.Form().SetText("坐标类型：", "0");
  {
    auto answer = Point("100", "x");
    e.Form().Press("增加");
  }
  EXPECT_EQ(e.Points().Count(), 4) << "a number that does not parse changes nothing";
  {
    auto answer = Point("100", "200");
    e.Form().Press("增加");
  }
  ASSERT_EQ(e.Points().Count(), 5);
  EXPECT_EQ(e.Points().Points(4)->FDwd.y, 200) << "after the last without a selection";
  EXPECT_EQ(l->GetPointCount(), 3) << "the figure's own list is untouched";
}

TEST_F(PointListDialogTest, DeleteKeepsTwoVerticesAndEditRefusesARelativeStart) {
  auto* l = AddLine({{10, 20}, {30, 25}, {35, 45}});
  TEditPoints e(l->DDList(), *l);
  e.Select(1);
  e.Form().Press("删除");
  ASSERT_EQ(e.Points().Count(), 2);
  e.Select(0);
  e.Form().Press("删除");
  EXPECT_EQ(e.Points().Count(), 2) << "two vertices are the least";

  e.Form().SetText("坐标类型：", "1");
  e.Select(0);
  {
    TScriptedMessageAnswers messages({mrOk});
    auto answer = Point("1", "1");
    e.Form().Press("编辑");
    ASSERT_EQ(messages.Asked().size(), 1u);
    EXPECT_EQ(messages.Asked()[0].Text, "相对坐标起点不能编辑！");
    EXPECT_TRUE(answer.Captions.empty());
  }
  e.Select(1);
  {
    auto answer = Point("5", "-5");
    e.Form().Press("编辑");
  }
  EXPECT_EQ(e.Points().Points(1)->FDwd.x, 15);
  EXPECT_EQ(e.Points().Points(1)->FDwd.y, 15);
}

TEST_F(PointListDialogTest, UpAndDownSwapWithTheNeighbourAndTheSelectionFollows) {
  auto* l = AddLine({{1, 1}, {2, 2}, {3, 3}});
  TEditPoints e(l->DDList(), *l);
  e.Select(0);
  e.Form().Press("上移");
  EXPECT_EQ(e.Points().Points(0)->FDwd.x, 1) << "ignored at the top";
  e.Form().Press("下移");
  EXPECT_EQ(e.Points().Points(1)->FDwd.x, 1);
  EXPECT_EQ(e.Selected(), 1);
  e.Select(2);
  e.Form().Press("下移");
  EXPECT_EQ(e.Points().Points(2)->FDwd.x, 3) << "ignored at the bottom";
  e.Form().Press("上移");
  EXPECT_EQ(e.Points().Points(1)->FDwd.x, 3);
  EXPECT_EQ(e.Selected(), 1);
}

TEST_F(PointListDialogTest, TheLineDialogBrowsesEdgesAndMovesAnEndByLengthAndAngle) {
  auto* l = AddLine({{0, 0}, {100, 0}, {100, 50}});
  TP_MltLine dlg(*view, *l);
  TPropertyForm& f = dlg.Form();
  EXPECT_EQ(f.Caption(), "定义折线属性");
  EXPECT_EQ(f.Text(""), "共有 2 条边线");
  EXPECT_EQ(f.Text("边线："), "第 1 条边线");
  EXPECT_EQ(f.Text("线长："), "100.000");
  EXPECT_EQ(f.Text("总线长："), "150.000");
  f.Press("下一边线");
  EXPECT_EQ(f.Text("边线："), "第 2 条边线");
  EXPECT_EQ(f.Text("角度："), "90");
  f.Press("下一边线");
  EXPECT_EQ(f.Text("边线："), "第 1 条边线") << "wraps to the first";
  f.SetText("线长：", "0");
  f.SetText("线长：", "-3");
  EXPECT_EQ(dlg.Clone().Vertex(1).FDwd.x, 100) << "a length that is no distance changes nothing";
  f.SetText("线长：", "60");
  EXPECT_NEAR(dlg.Clone().Vertex(1).FDwd.x, 60, 1e-9);
  EXPECT_EQ(f.Text("终点:"), "X: 60.000");
  EXPECT_EQ(l->Vertex(1).FDwd.x, 100) << "only the clone until OK";
  f.SetText("弧线", "1");
  EXPECT_FALSE(f.IsEnabled(f.IndexOf("线长：")));
  f.SetText("半径：", "40");
  const int before = UndoCount();
  f.Accept();
  EXPECT_EQ(UndoCount(), before + 1);
  EXPECT_NEAR(l->Vertex(1).FDwd.x, 60, 1e-9);
  EXPECT_EQ(l->Vertex(0).FLx, blArc);
  EXPECT_NEAR(l->Vertex(0).FBj, 40, 1e-9);
  EXPECT_EQ(l->PWLine()[0].lx, blArc) << "the figure's edges are rebuilt";
}

TEST_F(PointListDialogTest, TheLineDialogTakesTheEditedVertexList) {
  auto* l = AddLine({{0, 0}, {100, 0}});
  TP_MltLine dlg(*view, *l);
  {
    // The point editor opens, adds a point after the last one, and is closed with OK.
    TFormAnswers answer([](TPropertyForm& f) {
      if (f.Caption() == "端点") {
        f.SetText("X：", "100");
        f.SetText("Y：", "100");
      } else {
        f.Press("增加");
      }
    });
    dlg.Form().Press("编辑端点");
  }
  EXPECT_EQ(dlg.Form().Text(""), "共有 2 条边线");
  dlg.Form().Accept();
  ASSERT_EQ(l->GetPointCount(), 3);
  EXPECT_EQ(l->Vertex(2).FDwd.y, 100);
}

TEST_F(PointListDialogTest, TheFreehandDialogRefusesASpacingOfNoDistance) {
  auto* l = AddFigure<TPenLine>();
  l->AddPoint({0, 0});
  l->AddPoint({50, 0});
  for (const char* gap : {"0", "-2", "x"}) {
    TP_PenLine dlg(*view, *l);
    TPropertyForm& f = dlg.Form();
    EXPECT_EQ(f.Caption(), "定义自由曲线属性");
    f.SetText("带斜线", "1");
    f.SetText("间距：", gap);
    f.SetText("长度1：", "33");
    f.Accept();
    EXPECT_EQ(l->FGap, 10) << gap;
    EXPECT_EQ(l->FLength1, 10) << "the update ended at the spacing, " << gap;
    EXPECT_TRUE(l->FXLine) << "what came before it is taken";
  }
  TP_PenLine dlg(*view, *l);
  dlg.Form().SetText("间距：", "7.5");
  dlg.Form().SetText("角度：", "45");
  dlg.Form().Accept();
  EXPECT_DOUBLE_EQ(l->FGap, 7.5);
  EXPECT_NEAR(l->FJd, std::numbers::pi / 4, 1e-12);
}
