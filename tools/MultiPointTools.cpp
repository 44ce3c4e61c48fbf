#include "tools/MultiPointTools.h"

#include "docview/Document.h"
#include "figures/FigureSet.h"
#include "docview/ObjectSnap.h"
#include "tools/PointTools.h"
#include "tools/ToolFigureOps.h"

#include <cmath>

namespace {
// A new figure of Class in the document at P (logical), selected, the mouse captured.
TCustomFigure* StartFigure(TDocView& View, const TMetaClass* Class, Tpt P) {
  std::unique_ptr<TCustomFigure> figure = CreateFigure(Class);
  if (!figure) return nullptr;
  SetCapture(View);
  TCustomFigure* f = AddToDocument(View, std::move(figure), TPoint{0, 0});
  ToolOps(*f).AddPoint(*f, P);
  View.Select(f, false);
  return f;
}

// A figure built point by point is finished: announced, selected, recorded.
void RecordAdded(TDocView& View, TCustomFigure* Figure) {
  View.Document()->SetModifiedFlag(true);
  View.Document()->AddItemMessage(Figure);
  View.Select(Figure, false);
  View.BackUp(ovAdd);
}
}  // namespace

// ---- TMultiLineTool

void TMultiLineTool::OnLButtonDown(TDocView& View, TShiftState Shift, TPoint Pos) {
  Tpt p;
  if (!m_pDrawObj) {
    p = SnapPoint(View, Pos);
    m_pDrawObj = StartFigure(View, FItemClass, p);
    if (!m_pDrawObj) return;
    View.FAllowTangent = true;
    FCount = 1;
  } else {
    FRubber.Hide(View);
    p = SnapPoint(View, Pos, &FPDown);
    ToolOps(*m_pDrawObj).AddPoint(*m_pDrawObj, p);
    View.Select(m_pDrawObj, false);
    ++FCount;
  }
  View.FTangentPoint = ptodp(p);
  FPDown = p;
  FPLast = p;
  TDrawTool::OnLButtonDown(View, Shift, Pos);
}

void TMultiLineTool::OnMouseMove(TDocView& View, TShiftState Shift, TPoint Pos) {
  View.DrawLongCursor(Pos);
  if (m_pDrawObj) {
    FPLast = SnapPoint(View, Pos, &FPDown);
    FRubber.Show(View, RubberLine(LogToClient(View, FPDown), LogToClient(View, FPLast)));
  }
  TDrawTool::OnMouseMove(View, Shift, Pos);
}

void TMultiLineTool::OnRButtonUp(TDocView& View, TShiftState Shift, TPoint Pos) {
  FRubber.Hide(View);
  if (m_pDrawObj) OnAddPointEnd(View);
  TDrawTool::OnRButtonUp(View, Shift, Pos);
}

void TMultiLineTool::OnAddPointEnd(TDocView& View) {
  FRubber.Hide(View);
  if (!m_pDrawObj) return;
  // A line needs two points; one alone is no figure.
  if (FCount < 2) {
    OnCancel(View);
    return;
  }
  TCustomFigure* line = m_pDrawObj;
  m_pDrawObj = nullptr;
  RecordAdded(View, line);
  View.FAllowTangent = false;
  FCount = 0;
}

void TMultiLineTool::OnCancel(TDocView& View) {
  FRubber.Hide(View);
  DiscardFromDocument(View, m_pDrawObj);
  FCount = 0;
  View.FAllowTangent = false;
}

void TMultiLineTool::OnInitialize(TDocView& View) {
  TDrawTool::OnInitialize(View);
  OnCancel(View);
}

// ---- TPolygonTool

void TPolygonTool::OnLButtonDown(TDocView& View, TShiftState Shift, TPoint Pos) {
  if (!m_pDrawObj) {
    FPLast = SnapPoint(View, Pos);
    m_pDrawObj = StartFigure(View, FItemClass, FPLast);
    if (!m_pDrawObj) return;
    View.FAllowTangent = true;
    FCount = 1;
  } else {
    FPLast = SnapPoint(View, Pos, &FPDown);
    // The rubber vertex becomes the clicked vertex; without one the click adds it.
    const TToolFigureOps& ops = ToolOps(*m_pDrawObj);
    if (FIsMovedPoint)
      ops.ReplaceLastPoint(*m_pDrawObj, FPLast);
    else
      ops.AddPoint(*m_pDrawObj, FPLast);
    ++FCount;
  }
  FIsMovedPoint = false;
  FPDown = FPLast;
  View.FTangentPoint = ptodp(FPLast);
  TDrawTool::OnLButtonDown(View, Shift, Pos);
}

