#pragma once
// The three closed shapes that keep their outline as a fixed array of
// logical points: the rounded rectangle ("圆角矩形", 41 points, ten per
// corner arc), the ellipse ("椭圆", 36 points) and the circle ("圆形", 61
// points). Each is filled, tiled with its fill item and outlined through
// PaintClosedOutline. The abstract classes hold everything; the TTx classes
// add only Clone. The property dialogs' models sit here too.

#include "figures/Figure.h"
#include "figures/LineFigures.h"
#include "foundation/Workdbx.h"

#include <array>
#include <memory>
#include <span>
#include <string>

// What the three share: the logical outline, hit bounds, regions, paint.
class TPointOutlineShape : public TCustomFigure {
  PLANDECK_DECLARE_CLASS(TPointOutlineShape)
public:
  explicit TPointOutlineShape(TMyPersistent* AOwner = nullptr) : TCustomFigure(AOwner) {}

  void CalcPositionRect(TRect& Rect) const override;
  bool HitBounds(double Factor, TDBox& Box) const override;
  std::unique_ptr<TRegion> GetRegion() override;
  std::unique_ptr<TRegion> GetClientRegion(TCanvas& DC) override;
  void Paint(TShowPlace& ShowPlace) override;
  void MoveByOffset(double Dx, double Dy) override;

  // The closed outline in logical points, first point repeated at the end.
  virtual std::vector<TPoint> Outline() const = 0;
  // The outline as a straight-edged outline, for the hit test.
  std::unique_ptr<TWorkDbx> GetWDbx() const;
  // Where the shape is centred (local); the reference point.
  virtual Tpt Centre() const = 0;

protected:
  // The centre moved to C, under the change protocol.
  virtual void MoveCentre(Tpt C) = 0;
  // The mouse point P (logical) in the shape's own frame: relative to the
  // centre, turned back by the rotation.
  Tpt InShapeFrame(TPoint P) const;
  Tpt LogPt(Tpt Local) const { return xyTransLogPt(Local.x, Local.y); }
  // Snapping to the nearest point of the outline (local points, closed).
  bool NearOutline(const Tpt* Local, int Count, TPoint CursorPt, Tpt& P) const;
};

class TCustomRoundRect : public TPointOutlineShape {
  PLANDECK_DECLARE_CLASS(TCustomRoundRect)
public:
  explicit TCustomRoundRect(TMyPersistent* AOwner = nullptr);

  void ReadData(TReader& Reader) override;
  void WriteData(TWriter& Writer) override;
  void AssignTo(TPersistent& Dest) const override;
  int GetHandleCount() const override { return 9; }
  void GetHandle(int Index, TPoint& P) const override;
  void MoveHandleTo(int Index, TPoint P) override;
  void RotateHandleTo(int Index, TPoint P) override;
  void SetRefPoint(double X, double Y) override;
  bool Selected(Tpt P, double Factor) const override;
  void Explode(TCustomFigureSet& Set) override;
  void FigureMirror(TBx Line) override;
  bool GetCapturePoint(Tpt& P, TPointLx& Kind, TFigureView* View, TPoint CursorPt,
                       TPointLxSet KindSet) override;
  void CreateByRefPoint(TTxCollectFound& Points) override;
  // Points local to the parent; the first two are the clicked corners.
  void CreateByRefPoint(std::span<const Tpt> Points);

  std::vector<TPoint> Outline() const override;
  Tpt Centre() const override { return FYd; }
  // FPPoints from the current values.
  void CalculatePoints() const;
  // The 41 outline points in the local frame.
  std::array<Tpt, 41> LocalPoints() const;
  // A handle's offset from the centre before rotation and scale.
  Tpt HandleOffset(int Index) const;

  Tpt FYd;  // the centre
  double FHzbj = 0, FVzbj = 0;  // corner radii along the shape's x and y
  double FWidth = 0, FHeight = 0;
  mutable std::array<TPoint, 41> FPPoints{};

protected:
  void MoveCentre(Tpt C) override;
};

class TTxRoundRect : public TCustomRoundRect {
  PLANDECK_DECLARE_CLASS(TTxRoundRect)
public:
  explicit TTxRoundRect(TMyPersistent* AOwner = nullptr) : TCustomRoundRect(AOwner) {}
  std::unique_ptr<TDocItem> Clone() const override;
};

class TCustomEllipse : public TPointOutlineShape {
  PLANDECK_DECLARE_CLASS(TCustomEllipse)
public:
  explicit TCustomEllipse(TMyPersistent* AOwner = nullptr);

