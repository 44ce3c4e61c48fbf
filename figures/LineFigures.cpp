#include "figures/LineFigures.h"

#include "figures/CodeVersion.h"
#include "figures/FigureSet.h"
#include "figures/FigureText.h"
#include "figures/LabelFont.h"
#include "foundation/StreamError.h"
#include "foundation/ValueStream.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <numbers>

namespace {

constexpr double Pi = std::numbers::pi;

// Only the strokes near the clip box are drawn, so a line's length does not
// decide the work; a damaged spacing still must not make the count overflow,
// and more visible strokes than this would paint a solid band anyway.
constexpr std::int64_t kMaxStrokes = 1'000'000'000'000'000;
constexpr std::int64_t kMaxVisibleStrokes = 100000;

double DegToRad(double Deg) { return Deg * Pi / 180.0; }
double RadToDeg(double Rad) { return Rad * 180.0 / Pi; }

Tpt Dir(double a) { return {std::cos(a), std::sin(a)}; }
Tpt Add(Tpt p, Tpt v, double k = 1) { return {p.x + k * v.x, p.y + k * v.y}; }
Tpt Sub(Tpt p, Tpt v, double k = 1) { return {p.x - k * v.x, p.y - k * v.y}; }
Tpt Mid(Tpt a, Tpt b) { return {(a.x + b.x) / 2, (a.y + b.y) / 2}; }
double Dist(Tpt a, Tpt b) { return std::hypot(b.x - a.x, b.y - a.y); }

std::int32_t Round(double v) { return ptodp({v, 0}).x; }

// Strokes the dimension and edge lines draw for a length and a spacing;
// none for a spacing that is not above zero.
std::int64_t StrokeCount(double Length, double Spacing) {
  if (!(Spacing > 0) || !(Length > 0)) return 0;
  const double n = std::nearbyint(Length / Spacing);
  if (!(n > 0)) return 0;
  return n > double(kMaxStrokes) ? kMaxStrokes : std::int64_t(n);
}

double NormAngle(double a) {
  a = std::fmod(a, 2 * Pi);
  return a < 0 ? a + 2 * Pi : a;
}

// The ranges of stroke indices j in [0, N) whose point C + R * Dir(Start +/- j * Step)
// (logical) lies in the canvas's clip box grown by Margin, ascending and disjoint.
std::vector<std::pair<std::int64_t, std::int64_t>> VisibleArcSteps(const TCanvas& Canvas, Tpt C, double R,
                                                                   double Start, double Step, bool Ccw,
                                                                   std::int64_t N, double Margin) {
  std::vector<std::pair<std::int64_t, std::int64_t>> out;
  TRect box;
  if (N <= 0 || !(R > 0) || !(Step > 0) || Canvas.GetClipBox(box) == NULLREGION) return out;
  const double lo[2] = {double(box.Left) - Margin, double(box.Top) - Margin};
  const double hi[2] = {double(box.Right) + Margin, double(box.Bottom) + Margin};
  // Where the circle crosses the box's four lines cuts it into arcs wholly in or out.
  std::vector<double> cuts{0, 2 * Pi};
  for (double v : {lo[0], hi[0]})
    if (std::abs(v - C.x) < R) {
      const double a = std::acos((v - C.x) / R);
      cuts.insert(cuts.end(), {a, 2 * Pi - a});
    }
  for (double v : {lo[1], hi[1]})
    if (std::abs(v - C.y) < R) {
      const double a = std::asin((v - C.y) / R);
      cuts.insert(cuts.end(), {NormAngle(a), NormAngle(Pi - a)});
    }
  std::sort(cuts.begin(), cuts.end());
  for (std::size_t k = 0; k + 1 < cuts.size(); ++k) {
    const double a = cuts[k], b = cuts[k + 1];
    if (!(b > a)) continue;
    const Tpt m = Add(C, Dir((a + b) / 2), R);
    if (m.x < lo[0] || m.x > hi[0] || m.y < lo[1] || m.y > hi[1]) continue;
    const double o = Ccw ? NormAngle(a - Start) : NormAngle(Start - b);
    for (double shift : {-2 * Pi, 0.0, 2 * Pi}) {
      const double from = (o + shift) / Step, to = (o + shift + (b - a)) / Step;
      if (to < 0 || from > double(N)) continue;
      const std::int64_t j0 = std::max<std::int64_t>(0, std::int64_t(std::ceil(from)) - 1);
      const std::int64_t j1 = std::min<std::int64_t>(N - 1, std::int64_t(std::floor(to)) + 1);
      if (j0 <= j1) out.push_back({j0, j1});
    }
  }
  std::sort(out.begin(), out.end());
  std::vector<std::pair<std::int64_t, std::int64_t>> merged;
  for (auto r : out) {
    if (!merged.empty() && r.first <= merged.back().second + 1)
      merged.back().second = std::max(merged.back().second, r.second);
    else
      merged.push_back(r);
  }
  return merged;
}

// Block explode: Set's frame into Set's parent frame.
Tpt ExplodePt(Tpt p, const TCustomFigureSet& Set) { return ExplodePoint(p, Set); }

// A length, spacing or count: refused unless above zero.
bool ParsePositive(std::string_view s, double& Value) { return ParseFloat(s, Value) && Value > 0; }

std::string IdentOf(const TDocItem& Item) {
  std::vector<std::string> path;
  Item.GetIndexPath(path);
  return path.back();
}

// A geometric edit under the change protocol: the old area is invalidated,
// the change is made under FChanging, then Modified.
template <class Fn>
void Change(TCustomFigure& F, Fn&& Do) {
  F.Invalidate();
  {
    TChangingGuard guard(F);
    Do();
  }
  F.Modified();
}

void ReadPt(TReader& Reader, Tpt& P) {
  P.x = Reader.ReadFloat();
  P.y = Reader.ReadFloat();
}

void WritePt(TWriter& Writer, Tpt P) {
  Writer.WriteFloat(P.x);
  Writer.WriteFloat(P.y);
}

// The figure's bounding box in logical units around the given local points.
TRect LogBox(const TCustomFigure& F, std::initializer_list<Tpt> Points) {
  bool first = true;
  TRect r;
  for (Tpt p : Points) {
    const TPoint d = ptodp(F.xyTransLogPt(p.x, p.y));
    if (first) {
      r = {d.x, d.y, d.x, d.y};
      first = false;
    } else {
      r.Left = std::min(r.Left, d.x);
      r.Top = std::min(r.Top, d.y);
      r.Right = std::max(r.Right, d.x);
      r.Bottom = std::max(r.Bottom, d.y);
    }
  }
  return r;
}

void FillCommon(const TCustomFigure& F, TLineCommonProperties& P) {
  P.Ident = IdentOf(F);
  P.PenColor = F.FPen.Color;
  P.PenStyle = F.FPen.Style;
  P.LineWidth = std::to_string(F.FPen.Width);
  P.LayerIndex = F.GetLayerIndex();
}

void ApplyPen(TCustomFigure& F, const TLineCommonProperties& P) {
  F.FPen.Color = P.PenColor;
  if (P.PenStyle >= psSolid && P.PenStyle <= psInsideFrame) F.FPen.Style = static_cast<TPenStyle>(P.PenStyle);
}

bool ApplyLineWidth(TCustomFigure& F, const TLineCommonProperties& P) {
  int w = 0;
  if (!ParseInt(P.LineWidth, w) || w < 0) return false;
  F.FPen.Width = w;
  return true;
}

void ApplyLayer(TCustomFigure& F, const TLineCommonProperties& P) {
  if (F.FParent) F.FParent->ExchangeFigureLayer(&F, F.GetLayerIndex(), P.LayerIndex);
}

void UserPt(const TCustomFigure& F, Tpt P, std::string& X, std::string& Y) {
  Tpt q;
  F.TransUserPt(P, q);
  X = Format("%1.3f", q.x);
  Y = Format("%1.3f", q.y);
}

bool SysPt(const TCustomFigure& F, const std::string& X, const std::string& Y, Tpt& P) {
  Tpt u;
  if (!ParseFloat(X, u.x) || !ParseFloat(Y, u.y)) return false;
  F.TransSysPt(u, P);
  return true;
}

// A local length as the dialogs show it, and back.
std::string UserLen(const TCustomFigure& F, double V) { return Format("%1.3f", F.TransUserV(F.GetScale() * V)); }
bool SysLen(const TCustomFigure& F, const std::string& S, double& V) {
  double u = 0;
  if (!ParsePositive(S, u)) return false;
  V = F.TransSysV(u) / F.GetScale();
  return true;
}

}  // namespace

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

