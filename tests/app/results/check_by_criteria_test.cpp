// Checking by criteria: the dialog as a model (defaults, what OK builds or
// refuses as one table, the size fields' keys and units, the recently used
// masks) and the criteria of the script command as another table.
#include "app/results/check_by_criteria.h"

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <variant>
#include <vector>

#include "app/support/result_sets.h"
#include "platform/locale.h"
#include "support/files.h"
#include "support/recording_messenger.h"

// Designated initializers leave the other members at their defaults.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

using namespace zw;
using namespace zwtest;

namespace {

constexpr uint64_t kMax = 0x7FFFFFFFFFFFFFFFull;
const std::string kLimitKB = std::to_string(kMax >> 10);  // of a size in kB
const std::string kLimitBytes = std::to_string(kMax >> 10 << 10);

// The criteria as text: "name=mask path=mask date size=from..to sel".
std::string Describe(const TCheckCriteria& c) {
  std::string out;
  if (c.criteria & cbc::kFilename) out += " name=" + c.filenameMask->Text();
  if (c.criteria & cbc::kPath) out += " path=" + c.pathMask->Text();
  if (c.criteria & cbc::kDate) out += " date";
  if (c.criteria & cbc::kSize)
    out += " size=" + std::to_string(c.sizeFrom) + ".." + std::to_string(c.sizeTo);
  if (c.selectedOnly) out += " sel";
  return out.empty() ? out : out.substr(1);
}

// The messages as text: "name(arguments)", "log:" in front of a logged one.
std::string Said(const RecordingMessenger& msgr) {
  static const std::map<TMsgID, const char*> names = {
      {msgInvalidMask, "mask"}, {msgInvalidNumber, "number"}, {msgNumberOutOfRange, "range"},
      {msgInvalidDate, "date"}, {msgInvalidFileDate, "filedate"}, {askSwapRangeValues, "swap"}};
  std::string out;
  for (const RecordedMsg& m : msgr.Messages()) {
    out += (out.empty() ? "" : " ") + std::string(m.kind == RecordedMsg::Log ? "log:" : "") +
           names.at(m.id);
    std::string args;  // (the example of an invalid date: check_input_test)
    for (size_t i = 0; i < m.args.size() && m.id != msgInvalidDate; ++i)
      args += (i ? "," : "") +
              (std::holds_alternative<int64_t>(m.args[i]) ? std::to_string(m.Int(i)) : m.Str(i));
    out += args.empty() ? "" : "(" + args + ")";
  }
  return out;
}

// Both size fields as "text unit bytes".
std::string Sizes(const TCheckByCriteriaModel& d) {
  std::string out;
  for (const TSizeEditModel* e : {&d.size1, &d.size2})
    out += (out.empty() ? "" : ", ") + e->text + " " + std::to_string(e->unit) + " " +
           std::to_string(e->bytes);
  return out;
}

class CheckByCriteriaDialog : public ::testing::Test {
 protected:
  CheckByCriteriaDialog() : dlg(msgr, At(2020, 5, 6, 7, 8, 9)) {}
  RecordingMessenger msgr;
  TCheckByCriteriaModel dlg;
  TCheckCriteria c;
};

TEST_F(CheckByCriteriaDialog, StartsWithItsDefaultsOrTheFirstRecentlyUsedMasks) {
  EXPECT_TRUE(dlg.check);
#ifdef _WIN32
  EXPECT_EQ(dlg.maskFilename + " " + dlg.maskPath, "*.bak D:\\*");
#else
  EXPECT_EQ(dlg.maskFilename + " " + dlg.maskPath, "*.bak /*");
#endif
  EXPECT_EQ(Sizes(dlg), "4 1 4096, 10 1 10240");
  EXPECT_EQ(dlg.date2.time, At(2020, 5, 6, 7, 8, 9));
  EXPECT_EQ(dlg.date1.time, At(2020, 5, 5, 7, 8, 9));  // a day earlier
  EXPECT_EQ(dlg.date2.text, platform::DateTimeText(At(2020, 5, 6, 7, 8, 9), true));
  EXPECT_FALSE(dlg.OkEnabled());
  dlg.cbDate = true;
  EXPECT_TRUE(dlg.OkEnabled());

  TCheckByCriteriaModel d(msgr, 0, {"*.old", "*.tmp"}, {"/x/*"});
  EXPECT_EQ(d.maskFilename + " " + d.maskPath, "*.old /x/*");
  EXPECT_EQ(d.mruFiles.size(), 2u);
}

TEST_F(CheckByCriteriaDialog, TheSelectionBoxIsEnabledByOneSelectedEntryAndCheckedByTwo) {
  TResultList list;
  AddSets(list, {{{"a"}, {"b"}, {"c"}}});
  dlg.Prepare(list, true);
  EXPECT_FALSE(dlg.check || dlg.selectedOnlyEnabled || dlg.selectedOnly);
  Select(list, {1});
  dlg.Prepare(list, false);
  EXPECT_TRUE(dlg.check && dlg.selectedOnlyEnabled);
  EXPECT_FALSE(dlg.selectedOnly);
  Select(list, {2});
  dlg.Prepare(list, false);
  EXPECT_TRUE(dlg.selectedOnly);
}

// All four boxes checked, the fields invalid but for the first `mended` of
// the faults in the order OK finds them: the name mask, the path mask, the
// lower size, the first date, the second date's form and its range.
void Typed(TCheckByCriteriaModel& d, int mended) {
  d.cbFilename = d.cbPath = d.cbSize = d.cbDate = true;
  d.maskFilename = mended > 0 ? "*" : "[abc";
  d.maskPath = mended > 1 ? "*" : "[]";
  d.size1.text = mended > 2 ? "1" : "x";
  d.date1.text = mended > 3 ? "2004-03-18" : "nonsense";
  d.date2.text = mended > 5 ? "2005-01-01" : mended > 4 ? "1500-01-01" : "20000-01-01 00:00:00x";
}

void ReversedDates(TCheckByCriteriaModel& d) {
  d.cbDate = true;
  d.date1.text = "2004-03-18";
  d.date2.text = "2004-03-17 10:00:00";
}

TEST_F(CheckByCriteriaDialog, OkBuildsTheCriteriaOrNamesTheFieldAtFault) {
  using D = TCheckByCriteriaModel&;
  using C = TCbcControl;
  const std::string range = "range(99999999999999999," + kLimitKB + ")";
  const struct {
    std::function<void(D)> type;
    std::deque<int> answers;
    std::string said;
    TCbcControl focus;
    std::string criteria;  // "": refused
    std::string sizes = "";  // the size fields afterwards, when given
    platform::FileTime from = 0, to = 0;
  } cases[] = {
      {[](D) {}, {}, "", C::None, ""},  // no criterion
      // the masks first, then the sizes, then the dates
      {[](D d) { Typed(d, 0); }, {}, "mask([abc)", C::EMaskFilename, ""},
      {[](D d) { Typed(d, 1); }, {}, "mask([])", C::EMaskPath, ""},
      {[](D d) { Typed(d, 2); }, {}, "number", C::ESize1, ""},
      {[](D d) { Typed(d, 3); }, {}, "date", C::EDate1, ""},
      {[](D d) { Typed(d, 4); }, {}, "date", C::EDate2, ""},
      {[](D d) { Typed(d, 5); }, {}, "filedate", C::EDate2, ""},
      {[](D d) { Typed(d, 6); }, {}, "", C::None, "name=* path=* date size=1024..10240",
       "1 1 1024, 10 1 10240", At(2004, 3, 18), At(2005, 1, 1)},
      // the selection only while the box is enabled
      {[](D d) { d.cbPath = d.selectedOnly = true; d.maskPath = "/p/*"; }, {}, "", C::None,
       "path=/p/*"},
      {[](D d) { d.cbFilename = d.cbSize = d.selectedOnly = d.selectedOnlyEnabled = true; }, {},
       "", C::None, "name=*.bak size=4096..10240 sel"},
      // reversed ranges are swapped, with their units, when the user agrees
      {[](D d) { d.cbSize = true; d.size1.text = "11"; }, {ansCancel}, "swap(11 kB,10 kB)",
       C::ESize1, "", "11 1 11264, 10 1 10240"},
      {[](D d) { d.cbSize = true; d.size1.text = "20"; d.size1.unit = 2; }, {},
       "swap(20 MB,10 kB)", C::None, "size=10240..20971520", "10 1 10240, 20 2 20971520"},
      {ReversedDates, {ansCancel}, "swap(2004-03-18,2004-03-17 10:00:00)", C::EDate1, ""},
      {ReversedDates, {}, "swap(2004-03-18,2004-03-17 10:00:00)", C::None, "date", "",
       At(2004, 3, 17, 10), At(2004, 3, 18)},
      // sizes out of range become the limit on OK
      {[](D d) { d.cbSize = true; d.size2.text = "99999999999999999"; }, {ansCancel}, range,
       C::ESize2, "", "4 1 4096, 99999999999999999 1 " + kLimitBytes},
      {[](D d) { d.cbSize = true; d.size2.text = "99999999999999999"; }, {}, range, C::None,
       "size=4096.." + kLimitBytes, "4 1 4096, " + kLimitKB + " 1 " + kLimitBytes},
      {[](D d) { d.cbSize = true; d.size1.text = "-3"; }, {}, "range(-3,0)", C::None,
       "size=0..10240", "0 1 0, 10 1 10240"},
  };
  for (const auto& k : cases) {
    SCOPED_TRACE(k.said + " " + k.criteria);
    RecordingMessenger msgr;
    TCheckByCriteriaModel d(msgr, At(2020, 5, 6));
    k.type(d);
    msgr.answers = k.answers;
    TCheckCriteria out;
    EXPECT_EQ(d.Accept(out), !k.criteria.empty());
    EXPECT_EQ(Said(msgr), k.said);
    EXPECT_TRUE(!k.criteria.empty() || d.focus == k.focus) << int(d.focus);  // kept open
    EXPECT_EQ(Describe(out), k.criteria);
    EXPECT_TRUE(k.sizes.empty() || Sizes(d) == k.sizes) << Sizes(d);
    EXPECT_EQ(out.dateFrom, k.from);
    EXPECT_EQ(out.dateTo, k.to);
    platform::FileTime shown[2] = {k.from, k.to};  // the date fields show the range used
    EXPECT_TRUE(!k.from || (ParseDateInput(d.date1.text, shown[0]) == TDateParse::Ok &&
                            ParseDateInput(d.date2.text, shown[1]) == TDateParse::Ok));
    EXPECT_EQ(shown[0], k.from);
    EXPECT_EQ(shown[1], k.to);
    // The text of a field at fault is selected (a refused swap only focuses it).
    const bool selects = k.said.rfind("swap", 0) != 0;
    const std::pair<C, std::pair<int32_t, size_t>> fields[] = {
        {C::ESize1, {d.size1.selLength, d.size1.text.size()}},
        {C::ESize2, {d.size2.selLength, d.size2.text.size()}},
        {C::EDate1, {d.date1.selLength, d.date1.text.size()}},
        {C::EDate2, {d.date2.selLength, d.date2.text.size()}}};
    for (const auto& [field, sel] : fields)
      EXPECT_EQ(sel.first, field == k.focus && selects ? int32_t(sel.second) : 0) << int(field);
  }
}

TEST_F(CheckByCriteriaDialog, LeavingFieldsAndChangingUnitsCheckThem) {
  dlg.size1.text = "abc";
  EXPECT_FALSE(dlg.SizeLeft(1));
  EXPECT_EQ(Said(msgr), "number");
  dlg.size1.text = " 12 ";
  EXPECT_TRUE(dlg.SizeLeft(1));
  dlg.date2.text = "2010-10-10";
  EXPECT_TRUE(dlg.DateLeft(2));
  dlg.date2.text = "x";
  EXPECT_FALSE(dlg.DateLeft(2));
  EXPECT_EQ(dlg.date2.time, At(2010, 10, 10));
  EXPECT_TRUE(dlg.SizeUnitChanged(2, 0));  // the number read in the new unit
  EXPECT_EQ(Sizes(dlg), "12 1 12288, 10 0 10");
  EXPECT_TRUE(dlg.SizeUnitChanged(2, 9));  // beyond EB counts as EB, and 10 EB as 7 EB
  EXPECT_EQ(Sizes(dlg), "12 1 12288, 7 6 " + std::to_string(7ull << 60));
  dlg.SizeSpin(2, false);
  EXPECT_EQ(Sizes(dlg), "12 1 12288, 7 6 " + std::to_string(kMax)) << "not beyond 2^63 - 1";
}

TEST_F(CheckByCriteriaDialog, KeysAndSpinButtonsStepTheNumber) {
  const struct {
    std::function<void()> press;
    const char* sizes;
  } steps[] = {
      {[&] { dlg.SizeKey(1, TSizeKey::Up); }, "5 1 5120"},
      {[&] { dlg.SizeKey(1, TSizeKey::PageUp); }, "15 1 15360"},
      {[&] { dlg.SizeKey(1, TSizeKey::Down); }, "14 1 14336"},
      {[&] { dlg.SizeSpin(1, true); }, "4 1 4096"},
      {[&] { dlg.SizeKey(1, TSizeKey::PageDown); }, "0 1 0"},
      {[&] { dlg.size1.text = "8"; dlg.SizeKey(1, TSizeKey::Up); }, "9 1 9216"},  // typed: counts
      {[&] { dlg.size1.text = "y"; dlg.SizeSpin(1, false); }, "19 1 19456"},  // else the value
      {[&] { dlg.size1.text = "30"; dlg.SizeSpin(1, true); }, "20 1 20480"},  // spin: typed counts
      {[&] { dlg.size1.text = "19"; dlg.SizeSpin(1, false); }, "29 1 29696"},
      {[&] { dlg.SizeKey(1, TSizeKey::Enter); }, "29 1 29696"},
  };
  for (const auto& step : steps) {
    step.press();
    EXPECT_EQ(Sizes(dlg), step.sizes + std::string(", 10 1 10240"));
  }
  EXPECT_EQ(dlg.size1.selLength, 2) << "Enter selects the text";
  EXPECT_TRUE(msgr.Messages().empty());
}

TEST_F(CheckByCriteriaDialog, UsedMasksMoveToTheTopOfTheirLists) {
  TCheckByCriteriaModel d(msgr, 0, {"m0", "m1", "m2", "m3", "m4", "m5", "m6", "m7", "m8", "m9"},
                          {"/p/*"});
  d.cbFilename = true;
  d.maskFilename = "M5";  // takes the place of m5
  ASSERT_TRUE(d.Accept(c));
  EXPECT_EQ(d.mruFiles,
            (std::vector<std::string>{"M5", "m0", "m1", "m2", "m3", "m4", "m6", "m7", "m8", "m9"}));
  d.maskFilename = "new";
  ASSERT_TRUE(d.Accept(c));
  ASSERT_EQ(d.mruFiles.size(), kCbcMruMax);
  EXPECT_EQ(d.mruFiles.front() + " " + d.mruFiles.back(), "new m8");
  EXPECT_EQ(d.mruPaths, (std::vector<std::string>{"/p/*"}));  // path box unused
}

// --- the script command ------------------------------------------------------------------

TEST(ScriptCriteria, ParametersGiveTheCriteriaOrTheMessageOfTheFault) {
  const struct {
    TScriptCriteriaParams params;
    std::string said;
    std::string criteria;  // "": refused
    platform::FileTime from = 0, to = 0;
  } cases[] = {
      {{true, "*.tmp", "/x/*", "1k", "2 M", "2004-01-01", "2004-01-01"}, "",
       "name=*.tmp path=/x/* date size=1024..2097152 sel", At(2004, 1, 1), At(2004, 1, 1)},
      // reversed ranges are swapped and only logged
      {{.sizeLow = "3k", .sizeHigh = "2000", .dateFrom = "2005-01-01",
        .dateTo = "2004-01-01 12:00:00"},
       "log:swap(3k,2000) log:swap(2005-01-01,2004-01-01 12:00:00)", "date size=2000..3072",
       At(2004, 1, 1, 12), At(2005, 1, 1)},
      {{.filenameMask = "[a"}, "mask([a)", ""},
      {{.pathMask = "["}, "mask([)", ""},
      {{.sizeLow = "8e", .sizeHigh = "1"}, "number", ""},
      {{.sizeHigh = "1"}, "number", ""},  // a size needs both ends
      {{.sizeLow = "1"}, "number", ""},
      {{.dateFrom = "2004-01-01", .dateTo = "someday"}, "date", ""},
      {{.dateFrom = "2004-01-01"}, "date", ""},
      {{.dateTo = "2004-01-01"}, "date", ""},
      {{.dateFrom = "2004-01-01", .dateTo = "99999-01-01"}, "filedate", ""},
  };
  for (const auto& k : cases) {
    RecordingMessenger msgr;
    TCheckCriteria out;
    out.criteria = k.criteria.empty() ? cbc::kSize : 0;  // a refusal leaves it alone
    EXPECT_EQ(BuildScriptCriteria(k.params, out, msgr), !k.criteria.empty());
    EXPECT_EQ(Said(msgr), k.said);
    EXPECT_EQ(k.criteria.empty() ? out.criteria == cbc::kSize : Describe(out) == k.criteria, true);
    EXPECT_EQ(out.dateFrom, k.from);
    EXPECT_EQ(out.dateTo, k.to);
  }
}

TEST(ScriptCriteria, BothEndsOfTheRangesCount) {
  TResultList list;
  AddSets(list, {{{"a", 1, "/d/", 0, At(2004, 1, 1)}, {"b", 1, "/d/", 0, At(2004, 1, 1) + 1},
                  {"c", 1, "/d/", 0, At(2003, 12, 31, 23, 59, 59)}}});
  RecordingMessenger msgr;
  TCheckCriteria c;
  ASSERT_TRUE(BuildScriptCriteria({.dateFrom = "2004-01-01", .dateTo = "2004-01-01 00:00:00"}, c,
                                  msgr));
  CheckByCriteria(list, true, c);
  EXPECT_EQ(Checked(list), "x..");
}

}  // namespace
