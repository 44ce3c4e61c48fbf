// Arcs, sectors, segments and bars: saved values against bytes written out
// by hand, the three-point circle, handles, rotation, snapping, measures,
// and what a radius of no size does.

#include <gtest/gtest.h>

#include "FigureBytes.h"
#include "figures/Arcs.h"
#include "figures/Blocks.h"
#include "figures/CodeVersion.h"
#include "figures/FigureKit.h"
#include "figures/FigureText.h"

#include <cmath>
#include <numbers>

namespace {

constexpr double kPi = std::numbers::pi;

void ExpectNear(Tpt a, Tpt b, double tol, const char* what = "") {
  EXPECT_NEAR(a.x, b.x, tol) << what;
  EXPECT_NEAR(a.y, b.y, tol) << what;
}

template <class T>
std::unique_ptr<T> Through(Tpt A, Tpt B, Tpt C) {
  auto f = std::make_unique<T>();
  const Tpt pts[3] = {A, B, C};
  f->CreateByRefPoint(std::span<const Tpt>(pts, 3));
  return f;
}

TPoint HandleOf(const TCustomFigure& F, int I) {
  TPoint p;
  F.GetHandle(I, p);
  return p;
}

class TTangentView : public TFakeView {
public:
  bool TangentFrom(TPoint& From) const override { return From = FFrom, true; }
  TPoint FFrom;
};

}  // namespace

// ---- saved values

TEST(ArcBytes, EachClassSavesItsValuesInTheOrderOfTheFileAtEveryVersion) {
  TTxArc arc;
  arc.FYx = {1, 2};
  arc.FBj = 10;
  arc.FQj = 0.5;
  arc.FZj = 2;
  arc.FDirection = 0;
  ByteBuilder a;
  FigureValues(a);
  F(a, X1);
  F(a, X2);
  F(a, X10);
  F(a, XHalf);
  F(a, X2);
  a({0x02, 0x00});

  TTxChord chord;  // as made: radius 1000, clockwise
  ByteBuilder c;
  FigureValues(c);
  for (int i = 0; i < 4; ++i) F(c, X0);
  F(c, X1000);
  c({0x02, 0x00});

  TTxRectArc bar;
  bar.FLx = blArc;
  bar.FWidth = 4;
  bar.FQd = {0, 10};
  bar.FZd = {10, 0};
  bar.FBj = 10;
  bar.FDirection = 1;
  ByteBuilder r;
  FigureValues(r);
  r({0x02, 0x01});
  F(r, X4);
  F(r, X0);
  F(r, X10);
  F(r, X10);
  F(r, X0);
  F(r, X0);
  F(r, X0);
  F(r, X10);
  r({0x02, 0x01});

  EXPECT_EQ(Written([&](TWriter& w) { arc.WriteData(w); }), a.b);
  EXPECT_EQ(Written([&](TWriter& w) { chord.WriteData(w); }), c.b);
  EXPECT_EQ(Written([&](TWriter& w) { bar.WriteData(w); }), r.b);
  for (double version : {1.0, 2.11, 2.13, CurrentCodeVersion}) {
    SCOPED_TRACE(version);
    TOldCodeVersionGuard reading(version);
    TTxArc a2;
    ReadAll(a2, a.b);
    a2.Loaded();
    EXPECT_EQ(a2.FDirection, 0);
    EXPECT_EQ(Written([&](TWriter& w) { a2.WriteData(w); }), a.b);
    TTxCirpart c2;  // the segment keeps the sector's layout
    ReadAll(c2, c.b);
    c2.Loaded();
    EXPECT_EQ(c2.FBj, 1000);
    EXPECT_EQ(Written([&](TWriter& w) { c2.WriteData(w); }), c.b);
    TTxRectArc r2;
    ReadAll(r2, r.b);
    r2.Loaded();
    EXPECT_EQ(r2.FLx, blArc);
    EXPECT_EQ(Written([&](TWriter& w) { r2.WriteData(w); }), r.b);
  }
}

// ---- the circle through three points

