// The file pools: key choice, bucket order, worked examples of the sets they
// hand on, and random inputs against the plain reference (pool_oracle.h).
#include "engine/dupes/file_pool.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "engine/dupes/pool_oracle.h"
#include "support/idle_thread.h"

namespace zw {
namespace {

using pooltest::TReferencePool;
using platform::FileTime;
using Ids = std::vector<uint32_t>;
using Sets = std::vector<Ids>;

constexpr FileTime kHour = 36000000000ULL;
constexpr FileTime kDay = 24 * kHour;
constexpr FileTime kNow = 133549776000000000ULL;  // 2024-03-15 12:00 local

struct Crit {
  TCompareSettings c;
  uint8_t checked = 0;
  Crit& Name(uint8_t mode = afnComplete, bool ignoreCase = true, int n = 0, int m = 0, char sep = 0) {
    checked |= ccFilename;
    c.filename = {.mode = mode, .N = n, .M = m, .c = sep, .ignoreCase = ignoreCase};
    return *this;
  }
  Crit& Size(int64_t tolerance = -1) {  // exact, or within `tolerance` bytes
    checked |= ccSize;
    c.size = {.tolerant = tolerance >= 0, .tolerance = std::max<int64_t>(tolerance, 0)};
    return *this;
  }
  Crit& Date(int days = -1) {  // complete date, exact or within days
    checked |= ccDate;
    c.date = {.complete = 1, .mayDiffer = days >= 0, .days = static_cast<uint32_t>(std::max(days, 0))};
    return *this;
  }
  Crit& DateParts(uint8_t parts) {
    checked |= ccDate;
    c.date = {.complete = 0, .parts = parts};
    return *this;
  }
  Crit& Content(uint8_t range = acComplete, int64_t n = 0, int64_t m = 0) {
    checked |= ccContent;
    c.content = {.range = range, .N = n, .M = m};
    return *this;
  }
  TSearchSettings Make() {
    c.checked = static_cast<TCompCriteria>(checked);
    return MakeSearchSettings(c);
  }
};

// One entry as a test describes it; the id travels in Attr.
struct TEntrySpec {
  uint32_t id = 0;
  uint64_t size = 0;
  FileTime time = kNow;
  std::string name = "f";
  uint8_t flags = 0;
  std::string path = "dir/";
};
TEntrySpec E(uint32_t id, uint64_t size, FileTime time = kNow, std::string name = "f") {
  return {id, size, time, std::move(name)};
}

TFileInfos* MakeEntry(const TEntrySpec& s) {
  auto* e = new TFileInfos;
  e->Name = s.name;
  e->Path = s.path;
  e->Size = s.size;
  e->Time = s.time;
  e->Attr = s.id;
  e->Flags = s.flags;
  return e;
}

// Records every set as ids and frees it; can tell an owner to stop after a
// number of sets.
struct TRecordingSets : TResultManager {
  void AddSet(TFileInfos* first) override {
    sets.emplace_back();
    for (TFileInfos* e = first; e; e = e->Next) sets.back().push_back(e->Attr);
    FreeFileInfosList(first);
    if (stopOwner && static_cast<int>(sets.size()) == stopAfter) stopOwner->Cancel();
  }
  Sets sets;
  TSuspdSafeThread* stopOwner = nullptr;
  int stopAfter = -1;
};

// Everything a run of a pool shows to the outside.
struct TOutcome {
  Sets results;               // sets that reached the result list
  Sets candidates;            // sets handed to the content stage
  Ids droppedWhileFeeding;    // in order
  Ids droppedByFinish;        // in order
  Ids droppedAtEnd;           // sorted (destruction order is free)
  int64_t fileCount = 0, groupCount = 0;
  bool hasLibrary = false, contentStageMade = false;
  int32_t progressMax = 0, progressPos = 0;
  bool operator==(const TOutcome&) const = default;
};

struct TRunInput {
  TSearchSettings settings;
  std::vector<TEntrySpec> fresh, library;
  bool finish = true;
  int stopAfterSets = -1;  // 0: stop requested before Finish; n: after the n-th set
  size_t linearWalkLimit = 16;
};

// Feeds a pool (real or reference), finishes and destroys it.
template <class Pool, class Make>
TOutcome RunPool(const TRunInput& in, Make make) {
  TOutcome out;
  auto owner = std::make_shared<zwtest::IdleThread>();
  TZWStatusServer status(nullptr);
  TRecordingSets results, content;
  int phase = 0;  // 0 feeding, 1 finishing, 2 destroying
  TPoolContext ctx;
  ctx.owner = owner.get();
  ctx.status = &status;
  ctx.results = &results;
  ctx.nowLocal = kNow;
  ctx.linearWalkLimit = in.linearWalkLimit;
  ctx.onDrop = [&](TFileInfos& e) {
    (phase == 0 ? out.droppedWhileFeeding : phase == 1 ? out.droppedByFinish : out.droppedAtEnd).push_back(e.Attr);
  };
  struct Forward : TResultManager {  // the pool owns its stage: forward to `content`
    TRecordingSets* to;
    explicit Forward(TRecordingSets* t) : to(t) {}
    void AddSet(TFileInfos* first) override { to->AddSet(first); }
  };
  ctx.contentStage = [&](TResultManager&, const TSearchSettings&, const TPoolContext&) {
      out.contentStageMade = true;
      return std::unique_ptr<TResultManager>(std::make_unique<Forward>(&content));
    };
  if (in.stopAfterSets > 0)
    for (TRecordingSets* r : {&results, &content}) {
      r->stopOwner = owner.get();
      r->stopAfter = in.stopAfterSets;
    }
  {
    std::unique_ptr<Pool> pool = make(in.settings, ChooseKeys(in.settings), ctx);
    for (const TEntrySpec& s : in.fresh) pool->AddFresh(MakeEntry(s));
    for (const TEntrySpec& s : in.library) pool->AddLibrary(MakeEntry(s));
    out.fileCount = pool->FileCount();
    out.groupCount = pool->GroupCount();
    out.hasLibrary = pool->HasLibraryFiles();
    if (in.finish) {
      if (in.stopAfterSets == 0) owner->Cancel();
      phase = 1;
      pool->Finish(results);
    }
    phase = 2;
  }
  std::sort(out.droppedAtEnd.begin(), out.droppedAtEnd.end());
  out.results = results.sets;
  out.candidates = content.sets;
  out.progressMax = status.Maximum();
  out.progressPos = status.Position();
  return out;
}

TOutcome RunEngine(const TRunInput& in) {
  return RunPool<TFilePool>(in, [](const TSearchSettings& s, const TKeyChoice& k, const TPoolContext& c) {
    return CreatePool(s, k, c);
  });
}
TOutcome RunReference(const TRunInput& in) {
  return RunPool<TReferencePool>(in, [](const TSearchSettings& s, const TKeyChoice& k, const TPoolContext& c) {
    return std::make_unique<TReferencePool>(s, k, c);
  });
}

std::string Describe(const TOutcome& o) {
  std::string t;
  auto ids = [&](const char* what, const Ids& v) {
    t += what;
    for (uint32_t id : v) t += " " + std::to_string(id);
  };
  for (const Ids& set : o.results) ids("\nresult set", set);
  for (const Ids& set : o.candidates) ids("\ncandidate set", set);
  ids("\nfeed drops", o.droppedWhileFeeding);
  ids("\nfinish drops", o.droppedByFinish);
  ids("\nend drops", o.droppedAtEnd);
  ids("\nfiles, groups, progress", {uint32_t(o.fileCount), uint32_t(o.groupCount), uint32_t(o.progressPos), uint32_t(o.progressMax)});
  return t;
}

// Runs the real pool and the reference, expects the same outcome and every
// entry to end exactly once: in a set or freed.
TOutcome RunBoth(const TRunInput& in) {
  const TOutcome engine = RunEngine(in);
  const TOutcome reference = RunReference(in);
  EXPECT_EQ(engine, reference) << "engine:\n" << Describe(engine) << "\nreference:\n" << Describe(reference);
  std::multiset<uint32_t> seen, all;
  for (const Sets* sets : {&engine.results, &engine.candidates})
    for (const Ids& s : *sets) seen.insert(s.begin(), s.end());
  for (const Ids* ids : {&engine.droppedWhileFeeding, &engine.droppedByFinish, &engine.droppedAtEnd})
    seen.insert(ids->begin(), ids->end());
  for (const auto* list : {&in.fresh, &in.library})
    for (const TEntrySpec& e : *list) all.insert(e.id);
  EXPECT_EQ(seen, all);
  return engine;
}

// ---------------------------------------------------------------------------

TEST(PoolKeys, ChoiceFollowsTheRanks) {
  const struct {
    const char* what;
    TSearchSettings settings;
    TCompKey primary, sec0, sec1;
    TPoolKind kind;
  } rows[] = {
      {"nothing", Crit().Make(), ckNone, ckNone, ckNone, TPoolKind::PassThru},
      {"complete content", Crit().Content().Make(), ckSizeExact, ckNone, ckNone, TPoolKind::BySize},
      {"partial content", Crit().Content(acFirstN, 100).Make(), ckNone, ckNone, ckNone, TPoolKind::Unsorted},
      {"size within", Crit().Size(10).Make(), ckSizeTolerant, ckNone, ckNone, TPoolKind::BySize},
      {"size within, complete content", Crit().Size(10).Content().Make(), ckSizeExact, ckNone, ckNone, TPoolKind::BySize},
      {"size within, partial content", Crit().Size(10).Content(acBytesNToM, 0, 9).Make(), ckSizeTolerant, ckNone, ckNone, TPoolKind::BySize},
      {"date", Crit().Date().Make(), ckDateExact, ckNone, ckNone, TPoolKind::ByDate},
      {"date within", Crit().Date(1).Make(), ckDateTolerant, ckNone, ckNone, TPoolKind::ByDate},
      {"date parts", Crit().DateParts(adpDay).Make(), ckDateParts, ckNone, ckNone, TPoolKind::ByDate},
      {"name", Crit().Name().Make(), ckFilename, ckNone, ckNone, TPoolKind::ByFilename},
      {"size, date, name", Crit().Size().Date().Name().Make(), ckSizeExact, ckDateExact, ckFilename, TPoolKind::BySize},
      {"size within, date", Crit().Size(5).Date().Make(), ckDateExact, ckSizeTolerant, ckNone, TPoolKind::ByDate},
      {"size within, date within", Crit().Size(5).Date(1).Make(), ckSizeTolerant, ckDateTolerant, ckNone, TPoolKind::BySize},
      {"size within, date within, name", Crit().Size(5).Date(1).Name().Make(), ckFilename, ckSizeTolerant, ckDateTolerant, TPoolKind::ByFilename},
      {"size within, date parts", Crit().Size(5).DateParts(adpYear).Make(), ckDateParts, ckSizeTolerant, ckNone, TPoolKind::ByDate},
      {"size, date parts, name", Crit().Size().DateParts(adpMonth).Name().Make(), ckSizeExact, ckDateParts, ckFilename, TPoolKind::BySize},
      {"size within, date parts, name", Crit().Size(5).DateParts(adpDay).Name().Make(), ckFilename, ckSizeTolerant, ckDateParts, TPoolKind::ByFilename},
      {"date within, name, complete content", Crit().Date(2).Name().Content().Make(), ckSizeExact, ckDateTolerant, ckFilename, TPoolKind::BySize},
      {"date, name, partial content", Crit().Date().Name().Content(acLastN, 10).Make(), ckDateExact, ckFilename, ckNone, TPoolKind::ByDate},
  };
  for (const auto& r : rows) {
    const TKeyChoice k = ChooseKeys(r.settings);
    EXPECT_EQ(k.primary, r.primary) << r.what;
    EXPECT_EQ(k.secondary[0], r.sec0) << r.what;
    EXPECT_EQ(k.secondary[1], r.sec1) << r.what;
    EXPECT_EQ(k.tolerantPrimary, r.primary == ckSizeTolerant || r.primary == ckDateTolerant) << r.what;
    EXPECT_EQ(PoolKindOf(k, r.settings), r.kind) << r.what;
  }
}

// Files equal under a primary key share a bucket, and bucket order follows
// the key order.
TEST(PoolBuckets, FollowTheKeyOrder) {
  std::mt19937_64 rng(3);
  for (int i = 0; i < 20000; ++i) {
    const uint64_t a = rng() >> (rng() % 64), b = rng() >> (rng() % 64);
    if (a <= b) {
      ASSERT_LE(SizeBucket(a), SizeBucket(b)) << a << " " << b;
      const FileTime now = i % 2 ? kNow : rng();
      ASSERT_LE(DateAgeBucket(now, a), DateAgeBucket(now, b)) << now << " " << a << " " << b;
    }
    ASSERT_LT(SizeBucket(a), kSizeBuckets);
    ASSERT_LT(DateAgeBucket(rng(), a), kDateAgeBuckets);
  }
  for (uint8_t parts = 1; parts < 16; ++parts) {
    const TSearchSettings s = Crit().DateParts(parts).Make();
    for (int i = 0; i < 3000; ++i) {
      TFileInfos a, b;
      a.Time = kNow - 60 * 365 * kDay + rng() % (75 * 365 * kDay);
      b.Time = i % 5 == 0 ? a.Time + rng() % kDay : kNow - 60 * 365 * kDay + rng() % (75 * 365 * kDay);
      const int r = CompareDateParts(s, a, b, false);  // packs both dates
      const uint32_t ba = DatePartsBucket(parts, 2024, a.Time), bb = DatePartsBucket(parts, 2024, b.Time);
      ASSERT_TRUE(r == 0 ? ba == bb : r > 0 || ba <= bb) << int(parts) << " " << ba << " " << bb;
      ASSERT_LT(ba, DatePartsBucketCount(parts));
    }
  }
}

// Worked examples: the sets (handed to the content stage when content is
// compared, else to the result list) and the files freed, in order.
TEST(PoolSets, WorkedExamples) {
  auto L = [](uint32_t id, uint64_t size, FileTime time = kNow) {
    TEntrySpec e = E(id, size, time);
    e.flags = fiflag::kLibrary;
    return e;
  };
  const FileTime monday1am = kNow - 11 * kHour - 4 * kDay;
  const struct {
    const char* what;
    TSearchSettings settings;
    std::vector<TEntrySpec> fresh, library;
    Sets sets;
    Ids dropped;
    int stopAfterSets = -1;
  } examples[] = {
      {"equal sizes form a set, the odd one is dropped", Crit().Size().Make(), {E(1, 10), E(2, 10), E(3, 20)}, {}, {{1, 2}}, {3}},
      {"sets come in key order", Crit().Size().Make(), {E(1, 5000), E(2, 7), E(3, 5000), E(4, 7), E(5, 6000), E(6, 6000)}, {},
       {{2, 4}, {1, 3}, {5, 6}}, {}},
      {"a new equal file goes right behind the group's first", Crit().Size().Make(), {E(1, 9), E(2, 9), E(3, 9), E(4, 9)}, {},
       {{1, 4, 3, 2}}, {}},
      {"a run that does not open its group gets new files at its front", Crit().Size().Date().Make(),
       {E(1, 9, kNow - kDay), E(2, 9), E(3, 9), E(4, 9), E(5, 9, kNow - kDay)}, {}, {{1, 5}, {4, 3, 2}}, {}},
      {"secondary keys split a group", Crit().Size().Name(afnComplete, true).Make(),
       {E(1, 9, kNow, "b"), E(2, 9, kNow, "A"), E(3, 9, kNow, "B"), E(4, 9, kNow, "c"), E(5, 9, kNow, "a")}, {},
       {{2, 5}, {3, 1}}, {4}},
      {"size tolerance forms sets against the head", Crit().Size(4096).Make(), {E(1, 1000), E(2, 3000), E(3, 6000)}, {},
       {{1, 2}}, {3}},
      {"date tolerance does not chain beyond the head", Crit().Date(1).Make(),
       {E(1, 1), E(2, 1, kNow + 20 * kHour), E(3, 1, kNow + 40 * kHour), E(4, 1, kNow + 50 * kHour)}, {}, {{1, 2}, {3, 4}}, {}},
      {"date parts: the time of day", Crit().DateParts(adpTime).Make(),
       {E(1, 1, monday1am), E(2, 2, monday1am + 8 * kHour), E(3, 3, monday1am - 300 * kDay), E(4, 4, monday1am + 8 * kHour + kDay)},
       {}, {{1, 3}, {2, 4}}, {}},
      {"names ignoring case", Crit().Name(afnComplete, true).Make(),
       {E(1, 1, kNow, "A.txt"), E(2, 2, kNow, "b"), E(3, 3, kNow, "a.TXT")}, {}, {{1, 3}}, {2}},
      {"names before the last dot", Crit().Name(afnBeforeLast, false, 0, 0, '.').Make(),
       {E(1, 1, kNow, "a.b.c"), E(2, 2, kNow, "a.b"), E(3, 3, kNow, "a.b.zip"), E(4, 4, kNow, "a")}, {}, {{2, 4}, {1, 3}}, {}},
      {"a library file joins a fresh file of its size", Crit().Size().Make(), {E(1, 10), E(2, 20)}, {L(3, 10), L(4, 30)},
       {{1, 3}}, {4, 2}},
      {"library files never form a set among themselves", Crit().Size().Make(), {E(1, 10)}, {L(2, 20), L(3, 20)}, {}, {2, 3, 1}},
      {"library files follow their fresh file newest first", Crit().Size().Make(), {E(1, 10), E(2, 10)}, {L(3, 10), L(4, 10)},
       {{1, 4, 3, 2}}, {}},
      {"a library file joins the first fresh file within the tolerance", Crit().Size().Date(1).Make(),
       {E(1, 7), E(2, 7, kNow + 3 * kDay / 10), E(3, 7, kNow + 6 * kDay / 10), E(4, 7, kNow + 5 * kDay)},
       {L(5, 7, kNow + 15 * kDay / 10)}, {{1, 2}, {3, 5}}, {4}},
      {"a run ending in front of a library file leaves its last fresh file to the next", Crit().Size().Date(1).Make(),
       {E(1, 7), E(2, 7, kNow + kDay), E(3, 7, kNow + 2 * kDay)}, {L(4, 7, kNow + 15 * kDay / 10)}, {{2, 4, 3}}, {1}},
      {"a library file above every fresh file of its group is dropped", Crit().Size().Date().Make(), {E(1, 7), E(2, 7)},
       {L(3, 7, kNow + 1), L(4, 8), L(5, 7)}, {{1, 5, 2}}, {3, 4}},
      {"a tolerant primary key searches neighbouring groups", Crit().Size(100).Make(), {E(1, 1000), E(2, 1050), E(3, 1300)},
       {L(4, 1120)}, {{2, 4}}, {1, 3}},
      {"a tolerant primary key starts in the nearest bucket below", Crit().Size(100).Make(), {E(1, 1000), E(2, 5000)},
       {L(3, 1030), L(4, 2000)}, {{1, 3}}, {4, 2}},
      {"no criterion: every file a set of its own", Crit().Make(), {E(1, 10), E(2, 10), E(3, 20)}, {L(4, 10)},
       {{1}, {2}, {3}, {4}}, {}},
      {"content alone: one candidate set of all files", Crit().Content(acFirstN, 100).Make(), {E(1, 500), E(2, 7), E(3, 500)},
       {L(4, 1)}, {{1, 2, 3, 4}}, {}},
      {"complete content: candidates by size", Crit().Content().Make(), {E(1, 10), E(2, 10), E(3, 20)}, {}, {{1, 2}}, {3}},
      {"content and date", Crit().Content().Date().Make(), {E(1, 10), E(2, 10, kNow + 1), E(3, 10, kNow + 1), E(4, 10, kNow + 2)},
       {}, {{3, 2}}, {1, 4}},
      {"a stop before Finish hands on nothing", Crit().Size().Make(), {E(1, 10), E(2, 10), E(3, 20), E(4, 20)}, {}, {}, {}, 0},
      {"a stop after a set keeps the rest for destruction", Crit().Size().Make(),
       {E(1, 10), E(2, 10), E(3, 20), E(4, 20), E(5, 30)}, {}, {{1, 2}}, {}, 1},
      {"a stop while splitting frees the rest of the list", Crit().Date(0).Make(),
       {E(1, 1), E(2, 1), E(3, 1, kNow + kDay), E(4, 1, kNow + kDay), E(5, 1, kNow + 2 * kDay)}, {}, {{1, 2}}, {3, 4, 5}, 1},
  };
  for (const auto& x : examples) {
    TRunInput in;
    in.settings = x.settings;
    in.fresh = x.fresh;
    in.library = x.library;
    in.stopAfterSets = x.stopAfterSets;
    const TOutcome o = RunBoth(in);
    EXPECT_EQ(x.settings.contentOn ? o.candidates : o.results, x.sets) << x.what;
    Ids dropped = o.droppedWhileFeeding;
    dropped.insert(dropped.end(), o.droppedByFinish.begin(), o.droppedByFinish.end());
    EXPECT_EQ(dropped, x.dropped) << x.what;
    EXPECT_EQ(o.contentStageMade, x.settings.contentOn) << x.what;
  }
}

TEST(PoolSets, ProgressCountsGroupsWithoutContentAndFilesWithIt) {
  TRunInput in;
  in.settings = Crit().Size(10).Make();  // a tolerant primary key: every group a step
  in.fresh = {E(1, 100), E(2, 105), E(3, 300), E(4, 100)};
  TOutcome o = RunBoth(in);
  EXPECT_EQ(o.results, (Sets{{1, 4, 2}}));
  EXPECT_EQ(o.progressMax, 3);
  EXPECT_EQ(o.progressPos, 3);
  in.settings = Crit().Content().Make();  // each dropped file a step, groups none
  in.fresh = {E(1, 10), E(2, 10), E(3, 20)};
  o = RunBoth(in);
  EXPECT_EQ(o.progressMax, 3);
  EXPECT_EQ(o.progressPos, 1);
}

TEST(PoolSets, AFreshFileAfterTheFirstLibraryFileIsTakenAsALibraryFile) {
  TRecordingSets results;
  TPoolContext ctx;
  ctx.results = &results;
  const TSearchSettings s = Crit().Size().Make();
  auto pool = CreatePool(s, ChooseKeys(s), ctx);
  pool->AddFresh(MakeEntry(E(1, 10)));
  TEntrySpec lib = E(2, 10);
  lib.flags = fiflag::kLibrary;
  pool->AddLibrary(MakeEntry(lib));
  pool->AddFresh(MakeEntry(E(3, 10)));  // joins, as a library file
  pool->AddFresh(MakeEntry(E(4, 20)));  // opens nothing
  EXPECT_EQ(pool->FileCount(), 3);
  EXPECT_EQ(pool->GroupCount(), 1);
  pool->Finish(results);
  EXPECT_EQ(results.sets, (Sets{{1, 3, 2}}));
}

TEST(PoolSets, WithoutCriteriaSetsArriveWhileFeedingAndNeedTheResultList) {
  TRecordingSets results;
  TPoolContext ctx;
  ctx.results = &results;
  const TSearchSettings s = Crit().Make();
  auto pool = CreatePool(s, ChooseKeys(s), ctx);
  pool->AddFresh(MakeEntry(E(7, 1)));
  EXPECT_EQ(results.sets, (Sets{{7}}));
  EXPECT_THROW(CreatePool(s, ChooseKeys(s), TPoolContext{}), std::invalid_argument);
}

// ---------------------------------------------------------------------------
// Random inputs against the reference

struct RandomCase {
  std::mt19937_64 rng;
  uint64_t combination;
  explicit RandomCase(uint64_t seed) : rng(seed), combination(seed) {}
  uint64_t Below(uint64_t n) { return n == 0 ? 0 : rng() % n; }
  bool Coin(int percent = 50) { return Below(100) < static_cast<uint64_t>(percent); }

