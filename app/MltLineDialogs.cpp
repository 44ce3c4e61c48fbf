#include "app/MltLineDialogs.h"

#include "app/LineDialogs.h"
#include "app/OptionDialogs.h"
#include "app/PointListDialog.h"
#include "docview/DocView.h"
#include "figures/FigureKit.h"
#include "figures/FigureSet.h"
#include "figures/FigureText.h"
#include "figures/LineFigureKit.h"

#include <QDialog>

#include <cmath>

namespace {

using TFields = std::vector<TFormField>;

template <class T>
std::unique_ptr<T> CloneOf(const T& F) {
  auto c = std::unique_ptr<T>(static_cast<T*>(F.Clone().release()));
  c->Modified();
  return c;
}

// Pen and width onto the clone; a width that does not parse keeps the old one.
void ApplyPenAndWidth(TCustomFigure& F, const TOpenLineCommon& C) {
  LineKit::ApplyPen(F, C);
  LineKit::ApplyLineWidth(F, C);
}

// OK: one undo step, the figure takes the clone's values and the chosen layer.
void TakeClone(TDocView& View, TCustomFigure& Figure, const TCustomFigure& Clone, int Layer) {
  ApplyFigureEdit(View, Figure, [&] {
    Figure.Invalidate();
    {
      TChangingGuard guard(Figure);
      Figure.Assign(Clone);
    }
    if (Figure.FParent) Figure.FParent->ExchangeFigureLayer(&Figure, Figure.GetLayerIndex(), Layer);
    Figure.Modified();
  });
}

std::string UserLength(const TCustomFigure& F, double V) { return Format("%1.3f", F.TransUserV(V)); }

// The vertices of a spline as a vertex list for the point editor, and back.
std::unique_ptr<TTxCollectBxdy> BezierPoints(const TCustomBezier& B) {
  auto list = std::make_unique<TTxCollectBxdy>();
  for (TPoint p : B.FPoints) static_cast<TTxPolygonBxdy*>(list->AddObject())->FDwd = dptop(p);
  return list;
}

}  // namespace

// ---- multi-segment line

TP_MltLine::TP_MltLine(TDocView& View, TCustomMltLine& Line, QWidget* Parent, std::string Caption,
                       TExtraFields Extra)
    : FClone(CloneOf(Line)) {
  LineKit::FillCommon(Line, FCommon);
  TFormDef d;
  d.Caption = std::move(Caption);
  AddFigureCommonFields(d.Fields, FCommon, Line);
  d.Fields.push_back({TFieldKind::Label, "总线长：", "", {}, nullptr, nullptr, nullptr});
  d.Fields.push_back({TFieldKind::Label, "", "", {}, nullptr, nullptr, nullptr});
  const std::string g = "边线集：";
  d.Fields.push_back({TFieldKind::Label, "边线：", g, {}, nullptr, nullptr, nullptr});
  d.Fields.push_back({TFieldKind::Label, "起点:", g, {}, nullptr, nullptr, nullptr});
  d.Fields.push_back({TFieldKind::Label, " ", g, {}, nullptr, nullptr, nullptr});
  d.Fields.push_back({TFieldKind::Label, "终点:", g, {}, nullptr, nullptr, nullptr});
  d.Fields.push_back({TFieldKind::Label, "  ", g, {}, nullptr, nullptr, nullptr});
  auto moveEnd = [this](TPropertyForm& f) {
    // The end vertex goes where the length and angle put it; a length that
    // is no distance, or text that is no number, changes nothing.
    if (std::size_t(FEdge) >= FClone->PWLine().size() || FClone->Vertex(FEdge).FLx == blArc) return;
    double len = 0, deg = 0;
    if (!ParseFloat(f.Text("线长："), len) || !(len > 0) || !ParseFloat(f.Text("角度："), deg)) return;
    const Tpt a = FClone->Vertex(FEdge).FDwd;
    Change(*FClone, [&] { FClone->Vertex(FEdge + 1).FDwd = Add(a, Dir(DegToRad(deg)), FClone->TransSysV(len)); });
    EdgeChanged();
  };
  d.Fields.push_back({TFieldKind::Number, "线长：", g, {}, nullptr, nullptr, moveEnd});
  d.Fields.push_back({TFieldKind::Number, "角度：", g, {}, nullptr, nullptr, moveEnd});
  d.Fields.push_back({TFieldKind::Check, "弧线", g, {}, nullptr, nullptr, [this](TPropertyForm& f) {
                        if (FClone->GetPointCount() < 2) return;
                        const bool arc = f.Text("弧线") == "1";
                        Change(*FClone, [&] {
                          TTxPolygonBxdy& v = FClone->Vertex(FEdge);
                          v.FLx = arc ? blArc : blLine;
                          if (arc) v.FBj = 0;
                        });
                        EdgeChanged();
                      }});
  d.Fields.push_back({TFieldKind::Number, "半径：", g, {}, nullptr, nullptr, [this](TPropertyForm& f) {
                        double r = 0;
                        if (FClone->GetPointCount() < 2 || !ParseFloat(f.Text("半径："), r) || r < 0) return;
                        Change(*FClone, [&] { FClone->Vertex(FEdge).FBj = FClone->TransSysV(r); });
                        FForm->Show(FForm->IndexOf("总线长："), UserLength(*FClone, MltLinezc(FClone->PWLine())));
                      }});
  d.Fields.push_back({TFieldKind::Radio, "旋转方向：", g, {"顺时针", "逆时针"}, nullptr, nullptr,
                      [this](TPropertyForm& f) {
                        int i = -1;
                        if (FClone->GetPointCount() < 2 || !ParseInt(f.Text("旋转方向："), i) || i < 0) return;
                        Change(*FClone, [&] { FClone->Vertex(FEdge).FDirection = i; });
                        EdgeChanged();
                      }});
  d.Fields.push_back({TFieldKind::Button, "下一边线", g, {}, nullptr, nullptr, [this](TPropertyForm&) {
                        const int n = int(FClone->PWLine().size());
                        if (n == 0) return;
                        FEdge = (FEdge + 1) % n;
                        ShowEdge();
                      }});
  d.Fields.push_back({TFieldKind::Button, "编辑端点", "", {}, nullptr, nullptr, [this](TPropertyForm& f) {
                        TEditPoints e(FClone->DDList(), *FClone, &f.Dialog());
                        if (!e.Execute()) return;
                        FClone->SetDDList(e.Points());
                        FEdge = std::min(FEdge, std::max(0, int(FClone->PWLine().size()) - 1));
                        ShowEdge();
                      }});
  if (Extra) Extra(d.Fields, *FClone);
  d.Accepted = [this, &View, &Line] {
    ApplyPenAndWidth(*FClone, FCommon);
    TakeClone(View, Line, *FClone, FCommon.LayerIndex);
  };
  FForm = std::make_unique<TPropertyForm>(std::move(d), Parent);
  ShowEdge();
}

