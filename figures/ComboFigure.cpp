#include "figures/ComboFigure.h"

#include "figures/ClosedPaint.h"
#include "figures/FigureKit.h"
#include "figures/LineFigureKit.h"
#include "figures/RoundShapes.h"
#include "figures/WdbxFigure.h"

#include <algorithm>
#include <cmath>

using namespace LineKit;

namespace {

// Two device areas are kept: the drawing view and the navigator paint in turn.
constexpr std::size_t kKeptAreas = 2;

TTxFigureSet* RootOf(const TCustomFigure& F) {
  const TCustomFigure* top = &F;
  while (top->FParent) top = top->FParent;
  return dynamic_cast<TTxFigureSet*>(const_cast<TCustomFigure*>(top));
}

TComboFigure::TMapping MappingOf(const TCanvas& DC) {
  return {DC.GetMapMode(), DC.GetWindowOrgEx(), DC.GetViewportOrgEx(), DC.GetWindowExtEx(), DC.GetViewportExtEx()};
}

// Where a logical point lands on a device with mapping M, as the canvas maps it.
TPoint ToDevice(const TComboFigure::TMapping& M, TPoint P) {
  if (M.MapMode == MM_TEXT || M.WindowExt.cx == 0 || M.WindowExt.cy == 0)
    return {P.x - M.WindowOrg.x + M.ViewportOrg.x, P.y - M.WindowOrg.y + M.ViewportOrg.y};
  return {MulDivEven(std::int64_t(P.x) - M.WindowOrg.x, M.ViewportExt.cx, M.WindowExt.cx) + M.ViewportOrg.x,
          MulDivEven(std::int64_t(P.y) - M.WindowOrg.y, M.ViewportExt.cy, M.WindowExt.cy) + M.ViewportOrg.y};
}

// The device shift that takes an area built under From to one under To, when
// the two differ only by origins that move every point by the same whole
// number of pixels.
bool ShiftBetween(const TComboFigure::TMapping& From, const TComboFigure::TMapping& To, TPoint& Shift) {
  if (From.MapMode != To.MapMode || !(From.WindowExt == To.WindowExt) || !(From.ViewportExt == To.ViewportExt))
    return false;
  auto exact = [](std::int64_t d, std::int64_t ve, std::int64_t we) { return we != 0 && (d * ve) % we == 0; };
  if (To.MapMode != MM_TEXT &&
      (!exact(std::int64_t(To.WindowOrg.x) - From.WindowOrg.x, To.ViewportExt.cx, To.WindowExt.cx) ||
       !exact(std::int64_t(To.WindowOrg.y) - From.WindowOrg.y, To.ViewportExt.cy, To.WindowExt.cy)))
    return false;
  const TPoint a = ToDevice(From, {0, 0}), b = ToDevice(To, {0, 0});
  Shift = {b.x - a.x, b.y - a.y};
  return true;
}

}  // namespace

bool CanCombine(const TCustomFigure& Figure) {
  return dynamic_cast<const TCustomWdbxFigure*>(&Figure) || dynamic_cast<const TTxCircle*>(&Figure) ||
         dynamic_cast<const TTxEllipse*>(&Figure) || dynamic_cast<const TTxRoundRect*>(&Figure) ||
         dynamic_cast<const TComboFigure*>(&Figure);
}

PLANDECK_DEFINE_CLASS(TComboFigure, TFramedFigureSet)

TComboFigure::TComboFigure(TMyPersistent* AOwner) : TFramedFigureSet(AOwner) { FClassNameDescription = "图块"; }

TComboFigure::~TComboFigure() = default;

void TComboFigure::ReadData(TReader& Reader) {
  TCustomFigure::ReadData(Reader);
  FYd.x = Reader.ReadFloat();
  FYd.y = Reader.ReadFloat();
  FWidth = Reader.ReadFloat();
  FHeight = Reader.ReadFloat();
  FShowFrame = Reader.ReadBoolean();
  FStyle = Reader.ReadInteger();
  if (FFigures->Count() > 0) {
    FreeingFigures(FiguresOf(*FFigures));
    FFigures->Clear();
  }
  FFigures->ReadData(Reader);
  AdoptFigures(*FFigures);
  FFigures->Loaded();
  DropAreas();
}

void TComboFigure::WriteData(TWriter& Writer) {
  TCustomFigure::WriteData(Writer);
  Writer.WriteFloat(FYd.x);
  Writer.WriteFloat(FYd.y);
  Writer.WriteFloat(FWidth);
  Writer.WriteFloat(FHeight);
  Writer.WriteBoolean(FShowFrame);
  Writer.WriteInteger(FStyle);
  FFigures->WriteData(Writer);
}

void TComboFigure::AssignTo(TPersistent& Dest) const {
  TFramedFigureSet::AssignTo(Dest);
  if (auto* d = dynamic_cast<TComboFigure*>(&Dest)) {
    d->FStyle = FStyle;
    d->FShowFrame = FShowFrame;
    d->DropAreas();
  }
}

