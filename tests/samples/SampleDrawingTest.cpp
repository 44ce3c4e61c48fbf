// The committed sample drawing: it must keep reading with its layers and
// figures, and writing it back must give the same image, so the file the
// editor opens first can never silently go unreadable or stale.

#include "docview/FiguresDoc.h"
#include "figures/Arcs.h"
#include "figures/ComboFigure.h"
#include "figures/LineFigures.h"
#include "figures/RoundShapes.h"
#include "figures/RouteLines.h"
#include "figures/Texts.h"
#include "figures/TowerCrane.h"
#include "figures/WdbxShapes.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

const std::string kSample = PLANDECK_SAMPLES "/site.gck";

std::vector<unsigned char> Inflated(const std::string& Path) {
  std::ifstream f(Path, std::ios::binary);
  const std::vector<unsigned char> z(std::istreambuf_iterator<char>(f), {});
  std::vector<unsigned char> out(1 << 20);
  uLongf len = out.size();
  EXPECT_EQ(uncompress(out.data(), &len, z.data(), z.size()), Z_OK) << Path;
  out.resize(len);
  return out;
}

template <class T>
int CountOf(const TTxCollectFigure& Layer) {
  int n = 0;
  for (int i = 0; i < Layer.Count(); ++i) n += dynamic_cast<const T*>(Layer.Figures(i)) != nullptr;
  return n;
}

class SampleDrawing : public ::testing::Test {
protected:
  void SetUp() override {
    RegisterDocumentClasses();
    const TDrawingReadResult result = ReadDrawingFile(kSample, File);
    ASSERT_TRUE(result.Ok) << kSample << ": " << result.Error;
    ASSERT_EQ(File.FTxProject->FTxSpaces->Count(), 1);
    Doc = File.FTxProject->FTxSpaces->Docs(0);
  }
  TTxProjectFile File;
  TFiguresDoc* Doc = nullptr;
};

}  // namespace

TEST_F(SampleDrawing, ReadsWithItsSevenNamedLayersAndTheBoundaryCurrent) {
  const TTxFigureSet& root = *Doc->FFigures;
  ASSERT_EQ(root.LayerCount(), 7);
  EXPECT_EQ(root.FLayers[0].Entry, "道路=1");
  EXPECT_EQ(root.FLayers[1].Entry, "场地边界=2");
  EXPECT_EQ(root.FLayers[2].Entry, "建筑=1");
  EXPECT_EQ(root.FLayers[3].Entry, "尺寸标注=1");
  EXPECT_EQ(root.FLayers[4].Entry, "指示箭头=1");
  EXPECT_EQ(root.FLayers[5].Entry, "塔吊=1");
  EXPECT_EQ(root.FLayers[6].Entry, "文字标注=1");
  EXPECT_EQ(root.FFigures, root.LayerList(1));
}

TEST_F(SampleDrawing, HoldsTheRoadsRoutesOutlineBuildingsDimensionsArrowsAndCranes) {
  const TTxFigureSet& root = *Doc->FFigures;
  ASSERT_EQ(root.LayerCount(), 7);
  const TTxCollectFigure& road = *root.LayerList(0);
  EXPECT_EQ(road.Count(), 11);
  EXPECT_EQ(CountOf<TTxLine>(road), 7);
  EXPECT_EQ(CountOf<TDoubleLine>(road), 1);
  EXPECT_EQ(CountOf<TTrailLine>(road), 1);
  EXPECT_EQ(CountOf<TDLine>(road), 1);
  EXPECT_EQ(CountOf<TDxLine>(road), 1);
  EXPECT_EQ(root.LayerList(1)->Count(), 6);
  EXPECT_EQ(CountOf<TConstructionLine>(*root.LayerList(1)), 5);
  EXPECT_EQ(CountOf<TComboFigure>(*root.LayerList(1)), 1);
  const TTxCollectFigure& buildings = *root.LayerList(2);
  EXPECT_EQ(buildings.Count(), 4);
  EXPECT_EQ(CountOf<TTxPolygon>(buildings), 1);
  EXPECT_EQ(CountOf<TTxFRectangle>(buildings), 2);
  EXPECT_EQ(CountOf<TTxRoundRect>(buildings), 1);
  EXPECT_EQ(root.LayerList(3)->Count(), 2);
  EXPECT_EQ(CountOf<TArrowLine>(*root.LayerList(3)), 2);
  EXPECT_EQ(root.LayerList(4)->Count(), 2);
  EXPECT_EQ(CountOf<TTxLine>(*root.LayerList(4)), 2);
  EXPECT_EQ(root.LayerList(5)->Count(), 5);
  EXPECT_EQ(CountOf<TTxChord>(*root.LayerList(5)), 1);
  EXPECT_EQ(CountOf<TTxTadiao>(*root.LayerList(5)), 2);
  EXPECT_EQ(CountOf<TTxCircle>(*root.LayerList(5)), 2);
}

