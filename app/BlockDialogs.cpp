#include "app/BlockDialogs.h"

#include "app/CommandText.h"
#include "app/LineDialogs.h"
#include "app/OptionDialogs.h"
#include "docview/DocView.h"
#include "docview/Document.h"
#include "docview/Environment.h"
#include "docview/FiguresDoc.h"
#include "docview/RectHelpers.h"
#include "figures/FigureSet.h"
#include "platform/FileDialog.h"
#include "platform/System.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <utility>

using command_text::ParseFloat;
using command_text::ParseInt;

namespace {

using TFields = std::vector<TFormField>;

std::string Format(const char* Fmt, double V) {
  char buf[64];
  std::snprintf(buf, sizeof buf, Fmt, V);
  return buf;
}

std::string IdentOf(const TDocItem& Item) {
  std::vector<std::string> path;
  Item.GetIndexPath(path);
  return path.empty() ? std::string() : path.back();
}

void UserPt(const TCustomFigure& F, Tpt P, std::string& X, std::string& Y) {
  Tpt q;
  F.TransUserPt(P, q);
  X = Format("%1.3f", q.x);
  Y = Format("%1.3f", q.y);
}

bool SysPt(const TCustomFigure& F, const std::string& X, const std::string& Y, Tpt& P) {
  Tpt u;
  if (!ParseFloat(X, u.x) || !ParseFloat(Y, u.y)) return false;
  F.TransSysPt(u, P);
  return true;
}

void ApplyLayer(TCustomFigure& F, int LayerIndex) {
  if (F.FParent) F.FParent->ExchangeFigureLayer(&F, F.GetLayerIndex(), LayerIndex);
}

bool IsChildSet(const TFramedFigureSet& Set) { return Set.InheritsFrom(TChildFigureSet::StaticClass()); }

bool FileExists(const std::string& Path) {
  std::error_code ec;
  return std::filesystem::is_regular_file(std::filesystem::path(Path), ec);
}

// Bottom-most first: earlier layers paint first, and a layer paints from its
// last figure to its first.
void SortBottomFirst(std::vector<TCustomFigure*>& Figures) {
  auto key = [](const TCustomFigure* f) {
    const auto* list = dynamic_cast<const TUndoSaveComponentList*>(f->FOwner);
    return std::pair<int, int>(f->GetLayerIndex(), list ? -list->IndexOfObject(f) : 0);
  };
  std::stable_sort(Figures.begin(), Figures.end(),
                   [&](const TCustomFigure* a, const TCustomFigure* b) { return key(a) < key(b); });
}

}  // namespace

const std::vector<std::string>& BrushStyleNames() {
  static const std::vector<std::string> names = {"实心", "无填充", "水平线", "垂直线",
                                                 "斜线", "反斜线", "十字线", "斜十字线"};
  return names;
}

const std::vector<std::string>& DwdShapeNames() {
  static const std::vector<std::string> names = {"星号", "实心圆", "空心圆", "实心方块", "空心方块"};
  return names;
}

// ---- block and child drawing

TBlockProperties GetBlockProperties(const TFramedFigureSet& Set) {
  TBlockProperties p;
  p.Ident = IdentOf(Set);
  p.PenColor = Set.FPen.Color;
  p.PenStyle = Set.FPen.Style;
  p.BrushStyle = Set.FBrush.Style;
  p.BrushColor = Set.FBrush.Color;
  UserPt(Set, Set.FYd, p.X, p.Y);
  p.Width = Format("%1.3f", Set.TransUserV(Set.GetWidth() * Set.GetScale()));
  p.Height = Format("%1.3f", Set.TransUserV(Set.GetHeight() * Set.GetScale()));
  p.Angle = std::to_string(std::lround(Set.FXzJd));
  p.LineWidth = std::to_string(Set.FPen.Width);
  p.LayerIndex = Set.GetLayerIndex();
  p.ShownWidth = p.Width;
  p.ShownHeight = p.Height;
  p.ShownAngle = p.Angle;
  return p;
}

