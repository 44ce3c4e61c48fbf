#include "app/ArcDialogs.h"

#include "app/LineDialogs.h"
#include "docview/DocView.h"
#include "docview/FiguresDoc.h"
#include "figures/FigureText.h"

#include <algorithm>

namespace {

const char* const kSumjd = "总弧度：";
const char* const kPerimeter = "周长：";
const char* const kArea = "面积：";
const std::vector<std::string> kDirections = {"顺时针", "逆时针"};

// The measures follow what the fields hold; the model changes only on OK.
void ShowArcMeasures(TPropertyForm& F, const TArcProperties& P, int Kind) {
  TArcProperties typed = P;
  typed.Bj = F.Text("半径：");
  typed.Qj = F.Text("起点角度：");
  typed.Zj = F.Text("终点角度：");
  typed.Direction = F.Text("方向：") == "1" ? 1 : 0;
  const TArcMeasures m = ArcMeasures(typed, Kind);
  F.Show(F.IndexOf(kSumjd), m.Sumjd);
  F.Show(F.IndexOf(kPerimeter), m.Perimeter);
  if (const int i = F.IndexOf(kArea); i >= 0) F.Show(i, m.Area);
}

TFormField Live(TFormField Field, std::function<void(TPropertyForm&)> Update) {
  Field.Changed = std::move(Update);
  return Field;
}

TFormField Shown(const char* Label, std::string Group, std::function<std::string()> Get) {
  return {TFieldKind::Label, Label, std::move(Group), {}, std::move(Get), nullptr, nullptr};
}

const char* ArcCaption(int Kind) {
  switch (Kind) {
    case 1: return "定义扇形属性";
    case 2: return "定义弦形属性";
    default: return "定义弧线属性";
  }
}

}  // namespace

TP_Arc::TP_Arc(TDocView& View, TCustomFigure& Figure, int Kind, QWidget* Parent) {
  auto* arc = dynamic_cast<TCustomArc*>(&Figure);
  auto* closed = dynamic_cast<TArcWdbxFigure*>(&Figure);
  FProps = arc ? GetArcProperties(*arc) : GetArcProperties(*closed);
  TFormDef d;
  d.Caption = ArcCaption(Kind);
  TArcProperties& p = FProps;
  AddFigureCommonFields(d.Fields, p, Figure);
  auto update = [this, Kind](TPropertyForm& F) { ShowArcMeasures(F, FProps, Kind); };
  d.Fields.push_back(TextField(TFieldKind::Number, "圆心X：", p.YxX, "圆心："));
  d.Fields.push_back(TextField(TFieldKind::Number, "圆心Y：", p.YxY, "圆心："));
  d.Fields.push_back(Live(TextField(TFieldKind::Number, "半径：", p.Bj, "尺寸"), update));
  d.Fields.push_back(Live(TextField(TFieldKind::Angle, "起点角度：", p.Qj, "尺寸"), update));
  d.Fields.push_back(Live(TextField(TFieldKind::Angle, "终点角度：", p.Zj, "尺寸"), update));
  d.Fields.push_back(Live(IndexField(TFieldKind::Radio, "方向：", p.Direction, kDirections, "尺寸"), update));
  d.Fields.push_back(Shown(kSumjd, "尺寸", [&p, Kind] { return ArcMeasures(p, Kind).Sumjd; }));
  d.Fields.push_back(Shown(kPerimeter, "尺寸", [&p, Kind] { return ArcMeasures(p, Kind).Perimeter; }));
  if (Kind != 0) d.Fields.push_back(Shown(kArea, "尺寸", [&p, Kind] { return ArcMeasures(p, Kind).Area; }));
  d.Accepted = [this, &View, &Figure, arc, closed] {
    ApplyFigureEdit(View, Figure, [&] {
      if (arc)
        SetArcProperties(*arc, FProps);
      else
        SetArcProperties(*closed, FProps);
    });
  };
  FForm = std::make_unique<TPropertyForm>(std::move(d), Parent);
}

