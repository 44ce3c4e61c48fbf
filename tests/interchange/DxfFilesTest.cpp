// DXF files as other programs write them (small hand-made ones of every
// kind, kept with the fuzzer's seeds, and the public samples) open with the
// right layers, figures, places and texts; each damaged one ends with the
// line named.

#include "interchange/DxfMapping.h"

#include "figures/Blocks.h"
#include "figures/FigureSet.h"
#include "figures/MltLine.h"
#include "figures/PolygonMesh.h"
#include "figures/RoundShapes.h"
#include "figures/Texts.h"
#include "interchange/DxfReader.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <numbers>
#include <string>

namespace {

const std::string kSeeds = PLANDECK_TESTS "/fuzz/seeds/dxf/";

TDxfReadResult Open(TTxFigureSet& Root, const std::string& Name) { return ReadFromDxfFile(Root, kSeeds + Name); }

std::vector<std::string> Entries(const TTxFigureSet& Root) {
  std::vector<std::string> out;
  for (const auto& l : Root.FLayers) out.push_back(l.Entry);
  return out;
}

// What a layer shows, in DXF coordinates, blocks opened.
struct TSeen {
  std::vector<std::pair<Point3D, Point3D>> lines;  // first and last vertex
  std::vector<std::pair<Point3D, double>> circles;
  std::vector<const TTxXLabel*> labels;
  int blocks = 0, meshes = 0;
};

void See(const TCustomFigure& F, TSeen& Out) {
  const TDxfPlace p(F);
  if (auto* l = dynamic_cast<const TCustomMltLine*>(&F)) {
    const Tpt a = l->Vertex(0).FDwd, b = l->Vertex(l->GetPointCount() - 1).FDwd;
    Out.lines.push_back({p.Pt(a.x, a.y), p.Pt(b.x, b.y)});
  } else if (auto* c = dynamic_cast<const TCustomCircle*>(&F)) {
    Out.circles.push_back({p.Pt(c->FYx.x, c->FYx.y), p.Len(c->Radius())});
  } else if (auto* t = dynamic_cast<const TTxXLabel*>(&F)) {
    Out.labels.push_back(t);
  } else if (dynamic_cast<const TPolygonMesh*>(&F)) {
    ++Out.meshes;
  } else if (auto* b = dynamic_cast<const TTxBlock*>(&F)) {
    ++Out.blocks;
    for (int i = 0; i < b->FFigures->Count(); ++i) See(*b->FFigures->Figures(i), Out);
  }
}

TSeen Layer(const TTxFigureSet& Root, int L) {
  TSeen s;
  const TTxCollectFigure& list = *Root.LayerList(L);
  for (int i = 0; i < list.Count(); ++i) See(*list.Figures(i), s);
  return s;
}

bool Near(const Point3D& P, double X, double Y) { return std::abs(P.x - X) < 1e-9 && std::abs(P.y - Y) < 1e-9; }

bool HasLine(const TSeen& S, double X0, double Y0, double X1, double Y1) {
  for (const auto& [a, b] : S.lines)
    if ((Near(a, X0, Y0) && Near(b, X1, Y1)) || (Near(a, X1, Y1) && Near(b, X0, Y0))) return true;
  return false;
}

bool HasCircle(const TSeen& S, double X, double Y, double R) {
  for (const auto& [c, r] : S.circles)
    if (Near(c, X, Y) && std::abs(r - R) < 1e-9) return true;
  return false;
}

}  // namespace

