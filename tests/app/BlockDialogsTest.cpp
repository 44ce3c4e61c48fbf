// Blocks, child drawings and point markers in the editor: their property
// dialogs (shown values, OK in order with one undo step, a bad value ending
// the update), making a block from the selection with and without its
// sources, inserting a drawing file as a child drawing, and the main
// window's commands and point tool.

#include "AppTestSupport.h"
#include "ScriptedAnswers.h"

#include "app/BlockDialogs.h"
#include "app/Commands.h"
#include "app/MainForm.h"
#include "figures/LineFigures.h"
#include "tools/ToolList.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QImage>
#include <QMdiArea>
#include <QMouseEvent>
#include <QPixmap>
#include <QSettings>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdlib>
#include <fstream>

namespace {

bool Has(const std::vector<std::string>& Labels, const std::string& L) {
  return std::find(Labels.begin(), Labels.end(), L) != Labels.end();
}

bool Contains(const std::string& Text, const std::string& Part) { return Text.find(Part) != std::string::npos; }

// Saves a dialog's picture when PLANDECK_BLOCK_SHOTS names a folder.
void Shot(QWidget& W, const char* Name) {
  const QPixmap p = W.grab();
  EXPECT_FALSE(p.isNull());
  if (const char* dir = std::getenv("PLANDECK_BLOCK_SHOTS")) {
    EXPECT_TRUE(p.save(QString::fromLocal8Bit(dir) + "/" + Name));
  }
}

// A drawing file of 200 x 100 holding one arrow line from (10, 20) to (110, 70).
void WriteLineDrawing(const std::string& Name) {
  TTxProjectFile file;
  auto doc = std::make_unique<TFiguresDoc>();
  doc->FFigures->FWidth = 200;
  doc->FFigures->FHeight = 100;
  auto line = std::make_unique<TTxLine>();
  line->FQd = {10, 20};
  line->FZd = {110, 70};
  doc->FFigures->FFigures->Add(std::move(line));
  file.FTxProject->FTxSpaces->Add(std::move(doc));
  WriteDrawingFile(Name, file);
}

// Answers every command form with Fill, then OK.
class TScopedFormAnswer {
public:
  explicit TScopedFormAnswer(std::function<void(TPropertyForm&)> Fill) {
    FPrevious = SetCommandFormHook([this, Fill = std::move(Fill)](TPropertyForm& f) {
      Captions.push_back(f.Caption());
      Fill(f);
      f.Accept();
    });
  }
  ~TScopedFormAnswer() { SetCommandFormHook(std::move(FPrevious)); }
  std::vector<std::string> Captions;

private:
  TCommandFormHook FPrevious;
};

}  // namespace

#define EXPECT_PT_NEAR(A, B)            \
  do {                                  \
    EXPECT_NEAR((A).x, (B).x, 1e-9);    \
    EXPECT_NEAR((A).y, (B).y, 1e-9);    \
  } while (0)

class BlockDialogTest : public DialogTest {
protected:
  void SetUp() override {
    DialogTest::SetUp();
    // Child drawings are read from drawing files.
    RegisterDocumentClasses();
    ASSERT_TRUE(tmp.isValid());
  }

  TTxLine* AddLine(Tpt Qd, Tpt Zd) {
    auto* line = AddFigure<TTxLine>();
    line->FQd = Qd;
    line->FZd = Zd;
    line->Modified();
    return line;
  }
  // A block of one line at (40, 30), scale 2, 50 x 20 in its own frame.
  TTxBlock* AddBlock() {
    auto* block = AddFigure<TTxBlock>();
    auto line = std::make_unique<TTxLine>();
    line->FQd = {0, 0};
    line->FZd = {50, 20};
    block->InsertFigure(std::move(line));
    block->InitialParas(50, 20);
    block->FScale = 2;
    block->FYd = {40, 30};
    block->Modified();
    return block;
  }
  std::vector<TCustomFigure*> Figures() const {
    std::vector<TCustomFigure*> out;
    TTxCollectFigure* layer = doc.FFigures->LayerList(0);
    for (int i = 0; i < layer->Count(); ++i) out.push_back(layer->Figures(i));
    return out;
  }
  static Tpt Log(const TCustomFigure& F, Tpt P) { return F.xyTransLogPt(P.x, P.y); }
  static TRect SourceRect(const std::vector<TCustomFigure*>& Figures) {
    TRect r{};
    for (std::size_t i = 0; i < Figures.size(); ++i) {
      TRect q;
      Figures[i]->CalcPositionRect(q);
      ExpandRect(q, 0);
      if (i == 0) {
        r = q;
      } else {
        r.Left = std::min(r.Left, q.Left);
        r.Top = std::min(r.Top, q.Top);
        r.Right = std::max(r.Right, q.Right);
        r.Bottom = std::max(r.Bottom, q.Bottom);
      }
    }
    return r;
  }
  std::string Path(const char* Name) const { return tmp.filePath(Name).toStdString(); }

