// Saved values of figures and of the drawing root, against bytes written out
// by hand, and reading them back (older versions and damaged layer lists).

#include <gtest/gtest.h>

#include "../foundation/TestBytes.h"
#include "FigureTestSupport.h"
#include "figures/CodeVersion.h"
#include "foundation/StreamError.h"
#include "foundation/Streams.h"

namespace {

// Tagged extended floats.
void F(ByteBuilder& b, std::initializer_list<int> tenBytes) {
  b({0x05});
  b(tenBytes);
}
#define EXT_0 {0, 0, 0, 0, 0, 0, 0, 0, 0, 0}
#define EXT_1 {0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F}
#define EXT_2 {0, 0, 0, 0, 0, 0, 0, 0x80, 0x00, 0x40}
#define EXT_3 {0, 0, 0, 0, 0, 0, 0, 0xC0, 0x00, 0x40}
#define EXT_4 {0, 0, 0, 0, 0, 0, 0, 0x80, 0x01, 0x40}
#define EXT_30 {0, 0, 0, 0, 0, 0, 0, 0xF0, 0x03, 0x40}
#define EXT_50 {0, 0, 0, 0, 0, 0, 0, 0xC8, 0x04, 0x40}
#define EXT_100 {0, 0, 0, 0, 0, 0, 0, 0xC8, 0x05, 0x40}

// "图层1=2" in GBK.
const Bytes kLayer1 = {0xCD, 0xBC, 0xB2, 0xE3, '1', '=', '2'};

// The twelve figure values of a default figure: no caption, scale 1, angle
// 0, no name, black solid copy pen of width 1, white clear brush, no fill.
void DefaultFigureValues(ByteBuilder& b) {
  b({0x06, 0x00});
  F(b, EXT_1);
  F(b, EXT_0);
  b({0x06, 0x00});
  b({0x02, 0x00, 0x04, 0x00, 0x02, 0x01});
  b({0x04, 0xFF, 0xFF, 0xFF, 0x00, 0x01, 0x08});
}

// A root's values 1 to 12: grid shown 30 x 30, white background, the grid
// pen's colour and dotted style, base point 0, page 100 x 50, origin 0.
void RootValues(ByteBuilder& b) {
  b({0x09});
  F(b, EXT_30);
  F(b, EXT_30);
  b({0x04, 0xFF, 0xFF, 0xFF, 0x00});
  b({0x04, 0xE8, 0xE4, 0xE8, 0x00, 0x02});
  F(b, EXT_0);
  F(b, EXT_0);
  F(b, EXT_100);
  F(b, EXT_50);
  F(b, EXT_0);
  F(b, EXT_0);
}

Bytes SmallRootBytes(bool withPageAlign) {
  ByteBuilder b;
  DefaultFigureValues(b);
  RootValues(b);
  b({0x02, 0x01, 0x06, 0x07});
  b.b.insert(b.b.end(), kLayer1.begin(), kLayer1.end());
  b({0x01, 0x00});
  if (withPageAlign) b({0x02, 0x05, 0x02, 0x07});
  return b.b;
}

void ReadRoot(TTxFigureSet& root, const Bytes& bytes, std::size_t* left = nullptr) {
  TReader r(bytes);
  root.ReadData(r);
  if (left) *left = r.Remaining();
}

// A root's bytes with the given layers, each holding the given segments.
Bytes RootWithLayers(const std::vector<std::pair<std::string, int>>& layers) {
  return Written([&](TWriter& w) {
    TTxFigureSet proto;
    proto.FWidth = 100;
    proto.FHeight = 50;
    proto.TCustomFigure::WriteData(w);
    ByteBuilder b;
    RootValues(b);
    w.Write(b.b.data(), b.b.size());
    w.WriteInteger(int(layers.size()));
    double y = 10;
    for (const auto& [entry, count] : layers) {
      w.WriteString(entry);
      w.WriteListBegin();
      for (int i = 0; i < count; ++i) {
        w.WriteString("TTestSegment");
        Segment({0, y}, {10, y})->WriteData(w);
        y += 1;
      }
      w.WriteListEnd();
    }
    w.WriteInteger(0);
    w.WriteInteger(0);
  });
}

std::vector<std::string> Entries(const TCustomFigureSet& set) {
  std::vector<std::string> out;
  for (const TLayer& l : set.FLayers) out.push_back(l.Entry);
  return out;
}

int CountCurrent(const TCustomFigureSet& set) {
  int n = 0;
  for (const TLayer& l : set.FLayers) n += LayerFlag(l.Entry) == lfCurrent;
  return n;
}

}  // namespace