TP_RectArc::TP_RectArc(TDocView& View, TCustomRectArc& Figure, QWidget* Parent)
    : FProps(GetRectArcProperties(Figure)) {
  TFormDef d;
  d.Caption = "定义杆形属性";
  TRectArcProperties& p = FProps;
  AddFigureCommonFields(d.Fields, p, Figure);
  auto update = [this, &Figure](TPropertyForm& F) {
    TRectArcProperties typed = FProps;
    typed.QdX = F.Text("起点X：");
    typed.QdY = F.Text("起点Y：");
    typed.ZdX = F.Text("终点X：");
    typed.ZdY = F.Text("终点Y：");
    typed.Width = F.Text("宽度：");
    typed.Lx = F.Text("形状：") == "1" ? blArc : blLine;
    typed.YxX = F.Text("圆心X：");
    typed.YxY = F.Text("圆心Y：");
    typed.Bj = F.Text("半径：");
    typed.Direction = F.Text("方向：") == "1" ? 1 : 0;
    const TArcMeasures m = RectArcMeasures(Figure, typed);
    F.Show(F.IndexOf(kPerimeter), m.Perimeter);
    F.Show(F.IndexOf(kArea), m.Area);
  };
  for (auto [label, value] : {std::pair{"起点X：", &p.QdX}, {"起点Y：", &p.QdY}, {"终点X：", &p.ZdX}, {"终点Y：", &p.ZdY}})
    d.Fields.push_back(Live(TextField(TFieldKind::Number, label, *value, "坐标"), update));
  d.Fields.push_back(Live(TextField(TFieldKind::Number, "宽度：", p.Width, "尺寸"), update));
  d.Fields.push_back(Live(IndexField(TFieldKind::Radio, "形状：", p.Lx, {"直杆", "弯杆"}, "尺寸"), update));
  d.Fields.push_back(Live(TextField(TFieldKind::Number, "圆心X：", p.YxX, "圆心："), update));
  d.Fields.push_back(Live(TextField(TFieldKind::Number, "圆心Y：", p.YxY, "圆心："), update));
  d.Fields.push_back(Live(TextField(TFieldKind::Number, "半径：", p.Bj, "圆心："), update));
  d.Fields.push_back(Live(IndexField(TFieldKind::Radio, "方向：", p.Direction, kDirections, "圆心："), update));
  d.Fields.push_back(Shown(kPerimeter, "尺寸", [&p, &Figure] { return RectArcMeasures(Figure, p).Perimeter; }));
  d.Fields.push_back(Shown(kArea, "尺寸", [&p, &Figure] { return RectArcMeasures(Figure, p).Area; }));
  d.Accepted = [this, &View, &Figure] { ApplyFigureEdit(View, Figure, [&] { SetRectArcProperties(Figure, FProps); }); };
  FForm = std::make_unique<TPropertyForm>(std::move(d), Parent);
}

TP_ComboFigure::TP_ComboFigure(TDocView& View, TComboFigure& Figure, QWidget* Parent)
    : FProps(GetComboProperties(Figure)) {
  TFormDef d;
  d.Caption = "定义组合块属性";
  TComboProperties& p = FProps;
  d.Fields.push_back({TFieldKind::Ident, "标识：", "", {}, [&p] { return p.Ident; }, nullptr, nullptr});
  d.Fields.push_back(ColourField("颜色：", p.PenColor));
  d.Fields.push_back(TextField(TFieldKind::Number, "线宽：", p.LineWidth));
  d.Fields.push_back(IndexField(TFieldKind::Layer, "图层", p.LayerIndex, LayerNames(Figure)));
  d.Fields.push_back(TextField(TFieldKind::Number, "X：", p.YdX, "原点："));
  d.Fields.push_back(TextField(TFieldKind::Number, "Y：", p.YdY, "原点："));
  d.Fields.push_back(TextField(TFieldKind::Number, "长：", p.Width, "尺寸"));
  d.Fields.push_back(TextField(TFieldKind::Number, "宽：", p.Height, "尺寸"));
  d.Fields.push_back(TextField(TFieldKind::Angle, "旋转角度：", p.Xzjd, "尺寸"));
  d.Accepted = [this, &View, &Figure] { ApplyFigureEdit(View, Figure, [&] { SetComboProperties(Figure, FProps); }); };
  FForm = std::make_unique<TPropertyForm>(std::move(d), Parent);
}