  QTemporaryDir tmp;
};

// ---- the block and child drawing dialog

TEST_F(BlockDialogTest, BlockDialogShowsItsCaptionAndUserValues) {
  doc.FScale = 0.5;  // user units per drawing unit
  TTxBlock* block = AddBlock();
  block->FXzJd = 30.4;
  TP_Block dlg(*view, *block);
  TPropertyForm& f = dlg.Form();
  EXPECT_EQ(f.Caption(), "定义图块属性");
  const auto labels = f.Labels();
  for (const char* l : {"标识：", "颜色：", "线型：", "填充：", "填充颜色：", "X：", "Y：", "宽度：", "高度：", "角度：",
                        "线宽：", "图层："})
    EXPECT_TRUE(Has(labels, l)) << l;
  EXPECT_EQ(f.Text("标识：").front(), '$');
  EXPECT_EQ(f.Text("标识：").size(), 9u);
  EXPECT_EQ(f.Text("X："), "20.000");
  EXPECT_EQ(f.Text("Y："), "15.000");
  EXPECT_EQ(f.Text("宽度："), "50.000");  // 50 x scale 2 x 0.5
  EXPECT_EQ(f.Text("高度："), "20.000");
  EXPECT_EQ(f.Text("角度："), "30");
  EXPECT_EQ(f.Text("线型："), std::to_string(psClear));  // a block draws no outline of its own
  Shot(f.Dialog(), "block_dialog.png");
}

TEST_F(BlockDialogTest, ChildDrawingDialogHasItsOwnCaptionAndNoAngle) {
  auto* child = AddFigure<TChildFigureSet>();
  child->InitialParas(100, 80);
  TP_Block dlg(*view, *child);
  EXPECT_EQ(dlg.Form().Caption(), "定义子图形属性");
  EXPECT_EQ(dlg.Form().IndexOf("角度："), -1);
  EXPECT_NE(dlg.Form().IndexOf("宽度："), -1);
  Shot(dlg.Form().Dialog(), "child_dialog.png");
}

TEST_F(BlockDialogTest, OkAppliesInOrderAndAHeightThatIsNoNumberEndsTheUpdate) {
  TTxBlock* block = AddBlock();
  const int before = UndoCount();
  TP_Block dlg(*view, *block);
  TPropertyForm& f = dlg.Form();
  f.SetText("颜色：", "255");
  f.SetText("填充：", std::to_string(bsSolid));
  f.SetText("X：", "60");
  f.SetText("Y：", "70");
  f.SetText("宽度：", "200");
  f.SetText("高度：", "high");
  f.SetText("角度：", "45");
  f.SetText("线宽：", "3");
  f.Accept();
  EXPECT_EQ(block->FPen.Color, 255u);
  EXPECT_EQ(block->FBrush.Style, bsSolid);
  EXPECT_PT_NEAR(block->FYd, (Tpt{60, 70}));
  EXPECT_DOUBLE_EQ(block->GetScale(), 4.0);  // 200 over a width of 50
  // Everything after the height stays.
  EXPECT_DOUBLE_EQ(block->FXzJd, 0.0);
  EXPECT_EQ(block->FPen.Width, 1);
  EXPECT_TRUE(doc.GetModifiedFlag());
  ASSERT_EQ(UndoCount(), before + 1);
  EXPECT_EQ(doc.FFigures->UndoItem(UndoCount() - 1)->FOperationVerb, ovEdit);
  view->Undo();
  auto* back = dynamic_cast<TTxBlock*>(Figures().at(0));
  ASSERT_NE(back, nullptr);
  EXPECT_PT_NEAR(back->FYd, (Tpt{40, 30}));
  EXPECT_DOUBLE_EQ(back->GetScale(), 2.0);
}

