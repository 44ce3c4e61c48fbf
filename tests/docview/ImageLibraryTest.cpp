// Library files (*.tkk, *.tck): bytes written out by hand read with the right
// names and geometry, the program writes the same bytes, and files that
// cannot be read leave one empty document and a message naming the file.

#include "../foundation/TestBytes.h"
#include "docview/Environment.h"
#include "docview/ImageLibrary.h"
#include "figures/CodeVersion.h"
#include "foundation/Streams.h"
#include "foundation/ZLibContainer.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <fstream>

namespace {

QString Q(const std::string& S) { return QString::fromStdString(S); }

using Ext = std::initializer_list<int>;
const Ext X0 = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
const Ext X1 = {0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F};
const Ext X5 = {0, 0, 0, 0, 0, 0, 0, 0xA0, 0x01, 0x40};
const Ext X10 = {0, 0, 0, 0, 0, 0, 0, 0xA0, 0x02, 0x40};
const Ext X20 = {0, 0, 0, 0, 0, 0, 0, 0xA0, 0x03, 0x40};

void F(ByteBuilder& b, Ext e) {
  b({0x05});
  b(e);
}

// The twelve values every figure starts with: no caption, scale 1, angle 0,
// Name (GBK bytes), black copy pen of width 1 in PenStyle, the brush, no fill.
void FigureValues(ByteBuilder& b, std::initializer_list<int> Name, int PenStyle, std::initializer_list<int> BrushColor,
                  int BrushStyle) {
  b({0x06, 0x00});
  F(b, X1);
  F(b, X0);
  b({0x06, int(Name.size())});
  b(Name);
  b({0x02, 0x00, 0x04, PenStyle, 0x02, 0x01});
  b(BrushColor);
  b({BrushStyle, 0x08});
}

const std::initializer_list<int> kWhite = {0x04, 0xFF, 0xFF, 0xFF, 0x00};
const std::initializer_list<int> kBlack = {0x02, 0x00};

// A library of two blocks: "大门" (20 x 10, a filled square marker of radius 4
// at (10, 5)) and "厕所" (no size, no figures), written by code version Version.
Bytes HandWrittenLibrary(std::string_view Version = "3.1") {
  ByteBuilder img;
  img("TPF0").Str("TImageProject")({0x00});
  img.Str("TxSpaces.P")({0x02, 0x01, 0x06}).Str("TImageDocument");
  img({0x06}).Str(Version);
  img({0x01, 0x06}).Str("TTxBlock");
  FigureValues(img, {0xB4, 0xF3, 0xC3, 0xC5}, psClear, kWhite, bsClear);
  F(img, X0);
  F(img, X0);
  F(img, X20);
  F(img, X10);
  img({0x09, 0x01, 0x06}).Str("TTxDefineDwd");
  FigureValues(img, {}, psSolid, kBlack, bsSolid);
  F(img, X10);
  F(img, X5);
  img({0x02, 0x03, 0x02, 0x04, 0x00});
  img({0x06}).Str("TTxBlock");
  FigureValues(img, {0xB2, 0xDE, 0xCB, 0xF9}, psClear, kWhite, bsClear);
  F(img, X0);
  F(img, X0);
  F(img, X0);
  F(img, X0);
  img({0x09, 0x01, 0x00, 0x00});
  // One document; its two blocks with one layer each, of one and no figures.
  img.Str("TxSpaces.S")({0x0A, 24, 0, 0, 0});
  img({1, 0, 0, 0, 2, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0});
  img({0x00, 0x00});
  ByteBuilder file;
  file({0xFF, 0x0A, 0x00})("TIMAGEPROJECT")({0x00, 0x30, 0x10});
  const auto n = static_cast<std::uint32_t>(img.b.size());
  file({int(n & 0xFF), int((n >> 8) & 0xFF), int((n >> 16) & 0xFF), int(n >> 24)});
  file.b.insert(file.b.end(), img.b.begin(), img.b.end());
  return file.b;
}

void WriteFile(const std::string& Name, const Bytes& Content) {
  std::ofstream(Name, std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(Content.data()), std::streamsize(Content.size()));
}

void WritePacked(const std::string& Name, const Bytes& Content) {
  TMemoryStream packed;
  DeflateToStream(Content, packed);
  WriteFile(Name, packed.Data());
}

Bytes Inflated(const std::string& Name) {
  std::ifstream in(Name, std::ios::binary);
  TMemoryStream packed(Bytes(std::istreambuf_iterator<char>(in), {}));
  packed.SetPosition(0);
  TByteBuffer b = InflateStream(packed);
  return Bytes(b.Data(), b.Data() + b.Size());
}

class ImageLibraryTest : public ::testing::Test {
protected:
  void SetUp() override {
    RegisterImageLibraryClasses();
    ASSERT_TRUE(dir.isValid());
  }
  std::string Path(const char* Name) const { return (dir.path() + "/" + Name).toStdString(); }
  QTemporaryDir dir;
};

}  // namespace