TEST(FigureValues, SegmentWritesTheTwelveFigureValuesThenItsOwn) {
  auto s = Segment({1, 2}, {3, 4}, 0x0000FF, 3, psDash);
  ByteBuilder b;
  b({0x06, 0x00});
  F(b, EXT_1);
  F(b, EXT_0);
  b({0x06, 0x00});
  b({0x03, 0xFF, 0x00});  // pen colour 255
  b({0x04, 0x01});        // raw: copy mode, dash style
  b({0x02, 0x03});        // width 3
  b({0x04, 0xFF, 0xFF, 0xFF, 0x00});
  b({0x01, 0x08});  // raw: clear brush; no fill item
  F(b, EXT_1);
  F(b, EXT_2);
  F(b, EXT_3);
  F(b, EXT_4);
  EXPECT_EQ(Written([&](TWriter& w) { s->WriteData(w); }), b.b);

  TTestSegment back;
  TReader r(b.b);
  back.ReadData(r);
  EXPECT_EQ(r.Remaining(), 0u);
  EXPECT_EQ(back.FPen, s->FPen);
  EXPECT_EQ(back.FBrush, s->FBrush);
  EXPECT_EQ(back.FZd.y, 4);
}

TEST(RootValues, SmallRootMatchesTheHandWrittenBytes) {
  TTxFigureSet root;
  root.FWidth = 100;
  root.FHeight = 50;
  root.FHorzPageAlign = 5;
  root.FVertPageAlign = 7;
  EXPECT_EQ(Written([&](TWriter& w) { root.WriteData(w); }), SmallRootBytes(true));
}

TEST(RootValues, PageAlignmentIsReadOnlyAfterVersion211) {
  {
    TTxFigureSet root;
    std::size_t left = 99;
    ReadRoot(root, SmallRootBytes(true), &left);
    EXPECT_EQ(left, 0u);
    EXPECT_EQ(root.FHorzPageAlign, 5);
    EXPECT_EQ(root.FVertPageAlign, 7);
    EXPECT_EQ(root.FWidth, 100);
    EXPECT_EQ(root.FHeight, 50);
    EXPECT_EQ(Entries(root), std::vector<std::string>{"图层1=2"});
  }
  for (double version : {2.0, 2.11}) {
    TOldCodeVersionGuard reading(version);
    TTxFigureSet root;
    std::size_t left = 99;
    ReadRoot(root, SmallRootBytes(false), &left);
    EXPECT_EQ(left, 0u) << version;
    EXPECT_EQ(root.FHorzPageAlign, 0);
    EXPECT_EQ(root.FVertPageAlign, 0);
  }
  EXPECT_EQ(OldCodeVersion, CurrentCodeVersion);
}

TEST(RootValues, LayersFlagsAndFiguresSurviveSavingAndReading) {
  TTxFigureSet root;
  std::string name;
  root.AddLayer(name);
  root.AddLayer(name);
  root.InsertFigure(Segment({1, 2}, {3, 4}, 0x123456, 2, psDot));
  root.InsertFigure(Segment({5, 6}, {7, 8}));
  root.SetCurLayer(2);
  root.InsertFigure(Segment({9, 9}, {10, 10}));
  root.SetLayerVisible(0, false);
  root.FBackColor = 0x010203;
  const Bytes bytes = Written([&](TWriter& w) { root.WriteData(w); });

  TFakeDocument doc;
  TTxFigureSet back(&doc);
  std::size_t left = 99;
  ReadRoot(back, bytes, &left);
  EXPECT_EQ(left, 0u);
  EXPECT_EQ(Entries(back), (std::vector<std::string>{"图层1=0", "图层2=1", "图层3=2"}));
  EXPECT_EQ(back.FFigures, back.LayerList(2));
  EXPECT_EQ(back.FBackColor, 0x010203u);
  ASSERT_EQ(back.LayerList(0)->Count(), 2);
  ASSERT_EQ(back.LayerList(2)->Count(), 1);
  auto* first = dynamic_cast<TTestSegment*>(back.LayerList(0)->Figures(1));
  ASSERT_TRUE(first);
  EXPECT_EQ(first->FPen, (TPen{0x123456, pmCopy, psDot, 2}));
  EXPECT_EQ(first->FZd.x, 3);
  EXPECT_EQ(first->FParent, &back);
  EXPECT_EQ(first->FDocument, &doc);
  EXPECT_EQ(Written([&](TWriter& w) { back.WriteData(w); }), bytes);

  TMemoryStream s;
  back.WriteStream(s);
  EXPECT_EQ(s.Data(), (Bytes{3, 0, 0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0}));
  s.SetPosition(0);
  back.ReadStream(s);
  TMemoryStream tooMany(Bytes{4, 0, 0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0});
  EXPECT_THROW(back.ReadStream(tooMany), EStreamError);
}

