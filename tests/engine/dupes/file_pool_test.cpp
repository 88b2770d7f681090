#include "engine/dupes/file_pool.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "engine/dupes/pool_oracle.h"
#include "engine/dupes/pool_shapes.h"
#include "engine/dupes/pool_test_support.h"
#include "support/temp_tree.h"

namespace zw {
namespace {

using namespace pooltest;
using platform::FileTime;
using Sets = std::vector<std::vector<uint32_t>>;
using Ids = std::vector<uint32_t>;

constexpr FileTime kNow = poolshapes::kShapeNow;  // 2024-03-15 12:00 local
constexpr FileTime kHour = poolshapes::kHour;
constexpr FileTime kDay = 24 * kHour;

// ---------------------------------------------------------------------------
// Helpers

struct Crit {
  TCompareSettings c;
  bool f = false, s = false, d = false, content = false;
  Crit& Name(uint8_t mode = afnComplete, bool ignoreCase = true, int n = 0, int m = 0, char sep = 0) {
    f = true;
    c.filename.mode = mode;
    c.filename.ignoreCase = ignoreCase;
    c.filename.N = n;
    c.filename.M = m;
    c.filename.c = sep;
    return *this;
  }
  Crit& Size(int64_t tolerance = -1) {
    s = true;
    c.size.tolerant = tolerance >= 0;
    c.size.tolerance = tolerance >= 0 ? tolerance : 0;
    return *this;
  }
  Crit& Date() {
    d = true;
    c.date.complete = 1;
    c.date.mayDiffer = 0;
    return *this;
  }
  Crit& DateWithin(uint32_t days) {
    d = true;
    c.date.complete = 1;
    c.date.mayDiffer = 1;
    c.date.days = days;
    return *this;
  }
  Crit& DateParts(uint8_t parts) {
    d = true;
    c.date.complete = 0;
    c.date.parts = parts;
    return *this;
  }
  Crit& Content(uint8_t range = acComplete, int64_t n = 0, int64_t m = 0) {
    content = true;
    c.content.range = range;
    c.content.N = n;
    c.content.M = m;
    return *this;
  }
  TSearchSettings Make() {
    c.checked = static_cast<zw::TCompCriteria>((f ? zw::ccFilename : 0) | (s ? zw::ccSize : 0) |
                                               (d ? zw::ccDate : 0) | (content ? zw::ccContent : 0));
    return MakeSearchSettings(c);
  }
};

TEntrySpec E(uint32_t id, uint64_t size, FileTime time = kNow, std::string name = "f") {
  TEntrySpec e;
  e.id = id;
  e.size = size;
  e.time = time;
  e.name = std::move(name);
  return e;
}

TEntrySpec L(uint32_t id, uint64_t size, FileTime time = kNow, std::string name = "f") {
  TEntrySpec e = E(id, size, time, std::move(name));
  e.flags = fiflag::kLibrary;
  return e;
}

TOutcome RunEngine(const TRunInput& in, size_t linearWalkLimit = 16) {
  return RunPool<TFilePool>(in, [&](const TSearchSettings& s, const TKeyChoice& k, TPoolContext ctx) {
    ctx.linearWalkLimit = linearWalkLimit;
    return CreatePool(s, k, ctx);
  });
}

TOutcome RunOracle(const TRunInput& in) {
  return RunPool<oracle::TOraclePool>(
      in, [](const TSearchSettings& s, const TKeyChoice& k, const TPoolContext& ctx) {
        return std::make_unique<oracle::TOraclePool>(s, k, ctx);
      });
}

std::string Describe(const TOutcome& o) {
  auto list = [](const Sets& sets) {
    std::string t;
    for (const auto& s : sets) {
      t += "[";
      for (uint32_t id : s) t += std::to_string(id) + " ";
      t += "]";
    }
    return t;
  };
  auto ids = [](const Ids& v) {
    std::string t;
    for (uint32_t id : v) t += std::to_string(id) + " ";
    return t;
  };
  return "results " + list(o.results) + "\ncandidates " + list(o.candidates) + "\nfeed drops " +
         ids(o.droppedWhileFeeding) + "\nfinish drops " + ids(o.droppedByFinish) + "\nend drops " +
         ids(o.droppedAtEnd) + "\nfiles " + std::to_string(o.fileCount) + " groups " +
         std::to_string(o.groupCount) + " progress " + std::to_string(o.progressPos) + "/" +
         std::to_string(o.progressMax);
}

// Every entry ends exactly once: in a set or freed.
void ExpectEveryEntryAccountedOnce(const TRunInput& in, const TOutcome& o) {
  std::multiset<uint32_t> seen;
  for (const auto& s : o.results) seen.insert(s.begin(), s.end());
  for (const auto& s : o.candidates) seen.insert(s.begin(), s.end());
  seen.insert(o.droppedWhileFeeding.begin(), o.droppedWhileFeeding.end());
  seen.insert(o.droppedByFinish.begin(), o.droppedByFinish.end());
  seen.insert(o.droppedAtEnd.begin(), o.droppedAtEnd.end());
  std::multiset<uint32_t> all;
  for (const auto& e : in.fresh) all.insert(e.id);
  for (const auto& e : in.library) all.insert(e.id);
  EXPECT_EQ(seen, all);
}

// Runs the real pool and the reference and expects the same outcome.
TOutcome RunBoth(const TRunInput& in, size_t linearWalkLimit = 16) {
  const TOutcome engine = RunEngine(in, linearWalkLimit);
  const TOutcome reference = RunOracle(in);
  EXPECT_EQ(engine, reference) << "engine:\n" << Describe(engine) << "\nreference:\n" << Describe(reference);
  ExpectEveryEntryAccountedOnce(in, engine);
  return engine;
}

TRunInput Input(TSearchSettings s, std::vector<TEntrySpec> fresh, std::vector<TEntrySpec> library = {}) {
  TRunInput in;
  in.settings = s;
  in.nowLocal = kNow;
  in.fresh = std::move(fresh);
  in.library = std::move(library);
  return in;
}

// ---------------------------------------------------------------------------
// Key choice

struct KeyRow {
  const char* what;
  TSearchSettings settings;
  TCompKey primary, sec0, sec1;
  TPoolKind kind;
};

TEST(PoolKeys, ChoiceFollowsTheRanks) {
  const KeyRow rows[] = {
      {"nothing", Crit().Make(), ckNone, ckNone, ckNone, TPoolKind::PassThru},
      {"complete content", Crit().Content().Make(), ckSizeExact, ckNone, ckNone, TPoolKind::BySize},
      {"partial content", Crit().Content(acFirstN, 100).Make(), ckNone, ckNone, ckNone, TPoolKind::Unsorted},
      {"size", Crit().Size().Make(), ckSizeExact, ckNone, ckNone, TPoolKind::BySize},
      {"size within", Crit().Size(10).Make(), ckSizeTolerant, ckNone, ckNone, TPoolKind::BySize},
      {"size within, complete content", Crit().Size(10).Content().Make(), ckSizeExact, ckNone, ckNone, TPoolKind::BySize},
      {"size within, partial content", Crit().Size(10).Content(acBytesNToM, 0, 9).Make(), ckSizeTolerant, ckNone, ckNone, TPoolKind::BySize},
      {"date", Crit().Date().Make(), ckDateExact, ckNone, ckNone, TPoolKind::ByDate},
      {"date within", Crit().DateWithin(1).Make(), ckDateTolerant, ckNone, ckNone, TPoolKind::ByDate},
      {"date parts", Crit().DateParts(adpDay).Make(), ckDateParts, ckNone, ckNone, TPoolKind::ByDate},
      {"name", Crit().Name().Make(), ckFilename, ckNone, ckNone, TPoolKind::ByFilename},
      {"size, date, name", Crit().Size().Date().Name().Make(), ckSizeExact, ckDateExact, ckFilename, TPoolKind::BySize},
      {"size within, date", Crit().Size(5).Date().Make(), ckDateExact, ckSizeTolerant, ckNone, TPoolKind::ByDate},
      {"size within, date within", Crit().Size(5).DateWithin(1).Make(), ckSizeTolerant, ckDateTolerant, ckNone, TPoolKind::BySize},
      {"size within, date within, name", Crit().Size(5).DateWithin(1).Name().Make(), ckFilename, ckSizeTolerant, ckDateTolerant, TPoolKind::ByFilename},
      {"date parts, name", Crit().DateParts(adpTime).Name().Make(), ckFilename, ckDateParts, ckNone, TPoolKind::ByFilename},
      {"size within, date parts", Crit().Size(5).DateParts(adpYear).Make(), ckDateParts, ckSizeTolerant, ckNone, TPoolKind::ByDate},
      {"size, date parts, name", Crit().Size().DateParts(adpMonth).Name().Make(), ckSizeExact, ckDateParts, ckFilename, TPoolKind::BySize},
      {"date within, name", Crit().DateWithin(2).Name().Make(), ckFilename, ckDateTolerant, ckNone, TPoolKind::ByFilename},
      {"size within, date parts, name", Crit().Size(5).DateParts(adpDay).Name().Make(), ckFilename, ckSizeTolerant, ckDateParts, TPoolKind::ByFilename},
      {"date within, name, complete content", Crit().DateWithin(2).Name().Content().Make(), ckSizeExact, ckDateTolerant, ckFilename, TPoolKind::BySize},
      {"date, name, partial content", Crit().Date().Name().Content(acLastN, 10).Make(), ckDateExact, ckFilename, ckNone, TPoolKind::ByDate},
  };
  for (const KeyRow& r : rows) {
    const TKeyChoice k = ChooseKeys(r.settings);
    EXPECT_EQ(k.primary, r.primary) << r.what;
    EXPECT_EQ(k.secondary[0], r.sec0) << r.what;
    EXPECT_EQ(k.secondary[1], r.sec1) << r.what;
    EXPECT_EQ(k.tolerantPrimary, r.primary == ckSizeTolerant || r.primary == ckDateTolerant) << r.what;
    EXPECT_EQ(PoolKindOf(k, r.settings), r.kind) << r.what;
  }
}

TEST(PoolKeys, CompleteContentLeavesTheStoredSizeSettingsAlone) {
  const TSearchSettings s = Crit().Size(4096).Content().Make();
  EXPECT_EQ(ChooseKeys(s).primary, ckSizeExact);
  EXPECT_TRUE(s.size.tolerant);
  EXPECT_EQ(s.size.tolerance, 4096u);
}

TEST(PoolKeys, CreatePoolMakesTheChosenClass) {
  TRecordingSets results;
  TPoolContext ctx;
  ctx.results = &results;
  ctx.nowLocal = kNow;
  auto make = [&](TSearchSettings s) { return CreatePool(s, ChooseKeys(s), ctx); };
  EXPECT_NE(dynamic_cast<TFPPassThru*>(make(Crit().Make()).get()), nullptr);
  EXPECT_NE(dynamic_cast<TFPUnsorted*>(make(Crit().Content(acFirstN, 5).Make()).get()), nullptr);
  EXPECT_NE(dynamic_cast<TFPSortedBySize*>(make(Crit().Size().Make()).get()), nullptr);
  EXPECT_NE(dynamic_cast<TFPSortedByDate*>(make(Crit().DateWithin(3).Make()).get()), nullptr);
  EXPECT_NE(dynamic_cast<TFPSortedByFilename*>(make(Crit().Name().DateParts(adpDay).Make()).get()), nullptr);
}

TEST(PoolKeys, DatePoolBucketCountsFollowTheDateMode) {
  TPoolContext ctx;
  ctx.nowLocal = kNow;
  auto count = [&](TSearchSettings s) {
    auto pool = CreatePool(s, ChooseKeys(s), ctx);
    return dynamic_cast<TFPSorted&>(*pool).BucketCount();
  };
  EXPECT_EQ(count(Crit().Date().Make()), 593u);
  EXPECT_EQ(count(Crit().DateWithin(1).Make()), 593u);
  EXPECT_EQ(count(Crit().DateParts(adpTime).Make()), 1440u);
  EXPECT_EQ(count(Crit().DateParts(adpDay).Make()), 186u);
  EXPECT_EQ(count(Crit().DateParts(adpDay | adpTime).Make()), 186u);
  EXPECT_EQ(count(Crit().DateParts(adpYear).Make()), 454u);
  EXPECT_EQ(count(Crit().DateParts(adpYear | adpDay | adpTime).Make()), 454u);
  EXPECT_EQ(count(Crit().DateParts(adpMonth).Make()), 372u);
  EXPECT_EQ(count(Crit().DateParts(adpMonth | adpDay | adpTime).Make()), 372u);
  EXPECT_EQ(count(Crit().Size().Make()), 128u);
  EXPECT_EQ(count(Crit().Name().Make()), 256u);
}

TEST(PoolKeys, TheDatePoolTakesTheLocalTimeAndYearWhenMade) {
  TPoolContext ctx;
  ctx.nowLocal = kNow;
  const TSearchSettings s = Crit().Date().Make();
  auto pool = CreatePool(s, ChooseKeys(s), ctx);
  auto& date = dynamic_cast<TFPSortedByDate&>(*pool);
  EXPECT_EQ(date.NowLocal(), kNow);
  EXPECT_EQ(date.CurrentYear(), 2024u);
  ctx.nowLocal = 0;  // now
  auto live = CreatePool(s, ChooseKeys(s), ctx);
  EXPECT_GT(dynamic_cast<TFPSortedByDate&>(*live).CurrentYear(), 2020u);
}

// ---------------------------------------------------------------------------
// Bucket functions

TEST(PoolBuckets, SizeBucketsAreLogarithmicWithHalfSteps) {
  const std::pair<uint64_t, uint32_t> rows[] = {{0, 0}, {1, 1}, {2, 2}, {3, 3}, {4, 4}, {5, 4},
                                                {6, 5}, {7, 5}, {8, 6}, {11, 6}, {12, 7}, {16, 8},
                                                {1023, 19}, {1024, 20}, {1536, 21},
                                                {0x7FFFFFFFFFFFFFFFULL, 125}, {~uint64_t{0}, 127}};
  for (auto [size, bucket] : rows) EXPECT_EQ(SizeBucket(size), bucket) << size;
}

TEST(PoolBuckets, SizeBucketsFollowTheSizeOrder) {
  std::mt19937_64 rng(3);
  for (int i = 0; i < 20000; ++i) {
    const uint64_t a = rng() >> (rng() % 64), b = rng() >> (rng() % 64);
    if (a <= b) {
      EXPECT_LE(SizeBucket(a), SizeBucket(b));
    }
    EXPECT_LT(SizeBucket(a), kSizeBuckets);
  }
}

TEST(PoolBuckets, DateAgeBuckets) {
  const FileTime unit = FileTime{1} << 32;  // about 7.2 minutes
  EXPECT_EQ(DateAgeBucket(kNow, kNow), 400u);
  EXPECT_EQ(DateAgeBucket(kNow, kNow - (unit - 1)), 400u);
  EXPECT_EQ(DateAgeBucket(kNow, kNow + (unit - 1)), 400u);  // the near future lies in 400
  EXPECT_EQ(DateAgeBucket(kNow, kNow + unit), 401u);        // 2^32 units ahead lies above
  EXPECT_EQ(DateAgeBucket(kNow, kNow - unit), 399u);
  EXPECT_EQ(DateAgeBucket(kNow, kNow - 16 * unit), 384u);
  EXPECT_EQ(DateAgeBucket(kNow, kNow - 17 * unit), 400u - 65);  // 17 -> 4*16 + 17 - 16
  // Ages from 2^25 units (about 456 years) on lie in bucket 0.
  const FileTime late = FileTime{1} << 60;
  EXPECT_EQ(DateAgeBucket(late, late - (FileTime{1} << 57)), 0u);  // x = 2^25
  EXPECT_EQ(DateAgeBucket(late, late - ((FileTime{1} << 57) + unit)), 0u);
  EXPECT_EQ(DateAgeBucket(late, late - ((FileTime{1} << 57) - unit)), 1u);
  EXPECT_EQ(DateAgeBucket(kNow, kNow + 8 * unit), 408u);
  EXPECT_EQ(DateAgeBucket(kNow, kNow + 9 * unit), 400u + 25);  // 3*8 + 9 - 8
  EXPECT_EQ(DateAgeBucket(kNow, kNow + (FileTime{1} << 56)), 592u);     // x = 2^24
  EXPECT_EQ(DateAgeBucket(kNow, kNow + (FileTime{1} << 56) + unit), 592u);
  EXPECT_EQ(DateAgeBucket(kNow, 0), 3u);  // 1601 is less than 456 years ago
  EXPECT_EQ(DateAgeBucket(late, 0), 0u);
  EXPECT_EQ(DateAgeBucket(0, ~FileTime{0}), 592u);
}

TEST(PoolBuckets, DateAgeBucketsFollowTheTimeOrder) {
  std::mt19937_64 rng(5);
  for (int i = 0; i < 20000; ++i) {
    const FileTime now = rng() % 2 ? kNow : rng();
    const FileTime a = rng() >> (rng() % 64), b = rng() >> (rng() % 64);
    if (a <= b) {
      EXPECT_LE(DateAgeBucket(now, a), DateAgeBucket(now, b));
    }
    EXPECT_LT(DateAgeBucket(now, a), kDateAgeBuckets);
  }
}

uint64_t Packed(int year, int month, int day, int hour = 0, int minute = 0) {
  platform::SystemTime st;
  st.year = static_cast<uint16_t>(year);
  st.month = static_cast<uint16_t>(month);
  st.day = static_cast<uint16_t>(day);
  st.hour = static_cast<uint16_t>(hour);
  st.minute = static_cast<uint16_t>(minute);
  FileTime ft = 0;
  EXPECT_TRUE(platform::JoinFileTime(st, ft));
  return PackLocalDate(ft);
}

TEST(PoolBuckets, DatePartsBuckets) {
  EXPECT_EQ(DatePartsBucket(adpTime, 2024, Packed(2020, 5, 6, 13, 45)), 13u * 60 + 45);
  EXPECT_EQ(DatePartsBucket(adpTime, 2024, Packed(2020, 5, 6, 23, 59)), 1439u);
  EXPECT_EQ(DatePartsBucket(adpDay, 2024, Packed(2020, 5, 31, 23)), 6u * 30);
  EXPECT_EQ(DatePartsBucket(adpDay | adpTime, 2024, Packed(2020, 5, 31, 23)), 6u * 30 + 5);
  EXPECT_EQ(DatePartsBucket(adpMonth, 2024, Packed(2020, 12, 31)), 31u * 11);
  EXPECT_EQ(DatePartsBucket(adpMonth | adpDay, 2024, Packed(2020, 12, 31)), 31u * 11 + 30);
  const uint8_t ymd = adpYear | adpMonth | adpDay;
  EXPECT_EQ(DatePartsBucket(ymd, 2024, Packed(2024, 3, 15)), 8u * 2 + 326 + 14 / 4);
  EXPECT_EQ(DatePartsBucket(ymd, 2024, Packed(2023, 12, 31)), 8u * 11 + 230 + 30 / 4);
  EXPECT_EQ(DatePartsBucket(ymd, 2024, Packed(2022, 7, 1)), 242u - 24 + 6);
  EXPECT_EQ(DatePartsBucket(ymd, 2024, Packed(2014, 1, 1)), 242u - 120);
  EXPECT_EQ(DatePartsBucket(ymd, 2024, Packed(2013, 12, 1)), 151u - 33 + 11 / 4);
  EXPECT_EQ(DatePartsBucket(ymd, 2024, Packed(1974, 1, 1)), 1u);
  EXPECT_EQ(DatePartsBucket(ymd, 2024, Packed(1973, 12, 31)), 0u);
  EXPECT_EQ(DatePartsBucket(ymd, 2024, Packed(2025, 1, 1)), 422u);
  EXPECT_EQ(DatePartsBucket(ymd, 2024, Packed(2034, 12, 1)), 449u + 2);
  EXPECT_EQ(DatePartsBucket(ymd, 2024, Packed(2035, 1, 1)), 453u);
  EXPECT_EQ(DatePartsBucket(adpYear, 2024, Packed(2024, 12, 31)), 326u);  // month and day not selected
}

TEST(PoolBuckets, DatePartsBucketsFollowThePartsOrder) {
  std::mt19937_64 rng(9);
  for (uint8_t parts = 1; parts < 16; ++parts) {
    TSearchSettings s = Crit().DateParts(parts).Make();
    for (int i = 0; i < 3000; ++i) {
      TFileInfos a, b;
      a.Time = kNow - 60 * 365 * kDay + rng() % (75 * 365 * kDay);
      b.Time = (i % 5 == 0) ? a.Time + rng() % kDay : kNow - 60 * 365 * kDay + rng() % (75 * 365 * kDay);
      const int r = CompareDateParts(s, a, b, false);
      const uint32_t ba = DatePartsBucket(parts, 2024, a.Time), bb = DatePartsBucket(parts, 2024, b.Time);
      if (r == 0) {
        EXPECT_EQ(ba, bb) << int(parts);
      } else if (r < 0) {
        EXPECT_LE(ba, bb) << int(parts);
      }
      EXPECT_LT(ba, DatePartsBucketCount(parts));
    }
  }
}

TEST(PoolBuckets, FilenameBucketIsTheFirstByteOfTheKey) {
  EXPECT_EQ(FilenameBucket(""), 0u);
  EXPECT_EQ(FilenameBucket("abc"), uint32_t('a'));
  EXPECT_EQ(FilenameBucket("\xFF"), 255u);
}

// ---------------------------------------------------------------------------
// Sets of the keyed pools

TEST(PoolSets, EqualSizesFormASetAndTheOddOneIsDropped) {
  const TOutcome o = RunBoth(Input(Crit().Size().Make(), {E(1, 10), E(2, 10), E(3, 20)}));
  EXPECT_EQ(o.results, (Sets{{1, 2}}));
  EXPECT_EQ(o.droppedByFinish, (Ids{3}));
  EXPECT_EQ(o.fileCount, 3);
  EXPECT_EQ(o.groupCount, 2);
  EXPECT_EQ(o.progressMax, 2);  // one step per group without a content comparison
  EXPECT_EQ(o.progressPos, 2);
  EXPECT_FALSE(o.contentStageMade);
}

TEST(PoolSets, SetsComeInKeyOrder) {
  const TOutcome o = RunBoth(Input(Crit().Size().Make(),
                                   {E(1, 5000), E(2, 7), E(3, 5000), E(4, 7), E(5, 6000), E(6, 6000)}));
  EXPECT_EQ(o.results, (Sets{{2, 4}, {1, 3}, {5, 6}}));
}

TEST(PoolSets, EqualFilesLieInTheOrderOfTheSortedInsertion) {
  // Without secondary keys every file of a group is equal: a new one goes
  // right behind the group's first file.
  TOutcome o = RunBoth(Input(Crit().Size().Make(), {E(1, 9), E(2, 9), E(3, 9), E(4, 9)}));
  EXPECT_EQ(o.results, (Sets{{1, 4, 3, 2}}));
  // A date run that does not open its group gets new files at its front.
  o = RunBoth(Input(Crit().Size().Date().Make(),
                    {E(1, 9, kNow - kDay), E(2, 9, kNow), E(3, 9, kNow), E(4, 9, kNow), E(5, 9, kNow - kDay)}));
  EXPECT_EQ(o.results, (Sets{{1, 5}, {4, 3, 2}}));
}

TEST(PoolSets, TheSecondaryKeysSplitAGroup) {
  const TOutcome o = RunBoth(Input(Crit().Size().Name(afnComplete, true).Make(),
                                   {E(1, 9, kNow, "b"), E(2, 9, kNow, "A"), E(3, 9, kNow, "B"),
                                    E(4, 9, kNow, "c"), E(5, 9, kNow, "a")}));
  // "b" arrived first, but once "A" opened the group, "B" went in front of it.
  EXPECT_EQ(o.results, (Sets{{2, 5}, {3, 1}}));
  EXPECT_EQ(o.droppedByFinish, (Ids{4}));
}

TEST(PoolSets, SizeToleranceFormsSetsAgainstTheHead) {
  const TOutcome o = RunBoth(Input(Crit().Size(4096).Make(), {E(1, 1000), E(2, 3000), E(3, 6000)}));
  EXPECT_EQ(o.results, (Sets{{1, 2}}));
  EXPECT_EQ(o.droppedByFinish, (Ids{3}));
  EXPECT_EQ(o.groupCount, 3);
  EXPECT_EQ(o.progressPos, 3);
}

TEST(PoolSets, DateToleranceChainsDoNotReachBeyondTheHead) {
  const TOutcome o = RunBoth(Input(Crit().DateWithin(1).Make(),
                                   {E(1, 1, kNow), E(2, 1, kNow + 20 * kHour), E(3, 1, kNow + 40 * kHour),
                                    E(4, 1, kNow + 50 * kHour)}));
  EXPECT_EQ(o.results, (Sets{{1, 2}, {3, 4}}));
}

TEST(PoolSets, DatePartsPool) {
  const FileTime monday1am = kNow - 11 * kHour - 4 * kDay;
  const TOutcome o = RunBoth(Input(Crit().DateParts(adpTime).Make(),
                                   {E(1, 1, monday1am), E(2, 2, monday1am + 8 * kHour),
                                    E(3, 3, monday1am - 300 * kDay), E(4, 4, monday1am + 8 * kHour + 1 * kDay)}));
  EXPECT_EQ(o.results, (Sets{{1, 3}, {2, 4}}));
}

TEST(PoolSets, FilenamePoolIgnoringCase) {
  const TOutcome o = RunBoth(Input(Crit().Name(afnComplete, true).Make(),
                                   {E(1, 1, kNow, "A.txt"), E(2, 2, kNow, "b"), E(3, 3, kNow, "a.TXT")}));
  EXPECT_EQ(o.results, (Sets{{1, 3}}));
}

TEST(PoolSets, FilenamePoolByPartOfTheName) {
  const TOutcome o = RunBoth(Input(Crit().Name(afnBeforeLast, false, 0, 0, '.').Make(),
                                   {E(1, 1, kNow, "a.b.c"), E(2, 2, kNow, "a.b"), E(3, 3, kNow, "a.b.zip"),
                                    E(4, 4, kNow, "a")}));
  EXPECT_EQ(o.results, (Sets{{2, 4}, {1, 3}}));
}

// ---------------------------------------------------------------------------
// Library files

TEST(PoolLibrary, ALibraryFileJoinsAFreshFileOfTheSameSize) {
  const TOutcome o = RunBoth(Input(Crit().Size().Make(), {E(1, 10), E(2, 20)}, {L(3, 10), L(4, 30)}));
  EXPECT_EQ(o.results, (Sets{{1, 3}}));
  EXPECT_EQ(o.droppedWhileFeeding, (Ids{4}));
  EXPECT_EQ(o.droppedByFinish, (Ids{2}));
  EXPECT_EQ(o.fileCount, 3);
  EXPECT_TRUE(o.hasLibrary);
}

TEST(PoolLibrary, LibraryFilesNeverFormASetAmongThemselves) {
  const TOutcome o = RunBoth(Input(Crit().Size().Make(), {E(1, 10)}, {L(2, 20), L(3, 20)}));
  EXPECT_TRUE(o.results.empty());
  EXPECT_EQ(o.droppedWhileFeeding, (Ids{2, 3}));
  EXPECT_FALSE(o.hasLibrary);
}

TEST(PoolLibrary, LibraryFilesFollowTheFreshFileTheyMatchNewestFirst) {
  const TOutcome o = RunBoth(Input(Crit().Size().Make(), {E(1, 10), E(2, 10)}, {L(3, 10), L(4, 10)}));
  EXPECT_EQ(o.results, (Sets{{1, 4, 3, 2}}));
}

TEST(PoolLibrary, ALibraryFileJoinsTheFirstFreshFileWithinTheTolerance) {
  // Dates in days: fresh 0, 0.3, 0.6, 5; library 1.5 (beyond 0 and 0.3, within 0.6).
  const TOutcome o = RunBoth(Input(Crit().Size().DateWithin(1).Make(),
                                   {E(1, 7, kNow), E(2, 7, kNow + 3 * kDay / 10), E(3, 7, kNow + 6 * kDay / 10),
                                    E(4, 7, kNow + 5 * kDay)},
                                   {L(5, 7, kNow + 15 * kDay / 10)}));
  // The run of 1 ends in front of the library file of 3: 3 opens the next set with it.
  EXPECT_EQ(o.results, (Sets{{1, 2}, {3, 5}}));
  EXPECT_EQ(o.droppedByFinish, (Ids{4}));
}

TEST(PoolLibrary, ARunEndingInFrontOfALibraryFileLeavesItsLastFreshFileToTheNext) {
  // Fresh 0, 1, 2 days; library 1.5 joins 1 (it lies beyond 0).
  const TOutcome o = RunBoth(Input(Crit().Size().DateWithin(1).Make(),
                                   {E(1, 7, kNow), E(2, 7, kNow + kDay), E(3, 7, kNow + 2 * kDay)},
                                   {L(4, 7, kNow + 15 * kDay / 10)}));
  EXPECT_EQ(o.results, (Sets{{2, 4, 3}}));
  EXPECT_EQ(o.droppedByFinish, (Ids{1}));
}

TEST(PoolLibrary, ALibraryFileAboveEveryFreshFileOfItsGroupIsDropped) {
  const TOutcome o = RunBoth(Input(Crit().Size().Date().Make(), {E(1, 7, kNow), E(2, 7, kNow)},
                                   {L(3, 7, kNow + 1), L(4, 8, kNow), L(5, 7, kNow)}));
  EXPECT_EQ(o.results, (Sets{{1, 5, 2}}));
  EXPECT_EQ(o.droppedWhileFeeding, (Ids{3, 4}));
}

TEST(PoolLibrary, TolerantPrimaryKeySearchesNeighbouringGroups) {
  // Size within 100: 1000 (bucket 19), 1050 and 1300 (bucket 20); the library
  // file of 1120 joins 1050.
  const TOutcome o = RunBoth(Input(Crit().Size(100).Make(), {E(1, 1000), E(2, 1050), E(3, 1300)},
                                   {L(4, 1120)}));
  EXPECT_EQ(o.results, (Sets{{2, 4}}));
  EXPECT_EQ(o.droppedByFinish, (Ids{1, 3}));
}

TEST(PoolLibrary, TolerantPrimaryKeyStartsInTheNearestBucketBelow) {
  // 1000 is in bucket 19; the library file of 1030 lies in the empty bucket
  // 20 and looks below.
  const TOutcome o = RunBoth(Input(Crit().Size(100).Make(), {E(1, 1000), E(2, 5000)}, {L(3, 1030), L(4, 2000)}));
  EXPECT_EQ(o.results, (Sets{{1, 3}}));
  EXPECT_EQ(o.droppedWhileFeeding, (Ids{4}));
}

TEST(PoolLibrary, AFreshFileAfterTheFirstLibraryFileIsTakenAsALibraryFile) {
  TRecordingSets results;
  TPoolContext ctx;
  ctx.results = &results;
  const TSearchSettings s = Crit().Size().Make();
  auto pool = CreatePool(s, ChooseKeys(s), ctx);
  pool->AddFresh(MakeEntry(E(1, 10)));
  pool->AddLibrary(MakeEntry(L(2, 10)));
  pool->AddFresh(MakeEntry(E(3, 10)));   // joins, as a library file
  pool->AddFresh(MakeEntry(E(4, 20)));   // opens nothing
  EXPECT_EQ(pool->FileCount(), 3);
  EXPECT_EQ(pool->GroupCount(), 1);
  pool->Finish(results);
  EXPECT_EQ(results.sets, (Sets{{1, 3, 2}}));
}

// ---------------------------------------------------------------------------
// Pass-through and unsorted pools

TEST(PoolPassThru, EveryFileIsASetOfItsOwnAtOnce) {
  TRunInput in = Input(Crit().Make(), {E(1, 10), E(2, 10), E(3, 20)}, {L(4, 10)});
  const TOutcome o = RunBoth(in);
  EXPECT_EQ(o.results, (Sets{{1}, {2}, {3}, {4}}));
  EXPECT_EQ(o.fileCount, 4);
  EXPECT_EQ(o.groupCount, 4);
  EXPECT_EQ(o.progressMax, 4);
  EXPECT_EQ(o.progressPos, 1);
}

TEST(PoolPassThru, SetsArriveWhileFeeding) {
  TRecordingSets results;
  TPoolContext ctx;
  ctx.results = &results;
  const TSearchSettings s = Crit().Make();
  auto pool = CreatePool(s, ChooseKeys(s), ctx);
  pool->AddFresh(MakeEntry(E(7, 1)));
  EXPECT_EQ(results.sets, (Sets{{7}}));
}

TEST(PoolPassThru, NeedsTheResultList) {
  const TSearchSettings s = Crit().Make();
  EXPECT_THROW(CreatePool(s, ChooseKeys(s), TPoolContext{}), std::invalid_argument);
}

TEST(PoolUnsorted, AllFilesFormOneCandidateSetForTheContentComparison) {
  const TOutcome o = RunBoth(Input(Crit().Content(acFirstN, 100).Make(), {E(1, 500), E(2, 7), E(3, 500)},
                                   {L(4, 1)}));
  EXPECT_TRUE(o.contentStageMade);
  EXPECT_EQ(o.candidates, (Sets{{1, 2, 3, 4}}));
  EXPECT_TRUE(o.results.empty());
  EXPECT_EQ(o.groupCount, 1);
  EXPECT_EQ(o.progressMax, 4);  // the file count, with a content comparison
}

// ---------------------------------------------------------------------------
// Content stage and progress

TEST(PoolProgress, WithContentTheCandidatesGoToTheContentStage) {
  const TOutcome o = RunBoth(Input(Crit().Content().Make(), {E(1, 10), E(2, 10), E(3, 20)}));
  EXPECT_TRUE(o.contentStageMade);
  EXPECT_EQ(o.candidates, (Sets{{1, 2}}));
  EXPECT_TRUE(o.results.empty());
  EXPECT_EQ(o.progressMax, 3);  // file count
  EXPECT_EQ(o.progressPos, 1);  // the dropped file; groups count no step
}

TEST(PoolProgress, SplittingCountsDroppedHeadsWithContent) {
  const TOutcome o = RunBoth(Input(Crit().Content().Date().Make(),
                                   {E(1, 10, kNow), E(2, 10, kNow + 1), E(3, 10, kNow + 1), E(4, 10, kNow + 2)}));
  EXPECT_EQ(o.candidates, (Sets{{3, 2}}));
  EXPECT_EQ(o.droppedByFinish, (Ids{1, 4}));
  EXPECT_EQ(o.progressPos, 2);
}

TEST(PoolProgress, TolerantPrimaryCountsEveryGroupWithoutContent) {
  const TOutcome o = RunBoth(Input(Crit().Size(10).Make(), {E(1, 100), E(2, 105), E(3, 300), E(4, 100)}));
  EXPECT_EQ(o.results, (Sets{{1, 4, 2}}));
  EXPECT_EQ(o.progressMax, 3);
  EXPECT_EQ(o.progressPos, 3);
}

// ---------------------------------------------------------------------------
// Stopping and destruction

TEST(PoolStop, AStopBeforeFinishHandsOnNothingAndFreesEverything) {
  TRunInput in = Input(Crit().Size().Make(), {E(1, 10), E(2, 10), E(3, 20), E(4, 20)});
  in.stopAfterSets = 0;
  const TOutcome o = RunBoth(in);
  EXPECT_TRUE(o.results.empty());
  EXPECT_TRUE(o.droppedByFinish.empty());
  EXPECT_EQ(o.droppedAtEnd, (Ids{1, 2, 3, 4}));
}

TEST(PoolStop, AStopAfterASetKeepsTheRestForDestruction) {
  TRunInput in = Input(Crit().Size().Make(), {E(1, 10), E(2, 10), E(3, 20), E(4, 20), E(5, 30)});
  in.stopAfterSets = 1;
  const TOutcome o = RunBoth(in);
  EXPECT_EQ(o.results, (Sets{{1, 2}}));
  EXPECT_EQ(o.droppedAtEnd, (Ids{3, 4, 5}));
}

TEST(PoolStop, AStopWhileSplittingFreesWhatIsLeftOfTheList) {
  TRunInput in = Input(Crit().DateWithin(0).Make(),
                       {E(1, 1, kNow), E(2, 1, kNow), E(3, 1, kNow + kDay), E(4, 1, kNow + kDay), E(5, 1, kNow + 2 * kDay)});
  in.stopAfterSets = 1;
  const TOutcome o = RunBoth(in);
  EXPECT_EQ(o.results, (Sets{{1, 2}}));
  EXPECT_EQ(o.droppedByFinish, (Ids{3, 4, 5}));
}

TEST(PoolStop, DestructionWithoutFinishFreesEveryEntry) {
  for (TSearchSettings s : {Crit().Size().Make(), Crit().Content(acFirstN, 4).Make(), Crit().Size(5).Date().Make()}) {
    TRunInput in = Input(s, {E(1, 10), E(2, 10), E(3, 20)}, {L(4, 10)});
    in.finish = false;
    const TOutcome o = RunBoth(in);
    EXPECT_TRUE(o.results.empty());
    EXPECT_TRUE(o.candidates.empty());
  }
}

// ---------------------------------------------------------------------------
// Randomised comparison with the reference pool

struct RandomCase {
  std::mt19937_64 rng;
  explicit RandomCase(uint64_t seed) : rng(seed) {}
  uint64_t Below(uint64_t n) { return n == 0 ? 0 : rng() % n; }
  bool Coin(int percent = 50) { return Below(100) < static_cast<uint64_t>(percent); }

