#include "figures/WdbxShapes.h"

#include "figures/FigureFamily.h"
#include "figures/LineFigureKit.h"

#include <cmath>

using namespace LineKit;

PLANDECK_DEFINE_ABSTRACT_CLASS(TCustomZPolygon, TCustomWdbxFigure)

TCustomZPolygon::TCustomZPolygon(TMyPersistent* AOwner) : TCustomWdbxFigure(AOwner) {
  FClassNameDescription = "正多边形";
}

void TCustomZPolygon::ReadData(TReader& Reader) {
  TCustomFigure::ReadData(Reader);
  ReadPt(Reader, FYd);
  // Kept as read, even below 3: such a polygon simply has no outline.
  FLineCount = Reader.ReadInteger();
  FBj = Reader.ReadFloat();
}

void TCustomZPolygon::WriteData(TWriter& Writer) {
  TCustomFigure::WriteData(Writer);
  WritePt(Writer, FYd);
  Writer.WriteInteger(FLineCount);
  Writer.WriteFloat(FBj);
}

void TCustomZPolygon::AssignTo(TPersistent& Dest) const {
  auto* d = dynamic_cast<TCustomZPolygon*>(&Dest);
  if (!d) {
    TCustomFigure::AssignTo(Dest);
    return;
  }
  TChangingGuard guard(*d);
  d->FYd = FYd;
  d->FLineCount = FLineCount;
  d->FBj = FBj;
  // The outline is derived, but a copy paints before anything refreshes it.
  *d->FPWdbx = *FPWdbx;
  TCustomFigure::AssignTo(Dest);
}

Tpt TCustomZPolygon::Vertex(int K) const {
  return Add(FYd, protate({FBj * FScale, 0}, DegToRad(FXzJd) + 2 * Pi * K / FLineCount));
}

void TCustomZPolygon::CreateWdbxByDDList() {
  auto w = std::make_unique<TWorkDbx>();
  // Fewer than three sides make no polygon (and the angle step would divide by zero).
  if (FLineCount >= 3) {
    Tpt from = Vertex(0);
    for (int k = 1; k <= FLineCount; ++k) {
      const Tpt to = Vertex(k);
      TWorkDbxbx e;
      e.qd = from;
      e.zd = to;
      w->bx.push_back(e);
      from = to;
    }
    checkwdbx(*w);
    workdbxfxjs(*w);
  }
  SetWdbx(std::move(w));
}

void TCustomZPolygon::Refresh() {
  CreateWdbxByDDList();
  TRect r;
  CalcPositionRect(r);
  TCustomFigure::Refresh();
}

bool TCustomZPolygon::CentrePoint(Tpt& P) const {
  P = FYd;
  return true;
}

int TCustomZPolygon::GetHandleCount() const { return FLineCount >= 3 ? FLineCount : 0; }

void TCustomZPolygon::GetHandle(int Index, TPoint& P) const {
  if (Index < 1 || Index > GetHandleCount()) return;
  const Tpt p = Vertex(Index - 1);
  P = ptodp(xyTransLogPt(p.x, p.y));
}

void TCustomZPolygon::MoveHandleTo(int Index, TPoint P) {
  if (Index < 1 || Index > GetHandleCount()) return;
  const Tpt m = xyTransAbsPt(P.x, P.y);
  Change(*this, [&] { FBj = Dist(FYd, m) / FScale; });
}

void TCustomZPolygon::RotateHandleTo(int Index, TPoint P) {
  if (Index < 1 || Index > GetHandleCount()) return;
  const Tpt m = xyTransAbsPt(P.x, P.y);
  Change(*this, [&] { FXzJd = RadToDeg(ppjd(FYd, m)) - 360.0 * (Index - 1) / FLineCount; });
}

void TCustomZPolygon::MoveByOffset(double Dx, double Dy) {
  const Tpt d{TransAbsV(Dx), TransAbsV(Dy)};
  Change(*this, [&] { FYd = Add(FYd, d); });
}

