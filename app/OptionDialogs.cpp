#include "app/OptionDialogs.h"

#include "app/BlockDialogs.h"
#include "app/CommandText.h"
#include "app/ImagePanel.h"
#include "app/LineDialogs.h"
#include "docview/Environment.h"

#include <QBoxLayout>
#include <QDialog>
#include <QGroupBox>
#include <QTabWidget>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <filesystem>
#include <stdexcept>

using namespace command_text;

namespace {

using TFields = std::vector<TFormField>;

TFormField Field(TFieldKind Kind, std::string Label, std::string Group, std::function<std::string()> Get,
                 std::function<void(const std::string&)> Set, std::vector<std::string> Items = {}) {
  return {Kind, std::move(Label), std::move(Group), std::move(Items), std::move(Get), std::move(Set), nullptr};
}

// Whole numbers of at least Min; a value that does not convert keeps the old one.
TFormField IntField(std::string Label, std::int32_t& Value, int Min, std::string Group = {}) {
  return Field(TFieldKind::Number, std::move(Label), std::move(Group), [&Value] { return std::to_string(Value); },
               [&Value, Min](const std::string& v) {
                 int i = 0;
                 if (ParseInt(v, i)) Value = i;
                 Value = std::max<std::int32_t>(Value, Min);
               });
}

}  // namespace


// ---- 环境选项

TEnvironmentDialog::TEnvironmentDialog(TEnvironment& Env, QWidget* Parent) {
  TFormDef d;
  d.Caption = "环境选项";
  TEnvironment& e = Env;
  d.Fields.push_back(IndexField(TFieldKind::Radio, "光标类型:", e.FCursorLx, {"短光标", "长光标"}));
  d.Fields.push_back(IndexField(TFieldKind::Radio, "图形选择方式：", e.FSelectMode, {"严格选择", "相交选择"}));
  d.Fields.push_back(CheckField("新建工程时弹出对话框", e.FShowNewDialog));
  d.Fields.push_back(CheckField("删除图形前询问", e.FDeleteConfirm));
  d.Fields.push_back(CheckField("允许实时拖动图形", e.FAllowMove));
  d.Fields.push_back(ColourField("视口背景色：", e.FViewBackColor));
  d.Fields.push_back(IndexField(TFieldKind::Combo, "光标线型：", e.FCursorPenStyle, PenStyleNames()));
  // A negative limit would mean no history just as 0 does; keep what was set.
  d.Fields.push_back(Field(TFieldKind::Number, "允许撤消步数：", "", [&e] { return std::to_string(e.FUndoCount); },
                           [&e](const std::string& v) {
                             int i = 0;
                             if (ParseInt(v, i) && i >= 0) e.FUndoCount = i;
                           }));
  d.Fields.push_back(IntField("X：", e.FOffsetX, 1, "最小偏移量："));
  d.Fields.push_back(IntField("Y：", e.FOffsetY, 1, "最小偏移量："));
  // A new drawing of no size could not be scaled into its window.
  auto size = [](double& Value) {
    return [&Value](const std::string& v) {
      double x = 0;
      if (ParseFloat(v, x) && x > 0) Value = x;
    };
  };
  d.Fields.push_back(Field(TFieldKind::Number, "宽度：", "默认图形范围：", [&e] { return FloatText(e.FDefaultWidth); },
                           size(e.FDefaultWidth)));
  d.Fields.push_back(Field(TFieldKind::Number, "高度：", "默认图形范围：", [&e] { return FloatText(e.FDefaultHeight); },
                           size(e.FDefaultHeight)));
  FForm = std::make_unique<TPropertyForm>(std::move(d), Parent);
}

// ---- 设置端点捕捉

TSnapOptionsDialog::TSnapOptionsDialog(TEnvironment& Env, QWidget* Parent) {
  TFormDef d;
  d.Caption = "设置端点捕捉";
  TEnvironment& e = Env;
  const std::pair<const char*, TPointLx> kinds[] = {
      {"端点", plEndPoint}, {"中点", plMidPoint}, {"圆心", plCenter}, {"线上点", plNearest}, {"圆切点", plTangent}};
  for (const auto& [label, kind] : kinds) {
    const auto bit = static_cast<std::uint8_t>(PointLxBit(kind));
    d.Fields.push_back(Field(TFieldKind::Check, label, "捕捉方式", [&e, bit] { return std::string((e.FPointLxSet & bit) ? "1" : "0"); },
                             [&e, bit](const std::string& v) {
                               if (v == "1") e.FPointLxSet |= bit;
                               else e.FPointLxSet &= std::uint8_t(~bit);
                             }));
  }
  d.Fields.push_back(ColourField("颜色：", e.FCaptureColor));
  d.Fields.push_back(Field(TFieldKind::Slider, "捕捉范围：", "", [&e] { return std::to_string(2 * e.FCaptureBj); },
                           [&e](const std::string& v) {
                             int pos = 0;
                             if (!ParseInt(v, pos)) return;
                             // Halves to even, like Round; a radius of 0
                             // would let nothing be hit or snapped.
                             e.FCaptureBj = std::max(1, int(std::nearbyint(pos / 2.0)));
                           }));
  FForm = std::make_unique<TPropertyForm>(std::move(d), Parent);
}

