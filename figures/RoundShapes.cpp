#include "figures/RoundShapes.h"

#include "figures/Blocks.h"
#include "figures/ClosedPaint.h"
#include "figures/FigureFamily.h"
#include "figures/LineFigureKit.h"
#include "platform/Region.h"

#include <algorithm>
#include <cmath>

using namespace LineKit;

namespace {

TRect BoxOf(const std::vector<TPoint>& Points) {
  TRect r{Points[0].x, Points[0].y, Points[0].x, Points[0].y};
  for (const TPoint& p : Points) {
    r.Left = std::min(r.Left, p.x);
    r.Top = std::min(r.Top, p.y);
    r.Right = std::max(r.Right, p.x);
    r.Bottom = std::max(r.Bottom, p.y);
  }
  return r;
}

// Mirroring turns a symmetric shape's axis into twice the line's angle less it.
double MirroredAngle(double Degrees, TBx Line) { return 2 * RadToDeg(ppjd(Line.qd, Line.zd)) - Degrees; }

std::vector<Tpt> ToolPoints(TTxCollectFound& Points) {
  std::vector<Tpt> pts;
  for (int i = 0; i < Points.Count(); ++i)
    if (auto* v = dynamic_cast<TTxPolygonBxdy*>(Points.Items(i))) pts.push_back(v->FDwd);
  return pts;
}

// The normalised integer rectangle of the two clicked points: its size.
void ClickedSize(Tpt P0, Tpt P1, double& W, double& H) {
  const TPoint a = ptodp(P0), b = ptodp(P1);
  W = std::abs(double(b.x) - a.x);
  H = std::abs(double(b.y) - a.y);
}

}  // namespace

// ---- what the three share

PLANDECK_DEFINE_ABSTRACT_CLASS(TPointOutlineShape, TCustomFigure)

void TPointOutlineShape::CalcPositionRect(TRect& Rect) const { Rect = BoxOf(Outline()); }

bool TPointOutlineShape::HitBounds(double, TDBox& Box) const {
  TRect r;
  CalcPositionRect(r);
  // One unit more for the rounding of the clicked point.
  Box = {r.Left - 1.0, r.Top - 1.0, r.Right + 1.0, r.Bottom + 1.0};
  return true;
}

std::unique_ptr<TRegion> TPointOutlineShape::GetRegion() {
  const std::vector<TPoint> pts = Outline();
  return std::make_unique<TRegion>(CreatePolygonRgn(pts.data(), int(pts.size()), WINDING));
}

std::unique_ptr<TRegion> TPointOutlineShape::GetClientRegion(TCanvas& DC) {
  std::vector<TPoint> pts = Outline();
  DC.LPtoDP(pts.data(), int(pts.size()));
  return std::make_unique<TRegion>(CreatePolygonRgn(pts.data(), int(pts.size()), WINDING));
}

void TPointOutlineShape::Paint(TShowPlace& ShowPlace) {
  const std::vector<TPoint> pts = Outline();
  PaintClosedOutline(*this, ShowPlace, pts.data(), int(pts.size()));
}

std::unique_ptr<TWorkDbx> TPointOutlineShape::GetWDbx() const {
  const std::vector<TPoint> pts = Outline();
  auto w = std::make_unique<TWorkDbx>();
  for (std::size_t i = 0; i + 1 < pts.size(); ++i) {
    TWorkDbxbx e;
    e.qd = dptop(pts[i]);
    e.zd = dptop(pts[i + 1]);
    w->bx.push_back(e);
  }
  checkwdbx(*w);
  workdbxfxjs(*w);
  return w;
}

void TPointOutlineShape::MoveByOffset(double Dx, double Dy) {
  // A logical offset into the parent's frame: scaled back and turned back.
  const Tpt d = protate({TransAbsV(Dx), TransAbsV(Dy)}, -DegToRad(GetAbsParentXzjd()));
  MoveCentre(Add(Centre(), d));
}

Tpt TPointOutlineShape::InShapeFrame(TPoint P) const {
  return protate(Sub(xyTransAbsPt(P.x, P.y), Centre()), -DegToRad(FXzJd));
}

