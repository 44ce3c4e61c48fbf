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

// ---- dimension line

PLANDECK_DEFINE_ABSTRACT_CLASS(TCustomArrowLine, TCustomFigure)

TCustomArrowLine::TCustomArrowLine(TMyPersistent* AOwner)
    : TCustomFigure(AOwner), FJd(Pi / 12), FArrowLength(6), FFont(std::make_unique<TMyFont>()) {
  FClassNameDescription = "标注线";
}

TCustomArrowLine::~TCustomArrowLine() = default;

void TCustomArrowLine::ReadData(TReader& Reader) {
  TCustomFigure::ReadData(Reader);
  ReadLabelFont(Reader, *FFont);
  FJd = Reader.ReadFloat();
  FFillArrow = Reader.ReadBoolean();
  FArrowBz = Reader.ReadBoolean();
  FArrowLength = Reader.ReadFloat();
  FBzLineWidth = Reader.ReadInteger();
  ReadPt(Reader, FQd);
  ReadPt(Reader, FZd);
  const std::int32_t n = Reader.ReadInteger();
  if (n < 0) throw EStreamError(StreamMsg::InvalidPropertyValue);
  Reader.CheckCount(n);
  FBzLines.clear();
  for (std::int32_t i = 0; i < n; ++i) {
    TBzLineData s;
    s.Qd = Reader.ReadFloat();
    s.Zd = Reader.ReadFloat();
    s.QdL1 = Reader.ReadFloat();
    s.QdL2 = Reader.ReadFloat();
    s.ZdL1 = Reader.ReadFloat();
    s.ZdL2 = Reader.ReadFloat();
    s.Text = Reader.ReadString();
    s.AutoCalText = Reader.ReadBoolean();
    s.TextAlign = Reader.ReadInteger();
    s.Pos = Reader.ReadFloat();
    FBzLines.push_back(std::move(s));
  }
}

void TCustomArrowLine::WriteData(TWriter& Writer) {
  TCustomFigure::WriteData(Writer);
  WriteLabelFont(Writer, *FFont);
  Writer.WriteFloat(FJd);
  Writer.WriteBoolean(FFillArrow);
  Writer.WriteBoolean(FArrowBz);
  Writer.WriteFloat(FArrowLength);
  Writer.WriteInteger(FBzLineWidth);
  WritePt(Writer, FQd);
  WritePt(Writer, FZd);
  Writer.WriteInteger(static_cast<std::int32_t>(FBzLines.size()));
  for (const TBzLineData& s : FBzLines) {
    Writer.WriteFloat(s.Qd);
    Writer.WriteFloat(s.Zd);
    Writer.WriteFloat(s.QdL1);
    Writer.WriteFloat(s.QdL2);
    Writer.WriteFloat(s.ZdL1);
    Writer.WriteFloat(s.ZdL2);
    Writer.WriteString(s.Text);
    Writer.WriteBoolean(s.AutoCalText);
    Writer.WriteInteger(s.TextAlign);
    Writer.WriteFloat(s.Pos);
  }
}

void TCustomArrowLine::AssignTo(TPersistent& Dest) const {
  TCustomFigure::AssignTo(Dest);
  auto* d = dynamic_cast<TCustomArrowLine*>(&Dest);
  if (!d) return;
  d->FQd = FQd;
  d->FZd = FZd;
  d->FJd = FJd;
  d->FArrowLength = FArrowLength;
  d->FFillArrow = FFillArrow;
  d->FFont->Assign(*FFont);
  d->FBzLines = FBzLines;
  d->FArrowBz = FArrowBz;
  d->FBzLineWidth = FBzLineWidth;
}

Tpt TCustomArrowLine::PointAt(double t) const { return ttod(t, pptobx(FQd, FZd)); }

void TCustomArrowLine::CalcPositionRect(TRect& Rect) const {
  if (FBzLines.empty()) {
    Rect = TRect{};
    return;
  }
  double m = 0;
  for (const TBzLineData& s : FBzLines) m = std::max({m, s.QdL1, s.QdL2, s.ZdL1, s.ZdL2});
  Rect = LogBox(*this, {FQd, FZd});
  ExpandRect(Rect, Round(TransLogV(GetScale() * m)) + 1);
}

int TCustomArrowLine::GetHandleCount() const { return static_cast<int>(FBzLines.size()) + 1; }

