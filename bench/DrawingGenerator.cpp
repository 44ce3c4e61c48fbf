#include "DrawingGenerator.h"

#include "docview/FiguresDoc.h"
#include "docview/ImageLibrary.h"
#include "figures/Arcs.h"
#include "figures/Bezier.h"
#include "figures/Blocks.h"
#include "figures/ComboFigure.h"
#include "figures/LineFigures.h"
#include "figures/MltLine.h"
#include "figures/PenLine.h"
#include "figures/Pictures.h"
#include "figures/RoundShapes.h"
#include "figures/RouteLines.h"
#include "figures/Texts.h"
#include "figures/TowerCrane.h"
#include "figures/WdbxShapes.h"
#include "platform/Graphic.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>
#include <vector>

namespace {

// Our own generator and arithmetic: library distributions differ between
// standard libraries, and the drawing must not.
class TRandom {
public:
  explicit TRandom(std::uint32_t Seed) : FState(Seed * 2654435761u + 12345u) {}
  std::uint32_t Next() {
    FState ^= FState << 13;
    FState ^= FState >> 17;
    FState ^= FState << 5;
    return FState;
  }
  // Uniform in [0, 1).
  double Unit() { return double(Next() >> 8) / double(1u << 24); }
  double Range(double Lo, double Hi) { return Lo + (Hi - Lo) * Unit(); }
  int Int(int N) { return int(Next() % std::uint32_t(N)); }
  template <class T, std::size_t N>
  const T& Pick(const T (&Items)[N]) { return Items[Int(int(N))]; }

private:
  std::uint32_t FState;
};

constexpr int kLayers = 4;  // buildings, edges, annotations, site services
constexpr double kPi = std::numbers::pi;

template <typename T>
T* Append(TTxFigureSet& Root, int Layer, std::unique_ptr<T> Figure) {
  T* raw = Figure.get();
  raw->FParent = &Root;
  raw->SetDocument(Root.FDocument);
  Root.LayerList(Layer)->Add(std::move(Figure));
  return raw;
}

Tpt Clamp(Tpt P, double W, double H) { return {std::clamp(P.x, 1.0, W - 1), std::clamp(P.y, 1.0, H - 1)}; }

void AddVertex(TTxCollectBxdy& List, Tpt P) { static_cast<TTxPolygonBxdy*>(List.AddObject())->FDwd = P; }

const char* const kBuildingNames[] = {"1#楼", "2#楼", "办公室", "钢筋加工场", "木工棚", "仓库", "材料堆场",
                                      "宿舍", "食堂", "配电房", "门卫", "搅拌站"};
const char* const kRouteNames[] = {"施工道路", "围墙", "临时水管", "临时电缆", "排水沟"};

// Outlines of buildings are filled, hatched or left open, about a third each.
void BuildingBrush(TCustomFigure& F, TRandom& R) {
  static const TBrushStyle kHatches[] = {bsFDiagonal, bsBDiagonal, bsCross, bsDiagCross, bsHorizontal};
  static const COLORREF kFills[] = {0xE0F0FF, 0xD0E8D0, 0xF0E0C0, 0xE8E8E8};
  switch (R.Int(3)) {
    case 0: F.FBrush = TBrush{R.Pick(kFills), bsSolid}; break;
    case 1: F.FBrush = TBrush{0x606060, R.Pick(kHatches)}; break;
    default: F.FBrush.Style = bsClear; break;
  }
}

// The bundled block library, read once; empty when it cannot be found.
const std::vector<const TTxBlock*>& StarterBlocks() {
  static TImageProject project;
  static const std::vector<const TTxBlock*> blocks = [] {
    std::vector<std::string> paths;
#ifdef PLANDECK_STARTER_LIBRARY
    paths.push_back(PLANDECK_STARTER_LIBRARY);
#endif
    for (const std::string& f : LegendFolders()) paths.push_back(f + "/场地图例.tkk");
    RegisterImageLibraryClasses();  // the library's own root and documents
    std::vector<const TTxBlock*> out;
    for (const std::string& p : paths) {
      std::string error;
      if (!ReadImageLibrary(p, project, error)) continue;
      TImageDocument& doc = project.FirstDocument();
      for (int i = 0; i < doc.Count(); ++i)
        if (auto* b = dynamic_cast<const TTxBlock*>(doc.Items(i))) out.push_back(b);
      if (!out.empty()) break;
    }
    return out;
  }();
  return blocks;
}

class TGenerator {
public:
  TGenerator(TTxFigureSet& Root, std::uint32_t Seed, double W, double H) : FRoot(Root), FRnd(Seed), FW(W), FH(H) {}

