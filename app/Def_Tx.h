#pragma once
// TDef_Tx: the window of one open drawing. It owns the project read from and
// written to the drawing file and one drawing view filling the window, and
// carries the file operations, the closing question, the view's pop-up menus
// and the status-bar coordinates. The main window creates it inside a
// QMdiSubWindow and forwards most commands to the active one.

#include "docview/DrawView.h"
#include "docview/FiguresDoc.h"

#include <QWidget>

#include <functional>
#include <memory>
#include <string>

class QAction;
class QMenu;

// What a drawing window tells the main window; any may be empty.
struct TDrawingWindowHost {
  std::function<void(const std::string&)> ShowPosition;  // status panel 1, "%1.1f,%1.1f"
  std::function<void()> StatusChanged;                   // repaint the status bar (F8)
  std::function<void(const std::string&)> AddRecentFile; // on destruction unless IsNew
  std::function<void()> RebuildIndex;                    // after "属性..." when the index is shown
};

// The save dialog's filters, in the order of their indices (1 to 7).
inline constexpr const char* DrawingSaveFilter =
    "工程文件(*.GCK)|*.GCK|图形交换文件(*.DXF)|*.DXF|Windows元文件(*.WMF)|*.WMF|"
    "增强型元文件(*.EMF)|*.EMF|位图文件(*.BMP)|*.BMP|JPEG文件(*.JPG)|*.JPG|所有文件(*.*)|*.*";

// What save as proposes: the name without folder and without everything
// from its first "." on.
std::string ProposedSaveName(const std::string& FileName);
// The drawing file name for a chosen name: ".GCK" appended unless the
// extension already is ".GCK" (any letter case).
std::string DrawingFileName(const std::string& Chosen);

class TDef_Tx : public QWidget {
public:
  explicit TDef_Tx(TDrawingWindowHost Host = {}, QWidget* Parent = nullptr);
  ~TDef_Tx() override;

  // The view's SetDrawShape followed by SetOperation(omAdd).
  void SetTool(const TMetaClass* ItemClass);

  void NewFile(const std::string& AName, double AWidth, double AHeight, double AScale);
  // Reads the file (again, when the window already shows it) and keeps what
  // could be read. A damaged file is reported to the user and the window
  // then saves like a new drawing, so the original is not overwritten
  // without asking; a page left without size gets the default one. False
  // when the file could not be read completely.
  bool LoadFromFile(const std::string& AName);
  // Reads a DXF file; a file read only in part is reported with the line
  // where reading stopped, kept, and saves like a new drawing. False then.
  bool LoadFromDxfFile(const std::string& AName);
  // True when the drawing was written (or nothing needed writing).
  bool SaveFile();
  bool SaveAs();
  // The closing question; true when the window may close.
  bool CloseQuery();

  // "生成图块": the selection becomes one block (app/BlockDialogs.h).
  void MakeBlock();
  // Union 2, subtract 4, intersect 1.
  void ComboFigure(int Code);

  TFiguresDoc* Document() const;
  TDrawView& DrawView() { return *DrawView1; }
  TTxProjectFile& ProjectFile() { return *TxProjectFile1; }

  // The pop-up menus as last built (figures, view modes), for tests.
  QMenu& FigureMenu() { return *PopupMenu1; }
  QMenu& ModeMenu() { return *PopupMenu2; }
  // The item of either menu with this caption, or null.
  QAction* MenuAction(const std::string& Caption) const;

  std::string FFileName;
  bool IsNew = false;

protected:
  void closeEvent(QCloseEvent* Event) override;

private:
  class TWindowView;

  void BuildMenus();
  // Detaches the view and frees the project's documents.
  void ClearProject();
  // The first document of the project shown with the selection tool.
  void ShowFirstDocument();
  // Writes the project to Name; a failure is shown and gives false.
  bool WriteProject(const std::string& Name);
  // Writes the drawing as DXF, after listing what DXF cannot hold.
  bool WriteDxf(const std::string& Name);
  // The drawing written and its state updated: caption, modified flag.
  void Saved();
  void ExportPicture(int FilterIndex, const std::string& Name);

  // What the view reports.
  void DrawView1MouseUp(TMouseButton Button, TPoint Pos);
  void DrawView1MouseMove(TPoint Pos);
  void DrawView1KeyDown(int Key);

  void ShowFigureMenu(TPoint Pos);
  void ShowModeMenu(TPoint Pos);
  void pi_FrontClick();
  void pi_BackClick();
  void pi_PropertyClick();
  void pi_EditClick();
  void pi_AlignClick();
  void pi_ViewMode(TOperationMode Mode);
  void pi_ZoomExtentsClick();
  void pi_PreviousZoomClick();
  void SetDefaultOperation();

  TDrawingWindowHost FHost;
  std::unique_ptr<TTxProjectFile> TxProjectFile1;
  TDrawView* DrawView1 = nullptr;  // child widget
  QMenu* PopupMenu1 = nullptr;
  QMenu* PopupMenu2 = nullptr;
};
