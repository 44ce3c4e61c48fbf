#include "FigureTestSupport.h"

#include "../support/QtTestEnvironment.h"

#include <gtest/gtest.h>

#include <algorithm>

PLANDECK_DEFINE_CLASS(TTestSegment, TCustomFigure)

void TTestSegment::ReadData(TReader& Reader) {
  TCustomFigure::ReadData(Reader);
  FQd.x = Reader.ReadFloat();
  FQd.y = Reader.ReadFloat();
  FZd.x = Reader.ReadFloat();
  FZd.y = Reader.ReadFloat();
}

void TTestSegment::WriteData(TWriter& Writer) {
  TCustomFigure::WriteData(Writer);
  Writer.WriteFloat(FQd.x);
  Writer.WriteFloat(FQd.y);
  Writer.WriteFloat(FZd.x);
  Writer.WriteFloat(FZd.y);
}

void TTestSegment::AssignTo(TPersistent& Dest) const {
  TCustomFigure::AssignTo(Dest);
  if (auto* d = dynamic_cast<TTestSegment*>(&Dest)) {
    d->FQd = FQd;
    d->FZd = FZd;
  }
}

std::unique_ptr<TDocItem> TTestSegment::Clone() const {
  auto copy = std::make_unique<TTestSegment>();
  copy->Assign(*this);
  return copy;
}

bool TTestSegment::Selected(Tpt P, double Factor) const {
  return pjjbx(xyTransAbsPt(P.x, P.y), pptobx(FQd, FZd), Factor);
}

void TTestSegment::CalcPositionRect(TRect& Rect) const {
  const TPoint a = ptodp(xyTransLogPt(FQd.x, FQd.y));
  const TPoint b = ptodp(xyTransLogPt(FZd.x, FZd.y));
  Rect = TRect{a.x, a.y, b.x, b.y};
  ExpandRect(Rect, FPen.Width + 1);
}

void TTestSegment::GetHandle(int Index, TPoint& P) const {
  const Tpt p = Index == 1 ? FQd : FZd;
  P = ptodp(xyTransLogPt(p.x, p.y));
}

PLANDECK_DEFINE_CLASS(TTestSet, TCustomFigureSet)

std::unique_ptr<TDocItem> TTestSet::Clone() const {
  auto copy = std::make_unique<TTestSet>();
  copy->Assign(*this);
  return copy;
}

void RegisterFigureTestClasses() {
  RegisterFigureClasses();
  RegisterClass(TTestSegment::StaticClass());
  RegisterClass(TTestSet::StaticClass());
}

std::unique_ptr<TTestSegment> Segment(Tpt Qd, Tpt Zd, COLORREF Color, std::int32_t Width, TPenStyle Style) {
  auto s = std::make_unique<TTestSegment>();
  s->FQd = Qd;
  s->FZd = Zd;
  s->FPen.Color = Color;
  s->FPen.Width = Width;
  s->FPen.Style = Style;
  return s;
}

void TFakeDocument::FiguresFreeing(const std::vector<TMyPersistent*>& Figures) {
  Freed.insert(Freed.end(), Figures.begin(), Figures.end());
  if (OnFreeing) OnFreeing(Figures);
}

int TFakeDocument::CountHint(int Hint) const { return int(std::count(Hints.begin(), Hints.end(), Hint)); }

void TFakeView::Select(TDocItem* Item, bool Add) {
  if (!Add) Selection.clear();
  if (Item && !IsSelected(Item)) Selection.push_back(Item);
}

void TFakeView::Deselect(TDocItem* Item) { std::erase(Selection, Item); }

bool TFakeView::IsSelected(const TDocItem* Item) const {
  return std::find(Selection.begin(), Selection.end(), Item) != Selection.end();
}

void TFakeView::Forget(const std::vector<TMyPersistent*>& Figures) {
  std::erase_if(Selection, [&](TDocItem* s) {
    return std::find(Figures.begin(), Figures.end(), static_cast<TMyPersistent*>(s)) != Figures.end();
  });
}

void PaintRoot(TTxFigureSet& Root, Sheet& S) {
  SetViewMapping(*S, S.bitmap.Height());
  Root.DrawNet(*S);
  Root.DrawDC(*S, nullptr, TRect{});
}

std::vector<std::uint8_t> Written(const std::function<void(TWriter&)>& Fn) {
  std::vector<std::uint8_t> out;
  TWriter w(out);
  Fn(w);
  return out;
}

namespace {
[[maybe_unused]] ::testing::Environment* const kEnvironment = ::testing::AddGlobalTestEnvironment(
    new TQtTestEnvironment(TQtTestEnvironment::TKind::Gui, [] { RegisterFigureTestClasses(); }));
}  // namespace
