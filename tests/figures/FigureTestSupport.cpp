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

static void Put32(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + std::size_t(i)] = std::uint8_t(v >> (8 * i));
}

// The smallest compound file: header, one FAT sector and one directory
// sector holding only the root entry.
std::vector<std::uint8_t> TinyCompoundFile() {
  std::vector<std::uint8_t> b(1536, 0);
  const std::vector<std::uint8_t> sig = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
  std::copy(sig.begin(), sig.end(), b.begin());
  b[24] = 0x3E, b[26] = 3, b[28] = 0xFE, b[29] = 0xFF, b[30] = 9, b[32] = 6;
  Put32(b, 44, 1);           // FAT sectors
  Put32(b, 48, 1);           // first directory sector
  Put32(b, 56, 0x1000);      // mini stream cutoff
  Put32(b, 60, 0xFFFFFFFE);  // no mini FAT
  Put32(b, 68, 0xFFFFFFFE);  // no DIFAT sectors
  Put32(b, 76, 0);           // the FAT is sector 0
  for (std::size_t i = 80; i < 512; i += 4) Put32(b, i, 0xFFFFFFFF);
  Put32(b, 512, 0xFFFFFFFD);  // sector 0: FAT
  Put32(b, 516, 0xFFFFFFFE);  // sector 1: directory, end of chain
  for (std::size_t i = 520; i < 1024; i += 4) Put32(b, i, 0xFFFFFFFF);
  const std::string name = "Root Entry";
  for (std::size_t i = 0; i < name.size(); ++i) b[1024 + 2 * i] = std::uint8_t(name[i]);
  b[1024 + 64] = 22;  // name length with the terminator, in bytes
  b[1024 + 66] = 5;   // root storage
  b[1024 + 67] = 1;   // black
  for (std::size_t e = 0; e < 4; ++e)
    for (std::size_t f : {68u, 72u, 76u}) Put32(b, 1024 + e * 128 + f, 0xFFFFFFFF);
  Put32(b, 1024 + 116, 0xFFFFFFFE);  // no mini stream
  return b;
}

std::vector<std::uint8_t> CompoundFileWithStream(const std::string& Name, std::vector<std::uint8_t> Data) {
  if (Data.size() < 4096) Data.resize(4096, 0);
  const std::size_t streamSize = Data.size();
  Data.resize((Data.size() + 511) / 512 * 512, 0);
  std::vector<std::uint8_t> b = TinyCompoundFile();
  const std::uint32_t first = 2, sectors = std::uint32_t(Data.size() / 512);
  for (std::uint32_t i = 0; i < sectors; ++i)  // the stream's chain in the FAT
    Put32(b, 512 + 4 * (first + i), i + 1 < sectors ? first + i + 1 : 0xFFFFFFFE);
  Put32(b, 1024 + 76, 1);  // the root's child: entry 1
  const std::size_t e = 1024 + 128;
  for (std::size_t i = 0; i < Name.size(); ++i) b[e + 2 * i] = std::uint8_t(Name[i]);
  b[e + 64] = std::uint8_t((Name.size() + 1) * 2);
  b[e + 66] = 2;  // stream
  b[e + 67] = 1;  // black
  for (std::size_t f : {68u, 72u, 76u}) Put32(b, e + f, 0xFFFFFFFF);
  Put32(b, e + 116, first);
  Put32(b, e + 120, std::uint32_t(streamSize));
  b.insert(b.end(), Data.begin(), Data.end());
  return b;
}

namespace {
[[maybe_unused]] ::testing::Environment* const kEnvironment = ::testing::AddGlobalTestEnvironment(
    new TQtTestEnvironment(TQtTestEnvironment::TKind::Gui, [] { RegisterFigureTestClasses(); }));
}  // namespace
