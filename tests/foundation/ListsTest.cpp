#include "TestBytes.h"
#include "TestClasses.h"

#include "foundation/ComponentImage.h"
#include "foundation/NodeItems.h"
#include "foundation/StreamError.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

class Lists : public ::testing::Test {
protected:
  void SetUp() override { RegisterTestClasses(); }
};

std::unique_ptr<TTestItem> Item(int number) {
  auto item = std::make_unique<TTestItem>();
  item->FNumber = number;
  return item;
}

std::vector<int> Numbers(const TUndoSaveComponentList& list) {
  std::vector<int> out;
  for (int i = 0; i < list.Count(); ++i) out.push_back(static_cast<TTestItem*>(list.Items(i))->FNumber);
  return out;
}

// A probe that counts how often a change reaches it.
class TCountingOwner : public TTxPersistent {
public:
  void Modified() override {
    ++FCount;
    TTxPersistent::Modified();
  }
  void Invalidate() override { ++FInvalidated; }
  int FCount = 0;
  int FInvalidated = 0;
};

}  // namespace

TEST_F(Lists, InsertClampsTheIndexAndTakesOwnership) {
  TUndoSaveComponentList list;
  list.Add(Item(1));
  list.Insert(-5, Item(0));
  list.Insert(2, Item(2));
  list.Insert(99, Item(3));
  list.Insert(1, Item(9));
  EXPECT_EQ(Numbers(list), (std::vector<int>{0, 9, 1, 2, 3}));
  for (int i = 0; i < list.Count(); ++i) EXPECT_EQ(list.Items(i)->FOwner, &list);
}

TEST_F(Lists, RemoveHandsTheItemBackAndMoveKeepsEveryItem) {
  TUndoSaveComponentList list;
  for (int i = 0; i < 4; ++i) list.Add(Item(i));
  auto taken = list.Remove(list.Items(1));
  ASSERT_NE(taken, nullptr);
  EXPECT_EQ(static_cast<TTestItem*>(taken.get())->FNumber, 1);
  EXPECT_EQ(list.Remove(taken.get()), nullptr);
  list.Move(0, 2);
  EXPECT_EQ(Numbers(list), (std::vector<int>{2, 3, 0}));
  // A bad target index is refused before anything moves.
  EXPECT_THROW(list.Move(0, 3), EStreamError);
  EXPECT_EQ(Numbers(list), (std::vector<int>{2, 3, 0}));
  list.Delete(1);
  EXPECT_EQ(Numbers(list), (std::vector<int>{2, 0}));
}

TEST_F(Lists, HeterogeneousListStreamsClassNamesAndReadsInOrder) {
  TTestListRoot root;
  root.FItems->Add(Item(7));
  auto cap = std::make_unique<TCapPersistent>();
  cap->FCaption = "A";
  root.FItems->Add(std::move(cap));

  ByteBuilder e;
  e("TPF0").Str("TTestListRoot")({0});
  e.Str("Items.P")({0x01, 0x06, 9})("TTestItem")({0x02, 7, 0x05, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x06, 0});
  e({0x06, 14})("TCapPersistent")({0x06, 1})("A")({0x06, 0, 0x00});
  e.Str("Items.S")({0x0A, 5, 0, 0, 0, 2, 0, 0, 0, 0});
  e({0, 0});
  ASSERT_EQ(WriteComponentImage(root), e.b);

  TTestListRoot back;
  ReadComponentImage(e.b, back);
  ASSERT_EQ(back.FItems->Count(), 2);
  EXPECT_STREQ(back.FItems->Items(0)->ClassName(), "TTestItem");
  EXPECT_EQ(static_cast<TCapPersistent*>(back.FItems->Items(1))->FCaption, "A");
  EXPECT_EQ(back.FItems->Items(1)->FOwner, back.FItems.get());
}

TEST_F(Lists, NestedGroupsReadBackButAbsurdNestingIsRefused) {
  auto nested = [](int depth) {
    ByteBuilder b;
    b({0x01});
    for (int i = 0; i < depth; ++i) b({0x06, 10})("TTestGroup")({0x01});
    for (int i = 0; i < depth; ++i) b({0x00});
    b({0x00});
    return b.b;
  };
  {
    TUndoSaveComponentList list;
    const Bytes data = nested(50);
    TReader r(data);
    list.ReadData(r);
    int depth = 0;
    for (TMyPersistent* p = list.Items(0); p;) {
      ++depth;
      auto* g = static_cast<TTestGroup*>(p);
      p = g->FItems->Count() ? g->FItems->Items(0) : nullptr;
    }
    EXPECT_EQ(depth, 50);
  }
  // A damaged file nesting a hundred thousand levels must not exhaust the stack.
  TUndoSaveComponentList list;
  const Bytes data = nested(100000);
  TReader r(data);
  EXPECT_THROW(list.ReadData(r), EStreamError);
}