namespace {

// Where pjjbx(P, segment A-B, ShowScale) can be true, as a logical box: the
// pick distance round the segment, and the thin ellipse of pinbx.
bool SegmentHitBounds(const TCustomFigure& F, Tpt A, Tpt B, double ShowScale, TDBox& Box) {
  if (!(ShowScale > 0)) return false;
  const double len = Dist(A, B);
  const double reach = std::max(PickPixels / ShowScale, std::sqrt(len * EPS / 2 + EPS * EPS)) + EPS;
  const Tpt a = F.xyTransLogPt(A.x, A.y), b = F.xyTransLogPt(B.x, B.y);
  // Mapping keeps distances up to the scale; one unit more for rounding.
  const double r = reach * F.GetAbsParentScale() + 1;
  Box = {std::min(a.x, b.x) - r, std::min(a.y, b.y) - r, std::max(a.x, b.x) + r, std::max(a.y, b.y) + r};
  return std::isfinite(r);
}

}  // namespace

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

namespace {

// Snapping shared by the three figures: end points, then midpoints, then
// the arc centre, then the nearest point on the line (or arc). Points are
// local; the answer is logical.
struct TSnapQuery {
  const TCustomFigure& F;
  TPoint Cursor;

  TSnapQuery(const TCustomFigure& Figure, TPoint CursorPt) : F(Figure), Cursor(CursorPt) {}