  void ReadData(TReader& Reader) override;
  void WriteData(TWriter& Writer) override;
  void AssignTo(TPersistent& Dest) const override;
  int GetHandleCount() const override { return 4; }
  void GetHandle(int Index, TPoint& P) const override;
  void MoveHandleTo(int Index, TPoint P) override;
  void RotateHandleTo(int Index, TPoint P) override;
  void SetRefPoint(double X, double Y) override;
  bool Selected(Tpt P, double Factor) const override;
  void Explode(TCustomFigureSet& Set) override;
  void FigureMirror(TBx Line) override;
  bool GetCapturePoint(Tpt& P, TPointLx& Kind, TFigureView* View, TPoint CursorPt,
                       TPointLxSet KindSet) override;
  void CreateByRefPoint(TTxCollectFound& Points) override;
  void CreateByRefPoint(std::span<const Tpt> Points);

  std::vector<TPoint> Outline() const override;
  Tpt Centre() const override { return FYx; }
  // Store only values above zero that differ, then Modified.
  void SetHzbj(double Value);
  void SetVzbj(double Value);
  // The 36 outline points in the local frame, at 10 degree steps.
  std::array<Tpt, 36> LocalPoints() const;

  Tpt FYx;
  double FHzbj = 0, FVzbj = 0;  // semi-axes along the shape's x and y
  mutable std::array<TPoint, 36> FPPoints{};

protected:
  void MoveCentre(Tpt C) override;
};

class TTxEllipse : public TCustomEllipse {
  PLANDECK_DECLARE_CLASS(TTxEllipse)
public:
  explicit TTxEllipse(TMyPersistent* AOwner = nullptr) : TCustomEllipse(AOwner) {}
  std::unique_ptr<TDocItem> Clone() const override;
};

class TCustomCircle : public TPointOutlineShape {
  PLANDECK_DECLARE_CLASS(TCustomCircle)
public:
  explicit TCustomCircle(TMyPersistent* AOwner = nullptr);

  void ReadData(TReader& Reader) override;
  void WriteData(TWriter& Writer) override;
  void AssignTo(TPersistent& Dest) const override;
  int GetHandleCount() const override { return 4; }
  void GetHandle(int Index, TPoint& P) const override;
  void MoveHandleTo(int Index, TPoint P) override;
  void SetRefPoint(double X, double Y) override;
  void CalcPositionRect(TRect& Rect) const override;
  void Paint(TShowPlace& ShowPlace) override;
  bool Selected(Tpt P, double Factor) const override;
  void Explode(TCustomFigureSet& Set) override;
  void FigureMirror(TBx Line) override;
  bool GetCapturePoint(Tpt& P, TPointLx& Kind, TFigureView* View, TPoint CursorPt,
                       TPointLxSet KindSet) override;
  void CreateByRefPoint(TTxCollectFound& Points) override;
  // Exactly two points: the centre, then a point on the circle.
  void CreateByRefPoint(std::span<const Tpt> Points);

  std::vector<TPoint> Outline() const override;
  Tpt Centre() const override { return FYx; }
  void SetYx(Tpt Value);
  // Radii above zero only.
  void Setbj(double Value);
  double Radius() const { return GetScale() * FBj; }
  // The circle in logical units, as the device sees it.
  void DeviceCircle(TPoint& C, std::int32_t& R) const;

  Tpt FYx;
  double FBj = 0;

protected:
  void MoveCentre(Tpt C) override;
};

class TTxCircle : public TCustomCircle {
  PLANDECK_DECLARE_CLASS(TTxCircle)
public:
  explicit TTxCircle(TMyPersistent* AOwner = nullptr) : TCustomCircle(AOwner) {}
  std::unique_ptr<TDocItem> Clone() const override;
};

// Registers the three for reading and as drawing families.
void RegisterRoundShapeClasses();

// ---- property dialogs' models
//
// User values as text ("%1.3f", the angle "%1.1f"). OK takes pen colour and
// style, then the line width, the centre, the sizes, the angle and the layer
// in that order; the first that does not convert (or a size that makes no
// shape) ends the update there.

struct TRoundRectProperties : TLineCommonProperties {
  std::string YdX, YdY, Width, Height, Hzbj, Vzbj, Xzjd;
};
struct TEllipseProperties : TLineCommonProperties {
  std::string YxX, YxY, Hzbj, Vzbj, Xzjd;
};
struct TCircleProperties : TLineCommonProperties {
  std::string YxX, YxY, Bj;
};

TRoundRectProperties GetRoundRectProperties(const TCustomRoundRect& F);
void SetRoundRectProperties(TCustomRoundRect& F, const TRoundRectProperties& P);
TEllipseProperties GetEllipseProperties(const TCustomEllipse& F);
void SetEllipseProperties(TCustomEllipse& F, const TEllipseProperties& P);
TCircleProperties GetCircleProperties(const TCustomCircle& F);
void SetCircleProperties(TCustomCircle& F, const TCircleProperties& P);

// Perimeter ("周长") and area ("面积") of what the fields hold, in user
// units; false while a field does not convert.
bool RoundRectMeasures(const TRoundRectProperties& P, double& Perimeter, double& Area);
bool EllipseMeasures(const TEllipseProperties& P, double& Perimeter, double& Area);
bool CircleMeasures(const TCircleProperties& P, double& Perimeter, double& Area);
