#include "figures/MltLine.h"

#include "figures/ArcEdges.h"
#include "figures/FigureFamily.h"
#include "figures/FigureKit.h"
#include "figures/FigureSet.h"
#include "foundation/StreamError.h"
#include "foundation/ValueStream.h"

#include <algorithm>
#include <cmath>

namespace {

// Every vertex through Map; the arc centres too (all of them when
// AllCentres, else only those of arc vertices), as the edits ask.
template <class Fn>
void MapVertices(TTxCollectBxdy& List, bool AllCentres, Fn&& Map) {
  for (int i = 0; i < List.Count(); ++i) {
    TTxPolygonBxdy& v = *List.Points(i);
    v.FDwd = Map(v.FDwd);
    if (AllCentres || v.FLx == blArc) v.FYx = Map(v.FYx);
  }
}

void Grow(TDBox& B, bool& First, Tpt P) {
  if (First) {
    B = {P.x, P.y, P.x, P.y};
    First = false;
    return;
  }
  B.x0 = std::min(B.x0, P.x);
  B.y0 = std::min(B.y0, P.y);
  B.x1 = std::max(B.x1, P.x);
  B.y1 = std::max(B.y1, P.y);
}

// Straight edge A-B near P within T: on the segment, or beside it.
bool LineHit(Tpt P, Tpt A, Tpt B, double T) {
  if (pinbx(P, pptobx(A, B))) return true;
  // Beside a vertex the strictly-between tests below miss on both edges
  // (two level edges meeting there): the ends count on their own.
  if (Dist(P, A) < T || Dist(P, B) < T) return true;
  auto between = [](double v, double a, double b) { return (a < v && v < b) || (b < v && v < a); };
  if (std::abs(A.x - B.x) < EPS) return between(P.y, A.y, B.y) && std::abs(P.x - A.x) < T;
  if (std::abs(A.y - B.y) < EPS) return between(P.x, A.x, B.x) && std::abs(P.y - A.y) < T;
  double t = 0;
  const Tpt foot = CalPtLine(P, pptobx(A, B), t);
  return t > 0 && t < 1 && std::hypot(P.x - foot.x, P.y - foot.y) < T;
}

}  // namespace

PLANDECK_DEFINE_ABSTRACT_CLASS(TCustomMltLine, TCustomFigure)

TCustomMltLine::TCustomMltLine(TMyPersistent* AOwner)
    : TCustomFigure(AOwner), FDDList(std::make_unique<TTxCollectBxdy>(this)) {
  FClassNameDescription = "折线";
}

TCustomMltLine::~TCustomMltLine() = default;

void TCustomMltLine::ReadData(TReader& Reader) {
  TCustomFigure::ReadData(Reader);
  FDDList->Clear();
  FPWLine.clear();
  FDDList->ReadData(Reader);
  // The stream names the items' class; anything but a vertex record would
  // be taken for one later.
  for (int i = 0; i < FDDList->Count(); ++i)
    if (!dynamic_cast<TTxPolygonBxdy*>(FDDList->Items(i))) {
      FDDList->Clear();
      throw EStreamError(StreamMsg::InvalidPropertyValue);
    }
}

void TCustomMltLine::WriteData(TWriter& Writer) {
  TCustomFigure::WriteData(Writer);
  FDDList->WriteData(Writer);
}

void TCustomMltLine::AssignTo(TPersistent& Dest) const {
  TCustomFigure::AssignTo(Dest);
  auto* d = dynamic_cast<TCustomMltLine*>(&Dest);
  if (!d || d == this) return;
  TChangingGuard guard(*d);
  FDDList->AssignTo(*d->FDDList);
  // The edges follow from the vertices alone; a copy paints before its Modified.
  d->FPWLine = FPWLine;
}

void TCustomMltLine::SetDDList(const TTxCollectBxdy& List) {
  if (&List == FDDList.get()) return;
  Change(*this, [&] { List.AssignTo(*FDDList); });
}

void TCustomMltLine::CreateWDbxByDDList() {
  TWorkDbxbxList edges;
  const int n = FDDList->Count();
  if (n >= 2) edges.reserve(std::size_t(n - 1));
  for (int i = 0; i + 1 < n; ++i) {
    TTxPolygonBxdy& v = Vertex(i);
    edges.push_back(VertexEdge(v.FDwd, Vertex(i + 1).FDwd, v.FLx, v.FBj, v.FYx, v.FDirection));
  }
  FPWLine = std::move(edges);
}

