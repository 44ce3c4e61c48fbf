#include "figures/Texts.h"

#include "figures/CodeVersion.h"
#include "figures/FigureFamily.h"
#include "figures/FigureKit.h"
#include "figures/FigureSet.h"
#include "figures/LabelFont.h"
#include "foundation/GbkCodec.h"
#include "foundation/ValueStream.h"

#include <algorithm>
#include <cmath>
#include <utility>

// ---- shared helpers

namespace {

TInPlaceEditorFactory& EditorFactory() {
  static TInPlaceEditorFactory factory;
  return factory;
}

int RoundInt(double v) { return ptodp({v, 0}).x; }

// Only the drawing view's paint refreshes a box sized to its text: print,
// preview and overview fonts are hinted at other sizes, so a box measured
// there would change the saved drawing, and its invalidation would turn the
// root back to the drawing view's state in the middle of a printed sheet.
bool SizesToText(const TCustomFigure& F) {
  const TCustomFigure* top = &F;
  while (top->FParent) top = top->FParent;
  const auto* root = dynamic_cast<const TTxFigureSet*>(top);
  return !root || root->FViewState == vsDraw;
}

template <class T>
std::unique_ptr<TDocItem> CloneOf(const T& F) {
  auto copy = std::make_unique<T>(F.FOwner);
  copy->Assign(F);
  return copy;
}

// The label rules for dragging box handle k to (dx, dy), in units of the
// box (divided by the scale) from its origin: the new size, and how far the
// origin moves. False when the drag would turn the box inside out.
bool DragBoxHandle(int k, double dx, double dy, double& W, double& H, Tpt& Shift) {
  Shift = {0, 0};
  switch (k) {
    case 1:
      if (!(dx < W && dy < H)) return false;
      W -= dx, H -= dy, Shift = {dx, dy};
      return true;
    case 2:
      if (!(dy < H)) return false;
      H -= dy, Shift = {0, dy};
      return true;
    case 3:
      if (!(dx > 0 && dy < H)) return false;
      W = dx, H -= dy, Shift = {0, dy};
      return true;
    case 4:
      if (!(dx > 0)) return false;
      W = dx;
      return true;
    case 5:
      if (!(dx > 0 && dy > 0)) return false;
      W = dx, H = dy;
      return true;
    case 6:
      if (!(dy > 0)) return false;
      H = dy;
      return true;
    case 7:
      if (!(dx < W && dy > 0)) return false;
      W -= dx, H = dy, Shift = {dx, 0};
      return true;
    case 8:
      if (!(dx < W)) return false;
      W -= dx, Shift = {dx, 0};
      return true;
    default: return false;
  }
}

// Drags handle k of the box (origin Yd, size W by H, turned by Angle) to the
// local point P under the change protocol.
void DragBox(TCustomFigure& F, int k, Tpt P, Tpt& Yd, double& W, double& H, double Angle) {
  const double s = F.GetScale();
  const Tpt v = Rot(P - Yd, -Angle);
  double w = W, h = H;
  Tpt shift;
  if (!DragBoxHandle(k, v.x / s, v.y / s, w, h, shift)) return;
  Change(F, [&] {
    W = w;
    H = h;
    Yd = Add(Yd, Rot(shift, Angle), s);
  });
}

void BoxBounds(const TFrameRect& Box, TDBox& Out) {
  const TRect r = Box.LogRect();
  Out = {r.Left - 1.0, r.Top - 1.0, r.Right + 1.0, r.Bottom + 1.0};
}

bool InRect(const TRect& r, Tpt P) {
  const TPoint q = ptodp(P);
  return r.Left <= q.x && q.x <= r.Right && r.Top <= q.y && q.y <= r.Bottom;
}

// Corners, side midpoints and the nearest point on a side.
bool BoxCapture(TCustomFigure& F, const TFrameRect& Box, Tpt& P, TPointLx& Kind, TFigureView* View,
                TPoint CursorPt, TPointLxSet KindSet) {
  if (View && View->IsSelected(&F)) return false;
  if (KindSet & PointLxBit(plEndPoint))
    for (int i = 0; i < 4; ++i)
      if (F.NearPoint(Box.Corner(i), CursorPt, P)) return Kind = plEndPoint, true;
  if (KindSet & PointLxBit(plMidPoint))
    for (int i = 0; i < 4; ++i)
      if (F.NearPoint(Mid(Box.Corner(i), Box.Corner((i + 1) % 4)), CursorPt, P)) return Kind = plMidPoint, true;
  if (KindSet & PointLxBit(plNearest))
    for (int i = 0; i < 4; ++i)
      if (F.PointInLine(dptop(CursorPt), Box.Corner(i), Box.Corner((i + 1) % 4), P)) return Kind = plNearest, true;
  return false;
}

// The box keeps its size and angle; only its centre is mirrored.
void MirrorBox(TCustomFigure& F, Tpt& Yd, double W, double H, double Angle, TBx Line) {
  const Tpt half = Rot({F.GetScale() * W / 2, F.GetScale() * H / 2}, Angle);
  const Tpt c = Caldcp(Add(Yd, half), Line);
  Yd = Sub(c, half);
  F.Modified();
}

void AssignFont(TMyFont& To, const TMyFont& From, double Scale) {
  To.Assign(From);
  To.FHeight /= Scale;
}

// The setters the text classes share: each assigns and announces only a change.
void ChangeText(TCustomFigure& F, std::string& Text, const std::string& Value) {
  if (SameTextIgnoringCase(Value, Text)) return;
  Text = Value;
  F.Modified();
}

void ChangeFlag(TCustomFigure& F, bool& Flag, bool Value) {
  if (Value == Flag) return;
  Flag = Value;
  F.Modified();
}

void ChangeFont(TCustomFigure& F, TMyFont& Font, const TMyFont& Value) {
  AssignFont(Font, Value, F.GetScale());
  F.Modified();
}

// An undo step for Figure in its drawing, taken before it changes.
void BackUpFigure(TCustomFigure& Figure) {
  TCustomFigureSet* top = Figure.FParent;
  while (top && top->FParent) top = top->FParent;
  auto* root = dynamic_cast<TTxFigureSet*>(top);
  if (!root) return;
  TMyList list;
  list.Add(&Figure);
  root->BackUp(list, ovEdit);
}

std::vector<std::string> SplitLines(const std::string& Text) {
  std::vector<std::string> lines;
  std::string cur;
  for (char c : Text) {
    if (c == '\r') continue;
    if (c == '\n') {
      lines.push_back(std::move(cur));
      cur.clear();
    } else {
      cur += c;
    }
  }
  lines.push_back(std::move(cur));
  return lines;
}

}  // namespace

