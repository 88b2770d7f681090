// The check rules as tables: the list's check marks before, the rule, the
// marks after (in Checked's form, "|" between sets). Every row also proves
// the kept count and size right and no archive entry checked.
#include "app/results/check_rules.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "app/support/result_sets.h"
#include "support/files.h"
#include "support/recording_messenger.h"

// Designated initializers leave the other members at their defaults.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

using namespace zw;
using namespace zwtest;

namespace {

using Sets = std::vector<std::vector<F>>;
using L = TResultList&;

struct RuleCase {
  const char* before;  // check marks before
  std::vector<int> selected;
  std::function<void(L)> rule;
  const char* after;
};

void RunRules(const Sets& sets, const std::vector<RuleCase>& cases) {
  for (size_t i = 0; i < cases.size(); ++i) {
    const RuleCase& c = cases[i];
    SCOPED_TRACE("row " + std::to_string(i) + ", after " + c.after);
    TResultList list;
    AddSets(list, sets);
    SetChecked(list, c.before);
    Select(list, c.selected);
    c.rule(list);
    EXPECT_EQ(Checked(list), c.after);
    EXPECT_TRUE(CountsHold(list));
  }
}

// a1 a2 a3 | b1 | c1 c2
const Sets kSets = {{{"a1", 1}, {"a2", 2}, {"a3", 4}}, {{"b1", 8}}, {{"c1", 16}, {"c2", 32}}};
// a1 z1 a2 | b1 b2: z1 inside a ZIP archive, b1 inside a catalog.
const Sets kArchiveSets = {{{"a1", 10}, {"z1", 20, "/z.zip>/", kZipped}, {"a2", 40}},
                           {{"b1", 80, "/c.zwc>/", kCataloged}, {"b2", 160}}};

TEST(CheckRules, FirstLastWholeSetAndNthFollowTheSets) {
  RunRules(kSets, {
      // first / last of sets: all but the last / first of each set; single sets stay
      {"", {}, [](L l) { CheckFirstOfSets(l, true, false); }, "xx.|.|x."},
      {"", {}, [](L l) { CheckLastOfSets(l, true, false); }, ".xx|.|.x"},
      {"xxx|x|xx", {}, [](L l) { CheckFirstOfSets(l, false, false); }, "..x|x|.x"},
      {"xxx|x|xx", {}, [](L l) { CheckLastOfSets(l, false, false); }, "x..|x|x."},
      {"", {0, 2, 5}, [](L l) { CheckFirstOfSets(l, true, true); }, "x..|.|.."},
      {"x..|.|..", {0, 2, 5}, [](L l) { CheckLastOfSets(l, true, true); }, "x.x|.|.x"},
      // sets follow the shading flag, not the set numbers
      {"", {}, [](L l) {
         for (TResultEntry* e : l.MutableItems()) e->Flags |= reflag::kShaded;
         CheckFirstOfSets(l, true, false);
       }, "xxxxx."},
      // the whole set of an entry; nothing out of range
      {"", {}, [](L l) { CheckWholeSet(l, true, 1); }, "xxx|.|.."},
      {"xxx|.|..", {}, [](L l) { CheckWholeSet(l, true, 5); }, "xxx|.|xx"},
      {"xxx|.|xx", {}, [](L l) { CheckWholeSet(l, false, 2); }, "...|.|xx"},
      {"...|.|xx", {}, [](L l) { CheckWholeSet(l, true, 6); CheckWholeSet(l, true, -1); },
       "...|.|xx"},
      // the n-th of a set counts from the set's first entry
      {"", {}, [](L l) { EXPECT_EQ(CheckNthOfSet(l, cmInvert, 2, 0), 0); }, "x..|.|.."},
      {"", {}, [](L l) { EXPECT_EQ(CheckNthOfSet(l, cmCheck, 0, 2), 2); }, "..x|.|.."},
      {"x.x|.|..", {}, [](L l) { EXPECT_EQ(CheckNthOfSet(l, cmInvert, 1, 0), 0); }, "..x|.|.."},
      {"..x|.|..", {}, [](L l) { EXPECT_EQ(CheckNthOfSet(l, cmCheck, 4, 1), 5); }, "..x|.|.x"},
      {"..x|.|.x", {}, [](L l) { EXPECT_EQ(CheckNthOfSet(l, cmUncheck, 5, 1), 5); }, "..x|.|.."},
      // beyond the set (the next set's b1, past the list's end): nothing
      {"", {}, [](L l) {
         for (auto [index, n] : {std::pair{0, 3}, {3, 1}, {5, 2}, {9, 0}})
           EXPECT_EQ(CheckNthOfSet(l, cmCheck, index, n), -1) << index << " " << n;
       }, "...|.|.."},
  });
}

TEST(CheckRules, ArchiveEntriesAreNeverChecked) {
  RunRules(kArchiveSets, {
      {"", {}, [](L l) { CheckAll(l, cmCheck); }, "x.x|.x"},
      {"x.x|.x", {}, [](L l) { CheckAll(l, cmUncheck); }, "...|.."},
      {"x..|..", {}, [](L l) { CheckAll(l, cmInvert); }, "..x|.x"},
      {"..x|.x", {}, [](L l) { CheckAll(l, cmInvert); }, "x..|.."},
      {"", {}, [](L l) {  // as a damaged list file could bring it
         l.Item(1)->Flags |= reflag::kChecked;
         l.Recount();
         CheckAll(l, cmCheck);
       }, "x.x|.x"},
      {"..x|.x", {0, 1, 4}, [](L l) { CheckSelected(l, cmCheck); }, "x.x|.x"},
      {"x.x|.x", {0, 1, 4}, [](L l) { CheckSelected(l, cmInvert); }, "..x|.."},
      {"x.x|.x", {0, 1, 4}, [](L l) { CheckSelected(l, cmUncheck); }, "..x|.."},
      {"", {}, [](L l) {
         EXPECT_TRUE(ToggleEntry(l, 0));
         EXPECT_FALSE(ToggleEntry(l, 1));
         EXPECT_FALSE(ToggleEntry(l, 3));
         EXPECT_FALSE(ToggleEntry(l, 5));
       }, "x..|.."},
      {"x..|..", {}, [](L l) { EXPECT_TRUE(ToggleEntry(l, 0)); }, "...|.."},
      {"", {}, [](L l) { CheckFirstOfSets(l, true, false); }, "x..|.."},
      {"x..|..", {}, [](L l) { CheckLastOfSets(l, true, false); }, "x.x|.x"},
  });
}

// RunCheckRule, the toolbar's way: true, or false and msgNoFilesSelected.
bool Rule(L l, TCheckRule rule, bool check) {
  RecordingMessenger msgr;
  const bool done = RunCheckRule(l, rule, check, msgr);
  EXPECT_EQ(msgr.Messages().size(), done ? 0u : 1u);
  EXPECT_EQ(msgr.Has(msgNoFilesSelected), !done);
  return done;
}

TEST(CheckRules, RunCheckRuleTakesTheDirectionAndWantsASelectionForSelected) {
  RunRules(kArchiveSets, {
      {"", {}, [](L l) { EXPECT_TRUE(Rule(l, TCheckRule::All, true)); }, "x.x|.x"},
      {"x.x|.x", {}, [](L l) { EXPECT_TRUE(Rule(l, TCheckRule::First, false)); }, "..x|.x"},
      {"..x|.x", {}, [](L l) { EXPECT_TRUE(Rule(l, TCheckRule::Last, false)); }, "...|.."},
      {"", {}, [](L l) { EXPECT_FALSE(Rule(l, TCheckRule::Selected, true)); }, "...|.."},
      {"", {2}, [](L l) { EXPECT_TRUE(Rule(l, TCheckRule::Selected, true)); }, "..x|.."},
  });
}

// Checks (or unchecks) by the criteria.
std::function<void(L)> By(bool check, const TCheckCriteria& c) {
  return [check, c](L l) { CheckByCriteria(l, check, c); };
}

TEST(CheckRules, CriteriaMustAllHold) {
  const Sets sets = {{{"x.bak", 1000, "/d/old/", 0, At(2004, 1, 1)},
                      {"x.txt", 2000, "/d/new/", 0, At(2004, 1, 1, 0, 0, 1)},
                      {"Y.BAK", 3000, "/d/old/", kCataloged, At(2004, 1, 1)}},
                     {{"z.bak", 4000, "/e/old/", 0, At(2003, 12, 31, 23, 59, 59)},
                      {"z.doc", 5000, "/e/[x]/", 0, At(2004, 1, 1)}}};
  const auto day = At(2004, 1, 1);
  RunRules(sets, {
      // the name mask ignores case (Y.BAK lies in a catalog)
      {"", {}, By(true, {.criteria = cbc::kFilename, .filenameMask = TMask("*.bak")}), "x..|x."},
      {"", {}, By(true, {.criteria = cbc::kPath, .pathMask = TMask("*/old/")}), "x..|x."},
      {"", {}, By(true, {.criteria = cbc::kDate, .dateFrom = day, .dateTo = day}), "x..|.x"},
      {"", {}, By(true, {.criteria = cbc::kSize, .sizeFrom = 2000, .sizeTo = 4000}), ".x.|x."},
      {"", {}, By(true, {.criteria = cbc::kFilename | cbc::kSize, .filenameMask = TMask("*.bak"),
                         .sizeFrom = 0, .sizeTo = 1000}), "x..|.."},
      {"x..|..", {3}, By(true, {.criteria = cbc::kFilename, .selectedOnly = true,
                                .filenameMask = TMask("*.bak")}), "x..|x."},
      {"xx.|xx", {}, By(false, {.criteria = cbc::kPath, .pathMask = TMask("/e/*")}), "xx.|.."},
      {"", {}, By(true, {}), "xx.|xx"},  // no criteria: every entry
      {"", {}, By(true, {.criteria = cbc::kFilename}), "...|.."},  // a missing mask: none
  });
}

TEST(CheckRules, SetsAndSelectionAreCounted) {
  TResultList list;
  AddSets(list, kSets);
  EXPECT_EQ(SelectedCount(list), 0);
  Select(list, {0, 2});
  EXPECT_EQ(SelectedCount(list), 2);
  const int start[] = {0, 0, 0, 3, 4, 4}, next[] = {3, 3, 3, 4, -1, -1};
  for (int32_t i = 0; i < 6; ++i) {
    EXPECT_EQ(SetStartOf(list, i), start[i]) << i;
    EXPECT_EQ(NextSetStart(list, i), next[i]) << i;
  }
  EXPECT_EQ(SetStartOf(list, 6), -1);
  EXPECT_EQ(NextSetStart(list, 6), -1);
  EXPECT_EQ(NthOfSetIndex(list, 5, 1), 5);
  EXPECT_EQ(NthOfSetIndex(list, 2, 2), 2);
  EXPECT_EQ(NthOfSetIndex(list, 2, 3), -1);
  EXPECT_EQ(NthOfSetIndex(list, 0, -1), -1);
}

}  // namespace