void TPolygonTool::OnMouseMove(TDocView& View, TShiftState Shift, TPoint Pos) {
  View.DrawLongCursor(Pos);
  if (m_pDrawObj) {
    // The polygon itself is the rubber band: its last vertex follows the mouse.
    FPLast = SnapPoint(View, Pos, &FPDown);
    const TToolFigureOps& ops = ToolOps(*m_pDrawObj);
    if (FIsMovedPoint) {
      ops.ReplaceLastPoint(*m_pDrawObj, FPLast);
    } else {
      ops.AddPoint(*m_pDrawObj, FPLast);
      FIsMovedPoint = true;
    }
  }
  TDrawTool::OnMouseMove(View, Shift, Pos);
}

void TPolygonTool::OnRButtonUp(TDocView& View, TShiftState Shift, TPoint Pos) {
  if (m_pDrawObj) OnAddPointEnd(View);
  TDrawTool::OnRButtonUp(View, Shift, Pos);
}

void TPolygonTool::OnAddPointEnd(TDocView& View) {
  if (!m_pDrawObj) return;
  if (FIsMovedPoint) {
    ToolOps(*m_pDrawObj).RemoveLastPoint(*m_pDrawObj);
    FIsMovedPoint = false;
  }
  if (FCount <= 2) {
    OnCancel(View);
    return;
  }
  TCustomFigure* polygon = m_pDrawObj;
  m_pDrawObj = nullptr;
  RecordAdded(View, polygon);
  View.FAllowTangent = false;
  FCount = 0;
}

void TPolygonTool::OnCancel(TDocView& View) {
  DiscardFromDocument(View, m_pDrawObj);
  FIsMovedPoint = false;
  FCount = 0;
  View.FAllowTangent = false;
}

void TPolygonTool::OnInitialize(TDocView& View) {
  TDrawTool::OnInitialize(View);
  OnCancel(View);
}

// ---- TMultiPointTool

void TMultiPointTool::OnLButtonDown(TDocView& View, TShiftState Shift, TPoint Pos) {
  FRubber.Hide(View);
  Tpt p;
  if (!m_pDrawObj) {
    p = SnapPoint(View, Pos);
    m_pDrawObj = StartPointLine(View, p);
    View.FAllowTangent = true;
  } else {
    p = SnapPoint(View, Pos, &FPDown);
    m_pDrawObj->AddPoint(p);
    View.Select(m_pDrawObj, false);
  }
  View.FTangentPoint = ptodp(p);
  FPDown = p;
  FPLast = p;
  TDrawTool::OnLButtonDown(View, Shift, Pos);
}

void TMultiPointTool::OnMouseMove(TDocView& View, TShiftState Shift, TPoint Pos) {
  View.DrawLongCursor(Pos);
  if (m_pDrawObj) {
    FPLast = SnapPoint(View, Pos, &FPDown);
    FRubber.Show(View, RubberLine(LogToClient(View, FPDown), LogToClient(View, FPLast)));
  }
  TDrawTool::OnMouseMove(View, Shift, Pos);
}

void TMultiPointTool::OnRButtonUp(TDocView& View, TShiftState Shift, TPoint Pos) {
  FRubber.Hide(View);
  if (m_pDrawObj) OnAddPointEnd(View);
  TDrawTool::OnRButtonUp(View, Shift, Pos);
}

void TMultiPointTool::OnAddPointEnd(TDocView& View) {
  FRubber.Hide(View);
  if (!m_pDrawObj) return;
  // With one point FinishFromPointLine only removes the temporary line.
  FinishFromPointLine(View, FItemClass, m_pDrawObj, false);
  View.FAllowTangent = false;
}

void TMultiPointTool::OnCancel(TDocView& View) {
  FRubber.Hide(View);
  TCustomFigure* line = m_pDrawObj;
  m_pDrawObj = nullptr;
  DiscardFromDocument(View, line);
  View.FAllowTangent = false;
}

void TMultiPointTool::OnInitialize(TDocView& View) {
  TDrawTool::OnInitialize(View);
  OnCancel(View);
}

// ---- TBezierTool

