// The rounded rectangle, the ellipse and the circle: saved values against
// bytes written out by hand, their outline points, hit tests, handles and
// their drags, creation from two clicks, snapping (tangents included),
// mirror and explode, and the property dialogs' models.

#include <gtest/gtest.h>

#include "FigureBytes.h"
#include "figures/Blocks.h"
#include "figures/FigureKit.h"
#include "figures/RoundShapes.h"

#include <cmath>
#include <numbers>

namespace {

constexpr double kPi = std::numbers::pi;

void ExpectPt(Tpt p, double x, double y, const char* what) {
  EXPECT_NEAR(p.x, x, 1e-9) << what;
  EXPECT_NEAR(p.y, y, 1e-9) << what;
}

void ExpectHandle(const TCustomFigure& f, int i, int x, int y) {
  TPoint p;
  f.GetHandle(i, p);
  EXPECT_EQ(p.x, x) << "handle " << i;
  EXPECT_EQ(p.y, y) << "handle " << i;
}

TPoint Pt(double x, double y) { return ptodp({x, y}); }

bool Same(TPoint a, TPoint b) { return a.x == b.x && a.y == b.y; }

// An angle in degrees brought into [0, 360).
double Deg360(double a) {
  a = std::fmod(a, 360.0);
  return a < 0 ? a + 360 : a;
}

// A view that offers tangents from a fixed point, as the multi-point tools' views do.
class TTangentView : public TFakeView {
public:
  bool TangentFrom(TPoint& From) const override {
    From = FFrom;
    return FAllow;
  }
  bool FAllow = true;
  TPoint FFrom;
};

}  // namespace

// ---- saved values

TEST(RoundShapes, ANewShapeNamesItsKindAndHasItsHandles) {
  TTxRoundRect r;
  TTxEllipse e;
  TTxCircle c;
  EXPECT_EQ(r.FClassNameDescription, "圆角矩形");
  EXPECT_EQ(e.FClassNameDescription, "椭圆");
  EXPECT_EQ(c.FClassNameDescription, "圆形");
  EXPECT_EQ(r.GetHandleCount(), 9);
  EXPECT_EQ(e.GetHandleCount(), 4);
  EXPECT_EQ(c.GetHandleCount(), 4);
  for (const char* name : {"TTxRoundRect", "TTxEllipse", "TTxCircle"}) EXPECT_NE(GetClass(name), nullptr) << name;
}

TEST(RoundShapes, SavedValuesFollowTheFigureValuesInOrder) {
  {
    ByteBuilder b;
    FigureValues(b);
    for (Ext e : {X10, X20, X5, X4, X50, X25}) F(b, e);  // centre, radii, width, height
    TTxRoundRect r;
    r.FYd = {10, 20};
    r.FHzbj = 5;
    r.FVzbj = 4;
    r.FWidth = 50;
    r.FHeight = 25;
    EXPECT_EQ(Written([&](TWriter& w) { r.WriteData(w); }), b.b) << "rounded rectangle";
    TTxRoundRect back;
    ReadAll(back, b.b);
    ExpectPt(back.FYd, 10, 20, "centre");
    EXPECT_EQ(back.FHzbj, 5);
    EXPECT_EQ(back.FVzbj, 4);
    EXPECT_EQ(back.FWidth, 50);
    EXPECT_EQ(back.FHeight, 25);
  }
  {
    ByteBuilder b;
    FigureValues(b, psDash);
    for (Ext e : {X1, X2, X6, X3}) F(b, e);  // centre, semi-axes
    TTxEllipse e;
    e.FPen.Style = psDash;
    e.FYx = {1, 2};
    e.FHzbj = 6;
    e.FVzbj = 3;
    EXPECT_EQ(Written([&](TWriter& w) { e.WriteData(w); }), b.b) << "ellipse";
    TTxEllipse back;
    ReadAll(back, b.b);
    EXPECT_EQ(back.FPen.Style, psDash);
    ExpectPt(back.FYx, 1, 2, "centre");
    EXPECT_EQ(back.FHzbj, 6);
    EXPECT_EQ(back.FVzbj, 3);
  }
  {
    ByteBuilder b;
    FigureValues(b);
    for (Ext e : {X12, X15, X100}) F(b, e);  // centre, radius
    TTxCircle c;
    c.FYx = {12, 15};
    c.FBj = 100;
    EXPECT_EQ(Written([&](TWriter& w) { c.WriteData(w); }), b.b) << "circle";
    TTxCircle back;
    ReadAll(back, b.b);
    ExpectPt(back.FYx, 12, 15, "centre");
    EXPECT_EQ(back.FBj, 100);
  }
}

