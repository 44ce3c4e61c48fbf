// The arrow line, the dimension line and the edge line: saved values against
// bytes written out by hand, drawing on pixels, handles, mirror, explode,
// snapping and the property dialogs' model.

#include <gtest/gtest.h>

#include "FigureBytes.h"
#include "figures/CodeVersion.h"
#include "figures/LineFigures.h"

#include <QImage>
#include <chrono>
#include <cmath>
#include <numbers>

namespace {

constexpr double Pi = std::numbers::pi;

TPoint Pt(int x, int y) { return {x, y}; }

void ExpectPt(Tpt p, double x, double y, const char* what) {
  EXPECT_NEAR(p.x, x, 1e-9) << what;
  EXPECT_NEAR(p.y, y, 1e-9) << what;
}

std::unique_ptr<TArrowLine> Dimension(Tpt Qd, Tpt Zd) {
  auto d = std::make_unique<TArrowLine>();
  d->SetQd(Qd);
  d->SetZd(Zd);
  return d;
}

std::unique_ptr<TConstructionLine> EdgeLine(Tpt Qd, Tpt Zd, double Gap = 10) {
  auto e = std::make_unique<TConstructionLine>();
  e->FQd = Qd;
  e->FZd = Zd;
  e->FGap = Gap;
  e->Modified();
  return e;
}

// A quarter circle of radius 100 about the origin, counter-clockwise from
// (100, 0) to (0, 100).
std::unique_ptr<TConstructionLine> QuarterArc() {
  auto e = EdgeLine({100, 0}, {0, 100});
  e->FLx = blArc;
  e->FBj = 100;
  e->FDirection = 1;
  e->Modified();
  return e;
}

}  // namespace

// ---- arrow line

TEST(ArrowLine, ANewLineHasOneFilledHeadAtTheEnd) {
  TTxLine l;
  EXPECT_EQ(l.FClassNameDescription, "箭头线");
  EXPECT_FALSE(l.FQdArrow);
  EXPECT_TRUE(l.FZdArrow);
  EXPECT_TRUE(l.FFillArrow);
  EXPECT_DOUBLE_EQ(l.FJd, Pi / 20);
  EXPECT_EQ(l.FArrowLength, 15);
}

TEST(ArrowLine, SavedValuesFollowTheFigureValues) {
  TTxLine l;
  l.FQd = {1, 2};
  l.FZd = {3, 4};
  l.FJd = 0.5;
  l.FQdArrow = true;
  l.FZdArrow = false;
  ByteBuilder b;
  DefaultFigureValues(b);
  F(b, X1);
  F(b, X2);
  F(b, X3);
  F(b, X4);
  F(b, XHalf);
  F(b, X15);
  b({0x09, 0x08, 0x09});
  EXPECT_EQ(Written([&](TWriter& w) { l.WriteData(w); }), b.b);

  TTxLine back;
  ReadAll(back, b.b);
  ExpectPt(back.FQd, 1, 2, "start");
  ExpectPt(back.FZd, 3, 4, "end");
  EXPECT_EQ(back.FJd, 0.5);
  EXPECT_EQ(back.FArrowLength, 15);
  EXPECT_TRUE(back.FQdArrow);
  EXPECT_FALSE(back.FZdArrow);
  EXPECT_TRUE(back.FFillArrow);
}

TEST(ArrowLine, HeadPointsAlongTheLineAtTheEndItIsOn) {
  Sheet s(160, 100);
  TTxLine l;
  l.FQd = {20, 50};
  l.FZd = {120, 50};
  PaintFigure(l, s);
  // 15 long, 9 degrees each side: about 2.3 units wide at its base (x = 105).
  EXPECT_GE(ColumnInk(s, 107, 40, 60), 4) << "wide near the base";
  EXPECT_LE(ColumnInk(s, 118, 40, 60), 2) << "narrow at the tip";
  EXPECT_EQ(BoxInk(s, 123, 30, 159, 70), 0) << "nothing beyond the tip";
  EXPECT_EQ(ColumnInk(s, 30, 40, 60), 1) << "no head at the start";

  Sheet t(160, 100);
  l.FQdArrow = true;
  l.FZdArrow = false;
  PaintFigure(l, t);
  EXPECT_GE(ColumnInk(t, 33, 40, 60), 4);
  EXPECT_LE(ColumnInk(t, 22, 40, 60), 2);
  EXPECT_EQ(ColumnInk(t, 110, 40, 60), 1);
}

TEST(ArrowLine, AHeadLongerThanTheLineStaysInsideThePositionRectangle) {
  TTxLine l;
  l.FQd = {50, 50};
  l.FZd = {56, 50};  // the 15-unit head reaches 9 past the start
  TRect r;
  l.CalcPositionRect(r);
  EXPECT_LE(r.Left, 41);
  Sheet s(100, 100);
  PaintFigure(l, s);
  EXPECT_EQ(BoxInk(s, 0, 0, r.Left - 2, 99), 0) << "painted left of " << r.Left;
}

TEST(ArrowLine, ALineOfNoLengthDrawsNoHead) {
  TTxLine l;
  l.FQd = l.FZd = {50, 50};
  Sheet s(100, 100);
  PaintFigure(l, s);
  EXPECT_LE(s.InkCount(), 1) << "no direction to point a head in";
}

