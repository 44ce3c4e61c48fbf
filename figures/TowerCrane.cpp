#include "figures/TowerCrane.h"

#include "figures/FigureFamily.h"
#include "figures/FigureKit.h"

#include "figures/CodeVersion.h"
#include "figures/FigureSet.h"
#include "figures/FigureText.h"
#include "figures/LabelFont.h"
#include "foundation/ValueStream.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <vector>

namespace {

// An angle in degrees brought into [0, 360); anything not finite is 0.
double Norm360(double a) {
  if (!std::isfinite(a)) return 0;
  a = std::fmod(a, 360.0);
  if (a < 0) a += 360.0;
  return a >= 360.0 ? 0 : a;
}

}  // namespace

PLANDECK_DEFINE_ABSTRACT_CLASS(TCustomTadiao, TCustomFigure)

TCustomTadiao::TCustomTadiao(TMyPersistent* AOwner) : TCustomFigure(AOwner), FFont(std::make_unique<TMyFont>()) {
  FClassNameDescription = "塔吊";
  // Fills the arrowhead.
  FBrush.Color = clBlack;
}

TCustomTadiao::~TCustomTadiao() = default;

void TCustomTadiao::ReadData(TReader& Reader) {
  TCustomFigure::ReadData(Reader);
  ReadLabelFont(Reader, *FFont);
  FText = Reader.ReadString();
  FAutoCalText = Reader.ReadBoolean();
  FTextAlign = Reader.ReadInteger();
  FPos = Reader.ReadFloat();
  FYd.x = Reader.ReadFloat();
  FYd.y = Reader.ReadFloat();
  FWidthEx = Reader.ReadFloat();
  FHeightEx = Reader.ReadFloat();
  FWidth = Reader.ReadFloat();
  FHeight = Reader.ReadFloat();
  FBj = Reader.ReadFloat();
  FBjEx = Reader.ReadFloat();
  FQj = Reader.ReadFloat();
  FZj = Reader.ReadFloat();
  FJd = Reader.ReadFloat();
  FJdEx = Reader.ReadFloat();
  FFixedBj = Reader.ReadBoolean();
}

void TCustomTadiao::WriteData(TWriter& Writer) {
  TCustomFigure::WriteData(Writer);
  WriteLabelFont(Writer, *FFont);
  Writer.WriteString(FText);
  Writer.WriteBoolean(FAutoCalText);
  Writer.WriteInteger(FTextAlign);
  Writer.WriteFloat(FPos);
  Writer.WriteFloat(FYd.x);
  Writer.WriteFloat(FYd.y);
  for (double v : {FWidthEx, FHeightEx, FWidth, FHeight, FBj, FBjEx, FQj, FZj, FJd, FJdEx}) Writer.WriteFloat(v);
  Writer.WriteBoolean(FFixedBj);
}

void TCustomTadiao::AssignTo(TPersistent& Dest) const {
  auto* d = dynamic_cast<TCustomTadiao*>(&Dest);
  if (!d) {
    TCustomFigure::AssignTo(Dest);
    return;
  }
  TChangingGuard guard(*d);
  d->FYd = FYd;
  d->FWidthEx = FWidthEx;
  d->FHeightEx = FHeightEx;
  d->FWidth = FWidth;
  d->FHeight = FHeight;
  d->FBj = FBj;
  d->FBjEx = FBjEx;
  d->FQj = FQj;
  d->FZj = FZj;
  d->FJd = FJd;
  d->FJdEx = FJdEx;
  d->FFixedBj = FFixedBj;
  d->FText = FText;
  d->FPos = FPos;
  d->FAutoCalText = FAutoCalText;
  d->FTextAlign = FTextAlign;
  d->FFont->Assign(*FFont);
  d->FPWLine = FPWLine;
  TCustomFigure::AssignTo(Dest);
}

// ---- geometry

