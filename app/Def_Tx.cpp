#include "app/Def_Tx.h"

#include "app/ArcDialogs.h"

#include "app/AlignDialog.h"
#include "app/BlockDialogs.h"
#include "app/Commands.h"
#include "app/ThinkingBox.h"
#include "docview/Cursors.h"
#include "docview/Environment.h"
#include "figures/Figure.h"
#include "figures/FigureFamily.h"
#include "figures/FigureSet.h"
#include "foundation/StreamError.h"
#include "interchange/DxfMapping.h"
#include "platform/Clipboard.h"
#include "platform/FileDialog.h"
#include "platform/System.h"
#include "tools/PointTools.h"

#include <QCloseEvent>
#include <QMenu>
#include <QVBoxLayout>

#include <cstdio>
#include <exception>
#include <filesystem>
#include <vector>

namespace {

std::string BaseName(const std::string& Path) { return std::filesystem::path(Path).filename().string(); }

// The extension of the name part, with its dot, in upper case ("" without one).
std::string UpperExtension(const std::string& Path) {
  std::string ext = std::filesystem::path(Path).extension().string();
  for (char& c : ext)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return ext;
}

bool FileExists(const std::string& Name) {
  std::error_code ec;
  return std::filesystem::is_regular_file(Name, ec);
}

}  // namespace

std::string ProposedSaveName(const std::string& FileName) {
  std::string name = BaseName(FileName);
  if (const std::size_t dot = name.find('.'); dot != std::string::npos) name.erase(dot);
  return name;
}

std::string DrawingFileName(const std::string& Chosen) {
  return UpperExtension(Chosen) == ".GCK" ? Chosen : Chosen + ".GCK";
}

// The drawing view reports its mouse-up, mouse-move and key events to the
// window, as the form's event handlers did.
class TDef_Tx::TWindowView : public TDrawView {
public:
  explicit TWindowView(TDef_Tx& Owner) : TDrawView(&Owner), FOwner(Owner) {}

  void MouseUp(TMouseButton Button, TShiftState Shift, TPoint Pos) override {
    // The window's handler runs before the tool's, so a right click that ends
    // a mode does not also open the menu of the default mode.
    FOwner.DrawView1MouseUp(Button, Pos);
    TDrawView::MouseUp(Button, Shift, Pos);
  }
  void MouseMove(TShiftState Shift, TPoint Pos) override {
    TDrawView::MouseMove(Shift, Pos);
    FOwner.DrawView1MouseMove(Pos);
  }
  void KeyDown(int Key, TShiftState Shift) override {
    TDrawView::KeyDown(Key, Shift);
    FOwner.DrawView1KeyDown(Key);
  }

private:
  TDef_Tx& FOwner;
};

TDef_Tx::TDef_Tx(TDrawingWindowHost Host, QWidget* Parent)
    : QWidget(Parent), FHost(std::move(Host)), TxProjectFile1(std::make_unique<TTxProjectFile>()) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  DrawView1 = new TWindowView(*this);
  layout->addWidget(DrawView1);
  // Keys typed into the window reach the view's KeyDown.
  setFocusProxy(DrawView1);
  // The overviews follow every paint of the drawing view: the view hands its
  // visible area (ClientDocRect) to each view of the document itself.
  BuildMenus();
}

TDef_Tx::~TDef_Tx() {
  if (!IsNew && !FFileName.empty() && FHost.AddRecentFile) FHost.AddRecentFile(FFileName);
  ClearProject();
}

