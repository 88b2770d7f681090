#include "engine/dupes/criteria.h"

#include <gtest/gtest.h>

#include <limits>
#include <random>
#include <vector>

namespace zw {
namespace {

using platform::FileTime;
using Bytes = std::vector<uint8_t>;

FileTime At(int year, int month, int day, int hour = 0, int minute = 0, int second = 0, int ms = 0) {
  platform::SystemTime st;
  st.year = static_cast<uint16_t>(year);
  st.month = static_cast<uint16_t>(month);
  st.day = static_cast<uint16_t>(day);
  st.hour = static_cast<uint16_t>(hour);
  st.minute = static_cast<uint16_t>(minute);
  st.second = static_cast<uint16_t>(second);
  st.milliseconds = static_cast<uint16_t>(ms);
  FileTime ft = 0;
  EXPECT_TRUE(platform::JoinFileTime(st, ft));
  return ft;
}

// A file entry made in place (entries are never copied).
struct Ent : TFileInfos {
  explicit Ent(std::string name, uint64_t size = 0, FileTime time = 0) {
    Name = std::move(name);
    Size = size;
    Time = time;
  }
};

// ---------------------------------------------------------------------------
// Byte images

TEST(CriteriaByteImages, FactoryRecordsHaveTheirStoredImages) {
  EXPECT_EQ(ToBytes(TAdvFilenameOptions{}), (Bytes{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1}));
  EXPECT_EQ(ToBytes(TAdvSizeOptions{}), (Bytes{0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(ToBytes(TAdvDateOptions{}), (Bytes{1, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(ToBytes(TAdvContentOptions{}),
            (Bytes{0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(TCompareSettings{}.Criteria(), ccSize | ccContent | ccContentCRC);
}

TEST(CriteriaByteImages, FilenameFieldsLieLittleEndianAtTheirOffsets) {
  TAdvFilenameOptions r;
  r.mode = afnAfterLast;
  r.N = 0x04030201;
  r.M = -2;  // 0xFFFFFFFE
  r.c = '.';
  r.ignoreCase = 0;
  EXPECT_EQ(ToBytes(r), (Bytes{8, 0x01, 0x02, 0x03, 0x04, 0xFE, 0xFF, 0xFF, 0xFF, '.', 0}));
}

TEST(CriteriaByteImages, SizeFieldsLieLittleEndianAtTheirOffsets) {
  TAdvSizeOptions r;
  r.tolerant = 1;
  r.tolerance = 0x0807060504030201LL;
  r.unit = 6;
  EXPECT_EQ(ToBytes(r), (Bytes{1, 1, 2, 3, 4, 5, 6, 7, 8, 6}));
}

TEST(CriteriaByteImages, DateFieldsLieLittleEndianAtTheirOffsets) {
  TAdvDateOptions r;
  r.complete = 0;
  r.parts = adpDay | adpYear;
  r.mayDiffer = 1;
  r.days = 10675199;  // 0x00A2E3FF
  EXPECT_EQ(ToBytes(r), (Bytes{0, 0x0A, 1, 0xFF, 0xE3, 0xA2, 0x00}));
}

TEST(CriteriaByteImages, ContentFieldsLieLittleEndianAtTheirOffsets) {
  TAdvContentOptions r;
  r.range = acBytesNToMFromEnd;
  r.methods = acmCRC32 | acmByteByByte;
  r.N = 0x1112131415161718LL;
  r.M = 3072;  // 0x0C00
  r.unit = 1;
  EXPECT_EQ(ToBytes(r), (Bytes{2, 3, 0x18, 0x17, 0x16, 0x15, 0x14, 0x13, 0x12, 0x11, 0x00, 0x0C,
                               0, 0, 0, 0, 0, 0, 1}));
}

TEST(CriteriaByteImages, ImagesReadBackIntoEqualRecords) {
  std::mt19937 rng(7);
  for (int i = 0; i < 200; ++i) {
    Bytes f(kFilenameOptionsBytes), s(kSizeOptionsBytes), d(kDateOptionsBytes), c(kContentOptionsBytes);
    for (Bytes* b : {&f, &s, &d, &c})
      for (uint8_t& x : *b) x = static_cast<uint8_t>(rng());
    TAdvFilenameOptions fr;
    TAdvSizeOptions sr;
    TAdvDateOptions dr;
    TAdvContentOptions cr;
    ASSERT_TRUE(FromBytes(f, fr));
    ASSERT_TRUE(FromBytes(s, sr));
    ASSERT_TRUE(FromBytes(d, dr));
    ASSERT_TRUE(FromBytes(c, cr));
    EXPECT_EQ(ToBytes(fr), f);
    EXPECT_EQ(ToBytes(sr), s);
    EXPECT_EQ(ToBytes(dr), d);
    EXPECT_EQ(ToBytes(cr), c);
  }
}

TEST(CriteriaByteImages, ReadingFillsEveryField) {
  TAdvContentOptions r;
  ASSERT_TRUE(FromBytes(Bytes{4, 2, 0, 0x10, 0, 0, 0, 0, 0, 0, 0xFF, 0x0B, 0, 0, 0, 0, 0, 0, 2}, r));
  EXPECT_EQ(r.range, acLastN);
  EXPECT_EQ(r.methods, acmByteByByte);
  EXPECT_EQ(int64_t{r.N}, 4096);  // packed fields: read by value
  EXPECT_EQ(int64_t{r.M}, 3071);
  EXPECT_EQ(r.unit, 2);
  TAdvFilenameOptions f;
  ASSERT_TRUE(FromBytes(Bytes{1, 2, 0, 0, 0, 4, 0, 0, 0, 'x', 1}, f));
  EXPECT_EQ(f.mode, afnCharsNToM);
  EXPECT_EQ(int32_t{f.N}, 2);
  EXPECT_EQ(int32_t{f.M}, 4);
  EXPECT_EQ(f.c, 'x');
  EXPECT_EQ(f.ignoreCase, 1);
}

TEST(CriteriaByteImages, ImagesOfTheWrongLengthAreRejectedAndTheRecordKept) {
  TAdvFilenameOptions f;
  f.mode = afnFirstN;
  f.N = 4;
  const Bytes before = ToBytes(f);
  EXPECT_FALSE(FromBytes(Bytes(10, 0xAA), f));
  EXPECT_FALSE(FromBytes(Bytes(12, 0xAA), f));
  EXPECT_FALSE(FromBytes(Bytes{}, f));
  EXPECT_FALSE(FromBytes(nullptr, kFilenameOptionsBytes, f));
  EXPECT_EQ(ToBytes(f), before);

  TAdvSizeOptions s;
  EXPECT_FALSE(FromBytes(Bytes(11, 0xAA), s));
  EXPECT_EQ(ToBytes(s), ToBytes(TAdvSizeOptions{}));
  TAdvDateOptions d;
  EXPECT_FALSE(FromBytes(Bytes(6, 0xAA), d));
  EXPECT_EQ(ToBytes(d), ToBytes(TAdvDateOptions{}));
  TAdvContentOptions c;
  EXPECT_FALSE(FromBytes(Bytes(18, 0xAA), c));
  EXPECT_FALSE(FromBytes(Bytes(20, 0xAA), c));
  EXPECT_EQ(ToBytes(c), ToBytes(TAdvContentOptions{}));
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
// Units

TEST(CriteriaUnits, FactorsArePowersOf1024) {
  EXPECT_EQ(UnitFactor(0), 1u);
  EXPECT_EQ(UnitFactor(1), 1024u);
  EXPECT_EQ(UnitFactor(2), 1048576u);
  EXPECT_EQ(UnitFactor(6), uint64_t{1} << 60);
  EXPECT_EQ(UnitShift(3), 30);
}

TEST(CriteriaUnits, IndexesOutsideTheTableCountAsBytes) {
  EXPECT_EQ(UnitFactor(7), 1u);
  EXPECT_EQ(UnitFactor(-1), 1u);
  EXPECT_EQ(BytesToUnit(4096, 200), 4096);
}

TEST(CriteriaUnits, ValuesAreShownShiftedAndConvertedBack) {
  EXPECT_EQ(BytesToUnit(4096, 1), 4);
  EXPECT_EQ(BytesToUnit(4095, 1), 3);
  EXPECT_EQ(BytesToUnit(3072, 1), 3);
  EXPECT_EQ(UnitToBytes(4, 1), 4096);
  EXPECT_EQ(UnitToBytes(3, 2), 3 * 1048576);
  EXPECT_EQ(MaxValueInUnit(0), std::numeric_limits<int64_t>::max());
  EXPECT_EQ(MaxValueInUnit(6), 7);
  EXPECT_EQ(UnitToBytes(7, 6), int64_t{7} << 60);
  EXPECT_EQ(UnitToBytes(8, 6), std::numeric_limits<int64_t>::max());
}

// ---------------------------------------------------------------------------
// Packed date

TEST(CriteriaPackedDate, FieldsLieInTheirBytes) {
  const uint64_t p = PackLocalDate(At(2024, 2, 29, 23, 59, 58, 999));
  EXPECT_EQ(p & 0xFFFF, 58u * 1024 + 999);
  EXPECT_EQ((p >> 16) & 0xFF, 59u);
  EXPECT_EQ((p >> 24) & 0xFF, 23u);
  EXPECT_EQ((p >> 32) & 0xFF, 28u);  // day - 1
  EXPECT_EQ((p >> 40) & 0xFF, 1u);   // month - 1
  EXPECT_EQ(p >> 48, 2024u);
}

TEST(CriteriaPackedDate, MidnightOfTheFirstOfJanuaryHasAnEmptyTimeWord) {
  const uint64_t p = PackLocalDate(At(2000, 1, 1));
  EXPECT_EQ(p, uint64_t{2000} << 48);
}

TEST(CriteriaPackedDate, MillisecondsAndSubMillisecondTicks) {
  const FileTime t = At(2010, 12, 31, 0, 0, 1, 5);
  EXPECT_EQ(PackLocalDate(t) & 0xFFFFFFFF, 1u * 1024 + 5);
  EXPECT_EQ(PackLocalDate(t + 9999), PackLocalDate(t));  // below one millisecond
  EXPECT_EQ(PackLocalDate(t + 10000) & 0xFFFF, 1u * 1024 + 6);
  EXPECT_EQ((PackLocalDate(t) >> 32) & 0xFFFF, (11u << 8) | 30u);
}

TEST(CriteriaPackedDate, EntriesArePackedOnceInPlace) {
  Ent e("a", 0, At(2021, 7, 4, 12, 30));
  EnsureDatePacked(e);
  EXPECT_TRUE(e.Flags & fiflag::kDatePacked);
  const uint64_t packed = e.Time;
  EXPECT_EQ(packed, PackLocalDate(At(2021, 7, 4, 12, 30)));
  EnsureDatePacked(e);
  EXPECT_EQ(e.Time, packed);  // not packed again
}

TEST(CriteriaPackedDate, MaskBitsPerPart) {
  EXPECT_EQ(DatePartsMask(0), 0u);
  EXPECT_EQ(DatePartsMask(adpTime), 0x00000000FFFFFFFFULL);
  EXPECT_EQ(DatePartsMask(adpDay), 0x0000001F00000000ULL);
  EXPECT_EQ(DatePartsMask(adpMonth), 0x00000F0000000000ULL);
  EXPECT_EQ(DatePartsMask(adpYear), 0x7FFF000000000000ULL);
  EXPECT_EQ(DatePartsMask(adpTime | adpDay | adpMonth | adpYear), 0x7FFF0F1FFFFFFFFFULL);
}

// ---------------------------------------------------------------------------
// Name keys

TFilenameSettings NameMode(uint8_t mode, int n = 0, int m = 0, char c = 0, bool ignoreCase = false) {
  TFilenameSettings s;
  s.mode = mode;
  s.N = n;
  s.M = m;
  s.c = c;
  s.ignoreCase = ignoreCase;
  return s;
}

TEST(CriteriaNameKeys, CompleteName) {
  EXPECT_EQ(BuildNameKey("Report.TXT", NameMode(afnComplete)), "Report.TXT");
  EXPECT_EQ(BuildNameKey("Report.TXT", NameMode(afnComplete, 0, 0, 0, true)), "report.txt");
}

TEST(CriteriaNameKeys, CharsNToM) {
  EXPECT_EQ(BuildNameKey("abcdef", NameMode(afnCharsNToM, 2, 4)), "bcd");
  EXPECT_EQ(BuildNameKey("abcdef", NameMode(afnCharsNToM, 1, 1)), "a");
  EXPECT_EQ(BuildNameKey("abc", NameMode(afnCharsNToM, 2, 10)), "bc");  // M beyond the name
  EXPECT_EQ(BuildNameKey("abc", NameMode(afnCharsNToM, 3, 3)), "c");
  EXPECT_EQ(BuildNameKey("abc", NameMode(afnCharsNToM, 4, 6)), "");     // N beyond the name
  EXPECT_EQ(BuildNameKey("a", NameMode(afnCharsNToM, 2, 4)), "");
  EXPECT_EQ(BuildNameKey("b", NameMode(afnCharsNToM, 2, 4)), "");
  EXPECT_EQ(BuildNameKey("abcdef", NameMode(afnCharsNToM, 4, 2)), "");   // N > M
  EXPECT_EQ(BuildNameKey("abcdef", NameMode(afnCharsNToM, 0, 2)), "ab");  // N below 1 counts as 1
  EXPECT_EQ(BuildNameKey("", NameMode(afnCharsNToM, 1, 3)), "");
}

TEST(CriteriaNameKeys, FirstAndLastN) {
  EXPECT_EQ(BuildNameKey("abcdef", NameMode(afnFirstN, 3)), "abc");
  EXPECT_EQ(BuildNameKey("ab", NameMode(afnFirstN, 3)), "ab");
  EXPECT_EQ(BuildNameKey("abcdef", NameMode(afnLastN, 3)), "def");
  EXPECT_EQ(BuildNameKey("ab", NameMode(afnLastN, 3)), "ab");
  EXPECT_EQ(BuildNameKey("abc", NameMode(afnLastN, 0)), "");
  EXPECT_EQ(BuildNameKey("abc", NameMode(afnFirstN, -5)), "");
}

TEST(CriteriaNameKeys, BeforeAndAfterTheSeparator) {
  EXPECT_EQ(BuildNameKey("a.b.c", NameMode(afnBeforeFirst, 0, 0, '.')), "a");
  EXPECT_EQ(BuildNameKey("a.b.c", NameMode(afnAfterFirst, 0, 0, '.')), "b.c");
  EXPECT_EQ(BuildNameKey("a.b.c", NameMode(afnBeforeLast, 0, 0, '.')), "a.b");
  EXPECT_EQ(BuildNameKey("a.b.c", NameMode(afnAfterLast, 0, 0, '.')), "c");
  EXPECT_EQ(BuildNameKey(".hidden", NameMode(afnBeforeFirst, 0, 0, '.')), "");
  EXPECT_EQ(BuildNameKey("name.", NameMode(afnAfterLast, 0, 0, '.')), "");
}

TEST(CriteriaNameKeys, AMissingSeparatorGivesTheWholeName) {
  for (uint8_t mode : {afnBeforeFirst, afnAfterFirst, afnBeforeLast, afnAfterLast})
    EXPECT_EQ(BuildNameKey("abc", NameMode(mode, 0, 0, '.')), "abc") << int(mode);
}

TEST(CriteriaNameKeys, TheSeparatorIsSearchedCaseSensitivelyBeforeLowering) {
  // The separator field holds x while ignoring case; AXB does not contain it.
  EXPECT_EQ(BuildNameKey("AXB", NameMode(afnBeforeFirst, 0, 0, 'x', true)), "axb");
  EXPECT_EQ(BuildNameKey("AxB", NameMode(afnBeforeFirst, 0, 0, 'x', true)), "a");
  EXPECT_EQ(BuildNameKey("AxB", NameMode(afnAfterLast, 0, 0, 'x', true)), "b");
}

TEST(CriteriaNameKeys, KeysAreBuiltOnceAndKept) {
  const TFilenameSettings s = NameMode(afnFirstN, 2, 0, 0, true);
  Ent e("ABCD");
  EXPECT_EQ(e.NameKey, nullptr);
  const std::string& k = NameKeyOf(e, s);
  EXPECT_EQ(k, "ab");
  ASSERT_NE(e.NameKey, nullptr);
  EXPECT_EQ(&NameKeyOf(e, s), e.NameKey.get());
}

TEST(CriteriaNameKeys, TheCompleteCaseSensitiveNameIsItsOwnKey) {
  const TFilenameSettings s = NameMode(afnComplete);
  Ent e("Name");
  EXPECT_EQ(&NameKeyOf(e, s), &e.Name);
  EXPECT_EQ(e.NameKey, nullptr);
  EXPECT_FALSE(NameIsItsOwnKey(NameMode(afnComplete, 0, 0, 0, true)));
  EXPECT_FALSE(NameIsItsOwnKey(NameMode(afnFirstN, 3)));
}

TEST(CriteriaNameKeys, UnknownModesUseTheWholeName) {
  EXPECT_EQ(BuildNameKey("abc.d", NameMode(2, 1, 1, '.')), "abc.d");
  EXPECT_EQ(BuildNameKey("abc.d", NameMode(9, 1, 1, '.')), "abc.d");
}

// ---------------------------------------------------------------------------
// Comparison functions

TSearchSettings Settings() { return MakeSearchSettings(TCompareSettings{}); }

TEST(CriteriaFilename, OrdinalComparisonOfTheNamesWhenCaseSensitive) {
  TSearchSettings s = Settings();
  s.filename = NameMode(afnComplete);
  Ent a("B"), b("a"), c("a");
  EXPECT_LT(CompareFilename(s, a, b, false), 0);  // 'B' 0x42 < 'a' 0x61
  EXPECT_GT(CompareFilename(s, b, a, false), 0);
  EXPECT_EQ(CompareFilename(s, b, c, true), 0);
  EXPECT_EQ(a.NameKey, nullptr);
  Ent hi("\xE4"), z("z");
  EXPECT_GT(CompareFilename(s, hi, z, false), 0);  // bytes compare unsigned
  Ent ab("ab"), abc("abc");
  EXPECT_LT(CompareFilename(s, ab, abc, false), 0);
}

TEST(CriteriaFilename, IgnoringCaseComparesTheLoweredKeys) {
  TSearchSettings s = Settings();
  s.filename = NameMode(afnComplete, 0, 0, 0, true);
  Ent a("B"), b("a"), c("b");
  EXPECT_GT(CompareFilename(s, a, b, false), 0);
  EXPECT_EQ(CompareFilename(s, a, c, false), 0);
}

TEST(CriteriaFilename, EmptyKeysAgree) {
  TSearchSettings s = Settings();
  s.filename = NameMode(afnCharsNToM, 2, 4);
  Ent a("a"), b("b");
  EXPECT_EQ(CompareFilename(s, a, b, false), 0);
}

TEST(CriteriaFilename, NamesWithAZeroByteCompareAsWholeStrings) {
  // Real file systems forbid the zero byte; archive names might carry one.
  // The whole name counts, so such names never agree with their prefix.
  TSearchSettings s = Settings();
  s.filename = NameMode(afnComplete);
  Ent a(std::string("a\0b", 3)), b("a");
  EXPECT_GT(CompareFilename(s, a, b, false), 0);
  s.filename.ignoreCase = true;
  Ent c(std::string("A\0B", 3)), d(std::string("a\0b", 3));
  EXPECT_EQ(CompareFilename(s, c, d, false), 0);
  EXPECT_NE(CompareFilename(s, c, b, false), 0);
}

TEST(CriteriaSize, ExactIsUnsigned) {
  TSearchSettings s = Settings();
  Ent a("a", 10), b("b", 20), big("c", ~uint64_t{0});
  EXPECT_LT(CompareSizeExact(s, a, b, false), 0);
  EXPECT_GT(CompareSizeExact(s, big, b, true), 0);
  EXPECT_EQ(CompareSizeExact(s, a, a, true), 0);
}

TEST(CriteriaSize, ToleranceIncludesItsBorder) {
  TSearchSettings s = Settings();
  s.size.tolerant = true;
  s.size.tolerance = 4096;
  Ent a("a", 10000), b("b", 10000 + 4096), c("c", 10000 + 4097);
  EXPECT_EQ(CompareSizeTolerant(s, a, b, true), 0);
  EXPECT_EQ(CompareSizeTolerant(s, b, a, true), 0);
  EXPECT_LT(CompareSizeTolerant(s, a, c, true), 0);
  EXPECT_GT(CompareSizeTolerant(s, c, a, true), 0);
  // With the flag clear the sizes are ordered exactly.
  EXPECT_LT(CompareSizeTolerant(s, a, b, false), 0);
  EXPECT_GT(CompareSizeTolerant(s, b, a, false), 0);
}

TEST(CriteriaSize, ToleranceAtTheEndsOfTheRange) {
  TSearchSettings s = Settings();
  s.size.tolerance = 5;
  Ent zero("a", 0), top("b", ~uint64_t{0}), nearTop("c", ~uint64_t{0} - 5);
  EXPECT_LT(CompareSizeTolerant(s, zero, top, true), 0);
  EXPECT_EQ(CompareSizeTolerant(s, top, nearTop, true), 0);
}

TEST(CriteriaSize, ANegativeStoredToleranceActsAsExact) {
  TAdvSizeOptions r;
  r.tolerant = 1;
  r.tolerance = -100;
  const TSizeSettings s = MakeSizeSettings(r);
  EXPECT_TRUE(s.tolerant);
  EXPECT_EQ(s.tolerance, 0u);
}

TEST(CriteriaDate, ExactComparesTheTimesUnsigned) {
  TSearchSettings s = Settings();
  Ent a("a", 0, At(2020, 1, 1)), b("b", 0, At(2020, 1, 1) + 1);
  Ent far("c", 0, 0x8000000000000000ULL);
  EXPECT_LT(CompareDateExact(s, a, b, false), 0);
  EXPECT_GT(CompareDateExact(s, far, b, false), 0);
  EXPECT_EQ(CompareDateExact(s, a, a, true), 0);
}

TEST(CriteriaDate, ToleranceOfOneDayIncludesExactly24Hours) {
  TAdvDateOptions r;
  r.mayDiffer = 1;
  r.days = 1;
  TSearchSettings s = Settings();
  s.date = MakeDateSettings(r);
  EXPECT_EQ(s.date.tolerance, 864000000000ULL);
  const FileTime t = At(2023, 3, 25, 22, 15);
  Ent a("a", 0, t), b("b", 0, t + kTicksPerDay), c("c", 0, t + kTicksPerDay + 1);
  EXPECT_EQ(CompareDateTolerant(s, a, b, true), 0);
  EXPECT_EQ(CompareDateTolerant(s, b, a, true), 0);
  EXPECT_LT(CompareDateTolerant(s, a, c, true), 0);
  EXPECT_GT(CompareDateTolerant(s, c, a, true), 0);
  EXPECT_LT(CompareDateTolerant(s, a, b, false), 0);
}

TEST(CriteriaDate, HugeDayCountsSaturate) {
  TAdvDateOptions r;
  r.mayDiffer = 1;
  r.days = 0xFFFFFFFFu;
  EXPECT_EQ(MakeDateSettings(r).tolerance, std::numeric_limits<uint64_t>::max());
  r.days = 10675199;
  EXPECT_EQ(MakeDateSettings(r).tolerance, 10675199ULL * 864000000000ULL);
}

TSearchSettings Parts(uint8_t parts) {
  TAdvDateOptions r;
  r.complete = 0;
  r.parts = parts;
  TSearchSettings s = Settings();
  s.date = MakeDateSettings(r);
  return s;
}

int PartsCompare(uint8_t parts, FileTime a, FileTime b) {
  Ent x("a", 0, a), y("b", 0, b);
  return CompareDateParts(Parts(parts), x, y, false);
}

TEST(CriteriaDateParts, TimeOnly) {
  EXPECT_NE(PartsCompare(adpTime, At(2020, 1, 1, 1), At(2020, 1, 1, 9)), 0);
  EXPECT_LT(PartsCompare(adpTime, At(2020, 1, 1, 1), At(2019, 5, 7, 9)), 0);
  EXPECT_EQ(PartsCompare(adpTime, At(2020, 1, 1, 1), At(2021, 6, 2, 1)), 0);
  EXPECT_LT(PartsCompare(adpTime, At(2020, 1, 1, 1, 0, 0, 0), At(2020, 1, 1, 1, 0, 0, 1)), 0);
  EXPECT_LT(PartsCompare(adpTime, At(2020, 1, 1, 0, 0, 0), At(2020, 1, 2, 23, 59, 59, 999)), 0);
  EXPECT_LT(PartsCompare(adpTime, At(2020, 1, 2, 0, 0, 0), At(2020, 1, 1, 23, 59, 59, 999)), 0);
}

TEST(CriteriaDateParts, DayMonthYear) {
  EXPECT_EQ(PartsCompare(adpDay, At(2020, 1, 5, 3), At(2022, 8, 5, 17)), 0);
  EXPECT_LT(PartsCompare(adpDay, At(2022, 8, 4), At(2020, 1, 5)), 0);
  EXPECT_EQ(PartsCompare(adpMonth, At(2020, 3, 1), At(2021, 3, 31)), 0);
  EXPECT_GT(PartsCompare(adpMonth, At(2020, 4, 1), At(2021, 3, 31)), 0);
  EXPECT_EQ(PartsCompare(adpYear, At(2020, 1, 1), At(2020, 12, 31, 23, 59)), 0);
  EXPECT_LT(PartsCompare(adpYear, At(2019, 12, 31), At(2020, 1, 1)), 0);
  EXPECT_EQ(PartsCompare(adpDay | adpMonth, At(2000, 2, 29), At(2024, 2, 29, 5)), 0);  // leap days
  EXPECT_NE(PartsCompare(adpDay | adpMonth, At(2024, 2, 29), At(2023, 3, 1)), 0);
}

TEST(CriteriaDateParts, TheDateWordDecidesBeforeTheTime) {
  // Day and time: an earlier day wins even with a later time.
  EXPECT_LT(PartsCompare(adpDay | adpTime, At(2020, 1, 1, 23), At(2020, 1, 2, 0)), 0);
  EXPECT_GT(PartsCompare(adpDay | adpTime, At(2020, 1, 2, 0, 0, 0, 1), At(2020, 1, 2, 0)), 0);
  EXPECT_EQ(PartsCompare(adpYear | adpTime, At(2020, 1, 2, 7), At(2020, 11, 30, 7)), 0);
}

TEST(CriteriaDateParts, MidnightIsTheLowestTime) {
  EXPECT_LT(PartsCompare(adpTime, At(2020, 1, 1, 0), At(2020, 1, 1, 0, 0, 0, 1)), 0);
  EXPECT_EQ(PartsCompare(adpTime, At(2020, 1, 1, 0), At(1999, 12, 31, 0)), 0);
}

TEST(CriteriaDateParts, AllPartsOrderLikeTheTimes) {
  std::mt19937_64 rng(11);
  const uint8_t all = adpTime | adpDay | adpMonth | adpYear;
  for (int i = 0; i < 2000; ++i) {
    const FileTime a = At(1990, 1, 1) + rng() % (40ULL * 365 * kTicksPerDay) / 10000 * 10000;
    const FileTime b = (i % 4 == 0) ? a : At(1990, 1, 1) + rng() % (40ULL * 365 * kTicksPerDay) / 10000 * 10000;
    const int expected = (a > b) - (a < b);
    const int got = PartsCompare(all, a, b);
    EXPECT_EQ((got > 0) - (got < 0), expected);
  }
}

TEST(CriteriaDateParts, BothEntriesArePackedInPlace) {
  TSearchSettings s = Parts(adpDay);
  Ent x("a", 0, At(2020, 1, 5)), y("b", 0, At(2020, 2, 5));
  EXPECT_EQ(CompareDateParts(s, x, y, false), 0);
  EXPECT_TRUE(x.Flags & fiflag::kDatePacked);
  EXPECT_TRUE(y.Flags & fiflag::kDatePacked);
  EXPECT_EQ(x.Time, PackLocalDate(At(2020, 1, 5)));
  EXPECT_EQ(CompareDateParts(s, x, y, false), 0);  // packed values are not packed again
}

TEST(CriteriaDateParts, NoPartsMeansEverythingAgrees) {
  EXPECT_EQ(PartsCompare(0, At(2020, 1, 1), At(1800, 5, 5, 5)), 0);
}

// ---------------------------------------------------------------------------
// Keys and settings

TEST(CriteriaKeys, RanksAndFunctions) {
  struct Row {
    TCompKey key;
    uint8_t primary, secondary;
    bool tolerant;
    TCompareFunc func;
  };
  const Row rows[] = {
      {ckNone, 255, 255, false, nullptr},
      {ckSizeExact, 0, 0, false, &CompareSizeExact},
      {ckSizeTolerant, 4, 2, true, &CompareSizeTolerant},
      {ckDateExact, 1, 1, false, &CompareDateExact},
      {ckDateTolerant, 5, 3, true, &CompareDateTolerant},
      {ckDateParts, 3, 4, false, &CompareDateParts},
      {ckFilename, 2, 5, false, &CompareFilename},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(PrimaryRank(r.key), r.primary) << int(r.key);
    EXPECT_EQ(SecondaryRank(r.key), r.secondary) << int(r.key);
    EXPECT_EQ(IsTolerantKey(r.key), r.tolerant) << int(r.key);
    EXPECT_EQ(CompareFuncOf(r.key), r.func) << int(r.key);
  }
}

TEST(CriteriaSettings, PrivateCopiesFollowTheCriteriaAndRecords) {
  TCompareSettings c;
  c.filename.mode = afnLastN;
  c.filename.N = 3;
  c.filename.ignoreCase = 0;
  c.size.tolerant = 1;
  c.size.tolerance = 8192;
  c.date.complete = 0;
  c.date.parts = adpMonth | adpTime;
  c.content.range = acFirstN;
  c.content.N = 1000;
  c.checked = ccFilename | ccDate | ccContent;
  const TSearchSettings s = MakeSearchSettings(c);
  EXPECT_TRUE(s.filenameOn);
  EXPECT_FALSE(s.sizeOn);
  EXPECT_TRUE(s.dateOn);
  EXPECT_TRUE(s.contentOn);
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
