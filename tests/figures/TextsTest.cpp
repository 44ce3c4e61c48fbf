// The text figures: saved values against bytes written out by hand (the
// current layout, the font layout of files up to 2.12 and the first
// version's extra values), wrapping that keeps GBK characters whole, where
// rotated and wrapped texts land on pixels, the text line's gap, the box
// handles, mirror and the leader line's side.

#include <gtest/gtest.h>

#include "FigureBytes.h"
#include "figures/CodeVersion.h"
#include "figures/FigureKit.h"
#include "figures/Texts.h"

#include <cmath>

namespace {

const Ext X11 = {0, 0, 0, 0, 0, 0, 0, 0xB0, 0x02, 0x40};
const Ext XMinus12 = {0, 0, 0, 0, 0, 0, 0, 0xC0, 0x02, 0xC0};
const Ext X200 = {0, 0, 0, 0, 0, 0, 0, 0xC8, 0x06, 0x40};

// "宋体", black, then pixels per inch 96 and height H (or one point size).
void FontBlock(ByteBuilder& b, Ext Height, int OldPointSize = 0) {
  b({0x06, 0x04, 0xCB, 0xCE, 0xCC, 0xE5});
  b({0x02, 0x00});
  if (OldPointSize) {
    b({0x02, OldPointSize});
  } else {
    b({0x02, 0x60});
    F(b, Height);
  }
  b({0x00});
}

// A label at (1, 2), 100 by 20, with the text "1#塔吊".
Bytes XLabelBytes(int OldPointSize = 0, bool Version1 = false) {
  ByteBuilder b;
  FigureValues(b, psClear);
  F(b, X1);
  F(b, X2);
  F(b, X100);
  F(b, X20);
  if (Version1) b({0x01});  // the frame byte: bit 0 set, a solid frame
  FontBlock(b, X11, OldPointSize);
  if (Version1) b({0x08});  // an ignored boolean
  b({0x08});                // not sized to its text
  if (Version1) b({0x09});  // another ignored boolean
  b({0x06, 0x06, '1', '#', 0xCB, 0xFE, 0xB5, 0xF5});
  return b.b;
}

// A memo at (1, 2), 100 by 200, no text of its own and the lines
// "塔吊基础" and "丂万" (丂 has the lead byte 0x81).
Bytes MemoBytes(int OldPointSize = 0, int Lines = 2, bool Version1 = false) {
  ByteBuilder b;
  FigureValues(b, psClear);
  F(b, X1);
  F(b, X2);
  F(b, X100);
  F(b, X200);
  if (Version1) b({0x00});  // frame
  FontBlock(b, X11, OldPointSize);
  if (Version1) b({0x00, 0x09});  // alignment, transparent
  b({0x08});                      // auto size
  if (Version1) b({0x08});        // word wrap
  b({0x06, 0x00});
  b({0x02, Lines});
  if (Lines >= 1) b({0x06, 0x08, 0xCB, 0xFE, 0xB5, 0xF5, 0xBB, 0xF9, 0xB4, 0xA1});
  if (Lines >= 2) b({0x06, 0x04, 0x81, 0x40, 0xCD, 0xF2});
  return b.b;
}

template <class T>
Bytes Written(T& f) {
  return ::Written([&](TWriter& w) { f.WriteData(w); });
}

}  // namespace

TEST(TextBytes, SlantedLabelReadsAndWritesItsValuesByteForByte) {
  const Bytes bytes = XLabelBytes();
  TTxXLabel l;
  ReadAll(l, bytes);
  EXPECT_EQ(l.FText, "1#塔吊");
  EXPECT_DOUBLE_EQ(l.FYd.x, 1);
  EXPECT_DOUBLE_EQ(l.FHeight, 20);
  EXPECT_DOUBLE_EQ(l.FFont->FHeight, 11);
  EXPECT_EQ(l.FFont->FName, "宋体");
  EXPECT_EQ(Written(l), bytes);
  // A label as made writes the same layout with its defaults.
  TTxXLabel made;
  made.FYd = {1, 2};
  made.FText = "1#塔吊";
  EXPECT_EQ(Written(made), bytes);
}

