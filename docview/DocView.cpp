#include "docview/DocView.h"

#include "docview/Cursors.h"
#include "docview/Document.h"
#include "docview/Environment.h"
#include "docview/InPlaceEditor.h"
#include "docview/RectHelpers.h"
#include "figures/FigureSet.h"
#include "figures/SheetMapping.h"
#include "platform/Bitmap.h"
#include "platform/Graphic.h"
#include "platform/QtCanvas.h"
#include "platform/System.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

TShiftState ShiftOf(Qt::KeyboardModifiers Mods, Qt::MouseButtons Buttons) {
  TShiftState s = 0;
  if (Mods & Qt::ShiftModifier) s |= ssShift;
  if (Mods & Qt::AltModifier) s |= ssAlt;
  if (Mods & Qt::ControlModifier) s |= ssCtrl;
  if (Buttons & Qt::LeftButton) s |= ssLeft;
  if (Buttons & Qt::RightButton) s |= ssRight;
  if (Buttons & Qt::MiddleButton) s |= ssMiddle;
  return s;
}

bool ButtonOf(Qt::MouseButton B, TMouseButton& Out) {
  switch (B) {
    case Qt::LeftButton: Out = mbLeft; return true;
    case Qt::RightButton: Out = mbRight; return true;
    case Qt::MiddleButton: Out = mbMiddle; return true;
    default: return false;
  }
}

TPoint PosOf(const QMouseEvent* E) {
  const QPoint p = E->position().toPoint();
  return TPoint{p.x(), p.y()};
}

QRect ToQRect(const TRect& R) { return QRect(R.Left, R.Top, R.Right - R.Left, R.Bottom - R.Top); }

// Moves the pixels of a 32-bit image by (Dx, Dy); what moves out is lost,
// what is uncovered keeps its old pixels.
void ShiftImage(QImage& Image, int Dx, int Dy) {
  const int w = Image.width(), h = Image.height();
  const int cols = w - std::abs(Dx), rows = h - std::abs(Dy);
  if (cols <= 0 || rows <= 0 || Image.depth() != 32) return;
  uchar* bits = Image.bits();
  const qsizetype bpl = Image.bytesPerLine();
  const int from = Dx >= 0 ? 0 : -Dx, to = Dx >= 0 ? Dx : 0;
  auto row = [&](int y) {
    std::memmove(bits + y * bpl + to * 4, bits + (y - Dy) * bpl + from * 4, std::size_t(cols) * 4);
  };
  if (Dy > 0)
    for (int y = h - 1; y >= Dy; --y) row(y);
  else
    for (int y = 0; y < h + Dy; ++y) row(y);
}

TRect PositionRect(const TDocItem* Item) {
  TRect r;
  Item->CalcPositionRect(r);
  return ExpandRect(r, 0);
}

}  // namespace

TDocView::TDocView(QWidget* Parent) : TScaleScrollBox(Parent) {
  InstallInPlaceEditors();
  viewport()->setMouseTracking(true);
  viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
  setFocusPolicy(Qt::StrongFocus);
}

TDocView::~TDocView() { SetDocument(nullptr); }

TTxFigureSet* TDocView::Root() const { return FDocument ? FDocument->GetFigures() : nullptr; }

// ---- document

void TDocView::SetDocument(TDocument* Document) {
  if (FDocument) {
    // What the tool holds for the moment belongs to this view, never to the drawing.
    if (FCurrentTool) {
      FCurrentTool->OnCancel(*this);
      ReleaseCapture();
    }
    FDocument->RemoveView(this);
    FPanning = false;
    FLastLocalPoint.reset();
    FLastDrawClass = nullptr;
    FRepeatItem.reset();
    FSelection.Clear();
    FTempList.Clear();
    FCopyClones.Clear();
    FItemClass = nullptr;
    FCurrentTool = nullptr;
  }
  FDocument = Document;
  OnInitialUpdate();
  if (FDocument) {
    FDocument->AddView(this);
    if (IsDrawingView()) {
      SetHorzPosition(FDocument->FHorzPosition);
      SetVertPosition(FDocument->FVertPosition);
      if (TTxFigureSet* root = Root()) PushZoom(root->GetScale());
      // PushZoom marks the document changed; attaching changes nothing.
      FDocument->SetModifiedFlag(false);
    }
  }
  InvalidateView();
}

