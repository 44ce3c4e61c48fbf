#include "tools/PointTools.h"

#include "docview/Document.h"
#include "docview/ObjectSnap.h"
#include "figures/FigureFamily.h"
#include "tools/ToolFigureOps.h"

#include <cmath>
#include <cstring>

TToolPointLine* StartPointLine(TDocView& View, Tpt P) {
  SetCapture(View);
  auto line = std::make_unique<TToolPointLine>();
  TToolPointLine* l = line.get();
  AddToDocument(View, std::move(line), TPoint{0, 0});
  l->AddPoint(P);
  View.Select(l, false);
  return l;
}

TCustomFigure* FinishFromPointLine(TDocView& View, const TMetaClass* Class, TToolPointLine*& Line,
                                   bool UseCurrentBlock) {
  if (!Line) return nullptr;
  TCustomFigure* made = nullptr;
  if (Line->GetPointCount() > 1) {
    std::unique_ptr<TCustomFigure> figure;
    if (UseCurrentBlock && View.FCurrentItem && dynamic_cast<TCustomFigure*>(View.FCurrentItem.get())) {
      // The chosen block itself is placed; the view lets go of it.
      figure.reset(static_cast<TCustomFigure*>(View.FCurrentItem.release()));
    } else {
      figure = CreateFigure(Class);
    }
    if (figure) {
      made = AddToDocument(View, std::move(figure), TPoint{0, 0});
      ToolOps(*made).CreateByRefPoint(*made, Line->FPoints);
      View.Document()->AddItemMessage(made);
      View.Select(made, false);
      View.BackUp(ovAdd);
    }
  }
  TCustomFigure* line = Line;
  Line = nullptr;
  DiscardFromDocument(View, line);
  return made;
}

// ---- TOnePointTool

void TOnePointTool::OnLButtonDown(TDocView& View, TShiftState Shift, TPoint Pos) {
  TDrawTool::OnLButtonDown(View, Shift, Pos);
  const TPoint p = ptodp(SnapPoint(View, Pos));
  std::unique_ptr<TCustomFigure> figure = CreateFigure(FItemClass);
  if (!figure) return;
  // Shown at its natural size whatever the zoom.
  figure->SetScale(1.0 / RootScale(View));
  TCustomFigure* f = AddToDocument(View, std::move(figure), p);
  View.Document()->AddItemMessage(f);
  View.Select(f, false);
  View.BackUp(ovAdd);
  FLastPoint = p;
  View.SetDrawShape(&TDocItem::StaticClass());
}

void TOnePointTool::OnMouseMove(TDocView& View, TShiftState Shift, TPoint Pos) {
  TDrawTool::OnMouseMove(View, Shift, Pos);
  View.DrawLongCursor(Pos);
}

// ---- TTwoPointTool

TTwoPointTool::~TTwoPointTool() = default;

namespace {
// Classes without a family (test figures) place as plain lines.
const TFigureFamily& FamilyFor(const TMetaClass* Class) {
  static const TFigureFamily plain;
  const TFigureFamily* f = Class ? FamilyOf(*Class) : nullptr;
  return f ? *f : plain;
}
}  // namespace

bool TTwoPointTool::MoveOrtho() const { return FamilyFor(FItemClass).OrthoWhileMoving; }

bool TTwoPointTool::ClickOrtho() const { return FamilyFor(FItemClass).OrthoOnClick; }

TRubberShape TTwoPointTool::RubberShape(const TDocView& View, Tpt P) const {
  const TPoint a = LogToClient(View, FPDown), b = LogToClient(View, P);
  switch (FamilyFor(FItemClass).Rubber) {
    case TPlacingRubber::Circle: {
      const auto r = static_cast<std::int32_t>(std::lround(std::hypot(P.x - FPDown.x, P.y - FPDown.y)));
      return RubberEllipse({a.x - r, a.y - r}, {a.x + r, a.y + r});
    }
    case TPlacingRubber::Rect: return RubberRect(a, b);
    case TPlacingRubber::Ellipse: return RubberEllipse(a, b);
    case TPlacingRubber::Line: break;
  }
  return RubberLine(a, b);
}

void TTwoPointTool::OnLButtonDown(TDocView& View, TShiftState Shift, TPoint Pos) {
  TDrawTool::OnLButtonDown(View, Shift, Pos);
  if (!m_pDrawObj) {
    FPDown = SnapPoint(View, Pos);
    FPLast = FPDown;
    m_pDrawObj = StartPointLine(View, FPDown);
    return;
  }
  FRubber.Hide(View);
  m_pDrawObj->AddPoint(SnapPoint(View, Pos, ClickOrtho() ? &FPDown : nullptr));
  OnAddPointEnd(View);
}

void TTwoPointTool::OnMouseMove(TDocView& View, TShiftState Shift, TPoint Pos) {
  if (m_pDrawObj) {
    View.DrawLongCursor(Pos);
    FPLast = SnapPoint(View, Pos, MoveOrtho() ? &FPDown : nullptr);
    FRubber.Show(View, RubberShape(View, FPLast));
  }
  TDrawTool::OnMouseMove(View, Shift, Pos);
}

