#include "app/results/result_view.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "app/text/string_table.h"
#include "platform/locale.h"
#include "app/support/test_host.h"
#include "app/text_ids.h"

namespace zw {
namespace {

using zwtest::HostCall;
using Names = std::vector<std::string>;

constexpr uint64_t GiB = 1024ULL * 1024 * 1024;

struct F {
  std::string name;
  uint64_t size = 100;
  std::string path = "/data/";
  uint32_t crc = 0;
  uint8_t flags = 0;  // fiflag bits
  platform::FileTime time = 0;
};

// Adds one duplicate set, its files in the given order.
void AddSet(TResultList& list, std::initializer_list<F> files) {
  TFileInfos* head = nullptr;
  TFileInfos** tail = &head;
  for (const F& f : files) {
    auto* fi = new TFileInfos;
    fi->Name = f.name;
    fi->Path = f.path;
    fi->Size = f.size;
    fi->Crc = f.crc;
    fi->Flags = f.flags;
    fi->Time = f.time;
    *tail = fi;
    tail = &fi->Next;
  }
  list.AddSet(head);
}

Names RowNames(const TResultList& list) {
  Names names;
  for (const TResultEntry* e : list.Items()) names.push_back(e->Name);
  return names;
}

// The shading of each row as 'D' (shaded) or '.'.
std::string Shades(const TResultList& list) {
  std::string s;
  for (const TResultEntry* e : list.Items()) s += (e->Flags & reflag::kShaded) ? 'D' : '.';
  return s;
}

// A host that can act during ResultsChanged (as a window resetting its
// rows' states would).
class Host : public zwtest::TestHost {
 public:
  std::function<void()> onResultsChanged;
  void ResultsChanged(bool scrollToFocus, bool focusOnTop) override {
    TestHost::ResultsChanged(scrollToFocus, focusOnTop);
    if (onResultsChanged) onResultsChanged();
  }
};

class ResultViewTest : public ::testing::Test {
 protected:
  TResultList list;
  TResultViewModel view;
  Host host;
  TResultListModel model{list, view, &host};

