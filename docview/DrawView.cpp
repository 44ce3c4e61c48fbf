#include "docview/DrawView.h"

#include "figures/Blocks.h"
#include "docview/Document.h"
#include "docview/Environment.h"
#include "docview/ObjectSnap.h"
#include "docview/RectHelpers.h"
#include "docview/TypedPoint.h"
#include "figures/FigureSet.h"

#include <QPaintEvent>
#include <QWheelEvent>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <numbers>

namespace {

// A whole field as a number; surrounding blanks are allowed.
bool ToDouble(const std::string& Text, double& Value) {
  const auto first = Text.find_first_not_of(" \t");
  if (first == std::string::npos) return false;
  const auto last = Text.find_last_not_of(" \t");
  const char* b = Text.data() + first;
  const char* e = Text.data() + last + 1;
  if (*b == '+') ++b;
  const auto [p, ec] = std::from_chars(b, e, Value);
  return ec == std::errc() && p == e && std::isfinite(Value);
}

bool ToInt(const std::string& Text, int& Value) {
  double v = 0;
  if (!ToDouble(Text, v) || v != std::trunc(v) || std::abs(v) > 1e6) return false;
  Value = static_cast<int>(v);
  return true;
}

bool PtInRect(const TRect& R, TPoint P) { return P.x >= R.Left && P.x < R.Right && P.y >= R.Top && P.y < R.Bottom; }

TRect PositionRect(const TDocItem& Item) {
  TRect r;
  Item.CalcPositionRect(r);
  return ExpandRect(r, 0);
}

// Clears a flag when the scope ends, also by an exception.
struct TFlagGuard {
  explicit TFlagGuard(bool& F) : Flag(F) { Flag = true; }
  ~TFlagGuard() { Flag = false; }
  TFlagGuard(const TFlagGuard&) = delete;
  TFlagGuard& operator=(const TFlagGuard&) = delete;
  bool& Flag;
};

}  // namespace

TDrawView::TDrawView(QWidget* Parent) : TDocView(Parent) {
  FActive = true;
  FLastPoint = {-100, -100};
  // The cursor and the markers use the canvas pen of the view: not-xor, in
  // the environment's style and capture colour, with a clear brush.
  FCursorPen.Width = 1;
  ApplyEnvironment();
}

void TDrawView::ApplyEnvironment() {
  // Erase what the old pen drew before the pen changes, or the next not-xor
  // pass would leave it on screen.
  if (!FCursorShapes.empty()) EraseShapes(FCursorShapes);
  if (!FMarkerShapes.empty()) EraseShapes(FMarkerShapes);
  FCursorPen.Style = SysEnvironment ? static_cast<TPenStyle>(SysEnvironment->FCursorPenStyle) : psSolid;
  FCursorPen.Color = SysEnvironment ? SysEnvironment->FCaptureColor : COLORREF(255);
  FColor = SysEnvironment ? SysEnvironment->FViewBackColor : clWhite;
  InvalidateView();
}

// ---- mapping

void TDrawView::OnPrepareDC(TCanvas& DC) const {
  if (TTxFigureSet* root = Root()) root->FViewState = vsDraw;
  TDocView::OnPrepareDC(DC);
}

TSize TDrawView::GetDocumentLogSize() const {
  if (TTxFigureSet* root = Root()) root->FViewState = vsDraw;
  return TDocView::GetDocumentLogSize();
}

TSize TDrawView::GetDocumentDevSize() const {
  if (TTxFigureSet* root = Root()) root->FViewState = vsDraw;
  return TDocView::GetDocumentDevSize();
}

// ---- painting

void TDrawView::paintEvent(QPaintEvent* Event) {
  const bool longCursor = SysEnvironment && SysEnvironment->FCursorLx == 1;
  const bool partial = Event->region() != QRegion(viewport()->rect());
  TDocView::paintEvent(Event);
  // A partial paint with the long cursor on is widened once to the whole
  // window, so no inverted line of the cross-hair is left half repainted.
  if (FDoublePaint) {
    FDoublePaint = false;
  } else if (longCursor && partial && FDocument) {
    FDoublePaint = true;
    viewport()->update();
  }
}