TEST(TextBytes, OlderFilesKeepOnePointSizeAndTheFirstVersionMoreValues) {
  const std::int32_t screen = ScreenLogPixels;
  ScreenLogPixels = 96;
  {
    TOldCodeVersionGuard old(2.12);
    TTxXLabel l;
    ReadAll(l, XLabelBytes(9));
    // Nine points at 96 pixels per inch: a character height of 12.
    EXPECT_DOUBLE_EQ(l.FFont->FHeight, -12);
    TTxMemo m;
    ReadAll(m, MemoBytes(9));
    EXPECT_EQ(m.FLines, (std::vector<std::string>{"塔吊基础", "丂万"}));
  }
  TTxXLabel l;
  {
    TOldCodeVersionGuard old(1);
    ReadAll(l, XLabelBytes(9, true));
  }
  EXPECT_EQ(l.FPen.Style, psSolid);  // the first version's frame bit
  EXPECT_EQ(l.FText, "1#塔吊");
  // Written back in today's layout: pixels per inch and the height.
  Bytes now = XLabelBytes();
  now[29] = psSolid;
  const Bytes h11 = {0x05, 0, 0, 0, 0, 0, 0, 0, 0xB0, 0x02, 0x40};
  const Bytes hm12 = {0x05, 0, 0, 0, 0, 0, 0, 0, 0xC0, 0x02, 0xC0};
  auto at = std::search(now.begin(), now.end(), h11.begin(), h11.end());
  ASSERT_NE(at, now.end());
  std::copy(hm12.begin(), hm12.end(), at);
  EXPECT_EQ(Written(l), now);

  TTxMemo m;
  {
    TOldCodeVersionGuard old(1);
    ReadAll(m, MemoBytes(9, 2, true));
  }
  EXPECT_TRUE(m.FTransparent);
  EXPECT_FALSE(m.FWordWrap);
  EXPECT_EQ(m.FLines.size(), 2u);
  ScreenLogPixels = screen;
}

TEST(TextBytes, MemoReadsAndWritesItsLinesByteForByte) {
  const Bytes bytes = MemoBytes();
  TTxMemo m;
  ReadAll(m, bytes);
  EXPECT_EQ(m.FLines, (std::vector<std::string>{"塔吊基础", "丂万"}));
  EXPECT_EQ(Written(m), bytes);
}

TEST(TextBytes, MemoReadWithNoLinesKeepsItsDefaultLineAndWritesItBack) {
  TTxMemo m;
  ReadAll(m, MemoBytes(0, 0));
  EXPECT_EQ(m.FLines, std::vector<std::string>{"文本框"});
  // As the format has it: the default line comes back as one line.
  Bytes one = MemoBytes(0, 0);
  one.pop_back();
  ByteBuilder tail;
  tail({0x01, 0x06, 0x06, 0xCE, 0xC4, 0xB1, 0xBE, 0xBF, 0xF2});
  one.insert(one.end(), tail.b.begin(), tail.b.end());
  EXPECT_EQ(Written(m), one);
}

TEST(TextBytes, EditBoxLeaderAndTextLineWriteTheirValuesInOrder) {
  TTxEdit e;
  ByteBuilder b;
  FigureValues(b, psClear);
  F(b, X0);
  F(b, X0);
  F(b, X100);
  F(b, X20);
  FontBlock(b, X11);
  b({0x08});
  b({0x06, 0x06, 0xB1, 0xE0, 0xBC, 0xAD, 0xBF, 0xF2});  // "编辑框"
  EXPECT_EQ(Written(e), b.b);
  TTxEdit back;
  ReadAll(back, b.b);
  EXPECT_EQ(back.FText, "编辑框");

  TDimension d;
  d.FPoints = {{1, 2}, {3, 4}};
  d.FText = "施工道路";
  ByteBuilder c;
  FigureValues(c);
  FontBlock(c, X11);
  c({0x06, 0x08, 0xCA, 0xA9, 0xB9, 0xA4, 0xB5, 0xC0, 0xC2, 0xB7});
  c({0x02, 0x01, 0x02, 0x02});  // on the right, two points
  for (Ext v : {X1, X2, X3, X4}) F(c, v);
  EXPECT_EQ(Written(d), c.b);
  TDimension dback;
  ReadAll(dback, c.b);
  EXPECT_EQ(dback.FPoints.size(), 2u);
  EXPECT_EQ(Written(dback), c.b);

  TTxTextLine t;
  t.AddPoint({0, 0});
  t.AddPoint({10, 0});
  const Bytes tb = Written(t);
  // The line's own values end with the font block, the text "V" and the gap 0.
  ByteBuilder tail;
  FontBlock(tail, X11);
  tail({0x06, 0x01, 'V'});
  F(tail, X0);
  ASSERT_GT(tb.size(), tail.b.size());
  EXPECT_TRUE(std::equal(tail.b.begin(), tail.b.end(), tb.end() - std::ptrdiff_t(tail.b.size())));
  TTxTextLine tback;
  ReadAll(tback, tb);
  EXPECT_EQ(Written(tback), tb);
}

