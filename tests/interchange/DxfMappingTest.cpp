// DXF entities into figures and figures back into entities.

#include "interchange/DxfMapping.h"

#include "docview/FiguresDoc.h"
#include "figures/Arcs.h"
#include "figures/Blocks.h"
#include "figures/FigureSet.h"
#include "figures/MltLine.h"
#include "figures/Pictures.h"
#include "figures/RoundShapes.h"
#include "figures/Texts.h"
#include "interchange/DxfReader.h"
#include "interchange/DxfWriter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>

namespace {

// The suite's one Qt application comes from the printing tests' environment.

std::string G(std::initializer_list<std::pair<int, std::string>> Groups) {
  std::string s;
  for (const auto& [c, v] : Groups) s += std::to_string(c) + "\r\n" + v + "\r\n";
  return s;
}

std::string File(const std::string& Blocks, const std::string& Entities, const std::string& Header = "") {
  return G({{0, "SECTION"}, {2, "HEADER"}}) + Header + G({{0, "ENDSEC"}, {0, "SECTION"}, {2, "BLOCKS"}}) + Blocks +
         G({{0, "ENDSEC"}, {0, "SECTION"}, {2, "ENTITIES"}}) + Entities + G({{0, "ENDSEC"}, {0, "EOF"}});
}

TCustomFigure& Fig(TTxFigureSet& Root, int Layer, int Index) { return *Root.LayerList(Layer)->Figures(Index); }

// The first edge of a line figure in DXF coordinates.
std::pair<Point3D, Point3D> Ends(const TCustomMltLine& L) {
  const TDxfPlace p(L);
  const Tpt a = L.Vertex(0).FDwd, b = L.Vertex(L.GetPointCount() - 1).FDwd;
  return {p.Pt(a.x, a.y), p.Pt(b.x, b.y)};
}

void ExpectAt(const Point3D& P, double X, double Y, const char* What) {
  EXPECT_NEAR(P.x, X, 1e-9) << What;
  EXPECT_NEAR(P.y, Y, 1e-9) << What;
}

}  // namespace

TEST(DxfMapping, PolylinesBecomeMultiSegmentLinesWithTheirArcs) {
  TTxFigureSet root;
  const auto r = ReadFromDxfText(
      root, File("", G({{0, "LWPOLYLINE"}, {8, "a"}, {90, "4"}, {70, "1"}, {10, "0"}, {20, "0"}, {42, "1"}, {10, "10"},
                        {20, "0"}, {10, "10"}, {20, "10"}, {10, "0"}, {20, "10"}})));
  ASSERT_TRUE(r.Complete) << r.Error;
  auto& l = dynamic_cast<TTxMltLine&>(Fig(root, 0, 0));
  ASSERT_EQ(l.GetPointCount(), 5);
  EXPECT_EQ(l.Vertex(4).FDwd.x, l.Vertex(0).FDwd.x);
  EXPECT_EQ(l.Vertex(4).FDwd.y, l.Vertex(0).FDwd.y);
  // Bulge 1: a half circle counter-clockwise, below the chord from (0,0) to (10,0).
  EXPECT_EQ(l.Vertex(0).FLx, blArc);
  EXPECT_NEAR(l.Vertex(0).FBj, 5, 1e-12);
  EXPECT_NEAR(l.Vertex(0).FYx.x, 5, 1e-12);
  EXPECT_NEAR(l.Vertex(0).FYx.y, 0, 1e-12);
  EXPECT_EQ(l.Vertex(0).FDirection, 1);
  EXPECT_EQ(l.Vertex(1).FLx, blLine);
  ASSERT_EQ(l.PWLine().size(), 4u);
  EXPECT_EQ(l.PWLine()[0].lx, blArc);
}

TEST(DxfMapping, PlaneEntitiesAreSeenFromAboveAndLinesStayInTheWorld) {
  TTxFigureSet root;
  // Extrusion (0,0,-1) turns the polyline's plane over: x changes sign. A
  // LINE's extrusion is only its thickness direction.
  ASSERT_TRUE(ReadFromDxfText(root, File("", G({{0, "LWPOLYLINE"}, {8, "a"}, {210, "0"}, {220, "0"}, {230, "-1"},
                                               {10, "1"}, {20, "2"}, {10, "3"}, {20, "2"},
                                               {0, "LINE"}, {8, "b"}, {210, "0"}, {220, "0"}, {230, "-1"},
                                               {10, "1"}, {20, "2"}, {11, "3"}, {21, "2"}})))
                  .Complete);
  auto [p0, p1] = Ends(dynamic_cast<TCustomMltLine&>(Fig(root, 0, 0)));
  ExpectAt(p0, -1, 2, "polyline seen from above");
  ExpectAt(p1, -3, 2, "polyline seen from above");
  auto [l0, l1] = Ends(dynamic_cast<TCustomMltLine&>(Fig(root, 1, 0)));
  ExpectAt(l0, 1, 2, "line in world coordinates");
  ExpectAt(l1, 3, 2, "line in world coordinates");
}

