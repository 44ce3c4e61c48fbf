// The reader on DXF text written by hand: what it builds, how it decodes
// texts, and how every kind of damage ends with the line named.

#include "interchange/DxfReader.h"

#include "foundation/GbkCodec.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

namespace {

// Groups as "code\nvalue" pairs joined into a file with CR LF line ends.
std::string Dxf(std::initializer_list<std::pair<int, std::string>> Groups) {
  std::string s;
  for (const auto& [c, v] : Groups) s += std::to_string(c) + "\r\n" + v + "\r\n";
  return s;
}

std::string Entities(const std::string& Body) { return "0\r\nSECTION\r\n2\r\nENTITIES\r\n" + Body + "0\r\nENDSEC\r\n0\r\nEOF\r\n"; }

const DXF_Entity& Only(const DXF_Reader& R, std::size_t Layer = 0, std::size_t List = 0, std::size_t Index = 0) {
  return *R.layers.at(Layer)->entity_lists.at(List).at(Index);
}

}  // namespace

TEST(DxfReader, ReadsHeaderTablesBlocksAndEntities) {
  const std::string text =
      Dxf({{0, "SECTION"}, {2, "HEADER"}, {9, "$ACADVER"}, {1, "AC1009"}, {9, "$EXTMIN"}, {10, "-5"}, {20, "2.5"},
           {30, "0"}, {9, "$EXTMAX"}, {10, "100"}, {20, "50"}, {30, "0"}, {0, "ENDSEC"},
           {0, "SECTION"}, {2, "TABLES"}, {0, "TABLE"}, {2, "LAYER"}, {70, "2"},
           {0, "LAYER"}, {2, "walls"}, {70, "0"}, {62, "3"}, {6, "CONTINUOUS"},
           {0, "LAYER"}, {2, "hidden"}, {70, "0"}, {62, "-5"}, {6, "CONTINUOUS"}, {0, "ENDTAB"}, {0, "ENDSEC"},
           {0, "SECTION"}, {2, "BLOCKS"}, {0, "BLOCK"}, {8, "0"}, {2, "door"}, {70, "0"}, {10, "1"}, {20, "2"}, {30, "0"},
           {0, "LINE"}, {8, "0"}, {10, "0"}, {20, "0"}, {11, "1"}, {21, "1"}, {0, "ENDBLK"}, {8, "0"}, {0, "ENDSEC"},
           {0, "SECTION"}, {2, "ENTITIES"},
           // "WALLS": layer names ignore letter case.
           {0, "LINE"}, {8, "WALLS"}, {10, "1.5"}, {20, "2"}, {30, "0"}, {11, "3"}, {21, "4e1"}, {31, "0"},
           {0, "ARC"}, {8, "walls"}, {62, "256"}, {10, "0"}, {20, "0"}, {40, "5"}, {50, "30"}, {51, "120"},
           {0, "POLYLINE"}, {8, "new"}, {66, "1"}, {70, "1"}, {0, "VERTEX"}, {8, "new"}, {10, "0"}, {20, "0"}, {42, "1"},
           {0, "VERTEX"}, {8, "new"}, {10, "10"}, {20, "0"}, {0, "VERTEX"}, {8, "new"}, {10, "10"}, {20, "10"},
           {0, "SEQEND"}, {8, "new"},
           {0, "INSERT"}, {8, "new"}, {2, "DOOR"}, {10, "5"}, {20, "6"}, {41, "-1"}, {50, "90"},
           {0, "HATCH"}, {8, "new"}, {0, "ENDSEC"}, {0, "EOF"}});
  DXF_Reader r;
  ASSERT_TRUE(r.read_text(text)) << r.error();
  ASSERT_TRUE(r.has_extents);
  EXPECT_EQ(r.min_extents.x, -5);
  EXPECT_EQ(r.min_extents.y, 2.5);
  EXPECT_EQ(r.max_extents.x, 100);
  ASSERT_EQ(r.layers.size(), 3u);
  EXPECT_EQ(r.layers[0]->layer_name, "walls");
  EXPECT_EQ(r.layers[0]->layer_colinx, 3);
  EXPECT_FALSE(r.layers[0]->layer_off);
  EXPECT_TRUE(r.layers[1]->layer_off);
  EXPECT_EQ(r.layers[1]->layer_colinx, 5);
  EXPECT_EQ(r.layers[2]->layer_name, "new");
  // walls: one LINE list, one ARC list, in the order the kinds came.
  ASSERT_EQ(r.layers[0]->entity_names, (std::vector<std::string>{"LINE", "ARC"}));
  const auto& line = static_cast<const Line_&>(Only(r));
  EXPECT_EQ(line.p1.x, 1.5);
  EXPECT_EQ(line.p2.y, 40);
  const auto& arc = static_cast<const Arc_&>(Only(r, 0, 1));
  EXPECT_EQ(arc.angle1, 30);
  EXPECT_EQ(arc.angle2, 120);
  EXPECT_EQ(arc.colinx, 3) << "BYLAYER takes the layer's colour";
  const auto& pl = static_cast<const Polyline_&>(Only(r, 2));
  EXPECT_TRUE(pl.closed);
  ASSERT_EQ(pl.numvertices(), 3);
  EXPECT_EQ(pl.bulges[0], 1);
  const auto& ins = static_cast<const Insert_&>(Only(r, 2, 1));
  EXPECT_EQ(ins.scale.x, -1);
  EXPECT_EQ(ins.scale.y, 1) << "a missing scale is 1";
  EXPECT_EQ(ins.rotation, 90);
  const Block_* door = r.block("door");
  ASSERT_NE(door, nullptr);
  EXPECT_EQ(door->basepoint.x, 1);
  EXPECT_EQ(door->entities.size(), 1u);
  EXPECT_EQ(r.skipped.at("HATCH"), 1);
}

