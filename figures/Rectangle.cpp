#include "figures/WdbxShapes.h"

#include "figures/FigureFamily.h"
#include "figures/LineFigureKit.h"

#include <algorithm>
#include <cmath>

using namespace LineKit;

PLANDECK_DEFINE_ABSTRACT_CLASS(TCustomRectangle, TCustomWdbxFigure)

TCustomRectangle::TCustomRectangle(TMyPersistent* AOwner) : TCustomWdbxFigure(AOwner) {
  FClassNameDescription = "矩形";
}

void TCustomRectangle::ReadData(TReader& Reader) {
  TCustomFigure::ReadData(Reader);
  ReadPt(Reader, FYd);
  FWidth = Reader.ReadFloat();
  FHeight = Reader.ReadFloat();
}

void TCustomRectangle::WriteData(TWriter& Writer) {
  TCustomFigure::WriteData(Writer);
  WritePt(Writer, FYd);
  Writer.WriteFloat(FWidth);
  Writer.WriteFloat(FHeight);
}

void TCustomRectangle::AssignTo(TPersistent& Dest) const {
  auto* d = dynamic_cast<TCustomRectangle*>(&Dest);
  if (!d) {
    TCustomFigure::AssignTo(Dest);
    return;
  }
  TChangingGuard guard(*d);
  d->FYd = FYd;
  d->FWidth = FWidth;
  d->FHeight = FHeight;
  // The outline is derived, but a copy paints before anything refreshes it.
  *d->FPWdbx = *FPWdbx;
  TCustomFigure::AssignTo(Dest);
}

void TCustomRectangle::CreateWdbxByDDList() {
  const double s = GetScale(), a = DegToRad(FXzJd);
  const Tpt c = Add(FYd, protate({s * FWidth / 2, s * FHeight / 2}, a));
  auto w = std::make_unique<TWorkDbx>();
  jmxztowdbx(*w, a, s * FHeight, s * FWidth, c.y, c.x);
  SetWdbx(std::move(w));
}

void TCustomRectangle::Refresh() {
  CreateWdbxByDDList();
  TRect r;
  CalcPositionRect(r);
  TCustomFigure::Refresh();
}

bool TCustomRectangle::CentrePoint(Tpt& P) const {
  P = Add(FYd, Rot({GetScale() * FWidth / 2, GetScale() * FHeight / 2}, FXzJd));
  return true;
}

Tpt TCustomRectangle::HandleOffset(int Index) const {
  const double w = FWidth, h = FHeight;
  switch (Index) {
    case 2: return {w / 2, 0};
    case 3: return {w, 0};
    case 4: return {w, h / 2};
    case 5: return {w, h};
    case 6: return {w / 2, h};
    case 7: return {0, h};
    case 8: return {0, h / 2};
    default: return {0, 0};
  }
}

void TCustomRectangle::GetHandle(int Index, TPoint& P) const {
  const Tpt p = Add(FYd, Rot(GetScale() * HandleOffset(Index), FXzJd));
  P = ptodp(xyTransLogPt(p.x, p.y));
}

void TCustomRectangle::MoveHandleTo(int Index, TPoint P) {
  if (Index < 1 || Index > 8) return;
  const double s = GetScale();
  if (!(s > 0)) return;
  const Tpt m = xyTransAbsPt(P.x, P.y);
  const Tpt uv = (1 / s) * Rot(m - FYd, -FXzJd);
  double w = FWidth, h = FHeight;
  Tpt shift{0, 0};  // how far FYd moves along the rectangle's own axes
  // Sides the handle touches: left 1, 7, 8; right 3, 4, 5; bottom 1, 2, 3; top 5, 6, 7.
  if (Index == 1 || Index == 7 || Index == 8) {
    w -= uv.x;
    shift.x = uv.x;
  } else if (Index == 3 || Index == 4 || Index == 5) {
    w = uv.x;
  }
  if (Index == 1 || Index == 2 || Index == 3) {
    h -= uv.y;
    shift.y = uv.y;
  } else if (Index == 5 || Index == 6 || Index == 7) {
    h = uv.y;
  }
  if (!(w > 0) || !(h > 0)) return;
  Change(*this, [&] {
    FWidth = w;
    FHeight = h;
    FYd = Index == 1 ? m : Add(FYd, Rot(s * shift, FXzJd));
  });
}

