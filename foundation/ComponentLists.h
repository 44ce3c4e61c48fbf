#pragma once
// Owning and non-owning lists of persistent objects and how they stream.

#include "foundation/Comtype.h"
#include "foundation/Persistent.h"

#include <memory>
#include <vector>

// An owning list of items of any registered class.
class TUndoSaveComponentList : public TTxPersistent {
  PLANDECK_DECLARE_CLASS(TUndoSaveComponentList)
public:
  explicit TUndoSaveComponentList(TMyPersistent* AOwner = nullptr) : TTxPersistent(AOwner) {}
  ~TUndoSaveComponentList() override;

  void ReadData(TReader& Reader) override;
  void WriteData(TWriter& Writer) override;
  void ReadStream(TStream& Stream) override;
  void WriteStream(TStream& Stream) override;
  void Modified() override;
  void Refresh() override;
  void Loaded() override;
  void AssignTo(TPersistent& Dest) const override;

  virtual std::string GetItemDescription(int Index) const;
  virtual std::string GetItemIdent(int Index) const;
  virtual void Add(std::unique_ptr<TMyPersistent> Item);
  // A negative index inserts at the front, one at or past Count appends.
  virtual void Insert(int Index, std::unique_ptr<TMyPersistent> Item);
  virtual void Clear();
  virtual void Delete(int Index);
  // Takes the item out without freeing it; null when it is not in the list.
  virtual std::unique_ptr<TMyPersistent> Remove(TMyPersistent* Item);
  virtual void Move(int CurIndex, int NewIndex);

  TMyPersistent* Items(int Index) const { return FList.at(static_cast<std::size_t>(Index)).get(); }
  int Count() const { return static_cast<int>(FList.size()); }
  int IndexOfObject(const TMyPersistent* Item) const;

protected:
  // Appends an item that a reader created, without the virtual Add.
  void AppendRead(std::unique_ptr<TMyPersistent> Item);
  std::vector<std::unique_ptr<TMyPersistent>> FList;
};

// A list whose items all have one class; streams the class name once.
class TSameComponentList : public TUndoSaveComponentList {
  PLANDECK_DECLARE_CLASS(TSameComponentList)
public:
  explicit TSameComponentList(TMyPersistent* AOwner = nullptr) : TUndoSaveComponentList(AOwner) {}

  void ReadData(TReader& Reader) override;
  void WriteData(TWriter& Writer) override;

  virtual void InitNewObject(TMyPersistent* Item);
  TMyPersistent* AddObject();
  TMyPersistent* InsertObject(int Index);

  const TMetaClass* FItemClass = &TMyPersistent::StaticClass();
};

class TTxCollectFound : public TSameComponentList {
  PLANDECK_DECLARE_CLASS(TTxCollectFound)
public:
  explicit TTxCollectFound(TMyPersistent* AOwner = nullptr);
  std::string GetItemDescription(int Index) const override;
  std::string GetItemIdent(int Index) const override;
};

// A non-owning list: selections and clipboard transfer. Items read from a
// stream are owned by the list until the reader takes them (TakeReadItems).
class TMyList : public TComponent {
  PLANDECK_DECLARE_CLASS(TMyList)
public:
  explicit TMyList(TMyPersistent* = nullptr) {}

  void DefineProperties(TFiler& Filer) override;
  void ReadData(TReader& Reader);
  void WriteData(TWriter& Writer);
  void ReadStream(TStream& Stream);
  void WriteStream(TStream& Stream);
  void AssignTo(TPersistent& Dest) const override;

  virtual int Add(TMyPersistent* Item);
  virtual void Clear();
  virtual void Delete(int Index);
  virtual void Exchange(int Index1, int Index2);
  virtual TMyPersistent* First() const;
  virtual int IndexOf(const TMyPersistent* Item) const;
  virtual void Insert(int Index, TMyPersistent* Item);
  virtual TMyPersistent* Last() const;
  virtual void Move(int CurIndex, int NewIndex);
  virtual int Remove(TMyPersistent* Item);
  virtual void Pack();
  virtual void Sort(const std::function<bool(TMyPersistent*, TMyPersistent*)>& Less);

  TMyPersistent* Items(int Index) const { return FList.at(static_cast<std::size_t>(Index)); }
  int Count() const { return static_cast<int>(FList.size()); }
  std::vector<std::unique_ptr<TMyPersistent>> TakeReadItems() { return std::move(FReadItems); }

  std::vector<TMyPersistent*> FList;
  TPoint FYd;

private:
  std::vector<std::unique_ptr<TMyPersistent>> FReadItems;
};

// Reads one "class name, values" item of a list. Consecutive items are
// usually of one class, so the last lookup is kept.
class TListItemReader {
public:
  std::unique_ptr<TMyPersistent> Read(TReader& Reader, TMyPersistent* AOwner);

private:
  std::string FLastName;
  const TMetaClass* FLastClass = nullptr;
};