TInPlaceEditorFactory SetInPlaceEditorFactory(TInPlaceEditorFactory Factory) {
  return std::exchange(EditorFactory(), std::move(Factory));
}

TTextScope::TTextScope(TCanvas& Canvas, const TLogFont& Font, COLORREF Color)
    : FCanvas(Canvas),
      FOldColor(Canvas.SetTextColor(Color)),
      FOldMode(Canvas.SetBkMode(TRANSPARENT)),
      FOldAlign(Canvas.SetTextAlign(TA_LEFT | TA_TOP)),
      FOldFont(Canvas.SelectFont(Font)) {}

TTextScope::~TTextScope() {
  FCanvas.SelectFont(FOldFont);
  FCanvas.SetTextAlign(FOldAlign);
  FCanvas.SetBkMode(FOldMode);
  FCanvas.SetTextColor(FOldColor);
}

bool SameTextIgnoringCase(const std::string& A, const std::string& B) {
  if (A.size() != B.size()) return false;
  auto lower = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; };
  for (std::size_t i = 0; i < A.size(); ++i)
    if (lower(static_cast<unsigned char>(A[i])) != lower(static_cast<unsigned char>(B[i]))) return false;
  return true;
}

namespace {

// The characters of Utf8 with their GBK byte counts.
std::vector<std::pair<std::string, int>> GbkChars(const std::string& Utf8) {
  std::vector<std::pair<std::string, int>> out;
  std::string gbk;
  try {
    gbk = Utf8ToGbk(Utf8);
  } catch (const EGbkError&) {
    // Not savable text: count every non-ASCII character as two bytes.
    for (std::size_t i = 0; i < Utf8.size();) {
      const unsigned char c = static_cast<unsigned char>(Utf8[i]);
      const std::size_t n = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
      out.emplace_back(Utf8.substr(i, n), c < 0x80 ? 1 : 2);
      i += n;
    }
    return out;
  }
  for (std::size_t i = 0; i < gbk.size();) {
    const unsigned char c = static_cast<unsigned char>(gbk[i]);
    // Every GBK lead byte, 0x81 to 0xFE, takes the next byte with it.
    const std::size_t n = c >= 0x81 && c <= 0xFE && i + 1 < gbk.size() ? 2 : 1;
    out.emplace_back(GbkToUtf8(gbk.substr(i, n)), int(n));
    i += n;
  }
  return out;
}

}  // namespace

std::size_t GbkLength(const std::string& Utf8) {
  std::size_t n = 0;
  for (const auto& c : GbkChars(Utf8)) n += std::size_t(c.second);
  return n;
}