TEST(ArcGeometry, ThreePointsGiveCentreAnglesAndSense) {
  auto up = Through<TTxArc>({1, 0}, {0, 1}, {-1, 0});
  ExpectNear(up->FYx, {0, 0}, 1e-12);
  EXPECT_NEAR(up->FBj, 1, 1e-12);
  EXPECT_NEAR(up->FQj, 0, 1e-12);
  EXPECT_NEAR(up->FZj, kPi, 1e-12);
  EXPECT_EQ(up->FDirection, 1);
  EXPECT_NEAR(up->GetSumjd(), kPi, 1e-12);
  auto down = Through<TTxArc>({1, 0}, {0, -1}, {-1, 0});
  EXPECT_EQ(down->FDirection, 0);
  EXPECT_NEAR(down->GetSumjd(), kPi, 1e-12);
  // A sector through the same points is the same circle.
  auto sector = Through<TTxChord>({10, 0}, {0, 10}, {-10, 0});
  EXPECT_NEAR(sector->FBj, 10, 1e-12);
  EXPECT_EQ(sector->FDirection, 1);

  // On a line: nothing changes.
  TTxArc same;
  same.FBj = 5;
  const Tpt line[3] = {{0, 0}, {1, 1}, {2, 2}};
  same.CreateByRefPoint(std::span<const Tpt>(line, 3));
  EXPECT_EQ(same.FBj, 5);
  const Tpt two[2] = {{0, 0}, {1, 1}};
  same.CreateByRefPoint(std::span<const Tpt>(two, 2));
  EXPECT_EQ(same.FBj, 5);
}

TEST(ArcGeometry, TheSweepAndItsMiddleFollowTheSenseAcrossTheZeroAngle) {
  EXPECT_NEAR(ArcSweep(0, kPi / 2, 1), kPi / 2, 1e-12);
  EXPECT_NEAR(ArcSweep(0, kPi / 2, 0), 1.5 * kPi, 1e-12);
  EXPECT_NEAR(ArcSweep(1.5 * kPi, 0.5 * kPi, 1), kPi, 1e-12);
  // Angles beyond a turn (after rotating) measure as their remainder.
  EXPECT_NEAR(ArcSweep(0.5, 0.5 + 2 * kPi + 1, 1), 1, 1e-9);
  EXPECT_NEAR(ArcMiddleAngle(0, kPi / 2, 1), kPi / 4, 1e-12);
  EXPECT_NEAR(ArcMiddleAngle(0, kPi / 2, 0), kPi / 4 + kPi, 1e-12);
  EXPECT_NEAR(ArcMiddleAngle(1.5 * kPi, 0.5 * kPi, 1), 2 * kPi, 1e-12);
  EXPECT_TRUE(AngleOnSweep(0.1, 1.5 * kPi, 0.5 * kPi, 1));
  EXPECT_FALSE(AngleOnSweep(kPi, 1.5 * kPi, 0.5 * kPi, 1));
  EXPECT_TRUE(AngleOnSweep(kPi, 1.5 * kPi, 0.5 * kPi, 0));
}

// ---- handles, hits, painting

TEST(ArcEditing, DraggingTheMiddleHandleOutwardsBulgesTheArcWithItsEndsFixed) {
  auto arc = Through<TTxArc>({100, 100}, {150, 120}, {200, 100});
  const TPoint s = HandleOf(*arc, 1), e = HandleOf(*arc, 3), m = HandleOf(*arc, 2);
  EXPECT_EQ(m.x, 150);
  EXPECT_EQ(m.y, 120);
  arc->MoveHandleTo(2, {150, 140});
  EXPECT_EQ(HandleOf(*arc, 1).x, s.x);
  EXPECT_EQ(HandleOf(*arc, 1).y, s.y);
  EXPECT_EQ(HandleOf(*arc, 3).x, e.x);
  EXPECT_EQ(HandleOf(*arc, 3).y, e.y);
  EXPECT_EQ(HandleOf(*arc, 2).y, 140);
  // The end handles turn the ends round the centre at the same radius.
  const double r = arc->Radius();
  arc->MoveHandleTo(3, {int(arc->FYx.x), int(arc->FYx.y) - 500});
  EXPECT_NEAR(std::cos(arc->FZj), 0, 0.01);
  EXPECT_LT(std::sin(arc->FZj), -0.99);
  EXPECT_NEAR(arc->Radius(), r, 1e-12);
}

