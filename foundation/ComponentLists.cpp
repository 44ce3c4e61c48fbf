#include "foundation/ComponentLists.h"

#include "foundation/GbkCodec.h"
#include "foundation/StreamError.h"
#include "foundation/Streams.h"
#include "foundation/ValueStream.h"

#include <algorithm>

namespace {

std::int32_t ReadStreamCount(TStream& Stream) {
  std::int32_t n;
  Stream.ReadBuffer(&n, 4);
  return n;
}

// "S" of a list: the stored count, then each of the first count items' own bytes.
template <typename ItemAt>
void ReadItemStreams(TStream& Stream, int Count, ItemAt At) {
  const std::int32_t n = ReadStreamCount(Stream);
  for (std::int32_t i = 0; i < n; ++i) {
    if (i >= Count) throw EStreamError(FormatStreamMsg(StreamMsg::ListIndexOutOfBounds, i));
    At(i)->ReadStream(Stream);
  }
}

void WriteStreamCount(TStream& Stream, std::size_t Count) {
  const auto n = static_cast<std::int32_t>(Count);
  Stream.Write(&n, 4);
}

std::size_t ClampInsertIndex(int Index, std::size_t Count) {
  if (Index < 0) return 0;
  return std::min(static_cast<std::size_t>(Index), Count);
}

// Checked before anything moves, so a bad index never loses an item.
void CheckMoveIndices(int CurIndex, int NewIndex, std::size_t Count) {
  for (int i : {CurIndex, NewIndex})
    if (i < 0 || static_cast<std::size_t>(i) >= Count)
      throw EStreamError(FormatStreamMsg(StreamMsg::ListIndexOutOfBounds, i));
}

// An item's text that has no GBK form fails the save naming the innermost
// item that has a name, so the user can find the figure.
void WriteItemData(TMyPersistent& Item, TWriter& Writer) {
  try {
    Item.WriteData(Writer);
  } catch (const EGbkError& e) {
    if (!e.Subject().empty()) throw;
    const std::string subject = Item.ErrorSubject();
    if (subject.empty()) throw;
    throw e.NamedAs(subject);
  }
}

}  // namespace

std::unique_ptr<TMyPersistent> TListItemReader::Read(TReader& Reader, TMyPersistent* AOwner) {
  const std::string_view className = Reader.ReadRawString();
  if (!FLastClass || className != FLastName) {
    FLastClass = &FindClass(className);
    FLastName = className;
  }
  auto item = CreateMyPersistent(*FLastClass, AOwner);
  item->ReadData(Reader);
  return item;
}

// ---- TUndoSaveComponentList

PLANDECK_DEFINE_CLASS(TUndoSaveComponentList, TTxPersistent)

TUndoSaveComponentList::~TUndoSaveComponentList() {
  // Items may still look at their owner while they are destroyed; free them in
  // order while the list is intact, as Clear does.
  FList.clear();
}

void TUndoSaveComponentList::ReadData(TReader& Reader) {
  TReader::TNestingGuard nesting(Reader);
  Reader.ReadListBegin();
  TListItemReader items;
  while (!Reader.EndOfList()) AppendRead(items.Read(Reader, this));
  Reader.ReadListEnd();
}

void TUndoSaveComponentList::WriteData(TWriter& Writer) {
  Writer.WriteListBegin();
  for (auto& item : FList) {
    Writer.WriteString(item->ClassName());
    WriteItemData(*item, Writer);
  }
  Writer.WriteListEnd();
}

void TUndoSaveComponentList::ReadStream(TStream& Stream) {
  ReadItemStreams(Stream, Count(), [this](int i) { return FList[static_cast<std::size_t>(i)].get(); });
}

void TUndoSaveComponentList::WriteStream(TStream& Stream) {
  WriteStreamCount(Stream, FList.size());
  for (auto& item : FList) item->WriteStream(Stream);
}

void TUndoSaveComponentList::Modified() {
  if (FChanging) return;
  TChangingGuard guard(*this);
  for (auto& item : FList) item->Modified();
  if (FOwner && !FOwner->FChanging) FOwner->Modified();
}

void TUndoSaveComponentList::Refresh() {
  for (auto& item : FList) item->Refresh();
}

void TUndoSaveComponentList::Loaded() {
  for (auto& item : FList) item->Loaded();
}

