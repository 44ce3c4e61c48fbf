#include "figures/WdbxFigure.h"

#include "figures/ArcEdges.h"
#include "figures/ClosedPaint.h"
#include "figures/FigureKit.h"
#include "figures/FigureSet.h"
#include "platform/Region.h"

#include <algorithm>
#include <cmath>

PLANDECK_DEFINE_ABSTRACT_CLASS(TCustomWdbxFigure, TCustomFigure)

TCustomWdbxFigure::TCustomWdbxFigure(TMyPersistent* AOwner)
    : TCustomFigure(AOwner), FPWdbx(std::make_unique<TWorkDbx>()) {}

TCustomWdbxFigure::~TCustomWdbxFigure() { delWdbx(FPWdbx); }

void TCustomWdbxFigure::SetWdbx(std::unique_ptr<TWorkDbx> Outline) {
  delWdbx(FPWdbx);
  FPWdbx = Outline ? std::move(Outline) : std::make_unique<TWorkDbx>();
}

void TCustomWdbxFigure::CalcWdbxPloygon() const {
  const TWddList wdd = wdbxtowdd(*FPWdbx);
  FPolyPoints.clear();
  if (wdd.empty()) {
    FArraySize = 0;
    return;
  }
  const TLogFrame f = LogFrame();
  FPolyPoints.reserve(wdd.size() + 1);
  for (Tpt p : wdd) FPolyPoints.push_back(ptodp(f.Map(p)));
  FPolyPoints.push_back(FPolyPoints.front());
  FArraySize = static_cast<int>(FPolyPoints.size());
}

bool TCustomWdbxFigure::OutlineBox(Tpt& Min, Tpt& Max) const {
  const TWorkDbxbxList& bx = FPWdbx->bx;
  if (bx.size() < 2) return false;
  Min = Max = bx.front().qd;
  auto grow = [&](Tpt p) {
    Min = {std::min(Min.x, p.x), std::min(Min.y, p.y)};
    Max = {std::max(Max.x, p.x), std::max(Max.y, p.y)};
  };
  for (const TWorkDbxbx& e : bx) {
    grow(e.zd);
    if (e.lx != blArc) continue;
    const TArc arc = wdbxbxtoarc(e);
    for (double a : {Pi / 2, -Pi / 2, 0.0, Pi})
      if (jonArc(arc, a)) grow(Arcjdtod(arc, a));
  }
  return true;
}

void TCustomWdbxFigure::CalcPositionRect(TRect& Rect) const {
  Tpt lo, hi;
  if (!OutlineBox(lo, hi)) {
    Rect = {};
    FPolyPoints.clear();
    FArraySize = 0;
    return;
  }
  // All four corners: under a turned parent the two extreme ones alone
  // would not cover the outline.
  bool first = true;
  for (Tpt c : {lo, Tpt{hi.x, lo.y}, hi, Tpt{lo.x, hi.y}}) {
    const TPoint d = ptodp(xyTransLogPt(c.x, c.y));
    if (first) {
      Rect = {d.x, d.y, d.x, d.y};
      first = false;
    } else {
      Rect.Left = std::min(Rect.Left, d.x);
      Rect.Top = std::min(Rect.Top, d.y);
      Rect.Right = std::max(Rect.Right, d.x);
      Rect.Bottom = std::max(Rect.Bottom, d.y);
    }
  }
  ExpandRect(Rect, 0);
  CalcWdbxPloygon();
}

void TCustomWdbxFigure::Paint(TShowPlace& ShowPlace) {
  // The parents' frames may have moved since the last refresh: the cache
  // is made again for every paint.
  TRect r;
  CalcPositionRect(r);
  if (FArraySize == 0) return;
  PaintClosedOutline(*this, ShowPlace, FPolyPoints.data(), FArraySize);
}

std::unique_ptr<TRegion> TCustomWdbxFigure::GetRegion() {
  TRect r;
  CalcPositionRect(r);
  return std::make_unique<TRegion>(CreatePolygonRgn(FPolyPoints.data(), FArraySize, WINDING));
}

std::unique_ptr<TRegion> TCustomWdbxFigure::GetClientRegion(TCanvas& DC) {
  TRect r;
  CalcPositionRect(r);
  std::vector<TPoint> pts = FPolyPoints;
  if (!pts.empty()) DC.LPtoDP(pts.data(), static_cast<int>(pts.size()));
  return std::make_unique<TRegion>(CreatePolygonRgn(pts.data(), static_cast<int>(pts.size()), WINDING));
}

bool TCustomWdbxFigure::Selected(Tpt P, double) const { return pinwdbx(xyTransAbsPt(P.x, P.y), *FPWdbx); }

bool TCustomWdbxFigure::HitBounds(double, TDBox& Box) const {
  // Only the inside is a hit, and the position rectangle covers it; one
  // unit more for the rounding of its corners.
  TRect r;
  CalcPositionRect(r);
  Box = {r.Left - 1.0, r.Top - 1.0, r.Right + 1.0, r.Bottom + 1.0};
  return true;
}

bool TCustomWdbxFigure::GetCapturePoint(Tpt& P, TPointLx& Kind, TFigureView* View, TPoint CursorPt,
                                        TPointLxSet KindSet) {
  if (View && View->IsSelected(this)) return false;
  const TWorkDbxbxList& bx = FPWdbx->bx;
  if (KindSet & PointLxBit(plEndPoint))
    for (const TWorkDbxbx& e : bx)
      if (NearPoint(e.qd, CursorPt, P)) return Kind = plEndPoint, true;
  if (KindSet & PointLxBit(plMidPoint))
    for (const TWorkDbxbx& e : bx)
      if (NearPoint(EdgeMiddle(e), CursorPt, P)) return Kind = plMidPoint, true;
  if (Tpt c; (KindSet & PointLxBit(plCenter)) && CentrePoint(c) && NearPoint(c, CursorPt, P))
    return Kind = plCenter, true;
  if (KindSet & PointLxBit(plNearest)) {
    const Tpt cursor = dptop(CursorPt);
    for (const TWorkDbxbx& e : bx) {
      if (e.lx != blArc) {
        if (PointInLine(cursor, e.qd, e.zd, P)) return Kind = plNearest, true;
        continue;
      }
      Tpt foot;
      if (PointInArc(xyTransAbsPt(cursor.x, cursor.y), e.yx, foot, e.qj, e.zj, e.bj)) {
        P = xyTransLogPt(foot.x, foot.y);
        return Kind = plNearest, true;
      }
    }
  }
  return false;
}

void TCustomWdbxFigure::BackUpSelf() {
  TCustomFigureSet* top = FParent;
  while (top && top->FParent) top = top->FParent;
  auto* root = dynamic_cast<TTxFigureSet*>(top);
  if (!root) return;
  TMyList list;
  list.Add(this);
  root->BackUp(list, ovEdit);
}