bool TPointOutlineShape::NearOutline(const Tpt* Local, int Count, TPoint CursorPt, Tpt& P) const {
  const Tpt cursor = dptop(CursorPt);
  for (int i = 0; i + 1 < Count; ++i)
    if (PointInLine(cursor, Local[i], Local[i + 1], P)) return true;
  return false;
}

// ---- rounded rectangle

PLANDECK_DEFINE_ABSTRACT_CLASS(TCustomRoundRect, TPointOutlineShape)

TCustomRoundRect::TCustomRoundRect(TMyPersistent* AOwner) : TPointOutlineShape(AOwner) {
  FClassNameDescription = "圆角矩形";
}

void TCustomRoundRect::ReadData(TReader& Reader) {
  TCustomFigure::ReadData(Reader);
  ReadPt(Reader, FYd);
  FHzbj = Reader.ReadFloat();
  FVzbj = Reader.ReadFloat();
  FWidth = Reader.ReadFloat();
  FHeight = Reader.ReadFloat();
}

void TCustomRoundRect::WriteData(TWriter& Writer) {
  TCustomFigure::WriteData(Writer);
  WritePt(Writer, FYd);
  for (double v : {FHzbj, FVzbj, FWidth, FHeight}) Writer.WriteFloat(v);
}

void TCustomRoundRect::AssignTo(TPersistent& Dest) const {
  auto* d = dynamic_cast<TCustomRoundRect*>(&Dest);
  if (!d) {
    TCustomFigure::AssignTo(Dest);
    return;
  }
  TChangingGuard guard(*d);
  d->FYd = FYd;
  d->FHzbj = FHzbj;
  d->FVzbj = FVzbj;
  d->FWidth = FWidth;
  d->FHeight = FHeight;
  TCustomFigure::AssignTo(Dest);
}

std::array<Tpt, 41> TCustomRoundRect::LocalPoints() const {
  const double s = FScale, a = DegToRad(FXzJd), w = DegToRad(10);
  const double sx = FWidth / 2 - FHzbj, sy = FHeight / 2 - FVzbj;
  std::array<Tpt, 41> out;
  // Ten points per corner arc at 10 degree steps; the straight sides join them.
  for (int corner = 0; corner < 4; ++corner) {
    const double ox = corner == 0 || corner == 3 ? sx : -sx;
    const double oy = corner < 2 ? sy : -sy;
    for (int k = 0; k < 10; ++k) {
      const double t = (corner * 9 + k) * w;
      const Tpt p{s * (std::cos(t) * FHzbj + ox), s * (std::sin(t) * FVzbj + oy)};
      out[std::size_t(corner * 10 + k)] = Add(FYd, protate(p, a));
    }
  }
  out[40] = out[0];
  return out;
}

void TCustomRoundRect::CalculatePoints() const {
  const std::array<Tpt, 41> local = LocalPoints();
  const TLogFrame f = LogFrame();
  for (std::size_t i = 0; i < local.size(); ++i) FPPoints[i] = ptodp(f.Map(local[i]));
}

std::vector<TPoint> TCustomRoundRect::Outline() const {
  CalculatePoints();
  return {FPPoints.begin(), FPPoints.end()};
}

bool TCustomRoundRect::Selected(Tpt P, double) const { return pinwdbx(P, *GetWDbx()); }

Tpt TCustomRoundRect::HandleOffset(int Index) const {
  const double w = FWidth / 2, h = FHeight / 2;
  switch (Index) {
    case 1: return {-w, -h};
    case 2: return {0, -h};
    case 3: return {w, -h};
    case 4: return {w, 0};
    case 5: return {w, h};
    case 6: return {0, h};
    case 7: return {-w, h};
    case 8: return {-w, 0};
    case 9: return {w - FHzbj, -h + FVzbj};
    default: return {};
  }
}

void TCustomRoundRect::GetHandle(int Index, TPoint& P) const {
  if (Index < 1 || Index > 9) return;
  const Tpt o = HandleOffset(Index);
  P = ptodp(LogPt(Add(FYd, Rot({FScale * o.x, FScale * o.y}, FXzJd))));
}

