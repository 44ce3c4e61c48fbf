// The view's painting on pixels: the document, the selection trackers, item
// invalidation and the rubber-band overlay.

#include "DocViewTestSupport.h"

#include <gtest/gtest.h>

namespace {

constexpr QRgb kRed = 0xFF0000, kWhite = 0xFFFFFF, kBlack = 0x000000, kCyan = 0x00FFFF;

class ViewPainting : public ::testing::Test {
protected:
  void SetUp() override {
    box = doc.AddBox({50, 50}, {150, 120}, RGB(255, 0, 0));
    view.SetDocument(&doc);
    ShowView(view, 300, 200);
  }
  TTestDrawingDoc doc{300, 200};
  TTestView view;
  TTestBox* box = nullptr;
};

}  // namespace

TEST_F(ViewPainting, FigureIsPaintedAtItsFlippedPlaceOnTheBackground) {
  const QImage img = Grab(view);
  // The bottom edge at logical y 50 is client row 150, the top edge at 120 row 80.
  EXPECT_GT(CountColour(img, QRect(60, 150, 80, 1), kRed), 70);
  EXPECT_GT(CountColour(img, QRect(60, 80, 80, 1), kRed), 70);
  EXPECT_EQ(CountColour(img, QRect(60, 100, 80, 30), kRed), 0);
  EXPECT_EQ(CountColour(img, QRect(200, 10, 80, 30), kWhite), 80 * 30);
}

TEST_F(ViewPainting, SelectedItemShowsInvertedHandles) {
  EXPECT_EQ(CountColour(Grab(view), QRect(44, 144, 12, 12), kBlack), 0);
  view.Select(box, false);
  const QImage img = Grab(view);
  // Handle 1 at client (50, 150): a 6 x 6 block inverted, white turns black.
  EXPECT_GE(CountColour(img, QRect(44, 144, 12, 12), kBlack), 20);
  EXPECT_GE(CountColour(img, QRect(144, 74, 12, 12), kBlack), 20);
  view.Select(nullptr, false);
  EXPECT_EQ(CountColour(Grab(view), QRect(44, 144, 12, 12), kBlack), 0) << "deselecting repaints the handles away";
}

TEST_F(ViewPainting, MovedItemRepaintsBothItsOldAndItsNewPlace) {
  Grab(view);
  box->MoveByOffset(120, 0);
  const QImage img = Grab(view);
  EXPECT_EQ(CountColour(img, QRect(0, 75, 165, 80), kRed), 0) << "no trace at the old place";
  EXPECT_GT(CountColour(img, QRect(180, 150, 80, 1), kRed), 70);
}

TEST_F(ViewPainting, ItemInvalidationIsGrownByTenPixelsAndNoMore) {
  Grab(view);
  // Paint something behind the view's back into its cache, then invalidate
  // the item: only the area round it may be refreshed.
  TTestBox* far = doc.AddBox({250, 10}, {290, 30}, RGB(255, 0, 0));
  const QImage before = Grab(view);
  EXPECT_GT(CountColour(before, QRect(250, 170, 41, 21), kRed), 0);
  (void)far;
  doc.FFigures->FBackColor = RGB(0, 0, 255);
  view.InvalObj(box);
  const QImage img = Grab(view);
  EXPECT_EQ(img.pixel(45, 160) & 0xFFFFFF, 0x0000FFu) << "inside the grown rectangle";
  EXPECT_EQ(img.pixel(20, 20) & 0xFFFFFF, kWhite) << "outside it the cached picture stays";
}

TEST_F(ViewPainting, RubberBandDrawnTwiceLeavesNoTrail) {
  const QImage before = Grab(view);
  TRubberShape band{rkRectangle, {{20, 20}, {260, 180}}, 1, clBlack};
  view.DrawRubberShape(band);
  const QImage shown = Grab(view);
  EXPECT_GT(CountColour(shown, QRect(30, 20, 200, 1), kBlack), 190) << "white inverts to black";
  TRubberShape across{rkPolyline, {{10, 100}, {290, 100}}, 1, clBlack};
  view.DrawRubberShape(across);
  const QImage crossing = Grab(view);
  // Where it crosses the red figure the red inverts to cyan.
  EXPECT_EQ(crossing.pixel(50, 100) & 0xFFFFFF, kCyan);
  EXPECT_EQ(crossing.pixel(150, 100) & 0xFFFFFF, kCyan);
  view.DrawRubberShape(band);
  view.DrawRubberShape(across);
  EXPECT_EQ(Grab(view), before);
  EXPECT_TRUE(view.RubberOverlay().Empty());
}

TEST_F(ViewPainting, RubberBandSurvivesARepaintOfTheDocumentUnderIt) {
  TRubberShape band{rkPolyline, {{10, 100}, {290, 100}}, 1, clBlack};
  view.DrawRubberShape(band);
  view.InvalidateView();
  EXPECT_GT(CountColour(Grab(view), QRect(10, 100, 40, 1), kBlack), 35);
  view.ClearRubberShapes();
  EXPECT_EQ(CountColour(Grab(view), QRect(10, 100, 40, 1), kBlack), 0);
}
