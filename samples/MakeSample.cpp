// Builds samples/site.gck through the model classes, the way the editor's
// tools would: a 120 m x 80 m site outlined with edge lines, a gate on its
// east side, the access road with a double-line site road, a railway
// siding, electric and telecom lines along the road, buildings (polygons and rectangles, hatched
// and coloured), a rounded site office, two dimension lines, two arrow lines
// and two tower cranes on round bases with their working radius, the east
// crane's restricted slewing zone as a sector, the land parcel less a
// neighbour's plot as a combined figure, and the annotations: labels for the
// cranes, the planned building and the road, a water main drawn as a text
// line, leader lines and a memo with the site notes, on seven named layers.
//
// Usage: make_sample <out.gck> [--preview <out.png>]
// The preview shows the drawing in a drawing view (set QT_QPA_PLATFORM=offscreen
// without a display).

#include "docview/DrawView.h"
#include "docview/FiguresDoc.h"
#include "figures/Arcs.h"
#include "figures/ComboFigure.h"
#include "figures/LineFigures.h"
#include "figures/RouteLines.h"
#include "figures/RoundShapes.h"
#include "figures/Texts.h"
#include "figures/TowerCrane.h"
#include "figures/WdbxShapes.h"
#include "foundation/StreamError.h"
#include "platform/System.h"

#include <QApplication>
#include <QImage>
#include <QScrollBar>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <memory>
#include <numbers>
#include <string>

namespace {

// The sheet is A3 at 1:500: 210 m x 148.5 m of ground. User units are
// metres; one local unit is a quarter of a metre, so at zoom 1 the sheet is
// 840 x 594 screen pixels.
constexpr double kMetresPerUnit = 0.25;
constexpr double kSheetWidth = 840;
constexpr double kSheetHeight = 594;

// The site, 480 x 320 units (120 m x 80 m).
constexpr double kLeft = 160, kBottom = 170, kRight = 640, kTop = 490;
// The gate in the east side, 8 m wide, and the access road it opens onto.
constexpr double kGateLow = 300, kGateHigh = 332;
constexpr double kRoadWest = 720, kRoadEast = 752;

// Layer order is painting order: later layers lie above earlier ones.
enum TSampleLayer { lyRoad, lyBoundary, lyBuildings, lyDimension, lyArrows, lyCranes, lyText, kLayerCount };
const char* const kLayerNames[] = {"道路", "场地边界", "建筑", "尺寸标注", "指示箭头", "塔吊", "文字标注"};

TPen Pen(COLORREF Color, std::int32_t Width = 1, TPenStyle Style = psSolid) {
  TPen p;
  p.Color = Color;
  p.Width = Width;
  p.Style = Style;
  return p;
}

class TSampleBuilder {
public:
  explicit TSampleBuilder(TFiguresDoc& Doc) : FDoc(Doc), FRoot(*Doc.FFigures) {}

  void Build() {
    FDoc.FScale = kMetresPerUnit;
    FRoot.FWidth = kSheetWidth;
    FRoot.FHeight = kSheetHeight;
    // A 10 m grid.
    FRoot.FGridWidth = FRoot.FGridHeight = 10 / kMetresPerUnit;
    MakeLayers();

    FRoot.SetCurLayer(lyRoad);
    Road();
    Routes();
    FRoot.SetCurLayer(lyBoundary);
    Boundary();
    Parcel();
    FRoot.SetCurLayer(lyBuildings);
    Buildings();
    FRoot.SetCurLayer(lyDimension);
    Dimension({kLeft, kBottom}, {kRight, kBottom}, true, {kLeft, kBottom - 40});
    Dimension({kLeft, kBottom}, {kLeft, kTop}, false, {kLeft - 40, kBottom});
    FRoot.SetCurLayer(lyArrows);
    Arrow({700, 420}, {646, kGateHigh + 4});
    Arrow({812, 500}, {kRoadEast + 4, 440});
    FRoot.SetCurLayer(lyCranes);
    CraneBase({290, 330});
    CraneBase({520, 260});
    // 50 m and 40 m working radii over the west and east halves of the site,
    // overlapping in the middle; the east crane keeps clear of the road.
    Crane({290, 330}, 200, 35, 330, 300, 240);
    Crane({520, 260}, 160, 300, 60, 150, 100);
    // The east crane must not slew its jib over the road.
    SlewingZone({520, 260}, 160, -35, 35);
    FRoot.SetCurLayer(lyText);
    Texts();

    // The drawing opens with the boundary layer current.
    FRoot.SetCurLayer(lyBoundary);
  }

private:
  // The new root's one layer and the added ones, renamed; AddLayer gives
  // "图层" names, so the entries are rewritten keeping their flags.
  void MakeLayers() {
    for (int i = 1; i < kLayerCount; ++i) {
      std::string name;
      FRoot.AddLayer(name);
    }
    for (int i = 0; i < kLayerCount; ++i) {
      std::string& entry = FRoot.FLayers[std::size_t(i)].Entry;
      entry = std::string(kLayerNames[i]) + entry.substr(entry.find('='));
    }
  }