TEST(ArrowLine, OpenHeadsAreTwoStrokes) {
  Sheet s(160, 100);
  TTxLine l;
  l.FQd = {20, 50};
  l.FZd = {120, 50};
  l.FFillArrow = false;
  l.FJd = Pi / 4;
  l.FArrowLength = 20;
  PaintFigure(l, s);
  // Strokes from the tip back at 45 degrees: at x = 110 they are 10 off the line.
  EXPECT_TRUE(InkAt(s, 110, 60));
  EXPECT_TRUE(InkAt(s, 110, 40));
  EXPECT_FALSE(InkAt(s, 110, 55)) << "not filled";
}

TEST(ArrowLine, HandlesMoveTheirOwnEnd) {
  TTxLine l;
  l.FQd = {1, 2};
  l.FZd = {30, 40};
  TPoint p;
  l.GetHandle(2, p);
  EXPECT_EQ(p.x, 30);
  EXPECT_EQ(p.y, 40);
  l.MoveHandleTo(1, Pt(-5, 7));
  ExpectPt(l.FQd, -5, 7, "start moved");
  ExpectPt(l.FZd, 30, 40, "end kept");
  l.MoveHandleTo(2, Pt(9, 9));
  ExpectPt(l.FQd, -5, 7, "start kept");
  ExpectPt(l.FZd, 9, 9, "end moved");
}

TEST(ArrowLine, MirrorAndExplodeMoveBothEnds) {
  TTxLine l;
  l.FQd = {1, 2};
  l.FZd = {3, -4};
  l.FigureMirror(TBx{{0, 0}, {0, 10}});
  ExpectPt(l.FQd, -1, 2, "mirrored start");
  ExpectPt(l.FZd, -3, -4, "mirrored end");

  // Block at (10, 20), scale 2, turned 90 degrees: (x, y) -> (10 - 2y, 20 + 2x).
  TTestSet block;
  block.FYd = {10, 20};
  block.FScale = 2;
  block.FXzJd = 90;
  l.FScale = 1.5;
  l.Explode(block);
  ExpectPt(l.FQd, 6, 18, "exploded start");
  ExpectPt(l.FZd, 18, 14, "exploded end");
  EXPECT_DOUBLE_EQ(l.FScale, 3);
}

TEST(ArrowLine, MoveByOffsetRoundsToWholeUnits) {
  TTxLine l;
  l.FQd = {1, 2};
  l.FZd = {3, 4};
  l.MoveByOffset(2.4, -1.6);
  ExpectPt(l.FQd, 3, 0, "start");
  ExpectPt(l.FZd, 5, 2, "end");
}

TEST(ArrowLine, SnapsToEndsThenMiddleThenNearest) {
  TTxLine l;
  l.FQd = {0, 0};
  l.FZd = {100, 0};
  const TPointLxSet all = PointLxBit(plEndPoint) | PointLxBit(plMidPoint) | PointLxBit(plNearest);
  Tpt p;
  TPointLx k = plNone;
  ASSERT_TRUE(l.GetCapturePoint(p, k, nullptr, Pt(97, 3), all));
  EXPECT_EQ(k, plEndPoint);
  ExpectPt(p, 100, 0, "end");
  ASSERT_TRUE(l.GetCapturePoint(p, k, nullptr, Pt(52, -2), all));
  EXPECT_EQ(k, plMidPoint);
  ExpectPt(p, 50, 0, "middle");
  ASSERT_TRUE(l.GetCapturePoint(p, k, nullptr, Pt(25, 3), all));
  EXPECT_EQ(k, plNearest);
  ExpectPt(p, 25, 0, "foot");
  EXPECT_FALSE(l.GetCapturePoint(p, k, nullptr, Pt(25, 30), all));
  EXPECT_FALSE(l.GetCapturePoint(p, k, nullptr, Pt(97, 3), PointLxBit(plMidPoint)));

  TFakeView view;
  view.Select(&l, false);
  EXPECT_FALSE(l.GetCapturePoint(p, k, &view, Pt(97, 3), all)) << "not while selected";
}

TEST(ArrowLine, HitTestFollowsTheLine) {
  TTxLine l;
  l.FQd = {0, 0};
  l.FZd = {100, 100};
  EXPECT_TRUE(l.Selected({50, 52}, 1.0));
  EXPECT_FALSE(l.Selected({50, 60}, 1.0));
  EXPECT_TRUE(l.Selected({50, 60}, 0.25)) << "a far-out view picks wider";
}

TEST(ArrowLine, DialogShowsUserValuesAndStopsAtTheFirstBadField) {
  TFakeDocument doc;
  doc.DocScale = 2;
  TTxLine l;
  l.SetDocument(&doc);
  l.FQd = {1, 2};
  l.FZd = {3, 4.5};
  TTxLineProperties p = GetTxLineProperties(l);
  EXPECT_EQ(p.QdX, "2.000");
  EXPECT_EQ(p.ZdY, "9.000");
  EXPECT_EQ(p.ArrowLength, "30.000");
  EXPECT_EQ(p.ArrowJd, "9.0");
  EXPECT_EQ(p.Ident.size(), 9u);
  EXPECT_EQ(p.Ident[0], '$');

  p.QdX = "10";
  p.ZdX = "oops";
  p.ArrowLength = "40";
  p.FillArrow = false;
  SetTxLineProperties(l, p);
  ExpectPt(l.FQd, 5, 2, "converted before the bad field");
  ExpectPt(l.FZd, 3, 4.5, "the bad field and what follows stay");
  EXPECT_EQ(l.FArrowLength, 15);
  EXPECT_FALSE(l.FFillArrow) << "check boxes are not conversions";

  p.ZdX = "8";
  p.ArrowLength = "0";
  SetTxLineProperties(l, p);
  ExpectPt(l.FZd, 4, 4.5, "");
  EXPECT_EQ(l.FArrowLength, 15) << "a zero length is refused";
}

