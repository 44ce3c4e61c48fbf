#pragma once
// What every tool needs from the view: point conversions, the mouse
// capture, new figures of a class, rubber bands, and the temporary line
// that collects the clicks of the two-, three- and multi-point tools.

#include "docview/DocView.h"
#include "figures/Figure.h"

#include <memory>
#include <optional>
#include <vector>

class TTxFigureSet;

TPoint ClientToLog(const TDocView& View, TPoint ClientPos);
TPoint LogToClient(const TDocView& View, Tpt LogPoint);
void SetCapture(TDocView& View);
bool HasCapture(const TDocView& View);
TTxFigureSet* RootOf(const TDocView& View);
// The drawing root's current scale (1 without a root).
double RootScale(const TDocView& View);
// A new figure of the class, or none when it is not a figure class.
std::unique_ptr<TCustomFigure> CreateFigure(const TMetaClass* Class);
// Adds a figure the tool built to the document; returns it, still alive.
TCustomFigure* AddToDocument(TDocView& View, std::unique_ptr<TCustomFigure> Figure, TPoint Offset);
// Deselects and removes (frees) a figure the tool placed in the document.
void DiscardFromDocument(TDocView& View, TCustomFigure*& Figure);

TRubberShape RubberLine(TPoint A, TPoint B);
TRubberShape RubberRect(TPoint A, TPoint B);
TRubberShape RubberEllipse(TPoint A, TPoint B);

// One rubber shape at a time: showing a new one erases the last.
class TRubber {
public:
  void Show(TDocView& View, TRubberShape Shape);
  void Hide(TDocView& View);
  bool Shown() const { return FShape.has_value(); }
  const TRubberShape* Shape() const { return FShape ? &*FShape : nullptr; }
  // Forgets the shape without drawing (the view cleared it).
  void Forget() { FShape.reset(); }

private:
  std::optional<TRubberShape> FShape;
};

// The temporary line of clicked points. It lives in the document only while
// a figure is being placed and never reaches a file or the history.
class TToolPointLine : public TCustomFigure {
  PLANDECK_DECLARE_CLASS(TToolPointLine)
public:
  explicit TToolPointLine(TMyPersistent* AOwner = nullptr) : TCustomFigure(AOwner) {
    FClassNameDescription = "多点线";
  }

  void CalcPositionRect(TRect& Rect) const override;
  int GetHandleCount() const override { return static_cast<int>(FPoints.size()); }
  void GetHandle(int Index, TPoint& P) const override;
  void Paint(TShowPlace& ShowPlace) override;
  bool Selected(Tpt P, double Factor) const override;

  // P is logical; stored local.
  void AddPoint(Tpt P);
  int GetPointCount() const { return static_cast<int>(FPoints.size()); }

  std::vector<Tpt> FPoints;
};