  template <class T>
  T& Add(std::unique_ptr<T> Figure) {
    T& f = *Figure;
    FDoc.Add(std::move(Figure), TPoint{0, 0}, nullptr);
    return f;
  }

  // A plain line is an arrow line without heads.
  void Line(Tpt Qd, Tpt Zd, const TPen& LinePen) {
    auto line = std::make_unique<TTxLine>();
    line->FPen = LinePen;
    line->FZdArrow = false;
    TTxLine& l = Add(std::move(line));
    l.SetQd(Qd);
    l.SetZd(Zd);
  }

  // The road runs north-south along the east of the sheet; a spur leads
  // west to the gate. Its west edge is broken where the spur joins.
  void Road() {
    const TPen edge = Pen(RGB(96, 96, 96), 2);
    const TPen centre = Pen(RGB(150, 150, 150), 1, psDashDot);
    Line({kRoadWest, 0}, {kRoadWest, kGateLow}, edge);
    Line({kRoadWest, kGateHigh}, {kRoadWest, kSheetHeight}, edge);
    Line({kRoadEast, 0}, {kRoadEast, kSheetHeight}, edge);
    Line({kRight, kGateLow}, {kRoadWest, kGateLow}, edge);
    Line({kRight, kGateHigh}, {kRoadWest, kGateHigh}, edge);
    Line({(kRoadWest + kRoadEast) / 2, 0}, {(kRoadWest + kRoadEast) / 2, kSheetHeight}, centre);
    Line({kRight, (kGateLow + kGateHigh) / 2}, {kRoadWest, (kGateLow + kGateHigh) / 2}, centre);
  }

  // Vertices as the multi-line tool places them, then the symbol spacing.
  template <class T>
  T& Route(std::initializer_list<Tpt> Points, const TPen& LinePen) {
    auto route = std::make_unique<T>();
    route->FPen = LinePen;
    T& r = Add(std::move(route));
    for (Tpt p : Points) r.AddPoint(p);
    return r;
  }

  // The site road from the gate round the buildings, 6 m wide; the railway
  // siding along the south; the electric (high voltage) and telecom lines
  // east of the road.
  void Routes() {
    auto& road = Route<TDoubleLine>({{kRight, 304}, {470, 304}, {470, 400}}, Pen(RGB(96, 96, 96), 1));
    road.FGap = 24;
    road.FPen1 = Pen(RGB(96, 96, 96), 1);
    road.Modified();
    auto& rail = Route<TTrailLine>({{40, 110}, {700, 110}}, Pen(RGB(0, 0, 0), 1));
    rail.FGap = 24;
    rail.FWidth = 6;
    rail.Modified();
    auto& power = Route<TDLine>({{778, 20}, {778, 574}}, Pen(RGB(192, 0, 0), 1));
    power.FGap = 60;
    power.FLx = 1;
    power.Modified();
    auto& telecom = Route<TDxLine>({{806, 20}, {806, 574}}, Pen(RGB(0, 96, 0), 1));
    telecom.FGap = 48;
    telecom.Modified();
  }

