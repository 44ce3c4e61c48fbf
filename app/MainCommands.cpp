// The main window's command handlers: most forward to the active drawing
// window or its view, the rest to the dialogs in app/Commands.h.

#include "app/MainForm.h"

#include "app/BlockDialogs.h"
#include "app/Commands.h"
#include "app/EditDialogs.h"
#include "app/PictureDialog.h"
#include "app/PrintPreview.h"
#include "app/ScreenCapture.h"
#include "app/ToolWindows.h"
#include "docview/Environment.h"
#include "figures/Blocks.h"
#include "figures/FigureSet.h"
#include "foundation/ClassRegistry.h"
#include "platform/FileDialog.h"
#include "platform/System.h"

#include <QEventLoop>
#include <QFile>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTimer>
#include <QToolBar>

#include <algorithm>
#include <cmath>

namespace {
const char* const kOpenFilter = "工程文件(*.GCK)|*.GCK|图形交换文件(*.DXF)|*.DXF|所有文件(*.*)|*.*";
}  // namespace

// ---- file

void TMainForm::NewExecute() {
  TEnvironment* env = SysEnvironment;
  TNewDrawingChoice choice;
  choice.Name = "NONAME" + std::to_string(Drawings().size() + 1);
  choice.Width = env ? env->FDefaultWidth : 420.0;
  choice.Height = env ? env->FDefaultHeight : 297.0;
  if (env && env->FShowNewDialog) {
    if (!NewDrawingDialog(choice, this)) return;
    if (!choice.TemplateFile.empty()) {
      TDef_Tx* tx = CreateDrawing(choice.Name);
      tx->LoadFromFile(choice.TemplateFile);
      tx->IsNew = true;
      tx->FFileName.clear();
      return;
    }
  }
  TDef_Tx* tx = CreateDrawing(choice.Name);
  // A window too small to show the margin would give a scale of zero or
  // below; one pixel is the least the page may be fitted into.
  const double cw = std::max(tx->width() - 20, 1), ch = std::max(tx->height() - 20, 1);
  double scale = std::max(choice.Width / cw, choice.Height / ch);
  if (!(scale > 0) || !std::isfinite(scale)) scale = 1.0;
  tx->IsNew = true;
  tx->NewFile(choice.Name, choice.Width, choice.Height, scale);
  tx->update();
}

void TMainForm::OpenExecute() {
  TFileDialogRequest r;
  r.Caption = "打开";
  r.Filter = kOpenFilter;
  r.InitialDir = Dir_Sys + "平面图文件";
  const TFileDialogAnswer a = RunFileDialog(r);
  if (!a.Ok || a.FileName.empty()) return;
  if (a.FilterIndex == 2)
    CreateDrawing(a.FileName)->LoadFromDxfFile(a.FileName);
  else
    OpenFile(a.FileName);
}

void TMainForm::SaveExecute() {
  if (TDef_Tx* tx = ActiveDrawing(); tx && tx->Document()) tx->SaveFile();
}

void TMainForm::SaveAsExecute() {
  if (TDef_Tx* tx = ActiveDrawing(); tx && tx->Document()) tx->SaveAs();
}

void TMainForm::CloseExecute() {

  if (QMdiSubWindow* s = FMdiArea->currentSubWindow()) s->close();
}

void TMainForm::ExitExecute() { close(); }

void TMainForm::FilePropertiesExecute() {
  TDrawView* v = View();
  if (!v) return;
  if (TTxFigureSet* root = v->Document()->GetFigures()) root->FViewState = vsDraw;
  DrawingPropertiesCommand(*v);
}

void TMainForm::MissingExecute() {}

void TMainForm::PrintExecute() {
  TDef_Tx* tx = ActiveDrawing();
  if (TFiguresDoc* doc = tx ? tx->Document() : nullptr) PrintCommand(*doc, this);
}

void TMainForm::PrintPreviewExecute() {
  TDef_Tx* tx = ActiveDrawing();
  if (TFiguresDoc* doc = tx ? tx->Document() : nullptr) PrintPreviewCommand(*doc, this);
}

// ---- edit

void TMainForm::UndoExecute() {
  if (TDrawView* v = View()) v->Undo();
}

