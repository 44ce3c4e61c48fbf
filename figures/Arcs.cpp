#include "figures/Arcs.h"

#include "figures/ArcEdges.h"
#include "figures/FigureFamily.h"
#include "figures/LineFigureKit.h"

#include <algorithm>
#include <cmath>

using namespace LineKit;

namespace {

constexpr double TwoPi = 2 * Pi;

double Norm(double A) {
  if (!std::isfinite(A)) return 0;
  A = std::fmod(A, TwoPi);
  return A < 0 ? A + TwoPi : A;
}

// The circle through S, M and E as the figures keep it: centre, radius
// divided by Scale, the angles of S and E, and the sense S -> M -> E runs.
bool ThroughThree(Tpt S, Tpt M, Tpt E, double Scale, Tpt& Yx, double& Bj, double& Qj, double& Zj,
                  std::int32_t& Direction) {
  Tpt c;
  std::int32_t dir = 0;
  if (!(Scale > 0) || !CircleThrough(S, M, E, c, dir)) return false;
  Yx = c;
  Bj = Dist(S, c) / Scale;
  Qj = ppjd(c, S);
  Zj = ppjd(c, E);
  Direction = dir;
  return true;
}

// The local box of an arc edge: its ends and the quadrant points it passes.
void GrowByEdge(const TWorkDbxbx& E, Tpt& Lo, Tpt& Hi) {
  auto grow = [&](Tpt p) {
    Lo = {std::min(Lo.x, p.x), std::min(Lo.y, p.y)};
    Hi = {std::max(Hi.x, p.x), std::max(Hi.y, p.y)};
  };
  grow(E.qd);
  grow(E.zd);
  if (E.lx != blArc) return;
  const TArc arc = wdbxbxtoarc(E);
  for (double a : {Pi / 2, -Pi / 2, 0.0, Pi})
    if (jonArc(arc, a)) grow(Arcjdtod(arc, a));
}

// Snapping to a circular arc beyond its end and middle points: the tangent
// points from the view's last fixed point and the nearest point, each only
// on the sweep.
bool SnapOnArc(const TCustomFigure& F, Tpt Yx, double R, double Qj, double Zj, std::int32_t Sense, TFigureView* View,
               TPoint Cursor, TPointLxSet KindSet, Tpt& P, TPointLx& Kind) {
  if (!(R > 0)) return false;
  TPoint from;
  if ((KindSet & PointLxBit(plTangent)) && View && View->TangentFrom(from)) {
    const Tpt q = F.xyTransAbsPt(from.x, from.y);
    const double d = Dist(Yx, q);
    if (d > R) {
      const double phi = ppjd(Yx, q), alpha = std::acos(R / d);
      for (double t : {phi + alpha, phi - alpha})
        if (AngleOnSweep(t, Qj, Zj, Sense) && F.NearPoint(Add(Yx, Dir(t), R), Cursor, P)) return Kind = plTangent, true;
    }
  }
  if (KindSet & PointLxBit(plNearest)) {
    const Tpt c = dptop(Cursor);
    const double lo = Norm(Sense != 0 ? Qj : Zj), hi = Norm(Sense != 0 ? Zj : Qj);
    Tpt foot;
    if (F.PointInArc(F.xyTransAbsPt(c.x, c.y), Yx, foot, lo, hi, R)) {
      P = F.xyTransLogPt(foot.x, foot.y);
      return Kind = plNearest, true;
    }
  }
  return false;
}

// What the arc and the closed arc figures do alike with their circle.
template <class A>
void MoveArcHandle(A& F, int Index, TPoint P) {
  const Tpt m = F.xyTransAbsPt(P.x, P.y);
  if (Index == 1 || Index == 3) {
    const double a = ppjd(F.FYx, m);
    Change(F, [&] { (Index == 1 ? F.FQj : F.FZj) = a; });
    return;
  }
  if (Index != 2) return;
  const double r = F.Radius();
  const Tpt mid = Add(F.FYx, Dir(ArcMiddleAngle(F.FQj, F.FZj, F.FDirection)), Dist(F.FYx, m));
  Tpt yx;
  double bj, qj, zj;
  std::int32_t dir;
  if (!ThroughThree(Add(F.FYx, Dir(F.FQj), r), mid, Add(F.FYx, Dir(F.FZj), r), F.GetScale(), yx, bj, qj, zj, dir))
    return;
  Change(F, [&] {
    F.FYx = yx;
    F.FBj = bj;
    F.FQj = qj;
    F.FZj = zj;
    F.FDirection = dir;
  });
}

template <class A>
void CreateArc(A& F, std::span<const Tpt> Points) {
  if (Points.size() != 3) return;
  if (!ThroughThree(Points[0], Points[1], Points[2], F.GetScale(), F.FYx, F.FBj, F.FQj, F.FZj, F.FDirection)) return;
  F.Modified();
}

template <class A>
void ExplodeArc(A& F, TCustomFigureSet& Set) {
  F.FYx = ExplodePoint(F.FYx, Set);
  F.FScale *= Set.GetScale();
  F.FQj += DegToRad(Set.FXzJd);
  F.FZj += DegToRad(Set.FXzJd);
  F.Modified();
}

template <class A>
void MirrorArc(A& F, TBx Line) {
  const double a = 2 * ppjd(Line.qd, Line.zd);
  F.FYx = Caldcp(F.FYx, Line);
  F.FQj = a - F.FQj;
  F.FZj = a - F.FZj;
  F.FDirection = 1 - F.FDirection;
  F.Modified();
}

TRect LogRectOfBox(const TCustomFigure& F, Tpt Lo, Tpt Hi) {
  TRect r = LogBox(F, {Lo, Tpt{Hi.x, Lo.y}, Hi, Tpt{Lo.x, Hi.y}});
  ExpandRect(r, 0);
  return r;
}

}  // namespace

