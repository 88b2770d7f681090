// The model behind the result list view: comparing and regrouping (the
// list read back as names, "|" between groups), focus and selection
// through a regrouping, cell texts, check icons, colours, type-ahead and
// the context menu.
#include "app/results/result_view.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "app/support/result_sets.h"
#include "app/support/test_host.h"
#include "app/text/string_table.h"
#include "app/text_ids.h"
#include "platform/locale.h"
#include "support/files.h"

// Designated initializers leave the other members at their defaults.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace zw {
namespace {

using zwtest::AddSets;
using zwtest::HostCall;
using zwtest::Names;

constexpr uint64_t GiB = 1024ULL * 1024 * 1024;

class ResultViewTest : public ::testing::Test {
 protected:
  TResultList list;
  TResultViewModel view;
  zwtest::TestHost host;
  TResultListModel model{list, view, &host};

  // Three sets: sizes 300, 100, 200, names mixed.
  void FillThreeSets() {
    AddSets(list, {{{"delta", 300}, {"Alpha", 300}},
                   {{"echo", 100}, {"bravo", 100}, {"Charlie", 100}},
                   {{"foxtrot", 200}, {"golf", 200}}});
  }
  size_t Redraws() const { return host.Count(HostCall::ResultsChanged); }
};

// --- comparison and regrouping ----------------------------------------------------

TEST(CompareEntries, ComparesByEachKeyAndTheDescendingBitReverses) {
  // b's size has a larger low word than 5 GiB's; a's CRC32 compares unsigned.
  const auto entry = [](uint32_t set, const char* name, const char* path, uint64_t size,
                        zw::platform::FileTime time, uint32_t crc) {
    TResultEntry e;
    e.Set = set;
    e.Name = name;
    e.Path = path;
    e.Size = size;
    e.Time = time;
    e.Crc = crc;
    return e;
  };
  TResultEntry a = entry(2, "apple.txt", "/z/", 5 * GiB, 100, 0xFFFFFFFF);
  const TResultEntry b = entry(7, "Banana", "/a/longer/", GiB + 1, 200, 1);
  const int sign[] = {-1, 1, 1, -1, 1, -1, 1, -1};  // name (case ignored) .. path length
  for (uint8_t mode = 0; mode < 8; ++mode) {
    EXPECT_EQ(CompareEntries(a, b, mode) > 0 ? 1 : -1, sign[mode]) << int(mode);
    EXPECT_EQ(CompareEntries(a, b, mode | kModeDescending) > 0 ? 1 : -1, -sign[mode]) << int(mode);
  }
  a.Name = "BANANA";
  EXPECT_EQ(CompareEntries(a, b, kModeName), 0);
  EXPECT_EQ(CompareEntries(a, b, kModeName | kModeDescending), 0);
}

TEST(CompareEntries, ModesOfRadiosAndColumns) {
  EXPECT_EQ(RadioForMode(kModeNameLength), kModeName);
  EXPECT_EQ(RadioForMode(kModePathLength | kModeDescending), kModePath);
  EXPECT_EQ(RadioForMode(kModeDupeSets), kModeDupeSets);
  EXPECT_EQ(ModeForColumn(0, false), kModeName);
  EXPECT_EQ(ModeForColumn(0, true), kModeNameLength);
  EXPECT_EQ(ModeForColumn(1, true), kModePathLength);
  EXPECT_EQ(ModeForColumn(2, true), kModeSize);
  EXPECT_EQ(ModeForColumn(4, false), kModeCrc);
  EXPECT_EQ(ModeForColumn(5, false), -1);
}

TEST_F(ResultViewTest, ReshadeByGroupingFlipsWhereTheKeyChanges) {
  AddSets(list, {{{"a", 1}, {"b", 1}, {"c", 2}, {"d", 3}, {"e", 3}}});
  for (const uint8_t mode : {uint8_t{kModeSize}, uint8_t(kModeSize | kModeDescending)}) {
    for (TResultEntry* e : list.MutableItems()) e->Flags &= static_cast<uint8_t>(~reflag::kShaded);
    ReshadeByGrouping(list, mode);
    EXPECT_EQ(Names(list), "a b | c | d e");
    EXPECT_TRUE(list.Item(0)->Flags & reflag::kShaded) << "the first group is shaded";
  }
}

TEST_F(ResultViewTest, RegroupingSortsGroupsAndASecondClickReverses) {
  FillThreeSets();
  const uint8_t N = kModeName, P = kModePath, S = kModeSize, D = kModeDupeSets,
                R = kModeDescending, kAbc = uint8_t(ModeForColumn(0, false));
  const struct {
    uint8_t mode;
    bool within;  // SortWithinGroups instead of Regroup
    uint8_t order, grouping;
    const char* names;
  } steps[] = {
      {S, false, S, S, "echo bravo Charlie | foxtrot golf | delta Alpha"},
      {S, false, S | R, S, "delta Alpha | foxtrot golf | echo bravo Charlie"},  // the second click
      {S, false, S, S, "echo bravo Charlie | foxtrot golf | delta Alpha"},
      {S | R, false, S | R, S, "delta Alpha | foxtrot golf | echo bravo Charlie"},  // right clicks
      {S | R, false, S | R, S, "delta Alpha | foxtrot golf | echo bravo Charlie"},  // do not toggle
      {N, false, N, N, "Alpha | bravo | Charlie | delta | echo | foxtrot | golf"},
      {P, true, P, N, "Alpha | bravo | Charlie | delta | echo | foxtrot | golf"},
      // back to the sets: the search's order; descending: the sets reversed
      {D, false, D, D, "delta Alpha | echo bravo Charlie | foxtrot golf"},
      {D | R, false, D | R, D, "foxtrot golf | echo bravo Charlie | delta Alpha"},
      {D, false, D, D, "delta Alpha | echo bravo Charlie | foxtrot golf"},
      // a column click while grouped by sets sorts within each set; again: descending
      {kAbc, true, N, D, "Alpha delta | bravo Charlie echo | foxtrot golf"},
      {N, true, N | R, D, "delta Alpha | echo Charlie bravo | golf foxtrot"},
  };
  size_t redraws = 0;
  for (const auto& s : steps) {
    SCOPED_TRACE(s.names);
    ASSERT_TRUE(s.within ? model.SortWithinGroups(s.mode) : model.Regroup(s.mode));
    EXPECT_EQ(Names(list), s.names);
    EXPECT_EQ(list.CurrentOrder(), s.order);
    EXPECT_EQ(list.GroupingMode(), s.grouping);
    EXPECT_TRUE(list.Item(0)->Flags & reflag::kShaded);
    EXPECT_EQ(Redraws(), ++redraws);
  }
  EXPECT_EQ(list.Item(2)->Set, 1u) << "the set numbers stay";
}

TEST_F(ResultViewTest, NameGroupingIgnoresCaseAndLengthModesGroupByLength) {
  AddSets(list, {{{"b"}, {"A"}, {"a"}, {"ccc"}}});
  ASSERT_TRUE(model.Regroup(kModeName));
  EXPECT_EQ(Names(list), "A a | b | ccc");
  ASSERT_TRUE(model.Regroup(kModeNameLength));
  EXPECT_EQ(list.GroupingMode(), kModeNameLength);
  EXPECT_EQ(Names(list), "A a b | ccc");
}

TEST_F(ResultViewTest, NothingToRegroupOrNoCrcValuesLeaveTheListAlone) {
  EXPECT_FALSE(model.Regroup(kModeSize));
  AddSets(list, {{{"only"}}});
  EXPECT_FALSE(model.Regroup(kModeSize));
  EXPECT_FALSE(model.SortWithinGroups(kModeName));
  list.Clear();
  AddSets(list, {{{"a", 1, "/d/", fiflag::kCrcValid, 0, 0x20},
                  {"b", 1, "/d/", fiflag::kCrcValid, 0, 0x10}}});
  view.crcAvailable = false;
  EXPECT_FALSE(model.Regroup(kModeCrc));
  EXPECT_FALSE(model.SortWithinGroups(kModeCrc));
  EXPECT_EQ(list.CurrentOrder(), kOrderUnsorted);
  EXPECT_EQ(list.GroupingMode(), kGroupByDupeSets);
  EXPECT_EQ(Redraws(), 0u);
  EXPECT_TRUE(model.Regroup(kModeCrc | kModeDescending)) << "a right click is not refused";
  EXPECT_EQ(Names(list), "a | b");
  view.crcAvailable = true;
  EXPECT_TRUE(model.Regroup(kModeCrc));
  EXPECT_EQ(Names(list), "b | a");
}

TEST_F(ResultViewTest, SelectionAndFocusMoveWithTheEntries) {
  FillThreeSets();  // delta Alpha echo bravo Charlie foxtrot golf
  model.SetSelected(zwtest::RowOf(list, "delta"), true);
  model.SetSelected(zwtest::RowOf(list, "golf"), true);
  model.SetFocusedRow(zwtest::RowOf(list, "Charlie"));  // row 4
  view.topRow = 2;
  ASSERT_TRUE(model.Regroup(kModeName));  // Alpha bravo Charlie delta echo foxtrot golf
  EXPECT_EQ(model.SelectedCount(), 2);
  EXPECT_TRUE(model.IsSelected(3) && model.IsSelected(6));
  EXPECT_EQ(list.Item(3)->Name, "delta");
  // Rows 0 and 3 changed their state; row 6 was selected before and after.
  EXPECT_EQ(model.MovedSelection(), (std::vector<int32_t>{0, 3}));
  EXPECT_EQ(model.FocusedRow(), 2);  // at the same height
  EXPECT_EQ(view.topRow, 0);
  EXPECT_NE(host.CallsOf(HostCall::ResultsChanged).back().a, 0) << "brought into sight";
  ASSERT_TRUE(model.Regroup(kModeName));  // descending: Charlie goes to row 4
  EXPECT_EQ(model.FocusedRow(), 4);
  EXPECT_EQ(list.Item(4)->Name, "Charlie");
  EXPECT_EQ(view.topRow, 2);

  model.SetFocusedRow(0);
  ASSERT_TRUE(model.Regroup(kModeSize));
  EXPECT_EQ(model.FocusedRow(), 0) << "the first row stays";
  model.SetFocusedRow(99);
  EXPECT_EQ(model.FocusedRow(), -1);
}

TEST_F(ResultViewTest, SelectionNotificationsAreIgnoredWhileResorting) {
  FillThreeSets();
  host.onResultsChanged = [this] { model.SetAllSelected(true); };
  ASSERT_TRUE(model.Regroup(kModeSize));
  EXPECT_EQ(model.SelectedCount(), 0);
  host.onResultsChanged = nullptr;
  model.SetAllSelected(true);
  EXPECT_EQ(model.SelectedCount(), 7);
}

// --- what a row shows --------------------------------------------------------------

TEST_F(ResultViewTest, CellTextsOfAnEntry) {
  const platform::FileTime t = zwtest::At(2004, 3, 18, 21, 39, 42);
  AddSets(list, {{{"report.doc", 1500, "/home/u/", fiflag::kCrcValid, t, 0x00ABCDEF},
                  {"copy.doc", 1500, "/tmp/", 0, t, 0x12345678}}});
  const std::vector<std::string> row0 = {"report.doc", "/home/u/", "1500 B",
                                         platform::DateTimeText(t, false), "00ABCDEF"};
  for (int column = 0; column < 5; ++column) EXPECT_EQ(model.CellText(0, column), row0[column]);
  EXPECT_EQ(model.CellText(1, 4), "");  // no valid CRC32
  view.displaySecs = true;
  EXPECT_EQ(model.CellText(0, 3), platform::DateTimeText(t, true));
  EXPECT_NE(model.CellText(0, 3), platform::DateTimeText(t, false));
#ifndef _WIN32
  EXPECT_EQ(model.CellText(0, 3), "2004-03-18 21:39:42");
#endif
  EXPECT_EQ(model.CellText(2, 0) + model.CellText(-1, 0) + model.CellText(0, 5), "");
}

TEST_F(ResultViewTest, SizeTextInEveryUnit) {
  Strings().Reset();
  const struct {
    uint8_t unit;
    uint64_t size;
    const char* text;
  } cases[] = {
      {0, 5 * GiB, "5368709120 B"}, {1, 1500, "1 kB"}, {1, 1023, "0 kB"}, {2, 5 * GiB, "5120 MB"},
      {3, 5 * GiB, "5 GB"}, {4, 5 * GiB, "0 TB"}, {4, 4 * GiB - 1, "0 TB"},
      {4, 3 * 1024 * GiB, "3 TB"}, {5, 5 * GiB, "0 PB"}, {6, UINT64_MAX, "15 EB"}, {6, 100, "0 EB"},
  };
  for (const auto& c : cases) {
    view.sizeUnit = c.unit;
    EXPECT_EQ(model.SizeText(c.size), c.text);
  }
  // The best fitting unit: the shell's formatter from one kilobyte on.
  ASSERT_TRUE(platform::HaveByteSizeFormatter());
  EXPECT_EQ(model.SizeUnitCount(), 8);
  model.SetSizeUnit(7);
  EXPECT_EQ(model.SizeText(0) + ", " + model.SizeText(1023), "0 B, 1023 B");
  EXPECT_EQ(model.SizeText(1024), platform::ByteSizeText(1024));
  EXPECT_EQ(model.SizeText(5 * GiB), platform::ByteSizeText(5 * GiB));
#ifndef _WIN32
  EXPECT_EQ(model.SizeText(5 * GiB), "5.00 GB");
#endif
  model.SetSizeUnit(8);  // no such unit
  EXPECT_EQ(view.sizeUnit, 7);
}

TEST_F(ResultViewTest, DisplayOptionsRepaint) {
  model.SetSizeUnit(3);
  model.SetDisplaySecs(true);
  model.SetAltPathShortening(true);
  EXPECT_EQ(view.sizeUnit, 3);
  EXPECT_TRUE(view.displaySecs && view.altPathShortening);
  EXPECT_EQ(Redraws(), 3u);
}

// Widths: 10 pixels per character; the ellipsis keeps the tail that fits.
struct FixedFitter : ITextFitter {
  mutable std::vector<int> widths;
  int TextWidth(std::string_view text) const override { return static_cast<int>(text.size()) * 10; }
  std::string PathEllipsis(std::string_view path, int width) const override {
    widths.push_back(width);
    if (TextWidth(path) <= width) return std::string(path);
    const size_t keep = width > 30 ? static_cast<size_t>(width / 10 - 3) : 0;
    return "..." + std::string(path.substr(path.size() - keep));
  }
};

TEST_F(ResultViewTest, AlternativePathShorteningKeepsTheFirstThreeCharacters) {
  AddSets(list, {{{"a", 1, "/home/user/projects/zw/"}, {"b", 1, "/x/"}}});
  FixedFitter fitter;
  EXPECT_EQ(model.PathCellText(0, 100, fitter), "/home/user/projects/zw/");  // option off
  EXPECT_TRUE(fitter.widths.empty());
  view.altPathShortening = true;
  EXPECT_EQ(model.PathCellText(0, 146, fitter), "/ho...cts/zw/");
  EXPECT_EQ(fitter.widths, std::vector<int>{146 - 6 - 30 - 7});
  EXPECT_EQ(model.PathCellText(1, 1, fitter), "/x/") << "shorter than four characters";
  EXPECT_EQ(fitter.widths.size(), 1u);
}

TEST_F(ResultViewTest, RowKindsAndCheckIcons) {
  AddSets(list, {{{"a"}, {"b"}, {"zipped", 100, "/d/x.zip/", zwtest::kZipped}},
                 {{"c"}, {"d", 100, "/d/cat.zwc/", zwtest::kCataloged}}});
  zwtest::SetChecked(list, {1, 3, 2});  // archive entries cannot be checked
  const int kinds[] = {kRowDark, kRowDarkChecked, kRowDark, kRowLightChecked, kRowLight, -1};
  const int icons[] = {3, 4, kIconBookDark, 2, kIconBookLight, 0};
  for (int32_t row = 0; row < 6; ++row) {
    EXPECT_EQ(model.RowKind(row), kinds[row]) << row;
    EXPECT_EQ(model.CheckIcon(row), icons[row]) << row;
  }
}

// --- colours ---------------------------------------------------------------------

TEST(RowColors, DefaultsDeriveFromTheWindowColour) {
  const struct {
    int kind;
    uint32_t window, row;
  } cases[] = {
      {kRowLight, 0xFFFFFF, 0xFFFFFF}, {kRowLightChecked, 0xFFFFFF, 0xFFFFFF},
      {kRowDark, 0xFFFFFF, 0xEEEEEE}, {kRowDarkChecked, 0xFFFFFF, 0xEEEEEE},
      // channels below 17 are not lowered; a dark window: every channel below 222 is
      // raised by 34 (R 100, G 90, B 30: sum 220; 221 is not dark; nor blue 156; nor green 91)
      {kRowDark, 0x10FF80, 0x10EE6F}, {kRowDark, 0x202020, 0x424242},
      {kRowDark, 0x1E5A64, 0x407C86}, {kRowDark, 0x1F5A64, 0x0E4953},
      {kRowDark, 0x9B0000, 0xBD2222}, {kRowDark, 0x9C0000, 0x8B0000},
      {kRowDark, 0x005B00, 0x004A00},
  };
  for (const auto& c : cases) EXPECT_EQ(DefaultRowColor(c.kind, c.window), c.row) << c.window;
}

TEST(RowColors, LuminanceAndTextColour) {
  EXPECT_EQ(Luminance(0x000000), 16);
  EXPECT_EQ(Luminance(0xFFFFFF), 235);
  EXPECT_EQ(Luminance(0x0000FF), ((66 * 255) >> 8) + 16);  // red
  EXPECT_EQ(Luminance(0xFF0000), ((25 * 255) >> 8) + 16);  // blue
  // Far enough apart, the window text stays; black on navy (Y 28) is too close: white on
  // the dark background; white on silver (180 vs 235): black on the light one; blue (Y 40)
  // on yellow (Y 210) differs by more than 85.
  const uint32_t cases[][3] = {{0xFFFFFF, 0x000000, 0x000000}, {0x000000, 0xFFFFFF, 0xFFFFFF},
                               {0x800000, 0x000000, 0xFFFFFF}, {0xC0C0C0, 0xFFFFFF, 0x000000},
                               {0x00FFFF, 0xFF0000, 0xFF0000}};
  for (const auto& c : cases) EXPECT_EQ(TextColorOn(c[0], c[1]), c[2]) << c[0];
}

TEST(ColorItems, NamesValuesAndTheFirstItemOfAValue) {
  const auto& items = ColorItems();
  EXPECT_EQ(items[kColorItemDefault].name, sclDefault);
  EXPECT_EQ(items[kColorItemCustom].name, sclCustom);
  EXPECT_EQ(items[3].name, sclMaroon);
  EXPECT_EQ(items[3].value, 0x000080u);
  EXPECT_EQ(items[6].value, 0x800000u);  // navy
  EXPECT_EQ(items[19].name, sclWhite);
  EXPECT_EQ(Str(items[17].name), "light gray");
  EXPECT_EQ(items[17].value, items[10].value);  // light gray = silver
  EXPECT_EQ(items[ColorItemFor(0xC0C0C0)].name, sclSilver);
  EXPECT_EQ(items[ColorItemFor(0x808080)].name, sclGray);  // not dark gray
  EXPECT_EQ(ColorItemFor(TResultViewModel::kDefaultColor), kColorItemDefault);
  EXPECT_EQ(ColorItemFor(0x123456), kColorItemCustom);
}

TEST_F(ResultViewTest, ChoosingColoursStoresThemForTheRowKind) {
  model.SetSystemColors(0xFFFFFF, 0x000000);
  EXPECT_EQ(model.RowBackground(kRowDark), 0xEEEEEEu);
  EXPECT_FALSE(model.CheckChangeRepaintsRow(true));

  ASSERT_TRUE(model.ChooseColorItem(kRowDarkChecked, 17));  // light gray
  EXPECT_EQ(view.colors[kRowDarkChecked], 0xC0C0C0u);
  EXPECT_EQ(model.ColorItemOf(kRowDarkChecked), 10);  // shows as silver
  EXPECT_EQ(model.RowBackground(kRowDarkChecked), 0xC0C0C0u);
  EXPECT_TRUE(model.CheckChangeRepaintsRow(true));
  EXPECT_FALSE(model.CheckChangeRepaintsRow(false));
  EXPECT_EQ(Redraws(), 1u);

  ASSERT_TRUE(model.ChooseColorItem(kRowDarkChecked, kColorItemDefault));
  EXPECT_EQ(view.colors[kRowDarkChecked], TResultViewModel::kDefaultColor);
  EXPECT_EQ(model.RowBackground(kRowDarkChecked), 0xEEEEEEu);

  EXPECT_FALSE(model.ChooseColorItem(kRowLight, kColorItemCustom));  // the dialog's turn
  EXPECT_FALSE(model.ChooseColorItem(kRowLight, 20));
  EXPECT_FALSE(model.ChooseColorItem(4, 2));
  EXPECT_EQ(view.colors[kRowLight], TResultViewModel::kDefaultColor);

  EXPECT_EQ(model.LastCustomColor(kRowDark), 0xEEEEEEu);  // at first the default
  view.colors[kRowLightChecked] = 0xABCDEF;  // a custom colour of an earlier run
  EXPECT_EQ(model.LastCustomColor(kRowLightChecked), 0xABCDEFu);
  view.colors[kRowLightChecked] = 0x008000;  // a named one is not custom
  EXPECT_EQ(model.LastCustomColor(kRowLightChecked), 0xFFFFFFu);
  view.colors[kRowLightChecked] = TResultViewModel::kDefaultColor;
  EXPECT_EQ(model.ChooseCustomColor(kRowDark, 0x008000), 4);  // green
  EXPECT_EQ(model.ChooseCustomColor(kRowLight, 0x123456), kColorItemCustom);
  EXPECT_EQ(view.colors[kRowLight], 0x123456u);
  EXPECT_EQ(model.LastCustomColor(kRowLight), 0x123456u);
  EXPECT_EQ(model.LastCustomColor(kRowDark), 0x008000u);
  EXPECT_EQ(model.ColorItemOf(kRowLight), kColorItemCustom);
  EXPECT_EQ(model.RowTextColor(kRowLight), TextColorOn(0x123456, 0x000000));
  EXPECT_EQ(model.CustomColorSlots(kRowLight),
            (std::array<std::string, 3>{"ColorA=123456", "ColorB=123456", "ColorC=ffffff"}));
  model.ChooseColorItem(kRowLight, 3);  // maroon
  EXPECT_EQ(model.CustomColorSlots(kRowLight)[0], "ColorA=080");

  model.SetSystemColors(0x202020, 0xFFFFFF);  // a dark window: lighter dark rows, light text
  EXPECT_EQ(model.RowBackground(kRowDarkChecked), 0x424242u);
  EXPECT_EQ(model.RowBackground(kRowLightChecked), 0x202020u);
  EXPECT_EQ(model.RowTextColor(kRowDarkChecked), 0xFFFFFFu);
}

// --- type-ahead, selection, menu ----------------------------------------------------

TEST_F(ResultViewTest, TypeAheadFindsPrefixesIgnoringCase) {
  EXPECT_EQ(model.FindPrefix(0, "a", true), -1);  // an empty list
  AddSets(list, {{{"alpha"}, {"Beta"}, {"bet"}, {"gamma"}, {"be"}}});
  EXPECT_EQ(model.FindPrefix(0, "BET", false), 1);
  EXPECT_EQ(model.FindPrefix(2, "bet", false), 2);
  EXPECT_EQ(model.FindPrefix(3, "bet", false), -1);  // "be" is shorter than the text
  EXPECT_EQ(model.FindPrefix(3, "bet", true), 1);     // wraps to the top once
  EXPECT_EQ(model.FindPrefix(3, "al", true), 0);
  EXPECT_EQ(model.FindPrefix(3, "zulu", true), -1);
  EXPECT_EQ(model.FindPrefix(99, "gam", false), 3);  // out of range starts at row 0
  EXPECT_EQ(model.FindPrefix(-1, "alp", false), 0);
}

TEST_F(ResultViewTest, SelectionIsStoredInTheEntries) {
  FillThreeSets();
  model.SetRangeSelected(5, 2, true);  // either order
  EXPECT_EQ(model.SelectedCount(), 4);
  for (int32_t i = 0; i < 7; ++i)
    EXPECT_EQ((list.Item(i)->Flags & reflag::kSelected) != 0, i >= 2 && i <= 5) << i;
  model.SetSelected(3, false);
  EXPECT_FALSE(model.IsSelected(3));
  model.SetRangeSelected(-5, 100, true);  // clipped
  EXPECT_EQ(model.SelectedCount(), 7);
  model.SetAllSelected(false);
  model.SetSelected(42, true);  // no such row
  EXPECT_EQ(model.SelectedCount(), 0);
  EXPECT_FALSE(model.IsSelected(42));

  EXPECT_TRUE(model.FocusedGroupRows().empty());
  model.SetFocusedRow(3);
  EXPECT_EQ(model.FocusedGroupRows(), (std::vector<int32_t>{2, 3, 4}));
  model.SetFocusedRow(6);
  EXPECT_EQ(model.FocusedGroupRows(), (std::vector<int32_t>{5, 6}));
}

TEST_F(ResultViewTest, MenuItemsFollowTheRowAndTheSelection) {
  TListMenuState s = model.MenuState(-1, false);  // an empty list
  EXPECT_FALSE(s.exportAll || s.createCatfile || s.copySelected || s.launchFile);
  EXPECT_TRUE(s.import && s.displayOptions);
  EXPECT_TRUE(model.ShowsPlaceholder(false));
  EXPECT_FALSE(model.ShowsPlaceholder(true));

  AddSets(list, {{{"plain"}, {"zipped", 100, "/d/a.zip/", zwtest::kZipped},
                  {"listed", 100, "/d/c.zwc/", zwtest::kCataloged},
                  {"summed", 100, "/d/", fiflag::kCrcValid, 0, 7}}});
  s = model.MenuState(0, false);
  EXPECT_TRUE(s.launchFile && s.openDirGroup && s.rename && s.openDir);
  EXPECT_FALSE(s.calcCrcVisible || s.copySelected || s.exportSelected);
  EXPECT_TRUE(s.exportAll && s.createCatfile && s.import && s.displayOptions);
  s = model.MenuState(1, false);  // inside a ZIP archive: only its folder (the archive)
  EXPECT_FALSE(s.launchFile || s.openDirGroup || s.rename);
  EXPECT_TRUE(s.openDir);
  s = model.MenuState(2, false);  // inside a catalog
  EXPECT_FALSE(s.launchFile || s.openDir);

  // Calculate CRC32: with Shift, a selection, and a row without its CRC32.
  EXPECT_FALSE(model.MenuState(0, true).calcCrc);  // nothing selected
  EXPECT_TRUE(model.MenuState(0, true).calcCrcVisible);
  model.SetSelected(3, true);
  EXPECT_TRUE(model.MenuState(0, true).calcCrc);
  EXPECT_FALSE(model.MenuState(0, false).calcCrc);
  EXPECT_FALSE(model.MenuState(3, true).calcCrc);
  s = model.MenuState(-1, true);
  EXPECT_FALSE(s.calcCrc || s.launchFile || s.openDir);
  EXPECT_TRUE(s.copySelected && s.exportSelected && s.exportAll);
}

}  // namespace
}  // namespace zw