std::unique_ptr<TDocItem> TComboFigure::Clone() const {
  auto copy = std::make_unique<TComboFigure>(FOwner);
  copy->Assign(*this);
  return copy;
}

void TComboFigure::DropAreas() {
  FAreas.clear();
  FRgn.reset();
  FLogArea.reset();
}

void TComboFigure::Refresh() {
  DropAreas();
  FFigures->Refresh();
  TCustomFigure::Refresh();
}

void TComboFigure::Loaded() {
  DropAreas();
  FFigures->Loaded();
  TCustomFigure::Loaded();
}

void TComboFigure::Invalidate() {
  TFramedFigureSet::Invalidate();
  DropAreas();
}

void TComboFigure::SetXzjd(double Value) {
  if (Value == FXzJd) return;
  TCustomFigure::SetXzjd(Value);
}

void TComboFigure::CalcPositionRect(TRect& Rect) const {
  Rect = TFrameRect{*this, FYd, FWidth, FHeight, FXzJd}.LogRect();
}

int TComboFigure::CombineMode() const {
  switch (FStyle) {
    case csIntersect: return RGN_AND;
    case csSubtract: return RGN_DIFF;
    default: return RGN_OR;
  }
}

bool TComboFigure::CurrentKey(TAreaKey& Key) const {
  const TTxFigureSet* root = RootOf(*this);
  if (!root) return false;
  const TLogFrame f = ChildFrameOf(*this);
  Key = {f.s, f.c, f.sn, f.o.x, f.o.y, root->FGeneration};
  return true;
}

namespace {

// The members' regions, each asked of Region, combined in order by Mode.
template <class Fn>
std::unique_ptr<TRegion> CombinedRegion(const TTxCollectFigure& Members, int Mode, Fn&& Region) {
  auto out = std::make_unique<TRegion>();
  for (int i = 0; i < Members.Count(); ++i) {
    std::unique_ptr<TRegion> r = Region(*Members.Figures(i));
    const TRegion part = r ? std::move(*r) : TRegion();
    if (i == 0)
      *out = part;
    else
      CombineRgn(*out, *out, part, Mode);
  }
  return out;
}

}  // namespace

std::unique_ptr<TRegion> TComboFigure::GetRegion() {
  ++FAreaBuilds;
  return CombinedRegion(*FFigures, CombineMode(), [](TCustomFigure& F) { return F.GetRegion(); });
}

std::unique_ptr<TRegion> TComboFigure::GetClientRegion(TCanvas& DC) {
  ++FAreaBuilds;
  return CombinedRegion(*FFigures, CombineMode(), [&DC](TCustomFigure& F) { return F.GetClientRegion(DC); });
}

TRegion TComboFigure::DeviceArea(TCanvas& DC, bool FromDrawingView) {
  const TMapping map = MappingOf(DC);
  TAreaKey key;
  const bool keyed = CurrentKey(key);
  TRegion rgn;
  bool found = false;
  if (keyed) {
    for (std::size_t i = 0; i < FAreas.size() && !found; ++i) {
      TPoint shift;
      if (!(FAreas[i].Key == key) || !ShiftBetween(FAreas[i].Map, map, shift)) continue;
      rgn = FAreas[i].Rgn;
      OffsetRgn(rgn, shift.x, shift.y);
      TCachedArea hit = std::move(FAreas[i]);
      FAreas.erase(FAreas.begin() + std::ptrdiff_t(i));
      hit.Map = map;
      hit.Rgn = rgn;
      FAreas.insert(FAreas.begin(), std::move(hit));
      found = true;
    }
  } else {
    FAreas.clear();
  }
  if (!found) {
    rgn = std::move(*GetClientRegion(DC));
    if (keyed) {
      FAreas.insert(FAreas.begin(), TCachedArea{key, map, rgn});
      if (FAreas.size() > kKeptAreas) FAreas.resize(kKeptAreas);
    }
  }
  if (FromDrawingView) FRgn = std::make_unique<TCachedArea>(TCachedArea{key, map, rgn});
  return rgn;
}

const TRegion& TComboFigure::LogicalArea() const {
  TAreaKey key;
  const bool keyed = CurrentKey(key);
  if (!FLogArea || !keyed || !(FLogArea->Key == key)) {
    // Built on demand: a drawing just opened, the navigator and headless
    // tools must be able to pick the figure before any paint.
    std::unique_ptr<TRegion> r = const_cast<TComboFigure*>(this)->GetRegion();
    FLogArea = std::make_unique<TCachedArea>(TCachedArea{key, {}, std::move(*r)});
  }
  return FLogArea->Rgn;
}

