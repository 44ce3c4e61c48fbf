// The multi-segment line: saved values against bytes written out by hand,
// the arc edges built from the vertices, handles, hits, bounds, mirroring,
// vertex insertion and deletion, snapping.

#include <gtest/gtest.h>

#include "FigureBytes.h"
#include "figures/ArcEdges.h"
#include "figures/Blocks.h"
#include "figures/MltLine.h"

#include <cmath>
#include <numbers>

namespace {

constexpr double Pi = std::numbers::pi;

void ExpectPt(Tpt p, double x, double y, const char* what, double tol = 1e-9) {
  EXPECT_NEAR(p.x, x, tol) << what;
  EXPECT_NEAR(p.y, y, tol) << what;
}

// A line through Points; vertex ArcAt (if any) starts an arc of radius Bj
// bulging towards Side.
std::unique_ptr<TTxMltLine> Line(std::initializer_list<Tpt> Points, int ArcAt = -1, double Bj = 0, Tpt Side = {},
                                 int Direction = 1) {
  auto l = std::make_unique<TTxMltLine>();
  for (Tpt p : Points) l->AddPoint(p);
  if (ArcAt >= 0) {
    TTxPolygonBxdy& v = l->Vertex(ArcAt);
    v.FLx = blArc;
    v.FBj = Bj;
    v.FYx = Side;
    v.FDirection = Direction;
    l->Modified();
  }
  return l;
}

// One vertex item as the collection writes it: caption "编号" (GBK), no
// description, the point, kind, centre, radius and sense.
void Item(ByteBuilder& b, Ext X, Ext Y, int Lx, Ext Cx, Ext Cy, Ext Bj, int Dir) {
  b({0x06, 0x04, 0xB1, 0xE0, 0xBA, 0xC5, 0x06, 0x00});
  F(b, X);
  F(b, Y);
  b({0x02, Lx});
  F(b, Cx);
  F(b, Cy);
  F(b, Bj);
  b({0x02, Dir});
}

}  // namespace

// ---- saved values

TEST(MltLine, SavedValuesAreTheVertexCollectionAfterTheFigureValues) {
  TTxMltLine l;
  EXPECT_EQ(l.FClassNameDescription, "折线");
  // Set without Modified, so the bytes show exactly what was stored.
  auto* a = static_cast<TTxPolygonBxdy*>(l.DDList().AddObject());
  a->FDwd = {1, 2};
  a->FLx = blArc;
  a->FYx = {5, 6};
  a->FBj = 10;
  a->FDirection = 1;
  static_cast<TTxPolygonBxdy*>(l.DDList().AddObject())->FDwd = {3, 4};
  ByteBuilder b;
  DefaultFigureValues(b);
  b({0x02, 0x02, 0x06, 14})("TTxPolygonBxdy");
  Item(b, X1, X2, 1, X5, X6, X10, 1);
  Item(b, X3, X4, 0, X0, X0, X0, 0);
  EXPECT_EQ(Written([&](TWriter& w) { l.WriteData(w); }), b.b);

  TTxMltLine back;
  ReadAll(back, b.b);
  ASSERT_EQ(back.GetPointCount(), 2);
  ExpectPt(back.Vertex(0).FDwd, 1, 2, "first vertex");
  EXPECT_EQ(back.Vertex(0).FLx, blArc);
  ExpectPt(back.Vertex(0).FYx, 5, 6, "centre as read");
  EXPECT_EQ(back.Vertex(0).FBj, 10);
  EXPECT_EQ(back.Vertex(0).FDirection, 1);
  EXPECT_EQ(back.Vertex(0).FCaption, "编号");
  ExpectPt(back.Vertex(1).FDwd, 3, 4, "second vertex");
  EXPECT_EQ(back.Vertex(1).FLx, blLine);
}

TEST(MltLine, AnEmptyLineSavesACountOfZeroOnly) {
  TTxMltLine l;
  ByteBuilder b;
  DefaultFigureValues(b);
  b({0x02, 0x00});
  EXPECT_EQ(Written([&](TWriter& w) { l.WriteData(w); }), b.b);
}

