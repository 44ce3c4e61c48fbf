#include "figures/Figure.h"

#include "figures/FigureKit.h"

#include "figures/FigureSet.h"
#include "foundation/NodeItems.h"
#include "foundation/StreamError.h"
#include "foundation/ValueStream.h"
#include "platform/Region.h"

#include <cmath>
#include <cstdio>
#include <numbers>

const std::int32_t DotLine[2] = {4, -4};
const std::int32_t DashLine[2] = {25, -8};
const std::int32_t DashDotLine[4] = {4, -8, 13, -7};
const std::int32_t DashDotDotLine[6] = {4, -4, 4, -4, 12, -4};

namespace {

// R(a)(x, y): counter-clockwise rotation. Most figures are not turned, and
// painting maps every point, so the common angle 0 skips the trigonometry.
Tpt Rotate(double x, double y, double a) {
  if (a == 0) return {x, y};
  const double c = std::cos(a), s = std::sin(a);
  return {x * c - y * s, x * s + y * c};
}

std::int32_t RoundHalfEven(double v) { return ptodp({v, 0}).x; }

bool InheritsFromNamed(const TMyPersistent& Obj, std::string_view Name) {
  for (const TMetaClass* c = &Obj.ClassType(); c; c = c->Parent)
    if (Name == c->Name) return true;
  return false;
}

bool PtInRect(const TRect& R, TPoint P) {
  return P.x >= R.Left && P.x < R.Right && P.y >= R.Top && P.y < R.Bottom;
}

// Where the local origin of a figure whose parent is P lands, logical units.
Tpt LogOrgOf(const TCustomFigureSet* P) {
  if (!P) return {0, 0};
  Tpt D;
  if (dynamic_cast<const TTxFigureSet*>(P)) {
    const double s = P->GetScale();
    D = {s * (P->FAbsx + P->FYd.x), s * (P->FAbsy + P->FYd.y)};
  } else if (InheritsFromNamed(*P, "TChildFigureSet")) {
    const double s = P->GetScale();
    D = {s * P->FAbsx + P->FYd.x, s * P->FAbsy + P->FYd.y};
  } else {
    D = P->FYd;
  }
  const double a = DegToRad(P->GetAbsParentXzjd());
  const double k = P->GetAbsParentScale();
  const Tpt o = LogOrgOf(P->FParent);
  const Tpt r = Rotate(D.x, D.y, a);
  return {r.x * k + o.x, r.y * k + o.y};
}

}  // namespace

// ---- dashed lines

namespace {
bool SpanInBox(const TRect& box, Tpt A, Tpt B, double Margin, double& U0, double& U1) {
  const double lo[2] = {double(box.Left) - Margin, double(box.Top) - Margin};
  const double hi[2] = {double(box.Right) + Margin, double(box.Bottom) + Margin};
  const double p0[2] = {A.x, A.y}, d[2] = {B.x - A.x, B.y - A.y};
  U0 = 0;
  U1 = 1;
  for (int k = 0; k < 2; ++k) {
    if (d[k] == 0) {
      if (p0[k] < lo[k] || p0[k] > hi[k]) return false;
      continue;
    }
    double t0 = (lo[k] - p0[k]) / d[k], t1 = (hi[k] - p0[k]) / d[k];
    if (t0 > t1) std::swap(t0, t1);
    U0 = std::max(U0, t0);
    U1 = std::min(U1, t1);
  }
  return U0 <= U1;
}
}  // namespace

bool VisibleSpan(const TCanvas& Canvas, Tpt A, Tpt B, double Margin, double& U0, double& U1) {
  TRect box;
  return Canvas.GetClipBox(box) != NULLREGION && SpanInBox(box, A, B, Margin, U0, U1);
}

double StrokeMargin(const TCanvas& Canvas) {
  // Mitre joins reach at most two pen widths past a vertex; the rest is slack
  // for caps and rounding.
  return 3.0 * std::abs(double(Canvas.GetPen().Width)) + 8;
}

