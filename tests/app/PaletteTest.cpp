// The library palettes: layout and selection rules, the pop-up menu, the
// thumbnails (blocks of no width or height included), the spacing dialog,
// the bundled libraries, unreadable libraries, the insert-block command from
// the choice to the placed and undone block, and the custom fill page.

#include "AppTestSupport.h"
#include "ScriptedAnswers.h"
#include "app/Commands.h"
#include "app/Def_Tx.h"
#include "app/ImagePanel.h"
#include "app/OptionDialogs.h"
#include "app/PropertyForm.h"
#include "figures/LineFigures.h"
#include "figures/WdbxShapes.h"
#include "platform/Clipboard.h"
#include "tools/ToolList.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QSettings>
#include <QTemporaryDir>

namespace {

QString Q(const std::string& S) { return QString::fromStdString(S); }

std::unique_ptr<TTxBlock> Block(const char* Name, double W, double H) {
  auto b = std::make_unique<TTxBlock>();
  b->FName = Name;
  b->InitialParas(W, H);
  return b;
}

// A block of one line from A to B in its own frame.
std::unique_ptr<TTxBlock> LineBlock(const char* Name, Tpt A, Tpt B) {
  auto b = Block(Name, std::abs(B.x - A.x), std::abs(B.y - A.y));
  auto line = std::make_unique<TTxLine>();
  line->FZdArrow = false;
  TTxLine* l = line.get();
  b->InsertFigure(std::move(line));
  l->SetQd(A);
  l->SetZd(B);
  return b;
}

bool Dark(const QImage& Image, int X, int Y) { return qGray(Image.pixel(X, Y)) < 128; }

int DarkIn(const QImage& Image, const QRect& R) {
  int n = 0;
  for (int y = R.top(); y <= R.bottom(); ++y)
    for (int x = R.left(); x <= R.right(); ++x) n += Dark(Image, x, y);
  return n;
}

// Answers the next command form with Fill, then OK.
class TFormAnswer {
public:
  explicit TFormAnswer(std::function<void(TPropertyForm&)> Fill, bool Ok = true) {
    FPrevious = SetCommandFormHook([Fill, Ok](TPropertyForm& F) {
      if (Fill) Fill(F);
      if (Ok) F.Accept();
      else F.Reject();
    });
  }
  ~TFormAnswer() { SetCommandFormHook(std::move(FPrevious)); }

private:
  TCommandFormHook FPrevious;
};

void ClearLibrarySettings() {
  QSettings settings("Verdaplan", "Plandeck");
  settings.remove("图块库");
  settings.remove("填充库");
}

}  // namespace

class PaletteTest : public DialogTest {
protected:
  void SetUp() override {
    DialogTest::SetUp();
    RegisterImageLibraryClasses();
    RegisterTools();
    oldDirSys = Dir_Sys;
    // No bundled libraries unless a test points here.
    Dir_Sys = dir.path().toStdString() + "/";
    ClearLibrarySettings();
    panel.setFrameShape(QFrame::NoFrame);
    // 345 pixels: three columns of 110 and a gap of 15 on the right.
    panel.resize(345, 600);
    panel.show();
    QApplication::processEvents();
  }
  void TearDown() override {
    panel.SetDocument(nullptr);
    ClearLibrarySettings();
    Dir_Sys = oldDirSys;
    DialogTest::TearDown();
  }
  void Fill(int N) {
    for (int i = 0; i < N; ++i) doc.AddItem(Block(("b" + std::to_string(i)).c_str(), 10, 10));
    panel.SetDocument(&doc);
  }
  // The middle of cell Index's thumbnail, in client pixels.
  TPoint Centre(int Index) const {
    TPoint p = panel.GetItemPoint(Index);
    panel.PointDocToClient(p);
    return {p.x + 50, p.y - 50};
  }
  std::string Path(const char* Name) const { return (dir.path() + "/" + Name).toStdString(); }
  std::vector<bool> MenuEnabled() {
    panel.UpdatePopupMenu();
    std::vector<bool> out;
    for (QAction* a : panel.PopupMenu().actions())
      if (!a->isSeparator()) out.push_back(a->isEnabled());
    return out;
  }