// ---- dimension line

TEST(DimensionLine, TheToolsFirstTwoClicksMakeOneFreshSegment) {
  auto d = Dimension({0, 0}, {0, 50});
  ASSERT_EQ(d->FBzLines.size(), 1u);
  const TBzLineData& s = d->FBzLines[0];
  EXPECT_EQ(s.Qd, 0);
  EXPECT_EQ(s.Zd, 1);
  EXPECT_EQ(s.QdL1, 10);
  EXPECT_EQ(s.ZdL2, 10);
  EXPECT_EQ(s.TextAlign, 1);
  EXPECT_TRUE(s.AutoCalText);
  EXPECT_EQ(s.Pos, 0.5);
  EXPECT_DOUBLE_EQ(d->FXzJd, 90);
}

namespace {

// Two segments, or a segment count and nothing after it.
Bytes DimensionBytes(bool OldFont, int Count = 2) {
  ByteBuilder b;
  DefaultFigureValues(b);
  b({0x06, 0x04, 0xCB, 0xCE, 0xCC, 0xE5});  // "宋体" in GBK
  b({0x03, 0xFF, 0x00});                    // colour 255
  if (OldFont) {
    b({0x02, 0x09});  // 9 points
  } else {
    b({0x02, 0x60});  // 96 pixels per inch
    F(b, X12);
  }
  b({0x01});  // bold, raw
  F(b, XQuarter);
  b({0x08, 0x09});  // open arrows, arrows not ticks
  F(b, X6);
  b({0x02, 0x02});  // mark width
  F(b, X0);
  F(b, X0);
  F(b, X100);
  F(b, X0);
  b({0x02, Count});
  if (Count != 2) return b.b;
  F(b, X0);
  F(b, XHalf);
  F(b, X10);
  F(b, X5);
  F(b, X10);
  F(b, X5);
  b({0x06, 0x00, 0x09, 0x02, 0x01});
  F(b, XHalf);
  F(b, XHalf);
  F(b, X1);
  F(b, X10);
  F(b, X5);
  F(b, X20);
  F(b, X5);
  b({0x06, 0x01, 'A', 0x08, 0x02, 0x00});
  F(b, XQuarter);
  return b.b;
}

}  // namespace

TEST(DimensionLine, SavedValuesFollowTheFigureValues) {
  TArrowLine d;
  d.FFont->FColor = 255;
  d.FFont->FHeight = 12;
  d.FFont->FStyle = fsBold;
  d.FJd = 0.25;
  d.FFillArrow = false;
  d.FBzLineWidth = 2;
  d.FZd = {100, 0};
  TBzLineData a{true, "", 0, 0.5, 0.5, 10, 5, 10, 5, 1};
  TBzLineData b{false, "A", 0.5, 1, 0.25, 10, 5, 20, 5, 0};
  d.FBzLines = {a, b};
  const Bytes expected = DimensionBytes(false);
  EXPECT_EQ(Written([&](TWriter& w) { d.WriteData(w); }), expected);

  TArrowLine back;
  back.FBzLines = {b};  // reading replaces what was there
  ReadAll(back, expected);
  EXPECT_EQ(back.FFont->FName, "宋体");
  EXPECT_EQ(back.FFont->FColor, 255u);
  EXPECT_EQ(back.FFont->FPixelsPerInch, 96);
  EXPECT_EQ(back.FFont->FHeight, 12);
  EXPECT_EQ(back.FFont->FStyle, fsBold);
  EXPECT_EQ(back.FJd, 0.25);
  EXPECT_FALSE(back.FFillArrow);
  EXPECT_TRUE(back.FArrowBz);
  EXPECT_EQ(back.FArrowLength, 6);
  EXPECT_EQ(back.FBzLineWidth, 2);
  ExpectPt(back.FZd, 100, 0, "end");
  ASSERT_EQ(back.FBzLines.size(), 2u);
  EXPECT_EQ(back.FBzLines[0], a);
  EXPECT_EQ(back.FBzLines[1], b);
}

TEST(DimensionLine, FilesUpTo212KeepOnePointSizeForTheFont) {
  const std::int32_t screen = ScreenLogPixels;
  ScreenLogPixels = 120;
  {
    TOldCodeVersionGuard old(2.12);
    TArrowLine d;
    ReadAll(d, DimensionBytes(true));
    EXPECT_EQ(d.FFont->FPixelsPerInch, 120);
    EXPECT_DOUBLE_EQ(d.FFont->FHeight, -9.0 * 120 / 72);
    EXPECT_EQ(d.FFont->FStyle, fsBold);
    EXPECT_EQ(d.FBzLines.size(), 2u);
  }
  {
    TOldCodeVersionGuard newer(2.13);
    TArrowLine d;
    ReadAll(d, DimensionBytes(false));
    EXPECT_EQ(d.FFont->FPixelsPerInch, 96);
    EXPECT_EQ(d.FFont->FHeight, 12);
  }
  ScreenLogPixels = screen;
}

TEST(DimensionLine, ADamagedSegmentCountIsRefused) {
  const Bytes bytes = DimensionBytes(false, 100);
  TArrowLine d;
  EXPECT_NE(ErrorOf([&] {
              TReader r(bytes);
              d.ReadData(r);
            }),
            "(no error)");
}