void TCustomZPolygon::CreateByRefPoint(std::span<const Tpt> Points) {
  if (Points.size() < 2) return;
  FYd = Points[0];
  FBj = Dist(Points[0], Points[1]);
  FXzJd = RadToDeg(ppjd(Points[0], Points[1]));
  Modified();
}

void TCustomZPolygon::Explode(TCustomFigureSet& Set) {
  FYd = ExplodePoint(FYd, Set);
  FScale *= Set.GetScale();
  FXzJd += Set.FXzJd;
  Modified();
}

void TCustomZPolygon::FigureMirror(TBx Line) {
  // Vertex angles a + 2πk/n go to 2φ − a − 2πk/n: the same polygon turned to 2φ − a.
  FYd = Caldcp(FYd, Line);
  FXzJd = 2 * RadToDeg(ppjd(Line.qd, Line.zd)) - FXzJd;
  Modified();
}

PLANDECK_DEFINE_CLASS(TTxZPolygon, TCustomZPolygon)

std::unique_ptr<TDocItem> TTxZPolygon::Clone() const {
  auto copy = std::make_unique<TTxZPolygon>(FOwner);
  copy->Assign(*this);
  return copy;
}

void RegisterZPolygonClasses() {
  RegisterClass(TTxZPolygon::StaticClass());
  RegisterFamily({.Class = &TTxZPolygon::StaticClass(),
                  .Action = "A_ZPolygon",
                  .Tool = tkTwoPoint,
                  .Rubber = TPlacingRubber::Line,
                  .Closed = true,
                  .PaintIcon =
                      [](TIconSketch& s) {
                        s.Polygon({{12, 3}, {19.8, 7.5}, {19.8, 16.5}, {12, 21}, {4.2, 16.5}, {4.2, 7.5}});
                      },
                  .Ops = FamilyOps<TTxZPolygon>()});
}

// ---- property dialog's model

namespace {

// Side count and side length of the typed fields; false while one does not convert.
bool TypedSides(const TZPolygonProperties& Props, int& N, double& Side) {
  double r = 0;
  if (!ParseInt(Props.LineCount, N) || N < 3) return false;
  if (!ParseFloat(Props.Bj, r) || r < 0) return false;
  Side = 2 * r * std::sin(Pi / N);
  return true;
}

}  // namespace

TZPolygonProperties GetZPolygonProperties(const TCustomZPolygon& Polygon) {
  TZPolygonProperties p;
  FillCommon(Polygon, p);
  UserPt(Polygon, Polygon.FYd, p.YdX, p.YdY);
  p.LineCount = std::to_string(Polygon.FLineCount);
  p.Bj = UserLen(Polygon, Polygon.FBj);
  p.Xzjd = Format("%1.1f", Polygon.FXzJd);
  return p;
}

void SetZPolygonProperties(TCustomZPolygon& Polygon, const TZPolygonProperties& Props) {
  Polygon.Invalidate();
  {
    TChangingGuard guard(Polygon);
    ApplyPen(Polygon, Props);
    [&] {
      double v = 0;
      int n = 0;
      if (!ApplyLineWidth(Polygon, Props)) return;
      if (!SysPt(Polygon, Props.YdX, Props.YdY, Polygon.FYd)) return;
      if (!ParseInt(Props.LineCount, n) || n < 3) return;
      Polygon.FLineCount = n;
      if (!SysLen(Polygon, Props.Bj, v)) return;
      Polygon.FBj = v;
      if (!ParseFloat(Props.Xzjd, v)) return;
      Polygon.FXzJd = v;
      ApplyLayer(Polygon, Props);
    }();
  }
  Polygon.Modified();
}

std::string ZPolygonPerimeter(const TZPolygonProperties& Props) {
  int n = 0;
  double s = 0;
  if (!TypedSides(Props, n, s)) return {};
  return Format("%1.3f", n * s);
}

std::string ZPolygonArea(const TZPolygonProperties& Props) {
  int n = 0;
  double s = 0;
  if (!TypedSides(Props, n, s)) return {};
  return Format("%1.3f", n * s * s / std::tan(Pi / n) / 4);
}