void TCustomArrowLine::GetHandle(int Index, TPoint& P) const {
  if (Index < 1 || Index > GetHandleCount()) return;
  const Tpt p = Index == 1 ? FQd : PointAt(FBzLines[std::size_t(Index - 2)].Zd);
  P = ptodp(xyTransLogPt(p.x, p.y));
}

bool TCustomArrowLine::MoveQdTo(Tpt P) {
  if (FBzLines.empty()) return false;
  const double a = Dist(FQd, FZd);
  const double b = FBzLines.front().Zd;
  const double c = Dist(P, FZd);
  if (!(c >= (1 - b) * a) || !(c > 0)) return false;
  auto rescale = [&](double t) { return 1 - (1 - t) * a / c; };
  FQd = P;
  FBzLines.front().Zd = rescale(FBzLines.front().Zd);
  for (std::size_t i = 1; i < FBzLines.size(); ++i) {
    FBzLines[i].Qd = rescale(FBzLines[i].Qd);
    FBzLines[i].Zd = rescale(FBzLines[i].Zd);
  }
  SyncXzjd();
  return true;
}

bool TCustomArrowLine::MoveZdTo(Tpt P) {
  if (FBzLines.empty()) return false;
  const double a = Dist(FQd, FZd);
  const double b = FBzLines.back().Qd;
  const double c = Dist(FQd, P);
  if (!(c >= b * a) || !(c > 0)) return false;
  FZd = P;
  for (std::size_t i = 0; i < FBzLines.size(); ++i) {
    FBzLines[i].Qd *= a / c;
    if (i + 1 < FBzLines.size()) FBzLines[i].Zd *= a / c;
  }
  SyncXzjd();
  return true;
}

void TCustomArrowLine::MoveHandleTo(int Index, TPoint P) {
  const int count = GetHandleCount();
  if (Index < 1 || Index > count || FBzLines.empty()) return;
  const Tpt p = xyTransAbsPt(P.x, P.y);
  if (Index == 1 || Index == count) {
    Invalidate();
    bool moved = false;
    {
      TChangingGuard guard(*this);
      moved = Index == 1 ? MoveQdTo(p) : MoveZdTo(p);
    }
    if (moved) Modified();
    return;
  }
  double t = 0;
  CalPtLine(p, pptobx(FQd, FZd), t);
  TBzLineData& before = FBzLines[std::size_t(Index - 2)];
  TBzLineData& after = FBzLines[std::size_t(Index - 1)];
  if (!(before.Qd < t && t < after.Zd)) return;
  Change(*this, [&] {
    before.Zd = t;
    after.Qd = t;
  });
}

void TCustomArrowLine::MoveByOffset(double Dx, double Dy) {
  const Tpt d{TransAbsV(Dx), TransAbsV(Dy)};
  Change(*this, [&] {
    FQd = Add(FQd, d);
    FZd = Add(FZd, d);
  });
}

void TCustomArrowLine::SetXzjd(double Value) {
  if (Value == FXzJd) return;
  FZd = protateyd(FQd, FZd, DegToRad(Value - FXzJd));
  FXzJd = Value;
  Modified();
}

void TCustomArrowLine::SyncXzjd() {
  if (Dist(FQd, FZd) > 0) FXzJd = RadToDeg(ppjd(FQd, FZd));
}

void TCustomArrowLine::Paint(TShowPlace& ShowPlace) {
  TCanvas& cv = *ShowPlace.cvs;
  const COLORREF oldColor = cv.SetTextColor(FFont->FColor);
  const int oldMode = cv.SetBkMode(TRANSPARENT);
  const unsigned oldAlign = cv.SetTextAlign(TA_LEFT | TA_TOP);
  for (int i = 0; i < static_cast<int>(FBzLines.size()); ++i) DrawBzLine(ShowPlace, i);
  cv.SetTextAlign(oldAlign);
  cv.SetBkMode(oldMode);
  cv.SetTextColor(oldColor);
}