TEST(ArcEditing, RotatingASectorKeepsItsSweep) {
  auto sector = Through<TTxChord>({10, 0}, {std::sqrt(50.0), std::sqrt(50.0)}, {0, 10});
  const double sweep = sector->GetSumjd();
  sector->RotateHandleTo(1, {0, 50});  // the start turns to straight up
  EXPECT_NEAR(sector->FQj, kPi / 2, 1e-9);
  EXPECT_NEAR(sector->GetSumjd(), sweep, 1e-9);
  sector->RotateHandleTo(3, {-50, 0});
  EXPECT_NEAR(sector->FZj, kPi, 1e-9);
  EXPECT_NEAR(sector->GetSumjd(), sweep, 1e-9);
  const double before = sector->FQj;
  sector->RotateHandleTo(2, {50, 50});
  EXPECT_EQ(sector->FQj, before);
}

TEST(ArcEditing, AnArcIsHitAlongItsSweepOnlyAndPaintsThere) {
  auto arc = Through<TTxArc>({150, 100}, {100, 150}, {50, 100});  // upper half, r 50
  EXPECT_TRUE(arc->Selected({100, 152}, 1));
  EXPECT_TRUE(arc->Selected({135.4, 135.4}, 1));
  EXPECT_FALSE(arc->Selected({100, 48}, 1));  // on the circle, off the sweep
  EXPECT_FALSE(arc->Selected({100, 120}, 1));
  Sheet s(200, 200);
  PaintFigure(*arc, s);
  EXPECT_TRUE(InkAt(s, 100, 150) || InkAt(s, 100, 149));
  EXPECT_EQ(BoxInk(s, 40, 0, 160, 95), 0);
  TRect r;
  arc->CalcPositionRect(r);
  EXPECT_EQ(r.Left, 50);
  EXPECT_EQ(r.Right, 150);
  EXPECT_EQ(std::max(r.Top, r.Bottom), 150);
  EXPECT_EQ(std::min(r.Top, r.Bottom), 100);
}

TEST(ArcEditing, MirroringTurnsTheArcOverAndReversesItsSense) {
  auto arc = Through<TTxArc>({10, 0}, {0, 10}, {-10, 0});
  arc->FigureMirror(pptobx({0, 0}, {1, 0}));
  ExpectNear(arc->StartPoint(), {10, 0}, 1e-9, "start");
  ExpectNear(arc->MiddlePoint(), {0, -10}, 1e-9, "middle");
  ExpectNear(arc->EndPoint(), {-10, 0}, 1e-9, "end");
  EXPECT_EQ(arc->FDirection, 0);
}

TEST(ArcEditing, ExplodingOutOfATurnedBlockKeepsTheEndsOnTheSheet) {
  TTxBlock block;
  block.FYd = {30, 40};
  block.FScale = 2;
  block.FXzJd = 90;
  auto arc = Through<TTxArc>({10, 0}, {0, 10}, {-10, 0});
  arc->FParent = &block;
  const Tpt s = arc->xyTransLogPt(10, 0), e = arc->xyTransLogPt(-10, 0);
  arc->FParent = nullptr;
  arc->Explode(block);
  ExpectNear(arc->StartPoint(), s, 1e-9, "start");
  ExpectNear(arc->EndPoint(), e, 1e-9, "end");
}

TEST(ArcSnapping, EndMiddleCentreTangentAndNearestPoints) {
  auto arc = Through<TTxArc>({150, 100}, {100, 150}, {50, 100});
  TTangentView view;
  Tpt p;
  TPointLx kind = plNone;
  const TPointLxSet all = PointLxBit(plEndPoint) | PointLxBit(plMidPoint) | PointLxBit(plCenter) |
                          PointLxBit(plTangent) | PointLxBit(plNearest);
  ASSERT_TRUE(arc->GetCapturePoint(p, kind, &view, {148, 102}, all));
  EXPECT_EQ(kind, plEndPoint);
  ExpectNear(p, {150, 100}, 1e-9);
  ASSERT_TRUE(arc->GetCapturePoint(p, kind, &view, {101, 148}, all));
  EXPECT_EQ(kind, plMidPoint);
  ASSERT_TRUE(arc->GetCapturePoint(p, kind, &view, {102, 102}, all));
  EXPECT_EQ(kind, plCenter);
  // From (100, 200) the tangents touch the circle at 30 degrees above the level of the centre.
  view.FFrom = {100, 200};
  const Tpt touch{100 + 50 * std::cos(kPi / 6), 100 + 50 * std::sin(kPi / 6)};
  ASSERT_TRUE(arc->GetCapturePoint(p, kind, &view, ptodp(touch), all));
  EXPECT_EQ(kind, plTangent);
  ExpectNear(p, touch, 1e-9);
  ASSERT_TRUE(arc->GetCapturePoint(p, kind, &view, {137, 138}, PointLxBit(plNearest)));
  EXPECT_EQ(kind, plNearest);
  EXPECT_NEAR(Dist(p, {100, 100}), 50, 1e-9);
  // Nothing on the missing lower half, and nothing while selected.
  EXPECT_FALSE(arc->GetCapturePoint(p, kind, &view, {100, 51}, PointLxBit(plNearest)));
  view.Select(arc.get(), false);
  EXPECT_FALSE(arc->GetCapturePoint(p, kind, &view, {148, 102}, all));
}

