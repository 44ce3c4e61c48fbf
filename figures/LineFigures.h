#pragma once
// The straight line figures drawn between a start and an end point: the
// arrow line, the dimension line with its segments, and the edge line with
// its strokes (straight or along an arc). Each has the abstract class that
// holds everything and a concrete class that adds only Clone. The property
// dialogs' model (what they show, how OK applies it) sits here too.

#include "figures/Figure.h"
#include "foundation/Workdbx.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

// ---- arrow line

class TCustomTxLine : public TCustomFigure {
  PLANDECK_DECLARE_CLASS(TCustomTxLine)
public:
  explicit TCustomTxLine(TMyPersistent* AOwner = nullptr);

  void ReadData(TReader& Reader) override;
  void WriteData(TWriter& Writer) override;
  void AssignTo(TPersistent& Dest) const override;
  void CalcPositionRect(TRect& Rect) const override;
  int GetHandleCount() const override { return 2; }
  void GetHandle(int Index, TPoint& P) const override;
  void MoveHandleTo(int Index, TPoint P) override;
  void MoveByOffset(double Dx, double Dy) override;
  void Paint(TShowPlace& ShowPlace) override;
  bool Selected(Tpt P, double Factor) const override;
  bool HitBounds(double Factor, TDBox& Box) const override;
  using TCustomFigure::CreateByRefPoint;
  // The first two points become the ends; fewer change nothing.
  void CreateByRefPoint(std::span<const Tpt> Points);
  void Explode(TCustomFigureSet& Set) override;
  void FigureMirror(TBx Line) override;
  bool GetCapturePoint(Tpt& P, TPointLx& Kind, TFigureView* View, TPoint CursorPt,
                       TPointLxSet KindSet) override;

  void SetQd(Tpt P);
  void SetZd(Tpt P);
  void SetJd(double Value);
  void SetArrowLength(double Value);

  Tpt FQd;
  Tpt FZd;
  double FJd;           // half opening angle of a head, radians
  double FArrowLength;  // drawn divided by the absolute parent scale
  bool FQdArrow = false;
  bool FZdArrow = true;
  bool FFillArrow = true;
};

class TTxLine : public TCustomTxLine {
  PLANDECK_DECLARE_CLASS(TTxLine)
public:
  explicit TTxLine(TMyPersistent* AOwner = nullptr) : TCustomTxLine(AOwner) {}
  std::unique_ptr<TDocItem> Clone() const override;
};

// ---- dimension line

// One dimension segment; Qd, Zd and Pos are parameters along the line.
struct TBzLineData {
  bool AutoCalText = true;
  std::string Text;
  double Qd = 0;
  double Zd = 1;
  double Pos = 0.5;
  double QdL1 = 0;  // extension lengths: start left, start right
  double QdL2 = 0;
  double ZdL1 = 0;  // end left, end right
  double ZdL2 = 0;
  std::int32_t TextAlign = 1;  // 0 above the line, 1 in it, 2 below
  friend bool operator==(const TBzLineData&, const TBzLineData&) = default;
};

class TCustomArrowLine : public TCustomFigure {
  PLANDECK_DECLARE_CLASS(TCustomArrowLine)
public:
  explicit TCustomArrowLine(TMyPersistent* AOwner = nullptr);
  ~TCustomArrowLine() override;

  void ReadData(TReader& Reader) override;
  void WriteData(TWriter& Writer) override;
  void AssignTo(TPersistent& Dest) const override;
  void CalcPositionRect(TRect& Rect) const override;
  int GetHandleCount() const override;
  void GetHandle(int Index, TPoint& P) const override;
  void MoveHandleTo(int Index, TPoint P) override;
  void MoveByOffset(double Dx, double Dy) override;
  void SetXzjd(double Value) override;
  void Paint(TShowPlace& ShowPlace) override;
  bool RealTimeAddPoint(Tpt P, TFigureView* View) override;
  bool RealTimeDeletePoint(Tpt P, TFigureView* View) override;
  bool Selected(Tpt P, double Factor) const override;
  bool HitBounds(double Factor, TDBox& Box) const override;
  void Explode(TCustomFigureSet& Set) override;
  void FigureMirror(TBx Line) override;
  bool GetCapturePoint(Tpt& P, TPointLx& Kind, TFigureView* View, TPoint CursorPt,
                       TPointLxSet KindSet) override;

