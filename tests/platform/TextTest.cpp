// Fonts and text: Windows faces falling back to a CJK family, escapement,
// heights, alignment and extents.

#include <gtest/gtest.h>

#include <QFontDatabase>
#include <QGlyphRun>
#include <QRawFont>
#include <QTextLayout>

#include "CanvasTestUtil.h"

namespace {
TLogFont Song(std::int32_t height, std::int32_t escapement = 0) {
  TLogFont f;
  f.FaceName = "宋体";
  f.Height = height;
  f.Escapement = f.Orientation = escapement;
  return f;
}

// The family Qt actually draws a string with.
QString RenderingFamily(const QFont& font, const QString& text) {
  QTextLayout layout(text, font);
  layout.beginLayout();
  layout.createLine();
  layout.endLayout();
  const QList<QGlyphRun> runs = layout.glyphRuns();
  return runs.isEmpty() ? QString() : runs.first().rawFont().familyName();
}

QImage InkOf(const QString& text) {
  Sheet s(80, 80);
  s->SelectFont(Song(-48));
  s->SetBkMode(TRANSPARENT);
  s->TextOut(10, 10, text.toStdString());
  return s.Image().copy();
}
}  // namespace

TEST(Fonts, WindowsChineseFaceFallsBackToAnInstalledCjkFamily) {
  const QString cjk = CjkFallbackFamily();
  ASSERT_FALSE(cjk.isEmpty()) << "scripts/setup installs fonts-wqy-microhei";
  EXPECT_TRUE(QFontDatabase::writingSystems(cjk).contains(QFontDatabase::SimplifiedChinese));

  const QString family = RenderingFamily(QtFontFor(Song(-20), -20), QStringLiteral("中"));
  EXPECT_TRUE(QFontDatabase::writingSystems(family).contains(QFontDatabase::SimplifiedChinese))
      << family.toStdString();
}

TEST(Fonts, ChineseGlyphIsNotTheReplacementBox) {
  const QImage zhong = InkOf(QStringLiteral("中"));
  const QImage missing = InkOf(QString::fromUcs4(U"\U0010FFFD"));  // no font has it
  const QImage guo = InkOf(QStringLiteral("国"));
  EXPECT_NE(zhong, missing);
  EXPECT_NE(zhong, guo) << "distinct characters draw distinct glyphs";
  // 中 has its long vertical stroke through the middle column.
  Sheet s(80, 80);
  s->SelectFont(Song(-48));
  s->SetBkMode(TRANSPARENT);
  s->TextOut(10, 10, "中");
  const QRect ink = s.InkBounds();
  ASSERT_FALSE(ink.isEmpty());
  const int cx = ink.center().x();
  int column = 0;
  for (int y = ink.top(); y <= ink.bottom(); ++y) column += s.Ink(cx, y) || s.Ink(cx + 1, y) || s.Ink(cx - 1, y);
  EXPECT_GE(column, ink.height() - 2);
}

TEST(Text, EscapementAlongAFigureLineUnderTheViewMapping) {
  // Figures pass escapement = -10 x (angle of their line); under the y-up
  // mapping a line at 90 degrees points up the screen, and so must the text.
  Sheet s(200, 200);
  SetViewMapping(*s, 200);
  s->SetBkMode(TRANSPARENT);
  s->SelectFont(Song(-20, -900));
  s->TextOut(100, 50, "中文字样本");  // device (100, 150)
  const QRect up = s.InkBounds();
  ASSERT_FALSE(up.isEmpty());
  EXPECT_GT(up.height(), 3 * up.width());
  EXPECT_LT(up.top(), 60) << "runs upwards from the reference point";
  EXPECT_GT(up.bottom(), 140);
  EXPECT_GE(up.left(), 98) << "top of the glyphs faces left, so the cell lies right of the line";

  Sheet h(200, 200);
  SetViewMapping(*h, 200);
  h->SetBkMode(TRANSPARENT);
  h->SelectFont(Song(-20, 0));
  h->TextOut(20, 100, "中文字样本");
  const QRect flat = h.InkBounds();
  EXPECT_GT(flat.width(), 3 * flat.height());
  EXPECT_GE(flat.top(), 99) << "top-left reference: the text hangs below the point";
}