void TCustomMltLine::Refresh() {
  CreateWDbxByDDList();
  TCustomFigure::Refresh();
}

bool TCustomMltLine::EdgeBox(TDBox& Box) const {
  if (FPWLine.empty()) return false;
  const TLogFrame f = LogFrame();
  const double turn = std::atan2(f.sn, f.c);
  bool first = true;
  for (const TWorkDbxbx& e : FPWLine) {
    Grow(Box, first, f.Map(e.qd));
    Grow(Box, first, f.Map(e.zd));
    if (e.lx != blArc) continue;
    // The arc's outermost points on the sheet: where its logical angle is a
    // multiple of a right angle.
    const TArc arc = wdbxbxtoarc(e);
    for (int k = 0; k < 4; ++k) {
      double a = std::fmod(k * Pi / 2 - turn, 2 * Pi);
      if (a < 0) a += 2 * Pi;
      if (jonArc(arc, a)) Grow(Box, first, f.Map(Arcjdtod(arc, a)));
    }
  }
  return true;
}

void TCustomMltLine::CalcPositionRect(TRect& Rect) const {
  TDBox b;
  if (!EdgeBox(b)) {
    Rect = TRect{};
    return;
  }
  const TPoint lo = ptodp({b.x0, b.y0}), hi = ptodp({b.x1, b.y1});
  Rect = {lo.x, lo.y, hi.x, hi.y};
  ExpandRect(Rect, FPen.Width + 1);
}

int TCustomMltLine::GetHandleCount() const {
  const int n = FDDList->Count();
  return n == 0 ? 0 : 2 * n - 1;
}

void TCustomMltLine::GetHandle(int Index, TPoint& P) const {
  const int n = FDDList->Count();
  Tpt p;
  if (Index >= 1 && Index <= n)
    p = Vertex(Index - 1).FDwd;
  else if (Index > n && Index < 2 * n && std::size_t(Index - n - 1) < FPWLine.size())
    p = EdgeMiddle(FPWLine[std::size_t(Index - n - 1)]);
  else
    return;
  P = ptodp(xyTransLogPt(p.x, p.y));
}

void TCustomMltLine::MoveHandleTo(int Index, TPoint P) {
  const int n = FDDList->Count();
  const Tpt p = xyTransAbsPt(P.x, P.y);
  if (Index >= 1 && Index <= n) {
    Change(*this, [&] { Vertex(Index - 1).FDwd = p; });
    return;
  }
  if (Index <= n || Index >= 2 * n) return;
  const int e = Index - n - 1;
  // Only an arc bends: its circle goes through the two ends and the mouse.
  if (Vertex(e).FLx != blArc || std::size_t(e) >= FPWLine.size()) return;
  const TWorkDbxbx& edge = FPWLine[std::size_t(e)];
  Tpt c;
  std::int32_t dir = 0;
  if (!CircleThrough(edge.qd, p, edge.zd, c, dir)) return;
  Change(*this, [&] {
    TTxPolygonBxdy& v = Vertex(e);
    v.FYx = c;
    v.FBj = Dist(c, edge.qd);
    v.FDirection = dir;
  });
}

void TCustomMltLine::RotateHandleTo(int Index, TPoint P) {
  if (Index < 1 || Index > GetHandleCount()) return;
  TRect r;
  CalcPositionRect(r);
  const Tpt c = xyTransAbsPt((r.Left + r.Right) / 2.0, (r.Top + r.Bottom) / 2.0);
  TPoint h;
  GetHandle(Index, h);
  const double d = ppjd(c, xyTransAbsPt(P.x, P.y)) - ppjd(c, xyTransAbsPt(h.x, h.y));
  Change(*this, [&] { MapVertices(*FDDList, false, [&](Tpt p) { return protateyd(c, p, d); }); });
}

