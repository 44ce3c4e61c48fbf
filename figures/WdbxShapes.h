#pragma once
// The closed shapes kept as arc-edged outlines: the rectangle, the regular
// polygon and the polygon whose edges may be arcs. Each has the abstract
// class that holds everything and a concrete class that adds only Clone. The
// property dialogs' model (what they show, how OK applies it) sits here too.

#include "figures/Blocks.h"
#include "figures/LineFigures.h"
#include "figures/WdbxFigure.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string>

// ---- rectangle

class TCustomRectangle : public TCustomWdbxFigure {
  PLANDECK_DECLARE_CLASS(TCustomRectangle)
public:
  explicit TCustomRectangle(TMyPersistent* AOwner = nullptr);

  void ReadData(TReader& Reader) override;
  void WriteData(TWriter& Writer) override;
  void AssignTo(TPersistent& Dest) const override;
  void Refresh() override;
  int GetHandleCount() const override { return 8; }
  void GetHandle(int Index, TPoint& P) const override;
  void MoveHandleTo(int Index, TPoint P) override;
  void RotateHandleTo(int Index, TPoint P) override;
  void MoveByOffset(double Dx, double Dy) override;
  void SetRefPoint(double X, double Y) override;
  using TCustomFigure::CreateByRefPoint;
  // The rounded, normalised rectangle of the first two points; fewer change nothing.
  void CreateByRefPoint(std::span<const Tpt> Points);
  void Explode(TCustomFigureSet& Set) override;
  void FigureMirror(TBx Line) override;

  void CreateWdbxByDDList();
  // Handle Index (1..8) before rotation and scale, relative to FYd.
  Tpt HandleOffset(int Index) const;

  Tpt FYd;  // the corner with the smallest x and y before rotation
  double FWidth = 0;
  double FHeight = 0;

protected:
  bool CentrePoint(Tpt& P) const override;
};

class TTxFRectangle : public TCustomRectangle {
  PLANDECK_DECLARE_CLASS(TTxFRectangle)
public:
  explicit TTxFRectangle(TMyPersistent* AOwner = nullptr) : TCustomRectangle(AOwner) {}
  std::unique_ptr<TDocItem> Clone() const override;
};

// ---- regular polygon

class TCustomZPolygon : public TCustomWdbxFigure {
  PLANDECK_DECLARE_CLASS(TCustomZPolygon)
public:
  explicit TCustomZPolygon(TMyPersistent* AOwner = nullptr);

  void ReadData(TReader& Reader) override;
  void WriteData(TWriter& Writer) override;
  void AssignTo(TPersistent& Dest) const override;
  void Refresh() override;
  // One per vertex; none for a side count below 3, which has no outline.
  int GetHandleCount() const override;
  void GetHandle(int Index, TPoint& P) const override;
  void MoveHandleTo(int Index, TPoint P) override;
  void RotateHandleTo(int Index, TPoint P) override;
  void MoveByOffset(double Dx, double Dy) override;
  using TCustomFigure::CreateByRefPoint;
  // Centre at the first point, a vertex at the second.
  void CreateByRefPoint(std::span<const Tpt> Points);
  void Explode(TCustomFigureSet& Set) override;
  void FigureMirror(TBx Line) override;

  void CreateWdbxByDDList();
  // Vertex k (0-based) in local coordinates.
  Tpt Vertex(int K) const;

  Tpt FYd;  // centre
  std::int32_t FLineCount = 3;
  double FBj = 0;  // circumradius, times the scale

protected:
  bool CentrePoint(Tpt& P) const override;
};

class TTxZPolygon : public TCustomZPolygon {
  PLANDECK_DECLARE_CLASS(TTxZPolygon)
public:
  explicit TTxZPolygon(TMyPersistent* AOwner = nullptr) : TCustomZPolygon(AOwner) {}
  std::unique_ptr<TDocItem> Clone() const override;
};

// ---- polygon