TEST(RoundShapes, ClonesCarryEveryValue) {
  TTxRoundRect r;
  r.FYd = {3, 4};
  r.FWidth = 40;
  r.FHeight = 30;
  r.FHzbj = 6;
  r.FVzbj = 7;
  r.FXzJd = 15;
  auto copy = r.Clone();
  auto& d = dynamic_cast<TTxRoundRect&>(*copy);
  EXPECT_EQ(Written([&](TWriter& w) { d.WriteData(w); }), Written([&](TWriter& w) { r.WriteData(w); }));
  TTxCircle c;
  c.FYx = {1, 1};
  c.FBj = 9;
  auto cc = c.Clone();
  EXPECT_EQ(dynamic_cast<TTxCircle&>(*cc).FBj, 9);
}

// ---- outlines

TEST(RoundShapes, ARoundedRectangleHasTenPointsPerCornerAndStraightSides) {
  TTxRoundRect r;
  r.FYd = {200, 200};
  r.FWidth = 100;
  r.FHeight = 60;
  r.FHzbj = 10;
  r.FVzbj = 10;
  r.CalculatePoints();
  const auto& p = r.FPPoints;
  auto at = [&](int i, int x, int y) {
    EXPECT_EQ(p[std::size_t(i)].x, x) << "point " << i;
    EXPECT_EQ(p[std::size_t(i)].y, y) << "point " << i;
  };
  at(0, 250, 220);
  at(9, 240, 230);
  at(10, 160, 230);
  at(19, 150, 220);
  at(20, 150, 180);
  at(29, 160, 170);
  at(30, 240, 170);
  at(39, 250, 180);
  at(40, 250, 220);
  // Turned a quarter, the first corner's start goes up.
  r.FXzJd = 90;
  r.CalculatePoints();
  at(0, 180, 250);
  TRect box;
  r.CalcPositionRect(box);
  EXPECT_EQ(box.Left, 170);
  EXPECT_EQ(box.Right, 230);
  EXPECT_EQ(box.Top, 150);
  EXPECT_EQ(box.Bottom, 250);
}

TEST(RoundShapes, RadiiOfHalfTheSidesMakeAnEllipseOfFortyPoints) {
  TTxRoundRect r;
  r.FYd = {100, 100};
  r.FWidth = 160;
  r.FHeight = 80;
  r.FHzbj = 80;
  r.FVzbj = 40;
  const std::array<Tpt, 41> local = r.LocalPoints();
  for (std::size_t i = 0; i < local.size(); ++i) {
    const double u = (local[i].x - 100) / 80, v = (local[i].y - 100) / 40;
    EXPECT_NEAR(u * u + v * v, 1, 1e-12) << "point " << i << " on the ellipse";
  }
  // The corners meet where the sides would be: no straight piece between them.
  for (int corner = 0; corner < 4; ++corner)
    ExpectPt(local[std::size_t(corner * 10 + 9)], local[std::size_t(corner * 10 + 10)].x,
             local[std::size_t(corner * 10 + 10)].y, "a corner's end is the next one's start");
}

TEST(RoundShapes, AnEllipseHasThirtySixPointsAtTenDegreeSteps) {
  TTxEllipse e;
  e.FYx = {100, 100};
  e.FHzbj = 40;
  e.FVzbj = 20;
  const std::vector<TPoint> pts = e.Outline();
  ASSERT_EQ(pts.size(), 37u);
  EXPECT_TRUE(Same(pts.front(), pts.back()));
  EXPECT_TRUE(Same(pts[0], TPoint{140, 100}));
  EXPECT_TRUE(Same(pts[9], TPoint{100, 120}));
  EXPECT_TRUE(Same(pts[18], TPoint{60, 100}));
  EXPECT_TRUE(Same(pts[27], TPoint{100, 80}));
  EXPECT_TRUE(Same(pts[3], Pt(100 + 40 * std::cos(kPi / 6), 100 + 20 * std::sin(kPi / 6))));
  EXPECT_TRUE(Same(e.FPPoints[9], pts[9]));
  TRect box;
  e.CalcPositionRect(box);
  EXPECT_EQ(box, (TRect{60, 80, 140, 120}));
  // Turned and scaled: the first point lies up the turned major axis.
  e.FXzJd = 90;
  e.FScale = 2;
  EXPECT_TRUE(Same(e.Outline()[0], TPoint{100, 180}));
}