  // Walked clockwise, so the strokes (to the left of each edge's direction)
  // face outwards; the east side stops at the gate posts.
  void Boundary() {
    const Tpt nw{kLeft, kTop}, ne{kRight, kTop}, se{kRight, kBottom}, sw{kLeft, kBottom};
    Edge(sw, nw);
    Edge(nw, ne);
    Edge(ne, {kRight, kGateHigh});
    Edge({kRight, kGateLow}, se);
    Edge(se, sw);
  }

  void Edge(Tpt Qd, Tpt Zd) {
    auto edge = std::make_unique<TConstructionLine>();
    edge->FPen = Pen(RGB(192, 0, 0), 2);
    edge->FLength1 = 12;
    edge->FLength2 = 6;
    edge->FGap = 12;
    TConstructionLine& e = Add(std::move(edge));
    e.SetQd(Qd);
    e.SetZd(Zd);
  }

  // The land parcel, 2.5 m outside the site, less the neighbour's plot in
  // its north-east corner: a polygon minus a rectangle, as "相减" makes it.
  void Parcel() {
    auto land = std::make_unique<TTxPolygon>();
    for (Tpt p : {Tpt{150, 160}, Tpt{650, 160}, Tpt{650, 500}, Tpt{150, 500}}) land->AddPoint(p);
    auto plot = std::make_unique<TTxFRectangle>();
    const Tpt corners[2] = {{570, 430}, {650, 500}};
    plot->CreateByRefPoint(corners);
    auto parcel = std::make_unique<TComboFigure>();
    parcel->FStyle = csSubtract;
    parcel->FYd = {150, 160};
    parcel->InitialParas(500, 340);
    parcel->FPen = Pen(RGB(0, 128, 64), 2);
    parcel->FBrush = Brush(RGB(140, 205, 160), bsBDiagonal);
    // Members keep their places relative to the combined figure's origin.
    for (TCustomFigure* m : {static_cast<TCustomFigure*>(plot.get()), static_cast<TCustomFigure*>(land.get())})
      m->MoveByOffset(-150, -160);
    parcel->InsertFigure(std::move(plot));
    parcel->InsertFigure(std::move(land));
    Add(std::move(parcel));
  }

  // A sector over the angles From..To (degrees) where the jib may not go.
  void SlewingZone(Tpt Centre, double Radius, double From, double To) {
    auto zone = std::make_unique<TTxChord>();
    zone->FPen = Pen(RGB(192, 0, 0), 1, psDash);
    zone->FBrush = Brush(RGB(192, 0, 0), bsDiagCross);
    TTxChord& z = Add(std::move(zone));
    const double k = std::numbers::pi / 180, a = From * k, m = (From + To) / 2 * k, b = To * k;
    const Tpt points[3] = {{Centre.x + Radius * std::cos(a), Centre.y + Radius * std::sin(a)},
                           {Centre.x + Radius * std::cos(m), Centre.y + Radius * std::sin(m)},
                           {Centre.x + Radius * std::cos(b), Centre.y + Radius * std::sin(b)}};
    z.CreateByRefPoint(points);
  }

  // As the dimension tool places one: the two measured points and a third
  // point on the dimension line's side.
  TBrush Brush(COLORREF Color, TBrushStyle Style) {
    TBrush b;
    b.Color = Color;
    b.Style = Style;
    return b;
  }