void TMainForm::RedoExecute() {
  TDrawView* v = View();
  if (!v) return;
  v->Select(nullptr, false);
  if (TTxFigureSet* root = v->Document()->GetFigures()) root->Redo(v);
}

void TMainForm::CutExecute() {
  if (TDrawView* v = View()) v->OnEditCut();
}

void TMainForm::CopyExecute() {
  if (TDrawView* v = View()) v->OnEditCopy();
}

void TMainForm::PasteExecute() {
  if (TDrawView* v = View()) v->OnEditPaste();
}

void TMainForm::PastePictureExecute() {
  if (TDrawView* v = View()) v->OnEditPastePicture();
}

void TMainForm::CopyPictureExecute() { CopyPictureCommand(this); }

void TMainForm::CopyOuterPictureExecute() {
  // The program steps aside so the screen behind it can be taken.
  const Qt::WindowStates old = windowState();
  showMinimized();
  QEventLoop wait;
  QTimer::singleShot(500, &wait, &QEventLoop::quit);
  wait.exec();
  CopyPictureCommand(nullptr);
  setWindowState(old);
  show();
}

void TMainForm::DeleteExecute() {
  // Only the selection tool deletes: a creation tool keeps what it is drawing.
  TDrawView* v = View();
  if (v && v->ItemClass() == &TDocItem::StaticClass()) v->OnEditClear();
}

void TMainForm::SelectAllExecute() {
  if (TDrawView* v = View()) v->OnEditSelectAll();
}

// ---- view

void TMainForm::ZoomExtendsExecute() {
  if (TDrawView* v = View()) {
    v->ScaleToFit();
    SetDefaultOperation(*v);
  }
}

void TMainForm::ZoomPreviousExecute() {
  if (TDrawView* v = View()) {
    v->PopZoom();
    SetDefaultOperation(*v);
  }
}

void TMainForm::RefreshExecute() {
  // Every view of the drawing is painted afresh, the navigator included.
  if (TDrawView* v = View()) v->Document()->UpdateAllViews(nullptr, 0, nullptr);
}

void TMainForm::ToggleToolBar(int Index) {
  QToolBar* bar = FToolBars[Index];
  bar->setVisible(bar->isHidden());
}

void TMainForm::ViewNormalExecute() { ToggleToolBar(0); }
void TMainForm::ViewDraw1Execute() { ToggleToolBar(1); }
void TMainForm::ViewDraw2Execute() { ToggleToolBar(2); }
void TMainForm::ViewOperateExecute() { ToggleToolBar(3); }

// ---- modify

void TMainForm::PropertiesExecute() {
  TDrawView* v = View();
  if (!v || v->Selection().Count() != 1) return;
  if (TTxFigureSet* root = v->Document()->GetFigures()) root->FViewState = vsDraw;
  // The dialog records its undo step and marks the drawing on OK only.
  v->SelectedItem(0)->EditProperties(v);
  if (FIndex->isVisible()) FIndex->IndexView().OnInitialUpdate();
}

void TMainForm::ScaleExecute() {
  if (TDrawView* v = View()) ScaleSelectionCommand(*v);
}

void TMainForm::ExplodeExecute() {
  if (TDrawView* v = View()) v->Explode();
}

void TMainForm::MakeBlockExecute() {
  if (TDef_Tx* tx = ActiveDrawing(); tx && tx->Document()) tx->MakeBlock();
}

void TMainForm::CopyObjectExecute() {
  if (TDrawView* v = View()) v->CopyObject();
}

void TMainForm::OffsetExecute() {
  if (TDrawView* v = View()) v->Offset();
}

void TMainForm::MoveCopyExecute() {
  if (TDrawView* v = View()) MoveCopyCommand(*v);
}

void TMainForm::MoveObjectExecute() {
  if (TDrawView* v = View()) MoveObjectCommand(*v);
}

void TMainForm::ArrayExecute() {
  if (TDrawView* v = View()) ArrayCommand(*v);
}