void TBezierTool::OnLButtonDown(TDocView& View, TShiftState Shift, TPoint Pos) {
  FRubber.Hide(View);
  const Tpt p = dptop(ptodp(SnapPoint(View, Pos)));
  if (!m_pDrawObj) {
    // Recorded for undo only when finished: a cancelled spline is freed.
    m_pDrawObj = StartFigure(View, FItemClass, p);
    if (!m_pDrawObj) return;
    FCount = 1;
  } else {
    ToolOps(*m_pDrawObj).AddPoint(*m_pDrawObj, p);
    View.Select(m_pDrawObj, false);
    ++FCount;
  }
  FLastClick = p;
  TDrawTool::OnLButtonDown(View, Shift, Pos);
}

void TBezierTool::OnMouseMove(TDocView& View, TShiftState Shift, TPoint Pos) {
  View.DrawLongCursor(Pos);
  if (m_pDrawObj) FRubber.Show(View, RubberLine(LogToClient(View, FLastClick), Pos));
  TDrawTool::OnMouseMove(View, Shift, Pos);
}

void TBezierTool::OnRButtonUp(TDocView& View, TShiftState Shift, TPoint Pos) {
  FRubber.Hide(View);
  if (m_pDrawObj) OnAddPointEnd(View);
  TDrawTool::OnRButtonUp(View, Shift, Pos);
}

void TBezierTool::OnAddPointEnd(TDocView& View) {
  FRubber.Hide(View);
  if (!m_pDrawObj) return;
  if (FCount < 2) {
    OnCancel(View);
    return;
  }
  TCustomFigure* spline = m_pDrawObj;
  m_pDrawObj = nullptr;
  FCount = 0;
  RecordAdded(View, spline);
}

void TBezierTool::OnCancel(TDocView& View) {
  FRubber.Hide(View);
  DiscardFromDocument(View, m_pDrawObj);
  FCount = 0;
}

void TBezierTool::OnInitialize(TDocView& View) {
  TDrawTool::OnInitialize(View);
  OnCancel(View);
}

// ---- TBzLineTool

void TBzLineTool::OnLButtonDown(TDocView& View, TShiftState Shift, TPoint Pos) {
  if (!m_pDrawObj) {
    std::unique_ptr<TCustomFigure> figure = CreateFigure(FItemClass);
    if (!figure) return;
    FPDown = SnapPoint(View, Pos);
    FPLast = FPDown;
    SetCapture(View);
    m_pDrawObj = AddToDocument(View, std::move(figure), TPoint{0, 0});
    ToolOps(*m_pDrawObj).SetQd(*m_pDrawObj, FPDown);
    View.Select(m_pDrawObj, false);
  } else if (!FFinished) {
    FPLast = SnapPoint(View, Pos);
    ToolOps(*m_pDrawObj).SetZd(*m_pDrawObj, FPLast);
    View.Select(m_pDrawObj, false);
    FFinished = true;
  } else {
    OnAddPointEnd(View);
  }
  TDrawTool::OnLButtonDown(View, Shift, Pos);
}

void TBzLineTool::OnMouseMove(TDocView& View, TShiftState Shift, TPoint Pos) {
  View.DrawLongCursor(Pos);
  if (m_pDrawObj) {
    const TToolFigureOps& ops = ToolOps(*m_pDrawObj);
    if (!FFinished) {
      FPLast = SnapPoint(View, Pos);
      ops.SetZd(*m_pDrawObj, FPLast);
    } else {
      const Tpt p = SnapPoint(View, Pos);
      // Placement works in the line's own frame.
      TCustomFigure& f = *m_pDrawObj;
      const Tpt p1 = f.xyTransAbsPt(FPDown.x, FPDown.y), p2 = f.xyTransAbsPt(FPLast.x, FPLast.y);
      const Tpt p3 = f.xyTransAbsPt(p.x, p.y);
      if (OrthoMode()) {
        TRect r{};
        const TPoint a = LogToClient(View, FPDown), b = LogToClient(View, FPLast);
        r = TRect{a.x, a.y, b.x, b.y};
        ExpandRect(r, 0);
        if (!(Pos.x > r.Left && Pos.x < r.Right))
          FHorzFx = false;
        else if (!(Pos.y > r.Top && Pos.y < r.Bottom))
          FHorzFx = true;
        ops.OrthoBz(f, p1, p2, FHorzFx, p3);
      } else {
        ops.OffSetToPoint(f, p1, p2, p3);
      }
    }
  }
  TDrawTool::OnMouseMove(View, Shift, Pos);
}

