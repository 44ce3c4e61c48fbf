// The leader line ("引出线"): a polyline whose last point carries a
// horizontal underline with the text standing on it.

#include "figures/Texts.h"

#include "figures/FigureFamily.h"
#include "figures/FigureKit.h"
#include "figures/FigureSet.h"
#include "figures/LabelFont.h"
#include "foundation/ValueStream.h"
#include "platform/Bitmap.h"

#include <algorithm>
#include <cmath>

namespace {
int RoundInt(double v) { return ptodp({v, 0}).x; }
}  // namespace

PLANDECK_DEFINE_ABSTRACT_CLASS(TCustomDimension, TCustomFigure)

TCustomDimension::TCustomDimension(TMyPersistent* AOwner)
    : TCustomFigure(AOwner), FFont(std::make_unique<TMyFont>()) {
  FClassNameDescription = "引出线";
}

TCustomDimension::~TCustomDimension() = default;

void TCustomDimension::AssignTo(TPersistent& Dest) const {
  if (auto* d = dynamic_cast<TCustomDimension*>(&Dest); d && d != this) {
    TChangingGuard guard(*d);
    d->FPoints = FPoints;
    d->FText = FText;
    d->FFont->Assign(*FFont);
    d->FTextLength = FTextLength;
    d->FTextHeight = FTextHeight;
    d->FTextAlign = FTextAlign;
  }
  TCustomFigure::AssignTo(Dest);
}

void TCustomDimension::ReadData(TReader& Reader) {
  TCustomFigure::ReadData(Reader);
  ReadLabelFont(Reader, *FFont);
  FText = Reader.ReadString();
  FTextAlign = Reader.ReadInteger();
  const std::int32_t n = Reader.ReadInteger();
  FPoints.clear();
  Reader.CheckCount(n);
  for (std::int32_t i = 0; i < n; ++i) {
    Tpt p;
    p.x = Reader.ReadFloat();
    p.y = Reader.ReadFloat();
    FPoints.push_back(p);
  }
}

void TCustomDimension::WriteData(TWriter& Writer) {
  TCustomFigure::WriteData(Writer);
  WriteLabelFont(Writer, *FFont);
  Writer.WriteString(FText);
  Writer.WriteInteger(FTextAlign);
  Writer.WriteInteger(std::int32_t(FPoints.size()));
  for (Tpt p : FPoints) {
    Writer.WriteFloat(p.x);
    Writer.WriteFloat(p.y);
  }
}

Tpt TCustomDimension::UnderlineEnd() const {
  if (FPoints.empty()) return {};
  const Tpt q = FPoints.back();
  return {FTextAlign == 0 ? q.x - FTextLength : q.x + FTextLength, q.y};
}

void TCustomDimension::CalcPositionRect(TRect& Rect) const {
  if (FPoints.empty()) {
    Rect = TRect{};
    return;
  }
  const Tpt e = UnderlineEnd();
  // The text stands on the underline: its height above both of its ends.
  const Tpt up{0, FTextHeight};
  bool first = true;
  auto grow = [&](Tpt p) {
    const TPoint d = ptodp(xyTransLogPt(p.x, p.y));
    if (first) {
      Rect = {d.x, d.y, d.x, d.y};
      first = false;
      return;
    }
    Rect.Left = std::min(Rect.Left, d.x);
    Rect.Top = std::min(Rect.Top, d.y);
    Rect.Right = std::max(Rect.Right, d.x);
    Rect.Bottom = std::max(Rect.Bottom, d.y);
  };
  for (Tpt p : FPoints) grow(p);
  grow(e);
  grow(Add(e, up));
  grow(Add(FPoints.back(), up));
  ExpandRect(Rect, FPen.Width / 2 + 1);
}

void TCustomDimension::GetHandle(int Index, TPoint& P) const {
  if (Index < 1 || Index > int(FPoints.size())) return;
  const Tpt p = FPoints[std::size_t(Index - 1)];
  P = ptodp(xyTransLogPt(p.x, p.y));
}

void TCustomDimension::MoveHandleTo(int Index, TPoint P) { SetPoint(Index - 1, xyTransAbsPt(P.x, P.y)); }

void TCustomDimension::SetPoint(int Index, Tpt P) {
  if (Index < 0 || Index >= int(FPoints.size())) return;
  Change(*this, [&] { FPoints[std::size_t(Index)] = P; });
}

void TCustomDimension::SetPoints(const std::vector<Tpt>& Points) {
  Change(*this, [&] { FPoints = Points; });
}

void TCustomDimension::MoveByOffset(double Dx, double Dy) {
  const Tpt o = xyTransAbsPt(0, 0), q = xyTransAbsPt(Dx, Dy);
  const Tpt d = q - o;
  Change(*this, [&] {
    for (Tpt& p : FPoints) p = Add(p, d);
  });
}

void TCustomDimension::Measure() {
  TBitmap bitmap(8, 8);
  std::unique_ptr<TCanvas> cv = CreateBitmapCanvas(bitmap);
  TLogFont font = LabelFont(*this, *cv, *FFont, 0);
  font.Escapement = font.Orientation = 0;
  font.Height = std::max(1, ptodp({GetAbsParentScale() * std::abs(FFont->FHeight) * FScale, 0}).x);
  TTextScope scope(*cv, font, FFont->FColor);
  FTextLength = cv->GetTextExtentPoint(FText).cx / GetAbsParentScale();
  FTextHeight = cv->GetTextExtentPoint("W").cy / GetAbsParentScale();
}

