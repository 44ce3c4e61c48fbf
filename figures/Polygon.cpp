#include "figures/WdbxShapes.h"

#include "figures/ArcEdges.h"
#include "figures/FigureFamily.h"
#include "figures/LineFigureKit.h"

#include <cmath>

using namespace LineKit;

PLANDECK_DEFINE_ABSTRACT_CLASS(TCustomPolygon, TCustomWdbxFigure)

TCustomPolygon::TCustomPolygon(TMyPersistent* AOwner)
    : TCustomWdbxFigure(AOwner), FDDList(std::make_unique<TTxCollectBxdy>(this)) {
  FClassNameDescription = "多边形";
}

TCustomPolygon::~TCustomPolygon() = default;

void TCustomPolygon::ReadData(TReader& Reader) {
  TCustomFigure::ReadData(Reader);
  FDDList->Clear();
  FDDList->ReadData(Reader);
}

void TCustomPolygon::WriteData(TWriter& Writer) {
  TCustomFigure::WriteData(Writer);
  FDDList->WriteData(Writer);
}

void TCustomPolygon::AssignTo(TPersistent& Dest) const {
  auto* d = dynamic_cast<TCustomPolygon*>(&Dest);
  if (!d) {
    TCustomFigure::AssignTo(Dest);
    return;
  }
  TChangingGuard guard(*d);
  {
    TChangingGuard list(*d->FDDList);
    d->FDDList->Assign(*FDDList);
  }
  // The outline is derived, but a copy paints before anything refreshes it.
  *d->FPWdbx = *FPWdbx;
  TCustomFigure::AssignTo(Dest);
}

void TCustomPolygon::CreateWdbxByDDList() {
  auto w = std::make_unique<TWorkDbx>();
  const int n = FDDList->Count();
  if (n >= 2) {
    for (int i = 0; i < n; ++i) {
      TTxPolygonBxdy& v = Vertex(i);
      const Tpt a = v.FDwd, b = Vertex((i + 1) % n).FDwd;
      const TWorkDbxbx e = VertexEdge(a, b, v.FLx, v.FBj, v.FYx, v.FDirection);
      w->bx.push_back(e);
    }
    workdbxfxjs(*w);
  }
  SetWdbx(std::move(w));
}

void TCustomPolygon::Refresh() {
  CreateWdbxByDDList();
  TRect r;
  CalcPositionRect(r);
  TCustomFigure::Refresh();
}

void TCustomPolygon::SetDDList(const TTxCollectBxdy& List) {
  {
    TChangingGuard guard(*FDDList);
    FDDList->Assign(List);
  }
  Modified();
}

// ---- the polygon tool's vertices

void TCustomPolygon::AddPoint(Tpt P) {
  const Tpt p = xyTransAbsPt(P.x, P.y);
  Change(*this, [&] {
    TChangingGuard list(*FDDList);
    static_cast<TTxPolygonBxdy*>(FDDList->AddObject())->FDwd = p;
  });
}

void TCustomPolygon::ReplaceLastPoint(Tpt P) {
  if (FDDList->Count() == 0) return;
  const Tpt p = xyTransAbsPt(P.x, P.y);
  Change(*this, [&] { Vertex(FDDList->Count() - 1).FDwd = p; });
}

void TCustomPolygon::RemoveLastPoint() {
  if (FDDList->Count() == 0) return;
  Change(*this, [&] {
    TChangingGuard list(*FDDList);
    FDDList->Delete(FDDList->Count() - 1);
  });
}

// ---- handles

int TCustomPolygon::GetHandleCount() const {
  return FDDList->Count() + static_cast<int>(FPWdbx->bx.size());
}

void TCustomPolygon::GetHandle(int Index, TPoint& P) const {
  const int n = FDDList->Count();
  Tpt p;
  if (Index >= 1 && Index <= n)
    p = Vertex(Index - 1).FDwd;
  else if (Index > n && Index <= GetHandleCount())
    p = EdgeMiddle(FPWdbx->bx[std::size_t(Index - n - 1)]);
  else
    return;
  P = ptodp(xyTransLogPt(p.x, p.y));
}

void TCustomPolygon::MoveHandleTo(int Index, TPoint P) {
  const int n = FDDList->Count();
  if (Index < 1 || Index > GetHandleCount()) return;
  TPoint q;
  TransAbsPt(P, q);
  const Tpt m = dptop(q);
  if (Index <= n) {
    Change(*this, [&] { Vertex(Index - 1).FDwd = m; });
    return;
  }
  const int e = Index - n - 1;
  TTxPolygonBxdy& v = Vertex(e);
  if (v.FLx != blArc) return;
  // The circle through the edge's start, the mouse point and its end.
  const TWorkDbxbx& edge = FPWdbx->bx[std::size_t(e)];
  Tpt c;
  std::int32_t dir = 0;
  if (!CircleThrough(edge.qd, m, edge.zd, c, dir)) return;
  const Tpt S = edge.qd;
  Change(*this, [&] {
    v.FYx = c;
    v.FBj = Dist(c, S);
    v.FDirection = dir;
  });
}