Tpt TCustomTadiao::AtRadius(double AngleDeg) const { return Add(FYd, Dir(DegToRad(AngleDeg)), Radius()); }

Tpt TCustomTadiao::JibPt(double x, double y) const { return Add(FYd, protate({x, y}, DegToRad(FJdEx))); }

std::array<Tpt, 4> TCustomTadiao::MastCorners() const {
  const double w = GetScale() * FWidth / 2, h = GetScale() * FHeight / 2;
  return {Tpt{FYd.x - w, FYd.y - h}, Tpt{FYd.x + w, FYd.y - h}, Tpt{FYd.x + w, FYd.y + h}, Tpt{FYd.x - w, FYd.y + h}};
}

std::array<Tpt, 4> TCustomTadiao::BlockCorners() const {
  const double s = GetScale();
  const double inner = -s * (FBjEx - FHeightEx / 2), outer = -s * (FBjEx + FHeightEx / 2);
  const double y = s * FWidthEx / 2;
  return {JibPt(inner, y), JibPt(inner, -y), JibPt(outer, -y), JibPt(outer, y)};
}

double TCustomTadiao::ArcSweep() const {
  const double d = Norm360(FZj) - Norm360(FQj);
  return d < 0 ? d + 360 : d;
}

void TCustomTadiao::Refresh() {
  TWorkDbxbx e;
  e.lx = blArc;
  e.yx = FYd;
  e.bj = Radius();
  e.qd = AtRadius(FQj);
  e.zd = AtRadius(FZj);
  e.Direction = 1;
  wbxqdarccs(e);
  FPWLine.assign(1, e);
  TCustomFigure::Refresh();
}

void TCustomTadiao::CalcPositionRect(TRect& Rect) const {
  std::vector<Tpt> pts;
  for (Tpt p : MastCorners()) pts.push_back(p);
  for (Tpt p : BlockCorners()) pts.push_back(p);
  for (double a : {FJd, FJdEx, FQj, FZj}) pts.push_back(AtRadius(a));
  // The arc's extreme points: every multiple of 90 degrees its sweep passes.
  const double q = Norm360(FQj), sweep = ArcSweep();
  for (int k = 0; k < 4; ++k)
    if (Norm360(90.0 * k - q) <= sweep) pts.push_back(AtRadius(90.0 * k));
  double x0 = pts[0].x, x1 = x0, y0 = pts[0].y, y1 = y0;
  for (Tpt p : pts) {
    x0 = std::min(x0, p.x);
    x1 = std::max(x1, p.x);
    y0 = std::min(y0, p.y);
    y1 = std::max(y1, p.y);
  }
  // All four corners: under a turned parent two would not cover the crane.
  bool first = true;
  for (Tpt c : {Tpt{x0, y0}, Tpt{x1, y0}, Tpt{x1, y1}, Tpt{x0, y1}}) {
    const TPoint d = ptodp(xyTransLogPt(c.x, c.y));
    if (first) {
      Rect = {d.x, d.y, d.x, d.y};
      first = false;
      continue;
    }
    Rect.Left = std::min(Rect.Left, d.x);
    Rect.Top = std::min(Rect.Top, d.y);
    Rect.Right = std::max(Rect.Right, d.x);
    Rect.Bottom = std::max(Rect.Bottom, d.y);
  }
}

// ---- handles

void TCustomTadiao::GetHandle(int Index, TPoint& P) const {
  const double s = GetScale();
  Tpt p;
  switch (Index) {
    case 1: p = {FYd.x + s * FWidth / 2, FYd.y + s * FHeight / 2}; break;
    case 2: p = RadiusTip(); break;
    case 3: p = JibTip(); break;
    case 4: p = JibPt(-s * (FBjEx - FHeightEx / 2), s * FWidthEx / 2); break;
    case 5: p = JibPt(-s * FBjEx, 0); break;
    case 6: p = AtRadius(FQj); break;
    case 7: p = AtRadius(FZj); break;
    default: return;
  }
  P = ptodp(xyTransLogPt(p.x, p.y));
}

