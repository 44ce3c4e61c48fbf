#include "figures/LineFigures.h"

#include "figures/CodeVersion.h"
#include "figures/FigureFamily.h"
#include "figures/LabelFont.h"
#include "figures/LineFigureKit.h"
#include "foundation/StreamError.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

using namespace LineKit;

// ---- arrow line

PLANDECK_DEFINE_ABSTRACT_CLASS(TCustomTxLine, TCustomFigure)

TCustomTxLine::TCustomTxLine(TMyPersistent* AOwner)
    : TCustomFigure(AOwner), FJd(Pi / 20), FArrowLength(15) {
  FClassNameDescription = "箭头线";
}

void TCustomTxLine::ReadData(TReader& Reader) {
  TCustomFigure::ReadData(Reader);
  ReadPt(Reader, FQd);
  ReadPt(Reader, FZd);
  FJd = Reader.ReadFloat();
  FArrowLength = Reader.ReadFloat();
  FQdArrow = Reader.ReadBoolean();
  FZdArrow = Reader.ReadBoolean();
  FFillArrow = Reader.ReadBoolean();
}

void TCustomTxLine::WriteData(TWriter& Writer) {
  TCustomFigure::WriteData(Writer);
  WritePt(Writer, FQd);
  WritePt(Writer, FZd);
  Writer.WriteFloat(FJd);
  Writer.WriteFloat(FArrowLength);
  Writer.WriteBoolean(FQdArrow);
  Writer.WriteBoolean(FZdArrow);
  Writer.WriteBoolean(FFillArrow);
}

void TCustomTxLine::AssignTo(TPersistent& Dest) const {
  TCustomFigure::AssignTo(Dest);
  auto* d = dynamic_cast<TCustomTxLine*>(&Dest);
  if (!d) return;
  d->FQd = FQd;
  d->FZd = FZd;
  d->FJd = FJd;
  d->FArrowLength = FArrowLength;
  d->FQdArrow = FQdArrow;
  d->FZdArrow = FZdArrow;
  d->FFillArrow = FFillArrow;
}


void TCustomTxLine::CalcPositionRect(TRect& Rect) const {
  // All four corners: under a turned parent two would not cover the line.
  double x0 = std::min(FQd.x, FZd.x) - 5, x1 = std::max(FQd.x, FZd.x) + 5;
  double y0 = std::min(FQd.y, FZd.y) - 5, y1 = std::max(FQd.y, FZd.y) + 5;
  // A head longer than the line reaches past the line's other end.
  auto cover = [&](Tpt p) {
    x0 = std::min(x0, p.x);
    x1 = std::max(x1, p.x);
    y0 = std::min(y0, p.y);
    y1 = std::max(y1, p.y);
  };
  const double a = ppjd(FQd, FZd), L = FArrowLength / GetAbsParentScale();
  if (FQdArrow && Dist(FQd, FZd) > 0) {
    cover(Add(FQd, Dir(a + FJd), L));
    cover(Add(FQd, Dir(a - FJd), L));
  }
  if (FZdArrow && Dist(FQd, FZd) > 0) {
    cover(Sub(FZd, Dir(a - FJd), L));
    cover(Sub(FZd, Dir(a + FJd), L));
  }
  Rect = LogBox(*this, {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}});
  ExpandRect(Rect, 0);
}

void TCustomTxLine::GetHandle(int Index, TPoint& P) const {
  const Tpt p = Index == 1 ? FQd : FZd;
  P = ptodp(xyTransLogPt(p.x, p.y));
}

void TCustomTxLine::MoveHandleTo(int Index, TPoint P) {
  if (Index != 1 && Index != 2) return;
  const Tpt p = xyTransAbsPt(P.x, P.y);
  Change(*this, [&] { (Index == 1 ? FQd : FZd) = p; });
}

void TCustomTxLine::MoveByOffset(double Dx, double Dy) {
  const Tpt d{std::nearbyint(TransAbsV(Dx)), std::nearbyint(TransAbsV(Dy))};
  Change(*this, [&] {
    FQd = Add(FQd, d);
    FZd = Add(FZd, d);
  });
}

void TCustomTxLine::Paint(TShowPlace& ShowPlace) {
  TCanvas& cv = *ShowPlace.cvs;
  const double a = ppjd(FQd, FZd);
  const double L = FArrowLength / GetAbsParentScale();
  const Tpt q1 = Add(FQd, Dir(a + FJd), L), q2 = Add(FQd, Dir(a - FJd), L);
  const Tpt z1 = Sub(FZd, Dir(a - FJd), L), z2 = Sub(FZd, Dir(a + FJd), L);
  DrawLine(FQd, FZd, cv);
  // A line of no length has no direction to point a head in.
  if (!(Dist(FQd, FZd) > 0)) return;
  if (FFillArrow) {
    const TLogFrame f = LogFrame();
    const TLogBrush old = cv.SelectBrush(CreateSolidBrush(FPen.Color));
    auto head = [&](Tpt tip, Tpt p1, Tpt p2) {
      const TPoint pts[4] = {ptodp(f.Map(tip)), ptodp(f.Map(p1)), ptodp(f.Map(p2)), ptodp(f.Map(tip))};
      cv.Polygon(pts, 4);
    };
    if (FQdArrow) head(FQd, q1, q2);
    if (FZdArrow) head(FZd, z1, z2);
    cv.SelectBrush(old);
  } else {
    if (FQdArrow) {
      DrawLine(FQd, q1, cv);
      DrawLine(FQd, q2, cv);
    }
    if (FZdArrow) {
      DrawLine(FZd, z1, cv);
      DrawLine(FZd, z2, cv);
    }
  }
}

