// The drawing document and the .GCK file: bytes written out by hand from the
// file layout, reading them, older versions, damaged files and round trips.

#include "../foundation/TestBytes.h"
#include "DocViewTestSupport.h"

#include "docview/Environment.h"
#include "docview/FiguresDoc.h"
#include "figures/CodeVersion.h"
#include "foundation/ComponentImage.h"
#include "foundation/GbkCodec.h"
#include "foundation/StreamError.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

#define EXT_0 {0, 0, 0, 0, 0, 0, 0, 0, 0, 0}
#define EXT_1 {0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F}
#define EXT_30 {0, 0, 0, 0, 0, 0, 0, 0xF0, 0x03, 0x40}
#define EXT_420 {0, 0, 0, 0, 0, 0, 0, 0xD2, 0x07, 0x40}
#define EXT_297 {0, 0, 0, 0, 0, 0, 0x80, 0x94, 0x07, 0x40}
#define EXT_2_5 {0, 0, 0, 0, 0, 0, 0, 0xA0, 0x00, 0x40}

void F(ByteBuilder& b, std::initializer_list<int> ext) {
  b({0x05});
  b(ext);
}

// "图层1=2" and "图层2=1" in GBK.
const Bytes kLayer1Current = {0xCD, 0xBC, 0xB2, 0xE3, '1', '=', '2'};
const Bytes kLayer2Visible = {0xCD, 0xBC, 0xB2, 0xE3, '2', '=', '1'};

// A string value of any bytes.
void StringValue(ByteBuilder& b, const Bytes& bytes) {
  const int n = static_cast<int>(bytes.size());
  if (n <= 255) b({0x06, n});
  else b({0x0C, n & 0xFF, n >> 8 & 0xFF, 0, 0});
  b.b.insert(b.b.end(), bytes.begin(), bytes.end());
}

// What a drawing's strings hold and what its first layer holds.
struct TContent {
  Bytes Caption = {0xB1, 0xE0, 0xBA, 0xC5};  // "编号"
  Bytes Description;
  Bytes Layer1 = kLayer1Current;
  Bytes Layer1Figures;  // the record of the first layer's one figure, if any
};

// The document's values of a new drawing of 420 x 297 with two empty layers.
void DocumentValues(ByteBuilder& b, const char* version, bool withPositions, bool withPageAlign,
                    const TContent& content = {}) {
  F(b, EXT_2_5);                                        // scale 2.5
  b({0x02, 0, 0x02, 3, 0x02, 25, 0x02, 10, 0x02, 12, 0x02, 10});  // orientation, layout, l, u, r, d
  F(b, EXT_1);                                          // print scale
  b({0x08});                                            // no print frame
  b({0x06, static_cast<int>(std::strlen(version))})(version);
  if (withPositions) b({0x02, 40, 0x03, 0x2C, 0x01});  // scroll 40, 300
  // The root: the twelve figure values of a default figure ...
  b({0x06, 0x00});
  F(b, EXT_1);
  F(b, EXT_0);
  b({0x06, 0x00, 0x02, 0x00, 0x04, 0x00, 0x02, 0x01});
  b({0x04, 0xFF, 0xFF, 0xFF, 0x00, 0x01, 0x08});
  // ... then its own: grid, colours, base point, size, origin.
  b({0x09});
  F(b, EXT_30);
  F(b, EXT_30);
  b({0x04, 0xFF, 0xFF, 0xFF, 0x00, 0x04, 0xE8, 0xE4, 0xE8, 0x00, 0x02});
  F(b, EXT_0);
  F(b, EXT_0);
  F(b, EXT_420);
  F(b, EXT_297);
  F(b, EXT_0);
  F(b, EXT_0);
  b({0x02, 0x02});
  StringValue(b, content.Layer1);
  b({0x01})(std::string_view(reinterpret_cast<const char*>(content.Layer1Figures.data()), content.Layer1Figures.size()));
  b({0x00, 0x06, 0x07});
  b.b.insert(b.b.end(), kLayer2Visible.begin(), kLayer2Visible.end());
  b({0x01, 0x00});
  if (withPageAlign) b({0x02, 1, 0x02, 2});
}

