#pragma once
// Tree nodes that the index tree specialises: each node has a caption, the
// object it stands for and an owned list of children.

#include "foundation/Persistent.h"

#include <deque>
#include <memory>
#include <vector>

class TCustomNodeList;

class TCustomNodeItem : public TCapPersistent {
  PLANDECK_DECLARE_CLASS(TCustomNodeItem)
public:
  explicit TCustomNodeItem(TMyPersistent* AOwner = nullptr);
  ~TCustomNodeItem() override;

  void AssignTo(TPersistent& Dest) const override;

  virtual std::unique_ptr<TCustomNodeItem> Clone() const;
  // Removes the node from the list that owns it and frees it; the node must
  // not be used afterwards. A node owned by no list is left alone.
  virtual void Delete();
  virtual void DeleteChildren();
  virtual void UpdateDescription();
  virtual void AddChild(std::unique_ptr<TCustomNodeItem> Item);
  virtual std::unique_ptr<TCustomNodeItem> RemoveChild(TCustomNodeItem* Item);
  // Captions from the top of the tree down to this node.
  virtual void GetPathNames(std::deque<std::string>& Strings) const;
  virtual void GetChildrenData(std::vector<TPersistent*>& List, const TMetaClass& AClass) const;

  bool HasChild() const;
  // Moves the node from its owning list to NewList; false when no list owns it
  // (its owner then hands it to NewList.Add itself).
  bool MoveTo(TCustomNodeList& NewList);
  TCustomNodeList* OwnerList() const;

  TPersistent* FData = nullptr;
  std::unique_ptr<TCustomNodeList> FList;
  std::int32_t FLevel = 0;
};

class TCustomNodeList : public TMyPersistent {
  PLANDECK_DECLARE_CLASS(TCustomNodeList)
public:
  explicit TCustomNodeList(TMyPersistent* AOwner = nullptr) : TMyPersistent(AOwner) {}
  ~TCustomNodeList() override;

  void Add(std::unique_ptr<TCustomNodeItem> Item);
  std::unique_ptr<TCustomNodeItem> Remove(TCustomNodeItem* Item);
  void Clear();
  // Index of the first child whose caption equals Caption ignoring case, or -1.
  int FindByIdent(std::string_view Caption) const;
  int Count() const { return static_cast<int>(FList.size()); }
  TCustomNodeItem* Items(int Index) const { return FList.at(static_cast<std::size_t>(Index)).get(); }

  std::int32_t FLevel = 0;
  std::vector<std::unique_ptr<TCustomNodeItem>> FList;
};
