// Combined figures: saved values of nested ones against bytes written out by
// hand, the painted area of union, difference and intersection, hits in the
// area only (before any paint too), and the device areas kept per mapping.

#include <gtest/gtest.h>

#include "FigureBytes.h"
#include "figures/CodeVersion.h"
#include "figures/ComboFigure.h"
#include "figures/LineFigures.h"
#include "figures/RoundShapes.h"
#include "figures/WdbxShapes.h"

#include <cmath>

namespace {

constexpr COLORREF kFill = RGB(0, 0, 255);

std::unique_ptr<TTxFRectangle> Rect(double X, double Y, double W, double H) {
  auto r = std::make_unique<TTxFRectangle>();
  r->FYd = {X, Y};
  r->FWidth = W;
  r->FHeight = H;
  r->Modified();
  return r;
}

std::unique_ptr<TTxCircle> Circle(double X, double Y, double R) {
  auto c = std::make_unique<TTxCircle>();
  c->FYx = {X, Y};
  c->FBj = R;
  c->Modified();
  return c;
}

// Members in order, the frame covering the sheet; filled blue, outlined black.
std::unique_ptr<TComboFigure> Combo(int Style, std::vector<std::unique_ptr<TCustomFigure>> Members) {
  auto c = std::make_unique<TComboFigure>();
  c->FStyle = Style;
  c->InitialParas(200, 200);
  c->FBrush = TBrush{kFill, bsSolid};
  for (auto it = Members.rbegin(); it != Members.rend(); ++it) c->InsertFigure(std::move(*it));
  c->Modified();
  return c;
}

template <class... T>
std::vector<std::unique_ptr<TCustomFigure>> List(std::unique_ptr<T>... F) {
  std::vector<std::unique_ptr<TCustomFigure>> v;
  (v.push_back(std::move(F)), ...);
  return v;
}

bool Filled(const Sheet& S, int X, int Y) { return S.At(X, S.bitmap.Height() - Y) == kFill; }

// A circle of radius 40 at (80, 100) and the rectangle (80..160, 70..130).
std::unique_ptr<TComboFigure> CircleAndRect(int Style) {
  return Combo(Style, List(Circle(80, 100, 40), Rect(80, 70, 80, 60)));
}

struct Drawing {
  TFakeDocument doc;
  TTxFigureSet root{nullptr};
  Drawing() { root.SetDocument(&doc); }
  TComboFigure* Put(std::unique_ptr<TComboFigure> C) {
    TComboFigure* c = C.get();
    c->FParent = &root;
    c->SetDocument(&doc);
    root.FFigures->Insert(0, std::move(C));
    c->Modified();
    return c;
  }
};

}  // namespace

// ---- saved values

TEST(ComboBytes, ANestedCombinedFigureSavesFrameStyleAndMembersAtEveryVersion) {
  auto inner = Combo(csUnion, List(Rect(0, 0, 10, 10), Rect(5, 5, 10, 10)));
  inner->InitialParas(15, 15);
  inner->FBrush = TComboFigure().FBrush;
  auto outer = Combo(csSubtract, List(std::move(inner), Rect(2, 2, 4, 4)));
  outer->FYd = {1, 2};
  outer->InitialParas(20, 15);
  outer->FBrush = TComboFigure().FBrush;

  auto rect = [](ByteBuilder& b, Ext X, Ext Y, Ext W, Ext H) {
    b({0x06, 13})("TTxFRectangle");
    FigureValues(b);
    F(b, X);
    F(b, Y);
    F(b, W);
    F(b, H);
  };
  ByteBuilder b;
  FigureValues(b);
  F(b, X1);
  F(b, X2);
  F(b, X20);
  F(b, X15);
  b({0x09});        // the frame is shown
  b({0x02, 0x04});  // difference
  b({0x01});
  b({0x06, 12})("TComboFigure");
  FigureValues(b);
  F(b, X0);
  F(b, X0);
  F(b, X15);
  F(b, X15);
  b({0x09});
  b({0x02, 0x02});  // union
  b({0x01});
  rect(b, X0, X0, X10, X10);
  rect(b, X5, X5, X10, X10);
  b({0x00});
  rect(b, X2, X2, X4, X4);
  b({0x00});
  EXPECT_EQ(Written([&](TWriter& w) { outer->WriteData(w); }), b.b);

  for (double version : {1.0, 2.11, 2.13, CurrentCodeVersion}) {
    SCOPED_TRACE(version);
    TOldCodeVersionGuard reading(version);
    TComboFigure back;
    ReadAll(back, b.b);
    EXPECT_EQ(back.FStyle, csSubtract);
    ASSERT_EQ(back.FFigures->Count(), 2);
    auto* nested = dynamic_cast<TComboFigure*>(back.FFigures->Figures(0));
    ASSERT_NE(nested, nullptr);
    EXPECT_EQ(nested->FParent, &back);
    EXPECT_EQ(nested->FFigures->Figures(1)->FParent, nested);
    EXPECT_EQ(Written([&](TWriter& w) { back.WriteData(w); }), b.b);
    // The nested result: the union less the small square.
    EXPECT_TRUE(back.Selected({1 + 12, 2 + 12}, 1));
    EXPECT_FALSE(back.Selected({1 + 3, 2 + 3}, 1));
    EXPECT_FALSE(back.Selected({1 + 13, 2 + 2}, 1));
  }
}