TEST(ArcSnapping, ASectorSnapsToItsCentreAndCorners) {
  auto sector = Through<TTxChord>({150, 100}, {100, 150}, {50, 100});
  TFakeView view;
  Tpt p;
  TPointLx kind = plNone;
  ASSERT_TRUE(sector->GetCapturePoint(p, kind, &view, {101, 99}, PointLxBit(plCenter)));
  EXPECT_EQ(kind, plCenter);
  ASSERT_TRUE(sector->GetCapturePoint(p, kind, &view, {51, 101}, PointLxBit(plEndPoint)));
  ExpectNear(p, {50, 100}, 1e-9);
}

// ---- the closed ones

TEST(ArcClosed, AQuarterSectorMeasuresItsAreaAndPerimeter) {
  auto sector = Through<TTxChord>({10, 0}, {std::sqrt(50.0), std::sqrt(50.0)}, {0, 10});
  EXPECT_NEAR(sector->GetMj(), 25 * kPi, 1e-6);
  EXPECT_NEAR(sector->GetZc(), 10 * (kPi / 2 + 2), 1e-6);
  TArcProperties p = GetArcProperties(*sector);
  EXPECT_EQ(p.Qj, "0 度");
  EXPECT_EQ(p.Zj, "90 度");
  const TArcMeasures m = ArcMeasures(p, 1);
  EXPECT_EQ(m.Sumjd, "90 度");
  EXPECT_EQ(m.Area, "78.540");
  EXPECT_EQ(m.Perimeter, "35.708");
  // The segment: the arc and its chord.
  auto segment = Through<TTxCirpart>({10, 0}, {std::sqrt(50.0), std::sqrt(50.0)}, {0, 10});
  EXPECT_NEAR(segment->GetZc(), 5 * kPi + std::sqrt(200.0), 1e-6);
  EXPECT_EQ(ArcMeasures(p, 2).Area, Format("%1.3f", 25 * kPi - 50));
}

TEST(ArcClosed, SectorAndSegmentAreFilledInsideTheirOutlines) {
  auto sector = Through<TTxChord>({150, 100}, {100, 150}, {50, 100});
  auto segment = Through<TTxCirpart>({150, 100}, {100, 150}, {50, 100});
  for (TCustomFigure* f : {static_cast<TCustomFigure*>(sector.get()), static_cast<TCustomFigure*>(segment.get())}) {
    f->FBrush = TBrush{RGB(255, 0, 0), bsSolid};
    Sheet s(200, 200);
    PaintFigure(*f, s);
    EXPECT_EQ(s.At(100, 200 - 120), RGB(255, 0, 0));
    EXPECT_EQ(BoxInk(s, 40, 0, 160, 95), 0);
    EXPECT_TRUE(f->Selected({100, 120}, 1));
    EXPECT_FALSE(f->Selected({100, 90}, 1));
  }
  // The sector's corner at the centre is in; the segment's chord cuts it off.
  EXPECT_TRUE(sector->Selected({60, 102}, 1));
  EXPECT_TRUE(segment->Selected({60, 102}, 1));
}

