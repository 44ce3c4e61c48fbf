// The main window's commands: the option dialogs fill from the environment
// and write back on OK, the drawing properties keep the sheet within bounds
// and mark the drawing modified, the new-drawing dialog offers the templates,
// the commands on the selection record one undo step, and the outside
// programs say when they are missing. No dialog is shown: forms are answered
// through the command form hook, input boxes through the input hook.

#include "AppTestSupport.h"

#include "app/Commands.h"
#include "app/LineDialogs.h"
#include "app/OptionDialogs.h"
#include "figures/Blocks.h"
#include "figures/WdbxShapes.h"
#include "platform/FileDialog.h"
#include "platform/System.h"

#include <QDialog>
#include <QFont>
#include <QListWidget>
#include <QPixmap>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

// Answers every input box with Text (or Cancel) and records the requests.
class TInputAnswer {
public:
  explicit TInputAnswer(std::string Text, bool Ok = true) {
    FPrevious = SetInputHook([this, Text, Ok](const TInputRequest& R, std::string& Out) {
      FAsked.push_back(R);
      Out = Text;
      return Ok;
    });
  }
  ~TInputAnswer() { SetInputHook(std::move(FPrevious)); }
  const std::vector<TInputRequest>& Asked() const { return FAsked; }

private:
  TInputHook FPrevious;
  std::vector<TInputRequest> FAsked;
};

// Answers the next command form: Fill sets the fields, then OK or Cancel.
class TFormAnswer {
public:
  TFormAnswer(std::function<void(TPropertyForm&)> Fill, bool Ok = true) {
    FPrevious = SetCommandFormHook([this, Fill, Ok](TPropertyForm& F) {
      ++FCount;
      FCaption = F.Caption();
      if (Fill) Fill(F);
      if (Ok) F.Accept();
      else F.Reject();
    });
  }
  ~TFormAnswer() { SetCommandFormHook(std::move(FPrevious)); }
  int Count() const { return FCount; }
  const std::string& Caption() const { return FCaption; }

private:
  TCommandFormHook FPrevious;
  int FCount = 0;
  std::string FCaption;
};

}  // namespace

