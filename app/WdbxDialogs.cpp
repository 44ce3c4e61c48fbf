#include "app/WdbxDialogs.h"

#include "app/LineDialogs.h"
#include "docview/DocView.h"

namespace {

using TFields = std::vector<TFormField>;

const std::string kPerimeter = "周长：";
const std::string kArea = "面积：";

// The read-only measures, filled by Measure from the fields as typed.
void AddMeasures(TFields& Fields, const std::function<std::string()>& Perimeter,
                 const std::function<std::string()>& Area, const std::string& Group = {}) {
  Fields.push_back({TFieldKind::Label, kPerimeter, Group, {}, Perimeter, nullptr, nullptr});
  Fields.push_back({TFieldKind::Label, kArea, Group, {}, Area, nullptr, nullptr});
}

// A field whose edits show the measures again.
TFormField Measured(TFormField Field, std::function<void(TPropertyForm&)> Measure) {
  Field.Changed = std::move(Measure);
  return Field;
}

}  // namespace

TP_Rectangle::TP_Rectangle(TDocView& View, TCustomRectangle& Rect, QWidget* Parent)
    : FProps(GetRectangleProperties(Rect)) {
  TFormDef d;
  d.Caption = "定义矩形属性";
  TRectangleProperties& p = FProps;
  AddFigureCommonFields(d.Fields, p, Rect);
  auto measure = [](TPropertyForm& f) {
    TRectangleProperties typed;
    typed.Width = f.Text("宽度：");
    typed.Height = f.Text("高度：");
    f.Show(f.IndexOf(kPerimeter), RectanglePerimeter(typed));
    f.Show(f.IndexOf(kArea), RectangleArea(typed));
  };
  d.Fields.push_back(TextField(TFieldKind::Number, "角点X：", p.YdX, "位置"));
  d.Fields.push_back(TextField(TFieldKind::Number, "角点Y：", p.YdY, "位置"));
  d.Fields.push_back(Measured(TextField(TFieldKind::Number, "宽度：", p.Width, "尺寸"), measure));
  d.Fields.push_back(Measured(TextField(TFieldKind::Number, "高度：", p.Height, "尺寸"), measure));
  d.Fields.push_back(TextField(TFieldKind::Angle, "旋转角度：", p.Xzjd, "尺寸"));
  AddMeasures(d.Fields, [&p] { return RectanglePerimeter(p); }, [&p] { return RectangleArea(p); }, "尺寸");
  d.Accepted = [this, &View, &Rect] { ApplyFigureEdit(View, Rect, [&] { SetRectangleProperties(Rect, FProps); }); };
  FForm = std::make_unique<TPropertyForm>(std::move(d), Parent);
}

TP_ZPolygon::TP_ZPolygon(TDocView& View, TCustomZPolygon& Polygon, QWidget* Parent)
    : FProps(GetZPolygonProperties(Polygon)) {
  TFormDef d;
  d.Caption = "定义正多边形属性";
  TZPolygonProperties& p = FProps;
  AddFigureCommonFields(d.Fields, p, Polygon);
  auto measure = [](TPropertyForm& f) {
    TZPolygonProperties typed;
    typed.LineCount = f.Text("边数：");
    typed.Bj = f.Text("半径：");
    f.Show(f.IndexOf(kPerimeter), ZPolygonPerimeter(typed));
    f.Show(f.IndexOf(kArea), ZPolygonArea(typed));
  };
  d.Fields.push_back(TextField(TFieldKind::Number, "中心X：", p.YdX, "位置"));
  d.Fields.push_back(TextField(TFieldKind::Number, "中心Y：", p.YdY, "位置"));
  d.Fields.push_back(Measured(TextField(TFieldKind::Number, "边数：", p.LineCount, "尺寸"), measure));
  d.Fields.push_back(Measured(TextField(TFieldKind::Number, "半径：", p.Bj, "尺寸"), measure));
  d.Fields.push_back(TextField(TFieldKind::Angle, "旋转角度：", p.Xzjd, "尺寸"));
  AddMeasures(d.Fields, [&p] { return ZPolygonPerimeter(p); }, [&p] { return ZPolygonArea(p); }, "尺寸");
  d.Accepted = [this, &View, &Polygon] {
    ApplyFigureEdit(View, Polygon, [&] { SetZPolygonProperties(Polygon, FProps); });
  };
  FForm = std::make_unique<TPropertyForm>(std::move(d), Parent);
}

TP_Polygon::TP_Polygon(TDocView& View, TCustomPolygon& Polygon, QWidget* Parent)
    : FProps(GetPolygonProperties(Polygon)) {
  TFormDef d;
  d.Caption = "定义多边形属性";
  TPolygonProperties& p = FProps;
  AddFigureCommonFields(d.Fields, p, Polygon);
  AddMeasures(d.Fields, [&p] { return p.Perimeter; }, [&p] { return p.Area; });
  d.Accepted = [this, &View, &Polygon] {
    ApplyFigureEdit(View, Polygon, [&] { SetPolygonProperties(Polygon, FProps); });
  };
  FForm = std::make_unique<TPropertyForm>(std::move(d), Parent);
}

void RegisterWdbxDialogs() {
  RegisterPropertyEditor(TCustomRectangle::StaticClass(), [](TFigureView* View, TDocItem& Item) {
    auto* view = dynamic_cast<TDocView*>(View);
    return view && TP_Rectangle(*view, static_cast<TCustomRectangle&>(Item)).Execute();
  });
  RegisterPropertyEditor(TCustomZPolygon::StaticClass(), [](TFigureView* View, TDocItem& Item) {
    auto* view = dynamic_cast<TDocView*>(View);
    return view && TP_ZPolygon(*view, static_cast<TCustomZPolygon&>(Item)).Execute();
  });
  RegisterPropertyEditor(TCustomPolygon::StaticClass(), [](TFigureView* View, TDocItem& Item) {
    auto* view = dynamic_cast<TDocView*>(View);
    return view && TP_Polygon(*view, static_cast<TCustomPolygon&>(Item)).Execute();
  });
}