double ArcSweep(double Qj, double Zj, std::int32_t Direction) {
  const double q = Norm(Qj), z = Norm(Zj);
  if (Direction != 0) return q <= z ? z - q : TwoPi - (q - z);
  return q <= z ? q + TwoPi - z : q - z;
}

double ArcMiddleAngle(double Qj, double Zj, std::int32_t Direction) {
  const double q = Norm(Qj), z = Norm(Zj), m = (q + z) / 2;
  const bool ccw = Direction != 0;
  return (q <= z && ccw) || (q > z && !ccw) ? m : m + Pi;
}

bool AngleOnSweep(double A, double Qj, double Zj, std::int32_t Direction) {
  const double from = Direction != 0 ? Qj : Zj;
  return Norm(A - from) <= ArcSweep(Qj, Zj, Direction) + 1e-12;
}

// ---- arc

PLANDECK_DEFINE_ABSTRACT_CLASS(TCustomArc, TCustomFigure)

TCustomArc::TCustomArc(TMyPersistent* AOwner) : TCustomFigure(AOwner) { FClassNameDescription = "弧线"; }

void TCustomArc::ReadData(TReader& Reader) {
  TCustomFigure::ReadData(Reader);
  ReadPt(Reader, FYx);
  FBj = Reader.ReadFloat();
  FQj = Reader.ReadFloat();
  FZj = Reader.ReadFloat();
  FDirection = Reader.ReadInteger();
}

void TCustomArc::WriteData(TWriter& Writer) {
  TCustomFigure::WriteData(Writer);
  WritePt(Writer, FYx);
  Writer.WriteFloat(FBj);
  Writer.WriteFloat(FQj);
  Writer.WriteFloat(FZj);
  Writer.WriteInteger(FDirection);
}

void TCustomArc::AssignTo(TPersistent& Dest) const {
  auto* d = dynamic_cast<TCustomArc*>(&Dest);
  if (!d) {
    TCustomFigure::AssignTo(Dest);
    return;
  }
  TChangingGuard guard(*d);
  d->FYx = FYx;
  d->FBj = FBj;
  d->FQj = FQj;
  d->FZj = FZj;
  d->FDirection = FDirection;
  d->FPWLine = FPWLine;
  TCustomFigure::AssignTo(Dest);
}

Tpt TCustomArc::StartPoint() const { return Add(FYx, Dir(FQj), Radius()); }
Tpt TCustomArc::EndPoint() const { return Add(FYx, Dir(FZj), Radius()); }
Tpt TCustomArc::MiddlePoint() const { return Add(FYx, Dir(ArcMiddleAngle(FQj, FZj, FDirection)), Radius()); }

void TCustomArc::Refresh() {
  FPWLine.clear();
  const double r = Radius();
  // A circle of no radius has no direction: nothing is drawn, the value stays.
  if (r > 0 && std::isfinite(r)) {
    TWorkDbxbx e;
    e.lx = blArc;
    e.qd = StartPoint();
    e.zd = EndPoint();
    e.yx = FYx;
    e.bj = r;
    e.Direction = FDirection != 0 ? 1 : 0;
    wbxqdarccs(e);
    FPWLine.push_back(e);
  }
  TCustomFigure::Refresh();
}

void TCustomArc::CalcPositionRect(TRect& Rect) const {
  Tpt lo = FYx, hi = FYx;
  if (!FPWLine.empty()) {
    lo = hi = FPWLine.front().qd;
    GrowByEdge(FPWLine.front(), lo, hi);
  }
  Rect = LogRectOfBox(*this, lo, hi);
}