bool TCustomTxLine::Selected(Tpt P, double Factor) const {
  return pjjbx(xyTransAbsPt(P.x, P.y), pptobx(FQd, FZd), Factor);
}

bool TCustomTxLine::HitBounds(double Factor, TDBox& Box) const {
  return SegmentHitBounds(*this, FQd, FZd, Factor, Box);
}

void TCustomTxLine::CreateByRefPoint(std::span<const Tpt> Points) {
  if (Points.size() < 2) return;
  FQd = Points[0];
  FZd = Points[1];
  Modified();
}

void TCustomTxLine::Explode(TCustomFigureSet& Set) {
  FQd = ExplodePt(FQd, Set);
  FZd = ExplodePt(FZd, Set);
  FScale *= Set.GetScale();
  Modified();
}

void TCustomTxLine::FigureMirror(TBx Line) {
  FQd = Caldcp(FQd, Line);
  FZd = Caldcp(FZd, Line);
  Modified();
}


bool TCustomTxLine::GetCapturePoint(Tpt& P, TPointLx& Kind, TFigureView* View, TPoint CursorPt,
                                    TPointLxSet KindSet) {
  if (View && View->IsSelected(this)) return false;
  const TSnapQuery q(*this, CursorPt);
  if (KindSet & PointLxBit(plEndPoint)) {
    for (Tpt e : {FQd, FZd})
      if (q.Near(e, P)) return Kind = plEndPoint, true;
  }
  if ((KindSet & PointLxBit(plMidPoint)) && q.Near(Mid(FQd, FZd), P)) return Kind = plMidPoint, true;
  if ((KindSet & PointLxBit(plNearest)) && PointInLine(dptop(CursorPt), FQd, FZd, P))
    return Kind = plNearest, true;
  return false;
}

void TCustomTxLine::SetQd(Tpt P) {
  FQd = P;
  Modified();
}

void TCustomTxLine::SetZd(Tpt P) {
  FZd = P;
  Modified();
}

void TCustomTxLine::SetJd(double Value) {
  FJd = Value;
  Modified();
}

void TCustomTxLine::SetArrowLength(double Value) {
  FArrowLength = Value;
  Modified();
}

PLANDECK_DEFINE_CLASS(TTxLine, TCustomTxLine)

std::unique_ptr<TDocItem> TTxLine::Clone() const {
  auto copy = std::make_unique<TTxLine>(FOwner);
  copy->Assign(*this);
  return copy;
}

void RegisterArrowLineClasses() {
  RegisterClass(TTxLine::StaticClass());
  RegisterFamily({.Class = &TTxLine::StaticClass(),
                  .Action = "A_ArrowLine",
                  .Tool = tkTwoPoint,
                  .OrthoOnClick = true,
                  .PaintIcon = [](TIconSketch& s) { SketchArrow(s, 3, 20, 21, 4); },
                  .Ops = FamilyOps<TTxLine>()});
}

// ---- property dialog's model

TTxLineProperties GetTxLineProperties(const TCustomTxLine& Line) {
  TTxLineProperties p;
  FillCommon(Line, p);
  UserPt(Line, Line.FQd, p.QdX, p.QdY);
  UserPt(Line, Line.FZd, p.ZdX, p.ZdY);
  p.ArrowLength = UserLen(Line, Line.FArrowLength);
  p.ArrowJd = Format("%1.1f", RadToDeg(Line.FJd));
  p.QdArrow = Line.FQdArrow;
  p.ZdArrow = Line.FZdArrow;
  p.FillArrow = Line.FFillArrow;
  return p;
}

void SetTxLineProperties(TCustomTxLine& Line, const TTxLineProperties& Props) {
  Line.Invalidate();
  {
    TChangingGuard guard(Line);
    ApplyPen(Line, Props);
    Line.FQdArrow = Props.QdArrow;
    Line.FZdArrow = Props.ZdArrow;
    Line.FFillArrow = Props.FillArrow;
    [&] {
      double v = 0;
      if (!ApplyLineWidth(Line, Props)) return;
      if (!SysPt(Line, Props.QdX, Props.QdY, Line.FQd)) return;
      if (!SysPt(Line, Props.ZdX, Props.ZdY, Line.FZd)) return;
      if (!SysLen(Line, Props.ArrowLength, v)) return;
      Line.FArrowLength = v;
      if (!ParseFloat(Props.ArrowJd, v)) return;
      Line.FJd = DegToRad(v);
      ApplyLayer(Line, Props);
    }();
  }
  Line.Modified();
}

