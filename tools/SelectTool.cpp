#include "tools/SelectTool.h"

#include "docview/Document.h"
#include "docview/Environment.h"
#include "figures/FigureSet.h"
#include "docview/ObjectSnap.h"

#include <cmath>
#include <vector>

void SetDefaultOperation(TDocView& View) {
  const bool allowMove = SysEnvironment ? SysEnvironment->FAllowMove : true;
  View.SetOperation(allowMove ? omMove : omNormal);
}

const TMetaClass* TSelectTool::HitClass() const {
  return FItemClass == &TDocItem::StaticClass() ? nullptr : FItemClass;
}

TPoint TSelectTool::SnapCopyPoint(TDocView& View, TPoint Pos) const {
  if (CaptureSnapPoint(View, Pos) != plNone) return ptodp(View.FCapturedPoint);
  TPoint p = ClientToLog(View, Pos);
  if (OrthoMode()) {
    // FP_Down holds the logical base point in these modes.
    if (std::abs(p.x - FP_Down.x) < std::abs(p.y - FP_Down.y))
      p.x = FP_Down.x;
    else
      p.y = FP_Down.y;
  }
  return p;
}

void TSelectTool::MoveSelection(TDocView& View, TPoint Local) {
  for (TMyPersistent* p : View.FSelection.FList)
    static_cast<TDocItem*>(p)->MoveByOffset(Local.x - FLastPoint.x, Local.y - FLastPoint.y);
}

void TSelectTool::DropCopies(TDocView& View, TPoint Local) {
  TDocument* doc = View.Document();
  const std::vector<TMyPersistent*> kept = View.FSelection.FList;
  for (std::size_t i = 0; i < kept.size(); ++i) {
    auto* item = static_cast<TDocItem*>(kept[i]);
    View.Deselect(item);
    std::unique_ptr<TDocItem> copy = item->Clone();
    if (!copy) continue;
    TDocItem* c = copy.get();
    c->MoveByOffset(Local.x - FLastPoint.x, Local.y - FLastPoint.y);
    doc->Add(std::move(copy), TPoint{0, 0}, &View);
    doc->AddItemMessage(c);
    View.FSelection.Insert(std::min(static_cast<int>(i), View.FSelection.Count()), c);
  }
  View.BackUp(ovAdd);
  // The copies that follow the mouse stay selected for the next drop.
  View.Select(nullptr, false);
  for (TMyPersistent* p : kept) View.FSelection.Add(p);
}

void TSelectTool::OnLButtonDown(TDocView& View, TShiftState Shift, TPoint Pos) {
  TPoint local = ClientToLog(View, Pos);
  nDragHandle = 0;
  const TOperationMode op = View.Operation();
  if (View.FSelection.Count() == 1) {
    if (auto* f = dynamic_cast<TCustomFigure*>(View.SelectedItem(0))) nDragHandle = f->HitTest(local, &View, true);
    if (nDragHandle != 0) {
      if (op == omMove) {
        FSelectMode = smSize;
        View.BackUp(ovEdit);
      } else if (op == omRotate) {
        FSelectMode = smRotate;
        // A rotation is an edit like any other: it must be undoable.
        View.BackUp(ovEdit);
      }
    }
  }
  switch (op) {
    case omPanRealTime: FSelectMode = smPanRealTime; break;
    case omZoomRealTime: FSelectMode = smZoomRealTime; break;
    case omZoomWindow: FSelectMode = smZoomWindow; break;
    case omOffset: return;  // the offset works on release
    case omCopyObject:
      local = SnapCopyPoint(View, Pos);
      if (FSelectMode == smCopyObject) {
        DropCopies(View, local);
      } else {
        FSelectMode = smCopyObject;
        FLastPoint = local;
        FP_Down = local;
      }
      return;
    case omRealTimeAddPoint:
    case omRealTimeDeletePoint: {
      TDocItem* item = View.Document()->ObjectAt(local, HitClass(), 1.0);
      View.Select(item, false);
      FSelectMode = op == omRealTimeAddPoint ? smRealTimeAddPoint : smRealTimeDeletePoint;
      break;
    }
    default: break;
  }
  if (FSelectMode == smNone) {
    if (TDocItem* item = View.Document()->ObjectAt(local, HitClass(), 1.0)) {
      if (op == omMove) FSelectMode = smMove;
      if (!View.IsSelected(item))
        View.Select(item, (Shift & ssShift) != 0);
      else if (Shift & ssShift)
        View.Deselect(item);
      // Any hit records the selection, a plain click that only selects too.
      View.BackUp(ovEdit);
      if (Shift & ssCtrl) View.CloneSelection();
    } else {
      FSelectMode = smNetSelect;
      if (!(Shift & ssShift)) View.Select(nullptr, false);
    }
  }
  FLastPoint = local;
  TDrawTool::OnLButtonDown(View, Shift, Pos);
  SetCapture(View);
}