void SetBlockProperties(TFramedFigureSet& Set, const TBlockProperties& P) {
  Set.Invalidate();
  {
    TChangingGuard guard(Set);
    Set.FPen.Color = P.PenColor;
    if (P.PenStyle >= psSolid && P.PenStyle <= psInsideFrame) Set.FPen.Style = static_cast<TPenStyle>(P.PenStyle);
    if (P.BrushStyle >= bsSolid && P.BrushStyle <= bsDiagCross)
      Set.FBrush.Style = static_cast<TBrushStyle>(P.BrushStyle);
    Set.FBrush.Color = P.BrushColor;
    [&] {
      Tpt yd;
      if (!SysPt(Set, P.X, P.Y, yd)) return;
      Set.FYd = yd;
      // Width and height both set the one uniform scale, and their texts are
      // rounded: only a field the user changed may change it, so an untouched
      // height does not take back a new width, nor OK alone creep the scale.
      double v = 0;
      if (!ParseFloat(P.Width, v)) return;
      if (P.Width != P.ShownWidth) Set.SetWidth(Set.TransSysV(v) / Set.GetScale());
      if (!ParseFloat(P.Height, v)) return;
      if (P.Height != P.ShownHeight) Set.SetHeight(Set.TransSysV(v) / Set.GetScale());
      if (!IsChildSet(Set)) {
        // The angle is shown in whole degrees; an unchanged field keeps the fraction.
        if (!ParseFloat(P.Angle, v)) return;
        if (P.Angle != P.ShownAngle) Set.FXzJd = v;
      }
      int w = 1;
      if (!ParseInt(P.LineWidth, w) || w < 0) w = 1;
      Set.FPen.Width = w;
      ApplyLayer(Set, P.LayerIndex);
    }();
  }
  Set.Modified();
}

TP_Block::TP_Block(TDocView& View, TFramedFigureSet& Set, QWidget* Parent) : FProps(GetBlockProperties(Set)) {
  const bool child = IsChildSet(Set);
  TFormDef d;
  d.Caption = child ? "定义子图形属性" : "定义图块属性";
  TBlockProperties& p = FProps;
  d.Fields.push_back({TFieldKind::Ident, "标识：", "", {}, [&p] { return p.Ident; }, nullptr, nullptr});
  d.Fields.push_back(ColourField("颜色：", p.PenColor));
  d.Fields.push_back(IndexField(TFieldKind::Combo, "线型：", p.PenStyle, PenStyleNames()));
  d.Fields.push_back(IndexField(TFieldKind::Combo, "填充：", p.BrushStyle, BrushStyleNames()));
  d.Fields.push_back(ColourField("填充颜色：", p.BrushColor));
  d.Fields.push_back(TextField(TFieldKind::Number, "X：", p.X, "参考点"));
  d.Fields.push_back(TextField(TFieldKind::Number, "Y：", p.Y, "参考点"));
  d.Fields.push_back(TextField(TFieldKind::Number, "宽度：", p.Width, "大小"));
  d.Fields.push_back(TextField(TFieldKind::Number, "高度：", p.Height, "大小"));
  // A child drawing keeps the orientation of the drawing it came from.
  if (!child) d.Fields.push_back(TextField(TFieldKind::Angle, "角度：", p.Angle, "大小"));
  d.Fields.push_back(TextField(TFieldKind::Number, "线宽：", p.LineWidth));
  d.Fields.push_back(IndexField(TFieldKind::Layer, "图层：", p.LayerIndex, LayerNames(Set)));
  d.Accepted = [this, &View, &Set] { ApplyFigureEdit(View, Set, [&] { SetBlockProperties(Set, FProps); }); };
  FForm = std::make_unique<TPropertyForm>(std::move(d), Parent);
}

// ---- point marker

TDwdProperties GetDwdProperties(const TTxDefineDwd& Dwd) {
  TDwdProperties p;
  p.Ident = IdentOf(Dwd);
  p.PenColor = Dwd.FPen.Color;
  UserPt(Dwd, Dwd.FDwd, p.X, p.Y);
  p.LayerIndex = Dwd.GetLayerIndex();
  p.Shape = Dwd.FXz;
  p.Radius = std::to_string(Dwd.FBj);
  return p;
}

void SetDwdProperties(TTxDefineDwd& Dwd, const TDwdProperties& P) {
  Dwd.Invalidate();
  {
    TChangingGuard guard(Dwd);
    Dwd.FPen.Color = P.PenColor;
    [&] {
      // The shape after the colour: a filled marker takes the pen colour.
      if (P.Shape >= dsAster && P.Shape <= dsWhiteSquare) Dwd.SetXz(P.Shape);
      Tpt pt;
      if (!SysPt(Dwd, P.X, P.Y, pt)) return;
      Dwd.FDwd = pt;
      int r = 0;
      // A marker of no size could not be seen.
      if (!ParseInt(P.Radius, r) || r <= 0) return;
      Dwd.FBj = r;
      ApplyLayer(Dwd, P.LayerIndex);
    }();
  }
  Dwd.Modified();
}

