#include "DocViewTestSupport.h"

#include "docview/RectHelpers.h"
#include "foundation/ValueStream.h"

#include <QApplication>
#include <algorithm>

PLANDECK_DEFINE_CLASS(TTestBox, TCustomFigure)

void TTestBox::ReadData(TReader& Reader) {
  TCustomFigure::ReadData(Reader);
  FQd.x = Reader.ReadFloat();
  FQd.y = Reader.ReadFloat();
  FZd.x = Reader.ReadFloat();
  FZd.y = Reader.ReadFloat();
}

void TTestBox::WriteData(TWriter& Writer) {
  TCustomFigure::WriteData(Writer);
  Writer.WriteFloat(FQd.x);
  Writer.WriteFloat(FQd.y);
  Writer.WriteFloat(FZd.x);
  Writer.WriteFloat(FZd.y);
}

void TTestBox::AssignTo(TPersistent& Dest) const {
  TCustomFigure::AssignTo(Dest);
  if (auto* d = dynamic_cast<TTestBox*>(&Dest)) {
    d->FQd = FQd;
    d->FZd = FZd;
  }
}

std::unique_ptr<TDocItem> TTestBox::Clone() const {
  auto copy = std::make_unique<TTestBox>();
  copy->Assign(*this);
  return copy;
}

void TTestBox::Paint(TShowPlace& ShowPlace) {
  const TPoint a = ptodp(xyTransLogPt(FQd.x, FQd.y));
  const TPoint b = ptodp(xyTransLogPt(FZd.x, FZd.y));
  const TPoint ring[5] = {{a.x, a.y}, {b.x, a.y}, {b.x, b.y}, {a.x, b.y}, {a.x, a.y}};
  ShowPlace.cvs->Polyline(ring, 5);
}

bool TTestBox::Selected(Tpt P, double) const {
  const Tpt p = xyTransAbsPt(P.x, P.y);
  return p.x >= std::min(FQd.x, FZd.x) && p.x <= std::max(FQd.x, FZd.x) && p.y >= std::min(FQd.y, FZd.y) &&
         p.y <= std::max(FQd.y, FZd.y);
}

void TTestBox::CalcPositionRect(TRect& Rect) const {
  const TPoint a = ptodp(xyTransLogPt(FQd.x, FQd.y));
  const TPoint b = ptodp(xyTransLogPt(FZd.x, FZd.y));
  Rect = TRect{a.x, a.y, b.x, b.y};
  ExpandRect(Rect, FPen.Width);
}

void TTestBox::GetHandle(int Index, TPoint& P) const {
  const Tpt p = Index == 1 ? FQd : FZd;
  P = ptodp(xyTransLogPt(p.x, p.y));
}

void TTestBox::MoveByOffset(double Dx, double Dy) {
  const Tpt o = xyTransAbsPt(0, 0), d = xyTransAbsPt(Dx, Dy);
  Invalidate();
  {
    TChangingGuard changing(*this);
    FQd = {FQd.x + d.x - o.x, FQd.y + d.y - o.y};
    FZd = {FZd.x + d.x - o.x, FZd.y + d.y - o.y};
  }
  Modified();
}

void TTestBox::Explode(TCustomFigureSet& Set) {
  // Only unrotated sets occur in these tests.
  const double s = Set.GetScale();
  FQd = {Set.FYd.x + s * FQd.x, Set.FYd.y + s * FQd.y};
  FZd = {Set.FYd.x + s * FZd.x, Set.FYd.y + s * FZd.y};
}

std::unique_ptr<TTestBox> Box(Tpt Qd, Tpt Zd, COLORREF Color) {
  auto b = std::make_unique<TTestBox>();
  b->FQd = Qd;
  b->FZd = Zd;
  b->FPen.Color = Color;
  return b;
}

// ---- the document

TTestDrawingDoc::TTestDrawingDoc(double Width, double Height) {
  FFigures->FWidth = Width;
  FFigures->FHeight = Height;
  FFigures->FShowGrid = false;
  FFigures->FShowFrame = false;
}

TTestBox* TTestDrawingDoc::AddBox(Tpt Qd, Tpt Zd, COLORREF Color) {
  auto b = Box(Qd, Zd, Color);
  TTestBox* raw = b.get();
  Add(std::move(b), TPoint{0, 0}, nullptr);
  return raw;
}

std::vector<TCustomFigure*> TTestDrawingDoc::Figures() const {
  std::vector<TCustomFigure*> out;
  for (int l = 0; l < FFigures->LayerCount(); ++l)
    for (int i = 0; i < FFigures->LayerList(l)->Count(); ++i) out.push_back(FFigures->LayerList(l)->Figures(i));
  return out;
}

// ---- the tool

namespace {
std::string Call(const char* Name, TPoint P) { return std::string(Name) + " " + std::to_string(P.x) + " " + std::to_string(P.y); }
}  // namespace

void TRecordingTool::OnLButtonDown(TDocView& View, TShiftState Shift, TPoint Pos) {
  TDrawTool::OnLButtonDown(View, Shift, Pos);
  Calls.push_back(Call("down", Pos));
  LastShift = Shift;
}
void TRecordingTool::OnRButtonUp(TDocView& View, TShiftState Shift, TPoint Pos) {
  Calls.push_back(Call("rup", Pos));
  TDrawTool::OnRButtonUp(View, Shift, Pos);
}
void TRecordingTool::OnLButtonDblClk(TDocView& View, TShiftState Shift, TPoint Pos) {
  TDrawTool::OnLButtonDblClk(View, Shift, Pos);
  Calls.push_back(Call("dbl", Pos));
  LastShift = Shift;
}
void TRecordingTool::OnLButtonUp(TDocView& View, TShiftState Shift, TPoint Pos) {
  Calls.push_back(Call("up", Pos));
  TDrawTool::OnLButtonUp(View, Shift, Pos);
}
void TRecordingTool::OnMouseMove(TDocView& View, TShiftState Shift, TPoint Pos) {
  TDrawTool::OnMouseMove(View, Shift, Pos);
  Calls.push_back(Call("move", Pos));
}
void TRecordingTool::OnInitialize(TDocView& View) {
  TDrawTool::OnInitialize(View);
  Calls.push_back("init");
}
void TRecordingTool::OnCancel(TDocView& View) {
  TDrawTool::OnCancel(View);
  Calls.push_back("cancel");
}

// ---- pixels

void ShowView(TDocView& View, int ClientWidth, int ClientHeight) {
  View.setFrameStyle(0);
  View.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  View.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  View.resize(ClientWidth, ClientHeight);
  View.show();
  QApplication::processEvents();
}

QImage Grab(TDocView& View) {
  QApplication::processEvents();
  return View.viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

int CountColour(const QImage& Image, const QRect& Rect, QRgb Colour) {
  int n = 0;
  const QRect r = Rect & Image.rect();
  for (int y = r.top(); y <= r.bottom(); ++y)
    for (int x = r.left(); x <= r.right(); ++x)
      if ((Image.pixel(x, y) & 0xFFFFFF) == (Colour & 0xFFFFFF)) ++n;
  return n;
}

std::vector<std::uint8_t> SavedValues(TMyPersistent& Obj) {
  std::vector<std::uint8_t> out;
  TWriter w(out);
  Obj.WriteData(w);
  return out;
}
