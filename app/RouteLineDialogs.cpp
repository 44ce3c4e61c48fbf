#include "app/RouteLineDialogs.h"

#include "app/LineDialogs.h"
#include "app/OptionDialogs.h"
#include "app/PointListDialog.h"
#include "docview/DocView.h"
#include "figures/FigureKit.h"
#include "figures/FigureSet.h"
#include "figures/FigureText.h"
#include "figures/LineFigureKit.h"

#include <QAbstractButton>
#include <QDialog>

#include <cmath>

namespace {

std::string UserLength(const TCustomFigure& F, double V) { return Format("%1.3f", F.TransUserV(V)); }

// A user value typed into the dialog, or false when it is no finite number.
bool Entry(const std::string& Text, double& V) { return ParseFloat(Text, V) && std::isfinite(V); }

// The route lines run straight from vertex to vertex.
double ChordLength(const TCustomMltLine& L) {
  double z = 0;
  for (const TWorkDbxbx& e : L.PWLine()) z += Dist(e.qd, e.zd);
  return z;
}

std::string EdgeCount(const TCustomMltLine& L) { return Format("共有 %1.0f 条边线", double(L.PWLine().size())); }

}  // namespace

TP_RouteLine::TP_RouteLine(TDocView& View, TCustomMltLine& Line, QWidget* Parent) {
  FClone.reset(static_cast<TCustomMltLine*>(Line.Clone().release()));
  FClone->Modified();
  LineKit::FillCommon(Line, FCommon);
  auto* dbl = dynamic_cast<TCustomDoubleLine*>(FClone.get());
  auto* dx = dynamic_cast<TCustomDxLine*>(FClone.get());
  auto* el = dynamic_cast<TCustomDLine*>(FClone.get());
  auto* rail = dynamic_cast<TCustomTrailLine*>(FClone.get());
  TFormDef d;
  d.Caption = dbl ? "定义双线属性" : dx ? "定义电讯线属性" : el ? "定义电线属性" : "定义铁路线属性";
  AddFigureCommonFields(d.Fields, FCommon, Line);
  if (rail)
    std::erase_if(d.Fields, [](const TFormField& f) { return f.Label == "线型："; });
  d.Fields.push_back({TFieldKind::Label, "总线长：", "", {}, nullptr, nullptr, nullptr});
  d.Fields.push_back({TFieldKind::Label, "", "", {}, nullptr, nullptr, nullptr});
  const std::string g = "边线集：";
  for (const char* l : {"边线：", "起点:", " ", "终点:", "  "})
    d.Fields.push_back({TFieldKind::Label, l, g, {}, nullptr, nullptr, nullptr});
  auto moveEnd = [this](TPropertyForm& f) {
    // The end vertex goes where the length and angle put it; a length that
    // is no distance, or text that is no number, changes nothing.
    if (std::size_t(FEdge) >= FClone->PWLine().size()) return;
    double len = 0, deg = 0;
    if (!Entry(f.Text("线长："), len) || !(len > 0) || !Entry(f.Text("角度："), deg)) return;
    const Tpt a = FClone->Vertex(FEdge).FDwd;
    Change(*FClone, [&] { FClone->Vertex(FEdge + 1).FDwd = Add(a, Dir(DegToRad(deg)), FClone->TransSysV(len)); });
    EdgeChanged();
  };
  d.Fields.push_back({TFieldKind::Number, "线长：", g, {}, nullptr, nullptr, moveEnd});
  d.Fields.push_back({TFieldKind::Number, "角度：", g, {}, nullptr, nullptr, moveEnd});
  d.Fields.push_back({TFieldKind::Button, "下一边线", g, {}, nullptr, nullptr, [this](TPropertyForm&) {
                        const int n = int(FClone->PWLine().size());
                        if (n == 0) return;
                        FEdge = (FEdge + 1) % n;
                        ShowEdge();
                      }});
  const double ps = Line.GetAbsParentScale();
  if (dbl) {
    FGap = UserLength(Line, dbl->FGap);
    d.Fields.push_back(TextField(TFieldKind::Number, "间距：", FGap));
    d.Fields.push_back({TFieldKind::Button, "主线", "", {}, nullptr, nullptr,
                        [this](TPropertyForm&) { SwitchPen(); }});
  } else if (dx || el) {
    FGap = UserLength(Line, (dx ? dx->FGap : el->FGap) / ps);
    d.Fields.push_back(TextField(TFieldKind::Number, "间距：", FGap));
    if (el) {
      FLx = el->FLx;
      d.Fields.push_back(IndexField(TFieldKind::Radio, "类型：", FLx, {"低压电线", "高压电线"}));
    }
  } else if (rail) {
    FGap = UserLength(Line, rail->FGap);
    FWidth = UserLength(Line, rail->GetScale() * rail->FWidth);
    d.Fields.push_back(TextField(TFieldKind::Number, "间距：", FGap));
    d.Fields.push_back(TextField(TFieldKind::Number, "宽度：", FWidth));
  }
  d.Fields.push_back({TFieldKind::Button, "编辑端点", "", {}, nullptr, nullptr, [this](TPropertyForm& f) {
                        TEditPoints e(FClone->DDList(), *FClone, &f.Dialog());
                        if (!e.Execute()) return;
                        FClone->SetDDList(e.Points());
                        FEdge = std::min(FEdge, std::max(0, int(FClone->PWLine().size()) - 1));
                        ShowEdge();
                      }});
  d.Accepted = [this, &View, &Line, dbl, dx, el, rail] {
    TCustomMltLine& c = *FClone;
    // The controls hold the pen they show; the other one is the clone's already.
    const TPen main = c.FPen;
    LineKit::ApplyPen(c, FCommon);
    LineKit::ApplyLineWidth(c, FCommon);
    if (dbl && FEditingParallel) {
      dbl->FPen1 = c.FPen;
      c.FPen = main;
    }
    double v = 0;
    const double s = c.GetAbsParentScale();
    if (dbl && Entry(FGap, v)) dbl->FGap = c.TransSysV(v);
    // Below the minimum the circles would overlap: such a spacing is refused.
    if ((dx || el) && Entry(FGap, v)) {
      const double g = c.TransSysV(v) * s;
      if (dx && g >= TCustomDxLine::MinGap && std::isfinite(g)) dx->FGap = g;
      if (el && g >= TCustomDLine::MinGap && std::isfinite(g)) el->FGap = g;
    }
    if (el) el->FLx = FLx;
    if (rail) {
      // A hexagon length that is no distance would never advance.
      if (Entry(FGap, v) && v > 0 && std::isfinite(c.TransSysV(v))) rail->FGap = c.TransSysV(v);
      const double sc = rail->GetScale();
      if (Entry(FWidth, v) && v >= 0 && sc > 0 && std::isfinite(c.TransSysV(v) / sc))
        rail->FWidth = c.TransSysV(v) / sc;
    }
    ApplyFigureEdit(View, Line, [&] {
      Line.Invalidate();
      {
        TChangingGuard guard(Line);
        Line.Assign(c);
      }
      if (Line.FParent) Line.FParent->ExchangeFigureLayer(&Line, Line.GetLayerIndex(), FCommon.LayerIndex);
      Line.Modified();
    });
  };
  FForm = std::make_unique<TPropertyForm>(std::move(d), Parent);
  ShowEdge();
}