TEST(RoundShapes, ACircleHasSixtyOnePointsRoundItsDeviceCircle) {
  TTxCircle c;
  c.FYx = {50.4, 60};
  c.FBj = 20;
  c.FScale = 1.5;
  const std::vector<TPoint> pts = c.Outline();
  ASSERT_EQ(pts.size(), 61u);
  EXPECT_TRUE(Same(pts[0], pts[60]));
  EXPECT_TRUE(Same(pts[0], TPoint{80, 60}));
  EXPECT_TRUE(Same(pts[15], TPoint{50, 90}));
  TRect box;
  c.CalcPositionRect(box);
  EXPECT_EQ(box, (TRect{20, 30, 80, 90}));
}

// ---- hit tests

TEST(RoundShapes, HitsLieInsideTheOutline) {
  TTxRoundRect r;
  r.FYd = {100, 100};
  r.FWidth = 100;
  r.FHeight = 60;
  r.FHzbj = 30;
  r.FVzbj = 25;
  EXPECT_TRUE(r.Selected({100, 100}, 1));
  EXPECT_TRUE(r.Selected({148, 100}, 1)) << "near the right side";
  EXPECT_FALSE(r.Selected({148, 128}, 1)) << "cut off by the corner arc";
  EXPECT_FALSE(r.Selected({152, 100}, 1));

  TTxEllipse e;
  e.FYx = {100, 100};
  e.FHzbj = 50;
  e.FVzbj = 20;
  EXPECT_TRUE(e.Selected({140, 100}, 1));
  EXPECT_FALSE(e.Selected({140, 118}, 1)) << "inside the box, outside the ellipse";

  TTxCircle c;
  c.FYx = {0, 0};
  c.FBj = 10;
  c.FScale = 2;
  EXPECT_TRUE(c.Selected({19.9, 0}, 1));
  EXPECT_FALSE(c.Selected({14.2, 14.2}, 1));
  c.FBj = 0;
  EXPECT_FALSE(c.Selected({0, 0}, 1)) << "a circle of no size is not hit";
  TTxEllipse flat;
  EXPECT_FALSE(flat.Selected({0, 0}, 1)) << "nor is an ellipse of no size";
}

// ---- handles

TEST(RoundShapes, RoundedRectangleHandlesSitOnTheTurnedFrame) {
  TTxRoundRect r;
  r.FYd = {100, 100};
  r.FWidth = 40;
  r.FHeight = 20;
  r.FHzbj = 5;
  r.FVzbj = 4;
  ExpectHandle(r, 1, 80, 90);
  ExpectHandle(r, 2, 100, 90);
  ExpectHandle(r, 3, 120, 90);
  ExpectHandle(r, 4, 120, 100);
  ExpectHandle(r, 5, 120, 110);
  ExpectHandle(r, 6, 100, 110);
  ExpectHandle(r, 7, 80, 110);
  ExpectHandle(r, 8, 80, 100);
  ExpectHandle(r, 9, 115, 94);
  r.FXzJd = 90;
  r.FScale = 2;
  ExpectHandle(r, 4, 100, 140);
  ExpectHandle(r, 9, 112, 130);
}