void RegisterArcDialogs() {
  auto arcKind = [](int Kind) {
    return [Kind](TFigureView* View, TDocItem& Item) {
      auto* view = dynamic_cast<TDocView*>(View);
      return view && TP_Arc(*view, static_cast<TCustomFigure&>(Item), Kind).Execute();
    };
  };
  RegisterPropertyEditor(TCustomArc::StaticClass(), arcKind(0));
  RegisterPropertyEditor(TCustomChord::StaticClass(), arcKind(1));
  RegisterPropertyEditor(TCustomCirpart::StaticClass(), arcKind(2));
  RegisterPropertyEditor(TCustomRectArc::StaticClass(), [](TFigureView* View, TDocItem& Item) {
    auto* view = dynamic_cast<TDocView*>(View);
    return view && TP_RectArc(*view, static_cast<TCustomRectArc&>(Item)).Execute();
  });
  RegisterPropertyEditor(TComboFigure::StaticClass(), [](TFigureView* View, TDocItem& Item) {
    auto* view = dynamic_cast<TDocView*>(View);
    return view && TP_ComboFigure(*view, static_cast<TComboFigure&>(Item)).Execute();
  });
}

// ---- making a combined figure

TComboFigure* MakeComboFigure(TDocView& View, int Mode) {
  TDocument* doc = View.Document();
  TTxFigureSet* root = doc ? doc->GetFigures() : nullptr;
  if (!root) return nullptr;
  std::vector<TCustomFigure*> sources;
  for (TMyPersistent* p : View.Selection().FList) {
    auto* f = dynamic_cast<TCustomFigure*>(p);
    if (!f || !CanCombine(*f) || f->FParent != root) return nullptr;
    sources.push_back(f);
  }
  if (sources.size() < 2) return nullptr;

  // The extent is the union of the members' position rectangles.
  TRect box;
  for (std::size_t i = 0; i < sources.size(); ++i) {
    TRect r;
    sources[i]->CalcPositionRect(r);
    ExpandRect(r, 0);
    box = i == 0 ? r
                 : TRect{std::min(box.Left, r.Left), std::min(box.Top, r.Top), std::max(box.Right, r.Right),
                         std::max(box.Bottom, r.Bottom)};
  }
  auto owned = std::make_unique<TComboFigure>();
  TComboFigure* combo = owned.get();
  combo->FParent = root;
  combo->FStyle = Mode;
  // Placed unscaled and unturned in the drawing's frame at the extent's
  // corner, so the members keep their values apart from that shift.
  const Tpt corner = combo->xyTransAbsPt(box.Left, box.Top);
  const Tpt far = combo->xyTransAbsPt(box.Right, box.Bottom);
  combo->FYd = corner;
  combo->InitialParas(std::abs(far.x - corner.x), std::abs(far.y - corner.y));
  const double dx = combo->TransLogV(corner.x), dy = combo->TransLogV(corner.y);
  for (auto it = sources.rbegin(); it != sources.rend(); ++it) {
    std::unique_ptr<TDocItem> copy = (*it)->Clone();
    auto* part = dynamic_cast<TCustomFigure*>(copy.get());
    if (!part) continue;
    copy.release();
    part->SetDocument(nullptr);
    part->FParent = root;
    part->MoveByOffset(-dx, -dy);
    combo->FFigures->Insert(0, std::unique_ptr<TMyPersistent>(part));
    part->FParent = combo;
  }
  combo->FParent = nullptr;

  View.Select(nullptr, false);
  // The step owns the sources and names the combined figure last: undo puts
  // them back and takes it away.
  TMyList list;
  for (TCustomFigure* f : sources) {
    f->Invalidate();
    list.Add(f);
  }
  list.Add(combo);
  doc->BackUp(list, ovCombo);
  doc->Add(std::move(owned), TPoint{0, 0}, &View);
  doc->AddItemMessage(combo);
  View.Select(combo, false);
  combo->Invalidate();
  doc->SetModifiedFlag(true);
  return combo;
}
