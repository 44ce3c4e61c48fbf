#pragma once
// The four figures built on a circle: the open arc ("弧线"), the sector
// ("扇形"), the circular segment ("弦形") and the bar ("杆形", a band of
// constant width along a segment or an arc). The closed three keep their
// outline in TCustomWdbxFigure's FPWdbx. Angles are radians counter-clockwise
// from +x; FBj is the radius divided by the figure's scale. The property
// dialogs' models sit here too.

#include "figures/LineFigures.h"
#include "figures/WdbxFigure.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string>

// The sweep from Qj to Zj in the sense Direction (1 counter-clockwise),
// the angles taken modulo a turn.
double ArcSweep(double Qj, double Zj, std::int32_t Direction);
// The angle half way along that sweep.
double ArcMiddleAngle(double Qj, double Zj, std::int32_t Direction);
// Whether the direction A lies on the sweep (ends included).
bool AngleOnSweep(double A, double Qj, double Zj, std::int32_t Direction);

class TCustomArc : public TCustomFigure {
  PLANDECK_DECLARE_CLASS(TCustomArc)
public:
  explicit TCustomArc(TMyPersistent* AOwner = nullptr);

  void ReadData(TReader& Reader) override;
  void WriteData(TWriter& Writer) override;
  void AssignTo(TPersistent& Dest) const override;
  void Refresh() override;
  void CalcPositionRect(TRect& Rect) const override;
  void Paint(TShowPlace& ShowPlace) override;
  bool Selected(Tpt P, double Factor) const override;
  bool HitBounds(double Factor, TDBox& Box) const override;
  int GetHandleCount() const override { return 3; }
  void GetHandle(int Index, TPoint& P) const override;
  void MoveHandleTo(int Index, TPoint P) override;
  void MoveByOffset(double Dx, double Dy) override;
  void SetRefPoint(double X, double Y) override;
  using TCustomFigure::CreateByRefPoint;
  // Start, a point on the arc, end (local); anything else, or three points
  // on a line, changes nothing.
  void CreateByRefPoint(std::span<const Tpt> Points);
  void Explode(TCustomFigureSet& Set) override;
  void FigureMirror(TBx Line) override;
  bool GetCapturePoint(Tpt& P, TPointLx& Kind, TFigureView* View, TPoint CursorPt,
                       TPointLxSet KindSet) override;

  void SetYx(Tpt Value);
  // The radius and angle setters do nothing for an unchanged value.
  void SetBj(double Value);
  void SetQj(double Value);
  void SetZj(double Value);
  void SetDirection(std::int32_t Value);
  double GetSumjd() const { return ArcSweep(FQj, FZj, FDirection); }
  double Radius() const { return GetScale() * FBj; }
  Tpt StartPoint() const;
  Tpt EndPoint() const;
  Tpt MiddlePoint() const;

  Tpt FYx;
  double FBj = 0;
  double FQj = 0;
  double FZj = 0;
  std::int32_t FDirection = 1;
  // One arc edge, rebuilt by Refresh; none while the radius is not above zero.
  TWorkDbxbxList FPWLine;
};

class TTxArc : public TCustomArc {
  PLANDECK_DECLARE_CLASS(TTxArc)
public:
  explicit TTxArc(TMyPersistent* AOwner = nullptr) : TCustomArc(AOwner) {}
  std::unique_ptr<TDocItem> Clone() const override;
};

// What the sector and the segment share: the circle, the sweep, the three
// handles and their rotation. Not a saved class of its own.
class TArcWdbxFigure : public TCustomWdbxFigure {
  PLANDECK_DECLARE_CLASS(TArcWdbxFigure)
public:
  explicit TArcWdbxFigure(TMyPersistent* AOwner = nullptr);

  void ReadData(TReader& Reader) override;
  void WriteData(TWriter& Writer) override;
  void AssignTo(TPersistent& Dest) const override;
  void Refresh() override;
  int GetHandleCount() const override { return 3; }
  void GetHandle(int Index, TPoint& P) const override;
  void MoveHandleTo(int Index, TPoint P) override;
  void RotateHandleTo(int Index, TPoint P) override;
  void MoveByOffset(double Dx, double Dy) override;
  void SetRefPoint(double X, double Y) override;
  using TCustomFigure::CreateByRefPoint;
  void CreateByRefPoint(std::span<const Tpt> Points);
  void Explode(TCustomFigureSet& Set) override;
  void FigureMirror(TBx Line) override;
  bool GetCapturePoint(Tpt& P, TPointLx& Kind, TFigureView* View, TPoint CursorPt,
                       TPointLxSet KindSet) override;

  void Setbj(double Value);
  void SetDirection(std::int32_t Value);
  double GetSumjd() const { return ArcSweep(FQj, FZj, FDirection); }
  double Radius() const { return GetScale() * FBj; }
  virtual void CreateWdbxByDDList() = 0;
  virtual double GetZc() const = 0;

  double FQj = 0;
  double FZj = 0;
  Tpt FYx;
  double FBj = 1000;
  std::int32_t FDirection = 0;

protected:
  bool CentrePoint(Tpt& P) const override;
  // The arc edge of the outline, or false while the radius makes no circle.
  bool ArcEdge(TWorkDbxbx& E) const;
};