// ---- wrapping

TEST(TextWrap, KeepsEveryGbkCharacterWholeAndLeavesGb2312AsBefore) {
  // GB2312 text: the old rule and the new one agree.
  EXPECT_EQ(WrapByBytes("拟建建筑", 5), (std::vector<std::string>{"拟建", "建筑"}));
  EXPECT_EQ(WrapByBytes("ab拟建", 3), (std::vector<std::string>{"ab", "拟", "建"}));
  EXPECT_EQ(WrapByBytes("abcd", 2), (std::vector<std::string>{"ab", "cd"}));
  // Lead bytes 0x81-0xA0 start two-byte characters too: never cut in half.
  EXPECT_EQ(WrapByBytes("丂亐丂", 3), (std::vector<std::string>{"丂", "亐", "丂"}));
  EXPECT_EQ(WrapByBytes("a丂b", 2), (std::vector<std::string>{"a", "丂", "b"}));
  EXPECT_EQ(GbkLength("1#塔吊"), 6u);
}

namespace {

// A label painted unscaled on a 400 x 400 sheet.
struct TLabelSheet {
  Sheet s{400, 400};
  void Paint(TCustomFigure& F) { PaintFigure(F, s); }
};

}  // namespace

TEST(TextPixels, RotatedLabelStandsInItsTurnedBox) {
  TTxXLabel l;
  l.FText = "WWWW";
  l.FYd = {200, 100};
  l.FWidth = 150;
  l.FHeight = 20;
  l.FFont->FHeight = 20;
  l.FXzJd = 90;
  TLabelSheet sh;
  sh.Paint(l);
  // Turned a quarter: the box runs up from (200, 100) to the left of x = 200.
  EXPECT_GT(BoxInk(sh.s, 178, 100, 201, 250), 40);
  EXPECT_EQ(BoxInk(sh.s, 0, 0, 399, 95), 0);
  EXPECT_EQ(BoxInk(sh.s, 205, 0, 399, 399), 0);
  EXPECT_EQ(BoxInk(sh.s, 0, 0, 175, 399), 0);

  // Unturned, the same text lies along the x axis above the origin.
  l.FXzJd = 0;
  TLabelSheet flat;
  flat.Paint(l);
  EXPECT_GT(BoxInk(flat.s, 200, 100, 350, 121), 40);
  EXPECT_EQ(BoxInk(flat.s, 0, 125, 399, 399), 0);
}

TEST(TextPixels, WrappedLabelPutsEachLineOneFontHeightLower) {
  TTxXLabel l;
  l.FText = "WWWWWWWW";
  l.FYd = {50, 100};
  l.FFont->FHeight = 20;
  l.FHeight = 40;
  TLabelSheet probe;
  SetViewMapping(*probe.s, 400);
  probe.s->SelectFont([&] {
    TLogFont f;
    f.Height = 20;
    return f;
  }());
  const int full = probe.s->GetTextExtentPoint("WWWWWWWW").cx;
  // Room for half the text: two lines of four.
  l.FWidth = full / 2.0 + 1;
  EXPECT_EQ(l.TextLines(*probe.s), (std::vector<std::string>{"WWWW", "WWWW"}));
  TLabelSheet sh;
  sh.Paint(l);
  EXPECT_GT(BoxInk(sh.s, 50, 121, 50 + full / 2, 140), 20);  // the first line
  EXPECT_GT(BoxInk(sh.s, 50, 100, 50 + full / 2, 119), 20);  // the second, one height lower
  EXPECT_EQ(BoxInk(sh.s, 52 + full / 2 + 4, 0, 399, 399), 0);
  // A box one line high cuts the text at the last whole line.
  l.FHeight = 20;
  EXPECT_EQ(l.TextLines(*probe.s).size(), 1u);
}