TSize TDocView::GetDocumentLogSize() const {
  if (!FDocument) return {};
  if (TTxFigureSet* root = Root()) root->FViewState = FViewState;
  return FDocument->GetSize();
}

TSize TDocView::GetDocumentDevSize() const {
  TRect r = SizeToRect(GetDocumentLogSize());
  RectDocToClient(r);
  return RectToSize(r);
}

void TDocView::OnInitialUpdate() {
  const TSize s = GetDocumentDevSize();
  if (s.cx > 0 && s.cy > 0) {
    SetHorzRange(s.cx);
    SetVertRange(s.cy);
  }
}

void TDocView::SetPageSize() {
  OnInitialUpdate();
  if (FDocument) FDocument->UpdateAllViews(nullptr, 0, nullptr);
}

void TDocView::OnUpdate(TDocView*, int Hint, TPersistent* HintObject) {
  switch (Hint) {
    case 0: InvalidateView(); break;
    case 1: InvalObj(dynamic_cast<TDocItem*>(HintObject)); break;
    case 2:
      if (auto* list = dynamic_cast<TMyList*>(HintObject)) {
        for (TMyPersistent* item : list->FList) InvalObj(dynamic_cast<TDocItem*>(item));
      } else {
        for (TMyPersistent* item : FSelection.FList) InvalObj(dynamic_cast<TDocItem*>(item));
      }
      break;
    case 3:
      if (auto* list = dynamic_cast<TMyList*>(HintObject); list && list != &FSelection) {
        for (TMyPersistent* item : list->FList) {
          InvalObj(dynamic_cast<TDocItem*>(item));
          FSelection.Remove(item);
        }
      }
      break;
    case 4:
      if (FDocument) {
        const TSize s = GetDocumentDevSize();
        if (s.cx > 0 && s.cy > 0) {
          SetHorzRange(s.cx);
          SetVertRange(s.cy);
        }
        if (FZoomState == qrZoomToFit)
          ZoomToFit();
        else
          InvalidateView();
      }
      break;
    default: break;
  }
}

void TDocView::CMAddItem(TMyPersistent*) {}
void TDocView::CMDelItem(TMyPersistent*) {}

void TDocView::FiguresFreeing(const std::vector<TMyPersistent*>& Figures) {
  for (TMyPersistent* f : Figures) {
    FSelection.Remove(f);
    FTempList.Remove(f);
    FCopyClones.Remove(f);
  }
}

TRect TDocView::GetClientDocRect() const {
  const TSize dev = GetDocumentDevSize();
  const int cw = ClientWidth(), ch = ClientHeight();
  TRect r{0, 0, cw, ch};
  if (dev.cx < cw && dev.cy < ch) {
    const int dx = static_cast<int>(std::lround((cw - dev.cx) / 2.0));
    const int dy = static_cast<int>(std::lround((ch - dev.cy) / 2.0));
    r = TRect{dx, dy, dx + dev.cx, dy + dev.cy};
  }
  RectClientToDoc(r);
  return ExpandRect(r, 0);
}

// ---- mapping and painting

void TDocView::OnPrepareDC(TCanvas& DC) const {
  if (!FDocument) return;
  TScaleScrollBox::OnPrepareDC(DC);
  if (TTxFigureSet* root = Root()) root->FViewState = FViewState;
  const TPoint o = FDocument->DocOrg();
  const TSize s = FDocument->GetSize();
  // The page's top-left at the scrolled origin.
  SetSheetMapping(DC, s, o);
}

