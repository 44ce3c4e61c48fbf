// Rectangles, regular polygons and polygons with arc edges: saved values
// against bytes written out by hand, the outline polygon they paint and hit,
// handle drags, the polygon tool's vertices, and a regular polygon with too
// few sides, which has no outline but keeps its saved value.

#include <gtest/gtest.h>

#include "FigureBytes.h"
#include "figures/FigureFamily.h"
#include "figures/FigureKit.h"
#include "figures/FigureText.h"
#include "figures/WdbxShapes.h"
#include "platform/Region.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

const Ext X30 = {0, 0, 0, 0, 0, 0, 0, 0xF0, 0x03, 0x40};

Bytes RectangleBytes() {
  ByteBuilder b;
  FigureValues(b);
  F(b, X10);  // FYd
  F(b, X20);
  F(b, X50);  // FWidth
  F(b, X25);  // FHeight
  return b.b;
}

Bytes ZPolygonBytes(int Sides) {
  ByteBuilder b;
  FigureValues(b);
  F(b, X10);  // FYd, the centre
  F(b, X20);
  b({0x02, Sides});  // FLineCount
  F(b, X50);         // FBj
  return b.b;
}

// One vertex record: caption "编号" in GBK, no description, then its values.
void VertexRecord(ByteBuilder& b, Ext X, Ext Y, int Lx, Ext YxX, Ext YxY, Ext Bj, int Direction) {
  b({0x06, 0x04, 0xB1, 0xE0, 0xBA, 0xC5});
  b({0x06, 0x00});
  F(b, X);
  F(b, Y);
  b({0x02, Lx});
  F(b, YxX);
  F(b, YxY);
  F(b, Bj);
  b({0x02, Direction});
}

// (0, 0) to (20, 0) along the lower half circle about (10, 0), then straight
// up to (20, 30) and back.
Bytes PolygonBytes() {
  ByteBuilder b;
  FigureValues(b);
  b({0x02, 0x03});
  b({0x06, 14})("TTxPolygonBxdy");
  VertexRecord(b, X0, X0, 1, X10, X0, X10, 1);
  VertexRecord(b, X20, X0, 0, X0, X0, X0, 0);
  VertexRecord(b, X20, X30, 0, X0, X0, X0, 0);
  return b.b;
}

Bytes Saved(TCustomFigure& F) {
  return Written([&](TWriter& w) { F.WriteData(w); });
}

TRect PositionOf(const TCustomFigure& F) {
  TRect r;
  F.CalcPositionRect(r);
  return r;
}

// Logical points as pairs, which compare and print.
using XY = std::pair<int, int>;

XY HandleOf(const TCustomFigure& F, int Index) {
  TPoint p;
  F.GetHandle(Index, p);
  return {p.x, p.y};
}

bool HasPoint(const TCustomWdbxFigure& F, TPoint P) {
  return std::any_of(F.FPolyPoints.begin(), F.FPolyPoints.end(), [&](TPoint q) { return q.x == P.x && q.y == P.y; });
}

void ExpectPt(Tpt a, Tpt b, const char* what) {
  EXPECT_NEAR(a.x, b.x, 1e-9) << what;
  EXPECT_NEAR(a.y, b.y, 1e-9) << what;
}

std::unique_ptr<TTxPolygon> PolygonOf(std::initializer_list<Tpt> Points) {
  auto p = std::make_unique<TTxPolygon>();
  for (Tpt q : Points) p->AddPoint(q);
  return p;
}

}  // namespace

// ---- saved values

TEST(WdbxShapes, RectangleSavesCornerWidthAndHeightAfterTheFigureValues) {
  TTxFRectangle r;
  r.FYd = {10, 20};
  r.FWidth = 50;
  r.FHeight = 25;
  EXPECT_EQ(Saved(r), RectangleBytes());
  TTxFRectangle back;
  ReadAll(back, RectangleBytes());
  back.Loaded();
  ExpectPt(back.FYd, {10, 20}, "corner");
  EXPECT_EQ(back.FWidth, 50);
  EXPECT_EQ(back.FHeight, 25);
  EXPECT_EQ(Saved(back), RectangleBytes());
  EXPECT_EQ(PositionOf(back), (TRect{10, 20, 60, 45}));
}