void TCustomArc::Paint(TShowPlace& ShowPlace) {
  if (!ShowPlace.cvs || FPen.Style == psClear || FPWLine.empty()) return;
  const TWddList wdd = MltLineToWdd(FPWLine);
  if (wdd.size() < 2) return;
  const TLogFrame f = LogFrame();
  std::vector<TPoint> pts;
  pts.reserve(wdd.size());
  for (Tpt p : wdd) pts.push_back(ptodp(f.Map(p)));
  StrokeStyled(*ShowPlace.cvs, pts.data(), int(pts.size()), FPen.Style);
}

bool TCustomArc::Selected(Tpt P, double) const {
  if (FPWLine.empty()) return false;
  const Tpt q = xyTransAbsPt(P.x, P.y);
  if (!AngleOnSweep(ppjd(FYx, q), FQj, FZj, FDirection)) return false;
  const double s = GetAbsParentScale();
  return s > 0 && std::abs(Dist(q, FYx) - Radius()) < (FPen.Width / 2.0 + 4) / s;
}

bool TCustomArc::HitBounds(double, TDBox& Box) const {
  TRect r;
  CalcPositionRect(r);
  const double grow = FPen.Width / 2.0 + 5;
  Box = {r.Left - grow, r.Top - grow, r.Right + grow, r.Bottom + grow};
  return true;
}

void TCustomArc::GetHandle(int Index, TPoint& P) const {
  Tpt h;
  switch (Index) {
    case 1: h = StartPoint(); break;
    case 2: h = MiddlePoint(); break;
    case 3: h = EndPoint(); break;
    default: return;
  }
  P = ptodp(xyTransLogPt(h.x, h.y));
}

void TCustomArc::MoveHandleTo(int Index, TPoint P) { MoveArcHandle(*this, Index, P); }

void TCustomArc::MoveByOffset(double Dx, double Dy) {
  SetRefPoint(FYx.x + TransAbsV(Dx), FYx.y + TransAbsV(Dy));
}

void TCustomArc::SetRefPoint(double X, double Y) {
  Change(*this, [&] { FYx = {X, Y}; });
}

void TCustomArc::CreateByRefPoint(std::span<const Tpt> Points) { CreateArc(*this, Points); }

void TCustomArc::Explode(TCustomFigureSet& Set) { ExplodeArc(*this, Set); }

void TCustomArc::FigureMirror(TBx Line) { MirrorArc(*this, Line); }

bool TCustomArc::GetCapturePoint(Tpt& P, TPointLx& Kind, TFigureView* View, TPoint CursorPt,
                                 TPointLxSet KindSet) {
  if (View && View->IsSelected(this)) return false;
  if (FPWLine.empty()) return false;
  if ((KindSet & PointLxBit(plEndPoint)) && (NearPoint(StartPoint(), CursorPt, P) || NearPoint(EndPoint(), CursorPt, P)))
    return Kind = plEndPoint, true;
  if ((KindSet & PointLxBit(plMidPoint)) && NearPoint(MiddlePoint(), CursorPt, P)) return Kind = plMidPoint, true;
  if ((KindSet & PointLxBit(plCenter)) && NearPoint(FYx, CursorPt, P)) return Kind = plCenter, true;
  return SnapOnArc(*this, FYx, Radius(), FQj, FZj, FDirection, View, CursorPt, KindSet, P, Kind);
}

void TCustomArc::SetYx(Tpt Value) {
  Change(*this, [&] { FYx = Value; });
}

void TCustomArc::SetBj(double Value) {
  if (Value == FBj) return;
  Change(*this, [&] { FBj = Value; });
}

void TCustomArc::SetQj(double Value) {
  if (Value == FQj) return;
  Change(*this, [&] { FQj = Value; });
}

void TCustomArc::SetZj(double Value) {
  if (Value == FZj) return;
  Change(*this, [&] { FZj = Value; });
}

void TCustomArc::SetDirection(std::int32_t Value) {
  Change(*this, [&] { FDirection = Value; });
}

PLANDECK_DEFINE_CLASS(TTxArc, TCustomArc)

std::unique_ptr<TDocItem> TTxArc::Clone() const {
  auto copy = std::make_unique<TTxArc>(FOwner);
  copy->Assign(*this);
  return copy;
}

// ---- sector and segment

PLANDECK_DEFINE_ABSTRACT_CLASS(TArcWdbxFigure, TCustomWdbxFigure)

TArcWdbxFigure::TArcWdbxFigure(TMyPersistent* AOwner) : TCustomWdbxFigure(AOwner) {}