TEST(MltLine, ReadingReplacesTheVerticesAndRefusesItemsOfAnotherClass) {
  auto l = Line({{0, 0}, {10, 0}, {20, 0}});
  ByteBuilder b;
  DefaultFigureValues(b);
  b({0x02, 0x01, 0x06, 14})("TTxPolygonBxdy");
  Item(b, X1, X2, 0, X0, X0, X0, 0);
  ReadAll(*l, b.b);
  EXPECT_EQ(l->GetPointCount(), 1) << "read into a used figure, the old vertices are gone";

  ByteBuilder bad;
  DefaultFigureValues(bad);
  bad({0x02, 0x01, 0x06, 14})("TTxCollectBxdy");
  bad({0x02, 0x00});
  TTxMltLine m;
  TReader r(bad.b);
  EXPECT_THROW(m.ReadData(r), EStreamError);
  EXPECT_EQ(m.GetPointCount(), 0);
}

// ---- edges

TEST(MltLine, AnArcEdgeTakesTheCentreNearerTheStoredOneAndStoresItBack) {
  // Radius 100 through (100, 0) and (0, 100): centres (0, 0) and (100, 100).
  auto l = Line({{100, 0}, {0, 100}}, 0, 100, {10, -5});
  ASSERT_EQ(l->PWLine().size(), 1u);
  const TWorkDbxbx& e = l->PWLine()[0];
  EXPECT_EQ(e.lx, blArc);
  ExpectPt(e.yx, 0, 0, "centre", 1e-9);
  ExpectPt(l->Vertex(0).FYx, 0, 0, "stored back", 1e-9);
  EXPECT_NEAR(e.qj, 0, 1e-9);
  EXPECT_NEAR(e.zj, Pi / 2, 1e-9);
  EXPECT_NEAR(MltLinezc(l->PWLine()), 100 * Pi / 2, 1e-9);

  auto far = Line({{100, 0}, {0, 100}}, 0, 100, {90, 120});
  ExpectPt(far->PWLine()[0].yx, 100, 100, "the other centre");
}

TEST(MltLine, AnArcTooSmallForItsChordIsBuiltStraightAndKeepsItsSetting) {
  for (double r : {0.0, 49.0, -60.0}) {
    auto l = Line({{0, 0}, {100, 0}}, 0, r, {50, 10});
    ASSERT_EQ(l->PWLine().size(), 1u);
    EXPECT_EQ(l->PWLine()[0].lx, blLine) << r;
    EXPECT_EQ(l->Vertex(0).FLx, blArc) << "the vertex keeps the arc, radius " << r;
  }
  auto l = Line({{0, 0}, {100, 0}}, 0, 50, {50, 10});
  EXPECT_EQ(l->PWLine()[0].lx, blArc) << "a half circle is an arc";
}

TEST(MltLine, TheLastVertexCarriesNoEdge) {
  auto l = Line({{0, 0}, {100, 0}}, 1, 60, {50, 10});
  ASSERT_EQ(l->PWLine().size(), 1u);
  EXPECT_EQ(l->PWLine()[0].lx, blLine);
}

TEST(MltLine, CircleThroughThreePointsGivesCentreAndSense) {
  Tpt c;
  std::int32_t dir = -1;
  ASSERT_TRUE(CircleThrough({0, 0}, {50, 50}, {100, 0}, c, dir));
  ExpectPt(c, 50, 0, "over the top");
  EXPECT_EQ(dir, 0) << "left, top, right runs clockwise";
  ASSERT_TRUE(CircleThrough({0, 0}, {50, -50}, {100, 0}, c, dir));
  EXPECT_EQ(dir, 1);
  ASSERT_TRUE(CircleThrough({10, 0}, {0, 10}, {-10, 0}, c, dir));
  ExpectPt(c, 0, 0, "about the origin");
  EXPECT_EQ(dir, 1);
  EXPECT_FALSE(CircleThrough({0, 0}, {50, 0}, {100, 0}, c, dir)) << "collinear";
}

