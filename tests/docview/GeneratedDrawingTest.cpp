// The benchmarks' generated drawings: every family in them, the same count
// and seed giving the same bytes, and what is saved read back unchanged.

#include "bench/DrawingGenerator.h"
#include "docview/FiguresDoc.h"
#include "foundation/ComponentImage.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace {

TFiguresDoc& Doc(TTxProjectFile& File) { return *File.FTxProject->FTxSpaces->Docs(0); }

std::map<std::string, int> ClassCounts(TFiguresDoc& D) {
  std::map<std::string, int> out;
  TTxFigureSet& root = *D.FFigures;
  for (int l = 0; l < root.LayerCount(); ++l)
    for (int i = 0; i < root.LayerList(l)->Count(); ++i) ++out[root.LayerList(l)->Figures(i)->ClassType().Name];
  return out;
}

TEST(GeneratedDrawing, HoldsEveryFamilyOfASitePlanAndExactlyTheCountAskedFor) {
  RegisterDocumentClasses();
  auto file = GenerateDrawingFile(20000, 3);
  const std::map<std::string, int> counts = ClassCounts(Doc(*file));
  int total = 0;
  for (const auto& [name, n] : counts) total += n;
  EXPECT_EQ(total, 20000);
  for (const char* name :
       {"TTxLine", "TTxPolygon", "TTxFRectangle", "TTxZPolygon", "TTxCircle", "TTxEllipse", "TTxRoundRect",
        "TComboFigure", "TConstructionLine", "TTxArc", "TTxChord", "TTxCirpart", "TTxRectArc", "TArrowLine",
        "TDimension", "TTxEdit", "TTxXLabel", "TTxMemo", "TTxTextLine", "TTxTadiao", "TTxBlock", "TTxPicture",
        "TTxMltLine", "TPenLine", "TBezier", "TDoubleLine", "TDxLine", "TDLine", "TTrailLine"})
    EXPECT_GT(counts.count(name) ? counts.at(name) : 0, 0) << name;
  // Wall lines stay the bulk, as in a real plan; texts and symbols a few hundredths each.
  EXPECT_GT(counts.at("TTxLine"), 20000 / 2);
  EXPECT_GT(counts.at("TTxBlock"), 20000 / 50);
}

TEST(GeneratedDrawing, TheSameCountAndSeedGiveTheSameBytesAndTheyReadBackUnchanged) {
  RegisterDocumentClasses();
  auto a = GenerateDrawingFile(3000, 9), b = GenerateDrawingFile(3000, 9), c = GenerateDrawingFile(3000, 10);
  const std::vector<std::uint8_t> bytes = WriteResourceImage(*a);
  EXPECT_EQ(WriteResourceImage(*b), bytes);
  EXPECT_NE(WriteResourceImage(*c), bytes);
  TTxProjectFile back;
  ReadComponentImage(std::span(bytes).subspan(SkipResourceHeader(bytes)), back);
  EXPECT_EQ(ClassCounts(Doc(back)), ClassCounts(Doc(*a)));
  EXPECT_EQ(WriteResourceImage(back), bytes);
}

}  // namespace