void TArcWdbxFigure::ReadData(TReader& Reader) {
  TCustomFigure::ReadData(Reader);
  FQj = Reader.ReadFloat();
  FZj = Reader.ReadFloat();
  ReadPt(Reader, FYx);
  FBj = Reader.ReadFloat();
  FDirection = Reader.ReadInteger();
}

void TArcWdbxFigure::WriteData(TWriter& Writer) {
  TCustomFigure::WriteData(Writer);
  Writer.WriteFloat(FQj);
  Writer.WriteFloat(FZj);
  WritePt(Writer, FYx);
  Writer.WriteFloat(FBj);
  Writer.WriteInteger(FDirection);
}

void TArcWdbxFigure::AssignTo(TPersistent& Dest) const {
  auto* d = dynamic_cast<TArcWdbxFigure*>(&Dest);
  if (!d) {
    TCustomFigure::AssignTo(Dest);
    return;
  }
  TChangingGuard guard(*d);
  d->FQj = FQj;
  d->FZj = FZj;
  d->FYx = FYx;
  d->FBj = FBj;
  d->FDirection = FDirection;
  *d->FPWdbx = *FPWdbx;
  TCustomFigure::AssignTo(Dest);
}

void TArcWdbxFigure::Refresh() {
  CreateWdbxByDDList();
  TRect r;
  CalcPositionRect(r);
  TCustomFigure::Refresh();
}

bool TArcWdbxFigure::ArcEdge(TWorkDbxbx& E) const {
  const double r = Radius();
  if (!(r > 0) || !std::isfinite(r)) return false;
  E = {};
  E.lx = blArc;
  E.qd = Add(FYx, Dir(FQj), r);
  E.zd = Add(FYx, Dir(FZj), r);
  E.yx = FYx;
  E.bj = r;
  E.Direction = FDirection != 0 ? 1 : 0;
  wbxqdarccs(E);
  return true;
}

bool TArcWdbxFigure::CentrePoint(Tpt& P) const {
  P = FYx;
  return true;
}

void TArcWdbxFigure::GetHandle(int Index, TPoint& P) const {
  double a;
  switch (Index) {
    case 1: a = FQj; break;
    case 2: a = ArcMiddleAngle(FQj, FZj, FDirection); break;
    case 3: a = FZj; break;
    default: return;
  }
  const Tpt h = Add(FYx, Dir(a), Radius());
  P = ptodp(xyTransLogPt(h.x, h.y));
}

void TArcWdbxFigure::MoveHandleTo(int Index, TPoint P) { MoveArcHandle(*this, Index, P); }

void TArcWdbxFigure::RotateHandleTo(int Index, TPoint P) {
  if (Index != 1 && Index != 3) return;
  const Tpt m = xyTransAbsPt(P.x, P.y);
  const double x = ppjd(FYx, m);
  Change(*this, [&] {
    if (Index == 1) {
      FZj = x + FZj - FQj;
      FQj = x;
    } else {
      FQj = x + FQj - FZj;
      FZj = x;
    }
  });
}

void TArcWdbxFigure::MoveByOffset(double Dx, double Dy) {
  SetRefPoint(FYx.x + TransAbsV(Dx), FYx.y + TransAbsV(Dy));
}

void TArcWdbxFigure::SetRefPoint(double X, double Y) {
  Change(*this, [&] { FYx = {X, Y}; });
}

void TArcWdbxFigure::CreateByRefPoint(std::span<const Tpt> Points) { CreateArc(*this, Points); }

void TArcWdbxFigure::Explode(TCustomFigureSet& Set) { ExplodeArc(*this, Set); }

void TArcWdbxFigure::FigureMirror(TBx Line) { MirrorArc(*this, Line); }

bool TArcWdbxFigure::GetCapturePoint(Tpt& P, TPointLx& Kind, TFigureView* View, TPoint CursorPt,
                                     TPointLxSet KindSet) {
  if (TCustomWdbxFigure::GetCapturePoint(P, Kind, View, CursorPt, KindSet)) return true;
  if (View && View->IsSelected(this)) return false;
  // The outline's own nearest points came first; the tangents remain.
  return SnapOnArc(*this, FYx, Radius(), FQj, FZj, FDirection, View, CursorPt, KindSet & PointLxBit(plTangent), P,
                   Kind);
}

void TArcWdbxFigure::Setbj(double Value) {
  Change(*this, [&] { FBj = Value; });
}

void TArcWdbxFigure::SetDirection(std::int32_t Value) {
  Change(*this, [&] { FDirection = Value; });
}

PLANDECK_DEFINE_ABSTRACT_CLASS(TCustomChord, TArcWdbxFigure)