Bytes GckContent(const char* version = "3.1", bool withPositions = true, bool withPageAlign = true,
                 const TContent& content = {}) {
  ByteBuilder image;
  image("TPF0").Str("TTxProjectFile")({0});
  image.Str("TxProject.TxSpaces.P")({0x02, 0x01, 0x06, 11})("TFiguresDoc");
  DocumentValues(image, version, withPositions, withPageAlign, content);
  // One document; its root has two layers, the first of Layer1Figures.
  const int n1 = content.Layer1Figures.empty() ? 0 : 1;
  image.Str("TxProject.TxSpaces.S")({0x0A, 16, 0, 0, 0, 1, 0, 0, 0, 2, 0, 0, 0, n1, 0, 0, 0, 0, 0, 0, 0});
  image.Str("TxProject.P");
  StringValue(image, content.Caption);
  StringValue(image, content.Description);
  image.Str("TxProject.S")({0x0A, 0, 0, 0, 0});
  image({0, 0});
  ByteBuilder file;
  file({0xFF, 0x0A, 0x00})("TTXPROJECTFILE")({0x00, 0x30, 0x10});
  const auto n = static_cast<std::uint32_t>(image.b.size());
  file({static_cast<int>(n & 0xFF), static_cast<int>(n >> 8 & 0xFF), 0, 0});
  file.b.insert(file.b.end(), image.b.begin(), image.b.end());
  return file.b;
}

class DrawingFile : public ::testing::Test {
protected:
  void SetUp() override {
    RegisterDocumentClasses();
    FDir = fs::temp_directory_path() / ("plandeck-gck-" + std::to_string(::getpid()) + "-" +
                                        ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(FDir);
    fs::create_directories(FDir);
  }
  void TearDown() override { fs::remove_all(FDir); }
  std::string Path(const char* name) const { return (FDir / name).string(); }

  void WriteCompressed(const std::string& path, const Bytes& content) {
    uLongf len = compressBound(content.size());
    Bytes z(len);
    compress2(z.data(), &len, content.data(), content.size(), 1);
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(z.data()), static_cast<std::streamsize>(len));
  }
  Bytes Inflated(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    const Bytes z(std::istreambuf_iterator<char>(f), {});
    Bytes out(1 << 20);
    uLongf len = out.size();
    EXPECT_EQ(uncompress(out.data(), &len, z.data(), z.size()), Z_OK);
    out.resize(len);
    return out;
  }

  fs::path FDir;
};

// A new drawing as the file above describes it.
void MakeDrawing(TTxProjectFile& file) {
  auto* doc = static_cast<TFiguresDoc*>(file.FTxProject->FTxSpaces->AddObject());
  doc->FScale = 2.5;
  doc->FHorzPosition = 40;
  doc->FVertPosition = 300;
  TTxFigureSet& root = *doc->FFigures;
  root.FWidth = 420;
  root.FHeight = 297;
  std::string name;
  root.AddLayer(name);
  root.SetCurLayer(0);
  root.FHorzPageAlign = 1;
  root.FVertPageAlign = 2;
}

}  // namespace

TEST_F(DrawingFile, NewDrawingWritesTheHandWrittenFile) {
  TTxProjectFile file;
  MakeDrawing(file);
  WriteDrawingFile(Path("a.gck"), file);
  EXPECT_EQ(Inflated(Path("a.gck")), GckContent());
}

