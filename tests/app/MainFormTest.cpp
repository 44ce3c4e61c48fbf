// The main window: new, open, dropped files, recent files, the delete
// guard, the orthogonal-mode panel, closing with unsaved drawings, the
// command tables, and one whole session from drawing a line to reading it
// back.

#include "AppTestSupport.h"

#include "app/Actions.h"
#include "app/MainForm.h"
#include "app/ScreenCapture.h"
#include "app/ToolWindows.h"
#include "docview/ArialView.h"
#include "docview/Environment.h"
#include "docview/FiguresDoc.h"
#include "figures/LineFigures.h"
#include "platform/FileDialog.h"
#include "platform/System.h"
#include "tools/MultiPointTools.h"
#include "tools/ToolList.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QMouseEvent>
#include <QRegularExpression>
#include <QStatusTipEvent>
#include <QSettings>
#include <QStyle>
#include <QTemporaryDir>
#include <QToolBar>
#include <QUrl>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <set>

namespace {

class MainFormTest : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(tmp.isValid());
    // Recent files and the environment file go to the scratch folder.
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, tmp.path());
    oldDirSys = Dir_Sys;
    Dir_Sys = tmp.path().toStdString() + "/";
    RegisterDocumentClasses();
    RegisterEnvironmentClasses();
    RegisterTools();
    // No test may block on a box: a question nobody expected is answered
    // Cancel and reported.
    unexpected = std::make_unique<TScopedMessageAnswer>(mrCancel);
    form = std::make_unique<TMainForm>();
    form->resize(1200, 800);
    form->show();
    QApplication::processEvents();
    SysEnvironment->FShowNewDialog = false;
    SysEnvironment->FDeleteConfirm = false;
    SysEnvironment->FOrtho = false;
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

  std::string Path(const char* Name) const { return tmp.filePath(Name).toStdString(); }
  void Trigger(const char* Name) {
    QAction* a = form->Action(Name);
    ASSERT_TRUE(a) << Name;
    // As between two user commands, the idle update runs first.
    form->IdleUpdate();
    a->trigger();
  }
  TDef_Tx* NewDrawing() {
    form->Action("A_new")->trigger();
    return form->ActiveDrawing();
  }
  // A saved drawing with one arrow line from (10, 20) to (110, 70).
  void WriteDrawing(const std::string& Name) {
    TTxProjectFile file;
    auto doc = std::make_unique<TFiguresDoc>();
    auto line = std::make_unique<TTxLine>();
    line->FQd = {10, 20};
    line->FZd = {110, 70};
    doc->FFigures->FFigures->Add(std::move(line));
    file.FTxProject->FTxSpaces->Add(std::move(doc));
    WriteDrawingFile(Name, file);
  }
  static std::vector<TCustomFigure*> Figures(TDef_Tx& Tx) {
    std::vector<TCustomFigure*> out;
    TTxCollectFigure* layer = Tx.Document()->FFigures->FFigures;
    for (int i = 0; i < layer->Count(); ++i) out.push_back(layer->Figures(i));
    return out;
  }
  static void FlushDeletes() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }
  // The darkest grey level in the "正交" panel as painted.
  int DarkestOrthoPixel() {
    TMainStatusBar& bar = form->StatusBar();
    bar.UpdatePanelWidths();
    const QImage img = bar.grab().toImage();
    const int left = bar.PanelWidth(0) + bar.PanelWidth(1) + 2;
    int darkest = 255;
    for (int x = left; x < left + 46 && x < img.width(); ++x)
      for (int y = 3; y < img.height() - 3; ++y) darkest = std::min(darkest, qGray(img.pixel(x, y)));
    return darkest;
  }

  QTemporaryDir tmp;
  std::string oldDirSys;
  std::unique_ptr<TScopedMessageAnswer> unexpected;
  std::unique_ptr<TMainForm> form;
};

}  // namespace

// ---- new drawings

TEST_F(MainFormTest, NewDrawingWithThreeWindowsOpenIsNamedNoname4) {
  for (int i = 0; i < 3; ++i) NewDrawing();
  ASSERT_EQ(form->Drawings().size(), 3u);
  TDef_Tx* tx = NewDrawing();
  ASSERT_TRUE(tx);
  EXPECT_EQ(tx->windowTitle(), "NONAME4");
  EXPECT_EQ(tx->FFileName, "NONAME4");
  EXPECT_TRUE(tx->IsNew);
  ASSERT_TRUE(tx->Document());
  // The page fits the window: the default size at the scale from the client size.
  const double s = tx->Document()->FScale;
  EXPECT_GT(s, 0);
  EXPECT_NEAR(tx->Document()->FFigures->FWidth * tx->Document()->FScale, SysEnvironment->FDefaultWidth, 1e-6);
}

