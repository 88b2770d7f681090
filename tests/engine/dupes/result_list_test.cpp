// The result list: sets as they arrive, checking, deleting, ordering,
// building from a file, and its lock while a reader and the search share it.
#include "engine/dupes/result_list.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <initializer_list>
#include <random>
#include <string>
#include <thread>

#include "engine/dupes/criteria.h"

namespace zw {
namespace {

TFileInfos* File(const std::string& name, uint64_t size = 100, uint8_t flags = 0, const std::string& path = "/data/") {
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

// Adds one set of files by their names.
void Add(TResultList& list, std::initializer_list<const char*> names) {
  TFileInfos* head = nullptr;
  TFileInfos** tail = &head;
  for (const char* n : names) {
    *tail = File(n);
    tail = &(*tail)->Next;
  }
  list.AddSet(head);
}

// The names in item order, space-separated.
std::string Items(const TResultList& list) {
  std::string s;
  for (const TResultEntry* e : list.Items()) s += (s.empty() ? "" : " ") + e->Name;
  return s;
}

// Each set's chain from its head, the sets separated by "|".
std::string Chains(const TResultList& list) {
  std::string s;
  for (int32_t set = 0; set < list.SetCount(); ++set) {
    if (set) s += "|";
    for (const TResultEntry* e = list.SetHead(set); e; e = e->Next) s += (e == list.SetHead(set) ? "" : " ") + e->Name;
  }
  return s;
}

// "#" for a shaded entry, "." for another, in item order.
std::string Shades(const TResultList& list) {
  std::string s;
  for (const TResultEntry* e : list.Items()) s += (e->Flags & reflag::kShaded) ? '#' : '.';
  return s;
}

TEST(ResultListAddSet, ItemsInInputOrderChainsReversedSetsNumberedAndShadedInTurn) {
  TResultList list;
  list.AddSet(nullptr);  // nothing to add
  EXPECT_EQ(list.SetCount(), 0);
  Add(list, {"a1", "a2"});
  Add(list, {"b1", "b2", "b3"});
  Add(list, {"c1", "c2"});
  EXPECT_EQ(Items(list), "a1 a2 b1 b2 b3 c1 c2");
  EXPECT_EQ(Chains(list), "a2 a1|b3 b2 b1|c2 c1");
  EXPECT_EQ(Shades(list), "##...##");
  for (int i = 0; i < 7; ++i) EXPECT_EQ(list.Item(i)->Set, uint32_t("0011122"[i] - '0')) << i;
  EXPECT_EQ(list.SetCount(), 3);
  EXPECT_EQ(list.SetHead(3), nullptr);
}

TEST(ResultListAddSet, CopiesFieldsTranslatesFlagsAndUnpacksDates) {
  platform::FileTime time = 0;
  ASSERT_TRUE(platform::JoinFileTime({2021, 11, 0, 30, 23, 59, 58, 987}, time));
  TFileInfos* zip = File("in.txt", 1234, fiflag::kInArchive | fiflag::kInZip | fiflag::kCrcValid | fiflag::kMiddleValid |
                                             fiflag::kLibrary, "/a/b.zip>/sub/");
  zip->Time = time;
  zip->Attr = 0x21;
  zip->Crc = 0xDEADBEEF;
  zip->Middle = 0x01020304;
  TFileInfos* packed = File("plain.txt", 1234, fiflag::kLibrary | fiflag::kIOError | fiflag::kDatePacked);
  packed->Time = PackLocalDate(time);
  TResultList list;
  list.AddSet(Chain({zip, packed}));

  const TResultEntry* e = list.Item(0);
  EXPECT_EQ(e->FullName(), "/a/b.zip>/sub/in.txt");
  EXPECT_EQ(e->Size, 1234u);
  EXPECT_EQ(e->Time, time);
  EXPECT_EQ(e->Attributes, 0x21u);
  EXPECT_EQ(e->Crc, 0xDEADBEEFu);
  EXPECT_EQ(e->Sample, 0x01020304u);
  EXPECT_EQ(e->Flags, reflag::kShaded | reflag::kInArchive | reflag::kInZip | reflag::kCrcValid | reflag::kSampleValid);
  // A packed date comes back exactly; library and I/O-error bits have no counterpart.
  EXPECT_EQ(list.Item(1)->Time, time);
  EXPECT_EQ(list.Item(1)->Flags, reflag::kShaded);
  // Only a file on disk has a UTC time.
  EXPECT_EQ(e->TimeUtc(), 0u);
  EXPECT_EQ(list.Item(1)->TimeUtc(), platform::LocalToUtc(time));
}

TEST(ResultEntry, KeepsAUtcTimeWholeSecondsAwayFromTheLocalTimeAndForgetsAnyOther) {
  constexpr int64_t kSecond = 10000000;
  TResultEntry e;
  e.Time = 133000000000000000ull + 1234567;  // with a fraction of a second
  struct Case {
    int64_t minusLocal;  // UTC minus local time
    bool kept;
  } cases[] = {{0, true}, {-14 * 3600 * kSecond, true}, {(5 * 3600 + 1800) * kSecond, true},
               {int64_t{INT32_MAX} * kSecond, true}, {(int64_t{INT32_MAX} + 1) * kSecond, false},
               {kSecond / 2, false}, {-1, false}};
  for (const Case& c : cases) {
    const platform::FileTime utc = e.Time + static_cast<platform::FileTime>(c.minusLocal);
    e.SetTimeUtc(utc);
    EXPECT_EQ(e.TimeUtc(), c.kept ? utc : 0u) << c.minusLocal;
  }
  e.SetTimeUtc(0);
  EXPECT_EQ(e.TimeUtc(), 0u);
}

TEST(ResultListAddSet, StartsWithRoomFor512SetsAnd1024EntriesAndGrowsByHalfPlusOne) {
  TResultList list;
  EXPECT_EQ(list.ItemSlots(), 0);
  for (int s = 0; s < 512; ++s) Add(list, {"a", "b"});
  EXPECT_EQ(list.ItemCount(), 1024);
  EXPECT_EQ(list.ItemSlots(), 1024);
  EXPECT_EQ(list.SetSlots(), 512);
  Add(list, {"a", "b"});
  EXPECT_EQ(list.SetSlots(), 769);
  EXPECT_EQ(list.ItemSlots(), 1537);
  // The entries survived the moves of the arrays.
  EXPECT_EQ(list.Item(1025)->Set, 512u);
  EXPECT_EQ(list.SetHead(511)->Name, "b");
  EXPECT_EQ(list.SetHead(511)->Next->Name, "a");
}

TEST(ResultList, CheckingCountsEntriesAndSizesOnceAndNeverInsideArchives) {
  TResultList list;
  list.AddSet(Chain({File("a", 1000), File("b", 2000), File("zip", 4000, fiflag::kInArchive), File("c", 8000)}));
  const auto expectChecked = [&](int count, uint64_t size) {
    EXPECT_EQ(list.CheckedCount(), count);
    EXPECT_EQ(list.CheckedSize(), size);
  };
  list.Check(list.Item(0));
  list.Check(list.Item(1));
  list.Check(list.Item(1));
  list.Check(list.Item(2));
  EXPECT_TRUE(list.Item(0)->IsChecked());
  EXPECT_FALSE(list.Item(2)->IsChecked());
  expectChecked(2, 3000);
  list.Uncheck(list.Item(1));
  list.Uncheck(list.Item(1));
  list.Uncheck(list.Item(2));
  expectChecked(1, 1000);
  list.Check(list.Item(3));
  list.Delete(0);  // a checked entry
  expectChecked(1, 8000);
  // Flags set from outside, e.g. by a loaded file, counted again.
  list.Item(0)->Flags |= reflag::kChecked;
  list.Item(1)->Flags |= reflag::kChecked;
  list.Recount();
  expectChecked(3, 14000);
}

TEST(ResultList, DeletingClosesTheGapAndKeepsTheChainsAndCounts) {
  const struct {
    const char* what;
    std::function<void(TResultList&)> act;
    const char* items;
    const char* chains;
  } rows[] = {
      {"by index", [](TResultList& l) { l.Delete(1); }, "A C D E", "C A|E D"},
      {"out of range", [](TResultList& l) { l.Delete(5); l.Delete(-1); }, "A B C D E", "C B A|E D"},
      {"the head of a set", [](TResultList& l) { l.DeleteFromSet(2); }, "A B D E", "B A|E D"},
      {"the end of a chain", [](TResultList& l) { l.DeleteFromSet(0); }, "B C D E", "C B|E D"},
      {"by entry", [](TResultList& l) { EXPECT_EQ(l.IndexOf(l.Item(3)), 3); l.Delete(l.Item(3)); },
       "A B C E", "C B A|E"},
      {"a stranger", [](TResultList& l) { TResultEntry s; EXPECT_EQ(l.IndexOf(&s), -1); l.Delete(&s); },
       "A B C D E", "C B A|E D"},
      {"after a cleared head", [](TResultList& l) { l.ClearSetHead(0); l.Delete(0); l.Delete(0); l.Delete(0); },
       "D E", "|E D"},
      {"where", [](TResultList& l) { EXPECT_EQ(l.DeleteWhere([](auto& e) { return e.Name == "B" || e.Name == "E"; }), 2); },
       "A C D", "C A|D"},
      {"whole sets", [](TResultList& l) { l.DeleteWhere([](const TResultEntry& e) { return e.Set == 0; }); },
       "D E", "|E D"},
  };
  for (const auto& r : rows) {
    TResultList list;
    Add(list, {"A", "B", "C"});
    Add(list, {"D", "E"});
    list.Check(list.Item(4));  // E: counted while it stays
    r.act(list);
    EXPECT_EQ(Items(list), r.items) << r.what;
    EXPECT_EQ(Chains(list), r.chains) << r.what;
    EXPECT_EQ(list.CheckedCount(), std::string(r.items).ends_with("E") ? 1 : 0) << r.what;
  }
}

TEST(ResultList, TrimAndClear) {
  TResultList list;
  Add(list, {"a", "b"});
  Add(list, {"c", "d", "e"});
  list.Trim();
  EXPECT_EQ(list.ItemSlots(), 5);
  EXPECT_EQ(list.SetSlots(), 2);
  // A set added after trimming grows the full arrays again.
  Add(list, {"f", "g"});
  EXPECT_EQ(list.SetSlots(), 4);
  EXPECT_EQ(list.ItemSlots(), 8);
  EXPECT_EQ(Chains(list), "b a|e d c|g f");

  list.Check(list.Item(0));
  list.SetCurrentOrder(0x82);
  list.SetGroupingMode(2);
  list.Clear();
  EXPECT_EQ(list.ItemCount() + list.SetCount() + list.ItemSlots() + list.SetSlots() + list.CheckedCount(), 0);
  EXPECT_EQ(list.CheckedSize(), 0u);
  EXPECT_EQ(list.SetHead(0), nullptr);
  EXPECT_EQ(list.Item(0), nullptr);
  // As a new list: unsorted, grouped by sets; numbering and array sizes start over.
  EXPECT_EQ(list.CurrentOrder(), kOrderUnsorted);
  EXPECT_EQ(list.GroupingMode(), kGroupByDupeSets);
  EXPECT_EQ(TResultList().CurrentOrder(), kOrderUnsorted);
  EXPECT_EQ(TResultList().GroupingMode(), kGroupByDupeSets);
  Add(list, {"e", "f"});
  EXPECT_EQ(list.Item(0)->Set, 0u);
  EXPECT_EQ(Shades(list), "##");
  EXPECT_EQ(list.SetSlots(), 512);
  EXPECT_EQ(list.ItemSlots(), 1024);
}

TEST(ResultList, OrderBySetsRestoresTheSearchOrderAndShadesNonEmptySetsInTurn) {
  TResultList list;
  Add(list, {"s0a", "s0b"});
  Add(list, {"s1a", "s1b", "s1c"});
  Add(list, {"s2a", "s2b"});
  Add(list, {"s3a", "s3b"});
  auto items = list.MutableItems();
  std::shuffle(items.begin(), items.end(), std::mt19937(7));
  std::sort(items.begin(), items.end(), [](const TResultEntry* a, const TResultEntry* b) { return a->Name.view() > b->Name.view(); });
  list.OrderBySets();
  EXPECT_EQ(Items(list), "s0a s0b s1a s1b s1c s2a s2b s3a s3b");
  EXPECT_EQ(Shades(list), "##...##..");
  list.DeleteWhere([](const TResultEntry& e) { return e.Set == 1; });
  list.OrderBySets();
  EXPECT_EQ(Shades(list), "##..##");
  list.ClearSetHead(0);  // entries no chain reaches go last
  list.OrderBySets();
  EXPECT_EQ(Items(list), "s2a s2b s3a s3b s0a s0b");
}

TEST(ResultList, ReshadeFlipsAtEveryGroupChange) {
  TResultList list;
  list.AddSet(Chain({File("x", 5), File("y", 5), File("z", 7)}));
  list.AddSet(Chain({File("u", 7), File("v", 9)}));
  list.Reshade([](const TResultEntry& a, const TResultEntry& b) { return a.Size == b.Size; });
  EXPECT_EQ(Shades(list), "##..#");
}

TResultEntry* Entry(uint32_t set, const std::string& name, uint8_t flags = 0, uint64_t size = 0) {
  auto* e = new TResultEntry;
  e->Set = set;
  e->Name = name;
  e->Flags = flags;
  e->Size = size;
  return e;
}

TEST(ResultList, AppendEntryRebuildsChainsAsTheSearchDoesAndRefusesSetsOutOfRange) {
  TResultList list;
  Add(list, {"old", "old2"});
  list.SetGroupingMode(3);
  list.Prepare(2, 2);
  EXPECT_EQ(list.ItemCount(), 0);
  EXPECT_EQ(list.SetCount(), 2);
  EXPECT_EQ(list.GroupingMode(), kGroupByDupeSets);
  TResultEntry* bad = Entry(2, "x");
  EXPECT_FALSE(list.AppendEntry(bad));
  EXPECT_FALSE(list.AppendEntry(nullptr));
  delete bad;  // still ours
  for (TResultEntry* e : {Entry(0, "a"), Entry(1, "c", reflag::kChecked, 70), Entry(0, "b"), Entry(1, "d")})
    EXPECT_TRUE(list.AppendEntry(e));  // beyond the prepared room: grows
  EXPECT_EQ(Items(list), "a c b d");
  EXPECT_EQ(Chains(list), "b a|d c");
  EXPECT_EQ(list.CheckedCount(), 1);
  EXPECT_EQ(list.CheckedSize(), 70u);
}

TEST(ResultList, LockIsReentrantForItsOwnerAndIgnoresLeavesOfOthers) {
  TResultList list;
  list.Unlock();  // nobody holds it: ignored
  list.Lock();
  {
    TResultList::TGuard guard(list);
    Add(list, {"a", "b"});  // takes the lock again inside
    list.Delete(0);
  }
  EXPECT_TRUE(list.LockHeldByCaller());
  bool heldElsewhere = true;
  std::thread([&] {
    list.Unlock();  // not this thread's lock: ignored
    heldElsewhere = list.LockHeldByCaller();
  }).join();
  EXPECT_FALSE(heldElsewhere);
  EXPECT_TRUE(list.LockHeldByCaller());
  list.Unlock();
  EXPECT_FALSE(list.LockHeldByCaller());
  list.Unlock();  // one leave too many: ignored
  bool lockedByOther = false;
  std::thread([&] {
    TResultList::TGuard guard(list);
    lockedByOther = list.LockHeldByCaller();
  }).join();
  EXPECT_TRUE(lockedByOther);
}

TEST(ResultList, ReaderUnderTheLockSeesConsistentSetsWhileSetsArrive) {
  constexpr int kSets = 3000, kSize = 3;
  TResultList list;
  std::atomic<bool> done{false};
  std::atomic<int> problems{0}, reads{0};
  std::thread reader([&] {
    for (bool last = false; !last;) {
      last = done.load();
      TResultList::TGuard guard(list);
      // The search thread goes on while the counts are read: entries of
      // the set being added may show before the set is counted, and more
      // sets may be finished between the reads. The item count lies
      // between the sets counted before it and one set more than those
      // counted after it.
      const int32_t sets = list.SetCount(), n = list.ItemCount(), setsAfter = list.SetCount();
      if (n < sets * kSize || n > (setsAfter + 1) * kSize) ++problems;
      for (int32_t i = 0; i < n; ++i) {
        const TResultEntry* e = list.Item(i);
        if (!e || e->Set != static_cast<uint32_t>(i / kSize) || e->Name != "f" + std::to_string(i % kSize)) {
          ++problems;
          break;
        }
      }
      for (int32_t s = 0; s < sets; ++s) {
        int length = 0;
        for (const TResultEntry* e = list.SetHead(s); e; e = e->Next, ++length)
          if (e->Set != static_cast<uint32_t>(s)) ++problems;
        if (length != kSize) ++problems;
      }
      ++reads;
    }
  });
  for (int s = 0; s < kSets; ++s) {
    Add(list, {"f0", "f1", "f2"});
    if (s % 100 == 0)  // let the reader in now and then, growth included
      for (const int before = reads.load(); reads.load() == before;) std::this_thread::yield();
  }
  done = true;
  reader.join();
  EXPECT_EQ(problems.load(), 0);
  EXPECT_EQ(list.SetCount(), kSets);
  EXPECT_EQ(list.ItemCount(), kSets * kSize);
}

}  // namespace
}  // namespace zw