void TCustomTadiao::MoveHandleTo(int Index, TPoint P) {
  if (Index < 1 || Index > 7) return;
  const double s = GetScale();
  const Tpt p = xyTransAbsPt(P.x, P.y);
  const double angle = RadToDeg(ppjd(FYd, p));
  // The dragged point in the jib's frame.
  const Tpt v = protate(Sub(p, FYd), -DegToRad(FJdEx));
  switch (Index) {
    case 1:
      Change(*this, [&] {
        FWidth = 2 * std::abs(p.x - FYd.x) / s;
        FHeight = 2 * std::abs(p.y - FYd.y) / s;
      });
      break;
    case 2: Change(*this, [&] { FJd = angle; }); break;
    case 3: {
      const double r = Dist(FYd, p) / s;
      // A radius of nothing would stack four handles on the centre for good.
      if (!FFixedBj && !(r > 0)) return;
      Change(*this, [&] {
        FJdEx = angle;
        if (!FFixedBj) FBj = r;
      });
      break;
    }
    case 4: {
      // Only behind the mast, and the block keeps some depth.
      const double depth = 2 * (v.x / s + FBjEx);
      if (!(v.x < 0) || !(depth > 0)) return;
      Change(*this, [&] {
        FHeightEx = depth;
        FWidthEx = 2 * v.y / s;
      });
      break;
    }
    case 5: Change(*this, [&] { FBjEx = std::abs(v.x) / s; }); break;
    case 6: Change(*this, [&] { FQj = angle; }); break;
    case 7: Change(*this, [&] { FZj = angle; }); break;
  }
}

void TCustomTadiao::SetRefPoint(double X, double Y) {
  Change(*this, [&] { FYd = {X, Y}; });
}

void TCustomTadiao::MoveByOffset(double Dx, double Dy) { SetRefPoint(FYd.x + TransAbsV(Dx), FYd.y + TransAbsV(Dy)); }

// ---- painting

void TCustomTadiao::DrawStroke(TCanvas& Canvas, const Tpt* Points, int Count) {
  if (FPen.Style == psClear || Count < 2) return;
  const TLogFrame f = LogFrame();
  std::vector<TPoint> pts;
  for (int i = 0; i < Count; ++i) pts.push_back(ptodp(f.Map(Points[i])));
  StrokeStyled(Canvas, pts.data(), Count, FPen.Style);
}

void TCustomTadiao::PaintLabelAndRadius(TCanvas& Canvas) {
  const double R = Radius();
  const Tpt O = FYd, T = RadiusTip();
  if (FAutoCalText) FText = Format("%1.3f", TransUserV(R));
  if (FFont->FHeight < 0) FFont->FHeight = -FFont->FHeight;
  const COLORREF oldColor = Canvas.SetTextColor(FFont->FColor);
  const int oldMode = Canvas.SetBkMode(TRANSPARENT);
  const unsigned oldAlign = Canvas.SetTextAlign(TA_LEFT | TA_TOP);
  const TLogFont oldFont = Canvas.SelectFont(LabelFont(*this, Canvas, *FFont, FJd));

  const double h = FText.empty() ? 0 : TransAbsV(Canvas.GetTextExtentPoint(FText).cx) / 2;
  // The label must fit on both sides of FPos; a radius of nothing has no room.
  if (FText.empty() || !(R > 0) || h > (1 - FPos) * R || h > FPos * R) {
    DrawLine(O, T, Canvas);
  } else {
    const double c = TransAbsV(Canvas.GetTextExtentPoint("W").cy);
    const TBx line = pptobx(O, T);
    const Tpt P1 = ttod(FPos - h / R, line);
    // Its top-left corner one, half or no character height off the line, on the left.
    const double off = FTextAlign == 0 ? c : FTextAlign == 1 ? c / 2 : 0;
    const TPoint at = ptodp(xyTransLogPt(P1.x + off * std::cos(DegToRad(FJd) + Pi / 2),
                                         P1.y + off * std::sin(DegToRad(FJd) + Pi / 2)));
    Canvas.TextOut(at.x, at.y, FText);
    if (FTextAlign == 1) {
      DrawLine(O, P1, Canvas);
      DrawLine(ttod(FPos + h / R, line), T, Canvas);
    } else {
      DrawLine(O, T, Canvas);
    }
  }

  Canvas.SelectFont(oldFont);
  Canvas.SetTextAlign(oldAlign);
  Canvas.SetBkMode(oldMode);
  Canvas.SetTextColor(oldColor);
}

