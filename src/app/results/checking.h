// Checking files in the result list: the rules (all, selected, first or last
// of each set, whole set, n-th of a set, by criteria), the check-by-criteria
// dialog as a model, the size and date inputs, the status line text, and the
// keys of the result list that check or move between sets.
//
// A set is a run of neighbouring entries with the same set-shading flag
// (reflag::kShaded); a boundary lies wherever the flag changes. Every rule
// takes the list's lock for its whole run and checks and unchecks through
// TResultList::Check / Uncheck, so the checked count and size stay equal to
// the checked entries, and entries inside an archive or catalog file are
// never checked.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/size_edit.h"
#include "app/window_model.h"
#include "engine/common/messages.h"
#include "engine/dupes/result_list.h"
#include "engine/scan/mask.h"
#include "platform/filetime.h"

namespace zw {

class TStringTable;

// --- rules ------------------------------------------------------------------------

// Direction of a rule: uncheck, check, or toggle each entry.
enum TCheckMode : uint8_t { cmUncheck = 0, cmCheck = 1, cmInvert = 2 };

// Bits of TCheckCriteria::criteria.
namespace cbc {
constexpr uint8_t kFilename = 0x01;  // the file-name mask must match the name
constexpr uint8_t kPath = 0x02;      // the path mask must match the path
constexpr uint8_t kDate = 0x04;      // dateFrom <= time <= dateTo
constexpr uint8_t kSize = 0x08;      // sizeFrom <= size <= sizeTo
}  // namespace cbc

// What "check by criteria" looks for. Every criterion whose bit is set must
// hold; a criterion whose mask is missing matches nothing.
struct TCheckCriteria {
  uint8_t criteria = 0;
  bool selectedOnly = false;           // only selected entries take part
  std::optional<TMask> filenameMask;   // matched against the entry's name
  std::optional<TMask> pathMask;       // matched against the entry's path
  uint64_t sizeFrom = 0;               // bytes, inclusive
  uint64_t sizeTo = 0;                 // bytes, inclusive
  platform::FileTime dateFrom = 0;     // local time, inclusive
  platform::FileTime dateTo = 0;       // local time, inclusive