void TDocView::paintEvent(QPaintEvent* Event) {
  QPainter painter(viewport());
  if (!FDocument) {
    // Without a document the platform erases the background.
    painter.fillRect(Event->rect(), ColorRefToQColor(FColor));
  }
  FPaintRegion = Event->region();
  PaintWindow(painter, Event->region());
}

void TDocView::Paint() {
  if (!FDocument) {
    TScaleScrollBox::Paint();
    return;
  }
  if (TTxFigureSet* root = Root()) root->FViewState = FViewState;
  const QRect client = viewport()->rect();
  if (FCache.size() != client.size()) {
    FCache = QImage(client.size(), QImage::Format_RGB32);
    FCacheDirty = client;
  }
  FollowContentOrigin();
  // The stale part in a few rectangles: after a scroll it is an L of two
  // strips, whose bounding box would be the whole window.
  const QRegion stale = FPaintRegion & FCacheDirty & client;
  if (!stale.isEmpty()) {
    if (stale.rectCount() <= 4) {
      for (const QRect& r : stale) RenderDocument(r);
      FCacheDirty -= stale;
    } else {
      const QRect box = stale.boundingRect();
      RenderDocument(box);
      FCacheDirty -= box;
    }
  }

  // The cached picture, then the rubber bands inverted over it.
  const QRect area = FPaintRegion.boundingRect() & client;
  if (!area.isEmpty()) {
    auto* target = dynamic_cast<TQtCanvas*>(GetCanvas());
    if (FOverlay.Empty()) {
      if (target) target->Painter().drawImage(area.topLeft(), FCache, area);
    } else {
      QImage composed = FCache.copy(area);
      {
        TQtCanvas overlay(&composed);
        overlay.SetViewportOrgEx(-area.left(), -area.top());
        FOverlay.Paint(overlay);
      }
      if (target) target->Painter().drawImage(area.topLeft(), composed);
    }
  }
  FPreventCursor = false;
  DrawCapturePoint();
  TScaleScrollBox::Paint();
  if (IsDrawingView()) ShowAreaInOverviews();
}

void TDocView::ShowAreaInOverviews() {
  // The overviews follow what the drawing view shows after each paint: a
  // scroll or a zoom always ends in one.
  if (!FDocument) return;
  const TRect area = GetClientDocRect();
  const std::vector<TDocView*> views = FDocument->Views();
  for (TDocView* v : views)
    if (v != this) v->ResponseToView(area);
}

void TDocView::RenderDocument(const QRect& Dev) {
  TQtCanvas dc(&FCache);
  const TRegion region = RegionFromQt(QRegion(Dev));
  dc.SelectClipRgn(&region);
  OnPrepareDC(dc);
  TRect clip;
  dc.GetClipBox(clip);
  ExpandRect(clip, 0);
  TPoint corners[2] = {{clip.Left, clip.Top}, {clip.Right, clip.Bottom}};
  dc.LPtoDP(corners, 2);
  TRect dev{corners[0].x, corners[0].y, corners[1].x, corners[1].y};
  ExpandRect(dev, 0);
  const TSize size = RectToSize(dev);
  if (size.cx <= 0 || size.cy <= 0) return;

  // An off-screen bitmap of exactly the clip box, copied in one block, so a
  // partial repaint costs in proportion to the damage and never flickers.
  TBitmap bitmap(size.cx, size.cy, FColor);
  {
    std::unique_ptr<TCanvas> mem = CreateBitmapCanvas(bitmap);
    OnPrepareDC(*mem);
    mem->OffsetViewportOrgEx(-dev.Left, -dev.Top);
    mem->SetBrushOrgEx(ClientWidth() - dev.Left, ClientHeight() - dev.Top);
    mem->IntersectClipRect(clip.Left, clip.Top, clip.Right, clip.Bottom);
    mem->FillRect(clip, CreateSolidBrush(FColor));
    FDocument->DrawDC(*mem, this, clip);
    for (int i = 0; i < FSelection.Count(); ++i)
      if (TDocItem* item = SelectedItem(i)) item->DrawTracker(*mem, tsSelected);
  }
  dc.SetMapMode(MM_TEXT);
  dc.SetViewportOrgEx(0, 0);
  dc.SetWindowOrgEx(0, 0);
  dc.BitBlt(dev.Left, dev.Top, size.cx, size.cy, bitmap, 0, 0, SRCCOPY);
}

