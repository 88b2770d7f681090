#include "app/results/result_view.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>

#include "app/text/string_table.h"
#include "platform/locale.h"
#include "app/text_ids.h"

namespace zw {
namespace {

template <typename T>
int Order(T a, T b) {
  return a < b ? -1 : b < a ? 1 : 0;
}

int Red(uint32_t c) { return static_cast<int>(c & 0xFF); }
int Green(uint32_t c) { return static_cast<int>((c >> 8) & 0xFF); }
int Blue(uint32_t c) { return static_cast<int>((c >> 16) & 0xFF); }
uint32_t Rgb(int r, int g, int b) {
  return static_cast<uint32_t>(r) | (static_cast<uint32_t>(g) << 8) |
         (static_cast<uint32_t>(b) << 16);
}

bool ValidKind(int rowKind) { return rowKind >= 0 && rowKind < 4; }

}  // namespace

// --- comparison and shading ---------------------------------------------------

int CompareEntries(const TResultEntry& a, const TResultEntry& b, uint8_t mode) {
  int r = 0;
  switch (mode & 0x7F) {
    case kModeName: r = platform::CompareTextNoCase(a.Name, b.Name); break;
    case kModePath: r = platform::CompareTextNoCase(a.Path, b.Path); break;
    case kModeSize: r = Order(a.Size, b.Size); break;
    case kModeDate: r = Order(a.Time, b.Time); break;
    case kModeCrc: r = Order(a.Crc, b.Crc); break;
    case kModeDupeSets: r = Order(a.Set, b.Set); break;
    case kModeNameLength: r = Order(a.Name.size(), b.Name.size()); break;
    case kModePathLength: r = Order(a.Path.size(), b.Path.size()); break;
    default: r = 0; break;
  }
  return (mode & kModeDescending) != 0 ? -r : r;
}

void ReshadeByGrouping(TResultList& list, uint8_t groupingMode) {
  const uint8_t key = groupingMode & 0x7F;
  list.Reshade([key](const TResultEntry& prev, const TResultEntry& e) {
    return CompareEntries(prev, e, key) == 0;
  });
}

int RadioForMode(uint8_t mode) {
  const int m = mode & 0x7F;
  if (m == kModeNameLength) return kModeName;
  if (m == kModePathLength) return kModePath;
  return m <= kModeDupeSets ? m : -1;
}

int ModeForColumn(int column, bool shift) {
  if (column < 0 || column > 4) return -1;
  if (shift && column == 0) return kModeNameLength;
  if (shift && column == 1) return kModePathLength;
  return column;
}

// --- colours ------------------------------------------------------------------

uint32_t DefaultRowColor(int rowKind, uint32_t window) {
  window &= 0xFFFFFF;
  if (rowKind == kRowLight || rowKind == kRowLightChecked) return window;
  int r = Red(window), g = Green(window), b = Blue(window);
  if (r + g + b < 221 && r < 101 && g < 91 && b < 156) {
    // A dark window: the dark rows are a little lighter.
    if (r < 222) r += 34;
    if (g < 222) g += 34;
    if (b < 222) b += 34;
  } else {
    if (r >= 17) r -= 17;
    if (g >= 17) g -= 17;
    if (b >= 17) b -= 17;
  }
  return Rgb(r, g, b);
}

int Luminance(uint32_t color) {
  return ((66 * Red(color) + 129 * Green(color) + 25 * Blue(color)) >> 8) + 16;
}

uint32_t TextColorOn(uint32_t background, uint32_t windowText) {
  const int yb = Luminance(background);
  const int yt = Luminance(windowText);
  if (std::abs(yb - yt) > 85) return windowText;
  return yb < 128 ? 0xFFFFFF : 0x000000;
}

const std::array<TColorItem, 20>& ColorItems() {
  static const std::array<TColorItem, 20> items = {{
      {sclDefault, 0},           {sclCustom, 0},
      {sclBlack, 0x000000},      {sclMaroon, 0x000080},
      {sclGreen, 0x008000},      {sclOlive, 0x008080},
      {sclNavy, 0x800000},       {sclPurple, 0x800080},
      {sclTeal, 0x808000},       {sclGray, 0x808080},
      {sclSilver, 0xC0C0C0},     {sclRed, 0x0000FF},
      {sclLime, 0x00FF00},       {sclYellow, 0x00FFFF},
      {sclBlue, 0xFF0000},       {sclFuchsia, 0xFF00FF},
      {sclAqua, 0xFFFF00},       {sclLightGray, 0xC0C0C0},
      {sclDarkGray, 0x808080},   {sclWhite, 0xFFFFFF},
  }};
  return items;
}

int ColorItemFor(uint32_t stored) {
  if (stored == TResultViewModel::kDefaultColor) return kColorItemDefault;
  const auto& items = ColorItems();
  for (size_t i = 2; i < items.size(); ++i)
    if (items[i].value == stored) return static_cast<int>(i);
  return kColorItemCustom;
}

// --- the model ----------------------------------------------------------------

TResultListModel::TResultListModel(TResultList& list, TResultViewModel& view, IHost* host)
    : list_(list), view_(view), host_(host) {
  lastCustom_.fill(0);
}

const TResultEntry* TResultListModel::Entry(int32_t row) const {
  return list_.Item(row);  // null when out of range
}

int32_t TResultListModel::RowCount() const { return list_.ItemCount(); }

void TResultListModel::Changed(bool scrollToFocus) {
  if (host_) host_->ResultsChanged(scrollToFocus, false);
}

std::string TResultListModel::SizeText(uint64_t size) const {
  char buf[64];
  const int unit = view_.sizeUnit;
  if (unit == 0 || (unit == 7 && size < 1024)) {
    std::snprintf(buf, sizeof buf, "%" PRIu64 " B", size);
    return buf;
  }
  if (unit == 7) return platform::ByteSizeText(size);
  if (unit > 7) return std::string();
  std::snprintf(buf, sizeof buf, "%" PRIu64 " %s", size >> (10 * unit),
                Strings().UnitShortName(unit).c_str());
  return buf;
}

std::string TResultListModel::CellText(int32_t row, int column) const {
  TResultList::TGuard guard(list_);
  const TResultEntry* e = Entry(row);
  if (!e) return std::string();
  switch (column) {
    case 0: return e->Name.str();
    case 1: return e->Path;
    case 2: return SizeText(e->Size);
    case 3: return platform::DateTimeText(e->Time, view_.displaySecs);
    case 4: {
      if ((e->Flags & reflag::kCrcValid) == 0) return std::string();
      char buf[16];
      std::snprintf(buf, sizeof buf, "%.8lX", static_cast<unsigned long>(e->Crc));
      return buf;
    }
    default: return std::string();
  }
}

std::string TResultListModel::PathCellText(int32_t row, int columnWidth,
                                           const ITextFitter& fitter) const {
  TResultList::TGuard guard(list_);
  const TResultEntry* e = Entry(row);
  if (!e) return std::string();
  if (!view_.altPathShortening || e->Path.size() < 4) return e->Path;
  const std::string_view path = e->Path;
  const std::string_view head = path.substr(0, 3);
  const int width = columnWidth - 6 - fitter.TextWidth(head) - 7;
  return std::string(head) + fitter.PathEllipsis(path.substr(3), width);
}

int TResultListModel::RowKind(int32_t row) const {
  TResultList::TGuard guard(list_);
  const TResultEntry* e = Entry(row);
  return e ? (e->Flags & 3) : -1;
}

int TResultListModel::CheckIcon(int32_t row) const {
  TResultList::TGuard guard(list_);
  const TResultEntry* e = Entry(row);
  if (!e) return 0;
  if (e->InArchive()) return (e->Flags & reflag::kShaded) ? kIconBookDark : kIconBookLight;
  return 1 + (e->Flags & 3);
}

bool TResultListModel::IsSelected(int32_t row) const {
  TResultList::TGuard guard(list_);
  const TResultEntry* e = Entry(row);
  return e && (e->Flags & reflag::kSelected) != 0;
}

// --- display options ---

void TResultListModel::SetSizeUnit(uint8_t unit) {
  if (unit >= SizeUnitCount()) return;
  view_.sizeUnit = unit;
  Changed();
}

int TResultListModel::SizeUnitCount() const {
  return platform::HaveByteSizeFormatter() ? 8 : 7;
}

void TResultListModel::SetDisplaySecs(bool on) {
  view_.displaySecs = on;
  Changed();
}

void TResultListModel::SetAltPathShortening(bool on) {
  view_.altPathShortening = on;
  Changed();
}

// --- colours ---

void TResultListModel::SetSystemColors(uint32_t window, uint32_t windowText) {
  windowColor_ = window & 0xFFFFFF;
  windowTextColor_ = windowText & 0xFFFFFF;
}

uint32_t TResultListModel::RowBackground(int rowKind) const {
  if (!ValidKind(rowKind)) return windowColor_;
  const uint32_t stored = view_.colors[rowKind];
  return stored == TResultViewModel::kDefaultColor ? DefaultRowColor(rowKind, windowColor_)
                                                   : stored & 0xFFFFFF;
}

uint32_t TResultListModel::RowTextColor(int rowKind) const {
  return TextColorOn(RowBackground(rowKind), windowTextColor_);
}

bool TResultListModel::CheckChangeRepaintsRow(bool shaded) const {
  const int unchecked = shaded ? kRowDark : kRowLight;
  return RowBackground(unchecked) != RowBackground(unchecked + 1);
}

bool TResultListModel::ChooseColorItem(int rowKind, int item) {
  const auto& items = ColorItems();
  if (!ValidKind(rowKind) || item < 0 || item >= static_cast<int>(items.size())) return false;
  if (item == kColorItemCustom) return false;
  view_.colors[rowKind] =
      item == kColorItemDefault ? TResultViewModel::kDefaultColor : items[item].value;
  Changed();
  return true;
}

int TResultListModel::ChooseCustomColor(int rowKind, uint32_t color) {
  if (!ValidKind(rowKind)) return kColorItemCustom;
  color &= 0xFFFFFF;
  view_.colors[rowKind] = color;
  lastCustom_[rowKind] = color;
  haveCustom_[rowKind] = true;
  Changed();
  return ColorItemFor(color);
}

uint32_t TResultListModel::LastCustomColor(int rowKind) const {
  if (!ValidKind(rowKind)) return windowColor_;
  if (haveCustom_[rowKind]) return lastCustom_[rowKind];
  // A stored colour that no named item has was a custom colour of an
  // earlier run: "custom..." holds it.
  const uint32_t stored = view_.colors[rowKind];
  if (ColorItemFor(stored) == kColorItemCustom) return stored & 0xFFFFFF;
  return DefaultRowColor(rowKind, windowColor_);
}

std::array<std::string, 3> TResultListModel::CustomColorSlots(int rowKind) const {
  char a[32], b[32], c[32];
  std::snprintf(a, sizeof a, "ColorA=%.*x", 3, static_cast<unsigned>(RowBackground(rowKind)));
  std::snprintf(b, sizeof b, "ColorB=%.*x", 3, static_cast<unsigned>(LastCustomColor(rowKind)));
  std::snprintf(c, sizeof c, "ColorC=%.*x", 3,
                static_cast<unsigned>(DefaultRowColor(rowKind, windowColor_)));
  return {a, b, c};
}

int TResultListModel::ColorItemOf(int rowKind) const {
  if (!ValidKind(rowKind)) return kColorItemDefault;
  return ColorItemFor(view_.colors[rowKind]);
}

// --- grouping and sorting ---

bool TResultListModel::Regroup(uint8_t mode) { return Reorder(mode, true); }

bool TResultListModel::SortWithinGroups(uint8_t mode) { return Reorder(mode, false); }

bool TResultListModel::Reorder(uint8_t mode, bool regroup) {
  TResultList::TGuard guard(list_);
  movedSelection_.clear();
  const int32_t n = list_.ItemCount();
  if (n < 2) return false;
  if (mode == kModeCrc && !view_.crcAvailable) return false;

  // Remember the selection by row and the focused entry.
  std::vector<bool> selectedBefore(static_cast<size_t>(n));
  for (int32_t i = 0; i < n; ++i)
    selectedBefore[i] = (list_.Item(i)->Flags & reflag::kSelected) != 0;
  const int32_t focusedRow = view_.focused;
  const TResultEntry* focusedEntry = focusedRow >= 0 ? list_.Item(focusedRow) : nullptr;

  reordering_ = true;
  // A second click on the same mode reverses it.
  uint8_t order = list_.CurrentOrder();
  if ((mode & kModeDescending) == 0 && mode == (order & 0x7F))
    order ^= kModeDescending;
  else
    order = mode;
  list_.SetCurrentOrder(order);

  const auto less = [order](const TResultEntry* a, const TResultEntry* b) {
    return CompareEntries(*a, *b, order) < 0;
  };
  std::span<TResultEntry*> items = list_.MutableItems();
  if (regroup) {
    list_.SetGroupingMode(order & 0x3F);
    if (order == kModeDupeSets) {
      list_.OrderBySets();
    } else {
      std::stable_sort(items.begin(), items.end(), less);
      ReshadeByGrouping(list_, list_.GroupingMode());
    }
  } else {
    // Each run of equal shading is one group; it is sorted where it stands.
    size_t start = 0;
    while (start < items.size()) {
      const uint8_t shade = items[start]->Flags & reflag::kShaded;
      size_t end = start + 1;
      while (end < items.size() && (items[end]->Flags & reflag::kShaded) == shade) ++end;
      std::stable_sort(items.begin() + static_cast<std::ptrdiff_t>(start),
                       items.begin() + static_cast<std::ptrdiff_t>(end), less);
      start = end;
    }
  }

  // The selection moves with the entries: rows whose state changed.
  const int32_t count = list_.ItemCount();
  for (int32_t i = 0; i < count; ++i) {
    const bool now = (list_.Item(i)->Flags & reflag::kSelected) != 0;
    if (i >= n || now != selectedBefore[i]) movedSelection_.push_back(i);
  }
  // The focused entry keeps the focus, at the same height on screen; a
  // focus on the first row stays on the first row.
  bool scroll = false;
  if (focusedEntry && focusedRow > 0) {
    const int32_t newRow = list_.IndexOf(focusedEntry);
    if (newRow >= 0) {
      view_.topRow = std::max(0, view_.topRow + (newRow - focusedRow));
      view_.focused = newRow;
      scroll = true;
    }
  }
  Changed(scroll);
  reordering_ = false;
  return true;
}

// --- type-ahead ---

int32_t TResultListModel::FindPrefix(int32_t startRow, std::string_view text, bool wrap) const {
  TResultList::TGuard guard(list_);
  const int32_t n = list_.ItemCount();
  if (n == 0) return -1;
  if (startRow < 0 || startRow >= n) startRow = 0;
  const auto matches = [&](int32_t row) {
    const std::string_view name = list_.Item(row)->Name.view();
    if (name.size() < text.size()) return false;
    return platform::CompareTextNoCase(name.substr(0, text.size()), text) == 0;
  };
  for (int32_t i = startRow; i < n; ++i)
    if (matches(i)) return i;
  if (wrap)
    for (int32_t i = 0; i < startRow; ++i)
      if (matches(i)) return i;
  return -1;
}

// --- selection and focus ---

void TResultListModel::SetSelected(int32_t row, bool selected) {
  SetRangeSelected(row, row, selected);
}

void TResultListModel::SetAllSelected(bool selected) {
  TResultList::TGuard guard(list_);
  SetRangeSelected(0, list_.ItemCount() - 1, selected);
}

void TResultListModel::SetRangeSelected(int32_t from, int32_t to, bool selected) {
  TResultList::TGuard guard(list_);
  if (reordering_) return;
  if (from > to) std::swap(from, to);
  from = std::max(from, 0);
  to = std::min(to, list_.ItemCount() - 1);
  for (int32_t i = from; i <= to; ++i) {
    TResultEntry* e = list_.Item(i);
    if (selected)
      e->Flags |= reflag::kSelected;
    else
      e->Flags &= static_cast<uint8_t>(~reflag::kSelected);
  }
}

int32_t TResultListModel::SelectedCount() const {
  TResultList::TGuard guard(list_);
  int32_t count = 0;
  for (const TResultEntry* e : list_.Items())
    if (e->Flags & reflag::kSelected) ++count;
  return count;
}

void TResultListModel::SetFocusedRow(int32_t row) {
  TResultList::TGuard guard(list_);
  view_.focused = row >= 0 && row < list_.ItemCount() ? row : -1;
}

std::vector<int32_t> TResultListModel::FocusedGroupRows() const {
  TResultList::TGuard guard(list_);
  std::vector<int32_t> rows;
  const int32_t n = list_.ItemCount();
  const int32_t f = view_.focused;
  if (f < 0 || f >= n) return rows;
  const uint8_t shade = list_.Item(f)->Flags & reflag::kShaded;
  int32_t first = f, last = f;
  while (first > 0 && (list_.Item(first - 1)->Flags & reflag::kShaded) == shade) --first;
  while (last + 1 < n && (list_.Item(last + 1)->Flags & reflag::kShaded) == shade) ++last;
  for (int32_t i = first; i <= last; ++i) rows.push_back(i);
  return rows;
}

// --- context menu ---

TListMenuState TResultListModel::MenuState(int32_t row, bool shiftHeld) const {
  TResultList::TGuard guard(list_);
  TListMenuState s;
  const TResultEntry* e = Entry(row);
  const bool ordinary = e && !e->InArchive();
  const bool anySelected = SelectedCount() > 0;
  s.launchFile = s.openDirGroup = s.rename = ordinary;
  s.openDir = ordinary || (e && (e->Flags & reflag::kInZip) != 0);
  s.calcCrcVisible = shiftHeld;
  s.calcCrc = shiftHeld && ordinary && (e->Flags & reflag::kCrcValid) == 0 && anySelected;
  s.copySelected = s.exportSelected = anySelected;
  s.exportAll = s.createCatfile = list_.ItemCount() > 0;
  s.import = true;
  s.displayOptions = true;
  return s;
}

}  // namespace zw
