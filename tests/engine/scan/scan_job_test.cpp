#include "engine/scan/scan_job.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "platform/paths.h"

namespace {

using namespace zw;
using platform::kPathSep;

#ifdef _WIN32
const std::string kRoot = "C:\\";
#else
const std::string kRoot = "/";
#endif

// A folder path below the root, without a trailing separator: P("a", "b").
template <typename... Parts>
std::string P(const std::string& first, const Parts&... rest) {
  std::string path = kRoot + first;
  ((path += kPathSep, path += rest), ...);
  return path;
}
std::string WithSep(std::string path) { return path + kPathSep; }
// How an excluded folder is stored: its path key with the separator.
std::string Key(const std::string& path) { return platform::PathKey(WithSep(path)); }

std::vector<std::string> Paths(TDirChain chain) {
  std::vector<std::string> out;
  for (const TDir& d : chain) out.push_back(d.path);
  return out;
}
std::vector<int> States(TDirChain chain) {
  std::vector<int> out;
  for (const TDir& d : chain) out.push_back(d.state);
  return out;
}

// --- TDirectories ---------------------------------------------------------

TEST(Directories, IncludedRowsKeepListOrderAndFoldersGetATrailingSeparator) {
  TDirectories dirs;
  EXPECT_TRUE(dirs.Add(dsRecursive, P("data")));
  EXPECT_TRUE(dirs.Add(dsArchive, P("arc", "photos.zip")));
  EXPECT_TRUE(dirs.Add(dsSingle, WithSep(P("tmp"))));  // already has one: not doubled
  EXPECT_EQ(Paths(dirs.Included()),
            (std::vector<std::string>{WithSep(P("data")), P("arc", "photos.zip"),
                                      WithSep(P("tmp"))}));
  EXPECT_EQ(States(dirs.Included()), (std::vector<int>{dsRecursive, dsArchive, dsSingle}));
  EXPECT_EQ(dirs.IncludedCount(), 3);
  EXPECT_TRUE(dirs.Excluded().empty());
  // the raw chain is the same as the range
  const TDir* first = dirs.FirstIncluded();
  ASSERT_NE(first, nullptr);
  ASSERT_NE(first->next, nullptr);
  ASSERT_NE(first->next->next, nullptr);
  EXPECT_EQ(first->next->next->path, WithSep(P("tmp")));
  EXPECT_EQ(first->next->next->next, nullptr);
}

TEST(Directories, ArchivePathsAreKeptAsGiven) {
  TDirectories dirs;
  dirs.Add(dsArchive, P("Cat", "Old.ZWC"));
  EXPECT_EQ(dirs.FirstIncluded()->path, P("Cat", "Old.ZWC"));
}

TEST(Directories, ExcludedRowsComeNewestFirstAndDoNotCount) {
  TDirectories dirs;
  dirs.Add(dsExclude, P("x"));
  dirs.Add(dsRecursive, P("data"));
  dirs.Add(dsExclude, P("y"));
  dirs.Add(dsExclude, WithSep(P("z")));
  EXPECT_EQ(Paths(dirs.Excluded()),
            (std::vector<std::string>{Key(P("z")), Key(P("y")), Key(P("x"))}));
  EXPECT_EQ(States(dirs.Excluded()), (std::vector<int>{dsExclude, dsExclude, dsExclude}));
  EXPECT_EQ(dirs.IncludedCount(), 1);
  EXPECT_EQ(Paths(dirs.Included()), (std::vector<std::string>{WithSep(P("data"))}));
}

TEST(Directories, InactiveAndUnknownStatesAddNothing) {
  TDirectories dirs;
  EXPECT_FALSE(dirs.Add(dsInactive, P("a")));
  EXPECT_FALSE(dirs.Add(dsArchiveInactive, P("a.zip")));
  EXPECT_FALSE(dirs.Add(9, P("b")));
  EXPECT_TRUE(dirs.Included().empty());
  EXPECT_TRUE(dirs.Excluded().empty());
  EXPECT_EQ(dirs.IncludedCount(), 0);
}

TEST(Directories, FillFromListSkipsInactiveRowsAndKeepsOrder) {
  const std::vector<TDirRow> rows = {
      {P("one"), dsSingle},        {P("off"), dsInactive},  {P("two"), dsRecursive},
      {P("skip"), dsExclude},      {P("c.zwc"), dsArchive}, {P("d.zip"), dsArchiveInactive},
      {P("skip2"), dsExclude},
  };
  TDirectories dirs;
  dirs.FillFromList(rows);
  EXPECT_EQ(Paths(dirs.Included()), (std::vector<std::string>{WithSep(P("one")),
                                                              WithSep(P("two")), P("c.zwc")}));
  EXPECT_EQ(Paths(dirs.Excluded()),
            (std::vector<std::string>{Key(P("skip2")), Key(P("skip"))}));
  EXPECT_EQ(dirs.IncludedCount(), 3);
}

TEST(Directories, ExcludedFolderMatchesOnlyItselfExactly) {
  TDirectories dirs;
  dirs.Add(dsExclude, P("a", "b"));
  EXPECT_TRUE(dirs.IsExcluded(WithSep(P("a", "b"))));
  EXPECT_FALSE(dirs.IsExcluded(WithSep(P("a", "bc"))));   // a sibling with a longer name
  EXPECT_FALSE(dirs.IsExcluded(WithSep(P("a"))));         // the parent
  EXPECT_FALSE(dirs.IsExcluded(WithSep(P("a", "b", "c"))));  // below: never reached instead
  EXPECT_FALSE(dirs.IsExcluded(WithSep(P("x", "a", "b"))));
  EXPECT_FALSE(dirs.IsExcluded(P("a", "b")));             // callers pass the separator
}

TEST(Directories, NothingIsExcludedWithoutExcludeRows) {
  TDirectories dirs;
  dirs.Add(dsRecursive, P("a"));
  EXPECT_FALSE(dirs.IsExcluded(WithSep(P("a"))));
}

TEST(Directories, ExcludedPathsFollowThePlatformsCaseRules) {
  TDirectories dirs;
  dirs.Add(dsExclude, P("Data", "Old"));
  EXPECT_TRUE(dirs.IsExcluded(WithSep(P("Data", "Old"))));
  if (platform::kCaseInsensitivePaths) {
    EXPECT_TRUE(dirs.IsExcluded(WithSep(P("data", "old"))));
    EXPECT_TRUE(dirs.IsExcluded(WithSep(P("DATA", "OLD"))));
    EXPECT_EQ(dirs.FirstExcluded()->path, "c:\\data\\old\\");  // stored lowered
  } else {
    EXPECT_FALSE(dirs.IsExcluded(WithSep(P("data", "old"))));  // another folder on POSIX
    EXPECT_FALSE(dirs.IsExcluded(WithSep(P("DATA", "OLD"))));
    EXPECT_EQ(dirs.FirstExcluded()->path, WithSep(P("Data", "Old")));
  }
}

TEST(Directories, IncludedPathsKeepTheirCase) {
  TDirectories dirs;
  dirs.Add(dsRecursive, P("Data", "New"));
  EXPECT_EQ(dirs.FirstIncluded()->path, WithSep(P("Data", "New")));
}

TEST(Directories, ClearEmptiesListsAndCounters) {
  TDirectories dirs;
  dirs.Add(dsRecursive, P("a"));
  dirs.Add(dsExclude, P("b"));
  dirs.filesFound += 5;
  dirs.Clear();
  EXPECT_TRUE(dirs.Included().empty());
  EXPECT_TRUE(dirs.Excluded().empty());
  EXPECT_EQ(dirs.IncludedCount(), 0);
  EXPECT_EQ(dirs.filesFound, 0);
  EXPECT_FALSE(dirs.IsExcluded(WithSep(P("b"))));
  dirs.Add(dsSingle, P("c"));  // usable again
  EXPECT_EQ(Paths(dirs.Included()), (std::vector<std::string>{WithSep(P("c"))}));
}

TEST(Directories, FilesFoundCountsFromManyThreads) {
  TDirectories dirs;
  EXPECT_EQ(dirs.filesFound, 0);
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([&] {
      for (int i = 0; i < 10000; ++i) ++dirs.filesFound;
    });
  for (auto& th : threads) th.join();
  EXPECT_EQ(dirs.filesFound, 40000);
}

// --- TAttribFilter --------------------------------------------------------

TEST(AttribFilter, IgnoreAcceptsEveryAttributeWord) {
  TAttribFilter f;
  f.Set(fmIgnore, 0x04);
  EXPECT_EQ(f.notMask, 0u);
  EXPECT_EQ(f.mustMask, 0u);
  for (uint32_t a : {0x00u, 0x01u, 0x04u, 0x10u, 0x27u, 0x80u, 0xFFFFFFFFu}) EXPECT_TRUE(f.Accept(a));
}

TEST(AttribFilter, ExcludeRejectsAnyOfTheBits) {
  TAttribFilter f;
  f.Set(fmExclude, 0x04 | 0x02);
  EXPECT_EQ(f.notMask, 0x06u);
  EXPECT_EQ(f.mustMask, 0u);
  EXPECT_TRUE(f.Accept(0x20));
  EXPECT_TRUE(f.Accept(0x81));
  EXPECT_FALSE(f.Accept(0x24));
  EXPECT_FALSE(f.Accept(0x02));
}

TEST(AttribFilter, LimitToNeedsAllTheBits) {
  TAttribFilter f;
  f.Set(fmLimitTo, 0x01 | 0x02);
  EXPECT_EQ(f.notMask, 0u);
  EXPECT_EQ(f.mustMask, 0x03u);
  EXPECT_TRUE(f.Accept(0x03));
  EXPECT_TRUE(f.Accept(0x23));
  EXPECT_FALSE(f.Accept(0x01));
  EXPECT_FALSE(f.Accept(0x22));
}

TEST(AttribFilter, SetReplacesThePreviousMasks) {
  TAttribFilter f;
  f.Set(fmExclude, 0x04);
  f.Set(fmLimitTo, 0x01);
  EXPECT_EQ(f.notMask, 0u);
  EXPECT_TRUE(f.Accept(0x05));
  f.Set(fmIgnore, 0x01);
  EXPECT_EQ(f.mustMask, 0u);
  EXPECT_TRUE(f.Accept(0x00));
}

TEST(AttribFilter, ModeComesFromTheFirstCheckedRadio) {
  EXPECT_EQ(TAttribFilter::ModeFromRadios(true, false, false), fmIgnore);
  EXPECT_EQ(TAttribFilter::ModeFromRadios(false, true, false), fmExclude);
  EXPECT_EQ(TAttribFilter::ModeFromRadios(false, false, true), fmLimitTo);
  EXPECT_EQ(TAttribFilter::ModeFromRadios(false, false, false), fmLimitTo);
}

TEST(AttribFilter, MaskFromBoxesUsesTheWindowsBitsAndNormalWhenNoneIsChecked) {
  EXPECT_EQ(TAttribFilter::MaskFromBoxes(true, false, false, false), 0x01u);
  EXPECT_EQ(TAttribFilter::MaskFromBoxes(false, true, false, false), 0x02u);
  EXPECT_EQ(TAttribFilter::MaskFromBoxes(false, false, true, false), 0x20u);
  EXPECT_EQ(TAttribFilter::MaskFromBoxes(false, false, false, true), 0x04u);
  EXPECT_EQ(TAttribFilter::MaskFromBoxes(true, true, true, true), 0x27u);
  EXPECT_EQ(TAttribFilter::MaskFromBoxes(false, false, false, false), 0x80u);
}

TEST(AttribFilter, ExcludeWithNoBoxCheckedSkipsOnlyNormalFiles) {
  TAttribFilter f;
  f.Set(TAttribFilter::ModeFromRadios(false, true, false),
        TAttribFilter::MaskFromBoxes(false, false, false, false));
  EXPECT_FALSE(f.Accept(0x80));
  EXPECT_FALSE(f.Accept(0x81));
  EXPECT_TRUE(f.Accept(0x20));
  EXPECT_TRUE(f.Accept(0x10));
  EXPECT_TRUE(f.Accept(0x01));
}

TEST(AttribFilter, FolderBitIsToggledWithoutTouchingTheUsersBits) {
  TAttribFilter f;
  f.Set(fmExclude, 0x04);
  f.ExcludeFolders(true);  // single folder: no subfolder passes
  EXPECT_EQ(f.notMask, 0x14u);
  EXPECT_FALSE(f.Accept(0x10));
  EXPECT_TRUE(f.Accept(0x20));
  f.ExcludeFolders(false);  // recursive folder
  EXPECT_EQ(f.notMask, 0x04u);
  EXPECT_TRUE(f.Accept(0x10));
  f.Set(fmIgnore, 0);
  f.ExcludeFolders(true);
  EXPECT_FALSE(f.Accept(0x10));  // whatever the attribute mode
  EXPECT_TRUE(f.Accept(0x80));
}

TEST(AttribFilter, LimitToReadOnlyAlsoAppliesToFolders) {
  TAttribFilter f;
  f.Set(fmLimitTo, TAttribFilter::MaskFromBoxes(true, false, false, false));
  f.ExcludeFolders(false);
  EXPECT_FALSE(f.Accept(0x10));  // a folder without the read-only bit is not entered
  EXPECT_TRUE(f.Accept(0x11));
}

// --- TSizeFilter ----------------------------------------------------------

constexpr uint64_t kMax63 = 0x7FFFFFFFFFFFFFFFull;
constexpr uint64_t kMax64 = 0xFFFFFFFFFFFFFFFFull;

TAdvContentOptions Content(uint8_t range, int64_t n, int64_t m) {
  TAdvContentOptions c;
  c.range = range;
  c.N = n;
  c.M = m;
  return c;
}
const TAdvContentOptions kComplete = Content(acComplete, 0, 0);

struct SizeState {
  int mode;
  uint64_t low, high;
  bool operator==(const SizeState&) const = default;
};
std::ostream& operator<<(std::ostream& os, const SizeState& s) {
  return os << "{" << s.mode << ", " << s.low << ", " << s.high << "}";
}
SizeState Adjusted(uint8_t mode, uint64_t low, uint64_t high, const TAdvContentOptions& c,
                   bool content = true) {
  TSizeFilter f;
  f.Set(mode, low, high, content, c);
  return {f.mode, f.low, f.high};
}

TEST(SizeFilter, BoundsAreInclusive) {
  TSizeFilter f;
  f.Set(fmLimitTo, 10, 20, false, kComplete);
  EXPECT_FALSE(f.Accept(9));
  EXPECT_TRUE(f.Accept(10));
  EXPECT_TRUE(f.Accept(15));
  EXPECT_TRUE(f.Accept(20));
  EXPECT_FALSE(f.Accept(21));
  f.Set(fmExclude, 10, 20, false, kComplete);
  EXPECT_TRUE(f.Accept(9));
  EXPECT_FALSE(f.Accept(10));
  EXPECT_FALSE(f.Accept(20));
  EXPECT_TRUE(f.Accept(21));
}

TEST(SizeFilter, ZeroToZeroLimitAcceptsOnlyEmptyFiles) {
  TSizeFilter f;
  f.Set(fmLimitTo, 0, 0, false, kComplete);
  EXPECT_TRUE(f.Accept(0));
  EXPECT_FALSE(f.Accept(1));
  EXPECT_FALSE(f.Accept(kMax64));
}

TEST(SizeFilter, IgnoreAcceptsEverySize) {
  TSizeFilter f;
  f.Set(fmIgnore, 10, 20, false, kComplete);
  EXPECT_TRUE(f.Accept(0));
  EXPECT_TRUE(f.Accept(15));
  EXPECT_TRUE(f.Accept(kMax64));
}

TEST(SizeFilter, ComparesAsUnsigned64BitNearTheTop) {
  TSizeFilter f;
  f.Set(fmLimitTo, kMax63, kMax64, false, kComplete);
  EXPECT_FALSE(f.Accept(kMax63 - 1));
  EXPECT_TRUE(f.Accept(kMax63));
  EXPECT_TRUE(f.Accept(kMax63 + 1));
  EXPECT_TRUE(f.Accept(kMax64));
  f.Set(fmExclude, 0, kMax64, false, kComplete);
  EXPECT_FALSE(f.Accept(0));
  EXPECT_FALSE(f.Accept(kMax64));
  f.Set(fmExclude, kMax64, kMax64, false, kComplete);
  EXPECT_TRUE(f.Accept(kMax64 - 1));
  EXPECT_FALSE(f.Accept(kMax64));
}

TEST(SizeFilter, ContentMinimumOfEachRange) {
  EXPECT_EQ(TSizeFilter::ContentMinimum(Content(acComplete, 5, 7)), 0u);
  EXPECT_EQ(TSizeFilter::ContentMinimum(Content(acBytesNToM, 0, 3072)), 3073u);
  EXPECT_EQ(TSizeFilter::ContentMinimum(Content(acBytesNToMFromEnd, 100, 199)), 200u);
  EXPECT_EQ(TSizeFilter::ContentMinimum(Content(acFirstN, 1000, 99)), 1000u);
  EXPECT_EQ(TSizeFilter::ContentMinimum(Content(acLastN, 4096, 0)), 4096u);
  EXPECT_EQ(TSizeFilter::ContentMinimum(Content(acBytesNToM, 0, INT64_MAX)), kMax63 + 1);
  EXPECT_EQ(TSizeFilter::ContentMinimum(Content(acBytesNToM, 0, -5)), 0u);  // damaged record
  EXPECT_EQ(TSizeFilter::ContentMinimum(Content(acFirstN, -1, 0)), 0u);
}

TEST(SizeFilter, NoAdjustmentWithoutContentOrForTheCompleteFile) {
  const auto first1000 = Content(acFirstN, 1000, 0);
  EXPECT_EQ(Adjusted(fmIgnore, 5, 6, first1000, false), (SizeState{fmIgnore, 5, 6}));
  EXPECT_EQ(Adjusted(fmLimitTo, 5, 6, first1000, false), (SizeState{fmLimitTo, 5, 6}));
  EXPECT_EQ(Adjusted(fmIgnore, 5, 6, kComplete), (SizeState{fmIgnore, 5, 6}));
  EXPECT_EQ(Adjusted(fmExclude, 5, 6, kComplete), (SizeState{fmExclude, 5, 6}));
  EXPECT_EQ(Adjusted(fmLimitTo, 5, 6, kComplete), (SizeState{fmLimitTo, 5, 6}));
  EXPECT_EQ(Adjusted(fmLimitTo, 5, 6, Content(9, 1000, 2000)), (SizeState{fmLimitTo, 5, 6}));
}

TEST(SizeFilter, IgnoreBecomesLimitFromTheMinimumForEveryRange) {
  EXPECT_EQ(Adjusted(fmIgnore, 0, 0, Content(acBytesNToM, 0, 3071)),
            (SizeState{fmLimitTo, 3072, kMax63}));
  EXPECT_EQ(Adjusted(fmIgnore, 0, 0, Content(acBytesNToMFromEnd, 10, 99)),
            (SizeState{fmLimitTo, 100, kMax63}));
  EXPECT_EQ(Adjusted(fmIgnore, 7, 9, Content(acFirstN, 1000, 0)),
            (SizeState{fmLimitTo, 1000, kMax63}));
  EXPECT_EQ(Adjusted(fmIgnore, 0, 0, Content(acLastN, 4096, 0)),
            (SizeState{fmLimitTo, 4096, kMax63}));
  EXPECT_EQ(Adjusted(fmIgnore, 0, 0, Content(acFirstN, 0, 0)), (SizeState{fmLimitTo, 0, kMax63}));
}

TEST(SizeFilter, FirstThousandBytesWithIgnoreTakesFilesFromThousandBytesOn) {
  TSizeFilter f;
  f.Set(fmIgnore, 0, 0, true, Content(acFirstN, 1000, 0));
  EXPECT_FALSE(f.Accept(999));
  EXPECT_TRUE(f.Accept(1000));
  EXPECT_TRUE(f.Accept(kMax63));
}

TEST(SizeFilter, ExcludeGrowsDownToZeroWhenItReachesBelowTheMinimum) {
  // low below m, high at or above m: only low moves
  EXPECT_EQ(Adjusted(fmExclude, 500, 2000, Content(acFirstN, 1000, 0)),
            (SizeState{fmExclude, 0, 2000}));
  EXPECT_EQ(Adjusted(fmExclude, 500, 1000, Content(acLastN, 1000, 0)),
            (SizeState{fmExclude, 0, 1000}));
  // both below m: the excluded range becomes 0..m-1
  EXPECT_EQ(Adjusted(fmExclude, 500, 800, Content(acBytesNToM, 0, 999)),
            (SizeState{fmExclude, 0, 999}));
  EXPECT_EQ(Adjusted(fmExclude, 0, 0, Content(acBytesNToMFromEnd, 0, 99)),
            (SizeState{fmExclude, 0, 99}));
  // m at or below low: nothing changes
  EXPECT_EQ(Adjusted(fmExclude, 1000, 2000, Content(acFirstN, 1000, 0)),
            (SizeState{fmExclude, 1000, 2000}));
  EXPECT_EQ(Adjusted(fmExclude, 5000, 6000, Content(acBytesNToM, 0, 999)),
            (SizeState{fmExclude, 5000, 6000}));
  // a minimum of zero changes nothing
  EXPECT_EQ(Adjusted(fmExclude, 0, 10, Content(acFirstN, 0, 0)), (SizeState{fmExclude, 0, 10}));
  TSizeFilter f;
  f.Set(fmExclude, 500, 800, true, Content(acFirstN, 1000, 0));
  EXPECT_FALSE(f.Accept(0));
  EXPECT_FALSE(f.Accept(999));
  EXPECT_TRUE(f.Accept(1000));
}

TEST(SizeFilter, LimitToRaisesALowBoundBelowTheMinimum) {
  EXPECT_EQ(Adjusted(fmLimitTo, 500, 2000, Content(acFirstN, 1000, 0)),
            (SizeState{fmLimitTo, 1000, 2000}));
  EXPECT_EQ(Adjusted(fmLimitTo, 0, 2000, Content(acBytesNToM, 10, 99)),
            (SizeState{fmLimitTo, 100, 2000}));
  EXPECT_EQ(Adjusted(fmLimitTo, 1500, 2000, Content(acLastN, 1000, 0)),
            (SizeState{fmLimitTo, 1500, 2000}));
  // a range that needs more than the high bound: no file can pass
  TSizeFilter f;
  f.Set(fmLimitTo, 10, 20, true, Content(acBytesNToMFromEnd, 0, 999));
  EXPECT_EQ(f.low, 1000u);
  EXPECT_EQ(f.high, 20u);
  EXPECT_FALSE(f.Accept(15));
  EXPECT_FALSE(f.Accept(1000));
}

TEST(SizeFilter, LargestContentRangeDoesNotOverflow) {
  const auto huge = Content(acBytesNToM, 0, INT64_MAX);
  EXPECT_EQ(Adjusted(fmExclude, 0, 10, huge), (SizeState{fmExclude, 0, kMax63}));
  EXPECT_EQ(Adjusted(fmLimitTo, 0, kMax64, huge), (SizeState{fmLimitTo, kMax63 + 1, kMax64}));
  EXPECT_EQ(Adjusted(fmIgnore, 0, 0, huge), (SizeState{fmLimitTo, kMax63 + 1, kMax63}));
}

// --- TNameFilter ----------------------------------------------------------

TAdvFilenameOptions NameMode(uint8_t mode, int32_t n) {
  TAdvFilenameOptions o;
  o.mode = mode;
  o.N = n;
  o.M = n + 2;
  return o;
}
using Rows = std::vector<TMaskRow>;
const Rows kNone;

TEST(NameFilter, WithoutListsOrCriterionEveryNamePasses) {
  TNameFilter f;
  f.Set(kNone, kNone, NameMode(afnComplete, 0), false);
  EXPECT_EQ(f.LimitList(), nullptr);
  EXPECT_EQ(f.ExcludeList(), nullptr);
  EXPECT_EQ(f.MinLength(), 0);
  EXPECT_TRUE(f.Accept("a"));
  EXPECT_TRUE(f.Accept("anything.dll"));
}

TEST(NameFilter, LimitListKeepsOnlyMatchingNames) {
  TNameFilter f;
  f.Set(Rows{{"*.jpg", true}, {"*.png", false}}, kNone, NameMode(afnComplete, 0), false);
  EXPECT_TRUE(f.Accept("a.JPG"));
  EXPECT_FALSE(f.Accept("a.png"));
  EXPECT_FALSE(f.Accept("jpg"));
}

TEST(NameFilter, ExcludeListDropsMatchingNames) {
  TNameFilter f;
  f.Set(kNone, Rows{{"*.dll", true}, {"*.sys", true}, {"*.inf", false}}, NameMode(afnComplete, 0),
        false);
  EXPECT_FALSE(f.Accept("x.dll"));
  EXPECT_FALSE(f.Accept("X.SYS"));
  EXPECT_TRUE(f.Accept("setup.inf"));
  EXPECT_TRUE(f.Accept("x.exe"));
}

TEST(NameFilter, BothListsTogether) {
  TNameFilter f;
  f.Set(Rows{{"*.txt", true}}, Rows{{"secret*", true}}, NameMode(afnComplete, 0), false);
  EXPECT_TRUE(f.Accept("notes.txt"));
  EXPECT_FALSE(f.Accept("secret.txt"));
  EXPECT_FALSE(f.Accept("a.doc"));
}

TEST(NameFilter, ListsWithoutCheckedRowsAreAbsent) {
  TNameFilter f;
  f.Set(Rows{{"*.jpg", false}}, Rows{{"*", false}}, NameMode(afnComplete, 0), false);
  EXPECT_EQ(f.LimitList(), nullptr);
  EXPECT_EQ(f.ExcludeList(), nullptr);
  EXPECT_TRUE(f.Accept("a.doc"));
}

TEST(NameFilter, MinimumLengthOnlyForCharsNToMWithTheCriterionOn) {
  struct Case {
    uint8_t mode;
    bool selected;
    int expected;
  };
  for (const Case& c : std::vector<Case>{{afnCharsNToM, true, 5},
                                         {2, true, 5},
                                         {afnCharsNToM, false, 0},
                                         {afnComplete, true, 0},
                                         {afnFirstN, true, 0},
                                         {afnLastN, true, 0},
                                         {afnBeforeLast, true, 0}}) {
    TNameFilter f;
    f.Set(kNone, kNone, NameMode(c.mode, 5), c.selected);
    EXPECT_EQ(f.MinLength(), c.expected) << int(c.mode) << " " << c.selected;
    EXPECT_EQ(f.Accept("abcd"), c.expected == 0) << int(c.mode);
    EXPECT_TRUE(f.Accept("abcde"));
  }
}

TEST(NameFilter, MinimumLengthComesBeforeTheMasks) {
  TNameFilter f;
  f.Set(Rows{{"*", true}}, kNone, NameMode(afnCharsNToM, 3), true);
  EXPECT_FALSE(f.Accept("ab"));
  EXPECT_TRUE(f.Accept("abc"));
}

TEST(NameFilter, SetAgainReplacesEverything) {
  TNameFilter f;
  f.Set(Rows{{"*.txt", true}}, Rows{{"x*", true}}, NameMode(afnCharsNToM, 4), true);
  f.Set(kNone, Rows{{"*.tmp", true}}, NameMode(afnComplete, 0), true);
  EXPECT_EQ(f.LimitList(), nullptr);
  EXPECT_EQ(f.MinLength(), 0);
  EXPECT_TRUE(f.Accept("x.doc"));
  EXPECT_FALSE(f.Accept("a.tmp"));
}

TEST(NameFilter, InvalidCheckedMaskThrowsAndKeepsTheOldSetting) {
  TNameFilter f;
  f.Set(Rows{{"*.txt", true}}, kNone, NameMode(afnComplete, 0), false);
  EXPECT_THROW(f.Set(kNone, Rows{{"[a", true}}, NameMode(afnCharsNToM, 9), true), EMaskError);
  ASSERT_NE(f.LimitList(), nullptr);
  EXPECT_EQ(f.ExcludeList(), nullptr);
  EXPECT_EQ(f.MinLength(), 0);
  EXPECT_TRUE(f.Accept("a.txt"));
  EXPECT_FALSE(f.Accept("a.doc"));
}

}  // namespace
