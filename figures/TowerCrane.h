#pragma once
// The tower crane symbol of a site plan ("塔吊"), placed with one click:
// around its centre the mast (a rectangle with both diagonals), the jib from
// its tip to the counterweight block behind the mast, a radius line with an
// arrowhead and a label (by default the radius itself), and the arc of the
// working radius between two angles. Seven handles size and turn the parts.
// The abstract class holds everything; TTxTadiao adds only Clone. The
// property dialog's model sits here too.

#include "figures/Figure.h"
#include "figures/LineFigures.h"
#include "foundation/Workdbx.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>

class TCustomTadiao : public TCustomFigure {
  PLANDECK_DECLARE_CLASS(TCustomTadiao)
public:
  explicit TCustomTadiao(TMyPersistent* AOwner = nullptr);
  ~TCustomTadiao() override;

  void ReadData(TReader& Reader) override;
  void WriteData(TWriter& Writer) override;
  void AssignTo(TPersistent& Dest) const override;
  void Refresh() override;
  void CalcPositionRect(TRect& Rect) const override;
  int GetHandleCount() const override { return 7; }
  void GetHandle(int Index, TPoint& P) const override;
  void MoveHandleTo(int Index, TPoint P) override;
  void MoveByOffset(double Dx, double Dy) override;
  void SetRefPoint(double X, double Y) override;
  void Paint(TShowPlace& ShowPlace) override;
  bool Selected(Tpt P, double Factor) const override;
  bool HitBounds(double Factor, TDBox& Box) const override;
  void Explode(TCustomFigureSet& Set) override;
  void FigureMirror(TBx Line) override;
  bool GetCapturePoint(Tpt& P, TPointLx& Kind, TFigureView* View, TPoint CursorPt,
                       TPointLxSet KindSet) override;

  // Takes Font with its height as shown on the sheet (divided by the scale here).
  void SetFont(const TMyFont& Font);

  // Local geometry, with every length times GetScale.
  double Radius() const { return GetScale() * FBj; }
  Tpt AtRadius(double AngleDeg) const;  // on the working circle
  Tpt RadiusTip() const { return AtRadius(FJd); }
  Tpt JibTip() const { return AtRadius(FJdEx); }
  // A point given in the jib's frame (+x along the jib towards its tip).
  Tpt JibPt(double x, double y) const;
  // Mast corners counter-clockwise from the lower left.
  std::array<Tpt, 4> MastCorners() const;
  // Counterweight corners: inner +y, inner -y, outer -y, outer +y.
  std::array<Tpt, 4> BlockCorners() const;
  // The counter-clockwise sweep of the arc from FQj to FZj, 0 to 360 degrees.
  double ArcSweep() const;

  Tpt FYd;
  double FWidthEx = 25;
  double FHeightEx = 12.5;
  double FWidth = 50;
  double FHeight = 25;
  double FBj = 100;
  double FBjEx = 50;
  double FQj = 340;
  double FZj = 20;
  double FJd = 10;
  double FJdEx = 0;
  bool FFixedBj = false;
  std::string FText;
  std::int32_t FTextAlign = 1;  // 0 above the line, 1 in it (broken for it), 2 below
  bool FAutoCalText = true;
  double FPos = 0.5;
  std::unique_ptr<TMyFont> FFont;
  TWorkDbxbxList FPWLine;  // the radius arc, rebuilt by Refresh

private:
  void PaintLabelAndRadius(TCanvas& Canvas);
  // A closed or open outline of local points with the pen's dash pattern.
  void DrawStroke(TCanvas& Canvas, const Tpt* Points, int Count);
};

class TTxTadiao : public TCustomTadiao {
  PLANDECK_DECLARE_CLASS(TTxTadiao)
public:
  explicit TTxTadiao(TMyPersistent* AOwner = nullptr) : TCustomTadiao(AOwner) {}
  std::unique_ptr<TDocItem> Clone() const override;
};

// Registers the crane for reading.
void RegisterTowerCraneClasses();

// ---- property dialog's model
//
// As for the line figures: user values as text ("%1.3f"). OK takes pen
// colour and style, the fixed radius, the label text, its position and
// alignment and the font; then the line width, the centre, the radius and
// the layer in that order, the first that does not convert (or a radius not
// above zero) ending the update there.

struct TTadiaoProperties : TLineCommonProperties {
  std::string YdX, YdY;
  std::string Bj;
  std::string Text;      // "<>" for the radius worked out at every paint
  int Pos = 5;           // tenths of the radius line
  std::int32_t TextAlign = 1;
  bool FixedBj = false;
  // The font as the dialog shows it: the height is times the figure's scale.
  std::string FontName;
  std::uint32_t FontColor = 0;
  double FontHeight = 0;
  std::uint8_t FontStyle = 0;
  std::int32_t FontPixelsPerInch = 96;
};

TTadiaoProperties GetTadiaoProperties(const TCustomTadiao& Crane);
void SetTadiaoProperties(TCustomTadiao& Crane, const TTadiaoProperties& Props);