TEST_F(BlockDialogTest, ANewWidthSurvivesTheUntouchedHeightAndUntouchedFieldsKeepExactValues) {
  TTxBlock* block = AddBlock();
  block->FXzJd = 12.75;
  block->FScale = 2.0000004;  // shown rounded: "100.000"
  block->Modified();
  {
    TP_Block dlg(*view, *block);
    dlg.Form().SetText("线宽：", "2");
    dlg.Form().Accept();
  }
  EXPECT_DOUBLE_EQ(block->GetScale(), 2.0000004);
  EXPECT_DOUBLE_EQ(block->FXzJd, 12.75);
  EXPECT_EQ(block->FPen.Width, 2);
  {
    TP_Block dlg(*view, *block);
    dlg.Form().SetText("宽度：", "150");
    dlg.Form().SetText("角度：", "90");
    dlg.Form().Accept();
  }
  EXPECT_DOUBLE_EQ(block->GetScale(), 3.0);
  EXPECT_DOUBLE_EQ(block->FXzJd, 90.0);
}

TEST_F(BlockDialogTest, PenWidthThatIsNoNumberBecomesOne) {
  TTxBlock* block = AddBlock();
  block->FPen.Width = 4;
  TP_Block dlg(*view, *block);
  dlg.Form().SetText("线宽：", "thick");
  dlg.Form().Accept();
  EXPECT_EQ(block->FPen.Width, 1);
}

// ---- the point marker dialog

TEST_F(BlockDialogTest, PointDialogShowsShapeAndRadius) {
  auto* dwd = AddFigure<TTxDefineDwd>();
  dwd->FDwd = {12.5, -4};
  dwd->SetXz(dsWhiteCircle);
  dwd->FBj = 6;
  TP_DefineDwd dlg(*view, *dwd);
  TPropertyForm& f = dlg.Form();
  EXPECT_EQ(f.Caption(), "定义点属性");
  for (const char* l : {"标识：", "颜色：", "形状:", "X：", "Y：", "半径：", "图层："}) EXPECT_TRUE(Has(f.Labels(), l)) << l;
  EXPECT_EQ(f.Text("形状:"), "2");
  EXPECT_EQ(f.Text("X："), "12.500");
  EXPECT_EQ(f.Text("Y："), "-4.000");
  EXPECT_EQ(f.Text("半径："), "6");
  EXPECT_EQ(DwdShapeNames().size(), 5u);
  Shot(f.Dialog(), "point_dialog.png");
}

TEST_F(BlockDialogTest, PointOkStoresColourAndShapeBeforeAPointThatIsNoNumber) {
  auto* dwd = AddFigure<TTxDefineDwd>();
  dwd->FDwd = {1, 2};
  const int before = UndoCount();
  TP_DefineDwd dlg(*view, *dwd);
  dlg.Form().SetText("颜色：", std::to_string(0x0000FF));
  dlg.Form().SetText("形状:", std::to_string(dsFilledSquare));
  dlg.Form().SetText("X：", "x");
  dlg.Form().SetText("半径：", "9");
  dlg.Form().Accept();
  EXPECT_EQ(dwd->FPen.Color, 0x0000FFu);
  EXPECT_EQ(dwd->FXz, dsFilledSquare);
  EXPECT_EQ(dwd->FBrush.Color, 0x0000FFu);  // a filled marker in the pen colour
  EXPECT_PT_NEAR(dwd->FDwd, (Tpt{1, 2}));
  EXPECT_EQ(dwd->FBj, 4);
  EXPECT_EQ(UndoCount(), before + 1);
  EXPECT_TRUE(doc.GetModifiedFlag());
}