// ---- handles

TEST(MltLine, HandlesAreTheVerticesThenTheEdgeMiddles) {
  TTxMltLine none;
  EXPECT_EQ(none.GetHandleCount(), 0);
  auto one = Line({{5, 5}});
  EXPECT_EQ(one->GetHandleCount(), 1);
  EXPECT_TRUE(one->PWLine().empty());
  TRect r;
  one->CalcPositionRect(r);
  EXPECT_EQ(r, TRect{});

  auto l = Line({{0, 0}, {100, 0}, {100, 100}}, 1, 50, {0, 50}, 1);
  ASSERT_EQ(l->GetHandleCount(), 5);
  TPoint h;
  l->GetHandle(2, h);
  EXPECT_EQ(h.x, 100);
  EXPECT_EQ(h.y, 0);
  l->GetHandle(4, h);
  EXPECT_EQ(h.x, 50) << "a straight edge's middle";
  EXPECT_EQ(h.y, 0);
  l->GetHandle(5, h);
  // The half circle from (100, 0) to (100, 100) about (100, 50), counter-clockwise: through (150, 50).
  EXPECT_EQ(h.x, 150);
  EXPECT_EQ(h.y, 50);
}

TEST(MltLine, DraggingAnEdgeMiddleBendsOnlyArcsAndNeverOntoTheChord) {
  auto l = Line({{0, 0}, {100, 0}});
  l->MoveHandleTo(3, {50, 40});
  EXPECT_EQ(l->Vertex(0).FLx, blLine);
  EXPECT_EQ(l->PWLine()[0].lx, blLine) << "a straight edge stays straight";

  auto a = Line({{0, 0}, {100, 0}}, 0, 50, {50, -10}, 1);
  a->MoveHandleTo(3, {50, 0});
  EXPECT_EQ(a->Vertex(0).FBj, 50) << "onto the chord: nothing changes";
  a->MoveHandleTo(3, {50, 50});
  ExpectPt(a->Vertex(0).FYx, 50, 0, "centre");
  EXPECT_NEAR(a->Vertex(0).FBj, 50, 1e-9);
  EXPECT_EQ(a->Vertex(0).FDirection, 0);
  TPoint h;
  a->GetHandle(3, h);
  EXPECT_EQ(h.x, 50);
  EXPECT_EQ(h.y, 50) << "the arc now runs through the dragged point";
}

TEST(MltLine, RotatingAHandleTurnsVerticesAndCentresAboutTheBoxCentre) {
  auto l = Line({{0, 0}, {100, 0}}, 0, 50, {50, 10}, 0);
  TRect r;
  l->CalcPositionRect(r);
  const Tpt c{(r.Left + r.Right) / 2.0, (r.Top + r.Bottom) / 2.0};
  // Handle 2 is (100, 0); turned by a quarter about c.
  const Tpt to = protateyd(c, {100, 0}, Pi / 2);
  l->RotateHandleTo(2, ptodp(to));
  const double d = ppjd(c, dptop(ptodp(to))) - ppjd(c, {100, 0});
  ExpectPt(l->Vertex(1).FDwd, protateyd(c, {100, 0}, d).x, protateyd(c, {100, 0}, d).y, "vertex");
  ExpectPt(l->Vertex(0).FYx, protateyd(c, {50, 0}, d).x, protateyd(c, {50, 0}, d).y, "centre", 1e-6);
}

// ---- hits, bounds, paint