void TCustomMltLine::MoveByOffset(double Dx, double Dy) {
  // The offset is logical; in a turned set it turns with the frame.
  const Tpt o = xyTransAbsPt(0, 0), q = xyTransAbsPt(Dx, Dy);
  const Tpt d{q.x - o.x, q.y - o.y};
  Change(*this, [&] { MapVertices(*FDDList, true, [&](Tpt p) { return Add(p, d); }); });
}

void TCustomMltLine::SetScale(double Value) {
  if (!(Value > 0) || !std::isfinite(Value)) return;
  TRect r;
  CalcPositionRect(r);
  const Tpt c = xyTransAbsPt((r.Left + r.Right) / 2.0, (r.Top + r.Bottom) / 2.0);
  Change(*this, [&] {
    MapVertices(*FDDList, false, [&](Tpt p) { return Add(c, p - c, Value); });
    for (int i = 0; i < FDDList->Count(); ++i)
      if (Vertex(i).FLx == blArc) Vertex(i).FBj *= Value;
  });
}

void TCustomMltLine::PaintPath(TCanvas& Canvas) {
  const TWddList pts = MltLineToWdd(FPWLine);
  if (pts.size() < 2) return;
  const TLogFrame f = LogFrame();
  std::vector<TPoint> d;
  d.reserve(pts.size());
  for (Tpt p : pts) d.push_back(ptodp(f.Map(p)));
  StrokeStyled(Canvas, d.data(), int(d.size()), FPen.Style);
}

void TCustomMltLine::Paint(TShowPlace& ShowPlace) {
  if (FPen.Style == psClear || !ShowPlace.cvs) return;
  PaintPath(*ShowPlace.cvs);
}

double TCustomMltLine::HitTolerance() const { return (FPen.Width / 2.0 + 4) / GetAbsParentScale(); }

namespace {
bool EdgeHit(Tpt P, const TWorkDbxbx& e, double T) {
  if (e.lx != blArc) return LineHit(P, e.qd, e.zd, T);
  return jonArc(wdbxbxtoarc(e), ppjd(e.yx, P)) && std::abs(Dist(P, e.yx) - e.bj) < T;
}
}  // namespace

bool TCustomMltLine::EdgesHit(Tpt P, double T) const {
  for (const TWorkDbxbx& e : FPWLine)
    if (EdgeHit(P, e, T)) return true;
  return false;
}

bool TCustomMltLine::Selected(Tpt P, double) const { return EdgesHit(xyTransAbsPt(P.x, P.y), HitTolerance()); }

bool TCustomMltLine::HitBounds(double, TDBox& Box) const {
  if (!EdgeBox(Box)) return false;
  const double r = HitTolerance() * GetAbsParentScale() + 1;
  Box = {Box.x0 - r, Box.y0 - r, Box.x1 + r, Box.y1 + r};
  return std::isfinite(r);
}

void TCustomMltLine::Explode(TCustomFigureSet& Set) {
  const double s = Set.GetScale();
  Change(*this, [&] {
    MapVertices(*FDDList, false, [&](Tpt p) { return ExplodePoint(p, Set); });
    for (int i = 0; i < FDDList->Count(); ++i)
      if (Vertex(i).FLx == blArc) Vertex(i).FBj *= s;
  });
}

void TCustomMltLine::FigureMirror(TBx Line) {
  MapVertices(*FDDList, false, [&](Tpt p) { return Caldcp(p, Line); });
  // A mirror turns the sense: without this the arc would bulge to the other side.
  for (int i = 0; i < FDDList->Count(); ++i) {
    TTxPolygonBxdy& v = Vertex(i);
    if (v.FLx == blArc) v.FDirection = 1 - (v.FDirection != 0 ? 1 : 0);
  }
  Modified();
}

bool TCustomMltLine::GetCapturePoint(Tpt& P, TPointLx& Kind, TFigureView* View, TPoint CursorPt,
                                     TPointLxSet KindSet) {
  if (View && View->IsSelected(this)) return false;
  if (KindSet & PointLxBit(plEndPoint))
    for (int i = 0; i < FDDList->Count(); ++i)
      if (NearPoint(Vertex(i).FDwd, CursorPt, P)) return Kind = plEndPoint, true;
  if (KindSet & PointLxBit(plMidPoint))
    for (const TWorkDbxbx& e : FPWLine)
      if (NearPoint(EdgeMiddle(e), CursorPt, P)) return Kind = plMidPoint, true;
  if (KindSet & PointLxBit(plNearest)) {
    const Tpt c = xyTransAbsPt(CursorPt.x, CursorPt.y);
    for (const TWorkDbxbx& e : FPWLine) {
      if (e.lx != blArc) {
        if (PointInLine(dptop(CursorPt), e.qd, e.zd, P)) return Kind = plNearest, true;
        continue;
      }
      Tpt foot;
      if (PointInArc(c, e.yx, foot, e.qj, e.zj, e.bj)) {
        P = xyTransLogPt(foot.x, foot.y);
        return Kind = plNearest, true;
      }
    }
  }
  return false;
}

