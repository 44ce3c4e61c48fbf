#include "figures/FigureIndex.h"

#include "figures/FigureSet.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <functional>

namespace {

// Floor division for negative logical coordinates too.
std::int64_t FloorDiv(std::int64_t a, std::int64_t b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }

}  // namespace

TFigureIndex::TFigureIndex(const std::vector<TTxCollectFigure*>& Layers, double Factor) {
  FGrids.resize(Layers.size());
  std::size_t most = 0;
  for (std::size_t l = 0; l < Layers.size(); ++l) {
    Build(FGrids[l], *Layers[l], Factor);
    most = std::max(most, FGrids[l].Entries.size());
  }
  FStamp.assign(most, 0);
}

void TFigureIndex::Build(TGrid& G, TTxCollectFigure& List, double Factor) {
  const int n = List.Count();
  G.Entries.reserve(std::size_t(n));
  std::int64_t x0 = INT64_MAX, y0 = INT64_MAX, x1 = INT64_MIN, y1 = INT64_MIN;
  // The cells an entry covers: its rectangle and its hit bounds together.
  std::vector<std::array<std::int64_t, 4>> cover(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) {
    TCustomFigure* f = List.Figures(i);
    TEntry e{f, {}, {}, false};
    f->CalcPositionRect(e.Paint);
    ExpandRect(e.Paint, 0);
    e.Known = f->HitBounds(Factor, e.Hit) && std::isfinite(e.Hit.x0) && std::isfinite(e.Hit.y0) &&
              std::isfinite(e.Hit.x1) && std::isfinite(e.Hit.y1) && std::abs(e.Hit.x0) < 1e15 &&
              std::abs(e.Hit.y0) < 1e15 && std::abs(e.Hit.x1) < 1e15 && std::abs(e.Hit.y1) < 1e15;
    std::array<std::int64_t, 4> c{e.Paint.Left, e.Paint.Top, e.Paint.Right, e.Paint.Bottom};
    if (e.Known) {
      c[0] = std::min<std::int64_t>(c[0], std::int64_t(std::floor(e.Hit.x0)));
      c[1] = std::min<std::int64_t>(c[1], std::int64_t(std::floor(e.Hit.y0)));
      c[2] = std::max<std::int64_t>(c[2], std::int64_t(std::ceil(e.Hit.x1)));
      c[3] = std::max<std::int64_t>(c[3], std::int64_t(std::ceil(e.Hit.y1)));
    } else {
      G.Anywhere.push_back(i);
    }
    cover[std::size_t(i)] = c;
    x0 = std::min(x0, c[0]);
    y0 = std::min(y0, c[1]);
    x1 = std::max(x1, c[2]);
    y1 = std::max(y1, c[3]);
    G.Entries.push_back(e);
  }
  if (n == 0) return;
  // About one cell per figure, but no cell narrower than 8 units.
  const double w = double(x1 - x0 + 1), h = double(y1 - y0 + 1);
  std::int64_t cell = std::max<std::int64_t>(8, std::int64_t(std::ceil(std::sqrt(w * h / n))));
  while ((w / double(cell)) * (h / double(cell)) > 4.0 * n + 64) cell *= 2;
  G.Cell = cell;
  G.X0 = x0;
  G.Y0 = y0;
  G.Cols = int((x1 - x0) / cell + 1);
  G.Rows = int((y1 - y0) / cell + 1);
  const std::size_t cells = std::size_t(G.Cols) * std::size_t(G.Rows);
  G.Start.assign(cells + 1, 0);
  auto span = [&G](const std::array<std::int64_t, 4>& c, int& cx0, int& cy0, int& cx1, int& cy1) {
    cx0 = int((c[0] - G.X0) / G.Cell);
    cy0 = int((c[1] - G.Y0) / G.Cell);
    cx1 = int((c[2] - G.X0) / G.Cell);
    cy1 = int((c[3] - G.Y0) / G.Cell);
  };
  for (int i = 0; i < n; ++i) {
    int cx0, cy0, cx1, cy1;
    span(cover[std::size_t(i)], cx0, cy0, cx1, cy1);
    for (int y = cy0; y <= cy1; ++y)
      for (int x = cx0; x <= cx1; ++x) ++G.Start[std::size_t(y) * std::size_t(G.Cols) + std::size_t(x) + 1];
  }
  for (std::size_t k = 0; k < cells; ++k) G.Start[k + 1] += G.Start[k];
  G.Cells.resize(std::size_t(G.Start[cells]));
  std::vector<int> fill(G.Start.begin(), G.Start.end() - 1);
  for (int i = 0; i < n; ++i) {
    int cx0, cy0, cx1, cy1;
    span(cover[std::size_t(i)], cx0, cy0, cx1, cy1);
    for (int y = cy0; y <= cy1; ++y)
      for (int x = cx0; x <= cx1; ++x) G.Cells[std::size_t(fill[std::size_t(y) * std::size_t(G.Cols) + std::size_t(x)]++)] = i;
  }
}

