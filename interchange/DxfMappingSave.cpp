// Writing the drawing as DXF: SaveToDxfFile and its Save... routines.

#include "interchange/DxfMapping.h"

#include "figures/Arcs.h"
#include "figures/Blocks.h"
#include "figures/FigureSet.h"
#include "figures/FigureKit.h"
#include "figures/LabelFont.h"
#include "figures/MltLine.h"
#include "figures/PenLine.h"
#include "figures/Pictures.h"
#include "figures/RoundShapes.h"
#include "figures/Texts.h"
#include "figures/TowerCrane.h"
#include "figures/WdbxFigure.h"
#include "foundation/Arcline.h"
#include "interchange/DxfCanvas.h"
#include "interchange/DxfWriter.h"
#include "platform/Bitmap.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <set>

namespace {

constexpr double kPi = 3.14159265358979323846;

const TTxFigureSet* RootOf(const TCustomFigure& F) {
  const TCustomFigure* top = &F;
  while (top->FParent) top = top->FParent;
  return dynamic_cast<const TTxFigureSet*>(top);
}

bool InheritsNamed(const TMyPersistent& Obj, std::string_view Name) {
  for (const TMetaClass* c = &Obj.ClassType(); c; c = c->Parent)
    if (Name == c->Name) return true;
  return false;
}

template <class T>
void Put(DXF_Layer& Layer, std::unique_ptr<T> E, COLORREF Colour) {
  E->setcolour(ColorToRGB(Colour));
  Layer.add_entity(std::move(E));
}

void PutLine(DXF_Layer& Layer, const TDxfPlace& P, Tpt A, Tpt B, COLORREF Colour) {
  auto l = std::make_unique<Line_>();
  l->p1 = P.Pt(A.x, A.y);
  l->p2 = P.Pt(B.x, B.y);
  Put(Layer, std::move(l), Colour);
}

// A counter-clockwise arc around C from A to B (local points).
void PutArc(DXF_Layer& Layer, const TDxfPlace& P, Tpt C, double R, Tpt A, Tpt B, bool Ccw, COLORREF Colour) {
  auto a = std::make_unique<Arc_>();
  a->p1 = P.Pt(C.x, C.y);
  a->radius = P.Len(R);
  const Point3D s = P.Pt(A.x, A.y), e = P.Pt(B.x, B.y);
  double d0 = std::atan2(s.y - a->p1.y, s.x - a->p1.x) * 180 / kPi, d1 = std::atan2(e.y - a->p1.y, e.x - a->p1.x) * 180 / kPi;
  if (!Ccw) std::swap(d0, d1);
  a->angle1 = d0, a->angle2 = d1;
  Put(Layer, std::move(a), Colour);
}

// One LINE or ARC per edge (local points of the figure's parent frame).
void SaveEdges(const TCustomFigure& F, const TWorkDbxbxList& Edges, DXF_Layer& Layer) {
  const TDxfPlace place(F);
  for (const TWorkDbxbx& e : Edges) {
    if (e.lx == blArc && e.bj > 0) PutArc(Layer, place, e.yx, e.bj, e.qd, e.zd, e.Direction == 1, F.FPen.Color);
    else PutLine(Layer, place, e.qd, e.zd, F.FPen.Color);
  }
}

class TDxfSaver {
public:
  explicit TDxfSaver(TTxFigureSet& Root) : FRoot(Root) {}

  void SaveFigure(TCustomFigure& F, DXF_Layer& Layer) {
    // The route lines and the text line paint symbols and texts along the
    // chain: they are written as painted.
    if (auto* m = dynamic_cast<TTxMltLine*>(&F)) SaveMltLine(*m, Layer);
    else if (dynamic_cast<TCustomMltLine*>(&F)) SavePainted(F, Layer);
    else if (auto* c = dynamic_cast<TCustomCircle*>(&F)) SaveCircle(*c, Layer);
    else if (auto* w = dynamic_cast<TCustomWdbxFigure*>(&F)) SaveWdbxFigure(*w, Layer);
    else if (auto* p = dynamic_cast<TCustomPenLine*>(&F)) SaveToDxf(*p, Layer);
    else if (auto* t = dynamic_cast<TCustomTadiao*>(&F)) SaveToDxf(*t, Layer);
    else if (auto* s = dynamic_cast<TFramedFigureSet*>(&F)) SaveFigureSet(*s, Layer);
    else if (auto* x = dynamic_cast<TCustomXLabel*>(&F); x && x->FAutoSize) SaveText(*x, Layer);
    else if (auto* e = dynamic_cast<TCustomEllipse*>(&F)) SaveEllipse(*e, Layer);
    else if (auto* a = dynamic_cast<TCustomArc*>(&F)) SaveArc(*a, Layer);
    else if (!Unwritable(F)) SavePainted(F, Layer);
  }