TEST(WdbxShapes, RegularPolygonSavesCentreSideCountAsIntegerAndRadius) {
  TTxZPolygon z;
  z.FYd = {10, 20};
  z.FLineCount = 6;
  z.FBj = 50;
  EXPECT_EQ(Saved(z), ZPolygonBytes(6));
  TTxZPolygon back;
  ReadAll(back, ZPolygonBytes(6));
  back.Loaded();
  EXPECT_EQ(back.FLineCount, 6);
  EXPECT_EQ(back.FBj, 50);
  EXPECT_EQ(Saved(back), ZPolygonBytes(6));
  EXPECT_EQ(back.GetHandleCount(), 6);
  EXPECT_EQ(HandleOf(back, 1), XY(60, 20));
  EXPECT_EQ(HandleOf(back, 4), XY(-40, 20));
}

TEST(WdbxShapes, PolygonSavesItsVertexCollectionWithTheArcVertex) {
  TTxPolygon back;
  ReadAll(back, PolygonBytes());
  back.Loaded();
  ASSERT_EQ(back.GetPointCount(), 3);
  EXPECT_EQ(back.Vertex(0).FLx, blArc);
  EXPECT_EQ(back.Vertex(0).FDirection, 1);
  ExpectPt(back.Vertex(2).FDwd, {20, 30}, "third vertex");
  EXPECT_EQ(Saved(back), PolygonBytes());
  ASSERT_EQ(back.FPWdbx->bx.size(), 3u);
  EXPECT_EQ(back.FPWdbx->bx[0].lx, blArc);

  // The same polygon built vertex by vertex saves the same bytes.
  auto made = PolygonOf({{0, 0}, {20, 0}, {20, 30}});
  made->Vertex(0).FLx = blArc;
  made->Vertex(0).FYx = {10, 0};
  made->Vertex(0).FBj = 10;
  made->Vertex(0).FDirection = 1;
  made->Modified();
  EXPECT_EQ(Saved(*made), PolygonBytes());
}

// ---- outline

TEST(WdbxShapes, ArcEdgeBoundingBoxReachesThroughTheArcsQuadrantPoint) {
  TTxPolygon p;
  ReadAll(p, PolygonBytes());
  p.Loaded();
  // The lower half circle dips to y = -10 below the chord.
  EXPECT_EQ(PositionOf(p), (TRect{0, -10, 20, 30}));
  EXPECT_TRUE(HasPoint(p, {10, -10}));
  EXPECT_TRUE(p.Selected({10, -8}, 1));
  EXPECT_FALSE(p.Selected({10, -12}, 1));
  // The other way round the arc bulges into the triangle instead.
  p.Vertex(0).FDirection = 0;
  p.Modified();
  EXPECT_EQ(PositionOf(p), (TRect{0, 0, 20, 30}));
  EXPECT_FALSE(p.Selected({10, -8}, 1));
}

TEST(WdbxShapes, RegularPolygonDraggedFromItsCentreHasAVertexAtThePoint) {
  TTxZPolygon z;
  z.FLineCount = 5;
  const Tpt pts[] = {{100, 100}, {130, 140}};
  z.CreateByRefPoint(pts);
  EXPECT_NEAR(z.FBj, 50, 1e-12);
  EXPECT_NEAR(z.FXzJd, RadToDeg(std::atan2(40, 30)), 1e-12);
  EXPECT_EQ(HandleOf(z, 1), XY(130, 140));
  EXPECT_TRUE(HasPoint(z, {130, 140}));
  EXPECT_EQ(z.FPWdbx->bx.size(), 5u);
  // One point alone changes nothing.
  TTxZPolygon one;
  one.CreateByRefPoint(std::span<const Tpt>(pts, 1));
  EXPECT_EQ(one.FBj, 0);
}

TEST(WdbxShapes, PolygonOfTwoVerticesPaintsAsOneLineAndOfOneNothing) {
  auto two = PolygonOf({{10, 10}, {60, 10}});
  Sheet s(80, 40);
  PaintFigure(*two, s);
  for (int x = 12; x <= 58; x += 4) EXPECT_TRUE(InkAt(s, x, 10)) << x;
  EXPECT_EQ(BoxInk(s, 0, 12, 79, 39), 0);
  EXPECT_EQ(two->FArraySize, 3);

  auto one = PolygonOf({{10, 10}});
  one->FBrush.Style = bsSolid;
  one->FBrush.Color = clBlack;
  Sheet s1(80, 40);
  PaintFigure(*one, s1);
  EXPECT_EQ(s1.InkCount(), 0);
  EXPECT_EQ(PositionOf(*one), TRect{});
  EXPECT_EQ(one->FArraySize, 0);
  EXPECT_FALSE(one->Selected({10, 10}, 1));
}