class CommandsTest : public DialogTest {
protected:
  void SetUp() override {
    DialogTest::SetUp();
    oldDirSys = Dir_Sys;
    dir = fs::temp_directory_path() / ("plandeck_commands_" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    Dir_Sys = dir.string() + "/";
    oldLaunch = SetLaunchHook([this](const std::string& Path, bool IsProgram) {
      launched.emplace_back(Path, IsProgram);
      return true;
    });
  }
  void TearDown() override {
    SetLaunchHook(std::move(oldLaunch));
    SetScannerBackend(nullptr);
    Dir_Sys = oldDirSys;
    fs::remove_all(dir);
    DialogTest::TearDown();
  }

  TTxLine* AddLine() {
    auto* line = AddFigure<TTxLine>();
    line->FQd = {10, 20};
    line->FZd = {110, 20};
    line->Modified();
    return line;
  }
  TTxFRectangle* AddRectangle() {
    auto* r = AddFigure<TTxFRectangle>();
    const Tpt corners[2] = {{10, 10}, {60, 40}};
    r->CreateByRefPoint(corners);
    return r;
  }
  TArrowLine* AddArrowLine() {
    auto* line = AddFigure<TArrowLine>();
    line->SetQd({0, 0});
    line->SetZd({100, 0});
    return line;
  }
  static void Touch(const fs::path& P) { std::ofstream(P) << "x"; }

  fs::path dir;
  std::string oldDirSys;
  TLaunchHook oldLaunch;
  std::vector<std::pair<std::string, bool>> launched;
};

// ---- the shared form's list field

TEST_F(CommandsTest, ListFieldReportsTheSelectedRowOrNone) {
  TFormDef d;
  d.Caption = "列表";
  int chosen = 7;
  d.Fields.push_back({TFieldKind::List, "模板：", "", {"a.GCK", "b.GCK"}, [] { return std::string("-1"); },
                      [&chosen](const std::string& v) { chosen = std::stoi(v); }, nullptr});
  TPropertyForm f(std::move(d));
  EXPECT_EQ(f.Text("模板："), "-1");
  f.SetText("模板：", "1");
  EXPECT_EQ(f.Text("模板："), "1");
  EXPECT_EQ(static_cast<QListWidget*>(f.Control(0))->count(), 2);
  f.SetText("模板：", "-1");
  EXPECT_EQ(f.Text("模板："), "-1");
  f.SetText("模板：", "0");
  f.Accept();
  EXPECT_EQ(chosen, 0);
}

// ---- 环境选项

TEST_F(CommandsTest, EnvironmentDialogShowsTheEnvironment) {
  env.FCursorLx = 1;
  env.FSelectMode = 1;
  env.FOffsetX = 3;
  env.FOffsetY = 4;
  env.FDeleteConfirm = false;
  env.FViewBackColor = 0x00FF00;
  env.FCursorPenStyle = psDot;
  env.FUndoCount = 9;
  env.FDefaultWidth = 594;
  env.FDefaultHeight = 420.5;
  TEnvironmentDialog dlg(env);
  TPropertyForm& f = dlg.Form();
  EXPECT_EQ(f.Caption(), "环境选项");
  EXPECT_EQ(f.Text("光标类型:"), "1");
  EXPECT_EQ(f.Text("图形选择方式："), "1");
  EXPECT_EQ(f.Text("X："), "3");
  EXPECT_EQ(f.Text("Y："), "4");
  EXPECT_EQ(f.Text("新建工程时弹出对话框"), "1");
  EXPECT_EQ(f.Text("删除图形前询问"), "0");
  EXPECT_EQ(f.Text("允许实时拖动图形"), "1");
  EXPECT_EQ(f.Text("视口背景色："), std::to_string(0x00FF00));
  EXPECT_EQ(f.Text("光标线型："), "2");
  EXPECT_EQ(f.Text("允许撤消步数："), "9");
  EXPECT_EQ(f.Text("宽度："), "594");
  EXPECT_EQ(f.Text("高度："), "420.5");
  const auto groups = f.Groups();
  EXPECT_NE(std::find(groups.begin(), groups.end(), "最小偏移量："), groups.end());
  EXPECT_NE(std::find(groups.begin(), groups.end(), "默认图形范围："), groups.end());
}

TEST_F(CommandsTest, EnvironmentOptionsWriteBackOnOk) {
  TFormAnswer answer([](TPropertyForm& f) {
    f.SetText("光标类型:", "1");
    f.SetText("图形选择方式：", "1");
    f.SetText("X：", "5");
    f.SetText("Y：", "6");
    f.SetText("新建工程时弹出对话框", "0");
    f.SetText("删除图形前询问", "0");
    f.SetText("允许实时拖动图形", "0");
    f.SetText("视口背景色：", "255");
    f.SetText("光标线型：", "1");
    f.SetText("允许撤消步数：", "12");
    f.SetText("宽度：", "841");
    f.SetText("高度：", "594");
  });
  ASSERT_TRUE(EnvironmentOptionsCommand());
  EXPECT_EQ(answer.Caption(), "环境选项");
  EXPECT_EQ(env.FCursorLx, 1);
  EXPECT_EQ(env.FSelectMode, 1);
  EXPECT_EQ(env.FOffsetX, 5);
  EXPECT_EQ(env.FOffsetY, 6);
  EXPECT_FALSE(env.FShowNewDialog);
  EXPECT_FALSE(env.FDeleteConfirm);
  EXPECT_FALSE(env.FAllowMove);
  EXPECT_EQ(env.FViewBackColor, 255u);
  EXPECT_EQ(env.FCursorPenStyle, psDash);
  EXPECT_EQ(env.FUndoCount, 12);
  EXPECT_EQ(env.FDefaultWidth, 841.0);
  EXPECT_EQ(env.FDefaultHeight, 594.0);
}

TEST_F(CommandsTest, EnvironmentOffsetsAreRaisedToAtLeastOne) {
  env.FOffsetX = 4;
  TFormAnswer answer([](TPropertyForm& f) {
    f.SetText("X：", "0");
    f.SetText("Y：", "-5");
  });
  ASSERT_TRUE(EnvironmentOptionsCommand());
  EXPECT_EQ(env.FOffsetX, 1);
  EXPECT_EQ(env.FOffsetY, 1);
}

TEST_F(CommandsTest, EnvironmentValuesThatAreNotNumbersKeepTheOldOnes) {
  TFormAnswer answer([](TPropertyForm& f) {
    f.SetText("宽度：", "宽");
    f.SetText("高度：", "");
    f.SetText("允许撤消步数：", "x");
    f.SetText("X：", "1,5");
    f.SetText("光标类型:", "1");
  });
  ASSERT_TRUE(EnvironmentOptionsCommand());
  EXPECT_EQ(env.FDefaultWidth, 420.0);
  EXPECT_EQ(env.FDefaultHeight, 297.0);
  EXPECT_EQ(env.FUndoCount, 5);
  EXPECT_EQ(env.FOffsetX, 1);
  // The rest still goes in.
  EXPECT_EQ(env.FCursorLx, 1);
}

TEST_F(CommandsTest, EnvironmentRefusesAnEmptyDefaultSizeAndANegativeUndoLimit) {
  TFormAnswer answer([](TPropertyForm& f) {
    f.SetText("宽度：", "0");
    f.SetText("高度：", "-297");
    f.SetText("允许撤消步数：", "-1");
  });
  ASSERT_TRUE(EnvironmentOptionsCommand());
  EXPECT_EQ(env.FDefaultWidth, 420.0);
  EXPECT_EQ(env.FDefaultHeight, 297.0);
  EXPECT_EQ(env.FUndoCount, 5);
}

TEST_F(CommandsTest, EnvironmentCancelChangesNothing) {
  TFormAnswer answer([](TPropertyForm& f) { f.SetText("光标类型:", "1"); }, false);
  EXPECT_FALSE(EnvironmentOptionsCommand());
  EXPECT_EQ(env.FCursorLx, 0);
}

// ---- 设置端点捕捉

TEST_F(CommandsTest, SnapDialogShowsKindsColourAndTheRadiusDoubled) {
  env.FPointLxSet = std::uint8_t(PointLxBit(plEndPoint) | PointLxBit(plNearest));
  env.FCaptureColor = 0x123456;
  env.FCaptureBj = 8;
  TSnapOptionsDialog dlg(env);
  TPropertyForm& f = dlg.Form();
  EXPECT_EQ(f.Caption(), "设置端点捕捉");
  EXPECT_EQ(f.Text("端点"), "1");
  EXPECT_EQ(f.Text("中点"), "0");
  EXPECT_EQ(f.Text("圆心"), "0");
  EXPECT_EQ(f.Text("线上点"), "1");
  EXPECT_EQ(f.Text("圆切点"), "0");
  EXPECT_EQ(f.Text("颜色："), std::to_string(0x123456));
  EXPECT_EQ(f.Text("捕捉范围："), "16");
}

TEST_F(CommandsTest, SnapOptionsSetTheKindsAndHalveTheTrackBar) {
  env.FPointLxSet = std::uint8_t(PointLxBit(plEndPoint));
  TFormAnswer answer([](TPropertyForm& f) {
    f.SetText("端点", "0");
    f.SetText("中点", "1");
    f.SetText("圆心", "1");
    f.SetText("圆切点", "1");
    f.SetText("颜色：", "65280");
    f.SetText("捕捉范围：", "7");
  });
  ASSERT_TRUE(SnapOptionsCommand());
  EXPECT_EQ(env.FPointLxSet, PointLxBit(plMidPoint) | PointLxBit(plCenter) | PointLxBit(plTangent));
  EXPECT_EQ(env.FCaptureColor, 65280u);
  EXPECT_EQ(env.FCaptureBj, 4);  // round(3.5)
}

TEST_F(CommandsTest, SnapRadiusRoundsHalvesToEvenAndNeverReachesZero) {
  {
    TFormAnswer answer([](TPropertyForm& f) { f.SetText("捕捉范围：", "5"); });
    ASSERT_TRUE(SnapOptionsCommand());
    EXPECT_EQ(env.FCaptureBj, 2);  // round(2.5), halves to even
  }
  {
    TFormAnswer answer([](TPropertyForm& f) { f.SetText("捕捉范围：", "0"); });
    ASSERT_TRUE(SnapOptionsCommand());
    EXPECT_EQ(env.FCaptureBj, 1);
  }
}

// ---- 定义图形属性

class DrawingPropertiesTest : public CommandsTest {
protected:
  TTxFigureSet& Root() { return *doc.FFigures; }
  void SetSheet(double W, double H) {
    Root().SetWidth(W);
    Root().SetHeight(H);
  }
};

TEST_F(DrawingPropertiesTest, DialogShowsTheRootsFields) {
  SetSheet(400, 300);
  Root().FScale = 2;
  Root().FAbsx = 12.5;
  Root().FGridPen.Color = 0xE8E4E8;
  Root().FGridPen.Style = psDot;
  TDrawingPropertiesDialog dlg(Root());
  TPropertyForm& f = dlg.Form();
  EXPECT_EQ(f.Caption(), "定义图形属性");
  EXPECT_EQ(f.Text("X："), "12.500");
  EXPECT_EQ(f.Text("宽度："), "400.000");
  EXPECT_EQ(f.Text("高度："), "300.000");
  EXPECT_EQ(f.Text("缩放系数："), "2.00000");
  EXPECT_EQ(f.Text("间距X："), "30.000");
  EXPECT_EQ(f.Text("显示网格线"), "1");
  EXPECT_EQ(f.Text("网格颜色："), std::to_string(0xE8E4E8));
  EXPECT_EQ(f.Text("网格线型："), "2");
  EXPECT_EQ(f.Text("背景颜色："), std::to_string(0xFFFFFF));
  // The grid style choices are the pen style names of the figures.
  auto* combo = f.Control(f.IndexOf("网格线型："));
  ASSERT_NE(combo, nullptr);
}

TEST_F(DrawingPropertiesTest, ScaleIsBoundSoTheSheetSpans100To10000Units) {
  SetSheet(400, 300);
  struct {
    const char* Typed;
    double Expected;
  } cases[] = {{"100", 25.0}, {"0.1", 100.0 / 300}, {"10", 10.0}, {"30", 25.0}};
  for (const auto& c : cases) {
    TFormAnswer answer([&c](TPropertyForm& f) { f.SetText("缩放系数：", c.Typed); });
    ASSERT_TRUE(DrawingPropertiesCommand(*view));
    EXPECT_DOUBLE_EQ(Root().FScale, c.Expected) << c.Typed;
  }
}

TEST_F(DrawingPropertiesTest, OkMarksTheDrawingModifiedAndLeavesNoChangingFlag) {
  SetSheet(400, 300);
  ASSERT_FALSE(doc.GetModifiedFlag());
  TFormAnswer answer([](TPropertyForm& f) {
    f.SetText("背景颜色：", "255");
    f.SetText("宽度：", "500");
    f.SetText("间距X：", "40");
  });
  ASSERT_TRUE(DrawingPropertiesCommand(*view));
  EXPECT_EQ(Root().FBackColor, 255u);
  EXPECT_DOUBLE_EQ(Root().GetWidth(), 500.0);
  EXPECT_DOUBLE_EQ(Root().FGridWidth, 40.0);
  EXPECT_TRUE(doc.GetModifiedFlag());
  EXPECT_FALSE(Root().FChanging);
  EXPECT_EQ(Root().FViewState, vsDraw);
}

TEST_F(DrawingPropertiesTest, AFieldThatDoesNotConvertEndsTheUpdateThere) {
  SetSheet(400, 300);
  Root().FScale = 1;
  TFormAnswer answer([](TPropertyForm& f) {
    f.SetText("X：", "7");
    f.SetText("宽度：", "宽");
    f.SetText("高度：", "600");
    f.SetText("缩放系数：", "2");
  });
  ASSERT_TRUE(DrawingPropertiesCommand(*view));
  EXPECT_DOUBLE_EQ(Root().FAbsx, 7.0);
  EXPECT_DOUBLE_EQ(Root().GetWidth(), 400.0);
  EXPECT_DOUBLE_EQ(Root().GetHeight(), 300.0);
  EXPECT_DOUBLE_EQ(Root().FScale, 1.0);
}

TEST_F(DrawingPropertiesTest, CancelLeavesTheDrawingUnmodified) {
  SetSheet(400, 300);
  TFormAnswer answer([](TPropertyForm& f) { f.SetText("宽度：", "800"); }, false);
  EXPECT_FALSE(DrawingPropertiesCommand(*view));
  EXPECT_DOUBLE_EQ(Root().GetWidth(), 400.0);
  EXPECT_FALSE(doc.GetModifiedFlag());
}

TEST_F(DrawingPropertiesTest, RegisteredAsTheRootsPropertyEditorWithTheLineDialogs) {
  RegisterPropertyDialogs();
  EXPECT_NE(FindPropertyEditor(TTxLine::StaticClass()), nullptr);
  EXPECT_NE(FindPropertyEditor(TArrowLine::StaticClass()), nullptr);
  EXPECT_NE(FindPropertyEditor(TConstructionLine::StaticClass()), nullptr);
  SetSheet(400, 300);
  Root().FViewState = vsPrint;
  TFormAnswer answer([](TPropertyForm& f) { f.SetText("高度：", "350"); });
  Root().EditProperties(view.get());
  EXPECT_EQ(answer.Caption(), "定义图形属性");
  EXPECT_DOUBLE_EQ(Root().GetHeight(), 350.0);
  EXPECT_EQ(Root().FViewState, vsDraw);
}

// ---- 新建工程

TEST_F(CommandsTest, NewDrawingDialogReturnsTheTypedNameAndSize) {
  TNewDrawingChoice c{"NONAME1", 420, 297, {}};
  TFormAnswer answer([](TPropertyForm& f) {
    EXPECT_EQ(f.Text("名称："), "NONAME1");
    EXPECT_EQ(f.Text("宽度："), "420");
    EXPECT_EQ(f.Text("高度："), "297");
    EXPECT_EQ(f.Text("下次不显示此对话框"), "0");
    f.SetText("名称：", "总平面");
    f.SetText("宽度：", "594");
    f.SetText("下次不显示此对话框", "1");
  });
  ASSERT_TRUE(NewDrawingDialog(c));
  EXPECT_EQ(answer.Caption(), "新建工程");
  EXPECT_EQ(c.Name, "总平面");
  EXPECT_EQ(c.Width, 594.0);
  EXPECT_EQ(c.Height, 297.0);
  EXPECT_TRUE(c.TemplateFile.empty());
  EXPECT_FALSE(env.FShowNewDialog);
}

TEST_F(CommandsTest, NewDrawingOffersTheGckFilesOfTheDrawingFolder) {
  const fs::path folder = dir / fs::path("平面图文件");
  fs::create_directories(folder);
  Touch(folder / "b.gck");
  Touch(folder / "a.GCK");
  Touch(folder / "notes.txt");
  EXPECT_EQ(NewDrawingTemplates(folder.string()), (std::vector<std::string>{"a.GCK", "b.gck"}));
  TNewDrawingChoice c{"NONAME1", 420, 297, {}};
  TFormAnswer answer([](TPropertyForm& f) { f.SetText("模板：", "1"); });
  ASSERT_TRUE(NewDrawingDialog(c));
  EXPECT_EQ(fs::path(c.TemplateFile), folder / "b.gck");
  EXPECT_EQ(c.Name, "NONAME1");
}

TEST_F(CommandsTest, NewDrawingWithoutTheFolderOffersNoTemplate) {
  EXPECT_TRUE(NewDrawingTemplates((dir / "missing").string()).empty());
  env.FShowNewDialog = false;
  TNewDrawingChoice c{"NONAME2", 420, 297, {}};
  TFormAnswer answer([](TPropertyForm& f) { EXPECT_EQ(f.Text("下次不显示此对话框"), "1"); });
  ASSERT_TRUE(NewDrawingDialog(c));
  EXPECT_TRUE(c.TemplateFile.empty());
  EXPECT_FALSE(env.FShowNewDialog);
}

TEST_F(CommandsTest, NewDrawingWithAnUnreadableOrEmptySizeCreatesNothing) {
  for (const char* typed : {"abc", "0", "-10"}) {
    TNewDrawingChoice c{"NONAME1", 420, 297, {}};
    TFormAnswer answer([typed](TPropertyForm& f) { f.SetText("高度：", typed); });
    EXPECT_FALSE(NewDrawingDialog(c)) << typed;
    EXPECT_EQ(c.Height, 297.0);
  }
  TNewDrawingChoice c{"NONAME1", 420, 297, {}};
  TFormAnswer cancel(nullptr, false);
  EXPECT_FALSE(NewDrawingDialog(c));
}

// ---- scale and line width

TEST_F(CommandsTest, ScaleMultipliesTheSelectionAndOneUndoRestoresIt) {
  auto* a = AddLine();
  auto* b = AddLine();
  b->SetScale(2);
  view->Select(a, true);
  view->Select(b, true);
  const int before = UndoCount();
  TInputAnswer input("1.5");
  ScaleSelectionCommand(*view);
  ASSERT_EQ(input.Asked().size(), 1u);
  EXPECT_EQ(input.Asked()[0].Caption, "输入");
  EXPECT_EQ(input.Asked()[0].Prompt, "请输入缩放系数:");
  EXPECT_EQ(input.Asked()[0].Value, "");
  EXPECT_DOUBLE_EQ(a->GetScale(), 1.5);
  EXPECT_DOUBLE_EQ(b->GetScale(), 3.0);
  EXPECT_TRUE(doc.GetModifiedFlag());
  ASSERT_EQ(UndoCount(), before + 1);
  EXPECT_EQ(doc.FFigures->UndoItem(UndoCount() - 1)->FOperationVerb, ovEdit);
  view->Undo();
  EXPECT_DOUBLE_EQ(a->GetScale(), 1.0);
  EXPECT_DOUBLE_EQ(b->GetScale(), 2.0);
}

TEST_F(CommandsTest, ScaleRefusesTextZeroAndNegativeFactorsSilently) {
  auto* a = AddLine();
  view->Select(a, true);
  const int before = UndoCount();
  for (const char* typed : {"", "abc", "0", "-2"}) {
    TScopedMessageAnswer msg(mrOk);
    TInputAnswer input(typed);
    ScaleSelectionCommand(*view);
    EXPECT_TRUE(msg.Asked().empty()) << typed;
  }
  EXPECT_DOUBLE_EQ(a->GetScale(), 1.0);
  EXPECT_EQ(UndoCount(), before);
  EXPECT_FALSE(doc.GetModifiedFlag());
}

TEST_F(CommandsTest, SelectionCommandsDoNothingWithoutASelection) {
  AddLine();
  TInputAnswer input("2");
  ScaleSelectionCommand(*view);
  LineWidthCommand(*view);
  PenColorCommand(*view, 255u);
  EXPECT_TRUE(input.Asked().empty());
  EXPECT_EQ(UndoCount(), 0);
  EXPECT_FALSE(HasSelectedFigure(*view));
}

TEST_F(CommandsTest, LineWidthSetsThePenWidthAndOneUndoRestoresIt) {
  auto* a = AddLine();
  view->Select(a, true);
  const int before = UndoCount();
  TInputAnswer input("4");
  LineWidthCommand(*view);
  ASSERT_EQ(input.Asked().size(), 1u);
  EXPECT_EQ(input.Asked()[0].Caption, "请求数据");
  EXPECT_EQ(input.Asked()[0].Prompt, "请输入线宽：");
  EXPECT_EQ(input.Asked()[0].Value, "1");
  EXPECT_EQ(a->FPen.Width, 4);
  EXPECT_TRUE(doc.GetModifiedFlag());
  ASSERT_EQ(UndoCount(), before + 1);
  view->Undo();
  EXPECT_EQ(a->FPen.Width, 1);
}

TEST_F(CommandsTest, LineWidthThatIsNotAWholeNumberSaysWrongFormat) {
  auto* a = AddLine();
  view->Select(a, true);
  for (const char* typed : {"2.5", "宽", "-3"}) {
    TScopedMessageAnswer msg(mrOk);
    TInputAnswer input(typed);
    LineWidthCommand(*view);
    ASSERT_EQ(msg.Asked().size(), 1u) << typed;
    EXPECT_EQ(msg.Asked()[0].Text, "错误的数据格式！");
  }
  EXPECT_EQ(a->FPen.Width, 1);
  EXPECT_EQ(UndoCount(), 0);
  EXPECT_FALSE(doc.GetModifiedFlag());
}

TEST_F(CommandsTest, LineWidthCancelledAsksNothingMore) {
  auto* a = AddLine();
  view->Select(a, true);
  TScopedMessageAnswer msg(mrOk);
  TInputAnswer input("7", false);
  LineWidthCommand(*view);
  EXPECT_TRUE(msg.Asked().empty());
  EXPECT_EQ(a->FPen.Width, 1);
}

// ---- colours

TEST_F(CommandsTest, PenColourNoColourClearsThePenAndAColourBringsItBack) {
  auto* a = AddLine();
  auto* b = AddLine();
  view->Select(a, true);
  view->Select(b, true);
  PenColorCommand(*view, std::nullopt);
  EXPECT_EQ(a->FPen.Style, psClear);
  EXPECT_EQ(b->FPen.Style, psClear);
  EXPECT_EQ(SelectionPenColor(*view), std::nullopt);
  EXPECT_EQ(UndoCount(), 1);
  EXPECT_TRUE(doc.GetModifiedFlag());
  PenColorCommand(*view, 0x0000FFu);
  EXPECT_EQ(a->FPen.Style, psSolid);
  EXPECT_EQ(a->FPen.Color, 0x0000FFu);
  EXPECT_EQ(SelectionPenColor(*view), 0x0000FFu);
  // A dashed pen keeps its dashes under a new colour.
  a->FPen.Style = psDash;
  PenColorCommand(*view, 0x00FF00u);
  EXPECT_EQ(a->FPen.Style, psDash);
  view->Undo();
  EXPECT_EQ(a->FPen.Color, 0x0000FFu);
}

TEST_F(CommandsTest, FillColourNoColourClearsTheBrushAndAColourFillsIt) {
  auto* a = AddLine();
  view->Select(a, true);
  FillColorCommand(*view, 0x112233u);
  EXPECT_EQ(a->FBrush.Style, bsSolid);
  EXPECT_EQ(a->FBrush.Color, 0x112233u);
  EXPECT_EQ(SelectionFillColor(*view), 0x112233u);
  FillColorCommand(*view, std::nullopt);
  EXPECT_EQ(a->FBrush.Style, bsClear);
  EXPECT_EQ(SelectionFillColor(*view), std::nullopt);
  a->FBrush.Style = bsCross;
  FillColorCommand(*view, 0x445566u);
  EXPECT_EQ(a->FBrush.Style, bsCross);
}

TEST_F(CommandsTest, FontColourReachesOnlyTextBearingFigures) {
  auto* line = AddLine();
  auto* dim = AddArrowLine();
  view->Select(dim, true);
  view->Select(line, true);
  const COLORREF linePen = line->FPen.Color;
  FontColorCommand(*view, 0x0000FFu);
  EXPECT_EQ(dim->FFont->FColor, 0x0000FFu);
  EXPECT_EQ(line->FPen.Color, linePen);
  EXPECT_EQ(TextFontOf(*line), nullptr);
  EXPECT_EQ(SelectionFontColor(*view), 0x0000FFu);
  // Only the line selected: no font to show, and nothing to record.
  view->Select(line, false);
  EXPECT_EQ(SelectionFontColor(*view), std::nullopt);
  doc.SetModifiedFlag(false);
  FontColorCommand(*view, 0x00FF00u);
  EXPECT_EQ(UndoCount(), 0);
  EXPECT_FALSE(doc.GetModifiedFlag());
}

// ---- pen style, fill and font

TEST_F(CommandsTest, PenStyleDialogOffersTheLineDialogsStylesAndSetsTheChoice) {
  auto* a = AddLine();
  auto* b = AddLine();
  a->FPen.Style = psDot;
  view->Select(a, true);
  view->Select(b, true);
  TFormAnswer answer([](TPropertyForm& f) {
    EXPECT_EQ(f.Text("线型："), "2");
    f.SetText("线型：", "3");
  });
  PenStyleCommand(*view);
  EXPECT_EQ(answer.Caption(), "线条样式");
  EXPECT_EQ(a->FPen.Style, psDashDot);
  EXPECT_EQ(b->FPen.Style, psDashDot);
  EXPECT_EQ(UndoCount(), 1);
  view->Undo();
  EXPECT_EQ(a->FPen.Style, psDot);
  TPenStyleDialog dlg(0);
  EXPECT_EQ(PenStyleNames().size(), 7u);
  EXPECT_EQ(PenStyleNames()[5], "空线");
}

TEST_F(CommandsTest, PenStyleCancelChangesNothing) {
  auto* a = AddLine();
  view->Select(a, true);
  TFormAnswer answer([](TPropertyForm& f) { f.SetText("线型：", "1"); }, false);
  PenStyleCommand(*view);
  EXPECT_EQ(a->FPen.Style, psSolid);
  EXPECT_EQ(UndoCount(), 0);
}

TEST_F(CommandsTest, FillOnALineFigureSaysOnlyClosedFiguresTakeIt) {
  auto* a = AddLine();
  view->Select(a, true);
  TScopedMessageAnswer msg(mrOk);
  FillCommand(*view);
  ASSERT_EQ(msg.Asked().size(), 1u);
  EXPECT_EQ(msg.Asked()[0].Text, "只有封闭图形才能执行该操作！");
  EXPECT_EQ(UndoCount(), 0);
  EXPECT_FALSE(IsClosedFigure(*a));
}

TEST_F(CommandsTest, FillSetsTheChosenSystemBrushOnEveryClosedFigureInOneStep) {
  auto* a = AddRectangle();
  auto* b = AddRectangle();
  a->FBrush = {0x00FF00u, bsCross};
  view->Select(a, true);
  view->Select(b, true);
  TFormAnswer answer([](TPropertyForm& f) {
    EXPECT_EQ(f.Text("样式："), "6");  // the first figure's style
    f.SetText("样式：", "2");
    f.SetText("其它颜色...", "255");
  });
  FillCommand(*view);
  EXPECT_EQ(answer.Caption(), "定义填充");
  for (auto* r : {a, b}) {
    EXPECT_EQ(r->FBrush.Style, bsHorizontal);
    EXPECT_EQ(r->FBrush.Color, 255u);
  }
  EXPECT_EQ(UndoCount(), 1);
  EXPECT_TRUE(doc.GetModifiedFlag());
  view->Undo();
  EXPECT_EQ(a->FBrush.Style, bsCross);
  EXPECT_EQ(a->FBrush.Color, 0x00FF00u);
}

TEST_F(CommandsTest, FillKeepsAPatternBlockOnlyWhileItsChoiceStaysAndTheDefaultColourIsWhite) {
  auto* a = AddRectangle();
  auto* b = AddRectangle();
  TTxBlock pattern;
  pattern.InitialParas(10, 10);
  a->SetFillItem(&pattern);
  view->Select(a, true);
  view->Select(b, true);
  {
    TFormAnswer keep([](TPropertyForm& f) { EXPECT_EQ(f.Text("样式："), "8"); });
    FillCommand(*view);
  }
  ASSERT_NE(b->FFillItem, nullptr);
  EXPECT_NE(b->FFillItem.get(), a->FFillItem.get());
  EXPECT_DOUBLE_EQ(b->FFillItem->GetWidth(), a->FFillItem->GetWidth());
  {
    TFormAnswer clear([](TPropertyForm& f) {
      f.SetText("样式：", "0");
      f.SetText("其它颜色...", "255");
      f.Press("缺省颜色");
    });
    FillCommand(*view);
  }
  for (auto* r : {a, b}) {
    EXPECT_EQ(r->FFillItem, nullptr);
    EXPECT_EQ(r->FBrush.Style, bsSolid);
    EXPECT_EQ(r->FBrush.Color, clWhite);
  }
  EXPECT_TRUE(IsClosedFigure(*a));
}

TEST_F(CommandsTest, FontDialogStartsAtTheSizeOnTheSheetAndSetsEveryTextFigure) {
  auto* first = AddArrowLine();
  auto* second = AddArrowLine();
  first->SetScale(2);
  first->FFont->FHeight = 11;
  first->FFont->FColor = 0x0000FFu;
  view->Select(first, true);
  view->Select(second, true);
  int shownSize = 0;
  const TFontDialogHook old = SetFontDialogHook([&shownSize](QFont& f) {
    shownSize = f.pixelSize();
    f.setPixelSize(30);
    f.setBold(true);
    return true;
  });
  FontCommand(*view);
  SetFontDialogHook(old);
  EXPECT_EQ(shownSize, 22);
  EXPECT_DOUBLE_EQ(first->FFont->FHeight, 15.0);  // stored in the figure's own scale
  EXPECT_DOUBLE_EQ(second->FFont->FHeight, 30.0);
  EXPECT_EQ(first->FFont->FStyle, 1);
  EXPECT_EQ(first->FFont->FColor, 0x0000FFu);
  EXPECT_EQ(UndoCount(), 1);
  EXPECT_TRUE(doc.GetModifiedFlag());
  view->Undo();
  EXPECT_DOUBLE_EQ(first->FFont->FHeight, 11.0);
}

TEST_F(CommandsTest, AFontWhoseNameHasNoGbkFormIsRefused) {
  auto* dim = AddArrowLine();
  view->Select(dim, true);
  const std::string face = dim->FFont->FName;
  const TFontDialogHook old = SetFontDialogHook([](QFont& f) {
    f.setFamily(QString::fromUtf8("\xED\x95\x9C\xEA\xB8\x80"));  // Hangul, which GBK lacks
    f.setPixelSize(30);
    return true;
  });
  TScopedMessageAnswer msg(mrOk);
  FontCommand(*view);
  SetFontDialogHook(old);
  ASSERT_EQ(msg.Asked().size(), 1u);
  EXPECT_NE(msg.Asked()[0].Text.find("没有GBK编码"), std::string::npos);
  EXPECT_EQ(dim->FFont->FName, face);
  EXPECT_EQ(UndoCount(), 0);
}

TEST_F(CommandsTest, FontDialogCancelledOrWithoutTextFigureChangesNothing) {
  auto* line = AddLine();
  view->Select(line, true);
  int asked = 0;
  const TFontDialogHook old = SetFontDialogHook([&asked](QFont&) {
    ++asked;
    return false;
  });
  FontCommand(*view);
  EXPECT_EQ(asked, 0);
  auto* dim = AddArrowLine();
  view->Select(dim, true);
  const double h = dim->FFont->FHeight;
  FontCommand(*view);
  SetFontDialogHook(old);
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(dim->FFont->FHeight, h);
  EXPECT_EQ(UndoCount(), 0);
}

// ---- outside programs

TEST_F(CommandsTest, BlockEditorMissingSaysItIsNotInstalled) {
  TScopedMessageAnswer msg(mrOk);
  StartBlockForge();
  ASSERT_EQ(msg.Asked().size(), 1u);
  EXPECT_NE(msg.Asked()[0].Text.find("元件编辑器"), std::string::npos);
  EXPECT_NE(msg.Asked()[0].Text.find("BlockForge.Exe"), std::string::npos);
  EXPECT_TRUE(launched.empty());
}

TEST_F(CommandsTest, BlockEditorPresentIsStartedWithoutWaiting) {
  Touch(dir / "BlockForge.Exe");
  TScopedMessageAnswer msg(mrOk);
  StartBlockForge();
  EXPECT_TRUE(msg.Asked().empty());
  ASSERT_EQ(launched.size(), 1u);
  EXPECT_EQ(launched[0].first, Dir_Sys + "BlockForge.Exe");
  EXPECT_TRUE(launched[0].second);
}

TEST_F(CommandsTest, BlockEditorThatWillNotStartIsReported) {
  Touch(dir / "BlockForge.Exe");
  SetLaunchHook([](const std::string&, bool) { return false; });
  TScopedMessageAnswer msg(mrOk);
  StartBlockForge();
  ASSERT_EQ(msg.Asked().size(), 1u);
  EXPECT_NE(msg.Asked()[0].Text.find("无法启动"), std::string::npos);
}

TEST_F(CommandsTest, HelpFileMissingSaysWhichFileIsMissing) {
  TScopedMessageAnswer msg(mrOk);
  OpenHelpFile();
  ASSERT_EQ(msg.Asked().size(), 1u);
  EXPECT_NE(msg.Asked()[0].Text.find("帮助文件"), std::string::npos);
  EXPECT_NE(msg.Asked()[0].Text.find("Plandeck.html"), std::string::npos);
  EXPECT_TRUE(launched.empty());
}

TEST_F(CommandsTest, HelpFileIsOpenedAsADocument) {
  Touch(dir / "Plandeck.hlp");
  EXPECT_EQ(FindHelpFile(), Dir_Sys + "Plandeck.hlp");
  Touch(dir / "Plandeck.html");
  TScopedMessageAnswer msg(mrOk);
  OpenHelpFile();
  EXPECT_TRUE(msg.Asked().empty());
  ASSERT_EQ(launched.size(), 1u);
  EXPECT_EQ(launched[0].first, Dir_Sys + "Plandeck.html");
  EXPECT_FALSE(launched[0].second);
}

namespace {

class TFakeScanner : public TScannerBackend {
public:
  explicit TFakeScanner(bool Produce) : FProduce(Produce) {}
  bool ScanToJpeg(const std::string& Dest) override {
    if (FProduce) std::ofstream(fs::path(Dest)) << "\xFF\xD8\xFF\xD9";
    return FProduce;
  }

private:
  bool FProduce;
};

}  // namespace

TEST_F(CommandsTest, ScanningFailsWithoutABackendAndWorksThroughOne) {
  const std::string dest = Dir_Sys + "Temp.jpg";
  EXPECT_FALSE(ScanPicture(dest));
  SetScannerBackend(std::make_unique<TFakeScanner>(false));
  EXPECT_FALSE(ScanPicture(dest));
  EXPECT_FALSE(fs::exists(dest));
  SetScannerBackend(std::make_unique<TFakeScanner>(true));
  EXPECT_TRUE(ScanPicture(dest));
  EXPECT_TRUE(fs::exists(dest));
}

// ---- the dialogs render with their Chinese labels

TEST_F(CommandsTest, EveryDialogRenders) {
  doc.FFigures->SetWidth(420);
  doc.FFigures->SetHeight(297);
  TNewDrawingChoice c{"NONAME1", 420, 297, {}};
  TEnvironmentDialog envDlg(env);
  TSnapOptionsDialog snapDlg(env);
  TNewDrawingDialog newDlg(c, env, Dir_Sys);
  TDrawingPropertiesDialog propDlg(*doc.FFigures);
  TPenStyleDialog penDlg(0);
  const std::pair<const char*, TPropertyForm*> forms[] = {{"environment", &envDlg.Form()},
                                                          {"snap", &snapDlg.Form()},
                                                          {"newdrawing", &newDlg.Form()},
                                                          {"drawingprops", &propDlg.Form()},
                                                          {"penstyle", &penDlg.Form()}};
  const char* shots = std::getenv("PLANDECK_DIALOG_SHOTS");
  for (const auto& [name, form] : forms) {
    form->Dialog().adjustSize();
    const QPixmap p = form->Dialog().grab();
    EXPECT_FALSE(p.isNull()) << name;
    EXPECT_GT(p.width(), 100) << name;
    if (shots) p.save(QString::fromStdString(std::string(shots) + "/b2_" + name + ".png"));
  }
}