  TSearchSettings Settings() {
    Crit c;
    if (Coin()) {
      static const uint8_t modes[] = {0, 1, 3, 4, 5, 6, 7, 8};
      const int n = static_cast<int>(1 + Below(4));
      const int m = Coin(90) ? n + static_cast<int>(Below(4)) : n - 1;
      static const char seps[] = {'.', '_', 'a', 'A'};
      c.Name(modes[Below(8)], Coin(), n, m, seps[Below(4)]);
    }
    if (Coin(60)) {
      static const int64_t tolerances[] = {0, 1, 3, 10, 100, 4096};
      c.Size(Coin() ? -1 : tolerances[Below(6)]);
    }
    if (Coin()) {
      switch (Below(3)) {
        case 0: c.Date(); break;
        case 1: c.DateWithin(static_cast<uint32_t>(Below(3))); break;
        default: c.DateParts(static_cast<uint8_t>(Coin(95) ? 1 + Below(15) : 0)); break;
      }
    }
    if (Coin(40)) c.Content(static_cast<uint8_t>(Coin() ? 0 : 1 + Below(4)), 0, 99);
    return c.Make();
  }

  std::vector<uint64_t> Pool(size_t n, auto make) {
    std::vector<uint64_t> values(std::max<size_t>(1, n));
    for (auto& v : values) v = make();
    return values;
  }