TEST_F(DrawingFile, HandWrittenFileReadsIntoProjectDocumentAndRoot) {
  WriteCompressed(Path("b.gck"), GckContent());
  TTxProjectFile file;
  const TDrawingReadResult result = ReadDrawingFile(Path("b.gck"), file);
  ASSERT_TRUE(result.Ok) << result.Error;
  EXPECT_EQ(file.FTxProject->FCaption, "编号");
  ASSERT_EQ(file.FTxProject->FTxSpaces->Count(), 1);
  TFiguresDoc* doc = file.FTxProject->FTxSpaces->Docs(0);
  EXPECT_EQ(doc->FScale, 2.5);
  EXPECT_EQ(doc->FPageLeftOff, 25);
  EXPECT_EQ(doc->FPageUpOff, 10);
  EXPECT_EQ(doc->FPageRightOff, 12);
  EXPECT_EQ(doc->FHorzPosition, 40);
  EXPECT_EQ(doc->FVertPosition, 300);
  const TTxFigureSet& root = *doc->FFigures;
  EXPECT_EQ(root.FWidth, 420);
  EXPECT_EQ(root.FHeight, 297);
  ASSERT_EQ(root.LayerCount(), 2);
  EXPECT_EQ(root.FLayers[0].Entry, "图层1=2");
  EXPECT_EQ(root.FLayers[1].Entry, "图层2=1");
  EXPECT_EQ(root.FFigures, root.LayerList(0));
  EXPECT_EQ(root.FHorzPageAlign, 1);
  EXPECT_EQ(root.FVertPageAlign, 2);
  EXPECT_EQ(OldCodeVersion, CurrentCodeVersion);

  // Written back unchanged, the same bytes come out.
  WriteDrawingFile(Path("c.gck"), file);
  EXPECT_EQ(Inflated(Path("c.gck")), GckContent());
}

// Strings of every kind of GBK bytes: user-defined cells, cells GBK leaves
// open, a GB18030 four-byte sequence, 0x80, 0xFF, lone lead bytes and a
// string ending in one; the description holds every byte value.
TContent OddStrings() {
  TContent c;
  c.Caption = {0xAA, 0xA1, 0xD7, 0xFA, 0x80, 0xFF, 0xA2, 0xE3, ' ', 0x81};
  for (int i = 0; i < 256; ++i) c.Description.push_back(std::uint8_t(i));
  for (int i = 255; i >= 0; --i) c.Description.push_back(std::uint8_t(i));
  c.Layer1 = {0xAF, 0xFE, 0x81, '=', '2'};
  // An arrow line whose caption and name hold such bytes too.
  ByteBuilder f;
  f({0x06, 7})("TTxLine");
  StringValue(f, {0xFE, 0xFE, 0xA7, 0xA0, 0x81, 0x30, 0x81, 0x30, 0x80, 0x80});
  F(f, EXT_1);
  F(f, EXT_0);
  StringValue(f, {0xFF});
  f({0x02, 0x00, 0x04, 0x00, 0x02, 0x01});
  f({0x04, 0xFF, 0xFF, 0xFF, 0x00, 0x01, 0x08});
  F(f, EXT_0);  // start
  F(f, EXT_0);
  F(f, EXT_30);  // end
  F(f, EXT_0);
  F(f, EXT_0);   // arrow angle
  F(f, EXT_30);  // arrow length
  f({0x08, 0x08, 0x08});
  c.Layer1Figures = f.b;
  return c;
}

TEST_F(DrawingFile, StringsOfAnyBytesReadAndSaveByteForByte) {
  const Bytes content = GckContent("3.1", true, true, OddStrings());
  WriteCompressed(Path("odd.gck"), content);
  TTxProjectFile file;
  const TDrawingReadResult result = ReadDrawingFile(Path("odd.gck"), file);
  ASSERT_TRUE(result.Ok) << result.Error;
  // The user-defined area reads as Windows does; what decodes to nothing is kept.
  const auto esc = [](int b) { return GbkByteEscape(static_cast<unsigned char>(b)); };
  EXPECT_EQ(file.FTxProject->FCaption, "\uE000\uE810€" + esc(0xFF) + esc(0xA2) + esc(0xE3) + " " + esc(0x81));
  const TTxFigureSet& root = *file.FTxProject->FTxSpaces->Docs(0)->FFigures;
  ASSERT_EQ(root.LayerCount(), 2);
  EXPECT_EQ(root.FLayers[0].Entry, "\uE233" + esc(0x81) + "=2");
  ASSERT_EQ(root.LayerList(0)->Count(), 1);
  const TCustomFigure& line = *root.LayerList(0)->Figures(0);
  EXPECT_EQ(line.FName, esc(0xFF));
  EXPECT_EQ(line.FCaption, "\uE4C5\uE765" + esc(0x81) + "0" + esc(0x81) + "0€€");

  WriteDrawingFile(Path("odd2.gck"), file);
  EXPECT_EQ(Inflated(Path("odd2.gck")), content);
  // Saving over the file it came from gives the same bytes again.
  WriteDrawingFile(Path("odd.gck"), file);
  EXPECT_EQ(Inflated(Path("odd.gck")), content);
}