TCustomChord::TCustomChord(TMyPersistent* AOwner) : TArcWdbxFigure(AOwner) { FClassNameDescription = "扇形"; }

void TCustomChord::CreateWdbxByDDList() {
  TWorkDbxbx arc;
  if (!ArcEdge(arc)) {
    SetWdbx(nullptr);
    return;
  }
  auto w = std::make_unique<TWorkDbx>();
  w->bx.push_back(arc);
  TWorkDbxbx e;
  e.qd = arc.zd;
  e.zd = FYx;
  w->bx.push_back(e);
  e.qd = FYx;
  e.zd = arc.qd;
  w->bx.push_back(e);
  workdbxfxjs(*w);
  SetWdbx(std::move(w));
}

double TCustomChord::GetZc() const { return GetScale() * (GetSumjd() + 2) * FBj; }

double TCustomChord::GetMj() const { return Radius() * Radius() * GetSumjd() / 2; }

PLANDECK_DEFINE_CLASS(TTxChord, TCustomChord)

std::unique_ptr<TDocItem> TTxChord::Clone() const {
  auto copy = std::make_unique<TTxChord>(FOwner);
  copy->Assign(*this);
  return copy;
}

PLANDECK_DEFINE_ABSTRACT_CLASS(TCustomCirpart, TArcWdbxFigure)

TCustomCirpart::TCustomCirpart(TMyPersistent* AOwner) : TArcWdbxFigure(AOwner) { FClassNameDescription = "弦形"; }

void TCustomCirpart::CreateWdbxByDDList() {
  TWorkDbxbx arc;
  if (!ArcEdge(arc)) {
    SetWdbx(nullptr);
    return;
  }
  auto w = std::make_unique<TWorkDbx>();
  w->bx.push_back(arc);
  TWorkDbxbx e;
  e.qd = arc.zd;
  e.zd = arc.qd;
  w->bx.push_back(e);
  checkwdbx(*w);
  workdbxfxjs(*w);
  SetWdbx(std::move(w));
}

double TCustomCirpart::GetZc() const {
  const double r = Radius();
  return r * GetSumjd() + Dist(Add(FYx, Dir(FQj), r), Add(FYx, Dir(FZj), r));
}

PLANDECK_DEFINE_CLASS(TTxCirpart, TCustomCirpart)

std::unique_ptr<TDocItem> TTxCirpart::Clone() const {
  auto copy = std::make_unique<TTxCirpart>(FOwner);
  copy->Assign(*this);
  return copy;
}

// ---- bar

PLANDECK_DEFINE_ABSTRACT_CLASS(TCustomRectArc, TCustomWdbxFigure)

TCustomRectArc::TCustomRectArc(TMyPersistent* AOwner) : TCustomWdbxFigure(AOwner) { FClassNameDescription = "杆形"; }

void TCustomRectArc::ReadData(TReader& Reader) {
  TCustomFigure::ReadData(Reader);
  FLx = Reader.ReadInteger() == blArc ? blArc : blLine;
  FWidth = Reader.ReadFloat();
  ReadPt(Reader, FQd);
  ReadPt(Reader, FZd);
  ReadPt(Reader, FYx);
  FBj = Reader.ReadFloat();
  FDirection = Reader.ReadInteger();
}

void TCustomRectArc::WriteData(TWriter& Writer) {
  TCustomFigure::WriteData(Writer);
  Writer.WriteInteger(FLx);
  Writer.WriteFloat(FWidth);
  WritePt(Writer, FQd);
  WritePt(Writer, FZd);
  WritePt(Writer, FYx);
  Writer.WriteFloat(FBj);
  Writer.WriteInteger(FDirection);
}

void TCustomRectArc::AssignTo(TPersistent& Dest) const {
  auto* d = dynamic_cast<TCustomRectArc*>(&Dest);
  if (!d) {
    TCustomFigure::AssignTo(Dest);
    return;
  }
  TChangingGuard guard(*d);
  d->FQd = FQd;
  d->FZd = FZd;
  d->FWidth = FWidth;
  d->FYx = FYx;
  d->FBj = FBj;
  d->FLx = FLx;
  d->FDirection = FDirection;
  *d->FPWdbx = *FPWdbx;
  TCustomFigure::AssignTo(Dest);
}

std::unique_ptr<TWorkDbx> TCustomRectArc::CalLineWorkDbx() const {
  const double dx = FZd.x - FQd.x, dy = FZd.y - FQd.y;
  // A band of no length has no direction to lie along.
  if (!(Dist(FQd, FZd) >= EPS)) return nullptr;
  double a;
  if (!(std::abs(dx) >= EPS))
    a = dy > 0 ? Pi / 2 : -Pi / 2;
  else if (!(std::abs(dy) >= EPS))
    a = dx > 0 ? 0 : Pi;
  else
    a = std::atan(dy / dx);
  const Tpt c = Mid(FQd, FZd);
  auto w = std::make_unique<TWorkDbx>();
  jmxztowdbx(*w, a, GetScale() * FWidth, Dist(FQd, FZd), c.y, c.x);
  return w;
}