QPoint TDocView::ContentOrigin() const {
  return QPoint(-HorzPosition() - CentreDx(), -VertPosition() - CentreDy());
}

void TDocView::FollowContentOrigin() {
  const QPoint origin = ContentOrigin();
  const QPoint d = origin - FCacheOrigin;
  if (d.isNull()) return;
  FCacheOrigin = origin;
  const QRect client = viewport()->rect();
  if (FCache.size() != client.size() || std::abs(d.x()) >= client.width() || std::abs(d.y()) >= client.height()) {
    FCacheDirty = client;
    return;
  }
  // A scroll moves the picture like the window's own scrolling would; the
  // strip it uncovers is painted anew.
  ShiftImage(FCache, d.x(), d.y());
  FCacheDirty.translate(d);
  FCacheDirty += QRegion(client) - QRegion(client.translated(d));
  FCacheDirty &= client;
}

void TDocView::InvalidateView() {
  FCacheDirty = viewport()->rect();
  viewport()->update();
}

void TDocView::InvalidateClientRect(const TRect& R) {
  const QRect q = ToQRect(R) & viewport()->rect();
  if (q.isEmpty()) return;
  FCacheDirty += q;
  viewport()->update(q);
}

void TDocView::InvalObj(TDocItem* Item) {
  if (!Item || !FActive || !isVisible()) return;
  TRect r = PositionRect(Item);
  RectDocToClient(r);
  InvalidateClientRect(ExpandRect(r, 10));
  if (TTxFigureSet* root = Root()) root->FViewState = vsDraw;
}

void TDocView::DrawRubberShape(const TRubberShape& Shape) {
  // Only the overlay changes: the cached picture under it stays valid.
  viewport()->update(ToQRect(FOverlay.Invert(Shape)));
}

void TDocView::ClearRubberShapes() { viewport()->update(ToQRect(FOverlay.Clear())); }

void TDocView::resizeEvent(QResizeEvent* Event) {
  TScaleScrollBox::resizeEvent(Event);
  if (FZoomState == qrZoomToFit)
    ZoomToFit();
  else
    InvalidateView();
}

void TDocView::scrollContentsBy(int, int) {
  // Damage noted after the scroll is in the new position's pixels: move the
  // picture now, before any can be added.
  FollowContentOrigin();
  viewport()->update();
}

// ---- selection

TDocItem* TDocView::SelectedItem(int Index) const {
  return Index >= 0 && Index < FSelection.Count() ? static_cast<TDocItem*>(FSelection.Items(Index)) : nullptr;
}

void TDocView::Select(TDocItem* Item, bool Add) {
  if (!Add) {
    const std::vector<TMyPersistent*> old = FSelection.FList;
    for (TMyPersistent* p : old) static_cast<TDocItem*>(p)->OnAfterEditProperties(this);
    OnUpdate(nullptr, 2, nullptr);
    FSelection.Clear();
  }
  if (Item && !IsSelected(Item)) {
    FSelection.Add(Item);
    InvalObj(Item);
  }
}

bool TDocView::IsSelected(const TDocItem* Item) const { return FSelection.IndexOf(Item) >= 0; }

void TDocView::Deselect(TDocItem* Item) {
  if (!Item || !IsSelected(Item)) return;
  InvalObj(Item);
  FSelection.Remove(Item);
  Item->OnAfterEditProperties(this);
}

void TDocView::Remove(TDocItem* Item) { FSelection.Remove(Item); }