TEST(WdbxShapes, FilledRectangleTurnedAboutItsCornerPaintsInsideItsOutline) {
  TTxFRectangle r;
  r.FYd = {40, 10};
  r.FWidth = 30;
  r.FHeight = 20;
  r.FXzJd = 90;
  r.FBrush = {clBlack, bsSolid};
  r.Modified();
  // Turned about FYd, the rectangle lies from x = 20 to 40 and y = 10 to 40.
  EXPECT_EQ(PositionOf(r), (TRect{20, 10, 40, 40}));
  Sheet s(80, 60);
  PaintFigure(r, s);
  EXPECT_TRUE(InkAt(s, 30, 25));
  EXPECT_FALSE(InkAt(s, 50, 25));
  EXPECT_TRUE(r.Selected({25, 35}, 1));
  EXPECT_FALSE(r.Selected({45, 35}, 1));
}

// ---- handles

TEST(WdbxShapes, RectangleCornerDragKeepsTheOppositeCornerEvenTurned) {
  TTxFRectangle r;
  r.FYd = {10, 20};
  r.FWidth = 50;
  r.FHeight = 30;
  r.Modified();
  r.MoveHandleTo(5, {80, 70});
  ExpectPt(r.FYd, {10, 20}, "corner kept");
  EXPECT_NEAR(r.FWidth, 70, 1e-9);
  EXPECT_NEAR(r.FHeight, 50, 1e-9);
  r.MoveHandleTo(1, {0, 0});
  ExpectPt(r.FYd, {0, 0}, "moved corner");
  EXPECT_EQ(HandleOf(r, 5), XY(80, 70));

  TTxFRectangle t;
  t.FYd = {100, 100};
  t.FWidth = 40;
  t.FHeight = 20;
  t.FXzJd = 90;
  t.Modified();
  const XY opposite = HandleOf(t, 5);
  EXPECT_EQ(opposite, XY(80, 140));
  t.MoveHandleTo(1, {90, 90});
  EXPECT_NEAR(t.FWidth, 50, 1e-9);
  EXPECT_NEAR(t.FHeight, 10, 1e-9);
  EXPECT_EQ(HandleOf(t, 5), opposite);
  // The left side handle moves the left side only.
  t.MoveHandleTo(8, {80, 80});
  EXPECT_EQ(HandleOf(t, 5), opposite);
  EXPECT_NEAR(t.FHeight, 10, 1e-9);
  EXPECT_NEAR(t.FWidth, 60, 1e-9);
}

TEST(WdbxShapes, RectangleDragToZeroOrNegativeSizeIsIgnored) {
  TTxFRectangle r;
  r.FYd = {10, 20};
  r.FWidth = 50;
  r.FHeight = 30;
  r.Modified();
  const Bytes before = Saved(r);
  r.MoveHandleTo(4, {10, 35});  // the right side onto the left one
  r.MoveHandleTo(4, {0, 35});   // and past it
  r.MoveHandleTo(6, {35, 20});  // the top onto the bottom
  r.MoveHandleTo(1, {60, 0});   // the first corner onto the right side
  EXPECT_EQ(Saved(r), before);
}

TEST(WdbxShapes, RotateHandlesTurnAboutTheReferencePoint) {
  TTxFRectangle r;
  r.FWidth = 40;
  r.FHeight = 20;
  r.Modified();
  r.RotateHandleTo(3, {0, 50});  // handle 3 lies at 0 degrees
  EXPECT_NEAR(r.FXzJd, 90, 1e-9);
  r.RotateHandleTo(7, {-30, 0});  // handle 7 at 90 degrees
  EXPECT_NEAR(r.FXzJd, 90, 1e-9);
  r.RotateHandleTo(5, {0, 80});  // handle 5 at atan(20 / 40)
  EXPECT_NEAR(r.FXzJd, 90 - RadToDeg(std::atan2(20, 40)), 1e-9);
  const double a = r.FXzJd;
  r.RotateHandleTo(1, {0, -80});  // the reference corner does not turn
  EXPECT_EQ(r.FXzJd, a);

  TTxZPolygon z;
  z.FLineCount = 6;
  z.FBj = 10;
  z.Modified();
  z.RotateHandleTo(2, {0, 30});
  EXPECT_NEAR(z.FXzJd, 30, 1e-9);
  z.MoveHandleTo(4, {0, -25});
  EXPECT_NEAR(z.FBj, 25, 1e-9);
}

