// The route lines: saved values against bytes written out by hand, the
// symbols along an edge, the offset line's corners, and the spacings that
// are no distance or too small.

#include <gtest/gtest.h>

#include "FigureBytes.h"
#include "figures/RouteLines.h"

#include <cmath>
#include <limits>

namespace {

constexpr COLORREF kRed = 0x0000FF;

template <class T>
std::unique_ptr<T> Route(std::initializer_list<Tpt> Points) {
  auto l = std::make_unique<T>();
  for (Tpt p : Points) l->AddPoint(p);
  return l;
}

// The multi-segment line's values for no vertices: the figure, then a count of 0.
void EmptyLine(ByteBuilder& b) {
  DefaultFigureValues(b);
  b({0x02, 0x00});
}

// The line painted on the sheet as the views paint it.
template <class T>
void Paint(T& l, Sheet& s) {
  PaintFigure(l, s);
}


// Passes every call on to a real canvas and counts the symbols drawn.
class TCountingCanvas final : public TCanvas {
public:
  explicit TCountingCanvas(TCanvas& Inner) : In(Inner) {}
  int Polygons = 0, Ellipses = 0;
  int GetDeviceCaps(int index) const override { return In.GetDeviceCaps(index); }
  int SaveDC() override { return In.SaveDC(); }
  bool RestoreDC(int savedDC) override { return In.RestoreDC(savedDC); }
  int SetMapMode(int mode) override { return In.SetMapMode(mode); }
  int GetMapMode() const override { return In.GetMapMode(); }
  TSize SetWindowExtEx(std::int32_t cx, std::int32_t cy) override { return In.SetWindowExtEx(cx, cy); }
  TSize SetViewportExtEx(std::int32_t cx, std::int32_t cy) override { return In.SetViewportExtEx(cx, cy); }
  TPoint SetWindowOrgEx(std::int32_t x, std::int32_t y) override { return In.SetWindowOrgEx(x, y); }
  TPoint SetViewportOrgEx(std::int32_t x, std::int32_t y) override { return In.SetViewportOrgEx(x, y); }
  TPoint OffsetWindowOrgEx(std::int32_t dx, std::int32_t dy) override { return In.OffsetWindowOrgEx(dx, dy); }
  TPoint OffsetViewportOrgEx(std::int32_t dx, std::int32_t dy) override { return In.OffsetViewportOrgEx(dx, dy); }
  TSize GetWindowExtEx() const override { return In.GetWindowExtEx(); }
  TSize GetViewportExtEx() const override { return In.GetViewportExtEx(); }
  TPoint GetWindowOrgEx() const override { return In.GetWindowOrgEx(); }
  TPoint GetViewportOrgEx() const override { return In.GetViewportOrgEx(); }
  void LPtoDP(TPoint* points, int count) const override { In.LPtoDP(points, count); }
  void DPtoLP(TPoint* points, int count) const override { In.DPtoLP(points, count); }
  TLogPen SelectPen(const TLogPen& pen) override { return In.SelectPen(pen); }
  TLogBrush SelectBrush(const TLogBrush& brush) override { return In.SelectBrush(brush); }
  TLogFont SelectFont(const TLogFont& font) override { return In.SelectFont(font); }
  const TLogPen& GetPen() const override { return In.GetPen(); }
  const TLogBrush& GetBrush() const override { return In.GetBrush(); }
  const TLogFont& GetFont() const override { return In.GetFont(); }
  int SetROP2(int rop2) override { return In.SetROP2(rop2); }
  int GetROP2() const override { return In.GetROP2(); }
  COLORREF SetTextColor(COLORREF c) override { return In.SetTextColor(c); }
  COLORREF SetBkColor(COLORREF c) override { return In.SetBkColor(c); }
  int SetBkMode(int mode) override { return In.SetBkMode(mode); }
  unsigned SetTextAlign(unsigned align) override { return In.SetTextAlign(align); }
  int SetPolyFillMode(int mode) override { return In.SetPolyFillMode(mode); }
  int SetArcDirection(int dir) override { return In.SetArcDirection(dir); }
  TPoint SetBrushOrgEx(std::int32_t x, std::int32_t y) override { return In.SetBrushOrgEx(x, y); }
  TPoint MoveToEx(std::int32_t x, std::int32_t y) override { return In.MoveToEx(x, y); }
  void LineTo(std::int32_t x, std::int32_t y) override { In.LineTo(x, y); }
  void Polyline(const TPoint* points, int count) override { In.Polyline(points, count); }
  void Polygon(const TPoint* points, int count) override {
    ++Polygons;
    In.Polygon(points, count);
  }
  void Rectangle(std::int32_t l, std::int32_t t, std::int32_t r, std::int32_t b) override { In.Rectangle(l, t, r, b); }
  void RoundRect(std::int32_t l, std::int32_t t, std::int32_t r, std::int32_t b, std::int32_t cornerW, std::int32_t cornerH) override { In.RoundRect(l, t, r, b, cornerW, cornerH); }
  void Ellipse(std::int32_t l, std::int32_t t, std::int32_t r, std::int32_t b) override {
    ++Ellipses;
    In.Ellipse(l, t, r, b);
  }
  void Arc(std::int32_t l, std::int32_t t, std::int32_t r, std::int32_t b, std::int32_t xs, std::int32_t ys, std::int32_t xe, std::int32_t ye) override { In.Arc(l, t, r, b, xs, ys, xe, ye); }
  void Chord(std::int32_t l, std::int32_t t, std::int32_t r, std::int32_t b, std::int32_t xs, std::int32_t ys, std::int32_t xe, std::int32_t ye) override { In.Chord(l, t, r, b, xs, ys, xe, ye); }
  void Pie(std::int32_t l, std::int32_t t, std::int32_t r, std::int32_t b, std::int32_t xs, std::int32_t ys, std::int32_t xe, std::int32_t ye) override { In.Pie(l, t, r, b, xs, ys, xe, ye); }
  void BeginPath() override { In.BeginPath(); }
  void EndPath() override { In.EndPath(); }
  void AbortPath() override { In.AbortPath(); }
  void CloseFigure() override { In.CloseFigure(); }
  void StrokePath() override { In.StrokePath(); }
  void FillPath() override { In.FillPath(); }
  void StrokeAndFillPath() override { In.StrokeAndFillPath(); }
  void FillRect(const TRect& rect, const TLogBrush& brush) override { In.FillRect(rect, brush); }
  void PatBlt(std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h, std::uint32_t rop) override { In.PatBlt(x, y, w, h, rop); }
  void FillRgn(const TRegion& rgn, const TLogBrush& brush) override { In.FillRgn(rgn, brush); }
  void PaintRgn(const TRegion& rgn) override { In.PaintRgn(rgn); }
  void FrameRgn(const TRegion& rgn, const TLogBrush& brush, std::int32_t w, std::int32_t h) override { In.FrameRgn(rgn, brush, w, h); }
  void InvertRgn(const TRegion& rgn) override { In.InvertRgn(rgn); }
  int IntersectClipRect(std::int32_t l, std::int32_t t, std::int32_t r, std::int32_t b) override { return In.IntersectClipRect(l, t, r, b); }
  int ExcludeClipRect(std::int32_t l, std::int32_t t, std::int32_t r, std::int32_t b) override { return In.ExcludeClipRect(l, t, r, b); }
  int ExtSelectClipRgn(const TRegion* rgn, int mode) override { return In.ExtSelectClipRgn(rgn, mode); }
  int GetClipBox(TRect& box) const override { return In.GetClipBox(box); }
  void TextOut(std::int32_t x, std::int32_t y, std::string_view text) override { In.TextOut(x, y, text); }
  TSize GetTextExtentPoint(std::string_view text) const override { return In.GetTextExtentPoint(text); }
  TTextMetric GetTextMetrics() const override { return In.GetTextMetrics(); }
  int DrawText(std::string_view text, TRect& rect, unsigned format) override { return In.DrawText(text, rect, format); }
  void StretchBlt(std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h, const TBitmap& src, std::int32_t sx, std::int32_t sy, std::int32_t sw, std::int32_t sh, std::uint32_t rop) override { In.StretchBlt(x, y, w, h, src, sx, sy, sw, sh, rop); }

private:
  TCanvas& In;
};

}  // namespace