  bool Near(Tpt Local, Tpt& P) const { return F.NearPoint(Local, Cursor, P); }
};

}  // namespace

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
  FQd = Caldcp(FQd, Line);
  FZd = Caldcp(FZd, Line);
  SyncXzjd();
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

// ---- edge line

PLANDECK_DEFINE_ABSTRACT_CLASS(TCustomConstructionLine, TCustomFigure)

TCustomConstructionLine::TCustomConstructionLine(TMyPersistent* AOwner) : TCustomFigure(AOwner), FJd(Pi / 4) {
  FClassNameDescription = "边缘线";
}

void TCustomConstructionLine::ReadData(TReader& Reader) {
  TCustomFigure::ReadData(Reader);
  ReadPt(Reader, FQd);
  ReadPt(Reader, FZd);
  FJd = Reader.ReadFloat();
  FLength1 = Reader.ReadFloat();
  FLength2 = Reader.ReadFloat();
  FGap = Reader.ReadFloat();
  ReadPt(Reader, FYx);
  FBj = Reader.ReadFloat();
  FLx = Reader.ReadInteger() == blArc ? blArc : blLine;
  FDirection = Reader.ReadInteger();
}

void TCustomConstructionLine::WriteData(TWriter& Writer) {
  TCustomFigure::WriteData(Writer);
  WritePt(Writer, FQd);
  WritePt(Writer, FZd);
  Writer.WriteFloat(FJd);
  Writer.WriteFloat(FLength1);
  Writer.WriteFloat(FLength2);
  Writer.WriteFloat(FGap);
  WritePt(Writer, FYx);
  Writer.WriteFloat(FBj);
  Writer.WriteInteger(FLx);
  Writer.WriteInteger(FDirection);
}