TEST(WdbxShapes, PolygonEdgeMiddleDragRebuildsTheArcThroughTheMouse) {
  TTxPolygon p;
  ReadAll(p, PolygonBytes());
  p.Loaded();
  ASSERT_EQ(p.GetHandleCount(), 6);
  EXPECT_EQ(HandleOf(p, 4), XY(10, -10));  // the arc's middle
  EXPECT_EQ(HandleOf(p, 5), XY(20, 15));   // a straight edge's middle
  const Bytes before = Saved(p);
  p.MoveHandleTo(4, {10, 0});   // on the chord: no circle
  p.MoveHandleTo(5, {30, 15});  // a straight edge does not bend
  EXPECT_EQ(Saved(p), before);

  p.MoveHandleTo(4, {10, 5});
  ExpectPt(p.Vertex(0).FYx, {10, -7.5}, "centre through the three points");
  EXPECT_NEAR(p.Vertex(0).FBj, 12.5, 1e-9);
  EXPECT_EQ(p.Vertex(0).FDirection, 0);  // over the top: clockwise
  EXPECT_EQ(HandleOf(p, 4), XY(10, 5));
  EXPECT_EQ(PositionOf(p), (TRect{0, 0, 20, 30}));

  p.MoveHandleTo(4, {10, -4});
  EXPECT_EQ(p.Vertex(0).FDirection, 1);
  EXPECT_EQ(HandleOf(p, 4), XY(10, -4));

  // A vertex handle moves the vertex, in whole units.
  p.MoveHandleTo(3, {25, 31});
  ExpectPt(p.Vertex(2).FDwd, {25, 31}, "vertex");
}

// ---- the polygon tool and editing

TEST(WdbxShapes, PolygonToolVerticesAreTakenIntoTheFiguresFrame) {
  TTestSet set;
  set.FYd = {100, 0};
  set.FScale = 2;
  TTxPolygon p;
  p.FParent = &set;
  p.AddPoint({100, 0});
  p.AddPoint({140, 0});
  p.AddPoint({150, 50});
  ExpectPt(p.Vertex(1).FDwd, {20, 0}, "second vertex");
  p.ReplaceLastPoint({140, 40});
  ExpectPt(p.Vertex(2).FDwd, {20, 20}, "replaced vertex");
  EXPECT_EQ(p.GetPointCount(), 3);
  EXPECT_EQ(p.FPWdbx->bx.size(), 3u);
  EXPECT_TRUE(p.Selected({130, 10}, 1));
  p.RemoveLastPoint();
  EXPECT_EQ(p.GetPointCount(), 2);
  EXPECT_EQ(p.FPWdbx->bx.size(), 2u);
  RegisterWdbxShapeClasses();
  const TFigureFamily* family = FamilyOf(TTxPolygon::StaticClass());
  ASSERT_NE(family, nullptr);
  EXPECT_EQ(family->Tool, tkPolygon);
  EXPECT_TRUE(family->Closed);
  EXPECT_EQ(family->Ops->GetPointCount(p), 2);
  family->Ops->AddPoint(p, {200, 100});
  ExpectPt(p.Vertex(2).FDwd, {50, 50}, "added through the tool's operations");
}

TEST(WdbxShapes, PolygonTakesVerticesOnItsEdgesAndKeepsThreeWhenDeleting) {
  auto p = PolygonOf({{0, 0}, {40, 0}, {40, 30}});
  EXPECT_FALSE(p->RealTimeDeletePoint({40, 0}, nullptr));
  EXPECT_FALSE(p->RealTimeAddPoint({30, 10}, nullptr));  // inside, on no edge
  EXPECT_TRUE(p->RealTimeAddPoint({20, 0}, nullptr));
  ASSERT_EQ(p->GetPointCount(), 4);
  ExpectPt(p->Vertex(1).FDwd, {20, 0}, "inserted after the first vertex");
  EXPECT_TRUE(p->RealTimeDeletePoint({38, 28}, nullptr));
  ASSERT_EQ(p->GetPointCount(), 3);
  ExpectPt(p->Vertex(2).FDwd, {40, 0}, "the rest keep their order");
}

