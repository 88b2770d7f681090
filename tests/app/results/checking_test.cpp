#include "app/results/check_by_criteria.h"
#include "app/results/checked_status.h"
#include "app/results/result_keys.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "app/text/string_table.h"
#include "platform/locale.h"
#include "support/recording_messenger.h"
#include "app/text_ids.h"

using namespace zw;
using zwtest::RecordedMsg;
using zwtest::RecordingMessenger;

namespace {

using platform::FileTime;

constexpr uint64_t kMax = 0x7FFFFFFFFFFFFFFFull;

FileTime At(uint16_t y, uint16_t mo, uint16_t d, uint16_t h = 0, uint16_t mi = 0,
            uint16_t s = 0) {
  platform::SystemTime st;
  st.year = y;
  st.month = mo;
  st.day = d;
  st.hour = h;
  st.minute = mi;
  st.second = s;
  FileTime ft = 0;
  EXPECT_TRUE(platform::JoinFileTime(st, ft));
  return ft;
}

struct F {  // one file of a set
  std::string name;
  uint64_t size = 100;
  bool archive = false;
  std::string path = "/data/";
  FileTime time = 0;
};

// A result list made of sets, in list order; entry names are unique.
void AddSets(TResultList& list, std::initializer_list<std::initializer_list<F>> sets) {
  for (const auto& set : sets) {
    TFileInfos* head = nullptr;
    TFileInfos** tail = &head;
    for (const F& f : set) {
      auto* info = new TFileInfos;
      info->Name = f.name;
      info->Path = f.path;
      info->Size = f.size;
      info->Time = f.time;
      info->Flags = f.archive ? fiflag::kInArchive : 0;
      *tail = info;
      tail = &info->Next;
    }
    list.AddSet(head);
  }
}

std::string Checked(const TResultList& list) {  // "x" checked, "." not, "|" between sets
  std::string out;
  const auto items = list.Items();
  for (size_t i = 0; i < items.size(); ++i) {
    if (i > 0 && ((items[i - 1]->Flags ^ items[i]->Flags) & reflag::kShaded)) out += '|';
    out += items[i]->IsChecked() ? 'x' : '.';
  }
  return out;
}

void Select(TResultList& list, std::initializer_list<int> rows) {
  for (int r : rows) list.Item(r)->Flags |= reflag::kSelected;
}

void SetChecked(TResultList& list, std::initializer_list<int> rows) {
  for (int r : rows) list.Check(list.Item(r));
}

// The count and size the list keeps must equal its checked entries, and no
// archive entry may be checked.
void ExpectCountsHold(const TResultList& list) {
  int32_t count = 0;
  uint64_t size = 0;
  for (const TResultEntry* e : list.Items()) {
    if (!e->IsChecked()) continue;
    EXPECT_FALSE(e->InArchive()) << e->Name;
    ++count;
    size += e->Size;
  }
  EXPECT_EQ(list.CheckedCount(), count);
  EXPECT_EQ(list.CheckedSize(), size);
}

// Sets of 3, 1 and 2 entries.
class RulesTest : public ::testing::Test {
 protected:
  RulesTest() {
    AddSets(list, {{{"a1", 1}, {"a2", 2}, {"a3", 4}}, {{"b1", 8}}, {{"c1", 16}, {"c2", 32}}});
  }
  void TearDown() override { ExpectCountsHold(list); }
  TResultList list;
  RecordingMessenger msgr;
};

// --- first, last, whole set, n-th --------------------------------------------------

TEST_F(RulesTest, FirstOfSetsChecksAllButTheLastOfEachSetAndLeavesSingleSetsAlone) {
  CheckFirstOfSets(list, true, false);
  EXPECT_EQ(Checked(list), "xx.|.|x.");
  EXPECT_EQ(list.CheckedSize(), 1u + 2u + 16u);
}

TEST_F(RulesTest, LastOfSetsChecksAllButTheFirstOfEachSetAndLeavesSingleSetsAlone) {
  CheckLastOfSets(list, true, false);
  EXPECT_EQ(Checked(list), ".xx|.|.x");
}

TEST_F(RulesTest, FirstAndLastUncheckOnlyTheirEntries) {
  CheckAll(list, cmCheck);
  CheckFirstOfSets(list, false, false);
  EXPECT_EQ(Checked(list), "..x|x|.x");
  CheckAll(list, cmCheck);
  CheckLastOfSets(list, false, false);
  EXPECT_EQ(Checked(list), "x..|x|x.");
}

TEST_F(RulesTest, FirstAndLastWithSelectedOnlyTouchOnlySelectedEntries) {
  Select(list, {0, 2, 5});
  CheckFirstOfSets(list, true, true);
  EXPECT_EQ(Checked(list), "x..|.|..");
  CheckLastOfSets(list, true, true);
  EXPECT_EQ(Checked(list), "x.x|.|.x");
}

TEST_F(RulesTest, SetsFollowTheShadingFlagNotTheSetNumbers) {
  // Shading the whole list alike makes it one set.
  for (TResultEntry* e : list.MutableItems()) e->Flags |= reflag::kShaded;
  CheckFirstOfSets(list, true, false);
  EXPECT_EQ(Checked(list), "xxxxx.");
}

TEST_F(RulesTest, WholeSetTakesTheSetOfTheGivenEntry) {
  CheckWholeSet(list, true, 1);
  EXPECT_EQ(Checked(list), "xxx|.|..");
  CheckWholeSet(list, true, 5);
  EXPECT_EQ(Checked(list), "xxx|.|xx");
  CheckWholeSet(list, false, 2);
  EXPECT_EQ(Checked(list), "...|.|xx");
  CheckWholeSet(list, true, 6);  // out of range
  CheckWholeSet(list, true, -1);
  EXPECT_EQ(Checked(list), "...|.|xx");
}

TEST_F(RulesTest, NthOfSetCountsFromTheSetsFirstEntry) {
  EXPECT_EQ(CheckNthOfSet(list, cmInvert, 2, 0), 0);
  EXPECT_EQ(Checked(list), "x..|.|..");
  EXPECT_EQ(CheckNthOfSet(list, cmCheck, 0, 2), 2);
  EXPECT_EQ(CheckNthOfSet(list, cmInvert, 1, 0), 0);
  EXPECT_EQ(Checked(list), "..x|.|..");
  EXPECT_EQ(CheckNthOfSet(list, cmCheck, 4, 1), 5);
  EXPECT_EQ(Checked(list), "..x|.|.x");
  EXPECT_EQ(CheckNthOfSet(list, cmUncheck, 5, 1), 5);
  EXPECT_EQ(Checked(list), "..x|.|..");
}

TEST_F(RulesTest, NthOfSetBeyondTheSetChangesNothing) {
  EXPECT_EQ(CheckNthOfSet(list, cmCheck, 0, 3), -1);  // would be b1 of the next set
  EXPECT_EQ(CheckNthOfSet(list, cmCheck, 3, 1), -1);
  EXPECT_EQ(CheckNthOfSet(list, cmCheck, 5, 2), -1);  // past the end of the list
  EXPECT_EQ(CheckNthOfSet(list, cmCheck, 9, 0), -1);
  EXPECT_EQ(Checked(list), "...|.|..");
}

TEST_F(RulesTest, SetStartsAreFoundFromAnyEntry) {
  EXPECT_EQ(SetStartOf(list, 2), 0);
  EXPECT_EQ(SetStartOf(list, 3), 3);
  EXPECT_EQ(SetStartOf(list, 5), 4);
  EXPECT_EQ(SetStartOf(list, 6), -1);
  EXPECT_EQ(NextSetStart(list, 1), 3);
  EXPECT_EQ(NextSetStart(list, 3), 4);
  EXPECT_EQ(NextSetStart(list, 4), -1);
}

// --- all, selected, toggle ----------------------------------------------------------

class ArchiveRulesTest : public ::testing::Test {
 protected:
  ArchiveRulesTest() {
    AddSets(list, {{{"a1", 10}, {"z1", 20, true}, {"a2", 40}}, {{"b1", 80, true}, {"b2", 160}}});
  }
  void TearDown() override { ExpectCountsHold(list); }
  TResultList list;
  RecordingMessenger msgr;
};

TEST_F(ArchiveRulesTest, CheckAllChecksOnlyEntriesOutsideArchivesAndCountsOnlyThem) {
  CheckAll(list, cmCheck);
  EXPECT_EQ(Checked(list), "x.x|.x");
  EXPECT_EQ(list.CheckedCount(), 3);
  EXPECT_EQ(list.CheckedSize(), 10u + 40u + 160u);
  const std::string suffix =
      platform::HaveByteSizeFormatter() ? " (" + platform::ByteSizeText(210) + ")" : "";
  EXPECT_EQ(CheckedStatusText(list.CheckedCount(), list.CheckedSize(), TStringTable()),
            "3 files with a total size of 0 kB" + suffix + " checked.");
}

TEST_F(ArchiveRulesTest, UncheckAllClearsEverything) {
  CheckAll(list, cmCheck);
  CheckAll(list, cmUncheck);
  EXPECT_EQ(Checked(list), "...|..");
  EXPECT_EQ(list.CheckedSize(), 0u);
}

TEST_F(ArchiveRulesTest, InvertAllTogglesAndArchiveEntriesStayUnchecked) {
  SetChecked(list, {0});
  CheckAll(list, cmInvert);
  EXPECT_EQ(Checked(list), "..x|.x");
  CheckAll(list, cmInvert);
  EXPECT_EQ(Checked(list), "x..|..");
}

TEST_F(ArchiveRulesTest, AnArchiveEntryThatCameCheckedIsUncheckedByCheckAll) {
  list.Item(1)->Flags |= reflag::kChecked;  // as a damaged list file could bring it
  list.Recount();
  CheckAll(list, cmCheck);
  EXPECT_EQ(Checked(list), "x.x|.x");
  EXPECT_EQ(list.CheckedCount(), 3);
}

TEST_F(ArchiveRulesTest, CheckSelectedWorksOnSelectedEntriesInEveryMode) {
  Select(list, {0, 1, 4});
  SetChecked(list, {2, 4});
  CheckSelected(list, cmCheck);
  EXPECT_EQ(Checked(list), "x.x|.x");
  CheckSelected(list, cmInvert);
  EXPECT_EQ(Checked(list), "..x|..");
  CheckSelected(list, cmInvert);
  CheckSelected(list, cmUncheck);
  EXPECT_EQ(Checked(list), "..x|..");
}

TEST_F(ArchiveRulesTest, ToggleRefusesArchiveEntries) {
  EXPECT_TRUE(ToggleEntry(list, 0));
  EXPECT_FALSE(ToggleEntry(list, 1));
  EXPECT_FALSE(ToggleEntry(list, 5));
  EXPECT_EQ(Checked(list), "x..|..");
  EXPECT_TRUE(ToggleEntry(list, 0));
  EXPECT_EQ(Checked(list), "...|..");
}

TEST_F(ArchiveRulesTest, FirstAndLastSkipArchiveEntries) {
  CheckFirstOfSets(list, true, false);
  EXPECT_EQ(Checked(list), "x..|..");
  CheckLastOfSets(list, true, false);
  EXPECT_EQ(Checked(list), "x.x|.x");
}

TEST_F(ArchiveRulesTest, SelectedRuleWithNothingSelectedSaysSoAndChangesNothing) {
  EXPECT_FALSE(RunCheckRule(list, TCheckRule::Selected, true, msgr));
  EXPECT_TRUE(msgr.Has(msgNoFilesSelected));
  EXPECT_EQ(Checked(list), "...|..");
  Select(list, {2});
  EXPECT_TRUE(RunCheckRule(list, TCheckRule::Selected, true, msgr));
  EXPECT_EQ(Checked(list), "..x|..");
}

TEST_F(ArchiveRulesTest, RulesRunInTheGivenDirection) {
  EXPECT_TRUE(RunCheckRule(list, TCheckRule::All, true, msgr));
  EXPECT_EQ(Checked(list), "x.x|.x");
  EXPECT_TRUE(RunCheckRule(list, TCheckRule::First, false, msgr));
  EXPECT_EQ(Checked(list), "..x|.x");
  EXPECT_TRUE(RunCheckRule(list, TCheckRule::Last, false, msgr));
  EXPECT_EQ(Checked(list), "...|..");
  EXPECT_TRUE(msgr.Messages().empty());
}

TEST(SelectedCount, CountsEntriesWithTheSelectedFlag) {
  TResultList list;
  AddSets(list, {{{"a"}, {"b"}, {"c"}}});
  EXPECT_EQ(SelectedCount(list), 0);
  Select(list, {0, 2});
  EXPECT_EQ(SelectedCount(list), 2);
}

// --- criteria ----------------------------------------------------------------------

class CriteriaTest : public ::testing::Test {
 protected:
  CriteriaTest() {
    AddSets(list, {{{"x.bak", 1000, false, "/d/old/", At(2004, 1, 1)},
                    {"x.txt", 2000, false, "/d/new/", At(2004, 1, 1, 0, 0, 1)},
                    {"Y.BAK", 3000, true, "/d/old/", At(2004, 1, 1)}},
                   {{"z.bak", 4000, false, "/e/old/", At(2003, 12, 31, 23, 59, 59)},
                    {"z.doc", 5000, false, "/e/[x]/", At(2004, 1, 1)}}});
  }
  void TearDown() override { ExpectCountsHold(list); }
  TResultList list;
};

TEST_F(CriteriaTest, FileNameMaskMatchesNamesWithoutRegardToCase) {
  TCheckCriteria c;
  c.criteria = cbc::kFilename;
  c.filenameMask.emplace("*.bak");
  CheckByCriteria(list, true, c);
  EXPECT_EQ(Checked(list), "x..|x.");  // Y.BAK lies in an archive
}

TEST_F(CriteriaTest, PathMaskMatchesThePath) {
  TCheckCriteria c;
  c.criteria = cbc::kPath;
  c.pathMask.emplace("*/old/");
  CheckByCriteria(list, true, c);
  EXPECT_EQ(Checked(list), "x..|x.");
}

TEST_F(CriteriaTest, DateRangeOfOneMomentMatchesOnlyEntriesOfThatMoment) {
  TCheckCriteria c;
  c.criteria = cbc::kDate;
  c.dateFrom = c.dateTo = At(2004, 1, 1);
  CheckByCriteria(list, true, c);
  EXPECT_EQ(Checked(list), "x..|.x");
}

TEST_F(CriteriaTest, SizeRangeIncludesBothEnds) {
  TCheckCriteria c;
  c.criteria = cbc::kSize;
  c.sizeFrom = 2000;
  c.sizeTo = 4000;
  CheckByCriteria(list, true, c);
  EXPECT_EQ(Checked(list), ".x.|x.");
}

TEST_F(CriteriaTest, AllGivenCriteriaMustHoldAndSelectedOnlyLimitsToTheSelection) {
  TCheckCriteria c;
  c.criteria = cbc::kFilename | cbc::kSize;
  c.filenameMask.emplace("*.bak");
  c.sizeFrom = 0;
  c.sizeTo = 1000;
  CheckByCriteria(list, true, c);
  EXPECT_EQ(Checked(list), "x..|..");
  c.criteria = cbc::kFilename;
  c.selectedOnly = true;
  Select(list, {3});
  CheckByCriteria(list, true, c);
  EXPECT_EQ(Checked(list), "x..|x.");
}

TEST_F(CriteriaTest, UncheckByCriteriaUnchecksOnlyMatches) {
  CheckAll(list, cmCheck);
  TCheckCriteria c;
  c.criteria = cbc::kPath;
  c.pathMask.emplace("/e/*");
  CheckByCriteria(list, false, c);
  EXPECT_EQ(Checked(list), "xx.|..");
}

TEST_F(CriteriaTest, NoCriteriaMatchesEveryEntry) {
  CheckByCriteria(list, true, TCheckCriteria{});
  EXPECT_EQ(Checked(list), "xx.|xx");
}

TEST_F(CriteriaTest, LiteralMaskMatchesExactlyThePathEvenWithWildcardCharacters) {
  EXPECT_EQ(LiteralMask("/e/[x]/"), "/e/[[]x]/");
  EXPECT_EQ(LiteralMask("/a*b?/"), "/a[*]b[?]/");
  TMask mask(LiteralMask("/e/[x]/"));
  EXPECT_TRUE(mask.Matches("/e/[x]/"));
  EXPECT_FALSE(mask.Matches("/e/x/"));
  EXPECT_FALSE(TMask(LiteralMask("/a*b/")).Matches("/aXb/"));
}

// --- sizes of scripts ----------------------------------------------------------------

TEST(ScriptSize, DigitsWithAnOptionalUnitLetterInPowersOf1024) {
  struct Case {
    const char* text;
    uint64_t bytes;
  } cases[] = {
      {"0", 0},          {"10", 10},       {"10b", 10},          {"10k", 10240},
      {"10 K", 10240},   {"3   m", 3u << 20}, {"2G", 2ull << 30}, {"5t", 5ull << 40},
      {"1P", 1ull << 50}, {"7e", 7ull << 60}, {"9223372036854775807", kMax},
      {"8191p", 8191ull << 50},
  };
  for (const Case& c : cases) {
    uint64_t bytes = 1;
    EXPECT_TRUE(ParseScriptSize(c.text, bytes)) << c.text;
    EXPECT_EQ(bytes, c.bytes) << c.text;
  }
}

TEST(ScriptSize, RefusesOtherTextsAndValuesFrom2To63Bytes) {
  for (const char* text : {"", "k", " ", "-5", "+5", "10x", "10 kb", "1 2", "1.5k", "8e",
                           "8192p", "9223372036854775808", "99999999999999999999999"}) {
    uint64_t bytes = 77;
    EXPECT_FALSE(ParseScriptSize(text, bytes)) << text;
    EXPECT_EQ(bytes, 77u) << text;
  }
}

// --- dates ---------------------------------------------------------------------------

TEST(DateInput, ReadsIsoDatesWithAndWithoutTheTime) {
  FileTime t = 0;
  EXPECT_EQ(ParseDateInput("2004-03-18", t), TDateParse::Ok);
  EXPECT_EQ(t, At(2004, 3, 18));
  EXPECT_EQ(ParseDateInput("2004-03-18 21:39:42", t), TDateParse::Ok);
  EXPECT_EQ(t, At(2004, 3, 18, 21, 39, 42));
  EXPECT_EQ(ParseDateInput("1601-01-01", t), TDateParse::Ok);
  EXPECT_EQ(t, 0u);
  EXPECT_EQ(ParseDateInput("30827-12-31 23:59:59", t), TDateParse::Ok);
  EXPECT_EQ(t, At(30827, 12, 31, 23, 59, 59));
}

TEST(DateInput, ReadsTheLocalFormat) {
  const FileTime when = At(2011, 7, 9, 8, 7, 6);
  FileTime t = 0;
  EXPECT_EQ(ParseDateInput(platform::DateTimeText(when, true), t), TDateParse::Ok);
  EXPECT_EQ(t, when);
}

TEST(DateInput, RefusesTextsThatAreNoDates) {
  for (const char* text : {"", "hello", "2004-13-01", "2004-02-30", "2004-03-18 25:00:00",
                           "2004-03-18x", "2004/03/18/19"}) {
    FileTime t = 0;
    EXPECT_EQ(ParseDateInput(text, t), TDateParse::Invalid) << text;
  }
}

TEST(DateInput, DatesOutsideTheFileTimeRangeAreOutOfRange) {
  for (const char* text : {"1600-12-31", "30828-01-01", "0-01-01"}) {
    FileTime t = 0;
    EXPECT_EQ(ParseDateInput(text, t), TDateParse::OutOfRange) << text;
  }
}

TEST(DateInput, ErrorsShowTheirMessagesWithTheLocalExample) {
  RecordingMessenger msgr;
  ShowDateError(TDateParse::Invalid, msgr);
  ShowDateError(TDateParse::OutOfRange, msgr);
  ShowDateError(TDateParse::Ok, msgr);
  const auto msgs = msgr.Messages();
  ASSERT_EQ(msgs.size(), 2u);
  EXPECT_EQ(msgs[0].id, msgInvalidDate);
  EXPECT_EQ(msgs[0].Str(0), platform::DateTimeText(At(2004, 3, 18, 21, 39, 42), true));
  EXPECT_EQ(msgs[1].id, msgInvalidFileDate);
}

// --- status line ----------------------------------------------------------------------

TEST(StatusText, NoCheckedFile) {
  EXPECT_EQ(CheckedStatusText(0, 0, TStringTable()),
            "No files checked. (Click their icons to check the files you want to remove.)");
}

TEST(StatusText, OneFileBetweenOneKiBAndOneMiBHasNoSuffix) {
  EXPECT_EQ(CheckedStatusText(1, 1048575, TStringTable()),
            "1 file with a size of 1,023 kB checked.");
  EXPECT_EQ(CheckedStatusText(1, 1024, TStringTable()), "1 file with a size of 1 kB checked.");
}

TEST(StatusText, SmallAndLargeTotalsCarryTheFormattersText) {
  if (!platform::HaveByteSizeFormatter()) GTEST_SKIP() << "no byte-size formatter";
  EXPECT_EQ(CheckedStatusText(2, 500, TStringTable()),
            "2 files with a total size of 0 kB (" + platform::ByteSizeText(500) + ") checked.");
  EXPECT_EQ(CheckedStatusText(1234, 1048576, TStringTable()),
            "1,234 files with a total size of 1,024 kB (" + platform::ByteSizeText(1048576) +
                ") checked.");
}

TEST(StatusText, FollowsTheStringTable) {
  TStringTable strings;
  strings.Set(strCheckedCount, "%.0n Dateien, %.0n kB%s");
  EXPECT_EQ(CheckedStatusText(3, 4096, strings), "3 Dateien, 4 kB");
}

// --- the dialog ------------------------------------------------------------------------

class DialogTest : public ::testing::Test {
 protected:
  DialogTest() : dlg(msgr, At(2020, 5, 6, 7, 8, 9)) {
    AddSets(list, {{{"a.bak", 5000, false, "/d/"}, {"b.bak", 20000, false, "/d/"}},
                   {{"c.txt", 5000, false, "/e/"}, {"d.bak", 5000, false, "/e/"}}});
  }
  RecordingMessenger msgr;
  TCheckByCriteriaModel dlg;
  TResultList list;
};

TEST_F(DialogTest, StartsWithItsDefaults) {
  EXPECT_TRUE(dlg.check);
  EXPECT_EQ(dlg.maskFilename, "*.bak");
#ifdef _WIN32
  EXPECT_EQ(dlg.maskPath, "D:\\*");
#else
  EXPECT_EQ(dlg.maskPath, "/*");
#endif
  EXPECT_EQ(dlg.size1.text, "4");
  EXPECT_EQ(dlg.size1.bytes, 4096u);
  EXPECT_EQ(dlg.size2.text, "10");
  EXPECT_EQ(dlg.size2.bytes, 10240u);
  EXPECT_EQ(dlg.size1.unit, 1);
  EXPECT_EQ(dlg.date2.time, At(2020, 5, 6, 7, 8, 9));
  EXPECT_EQ(dlg.date1.time, At(2020, 5, 5, 7, 8, 9));
  EXPECT_EQ(dlg.date2.text, platform::DateTimeText(At(2020, 5, 6, 7, 8, 9), true));
  EXPECT_FALSE(dlg.OkEnabled());
  dlg.cbDate = true;
  EXPECT_TRUE(dlg.OkEnabled());
}

TEST_F(DialogTest, MaskBoxesShowTheirFirstRecentlyUsedEntry) {
  TCheckByCriteriaModel d(msgr, 0, {"*.old", "*.tmp"}, {"/x/*"});
  EXPECT_EQ(d.maskFilename, "*.old");
  EXPECT_EQ(d.maskPath, "/x/*");
  EXPECT_EQ(d.mruFiles.size(), 2u);
}

TEST_F(DialogTest, PrepareTakesTheDirectionAndTheSelection) {
  dlg.Prepare(list, true);
  EXPECT_FALSE(dlg.check);
  EXPECT_FALSE(dlg.selectedOnlyEnabled);
  Select(list, {1});
  dlg.Prepare(list, false);
  EXPECT_TRUE(dlg.check);
  EXPECT_TRUE(dlg.selectedOnlyEnabled);
  EXPECT_FALSE(dlg.selectedOnly);
  Select(list, {2});
  dlg.Prepare(list, false);
  EXPECT_TRUE(dlg.selectedOnly);
}

TEST_F(DialogTest, AcceptBuildsTheCriteriaOfTheCheckedBoxes) {
  Select(list, {0, 1});
  dlg.Prepare(list, false);
  dlg.cbFilename = true;
  dlg.cbSize = true;
  TCheckCriteria c;
  ASSERT_TRUE(dlg.Accept(c));
  EXPECT_EQ(c.criteria, cbc::kFilename | cbc::kSize);
  EXPECT_TRUE(c.selectedOnly);
  EXPECT_EQ(c.sizeFrom, 4096u);
  EXPECT_EQ(c.sizeTo, 10240u);
  ASSERT_TRUE(c.filenameMask.has_value());
  EXPECT_FALSE(c.pathMask.has_value());
  CheckByCriteria(list, dlg.check, c);
  EXPECT_EQ(Checked(list), "x.|..");  // b.bak is too large, the second set is not selected
  ExpectCountsHold(list);
  EXPECT_TRUE(msgr.Messages().empty());
}

TEST_F(DialogTest, SelectedOnlyCountsOnlyWhileEnabled) {
  dlg.Prepare(list, false);
  dlg.selectedOnly = true;  // the box is disabled: nothing selected
  dlg.cbPath = true;
  TCheckCriteria c;
  ASSERT_TRUE(dlg.Accept(c));
  EXPECT_FALSE(c.selectedOnly);
  EXPECT_EQ(c.criteria, cbc::kPath);
}

TEST_F(DialogTest, OkWithoutCriteriaIsRefused) {
  TCheckCriteria c;
  EXPECT_FALSE(dlg.Accept(c));
}

TEST_F(DialogTest, MasksAreCheckedFirstInTheirOrder) {
  dlg.cbFilename = dlg.cbPath = dlg.cbSize = dlg.cbDate = true;
  dlg.maskFilename = "[abc";
  dlg.maskPath = "[]";
  dlg.size1.text = "x";
  dlg.date1.text = "nonsense";
  TCheckCriteria c;
  EXPECT_FALSE(dlg.Accept(c));
  ASSERT_EQ(msgr.Messages().size(), 1u);
  EXPECT_EQ(msgr.Messages()[0].id, msgInvalidMask);
  EXPECT_EQ(msgr.Messages()[0].Str(0), "[abc");
  EXPECT_EQ(dlg.focus, TCbcControl::EMaskFilename);

  dlg.maskFilename = "*.bak";
  EXPECT_FALSE(dlg.Accept(c));
  EXPECT_EQ(msgr.Messages().back().Str(0), "[]");
  EXPECT_EQ(dlg.focus, TCbcControl::EMaskPath);

  dlg.maskPath = "*";
  EXPECT_FALSE(dlg.Accept(c));
  EXPECT_EQ(msgr.Messages().back().id, msgInvalidNumber);
  EXPECT_EQ(dlg.focus, TCbcControl::ESize1);
  EXPECT_EQ(dlg.size1.selLength, 1);

  dlg.size1.text = "1";
  EXPECT_FALSE(dlg.Accept(c));
  EXPECT_EQ(msgr.Messages().back().id, msgInvalidDate);
  EXPECT_EQ(dlg.focus, TCbcControl::EDate1);
  EXPECT_EQ(dlg.date1.selLength, 8);

  dlg.date1.text = "2004-03-18";
  dlg.date2.text = "20000-01-01 00:00:00x";
  EXPECT_FALSE(dlg.Accept(c));
  EXPECT_EQ(dlg.focus, TCbcControl::EDate2);
  dlg.date2.text = "1500-01-01";
  EXPECT_FALSE(dlg.Accept(c));
  EXPECT_EQ(msgr.Messages().back().id, msgInvalidFileDate);

  dlg.date2.text = "2005-01-01";
  ASSERT_TRUE(dlg.Accept(c));
  EXPECT_EQ(c.dateFrom, At(2004, 3, 18));
  EXPECT_EQ(c.dateTo, At(2005, 1, 1));
  EXPECT_EQ(c.sizeFrom, 1024u);
}

TEST_F(DialogTest, ReversedSizesAreSwappedWithTheirUnitsWhenTheUserAgrees) {
  dlg.cbSize = true;
  dlg.size1.text = "20";
  dlg.size1.unit = 2;  // MB
  msgr.answers = {ansOK};
  TCheckCriteria c;
  ASSERT_TRUE(dlg.Accept(c));
  const auto asked = msgr.With(askSwapRangeValues);
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0].Str(0), "20 MB");
  EXPECT_EQ(asked[0].Str(1), "10 kB");
  EXPECT_EQ(c.sizeFrom, 10240u);
  EXPECT_EQ(c.sizeTo, 20ull << 20);
  EXPECT_EQ(dlg.size1.text, "10");
  EXPECT_EQ(dlg.size1.unit, 1);
  EXPECT_EQ(dlg.size2.text, "20");
  EXPECT_EQ(dlg.size2.unit, 2);
}