TEST_F(MainFormTest, NewDrawingInATinyWindowStillGetsAPositiveScale) {
  form->resize(60, 60);
  QApplication::processEvents();
  TDef_Tx* tx = NewDrawing();
  ASSERT_TRUE(tx && tx->Document());
  const double s = tx->Document()->FScale;
  EXPECT_GT(s, 0);
  EXPECT_TRUE(std::isfinite(s));
}

// ---- opening

TEST_F(MainFormTest, OpeningAMissingFileSaysSoAndOpensNothing) {
  TScopedMessageAnswer answer(mrOk);
  EXPECT_FALSE(form->OpenFile(Path("nowhere.GCK")));
  ASSERT_EQ(answer.Asked().size(), 1u);
  EXPECT_EQ(answer.Asked()[0].Text, "文件不存在！");
  EXPECT_TRUE(form->Drawings().empty());
}

TEST_F(MainFormTest, OpeningANameDifferingOnlyInCaseFindsTheOpenWindow) {
  const std::string lower = Path("plan.gck"), upper = Path("PLAN.GCK");
  WriteDrawing(lower);
  WriteDrawing(upper);
  ASSERT_TRUE(form->OpenFile(lower));
  ASSERT_EQ(form->Drawings().size(), 1u);
  TDef_Tx* first = form->Drawings()[0];
  // A change the reload throws away.
  ASSERT_EQ(Figures(*first).size(), 1u);
  Figures(*first)[0]->MoveByOffset(5, 5);
  {
    TScopedMessageAnswer no(mrNo);
    EXPECT_FALSE(form->OpenFile(upper));
    ASSERT_EQ(no.Asked().size(), 1u);
    EXPECT_EQ(no.Asked()[0].Text, "文件 " + upper + " 已经打开,需要重新打开该文件吗？");
  }
  TScopedMessageAnswer yes(mrYes);
  EXPECT_TRUE(form->OpenFile(upper));
  EXPECT_EQ(yes.Asked().size(), 1u);
  ASSERT_EQ(form->Drawings().size(), 1u);
  EXPECT_EQ(form->Drawings()[0], first);
  auto* line = dynamic_cast<TTxLine*>(Figures(*first).at(0));
  ASSERT_TRUE(line);
  EXPECT_DOUBLE_EQ(line->FQd.x, 10);
}

TEST_F(MainFormTest, ReopeningADrawingReadDamagedAnsweredYesReadsItAgain) {
  {
    TTxProjectFile file;
    auto doc = std::make_unique<TFiguresDoc>();
    for (int i = 0; i < 6; ++i) {
      auto line = std::make_unique<TTxLine>();
      line->FQd = {10.0 * i, 0};
      line->FZd = {10.0 * i, 50};
      doc->FFigures->FFigures->Add(std::move(line));
    }
    file.FTxProject->FTxSpaces->Add(std::move(doc));
    WriteDrawingFile(Path("good.GCK"), file);
  }
  const std::string damaged = Path("damaged.GCK");
  WriteDamagedCopy(Path("good.GCK"), damaged, CutTail(300));
  std::size_t kept = 0;
  {
    TScopedMessageAnswer ok(mrOk);
    ASSERT_TRUE(form->OpenFile(damaged));
    ASSERT_EQ(ok.Asked().size(), 1u);
    kept = Figures(*form->ActiveDrawing()).size();
    ASSERT_GE(kept, 1u);
  }
  TScopedMessageAnswer yes(mrYes);
  EXPECT_TRUE(form->OpenFile(damaged));
  ASSERT_EQ(yes.Asked().size(), 2u);
  EXPECT_EQ(yes.Asked()[0].Text, "文件 " + damaged + " 已经打开,需要重新打开该文件吗？");
  EXPECT_EQ(yes.Asked()[1].Type, mtWarning);
  ASSERT_EQ(form->Drawings().size(), 1u);
  EXPECT_EQ(Figures(*form->Drawings()[0]).size(), kept);
}

