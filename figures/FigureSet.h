#pragma once
// Figure sets: the figure list of one layer, the set with position, size and
// named layers, the root of a drawing with its grid, view scales, layer
// management and undo history.

#include "figures/Figure.h"
#include "figures/FigureIndex.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// The figures of one layer. Index 0 is the topmost figure: painting runs from
// the last index to the first, hit testing from the first to the last.
class TTxCollectFigure : public TUndoSaveComponentList {
  PLANDECK_DECLARE_CLASS(TTxCollectFigure)
public:
  explicit TTxCollectFigure(TMyPersistent* AOwner = nullptr) : TUndoSaveComponentList(AOwner) {}

  // Only figures may be read into or added to a layer.
  void ReadData(TReader& Reader) override;
  void Add(std::unique_ptr<TMyPersistent> Item) override;
  void Insert(int Index, std::unique_ptr<TMyPersistent> Item) override;
  // Every change of the list is told to the drawing root.
  void Clear() override;
  void Delete(int Index) override;
  std::unique_ptr<TMyPersistent> Remove(TMyPersistent* Item) override;
  void Move(int CurIndex, int NewIndex) override;

  TCustomFigure* Figures(int Index) const { return static_cast<TCustomFigure*>(Items(Index)); }
  void Paint(TShowPlace& ShowPlace);

  // Memory only: tells a layer apart from later ones at the same address.
  std::uint64_t FLayerId = 0;
};

// Layer entries are "name=flag".
enum TLayerFlag : int { lfDeleted = -1, lfHidden = 0, lfVisible = 1, lfCurrent = 2, lfLocked = 3 };
std::string LayerName(const std::string& Entry);
// The flag of an entry, or false when it is not a number.
bool TryLayerFlag(const std::string& Entry, int& Flag);
// The flag, an entry without a numeric flag counting as visible and editable.
int LayerFlag(const std::string& Entry);
void SetLayerFlag(std::string& Entry, int Flag);

struct TLayer {
  std::string Entry;
  std::unique_ptr<TTxCollectFigure> List;
};

// A layer entry as the layer dialog hands it back: List is one of the root's
// own lists or none (a new layer).
struct TLayerRef {
  std::string Entry;
  TTxCollectFigure* List = nullptr;
};

// Where a figure sat before it left the drawing.
struct TFigurePlace {
  std::uint64_t LayerId = 0;
  int Index = -1;
  std::uint64_t Seq = 0;  // order of removal: figures go back in reverse
};

// A figure taken out of its layer, with its place.
struct TRemovedFigure {
  std::unique_ptr<TCustomFigure> Figure;
  TFigurePlace Place;
};

class TCustomFigureSet : public TCustomFigure {
  PLANDECK_DECLARE_CLASS(TCustomFigureSet)
public:
  explicit TCustomFigureSet(TMyPersistent* AOwner = nullptr);
  ~TCustomFigureSet() override;

  void AssignTo(TPersistent& Dest) const override;
  void SetDocument(TFigureDocument* Doc) override;
  void CalcPositionRect(TRect& Rect) const override;
  void Paint(TShowPlace& ShowPlace) override;
  bool Selected(Tpt P, double Factor) const override;
  void MoveByOffset(double Dx, double Dy) override;
  void SetRefPoint(double X, double Y) override;
  int GetHandleCount() const override;
  void ReadStream(TStream& Stream) override;
  void WriteStream(TStream& Stream) override;

  virtual double GetWidth() const;
  virtual double GetHeight() const;
  virtual void SetWidth(double Value);
  virtual void SetHeight(double Value);
  virtual void SetYd(Tpt P);
  virtual void InsertFigure(std::unique_ptr<TCustomFigure> Figure);
  // Takes Figure out of the list that owns it, without freeing it.
  virtual std::unique_ptr<TCustomFigure> RemoveFigure(TCustomFigure* Figure);
  // AClass null means any class.
  virtual TCustomFigure* SelectFigure(Tpt P, const TMetaClass* AClass, double Factor);
  virtual void ExplodeItem(TFigureView* View);

  void GetFigureLayerName(const TCustomFigure* Figure, std::string& Name) const;
  int GetFigureLayerIndex(const TCustomFigure* Figure) const;
  void ExchangeFigureLayer(TCustomFigure* Figure, int FromIndex, int ToIndex);
  void SetFigures(const TTxCollectFigure& List);

  int LayerCount() const { return static_cast<int>(FLayers.size()); }
  // Appends a layer holding List (a new one when none); with no current
  // list yet, it becomes the current one.
  void AddLayer(const std::string& Entry, std::unique_ptr<TTxCollectFigure> List);
  // Hands every layer over; the set is left without layers until one is added.
  std::vector<TLayer> TakeLayers();
  TTxCollectFigure* LayerList(int Index) const;
  // The layer whose FLayerId is Id, or -1.
  int FindLayerById(std::uint64_t Id) const;