void TCustomRoundRect::MoveHandleTo(int Index, TPoint P) {
  if (Index < 1 || Index > 9) return;
  const double s = GetScale();
  const Tpt q = InShapeFrame(P);
  const double u = std::abs(q.x), v = std::abs(q.y);
  double w = FWidth, h = FHeight, a = FHzbj, b = FVzbj;
  // The shape stays centred; a side never comes inside its corner arcs.
  const bool sides = Index == 4 || Index == 8, ends = Index == 2 || Index == 6, corner = Index % 2 == 1 && Index < 9;
  if ((sides || corner) && !(u < s * a)) w = 2 * u / FScale;
  if ((ends || corner) && !(v < s * b)) h = 2 * v / FScale;
  if (Index == 9) {
    const double na = std::abs(s * FWidth / 2 - u) / FScale, nb = std::abs(s * FHeight / 2 - v) / FScale;
    if (!(na > FWidth / 2)) a = na;
    if (!(nb > FHeight / 2)) b = nb;
  }
  Change(*this, [&] {
    FWidth = w;
    FHeight = h;
    FHzbj = a;
    FVzbj = b;
  });
}

void TCustomRoundRect::RotateHandleTo(int Index, TPoint P) {
  if (Index < 1 || Index > 8) return;
  const Tpt o = HandleOffset(Index);
  const Tpt p = xyTransAbsPt(P.x, P.y);
  const double a = RadToDeg(ppjd(FYd, p)) - RadToDeg(std::atan2(o.y, o.x));
  Change(*this, [&] { FXzJd = a; });
}

void TCustomRoundRect::MoveCentre(Tpt C) {
  Change(*this, [&] { FYd = C; });
}

void TCustomRoundRect::SetRefPoint(double X, double Y) { MoveCentre({X, Y}); }

void TCustomRoundRect::CreateByRefPoint(TTxCollectFound& Points) { CreateByRefPoint(ToolPoints(Points)); }

void TCustomRoundRect::CreateByRefPoint(std::span<const Tpt> Points) {
  if (Points.size() < 2) return;
  double w = 0, h = 0;
  ClickedSize(Points[0], Points[1], w, h);
  Change(*this, [&] {
    FWidth = w;
    FHeight = h;
    FYd = Mid(Points[0], Points[1]);
    FHzbj = w / 4;
    FVzbj = h / 4;
  });
}

void TCustomRoundRect::Explode(TCustomFigureSet& Set) {
  FYd = ExplodePoint(FYd, Set);
  FScale *= Set.GetScale();
  FXzJd += Set.FXzJd;
  Modified();
}

void TCustomRoundRect::FigureMirror(TBx Line) {
  FYd = Caldcp(FYd, Line);
  FXzJd = MirroredAngle(FXzJd, Line);
  Modified();
}

bool TCustomRoundRect::GetCapturePoint(Tpt& P, TPointLx& Kind, TFigureView* View, TPoint CursorPt,
                                       TPointLxSet KindSet) {
  if (View && View->IsSelected(this)) return false;
  const double w = FWidth / 2, h = FHeight / 2, sx = w - FHzbj, sy = h - FVzbj;
  auto at = [&](double x, double y) { return Add(FYd, Rot({FScale * x, FScale * y}, FXzJd)); };
  auto near = [&](Tpt Local) { return NearPoint(Local, CursorPt, P); };
  if (KindSet & PointLxBit(plEndPoint)) {
    // Where the straight sides meet the corner arcs.
    for (Tpt p : {at(w, -sy), at(w, sy), at(sx, h), at(-sx, h), at(-w, sy), at(-w, -sy), at(-sx, -h), at(sx, -h)})
      if (near(p)) return Kind = plEndPoint, true;
  }
  if (KindSet & PointLxBit(plMidPoint)) {
    for (Tpt p : {at(w, 0), at(0, h), at(-w, 0), at(0, -h)})
      if (near(p)) return Kind = plMidPoint, true;
  }
  if ((KindSet & PointLxBit(plCenter)) && near(FYd)) return Kind = plCenter, true;
  if (KindSet & PointLxBit(plNearest)) {
    const std::array<Tpt, 41> pts = LocalPoints();
    if (NearOutline(pts.data(), int(pts.size()), CursorPt, P)) return Kind = plNearest, true;
  }
  return false;
}