  QTemporaryDir dir;
  std::string oldDirSys;
  TImageDocument doc;
  TImagePanel panel;
  TScriptedMessageAnswers fallback{{}};
};

TEST_F(PaletteTest, CellsFillRowsLeftToRightAndTheGapBesideThemDeselects) {
  Fill(7);
  EXPECT_EQ(panel.HorzItemCount(), 3);
  EXPECT_EQ(panel.VertItemCount(), 3);
  EXPECT_EQ(panel.ItemWidth(), 110);
  EXPECT_EQ(panel.ItemHeight(), 110 + panel.CaptionHeight());
  // Item 4: column 1, row 1; its thumbnail's lower left, y up.
  const TPoint p = panel.GetItemPoint(4);
  EXPECT_EQ(p.x, 5 + 110);
  EXPECT_EQ(p.y, 5 + panel.CaptionHeight() - 2 * panel.ItemHeight());
  panel.ClickAt(Centre(4), false, false);
  EXPECT_EQ(panel.SelectedIndices(), std::vector<int>{4});
  EXPECT_EQ(panel.ItemIndex(), 4);
  EXPECT_EQ(panel.GetSelected(), doc.Items(4));
  panel.ClickAt({338, Centre(0).y}, false, false);
  EXPECT_TRUE(panel.SelectedIndices().empty());
  EXPECT_EQ(panel.ItemIndex(), -1);
  EXPECT_EQ(panel.GetSelected(), nullptr);
  // Under the last row and beside the last item of a row are no items either.
  panel.ClickAt(Centre(4), false, false);
  panel.ClickAt({Centre(2).x, Centre(6).y}, false, false);
  EXPECT_TRUE(panel.SelectedIndices().empty());
}

TEST_F(PaletteTest, ShiftTakesTheRangeFromTheCurrentItemAndCtrlToggles) {
  Fill(7);
  // Nothing current yet: from the first item.
  panel.ClickAt(Centre(3), false, true);
  EXPECT_EQ(panel.SelectedIndices(), (std::vector<int>{0, 1, 2, 3}));
  panel.ClickAt(Centre(5), false, false);
  panel.ClickAt(Centre(2), false, true);
  EXPECT_EQ(panel.SelectedIndices(), (std::vector<int>{2, 3, 4, 5}));
  panel.ClickAt(Centre(3), true, false);
  EXPECT_EQ(panel.SelectedIndices(), (std::vector<int>{2, 4, 5}));
  panel.ClickAt(Centre(6), true, false);
  EXPECT_EQ(panel.SelectedIndices(), (std::vector<int>{2, 4, 5, 6}));
  EXPECT_EQ(panel.GetSelected(), doc.Items(2));
  panel.SetItemIndex(1);
  EXPECT_EQ(panel.SelectedIndices(), std::vector<int>{1});
  panel.SetItemIndex(7);
  EXPECT_EQ(panel.SelectedIndices(), std::vector<int>{1});
}

TEST_F(PaletteTest, HorizontalLayoutFillsColumnsTopToBottom) {
  panel.resize(345, 2 * (110 + panel.CaptionHeight()) + 30);
  Fill(5);
  panel.SetDisplayMode(dmHorz);
  EXPECT_EQ(panel.VertItemCount(), 2);
  EXPECT_EQ(panel.HorzItemCount(), 3);
  const TPoint p = panel.GetItemPoint(3);
  EXPECT_EQ(p.x, 5 + 110);
  EXPECT_EQ(p.y, 5 + panel.CaptionHeight() - 2 * panel.ItemHeight());
  panel.ClickAt(Centre(3), false, false);
  EXPECT_EQ(panel.SelectedIndices(), std::vector<int>{3});
}