bool TP_MltLine::Execute() { return RunCommandForm(*FForm); }

void TP_MltLine::EdgeChanged() {
  TPropertyForm& f = *FForm;
  f.Show(f.IndexOf("总线长："), UserLength(*FClone, MltLinezc(FClone->PWLine())));
  if (std::size_t(FEdge) >= FClone->PWLine().size()) return;
  const TWorkDbxbx& e = FClone->PWLine()[std::size_t(FEdge)];
  Tpt q;
  FClone->TransUserPt(e.zd, q);
  f.Show(f.IndexOf("终点:"), Format("X: %1.3f", q.x));
  f.Show(f.IndexOf("  "), Format("Y: %1.3f", q.y));
  const bool arc = FClone->Vertex(FEdge).FLx == blArc;
  f.SetEnabled(f.IndexOf("线长："), !arc);
  f.SetEnabled(f.IndexOf("角度："), !arc);
  f.SetEnabled(f.IndexOf("半径："), arc);
  f.SetEnabled(f.IndexOf("旋转方向："), arc);
}

void TP_MltLine::ShowEdge() {
  TPropertyForm& f = *FForm;
  const int n = int(FClone->PWLine().size());
  f.Show(f.IndexOf(""), Format("共有 %1.0f 条边线", n));
  f.Show(f.IndexOf("边线："), n == 0 ? "" : Format("第 %1.0f 条边线", FEdge + 1));
  EdgeChanged();
  if (FEdge >= n) return;
  const TWorkDbxbx& e = FClone->PWLine()[std::size_t(FEdge)];
  const TTxPolygonBxdy& v = FClone->Vertex(FEdge);
  Tpt p;
  FClone->TransUserPt(e.qd, p);
  f.Show(f.IndexOf("起点:"), Format("X: %1.3f", p.x));
  f.Show(f.IndexOf(" "), Format("Y: %1.3f", p.y));
  const bool arc = v.FLx == blArc;
  f.Show(f.IndexOf("线长："), arc ? "" : UserLength(*FClone, Dist(e.qd, e.zd)));
  f.Show(f.IndexOf("角度："), arc ? "" : Format("%1.0f", std::round(RadToDeg(ppjd(e.qd, e.zd)))));
  f.Show(f.IndexOf("弧线"), arc ? "1" : "0");
  f.Show(f.IndexOf("半径："), e.lx == blArc ? UserLength(*FClone, v.FBj) : "0");
  f.Show(f.IndexOf("旋转方向："), std::to_string(v.FDirection != 0 ? 1 : 0));
}

// ---- freehand line