TEST(MltLine, HitsReachHalfThePenAndFourUnitsFromEveryEdge) {
  auto l = Line({{0, 0}, {100, 0}, {100, 100}, {150, 150}});
  l->FPen.Width = 2;  // 1 + 4 = 5 units
  EXPECT_TRUE(l->Selected({50, 4.9}, 1));
  EXPECT_FALSE(l->Selected({50, 5.1}, 1));
  EXPECT_TRUE(l->Selected({95.2, 50}, 1)) << "the vertical edge";
  EXPECT_TRUE(l->Selected({125, 127}, 1)) << "a slanted edge";
  EXPECT_FALSE(l->Selected({160, 160}, 1)) << "past the last vertex";
  auto level = Line({{0, 0}, {50, 0}, {100, 0}});
  EXPECT_TRUE(level->Selected({50, 2}, 1)) << "beside the vertex between two level edges";

  auto a = Line({{0, 0}, {100, 0}}, 0, 50, {50, 10}, 1);
  l->FPen.Width = 1;
  // Counter-clockwise from (0, 0) about (50, 0): through (50, -50).
  EXPECT_TRUE(a->Selected({50, -52}, 1));
  EXPECT_FALSE(a->Selected({50, 48}, 1)) << "the other half of the circle";
}

TEST(MltLine, TheRectangleHoldsAnArcsOutermostPoint) {
  auto a = Line({{0, 0}, {100, 0}}, 0, 50, {50, -10}, 0);  // over the top
  TRect r;
  a->CalcPositionRect(r);
  EXPECT_GE(r.Bottom, 50 + 2);
  EXPECT_LE(r.Top, -2);
  EXPECT_LE(r.Bottom, 50 + 3);
  TDBox box;
  ASSERT_TRUE(a->HitBounds(1, box));
  EXPECT_GE(box.y1, 54.5);

  Sheet s(120, 80);
  PaintFigure(*a, s);
  EXPECT_TRUE(InkAt(s, 50, 50) || InkAt(s, 50, 49)) << "the top of the arc";
  EXPECT_EQ(BoxInk(s, 40, 1, 60, 40), 0) << "nothing inside the arc";
}

TEST(MltLine, AClearPenPaintsNothingAndADashedPenBreaksTheLine) {
  auto l = Line({{0, 20}, {200, 20}});
  l->FPen.Style = psClear;
  Sheet s(220, 40);
  PaintFigure(*l, s);
  EXPECT_EQ(s.InkCount(), 0);
  l->FPen.Style = psDash;
  PaintFigure(*l, s);
  int gaps = 0;
  for (int x = 2; x < 198; ++x) gaps += !InkAt(s, x, 20);
  EXPECT_GT(gaps, 10);
  EXPECT_GT(s.InkCount(), 120);
}

// ---- edits

TEST(MltLine, MirroringFlipsTheSenseSoTheArcStaysOnTheMirroredSide) {
  auto a = Line({{0, 0}, {100, 0}}, 0, 50, {50, -10}, 0);  // over the top
  a->FigureMirror(pptobx({0, 0}, {100, 0}));
  EXPECT_EQ(a->Vertex(0).FDirection, 1);
  TPoint h;
  a->GetHandle(3, h);
  EXPECT_EQ(h.x, 50);
  EXPECT_EQ(h.y, -50) << "the bulge is mirrored below";
}

TEST(MltLine, MovingScalingAndExplodingTakeCentresAndRadiiAlong) {
  auto a = Line({{0, 0}, {100, 0}}, 0, 50, {50, -10}, 0);
  a->MoveByOffset(10, 20);
  ExpectPt(a->Vertex(0).FDwd, 10, 20, "moved vertex");
  ExpectPt(a->Vertex(0).FYx, 60, 20, "moved centre");
  TRect r;
  a->CalcPositionRect(r);
  a->SetScale(2);
  EXPECT_NEAR(a->Vertex(0).FBj, 100, 1e-9);
  EXPECT_EQ(a->PWLine()[0].lx, blArc) << "the doubled chord still fits the doubled radius";

  TTxBlock block;
  block.FYd = {1000, 0};
  block.FScale = 0.5;
  block.FXzJd = 90;
  auto b = Line({{0, 0}, {100, 0}}, 0, 50, {50, -10}, 0);
  b->Explode(block);
  ExpectPt(b->Vertex(1).FDwd, 1000, 50, "turned, halved, moved", 1e-9);
  EXPECT_NEAR(b->Vertex(0).FBj, 25, 1e-9);
  EXPECT_EQ(b->PWLine()[0].lx, blArc);
}