TEST(DxfMapping, InsertsKeepBasePointRotationMirrorAndMissingScale) {
  const std::string block = G({{0, "BLOCK"}, {8, "0"}, {2, "B"}, {70, "0"}, {10, "10"}, {20, "0"}, {0, "LINE"},
                               {8, "0"}, {10, "10"}, {20, "0"}, {11, "20"}, {21, "0"}, {0, "ENDBLK"}});
  const std::string inserts =
      G({{0, "INSERT"}, {8, "a"}, {2, "B"}, {10, "100"}, {20, "100"}, {50, "90"},
         {0, "INSERT"}, {8, "b"}, {2, "B"}, {10, "0"}, {20, "0"}, {41, "-1"},
         {0, "INSERT"}, {8, "c"}, {2, "B"}, {10, "5"}, {20, "5"},
         {0, "INSERT"}, {8, "d"}, {2, "B"}, {10, "0"}, {20, "0"}, {41, "2"}, {42, "-2"}, {50, "30"}});
  TTxFigureSet root;
  const auto r = ReadFromDxfText(root, File(block, inserts));
  ASSERT_TRUE(r.Complete) << r.Error;
  ASSERT_EQ(root.LayerCount(), 4);
  auto member = [&](int Layer) -> TCustomMltLine& {
    auto& b = dynamic_cast<TTxBlock&>(Fig(root, Layer, 0));
    return dynamic_cast<TCustomMltLine&>(*b.FFigures->Figures(0));
  };
  auto [a0, a1] = Ends(member(0));
  ExpectAt(a0, 100, 100, "rotated: base point at the insertion point");
  ExpectAt(a1, 100, 110, "rotated a quarter turn");
  auto [b0, b1] = Ends(member(1));
  ExpectAt(b0, 0, 0, "mirrored");
  ExpectAt(b1, -10, 0, "mirrored across the vertical");
  auto [c0, c1] = Ends(member(2));
  ExpectAt(c0, 5, 5, "no scale given");
  ExpectAt(c1, 15, 5, "no scale given: 1");
  auto [d0, d1] = Ends(member(3));
  ExpectAt(d0, 0, 0, "scaled, mirrored in y and turned");
  ExpectAt(d1, 20 * std::cos(M_PI / 6), 20 * std::sin(M_PI / 6), "scaled, mirrored in y and turned");
  EXPECT_NEAR(dynamic_cast<TTxBlock&>(Fig(root, 0, 0)).FXzJd, 90, 1e-9);
}

TEST(DxfMapping, BlocksInsertingThemselvesEndEmpty) {
  const std::string blocks =
      G({{0, "BLOCK"}, {2, "A"}, {0, "INSERT"}, {8, "0"}, {2, "A"}, {0, "LINE"}, {8, "0"}, {11, "1"}, {0, "ENDBLK"},
         {0, "BLOCK"}, {2, "B"}, {0, "INSERT"}, {8, "0"}, {2, "C"}, {0, "ENDBLK"},
         {0, "BLOCK"}, {2, "C"}, {0, "INSERT"}, {8, "0"}, {2, "B"}, {0, "ENDBLK"}});
  TTxFigureSet root;
  const auto r = ReadFromDxfText(
      root, File(blocks, G({{0, "INSERT"}, {8, "a"}, {2, "A"}, {0, "INSERT"}, {8, "a"}, {2, "B"}, {0, "INSERT"}, {8, "a"}, {2, "nowhere"}})));
  ASSERT_TRUE(r.Complete) << r.Error;
  EXPECT_EQ(r.BlockCycles, 2);
  EXPECT_EQ(r.MissingBlocks, 1);
  EXPECT_EQ(root.LayerList(0)->Count(), 3);
  EXPECT_EQ(r.Notes().size(), 2u);
}