class TCustomPolygon : public TCustomWdbxFigure {
  PLANDECK_DECLARE_CLASS(TCustomPolygon)
public:
  explicit TCustomPolygon(TMyPersistent* AOwner = nullptr);
  ~TCustomPolygon() override;

  void ReadData(TReader& Reader) override;
  void WriteData(TWriter& Writer) override;
  void AssignTo(TPersistent& Dest) const override;
  void Refresh() override;
  // The vertices, then the middles of the outline's edges.
  int GetHandleCount() const override;
  void GetHandle(int Index, TPoint& P) const override;
  void MoveHandleTo(int Index, TPoint P) override;
  void RotateHandleTo(int Index, TPoint P) override;
  void MoveByOffset(double Dx, double Dy) override;
  // Scales the vertices about the middle of the position rectangle.
  void SetScale(double Value) override;
  bool RealTimeAddPoint(Tpt P, TFigureView* View) override;
  bool RealTimeDeletePoint(Tpt P, TFigureView* View) override;
  void Explode(TCustomFigureSet& Set) override;
  void FigureMirror(TBx Line) override;

  void CreateWdbxByDDList();
  void SetDDList(const TTxCollectBxdy& List);
  // The polygon tool's vertices; points are logical.
  void AddPoint(Tpt P);
  void ReplaceLastPoint(Tpt P);
  void RemoveLastPoint();
  int GetPointCount() const { return FDDList->Count(); }
  TTxPolygonBxdy& Vertex(int Index) const { return *FDDList->Points(Index); }

  std::unique_ptr<TTxCollectBxdy> FDDList;
};

class TTxPolygon : public TCustomPolygon {
  PLANDECK_DECLARE_CLASS(TTxPolygon)
public:
  explicit TTxPolygon(TMyPersistent* AOwner = nullptr) : TCustomPolygon(AOwner) {}
  std::unique_ptr<TDocItem> Clone() const override;
};

void RegisterRectangleClasses();
void RegisterZPolygonClasses();
void RegisterPolygonClasses();
inline void RegisterWdbxShapeClasses() {
  RegisterRectangleClasses();
  RegisterZPolygonClasses();
  RegisterPolygonClasses();
}

// ---- property dialogs' model
//
// As for the line figures: numbers travel as the text the user sees, and
// applying stops silently at the first field that does not convert. The
// perimeter and area are worked out from the fields as typed.

struct TRectangleProperties : TLineCommonProperties {
  std::string YdX, YdY;  // the reference corner, user coordinates
  std::string Width, Height;
  std::string Xzjd;
};

TRectangleProperties GetRectangleProperties(const TCustomRectangle& Rect);
void SetRectangleProperties(TCustomRectangle& Rect, const TRectangleProperties& Props);
// "%1.3f" of 2(W + H) and W·H, or empty while a field does not convert.
std::string RectanglePerimeter(const TRectangleProperties& Props);
std::string RectangleArea(const TRectangleProperties& Props);

struct TZPolygonProperties : TLineCommonProperties {
  std::string YdX, YdY;  // centre
  std::string LineCount;
  std::string Bj;  // circumradius, user units
  std::string Xzjd;
};

TZPolygonProperties GetZPolygonProperties(const TCustomZPolygon& Polygon);
// A side count below 3 is refused like a field that does not convert.
void SetZPolygonProperties(TCustomZPolygon& Polygon, const TZPolygonProperties& Props);
// n·s and n·s²·cot(π/n)/4 with s the side length, or empty.
std::string ZPolygonPerimeter(const TZPolygonProperties& Props);
std::string ZPolygonArea(const TZPolygonProperties& Props);

struct TPolygonProperties : TLineCommonProperties {
  std::string Perimeter;  // wdbxzc of the outline, user units
  std::string Area;       // dbxmj of wdbxtocdbx, user units squared
};

TPolygonProperties GetPolygonProperties(const TCustomPolygon& Polygon);
void SetPolygonProperties(TCustomPolygon& Polygon, const TPolygonProperties& Props);