void TCustomMltLine::CreateByRefPoint(TTxCollectFound& Points) {
  Change(*this, [&] {
    FDDList->Clear();
    for (int i = 0; i < Points.Count(); ++i)
      if (auto* v = dynamic_cast<TTxPolygonBxdy*>(Points.Items(i)))
        static_cast<TTxPolygonBxdy*>(FDDList->AddObject())->FDwd = v->FDwd;
  });
}

void TCustomMltLine::AddPoint(Tpt P) {
  const Tpt p = xyTransAbsPt(P.x, P.y);
  Change(*this, [&] { static_cast<TTxPolygonBxdy*>(FDDList->AddObject())->FDwd = p; });
}

void TCustomMltLine::ReplaceLastPoint(Tpt P) {
  if (FDDList->Count() == 0) return;
  const Tpt p = xyTransAbsPt(P.x, P.y);
  Change(*this, [&] { Vertex(FDDList->Count() - 1).FDwd = p; });
}

void TCustomMltLine::RemoveLastPoint() {
  if (FDDList->Count() == 0) return;
  Change(*this, [&] { FDDList->Delete(FDDList->Count() - 1); });
}

void TCustomMltLine::BackUpSelf() {
  TCustomFigureSet* top = FParent;
  while (top && top->FParent) top = top->FParent;
  auto* root = dynamic_cast<TTxFigureSet*>(top);
  if (!root) return;
  TMyList list;
  list.Add(this);
  root->BackUp(list, ovEdit);
}

bool TCustomMltLine::RealTimeAddPoint(Tpt P, TFigureView*) {
  const Tpt p = xyTransAbsPt(P.x, P.y);
  // The click that selected the line also places the vertex: within one
  // unit the user could hardly hit it.
  const double t = HitTolerance();
  for (std::size_t e = 0; e < FPWLine.size(); ++e) {
    if (!EdgeHit(p, FPWLine[e], t)) continue;
    BackUpSelf();
    Change(*this, [&] {
      // The new vertex starts straight: the split arc's first half keeps
      // the arc, the second half is a line.
      auto* v = static_cast<TTxPolygonBxdy*>(FDDList->InsertObject(int(e) + 1));
      v->FDwd = p;
    });
    SetModifiedFlag();
    return true;
  }
  return false;
}

bool TCustomMltLine::RealTimeDeletePoint(Tpt P, TFigureView*) {
  if (FDDList->Count() <= 2) return false;
  for (int i = 0; i < FDDList->Count(); ++i) {
    const Tpt d = Vertex(i).FDwd;
    if (!ppjsxd(xyTransLogPt(d.x, d.y), P)) continue;
    BackUpSelf();
    Change(*this, [&] { FDDList->Delete(i); });
    SetModifiedFlag();
    return true;
  }
  return false;
}

PLANDECK_DEFINE_CLASS(TTxMltLine, TCustomMltLine)

std::unique_ptr<TDocItem> TTxMltLine::Clone() const {
  auto copy = std::make_unique<TTxMltLine>(FOwner);
  copy->Assign(*this);
  return copy;
}

void RegisterMltLineClasses() {
  RegisterClass(TTxMltLine::StaticClass());
  RegisterFamily({.Class = &TTxMltLine::StaticClass(),
                  .Action = "A_MLine",
                  .Tool = tkMultiLine,
                  .PaintIcon =
                      [](TIconSketch& s) {
                        s.Polyline({{3, 19}, {8, 7}, {14, 15}});
                        s.Arc(14, 6, 8, 18, 180, -90);
                      },
                  .Ops = FamilyOps<TTxMltLine>()});
}
