// Rectangle helpers, the view's mapping and the conversions between client
// pixels and logical units.

#include "DocViewTestSupport.h"

#include "docview/RectHelpers.h"

#include <gtest/gtest.h>

namespace {

TPoint DocToClient(const TDocView& V, TPoint P) {
  V.PointDocToClient(P);
  return P;
}
TPoint ClientToDoc(const TDocView& V, TPoint P) {
  const_cast<TDocView&>(V).PointClientToDoc(P);
  return P;
}

}  // namespace

TEST(RectHelpers, ExpandRectNormalisesThenGrows) {
  TRect r{10, 20, 0, 5};
  EXPECT_EQ(ExpandRect(r, 0), (TRect{0, 5, 10, 20}));
  TRect s{10, 20, 0, 5};
  EXPECT_EQ(ExpandRect(s, 10), (TRect{-10, -5, 20, 30}));
}

TEST(RectHelpers, RectToSizeIsPositiveForReversedCornersAndSizeToRectStartsAtZero) {
  EXPECT_EQ(RectToSize(TRect{30, 40, 10, 5}), (TSize{20, 35}));
  EXPECT_EQ(SizeToRect(TSize{7, 9}), (TRect{0, 0, 7, 9}));
}

TEST(ViewMapping, SmallDocumentIsCentredInTheClientArea) {
  TTestDrawingDoc doc(300, 200);
  TTestView view;
  view.SetDocument(&doc);
  ShowView(view, 500, 400);
  // The page's top-left (logical (0, height)) is 100 pixels right and down.
  EXPECT_EQ(DocToClient(view, {0, 200}).x, 100);
  EXPECT_EQ(DocToClient(view, {0, 200}).y, 100);
  // y grows upwards: the bottom-left is 200 pixels lower.
  EXPECT_EQ(DocToClient(view, {0, 0}).y, 300);
  EXPECT_EQ(DocToClient(view, {300, 0}).x, 400);
}

TEST(ViewMapping, LargeDocumentPutsThePageTopLeftAtTheScrolledOrigin) {
  TTestDrawingDoc doc(1000, 800);
  TTestView view;
  view.SetDocument(&doc);
  ShowView(view, 500, 400);
  for (const auto& [h, v] : {std::pair{0, 0}, std::pair{120, 75}, std::pair{500, 400}}) {
    view.SetHorzPosition(h);
    view.SetVertPosition(v);
    ASSERT_EQ(view.HorzPosition(), h);
    ASSERT_EQ(view.VertPosition(), v);
    const TPoint tl = DocToClient(view, {0, 800});
    EXPECT_EQ(tl.x, -h);
    EXPECT_EQ(tl.y, -v);
  }
}

TEST(ViewMapping, ClientAndLogicalRoundTripAtSeveralScrollPositionsAndZooms) {
  TTestDrawingDoc doc(400, 300);
  TTestView view;
  view.SetDocument(&doc);
  ShowView(view, 500, 400);
  for (double scale : {0.5, 1.0, 2.5, 4.0}) {
    doc.FFigures->SetScale(scale);
    const TSize dev = view.GetDocumentDevSize();
    EXPECT_EQ(dev.cx, int(std::lround(400 * scale)));
    ASSERT_EQ(view.HorzRange(), dev.cx) << "the scale notice sets the ranges";
    for (int pos : {0, 37, 260}) {
      view.SetHorzPosition(pos);
      view.SetVertPosition(pos / 2);
      for (TPoint c : {TPoint{0, 0}, TPoint{17, 391}, TPoint{499, 3}, TPoint{250, 200}}) {
        const TPoint l = ClientToDoc(view, c);
        const TPoint back = DocToClient(view, l);
        EXPECT_EQ(back.x, c.x) << scale << " " << pos;
        EXPECT_EQ(back.y, c.y) << scale << " " << pos;
      }
      // A client step right is a logical step right; a step down is one down.
      const TPoint a = ClientToDoc(view, {10, 10}), b = ClientToDoc(view, {11, 11});
      EXPECT_EQ(b.x - a.x, 1);
      EXPECT_EQ(b.y - a.y, -1);
    }
  }
}

TEST(ViewMapping, RectanglesConvertCornerByCornerAndComeOutFlipped) {
  TTestDrawingDoc doc(300, 200);
  TTestView view;
  view.SetDocument(&doc);
  ShowView(view, 300, 200);
  TRect r{10, 20, 110, 70};
  view.RectClientToDoc(r);
  EXPECT_EQ(r, (TRect{10, 180, 110, 130}));
  view.RectDocToClient(r);
  EXPECT_EQ(r, (TRect{10, 20, 110, 70}));
  EXPECT_EQ(view.GetClientDocRect(), (TRect{0, 0, 300, 200}));
}

TEST(ViewMapping, WithoutADocumentTheLogicalSizeIsEmpty) {
  TTestView view;
  ShowView(view, 200, 100);
  EXPECT_EQ(view.GetDocumentLogSize(), (TSize{0, 0}));
}