void TUndoSaveComponentList::AssignTo(TPersistent& Dest) const {
  auto* d = dynamic_cast<TUndoSaveComponentList*>(&Dest);
  if (!d) return;
  d->Clear();
  for (const auto& item : FList) {
    auto copy = CreateMyPersistent(FindClass(item->ClassName()), nullptr);
    copy->Assign(*item);
    d->Add(std::move(copy));
  }
}

std::string TUndoSaveComponentList::GetItemDescription(int) const { return {}; }
std::string TUndoSaveComponentList::GetItemIdent(int) const { return {}; }

void TUndoSaveComponentList::Add(std::unique_ptr<TMyPersistent> Item) {
  Item->FOwner = this;
  FList.push_back(std::move(Item));
}

void TUndoSaveComponentList::Insert(int Index, std::unique_ptr<TMyPersistent> Item) {
  Item->FOwner = this;
  FList.insert(FList.begin() + static_cast<std::ptrdiff_t>(ClampInsertIndex(Index, FList.size())),
               std::move(Item));
}

void TUndoSaveComponentList::Clear() {
  // Take the items out first so an item's destructor never sees a half-cleared list.
  auto items = std::move(FList);
  FList.clear();
  items.clear();
}

void TUndoSaveComponentList::Delete(int Index) {
  auto item = std::move(FList.at(static_cast<std::size_t>(Index)));
  FList.erase(FList.begin() + Index);
}

std::unique_ptr<TMyPersistent> TUndoSaveComponentList::Remove(TMyPersistent* Item) {
  const int i = IndexOfObject(Item);
  if (i < 0) return nullptr;
  auto out = std::move(FList[static_cast<std::size_t>(i)]);
  FList.erase(FList.begin() + i);
  return out;
}

void TUndoSaveComponentList::Move(int CurIndex, int NewIndex) {
  CheckMoveIndices(CurIndex, NewIndex, FList.size());
  if (CurIndex == NewIndex) return;
  auto item = std::move(FList[static_cast<std::size_t>(CurIndex)]);
  FList.erase(FList.begin() + CurIndex);
  FList.insert(FList.begin() + NewIndex, std::move(item));
}

int TUndoSaveComponentList::IndexOfObject(const TMyPersistent* Item) const {
  for (std::size_t i = 0; i < FList.size(); ++i)
    if (FList[i].get() == Item) return static_cast<int>(i);
  return -1;
}

void TUndoSaveComponentList::AppendRead(std::unique_ptr<TMyPersistent> Item) {
  Item->FOwner = this;
  FList.push_back(std::move(Item));
}

// ---- TSameComponentList

PLANDECK_DEFINE_CLASS(TSameComponentList, TUndoSaveComponentList)

void TSameComponentList::ReadData(TReader& Reader) {
  TReader::TNestingGuard nesting(Reader);
  const std::int32_t n = Reader.ReadInteger();
  if (n <= 0) return;
  const TMetaClass& cls = FindClass(Reader.ReadRawString());
  Reader.CheckCount(n);
  FList.reserve(FList.size() + static_cast<std::size_t>(n));
  for (std::int32_t i = 0; i < n; ++i) {
    auto item = CreateMyPersistent(cls, this);
    item->ReadData(Reader);
    AppendRead(std::move(item));
  }
}

void TSameComponentList::WriteData(TWriter& Writer) {
  Writer.WriteInteger(Count());
  if (FList.empty()) return;
  Writer.WriteString(FList.front()->ClassName());
  for (auto& item : FList) WriteItemData(*item, Writer);
}

void TSameComponentList::InitNewObject(TMyPersistent*) {}

TMyPersistent* TSameComponentList::AddObject() {
  auto item = CreateMyPersistent(*FItemClass, this);
  TMyPersistent* raw = item.get();
  Add(std::move(item));
  InitNewObject(raw);
  return raw;
}

TMyPersistent* TSameComponentList::InsertObject(int Index) {
  auto item = CreateMyPersistent(*FItemClass, this);
  TMyPersistent* raw = item.get();
  Insert(Index, std::move(item));
  InitNewObject(raw);
  return raw;
}

// ---- TTxCollectFound

PLANDECK_DEFINE_CLASS(TTxCollectFound, TSameComponentList)

TTxCollectFound::TTxCollectFound(TMyPersistent* AOwner) : TSameComponentList(AOwner) {
  FItemClass = &TCapPersistent::StaticClass();
}

