#include "TestBytes.h"
#include "TestClasses.h"

#include "foundation/ComponentImage.h"
#include "foundation/StreamError.h"

#include <gtest/gtest.h>

namespace {

class ComponentImage : public ::testing::Test {
protected:
  void SetUp() override { RegisterTestClasses(); }
};

std::string ReadError(const Bytes& image, TPersistent& root) {
  try {
    ReadComponentImage(image, root);
  } catch (const EStreamError& e) {
    return e.what();
  }
  return "(no error)";
}

// The image of a TTestRoot whose project holds Value and one space "编号".
Bytes RootImage(int value) {
  ByteBuilder b;
  b("TPF0").Str("TTestRoot")({0});
  b.Str("TxProject.TxSpaces.P")({0x02, 0x01, 0x06, 14})("TCapPersistent");
  b({0x06, 0x04, 0xB1, 0xE0, 0xBA, 0xC5, 0x06, 0x00});
  b.Str("TxProject.TxSpaces.S")({0x0A, 4, 0, 0, 0, 1, 0, 0, 0});
  b.Str("TxProject.P")({0x02, value});
  b.Str("TxProject.S")({0x0A, 0, 0, 0, 0});
  b({0, 0});
  return b.b;
}

}  // namespace

TEST_F(ComponentImage, RootWritesSlotPathsThenPAndS) {
  TTestRoot root;
  root.FProject->FValue = 5;
  root.FProject->FSpaces->AddObject();
  EXPECT_EQ(WriteComponentImage(root), RootImage(5));
}

TEST_F(ComponentImage, EmptySameListWritesCountZeroAndNoClassName) {
  TTestRoot root;
  ByteBuilder b;
  b("TPF0").Str("TTestRoot")({0});
  b.Str("TxProject.TxSpaces.P")({0x02, 0x00});
  b.Str("TxProject.TxSpaces.S")({0x0A, 4, 0, 0, 0, 0, 0, 0, 0});
  b.Str("TxProject.P")({0x02, 0x00});
  b.Str("TxProject.S")({0x0A, 0, 0, 0, 0});
  b({0, 0});
  EXPECT_EQ(WriteComponentImage(root), b.b);
}

TEST_F(ComponentImage, HandWrittenImageReadsIntoExistingRoot) {
  TTestRoot root;
  ReadComponentImage(RootImage(42), root);
  EXPECT_EQ(root.FProject->FValue, 42);
  ASSERT_EQ(root.FProject->FSpaces->Count(), 1);
  auto* space = dynamic_cast<TCapPersistent*>(root.FProject->FSpaces->Items(0));
  ASSERT_NE(space, nullptr);
  EXPECT_EQ(space->FCaption, "编号");
  EXPECT_EQ(space->FOwner, root.FProject->FSpaces.get());
}

TEST_F(ComponentImage, ClassNameInImageIsNotCheckedWhenReadingIntoARoot) {
  Bytes image = RootImage(7);
  image[5] = 'X';  // "TXestRoot"
  TTestRoot root;
  ReadComponentImage(image, root);
  EXPECT_EQ(root.FProject->FValue, 7);
}

TEST_F(ComponentImage, RecordPrefixIsSkipped) {
  for (Bytes prefix : {Bytes{0xF0}, Bytes{0xF2, 0x02, 0x03}, Bytes{0xF6, 0x03, 0x10, 0x00}}) {
    Bytes image = RootImage(9);
    image.insert(image.begin() + 4, prefix.begin(), prefix.end());
    TTestRoot root;
    ReadComponentImage(image, root);
    EXPECT_EQ(root.FProject->FValue, 9);
  }
}

