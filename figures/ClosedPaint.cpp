#include "figures/ClosedPaint.h"

#include "figures/FigureSet.h"
#include "platform/Bitmap.h"
#include "platform/Region.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace {

// Above this many pixels a screen tile is drawn as vectors, like on a
// printer: a pattern block seen from very close would need a bitmap larger
// than the view.
constexpr double kMaxTilePixels = 4.0e6;
// Tiny tiles are gathered into a bitmap at least this wide and high, so one
// copy covers many cells.
constexpr int kMinCopySide = 64;

TRect BoxOf(const TPoint* Points, int Count) {
  TRect r{Points[0].x, Points[0].y, Points[0].x, Points[0].y};
  for (int i = 1; i < Count; ++i) {
    r.Left = std::min(r.Left, Points[i].x);
    r.Top = std::min(r.Top, Points[i].y);
    r.Right = std::max(r.Right, Points[i].x);
    r.Bottom = std::max(r.Bottom, Points[i].y);
  }
  return r;
}

// The outline cut to Box (Sutherland-Hodgman). Inside the box the winding
// numbers stay those of the whole outline, and a region is then built from a
// polygon no larger than what can be seen, however large the figure.
std::vector<TPoint> ClipToBox(const TPoint* Points, int Count, const TRect& Box) {
  std::vector<Tpt> poly;
  for (int i = 0; i < Count; ++i) poly.push_back({double(Points[i].x), double(Points[i].y)});
  auto cut = [&poly](auto Inside, auto Cross) {
    std::vector<Tpt> out;
    const std::size_t n = poly.size();
    for (std::size_t i = 0; i < n; ++i) {
      const Tpt a = poly[i], b = poly[(i + 1) % n];
      const bool ina = Inside(a), inb = Inside(b);
      if (ina) out.push_back(a);
      if (ina != inb) out.push_back(Cross(a, b));
    }
    poly = std::move(out);
  };
  auto atX = [](double X) {
    return [X](Tpt a, Tpt b) { return Tpt{X, a.y + (b.y - a.y) * (X - a.x) / (b.x - a.x)}; };
  };
  auto atY = [](double Y) {
    return [Y](Tpt a, Tpt b) { return Tpt{a.x + (b.x - a.x) * (Y - a.y) / (b.y - a.y), Y}; };
  };
  const double l = Box.Left, t = Box.Top, r = Box.Right, b = Box.Bottom;
  cut([l](Tpt p) { return p.x >= l; }, atX(l));
  cut([r](Tpt p) { return p.x <= r; }, atX(r));
  cut([t](Tpt p) { return p.y >= t; }, atY(t));
  cut([b](Tpt p) { return p.y <= b; }, atY(b));
  std::vector<TPoint> out;
  for (Tpt p : poly) out.push_back(ptodp(p));
  return out;
}

TRect Intersection(const TRect& A, const TRect& B) {
  return {std::max(A.Left, B.Left), std::max(A.Top, B.Top), std::min(A.Right, B.Right), std::min(A.Bottom, B.Bottom)};
}

// The cells [First, Last] of a grid starting at Origin with cells of Size
// that meet [Lo, Hi], within 0..Count.
void VisibleCells(double Origin, double Size, double Lo, double Hi, std::int64_t Count, std::int64_t& First,
                  std::int64_t& Last) {
  First = std::max<std::int64_t>(0, std::int64_t(std::floor((Lo - Origin) / Size)) - 1);
  Last = std::min<std::int64_t>(Count, std::int64_t(std::floor((Hi - Origin) / Size)));
}

// Puts back what tiling changes on the fill item, whatever happens.
class TFillItemState {
public:
  explicit TFillItemState(TCustomFigureSet& Item)
      : FItem(Item), FParent(Item.FParent), FScale(Item.FScale), FYd(Item.FYd) {}
  ~TFillItemState() {
    FItem.FParent = FParent;
    FItem.FScale = FScale;
    FItem.FYd = FYd;
  }
  TFillItemState(const TFillItemState&) = delete;
  TFillItemState& operator=(const TFillItemState&) = delete;

private:
  TCustomFigureSet& FItem;
  TCustomFigureSet* FParent;
  double FScale;
  Tpt FYd;
};

