#pragma once
// TDocView: the view of a document. Double-buffered painting, the selection,
// the change notices, the zoom stack, routing of mouse events to the current
// tool, the keyboard, deletion and the clipboard commands.

#include "docview/DrawTool.h"
#include "docview/PointEntry.h"
#include "docview/RubberBand.h"
#include "docview/ScaleScrollBox.h"
#include "figures/FigureDocument.h"
#include "foundation/ComponentLists.h"
#include "foundation/Comtype.h"

#include <QImage>
#include <QRegion>
#include <QPointer>
#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class TBitmap;
class TDocItem;
class TPicture;
class TDocument;
class TTxFigureSet;

enum TOperationMode : std::uint8_t {
  omNormal, omMove, omAdd, omRotate, omPanRealTime, omZoomRealTime, omZoomWindow, omRealTimeAddPoint,
  omRealTimeDeletePoint, omCopyObject, omOffset
};
enum TZoomState : std::uint8_t { qrZoom, qrZoomToFit };
enum TMouseButton : std::uint8_t { mbLeft, mbRight, mbMiddle };

class TCustomFigure;
class TTxBlock;

// A block of clones of Figures, inserted in this order (each at the top),
// placed relative to the corner of their position rectangles, which Box
// receives (logical). What copying and making a block start from.
std::unique_ptr<TTxBlock> BlockOfFigures(const std::vector<TCustomFigure*>& Figures, TRect& Box);

class TDocView : public TScaleScrollBox, public TFigureView {
public:
  static constexpr int ZoomStackSize = 20;

  explicit TDocView(QWidget* Parent = nullptr);
  ~TDocView() override;

  // ---- document
  virtual void SetDocument(TDocument* Document);
  TDocument* Document() const { return FDocument; }
  virtual TSize GetDocumentLogSize() const;
  virtual TSize GetDocumentDevSize() const;
  virtual void OnInitialUpdate();
  virtual void OnUpdate(TDocView* Sender, int Hint, TPersistent* HintObject);
  // The item messages; only the index view acts on them.
  virtual void CMAddItem(TMyPersistent* Item);
  virtual void CMDelItem(TMyPersistent* Item);
  // The document is about to free these: drop every pointer to them.
  virtual void FiguresFreeing(const std::vector<TMyPersistent*>& Figures);
  void SetPageSize() override;
  // The visible part of the document, logical units, normalised.
  TRect GetClientDocRect() const;

  // ---- mapping and painting
  void OnPrepareDC(TCanvas& DC) const override;
  void PointDocToClient(TPoint& P) const override { TScaleScrollBox::PointDocToClient(P); }
  void RectClientToDoc(TRect& R) const override { TScaleScrollBox::RectClientToDoc(R); }
  bool TangentFrom(TPoint& From) const override { return FAllowTangent && (From = FTangentPoint, true); }
  void Paint() override;
  void InvalObj(TDocItem* Item) override;
  // Repaints the whole window, document included.
  void InvalidateView();
  // Repaints the document in a client rectangle.
  void InvalidateClientRect(const TRect& R);

  // ---- rubber bands: drawn with the inverting pen; drawing one again erases it
  void DrawRubberShape(const TRubberShape& Shape);
  void ClearRubberShapes();
  const TRubberOverlay& RubberOverlay() const { return FOverlay; }

  // ---- selection
  void Select(TDocItem* Item, bool Add) override;
  bool IsSelected(const TDocItem* Item) const override;
  void Deselect(TDocItem* Item) override;
  // Takes the item out of the selection without repainting.
  void Remove(TDocItem* Item);
  virtual void SelectWithinRect(const TRect& ClientRect);
  virtual void PositionSelectInCenter();
  void OnEditSelectAll();
  const TMyList& Selection() const { return FSelection; }
  TDocItem* SelectedItem(int Index) const;