TP_DefineDwd::TP_DefineDwd(TDocView& View, TTxDefineDwd& Dwd, QWidget* Parent) : FProps(GetDwdProperties(Dwd)) {
  TFormDef d;
  d.Caption = "定义点属性";
  TDwdProperties& p = FProps;
  d.Fields.push_back({TFieldKind::Ident, "标识：", "", {}, [&p] { return p.Ident; }, nullptr, nullptr});
  d.Fields.push_back(ColourField("颜色：", p.PenColor));
  d.Fields.push_back(IndexField(TFieldKind::Combo, "形状:", p.Shape, DwdShapeNames()));
  d.Fields.push_back(TextField(TFieldKind::Number, "X：", p.X, "坐标"));
  d.Fields.push_back(TextField(TFieldKind::Number, "Y：", p.Y, "坐标"));
  d.Fields.push_back(TextField(TFieldKind::Number, "半径：", p.Radius));
  d.Fields.push_back(IndexField(TFieldKind::Layer, "图层：", p.LayerIndex, LayerNames(Dwd)));
  d.Accepted = [this, &View, &Dwd] { ApplyFigureEdit(View, Dwd, [&] { SetDwdProperties(Dwd, FProps); }); };
  FForm = std::make_unique<TPropertyForm>(std::move(d), Parent);
}

bool EditBlockProperties(TDocView& View, TFramedFigureSet& Set) { return TP_Block(View, Set).Execute(); }
bool EditDwdProperties(TDocView& View, TTxDefineDwd& Dwd) { return TP_DefineDwd(View, Dwd).Execute(); }

// ---- make block

TMakeBlockDialog::TMakeBlockDialog(QWidget* Parent) : ScaleText("1") {
  TFormDef d;
  d.Caption = "生成图块";
  d.Fields.push_back(TextField(TFieldKind::Number, "缩放比例：", ScaleText));
  d.Fields.push_back(CheckField("保留原图形", Keep));
  FForm = std::make_unique<TPropertyForm>(std::move(d), Parent);
}

TTxBlock* MakeBlockFromSelection(TDocView& View, double Scale, bool KeepSources) {
  TDocument* doc = View.Document();
  TTxFigureSet* root = doc ? doc->GetFigures() : nullptr;
  if (!root || !(Scale > 0) || !std::isfinite(Scale)) return nullptr;
  std::vector<TCustomFigure*> sources;
  for (TMyPersistent* p : View.Selection().FList)
    if (auto* f = dynamic_cast<TCustomFigure*>(p)) sources.push_back(f);
  if (sources.empty()) return nullptr;

  // Built as copying builds its block: the block's frame has the frame of
  // the figures' parent and its origin at the corner of their rectangles.
  // Inserting at the top, bottom-most first, keeps the stacking order.
  std::vector<TCustomFigure*> order = sources;
  SortBottomFirst(order);
  TRect r;
  std::unique_ptr<TTxBlock> owned = BlockOfFigures(order, r);
  TTxBlock* block = owned.get();
  const double s = block->GetScale();

  if (!KeepSources) {
    View.Select(nullptr, false);
    // The step owns the sources and names the block last: undo puts them
    // back and takes the block away. They leave before the block arrives,
    // so the places they go back to are the ones they had.
    TMyList list;
    for (TCustomFigure* f : sources) {
      f->Invalidate();
      list.Add(f);
    }
    list.Add(block);
    doc->BackUp(list, ovCombo);
  }
  doc->Add(std::move(owned), TPoint{0, 0}, &View);
  // In the drawing the parent's scale comes in once more; Scale about the corner.
  block->SetScale(Scale * s / block->GetAbsParentScale());
  const Tpt corner = block->xyTransAbsPt(r.Left, r.Top);
  block->SetRefPoint(corner.x, corner.y);
  doc->AddItemMessage(block);
  View.Select(block, false);
  if (KeepSources) View.BackUp(ovAdd);
  block->Invalidate();
  doc->SetModifiedFlag(true);
  return block;
}