PLANDECK_DEFINE_CLASS(TTxRoundRect, TCustomRoundRect)

std::unique_ptr<TDocItem> TTxRoundRect::Clone() const {
  auto copy = std::make_unique<TTxRoundRect>(FOwner);
  copy->Assign(*this);
  return copy;
}

// ---- ellipse

PLANDECK_DEFINE_ABSTRACT_CLASS(TCustomEllipse, TPointOutlineShape)

TCustomEllipse::TCustomEllipse(TMyPersistent* AOwner) : TPointOutlineShape(AOwner) { FClassNameDescription = "椭圆"; }

void TCustomEllipse::ReadData(TReader& Reader) {
  TCustomFigure::ReadData(Reader);
  ReadPt(Reader, FYx);
  FHzbj = Reader.ReadFloat();
  FVzbj = Reader.ReadFloat();
}

void TCustomEllipse::WriteData(TWriter& Writer) {
  TCustomFigure::WriteData(Writer);
  WritePt(Writer, FYx);
  Writer.WriteFloat(FHzbj);
  Writer.WriteFloat(FVzbj);
}

void TCustomEllipse::AssignTo(TPersistent& Dest) const {
  auto* d = dynamic_cast<TCustomEllipse*>(&Dest);
  if (!d) {
    TCustomFigure::AssignTo(Dest);
    return;
  }
  TChangingGuard guard(*d);
  d->FYx = FYx;
  d->FHzbj = FHzbj;
  d->FVzbj = FVzbj;
  TCustomFigure::AssignTo(Dest);
}

std::array<Tpt, 36> TCustomEllipse::LocalPoints() const {
  const double s = FScale, a = DegToRad(FXzJd);
  std::array<Tpt, 36> out;
  for (int i = 0; i < 36; ++i) {
    const double t = DegToRad(10.0 * i);
    out[std::size_t(i)] = Add(FYx, protate({s * FHzbj * std::cos(t), s * FVzbj * std::sin(t)}, a));
  }
  return out;
}

std::vector<TPoint> TCustomEllipse::Outline() const {
  const std::array<Tpt, 36> local = LocalPoints();
  const TLogFrame f = LogFrame();
  for (std::size_t i = 0; i < local.size(); ++i) FPPoints[i] = ptodp(f.Map(local[i]));
  std::vector<TPoint> pts(FPPoints.begin(), FPPoints.end());
  pts.push_back(pts.front());
  return pts;
}

bool TCustomEllipse::Selected(Tpt P, double) const { return pinwdbx(P, *GetWDbx()); }

void TCustomEllipse::GetHandle(int Index, TPoint& P) const {
  const double a = DegToRad(FXzJd), h = GetScale() * FHzbj, v = GetScale() * FVzbj;
  const Tpt c = Dir(a);
  Tpt p;
  switch (Index) {
    case 1: p = Sub(FYx, c, h); break;
    case 2: p = Add(FYx, c, h); break;
    case 3: p = Add(FYx, {-c.y, c.x}, v); break;
    case 4: p = Add(FYx, {c.y, -c.x}, v); break;
    default: return;
  }
  P = ptodp(LogPt(p));
}

void TCustomEllipse::MoveHandleTo(int Index, TPoint P) {
  if (Index < 1 || Index > 4) return;
  const Tpt q = InShapeFrame(P);
  const double value = (Index <= 2 ? std::abs(q.x) : std::abs(q.y)) / FScale;
  // Dragged onto the centre (to within half a unit on the sheet) it would
  // keep no size to drag back from.
  if (!(TransLogV(value * FScale) >= 0.5)) return;
  Invalidate();
  if (Index <= 2)
    SetHzbj(value);
  else
    SetVzbj(value);
}

void TCustomEllipse::RotateHandleTo(int Index, TPoint P) {
  static const double kHandleAngle[] = {180, 0, 90, 270};
  if (Index < 1 || Index > 4) return;
  const Tpt p = xyTransAbsPt(P.x, P.y);
  const double a = RadToDeg(ppjd(FYx, p)) - kHandleAngle[Index - 1];
  Change(*this, [&] { FXzJd = a; });
}