void TDrawView::Paint() {
  // The overlay carries the cross-hair and the marker over the new picture:
  // the base's redraw of the marker would erase it, and the cross-hair is
  // still shown after the paint.
  const bool cursorShown = FPreventCursor;
  {
    TFlagGuard painting(FInPaint);
    TDocView::Paint();
  }
  FPreventCursor = cursorShown;
}

// ---- the overlay shapes

TRubberShape TDrawView::CursorShape(TRubberKind Kind, std::vector<TPoint> Points) const {
  TRubberShape s;
  s.Kind = Kind;
  s.Points = std::move(Points);
  s.Width = FCursorPen.Width;
  s.Color = FCursorPen.Color;
  s.Style = FCursorPen.Style;
  return s;
}

void TDrawView::EraseShapes(std::vector<TRubberShape>& Shapes) {
  const std::vector<TRubberShape>& shown = RubberOverlay().Shapes();
  for (const TRubberShape& s : Shapes)
    if (std::find(shown.begin(), shown.end(), s) != shown.end()) DrawRubberShape(s);
  Shapes.clear();
}

void TDrawView::ShowShapes(const std::vector<TRubberShape>& Shapes) {
  for (const TRubberShape& s : Shapes) DrawRubberShape(s);
}

// ---- long cursor

TRect TDrawView::PageArea() const {
  TRect r{0, 0, ClientWidth(), ClientHeight()};
  if (HorzRange() < ClientWidth()) {
    const int d = (ClientWidth() - HorzRange()) / 2;
    r.Left += d;
    r.Right -= d;
  }
  if (VertRange() < ClientHeight()) {
    const int d = (ClientHeight() - VertRange()) / 2;
    r.Top += d;
    r.Bottom -= d;
  }
  return r;
}

void TDrawView::DrawLongCursor(TPoint Point) {
  if (!SysEnvironment || SysEnvironment->FCursorLx == 0) return;
  const TRect r = PageArea();
  // The shapes drawn last are erased, not ones rebuilt from FLastPoint: the
  // page area may have changed since.
  if (FPreventCursor || !FCursorShapes.empty()) EraseShapes(FCursorShapes);
  FLastPoint = {-100, -100};
  FPreventCursor = false;
  if (!PtInRect(r, Point)) return;
  FCursorShapes = {CursorShape(rkPolyline, {{r.Left, Point.y}, {r.Right, Point.y}}),
                   CursorShape(rkPolyline, {{Point.x, r.Top}, {Point.x, r.Bottom}})};
  ShowShapes(FCursorShapes);
  FLastPoint = Point;
  FPreventCursor = true;
}

// ---- object snap

void TDrawView::CapturePoint(TPoint Point) {
  if (!FDocument) return;
  if (!FMarkerShapes.empty()) DrawCapturePoint();
  CaptureSnapPoint(*this, Point);
  if (FPointLx != plNone) DrawCapturePoint();
}

std::vector<TRubberShape> TDrawView::MarkerShapes(TPointLx Kind, int X, int Y) const {
  const int F = SysEnvironment ? SysEnvironment->FCaptureBj : 8;
  const TRubberShape circle = CursorShape(rkEllipse, {{X - F, Y - F}, {X + F, Y + F}});
  switch (Kind) {
    case plEndPoint: return {CursorShape(rkRectangle, {{X - F, Y - F}, {X + F, Y + F}})};
    case plMidPoint: {
      const int w = static_cast<int>(std::lround(F / std::numbers::sqrt3));
      return {CursorShape(rkPolygon, {{X - F, Y + w}, {X + F, Y + w}, {X, Y - 2 * w}})};
    }
    case plCenter: return {circle};
    case plTangent: return {circle, CursorShape(rkPolyline, {{X - F, Y - F}, {X + F, Y - F}})};
    case plNearest:
      return {CursorShape(rkPolyline, {{X - F, Y - F}, {X + F, Y - F}, {X - F, Y + F}, {X + F, Y + F}, {X - F, Y - F}})};
    default: return {};
  }
}