TEST_F(DialogTest, CancellingTheSwapKeepsTheDialogOpenAndTheValues) {
  dlg.cbSize = true;
  dlg.size1.text = "11";
  msgr.answers = {ansCancel};
  TCheckCriteria c;
  EXPECT_FALSE(dlg.Accept(c));
  EXPECT_EQ(dlg.size1.text, "11");
  EXPECT_EQ(dlg.size2.text, "10");
  EXPECT_EQ(c.criteria, 0);
}

TEST_F(DialogTest, ReversedDatesAreSwappedWhenTheUserAgrees) {
  dlg.cbDate = true;
  dlg.date1.text = "2004-03-18";
  dlg.date2.text = "2004-03-17 10:00:00";
  TCheckCriteria c;
  msgr.answers = {ansCancel};
  EXPECT_FALSE(dlg.Accept(c));
  EXPECT_EQ(dlg.focus, TCbcControl::EDate1);
  msgr.answers = {ansOK};
  ASSERT_TRUE(dlg.Accept(c));
  const auto asked = msgr.With(askSwapRangeValues);
  ASSERT_EQ(asked.size(), 2u);
  EXPECT_EQ(asked[1].Str(0), "2004-03-18");
  EXPECT_EQ(c.dateFrom, At(2004, 3, 17, 10));
  EXPECT_EQ(c.dateTo, At(2004, 3, 18));
  EXPECT_EQ(dlg.date1.text, "2004-03-17 10:00:00");
}