TEST_F(ComponentImage, BadPathsAndNamesFailWithTheirMessages) {
  auto imageWithProperty = [](std::string_view name) {
    ByteBuilder b;
    b("TPF0").Str("TTestRoot")({0}).Str(name)({0x02, 0x01, 0, 0});
    return b.b;
  };
  TTestRoot root;
  EXPECT_EQ(ReadError(imageWithProperty("Nowhere.P"), root), StreamMsg::InvalidPropertyPath);
  EXPECT_EQ(ReadError(imageWithProperty("TxProject.Nowhere.P"), root), StreamMsg::InvalidPropertyPath);
  EXPECT_EQ(ReadError(imageWithProperty("TxProject.Q"), root), StreamMsg::PropertyDoesNotExist);
  // The root itself defines no properties.
  EXPECT_EQ(ReadError(imageWithProperty("P"), root), StreamMsg::PropertyDoesNotExist);
  // Slot and property names are matched ignoring case.
  EXPECT_EQ(ReadError(imageWithProperty("txproject.p"), root), "(no error)");
  EXPECT_EQ(root.FProject->FValue, 1);
}

TEST_F(ComponentImage, BadSignatureOrTruncationFailsCleanly) {
  TTestRoot root;
  Bytes image = RootImage(1);
  image[3] = '1';
  EXPECT_EQ(ReadError(image, root), StreamMsg::InvalidStreamFormat);
  const Bytes whole = RootImage(1);
  for (std::size_t n = 0; n < whole.size(); ++n) {
    TTestRoot r;
    EXPECT_THROW(ReadComponentImage(std::span(whole).first(n), r), EStreamError) << n;
  }
}

TEST_F(ComponentImage, UnknownItemClassNamesTheClass) {
  ByteBuilder b;
  b("TPF0").Str("TTestRoot")({0}).Str("TxProject.TxSpaces.P")({0x02, 0x01, 0x06, 5})("TNope");
  TTestRoot root;
  EXPECT_EQ(ReadError(b.b, root), "Class TNope not found");
}

TEST_F(ComponentImage, ResourceHeaderFramesTheImage) {
  TTestRoot root;
  root.FProject->FValue = 5;
  root.FProject->FSpaces->AddObject();
  const Bytes image = RootImage(5);
  ByteBuilder b;
  b({0xFF, 0x0A, 0x00})("TTESTROOT")({0x00, 0x30, 0x10, static_cast<int>(image.size()), 0, 0, 0});
  b.b.insert(b.b.end(), image.begin(), image.end());
  EXPECT_EQ(WriteResourceImage(root), b.b);
  EXPECT_EQ(SkipResourceHeader(b.b), 19u);
}

class TAVeryLongClassNameThatGoesOnAndOnWellPastTheSixtyThreeCharacterLimit : public TComponent {
  PLANDECK_DECLARE_CLASS(TAVeryLongClassNameThatGoesOnAndOnWellPastTheSixtyThreeCharacterLimit)
public:
  explicit TAVeryLongClassNameThatGoesOnAndOnWellPastTheSixtyThreeCharacterLimit(TMyPersistent* = nullptr) {}
};
PLANDECK_DEFINE_CLASS(TAVeryLongClassNameThatGoesOnAndOnWellPastTheSixtyThreeCharacterLimit, TComponent)

TEST_F(ComponentImage, ResourceNameIsCutToSixtyThreeCharacters) {
  TAVeryLongClassNameThatGoesOnAndOnWellPastTheSixtyThreeCharacterLimit root;
  const Bytes data = WriteResourceImage(root);
  const std::string name(reinterpret_cast<const char*>(data.data()) + 3);
  EXPECT_EQ(name, std::string("TAVERYLONGCLASSNAMETHATGOESONANDONWELLPASTTHESIXTYTHREECHARACTE"));
  EXPECT_EQ(name.size(), 63u);
  EXPECT_EQ(SkipResourceHeader(data), 3u + 64 + 6);
}