// ---- saved values

TEST(RouteLines, SavedValuesFollowTheMultiSegmentLineInTheirOrder) {
  {
    TDoubleLine d;
    EXPECT_EQ(d.FClassNameDescription, "双线");
    d.FPen1 = TPen{5, pmCopy, psDash, 3};
    d.FGap = 12.5;
    ByteBuilder b;
    EmptyLine(b);
    b({0x02, 0x05, 0x04, 0x01, 0x02, 0x03});  // colour, raw mode, raw style, width
    F(b, X12_5);
    EXPECT_EQ(Written([&](TWriter& w) { d.WriteData(w); }), b.b);
    TDoubleLine back;
    ReadAll(back, b.b);
    EXPECT_EQ(back.FPen1, (TPen{5, pmCopy, psDash, 3}));
    EXPECT_EQ(back.FGap, 12.5);
  }
  {
    TDxLine d;
    EXPECT_EQ(d.FClassNameDescription, "电讯线");
    d.FGap = 20;
    ByteBuilder b;
    EmptyLine(b);
    F(b, X20);
    EXPECT_EQ(Written([&](TWriter& w) { d.WriteData(w); }), b.b);
    TDxLine back;
    ReadAll(back, b.b);
    EXPECT_EQ(back.FGap, 20);
  }
  {
    TDLine d;
    EXPECT_EQ(d.FClassNameDescription, "电线");
    d.FGap = 50;
    d.FLx = 1;
    ByteBuilder b;
    EmptyLine(b);
    F(b, X50);
    b({0x02, 0x01});
    EXPECT_EQ(Written([&](TWriter& w) { d.WriteData(w); }), b.b);
    TDLine back;
    ReadAll(back, b.b);
    EXPECT_EQ(back.FGap, 50);
    EXPECT_EQ(back.FLx, 1);
  }
  {
    TTrailLine d;
    EXPECT_EQ(d.FClassNameDescription, "铁路线");
    d.FBrush.Style = bsClear;  // the shared values as DefaultFigureValues writes them
    d.FGap = 25;
    d.FWidth = 5;
    ByteBuilder b;
    EmptyLine(b);
    F(b, X25);
    F(b, X5);
    EXPECT_EQ(Written([&](TWriter& w) { d.WriteData(w); }), b.b);
    TTrailLine back;
    ReadAll(back, b.b);
    EXPECT_EQ(back.FGap, 25);
    EXPECT_EQ(back.FWidth, 5);
  }
}