  // Three sets: sizes 300, 100, 200, names mixed.
  void FillThreeSets() {
    AddSet(list, {{"delta", 300}, {"Alpha", 300}});
    AddSet(list, {{"echo", 100}, {"bravo", 100}, {"Charlie", 100}});
    AddSet(list, {{"foxtrot", 200}, {"golf", 200}});
  }
  int32_t RowOf(const std::string& name) const {
    for (int32_t i = 0; i < list.ItemCount(); ++i)
      if (list.Item(i)->Name == name) return i;
    return -1;
  }
  size_t Redraws() const { return host.Count(HostCall::ResultsChanged); }
};

// --- comparison ----------------------------------------------------------------

TEST(CompareEntries, ComparesByEachKey) {
  TResultEntry a, b;
  a.Name = "apple.txt";
  b.Name = "Banana";
  a.Path = "/z/";
  b.Path = "/a/longer/";
  a.Size = 10;
  b.Size = 5;
  a.Time = 100;
  b.Time = 200;
  a.Crc = 0xFFFFFFFF;
  b.Crc = 1;
  a.Set = 2;
  b.Set = 7;
  EXPECT_LT(CompareEntries(a, b, kModeName), 0);  // case is ignored
  EXPECT_GT(CompareEntries(a, b, kModePath), 0);
  EXPECT_GT(CompareEntries(a, b, kModeSize), 0);
  EXPECT_LT(CompareEntries(a, b, kModeDate), 0);
  EXPECT_GT(CompareEntries(a, b, kModeCrc), 0);  // unsigned
  EXPECT_LT(CompareEntries(a, b, kModeDupeSets), 0);
  EXPECT_GT(CompareEntries(a, b, kModeNameLength), 0);
  EXPECT_LT(CompareEntries(a, b, kModePathLength), 0);
}

TEST(CompareEntries, DescendingBitReverses) {
  TResultEntry a, b;
  a.Size = 1;
  b.Size = 2;
  EXPECT_LT(CompareEntries(a, b, kModeSize), 0);
  EXPECT_GT(CompareEntries(a, b, kModeSize | kModeDescending), 0);
  b.Size = 1;
  EXPECT_EQ(CompareEntries(a, b, kModeSize | kModeDescending), 0);
  a.Name = "SAME";
  b.Name = "same";
  EXPECT_EQ(CompareEntries(a, b, kModeName), 0);
}

TEST(CompareEntries, SizesBeyond32BitsCompareInFull) {
  TResultEntry a, b;
  a.Size = 5 * GiB;
  b.Size = 1 * GiB + 1;  // a larger low word than 5 GiB's
  EXPECT_GT(CompareEntries(a, b, kModeSize), 0);
}

TEST_F(ResultViewTest, ReshadeByGroupingFlipsWhereTheKeyChanges) {
  AddSet(list, {{"a", 1}, {"b", 1}, {"c", 2}, {"d", 3}, {"e", 3}});
  for (TResultEntry* e : list.MutableItems()) e->Flags &= ~reflag::kShaded;
  ReshadeByGrouping(list, kModeSize);
  EXPECT_EQ(Shades(list), "DD.DD");
  ReshadeByGrouping(list, kModeSize | kModeDescending);  // the direction does not matter
  EXPECT_EQ(Shades(list), "DD.DD");
}

// --- regrouping --------------------------------------------------------------------

TEST_F(ResultViewTest, SizeClickedTwiceSortsDescendingTheSecondTime) {
  FillThreeSets();
  ASSERT_TRUE(model.Regroup(kModeSize));
  EXPECT_EQ(list.CurrentOrder(), kModeSize);
  EXPECT_EQ(list.GroupingMode(), kModeSize);
  std::vector<uint64_t> sizes;
  for (const TResultEntry* e : list.Items()) sizes.push_back(e->Size);
  EXPECT_EQ(sizes, (std::vector<uint64_t>{100, 100, 100, 200, 200, 300, 300}));
  EXPECT_EQ(Shades(list), "DDD..DD");

  ASSERT_TRUE(model.Regroup(kModeSize));
  EXPECT_EQ(list.CurrentOrder(), kModeSize | kModeDescending);
  EXPECT_EQ(list.GroupingMode(), kModeSize);
  sizes.clear();
  for (const TResultEntry* e : list.Items()) sizes.push_back(e->Size);
  EXPECT_EQ(sizes, (std::vector<uint64_t>{300, 300, 200, 200, 100, 100, 100}));
  EXPECT_EQ(Shades(list), "DD..DDD");

  ASSERT_TRUE(model.Regroup(kModeSize));  // and back
  EXPECT_EQ(list.CurrentOrder(), kModeSize);
  EXPECT_EQ(list.Item(0)->Size, 100u);
}

TEST_F(ResultViewTest, RightClickSortsDescendingWithoutToggling) {
  FillThreeSets();
  ASSERT_TRUE(model.Regroup(kModeSize | kModeDescending));
  EXPECT_EQ(list.CurrentOrder(), kModeSize | kModeDescending);
  ASSERT_TRUE(model.Regroup(kModeSize | kModeDescending));
  EXPECT_EQ(list.CurrentOrder(), kModeSize | kModeDescending);
  EXPECT_EQ(list.Item(0)->Size, 300u);
  EXPECT_EQ(list.GroupingMode(), kModeSize);
}

TEST_F(ResultViewTest, NameGroupingIgnoresCaseAndLengthModesGroupByLength) {
  AddSet(list, {{"b"}, {"A"}, {"a"}, {"ccc"}});
  ASSERT_TRUE(model.Regroup(kModeName));
  EXPECT_EQ(list.Item(2)->Name, "b");
  EXPECT_EQ(Shades(list), "DD.D");  // "A" and "a" are one group
  ASSERT_TRUE(model.Regroup(kModeNameLength));
  EXPECT_EQ(list.GroupingMode(), kModeNameLength);
  EXPECT_EQ(list.Item(3)->Name, "ccc");
  EXPECT_EQ(Shades(list), "DDD.");
  EXPECT_EQ(RadioForMode(kModeNameLength), kModeName);
  EXPECT_EQ(RadioForMode(kModePathLength | kModeDescending), kModePath);
  EXPECT_EQ(RadioForMode(kModeDupeSets), kModeDupeSets);
}

TEST_F(ResultViewTest, CrcGroupingIsRefusedWithoutCrcValues) {
  AddSet(list, {{"a", 1, "/d/", 0x20, fiflag::kCrcValid}, {"b", 1, "/d/", 0x10, fiflag::kCrcValid}});
  view.crcAvailable = false;
  const Names before = RowNames(list);
  EXPECT_FALSE(model.Regroup(kModeCrc));
  EXPECT_EQ(RowNames(list), before);
  EXPECT_EQ(list.CurrentOrder(), kOrderUnsorted);
  EXPECT_EQ(list.GroupingMode(), kGroupByDupeSets);
  EXPECT_EQ(Redraws(), 0u);
  EXPECT_FALSE(model.SortWithinGroups(kModeCrc));

  // A right click's descending CRC32 is not refused.
  EXPECT_TRUE(model.Regroup(kModeCrc | kModeDescending));
  EXPECT_EQ(RowNames(list), (Names{"a", "b"}));

  view.crcAvailable = true;
  EXPECT_TRUE(model.Regroup(kModeCrc));
  EXPECT_EQ(RowNames(list), (Names{"b", "a"}));
  EXPECT_EQ(list.GroupingMode(), kModeCrc);
}

TEST_F(ResultViewTest, FewerThanTwoEntriesAreLeftAlone) {
  EXPECT_FALSE(model.Regroup(kModeSize));
  AddSet(list, {{"only"}});
  EXPECT_FALSE(model.Regroup(kModeSize));
  EXPECT_FALSE(model.SortWithinGroups(kModeName));
  EXPECT_EQ(list.CurrentOrder(), kOrderUnsorted);
  EXPECT_EQ(Redraws(), 0u);
}

TEST_F(ResultViewTest, BackToDuplicateSetsRestoresTheSearchOrder) {
  FillThreeSets();
  const Names searchOrder = RowNames(list);
  const std::string searchShades = Shades(list);
  ASSERT_TRUE(model.Regroup(kModeName));
  ASSERT_NE(RowNames(list), searchOrder);
  ASSERT_TRUE(model.Regroup(kModeSize | kModeDescending));
  ASSERT_TRUE(model.SortWithinGroups(kModePath));
  ASSERT_TRUE(model.Regroup(kModeDupeSets));
  EXPECT_EQ(RowNames(list), searchOrder);
  EXPECT_EQ(Shades(list), searchShades);
  EXPECT_EQ(Shades(list), "DD...DD");
  EXPECT_EQ(list.GroupingMode(), kModeDupeSets);
}

TEST_F(ResultViewTest, DuplicateSetsDescendingReversesTheSets) {
  FillThreeSets();
  ASSERT_TRUE(model.Regroup(kModeDupeSets | kModeDescending));
  std::vector<uint32_t> sets;
  for (const TResultEntry* e : list.Items()) sets.push_back(e->Set);
  EXPECT_EQ(sets, (std::vector<uint32_t>{2, 2, 1, 1, 1, 0, 0}));
  EXPECT_EQ(Shades(list), "DD...DD");
}

TEST_F(ResultViewTest, ColumnClickInDuplicateSetsSortsWithinEachSetOnly) {
  FillThreeSets();
  ASSERT_TRUE(model.SortWithinGroups(ModeForColumn(0, false)));
  EXPECT_EQ(RowNames(list), (Names{"Alpha", "delta", "bravo", "Charlie", "echo", "foxtrot", "golf"}));
  EXPECT_EQ(Shades(list), "DD...DD");
  EXPECT_EQ(list.GroupingMode(), kModeDupeSets);  // the grouping stays
  EXPECT_EQ(list.CurrentOrder(), kModeName);

  ASSERT_TRUE(model.SortWithinGroups(kModeName));  // second click: descending
  EXPECT_EQ(RowNames(list), (Names{"delta", "Alpha", "echo", "Charlie", "bravo", "golf", "foxtrot"}));
  std::vector<uint32_t> sets;
  for (const TResultEntry* e : list.Items()) sets.push_back(e->Set);
  EXPECT_EQ(sets, (std::vector<uint32_t>{0, 0, 1, 1, 1, 2, 2}));
}

TEST(ModeForColumn, ShiftGivesLengthModesOnNameAndPath) {
  EXPECT_EQ(ModeForColumn(0, false), kModeName);
  EXPECT_EQ(ModeForColumn(0, true), kModeNameLength);
  EXPECT_EQ(ModeForColumn(1, true), kModePathLength);
  EXPECT_EQ(ModeForColumn(2, true), kModeSize);
  EXPECT_EQ(ModeForColumn(4, false), kModeCrc);
  EXPECT_EQ(ModeForColumn(5, false), -1);
}

TEST_F(ResultViewTest, SelectionMovesWithTheEntries) {
  FillThreeSets();  // delta Alpha echo bravo Charlie foxtrot golf
  model.SetSelected(RowOf("delta"), true);
  model.SetSelected(RowOf("golf"), true);
  const TResultEntry* delta = list.Item(RowOf("delta"));
  ASSERT_TRUE(model.Regroup(kModeName));  // Alpha bravo Charlie delta echo foxtrot golf
  EXPECT_EQ(model.SelectedCount(), 2);
  EXPECT_TRUE(model.IsSelected(3));
  EXPECT_EQ(list.Item(3), delta);
  EXPECT_TRUE(model.IsSelected(6));
  EXPECT_FALSE(model.IsSelected(0));
  // Rows 0 and 3 changed their state; row 6 was selected before and after.
  EXPECT_EQ(model.MovedSelection(), (std::vector<int32_t>{0, 3}));
}

TEST_F(ResultViewTest, FocusFollowsTheFocusedEntryAtTheSameHeight) {
  FillThreeSets();
  model.SetFocusedRow(RowOf("Charlie"));  // row 4
  view.topRow = 2;
  ASSERT_TRUE(model.Regroup(kModeName));  // Charlie goes to row 2
  EXPECT_EQ(model.FocusedRow(), 2);
  EXPECT_EQ(list.Item(2)->Name, "Charlie");
  EXPECT_EQ(view.topRow, 0);
  const auto calls = host.CallsOf(HostCall::ResultsChanged);
  ASSERT_FALSE(calls.empty());
  EXPECT_NE(calls.back().a, 0);  // brought into sight

  ASSERT_TRUE(model.Regroup(kModeName));  // descending: Charlie goes to row 4
  EXPECT_EQ(model.FocusedRow(), 4);
  EXPECT_EQ(list.Item(4)->Name, "Charlie");
  EXPECT_EQ(view.topRow, 2);
}

TEST_F(ResultViewTest, FocusOnTheFirstRowStaysThere) {
  FillThreeSets();
  model.SetFocusedRow(0);
  ASSERT_TRUE(model.Regroup(kModeSize));
  EXPECT_EQ(model.FocusedRow(), 0);
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

TEST_F(ResultViewTest, RegroupingTellsTheHost) {
  FillThreeSets();
  ASSERT_TRUE(model.Regroup(kModePath));
  EXPECT_EQ(Redraws(), 1u);
  ASSERT_TRUE(model.SortWithinGroups(kModeSize));
  EXPECT_EQ(Redraws(), 2u);
}

// --- cell texts ---------------------------------------------------------------------

TEST_F(ResultViewTest, CellTextsOfAnEntry) {
  platform::SystemTime st;
  st.year = 2004;
  st.month = 3;
  st.day = 18;
  st.hour = 21;
  st.minute = 39;
  st.second = 42;
  platform::FileTime t = 0;
  ASSERT_TRUE(platform::JoinFileTime(st, t));
  AddSet(list, {{"report.doc", 1500, "/home/u/", 0x00ABCDEF, fiflag::kCrcValid, t},
                {"copy.doc", 1500, "/tmp/", 0x12345678, 0, t}});
  EXPECT_EQ(model.CellText(0, 0), "report.doc");
  EXPECT_EQ(model.CellText(0, 1), "/home/u/");
  EXPECT_EQ(model.CellText(0, 2), "1500 B");
  EXPECT_EQ(model.CellText(0, 3), platform::DateTimeText(t, false));
  EXPECT_EQ(model.CellText(0, 4), "00ABCDEF");
  EXPECT_EQ(model.CellText(1, 4), "");  // no valid CRC32
  view.displaySecs = true;
  EXPECT_EQ(model.CellText(0, 3), platform::DateTimeText(t, true));
  EXPECT_NE(model.CellText(0, 3), platform::DateTimeText(t, false));
#ifndef _WIN32
  EXPECT_EQ(model.CellText(0, 3), "2004-03-18 21:39:42");
#endif
  EXPECT_EQ(model.CellText(2, 0), "");
  EXPECT_EQ(model.CellText(-1, 0), "");
  EXPECT_EQ(model.CellText(0, 5), "");
}

TEST_F(ResultViewTest, SizeTextInEveryUnit) {
  Strings().Reset();
  view.sizeUnit = 0;
  EXPECT_EQ(model.SizeText(5 * GiB), "5368709120 B");
  view.sizeUnit = 1;
  EXPECT_EQ(model.SizeText(1500), "1 kB");
  EXPECT_EQ(model.SizeText(1023), "0 kB");
  view.sizeUnit = 2;
  EXPECT_EQ(model.SizeText(5 * GiB), "5120 MB");
  view.sizeUnit = 3;
  EXPECT_EQ(model.SizeText(5 * GiB), "5 GB");
  view.sizeUnit = 4;
  EXPECT_EQ(model.SizeText(5 * GiB), "0 TB");
  EXPECT_EQ(model.SizeText(4 * GiB - 1), "0 TB");
  EXPECT_EQ(model.SizeText(3 * 1024 * GiB), "3 TB");
  view.sizeUnit = 5;
  EXPECT_EQ(model.SizeText(5 * GiB), "0 PB");
  view.sizeUnit = 6;
  EXPECT_EQ(model.SizeText(UINT64_MAX), "15 EB");
  EXPECT_EQ(model.SizeText(100), "0 EB");
}

TEST_F(ResultViewTest, BestFittingUnitUsesTheShellFormatterFromOneKilobyte) {
  ASSERT_TRUE(platform::HaveByteSizeFormatter());
  EXPECT_EQ(model.SizeUnitCount(), 8);
  model.SetSizeUnit(7);
  EXPECT_EQ(view.sizeUnit, 7);
  EXPECT_EQ(model.SizeText(0), "0 B");
  EXPECT_EQ(model.SizeText(1023), "1023 B");
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
  EXPECT_TRUE(view.displaySecs);
  EXPECT_TRUE(view.altPathShortening);
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
  AddSet(list, {{"a", 1, "/home/user/projects/zw/"}, {"b", 1, "/x/"}});
  FixedFitter fitter;
  EXPECT_EQ(model.PathCellText(0, 100, fitter), "/home/user/projects/zw/");  // option off
  EXPECT_TRUE(fitter.widths.empty());
  view.altPathShortening = true;
  const std::string text = model.PathCellText(0, 146, fitter);
  ASSERT_EQ(fitter.widths.size(), 1u);
  EXPECT_EQ(fitter.widths[0], 146 - 6 - 30 - 7);  // 103
  EXPECT_EQ(text, "/ho...cts/zw/");
  // A path shorter than four characters is never shortened.
  EXPECT_EQ(model.PathCellText(1, 1, fitter), "/x/");
  EXPECT_EQ(fitter.widths.size(), 1u);
}

TEST_F(ResultViewTest, RowKindsAndCheckIcons) {
  AddSet(list, {{"a"}, {"b"}, {"zipped", 100, "/d/x.zip/", 0, fiflag::kInArchive | fiflag::kInZip}});
  AddSet(list, {{"c"}, {"d", 100, "/d/cat.zwc/", 0, fiflag::kInArchive}});
  list.Check(list.Item(1));
  list.Check(list.Item(3));
  list.Check(list.Item(2));  // archive entries cannot be checked
  EXPECT_EQ(model.RowKind(0), kRowDark);
  EXPECT_EQ(model.RowKind(1), kRowDarkChecked);
  EXPECT_EQ(model.RowKind(3), kRowLightChecked);
  EXPECT_EQ(model.RowKind(4), kRowLight);
  EXPECT_EQ(model.CheckIcon(0), 3);
  EXPECT_EQ(model.CheckIcon(1), 4);
  EXPECT_EQ(model.CheckIcon(2), kIconBookDark);
  EXPECT_EQ(model.CheckIcon(3), 2);
  EXPECT_EQ(model.CheckIcon(4), kIconBookLight);
  EXPECT_EQ(model.CheckIcon(5), 0);
  EXPECT_EQ(model.RowKind(5), -1);
}

// --- colours ---------------------------------------------------------------------

TEST(RowColors, DefaultsDeriveFromTheWindowColour) {
  EXPECT_EQ(DefaultRowColor(kRowLight, 0xFFFFFF), 0xFFFFFFu);
  EXPECT_EQ(DefaultRowColor(kRowLightChecked, 0xFFFFFF), 0xFFFFFFu);
  EXPECT_EQ(DefaultRowColor(kRowDark, 0xFFFFFF), 0xEEEEEEu);
  EXPECT_EQ(DefaultRowColor(kRowDarkChecked, 0xFFFFFF), 0xEEEEEEu);
  // Channels below 17 are not lowered.
  EXPECT_EQ(DefaultRowColor(kRowDark, 0x10FF80), 0x10EE6Fu);
  // A dark window: every channel below 222 is raised by 34.
  EXPECT_EQ(DefaultRowColor(kRowDark, 0x202020), 0x424242u);
  EXPECT_EQ(DefaultRowColor(kRowDark, 0x1E5A64), 0x407C86u);  // R 100, G 90, B 30: sum 220
  EXPECT_EQ(DefaultRowColor(kRowDark, 0x1F5A64), 0x0E4953u);  // sum 221: lowered
  EXPECT_EQ(DefaultRowColor(kRowDark, 0x9B0000), 0xBD2222u);  // blue 155 still dark
  EXPECT_EQ(DefaultRowColor(kRowDark, 0x9C0000), 0x8B0000u);  // blue 156 is not
  // Not dark: green of 91 is too light.
  EXPECT_EQ(DefaultRowColor(kRowDark, 0x005B00), 0x004A00u);
}

TEST(RowColors, LuminanceAndTextColour) {
  EXPECT_EQ(Luminance(0x000000), 16);
  EXPECT_EQ(Luminance(0xFFFFFF), 235);
  EXPECT_EQ(Luminance(0x0000FF), ((66 * 255) >> 8) + 16);  // red
  EXPECT_EQ(Luminance(0xFF0000), ((25 * 255) >> 8) + 16);  // blue
  // Black window text on white: far enough apart, the window text stays.
  EXPECT_EQ(TextColorOn(0xFFFFFF, 0x000000), 0x000000u);
  EXPECT_EQ(TextColorOn(0x000000, 0xFFFFFF), 0xFFFFFFu);
  // Black text on navy (Y 28): too close, white on the dark background.
  EXPECT_EQ(TextColorOn(0x800000, 0x000000), 0xFFFFFFu);
  // White text on silver (Y 180 vs 235): too close, black on the light one.
  EXPECT_EQ(TextColorOn(0xC0C0C0, 0xFFFFFF), 0x000000u);
  // A blue window text (Y 40) on yellow (Y 210): differs by more than 85.
  EXPECT_EQ(TextColorOn(0x00FFFF, 0xFF0000), 0xFF0000u);
}

TEST(ColorItems, NamesAndValues) {
  const auto& items = ColorItems();
  EXPECT_EQ(items[kColorItemDefault].name, sclDefault);
  EXPECT_EQ(items[kColorItemCustom].name, sclCustom);
  EXPECT_EQ(items[3].name, sclMaroon);
  EXPECT_EQ(items[3].value, 0x000080u);
  EXPECT_EQ(items[6].value, 0x800000u);  // navy
  EXPECT_EQ(items[19].name, sclWhite);
  EXPECT_EQ(Str(items[17].name), "light gray");
}

TEST(ColorItems, SameValuesSelectTheFirstNamedItem) {
  const auto& items = ColorItems();
  EXPECT_EQ(items[17].value, items[10].value);  // light gray = silver
  EXPECT_EQ(ColorItemFor(0xC0C0C0), 10);
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
}

TEST_F(ResultViewTest, CustomColourSelectsANamedItemWithTheSameValue) {
  model.SetSystemColors(0xFFFFFF, 0x000000);
  EXPECT_EQ(model.LastCustomColor(kRowDark), 0xEEEEEEu);  // at first the default
  EXPECT_EQ(model.ChooseCustomColor(kRowDark, 0x008000), 4);  // green
  EXPECT_EQ(model.ChooseCustomColor(kRowLight, 0x123456), kColorItemCustom);
  EXPECT_EQ(view.colors[kRowLight], 0x123456u);
  EXPECT_EQ(model.LastCustomColor(kRowLight), 0x123456u);
  EXPECT_EQ(model.LastCustomColor(kRowDark), 0x008000u);
  EXPECT_EQ(model.ColorItemOf(kRowLight), kColorItemCustom);
  EXPECT_EQ(model.RowTextColor(kRowLight), TextColorOn(0x123456, 0x000000));

  const auto slots = model.CustomColorSlots(kRowLight);
  EXPECT_EQ(slots[0], "ColorA=123456");
  EXPECT_EQ(slots[1], "ColorB=123456");
  EXPECT_EQ(slots[2], "ColorC=ffffff");
  model.ChooseColorItem(kRowLight, 3);  // maroon
  EXPECT_EQ(model.CustomColorSlots(kRowLight)[0], "ColorA=080");
}

TEST_F(ResultViewTest, DarkWindowGivesLighterDarkRowsAndLightText) {
  model.SetSystemColors(0x202020, 0xFFFFFF);
  EXPECT_EQ(model.RowBackground(kRowLight), 0x202020u);
  EXPECT_EQ(model.RowBackground(kRowDark), 0x424242u);
  EXPECT_EQ(model.RowTextColor(kRowDark), 0xFFFFFFu);
}

// --- type-ahead --------------------------------------------------------------------

TEST_F(ResultViewTest, TypeAheadFindsPrefixesIgnoringCase) {
  AddSet(list, {{"alpha"}, {"Beta"}, {"bet"}, {"gamma"}, {"be"}});
  EXPECT_EQ(model.FindPrefix(0, "BET", false), 1);
  EXPECT_EQ(model.FindPrefix(2, "bet", false), 2);
  EXPECT_EQ(model.FindPrefix(3, "bet", false), -1);  // "be" is shorter than the text
  EXPECT_EQ(model.FindPrefix(3, "bet", true), 1);     // wraps to the top once
  EXPECT_EQ(model.FindPrefix(3, "al", true), 0);
  EXPECT_EQ(model.FindPrefix(3, "zulu", true), -1);
  EXPECT_EQ(model.FindPrefix(99, "gam", false), 3);  // out of range starts at row 0
  EXPECT_EQ(model.FindPrefix(-1, "alp", false), 0);
}

TEST_F(ResultViewTest, TypeAheadOnAnEmptyListFindsNothing) {
  EXPECT_EQ(model.FindPrefix(0, "a", true), -1);
}

// --- selection ---------------------------------------------------------------------

TEST_F(ResultViewTest, SelectionIsStoredInTheEntries) {
  FillThreeSets();
  model.SetRangeSelected(5, 2, true);  // either order
  EXPECT_EQ(model.SelectedCount(), 4);
  for (int32_t i = 2; i <= 5; ++i) EXPECT_TRUE(list.Item(i)->Flags & reflag::kSelected) << i;
  EXPECT_FALSE(model.IsSelected(1));
  model.SetSelected(3, false);
  EXPECT_FALSE(model.IsSelected(3));
  model.SetRangeSelected(-5, 100, true);  // clipped
  EXPECT_EQ(model.SelectedCount(), 7);
  model.SetAllSelected(false);
  EXPECT_EQ(model.SelectedCount(), 0);
  model.SetSelected(42, true);  // no such row
  EXPECT_EQ(model.SelectedCount(), 0);
  EXPECT_FALSE(model.IsSelected(42));
}

TEST_F(ResultViewTest, FocusedGroupRowsAreTheRunOfEqualShading) {
  FillThreeSets();
  EXPECT_TRUE(model.FocusedGroupRows().empty());
  model.SetFocusedRow(3);
  EXPECT_EQ(model.FocusedGroupRows(), (std::vector<int32_t>{2, 3, 4}));
  model.SetFocusedRow(6);
  EXPECT_EQ(model.FocusedGroupRows(), (std::vector<int32_t>{5, 6}));
}

// --- context menu ------------------------------------------------------------------

TEST_F(ResultViewTest, MenuOnAnOrdinaryEntry) {
  AddSet(list, {{"plain"}, {"zipped", 100, "/d/a.zip/", 0, fiflag::kInArchive | fiflag::kInZip},
                {"listed", 100, "/d/c.zwc/", 0, fiflag::kInArchive},
                {"summed", 100, "/d/", 7, fiflag::kCrcValid}});
  TListMenuState s = model.MenuState(0, false);
  EXPECT_TRUE(s.launchFile && s.openDirGroup && s.rename && s.openDir);
  EXPECT_FALSE(s.calcCrcVisible);
  EXPECT_FALSE(s.copySelected || s.exportSelected);
  EXPECT_TRUE(s.exportAll && s.createCatfile && s.import && s.displayOptions);

  s = model.MenuState(1, false);  // inside a ZIP archive
  EXPECT_FALSE(s.launchFile || s.openDirGroup || s.rename);
  EXPECT_TRUE(s.openDir);
  s = model.MenuState(2, false);  // inside a catalog
  EXPECT_FALSE(s.launchFile || s.openDir);
}

TEST_F(ResultViewTest, MenuCalcCrcNeedsShiftASelectionAndNoCrc) {
  AddSet(list, {{"plain"}, {"summed", 100, "/d/", 7, fiflag::kCrcValid}});
  EXPECT_FALSE(model.MenuState(0, true).calcCrc);  // nothing selected
  EXPECT_TRUE(model.MenuState(0, true).calcCrcVisible);
  model.SetSelected(1, true);
  EXPECT_TRUE(model.MenuState(0, true).calcCrc);
  EXPECT_FALSE(model.MenuState(0, false).calcCrc);
  EXPECT_FALSE(model.MenuState(1, true).calcCrc);  // already has its CRC32
  const TListMenuState s = model.MenuState(-1, true);
  EXPECT_FALSE(s.calcCrc || s.launchFile || s.openDir);
  EXPECT_TRUE(s.copySelected && s.exportSelected && s.exportAll);
}

TEST_F(ResultViewTest, MenuOnAnEmptyList) {
  const TListMenuState s = model.MenuState(-1, false);
  EXPECT_FALSE(s.exportAll || s.createCatfile || s.copySelected || s.launchFile);
  EXPECT_TRUE(s.import && s.displayOptions);
  EXPECT_TRUE(model.ShowsPlaceholder(false));
  EXPECT_FALSE(model.ShowsPlaceholder(true));
}

}  // namespace
}  // namespace zw
