// The drawing root's spatial index against the plain loops it stands in
// for: the same figure hit at every point, the same pixels painted in every
// clip, before and after edits that move figures, the layers or the mapping.

#include "FigureTestSupport.h"
#include "figures/LineFigures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

namespace {

class TRnd {
public:
  explicit TRnd(std::uint32_t Seed) : FState(Seed * 747796405u + 2891336453u) {}
  double Range(double Lo, double Hi) {
    FState = FState * 1664525u + 1013904223u;
    return Lo + (Hi - Lo) * double(FState >> 8) / double(1u << 24);
  }
  int Int(int N) { return int(Range(0, N)) % N; }

private:
  std::uint32_t FState;
};

constexpr int kW = 480, kH = 360;

// Five layers: visible, current, locked, hidden, visible; figures of every
// line family and a segment that cannot bound its hits, crowded so that
// figures of several layers overlap.
struct RandomDrawing {
  TFakeDocument doc;
  TFakeView view;
  TTxFigureSet root{&doc};
  std::vector<Tpt> anchors;  // end and middle points, for clicks on figures

  RandomDrawing(std::uint32_t Seed, int Count) {
    TRnd r(Seed);
    root.FWidth = 400;
    root.FHeight = 300;
    root.FShowGrid = false;
    root.FShowFrame = false;
    root.FYd = {r.Range(0, 20), r.Range(0, 20)};
    root.FScale = r.Range(0.8, 1.1);
    for (int i = 0; i < 4; ++i) {
      std::string name;
      root.AddLayer(name);
    }
    root.SetCurLayer(1);
    SetLayerFlag(root.FLayers[2].Entry, lfLocked);
    SetLayerFlag(root.FLayers[3].Entry, lfHidden);
    for (int i = 0; i < Count; ++i) {
      const int layer = r.Int(5);
      const Tpt a{r.Range(0, 380), r.Range(0, 280)};
      const double len = r.Int(6) == 0 ? r.Range(80, 300) : r.Range(2, 40);
      const double ang = r.Int(3) == 0 ? r.Int(4) * std::numbers::pi / 2 : r.Range(0, 2 * std::numbers::pi);
      const Tpt b{a.x + len * std::cos(ang), a.y + len * std::sin(ang)};
      std::unique_ptr<TCustomFigure> f;
      switch (r.Int(4)) {
        case 0: {
          auto l = std::make_unique<TTxLine>();
          l->FQd = a;
          l->FZd = b;
          l->FQdArrow = r.Int(2) == 0;
          f = std::move(l);
          break;
        }
        case 1: {
          auto d = std::make_unique<TArrowLine>();
          d->FQd = a;
          d->FZd = b;
          d->FXzJd = ang * 180 / std::numbers::pi;
          TBzLineData s;
          d->InitLineData(s);
          d->FBzLines = {s};
          f = std::move(d);
          break;
        }
        case 2: {
          auto e = std::make_unique<TConstructionLine>();
          e->FQd = a;
          e->FZd = b;
          if (r.Int(2) == 0) {
            e->FLx = blArc;
            e->FBj = len;
            e->FYx = {a.x + r.Range(-5, 5), a.y + r.Range(-5, 5)};
            e->FDirection = r.Int(2);
          }
          f = std::move(e);
          break;
        }
        default: f = Segment(a, b); break;
      }
      f->FPen.Width = 1 + r.Int(3);
      f->FPen.Color = RGB(r.Int(200), r.Int(200), r.Int(200));
      f->FParent = &root;
      f->SetDocument(&doc);
      TCustomFigure* raw = f.get();
      root.LayerList(layer)->Insert(0, std::move(f));
      raw->Modified();
      anchors.push_back(a);
      anchors.push_back(b);
      anchors.push_back({(a.x + b.x) / 2, (a.y + b.y) / 2});
    }
  }

  TCustomFigure* Hit(Tpt P, const TMetaClass* Class, double Factor, bool Indexed) {
    root.FUseSpatialIndex = Indexed;
    TCustomFigure* f = root.SelectFigure(P, Class, Factor);
    root.FUseSpatialIndex = true;
    return f;
  }