void TCustomArrowLine::DrawBzLine(TShowPlace& ShowPlace, int Index) {
  TCanvas& cv = *ShowPlace.cvs;
  TBzLineData& seg = FBzLines[std::size_t(Index)];
  const TLogFrame frame = LogFrame();
  auto map = [&](Tpt p) { return ptodp(frame.Map(p)); };

  const Tpt A = PointAt(seg.Qd), B = PointAt(seg.Zd);
  const double a = ppjd(A, B);

  const TLogFont oldFont = cv.SelectFont(LabelFont(*this, cv, *FFont, RadToDeg(a)));

  const double r = FArrowLength / GetAbsParentScale();
  Tpt a1, a2, b1, b2;
  if (FArrowBz) {
    a1 = Add(A, Dir(a + FJd), r);
    a2 = Add(A, Dir(a - FJd), r);
    b1 = Sub(B, Dir(a - FJd), r);
    b2 = Sub(B, Dir(a + FJd), r);
  } else {
    a1 = Add(A, Dir(a + FJd), r);
    a2 = Add(A, Dir(a + FJd + Pi), r);
    b1 = Add(B, Dir(a + FJd), r);
    b2 = Sub(B, Dir(a + FJd), r);
  }
  const double s = GetScale();
  const Tpt qe1 = Add(A, Dir(a + Pi / 2), s * seg.QdL1), qe2 = Add(A, Dir(a - Pi / 2), s * seg.QdL2);
  const Tpt ze1 = Add(B, Dir(a + Pi / 2), s * seg.ZdL1), ze2 = Add(B, Dir(a - Pi / 2), s * seg.ZdL2);

  const double len = Dist(A, B);
  if (seg.AutoCalText) seg.Text = Format("%1.3f", TransUserV(len));

  const double h = seg.Text.empty() ? 0 : TransAbsV(cv.GetTextExtentPoint(seg.Text).cx / 2.0);
  // A zero-length segment has no room for text (and no parameter for it).
  if (seg.Text.empty() || !(len > 0) || h > (1 - seg.Pos) * len || h > seg.Pos * len) {
    DrawLine(A, B, cv);
  } else {
    const double c = TransAbsV(cv.GetTextExtentPoint("W").cy);
    const TBx ab = pptobx(A, B);
    const Tpt P1 = ttod(seg.Pos - h / len, ab);
    const double off = seg.TextAlign == 0 ? c : seg.TextAlign == 1 ? c / 2 : 0;
    const TPoint o = map(Add(P1, Dir(a + Pi / 2), off));
    cv.TextOut(o.x, o.y, seg.Text);
    if (seg.TextAlign == 1) {
      DrawLine(A, P1, cv);
      DrawLine(ttod(seg.Pos + h / len, ab), B, cv);
    } else {
      DrawLine(A, B, cv);
    }
  }

  TLogPen pen;
  pen.Geometric = true;
  pen.EndCap = pecFlat;
  pen.Join = pjMiter;
  pen.Width = std::max(0, Round(FBzLineWidth * ShowPlace.Factor));
  pen.Color = FPen.Color;
  pen.Style = FPen.Style == psClear ? psClear : FPen.Style == psInsideFrame ? psInsideFrame : psSolid;
  const TLogPen oldPen = cv.SelectPen(pen);
  auto line = [&](Tpt p, Tpt q) {
    const TPoint d = map(p), e = map(q);
    cv.MoveToEx(d.x, d.y);
    cv.LineTo(e.x, e.y);
  };
  if (!FArrowBz) {
    line(a1, a2);
    line(b1, b2);
  } else if (FFillArrow) {
    const TLogBrush oldBrush = cv.SelectBrush(CreateSolidBrush(FPen.Color));
    const TPoint ta[4] = {map(A), map(a1), map(a2), map(A)};
    const TPoint tb[4] = {map(B), map(b1), map(b2), map(B)};
    cv.Polygon(ta, 4);
    cv.Polygon(tb, 4);
    cv.SelectBrush(oldBrush);
  } else {
    line(A, a1);
    line(A, a2);
    line(B, b1);
    line(B, b2);
  }
  // Shared ends are drawn once: the start only for the first segment.
  if (Index == 0) line(qe1, qe2);
  line(ze1, ze2);
  cv.SelectPen(oldPen);
  cv.SelectFont(oldFont);
}

void TCustomArrowLine::BackUpSelf() {
  TCustomFigureSet* top = FParent;
  while (top && top->FParent) top = top->FParent;
  auto* root = dynamic_cast<TTxFigureSet*>(top);
  if (!root) return;
  TMyList list;
  list.Add(this);
  root->BackUp(list, ovEdit);
}

bool TCustomArrowLine::RealTimeAddPoint(Tpt P, TFigureView*) {
  const Tpt p = xyTransAbsPt(P.x, P.y);
  const double t = dtot(p, pptobx(FQd, FZd));
  for (std::size_t i = 0; i < FBzLines.size(); ++i) {
    if (!(FBzLines[i].Qd < t && t < FBzLines[i].Zd)) continue;
    BackUpSelf();
    Change(*this, [&] {
      TBzLineData fresh, added;
      InitLineData(fresh);
      InitLineData(added);
      TBzLineData& old = FBzLines[i];
      added.Qd = t;
      added.Zd = old.Zd;
      added.ZdL1 = old.ZdL1;
      added.ZdL2 = old.ZdL2;
      old.Zd = t;
      old.ZdL1 = fresh.ZdL1;
      old.ZdL2 = fresh.ZdL2;
      FBzLines.insert(FBzLines.begin() + std::ptrdiff_t(i) + 1, std::move(added));
    });
    return true;
  }
  return false;
}