void TDrawView::DrawCapturePoint() {
  // A repaint keeps the marker in the overlay; drawing it again would erase it.
  if (FInPaint) return;
  // Inverting: a marker shown is erased, as drawing it a second time would.
  if (!FMarkerShapes.empty()) {
    EraseShapes(FMarkerShapes);
    return;
  }
  if (FPointLx == plNone || !FDocument) return;
  TPoint p = ptodp(FCapturedPoint);
  PointDocToClient(p);
  FMarkerShapes = MarkerShapes(FPointLx, p.x, p.y);
  ShowShapes(FMarkerShapes);
}

void TDrawView::HideMarkers() {
  if (!FMarkerShapes.empty()) EraseShapes(FMarkerShapes);
  FPointLx = plNone;
  if (!FCursorShapes.empty()) EraseShapes(FCursorShapes);
  FLastPoint = {-100, -100};
  FPreventCursor = false;
}

void TDrawView::KeyDown(int Key, TShiftState Shift) {
  TDocView::KeyDown(Key, Shift);
  if ((Key == Qt::Key_Left || Key == Qt::Key_Right || Key == Qt::Key_Up || Key == Qt::Key_Down) &&
      !FMarkerShapes.empty())
    EraseShapes(FMarkerShapes);
}

bool TDrawView::viewportEvent(QEvent* Event) {
  if (Event->type() == QEvent::Leave) HideMarkers();
  return TDocView::viewportEvent(Event);
}

// ---- window zoom

void TDrawView::ZoomWindow(const TRect& Rect) {
  TTxFigureSet* root = Root();
  if (!FActive || !FDocument || !root) return;
  const TRect r{std::min(Rect.Left, Rect.Right), std::min(Rect.Top, Rect.Bottom), std::max(Rect.Left, Rect.Right),
                std::max(Rect.Top, Rect.Bottom)};
  const TSize wh = RectToSize(r);
  if (wh.cx == 0 || wh.cy == 0) return;
  const double f = std::max(double(ClientWidth()) / wh.cx, double(ClientHeight()) / wh.cy);
  const TSize s = GetDocumentLogSize();
  const double w = std::round(s.cx * f), h = std::round(s.cy * f);
  if (w < 101 || w > 9999 || h < 101 || h > 9999) return;
  const int dx = CentreDx(), dy = CentreDy();
  const int oldH = HorzPosition(), oldV = VertPosition();
  root->FViewState = vsDraw;
  root->SetScale(root->GetScale() * f);
  const long hp = std::lround((r.Left + oldH + dx) * f);
  const long vp = std::lround((r.Top + oldV + dy) * f);
  SetHorzPosition(hp < 1 ? 0 : static_cast<int>(hp));
  SetVertPosition(vp < 1 ? 0 : static_cast<int>(vp));
  PushZoom(root->GetScale());
}

// ---- wheel zoom and scrolling

bool TDrawView::ZoomAt(TPoint Client, double Factor) {
  TTxFigureSet* root = Root();
  if (!FActive || !FDocument || !root || !(Factor > 0) || !std::isfinite(Factor)) return false;
  const TSize s = GetDocumentLogSize();
  if (s.cx <= 0 || s.cy <= 0) return false;
  // The page limits of the window zoom: the wheel stops at them, a unit
  // inside, as the sizes are rounded.
  const double lo = std::max(102.0 / s.cx, 102.0 / s.cy), hi = std::min(9998.0 / s.cx, 9998.0 / s.cy);
  if (lo > hi) return false;
  const double f = std::clamp(Factor, lo, hi);
  if (std::abs(f - 1) < 1e-9) return false;
  TPoint p = Client;
  PointClientToDoc(p);
  const Tpt local = LogToLocal(*this, dptop(p));
  root->FViewState = vsDraw;
  root->SetScale(root->GetScale() * f);
  TPoint q = ptodp(LocalToLog(*this, local));
  PointDocToClient(q);
  SetHorzPosition(std::max(0, HorzPosition() + q.x - Client.x));
  SetVertPosition(std::max(0, VertPosition() + q.y - Client.y));
  PushZoom(root->GetScale());
  InvalidateView();
  return true;
}