TEST_F(DrawingFile, ASaveMeetingTextWithoutGbkFormFailsNamingTheFigureAndKeepsTheOldFile) {
  const Bytes content = GckContent("3.1", true, true, OddStrings());
  WriteCompressed(Path("keep.gck"), content);
  std::ifstream in(Path("keep.gck"), std::ios::binary);
  const Bytes before(std::istreambuf_iterator<char>(in), {});
  in.close();
  TTxProjectFile file;
  ASSERT_TRUE(ReadDrawingFile(Path("keep.gck"), file).Ok);
  TCustomFigure& line = *file.FTxProject->FTxSpaces->Docs(0)->FFigures->LayerList(0)->Figures(0);
  line.FName = "塔吊\U0001F600";
  std::vector<std::string> path;
  line.GetIndexPath(path);
  try {
    WriteDrawingFile(Path("keep.gck"), file);
    ADD_FAILURE() << "the save went through";
  } catch (const EGbkError& e) {
    EXPECT_EQ(std::string(e.what()), "图形“箭头线（塔吊\U0001F600） " + path.back() +
                                         "”中的“\U0001F600”没有GBK编码，不能保存在图形文件中。");
    EXPECT_EQ(e.Detail(), "U+1F600 at byte 6");
  }
  std::ifstream again(Path("keep.gck"), std::ios::binary);
  EXPECT_EQ(Bytes(std::istreambuf_iterator<char>(again), {}), before);
  int files = 0;
  for (const auto& entry : fs::directory_iterator(FDir)) files += entry.is_regular_file();
  EXPECT_EQ(files, 1);  // no temporary file left behind
}

TEST_F(DrawingFile, Version20FileReadsNoScrollPositionsAndNoPageAlignment) {
  WriteCompressed(Path("old.gck"), GckContent("2.0", false, false));
  TTxProjectFile file;
  ASSERT_TRUE(ReadDrawingFile(Path("old.gck"), file).Ok);
  TFiguresDoc* doc = file.FTxProject->FTxSpaces->Docs(0);
  EXPECT_EQ(doc->FHorzPosition, 0);
  EXPECT_EQ(doc->FVertPosition, 0);
  EXPECT_EQ(doc->FFigures->FHorzPageAlign, 0);
  EXPECT_EQ(doc->FFigures->LayerCount(), 2);
  EXPECT_EQ(OldCodeVersion, CurrentCodeVersion);
}

TEST_F(DrawingFile, DamagedFileKeepsWhatWasReadAndSaysWhy) {
  // Cut inside the root's values: the read fails, the caller learns it.
  Bytes content = GckContent();
  content.resize(content.size() - 120);
  WriteCompressed(Path("cut.gck"), content);
  TTxProjectFile file;
  const TDrawingReadResult result = ReadDrawingFile(Path("cut.gck"), file);
  EXPECT_FALSE(result.Ok);
  EXPECT_FALSE(result.Error.empty());
  ASSERT_EQ(file.FTxProject->FTxSpaces->Count(), 1);
  EXPECT_EQ(file.FTxProject->FTxSpaces->Docs(0)->FScale, 2.5);
  // The layers read before the damage survive, with exactly one current one.
  const TTxFigureSet& root = *file.FTxProject->FTxSpaces->Docs(0)->FFigures;
  ASSERT_GE(root.LayerCount(), 1);
  EXPECT_EQ(root.FLayers[0].Entry, "图层1=2");
  EXPECT_EQ(root.FFigures, root.LayerList(0));
  // The version of the broken file does not stay in force.
  EXPECT_EQ(OldCodeVersion, CurrentCodeVersion);

  // A file that is no drawing at all still gives a window its document.
  std::ofstream(Path("junk.gck")) << "junk";
  TTxProjectFile other;
  EXPECT_FALSE(ReadDrawingFile(Path("junk.gck"), other).Ok);
  EXPECT_EQ(other.FTxProject->FTxSpaces->Count(), 1);
}