void TCustomRectangle::RotateHandleTo(int Index, TPoint P) {
  if (Index < 2 || Index > 8) return;
  const Tpt m = xyTransAbsPt(P.x, P.y);
  const Tpt h = HandleOffset(Index);
  const double a = RadToDeg(ppjd(FYd, m)) - RadToDeg(std::atan2(h.y, h.x));
  Change(*this, [&] { FXzJd = a; });
}

void TCustomRectangle::SetRefPoint(double X, double Y) {
  Change(*this, [&] { FYd = {X, Y}; });
}

void TCustomRectangle::MoveByOffset(double Dx, double Dy) {
  SetRefPoint(FYd.x + TransAbsV(Dx), FYd.y + TransAbsV(Dy));
}

void TCustomRectangle::CreateByRefPoint(std::span<const Tpt> Points) {
  if (Points.size() < 2) return;
  const TPoint a = ptodp(Points[0]), b = ptodp(Points[1]);
  FYd = {double(std::min(a.x, b.x)), double(std::min(a.y, b.y))};
  FWidth = std::abs(double(b.x) - a.x);
  FHeight = std::abs(double(b.y) - a.y);
  Modified();
}

void TCustomRectangle::Explode(TCustomFigureSet& Set) {
  FYd = ExplodePoint(FYd, Set);
  FScale *= Set.GetScale();
  FXzJd += Set.FXzJd;
  Modified();
}

void TCustomRectangle::FigureMirror(TBx Line) {
  // The mirror image is a rectangle again: its reference corner is the
  // image of the corner above FYd, and its angle twice the line's less its own.
  const Tpt above = Add(FYd, Rot({0, GetScale() * FHeight}, FXzJd));
  FYd = Caldcp(above, Line);
  FXzJd = 2 * RadToDeg(ppjd(Line.qd, Line.zd)) - FXzJd;
  Modified();
}

PLANDECK_DEFINE_CLASS(TTxFRectangle, TCustomRectangle)

std::unique_ptr<TDocItem> TTxFRectangle::Clone() const {
  auto copy = std::make_unique<TTxFRectangle>(FOwner);
  copy->Assign(*this);
  return copy;
}

void RegisterRectangleClasses() {
  RegisterClass(TTxFRectangle::StaticClass());
  RegisterFamily({.Class = &TTxFRectangle::StaticClass(),
                  .Action = "A_Rect",
                  .Tool = tkTwoPoint,
                  .Rubber = TPlacingRubber::Rect,
                  .Closed = true,
                  .PaintIcon = [](TIconSketch& s) { s.Rect(4, 6, 16, 12); },
                  .Ops = FamilyOps<TTxFRectangle>()});
}

// ---- property dialog's model

namespace {

bool ParseUserLen(const std::string& S, double& V) { return ParsePositive(S, V); }

}  // namespace

TRectangleProperties GetRectangleProperties(const TCustomRectangle& Rect) {
  TRectangleProperties p;
  FillCommon(Rect, p);
  UserPt(Rect, Rect.FYd, p.YdX, p.YdY);
  p.Width = UserLen(Rect, Rect.FWidth);
  p.Height = UserLen(Rect, Rect.FHeight);
  p.Xzjd = Format("%1.1f", Rect.FXzJd);
  return p;
}

void SetRectangleProperties(TCustomRectangle& Rect, const TRectangleProperties& Props) {
  Rect.Invalidate();
  {
    TChangingGuard guard(Rect);
    ApplyPen(Rect, Props);
    [&] {
      double v = 0;
      if (!ApplyLineWidth(Rect, Props)) return;
      if (!SysPt(Rect, Props.YdX, Props.YdY, Rect.FYd)) return;
      if (!SysLen(Rect, Props.Width, v)) return;
      Rect.FWidth = v;
      if (!SysLen(Rect, Props.Height, v)) return;
      Rect.FHeight = v;
      if (!ParseFloat(Props.Xzjd, v)) return;
      Rect.FXzJd = v;
      ApplyLayer(Rect, Props);
    }();
  }
  Rect.Modified();
}

std::string RectanglePerimeter(const TRectangleProperties& Props) {
  double w = 0, h = 0;
  if (!ParseUserLen(Props.Width, w) || !ParseUserLen(Props.Height, h)) return {};
  return Format("%1.3f", 2 * (w + h));
}

std::string RectangleArea(const TRectangleProperties& Props) {
  double w = 0, h = 0;
  if (!ParseUserLen(Props.Width, w) || !ParseUserLen(Props.Height, h)) return {};
  return Format("%1.3f", w * h);
}
