// The folder lists and the three filters of a scan.
#include "engine/scan/scan_job.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "platform/paths.h"

namespace zw {
namespace {

using platform::kPathSep;
using Strings = std::vector<std::string>;

// A path below the root from "a/b" ("/a/b" or "C:\a\b"); "a/b/" keeps the
// separator.
std::string P(const std::string& rel) {
  std::string path = platform::kCaseInsensitivePaths ? "C:\\" : "/";
  for (char c : rel) path += c == '/' ? kPathSep : c;
  return path;
}
// How an excluded folder is stored: its path key with the separator.
std::string Key(const std::string& rel) { return platform::PathKey(P(rel + "/")); }

std::vector<std::pair<int, std::string>> Rows(TDirChain chain) {
  std::vector<std::pair<int, std::string>> out;
  for (const TDir& d : chain) out.emplace_back(d.state, d.path);
  return out;
}

TEST(Directories, IncludedRowsKeepListOrderExcludedOnesComeNewestFirstAsPathKeys) {
  const std::vector<TDirRow> rows = {
      {P("x"), dsExclude},      {P("one"), dsSingle}, {P("off"), dsInactive},      {P("two/"), dsRecursive},
      {P("Cat/Old.ZWC"), dsArchive}, {P("d.zip"), dsArchiveInactive}, {P("Y"), dsExclude}, {P("b"), 9}};
  TDirectories dirs;
  dirs.FillFromList(rows);
  // Folders get one trailing separator; archive paths are kept as given.
  EXPECT_EQ(Rows(dirs.Included()), (std::vector<std::pair<int, std::string>>{
                                       {dsSingle, P("one/")}, {dsRecursive, P("two/")}, {dsArchive, P("Cat/Old.ZWC")}}));
  EXPECT_EQ(Rows(dirs.Excluded()), (std::vector<std::pair<int, std::string>>{{dsExclude, Key("Y")}, {dsExclude, Key("x")}}));
  EXPECT_EQ(dirs.IncludedCount(), 3);
  EXPECT_FALSE(dirs.Add(dsInactive, P("a")));
  EXPECT_TRUE(dirs.Add(dsRecursive, P("Data/New")));
  EXPECT_EQ(dirs.FirstIncluded()->next->next->next->path, P("Data/New/"));  // the case is kept
  EXPECT_EQ(dirs.FirstIncluded()->next->next->next->next, nullptr);
  dirs.filesFound += 5;
  dirs.Clear();
  EXPECT_TRUE(dirs.Included().empty() && dirs.Excluded().empty());
  EXPECT_EQ(dirs.IncludedCount(), 0);
  EXPECT_EQ(dirs.filesFound, 0);
  EXPECT_FALSE(dirs.IsExcluded(P("x/")));
  dirs.Add(dsSingle, P("c"));  // usable again
  EXPECT_EQ(Rows(dirs.Included()), (std::vector<std::pair<int, std::string>>{{dsSingle, P("c/")}}));
}

TEST(Directories, AnExcludedFolderMatchesOnlyItselfByThePlatformsPathIdentity) {
  TDirectories dirs;
  EXPECT_FALSE(dirs.IsExcluded(P("a/b/")));
  dirs.Add(dsExclude, P("Data/Old"));
  const struct {
    std::string path;
    bool excluded;
  } cases[] = {
      {P("Data/Old/"), true},
      {P("data/old/"), platform::kCaseInsensitivePaths},  // another folder on POSIX
      {P("DATA/OLD/"), platform::kCaseInsensitivePaths},
      {P("Data/Olden/"), false},   // a sibling with a longer name
      {P("Data/"), false},         // the parent
      {P("Data/Old/c/"), false},   // below: never reached instead
      {P("x/Data/Old/"), false},
      {P("Data/Old"), false},      // callers pass the separator
  };
  for (const auto& c : cases) EXPECT_EQ(dirs.IsExcluded(c.path), c.excluded) << c.path;
}

TEST(Directories, FilesFoundCountsFromManyThreads) {
  TDirectories dirs;
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([&] {
      for (int i = 0; i < 10000; ++i) ++dirs.filesFound;
    });
  for (auto& th : threads) th.join();
  EXPECT_EQ(dirs.filesFound, 40000);
}

TEST(AttribFilter, EachModeAndTheFolderBit) {
  constexpr uint32_t kAll = 0xFFFFFFFF;
  const struct {
    const char* what;
    uint8_t mode;
    uint32_t mask;
    int folders;  // -1 untouched, else ExcludeFolders(folders)
    std::vector<uint32_t> accepted, rejected;
  } cases[] = {
      {"ignore", fmIgnore, 0x04, -1, {0x00, 0x01, 0x04, 0x10, 0x27, 0x80, kAll}, {}},
      {"exclude: any of the bits", fmExclude, 0x06, -1, {0x20, 0x81}, {0x24, 0x02}},
      {"limit to: all the bits", fmLimitTo, 0x03, -1, {0x03, 0x23}, {0x01, 0x22}},
      {"exclude, no folders", fmExclude, 0x04, 1, {0x20}, {0x10, 0x14}},
      {"exclude, folders", fmExclude, 0x04, 0, {0x10, 0x20}, {0x14}},
      {"ignore, no folders", fmIgnore, 0, 1, {0x80, 0x01}, {0x10}},
      {"limit to read-only applies to folders", fmLimitTo, 0x01, 0, {0x11}, {0x10}},
      // No box checked: the "normal" bit.
      {"exclude, no box", TAttribFilter::ModeFromRadios(false, true, false),
       TAttribFilter::MaskFromBoxes(false, false, false, false), -1, {0x20, 0x10, 0x01}, {0x80, 0x81}},
  };
  for (const auto& c : cases) {
    TAttribFilter f;
    f.Set(fmExclude, 0x08);  // Set replaces what was there
    f.Set(c.mode, c.mask);
    if (c.folders >= 0) f.ExcludeFolders(c.folders == 1);
    for (uint32_t a : c.accepted) EXPECT_TRUE(f.Accept(a)) << c.what << " " << a;
    for (uint32_t a : c.rejected) EXPECT_FALSE(f.Accept(a)) << c.what << " " << a;
  }
  EXPECT_EQ(TAttribFilter::ModeFromRadios(true, false, false), fmIgnore);
  EXPECT_EQ(TAttribFilter::ModeFromRadios(false, false, true), fmLimitTo);
  EXPECT_EQ(TAttribFilter::ModeFromRadios(false, false, false), fmLimitTo);
  EXPECT_EQ(TAttribFilter::MaskFromBoxes(true, false, false, false), 0x01u);  // read-only
  EXPECT_EQ(TAttribFilter::MaskFromBoxes(false, true, false, false), 0x02u);  // hidden
  EXPECT_EQ(TAttribFilter::MaskFromBoxes(false, false, true, false), 0x20u);  // archive
  EXPECT_EQ(TAttribFilter::MaskFromBoxes(false, false, false, true), 0x04u);  // system
}

constexpr uint64_t kMax63 = 0x7FFFFFFFFFFFFFFFull, kMax64 = ~uint64_t{0};

TAdvContentOptions Content(uint8_t range, int64_t n, int64_t m) { return {.range = range, .N = n, .M = m}; }

TEST(SizeFilter, BoundsAreInclusiveAndUnsigned) {
  const struct {
    uint8_t mode;
    uint64_t low, high;
    std::vector<uint64_t> accepted, rejected;
  } cases[] = {
      {fmLimitTo, 10, 20, {10, 15, 20}, {9, 21}},
      {fmExclude, 10, 20, {9, 21}, {10, 20}},
      {fmLimitTo, 0, 0, {0}, {1, kMax64}},
      {fmIgnore, 10, 20, {0, 15, kMax64}, {}},
      {fmLimitTo, kMax63, kMax64, {kMax63, kMax63 + 1, kMax64}, {kMax63 - 1}},
      {fmExclude, 0, kMax64, {}, {0, kMax64}},
      {fmExclude, kMax64, kMax64, {kMax64 - 1}, {kMax64}},
  };
  for (const auto& c : cases) {
    TSizeFilter f;
    f.Set(c.mode, c.low, c.high, false, Content(acComplete, 0, 0));
    for (uint64_t s : c.accepted) EXPECT_TRUE(f.Accept(s)) << int(c.mode) << " " << c.low << ".." << c.high << ": " << s;
    for (uint64_t s : c.rejected) EXPECT_FALSE(f.Accept(s)) << int(c.mode) << " " << c.low << ".." << c.high << ": " << s;
  }
}

TEST(SizeFilter, AContentRangeRaisesTheSizesToThoseThatHoldIt) {
  const struct {
    TAdvContentOptions content;
    uint64_t minimum;
  } minima[] = {
      {Content(acComplete, 5, 7), 0},         {Content(acBytesNToM, 0, 3072), 3073},
      {Content(acBytesNToMFromEnd, 100, 199), 200}, {Content(acFirstN, 1000, 99), 1000},
      {Content(acLastN, 4096, 0), 4096},      {Content(acBytesNToM, 0, INT64_MAX), kMax63 + 1},
      {Content(acBytesNToM, 0, -5), 0},       {Content(acFirstN, -1, 0), 0},  // damaged records
  };
  for (const auto& m : minima) EXPECT_EQ(TSizeFilter::ContentMinimum(m.content), m.minimum) << int(m.content.range);
  const auto first1000 = Content(acFirstN, 1000, 0), huge = Content(acBytesNToM, 0, INT64_MAX);
  const struct {
    const char* what;
    uint8_t mode;
    uint64_t low, high;
    TAdvContentOptions content;
    bool contentOn;
    int wantMode;
    uint64_t wantLow, wantHigh;
  } cases[] = {
      {"no content", fmLimitTo, 5, 6, first1000, false, fmLimitTo, 5, 6},
      {"the complete file", fmExclude, 5, 6, Content(acComplete, 0, 0), true, fmExclude, 5, 6},
      {"an unknown range", fmLimitTo, 5, 6, Content(9, 1000, 2000), true, fmLimitTo, 5, 6},
      {"ignore becomes limit from the minimum", fmIgnore, 7, 9, first1000, true, fmLimitTo, 1000, kMax63},
      {"ignore, bytes 10 to 99 from the end", fmIgnore, 0, 0, Content(acBytesNToMFromEnd, 10, 99), true, fmLimitTo, 100, kMax63},
      {"exclude reaching below the minimum grows down to 0", fmExclude, 500, 2000, first1000, true, fmExclude, 0, 2000},
      {"exclude wholly below the minimum: 0 to m-1", fmExclude, 500, 800, Content(acBytesNToM, 0, 999), true, fmExclude, 0, 999},
      {"exclude above the minimum stays", fmExclude, 1000, 2000, first1000, true, fmExclude, 1000, 2000},
      {"a minimum of 0 changes nothing", fmExclude, 0, 10, Content(acFirstN, 0, 0), true, fmExclude, 0, 10},
      {"limit raises its low bound", fmLimitTo, 500, 2000, first1000, true, fmLimitTo, 1000, 2000},
      {"limit above the minimum stays", fmLimitTo, 1500, 2000, Content(acLastN, 1000, 0), true, fmLimitTo, 1500, 2000},
      {"limit below the minimum: nothing passes", fmLimitTo, 10, 20, Content(acBytesNToMFromEnd, 0, 999), true, fmLimitTo, 1000, 20},
      {"the largest range: exclude", fmExclude, 0, 10, huge, true, fmExclude, 0, kMax63},
      {"the largest range: limit", fmLimitTo, 0, kMax64, huge, true, fmLimitTo, kMax63 + 1, kMax64},
      {"the largest range: ignore", fmIgnore, 0, 0, huge, true, fmLimitTo, kMax63 + 1, kMax63},
  };
  for (const auto& c : cases) {
    TSizeFilter f;
    f.Set(c.mode, c.low, c.high, c.contentOn, c.content);
    EXPECT_EQ(f.mode, c.wantMode) << c.what;
    EXPECT_EQ(f.low, c.wantLow) << c.what;
    EXPECT_EQ(f.high, c.wantHigh) << c.what;
  }
  TSizeFilter f;
  f.Set(fmExclude, 500, 800, true, first1000);
  EXPECT_FALSE(f.Accept(0) || f.Accept(999));
  EXPECT_TRUE(f.Accept(1000));
}

TEST(NameFilter, MasksAndTheMinimumLengthDecideByName) {
  auto mode = [](uint8_t m, int32_t n) { return TAdvFilenameOptions{.mode = m, .N = n, .M = n + 2}; };
  using MaskRows = std::vector<TMaskRow>;
  const struct {
    const char* what;
    MaskRows limit, exclude;
    TAdvFilenameOptions filename;
    bool selected;
    Strings accepted, rejected;
  } cases[] = {
      {"nothing set", {}, {}, mode(afnComplete, 0), false, {"a", "anything.dll"}, {}},
      {"a limit list", {{"*.jpg", true}, {"*.png", false}}, {}, mode(afnComplete, 0), false, {"a.JPG"}, {"a.png", "jpg"}},
      {"an exclude list", {}, {{"*.dll", true}, {"*.sys", true}, {"*.inf", false}}, mode(afnComplete, 0), false,
       {"setup.inf", "x.exe"}, {"x.dll", "X.SYS"}},
      {"both lists", {{"*.txt", true}}, {{"secret*", true}}, mode(afnComplete, 0), false, {"notes.txt"}, {"secret.txt", "a.doc"}},
      {"lists without checked rows", {{"*.jpg", false}}, {{"*", false}}, mode(afnComplete, 0), false, {"a.doc"}, {}},
      {"characters 5 to 7", {}, {}, mode(afnCharsNToM, 5), true, {"abcde"}, {"abcd"}},
      {"characters 5 to 7, criterion off", {}, {}, mode(afnCharsNToM, 5), false, {"abcd"}, {}},
      {"first 5 characters", {}, {}, mode(afnFirstN, 5), true, {"abcd"}, {}},
      {"the minimum length before the masks", {{"*", true}}, {}, mode(afnCharsNToM, 3), true, {"abc"}, {"ab"}},
  };
  for (const auto& c : cases) {
    TNameFilter f;
    f.Set(MaskRows{{"x*", true}}, MaskRows{{"y*", true}}, mode(afnCharsNToM, 9), true);  // Set replaces it all
    f.Set(c.limit, c.exclude, c.filename, c.selected);
    for (const auto& n : c.accepted) EXPECT_TRUE(f.Accept(n)) << c.what << ": " << n;
    for (const auto& n : c.rejected) EXPECT_FALSE(f.Accept(n)) << c.what << ": " << n;
  }
  // An invalid checked mask throws and keeps the old setting.
  TNameFilter f;
  f.Set(MaskRows{{"*.txt", true}}, {}, mode(afnComplete, 0), false);
  EXPECT_THROW(f.Set({}, MaskRows{{"[a", true}}, mode(afnCharsNToM, 9), true), EMaskError);
  EXPECT_TRUE(f.Accept("a.txt"));
  EXPECT_FALSE(f.Accept("a.doc"));
}

}  // namespace
}  // namespace zw
