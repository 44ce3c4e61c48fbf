// Closed figures tiled with their fill item: the pattern only inside the
// outline and the outline over it; one tile rendered on the screen, vectors
// at every cell on a printer, the same picture either way; a cell of less
// than a unit (a pattern of no size, the navigator's scale) falls back to
// the brush; a huge shape seen from close up draws only the visible cells,
// and scrolling never moves them.

#include <gtest/gtest.h>

#include "FigureBytes.h"
#include "figures/Blocks.h"
#include "figures/RoundShapes.h"

#include <cmath>

namespace {

constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kGreen = RGB(0, 160, 0);

// A filled box of the pattern block that counts how often it is painted.
class TPatternMark : public TCustomFigure {
  PLANDECK_DECLARE_CLASS(TPatternMark)
public:
  explicit TPatternMark(TMyPersistent* AOwner = nullptr) : TCustomFigure(AOwner) { FPen.Style = psClear; }
  std::unique_ptr<TDocItem> Clone() const override {
    auto c = std::make_unique<TPatternMark>(FOwner);
    c->Assign(*this);
    c->FLo = FLo;
    c->FHi = FHi;
    return c;
  }
  void Paint(TShowPlace& ShowPlace) override {
    ++Paints;
    TCanvas& cv = *ShowPlace.cvs;
    const TPoint pts[5] = {ptodp(xyTransLogPt(FLo.x, FLo.y)), ptodp(xyTransLogPt(FHi.x, FLo.y)),
                           ptodp(xyTransLogPt(FHi.x, FHi.y)), ptodp(xyTransLogPt(FLo.x, FHi.y)),
                           ptodp(xyTransLogPt(FLo.x, FLo.y))};
    const TLogBrush old = cv.SelectBrush(CreateSolidBrush(kRed));
    cv.Polygon(pts, 5);
    cv.SelectBrush(old);
  }
  void CalcPositionRect(TRect& Rect) const override {
    const TPoint a = ptodp(xyTransLogPt(FLo.x, FLo.y)), b = ptodp(xyTransLogPt(FHi.x, FHi.y));
    Rect = {a.x, a.y, b.x, b.y};
    ExpandRect(Rect, 0);
  }

  Tpt FLo, FHi;
  static int Paints;
};

int TPatternMark::Paints = 0;

PLANDECK_DEFINE_CLASS(TPatternMark, TCustomFigure)

// A block of Size x Size whose red part is Lo..Hi.
std::unique_ptr<TTxBlock> Pattern(double Size, Tpt Lo, Tpt Hi) {
  auto block = std::make_unique<TTxBlock>();
  block->InitialParas(Size, Size);
  auto mark = std::make_unique<TPatternMark>();
  mark->FLo = Lo;
  mark->FHi = Hi;
  block->InsertFigure(std::move(mark));
  return block;
}

// A rectangle (a rounded one with sharp corners) from (X0, Y0) to (X1, Y1).
std::unique_ptr<TTxRoundRect> Box(double X0, double Y0, double X1, double Y1) {
  auto r = std::make_unique<TTxRoundRect>();
  r->FYd = {(X0 + X1) / 2, (Y0 + Y1) / 2};
  r->FWidth = X1 - X0;
  r->FHeight = Y1 - Y0;
  return r;
}

bool RedAt(const Sheet& s, int x, int y) {
  const int row = s.bitmap.Height() - y;
  return x >= 0 && row >= 0 && x < s.bitmap.Width() && row < s.bitmap.Height() && s.At(x, row) == kRed;
}

// Painted as a printer would be asked to: the same mapping, printer technology.
void PaintOnPrinter(TCustomFigure& F, TBitmap& Bitmap) {
  TQtCanvas cv(&QtImage(Bitmap), DT_RASPRINTER);
  SetViewMapping(cv, Bitmap.Height());
  F.DrawDC(cv, nullptr, TRect{});
}

std::int64_t Mod(std::int64_t v, std::int64_t m) { return ((v % m) + m) % m; }

}  // namespace

TEST(FillTiling, ThePatternShowsOnlyInsideTheOutlineAndTheOutlineLiesOverIt) {
  TTxEllipse e;
  e.FYx = {100, 100};
  e.FHzbj = 60;
  e.FVzbj = 40;
  e.FFillItem = Pattern(10, {0, 0}, {10, 10});
  Sheet s(200, 200);
  PaintFigure(e, s);
  EXPECT_TRUE(RedAt(s, 100, 100));
  EXPECT_TRUE(RedAt(s, 60, 120));
  int outside = 0;
  for (int y = 0; y < 200; ++y)
    for (int x = 0; x < 200; ++x) {
      const double u = (x - 100) / 61.0, v = (y - 100) / 41.0;
      if (u * u + v * v > 1 && RedAt(s, x, y)) ++outside;
    }
  EXPECT_EQ(outside, 0) << "pattern outside the ellipse";
  EXPECT_EQ(s.At(40, 100), clBlack) << "the outline over the tiles";
  EXPECT_EQ(s.At(160, 100), clBlack);
  EXPECT_EQ(s.At(100, 60), clBlack);
  EXPECT_FALSE(InkAt(s, 35, 100));
  EXPECT_FALSE(InkAt(s, 45, 65)) << "the box's corner is outside";
}

