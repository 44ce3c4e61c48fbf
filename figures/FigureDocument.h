#pragma once
// What figures need from the document and the views that show them. The
// document/view layer sits above the figures, so figures talk to it only
// through these two small interfaces, which that layer implements.

#include "foundation/Persistent.h"
#include "platform/Gdi.h"

#include <cstdint>
#include <vector>

class TDocItem;
class TCanvas;

enum TViewState : std::uint8_t { vsDraw, vsArial, vsPrint, vsPreview };
enum TTrackerState : std::uint8_t { tsNormal, tsSelected, tsActive };
enum TOperationVerb : std::uint8_t { ovDelete, ovAdd, ovEdit, ovCombo, ovExplode };

// Object snap kinds; a TPointLxSet holds bit (1 << kind) for each kind.
enum TPointLx : std::uint8_t { plNone, plEndPoint, plMidPoint, plCenter, plTangent, plNearest };
using TPointLxSet = std::uint32_t;
constexpr TPointLxSet PointLxBit(TPointLx Kind) { return TPointLxSet(1) << Kind; }

// A view as figures see it: repaint one item, change the selection, and the
// conversions between its client pixels and logical units.
class TFigureView {
public:
  virtual ~TFigureView() = default;
  virtual void InvalObj(TDocItem* Item) = 0;
  virtual void Select(TDocItem* Item, bool Add) = 0;
  virtual void Deselect(TDocItem* Item) = 0;
  virtual bool IsSelected(const TDocItem* Item) const = 0;
  virtual void PointDocToClient(TPoint& P) const = 0;
  virtual void RectClientToDoc(TRect& R) const = 0;
  // While a line is being drawn: its last fixed point (logical), from which
  // a circle offers its tangent points.
  virtual bool TangentFrom(TPoint& From) const { (void)From; return false; }
};

// The document as figures see it.
class TFigureDocument : public TMyPersistent {
public:
  explicit TFigureDocument(TMyPersistent* AOwner = nullptr) : TMyPersistent(AOwner) {}

  // Hints: 1 repaint HintObject, 4 the scale or page size changed.
  virtual void UpdateAllViews(TFigureView* Sender, int Hint, TMyPersistent* HintObject) = 0;
  virtual void SetModifiedFlag(bool Value) = 0;
  // The drawing scale of the document: user values are local values times it.
  virtual double GetDocScale() const = 0;
  // The undo history limit; 0 (or less) keeps no history.
  virtual int GetUndoLimit() const = 0;
  // The capture (hit and snap) radius in logical units.
  virtual int GetCaptureBj() const = 0;
  // The environment's printer kind; it decides which way printed text turns.
  virtual int GetPrinterLx() const { return 0; }
  // Items put back into or taken out of the drawing (window messages to the views).
  virtual void AddItemMessage(TMyPersistent* Item) = 0;
  virtual void RemoveItemMessage(TMyPersistent* Item) = 0;
  // Sent just before the figures are freed: selections, index trees and any
  // other view state must drop every pointer to them.
  virtual void FiguresFreeing(const std::vector<TMyPersistent*>& Figures) = 0;
  // Item now lies in another layer of its set (index trees regroup it).
  virtual void FigureLayerChanged(TMyPersistent* Item) { (void)Item; }
};

// Normalises Rect in place (Left <= Right, Top <= Bottom), then moves every
// edge outwards by N, and returns it.
TRect& ExpandRect(TRect& Rect, int N);