TEST(RoundShapes, DraggingRoundedRectangleHandlesKeepsTheCentre) {
  TTxRoundRect r;
  r.FYd = {100, 100};
  r.FWidth = 40;
  r.FHeight = 20;
  r.FHzbj = 5;
  r.FVzbj = 4;
  r.FXzJd = 90;
  r.FScale = 2;
  // Handle 4 lies up the turned x axis: moving it to 60 above the centre gives a width of 60.
  r.MoveHandleTo(4, {103, 160});
  EXPECT_DOUBLE_EQ(r.FWidth, 60);
  EXPECT_EQ(r.FHeight, 20);
  ExpectPt(r.FYd, 100, 100, "centre");
  // Not inside the corner arcs (s * a = 10).
  r.MoveHandleTo(8, {100, 92});
  EXPECT_DOUBLE_EQ(r.FWidth, 60);
  // A corner sets both, each on its own: |u| = 50, |v| = 6 is inside b = 4 * 2.
  r.MoveHandleTo(5, {94, 150});
  EXPECT_DOUBLE_EQ(r.FWidth, 50);
  EXPECT_EQ(r.FHeight, 20);
  r.MoveHandleTo(7, {70, 130});
  EXPECT_DOUBLE_EQ(r.FHeight, 30);
  EXPECT_DOUBLE_EQ(r.FWidth, 30);

  // The corner-radius handle.
  TTxRoundRect k;
  k.FYd = {0, 0};
  k.FWidth = 40;
  k.FHeight = 20;
  k.FHzbj = 5;
  k.FVzbj = 4;
  k.MoveHandleTo(9, {12, -4});
  EXPECT_EQ(k.FHzbj, 8);
  EXPECT_EQ(k.FVzbj, 6);
  // A radius past half a side is refused, the other still taken.
  k.MoveHandleTo(9, {-45, -9});
  EXPECT_EQ(k.FHzbj, 8);
  EXPECT_EQ(k.FVzbj, 1);
}

TEST(RoundShapes, RotatingRoundedRectangleHandlesTurnsAboutTheCentre) {
  TTxRoundRect r;
  r.FYd = {0, 0};
  r.FWidth = 40;
  r.FHeight = 40;
  r.FHzbj = 5;
  r.FVzbj = 5;
  r.RotateHandleTo(4, {0, 50});
  EXPECT_NEAR(Deg360(r.FXzJd), 90, 1e-9);
  r.RotateHandleTo(2, {50, 0});
  EXPECT_NEAR(Deg360(r.FXzJd), Deg360(0 - 270), 1e-9);
  r.RotateHandleTo(5, {0, 50});
  EXPECT_NEAR(Deg360(r.FXzJd), 45, 1e-9);
  r.RotateHandleTo(9, {-50, 0});
  EXPECT_NEAR(Deg360(r.FXzJd), 45, 1e-9) << "the corner-radius handle does not turn";
}

TEST(RoundShapes, EllipseHandlesSetTheSemiAxesAndTheTurn) {
  TTxEllipse e;
  e.FYx = {100, 100};
  e.FHzbj = 30;
  e.FVzbj = 10;
  e.FXzJd = 90;
  ExpectHandle(e, 1, 100, 70);
  ExpectHandle(e, 2, 100, 130);
  ExpectHandle(e, 3, 90, 100);
  ExpectHandle(e, 4, 110, 100);
  e.MoveHandleTo(2, {104, 60});
  EXPECT_DOUBLE_EQ(e.FHzbj, 40);
  e.MoveHandleTo(3, {75, 90});
  EXPECT_DOUBLE_EQ(e.FVzbj, 25);
  e.MoveHandleTo(1, {120, 100});
  EXPECT_DOUBLE_EQ(e.FHzbj, 40) << "a semi-axis of nothing is ignored";
  e.RotateHandleTo(3, {100, 150});
  EXPECT_NEAR(Deg360(e.FXzJd), 0, 1e-9);
  e.RotateHandleTo(1, {50, 100});
  EXPECT_NEAR(Deg360(e.FXzJd), 0, 1e-9);
  e.RotateHandleTo(4, {150, 100});
  EXPECT_NEAR(Deg360(e.FXzJd), 90, 1e-9);
}

TEST(RoundShapes, CircleHandlesSetTheRadius) {
  TTxCircle c;
  c.FYx = {100, 100};
  c.FBj = 10;
  c.FScale = 2;
  ExpectHandle(c, 1, 80, 100);
  ExpectHandle(c, 2, 100, 80);
  ExpectHandle(c, 3, 120, 100);
  ExpectHandle(c, 4, 100, 120);
  c.MoveHandleTo(3, {130, 140});
  EXPECT_EQ(c.FBj, 25);
  c.MoveHandleTo(1, {100, 100});
  EXPECT_EQ(c.FBj, 25) << "dragged onto the centre it keeps its radius";
}

TEST(RoundShapes, MovingAndPlacingMoveTheCentreOnly) {
  TTxEllipse e;
  e.FYx = {10, 10};
  e.FHzbj = 5;
  e.FVzbj = 3;
  e.MoveByOffset(4, -2);
  ExpectPt(e.FYx, 14, 8, "moved");
  e.SetRefPoint(1, 2);
  ExpectPt(e.FYx, 1, 2, "placed");
  EXPECT_EQ(e.FHzbj, 5);
  TTxRoundRect r;
  r.SetRefPoint(7, 8);
  ExpectPt(r.FYd, 7, 8, "placed");
  TTxCircle c;
  c.SetRefPoint(3, 4);
  ExpectPt(c.FYx, 3, 4, "placed");
}