// The block drawn as vectors at every visible cell. The reference point is
// set directly: the tiles are no edit of the drawing, nothing is notified.
void TileVectors(TCustomFigureSet& Fill, TShowPlace& ShowPlace, const TRect& R, const TRect& Clip, double Cw,
                 double Ch, std::int32_t W, std::int32_t H) {
  const double dx = Fill.GetWidth() * Fill.GetScale(), dy = Fill.GetHeight() * Fill.GetScale();
  const Tpt start = Fill.xyTransAbsPt(R.Left, R.Top);
  std::int64_t i0, i1, j0, j1;
  VisibleCells(R.Left, Cw, Clip.Left, Clip.Right, (std::int64_t(R.Right) - R.Left) / W, i0, i1);
  VisibleCells(R.Top, Ch, Clip.Top, Clip.Bottom, (std::int64_t(R.Bottom) - R.Top) / H, j0, j1);
  TFillItemState keep(Fill);
  for (std::int64_t i = i0; i <= i1; ++i)
    for (std::int64_t j = j0; j <= j1; ++j) {
      Fill.FYd = {start.x + double(i) * dx, start.y + double(j) * dy};
      Fill.Draw(ShowPlace);
    }
}

// One tile rendered into a bitmap, then copied over every visible cell.
void TileBitmap(TCustomFigureSet& Fill, TShowPlace& ShowPlace, const TRect& R, const TRect& Clip, std::int32_t W,
                std::int32_t H) {
  TBitmap tile(W, H);
  {
    std::unique_ptr<TCanvas> tc = CreateBitmapCanvas(tile);
    // The views' y-up orientation.
    tc->SetMapMode(MM_ANISOTROPIC);
    tc->SetViewportExtEx(2540, -2540);
    tc->SetWindowExtEx(2540, 2540);
    tc->SetWindowOrgEx(0, H);
    // Detached, the block's own frame is the bitmap's; the scale of the frame
    // it hangs in keeps it as large as its cells.
    TFillItemState keep(Fill);
    const double frameScale = Fill.GetAbsParentScale();
    Fill.FParent = nullptr;
    Fill.FScale = Fill.FScale * frameScale;
    Fill.FYd = {0, 0};
    Fill.DrawDC(*tc, ShowPlace.View, TRect{0, 0, W, H});
  }
  // Small tiles are repeated into one larger bitmap first.
  const int kx = std::max(1, (kMinCopySide + W - 1) / W), ky = std::max(1, (kMinCopySide + H - 1) / H);
  TBitmap copy;
  if (kx > 1 || ky > 1) {
    copy.SetSize(W * kx, H * ky);
    for (int y = 0; y < copy.Height(); ++y)
      for (int x = 0; x < copy.Width(); ++x) copy.SetPixel(x, y, tile.Pixel(x % W, y % H));
  } else {
    copy = tile;
  }
  const std::int64_t cw = std::int64_t(W) * kx, ch = std::int64_t(H) * ky;
  std::int64_t i0, i1, j0, j1;
  VisibleCells(R.Left, double(cw), Clip.Left, Clip.Right, (std::int64_t(R.Right) - R.Left) / cw, i0, i1);
  VisibleCells(R.Top, double(ch), Clip.Top, Clip.Bottom, (std::int64_t(R.Bottom) - R.Top) / ch, j0, j1);
  TCanvas& cv = *ShowPlace.cvs;
  for (std::int64_t i = i0; i <= i1; ++i)
    for (std::int64_t j = j0; j <= j1; ++j)
      // The bitmap's top row is the tile's top: copied upside down onto the y-up grid.
      cv.StretchBlt(std::int32_t(R.Left + cw * i), std::int32_t(R.Top + ch * j), std::int32_t(cw), std::int32_t(ch),
                    copy, 0, copy.Height(), copy.Width(), -copy.Height(), SRCCOPY);
}