TEST_F(BlockDialogTest, PointOkMovesAndResizesTheMarkerAndRefusesARadiusOfZero) {
  auto* dwd = AddFigure<TTxDefineDwd>();
  {
    TP_DefineDwd dlg(*view, *dwd);
    dlg.Form().SetText("X：", "30");
    dlg.Form().SetText("Y：", "40");
    dlg.Form().SetText("半径：", "7");
    dlg.Form().Accept();
  }
  EXPECT_PT_NEAR(dwd->FDwd, (Tpt{30, 40}));
  EXPECT_EQ(dwd->FBj, 7);
  TP_DefineDwd dlg(*view, *dwd);
  dlg.Form().SetText("半径：", "0");
  dlg.Form().Accept();
  EXPECT_EQ(dwd->FBj, 7);
}

TEST_F(BlockDialogTest, PropertyEditorsAreRegisteredForTheThreeClasses) {
  RegisterPropertyDialogs();
  for (const TMetaClass* c : {&TTxBlock::StaticClass(), &TChildFigureSet::StaticClass(), &TTxDefineDwd::StaticClass()})
    EXPECT_NE(FindPropertyEditor(*c), nullptr) << c->Name;
}

// ---- make block

class MakeBlockTest : public BlockDialogTest {
protected:
  void SetUp() override {
    BlockDialogTest::SetUp();
    // A drawing whose origin and zoom are not the plain ones.
    doc.FFigures->FYd = {7, -3};
    doc.FFigures->FAbsx = 5;
    doc.FFigures->SetScale(2.0);
    a = AddLine({10, 20}, {110, 70});
    b = AddLine({-30, 5}, {0, 90});
    view->Select(a, false);
    view->Select(b, true);
    sources = {a, b};
    r = SourceRect(sources);
    for (TTxLine* l : {a, b}) ends.push_back({Log(*l, l->FQd), Log(*l, l->FZd)});
  }
  TTxBlock* OnlyBlock() const {
    for (TCustomFigure* f : Figures())
      if (auto* block = dynamic_cast<TTxBlock*>(f)) return block;
    return nullptr;
  }
  // The block's copy of source I, found by its start point.
  const TTxLine* PartNear(const TTxBlock& Block, Tpt Start) const {
    const TTxLine* best = nullptr;
    double d = 1e300;
    for (int i = 0; i < Block.FFigures->Count(); ++i) {
      auto* l = dynamic_cast<const TTxLine*>(Block.FFigures->Figures(i));
      const Tpt p = Log(*l, l->FQd);
      const double e = std::hypot(p.x - Start.x, p.y - Start.y);
      if (e < d) d = e, best = l;
    }
    return best;
  }

  TTxLine* a = nullptr;
  TTxLine* b = nullptr;
  std::vector<TCustomFigure*> sources;
  TRect r{};
  std::vector<std::pair<Tpt, Tpt>> ends;  // logical, before
};

TEST_F(MakeBlockTest, KeepingTheSourcesAddsABlockDrawnExactlyWhereTheyAre) {
  const int before = UndoCount();
  TTxBlock* block = MakeBlockFromSelection(*view, 1.0, true);
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(Figures().size(), 3u);
  ASSERT_EQ(block->FFigures->Count(), 2);
  for (const auto& [qd, zd] : ends) {
    const TTxLine* part = PartNear(*block, qd);
    ASSERT_NE(part, nullptr);
    EXPECT_PT_NEAR(Log(*part, part->FQd), qd);
    EXPECT_PT_NEAR(Log(*part, part->FZd), zd);
  }
  // Stacking kept: b was added last, so it is on top.
  EXPECT_PT_NEAR(Log(*block->FFigures->Figures(0), static_cast<TTxLine*>(block->FFigures->Figures(0))->FQd),
                 ends[1].first);
  EXPECT_EQ(view->Selection().Count(), 1);
  EXPECT_TRUE(view->IsSelected(block));
  EXPECT_TRUE(doc.GetModifiedFlag());
  ASSERT_EQ(UndoCount(), before + 1);
  EXPECT_EQ(doc.FFigures->UndoItem(UndoCount() - 1)->FOperationVerb, ovAdd);
  view->Undo();
  EXPECT_EQ(OnlyBlock(), nullptr);
  EXPECT_EQ(Figures().size(), 2u);
}