void TCustomConstructionLine::AssignTo(TPersistent& Dest) const {
  TCustomFigure::AssignTo(Dest);
  auto* d = dynamic_cast<TCustomConstructionLine*>(&Dest);
  if (!d) return;
  d->FQd = FQd;
  d->FZd = FZd;
  d->FJd = FJd;
  d->FLength1 = FLength1;
  d->FLength2 = FLength2;
  d->FGap = FGap;
  d->FYx = FYx;
  d->FBj = FBj;
  d->FLx = FLx;
  d->FDirection = FDirection;
  d->FPWLine = FPWLine;
}

double TCustomConstructionLine::GetSumjd() const {
  const double a = ppjd(FYx, FQd), b = ppjd(FYx, FZd);
  if (FDirection != 0) return a <= b ? b - a : 2 * Pi - (a - b);
  // Ends at one direction sweep nothing in either sense.
  return a < b ? a + 2 * Pi - b : a - b;
}

bool TCustomConstructionLine::IsArcForm() const {
  return FLx == blArc && Dist(FQd, FZd) / 2 <= GetScale() * FBj;
}

void TCustomConstructionLine::Refresh() {
  FPWLine.clear();
  if (FLx == blArc) {
    const double R = GetScale() * FBj;
    Tpt y1, y2;
    if (bxbjqyx(pptobx(FQd, FZd), R, y1, y2)) FYx = Dist(y1, FYx) <= Dist(y2, FYx) ? y1 : y2;
    TWorkDbxbx e;
    e.lx = blArc;
    e.qd = Add(FYx, Dir(ppjd(FYx, FQd)), R);
    e.zd = Add(FYx, Dir(ppjd(FYx, FZd)), R);
    e.yx = FYx;
    e.bj = R;
    e.Direction = FDirection;
    wbxqdarccs(e);
    FPWLine.push_back(e);
  }
  TCustomFigure::Refresh();
}

Tpt TCustomConstructionLine::MiddlePoint() const {
  if (!IsArcForm()) return Mid(FQd, FZd);
  const double q = ppjd(FYx, FQd);
  const double half = GetSumjd() / 2;
  return Add(FYx, Dir(FDirection != 0 ? q + half : q - half), GetScale() * FBj);
}

void TCustomConstructionLine::CalcPositionRect(TRect& Rect) const {
  if (IsArcForm() && !FPWLine.empty()) {
    Rect = LogBox(*this, {FQd, FZd});
    for (Tpt p : MltLineToWdd(FPWLine)) {
      const TPoint d = ptodp(xyTransLogPt(p.x, p.y));
      Rect.Left = std::min(Rect.Left, d.x);
      Rect.Top = std::min(Rect.Top, d.y);
      Rect.Right = std::max(Rect.Right, d.x);
      Rect.Bottom = std::max(Rect.Bottom, d.y);
    }
  } else {
    Rect = LogBox(*this, {FQd, FZd});
  }
  // The strokes stand out from the line by at most their longer length.
  const double m = std::max(std::abs(FLength1), std::abs(FLength2)) * GetScale();
  ExpandRect(Rect, Round(std::min(TransLogV(m), 1e6)) + FPen.Width + 1);
}

void TCustomConstructionLine::GetHandle(int Index, TPoint& P) const {
  const Tpt p = Index == 1 ? FQd : Index == 2 ? FZd : MiddlePoint();
  P = ptodp(xyTransLogPt(p.x, p.y));
}

