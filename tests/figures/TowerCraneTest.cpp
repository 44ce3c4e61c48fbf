// The tower crane: saved values against bytes written out by hand (and the
// older font layout), the label on the radius line, the handles, the
// bounding box of an arc through 0 degrees, mirror, explode, snapping and
// undo of a drag.

#include <gtest/gtest.h>

#include "FigureBytes.h"
#include "figures/CodeVersion.h"
#include "figures/TowerCrane.h"

#include <cmath>
#include <numbers>

namespace {

// A crane with the defaults but for a bold red 12 unit font, the label "A"
// below the line at a quarter, the centre at (1, 2) and a fixed radius; in
// an older file the font's size is one point size, 9.
Bytes CraneBytes(bool OldFont) {
  ByteBuilder b;
  // The figure's values: no caption, scale 1, angle 0, no name, black solid
  // copy pen of width 1, black clear brush, no fill item.
  b({0x06, 0x00});
  F(b, X1);
  F(b, X0);
  b({0x06, 0x00});
  b({0x02, 0x00, 0x04, 0x00, 0x02, 0x01});
  b({0x02, 0x00, 0x01, 0x08});
  // The font: name, colour, then pixels per inch and height, then the raw style byte.
  b({0x06, 0x04, 0xCB, 0xCE, 0xCC, 0xE5});  // "宋体" in GBK
  b({0x03, 0xFF, 0x00});
  if (OldFont) {
    b({0x02, 0x09});
  } else {
    b({0x02, 0x60});
    F(b, X12);
  }
  b({0x01});
  b({0x06, 0x01, 'A'});  // text
  b({0x08});              // not worked out
  b({0x02, 0x02});        // below the line
  F(b, XQuarter);
  F(b, X1);
  F(b, X2);
  for (Ext e : {X25, X12_5, X50, X25, X100, X50, X340, X20, X10, X0}) F(b, e);
  b({0x09});  // fixed radius
  return b.b;
}


int RowInk(const Sheet& s, int y, int x0, int x1) { return BoxInk(s, x0, y, x1, y); }

// Centre (100, 120), radius line to the right along y = 120, the jib
// pointing up so nothing else crosses the radius line between the mast and
// the arrowhead.
std::unique_ptr<TTxTadiao> Crane() {
  auto c = std::make_unique<TTxTadiao>();
  c->FJd = 0;
  c->FJdEx = 90;
  c->FFont->FHeight = 14;
  c->SetRefPoint(100, 120);
  return c;
}

void ExpectPt(Tpt p, double x, double y, const char* what) {
  EXPECT_NEAR(p.x, x, 1e-9) << what;
  EXPECT_NEAR(p.y, y, 1e-9) << what;
}

TPoint Pt(double x, double y) { return ptodp({x, y}); }

}  // namespace

// ---- saved values

TEST(TowerCrane, ANewCraneHasTheUsualParts) {
  TTxTadiao c;
  EXPECT_EQ(c.FClassNameDescription, "塔吊");
  EXPECT_EQ(c.FBrush.Color, clBlack);
  EXPECT_EQ(c.FBj, 100);
  EXPECT_EQ(c.FQj, 340);
  EXPECT_EQ(c.FZj, 20);
  EXPECT_EQ(c.FTextAlign, 1);
  EXPECT_TRUE(c.FAutoCalText);
  EXPECT_EQ(c.FPos, 0.5);
  EXPECT_EQ(c.GetHandleCount(), 7);
}