TEST_F(DialogTest, SizesOutOfRangeBecomeTheLimitOnOkAndFailOnCancel) {
  dlg.cbSize = true;
  dlg.size2.text = "99999999999999999";  // above the kB limit
  dlg.size2.unit = 1;
  msgr.answers = {ansCancel};
  TCheckCriteria c;
  EXPECT_FALSE(dlg.Accept(c));
  auto ranges = msgr.With(msgNumberOutOfRange);
  ASSERT_EQ(ranges.size(), 1u);
  EXPECT_EQ(ranges[0].Int(0), 99999999999999999);
  EXPECT_EQ(ranges[0].Int(1), static_cast<int64_t>(kMax >> 10));
  EXPECT_EQ(dlg.focus, TCbcControl::ESize2);

  msgr.answers = {ansOK};
  ASSERT_TRUE(dlg.Accept(c));
  EXPECT_EQ(dlg.size2.text, std::to_string(kMax >> 10));
  EXPECT_EQ(c.sizeTo, (kMax >> 10) << 10);

  dlg.size1.text = "-3";
  msgr.answers = {ansOK};
  ASSERT_TRUE(dlg.Accept(c));
  EXPECT_EQ(msgr.With(msgNumberOutOfRange).back().Int(1), 0);
  EXPECT_EQ(dlg.size1.text, "0");
  EXPECT_EQ(c.sizeFrom, 0u);
}

