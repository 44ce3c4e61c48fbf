#pragma once
// Figures that group or mark other geometry: the block (a group of figures in
// its own frame, placed by a reference corner, scaled uniformly and rotated),
// the child drawing (a whole other drawing with its layers, as one figure),
// the positioning point marker, and the vertex records multi-point figures
// keep their edges in.

#include "figures/FigureSet.h"
#include "foundation/Workdbx.h"

#include <array>
#include <memory>
#include <span>

// One vertex of an edge list: the edge that starts here is straight or an arc.
class TTxPolygonBxdy : public TCapPersistent {
  PLANDECK_DECLARE_CLASS(TTxPolygonBxdy)
public:
  explicit TTxPolygonBxdy(TMyPersistent* AOwner = nullptr) : TCapPersistent(AOwner) {}

  void ReadData(TReader& Reader) override;
  void WriteData(TWriter& Writer) override;
  void AssignTo(TPersistent& Dest) const override;

  Tpt FDwd;
  TBxlx FLx = blLine;
  Tpt FYx;
  double FBj = 0;
  std::int32_t FDirection = 0;
};

class TTxCollectBxdy : public TTxCollectFound {
  PLANDECK_DECLARE_CLASS(TTxCollectBxdy)
public:
  explicit TTxCollectBxdy(TMyPersistent* AOwner = nullptr);
  TTxPolygonBxdy* Points(int Index) const { return static_cast<TTxPolygonBxdy*>(Items(Index)); }
};

// What blocks and child drawings share: the rotated, uniformly scaled frame
// with its eight handles. Not a saved class of its own.
class TFramedFigureSet : public TCustomFigureSet {
  PLANDECK_DECLARE_CLASS(TFramedFigureSet)
public:
  explicit TFramedFigureSet(TMyPersistent* AOwner = nullptr) : TCustomFigureSet(AOwner) {}

  void CalcPositionRect(TRect& Rect) const override;
  bool HitBounds(double Factor, TDBox& Box) const override;
  bool Selected(Tpt P, double Factor) const override;
  void GetHandle(int Index, TPoint& P) const override;
  void MoveHandleTo(int Index, TPoint P) override;
  void RotateHandleTo(int Index, TPoint P) override;
  void SetScale(double Value) override;
  void SetWidth(double Value) override;
  void SetHeight(double Value) override;
  void CreateByRefPoint(TTxCollectFound& Points) override;
  void Explode(TCustomFigureSet& Set) override;
  void FigureMirror(TBx Line) override;
  bool GetCapturePoint(Tpt& P, TPointLx& Kind, TFigureView* View, TPoint CursorPt, TPointLxSet KindSet) override;
  void ExplodeItem(TFigureView* View) override;

  // Points local to the parent; the first two are the clicked corners.
  void CreateByRefPoint(std::span<const Tpt> Points);
  // Stores the extent without checks or notification.
  void InitialParas(double AWidth, double AHeight);
  // The outline in logical units, closed (five points).
  std::array<TPoint, 5> GetDD() const;
  // The outline as an arc-edged outline of its four straight edges.
  std::unique_ptr<TWorkDbx> GetWdbx() const;

protected:
  virtual bool IsChild() const { return false; }
  // Where this set's local origin sits in its parent's frame.
  Tpt FrameOrigin() const;
  // The figures exploding takes, layer by layer.
  std::vector<TTxCollectFigure*> PartLists() const;
  // Clones of the parts go into List at Index, moved into the parent's
  // frame, selected in View and announced. They come back in that order.
  std::vector<TCustomFigure*> InsertParts(TTxCollectFigure& List, int Index, TFigureView* View);
  void PaintLayers(TShowPlace& ShowPlace, int Grow);
};

class TTxBlock : public TFramedFigureSet {
  PLANDECK_DECLARE_CLASS(TTxBlock)
public:
  explicit TTxBlock(TMyPersistent* AOwner = nullptr);

  void ReadData(TReader& Reader) override;
  void WriteData(TWriter& Writer) override;
  void AssignTo(TPersistent& Dest) const override;
  std::unique_ptr<TDocItem> Clone() const override;
  void Paint(TShowPlace& ShowPlace) override;
  double GetWidth() const override;
  double GetHeight() const override;

  // Dissolves a pasted block into its figures: the selection is cleared, the
  // parts take the block's place in its layer, are selected and recorded as
  // added. The block leaves the drawing and is handed back to be freed.
  std::unique_ptr<TCustomFigure> ExplodeItemEx(TFigureView& View);

  // Tile spacing when the block fills a closed figure; copied, not saved.
  double FHorzGap = 0;
  double FVertGap = 0;
};

class TChildFigureSet : public TFramedFigureSet {
  PLANDECK_DECLARE_CLASS(TChildFigureSet)
public:
  explicit TChildFigureSet(TMyPersistent* AOwner = nullptr);

  void ReadData(TReader& Reader) override;
  void WriteData(TWriter& Writer) override;
  void AssignTo(TPersistent& Dest) const override;
  std::unique_ptr<TDocItem> Clone() const override;
  void Paint(TShowPlace& ShowPlace) override;

  // Takes over Root's layers, size, scale and offsets (see
  // TTxFigureSet::AssignToChildFigureSet).
  void TakeDrawingFrom(TTxFigureSet& Root);

protected:
  bool IsChild() const override { return true; }
};

enum TDwdShape : std::int32_t { dsAster = 0, dsFilledCircle, dsWhiteCircle, dsFilledSquare, dsWhiteSquare };

class TTxDefineDwd : public TCustomFigure {
  PLANDECK_DECLARE_CLASS(TTxDefineDwd)
public:
  explicit TTxDefineDwd(TMyPersistent* AOwner = nullptr);

  void ReadData(TReader& Reader) override;
  void WriteData(TWriter& Writer) override;
  void AssignTo(TPersistent& Dest) const override;
  std::unique_ptr<TDocItem> Clone() const override;
  void Paint(TShowPlace& ShowPlace) override;
  bool Selected(Tpt P, double Factor) const override;
  bool HitBounds(double Factor, TDBox& Box) const override;
  void CalcPositionRect(TRect& Rect) const override;
  int GetHandleCount() const override { return 1; }
  void GetHandle(int Index, TPoint& P) const override;
  void MoveHandleTo(int Index, TPoint P) override;
  void SetRefPoint(double X, double Y) override;
  void MoveByOffset(double Dx, double Dy) override;
  void Explode(TCustomFigureSet& Set) override;
  void FigureMirror(TBx Line) override;
  bool GetCapturePoint(Tpt& P, TPointLx& Kind, TFigureView* View, TPoint CursorPt, TPointLxSet KindSet) override;

  void SetXz(std::int32_t Value);

  Tpt FDwd;
  std::int32_t FXz = dsAster;
  std::int32_t FBj = 4;
};

void RegisterBlockClasses();