std::vector<std::string> WrapByBytes(const std::string& Utf8, int PerLine) {
  const int n = std::max(1, PerLine);
  std::vector<std::string> lines;
  std::string cur;
  int bytes = 0;
  for (const auto& [ch, len] : GbkChars(Utf8)) {
    if (bytes > 0 && bytes + len > n) {
      lines.push_back(std::move(cur));
      cur.clear();
      bytes = 0;
    }
    cur += ch;
    bytes += len;
  }
  if (bytes > 0) lines.push_back(std::move(cur));
  return lines;
}

// ---- text line

PLANDECK_DEFINE_ABSTRACT_CLASS(TCustomTextLine, TCustomMltLine)

TCustomTextLine::TCustomTextLine(TMyPersistent* AOwner)
    : TCustomMltLine(AOwner), FFont(std::make_unique<TMyFont>()) {
  FClassNameDescription = "字线";
}

TCustomTextLine::~TCustomTextLine() = default;

void TCustomTextLine::AssignTo(TPersistent& Dest) const {
  if (auto* d = dynamic_cast<TCustomTextLine*>(&Dest); d && d != this) {
    d->FText = FText;
    d->FFont->Assign(*FFont);
    d->FFrame = FFrame;
    d->FTextHeight = FTextHeight;
    d->FGap = FGap;
  }
  TCustomMltLine::AssignTo(Dest);
}

void TCustomTextLine::ReadData(TReader& Reader) {
  TCustomMltLine::ReadData(Reader);
  if (OldCodeVersion == 1) Reader.Read(&FFrame, 1);
  ReadLabelFont(Reader, *FFont);
  FText = Reader.ReadString();
  FGap = Reader.ReadFloat();
}

void TCustomTextLine::WriteData(TWriter& Writer) {
  TCustomMltLine::WriteData(Writer);
  WriteLabelFont(Writer, *FFont);
  Writer.WriteString(FText);
  Writer.WriteFloat(FGap);
}

void TCustomTextLine::CalcPositionRect(TRect& Rect) const {
  TCustomMltLine::CalcPositionRect(Rect);
  const double d = TransLogV(FTextHeight / 2);
  if (!Rect.IsEmpty() && std::isfinite(d)) ExpandRect(Rect, RoundInt(std::min(std::abs(d), 1e9)));
}

double TCustomTextLine::HitTolerance() const { return 4 / GetAbsParentScale() + FTextHeight / 2; }

bool TCustomTextLine::HitBounds(double Factor, TDBox& Box) const {
  if (!TCustomMltLine::HitBounds(Factor, Box)) return false;
  TRect r;
  CalcPositionRect(r);
  Box = {std::min(Box.x0, r.Left - 1.0), std::min(Box.y0, r.Top - 1.0), std::max(Box.x1, r.Right + 1.0),
         std::max(Box.y1, r.Bottom + 1.0)};
  return true;
}

void TCustomTextLine::AddPoint(Tpt P) {
  if (GetPointCount() == 0) FFont->FHeight /= GetAbsParentScale();
  TCustomMltLine::AddPoint(P);
}

void TCustomTextLine::Explode(TCustomFigureSet& Set) {
  // The text and its spacing keep their size on the sheet.
  FFont->FHeight *= Set.GetScale();
  FGap *= Set.GetScale();
  TCustomMltLine::Explode(Set);
}

void TCustomTextLine::SetText(const std::string& Value) { ChangeText(*this, FText, Value); }

void TCustomTextLine::SetFont(const TMyFont& Font) { ChangeFont(*this, *FFont, Font); }

void TCustomTextLine::SetGap(double Value) {
  if (Value == FGap) return;
  Change(*this, [&] { FGap = Value; });
}

