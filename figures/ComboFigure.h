#pragma once
// The combined figure ("图块", dialog "定义组合块属性"): closed figures kept
// whole as members and merged into one area by a region operation, 1 the
// intersection, 2 the union, 4 the first member less the others. It is
// filled, tiled and outlined as one area and can be broken apart again.
//
// The area is worked out from the members whenever it is needed and no
// current one is kept: painting keeps the device area per device mapping
// (a pan only moves it), and hit tests use the area of the last paint in a
// drawing view, or one worked out on the spot.

#include "figures/Blocks.h"
#include "platform/Region.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

enum TComboStyle : std::int32_t { csIntersect = 1, csUnion = 2, csSubtract = 4 };

class TComboFigure : public TFramedFigureSet {
  PLANDECK_DECLARE_CLASS(TComboFigure)
public:
  explicit TComboFigure(TMyPersistent* AOwner = nullptr);
  ~TComboFigure() override;

  void ReadData(TReader& Reader) override;
  void WriteData(TWriter& Writer) override;
  void AssignTo(TPersistent& Dest) const override;
  std::unique_ptr<TDocItem> Clone() const override;
  void Refresh() override;
  void Loaded() override;
  void Invalidate() override;
  void CalcPositionRect(TRect& Rect) const override;
  void Paint(TShowPlace& ShowPlace) override;
  // Logical: the members' logical regions combined.
  std::unique_ptr<TRegion> GetRegion() override;
  // Device: the members' client regions on DC combined.
  std::unique_ptr<TRegion> GetClientRegion(TCanvas& DC) override;
  bool Selected(Tpt P, double Factor) const override;
  bool GetCapturePoint(Tpt& P, TPointLx& Kind, TFigureView* View, TPoint CursorPt, TPointLxSet KindSet) override;
  void SetXzjd(double Value) override;

  // The region operation of the mode (RGN_AND, RGN_OR or RGN_DIFF).
  int CombineMode() const;
  // How many times the area was built from the members (memory only).
  std::uint64_t AreaBuilds() const { return FAreaBuilds; }

  std::int32_t FStyle = csUnion;

  // What a device area was built under: the mapping and the state of the
  // members' frame; an area is current while both still hold.
  struct TMapping {
    int MapMode = 0;
    TPoint WindowOrg, ViewportOrg;
    TSize WindowExt, ViewportExt;
  };
  struct TAreaKey {
    double s = 0, c = 0, sn = 0, ox = 0, oy = 0;
    std::uint64_t Generation = 0;
    bool operator==(const TAreaKey&) const = default;
  };

private:
  struct TCachedArea {
    TAreaKey Key;
    TMapping Map;
    TRegion Rgn;
  };
  // The key of the present state; false when nothing tells a change (no root).
  bool CurrentKey(TAreaKey& Key) const;
  // The device area for DC, from the cache when it holds one for this state.
  TRegion DeviceArea(TCanvas& DC, bool FromDrawingView);
  // The logical area for hit tests and snapping.
  const TRegion& LogicalArea() const;
  bool InArea(Tpt LogicalPoint) const;
  void DropAreas();

  std::vector<TCachedArea> FAreas;  // most recent first
  // The area of the last paint in a drawing view (FRgn).
  std::unique_ptr<TCachedArea> FRgn;
  mutable std::unique_ptr<TCachedArea> FLogArea;
  mutable std::uint64_t FAreaBuilds = 0;
};

// Whether Figure may be a member: the arc-edged closed figures, the circle,
// the ellipse, the rounded rectangle and combined figures.
bool CanCombine(const TCustomFigure& Figure);

void RegisterComboClasses();

// The dialog's model: origin, scaled length and width in user units, angle.
struct TComboProperties {
  std::string Ident;
  unsigned PenColor = 0;
  std::string LineWidth;
  int LayerIndex = 0;
  std::string YdX, YdY, Width, Height, Xzjd;
};
TComboProperties GetComboProperties(const TComboFigure& F);
void SetComboProperties(TComboFigure& F, const TComboProperties& P);