TEST(RouteLines, DefaultsComeWithTheFirstVertexAndAFilesValuesStay) {
  TTrailLine t;
  EXPECT_EQ(t.FBrush.Style, bsSolid);
  EXPECT_EQ(t.FGap, 0);
  t.AddPoint({0, 0});
  EXPECT_EQ(t.FGap, 30);
  EXPECT_EQ(t.FWidth, 5);
  t.FGap = 7;
  t.AddPoint({10, 0});
  EXPECT_EQ(t.FGap, 7) << "only the first vertex sets it";
  EXPECT_EQ(Route<TDxLine>({{0, 0}})->FGap, 30);
  EXPECT_EQ(Route<TDLine>({{0, 0}})->FGap, 50);
  EXPECT_EQ(Route<TDLine>({{0, 0}})->FLx, 0);
  EXPECT_EQ(Route<TDoubleLine>({{0, 0}})->FGap, 10);
}

TEST(RouteLines, CopiesTakeTheOwnFieldsAndTheVertices) {
  auto d = Route<TDoubleLine>({{0, 0}, {50, 0}});
  d->FGap = -4;
  d->FPen1.Color = kRed;
  auto c = d->Clone();
  auto& cd = dynamic_cast<TDoubleLine&>(*c);
  EXPECT_EQ(cd.FGap, -4);
  EXPECT_EQ(cd.FPen1.Color, kRed);
  EXPECT_EQ(cd.GetPointCount(), 2);
  auto e = Route<TDLine>({{0, 0}, {50, 0}});
  e->FLx = 1;
  e->FGap = 40;
  auto copy = e->Clone();
  auto& ce = dynamic_cast<TDLine&>(*copy);
  EXPECT_EQ(ce.FLx, 1);
  EXPECT_EQ(ce.FGap, 40);
}