TEST_F(Lists, SameListReadsNothingMoreForZeroOrNegativeCounts) {
  for (Bytes values : {Bytes{0x02, 0x00, 0x09}, Bytes{0x02, 0xFF, 0x09}, Bytes{0x03, 0x00, 0x80, 0x09}}) {
    TTxCollectFound list;
    TReader r(values);
    list.ReadData(r);
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(r.ReadByte(), 0x09);  // the next value is untouched
  }
}

TEST_F(Lists, SameListCountBeyondTheDataIsRefusedBeforeAllocating) {
  ByteBuilder b;
  b({0x04, 0xFF, 0xFF, 0xFF, 0x7F, 0x06, 14})("TCapPersistent")({0x06, 0, 0x06, 0});
  TTxCollectFound list;
  TReader r(b.b);
  try {
    list.ReadData(r);
    FAIL();
  } catch (const EStreamError& e) {
    EXPECT_STREQ(e.what(), StreamMsg::InvalidPropertyValue);
  }
}

TEST_F(Lists, SameListWritesTheClassNameOnceAndAddObjectUsesItemClass) {
  TTxCollectFound list;
  auto* a = static_cast<TCapPersistent*>(list.AddObject());
  auto* b = static_cast<TCapPersistent*>(list.InsertObject(0));
  a->FCaption = "a";
  b->FCaption = "b";
  b->FDescription = "d";
  EXPECT_EQ(list.GetItemIdent(0), "b");
  EXPECT_EQ(list.GetItemDescription(0), "b : d");

  Bytes out;
  TWriter w(out);
  list.WriteData(w);
  ByteBuilder e;
  e({0x02, 2, 0x06, 14})("TCapPersistent")({0x06, 1})("b")({0x06, 1})("d")({0x06, 1})("a")({0x06, 0});
  EXPECT_EQ(out, e.b);
}

TEST_F(Lists, ModifiedClimbsTheOwnerChainOnceAndFansOutToItems) {
  TCountingOwner owner;
  TUndoSaveComponentList list(&owner);
  list.Add(Item(1));
  list.Add(Item(2));
  list.Modified();
  EXPECT_EQ(owner.FCount, 1);
  for (int i = 0; i < 2; ++i) EXPECT_EQ(static_cast<TTestItem*>(list.Items(i))->FModifiedCount, 1);

  // An item's change reaches the owner once and does not bounce back to the item.
  auto* first = static_cast<TTestItem*>(list.Items(0));
  first->Modified();
  EXPECT_EQ(first->FModifiedCount, 2);
  EXPECT_EQ(owner.FCount, 2);
  EXPECT_FALSE(list.FChanging);
  EXPECT_FALSE(first->FChanging);

  first->Invalidate();
  EXPECT_EQ(owner.FInvalidated, 1);
}

TEST_F(Lists, AssignToCopiesDeeplyAndKeepsClasses) {
  TUndoSaveComponentList src, dst;
  auto item = Item(5);
  item->FBlob = {1, 2};
  src.Add(std::move(item));
  src.Add(std::make_unique<TCapPersistent>());
  dst.Add(Item(99));
  dst.Assign(src);
  ASSERT_EQ(dst.Count(), 2);
  EXPECT_NE(dst.Items(0), src.Items(0));
  EXPECT_STREQ(dst.Items(1)->ClassName(), "TCapPersistent");
  EXPECT_EQ(static_cast<TTestItem*>(dst.Items(0))->FBlob, (Bytes{1, 2}));
  EXPECT_EQ(dst.Items(0)->FOwner, &dst);
}

TEST_F(Lists, MyListSharesItemsAndNeverFreesThem) {
  TTestItem a, b;
  TMyList list, copy;
  list.Insert(5, &a);
  list.Insert(-1, &b);
  EXPECT_EQ(list.First(), &b);
  EXPECT_EQ(list.Last(), &a);
  copy.Assign(list);
  EXPECT_EQ(copy.Items(0), &b);
  EXPECT_EQ(list.Remove(&b), 0);
  EXPECT_EQ(list.Remove(&b), -1);
  list.Clear();
  EXPECT_EQ(copy.Count(), 2);
}