void TDef_Tx::BuildMenus() {
  PopupMenu1 = new QMenu(this);
  auto add = [this](QMenu* Menu, const char* Caption, auto Handler) {
    QAction* a = Menu->addAction(QString::fromUtf8(Caption));
    connect(a, &QAction::triggered, this, Handler);
    return a;
  };
  add(PopupMenu1, "置前", [this] { pi_FrontClick(); });
  add(PopupMenu1, "置后", [this] { pi_BackClick(); });
  PopupMenu1->addSeparator();
  add(PopupMenu1, "粘贴", [this] { DrawView1->OnEditPaste(); });
  PopupMenu1->addSeparator();
  add(PopupMenu1, "属性...", [this] { pi_PropertyClick(); });
  add(PopupMenu1, "编辑...", [this] { pi_EditClick(); });
  add(PopupMenu1, "排列...", [this] { pi_AlignClick(); });
  PopupMenu1->addSeparator();
  add(PopupMenu1, "删除", [this] { DrawView1->OnEditClear(); });
  add(PopupMenu1, "剪切", [this] { DrawView1->OnEditCut(); });
  add(PopupMenu1, "复制", [this] { DrawView1->OnEditCopy(); });
  add(PopupMenu1, "生成图块", [this] { MakeBlock(); });
  PopupMenu1->addSeparator();
  add(PopupMenu1, "移动", [this] { pi_ViewMode(omMove); });
  // Separators between hidden groups collapse.
  PopupMenu1->setSeparatorsCollapsible(true);

  PopupMenu2 = new QMenu(this);
  add(PopupMenu2, "返回", [this] { SetDefaultOperation(); });
  PopupMenu2->addSeparator();
  add(PopupMenu2, "旋转", [this] { pi_ViewMode(omRotate); })->setCheckable(true);
  add(PopupMenu2, "实时移动", [this] { pi_ViewMode(omPanRealTime); })->setCheckable(true);
  add(PopupMenu2, "实时缩放", [this] { pi_ViewMode(omZoomRealTime); })->setCheckable(true);
  add(PopupMenu2, "缩放窗口", [this] { pi_ViewMode(omZoomWindow); })->setCheckable(true);
  PopupMenu2->addSeparator();
  add(PopupMenu2, "全屏显示", [this] { pi_ZoomExtentsClick(); });
  add(PopupMenu2, "前一缩放比例", [this] { pi_PreviousZoomClick(); });
}

QAction* TDef_Tx::MenuAction(const std::string& Caption) const {
  const QString text = QString::fromStdString(Caption);
  for (QMenu* m : {PopupMenu1, PopupMenu2})
    for (QAction* a : m->actions())
      if (!a->isSeparator() && a->text() == text) return a;
  return nullptr;
}

TFiguresDoc* TDef_Tx::Document() const { return static_cast<TFiguresDoc*>(DrawView1->Document()); }

void TDef_Tx::SetTool(const TMetaClass* ItemClass) {
  DrawView1->SetDrawShape(ItemClass);
  DrawView1->SetOperation(omAdd);
}

void TDef_Tx::SetDefaultOperation() {
  const bool allowMove = SysEnvironment ? SysEnvironment->FAllowMove : true;
  DrawView1->SetOperation(allowMove ? omMove : omNormal);
}

// ---- file operations

void TDef_Tx::ClearProject() {
  DrawView1->SetDocument(nullptr);
  TxProjectFile1->FTxProject->FTxSpaces->Clear();
}

void TDef_Tx::ShowFirstDocument() {
  TTxCollectTxSpace& spaces = *TxProjectFile1->FTxProject->FTxSpaces;
  if (spaces.Count() == 0) spaces.AddObject();
  DrawView1->SetDocument(spaces.Docs(0));
  DrawView1->SetDrawShape(&TDocItem::StaticClass());
}

void TDef_Tx::NewFile(const std::string& AName, double AWidth, double AHeight, double AScale) {
  FFileName = AName;
  // The window shows and saves exactly the one new document.
  ClearProject();
  auto* doc = static_cast<TFiguresDoc*>(TxProjectFile1->FTxProject->FTxSpaces->AddObject());
  if (!(AScale > 0)) AScale = 1.0;
  {
    const TChangingGuard quiet(*doc->FFigures);
    doc->FFigures->SetWidth(AWidth / AScale);
    doc->FFigures->SetHeight(AHeight / AScale);
  }
  doc->FScale = AScale;
  DrawView1->SetDocument(doc);
  DrawView1->SetDrawShape(&TDocItem::StaticClass());
}