  double FAbsx = 0;
  double FAbsy = 0;
  double FWidth = 0;
  double FHeight = 0;
  Tpt FYd;
  bool FShowFrame = true;
  TTxCollectFigure* FFigures = nullptr;  // the current layer's list, owned through FLayers
  std::vector<TLayer> FLayers;
  // Set only while this set paints its children: their common frame.
  const TLogFrame* FPaintFrame = nullptr;

protected:
  // Paints one layer's figures that meet the clip; false leaves the layer
  // to the plain loop.
  virtual bool PaintLayerIndexed(int Layer, TShowPlace& ShowPlace);
  std::unique_ptr<TTxCollectFigure> NewLayerList();
  // Parent and document of every figure of List become this set's.
  void AdoptFigures(TTxCollectFigure& List);
  // Called before figures of this set are freed other than by the history.
  virtual void FreeingFigures(const std::vector<TMyPersistent*>& Figures);
  static std::vector<TMyPersistent*> FiguresOf(const TUndoSaveComponentList& List);
  std::vector<TMyPersistent*> AllFigures() const;
  // Exactly one current layer, FFigures its list: the first flag-2 layer
  // stays current and later ones become visible layers; with none, the last
  // visible layer becomes current; with no visible layer a new one is added.
  void EnsureCurrentLayer();
  // Reads N layers as entries and figure lists, the first current one into
  // the existing current list; Loaded is called on each list when asked.
  void ReadLayers(TReader& Reader, std::int32_t N, bool CallLoaded);
  // The layer count, then each layer's entry and figure list.
  void WriteLayers(TWriter& Writer);
  // "图层" and the number AddLayer gives a new layer.
  std::string NewLayerName() const;

  std::uint64_t FLayerSerial = 0;
};

class TUndoRedoItem {
public:
  explicit TUndoRedoItem(TOperationVerb Verb) : FOperationVerb(Verb) {}

  // ovEdit: a snapshot of Figure and Figure itself; otherwise Figure.
  void Add(TCustomFigure* Figure);
  // A figure the item owns, with the place it had in the drawing.
  void Add(TRemovedFigure Removed);
  int Count() const { return static_cast<int>(FList.size()); }
  TCustomFigure* Items(int Index) const;
  TCustomFigure* EditItems(int Index) const;
  TFigurePlace Place(int Index) const;
  // Hands an owned figure over; null when the item does not own it.
  std::unique_ptr<TCustomFigure> Release(TCustomFigure* Figure);
  // The figures freed with the item.
  std::vector<TMyPersistent*> OwnedFigures() const;

  TOperationVerb FOperationVerb;
  // A step over values rather than figures (the page setup): exchanges the
  // live values with the kept ones, so undo and redo are the same call.
  std::function<void()> FSwap;
  std::vector<TCustomFigure*> FList;
  std::vector<TCustomFigure*> FEditList;

private:
  std::vector<std::unique_ptr<TCustomFigure>> FOwned;
  std::vector<TFigurePlace> FPlaces;  // parallel to FList
};

// The values of the drawing properties dialog, as text where the user types.
struct TDrawingProperties {
  COLORREF BackColor = clWhite;
  std::string GridPenColor;
  int GridPenStyle = psDot;
  std::string AbsX, AbsY;
  std::string Width, Height;
  std::string Scale;
  std::string GridWidth, GridHeight;
  bool ShowGrid = true;
};

class TTxFigureSet : public TCustomFigureSet {
  PLANDECK_DECLARE_CLASS(TTxFigureSet)
public:
  // The document, when AOwner is one, owns the root.
  explicit TTxFigureSet(TMyPersistent* AOwner = nullptr);
  ~TTxFigureSet() override;

  void ReadData(TReader& Reader) override;
  void WriteData(TWriter& Writer) override;
  void AssignTo(TPersistent& Dest) const override;
  void CalcPositionRect(TRect& Rect) const override;
  int GetHandleCount() const override;
  double GetScale() const override;
  void SetScale(double Value) override;
  void TransUserPt(Tpt P, Tpt& Q) const override;
  void TransSysPt(Tpt P, Tpt& Q) const override;
  double TransUserV(double V) const override;
  double TransSysV(double V) const override;
  TCustomFigure* SelectFigure(Tpt P, const TMetaClass* AClass, double Factor) override;
  void Paint(TShowPlace& ShowPlace) override;

  void GetCurLayerName(std::string& Name) const;
  void RefreshLayers(const std::vector<TLayerRef>& List);
  void SetCurLayer(int Index);
  bool SetLayerVisible(int Index, bool Visible);
  bool SetLayerEdit(int Index, bool Editable);
  void AddLayer(std::string& Name);
  using TCustomFigureSet::AddLayer;
  // Moves every layer into Child, which takes this drawing's size, scale and
  // offsets; this root keeps one empty layer.
  void AssignToChildFigureSet(class TChildFigureSet& Child);
  void DrawNet(TCanvas& DC);