TEST_F(ComponentImage, MalformedResourceHeadersAreRefused) {
  for (Bytes bad : {Bytes{}, Bytes{0xFF, 0x0A}, Bytes{0xFE, 0x0A, 0x00, 'A', 0, 0x30, 0x10, 0, 0, 0, 0},
                    Bytes{0xFF, 0x0B, 0x00, 'A', 0, 0x30, 0x10, 0, 0, 0, 0},
                    Bytes{0xFF, 0x0A, 0x00, 'A', 0, 0x30, 0x10},  // cut inside the size
                    Bytes(100, 0x41)}) {
    EXPECT_THROW(SkipResourceHeader(bad), EStreamError);
  }
  // A name with no terminator within the 79-byte window.
  Bytes unterminated{0xFF, 0x0A, 0x00};
  unterminated.resize(200, 'A');
  EXPECT_THROW(SkipResourceHeader(unterminated), EStreamError);
}

TEST_F(ComponentImage, ClipboardCarriesAListWithItsOrigin) {
  TTestItem a, b;
  a.FNumber = 1;
  a.FText = "甲";
  b.FNumber = 300;
  b.FValue = 0.5;
  b.FBlob = {0xAB};
  TMyList list;
  list.Add(&a);
  list.Add(&b);
  list.FYd = {100, -200};

  ByteBuilder e;
  e("TPF0").Str("TMyList")({0});
  e.Str("P")({0x01});
  e({0x06, 9})("TTestItem")({0x02, 1, 0x05, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x06, 2, 0xBC, 0xD7});
  e({0x06, 9})("TTestItem")({0x03, 0x2C, 0x01, 0x05, 0, 0, 0, 0, 0, 0, 0, 0x80, 0xFE, 0x3F, 0x06, 0});
  e({0x00, 0x02, 100, 0x03, 0x38, 0xFF});
  e.Str("S")({0x0A, 7, 0, 0, 0, 2, 0, 0, 0, 0, 1, 0xAB});
  e({0, 0});
  const Bytes image = WriteClipboardImage(list);
  EXPECT_EQ(image, e.b);

  ASSERT_TRUE(CheckClipboardImage(image));
  auto back = ReadClipboardImage(image);
  ASSERT_EQ(back->Count(), 2);
  EXPECT_EQ(back->FYd.x, 100);
  EXPECT_EQ(back->FYd.y, -200);
  auto* b2 = dynamic_cast<TTestItem*>(back->Items(1));
  ASSERT_NE(b2, nullptr);
  EXPECT_EQ(b2->FNumber, 300);
  EXPECT_EQ(b2->FValue, 0.5);
  EXPECT_EQ(b2->FBlob, Bytes{0xAB});
  EXPECT_EQ(b2->FOwner, nullptr);
  EXPECT_EQ(dynamic_cast<TTestItem*>(back->Items(0))->FText, "甲");
}

TEST_F(ComponentImage, ClipboardCheckRefusesOtherRootsAndDamage) {
  TTestRoot root;
  EXPECT_FALSE(CheckClipboardImage(WriteComponentImage(root)));
  TMyList list;
  Bytes image = WriteClipboardImage(list);
  EXPECT_TRUE(CheckClipboardImage(image));
  image.pop_back();
  EXPECT_FALSE(CheckClipboardImage(image));
  EXPECT_FALSE(CheckClipboardImage(Bytes{'T', 'P', 'F', '0', 5, 'T', 'N', 'o', 'p', 'e', 0, 0, 0}));
}

TEST_F(ComponentImage, StreamCountBeyondTheItemsFailsWithListIndex) {
  TMyList list;
  Bytes image = WriteClipboardImage(list);
  // "S" holds a count of 3 items that "P" never created.
  const Bytes tail{0x0A, 4, 0, 0, 0, 3, 0, 0, 0, 0, 0};
  image.resize(image.size() - tail.size());
  image.insert(image.end(), tail.begin(), tail.end());
  try {
    ReadClipboardImage(image);
    FAIL();
  } catch (const EStreamError& e) {
    EXPECT_STREQ(e.what(), "List index out of bounds (0)");
  }
}