void TDrawView::wheelEvent(QWheelEvent* Event) {
  Event->accept();
  const QPoint d = Event->angleDelta();
  const QPoint at = Event->position().toPoint();
  const Qt::KeyboardModifiers mods = Event->modifiers();
  // One notch (120) scrolls a tenth of the window.
  auto scroll = [this](int Delta, bool Sideways) {
    if (Sideways) {
      const int step = std::max(8, ClientWidth() / 10);
      SetHorzPosition(std::clamp(HorzPosition() - Delta * step / 120, 0, std::max(0, HorzRange() - ClientWidth())));
    } else {
      const int step = std::max(8, ClientHeight() / 10);
      SetVertPosition(std::clamp(VertPosition() - Delta * step / 120, 0, std::max(0, VertRange() - ClientHeight())));
    }
  };
  if (d.y() != 0 && (mods & Qt::ShiftModifier)) {
    scroll(d.y(), (mods & Qt::ControlModifier) != 0);
  } else if (d.y() != 0) {
    if (!ZoomAt({at.x(), at.y()}, std::pow(WheelZoomStep, d.y() / 120.0))) return;
  } else if (d.x() != 0) {
    scroll(d.x(), true);
  } else {
    return;
  }
  // The rubber band, the cross-hair and the snap marker follow the drawing
  // under the still pointer; a drag under way is left alone.
  if (Event->buttons() == Qt::NoButton) {
    TShiftState shift = 0;
    if (mods & Qt::ShiftModifier) shift |= ssShift;
    if (mods & Qt::ControlModifier) shift |= ssCtrl;
    MouseMove(shift, {at.x(), at.y()});
  }
}

// ---- commands on the selection

void TDrawView::SortSelectionTopmostFirst() {
  auto& items = FSelection.FList;
  for (std::size_t i = 0; i < items.size(); ++i)
    for (std::size_t j = i + 1; j < items.size(); ++j) {
      auto* a = dynamic_cast<TCustomFigure*>(items[i]);
      auto* b = dynamic_cast<TCustomFigure*>(items[j]);
      if (a && b && a->IsTop(b)) std::swap(items[i], items[j]);
    }
}

TCustomFigure* TDrawView::FirstSelectedFigure() const {
  return FSelection.Count() > 0 ? dynamic_cast<TCustomFigure*>(FSelection.Items(0)) : nullptr;
}

void TDrawView::CopyObject() {
  // A copy or an offset under way ends first: its figures are not what to copy.
  if (FOperation == omCopyObject || FOperation == omOffset) CancelTool();
  if (!FDocument || FSelection.Count() == 0) return;
  SortSelectionTopmostFirst();
  const std::vector<TMyPersistent*> items = FSelection.FList;
  for (std::size_t i = 0; i < items.size(); ++i) {
    auto* item = static_cast<TDocItem*>(items[i]);
    Deselect(item);
    std::unique_ptr<TDocItem> copy = item->Clone();
    if (!copy) continue;
    TDocItem* c = copy.get();
    // Not announced: the clones follow the mouse until the tool drops or drops them.
    FDocument->Add(std::move(copy), TPoint{0, 0}, this);
    FSelection.Insert(std::min(static_cast<int>(i), FSelection.Count()), c);
  }
  SetOperation(omCopyObject);
  // Noted once the operation is set: leaving the old one cancels what it held.
  FCopyClones.Clear();
  for (TMyPersistent* p : FSelection.FList) FCopyClones.Add(p);
  setToolTip(QString::fromUtf8("先选择基点,之后左键复制对象,右键结束"));
}

void TDrawView::Offset() {
  if (FOperation == omCopyObject || FOperation == omOffset) CancelTool();
  if (!FDocument || FSelection.Count() == 0) return;
  SortSelectionTopmostFirst();
  FTempList.Clear();
  for (TMyPersistent* p : FSelection.FList) FTempList.Add(p);
  Select(nullptr, false);
  SetOperation(omOffset);
}