void TCustomTadiao::Paint(TShowPlace& ShowPlace) {
  TCanvas& cv = *ShowPlace.cvs;
  const TLogFrame f = LogFrame();
  PaintLabelAndRadius(cv);

  // The arrowhead is 10 drawing units long whatever the crane's own scale.
  const Tpt T = RadiusTip();
  const double L = 10 / GetAbsParentScale();
  const double a = DegToRad(FJd), spread = DegToRad(7);
  const Tpt a1 = Sub(T, Dir(a - spread), L), a2 = Sub(T, Dir(a + spread), L);
  const TPoint head[4] = {ptodp(f.Map(T)), ptodp(f.Map(a1)), ptodp(f.Map(a2)), ptodp(f.Map(T))};
  const TLogBrush oldBrush = cv.SelectBrush(CreateSolidBrush(FBrush.Color));
  cv.Polygon(head, 4);
  cv.SelectBrush(oldBrush);

  const std::array<Tpt, 4> m = MastCorners();
  const Tpt mast[5] = {m[0], m[1], m[2], m[3], m[0]};
  DrawStroke(cv, mast, 5);
  DrawLine(m[0], m[2], cv);
  DrawLine(m[1], m[3], cv);

  const std::array<Tpt, 4> b = BlockCorners();
  const TBx inner = pptobx(b[0], b[1]);
  DrawLine(JibTip(), ttod(1.0 / 3, inner), cv);
  DrawLine(JibTip(), ttod(2.0 / 3, inner), cv);
  const Tpt block[5] = {b[0], b[1], b[2], b[3], b[0]};
  DrawStroke(cv, block, 5);

  if (FPen.Style == psClear || FPWLine.empty()) return;
  std::vector<TPoint> pts;
  for (Tpt p : MltLineToWdd(FPWLine)) pts.push_back(ptodp(f.Map(p)));
  const int n = static_cast<int>(pts.size());
  if (n < 2) return;
  cv.BeginPath();
  switch (FPen.Style) {
    case psDash: DrawOwnLine(cv, pts.data(), n, 1, DashLine); break;
    case psDot: DrawOwnLine(cv, pts.data(), n, 1, DotLine); break;
    case psDashDot: DrawOwnLine(cv, pts.data(), n, 3, DashDotLine); break;
    case psDashDotDot: DrawOwnLine(cv, pts.data(), n, 5, DashDotDotLine); break;
    default: cv.Polyline(pts.data(), n); break;
  }
  cv.EndPath();
  cv.StrokePath();
}

// ---- hit test, snapping, mirror, explode

bool TCustomTadiao::Selected(Tpt P, double) const {
  TRect r;
  CalcPositionRect(r);
  const TPoint q = ptodp(P);
  return r.Left <= q.x && q.x <= r.Right && r.Top <= q.y && q.y <= r.Bottom;
}

bool TCustomTadiao::HitBounds(double, TDBox& Box) const {
  TRect r;
  CalcPositionRect(r);
  // One unit more for the rounding of the clicked point.
  Box = {r.Left - 1.0, r.Top - 1.0, r.Right + 1.0, r.Bottom + 1.0};
  return true;
}