bool TComboFigure::InArea(Tpt LogicalPoint) const {
  const TPoint p = ptodp(LogicalPoint);
  TRect frame;
  CalcPositionRect(frame);
  if (p.x < frame.Left || p.x > frame.Right || p.y < frame.Top || p.y > frame.Bottom) return false;
  TAreaKey key;
  if (FRgn && CurrentKey(key) && FRgn->Key == key) {
    const TPoint d = ToDevice(FRgn->Map, p);
    return PtInRegion(FRgn->Rgn, d.x, d.y);
  }
  return PtInRegion(LogicalArea(), p.x, p.y);
}

bool TComboFigure::Selected(Tpt P, double) const { return InArea(P); }

void TComboFigure::Paint(TShowPlace& ShowPlace) {
  if (!ShowPlace.cvs) return;
  TCanvas& cv = *ShowPlace.cvs;
  const TTxFigureSet* root = RootOf(*this);
  const bool drawingView = ShowPlace.View && (!root || root->FViewState == vsDraw);
  TDCSaver saver(cv);
  // Members reaching out of the frame are cut at it, as a block's parts are.
  TRect frame;
  CalcPositionRect(frame);
  ExpandRect(frame, 2);
  cv.IntersectClipRect(frame.Left, frame.Top, frame.Right, frame.Bottom);
  const TRegion rgn = DeviceArea(cv, drawingView);
  if (rgn.IsEmpty()) return;
  bool tiled = false;
  if (FFillItem) {
    TDCSaver clipped(cv);
    if (cv.ExtSelectClipRgn(&rgn, RGN_AND) != NULLREGION) {
      TRect box;
      GetRgnBox(rgn, box);
      TPoint corners[2] = {{box.Left, box.Top}, {box.Right, box.Bottom}};
      cv.DPtoLP(corners, 2);
      tiled = TileFillItem(*this, ShowPlace, {corners[0].x, corners[0].y, corners[1].x, corners[1].y});
    }
  }
  if (!tiled && FBrush.Style != bsClear) cv.FillRgn(rgn, ToLogBrush(FBrush));
  if (FPen.Style != psClear) {
    // The pen width is in screen pixels; a printer's pixels are smaller.
    const int devicePpi = cv.GetDeviceCaps(LOGPIXELSX);
    const double k = devicePpi > 0 && ScreenLogPixels > 0 ? double(ScreenLogPixels) / devicePpi : 1.0;
    const std::int32_t w = std::max(1, Round(FPen.Width / k));
    cv.FrameRgn(rgn, TLogBrush{bsSolid, FPen.Color, false, {}}, w, w);
  }
}

bool TComboFigure::GetCapturePoint(Tpt& P, TPointLx& Kind, TFigureView* View, TPoint CursorPt,
                                   TPointLxSet KindSet) {
  if (View && View->IsSelected(this)) return false;
  if (!(KindSet & PointLxBit(plNearest))) return false;
  for (int i = 0; i < FFigures->Count(); ++i) {
    Tpt q;
    TPointLx k = plNone;
    if (!FFigures->Figures(i)->GetCapturePoint(q, k, View, CursorPt, PointLxBit(plNearest))) continue;
    if (!InArea(q)) continue;
    P = q;
    Kind = plNearest;
    return true;
  }
  return false;
}

void RegisterComboClasses() { RegisterClass(TComboFigure::StaticClass()); }

// ---- dialog's model

TComboProperties GetComboProperties(const TComboFigure& F) {
  TComboProperties p;
  p.Ident = IdentOf(F);
  p.PenColor = F.FPen.Color;
  p.LineWidth = std::to_string(F.FPen.Width);
  p.LayerIndex = F.GetLayerIndex();
  UserPt(F, F.FYd, p.YdX, p.YdY);
  p.Width = UserLen(F, F.FWidth);
  p.Height = UserLen(F, F.FHeight);
  p.Xzjd = Format("%1.1f", F.FXzJd);
  return p;
}

void SetComboProperties(TComboFigure& F, const TComboProperties& P) {
  F.Invalidate();
  {
    TChangingGuard guard(F);
    F.FPen.Color = P.PenColor;
    [&] {
      int w = 0;
      if (!ParseInt(P.LineWidth, w) || w < 0) return;
      F.FPen.Width = w;
      if (!SysPt(F, P.YdX, P.YdY, F.FYd)) return;
      // Length and width scale the whole: they set the scale, not the size.
      // One scale serves both: the size the user changed sets it.
      double v = 0, h = 0;
      if (!SysLen(F, P.Width, v) || !SysLen(F, P.Height, h)) return;
      if (P.Width != UserLen(F, F.FWidth))
        F.SetWidth(v);
      else if (P.Height != UserLen(F, F.FHeight))
        F.SetHeight(h);
      if (!ParseFloat(P.Xzjd, v)) return;
      F.FXzJd = v;
      if (F.FParent) F.FParent->ExchangeFigureLayer(&F, F.GetLayerIndex(), P.LayerIndex);
    }();
  }
  F.Modified();
}