// ---- the telecom and electric lines

TEST(RouteLines, TelecomCirclesSitAtTheMiddleOfEverySpacingInterval) {
  auto l = Route<TDxLine>({{0, 20}, {100, 20}});
  Sheet s(120, 40);
  Paint(*l, s);
  // Three whole intervals of 30: circles of radius 3 at 15, 45, 75.
  for (int c : {15, 45, 75}) {
    EXPECT_TRUE(InkAt(s, c, 23) || InkAt(s, c, 22)) << "circle top at " << c;
    EXPECT_FALSE(InkAt(s, c, 20)) << "the line is broken inside the circle at " << c;
  }
  EXPECT_EQ(ColumnInk(s, 105, 14, 26), 0) << "no circle after the last interval";
  EXPECT_EQ(ColumnInk(s, 95, 22, 26), 0) << "the closing piece is a plain line";
  EXPECT_TRUE(InkAt(s, 30, 20) && InkAt(s, 95, 20));
  TCountingCanvas counted(*s);
  l->DrawDC(counted, nullptr, TRect{});
  EXPECT_EQ(counted.Ellipses, 3);
}

TEST(RouteLines, ASpacingBelowTheMinimumPaintsAtTheMinimumAndIsNotStored) {
  auto l = Route<TDxLine>({{0, 20}, {100, 20}});
  l->FGap = 5;
  Sheet s(120, 40);
  Paint(*l, s);
  EXPECT_EQ(l->FGap, 5) << "painting leaves the saved value alone";
  // Painted with 15: circles at 7.5, 22.5, ...
  EXPECT_FALSE(InkAt(s, 22, 20) && InkAt(s, 23, 20)) << "broken at the second circle";
  EXPECT_TRUE(InkAt(s, 15, 20)) << "between circles the line runs";
  for (double bad : {0.0, -30.0, std::numeric_limits<double>::quiet_NaN()}) {
    l->FGap = bad;
    Sheet t(120, 40);
    Paint(*l, t);
    EXPECT_TRUE(InkAt(t, 15, 20)) << bad;
    EXPECT_TRUE(std::isnan(bad) ? std::isnan(l->FGap) : l->FGap == bad);
  }
  auto e = Route<TDLine>({{0, 20}, {100, 20}});
  e->FGap = 3;
  Sheet u(120, 40);
  Paint(*e, u);
  EXPECT_EQ(e->FGap, 3);
}

TEST(RouteLines, ElectricChevronsAreSingleForLowAndDoubleForHighVoltage) {
  // Spacing 50, r = 3: circle at 25, chevrons at 13 and 37, the high
  // voltage ones also at 16 and 34; their strokes rise r sin 45 beside the point.
  auto l = Route<TDLine>({{0, 20}, {60, 20}});
  Sheet low(80, 40);
  Paint(*l, low);
  EXPECT_GT(BoxInk(low, 13, 21, 15, 23), 0) << "chevron before the circle";
  EXPECT_GT(BoxInk(low, 35, 21, 37, 23), 0) << "chevron after the circle";
  EXPECT_GT(BoxInk(low, 13, 17, 15, 19), 0) << "both strokes";
  EXPECT_EQ(BoxInk(low, 17, 21, 18, 23), 0);
  EXPECT_EQ(BoxInk(low, 32, 21, 33, 23), 0);
  l->FLx = 1;
  Sheet high(80, 40);
  Paint(*l, high);
  EXPECT_GT(BoxInk(high, 17, 21, 18, 23), 0) << "the second chevron before";
  EXPECT_GT(BoxInk(high, 32, 21, 33, 23), 0) << "the second chevron after";
}