  // Each combination of the criteria and their variants in turn, by the
  // seed: name (off, on), size (off, exact, within), date (off, exact,
  // within, parts), content (off, complete, partial).
  TSearchSettings Settings() {
    const uint64_t f = combination % 2, sz = combination / 2 % 3, d = combination / 6 % 4, c = combination / 24 % 3;
    Crit k;
    if (f) {
      const int n = static_cast<int>(1 + Below(4));
      k.Name(std::vector<uint8_t>{0, 1, 3, 4, 5, 6, 7, 8}[Below(8)], Coin(), n, Coin(90) ? n + static_cast<int>(Below(4)) : n - 1,
             "._aA"[Below(4)]);
    }
    if (sz) k.Size(sz == 1 ? -1 : std::vector<int64_t>{0, 1, 3, 10, 100, 4096}[Below(6)]);
    if (d == 1) k.Date();
    if (d == 2) k.Date(static_cast<int>(Below(3)));
    if (d == 3) k.DateParts(static_cast<uint8_t>(Coin(95) ? 1 + Below(15) : 0));
    if (c) k.Content(static_cast<uint8_t>(c == 1 ? uint64_t{acComplete} : 1 + Below(4)), 0, 99);
    return k.Make();
  }

  std::vector<uint64_t> Values(size_t n, auto make) {
    std::vector<uint64_t> values(std::max<size_t>(1, n));
    for (auto& v : values) v = make();
    return values;
  }

