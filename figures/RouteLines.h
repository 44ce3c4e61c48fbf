#pragma once
// The utility route lines drawn along a multi-segment line: the double line
// ("双线"), the telecom line ("电讯线"), the electric line ("电线") and the
// railway ("铁路线"). They keep the multi-segment line's vertices, edits and
// saved values, treat every edge as straight, and paint a symbol pattern
// repeated at a spacing along each edge.

#include "figures/MltLine.h"

#include <vector>

class TCustomDoubleLine : public TCustomMltLine {
  PLANDECK_DECLARE_CLASS(TCustomDoubleLine)
public:
  explicit TCustomDoubleLine(TMyPersistent* AOwner = nullptr);

  void AssignTo(TPersistent& Dest) const override;
  void ReadData(TReader& Reader) override;
  void WriteData(TWriter& Writer) override;
  void CalcPositionRect(TRect& Rect) const override;
  void Paint(TShowPlace& ShowPlace) override;
  void AddPoint(Tpt P) override;
  void FigureMirror(TBx Line) override;
  void Explode(TCustomFigureSet& Set) override;
  void DrawLine(Tpt P1, Tpt P2, TCanvas& Canvas) override;

  // The parallel line's pen (hides the figure's SetPen, which sets the main pen).
  void SetPen(const TPen& Pen) { FPen1 = Pen; }
  // The parallel line's vertices (local): offset start, mitred corners, end.
  std::vector<Tpt> ParallelPoints() const;

  double FGap = 0;  // signed offset towards each edge's angle - 90 degrees
  TPen FPen1;       // pen of the parallel line
  bool FIsDrawingMain = true;

protected:
  double HitTolerance() const override;
};

class TDoubleLine : public TCustomDoubleLine {
  PLANDECK_DECLARE_CLASS(TDoubleLine)
public:
  explicit TDoubleLine(TMyPersistent* AOwner = nullptr) : TCustomDoubleLine(AOwner) {}
  std::unique_ptr<TDocItem> Clone() const override;
};

class TCustomDxLine : public TCustomMltLine {
  PLANDECK_DECLARE_CLASS(TCustomDxLine)
public:
  explicit TCustomDxLine(TMyPersistent* AOwner = nullptr);

  void AssignTo(TPersistent& Dest) const override;
  void ReadData(TReader& Reader) override;
  void WriteData(TWriter& Writer) override;
  void CalcPositionRect(TRect& Rect) const override;
  void Paint(TShowPlace& ShowPlace) override;
  void AddPoint(Tpt P) override;

  // Below this the circles would overlap; painting uses it instead.
  static constexpr double MinGap = 15;
  double FGap = 0;  // spacing of the circles, logical units

protected:
  double HitTolerance() const override;
};

class TDxLine : public TCustomDxLine {
  PLANDECK_DECLARE_CLASS(TDxLine)
public:
  explicit TDxLine(TMyPersistent* AOwner = nullptr) : TCustomDxLine(AOwner) {}
  std::unique_ptr<TDocItem> Clone() const override;
};

class TCustomDLine : public TCustomMltLine {
  PLANDECK_DECLARE_CLASS(TCustomDLine)
public:
  explicit TCustomDLine(TMyPersistent* AOwner = nullptr);

  void AssignTo(TPersistent& Dest) const override;
  void ReadData(TReader& Reader) override;
  void WriteData(TWriter& Writer) override;
  void CalcPositionRect(TRect& Rect) const override;
  void Paint(TShowPlace& ShowPlace) override;
  void AddPoint(Tpt P) override;

  static constexpr double MinGap = 24;
  double FGap = 0;       // spacing of the circles, logical units
  std::int32_t FLx = 0;  // 0 low voltage (single chevrons), 1 high voltage (double)

protected:
  double HitTolerance() const override;
};

class TDLine : public TCustomDLine {
  PLANDECK_DECLARE_CLASS(TDLine)
public:
  explicit TDLine(TMyPersistent* AOwner = nullptr) : TCustomDLine(AOwner) {}
  std::unique_ptr<TDocItem> Clone() const override;
};

class TCustomTrailLine : public TCustomMltLine {
  PLANDECK_DECLARE_CLASS(TCustomTrailLine)
public:
  explicit TCustomTrailLine(TMyPersistent* AOwner = nullptr);

  void AssignTo(TPersistent& Dest) const override;
  void ReadData(TReader& Reader) override;
  void WriteData(TWriter& Writer) override;
  void CalcPositionRect(TRect& Rect) const override;
  void Paint(TShowPlace& ShowPlace) override;
  void AddPoint(Tpt P) override;
  void Explode(TCustomFigureSet& Set) override;

  double FGap = 0;    // length of one hexagon, in the figure's own units
  double FWidth = 0;  // width parameter of the band

protected:
  double HitTolerance() const override;
};

class TTrailLine : public TCustomTrailLine {
  PLANDECK_DECLARE_CLASS(TTrailLine)
public:
  explicit TTrailLine(TMyPersistent* AOwner = nullptr) : TCustomTrailLine(AOwner) {}
  std::unique_ptr<TDocItem> Clone() const override;
};

// Symbols a route line paints at most per edge: a view zoomed out over a
// very long line shows no more than this many.
inline constexpr std::int64_t kMaxRouteSymbols = 100000;

void RegisterRouteLineClasses();