void TCustomPolygon::RotateHandleTo(int Index, TPoint P) {
  if (Index < 1 || Index > GetHandleCount()) return;
  TRect r;
  CalcPositionRect(r);
  const Tpt c = xyTransAbsPt((r.Left + r.Right) / 2.0, (r.Top + r.Bottom) / 2.0);
  TPoint h;
  GetHandle(Index, h);
  const Tpt to = xyTransAbsPt(P.x, P.y), from = xyTransAbsPt(h.x, h.y);
  const double d = ppjd(c, to) - ppjd(c, from);
  Change(*this, [&] {
    for (int i = 0; i < FDDList->Count(); ++i) {
      TTxPolygonBxdy& v = Vertex(i);
      v.FDwd = protateyd(c, v.FDwd, d);
      if (v.FLx == blArc) v.FYx = protateyd(c, v.FYx, d);
    }
  });
}

void TCustomPolygon::MoveByOffset(double Dx, double Dy) {
  const Tpt d{TransAbsV(Dx), TransAbsV(Dy)};
  Change(*this, [&] {
    for (int i = 0; i < FDDList->Count(); ++i) {
      TTxPolygonBxdy& v = Vertex(i);
      v.FDwd = Add(v.FDwd, d);
      v.FYx = Add(v.FYx, d);
    }
  });
}

void TCustomPolygon::SetScale(double Value) {
  if (!(Value > 0)) return;
  TRect r;
  CalcPositionRect(r);
  const Tpt c = xyTransAbsPt((r.Left + r.Right) / 2.0, (r.Top + r.Bottom) / 2.0);
  Change(*this, [&] {
    for (int i = 0; i < FDDList->Count(); ++i) {
      TTxPolygonBxdy& v = Vertex(i);
      v.FDwd = Add(c, Value * (v.FDwd - c));
      if (v.FLx != blArc) continue;
      v.FYx = Add(c, Value * (v.FYx - c));
      v.FBj *= Value;
    }
  });
}

bool TCustomPolygon::RealTimeAddPoint(Tpt P, TFigureView*) {
  TPoint q;
  TransAbsPt(ptodp(P), q);
  const Tpt p = dptop(q);
  const TWorkDbxbxList& bx = FPWdbx->bx;
  for (std::size_t e = 0; e < bx.size(); ++e) {
    if (!pjjwdbxbx(p, bx[e], GetAbsParentScale())) continue;
    BackUpSelf();
    Change(*this, [&] {
      TChangingGuard list(*FDDList);
      static_cast<TTxPolygonBxdy*>(FDDList->InsertObject(int(e) + 1))->FDwd = p;
    });
    SetModifiedFlag();
    return true;
  }
  return false;
}

bool TCustomPolygon::RealTimeDeletePoint(Tpt P, TFigureView*) {
  // A closed outline keeps three vertices at least.
  if (FDDList->Count() <= 3) return false;
  for (int i = 0; i < FDDList->Count(); ++i) {
    const Tpt v = Vertex(i).FDwd;
    if (!ppjsxd(xyTransLogPt(v.x, v.y), P)) continue;
    BackUpSelf();
    Change(*this, [&] {
      TChangingGuard list(*FDDList);
      FDDList->Delete(i);
    });
    SetModifiedFlag();
    return true;
  }
  return false;
}

void TCustomPolygon::Explode(TCustomFigureSet& Set) {
  const double s = Set.GetScale();
  for (int i = 0; i < FDDList->Count(); ++i) {
    TTxPolygonBxdy& v = Vertex(i);
    v.FDwd = ExplodePoint(v.FDwd, Set);
    if (v.FLx != blArc) continue;
    v.FYx = ExplodePoint(v.FYx, Set);
    v.FBj *= s;
  }
  Modified();
}

void TCustomPolygon::FigureMirror(TBx Line) {
  for (int i = 0; i < FDDList->Count(); ++i) {
    TTxPolygonBxdy& v = Vertex(i);
    v.FDwd = Caldcp(v.FDwd, Line);
    if (v.FLx != blArc) continue;
    v.FYx = Caldcp(v.FYx, Line);
    v.FDirection = 1 - v.FDirection;
  }
  Modified();
}

PLANDECK_DEFINE_CLASS(TTxPolygon, TCustomPolygon)

std::unique_ptr<TDocItem> TTxPolygon::Clone() const {
  auto copy = std::make_unique<TTxPolygon>(FOwner);
  copy->Assign(*this);
  return copy;
}

void RegisterPolygonClasses() {
  RegisterClass(TTxPolygon::StaticClass());
  RegisterFamily({.Class = &TTxPolygon::StaticClass(),
                  .Action = "A_Polygon",
                  .Tool = tkPolygon,
                  .Closed = true,
                  .PaintIcon = [](TIconSketch& s) { s.Polygon({{3, 18}, {7, 5}, {15, 9}, {21, 4}, {19, 20}}); },
                  .Ops = FamilyOps<TTxPolygon>()});
}

// ---- property dialog's model

TPolygonProperties GetPolygonProperties(const TCustomPolygon& Polygon) {
  TPolygonProperties p;
  FillCommon(Polygon, p);
  const double k = Polygon.TransUserV(1);
  p.Perimeter = Format("%1.3f", wdbxzc(*Polygon.FPWdbx) * k);
  p.Area = Format("%1.3f", dbxmj(wdbxtocdbx(*Polygon.FPWdbx)) * k * k);
  return p;
}

void SetPolygonProperties(TCustomPolygon& Polygon, const TPolygonProperties& Props) {
  Polygon.Invalidate();
  {
    TChangingGuard guard(Polygon);
    ApplyPen(Polygon, Props);
    if (ApplyLineWidth(Polygon, Props)) ApplyLayer(Polygon, Props);
  }
  Polygon.Modified();
}