TEST(TowerCrane, SavedValuesFollowTheFigureValuesInOrder) {
  TTxTadiao c;
  c.FFont->FColor = 255;
  c.FFont->FHeight = 12;
  c.FFont->FStyle = fsBold;
  c.FText = "A";
  c.FAutoCalText = false;
  c.FTextAlign = 2;
  c.FPos = 0.25;
  c.FYd = {1, 2};
  c.FFixedBj = true;
  const Bytes expected = CraneBytes(false);
  EXPECT_EQ(Written([&](TWriter& w) { c.WriteData(w); }), expected);

  TTxTadiao back;
  ReadAll(back, expected);
  EXPECT_EQ(back.FFont->FName, "宋体");
  EXPECT_EQ(back.FFont->FColor, 255u);
  EXPECT_EQ(back.FFont->FPixelsPerInch, 96);
  EXPECT_EQ(back.FFont->FHeight, 12);
  EXPECT_EQ(back.FFont->FStyle, fsBold);
  EXPECT_EQ(back.FText, "A");
  EXPECT_FALSE(back.FAutoCalText);
  EXPECT_EQ(back.FTextAlign, 2);
  EXPECT_EQ(back.FPos, 0.25);
  ExpectPt(back.FYd, 1, 2, "centre");
  EXPECT_EQ(back.FWidthEx, 25);
  EXPECT_EQ(back.FHeightEx, 12.5);
  EXPECT_EQ(back.FWidth, 50);
  EXPECT_EQ(back.FHeight, 25);
  EXPECT_EQ(back.FBj, 100);
  EXPECT_EQ(back.FBjEx, 50);
  EXPECT_EQ(back.FQj, 340);
  EXPECT_EQ(back.FZj, 20);
  EXPECT_EQ(back.FJd, 10);
  EXPECT_EQ(back.FJdEx, 0);
  EXPECT_TRUE(back.FFixedBj);
}

TEST(TowerCrane, FilesUpTo212KeepOnePointSizeForTheFont) {
  const std::int32_t screen = ScreenLogPixels;
  ScreenLogPixels = 120;
  {
    TOldCodeVersionGuard old(2.12);
    TTxTadiao c;
    ReadAll(c, CraneBytes(true));
    EXPECT_EQ(c.FFont->FPixelsPerInch, 120);
    EXPECT_DOUBLE_EQ(c.FFont->FHeight, -9.0 * 120 / 72);
    EXPECT_EQ(c.FFont->FStyle, fsBold);
    EXPECT_EQ(c.FText, "A");
    EXPECT_TRUE(c.FFixedBj);
  }
  {
    TOldCodeVersionGuard newer(2.13);
    TTxTadiao c;
    ReadAll(c, CraneBytes(false));
    EXPECT_EQ(c.FFont->FPixelsPerInch, 96);
    EXPECT_EQ(c.FFont->FHeight, 12);
  }
  ScreenLogPixels = screen;
}

// ---- the label

TEST(TowerCrane, LabelSitsAboveInOrBelowTheRadiusLineAndOnlyTheMiddleOneBreaksIt) {
  struct Case {
    int Align;
    bool Above, Below;
  };
  for (const Case k : {Case{0, true, false}, Case{1, true, true}, Case{2, false, true}}) {
    Sheet s(300, 240);
    auto c = Crane();
    c->FTextAlign = k.Align;
    PaintFigure(*c, s);
    EXPECT_EQ(c->FText, "100.000");
    // Between the mast (x <= 125) and the arrowhead (x >= 190).
    const int above = BoxInk(s, 130, 122, 185, 145), below = BoxInk(s, 130, 95, 185, 118);
    EXPECT_EQ(above > 0, k.Above) << "align " << k.Align;
    EXPECT_EQ(below > 0, k.Below) << "align " << k.Align;
    const int row = RowInk(s, 120, 130, 185);
    if (k.Align == 1)
      EXPECT_LT(row, 56) << "the line is broken around the label";
    else
      EXPECT_EQ(row, 56) << "align " << k.Align;
  }
}

