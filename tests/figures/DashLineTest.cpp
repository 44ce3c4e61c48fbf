// Dashed lines drawn by the figures themselves, checked on pixels.

#include <gtest/gtest.h>

#include "FigureTestSupport.h"
#include "figures/LineFigures.h"

#include <numbers>

namespace {

// Ink runs along device row y from x = 0: lengths, drawn runs positive.
std::vector<int> Runs(const Sheet& s, int y, int width) {
  std::vector<int> runs;
  for (int x = 0; x < width; ++x) {
    const bool ink = s.Ink(x, y);
    if (runs.empty() || (runs.back() > 0) != ink) runs.push_back(0);
    runs.back() += ink ? 1 : -1;
  }
  return runs;
}

std::vector<int> ColumnRuns(const Sheet& s, int x, int fromY, int toY) {
  std::vector<int> runs;
  for (int y = fromY; y > toY; --y) {
    const bool ink = s.Ink(x, y);
    if (runs.empty() || (runs.back() > 0) != ink) runs.push_back(0);
    runs.back() += ink ? 1 : -1;
  }
  return runs;
}

// The pattern repeated from its start until Length is used up, as the line
// from 0 to Length has it.
std::vector<int> Expected(const std::int32_t* Pattern, int High, int Length) {
  std::vector<int> runs;
  int used = 0;
  for (int i = 0; used < Length; i = i == High ? 0 : i + 1) {
    const int m = std::min<int>(std::abs(Pattern[i]), Length - used);
    runs.push_back(Pattern[i] > 0 ? m : -m);
    used += m;
  }
  return runs;
}

void Stroke(Sheet& s, const std::vector<TPoint>& pts, const std::int32_t* Pattern, int High) {
  s->SelectPen(GeometricPen(TPen{clBlack, pmCopy, psSolid, 1}));
  s->BeginPath();
  DrawOwnLine(*s, pts.data(), int(pts.size()), High, Pattern);
  s->EndPath();
  s->StrokePath();
}

struct Table {
  TPenStyle Style;
  const std::int32_t* Pattern;
  int High;
};

}  // namespace

TEST(DashedLine, EachPenStyleDrawsItsTableOnPixels) {
  const Table tables[] = {{psDot, DotLine, 1},
                          {psDash, DashLine, 1},
                          {psDashDot, DashDotLine, 3},
                          {psDashDotDot, DashDotDotLine, 5}};
  for (const Table& t : tables) {
    Sheet s(220, 20);
    SetViewMapping(*s, 20);
    auto seg = Segment({0, 10}, {200, 10}, clBlack, 1, t.Style);
    TShowPlace place;
    place.cvs = s.canvas.get();
    seg->Draw(place);
    EXPECT_EQ(Runs(s, 10, 220), [&] {
      auto e = Expected(t.Pattern, t.High, 200);
      if (e.back() < 0) e.back() -= 20; else e.push_back(-20);
      return e;
    }()) << "style " << int(t.Style);
    EXPECT_EQ(s.InkBounds().height(), 1) << "one device row only";
  }
}

TEST(DashedLine, PhaseCarriesAcrossSegmentsAndZeroLengthSegmentsKeepIt) {
  Sheet whole(220, 20), split(220, 20);
  SetViewMapping(*whole, 20);
  SetViewMapping(*split, 20);
  Stroke(whole, {{0, 10}, {200, 10}}, DashDotLine, 3);
  // Breaks inside a dash, inside a gap, and a repeated point.
  Stroke(split, {{0, 10}, {10, 10}, {17, 10}, {17, 10}, {17, 10}, {100, 10}, {200, 10}}, DashDotLine, 3);
  EXPECT_EQ(Runs(split, 10, 220), Runs(whole, 10, 220));
  EXPECT_EQ(Runs(whole, 10, 220)[0], 4);
}