TEST_F(MakeBlockTest, RemovingTheSourcesIsOneStepThatUndoTakesBackWhole) {
  const int before = UndoCount();
  TTxBlock* block = MakeBlockFromSelection(*view, 1.0, false);
  ASSERT_NE(block, nullptr);
  ASSERT_EQ(Figures().size(), 1u);
  EXPECT_EQ(Figures()[0], block);
  EXPECT_TRUE(view->IsSelected(block));
  ASSERT_EQ(UndoCount(), before + 1);
  const TUndoRedoItem* step = doc.FFigures->UndoItem(UndoCount() - 1);
  EXPECT_EQ(step->FOperationVerb, ovCombo);
  ASSERT_EQ(step->Count(), 3);
  EXPECT_EQ(step->Items(2), block);

  view->Undo();
  const std::vector<TCustomFigure*> back = Figures();
  ASSERT_EQ(back.size(), 2u);
  EXPECT_EQ(OnlyBlock(), nullptr);
  EXPECT_EQ(back[0], b);
  EXPECT_EQ(back[1], a);
  EXPECT_PT_NEAR(Log(*a, a->FQd), ends[0].first);

  doc.FFigures->Redo(view.get());
  ASSERT_EQ(Figures().size(), 1u);
  EXPECT_EQ(Figures()[0], block);
}

TEST_F(MakeBlockTest, ScaleGrowsTheFiguresAboutTheLowerLeftCornerOfTheirRectangle) {
  TTxBlock* block = MakeBlockFromSelection(*view, 2.0, false);
  ASSERT_NE(block, nullptr);
  const Tpt corner{double(r.Left), double(r.Top)};
  for (const auto& [qd, zd] : ends) {
    const Tpt q{corner.x + 2 * (qd.x - corner.x), corner.y + 2 * (qd.y - corner.y)};
    const Tpt z{corner.x + 2 * (zd.x - corner.x), corner.y + 2 * (zd.y - corner.y)};
    const TTxLine* part = PartNear(*block, q);
    ASSERT_NE(part, nullptr);
    EXPECT_PT_NEAR(Log(*part, part->FQd), q);
    EXPECT_PT_NEAR(Log(*part, part->FZd), z);
  }
  // The outline spans the sources' rectangle twice over.
  TPoint h1, h5;
  block->GetHandle(1, h1);
  block->GetHandle(5, h5);
  EXPECT_EQ(h1.x, r.Left);
  EXPECT_EQ(h1.y, r.Top);
  EXPECT_EQ(h5.x, r.Left + 2 * (r.Right - r.Left));
  EXPECT_EQ(h5.y, r.Top + 2 * (r.Bottom - r.Top));
}

TEST_F(MakeBlockTest, TheDialogAsksScaleAndKeepAndAScaleThatIsNoPositiveNumberCancels) {
  for (const char* bad : {"abc", "0", "-2", ""}) {
    TScopedFormAnswer answer([bad](TPropertyForm& f) {
      EXPECT_EQ(f.Text("缩放比例："), "1");
      EXPECT_EQ(f.Text("保留原图形"), "0");
      f.SetText("缩放比例：", bad);
    });
    MakeBlockCommand(*view);
    ASSERT_EQ(answer.Captions.size(), 1u);
    EXPECT_EQ(answer.Captions[0], "生成图块");
    EXPECT_EQ(Figures().size(), 2u) << bad;
    EXPECT_EQ(UndoCount(), 0) << bad;
  }
  TScopedFormAnswer answer([](TPropertyForm& f) { f.SetText("保留原图形", "1"); });
  MakeBlockCommand(*view);
  EXPECT_EQ(Figures().size(), 3u);
  EXPECT_NE(OnlyBlock(), nullptr);
}

TEST_F(MakeBlockTest, NothingSelectedAsksNothing) {
  view->Select(nullptr, false);
  TScopedFormAnswer answer([](TPropertyForm&) {});
  MakeBlockCommand(*view);
  EXPECT_TRUE(answer.Captions.empty());
  EXPECT_EQ(Figures().size(), 2u);
}

TEST(MakeBlockDialog, Screenshot) {
  TMakeBlockDialog dlg;
  EXPECT_EQ(dlg.Form().Caption(), "生成图块");
  Shot(dlg.Form().Dialog(), "make_block_dialog.png");
}

// ---- child drawings