bool TDef_Tx::LoadFromFile(const std::string& AName) {
  FFileName = AName;
  ClearProject();
  // The file is read whatever the window was before: reopening a drawing
  // that was read damaged (and so saves like a new one) reads it again.
  bool complete = true;
  std::string error;
  if (FileExists(AName)) {
    const TDrawingReadResult result = ReadDrawingFile(AName, *TxProjectFile1);
    complete = result.Ok;
    error = result.Error;
  }
  TTxCollectTxSpace& spaces = *TxProjectFile1->FTxProject->FTxSpaces;
  if (spaces.Count() == 0) spaces.AddObject();
  // A page of no size would hide every figure drawn on it: a damaged read
  // says what it was given, a file that merely held none (or no file) is
  // given it quietly.
  TFiguresDoc& doc = *spaces.Docs(0);
  const bool page = doc.EnsurePageSize(SysEnvironment ? SysEnvironment->FDefaultWidth : 420.0,
                                       SysEnvironment ? SysEnvironment->FDefaultHeight : 297.0);
  std::string pageText;
  if (page) {
    char size[96];
    std::snprintf(size, sizeof size, "%1.1f × %1.1f", doc.FFigures->FWidth * doc.FScale,
                  doc.FFigures->FHeight * doc.FScale);
    pageText = std::string("图纸大小未能读出，已改为 ") + size + "。";
  }
  // What was read stays; saving must ask for a name so the damaged
  // original is not overwritten by a partial drawing.
  IsNew = !complete;
  if (!complete) {
    MessageDlg(FileErrorMessage(TFileAction::OpenPart, AName, error) + "\n已读入的部分保留" +
                   (page ? "；" + pageText : "。") + "\n保存时请指定文件名，以免覆盖原文件。",
               mtWarning, mbOK);
  }
  ShowFirstDocument();
  return complete;
}

bool TDef_Tx::LoadFromDxfFile(const std::string& AName) {
  FFileName = AName;
  ClearProject();
  TTxCollectTxSpace& spaces = *TxProjectFile1->FTxProject->FTxSpaces;
  TFiguresDoc& doc = *static_cast<TFiguresDoc*>(spaces.AddObject());
  std::error_code ec;
  const auto size = std::filesystem::file_size(AName, ec);
  std::unique_ptr<TThinking_box> box;
  if (!ec && static_cast<long long>(size) > ThinkingReadBytes) {
    box = std::make_unique<TThinking_box>(this);
    box->thinking("Reading data");
  }
  const TDxfReadResult result =
      ReadFromDxfFile(*doc.FFigures, AName, box ? TDxfProgress([&](double f) { box->thinking_bar(f); }) : TDxfProgress());
  if (box) box->stopped_thinking();
  // A drawing read in part saves like a new one, as a damaged drawing file
  // does: the original is not overwritten without asking.
  IsNew = !result.Complete;
  // The drawing is shown before the messages about it.
  ShowFirstDocument();
  // Fitting the view sets the root's zoom, which is no change to the drawing.
  pi_ZoomExtentsClick();
  doc.SetModifiedFlag(false);
  std::string notes;
  for (const std::string& n : result.Notes()) notes += "\n" + n;
  if (!result.Complete) {
    MessageDlg(FileErrorMessage(TFileAction::OpenPart, AName, result.Error) + "\n" + result.ErrorNote() + "已读入的部分保留。" + notes +
                   "\n保存时请指定文件名，以免覆盖原文件。",
               mtWarning, mbOK);
  } else if (!notes.empty()) {
    MessageDlg("文件 " + AName + " 中有些内容未能转换：" + notes, mtInformation, mbOK);
  }
  return result.Complete;
}