  bool Matches(const TResultEntry& entry) const;
};

// Mode 0 unchecks every entry, mode 1 checks every entry outside archives,
// mode 2 toggles every entry outside archives. Archive entries end up
// unchecked in every mode.
void CheckAll(TResultList& list, uint8_t mode);
// The same for the selected entries only.
void CheckSelected(TResultList& list, uint8_t mode);
// Every entry whose next neighbour belongs to the same set (all but the last
// of each set); with `selectedOnly` only the selected ones among them.
void CheckFirstOfSets(TResultList& list, bool check, bool selectedOnly);
// Every entry whose previous neighbour belongs to the same set (all but the
// first of each set); with `selectedOnly` only the selected ones among them.
void CheckLastOfSets(TResultList& list, bool check, bool selectedOnly);
// Every entry of the set holding the entry at `index` (nothing when out of
// range).
void CheckWholeSet(TResultList& list, bool check, int32_t index);
// The entry `n` places (0-based) after the first entry of the set holding
// the entry at `index`, when it still belongs to that set. Returns its index,
// or -1 when there is no such entry (nothing changes then).
int32_t CheckNthOfSet(TResultList& list, uint8_t mode, int32_t index, int n);
// Every entry that matches the criteria.
void CheckByCriteria(TResultList& list, bool check, const TCheckCriteria& criteria);
// Toggles the entry at `index`. False (and nothing changes) for an entry
// inside an archive or catalog, whose hint the caller shows instead, and for
// an index out of range.
bool ToggleEntry(TResultList& list, int32_t index);

// Number of entries with the selected flag.
int32_t SelectedCount(TResultList& list);
// First entry of the set holding `index`; -1 when out of range.
int32_t SetStartOf(TResultList& list, int32_t index);
// First entry of the set after the one holding `index`; -1 when it is the
// last set or `index` is out of range.
int32_t NextSetStart(TResultList& list, int32_t index);

// The toolbar buttons and the script command checkall / checkselected /
// checkfirst / checklast. "Selected" with no entry selected shows
// msgNoFilesSelected and changes nothing (result false); everything else
// gives true.
enum class TCheckRule : uint8_t { All, Selected, First, Last };
bool RunCheckRule(TResultList& list, TCheckRule rule, bool check, IMessenger& msgr);

// --- size and date input -------------------------------------------------------------

// A size as the script command checkbycriteria takes it: digits, optionally
// followed by blanks and one unit letter b, k, m, g, t, p or e (any case;
// powers of 1024). Refused: anything else, and values of 2^63 bytes or more.
bool ParseScriptSize(std::string_view text, uint64_t& bytes);

// A date typed by the user: the local date and time format, or ISO 8601
// "2004-03-18" optionally followed by one blank and "21:39:42".
enum class TDateParse : uint8_t {
  Ok,
  Invalid,     // neither form: msgInvalidDate
  OutOfRange,  // a date, but not within 1601-01-01 .. 30827-12-31: msgInvalidFileDate
};
TDateParse ParseDateInput(std::string_view text, platform::FileTime& out);
// Shows the message of a failed ParseDateInput (msgInvalidDate with its
// example in the local format, or msgInvalidFileDate). Nothing for Ok.
void ShowDateError(TDateParse result, IMessenger& msgr);
// The example of msgInvalidDate: 2004-03-18 21:39:42 in the local format.
std::string InvalidDateExample();

// --- status line -------------------------------------------------------------------------

// The status line for `count` checked entries of `size` bytes in all.
std::string CheckedStatusText(int32_t count, uint64_t size);
std::string CheckedStatusText(int32_t count, uint64_t size, const TStringTable& strings);

// --- check-by-criteria dialog ---------------------------------------------------------

// Input controls of the dialog the model may focus.
enum class TCbcControl : uint8_t {
  None, EMaskFilename, EMaskPath, EDate1, EDate2, ESize1, ESize2,
};

// A date field: its text and, after a successful check, its time.
struct TDateEditModel {
  std::string text;
  platform::FileTime time = 0;
  int32_t selStart = 0;   // selected text, applied when the field is focused
  int32_t selLength = 0;
};

// Most-recently-used lists of the mask boxes keep this many entries.
constexpr size_t kCbcMruMax = 10;
// Moves `text` to the top of `mru` (an entry equal to it ignoring ASCII case
// goes) and keeps at most kCbcMruMax entries.
void PushMru(std::vector<std::string>& mru, const std::string& text);

// TFrmCheckByCriteria without its window. The dialog is made once and kept:
// the window fills the controls from these fields, writes them back as the
// user types, calls the event operations, and on OK calls Accept.
class TCheckByCriteriaModel {
 public:
  // Default texts of the mask boxes. The path default on POSIX is "/*".
  static const char* const kDefaultFilenameMask;  // "*.bak"
  static const char* const kDefaultPathMask;      // "D:\*" / "/*"

  // `nowLocal`: the current local time (EDate2; EDate1 is a day earlier).
  // `mruFiles` and `mruPaths` (MRU_CbC-Files, MRU_CbC-Paths) fill the mask
  // boxes, which show their first item, or the default when empty.
  TCheckByCriteriaModel(IMessenger& msgr, platform::FileTime nowLocal,
                        std::vector<std::string> mruFiles = {},
                        std::vector<std::string> mruPaths = {});

  // Before showing: the direction from the tab, the selection box enabled
  // with one selected entry and checked with two or more.
  void Prepare(TResultList& list, bool uncheckTab);

  // ButtonOK is enabled while at least one criterion box is checked.
  bool OkEnabled() const { return cbFilename || cbPath || cbDate || cbSize; }

  // Leaving a size field / choosing a unit / keys / spin buttons.
  bool SizeLeft(int which);  // which: 1 = ESize1, 2 = ESize2
  bool SizeUnitChanged(int which, uint8_t unit);
  // Up/Down step by 1, Page Up/Down by 10 (after a silent check), Enter
  // selects the text.
  void SizeKey(int which, TSizeKey key);
  void SizeSpin(int which, bool down);
  // Leaving a date field.
  bool DateLeft(int which);  // which: 1 = EDate1, 2 = EDate2

  // OK: validates in order (masks, sizes, dates; swapping reversed ranges
  // when the user agrees). False keeps the dialog open, with `focus` on the
  // field at fault. True: `out` holds the criteria and each mask used is
  // moved to the top of its MRU list. Run CheckByCriteria(list, check, out).
  bool Accept(TCheckCriteria& out);