TEST_F(BlockDialogTest, InsertedChildDrawingShowsTheFileAtTheOriginAndOneUndoRemovesIt) {
  doc.FFigures->FYd = {3, 4};
  const std::string file = Path("child.GCK");
  WriteLineDrawing(file);
  TTxLine* reference = AddLine({100 + 10, 50 + 20}, {100 + 110, 50 + 70});
  const int before = UndoCount();
  doc.SetModifiedFlag(false);
  TScopedMessageAnswer none(mrCancel);
  TChildFigureSet* child = InsertChildFigureSet(*view, file, {100, 50}, 1.0);
  ASSERT_NE(child, nullptr);
  EXPECT_TRUE(none.Asked().empty());
  ASSERT_EQ(Figures().size(), 2u);
  EXPECT_TRUE(view->IsSelected(child));
  EXPECT_EQ(view->Selection().Count(), 1);
  ASSERT_GE(child->LayerCount(), 1);
  auto* line = dynamic_cast<TTxLine*>(child->LayerList(0)->Items(0));
  ASSERT_NE(line, nullptr);
  EXPECT_EQ(line->FParent, child);
  EXPECT_EQ(line->FDocument, &doc);
  EXPECT_PT_NEAR(Log(*line, line->FQd), Log(*reference, reference->FQd));
  EXPECT_PT_NEAR(Log(*line, line->FZd), Log(*reference, reference->FZd));
  EXPECT_TRUE(doc.GetModifiedFlag());
  ASSERT_EQ(UndoCount(), before + 1);
  EXPECT_EQ(doc.FFigures->UndoItem(UndoCount() - 1)->FOperationVerb, ovAdd);
  view->Undo();
  ASSERT_EQ(Figures().size(), 1u);
  EXPECT_EQ(Figures()[0], reference);
}

TEST_F(BlockDialogTest, ChildDrawingScaleMultipliesItsSizeAboutTheOrigin) {
  const std::string file = Path("child.GCK");
  WriteLineDrawing(file);
  TScopedMessageAnswer none(mrCancel);
  TChildFigureSet* child = InsertChildFigureSet(*view, file, {0, 0}, 3.0);
  ASSERT_NE(child, nullptr);
  auto* line = dynamic_cast<TTxLine*>(child->LayerList(0)->Items(0));
  ASSERT_NE(line, nullptr);
  const Tpt o = doc.FFigures->xyTransLogPt(0, 0);
  const Tpt q = Log(*line, line->FQd), z = Log(*line, line->FZd);
  EXPECT_NEAR(q.x - o.x, 30, 1e-9);
  EXPECT_NEAR(q.y - o.y, 60, 1e-9);
  EXPECT_NEAR(z.x - o.x, 330, 1e-9);
  EXPECT_NEAR(z.y - o.y, 210, 1e-9);
}

TEST_F(BlockDialogTest, AMissingChildFileSaysSoAndInsertsNothing) {
  TScopedMessageAnswer answer(mrOk);
  EXPECT_EQ(InsertChildFigureSet(*view, Path("none.GCK"), {0, 0}, 1.0), nullptr);
  ASSERT_EQ(answer.Asked().size(), 1u);
  EXPECT_EQ(answer.Asked()[0].Text, "文件不存在！");
  EXPECT_TRUE(Figures().empty());
  EXPECT_EQ(UndoCount(), 0);
  EXPECT_FALSE(doc.GetModifiedFlag());
}

TEST_F(BlockDialogTest, AChildFileThatCannotBeReadIsNamedAndNothingIsInserted) {
  const std::string file = Path("broken.GCK");
  std::ofstream(file, std::ios::binary) << "this is no drawing";
  TScopedMessageAnswer answer(mrOk);
  EXPECT_EQ(InsertChildFigureSet(*view, file, {0, 0}, 1.0), nullptr);
  ASSERT_EQ(answer.Asked().size(), 1u);
  EXPECT_TRUE(Contains(answer.Asked()[0].Text, file)) << answer.Asked()[0].Text;
  EXPECT_TRUE(Figures().empty());
  EXPECT_EQ(UndoCount(), 0);
}