TEST(DimensionLine, TextSitsAboveInOrBelowTheLine) {
  struct Case {
    int Align;
    bool Above, Below;
  };
  for (const Case c : {Case{0, true, false}, Case{1, true, true}, Case{2, false, true}}) {
    Sheet s(260, 100);
    auto d = Dimension({20, 50}, {220, 50});
    d->FFont->FHeight = 14;
    d->FBzLines[0].TextAlign = c.Align;
    PaintFigure(*d, s);
    EXPECT_EQ(d->FBzLines[0].Text, "200.000");
    // Middle columns, away from the arrows and the extension lines.
    const int above = BoxInk(s, 70, 52, 170, 75), below = BoxInk(s, 70, 25, 170, 48);
    EXPECT_EQ(above > 0, c.Above) << "align " << c.Align;
    EXPECT_EQ(below > 0, c.Below) << "align " << c.Align;
    // The text lies around the middle of the segment.
    EXPECT_EQ(BoxInk(s, 30, 52, 85, 75) + BoxInk(s, 30, 25, 85, 48), 0) << "align " << c.Align;
    int row = 0;
    for (int x = 30; x <= 210; ++x) row += InkAt(s, x, 50);
    if (c.Align == 1)
      EXPECT_LT(row, 181) << "the line is broken around the text";
    else
      EXPECT_EQ(row, 181) << "align " << c.Align;
  }
}

TEST(DimensionLine, TextThatDoesNotFitIsLeftOut) {
  Sheet s(120, 100);
  auto d = Dimension({20, 50}, {50, 50});
  d->FFont->FHeight = 14;
  PaintFigure(*d, s);
  int row = 0;
  for (int x = 20; x <= 50; ++x) row += InkAt(s, x, 50);
  EXPECT_EQ(row, 31) << "whole line";
  // Only the extension lines leave the line's row.
  EXPECT_EQ(BoxInk(s, 23, 54, 47, 70) + BoxInk(s, 23, 30, 47, 46), 0);
}

TEST(DimensionLine, ArrowsPointAtTheSegmentEndsAndExtensionLinesCrossThem) {
  Sheet s(200, 100);
  auto d = Dimension({20, 50}, {180, 50});
  d->FBzLines[0].Text = "";
  d->FBzLines[0].AutoCalText = false;
  d->FArrowLength = 20;
  PaintFigure(*d, s);
  // Filled heads 20 long, 15 degrees: wide near x = 40 and 160, thin at the ends.
  EXPECT_GE(ColumnInk(s, 37, 40, 60), 7);
  EXPECT_GE(ColumnInk(s, 163, 40, 60), 7);
  EXPECT_LE(ColumnInk(s, 23, 46, 54), 3);
  // Extension lines 10 each side at both ends.
  EXPECT_GE(ColumnInk(s, 20, 40, 60), 19);
  EXPECT_GE(ColumnInk(s, 180, 40, 60), 19);
  EXPECT_EQ(ColumnInk(s, 100, 40, 60), 1);

  Sheet t(200, 100);
  d->FArrowBz = false;
  d->FJd = Pi / 4;
  d->FArrowLength = 10;
  PaintFigure(*d, t);
  // Ticks at 45 degrees through each end: (27, 57) and (13, 43) at the start.
  EXPECT_TRUE(InkAt(t, 26, 56));
  EXPECT_TRUE(InkAt(t, 14, 44));
  EXPECT_FALSE(InkAt(t, 26, 44));
}

TEST(DimensionLine, HandleOneMovesTheStartAndKeepsTheJunctions) {
  auto d = Dimension({0, 0}, {100, 0});
  d->FBzLines[0].Zd = 0.6;
  TBzLineData second;
  d->InitLineData(second);
  second.Qd = 0.6;
  second.Zd = 1;
  d->FBzLines.push_back(second);
  ASSERT_EQ(d->GetHandleCount(), 3);
  TPoint h;
  d->GetHandle(2, h);
  EXPECT_EQ(h.x, 60);

  d->MoveHandleTo(1, Pt(-50, 0));
  ExpectPt(d->FQd, -50, 0, "start");
  EXPECT_DOUBLE_EQ(d->FBzLines[0].Zd, 1 - 0.4 * 100 / 150);
  d->GetHandle(2, h);
  EXPECT_EQ(h.x, 60) << "junction stays";
  d->MoveHandleTo(1, Pt(80, 0));
  ExpectPt(d->FQd, -50, 0, "passing the junction is refused");

  d->MoveHandleTo(3, Pt(200, 0));
  ExpectPt(d->FZd, 200, 0, "end");
  d->GetHandle(2, h);
  EXPECT_EQ(h.x, 60) << "junction stays";
  EXPECT_EQ(d->FBzLines[1].Zd, 1);

  d->MoveHandleTo(2, Pt(150, 7));
  d->GetHandle(2, h);
  EXPECT_EQ(h.x, 150) << "junction moves along the line";
  EXPECT_EQ(h.y, 0);
  d->MoveHandleTo(2, Pt(250, 0));
  d->GetHandle(2, h);
  EXPECT_EQ(h.x, 150) << "not past the end";
}