bool TCustomTadiao::GetCapturePoint(Tpt& P, TPointLx& Kind, TFigureView* View, TPoint CursorPt,
                                    TPointLxSet KindSet) {
  if (View && View->IsSelected(this)) return false;
  auto near = [&](Tpt Local) { return NearPoint(Local, CursorPt, P); };
  const std::array<Tpt, 4> m = MastCorners();
  const std::array<Tpt, 4> b = BlockCorners();
  const Tpt O = FYd, T = RadiusTip();
  if (KindSet & PointLxBit(plEndPoint)) {
    for (Tpt p : {m[0], m[1], m[2], m[3], T, b[0], b[1], b[2], b[3]})
      if (near(p)) return Kind = plEndPoint, true;
  }
  if (KindSet & PointLxBit(plMidPoint)) {
    const TBx inner = pptobx(b[0], b[1]);
    // The middle of the arc's own sweep: halving FQj + FZj would give the
    // opposite side for an arc through 0 degrees.
    const Tpt arcMiddle = AtRadius(Norm360(FQj) + ArcSweep() / 2);
    for (Tpt p : {Mid(m[0], m[1]), Mid(m[1], m[2]), Mid(m[2], m[3]), Mid(m[3], m[0]), Mid(O, T),
                  ttod(1.0 / 6, inner), ttod(0.5, inner), ttod(5.0 / 6, inner), Mid(b[1], b[2]), Mid(b[2], b[3]),
                  Mid(b[3], b[0]), arcMiddle})
      if (near(p)) return Kind = plMidPoint, true;
  }
  if (KindSet & PointLxBit(plNearest)) {
    const Tpt cursor = dptop(CursorPt);
    for (int i = 0; i < 4; ++i)
      if (PointInLine(cursor, m[std::size_t(i)], m[std::size_t((i + 1) % 4)], P)) return Kind = plNearest, true;
    if (PointInLine(cursor, O, T, P)) return Kind = plNearest, true;
    const double q = Norm360(FQj);
    Tpt foot;
    if (PointInArc(xyTransAbsPt(cursor.x, cursor.y), O, foot, DegToRad(q), DegToRad(q + ArcSweep()), Radius())) {
      P = xyTransLogPt(foot.x, foot.y);
      return Kind = plNearest, true;
    }
  }
  return false;
}

void TCustomTadiao::FigureMirror(TBx Line) {
  // Angles turn into twice the mirror line's angle less themselves; the arc's
  // ends swap so that it still runs counter-clockwise over the mirrored side.
  const double a = 2 * RadToDeg(ppjd(Line.qd, Line.zd));
  FYd = Caldcp(FYd, Line);
  const double qj = FQj;
  FQj = a - FZj;
  FZj = a - qj;
  FJd = a - FJd;
  FJdEx = a - FJdEx;
  Modified();
}

void TCustomTadiao::Explode(TCustomFigureSet& Set) {
  FYd = ExplodePoint(FYd, Set);
  FScale *= Set.GetScale();
  // The set's turn goes into the angles, so jib, radius line and arc stay
  // where they were drawn (only the unturned mast cannot follow).
  FQj += Set.FXzJd;
  FZj += Set.FXzJd;
  FJd += Set.FXzJd;
  FJdEx += Set.FXzJd;
  Modified();
}

void TCustomTadiao::SetFont(const TMyFont& Font) {
  FFont->Assign(Font);
  FFont->FHeight /= GetScale();
  Modified();
}

PLANDECK_DEFINE_CLASS(TTxTadiao, TCustomTadiao)

std::unique_ptr<TDocItem> TTxTadiao::Clone() const {
  auto copy = std::make_unique<TTxTadiao>(FOwner);
  copy->Assign(*this);
  return copy;
}

