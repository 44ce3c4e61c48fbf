// Scrolling moves the view's cached picture and paints only the strip it
// uncovers: the result must be the picture a full repaint gives. And the
// spatial index behind painting and clicks leaves the saved drawing alone.
//
// One allowance: Qt rasterises an aliased sloped line that leaves the
// picture from where it is cut, so such a line may differ by a pixel from
// one painted with the window elsewhere (a partial repaint has always done
// the same). Anything a wrong scroll does is far above that.

#include "DocViewTestSupport.h"
#include "figures/LineFigures.h"
#include "foundation/Streams.h"
#include "foundation/ZLibContainer.h"

#include <QScrollBar>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <numbers>

namespace {

class TRnd {
public:
  explicit TRnd(std::uint32_t Seed) : FState(Seed * 2891336453u + 1u) {}
  int Int(int N) {
    FState = FState * 1664525u + 1013904223u;
    return int((FState >> 8) % std::uint32_t(N));
  }

private:
  std::uint32_t FState;
};

// Boxes, arrow lines, dimension lines with their texts and edge lines.
void FillRandom(TTestDrawingDoc& Doc, std::uint32_t Seed, int Count) {
  TRnd r(Seed);
  TTxFigureSet& root = *Doc.FFigures;
  for (int i = 0; i < Count; ++i) {
    const Tpt a{double(r.Int(560) + 10), double(r.Int(460) + 10)};
    const double len = 10 + r.Int(120), ang = r.Int(360) * std::numbers::pi / 180;
    const Tpt b{a.x + len * std::cos(ang), a.y + len * std::sin(ang)};
    std::unique_ptr<TCustomFigure> f;
    switch (r.Int(4)) {
      case 0: Doc.AddBox(a, {a.x + r.Int(40) + 2, a.y + r.Int(30) + 2}, RGB(r.Int(255), 0, 0)); continue;
      case 1: {
        auto l = std::make_unique<TTxLine>();
        l->FQd = a;
        l->FZd = b;
        f = std::move(l);
        break;
      }
      case 2: {
        auto d = std::make_unique<TArrowLine>();
        d->FQd = a;
        d->FZd = {a.x + len, a.y};
        TBzLineData s;
        d->InitLineData(s);
        d->FBzLines = {s};
        f = std::move(d);
        break;
      }
      default: {
        auto e = std::make_unique<TConstructionLine>();
        e->FQd = a;
        e->FZd = b;
        f = std::move(e);
        break;
      }
    }
    f->FPen.Color = RGB(0, 0, r.Int(255));
    root.InsertFigure(std::move(f));
    root.FFigures->Figures(0)->Modified();
  }
}

int DifferentPixels(const QImage& A, const QImage& B) {
  if (A.size() != B.size()) return A.width() * A.height();
  int n = 0;
  for (int y = 0; y < A.height(); ++y)
    for (int x = 0; x < A.width(); ++x) n += A.pixel(x, y) != B.pixel(x, y);
  return n;
}

// A few pixels of cut lines, no more: 0.1 % of the window.
constexpr int kCutLinePixels = 60;

class ViewScrolling : public ::testing::TestWithParam<std::uint32_t> {
protected:
  void SetUp() override {
    FillRandom(doc, GetParam(), 150);
    view.SetDocument(&doc);
    ShowView(view, 300, 200);
    view.Select(doc.Figures()[3], false);
    view.Select(doc.Figures()[7], true);
  }
  // What a full repaint shows at the present scroll position.
  QImage FullRepaint() {
    view.InvalidateView();
    return Grab(view);
  }
  TTestDrawingDoc doc{600, 500};
  TTestView view;
};

}  // namespace

TEST_P(ViewScrolling, ScrolledPictureEqualsAFullRepaint) {
  const int moves[][2] = {{16, 8}, {-5, 0}, {0, -3}, {120, 90}, {-299, 0}, {7, 199}, {250, -150}, {-1, -1}};
  Grab(view);
  for (const auto& m : moves) {
    view.SetHorzPosition(view.HorzPosition() + m[0]);
    view.SetVertPosition(view.VertPosition() + m[1]);
    const QImage scrolled = Grab(view);
    const QImage full = FullRepaint();
    ASSERT_LE(DifferentPixels(scrolled, full), kCutLinePixels) << "after a scroll by " << m[0] << ", " << m[1] << " to "
                                       << view.HorzPosition() << ", " << view.VertPosition();
  }
}