TEST(DimensionLine, JunctionsAreAddedAndRemovedInPlace) {
  auto d = Dimension({0, 0}, {100, 0});
  ASSERT_TRUE(d->RealTimeAddPoint({40, 0}, nullptr));
  ASSERT_TRUE(d->RealTimeAddPoint({70, 0}, nullptr));
  ASSERT_EQ(d->FBzLines.size(), 3u);
  EXPECT_DOUBLE_EQ(d->FBzLines[1].Qd, 0.4);
  EXPECT_DOUBLE_EQ(d->FBzLines[1].Zd, 0.7);

  ASSERT_TRUE(d->RealTimeDeletePoint({2, 3}, nullptr));  // the start
  ExpectPt(d->FQd, 40, 0, "start moved to the first junction");
  ASSERT_EQ(d->FBzLines.size(), 2u);
  EXPECT_DOUBLE_EQ(d->FBzLines[0].Qd, 0);
  EXPECT_DOUBLE_EQ(d->FBzLines[0].Zd, 0.5);
  ASSERT_TRUE(d->RealTimeDeletePoint({99, 0}, nullptr));  // the end
  ExpectPt(d->FZd, 70, 0, "end moved to the last junction");
  ASSERT_EQ(d->FBzLines.size(), 1u);
  EXPECT_EQ(d->FBzLines[0].Zd, 1);
  EXPECT_FALSE(d->RealTimeDeletePoint({40, 0}, nullptr)) << "one segment stays";
}

TEST(DimensionLine, SetXzjdTurnsTheEndAboutTheStart) {
  auto d = Dimension({10, 10}, {110, 10});
  EXPECT_DOUBLE_EQ(d->FXzJd, 0);
  d->SetXzjd(90);
  ExpectPt(d->FZd, 10, 110, "turned end");
}

TEST(DimensionLine, MirrorAndExplode) {
  auto d = Dimension({1, 2}, {5, 2});
  d->FigureMirror(TBx{{0, 0}, {10, 0}});
  ExpectPt(d->FQd, 1, -2, "start");
  ExpectPt(d->FZd, 5, -2, "end");
  TTestSet block;
  block.FYd = {10, 20};
  block.FScale = 2;
  block.FXzJd = 90;
  d->Explode(block);
  ExpectPt(d->FQd, 14, 22, "exploded start");
  ExpectPt(d->FZd, 14, 30, "exploded end");
  EXPECT_DOUBLE_EQ(d->FScale, 2);
  EXPECT_DOUBLE_EQ(d->FXzJd, 90) << "the angle follows the line";
}

TEST(DimensionLine, MirroringTwiceGivesBackAnAngleStoredOutsideOneTurn) {
  // SetXzjd keeps the angle it is given; the line runs at -128 degrees.
  auto d = Dimension({0, 0}, {100, 0});
  d->SetXzjd(-128);
  const TBx slanted{{3, -4}, {3 + std::cos(0.6), -4 + std::sin(0.6)}};
  d->FigureMirror(slanted);
  // Mirrored direction 2 * 0.6 rad + 128 degrees, in the turn nearest -128.
  EXPECT_NEAR(d->FXzJd, 2 * 0.6 * 180 / Pi + 128 - 360, 1e-9);
  d->FigureMirror(slanted);
  EXPECT_NEAR(d->FXzJd, -128, 1e-9);
  ExpectPt(d->FZd, 100 * std::cos(-128 * Pi / 180), 100 * std::sin(-128 * Pi / 180), "end back");
}

TEST(DimensionLine, SnapsToSegmentEndsAndMiddles) {
  auto d = Dimension({0, 0}, {100, 0});
  d->RealTimeAddPoint({40, 0}, nullptr);
  Tpt p;
  TPointLx k = plNone;
  ASSERT_TRUE(d->GetCapturePoint(p, k, nullptr, Pt(42, 2), PointLxBit(plEndPoint)));
  ExpectPt(p, 40, 0, "junction");
  ASSERT_TRUE(d->GetCapturePoint(p, k, nullptr, Pt(71, 2), PointLxBit(plMidPoint)));
  EXPECT_EQ(k, plMidPoint);
  ExpectPt(p, 70, 0, "middle of the second segment");
}

TEST(DimensionLine, DialogModelRefusesAZeroMarkWidth) {
  auto d = Dimension({0, 0}, {100, 0});
  auto clone = d->Clone();
  auto& c = dynamic_cast<TArrowLine&>(*clone);
  SetBzLineText(c.FBzLines[0], "<>");
  EXPECT_TRUE(c.FBzLines[0].AutoCalText);
  SetBzLineText(c.FBzLines[0], "5 m");
  EXPECT_FALSE(c.FBzLines[0].AutoCalText);
  EXPECT_EQ(c.FBzLines[0].Text, "5 m");

  TArrowLineProperties p = GetArrowLineProperties(*d);
  ChooseArrowBz(p, false);
  EXPECT_EQ(p.ArrowJd, "45");
  EXPECT_EQ(p.BzLineWidth, "2");
  p.BzLineWidth = "0";
  SetArrowLineProperties(*d, c, p);
  EXPECT_EQ(d->FBzLines[0].Text, "5 m") << "the clone's segments are taken";
  EXPECT_FALSE(d->FArrowBz);
  EXPECT_EQ(d->FBzLineWidth, 1) << "zero refused";
  EXPECT_DOUBLE_EQ(d->FJd, Pi / 12) << "the update ended there";
  p.BzLineWidth = "2";
  SetArrowLineProperties(*d, c, p);
  EXPECT_EQ(d->FBzLineWidth, 2);
  EXPECT_DOUBLE_EQ(d->FJd, Pi / 4);
  EXPECT_EQ(BzLineCountCaption(*d), "共有 1 条标注线");
}

// ---- edge line

