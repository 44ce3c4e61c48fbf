// The batch command line: arguments, "info" as JSON, "convert" to a drawing
// (the same image byte for byte) and to pictures, and every failure leaving
// the output alone.

#include "app/CommandLine.h"

#include "figures/Blocks.h"

#include "docview/FiguresDoc.h"
#include "figures/FigureSet.h"
#include "figures/LineFigures.h"
#include "foundation/Streams.h"
#include "foundation/ZLibContainer.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<std::uint8_t>;

struct TRun {
  int Code;
  std::string Out;
  std::string Err;
};

TRun Plandeck(std::initializer_list<std::string> Args) {
  std::vector<std::string> words{"plandeck"};
  words.insert(words.end(), Args);
  std::vector<char*> argv;
  for (std::string& w : words) argv.push_back(w.data());
  argv.push_back(nullptr);
  std::ostringstream out, err;
  const int code = RunCommandLine(static_cast<int>(words.size()), argv.data(), out, err);
  return {code, out.str(), err.str()};
}

Bytes FileBytes(const fs::path& Path) {
  std::ifstream f(Path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(f), {});
}

void WriteBytes(const fs::path& Path, const Bytes& Content) {
  std::ofstream(Path, std::ios::binary).write(reinterpret_cast<const char*>(Content.data()),
                                               static_cast<std::streamsize>(Content.size()));
}

Bytes Inflated(const fs::path& Path) {
  TFileStream f(Path.string(), TFileStream::TMode::OpenRead);
  const TByteBuffer image = InflateStream(f);
  return Bytes(image.Span().begin(), image.Span().end());
}

void WriteCompressed(const fs::path& Path, const Bytes& Content) {
  TFileStream f(Path.string(), TFileStream::TMode::Create);
  DeflateToStream(Content, f);
  f.Commit();
}