void TCustomTextLine::Paint(TShowPlace& ShowPlace) {
  if (!ShowPlace.cvs) return;
  TCanvas& cv = *ShowPlace.cvs;
  if (FText.empty()) {
    TCustomMltLine::Paint(ShowPlace);
    return;
  }
  if (FFont->FHeight < 0) FFont->FHeight = -FFont->FHeight;
  double w = 0;
  {
    TTextScope scope(cv, LabelFont(*this, cv, *FFont, 0), FFont->FColor);
    w = TransAbsV(cv.GetTextExtentPoint(FText).cx);
    const TSize W = cv.GetTextExtentPoint("W");
    FTextHeight = TransAbsV(W.cy);
    if (FGap == 0) FGap = TransAbsV(W.cx);
  }
  const double p = w + FGap;
  // A period of nothing (a negative gap from a file) would never step along the line.
  if (!(p > 0) || !std::isfinite(p)) {
    TCustomMltLine::Paint(ShowPlace);
    return;
  }
  const TWorkDbxbxList edges = WbxToStandardWbx(FPWLine, TransLogV(p));
  double R = 0;
  for (const TWorkDbxbx& e : edges) {
    const Tpt A = e.qd, B = e.zd;
    const double L = Dist(A, B);
    const double theta = RadToDeg(ppjd(A, B));
    auto at = [&](double d) { return L > 0 ? Lerp(A, B, d / L) : A; };
    const double mAll = std::floor((L + R) / p);
    const double m = std::clamp(mAll, 0.0, 100000.0);
    {
      TTextScope scope(cv, LabelFont(*this, cv, *FFont, theta), FFont->FColor);
      const Tpt o = Rot({0, FTextHeight / 2}, theta);
      for (int i = 0; i < int(m); ++i) {
        const Tpt from = i == 0 ? A : at(p * i - R);
        const Tpt E = at(p * i - R + FGap);
        DrawLine(from, E, cv);
        const Tpt t = Add(E, o);
        const TPoint d = ptodp(xyTransLogPt(t.x, t.y));
        cv.TextOut(d.x, d.y, FText);
      }
    }
    const double end = p * m - R;
    if (L > end) DrawLine(end <= 0 ? A : at(end), B, cv);
    R = L - end;
  }
}

PLANDECK_DEFINE_CLASS(TTxTextLine, TCustomTextLine)

std::unique_ptr<TDocItem> TTxTextLine::Clone() const { return CloneOf(*this); }

// ---- boxed labels

PLANDECK_DEFINE_ABSTRACT_CLASS(TCustomTxLabel, TCustomFigure)

TCustomTxLabel::TCustomTxLabel(TMyPersistent* AOwner) : TCustomFigure(AOwner), FFont(std::make_unique<TMyFont>()) {
  FPen.Style = psClear;
}

TCustomTxLabel::~TCustomTxLabel() = default;

void TCustomTxLabel::AssignTo(TPersistent& Dest) const {
  if (auto* d = dynamic_cast<TCustomTxLabel*>(&Dest); d && d != this) {
    TChangingGuard guard(*d);
    d->FAlignment = FAlignment;
    d->FTransparent = FTransparent;
    d->FWordWrap = FWordWrap;
    d->FFrame = FFrame;
    d->FAutoSize = FAutoSize;
    d->FActFontSize = FActFontSize;
    d->FFont->Assign(*FFont);
    d->FText = FText;
    d->FWidth = FWidth;
    d->FHeight = FHeight;
    d->FYd = FYd;
  }
  TCustomFigure::AssignTo(Dest);
}

void TCustomTxLabel::ReadData(TReader& Reader) {
  TCustomFigure::ReadData(Reader);
  const bool v1 = OldCodeVersion == 1;
  FYd.x = Reader.ReadFloat();
  FYd.y = Reader.ReadFloat();
  FWidth = Reader.ReadFloat();
  FHeight = Reader.ReadFloat();
  if (v1) Reader.Read(&FFrame, 1);
  ReadLabelFont(Reader, *FFont);
  if (v1) {
    Reader.Read(&FAlignment, 1);
    FTransparent = Reader.ReadBoolean();
  }
  FAutoSize = Reader.ReadBoolean();
  if (v1) FWordWrap = Reader.ReadBoolean();
  FText = Reader.ReadString();
}

void TCustomTxLabel::WriteData(TWriter& Writer) {
  TCustomFigure::WriteData(Writer);
  for (double v : {FYd.x, FYd.y, FWidth, FHeight}) Writer.WriteFloat(v);
  WriteLabelFont(Writer, *FFont);
  Writer.WriteBoolean(FAutoSize);
  Writer.WriteString(FText);
}

namespace {
TFrameRect LabelBox(const TCustomTxLabel& L) { return TFrameRect{L, L.FYd, L.FWidth, L.FHeight}; }
}  // namespace

void TCustomTxLabel::CalcPositionRect(TRect& Rect) const { Rect = LabelBox(*this).LogRect(); }

void TCustomTxLabel::GetHandle(int Index, TPoint& P) const {
  if (Index < 1 || Index > 8) return;
  const Tpt h = LabelBox(*this).Handle(Index);
  P = ptodp(xyTransLogPt(h.x, h.y));
}

void TCustomTxLabel::MoveHandleTo(int Index, TPoint P) {
  TPoint q;
  TransAbsPt(P, q);
  DragBox(*this, Index, dptop(q), FYd, FWidth, FHeight, 0);
}

void TCustomTxLabel::MoveByOffset(double Dx, double Dy) {
  const Tpt o = xyTransAbsPt(0, 0), q = xyTransAbsPt(Dx, Dy);
  SetYd(Add(FYd, q - o));
}