TEST_F(BlockDialogTest, InsertDialogBrowsesForTheFileAndRoundsTheOrigin) {
  const std::string file = Path("child.GCK");
  WriteLineDrawing(file);
  TScopedFileDialogAnswer browse({true, file, 1});
  TScopedMessageAnswer none(mrCancel);
  TScopedFormAnswer answer([](TPropertyForm& f) {
    EXPECT_EQ(f.Text("X："), "0");
    EXPECT_EQ(f.Text("Y："), "0");
    EXPECT_EQ(f.Text("缩放比例："), "1");
    EXPECT_TRUE(Has(f.Groups(), "原点："));
    f.Press("浏览...");
    f.SetText("X：", "10.6");
    f.SetText("Y：", "-2.4");
  });
  InsertChildFigureSetCommand(*view);
  ASSERT_EQ(answer.Captions.size(), 1u);
  EXPECT_EQ(answer.Captions[0], "插入子图形");
  ASSERT_EQ(browse.Asked().size(), 1u);
  EXPECT_TRUE(Contains(browse.Asked()[0].Filter, "*.GCK"));
  EXPECT_TRUE(none.Asked().empty());
  ASSERT_EQ(Figures().size(), 1u);
  auto* child = dynamic_cast<TChildFigureSet*>(Figures()[0]);
  ASSERT_NE(child, nullptr);
  EXPECT_PT_NEAR(child->FYd, (Tpt{11, -2}));
}

TEST_F(BlockDialogTest, InsertDialogWithAScaleThatIsNoNumberInsertsNothing) {
  const std::string file = Path("child.GCK");
  WriteLineDrawing(file);
  TScopedFormAnswer answer([&file](TPropertyForm& f) {
    f.SetText("路径：", file);
    f.SetText("缩放比例：", "big");
  });
  InsertChildFigureSetCommand(*view);
  EXPECT_TRUE(Figures().empty());
}

TEST(InsertChildDialog, Screenshot) {
  TInsertChildDialog dlg;
  Shot(dlg.Form().Dialog(), "insert_child_dialog.png");
}

// ---- in the main window

namespace {

class BlockMainFormTest : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(tmp.isValid());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, tmp.path());
    oldDirSys = Dir_Sys;
    Dir_Sys = tmp.path().toStdString() + "/";
    RegisterDocumentClasses();
    RegisterEnvironmentClasses();
    RegisterTools();
    RegisterPropertyDialogs();
    unexpected = std::make_unique<TScopedMessageAnswer>(mrCancel);
    form = std::make_unique<TMainForm>();
    form->resize(1000, 700);
    form->show();
    QApplication::processEvents();
    SysEnvironment->FShowNewDialog = false;
    form->Action("A_new")->trigger();
    tx = form->ActiveDrawing();
    ASSERT_NE(tx, nullptr);
  }
  void TearDown() override {
    {
      TScopedMessageAnswer discard(mrNo);
      form.reset();
    }
    for (const TMessageRequest& r : unexpected->Asked()) ADD_FAILURE() << "unexpected question: " << r.Text;
    unexpected.reset();
    Dir_Sys = oldDirSys;
  }
  void Trigger(const char* Name) {
    QAction* a = form->Action(Name);
    ASSERT_TRUE(a) << Name;
    form->IdleUpdate();
    ASSERT_TRUE(a->isEnabled()) << Name;
    a->trigger();
  }
  void Click(QPoint P) {
    QWidget* port = tx->DrawView().viewport();
    for (auto [type, buttons] : {std::pair{QEvent::MouseButtonPress, Qt::MouseButtons(Qt::LeftButton)},
                                 std::pair{QEvent::MouseButtonRelease, Qt::MouseButtons(Qt::NoButton)}}) {
      QMouseEvent e(type, QPointF(P), port->mapToGlobal(QPointF(P)), Qt::LeftButton, buttons, Qt::NoModifier);
      QApplication::sendEvent(port, &e);
    }
  }
  std::vector<TCustomFigure*> Figures() const {
    std::vector<TCustomFigure*> out;
    TTxCollectFigure* layer = tx->Document()->FFigures->FFigures;
    for (int i = 0; i < layer->Count(); ++i) out.push_back(layer->Figures(i));
    return out;
  }
  // Whether a pixel near the logical point P is dark in the view's picture.
  bool DarkNear(const QImage& Image, Tpt P) const {
    TPoint c = ptodp(P);
    tx->DrawView().PointDocToClient(c);
    for (int dx = -1; dx <= 1; ++dx)
      for (int dy = -1; dy <= 1; ++dy)
        if (Image.rect().contains(c.x + dx, c.y + dy) && qGray(Image.pixel(c.x + dx, c.y + dy)) < 128) return true;
    return false;
  }

  QTemporaryDir tmp;
  std::string oldDirSys;
  std::unique_ptr<TScopedMessageAnswer> unexpected;
  std::unique_ptr<TMainForm> form;
  TDef_Tx* tx = nullptr;
};

}  // namespace