void TTwoPointTool::OnAddPointEnd(TDocView& View) {
  if (!m_pDrawObj) return;
  FRubber.Hide(View);
  FinishFromPointLine(View, FItemClass, m_pDrawObj, FamilyFor(FItemClass).PlacesCurrentItem);
  View.SetDrawShape(&TDocItem::StaticClass());
}

void TTwoPointTool::OnRButtonUp(TDocView& View, TShiftState Shift, TPoint Pos) {
  FRubber.Hide(View);
  OnCancel(View);
  TDrawTool::OnRButtonUp(View, Shift, Pos);
}

void TTwoPointTool::OnCancel(TDocView& View) {
  FRubber.Hide(View);
  TCustomFigure* line = m_pDrawObj;
  m_pDrawObj = nullptr;
  DiscardFromDocument(View, line);
}

void TTwoPointTool::OnInitialize(TDocView& View) {
  TDrawTool::OnInitialize(View);
  OnCancel(View);
}

// ---- TThreePointTool

void TThreePointTool::OnLButtonDown(TDocView& View, TShiftState Shift, TPoint Pos) {
  TDrawTool::OnLButtonDown(View, Shift, Pos);
  FRubber.Hide(View);
  const Tpt p = SnapPoint(View, Pos);
  if (!m_pDrawObj) {
    m_pDrawObj = StartPointLine(View, p);
  } else {
    m_pDrawObj->AddPoint(p);
    View.Select(m_pDrawObj, false);
  }
  FPDown = p;
  FPLast = p;
  if (m_pDrawObj->GetPointCount() > 2) OnAddPointEnd(View);
}

void TThreePointTool::OnMouseMove(TDocView& View, TShiftState Shift, TPoint Pos) {
  if (m_pDrawObj) {
    View.DrawLongCursor(Pos);
    FPLast = SnapPoint(View, Pos);
    FRubber.Show(View, RubberLine(LogToClient(View, FPDown), LogToClient(View, FPLast)));
  }
  TDrawTool::OnMouseMove(View, Shift, Pos);
}

void TThreePointTool::OnAddPointEnd(TDocView& View) {
  if (!m_pDrawObj) return;
  FRubber.Hide(View);
  FinishFromPointLine(View, FItemClass, m_pDrawObj, false);
  View.SetDrawShape(&TDocItem::StaticClass());
}

void TThreePointTool::OnRButtonUp(TDocView& View, TShiftState Shift, TPoint Pos) {
  OnCancel(View);
  TDrawTool::OnRButtonUp(View, Shift, Pos);
}

void TThreePointTool::OnCancel(TDocView& View) {
  FRubber.Hide(View);
  TCustomFigure* line = m_pDrawObj;
  m_pDrawObj = nullptr;
  DiscardFromDocument(View, line);
}

void TThreePointTool::OnInitialize(TDocView& View) {
  TDrawTool::OnInitialize(View);
  OnCancel(View);
}

// ---- TPenLineTool

void TPenLineTool::OnLButtonDown(TDocView& View, TShiftState Shift, TPoint Pos) {
  TDrawTool::OnLButtonDown(View, Shift, Pos);
  if (m_pDrawObj) return;
  const TPoint p = ptodp(SnapPoint(View, Pos));
  std::unique_ptr<TCustomFigure> figure = CreateFigure(FItemClass);
  if (!figure) return;
  SetCapture(View);
  m_pDrawObj = AddToDocument(View, std::move(figure), TPoint{0, 0});
  ToolOps(*m_pDrawObj).AddPoint(*m_pDrawObj, dptop(p));
  View.Select(m_pDrawObj, false);
}

void TPenLineTool::OnMouseMove(TDocView& View, TShiftState Shift, TPoint Pos) {
  View.DrawLongCursor(Pos);
  if (m_pDrawObj) ToolOps(*m_pDrawObj).AddPoint(*m_pDrawObj, dptop(ClientToLog(View, Pos)));
  TDrawTool::OnMouseMove(View, Shift, Pos);
}

void TPenLineTool::OnLButtonUp(TDocView& View, TShiftState Shift, TPoint Pos) {
  if (m_pDrawObj) {
    TCustomFigure* line = m_pDrawObj;
    m_pDrawObj = nullptr;
    View.Document()->AddItemMessage(line);
    // A freehand line is an edit like any other: undo must take it back.
    View.Select(line, false);
    View.BackUp(ovAdd);
    View.SetDrawShape(&TDocItem::StaticClass());
  }
  TDrawTool::OnLButtonUp(View, Shift, Pos);
}

void TPenLineTool::OnCancel(TDocView& View) { DiscardFromDocument(View, m_pDrawObj); }

void TPenLineTool::OnInitialize(TDocView& View) {
  TDrawTool::OnInitialize(View);
  OnCancel(View);
}
