#pragma once
// The base of closed figures whose outline is an arc-edged polygon: the
// outline is flattened into a cached logical polygon from which the position
// rectangle, the regions, the hit test and the painting all work.

#include "figures/Figure.h"
#include "foundation/Workdbx.h"

#include <memory>
#include <vector>

class TCustomWdbxFigure : public TCustomFigure {
  PLANDECK_DECLARE_CLASS(TCustomWdbxFigure)
public:
  explicit TCustomWdbxFigure(TMyPersistent* AOwner = nullptr);
  ~TCustomWdbxFigure() override;

  // Empty with fewer than two edges; otherwise the box of the edges (arcs
  // with their quadrant points), and the polygon cache is rebuilt.
  void CalcPositionRect(TRect& Rect) const override;
  void Paint(TShowPlace& ShowPlace) override;
  std::unique_ptr<TRegion> GetRegion() override;
  std::unique_ptr<TRegion> GetClientRegion(TCanvas& DC) override;
  bool Selected(Tpt P, double Factor) const override;
  bool HitBounds(double Factor, TDBox& Box) const override;
  bool GetCapturePoint(Tpt& P, TPointLx& Kind, TFigureView* View, TPoint CursorPt,
                       TPointLxSet KindSet) override;

  // Flattens the outline into FPolyPoints (logical, first point repeated).
  void CalcWdbxPloygon() const;

  // The outline's local bounding box; false with fewer than two edges.
  bool OutlineBox(Tpt& Min, Tpt& Max) const;
  // The middle of an outline edge: half way along a line, the middle angle of an arc.

  std::unique_ptr<TWorkDbx> FPWdbx;
  mutable std::vector<TPoint> FPolyPoints;
  mutable int FArraySize = 0;

protected:
  // Installs a freshly built outline in place of the old one.
  void SetWdbx(std::unique_ptr<TWorkDbx> Outline);
  // A snap point of the figure's own besides the outline's (a centre); false when none.
  virtual bool CentrePoint(Tpt&) const { return false; }
  // An undo step for this figure before an interactive change.
  void BackUpSelf();
};