  // An L-shaped block of flats drawn with the polygon tool, a hatched
  // workshop, a store, and the site office by the gate.
  void Buildings() {
    const TPen wall = Pen(RGB(64, 64, 64), 2);
    auto flats = std::make_unique<TTxPolygon>();
    flats->FPen = wall;
    flats->FBrush = Brush(RGB(255, 228, 196), bsSolid);
    TTxPolygon& f = Add(std::move(flats));
    for (Tpt p : {Tpt{190, 400}, Tpt{250, 400}, Tpt{250, 440}, Tpt{370, 440}, Tpt{370, 470}, Tpt{190, 470}})
      f.AddPoint(p);
    Rectangle({330, 190}, {430, 250}, wall, Brush(RGB(128, 128, 128), bsFDiagonal));
    Rectangle({190, 190}, {240, 290}, wall, Brush(RGB(0, 96, 160), bsCross));
    auto office = std::make_unique<TTxRoundRect>();
    office->FPen = Pen(RGB(0, 96, 160), 2);
    office->FBrush = Brush(RGB(200, 230, 255), bsSolid);
    TTxRoundRect& o = Add(std::move(office));
    const Tpt corners[2] = {{580, 350}, {630, 380}};
    o.CreateByRefPoint(corners);
  }

  void Rectangle(Tpt From, Tpt To, const TPen& P, const TBrush& B) {
    auto rect = std::make_unique<TTxFRectangle>();
    rect->FPen = P;
    rect->FBrush = B;
    TTxFRectangle& r = Add(std::move(rect));
    const Tpt corners[2] = {From, To};
    r.CreateByRefPoint(corners);
  }

  // A 4 m concrete base under the mast.
  void CraneBase(Tpt Centre) {
    auto base = std::make_unique<TTxCircle>();
    base->FPen = Pen(RGB(96, 96, 96), 1);
    base->FBrush = Brush(RGB(210, 210, 210), bsSolid);
    TTxCircle& c = Add(std::move(base));
    const Tpt points[2] = {Centre, {Centre.x + 16, Centre.y}};
    c.CreateByRefPoint(points);
  }

  void Dimension(Tpt P1, Tpt P2, bool Horizontal, Tpt Through) {
    auto dim = std::make_unique<TArrowLine>();
    dim->FPen = Pen(RGB(0, 0, 192));
    dim->FFont->FColor = RGB(0, 0, 192);
    dim->FFont->FHeight = 14;
    TArrowLine& d = Add(std::move(dim));
    d.SetQd(P1);
    d.SetZd(P2);
    d.OrthoBz(P1, P2, Horizontal, Through);
    // The text the painting would work out, so the file does not depend on
    // whether the drawing was ever shown.
    TBzLineData& seg = d.FBzLines.front();
    const Tpt a = d.PointAt(seg.Qd), b = d.PointAt(seg.Zd);
    char text[32];
    std::snprintf(text, sizeof text, "%1.3f", d.TransUserV(std::hypot(b.x - a.x, b.y - a.y)));
    seg.Text = text;
  }

  void Arrow(Tpt From, Tpt To) {
    auto arrow = std::make_unique<TTxLine>();
    arrow->FPen = Pen(RGB(0, 128, 0), 2);
    TTxLine& a = Add(std::move(arrow));
    a.SetQd(From);
    a.SetZd(To);
  }

  // A crane as the one-click tool places it, with a 4 m mast, its
  // counterweight 12.5 m behind, the radius line at Jd and the arc from Qj
  // round to Zj (degrees); Bj in local units.
  void Crane(Tpt Centre, double Bj, double JdEx, double Jd, double Qj, double Zj) {
    auto crane = std::make_unique<TTxTadiao>();
    crane->FPen = Pen(RGB(224, 112, 0), 1);
    crane->FFont->FColor = RGB(224, 112, 0);
    crane->FFont->FHeight = 14;
    crane->FWidth = crane->FHeight = 16;
    crane->FBjEx = 50;
    crane->FWidthEx = 20;
    crane->FHeightEx = 10;
    crane->FBj = Bj;
    crane->FJdEx = JdEx;
    crane->FJd = Jd;
    crane->FQj = Qj;
    crane->FZj = Zj;
    TTxTadiao& c = Add(std::move(crane));
    c.SetRefPoint(Centre.x, Centre.y);
    // The label the painting would work out, so the file does not depend on
    // whether the drawing was ever shown.
    char text[32];
    std::snprintf(text, sizeof text, "%1.3f", c.TransUserV(c.Radius()));
    c.FText = text;
  }

