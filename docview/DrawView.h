#pragma once
// TDrawView: the editing view inside a drawing window. The long cross-hair
// cursor, object snapping with its markers, window zoom and the editing
// commands on the selection (copy object, offset, move or copy by a typed
// distance, array, explode).

#include "docview/DocView.h"

#include <string>
#include <vector>

class TCustomFigure;

// The values typed into the move/copy dialog ("平移拷贝", "平移"), as text:
// a field that is not a number cancels the command.
struct TMoveCopyParams {
  int Mode = 0;  // "平移方式：" 0: x and y; 1: distance and angle in degrees
  std::string Value1 = "0";
  std::string Value2 = "0";
};

// The values typed into the array dialog ("阵列").
struct TArrayParams {
  int Mode = 0;  // "阵列方式 :" 0 "矩形阵列", 1 "圆阵列"
  std::string Rows = "1";         // "行数:"
  std::string Cols = "1";         // "列数:"
  std::string RowDistance = "0";  // "行距:"
  std::string ColDistance = "0";  // "列距:"
  std::string Count = "1";        // "个数:"
  std::string CenterX = "0";      // "圆点X:"
  std::string CenterY = "0";      // "圆点Y:"
  std::string Angle = "0";        // "角度:", whole degrees
  bool Rotate = false;            // "绕圆点旋转"
};

class TDrawView : public TDocView {
public:
  explicit TDrawView(QWidget* Parent = nullptr);

  bool IsDrawingView() const override { return true; }
  // Takes the background colour, the cursor pen style and the capture
  // colour from the running environment (after the option dialogs).
  void ApplyEnvironment();

  // The drawing root answers with the drawing scale first.
  void OnPrepareDC(TCanvas& DC) const override;
  TSize GetDocumentLogSize() const override;
  TSize GetDocumentDevSize() const override;
  void Paint() override;

  void CapturePoint(TPoint Point) override;
  void DrawLongCursor(TPoint Point) override;
  void DrawCapturePoint() override;
  // Takes the snap marker and the cross-hair off the screen: the pointer
  // left the drawing, or the figures moved away from under them.
  void HideMarkers();
  // Arrow keys move the selection; the marker of a point that moved goes.
  void KeyDown(int Key, TShiftState Shift) override;
  void ZoomWindow(const TRect& Rect) override;
  // Zooms by Factor keeping the drawing under the client point where it is,
  // within the page limits of the window zoom (101 to 9999 logical units
  // across); the new scale goes on the zoom stack. False when nothing changed.
  bool ZoomAt(TPoint Client, double Factor);
  // One notch of the mouse wheel zooms by this factor.
  static constexpr double WheelZoomStep = 1.25;

  // ---- commands on the selection
  void CopyObject();
  void Offset();
  // False when a field is not a number (nothing changes then).
  bool MoveCopy(const TMoveCopyParams& Params);
  bool MoveObject(const TMoveCopyParams& Params);
  // Any error ends the command silently; false then.
  bool ArrayFigures(const TArrayParams& Params);
  void Explode();

  // ---- picture export of the whole page at the current zoom
  // Kind 1 writes a Windows metafile (".WMF"), 2 an enhanced one (".EMF");
  // the extension is added unless the name has it. Failures throw with the
  // file name and the reason; the drawing is never touched.
  void SaveAsWMF(std::string Name, int Kind);
  void SaveAsBMP(std::string Name);
  void SaveAsJPEG(std::string Name);
  // Draws the page into a metafile or picture canvas.
  void PaintWMF(TCanvas& DC);
  // The view's mapping without the window's viewport origin.
  void OnPrepareMetaFileDC(TCanvas& DC) const;

  // The client rectangle without the margins round a page smaller than the window.
  TRect PageArea() const;
  // The inverting pen of the cursor and the snap markers.
  TRubberShape CursorShape(TRubberKind Kind, std::vector<TPoint> Points) const;
  // The marker shapes of a snap kind at client point (X, Y).
  std::vector<TRubberShape> MarkerShapes(TPointLx Kind, int X, int Y) const;
  TPoint LastPoint() const { return FLastPoint; }
  bool IsMetaFile() const { return FIsMetaFile; }

  TPoint FLastPoint{-100, -100};
  bool FIsMetaFile = false;
  bool FDoublePaint = false;

protected:
  void paintEvent(QPaintEvent* Event) override;
  // The wheel zooms about the pointer; with Shift it scrolls (with Ctrl as
  // well, sideways), as a sideways wheel does.
  void wheelEvent(QWheelEvent* Event) override;
  // The pointer leaving the page (for a scroll bar or another window).
  bool viewportEvent(QEvent* Event) override;
  // Paste picture makes a picture figure from the clipboard's pixels.
  std::unique_ptr<TDocItem> NewPictureItem() override;
  void CreateFromPicture(TDocItem& Item, const TBitmap& Picture, const TRect& Rect) override;

private:
  // Shows or erases shapes through the overlay; a shape the overlay no
  // longer holds (a tool cleared it) is only forgotten.
  void EraseShapes(std::vector<TRubberShape>& Shapes);
  void ShowShapes(const std::vector<TRubberShape>& Shapes);
  // Topmost first, so copies keep the originals' stacking.
  void SortSelectionTopmostFirst();
  TCustomFigure* FirstSelectedFigure() const;
  bool ParseDisplacement(const TMoveCopyParams& Params, double& Dx, double& Dy) const;
  bool RectangularArray(const TArrayParams& Params, TMyList& Copies);
  bool CircularArray(const TArrayParams& Params, TMyList& Copies);
  // A clone of Item moved by (Dx, Dy), added to the document and announced.
  TDocItem* AddMovedClone(const TDocItem& Item, double Dx, double Dy);

  TLogPen FCursorPen;
  std::vector<TRubberShape> FCursorShapes;  // the cross-hair shown
  std::vector<TRubberShape> FMarkerShapes;  // the snap marker shown
  bool FInPaint = false;
};