void TDocView::SelectWithinRect(const TRect& ClientRect) {
  if (!FDocument) return;
  TRect r = ClientRect;
  RectClientToDoc(r);
  TMyList found;
  FDocument->RectSelectItem(r, found);
  Select(nullptr, false);
  TRect area;
  bool any = false;
  for (TMyPersistent* p : found.FList) {
    auto* item = static_cast<TDocItem*>(p);
    FSelection.Add(item);
    TRect q = PositionRect(item);
    RectDocToClient(q);
    ExpandRect(q, 0);
    area = any ? UnionRect(area, q) : q;
    any = true;
  }
  if (any && FActive && isVisible()) InvalidateClientRect(ExpandRect(area, 10));
}

void TDocView::OnEditSelectAll() {
  if (!FDocument) return;
  TMyList all;
  FDocument->SelectAllItem(all);
  for (TMyPersistent* p : all.FList) Select(static_cast<TDocItem*>(p), true);
}

void TDocView::PositionSelectInCenter() {
  if (FSelection.Count() == 0) return;
  TRect r = PositionRect(SelectedItem(0));
  for (int i = 1; i < FSelection.Count(); ++i) r = UnionRect(r, PositionRect(SelectedItem(i)));
  RectDocToClient(r);
  ExpandRect(r, 0);
  // The scroll bars keep no margin here, so the box is not widened.
  const int cw = ClientWidth(), ch = ClientHeight();
  int h = r.Right - r.Left > cw ? HorzPosition() + r.Left : HorzPosition() + (r.Left + r.Right) / 2 - cw / 2;
  int v = r.Bottom - r.Top > ch ? VertPosition() + r.Top : VertPosition() + (r.Top + r.Bottom) / 2 - ch / 2;
  SetHorzPosition(std::max(0, h));
  SetVertPosition(std::max(0, v));
}

// ---- tools and operations

void TDocView::SetDrawShape(const TMetaClass* ItemClass) {
  if (ItemClass == FItemClass || !FDocument) return;
  FItemClass = ItemClass;
  if (ItemClass == &TDocItem::StaticClass()) {
    const bool allowMove = SysEnvironment ? SysEnvironment->FAllowMove : true;
    SetOperation(allowMove ? omMove : omNormal);
  } else if (!ItemClass) {
    SetCursorIndex(crDraw);
  }
  if (TDrawTool* tool = FDocument->FindTool(ItemClass)) {
    if (FCurrentTool) {
      FCurrentTool->OnCancel(*this);
      ReleaseCapture();
    }
    FCurrentTool = tool;
    FCurrentTool->OnInitialize(*this);
  }
}

void TDocView::SetOperation(TOperationMode Mode) {
  // Leaving an operation ends what the tool was doing in it: the copies that
  // follow the mouse, a live offset, a construction.
  if (Mode != FOperation && FCurrentTool) {
    FCurrentTool->OnCancel(*this);
    ReleaseCapture();
  }
  // The selection tool is chosen before the mode is stored: choosing it sets
  // its own default mode, which must not replace the one asked for.
  if (Mode == omAdd)
    Select(nullptr, false);
  else
    SetDrawShape(&TDocItem::StaticClass());
  FOperation = Mode;
  if (Mode == omAdd) NoteDrawingCommand();
  switch (Mode) {
    case omNormal: SetCursorIndex(crDefaultArrow); break;
    case omMove:
    case omRotate:
    case omOffset: SetCursorIndex(crCapture); break;
    case omAdd:
    case omZoomWindow:
    case omCopyObject: SetCursorIndex(crDraw); break;
    case omPanRealTime: SetCursorIndex(crPanRealTime); break;
    case omZoomRealTime: SetCursorIndex(crZoomRealTime); break;
    case omRealTimeAddPoint: SetCursorIndex(crAddPoint); break;
    case omRealTimeDeletePoint: SetCursorIndex(crDeletePoint); break;
  }
}

void TDocView::SetCursorIndex(int Index) {
  FCursorIndex = Index;
  viewport()->setCursor(AppCursor(Index));
}

