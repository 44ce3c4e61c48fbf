#pragma once
// The tools that place a figure with one click, two clicks, three clicks or
// one freehand drag.

#include "docview/DrawTool.h"
#include "tools/ToolSupport.h"

#include <initializer_list>

class TOnePointTool : public TDrawTool {
public:
  explicit TOnePointTool(const TMetaClass* AItemClass) : TDrawTool(AItemClass) {}
  void OnLButtonDown(TDocView& View, TShiftState Shift, TPoint Pos) override;
  void OnMouseMove(TDocView& View, TShiftState Shift, TPoint Pos) override;

  TCustomFigure* m_pDrawObj = nullptr;  // unused: the figure is finished at once
};

// Rectangles, circles, ellipses, lines, blocks, pictures and OLE objects.
class TTwoPointTool : public TDrawTool {
public:
  explicit TTwoPointTool(const TMetaClass* AItemClass) : TDrawTool(AItemClass) {}
  ~TTwoPointTool() override;
  void OnLButtonDown(TDocView& View, TShiftState Shift, TPoint Pos) override;
  void OnRButtonUp(TDocView& View, TShiftState Shift, TPoint Pos) override;
  void OnMouseMove(TDocView& View, TShiftState Shift, TPoint Pos) override;
  void OnInitialize(TDocView& View) override;
  void OnCancel(TDocView& View) override;
  bool HasConstruction() const override { return m_pDrawObj != nullptr; }
  void OnAddPointEnd(TDocView& View) override;

  // The rubber shape between FPDown and P (logical) in client pixels.
  TRubberShape RubberShape(const TDocView& View, Tpt P) const;
  // Whether the class snaps orthogonally while dragging and at the second click.
  bool MoveOrtho() const;
  bool ClickOrtho() const;

  TToolPointLine* m_pDrawObj = nullptr;
  Tpt FPDown;
  Tpt FPLast;

private:
  TRubber FRubber;
};

// Arcs, sectors and segments.
class TThreePointTool : public TDrawTool {
public:
  explicit TThreePointTool(const TMetaClass* AItemClass) : TDrawTool(AItemClass) {}
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

// Freehand lines: press, drag, release.
class TPenLineTool : public TDrawTool {
public:
  explicit TPenLineTool(const TMetaClass* AItemClass) : TDrawTool(AItemClass) {}
  void OnLButtonDown(TDocView& View, TShiftState Shift, TPoint Pos) override;
  void OnLButtonUp(TDocView& View, TShiftState Shift, TPoint Pos) override;
  void OnMouseMove(TDocView& View, TShiftState Shift, TPoint Pos) override;
  void OnInitialize(TDocView& View) override;
  void OnCancel(TDocView& View) override;
  bool HasConstruction() const override { return m_pDrawObj != nullptr; }

  TCustomFigure* m_pDrawObj = nullptr;
};

// Shared by the tools that collect clicks in a temporary line: a figure of
// Class built from the line's points is added, announced, selected and
// recorded (ovAdd); the temporary line leaves the document either way.
// Returns the new figure, or none.
TCustomFigure* FinishFromPointLine(TDocView& View, const TMetaClass* Class, TToolPointLine*& Line,
                                   bool UseCurrentBlock);
// Starts a temporary line at P (logical), selected, the mouse captured.
TToolPointLine* StartPointLine(TDocView& View, Tpt P);