TEST(TowerCrane, ALabelAtEitherEndOfTheLineIsLeftOutAndTheLineDrawnWhole) {
  for (double pos : {0.0, 1.0}) {
    Sheet s(300, 240);
    auto c = Crane();
    c->FPos = pos;
    PaintFigure(*c, s);
    EXPECT_EQ(RowInk(s, 120, 130, 185), 56) << "pos " << pos;
    EXPECT_EQ(BoxInk(s, 130, 122, 185, 145) + BoxInk(s, 130, 95, 185, 118), 0) << "pos " << pos;
  }
  // A label longer than the line is left out too.
  Sheet s(300, 240);
  auto c = Crane();
  c->FAutoCalText = false;
  c->FText = std::string(40, 'W');
  PaintFigure(*c, s);
  EXPECT_EQ(RowInk(s, 120, 130, 185), 56);
}

TEST(TowerCrane, TheWorkedOutLabelFollowsTheRadiusInUserUnits) {
  TFakeDocument doc;
  doc.DocScale = 0.25;
  auto c = Crane();
  c->SetDocument(&doc);
  Sheet s(300, 240);
  PaintFigure(*c, s);
  EXPECT_EQ(c->FText, "25.000");
  c->MoveHandleTo(3, Pt(100, 120 + 110));
  EXPECT_EQ(c->FBj, 110);
  Sheet t(300, 260);
  PaintFigure(*c, t);
  EXPECT_EQ(c->FText, "27.500");
  // A label of one's own stays.
  c->FAutoCalText = false;
  c->FText = "QTZ80";
  PaintFigure(*c, t);
  EXPECT_EQ(c->FText, "QTZ80");
}

// ---- handles

TEST(TowerCrane, JibTipTurnsTheJibAndSetsTheRadiusUnlessTheRadiusIsFixed) {
  auto c = Crane();
  c->MoveHandleTo(3, Pt(100 - 150, 120));
  EXPECT_DOUBLE_EQ(c->FJdEx, 180);
  EXPECT_EQ(c->FBj, 150);
  ASSERT_EQ(c->FPWLine.size(), 1u);
  EXPECT_EQ(c->FPWLine[0].bj, 150) << "the arc follows";

  c->FFixedBj = true;
  c->MoveHandleTo(3, Pt(100, 120 - 60));
  EXPECT_DOUBLE_EQ(c->FJdEx, 270);
  EXPECT_EQ(c->FBj, 150);
}

TEST(TowerCrane, DraggingTheJibTipOntoTheCentreKeepsTheRadius) {
  auto c = Crane();
  c->MoveHandleTo(3, Pt(100, 120));
  EXPECT_EQ(c->FBj, 100);
  EXPECT_EQ(c->FJdEx, 90);
}

TEST(TowerCrane, CounterweightCornerOnlyMovesBehindTheMast) {
  auto c = Crane();
  c->FJdEx = 0;
  c->Modified();
  TPoint h;
  c->GetHandle(4, h);
  EXPECT_EQ(h.x, 100 - 44);  // -(50 - 12.5 / 2), rounded
  EXPECT_EQ(h.y, 120 + 12);  // 132.5 rounds to even
  // On the jib side of the centre: refused.
  c->MoveHandleTo(4, Pt(130, 140));
  EXPECT_EQ(c->FHeightEx, 12.5);
  EXPECT_EQ(c->FWidthEx, 25);
  // Past the block's middle towards the back: no depth left, refused.
  c->MoveHandleTo(4, Pt(100 - 60, 140));
  EXPECT_EQ(c->FHeightEx, 12.5);
  // Behind the mast: the inner corner moves there, the middle stays.
  c->MoveHandleTo(4, Pt(100 - 40, 135));
  EXPECT_EQ(c->FHeightEx, 20);
  EXPECT_EQ(c->FWidthEx, 30);
  EXPECT_EQ(c->FBjEx, 50);
}

