#pragma once
// Small persistent classes for exercising the streaming layer.

#include "foundation/ComponentLists.h"
#include "foundation/Persistent.h"
#include "foundation/Streams.h"
#include "foundation/ValueStream.h"

#include <memory>

// An item with one value of each kind and "S" bytes of its own.
class TTestItem : public TTxPersistent {
  PLANDECK_DECLARE_CLASS(TTestItem)
public:
  explicit TTestItem(TMyPersistent* AOwner = nullptr) : TTxPersistent(AOwner) {}
  void ReadData(TReader& r) override;
  void WriteData(TWriter& w) override;
  void ReadStream(TStream& s) override;
  void WriteStream(TStream& s) override;
  void AssignTo(TPersistent& Dest) const override;
  void Modified() override;

  std::int32_t FNumber = 0;
  double FValue = 0;
  std::string FText;
  std::vector<std::uint8_t> FBlob;  // "S": one length byte and the bytes
  int FModifiedCount = 0;
};

class TTestProject : public TTxPersistent {
  PLANDECK_DECLARE_CLASS(TTestProject)
public:
  explicit TTestProject(TMyPersistent* AOwner = nullptr);
  void GetPublishedSlots(TPublishedSlots& Slots) override;
  void ReadData(TReader& r) override { FValue = r.ReadInteger(); }
  void WriteData(TWriter& w) override { w.WriteInteger(FValue); }

  std::int32_t FValue = 0;
  std::unique_ptr<TTxCollectFound> FSpaces;
};

// A root like a drawing's: one published slot, no properties of its own.
class TTestRoot : public TComponent {
  PLANDECK_DECLARE_CLASS(TTestRoot)
public:
  explicit TTestRoot(TMyPersistent* = nullptr) : FProject(std::make_unique<TTestProject>()) {}
  void GetPublishedSlots(TPublishedSlots& Slots) override;

  std::unique_ptr<TTestProject> FProject;
};

// A root holding an owning list of any items.
class TTestListRoot : public TComponent {
  PLANDECK_DECLARE_CLASS(TTestListRoot)
public:
  explicit TTestListRoot(TMyPersistent* = nullptr) : FItems(std::make_unique<TUndoSaveComponentList>()) {}
  void GetPublishedSlots(TPublishedSlots& Slots) override { Slots.push_back({"Items", FItems.get()}); }

  std::unique_ptr<TUndoSaveComponentList> FItems;
};

// An item that holds further items, like a block of figures.
class TTestGroup : public TTxPersistent {
  PLANDECK_DECLARE_CLASS(TTestGroup)
public:
  explicit TTestGroup(TMyPersistent* AOwner = nullptr)
      : TTxPersistent(AOwner), FItems(std::make_unique<TUndoSaveComponentList>(this)) {}
  void ReadData(TReader& r) override { FItems->ReadData(r); }
  void WriteData(TWriter& w) override { FItems->WriteData(w); }

  std::unique_ptr<TUndoSaveComponentList> FItems;
};

void RegisterTestClasses();
