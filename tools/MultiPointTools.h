#pragma once
// The tools that collect any number of clicks (multi-segment lines and
// route lines, polygons, leader dimensions, splines), the labelled arrow
// line placed with three clicks, and the mirror tool.

#include "docview/DrawTool.h"
#include "tools/ToolSupport.h"

#include <memory>
#include <vector>

class TCustomFigureSet;

class TMultiLineTool : public TDrawTool {
public:
  explicit TMultiLineTool(const TMetaClass* AItemClass) : TDrawTool(AItemClass) {}
  void OnLButtonDown(TDocView& View, TShiftState Shift, TPoint Pos) override;
  void OnRButtonUp(TDocView& View, TShiftState Shift, TPoint Pos) override;
  void OnMouseMove(TDocView& View, TShiftState Shift, TPoint Pos) override;
  void OnInitialize(TDocView& View) override;
  void OnCancel(TDocView& View) override;
  bool HasConstruction() const override { return m_pDrawObj != nullptr; }
  void OnAddPointEnd(TDocView& View) override;

  TCustomFigure* m_pDrawObj = nullptr;
  Tpt FPDown;
  Tpt FPLast;

private:
  int FCount = 0;  // points placed
  TRubber FRubber;
};

class TPolygonTool : public TDrawTool {
public:
  explicit TPolygonTool(const TMetaClass* AItemClass) : TDrawTool(AItemClass) {}
  void OnLButtonDown(TDocView& View, TShiftState Shift, TPoint Pos) override;
  void OnRButtonUp(TDocView& View, TShiftState Shift, TPoint Pos) override;
  void OnMouseMove(TDocView& View, TShiftState Shift, TPoint Pos) override;
  void OnInitialize(TDocView& View) override;
  void OnCancel(TDocView& View) override;
  bool HasConstruction() const override { return m_pDrawObj != nullptr; }
  void OnAddPointEnd(TDocView& View) override;

  TCustomFigure* m_pDrawObj = nullptr;
  bool FIsMovedPoint = false;
  Tpt FPDown;
  Tpt FPLast;

private:
  int FCount = 0;  // fixed vertices, the rubber vertex not counted
};

// Leader dimensions: the clicks go into a temporary line.
class TMultiPointTool : public TDrawTool {
public:
  explicit TMultiPointTool(const TMetaClass* AItemClass) : TDrawTool(AItemClass) {}
  void OnLButtonDown(TDocView& View, TShiftState Shift, TPoint Pos) override;
  void OnRButtonUp(TDocView& View, TShiftState Shift, TPoint Pos) override;
  void OnMouseMove(TDocView& View, TShiftState Shift, TPoint Pos) override;
  void OnInitialize(TDocView& View) override;
  void OnCancel(TDocView& View) override;
  bool HasConstruction() const override { return m_pDrawObj != nullptr; }
  void OnAddPointEnd(TDocView& View) override;

  TToolPointLine* m_pDrawObj = nullptr;
  Tpt FPDown;
  Tpt FPLast;

private:
  TRubber FRubber;
};

class TBezierTool : public TDrawTool {
public:
  explicit TBezierTool(const TMetaClass* AItemClass) : TDrawTool(AItemClass) {}
  void OnLButtonDown(TDocView& View, TShiftState Shift, TPoint Pos) override;
  void OnRButtonUp(TDocView& View, TShiftState Shift, TPoint Pos) override;
  void OnMouseMove(TDocView& View, TShiftState Shift, TPoint Pos) override;
  void OnInitialize(TDocView& View) override;
  void OnCancel(TDocView& View) override;
  bool HasConstruction() const override { return m_pDrawObj != nullptr; }
  void OnAddPointEnd(TDocView& View) override;

  TCustomFigure* m_pDrawObj = nullptr;

private:
  int FCount = 0;
  Tpt FLastClick;  // logical
  TRubber FRubber;
};

// The labelled arrow line: start, end, then the offset of the dimension.
class TBzLineTool : public TDrawTool {
public:
  explicit TBzLineTool(const TMetaClass* AItemClass) : TDrawTool(AItemClass) {}
  void OnLButtonDown(TDocView& View, TShiftState Shift, TPoint Pos) override;
  void OnRButtonUp(TDocView& View, TShiftState Shift, TPoint Pos) override;
  void OnMouseMove(TDocView& View, TShiftState Shift, TPoint Pos) override;
  void OnInitialize(TDocView& View) override;
  void OnCancel(TDocView& View) override;
  bool HasConstruction() const override { return m_pDrawObj != nullptr; }
  void OnAddPointEnd(TDocView& View) override;

  TCustomFigure* m_pDrawObj = nullptr;
  bool FHorzFx = false;
  bool FFinished = false;
  Tpt FPDown;
  Tpt FPLast;
};

// Mirror copies of the selection about an axis dragged with the mouse. The
// main window prepares it: the view's CurrentItem is a block of clones (set
// with SetMirrorItem) and its TempList the source figures, in order.
class TMirrorTool : public TDrawTool {
public:
  explicit TMirrorTool(const TMetaClass* AItemClass) : TDrawTool(AItemClass) {}
  ~TMirrorTool() override;
  void OnLButtonDown(TDocView& View, TShiftState Shift, TPoint Pos) override;
  void OnRButtonUp(TDocView& View, TShiftState Shift, TPoint Pos) override;
  void OnMouseMove(TDocView& View, TShiftState Shift, TPoint Pos) override;
  void OnInitialize(TDocView& View) override;
  void OnCancel(TDocView& View) override;

  std::unique_ptr<TCustomFigureSet> m_pDrawObj;
  Tpt FPDown;
  Tpt FPLast;

private:
  // Every copy becomes its source mirrored about FPDown -> FPLast.
  void MirrorCopies(TDocView& View);

  std::vector<TCustomFigure*> FCopies;  // in the document, in source order
  TRubber FRubber;
};