TEST_F(DialogTest, LeavingFieldsChecksThem) {
  dlg.size1.text = "abc";
  EXPECT_FALSE(dlg.SizeLeft(1));
  EXPECT_TRUE(msgr.Has(msgInvalidNumber));
  dlg.size1.text = " 12 ";
  EXPECT_TRUE(dlg.SizeLeft(1));
  EXPECT_EQ(dlg.size1.text, "12");
  EXPECT_EQ(dlg.size1.bytes, 12u << 10);
  dlg.date2.text = "2010-10-10";
  EXPECT_TRUE(dlg.DateLeft(2));
  EXPECT_EQ(dlg.date2.time, At(2010, 10, 10));
  dlg.date2.text = "x";
  EXPECT_FALSE(dlg.DateLeft(2));
  EXPECT_EQ(dlg.date2.time, At(2010, 10, 10));
}

TEST_F(DialogTest, AUnitChangeReadsTheNumberInTheNewUnit) {
  EXPECT_TRUE(dlg.SizeUnitChanged(1, 2));
  EXPECT_EQ(dlg.size1.bytes, 4ull << 20);
  EXPECT_TRUE(dlg.SizeUnitChanged(1, 0));
  EXPECT_EQ(dlg.size1.bytes, 4u);
}

TEST_F(DialogTest, KeysAndSpinButtonsStepTheNumber) {
  dlg.SizeKey(1, TSizeKey::Up);
  EXPECT_EQ(dlg.size1.text, "5");
  dlg.SizeKey(1, TSizeKey::PageUp);
  EXPECT_EQ(dlg.size1.text, "15");
  dlg.SizeKey(1, TSizeKey::Down);
  EXPECT_EQ(dlg.size1.text, "14");
  dlg.SizeSpin(1, true);
  EXPECT_EQ(dlg.size1.text, "4");
  dlg.SizeKey(1, TSizeKey::PageDown);
  EXPECT_EQ(dlg.size1.text, "0");
  EXPECT_EQ(dlg.size1.bytes, 0u);
  dlg.size1.text = "8";  // typed, then a key: the typed number counts
  dlg.SizeKey(1, TSizeKey::Up);
  EXPECT_EQ(dlg.size1.text, "9");
  dlg.SizeSpin(1, false);
  EXPECT_EQ(dlg.size1.text, "19");
  EXPECT_EQ(dlg.size1.bytes, 19u << 10);
  EXPECT_TRUE(msgr.Messages().empty());
}