  // Logical points to click: near figures, exactly on them, and anywhere.
  std::vector<Tpt> ClickPoints(std::uint32_t Seed) const {
    TRnd r(Seed + 17);
    std::vector<Tpt> pts;
    for (Tpt a : anchors) {
      Tpt q = root.FFigures->Count() ? root.FFigures->Figures(0)->xyTransLogPt(a.x, a.y) : a;
      pts.push_back(q);
      pts.push_back({std::round(q.x) + r.Int(9) - 4, std::round(q.y) + r.Int(9) - 4});
    }
    for (int i = 0; i < 1500; ++i) pts.push_back({double(r.Int(kW + 40) - 20), double(r.Int(kH + 40) - 20)});
    return pts;
  }

  QImage Paint(const TRect& Clip, bool Indexed) {
    root.FUseSpatialIndex = Indexed;
    Sheet s(kW, kH);
    SetViewMapping(*s, kH);
    if (!Clip.IsEmpty()) s->IntersectClipRect(Clip.Left, Clip.Top, Clip.Right, Clip.Bottom);
    root.DrawDC(*s, nullptr, Clip);
    root.FUseSpatialIndex = true;
    return s.Image().copy();
  }
};

// Every point hits the same figure through the index as through the scan,
// for any class filter and pick factor; and the index really answered.
void ExpectSameHits(RandomDrawing& d, std::uint32_t Seed, const char* When) {
  int hits = 0;
  for (double factor : {1.0, 0.5, 2.5}) {
    for (const TMetaClass* cls : {static_cast<const TMetaClass*>(nullptr), &TCustomTxLine::StaticClass(),
                                  &TTxFigureSet::StaticClass()}) {
      const std::vector<Tpt> pts = d.ClickPoints(Seed);
      d.Hit(pts[0], cls, factor, true);  // the index is built once a state is asked about twice
      d.Hit(pts[0], cls, factor, true);
      ASSERT_TRUE(d.root.SpatialIndexCurrent(factor)) << When;
      for (Tpt p : pts) {
        TCustomFigure* plain = d.Hit(p, cls, factor, false);
        TCustomFigure* fast = d.Hit(p, cls, factor, true);
        ASSERT_EQ(fast, plain) << When << " at (" << p.x << ", " << p.y << ") factor " << factor;
        hits += plain && plain != &d.root;
      }
    }
  }
  EXPECT_GT(hits, 100) << When << ": the points must hit something to prove anything";
}

void ExpectSamePixels(RandomDrawing& d, std::uint32_t Seed, const char* When) {
  TRnd r(Seed + 5);
  // Clips inside the page: the root itself is not painted outside it.
  TRect page;
  d.root.CalcPositionRect(page);
  ExpandRect(page, 0);
  for (int i = 0; i < 12; ++i) {
    const int x = page.Left + r.Int(std::max(1, page.Right - page.Left - 100));
    const int y = page.Top + r.Int(std::max(1, page.Bottom - page.Top - 80));
    const TRect clip{x, y, x + 10 + r.Int(90), y + 10 + r.Int(70)};
    const QImage plain = d.Paint(clip, false);
    d.Paint(clip, true);
    const QImage fast = d.Paint(clip, true);
    ASSERT_TRUE(d.root.SpatialIndexCurrent(1.0) || d.root.SpatialIndexCurrent(0.5) ||
                d.root.SpatialIndexCurrent(2.5))
        << When;
    ASSERT_EQ(fast, plain) << When << " clip " << clip.Left << "," << clip.Top << "," << clip.Right << ","
                           << clip.Bottom;
  }
  // And the whole page, which the plain loop paints.
  EXPECT_EQ(d.Paint(TRect{}, true), d.Paint(TRect{}, false)) << When;
}

class SpatialIndex : public ::testing::TestWithParam<std::uint32_t> {};

}  // namespace

TEST_P(SpatialIndex, HitsTheSameFigureAsTheScanAtEveryPoint) {
  RandomDrawing d(GetParam(), 400);
  ExpectSameHits(d, GetParam(), "fresh drawing");
}

