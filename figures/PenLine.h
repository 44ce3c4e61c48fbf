#pragma once
// The freehand line ("自由曲线"): the sampled mouse positions as a polyline,
// optionally with slanted strokes ("带斜线") at a spacing along it.

#include "figures/Figure.h"

#include <memory>
#include <vector>

class TCustomPenLine : public TCustomFigure {
  PLANDECK_DECLARE_CLASS(TCustomPenLine)
public:
  explicit TCustomPenLine(TMyPersistent* AOwner = nullptr);

  void ReadData(TReader& Reader) override;
  void WriteData(TWriter& Writer) override;
  void AssignTo(TPersistent& Dest) const override;
  void CalcPositionRect(TRect& Rect) const override;
  int GetHandleCount() const override { return FPoints.empty() ? 0 : 2; }
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

  // The freehand tool's samples, logical; closer than 4 units to the last is dropped.
  void AddPoint(Tpt P);
  int GetPointCount() const { return int(FPoints.size()); }
  Tpt GetPoint(int Index) const { return FPoints.at(std::size_t(Index)); }
  void SetPoint(int Index, Tpt P);
  void SetPoints(const std::vector<Tpt>& Points);
  // The total length of the segments.
  double GetZc() const;

  std::vector<Tpt> FPoints;
  double FJd;  // stroke angle to the segment, radians
  double FLength1 = 10;
  double FLength2 = 10;
  double FGap = 10;
  bool FXLine = false;

private:
  void PaintStrokes(TCanvas& Canvas);
};

class TPenLine : public TCustomPenLine {
  PLANDECK_DECLARE_CLASS(TPenLine)
public:
  explicit TPenLine(TMyPersistent* AOwner = nullptr) : TCustomPenLine(AOwner) {}
  std::unique_ptr<TDocItem> Clone() const override;
};