TEST(EdgeLine, SavedValuesFollowTheFigureValues) {
  TConstructionLine e;
  e.FQd = {0, 0};
  e.FZd = {100, 0};
  e.FJd = 0.5;
  e.FYx = {1, 2};
  e.FBj = 100;
  e.FLx = blArc;
  e.FDirection = 1;
  ByteBuilder b;
  DefaultFigureValues(b);
  F(b, X0);
  F(b, X0);
  F(b, X100);
  F(b, X0);
  F(b, XHalf);
  F(b, X20);
  F(b, X10);
  F(b, X10);
  F(b, X1);
  F(b, X2);
  F(b, X100);
  b({0x02, 0x01, 0x02, 0x01});
  EXPECT_EQ(Written([&](TWriter& w) { e.WriteData(w); }), b.b);

  TConstructionLine back;
  ReadAll(back, b.b);
  ExpectPt(back.FZd, 100, 0, "end");
  ExpectPt(back.FYx, 1, 2, "centre");
  EXPECT_EQ(back.FJd, 0.5);
  EXPECT_EQ(back.FLength1, 20);
  EXPECT_EQ(back.FLength2, 10);
  EXPECT_EQ(back.FGap, 10);
  EXPECT_EQ(back.FBj, 100);
  EXPECT_EQ(back.FLx, blArc);
  EXPECT_EQ(back.FDirection, 1);
}

TEST(EdgeLine, StrokesStandOnTheLeftAlternatelyLongAndShort) {
  Sheet s(260, 100);
  auto e = EdgeLine({20, 30}, {220, 30}, 20);
  e->FJd = Pi / 2;
  PaintFigure(*e, s);
  // Ten strokes at x = 20, 40, ..., 200: even ones 20 long, odd ones 10.
  EXPECT_NEAR(ColumnInk(s, 20, 31, 60), 20, 1);
  EXPECT_NEAR(ColumnInk(s, 40, 31, 60), 10, 1);
  EXPECT_NEAR(ColumnInk(s, 200, 31, 60), 10, 1);
  EXPECT_EQ(ColumnInk(s, 220, 31, 60), 0) << "none at the end";
  EXPECT_EQ(ColumnInk(s, 30, 31, 60), 0);
  EXPECT_EQ(BoxInk(s, 0, 0, 259, 29), 0) << "nothing on the right";

  Sheet t(260, 100);
  std::swap(e->FQd, e->FZd);
  PaintFigure(*e, t);
  EXPECT_NEAR(ColumnInk(t, 220, 0, 29), 20, 1) << "reversed: the left is below";
  EXPECT_EQ(BoxInk(t, 0, 31, 259, 99), 0);
}

TEST(EdgeLine, DashedPenDashesTheLineAndTheStrokes) {
  Sheet s(260, 100);
  auto e = EdgeLine({20, 30}, {220, 30}, 100);
  e->FJd = Pi / 2;
  e->FLength1 = 60;
  e->FPen.Style = psDash;
  PaintFigure(*e, s);
  // 25 drawn, 8 skipped, from each start.
  EXPECT_TRUE(InkAt(s, 44, 30));
  for (int x = 46; x <= 51; ++x) EXPECT_FALSE(InkAt(s, x, 30)) << x;
  EXPECT_TRUE(InkAt(s, 54, 30));
  EXPECT_TRUE(InkAt(s, 20, 54));
  for (int y = 56; y <= 62; ++y) EXPECT_FALSE(InkAt(s, 20, y)) << y;
  EXPECT_TRUE(InkAt(s, 20, 64));
}

TEST(EdgeLine, AShortLineHasNoStrokes) {
  Sheet s(100, 100), plain(100, 100);
  auto e = EdgeLine({20, 50}, {24, 50});
  PaintFigure(*e, s);
  PaintFigure(*Segment({20, 50}, {24, 50}), plain);
  EXPECT_GT(s.InkCount(), 0);
  EXPECT_EQ(s.InkCount(), plain.InkCount()) << "the line alone";
}

TEST(EdgeLine, ArcFormDrawsTheArcWithStrokesAtTheSpacing) {
  Sheet s(160, 160);
  auto e = QuarterArc();
  e->FJd = -Pi / 2;              // turned back from the tangent: straight out
  e->FGap = 100 * Pi / 8;        // four strokes: at 0, 22.5, 45 and 67.5 degrees
  e->FLength1 = e->FLength2 = 10;
  PaintFigure(*e, s);
  EXPECT_DOUBLE_EQ(e->GetSumjd(), Pi / 2);
  EXPECT_TRUE(InkAt(s, 71, 71)) << "on the arc";
  EXPECT_FALSE(InkAt(s, 50, 50)) << "not the chord";
  // The stroke at 22.5 degrees runs from radius 100 to 110; (97, 40) is at 104.9.
  EXPECT_TRUE(InkAt(s, 97, 40));
  EXPECT_FALSE(InkAt(s, 88, 36)) << "not inside the circle";
  // At 67.5 degrees: (40, 97); none at the end, 90 degrees.
  EXPECT_TRUE(InkAt(s, 40, 97));
  EXPECT_EQ(ColumnInk(s, 0, 102, 112), 0);
}

TEST(EdgeLine, SweepOfAnArcWithEndsAtOneDirectionIsZero) {
  auto e = EdgeLine({100, 0}, {200, 0});
  e->FYx = {0, 0};
  e->FDirection = 1;
  EXPECT_EQ(e->GetSumjd(), 0);
  e->FDirection = 0;
  EXPECT_EQ(e->GetSumjd(), 0);
  e->FZd = {0, 100};
  EXPECT_DOUBLE_EQ(e->GetSumjd(), 3 * Pi / 2);
}