  void SaveMltLine(const TCustomMltLine& F, DXF_Layer& Layer) { SaveEdges(F, F.PWLine(), Layer); }

  void SaveWdbxFigure(const TCustomWdbxFigure& F, DXF_Layer& Layer) {
    if (F.FPWdbx) SaveEdges(F, F.FPWdbx->bx, Layer);
  }

  void SaveCircle(const TCustomCircle& F, DXF_Layer& Layer) {
    const TDxfPlace place(F);
    auto c = std::make_unique<Circle_>();
    c->p1 = place.Pt(F.FYx.x, F.FYx.y);
    c->radius = place.Len(F.Radius());
    Put(Layer, std::move(c), F.FPen.Color);
  }

  // R12 has no ELLIPSE entity: a closed polyline of 2 degree steps, within
  // 0.00016 of the larger radius of the true curve (the view's 36 points
  // are coarser).
  void SaveEllipse(const TCustomEllipse& F, DXF_Layer& Layer) {
    if (F.FPen.Style == psClear) return;
    const TDxfPlace place(F);
    const double s = F.FScale;
    auto e = std::make_unique<Polyline_>();
    e->closed = true;
    constexpr int kSteps = 180;
    for (int i = 0; i < kSteps; ++i) {
      const double t = 2 * kPi * i / kSteps;
      const Tpt p = Add(F.FYx, Rot({s * F.FHzbj * std::cos(t), s * F.FVzbj * std::sin(t)}, F.FXzJd));
      e->vertices.push_back(place.Pt(p.x, p.y));
      e->bulges.push_back(0);
    }
    Put(Layer, std::move(e), F.FPen.Color);
  }

  void SaveArc(const TCustomArc& F, DXF_Layer& Layer) {
    if (F.FPen.Style == psClear) return;
    const TDxfPlace place(F);
    for (const TWorkDbxbx& e : F.FPWLine)
      if (e.lx == blArc && e.bj > 0) PutArc(Layer, place, e.yx, e.bj, e.qd, e.zd, e.Direction == 1, F.FPen.Color);
  }

  // A label sized to its text is one TEXT standing where its box starts,
  // so that it reads back as the same label. Labels wrapped in a box of
  // their own size are written as painted, line by line.
  void SaveText(const TCustomXLabel& F, DXF_Layer& Layer) {
    const TDxfPlace place(F);
    const double s = F.GetScale(), size = std::abs(F.FFont->FHeight);
    if (F.FPen.Style != psClear) {
      const TFrameRect box{F, F.FYd, F.FWidth, F.FHeight, F.FXzJd};
      auto frame = std::make_unique<Polyline_>();
      frame->closed = true;
      for (int i = 0; i < 4; ++i) {
        const Tpt c = box.Corner(i);
        frame->vertices.push_back(place.Pt(c.x, c.y));
        frame->bulges.push_back(0);
      }
      Put(Layer, std::move(frame), F.FPen.Color);
    }
    if (F.FText.empty() || size == 0) return;
    // The painting keeps the box's far edge where it is when the font changes.
    const Tpt at = Add(F.FYd, Rot({0, s * (F.FHeight - size)}, F.FXzJd));
    auto t = std::make_unique<Text_>();
    t->p1 = place.Pt(at.x, at.y);
    t->h = DxfTextHeight(place.Len(s * size));
    t->textstr = F.FText;
    t->xzjd = F.FXzJd + place.Angle();
    Put(Layer, std::move(t), F.FFont->FColor);
  }