// ---- creation from two clicks

TEST(RoundShapes, TwoClicksGiveTheShapes) {
  const std::vector<Tpt> clicks = {{10.4, 20}, {110, 80.6}};
  TTxRoundRect r;
  r.CreateByRefPoint(std::span<const Tpt>(clicks));
  EXPECT_EQ(r.FWidth, 100);
  EXPECT_EQ(r.FHeight, 61);
  ExpectPt(r.FYd, 60.2, 50.3, "the middle of the clicks");
  EXPECT_EQ(r.FHzbj, 25);
  EXPECT_EQ(r.FVzbj, 15.25);

  TTxEllipse e;
  e.CreateByRefPoint(std::span<const Tpt>(clicks));
  ExpectPt(e.FYx, 60.2, 50.3, "centre");
  EXPECT_EQ(e.FHzbj, 50);
  EXPECT_EQ(e.FVzbj, 30.5);

  TTxCircle c;
  c.CreateByRefPoint(std::span<const Tpt>(std::vector<Tpt>{{10, 10}, {13, 14}}));
  ExpectPt(c.FYx, 10, 10, "the first click is the centre");
  EXPECT_EQ(c.FBj, 5);

  // One click is not enough; the circle takes exactly two.
  const std::vector<Tpt> one = {{0, 0}};
  r.CreateByRefPoint(std::span<const Tpt>(one));
  EXPECT_EQ(r.FWidth, 100);
  c.CreateByRefPoint(std::span<const Tpt>(std::vector<Tpt>{{0, 0}, {1, 0}, {2, 0}}));
  EXPECT_EQ(c.FBj, 5);

  // The tools' vertex list form.
  TTxCollectBxdy list;
  for (Tpt p : clicks) {
    auto v = std::make_unique<TTxPolygonBxdy>();
    v->FDwd = p;
    list.Add(std::move(v));
  }
  TTxEllipse f;
  f.CreateByRefPoint(static_cast<TTxCollectFound&>(list));
  EXPECT_EQ(f.FHzbj, 50);
}

// ---- snapping

TEST(RoundShapes, ACircleSnapsToItsCentreQuadrantsTangentsAndOutline) {
  TTxCircle c;
  c.FYx = {100, 100};
  c.FBj = 50;
  Tpt p;
  TPointLx kind = plNone;
  ASSERT_TRUE(c.GetCapturePoint(p, kind, nullptr, Pt(102, 98), PointLxBit(plCenter)));
  EXPECT_EQ(kind, plCenter);
  ExpectPt(p, 100, 100, "centre");
  ASSERT_TRUE(c.GetCapturePoint(p, kind, nullptr, Pt(101, 148), PointLxBit(plEndPoint)));
  EXPECT_EQ(kind, plEndPoint);
  ExpectPt(p, 100, 150, "quadrant");
  ASSERT_TRUE(c.GetCapturePoint(p, kind, nullptr, Pt(137, 137), PointLxBit(plNearest)));
  EXPECT_EQ(kind, plNearest);
  EXPECT_NEAR(Dist(p, {100, 100}), 50, 1e-9);
  EXPECT_FALSE(c.GetCapturePoint(p, kind, nullptr, Pt(120, 120), PointLxBit(plNearest)));

  // From (200, 100) the tangents touch at 60 degrees either side of the line to the centre.
  TTangentView view;
  view.FFrom = {200, 100};
  const Tpt touch{100 + 50 * std::cos(kPi / 3), 100 + 50 * std::sin(kPi / 3)};
  ASSERT_TRUE(c.GetCapturePoint(p, kind, &view, Pt(touch.x + 2, touch.y - 1), PointLxBit(plTangent)));
  EXPECT_EQ(kind, plTangent);
  ExpectPt(p, touch.x, touch.y, "tangent point");
  ASSERT_TRUE(c.GetCapturePoint(p, kind, &view, Pt(touch.x, 200 - touch.y), PointLxBit(plTangent)));
  ExpectPt(p, touch.x, 200 - touch.y, "the other tangent point");
  view.FAllow = false;
  EXPECT_FALSE(c.GetCapturePoint(p, kind, &view, Pt(touch.x, touch.y), PointLxBit(plTangent)));
  view.FAllow = true;
  view.FFrom = {120, 100};
  EXPECT_FALSE(c.GetCapturePoint(p, kind, &view, Pt(touch.x, touch.y), PointLxBit(plTangent))) << "from inside";
  // Selected in the view, it offers nothing.
  view.Select(&c, false);
  EXPECT_FALSE(c.GetCapturePoint(p, kind, &view, Pt(100, 100), PointLxBit(plCenter)));
}