void DrawOwnLine(TCanvas& Canvas, const TPoint* Points, int Count, int High, const std::int32_t* Pattern) {
  if (!Points || Count < 1 || High < 0 || !Pattern) return;
  std::int64_t period = 0;
  for (int k = 0; k <= High; ++k) period += std::abs(std::int64_t(Pattern[k]));
  Canvas.MoveToEx(Points[0].x, Points[0].y);
  if (period == 0) {  // a pattern of zeros would never advance
    for (int k = 1; k < Count; ++k) Canvas.LineTo(Points[k].x, Points[k].y);
    return;
  }
  // Only the part of each segment near the clip box is walked in pattern
  // steps; whole periods before and after it are skipped, which leaves the
  // pattern's phase exactly where the full walk would have it.
  const double margin = StrokeMargin(Canvas);
  // The clip box once per polyline, not once per segment.
  TRect box;
  const bool anyVisible = Canvas.GetClipBox(box) != NULLREGION;
  int i = 0;
  std::int64_t b = Pattern[0];
  bool atBoundary = true;  // the current point is where a pattern entry began
  for (int k = 1; k < Count; ++k) {
    const double x1 = Points[k - 1].x, y1 = Points[k - 1].y;
    const double x2 = Points[k].x, y2 = Points[k].y;
    const std::int64_t g = RoundHalfEven(std::hypot(x2 - x1, y2 - y1));
    const double gg = static_cast<double>(g);
    auto at = [&](std::int64_t h) {
      const double hh = static_cast<double>(h);
      return ptodp({(x2 * (gg - hh) + x1 * hh) / gg, (y2 * (gg - hh) + y1 * hh) / gg});
    };
    std::int64_t enter = g, leave = g;  // travelled distances bounding the visible part
    double u0 = 0, u1 = 0;
    if (anyVisible && SpanInBox(box, {x1, y1}, {x2, y2}, margin, u0, u1)) {
      enter = std::int64_t(std::floor(u0 * gg)) - 1;
      leave = std::int64_t(std::ceil(u1 * gg)) + 1;
    }
    std::int64_t h = g;
    while (h > 0) {
      const std::int64_t d = g - h;
      if (atBoundary && d + period <= enter) {
        h -= (enter - d) / period * period;
        const TPoint e = at(h);
        Canvas.MoveToEx(e.x, e.y);
        continue;
      }
      if (atBoundary && d > leave && h > period) {
        h -= (h - 1) / period * period;
        const TPoint e = at(h);
        Canvas.MoveToEx(e.x, e.y);
        // Left here, the walk cannot skip again until a boundary is reached.
        atBoundary = false;
        continue;
      }
      const std::int64_t m = b < 0 ? -b : b;
      if (h < m) {
        if (b < 1) {
          Canvas.MoveToEx(Points[k].x, Points[k].y);
          b += h;
        } else {
          Canvas.LineTo(Points[k].x, Points[k].y);
          b -= h;
        }
        h = 0;
        atBoundary = false;
      } else {
        h -= m;
        const TPoint e = at(h);
        if (b < 1)
          Canvas.MoveToEx(e.x, e.y);
        else
          Canvas.LineTo(e.x, e.y);
        i = i >= High ? 0 : i + 1;
        b = Pattern[i];
        atBoundary = true;
      }
    }
  }
}

void DrawOwnLineExt(TCanvas& Canvas, const TPoint* Points, int Segments, int High,
                    const std::int32_t* Pattern) {
  DrawOwnLine(Canvas, Points, Segments + 1, High, Pattern);
}

void StrokeStyled(TCanvas& Canvas, const TPoint* Points, int Count, int Style) {
  if (Style == psClear || !Points || Count < 1) return;
  Canvas.BeginPath();
  switch (Style) {
    case psDash: DrawOwnLine(Canvas, Points, Count, 1, DashLine); break;
    case psDot: DrawOwnLine(Canvas, Points, Count, 1, DotLine); break;
    case psDashDot: DrawOwnLine(Canvas, Points, Count, 3, DashDotLine); break;
    case psDashDotDot: DrawOwnLine(Canvas, Points, Count, 5, DashDotDotLine); break;
    default: Canvas.Polyline(Points, Count); break;
  }
  Canvas.EndPath();
  Canvas.StrokePath();
}

void PenStyleToStr(int Style, std::string& S) {
  static constexpr const char* kNames[] = {"psSolid",      "psDash",  "psDot",        "psDashDot",
                                           "psDashDotDot", "psClear", "psInsideFrame"};
  S = "psSolid";
  if (Style >= 0 && Style < 7) S = kNames[Style];
}