std::unique_ptr<TWorkDbx> TCustomRectArc::CalArcWorkDbx() const {
  // The ends are placed by their ratio to the radius: none, no band.
  if (!(FBj > 0) || !std::isfinite(FBj)) return nullptr;
  const double w = FWidth, ki = (FBj - w / 2) / FBj, ko = (FBj + w / 2) / FBj;
  const Tpt iq = Add(FYx, FQd - FYx, ki), iz = Add(FYx, FZd - FYx, ki);
  const Tpt oq = Add(FYx, FQd - FYx, ko), oz = Add(FYx, FZd - FYx, ko);
  auto arc = [this](Tpt A, Tpt B, double R, std::int32_t Dir) {
    TWorkDbxbx e;
    e.lx = blArc;
    e.qd = A;
    e.zd = B;
    e.yx = FYx;
    e.bj = R;
    e.Direction = Dir;
    wbxqdarccs(e);
    return e;
  };
  auto line = [](Tpt A, Tpt B) {
    TWorkDbxbx e;
    e.qd = A;
    e.zd = B;
    return e;
  };
  const std::int32_t dir = FDirection != 0 ? 1 : 0;
  auto out = std::make_unique<TWorkDbx>();
  out->bx = {arc(iq, iz, GetScale() * (FBj - w / 2), dir), line(iz, oz), arc(oz, oq, GetScale() * (FBj + w / 2), 1 - dir),
             line(oq, iq)};
  workdbxfxjs(*out);
  return out;
}

void TCustomRectArc::CreateWdbxByDDList() { SetWdbx(FLx == blArc ? CalArcWorkDbx() : CalLineWorkDbx()); }

void TCustomRectArc::Refresh() {
  CreateWdbxByDDList();
  TRect r;
  CalcPositionRect(r);
  TCustomFigure::Refresh();
}

bool TCustomRectArc::CentrePoint(Tpt& P) const {
  if (FLx != blArc || !(FBj > 0)) return false;
  P = FYx;
  return true;
}

void TCustomRectArc::GetHandle(int Index, TPoint& P) const {
  Tpt h;
  const TWorkDbxbxList& bx = FPWdbx->bx;
  switch (Index) {
    case 1: h = FQd; break;
    case 2: h = FZd; break;
    case 3:
      if (FLx == blArc && bx.size() >= 4 && Dist(FQd, FZd) / 2 < GetScale() * FBj) {
        const TWorkDbxbx& inner = bx[0];
        h = Add(inner.yx, Dir((inner.qj + inner.zj) / 2), (inner.bj + bx[2].bj) / 2);
      } else {
        h = Mid(FQd, FZd);
      }
      break;
    default: return;
  }
  P = ptodp(xyTransLogPt(h.x, h.y));
}

void TCustomRectArc::MoveHandleTo(int Index, TPoint P) {
  const Tpt m = xyTransAbsPt(P.x, P.y);
  if (Index == 1 || Index == 2) {
    const double r = GetScale() * FBj;
    Tpt to = m;
    if (FLx == blArc && !(Dist(FQd, FZd) / 2 > r)) to = Add(FYx, Dir(ppjd(FYx, m)), r);
    Change(*this, [&] { (Index == 1 ? FQd : FZd) = to; });
    return;
  }
  if (Index != 3 || FLx != blArc || FPWdbx->bx.size() <= 3) return;
  Tpt c;
  std::int32_t dir = 0;
  if (!CircleThrough(FQd, m, FZd, c, dir)) return;
  Change(*this, [&] {
    FBj = Dist(c, FQd);
    FYx = c;
    FDirection = dir;
  });
}

void TCustomRectArc::MoveByOffset(double Dx, double Dy) {
  const Tpt d{TransAbsV(Dx), TransAbsV(Dy)};
  Change(*this, [&] {
    FQd = FQd + d;
    FZd = FZd + d;
    FYx = FYx + d;
  });
}

void TCustomRectArc::SetRefPoint(double X, double Y) {
  const Tpt d = Tpt{X, Y} - FQd;
  Change(*this, [&] {
    FQd = FQd + d;
    FZd = FZd + d;
    FYx = FYx + d;
  });
}