TEST_F(ImageLibraryTest, HandWrittenBytesReadWithTheirNamesSizesAndFigures) {
  WritePacked(Path("site.tkk"), HandWrittenLibrary());
  TImageProject project;
  std::string error;
  ASSERT_TRUE(ReadImageLibrary(Path("site.tkk"), project, error)) << error;
  ASSERT_EQ(project.DocumentCount(), 1);
  TImageDocument& doc = project.FirstDocument();
  ASSERT_EQ(doc.Count(), 2);
  EXPECT_EQ(doc.Items(0)->FName, "大门");
  EXPECT_EQ(doc.Items(1)->FName, "厕所");
  TCustomFigureSet* gate = doc.SetItems(0);
  ASSERT_NE(gate, nullptr);
  EXPECT_DOUBLE_EQ(gate->GetWidth(), 20);
  EXPECT_DOUBLE_EQ(gate->GetHeight(), 10);
  ASSERT_EQ(gate->FFigures->Count(), 1);
  auto* marker = dynamic_cast<TTxDefineDwd*>(gate->FFigures->Figures(0));
  ASSERT_NE(marker, nullptr);
  EXPECT_DOUBLE_EQ(marker->FDwd.x, 10);
  EXPECT_EQ(marker->FParent, gate);
  // Library blocks belong to no drawing.
  EXPECT_EQ(gate->FParent, nullptr);
  EXPECT_FALSE(doc.FChanged);
  EXPECT_EQ(OldCodeVersion, CurrentCodeVersion);
}

TEST_F(ImageLibraryTest, TheProgramWritesTheSameBytesForTheSameLibrary) {
  TImageProject project;
  TImageDocument& doc = project.FirstDocument();
  auto gate = std::make_unique<TTxBlock>();
  gate->FName = "大门";
  gate->InitialParas(20, 10);
  gate->FBrush = {clWhite, bsClear};
  auto marker = std::make_unique<TTxDefineDwd>();
  marker->FDwd = {10, 5};
  marker->SetXz(dsFilledSquare);
  gate->InsertFigure(std::move(marker));
  // Added away from its origin and turned: the library keeps it at (0, 0), upright.
  gate->FYd = {7, 9};
  gate->FXzJd = 30;
  doc.AddItem(std::move(gate));
  auto toilets = std::make_unique<TTxBlock>();
  toilets->FName = "厕所";
  toilets->FBrush = {clWhite, bsClear};
  doc.AddItem(std::move(toilets));
  EXPECT_TRUE(doc.FChanged);
  WriteImageLibrary(Path("out.tkk"), project);
  EXPECT_FALSE(doc.FChanged);
  EXPECT_EQ(Inflated(Path("out.tkk")), HandWrittenLibrary());
}

TEST_F(ImageLibraryTest, InsertingOutsideTheListIsIgnored) {
  TImageDocument doc;
  doc.InsertItem(1, std::make_unique<TTxBlock>());
  doc.InsertItem(-1, std::make_unique<TTxBlock>());
  EXPECT_EQ(doc.Count(), 0);
  EXPECT_FALSE(doc.FChanged);
  auto a = std::make_unique<TTxBlock>();
  a->FName = "a";
  auto b = std::make_unique<TTxBlock>();
  b->FName = "b";
  doc.InsertItem(0, std::move(a));
  doc.InsertItem(0, std::move(b));
  EXPECT_EQ(doc.Items(0)->FName, "b");
}