TEST(ArcClosed, AStraightBarIsABandAlongItsCentreLineAndACurvedOneFollowsTheArc) {
  TTxRectArc bar;
  const Tpt ends[2] = {{20, 50}, {180, 50}};
  bar.CreateByRefPoint(std::span<const Tpt>(ends, 2));
  EXPECT_EQ(bar.FWidth, 15);
  EXPECT_TRUE(bar.Selected({100, 56}, 1));
  EXPECT_FALSE(bar.Selected({100, 59}, 1));
  EXPECT_FALSE(bar.Selected({190, 50}, 1));
  EXPECT_EQ(HandleOf(bar, 3).x, 100);
  // Handle 3 does nothing to a straight bar.
  bar.MoveHandleTo(3, {100, 90});
  EXPECT_EQ(bar.FBj, 0);

  // Curved: the centre line through both ends and the dragged middle.
  bar.FLx = blArc;
  bar.FBj = 80;
  bar.FYx = {100, 50};
  bar.Modified();
  ASSERT_EQ(bar.FPWdbx->bx.size(), 4u);
  bar.MoveHandleTo(3, {100, 110});
  ExpectNear(bar.FYx, {100, 80.0 / 3}, 1e-9);
  const double r = Dist(bar.FYx, {20, 50});
  EXPECT_NEAR(bar.FBj, r, 1e-9);
  EXPECT_NEAR(Dist(bar.FYx, {100, 110}), r, 1e-9);
  EXPECT_TRUE(bar.Selected({100, 110}, 1));
  EXPECT_TRUE(bar.Selected({100, 116}, 1));
  EXPECT_FALSE(bar.Selected({100, 50}, 1));
  EXPECT_NEAR(HandleOf(bar, 3).y, 110, 1);
  const TArcMeasures m = RectArcMeasures(bar, GetRectArcProperties(bar));
  EXPECT_FALSE(m.Area.empty());
}

// ---- a radius of no size

TEST(ArcRadius, ARadiusNotAboveZeroIsKeptFromTheFileButNeitherPaintedNorHit) {
  ByteBuilder a;
  FigureValues(a);
  F(a, X10);
  F(a, X10);
  a({0x05, 0, 0, 0, 0, 0, 0, 0, 0x80, 0x00, 0xC0});  // -2
  F(a, X0);
  F(a, X1);
  a({0x02, 0x01});
  TTxArc arc;
  ReadAll(arc, a.b);
  arc.Loaded();
  EXPECT_EQ(arc.FBj, -2);
  EXPECT_TRUE(arc.FPWLine.empty());
  EXPECT_FALSE(arc.Selected({8, 10}, 1));
  Sheet s(40, 40);
  PaintFigure(arc, s);
  EXPECT_EQ(s.InkCount(), 0);
  EXPECT_EQ(Written([&](TWriter& w) { arc.WriteData(w); }), a.b);

  // A curved bar divides by its radius: with none there is no band.
  TTxRectArc bar;
  bar.FLx = blArc;
  bar.FQd = {0, 0};
  bar.FZd = {10, 0};
  bar.Modified();
  EXPECT_TRUE(bar.FPWdbx->bx.empty());
  Sheet t(40, 40);
  PaintFigure(bar, t);
  EXPECT_EQ(t.InkCount(), 0);
  EXPECT_TRUE(RectArcMeasures(bar, GetRectArcProperties(bar)).Area.empty());
}

TEST(ArcRadius, TheDialogsRefuseARadiusNotAboveZero) {
  auto arc = Through<TTxArc>({10, 0}, {0, 10}, {-10, 0});
  for (const char* bad : {"0", "-5", "x"}) {
    TArcProperties p = GetArcProperties(*arc);
    p.Bj = bad;
    p.Qj = "45 度";  // after the radius: not taken either
    SetArcProperties(*arc, p);
    EXPECT_NEAR(arc->FBj, 10, 1e-12) << bad;
    EXPECT_NEAR(arc->FQj, 0, 1e-12) << bad;
  }
  TArcProperties p = GetArcProperties(*arc);
  p.Bj = "20";
  p.Qj = "45 度";
  p.Direction = 0;
  SetArcProperties(*arc, p);
  EXPECT_NEAR(arc->FBj, 20, 1e-12);
  EXPECT_NEAR(arc->FQj, kPi / 4, 1e-12);
  EXPECT_EQ(arc->FDirection, 0);
  EXPECT_TRUE(ArcMeasures([] {
                TArcProperties q;
                q.Bj = "0";
                q.Qj = "0 度";
                q.Zj = "90 度";
                return q;
              }(), 1)
                  .Area.empty());

  TTxRectArc bar;
  TRectArcProperties b = GetRectArcProperties(bar);
  b.Lx = blArc;
  b.Bj = "0";
  SetRectArcProperties(bar, b);
  EXPECT_EQ(bar.FBj, 0);
  EXPECT_EQ(bar.FLx, blArc);  // the fields before the radius were taken
}
