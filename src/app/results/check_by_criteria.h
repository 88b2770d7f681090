// Checking by criteria: the dialog as a model (masks with their recently
// used lists, the date and size ranges, the enabling of its controls, the
// criteria OK builds) and the criteria of the script command
// checkbycriteria.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/results/check_input.h"
#include "app/results/check_rules.h"
#include "app/size_edit.h"
#include "app/window_model.h"
#include "engine/common/messages.h"
#include "platform/filetime.h"
#include "app/text_ids.h"

namespace zw {

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
  // The spin buttons: 10 up or down from the typed number (after the same
  // silent check as the keys).
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

}  // namespace zw