void RegisterTowerCraneClasses() {
  RegisterClass(TTxTadiao::StaticClass());
  RegisterFamily({.Class = &TTxTadiao::StaticClass(),
                  .Action = "A_Tadiao",
                  .Tool = tkOnePoint,
                  .Font = [](TCustomFigure& f) { return static_cast<TCustomTadiao&>(f).FFont.get(); },
                  .SetFont = [](TCustomFigure& f, const TMyFont& font) { static_cast<TCustomTadiao&>(f).SetFont(font); },
                  .PaintIcon =
                      [](TIconSketch& s) {
                        s.Line(9, 22, 9, 4);
                        s.Line(3, 6, 22, 6);
                        s.Line(18, 6, 18, 14);
                      },
                  .Ops = FamilyOps<TTxTadiao>()});
}

// ---- property dialog's model

TTadiaoProperties GetTadiaoProperties(const TCustomTadiao& Crane) {
  TTadiaoProperties p;
  std::vector<std::string> path;
  Crane.GetIndexPath(path);
  p.Ident = path.back();
  p.PenColor = Crane.FPen.Color;
  p.PenStyle = Crane.FPen.Style;
  p.LineWidth = std::to_string(Crane.FPen.Width);
  p.LayerIndex = Crane.GetLayerIndex();
  Tpt u;
  Crane.TransUserPt(Crane.FYd, u);
  p.YdX = Format("%1.3f", u.x);
  p.YdY = Format("%1.3f", u.y);
  p.Bj = Format("%1.3f", Crane.TransUserV(Crane.Radius()));
  p.Text = Crane.FAutoCalText ? "<>" : Crane.FText;
  p.Pos = static_cast<int>(std::clamp(std::lround(Crane.FPos * 10), 0L, 10L));
  p.TextAlign = Crane.FTextAlign;
  p.FixedBj = Crane.FFixedBj;
  p.FontName = Crane.FFont->FName;
  p.FontColor = Crane.FFont->FColor;
  p.FontHeight = Crane.FFont->FHeight * Crane.FScale;
  p.FontStyle = Crane.FFont->FStyle;
  p.FontPixelsPerInch = Crane.FFont->FPixelsPerInch;
  return p;
}

void SetTadiaoProperties(TCustomTadiao& Crane, const TTadiaoProperties& Props) {
  Crane.Invalidate();
  {
    TChangingGuard guard(Crane);
    Crane.FPen.Color = Props.PenColor;
    if (Props.PenStyle >= psSolid && Props.PenStyle <= psInsideFrame)
      Crane.FPen.Style = static_cast<TPenStyle>(Props.PenStyle);
    Crane.FFixedBj = Props.FixedBj;
    Crane.FAutoCalText = Props.Text == "<>";
    if (!Crane.FAutoCalText) Crane.FText = Props.Text;
    Crane.FPos = std::clamp(Props.Pos, 0, 10) / 10.0;
    if (Props.TextAlign >= 0 && Props.TextAlign <= 2) Crane.FTextAlign = Props.TextAlign;
    Crane.FFont->FName = Props.FontName;
    Crane.FFont->FColor = Props.FontColor;
    Crane.FFont->FHeight = Props.FontHeight / Crane.FScale;
    Crane.FFont->FStyle = Props.FontStyle;
    Crane.FFont->FPixelsPerInch = Props.FontPixelsPerInch;
    [&] {
      int w = 0;
      if (!ParseInt(Props.LineWidth, w) || w < 0) return;
      Crane.FPen.Width = w;
      Tpt u;
      if (!ParseFloat(Props.YdX, u.x) || !ParseFloat(Props.YdY, u.y)) return;
      Crane.TransSysPt(u, Crane.FYd);
      double r = 0;
      // A radius must be above zero: the label and arc divide by it.
      if (!ParseFloat(Props.Bj, r) || !(r > 0)) return;
      Crane.FBj = Crane.TransSysV(r) / Crane.GetScale();
      if (Crane.FParent) Crane.FParent->ExchangeFigureLayer(&Crane, Crane.GetLayerIndex(), Props.LayerIndex);
    }();
  }
  Crane.Modified();
}