bool TDef_Tx::WriteDxf(const std::string& Name) {
  DrawView1->CancelTool();
  TFiguresDoc* doc = Document();
  if (!doc) return false;
  // DXF has no room for pictures and embedded objects: say so before writing.
  const auto lost = DxfUnwritableFigures(*doc->FFigures);
  if (!lost.empty()) {
    std::string text = "以下图形无法写入 DXF 文件，将被略去：";
    for (const auto& [kind, n] : lost) text += "\n" + kind + " " + std::to_string(n) + " 个";
    text += "\n是否继续？";
    if (MessageDlg(text, mtConfirmation, mbYes | mbNo) != mrYes) return false;
  }
  TThinking_box box(this);
  box.thinking("Saving data");
  try {
    SaveToDxfFile(*doc->FFigures, Name, [&](double f) { box.thinking_bar(f); });
  } catch (const std::exception& e) {
    box.stopped_thinking();
    MessageDlg(FileErrorMessage(TFileAction::Save, Name, e), mtError, mbOK);
    return false;
  }
  box.stopped_thinking();
  // DXF keeps less than a drawing file: the drawing stays marked modified.
  setWindowTitle(QString::fromStdString(Name));
  return true;
}

bool TDef_Tx::WriteProject(const std::string& Name) {
  // Figures a tool holds for the moment (copies following the mouse, a
  // half-drawn construction) are no part of the drawing on disk.
  DrawView1->CancelTool();
  try {
    WriteDrawingFile(Name, *TxProjectFile1);
    return true;
  } catch (const std::exception& e) {
    MessageDlg(FileErrorMessage(TFileAction::Save, Name, e), mtError, mbOK);
    return false;
  }
}

void TDef_Tx::Saved() {
  setWindowTitle(QString::fromStdString(FFileName));
  if (TFiguresDoc* doc = Document()) doc->SetModifiedFlag(false);
}

bool TDef_Tx::SaveFile() {
  // A window without a file name has nowhere to save but a new name.
  if (IsNew || FFileName.empty()) return SaveAs();
  if (UpperExtension(FFileName) == ".DXF") return WriteDxf(FFileName);
  if (!WriteProject(FFileName)) return false;
  Saved();
  return true;
}

void TDef_Tx::ExportPicture(int FilterIndex, const std::string& Name) {
  try {
    switch (FilterIndex) {
      case 3: DrawView1->SaveAsWMF(Name, 1); break;
      case 4: DrawView1->SaveAsWMF(Name, 2); break;
      case 5: DrawView1->SaveAsBMP(Name); break;
      case 6: DrawView1->SaveAsJPEG(Name); break;
      default: break;
    }
  } catch (const std::exception& e) {
    MessageDlg(FileErrorMessage(TFileAction::Export, Name, e), mtError, mbOK);
  }
}

bool TDef_Tx::SaveAs() {
  TFileDialogRequest request;
  request.Save = true;
  request.Filter = DrawingSaveFilter;
  request.FilterIndex = 1;
  // The drawing's own folder, once it has one.
  request.InitialDir = StartFolderFor(FFileName, Dir_Sys + "平面图文件");
  request.FileName = ProposedSaveName(FFileName);
  const TFileDialogAnswer answer = RunFileDialog(request);
  if (!answer.Ok || answer.FileName.empty()) return false;
  switch (answer.FilterIndex) {
    case 2: {
      const std::string name = UpperExtension(answer.FileName) == ".DXF" ? answer.FileName : answer.FileName + ".DXF";
      if (FileExists(name) &&
          MessageDlg("是否替换原来的" + BaseName(name) + "？", mtConfirmation, mbYes | mbNo) != mrYes)
        return false;
      if (!WriteDxf(name)) return false;
      FFileName = name;
      IsNew = false;
      return true;
    }
    case 3:
    case 4:
    case 5:
    case 6:
      // Pictures of the drawing: the drawing itself stays unsaved.
      ExportPicture(answer.FilterIndex, answer.FileName);
      return false;
    default: break;
  }
  const std::string name = DrawingFileName(answer.FileName);
  if (FileExists(name) &&
      MessageDlg("是否替换原来的" + BaseName(name) + "？", mtConfirmation, mbYes | mbNo) != mrYes)
    return false;
  // The window takes the new name only once the drawing is there.
  if (!WriteProject(name)) return false;
  FFileName = name;
  IsNew = false;
  Saved();
  return true;
}