TEST(TextPixels, LabelWithAFontOfNoHeightPaintsOnlyItsFrame) {
  TTxXLabel l;
  l.FYd = {100, 100};
  l.FFont->FHeight = 0;
  l.FPen.Style = psSolid;
  TLabelSheet sh;
  sh.Paint(l);
  EXPECT_GT(ColumnInk(sh.s, 100, 100, 120), 15);  // the frame's left side
  EXPECT_EQ(BoxInk(sh.s, 105, 105, 195, 115), 0);  // and nothing inside it
  EXPECT_TRUE(l.TextLines(*sh.s).empty());
}

TEST(TextPixels, TextLineTakesTheWidthOfWAsItsGapAndBreaksTheLineForTheText) {
  TTxTextLine t;
  t.FFont->FHeight = 16;
  t.AddPoint({20, 200});
  t.AddPoint({380, 200});
  t.FText = "";
  TLabelSheet plain;
  plain.Paint(t);
  // No text: a plain line, unbroken, and the gap still unset.
  EXPECT_EQ(BoxInk(plain.s, 20, 200, 379, 200), 360);
  EXPECT_EQ(t.FGap, 0);
  t.FText = "V";
  TLabelSheet sh;
  sh.Paint(t);
  const double gap = t.FGap;
  EXPECT_GT(gap, 4);
  TLabelSheet again;
  again.Paint(t);
  EXPECT_EQ(t.FGap, gap);  // set once and kept
  // Line pieces of the gap's length alternate with copies of the text, so
  // the line is broken where each text stands (a glyph may cross it).
  int gaps = 0;
  for (int x = 21; x < 379; ++x) gaps += InkAt(sh.s, x - 1, 200) && !InkAt(sh.s, x, 200);
  EXPECT_GE(gaps, int(360 / (gap + 20)));
  EXPECT_EQ(gaps == 0, false);
  EXPECT_GT(BoxInk(sh.s, 20, 192, 379, 199) + BoxInk(sh.s, 20, 201, 379, 208), 40);
}

TEST(TextPixels, TextLinePatternCarriesOverAVertex) {
  // The same total length, once straight and once with a vertex in the
  // middle of a text copy's place: as many pieces of line either way.
  auto pieces = [](std::vector<Tpt> pts) {
    TTxTextLine t;
    t.FFont->FHeight = 16;
    t.FGap = 30;
    for (Tpt p : pts) t.AddPoint(p);
    TLabelSheet sh;
    sh.Paint(t);
    int runs = 0;
    bool prev = false;
    for (int x = 10; x <= 390; ++x) {
      const bool ink = InkAt(sh.s, x, 200);
      runs += ink && !prev;
      prev = ink;
    }
    return runs;
  };
  const int straight = pieces({{20, 200}, {380, 200}});
  const int split = pieces({{20, 200}, {215, 200}, {380, 200}});
  EXPECT_GE(straight, 3);
  EXPECT_EQ(split, straight);
}

// ---- setters, handles, mirror

TEST(TextFigures, ChangingOnlyTheLetterCaseKeepsTheText) {
  TTxXLabel l;
  l.FText = "Tower";
  l.SetText("TOWER");
  EXPECT_EQ(l.FText, "Tower");
  l.SetText("塔吊");
  EXPECT_EQ(l.FText, "塔吊");
  TTxEdit e;
  e.SetText("编辑框");
  e.SetText("abc");
  e.SetText("ABC");
  EXPECT_EQ(e.FText, "abc");
}