void TCustomConstructionLine::MoveHandleTo(int Index, TPoint P) {
  const Tpt p = xyTransAbsPt(P.x, P.y);
  if (Index == 1 || Index == 2) {
    Tpt e = p;
    // An arc's ends stay on its circle. (The view keeps the cursor where it is.)
    if (IsArcForm()) e = Add(FYx, Dir(ppjd(FYx, p)), GetScale() * FBj);
    Change(*this, [&] { (Index == 1 ? FQd : FZd) = e; });
    return;
  }
  if (Index != 3 || FLx != blArc) return;
  const Tpt p0 = FQd, p1 = p, p2 = FZd;
  const double g = 2 * ((p2.y - p1.y) * p0.x + (p1.y - p0.y) * p2.x + (p0.y - p2.y) * p1.x);
  const double h = 2 * (p0.y * (p2.x - p1.x) + p2.y * (p1.x - p0.x) + p1.y * (p0.x - p2.x));
  if (std::abs(g) <= 1e-7 || std::abs(h) <= 1e-7) return;
  const double L0 = p0.x * p0.x + p0.y * p0.y, L1 = p1.x * p1.x + p1.y * p1.y, L2 = p2.x * p2.x + p2.y * p2.y;
  const Tpt c{(L0 * (p2.y - p1.y) + L2 * (p1.y - p0.y) + L1 * (p0.y - p2.y)) / g,
              (L0 * (p2.x - p1.x) + L2 * (p1.x - p0.x) + L1 * (p0.x - p2.x)) / h};
  const double a0 = ppjd(c, p0), a1 = ppjd(c, p1), a2 = ppjd(c, p2);
  const bool ccw = a2 >= a0 ? (a0 < a1 && a1 < a2) : (a1 >= a0 || a1 <= a2);
  Change(*this, [&] {
    FYx = c;
    FBj = Dist(p0, c) / GetScale();
    FDirection = ccw ? 1 : 0;
  });
}

void TCustomConstructionLine::MoveByOffset(double Dx, double Dy) {
  const Tpt d{TransAbsV(Dx), TransAbsV(Dy)};
  const Tpt r{std::nearbyint(d.x), std::nearbyint(d.y)};
  Change(*this, [&] {
    FQd = Add(FQd, r);
    FZd = Add(FZd, r);
    if (FLx == blArc) FYx = Add(FYx, d);
  });
}

void TCustomConstructionLine::Paint(TShowPlace& ShowPlace) {
  if (FPen.Style == psClear) return;
  TCanvas& cv = *ShowPlace.cvs;
  if (!IsArcForm() || FPWLine.empty()) {
    PaintLine(cv);
    return;
  }
  const TLogFrame f = LogFrame();
  std::vector<TPoint> pts;
  for (Tpt p : MltLineToWdd(FPWLine)) pts.push_back(ptodp(f.Map(p)));
  const int n = static_cast<int>(pts.size());
  StrokeStyled(cv, pts.data(), n, FPen.Style);

  const double R = GetScale() * FBj;
  const double q = ppjd(FYx, FQd);
  const std::int64_t strokes = FBj > 0 ? StrokeCount(GetSumjd() * FBj, FGap) : 0;
  const double reach = f.s * GetScale() * std::max(std::abs(FLength1), std::abs(FLength2)) + StrokeMargin(cv);
  const double turn = std::atan2(f.sn, f.c);
  std::int64_t drawn = 0;
  for (auto [from, to] : VisibleArcSteps(cv, f.Map(FYx), f.s * R, q + turn, FGap / FBj, FDirection != 0, strokes,
                                         reach)) {
    for (std::int64_t j = from; j <= to && drawn < kMaxVisibleStrokes; ++j, ++drawn) {
      const double step = double(j) * FGap / FBj;
      const double t = FDirection == 0 ? q - step : q + step;
      const Tpt base = Add(FYx, Dir(t), R);
      const double d = FDirection != 1 ? FJd + t - Pi / 2 : FJd + t + Pi / 2;
      DrawLine(base, Add(base, Dir(d), GetScale() * (j % 2 ? FLength2 : FLength1)), cv);
    }
  }
}