void TCustomTxLabel::SetRefPoint(double X, double Y) { SetYd({X, Y}); }

bool TCustomTxLabel::Selected(Tpt P, double) const {
  TRect r;
  CalcPositionRect(r);
  return InRect(r, P);
}

bool TCustomTxLabel::HitBounds(double, TDBox& Box) const {
  BoxBounds(LabelBox(*this), Box);
  return true;
}

void TCustomTxLabel::Explode(TCustomFigureSet& Set) {
  FYd = ExplodePoint(FYd, Set);
  FScale *= Set.GetScale();
  Modified();
}

void TCustomTxLabel::FigureMirror(TBx Line) { MirrorBox(*this, FYd, FWidth, FHeight, 0, Line); }

bool TCustomTxLabel::GetCapturePoint(Tpt& P, TPointLx& Kind, TFigureView* View, TPoint CursorPt,
                                     TPointLxSet KindSet) {
  return BoxCapture(*this, LabelBox(*this), P, Kind, View, CursorPt, KindSet);
}

void TCustomTxLabel::SetText(const std::string& Value) { ChangeText(*this, FText, Value); }

void TCustomTxLabel::SetFont(const TMyFont& Font) { ChangeFont(*this, *FFont, Font); }

void TCustomTxLabel::SetAutoSize(bool Value) { ChangeFlag(*this, FAutoSize, Value); }

void TCustomTxLabel::SetWidth(double Value) {
  if (Value == FWidth) return;
  Change(*this, [&] { FWidth = Value; });
}

void TCustomTxLabel::SetHeight(double Value) {
  if (Value == FHeight) return;
  Change(*this, [&] { FHeight = Value; });
}

void TCustomTxLabel::SetYd(Tpt Value) {
  if (Value.x == FYd.x && Value.y == FYd.y) return;
  Change(*this, [&] { FYd = Value; });
}

void TCustomTxLabel::OnEditProperties(TFigureView* View) {
  if (!View) return;
  if (!FInPlaceEditor || FInPlaceEditor->View() != View) {
    if (!EditorFactory()) return;
    FInPlaceEditor = EditorFactory()(*View, MultiLine());
    if (!FInPlaceEditor) return;
  }
  FActFontSize = GetAbsParentScale() * GetScale() * std::abs(FFont->FHeight);
  FInPlaceEditor->Follow([this] {
    TRect r;
    CalcPositionRect(r);
    return r;
  });
  FInPlaceEditor->SetFont(FFont->FName, FFont->FStyle, std::max(1, RoundInt(FActFontSize)), FFont->FColor);
  FInPlaceEditor->SetText(EditorText());
  FInPlaceEditor->SetBackground(FBrush.Style != bsClear, FBrush.Color);
  FInPlaceEditor->Show(true);
}

void TCustomTxLabel::OnAfterEditProperties(TFigureView* View) {
  if (!Editing()) return;
  const std::string text = FInPlaceEditor->Text();
  FInPlaceEditor->Hide();
  if (text == EditorText()) {
    Invalidate();
    return;
  }
  // One undo step for the whole edit, taken only when a view ends it: a
  // figure leaving its drawing has no history to record in.
  if (View) BackUpFigure(*this);
  TakeEditorText(text);
  Invalidate();
  if (View) SetModifiedFlag();
}

bool TCustomTxLabel::PaintBox(TShowPlace& ShowPlace) {
  FActFontSize = GetAbsParentScale() * GetScale() * std::abs(FFont->FHeight);
  if (!Editing() || ShowPlace.View != FInPlaceEditor->View()) return true;
  // The editor stands in for the figure in its view, and follows the zoom.
  FInPlaceEditor->SetFont(FFont->FName, FFont->FStyle, std::max(1, RoundInt(FActFontSize)), FFont->FColor);
  FInPlaceEditor->Reposition();
  return false;
}

void TCustomTxLabel::PaintText(TCanvas& Canvas, const std::string& Text) {
  TRect r;
  CalcPositionRect(r);
  if (Text.empty()) {
    Canvas.Rectangle(r.Left, r.Top, r.Right, r.Bottom);
    return;
  }
  if (FFont->FHeight < 0) FFont->FHeight = -FFont->FHeight;
  // The box stays upright on the sheet, and so does its text.
  TTextScope scope(Canvas, LabelFont(*this, Canvas, *FFont, -GetAbsParentXzjd()), FFont->FColor);
  if (FAutoSize && !MultiLine() && SizesToText(*this)) {
    const double s = GetScale();
    const double w = TransAbsV(Canvas.GetTextExtentPoint(Text).cx) / s;
    const double h = FFont->FHeight;
    if (std::isfinite(w) && (w != FWidth || h != FHeight)) {
      FYd.y += s * (FHeight - h);
      FWidth = w;
      FHeight = h;
      // Grown past what was repainted: the new area is painted again.
      Invalidate();
      CalcPositionRect(r);
    }
  }
  Canvas.Rectangle(r.Left, r.Top, r.Right, r.Bottom);
  TRect box{r.Left + 3, r.Bottom, r.Right, r.Top};
  Canvas.DrawText(Text, box, DT_LEFT | DT_EXPANDTABS);
}