TEST(RoundShapes, RectanglesAndEllipsesSnapToTheirOwnPoints) {
  TTxRoundRect r;
  r.FYd = {100, 100};
  r.FWidth = 100;
  r.FHeight = 60;
  r.FHzbj = 10;
  r.FVzbj = 10;
  Tpt p;
  TPointLx kind = plNone;
  ASSERT_TRUE(r.GetCapturePoint(p, kind, nullptr, Pt(149, 118), PointLxBit(plEndPoint)));
  ExpectPt(p, 150, 120, "where the right side meets the arc");
  ASSERT_TRUE(r.GetCapturePoint(p, kind, nullptr, Pt(101, 128), PointLxBit(plMidPoint)));
  ExpectPt(p, 100, 130, "the top side's middle");
  ASSERT_TRUE(r.GetCapturePoint(p, kind, nullptr, Pt(99, 101), PointLxBit(plCenter)));
  ExpectPt(p, 100, 100, "centre");
  ASSERT_TRUE(r.GetCapturePoint(p, kind, nullptr, Pt(80, 72), PointLxBit(plNearest)));
  ExpectPt(p, 80, 70, "on the bottom side");

  TTxEllipse e;
  e.FYx = {100, 100};
  e.FHzbj = 50;
  e.FVzbj = 20;
  ASSERT_TRUE(e.GetCapturePoint(p, kind, nullptr, Pt(52, 101), PointLxBit(plEndPoint)));
  ExpectPt(p, 50, 100, "the end of the major axis");
  EXPECT_FALSE(e.GetCapturePoint(p, kind, nullptr, Pt(130, 130), PointLxBit(plEndPoint)));
  ASSERT_TRUE(e.GetCapturePoint(p, kind, nullptr, Pt(100, 82), PointLxBit(plNearest)));
  EXPECT_NEAR(p.y, 80, 0.5);
}

// ---- mirror and explode

TEST(RoundShapes, MirroringTurnsTheAxesAcrossTheLine) {
  TTxEllipse e;
  e.FYx = {10, 5};
  e.FHzbj = 20;
  e.FVzbj = 10;
  e.FXzJd = 30;
  const TPoint before = e.Outline()[3];
  e.FigureMirror({{0, 0}, {1, 0}});
  ExpectPt(e.FYx, 10, -5, "centre");
  EXPECT_NEAR(e.FXzJd, -30, 1e-12);
  // The outline is the mirror image: some point lands on the mirrored one.
  bool found = false;
  for (TPoint q : e.Outline()) found |= std::abs(q.x - before.x) <= 1 && std::abs(q.y + before.y) <= 1;
  EXPECT_TRUE(found);
  TTxRoundRect r;
  r.FYd = {0, 5};
  r.FXzJd = 10;
  r.FigureMirror({{0, 0}, {1, 1}});
  ExpectPt(r.FYd, 5, 0, "centre");
  EXPECT_NEAR(r.FXzJd, 80, 1e-12);
}

TEST(RoundShapes, ExplodeMovesScalesAndTurnsTheShapeOutOfItsSet) {
  TTestSet set;
  set.FYd = {10, 0};
  set.FXzJd = 90;
  set.FScale = 2;
  TTxEllipse e;
  e.FYx = {5, 0};
  e.FHzbj = 3;
  e.FVzbj = 1;
  e.Explode(set);
  ExpectPt(e.FYx, 10, 10, "centre");
  EXPECT_EQ(e.FScale, 2);
  EXPECT_EQ(e.FXzJd, 90);
  TTxCircle c;
  c.FYx = {0, 5};
  c.FBj = 4;
  c.Explode(set);
  ExpectPt(c.FYx, 0, 0, "centre");
  EXPECT_EQ(c.Radius(), 8);
}

// ---- painting