void TCustomEllipse::SetHzbj(double Value) {
  if (Value == FHzbj || !(Value > 0)) return;
  FHzbj = Value;
  Modified();
}

void TCustomEllipse::SetVzbj(double Value) {
  if (Value == FVzbj || !(Value > 0)) return;
  FVzbj = Value;
  Modified();
}

void TCustomEllipse::MoveCentre(Tpt C) {
  Change(*this, [&] { FYx = C; });
}

void TCustomEllipse::SetRefPoint(double X, double Y) { MoveCentre({X, Y}); }

void TCustomEllipse::CreateByRefPoint(TTxCollectFound& Points) { CreateByRefPoint(ToolPoints(Points)); }

void TCustomEllipse::CreateByRefPoint(std::span<const Tpt> Points) {
  if (Points.size() < 2) return;
  double w = 0, h = 0;
  ClickedSize(Points[0], Points[1], w, h);
  Change(*this, [&] {
    FYx = Mid(Points[0], Points[1]);
    FHzbj = w / 2;
    FVzbj = h / 2;
  });
}

void TCustomEllipse::Explode(TCustomFigureSet& Set) {
  FYx = ExplodePoint(FYx, Set);
  FScale *= Set.GetScale();
  FXzJd += Set.FXzJd;
  Modified();
}

void TCustomEllipse::FigureMirror(TBx Line) {
  FYx = Caldcp(FYx, Line);
  FXzJd = MirroredAngle(FXzJd, Line);
  Modified();
}

bool TCustomEllipse::GetCapturePoint(Tpt& P, TPointLx& Kind, TFigureView* View, TPoint CursorPt,
                                     TPointLxSet KindSet) {
  if (View && View->IsSelected(this)) return false;
  auto near = [&](Tpt Local) { return NearPoint(Local, CursorPt, P); };
  const std::array<Tpt, 36> pts = LocalPoints();
  if (KindSet & PointLxBit(plEndPoint)) {
    // The ends of the axes (0, 90, 180 and 270 degrees).
    for (std::size_t i : {0u, 9u, 18u, 27u})
      if (near(pts[i])) return Kind = plEndPoint, true;
  }
  if ((KindSet & PointLxBit(plCenter)) && near(FYx)) return Kind = plCenter, true;
  if (KindSet & PointLxBit(plNearest)) {
    std::array<Tpt, 37> closed;
    std::copy(pts.begin(), pts.end(), closed.begin());
    closed[36] = pts[0];
    if (NearOutline(closed.data(), int(closed.size()), CursorPt, P)) return Kind = plNearest, true;
  }
  return false;
}

PLANDECK_DEFINE_CLASS(TTxEllipse, TCustomEllipse)

std::unique_ptr<TDocItem> TTxEllipse::Clone() const {
  auto copy = std::make_unique<TTxEllipse>(FOwner);
  copy->Assign(*this);
  return copy;
}

// ---- circle

PLANDECK_DEFINE_ABSTRACT_CLASS(TCustomCircle, TPointOutlineShape)

TCustomCircle::TCustomCircle(TMyPersistent* AOwner) : TPointOutlineShape(AOwner) { FClassNameDescription = "圆形"; }

void TCustomCircle::ReadData(TReader& Reader) {
  TCustomFigure::ReadData(Reader);
  ReadPt(Reader, FYx);
  FBj = Reader.ReadFloat();
}

void TCustomCircle::WriteData(TWriter& Writer) {
  TCustomFigure::WriteData(Writer);
  WritePt(Writer, FYx);
  Writer.WriteFloat(FBj);
}

void TCustomCircle::AssignTo(TPersistent& Dest) const {
  auto* d = dynamic_cast<TCustomCircle*>(&Dest);
  if (!d) {
    TCustomFigure::AssignTo(Dest);
    return;
  }
  TChangingGuard guard(*d);
  d->FYx = FYx;
  d->FBj = FBj;
  TCustomFigure::AssignTo(Dest);
}