// ---- edit box

PLANDECK_DEFINE_ABSTRACT_CLASS(TCustomTxEdit, TCustomTxLabel)

TCustomTxEdit::TCustomTxEdit(TMyPersistent* AOwner) : TCustomTxLabel(AOwner) {
  FClassNameDescription = "编辑框";
  FWidth = 100;
  FHeight = 20;
  FText = "编辑框";
}

void TCustomTxEdit::Paint(TShowPlace& ShowPlace) {
  if (!ShowPlace.cvs || !PaintBox(ShowPlace)) return;
  PaintText(*ShowPlace.cvs, FText);
}

PLANDECK_DEFINE_CLASS(TTxEdit, TCustomTxEdit)

std::unique_ptr<TDocItem> TTxEdit::Clone() const { return CloneOf(*this); }

// ---- memo

PLANDECK_DEFINE_ABSTRACT_CLASS(TCustomTxMemo, TCustomTxLabel)

TCustomTxMemo::TCustomTxMemo(TMyPersistent* AOwner) : TCustomTxLabel(AOwner) {
  FClassNameDescription = "文本框";
  FWidth = 100;
  FHeight = 100;
}

void TCustomTxMemo::AssignTo(TPersistent& Dest) const {
  if (auto* d = dynamic_cast<TCustomTxMemo*>(&Dest); d && d != this) d->FLines = FLines;
  TCustomTxLabel::AssignTo(Dest);
}

void TCustomTxMemo::ReadData(TReader& Reader) {
  TCustomTxLabel::ReadData(Reader);
  const std::int32_t n = Reader.ReadInteger();
  Reader.CheckCount(n);
  if (n <= 0) return;
  std::vector<std::string> lines;
  lines.reserve(std::size_t(n));
  for (std::int32_t i = 0; i < n; ++i) lines.push_back(Reader.ReadString());
  FLines = std::move(lines);
}

void TCustomTxMemo::WriteData(TWriter& Writer) {
  TCustomTxLabel::WriteData(Writer);
  Writer.WriteInteger(std::int32_t(FLines.size()));
  for (const std::string& l : FLines) Writer.WriteString(l);
}

void TCustomTxMemo::SetLines(const std::vector<std::string>& Lines) {
  if (Editing()) FInPlaceEditor->Hide();
  Change(*this, [&] { FLines = Lines; });
}

std::string TCustomTxMemo::EditorText() const {
  std::string text;
  for (std::size_t i = 0; i < FLines.size(); ++i) text += (i ? "\n" : "") + FLines[i];
  return text;
}

void TCustomTxMemo::TakeEditorText(const std::string& Text) { Change(*this, [&] { FLines = SplitLines(Text); }); }

void TCustomTxMemo::Paint(TShowPlace& ShowPlace) {
  if (!ShowPlace.cvs || !PaintBox(ShowPlace)) return;
  std::string text;
  for (const std::string& l : FLines) text += l + "\t\n";
  PaintText(*ShowPlace.cvs, text);
}

PLANDECK_DEFINE_CLASS(TTxMemo, TCustomTxMemo)

std::unique_ptr<TDocItem> TTxMemo::Clone() const { return CloneOf(*this); }

// ---- slanted label

PLANDECK_DEFINE_ABSTRACT_CLASS(TCustomXLabel, TCustomFigure)

TCustomXLabel::TCustomXLabel(TMyPersistent* AOwner) : TCustomFigure(AOwner), FFont(std::make_unique<TMyFont>()) {
  FClassNameDescription = "标签";
  FPen.Style = psClear;
}

TCustomXLabel::~TCustomXLabel() = default;

void TCustomXLabel::AssignTo(TPersistent& Dest) const {
  if (auto* d = dynamic_cast<TCustomXLabel*>(&Dest); d && d != this) {
    TChangingGuard guard(*d);
    d->FText = FText;
    d->FFont->Assign(*FFont);
    d->FFrame = FFrame;
    d->FAutoSize = FAutoSize;
    d->FYd = FYd;
    d->FWidth = FWidth;
    d->FHeight = FHeight;
  }
  TCustomFigure::AssignTo(Dest);
}