void TDocView::ReleaseCapture() {
  if (QWidget::mouseGrabber() == viewport()) viewport()->releaseMouse();
}

void TDocView::CancelTool() {
  if (!FDocument) return;
  if (FCurrentTool) {
    FCurrentTool->OnCancel(*this);
    ReleaseCapture();
  }
  const bool allowMove = SysEnvironment ? SysEnvironment->FAllowMove : true;
  SetOperation(allowMove ? omMove : omNormal);
}

void TDocView::EndMouseGesture() {
  FGestureEnded = true;
  ReleaseCapture();
}

void TDocView::SetCurrentItem(const TDocItem* Item) { FCurrentItem = Item ? Item->Clone() : nullptr; }

void TDocView::SetMirrorItem(std::unique_ptr<TDocItem> Block) { FCurrentItem = std::move(Block); }

void TDocView::OnEditEnd() {
  if (FCurrentTool) FCurrentTool->OnAddPointEnd(*this);
}

void TDocView::BackUp(TOperationVerb Mode) {
  if (FDocument) FDocument->BackUp(FSelection, Mode);
}

void TDocView::Undo() {
  Select(nullptr, false);
  if (FDocument) FDocument->Undo(this);
}

void TDocView::CapturePoint(TPoint) {}
void TDocView::DrawLongCursor(TPoint) {}
void TDocView::DrawCapturePoint() {}
void TDocView::ResponseToArial(const TRect& Rect) {
  // Only a drawing view scrolls: the area picked in the overview (overview
  // logical units) comes to the top-left of the window.
  TTxFigureSet* root = Root();
  if (!IsDrawingView() || !root || root->FArialScale <= 0) return;
  root->FViewState = vsDraw;
  const double k = root->FScale / root->FArialScale;
  const TPoint a = ptodp({Rect.Left * k, Rect.Top * k});
  const TPoint b = ptodp({Rect.Right * k, Rect.Bottom * k});
  TRect r{a.x, a.y, b.x, b.y};
  RectDocToClient(r);
  ExpandRect(r, 0);
  SetHorzPosition(HorzPosition() + r.Left);
  SetVertPosition(VertPosition() + r.Top);
}
void TDocView::ResponseToView(const TRect&) {}
void TDocView::ZoomWindow(const TRect&) {}

// ---- zoom

void TDocView::PushZoom(double Value) {
  if (FZoomCount == ZoomStackSize) {
    for (int i = 1; i < ZoomStackSize; ++i) {
      FZoomArray[std::size_t(i)] = FZoomArray[std::size_t(i + 1)];
      FHorzPositionArray[std::size_t(i)] = FHorzPositionArray[std::size_t(i + 1)];
      FVertPositionArray[std::size_t(i)] = FVertPositionArray[std::size_t(i + 1)];
    }
  } else {
    ++FZoomCount;
  }
  const auto n = std::size_t(FZoomCount);
  FZoomArray[n] = Value;
  FHorzPositionArray[n] = HorzPosition();
  FVertPositionArray[n] = VertPosition();
  if (FDocument) FDocument->SetModifiedFlag(true);
}

void TDocView::PopZoom() {
  if (FZoomCount == 0) return;
  const double v = FZoomArray[std::size_t(FZoomCount - 1)];
  if (FZoomCount > 1) --FZoomCount;
  TTxFigureSet* root = Root();
  if (!root) return;
  root->FViewState = FViewState;
  if (v != root->GetScale()) {
    root->SetScale(v);
    SetHorzPosition(FHorzPositionArray[std::size_t(FZoomCount)]);
    SetVertPosition(FVertPositionArray[std::size_t(FZoomCount)]);
  }
}

void TDocView::ScaleToFit() {
  TTxFigureSet* root = Root();
  if (!FDocument || !root) return;
  const TSize s = GetDocumentLogSize();
  // An empty drawing has no extent to fit.
  if (s.cx <= 0 || s.cy <= 0) return;
  const double f = std::min(double(ClientWidth() - 20) / s.cx, double(ClientHeight() - 20) / s.cy);
  root->SetScale(root->GetScale() * f);
  PushZoom(root->GetScale());
}