  Tpt Anywhere(double Margin) { return {FRnd.Range(Margin, FW - Margin), FRnd.Range(Margin, FH - Margin)}; }
  Tpt In(Tpt P) const { return Clamp(P, FW, FH); }

  void Walls(int Count);
  void Outlines(int Count);
  void Rounds(int Count);
  void Edges(int Count);
  void Arcs(int Count);
  void ArrowDimensions(int Count);
  void LeaderDimensions(int Count);
  void Texts(int Count);
  void Cranes(int Count);
  void Blocks(int Count);
  void Combos(int Count);
  void Pictures(int Count);
  void Paths(int Count);
  void Leaders(int Count);
  int Made() const { return FMade; }

private:
  TTxFigureSet& FRoot;
  TRandom FRnd;
  double FW, FH;
  int FMade = 0;
};

// Layer 0: buildings, clusters of rooms drawn as four wall lines each.
void TGenerator::Walls(int Count) {
  for (int made = 0; made < Count;) {
    const Tpt c = Anywhere(40);
    const int rooms = 2 + FRnd.Int(10);
    for (int r = 0; r < rooms && made < Count; ++r) {
      const Tpt o{c.x + FRnd.Range(-30, 30), c.y + FRnd.Range(-30, 30)};
      const double w = FRnd.Range(4, 24), h = FRnd.Range(4, 18);
      const Tpt q[4] = {o, {o.x + w, o.y}, {o.x + w, o.y + h}, {o.x, o.y + h}};
      for (int e = 0; e < 4 && made < Count; ++e, ++made) {
        auto line = std::make_unique<TTxLine>();
        line->FQd = In(q[e]);
        line->FZd = In(q[(e + 1) % 4]);
        line->FZdArrow = false;
        line->FPen.Width = FRnd.Int(4) == 0 ? 2 : 1;
        Append(FRoot, 0, std::move(line));
      }
    }
  }
  FMade += Count;
}

// Layer 0: building outlines as polygons (an arc edge now and then),
// rectangles, some turned, and regular polygons; filled, hatched or open.
void TGenerator::Outlines(int Count) {
  for (int i = 0; i < Count; ++i) {
    const Tpt c = Anywhere(40);
    const int kind = FRnd.Int(10);
    TCustomFigure* f = nullptr;
    if (kind < 5) {
      auto* p = Append(FRoot, 0, std::make_unique<TTxPolygon>());
      const int n = 4 + FRnd.Int(3);
      for (int k = 0; k < n; ++k) {
        const double a = 2 * kPi * k / n + FRnd.Range(-0.2, 0.2), r = FRnd.Range(8, 22);
        AddVertex(*p->FDDList, In({c.x + r * std::cos(a), c.y + r * std::sin(a)}));
      }
      if (FRnd.Int(5) == 0) {
        p->Vertex(0).FLx = blArc;
        p->Vertex(0).FBj = 30;
      }
      f = p;
    } else if (kind < 9) {
      auto* r = Append(FRoot, 0, std::make_unique<TTxFRectangle>());
      r->FYd = c;
      r->FWidth = FRnd.Range(10, 40);
      r->FHeight = FRnd.Range(8, 24);
      if (FRnd.Int(3) == 0) r->FXzJd = FRnd.Range(-30, 30);
      f = r;
    } else {
      auto* z = Append(FRoot, 0, std::make_unique<TTxZPolygon>());
      z->FYd = c;
      z->FLineCount = 5 + FRnd.Int(4);
      z->FBj = FRnd.Range(6, 14);
      f = z;
    }
    BuildingBrush(*f, FRnd);
    f->Modified();
  }
  FMade += Count;
}

// Layer 0: tanks, trees and pads: circles, ellipses and rounded rectangles.
void TGenerator::Rounds(int Count) {
  for (int i = 0; i < Count; ++i) {
    const Tpt c = Anywhere(20);
    TCustomFigure* f = nullptr;
    switch (FRnd.Int(3)) {
      case 0: {
        auto* e = Append(FRoot, 0, std::make_unique<TTxCircle>());
        e->FYx = c;
        e->FBj = FRnd.Range(2, 10);
        f = e;
        break;
      }
      case 1: {
        auto* e = Append(FRoot, 0, std::make_unique<TTxEllipse>());
        e->FYx = c;
        e->FHzbj = FRnd.Range(4, 14);
        e->FVzbj = FRnd.Range(3, 9);
        f = e;
        break;
      }
      default: {
        auto* r = Append(FRoot, 0, std::make_unique<TTxRoundRect>());
        r->FYd = c;
        r->FWidth = FRnd.Range(10, 30);
        r->FHeight = FRnd.Range(8, 20);
        r->FHzbj = r->FVzbj = 3;
        f = r;
        break;
      }
    }
    if (FRnd.Int(2) == 0) f->FBrush = TBrush{0x80C080, bsSolid};
    f->Modified();
  }
  FMade += Count;
}

// Layer 1: site edges, long straight runs and a few bent ones, with strokes.
void TGenerator::Edges(int Count) {
  for (int i = 0; i < Count; ++i) {
    auto e = std::make_unique<TConstructionLine>();
    e->FPen.Color = 0x0000A0;
    const Tpt a = Anywhere(10);
    if (FRnd.Int(5) == 0) {
      const double r = FRnd.Range(20, 120), a0 = FRnd.Range(0, 2 * kPi);
      const double sweep = FRnd.Range(0.3, 2.0);
      e->FYx = a;
      e->FBj = r;
      e->FLx = blArc;
      e->FDirection = 1;
      e->FQd = In({a.x + r * std::cos(a0), a.y + r * std::sin(a0)});
      e->FZd = In({a.x + r * std::cos(a0 + sweep), a.y + r * std::sin(a0 + sweep)});
    } else {
      const double len = FRnd.Range(60, 400), ang = FRnd.Int(4) * kPi / 2 + FRnd.Range(-0.05, 0.05);
      e->FQd = a;
      e->FZd = In({a.x + len * std::cos(ang), a.y + len * std::sin(ang)});
    }
    e->FGap = FRnd.Range(6, 14);
    e->FLength1 = 8;
    e->FLength2 = 4;
    Append(FRoot, 1, std::move(e))->Modified();
  }
  FMade += Count;
}

// Layer 1: arcs (kerbs, swing of gates), segments, sectors and bar shapes.
void TGenerator::Arcs(int Count) {
  for (int i = 0; i < Count; ++i) {
    const Tpt c = Anywhere(30);
    const double r = FRnd.Range(5, 30), q = FRnd.Range(0, 2 * kPi), z = q + FRnd.Range(0.5, 3.0);
    TCustomFigure* f = nullptr;
    const int kind = FRnd.Int(8);
    if (kind < 4) {
      auto* a = Append(FRoot, 1, std::make_unique<TTxArc>());
      a->FYx = c;
      a->FBj = r;
      a->FQj = q;
      a->FZj = z;
      f = a;
    } else if (kind < 6) {
      TArcWdbxFigure* a = kind == 4 ? static_cast<TArcWdbxFigure*>(Append(FRoot, 1, std::make_unique<TTxChord>()))
                                    : Append(FRoot, 1, std::make_unique<TTxCirpart>());
      a->FYx = c;
      a->FBj = r;
      a->FQj = q;
      a->FZj = z;
      a->FDirection = 1;
      if (FRnd.Int(2) == 0) a->FBrush = TBrush{0xC0C0F0, bsSolid};
      f = a;
    } else {
      auto* b = Append(FRoot, 1, std::make_unique<TTxRectArc>());
      b->FQd = c;
      b->FZd = In({c.x + FRnd.Range(20, 80), c.y + FRnd.Range(-10, 10)});
      b->FWidth = FRnd.Range(2, 6);
      f = b;
    }
    f->Modified();
  }
  FMade += Count;
}

// Layer 2: dimension lines of one to three segments with measured texts.
void TGenerator::ArrowDimensions(int Count) {
  for (int i = 0; i < Count; ++i) {
    TArrowLine* raw = Append(FRoot, 2, std::make_unique<TArrowLine>());
    const Tpt a{FRnd.Range(20, FW - 80), FRnd.Range(20, FH - 20)};
    const bool horizontal = FRnd.Int(2) == 0;
    const double len = FRnd.Range(30, 160);
    raw->FQd = a;
    raw->FZd = In(horizontal ? Tpt{a.x + len, a.y} : Tpt{a.x, a.y + len});
    raw->FXzJd = horizontal ? 0 : 90;
    raw->FFont->FHeight = 8;
    const int segments = 1 + FRnd.Int(3);
    for (int s = 0; s < segments; ++s) {
      TBzLineData seg;
      raw->InitLineData(seg);
      seg.Qd = double(s) / segments;
      seg.Zd = s + 1 == segments ? 1.0 : double(s + 1) / segments;
      seg.TextAlign = FRnd.Int(3);
      raw->FBzLines.push_back(seg);
    }
    raw->Modified();
  }
  FMade += Count;
}

// Layer 2: leader dimensions, two or three points and an underlined text.
void TGenerator::LeaderDimensions(int Count) {
  for (int i = 0; i < Count; ++i) {
    auto* d = Append(FRoot, 2, std::make_unique<TDimension>());
    const Tpt a = Anywhere(30);
    std::vector<Tpt> pts{a, In({a.x + FRnd.Range(5, 20), a.y + FRnd.Range(5, 20)})};
    if (FRnd.Int(2) == 0) pts.push_back(In({pts[1].x + 10, pts[1].y}));
    d->SetPoints(pts);
    d->FText = std::to_string(100 + FRnd.Int(9900));
    d->FFont->FHeight = 6;
    d->Modified();
  }
  FMade += Count;
}

// Layer 2: names of buildings and roads: labels, framed labels, notes and
// texts along lines.
void TGenerator::Texts(int Count) {
  for (int i = 0; i < Count; ++i) {
    const Tpt a = Anywhere(30);
    const int kind = FRnd.Int(20);
    TCustomFigure* f = nullptr;
    if (kind < 11) {
      auto* t = Append(FRoot, 2, std::make_unique<TTxEdit>());
      t->FYd = a;
      t->FText = FRnd.Pick(kBuildingNames);
      t->FFont->FHeight = FRnd.Range(5, 9);
      t->FWidth = 6 * t->FFont->FHeight;
      t->FHeight = 1.5 * t->FFont->FHeight;
      t->FAutoSize = FRnd.Int(2) == 0;
      f = t;
    } else if (kind < 16) {
      auto* t = Append(FRoot, 2, std::make_unique<TTxXLabel>());
      t->FYd = a;
      t->FText = FRnd.Pick(kBuildingNames);
      t->FFont->FHeight = 6;
      t->FWidth = 40;
      t->FHeight = 10;
      t->FFrame = std::uint8_t(FRnd.Int(2));
      if (FRnd.Int(4) == 0) t->FXzJd = 90;
      f = t;
    } else if (kind < 17) {
      auto* t = Append(FRoot, 2, std::make_unique<TTxMemo>());
      t->FYd = a;
      t->FLines = {"施工说明", "1. 道路宽 6 米", "2. 围墙高 2.5 米"};
      t->FFont->FHeight = 5;
      t->FWidth = 60;
      t->FHeight = 24;
      f = t;
    } else {
      auto* t = Append(FRoot, 2, std::make_unique<TTxTextLine>());
      for (int k = 0; k < 4; ++k) AddVertex(t->DDList(), In({a.x + 25.0 * k, a.y + FRnd.Range(-8, 8)}));
      t->FText = FRnd.Pick(kRouteNames);
      t->FFont->FHeight = 5;
      t->FGap = 30;
      f = t;
    }
    f->Modified();
  }
  FMade += Count;
}

// Layer 3: tower cranes with their working radius.
void TGenerator::Cranes(int Count) {
  for (int i = 0; i < Count; ++i) {
    auto crane = std::make_unique<TTxTadiao>();
    crane->FYd = Anywhere(100);
    crane->FBj = FRnd.Range(60, 100);
    crane->FJdEx = FRnd.Range(0, 360);
    crane->FJd = FRnd.Range(0, 360);
    Append(FRoot, 3, std::move(crane))->Modified();
  }
  FMade += Count;
}

// Layer 3: symbols of the bundled block library (gates, offices, hydrants...).
void TGenerator::Blocks(int Count) {
  const std::vector<const TTxBlock*>& library = StarterBlocks();
  if (library.empty()) return;
  for (int i = 0; i < Count; ++i) {
    std::unique_ptr<TDocItem> copy = library[std::size_t(FRnd.Int(int(library.size())))]->Clone();
    auto* b = static_cast<TTxBlock*>(copy.release());
    std::unique_ptr<TTxBlock> owned(b);
    owned->FYd = Anywhere(40);
    if (FRnd.Int(4) == 0) owned->FXzJd = FRnd.Int(4) * 90;
    Append(FRoot, 3, std::move(owned))->Modified();
  }
  FMade += Count;
}

// Layer 0: parcels combined from closed figures (a yard less its building,
// two overlapping pads).
void TGenerator::Combos(int Count) {
  for (int i = 0; i < Count; ++i) {
    auto c = std::make_unique<TComboFigure>();
    const double w = FRnd.Range(30, 60), h = FRnd.Range(20, 40);
    c->InitialParas(w, h);
    c->FStyle = FRnd.Int(2) == 0 ? csSubtract : csUnion;
    c->FBrush = TBrush{0xB0D0F0, bsSolid};
    auto outer = std::make_unique<TTxFRectangle>();
    outer->FWidth = w * 0.7;
    outer->FHeight = h * 0.7;
    auto inner = std::make_unique<TTxCircle>();
    inner->FYx = {w * 0.6, h * 0.6};
    inner->FBj = std::min(w, h) * 0.3;
    c->InsertFigure(std::move(inner));
    c->InsertFigure(std::move(outer));
    c->FYd = Anywhere(70);
    Append(FRoot, 0, std::move(c))->Modified();
  }
  FMade += Count;
}

// Layer 3: a few small pictures (photographs of the site, logos).
void TGenerator::Pictures(int Count) {
  for (int i = 0; i < Count; ++i) {
    TBitmap bitmap(16, 12, 0x80A0C0);
    for (int y = 0; y < 12; ++y)
      for (int x = 0; x < 16; ++x)
        if ((x + y + i) % 5 == 0) bitmap.SetPixel(x, y, 0x204060);
    auto picture = std::make_unique<TPicture>();
    picture->LoadFromBitmap(bitmap);
    auto* p = Append(FRoot, 3, std::make_unique<TTxPicture>());
    p->SetPicture(std::move(picture));
    p->FYd = Anywhere(50);
    p->FWidth = FRnd.Range(20, 40);
    p->FHeight = FRnd.Range(15, 30);
    p->Modified();
  }
  FMade += Count;
}

// Layer 3: site paths: multi-segment lines with an arc, freehand lines with
// strokes, splines, and the route lines with their symbols.
void TGenerator::Paths(int Count) {
  for (int i = 0; i < Count; ++i) {
    const Tpt a = Anywhere(40);
    auto at = [&](int k) { return In({a.x + 12.0 * k, a.y + FRnd.Range(-15, 15)}); };
    auto route = [&](auto Line, double Gap) {
      auto* r = Append(FRoot, 3, std::move(Line));
      for (int k = 0; k < 4; ++k) AddVertex(r->DDList(), at(k));
      r->FGap = Gap;
      return r;
    };
    switch (FRnd.Int(7)) {
      case 0: {
        auto* m = Append(FRoot, 3, std::make_unique<TTxMltLine>());
        for (int k = 0; k < 4; ++k) AddVertex(m->DDList(), at(k));
        m->Vertex(1).FLx = blArc;
        m->Vertex(1).FBj = 20;
        m->Modified();
        break;
      }
      case 1: {
        auto* p = Append(FRoot, 3, std::make_unique<TPenLine>());
        for (int k = 0; k < 8; ++k) p->FPoints.push_back(at(k));
        p->FXLine = true;
        p->Modified();
        break;
      }
      case 3: route(std::make_unique<TDoubleLine>(), 4)->Modified(); break;
      case 4: route(std::make_unique<TDxLine>(), 15)->Modified(); break;
      case 5: route(std::make_unique<TDLine>(), 24)->Modified(); break;
      case 6: {
        auto* t = route(std::make_unique<TTrailLine>(), 8);
        t->FWidth = 2;
        t->Modified();
        break;
      }
      default: {
        auto* b = Append(FRoot, 3, std::make_unique<TBezier>());
        for (int k = 0; k < 5; ++k) b->FPoints.push_back(ptodp(at(k)));
        b->Modified();
        break;
      }
    }
  }
  FMade += Count;
}

// Layer 3: leader arrows pointing at things.
void TGenerator::Leaders(int Count) {
  for (int i = 0; i < Count; ++i) {
    auto line = std::make_unique<TTxLine>();
    const Tpt a = Anywhere(5);
    const double len = FRnd.Range(15, 60), ang = FRnd.Range(0, 2 * kPi);
    line->FQd = a;
    line->FZd = In({a.x + len * std::cos(ang), a.y + len * std::sin(ang)});
    line->FPen.Color = 0xA00000;
    line->FQdArrow = FRnd.Int(3) == 0;
    Append(FRoot, 3, std::move(line));
  }
  FMade += Count;
}

}  // namespace