void TCustomXLabel::ReadData(TReader& Reader) {
  TCustomFigure::ReadData(Reader);
  const bool v1 = OldCodeVersion == 1;
  FYd.x = Reader.ReadFloat();
  FYd.y = Reader.ReadFloat();
  FWidth = Reader.ReadFloat();
  FHeight = Reader.ReadFloat();
  if (v1) {
    Reader.Read(&FFrame, 1);
    FPen.Style = (FFrame & 1) ? psSolid : psClear;
  }
  ReadLabelFont(Reader, *FFont);
  if (v1) Reader.ReadBoolean();
  FAutoSize = Reader.ReadBoolean();
  if (v1) Reader.ReadBoolean();
  FText = Reader.ReadString();
}

void TCustomXLabel::WriteData(TWriter& Writer) {
  TCustomFigure::WriteData(Writer);
  for (double v : {FYd.x, FYd.y, FWidth, FHeight}) Writer.WriteFloat(v);
  WriteLabelFont(Writer, *FFont);
  Writer.WriteBoolean(FAutoSize);
  Writer.WriteString(FText);
}

namespace {
TFrameRect XLabelBox(const TCustomXLabel& L) { return TFrameRect{L, L.FYd, L.FWidth, L.FHeight, L.FXzJd}; }
}  // namespace

void TCustomXLabel::CalcPositionRect(TRect& Rect) const { Rect = XLabelBox(*this).LogRect(); }

void TCustomXLabel::GetHandle(int Index, TPoint& P) const {
  if (Index < 1 || Index > 8) return;
  const Tpt h = XLabelBox(*this).Handle(Index);
  P = ptodp(xyTransLogPt(h.x, h.y));
}

void TCustomXLabel::MoveHandleTo(int Index, TPoint P) {
  if (FAutoSize) return;
  DragBox(*this, Index, xyTransAbsPt(P.x, P.y), FYd, FWidth, FHeight, FXzJd);
}

void TCustomXLabel::RotateHandleTo(int Index, TPoint P) {
  if (Index < 2 || Index > 8) return;
  static constexpr double ku[8] = {0, 0.5, 1, 1, 1, 0.5, 0, 0};
  static constexpr double kv[8] = {0, 0, 0, 0.5, 1, 1, 1, 0.5};
  const Tpt p = xyTransAbsPt(P.x, P.y);
  if (Dist(p, FYd) == 0) return;
  const double s = GetScale();
  const double own = RadToDeg(std::atan2(kv[Index - 1] * s * FHeight, ku[Index - 1] * s * FWidth));
  const double a = RadToDeg(ppjd(FYd, p)) - (Index <= 3 ? 0 : own);
  Change(*this, [&] { FXzJd = a; });
}

void TCustomXLabel::MoveByOffset(double Dx, double Dy) {
  const Tpt o = xyTransAbsPt(0, 0), q = xyTransAbsPt(Dx, Dy);
  const Tpt yd = Add(FYd, q - o);
  Change(*this, [&] { FYd = yd; });
}

void TCustomXLabel::SetRefPoint(double X, double Y) {
  Change(*this, [&] { FYd = {X, Y}; });
}

std::vector<std::string> TCustomXLabel::TextLines(TCanvas& Canvas) const {
  if (FText.empty()) return {};
  if (FAutoSize) return {FText};
  const double s = GetScale();
  const double h = s * std::abs(FFont->FHeight);
  // A font of no height would fit any number of lines (and divides below).
  if (!(h > 0)) return {};
  const std::size_t bytes = GbkLength(FText);
  const double perByte = TransAbsV(Canvas.GetTextExtentPoint(FText).cx) / double(std::max<std::size_t>(1, bytes));
  const double n = perByte > 0 ? std::trunc(s * FWidth / perByte) : double(bytes);
  std::vector<std::string> lines = WrapByBytes(FText, int(std::clamp(n, 1.0, 1e6)));
  const double fit = std::floor(s * FHeight / h + 1e-9);
  if (double(lines.size()) > fit) lines.resize(std::size_t(std::max(0.0, fit)));
  return lines;
}