  // ---- tools and operations
  void SetDrawShape(const TMetaClass* ItemClass);
  void SetOperation(TOperationMode Mode);
  TOperationMode Operation() const { return FOperation; }
  const TMetaClass* ItemClass() const { return FItemClass; }
  TDrawTool* CurrentTool() const { return FCurrentTool; }
  // The application cursor shown (0 the arrow).
  int CursorIndex() const { return FCursorIndex; }
  void SetCursorIndex(int Index);
  void ReleaseCapture();
  // Ends whatever the current tool holds for the moment (a construction, the
  // copies of copy object, a live offset, a drag) and returns to the
  // selection tool in its default operation: Esc, and before the drawing is
  // written or the view lets go of it.
  void CancelTool();
  // The press under way is over although no release came (a modal dialog
  // took it): the capture goes and the press of a double click reaches no tool.
  void EndMouseGesture();
  void SetCurrentItem(const TDocItem* Item);
  void SetMirrorItem(std::unique_ptr<TDocItem> Block);
  TDocItem* CurrentItem() const { return FCurrentItem.get(); }
  void OnEditEnd();
  void BackUp(TOperationVerb Mode);
  void Undo();

  // ---- hooks of the concrete views
  virtual void CapturePoint(TPoint Point);
  virtual void DrawLongCursor(TPoint Point);
  virtual void DrawCapturePoint();
  virtual void ResponseToArial(const TRect& Rect);
  virtual void ResponseToView(const TRect& Rect);
  virtual void ZoomWindow(const TRect& Rect);

  // ---- zoom
  void PushZoom(double Value);
  void PopZoom();
  virtual void ZoomToFit();
  virtual void ScaleToFit();
  int ZoomCount() const { return FZoomCount; }

  // ---- mouse and keyboard, as the window delivers them (client pixels)
  virtual void MouseDown(TMouseButton Button, TShiftState Shift, TPoint Pos);
  virtual void MouseMove(TShiftState Shift, TPoint Pos);
  virtual void MouseUp(TMouseButton Button, TShiftState Shift, TPoint Pos);
  virtual void DblClick(TShiftState Shift, TPoint Pos);
  // Qt key codes.
  virtual void KeyDown(int Key, TShiftState Shift);

  // ---- the keyboard of a CAD user (DocViewKeys.cpp)
  // Whether a drawing tool (not the selection tool) is waiting for points.
  bool WaitsForPoint() const;
  // Esc: the figure under construction goes and its tool stays; with none,
  // back to the selection tool.
  void Escape();
  // Enter or Space: the figure under construction is finished (as "结束编辑");
  // in the selection tool the last drawing command starts again.
  void EnterKey();
  // Starts the last drawing command again; false when there is none.
  bool RepeatLastDrawing();
  const TMetaClass* LastDrawClass() const { return FLastDrawClass; }
  // Places a typed point ("x,y", "@dx,dy", "@length<angle", user units) as
  // a click there would, object snap and orthogonal mode off. False with
  // Hint (for the user) when refused: nothing is placed then.
  bool PlaceTypedPoint(const std::string& Text, std::string& Hint);
  // The last point a drawing tool placed (or the last click), in the root's
  // frame; what the @ forms start from.
  std::optional<Tpt> LastLocalPoint() const { return FLastLocalPoint; }
  // The entry typing opens while a tool waits for points (the main window's
  // status bar holds it); none: typed points are not offered.
  void SetPointEntry(TPointEntryBox* Entry);
  TPointEntryBox* PointEntry() const { return FPointEntry.data(); }
  // SnapPoint answers a typed point (logical) while one is being placed, and
  // tells the view what a click placed.
  std::optional<Tpt> FTypedPoint;
  void NotePlacedPoint(Tpt Log);
  // Whether the middle button is dragging the view.
  bool Panning() const { return FPanning; }

  // ---- commands
  void OnEditClear();
  void OnEditCopy();
  void OnEditCut();
  void OnEditPaste();
  void PasteToLayer(int Index);
  void OnEditPastePicture();
  void CloneSelection();