TEST_F(DialogTest, StepsUpStopBelow2To63Bytes) {
  ASSERT_TRUE(dlg.SizeUnitChanged(2, 6));  // 10 EB is above the EB limit of 7
  dlg.size2.text = "7";
  dlg.SizeSpin(2, false);
  EXPECT_EQ(dlg.size2.bytes, kMax);
  EXPECT_EQ(dlg.size2.text, "7");
  dlg.SizeKey(2, TSizeKey::Down);
  EXPECT_EQ(dlg.size2.text, "6");
}

TEST_F(DialogTest, UsedMasksMoveToTheTopOfTheirLists) {
  TCheckByCriteriaModel d(msgr, 0, {"m0", "m1", "m2", "m3", "m4", "m5", "m6", "m7", "m8", "m9"},
                          {"/p/*"});
  d.cbFilename = true;
  d.maskFilename = "M5";
  TCheckCriteria c;
  ASSERT_TRUE(d.Accept(c));
  EXPECT_EQ(d.mruFiles,
            (std::vector<std::string>{"M5", "m0", "m1", "m2", "m3", "m4", "m6", "m7", "m8", "m9"}));
  d.maskFilename = "new";
  ASSERT_TRUE(d.Accept(c));
  ASSERT_EQ(d.mruFiles.size(), 10u);
  EXPECT_EQ(d.mruFiles.front(), "new");
  EXPECT_EQ(d.mruFiles.back(), "m8");
  EXPECT_EQ(d.mruPaths, (std::vector<std::string>{"/p/*"}));  // path box unused
}