void MakeBlockCommand(TDocView& View, QWidget* Parent) {
  if (View.Selection().Count() == 0 || !View.Document()) return;
  TMakeBlockDialog dlg(Parent);
  if (!RunCommandForm(dlg.Form())) return;
  double k = 0;
  // Zero would collapse the figures and a negative scale turn them over.
  if (!ParseFloat(dlg.ScaleText, k) || !(k > 0)) return;
  MakeBlockFromSelection(View, k, dlg.Keep);
}

// ---- child drawings

TInsertChildDialog::TInsertChildDialog(QWidget* Parent) {
  TFormDef d;
  d.Caption = "插入子图形";
  d.Fields.push_back(TextField(TFieldKind::Number, "X：", X, "原点："));
  d.Fields.push_back(TextField(TFieldKind::Number, "Y：", Y, "原点："));
  d.Fields.push_back(TextField(TFieldKind::Number, "缩放比例：", ScaleText, "子图形"));
  d.Fields.push_back(TextField(TFieldKind::Text, "路径：", Path, "子图形"));
  d.Fields.push_back({TFieldKind::Button, "浏览...", "子图形", {}, nullptr, nullptr, [](TPropertyForm& f) {
                        TFileDialogRequest r;
                        r.Caption = "打开";
                        r.Filter = "工程文件(*.GCK)|*.GCK|所有文件(*.*)|*.*";
                        r.InitialDir = Dir_Sys + "平面图文件";
                        const TFileDialogAnswer a = RunFileDialog(r);
                        if (a.Ok && !a.FileName.empty()) f.Show(f.IndexOf("路径："), a.FileName);
                      }});
  FForm = std::make_unique<TPropertyForm>(std::move(d), Parent);
}

TChildFigureSet* InsertChildFigureSet(TDocView& View, const std::string& Path, Tpt Origin, double Scale) {
  TDocument* doc = View.Document();
  if (!doc || !doc->GetFigures() || !(Scale > 0) || !std::isfinite(Scale)) return nullptr;
  if (!FileExists(Path)) {
    MessageDlg("文件不存在！", mtWarning, mbOK);
    return nullptr;
  }
  TTxProjectFile file;
  const TDrawingReadResult read = ReadDrawingFile(Path, file);
  if (!read.Ok) {
    // Half a drawing is no drawing to insert; the user learns why.
    MessageDlg("文件 " + Path + " 不能读取：" + read.Error, mtError, mbOK);
    return nullptr;
  }
  TTxCollectTxSpace& spaces = *file.FTxProject->FTxSpaces;
  if (spaces.Count() == 0) spaces.AddObject();
  TTxFigureSet& source = *spaces.Docs(0)->FFigures;

  auto owned = std::make_unique<TChildFigureSet>();
  TChildFigureSet* child = owned.get();
  doc->Add(std::move(owned), TPoint{0, 0}, &View);
  source.AssignToChildFigureSet(*child);
  child->SetScale(child->GetScale() * Scale / child->GetAbsParentScale());
  Tpt local;
  child->TransSysPt(Origin, local);
  child->SetRefPoint(local.x, local.y);
  doc->AddItemMessage(child);
  View.Select(child, false);
  View.PositionSelectInCenter();
  // Undoable and saved like any other figure the user adds.
  View.BackUp(ovAdd);
  child->Invalidate();
  doc->SetModifiedFlag(true);
  return child;
}

void InsertChildFigureSetCommand(TDocView& View, QWidget* Parent) {
  if (!View.Document()) return;
  TInsertChildDialog dlg(Parent);
  if (!RunCommandForm(dlg.Form())) return;
  double x = 0, y = 0, k = 0;
  if (!ParseFloat(dlg.X, x) || !ParseFloat(dlg.Y, y) || !ParseFloat(dlg.ScaleText, k) || !(k > 0)) return;
  // The origin is taken in whole drawing units.
  InsertChildFigureSet(View, dlg.Path, Tpt{std::nearbyint(x), std::nearbyint(y)}, k);
}

void RegisterBlockDialogs() {
  // Blocks and child drawings share one dialog.
  RegisterFigureDialog(TTxBlock::StaticClass(), &EditBlockProperties);
  RegisterFigureDialog(TChildFigureSet::StaticClass(), &EditBlockProperties);
  RegisterFigureDialog(TTxDefineDwd::StaticClass(), &EditDwdProperties);
}