void TCustomCircle::DeviceCircle(TPoint& C, std::int32_t& R) const {
  C = ptodp(LogPt(FYx));
  R = ptodp({TransLogV(Radius()), 0}).x;
}

void TCustomCircle::CalcPositionRect(TRect& Rect) const {
  TPoint c;
  std::int32_t r = 0;
  DeviceCircle(c, r);
  Rect = {c.x - r, c.y - r, c.x + r, c.y + r};
}

std::vector<TPoint> TCustomCircle::Outline() const {
  TPoint c;
  std::int32_t r = 0;
  DeviceCircle(c, r);
  std::vector<TPoint> pts(61);
  for (int i = 0; i < 60; ++i) {
    const double t = DegToRad(6.0 * i);
    pts[std::size_t(i)] = ptodp({c.x + r * std::cos(t), c.y + r * std::sin(t)});
  }
  pts[60] = pts[0];
  return pts;
}

void TCustomCircle::Paint(TShowPlace& ShowPlace) {
  if (!FFillItem && FPen.Style == psSolid && FPen.Width == 1) {
    TPoint c;
    std::int32_t r = 0;
    DeviceCircle(c, r);
    ShowPlace.cvs->Ellipse(c.x - r, c.y - r, c.x + r, c.y + r);
    return;
  }
  TPointOutlineShape::Paint(ShowPlace);
}

bool TCustomCircle::Selected(Tpt P, double) const {
  // A circle of no size is not hit, not even at its centre.
  const double r = Radius();
  return r > 0 && Dist(xyTransAbsPt(P.x, P.y), FYx) <= r;
}

void TCustomCircle::GetHandle(int Index, TPoint& P) const {
  static const Tpt kDir[] = {{-1, 0}, {0, -1}, {1, 0}, {0, 1}};
  if (Index < 1 || Index > 4) return;
  P = ptodp(LogPt(Add(FYx, kDir[Index - 1], Radius())));
}

void TCustomCircle::MoveHandleTo(int Index, TPoint P) {
  if (Index < 1 || Index > 4) return;
  const double r = Dist(FYx, xyTransAbsPt(P.x, P.y)) / GetScale();
  if (!(TransLogV(r * GetScale()) >= 0.5)) return;
  Invalidate();
  Setbj(r);
}

void TCustomCircle::SetYx(Tpt Value) { MoveCentre(Value); }

void TCustomCircle::Setbj(double Value) {
  // A radius of nothing would stack the four handles on the centre for good.
  if (!(Value > 0) || Value == FBj) return;
  FBj = Value;
  Modified();
}

void TCustomCircle::MoveCentre(Tpt C) {
  Change(*this, [&] { FYx = C; });
}

void TCustomCircle::SetRefPoint(double X, double Y) { MoveCentre({X, Y}); }

void TCustomCircle::CreateByRefPoint(TTxCollectFound& Points) { CreateByRefPoint(ToolPoints(Points)); }

void TCustomCircle::CreateByRefPoint(std::span<const Tpt> Points) {
  if (Points.size() != 2) return;
  Change(*this, [&] {
    FYx = Points[0];
    FBj = Dist(Points[0], Points[1]);
  });
}

void TCustomCircle::Explode(TCustomFigureSet& Set) {
  FYx = ExplodePoint(FYx, Set);
  FScale *= Set.GetScale();
  FXzJd += Set.FXzJd;
  Modified();
}

void TCustomCircle::FigureMirror(TBx Line) {
  FYx = Caldcp(FYx, Line);
  Modified();
}