TEST_F(MainFormTest, DroppingAGckAndATxtFileOpensOnlyTheGck) {
  const std::string a = Path("a.gck"), b = Path("b.txt");
  WriteDrawing(a);
  QFile text(QString::fromStdString(b));
  ASSERT_TRUE(text.open(QIODevice::WriteOnly));
  text.write("not a drawing");
  text.close();
  QMimeData mime;
  mime.setUrls({QUrl::fromLocalFile(QString::fromStdString(a)), QUrl::fromLocalFile(QString::fromStdString(b))});
  QDragEnterEvent enter(QPoint(100, 100), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(form.get(), &enter);
  EXPECT_TRUE(enter.isAccepted());
  QDropEvent drop(QPointF(100, 100), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(form.get(), &drop);
  ASSERT_EQ(form->Drawings().size(), 1u);
  EXPECT_EQ(form->Drawings()[0]->windowTitle().toStdString(), a);
}

TEST_F(MainFormTest, OpenActionOffersTheDrawingFiltersAndOpensTheChosenDrawing) {
  const std::string a = Path("site.GCK");
  WriteDrawing(a);
  TScopedFileDialogAnswer answer({true, a, 1});
  Trigger("A_Open");
  ASSERT_EQ(answer.Asked().size(), 1u);
  EXPECT_FALSE(answer.Asked()[0].Save);
  EXPECT_EQ(answer.Asked()[0].Filter, "工程文件(*.GCK)|*.GCK|图形交换文件(*.DXF)|*.DXF|所有文件(*.*)|*.*");
  EXPECT_EQ(answer.Asked()[0].InitialDir, Dir_Sys + "平面图文件");
  ASSERT_EQ(form->Drawings().size(), 1u);
  EXPECT_EQ(Figures(*form->Drawings()[0]).size(), 1u);
}

// ---- recent files

TEST_F(MainFormTest, ARecentDxfFileThatIsGoneSaysSo) {
  TScopedMessageAnswer answer(mrOk);
  form->OpenRecentFile(Path("old.DXF"));
  ASSERT_EQ(answer.Asked().size(), 1u);
  EXPECT_EQ(answer.Asked()[0].Text, "文件不存在！");
  EXPECT_TRUE(form->Drawings().empty());
}

TEST_F(MainFormTest, AClosedSavedDrawingJoinsTheRecentFilesAndTheListCanBeCleaned) {
  const std::string a = Path("a.GCK");
  WriteDrawing(a);
  ASSERT_TRUE(form->OpenFile(a));
  Trigger("A_Close");
  FlushDeletes();
  EXPECT_TRUE(form->Drawings().empty());
  ASSERT_FALSE(form->RecentFiles().empty());
  EXPECT_EQ(form->RecentFiles()[0], a);
  QSettings settings("Verdaplan", "Plandeck");
  EXPECT_EQ(settings.value("Plandeck MRU").toStringList().value(0).toStdString(), a);

  // A file gone from disk is dropped by "删除无效文件列表" and the rest stays.
  form->AddRecentFile(Path("gone.GCK"));
  form->RemoveMissingRecentFiles();
  EXPECT_EQ(form->RecentFiles(), std::vector<std::string>{a});
  // The menu offers the entry and both list commands.
  form->RecentMenu().popup(QPoint(0, 0));
  form->RecentMenu().hide();
  QStringList texts;
  for (QAction* act : form->RecentMenu().actions()) texts << act->text();
  EXPECT_TRUE(texts.contains("清空文件列表"));
  EXPECT_TRUE(texts.contains("删除无效文件列表"));
  EXPECT_TRUE(texts.filter(QString::fromStdString(a)).size() == 1);
  form->ClearRecentFiles();
  EXPECT_TRUE(form->RecentFiles().empty());
}

// ---- commands on the view

TEST_F(MainFormTest, DeleteDoesNothingWhileACreationToolIsCurrent) {
  TDef_Tx* tx = NewDrawing();
  ASSERT_TRUE(tx && tx->Document());
  auto line = std::make_unique<TTxLine>();
  line->FZd = {50, 50};
  TTxLine* raw = line.get();
  tx->Document()->Add(std::move(line), TPoint{0, 0}, &tx->DrawView());
  Trigger("A_ArrowLine");
  ASSERT_EQ(tx->DrawView().ItemClass(), &TTxLine::StaticClass());
  tx->DrawView().FSelection.Add(raw);
  Trigger("A_Delete");
  EXPECT_EQ(Figures(*tx).size(), 1u);

  // With the selection tool the same command deletes.
  Trigger("A_Move");
  tx->DrawView().Select(raw, false);
  Trigger("A_Delete");
  EXPECT_TRUE(Figures(*tx).empty());
}

TEST_F(MainFormTest, RedoEmptiesTheSelectionAndRedoesTheUndoneStep) {
  TDef_Tx* tx = NewDrawing();
  TDrawView& v = tx->DrawView();
  auto other = std::make_unique<TTxLine>();
  TTxLine* kept = other.get();
  tx->Document()->Add(std::move(other), TPoint{0, 0}, &v);
  auto line = std::make_unique<TTxLine>();
  TTxLine* raw = line.get();
  tx->Document()->Add(std::move(line), TPoint{0, 0}, &v);
  v.Select(raw, false);
  v.BackUp(ovAdd);
  form->IdleUpdate();
  EXPECT_TRUE(form->Action("A_Undo")->isEnabled());
  EXPECT_FALSE(form->Action("A_Redo")->isEnabled());
  Trigger("A_Undo");
  EXPECT_EQ(Figures(*tx).size(), 1u);
  v.Select(kept, false);
  form->IdleUpdate();
  EXPECT_TRUE(form->Action("A_Redo")->isEnabled());
  Trigger("A_Redo");
  EXPECT_EQ(Figures(*tx).size(), 2u);
  EXPECT_FALSE(v.IsSelected(kept));
}

TEST_F(MainFormTest, MirrorPreparesTheMirrorToolWithTheSelectionAsSources) {
  TDef_Tx* tx = NewDrawing();
  TDrawView& v = tx->DrawView();
  auto line = std::make_unique<TTxLine>();
  line->FZd = {40, 30};
  TTxLine* raw = line.get();
  tx->Document()->Add(std::move(line), TPoint{0, 0}, &v);
  Trigger("A_Move");
  v.Select(raw, false);
  Trigger("TB_Mirror");
  EXPECT_TRUE(dynamic_cast<TMirrorTool*>(v.CurrentTool()));
  EXPECT_EQ(v.Selection().Count(), 0);
  ASSERT_EQ(v.FTempList.Count(), 1);
  EXPECT_EQ(v.FTempList.Items(0), raw);
  auto* block = dynamic_cast<TCustomFigureSet*>(v.CurrentItem());
  ASSERT_TRUE(block);
  ASSERT_EQ(block->FFigures->Count(), 1);
  EXPECT_NE(block->FFigures->Figures(0), raw);
}

TEST_F(MainFormTest, ThePenColourButtonColoursTheSelectionAndShowsItsColourBeforeDroppingDown) {
  TDef_Tx* tx = NewDrawing();
  TDrawView& v = tx->DrawView();
  auto line = std::make_unique<TTxLine>();
  TTxLine* raw = line.get();
  tx->Document()->Add(std::move(line), TPoint{0, 0}, &v);
  Trigger("A_Move");
  v.Select(raw, false);
  auto* pen = form->ToolBar(4)->findChild<TColorButton*>("TB_PenColor");
  ASSERT_TRUE(pen);
  ASSERT_TRUE(pen->Chosen && pen->Current);
  pen->Chosen(RGB(255, 0, 0));
  EXPECT_EQ(raw->FPen.Color, RGB(255, 0, 0));
  raw->FPen.Color = RGB(0, 128, 0);
  EXPECT_EQ(pen->Current(), std::optional<unsigned>(RGB(0, 128, 0)));
  // The fill button starts in its no-colour state.
  auto* fill = form->ToolBar(4)->findChild<TColorButton*>("TB_FillColor");
  ASSERT_TRUE(fill);
  EXPECT_FALSE(fill->ShownColor().has_value());
}

TEST_F(MainFormTest, ScreenCaptureCopiesTheChosenAreaToTheClipboard) {
  QImage screen(64, 48, QImage::Format_RGB32);
  screen.fill(Qt::white);
  screen.setPixel(10, 5, qRgb(255, 0, 0));
  ASSERT_TRUE(CopyScreenArea(screen, QRect(10, 5, 20, 10)));
  const QImage copied = QGuiApplication::clipboard()->image();
  ASSERT_EQ(copied.size(), QSize(20, 10));
  EXPECT_EQ(QColor(copied.pixel(0, 0)), QColor(255, 0, 0));
  EXPECT_EQ(QColor(copied.pixel(1, 0)), QColor(255, 255, 255));
  // An area off the screen copies nothing.
  EXPECT_FALSE(CopyScreenArea(screen, QRect(100, 100, 5, 5)));
  EXPECT_FALSE(CopyScreenArea(QImage(), QRect(0, 0, 5, 5)));
}

// ---- status bar

TEST_F(MainFormTest, HintsGoToTheFirstPanelAndTheMousePositionToTheSecond) {
  TDef_Tx* tx = NewDrawing();
  QStatusTipEvent tip(QString::fromUtf8("关闭当前工程"));
  QApplication::sendEvent(form.get(), &tip);
  EXPECT_EQ(form->StatusBar().PanelText(0), QString::fromUtf8("关闭当前工程"));
  QWidget* port = tx->DrawView().viewport();
  const QPointF p(200, 150);
  QMouseEvent move(QEvent::MouseMove, p, port->mapToGlobal(p), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(port, &move);
  EXPECT_TRUE(QRegularExpression("^-?\\d+\\.\\d,-?\\d+\\.\\d$").match(form->StatusBar().PanelText(1)).hasMatch())
      << form->StatusBar().PanelText(1).toStdString();
}

TEST_F(MainFormTest, ThePositionGoesFromTheStatusBarWithTheLastDrawing) {
  TDef_Tx* first = NewDrawing();
  NewDrawing();
  QWidget* port = form->ActiveDrawing()->DrawView().viewport();
  const QPointF p(200, 150);
  QMouseEvent move(QEvent::MouseMove, p, port->mapToGlobal(p), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(port, &move);
  ASSERT_FALSE(form->StatusBar().PanelText(1).isEmpty());
  Trigger("A_Close");
  FlushDeletes();
  form->IdleUpdate();
  EXPECT_FALSE(form->StatusBar().PanelText(1).isEmpty()) << "a drawing is still open";
  ASSERT_EQ(form->ActiveDrawing(), first);
  Trigger("A_Close");
  FlushDeletes();
  QApplication::processEvents();
  form->IdleUpdate();
  EXPECT_TRUE(form->Drawings().empty());
  EXPECT_TRUE(form->StatusBar().PanelText(1).isEmpty()) << form->StatusBar().PanelText(1).toStdString();
}

// ---- titles and icons

TEST_F(MainFormTest, WindowsShowTheirOwnTitlesAndTheProgramsIcon) {
  // No display name is fixed for Qt to append (" — Plandeck") to every title.
  const QString name = QCoreApplication::applicationName();
  QCoreApplication::setApplicationName("probe");
  EXPECT_EQ(QGuiApplication::applicationDisplayName(), QString("probe"));
  QCoreApplication::setApplicationName(name);

  EXPECT_EQ(form->windowTitle(), QString("Plandeck"));
  WriteDrawing(Path("site.GCK"));
  ASSERT_TRUE(form->OpenFile(Path("site.GCK")));
  QMdiSubWindow* sub = form->MdiArea().currentSubWindow();
  ASSERT_TRUE(sub);
  EXPECT_EQ(sub->windowTitle(), QString::fromStdString(Path("site.GCK")));
  // The drawing window's title bar shows the program's icon, not Qt's.
  const QImage icon = ProgramIcon().pixmap(16, 16).toImage();
  EXPECT_EQ(sub->windowIcon().pixmap(16, 16).toImage(), icon);
  EXPECT_EQ(form->windowIcon().pixmap(16, 16).toImage(), icon);
  EXPECT_NE(sub->style()->standardIcon(QStyle::SP_TitleBarMenuButton).pixmap(16, 16).toImage(), icon);
}

// ---- orthogonal mode

TEST_F(MainFormTest, OrthoPanelTurnsBlackWithF8AndGreyAgainWithADoubleClickAtTheRightEnd) {
  TDef_Tx* tx = NewDrawing();
  ASSERT_TRUE(tx);
  form->IdleUpdate();
  EXPECT_GE(DarkestOrthoPixel(), 100);  // grey RGB(128, 128, 128)

  QKeyEvent f8(QEvent::KeyPress, Qt::Key_F8, Qt::NoModifier);
  QApplication::sendEvent(&tx->DrawView(), &f8);
  EXPECT_TRUE(SysEnvironment->FOrtho);
  form->IdleUpdate();
  EXPECT_EQ(form->StatusBar().OrthoColor(), QColor(0, 0, 0));
  EXPECT_LT(DarkestOrthoPixel(), 60);

  TMainStatusBar& bar = form->StatusBar();
  // Far from the right end a double click changes nothing.
  QMouseEvent far(QEvent::MouseButtonDblClick, QPointF(10, 5), bar.mapToGlobal(QPointF(10, 5)), Qt::LeftButton,
                  Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&bar, &far);
  EXPECT_TRUE(SysEnvironment->FOrtho);
  const QPointF end(bar.width() - 20, 5);
  QMouseEvent near(QEvent::MouseButtonDblClick, end, bar.mapToGlobal(end), Qt::LeftButton, Qt::LeftButton,
                   Qt::NoModifier);
  QApplication::sendEvent(&bar, &near);
  EXPECT_FALSE(SysEnvironment->FOrtho);
  EXPECT_GE(DarkestOrthoPixel(), 100);
  QApplication::sendEvent(&bar, &near);
  EXPECT_TRUE(SysEnvironment->FOrtho);
  EXPECT_LT(DarkestOrthoPixel(), 60);
}

// ---- closing

TEST_F(MainFormTest, CancellingTheQuestionOfAModifiedDrawingKeepsTheMainWindowOpen) {
  TDef_Tx* tx = NewDrawing();
  tx->Document()->SetModifiedFlag(true);
  const std::string env = Dir_Sys + "Plandeck.env";
  {
    TScopedMessageAnswer cancel(mrCancel);
    EXPECT_FALSE(form->close());
    ASSERT_EQ(cancel.Asked().size(), 1u);
    EXPECT_EQ(cancel.Asked()[0].Text, "将修改部分保存吗?");
  }
  EXPECT_TRUE(form->isVisible());
  EXPECT_EQ(form->Drawings().size(), 1u);
  EXPECT_FALSE(std::filesystem::exists(env));

  // "No" lets the window close, asks once, and the environment is written.
  TScopedMessageAnswer no(mrNo);
  EXPECT_TRUE(form->close());
  EXPECT_EQ(no.Asked().size(), 1u);
  EXPECT_TRUE(form->Drawings().empty());
  EXPECT_TRUE(std::filesystem::exists(env));
}

TEST_F(MainFormTest, ASecondDrawingRefusingToCloseKeepsTheFirstOpenToo) {
  TDef_Tx* first = NewDrawing();
  TDef_Tx* second = NewDrawing();
  first->Document()->SetModifiedFlag(true);
  second->Document()->SetModifiedFlag(true);
  int asked = 0;
  SetMessageAnswerHook([&](const TMessageRequest&) { return ++asked == 1 ? mrNo : mrCancel; });
  EXPECT_FALSE(form->close());
  SetMessageAnswerHook(nullptr);
  EXPECT_EQ(asked, 2);
  EXPECT_EQ(form->Drawings().size(), 2u);
}

// ---- the command tables

TEST_F(MainFormTest, ActionsCarryTheirCaptionsHintsAndShortcuts) {
  struct Row {
    const char* Name;
    const char* Caption;
    const char* Hint;
    const char* Key;
  };
  const Row rows[] = {
      {"A_new", "新建(&N)", "新建", "Ctrl+N"},
      {"A_Open", "打开(&O)", "打开", "Ctrl+O"},
      {"A_Exit", "退出(&X)", "退出应用程序", ""},
      {"A_Close", "关闭(&C)", "关闭当前工程", ""},
      {"A_Item", "图块", "元件", ""},
      {"A_XLabel", "斜文本", "标签", ""},
      {"A_Redo", "恢复(&Y)", "恢复", "Ctrl+Y"},
      {"A_Delete", "删除(&D)", "删除", "Del"},
      {"A_ZoomPrevious", "恢复前一缩放比例(&V)", "恢复前一缩放比例", ""},
      {"A_BlockForge", "元件编辑器(&T)", "打开元件编辑器", ""},
      {"A_Picture", "图片(&P)", "插入图片", ""},
      {"A_Arial", "导航器(&A)", "导航器", "F10"},
      {"mi_ToolIndex", "索引(&I)", "索引", "F9"},
      {"mi_ViewRefresh", "刷新(&R)", "刷新", "F5"},
      {"mi_EditCopyPicture", "复制图片", "复制图片", "Ctrl+Alt+C"},
      {"mi_WindowMinimize", "最小化全部窗口(&M)", "最小化全部窗口", ""},
      {"TB_Font", "字体", "字体 ", ""},
  };
  for (const Row& r : rows) {
    QAction* a = form->Action(r.Name);
    ASSERT_TRUE(a) << r.Name;
    EXPECT_EQ(a->text(), QString::fromUtf8(r.Caption)) << r.Name;
    EXPECT_EQ(a->toolTip(), QString::fromUtf8(r.Hint)) << r.Name;
    EXPECT_EQ(a->shortcut(), QKeySequence(QString::fromUtf8(r.Key), QKeySequence::PortableText)) << r.Name;
  }
  EXPECT_EQ(ActionTable().size(), 62u);
  std::set<std::string> names;
  for (const TActionDef& d : ActionTable()) EXPECT_TRUE(names.insert(d.Name).second) << d.Name;
}

TEST_F(MainFormTest, EveryNameInTheMenusAndToolBarsIsACommand) {
  std::function<void(const TMenuNode&)> walk = [&](const TMenuNode& n) {
    for (const TMenuNode& i : n.Items) {
      const std::string name = i.Name;
      if (!i.Items.empty()) {
        walk(i);
      } else if (name != "-" && name != "MRU" && name != "WindowList") {
        EXPECT_TRUE(form->Action(name)) << name;
      }
    }
  };
  for (const TMenuNode& top : MainMenuLayout()) walk(top);
  for (const TToolBarDef& bar : ToolBarLayout())
    for (const char* n : bar.Items) {
      if (std::string(n) != "|") {
        EXPECT_TRUE(form->Action(n)) << n;
      }
    }

  const char* titles[] = {"文件(&F)", "编辑(&E)", "视图(&V)", "插入(&I)", "绘图(&D)",
                          "修改(&M)", "工具(&T)", "窗口(&W)", "帮助(&H)"};
  const QList<QAction*> tops = form->menuBar()->actions();
  ASSERT_EQ(tops.size(), 9);
  for (int i = 0; i < 9; ++i) EXPECT_EQ(tops[i]->text(), QString::fromUtf8(titles[i]));
  const char* bars[] = {"常用工具栏", "绘图工具栏1", "绘图工具栏2", "操作工具栏"};
  const Qt::ToolBarArea areas[] = {Qt::TopToolBarArea, Qt::LeftToolBarArea, Qt::RightToolBarArea,
                                   Qt::BottomToolBarArea};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(form->ToolBar(i + 1)->windowTitle(), QString::fromUtf8(bars[i]));
    EXPECT_EQ(form->toolBarArea(form->ToolBar(i + 1)), areas[i]);
    EXPECT_TRUE(form->ToolBar(i + 1)->isMovable());
  }
}

TEST_F(MainFormTest, CommandsWithoutTheirSubsystemStayVisibleButDisabled) {
  NewDrawing();
  form->IdleUpdate();
  for (const char* n : {"A_Ole"}) {
    ASSERT_TRUE(form->Action(n)) << n;
    EXPECT_FALSE(form->Action(n)->isEnabled()) << n;
    EXPECT_TRUE(form->Action(n)->isVisible()) << n;
  }
  // The line figures the program has are drawn with their tools.
  for (const char* n : {"A_ArrowLine", "A_BzLine", "A_ConstructionLine"}) EXPECT_TRUE(form->Action(n)->isEnabled()) << n;
  // So are the arcs, and the combined figures with their three buttons.
  for (const char* n : {"A_Arc", "A_Chord", "A_CirPart", "A_RectArc", "TB_Union", "TB_Subtract", "TB_Intersect"})
    EXPECT_TRUE(form->Action(n)->isEnabled()) << n;
  // So are the block library and the layer manager.
  for (const char* n : {"A_Item", "TB_LayerManager"}) EXPECT_TRUE(form->Action(n)->isEnabled()) << n;
  // Printing is offered with a drawing open, to a PDF file at least.
  for (const char* n : {"A_Print", "A_PrintPreview"}) EXPECT_TRUE(form->Action(n)->isEnabled()) << n;
}

TEST_F(MainFormTest, IdleUpdateFollowsTheActiveDrawing) {
  form->IdleUpdate();
  for (const char* n : {"A_Close", "A_Save", "mi_FileSaveAs", "A_Cut", "A_Undo", "mi_EditSelectAll"})
    EXPECT_FALSE(form->Action(n)->isEnabled()) << n;
  TDef_Tx* tx = NewDrawing();
  form->IndexWindow().show();
  form->ArialWindow().show();
  form->IdleUpdate();
  for (const char* n : {"A_Close", "A_Save", "mi_FileSaveAs", "A_Cut", "mi_EditSelectAll"})
    EXPECT_TRUE(form->Action(n)->isEnabled()) << n;
  EXPECT_FALSE(form->Action("A_Undo")->isEnabled());
  EXPECT_EQ(form->IndexWindow().IndexView().Document(), tx->Document());
  EXPECT_EQ(form->ArialWindow().ArialView().Document(), tx->Document());
  // Hiding a tool bar clears its check mark.
  Trigger("mi_ViewDraw2");
  form->IdleUpdate();
  EXPECT_FALSE(form->Action("mi_ViewDraw2")->isChecked());
  EXPECT_TRUE(form->ToolBar(3)->isHidden());
}

TEST_F(MainFormTest, IndexAndNavigatorWindowsShowTheActiveDrawing) {
  TDef_Tx* tx = NewDrawing();
  ASSERT_TRUE(form->IndexWindow().isHidden());
  Trigger("mi_ToolIndex");
  EXPECT_TRUE(form->IndexWindow().isVisible());
  EXPECT_EQ(form->IndexWindow().windowTitle(), "索引列表");
  EXPECT_EQ(form->IndexWindow().IndexView().Document(), tx->Document());
  Trigger("A_Arial");
  EXPECT_TRUE(form->ArialWindow().isVisible());
  EXPECT_EQ(form->ArialWindow().windowTitle(), "导航器");
  EXPECT_EQ(form->ArialWindow().ArialView().Document(), tx->Document());
  // A second drawing takes both over at the next idle moment.
  TDef_Tx* second = NewDrawing();
  form->IdleUpdate();
  EXPECT_EQ(form->IndexWindow().IndexView().Document(), second->Document());
  EXPECT_EQ(form->ArialWindow().ArialView().Document(), second->Document());
  // The index window's own button adds a layer to the active drawing.
  const int layers = second->Document()->FFigures->LayerCount();
  form->IndexWindow().Button(0)->trigger();
  EXPECT_EQ(second->Document()->FFigures->LayerCount(), layers + 1);
}

TEST_F(MainFormTest, RefreshPaintsTheNavigatorAfreshToo) {
  TDef_Tx* tx = NewDrawing();
  Trigger("A_Arial");
  TTxFigureSet& root = *tx->Document()->FFigures;
  std::string name;
  root.AddLayer(name);
  auto line = std::make_unique<TTxLine>();
  TTxLine* raw = line.get();
  line->FQd = {20, 20};
  line->FZd = {300, 200};
  line->FPen.Color = RGB(0, 255, 0);
  line->FPen.Width = 3;
  tx->Document()->Add(std::move(line), TPoint{0, 0}, nullptr);
  root.ExchangeFigureLayer(raw, 0, 1);
  TArialView& arial = form->ArialWindow().ArialView();
  auto green = [&arial] {
    QApplication::processEvents();
    const QImage img = arial.viewport()->grab().toImage();
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
      for (int x = 0; x < img.width(); ++x)
        if ((img.pixel(x, y) & 0xFFFFFF) == 0x00FF00) ++n;
    return n;
  };
  arial.InvalidateView();
  ASSERT_GT(green(), 0);
  // The layer hidden behind the views' backs: F5 shows the drawing as it is.
  ASSERT_TRUE(root.SetLayerVisible(1, false));
  Trigger("mi_ViewRefresh");
  EXPECT_EQ(green(), 0);
}

// ---- where the settings are kept

TEST_F(MainFormTest, SettingsChangedWithAReadOnlyProgramFolderSurviveARestart) {
  QTemporaryDir config;
  ASSERT_TRUE(config.isValid());
  const QByteArray oldConfig = qgetenv("XDG_CONFIG_HOME");
  qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
  namespace fs = std::filesystem;
  const fs::path program = Path("program");
  fs::create_directories(program);
  fs::permissions(program, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
  const std::string userFile = config.path().toStdString() + "/Verdaplan/Plandeck/Plandeck.env";

  form.reset();
  Dir_Sys = program.string() + "/";
  form = std::make_unique<TMainForm>();
  SysEnvironment->FUndoCount = 9;
  SysEnvironment->FCaptureBj = 14;
  EXPECT_TRUE(form->close());
  EXPECT_FALSE(fs::exists(program / "Plandeck.env"));
  EXPECT_TRUE(fs::exists(userFile));

  form.reset();
  form = std::make_unique<TMainForm>();
  EXPECT_EQ(SysEnvironment->FUndoCount, 9);
  EXPECT_EQ(SysEnvironment->FCaptureBj, 14);

  fs::permissions(program, fs::perms::owner_all, fs::perm_options::add);
  qputenv("XDG_CONFIG_HOME", oldConfig);
}

// ---- a whole session

TEST_F(MainFormTest, SmokeDrawSaveCloseReopenKeepsTheLine) {
  TDef_Tx* tx = NewDrawing();
  ASSERT_TRUE(tx && tx->Document());
  Trigger("A_ArrowLine");
  TDrawView& v = tx->DrawView();
  QWidget* port = v.viewport();
  auto send = [&](QEvent::Type Type, QPoint P, Qt::MouseButton Button, Qt::MouseButtons Buttons) {
    QMouseEvent e(Type, QPointF(P), port->mapToGlobal(QPointF(P)), Button, Buttons, Qt::NoModifier);
    QApplication::sendEvent(port, &e);
  };
  const QPoint a(120, 150), b(320, 90);
  send(QEvent::MouseButtonPress, a, Qt::LeftButton, Qt::LeftButton);
  send(QEvent::MouseButtonRelease, a, Qt::LeftButton, Qt::NoButton);
  send(QEvent::MouseMove, QPoint(220, 120), Qt::NoButton, Qt::NoButton);
  send(QEvent::MouseButtonPress, b, Qt::LeftButton, Qt::LeftButton);
  send(QEvent::MouseButtonRelease, b, Qt::LeftButton, Qt::NoButton);
  ASSERT_EQ(Figures(*tx).size(), 1u);
  auto* drawn = dynamic_cast<TTxLine*>(Figures(*tx)[0]);
  ASSERT_TRUE(drawn);
  const Tpt qd = drawn->FQd, zd = drawn->FZd;
  EXPECT_GT(std::abs(zd.x - qd.x), 10);
  form->IdleUpdate();
  EXPECT_TRUE(form->Action("A_Save")->isEnabled());

  const std::string file = Path("smoke.GCK");
  {
    TScopedFileDialogAnswer answer({true, file, 1});
    Trigger("A_Save");
    ASSERT_EQ(answer.Asked().size(), 1u);
    EXPECT_TRUE(answer.Asked()[0].Save);
  }
  ASSERT_TRUE(std::filesystem::exists(file));
  EXPECT_FALSE(tx->Document()->GetModifiedFlag());
  {
    TScopedMessageAnswer none(mrCancel);
    Trigger("A_Close");
    EXPECT_TRUE(none.Asked().empty());
  }
  FlushDeletes();
  ASSERT_TRUE(form->Drawings().empty());

  ASSERT_TRUE(form->OpenFile(file));
  ASSERT_EQ(form->Drawings().size(), 1u);
  TDef_Tx* back = form->Drawings()[0];
  ASSERT_EQ(Figures(*back).size(), 1u);
  auto* line = dynamic_cast<TTxLine*>(Figures(*back)[0]);
  ASSERT_TRUE(line);
  EXPECT_DOUBLE_EQ(line->FQd.x, qd.x);
  EXPECT_DOUBLE_EQ(line->FQd.y, qd.y);
  EXPECT_DOUBLE_EQ(line->FZd.x, zd.x);
  EXPECT_DOUBLE_EQ(line->FZd.y, zd.y);
}