TEST(DxfReader, ColourNumbersOutsideThePaletteAreMended) {
  const std::string body = Dxf({{0, "TABLE"}}).substr(0, 0) +
                           Dxf({{0, "LINE"}, {8, "a"}, {62, "-3"}, {0, "LINE"}, {8, "a"}, {62, "300"},
                                {0, "LINE"}, {8, "a"}, {62, "256"}, {0, "LINE"}, {8, "a"}, {62, "-999"}});
  DXF_Reader r;
  ASSERT_TRUE(r.read_text(Entities(body))) << r.error();
  const auto& list = r.layers[0]->entity_lists[0];
  EXPECT_EQ(list[0]->colinx, 3);
  EXPECT_EQ(list[1]->colinx, 7);
  EXPECT_EQ(list[2]->colinx, 7);  // the layer's (white, shown black)
  EXPECT_EQ(list[3]->colinx, 7);
  EXPECT_EQ(DxfColourIndex(256, 4), 4);
  EXPECT_EQ(DXF_Layer_Colours[1], RGB(255, 0, 0));
  EXPECT_EQ(DXF_Layer_Colours[7], 0u);
  EXPECT_EQ(DXF_Layer_Colours[11], RGB(255, 127, 127));
  EXPECT_EQ(DXF_Layer_Colours[250], RGB(51, 51, 51));
}

TEST(DxfReader, TextsFollowTheCodePageAndEscapes) {
  auto header = [](const std::string& Ver, const std::string& Page) {
    std::string h = "0\r\nSECTION\r\n2\r\nHEADER\r\n9\r\n$ACADVER\r\n1\r\n" + Ver + "\r\n";
    if (!Page.empty()) h += "9\r\n$DWGCODEPAGE\r\n3\r\n" + Page + "\r\n";
    return h + "0\r\nENDSEC\r\n";
  };
  auto text = [&](const std::string& Ver, const std::string& Page, const std::string& Raw) {
    DXF_Reader r;
    EXPECT_TRUE(r.read_text(header(Ver, Page) + Entities(Dxf({{0, "TEXT"}, {8, Raw}, {1, Raw}})))) << r.error();
    EXPECT_EQ(r.layers[0]->layer_name, static_cast<const Text_&>(Only(r)).textstr);
    return static_cast<const Text_&>(Only(r)).textstr;
  };
  EXPECT_EQ(text("AC1009", "ANSI_936", "\xB5\xC0\xC2\xB7"), "道路");
  EXPECT_EQ(text("AC1009", "", "\xB5\xC0\xC2\xB7"), "道路") << "GBK when no code page is given";
  EXPECT_EQ(text("AC1009", "", "\xC4\xDC\xD6"), "ÄÜÖ") << "no GBK and no code page: Windows Latin";
  EXPECT_EQ(text("AC1009", "", "\x80\x81"), GbkToUtf8("\x80\x81")) << "neither: kept byte for byte";
  EXPECT_EQ(text("AC1015", "ANSI_1252", "caf\xE9"), "café");
  EXPECT_EQ(text("AC1021", "ANSI_936", "道路"), "道路") << "UTF-8 from AC1021 on";
  EXPECT_EQ(text("AC1015", "ANSI_1252", "\\U+9053\\U+8DEF 45%%d"), "道路 45°");
}