TEST_F(DrawingFile, UnreadableVersionStringFailsTheRead) {
  WriteCompressed(Path("v.gck"), GckContent("3.x"));
  TTxProjectFile file;
  const TDrawingReadResult result = ReadDrawingFile(Path("v.gck"), file);
  EXPECT_FALSE(result.Ok);
  EXPECT_EQ(result.Error, StreamMsg::InvalidPropertyValue);
  EXPECT_EQ(CodeVersionToNumber(" 2.11"), 2.11);
  EXPECT_THROW(CodeVersionToNumber(""), EStreamError);
}

TEST_F(DrawingFile, FiguresLayersAndScrollPositionsRoundTrip) {
  TTxProjectFile file;
  MakeDrawing(file);
  TFiguresDoc* doc = file.FTxProject->FTxSpaces->Docs(0);
  doc->Add(Box({10, 20}, {30, 40}, 0x0000FF), TPoint{0, 0}, nullptr);
  doc->FFigures->SetCurLayer(1);
  doc->Add(Box({50, 60}, {70, 80}, 0xFF0000), TPoint{0, 0}, nullptr);
  WriteDrawingFile(Path("r.gck"), file);

  TTxProjectFile back;
  ASSERT_TRUE(ReadDrawingFile(Path("r.gck"), back).Ok);
  TFiguresDoc* d2 = back.FTxProject->FTxSpaces->Docs(0);
  ASSERT_EQ(d2->FFigures->LayerCount(), 2);
  EXPECT_EQ(d2->FFigures->FLayers[1].Entry, "图层2=2");
  ASSERT_EQ(d2->FFigures->LayerList(0)->Count(), 1);
  ASSERT_EQ(d2->FFigures->LayerList(1)->Count(), 1);
  auto* box = dynamic_cast<TTestBox*>(d2->FFigures->LayerList(1)->Figures(0));
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(box->FPen.Color, 0xFF0000);
  EXPECT_EQ(box->FParent, d2->FFigures.get());
  EXPECT_EQ(box->FDocument, d2);
  EXPECT_EQ(d2->FHorzPosition, 40);
}

TEST_F(DrawingFile, SavingClearsTheHistory) {
  TTxProjectFile file;
  MakeDrawing(file);
  TFiguresDoc* doc = file.FTxProject->FTxSpaces->Docs(0);
  TEnvironmentComponent env;
  SysEnvironment = env.FEnvironment.get();
  doc->Add(Box({10, 20}, {30, 40}), TPoint{0, 0}, nullptr);
  TMyList added;
  added.Add(doc->FFigures->FFigures->Figures(0));
  doc->BackUp(added, ovAdd);
  EXPECT_EQ(doc->GetUndoCount(), 1);
  doc->SetModifiedFlag(false);
  EXPECT_EQ(doc->GetUndoCount(), 0);
  SysEnvironment = nullptr;
}

TEST_F(DrawingFile, SelectionQueriesFollowLayerFlags) {
  TTxProjectFile file;
  MakeDrawing(file);
  TFiguresDoc* doc = file.FTxProject->FTxSpaces->Docs(0);
  doc->Add(Box({10, 10}, {20, 20}), TPoint{0, 0}, nullptr);
  auto* inCurrent = static_cast<TTestBox*>(doc->FFigures->FFigures->Figures(0));
  doc->FFigures->SetCurLayer(1);
  doc->Add(Box({12, 12}, {18, 18}), TPoint{0, 0}, nullptr);
  doc->FFigures->SetLayerVisible(0, false);

  TMyList all;
  doc->SelectAllItem(all);
  EXPECT_EQ(all.Count(), 1);  // the current layer's figures only
  TMyList near;
  TRect r;
  inCurrent->CalcPositionRect(r);
  ExpandRect(r, 0);
  doc->PointSelectItem(TPoint{(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2}, near);
  EXPECT_EQ(near.Count(), 1);  // the hidden layer's box is not offered
}