TEST_F(PaletteTest, MenuEntriesFollowTheSelectionAndTheClipboard) {
  Fill(3);
  QApplication::clipboard()->clear();
  // 剪切 复制 粘贴 删除 重命名 间距及缩放系数...
  EXPECT_EQ(MenuEnabled(), (std::vector<bool>{false, false, false, false, false, false}));
  panel.ClickAt(Centre(0), false, false);
  EXPECT_EQ(MenuEnabled(), (std::vector<bool>{true, true, false, true, true, true}));
  panel.ClickAt(Centre(1), true, false);
  EXPECT_EQ(MenuEnabled(), (std::vector<bool>{true, true, false, true, false, false}));
  panel.CopyItem();
  EXPECT_TRUE(MenuEnabled()[2]);
  panel.SetPopUpMenuOption(2);
  int visible = 0;
  for (QAction* a : panel.PopupMenu().actions()) visible += a->isVisible();
  EXPECT_EQ(visible, 1);
  EXPECT_EQ(panel.PopupMenu().actions().back()->text().toStdString(), "间距及缩放系数...");
  panel.SetPopUpMenuOption(1);
  for (QAction* a : panel.PopupMenu().actions()) EXPECT_FALSE(a->isVisible());
}

TEST_F(PaletteTest, CutPastesBackInOrderAtTheCurrentItemAndDeleteMarksTheLibraryChanged) {
  Fill(4);
  doc.FChanged = false;
  panel.ClickAt(Centre(1), false, false);
  panel.ClickAt(Centre(2), false, true);
  panel.CutItem();
  ASSERT_EQ(doc.Count(), 2);
  EXPECT_TRUE(doc.FChanged);
  EXPECT_TRUE(panel.SelectedIndices().empty());
  // Nothing current: pasted at the end, in their order.
  panel.PasteItem();
  ASSERT_EQ(doc.Count(), 4);
  EXPECT_EQ(doc.Items(2)->FName, "b1");
  EXPECT_EQ(doc.Items(3)->FName, "b2");
  panel.SetItemIndex(0);
  panel.PasteItem();
  ASSERT_EQ(doc.Count(), 6);
  EXPECT_EQ(doc.Items(0)->FName, "b1");
  EXPECT_EQ(doc.Items(1)->FName, "b2");
  EXPECT_EQ(doc.Items(2)->FName, "b0");
  // What is no figure list is ignored.
  SetClipboardComponent({'T', 'P', 'F', '0'});
  panel.PasteItem();
  EXPECT_EQ(doc.Count(), 6);
  panel.SetItemIndex(5);
  panel.RenameCurrentItem("大门");
  EXPECT_EQ(doc.Items(5)->FName, "大门");
}

TEST_F(PaletteTest, ThumbnailsFitTheBlockAndCaptionItAndSelectionIsHatched) {
  // 20 x 10 with a filled square of radius 4 at (10, 5): five times as large.
  auto gate = Block("大门", 20, 10);
  auto marker = std::make_unique<TTxDefineDwd>();
  TTxDefineDwd* m = marker.get();
  gate->InsertFigure(std::move(marker));
  m->FDwd = {10, 5};
  m->SetXz(dsFilledSquare);
  doc.AddItem(std::move(gate));
  doc.AddItem(Block("厕所", 0, 0));
  panel.SetDocument(&doc);
  const QImage image = panel.Render();
  // The thumbnail spans client x 5..104, y 5..104; the block's foot is its bottom.
  EXPECT_TRUE(Dark(image, 55, 80));
  EXPECT_FALSE(Dark(image, 55, 40));
  EXPECT_FALSE(Dark(image, 30, 80));
  EXPECT_GT(DarkIn(image, QRect(5, 105, 100, panel.CaptionHeight())), 5) << "the caption";
  // The block of no size: an empty cell with its caption.
  EXPECT_EQ(DarkIn(image, QRect(115, 5, 100, 100)), 0);
  EXPECT_GT(DarkIn(image, QRect(115, 105, 100, panel.CaptionHeight())), 5);
  // Selected: the diagonal overlay, bytes 0x11 0x22 0x44 0x88 down the rows,
  // darkens pixels whose column modulo 8 is a set bit (the first column is bit 7).
  panel.SetItemIndex(1);
  const QImage hatched = panel.Render();
  EXPECT_TRUE(Dark(hatched, 115, 8));   // 115 % 8 = 3, row 0: 0x11
  EXPECT_FALSE(Dark(hatched, 116, 8));
  EXPECT_TRUE(Dark(hatched, 117, 10));  // 117 % 8 = 5, row 2: 0x44
  EXPECT_FALSE(Dark(hatched, 117, 8));
  EXPECT_FALSE(Dark(image, 115, 8));
}

