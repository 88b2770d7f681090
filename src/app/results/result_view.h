// The model behind the result list view: cell texts, check icons, row
// colours, grouping and sorting, type-ahead, selection and the context
// menu's enabled items. It works on the entries of a TResultList and the
// display options of the window model; the window only draws what it says.
#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "app/host.h"
#include "app/window_model.h"
#include "engine/common/text_ids.h"
#include "engine/dupes/result_list.h"

namespace zw {

// Compares two entries by a grouping/sort mode (mode & 0x7F): 0 file name
// (ignoring case, user's locale), 1 path (the same), 2 size, 3 last-write
// time, 4 CRC32, 5 set index, 6 length of the name, 7 length of the path.
// The 0x80 bit reverses. Returns < 0, 0 or > 0.
int CompareEntries(const TResultEntry& a, const TResultEntry& b, uint8_t mode);

// Recomputes the shading along the list: the first entry is shaded and the
// shading flips wherever an entry's key (by `groupingMode`) differs from its
// predecessor's.
void ReshadeByGrouping(TResultList& list, uint8_t groupingMode);

// Grouping and sort modes (the radio buttons' tags); kModeDescending reverses.
enum : uint8_t {
  kModeName = 0,
  kModePath = 1,
  kModeSize = 2,
  kModeDate = 3,
  kModeCrc = 4,
  kModeDupeSets = 5,
  kModeNameLength = 6,
  kModePathLength = 7,
  kModeDescending = 0x80,
};

// The radio button (its tag 0..5) that shows a mode: the length modes show
// on "filename" and "path".
int RadioForMode(uint8_t mode);
// The mode of a column click (0 Filename .. 4 CRC32); with Shift the
// Filename and Path columns give the length modes. -1 for other columns.
int ModeForColumn(int column, bool shift);

// Row kinds (entry flags & 3) and the check icons of the state image list.
enum : int { kRowLight = 0, kRowLightChecked = 1, kRowDark = 2, kRowDarkChecked = 3 };
// Ordinary entries show icon 1 + row kind (1 light, 2 light checked, 3 dark,
// 4 dark checked); entries inside an archive or catalog file show the book
// icon of their shade, never a check mark.
constexpr int kIconBookLight = 5;
constexpr int kIconBookDark = 6;

// --- colours (0x00BBGGRR) ---------------------------------------------------

// The default background of a row kind on a window of colour `window`:
// light kinds the window colour itself, dark kinds the window colour
// shifted (a dark window is lightened by 34, a light one darkened by 17).
uint32_t DefaultRowColor(int rowKind, uint32_t window);
// Y = ((66 R + 129 G + 25 B) >> 8) + 16.
int Luminance(uint32_t color);
// The text colour on `background`: the window text colour when its
// luminance differs from the background's by more than 85, else white on
// dark and black on light backgrounds.
uint32_t TextColorOn(uint32_t background, uint32_t windowText);

// The items of the four colour combos: 0 "default", 1 "custom...", then the
// named colours.
struct TColorItem {
  TStrID name;
  uint32_t value;  // meaningless for "default" and "custom..."
};
constexpr int kColorItemDefault = 0;
constexpr int kColorItemCustom = 1;
const std::array<TColorItem, 20>& ColorItems();
// The combo item that shows a stored colour: "default" for the default
// marker, the first named item with that value, otherwise "custom...".
int ColorItemFor(uint32_t stored);

// --- the model ----------------------------------------------------------------

// Which context menu items are enabled (and whether "calculate CRC32" is
// shown at all) for a right click on a row (-1: no row).
struct TListMenuState {
  bool launchFile = false;    // popLaunchFile
  bool openDirGroup = false;  // popOpenDirGroup
  bool rename = false;        // popRename
  bool openDir = false;       // popOpenDir
  bool calcCrcVisible = false;
  bool calcCrc = false;         // popCalcCRC
  bool copySelected = false;    // popCopySelected
  bool exportSelected = false;  // popExportSelected
  bool exportAll = false;       // popExportAll
  bool createCatfile = false;   // popCreateCatfile
  bool import = true;           // popImport
  bool displayOptions = true;   // size unit, seconds, path shortening, colours, font
};

// What the path column's fitting needs from the screen: text widths in
// pixels and the system's path ellipsis (shortening in the middle of a path
// to fit a width).
class ITextFitter {
 public:
  virtual ~ITextFitter() = default;
  virtual int TextWidth(std::string_view text) const = 0;
  virtual std::string PathEllipsis(std::string_view path, int width) const = 0;
};

// The model of ListView1. Every operation takes the result list's lock, so
// the window may ask while a worker fills the list.
class TResultListModel {
 public:
  static constexpr int kColumns = 5;  // Filename, Path, Size, Date, CRC32

  TResultListModel(TResultList& list, TResultViewModel& view, IHost* host);

  TResultList& List() { return list_; }
  int32_t RowCount() const;