TEST(FillTiling, TheScreenRendersOneTileAndCopiesItUpright) {
  auto r = Box(20, 20, 120, 80);
  // The red half is the top of each cell.
  r->FFillItem = Pattern(10, {0, 5}, {10, 10});
  TPatternMark::Paints = 0;
  Sheet s(200, 200);
  PaintFigure(*r, s);
  EXPECT_EQ(TPatternMark::Paints, 1) << "one tile, copied";
  for (int x : {25, 55, 95})
    for (int cell : {0, 2, 4}) {
      EXPECT_TRUE(RedAt(s, x, 20 + 10 * cell + 7)) << x << ", cell " << cell;
      EXPECT_FALSE(RedAt(s, x, 20 + 10 * cell + 2)) << x << ", cell " << cell;
    }
  EXPECT_FALSE(RedAt(s, 130, 57)) << "nothing past the outline";
}

TEST(FillTiling, APrinterGetsTheBlockAsVectorsAtEveryCell) {
  auto r = Box(20, 20, 120, 80);
  r->FFillItem = Pattern(10, {0, 5}, {10, 10});
  TPatternMark::Paints = 0;
  TBitmap printed(200, 200);
  PaintOnPrinter(*r, printed);
  // Columns 0 to 100 div 10 and rows 0 to 60 div 10.
  EXPECT_EQ(TPatternMark::Paints, 11 * 7);

  // Both ways give the same picture.
  Sheet screen(200, 200);
  PaintFigure(*r, screen);
  int differ = 0, red = 0;
  for (int y = 0; y < 200; ++y)
    for (int x = 0; x < 200; ++x) {
      red += printed.Pixel(x, y) == kRed;
      differ += (printed.Pixel(x, y) == kRed) != (screen.At(x, y) == kRed);
    }
  EXPECT_GT(red, 2000);
  EXPECT_LE(differ, red / 50) << "the screen's tiles differ from the printed vectors";
  // What tiling changed on the block is put back, without telling anyone.
  ASSERT_NE(r->FFillItem, nullptr);
  EXPECT_EQ(r->FFillItem->FYd.x, 0);
  EXPECT_EQ(r->FFillItem->FYd.y, 0);
  EXPECT_EQ(r->FFillItem->FScale, 1);
}

TEST(FillTiling, PaintingLeavesTheFillItemAndTheDocumentAlone) {
  TFakeDocument doc;
  TTxFigureSet root{&doc};
  root.InsertFigure(Box(20, 20, 120, 80));
  auto* r = root.FFigures->Figures(0);
  r->FFillItem = Pattern(10, {0, 5}, {10, 10});
  r->FFillItem->FYd = {3, 4};
  r->FFillItem->SetDocument(&doc);
  r->Modified();
  ASSERT_EQ(r->FFillItem->FParent, &root);
  const std::size_t hints = doc.Hints.size();
  Sheet s(200, 200);
  PaintFigure(*r, s);
  TBitmap printed(200, 200);
  PaintOnPrinter(*r, printed);
  EXPECT_EQ(doc.Hints.size(), hints) << "tiles are no edits";
  EXPECT_EQ(r->FFillItem->FYd.x, 3);
  EXPECT_EQ(r->FFillItem->FYd.y, 4);
  EXPECT_EQ(r->FFillItem->FParent, &root);
}

TEST(FillTiling, ACellOfLessThanAUnitFillsWithTheBrushInstead) {
  // A pattern of no size.
  auto r = Box(20, 20, 120, 80);
  r->FBrush = {kGreen, bsSolid};
  r->FFillItem = Pattern(0, {0, 0}, {0, 0});
  TPatternMark::Paints = 0;
  Sheet s(200, 200);
  PaintFigure(*r, s);
  EXPECT_EQ(TPatternMark::Paints, 0);
  EXPECT_EQ(s.At(70, 150), kGreen);
  TBitmap printed(200, 200);
  PaintOnPrinter(*r, printed);
  EXPECT_EQ(printed.Pixel(70, 150), kGreen);
  EXPECT_EQ(TPatternMark::Paints, 0);

  // The navigator's scale makes the cells of a 10 unit pattern 0.4 units.
  TFakeDocument doc;
  TTxFigureSet root{&doc};
  root.FArialScale = 0.04;
  root.FViewState = vsArial;
  root.InsertFigure(Box(0, 0, 4000, 4000));
  auto* big = root.FFigures->Figures(0);
  big->FBrush = {kGreen, bsSolid};
  big->FFillItem = Pattern(10, {0, 0}, {10, 10});
  big->Modified();
  Sheet n(200, 200);
  PaintFigure(*big, n);
  EXPECT_EQ(TPatternMark::Paints, 0);
  EXPECT_EQ(n.At(80, 120), kGreen);
}