// ---- TDocItem

PLANDECK_DEFINE_ABSTRACT_CLASS(TDocItem, TMyPersistent)

void TDocItem::Invalidate() {
  if (FDocument) FDocument->UpdateAllViews(nullptr, 1, this);
}

void TDocItem::SetDocument(TFigureDocument* Doc) { FDocument = Doc; }
void TDocItem::CalcPositionRect(TRect& Rect) const { Rect = TRect{}; }

void TDocItem::InvalidateSelf(TFigureView* View) {
  if (View)
    View->InvalObj(this);
  else
    Invalidate();
}

void TDocItem::DrawTracker(TCanvas& DC, TTrackerState State) {
  if (State != tsSelected && State != tsActive) return;
  for (int i = 1; i <= GetHandleCount(); ++i) {
    TPoint p;
    GetHandle(i, p);
    DC.PatBlt(p.x - 3, p.y - 3, 6, 6, DSTINVERT);
  }
}

void TDocItem::GetHandleRect(int Index, TFigureView* View, TRect& Rect) const {
  if (!View) return;
  TPoint p;
  GetHandle(Index, p);
  View->PointDocToClient(p);
  Rect = TRect{p.x - 3, p.y - 3, p.x + 3, p.y + 3};
  View->RectClientToDoc(Rect);
  ExpandRect(Rect, 0);
}

int TDocItem::GetHandleCount() const { return 8; }
void TDocItem::GetHandle(int, TPoint&) const {}
void TDocItem::MoveHandleTo(int, TPoint) {}
void TDocItem::RotateHandleTo(int, TPoint) {}

bool TDocItem::Intersects(const TRect& Rect) const {
  TRect a;
  CalcPositionRect(a);
  TRect b = Rect;
  ExpandRect(a, 0);
  ExpandRect(b, 0);
  const TRect r{std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right),
                std::min(a.Bottom, b.Bottom)};
  return !r.IsEmpty();
}

void TDocItem::OnEditProperties(TFigureView*) {}
void TDocItem::OnAfterEditProperties(TFigureView*) {}
std::unique_ptr<TDocItem> TDocItem::Clone() const { return nullptr; }
namespace {
std::vector<std::pair<const TMetaClass*, TPropertyEditor>>& PropertyEditors() {
  static std::vector<std::pair<const TMetaClass*, TPropertyEditor>> editors;
  return editors;
}
}  // namespace

void RegisterPropertyEditor(const TMetaClass& Class, TPropertyEditor Editor) {
  for (auto& [cls, editor] : PropertyEditors())
    if (cls == &Class) {
      editor = std::move(Editor);
      return;
    }
  PropertyEditors().emplace_back(&Class, std::move(Editor));
}

const TPropertyEditor* FindPropertyEditor(const TMetaClass& Class) {
  for (const TMetaClass* c = &Class; c; c = c->Parent)
    for (const auto& [cls, editor] : PropertyEditors())
      if (cls == c) return &editor;
  return nullptr;
}

void TDocItem::EditProperties(TFigureView* View) {
  if (const TPropertyEditor* editor = FindPropertyEditor(ClassType())) (*editor)(View, *this);
}
void TDocItem::MoveByOffset(double, double) {}
void TDocItem::SetRefPoint(double, double) {}

void TDocItem::SetModifiedFlag() {
  if (FDocument) FDocument->SetModifiedFlag(true);
}

void TDocItem::GetIndexPath(std::vector<std::string>& Strings) const {
  Strings.push_back(FClassNameDescription);
  // The identity is the object itself; eight digits are what the dialogs
  // show, so the address is folded to 32 bits.
  const auto addr = reinterpret_cast<std::uintptr_t>(this);
  char buf[16];
  std::snprintf(buf, sizeof buf, "$%08X", static_cast<unsigned>(addr & 0xFFFFFFFFu));
  Strings.push_back(buf);
}