TEST_F(PaletteTest, ABlockOfOneLineFitsOnItsOtherAxis) {
  EXPECT_DOUBLE_EQ(ThumbnailFit(20, 0, 100, 100), 5);
  EXPECT_DOUBLE_EQ(ThumbnailFit(0, 50, 100, 100), 2);
  EXPECT_DOUBLE_EQ(ThumbnailFit(0, 0, 100, 100), 0);
  EXPECT_DOUBLE_EQ(ThumbnailFit(40, 20, 100, 100), 2.5);
  doc.AddItem(LineBlock("横线", {0, 0}, {20, 0}));
  doc.AddItem(LineBlock("竖线", {0, 0}, {0, 20}));
  panel.SetDocument(&doc);
  const QImage image = panel.Render();
  // The vertical one is drawn the thumbnail's full height on its left edge.
  EXPECT_GT(DarkIn(image, QRect(115, 5, 3, 100)), 80);
  EXPECT_EQ(DarkIn(image, QRect(125, 5, 90, 95)), 0);
}

TEST_F(PaletteTest, FillCellsTileTheBlockInsideAFrame) {
  // A 10 x 10 tile holding one diagonal.
  auto fill = LineBlock("素土", {0, 0}, {10, 10});
  doc.AddItem(std::move(fill));
  panel.SetItemType(itFill);
  panel.SetDocument(&doc);
  const QImage image = panel.Render();
  // The frame, then the diagonal repeated every 10 pixels inside.
  EXPECT_TRUE(Dark(image, 5, 50));
  EXPECT_TRUE(Dark(image, 104, 50));
  int diagonals = 0;
  for (int x = 8; x < 102; ++x) diagonals += Dark(image, x, 60);
  EXPECT_GE(diagonals, 8);
  EXPECT_LE(diagonals, 20);
}

TEST_F(PaletteTest, SpacingShowsTimesTheScaleAndStoresDividedByTheNewScale) {
  auto b = Block("砖", 16, 8);
  b->SetScale(2);
  b->FHorzGap = 3;
  b->FVertGap = 1;
  {
    TFormAnswer answer([](TPropertyForm& F) {
      EXPECT_EQ(F.Caption(), "填充块属性");
      EXPECT_EQ(F.Text("缩放系数:"), "2.000");
      EXPECT_EQ(F.Text("水平方向："), "6.000");
      EXPECT_EQ(F.Text("垂直方向："), "2.000");
      F.SetText("缩放系数:", "4");
      F.SetText("水平方向：", "8");
      F.SetText("垂直方向：", "x");
    });
    EXPECT_TRUE(FillItemGapScale(*b));
  }
  EXPECT_DOUBLE_EQ(b->GetScale(), 4);
  EXPECT_DOUBLE_EQ(b->FHorzGap, 2);
  EXPECT_DOUBLE_EQ(b->FVertGap, 1) << "the entry that does not parse ends the update";
  {
    TFormAnswer cancel([](TPropertyForm& F) { F.SetText("缩放系数:", "9"); }, false);
    EXPECT_FALSE(FillItemGapScale(*b));
  }
  EXPECT_DOUBLE_EQ(b->GetScale(), 4);
}