TEST_F(BlockMainFormTest, PointToolIsEnabledAndOneClickPlacesAMarker) {
  Trigger("A_Point");
  Click({200, 150});
  const std::vector<TCustomFigure*> figures = Figures();
  ASSERT_EQ(figures.size(), 1u);
  auto* dwd = dynamic_cast<TTxDefineDwd*>(figures[0]);
  ASSERT_NE(dwd, nullptr);
  TPoint at{200, 150};
  tx->DrawView().PointClientToDoc(at);
  const Tpt l = dwd->xyTransLogPt(dwd->FDwd.x, dwd->FDwd.y);
  EXPECT_NEAR(l.x, at.x, 1.0);
  EXPECT_NEAR(l.y, at.y, 1.0);
}

TEST_F(BlockMainFormTest, MakeBlockFromTheMenuAndThePopUpAndAChildDrawingFromTheInsertMenu) {
  TDrawView& v = tx->DrawView();
  auto line = std::make_unique<TTxLine>();
  TTxLine* raw = line.get();
  tx->Document()->Add(std::move(line), TPoint{0, 0}, &v);
  raw->FQd = {40, 60};
  raw->FZd = {240, 60};
  raw->Modified();
  auto box = std::make_unique<TTxDefineDwd>();
  TTxDefineDwd* dwd = box.get();
  tx->Document()->Add(std::move(box), TPoint{0, 0}, &v);
  dwd->SetRefPoint(140, 120);
  dwd->SetXz(dsFilledSquare);
  v.Select(raw, false);
  v.Select(dwd, true);
  const Tpt mid = raw->xyTransLogPt(140, 60);
  {
    TScopedFormAnswer answer([](TPropertyForm&) {});
    Trigger("A_MakeBlock");
  }
  ASSERT_EQ(Figures().size(), 1u);
  auto* block = dynamic_cast<TTxBlock*>(Figures()[0]);
  ASSERT_NE(block, nullptr);
  v.Select(nullptr, false);
  QApplication::processEvents();
  EXPECT_TRUE(DarkNear(v.viewport()->grab().toImage(), mid));

  // The pop-up's item is there and works too.
  QAction* popup = tx->MenuAction("生成图块");
  ASSERT_NE(popup, nullptr);
  EXPECT_TRUE(popup->isEnabled());

  const std::string file = tmp.filePath("child.GCK").toStdString();
  WriteLineDrawing(file);
  {
    TScopedFormAnswer answer([&file](TPropertyForm& f) {
      f.SetText("X：", "20");
      f.SetText("Y：", "150");
      f.SetText("路径：", file);
    });
    Trigger("mi_InsertChileFigureSet");
  }
  ASSERT_EQ(Figures().size(), 2u);
  auto* child = dynamic_cast<TChildFigureSet*>(Figures()[0]);
  ASSERT_NE(child, nullptr);
  EXPECT_TRUE(tx->Document()->GetModifiedFlag());
  v.Select(nullptr, false);
  form->IdleUpdate();
  QApplication::processEvents();
  // The child's line is painted where its drawing puts it.
  auto* part = dynamic_cast<TTxLine*>(child->LayerList(0)->Items(0));
  ASSERT_NE(part, nullptr);
  const QImage picture = v.viewport()->grab().toImage();
  EXPECT_TRUE(DarkNear(picture, part->xyTransLogPt(60, 45)));
  EXPECT_TRUE(DarkNear(picture, mid));
  Shot(*form, "editor_block_child.png");
}