void TCustomConstructionLine::PaintLine(TCanvas& Canvas) {
  DrawLine(FQd, FZd, Canvas);
  const double len = Dist(FQd, FZd);
  const double a = ppjd(FQd, FZd) + FJd;
  const std::int64_t n = StrokeCount(len, GetScale() * FGap);
  if (n == 0) return;
  const TLogFrame f = LogFrame();
  const double reach = f.s * GetScale() * std::max(std::abs(FLength1), std::abs(FLength2)) + StrokeMargin(Canvas);
  double u0 = 0, u1 = 0;
  if (!VisibleSpan(Canvas, f.Map(FQd), f.Map(FZd), reach, u0, u1)) return;
  const double du = GetScale() * FGap / len;  // the line's share between two strokes
  const std::int64_t first = std::max<std::int64_t>(0, std::int64_t(std::floor(u0 / du)) - 1);
  const std::int64_t last = std::min<std::int64_t>(n - 1, std::int64_t(std::ceil(u1 / du)) + 1);
  for (std::int64_t i = first; i <= last && i - first < kMaxVisibleStrokes; ++i) {
    const Tpt base = ttod(GetScale() * double(i) * FGap / len, pptobx(FQd, FZd));
    DrawLine(base, Add(base, Dir(a), GetScale() * (i % 2 ? FLength2 : FLength1)), Canvas);
  }
}

bool TCustomConstructionLine::Selected(Tpt P, double Factor) const {
  const Tpt p = xyTransAbsPt(P.x, P.y);
  if (!IsArcForm()) return pjjbx(p, pptobx(FQd, FZd), Factor);
  const double aj = ppjd(FYx, p), aqj = ppjd(FYx, FQd), azj = ppjd(FYx, FZd);
  const bool ccw = FDirection != 0;
  bool inSweep;
  if (azj < aqj)
    inSweep = ccw ? (aj < azj || aj > aqj) : (azj < aj && aj < aqj);
  else
    inSweep = ccw ? (aqj < aj && aj < azj) : (aj < aqj || aj > azj);
  if (!inSweep) return false;
  const double t = std::max(TransAbsV(FPen.Width * Factor) / 2, 10.0);
  return std::abs(Dist(p, FYx) - GetScale() * FBj) < t;
}

bool TCustomConstructionLine::HitBounds(double Factor, TDBox& Box) const {
  if (!IsArcForm()) return SegmentHitBounds(*this, FQd, FZd, Factor, Box);
  // Within t of the circle: inside the circle's square grown by t.
  const double t = std::max(TransAbsV(FPen.Width * Factor) / 2, 10.0);
  const double r = (std::abs(GetScale() * FBj) + t) * GetAbsParentScale() + 1;
  const Tpt c = xyTransLogPt(FYx.x, FYx.y);
  Box = {c.x - r, c.y - r, c.x + r, c.y + r};
  return std::isfinite(r);
}

void TCustomConstructionLine::CreateByRefPoint(std::span<const Tpt> Points) {
  if (Points.size() < 2) return;
  FQd = Points[0];
  FZd = Points[1];
  const double s = GetAbsParentScale();
  FLength1 /= s;
  FLength2 /= s;
  FGap /= s;
  Modified();
}

void TCustomConstructionLine::Explode(TCustomFigureSet& Set) {
  FQd = ExplodePt(FQd, Set);
  FZd = ExplodePt(FZd, Set);
  FYx = ExplodePt(FYx, Set);
  FScale *= Set.GetScale();
  Modified();
}

void TCustomConstructionLine::FigureMirror(TBx Line) {
  FQd = Caldcp(FQd, Line);
  FZd = Caldcp(FZd, Line);
  FYx = Caldcp(FYx, Line);
  // A mirror turns the sense: without this the other part of the circle is drawn.
  if (FLx == blArc) FDirection = FDirection != 0 ? 0 : 1;
  Modified();
}

