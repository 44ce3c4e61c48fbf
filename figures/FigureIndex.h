#pragma once
// A uniform grid over the logical rectangles of the figures of each layer of
// a drawing root. It only narrows the search: every figure it names is still
// asked (Intersects when painting, Selected when hit testing), in the same
// order as the plain loops ask them, so the answers are the plain answers.
//
// Entries hold the figures' logical rectangles, which follow the root's view
// state, scale, rotation and origin; the root rebuilds the index whenever
// one of those, the hit factor, a layer list or its change counter differs.

#include "figures/Figure.h"

#include <cstdint>
#include <vector>

class TTxCollectFigure;

// What the index was built for.
struct TFigureIndexKey {
  int ViewState = 0;
  double Scale = 0, Xzjd = 0, Absx = 0, Absy = 0, Ydx = 0, Ydy = 0;
  double Factor = 0;
  std::uint64_t Generation = 0;
  std::vector<const TTxCollectFigure*> Lists;
  std::vector<int> Counts;
  friend bool operator==(const TFigureIndexKey&, const TFigureIndexKey&) = default;
};

class TFigureIndex {
public:
  TFigureIndex(const std::vector<TTxCollectFigure*>& Layers, double Factor);

  // The figures of layer Layer whose rectangle meets Clip (logical), from
  // the last to the first as a layer paints; false when the clip covers so
  // much of the layer that a plain loop is cheaper.
  bool PaintCandidates(int Layer, const TRect& Clip, std::vector<TCustomFigure*>& Out) const;
  // The figures of layer Layer whose rectangle meets R, edges included, from
  // the last to the first; false as for PaintCandidates.
  bool RectCandidates(int Layer, const TRect& R, std::vector<TCustomFigure*>& Out) const;
  // The figures of layer Layer that may be hit at P, first to last.
  void HitCandidates(int Layer, Tpt P, std::vector<TCustomFigure*>& Out) const;

private:
  struct TEntry {
    TCustomFigure* Figure;
    TRect Paint;  // normalised position rectangle
    TDBox Hit;    // where Selected can be true; Known false: anywhere
    bool Known;
  };
  struct TGrid {
    std::vector<TEntry> Entries;   // in list order
    std::vector<int> Anywhere;     // entries without hit bounds, ascending
    std::int64_t X0 = 0, Y0 = 0;   // logical origin of cell (0, 0)
    std::int64_t Cell = 1;         // cell side, logical units
    int Cols = 0, Rows = 0;
    std::vector<int> Start;        // per cell, into Cells; Cols * Rows + 1 values
    std::vector<int> Cells;        // entry numbers, ascending within a cell
  };
  static void Build(TGrid& G, TTxCollectFigure& List, double Factor);
  // Entries whose rectangle passes Keep, over the cells of R, last first.
  template <typename TKeep>
  bool Gather(int Layer, const TRect& R, TKeep Keep, std::vector<TCustomFigure*>& Out) const;
  std::vector<TGrid> FGrids;
  mutable std::vector<std::uint32_t> FStamp;
  mutable std::uint32_t FStampValue = 0;
};