bool TCustomArrowLine::RealTimeDeletePoint(Tpt P, TFigureView*) {
  if (FBzLines.size() < 2) return false;
  auto logical = [&](double t) {
    const Tpt p = PointAt(t);
    return xyTransLogPt(p.x, p.y);
  };
  for (std::size_t i = 0; i < FBzLines.size(); ++i) {
    if (!ppjsxd(logical(FBzLines[i].Qd), P)) continue;
    BackUpSelf();
    Change(*this, [&] {
      if (i == 0) {
        // The start moves to the first junction; the rest keep their places.
        const Tpt q = PointAt(FBzLines[0].Zd);
        const double a = Dist(FQd, FZd), c = Dist(q, FZd);
        FBzLines.erase(FBzLines.begin());
        FQd = q;
        if (c > 0)
          for (TBzLineData& s : FBzLines) {
            s.Qd = 1 - (1 - s.Qd) * a / c;
            s.Zd = 1 - (1 - s.Zd) * a / c;
          }
        FBzLines.front().Qd = 0;
        SyncXzjd();
      } else {
        FBzLines[i - 1].Zd = FBzLines[i].Zd;
        FBzLines.erase(FBzLines.begin() + std::ptrdiff_t(i));
      }
    });
    return true;
  }
  if (ppjsxd(logical(1), P)) {
    BackUpSelf();
    Change(*this, [&] {
      const double b = FBzLines.back().Qd;
      FZd = PointAt(b);
      FBzLines.pop_back();
      if (b > 0)
        for (TBzLineData& s : FBzLines) {
          s.Qd /= b;
          s.Zd /= b;
        }
      FBzLines.back().Zd = 1;
      SyncXzjd();
    });
    return true;
  }
  return false;
}

bool TCustomArrowLine::Selected(Tpt P, double) const {
  // The pick distance does not follow the zoom.
  return pjjbx(xyTransAbsPt(P.x, P.y), pptobx(FQd, FZd), GetAbsParentScale());
}

bool TCustomArrowLine::HitBounds(double, TDBox& Box) const {
  return SegmentHitBounds(*this, FQd, FZd, GetAbsParentScale(), Box);
}

void TCustomArrowLine::Explode(TCustomFigureSet& Set) {
  FQd = ExplodePt(FQd, Set);
  FZd = ExplodePt(FZd, Set);
  FScale *= Set.GetScale();
  SyncXzjd();
  Modified();
}

void TCustomArrowLine::FigureMirror(TBx Line) {
  const double was = FXzJd;
  FQd = Caldcp(FQd, Line);
  FZd = Caldcp(FZd, Line);
  SyncXzjd();
  // The stored angle may lie outside one turn (SetXzjd keeps what it is
  // given): the mirrored one takes the turn nearest to it, so that
  // mirroring back gives the very angle again.
  if (Dist(FQd, FZd) > 0) FXzJd += 360 * std::round((was - FXzJd) / 360);
  Modified();
}

bool TCustomArrowLine::GetCapturePoint(Tpt& P, TPointLx& Kind, TFigureView* View, TPoint CursorPt,
                                       TPointLxSet KindSet) {
  if (View && View->IsSelected(this)) return false;
  const TSnapQuery q(*this, CursorPt);
  if (KindSet & PointLxBit(plEndPoint)) {
    for (const TBzLineData& s : FBzLines)
      if (q.Near(PointAt(s.Qd), P)) return Kind = plEndPoint, true;
    if (!FBzLines.empty() && q.Near(PointAt(FBzLines.back().Zd), P)) return Kind = plEndPoint, true;
  }
  if (KindSet & PointLxBit(plMidPoint)) {
    for (const TBzLineData& s : FBzLines)
      if (q.Near(PointAt((s.Qd + s.Zd) / 2), P)) return Kind = plMidPoint, true;
  }
  if ((KindSet & PointLxBit(plNearest)) && PointInLine(dptop(CursorPt), FQd, FZd, P))
    return Kind = plNearest, true;
  return false;
}

