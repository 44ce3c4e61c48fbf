// Builds the libraries the program ships with, through the model classes:
// a block library of site symbols ("场地图例.tkk") and a fill library of
// hatch patterns ("填充图案.tck"). The build runs it into the "图例文件"
// folder beside the program; `cmake --install` copies that folder.
//
// Usage: make_library <folder>
//
// Points are whole units: the figures place by rounded points. Symbols
// are drawn in local units of a quarter metre, the unit of the
// sample drawing, so a symbol placed with one click there has its real size.

#include "docview/ImageLibrary.h"
#include "figures/LineFigures.h"
#include "figures/MltLine.h"
#include "figures/RoundShapes.h"
#include "figures/WdbxShapes.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <initializer_list>
#include <memory>
#include <numbers>
#include <string>

namespace {

TPen Pen(COLORREF Color, std::int32_t Width = 1, TPenStyle Style = psSolid) {
  TPen p;
  p.Color = Color;
  p.Width = Width;
  p.Style = Style;
  return p;
}

TBrush Brush(COLORREF Color, TBrushStyle Style = bsSolid) {
  TBrush b;
  b.Color = Color;
  b.Style = Style;
  return b;
}

const TBrush kClear = Brush(clWhite, bsClear);

// One block under construction: figures in its own frame, 0..W x 0..H.
class TBlockBuilder {
public:
  TBlockBuilder(const char* Name, double Width, double Height) : FBlock(std::make_unique<TTxBlock>()) {
    FBlock->FName = Name;
    FBlock->InitialParas(Width, Height);
  }

  template <class T>
  T& Add(std::unique_ptr<T> Figure, const TPen& P, const TBrush& B) {
    T& f = *Figure;
    f.FPen = P;
    f.FBrush = B;
    FBlock->InsertFigure(std::move(Figure));
    return f;
  }

  void Line(Tpt A, Tpt B, const TPen& P) {
    auto line = std::make_unique<TTxLine>();
    line->FZdArrow = false;
    TTxLine& l = Add(std::move(line), P, kClear);
    l.SetQd(A);
    l.SetZd(B);
  }

  void Arrow(Tpt A, Tpt B, const TPen& P) {
    TTxLine& l = Add(std::make_unique<TTxLine>(), P, kClear);
    l.SetQd(A);
    l.SetZd(B);
  }

  void Polyline(std::initializer_list<Tpt> Points, const TPen& P) {
    TTxMltLine& m = Add(std::make_unique<TTxMltLine>(), P, kClear);
    for (Tpt p : Points) m.AddPoint(p);
  }

  void Rect(Tpt From, Tpt To, const TPen& P, const TBrush& B) {
    TTxFRectangle& r = Add(std::make_unique<TTxFRectangle>(), P, B);
    const Tpt corners[2] = {From, To};
    r.CreateByRefPoint(corners);
  }

  void Circle(Tpt Centre, double Radius, const TPen& P, const TBrush& B) {
    TTxCircle& c = Add(std::make_unique<TTxCircle>(), P, B);
    const Tpt points[2] = {Centre, {Centre.x + Radius, Centre.y}};
    c.CreateByRefPoint(points);
  }

  void Polygon(std::initializer_list<Tpt> Points, const TPen& P, const TBrush& B) {
    TTxPolygon& g = Add(std::make_unique<TTxPolygon>(), P, B);
    for (Tpt p : Points) g.AddPoint(p);
  }