double TSelectTool::RealTimeZoomScale(const TDocView& View, TPoint Pos) const {
  TTxFigureSet* root = RootOf(View);
  if (!root || View.ClientHeight() <= 0) return 0;
  root->FViewState = vsDraw;
  const double s = root->GetScale();
  const double dy = Pos.y - FP_Last.y;
  const double v = s * (1 - 0.3 * dy / View.ClientHeight());
  if (!(v > 0) || !std::isfinite(v)) return 0;
  const TSize size = View.Document()->GetSize();
  const double cx = std::round(size.cx * v / s), cy = std::round(size.cy * v / s);
  if (!(cx > 100 && cx < 10000 && cy > 100 && cy < 10000)) return 0;
  return v;
}

void TSelectTool::OnMouseMove(TDocView& View, TShiftState Shift, TPoint Pos) {
  View.DrawLongCursor(Pos);
  switch (FSelectMode) {
    case smZoomRealTime: {
      if (const double v = RealTimeZoomScale(View, Pos); v > 0) RootOf(View)->SetScale(v);
      break;
    }
    case smPanRealTime: {
      const bool skip = first == 3;
      first = skip ? 0 : 3;
      // Every second move message pans: panning moves the window under the mouse.
      if (skip) return;
      View.SetHorzPosition(View.HorzPosition() + FP_Last.x - Pos.x);
      View.SetVertPosition(View.VertPosition() + FP_Last.y - Pos.y);
      break;
    }
    case smNetSelect:
    case smZoomWindow: FRubber.Show(View, RubberRect(FP_Down, Pos)); break;
    case smOffset:
    case smCopyObject: {
      const TPoint local = SnapCopyPoint(View, Pos);
      MoveSelection(View, local);
      FLastPoint = local;
      break;
    }
    default: {
      if (!HasCapture(View)) break;
      TPoint local = ClientToLog(View, Pos);
      if (FSelectMode == smMove) {
        // A pointer trembling on the spot moves nothing and changes nothing.
        if (local.x != FLastPoint.x || local.y != FLastPoint.y) {
          MoveSelection(View, local);
          if (View.FSelection.Count() > 0) View.Document()->SetModifiedFlag(true);
        }
      } else if ((FSelectMode == smSize || FSelectMode == smRotate) && nDragHandle != 0) {
        if (CaptureSnapPoint(View, Pos) != plNone) local = ptodp(View.FCapturedPoint);
        for (TMyPersistent* p : View.FSelection.FList) {
          auto* item = static_cast<TDocItem*>(p);
          if (FSelectMode == smSize)
            item->MoveHandleTo(nDragHandle, local);
          else
            item->RotateHandleTo(nDragHandle, local);
        }
        View.Document()->SetModifiedFlag(true);
      }
      FLastPoint = local;
      break;
    }
  }
  TDrawTool::OnMouseMove(View, Shift, Pos);
}