void TCustomArrowLine::SetQd(Tpt P) {
  FQd = xyTransAbsPt(P.x, P.y);
  FFont->FHeight /= GetAbsParentScale();
}

void TCustomArrowLine::SetZd(Tpt P) {
  Invalidate();
  FZd = xyTransAbsPt(P.x, P.y);
  FXzJd = RadToDeg(ppjd(FQd, FZd));
  if (FBzLines.empty()) {
    TBzLineData s;
    InitLineData(s);
    s.Qd = 0;
    s.Zd = 1;
    FBzLines.push_back(std::move(s));
  }
  Modified();
}

void TCustomArrowLine::SetFont(const TMyFont& Font) {
  FFont->Assign(Font);
  FFont->FHeight /= GetScale();
  Modified();
}

void TCustomArrowLine::SetJd(double Value) {
  FJd = Value;
  Modified();
}

void TCustomArrowLine::SetArrowLength(double Value) {
  FArrowLength = Value;
  Modified();
}

void TCustomArrowLine::SetBzLines(const std::vector<TBzLineData>& Lines) {
  FBzLines = Lines;
  Modified();
}

void TCustomArrowLine::InitLineData(TBzLineData& Segment) const {
  const double L = 10 / GetAbsParentScale() / GetScale();
  Segment.QdL1 = Segment.QdL2 = Segment.ZdL1 = Segment.ZdL2 = L;
  Segment.TextAlign = 1;
  Segment.AutoCalText = true;
  Segment.Pos = 0.5;
}

void TCustomArrowLine::OffSetToPoint(Tpt p1, Tpt p2, Tpt p3) {
  const double a = DegToRad(FXzJd);
  const TBx through = pjdtobx(p3, a);
  double t1 = 0, t2 = 0;
  const Tpt q = lljd(through, pjdtobx(p1, a + Pi / 2), t1, t2);
  // The perpendicular's parameter says on which side p3 lies.
  const double side = t2;
  const Tpt z = lljd(through, pjdtobx(p2, a + Pi / 2), t1, t2);
  Invalidate();
  {
    TChangingGuard guard(*this);
    FQd = q;
    FZd = z;
    if (FBzLines.empty()) {
      TBzLineData s;
      InitLineData(s);
      FBzLines.push_back(std::move(s));
    }
    const double r = Dist(p1, q) / GetScale();
    const double L = 10 / GetAbsParentScale() / GetScale();
    TBzLineData& s = FBzLines.front();
    if (side > 0) {
      s.QdL1 = L;
      s.QdL2 = r;
      s.ZdL1 = L;
      s.ZdL2 = r;
    } else {
      s.QdL1 = r;
      s.QdL2 = L;
      s.ZdL1 = r;
      s.ZdL2 = L;
    }
  }
  Modified();
}

void TCustomArrowLine::OrthoBz(Tpt p1, Tpt p2, bool Horizontal, Tpt p3) {
  if (Horizontal ? p1.x == p2.x : p1.y == p2.y) return;
  Invalidate();
  {
    TChangingGuard guard(*this);
    FQd = Horizontal ? Tpt{p1.x, p3.y} : Tpt{p3.x, p1.y};
    FZd = Horizontal ? Tpt{p2.x, p3.y} : Tpt{p3.x, p2.y};
    SyncXzjd();
    if (FBzLines.empty()) {
      TBzLineData s;
      InitLineData(s);
      FBzLines.push_back(std::move(s));
    }
    const double L = 10 / GetAbsParentScale() / GetScale();
    const double a = ppjd(FQd, FZd);
    // Each end: L away from its measured point, the distance to it towards it.
    auto ends = [&](Tpt end, Tpt measured, double& left, double& right) {
      const double d = Dist(end, measured) / GetScale();
      const Tpt v = Sub(measured, end);
      const bool onLeft = v.x * std::cos(a + Pi / 2) + v.y * std::sin(a + Pi / 2) > 0;
      left = onLeft ? d : L;
      right = onLeft ? L : d;
    };
    ends(FQd, p1, FBzLines.front().QdL1, FBzLines.front().QdL2);
    ends(FZd, p2, FBzLines.back().ZdL1, FBzLines.back().ZdL2);
  }
  Modified();
}

PLANDECK_DEFINE_CLASS(TArrowLine, TCustomArrowLine)

std::unique_ptr<TDocItem> TArrowLine::Clone() const {
  auto copy = std::make_unique<TArrowLine>(FOwner);
  copy->Assign(*this);
  return copy;
}