TEST(DashedLine, RemainderOfADashTurnsTheCorner) {
  Sheet s(60, 80);
  SetViewMapping(*s, 80);
  // 20 of the first 25-unit dash go along x, the other 5 up the vertical leg.
  Stroke(s, {{10, 10}, {30, 10}, {30, 70}}, DashLine, 1);
  const std::vector<int> up = ColumnRuns(s, 30, 80 - 11, 80 - 70);
  ASSERT_GE(up.size(), 3u);
  EXPECT_EQ(up[0], 5) << "the dash ends 5 units up the leg";
  EXPECT_EQ(up[1], -8);
  EXPECT_EQ(up[2], 25);
}

TEST(SolidLine, AStraightSolidStrokeHasThePixelsOfAStrokedPath) {
  for (std::int32_t width : {1, 3, 6}) {
    for (Tpt to : {Tpt{90, 15}, Tpt{70, 80}, Tpt{12, 85}}) {
      Sheet drawn(100, 100), path(100, 100);
      SetViewMapping(*drawn, 100);
      SetViewMapping(*path, 100);
      auto seg = Segment({10, 10}, to, clBlack, width);
      TShowPlace place;
      place.cvs = drawn.canvas.get();
      seg->Draw(place);
      path->SelectPen(GeometricPen(seg->FPen));
      const TPoint pts[2] = {{10, 10}, ptodp(to)};
      path->BeginPath();
      path->Polyline(pts, 2);
      path->EndPath();
      path->StrokePath();
      EXPECT_EQ(drawn.Image(), path.Image()) << width << " to " << to.x << "," << to.y;
    }
  }
}

namespace {
void StrokeWide(Sheet& s, const std::vector<TPoint>& pts, const std::int32_t* Pattern, int High) {
  s->SelectPen(GeometricPen(TPen{clBlack, pmCopy, psSolid, 3}));
  s->BeginPath();
  DrawOwnLine(*s, pts.data(), int(pts.size()), High, Pattern);
  s->EndPath();
  s->StrokePath();
}
}  // namespace

// A window onto the middle of a long dashed polyline shows exactly the
// pixels the whole sheet has there, though only the part near it is walked.
TEST(DashedLine, AWindowOntoALongLineHasTheWholeSheetsPixels) {
  const std::vector<TPoint> pts{{0, 200}, {1900, 150}, {1990, 330}, {2003, 40}, {2100, 120}, {3990, 250}};
  Sheet whole(4000, 400);
  SetViewMapping(*whole, 400);
  StrokeWide(whole, pts, DashDotDotLine, 5);
  Sheet window(200, 400);
  SetViewMapping(*window, 400);
  window->OffsetWindowOrgEx(1900, 0);
  StrokeWide(window, pts, DashDotDotLine, 5);
  int ink = 0, differ = 0;
  for (int y = 0; y < 400; ++y)
    for (int x = 0; x < 200; ++x) {
      ink += window.Ink(x, y);
      differ += window.Ink(x, y) != whole.Ink(1900 + x, y);
    }
  EXPECT_GT(ink, 300);
  EXPECT_EQ(differ, 0);
}

// A line reaching a billion units off the sheet costs what its visible part
// costs (this used to walk the whole length in pattern steps).
TEST(DashedLine, ALineFarOffTheSheetIsDrawnOnlyWhereItIsSeen) {
  Sheet s(220, 20);
  SetViewMapping(*s, 20);
  Stroke(s, {{0, 10}, {1'000'000'000, 10}, {1'000'000'000, -1'000'000'000}, {-1'000'000'000, 10}}, DashLine, 1);
  auto runs = Runs(s, 10, 220);
  auto e = Expected(DashLine, 1, 220);
  EXPECT_EQ(runs, e);
}

TEST(EdgeLine, StrokesAlongALineFarBeyondTheSheetStillShowWhereItIsSeen) {
  Sheet s(220, 60);
  SetViewMapping(*s, 60);
  TConstructionLine line;
  line.FQd = {-1e9, 20};
  line.FZd = {1e9, 20};
  line.FJd = std::numbers::pi / 2;
  line.FGap = 10;
  TShowPlace place;
  place.cvs = s.canvas.get();
  line.Draw(place);
  // Strokes every 10 units stand up from the line across the whole sheet.
  int strokes = 0;
  for (int x = 0; x < 220; ++x) strokes += s.Ink(x, 60 - 35);
  EXPECT_GE(strokes, 10);
}