void TDocView::ZoomToFit() {
  TTxFigureSet* root = Root();
  if (!FDocument || !root) return;
  const TSize s = GetDocumentLogSize();
  if (s.cx <= 0 || s.cy <= 0) return;
  const double f = std::min(double(ClientWidth()) / s.cx, double(ClientHeight()) / s.cy);
  if (f > 0) root->FArialScale *= f;
  const TSize d = GetDocumentDevSize();
  if (d.cx > 0 && d.cy > 0) {
    SetHorzRange(d.cx);
    SetVertRange(d.cy);
  }
  InvalidateView();
}

// ---- mouse and keyboard

void TDocView::MouseDown(TMouseButton Button, TShiftState Shift, TPoint Pos) {
  if (!FDocument || !FActive || !FCurrentTool) return;
  // The middle button drags the drawing view whatever the tool, which never hears of it.
  if (Button == mbMiddle && IsDrawingView()) {
    FPanning = true;
    FPanLast = Pos;
    viewport()->setCursor(AppCursor(crPanRealTime));
    return;
  }
  if (Button != mbLeft) return;
  // What a drawing tool's click places is the start of the typed @ forms;
  // the click itself when the tool does not say.
  const bool placing = WaitsForPoint();
  if (placing) {
    TPoint p = Pos;
    PointClientToDoc(p);
    FPlacingClick = true;
    NotePlacedPoint(FTypedPoint ? *FTypedPoint : dptop(p));
  }
  struct TReset {
    bool& Flag;
    ~TReset() { Flag = false; }
  } reset{FPlacingClick};
  FCurrentTool->OnLButtonDown(*this, Shift, Pos);
}

void TDocView::MouseMove(TShiftState Shift, TPoint Pos) {
  if (!FDocument || !FActive || !FCurrentTool) return;
  if (FPanning) {
    SetHorzPosition(HorzPosition() - (Pos.x - FPanLast.x));
    SetVertPosition(VertPosition() - (Pos.y - FPanLast.y));
    FPanLast = Pos;
    // The drawing moved under a still pointer: rubber bands follow it,
    // unless the left button is dragging something.
    if (!(Shift & ssLeft)) FCurrentTool->OnMouseMove(*this, TShiftState(Shift & ~ssMiddle), Pos);
    return;
  }
  Pos = FCurrentTool->ConfinePoint(Pos);
  if (FOperation != omPanRealTime && FOperation != omZoomRealTime && FOperation != omZoomWindow) CapturePoint(Pos);
  FCurrentTool->OnMouseMove(*this, Shift, Pos);
}

void TDocView::MouseUp(TMouseButton Button, TShiftState Shift, TPoint Pos) {
  if (Button == mbMiddle) {
    if (FPanning) {
      FPanning = false;
      viewport()->setCursor(AppCursor(FCursorIndex));
    }
    return;
  }
  if (FCurrentTool && FActive) Pos = FCurrentTool->ConfinePoint(Pos);
  TPoint p = Pos;
  PointClientToDoc(p);
  FMouse_Click = p;
  if (!FDocument || !FActive || !FCurrentTool) return;
  if (Button == mbLeft)
    FCurrentTool->OnLButtonUp(*this, Shift, Pos);
  else if (Button == mbRight)
    FCurrentTool->OnRButtonUp(*this, Shift, Pos);
}

void TDocView::DblClick(TShiftState Shift, TPoint Pos) {
  if (!FDocument || !FActive || !FCurrentTool) return;
  FGestureEnded = false;
  FCurrentTool->OnLButtonDblClk(*this, Shift | ssDouble, Pos);
  // The second press of a double click is still a press, unless the tool
  // opened a dialog meanwhile: its release went there, and a press passed
  // on now would start a drag that no release ends.
  if (!FGestureEnded) MouseDown(mbLeft, Shift | ssDouble, Pos);
  FGestureEnded = false;
}