bool TDrawView::ParseDisplacement(const TMoveCopyParams& Params, double& Dx, double& Dy) const {
  double a = 0, b = 0;
  if (!ToDouble(Params.Value1, a) || !ToDouble(Params.Value2, b)) return false;
  if (Params.Mode == 1) {
    const double rad = b * std::numbers::pi / 180.0;
    Dx = a * std::cos(rad);
    Dy = a * std::sin(rad);
  } else {
    Dx = a;
    Dy = b;
  }
  // Drawing units to logical ones through the first selected figure.
  const TCustomFigure* f = FirstSelectedFigure();
  if (!f) return false;
  Dx = f->TransLogV(f->TransSysV(Dx));
  Dy = f->TransLogV(f->TransSysV(Dy));
  return true;
}

TDocItem* TDrawView::AddMovedClone(const TDocItem& Item, double Dx, double Dy) {
  std::unique_ptr<TDocItem> copy = Item.Clone();
  if (!copy) return nullptr;
  TDocItem* c = copy.get();
  c->MoveByOffset(Dx, Dy);
  FDocument->Add(std::move(copy), TPoint{0, 0}, this);
  FDocument->AddItemMessage(c);
  return c;
}

bool TDrawView::MoveCopy(const TMoveCopyParams& Params) {
  double dx = 0, dy = 0;
  if (!FDocument || FSelection.Count() == 0 || !ParseDisplacement(Params, dx, dy)) return false;
  SortSelectionTopmostFirst();
  const std::vector<TMyPersistent*> items = FSelection.FList;
  for (std::size_t i = 0; i < items.size(); ++i) {
    auto* item = static_cast<TDocItem*>(items[i]);
    Deselect(item);
    if (TDocItem* c = AddMovedClone(*item, dx, dy)) FSelection.Insert(std::min(static_cast<int>(i), FSelection.Count()), c);
  }
  BackUp(ovAdd);
  FDocument->SetModifiedFlag(true);
  return true;
}

bool TDrawView::MoveObject(const TMoveCopyParams& Params) {
  double dx = 0, dy = 0;
  if (!FDocument || FSelection.Count() == 0 || !ParseDisplacement(Params, dx, dy)) return false;
  BackUp(ovEdit);
  // A move changes the drawing like any other edit: it must ask to be saved.
  FDocument->SetModifiedFlag(true);
  const std::vector<TMyPersistent*> items = FSelection.FList;
  for (TMyPersistent* p : items) static_cast<TDocItem*>(p)->MoveByOffset(dx, dy);
  return true;
}

bool TDrawView::RectangularArray(const TArrayParams& Params, TMyList& Copies) {
  int rows = 0, cols = 0;
  double rowD = 0, colD = 0;
  if (!ToInt(Params.Rows, rows) || !ToInt(Params.Cols, cols) || !ToDouble(Params.RowDistance, rowD) ||
      !ToDouble(Params.ColDistance, colD))
    return false;
  TTxFigureSet* root = Root();
  if (!root || FDocument->FScale == 0) return false;
  const double k = root->GetScale() / FDocument->FScale;
  rowD *= k;
  colD *= k;
  const std::vector<TMyPersistent*> items = FSelection.FList;
  for (TMyPersistent* p : items)
    for (int r = 0; r < rows; ++r)
      for (int c = 0; c < cols; ++c) {
        if (r == 0 && c == 0) continue;
        if (TDocItem* copy = AddMovedClone(*static_cast<TDocItem*>(p), c * colD, r * rowD)) Copies.Add(copy);
      }
  return true;
}