bool TCustomCircle::GetCapturePoint(Tpt& P, TPointLx& Kind, TFigureView* View, TPoint CursorPt,
                                    TPointLxSet KindSet) {
  if (View && View->IsSelected(this)) return false;
  auto near = [&](Tpt Local) { return NearPoint(Local, CursorPt, P); };
  const double r = Radius();
  if (KindSet & PointLxBit(plEndPoint)) {
    // The quadrant points.
    for (Tpt d : {Tpt{1, 0}, Tpt{0, 1}, Tpt{-1, 0}, Tpt{0, -1}})
      if (near(Add(FYx, d, r))) return Kind = plEndPoint, true;
  }
  if ((KindSet & PointLxBit(plCenter)) && near(FYx)) return Kind = plCenter, true;
  TPoint from;
  if ((KindSet & PointLxBit(plTangent)) && View && View->TangentFrom(from)) {
    // The two points where a line from the last fixed point touches the circle.
    const Tpt q = xyTransAbsPt(from.x, from.y);
    const double d = Dist(FYx, q);
    if (r > 0 && d > r) {
      const double phi = ppjd(FYx, q), alpha = std::acos(r / d);
      for (double t : {phi + alpha, phi - alpha})
        if (near(Add(FYx, Dir(t), r))) return Kind = plTangent, true;
    }
  }
  if ((KindSet & PointLxBit(plNearest)) && r > 0) {
    const Tpt cursor = dptop(CursorPt);
    Tpt foot;
    if (PointInArc(xyTransAbsPt(cursor.x, cursor.y), FYx, foot, 0, 2 * Pi, r)) {
      P = LogPt(foot);
      return Kind = plNearest, true;
    }
  }
  return false;
}

PLANDECK_DEFINE_CLASS(TTxCircle, TCustomCircle)

std::unique_ptr<TDocItem> TTxCircle::Clone() const {
  auto copy = std::make_unique<TTxCircle>(FOwner);
  copy->Assign(*this);
  return copy;
}

// ---- registration

void RegisterRoundShapeClasses() {
  RegisterClass(TTxRoundRect::StaticClass());
  RegisterClass(TTxEllipse::StaticClass());
  RegisterClass(TTxCircle::StaticClass());
  RegisterFamily({.Class = &TTxRoundRect::StaticClass(),
                  .Action = "A_RoundRect",
                  .Tool = tkTwoPoint,
                  .Rubber = TPlacingRubber::Rect,
                  .OrthoWhileMoving = false,
                  .Closed = true,
                  .PaintIcon = [](TIconSketch& s) { s.RoundRect(4, 6, 16, 12, 4); },
                  .Ops = FamilyOps<TTxRoundRect>()});
  RegisterFamily({.Class = &TTxEllipse::StaticClass(),
                  .Action = "A_Ellipse",
                  .Tool = tkTwoPoint,
                  .Rubber = TPlacingRubber::Ellipse,
                  .OrthoWhileMoving = false,
                  .Closed = true,
                  .PaintIcon = [](TIconSketch& s) { s.Ellipse(2, 7, 20, 11); },
                  .Ops = FamilyOps<TTxEllipse>()});
  RegisterFamily({.Class = &TTxCircle::StaticClass(),
                  .Action = "A_Circle",
                  .Tool = tkTwoPoint,
                  .Rubber = TPlacingRubber::Circle,
                  .OrthoWhileMoving = false,
                  .Closed = true,
                  .PaintIcon =
                      [](TIconSketch& s) {
                        s.Ellipse(4, 4, 16, 16);
                        s.Line(12, 12, 20, 12);
                      },
                  .Ops = FamilyOps<TTxCircle>()});
}

// ---- property dialogs' models

namespace {

std::string UserAngle(double Degrees) { return Format("%1.1f", Degrees); }

// A length the dialog takes as it is: zero allowed, negative not.
bool SysLenOrZero(const TCustomFigure& F, const std::string& S, double& V) {
  double u = 0;
  if (!ParseFloat(S, u) || u < 0) return false;
  V = F.TransSysV(u) / F.GetScale();
  return true;
}

bool NotNegative(const std::string& S, double& V) { return ParseFloat(S, V) && V >= 0; }

}  // namespace

TRoundRectProperties GetRoundRectProperties(const TCustomRoundRect& F) {
  TRoundRectProperties p;
  FillCommon(F, p);
  UserPt(F, F.FYd, p.YdX, p.YdY);
  p.Width = UserLen(F, F.FWidth);
  p.Height = UserLen(F, F.FHeight);
  p.Hzbj = UserLen(F, F.FHzbj);
  p.Vzbj = UserLen(F, F.FVzbj);
  p.Xzjd = UserAngle(F.FXzJd);
  return p;
}

