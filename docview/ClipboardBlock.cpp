#include "docview/ClipboardBlock.h"

#include "docview/DocView.h"
#include "docview/Document.h"
#include "docview/RectHelpers.h"
#include "foundation/ValueStream.h"

#include <cmath>
#include <numbers>

namespace {

Tpt Rotated(Tpt P, double Degrees) {
  const double a = Degrees * std::numbers::pi / 180.0;
  return {P.x * std::cos(a) - P.y * std::sin(a), P.x * std::sin(a) + P.y * std::cos(a)};
}

}  // namespace

PLANDECK_DEFINE_CLASS(TClipboardBlock, TCustomFigureSet)

TClipboardBlock::TClipboardBlock(TMyPersistent* AOwner) : TCustomFigureSet(AOwner) {
  FClassNameDescription = "图块";
  FPen.Style = psClear;
}

void TClipboardBlock::ReadData(TReader& Reader) {
  TCustomFigure::ReadData(Reader);
  FYd.x = Reader.ReadFloat();
  FYd.y = Reader.ReadFloat();
  FWidth = Reader.ReadFloat();
  FHeight = Reader.ReadFloat();
  FShowFrame = Reader.ReadBoolean();
  FFigures->ReadData(Reader);
  AdoptFigures(*FFigures);
}

void TClipboardBlock::WriteData(TWriter& Writer) {
  TCustomFigure::WriteData(Writer);
  Writer.WriteFloat(FYd.x);
  Writer.WriteFloat(FYd.y);
  Writer.WriteFloat(FWidth);
  Writer.WriteFloat(FHeight);
  Writer.WriteBoolean(FShowFrame);
  FFigures->WriteData(Writer);
}

std::unique_ptr<TDocItem> TClipboardBlock::Clone() const {
  auto copy = std::make_unique<TClipboardBlock>(FOwner);
  copy->Assign(*this);
  return copy;
}

void TClipboardBlock::CalcPositionRect(TRect& Rect) const {
  const double s = GetScale();
  const Tpt corners[4] = {{0, 0}, {s * FWidth, 0}, {s * FWidth, s * FHeight}, {0, s * FHeight}};
  for (int i = 0; i < 4; ++i) {
    const Tpt r = Rotated(corners[i], FXzJd);
    const TPoint p = ptodp(xyTransLogPt(FYd.x + r.x, FYd.y + r.y));
    const TRect q{p.x, p.y, p.x, p.y};
    Rect = i == 0 ? q : UnionRect(Rect, q);
  }
  ExpandRect(Rect, 2);
}

void TClipboardBlock::Explode(TCustomFigureSet& Set) {
  const Tpt r = Rotated({Set.GetScale() * FYd.x, Set.GetScale() * FYd.y}, Set.FXzJd);
  FYd = {Set.FYd.x + r.x, Set.FYd.y + r.y};
  FScale *= Set.GetScale();
  FXzJd += Set.FXzJd;
}

void TClipboardBlock::InitialParas(double AWidth, double AHeight) {
  FWidth = AWidth;
  FHeight = AHeight;
}

std::unique_ptr<TCustomFigure> TClipboardBlock::ExplodeItemEx(TDocView& View) {
  View.Select(nullptr, false);
  auto* list = dynamic_cast<TTxCollectFigure*>(FOwner);
  TCustomFigureSet* parent = FParent;
  if (!list || !parent) return nullptr;
  const int index = list->IndexOfObject(this);
  std::unique_ptr<TCustomFigure> self = parent->RemoveFigure(this);
  // From the last figure to the first, each at the block's index, so the
  // parts keep their order.
  for (int i = FFigures->Count() - 1; i >= 0; --i) {
    std::unique_ptr<TDocItem> copy = FFigures->Figures(i)->Clone();
    auto* part = dynamic_cast<TCustomFigure*>(copy.get());
    if (!part) continue;
    copy.release();
    list->Insert(index, std::unique_ptr<TMyPersistent>(part));
    part->FParent = parent;
    part->SetDocument(parent->FDocument);
    part->Invalidate();
    part->Explode(*this);
    part->Modified();
    View.Select(part, true);
    if (parent->FDocument) parent->FDocument->AddItemMessage(part);
  }
  View.BackUp(ovAdd);
  if (parent->FDocument) parent->FDocument->SetModifiedFlag(true);
  return self;
}

void RegisterClipboardBlockClass() { RegisterClass(TClipboardBlock::StaticClass()); }