void TDocItem::InsertInheritList(TCustomNodeItem& Node) {
  std::vector<std::string> path;
  GetIndexPath(path);
  TCustomNodeItem* node = &Node;
  for (const std::string& element : path) {
    const int i = node->FList->FindByIdent(element);
    if (i >= 0) {
      node = node->FList->Items(i);
      continue;
    }
    auto child = std::make_unique<TCustomNodeItem>();
    child->FCaption = element;
    child->FDescription = element;
    TCustomNodeItem* raw = child.get();
    node->AddChild(std::move(child));
    node = raw;
  }
  node->FData = this;
}

// ---- TCustomFigure

PLANDECK_DEFINE_ABSTRACT_CLASS(TCustomFigure, TDocItem)

TCustomFigure::TCustomFigure(TMyPersistent* AOwner) : TDocItem(AOwner) {
  FBrush.Style = bsClear;
}

TCustomFigure::~TCustomFigure() = default;

void TCustomFigure::ReadData(TReader& Reader) {
  FCaption = Reader.ReadString();
  FScale = Reader.ReadFloat();
  FXzJd = Reader.ReadFloat();
  FName = Reader.ReadString();
  FPen.Color = static_cast<COLORREF>(Reader.ReadInteger());
  std::uint8_t raw = 0;
  Reader.Read(&raw, 1);
  FPen.Mode = static_cast<TPenMode>(raw);
  Reader.Read(&raw, 1);
  FPen.Style = static_cast<TPenStyle>(raw);
  FPen.Width = Reader.ReadInteger();
  FBrush.Color = static_cast<COLORREF>(Reader.ReadInteger());
  Reader.Read(&raw, 1);
  FBrush.Style = static_cast<TBrushStyle>(raw);
  if (Reader.ReadBoolean()) {
    auto item = CreateMyPersistent(FindClass("TTxBlock"), nullptr);
    auto* block = dynamic_cast<TCustomFigureSet*>(item.get());
    if (!block) throw EStreamError(StreamMsg::InvalidPropertyValue);
    item.release();
    FFillItem.reset(block);
    FFillItem->ReadData(Reader);
  } else {
    FFillItem.reset();
  }
}

std::string TCustomFigure::ErrorSubject() const {
  std::vector<std::string> path;
  GetIndexPath(path);
  std::string subject = path.empty() ? std::string(ClassName()) : path.front();
  if (subject.empty()) subject = ClassName();
  if (!FName.empty()) subject += "（" + FName + "）";
  if (path.size() > 1) subject += " " + path.back();
  return subject;
}

void TCustomFigure::WriteData(TWriter& Writer) {
  Writer.WriteString(FCaption);
  Writer.WriteFloat(FScale);
  Writer.WriteFloat(FXzJd);
  Writer.WriteString(FName);
  Writer.WriteInteger(static_cast<std::int32_t>(FPen.Color));
  std::uint8_t raw = FPen.Mode;
  Writer.Write(&raw, 1);
  raw = FPen.Style;
  Writer.Write(&raw, 1);
  Writer.WriteInteger(FPen.Width);
  Writer.WriteInteger(static_cast<std::int32_t>(FBrush.Color));
  raw = FBrush.Style;
  Writer.Write(&raw, 1);
  Writer.WriteBoolean(FFillItem != nullptr);
  if (FFillItem) FFillItem->WriteData(Writer);
}

void TCustomFigure::AssignTo(TPersistent& Dest) const {
  auto* d = dynamic_cast<TCustomFigure*>(&Dest);
  if (!d) return;
  d->FPen = FPen;
  d->FBrush = FBrush;
  d->FXzJd = FXzJd;
  d->SetDocument(FDocument);
  d->FParent = FParent;
  d->FScale = FScale;
  if (FFillItem && FFillItem.get() != d->FFillItem.get())
    d->SetFillItemScaled(FFillItem.get(), GetAbsParentScale());
  else if (!FFillItem)
    d->SetFillItem(nullptr);
}

void TCustomFigure::Invalidate() {
  NoteChanged();
  TDocItem::Invalidate();
}

void TCustomFigure::NoteChanged() const {
  const TCustomFigure* top = this;
  while (top->FParent) top = top->FParent;
  if (auto* root = dynamic_cast<const TTxFigureSet*>(top)) ++root->FGeneration;
}

void TCustomFigure::Modified() {
  NoteChanged();
  if (FChanging) return;
  TChangingGuard guard(*this);
  Refresh();
}