class TCustomChord : public TArcWdbxFigure {
  PLANDECK_DECLARE_CLASS(TCustomChord)
public:
  explicit TCustomChord(TMyPersistent* AOwner = nullptr);
  void CreateWdbxByDDList() override;
  // The arc and the two radii.
  double GetZc() const override;
  double GetMj() const;
};

class TTxChord : public TCustomChord {
  PLANDECK_DECLARE_CLASS(TTxChord)
public:
  explicit TTxChord(TMyPersistent* AOwner = nullptr) : TCustomChord(AOwner) {}
  std::unique_ptr<TDocItem> Clone() const override;
};

class TCustomCirpart : public TArcWdbxFigure {
  PLANDECK_DECLARE_CLASS(TCustomCirpart)
public:
  explicit TCustomCirpart(TMyPersistent* AOwner = nullptr);
  void CreateWdbxByDDList() override;
  // The arc and its chord.
  double GetZc() const override;
};

class TTxCirpart : public TCustomCirpart {
  PLANDECK_DECLARE_CLASS(TTxCirpart)
public:
  explicit TTxCirpart(TMyPersistent* AOwner = nullptr) : TCustomCirpart(AOwner) {}
  std::unique_ptr<TDocItem> Clone() const override;
};

class TCustomRectArc : public TCustomWdbxFigure {
  PLANDECK_DECLARE_CLASS(TCustomRectArc)
public:
  explicit TCustomRectArc(TMyPersistent* AOwner = nullptr);

  void ReadData(TReader& Reader) override;
  void WriteData(TWriter& Writer) override;
  void AssignTo(TPersistent& Dest) const override;
  void Refresh() override;
  int GetHandleCount() const override { return 3; }
  void GetHandle(int Index, TPoint& P) const override;
  void MoveHandleTo(int Index, TPoint P) override;
  void MoveByOffset(double Dx, double Dy) override;
  void SetRefPoint(double X, double Y) override;
  using TCustomFigure::CreateByRefPoint;
  // The two ends of the centre line (local); the width keeps its size on screen.
  void CreateByRefPoint(std::span<const Tpt> Points);
  void Explode(TCustomFigureSet& Set) override;
  void FigureMirror(TBx Line) override;

  void SetQd(Tpt Value);
  void SetZd(Tpt Value);
  void SetYx(Tpt Value);
  void SetWidth(double Value);
  void Setbj(double Value);
  void SetLx(TBxlx Value);
  void SetDirection(std::int32_t Value);
  void CreateWdbxByDDList();
  std::unique_ptr<TWorkDbx> CalArcWorkDbx() const;
  std::unique_ptr<TWorkDbx> CalLineWorkDbx() const;

  Tpt FQd;
  Tpt FZd;
  double FWidth = 15;
  Tpt FYx;
  double FBj = 0;
  TBxlx FLx = blLine;
  std::int32_t FDirection = 0;

protected:
  bool CentrePoint(Tpt& P) const override;
};

class TTxRectArc : public TCustomRectArc {
  PLANDECK_DECLARE_CLASS(TTxRectArc)
public:
  explicit TTxRectArc(TMyPersistent* AOwner = nullptr) : TCustomRectArc(AOwner) {}
  std::unique_ptr<TDocItem> Clone() const override;
};

void RegisterArcClasses();

// ---- property dialogs' models
//
// Lengths "%1.3f" in user units, angles in whole degrees ("%d 度"). OK takes
// the pen, the line width, then the fields in the order they are declared;
// the first that does not convert ends the update. A radius not above zero
// does not convert: an arc of no radius has no direction and a curved bar
// divides by its radius.

struct TArcProperties : TLineCommonProperties {
  std::string YxX, YxY, Bj, Qj, Zj;
  int Direction = 1;  // 1 counter-clockwise ("逆时针"), 0 clockwise
};

struct TRectArcProperties : TLineCommonProperties {
  std::string QdX, QdY, ZdX, ZdY, Width;
  int Lx = blLine;
  std::string YxX, YxY, Bj;
  int Direction = 0;
};

TArcProperties GetArcProperties(const TCustomArc& F);
void SetArcProperties(TCustomArc& F, const TArcProperties& P);
TArcProperties GetArcProperties(const TArcWdbxFigure& F);
void SetArcProperties(TArcWdbxFigure& F, const TArcProperties& P);
TRectArcProperties GetRectArcProperties(const TCustomRectArc& F);
void SetRectArcProperties(TCustomRectArc& F, const TRectArcProperties& P);

// "%d 度" of an angle in radians, and the degrees back from such text.
std::string DegreeText(double Radians);
bool ParseDegrees(const std::string& Text, double& Radians);

// What the dialogs show while the fields are edited, from the fields as
// typed; empty while a field does not convert. Kind: 0 arc, 1 sector, 2 segment.
struct TArcMeasures {
  std::string Sumjd, Perimeter, Area;
};
TArcMeasures ArcMeasures(const TArcProperties& P, int Kind);
TArcMeasures RectArcMeasures(const TCustomRectArc& F, const TRectArcProperties& P);
