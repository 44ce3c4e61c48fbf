#pragma once
// One descriptor per figure family, registered from the family's own file.
//
// To add a family: write its classes in figures/<Family>.cpp (and .h), and in
// that file's Register...Classes() register the classes and call
// RegisterFamily once per class the user draws, saying how it is placed, how
// its rubber band looks, whether it carries text or is closed, and how its
// tool-bar button is drawn. Call Register...Classes() from
// RegisterFigureClasses(). The tool list, the main window's command for the
// family's action, the placing tools and the font, text-colour and fill
// commands all read the descriptors; none of them names the class. A
// property dialog registers itself with RegisterPropertyEditor (Figure.h).

#include "figures/FigureOps.h"

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string_view>
#include <utility>
#include <vector>

class TMyFont;

// How a family is placed with the mouse: the tool its drawing command chooses.
enum TToolKind : int {
  tkMirror, tkSelect, tkPenLine, tkOnePoint, tkBzLine, tkTwoPoint, tkThreePoint, tkPolygon, tkMultiPoint,
  tkMultiLine, tkBezier
};

// The rubber band of the two-point tool between the press and the mouse.
enum class TPlacingRubber : std::uint8_t { Line, Rect, Ellipse, Circle };

// The pictures of tool-bar buttons, drawn on a 24 x 24 square (y down) with
// no Qt in the model; the application draws them with antialiasing.
class TIconSketch {
public:
  virtual ~TIconSketch() = default;
  using Pts = std::initializer_list<std::pair<double, double>>;
  virtual void Line(double X1, double Y1, double X2, double Y2) = 0;
  virtual void Polyline(Pts Points) = 0;
  virtual void Polygon(Pts Points) = 0;
  virtual void Rect(double X, double Y, double W, double H) = 0;
  virtual void RoundRect(double X, double Y, double W, double H, double R) = 0;
  virtual void Ellipse(double X, double Y, double W, double H) = 0;
  // Angles in degrees, counter-clockwise from 3 o'clock, as Qt's arcs.
  virtual void Arc(double X, double Y, double W, double H, double Start, double Span) = 0;
  // A path through cubic pieces: From, then (c1, c2, to) triples.
  virtual void Curve(std::pair<double, double> From, Pts Controls) = 0;
  // Centred text in the box, turned by Angle degrees about the box centre.
  virtual void Text(double X, double Y, double W, double H, std::string_view Utf8, int PointSize, bool Bold,
                    double Angle = 0) = 0;
  virtual void Pen(double Width, bool Dashed = false) = 0;   // the ink colour
  virtual void Fill(bool Filled) = 0;                       // brush of the ink colour, or none
};

struct TFigureFamily {
  const TMetaClass* Class = nullptr;  // the concrete class the tool creates
  const char* Action = nullptr;       // the command that draws it ("A_Tadiao"), or none
  TToolKind Tool = tkTwoPoint;
  TPlacingRubber Rubber = TPlacingRubber::Line;
  bool OrthoWhileMoving = true;    // the rubber end follows the orthogonal mode
  bool OrthoOnClick = false;       // the second click is made orthogonal too
  bool PlacesCurrentItem = false;  // the two-point tool places the view's chosen item
  bool EditsInPlace = false;       // the pop-up menu offers "编辑..."
  bool Closed = false;             // the fill command applies
  // Text-bearing families: the font the font and text-colour commands change.
  TMyFont* (*Font)(TCustomFigure&) = nullptr;
  void (*SetFont)(TCustomFigure&, const TMyFont&) = nullptr;
  void (*PaintIcon)(TIconSketch&) = nullptr;
  // The placing tools' operations (FamilyOps<T>()).
  std::shared_ptr<const TToolFigureOps> Ops = nullptr;
};

// Registering a class again replaces its descriptor (start-up may run twice).
void RegisterFamily(TFigureFamily Family);
// In registration order.
const std::vector<TFigureFamily>& Families();
// The descriptor of Class or of its nearest registered ancestor; null when none.
const TFigureFamily* FamilyOf(const TMetaClass& Class);
const TFigureFamily* FamilyOfAction(std::string_view Action);

// A line with a filled arrow head at To, as the buttons draw them.
void SketchArrow(TIconSketch& S, double FromX, double FromY, double ToX, double ToY);