  // --- controls ---
  bool check = true;                 // RBCheck (false: RBUncheck)
  bool selectedOnlyEnabled = false;  // CBSelectedOnly enabled
  bool selectedOnly = false;         // CBSelectedOnly checked
  bool cbFilename = false;
  std::string maskFilename;          // EMaskFilename
  std::vector<std::string> mruFiles;
  bool cbPath = false;
  std::string maskPath;              // EMaskPath
  std::vector<std::string> mruPaths;
  bool cbDate = false;
  TDateEditModel date1;              // EDate1
  TDateEditModel date2;              // EDate2
  bool cbSize = false;
  TSizeEditModel size1;              // ESize1 + CBSize1Unit (4 kB)
  TSizeEditModel size2;              // ESize2 + CBSize2Unit (10 kB)
  TCbcControl focus = TCbcControl::None;  // set where a check failed

 private:
  TSizeEditModel& Size(int which) { return which == 2 ? size2 : size1; }
  TDateEditModel& Date(int which) { return which == 2 ? date2 : date1; }
  bool ValidateSize(int which);
  bool ValidateDate(int which);
  bool CheckMask(const std::string& text, TCbcControl control);

  IMessenger& msgr_;
};

// --- the script command checkbycriteria -----------------------------------------------------

// The parameters of checkbycriteria as parsed: each optional part is there
// when its parameter was given.
struct TScriptCriteriaParams {
  bool selectedOnly = false;                 // "s" (true) or "a"
  std::optional<std::string> filenameMask;   // filename="mask"
  std::optional<std::string> pathMask;       // path="mask"
  std::optional<std::string> sizeLow, sizeHigh;  // size="low" "high"
  std::optional<std::string> dateFrom, dateTo;   // date="from" "to"
};

// Builds the criteria of checkbycriteria. An invalid mask shows
// msgInvalidMask, a size ParseScriptSize refuses msgInvalidNumber, a date
// that does not parse msgInvalidDate or msgInvalidFileDate; each gives
// false. A size given without its high value (or a date without its "to")
// counts as invalid. A reversed range is swapped and askSwapRangeValues is
// written to the log only.
bool BuildScriptCriteria(const TScriptCriteriaParams& params, TCheckCriteria& out,
                         IMessenger& msgr);

// --- keys of the result list ---------------------------------------------------------------

enum class TResultKeyCode : uint8_t {
  Space, Insert,
  Numpad0, Numpad1, Numpad2, Numpad3, Numpad4, Numpad5, Numpad6, Numpad7, Numpad8, Numpad9,
  NumpadMul, NumpadDiv, NumpadDecimal,
  Digit,   // a digit of the main keyboard: `digit`
  Letter,  // a letter: `letter` ('A'..'Z', either case)
  Left, Right, Up, Down,
  Other,
};

struct TResultKey {
  TResultKeyCode code = TResultKeyCode::Other;
  int digit = 0;     // for Digit
  char letter = 0;   // for Letter
  bool ctrl = false;
  bool shift = false;
  bool scrollLock = false;  // Scroll Lock is on
};

// What a key did. The window repaints the check icons and the status line
// when checksChanged, brings the focus into sight when focusMoved, opens the
// dialog, shows hntCannotCheckCatfiles next to `hintRow`, or shows the other
// tab. `handled` keys are not passed on to the list (no type-ahead search,
// no default move).
struct TKeyResult {
  bool handled = false;
  bool checksChanged = false;
  bool focusMoved = false;
  bool openCriteriaDialog = false;
  bool tabSwitched = false;
  int32_t hintRow = -1;  // an archive entry that was keyed
};

// One key in the result list while no in-place rename is active. The
// direction of the rules is view.uncheckTab; moves change view.focused
// (and, with Scroll Lock on, view.topRow by as much), and the selection
// follows the focus: only the newly focused entry is selected.
TKeyResult HandleResultKey(TResultList& list, TResultViewModel& view, const TResultKey& key,
                           IMessenger& msgr);

// A mask that matches exactly `path` (its wildcard characters enclosed in
// sets), for "check this entry's folder".
std::string LiteralMask(std::string_view path);

}  // namespace zw