TEST_P(SpatialIndex, PaintsTheSamePixelsAsThePlainLoopInEveryClip) {
  RandomDrawing d(GetParam(), 400);
  ExpectSamePixels(d, GetParam(), "fresh drawing");
}

TEST_P(SpatialIndex, FollowsEditsOfFiguresLayersAndMapping) {
  RandomDrawing d(GetParam(), 300);
  const std::uint32_t seed = GetParam();
  auto check = [&](const char* when) {
    ExpectSameHits(d, seed, when);
    ExpectSamePixels(d, seed, when);
  };
  check("before edits");
  TCustomFigure* f = d.root.LayerList(1)->Figures(3);
  f->MoveByOffset(37, -21);
  check("after a figure moved");

  TMyList sel;
  sel.Add(f);
  d.root.BackUp(sel, ovEdit);
  f->MoveByOffset(-80, 45);
  check("after a second move");
  d.root.Undo(&d.view);
  check("after undo");
  d.root.Redo(&d.view);
  check("after redo");

  d.root.LayerList(0)->Move(0, d.root.LayerList(0)->Count() - 1);
  check("after a figure went to the back");
  d.root.ExchangeFigureLayer(d.root.LayerList(4)->Figures(0), 4, 1);
  check("after a figure changed layer");
  d.root.SetLayerVisible(3, true);
  check("after a hidden layer was shown");
  d.root.SetLayerEdit(2, true);
  check("after a locked layer was unlocked");
  std::unique_ptr<TCustomFigure> gone = d.root.RemoveFigure(d.root.LayerList(1)->Figures(0));
  check("after a figure was removed");

  d.root.SetScale(d.root.FScale * 1.3);
  check("after the drawing was zoomed");
  d.root.FArialScale = 0.45;
  d.root.FViewState = vsArial;
  check("in the overview's scale");
  d.root.FViewState = vsDraw;
  d.root.SetXzjd(25);
  check("after the drawing was turned");
  d.root.SetRefPoint(d.root.FYd.x + 13, d.root.FYd.y - 7);
  check("after the drawing's origin moved");
}

#ifdef __SANITIZE_ADDRESS__
// Eight times slower under the sanitizers, which look for invalid accesses.
INSTANTIATE_TEST_SUITE_P(Seeds, SpatialIndex, ::testing::Values(1u, 2u));
#else
INSTANTIATE_TEST_SUITE_P(Seeds, SpatialIndex, ::testing::Values(1u, 2u, 3u, 4u));
#endif

TEST(SpatialIndexPolicy, ADragThatChangesAFigureEveryStepKeepsThePlainLoop) {
  RandomDrawing d(7, 200);
  const Tpt p{100, 100};
  TCustomFigure* f = d.root.LayerList(1)->Figures(0);
  for (int step = 0; step < 5; ++step) {
    f->MoveByOffset(1, 0);
    d.root.SelectFigure(p, nullptr, 1.0);
    EXPECT_FALSE(d.root.SpatialIndexCurrent(1.0)) << "one question per state builds nothing";
  }
  d.root.SelectFigure(p, nullptr, 1.0);
  EXPECT_TRUE(d.root.SpatialIndexCurrent(1.0)) << "the second question about one state does";
}

TEST(SpatialIndexPolicy, TwoViewsPaintingInTurnKeepAnIndexEach) {
  RandomDrawing d(8, 200);
  d.root.FArialScale = 0.5;
  const Tpt p{120, 90};
  // The drawing view and the overview ask in turn, each in its own state.
  for (int round = 0; round < 3; ++round) {
    d.root.FViewState = vsDraw;
    d.root.SelectFigure(p, nullptr, 1.0);
    d.root.FViewState = vsArial;
    d.root.SelectFigure(p, nullptr, 1.0);
  }
  EXPECT_TRUE(d.root.SpatialIndexCurrent(1.0));
  d.root.FViewState = vsDraw;
  EXPECT_TRUE(d.root.SpatialIndexCurrent(1.0));
  ExpectSameHits(d, 8, "after both views asked");
  d.root.FViewState = vsArial;
  ExpectSameHits(d, 8, "in the overview's state");
}
