#include "engine/dupes/result_list.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <initializer_list>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace zw {
namespace {

TFileInfos* File(const std::string& name, uint64_t size = 100, uint8_t flags = 0,
                 const std::string& path = "/data/") {
  auto* f = new TFileInfos;
  f->Name = name;
  f->Path = path;
  f->Size = size;
  f->Flags = flags;
  return f;
}

// Links the entries through Next, in the given order.
TFileInfos* Chain(std::initializer_list<TFileInfos*> files) {
  TFileInfos* head = nullptr;
  TFileInfos** tail = &head;
  for (TFileInfos* f : files) {
    *tail = f;
    tail = &f->Next;
  }
  return head;
}

std::vector<std::string> ItemNames(const TResultList& list) {
  std::vector<std::string> names;
  for (const TResultEntry* e : list.Items()) names.push_back(e->Name);
  return names;
}

std::vector<std::string> ChainNames(const TResultList& list, int32_t set) {
  std::vector<std::string> names;
  for (const TResultEntry* e = list.SetHead(set); e; e = e->Next) names.push_back(e->Name);
  return names;
}

using Names = std::vector<std::string>;

// ---------------------------------------------------------------------------

TEST(ResultListAddSet, KeepsInputOrderInItemsAndReverseOrderInTheSetChain) {
  TResultList list;
  list.AddSet(Chain({File("A"), File("B"), File("C")}));
  EXPECT_EQ(ItemNames(list), (Names{"A", "B", "C"}));
  EXPECT_EQ(ChainNames(list, 0), (Names{"C", "B", "A"}));
  EXPECT_EQ(list.SetCount(), 1);
  EXPECT_EQ(list.ItemCount(), 3);
}

TEST(ResultListAddSet, NumbersSetsInArrivalOrder) {
  TResultList list;
  list.AddSet(Chain({File("a1"), File("a2")}));
  list.AddSet(Chain({File("b1"), File("b2"), File("b3")}));
  list.AddSet(Chain({File("c1"), File("c2")}));
  ASSERT_EQ(list.ItemCount(), 7);
  EXPECT_EQ(ItemNames(list), (Names{"a1", "a2", "b1", "b2", "b3", "c1", "c2"}));
  const uint32_t expected[] = {0, 0, 1, 1, 1, 2, 2};
  for (int i = 0; i < 7; ++i) EXPECT_EQ(list.Item(i)->Set, expected[i]) << i;
  EXPECT_EQ(ChainNames(list, 1), (Names{"b3", "b2", "b1"}));
  EXPECT_EQ(list.SetHead(2)->Name, "c2");
  EXPECT_EQ(list.SetHead(3), nullptr);
}

TEST(ResultListAddSet, ShadesEvenSetsOnly) {
  TResultList list;
  for (int s = 0; s < 3; ++s) list.AddSet(Chain({File("x"), File("y")}));
  EXPECT_EQ(list.Item(0)->Flags & reflag::kShaded, reflag::kShaded);
  EXPECT_EQ(list.Item(1)->Flags & reflag::kShaded, reflag::kShaded);
  EXPECT_EQ(list.Item(2)->Flags & reflag::kShaded, 0);
  EXPECT_EQ(list.Item(3)->Flags & reflag::kShaded, 0);
  EXPECT_EQ(list.Item(4)->Flags & reflag::kShaded, reflag::kShaded);
}

TEST(ResultListAddSet, CopiesFieldsAndTranslatesFlags) {
  TResultList list;
  TFileInfos* zip = File("in.txt", 1234,
                         fiflag::kInArchive | fiflag::kInZip | fiflag::kCrcValid |
                             fiflag::kMiddleValid | fiflag::kLibrary,
                         "/a/b.zip>/sub/");
  zip->Time = 131000000000000000ULL;
  zip->Attr = 0x21;
  zip->Crc = 0xDEADBEEF;
  zip->Middle = 0x01020304;
  TFileInfos* plain = File("plain.txt", 1234, fiflag::kLibrary | fiflag::kIOError);
  list.AddSet(Chain({zip, plain}));

  const TResultEntry* e = list.Item(0);
  EXPECT_EQ(e->Name, "in.txt");
  EXPECT_EQ(e->Path, "/a/b.zip>/sub/");
  EXPECT_EQ(e->Size, 1234u);
  EXPECT_EQ(e->Time, 131000000000000000ULL);
  EXPECT_EQ(e->Attributes, 0x21u);
  EXPECT_EQ(e->Crc, 0xDEADBEEFu);
  EXPECT_EQ(e->Sample, 0x01020304u);
  EXPECT_EQ(e->Flags, reflag::kShaded | reflag::kInArchive | reflag::kInZip | reflag::kCrcValid |
                          reflag::kSampleValid);
  // Library and I/O-error bits have no counterpart in the result.
  EXPECT_EQ(list.Item(1)->Flags, reflag::kShaded);
}

TEST(ResultListAddSet, RestoresAPackedDateExactly) {
  platform::SystemTime st;
  st.year = 2021;
  st.month = 11;
  st.day = 30;
  st.hour = 23;
  st.minute = 59;
  st.second = 58;
  st.milliseconds = 987;
  platform::FileTime original = 0;
  ASSERT_TRUE(platform::JoinFileTime(st, original));
  const uint64_t packed = (uint64_t(2021) << 48) | (uint64_t(10) << 40) | (uint64_t(29) << 32) |
                          (uint64_t(23) << 24) | (uint64_t(59) << 16) | uint64_t(58 * 1024 + 987);
  TFileInfos* f = File("d");
  f->Time = packed;
  f->Flags = fiflag::kDatePacked;
  TFileInfos* g = File("e");
  g->Time = original;  // not packed: copied as it is
  TResultList list;
  list.AddSet(Chain({f, g}));
  EXPECT_EQ(list.Item(0)->Time, original);
  EXPECT_EQ(list.Item(1)->Time, original);
}

TEST(ResultListAddSet, IgnoresAnEmptySet) {
  TResultList list;
  list.AddSet(nullptr);
  EXPECT_EQ(list.SetCount(), 0);
  EXPECT_EQ(list.ItemCount(), 0);
}

TEST(ResultListAddSet, StartsWithRoomFor512SetsAnd1024EntriesAndGrowsByHalfPlusOne) {
  TResultList list;
  EXPECT_EQ(list.ItemSlots(), 0);
  list.AddSet(Chain({File("a"), File("b")}));
  EXPECT_EQ(list.SetSlots(), 512);
  EXPECT_EQ(list.ItemSlots(), 1024);
  for (int s = 1; s < 512; ++s) list.AddSet(Chain({File("a"), File("b")}));
  EXPECT_EQ(list.ItemCount(), 1024);
  EXPECT_EQ(list.ItemSlots(), 1024);
  EXPECT_EQ(list.SetSlots(), 512);
  list.AddSet(Chain({File("a"), File("b")}));
  EXPECT_EQ(list.SetSlots(), 769);
  EXPECT_EQ(list.ItemSlots(), 1537);
  EXPECT_EQ(list.ItemCount(), 1026);
  // The entries survived the moves of the arrays.
  EXPECT_EQ(list.Item(1025)->Set, 512u);
  EXPECT_EQ(ChainNames(list, 511), (Names{"b", "a"}));
}

// ---------------------------------------------------------------------------

class ResultListChecking : public ::testing::Test {
 protected:
  void SetUp() override {
    list.AddSet(Chain({File("a", 1000), File("b", 2000), File("zip", 4000, fiflag::kInArchive)}));
  }
  TResultList list;
};

TEST_F(ResultListChecking, CheckCountsEntryAndSizeOnce) {
  list.Check(list.Item(0));
  list.Check(list.Item(1));
  list.Check(list.Item(1));
  EXPECT_EQ(list.CheckedCount(), 2);
  EXPECT_EQ(list.CheckedSize(), 3000u);
  EXPECT_TRUE(list.Item(0)->IsChecked());
}

TEST_F(ResultListChecking, EntriesInsideArchivesCannotBeChecked) {
  list.Check(list.Item(2));
  EXPECT_FALSE(list.Item(2)->IsChecked());
  EXPECT_EQ(list.CheckedCount(), 0);
  EXPECT_EQ(list.CheckedSize(), 0u);
}

TEST_F(ResultListChecking, UncheckSubtractsOnlyCheckedEntries) {
  list.Check(list.Item(0));
  list.Check(list.Item(1));
  list.Uncheck(list.Item(1));
  list.Uncheck(list.Item(1));
  list.Uncheck(list.Item(2));
  EXPECT_EQ(list.CheckedCount(), 1);
  EXPECT_EQ(list.CheckedSize(), 1000u);
  EXPECT_FALSE(list.Item(1)->IsChecked());
}

TEST_F(ResultListChecking, RecountRebuildsFromTheFlags) {
  list.Item(1)->Flags |= reflag::kChecked;
  list.Item(2)->Flags |= reflag::kChecked;  // set from outside, e.g. by a loaded file
  list.Recount();
  EXPECT_EQ(list.CheckedCount(), 2);
  EXPECT_EQ(list.CheckedSize(), 6000u);
}

TEST_F(ResultListChecking, DeletingACheckedEntryKeepsTheCountsTrue) {
  list.Check(list.Item(0));
  list.Check(list.Item(1));
  list.Delete(0);
  EXPECT_EQ(list.CheckedCount(), 1);
  EXPECT_EQ(list.CheckedSize(), 2000u);
}

// ---------------------------------------------------------------------------

class ResultListDeleting : public ::testing::Test {
 protected:
  void SetUp() override {
    list.AddSet(Chain({File("A"), File("B"), File("C")}));
    list.AddSet(Chain({File("D"), File("E")}));
  }
  TResultList list;
};

TEST_F(ResultListDeleting, DeleteByIndexClosesTheGap) {
  list.Delete(1);
  EXPECT_EQ(ItemNames(list), (Names{"A", "C", "D", "E"}));
  EXPECT_EQ(list.ItemCount(), 4);
  // The freed entry is gone from its set's chain as well.
  EXPECT_EQ(ChainNames(list, 0), (Names{"C", "A"}));
}

TEST_F(ResultListDeleting, DeleteOutOfRangeDoesNothing) {
  list.Delete(5);
  list.Delete(-1);
  EXPECT_EQ(list.ItemCount(), 5);
}

TEST_F(ResultListDeleting, DeleteFromSetMovesTheHeadOn) {
  ASSERT_EQ(list.SetHead(0)->Name, "C");
  list.DeleteFromSet(2);  // C, the head of set 0
  EXPECT_EQ(ChainNames(list, 0), (Names{"B", "A"}));
  EXPECT_EQ(ItemNames(list), (Names{"A", "B", "D", "E"}));
  list.DeleteFromSet(0);  // A, the end of the chain
  EXPECT_EQ(ChainNames(list, 0), (Names{"B"}));
}

TEST_F(ResultListDeleting, DeleteByEntryFindsItOrDoesNothing) {
  TResultEntry* d = list.Item(3);
  EXPECT_EQ(list.IndexOf(d), 3);
  list.Delete(d);
  EXPECT_EQ(ItemNames(list), (Names{"A", "B", "C", "E"}));
  EXPECT_EQ(ChainNames(list, 1), (Names{"E"}));
  TResultEntry stranger;
  list.Delete(&stranger);
  EXPECT_EQ(list.IndexOf(&stranger), -1);
  EXPECT_EQ(list.ItemCount(), 4);
}

TEST_F(ResultListDeleting, DeleteAfterClearedSetHeadLeavesOtherSetsAlone) {
  list.ClearSetHead(0);
  EXPECT_EQ(list.SetHead(0), nullptr);
  list.Delete(0);
  list.Delete(0);
  list.Delete(0);
  EXPECT_EQ(ItemNames(list), (Names{"D", "E"}));
  EXPECT_EQ(ChainNames(list, 1), (Names{"E", "D"}));
}

TEST_F(ResultListDeleting, DeleteWhereRemovesInOnePass) {
  list.Check(list.Item(4));
  const int32_t removed =
      list.DeleteWhere([](const TResultEntry& e) { return e.Name == "B" || e.Name == "E"; });
  EXPECT_EQ(removed, 2);
  EXPECT_EQ(ItemNames(list), (Names{"A", "C", "D"}));
  EXPECT_EQ(ChainNames(list, 0), (Names{"C", "A"}));
  EXPECT_EQ(ChainNames(list, 1), (Names{"D"}));
  EXPECT_EQ(list.CheckedCount(), 0);
  EXPECT_EQ(list.CheckedSize(), 0u);
}

TEST_F(ResultListDeleting, DeleteWhereRemovingWholeSetsEmptiesTheirChains) {
  list.DeleteWhere([](const TResultEntry& e) { return e.Set == 0; });
  EXPECT_EQ(ItemNames(list), (Names{"D", "E"}));
  EXPECT_EQ(list.SetHead(0), nullptr);
  EXPECT_EQ(ChainNames(list, 1), (Names{"E", "D"}));
}

// ---------------------------------------------------------------------------

TEST(ResultListTrim, ShrinksBothArraysToTheirCounts) {
  TResultList list;
  list.AddSet(Chain({File("a"), File("b")}));
  list.AddSet(Chain({File("c"), File("d"), File("e")}));
  list.Trim();
  EXPECT_EQ(list.ItemSlots(), 5);
  EXPECT_EQ(list.SetSlots(), 2);
  // A set added after trimming grows the full arrays again.
  list.AddSet(Chain({File("f"), File("g")}));
  EXPECT_EQ(list.SetSlots(), 4);
  EXPECT_EQ(list.ItemSlots(), 8);
  EXPECT_EQ(ItemNames(list), (Names{"a", "b", "c", "d", "e", "f", "g"}));
  EXPECT_EQ(ChainNames(list, 2), (Names{"g", "f"}));
}

TEST(ResultListClear, ResetsEverything) {
  TResultList list;
  list.AddSet(Chain({File("a", 10), File("b", 20)}));
  list.AddSet(Chain({File("c", 30), File("d", 40)}));
  list.Check(list.Item(0));
  list.SetCurrentOrder(0x82);
  list.SetGroupingMode(2);
  list.Clear();
  EXPECT_EQ(list.ItemCount(), 0);
  EXPECT_EQ(list.SetCount(), 0);
  EXPECT_EQ(list.ItemSlots(), 0);
  EXPECT_EQ(list.SetSlots(), 0);
  EXPECT_EQ(list.CheckedCount(), 0);
  EXPECT_EQ(list.CheckedSize(), 0u);
  EXPECT_EQ(list.CurrentOrder(), 0x40);
  EXPECT_EQ(list.GroupingMode(), 5);
  EXPECT_EQ(list.SetHead(0), nullptr);
  // Numbering and array sizes start over.
  list.AddSet(Chain({File("e"), File("f")}));
  EXPECT_EQ(list.Item(0)->Set, 0u);
  EXPECT_EQ(list.Item(0)->Flags & reflag::kShaded, reflag::kShaded);
  EXPECT_EQ(list.SetSlots(), 512);
  EXPECT_EQ(list.ItemSlots(), 1024);
}

TEST(ResultListClear, NewListIsUnsortedAndGroupedBySets) {
  TResultList list;
  EXPECT_EQ(list.CurrentOrder(), 0x40);
  EXPECT_EQ(list.GroupingMode(), 5);
  EXPECT_EQ(list.Item(0), nullptr);
}

// ---------------------------------------------------------------------------

TEST(ResultListOrder, OrderBySetsRestoresTheSearchOrderAfterSorting) {
  TResultList list;
  list.AddSet(Chain({File("s0a"), File("s0b")}));
  list.AddSet(Chain({File("s1a"), File("s1b"), File("s1c")}));
  list.AddSet(Chain({File("s2a"), File("s2b")}));
  auto items = list.MutableItems();
  std::mt19937 rng(7);
  std::shuffle(items.begin(), items.end(), rng);
  std::sort(items.begin(), items.end(),
            [](const TResultEntry* a, const TResultEntry* b) { return a->Name > b->Name; });
  list.OrderBySets();
  EXPECT_EQ(ItemNames(list), (Names{"s0a", "s0b", "s1a", "s1b", "s1c", "s2a", "s2b"}));
  const uint8_t shade[] = {2, 2, 0, 0, 0, 2, 2};
  for (int i = 0; i < 7; ++i) EXPECT_EQ(list.Item(i)->Flags & reflag::kShaded, shade[i]) << i;
}

TEST(ResultListOrder, OrderBySetsAlternatesOverNonEmptySetsOnly) {
  TResultList list;
  list.AddSet(Chain({File("a"), File("b")}));
  list.AddSet(Chain({File("c"), File("d")}));
  list.AddSet(Chain({File("e"), File("f")}));
  list.DeleteWhere([](const TResultEntry& e) { return e.Set == 1; });
  list.OrderBySets();
  EXPECT_EQ(ItemNames(list), (Names{"a", "b", "e", "f"}));
  EXPECT_EQ(list.Item(2)->Flags & reflag::kShaded, 0);  // set 2 follows set 0 directly
}

TEST(ResultListOrder, OrderBySetsKeepsEntriesWhoseChainWasCleared) {
  TResultList list;
  list.AddSet(Chain({File("a"), File("b")}));
  list.AddSet(Chain({File("c"), File("d")}));
  list.ClearSetHead(0);
  list.OrderBySets();
  EXPECT_EQ(ItemNames(list), (Names{"c", "d", "a", "b"}));
}

TEST(ResultListOrder, ReshadeFlipsAtEveryGroupChange) {
  TResultList list;
  list.AddSet(Chain({File("x", 5), File("y", 5), File("z", 7)}));
  list.AddSet(Chain({File("u", 7), File("v", 9)}));
  list.Reshade([](const TResultEntry& a, const TResultEntry& b) { return a.Size == b.Size; });
  const uint8_t shade[] = {2, 2, 0, 0, 2};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(list.Item(i)->Flags & reflag::kShaded, shade[i]) << i;
}

// ---------------------------------------------------------------------------

TResultEntry* Entry(uint32_t set, const std::string& name, uint8_t flags = 0, uint64_t size = 0) {
  auto* e = new TResultEntry;
  e->Set = set;
  e->Name = name;
  e->Flags = flags;
  e->Size = size;
  return e;
}

TEST(ResultListBuilding, AppendEntryRebuildsChainsAsTheSearchDoes) {
  TResultList list;
  list.AddSet(Chain({File("old"), File("old2")}));
  list.SetGroupingMode(3);
  list.Prepare(2, 4);
  EXPECT_EQ(list.ItemCount(), 0);
  EXPECT_EQ(list.SetCount(), 2);
  EXPECT_TRUE(list.AppendEntry(Entry(0, "a")));
  EXPECT_TRUE(list.AppendEntry(Entry(1, "c", reflag::kChecked, 70)));
  EXPECT_TRUE(list.AppendEntry(Entry(0, "b")));
  EXPECT_TRUE(list.AppendEntry(Entry(1, "d")));
  EXPECT_EQ(ItemNames(list), (Names{"a", "c", "b", "d"}));
  EXPECT_EQ(ChainNames(list, 0), (Names{"b", "a"}));
  EXPECT_EQ(ChainNames(list, 1), (Names{"d", "c"}));
  EXPECT_EQ(list.CheckedCount(), 1);
  EXPECT_EQ(list.CheckedSize(), 70u);
  EXPECT_EQ(list.GroupingMode(), 5);
}

TEST(ResultListBuilding, AppendEntryRefusesASetNumberOutOfRange) {
  TResultList list;
  list.Prepare(1, 1);
  TResultEntry* bad = Entry(1, "x");
  EXPECT_FALSE(list.AppendEntry(bad));
  EXPECT_FALSE(list.AppendEntry(nullptr));
  EXPECT_EQ(list.ItemCount(), 0);
  delete bad;  // still ours
  EXPECT_TRUE(list.AppendEntry(Entry(0, "y")));
  EXPECT_TRUE(list.AppendEntry(Entry(0, "z")));  // beyond the prepared room: grows
  EXPECT_EQ(ItemNames(list), (Names{"y", "z"}));
}

// ---------------------------------------------------------------------------

TEST(ResultListLock, IsReentrantForItsOwner) {
  TResultList list;
  list.Lock();
  list.Lock();
  list.Unlock();
  EXPECT_TRUE(list.LockHeldByCaller());
  list.Unlock();
  EXPECT_FALSE(list.LockHeldByCaller());
  {
    TResultList::TGuard guard(list);
    list.AddSet(Chain({File("a"), File("b")}));  // takes the lock again inside
    list.Delete(0);
    EXPECT_TRUE(list.LockHeldByCaller());
  }
  EXPECT_FALSE(list.LockHeldByCaller());
}

TEST(ResultListLock, LeaveWithoutEnterDoesNothing) {
  TResultList list;
  list.Unlock();  // nobody holds it
  list.Lock();
  bool heldElsewhere = false;
  std::thread other([&] {
    list.Unlock();  // not this thread's lock: ignored
    heldElsewhere = list.LockHeldByCaller();
  });
  other.join();
  EXPECT_FALSE(heldElsewhere);
  EXPECT_TRUE(list.LockHeldByCaller());
  list.Unlock();
  list.Unlock();  // one leave too many: ignored
  bool lockedByOther = false;
  std::thread taker([&] {
    list.Lock();
    lockedByOther = list.LockHeldByCaller();
    list.Unlock();
  });
  taker.join();
  EXPECT_TRUE(lockedByOther);
}

TEST(ResultListConcurrency, ReaderUnderTheLockSeesConsistentSetsWhileSetsArrive) {
  constexpr int kSets = 3000;
  constexpr int kSize = 3;
  TResultList list;
  std::atomic<bool> done{false};
  std::atomic<int> problems{0};
  std::atomic<int> reads{0};

  std::thread reader([&] {
    bool last = false;
    while (!last) {
      last = done.load();
      TResultList::TGuard guard(list);
      const int32_t sets = list.SetCount();
      const int32_t n = list.ItemCount();
      // Entries of the set being added may show before the set is counted.
      if (n < sets * kSize || n > (sets + 1) * kSize) ++problems;
      uint32_t previous = 0;
      for (int32_t i = 0; i < n; ++i) {
        const TResultEntry* e = list.Item(i);
        if (!e || e->Set < previous || e->Set > static_cast<uint32_t>(sets) ||
            e->Set != static_cast<uint32_t>(i / kSize) || e->Name != "f" + std::to_string(i % kSize)) {
          ++problems;
          break;
        }
        previous = e->Set;
      }
      for (int32_t s = 0; s < sets; ++s) {
        int length = 0;
        for (const TResultEntry* e = list.SetHead(s); e; e = e->Next) {
          if (e->Set != static_cast<uint32_t>(s)) ++problems;
          ++length;
        }
        if (length != kSize) ++problems;
      }
      ++reads;
    }
  });

  for (int s = 0; s < kSets; ++s) {
    list.AddSet(Chain({File("f0"), File("f1"), File("f2")}));
    if (s % 100 == 0) {  // let the reader in now and then, growth included
      const int before = reads.load();
      while (reads.load() == before) std::this_thread::yield();
    }
  }
  done = true;
  reader.join();

  EXPECT_EQ(problems.load(), 0);
  EXPECT_GE(reads.load(), kSets / 100);
  EXPECT_EQ(list.SetCount(), kSets);
  EXPECT_EQ(list.ItemCount(), kSets * kSize);
}

}  // namespace
}  // namespace zw