  // P is logical; the first click also takes the font to this frame's size.
  void SetQd(Tpt P);
  void SetZd(Tpt P);
  void SetFont(const TMyFont& Font);
  void SetJd(double Value);
  void SetArrowLength(double Value);
  void SetBzLines(const std::vector<TBzLineData>& Lines);
  void InitLineData(TBzLineData& Segment) const;
  // Placement by the dimension tool: aligned through p3, or horizontal /
  // vertical through p3. Points are local.
  void OffSetToPoint(Tpt p1, Tpt p2, Tpt p3);
  void OrthoBz(Tpt p1, Tpt p2, bool Horizontal, Tpt p3);

  // The point at parameter t along FQd -> FZd.
  Tpt PointAt(double t) const;

  Tpt FQd;
  Tpt FZd;
  double FJd;
  double FArrowLength;
  bool FFillArrow = true;
  std::unique_ptr<TMyFont> FFont;
  std::vector<TBzLineData> FBzLines;
  bool FArrowBz = true;
  std::int32_t FBzLineWidth = 1;

private:
  void DrawBzLine(TShowPlace& ShowPlace, int Index);
  // FXzJd follows the direction of FQd -> FZd.
  void SyncXzjd();
  // Moves one end to the local point P, rescaling the parameters so the
  // junctions stay where they are; false when a junction would be passed.
  bool MoveQdTo(Tpt P);
  bool MoveZdTo(Tpt P);
  // An undo step for this figure before an interactive change.
  void BackUpSelf();
};

class TArrowLine : public TCustomArrowLine {
  PLANDECK_DECLARE_CLASS(TArrowLine)
public:
  explicit TArrowLine(TMyPersistent* AOwner = nullptr) : TCustomArrowLine(AOwner) {}
  std::unique_ptr<TDocItem> Clone() const override;
};

// ---- edge line

class TCustomConstructionLine : public TCustomFigure {
  PLANDECK_DECLARE_CLASS(TCustomConstructionLine)
public:
  explicit TCustomConstructionLine(TMyPersistent* AOwner = nullptr);

  void ReadData(TReader& Reader) override;
  void WriteData(TWriter& Writer) override;
  void AssignTo(TPersistent& Dest) const override;
  void Refresh() override;
  void CalcPositionRect(TRect& Rect) const override;
  int GetHandleCount() const override { return 3; }
  void GetHandle(int Index, TPoint& P) const override;
  void MoveHandleTo(int Index, TPoint P) override;
  void MoveByOffset(double Dx, double Dy) override;
  void Paint(TShowPlace& ShowPlace) override;
  bool Selected(Tpt P, double Factor) const override;
  bool HitBounds(double Factor, TDBox& Box) const override;
  using TCustomFigure::CreateByRefPoint;
  void CreateByRefPoint(std::span<const Tpt> Points);
  void Explode(TCustomFigureSet& Set) override;
  void FigureMirror(TBx Line) override;
  bool GetCapturePoint(Tpt& P, TPointLx& Kind, TFigureView* View, TPoint CursorPt,
                       TPointLxSet KindSet) override;

  void SetQd(Tpt P);
  void SetZd(Tpt P);
  // The arc's sweep, radians.
  double GetSumjd() const;
  void PaintLine(TCanvas& Canvas);
  // True when drawn as an arc: an arc whose radius reaches half the chord.
  bool IsArcForm() const;
  // The middle of the arc, or of the chord for the straight form.
  Tpt MiddlePoint() const;