// ---- the railway

TEST(RouteLines, RailwayHexagonsAlternateAndRunOnAcrossAVertex) {
  auto l = Route<TTrailLine>({{0, 20}, {100, 20}});
  l->FGap = 30;
  l->FWidth = 10;
  Sheet s(120, 40);
  Paint(*l, s);
  // Hexagons over [0, 30], [30, 60], [60, 90] and the short [90, 100].
  EXPECT_TRUE(InkAt(s, 15, 21));
  EXPECT_FALSE(InkAt(s, 45, 21));
  EXPECT_TRUE(InkAt(s, 75, 21));
  EXPECT_FALSE(InkAt(s, 95, 21));
  EXPECT_GT(BoxInk(s, 94, 22, 96, 25), 0) << "the short hexagon's outline";
  EXPECT_EQ(ColumnInk(s, 105, 0, 40), 0);
  TCountingCanvas counted(*s);
  l->DrawDC(counted, nullptr, TRect{});
  EXPECT_EQ(counted.Polygons, 4) << "three whole hexagons and a short one";

  // An edge of exactly one length: no short hexagon, and the next edge starts white.
  auto v = Route<TTrailLine>({{20, 10}, {50, 10}, {50, 70}});
  v->FGap = 30;
  v->FWidth = 10;
  Sheet t(80, 80);
  Paint(*v, t);
  TCountingCanvas counted2(*t);
  v->DrawDC(counted2, nullptr, TRect{});
  EXPECT_EQ(counted2.Polygons, 3) << "no short hexagon on an edge of exactly one length";
  EXPECT_TRUE(InkAt(t, 35, 11));
  EXPECT_FALSE(InkAt(t, 51, 25)) << "the colour runs on past the vertex";
  EXPECT_TRUE(InkAt(t, 51, 55));
}

TEST(RouteLines, ARailwaySpacingThatIsNoDistancePaintsTheBareLine) {
  auto l = Route<TTrailLine>({{0, 20}, {100, 20}});
  l->FWidth = 10;
  for (double bad : {0.0, -30.0, std::numeric_limits<double>::infinity()}) {
    l->FGap = bad;
    Sheet s(120, 40);
    Paint(*l, s);
    EXPECT_TRUE(InkAt(s, 50, 20)) << bad;
    EXPECT_EQ(BoxInk(s, 10, 23, 90, 30), 0) << "no hexagons for " << bad;
  }
}

TEST(RouteLines, AVeryLongLinePaintsOnlyItsVisibleSymbols) {
  // Hexagons start at -5e8 + 30 k: the one over x = 0 spans [-20, 10] and is
  // the 16666666th, an even one, so black; then white, black, white.
  auto l = Route<TTrailLine>({{-5e8, 20}, {5e8, 20}});
  l->FGap = 30;
  l->FWidth = 10;
  Sheet s(100, 40);
  Paint(*l, s);
  EXPECT_TRUE(InkAt(s, 2, 21));
  EXPECT_FALSE(InkAt(s, 25, 21));
  EXPECT_TRUE(InkAt(s, 55, 21));
  EXPECT_FALSE(InkAt(s, 85, 21));

  auto d = Route<TDxLine>({{-5e8, 20}, {5e8, 20}});
  Sheet t(100, 40);
  Paint(*d, t);
  // Intervals start at -5e8 + 30 k, at -20, 10, 40, 70: circles at 25, 55, 85.
  for (int c : {25, 55, 85}) EXPECT_FALSE(InkAt(t, c, 20)) << c;
  EXPECT_TRUE(InkAt(t, 10, 20) && InkAt(t, 40, 20));

  // Only the few symbols near the 100-unit sheet are drawn, of the 33 million.
  Sheet u(100, 40);
  SetViewMapping(*u, 40);
  TCountingCanvas counted(*u);
  l->DrawDC(counted, nullptr, TRect{});
  EXPECT_GE(counted.Polygons, 4);
  EXPECT_LE(counted.Polygons, 12);
  d->DrawDC(counted, nullptr, TRect{});
  EXPECT_GE(counted.Ellipses, 3);
  EXPECT_LE(counted.Ellipses, 10);
}