  // The members of every layer of a block or child drawing, into the same DXF layer.
  void SaveFigureSet(TCustomFigureSet& S, DXF_Layer& Layer) {
    for (int l = 0; l < S.LayerCount(); ++l) {
      TTxCollectFigure* list = S.LayerList(l);
      for (int i = list ? list->Count() - 1 : -1; i >= 0; --i) SaveFigure(*list->Figures(i), Layer);
    }
  }

  // What the figure paints, caught as entities. Arrow heads, symbol
  // spacings and ticks are sized in screen pixels: painted at zoom 1 they
  // show as on the sheet (at the export's fine scale a telecom line would be
  // thousands of specks), to within half a unit.
  void SavePainted(TCustomFigure& F, DXF_Layer& Layer) {
    struct TZoomOne {
      TTxFigureSet& Root;
      double Keep;
      explicit TZoomOne(TTxFigureSet& R) : Root(R), Keep(R.FPrintScale) { Root.FPrintScale = 1; }
      ~TZoomOne() { Root.FPrintScale = Keep; }
    } zoom(FRoot);
    const double s = FRoot.GetScale();
    const Tpt o{FRoot.FAbsx + FRoot.FYd.x, FRoot.FAbsy + FRoot.FYd.y};
    TDxfCanvas canvas(Layer, [s, o](double x, double y) { return Point3D{x / s - o.x, y / s - o.y, 0}; }, 1 / s);
    TShowPlace place;
    place.cvs = &canvas;
    place.Factor = s / FRoot.FScale;
    // Figures draw their own dashes, in screen units: written so they would be
    // thousands of specks. The line is written whole instead.
    const TPenStyle style = F.FPen.Style;
    if (style == psDash || style == psDot || style == psDashDot || style == psDashDotDot) F.FPen.Style = psSolid;
    F.Draw(place);
    F.FPen.Style = style;
  }

  static bool Unwritable(const TCustomFigure& F) {
    return dynamic_cast<const TCustomTxPicture*>(&F) || dynamic_cast<const TCustomOle*>(&F) ||
           InheritsNamed(F, "TCustomComboFigure") || InheritsNamed(F, "TComboFigure");
  }

private:
  TTxFigureSet& FRoot;
};

// Painting at the drawing view's zoom rounds to whole screen pixels: the
// export paints at a scale fine enough for the drawing's size instead.
class TExportScale {
public:
  explicit TExportScale(TTxFigureSet& Root) : FRoot(Root), FState(Root.FViewState), FPrint(Root.FPrintScale) {
    TRect r;
    const double s = Root.GetScale();
    Root.CalcPositionRect(r);
    double extent = 1;
    for (double v : {double(r.Left), double(r.Right), double(r.Top), double(r.Bottom)})
      extent = std::max(extent, std::abs(v) / s);
    extent = std::max({extent, std::abs(Root.FWidth), std::abs(Root.FHeight), std::abs(Root.FYd.x), std::abs(Root.FYd.y)});
    Root.FPrintScale = std::clamp(1e8 / extent, 1.0, 1000.0);
    Root.FViewState = vsPrint;
  }
  ~TExportScale() {
    FRoot.FViewState = FState;
    FRoot.FPrintScale = FPrint;
  }

private:
  TTxFigureSet& FRoot;
  TViewState FState;
  double FPrint;
};

void CountUnwritable(const TCustomFigureSet& S, std::map<std::string, int>& Out) {
  for (int l = 0; l < S.LayerCount(); ++l) {
    const TTxCollectFigure* list = S.LayerList(l);
    for (int i = 0; list && i < list->Count(); ++i) {
      const TCustomFigure& f = *list->Figures(i);
      if (TDxfSaver::Unwritable(f)) ++Out[f.FClassNameDescription.empty() ? f.ClassType().Name : f.FClassNameDescription];
      else if (auto* s = dynamic_cast<const TFramedFigureSet*>(&f)) CountUnwritable(*s, Out);
    }
  }
}

}  // namespace