TEST(EdgeLine, ZeroOrNegativeSpacingPaintsTheLineAloneAndNeverHangs) {
  Sheet plain(260, 100);
  auto line = Segment({20, 30}, {220, 30});
  PaintFigure(*line, plain);
  auto bare = QuarterArc();
  bare->FGap = 1e6;  // no stroke fits
  Sheet bareArc(160, 160);
  PaintFigure(*bare, bareArc);
  for (double gap : {0.0, -10.0}) {
    Sheet s(260, 100);
    auto e = EdgeLine({20, 30}, {220, 30}, gap);
    PaintFigure(*e, s);
    EXPECT_EQ(s.InkCount(), plain.InkCount()) << gap;
    auto arc = QuarterArc();
    arc->FGap = gap;
    Sheet t(160, 160);
    PaintFigure(*arc, t);
    EXPECT_EQ(t.InkCount(), bareArc.InkCount()) << gap;
  }
  // A spacing read from a damaged file: tiny but positive.
  auto e = EdgeLine({20, 30}, {220, 30}, 1e-300);
  const auto t0 = std::chrono::steady_clock::now();
  Sheet s(260, 100);
  PaintFigure(*e, s);
  EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(20));

  ByteBuilder b;
  DefaultFigureValues(b);
  for (Ext x : {X10, X10, X100, X10, XHalf, X20, X10, X0, X0, X0, X0}) F(b, x);
  b({0x02, 0x00, 0x02, 0x00});
  TConstructionLine read;
  ReadAll(read, b.b);
  EXPECT_EQ(read.FGap, 0);
  read.Loaded();
  Sheet r(120, 100), segment(120, 100);
  PaintFigure(read, r);
  PaintFigure(*Segment({10, 10}, {100, 10}), segment);
  EXPECT_EQ(r.InkCount(), segment.InkCount()) << "a zero spacing from a file: the line alone";
}

TEST(EdgeLine, DialogRefusesZeroOrNegativeLengthsAndSpacing) {
  auto e = EdgeLine({0, 0}, {100, 0});
  TConstructionLineProperties p = GetConstructionLineProperties(*e);
  EXPECT_EQ(p.Gap, "10.000");
  EXPECT_EQ(p.Length1, "20.000");
  EXPECT_EQ(p.LineJd, "45.0");
  EXPECT_TRUE(p.Bj.empty());
  for (const char* bad : {"0", "-3", "x", ""}) {
    TConstructionLineProperties q = p;
    q.Length2 = "7";
    q.Gap = bad;
    q.LineJd = "30";
    SetConstructionLineProperties(*e, q);
    EXPECT_EQ(e->FLength2, 7) << bad;
    EXPECT_EQ(e->FGap, 10) << bad;
    EXPECT_DOUBLE_EQ(e->FJd, Pi / 4) << "the update ended at the spacing: " << bad;
  }
  p.Length1 = "0";
  p.Length2 = "9";
  SetConstructionLineProperties(*e, p);
  EXPECT_EQ(e->FLength1, 20);
  EXPECT_EQ(e->FLength2, 7);

  p = GetConstructionLineProperties(*e);
  p.Arc = true;
  p.Bj = "-1";
  SetConstructionLineProperties(*e, p);
  EXPECT_EQ(e->FLx, blLine) << "a negative radius is refused";
  p.Bj = "80";
  p.Direction = 1;
  SetConstructionLineProperties(*e, p);
  EXPECT_EQ(e->FLx, blArc);
  EXPECT_EQ(e->FBj, 80);
}

TEST(EdgeLine, HandlesMoveEndsOnTheCircleAndTheMiddleBendsTheArc) {
  auto e = QuarterArc();
  TPoint h;
  e->GetHandle(3, h);
  EXPECT_EQ(h.x, 71);
  EXPECT_EQ(h.y, 71);
  // Handle 2 dragged to (0, 50): the end stays on the circle, at 90 degrees.
  e->MoveHandleTo(2, Pt(0, 50));
  ExpectPt(e->FZd, 0, 100, "end on the circle");
  e->MoveHandleTo(2, Pt(-30, 30));
  EXPECT_NEAR(e->FZd.x, -100 / std::sqrt(2.0), 1e-9);
  EXPECT_NEAR(e->FZd.y, 100 / std::sqrt(2.0), 1e-9);
  e->MoveHandleTo(1, Pt(30, 0));
  ExpectPt(e->FQd, 100, 0, "start on the circle");

  // Through (50, 50), on the chord: nothing changes.
  auto f = QuarterArc();
  f->MoveHandleTo(3, Pt(50, 50));
  ExpectPt(f->FYx, 0, 0, "collinear: unchanged");
  // Through (100, 100): the circle about (50, 50), on which (100, 0) lies at
  // -45 degrees, (100, 100) at 45 and (0, 100) at 135: counter-clockwise.
  f->MoveHandleTo(3, Pt(100, 100));
  ExpectPt(f->FYx, 50, 50, "circumcentre");
  EXPECT_NEAR(f->FBj, 50 * std::sqrt(2.0), 1e-9);
  EXPECT_EQ(f->FDirection, 1);

  auto g = EdgeLine({0, 0}, {100, 0});
  g->MoveHandleTo(3, Pt(50, 40));
  ExpectPt(g->FYx, 0, 0, "a straight line does not bend");
  g->MoveHandleTo(2, Pt(90, 33));
  ExpectPt(g->FZd, 90, 33, "a straight end follows the mouse");
}

