// The drawing window: file names chosen in save as, the closing question,
// picture export, damaged files, the pop-up menus, the status coordinates
// and the alignment command, driven with every question answered by a script.

#include "AppTestSupport.h"
#include "ScriptedAnswers.h"

#include "app/AlignDialog.h"
#include "app/Def_Tx.h"
#include "figures/Pictures.h"
#include "docview/Environment.h"
#include "figures/LineFigures.h"
#include "tools/ToolList.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCoreApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMouseEvent>
#include <QPointer>
#include <QTemporaryDir>

#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace fs = std::filesystem;

// A line whose property editor the tests register, so no real dialog opens.
class TFakeEditedLine : public TTxLine {
  PLANDECK_DECLARE_CLASS(TFakeEditedLine)
public:
  explicit TFakeEditedLine(TMyPersistent* AOwner = nullptr) : TTxLine(AOwner) {}
};
PLANDECK_DEFINE_CLASS(TFakeEditedLine, TTxLine)

namespace {

using Bytes = std::vector<unsigned char>;

Bytes ReadBytes(const std::string& Name) {
  std::ifstream in(Name, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

void WriteBytes(const std::string& Name, const Bytes& Data) {
  std::ofstream out(Name, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(Data.data()), static_cast<std::streamsize>(Data.size()));
}

bool Contains(const std::string& Text, const std::string& Part) { return Text.find(Part) != std::string::npos; }

class DrawingWindowTest : public ::testing::Test {
protected:
  void SetUp() override {
    RegisterDocumentClasses();
    RegisterTools();
    ASSERT_TRUE(dir.isValid());
    oldEnv = SysEnvironment;
    SysEnvironment = &env;
    oldDirSys = Dir_Sys;
    Dir_Sys = Folder() + "/";
    host.ShowPosition = [this](const std::string& s) { positions.push_back(s); };
    host.StatusChanged = [this] { ++statusRepaints; };
    host.AddRecentFile = [this](const std::string& s) { recent.push_back(s); };
    host.RebuildIndex = [this] { ++indexRebuilds; };
    QApplication::clipboard()->clear();
  }
  void TearDown() override {
    SysEnvironment = oldEnv;
    Dir_Sys = oldDirSys;
  }

  std::string Folder() const { return dir.path().toStdString(); }
  std::string Path(const std::string& Name) const { return Folder() + "/" + Name; }

  // A new drawing as the main window makes it: unsaved, 400 x 300 at scale 1.
  std::unique_ptr<TDef_Tx> NewWindow() {
    auto w = std::make_unique<TDef_Tx>(host);
    w->resize(500, 400);
    w->IsNew = true;
    w->NewFile("NONAME1", 400, 300, 1);
    return w;
  }

  template <class Line = TTxLine>
  Line* AddLine(TDef_Tx& W, Tpt Qd, Tpt Zd) {
    auto line = std::make_unique<Line>();
    Line* raw = line.get();
    W.Document()->Add(std::move(line), TPoint{0, 0}, nullptr);
    raw->FQd = Qd;
    raw->FZd = Zd;
    raw->Modified();
    W.Document()->SetModifiedFlag(true);
    return raw;
  }

  static int FigureCount(TDef_Tx& W) { return W.Document()->FFigures->LayerList(0)->Count(); }
  static TTxLine* LineAt(TDef_Tx& W, int Index) {
    return dynamic_cast<TTxLine*>(W.Document()->FFigures->LayerList(0)->Items(Index));
  }

  // Saves a new window under Name through the drawing-file filter.
  void SaveNewAs(TDef_Tx& W, const std::string& Name) {
    TScriptedFileDialogAnswers files({{true, Name, 1}});
    TScriptedMessageAnswers answers({});
    ASSERT_TRUE(W.SaveAs());
    ASSERT_TRUE(answers.Asked().empty());
  }

  QTemporaryDir dir{QDir::tempPath() + "/plandeck-drawing-window-XXXXXX"};
  TEnvironment env;
  TEnvironment* oldEnv = nullptr;
  std::string oldDirSys;
  TDrawingWindowHost host;
  std::vector<std::string> positions;
  std::vector<std::string> recent;
  int statusRepaints = 0;
  int indexRebuilds = 0;
  // Anything not answered by a test is cancelled, never shown.
  TScriptedMessageAnswers fallbackMessages{{}};
  TScriptedFileDialogAnswers fallbackFiles{{}};
};

TEST_F(DrawingWindowTest, SavingDuringCopyObjectWritesNoneOfTheCopiesThatFollowTheMouse) {
  auto w = NewWindow();
  TTxLine* line = AddLine(*w, {10, 20}, {110, 20});
  w->DrawView().Select(line, false);
  w->DrawView().CopyObject();
  ASSERT_EQ(FigureCount(*w), 2);
  SaveNewAs(*w, Path("copying"));
  EXPECT_EQ(FigureCount(*w), 1);
  EXPECT_EQ(w->DrawView().Operation(), omMove);
  TDef_Tx reopened(host);
  ASSERT_TRUE(reopened.LoadFromFile(Path("copying.GCK")));
  EXPECT_EQ(FigureCount(reopened), 1);
}

// ---- save as: names

TEST_F(DrawingWindowTest, SaveAsAppendsGckToANameWithoutExtension) {
  auto w = NewWindow();
  AddLine(*w, {10, 10}, {50, 10});
  TScriptedFileDialogAnswers files({{true, Path("plan"), 1}});
  ASSERT_TRUE(w->SaveAs());
  EXPECT_EQ(w->FFileName, Path("plan.GCK"));
  EXPECT_TRUE(fs::exists(Path("plan.GCK")));
  EXPECT_FALSE(fs::exists(Path("plan")));
  EXPECT_FALSE(w->IsNew);
  EXPECT_FALSE(w->Document()->GetModifiedFlag());
  EXPECT_EQ(w->windowTitle().toStdString(), Path("plan.GCK"));
}

TEST_F(DrawingWindowTest, SaveAsKeepsAGckExtensionInAnyCase) {
  auto w = NewWindow();
  TScriptedFileDialogAnswers files({{true, Path("plan.gck"), 1}});
  ASSERT_TRUE(w->SaveAs());
  EXPECT_EQ(w->FFileName, Path("plan.gck"));
  EXPECT_TRUE(fs::exists(Path("plan.gck")));
  EXPECT_FALSE(fs::exists(Path("plan.gck.GCK")));
}

TEST_F(DrawingWindowTest, SaveAsAppendsGckToAnotherExtension) {
  auto w = NewWindow();
  // The "all files" filter (7) saves a drawing too.
  TScriptedFileDialogAnswers files({{true, Path("plan.dwg"), 7}});
  ASSERT_TRUE(w->SaveAs());
  EXPECT_EQ(w->FFileName, Path("plan.dwg.GCK"));
  EXPECT_TRUE(fs::exists(Path("plan.dwg.GCK")));
}

TEST_F(DrawingWindowTest, SaveDialogOffersTheFiltersFolderAndNameWithoutFolderOrDots) {
  auto w = NewWindow();
  w->FFileName = Path("site.v2") + "/plan.2024.final.GCK";
  TScriptedFileDialogAnswers files({});
  EXPECT_FALSE(w->SaveAs());
  ASSERT_EQ(files.Asked().size(), 1u);
  const TFileDialogRequest& r = files.Asked()[0];
  EXPECT_TRUE(r.Save);
  EXPECT_EQ(r.FileName, "plan");
  EXPECT_EQ(r.FilterIndex, 1);
  EXPECT_EQ(r.InitialDir, Folder() + "/平面图文件");
  EXPECT_EQ(r.Filter,
            "工程文件(*.GCK)|*.GCK|图形交换文件(*.DXF)|*.DXF|Windows元文件(*.WMF)|*.WMF|增强型元文件(*.EMF)|*.EMF|"
            "位图文件(*.BMP)|*.BMP|JPEG文件(*.JPG)|*.JPG|所有文件(*.*)|*.*");
  EXPECT_EQ(ProposedSaveName("NONAME1"), "NONAME1");
  EXPECT_EQ(ProposedSaveName(""), "");
}

TEST_F(DrawingWindowTest, ReplacingAnExistingFileAsksWithItsNameAndYesOverwrites) {
  WriteBytes(Path("plan.GCK"), {'o', 'l', 'd'});
  auto w = NewWindow();
  TScriptedFileDialogAnswers files({{true, Path("plan"), 1}});
  TScriptedMessageAnswers answers({mrYes});
  ASSERT_TRUE(w->SaveAs());
  ASSERT_EQ(answers.Asked().size(), 1u);
  EXPECT_EQ(answers.Asked()[0].Text, "是否替换原来的plan.GCK？");
  EXPECT_EQ(answers.Asked()[0].Buttons, TMsgDlgButtons(mbYes | mbNo));
  EXPECT_NE(ReadBytes(Path("plan.GCK")), (Bytes{'o', 'l', 'd'}));
}

TEST_F(DrawingWindowTest, DecliningTheReplaceQuestionThenSavingLeavesTheRefusedFileAlone) {
  auto w = NewWindow();
  AddLine(*w, {0, 0}, {10, 10});
  SaveNewAs(*w, Path("mine"));
  WriteBytes(Path("other.GCK"), {'k', 'e', 'e', 'p'});
  AddLine(*w, {20, 0}, {30, 10});
  {
    TScriptedFileDialogAnswers files({{true, Path("other"), 1}});
    TScriptedMessageAnswers answers({mrNo});
    EXPECT_FALSE(w->SaveAs());
    EXPECT_EQ(answers.Asked().size(), 1u);
  }
  EXPECT_EQ(w->FFileName, Path("mine.GCK"));
  EXPECT_TRUE(w->Document()->GetModifiedFlag());
  // Save writes the window's own file, not the one refused.
  ASSERT_TRUE(w->SaveFile());
  EXPECT_EQ(ReadBytes(Path("other.GCK")), (Bytes{'k', 'e', 'e', 'p'}));
  TDef_Tx again(host);
  ASSERT_TRUE(again.LoadFromFile(Path("mine.GCK")));
  EXPECT_EQ(FigureCount(again), 2);
}

TEST_F(DrawingWindowTest, SaveOfANewDrawingAsksForAName) {
  auto w = NewWindow();
  TScriptedFileDialogAnswers files({});
  EXPECT_FALSE(w->SaveFile());
  EXPECT_EQ(files.Asked().size(), 1u);
}

// ---- save and reopen

TEST_F(DrawingWindowTest, SavedDrawingReopensWithTheSameFigures) {
  auto w = NewWindow();
  AddLine(*w, {10, 20}, {110, 20});
  AddLine(*w, {-5.5, 7.25}, {40, 80});
  w->Document()->FFigures->FYd = {3, 4};
  SaveNewAs(*w, Path("round"));

  TDef_Tx reopened(host);
  ASSERT_TRUE(reopened.LoadFromFile(Path("round.GCK")));
  EXPECT_EQ(reopened.FFileName, Path("round.GCK"));
  ASSERT_NE(reopened.Document(), nullptr);
  EXPECT_FALSE(reopened.Document()->GetModifiedFlag());
  ASSERT_EQ(FigureCount(reopened), 2);
  for (int i = 0; i < 2; ++i) {
    TTxLine* a = LineAt(*w, i);
    TTxLine* b = LineAt(reopened, i);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->FQd.x, a->FQd.x);
    EXPECT_EQ(b->FQd.y, a->FQd.y);
    EXPECT_EQ(b->FZd.x, a->FZd.x);
    EXPECT_EQ(b->FZd.y, a->FZd.y);
  }
  const TTxFigureSet& root = *reopened.Document()->FFigures;
  EXPECT_EQ(root.FWidth, 400);
  EXPECT_EQ(root.FHeight, 300);
  EXPECT_EQ(root.FYd.x, 3);
  // The view shows the read document with the selection tool.
  EXPECT_EQ(reopened.DrawView().Document(), reopened.Document());
  EXPECT_EQ(reopened.DrawView().ItemClass(), &TDocItem::StaticClass());
}

TEST_F(DrawingWindowTest, NewFileSizesTheDrawingByTheScale) {
  TDef_Tx w(host);
  w.NewFile("NONAME2", 800, 600, 4);
  ASSERT_NE(w.Document(), nullptr);
  EXPECT_EQ(w.FFileName, "NONAME2");
  EXPECT_EQ(w.Document()->FFigures->FWidth, 200);
  EXPECT_EQ(w.Document()->FFigures->FHeight, 150);
  EXPECT_EQ(w.Document()->FScale, 4);
  EXPECT_EQ(w.ProjectFile().FTxProject->FTxSpaces->Count(), 1);
  EXPECT_FALSE(w.Document()->GetModifiedFlag());
}

TEST_F(DrawingWindowTest, DamagedDrawingWarnsKeepsWhatWasReadAndSaveAsksForAName) {
  auto w = NewWindow();
  for (int i = 0; i < 6; ++i) AddLine(*w, {10.0 * i, 0}, {10.0 * i, 50});
  SaveNewAs(*w, Path("good"));

  // Cut the tail of the drawing's content, then pack it again.
  const Bytes packed = ReadBytes(Path("good.GCK"));
  Bytes content(1 << 20);
  uLongf size = content.size();
  ASSERT_EQ(uncompress(content.data(), &size, packed.data(), packed.size()), Z_OK);
  // About two and a half figures' worth: the first figures stay whole.
  content.resize(size - 300);
  Bytes damaged(compressBound(content.size()));
  uLongf packedSize = damaged.size();
  ASSERT_EQ(compress2(damaged.data(), &packedSize, content.data(), content.size(), 1), Z_OK);
  damaged.resize(packedSize);
  WriteBytes(Path("damaged.GCK"), damaged);

  TDef_Tx opened(host);
  {
    TScriptedMessageAnswers answers({mrOk});
    EXPECT_FALSE(opened.LoadFromFile(Path("damaged.GCK")));
    ASSERT_EQ(answers.Asked().size(), 1u);
    EXPECT_EQ(answers.Asked()[0].Type, mtWarning);
    EXPECT_TRUE(Contains(answers.Asked()[0].Text, Path("damaged.GCK")));
  }
  ASSERT_NE(opened.Document(), nullptr);
  const int kept = FigureCount(opened);
  EXPECT_GE(kept, 1);
  EXPECT_LT(kept, 6);
  for (int i = 0; i < kept; ++i) {
    ASSERT_NE(LineAt(opened, i), nullptr);
    EXPECT_EQ(LineAt(opened, i)->FQd.x, LineAt(*w, i)->FQd.x);
    EXPECT_EQ(LineAt(opened, i)->FZd.y, LineAt(*w, i)->FZd.y);
  }
  EXPECT_TRUE(opened.IsNew);

  // Save asks for a name instead of writing over the damaged original.
  TScriptedFileDialogAnswers files({});
  EXPECT_FALSE(opened.SaveFile());
  EXPECT_EQ(files.Asked().size(), 1u);
  EXPECT_EQ(ReadBytes(Path("damaged.GCK")), damaged);
}

TEST_F(DrawingWindowTest, ReopeningADrawingReadDamagedReadsItAgain) {
  auto w = NewWindow();
  for (int i = 0; i < 6; ++i) AddLine(*w, {10.0 * i, 0}, {10.0 * i, 50});
  SaveNewAs(*w, Path("good"));
  WriteDamagedCopy(Path("good.GCK"), Path("damaged.GCK"), CutTail(300));

  TDef_Tx opened(host);
  TScriptedMessageAnswers answers({mrOk, mrOk});
  EXPECT_FALSE(opened.LoadFromFile(Path("damaged.GCK")));
  const int kept = FigureCount(opened);
  ASSERT_GE(kept, 1);
  ASSERT_TRUE(opened.IsNew);
  // The window now saves like a new one; reading the file again still reads it.
  EXPECT_FALSE(opened.LoadFromFile(Path("damaged.GCK")));
  EXPECT_EQ(FigureCount(opened), kept);
  EXPECT_EQ(answers.Asked().size(), 2u);
  EXPECT_TRUE(opened.IsNew);

  // Mended meanwhile, it reads whole and is the window's own file again.
  fs::copy_file(Path("good.GCK"), Path("damaged.GCK"), fs::copy_options::overwrite_existing);
  EXPECT_TRUE(opened.LoadFromFile(Path("damaged.GCK")));
  EXPECT_EQ(FigureCount(opened), 6);
  EXPECT_FALSE(opened.IsNew);
  EXPECT_EQ(answers.Asked().size(), 2u);
}

TEST_F(DrawingWindowTest, ADrawingDamagedBeforeItsPageGetsTheDefaultPageAndSaysSo) {
  auto w = NewWindow();
  AddLine(*w, {10, 0}, {10, 50});
  SaveNewAs(*w, Path("good"));
  // Cut inside the document's own values, before the drawing root's.
  WriteDamagedCopy(Path("good.GCK"), Path("damaged.GCK"), [](TContentBytes& C) {
    const std::string doc = "TFiguresDoc";
    const auto at = std::search(C.begin(), C.end(), doc.begin(), doc.end());
    ASSERT_NE(at, C.end());
    C.resize(static_cast<std::size_t>(at - C.begin()) + doc.size() + 4);
  });
  env.FDefaultWidth = 420;
  env.FDefaultHeight = 297;

  TDef_Tx opened(host);
  opened.resize(500, 400);
  TScriptedMessageAnswers answers({mrOk});
  EXPECT_FALSE(opened.LoadFromFile(Path("damaged.GCK")));
  ASSERT_EQ(answers.Asked().size(), 1u);
  EXPECT_EQ(answers.Asked()[0].Type, mtWarning);
  EXPECT_TRUE(Contains(answers.Asked()[0].Text, "图纸大小未能读出，已改为 420.0 × 297.0"));
  const TTxFigureSet& root = *opened.Document()->FFigures;
  EXPECT_EQ(root.FWidth, 420);
  EXPECT_EQ(root.FHeight, 297);
  EXPECT_GT(root.GetScale(), 0);
  // The view has a page to draw on.
  const TSize size = opened.DrawView().GetDocumentDevSize();
  EXPECT_GT(size.cx, 0);
  EXPECT_GT(size.cy, 0);
}

TEST_F(DrawingWindowTest, ADamagedPageTakesInTheFiguresThatWereRead) {
  auto w = NewWindow();
  for (int i = 0; i < 5; ++i) AddLine(*w, {10.0 * i, 0}, {10.0 * i, 50});
  // Added last, so saved first and read before the damage.
  AddLine(*w, {10, 20}, {600, 350});
  SaveNewAs(*w, Path("good"));
  WriteDamagedCopy(Path("good.GCK"), Path("damaged.GCK"), [](TContentBytes& C) {
    // The page width 400.0 (an extended float after its tag) made negative,
    // and the tail cut.
    const TContentBytes width{0x05, 0, 0, 0, 0, 0, 0, 0, 0xC8, 0x07, 0x40};
    const auto at = std::search(C.begin(), C.end(), width.begin(), width.end());
    ASSERT_NE(at, C.end());
    *(at + 10) = 0xC0;
    C.resize(C.size() - 300);
  });

  TDef_Tx opened(host);
  TScriptedMessageAnswers answers({mrOk});
  EXPECT_FALSE(opened.LoadFromFile(Path("damaged.GCK")));
  ASSERT_GE(FigureCount(opened), 1);
  const TTxFigureSet& root = *opened.Document()->FFigures;
  EXPECT_GE(root.FWidth, 600);
  EXPECT_LT(root.FWidth, 610);
  EXPECT_GE(root.FHeight, 350);
  EXPECT_LT(root.FHeight, 360);
  ASSERT_EQ(answers.Asked().size(), 1u);
  char size[64];
  std::snprintf(size, sizeof size, "%1.1f × %1.1f", root.FWidth, root.FHeight);
  EXPECT_TRUE(Contains(answers.Asked()[0].Text, size)) << answers.Asked()[0].Text;
}

TEST_F(DrawingWindowTest, AMissingFileGivesAnEmptyDrawingWithoutAQuestion) {
  TDef_Tx w(host);
  TScriptedMessageAnswers answers({});
  EXPECT_TRUE(w.LoadFromFile(Path("absent.GCK")));
  EXPECT_TRUE(answers.Asked().empty());
  ASSERT_NE(w.Document(), nullptr);
  EXPECT_EQ(FigureCount(w), 0);
}

TEST_F(DrawingWindowTest, AFailedWriteIsShownAndTheDrawingStaysModified) {
  auto w = NewWindow();
  AddLine(*w, {0, 0}, {1, 1});
  w->IsNew = false;
  w->FFileName = Path("no-such-folder") + "/plan.GCK";
  TScriptedMessageAnswers answers({mrOk});
  EXPECT_FALSE(w->SaveFile());
  ASSERT_EQ(answers.Asked().size(), 1u);
  EXPECT_EQ(answers.Asked()[0].Type, mtError);
  EXPECT_TRUE(Contains(answers.Asked()[0].Text, w->FFileName));
  EXPECT_TRUE(w->Document()->GetModifiedFlag());
  EXPECT_FALSE(fs::exists(w->FFileName));
}

TEST_F(DrawingWindowTest, SaveAsStartsInTheDrawingsOwnFolder) {
  auto w = NewWindow();
  SaveNewAs(*w, Path("plan.GCK"));
  TScriptedFileDialogAnswers files({});
  EXPECT_FALSE(w->SaveAs());
  ASSERT_EQ(files.Asked().size(), 1u);
  EXPECT_EQ(files.Asked()[0].InitialDir, Folder());
  EXPECT_EQ(files.Asked()[0].FileName, "plan");
}

TEST_F(DrawingWindowTest, ASaveMeetingTextWithoutGbkFormNamesTheFigureAndKeepsTheOldFile) {
  auto w = NewWindow();
  TTxLine* line = AddLine(*w, {0, 0}, {1, 1});
  SaveNewAs(*w, Path("plan.GCK"));
  const Bytes before = ReadBytes(Path("plan.GCK"));
  ASSERT_FALSE(before.empty());
  line->FName = "\U0001F600";
  w->Document()->SetModifiedFlag(true);
  std::vector<std::string> path;
  line->GetIndexPath(path);
  TScriptedMessageAnswers answers({mrOk});
  EXPECT_FALSE(w->SaveFile());
  ASSERT_EQ(answers.Asked().size(), 1u);
  EXPECT_EQ(answers.Asked()[0].Type, mtError);
  EXPECT_EQ(answers.Asked()[0].Text, "不能保存文件 " + Path("plan.GCK") + "：图形“箭头线（\U0001F600） " +
                                         path.back() + "”中的“\U0001F600”没有GBK编码，不能保存在图形文件中。\n"
                                         "U+1F600 at byte 0");
  EXPECT_EQ(ReadBytes(Path("plan.GCK")), before);
  EXPECT_EQ(std::distance(fs::directory_iterator(Folder()), fs::directory_iterator()), 1);
  EXPECT_TRUE(w->Document()->GetModifiedFlag());
}

// ---- picture export

TEST_F(DrawingWindowTest, BitmapExportLeavesNameAndModifiedFlagAlone) {
  auto w = NewWindow();
  AddLine(*w, {10, 10}, {200, 150});
  TScriptedFileDialogAnswers files({{true, Path("picture"), 5}});
  TScriptedMessageAnswers answers({});
  EXPECT_FALSE(w->SaveAs());
  EXPECT_TRUE(answers.Asked().empty());
  EXPECT_EQ(w->FFileName, "NONAME1");
  EXPECT_TRUE(w->IsNew);
  EXPECT_TRUE(w->Document()->GetModifiedFlag());
  const Bytes bmp = ReadBytes(Path("picture.BMP"));
  ASSERT_GE(bmp.size(), 2u);
  EXPECT_EQ(bmp[0], 'B');
  EXPECT_EQ(bmp[1], 'M');
}

TEST_F(DrawingWindowTest, AFailedExportIsShownWithTheReason) {
  auto w = NewWindow();
  TScriptedFileDialogAnswers files({{true, Path("no-such-folder") + "/picture", 6}});
  TScriptedMessageAnswers answers({mrOk});
  EXPECT_FALSE(w->SaveAs());
  ASSERT_EQ(answers.Asked().size(), 1u);
  EXPECT_EQ(answers.Asked()[0].Type, mtError);
  EXPECT_TRUE(Contains(answers.Asked()[0].Text, "picture"));
}

TEST_F(DrawingWindowTest, DxfSaveAsWritesTheFileKeepsTheDrawingModifiedAndReadsBack) {
  auto w = NewWindow();
  AddLine(*w, {10, 20}, {110, 20});
  {
    TScriptedFileDialogAnswers files({{true, Path("plan"), 2}});
    TScriptedMessageAnswers answers({});
    ASSERT_TRUE(w->SaveAs());
    EXPECT_TRUE(answers.Asked().empty());
  }
  EXPECT_EQ(w->FFileName, Path("plan.DXF"));
  EXPECT_TRUE(fs::exists(Path("plan.DXF")));
  EXPECT_FALSE(w->IsNew);
  // DXF keeps less than a drawing file: the changes still count as unsaved.
  EXPECT_TRUE(w->Document()->GetModifiedFlag());
  EXPECT_EQ(w->windowTitle().toStdString(), Path("plan.DXF"));
  {
    // Yes on closing writes the DXF again and lets the window close.
    TScriptedMessageAnswers answers({mrYes});
    EXPECT_TRUE(w->CloseQuery());
  }
  TDef_Tx back(host);
  TScriptedMessageAnswers told({mrOk});
  ASSERT_TRUE(back.LoadFromDxfFile(Path("plan.DXF")));
  // The arrow line went out as its shaft, its head's outline and the head
  // filled as a SOLID, which makes no figure and is reported.
  ASSERT_EQ(told.Asked().size(), 1u);
  EXPECT_EQ(told.Asked()[0].Type, mtInformation);
  EXPECT_TRUE(Contains(told.Asked()[0].Text, "1 个 SOLID"));
  EXPECT_EQ(FigureCount(back), 2);
  EXPECT_FALSE(back.IsNew);
  EXPECT_FALSE(back.Document()->GetModifiedFlag());
}

TEST_F(DrawingWindowTest, DxfSaveListsWhatItCannotWriteAndNoKeepsTheFileUnwritten) {
  auto w = NewWindow();
  w->Document()->Add(std::make_unique<TTxPicture>(), TPoint{0, 0}, nullptr);
  TScriptedFileDialogAnswers files({{true, Path("pic.dxf"), 2}});
  TScriptedMessageAnswers answers({mrNo});
  EXPECT_FALSE(w->SaveAs());
  ASSERT_EQ(answers.Asked().size(), 1u);
  EXPECT_TRUE(Contains(answers.Asked()[0].Text, "无法写入 DXF"));
  EXPECT_FALSE(fs::exists(Path("pic.dxf")));
  EXPECT_TRUE(w->IsNew);
}

TEST_F(DrawingWindowTest, DamagedDxfWarnsWithTheLineKeepsWhatWasReadAndSavesLikeNew) {
  std::ofstream(Path("cut.dxf"), std::ios::binary)
      << "0\r\nSECTION\r\n2\r\nENTITIES\r\n0\r\nLINE\r\n8\r\na\r\n11\r\n50\r\n0\r\nCIRCLE\r\n40\r\nx\r\n";
  TDef_Tx dxf(host);
  TScriptedMessageAnswers answers({mrOk});
  EXPECT_FALSE(dxf.LoadFromDxfFile(Path("cut.dxf")));
  ASSERT_EQ(answers.Asked().size(), 1u);
  EXPECT_EQ(answers.Asked()[0].Type, mtWarning);
  EXPECT_TRUE(Contains(answers.Asked()[0].Text, "line number 14"));
  EXPECT_TRUE(Contains(answers.Asked()[0].Text, "文件在第 14 行附近有错"));
  EXPECT_TRUE(Contains(answers.Asked()[0].Text, "保存时请指定文件名"));
  EXPECT_TRUE(dxf.IsNew);
  EXPECT_EQ(FigureCount(dxf), 1);
  EXPECT_EQ(dxf.FFileName, Path("cut.dxf"));
}

// ---- closing

TEST_F(DrawingWindowTest, ClosingAnUnmodifiedDrawingAsksNothing) {
  auto w = NewWindow();
  TScriptedMessageAnswers answers({});
  EXPECT_TRUE(w->CloseQuery());
  EXPECT_TRUE(answers.Asked().empty());
}

TEST_F(DrawingWindowTest, ClosingAModifiedNewDrawingAsksToSave) {
  auto w = NewWindow();
  AddLine(*w, {0, 0}, {5, 5});
  TScriptedMessageAnswers answers({mrNo});
  EXPECT_TRUE(w->CloseQuery());
  ASSERT_EQ(answers.Asked().size(), 1u);
  EXPECT_EQ(answers.Asked()[0].Text, "将修改部分保存吗?");
  EXPECT_EQ(answers.Asked()[0].Type, mtConfirmation);
  EXPECT_EQ(answers.Asked()[0].Buttons, TMsgDlgButtons(mbYes | mbNo | mbCancel));
}

TEST_F(DrawingWindowTest, ClosingAModifiedSavedDrawingNamesItsFile) {
  auto w = NewWindow();
  SaveNewAs(*w, Path("named"));
  AddLine(*w, {0, 0}, {5, 5});
  TScriptedMessageAnswers answers({mrYes});
  EXPECT_TRUE(w->CloseQuery());
  ASSERT_EQ(answers.Asked().size(), 1u);
  EXPECT_EQ(answers.Asked()[0].Text, "将修改部分保存在文件 " + Path("named.GCK") + " 中吗?");
  // Yes saved it.
  EXPECT_FALSE(w->Document()->GetModifiedFlag());
  TDef_Tx again(host);
  ASSERT_TRUE(again.LoadFromFile(Path("named.GCK")));
  EXPECT_EQ(FigureCount(again), 1);
}

TEST_F(DrawingWindowTest, CancelKeepsTheWindowOpenInsideTheMdiArea) {
  QMdiArea area;
  auto* w = new TDef_Tx(host);
  w->IsNew = true;
  w->NewFile("NONAME1", 400, 300, 1);
  QMdiSubWindow* sub = area.addSubWindow(w);
  QPointer<TDef_Tx> alive(w);
  AddLine(*w, {0, 0}, {5, 5});
  {
    TScriptedMessageAnswers answers({mrCancel});
    EXPECT_FALSE(sub->close());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(answers.Asked().size(), 1u);
  }
  ASSERT_FALSE(alive.isNull());
  EXPECT_TRUE(w->Document()->GetModifiedFlag());
  {
    TScriptedMessageAnswers answers({mrNo});
    EXPECT_TRUE(sub->close());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
  EXPECT_TRUE(alive.isNull());
}

TEST_F(DrawingWindowTest, SavingCaptionsTheChildWindowWithTheFileName) {
  QMdiArea area;
  auto* w = new TDef_Tx(host);
  w->IsNew = true;
  w->NewFile("NONAME1", 400, 300, 1);
  w->setWindowTitle("NONAME1");
  QMdiSubWindow* sub = area.addSubWindow(w);
  SaveNewAs(*w, Path("captioned"));
  EXPECT_EQ(sub->windowTitle().toStdString(), Path("captioned.GCK"));
}

TEST_F(DrawingWindowTest, YesWithSaveAsCancelledKeepsTheWindowOpen) {
  auto w = NewWindow();
  AddLine(*w, {0, 0}, {5, 5});
  TScriptedMessageAnswers answers({mrYes});
  TScriptedFileDialogAnswers files({});
  EXPECT_FALSE(w->CloseQuery());
  EXPECT_EQ(files.Asked().size(), 1u);
  EXPECT_TRUE(w->Document()->GetModifiedFlag());
}

TEST_F(DrawingWindowTest, YesWithTheReplaceQuestionDeclinedKeepsTheWindowOpen) {
  WriteBytes(Path("plan.GCK"), {'o', 'l', 'd'});
  auto w = NewWindow();
  AddLine(*w, {0, 0}, {5, 5});
  TScriptedMessageAnswers answers({mrYes, mrNo});
  TScriptedFileDialogAnswers files({{true, Path("plan"), 1}});
  EXPECT_FALSE(w->CloseQuery());
  EXPECT_EQ(answers.Asked().size(), 2u);
  EXPECT_EQ(ReadBytes(Path("plan.GCK")), (Bytes{'o', 'l', 'd'}));
  EXPECT_EQ(w->FFileName, "NONAME1");
  EXPECT_TRUE(w->IsNew);
}

TEST_F(DrawingWindowTest, YesWithAFailedWriteKeepsTheWindowOpen) {
  auto w = NewWindow();
  AddLine(*w, {0, 0}, {5, 5});
  w->IsNew = false;
  w->FFileName = Path("no-such-folder") + "/plan.GCK";
  TScriptedMessageAnswers answers({mrYes, mrOk});
  EXPECT_FALSE(w->CloseQuery());
  ASSERT_EQ(answers.Asked().size(), 2u);
  EXPECT_EQ(answers.Asked()[1].Type, mtError);
  EXPECT_TRUE(w->Document()->GetModifiedFlag());
}

TEST_F(DrawingWindowTest, YesWithAPictureExportChosenKeepsTheWindowOpen) {
  auto w = NewWindow();
  AddLine(*w, {0, 0}, {5, 5});
  TScriptedMessageAnswers answers({mrYes});
  TScriptedFileDialogAnswers files({{true, Path("shot"), 5}});
  EXPECT_FALSE(w->CloseQuery());
  EXPECT_TRUE(w->Document()->GetModifiedFlag());
}

TEST_F(DrawingWindowTest, OnlyASavedDrawingGoesToTheRecentFiles) {
  {
    auto w = NewWindow();
  }
  EXPECT_TRUE(recent.empty());
  {
    auto w = NewWindow();
    SaveNewAs(*w, Path("kept"));
  }
  EXPECT_EQ(recent, (std::vector<std::string>{Path("kept.GCK")}));
}

// ---- pop-up menus

// A creation tool that notes the cursor the view shows when the right button
// reaches it, then ends like every tool.
class TProbeTool : public TDrawTool {
public:
  using TDrawTool::TDrawTool;
  void OnRButtonUp(TDocView& View, TShiftState Shift, TPoint Pos) override {
    CursorSeen = View.CursorIndex();
    TDrawTool::OnRButtonUp(View, Shift, Pos);
  }
  int CursorSeen = -1;
};

TEST_F(DrawingWindowTest, RightClickWithACreationToolShowsNoMenuAndSetsTheDrawingCursor) {
  auto w = NewWindow();
  auto probe = std::make_unique<TProbeTool>(&TFakeEditedLine::StaticClass());
  TProbeTool* tool = probe.get();
  w->Document()->AddTool(std::move(probe));
  w->SetTool(&TFakeEditedLine::StaticClass());
  ASSERT_EQ(w->DrawView().CurrentTool(), tool);
  ASSERT_EQ(w->DrawView().Operation(), omAdd);
  w->DrawView().SetCursorIndex(0);
  w->DrawView().MouseUp(mbRight, {}, TPoint{60, 60});
  // The window's handler ran first and set the drawing cursor; then the tool
  // ended and the selection tool took over, still without a menu.
  EXPECT_EQ(tool->CursorSeen, 4);
  EXPECT_EQ(w->DrawView().ItemClass(), &TDocItem::StaticClass());
  EXPECT_FALSE(w->FigureMenu().isVisible());
  EXPECT_FALSE(w->ModeMenu().isVisible());
}

TEST_F(DrawingWindowTest, RightClickEndingTheLineToolOpensNoMenu) {
  auto w = NewWindow();
  w->SetTool(&TTxLine::StaticClass());
  ASSERT_EQ(w->DrawView().Operation(), omAdd);
  w->DrawView().MouseUp(mbRight, {}, TPoint{60, 60});
  EXPECT_EQ(w->DrawView().Operation(), omMove);
  EXPECT_FALSE(w->FigureMenu().isVisible());
}

std::vector<std::string> VisibleItems(QMenu& Menu) {
  std::vector<std::string> items;
  for (QAction* a : Menu.actions())
    if (!a->isSeparator() && a->isVisible()) items.push_back(a->text().toStdString());
  return items;
}

TEST_F(DrawingWindowTest, FigureMenuShowsTheItemsForOneSelectedFigure) {
  auto w = NewWindow();
  TTxLine* line = AddLine(*w, {10, 10}, {100, 10});
  w->DrawView().Select(line, false);
  ASSERT_EQ(w->DrawView().Operation(), omMove);
  w->DrawView().MouseUp(mbRight, {}, TPoint{60, 60});
  EXPECT_TRUE(w->FigureMenu().isVisible());
  EXPECT_EQ(VisibleItems(w->FigureMenu()),
            (std::vector<std::string>{"置前", "置后", "属性...", "删除", "剪切", "复制", "生成图块"}));
  EXPECT_TRUE(w->MenuAction("生成图块")->isEnabled());
  w->FigureMenu().hide();
}

TEST_F(DrawingWindowTest, FigureMenuOffersAlignmentForSeveralAndMoveWhenDraggingIsOff) {
  env.FAllowMove = false;
  auto w = NewWindow();
  w->DrawView().SetOperation(omNormal);
  TTxLine* a = AddLine(*w, {10, 10}, {100, 10});
  TTxLine* b = AddLine(*w, {10, 50}, {100, 50});
  w->DrawView().Select(a, false);
  w->DrawView().Select(b, true);
  w->DrawView().MouseUp(mbRight, {}, TPoint{60, 60});
  EXPECT_EQ(VisibleItems(w->FigureMenu()),
            (std::vector<std::string>{"置前", "置后", "排列...", "删除", "剪切", "复制", "生成图块", "移动"}));
  w->FigureMenu().hide();
  // Without a selection only the stacking commands remain.
  w->DrawView().Select(nullptr, false);
  w->DrawView().MouseUp(mbRight, {}, TPoint{60, 60});
  EXPECT_EQ(VisibleItems(w->FigureMenu()), (std::vector<std::string>{"置前", "置后", "移动"}));
  w->FigureMenu().hide();
}

TEST_F(DrawingWindowTest, ModeMenuChecksTheCurrentMode) {
  auto w = NewWindow();
  w->DrawView().SetOperation(omPanRealTime);
  w->DrawView().MouseUp(mbRight, {}, TPoint{60, 60});
  EXPECT_TRUE(w->ModeMenu().isVisible());
  EXPECT_FALSE(w->FigureMenu().isVisible());
  EXPECT_EQ(VisibleItems(w->ModeMenu()), (std::vector<std::string>{"返回", "旋转", "实时移动", "实时缩放", "缩放窗口",
                                                                    "全屏显示", "前一缩放比例"}));
  EXPECT_TRUE(w->MenuAction("实时移动")->isChecked());
  EXPECT_FALSE(w->MenuAction("旋转")->isChecked());
  w->ModeMenu().hide();
  // "返回" goes back to the default operation.
  w->MenuAction("返回")->trigger();
  EXPECT_EQ(w->DrawView().Operation(), omMove);
  w->MenuAction("旋转")->trigger();
  EXPECT_EQ(w->DrawView().Operation(), omRotate);
}

TEST_F(DrawingWindowTest, ZoomWindowAndOffsetModesShowNoMenuOnRightClick) {
  auto w = NewWindow();
  w->DrawView().SetOperation(omZoomWindow);
  w->DrawView().SetCursorIndex(0);
  w->DrawView().MouseUp(mbRight, {}, TPoint{60, 60});
  EXPECT_EQ(w->DrawView().CursorIndex(), 4);
  w->DrawView().SetOperation(omOffset);
  w->DrawView().MouseUp(mbRight, {}, TPoint{60, 60});
  EXPECT_FALSE(w->FigureMenu().isVisible());
  EXPECT_FALSE(w->ModeMenu().isVisible());
}

TEST_F(DrawingWindowTest, BringingToFrontReordersAndMarksTheDrawingModified) {
  auto w = NewWindow();
  TTxLine* bottom = AddLine(*w, {0, 0}, {10, 0});
  AddLine(*w, {0, 5}, {10, 5});
  w->Document()->SetModifiedFlag(false);
  ASSERT_EQ(LineAt(*w, 1), bottom);
  w->DrawView().Select(bottom, false);
  w->MenuAction("置前")->trigger();
  EXPECT_EQ(LineAt(*w, 0), bottom);
  EXPECT_TRUE(w->Document()->GetModifiedFlag());
  w->Document()->SetModifiedFlag(false);
  w->MenuAction("置后")->trigger();
  EXPECT_EQ(LineAt(*w, 1), bottom);
  EXPECT_TRUE(w->Document()->GetModifiedFlag());
}

TEST_F(DrawingWindowTest, PropertiesEditTheFirstSelectedFigureInDrawingState) {
  auto w = NewWindow();
  auto* line = AddLine<TFakeEditedLine>(*w, {0, 0}, {10, 0});
  w->Document()->SetModifiedFlag(false);
  TDocItem* edited = nullptr;
  TFigureView* editedIn = nullptr;
  TViewState state = vsPrint;
  RegisterPropertyEditor(TFakeEditedLine::StaticClass(), [&](TFigureView* View, TDocItem& Item) {
    edited = &Item;
    editedIn = View;
    state = w->Document()->FFigures->FViewState;
    return true;
  });
  w->Document()->FFigures->FViewState = vsArial;
  w->DrawView().Select(line, false);
  w->MenuAction("属性...")->trigger();
  EXPECT_EQ(edited, line);
  EXPECT_EQ(editedIn, static_cast<TFigureView*>(&w->DrawView()));
  EXPECT_EQ(state, vsDraw);
  EXPECT_TRUE(w->Document()->GetModifiedFlag());
  EXPECT_EQ(indexRebuilds, 1);
}

// ---- alignment

TEST(AlignmentOffset, EachChoiceLinesUpItsEdgeOrCentre) {
  const TRect r0{0, 0, 100, 40};   // y up: Top is the lower edge
  const TRect ri{50, 10, 71, 31};  // 21 wide and high
  auto off = [&](int v, int h) { return AlignOffset(r0, ri, {v, h}); };
  EXPECT_EQ(off(0, 0).x, 0);
  EXPECT_EQ(off(0, 0).y, 0);
  EXPECT_EQ(off(1, 0).y, -10);  // lower edges
  EXPECT_EQ(off(3, 0).y, 9);    // upper edges
  EXPECT_EQ(off(2, 0).y, 0);    // (40 - 41) / 2 = -0.5 rounds to even 0
  EXPECT_EQ(off(0, 1).x, -50);
  EXPECT_EQ(off(0, 3).x, 29);
  EXPECT_EQ(off(0, 2).x, -10);  // (100 - 121) / 2 = -10.5 rounds to even
  const TRect rj{0, 0, 3, 3};
  EXPECT_EQ(AlignOffset(r0, rj, {2, 2}).x, 48);  // 97 / 2 = 48.5 -> 48
  EXPECT_EQ(AlignOffset(r0, rj, {2, 2}).y, 18);  // 37 / 2 = 18.5 -> 18
  const TRect rk{0, 0, 1, 1};
  EXPECT_EQ(AlignOffset(r0, rk, {2, 2}).y, 20);  // 39 / 2 = 19.5 -> 20
}

TEST_F(DrawingWindowTest, AlignmentDialogMovesTheOthersUndoablyAndMarksTheDrawingModified) {
  auto w = NewWindow();
  TTxLine* first = AddLine(*w, {10, 10}, {110, 10});
  TTxLine* other = AddLine(*w, {40, 60}, {60, 60});
  w->Document()->SetModifiedFlag(false);
  w->DrawView().Select(first, false);
  w->DrawView().Select(other, true);

  TAlignDialog dlg;
  EXPECT_EQ(dlg.Form().Dialog().windowTitle().toStdString(), "排列");
  EXPECT_EQ(dlg.Form().Labels(), (std::vector<std::string>{"水平方向；", "垂直方向："}));
  dlg.Form().SetText("水平方向；", "1");
  dlg.Form().SetText("垂直方向：", "1");
  dlg.Form().Accept();
  ASSERT_TRUE(dlg.Apply(w->DrawView()));

  // Lower and left edges now meet the first line's; the first stays put.
  EXPECT_DOUBLE_EQ(first->FQd.x, 10);
  EXPECT_DOUBLE_EQ(first->FQd.y, 10);
  EXPECT_DOUBLE_EQ(other->FQd.x, 10);
  EXPECT_DOUBLE_EQ(other->FQd.y, 10);
  EXPECT_DOUBLE_EQ(other->FZd.x, 30);
  EXPECT_TRUE(w->Document()->GetModifiedFlag());
  ASSERT_EQ(w->Document()->GetUndoCount(), 1);
  EXPECT_EQ(w->Document()->FFigures->UndoItem(0)->FOperationVerb, ovEdit);

  w->DrawView().Undo();
  TTxLine* back = LineAt(*w, 0);
  ASSERT_NE(back, nullptr);
  EXPECT_DOUBLE_EQ(back->FQd.x, 40);
  EXPECT_DOUBLE_EQ(back->FQd.y, 60);
}

TEST_F(DrawingWindowTest, AlignmentWithNothingToChangeRecordsNothing) {
  auto w = NewWindow();
  TTxLine* a = AddLine(*w, {10, 10}, {110, 10});
  TTxLine* b = AddLine(*w, {10, 60}, {110, 60});
  w->Document()->SetModifiedFlag(false);
  w->DrawView().Select(a, false);
  w->DrawView().Select(b, true);
  EXPECT_FALSE(AlignSelection(w->DrawView(), {0, 0}));
  EXPECT_FALSE(AlignSelection(w->DrawView(), {0, 1}));  // left edges already meet
  EXPECT_EQ(w->Document()->GetUndoCount(), 0);
  EXPECT_FALSE(w->Document()->GetModifiedFlag());
}

// ---- combined figures

TEST_F(DrawingWindowTest, CombiningNeedsTwoFiguresAndClosedOnes) {
  auto w = NewWindow();
  TTxLine* a = AddLine(*w, {0, 0}, {10, 0});
  TTxLine* b = AddLine(*w, {0, 5}, {10, 5});
  w->DrawView().Select(a, false);
  {
    TScriptedMessageAnswers answers({mrOk});
    w->ComboFigure(2);
    ASSERT_EQ(answers.Asked().size(), 1u);
    EXPECT_EQ(answers.Asked()[0].Text, "必须选择两个或两个以上图形才能执行该操作！");
  }
  w->DrawView().Select(b, true);
  TScriptedMessageAnswers answers({mrOk});
  w->ComboFigure(4);
  ASSERT_EQ(answers.Asked().size(), 1u);
  EXPECT_EQ(answers.Asked()[0].Text, "只有封闭图形才能执行该操作！");
  EXPECT_EQ(FigureCount(*w), 2);
}

// ---- status bar and keys

TEST_F(DrawingWindowTest, MouseMoveShowsTheDrawingPositionInUserUnits) {
  TDef_Tx w(host);
  w.resize(500, 400);
  w.NewFile("NONAME1", 800, 600, 2);
  TTxFigureSet& root = *w.Document()->FFigures;
  root.FAbsx = 3;
  root.FAbsy = -4;
  const TPoint client{120, 90};
  TPoint logical = client;
  w.DrawView().PointClientToDoc(logical);
  const double s = root.GetScale();
  char expected[64];
  std::snprintf(expected, sizeof expected, "%1.1f,%1.1f", (logical.x / s - 3) * 2, (logical.y / s + 4) * 2);
  w.DrawView().MouseMove({}, client);
  ASSERT_FALSE(positions.empty());
  EXPECT_EQ(positions.back(), expected);
}

TEST_F(DrawingWindowTest, MouseEventsOfTheViewReachTheWindow) {
  auto w = NewWindow();
  TTxLine* line = AddLine(*w, {10, 10}, {100, 10});
  w->DrawView().Select(line, false);
  QWidget* viewport = w->DrawView().viewport();
  const QPointF at(80, 70);
  QMouseEvent move(QEvent::MouseMove, at, viewport->mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
  QCoreApplication::sendEvent(viewport, &move);
  EXPECT_EQ(positions.size(), 1u);
  QMouseEvent release(QEvent::MouseButtonRelease, at, viewport->mapToGlobal(at), Qt::RightButton, Qt::NoButton,
                      Qt::NoModifier);
  QCoreApplication::sendEvent(viewport, &release);
  EXPECT_TRUE(w->FigureMenu().isVisible());
  w->FigureMenu().hide();
}

TEST_F(DrawingWindowTest, F8TogglesOrthogonalModeAndRepaintsTheStatusBar) {
  auto w = NewWindow();
  ASSERT_FALSE(env.FOrtho);
  QKeyEvent press(QEvent::KeyPress, Qt::Key_F8, Qt::NoModifier);
  QCoreApplication::sendEvent(&w->DrawView(), &press);
  EXPECT_TRUE(env.FOrtho);
  EXPECT_EQ(statusRepaints, 1);
  QCoreApplication::sendEvent(&w->DrawView(), &press);
  EXPECT_FALSE(env.FOrtho);
  EXPECT_EQ(statusRepaints, 2);
}

// A view of the same document that records the visible areas it is told.
class TRecordingView : public TDocView {
public:
  void ResponseToView(const TRect& Rect) override { Areas.push_back(Rect); }
  std::vector<TRect> Areas;
};

TEST_F(DrawingWindowTest, PaintingTellsTheOtherViewsTheVisibleArea) {
  auto w = NewWindow();
  TRecordingView overview;
  overview.SetDocument(w->Document());
  w->grab();
  ASSERT_FALSE(overview.Areas.empty());
  const TRect expected = w->DrawView().GetClientDocRect();
  EXPECT_EQ(overview.Areas.back().Left, expected.Left);
  EXPECT_EQ(overview.Areas.back().Top, expected.Top);
  EXPECT_EQ(overview.Areas.back().Right, expected.Right);
  EXPECT_EQ(overview.Areas.back().Bottom, expected.Bottom);
  overview.SetDocument(nullptr);
}

}  // namespace