TP_PenLine::TP_PenLine(TDocView& View, TCustomPenLine& Line, QWidget* Parent) : FClone(CloneOf(Line)) {
  LineKit::FillCommon(Line, FCommon);
  const double s = Line.GetScale();
  FXLine = Line.FXLine;
  FGap = UserLength(Line, s * Line.FGap);
  FLength1 = UserLength(Line, s * Line.FLength1);
  FLength2 = UserLength(Line, s * Line.FLength2);
  FJd = Format("%1.1f", RadToDeg(Line.FJd));
  TFormDef d;
  d.Caption = "定义自由曲线属性";
  AddFigureCommonFields(d.Fields, FCommon, Line);
  const std::string zc = UserLength(Line, Line.GetZc());
  d.Fields.push_back({TFieldKind::Label, "总线长：", "", {}, [zc] { return zc; }, nullptr, nullptr});
  d.Fields.push_back({TFieldKind::Check, "带斜线", "", {}, [this] { return std::string(FXLine ? "1" : "0"); },
                      [this](const std::string& v) { FXLine = v == "1"; },
                      [](TPropertyForm& f) {
                        const bool on = f.Text("带斜线") == "1";
                        for (const char* l : {"间距：", "角度：", "长度1：", "长度2："}) f.SetEnabled(f.IndexOf(l), on);
                      }});
  const std::string g = "斜线属性：";
  d.Fields.push_back(TextField(TFieldKind::Number, "间距：", FGap, g));
  d.Fields.push_back(TextField(TFieldKind::Angle, "角度：", FJd, g));
  d.Fields.push_back(TextField(TFieldKind::Number, "长度1：", FLength1, g));
  d.Fields.push_back(TextField(TFieldKind::Number, "长度2：", FLength2, g));
  d.Accepted = [this, &View, &Line] {
    TCustomPenLine& c = *FClone;
    // In field order; the first that does not convert ends the update. A
    // spacing or length that is no distance does not convert.
    [&] {
      ApplyPenAndWidth(c, FCommon);
      c.FXLine = FXLine;
      const double s = c.GetScale();
      double v = 0;
      auto length = [&](const std::string& t, double& out) {
        if (!ParseFloat(t, v) || !(v > 0) || !std::isfinite(v)) return false;
        out = c.TransSysV(v) / s;
        return true;
      };
      if (!length(FGap, c.FGap)) return;
      if (!ParseFloat(FJd, v) || !std::isfinite(v)) return;
      c.FJd = DegToRad(v);
      if (!length(FLength1, c.FLength1)) return;
      length(FLength2, c.FLength2);
    }();
    TakeClone(View, Line, c, FCommon.LayerIndex);
  };
  FForm = std::make_unique<TPropertyForm>(std::move(d), Parent);
  for (const char* l : {"间距：", "角度：", "长度1：", "长度2："}) FForm->SetEnabled(FForm->IndexOf(l), FXLine);
}

bool TP_PenLine::Execute() { return RunCommandForm(*FForm); }

// ---- spline

TP_Bezier::TP_Bezier(TDocView& View, TCustomBezier& Line, QWidget* Parent) : FClone(CloneOf(Line)) {
  LineKit::FillCommon(Line, FCommon);
  TFormDef d;
  d.Caption = "定义样条曲线属性";
  AddFigureCommonFields(d.Fields, FCommon, Line);
  d.Fields.push_back({TFieldKind::Button, "编辑端点", "", {}, nullptr, nullptr, [this](TPropertyForm& f) {
                        TEditPoints e(*BezierPoints(*FClone), *FClone, &f.Dialog());
                        if (!e.Execute()) return;
                        std::vector<TPoint> pts;
                        for (int i = 0; i < e.Points().Count(); ++i) pts.push_back(ptodp(e.Points().Points(i)->FDwd));
                        FClone->SetPoints(pts);
                      }});
  d.Accepted = [this, &View, &Line] {
    ApplyPenAndWidth(*FClone, FCommon);
    TakeClone(View, Line, *FClone, FCommon.LayerIndex);
  };
  FForm = std::make_unique<TPropertyForm>(std::move(d), Parent);
}

bool TP_Bezier::Execute() { return RunCommandForm(*FForm); }

void RegisterMltLineDialogs() {
  RegisterPropertyEditor(TCustomMltLine::StaticClass(), [](TFigureView* View, TDocItem& Item) {
    auto* view = dynamic_cast<TDocView*>(View);
    return view && TP_MltLine(*view, static_cast<TCustomMltLine&>(Item)).Execute();
  });
  RegisterPropertyEditor(TCustomPenLine::StaticClass(), [](TFigureView* View, TDocItem& Item) {
    auto* view = dynamic_cast<TDocView*>(View);
    return view && TP_PenLine(*view, static_cast<TCustomPenLine&>(Item)).Execute();
  });
  RegisterPropertyEditor(TCustomBezier::StaticClass(), [](TFigureView* View, TDocItem& Item) {
    auto* view = dynamic_cast<TDocView*>(View);
    return view && TP_Bezier(*view, static_cast<TCustomBezier&>(Item)).Execute();
  });
}