TEST_F(PaletteTest, TheBundledLibrariesAreBesideTheBuiltProgramWithTheSiteSymbols) {
  Dir_Sys = PLANDECK_PROGRAM_DIR "/";
  const std::vector<TLibraryEntry> blocks = KnownLibraries(TLibraryKind::Block);
  ASSERT_EQ(blocks.size(), 1u);
  EXPECT_EQ(blocks[0].Name, "场地图例");
  TImageProject project;
  std::string error;
  ASSERT_TRUE(ReadImageLibrary(blocks[0].Path, project, error)) << error;
  std::vector<std::string> names;
  for (int i = 0; i < project.FirstDocument().Count(); ++i) names.push_back(project.FirstDocument().Items(i)->FName);
  EXPECT_EQ(names, (std::vector<std::string>{"塔吊基础", "大门", "现场办公室", "厕所", "堆场", "指北针", "消火栓",
                                             "水源接驳点", "电源接驳点"}));
  const std::vector<TLibraryEntry> fills = KnownLibraries(TLibraryKind::Fill);
  ASSERT_EQ(fills.size(), 1u);
  ASSERT_TRUE(ReadImageLibrary(fills[0].Path, project, error)) << error;
  names.clear();
  for (int i = 0; i < project.FirstDocument().Count(); ++i) {
    TCustomFigureSet* set = project.FirstDocument().SetItems(i);
    ASSERT_NE(set, nullptr);
    EXPECT_GT(set->FFigures->Count(), 0);
    EXPECT_GT(set->GetWidth(), 0);
    EXPECT_GT(set->GetHeight(), 0);
    names.push_back(set->FName);
  }
  EXPECT_EQ(names, (std::vector<std::string>{"砖", "混凝土", "碎石", "素土", "草地", "水面"}));
  // Every symbol shows something in its cell.
  panel.SetDocument(nullptr);
  TImageProject blocksProject;
  ASSERT_TRUE(ReadImageLibrary(blocks[0].Path, blocksProject, error));
  panel.resize(345, 1000);
  panel.SetDocument(&blocksProject.FirstDocument());
  const QImage image = panel.Render();
  for (int i = 0; i < 9; ++i) {
    TPoint p = panel.GetItemPoint(i);
    panel.PointDocToClient(p);
    EXPECT_GT(DarkIn(image, QRect(p.x, p.y - 100, 100, 100)), 30) << names.size() << " item " << i;
  }
}

TEST_F(PaletteTest, AnUnreadableLibraryShowsAnEmptyPaletteAndNamesTheFileTheOthersStillOpen) {
  TImageProject good;
  good.FirstDocument().AddItem(Block("大门", 20, 10));
  WriteImageLibrary(Path("good.tkk"), good);
  {
    QSettings settings("Verdaplan", "Plandeck");
    settings.beginGroup("图块库");
    settings.setValue("坏的", Q(Path("missing.tkk")));
    settings.setValue("好的", Q(Path("good.tkk")));
  }
  TScriptedMessageAnswers answers({mrOk, mrOk});
  TInputItem dialog;
  ASSERT_EQ(dialog.List().count(), 2);
  // Settings keys come sorted: "坏的" first, and it is shown at once.
  EXPECT_EQ(dialog.List().item(0)->text().toStdString(), "坏的");
  ASSERT_EQ(answers.Asked().size(), 1u);
  EXPECT_NE(answers.Asked()[0].Text.find(Path("missing.tkk")), std::string::npos);
  EXPECT_EQ(dialog.Panel().GetItemCount(), 0);
  EXPECT_EQ(dialog.Chosen(), nullptr);
  dialog.SelectLibrary(1);
  EXPECT_EQ(dialog.Panel().GetItemCount(), 1);
  EXPECT_EQ(dialog.FileLabel().text().toStdString(), "文件：" + Path("good.tkk"));
  // Browsing adds the file and shows it.
  TScriptedFileDialogAnswers files({{true, Path("good.tkk"), 1}});
  dialog.Browse();
  EXPECT_EQ(dialog.List().count(), 3);
  EXPECT_EQ(dialog.List().currentRow(), 2);
  ASSERT_EQ(files.Asked().size(), 1u);
  EXPECT_EQ(files.Asked()[0].Filter, "图块库文件(*.tkk)|*.tkk|所有文件(*.*)|*.*");
  EXPECT_EQ(answers.Asked().size(), 1u);
}