TEST(WdbxShapes, SnapsToCornersSideMiddlesAndCentre) {
  TFakeDocument doc;
  TTxFRectangle r;
  r.SetDocument(&doc);
  r.FWidth = 40;
  r.FHeight = 20;
  r.Modified();
  Tpt p;
  TPointLx kind = plNone;
  EXPECT_TRUE(r.GetCapturePoint(p, kind, nullptr, {42, 21}, PointLxBit(plEndPoint)));
  EXPECT_EQ(kind, plEndPoint);
  ExpectPt(p, {40, 20}, "corner");
  EXPECT_TRUE(r.GetCapturePoint(p, kind, nullptr, {22, 2}, PointLxBit(plMidPoint)));
  ExpectPt(p, {20, 0}, "side middle");
  EXPECT_TRUE(r.GetCapturePoint(p, kind, nullptr, {21, 9}, PointLxBit(plCenter)));
  EXPECT_EQ(kind, plCenter);
  ExpectPt(p, {20, 10}, "centre");
  EXPECT_TRUE(r.GetCapturePoint(p, kind, nullptr, {30, 22}, PointLxBit(plNearest)));
  EXPECT_EQ(kind, plNearest);
  ExpectPt(p, {30, 20}, "foot on the top side");
  EXPECT_FALSE(r.GetCapturePoint(p, kind, nullptr, {20, 40}, PointLxBit(plEndPoint) | PointLxBit(plMidPoint)));
}

// ---- too few sides

TEST(WdbxShapes, RegularPolygonWithFewerThanThreeSidesHasNoOutlineButKeepsItsValue) {
  for (int sides : {0, 1, 2}) {
    SCOPED_TRACE(sides);
    TTxZPolygon z;
    ReadAll(z, ZPolygonBytes(sides));
    z.Loaded();
    const TBrush read = z.FBrush;
    z.FBrush = {clBlack, bsSolid};
    EXPECT_TRUE(z.FPWdbx->bx.empty());
    EXPECT_EQ(PositionOf(z), TRect{});
    EXPECT_EQ(z.GetHandleCount(), 0);
    EXPECT_FALSE(z.Selected({10, 20}, 1));
    Sheet s(80, 80);
    PaintFigure(z, s);
    EXPECT_EQ(s.InkCount(), 0);
    z.FBrush = read;
    EXPECT_EQ(Saved(z), ZPolygonBytes(sides));
  }
}

TEST(WdbxShapes, RegularPolygonDialogRefusesFewerThanThreeSides) {
  TTxZPolygon z;
  z.FLineCount = 5;
  z.FBj = 10;
  z.Modified();
  TZPolygonProperties p = GetZPolygonProperties(z);
  EXPECT_EQ(p.LineCount, "5");
  EXPECT_EQ(p.Bj, "10.000");
  p.LineCount = "2";
  p.Bj = "20";
  SetZPolygonProperties(z, p);
  EXPECT_EQ(z.FLineCount, 5);
  EXPECT_EQ(z.FBj, 10);  // the fields after it are not taken either
  EXPECT_EQ(ZPolygonPerimeter(p), "");
  p.LineCount = "6";
  p.Bj = "2";
  EXPECT_EQ(ZPolygonPerimeter(p), "12.000");
  EXPECT_EQ(ZPolygonArea(p), Format("%1.3f", 6 * std::sqrt(3.0)));
  SetZPolygonProperties(z, p);
  EXPECT_EQ(z.FLineCount, 6);
  EXPECT_NEAR(z.FBj, 2, 1e-12);
}