TEST(EdgeLine, MirrorKeepsTheSameArcAndExplodeMovesTheCentre) {
  auto e = QuarterArc();
  e->FigureMirror(TBx{{0, 0}, {10, 0}});
  ExpectPt(e->FQd, 100, 0, "start");
  ExpectPt(e->FZd, 0, -100, "end");
  ExpectPt(e->FYx, 0, 0, "centre");
  EXPECT_EQ(e->FDirection, 0) << "the mirror image runs clockwise";
  EXPECT_DOUBLE_EQ(e->GetSumjd(), Pi / 2);
  TPoint h;
  e->GetHandle(3, h);
  EXPECT_EQ(h.x, 71);
  EXPECT_EQ(h.y, -71);

  TTestSet block;
  block.FYd = {10, 20};
  block.FScale = 2;
  block.FXzJd = 90;
  e->Explode(block);
  ExpectPt(e->FQd, 10, 220, "start");
  ExpectPt(e->FZd, 210, 20, "end");
  ExpectPt(e->FYx, 10, 20, "centre");
  EXPECT_DOUBLE_EQ(e->FScale, 2);
  EXPECT_DOUBLE_EQ(e->GetScale() * e->FBj, 200) << "the radius grows with the scale";
}

TEST(EdgeLine, HitTestAndSnapOnTheArc) {
  auto e = QuarterArc();
  EXPECT_TRUE(e->Selected({3, 99}, 1.0));
  EXPECT_TRUE(e->Selected({71, 70}, 1.0));
  EXPECT_FALSE(e->Selected({-71, 70}, 1.0)) << "outside the sweep";
  EXPECT_FALSE(e->Selected({50, 50}, 1.0)) << "off the circle";
  Tpt p;
  TPointLx k = plNone;
  ASSERT_TRUE(e->GetCapturePoint(p, k, nullptr, Pt(2, 3), PointLxBit(plCenter)));
  EXPECT_EQ(k, plCenter);
  ASSERT_TRUE(e->GetCapturePoint(p, k, nullptr, Pt(72, 72), PointLxBit(plMidPoint)));
  EXPECT_NEAR(p.x, 100 / std::sqrt(2.0), 1e-9);
  ASSERT_TRUE(e->GetCapturePoint(p, k, nullptr, Pt(0, 103), PointLxBit(plNearest)));
  EXPECT_EQ(k, plNearest);
  EXPECT_NEAR(p.y, 100, 1e-9);
  EXPECT_FALSE(e->GetCapturePoint(p, k, nullptr, Pt(-3, -100), PointLxBit(plNearest)));
}

TEST(LineFigures, ClassesAreRegisteredAndClonesAreIndependent) {
  for (const char* name : {"TTxLine", "TArrowLine", "TConstructionLine"}) EXPECT_NE(GetClass(name), nullptr) << name;
  auto e = QuarterArc();
  auto c = e->Clone();
  auto& copy = dynamic_cast<TConstructionLine&>(*c);
  ExpectPt(copy.FZd, 0, 100, "copied");
  EXPECT_EQ(copy.FBj, 100);
  copy.FZd = {1, 1};
  ExpectPt(e->FZd, 0, 100, "independent");
}

// Set PLANDECK_LINES_PNG to a file name to look at the three figures.
TEST(LineFigures, PictureOfTheThreeFigures) {
  const QByteArray path = qgetenv("PLANDECK_LINES_PNG");
  if (path.isEmpty()) GTEST_SKIP() << "no picture asked for";
  Sheet s(420, 300);
  TTxLine arrow;
  arrow.FQd = {30, 260};
  arrow.FZd = {380, 220};
  arrow.FQdArrow = true;
  arrow.FPen.Width = 2;
  PaintFigure(arrow, s);
  auto d = Dimension({40, 170}, {380, 170});
  d->FFont->FHeight = 14;
  d->RealTimeAddPoint({180, 170}, nullptr);
  d->FBzLines[1].TextAlign = 0;
  PaintFigure(*d, s);
  auto e = EdgeLine({30, 100}, {200, 60}, 12);
  e->FPen.Color = RGB(0, 0, 200);
  PaintFigure(*e, s);
  auto arc = EdgeLine({390, 20}, {250, 90}, 12);
  arc->FLx = blArc;
  arc->FBj = 100;
  arc->FYx = {300, 0};
  arc->FDirection = 1;
  arc->FPen.Color = RGB(200, 0, 0);
  arc->FPen.Style = psDash;
  arc->Modified();
  PaintFigure(*arc, s);
  EXPECT_TRUE(s.Image().save(QString::fromLocal8Bit(path)));
}

TEST(DimensionLine, AddingAJunctionInADrawingCanBeUndone) {
  TFakeDocument doc;
  TFakeView view;
  TTxFigureSet root{&doc};
  root.InsertFigure(Dimension({0, 0}, {100, 0}));
  auto* d = dynamic_cast<TArrowLine*>(root.FFigures->Figures(0));
  ASSERT_NE(d, nullptr);
  ASSERT_TRUE(d->RealTimeAddPoint({40, 0}, &view));
  EXPECT_EQ(d->FBzLines.size(), 2u);
  ASSERT_EQ(root.UndoCount(), 1);
  root.Undo(&view);
  EXPECT_EQ(d->FBzLines.size(), 1u);
  EXPECT_EQ(d->FBzLines[0].Zd, 1);
}