TEST_F(PaletteTest, AChosenBlockIsPlacedWhereTheTwoClicksSpanItAndUndoTakesItBack) {
  Dir_Sys = PLANDECK_PROGRAM_DIR "/";
  TDef_Tx tx;
  tx.resize(600, 500);
  tx.IsNew = true;
  tx.NewFile("NONAME1", 400, 300, 1);
  tx.show();
  QApplication::processEvents();
  TDrawView& v = tx.DrawView();
  std::string name;
  auto previous = SetInputItemHook([&](TInputItem& D) {
    // The bundled library is listed and shown; the site office is chosen.
    EXPECT_EQ(D.List().count(), 1);
    D.Panel().SetItemIndex(2);
    name = D.Chosen() ? D.Chosen()->FName : "";
    return true;
  });
  InsertBlockCommand(tx);
  SetInputItemHook(std::move(previous));
  EXPECT_EQ(name, "现场办公室");
  auto* current = dynamic_cast<TTxBlock*>(v.CurrentItem());
  ASSERT_NE(current, nullptr);
  EXPECT_DOUBLE_EQ(current->FWidth, 24);
  EXPECT_DOUBLE_EQ(current->FHeight, 12);
  const int parts = current->FFigures->Count();
  EXPECT_EQ(v.ItemClass(), &TTxBlock::StaticClass());
  const double w = current->FWidth, h = current->FHeight;
  // A rectangle twice the block's size (in logical units at this zoom).
  const double zoom = tx.Document()->FFigures->GetScale();
  TPoint a{100, 300}, b{100 + int(std::lround(2 * w * zoom)), 300 - int(std::lround(2 * h * zoom))};
  v.MouseDown(mbLeft, 0, a);
  v.MouseUp(mbLeft, 0, a);
  v.MouseMove(0, b);
  v.MouseDown(mbLeft, 0, b);
  v.MouseUp(mbLeft, 0, b);
  TTxCollectFigure& layer = *tx.Document()->FFigures->FFigures;
  ASSERT_EQ(layer.Count(), 1);
  auto* placed = dynamic_cast<TTxBlock*>(layer.Figures(0));
  ASSERT_NE(placed, nullptr);
  // A copy (names are not copied): the office, by its size and figures.
  EXPECT_DOUBLE_EQ(placed->FWidth, w);
  EXPECT_DOUBLE_EQ(placed->FHeight, h);
  EXPECT_EQ(placed->FFigures->Count(), parts);
  EXPECT_NEAR(placed->GetScale(), 2, 0.05);
  TPoint la = a, local;
  v.PointClientToDoc(la);
  placed->TransAbsPt(la, local);
  EXPECT_NEAR(placed->FYd.x, local.x, 1.5);
  EXPECT_NEAR(placed->FYd.y, local.y, 1.5);
  EXPECT_EQ(tx.Document()->GetUndoCount(), 1);
  v.Undo();
  EXPECT_EQ(layer.Count(), 0);

  // Two clicks on one point place it at its own size there.
  previous = SetInputItemHook([](TInputItem& D) {
    D.Panel().SetItemIndex(0);
    return true;
  });
  InsertBlockCommand(tx);
  SetInputItemHook(std::move(previous));
  const TPoint c{200, 200};
  for (int i = 0; i < 2; ++i) {
    v.MouseDown(mbLeft, 0, c);
    v.MouseUp(mbLeft, 0, c);
  }
  ASSERT_EQ(layer.Count(), 1);
  auto* base = dynamic_cast<TTxBlock*>(layer.Figures(0));
  ASSERT_NE(base, nullptr);
  EXPECT_DOUBLE_EQ(base->FWidth, 16);
  EXPECT_DOUBLE_EQ(base->GetScale(), 1);
  TPoint lc = c;
  v.PointClientToDoc(lc);
  base->TransAbsPt(lc, local);
  EXPECT_NEAR(base->FYd.x, local.x, 1.5);
  EXPECT_NEAR(base->FYd.y, local.y, 1.5);
}

