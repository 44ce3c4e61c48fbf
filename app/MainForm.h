#pragma once
// TMainForm: the program's main window. A multiple-document frame holding
// one TDef_Tx per open drawing, the menus and tool bars built from the
// action tables (app/Actions.h), the status bar, the recent-file list, the
// index and navigator tool windows, and the file commands.

#include "app/Def_Tx.h"

#include <QIcon>
#include <QMainWindow>
#include <QStatusBar>

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QToolBar;
class QToolButton;
class TEnvironmentComponent;
class TfDef_Inh;
class TArial;
class TAboutBox;
class TColorButton;

// The status bar: panel 0 the hint, panel 1 the mouse position, panel 2
// "正交" drawn centred, black while orthogonal drawing is on.
class TMainStatusBar : public QStatusBar {
public:
  explicit TMainStatusBar(QWidget* Parent = nullptr);
  void SetPanelText(int Index, const QString& Text);
  QString PanelText(int Index) const { return FText[Index]; }
  // Widths of panels 0 and 1 from the bar's width (the idle update).
  void UpdatePanelWidths();
  int PanelWidth(int Index) const { return FWidth[Index]; }
  // The colour "正交" is drawn in now.
  QColor OrthoColor() const;
  // A widget laid over panel 0 while it is shown (the typed-point entry).
  void SetPanelWidget(QWidget* Widget);

protected:
  void paintEvent(QPaintEvent* Event) override;
  void mouseDoubleClickEvent(QMouseEvent* Event) override;

private:
  void resizeEvent(QResizeEvent* Event) override;
  void PlacePanelWidget();

  QString FText[2];
  int FWidth[2] = {0, 0};
  QWidget* FPanelWidget = nullptr;
};

class TMainForm : public QMainWindow {
public:
  explicit TMainForm(QWidget* Parent = nullptr);
  ~TMainForm() override;

  // ---- what the window holds
  QAction* Action(std::string_view Name) const;
  std::vector<std::string> ActionNames() const;
  QMenu* TopMenu(int Index) const;
  QToolBar* ToolBar(int Index) const;  // 1 to 4
  TDef_Tx* ActiveDrawing() const;
  std::vector<TDef_Tx*> Drawings() const;
  QMdiArea& MdiArea() const { return *FMdiArea; }
  TMainStatusBar& StatusBar() const { return *FStatusBar; }
  // The typed-point entry every drawing view opens in the status bar.
  TPointEntryBox& PointEntry() const { return *FPointEntry; }
  TfDef_Inh& IndexWindow() const { return *FIndex; }
  TArial& ArialWindow() const { return *FArial; }
  TAboutBox& AboutBox() const { return *FAbout; }
  QMenu& RecentMenu() const { return *FRecentMenu; }

  // ---- files
  // True when a drawing was loaded (or reloaded).
  bool OpenFile(const std::string& AName);
  // A new drawing window captioned AName, not yet filled.
  TDef_Tx* CreateDrawing(const std::string& AName);
  // Opens every .GCK file among the names (case-insensitive); others are ignored.
  void DropFiles(const std::vector<std::string>& Names);
  // Recent files, newest first.
  std::vector<std::string> RecentFiles() const;
  void AddRecentFile(const std::string& Name);
  void OpenRecentFile(const std::string& Name);
  void ClearRecentFiles();
  void RemoveMissingRecentFiles();

  // Recomputes what is enabled; runs whenever the application goes idle.
  void IdleUpdate();

  // ---- command handlers named in the action tables
  void NewExecute();
  void OpenExecute();
  void SaveExecute();
  void SaveAsExecute();
  void CloseExecute();
  void ExitExecute();
  void FilePropertiesExecute();
  void MissingExecute();
  void PrintExecute();
  void PrintPreviewExecute();
  void UndoExecute();
  void RedoExecute();
  void CutExecute();
  void CopyExecute();
  void PasteExecute();
  void PastePictureExecute();
  void CopyPictureExecute();
  void CopyOuterPictureExecute();
  void DeleteExecute();
  void SelectAllExecute();
  void ZoomExtendsExecute();
  void ZoomPreviousExecute();
  void RefreshExecute();
  void ViewNormalExecute();
  void ViewDraw1Execute();
  void ViewDraw2Execute();
  void ViewOperateExecute();
  void PropertiesExecute();
  void ScaleExecute();
  void ExplodeExecute();
  void MakeBlockExecute();
  void InsertChildFigureSetExecute();
  void CopyObjectExecute();
  void OffsetExecute();
  void MoveCopyExecute();
  void MoveObjectExecute();
  void ArrayExecute();
  void MirrorExecute();
  void EditEndExecute();
  void PenStyleExecute();
  void FillExecute();
  void FontExecute();
  void LineWidthExecute();
  void ScannerExecute();
  void PictureExecute();
  void SelectPictureTool();
  void ToolOptionsExecute();
  void ToolCaptureExecute();
  void IndexExecute();
  void ArialExecute();
  void BlockForgeExecute();
  void WindowCascadeExecute();
  void WindowTileExecute();
  void WindowArrangeExecute();
  void WindowMinimizeExecute();
  void HelpIndexExecute();
  void AboutExecute();

protected:
  bool event(QEvent* Event) override;
  void closeEvent(QCloseEvent* Event) override;
  void dragEnterEvent(QDragEnterEvent* Event) override;
  void dropEvent(QDropEvent* Event) override;

private:
  void FormCreate();
  void BuildActions();
  void BuildMenus();
  void BuildToolBars();
  void FillMenu(QMenu& Menu, const struct TMenuNode& Node);
  void RunAction(const struct TActionDef& Def);
  void RebuildRecentMenus();
  void RebuildWindowMenu();
  void ToggleToolBar(int Index);
  // The active view, or null.
  TDrawView* View() const;
  TDrawingWindowHost Host();
  void SetDefaultOperation(TDrawView& V) const;
  // After the options dialogs: what every view takes from the environment.
  void ApplyEnvironmentToViews(bool Options);

  std::unique_ptr<TEnvironmentComponent> EnvironmentComponent1;
  QMdiArea* FMdiArea = nullptr;
  TMainStatusBar* FStatusBar = nullptr;
  TPointEntryBox* FPointEntry = nullptr;
  std::map<std::string, QAction*, std::less<>> FActions;
  std::vector<QMenu*> FTopMenus;
  QToolBar* FToolBars[4] = {nullptr, nullptr, nullptr, nullptr};
  QMenu* FRecentMenu = nullptr;      // "重新打开" in the file menu
  QMenu* FRecentDropDown = nullptr;  // the open button's drop-down
  QMenu* FWindowMenu = nullptr;
  int FWindowListStart = 0;
  std::vector<TColorButton*> FColorButtons;
  TfDef_Inh* FIndex = nullptr;
  TArial* FArial = nullptr;
  TAboutBox* FAbout = nullptr;
  bool FInIdle = false;
  bool FShownOrtho = false;
  bool FClosing = false;
  bool FToldBitmapPicture = false;  // a picture kept as a bitmap was explained once
};

extern TMainForm* MainForm;

// What the program sets up once its application object exists, before any
// window: organisation and program names (QSettings), Qt's own texts in
// Chinese and the program's icon for every window. The editor and the
// application tests both start this way.
void InitPlandeckApplication();
// The program's icon (desktop/plandeck.svg, painted without an SVG reader).
QIcon ProgramIcon();
