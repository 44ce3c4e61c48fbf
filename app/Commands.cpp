#include "app/Commands.h"

#include "app/ArcDialogs.h"
#include "app/BlockDialogs.h"
#include "app/CommandText.h"
#include "app/CraneDialog.h"
#include "app/LineDialogs.h"
#include "app/MltLineDialogs.h"
#include "app/RouteLineDialogs.h"
#include "app/TextDialogs.h"
#include "app/FontDialog.h"
#include "app/PictureDialog.h"
#include "app/RoundDialogs.h"
#include "app/OptionDialogs.h"
#include "app/PropertyForm.h"
#include "app/WdbxDialogs.h"
#include "docview/Document.h"
#include "docview/DrawView.h"
#include "docview/Environment.h"
#include "figures/FigureFamily.h"
#include "figures/FigureSet.h"
#include "figures/LineFigures.h"
#include "platform/FileDialog.h"
#include "platform/System.h"

#include <QDesktopServices>
#include <QDialog>
#include <QFont>
#include <QFontDialog>
#include <QProcess>
#include <QUrl>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <utility>
#include <vector>

using namespace command_text;

namespace {

TCommandFormHook& FormHook() {
  static TCommandFormHook hook;
  return hook;
}

TFontDialogHook& FontHook() {
  static TFontDialogHook hook;
  return hook;
}

TLaunchHook& LaunchHook() {
  static TLaunchHook hook;
  return hook;
}

std::unique_ptr<TScannerBackend>& Scanner() {
  static std::unique_ptr<TScannerBackend> backend;
  return backend;
}

bool FileExists(const std::string& Path) {
  std::error_code ec;
  return std::filesystem::is_regular_file(std::filesystem::path(Path), ec);
}

bool Launch(const std::string& Path, bool IsProgram) {
  if (LaunchHook()) return LaunchHook()(Path, IsProgram);
  const QString path = QString::fromStdString(Path);
  if (IsProgram) {
    const QString dir = QString::fromStdString(std::filesystem::path(Path).parent_path().string());
    return QProcess::startDetached(path, {}, dir);
  }
  return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

// The family of a figure that carries a font, or null.
const TFigureFamily* TextClassOf(const TCustomFigure& Figure) {
  const TFigureFamily* f = FamilyOf(Figure.ClassType());
  return f && f->Font && f->SetFont ? f : nullptr;
}

std::vector<TCustomFigure*> SelectedFigures(TDrawView& View) {
  std::vector<TCustomFigure*> out;
  for (TMyPersistent* item : View.Selection().FList)
    if (auto* f = dynamic_cast<TCustomFigure*>(item)) out.push_back(f);
  return out;
}

std::vector<TCustomFigure*> TextFigures(TDrawView& View) {
  std::vector<TCustomFigure*> out;
  for (TCustomFigure* f : SelectedFigures(View))
    if (TextClassOf(*f)) out.push_back(f);
  return out;
}

// One ovEdit step for the selection, the change on every figure, a repaint
// of the changed figures in every view, and the modified flag.
void EditSelection(TDrawView& View, const std::vector<TCustomFigure*>& Figures,
                   const std::function<void(TCustomFigure&)>& Change) {
  if (Figures.empty()) return;
  TDocument* doc = View.Document();
  View.BackUp(ovEdit);
  TMyList changed;
  for (TCustomFigure* f : Figures) changed.Add(f);
  // Before and after: a wider pen or a larger figure covers more than before.
  if (doc) doc->UpdateAllViews(nullptr, 2, &changed);
  for (TCustomFigure* f : Figures) {
    Change(*f);
    f->Modified();
  }
  if (doc) {
    doc->UpdateAllViews(nullptr, 2, &changed);
    doc->SetModifiedFlag(true);
  }
}

QFont ToQFont(const TMyFont& Font, double Scale) {
  QFont q(QString::fromStdString(Font.FName));
  q.setPixelSize(std::max(1, int(std::lround(std::abs(Font.FHeight) * Scale))));
  q.setBold(Font.FStyle & 1);
  q.setItalic(Font.FStyle & 2);
  q.setUnderline(Font.FStyle & 4);
  q.setStrikeOut(Font.FStyle & 8);
  return q;
}

// The chosen face, size and style over Font; the colour stays the item's own.
void FromQFont(const QFont& Q, TMyFont& Font) {
  Font.FName = Q.family().toStdString();
  if (Q.pixelSize() > 0) Font.FHeight = Q.pixelSize();
  else Font.FHeight = Q.pointSizeF() * Font.FPixelsPerInch / 72.0;
  Font.FStyle = std::uint8_t((Q.bold() ? 1 : 0) | (Q.italic() ? 2 : 0) | (Q.underline() ? 4 : 0) |
                             (Q.strikeOut() ? 8 : 0));
}

}  // namespace

// ---- hooks

TCommandFormHook SetCommandFormHook(TCommandFormHook Hook) { return std::exchange(FormHook(), std::move(Hook)); }
TFontDialogHook SetFontDialogHook(TFontDialogHook Hook) { return std::exchange(FontHook(), std::move(Hook)); }
TLaunchHook SetLaunchHook(TLaunchHook Hook) { return std::exchange(LaunchHook(), std::move(Hook)); }

bool ChooseFont(TMyFont& Font, QWidget* Parent) {
  if (!FontHook()) return EditFigureFont(Font, 1.0, Parent);
  QFont font = ToQFont(Font, 1.0);
  const bool ok = FontHook()(font);
  // The face name is saved with the figure.
  if (!ok || !CheckSavableText(font.family().toStdString())) return false;
  FromQFont(font, Font);
  return true;
}

bool RunCommandForm(TPropertyForm& Form) {
  if (!FormHook()) return Form.Execute();
  Form.Dialog().setResult(QDialog::Rejected);
  FormHook()(Form);
  return Form.Dialog().result() == QDialog::Accepted;
}

// ---- option dialogs

bool EnvironmentOptionsCommand(QWidget* Parent) {
  if (!SysEnvironment) return false;
  TEnvironmentDialog dlg(*SysEnvironment, Parent);
  return RunCommandForm(dlg.Form());
}

bool SnapOptionsCommand(QWidget* Parent) {
  if (!SysEnvironment) return false;
  TSnapOptionsDialog dlg(*SysEnvironment, Parent);
  return RunCommandForm(dlg.Form());
}

namespace {

bool EditDrawingProperties(TTxFigureSet& Root, QWidget* Parent) {
  // The dialog shows the drawing's own scale, not a print or preview one.
  Root.FViewState = vsDraw;
  TDrawingPropertiesDialog dlg(Root, Parent);
  return RunCommandForm(dlg.Form());
}

}  // namespace

bool DrawingPropertiesCommand(TDrawView& View) {
  TDocument* doc = View.Document();
  TTxFigureSet* root = doc ? doc->GetFigures() : nullptr;
  return root && EditDrawingProperties(*root, &View);
}

bool NewDrawingDialog(TNewDrawingChoice& Choice, QWidget* Parent) {
  if (!SysEnvironment) return false;
  TNewDrawingDialog dlg(Choice, *SysEnvironment, Dir_Sys + "平面图文件", Parent);
  return RunCommandForm(dlg.Form()) && dlg.Valid();
}

// ---- the selection

bool HasSelectedFigure(TDrawView& View) { return !SelectedFigures(View).empty(); }

void ScaleSelectionCommand(TDrawView& View) {
  const std::vector<TCustomFigure*> figures = SelectedFigures(View);
  if (figures.empty()) return;
  std::string text;
  if (!InputQuery({"输入", "请输入缩放系数:", ""}, text)) return;
  double k = 0;
  // Zero would collapse the figures and a negative factor mirror them.
  if (!ParseFloat(text, k) || !(k > 0)) return;
  EditSelection(View, figures, [k](TCustomFigure& f) {
    f.Invalidate();
    f.SetScale(f.GetScale() * k);
  });
}

void LineWidthCommand(TDrawView& View) {
  const std::vector<TCustomFigure*> figures = SelectedFigures(View);
  if (figures.empty()) return;
  std::string text;
  if (!InputQuery({"请求数据", "请输入线宽：", "1"}, text)) return;
  int w = 0;
  if (!ParseInt(text, w) || w < 0) {
    MessageDlg("错误的数据格式！", mtError, mbOK);
    return;
  }
  EditSelection(View, figures, [w](TCustomFigure& f) { f.FPen.Width = w; });
}

void PenColorCommand(TDrawView& View, std::optional<unsigned> Color) {
  EditSelection(View, SelectedFigures(View), [Color](TCustomFigure& f) {
    if (!Color) {
      f.FPen.Style = psClear;
      return;
    }
    f.FPen.Color = *Color;
    if (f.FPen.Style == psClear) f.FPen.Style = psSolid;
  });
}

void FillColorCommand(TDrawView& View, std::optional<unsigned> Color) {
  EditSelection(View, SelectedFigures(View), [Color](TCustomFigure& f) {
    if (!Color) {
      f.FBrush.Style = bsClear;
      return;
    }
    f.FBrush.Color = *Color;
    if (f.FBrush.Style == bsClear) f.FBrush.Style = bsSolid;
  });
}

void FontColorCommand(TDrawView& View, unsigned Color) {
  // Nothing to record when no selected figure carries text.
  EditSelection(View, TextFigures(View), [Color](TCustomFigure& f) { TextFontOf(f)->FColor = Color; });
}

std::optional<unsigned> SelectionPenColor(TDrawView& View) {
  const std::vector<TCustomFigure*> figures = SelectedFigures(View);
  if (figures.empty() || figures.front()->FPen.Style == psClear) return std::nullopt;
  return figures.front()->FPen.Color;
}

std::optional<unsigned> SelectionFillColor(TDrawView& View) {
  const std::vector<TCustomFigure*> figures = SelectedFigures(View);
  if (figures.empty() || figures.front()->FBrush.Style == bsClear) return std::nullopt;
  return figures.front()->FBrush.Color;
}

std::optional<unsigned> SelectionFontColor(TDrawView& View) {
  const std::vector<TCustomFigure*> figures = SelectedFigures(View);
  if (figures.empty()) return std::nullopt;
  if (const TMyFont* font = TextFontOf(*figures.front())) return font->FColor;
  return std::nullopt;
}

void PenStyleCommand(TDrawView& View, QWidget* Parent) {
  const std::vector<TCustomFigure*> figures = SelectedFigures(View);
  if (figures.empty()) return;
  TPenStyleDialog dlg(figures.front()->FPen.Style, Parent);
  if (!RunCommandForm(dlg.Form())) return;
  const auto style = static_cast<TPenStyle>(dlg.Style());
  EditSelection(View, figures, [style](TCustomFigure& f) { f.FPen.Style = style; });
}

void FillCommand(TDrawView& View, QWidget* Parent) {
  const std::vector<TCustomFigure*> figures = SelectedFigures(View);
  if (figures.empty()) return;
  for (const TCustomFigure* f : figures)
    if (!IsClosedFigure(*f)) {
      MessageDlg("只有封闭图形才能执行该操作！", mtWarning, mbOK);
      return;
    }
  TCustomFigure& first = *figures.front();
  // The dialog shows the block at its size on the sheet.
  std::unique_ptr<TCustomFigureSet> start;
  if (first.FFillItem) {
    std::unique_ptr<TDocItem> copy = first.FFillItem->Clone();
    if (auto* set = dynamic_cast<TCustomFigureSet*>(copy.get())) {
      copy.release();
      start.reset(set);
      start->FScale = start->FScale * first.GetAbsParentScale();
    }
  }
  TFillDialog dlg(first.FBrush, start.get(), Parent);
  if (!RunCommandForm(dlg.Form())) return;
  const TBrush brush = dlg.Brush();
  // Each figure gets a copy that keeps the block's size on the sheet.
  const TCustomFigureSet* pattern = dlg.FillItem();
  EditSelection(View, figures, [&](TCustomFigure& f) {
    f.SetFillItem(pattern);
    f.FBrush = brush;
  });
}

void FontCommand(TDrawView& View, QWidget* Parent) {
  const std::vector<TCustomFigure*> texts = TextFigures(View);
  if (texts.empty()) return;
  // The dialog shows the size on the sheet: the stored height times the item's scale.
  QFont font = ToQFont(*TextFontOf(*texts.front()), texts.front()->GetScale());
  bool ok = false;
  if (FontHook()) {
    ok = FontHook()(font);
  } else {
    font = QFontDialog::getFont(&ok, font, Parent, QStringLiteral("字体"));
  }
  if (!ok || !CheckSavableText(font.family().toStdString())) return;
  EditSelection(View, texts, [&font](TCustomFigure& f) {
    const TFigureFamily* c = TextClassOf(f);
    TMyFont chosen;
    chosen.Assign(*c->Font(f));
    FromQFont(font, chosen);
    c->SetFont(f, chosen);
  });
}

TMyFont* TextFontOf(TCustomFigure& Figure) {
  const TFigureFamily* c = TextClassOf(Figure);
  return c ? c->Font(Figure) : nullptr;
}

bool IsClosedFigure(const TCustomFigure& Figure) {
  const TFigureFamily* f = FamilyOf(Figure.ClassType());
  return (f && f->Closed) || dynamic_cast<const TComboFigure*>(&Figure);
}

// ---- outside programs

std::string FindHelpFile() {
  for (const char* name : {"Plandeck.html", "help/index.html", "Plandeck.hlp"}) {
    const std::string path = Dir_Sys + name;
    if (FileExists(path)) return path;
  }
  return {};
}

void OpenHelpFile() {
  const std::string path = FindHelpFile();
  if (path.empty()) {
    MessageDlg("找不到帮助文件 " + Dir_Sys + "Plandeck.html！", mtWarning, mbOK);
    return;
  }
  if (!Launch(path, false)) MessageDlg("无法打开帮助文件 " + path + "！", mtWarning, mbOK);
}

void StartBlockForge() {
  const std::string path = Dir_Sys + "BlockForge.Exe";
  if (!FileExists(path)) {
    MessageDlg("没有安装元件编辑器：找不到 " + path + "！", mtWarning, mbOK);
    return;
  }
  if (!Launch(path, true)) MessageDlg("无法启动元件编辑器 " + path + "！", mtWarning, mbOK);
}

void SetScannerBackend(std::unique_ptr<TScannerBackend> Backend) { Scanner() = std::move(Backend); }

bool ScanPicture(const std::string& Dest) {
  if (!Scanner()) return false;
  return Scanner()->ScanToJpeg(Dest) && FileExists(Dest);
}

// ---- property editors

void RegisterPropertyDialogs() {
  RegisterPropertyEditor(TTxFigureSet::StaticClass(), [](TFigureView* View, TDocItem& Item) {
    return EditDrawingProperties(static_cast<TTxFigureSet&>(Item), dynamic_cast<QWidget*>(View));
  });
  RegisterLineDialogs();
  RegisterPictureDialog();
  RegisterBlockDialogs();
  RegisterCraneDialog();
  RegisterRoundDialogs();
  RegisterWdbxDialogs();
  RegisterArcDialogs();
  RegisterMltLineDialogs();
  RegisterRouteLineDialogs();
  RegisterTextDialogs();
}