void TCustomRectArc::CreateByRefPoint(std::span<const Tpt> Points) {
  if (Points.size() != 2) return;
  FQd = Points[0];
  FZd = Points[1];
  if (const double s = GetAbsParentScale(); s > 0 && std::isfinite(s)) FWidth /= s;
  Modified();
}

void TCustomRectArc::Explode(TCustomFigureSet& Set) {
  FQd = ExplodePoint(FQd, Set);
  FZd = ExplodePoint(FZd, Set);
  FYx = ExplodePoint(FYx, Set);
  FScale *= Set.GetScale();
  Modified();
}

void TCustomRectArc::FigureMirror(TBx Line) {
  FQd = Caldcp(FQd, Line);
  FZd = Caldcp(FZd, Line);
  FYx = Caldcp(FYx, Line);
  FDirection = 1 - FDirection;
  Modified();
}

void TCustomRectArc::SetQd(Tpt Value) {
  Change(*this, [&] { FQd = Value; });
}
void TCustomRectArc::SetZd(Tpt Value) {
  Change(*this, [&] { FZd = Value; });
}
void TCustomRectArc::SetYx(Tpt Value) {
  Change(*this, [&] { FYx = Value; });
}
void TCustomRectArc::SetWidth(double Value) {
  Change(*this, [&] { FWidth = Value; });
}
void TCustomRectArc::Setbj(double Value) {
  Change(*this, [&] { FBj = Value; });
}
void TCustomRectArc::SetLx(TBxlx Value) {
  Change(*this, [&] { FLx = Value; });
}
void TCustomRectArc::SetDirection(std::int32_t Value) {
  Change(*this, [&] { FDirection = Value; });
}

PLANDECK_DEFINE_CLASS(TTxRectArc, TCustomRectArc)

std::unique_ptr<TDocItem> TTxRectArc::Clone() const {
  auto copy = std::make_unique<TTxRectArc>(FOwner);
  copy->Assign(*this);
  return copy;
}

// ---- registration

void RegisterArcClasses() {
  RegisterClass(TTxArc::StaticClass());
  RegisterClass(TTxChord::StaticClass());
  RegisterClass(TTxCirpart::StaticClass());
  RegisterClass(TTxRectArc::StaticClass());
  RegisterFamily({.Class = &TTxArc::StaticClass(),
                  .Action = "A_Arc",
                  .Tool = tkThreePoint,
                  .Ops = FamilyOps<TTxArc>()});
  RegisterFamily({.Class = &TTxChord::StaticClass(),
                  .Action = "A_Chord",
                  .Tool = tkThreePoint,
                  .Closed = true,
                  .Ops = FamilyOps<TTxChord>()});
  RegisterFamily({.Class = &TTxCirpart::StaticClass(),
                  .Action = "A_CirPart",
                  .Tool = tkThreePoint,
                  .Closed = true,
                  .Ops = FamilyOps<TTxCirpart>()});
  RegisterFamily({.Class = &TTxRectArc::StaticClass(),
                  .Action = "A_RectArc",
                  .Tool = tkTwoPoint,
                  .Closed = true,
                  .Ops = FamilyOps<TTxRectArc>()});
}

// ---- property dialogs' models

std::string DegreeText(double Radians) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%d 度", int(std::lround(RadToDeg(Radians))));
  return buf;
}

bool ParseDegrees(const std::string& Text, double& Radians) {
  std::string t = Text;
  if (const auto at = t.find("度"); at != std::string::npos) t.erase(at);
  while (!t.empty() && t.back() == ' ') t.pop_back();
  double deg = 0;
  if (!ParseFloat(t, deg)) return false;
  Radians = DegToRad(deg);
  return true;
}

namespace {

template <class F>
TArcProperties ArcPropertiesOf(const F& Figure) {
  TArcProperties p;
  FillCommon(Figure, p);
  UserPt(Figure, Figure.FYx, p.YxX, p.YxY);
  p.Bj = UserLen(Figure, Figure.FBj);
  p.Qj = DegreeText(Figure.FQj);
  p.Zj = DegreeText(Figure.FZj);
  p.Direction = Figure.FDirection != 0 ? 1 : 0;
  return p;
}

template <class F>
void ApplyArcProperties(F& Figure, const TArcProperties& P) {
  Figure.Invalidate();
  {
    TChangingGuard guard(Figure);
    ApplyPen(Figure, P);
    [&] {
      double v = 0;
      if (!ApplyLineWidth(Figure, P)) return;
      if (!SysPt(Figure, P.YxX, P.YxY, Figure.FYx)) return;
      // SysLen refuses a radius not above zero.
      if (!SysLen(Figure, P.Bj, v)) return;
      Figure.FBj = v;
      if (!ParseDegrees(P.Qj, v)) return;
      Figure.FQj = v;
      if (!ParseDegrees(P.Zj, v)) return;
      Figure.FZj = v;
      Figure.FDirection = P.Direction != 0 ? 1 : 0;
      ApplyLayer(Figure, P);
    }();
  }
  Figure.Modified();
}

}  // namespace

