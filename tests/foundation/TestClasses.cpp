#include "TestClasses.h"

PLANDECK_DEFINE_CLASS(TTestItem, TTxPersistent)

void TTestItem::ReadData(TReader& r) {
  FNumber = r.ReadInteger();
  FValue = r.ReadFloat();
  FText = r.ReadString();
}

void TTestItem::WriteData(TWriter& w) {
  w.WriteInteger(FNumber);
  w.WriteFloat(FValue);
  w.WriteString(FText);
}

void TTestItem::ReadStream(TStream& s) {
  std::uint8_t n;
  s.ReadBuffer(&n, 1);
  FBlob.resize(n);
  s.ReadBuffer(FBlob.data(), n);
}

void TTestItem::WriteStream(TStream& s) {
  const auto n = static_cast<std::uint8_t>(FBlob.size());
  s.Write(&n, 1);
  s.Write(FBlob.data(), n);
}

void TTestItem::AssignTo(TPersistent& Dest) const {
  if (auto* d = dynamic_cast<TTestItem*>(&Dest)) {
    d->FNumber = FNumber;
    d->FValue = FValue;
    d->FText = FText;
    d->FBlob = FBlob;
  }
}

void TTestItem::Modified() {
  if (!FChanging) ++FModifiedCount;  // a guarded re-entry does nothing
  TTxPersistent::Modified();
}

PLANDECK_DEFINE_CLASS(TTestProject, TTxPersistent)

TTestProject::TTestProject(TMyPersistent* AOwner)
    : TTxPersistent(AOwner), FSpaces(std::make_unique<TTxCollectFound>(this)) {}

void TTestProject::GetPublishedSlots(TPublishedSlots& Slots) {
  TTxPersistent::GetPublishedSlots(Slots);
  Slots.push_back({"TxSpaces", FSpaces.get()});
}

PLANDECK_DEFINE_CLASS(TTestRoot, TComponent)

void TTestRoot::GetPublishedSlots(TPublishedSlots& Slots) { Slots.push_back({"TxProject", FProject.get()}); }

PLANDECK_DEFINE_CLASS(TTestListRoot, TComponent)

PLANDECK_DEFINE_CLASS(TTestGroup, TTxPersistent)

void RegisterTestClasses() {
  RegisterStreamingClasses();
  RegisterClass(TTestItem::StaticClass());
  RegisterClass(TTestProject::StaticClass());
  RegisterClass(TTestRoot::StaticClass());
  RegisterClass(TTestListRoot::StaticClass());
  RegisterClass(TTestGroup::StaticClass());
}