  // --- what a row shows ---
  // Text of a cell (column 0..4); empty for a row or column out of range.
  std::string CellText(int32_t row, int column) const;
  // The path cell while painting: with alternative path shortening on and a
  // path of at least 4 characters, the first three stay and the rest is
  // fitted into the column width minus 6 minus their width minus 7 pixels.
  std::string PathCellText(int32_t row, int columnWidth, const ITextFitter& fitter) const;
  // The Size column's text of a byte count under the current unit.
  std::string SizeText(uint64_t size) const;
  int RowKind(int32_t row) const;     // -1 out of range
  int CheckIcon(int32_t row) const;   // 0 out of range
  bool IsSelected(int32_t row) const;
  // The list paints its placeholder text instead of rows.
  bool ShowsPlaceholder(bool busy) const { return RowCount() == 0 && !busy; }

  // --- display options (each repaints) ---
  // 0 bytes .. 6 Ebytes, 7 best fitting (only while the shell formatter
  // exists); other values are ignored.
  void SetSizeUnit(uint8_t unit);
  int SizeUnitCount() const;  // 7, or 8 with the best fitting unit
  void SetDisplaySecs(bool on);
  void SetAltPathShortening(bool on);

  // --- colours ---
  // The system's window and window text colours (the defaults derive from them).
  void SetSystemColors(uint32_t window, uint32_t windowText);
  uint32_t RowBackground(int rowKind) const;
  uint32_t RowTextColor(int rowKind) const;
  // Checking or unchecking a row of this shade changes more than its icon.
  bool CheckChangeRepaintsRow(bool shaded) const;
  // A pick in the colour combo of a row kind: "default" or a named colour
  // is stored at once (returns true); "custom..." returns false and the
  // caller opens the colour dialog.
  bool ChooseColorItem(int rowKind, int item);
  // The colour dialog's OK: stores the colour and remembers it as the last
  // custom colour; returns the combo item to select.
  int ChooseCustomColor(int rowKind, uint32_t color);
  // The colour the dialog starts at and "custom..." shows: the last custom
  // colour; before any, a stored colour that no named item has, else the
  // row kind's default.
  uint32_t LastCustomColor(int rowKind) const;
  // The dialog's custom-colour slots: "ColorA=..." the current colour,
  // "ColorB=..." the last custom colour, "ColorC=..." the default colour.
  std::array<std::string, 3> CustomColorSlots(int rowKind) const;
  // The combo item that shows the row kind's colour now.
  int ColorItemOf(int rowKind) const;

  // --- grouping and sorting ---
  // Regroups the whole list by `mode` (the radio's tag; Shift gives 6/7,
  // a right click adds kModeDescending). Nothing with fewer than two
  // entries; CRC32 (4) is refused unless CRC32 values are available. A
  // second click on the same mode reverses it. Returns whether it regrouped.
  bool Regroup(uint8_t mode);
  // Sorts each group (run of equal shading) by itself; the groups stay.
  bool SortWithinGroups(uint8_t mode);
  // Rows whose selection the last Regroup/SortWithinGroups changed (the
  // view sets their state from IsSelected).
  const std::vector<int32_t>& MovedSelection() const { return movedSelection_; }

  // --- type-ahead ---
  // The first row from `startRow` (0 when out of range) whose file name
  // begins with `text`, ignoring case; with `wrap` the search continues
  // from row 0 up to the start row. -1 when none.
  int32_t FindPrefix(int32_t startRow, std::string_view text, bool wrap) const;

  // --- selection and focus (entry flag 0x04) ---
  // Ignored while the list is being re-sorted.
  void SetSelected(int32_t row, bool selected);
  void SetAllSelected(bool selected);
  // Rows from..to inclusive (either order), clipped to the list.
  void SetRangeSelected(int32_t from, int32_t to, bool selected);
  int32_t SelectedCount() const;
  void SetFocusedRow(int32_t row);
  int32_t FocusedRow() const { return view_.focused; }
  // The rows of the focused entry's group (Ctrl+G), empty without focus.
  std::vector<int32_t> FocusedGroupRows() const;

  // --- context menu ---
  TListMenuState MenuState(int32_t row, bool shiftHeld) const;

 private:
  const TResultEntry* Entry(int32_t row) const;
  // The common part of Regroup and SortWithinGroups; `regroup` chooses
  // between the two ways of reordering.
  bool Reorder(uint8_t mode, bool regroup);
  void Changed(bool scrollToFocus = false);

  TResultList& list_;
  TResultViewModel& view_;
  IHost* host_;
  uint32_t windowColor_ = 0xFFFFFF;
  uint32_t windowTextColor_ = 0x000000;
  std::array<uint32_t, 4> lastCustom_;
  std::array<bool, 4> haveCustom_{};
  bool reordering_ = false;
  std::vector<int32_t> movedSelection_;
};

}  // namespace zw