TArcProperties GetArcProperties(const TCustomArc& F) { return ArcPropertiesOf(F); }
void SetArcProperties(TCustomArc& F, const TArcProperties& P) { ApplyArcProperties(F, P); }
TArcProperties GetArcProperties(const TArcWdbxFigure& F) { return ArcPropertiesOf(F); }
void SetArcProperties(TArcWdbxFigure& F, const TArcProperties& P) { ApplyArcProperties(F, P); }

TRectArcProperties GetRectArcProperties(const TCustomRectArc& F) {
  TRectArcProperties p;
  FillCommon(F, p);
  UserPt(F, F.FQd, p.QdX, p.QdY);
  UserPt(F, F.FZd, p.ZdX, p.ZdY);
  p.Width = UserLen(F, F.FWidth);
  p.Lx = F.FLx;
  UserPt(F, F.FYx, p.YxX, p.YxY);
  p.Bj = Format("%1.3f", F.TransUserV(F.FBj));
  p.Direction = F.FDirection != 0 ? 1 : 0;
  return p;
}

void SetRectArcProperties(TCustomRectArc& F, const TRectArcProperties& P) {
  F.Invalidate();
  {
    TChangingGuard guard(F);
    ApplyPen(F, P);
    [&] {
      double v = 0;
      if (!ApplyLineWidth(F, P)) return;
      if (!SysPt(F, P.QdX, P.QdY, F.FQd)) return;
      if (!SysPt(F, P.ZdX, P.ZdY, F.FZd)) return;
      if (!SysLen(F, P.Width, v)) return;
      F.FWidth = v;
      F.FLx = P.Lx == blArc ? blArc : blLine;
      if (!SysPt(F, P.YxX, P.YxY, F.FYx)) return;
      // The bar's radius is kept as the distance itself, not over the scale.
      if (!ParsePositive(P.Bj, v)) return;
      F.FBj = F.TransSysV(v);
      F.FDirection = P.Direction != 0 ? 1 : 0;
      ApplyLayer(F, P);
    }();
  }
  F.Modified();
}

TArcMeasures ArcMeasures(const TArcProperties& P, int Kind) {
  TArcMeasures m;
  double r = 0, q = 0, z = 0;
  if (!ParsePositive(P.Bj, r) || !ParseDegrees(P.Qj, q) || !ParseDegrees(P.Zj, z)) return m;
  const double sweep = ArcSweep(q, z, P.Direction);
  m.Sumjd = DegreeText(sweep);
  // r is in user units already.
  double per = r * sweep, area = 0;
  if (Kind == 1) {
    per += 2 * r;
    area = r * r * sweep / 2;
  } else if (Kind == 2) {
    per += Dist(Dir(q), Dir(z)) * r;
    area = r * r * (sweep - std::sin(sweep)) / 2;
  }
  m.Perimeter = Format("%1.3f", per);
  if (Kind != 0) m.Area = Format("%1.3f", area);
  return m;
}

TArcMeasures RectArcMeasures(const TCustomRectArc& F, const TRectArcProperties& P) {
  TArcMeasures m;
  TTxRectArc typed;
  typed.FParent = F.FParent;
  typed.FScale = F.FScale;
  typed.FDocument = F.FDocument;
  TRectArcProperties p = P;
  p.LayerIndex = -1;
  // Only the geometry: the copy takes the typed values, its outline tells.
  double v = 0;
  if (!SysPt(typed, p.QdX, p.QdY, typed.FQd) || !SysPt(typed, p.ZdX, p.ZdY, typed.FZd) ||
      !SysLen(typed, p.Width, v))
    return m;
  typed.FWidth = v;
  typed.FLx = p.Lx == blArc ? blArc : blLine;
  if (typed.FLx == blArc) {
    if (!SysPt(typed, p.YxX, p.YxY, typed.FYx) || !ParsePositive(p.Bj, v)) return m;
    typed.FBj = typed.TransSysV(v);
    typed.FDirection = p.Direction;
  }
  typed.CreateWdbxByDDList();
  if (typed.FPWdbx->bx.empty()) return m;
  m.Perimeter = Format("%1.3f", F.TransUserV(wdbxzc(*typed.FPWdbx)));
  m.Area = Format("%1.3f", F.TransUserV(F.TransUserV(std::abs(dbxmj(wdbxtocdbx(*typed.FPWdbx))))));
  return m;
}