TEST_P(ViewScrolling, DamageBeforeAndAfterAScrollLandsWhereItBelongs) {
  Grab(view);
  TCustomFigure* f = doc.FFigures->FFigures->Figures(10);
  // A change before the scroll is noted in the old position's pixels, one
  // after it in the new one's; neither may show up shifted.
  f->MoveByOffset(12, 5);
  view.SetHorzPosition(view.HorzPosition() + 30);
  view.SetVertPosition(view.VertPosition() + 20);
  f->MoveByOffset(-20, 9);
  const QImage scrolled = Grab(view);
  EXPECT_LE(DifferentPixels(scrolled, FullRepaint()), kCutLinePixels);
}

INSTANTIATE_TEST_SUITE_P(Seeds, ViewScrolling, ::testing::Values(1u, 2u, 3u));

TEST(IndexedDrawing, EditsWithAndWithoutTheIndexSaveTheSameBytes) {
  std::vector<std::uint8_t> saved[2];
  for (int pass = 0; pass < 2; ++pass) {
    TTestDrawingDoc doc(600, 500);
    FillRandom(doc, 11, 200);
    doc.FFigures->FUseSpatialIndex = pass == 0;
    TTestView view;
    view.SetDocument(&doc);
    ShowView(view, 300, 200);
    // Clicks, selections, moves and repaints in between, as a user makes them.
    for (int i = 0; i < 40; ++i) {
      const TPoint p{15 * i % 600, 11 * i % 500};
      if (auto* item = dynamic_cast<TCustomFigure*>(doc.ObjectAt(p, nullptr, 1.0))) {
        view.Select(item, false);
        view.BackUp(ovEdit);
        item->MoveByOffset(3, -2);
      }
      view.SetHorzPosition(i * 7 % 300);
      Grab(view);
    }
    view.Undo();
    TMemoryStream out;
    WriteZLibComponentToStream(out, doc);
    saved[pass] = out.Data();
  }
  EXPECT_EQ(saved[0], saved[1]);
}

TEST(IndexedDrawing, PointAndRectangleSelectionFindWhatThePlainLoopsFind) {
  TTestDrawingDoc doc(600, 500);
  FillRandom(doc, 5, 400);
  TTxFigureSet& root = *doc.FFigures;
  std::string name;
  root.AddLayer(name);
  SetLayerFlag(root.FLayers[1].Entry, lfLocked);
  for (int i = 0; i < 40; ++i) root.ExchangeFigureLayer(root.FFigures->Figures(i), 0, 1);
  TRnd r(23);
  int found = 0;
  for (int i = 0; i < 300; ++i) {
    const TPoint p{r.Int(620) - 10, r.Int(520) - 10};
    const TRect rect{p.x, p.y, p.x + r.Int(150) - 40, p.y + r.Int(120) - 30};
    TMyList plainPoint, plainRect, fastPoint, fastRect;
    root.FUseSpatialIndex = false;
    doc.PointSelectItem(p, plainPoint);
    doc.RectSelectItem(rect, plainRect);
    root.FUseSpatialIndex = true;
    doc.PointSelectItem(p, fastPoint);  // asked twice: the index is built
    fastPoint.Clear();
    doc.PointSelectItem(p, fastPoint);
    doc.RectSelectItem(rect, fastRect);
    ASSERT_TRUE(root.SpatialIndexCurrent(1.0));
    ASSERT_EQ(fastPoint.FList, plainPoint.FList) << "at " << p.x << ", " << p.y;
    ASSERT_EQ(fastRect.FList, plainRect.FList) << "in " << rect.Left << ", " << rect.Top << ", " << rect.Right
                                               << ", " << rect.Bottom;
    found += plainPoint.Count() + plainRect.Count();
  }
  EXPECT_GT(found, 300) << "the selections must find something to prove anything";
}