TEST(DxfFiles, R2000LightWeightPolylinesWithBulgesAndGbkTexts) {
  TTxFigureSet root;
  const auto r = Open(root, "r2000_lwpolyline_bulges.dxf");
  ASSERT_TRUE(r.Complete) << r.Error;
  EXPECT_EQ(r.Encoding, "GBK");
  EXPECT_EQ(Entries(root), (std::vector<std::string>{"0=2", "道路=1", "围墙=1"}));
  const TSeen road = Layer(root, 1), wall = Layer(root, 2);
  ASSERT_EQ(road.lines.size(), 1u);
  ASSERT_EQ(road.labels.size(), 1u);
  EXPECT_EQ(road.labels[0]->FText, "施工道路");
  EXPECT_EQ(road.labels[0]->FFont->FHeight, 10);
  EXPECT_NEAR(road.labels[0]->FXzJd, 30, 1e-12);
  auto& closed = dynamic_cast<const TCustomMltLine&>(*root.LayerList(2)->Figures(0));
  ASSERT_EQ(closed.GetPointCount(), 5);
  ASSERT_EQ(wall.lines.size(), 1u);
  EXPECT_TRUE(Near(wall.lines[0].first, 12, 0) && Near(wall.lines[0].second, 12, 0)) << "closed: back at the start";
  EXPECT_EQ(closed.Vertex(1).FLx, blArc);
  EXPECT_EQ(closed.Vertex(1).FDirection, 0) << "a negative bulge turns clockwise";
  // The page: the header's extents grown by the turned text (the quarter
  // bulge of the second polyline turns inwards).
  EXPECT_NEAR(root.FAbsx, 3, 1e-9);
  EXPECT_NEAR(root.FAbsy, 5, 1e-9);
  EXPECT_NEAR(root.FWidth, 23, 1e-9);
  EXPECT_NEAR(root.FHeight, 3 + 10 * std::cos(std::numbers::pi / 6) + 5, 1e-9);
}

TEST(DxfFiles, LatinCodePage) {
  TTxFigureSet root;
  const auto r = Open(root, "latin1_ansi1252.dxf");
  ASSERT_TRUE(r.Complete) << r.Error;
  EXPECT_EQ(Entries(root), (std::vector<std::string>{"Zäune=2"}));
  const TSeen s = Layer(root, 0);
  ASSERT_EQ(s.labels.size(), 1u);
  EXPECT_EQ(s.labels[0]->FText, "Café Müller");
  EXPECT_EQ(s.labels[0]->FFont->FHeight, 5);
  EXPECT_TRUE(HasLine(s, 0, 0, 4, 0));
}

TEST(DxfFiles, ScaledMirroredRotatedAndNestedInserts) {
  TTxFigureSet root;
  const auto r = Open(root, "r12_blocks_inserts.dxf");
  ASSERT_TRUE(r.Complete) << r.Error;
  EXPECT_EQ(Entries(root), (std::vector<std::string>{"plain=2", "mirrored=1", "rotated=1", "nested=1"}));
  const TSeen plain = Layer(root, 0), mirrored = Layer(root, 1), rotated = Layer(root, 2), nested = Layer(root, 3);
  EXPECT_TRUE(HasLine(plain, 100, 100, 110, 100));
  EXPECT_TRUE(HasCircle(plain, 110, 100, 2));
  EXPECT_TRUE(HasLine(mirrored, 100, 50, 90, 50));
  EXPECT_TRUE(HasCircle(mirrored, 90, 50, 2));
  EXPECT_TRUE(HasLine(rotated, 50, 50, 50, 60));
  EXPECT_TRUE(HasCircle(rotated, 50, 60, 2));
  // PAIR at half size: MARK as it is, and MARK twice as large turned 45 degrees.
  EXPECT_EQ(nested.blocks, 3);
  const double c = 10 * std::cos(std::numbers::pi / 4);
  EXPECT_TRUE(HasLine(nested, 0, 0, 5, 0));
  EXPECT_TRUE(HasCircle(nested, 5, 0, 1));
  EXPECT_TRUE(HasLine(nested, 0, 10, c, 10 + c));
  EXPECT_TRUE(HasCircle(nested, c, 10 + c, 2));
  for (const TSeen* s : {&plain, &mirrored, &rotated}) {
    ASSERT_EQ(s->labels.size(), 1u);
    EXPECT_EQ(s->labels[0]->FText, "M");
  }
  EXPECT_EQ(nested.labels.size(), 2u);
}