TEST(RootReading, WithoutACurrentLayerTheLastVisibleOneBecomesCurrent) {
  TTxFigureSet root;
  ReadRoot(root, RootWithLayers({{"a=1", 1}, {"b=1", 1}, {"c=3", 1}, {"d=0", 0}}));
  EXPECT_EQ(Entries(root), (std::vector<std::string>{"a=1", "b=2", "c=3", "d=0"}));
  ASSERT_EQ(root.FFigures, root.LayerList(1));
  // A figure drawn afterwards is painted and saved.
  root.InsertFigure(Segment({0, 40}, {90, 40}));
  TTxFigureSet again;
  ReadRoot(again, Written([&](TWriter& w) { root.WriteData(w); }));
  EXPECT_EQ(again.LayerList(1)->Count(), 2);
  root.FShowGrid = false;
  Sheet s(100, 60);
  PaintRoot(root, s);
  EXPECT_TRUE(s.Ink(45, 60 - 40));
}

TEST(RootReading, WithNoVisibleLayerANewCurrentLayerIsAdded) {
  TTxFigureSet root;
  ReadRoot(root, RootWithLayers({{"a=3", 1}, {"b=0", 1}}));
  EXPECT_EQ(Entries(root), (std::vector<std::string>{"a=3", "b=0", "图层2=2"}))
      << "named as AddLayer names one; locked and hidden layers untouched";
  EXPECT_EQ(root.FFigures, root.LayerList(2));
  EXPECT_EQ(root.FFigures->Count(), 0);
}

TEST(RootReading, OnlyTheFirstCurrentLayerStaysCurrent) {
  TTxFigureSet root;
  ReadRoot(root, RootWithLayers({{"a=2", 1}, {"b=2", 2}}));
  EXPECT_EQ(Entries(root), (std::vector<std::string>{"a=2", "b=1"}));
  EXPECT_EQ(root.FFigures, root.LayerList(0));
  EXPECT_EQ(root.LayerList(0)->Count(), 1);
  EXPECT_EQ(root.LayerList(1)->Count(), 2);
  TTxFigureSet again;
  ReadRoot(again, Written([&](TWriter& w) { root.WriteData(w); }));
  EXPECT_EQ(again.LayerList(0)->Count() + again.LayerList(1)->Count(), 3) << "no figure saved twice";
}

TEST(RootReading, AFlagThatIsNotANumberReadsAsAVisibleLayer) {
  TTxFigureSet root;
  ReadRoot(root, RootWithLayers({{"a=x", 1}, {"b", 1}, {"c=2", 1}}));
  EXPECT_EQ(Entries(root), (std::vector<std::string>{"a=1", "b=1", "c=2"}));
  EXPECT_NE(root.SelectFigure({5, 10}, nullptr, 1.0), nullptr);
  root.FShowGrid = false;
  Sheet s(100, 60);
  PaintRoot(root, s);
  EXPECT_TRUE(s.Ink(5, 60 - 10)) << "the first layer's segment is painted";
}

TEST(RootReading, AFailedReadLeavesOneCurrentLayer) {
  Bytes bytes = RootWithLayers({{"a=1", 1}, {"b=2", 1}});
  // Damage the second layer's class name.
  const std::string cls = "TTestSegment";
  auto at = std::search(bytes.rbegin(), bytes.rend(), cls.rbegin(), cls.rend());
  ASSERT_NE(at, bytes.rend());
  *(at.base() - 1) = 'X';
  TTxFigureSet root;
  EXPECT_THROW(ReadRoot(root, bytes), EStreamError);
  EXPECT_EQ(CountCurrent(root), 1);
  ASSERT_NE(root.FFigures, nullptr);
  EXPECT_EQ(root.LayerList(0)->Count(), 1);
  EXPECT_EQ(root.LayerList(0)->Figures(0)->FParent, &root);
}

TEST(RootReading, ALayerHoldsFiguresOnly) {
  Bytes bytes = RootWithLayers({{"a=2", 0}});
  // Put a caption record where a figure would be: list begin, class, values.
  const Bytes item = ByteBuilder{}({0x06}).Str("TCapPersistent")({0x06, 0x00, 0x06, 0x00}).b;
  auto listBegin = bytes.end() - 2 * 2 - 2;  // before list end and the two alignments
  bytes.insert(listBegin + 1, item.begin(), item.end());
  TTxFigureSet root;
  try {
    ReadRoot(root, bytes);
    FAIL();
  } catch (const EStreamError& e) {
    EXPECT_STREQ(e.what(), "Invalid property value");
  }
  EXPECT_EQ(CountCurrent(root), 1);
}