void TDocView::mousePressEvent(QMouseEvent* Event) {
  TMouseButton b;
  if (ButtonOf(Event->button(), b)) MouseDown(b, ShiftOf(Event->modifiers(), Event->buttons()), PosOf(Event));
}

void TDocView::mouseMoveEvent(QMouseEvent* Event) {
  MouseMove(ShiftOf(Event->modifiers(), Event->buttons()), PosOf(Event));
}

void TDocView::mouseReleaseEvent(QMouseEvent* Event) {
  TMouseButton b;
  if (ButtonOf(Event->button(), b)) MouseUp(b, ShiftOf(Event->modifiers(), Event->buttons()), PosOf(Event));
}

void TDocView::mouseDoubleClickEvent(QMouseEvent* Event) {
  const TShiftState shift = ShiftOf(Event->modifiers(), Event->buttons()) | ssDouble;
  TMouseButton b;
  if (Event->button() == Qt::LeftButton)
    DblClick(shift, PosOf(Event));
  else if (ButtonOf(Event->button(), b))
    MouseDown(b, shift, PosOf(Event));
}

void TDocView::keyPressEvent(QKeyEvent* Event) {
  if (OpensPointEntry(*Event)) {
    FPointEntry->Begin(*this, Event->text());
    Event->accept();
    return;
  }
  switch (Event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_F8:
    case Qt::Key_Escape:
      // These keys are the view's, not the scroll area's.
      KeyDown(Event->key(), ShiftOf(Event->modifiers(), {}));
      Event->accept();
      return;
    default:
      TScaleScrollBox::keyPressEvent(Event);
      KeyDown(Event->key(), ShiftOf(Event->modifiers(), {}));
  }
}

void TDocView::KeyDown(int Key, TShiftState) {
  const int offX = SysEnvironment ? SysEnvironment->FOffsetX : 1;
  const int offY = SysEnvironment ? SysEnvironment->FOffsetY : 1;
  double dx = 0, dy = 0;
  switch (Key) {
    case Qt::Key_PageUp: SetVertPosition(std::max(0, VertPosition() - ClientHeight())); return;
    case Qt::Key_PageDown: SetVertPosition(std::min(VertRange(), VertPosition() + ClientHeight())); return;
    case Qt::Key_F8:
      if (SysEnvironment) SysEnvironment->FOrtho = !SysEnvironment->FOrtho;
      return;
    case Qt::Key_Escape: Escape(); return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space: EnterKey(); return;
    case Qt::Key_Left: dx = -offX; break;
    case Qt::Key_Right: dx = offX; break;
    case Qt::Key_Up: dy = offY; break;
    case Qt::Key_Down: dy = -offY; break;
    default: return;
  }
  if (FSelection.Count() == 0) return;
  if (FDocument) FDocument->SetModifiedFlag(true);
  BackUp(ovEdit);
  const std::vector<TMyPersistent*> items = FSelection.FList;
  for (TMyPersistent* p : items) static_cast<TDocItem*>(p)->MoveByOffset(dx, dy);
}

// ---- deletion

void TDocView::OnEditClear() {
  if (!FDocument || FSelection.Count() == 0) return;
  if (!SysEnvironment || SysEnvironment->FDeleteConfirm) {
    char text[64];
    std::snprintf(text, sizeof text, "真的要删除这%d个图形?", FSelection.Count());
    if (!Confirm(text)) return;
  }
  DeleteSelection();
}

void TDocView::DeleteSelection() {
  if (!FDocument || FSelection.Count() == 0) return;
  FDocument->UpdateAllViews(nullptr, 3, &FSelection);
  OnUpdate(nullptr, 2, nullptr);
  const std::vector<TMyPersistent*> items = FSelection.FList;
  for (TMyPersistent* p : items) FDocument->Remove(static_cast<TDocItem*>(p));
  BackUp(ovDelete);
  FSelection.Clear();
}