TEST(DxfMapping, LayersNamesFlagsAndExtents) {
  const std::string tables =
      G({{0, "SECTION"}, {2, "TABLES"}, {0, "TABLE"}, {2, "LAYER"}, {0, "LAYER"}, {2, "off"}, {62, "-1"},
         {0, "LAYER"}, {2, "x=y"}, {62, "2"}, {0, "ENDTAB"}, {0, "ENDSEC"}});
  const std::string lines = G({{0, "LINE"}, {8, "off"}, {10, "-10"}, {20, "5"}, {11, "30"}, {21, "25"}});
  // No extents in the header, then inverted ones: the figures' own.
  for (const std::string& header :
       {std::string(), G({{9, "$EXTMIN"}, {10, "1e20"}, {20, "1e20"}, {9, "$EXTMAX"}, {10, "-1e20"}, {20, "-1e20"}})}) {
    TTxFigureSet root;
    std::string text = File("", lines, header);
    text.insert(text.find("0\r\nSECTION\r\n2\r\nBLOCKS"), tables);
    const auto r = ReadFromDxfText(root, text);
    ASSERT_TRUE(r.Complete) << r.Error;
    ASSERT_EQ(root.LayerCount(), 2);
    EXPECT_EQ(root.FLayers[0].Entry, "off=0");
    EXPECT_EQ(root.FLayers[1].Entry, "x_y=2");
    EXPECT_EQ(root.FFigures, root.LayerList(1));
    EXPECT_EQ(root.FAbsx, 10);
    EXPECT_EQ(root.FAbsy, -5);
    EXPECT_EQ(root.FWidth, 40);
    EXPECT_EQ(root.FHeight, 20);
  }
  // A header not brought up to date: the page takes in the figures too.
  {
    TTxFigureSet root;
    ASSERT_TRUE(ReadFromDxfText(root, File("", lines, G({{9, "$EXTMIN"}, {10, "0"}, {20, "0"}, {9, "$EXTMAX"},
                                                         {10, "20"}, {20, "20"}}))).Complete);
    EXPECT_EQ(root.FAbsx, 10);
    EXPECT_EQ(root.FAbsy, 0);
    EXPECT_EQ(root.FWidth, 40);
    EXPECT_EQ(root.FHeight, 25);
  }
  // A file of nothing still gives a page to fit.
  TTxFigureSet empty;
  ASSERT_TRUE(ReadFromDxfText(empty, File("", "")).Complete);
  EXPECT_GT(empty.FWidth, 0);
  EXPECT_GT(empty.FHeight, 0);
}

TEST(DxfMapping, DamagedFileKeepsWhatWasReadAndSaysSo) {
  TTxFigureSet root;
  const auto r = ReadFromDxfText(root, G({{0, "SECTION"}, {2, "ENTITIES"}, {0, "LINE"}, {8, "a"}, {11, "5"},
                                          {0, "CIRCLE"}, {8, "a"}, {40, "x"}, {0, "ENDSEC"}}));
  EXPECT_FALSE(r.Complete);
  EXPECT_EQ(r.ErrorLine, 16);
  EXPECT_NE(r.Error.find("Error reading CIRCLE entity"), std::string::npos) << r.Error;
  ASSERT_EQ(root.LayerCount(), 1);
  EXPECT_EQ(root.LayerList(0)->Count(), 1);
}

TEST(DxfMapping, WrittenAndReadBackKeepsEntitiesLayersAndPoints) {
  const std::string tables =
      G({{0, "SECTION"}, {2, "TABLES"}, {0, "TABLE"}, {2, "LAYER"}, {0, "LAYER"}, {2, "hid"}, {62, "-4"},
         {0, "ENDTAB"}, {0, "ENDSEC"}});
  std::string text = File("", G({{0, "LINE"}, {8, "道路"}, {62, "1"}, {10, "0.1"}, {20, "0.2"}, {11, "1e5"}, {21, "-7.25"},
                                 {0, "CIRCLE"}, {8, "hid"}, {10, "3"}, {20, "4"}, {40, "2.5"},
                                 {0, "LWPOLYLINE"}, {8, "道路"}, {90, "3"}, {10, "0"}, {20, "0"}, {42, "-0.5"},
                                 {10, "4"}, {20, "0"}, {10, "4"}, {20, "4"}}),
                          G({{9, "$DWGCODEPAGE"}, {3, "UTF-8"}}));
  text.insert(text.find("0\r\nSECTION\r\n2\r\nBLOCKS"), tables);
  TTxFigureSet root;
  ASSERT_TRUE(ReadFromDxfText(root, text).Complete);
  root.SetScale(2.5);  // the view's zoom changes nothing written
  const DXF_Object obj = BuildDxfObject(root);
  std::string out;
  DXF_Writer(out).write_file(obj.layers);
  DXF_Reader back;
  ASSERT_TRUE(back.read_text(out)) << back.error();
  ASSERT_EQ(back.layers.size(), 2u);
  EXPECT_EQ(back.layers[0]->layer_name, "hid");
  EXPECT_TRUE(back.layers[0]->layer_off);
  EXPECT_EQ(back.layers[1]->layer_name, "道路");
  const auto& circle = static_cast<const Circle_&>(*back.layers[0]->entity_lists.at(0).at(0));
  ExpectAt(circle.p1, 3, 4, "circle");
  EXPECT_NEAR(circle.radius, 2.5, 1e-12);
  // The line, then the polyline's arc and line edges.
  const DXF_Layer& road = *back.layers[1];
  ASSERT_EQ(road.entity_names, (std::vector<std::string>{"LINE", "ARC"}));
  const auto& line = static_cast<const Line_&>(*road.entity_lists[0][0]);
  ExpectAt(line.p1, 0.1, 0.2, "line start");
  ExpectAt(line.p2, 1e5, -7.25, "line end");
  EXPECT_EQ(line.colinx, 10) << "red, by the palette's last red";
  EXPECT_EQ(road.entity_lists[0].size(), 2u);  // the line and the polyline's straight edge
  const auto& arc = static_cast<const Arc_&>(*road.entity_lists[1][0]);
  // Bulge -0.5 from (0,0) to (4,0): clockwise over the top around (2, -1.5),
  // so the ARC runs counter-clockwise from the end to the start.
  EXPECT_NEAR(arc.radius, 2.5, 1e-9);
  ExpectAt(arc.p1, 2, -1.5, "arc centre");
  EXPECT_NEAR(arc.angle1, std::atan2(1.5, 2) * 180 / M_PI, 1e-9);
  EXPECT_NEAR(arc.angle2, 180 - std::atan2(1.5, 2) * 180 / M_PI, 1e-9);
}