// ---- painting

TEST(ComboPaint, UnionDifferenceAndIntersectionOfACircleAndARectanglePaintTheirAreas) {
  struct TCase {
    int Style;
    bool Left, Overlap, Right;  // (50, 100), (100, 100), (145, 100)
  };
  for (const TCase c : {TCase{csUnion, true, true, true}, TCase{csSubtract, true, false, false},
                        TCase{csIntersect, false, true, false}}) {
    SCOPED_TRACE(c.Style);
    auto combo = CircleAndRect(c.Style);
    Sheet s(200, 200);
    PaintFigure(*combo, s);
    EXPECT_EQ(Filled(s, 50, 100), c.Left);
    EXPECT_EQ(Filled(s, 100, 100), c.Overlap);
    EXPECT_EQ(Filled(s, 145, 100), c.Right);
    EXPECT_FALSE(Filled(s, 20, 20));
    EXPECT_FALSE(Filled(s, 150, 150));
    EXPECT_EQ(combo->Selected({50, 100}, 1), c.Left);
    EXPECT_EQ(combo->Selected({100, 100}, 1), c.Overlap);
    EXPECT_EQ(combo->Selected({145, 100}, 1), c.Right);
  }
  // The union is outlined once round the whole: ink at the circle's far
  // left, none where the circle's edge and the rectangle's run inside it.
  auto u = CircleAndRect(csUnion);
  Sheet s(200, 200);
  PaintFigure(*u, s);
  EXPECT_TRUE(s.At(40, 100) == clBlack || s.At(41, 100) == clBlack);
  for (int dy : {-1, 0, 1}) {
    EXPECT_TRUE(Filled(s, 110, 126 + dy));
    EXPECT_TRUE(Filled(s, 80 + dy, 100));
  }
}

TEST(ComboPaint, ARingHasAHoleThatIsNeitherPaintedNorHitAndTheOtherOrderIsEmpty) {
  auto ring = Combo(csSubtract, List(Circle(100, 100, 60), Circle(100, 100, 30)));
  // No paint yet: the area is worked out for the hit test.
  EXPECT_FALSE(ring->Selected({100, 100}, 1));
  EXPECT_TRUE(ring->Selected({145, 100}, 1));
  EXPECT_FALSE(ring->Selected({170, 100}, 1));
  Sheet s(200, 200);
  PaintFigure(*ring, s);
  EXPECT_FALSE(Filled(s, 100, 100));
  EXPECT_TRUE(Filled(s, 145, 100));
  EXPECT_FALSE(ring->Selected({100, 100}, 1));

  auto none = Combo(csSubtract, List(Circle(100, 100, 30), Circle(100, 100, 60)));
  Sheet t(200, 200);
  PaintFigure(*none, t);
  EXPECT_EQ(t.InkCount(), 0);
  EXPECT_FALSE(none->Selected({145, 100}, 1));

  auto apart = Combo(csIntersect, List(Rect(10, 10, 20, 20), Rect(100, 100, 20, 20)));
  Sheet a(200, 200);
  PaintFigure(*apart, a);
  EXPECT_EQ(a.InkCount(), 0);
  EXPECT_FALSE(apart->Selected({20, 20}, 1));
  EXPECT_FALSE(apart->Selected({110, 110}, 1));
}

TEST(ComboPaint, ANestedCombinedFigurePaintsTheNestedResult) {
  auto inner = Combo(csUnion, List(Rect(20, 20, 60, 60), Rect(60, 60, 60, 60)));
  auto outer = Combo(csSubtract, List(std::move(inner), Circle(60, 60, 15)));
  Sheet s(200, 200);
  PaintFigure(*outer, s);
  EXPECT_TRUE(Filled(s, 30, 30));
  EXPECT_TRUE(Filled(s, 110, 110));
  EXPECT_FALSE(Filled(s, 60, 60));  // the hole
  EXPECT_FALSE(Filled(s, 110, 30));
}

TEST(ComboPaint, AFillPatternIsTiledInsideTheAreaOnly) {
  auto ring = Combo(csSubtract, List(Circle(100, 100, 60), Circle(100, 100, 30)));
  TTxBlock pattern;
  pattern.InitialParas(8, 8);
  pattern.FBrush = TBrush{RGB(255, 0, 0), bsSolid};
  pattern.FPen.Style = psClear;
  ring->SetFillItem(&pattern);
  ring->FPen.Style = psClear;
  Sheet s(200, 200);
  PaintFigure(*ring, s);
  auto red = [&s](int X0, int Y0, int X1, int Y1) {
    int n = 0;
    for (int x = X0; x <= X1; ++x)
      for (int y = Y0; y <= Y1; ++y) n += s.At(x, 200 - y) == RGB(255, 0, 0);
    return n;
  };
  EXPECT_GT(red(135, 90, 155, 110), 200);
  EXPECT_EQ(red(85, 85, 115, 115), 0);  // the hole
  EXPECT_EQ(red(0, 0, 30, 30), 0);
  EXPECT_EQ(red(0, 0, 199, 199), s.InkCount());
}