void RegisterDimensionLineClasses() {
  RegisterClass(TArrowLine::StaticClass());
  RegisterFamily({.Class = &TArrowLine::StaticClass(),
                  .Action = "A_BzLine",
                  .Tool = tkBzLine,
                  .OrthoOnClick = true,
                  .Font = [](TCustomFigure& f) { return static_cast<TCustomArrowLine&>(f).FFont.get(); },
                  .SetFont = [](TCustomFigure& f, const TMyFont& font) { static_cast<TCustomArrowLine&>(f).SetFont(font); },
                  .PaintIcon =
                      [](TIconSketch& s) {
                        s.Line(3, 6, 3, 20);
                        s.Line(21, 6, 21, 20);
                        SketchArrow(s, 12, 11, 3, 11);
                        SketchArrow(s, 12, 11, 21, 11);
                      },
                  .Ops = FamilyOps<TArrowLine>()});
}

// ---- property dialog's model

TArrowLineProperties GetArrowLineProperties(const TCustomArrowLine& Line) {
  TArrowLineProperties p;
  FillCommon(Line, p);
  p.FillArrow = Line.FFillArrow;
  p.ArrowBz = Line.FArrowBz;
  p.BzLineWidth = std::to_string(Line.FBzLineWidth);
  p.ArrowLength = UserLen(Line, Line.FArrowLength);
  p.ArrowJd = Format("%1.1f", RadToDeg(Line.FJd));
  p.Xzjd = Format("%1.1f", Line.FXzJd);
  p.FontName = Line.FFont->FName;
  p.FontColor = Line.FFont->FColor;
  p.FontHeight = Line.FFont->FHeight * Line.FScale;
  p.FontStyle = Line.FFont->FStyle;
  p.FontPixelsPerInch = Line.FFont->FPixelsPerInch;
  return p;
}

void SetArrowLineProperties(TCustomArrowLine& Line, const TCustomArrowLine& Clone,
                            const TArrowLineProperties& Props) {
  Line.Invalidate();
  {
    TChangingGuard guard(Line);
    Line.Assign(Clone);
    Line.FFont->FName = Props.FontName;
    Line.FFont->FColor = Props.FontColor;
    Line.FFont->FHeight = Props.FontHeight / Line.FScale;
    Line.FFont->FStyle = Props.FontStyle;
    Line.FFont->FPixelsPerInch = Props.FontPixelsPerInch;
    ApplyPen(Line, Props);
    Line.FFillArrow = Props.FillArrow;
    Line.FArrowBz = Props.ArrowBz;
    [&] {
      double v = 0;
      int w = 0;
      if (!ParseInt(Props.BzLineWidth, w) || w <= 0) return;
      Line.FBzLineWidth = w;
      if (!ApplyLineWidth(Line, Props)) return;
      if (!SysLen(Line, Props.ArrowLength, v)) return;
      Line.FArrowLength = v;
      if (!ParseFloat(Props.ArrowJd, v)) return;
      Line.FJd = DegToRad(v);
      ApplyLayer(Line, Props);
    }();
  }
  Line.Modified();
}

void ChooseArrowBz(TArrowLineProperties& Props, bool ArrowBz) {
  Props.ArrowBz = ArrowBz;
  Props.ArrowJd = ArrowBz ? "10" : "45";
  Props.BzLineWidth = ArrowBz ? "1" : "2";
}

void SetBzLineText(TBzLineData& Segment, const std::string& Text) {
  const bool automatic = Text.size() == 2 && Text[0] == '<' && Text[1] == '>';
  Segment.AutoCalText = automatic;
  if (!automatic) Segment.Text = Text;
}

std::string BzLineCaption(int Index) { return "第 " + std::to_string(Index + 1) + " 段标注"; }

std::string BzLineCountCaption(const TCustomArrowLine& Line) {
  return "共有 " + std::to_string(Line.FBzLines.size()) + " 条标注线";
}

void BzLineEnds(const TCustomArrowLine& Line, int Index, std::string& QdX, std::string& QdY, std::string& ZdX,
                std::string& ZdY) {
  if (Index < 0 || Index >= static_cast<int>(Line.FBzLines.size())) return;
  const TBzLineData& s = Line.FBzLines[std::size_t(Index)];
  std::string x, y;
  UserPt(Line, Line.PointAt(s.Qd), x, y);
  QdX = "X: " + x;
  QdY = "Y: " + y;
  UserPt(Line, Line.PointAt(s.Zd), x, y);
  ZdX = "X: " + x;
  ZdY = "Y: " + y;
}