TEST(TowerCrane, HandlesSetMastRadiusLineArcEndsAndCounterJib) {
  auto c = Crane();
  c->MoveHandleTo(1, Pt(100 + 20, 120 - 10));
  EXPECT_EQ(c->FWidth, 40);
  EXPECT_EQ(c->FHeight, 20);
  c->MoveHandleTo(2, Pt(100, 120 + 30));
  EXPECT_DOUBLE_EQ(c->FJd, 90);
  c->MoveHandleTo(6, Pt(100 - 30, 120));
  EXPECT_DOUBLE_EQ(c->FQj, 180);
  c->MoveHandleTo(7, Pt(100, 120 - 30));
  EXPECT_DOUBLE_EQ(c->FZj, 270);
  c->MoveHandleTo(5, Pt(100 + 5, 120 - 70));  // jib up: 70 behind
  EXPECT_EQ(c->FBjEx, 70);
}

// ---- bounding box, hit test, snapping

TEST(TowerCrane, BoundingBoxTakesTheArcsPointAtZeroDegreesWhenItPassesIt) {
  TTxTadiao c;
  c.FJd = 10;
  c.FJdEx = 180;  // nothing else reaches x = 100
  c.Modified();
  TRect r;
  c.CalcPositionRect(r);
  EXPECT_EQ(r.Right, 100) << "340 to 20 passes 0 degrees";
  EXPECT_EQ(r.Left, -100) << "the jib tip";
  EXPECT_EQ(r.Bottom, 34) << "up to the arc's end at 20 degrees, not 90";
  EXPECT_EQ(r.Top, -34);

  c.FQj = 20;
  c.FZj = 340;
  c.Modified();
  c.CalcPositionRect(r);
  EXPECT_EQ(r.Bottom, 100) << "20 to 340 passes 90";
  EXPECT_EQ(r.Top, -100) << "and 270";
  EXPECT_EQ(r.Right, 98) << "but not 0";

  EXPECT_TRUE(c.Selected({90, 0}, 1));
  EXPECT_FALSE(c.Selected({101, 0}, 1));
}

TEST(TowerCrane, SnapsToTheMiddleOfAnArcThroughZeroDegrees) {
  TTxTadiao c;
  c.FJd = 90;
  c.Modified();
  Tpt p;
  TPointLx kind = plNone;
  ASSERT_TRUE(c.GetCapturePoint(p, kind, nullptr, Pt(99, 2), PointLxBit(plMidPoint)));
  EXPECT_EQ(kind, plMidPoint);
  ExpectPt(p, 100, 0, "the arc's middle");
  EXPECT_FALSE(c.GetCapturePoint(p, kind, nullptr, Pt(-99, 0), PointLxBit(plMidPoint)));
  ASSERT_TRUE(c.GetCapturePoint(p, kind, nullptr, Pt(0, 97), PointLxBit(plEndPoint)));
  ExpectPt(p, 0, 100, "the radius line's tip");
  ASSERT_TRUE(c.GetCapturePoint(p, kind, nullptr, Pt(97, -20), PointLxBit(plNearest)));
  EXPECT_EQ(kind, plNearest);
  EXPECT_NEAR(std::hypot(p.x, p.y), 100, 1e-9) << "on the arc";
  EXPECT_FALSE(c.GetCapturePoint(p, kind, nullptr, Pt(-97, -20), PointLxBit(plNearest))) << "off the arc";
}

// ---- mirror, explode, copies, undo

TEST(TowerCrane, MirrorKeepsTheArcCounterClockwiseOnTheMirroredSide) {
  TTxTadiao c;
  c.FQj = 10;
  c.FZj = 60;
  c.FJd = 30;
  c.FJdEx = 0;
  c.FYd = {0, 5};
  c.Modified();
  c.FigureMirror({{0, 0}, {1, 0}});
  ExpectPt(c.FYd, 0, -5, "centre");
  EXPECT_EQ(c.ArcSweep(), 50);
  ASSERT_EQ(c.FPWLine.size(), 1u);
  for (Tpt p : MltLineToWdd(c.FPWLine)) EXPECT_LT(p.y, -5 + 1e-9) << "below the centre";
  ExpectPt(c.AtRadius(c.FQj), 100 * std::cos(60 * std::numbers::pi / 180),
           -5 - 100 * std::sin(60 * std::numbers::pi / 180), "starts at -60");
  EXPECT_NEAR(std::sin(c.FJd * std::numbers::pi / 180), -0.5, 1e-12);

  // About the y axis (twice 90 degrees): the upper left quarter.
  c.FigureMirror({{0, 0}, {0, 1}});
  c.FigureMirror({{0, 0}, {1, 0}});
  EXPECT_EQ(c.ArcSweep(), 50);
  for (Tpt p : MltLineToWdd(c.FPWLine)) EXPECT_LT(p.x, 1e-9);
}