  Tpt FQd;
  Tpt FZd;
  double FJd;  // angle of the strokes to the line, radians
  double FLength1 = 20;
  double FLength2 = 10;
  double FGap = 10;
  Tpt FYx;
  double FBj = 0;  // divided by GetScale
  TBxlx FLx = blLine;
  std::int32_t FDirection = 0;
  TWorkDbxbxList FPWLine;
};

class TConstructionLine : public TCustomConstructionLine {
  PLANDECK_DECLARE_CLASS(TConstructionLine)
public:
  explicit TConstructionLine(TMyPersistent* AOwner = nullptr) : TCustomConstructionLine(AOwner) {}
  std::unique_ptr<TDocItem> Clone() const override;
};

// Registers the three concrete classes for reading.
// Each line family registers itself from its own file.
void RegisterArrowLineClasses();
void RegisterDimensionLineClasses();
void RegisterEdgeLineClasses();
inline void RegisterLineFigureClasses() {
  RegisterArrowLineClasses();
  RegisterDimensionLineClasses();
  RegisterEdgeLineClasses();
}

// ---- property dialogs' model
//
// Numbers travel as the text the user sees and types: points in user
// coordinates and lengths in user units ("%1.3f"), angles in degrees
// ("%1.1f"). Applying converts the fields in order; the first that does not
// convert (or is a length, spacing or count that is not above zero) ends the
// update silently, keeping what was already stored.

struct TLineCommonProperties {
  std::string Ident;  // "$" and 8 hexadecimal digits
  COLORREF PenColor = clBlack;
  int PenStyle = psSolid;
  std::string LineWidth;
  int LayerIndex = 0;
};

struct TTxLineProperties : TLineCommonProperties {
  std::string QdX, QdY, ZdX, ZdY;
  std::string ArrowLength;
  std::string ArrowJd;
  bool QdArrow = false;
  bool ZdArrow = true;
  bool FillArrow = true;
};

TTxLineProperties GetTxLineProperties(const TCustomTxLine& Line);
void SetTxLineProperties(TCustomTxLine& Line, const TTxLineProperties& Props);

// The dimension dialog edits a clone's segments live and takes the rest on OK.
struct TArrowLineProperties : TLineCommonProperties {
  bool FillArrow = true;
  bool ArrowBz = true;  // "箭头"; false is "斜线"
  std::string BzLineWidth;
  std::string ArrowLength;
  std::string ArrowJd;
  std::string Xzjd;
  // The font as the dialog shows it: the height is times the figure's scale.
  std::string FontName;
  std::uint32_t FontColor = 0;
  double FontHeight = 0;
  std::uint8_t FontStyle = 0;
  std::int32_t FontPixelsPerInch = 96;
};

TArrowLineProperties GetArrowLineProperties(const TCustomArrowLine& Line);
// Line takes Clone's values, the dialog's font and then the fields.
void SetArrowLineProperties(TCustomArrowLine& Line, const TCustomArrowLine& Clone,
                            const TArrowLineProperties& Props);
// Choosing ticks or arrows fills the angle and mark width with their usual values.
void ChooseArrowBz(TArrowLineProperties& Props, bool ArrowBz);
// The text field of a segment: "<>" asks for the measured length.
void SetBzLineText(TBzLineData& Segment, const std::string& Text);
// "第 %d 段标注", "共有 %d 条标注线" and the segment's ends in user coordinates.
std::string BzLineCaption(int Index);
std::string BzLineCountCaption(const TCustomArrowLine& Line);
void BzLineEnds(const TCustomArrowLine& Line, int Index, std::string& QdX, std::string& QdY,
                std::string& ZdX, std::string& ZdY);

struct TConstructionLineProperties : TLineCommonProperties {
  std::string QdX, QdY, ZdX, ZdY;
  std::string Length1, Length2, Gap;
  std::string LineJd;
  bool Arc = false;  // "弧形"; without it the radius is empty and unused
  std::string Bj;
  std::int32_t Direction = 0;
};

TConstructionLineProperties GetConstructionLineProperties(const TCustomConstructionLine& Line);
void SetConstructionLineProperties(TCustomConstructionLine& Line, const TConstructionLineProperties& Props);