template <typename TKeep>
bool TFigureIndex::Gather(int Layer, const TRect& R, TKeep Keep, std::vector<TCustomFigure*>& Out) const {
  Out.clear();
  const TGrid& G = FGrids[std::size_t(Layer)];
  if (G.Entries.empty()) return true;
  const std::int64_t cx0 = std::max<std::int64_t>(0, FloorDiv(R.Left - G.X0, G.Cell));
  const std::int64_t cy0 = std::max<std::int64_t>(0, FloorDiv(R.Top - G.Y0, G.Cell));
  const std::int64_t cx1 = std::min<std::int64_t>(G.Cols - 1, FloorDiv(R.Right - G.X0, G.Cell));
  const std::int64_t cy1 = std::min<std::int64_t>(G.Rows - 1, FloorDiv(R.Bottom - G.Y0, G.Cell));
  if (cx0 > cx1 || cy0 > cy1) return true;
  // A rectangle over most of the layer: the plain loop visits each figure once.
  if ((cx1 - cx0 + 1) * (cy1 - cy0 + 1) * 4 > std::int64_t(G.Cols) * G.Rows) return false;
  if (++FStampValue == 0) {
    std::fill(FStamp.begin(), FStamp.end(), 0);
    FStampValue = 1;
  }
  std::vector<int> found;
  for (std::int64_t y = cy0; y <= cy1; ++y)
    for (std::int64_t x = cx0; x <= cx1; ++x) {
      const std::size_t k = std::size_t(y) * std::size_t(G.Cols) + std::size_t(x);
      for (int j = G.Start[k]; j < G.Start[k + 1]; ++j) {
        const int i = G.Cells[std::size_t(j)];
        if (FStamp[std::size_t(i)] == FStampValue) continue;
        FStamp[std::size_t(i)] = FStampValue;
        if (Keep(G.Entries[std::size_t(i)].Paint)) found.push_back(i);
      }
    }
  std::sort(found.begin(), found.end(), std::greater<int>());
  Out.reserve(found.size());
  for (int i : found) Out.push_back(G.Entries[std::size_t(i)].Figure);
  return true;
}

bool TFigureIndex::PaintCandidates(int Layer, const TRect& Clip, std::vector<TCustomFigure*>& Out) const {
  TRect c = Clip;
  ExpandRect(c, 0);
  // The test Intersects makes: a common area, not just a common edge.
  return Gather(Layer, c, [&c](const TRect& r) {
    return std::max(r.Left, c.Left) < std::min(r.Right, c.Right) && std::max(r.Top, c.Top) < std::min(r.Bottom, c.Bottom);
  }, Out);
}

bool TFigureIndex::RectCandidates(int Layer, const TRect& R, std::vector<TCustomFigure*>& Out) const {
  TRect c = R;
  ExpandRect(c, 0);
  return Gather(Layer, c, [&c](const TRect& r) {
    return r.Left <= c.Right && c.Left <= r.Right && r.Top <= c.Bottom && c.Top <= r.Bottom;
  }, Out);
}

void TFigureIndex::HitCandidates(int Layer, Tpt P, std::vector<TCustomFigure*>& Out) const {
  Out.clear();
  const TGrid& G = FGrids[std::size_t(Layer)];
  if (G.Entries.empty()) return;
  const std::int64_t px = std::int64_t(std::floor(P.x)), py = std::int64_t(std::floor(P.y));
  const std::int64_t cx = FloorDiv(px - G.X0, G.Cell), cy = FloorDiv(py - G.Y0, G.Cell);
  const int* first = nullptr;
  const int* last = nullptr;
  if (cx >= 0 && cy >= 0 && cx < G.Cols && cy < G.Rows) {
    const std::size_t k = std::size_t(cy) * std::size_t(G.Cols) + std::size_t(cx);
    first = G.Cells.data() + G.Start[k];
    last = G.Cells.data() + G.Start[k + 1];
  }
  // Merge the cell's entries with those that may be hit anywhere, in list order.
  auto a = G.Anywhere.begin();
  while (first != last || a != G.Anywhere.end()) {
    int i;
    if (a == G.Anywhere.end() || (first != last && *first < *a)) {
      i = *first++;
    } else {
      if (first != last && *first == *a) ++first;
      i = *a++;
    }
    const TEntry& e = G.Entries[std::size_t(i)];
    if (e.Known && !(e.Hit.x0 <= P.x && P.x <= e.Hit.x1 && e.Hit.y0 <= P.y && P.y <= e.Hit.y1)) continue;
    Out.push_back(e.Figure);
  }
}