TDxfPlace::TDxfPlace(const TCustomFigure& Figure) : FFigure(Figure) {
  if (const TTxFigureSet* root = RootOf(Figure); root && &Figure != root) {
    FScale = root->GetScale();
    FOx = root->FAbsx + root->FYd.x;
    FOy = root->FAbsy + root->FYd.y;
  }
  FAngle = Figure.GetAbsParentXzjd();
}

Point3D TDxfPlace::Pt(double X, double Y) const {
  const Tpt l = FFigure.xyTransLogPt(X, Y);
  return {l.x / FScale - FOx, l.y / FScale - FOy, 0};
}

double TDxfPlace::Len(double V) const { return FFigure.TransLogV(V) / FScale; }

void SaveToDxf(const TCustomPenLine& Line, DXF_Layer& Layer) {
  const TDxfPlace place(Line);
  const COLORREF colour = Line.FPen.Color;
  for (std::size_t i = 1; i < Line.FPoints.size(); ++i) PutLine(Layer, place, Line.FPoints[i - 1], Line.FPoints[i], colour);
  if (!Line.FXLine) return;
  // The slanted strokes by the painting's rule, all of them.
  const double s = Line.GetScale(), g = s * Line.FGap;
  if (!(g > 0) || !std::isfinite(g)) return;
  double rest = 0;
  std::int64_t before = 0;
  for (std::size_t i = 1; i < Line.FPoints.size(); ++i) {
    const Tpt a = Line.FPoints[i - 1], b = Line.FPoints[i];
    const double len = Dist(a, b);
    const double nn = std::floor((rest + len) / g);
    // As many as the sheet could show: the same bound the painting keeps.
    const std::int64_t n = nn > 0 && nn < 1e6 ? std::int64_t(nn) : 0;
    if (n > 0 && len > 0) {
      const double phi = ppjd(a, b);
      for (std::int64_t k = 1; k <= n; ++k) {
        const Tpt base = ttod((double(k) * g - rest) / len, pptobx(a, b));
        const bool first = (before + k - 1) % 2 == 0;
        const double l = s * (first ? Line.FLength1 : Line.FLength2);
        PutLine(Layer, place, base, {base.x + l * std::cos(phi + Line.FJd), base.y + l * std::sin(phi + Line.FJd)}, colour);
      }
    }
    before += n;
    rest = rest + len - double(n) * g;
  }
}