// ---- 新建工程

std::vector<std::string> NewDrawingTemplates(const std::string& Folder) {
  std::vector<std::string> names;
  std::error_code ec;
  const std::filesystem::path dir = std::filesystem::path(Folder);
  if (!std::filesystem::is_directory(dir, ec)) return names;
  for (const auto& entry : std::filesystem::directory_iterator(dir, ec)) {
    if (!entry.is_regular_file(ec)) continue;
    std::string ext = entry.path().extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return char(std::toupper(c)); });
    if (ext == ".GCK") names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

TNewDrawingDialog::TNewDrawingDialog(TNewDrawingChoice& Choice, TEnvironment& Env, const std::string& TemplateFolder,
                                     QWidget* Parent)
    : FChoice(Choice),
      FFolder(TemplateFolder),
      FTemplates(NewDrawingTemplates(TemplateFolder)),
      FWidth(FloatText(Choice.Width)),
      FHeight(FloatText(Choice.Height)) {
  TFormDef d;
  d.Caption = "新建工程";
  d.Fields.push_back(Field(TFieldKind::Text, "名称：", "", [this] { return FChoice.Name; },
                           [this](const std::string& v) { FChoice.Name = v; }));
  d.Fields.push_back(Field(TFieldKind::Number, "宽度：", "图形范围", [this] { return FWidth; },
                           [this](const std::string& v) { FWidth = v; }));
  d.Fields.push_back(Field(TFieldKind::Number, "高度：", "图形范围", [this] { return FHeight; },
                           [this](const std::string& v) { FHeight = v; }));
  d.Fields.push_back(Field(TFieldKind::List, "模板：", "", [] { return std::string("-1"); },
                           [this](const std::string& v) {
                             if (!ParseInt(v, FTemplate)) FTemplate = -1;
                           },
                           FTemplates));
  d.Fields.push_back(Field(TFieldKind::Check, "下次不显示此对话框", "", [&Env] { return std::string(Env.FShowNewDialog ? "0" : "1"); },
                           [&Env](const std::string& v) { Env.FShowNewDialog = v != "1"; }));
  d.Accepted = [this] {
    FChoice.TemplateFile.clear();
    if (FTemplate >= 0 && FTemplate < int(FTemplates.size())) {
      FChoice.TemplateFile = (std::filesystem::path(FFolder) / std::filesystem::path(FTemplates[std::size_t(FTemplate)])).string();
      FValid = true;
      return;
    }
    // A drawing of no size cannot be scaled into its window: refused like text.
    double w = 0, h = 0;
    FValid = ParseFloat(FWidth, w) && ParseFloat(FHeight, h) && w > 0 && h > 0;
    if (!FValid) return;
    FChoice.Width = w;
    FChoice.Height = h;
  };
  FForm = std::make_unique<TPropertyForm>(std::move(d), Parent);
}

// ---- 定义图形属性