bool TDef_Tx::CloseQuery() {
  TFiguresDoc* doc = Document();
  if (!doc || !doc->GetModifiedFlag()) return true;
  std::string text;
  if (IsNew) {
    text = "将修改部分保存吗?";
  } else {
    text = "将修改部分保存在文件 " + FFileName + " 中吗?";
  }
  switch (MessageDlg(text, mtConfirmation, mbYes | mbNo | mbCancel)) {
    case mrNo: return true;
    case mrYes: {
      const bool written = SaveFile();
      // A DXF save leaves the drawing marked modified; written, it may close.
      if (written && !IsNew && UpperExtension(FFileName) == ".DXF") return true;
      // Cancelled, refused or failed saves keep the window and its changes.
      return !doc->GetModifiedFlag();
    }
    default: return false;
  }
}

void TDef_Tx::closeEvent(QCloseEvent* Event) {
  if (CloseQuery())
    Event->accept();
  else
    Event->ignore();
}

// ---- selection commands

void TDef_Tx::MakeBlock() { MakeBlockCommand(*DrawView1, this); }

void TDef_Tx::ComboFigure(int Code) {
  if (DrawView1->Selection().Count() < 2) {
    MessageDlg("必须选择两个或两个以上图形才能执行该操作！", mtInformation, mbOK);
    return;
  }
  // Only closed figures combine.
  const std::vector<TMyPersistent*> items = DrawView1->Selection().FList;
  for (TMyPersistent* p : items)
    if (const auto* f = dynamic_cast<const TCustomFigure*>(p); !f || !IsClosedFigure(*f)) {
      MessageDlg("只有封闭图形才能执行该操作！", mtInformation, mbOK);
      return;
    }
  MakeComboFigure(*DrawView1, Code);
}

// ---- view events

void TDef_Tx::DrawView1MouseMove(TPoint Pos) {
  TFiguresDoc* doc = Document();
  if (!doc || !FHost.ShowPosition) return;
  TTxFigureSet& root = *doc->FFigures;
  root.FViewState = vsDraw;
  TPoint p = Pos;
  DrawView1->PointClientToDoc(p);
  const double s = root.GetScale();
  if (s == 0) return;
  const Tpt drawing{p.x / s - root.FYd.x - root.FAbsx, p.y / s - root.FYd.y - root.FAbsy};
  Tpt user;
  root.TransUserPt(drawing, user);
  char text[64];
  std::snprintf(text, sizeof text, "%1.1f,%1.1f", user.x, user.y);
  FHost.ShowPosition(text);
}

void TDef_Tx::DrawView1KeyDown(int Key) {
  // The view toggled orthogonal mode; the status bar shows it.
  if (Key == Qt::Key_F8 && FHost.StatusChanged) FHost.StatusChanged();
}

void TDef_Tx::DrawView1MouseUp(TMouseButton Button, TPoint Pos) {
  if (Button != mbRight || !Document()) return;
  for (QAction* a : PopupMenu1->actions()) a->setVisible(false);
  switch (DrawView1->Operation()) {
    case omAdd:
    case omZoomWindow: DrawView1->SetCursorIndex(crDraw); return;
    case omRotate:
    case omPanRealTime:
    case omZoomRealTime: ShowModeMenu(Pos); return;
    case omRealTimeAddPoint: DrawView1->SetCursorIndex(crAddPoint); return;
    case omRealTimeDeletePoint: DrawView1->SetCursorIndex(crDeletePoint); return;
    case omCopyObject:
    case omOffset: return;
    case omNormal: break;
    case omMove:
      if (SysEnvironment && !SysEnvironment->FAllowMove) return;
      break;
  }
  if (DrawView1->ItemClass()) ShowFigureMenu(Pos);
}

