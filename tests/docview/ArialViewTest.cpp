// The overview: its rectangle is the drawing view's visible area and follows
// scrolling and zooming; a click scrolls the drawing view so that the point
// clicked comes to its centre; the root's view state is handed back.

#include "DocViewTestSupport.h"

#include "docview/ArialView.h"

#include <gtest/gtest.h>

namespace {

class Overview : public ::testing::Test {
protected:
  void SetUp() override {
    // Page 420 x 297 drawn at scale 2 in a 300 x 200 window: it scrolls.
    doc.FFigures->FScale = 2.0;
    doc.AddBox({20, 20}, {120, 90});
    doc.AddBox({280, 150}, {400, 280});
    draw.SetDocument(&doc);
    ShowView(draw, 300, 200);
    ShowView(arial, 210, 150);
    arial.SetDocument(&doc);
    Grab(draw);
    Grab(arial);
  }

  // A drawing-view client point as the overview shows it.
  TPoint DrawToArial(TPoint P) {
    draw.PointClientToDoc(P);
    const double k = doc.FFigures->FArialScale / doc.FFigures->FScale;
    TPoint q = ptodp({P.x * k, P.y * k});
    arial.PointDocToClient(q);
    return q;
  }
  TPoint ArialToDraw(TPoint P) {
    arial.PointClientToDoc(P);
    const double k = doc.FFigures->FScale / doc.FFigures->FArialScale;
    TPoint q = ptodp({P.x * k, P.y * k});
    draw.PointDocToClient(q);
    return q;
  }
  void ExpectRectIsVisibleArea() {
    const TPoint tl = DrawToArial({0, 0}), br = DrawToArial({300, 200});
    const TRect r = arial.ViewRect();
    EXPECT_NEAR(r.Left, tl.x, 1);
    EXPECT_NEAR(r.Top, tl.y, 1);
    EXPECT_NEAR(r.Right, br.x, 1);
    EXPECT_NEAR(r.Bottom, br.y, 1);
  }

  TTestDrawingDoc doc{420, 297};
  TTestView draw;
  TArialView arial;
};

}  // namespace

TEST_F(Overview, FitsThePageAtItsOwnScale) {
  EXPECT_DOUBLE_EQ(doc.FFigures->FArialScale, 0.5);
  EXPECT_DOUBLE_EQ(doc.FFigures->FScale, 2.0);
  EXPECT_EQ(doc.FFigures->FViewState, vsDraw);
}

TEST_F(Overview, RectangleIsTheDrawingViewsVisibleAreaAndFollowsScrolling) {
  draw.SetHorzPosition(200);
  draw.SetVertPosition(100);
  Grab(draw);
  ExpectRectIsVisibleArea();
  EXPECT_NEAR(arial.FViewWidth, 75, 1);
  EXPECT_NEAR(arial.FViewHeight, 50, 1);

  // Drawn in red on the overview.
  const QImage img = Grab(arial);
  const TRect r = arial.ViewRect();
  const QRgb red = qRgb(255, 0, 0);
  EXPECT_EQ(img.pixel((r.Left + r.Right) / 2, r.Top) & 0xFFFFFF, red & 0xFFFFFF);
  EXPECT_EQ(img.pixel(r.Left, (r.Top + r.Bottom) / 2) & 0xFFFFFF, red & 0xFFFFFF);
  EXPECT_EQ(CountColour(img, QRect(r.Left + 4, r.Top + 4, r.Right - r.Left - 8, r.Bottom - r.Top - 8), red), 0);
  // Painting the overview hands the root back in the drawing view's state.
  EXPECT_EQ(doc.FFigures->FViewState, vsDraw);

  draw.SetHorzPosition(0);
  draw.SetVertPosition(0);
  Grab(draw);
  ExpectRectIsVisibleArea();
}

TEST_F(Overview, RectangleFollowsZooming) {
  doc.FFigures->SetScale(4.0);
  Grab(draw);
  ExpectRectIsVisibleArea();
  EXPECT_NEAR(arial.FViewWidth, 300 * 0.5 / 4, 1);
  EXPECT_DOUBLE_EQ(doc.FFigures->FArialScale, 0.5);
}

TEST_F(Overview, AClickScrollsTheDrawingViewToCentreThePoint) {
  const TPoint p{100, 70};
  arial.MouseDown(mbLeft, 0, p);
  Grab(draw);
  // One overview pixel is four drawing-view pixels here.
  const TPoint c = ArialToDraw(p);
  EXPECT_NEAR(c.x, 150, 4);
  EXPECT_NEAR(c.y, 100, 4);
  EXPECT_GT(draw.HorzPosition(), 0);
  EXPECT_GT(draw.VertPosition(), 0);
  // The rectangle followed the drawing view there.
  ExpectRectIsVisibleArea();
  EXPECT_NEAR((arial.ViewRect().Left + arial.ViewRect().Right) / 2.0, p.x, 2);
  EXPECT_NEAR((arial.ViewRect().Top + arial.ViewRect().Bottom) / 2.0, p.y, 2);
  EXPECT_EQ(doc.FFigures->FViewState, vsDraw);
}

TEST_F(Overview, DraggingMovesTheAreaAlongAndTheGhostFollowsInsideOnly) {
  arial.MouseMove(0, {100, 70});
  EXPECT_EQ(arial.RubberOverlay().Shapes().size(), 1u);
  EXPECT_EQ(arial.FPointPrev.x, 100);
  // Too near the edge for the whole ghost: none.
  arial.MouseMove(0, {2, 2});
  EXPECT_TRUE(arial.RubberOverlay().Empty());
  EXPECT_EQ(arial.FPointPrev.x, 0);
  arial.MouseMove(ssLeft, {120, 60});
  Grab(draw);
  const TPoint c = ArialToDraw({120, 60});
  EXPECT_NEAR(c.x, 150, 4);
  EXPECT_NEAR(c.y, 100, 4);
}