TEST(FillTiling, AHugeShapeSeenFromCloseUpTilesOnlyTheVisibleCells) {
  auto r = Box(-1e9, -1e9, 1e9, 1e9);
  r->FFillItem = Pattern(7, {0, 0}, {3, 3});
  TPatternMark::Paints = 0;
  TBitmap printed(200, 200);
  PaintOnPrinter(*r, printed);
  EXPECT_GT(TPatternMark::Paints, 0);
  EXPECT_LE(TPatternMark::Paints, 33 * 33) << "only the cells over the sheet";

  // The grid starts at the shape's corner: -1e9 is 1 past a multiple of 7.
  // Cells are red over offsets 0 to 3 (give or take the edge pixel).
  Sheet s(200, 200);
  PaintFigure(*r, s);
  const std::int64_t origin = -1000000000;
  int red = 0, wrong = 0;
  for (int y = 0; y < 200; ++y)
    for (int x = 0; x < 200; ++x) {
      const std::int64_t u = Mod(x - origin, 7), v = Mod(y - origin, 7);
      const bool isRed = RedAt(s, x, y);
      red += isRed;
      if ((u == 1 || u == 2) && (v == 1 || v == 2)) wrong += !isRed;
      if (u >= 4 || v >= 4) wrong += isRed;
    }
  EXPECT_EQ(wrong, 0) << "the grid is not anchored at the shape's corner";
  EXPECT_GT(red, 200 * 200 * 4 / 49);
}

TEST(FillTiling, ScrollingLeavesTheTilesWhereTheyWere) {
  auto r = Box(-1e9, -1e9, 1e9, 1e9);
  r->FFillItem = Pattern(7, {0, 0}, {3, 3});
  Sheet a(200, 200), b(200, 200);
  PaintFigure(*r, a);
  // The second view is scrolled by (13, 9) logical units.
  SetViewMapping(*b, 200);
  b->SetWindowOrgEx(13, 209);
  r->DrawDC(*b, nullptr, TRect{});
  int differ = 0;
  for (int y = 20; y < 180; ++y)
    for (int x = 20; x < 180; ++x) differ += (a.At(x, 200 - y) == kRed) != (b.At(x - 13, 209 - y) == kRed);
  EXPECT_EQ(differ, 0);
}

// Set PLANDECK_FILL_PNG to a file name to look at the three shapes filled.
TEST(FillTiling, PictureOfFilledShapes) {
  const QByteArray path = qgetenv("PLANDECK_FILL_PNG");
  if (path.isEmpty()) GTEST_SKIP() << "no picture asked for";
  Sheet s(480, 200);
  TTxRoundRect r;
  r.FYd = {90, 100};
  r.FWidth = 150;
  r.FHeight = 100;
  r.FHzbj = 30;
  r.FVzbj = 20;
  r.FXzJd = 15;
  r.FPen.Width = 2;
  r.FFillItem = Pattern(12, {2, 6}, {6, 10});
  PaintFigure(r, s);
  TTxEllipse e;
  e.FYx = {250, 100};
  e.FHzbj = 70;
  e.FVzbj = 40;
  e.FXzJd = -30;
  e.FPen.Style = psDash;
  e.FFillItem = Pattern(9, {0, 0}, {4, 4});
  PaintFigure(e, s);
  TTxCircle c;
  c.FYx = {400, 100};
  c.FBj = 60;
  c.FFillItem = Pattern(15, {0, 0}, {15, 3});
  PaintFigure(c, s);
  EXPECT_TRUE(s.Image().save(QString::fromLocal8Bit(path)));
}
TEST(FillTiling, EveryShapeOnOneSheetIsClippedToItsOwnOutline) {
  // The clip of one shape is taken away before the next one sets its own.
  Sheet s(480, 200);
  for (int k = 0; k < 3; ++k) {
    TTxEllipse e;
    e.FYx = {80.0 + 160 * k, 100};
    e.FHzbj = 70;
    e.FVzbj = 40;
    e.FFillItem = Pattern(9, {0, 0}, {4, 4});
    PaintFigure(e, s);
    EXPECT_GT(BoxInk(s, 60 + 160 * k, 80, 100 + 160 * k, 120), 100) << "shape " << k;
    EXPECT_FALSE(RedAt(s, 80 + 160 * k - 68, 100 - 38)) << "shape " << k << ": the box's corner";
    EXPECT_FALSE(RedAt(s, 80 + 160 * k + 68, 100 + 38)) << "shape " << k << ": the box's corner";
  }
}
