#include "DrawingGenerator.h"

#include "docview/FiguresDoc.h"
#include "figures/Bezier.h"
#include "figures/LineFigures.h"
#include "figures/MltLine.h"
#include "figures/RouteLines.h"
#include "figures/PenLine.h"
#include "figures/TowerCrane.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>

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

private:
  std::uint32_t FState;
};

constexpr int kLayers = 4;  // buildings, edges, dimensions, leaders

template <typename T>
T* Append(TTxFigureSet& Root, int Layer, std::unique_ptr<T> Figure) {
  T* raw = Figure.get();
  raw->FParent = &Root;
  raw->SetDocument(Root.FDocument);
  Root.LayerList(Layer)->Add(std::move(Figure));
  return raw;
}

Tpt Clamp(Tpt P, double W, double H) { return {std::clamp(P.x, 1.0, W - 1), std::clamp(P.y, 1.0, H - 1)}; }

}  // namespace

TGeneratedDrawing GenerateDrawing(TFiguresDoc& Doc, int Figures, std::uint32_t Seed) {
  TRandom rnd(Seed);
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

  TGeneratedDrawing out;
  out.PageWidth = W;
  out.PageHeight = H;
  int made = 0;
  const auto target = [&](double Share) { return int(Figures * Share); };

  // Layer 0: buildings, clusters of rectangles and partition walls.
  const int buildings = target(0.80);
  while (made < buildings) {
    const Tpt c{rnd.Range(40, W - 40), rnd.Range(40, H - 40)};
    const int rooms = 2 + rnd.Int(10);
    for (int r = 0; r < rooms && made < buildings; ++r) {
      const Tpt o{c.x + rnd.Range(-30, 30), c.y + rnd.Range(-30, 30)};
      const double w = rnd.Range(4, 24), h = rnd.Range(4, 18);
      const Tpt q[4] = {o, {o.x + w, o.y}, {o.x + w, o.y + h}, {o.x, o.y + h}};
      for (int e = 0; e < 4 && made < buildings; ++e, ++made) {
        auto line = std::make_unique<TTxLine>();
        line->FQd = Clamp(q[e], W, H);
        line->FZd = Clamp(q[(e + 1) % 4], W, H);
        line->FZdArrow = false;
        line->FPen.Width = rnd.Int(4) == 0 ? 2 : 1;
        Append(root, 0, std::move(line));
      }
    }
  }

  // Layer 1: site edges, long straight runs and a few arcs, with strokes.
  const int edges = buildings + target(0.05);
  while (made < edges) {
    auto e = std::make_unique<TConstructionLine>();
    e->FPen.Color = 0x0000A0;
    const Tpt a{rnd.Range(10, W - 10), rnd.Range(10, H - 10)};
    if (rnd.Int(5) == 0) {
      const double r = rnd.Range(20, 120), a0 = rnd.Range(0, 2 * std::numbers::pi);
      const double sweep = rnd.Range(0.3, 2.0);
      e->FYx = a;
      e->FBj = r;
      e->FLx = blArc;
      e->FDirection = 1;
      e->FQd = Clamp({a.x + r * std::cos(a0), a.y + r * std::sin(a0)}, W, H);
      e->FZd = Clamp({a.x + r * std::cos(a0 + sweep), a.y + r * std::sin(a0 + sweep)}, W, H);
    } else {
      const double len = rnd.Range(60, 400), ang = rnd.Int(4) * std::numbers::pi / 2 + rnd.Range(-0.05, 0.05);
      e->FQd = a;
      e->FZd = Clamp({a.x + len * std::cos(ang), a.y + len * std::sin(ang)}, W, H);
    }
    e->FGap = rnd.Range(6, 14);
    e->FLength1 = 8;
    e->FLength2 = 4;
    Append(root, 1, std::move(e))->Modified();
    ++made;
  }

  // Layer 2: dimension lines of one to three segments with measured texts.
  const int dims = edges + target(0.10);
  while (made < dims) {
    auto d = std::make_unique<TArrowLine>();
    TArrowLine* raw = Append(root, 2, std::move(d));
    const Tpt a{rnd.Range(20, W - 80), rnd.Range(20, H - 20)};
    const bool horizontal = rnd.Int(2) == 0;
    const double len = rnd.Range(30, 160);
    raw->FQd = a;
    raw->FZd = Clamp(horizontal ? Tpt{a.x + len, a.y} : Tpt{a.x, a.y + len}, W, H);
    raw->FXzJd = horizontal ? 0 : 90;
    raw->FFont->FHeight = 8;
    const int segments = 1 + rnd.Int(3);
    for (int s = 0; s < segments; ++s) {
      TBzLineData seg;
      raw->InitLineData(seg);
      seg.Qd = double(s) / segments;
      seg.Zd = s + 1 == segments ? 1.0 : double(s + 1) / segments;
      seg.TextAlign = rnd.Int(3);
      raw->FBzLines.push_back(seg);
    }
    raw->Modified();
    ++made;
  }

  // Layer 3: a tower crane for every 2,000 figures, then leader arrows pointing at things.
  for (int i = 0; i < Figures / 2000 && made < Figures; ++i, ++made) {
    auto crane = std::make_unique<TTxTadiao>();
    crane->FYd = {rnd.Range(100, W - 100), rnd.Range(100, H - 100)};
    crane->FBj = rnd.Range(60, 100);
    crane->FJdEx = rnd.Range(0, 360);
    crane->FJd = rnd.Range(0, 360);
    Append(root, 3, std::move(crane))->Modified();
  }
  while (made < Figures) {
    // One in ten is a site path: a multi-segment line with an arc, a
    // freehand line with strokes, a spline, or a route line with its symbols.
    if (rnd.Int(10) == 0) {
      const Tpt a{rnd.Range(40, W - 40), rnd.Range(40, H - 40)};
      auto at = [&](int i) { return Clamp({a.x + 12.0 * i, a.y + rnd.Range(-15, 15)}, W, H); };
      // Points in the root's frame, as the other figures here are given.
      auto route = [&](auto Line, double Gap) {
        auto* r = Append(root, 3, std::move(Line));
        for (int i = 0; i < 4; ++i) static_cast<TTxPolygonBxdy*>(r->DDList().AddObject())->FDwd = at(i);
        r->FGap = Gap;
        return r;
      };
      switch (rnd.Int(7)) {
        case 0: {
          auto* m = Append(root, 3, std::make_unique<TTxMltLine>());
          for (int i = 0; i < 4; ++i) static_cast<TTxPolygonBxdy*>(m->DDList().AddObject())->FDwd = at(i);
          m->Vertex(1).FLx = blArc;
          m->Vertex(1).FBj = 20;
          m->Modified();
          break;
        }
        case 1: {
          auto* p = Append(root, 3, std::make_unique<TPenLine>());
          for (int i = 0; i < 8; ++i) p->FPoints.push_back(at(i));
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
          auto* b = Append(root, 3, std::make_unique<TBezier>());
          for (int i = 0; i < 5; ++i) b->FPoints.push_back(ptodp(at(i)));
          b->Modified();
          break;
        }
      }
      ++made;
      continue;
    }
    auto line = std::make_unique<TTxLine>();
    const Tpt a{rnd.Range(5, W - 5), rnd.Range(5, H - 5)};
    const double len = rnd.Range(15, 60), ang = rnd.Range(0, 2 * std::numbers::pi);
    line->FQd = a;
    line->FZd = Clamp({a.x + len * std::cos(ang), a.y + len * std::sin(ang)}, W, H);
    line->FPen.Color = 0xA00000;
    line->FQdArrow = rnd.Int(3) == 0;
    Append(root, 3, std::move(line));
    ++made;
  }
  out.Figures = made;
  return out;
}

std::unique_ptr<TTxProjectFile> GenerateDrawingFile(int Figures, std::uint32_t Seed) {
  auto file = std::make_unique<TTxProjectFile>();
  auto* doc = static_cast<TFiguresDoc*>(file->FTxProject->FTxSpaces->AddObject());
  GenerateDrawing(*doc, Figures, Seed);
  return file;
}