bool TDrawView::CircularArray(const TArrayParams& Params, TMyList& Copies) {
  int n = 0, angle = 0;
  double cx = 0, cy = 0;
  if (!ToInt(Params.Count, n) || !ToDouble(Params.CenterX, cx) || !ToDouble(Params.CenterY, cy) ||
      !ToInt(Params.Angle, angle))
    return false;
  if (n <= 1) return false;
  const TCustomFigure* first = FirstSelectedFigure();
  TTxFigureSet* root = Root();
  if (!first || !root) return false;
  Tpt local;
  first->TransSysPt({cx, cy}, local);
  const Tpt centre = first->xyTransLogPt(local.x, local.y);

  int a = std::abs(angle);
  while (a > 360) a -= 360;
  double step = a == 360 ? 360.0 / n : double(a) / (n - 1);
  if (angle < 0) step = -step;
  const double stepRad = step * std::numbers::pi / 180.0;

  TRect box = PositionRect(*static_cast<TDocItem*>(FSelection.Items(0)));
  for (int i = 1; i < FSelection.Count(); ++i) box = UnionRect(box, PositionRect(*static_cast<TDocItem*>(FSelection.Items(i))));
  const Tpt boxCentre{(box.Left + box.Right) / 2.0, (box.Top + box.Bottom) / 2.0};
  const std::vector<TMyPersistent*> items = FSelection.FList;

  if (!Params.Rotate) {
    for (int i = 1; i < n; ++i) {
      const Tpt c = protateyd(centre, boxCentre, i * stepRad);
      for (TMyPersistent* p : items)
        if (TDocItem* copy = AddMovedClone(*static_cast<TDocItem*>(p), c.x - boxCentre.x, c.y - boxCentre.y))
          Copies.Add(copy);
    }
    return true;
  }

  // With rotation the copies are placed as one block turned about the
  // centre, then dissolved into the drawing.
  const double s = root->GetScale();
  auto block = std::make_unique<TTxBlock>();
  block->FScale = s;
  block->InitialParas((box.Right - box.Left) / s, (box.Bottom - box.Top) / s);
  for (TMyPersistent* p : items) {
    std::unique_ptr<TDocItem> copy = static_cast<TDocItem*>(p)->Clone();
    auto* f = dynamic_cast<TCustomFigure*>(copy.get());
    if (!f) continue;
    copy.release();
    f->MoveByOffset(-box.Left, -box.Top);
    block->InsertFigure(std::unique_ptr<TCustomFigure>(f));
  }
  block->FScale = 1.0;
  block->FParent = root;
  block->SetDocument(FDocument);
  const Tpt half{(box.Left - box.Right) / 2.0, (box.Top - box.Bottom) / 2.0};
  for (int i = 1; i < n; ++i) {
    std::unique_ptr<TDocItem> bc = block->Clone();
    auto* bi = dynamic_cast<TTxBlock*>(bc.get());
    if (!bi) return false;
    bi->FParent = root;
    bi->SetDocument(FDocument);
    const Tpt c = protateyd(centre, boxCentre, i * stepRad);
    bi->MoveByOffset(c.x - boxCentre.x, c.y - boxCentre.y);
    const Tpt h = protateyd({0, 0}, half, i * stepRad);
    const Tpt corner{c.x + h.x, c.y + h.y};
    bi->SetYd(bi->xyTransAbsPt(corner.x, corner.y));
    bi->SetXzjd(i * step);
    while (bi->FFigures && bi->FFigures->Count() > 0) {
      TCustomFigure* f = bi->FFigures->Figures(bi->FFigures->Count() - 1);
      std::unique_ptr<TCustomFigure> part = bi->RemoveFigure(f);
      if (!part) break;
      FDocument->Add(std::move(part), TPoint{0, 0}, this);
      FDocument->AddItemMessage(f);
      Copies.Add(f);
      f->Invalidate();
      f->Explode(*bi);
      f->Modified();
    }
  }
  return true;
}

bool TDrawView::ArrayFigures(const TArrayParams& Params) {
  if (!FDocument || FSelection.Count() == 0) return false;
  SortSelectionTopmostFirst();
  TMyList copies;
  const bool circular = Params.Mode == 1;
  const bool ok = circular ? CircularArray(Params, copies) : RectangularArray(Params, copies);
  if (copies.Count() > 0 || (ok && circular)) {
    Select(nullptr, false);
    for (TMyPersistent* p : copies.FList) Select(static_cast<TDocItem*>(p), true);
    if (copies.Count() > 0) {
      BackUp(ovAdd);
      FDocument->SetModifiedFlag(true);
    }
  }
  return ok;
}

void TDrawView::Explode() {
  if (!FDocument || FSelection.Count() != 1) return;
  auto* set = dynamic_cast<TCustomFigureSet*>(FSelection.Items(0));
  if (!set) return;
  // The set records its own undo step (ovExplode) and leaves the
  // selection; a set that left it has been broken up.
  set->ExplodeItem(this);
  if (FSelection.IndexOf(set) < 0) FDocument->SetModifiedFlag(true);
}