TEST(Text, PositiveHeightIsTheCellAndNegativeTheCharacter) {
  Sheet s(100, 100);
  s->SelectFont(Song(40));
  EXPECT_NEAR(s->GetTextExtentPoint("W").cy, 40, 1);
  EXPECT_NEAR(s->GetTextMetrics().tmHeight, 40, 1);
  s->SelectFont(Song(-40));
  EXPECT_GT(s->GetTextExtentPoint("W").cy, 41);
  EXPECT_GT(s->GetTextMetrics().tmInternalLeading, 0);
}

TEST(Text, ExtentIsInLogicalUnits) {
  Sheet s(200, 100);
  s->SelectFont(Song(-20));
  const TSize one = s->GetTextExtentPoint("中文");
  s->SetMapMode(MM_ANISOTROPIC);
  s->SetWindowExtEx(2, 2);
  s->SetViewportExtEx(1, -1);
  s->SelectFont(Song(-40));  // the same 20 device pixels
  const TSize two = s->GetTextExtentPoint("中文");
  EXPECT_NEAR(two.cx, 2 * one.cx, 2);
  EXPECT_NEAR(two.cy, 2 * one.cy, 2);
}

TEST(Text, AlignmentMovesTheReferencePoint) {
  Sheet s(200, 60);
  s->SetBkMode(TRANSPARENT);
  s->SelectFont(Song(-20));
  s->SetTextAlign(TA_RIGHT | TA_BASELINE);
  s->TextOut(150, 40, "ABC中");
  const QRect ink = s.InkBounds();
  EXPECT_LE(ink.right(), 150);
  EXPECT_GE(ink.right(), 140);
  EXPECT_LE(ink.bottom(), 42) << "the baseline sits on the point";
  EXPECT_GE(ink.bottom(), 36);
}

TEST(Text, OpaqueModeFillsTheCellWithTheBackground) {
  Sheet s(100, 40);
  s->SelectFont(Song(20));
  s->SetBkColor(RGB(255, 255, 0));
  s->TextOut(5, 5, "ab");
  EXPECT_EQ(s.At(5, 5), RGB(255, 255, 0));
  s->SetBkMode(TRANSPARENT);
  s->TextOut(5, 25, "ab");
  EXPECT_NE(s.At(5, 25), RGB(255, 255, 0));
}

TEST(Text, DrawTextExpandsTabsAndBreaksLines) {
  Sheet s(300, 100);
  s->SetBkMode(TRANSPARENT);
  s->SelectFont(Song(20));
  const int tab = 8 * s->GetTextMetrics().tmAveCharWidth;
  TRect box{0, 0, 300, 100};
  s->DrawText("i\tW\nW", box, DT_EXPANDTABS);
  // The W after the tab starts at the first tab stop; the second line's W
  // one cell height lower at the left edge.
  int firstAfterGap = -1;
  for (int x = 8; x < 300 && firstAfterGap < 0; ++x)
    for (int y = 0; y < 20; ++y)
      if (s.Ink(x, y)) {
        firstAfterGap = x;
        break;
      }
  EXPECT_GE(firstAfterGap, tab - 2);
  EXPECT_LE(firstAfterGap, tab + 3);
  bool secondLine = false;
  for (int x = 0; x < 12; ++x)
    for (int y = 21; y < 40; ++y) secondLine |= s.Ink(x, y);
  EXPECT_TRUE(secondLine);

  TRect calc{0, 0, 0, 0};
  EXPECT_EQ(s->DrawText("ab\ncd", calc, DT_CALCRECT), 40);
  EXPECT_EQ(calc.Bottom, 40);
}