  // Few distinct values, so that keys collide.
  TRunInput Input(size_t maxFiles) {
    TRunInput in;
    in.settings = Settings();
    const size_t n = Below(maxFiles + 1);
    std::vector<uint64_t> sizes;
    switch (Below(3)) {
      case 0: sizes = Values(1 + Below(12), [&] { return Below(30); }); break;
      case 1: sizes = Values(1 + Below(n / 2 + 2), [&] { return 1000 + Below(300); }); break;
      default: sizes = Values(1 + Below(n + 2), [&] { return Below(uint64_t{1} << (1 + Below(40))); }); break;
    }
    const std::vector<uint64_t> times = Values(1 + Below(n / 2 + 3), [&]() -> uint64_t {
      switch (Below(5)) {
        case 0: return kNow - Below(72) * kHour;
        case 1: return kNow - Below(3) * kDay + Below(1000) * 10000;
        case 2: return kNow - Below(40 * 365) * kDay - Below(86400) * 10000000;
        case 3: return kNow + Below(uint64_t{1} << (20 + Below(40)));  // the future
        default: return kNow - (uint64_t{1} << (Below(60)));
      }
    });
    std::vector<std::string> names;
    for (size_t i = 0; i < 1 + Below(n / 2 + 3); ++i) {
      std::string name = std::vector<std::string>{"", "a", "ab", "A", "x.y", "ab_"}[Below(6)];
      for (size_t k = Below(5); k > 0; --k) name += "aAbB._x"[Below(7)];
      names.push_back(name);
    }
    const size_t libraryCount = Coin(60) ? Below(n + 1) : 0;
    for (size_t i = 0; i < n; ++i) {
      TEntrySpec e = E(static_cast<uint32_t>(i + 1), sizes[Below(sizes.size())], times[Below(times.size())],
                       names[Below(names.size())]);
      if (Coin(10)) e.flags |= fiflag::kIOError;
      if (Coin(10)) e.flags |= fiflag::kCrcValid;
      if (i < n - libraryCount) {
        in.fresh.push_back(e);
      } else {
        e.flags |= fiflag::kLibrary;
        in.library.push_back(e);
      }
    }
    if (Coin(15)) in.stopAfterSets = static_cast<int>(Below(4));
    in.finish = !Coin(3);                  // else destruction frees everything
    in.linearWalkLimit = Coin() ? 0 : 16;  // 0: every group searched through its indexes
    return in;
  }
};

// Runs random inputs against the reference and checks that they reached
// the interesting cases: sets, library files in sets, a tolerant primary
// key, two secondary keys, content and stops.
void RunRandom(uint64_t firstSeed, int count, size_t maxFiles, int atLeast) {
  int reached[6] = {};
  for (uint64_t seed = firstSeed; seed < firstSeed + count; ++seed) {
    RandomCase rc(seed);
    const TRunInput in = rc.Input(maxFiles);
    SCOPED_TRACE("seed " + std::to_string(seed));
    const TOutcome o = RunBoth(in);
    if (::testing::Test::HasFailure()) return;
    const TKeyChoice k = ChooseKeys(in.settings);
    bool libraryInSet = false;
    for (const Sets* sets : {&o.results, &o.candidates})
      for (const Ids& set : *sets)
        for (uint32_t id : set) libraryInSet |= id > in.fresh.size() && set.size() > 1 && k.primary != ckNone;
    reached[0] += !o.results.empty() || !o.candidates.empty();
    reached[1] += libraryInSet;
    reached[2] += k.tolerantPrimary;
    reached[3] += k.secondary[1] != ckNone;
    reached[4] += o.contentStageMade;
    reached[5] += in.stopAfterSets >= 0;
  }
  for (int r : reached) EXPECT_GE(r, atLeast);
}

TEST(PoolDifferential, SmallRandomInputsGiveTheReferenceOutcome) { RunRandom(1, 4000, 40, 100); }

TEST(PoolDifferential, LargerRandomInputsGiveTheReferenceOutcome) { RunRandom(100001, 300, 1500, 10); }

}  // namespace
}  // namespace zw