bool TCustomConstructionLine::GetCapturePoint(Tpt& P, TPointLx& Kind, TFigureView* View, TPoint CursorPt,
                                              TPointLxSet KindSet) {
  if (View && View->IsSelected(this)) return false;
  const TSnapQuery q(*this, CursorPt);
  const bool arc = IsArcForm();
  if (KindSet & PointLxBit(plEndPoint)) {
    for (Tpt e : {FQd, FZd})
      if (q.Near(e, P)) return Kind = plEndPoint, true;
  }
  if ((KindSet & PointLxBit(plMidPoint)) && q.Near(MiddlePoint(), P)) return Kind = plMidPoint, true;
  if (arc && (KindSet & PointLxBit(plCenter)) && q.Near(FYx, P)) return Kind = plCenter, true;
  if (KindSet & PointLxBit(plNearest)) {
    if (!arc) {
      if (PointInLine(dptop(CursorPt), FQd, FZd, P)) return Kind = plNearest, true;
    } else {
      const double aq = ppjd(FYx, FQd), az = ppjd(FYx, FZd);
      const Tpt c = xyTransAbsPt(CursorPt.x, CursorPt.y);
      Tpt foot;
      if (PointInArc(c, FYx, foot, FDirection != 0 ? aq : az, FDirection != 0 ? az : aq, GetScale() * FBj)) {
        P = xyTransLogPt(foot.x, foot.y);
        return Kind = plNearest, true;
      }
    }
  }
  return false;
}

void TCustomConstructionLine::SetQd(Tpt P) {
  FQd = P;
  Modified();
}

void TCustomConstructionLine::SetZd(Tpt P) {
  FZd = P;
  Modified();
}

PLANDECK_DEFINE_CLASS(TConstructionLine, TCustomConstructionLine)

std::unique_ptr<TDocItem> TConstructionLine::Clone() const {
  auto copy = std::make_unique<TConstructionLine>(FOwner);
  copy->Assign(*this);
  return copy;
}

void RegisterLineFigureClasses() {
  RegisterClass(TTxLine::StaticClass());
  RegisterClass(TArrowLine::StaticClass());
  RegisterClass(TConstructionLine::StaticClass());
}

// ---- property dialogs' model

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

TConstructionLineProperties GetConstructionLineProperties(const TCustomConstructionLine& Line) {
  TConstructionLineProperties p;
  FillCommon(Line, p);
  UserPt(Line, Line.FQd, p.QdX, p.QdY);
  UserPt(Line, Line.FZd, p.ZdX, p.ZdY);
  p.Length1 = UserLen(Line, Line.FLength1);
  p.Length2 = UserLen(Line, Line.FLength2);
  p.Gap = UserLen(Line, Line.FGap);
  p.LineJd = Format("%1.1f", RadToDeg(Line.FJd));
  p.Arc = Line.FLx == blArc;
  if (p.Arc) p.Bj = UserLen(Line, Line.FBj);
  p.Direction = Line.FDirection;
  return p;
}

void SetConstructionLineProperties(TCustomConstructionLine& Line, const TConstructionLineProperties& Props) {
  Line.Invalidate();
  {
    TChangingGuard guard(Line);
    ApplyPen(Line, Props);
    [&] {
      double v = 0;
      if (!ApplyLineWidth(Line, Props)) return;
      if (!SysPt(Line, Props.QdX, Props.QdY, Line.FQd)) return;
      if (!SysPt(Line, Props.ZdX, Props.ZdY, Line.FZd)) return;
      if (!SysLen(Line, Props.Length1, v)) return;
      Line.FLength1 = v;
      if (!SysLen(Line, Props.Length2, v)) return;
      Line.FLength2 = v;
      if (!SysLen(Line, Props.Gap, v)) return;
      Line.FGap = v;
      if (!ParseFloat(Props.LineJd, v)) return;
      Line.FJd = DegToRad(v);
      if (Props.Arc) {
        if (!SysLen(Line, Props.Bj, v)) return;
        Line.FBj = v;
        Line.FDirection = Props.Direction;
      }
      Line.FLx = Props.Arc ? blArc : blLine;
      ApplyLayer(Line, Props);
    }();
  }
  Line.Modified();
}