TEST(DxfMapping, PicturesAreListedAsUnwritable) {
  TTxFigureSet root;
  root.InsertFigure(std::make_unique<TTxPicture>());
  root.InsertFigure(std::make_unique<TTxCircle>());
  const auto lost = DxfUnwritableFigures(root);
  ASSERT_EQ(lost.size(), 1u);
  EXPECT_EQ(lost[0].second, 1);
  const DXF_Object obj = BuildDxfObject(root);
  EXPECT_EQ(obj.layers.at(0)->entity_count(), 1u);
}

TEST(DxfMapping, ArcsTurnDegreesIntoRadiansAndTextsBecomeLabels) {
  TTxFigureSet root;
  const auto r = ReadFromDxfText(
      root, File("", G({{0, "ARC"}, {8, "a"}, {10, "10"}, {20, "20"}, {40, "5"}, {50, "90"}, {51, "180"},
                        {0, "TEXT"}, {8, "a"}, {10, "3"}, {20, "4"}, {40, "7"}, {1, "\xCA\xA9\xB9\xA4\xB5\xC0\xC2\xB7"}, {50, "90"},
                        {0, "TEXT"}, {8, "a"}, {10, "1"}, {20, "1"}, {40, "7"}, {1, "x"}, {72, "1"}, {11, "8"}, {21, "9"}})));
  ASSERT_TRUE(r.Complete) << r.Error;
  const TTxArc* arc = nullptr;
  std::vector<const TTxXLabel*> labels;
  for (int i = 0; i < root.LayerList(0)->Count(); ++i) {
    if (auto* a = dynamic_cast<const TTxArc*>(&Fig(root, 0, i))) arc = a;
    if (auto* l = dynamic_cast<const TTxXLabel*>(&Fig(root, 0, i))) labels.insert(labels.begin(), l);
  }
  ASSERT_TRUE(arc);
  EXPECT_NEAR(arc->FQj, std::numbers::pi / 2, 1e-12);
  EXPECT_NEAR(std::abs(arc->FZj), std::numbers::pi, 1e-12);
  EXPECT_EQ(arc->FDirection, 1);
  EXPECT_NEAR(arc->GetSumjd(), std::numbers::pi / 2, 1e-12);
  ExpectAt(TDxfPlace(*arc).Pt(arc->FYx.x, arc->FYx.y), 10, 20, "arc centre");
  ASSERT_EQ(labels.size(), 2u);
  // Height 7 is a font size of 10; the box starts at the base point, where
  // other programs put the text's baseline (not a font height above it).
  EXPECT_EQ(labels[0]->FText, "施工道路");
  EXPECT_NEAR(labels[0]->FFont->FHeight, 10, 1e-12);
  EXPECT_NEAR(labels[0]->FXzJd, 90, 1e-9);
  ExpectAt(TDxfPlace(*labels[0]).Pt(labels[0]->FYd.x, labels[0]->FYd.y), 3, 4, "turned label");
  // Aligned text stands at its alignment point (group 11).
  ExpectAt(TDxfPlace(*labels[1]).Pt(labels[1]->FYd.x, labels[1]->FYd.y), 8, 9, "aligned label");
}