  TMyList FSelection;
  bool FActive = false;
  TPoint FMouse_Click;
  const TMetaClass* FItemClass = nullptr;
  TOperationMode FOperation = omNormal;
  TDrawTool* FCurrentTool = nullptr;
  std::unique_ptr<TDocItem> FCurrentItem;
  std::array<double, ZoomStackSize + 1> FZoomArray{};
  std::array<std::int32_t, ZoomStackSize + 1> FHorzPositionArray{};
  std::array<std::int32_t, ZoomStackSize + 1> FVertPositionArray{};
  int FZoomCount = 0;
  bool FPreventCursor = false;
  TPointLx FPointLx = plNone;
  Tpt FCapturedPoint;
  bool FAllowTangent = false;
  TPoint FTangentPoint;
  TMyList FTempList;
  // The clones copy object made: they follow the mouse until the selection
  // tool leaves the operation, which takes them out of the drawing again.
  TMyList FCopyClones;
  TViewState FViewState = vsDraw;
  TZoomState FZoomState = qrZoom;
  TDocument* FDocument = nullptr;
  COLORREF FColor = clWhite;  // the background round and under the page

  // Whether attaching a document restores its scroll positions and pushes
  // the current scale, and the document draws its grid; the drawing view says yes.
  virtual bool IsDrawingView() const { return false; }
  // Hands this view's visible area to the other views (the overview's ResponseToView).
  void ShowAreaInOverviews();

protected:
  // The picture figure of paste picture: a new one, and building it from a
  // picture in a logical rectangle. None here.
  virtual std::unique_ptr<TDocItem> NewPictureItem();
  virtual void CreateFromPicture(TDocItem& Item, const TBitmap& Picture, const TRect& Rect);
  TTxFigureSet* Root() const;

  void paintEvent(QPaintEvent* Event) override;
  void resizeEvent(QResizeEvent* Event) override;
  void scrollContentsBy(int Dx, int Dy) override;
  void mousePressEvent(QMouseEvent* Event) override;
  void mouseMoveEvent(QMouseEvent* Event) override;
  void mouseReleaseEvent(QMouseEvent* Event) override;
  void mouseDoubleClickEvent(QMouseEvent* Event) override;
  void keyPressEvent(QKeyEvent* Event) override;

private:
  // Paints the document into the cached picture for one client rectangle.
  void RenderDocument(const QRect& Dev);
  void PasteList(int LayerIndex);
  // Steps of deletion after the question: other views drop the items, this
  // one repaints them, the document takes them out, the undo step keeps them.
  void DeleteSelection();

  // Where the content's top-left lies in client pixels, as OnPrepareDC maps it.
  QPoint ContentOrigin() const;
  // The cached picture follows a change of ContentOrigin: it moves along and
  // only the uncovered part becomes stale.
  void FollowContentOrigin();

  QImage FCache;       // the window's picture without rubber bands
  QRegion FCacheDirty;  // client pixels whose cached picture is stale
  QPoint FCacheOrigin;  // the content origin the cached picture was painted for
  QRegion FPaintRegion;
  TRubberOverlay FOverlay;
  int FCursorIndex = 0;
  bool FGestureEnded = false;

  // The middle-button pan: the last pointer position while it drags.
  bool FPanning = false;
  TPoint FPanLast;
  // A left press of a drawing tool is under way: what it places is noted.
  bool FPlacingClick = false;
  std::optional<Tpt> FLastLocalPoint;
  // The last drawing command, and what it placed that the placing used up
  // (the chosen block, the pending picture).
  const TMetaClass* FLastDrawClass = nullptr;
  std::unique_ptr<TDocItem> FRepeatItem;
  std::unique_ptr<TPicture> FRepeatPicture;
  QPointer<TPointEntryBox> FPointEntry;
  // Notes the command just chosen as the one Enter repeats.
  void NoteDrawingCommand();
  // Whether the key event is the first character of a typed point.
  bool OpensPointEntry(const QKeyEvent& Event) const;
};