TEST(TowerCrane, ExplodeMovesScalesAndTurnsTheCraneOutOfItsBlock) {
  TTestSet set;
  set.FYd = {10, 0};
  set.FXzJd = 90;
  set.FScale = 2;
  TTxTadiao c;
  c.FYd = {5, 0};
  c.Explode(set);
  ExpectPt(c.FYd, 10, 10, "centre");
  EXPECT_EQ(c.FScale, 2);
  EXPECT_EQ(c.FJdEx, 90) << "the jib points where the block showed it";
  EXPECT_EQ(c.FQj, 430);
  ExpectPt(c.JibTip(), 10, 210, "jib tip");
}

TEST(TowerCrane, ClonesAreIndependentAndCarryEveryValue) {
  EXPECT_NE(GetClass("TTxTadiao"), nullptr);
  auto c = Crane();
  c->FText = "T1";
  c->FAutoCalText = false;
  c->FFixedBj = true;
  c->FFont->FColor = 42;
  auto copy = c->Clone();
  auto& d = dynamic_cast<TTxTadiao&>(*copy);
  ExpectPt(d.FYd, 100, 120, "centre");
  EXPECT_EQ(d.FText, "T1");
  EXPECT_TRUE(d.FFixedBj);
  EXPECT_EQ(d.FFont->FColor, 42u);
  ASSERT_EQ(d.FPWLine.size(), 1u);
  d.FFont->FColor = 7;
  EXPECT_EQ(c->FFont->FColor, 42u);
}

TEST(TowerCrane, AHandleDragInADrawingIsUndone) {
  TFakeDocument doc;
  TFakeView view;
  TTxFigureSet root{&doc};
  root.InsertFigure(Crane());
  auto* c = dynamic_cast<TTxTadiao*>(root.FFigures->Figures(0));
  ASSERT_NE(c, nullptr);
  TMyList list;
  list.Add(c);
  root.BackUp(list, ovEdit);
  TPoint tip;
  c->GetHandle(3, tip);
  c->MoveHandleTo(3, {tip.x - 300, tip.y - 300});
  ASSERT_NE(c->FBj, 100);
  root.Undo(&view);
  EXPECT_EQ(c->FBj, 100);
  EXPECT_EQ(c->FJdEx, 90);
  ASSERT_EQ(c->FPWLine.size(), 1u);
  EXPECT_EQ(c->FPWLine[0].bj, 100);
}

// Set PLANDECK_CRANE_PNG to a file name to look at two cranes.
TEST(TowerCrane, PictureOfTwoCranes) {
  const QByteArray path = qgetenv("PLANDECK_CRANE_PNG");
  if (path.isEmpty()) GTEST_SKIP() << "no picture asked for";
  Sheet s(520, 300);
  auto c = Crane();
  c->SetRefPoint(140, 150);
  c->FJd = 30;
  c->FJdEx = 200;
  c->FPen.Width = 2;
  c->Modified();
  PaintFigure(*c, s);
  auto d = Crane();
  d->SetRefPoint(380, 150);
  d->FQj = 120;
  d->FZj = 300;
  d->FJd = 150;
  d->FJdEx = 240;
  d->FTextAlign = 0;
  d->FPen.Color = RGB(200, 0, 0);
  d->FPen.Style = psDash;
  d->Modified();
  PaintFigure(*d, s);
  EXPECT_TRUE(s.Image().save(QString::fromLocal8Bit(path)));
}