  TRunInput Input(size_t maxFiles) {
    TRunInput in;
    in.settings = Settings();
    in.nowLocal = kNow;
    const size_t n = Below(maxFiles + 1);
    // Few distinct values so that keys collide.
    std::vector<uint64_t> sizes;
    switch (Below(3)) {
      case 0: sizes = Pool(1 + Below(12), [&] { return Below(30); }); break;
      case 1: sizes = Pool(1 + Below(n / 2 + 2), [&] { return 1000 + Below(300); }); break;
      default: sizes = Pool(1 + Below(n + 2), [&] { return Below(uint64_t{1} << (1 + Below(40))); }); break;
    }
    std::vector<uint64_t> times = Pool(1 + Below(n / 2 + 3), [&]() -> uint64_t {
      switch (Below(5)) {
        case 0: return kNow - Below(72) * kHour;                     // hours apart
        case 1: return kNow - Below(3) * kDay + Below(1000) * 10000;  // days and milliseconds
        case 2: return kNow - Below(40 * 365) * kDay - Below(86400) * 10000000;  // years
        case 3: return kNow + Below(uint64_t{1} << (20 + Below(40)));             // the future
        default: return kNow - (uint64_t{1} << (Below(60)));                      // powers of two
      }
    });
    static const char* prefixes[] = {"", "a", "ab", "A", "x.y", "ab_"};
    static const char alphabet[] = "aAbB._x";
    std::vector<std::string> names;
    for (size_t i = 0; i < 1 + Below(n / 2 + 3); ++i) {
      std::string name = prefixes[Below(6)];
      for (size_t k = Below(5); k > 0; --k) name += alphabet[Below(7)];
      names.push_back(name);
    }
    const size_t libraryCount = Coin(60) ? Below(n + 1) : 0;
    for (size_t i = 0; i < n; ++i) {
      TEntrySpec e;
      e.id = static_cast<uint32_t>(i + 1);
      e.size = sizes[Below(sizes.size())];
      e.time = times[Below(times.size())];
      e.name = names[Below(names.size())];
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
    return in;
  }
};

// What the random inputs reached, so that a generator that never makes the
// interesting cases is noticed.
struct Coverage {
  int runs = 0, withSets = 0, withLibraryInSets = 0, tolerantPrimary = 0, twoSecondaries = 0,
      withContent = 0, stopped = 0;
  void Add(const TRunInput& in, const TOutcome& o) {
    ++runs;
    if (!o.results.empty() || !o.candidates.empty()) ++withSets;
    std::set<uint32_t> library;
    for (const auto& e : in.library) library.insert(e.id);
    bool joined = false;
    for (const Sets* sets : {&o.results, &o.candidates})
      for (const auto& set : *sets)
        for (uint32_t id : set) joined = joined || library.count(id) > 0;
    if (joined && o.results.size() + o.candidates.size() > 0 && PoolKindOf(ChooseKeys(in.settings), in.settings) != TPoolKind::PassThru &&
        PoolKindOf(ChooseKeys(in.settings), in.settings) != TPoolKind::Unsorted)
      ++withLibraryInSets;
    const TKeyChoice k = ChooseKeys(in.settings);
    if (k.tolerantPrimary) ++tolerantPrimary;
    if (k.secondary[1] != ckNone) ++twoSecondaries;
    if (o.contentStageMade) ++withContent;
    if (in.stopAfterSets >= 0) ++stopped;
  }
  void ExpectReached(int atLeast) const {
    EXPECT_GE(withSets, atLeast);
    EXPECT_GE(withLibraryInSets, atLeast);
    EXPECT_GE(tolerantPrimary, atLeast);
    EXPECT_GE(twoSecondaries, atLeast);
    EXPECT_GE(withContent, atLeast);
    EXPECT_GE(stopped, atLeast);
  }
};

TEST(PoolDifferential, SmallRandomInputsGiveTheReferenceSets) {
  Coverage cov;
  for (uint64_t seed = 1; seed <= 4000; ++seed) {
    RandomCase rc(seed);
    const TRunInput in = rc.Input(40);
    SCOPED_TRACE("seed " + std::to_string(seed));
    cov.Add(in, RunBoth(in, seed % 2 ? 0 : 16));  // odd seeds search every group through its indexes
    if (HasFailure()) break;
  }
  cov.ExpectReached(100);
}

TEST(PoolDifferential, LargerRandomInputsGiveTheReferenceSets) {
  Coverage cov;
  for (uint64_t seed = 100001; seed <= 100300; ++seed) {
    RandomCase rc(seed);
    const TRunInput in = rc.Input(1500);
    SCOPED_TRACE("seed " + std::to_string(seed));
    cov.Add(in, RunBoth(in, seed % 3 == 0 ? 0 : 16));
    if (HasFailure()) break;
  }
  cov.ExpectReached(10);
}

TEST(PoolDifferential, EveryKeyCombinationWithLibraryFiles) {
  // Each combination of criteria and variants, several inputs each.
  uint64_t seed = 500000;
  for (int f = 0; f < 2; ++f)
    for (int s = 0; s < 3; ++s)       // off, exact, tolerant
      for (int d = 0; d < 4; ++d)     // off, exact, tolerant, parts
        for (int c = 0; c < 3; ++c) {  // off, complete, partial
          for (int rep = 0; rep < 6; ++rep) {
            RandomCase rc(++seed);
            TRunInput in = rc.Input(300);
            Crit k;
            if (f) k.Name(static_cast<uint8_t>(rep % 2 ? afnComplete : afnFirstN), rep % 3 == 0, 2, 4, '.');
            if (s == 1) k.Size();
            if (s == 2) k.Size(static_cast<int64_t>(rc.Below(200)));
            if (d == 1) k.Date();
            if (d == 2) k.DateWithin(static_cast<uint32_t>(rc.Below(3)));
            if (d == 3) k.DateParts(static_cast<uint8_t>(1 + rc.Below(15)));
            if (c == 1) k.Content();
            if (c == 2) k.Content(acFirstN, 10);
            in.settings = k.Make();
            SCOPED_TRACE("f" + std::to_string(f) + " s" + std::to_string(s) + " d" + std::to_string(d) +
                         " c" + std::to_string(c) + " seed " + std::to_string(seed));
            RunBoth(in, rep % 2 ? 0 : 16);
            if (HasFailure()) return;
          }
        }
}

// ---------------------------------------------------------------------------
// With the real content comparison on real files, some of them unreadable

TEST(PoolWithContent, RealFilesGiveTheReferenceSetsAndUnreadableFilesNone) {
  zwtest::TempTree tree;
  int unreadableSeen = 0, setsSeen = 0;
  for (uint64_t seed = 1; seed <= 50; ++seed) {
    RandomCase rc(seed * 7919);
    Crit k;
    const uint8_t range = static_cast<uint8_t>(rc.Coin() ? 0 : 1 + rc.Below(4));
    k.Content(range, static_cast<int64_t>(rc.Below(4)), static_cast<int64_t>(4 + rc.Below(8)));
    k.c.content.methods = static_cast<uint8_t>(rc.Below(4));
    if (rc.Coin(30)) k.Size(rc.Coin() ? -1 : static_cast<int64_t>(rc.Below(6)));
    if (rc.Coin(30)) k.DateWithin(1);
    if (rc.Coin(30)) k.Name(afnComplete, true);
    TRunInput in;
    in.settings = k.Make();
    in.nowLocal = kNow;
    in.realContent = true;
    // Contents from a few short texts, so that many files agree in part.
    std::vector<std::string> texts;
    for (size_t i = 0; i < 1 + rc.Below(6); ++i) {
      std::string t;
      for (size_t n = rc.Below(24); n > 0; --n) t += "ab"[rc.Below(2)];
      texts.push_back(t);
    }
    std::set<uint32_t> unreadable;
    const size_t n = 2 + rc.Below(30);
    const size_t libraryFrom = rc.Coin() ? n - rc.Below(n / 2 + 1) : n;
    for (size_t i = 0; i < n; ++i) {
      TEntrySpec e;
      e.id = static_cast<uint32_t>(i + 1);
      const std::string text = texts[rc.Below(texts.size())];
      const std::string folder = "s" + std::to_string(seed) + "/d" + std::to_string(i);
      e.name = rc.Coin() ? "same.bin" : "other.bin";
      e.path = tree.Dir(folder);
      tree.File(folder + "/" + e.name, text);
      e.size = text.size();
      e.time = kNow - rc.Below(3) * kHour;
      if (!text.empty() && rc.Coin(12)) {  // gone before it is read
        std::filesystem::remove(tree.PathOf(folder + "/" + e.name));
        unreadable.insert(e.id);
      }
      if (i >= libraryFrom) {
        e.flags = fiflag::kLibrary;
        in.library.push_back(e);
      } else {
        in.fresh.push_back(e);
      }
    }
    SCOPED_TRACE("seed " + std::to_string(seed));
    const TOutcome engine = RunEngine(in);
    const TOutcome reference = RunOracle(in);
    EXPECT_EQ(engine.results, reference.results);
    EXPECT_EQ(engine.droppedWhileFeeding, reference.droppedWhileFeeding);
    EXPECT_EQ(engine.droppedByFinish, reference.droppedByFinish);
    EXPECT_EQ(engine.progressMax, reference.progressMax);
    EXPECT_EQ(engine.progressPos, reference.progressPos);
    for (const auto& set : engine.results) {
      EXPECT_GE(set.size(), 2u);
      for (uint32_t id : set) EXPECT_EQ(unreadable.count(id), 0u) << "unreadable file " << id << " in a set";
      ++setsSeen;
    }
    unreadableSeen += static_cast<int>(unreadable.size());
    if (HasFailure()) break;
  }
  EXPECT_GT(unreadableSeen, 10);
  EXPECT_GT(setsSeen, 25);
}

// ---------------------------------------------------------------------------
// Shapes that make a plain pool quadratic: the real pool still gives the
// reference's sets.

TRunInput FromShape(poolshapes::TShapeKind kind, size_t n) {
  poolshapes::TShape shape = poolshapes::MakeShape(kind, n, 42);
  TRunInput in;
  in.settings = MakeSearchSettings(shape.settings);
  in.nowLocal = shape.nowLocal;
  auto describe = [](const TFileInfos& e) {
    TEntrySpec s;
    s.id = e.Attr;
    s.name = e.Name;
    s.size = e.Size;
    s.time = e.Time;
    s.flags = e.Flags;
    return s;
  };
  for (const auto& e : shape.fresh) in.fresh.push_back(describe(*e));
  for (const auto& e : shape.library) in.library.push_back(describe(*e));
  return in;
}

TEST(PoolShapes, TwentyThousandSizesInOneBucket) {
  const TOutcome o = RunBoth(FromShape(poolshapes::TShapeKind::OneSizeBucket, 20000));
  EXPECT_EQ(o.groupCount, 18000);
  EXPECT_EQ(o.results.size(), 2000u);
}

TEST(PoolShapes, TwentyThousandFilesOfOneSizeWithADateKey) {
  const TOutcome o = RunBoth(FromShape(poolshapes::TShapeKind::OneSizeDates, 20000));
  EXPECT_EQ(o.groupCount, 1);
  EXPECT_GT(o.results.size(), 1000u);
}

TEST(PoolShapes, ContentOnlyIsOneCandidateSet) {
  const TOutcome o = RunBoth(FromShape(poolshapes::TShapeKind::ContentOnly, 20000));
  ASSERT_EQ(o.candidates.size(), 1u);
  EXPECT_EQ(o.candidates[0].size(), 20000u);
}

TEST(PoolShapes, LibraryFilesInOneLargeGroup) {
  const TOutcome o = RunBoth(FromShape(poolshapes::TShapeKind::LibraryInOneGroup, 5000));
  EXPECT_TRUE(o.hasLibrary);
  EXPECT_FALSE(o.results.empty());
}

TEST(PoolShapes, LibraryFilesAgainstManyGroups) {
  const TOutcome o = RunBoth(FromShape(poolshapes::TShapeKind::LibraryAgainstManyGroups, 5000));
  EXPECT_TRUE(o.hasLibrary);
  EXPECT_FALSE(o.results.empty());
}

TEST(PoolShapes, NamesWithASharedPrefix) {
  const TOutcome o = RunBoth(FromShape(poolshapes::TShapeKind::SharedNamePrefix, 20000));
  EXPECT_FALSE(o.results.empty());
}

TEST(PoolShapes, EveryShapeFeedsTheRealPool) {
  for (poolshapes::TShapeKind kind : poolshapes::AllShapes()) {
    poolshapes::TShape shape = poolshapes::MakeShape(kind, 300, 7);
    const TSearchSettings s = MakeSearchSettings(shape.settings);
    TRecordingSets results;
    TPoolContext ctx;
    ctx.results = &results;
    ctx.nowLocal = shape.nowLocal;
    size_t candidates = 0;
    ctx.contentStage = [&](TResultManager&, const TSearchSettings&, const TPoolContext&)
        -> std::unique_ptr<TResultManager> {
      struct Count : TResultManager {
        size_t* n;
        explicit Count(size_t* c) : n(c) {}
        void AddSet(TFileInfos* first) override {
          ++*n;
          FreeFileInfosList(first);
        }
      };
      return std::make_unique<Count>(&candidates);
    };
    auto pool = CreatePool(s, ChooseKeys(s), ctx);
    const size_t total = shape.fresh.size() + shape.library.size();
    for (auto& e : shape.fresh) pool->AddFresh(e.release());
    for (auto& e : shape.library) pool->AddLibrary(e.release());
    EXPECT_LE(pool->FileCount(), static_cast<int64_t>(total)) << poolshapes::ShapeName(kind);
    pool->Finish(results);
    EXPECT_GT(results.sets.size() + candidates, 0u) << poolshapes::ShapeName(kind);
  }
}

}  // namespace
}  // namespace zw
