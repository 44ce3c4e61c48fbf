#pragma once
// The spline curve ("样条曲线"): an interpolating B-spline through at most 50
// integer control points.

#include "figures/Figure.h"
#include "foundation/Splines.h"

#include <array>
#include <memory>
#include <vector>

inline constexpr const char* BezierFullMessage = "样条曲线最多只允许画50个端点！";
// Samples of the curve, t = i / BezierSteps for i = 0 .. BezierSteps.
inline constexpr int BezierSteps = 200;

class TCustomBezier : public TCustomFigure {
  PLANDECK_DECLARE_CLASS(TCustomBezier)
public:
  explicit TCustomBezier(TMyPersistent* AOwner = nullptr);

  void ReadData(TReader& Reader) override;
  void WriteData(TWriter& Writer) override;
  void AssignTo(TPersistent& Dest) const override;
  void CalcPositionRect(TRect& Rect) const override;
  int GetHandleCount() const override { return int(FPoints.size()); }
  void GetHandle(int Index, TPoint& P) const override;
  void MoveHandleTo(int Index, TPoint P) override;
  void MoveByOffset(double Dx, double Dy) override;
  void Paint(TShowPlace& ShowPlace) override;
  bool Selected(Tpt P, double Factor) const override;
  bool HitBounds(double Factor, TDBox& Box) const override;
  void Explode(TCustomFigureSet& Set) override;
  void FigureMirror(TBx Line) override;
  bool GetCapturePoint(Tpt& P, TPointLx& Kind, TFigureView* View, TPoint CursorPt,
                       TPointLxSet KindSet) override;

  // The tool's clicks, logical; the 51st is refused with a message.
  void AddPoint(Tpt P);
  int GetPointCount() const { return int(FPoints.size()); }
  TPoint GetPoint(int Index) const { return FPoints.at(std::size_t(Index)); }
  void SetPoint(int Index, TPoint P);
  void SetPoints(const std::vector<TPoint>& Points);

  // The curve's samples in logical units; empty for fewer than 2 points.
  // Only the first 50 points shape it (a file may hold more).
  std::vector<TPoint> Samples() const;

  std::vector<TPoint> FPoints;  // the figure's own frame, whole units
  // Rebuilt from the points whenever the curve is asked for.
  mutable TBSpline Splines1;
};

class TBezier : public TCustomBezier {
  PLANDECK_DECLARE_CLASS(TBezier)
public:
  explicit TBezier(TMyPersistent* AOwner = nullptr) : TCustomBezier(AOwner) {}
  std::unique_ptr<TDocItem> Clone() const override;
};