void TSelectTool::OnLButtonUp(TDocView& View, TShiftState Shift, TPoint Pos) {
  const TOperationMode op = View.Operation();
  switch (FSelectMode) {
    case smNetSelect: {
      FRubber.Hide(View);
      TRect r{FP_Down.x, FP_Down.y, FP_Last.x, FP_Last.y};
      View.SelectWithinRect(ExpandRect(r, 0));
      break;
    }
    case smZoomWindow: {
      FRubber.Hide(View);
      TRect r{FP_Down.x, FP_Down.y, FP_Last.x, FP_Last.y};
      View.ZoomWindow(ExpandRect(r, 0));
      SetDefaultOperation(View);
      break;
    }
    case smZoomRealTime:
      if (const double v = RealTimeZoomScale(View, Pos); v > 0) {
        RootOf(View)->SetScale(v);
        View.PushZoom(v);
      }
      break;
    case smRealTimeAddPoint:
    case smRealTimeDeletePoint:
      if (View.FSelection.Count() == 1) {
        if (auto* f = dynamic_cast<TCustomFigure*>(View.SelectedItem(0))) {
          const Tpt p = dptop(ClientToLog(View, Pos));
          const bool changed = FSelectMode == smRealTimeAddPoint ? f->RealTimeAddPoint(p, &View)
                                                                 : f->RealTimeDeletePoint(p, &View);
          if (changed) SetDefaultOperation(View);
        }
      }
      break;
    default: break;
  }
  if (op == omOffset) {
    if (FSelectMode == smOffset) {
      // Ended where it is: leaving the operation must not put it back.
      FSelectMode = smNone;
      SetDefaultOperation(View);
    } else {
      TPoint local = ClientToLog(View, Pos);
      if (CaptureSnapPoint(View, Pos) != plNone) local = ptodp(View.FCapturedPoint);
      FLastPoint = local;
      FSelectMode = smOffset;
      for (TMyPersistent* p : View.FTempList.FList) View.Select(static_cast<TDocItem*>(p), true);
      View.BackUp(ovEdit);
      // The offset is an edit like the others: the drawing asks to be saved.
      View.Document()->SetModifiedFlag(true);
      FP_Down = local;
    }
  }
  TDrawTool::OnLButtonUp(View, Shift, Pos);
}

void TSelectTool::OnLButtonDblClk(TDocView& View, TShiftState Shift, TPoint Pos) {
  const TPoint local = ClientToLog(View, Pos);
  if (Shift & ssShift) {
    View.Deselect(View.Document()->ObjectAt(local, HitClass(), 1.0));
    return;
  }
  const bool allowMove = SysEnvironment ? SysEnvironment->FAllowMove : true;
  const TOperationMode op = View.Operation();
  if (View.FSelection.Count() == 1 && (op == omNormal || (op == omMove && allowMove))) {
    // The dialog takes the rest of this click: no drag may start or go on behind it.
    View.EndMouseGesture();
    ReleaseConfinement();
    FSelectMode = smNone;
    View.SelectedItem(0)->EditProperties(&View);
    View.Document()->SetModifiedFlag(true);
  }
}

void TSelectTool::OnRButtonUp(TDocView& View, TShiftState, TPoint) {
  // Cancelling puts a live offset back and takes the copies that follow the mouse away.
  OnCancel(View);
  switch (View.Operation()) {
    case omMove:
    case omRealTimeAddPoint:
    case omRealTimeDeletePoint:
    case omCopyObject:
    case omOffset:
      SetDefaultOperation(View);
      FSelectMode = smNone;
      break;
    default: break;
  }
}

void TSelectTool::OnInitialize(TDocView& View) {
  TDrawTool::OnInitialize(View);
  FRubber.Forget();
  first = 0;
}

void TSelectTool::OnCancel(TDocView& View) {
  View.setToolTip(QString());
  FRubber.Hide(View);
  if (FSelectMode == smOffset)
    for (TMyPersistent* p : View.FSelection.FList)
      static_cast<TDocItem*>(p)->MoveByOffset(FP_Down.x - FLastPoint.x, FP_Down.y - FLastPoint.y);
  DiscardCopies(View);
  ReleaseConfinement();
  FSelectMode = smNone;
}

void TSelectTool::DiscardCopies(TDocView& View) {
  if (View.FCopyClones.Count() == 0) return;
  // The copies following the mouse are the view's, never part of the
  // drawing's history; only they go, whatever is selected by now.
  const std::vector<TMyPersistent*> copies = View.FCopyClones.FList;
  View.FCopyClones.Clear();
  View.Select(nullptr, false);
  for (TMyPersistent* p : copies) {
    auto* f = static_cast<TCustomFigure*>(p);
    f->Invalidate();
    if (!f->FParent) continue;
    std::unique_ptr<TCustomFigure> gone = f->FParent->RemoveFigure(f);
    if (gone && View.Document()) View.Document()->FiguresFreeing({gone.get()});
  }
}