TEST(TextFigures, BoxHandlesResizeButNeverTurnTheBoxInsideOut) {
  TTxEdit e;
  e.FYd = {100, 100};
  e.MoveHandleTo(5, {250, 150});
  EXPECT_DOUBLE_EQ(e.FWidth, 150);
  EXPECT_DOUBLE_EQ(e.FHeight, 50);
  e.MoveHandleTo(1, {120, 110});
  EXPECT_DOUBLE_EQ(e.FYd.x, 120);
  EXPECT_DOUBLE_EQ(e.FWidth, 130);
  EXPECT_DOUBLE_EQ(e.FHeight, 40);
  // Past the opposite edge: ignored.
  e.MoveHandleTo(1, {300, 120});
  e.MoveHandleTo(4, {100, 120});
  e.MoveHandleTo(6, {150, 90});
  EXPECT_DOUBLE_EQ(e.FYd.x, 120);
  EXPECT_DOUBLE_EQ(e.FWidth, 130);
  EXPECT_DOUBLE_EQ(e.FHeight, 40);
  TPoint h;
  e.GetHandle(7, h);
  EXPECT_EQ(h.x, 120);
  EXPECT_EQ(h.y, 150);
}

TEST(TextFigures, SlantedLabelTurnsByItsHandlesAndResizesInItsFrame) {
  TTxXLabel l;
  l.FYd = {100, 100};
  l.RotateHandleTo(3, {100, 200});
  EXPECT_NEAR(l.FXzJd, 90, 1e-9);
  // Handle 5 stands at atan(20/100) from the box's own axis.
  l.RotateHandleTo(5, {200, 100});
  EXPECT_NEAR(l.FXzJd, -RadToDeg(std::atan2(20.0, 100.0)), 1e-9);
  l.FXzJd = 90;
  l.MoveHandleTo(4, {90, 160});  // 60 along the turned x axis
  EXPECT_NEAR(l.FWidth, 60, 1e-9);
  l.FAutoSize = true;
  l.MoveHandleTo(4, {90, 180});
  EXPECT_NEAR(l.FWidth, 60, 1e-9);
}

TEST(TextFigures, MirrorKeepsTheBoxUprightAndTheLeaderTextOutside) {
  TTxMemo m;
  m.FYd = {10, 10};
  m.FigureMirror(pptobx({100, 0}, {100, 10}));
  EXPECT_DOUBLE_EQ(m.FYd.x, 90);
  EXPECT_DOUBLE_EQ(m.FWidth, 100);
  TDimension d;
  d.FPoints = {{0, 0}, {10, 10}};
  d.FigureMirror(pptobx({50, 0}, {50, 10}));
  EXPECT_EQ(d.FTextAlign, 0);
  EXPECT_DOUBLE_EQ(d.FPoints[1].x, 90);
}

TEST(TextFigures, LeaderLineNeedsTwoPointsAndStandsItsTextOnTheUnderline) {
  TDimension d;
  TTxCollectBxdy one;
  static_cast<TTxPolygonBxdy*>(one.AddObject())->FDwd = {10, 10};
  d.CreateByRefPoint(one);
  EXPECT_TRUE(d.FPoints.empty());
  TTxCollectBxdy two;
  static_cast<TTxPolygonBxdy*>(two.AddObject())->FDwd = {100, 100};
  static_cast<TTxPolygonBxdy*>(two.AddObject())->FDwd = {150, 200};
  d.FText = "WWW";
  d.FFont->FHeight = 20;
  d.CreateByRefPoint(two);
  ASSERT_EQ(d.FPoints.size(), 2u);
  EXPECT_GT(d.FTextLength, 20);
  EXPECT_GT(d.FTextHeight, 10);
  TLabelSheet sh;
  sh.Paint(d);
  const int len = int(d.FTextLength);
  // The underline runs right from the last point, the text above it.
  EXPECT_EQ(BoxInk(sh.s, 151, 200, 150 + len - 1, 200), len - 1);
  EXPECT_GT(BoxInk(sh.s, 150, 202, 150 + len, 200 + int(d.FTextHeight)), 20);
  EXPECT_EQ(BoxInk(sh.s, 150, 180, 399, 198), 0);
  d.FTextAlign = 0;
  TLabelSheet left;
  left.Paint(d);
  EXPECT_EQ(BoxInk(left.s, 151, 201, 399, 230), 0);
  EXPECT_GT(BoxInk(left.s, 150 - len, 202, 150, 200 + int(d.FTextHeight)), 20);
  // Picked on its segments.
  EXPECT_TRUE(d.Selected({125, 150}, 1));
  EXPECT_FALSE(d.Selected({300, 50}, 1));
}