TEST_F(ImageLibraryTest, AnOlderWritersVersionHoldsWhileItsFiguresAreRead) {
  WritePacked(Path("old.tkk"), HandWrittenLibrary("2.0"));
  TImageProject project;
  std::string error;
  EXPECT_TRUE(ReadImageLibrary(Path("old.tkk"), project, error)) << error;
  EXPECT_EQ(project.FirstDocument().Count(), 2);
  EXPECT_EQ(OldCodeVersion, CurrentCodeVersion);
  // A version that is no number is no library.
  WritePacked(Path("bad.tkk"), HandWrittenLibrary("x.y"));
  EXPECT_FALSE(ReadImageLibrary(Path("bad.tkk"), project, error));
  EXPECT_EQ(OldCodeVersion, CurrentCodeVersion);
}

TEST_F(ImageLibraryTest, UnreadableFilesGiveOneEmptyDocumentAndAMessageNamingTheFile) {
  Bytes cut = HandWrittenLibrary();
  cut.resize(cut.size() - 40);
  WritePacked(Path("cut.tkk"), cut);
  WriteFile(Path("plain.tkk"), {'n', 'o', 't', ' ', 'z', 'l', 'i', 'b'});
  // A drawing is read through the same container, but it is no library.
  {
    TTxProjectFile drawing;
    drawing.FTxProject->FTxSpaces->AddObject();
    WriteDrawingFile(Path("drawing.tkk"), drawing);
  }
  for (const char* name : {"missing.tkk", "cut.tkk", "plain.tkk", "drawing.tkk"}) {
    SCOPED_TRACE(name);
    TImageProject project;
    // What was shown before goes.
    project.FirstDocument().AddItem(std::make_unique<TTxBlock>());
    std::string error;
    EXPECT_FALSE(ReadImageLibrary(Path(name), project, error));
    EXPECT_NE(error.find(Path(name)), std::string::npos) << error;
    ASSERT_EQ(project.DocumentCount(), 1);
    EXPECT_EQ(project.FirstDocument().Count(), 0);
  }
}

TEST_F(ImageLibraryTest, KnownLibrariesAreTheSettingsThenTheBundledFilesNotNamedThere) {
  const std::string oldDir = Dir_Sys;
  QDir(dir.path()).mkpath("bin/图例文件");
  QDir(dir.path()).mkpath("share/plandeck/图例文件");
  WritePacked(Path("bin/图例文件/场地图例.tkk"), HandWrittenLibrary());
  WritePacked(Path("bin/图例文件/填充.tck"), HandWrittenLibrary());
  WritePacked(Path("share/plandeck/图例文件/其它.TKK"), HandWrittenLibrary());
  Dir_Sys = Path("bin/");
  {
    QSettings settings("Verdaplan", "Plandeck");
    settings.remove("图块库");
  }
  std::vector<TLibraryEntry> blocks = KnownLibraries(TLibraryKind::Block);
  ASSERT_EQ(blocks.size(), 2u);
  EXPECT_EQ(blocks[0].Name, "场地图例");
  EXPECT_EQ(blocks[1].Name, "其它");
  EXPECT_EQ(LegendFolder(), QDir(Q(Path("bin/图例文件"))).canonicalPath().toStdString() + "/");
  {
    QSettings settings("Verdaplan", "Plandeck");
    settings.beginGroup("图块库");
    settings.setValue("我的图例", Q(Path("bin/图例文件/场地图例.tkk")));
  }
  blocks = KnownLibraries(TLibraryKind::Block);
  ASSERT_EQ(blocks.size(), 2u) << "a bundled file the settings name is listed once";
  EXPECT_EQ(blocks[0].Name, "我的图例");
  EXPECT_EQ(KnownLibraries(TLibraryKind::Fill).size(), 1u);
  {
    QSettings settings("Verdaplan", "Plandeck");
    settings.remove("图块库");
  }
  Dir_Sys = oldDir;
}