TEST_F(SampleDrawing, TheParcelIsTheLandLessTheNeighboursPlotAndTheZoneASector) {
  TTxFigureSet& root = *Doc->FFigures;
  const TComboFigure* parcel = nullptr;
  for (int i = 0; i < root.LayerList(1)->Count(); ++i)
    if (auto* c = dynamic_cast<const TComboFigure*>(root.LayerList(1)->Figures(i))) parcel = c;
  ASSERT_NE(parcel, nullptr);
  EXPECT_EQ(parcel->FStyle, csSubtract);
  // Read, never painted: the area answers at once.
  EXPECT_TRUE(parcel->Selected({300, 300}, 1));
  EXPECT_FALSE(parcel->Selected({600, 470}, 1));  // the neighbour's plot
  const TTxChord* zone = nullptr;
  for (int i = 0; i < root.LayerList(5)->Count(); ++i)
    if (auto* z = dynamic_cast<const TTxChord*>(root.LayerList(5)->Figures(i))) zone = z;
  ASSERT_NE(zone, nullptr);
  EXPECT_NEAR(zone->Radius(), 160, 1e-9);
  EXPECT_NEAR(zone->GetSumjd(), 70 * 3.14159265358979 / 180, 1e-9);
}

TEST_F(SampleDrawing, DimensionsMeasureTheSiteInMetres) {
  // An A3 sheet at 1:500: a quarter metre per unit, 210 m x 148.5 m.
  EXPECT_EQ(Doc->FScale, 0.25);
  EXPECT_EQ(Doc->FFigures->FWidth, 840);
  EXPECT_EQ(Doc->FFigures->FHeight, 594);
  const TTxCollectFigure& dims = *Doc->FFigures->LayerList(3);
  std::vector<std::string> texts;
  for (int i = 0; i < dims.Count(); ++i) {
    const auto* d = dynamic_cast<const TArrowLine*>(dims.Figures(i));
    ASSERT_NE(d, nullptr);
    ASSERT_EQ(d->FBzLines.size(), 1u);
    EXPECT_TRUE(d->FBzLines[0].AutoCalText);
    texts.push_back(d->FBzLines[0].Text);
  }
  // Index 0 is the topmost, the last added: the west side, then the south.
  EXPECT_EQ(texts, (std::vector<std::string>{"80.000", "120.000"}));
  // The cranes' labels are their working radii, 40 m and 50 m; the
  // restricted zone lies above them.
  const TTxCollectFigure& cranes = *Doc->FFigures->LayerList(5);
  ASSERT_EQ(cranes.Count(), 5);
  EXPECT_EQ(dynamic_cast<const TTxTadiao&>(*cranes.Figures(1)).FText, "40.000");
  EXPECT_EQ(dynamic_cast<const TTxTadiao&>(*cranes.Figures(2)).FText, "50.000");
}

TEST_F(SampleDrawing, AnnotatesTheCranesBuildingAndRoadWithChineseTexts) {
  const TTxCollectFigure& texts = *Doc->FFigures->LayerList(6);
  std::vector<std::string> labels;
  int memos = 0, leaders = 0, lines = 0;
  for (int i = 0; i < texts.Count(); ++i) {
    const TCustomFigure* f = texts.Figures(i);
    if (const auto* l = dynamic_cast<const TTxXLabel*>(f)) labels.push_back(l->FText);
    if (const auto* m = dynamic_cast<const TTxMemo*>(f)) {
      ++memos;
      ASSERT_FALSE(m->FLines.empty());
      EXPECT_EQ(m->FLines.front(), "施工说明：");
    }
    leaders += dynamic_cast<const TDimension*>(f) != nullptr;
    lines += dynamic_cast<const TTxTextLine*>(f) != nullptr;
  }
  // Index 0 is the last added.
  EXPECT_EQ(labels, (std::vector<std::string>{"施工道路", "拟建建筑", "2#塔吊", "1#塔吊"}));
  EXPECT_EQ(memos, 1);
  EXPECT_EQ(leaders, 2);
  EXPECT_EQ(lines, 1);
}

TEST_F(SampleDrawing, WritingItBackGivesTheSameImage) {
  const fs::path copy = fs::temp_directory_path() / ("plandeck-sample-" + std::to_string(::getpid()) + ".gck");
  WriteDrawingFile(copy.string(), File);
  const auto written = Inflated(copy.string());
  fs::remove(copy);
  EXPECT_EQ(written, Inflated(kSample)) << "the file format moved on: rebuild the sample with make_sample";
}