void SetRoundRectProperties(TCustomRoundRect& F, const TRoundRectProperties& P) {
  F.Invalidate();
  {
    TChangingGuard guard(F);
    ApplyPen(F, P);
    [&] {
      double w = 0, h = 0, a = 0, b = 0, angle = 0;
      if (!ApplyLineWidth(F, P)) return;
      if (!SysPt(F, P.YdX, P.YdY, F.FYd)) return;
      if (!SysLen(F, P.Width, w) || !SysLen(F, P.Height, h)) return;
      F.FWidth = w;
      F.FHeight = h;
      // A corner radius past half a side would turn the sides inside out.
      if (!SysLenOrZero(F, P.Hzbj, a) || a > w / 2) return;
      F.FHzbj = a;
      if (!SysLenOrZero(F, P.Vzbj, b) || b > h / 2) return;
      F.FVzbj = b;
      if (!ParseFloat(P.Xzjd, angle)) return;
      F.FXzJd = angle;
      ApplyLayer(F, P);
    }();
  }
  F.Modified();
}

TEllipseProperties GetEllipseProperties(const TCustomEllipse& F) {
  TEllipseProperties p;
  FillCommon(F, p);
  UserPt(F, F.FYx, p.YxX, p.YxY);
  p.Hzbj = UserLen(F, F.FHzbj);
  p.Vzbj = UserLen(F, F.FVzbj);
  p.Xzjd = UserAngle(F.FXzJd);
  return p;
}

void SetEllipseProperties(TCustomEllipse& F, const TEllipseProperties& P) {
  F.Invalidate();
  {
    TChangingGuard guard(F);
    ApplyPen(F, P);
    [&] {
      double v = 0;
      if (!ApplyLineWidth(F, P)) return;
      if (!SysPt(F, P.YxX, P.YxY, F.FYx)) return;
      if (!SysLen(F, P.Hzbj, v)) return;
      F.SetHzbj(v);
      if (!SysLen(F, P.Vzbj, v)) return;
      F.SetVzbj(v);
      if (!ParseFloat(P.Xzjd, v)) return;
      F.FXzJd = v;
      ApplyLayer(F, P);
    }();
  }
  F.Modified();
}

TCircleProperties GetCircleProperties(const TCustomCircle& F) {
  TCircleProperties p;
  FillCommon(F, p);
  UserPt(F, F.FYx, p.YxX, p.YxY);
  p.Bj = UserLen(F, F.FBj);
  return p;
}

void SetCircleProperties(TCustomCircle& F, const TCircleProperties& P) {
  F.Invalidate();
  {
    TChangingGuard guard(F);
    ApplyPen(F, P);
    [&] {
      double r = 0;
      if (!ApplyLineWidth(F, P)) return;
      if (!SysPt(F, P.YxX, P.YxY, F.FYx)) return;
      if (!SysLen(F, P.Bj, r)) return;
      F.Setbj(r);
      ApplyLayer(F, P);
    }();
  }
  F.Modified();
}

bool RoundRectMeasures(const TRoundRectProperties& P, double& Perimeter, double& Area) {
  double w = 0, h = 0, a = 0, b = 0;
  if (!NotNegative(P.Width, w) || !NotNegative(P.Height, h) || !NotNegative(P.Hzbj, a) || !NotNegative(P.Vzbj, b))
    return false;
  Perimeter = Pi * (a + b) + 2 * (w + h - 2 * a - 2 * b);
  Area = Pi * a * b + w * h - 4 * a * b;
  return true;
}

bool EllipseMeasures(const TEllipseProperties& P, double& Perimeter, double& Area) {
  double a = 0, b = 0;
  if (!NotNegative(P.Hzbj, a) || !NotNegative(P.Vzbj, b)) return false;
  Perimeter = Pi * (a + b);
  Area = Pi * a * b;
  return true;
}

bool CircleMeasures(const TCircleProperties& P, double& Perimeter, double& Area) {
  double r = 0;
  if (!NotNegative(P.Bj, r)) return false;
  Perimeter = 2 * Pi * r;
  Area = Pi * r * r;
  return true;
}