void TP_RouteLine::EdgeChanged() {
  TPropertyForm& f = *FForm;
  f.Show(f.IndexOf("总线长："), UserLength(*FClone, ChordLength(*FClone)));
  if (std::size_t(FEdge) >= FClone->PWLine().size()) return;
  Tpt q;
  FClone->TransUserPt(FClone->PWLine()[std::size_t(FEdge)].zd, q);
  f.Show(f.IndexOf("终点:"), Format("X: %1.3f", q.x));
  f.Show(f.IndexOf("  "), Format("Y: %1.3f", q.y));
}

void TP_RouteLine::ShowEdge() {
  TPropertyForm& f = *FForm;
  const int n = int(FClone->PWLine().size());
  f.Show(f.IndexOf(""), EdgeCount(*FClone));
  f.Show(f.IndexOf("边线："), n == 0 ? "" : Format("第 %1.0f 条边线", FEdge + 1));
  EdgeChanged();
  if (FEdge >= n) return;
  const TWorkDbxbx& e = FClone->PWLine()[std::size_t(FEdge)];
  Tpt p;
  FClone->TransUserPt(e.qd, p);
  f.Show(f.IndexOf("起点:"), Format("X: %1.3f", p.x));
  f.Show(f.IndexOf(" "), Format("Y: %1.3f", p.y));
  f.Show(f.IndexOf("线长："), UserLength(*FClone, Dist(e.qd, e.zd)));
  f.Show(f.IndexOf("角度："), Format("%1.0f", std::round(RadToDeg(ppjd(e.qd, e.zd)))));
}

void TP_RouteLine::SwitchPen() {
  auto* dbl = dynamic_cast<TCustomDoubleLine*>(FClone.get());
  if (!dbl) return;
  TPropertyForm& f = *FForm;
  // What the controls show now goes to the pen they stood for.
  TPen& from = FEditingParallel ? dbl->FPen1 : dbl->FPen;
  int v = 0;
  if (ParseInt(f.Text("颜色："), v)) from.Color = static_cast<COLORREF>(v);
  if (ParseInt(f.Text("线型："), v) && v >= psSolid && v <= psInsideFrame) from.Style = static_cast<TPenStyle>(v);
  if (ParseInt(f.Text("线宽："), v) && v >= 0) from.Width = v;
  FEditingParallel = !FEditingParallel;
  const TPen& to = FEditingParallel ? dbl->FPen1 : dbl->FPen;
  FCommon.PenColor = to.Color;
  FCommon.PenStyle = to.Style;
  FCommon.LineWidth = std::to_string(to.Width);
  f.Show(f.IndexOf("颜色："), ColorText(to.Color));
  f.Show(f.IndexOf("线型："), std::to_string(int(to.Style)));
  f.Show(f.IndexOf("线宽："), FCommon.LineWidth);
  // The button names the pen the controls show.
  if (auto* b = qobject_cast<QAbstractButton*>(f.Control(f.IndexOf("主线"))))
    b->setText(QString::fromUtf8(FEditingParallel ? "从线" : "主线"));
}

bool TP_RouteLine::Execute() { return RunCommandForm(*FForm); }

void RegisterRouteLineDialogs() {
  for (const TMetaClass* c : {&TCustomDoubleLine::StaticClass(), &TCustomDxLine::StaticClass(),
                              &TCustomDLine::StaticClass(), &TCustomTrailLine::StaticClass()})
    RegisterPropertyEditor(*c, [](TFigureView* View, TDocItem& Item) {
      auto* view = dynamic_cast<TDocView*>(View);
      return view && TP_RouteLine(*view, static_cast<TCustomMltLine&>(Item)).Execute();
    });
}
