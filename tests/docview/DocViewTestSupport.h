#pragma once
// A box figure, a small drawing document over a drawing root, a recording
// tool and pixel helpers for the document/view tests.

#include "docview/DocView.h"
#include "docview/Document.h"
#include "docview/FiguresDoc.h"
#include "figures/FigureSet.h"

#include <QImage>
#include <memory>
#include <string>
#include <vector>

// An axis-parallel box from FQd to FZd (local units), outlined with its pen.
class TTestBox : public TCustomFigure {
  PLANDECK_DECLARE_CLASS(TTestBox)
public:
  explicit TTestBox(TMyPersistent* AOwner = nullptr) : TCustomFigure(AOwner) { FClassNameDescription = "方框"; }

  void ReadData(TReader& Reader) override;
  void WriteData(TWriter& Writer) override;
  void AssignTo(TPersistent& Dest) const override;
  std::unique_ptr<TDocItem> Clone() const override;
  void Paint(TShowPlace& ShowPlace) override;
  bool Selected(Tpt P, double Factor) const override;
  void CalcPositionRect(TRect& Rect) const override;
  int GetHandleCount() const override { return 2; }
  void GetHandle(int Index, TPoint& P) const override;
  void MoveByOffset(double Dx, double Dy) override;
  void Explode(TCustomFigureSet& Set) override;

  Tpt FQd, FZd;
};

std::unique_ptr<TTestBox> Box(Tpt Qd, Tpt Zd, COLORREF Color = clBlack);

// A drawing document of Width x Height local units with neither grid nor
// frame, so pixel tests see only the figures.
class TTestDrawingDoc : public TFiguresDoc {
public:
  TTestDrawingDoc(double Width, double Height);

  // Puts a figure on top of the current layer.
  TTestBox* AddBox(Tpt Qd, Tpt Zd, COLORREF Color = clBlack);
  std::vector<TCustomFigure*> Figures() const;
};

// A view that records the item messages and answers as a drawing view.
class TTestView : public TDocView {
public:
  explicit TTestView(bool DrawingView = true) : FDrawingView(DrawingView) { FActive = true; }
  void CMAddItem(TMyPersistent* Item) override { Added.push_back(Item); }
  void CMDelItem(TMyPersistent* Item) override { Deleted.push_back(Item); }
  std::vector<TMyPersistent*> Added, Deleted;

protected:
  bool IsDrawingView() const override { return FDrawingView; }

private:
  bool FDrawingView;
};

// Records every call it gets, as "name x y".
class TRecordingTool : public TDrawTool {
public:
  explicit TRecordingTool(const TMetaClass* AItemClass) : TDrawTool(AItemClass) {}
  void OnLButtonDown(TDocView& View, TShiftState Shift, TPoint Pos) override;
  void OnRButtonUp(TDocView& View, TShiftState Shift, TPoint Pos) override;
  void OnLButtonDblClk(TDocView& View, TShiftState Shift, TPoint Pos) override;
  void OnLButtonUp(TDocView& View, TShiftState Shift, TPoint Pos) override;
  void OnMouseMove(TDocView& View, TShiftState Shift, TPoint Pos) override;
  void OnInitialize(TDocView& View) override;
  void OnCancel(TDocView& View) override;
  std::vector<std::string> Calls;
  TShiftState LastShift = 0;
};

// Shows View at the given client size and lets it paint.
void ShowView(TDocView& View, int ClientWidth, int ClientHeight);
// The view's client area as painted now.
QImage Grab(TDocView& View);
// Pixels of a colour inside a client rectangle.
int CountColour(const QImage& Image, const QRect& Rect, QRgb Colour);
// Saved values of a persistent object.
std::vector<std::uint8_t> SavedValues(TMyPersistent& Obj);