// Each damaged file ends with a message naming its line, and keeps what was read before.
TEST(DxfReader, DamagedFilesEndWithTheLineNamed) {
  const std::string line = Dxf({{0, "LINE"}, {8, "a"}, {10, "1"}, {20, "2"}, {11, "3"}, {21, "4"}});
  std::string many;
  for (int i = 0; i <= DxfMaxVertices; ++i) many += Dxf({{0, "VERTEX"}, {10, std::to_string(i)}, {20, "0"}});
  const struct {
    const char* what;
    std::string text;
    int line;
    const char* says;
    bool keeps;  // the LINE before was complete
  } cases[] = {
      {"a number that does not convert", Entities(line + Dxf({{0, "CIRCLE"}, {8, "a"}, {40, "1,5"}})), 22,
       "Error reading CIRCLE entity: Invalid Floating point conversion", true},
      {"a group code that is no number", Entities(line + "x1\r\nLINE\r\n"), 17, "Invalid Integer conversion", false},
      {"an odd last line", "0\r\nSECTION\r\n2\r\nENTITIES\r\n" + line + "0", 17, "without its value", false},
      {"a missing EOF", "0\r\nSECTION\r\n2\r\nENTITIES\r\n" + line + "0\r\nENDSEC\r\n", 18, "without EOF", true},
      {"a truncated section", "0\r\nSECTION\r\n2\r\nENTITIES\r\n" + line, 16, "ends in the middle", false},
      {"an LWPOLYLINE count larger than its vertices",
       Entities(line + Dxf({{0, "LWPOLYLINE"}, {8, "a"}, {90, "2000000000"}, {10, "0"}, {20, "0"}, {10, "1"}, {20, "1"}})),
       18, "names 2000000000 vertices", true},
      {"a mesh of more rows than vertices",
       Entities(line + Dxf({{0, "POLYLINE"}, {8, "a"}, {70, "16"}, {71, "1000"}, {72, "1000"},
                            {0, "VERTEX"}, {10, "0"}, {20, "0"}, {0, "SEQEND"}})),
       18, "1000 x 1000 does not match its 1 vertices", true},
      {"a polyface mesh naming vertices it lacks",
       Entities(line + Dxf({{0, "POLYLINE"}, {8, "a"}, {70, "64"}, {71, "9"}, {0, "VERTEX"}, {70, "192"}, {0, "SEQEND"}})),
       18, "names 9 vertices but holds 1", true},
      {"a polyline over 8192 vertices", Entities(line + Dxf({{0, "POLYLINE"}, {8, "a"}}) + many), 22 + 6 * 8192,
       "Polyline contained more than 8192 vertices", true},
      {"no ENTITIES section", Dxf({{0, "SECTION"}, {2, "HEADER"}, {0, "ENDSEC"}, {0, "EOF"}}), 8,
       "No Entities or invalid Entities section", false},
      {"an empty file", "", 0, "No Entities", false},
  };
  for (const auto& c : cases) {
    DXF_Reader r;
    EXPECT_FALSE(r.read_text(c.text)) << c.what;
    EXPECT_NE(r.error().find(c.says), std::string::npos) << c.what << ": " << r.error();
    EXPECT_NE(r.error().find("Error occured at or near line number " + std::to_string(c.line)), std::string::npos)
        << c.what << ": " << r.error();
    EXPECT_EQ(r.error_line(), c.line) << c.what;
    if (c.keeps) {
      ASSERT_FALSE(r.layers.empty()) << c.what;
      EXPECT_EQ(r.layers[0]->entity_count(), 1u) << c.what << ": the line read before stays";
    }
  }
}

TEST(DxfReader, TrashAfterEofAndPublicSamplesRead) {
  DXF_Reader r;
  EXPECT_TRUE(r.read_text(Entities("") + "garbage\r\nmore\r\n")) << r.error();
  const std::string dir = "/work/shared/dxf-public/";
  for (const char* name : {"AC1003_LINE_Example.dxf", "ASCII_R12.dxf", "POLI-ALL210_12.DXF", "R12_with_trash_beyond_EOF.dxf", "issue1106.dxf"}) {
    DXF_Reader f(dir + name);
    if (!std::ifstream(f.file_name)) GTEST_SKIP() << "the public samples are not on this machine";
    EXPECT_TRUE(f.read_file()) << name << ": " << f.error();
  }
}