// A drawing file written out by hand: one document of 420 x 297 at scale
// 2.5, scrolled to (40, 300), two empty layers "图层1=2" and "图层2=1".
Bytes HandWrittenGck() {
  Bytes b;
  auto put = [&b](std::initializer_list<int> v) {
    for (int x : v) b.push_back(static_cast<std::uint8_t>(x));
  };
  auto text = [&b](std::string_view s) { b.insert(b.end(), s.begin(), s.end()); };
  auto str = [&](std::string_view s) {
    put({static_cast<int>(s.size())});
    text(s);
  };
  const std::initializer_list<int> ext0 = {0x05, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  const std::initializer_list<int> ext1 = {0x05, 0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F};
  const std::initializer_list<int> ext30 = {0x05, 0, 0, 0, 0, 0, 0, 0, 0xF0, 0x03, 0x40};
  text("TPF0");
  str("TTxProjectFile");
  put({0});
  str("TxProject.TxSpaces.P");
  put({0x02, 0x01, 0x06, 11});
  text("TFiguresDoc");
  put({0x05, 0, 0, 0, 0, 0, 0, 0, 0xA0, 0x00, 0x40});               // scale 2.5
  put({0x02, 0, 0x02, 3, 0x02, 25, 0x02, 10, 0x02, 12, 0x02, 10});  // orientation, layout, margins
  put(ext1);                                                        // print scale
  put({0x08, 0x06, 3});                                             // no frame, "3.1"
  text("3.1");
  put({0x02, 40, 0x03, 0x2C, 0x01});  // scroll positions
  put({0x06, 0x00});                  // root: caption, scale, angle, name, pen, brush
  put(ext1);
  put(ext0);
  put({0x06, 0x00, 0x02, 0x00, 0x04, 0x00, 0x02, 0x01});
  put({0x04, 0xFF, 0xFF, 0xFF, 0x00, 0x01, 0x08});
  put({0x09});  // grid shown, 30 x 30
  put(ext30);
  put(ext30);
  put({0x04, 0xFF, 0xFF, 0xFF, 0x00, 0x04, 0xE8, 0xE4, 0xE8, 0x00, 0x02});
  put(ext0);
  put(ext0);
  put({0x05, 0, 0, 0, 0, 0, 0, 0, 0xD2, 0x07, 0x40});     // width 420
  put({0x05, 0, 0, 0, 0, 0, 0, 0x80, 0x94, 0x07, 0x40});  // height 297
  put(ext0);
  put(ext0);
  put({0x02, 0x02, 0x06, 0x07, 0xCD, 0xBC, 0xB2, 0xE3, '1', '=', '2', 0x01, 0x00});
  put({0x06, 0x07, 0xCD, 0xBC, 0xB2, 0xE3, '2', '=', '1', 0x01, 0x00});
  put({0x02, 1, 0x02, 2});  // page alignment
  str("TxProject.TxSpaces.S");
  put({0x0A, 16, 0, 0, 0, 1, 0, 0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
  str("TxProject.P");
  put({0x06, 0x04, 0xB1, 0xE0, 0xBA, 0xC5, 0x06, 0x00});
  str("TxProject.S");
  put({0x0A, 0, 0, 0, 0, 0, 0});
  // Pushed byte by byte: GCC 12 at -O2 misreads an insert after an
  // initialiser list as out of bounds.
  Bytes file;
  for (int x : {0xFF, 0x0A, 0x00}) file.push_back(static_cast<std::uint8_t>(x));
  for (char c : std::string_view("TTXPROJECTFILE")) file.push_back(static_cast<std::uint8_t>(c));
  const auto n = static_cast<std::uint32_t>(b.size());
  for (int x : {0x00, 0x30, 0x10}) file.push_back(static_cast<std::uint8_t>(x));
  for (int shift : {0, 8, 16, 24}) file.push_back(static_cast<std::uint8_t>(n >> shift));
  file.insert(file.end(), b.begin(), b.end());
  return file;
}

class CommandLine : public ::testing::Test {
protected:
  void SetUp() override {
    RegisterPlandeckClasses();
    FDir = fs::temp_directory_path() / ("plandeck-cli-" + std::to_string(::getpid()) + "-" +
                                        ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(FDir);
    fs::create_directories(FDir);
  }
  void TearDown() override { fs::remove_all(FDir); }
  std::string Path(const std::string& Name) const { return (FDir / Name).string(); }
  // Everything in the folder but the given files: temporary leftovers.
  std::vector<std::string> OtherFiles(std::initializer_list<std::string> Known) const {
    std::vector<std::string> others;
    for (const auto& e : fs::directory_iterator(FDir)) {
      const std::string n = e.path().filename().string();
      if (std::find(Known.begin(), Known.end(), n) == Known.end()) others.push_back(n);
    }
    return others;
  }

  fs::path FDir;
};

TFiguresDoc& NewDocument(TTxProjectFile& File, double Width, double Height) {
  auto& doc = *static_cast<TFiguresDoc*>(File.FTxProject->FTxSpaces->AddObject());
  doc.FFigures->FWidth = Width;
  doc.FFigures->FHeight = Height;
  return doc;
}

template <class Figure>
Figure& AddTo(TFiguresDoc& Doc, int Layer) {
  Doc.FFigures->SetCurLayer(Layer);
  auto f = std::make_unique<Figure>();
  Figure& raw = *f;
  Doc.Add(std::move(f), TPoint{0, 0}, nullptr);
  return raw;
}

// Three layers ("图层1" current, "图层2", "道路" hidden) with lines, an arrow
// line whose font style byte looks like a tag, and an edge line.
void BuildSitePlan(TTxProjectFile& File) {
  TFiguresDoc& doc = NewDocument(File, 420, 297);
  doc.FScale = 0.5;
  TTxFigureSet& root = *doc.FFigures;
  std::string name;
  root.AddLayer(name);
  root.AddLayer(name);
  auto& a = AddTo<TTxLine>(doc, 0);
  a.FQd = {10, 20};
  a.FZd = {200, 150};
  a.FCaption = "引号\"反斜杠\\换行\n制表\t控制\x01";
  auto& b = AddTo<TTxLine>(doc, 1);
  b.FQd = {-5.25, 0};
  b.FZd = {100, 1e6};
  b.FPen.Style = psDashDot;
  auto& arrow = AddTo<TArrowLine>(doc, 1);
  arrow.FQd = {30, 40};
  arrow.FZd = {300, 40};
  arrow.FFont->FStyle = fsItalic;  // 2: the tag of an 8-bit integer
  arrow.FJd = 12.5;
  auto& edge = AddTo<TConstructionLine>(doc, 2);
  edge.FQd = {0, 0};
  edge.FZd = {50, 50};
  root.SetCurLayer(0);
  root.FLayers[2].Entry = "道路=0";
}

// A second drawing: a wide page with one layer of many short lines.
void BuildWidePage(TTxProjectFile& File) {
  TFiguresDoc& doc = NewDocument(File, 6000, 900);
  for (int i = 0; i < 40; ++i) {
    auto& l = AddTo<TTxLine>(doc, 0);
    l.FQd = {i * 150.0, 100};
    l.FZd = {i * 150.0 + 120, 800 - i * 10.0};
    l.FPen.Width = i % 4;
  }
}

void Save(TTxProjectFile& File, const std::string& Path) { WriteDrawingFile(Path, File); }

QJsonObject InfoJson(const std::string& Path) {
  const TRun r = Plandeck({"info", Path});
  EXPECT_EQ(r.Code, 0) << r.Err;
  QJsonParseError error;
  const QJsonDocument json = QJsonDocument::fromJson(QByteArray::fromStdString(r.Out), &error);
  EXPECT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString() << "\n" << r.Out;
  return json.object();
}

}  // namespace

// ---- arguments

TEST_F(CommandLine, NoArgumentsOrOneDrawingStartTheEditor) {
  EXPECT_EQ(Plandeck({}).Code, -1);
  EXPECT_EQ(Plandeck({"site.gck"}).Code, -1);
}

TEST_F(CommandLine, HelpDescribesBothCommandsAndSucceeds) {
  for (const char* flag : {"--help", "-h"}) {
    const TRun r = Plandeck({flag});
    EXPECT_EQ(r.Code, 0);
    EXPECT_NE(r.Out.find("info FILE.gck"), std::string::npos);
    EXPECT_NE(r.Out.find("convert IN.gck OUT"), std::string::npos);
  }
}

TEST_F(CommandLine, UnknownCommandsAndMissingArgumentsFail) {
  EXPECT_EQ(Plandeck({"print", "a.gck"}).Code, 2);
  EXPECT_EQ(Plandeck({"info"}).Code, 2);
  EXPECT_EQ(Plandeck({"convert", "a.gck"}).Code, 2);
  EXPECT_EQ(Plandeck({"info", "a.gck", "b.gck"}).Code, 2);
}

// ---- convert to a drawing

TEST_F(CommandLine, ConvertingAHandWrittenDrawingWritesTheSameImage) {
  const Bytes image = HandWrittenGck();
  WriteCompressed(Path("hand.gck"), image);
  const TRun r = Plandeck({"convert", Path("hand.gck"), Path("copy.GCK")});
  ASSERT_EQ(r.Code, 0) << r.Err;
  EXPECT_EQ(Inflated(Path("copy.GCK")), image);
}

TEST_F(CommandLine, ConvertingBuiltDrawingsWritesTheSameImage) {
  {
    TTxProjectFile site;
    BuildSitePlan(site);
    Save(site, Path("site.gck"));
    TTxProjectFile wide;
    BuildWidePage(wide);
    Save(wide, Path("wide.gck"));
  }
  for (const char* name : {"site", "wide"}) {
    const std::string in = Path(std::string(name) + ".gck"), out = Path(std::string(name) + "-copy.gck");
    const TRun r = Plandeck({"convert", in, out});
    ASSERT_EQ(r.Code, 0) << r.Err;
    EXPECT_EQ(Inflated(out), Inflated(in)) << name;
  }
}

TEST_F(CommandLine, ConvertingEverySampleDrawingWritesTheSameImage) {
  const fs::path samples = fs::path(PLANDECK_SOURCE_DIR) / "samples";
  int seen = 0;
  std::error_code ec;
  for (const auto& e : fs::directory_iterator(samples, ec)) {
    std::string ext = e.path().extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
    if (ext != ".gck") continue;
    ++seen;
    const std::string out = Path("sample-" + e.path().filename().string());
    const TRun r = Plandeck({"convert", e.path().string(), out});
    ASSERT_EQ(r.Code, 0) << e.path() << ": " << r.Err;
    EXPECT_EQ(Inflated(out), Inflated(e.path())) << e.path();
  }
  if (seen == 0) GTEST_SKIP() << "no sample drawings in " << samples;
}

// ---- info

TEST_F(CommandLine, InfoListsDocumentLayersAndFiguresInOrder) {
  {
    TTxProjectFile site;
    BuildSitePlan(site);
    Save(site, Path("site.gck"));
  }
  const QJsonObject info = InfoJson(Path("site.gck"));
  EXPECT_EQ(info["file"].toString().toStdString(), Path("site.gck"));
  EXPECT_EQ(info["project"].toObject()["caption"].toString(), QString::fromUtf8("编号"));
  const QJsonArray docs = info["documents"].toArray();
  ASSERT_EQ(docs.size(), 1);
  const QJsonObject doc = docs[0].toObject();
  EXPECT_EQ(doc["scale"].toDouble(), 0.5);
  EXPECT_EQ(doc["version"].toString(), "3.1");
  EXPECT_EQ(doc["drawing"].toObject()["width"].toDouble(), 420);
  EXPECT_EQ(doc["drawing"].toObject()["height"].toDouble(), 297);

  const QJsonArray layers = doc["layers"].toArray();
  ASSERT_EQ(layers.size(), 3);
  const char* names[] = {"图层1", "图层2", "道路"};
  const int flags[] = {2, 1, 0};
  const std::vector<std::vector<QString>> classes = {{"TTxLine"}, {"TArrowLine", "TTxLine"}, {"TConstructionLine"}};
  for (int i = 0; i < 3; ++i) {
    const QJsonObject layer = layers[i].toObject();
    EXPECT_EQ(layer["name"].toString(), QString::fromUtf8(names[i]));
    EXPECT_EQ(layer["flag"].toInt(), flags[i]);
    const QJsonArray figures = layer["figures"].toArray();
    ASSERT_EQ(layer["figureCount"].toInt(), static_cast<int>(classes[i].size()));
    ASSERT_EQ(figures.size(), static_cast<int>(classes[i].size()));
    for (int k = 0; k < figures.size(); ++k) {
      EXPECT_EQ(figures[k].toObject()["class"].toString(), classes[i][k]);
      EXPECT_TRUE(figures[k].toObject()["values"].isArray()) << "layer " << i << " figure " << k;
    }
  }
}

TEST_F(CommandLine, InfoTellsUntaggedBytesFromTaggedValues) {
  {
    TTxProjectFile site;
    BuildSitePlan(site);
    Save(site, Path("site.gck"));
  }
  const QJsonArray layers = InfoJson(Path("site.gck"))["documents"].toArray()[0].toObject()["layers"].toArray();
  // A line: caption, scale, angle, name, pen colour, pen mode and style
  // (untagged), width, brush colour, brush style (untagged), no fill, then
  // its two points, angle, arrow length and three booleans.
  const QJsonArray line = layers[1].toObject()["figures"].toArray()[1].toObject()["values"].toArray();
  ASSERT_EQ(line.size(), 11 + 4 + 2 + 3);
  EXPECT_EQ(line[5].toObject()["byte"].toInt(), 4);  // copy mode
  EXPECT_EQ(line[6].toObject()["byte"].toInt(), psDashDot);
  EXPECT_EQ(line[9].toObject()["byte"].toInt(), bsClear);
  EXPECT_EQ(line[10].toBool(true), false);
  EXPECT_EQ(line[11].toDouble(), -5.25);
  EXPECT_EQ(line[14].toDouble(), 1e6);
  // The arrow line's italic font style is the byte 2, not an integer swallowing
  // the tag of the angle after it.
  const QJsonArray arrow = layers[1].toObject()["figures"].toArray()[0].toObject()["values"].toArray();
  ASSERT_GT(arrow.size(), 17);
  EXPECT_EQ(arrow[11].toString(), QString::fromUtf8("宋体"));
  EXPECT_EQ(arrow[15].toObject()["byte"].toInt(), fsItalic);
  EXPECT_EQ(arrow[16].toDouble(), 12.5);
}

TEST_F(CommandLine, InfoShowsTheFiguresOfABlockAsNestedObjects) {
  {
    TTxProjectFile file;
    TFiguresDoc& doc = NewDocument(file, 420, 297);
    auto block = std::make_unique<TTxBlock>();
    block->InitialParas(100, 50);
    auto arrow = std::make_unique<TArrowLine>();
    arrow->FFont->FStyle = fsBold;  // 1: the tag of a list begin
    block->InsertFigure(std::move(arrow));
    auto line = std::make_unique<TTxLine>();
    line->FZd = {7, 8};
    block->InsertFigure(std::move(line));
    doc.Add(std::move(block), TPoint{0, 0}, nullptr);
    Save(file, Path("block.gck"));
  }
  const QJsonArray figures = InfoJson(Path("block.gck"))["documents"].toArray()[0].toObject()["layers"]
                                 .toArray()[0].toObject()["figures"].toArray();
  ASSERT_EQ(figures.size(), 1);
  EXPECT_EQ(figures[0].toObject()["class"].toString(), "TTxBlock");
  // Its own values (figure, origin, size, frame), then its figure list.
  const QJsonArray values = figures[0].toObject()["values"].toArray();
  ASSERT_EQ(values.size(), 11 + 5 + 1);
  EXPECT_EQ(values[13].toDouble(), 100);
  const QJsonArray members = values[16].toArray();
  ASSERT_EQ(members.size(), 2);
  EXPECT_EQ(members[0].toObject()["class"].toString(), "TTxLine");
  EXPECT_EQ(members[0].toObject()["values"].toArray()[14].toDouble(), 8);
  EXPECT_EQ(members[1].toObject()["class"].toString(), "TArrowLine");
  EXPECT_EQ(members[1].toObject()["values"].toArray()[15].toObject()["byte"].toInt(), fsBold);
}

TEST_F(CommandLine, InfoKeepsQuotesControlCharactersAndChineseInStrings) {
  {
    TTxProjectFile site;
    BuildSitePlan(site);
    Save(site, Path("site.gck"));
  }
  const TRun r = Plandeck({"info", Path("site.gck")});
  ASSERT_EQ(r.Code, 0);
  // Raw control characters never reach the JSON text.
  EXPECT_EQ(r.Out.find('\x01'), std::string::npos);
  EXPECT_EQ(r.Out.find('\t'), std::string::npos);
  const QJsonObject info = QJsonDocument::fromJson(QByteArray::fromStdString(r.Out)).object();
  const QJsonArray layers = info["documents"].toArray()[0].toObject()["layers"].toArray();
  const QJsonArray line = layers[0].toObject()["figures"].toArray()[0].toObject()["values"].toArray();
  EXPECT_EQ(line[0].toString(), QString::fromUtf8("引号\"反斜杠\\换行\n制表\t控制\x01"));
}

TEST_F(CommandLine, InfoOnATruncatedDrawingFailsNamingTheFile) {
  {
    TTxProjectFile site;
    BuildSitePlan(site);
    Save(site, Path("site.gck"));
  }
  Bytes bytes = FileBytes(Path("site.gck"));
  bytes.resize(bytes.size() / 2);
  WriteBytes(Path("cut.gck"), bytes);
  const TRun r = Plandeck({"info", Path("cut.gck")});
  EXPECT_NE(r.Code, 0);
  EXPECT_TRUE(r.Out.empty()) << r.Out;
  EXPECT_NE(r.Err.find(Path("cut.gck")), std::string::npos) << r.Err;
}

TEST_F(CommandLine, InfoOnAMissingFileFailsNamingTheFile) {
  const TRun r = Plandeck({"info", Path("none.gck")});
  EXPECT_EQ(r.Code, 1);
  EXPECT_TRUE(r.Out.empty());
  EXPECT_NE(r.Err.find(Path("none.gck")), std::string::npos) << r.Err;
}

// ---- convert to pictures

TEST_F(CommandLine, ConvertingToPicturesWritesFilesThatLoad) {
  {
    TTxProjectFile site;
    BuildSitePlan(site);
    Save(site, Path("site.gck"));
  }
  for (const char* name : {"site.bmp", "site.JPG", "site.jpeg"}) {
    const TRun r = Plandeck({"convert", Path("site.gck"), Path(name)});
    ASSERT_EQ(r.Code, 0) << name << ": " << r.Err;
    QImage image;
    ASSERT_TRUE(image.load(QString::fromStdString(Path(name)))) << name;
    // The page at scale 1: 420 x 297 pixels and the frame's far edges, with the lines drawn on it.
    EXPECT_EQ(image.width(), 421) << name;
    EXPECT_EQ(image.height(), 298) << name;
    for (QPoint p : {QPoint(0, 150), QPoint(420, 150), QPoint(210, 0), QPoint(210, 297)})
      EXPECT_LT(qGray(image.pixel(p)), 128) << name << ": the page frame at " << p.x() << "," << p.y();
    bool drawn = false;
    for (int y = 0; y < image.height() && !drawn; ++y)
      for (int x = 0; x < image.width() && !drawn; ++x) drawn = qGray(image.pixel(x, y)) < 128;
    EXPECT_TRUE(drawn) << name;
  }
  ASSERT_EQ(Plandeck({"convert", Path("site.gck"), Path("site.emf")}).Code, 0);
  const Bytes e = FileBytes(Path("site.emf"));
  ASSERT_GT(e.size(), 88u);
  EXPECT_EQ(e[0], 1);  // EMR_HEADER
  EXPECT_EQ(std::string(e.begin() + 40, e.begin() + 44), " EMF");
  ASSERT_EQ(Plandeck({"convert", Path("site.gck"), Path("site.wmf")}).Code, 0);
  const Bytes w = FileBytes(Path("site.wmf"));
  ASSERT_GT(w.size(), 40u);
  EXPECT_EQ(w[0], 0xD7);  // placeable header key 0x9AC6CDD7
  EXPECT_EQ(w[1], 0xCD);
  EXPECT_EQ(w[2], 0xC6);
  EXPECT_EQ(w[3], 0x9A);
  // Nothing else was left beside them: no added extension, no temporary file.
  EXPECT_TRUE(OtherFiles({"site.gck", "site.bmp", "site.JPG", "site.jpeg", "site.emf", "site.wmf"}).empty());
}

TEST_F(CommandLine, LargePagesArePicturedWithinTheSizeLimit) {
  {
    TTxProjectFile wide;
    BuildWidePage(wide);
    Save(wide, Path("wide.gck"));
  }
  ASSERT_EQ(Plandeck({"convert", Path("wide.gck"), Path("wide.bmp")}).Code, 0);
  QImage image(QString::fromStdString(Path("wide.bmp")));
  // The page within the limit, and one more column and row for the frame's far edges.
  EXPECT_EQ(image.width(), 4001);
  EXPECT_EQ(image.height(), 601);
}

// ---- failures leave the output alone

TEST_F(CommandLine, UnknownOutputTypesFailWithoutWriting) {
  WriteCompressed(Path("hand.gck"), HandWrittenGck());
  // Every output type the usage names is written now (DXF too): only names
  // that say no type are refused.
  EXPECT_EQ(Plandeck({"convert", Path("hand.gck"), Path("out.xyz")}).Code, 2);
  EXPECT_EQ(Plandeck({"convert", Path("hand.gck"), Path("noextension")}).Code, 2);
  EXPECT_TRUE(OtherFiles({"hand.gck"}).empty());
}

TEST_F(CommandLine, DxfFilesConvertBothWaysDescribeThemselvesAndDamagedOnesFail) {
  WriteCompressed(Path("hand.gck"), HandWrittenGck());
  const TRun out = Plandeck({"convert", Path("hand.gck"), Path("hand.dxf")});
  ASSERT_EQ(out.Code, 0) << out.Err;
  const TRun info = Plandeck({"info", Path("hand.dxf")});
  EXPECT_EQ(info.Code, 0) << info.Err;
  EXPECT_NE(info.Out.find("\"dxf\": {"), std::string::npos) << info.Out;
  EXPECT_NE(info.Out.find("\"encoding\": \"GBK\""), std::string::npos) << info.Out;
  EXPECT_EQ(Plandeck({"convert", Path("hand.dxf"), Path("back.gck")}).Code, 0);
  EXPECT_EQ(Plandeck({"convert", Path("hand.dxf"), Path("hand.bmp")}).Code, 0);
  EXPECT_TRUE(fs::exists(Path("back.gck")));
  EXPECT_GT(fs::file_size(Path("hand.bmp")), 0u);
  {
    std::ofstream cut(Path("cut.dxf"), std::ios::binary);
    cut << "0\r\nSECTION\r\n2\r\nENTITIES\r\n0\r\nLINE\r\n10\r\n1..5\r\n";
  }
  const TRun bad = Plandeck({"convert", Path("cut.dxf"), Path("cut.gck")});
  EXPECT_EQ(bad.Code, 1);
  EXPECT_NE(bad.Err.find("line number 8"), std::string::npos) << bad.Err;
  EXPECT_FALSE(fs::exists(Path("cut.gck")));
}

TEST_F(CommandLine, MissingOrDamagedInputFailsAndKeepsTheOutput) {
  const Bytes before = {'o', 'l', 'd'};
  Bytes cut = HandWrittenGck();
  WriteCompressed(Path("whole.gck"), cut);
  Bytes compressed = FileBytes(Path("whole.gck"));
  compressed.resize(compressed.size() - 20);
  WriteBytes(Path("cut.gck"), compressed);
  for (const char* out : {"out.gck", "out.bmp", "out.emf"}) {
    WriteBytes(Path(out), before);
    const TRun missing = Plandeck({"convert", Path("none.gck"), Path(out)});
    EXPECT_EQ(missing.Code, 1) << out;
    EXPECT_NE(missing.Err.find(Path("none.gck")), std::string::npos) << missing.Err;
    const TRun damaged = Plandeck({"convert", Path("cut.gck"), Path(out)});
    EXPECT_EQ(damaged.Code, 1) << out;
    EXPECT_NE(damaged.Err.find(Path("cut.gck")), std::string::npos) << damaged.Err;
    EXPECT_EQ(FileBytes(Path(out)), before) << out;
  }
}

TEST_F(CommandLine, UnwritableOutputFailsWithoutLeavingFiles) {
  WriteCompressed(Path("hand.gck"), HandWrittenGck());
  for (const char* out : {"no/such/folder/out.gck", "no/such/folder/out.bmp", "no/such/folder/out.wmf"}) {
    const TRun r = Plandeck({"convert", Path("hand.gck"), Path(out)});
    EXPECT_EQ(r.Code, 1) << out;
    EXPECT_NE(r.Err.find(Path(out)), std::string::npos) << r.Err;
  }
  EXPECT_TRUE(OtherFiles({"hand.gck"}).empty());
}
