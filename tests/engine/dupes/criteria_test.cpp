// Comparison criteria: the stored images of the option records, units,
// packed dates, name keys, and the comparison functions as tables of pairs.
#include "engine/dupes/criteria.h"

#include <gtest/gtest.h>

#include <iterator>
#include <limits>
#include <random>
#include <vector>

#include "support/files.h"

namespace zw {
namespace {

using platform::FileTime;
using Bytes = std::vector<uint8_t>;
using zwtest::At;

// A file entry made in place (entries are never copied).
struct Ent : TFileInfos {
  explicit Ent(std::string name, uint64_t size = 0, FileTime time = 0) {
    Name = std::move(name);
    Size = size;
    Time = time;
  }
};

int Sign(int v) { return (v > 0) - (v < 0); }

// ---------------------------------------------------------------------------
// Byte images

TEST(CriteriaByteImages, FieldsLieLittleEndianAtTheirOffsets) {
  EXPECT_EQ(ToBytes(TAdvFilenameOptions{}), (Bytes{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1}));
  EXPECT_EQ(ToBytes(TAdvSizeOptions{}), Bytes(10, 0));
  EXPECT_EQ(ToBytes(TAdvDateOptions{}), (Bytes{1, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(ToBytes(TAdvContentOptions{}), (Bytes{0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(TCompareSettings{}.Criteria(), ccSize | ccContent | ccContentCRC);

  EXPECT_EQ(ToBytes(TAdvFilenameOptions{afnAfterLast, 0x04030201, -2, '.', 0}),
            (Bytes{8, 0x01, 0x02, 0x03, 0x04, 0xFE, 0xFF, 0xFF, 0xFF, '.', 0}));
  EXPECT_EQ(ToBytes(TAdvSizeOptions{1, 0x0807060504030201LL, 6}), (Bytes{1, 1, 2, 3, 4, 5, 6, 7, 8, 6}));
  EXPECT_EQ(ToBytes(TAdvDateOptions{0, adpDay | adpYear, 1, 10675199}), (Bytes{0, 0x0A, 1, 0xFF, 0xE3, 0xA2, 0x00}));
  EXPECT_EQ(ToBytes(TAdvContentOptions{acBytesNToMFromEnd, acmCRC32 | acmByteByByte, 0x1112131415161718LL, 3072, 1}),
            (Bytes{2, 3, 0x18, 0x17, 0x16, 0x15, 0x14, 0x13, 0x12, 0x11, 0x00, 0x0C, 0, 0, 0, 0, 0, 0, 1}));
}

// With the writer checked field by field above, reading any image back into
// the same bytes shows the reader fills every field from its place.
template <typename Rec>
void ExpectImagesReadBack(std::mt19937& rng, size_t size) {
  for (int i = 0; i < 200; ++i) {
    Bytes b(size);
    for (uint8_t& x : b) x = static_cast<uint8_t>(rng());
    Rec r;
    ASSERT_TRUE(FromBytes(b, r));
    EXPECT_EQ(ToBytes(r), b);
  }
  // The wrong length is refused and the record kept.
  Rec r;
  for (size_t wrong : {size_t{0}, size - 1, size + 1}) EXPECT_FALSE(FromBytes(Bytes(wrong, 0xAA), r));
  EXPECT_FALSE(FromBytes(nullptr, size, r));
  EXPECT_EQ(ToBytes(r), ToBytes(Rec{}));
}

TEST(CriteriaByteImages, ImagesReadBackAndWrongLengthsAreRefused) {
  std::mt19937 rng(7);
  ExpectImagesReadBack<TAdvFilenameOptions>(rng, kFilenameOptionsBytes);
  ExpectImagesReadBack<TAdvSizeOptions>(rng, kSizeOptionsBytes);
  ExpectImagesReadBack<TAdvDateOptions>(rng, kDateOptionsBytes);
  ExpectImagesReadBack<TAdvContentOptions>(rng, kContentOptionsBytes);
}

TEST(CriteriaSet, BitsFollowTheBoxesAndTheContentRecord) {
  TCompareSettings c;
  c.checked = 0;
  EXPECT_EQ(c.Criteria(), 0);
  c.Set(ccFilename, true);
  c.Set(ccDate, true);
  EXPECT_EQ(c.Criteria(), ccFilename | ccDate);
  c.checked = ccContent;
  EXPECT_EQ(c.Criteria(), ccContent | ccContentCRC);
  c.content.methods = acmByteByByte;
  c.content.range = acFirstN;
  EXPECT_EQ(c.Criteria(), ccContent | ccContentPartial);
  c.content.methods = 0;
  c.content.range = acComplete;
  c.Set(ccSize, true);
  EXPECT_EQ(c.Criteria(), ccSize | ccContent);
  c.Set(ccContent, false);
  EXPECT_EQ(c.Criteria(), ccSize);
}

// ---------------------------------------------------------------------------
// Units: powers of 1024; indexes outside the table count as bytes.

TEST(CriteriaUnits, FactorsAndConversions) {
  EXPECT_EQ(UnitFactor(0), 1u);
  EXPECT_EQ(UnitFactor(2), 1048576u);
  EXPECT_EQ(UnitFactor(6), uint64_t{1} << 60);
  EXPECT_EQ(UnitFactor(7), 1u);
  EXPECT_EQ(UnitFactor(-1), 1u);
  EXPECT_EQ(UnitShift(3), 30);
  EXPECT_EQ(BytesToUnit(4096, 200), 4096);
  EXPECT_EQ(BytesToUnit(4096, 1), 4);
  EXPECT_EQ(BytesToUnit(4095, 1), 3);
  EXPECT_EQ(UnitToBytes(3, 2), 3 * 1048576);
  EXPECT_EQ(MaxValueInUnit(0), std::numeric_limits<int64_t>::max());
  EXPECT_EQ(MaxValueInUnit(6), 7);
  EXPECT_EQ(UnitToBytes(7, 6), int64_t{7} << 60);
  EXPECT_EQ(UnitToBytes(8, 6), std::numeric_limits<int64_t>::max());
}

// ---------------------------------------------------------------------------
// Packed date

TEST(CriteriaPackedDate, FieldsLieInTheirBytes) {
  EXPECT_EQ(PackLocalDate(At(2024, 2, 29, 23, 59, 58, 999)),
            (uint64_t{2024} << 48) | (uint64_t{1} << 40) | (uint64_t{28} << 32) | (23u << 24) | (59u << 16) |
                (58u * 1024 + 999));
  EXPECT_EQ(PackLocalDate(At(2000, 1, 1)), uint64_t{2000} << 48);
  const FileTime t = At(2010, 12, 31, 0, 0, 1, 5);
  EXPECT_EQ(PackLocalDate(t + 9999), PackLocalDate(t));  // below one millisecond
  EXPECT_EQ(PackLocalDate(t + 10000) & 0xFFFF, 1u * 1024 + 6);

  Ent e("a", 0, At(2021, 7, 4, 12, 30));
  EnsureDatePacked(e);
  EXPECT_TRUE(e.Flags & fiflag::kDatePacked);
  EXPECT_EQ(e.Time, PackLocalDate(At(2021, 7, 4, 12, 30)));
  EnsureDatePacked(e);
  EXPECT_EQ(e.Time, PackLocalDate(At(2021, 7, 4, 12, 30)));  // not packed again

  EXPECT_EQ(DatePartsMask(0), 0u);
  EXPECT_EQ(DatePartsMask(adpTime | adpDay | adpMonth | adpYear), kMaskTime | kMaskDay | kMaskMonth | kMaskYear);
  EXPECT_EQ(kMaskTime | kMaskDay | kMaskMonth | kMaskYear, 0x7FFF0F1FFFFFFFFFULL);
}

// ---------------------------------------------------------------------------
// Name keys

TFilenameSettings NameMode(uint8_t mode, int n = 0, int m = 0, char c = 0, bool ignoreCase = false) {
  return {mode, n, m, c, ignoreCase};
}

TEST(CriteriaNameKeys, KeysOfEveryMode) {
  const struct {
    const char* name;
    TFilenameSettings mode;
    const char* key;
  } rows[] = {
      {"Report.TXT", NameMode(afnComplete), "Report.TXT"}, {"Report.TXT", NameMode(afnComplete, 0, 0, 0, true), "report.txt"},
      // Characters N to M, one-based; ends beyond the name are cut, N below 1 counts as 1.
      {"abcdef", NameMode(afnCharsNToM, 2, 4), "bcd"}, {"abcdef", NameMode(afnCharsNToM, 1, 1), "a"},
      {"abc", NameMode(afnCharsNToM, 2, 10), "bc"}, {"abc", NameMode(afnCharsNToM, 3, 3), "c"},
      {"abc", NameMode(afnCharsNToM, 4, 6), ""}, {"a", NameMode(afnCharsNToM, 2, 4), ""},
      {"abcdef", NameMode(afnCharsNToM, 4, 2), ""}, {"abcdef", NameMode(afnCharsNToM, 0, 2), "ab"},
      {"", NameMode(afnCharsNToM, 1, 3), ""},
      {"abcdef", NameMode(afnFirstN, 3), "abc"}, {"ab", NameMode(afnFirstN, 3), "ab"},
      {"abcdef", NameMode(afnLastN, 3), "def"}, {"ab", NameMode(afnLastN, 3), "ab"},
      {"abc", NameMode(afnLastN, 0), ""}, {"abc", NameMode(afnFirstN, -5), ""},
      // Before or after the first or last separator; without one, the whole name.
      {"a.b.c", NameMode(afnBeforeFirst, 0, 0, '.'), "a"}, {"a.b.c", NameMode(afnAfterFirst, 0, 0, '.'), "b.c"},
      {"a.b.c", NameMode(afnBeforeLast, 0, 0, '.'), "a.b"}, {"a.b.c", NameMode(afnAfterLast, 0, 0, '.'), "c"},
      {".hidden", NameMode(afnBeforeFirst, 0, 0, '.'), ""}, {"name.", NameMode(afnAfterLast, 0, 0, '.'), ""},
      {"abc", NameMode(afnBeforeFirst, 0, 0, '.'), "abc"}, {"abc", NameMode(afnAfterFirst, 0, 0, '.'), "abc"},
      {"abc", NameMode(afnBeforeLast, 0, 0, '.'), "abc"}, {"abc", NameMode(afnAfterLast, 0, 0, '.'), "abc"},
      // The separator is searched case-sensitively, before lowering.
      {"AXB", NameMode(afnBeforeFirst, 0, 0, 'x', true), "axb"}, {"AxB", NameMode(afnBeforeFirst, 0, 0, 'x', true), "a"},
      {"AxB", NameMode(afnAfterLast, 0, 0, 'x', true), "b"},
      // Unknown modes use the whole name.
      {"abc.d", NameMode(2, 1, 1, '.'), "abc.d"}, {"abc.d", NameMode(9, 1, 1, '.'), "abc.d"},
  };
  for (const auto& r : rows)
    EXPECT_EQ(BuildNameKey(r.name, r.mode), r.key) << r.name << " mode " << int(r.mode.mode) << " " << r.mode.N;
}

TEST(CriteriaNameKeys, KeysAreBuiltOnceAndKeptUnlessTheNameIsItsOwnKey) {
  const TFilenameSettings s = NameMode(afnFirstN, 2, 0, 0, true);
  Ent e("ABCD");
  EXPECT_EQ(NameKeyOf(e, s), "ab");
  ASSERT_NE(e.NameKey, nullptr);
  EXPECT_EQ(NameKeyOf(e, s).data(), e.NameKey->data());

  Ent own("Name");
  EXPECT_EQ(NameKeyOf(own, NameMode(afnComplete)).data(), own.Name.data());
  EXPECT_EQ(own.NameKey, nullptr);
  EXPECT_FALSE(NameIsItsOwnKey(NameMode(afnComplete, 0, 0, 0, true)));
  EXPECT_FALSE(NameIsItsOwnKey(NameMode(afnFirstN, 3)));
}

// ---------------------------------------------------------------------------
// Comparison functions: the sign of comparing entry a with entry b.

struct Side {
  std::string name;
  uint64_t size = 0;
  FileTime time = 0;
};

int Compare(TCompareFunc f, const TSearchSettings& s, const Side& a, const Side& b, bool tolerant) {
  Ent x(a.name, a.size, a.time), y(b.name, b.size, b.time);
  return Sign(f(s, x, y, tolerant));
}

TSearchSettings Plain() { return MakeSearchSettings(TCompareSettings{}); }

TSearchSettings WithName(TFilenameSettings f) {
  TSearchSettings s = Plain();
  s.filename = f;
  return s;
}

TSearchSettings WithSizeTolerance(uint64_t tolerance) {
  TSearchSettings s = Plain();
  s.size.tolerant = true;
  s.size.tolerance = tolerance;
  return s;
}

// Selected date parts (complete off), or the complete date with a tolerance of days.
TSearchSettings WithDate(uint8_t parts, uint32_t days = 0) {
  TSearchSettings s = Plain();
  s.date = MakeDateSettings({.complete = parts == 0 && days != 0, .parts = parts, .mayDiffer = days != 0, .days = days});
  return s;
}

TEST(CriteriaCompare, NamesSizesAndCompleteDates) {
  const uint64_t top = ~uint64_t{0};
  const FileTime t = At(2023, 3, 25, 22, 15);
  const struct {
    TCompareFunc f;
    TSearchSettings s;
    Side a, b;
    bool tolerant;
    int sign;
  } rows[] = {
      // Names: ordinal bytes, unsigned, whole strings (a zero byte included).
      {&CompareFilename, WithName(NameMode(afnComplete)), {"B"}, {"a"}, false, -1},
      {&CompareFilename, WithName(NameMode(afnComplete)), {"a"}, {"a"}, true, 0},
      {&CompareFilename, WithName(NameMode(afnComplete)), {"\xE4"}, {"z"}, false, 1},
      {&CompareFilename, WithName(NameMode(afnComplete)), {"ab"}, {"abc"}, false, -1},
      {&CompareFilename, WithName(NameMode(afnComplete)), {std::string("a\0b", 3)}, {"a"}, false, 1},
      {&CompareFilename, WithName(NameMode(afnComplete, 0, 0, 0, true)), {"B"}, {"a"}, false, 1},
      {&CompareFilename, WithName(NameMode(afnComplete, 0, 0, 0, true)), {"B"}, {"b"}, false, 0},
      {&CompareFilename, WithName(NameMode(afnComplete, 0, 0, 0, true)), {std::string("A\0B", 3)}, {std::string("a\0b", 3)}, false, 0},
      {&CompareFilename, WithName(NameMode(afnComplete, 0, 0, 0, true)), {std::string("A\0B", 3)}, {"a"}, false, 1},
      {&CompareFilename, WithName(NameMode(afnCharsNToM, 2, 4)), {"a"}, {"b"}, false, 0},  // empty keys agree
      // Sizes: unsigned; the tolerance includes its border and only counts with the flag set.
      {&CompareSizeExact, Plain(), {"a", 10}, {"b", 20}, false, -1},
      {&CompareSizeExact, Plain(), {"a", top}, {"b", 20}, true, 1},
      {&CompareSizeExact, Plain(), {"a", 10}, {"b", 10}, true, 0},
      {&CompareSizeTolerant, WithSizeTolerance(4096), {"a", 10000}, {"b", 14096}, true, 0},
      {&CompareSizeTolerant, WithSizeTolerance(4096), {"a", 14096}, {"b", 10000}, true, 0},
      {&CompareSizeTolerant, WithSizeTolerance(4096), {"a", 10000}, {"b", 14097}, true, -1},
      {&CompareSizeTolerant, WithSizeTolerance(4096), {"a", 14097}, {"b", 10000}, true, 1},
      {&CompareSizeTolerant, WithSizeTolerance(4096), {"a", 10000}, {"b", 14096}, false, -1},
      {&CompareSizeTolerant, WithSizeTolerance(4096), {"a", 14096}, {"b", 10000}, false, 1},
      {&CompareSizeTolerant, WithSizeTolerance(5), {"a", 0}, {"b", top}, true, -1},
      {&CompareSizeTolerant, WithSizeTolerance(5), {"a", top}, {"b", top - 5}, true, 0},
      // Complete dates: unsigned times; a tolerance of one day includes exactly 24 hours.
      {&CompareDateExact, Plain(), {"a", 0, t}, {"b", 0, t + 1}, false, -1},
      {&CompareDateExact, Plain(), {"a", 0, 0x8000000000000000ULL}, {"b", 0, t}, false, 1},
      {&CompareDateExact, Plain(), {"a", 0, t}, {"b", 0, t}, true, 0},
      {&CompareDateTolerant, WithDate(0, 1), {"a", 0, t}, {"b", 0, t + kTicksPerDay}, true, 0},
      {&CompareDateTolerant, WithDate(0, 1), {"a", 0, t + kTicksPerDay}, {"b", 0, t}, true, 0},
      {&CompareDateTolerant, WithDate(0, 1), {"a", 0, t}, {"b", 0, t + kTicksPerDay + 1}, true, -1},
      {&CompareDateTolerant, WithDate(0, 1), {"a", 0, t + kTicksPerDay + 1}, {"b", 0, t}, true, 1},
      {&CompareDateTolerant, WithDate(0, 1), {"a", 0, t}, {"b", 0, t + kTicksPerDay}, false, -1},
  };
  for (size_t i = 0; i < std::size(rows); ++i)
    EXPECT_EQ(Compare(rows[i].f, rows[i].s, rows[i].a, rows[i].b, rows[i].tolerant), rows[i].sign) << "row " << i;
}

TEST(CriteriaCompare, ToleranceSettings) {
  // A negative stored size tolerance acts as exact; day counts saturate.
  EXPECT_TRUE(MakeSizeSettings({.tolerant = 1, .tolerance = -100}).tolerant);
  EXPECT_EQ(MakeSizeSettings({.tolerant = 1, .tolerance = -100}).tolerance, 0u);
  EXPECT_EQ(MakeDateSettings({.mayDiffer = 1, .days = 10675199}).tolerance, 10675199ULL * kTicksPerDay);
  EXPECT_EQ(MakeDateSettings({.mayDiffer = 1, .days = 0xFFFFFFFFu}).tolerance, std::numeric_limits<uint64_t>::max());
}

TEST(CriteriaCompare, DateParts) {
  const uint8_t all = adpTime | adpDay | adpMonth | adpYear;
  const struct {
    uint8_t parts;
    FileTime a, b;
    int sign;
  } rows[] = {
      {adpTime, At(2020, 1, 1, 1), At(2020, 1, 1, 9), -1},
      {adpTime, At(2020, 1, 1, 1), At(2019, 5, 7, 9), -1},
      {adpTime, At(2020, 1, 1, 1), At(2021, 6, 2, 1), 0},
      {adpTime, At(2020, 1, 1, 1), At(2020, 1, 1, 1, 0, 0, 1), -1},
      {adpTime, At(2020, 1, 2, 0), At(2020, 1, 1, 23, 59, 59, 999), -1},  // midnight is the lowest time
      {adpTime, At(2020, 1, 1, 0), At(1999, 12, 31, 0), 0},
      {adpDay, At(2020, 1, 5, 3), At(2022, 8, 5, 17), 0},
      {adpDay, At(2022, 8, 4), At(2020, 1, 5), -1},
      {adpMonth, At(2020, 3, 1), At(2021, 3, 31), 0},
      {adpMonth, At(2020, 4, 1), At(2021, 3, 31), 1},
      {adpYear, At(2020, 1, 1), At(2020, 12, 31, 23, 59), 0},
      {adpYear, At(2019, 12, 31), At(2020, 1, 1), -1},
      {adpDay | adpMonth, At(2000, 2, 29), At(2024, 2, 29, 5), 0},  // leap days
      {adpDay | adpMonth, At(2024, 2, 29), At(2023, 3, 1), -1},
      // The date word decides before the time.
      {adpDay | adpTime, At(2020, 1, 1, 23), At(2020, 1, 2, 0), -1},
      {adpDay | adpTime, At(2020, 1, 2, 0, 0, 0, 1), At(2020, 1, 2, 0), 1},
      {adpYear | adpTime, At(2020, 1, 2, 7), At(2020, 11, 30, 7), 0},
      {0, At(2020, 1, 1), At(1800, 5, 5, 5), 0},  // no parts: everything agrees
  };
  for (const auto& r : rows)
    EXPECT_EQ(Compare(&CompareDateParts, WithDate(r.parts), {"a", 0, r.a}, {"b", 0, r.b}, false), r.sign)
        << int(r.parts) << " " << r.a << " " << r.b;

  // All parts order like the times themselves.
  std::mt19937_64 rng(11);
  const auto randomTime = [&] { return At(1990, 1, 1) + rng() % (40ULL * 365 * kTicksPerDay) / 10000 * 10000; };
  for (int i = 0; i < 2000; ++i) {
    const FileTime a = randomTime(), b = i % 4 == 0 ? a : randomTime();
    EXPECT_EQ(Compare(&CompareDateParts, WithDate(all), {"a", 0, a}, {"b", 0, b}, false), (a > b) - (a < b));
  }

  // Both entries are packed in place, and packed values are not packed again.
  const TSearchSettings s = WithDate(adpDay);
  Ent x("a", 0, At(2020, 1, 5)), y("b", 0, At(2020, 2, 5));
  EXPECT_EQ(CompareDateParts(s, x, y, false), 0);
  EXPECT_TRUE((x.Flags & fiflag::kDatePacked) && (y.Flags & fiflag::kDatePacked));
  EXPECT_EQ(x.Time, PackLocalDate(At(2020, 1, 5)));
  EXPECT_EQ(CompareDateParts(s, x, y, false), 0);
}

// ---------------------------------------------------------------------------
// Keys and settings

TEST(CriteriaKeys, RanksAndFunctions) {
  const struct {
    TCompKey key;
    uint8_t primary, secondary;
    bool tolerant;
    TCompareFunc func;
  } rows[] = {
      {ckNone, 255, 255, false, nullptr},
      {ckSizeExact, 0, 0, false, &CompareSizeExact},
      {ckSizeTolerant, 4, 2, true, &CompareSizeTolerant},
      {ckDateExact, 1, 1, false, &CompareDateExact},
      {ckDateTolerant, 5, 3, true, &CompareDateTolerant},
      {ckDateParts, 3, 4, false, &CompareDateParts},
      {ckFilename, 2, 5, false, &CompareFilename},
  };
  for (const auto& r : rows) {
    EXPECT_EQ(PrimaryRank(r.key), r.primary) << int(r.key);
    EXPECT_EQ(SecondaryRank(r.key), r.secondary) << int(r.key);
    EXPECT_EQ(IsTolerantKey(r.key), r.tolerant) << int(r.key);
    EXPECT_EQ(CompareFuncOf(r.key), r.func) << int(r.key);
  }
}

TEST(CriteriaSettings, PrivateCopiesFollowTheCriteriaAndRecords) {
  TCompareSettings c;
  c.filename = {.mode = afnLastN, .N = 3, .ignoreCase = 0};
  c.size = {.tolerant = 1, .tolerance = 8192};
  c.date = {.complete = 0, .parts = adpMonth | adpTime};
  c.content = {.range = acFirstN, .N = 1000};
  c.checked = ccFilename | ccDate | ccContent;
  const TSearchSettings s = MakeSearchSettings(c);
  EXPECT_TRUE(s.filenameOn && !s.sizeOn && s.dateOn && s.contentOn);
  EXPECT_EQ(s.filename.mode, afnLastN);
  EXPECT_EQ(s.filename.N, 3);
  EXPECT_FALSE(s.filename.ignoreCase);
  EXPECT_TRUE(s.size.tolerant);
  EXPECT_EQ(s.size.tolerance, 8192u);
  EXPECT_FALSE(s.date.complete);
  EXPECT_EQ(s.date.mask, kMaskMonth | kMaskTime);
  EXPECT_EQ(s.content.range, acFirstN);
  EXPECT_EQ(int64_t{s.content.N}, 1000);
}

}  // namespace
}  // namespace zw
