#pragma once
// Small figures for the tool tests (a box, a circle, a point-built line, a
// marker, an arrow line and a block), a document with a shown view, and
// mouse helpers. Points of the figures are local; the root maps them 1:1.

#include "docview/DrawView.h"
#include "docview/Environment.h"
#include "docview/FiguresDoc.h"
#include "figures/FigureSet.h"

#include <gtest/gtest.h>

#include <span>
#include <vector>

class TTestRect : public TCustomFigure {
  PLANDECK_DECLARE_CLASS(TTestRect)
public:
  explicit TTestRect(TMyPersistent* AOwner = nullptr) : TCustomFigure(AOwner) { FClassNameDescription = "矩形"; }
  void AssignTo(TPersistent& Dest) const override;
  std::unique_ptr<TDocItem> Clone() const override;
  void CalcPositionRect(TRect& Rect) const override;
  int GetHandleCount() const override { return 2; }
  void GetHandle(int Index, TPoint& P) const override;
  void MoveHandleTo(int Index, TPoint P) override;
  void RotateHandleTo(int Index, TPoint P) override;
  void MoveByOffset(double Dx, double Dy) override;
  void Paint(TShowPlace& ShowPlace) override;
  bool Selected(Tpt P, double Factor) const override;
  void FigureMirror(TBx Line) override;
  bool GetCapturePoint(Tpt& P, TPointLx& Kind, TFigureView* View, TPoint CursorPt, TPointLxSet KindSet) override;
  using TCustomFigure::CreateByRefPoint;
  void CreateByRefPoint(std::span<const Tpt> Points);

  Tpt FQd, FZd;
};

class TTestCircle : public TCustomFigure {
  PLANDECK_DECLARE_CLASS(TTestCircle)
public:
  explicit TTestCircle(TMyPersistent* AOwner = nullptr) : TCustomFigure(AOwner) {}
  void CalcPositionRect(TRect& Rect) const override;
  bool Selected(Tpt P, double Factor) const override;
  bool GetCapturePoint(Tpt& P, TPointLx& Kind, TFigureView* View, TPoint CursorPt, TPointLxSet KindSet) override;
  using TCustomFigure::CreateByRefPoint;
  void CreateByRefPoint(std::span<const Tpt> Points);

  Tpt FYx;
  double FBj = 0;
};

// A line of points: multi-segment lines, polygons, freehand lines, splines.
class TTestPolyline : public TCustomFigure {
  PLANDECK_DECLARE_CLASS(TTestPolyline)
public:
  explicit TTestPolyline(TMyPersistent* AOwner = nullptr) : TCustomFigure(AOwner) {}
  void CalcPositionRect(TRect& Rect) const override;
  bool Selected(Tpt P, double Factor) const override;
  void MoveByOffset(double Dx, double Dy) override;
  bool RealTimeAddPoint(Tpt P, TFigureView* View) override;
  using TCustomFigure::CreateByRefPoint;
  void CreateByRefPoint(std::span<const Tpt> Points);
  void AddPoint(Tpt P);
  void ReplaceLastPoint(Tpt P);
  void RemoveLastPoint();
  int GetPointCount() const { return static_cast<int>(FPoints.size()); }

  std::vector<Tpt> FPoints;
};

class TTestMark : public TCustomFigure {
  PLANDECK_DECLARE_CLASS(TTestMark)
public:
  explicit TTestMark(TMyPersistent* AOwner = nullptr) : TCustomFigure(AOwner) {}
  void CalcPositionRect(TRect& Rect) const override;
  void SetRefPoint(double X, double Y) override { FDwd = {X, Y}; }
  Tpt FDwd;
};

class TTestArrow : public TCustomFigure {
  PLANDECK_DECLARE_CLASS(TTestArrow)
public:
  explicit TTestArrow(TMyPersistent* AOwner = nullptr) : TCustomFigure(AOwner) {}
  void CalcPositionRect(TRect& Rect) const override;
  void SetQd(Tpt P) { FQd = xyTransAbsPt(P.x, P.y); }
  void SetZd(Tpt P) { FZd = xyTransAbsPt(P.x, P.y); }
  void OffSetToPoint(Tpt, Tpt, Tpt P3) { FOff = P3, FOrtho = false; }
  void OrthoBz(Tpt, Tpt, bool Horizontal, Tpt P3) { FOff = P3, FOrtho = true, FHorz = Horizontal; }
  Tpt FQd, FZd, FOff;
  bool FOrtho = false, FHorz = false;
};

class TTestBlock : public TCustomFigureSet {
  PLANDECK_DECLARE_CLASS(TTestBlock)
public:
  explicit TTestBlock(TMyPersistent* AOwner = nullptr) : TCustomFigureSet(AOwner) {}
};

void RegisterToolTestClasses();

// A drawing view that notes what is announced to it; shown at 400 x 300.
class TToolView : public TDrawView {
public:
  void CMAddItem(TMyPersistent* Item) override { Announced.push_back(Item); }
  std::vector<TMyPersistent*> Announced;
};

class ToolTest : public ::testing::Test {
protected:
  void SetUp() override;
  void TearDown() override;

  // The tool for Class (added on first use); then SetTool as the main window does.
  template <class Tool>
  Tool* Use(const TMetaClass& Class) {
    if (!doc.FindTool(&Class)) doc.AddTool(std::make_unique<Tool>(&Class));
    view.SetDrawShape(&Class);
    view.SetOperation(omAdd);
    return static_cast<Tool*>(view.CurrentTool());
  }
  void Down(TPoint P, TShiftState Shift = 0) { view.MouseDown(mbLeft, Shift, P); }
  void Up(TPoint P, TShiftState Shift = 0) { view.MouseUp(mbLeft, Shift, P); }
  void Click(TPoint P, TShiftState Shift = 0) { Down(P, Shift), Up(P, Shift); }
  void Move(TPoint P, TShiftState Shift = 0) { view.MouseMove(Shift, P); }
  void RightClick(TPoint P) { view.MouseUp(mbRight, 0, P); }
  // The local point under a client pixel.
  Tpt Local(TPoint P) const;
  // The client pixel over a local point.
  TPoint Client(Tpt P) const;
  std::vector<TCustomFigure*> Figures() const;
  bool InSelectTool() const;
  int UndoCount() const { return doc.FFigures->UndoCount(); }
  const TUndoRedoItem* LastUndo() const { return doc.FFigures->UndoItem(UndoCount() - 1); }

  TEnvironment env;
  TEnvironment* oldEnv = nullptr;
  TFiguresDoc doc;
  TToolView view;
};

#define EXPECT_PT(P, X, Y)        \
  do {                            \
    EXPECT_NEAR((P).x, (X), 1e-9); \
    EXPECT_NEAR((P).y, (Y), 1e-9); \
  } while (0)