  std::unique_ptr<TTxBlock> Take(const TBrush& Background) {
    FBlock->FBrush = Background;
    return std::move(FBlock);
  }

private:
  std::unique_ptr<TTxBlock> FBlock;
};

// ---- the site symbols

const TPen kInk = Pen(RGB(40, 40, 40), 1);
const TPen kBold = Pen(RGB(40, 40, 40), 2);

std::unique_ptr<TTxBlock> CraneBase() {
  // A 4 m square footing with the mast's four legs and the cross bracing.
  TBlockBuilder b("塔吊基础", 16, 16);
  b.Rect({0, 0}, {16, 16}, kBold, Brush(RGB(210, 210, 210)));
  b.Rect({5, 5}, {11, 11}, Pen(RGB(224, 112, 0), 2), kClear);
  b.Line({5, 5}, {11, 11}, Pen(RGB(224, 112, 0)));
  b.Line({5, 11}, {11, 5}, Pen(RGB(224, 112, 0)));
  return b.Take(kClear);
}

std::unique_ptr<TTxBlock> Gate() {
  // Two posts and two leaves swung open, 8 m wide.
  TBlockBuilder b("大门", 32, 16);
  b.Rect({0, 0}, {2, 2}, kBold, Brush(RGB(40, 40, 40)));
  b.Rect({30, 0}, {32, 2}, kBold, Brush(RGB(40, 40, 40)));
  b.Line({2, 1}, {12, 13}, kBold);
  b.Line({30, 1}, {20, 13}, kBold);
  b.Polyline({{16, 0}, {16, 5}}, Pen(RGB(40, 40, 40), 1, psDash));
  return b.Take(kClear);
}

std::unique_ptr<TTxBlock> SiteOffice() {
  // A 6 m x 3 m cabin with its door and two windows.
  TBlockBuilder b("现场办公室", 24, 12);
  b.Rect({0, 0}, {24, 12}, Pen(RGB(0, 96, 160), 2), Brush(RGB(200, 230, 255)));
  b.Line({10, 0}, {14, 3}, Pen(RGB(0, 96, 160)));
  b.Rect({3, 9}, {8, 12}, Pen(RGB(0, 96, 160)), Brush(RGB(255, 255, 255)));
  b.Rect({16, 9}, {21, 12}, Pen(RGB(0, 96, 160)), Brush(RGB(255, 255, 255)));
  return b.Take(kClear);
}

std::unique_ptr<TTxBlock> Toilets() {
  // A 4 m x 3 m block of two cubicles.
  TBlockBuilder b("厕所", 16, 12);
  b.Rect({0, 0}, {16, 12}, kBold, Brush(RGB(230, 240, 230)));
  b.Line({8, 0}, {8, 12}, kInk);
  b.Circle({4, 7}, 2, kInk, kClear);
  b.Circle({12, 7}, 2, kInk, kClear);
  return b.Take(kClear);
}

std::unique_ptr<TTxBlock> StorageYard() {
  // A 10 m x 6 m fenced yard with stacked material.
  TBlockBuilder b("堆场", 40, 24);
  b.Rect({0, 0}, {40, 24}, Pen(RGB(96, 64, 0), 1, psDash), kClear);
  b.Rect({4, 4}, {18, 10}, kInk, Brush(RGB(200, 170, 120)));
  b.Rect({4, 13}, {18, 19}, kInk, Brush(RGB(200, 170, 120)));
  b.Rect({22, 4}, {36, 19}, kInk, Brush(RGB(180, 180, 180), bsDiagCross));
  return b.Take(kClear);
}

std::unique_ptr<TTxBlock> NorthArrow() {
  // A circle with the half-filled needle pointing up the sheet.
  TBlockBuilder b("指北针", 24, 32);
  b.Circle({12, 12}, 11, kInk, kClear);
  b.Polygon({{12, 30}, {16, 4}, {12, 9}}, kInk, Brush(RGB(40, 40, 40)));
  b.Polygon({{12, 30}, {8, 4}, {12, 9}}, kInk, Brush(clWhite));
  return b.Take(kClear);
}

std::unique_ptr<TTxBlock> FireHydrant() {
  TBlockBuilder b("消火栓", 12, 12);
  b.Circle({6, 6}, 5, Pen(RGB(200, 0, 0), 2), Brush(RGB(255, 220, 220)));
  b.Circle({6, 6}, 2, Pen(RGB(200, 0, 0)), Brush(RGB(200, 0, 0)));
  b.Line({1, 6}, {3, 6}, Pen(RGB(200, 0, 0), 2));
  b.Line({9, 6}, {11, 6}, Pen(RGB(200, 0, 0), 2));
  return b.Take(kClear);
}

std::unique_ptr<TTxBlock> WaterPoint() {
  // A valve (two triangles) on the supply pipe.
  TBlockBuilder b("水源接驳点", 16, 12);
  b.Line({0, 6}, {16, 6}, Pen(RGB(0, 96, 192), 2));
  b.Polygon({{4, 2}, {4, 10}, {8, 6}}, Pen(RGB(0, 96, 192)), Brush(RGB(0, 96, 192)));
  b.Polygon({{12, 2}, {12, 10}, {8, 6}}, Pen(RGB(0, 96, 192)), Brush(RGB(0, 96, 192)));
  return b.Take(kClear);
}

std::unique_ptr<TTxBlock> PowerPoint() {
  // A distribution box with the lightning bolt.
  TBlockBuilder b("电源接驳点", 12, 16);
  b.Rect({0, 0}, {12, 16}, Pen(RGB(192, 0, 0), 2), Brush(RGB(255, 240, 200)));
  b.Polyline({{7, 14}, {4, 8}, {8, 8}, {5, 2}}, Pen(RGB(192, 0, 0), 2));
  return b.Take(kClear);
}

// ---- the fill patterns: one tile each, on a white ground

const TBrush kGround = Brush(clWhite);

std::unique_ptr<TTxBlock> BrickFill() {
  // Courses 4 units high, joints staggered by half a brick.
  TBlockBuilder b("砖", 16, 8);
  const TPen p = Pen(RGB(160, 40, 20));
  b.Line({0, 0}, {16, 0}, p);
  b.Line({0, 4}, {16, 4}, p);
  b.Line({0, 0}, {0, 4}, p);
  b.Line({8, 4}, {8, 8}, p);
  return b.Take(kGround);
}

std::unique_ptr<TTxBlock> ConcreteFill() {
  // Aggregate triangles and dots scattered over the tile.
  TBlockBuilder b("混凝土", 16, 16);
  const TPen p = Pen(RGB(90, 90, 90));
  b.Polygon({{2, 2}, {6, 3}, {3, 6}}, p, kClear);
  b.Polygon({{10, 9}, {14, 11}, {11, 14}}, p, kClear);
  b.Circle({12, 4}, 1, p, Brush(RGB(90, 90, 90)));
  b.Circle({5, 12}, 1, p, Brush(RGB(90, 90, 90)));
  return b.Take(kGround);
}

std::unique_ptr<TTxBlock> GravelFill() {
  TBlockBuilder b("碎石", 12, 12);
  const TPen p = Pen(RGB(110, 100, 80));
  b.Circle({3, 3}, 2, p, kClear);
  b.Circle({9, 5}, 2, p, kClear);
  b.Circle({5, 9}, 1, p, kClear);
  b.Circle({10, 10}, 1, p, kClear);
  return b.Take(kGround);
}

std::unique_ptr<TTxBlock> EarthFill() {
  // Rammed earth: a diagonal with short strokes across it.
  TBlockBuilder b("素土", 12, 12);
  const TPen p = Pen(RGB(120, 80, 40));
  b.Line({0, 0}, {12, 12}, p);
  b.Line({2, 6}, {6, 2}, p);
  b.Line({6, 10}, {10, 6}, p);
  return b.Take(kGround);
}

std::unique_ptr<TTxBlock> GrassFill() {
  TBlockBuilder b("草地", 16, 12);
  const TPen p = Pen(RGB(30, 140, 40));
  b.Polyline({{2, 2}, {4, 6}, {6, 2}}, p);
  b.Line({4, 2}, {4, 7}, p);
  b.Polyline({{10, 7}, {12, 11}, {14, 7}}, p);
  b.Line({12, 7}, {12, 12}, p);
  return b.Take(kGround);
}

std::unique_ptr<TTxBlock> WaterFill() {
  // Two wave lines per tile, the second shifted by half a wave.
  TBlockBuilder b("水面", 16, 8);
  const TPen p = Pen(RGB(0, 90, 200));
  b.Polyline({{0, 2}, {4, 3}, {8, 2}, {12, 1}, {16, 2}}, p);
  b.Polyline({{0, 6}, {4, 5}, {8, 6}, {12, 7}, {16, 6}}, p);
  return b.Take(kGround);
}

void Write(const std::filesystem::path& File, std::initializer_list<std::unique_ptr<TTxBlock> (*)()> Makers) {
  TImageProject project;
  TImageDocument& doc = project.FirstDocument();
  for (auto make : Makers) doc.AddItem(make());
  WriteImageLibrary(File.string(), project);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_library <folder>\n");
    return 2;
  }
  RegisterImageLibraryClasses();
  const std::filesystem::path folder(argv[1]);
  try {
    std::filesystem::create_directories(folder);
    Write(folder / "场地图例.tkk", {CraneBase, Gate, SiteOffice, Toilets, StorageYard, NorthArrow, FireHydrant,
                                    WaterPoint, PowerPoint});
    Write(folder / "填充图案.tck", {BrickFill, ConcreteFill, GravelFill, EarthFill, GrassFill, WaterFill});
  } catch (const std::exception& e) {
    std::fprintf(stderr, "make_library: %s: %s\n", argv[1], e.what());
    return 1;
  }
  return 0;
}