// --- the script command ------------------------------------------------------------------

TEST(ScriptCriteria, BuildsTheGivenCriteria) {
  RecordingMessenger msgr;
  TScriptCriteriaParams p;
  p.selectedOnly = true;
  p.filenameMask = "*.tmp";
  p.pathMask = "/x/*";
  p.sizeLow = "1k";
  p.sizeHigh = "2 M";
  p.dateFrom = "2004-01-01";
  p.dateTo = "2004-01-01";
  TCheckCriteria c;
  ASSERT_TRUE(BuildScriptCriteria(p, c, msgr));
  EXPECT_EQ(c.criteria, cbc::kFilename | cbc::kPath | cbc::kSize | cbc::kDate);
  EXPECT_TRUE(c.selectedOnly);
  EXPECT_TRUE(c.filenameMask->Matches("A.TMP"));
  EXPECT_TRUE(c.pathMask->Matches("/x/y/"));
  EXPECT_EQ(c.sizeFrom, 1024u);
  EXPECT_EQ(c.sizeTo, 2u << 20);
  EXPECT_EQ(c.dateFrom, At(2004, 1, 1));
  EXPECT_EQ(c.dateTo, At(2004, 1, 1));
  EXPECT_TRUE(msgr.Messages().empty());
}

TEST(ScriptCriteria, ReversedRangesAreSwappedAndOnlyLogged) {
  RecordingMessenger msgr;
  TScriptCriteriaParams p;
  p.sizeLow = "3k";
  p.sizeHigh = "2000";
  p.dateFrom = "2005-01-01";
  p.dateTo = "2004-01-01 12:00:00";
  TCheckCriteria c;
  ASSERT_TRUE(BuildScriptCriteria(p, c, msgr));
  EXPECT_EQ(c.sizeFrom, 2000u);
  EXPECT_EQ(c.sizeTo, 3072u);
  EXPECT_EQ(c.dateFrom, At(2004, 1, 1, 12));
  EXPECT_EQ(c.dateTo, At(2005, 1, 1));
  const auto msgs = msgr.Messages();
  ASSERT_EQ(msgs.size(), 2u);
  for (const RecordedMsg& m : msgs) {
    EXPECT_EQ(m.kind, RecordedMsg::Log);
    EXPECT_EQ(m.id, askSwapRangeValues);
  }
  EXPECT_EQ(msgs[0].Str(0), "3k");
  EXPECT_EQ(msgs[1].Str(1), "2004-01-01 12:00:00");
}

TEST(ScriptCriteria, InvalidPartsFailWithTheirMessages) {
  RecordingMessenger msgr;
  TCheckCriteria c;
  TScriptCriteriaParams p;
  p.pathMask = "[";
  EXPECT_FALSE(BuildScriptCriteria(p, c, msgr));
  EXPECT_EQ(msgr.Messages().back().id, msgInvalidMask);

  p = {};
  p.sizeLow = "8e";
  p.sizeHigh = "1";
  EXPECT_FALSE(BuildScriptCriteria(p, c, msgr));
  EXPECT_EQ(msgr.Messages().back().id, msgInvalidNumber);
  p.sizeLow.reset();
  EXPECT_FALSE(BuildScriptCriteria(p, c, msgr));

  p = {};
  p.dateFrom = "2004-01-01";
  p.dateTo = "someday";
  EXPECT_FALSE(BuildScriptCriteria(p, c, msgr));
  EXPECT_EQ(msgr.Messages().back().id, msgInvalidDate);
  p.dateTo = "99999-01-01";
  EXPECT_FALSE(BuildScriptCriteria(p, c, msgr));
  EXPECT_EQ(msgr.Messages().back().id, msgInvalidFileDate);
}