void SaveToDxf(const TCustomTadiao& Crane, DXF_Layer& Layer) {
  const TDxfPlace place(Crane);
  const COLORREF colour = Crane.FPen.Color;
  const double R = Crane.Radius();
  const Tpt O = Crane.FYd, T = Crane.RadiusTip();
  std::string text = Crane.FText;
  if (Crane.FAutoCalText) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%1.3f", Crane.TransUserV(R));
    text = buf;
  }
  // The label's room is measured as the painting measures it.
  TBitmap bitmap(1, 1);
  const std::unique_ptr<TCanvas> cv = CreateBitmapCanvas(bitmap);
  cv->SelectFont(LabelFont(Crane, *cv, *Crane.FFont, Crane.FJd));
  const double h = text.empty() ? 0 : Crane.TransAbsV(cv->GetTextExtentPoint(text).cx) / 2;
  if (text.empty() || !(R > 0) || h > (1 - Crane.FPos) * R || h > Crane.FPos * R) {
    PutLine(Layer, place, O, T, colour);
  } else {
    const double c = Crane.TransAbsV(cv->GetTextExtentPoint("W").cy);
    const TBx line = pptobx(O, T);
    const Tpt P1 = ttod(Crane.FPos - h / R, line);
    const double off = Crane.FTextAlign == 0 ? c : Crane.FTextAlign == 1 ? c / 2 : 0;
    const double a = DegToRad(Crane.FJd) + Pi / 2;
    // Painted by its top-left corner; DXF wants the baseline, about 0.8 of a line lower.
    const double down = off - 0.8 * c;
    auto t = std::make_unique<Text_>();
    t->p1 = place.Pt(P1.x + down * std::cos(a), P1.y + down * std::sin(a));
    t->textstr = text;
    t->h = place.Len(Crane.GetScale() * std::abs(double(Crane.FFont->FHeight)) * 0.7);
    t->xzjd = Crane.FJd + place.Angle();
    Put(Layer, std::move(t), Crane.FFont->FColor);
    if (Crane.FTextAlign == 1) {
      PutLine(Layer, place, O, P1, colour);
      PutLine(Layer, place, ttod(Crane.FPos + h / R, line), T, colour);
    } else {
      PutLine(Layer, place, O, T, colour);
    }
  }
  const double L = 10 / Crane.GetAbsParentScale();
  const double ja = DegToRad(Crane.FJd), spread = DegToRad(7);
  const Tpt a1 = Sub(T, Dir(ja - spread), L), a2 = Sub(T, Dir(ja + spread), L);
  PutLine(Layer, place, T, a1, colour);
  PutLine(Layer, place, a1, a2, colour);
  PutLine(Layer, place, a2, T, colour);
  const auto m = Crane.MastCorners();
  for (int i = 0; i < 4; ++i) PutLine(Layer, place, m[std::size_t(i)], m[std::size_t((i + 1) % 4)], colour);
  PutLine(Layer, place, m[0], m[2], colour);
  PutLine(Layer, place, m[1], m[3], colour);
  const auto b = Crane.BlockCorners();
  const TBx inner = pptobx(b[0], b[1]);
  PutLine(Layer, place, Crane.JibTip(), ttod(1.0 / 3, inner), colour);
  PutLine(Layer, place, Crane.JibTip(), ttod(2.0 / 3, inner), colour);
  for (int i = 0; i < 4; ++i) PutLine(Layer, place, b[std::size_t(i)], b[std::size_t((i + 1) % 4)], colour);
  for (const TWorkDbxbx& e : Crane.FPWLine)
    if (e.lx == blArc && e.bj > 0) PutArc(Layer, place, e.yx, e.bj, e.qd, e.zd, e.Direction == 1, colour);
}

std::vector<std::pair<std::string, int>> DxfUnwritableFigures(const TTxFigureSet& Root) {
  std::map<std::string, int> counts;
  CountUnwritable(Root, counts);
  return {counts.begin(), counts.end()};
}

DXF_Object BuildDxfObject(TTxFigureSet& Root, const TDxfProgress& Progress) {
  DXF_Object out;
  TDxfSaver saver(Root);
  const TExportScale scale(Root);
  std::set<std::string> used;
  std::size_t total = 0, done = 0;
  for (int l = 0; l < Root.LayerCount(); ++l) total += std::size_t(Root.LayerList(l)->Count());
  for (int l = 0; l < Root.LayerCount(); ++l) {
    const std::string& entry = Root.FLayers[std::size_t(l)].Entry;
    std::string name = DxfLayerName(LayerName(entry));
    // Names that became equal once cleaned are told apart.
    const std::string base = name;
    for (int k = 2; used.count(DxfLayerName(name)) || used.count([&] {
           std::string u = name;
           for (char& c : u) c = char(std::toupper(static_cast<unsigned char>(c)));
           return u;
         }());
         ++k)
      name = base + "_" + std::to_string(k);
    std::string upper = name;
    for (char& c : upper) c = char(std::toupper(static_cast<unsigned char>(c)));
    used.insert(upper);
    auto layer = std::make_unique<DXF_Layer>(name, 7);
    layer->layer_off = LayerFlag(entry) == lfHidden;
    TTxCollectFigure& list = *Root.LayerList(l);
    // Painting order: the last figure lies at the bottom.
    for (int i = list.Count() - 1; i >= 0; --i) {
      saver.SaveFigure(*list.Figures(i), *layer);
      if (Progress && ++done % 256 == 0) Progress(double(done) / double(std::max<std::size_t>(total, 1)));
    }
    out.layers.push_back(std::move(layer));
  }
  return out;
}

void SaveToDxfFile(TTxFigureSet& Root, const std::string& FileName, const TDxfProgress& Progress) {
  const DXF_Object object = BuildDxfObject(Root, Progress);
  object.save_to_file(FileName);
}