TEST(WdbxShapes, DialogModelsMeasureInUserUnits) {
  TFakeDocument doc;
  doc.DocScale = 2;
  TTxFRectangle r;
  r.SetDocument(&doc);
  r.FWidth = 3;
  r.FHeight = 4;
  r.Modified();
  TRectangleProperties rp = GetRectangleProperties(r);
  EXPECT_EQ(rp.Width, "6.000");
  EXPECT_EQ(RectanglePerimeter(rp), "28.000");
  EXPECT_EQ(RectangleArea(rp), "48.000");
  rp.Height = "0";
  EXPECT_EQ(RectangleArea(rp), "");
  SetRectangleProperties(r, rp);
  EXPECT_EQ(r.FHeight, 4);  // a zero height does not convert

  auto p = PolygonOf({{0, 0}, {3, 0}, {3, 4}});
  p->SetDocument(&doc);
  const TPolygonProperties pp = GetPolygonProperties(*p);
  EXPECT_EQ(pp.Perimeter, "24.000");
  EXPECT_EQ(pp.Area, "24.000");
}

TEST(WdbxShapes, ACopyPaintsAndHitsBeforeAnythingRefreshesIt) {
  TTxFRectangle r;
  r.FWidth = 30;
  r.FHeight = 20;
  r.FBrush = {clBlack, bsSolid};
  r.Modified();
  auto z = std::make_unique<TTxZPolygon>();
  const Tpt pts[] = {{40, 40}, {60, 40}};
  z->CreateByRefPoint(pts);
  auto p = PolygonOf({{0, 40}, {20, 40}, {20, 60}});
  for (TCustomFigure* f : {static_cast<TCustomFigure*>(&r), static_cast<TCustomFigure*>(z.get()),
                           static_cast<TCustomFigure*>(p.get())}) {
    SCOPED_TRACE(f->ClassType().Name);
    std::unique_ptr<TDocItem> copy = f->Clone();
    auto& c = static_cast<TCustomFigure&>(*copy);
    Sheet a(80, 80), b(80, 80);
    PaintFigure(*f, a);
    PaintFigure(c, b);
    EXPECT_GT(b.InkCount(), 0);
    EXPECT_EQ(a.InkCount(), b.InkCount());
    TRect ra, rb;
    f->CalcPositionRect(ra);
    c.CalcPositionRect(rb);
    EXPECT_EQ(ra, rb);
  }
}

TEST(WdbxShapes, MirroringTurnsTheShapesOverTheLine) {
  // Over the vertical line x = 0 a rectangle keeps its size and lands on the other side.
  TTxFRectangle r;
  ReadAll(r, RectangleBytes());
  r.Loaded();
  r.FigureMirror(pptobx({0, 0}, {0, 10}));
  EXPECT_EQ(PositionOf(r), (TRect{-60, 20, -10, 45}));
  EXPECT_NEAR(r.FWidth, 50, 1e-12);
  EXPECT_TRUE(r.Selected({-20, 40}, 1));

  // Over the x axis the polygon's arc must bulge upwards now: its direction turns too.
  TTxPolygon p;
  ReadAll(p, PolygonBytes());
  p.Loaded();
  p.FigureMirror(pptobx({0, 0}, {10, 0}));
  EXPECT_EQ(p.Vertex(0).FDirection, 0);
  EXPECT_EQ(PositionOf(p), (TRect{0, -30, 20, 10}));
  EXPECT_TRUE(p.Selected({10, 8}, 1));

  TTxZPolygon z;
  z.FLineCount = 3;
  z.FBj = 10;
  z.FXzJd = 90;  // a vertex straight up
  z.Modified();
  z.FigureMirror(pptobx({0, 0}, {10, 0}));
  EXPECT_EQ(HandleOf(z, 1), XY(0, -10));
}

TEST(WdbxShapes, RegionsAreTheOutlineInLogicalAndInDeviceUnits) {
  TTxFRectangle r;
  ReadAll(r, RectangleBytes());
  r.Loaded();
  const std::unique_ptr<TRegion> logical = r.GetRegion();
  ASSERT_NE(logical, nullptr);
  TRect box;
  GetRgnBox(*logical, box);
  EXPECT_EQ(box, (TRect{10, 20, 60, 45}));
  EXPECT_TRUE(PtInRegion(*logical, 30, 30));
  // On a sheet 100 high with y up, logical y becomes 100 - y on the device.
  Sheet s(100, 100);
  SetViewMapping(*s, 100);
  const std::unique_ptr<TRegion> device = r.GetClientRegion(*s);
  GetRgnBox(*device, box);
  EXPECT_EQ(box, (TRect{10, 55, 60, 80}));
  // A polygon of one vertex has no region.
  auto one = PolygonOf({{10, 10}});
  EXPECT_TRUE(one->GetRegion()->IsEmpty());
}
