// The drawing document and the .GCK file: bytes written out by hand from the
// file layout, reading them, older versions, damaged files and round trips.

#include "../foundation/TestBytes.h"
#include "DocViewTestSupport.h"

#include "docview/Environment.h"
#include "docview/FiguresDoc.h"
#include "figures/CodeVersion.h"
#include "foundation/ComponentImage.h"
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

// The document's values of a new drawing of 420 x 297 with two empty layers.
void DocumentValues(ByteBuilder& b, const char* version, bool withPositions, bool withPageAlign) {
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
  b({0x02, 0x02, 0x06, 0x07});
  b.b.insert(b.b.end(), kLayer1Current.begin(), kLayer1Current.end());
  b({0x01, 0x00, 0x06, 0x07});
  b.b.insert(b.b.end(), kLayer2Visible.begin(), kLayer2Visible.end());
  b({0x01, 0x00});
  if (withPageAlign) b({0x02, 1, 0x02, 2});
}

Bytes GckContent(const char* version = "3.1", bool withPositions = true, bool withPageAlign = true) {
  ByteBuilder image;
  image("TPF0").Str("TTxProjectFile")({0});
  image.Str("TxProject.TxSpaces.P")({0x02, 0x01, 0x06, 11})("TFiguresDoc");
  DocumentValues(image, version, withPositions, withPageAlign);
  // One document; its root has two layers of no figures.
  image.Str("TxProject.TxSpaces.S")({0x0A, 16, 0, 0, 0, 1, 0, 0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
  image.Str("TxProject.P")({0x06, 0x04, 0xB1, 0xE0, 0xBA, 0xC5, 0x06, 0x00});
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