void TDef_Tx::ShowFigureMenu(TPoint Pos) {
  const int selected = DrawView1->Selection().Count();
  const bool allowMove = SysEnvironment ? SysEnvironment->FAllowMove : true;
  auto show = [this](const char* Caption, bool Visible) { MenuAction(Caption)->setVisible(Visible); };
  show("置前", true);
  show("置后", true);
  show("粘贴", CheckClipBoard());
  show("属性...", selected == 1);
  const TFigureFamily* family = selected == 1 ? FamilyOf(DrawView1->SelectedItem(0)->ClassType()) : nullptr;
  show("编辑...", family && family->EditsInPlace);
  show("排列...", selected > 1);
  for (const char* c : {"删除", "剪切", "复制", "生成图块"}) show(c, selected > 0);
  show("移动", !allowMove);
  for (QAction* a : PopupMenu1->actions())
    if (a->isSeparator()) a->setVisible(true);
  PopupMenu1->popup(DrawView1->viewport()->mapToGlobal(QPoint(Pos.x, Pos.y)));
}

void TDef_Tx::ShowModeMenu(TPoint Pos) {
  const TOperationMode mode = DrawView1->Operation();
  MenuAction("旋转")->setChecked(mode == omRotate);
  MenuAction("实时移动")->setChecked(mode == omPanRealTime);
  MenuAction("实时缩放")->setChecked(mode == omZoomRealTime);
  MenuAction("缩放窗口")->setChecked(mode == omZoomWindow);
  PopupMenu2->popup(DrawView1->viewport()->mapToGlobal(QPoint(Pos.x, Pos.y)));
}

// ---- pop-up commands

void TDef_Tx::pi_FrontClick() {
  TFiguresDoc* doc = Document();
  if (!doc || DrawView1->Selection().Count() == 0) return;
  const std::vector<TMyPersistent*> items = DrawView1->Selection().FList;
  for (TMyPersistent* p : items) doc->ItemMoveToFront(static_cast<TDocItem*>(p));
  // The stacking order is saved with the drawing.
  doc->SetModifiedFlag(true);
}

void TDef_Tx::pi_BackClick() {
  TFiguresDoc* doc = Document();
  if (!doc || DrawView1->Selection().Count() == 0) return;
  const std::vector<TMyPersistent*> items = DrawView1->Selection().FList;
  for (auto it = items.rbegin(); it != items.rend(); ++it) doc->ItemMoveToBack(static_cast<TDocItem*>(*it));
  doc->SetModifiedFlag(true);
}

void TDef_Tx::pi_PropertyClick() {
  TFiguresDoc* doc = Document();
  if (!doc || DrawView1->Selection().Count() == 0) return;
  doc->FFigures->FViewState = vsDraw;
  DrawView1->SelectedItem(0)->EditProperties(DrawView1);
  doc->SetModifiedFlag(true);
  if (FHost.RebuildIndex) FHost.RebuildIndex();
}

void TDef_Tx::pi_EditClick() {
  if (DrawView1->Selection().Count() == 0) return;
  DrawView1->SelectedItem(0)->OnEditProperties(DrawView1);
}

void TDef_Tx::pi_AlignClick() {
  if (DrawView1->Selection().Count() < 2) return;
  TAlignDialog(this).Run(*DrawView1);
}

void TDef_Tx::pi_ViewMode(TOperationMode Mode) { DrawView1->SetOperation(Mode); }

void TDef_Tx::pi_ZoomExtentsClick() {
  DrawView1->ScaleToFit();
  SetDefaultOperation();
}

void TDef_Tx::pi_PreviousZoomClick() {
  DrawView1->PopZoom();
  SetDefaultOperation();
}