TEST(Registry, NamesAreUniqueIgnoringCaseAndLookupsNameTheClass) {
  RegisterTestClasses();
  RegisterTestClasses();  // the same classes again are fine
  EXPECT_EQ(GetClass("tcappersistent"), &TCapPersistent::StaticClass());
  try {
    FindClass("TNoSuchThing");
    FAIL();
  } catch (const EStreamError& e) {
    EXPECT_STREQ(e.what(), "Class TNoSuchThing not found");
  }
  static const TMetaClass impostor{"TCAPPERSISTENT", &TPersistent::StaticClass(), nullptr};
  try {
    RegisterClass(impostor);
    FAIL();
  } catch (const EStreamError& e) {
    EXPECT_STREQ(e.what(), "A class named TCAPPERSISTENT already exists");
  }
  // Listed once each, by name, the refused impostor not among them.
  const std::vector<const TMetaClass*> all = RegisteredClasses();
  EXPECT_EQ(std::count(all.begin(), all.end(), &TCapPersistent::StaticClass()), 1);
  EXPECT_EQ(std::count(all.begin(), all.end(), &impostor), 0);
  EXPECT_TRUE(std::is_sorted(all.begin(), all.end(), [](const TMetaClass* a, const TMetaClass* b) {
    return std::string_view(a->Name) < std::string_view(b->Name);
  }));
}

TEST(NodeItems, PathNamesWalkUpWhileListsHaveALevel) {
  TCustomNodeList roots;
  auto top = std::make_unique<TCustomNodeItem>();
  top->FCaption = "图层1";
  TCustomNodeItem* topRaw = top.get();
  roots.Add(std::move(top));
  topRaw->FList->FLevel = 1;
  auto mid = std::make_unique<TCustomNodeItem>();
  mid->FCaption = "直线";
  TCustomNodeItem* midRaw = mid.get();
  topRaw->AddChild(std::move(mid));
  midRaw->FList->FLevel = 2;
  auto leaf = std::make_unique<TCustomNodeItem>();
  leaf->FCaption = "L1";
  TCustomNodeItem* leafRaw = leaf.get();
  midRaw->AddChild(std::move(leaf));

  std::deque<std::string> path;
  leafRaw->GetPathNames(path);
  EXPECT_EQ(path, (std::deque<std::string>{"图层1", "直线", "L1"}));

  // A level-0 list stops the walk.
  topRaw->FList->FLevel = 0;
  path.clear();
  leafRaw->GetPathNames(path);
  EXPECT_EQ(path, (std::deque<std::string>{"直线", "L1"}));
}

TEST(NodeItems, ChildrenDataCloneMoveAndFind) {
  TCapPersistent capData;
  TTestItem itemData;
  TCustomNodeItem root;
  root.FData = &capData;
  auto child = std::make_unique<TCustomNodeItem>();
  child->FCaption = "Beta";
  child->FData = &itemData;
  auto grandchild = std::make_unique<TCustomNodeItem>();
  grandchild->FData = &capData;
  child->AddChild(std::move(grandchild));
  TCustomNodeItem* childRaw = child.get();
  root.AddChild(std::move(child));

  std::vector<TPersistent*> found;
  root.GetChildrenData(found, TCapPersistent::StaticClass());
  // TTestItem is not a TCapPersistent; depth first order.
  EXPECT_EQ(found, (std::vector<TPersistent*>{&capData, &capData}));
  found.clear();
  root.GetChildrenData(found, TTxPersistent::StaticClass());
  EXPECT_EQ(found.size(), 3u);

  EXPECT_EQ(root.FList->FindByIdent("beta"), 0);
  EXPECT_EQ(root.FList->FindByIdent("gamma"), -1);

  auto copy = root.Clone();
  ASSERT_EQ(copy->FList->Count(), 1);
  EXPECT_NE(copy->FList->Items(0), childRaw);
  EXPECT_EQ(copy->FList->Items(0)->FCaption, "Beta");
  EXPECT_TRUE(copy->FList->Items(0)->HasChild());

  TCustomNodeList other;
  EXPECT_TRUE(childRaw->MoveTo(other));
  EXPECT_FALSE(root.HasChild());
  EXPECT_EQ(other.Items(0), childRaw);
  EXPECT_EQ(childRaw->FOwner, &other);
  childRaw->Delete();
  EXPECT_EQ(other.Count(), 0);
}