TDrawingPropertiesDialog::TDrawingPropertiesDialog(TTxFigureSet& Root, QWidget* Parent)
    : FProps(Root.GetDrawingProperties()) {
  TFormDef d;
  d.Caption = "定义图形属性";
  TDrawingProperties& p = FProps;
  auto text = [](TFieldKind Kind, std::string Label, std::string& Value, std::string Group = {}) {
    return Field(Kind, std::move(Label), std::move(Group), [&Value] { return Value; },
                 [&Value](const std::string& v) { Value = v; });
  };
  std::vector<std::string> styles;
  for (int i = psSolid; i <= psInsideFrame; ++i) {
    std::string s;
    PenStyleToStr(i, s);
    styles.push_back(s);
  }
  d.Fields.push_back(ColourField("背景颜色：", p.BackColor));
  d.Fields.push_back(text(TFieldKind::Number, "X：", p.AbsX, "基点"));
  d.Fields.push_back(text(TFieldKind::Number, "Y：", p.AbsY, "基点"));
  d.Fields.push_back(text(TFieldKind::Number, "宽度：", p.Width));
  d.Fields.push_back(text(TFieldKind::Number, "高度：", p.Height));
  d.Fields.push_back(text(TFieldKind::Number, "缩放系数：", p.Scale));
  d.Fields.push_back(CheckField("显示网格线", p.ShowGrid, "网格"));
  d.Fields.push_back(text(TFieldKind::Number, "间距X：", p.GridWidth, "网格"));
  d.Fields.push_back(text(TFieldKind::Number, "间距Y：", p.GridHeight, "网格"));
  d.Fields.push_back(text(TFieldKind::Colour, "网格颜色：", p.GridPenColor, "网格"));
  d.Fields.push_back(IndexField(TFieldKind::Combo, "网格线型：", p.GridPenStyle, styles, "网格"));
  d.Accepted = [this, &Root] {
    Root.SetDrawingProperties(FProps);
    // The drawing changed: closing must not lose it without asking.
    if (Root.FDocument) Root.FDocument->SetModifiedFlag(true);
  };
  FForm = std::make_unique<TPropertyForm>(std::move(d), Parent);
}

// ---- 线条样式

TFillDialog::TFillDialog(TBrush Brush, const TCustomFigureSet* FillItem, QWidget* Parent)
    : FStart(Brush), FChoice(FillItem ? kCustom : int(Brush.Style)), FColor(Brush.Color) {
  TFormDef d;
  d.Caption = "定义填充";
  std::vector<std::string> styles = BrushStyleNames();
  styles.push_back("自定义填充");
  TFormField style = IndexField(TFieldKind::Radio, "样式：", FChoice, std::move(styles), "系统填充");
  style.Changed = [this](TPropertyForm& F) {
    if (F.Text("样式：") != std::to_string(kCustom) && FPage) FPage->Choose(nullptr);
  };
  d.Fields.push_back(std::move(style));
  d.Fields.push_back(ColourField("其它颜色...", FColor, "系统填充"));
  TFormField reset{TFieldKind::Button, "缺省颜色", "系统填充", {}, nullptr, nullptr, nullptr};
  reset.Changed = [](TPropertyForm& F) { F.Show(F.IndexOf("其它颜色..."), ColorText(TBrush{}.Color)); };
  d.Fields.push_back(std::move(reset));
  FForm = std::make_unique<TPropertyForm>(std::move(d), Parent);

  // The two pages side by side as tabs: the system group moves into one.
  QDialog& dlg = FForm->Dialog();
  auto* layout = static_cast<QBoxLayout*>(dlg.layout());
  QGroupBox* system = nullptr;
  for (QGroupBox* box : dlg.findChildren<QGroupBox*>())
    if (box->title() == QStringLiteral("系统填充")) system = box;
  auto* tabs = new QTabWidget;
  FPage = new TBrushStylePage;
  if (system) {
    const int at = layout->indexOf(system);
    layout->removeWidget(system);
    system->setTitle(QString());
    tabs->addTab(system, QStringLiteral("系统填充"));
    layout->insertWidget(at, tabs);
  } else {
    layout->insertWidget(0, tabs);
  }
  tabs->addTab(FPage, QStringLiteral("自定义填充"));
  if (FillItem) {
    FPage->Choose(FillItem);
    tabs->setCurrentWidget(FPage);
  }
  FPage->FOnChoose = [this] {
    if (FPage->Chosen()) FForm->Show(FForm->IndexOf("样式："), std::to_string(kCustom));
  };
  FPage->FOnDblClick = [this] { FForm->Accept(); };
}

bool TFillDialog::KeepsFillItem() const { return FChoice == kCustom && FPage && FPage->Chosen(); }

const TCustomFigureSet* TFillDialog::FillItem() const { return KeepsFillItem() ? FPage->Chosen() : nullptr; }

TBrush TFillDialog::Brush() const {
  // The pattern block keeps the figure's own brush under it.
  if (FChoice == kCustom) return {FColor, FStart.Style};
  return {FColor, static_cast<TBrushStyle>(std::clamp(FChoice, 0, int(bsDiagCross)))};
}

TPenStyleDialog::TPenStyleDialog(int Style, QWidget* Parent) : FStyle(Style) {
  TFormDef d;
  d.Caption = "线条样式";
  d.Fields.push_back(IndexField(TFieldKind::Combo, "线型：", FStyle, PenStyleNames()));
  FForm = std::make_unique<TPropertyForm>(std::move(d), Parent);
}