TEST(RoundShapes, AFilledShapeIsPaintedInsideItsOutline) {
  Sheet s(200, 200);
  TTxRoundRect r;
  r.FYd = {100, 100};
  r.FWidth = 120;
  r.FHeight = 80;
  r.FHzbj = 30;
  r.FVzbj = 30;
  r.FBrush = {RGB(0, 200, 0), bsSolid};
  PaintFigure(r, s);
  EXPECT_EQ(s.At(100, 100), RGB(0, 200, 0));
  EXPECT_FALSE(InkAt(s, 43, 63)) << "the corner arc cuts the box's corner off";
  EXPECT_TRUE(InkAt(s, 40, 100)) << "outline";

  Sheet t(200, 200);
  TTxCircle c;
  c.FYx = {100, 100};
  c.FBj = 50;
  c.FPen.Style = psDash;
  PaintFigure(c, t);
  EXPECT_GT(BoxInk(t, 148, 60, 152, 140), 10) << "dashes on the right";
  EXPECT_EQ(BoxInk(t, 70, 70, 130, 130), 0) << "a clear brush leaves the inside alone";
}

// ---- property dialogs' models

TEST(RoundShapes, PropertiesShowUserValuesAndTakeThemBack) {
  TTxRoundRect r;
  r.FYd = {10, 20};
  r.FWidth = 40;
  r.FHeight = 30;
  r.FHzbj = 5;
  r.FVzbj = 4;
  r.FXzJd = 12.5;
  TRoundRectProperties p = GetRoundRectProperties(r);
  EXPECT_EQ(p.YdX, "10.000");
  EXPECT_EQ(p.Width, "40.000");
  EXPECT_EQ(p.Vzbj, "4.000");
  EXPECT_EQ(p.Xzjd, "12.5");
  p.Width = "60";
  p.Hzbj = "0";
  p.Vzbj = "20";  // more than half the height: the update ends here
  p.Xzjd = "30";
  SetRoundRectProperties(r, p);
  EXPECT_EQ(r.FWidth, 60);
  EXPECT_EQ(r.FHzbj, 0) << "a sharp corner is allowed";
  EXPECT_EQ(r.FVzbj, 4);
  EXPECT_EQ(r.FXzJd, 12.5);

  TTxEllipse e;
  e.FHzbj = 5;
  e.FVzbj = 5;
  TEllipseProperties q = GetEllipseProperties(e);
  q.YxX = "3";
  q.Hzbj = "7";
  q.Vzbj = "x";
  q.Xzjd = "45";
  SetEllipseProperties(e, q);
  ExpectPt(e.FYx, 3, 0, "centre");
  EXPECT_EQ(e.FHzbj, 7);
  EXPECT_EQ(e.FXzJd, 0) << "the field that did not convert ended the update";

  TTxCircle c;
  c.FBj = 5;
  c.FScale = 2;
  TCircleProperties k = GetCircleProperties(c);
  EXPECT_EQ(k.Bj, "10.000") << "the radius as shown on the sheet";
  k.Bj = "30";
  SetCircleProperties(c, k);
  EXPECT_EQ(c.FBj, 15);
  k.Bj = "0";
  SetCircleProperties(c, k);
  EXPECT_EQ(c.FBj, 15);
}

TEST(RoundShapes, PerimeterAndAreaFollowTheFields) {
  double per = 0, area = 0;
  TCircleProperties c;
  c.Bj = "2";
  ASSERT_TRUE(CircleMeasures(c, per, area));
  EXPECT_NEAR(per, 4 * kPi, 1e-12);
  EXPECT_NEAR(area, 4 * kPi, 1e-12);
  TEllipseProperties e;
  e.Hzbj = "3";
  e.Vzbj = "2";
  ASSERT_TRUE(EllipseMeasures(e, per, area));
  EXPECT_NEAR(per, 5 * kPi, 1e-12);
  EXPECT_NEAR(area, 6 * kPi, 1e-12);
  TRoundRectProperties r;
  r.Width = "10";
  r.Height = "6";
  r.Hzbj = "2";
  r.Vzbj = "1";
  ASSERT_TRUE(RoundRectMeasures(r, per, area));
  EXPECT_NEAR(per, 3 * kPi + 20, 1e-12);
  EXPECT_NEAR(area, 2 * kPi + 52, 1e-12);
  r.Width = "ten";
  EXPECT_FALSE(RoundRectMeasures(r, per, area));
}