void TCustomFigure::Refresh() {
  NoteChanged();
  if (FFillItem) {
    TCustomFigureSet* top = FParent;
    while (top && top->FParent) top = top->FParent;
    FFillItem->FParent = dynamic_cast<TTxFigureSet*>(top);
  }
  Invalidate();
}

void TCustomFigure::Loaded() { Modified(); }

double TCustomFigure::GetScale() const { return FScale; }

void TCustomFigure::SetScale(double Value) {
  if (!(Value > 0)) return;
  FScale = Value;
  Modified();
}

void TCustomFigure::SetXzjd(double Value) {
  if (Value == FXzJd) return;
  FXzJd = Value;
  Modified();
}

void TCustomFigure::Paint(TShowPlace&) {}

void TCustomFigure::Draw(TShowPlace& ShowPlace) {
  if (!ShowPlace.cvs) return;
  if (!ShowPlace.AClipRect.IsEmpty() && !Intersects(ShowPlace.AClipRect)) return;
  // Only what is selected here is put back: a whole SaveDC/RestoreDC per
  // figure re-applies the clip region every time and doubles the cost of
  // painting a large drawing. Figures that clip save the DC themselves.
  class TSelected {
  public:
    TSelected(TCanvas& Cv, const TPen& Pen, const TBrush& Brush)
        : FCv(Cv), FBrush(Cv.SelectBrush(ToLogBrush(Brush))), FRop(Cv.SetROP2(PenModeToRop2(Pen.Mode))),
          FPen(Cv.SelectPen(GeometricPen(Pen))) {}
    ~TSelected() {
      FCv.SelectPen(FPen);
      FCv.SetROP2(FRop);
      FCv.SelectBrush(FBrush);
    }
    TSelected(const TSelected&) = delete;
    TSelected& operator=(const TSelected&) = delete;

  private:
    TCanvas& FCv;
    TLogBrush FBrush;
    int FRop;
    TLogPen FPen;
  };
  TSelected selected(*ShowPlace.cvs, FPen, FBrush);
  Paint(ShowPlace);
}

bool TCustomFigure::RealTimeAddPoint(Tpt, TFigureView*) { return false; }
bool TCustomFigure::RealTimeDeletePoint(Tpt, TFigureView*) { return false; }

void TCustomFigure::TransUserPt(Tpt P, Tpt& Q) const {
  const double f = FDocument ? FDocument->GetDocScale() : 1.0;
  const Tpt r = Rotate(P.x, P.y, DegToRad(GetAbsParentXzjd()));
  Q = {f * r.x, f * r.y};
}

void TCustomFigure::TransSysPt(Tpt P, Tpt& Q) const {
  const double f = FDocument ? FDocument->GetDocScale() : 1.0;
  Q = Rotate(P.x / f, P.y / f, -DegToRad(GetAbsParentXzjd()));
}

double TCustomFigure::TransUserV(double V) const { return V * (FDocument ? FDocument->GetDocScale() : 1.0); }
double TCustomFigure::TransSysV(double V) const { return V / (FDocument ? FDocument->GetDocScale() : 1.0); }

std::unique_ptr<TRegion> TCustomFigure::GetRegion() { return nullptr; }
std::unique_ptr<TRegion> TCustomFigure::GetClientRegion(TCanvas&) { return nullptr; }
bool TCustomFigure::Selected(Tpt, double) const { return false; }
bool TCustomFigure::HitBounds(double, TDBox&) const { return false; }
void TCustomFigure::CreateByRefPoint(TTxCollectFound&) {}
void TCustomFigure::Explode(TCustomFigureSet&) {}
void TCustomFigure::FigureMirror(TBx) {}

void TCustomFigure::DrawLine(Tpt P1, Tpt P2, TCanvas& Canvas) {
  if (FPen.Style == psClear) return;
  const TLogFrame f = LogFrame();
  const TPoint pts[2] = {ptodp(f.Map(P1)), ptodp(f.Map(P2))};
  if (FPen.Style == psSolid || FPen.Style == psInsideFrame) {
    // One straight stroke has no joins, so a path adds nothing to its pixels.
    Canvas.MoveToEx(pts[0].x, pts[0].y);
    Canvas.LineTo(pts[1].x, pts[1].y);
    return;
  }
  StrokeStyled(Canvas, pts, 2, FPen.Style);
}

