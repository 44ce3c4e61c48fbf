#include "foundation/NodeItems.h"

#include <algorithm>

namespace {
bool SameTextAscii(std::string_view a, std::string_view b) {
  auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) { return lower(x) == lower(y); });
}
}  // namespace

PLANDECK_DEFINE_CLASS(TCustomNodeItem, TCapPersistent)

TCustomNodeItem::TCustomNodeItem(TMyPersistent* AOwner)
    : TCapPersistent(AOwner), FList(std::make_unique<TCustomNodeList>(this)) {}

TCustomNodeItem::~TCustomNodeItem() = default;

void TCustomNodeItem::AssignTo(TPersistent& Dest) const {
  if (auto* d = dynamic_cast<TCustomNodeItem*>(&Dest)) {
    TChangingGuard guard(*d);
    for (const auto& child : FList->FList) d->AddChild(child->Clone());
  }
  TCapPersistent::AssignTo(Dest);
}

std::unique_ptr<TCustomNodeItem> TCustomNodeItem::Clone() const {
  auto node = std::make_unique<TCustomNodeItem>(nullptr);
  node->Assign(*this);
  return node;
}

TCustomNodeList* TCustomNodeItem::OwnerList() const { return dynamic_cast<TCustomNodeList*>(FOwner); }

void TCustomNodeItem::Delete() {
  if (TCustomNodeList* list = OwnerList()) list->Remove(this).reset();
}

void TCustomNodeItem::DeleteChildren() { FList->Clear(); }

void TCustomNodeItem::UpdateDescription() {}

void TCustomNodeItem::AddChild(std::unique_ptr<TCustomNodeItem> Item) { FList->Add(std::move(Item)); }

std::unique_ptr<TCustomNodeItem> TCustomNodeItem::RemoveChild(TCustomNodeItem* Item) {
  return FList->Remove(Item);
}

void TCustomNodeItem::GetPathNames(std::deque<std::string>& Strings) const {
  Strings.push_front(FCaption);
  for (TCustomNodeList* list = OwnerList(); list && list->FLevel > 0;) {
    auto* parent = dynamic_cast<TCustomNodeItem*>(list->FOwner);
    if (!parent) break;
    Strings.push_front(parent->FCaption);
    list = parent->OwnerList();
  }
}

void TCustomNodeItem::GetChildrenData(std::vector<TPersistent*>& List, const TMetaClass& AClass) const {
  if (FData && FData->InheritsFrom(AClass)) List.push_back(FData);
  for (const auto& child : FList->FList) child->GetChildrenData(List, AClass);
}

bool TCustomNodeItem::HasChild() const { return FList->Count() > 0; }

bool TCustomNodeItem::MoveTo(TCustomNodeList& NewList) {
  TCustomNodeList* list = OwnerList();
  if (!list) return false;
  NewList.Add(list->Remove(this));
  return true;
}

PLANDECK_DEFINE_CLASS(TCustomNodeList, TMyPersistent)

TCustomNodeList::~TCustomNodeList() { Clear(); }

void TCustomNodeList::Add(std::unique_ptr<TCustomNodeItem> Item) {
  Item->FOwner = this;
  FList.push_back(std::move(Item));
}

std::unique_ptr<TCustomNodeItem> TCustomNodeList::Remove(TCustomNodeItem* Item) {
  const auto it = std::find_if(FList.begin(), FList.end(), [&](const auto& p) { return p.get() == Item; });
  if (it == FList.end()) return nullptr;
  auto out = std::move(*it);
  FList.erase(it);
  out->FOwner = nullptr;
  return out;
}

void TCustomNodeList::Clear() {
  auto items = std::move(FList);
  FList.clear();
}

int TCustomNodeList::FindByIdent(std::string_view Caption) const {
  for (std::size_t i = 0; i < FList.size(); ++i)
    if (SameTextAscii(FList[i]->FCaption, Caption)) return static_cast<int>(i);
  return -1;
}