// ---- the double line

TEST(RouteLines, TheParallelLineIsOffsetWithMitredCornersAndItsOwnPen) {
  auto d = Route<TDoubleLine>({{10, 30}, {90, 30}, {90, 90}});
  d->FGap = 10;
  const std::vector<Tpt> p = d->ParallelPoints();
  ASSERT_EQ(p.size(), 3u);
  EXPECT_NEAR(p[0].x, 10, 1e-9);
  EXPECT_NEAR(p[0].y, 20, 1e-9);
  EXPECT_NEAR(p[1].x, 100, 1e-9) << "the corner where the two offset lines meet";
  EXPECT_NEAR(p[1].y, 20, 1e-9);
  EXPECT_NEAR(p[2].x, 100, 1e-9);
  EXPECT_NEAR(p[2].y, 90, 1e-9);

  // Collinear edges running the same way: every corner lies on the one offset line.
  auto c = Route<TDoubleLine>({{0, 20}, {40, 20}, {80, 20}});
  for (Tpt q : c->ParallelPoints()) EXPECT_NEAR(q.y, 10, 1e-9);

  d->FPen1.Color = kRed;
  Sheet s(120, 120, clWhite);
  Paint(*d, s);
  auto colourNear = [&](int y, COLORREF c) {
    for (int row = 120 - y - 1; row <= 120 - y + 1; ++row)
      if (s.At(50, row) == c) return true;
    return false;
  };
  EXPECT_TRUE(colourNear(30, clBlack)) << "the main line";
  EXPECT_TRUE(colourNear(20, kRed)) << "the parallel line in its own pen";
  EXPECT_FALSE(colourNear(20, clBlack));
  d->FPen1.Style = psClear;
  Sheet t(120, 120);
  Paint(*d, t);
  EXPECT_EQ(ColumnInk(t, 99, 30, 80) + ColumnInk(t, 100, 30, 80), 0) << "a clear parallel pen draws nothing";
}

TEST(RouteLines, MirroringKeepsTheParallelLineOnTheMirroredSideInsideTheBounds) {
  auto d = Route<TDoubleLine>({{0, 20}, {100, 20}});
  d->FGap = 10;
  d->FigureMirror(pptobx({0, 50}, {100, 50}));
  EXPECT_EQ(d->FGap, -10);
  const std::vector<Tpt> p = d->ParallelPoints();
  EXPECT_NEAR(p[0].y, 90, 1e-9) << "the mirror of y = 10 about y = 50";
  TRect r;
  d->CalcPositionRect(r);
  EXPECT_GE(r.Bottom, 90);
  EXPECT_LE(r.Top, 80);

  // A sharp corner's mitre reaches far past the offset; the rectangle holds it.
  auto sharp = Route<TDoubleLine>({{0, 0}, {100, 0}, {0, 10}});
  sharp->FGap = -10;
  sharp->CalcPositionRect(r);
  for (Tpt q : sharp->ParallelPoints()) {
    EXPECT_LE(r.Left, q.x);
    EXPECT_GE(r.Right, q.x);
  }
}

TEST(RouteLines, HitsReachFourUnitsWhateverThePenAndBoundsHoldTheSymbols) {
  auto l = Route<TDxLine>({{0, 0}, {100, 0}});
  l->FPen.Width = 20;
  EXPECT_TRUE(l->Selected({50, 3.5}, 1));
  EXPECT_FALSE(l->Selected({50, 5}, 1)) << "the pen width does not count";
  auto d = Route<TDoubleLine>({{0, 0}, {100, 0}});
  EXPECT_FALSE(d->Selected({50, -10}, 1)) << "only the main line is hit";
  auto t = Route<TTrailLine>({{0, 0}, {100, 0}});
  t->FWidth = 20;
  TRect r;
  t->CalcPositionRect(r);
  EXPECT_LE(r.Top, -20);
  EXPECT_GE(r.Bottom, 20);
  EXPECT_EQ(l->GetHandleCount(), 3);
}