TEST(DxfFiles, PolygonMeshAndPolyfaceMesh) {
  TTxFigureSet root;
  const auto r = Open(root, "r12_meshes.dxf");
  ASSERT_TRUE(r.Complete) << r.Error;
  EXPECT_EQ(Entries(root), (std::vector<std::string>{"mesh=2", "face=1"}));
  EXPECT_EQ(Layer(root, 0).meshes, 1);
  auto& mesh = dynamic_cast<const TPolygonMesh&>(*root.LayerList(0)->Figures(0));
  EXPECT_EQ(mesh.FMCount, 3);
  EXPECT_EQ(mesh.FNCount, 2);
  // The polyface mesh makes no figure, and the user is told.
  EXPECT_EQ(root.LayerList(1)->Count(), 0);
  EXPECT_EQ(r.Skipped.count("POLYLINE"), 1u);
  EXPECT_NEAR(root.FWidth, 20, 1e-9);
  EXPECT_NEAR(root.FHeight, 5, 1e-9);
}

TEST(DxfFiles, EveryDamagedKindEndsWithItsLineNamedInChinese) {
  const struct {
    const char* file;
    int line;
    const char* says;
  } cases[] = {
      {"bad_number.dxf", 26, "Invalid Floating point conversion"},
      {"truncated.dxf", 22, "ends in the middle"},
      {"odd_last_line.dxf", 19, "without its value"},
      {"missing_eof.dxf", 18, "without EOF"},
      {"mesh_count.dxf", 18, "100 x 100 does not match its 1 vertices"},
      {"lwpolyline_count.dxf", 18, "names 9999 vertices (group 90) but holds 2"},
      {"polyface_count.dxf", 18, "names 50 vertices but holds 1"},
  };
  for (const auto& c : cases) {
    TTxFigureSet root;
    const auto r = Open(root, c.file);
    EXPECT_FALSE(r.Complete) << c.file;
    EXPECT_EQ(r.ErrorLine, c.line) << c.file << ": " << r.Error;
    EXPECT_NE(r.Error.find(c.says), std::string::npos) << c.file << ": " << r.Error;
    EXPECT_EQ(r.ErrorNote(), "文件在第 " + std::to_string(c.line) + " 行附近有错，其后的内容未能读入。") << c.file;
    // The line before the damage is kept.
    ASSERT_GE(root.LayerCount(), 1) << c.file;
    EXPECT_EQ(Layer(root, 0).lines.size(), 1u) << c.file;
  }
}

TEST(DxfFiles, PublicSamplesOpenWithTheirEntities) {
  const std::string dir = "/work/shared/dxf-public/";
  if (!std::filesystem::exists(dir + "ASCII_R12.dxf")) GTEST_SKIP() << "the public samples are not on this machine";
  const struct {
    const char* file;
    std::size_t figures;
    std::vector<std::string> layers;
  } cases[] = {
      {"AC1003_LINE_Example.dxf", 22, {"1=2"}},
      {"R12_with_trash_beyond_EOF.dxf", 1, {"Layer_is_a_required_tag=2"}},
      {"POLI-ALL210_12.DXF", 30, {"0=2", "T-2DPLINE-ALL=1"}},
      // No code page: the Latin letters are no GBK.
      {"ASCII_R12.dxf", 4, {"0=2", "ΛΑΓΕΡÄÜÖ=1"}},
      {"issue1106.dxf", 10, {"0=2"}},
  };
  for (const auto& c : cases) {
    TTxFigureSet root;
    const auto r = ReadFromDxfFile(root, dir + c.file);
    ASSERT_TRUE(r.Complete) << c.file << ": " << r.Error;
    EXPECT_EQ(r.Figures, c.figures) << c.file;
    EXPECT_EQ(Entries(root), c.layers) << c.file;
  }
}