bool TCustomFigure::GetCapturePoint(Tpt&, TPointLx&, TFigureView*, TPoint, TPointLxSet) { return false; }

// ---- transforms

double TCustomFigure::GetAbsParentScale() const {
  return FParent ? FParent->GetScale() * FParent->GetAbsParentScale() : 1.0;
}

double TCustomFigure::GetAbsParentXzjd() const {
  return FParent ? FParent->GetAbsParentXzjd() + FParent->FXzJd : 0.0;
}

double TCustomFigure::GetLogOrgx() const { return LogOrgOf(FParent).x; }
double TCustomFigure::GetLogOrgy() const { return LogOrgOf(FParent).y; }

Tpt TCustomFigure::xyTransLogPt(double x, double y) const {
  if (!FParent) return {x, y};
  const double s = GetAbsParentScale();
  const Tpt r = Rotate(x, y, DegToRad(GetAbsParentXzjd()));
  const Tpt o = LogOrgOf(FParent);
  return {o.x + s * r.x, o.y + s * r.y};
}

TCustomFigure::TLogFrame TCustomFigure::LogFrame() const {
  if (!FParent) return TLogFrame{};
  // While a set paints, its children share the frame it worked out once.
  if (FParent->FPaintFrame) return *FParent->FPaintFrame;
  return ChildFrameOf(*FParent);
}

TCustomFigure::TLogFrame TCustomFigure::ChildFrameOf(const TCustomFigureSet& Set) {
  TLogFrame f;
  f.s = Set.GetScale() * Set.GetAbsParentScale();
  const double a = DegToRad(Set.GetAbsParentXzjd() + Set.FXzJd);
  if (a != 0) {
    f.c = std::cos(a);
    f.sn = std::sin(a);
  }
  f.o = LogOrgOf(&Set);
  return f;
}

Tpt TCustomFigure::xyTransAbsPt(double x, double y) const {
  if (!FParent) return {x, y};
  const double s = GetAbsParentScale();
  const double a = DegToRad(GetAbsParentXzjd());
  const Tpt o = LogOrgOf(FParent);
  const double u = (x - o.x) / s, v = (y - o.y) / s;
  const double c = std::cos(a), sn = std::sin(a);
  return {u * c + v * sn, v * c - u * sn};
}

void TCustomFigure::TransLogPt(TPoint P, TPoint& Q) const { Q = ptodp(xyTransLogPt(P.x, P.y)); }
void TCustomFigure::TransAbsPt(TPoint P, TPoint& Q) const { Q = ptodp(xyTransAbsPt(P.x, P.y)); }
double TCustomFigure::TransLogV(double V) const { return V * GetAbsParentScale(); }
double TCustomFigure::TransAbsV(double V) const { return V / GetAbsParentScale(); }

void TCustomFigure::GetLayerName(std::string& Name) const {
  Name.clear();
  if (FParent) FParent->GetFigureLayerName(this, Name);
}

int TCustomFigure::GetLayerIndex() const { return FParent ? FParent->GetFigureLayerIndex(this) : 0; }

// ---- hit tests

int TCustomFigure::HitTest(TPoint P, TFigureView* View, bool HandlesOnly) {
  if (HandlesOnly) {
    for (int i = 1; i <= GetHandleCount(); ++i) {
      TRect r{};
      GetHandleRect(i, View, r);
      if (PtInRect(r, P)) return i;
    }
    return 0;
  }
  // Selected takes logical points (every figure maps them with xyTransAbsPt).
  return Selected(dptop(P), 1.0) ? 1 : 0;
}

int TCustomFigure::CaptureBj() const { return FDocument ? FDocument->GetCaptureBj() : 8; }

bool TCustomFigure::PointInPoint(TPoint P, Tpt Q) const {
  // Both points are logical already; scaling the distance by the parents'
  // scale again would make snapping inside a scaled block differ from the rest.
  return std::hypot(P.x - Q.x, P.y - Q.y) < CaptureBj();
}

bool TCustomFigure::NearPoint(Tpt Local, TPoint Cursor, Tpt& P) const {
  const Tpt l = xyTransLogPt(Local.x, Local.y);
  if (!PointInPoint(Cursor, l)) return false;
  P = l;
  return true;
}