TEST(MltLine, AClickOnAnArcSplitsItIntoAnArcAndALine) {
  TFakeDocument doc;
  TTxFigureSet root;
  root.SetDocument(&doc);
  auto made = Line({{0, 0}, {100, 0}}, 0, 50, {50, -10}, 0);  // over the top, through (50, 50)
  TTxMltLine* l = made.get();
  l->FParent = &root;
  l->SetDocument(&doc);
  root.FFigures->Insert(0, std::move(made));
  root.ClearHistory();
  EXPECT_FALSE(l->RealTimeAddPoint({50, 20}, nullptr)) << "inside the arc";
  const Tpt on{50 + 50 * std::cos(Pi / 4), 50 * std::sin(Pi / 4)};
  ASSERT_TRUE(l->RealTimeAddPoint(on, nullptr));
  EXPECT_EQ(root.UndoCount(), 1) << "undoable";
  EXPECT_TRUE(doc.ModifiedFlag);
  ASSERT_EQ(l->GetPointCount(), 3);
  ExpectPt(l->Vertex(1).FDwd, on.x, on.y, "the new vertex");
  EXPECT_EQ(l->PWLine()[0].lx, blArc) << "the first half keeps the arc";
  ExpectPt(l->PWLine()[0].yx, 50, 0, "on the same circle", 1e-9);
  EXPECT_EQ(l->PWLine()[1].lx, blLine) << "the second half is straight";
}

TEST(MltLine, DeletingAVertexNeedsMoreThanTwoAndAClickNearIt) {
  TFakeDocument doc;
  TTxFigureSet root;
  root.SetDocument(&doc);
  auto made = Line({{0, 0}, {100, 0}, {100, 100}});
  TTxMltLine* l = made.get();
  l->FParent = &root;
  l->SetDocument(&doc);
  root.FFigures->Insert(0, std::move(made));
  EXPECT_FALSE(l->RealTimeDeletePoint({50, 50}, nullptr));
  ASSERT_TRUE(l->RealTimeDeletePoint({105, 8}, nullptr));
  ASSERT_EQ(l->GetPointCount(), 2);
  ExpectPt(l->Vertex(1).FDwd, 100, 100, "the others stay");
  EXPECT_EQ(l->PWLine().size(), 1u);
  EXPECT_FALSE(l->RealTimeDeletePoint({0, 0}, nullptr)) << "two vertices are the least";
}

TEST(MltLine, TheToolsPointsAreAddedReplacedAndRemovedAtTheEnd) {
  TTxMltLine l;
  l.AddPoint({0, 0});
  l.AddPoint({10, 0});
  l.ReplaceLastPoint({20, 5});
  ExpectPt(l.Vertex(1).FDwd, 20, 5, "replaced");
  l.RemoveLastPoint();
  EXPECT_EQ(l.GetPointCount(), 1);
  EXPECT_TRUE(l.PWLine().empty());
}

TEST(MltLine, SnapsToVerticesThenEdgeMiddlesThenTheNearestPoint) {
  auto l = Line({{0, 0}, {100, 0}, {100, 100}}, 1, 50, {0, 50}, 1);
  Tpt p;
  TPointLx k = plNone;
  const TPointLxSet all = PointLxBit(plEndPoint) | PointLxBit(plMidPoint) | PointLxBit(plNearest);
  ASSERT_TRUE(l->GetCapturePoint(p, k, nullptr, {3, 2}, all));
  EXPECT_EQ(k, plEndPoint);
  ExpectPt(p, 0, 0, "vertex");
  ASSERT_TRUE(l->GetCapturePoint(p, k, nullptr, {148, 53}, all));
  EXPECT_EQ(k, plMidPoint);
  ExpectPt(p, 150, 50, "arc middle");
  ASSERT_TRUE(l->GetCapturePoint(p, k, nullptr, {30, 3}, all));
  EXPECT_EQ(k, plNearest);
  ExpectPt(p, 30, 0, "on the line");
  EXPECT_FALSE(l->GetCapturePoint(p, k, nullptr, {30, 3}, PointLxBit(plEndPoint)));
}