void TCustomDimension::CreateByRefPoint(TTxCollectFound& Points) {
  std::vector<Tpt> pts;
  for (int i = 0; i < Points.Count(); ++i)
    if (auto* v = dynamic_cast<TTxPolygonBxdy*>(Points.Items(i))) pts.push_back(v->FDwd);
  if (pts.size() < 2) return;
  Change(*this, [&] {
    FPoints = pts;
    FFont->FHeight /= GetAbsParentScale();
    Measure();
  });
}

void TCustomDimension::Paint(TShowPlace& ShowPlace) {
  if (!ShowPlace.cvs || FPoints.size() < 2) return;
  TCanvas& cv = *ShowPlace.cvs;
  if (FFont->FHeight < 0) FFont->FHeight = -FFont->FHeight;
  TTextScope scope(cv, LabelFont(*this, cv, *FFont, 0), FFont->FColor);
  for (std::size_t i = 0; i + 1 < FPoints.size(); ++i) DrawLine(FPoints[i], FPoints[i + 1], cv);
  const Tpt q = FPoints.back();
  FTextLength = cv.GetTextExtentPoint(FText).cx / GetAbsParentScale();
  FTextHeight = cv.GetTextExtentPoint("W").cy / GetAbsParentScale();
  const Tpt e = UnderlineEnd();
  DrawLine(q, e, cv);
  if (FText.empty()) return;
  const Tpt start = FTextAlign == 0 ? e : q;
  const TPoint d = ptodp(xyTransLogPt(start.x, start.y));
  // Raised by the text's height in the figure's frame, so it stands on the
  // underline also in a turned set.
  const Tpt up = Rot({0, 1}, GetAbsParentXzjd());
  const double h = RoundInt(TransLogV(FTextHeight));
  cv.TextOut(d.x + RoundInt(up.x * h), d.y + RoundInt(up.y * h), FText);
}

bool TCustomDimension::Selected(Tpt P, double) const {
  const Tpt p = xyTransAbsPt(P.x, P.y);
  for (std::size_t i = 0; i + 1 < FPoints.size(); ++i)
    if (pjjbx(p, pptobx(FPoints[i], FPoints[i + 1]), GetAbsParentScale())) return true;
  return false;
}

bool TCustomDimension::HitBounds(double, TDBox& Box) const {
  if (FPoints.empty()) return false;
  TRect r;
  CalcPositionRect(r);
  // pjjbx reaches PickPixels past a segment, in logical units.
  const double m = PickPixels + 1;
  Box = {r.Left - m, r.Top - m, r.Right + m, r.Bottom + m};
  return true;
}

void TCustomDimension::Explode(TCustomFigureSet& Set) {
  Change(*this, [&] {
    for (Tpt& p : FPoints) p = ExplodePoint(p, Set);
    FFont->FHeight *= Set.GetScale();
  });
}

void TCustomDimension::FigureMirror(TBx Line) {
  for (Tpt& p : FPoints) p = Caldcp(p, Line);
  FTextAlign = FTextAlign == 0 ? 1 : 0;
  Modified();
}

bool TCustomDimension::GetCapturePoint(Tpt& P, TPointLx& Kind, TFigureView* View, TPoint CursorPt,
                                       TPointLxSet KindSet) {
  if (View && View->IsSelected(this)) return false;
  if (KindSet & PointLxBit(plEndPoint))
    for (Tpt p : FPoints)
      if (NearPoint(p, CursorPt, P)) return Kind = plEndPoint, true;
  if (KindSet & PointLxBit(plMidPoint))
    for (std::size_t i = 0; i + 1 < FPoints.size(); ++i)
      if (NearPoint(Mid(FPoints[i], FPoints[i + 1]), CursorPt, P)) return Kind = plMidPoint, true;
  if (KindSet & PointLxBit(plNearest))
    for (std::size_t i = 0; i + 1 < FPoints.size(); ++i)
      if (PointInLine(dptop(CursorPt), FPoints[i], FPoints[i + 1], P)) return Kind = plNearest, true;
  return false;
}

void TCustomDimension::SetText(const std::string& Value) {
  if (Value == FText) return;
  Change(*this, [&] { FText = Value; });
}

void TCustomDimension::SetFont(const TMyFont& Font) {
  FFont->Assign(Font);
  FFont->FHeight /= GetScale();
  Modified();
}

PLANDECK_DEFINE_CLASS(TDimension, TCustomDimension)

std::unique_ptr<TDocItem> TDimension::Clone() const {
  auto copy = std::make_unique<TDimension>(FOwner);
  copy->Assign(*this);
  return copy;
}

void RegisterDimensionClasses() {
  RegisterClass(TDimension::StaticClass());
  RegisterFamily({.Class = &TDimension::StaticClass(),
                  .Action = "A_Dimension",
                  .Tool = tkMultiPoint,
                  .Font = [](TCustomFigure& f) { return static_cast<TCustomDimension&>(f).FFont.get(); },
                  .SetFont =
                      [](TCustomFigure& f, const TMyFont& font) { static_cast<TCustomDimension&>(f).SetFont(font); },
                  .PaintIcon =
                      [](TIconSketch& s) {
                        s.Polyline({{3, 21}, {10, 12}, {22, 12}});
                        s.Text(10, 3, 12, 9, "1", 8, false);
                      },
                  .Ops = FamilyOps<TDimension>()});
}
