#include "app/RoundDialogs.h"

#include "app/LineDialogs.h"
#include "docview/DocView.h"
#include "figures/FigureText.h"

#include <functional>

namespace {

using TFields = std::vector<TFormField>;

const char* const kPerimeter = "周长：";
const char* const kArea = "面积：";

// The two read-only measures, and a size field that keeps them current:
// Measure reads the sizes as typed into a copy of the model.
template <class Props>
using TMeasure = bool (*)(const Props&, double&, double&);

template <class Props>
std::string MeasureText(const Props& P, TMeasure<Props> Measure, bool Area) {
  double per = 0, area = 0;
  if (!Measure(P, per, area)) return "";
  return Format("%1.3f", Area ? area : per);
}

template <class Props>
void AddMeasures(TFields& Fields, Props& P, TMeasure<Props> Measure) {
  Fields.push_back({TFieldKind::Label, kPerimeter, "尺寸", {}, [&P, Measure] { return MeasureText(P, Measure, false); },
                    nullptr, nullptr});
  Fields.push_back({TFieldKind::Label, kArea, "尺寸", {}, [&P, Measure] { return MeasureText(P, Measure, true); },
                    nullptr, nullptr});
}

// A size field: edited, the measures are worked out again from what every
// size field holds (the model itself changes only on OK).
template <class Props>
TFormField SizeField(std::string Label, std::string& Value, const Props& P, TMeasure<Props> Measure,
                     std::vector<std::pair<std::string, std::string Props::*>> Sizes) {
  TFormField f = TextField(TFieldKind::Number, std::move(Label), Value, "尺寸");
  f.Changed = [&P, Measure, Sizes](TPropertyForm& Form) {
    Props typed = P;
    for (const auto& [label, member] : Sizes) typed.*member = Form.Text(label);
    Form.Show(Form.IndexOf(kPerimeter), MeasureText(typed, Measure, false));
    Form.Show(Form.IndexOf(kArea), MeasureText(typed, Measure, true));
  };
  return f;
}

template <class Figure, class Dialog>
void RegisterDialog() {
  RegisterPropertyEditor(Figure::StaticClass(), [](TFigureView* View, TDocItem& Item) {
    auto* view = dynamic_cast<TDocView*>(View);
    return view && Dialog(*view, static_cast<Figure&>(Item)).Execute();
  });
}

}  // namespace

TP_RoundRect::TP_RoundRect(TDocView& View, TCustomRoundRect& Figure, QWidget* Parent)
    : FProps(GetRoundRectProperties(Figure)) {
  using P = TRoundRectProperties;
  TFormDef d;
  d.Caption = "定义圆角矩形属性";
  P& p = FProps;
  AddFigureCommonFields(d.Fields, p, Figure);
  d.Fields.push_back(TextField(TFieldKind::Number, "中心X：", p.YdX, "坐标"));
  d.Fields.push_back(TextField(TFieldKind::Number, "中心Y：", p.YdY, "坐标"));
  const std::vector<std::pair<std::string, std::string P::*>> sizes = {
      {"宽度：", &P::Width}, {"高度：", &P::Height}, {"水平圆角半径：", &P::Hzbj}, {"垂直圆角半径：", &P::Vzbj}};
  for (const auto& [label, member] : sizes)
    d.Fields.push_back(SizeField<P>(label, p.*member, p, RoundRectMeasures, sizes));
  d.Fields.push_back(TextField(TFieldKind::Angle, "旋转角度：", p.Xzjd));
  AddMeasures<P>(d.Fields, p, RoundRectMeasures);
  d.Accepted = [this, &View, &Figure] { ApplyFigureEdit(View, Figure, [&] { SetRoundRectProperties(Figure, FProps); }); };
  FForm = std::make_unique<TPropertyForm>(std::move(d), Parent);
}

TP_Ellipse::TP_Ellipse(TDocView& View, TCustomEllipse& Figure, QWidget* Parent)
    : FProps(GetEllipseProperties(Figure)) {
  using P = TEllipseProperties;
  TFormDef d;
  d.Caption = "定义椭圆属性";
  P& p = FProps;
  AddFigureCommonFields(d.Fields, p, Figure);
  d.Fields.push_back(TextField(TFieldKind::Number, "中心X：", p.YxX, "坐标"));
  d.Fields.push_back(TextField(TFieldKind::Number, "中心Y：", p.YxY, "坐标"));
  const std::vector<std::pair<std::string, std::string P::*>> sizes = {{"水平半轴：", &P::Hzbj},
                                                                       {"垂直半轴：", &P::Vzbj}};
  for (const auto& [label, member] : sizes)
    d.Fields.push_back(SizeField<P>(label, p.*member, p, EllipseMeasures, sizes));
  d.Fields.push_back(TextField(TFieldKind::Angle, "旋转角度：", p.Xzjd));
  AddMeasures<P>(d.Fields, p, EllipseMeasures);
  d.Accepted = [this, &View, &Figure] { ApplyFigureEdit(View, Figure, [&] { SetEllipseProperties(Figure, FProps); }); };
  FForm = std::make_unique<TPropertyForm>(std::move(d), Parent);
}

TP_Circle::TP_Circle(TDocView& View, TCustomCircle& Figure, QWidget* Parent) : FProps(GetCircleProperties(Figure)) {
  using P = TCircleProperties;
  TFormDef d;
  d.Caption = "定义圆形属性";
  P& p = FProps;
  AddFigureCommonFields(d.Fields, p, Figure);
  d.Fields.push_back(TextField(TFieldKind::Number, "圆心X：", p.YxX, "坐标"));
  d.Fields.push_back(TextField(TFieldKind::Number, "圆心Y：", p.YxY, "坐标"));
  const std::vector<std::pair<std::string, std::string P::*>> sizes = {{"半径：", &P::Bj}};
  d.Fields.push_back(SizeField<P>("半径：", p.Bj, p, CircleMeasures, sizes));
  AddMeasures<P>(d.Fields, p, CircleMeasures);
  d.Accepted = [this, &View, &Figure] { ApplyFigureEdit(View, Figure, [&] { SetCircleProperties(Figure, FProps); }); };
  FForm = std::make_unique<TPropertyForm>(std::move(d), Parent);
}

void RegisterRoundDialogs() {
  RegisterDialog<TCustomRoundRect, TP_RoundRect>();
  RegisterDialog<TCustomEllipse, TP_Ellipse>();
  RegisterDialog<TCustomCircle, TP_Circle>();
}