bool FillTileSize(const TCustomFigureSet& Fill, double& Cw, double& Ch, std::int32_t& W, std::int32_t& H) {
  Cw = Fill.TransLogV(Fill.GetScale() * Fill.GetWidth());
  Ch = Fill.TransLogV(Fill.GetScale() * Fill.GetHeight());
  // Far out (the navigator always) a cell rounds to nothing, as does a
  // pattern of no size; the grid would divide by it.
  if (!(Cw >= 0.5) || !(Ch >= 0.5) || !std::isfinite(Cw) || !std::isfinite(Ch)) return false;
  W = ptodp({Cw, 0}).x;
  H = ptodp({Ch, 0}).x;
  return W >= 1 && H >= 1;
}

// The tiles over R that meet Clip (logical) and the asked clip rectangle.
void TileClipped(TCustomFigureSet& Fill, TShowPlace& ShowPlace, const TRect& R, TRect Clip, double Cw, double Ch,
                 std::int32_t W, std::int32_t H) {
  if (!ShowPlace.AClipRect.IsEmpty()) {
    TRect asked = ShowPlace.AClipRect;
    Clip = Intersection(Clip, ExpandRect(asked, 0));
  }
  if (Clip.IsEmpty()) return;
  if (ShowPlace.cvs->GetDeviceCaps(TECHNOLOGY) == DT_RASPRINTER || double(W) * double(H) > kMaxTilePixels)
    TileVectors(Fill, ShowPlace, R, Clip, Cw, Ch, W, H);
  else
    TileBitmap(Fill, ShowPlace, R, Clip, W, H);
}

}  // namespace

void DrawClosedStroke(const TCustomFigure& Figure, TCanvas& Canvas, const TPoint* Points, int Count, bool Fill) {
  if (!Points || Count < 2) return;
  if (Fill && Figure.FBrush.Style != bsClear) {
    Canvas.BeginPath();
    Canvas.Polygon(Points, Count);
    Canvas.EndPath();
    Canvas.FillPath();
  }
  if (Figure.FPen.Style != psClear) StrokeStyled(Canvas, Points, Count, Figure.FPen.Style);
}

void PaintClosedOutline(TCustomFigure& Figure, TShowPlace& ShowPlace, const TPoint* Points, int Count) {
  if (!ShowPlace.cvs || !Points || Count < 2) return;
  TCanvas& cv = *ShowPlace.cvs;
  TCustomFigureSet* fill = Figure.FFillItem.get();
  double cw = 0, ch = 0;
  std::int32_t w = 0, h = 0;
  if (!fill || !FillTileSize(*fill, cw, ch, w, h)) {
    DrawClosedStroke(Figure, cv, Points, Count, true);
    return;
  }
  const TRect R = BoxOf(Points, Count);
  {
    TDCSaver saver(cv);
    TRect view;
    std::vector<TPoint> outline;
    if (cv.GetClipBox(view) != NULLREGION) {
      // A margin, so the cut edges of the outline stay out of sight.
      ExpandRect(view, 2);
      outline = ClipToBox(Points, Count, view);
    }
    TRect clip;
    if (outline.size() >= 3) {
      cv.LPtoDP(outline.data(), int(outline.size()));
      const TRegion rgn = CreatePolygonRgn(outline.data(), int(outline.size()), WINDING);
      if (cv.ExtSelectClipRgn(&rgn, RGN_AND) == NULLREGION || cv.GetClipBox(clip) == NULLREGION) clip = {};
    }
    TileClipped(*fill, ShowPlace, R, clip, cw, ch, w, h);
  }
  DrawClosedStroke(Figure, cv, Points, Count, false);
}

bool TileFillItem(TCustomFigure& Figure, TShowPlace& ShowPlace, const TRect& Box) {
  TCustomFigureSet* fill = Figure.FFillItem.get();
  double cw = 0, ch = 0;
  std::int32_t w = 0, h = 0;
  if (!ShowPlace.cvs || !fill || !FillTileSize(*fill, cw, ch, w, h)) return false;
  TRect clip;
  if (ShowPlace.cvs->GetClipBox(clip) == NULLREGION) return true;
  TRect r = Box;
  TileClipped(*fill, ShowPlace, ExpandRect(r, 0), clip, cw, ch, w, h);
  return true;
}