TEST_F(PaletteTest, TheCustomFillPageChoosesALibraryBlockForEverySelectedFigure) {
  Dir_Sys = PLANDECK_PROGRAM_DIR "/";
  auto* a = AddFigure<TTxFRectangle>();
  auto* b = AddFigure<TTxFRectangle>();
  view->Select(a, true);
  view->Select(b, true);
  std::string chosenName;
  double chosenWidth = 0;
  {
    TFormAnswer answer([&](TPropertyForm& F) {
      EXPECT_EQ(F.Text("样式："), "1");  // a new rectangle's clear brush
      TBrushStylePage* page = nullptr;
      for (QWidget* w : F.Dialog().findChildren<QWidget*>())
        if (auto* p = dynamic_cast<TBrushStylePage*>(w)) page = p;
      ASSERT_NE(page, nullptr);
      ASSERT_EQ(page->Libraries().count(), 1);
      TImagePanel& library = page->LibraryPanel();
      ASSERT_EQ(library.GetItemCount(), 6);
      library.resize(400, 300);
      library.show();
      QApplication::processEvents();
      TPoint c = library.GetItemPoint(1);
      library.PointDocToClient(c);
      library.ClickAt({c.x + 50, c.y - 50}, false, false);
      ASSERT_NE(page->Chosen(), nullptr);
      chosenName = library.GetSelected()->FName;
      chosenWidth = page->Chosen()->GetWidth();
      EXPECT_NE(page->Chosen(), library.GetSelected()) << "a clone";
      EXPECT_EQ(page->Chosen()->FParent, nullptr);
      EXPECT_EQ(F.Text("样式："), "8");
      page->SetForeground(0x0000FF);
      EXPECT_EQ(page->Chosen()->FFigures->Figures(0)->FPen.Color, 0x0000FFu);
      page->SetBackground(0x00FF00);
      EXPECT_EQ(page->Chosen()->FBrush.Color, 0x00FF00u);
    });
    FillCommand(*view);
  }
  EXPECT_EQ(chosenName, "混凝土");
  for (auto* r : {a, b}) {
    ASSERT_NE(r->FFillItem, nullptr);
    EXPECT_DOUBLE_EQ(r->FFillItem->GetWidth(), chosenWidth);
    EXPECT_EQ(r->FFillItem->FBrush.Color, 0x00FF00u);
    EXPECT_EQ(r->FFillItem->FFigures->Figures(0)->FPen.Color, 0x0000FFu);
  }
  EXPECT_NE(a->FFillItem.get(), b->FFillItem.get());
  EXPECT_EQ(UndoCount(), 1);
  // The dialog opens on the block; a system style chosen there clears it.
  {
    TFormAnswer answer([](TPropertyForm& F) {
      EXPECT_EQ(F.Text("样式："), "8");
      F.SetText("样式：", "3");
    });
    FillCommand(*view);
  }
  EXPECT_EQ(a->FFillItem, nullptr);
  EXPECT_EQ(b->FFillItem, nullptr);
  EXPECT_EQ(a->FBrush.Style, bsVertical);
  view->Undo();
  ASSERT_NE(a->FFillItem, nullptr);
  EXPECT_EQ(a->FFillItem->FBrush.Color, 0x00FF00u);
}

TEST_F(PaletteTest, APanelWhoseDocumentIsFreedShowsNothing) {
  auto library = std::make_unique<TImageDocument>();
  library->AddItem(Block("大门", 20, 10));
  panel.SetDocument(library.get());
  panel.SetItemIndex(0);
  library.reset();
  EXPECT_EQ(panel.Document(), nullptr);
  EXPECT_EQ(panel.GetItemCount(), 0);
  EXPECT_EQ(panel.GetSelected(), nullptr);
  EXPECT_EQ(DarkIn(panel.Render(), QRect(5, 5, 100, 100)), 0);
}
