#pragma once
// A line segment figure, a recording document and view, and pixel helpers
// for the figure tests.

#include "figures/FigureSet.h"
#include "foundation/ValueStream.h"

#include "../platform/CanvasTestUtil.h"

#include <functional>
#include <string>
#include <vector>

// A straight segment from FQd to FZd, the smallest real figure.
class TTestSegment : public TCustomFigure {
  PLANDECK_DECLARE_CLASS(TTestSegment)
public:
  explicit TTestSegment(TMyPersistent* AOwner = nullptr) : TCustomFigure(AOwner) { FClassNameDescription = "线段"; }

  void ReadData(TReader& Reader) override;
  void WriteData(TWriter& Writer) override;
  void AssignTo(TPersistent& Dest) const override;
  std::unique_ptr<TDocItem> Clone() const override;
  void Paint(TShowPlace& ShowPlace) override { DrawLine(FQd, FZd, *ShowPlace.cvs); }
  bool Selected(Tpt P, double Factor) const override;
  void CalcPositionRect(TRect& Rect) const override;
  int GetHandleCount() const override { return 2; }
  void GetHandle(int Index, TPoint& P) const override;

  Tpt FQd, FZd;
};

// A plain figure set (blocks come later) for nesting tests.
class TTestSet : public TCustomFigureSet {
  PLANDECK_DECLARE_CLASS(TTestSet)
public:
  explicit TTestSet(TMyPersistent* AOwner = nullptr) : TCustomFigureSet(AOwner) {}
  std::unique_ptr<TDocItem> Clone() const override;
};

void RegisterFigureTestClasses();

std::unique_ptr<TTestSegment> Segment(Tpt Qd, Tpt Zd, COLORREF Color = clBlack, std::int32_t Width = 1,
                                      TPenStyle Style = psSolid);

class TFakeDocument : public TFigureDocument {
public:
  void UpdateAllViews(TFigureView*, int Hint, TMyPersistent*) override { Hints.push_back(Hint); }
  void SetModifiedFlag(bool Value) override { ModifiedFlag = Value; }
  double GetDocScale() const override { return DocScale; }
  int GetUndoLimit() const override { return UndoCount; }
  int GetCaptureBj() const override { return CaptureBj; }
  void AddItemMessage(TMyPersistent* Item) override { Added.push_back(Item); }
  void RemoveItemMessage(TMyPersistent* Item) override { Removed.push_back(Item); }
  void FiguresFreeing(const std::vector<TMyPersistent*>& Figures) override;

  int CountHint(int Hint) const;

  std::vector<int> Hints;
  bool ModifiedFlag = false;
  double DocScale = 1.0;
  int UndoCount = 5;
  int CaptureBj = 8;
  std::vector<TMyPersistent*> Added, Removed, Freed;
  std::function<void(const std::vector<TMyPersistent*>&)> OnFreeing;
};

// A view whose client pixels are logical units with y flipped about FHeight.
class TFakeView : public TFigureView {
public:
  void InvalObj(TDocItem*) override {}
  void Select(TDocItem* Item, bool Add) override;
  void Deselect(TDocItem* Item) override;
  bool IsSelected(const TDocItem* Item) const override;
  void PointDocToClient(TPoint& P) const override { P.y = FHeight - P.y; }
  void RectClientToDoc(TRect& R) const override {
    R.Top = FHeight - R.Top;
    R.Bottom = FHeight - R.Bottom;
  }
  // What a real view does on the document's notice.
  void Forget(const std::vector<TMyPersistent*>& Figures);

  std::vector<TDocItem*> Selection;
  int FHeight = 100;
};

// Paints the root as the document will: the view mapping, the grid, then the root.
void PaintRoot(TTxFigureSet& Root, Sheet& S);

// Bytes written with a TWriter by Fn.
std::vector<std::uint8_t> Written(const std::function<void(TWriter&)>& Fn);

// The smallest compound file: header, one FAT sector and one directory
// sector holding only the root entry (an embedded object's storage).
std::vector<std::uint8_t> TinyCompoundFile();
// A compound file whose root holds one stream, Name (ASCII, at most 31
// characters), in ordinary sectors: Data is padded with zeros to 4096 bytes
// so it stays out of the mini stream.
std::vector<std::uint8_t> CompoundFileWithStream(const std::string& Name, std::vector<std::uint8_t> Data);