void TMainForm::MirrorExecute() {
  TDrawView* v = View();
  if (!v) return;
  v->SetCurrentItem(nullptr);
  if (v->Selection().Count() == 0) return;
  // The copies travel in a block while the axis is dragged.
  std::unique_ptr<TCustomFigureSet> block = std::make_unique<TTxBlock>();
  v->FTempList.Clear();
  for (int i = 0; i < v->Selection().Count(); ++i) {
    auto* f = dynamic_cast<TCustomFigure*>(v->SelectedItem(i));
    if (!f) continue;
    block->InsertFigure(std::unique_ptr<TCustomFigure>(static_cast<TCustomFigure*>(f->Clone().release())));
    v->FTempList.Add(f);
  }
  v->SetMirrorItem(std::move(block));
  v->SetDrawShape(nullptr);
  v->Select(nullptr, false);
}

void TMainForm::EditEndExecute() {
  if (TDrawView* v = View()) v->OnEditEnd();
}

void TMainForm::PenStyleExecute() {
  if (TDrawView* v = View()) PenStyleCommand(*v, this);
}

void TMainForm::FillExecute() {
  if (TDrawView* v = View()) FillCommand(*v, this);
}

void TMainForm::FontExecute() {
  if (TDrawView* v = View()) FontCommand(*v, this);
}

void TMainForm::LineWidthExecute() {
  if (TDrawView* v = View()) LineWidthCommand(*v);
}

// ---- insert and tools

void TMainForm::InsertChildFigureSetExecute() {
  if (TDrawView* v = View()) InsertChildFigureSetCommand(*v, this);
}

void TMainForm::ScannerExecute() {
  if (!View()) return;
  const std::string dest = Dir_Sys + "Temp.jpg";
  if (!ScanPicture(dest) || !QFile::exists(QString::fromStdString(dest))) {
    ShowMessage("扫描图片失败!");
    return;
  }
  const bool loaded = LoadPendingPicture(dest);
  QFile::remove(QString::fromStdString(dest));
  if (loaded) SelectPictureTool();
}

void TMainForm::PictureExecute() {
  if (!View()) return;
  if (ChoosePendingPicture(&FToldBitmapPicture)) SelectPictureTool();
}

void TMainForm::SelectPictureTool() {
  if (TDef_Tx* tx = ActiveDrawing(); tx && tx->Document()) tx->SetTool(&TTxPicture::StaticClass());
}

void TMainForm::ApplyEnvironmentToViews(bool Options) {
  if (!SysEnvironment) return;
  for (TDef_Tx* tx : Drawings()) {
    TDrawView& v = tx->DrawView();
    v.ApplyEnvironment();
    if (Options && v.Operation() == omNormal && v.Document()) v.SetOperation(omMove);
  }
}

void TMainForm::ToolOptionsExecute() {
  if (EnvironmentOptionsCommand(this)) ApplyEnvironmentToViews(true);
}

void TMainForm::ToolCaptureExecute() {
  if (SnapOptionsCommand(this)) ApplyEnvironmentToViews(false);
}

void TMainForm::IndexExecute() {
  FIndex->show();
  FIndex->raise();
  TDef_Tx* tx = ActiveDrawing();
  TDocument* doc = tx ? tx->Document() : nullptr;
  if (FIndex->IndexView().Document() != doc) FIndex->IndexView().SetDocument(doc);
}

void TMainForm::ArialExecute() {
  FArial->show();
  FArial->raise();
  TDrawView* v = View();
  if (!v) return;
  TArialView& arial = FArial->ArialView();
  if (arial.Document() != v->Document()) arial.SetDocument(v->Document());
  arial.ResponseToView(v->GetClientDocRect());
}

void TMainForm::BlockForgeExecute() { StartBlockForge(); }

// ---- windows and help

void TMainForm::WindowCascadeExecute() { FMdiArea->cascadeSubWindows(); }
void TMainForm::WindowTileExecute() { FMdiArea->tileSubWindows(); }

void TMainForm::WindowArrangeExecute() {
  // Minimised windows lined up along the bottom edge.
  int x = 0;
  for (QMdiSubWindow* s : FMdiArea->subWindowList()) {
    if (!s->isMinimized()) continue;
    s->move(x, FMdiArea->viewport()->height() - s->height());
    x += s->width();
  }
}

void TMainForm::WindowMinimizeExecute() {
  const QList<QMdiSubWindow*> windows = FMdiArea->subWindowList();
  for (auto it = windows.rbegin(); it != windows.rend(); ++it) (*it)->showMinimized();
}

void TMainForm::HelpIndexExecute() { OpenHelpFile(); }
void TMainForm::AboutExecute() { FAbout->exec(); }
