// The writer's output against group sequences written out by hand.

#include "interchange/DxfWriter.h"

#include "foundation/GbkCodec.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string G(std::initializer_list<std::pair<int, std::string>> Groups) {
  std::string s;
  for (const auto& [c, v] : Groups) s += std::to_string(c) + "\r\n" + v + "\r\n";
  return s;
}

}  // namespace

TEST(DxfWriter, NumbersAreShortestCLocaleAndTheTablesUseTheFixedNotation) {
  EXPECT_EQ(DxfNumber(0.1), "0.1");
  EXPECT_EQ(DxfNumber(100), "100");
  EXPECT_EQ(DxfNumber(-2.5e-7), "-2.5e-07");
  EXPECT_EQ(DxfNumber(-0.0), "0");
  EXPECT_EQ(std::stod(DxfNumber(1.0 / 3)), 1.0 / 3);
  EXPECT_EQ(DxfFixedReal(49.566234), " 4.95662340000000E+0001");
  EXPECT_EQ(DxfFixedReal(0), " 0.00000000000000E+0000");
  EXPECT_EQ(DxfFixedReal(-0.015), "-1.50000000000000E-0002");
  EXPECT_EQ(DxfLayerName("道路=1/a:b"), "道路_1_a_b");
  EXPECT_EQ(DxfLayerName(""), "0");
  // No \U+ escapes in layer names: what GBK lacks becomes "_", a byte kept
  // from the file stays.
  EXPECT_EQ(DxfLayerName("ΛΑΓΕΡÄ"), "ΛΑΓΕΡ_");
  EXPECT_EQ(DxfLayerName(GbkToUtf8("a\x80")), GbkToUtf8("a\x80"));
}

TEST(DxfWriter, TablesAreWrittenGroupByGroup) {
  std::vector<std::unique_ptr<DXF_Layer>> layers;
  layers.push_back(std::make_unique<DXF_Layer>("道路", 7));
  layers.push_back(std::make_unique<DXF_Layer>("hidden", 3));
  layers.back()->layer_off = true;
  std::string out;
  DXF_Writer(out).write_tables(layers);
  const std::string expected =
      G({{0, "SECTION"}, {2, "TABLES"},
         {0, "TABLE"}, {2, "VPORT"}, {0, "VPORT"}, {2, "*ACTIVE"}, {70, "0"},
         {10, " 0.00000000000000E+0000"}, {20, " 0.00000000000000E+0000"},
         {11, " 1.00000000000000E+0000"}, {21, " 1.00000000000000E+0000"},
         {12, " 4.95662340000000E+0001"}, {22, " 3.27253270000000E+0001"},
         {13, " 0.00000000000000E+0000"}, {23, " 0.00000000000000E+0000"},
         {14, " 1.00000000000000E+0000"}, {24, " 1.00000000000000E+0000"},
         {15, " 0.00000000000000E+0000"}, {25, " 0.00000000000000E+0000"},
         {16, "0"}, {26, "0"}, {36, " 1.00000000000000E+0000"},
         {17, " 0.00000000000000E+0000"}, {27, " 0.00000000000000E+0000"}, {37, " 0.00000000000000E+0000"},
         {40, " 4.85235410000000E+0001"}, {41, " 1.64742300000000E+0000"}, {42, " 5.00000000000000E+0001"},
         {43, " 0.00000000000000E+0000"}, {44, " 0.00000000000000E+0000"},
         {50, " 0.00000000000000E+0000"}, {51, " 0.00000000000000E+0000"},
         {71, "0"}, {72, "100"}, {73, "1"}, {74, "0"}, {75, "0"}, {76, "0"}, {77, "0"}, {78, "0"},
         {0, "ENDTAB"},
         {0, "TABLE"}, {2, "LAYER"}, {70, "2"},
         {0, "LAYER"}, {2, "\xB5\xC0\xC2\xB7"}, {70, "64"}, {62, "7"}, {6, "CONTINUOUS"},
         {0, "LAYER"}, {2, "hidden"}, {70, "64"}, {62, "-3"}, {6, "CONTINUOUS"},
         {0, "ENDTAB"},
         {0, "TABLE"}, {2, "STYLE"}, {70, "2"},
         {0, "STYLE"}, {2, "STANDARD"}, {70, "0"}, {40, "0"}, {41, "1.0"}, {50, "0.0"}, {71, "0"},
         {42, " 8.00000000000000E+0000"}, {3, "COMPLEX"}, {4, ""},
         {0, "STYLE"}, {2, "SIMSUN"}, {70, "0"}, {40, "0"}, {41, "1"}, {50, "0.0"}, {71, "0"}, {42, "0"},
         {3, "SIMSUN.TTF"}, {4, ""},
         {0, "ENDTAB"}, {0, "ENDSEC"}});
  EXPECT_EQ(out, expected);
}

TEST(DxfWriter, HeaderEntitiesAndEof) {
  std::vector<std::unique_ptr<DXF_Layer>> layers;
  layers.push_back(std::make_unique<DXF_Layer>("a"));
  auto line = std::make_unique<Line_>();
  line->p1 = {1, 2, 0};
  line->p2 = {-3, 0.5, 0};
  line->setcolour(RGB(255, 0, 0));  // index 1 and 10 both: the last
  layers[0]->add_entity(std::move(line));
  auto text = std::make_unique<Text_>();
  text->p1 = {0, 0, 0};
  text->h = 7;
  text->textstr = "塔吊😀";
  text->setcolour(RGB(0, 0, 254));  // no exact palette entry: the nearest, blue
  layers[0]->add_entity(std::move(text));
  std::string out;
  DXF_Writer(out).write_file(layers);
  const std::string expected =
      G({{0, "SECTION"}, {2, "HEADER"}, {9, "$ACADVER"}, {1, "AC1009"}, {9, "$DWGCODEPAGE"}, {3, "ANSI_936"},
         {9, "$EXTMIN"}, {10, "-3"}, {20, "0"}, {30, "0"}, {9, "$EXTMAX"}, {10, "1"}, {20, "2"}, {30, "0"}, {0, "ENDSEC"},
         {0, "SECTION"}, {2, "CLASSES"}, {0, "ENDSEC"}});
  ASSERT_EQ(out.substr(0, expected.size()), expected);
  const std::string entities =
      G({{0, "SECTION"}, {2, "BLOCKS"}, {0, "ENDSEC"}, {0, "SECTION"}, {2, "ENTITIES"},
         {0, "LINE"}, {8, "a"}, {62, "10"}, {10, "1"}, {20, "2"}, {30, "0"}, {11, "-3"}, {21, "0.5"}, {31, "0"},
         {0, "TEXT"}, {8, "a"}, {62, "5"}, {10, "0"}, {20, "0"}, {30, "0"}, {40, "7"}, {1, "\xCB\xFE\xB5\xF5\\U+01F600"},
         {50, "0"}, {7, "SIMSUN"}, {0, "ENDSEC"}, {0, "EOF"}});
  ASSERT_GE(out.size(), entities.size());
  EXPECT_EQ(out.substr(out.size() - entities.size()), entities);

  // Nothing to write: extents of nothing, not 1e10 and -1e10.
  std::vector<std::unique_ptr<DXF_Layer>> none;
  none.push_back(std::make_unique<DXF_Layer>("0"));
  std::string empty;
  DXF_Writer(empty).write_file(none);
  EXPECT_NE(empty.find(G({{9, "$EXTMIN"}, {10, "0"}, {20, "0"}, {30, "0"}})), std::string::npos);
}
