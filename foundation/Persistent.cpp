#include "foundation/Persistent.h"

#include "foundation/Streams.h"
#include "foundation/ValueStream.h"

std::int32_t ScreenLogPixels = 96;

const TMetaClass& TPersistent::StaticClass() {
  static const TMetaClass meta{"TPersistent", nullptr, nullptr};
  return meta;
}
const TMetaClass& TPersistent::ClassType() const { return StaticClass(); }
void TPersistent::AssignTo(TPersistent&) const {}
void TPersistent::DefineProperties(TFiler&) {}
void TPersistent::GetPublishedSlots(TPublishedSlots&) {}

PLANDECK_DEFINE_CLASS(TMyPersistent, TPersistent)

void TMyPersistent::DefineProperties(TFiler& Filer) {
  Filer.DefineProperty(
      "P", [this](TReader& r) { ReadData(r); }, [this](TWriter& w) { WriteData(w); }, true);
  Filer.DefineBinaryProperty(
      "S", [this](TStream& s) { ReadStream(s); }, [this](TStream& s) { WriteStream(s); }, true);
}

void TMyPersistent::ReadData(TReader&) {}
void TMyPersistent::WriteData(TWriter&) {}
void TMyPersistent::ReadStream(TStream&) {}
void TMyPersistent::WriteStream(TStream&) {}
void TMyPersistent::Invalidate() {}
void TMyPersistent::Modified() { Invalidate(); }
void TMyPersistent::Refresh() { Invalidate(); }
void TMyPersistent::Loaded() {}
std::string TMyPersistent::ErrorSubject() const { return {}; }

PLANDECK_DEFINE_CLASS(TTxPersistent, TMyPersistent)

void TTxPersistent::Invalidate() {
  if (FOwner) FOwner->Invalidate();
}

void TTxPersistent::Modified() {
  if (FChanging) return;
  TChangingGuard guard(*this);
  if (FOwner && !FOwner->FChanging) FOwner->Modified();
}

PLANDECK_DEFINE_CLASS(TCapPersistent, TTxPersistent)

TCapPersistent::TCapPersistent(TMyPersistent* AOwner) : TTxPersistent(AOwner), FCaption("编号") {}

void TCapPersistent::ReadData(TReader& Reader) {
  FCaption = Reader.ReadString();
  FDescription = Reader.ReadString();
}

void TCapPersistent::WriteData(TWriter& Writer) {
  Writer.WriteString(FCaption);
  Writer.WriteString(FDescription);
}

void TCapPersistent::AssignTo(TPersistent& Dest) const {
  auto* d = dynamic_cast<TCapPersistent*>(&Dest);
  if (!d) return;
  TChangingGuard guard(*d);
  d->FCaption = FCaption;
  d->FDescription = FDescription;
}

PLANDECK_DEFINE_CLASS(TComponent, TPersistent)

PLANDECK_DEFINE_CLASS(TMyFont, TPersistent)

void TMyFont::AssignTo(TPersistent& Dest) const {
  auto* d = dynamic_cast<TMyFont*>(&Dest);
  if (!d) return;
  d->FName = FName;
  d->FColor = FColor;
  d->FHeight = FHeight;
  d->FStyle = FStyle;
  d->FPixelsPerInch = FPixelsPerInch;
}