TGeneratedDrawing GenerateDrawing(TFiguresDoc& Doc, int Figures, std::uint32_t Seed) {
  TTxFigureSet& root = *Doc.FFigures;
  // About 10,000 figures per 1600 x 900 units keeps the density of a busy plan.
  const double k = std::sqrt(std::max(1, Figures) / 10000.0);
  const double W = std::round(1600 * k), H = std::round(900 * k);
  root.FWidth = W;
  root.FHeight = H;
  root.FScale = std::min(1920.0 / W, 1080.0 / H);
  while (root.LayerCount() < kLayers) {
    std::string name;
    root.AddLayer(name);
  }
  root.SetCurLayer(0);

  TGenerator g(root, Seed, W, H);
  const auto share = [&](double Share) { return int(Figures * Share); };
  // The shares of a busy site plan; the leader arrows take what is left.
  g.Walls(share(0.58));
  g.Outlines(share(0.06));
  g.Rounds(share(0.02));
  g.Combos(Figures / 2000);
  g.Edges(share(0.04));
  g.Arcs(share(0.03));
  g.ArrowDimensions(share(0.08));
  g.LeaderDimensions(share(0.02));
  g.Texts(share(0.06));
  g.Cranes(Figures / 2000);
  g.Blocks(share(0.03));
  g.Pictures(Figures / 5000);
  g.Paths(share(0.04));
  g.Leaders(std::max(0, Figures - g.Made()));

  TGeneratedDrawing out;
  out.PageWidth = W;
  out.PageHeight = H;
  out.Figures = g.Made();
  return out;
}

std::unique_ptr<TTxProjectFile> GenerateDrawingFile(int Figures, std::uint32_t Seed) {
  auto file = std::make_unique<TTxProjectFile>();
  auto* doc = static_cast<TFiguresDoc*>(file->FTxProject->FTxSpaces->AddObject());
  GenerateDrawing(*doc, Figures, Seed);
  return file;
}