  // A label as the one-click tool places it, sized to its text.
  TTxXLabel& Label(Tpt At, const char* Text, COLORREF Color, double Height, double Angle = 0) {
    auto label = std::make_unique<TTxXLabel>();
    label->FText = Text;
    label->FAutoSize = true;
    label->FFont->FColor = Color;
    label->FFont->FHeight = Height;
    label->FXzJd = Angle;
    TTxXLabel& l = Add(std::move(label));
    l.SetRefPoint(At.x, At.y);
    return l;
  }

  void Leader(std::initializer_list<Tpt> Points, const char* Text, std::int32_t Align) {
    auto leader = std::make_unique<TDimension>();
    leader->FPen = Pen(RGB(0, 0, 0));
    leader->FText = Text;
    leader->FTextAlign = Align;
    leader->FFont->FHeight = 12;
    TDimension& d = Add(std::move(leader));
    // The points as the multi-point tool hands them over; the text's extent
    // is measured when it is painted (this program may run without a screen).
    d.SetPoints(Points);
  }

  void Texts() {
    Label({304, 344}, "1#塔吊", RGB(224, 112, 0), 14);
    Label({534, 274}, "2#塔吊", RGB(224, 112, 0), 14);
    Label({252, 440}, "拟建建筑", RGB(128, 64, 0), 18);
    // Along the access road, reading upwards between its edges.
    Label({746, 40}, "施工道路", RGB(64, 64, 64), 16, 90);

    auto water = std::make_unique<TTxTextLine>();
    water->FPen = Pen(RGB(0, 96, 192));
    water->FText = "给水";
    water->FFont->FColor = RGB(0, 96, 192);
    water->FFont->FHeight = 12;
    water->FGap = 80;
    TTxTextLine& w = Add(std::move(water));
    for (Tpt p : {Tpt{170, 370}, Tpt{560, 370}, Tpt{560, 180}}) w.AddPoint(p);

    Leader({{596, 372}, {632, 462}}, "现场办公室", 0);
    Leader({{528, 252}, {566, 210}}, "塔吊基础 4m×4m", 1);

    auto memo = std::make_unique<TTxMemo>();
    memo->FPen = Pen(RGB(96, 96, 96));
    memo->FBrush = Brush(RGB(255, 255, 224), bsSolid);
    memo->FFont->FHeight = 12;
    memo->FWidth = 146;
    memo->FHeight = 76;
    memo->FLines = {"施工说明：", "1. 塔吊基础 4m×4m", "2. 施工道路宽 6m", "3. 围挡高 2.5m", "4. 给水管沿道路敷设"};
    TTxMemo& m = Add(std::move(memo));
    m.SetRefPoint(8, 506);
  }

  TFiguresDoc& FDoc;
  TTxFigureSet& FRoot;
};

int Preview(int argc, char** argv, TFiguresDoc& Doc, const char* PngName) {
  QApplication app(argc, argv);
  InitScreenLogPixels();
  TDrawView view;
  view.SetDocument(&Doc);
  view.setFrameStyle(0);
  view.resize(static_cast<int>(kSheetWidth) + 40, static_cast<int>(kSheetHeight) + 40);
  view.show();
  QApplication::processEvents();
  const QImage image = view.viewport()->grab().toImage();
  if (!image.save(PngName)) {
    std::fprintf(stderr, "make_sample: cannot write %s\n", PngName);
    return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2 && !(argc == 4 && std::strcmp(argv[2], "--preview") == 0)) {
    std::fprintf(stderr, "usage: make_sample <out.gck> [--preview <out.png>]\n");
    return 2;
  }
  RegisterDocumentClasses();
  TTxProjectFile file;
  auto* doc = static_cast<TFiguresDoc*>(file.FTxProject->FTxSpaces->AddObject());
  TSampleBuilder(*doc).Build();
  try {
    WriteDrawingFile(argv[1], file);
  } catch (const EStreamError& e) {
    std::fprintf(stderr, "make_sample: %s: %s\n", argv[1], e.what());
    return 1;
  }
  return argc == 4 ? Preview(argc, argv, *doc, argv[3]) : 0;
}