std::string TTxCollectFound::GetItemIdent(int Index) const {
  auto* item = dynamic_cast<TCapPersistent*>(Items(Index));
  return item ? item->FCaption : std::string();
}

std::string TTxCollectFound::GetItemDescription(int Index) const {
  auto* item = dynamic_cast<TCapPersistent*>(Items(Index));
  return item ? item->FCaption + " : " + item->FDescription : std::string();
}

// ---- TMyList

PLANDECK_DEFINE_CLASS(TMyList, TComponent)

void TMyList::DefineProperties(TFiler& Filer) {
  Filer.DefineProperty(
      "P", [this](TReader& r) { ReadData(r); }, [this](TWriter& w) { WriteData(w); }, true);
  Filer.DefineBinaryProperty(
      "S", [this](TStream& s) { ReadStream(s); }, [this](TStream& s) { WriteStream(s); }, true);
}

void TMyList::ReadData(TReader& Reader) {
  TReader::TNestingGuard nesting(Reader);
  Reader.ReadListBegin();
  TListItemReader items;
  while (!Reader.EndOfList()) {
    auto item = items.Read(Reader, nullptr);
    FList.push_back(item.get());
    FReadItems.push_back(std::move(item));
  }
  Reader.ReadListEnd();
  FYd.x = Reader.ReadInteger();
  FYd.y = Reader.ReadInteger();
}

void TMyList::WriteData(TWriter& Writer) {
  Writer.WriteListBegin();
  for (TMyPersistent* item : FList) {
    Writer.WriteString(item->ClassName());
    WriteItemData(*item, Writer);
  }
  Writer.WriteListEnd();
  Writer.WriteInteger(FYd.x);
  Writer.WriteInteger(FYd.y);
}

void TMyList::ReadStream(TStream& Stream) {
  ReadItemStreams(Stream, Count(), [this](int i) { return FList[static_cast<std::size_t>(i)]; });
}

void TMyList::WriteStream(TStream& Stream) {
  WriteStreamCount(Stream, FList.size());
  for (TMyPersistent* item : FList) item->WriteStream(Stream);
}

void TMyList::AssignTo(TPersistent& Dest) const {
  auto* d = dynamic_cast<TMyList*>(&Dest);
  if (!d) return;
  d->Clear();
  for (TMyPersistent* item : FList) d->Add(item);
}

int TMyList::Add(TMyPersistent* Item) {
  FList.push_back(Item);
  return Count() - 1;
}

void TMyList::Clear() { FList.clear(); }

void TMyList::Delete(int Index) {
  FList.at(static_cast<std::size_t>(Index));
  FList.erase(FList.begin() + Index);
}

void TMyList::Exchange(int Index1, int Index2) {
  std::swap(FList.at(static_cast<std::size_t>(Index1)), FList.at(static_cast<std::size_t>(Index2)));
}

TMyPersistent* TMyList::First() const { return FList.empty() ? nullptr : FList.front(); }
TMyPersistent* TMyList::Last() const { return FList.empty() ? nullptr : FList.back(); }

int TMyList::IndexOf(const TMyPersistent* Item) const {
  const auto it = std::find(FList.begin(), FList.end(), Item);
  return it == FList.end() ? -1 : static_cast<int>(it - FList.begin());
}

void TMyList::Insert(int Index, TMyPersistent* Item) {
  FList.insert(FList.begin() + static_cast<std::ptrdiff_t>(ClampInsertIndex(Index, FList.size())), Item);
}

void TMyList::Move(int CurIndex, int NewIndex) {
  CheckMoveIndices(CurIndex, NewIndex, FList.size());
  if (CurIndex == NewIndex) return;
  TMyPersistent* item = FList[static_cast<std::size_t>(CurIndex)];
  FList.erase(FList.begin() + CurIndex);
  FList.insert(FList.begin() + NewIndex, item);
}

int TMyList::Remove(TMyPersistent* Item) {
  const int i = IndexOf(Item);
  if (i >= 0) FList.erase(FList.begin() + i);
  return i;
}

void TMyList::Pack() { std::erase(FList, nullptr); }

void TMyList::Sort(const std::function<bool(TMyPersistent*, TMyPersistent*)>& Less) {
  std::stable_sort(FList.begin(), FList.end(), Less);
}