// ---- the areas kept

TEST(ComboArea, PanningReusesTheDeviceAreaAndAChangeBuildsItAgain) {
  Drawing d;
  TComboFigure* c = d.Put(CircleAndRect(csSubtract));
  Sheet s(200, 200);
  SetViewMapping(*s, 200);
  TShowPlace place{&*s, 1.0, false, {}, nullptr};
  c->Paint(place);
  const std::uint64_t built = c->AreaBuilds();
  // A pan: only the origin moves.
  s->SetWindowOrgEx(-30, 190);
  c->Paint(place);
  EXPECT_EQ(c->AreaBuilds(), built);
  Sheet panned(200, 200);
  SetViewMapping(*panned, 190);
  panned->SetWindowOrgEx(-30, 190);
  Sheet fresh(200, 200);
  SetViewMapping(*fresh, 190);
  fresh->SetWindowOrgEx(-30, 190);
  TShowPlace p1{&*panned, 1.0, false, {}, nullptr}, p2{&*fresh, 1.0, false, {}, nullptr};
  c->Paint(p1);
  EXPECT_EQ(c->AreaBuilds(), built);
  // The same pixels as an area built for that mapping from scratch.
  auto copy = CircleAndRect(csSubtract);
  copy->Paint(p2);
  EXPECT_EQ(panned.Image(), fresh.Image());

  // Another scale on the device builds it again; so does any change.
  s->SetViewportExtEx(5080, -5080);
  c->Paint(place);
  EXPECT_EQ(c->AreaBuilds(), built + 1);
  c->Paint(place);
  EXPECT_EQ(c->AreaBuilds(), built + 1);
  c->FFigures->Figures(1)->MoveByOffset(5, 0);
  c->Paint(place);
  EXPECT_EQ(c->AreaBuilds(), built + 2);
}

TEST(ComboArea, TheAreaFollowsMembersAndPlacementBeforeAndAfterPainting) {
  Drawing d;
  TComboFigure* c = d.Put(CircleAndRect(csSubtract));
  EXPECT_TRUE(c->Selected({50, 100}, 1));
  Sheet s(200, 200);
  SetViewMapping(*s, 200);
  TFakeView view;
  TShowPlace place{&*s, 1.0, false, {}, &view};
  c->Paint(place);  // a drawing view's paint: its area answers hits now
  EXPECT_TRUE(c->Selected({50, 100}, 1));
  EXPECT_FALSE(c->Selected({100, 100}, 1));
  // Moved without a paint in between: the hit follows the figure.
  c->MoveByOffset(0, 50);
  EXPECT_FALSE(c->Selected({50, 100}, 1));
  EXPECT_TRUE(c->Selected({50, 150}, 1));
  // A member changed: the same.
  c->FFigures->Figures(0)->MoveByOffset(20, 0);
  EXPECT_FALSE(c->Selected({45, 150}, 1));
  EXPECT_TRUE(c->Selected({70, 150}, 1));
}

// ---- frame, handles, sizes

TEST(ComboFrame, HandlesScaleAboutTheCentreAndSizesSetTheScale) {
  auto c = CircleAndRect(csUnion);  // frame 200 by 200
  c->SetWidth(400);
  EXPECT_EQ(c->FScale, 2);
  EXPECT_EQ(c->FWidth, 200);
  c->SetHeight(100);
  EXPECT_EQ(c->FScale, 1);
  c->SetScale(-1);
  c->SetScale(0);
  EXPECT_EQ(c->FScale, 1);
  TPoint h;
  c->GetHandle(5, h);
  EXPECT_EQ(h.x, 200);
  EXPECT_EQ(h.y, 200);
  EXPECT_FALSE(c->Selected({200, 150}, 1));
  EXPECT_FALSE(c->Selected({0, 100}, 1));
  c->MoveHandleTo(4, {300, 100});  // the right edge twice as far from the centre
  EXPECT_NEAR(c->FScale, 2, 1e-12);
  EXPECT_NEAR(c->FYd.x, -100, 1e-12);
  EXPECT_NEAR(c->FYd.y, -100, 1e-12);
  // The members grow with it: rectangle (60..220, 40..160), circle r 80 at (60, 100).
  EXPECT_TRUE(c->Selected({200, 150}, 1));
  EXPECT_TRUE(c->Selected({0, 100}, 1));
}

TEST(ComboFrame, OnlyClosedFiguresCombine) {
  EXPECT_TRUE(CanCombine(*Rect(0, 0, 1, 1)));
  EXPECT_TRUE(CanCombine(*Circle(0, 0, 1)));
  EXPECT_TRUE(CanCombine(TTxEllipse()));
  EXPECT_TRUE(CanCombine(TTxRoundRect()));
  EXPECT_TRUE(CanCombine(TTxPolygon()));
  EXPECT_TRUE(CanCombine(TComboFigure()));
  EXPECT_FALSE(CanCombine(TTxLine()));
  EXPECT_FALSE(CanCombine(TTxBlock()));
}