  // Records one step. Removed holds the figures the caller already took out
  // of the drawing that the step owns (deleted, combined or exploded ones);
  // owned figures still in a layer are taken out here.
  void BackUp(const TMyList& List, TOperationVerb Verb, std::vector<TRemovedFigure> Removed = {});
  // Records a step whose undo and redo both run Swap.
  void BackUpState(std::function<void()> Swap);
  void Undo(TFigureView* View);
  void Redo(TFigureView* View);
  // Frees both histories (after saving).
  void ClearHistory();
  int UndoCount() const { return static_cast<int>(FUndoList.size()); }
  int RedoCount() const { return static_cast<int>(FRedoList.size()); }
  const TUndoRedoItem* UndoItem(int Index) const { return FUndoList.at(static_cast<std::size_t>(Index)).get(); }

  // Takes a figure of one of the layers out of the drawing, noting its place.
  TRemovedFigure TakeOutFigure(TCustomFigure* Figure);
  // Puts a figure back at its place when that layer still exists, else on
  // top of the current layer.
  TCustomFigure* PutBackFigure(std::unique_ptr<TCustomFigure> Figure, TFigurePlace Place);

  // The drawing properties dialog's model.
  TDrawingProperties GetDrawingProperties() const;
  // Converts the typed values in order; the first that does not convert ends
  // the update silently.
  void SetDrawingProperties(const TDrawingProperties& Props);

  bool FShowGrid = true;
  double FGridWidth = 30.0;
  double FGridHeight = 30.0;
  COLORREF FBackColor = clWhite;
  TPen FGridPen;
  TViewState FViewState = vsDraw;
  double FArialScale = 1.0;
  double FPreviewScale = 1.0;
  double FPrintScale = 1.0;
  std::int32_t FHorzPageAlign = 0;
  std::int32_t FVertPageAlign = 0;

  // Memory only. Counts changes of the figures below the root (see
  // NoteChanged); the spatial index is valid for one value of it.
  mutable std::uint64_t FGeneration = 0;
  // Off: painting and hit tests take the plain loops (tests compare both).
  bool FUseSpatialIndex = true;
  // The figures of layer Layer whose position rectangle may meet R (edges
  // included), from the last to the first; false when the caller must loop
  // over the layer itself. Callers still test each figure.
  bool FiguresMeeting(int Layer, const TRect& R, std::vector<TCustomFigure*>& Out);
  // Whether the index is built for the present state and this hit factor.
  bool SpatialIndexCurrent(double Factor) const;

protected:
  void FreeingFigures(const std::vector<TMyPersistent*>& Figures) override;
  bool PaintLayerIndexed(int Layer, TShowPlace& ShowPlace) override;

private:
  int UndoLimit() const;
  void FreeItem(std::unique_ptr<TUndoRedoItem> Item);
  void FreeFigures(std::vector<std::unique_ptr<TCustomFigure>> Figures);
  void FreeOldest(std::vector<std::unique_ptr<TUndoRedoItem>>& List, std::size_t Below);
  // One undo or redo step from From to To.
  void Step(std::vector<std::unique_ptr<TUndoRedoItem>>& From, std::vector<std::unique_ptr<TUndoRedoItem>>& To,
            TFigureView* View, bool IsRedo);
  // The index for the present state, or none. It is built only once the
  // same state is asked about a second time, so a drag that changes a figure
  // at every step keeps the plain loops instead of rebuilding each time. Two
  // are kept: the drawing view and the overview paint in turn, each in its
  // own view state.
  const TFigureIndex* CurrentIndex(double Factor);
  TFigureIndexKey IndexKey(double Factor) const;
  struct TIndexSlot {
    TFigureIndexKey Key;
    std::unique_ptr<TFigureIndex> Index;
  };
  std::vector<TIndexSlot> FIndexes;     // most recent first
  std::vector<TFigureIndexKey> FAsked;  // states asked about, most recent first
  double FIndexFactor = 1.0;  // the hit factor the index was last built for
  std::vector<TCustomFigure*> FCandidates;
  const TFigureIndex* FPaintIndex = nullptr;  // only while painting
  std::uint64_t FRemoveSerial = 0;
  std::vector<std::unique_ptr<TUndoRedoItem>> FUndoList;
  std::vector<std::unique_ptr<TUndoRedoItem>> FRedoList;
};

// A point of Set's frame in the frame of Set's parent: what exploding Set
// does to the points of its figures.
Tpt ExplodePoint(Tpt P, const TCustomFigureSet& Set);

// Registers the figure model's classes for reading; safe to call more than once.
void RegisterFigureClasses();