void TBzLineTool::OnAddPointEnd(TDocView& View) {
  if (!m_pDrawObj) return;
  TCustomFigure* line = m_pDrawObj;
  m_pDrawObj = nullptr;
  FFinished = false;
  View.Document()->AddItemMessage(line);
  View.Select(line, false);
  View.BackUp(ovAdd);
  View.SetDrawShape(&TDocItem::StaticClass());
}

void TBzLineTool::OnRButtonUp(TDocView& View, TShiftState Shift, TPoint Pos) {
  OnCancel(View);
  TDrawTool::OnRButtonUp(View, Shift, Pos);
}

void TBzLineTool::OnCancel(TDocView& View) {
  DiscardFromDocument(View, m_pDrawObj);
  FFinished = false;
  FHorzFx = false;
}

void TBzLineTool::OnInitialize(TDocView& View) {
  TDrawTool::OnInitialize(View);
  OnCancel(View);
}

// ---- TMirrorTool

TMirrorTool::~TMirrorTool() = default;

void TMirrorTool::MirrorCopies(TDocView& View) {
  const auto& sources = View.FTempList.FList;
  for (std::size_t i = 0; i < FCopies.size() && i < sources.size(); ++i) {
    auto* source = dynamic_cast<TCustomFigure*>(sources[i]);
    TCustomFigure* copy = FCopies[i];
    if (!source) continue;
    copy->Invalidate();
    copy->Assign(*source);
    // An axis of no length mirrors nothing: the copy stays on its source.
    if (std::hypot(FPLast.x - FPDown.x, FPLast.y - FPDown.y) >= EPS) {
      const Tpt a = copy->xyTransAbsPt(FPDown.x, FPDown.y), b = copy->xyTransAbsPt(FPLast.x, FPLast.y);
      copy->FigureMirror(pptobx(a, b));
    }
    copy->Modified();
  }
}

void TMirrorTool::OnLButtonDown(TDocView& View, TShiftState Shift, TPoint Pos) {
  if (!m_pDrawObj) {
    auto* block = dynamic_cast<TCustomFigureSet*>(View.FCurrentItem.get());
    if (!block) return;
    SetCapture(View);
    View.FCurrentItem.release();
    m_pDrawObj.reset(block);
    // The copies leave the block for the document, where they are shown.
    while (block->FFigures->Count() > 0) {
      std::unique_ptr<TCustomFigure> copy = block->RemoveFigure(block->FFigures->Figures(0));
      if (!copy) break;
      FCopies.push_back(AddToDocument(View, std::move(copy), TPoint{0, 0}));
    }
    FPDown = SnapPoint(View, Pos);
    FPLast = FPDown;
  } else {
    FRubber.Hide(View);
    FPLast = SnapPoint(View, Pos, &FPDown);
    MirrorCopies(View);
    View.Select(nullptr, false);
    for (TCustomFigure* copy : FCopies) {
      View.Document()->AddItemMessage(copy);
      View.Select(copy, true);
    }
    View.BackUp(ovAdd);
    View.Document()->SetModifiedFlag(true);
    FCopies.clear();
    m_pDrawObj.reset();
    View.SetDrawShape(&TDocItem::StaticClass());
  }
  TDrawTool::OnLButtonDown(View, Shift, Pos);
}

void TMirrorTool::OnMouseMove(TDocView& View, TShiftState Shift, TPoint Pos) {
  if (m_pDrawObj) {
    View.DrawLongCursor(Pos);
    FPLast = SnapPoint(View, Pos, &FPDown);
    MirrorCopies(View);
    FRubber.Show(View, RubberLine(LogToClient(View, FPDown), LogToClient(View, FPLast)));
  }
  TDrawTool::OnMouseMove(View, Shift, Pos);
}

void TMirrorTool::OnRButtonUp(TDocView& View, TShiftState Shift, TPoint Pos) {
  OnCancel(View);
  TDrawTool::OnRButtonUp(View, Shift, Pos);
}

void TMirrorTool::OnCancel(TDocView& View) {
  FRubber.Hide(View);
  for (TCustomFigure* copy : FCopies) {
    copy->Invalidate();
    TCustomFigure* c = copy;
    DiscardFromDocument(View, c);
  }
  FCopies.clear();
  m_pDrawObj.reset();
}

void TMirrorTool::OnInitialize(TDocView& View) {
  TDrawTool::OnInitialize(View);
  OnCancel(View);
}