TEST(ScriptCriteria, CriteriaRunOnTheListWithBothEndsInclusive) {
  TResultList list;
  AddSets(list, {{{"a", 1, false, "/d/", At(2004, 1, 1)},
                  {"b", 1, false, "/d/", At(2004, 1, 1) + 1},
                  {"c", 1, false, "/d/", At(2003, 12, 31, 23, 59, 59)}}});
  RecordingMessenger msgr;
  TScriptCriteriaParams p;
  p.dateFrom = "2004-01-01";
  p.dateTo = "2004-01-01 00:00:00";
  TCheckCriteria c;
  ASSERT_TRUE(BuildScriptCriteria(p, c, msgr));
  CheckByCriteria(list, true, c);
  EXPECT_EQ(Checked(list), "x..");
  ExpectCountsHold(list);
}

// --- keys --------------------------------------------------------------------------------

TResultKey Key(TResultKeyCode code, bool ctrlShift = false) {
  TResultKey k;
  k.code = code;
  k.ctrl = k.shift = ctrlShift;
  return k;
}
TResultKey CtrlShiftLetter(char c) {
  TResultKey k = Key(TResultKeyCode::Letter, true);
  k.letter = c;
  return k;
}
TResultKey CtrlShiftDigit(int d) {
  TResultKey k = Key(TResultKeyCode::Digit, true);
  k.digit = d;
  return k;
}

// Sets of 3 (the second one in an archive), 1, and 10 entries.
class KeysTest : public ::testing::Test {
 protected:
  KeysTest() {
    AddSets(list, {{{"a1", 1, false, "/a/"}, {"a2", 2, true, "/z[1]/"}, {"a3", 4, false, "/b/"}},
                   {{"b1", 8, false, "/a/"}},
                   {{"c0"}, {"c1"}, {"c2"}, {"c3"}, {"c4"}, {"c5"}, {"c6"}, {"c7"}, {"c8"},
                    {"c9"}}});
  }
  void TearDown() override { ExpectCountsHold(list); }
  TKeyResult Press(const TResultKey& key) { return HandleResultKey(list, view, key, msgr); }

  TResultList list;
  TResultViewModel view;
  RecordingMessenger msgr;
};

TEST_F(KeysTest, InsertTogglesTheFocusedEntry) {
  view.focused = 2;
  TKeyResult r = Press(Key(TResultKeyCode::Insert));
  EXPECT_TRUE(r.handled);
  EXPECT_TRUE(r.checksChanged);
  EXPECT_EQ(Checked(list), "..x|.|..........");
  Press(Key(TResultKeyCode::Insert));
  EXPECT_EQ(Checked(list), "...|.|..........");
}

TEST_F(KeysTest, KeyingAnArchiveEntryAsksForTheHintAndChangesNothing) {
  view.focused = 1;
  TKeyResult r = Press(Key(TResultKeyCode::Space));
  EXPECT_EQ(r.hintRow, 1);
  EXPECT_FALSE(r.checksChanged);
  r = Press(Key(TResultKeyCode::Insert));
  EXPECT_EQ(r.hintRow, 1);
  view.focused = 0;
  r = Press(Key(TResultKeyCode::Numpad2));
  EXPECT_EQ(r.hintRow, 1);
  EXPECT_EQ(Checked(list), "...|.|..........");
}

TEST_F(KeysTest, SpaceWithSeveralSelectedSetsThemToTheOppositeOfTheFocusedEntry) {
  Select(list, {0, 3, 4});
  SetChecked(list, {4});
  view.focused = 0;  // unchecked: all selected become checked
  Press(Key(TResultKeyCode::Space));
  EXPECT_EQ(Checked(list), "x..|x|x.........");
  view.focused = 3;  // checked: all selected become unchecked
  Press(Key(TResultKeyCode::Space));
  EXPECT_EQ(Checked(list), "...|.|..........");
}

TEST_F(KeysTest, NumpadDigitsToggleTheNthEntryOfTheFocusedSet) {
  view.focused = 9;
  Press(Key(TResultKeyCode::Numpad1));
  Press(Key(TResultKeyCode::Numpad9));
  EXPECT_EQ(Checked(list), "...|.|x.......x.");
  Press(Key(TResultKeyCode::Numpad1));
  EXPECT_EQ(Checked(list), "...|.|........x.");
}

TEST_F(KeysTest, CtrlShiftDigitsToggleTheFirstToTenthEntry) {
  view.focused = 4;
  Press(CtrlShiftDigit(0));
  Press(CtrlShiftDigit(2));
  Press(Key(TResultKeyCode::Numpad3, true));
  EXPECT_EQ(Checked(list), "...|.|.xx......x");
}

TEST_F(KeysTest, CtrlShift5OnASetOfThreeDoesNothing) {
  view.focused = 0;
  const TKeyResult r = Press(CtrlShiftDigit(5));
  EXPECT_TRUE(r.handled);
  EXPECT_FALSE(r.checksChanged);
  EXPECT_EQ(Checked(list), "...|.|..........");
}

TEST_F(KeysTest, PlainDigitsAndLettersGoToTheList) {
  view.focused = 0;
  TResultKey digit = Key(TResultKeyCode::Digit);
  digit.digit = 1;
  EXPECT_FALSE(Press(digit).handled);
  TResultKey letter = Key(TResultKeyCode::Letter);
  letter.letter = 'a';
  EXPECT_FALSE(Press(letter).handled);
  EXPECT_FALSE(Press(CtrlShiftLetter('Q')).handled);
  EXPECT_EQ(Checked(list), "...|.|..........");
}

TEST_F(KeysTest, NumpadStarAndSlashCheckAndUncheckTheWholeSet) {
  view.focused = 2;
  Press(Key(TResultKeyCode::NumpadMul));
  EXPECT_EQ(Checked(list), "x.x|.|..........");
  Press(Key(TResultKeyCode::NumpadDiv));
  EXPECT_EQ(Checked(list), "...|.|..........");
}

TEST_F(KeysTest, CtrlShiftAandDCheckAndUncheckAll) {
  Press(CtrlShiftLetter('a'));
  EXPECT_EQ(Checked(list), "x.x|x|xxxxxxxxxx");
  EXPECT_EQ(list.CheckedCount(), 13);
  Press(CtrlShiftLetter('D'));
  EXPECT_EQ(list.CheckedCount(), 0);
}

TEST_F(KeysTest, InvertWithAtMostOneSelectedInvertsTheWholeList) {
  SetChecked(list, {0});
  Select(list, {3});
  Press(CtrlShiftLetter('I'));
  EXPECT_EQ(Checked(list), "..x|x|xxxxxxxxxx");
}

TEST_F(KeysTest, InvertWithSeveralSelectedInvertsOnlyThem) {
  SetChecked(list, {0});
  Select(list, {0, 1, 3});
  Press(CtrlShiftLetter('I'));
  EXPECT_EQ(Checked(list), "...|x|..........");
}