bool TCustomFigure::PointInLine(Tpt P, Tpt A, Tpt B, Tpt& Foot) const {
  const Tpt a = xyTransLogPt(A.x, A.y);
  const Tpt b = xyTransLogPt(B.x, B.y);
  Tpt foot = a;
  double t = 0;
  if (std::hypot(b.x - a.x, b.y - a.y) >= EPS) foot = CalPtLine(P, pptobx(a, b), t);
  if (t < 0 || t > 1) return false;
  Foot = foot;
  return std::hypot(P.x - foot.x, P.y - foot.y) < CaptureBj();
}

bool TCustomFigure::PointInArc(Tpt P, Tpt Center, Tpt& Foot, double StartAngle, double EndAngle,
                               double Radius) const {
  constexpr double TwoPi = 2 * std::numbers::pi;
  if (StartAngle > TwoPi) StartAngle -= TwoPi;
  if (StartAngle < 0) StartAngle += TwoPi;
  if (EndAngle > TwoPi) EndAngle -= TwoPi;
  if (EndAngle < 0) EndAngle += TwoPi;
  double e = std::atan2(P.y - Center.y, P.x - Center.x);
  if (e < 0) e += TwoPi;
  if (StartAngle <= EndAngle) {
    if (e < StartAngle || e > EndAngle) return false;
  } else if (e > EndAngle && e < StartAngle) {
    return false;
  }
  const double d = std::hypot(P.x - Center.x, P.y - Center.y);
  if (!(std::abs(d - Radius) * GetAbsParentScale() < CaptureBj())) return false;
  Foot = {Center.x + Radius * std::cos(e), Center.y + Radius * std::sin(e)};
  return true;
}

bool TCustomFigure::IsTop(const TCustomFigure* Figure) const {
  if (!Figure) return false;
  const auto* list = dynamic_cast<const TUndoSaveComponentList*>(FOwner);
  if (list && Figure->FOwner == FOwner) return list->IndexOfObject(this) > list->IndexOfObject(Figure);
  return GetLayerIndex() < Figure->GetLayerIndex();
}

// ---- drawing helpers

void TCustomFigure::DrawDC(TCanvas& DC, TFigureView* View, const TRect& ClipRect) {
  const TSize w = DC.GetWindowExtEx(), v = DC.GetViewportExtEx();
  TShowPlace place;
  place.cvs = &DC;
  place.Factor = v.cx != 0 ? std::abs(double(w.cx) / double(v.cx)) : 1.0;
  place.ShowSelect = false;
  place.AClipRect = ClipRect;
  place.View = View;
  Draw(place);
}

void TCustomFigure::DrawCircle(Tpt Center, TCanvas& Canvas, double Radius) {
  const TPoint c = ptodp(xyTransLogPt(Center.x, Center.y));
  const std::int32_t r = RoundHalfEven(TransLogV(Radius));
  if (r > FPen.Width)
    Canvas.Ellipse(c.x - r, c.y - r, c.x + r, c.y + r);
  else
    Canvas.Rectangle(c.x - r, c.y - r, c.x + r, c.y + r);
}

void TCustomFigure::DrawAster(Tpt Center, TCanvas& Canvas, double Radius) {
  for (int i = 0; i < 6; ++i) {
    const double a = i * std::numbers::pi / 3;
    DrawLine(Center, {Center.x + Radius * std::cos(a), Center.y + Radius * std::sin(a)}, Canvas);
  }
}

void TCustomFigure::SetFillItem(const TCustomFigureSet* Block) {
  if (Block == FFillItem.get()) return;
  SetFillItemScaled(Block, 1.0);
}

void TCustomFigure::SetFillItemScaled(const TCustomFigureSet* Block, double Factor) {
  // Clone first: Block may belong to the fill item being replaced.
  std::unique_ptr<TCustomFigureSet> copy;
  if (Block) {
    auto item = Block->Clone();
    if (auto* set = dynamic_cast<TCustomFigureSet*>(item.get())) {
      item.release();
      copy.reset(set);
      copy->FScale = copy->FScale * Factor / GetAbsParentScale();
      copy->FParent = FParent;
    }
  }
  FFillItem = std::move(copy);
}