void TCustomXLabel::Paint(TShowPlace& ShowPlace) {
  if (!ShowPlace.cvs) return;
  TCanvas& cv = *ShowPlace.cvs;
  auto frame = [&] {
    if (FPen.Style == psClear) return;
    const TFrameRect box = XLabelBox(*this);
    TPoint pts[4];
    for (int i = 0; i < 4; ++i) pts[i] = ptodp(xyTransLogPt(box.Corner(i).x, box.Corner(i).y));
    cv.Polygon(pts, 4);
  };
  if (FText.empty() || FFont->FHeight == 0) {
    frame();
    return;
  }
  if (FFont->FHeight < 0) FFont->FHeight = -FFont->FHeight;
  TTextScope scope(cv, LabelFont(*this, cv, *FFont, FXzJd), FFont->FColor);
  const double s = GetScale();
  if (FAutoSize && SizesToText(*this)) {
    const double w = TransAbsV(cv.GetTextExtentPoint(FText).cx) / s;
    const double h = FFont->FHeight;
    if (std::isfinite(w) && (w != FWidth || h != FHeight)) {
      FYd = Add(FYd, Rot({0, s * (FHeight - h)}, FXzJd));
      FWidth = w;
      FHeight = h;
      // Grown past what was repainted: the new area is painted again.
      Invalidate();
    }
  }
  frame();
  const Tpt top = Add(FYd, Rot({0, s * FHeight}, FXzJd));
  const Tpt step = Rot({0, s * FFont->FHeight}, FXzJd);
  const std::vector<std::string> lines = TextLines(cv);
  for (std::size_t j = 0; j < lines.size(); ++j) {
    const Tpt at = Sub(top, step, double(j));
    const TPoint d = ptodp(xyTransLogPt(at.x, at.y));
    cv.TextOut(d.x, d.y, lines[j]);
  }
}

bool TCustomXLabel::Selected(Tpt P, double) const {
  TRect r;
  CalcPositionRect(r);
  return InRect(r, P);
}

bool TCustomXLabel::HitBounds(double, TDBox& Box) const {
  BoxBounds(XLabelBox(*this), Box);
  return true;
}

void TCustomXLabel::Explode(TCustomFigureSet& Set) {
  FYd = ExplodePoint(FYd, Set);
  FScale *= Set.GetScale();
  // The set's turn goes into the label's own, so the text stays where it stood.
  FXzJd += Set.FXzJd;
  Modified();
}

void TCustomXLabel::FigureMirror(TBx Line) { MirrorBox(*this, FYd, FWidth, FHeight, FXzJd, Line); }

bool TCustomXLabel::GetCapturePoint(Tpt& P, TPointLx& Kind, TFigureView* View, TPoint CursorPt,
                                    TPointLxSet KindSet) {
  return BoxCapture(*this, XLabelBox(*this), P, Kind, View, CursorPt, KindSet);
}

void TCustomXLabel::SetText(const std::string& Value) { ChangeText(*this, FText, Value); }

void TCustomXLabel::SetFont(const TMyFont& Font) { ChangeFont(*this, *FFont, Font); }

void TCustomXLabel::SetAutoSize(bool Value) { ChangeFlag(*this, FAutoSize, Value); }

PLANDECK_DEFINE_CLASS(TTxXLabel, TCustomXLabel)

std::unique_ptr<TDocItem> TTxXLabel::Clone() const { return CloneOf(*this); }

// ---- registration

namespace {

template <class T, class Base>
void RegisterText(const char* Action, TToolKind Tool, bool InPlace, void (*Icon)(TIconSketch&)) {
  RegisterClass(T::StaticClass());
  RegisterFamily({.Class = &T::StaticClass(),
                  .Action = Action,
                  .Tool = Tool,
                  .EditsInPlace = InPlace,
                  .Font = [](TCustomFigure& f) { return static_cast<Base&>(f).FFont.get(); },
                  .SetFont = [](TCustomFigure& f, const TMyFont& font) { static_cast<Base&>(f).SetFont(font); },
                  .PaintIcon = Icon,
                  .Ops = FamilyOps<T>()});
}

}  // namespace

void RegisterTextClasses() {
  RegisterText<TTxTextLine, TCustomTextLine>("A_TextLine", tkMultiLine, false, [](TIconSketch& s) {
    s.Line(2, 16, 7, 16);
    s.Text(7, 9, 10, 12, "A", 9, true);
    s.Line(17, 16, 22, 16);
  });
  RegisterText<TTxXLabel, TCustomXLabel>("A_XLabel", tkOnePoint, false, [](TIconSketch& s) {
    s.Text(2, 4, 20, 16, "A", 12, true, 30);
  });
  RegisterText<TTxEdit, TCustomTxLabel>("A_Edit", tkOnePoint, true, [](TIconSketch& s) {
    s.Rect(2, 7, 20, 10);
    s.Line(6, 9, 6, 15);
  });
  RegisterText<TTxMemo, TCustomTxLabel>("A_Memo", tkOnePoint, true, [](TIconSketch& s) {
    s.Rect(3, 3, 18, 18);
    for (double y : {7.0, 11.0, 15.0}) s.Line(6, y, 18, y);
  });
  RegisterDimensionClasses();
}