TEST_F(KeysTest, FirstAndLastFollowTheTabAndTheSelection) {
  Press(CtrlShiftLetter('F'));
  EXPECT_EQ(Checked(list), "x..|.|xxxxxxxxx.");
  view.uncheckTab = true;
  Select(list, {5, 6});
  Press(CtrlShiftLetter('F'));  // two selected: only they
  EXPECT_EQ(Checked(list), "x..|.|x..xxxxxx.");
  view.uncheckTab = false;
  Press(CtrlShiftLetter('L'));
  EXPECT_EQ(Checked(list), "x..|.|xxxxxxxxx.");
}

TEST_F(KeysTest, CtrlShiftGTakesTheFocusedSetByTab) {
  view.focused = 3;
  Press(CtrlShiftLetter('G'));
  EXPECT_EQ(Checked(list), "...|x|..........");
  view.uncheckTab = true;
  Press(CtrlShiftLetter('G'));
  EXPECT_EQ(Checked(list), "...|.|..........");
}

TEST_F(KeysTest, CtrlShiftPChecksEntriesInTheFocusedEntrysFolder) {
  view.focused = 0;  // "/a/"
  Press(CtrlShiftLetter('P'));
  EXPECT_EQ(Checked(list), "x..|x|..........");
  view.focused = 1;  // "/z[1]/", an archive entry: matched, but never checked
  const TKeyResult r = Press(CtrlShiftLetter('P'));
  EXPECT_TRUE(r.checksChanged);
  EXPECT_EQ(Checked(list), "x..|x|..........");
}

TEST_F(KeysTest, CtrlShiftSChecksTheSelectionOrSaysNothingIsSelected) {
  TKeyResult r = Press(CtrlShiftLetter('S'));
  EXPECT_TRUE(r.handled);
  EXPECT_FALSE(r.checksChanged);
  EXPECT_TRUE(msgr.Has(msgNoFilesSelected));
  Select(list, {2});
  r = Press(CtrlShiftLetter('S'));
  EXPECT_TRUE(r.checksChanged);
  EXPECT_EQ(Checked(list), "..x|.|..........");
}

// Records whether the list was locked while a message box was up.
struct LockWatchingMessenger : RecordingMessenger {
  explicit LockWatchingMessenger(const TResultList& l) : list(l) {}
  int ShowMsg(TMsgID id, const TFmtArgs& args = {}) override {
    lockedDuringBox = lockedDuringBox || list.LockHeldByCaller();
    return RecordingMessenger::ShowMsg(id, args);
  }
  const TResultList& list;
  bool lockedDuringBox = false;
};

TEST_F(KeysTest, NoFilesSelectedIsShownWithoutHoldingTheListsLock) {
  LockWatchingMessenger watcher(list);
  HandleResultKey(list, view, CtrlShiftLetter('S'), watcher);
  EXPECT_TRUE(watcher.Has(msgNoFilesSelected));
  EXPECT_FALSE(watcher.lockedDuringBox);
  EXPECT_FALSE(list.LockHeldByCaller());
}

TEST_F(KeysTest, CtrlShiftCSwitchesTheTabAndBOpensTheDialog) {
  TKeyResult r = Press(CtrlShiftLetter('C'));
  EXPECT_TRUE(r.tabSwitched);
  EXPECT_TRUE(view.uncheckTab);
  Press(CtrlShiftLetter('c'));
  EXPECT_FALSE(view.uncheckTab);
  r = Press(CtrlShiftLetter('B'));
  EXPECT_TRUE(r.openCriteriaDialog);
  EXPECT_FALSE(r.checksChanged);
}

TEST_F(KeysTest, RightAndLeftMoveBetweenTheFirstEntriesOfSets) {
  view.focused = 1;
  TKeyResult r = Press(Key(TResultKeyCode::Right));
  EXPECT_TRUE(r.focusMoved);
  EXPECT_EQ(view.focused, 3);
  Press(Key(TResultKeyCode::Numpad0));
  EXPECT_EQ(view.focused, 4);
  r = Press(Key(TResultKeyCode::Down, true));  // the last set: stays
  EXPECT_TRUE(r.handled);
  EXPECT_FALSE(r.focusMoved);
  EXPECT_EQ(view.focused, 4);
  view.focused = 8;
  Press(Key(TResultKeyCode::Left));  // not on the first entry: to its set's first
  EXPECT_EQ(view.focused, 4);
  Press(Key(TResultKeyCode::NumpadDecimal));
  EXPECT_EQ(view.focused, 3);
  Press(Key(TResultKeyCode::Up, true));
  EXPECT_EQ(view.focused, 0);
  Press(Key(TResultKeyCode::Left));
  EXPECT_EQ(view.focused, 0);
}

TEST_F(KeysTest, TheSelectionFollowsTheFocus) {
  Select(list, {0, 1, 2});
  view.focused = 0;
  Press(Key(TResultKeyCode::Right));
  EXPECT_EQ(SelectedCount(list), 1);
  EXPECT_TRUE(list.Item(3)->Flags & reflag::kSelected);
}

TEST_F(KeysTest, ScrollLockKeepsTheFocusedRowInItsPlace) {
  view.focused = 0;
  view.topRow = 0;
  TResultKey right = Key(TResultKeyCode::Right);
  right.scrollLock = true;
  Press(right);
  EXPECT_EQ(view.focused, 3);
  EXPECT_EQ(view.topRow, 3);
  TResultKey down = Key(TResultKeyCode::Down);
  EXPECT_FALSE(Press(down).handled);  // without Scroll Lock the list moves itself
  down.scrollLock = true;
  EXPECT_TRUE(Press(down).handled);
  EXPECT_EQ(view.focused, 4);
  EXPECT_EQ(view.topRow, 4);
  TResultKey up = Key(TResultKeyCode::Up);
  up.scrollLock = true;
  Press(up);
  Press(up);
  EXPECT_EQ(view.focused, 2);
  EXPECT_EQ(view.topRow, 2);
}

TEST_F(KeysTest, KeysWithoutAFocusedEntryDoNothingToChecks) {
  view.focused = -1;
  for (TResultKeyCode code : {TResultKeyCode::Insert, TResultKeyCode::Space,
                              TResultKeyCode::Numpad1, TResultKeyCode::NumpadMul}) {
    EXPECT_FALSE(Press(Key(code)).checksChanged);
  }
  EXPECT_FALSE(Press(CtrlShiftLetter('G')).checksChanged);
  EXPECT_EQ(Checked(list), "...|.|..........");
  Press(Key(TResultKeyCode::Right));
  EXPECT_EQ(view.focused, 0);
}

}  // namespace
