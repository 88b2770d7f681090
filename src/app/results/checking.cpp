#include "app/results/checking.h"

#include <algorithm>
#include <cctype>
#include <utility>

#include "app/text/string_table.h"
#include "app/text/text_format.h"
#include "platform/locale.h"
#include "platform/paths.h"

namespace zw {

namespace {

constexpr uint64_t kMaxBytes = (uint64_t{1} << 63) - 1;
constexpr uint8_t kLargestUnit = 6;  // EB
constexpr platform::FileTime kOneDay = 864000000000ULL;

unsigned ShiftOf(uint8_t unit) { return 10u * std::min(unit, kLargestUnit); }

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

bool SameSet(const TResultEntry* a, const TResultEntry* b) {
  return ((a->Flags ^ b->Flags) & reflag::kShaded) == 0;
}

bool IsSelected(const TResultEntry* e) { return (e->Flags & reflag::kSelected) != 0; }

void Toggle(TResultList& list, TResultEntry* e) {
  if (e->IsChecked())
    list.Uncheck(e);
  else
    list.Check(e);
}

void Apply(TResultList& list, TResultEntry* e, uint8_t mode) {
  switch (mode) {
    case cmUncheck: list.Uncheck(e); break;
    case cmCheck: list.Check(e); break;
    case cmInvert: Toggle(list, e); break;
    default: break;
  }
}

// Index of the entry `n` places after the first entry of the set holding
// `index`, or -1 when the set is shorter. The caller holds the lock.
int32_t NthOfSetIndex(TResultList& list, int32_t index, int n) {
  const int32_t start = SetStartOf(list, index);
  if (start < 0 || n < 0) return -1;
  const int32_t count = list.ItemCount();
  int32_t i = start;
  for (int k = 0; k < n; ++k) {
    if (i + 1 >= count || !SameSet(list.Item(i), list.Item(i + 1))) return -1;
    ++i;
  }
  return i;
}

std::string Trimmed(std::string_view text) {
  size_t b = 0, e = text.size();
  while (b < e && IsBlank(text[b])) ++b;
  while (e > b && IsBlank(text[e - 1])) --e;
  return std::string(text.substr(b, e - b));
}

// --- ISO 8601 dates ---

enum class TIso : uint8_t { NotIso, Ok, OutOfRange };

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Reads 1..maxDigits digits at `i`.
bool ReadNumber(std::string_view s, size_t& i, size_t maxDigits, uint32_t& value) {
  const size_t start = i;
  value = 0;
  while (i < s.size() && IsDigit(s[i]) && i - start < maxDigits) value = value * 10 + (s[i++] - '0');
  return i > start && (i >= s.size() || !IsDigit(s[i]));
}

bool TwoDigits(std::string_view s, size_t at, uint32_t& value) {
  if (!IsDigit(s[at]) || !IsDigit(s[at + 1])) return false;
  value = static_cast<uint32_t>((s[at] - '0') * 10 + (s[at + 1] - '0'));
  return true;
}

bool IsLeapYear(uint32_t y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

uint32_t DaysIn(uint32_t year, uint32_t month) {
  static constexpr uint8_t kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

// "year-month-day", optionally followed by one blank and "hh:mm:ss".
TIso ParseIsoDate(std::string_view s, platform::FileTime& out) {
  size_t i = 0;
  uint32_t year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
  if (!ReadNumber(s, i, 9, year) || i >= s.size() || s[i++] != '-') return TIso::NotIso;
  if (!ReadNumber(s, i, 2, month) || i >= s.size() || s[i++] != '-') return TIso::NotIso;
  if (!ReadNumber(s, i, 2, day)) return TIso::NotIso;
  if (i < s.size()) {
    // " hh:mm:ss" at fixed places, and nothing after it.
    if (s.size() - i != 9 || s[i] != ' ' || s[i + 3] != ':' || s[i + 6] != ':')
      return TIso::NotIso;
    if (!TwoDigits(s, i + 1, hour) || !TwoDigits(s, i + 4, minute) ||
        !TwoDigits(s, i + 7, second))
      return TIso::NotIso;
  }
  if (month < 1 || month > 12 || day < 1 || day > DaysIn(year, month) || hour > 23 ||
      minute > 59 || second > 59)
    return TIso::NotIso;
  if (year < 1601 || year > 30827) return TIso::OutOfRange;
  platform::SystemTime st;
  st.year = static_cast<uint16_t>(year);
  st.month = static_cast<uint16_t>(month);
  st.day = static_cast<uint16_t>(day);
  st.hour = static_cast<uint16_t>(hour);
  st.minute = static_cast<uint16_t>(minute);
  st.second = static_cast<uint16_t>(second);
  return platform::JoinFileTime(st, out) ? TIso::Ok : TIso::OutOfRange;
}

}  // namespace

// --- rules ------------------------------------------------------------------------

bool TCheckCriteria::Matches(const TResultEntry& entry) const {
  if (selectedOnly && !IsSelected(&entry)) return false;
  if ((criteria & cbc::kFilename) && (!filenameMask || !filenameMask->Matches(entry.Name)))
    return false;
  if ((criteria & cbc::kPath) && (!pathMask || !pathMask->Matches(entry.Path))) return false;
  if ((criteria & cbc::kDate) && (entry.Time < dateFrom || entry.Time > dateTo)) return false;
  if ((criteria & cbc::kSize) && (entry.Size < sizeFrom || entry.Size > sizeTo)) return false;
  return true;
}

void CheckAll(TResultList& list, uint8_t mode) {
  TResultList::TGuard guard(list);
  for (TResultEntry* e : list.Items()) {
    // An archive entry can never be checked, not even one that came checked
    // from elsewhere.
    if (e->InArchive())
      list.Uncheck(e);
    else
      Apply(list, e, mode);
  }
  // Count afresh, so the totals hold even if they had drifted before.
  list.Recount();
}

void CheckSelected(TResultList& list, uint8_t mode) {
  TResultList::TGuard guard(list);
  for (TResultEntry* e : list.Items())
    if (IsSelected(e)) Apply(list, e, mode);
}

void CheckFirstOfSets(TResultList& list, bool check, bool selectedOnly) {
  TResultList::TGuard guard(list);
  const auto items = list.Items();
  for (size_t i = 0; i + 1 < items.size(); ++i) {
    if (!SameSet(items[i], items[i + 1])) continue;
    if (selectedOnly && !IsSelected(items[i])) continue;
    Apply(list, items[i], check ? cmCheck : cmUncheck);
  }
}

void CheckLastOfSets(TResultList& list, bool check, bool selectedOnly) {
  TResultList::TGuard guard(list);
  const auto items = list.Items();
  for (size_t i = 1; i < items.size(); ++i) {
    if (!SameSet(items[i - 1], items[i])) continue;
    if (selectedOnly && !IsSelected(items[i])) continue;
    Apply(list, items[i], check ? cmCheck : cmUncheck);
  }
}

void CheckWholeSet(TResultList& list, bool check, int32_t index) {
  TResultList::TGuard guard(list);
  const int32_t start = SetStartOf(list, index);
  if (start < 0) return;
  const int32_t count = list.ItemCount();
  for (int32_t i = start; i < count; ++i) {
    if (i > start && !SameSet(list.Item(i - 1), list.Item(i))) break;
    Apply(list, list.Item(i), check ? cmCheck : cmUncheck);
  }
}

int32_t CheckNthOfSet(TResultList& list, uint8_t mode, int32_t index, int n) {
  TResultList::TGuard guard(list);
  const int32_t target = NthOfSetIndex(list, index, n);
  if (target >= 0) Apply(list, list.Item(target), mode);
  return target;
}

void CheckByCriteria(TResultList& list, bool check, const TCheckCriteria& criteria) {
  TResultList::TGuard guard(list);
  for (TResultEntry* e : list.Items())
    if (criteria.Matches(*e)) Apply(list, e, check ? cmCheck : cmUncheck);
}

bool ToggleEntry(TResultList& list, int32_t index) {
  TResultList::TGuard guard(list);
  TResultEntry* e = list.Item(index);
  if (!e || e->InArchive()) return false;
  Toggle(list, e);
  return true;
}

int32_t SelectedCount(TResultList& list) {
  TResultList::TGuard guard(list);
  int32_t n = 0;
  for (const TResultEntry* e : list.Items())
    if (IsSelected(e)) ++n;
  return n;
}

int32_t SetStartOf(TResultList& list, int32_t index) {
  TResultList::TGuard guard(list);
  if (index < 0 || index >= list.ItemCount()) return -1;
  while (index > 0 && SameSet(list.Item(index - 1), list.Item(index))) --index;
  return index;
}

int32_t NextSetStart(TResultList& list, int32_t index) {
  TResultList::TGuard guard(list);
  const int32_t count = list.ItemCount();
  if (index < 0 || index >= count) return -1;
  while (index + 1 < count && SameSet(list.Item(index), list.Item(index + 1))) ++index;
  return index + 1 < count ? index + 1 : -1;
}

bool RunCheckRule(TResultList& list, TCheckRule rule, bool check, IMessenger& msgr) {
  // Each rule takes the lock itself; the message box is shown without it.
  switch (rule) {
    case TCheckRule::All: CheckAll(list, check ? cmCheck : cmUncheck); return true;
    case TCheckRule::Selected:
      if (SelectedCount(list) == 0) {
        msgr.ShowMsg(msgNoFilesSelected);
        return false;
      }
      CheckSelected(list, check ? cmCheck : cmUncheck);
      return true;
    case TCheckRule::First: CheckFirstOfSets(list, check, false); return true;
    case TCheckRule::Last: CheckLastOfSets(list, check, false); return true;
  }
  return false;
}

// --- size and date input -------------------------------------------------------------

bool ParseScriptSize(std::string_view text, uint64_t& bytes) {
  const std::string s = Trimmed(text);
  size_t i = 0;
  uint64_t value = 0;
  while (i < s.size() && IsDigit(s[i])) {
    const uint64_t digit = static_cast<uint64_t>(s[i] - '0');
    if (value > (kMaxBytes - digit) / 10) return false;  // would reach 2^63
    value = value * 10 + digit;
    ++i;
  }
  if (i == 0) return false;
  while (i < s.size() && IsBlank(s[i])) ++i;
  unsigned shift = 0;
  if (i < s.size()) {
    static constexpr std::string_view kUnits = "bkmgtpe";
    const size_t unit = kUnits.find(static_cast<char>(std::tolower(static_cast<unsigned char>(s[i]))));
    if (unit == std::string_view::npos || i + 1 != s.size()) return false;
    shift = static_cast<unsigned>(10 * unit);
  }
  if (value > (kMaxBytes >> shift)) return false;
  bytes = value << shift;
  return true;
}

TDateParse ParseDateInput(std::string_view text, platform::FileTime& out) {
  const std::string s = Trimmed(text);
  platform::FileTime time = 0;
  bool outOfRange = false;
  if (!s.empty() && platform::ParseLocalDateTime(s, time, outOfRange)) {
    out = time;
    return TDateParse::Ok;
  }
  switch (ParseIsoDate(s, time)) {
    case TIso::Ok: out = time; return TDateParse::Ok;
    case TIso::OutOfRange: return TDateParse::OutOfRange;
    case TIso::NotIso: break;
  }
  return outOfRange ? TDateParse::OutOfRange : TDateParse::Invalid;
}

std::string InvalidDateExample() {
  platform::SystemTime st;
  st.year = 2004;
  st.month = 3;
  st.day = 18;
  st.hour = 21;
  st.minute = 39;
  st.second = 42;
  platform::FileTime t = 0;
  platform::JoinFileTime(st, t);
  return platform::DateTimeText(t, true);
}

void ShowDateError(TDateParse result, IMessenger& msgr) {
  if (result == TDateParse::Invalid)
    msgr.ShowMsg(msgInvalidDate, {InvalidDateExample()});
  else if (result == TDateParse::OutOfRange)
    msgr.ShowMsg(msgInvalidFileDate);
}

// --- status line -------------------------------------------------------------------------

std::string CheckedStatusText(int32_t count, uint64_t size, const TStringTable& strings) {
  if (count == 0) return strings.Str(strCheckedCountZero);
  std::string suffix;
  if (platform::HaveByteSizeFormatter() && ((size < 1024 && size != 0) || size >= 1048576))
    suffix = " (" + platform::ByteSizeText(size) + ")";
  return Format(strings.Str(count == 1 ? strCheckedCountOne : strCheckedCount),
                {int64_t{count}, static_cast<int64_t>(size / 1024), suffix});
}

std::string CheckedStatusText(int32_t count, uint64_t size) {
  return CheckedStatusText(count, size, Strings());
}

// --- check-by-criteria dialog ---------------------------------------------------------

void PushMru(std::vector<std::string>& mru, const std::string& text) {
  mru.erase(std::remove_if(mru.begin(), mru.end(),
                           [&](const std::string& s) { return EqualNoCaseAscii(s, text); }),
            mru.end());
  mru.insert(mru.begin(), text);
  if (mru.size() > kCbcMruMax) mru.resize(kCbcMruMax);
}

const char* const TCheckByCriteriaModel::kDefaultFilenameMask = "*.bak";
const char* const TCheckByCriteriaModel::kDefaultPathMask = platform::kExamplePathMask;

TCheckByCriteriaModel::TCheckByCriteriaModel(IMessenger& msgr, platform::FileTime nowLocal,
                                             std::vector<std::string> mruFiles_,
                                             std::vector<std::string> mruPaths_)
    : mruFiles(std::move(mruFiles_)), mruPaths(std::move(mruPaths_)), msgr_(msgr) {
  if (mruFiles.size() > kCbcMruMax) mruFiles.resize(kCbcMruMax);
  if (mruPaths.size() > kCbcMruMax) mruPaths.resize(kCbcMruMax);
  maskFilename = mruFiles.empty() ? kDefaultFilenameMask : mruFiles.front();
  maskPath = mruPaths.empty() ? kDefaultPathMask : mruPaths.front();
  date2.time = nowLocal;
  date1.time = nowLocal >= kOneDay ? nowLocal - kOneDay : 0;
  date1.text = platform::DateTimeText(date1.time, true);
  date2.text = platform::DateTimeText(date2.time, true);
  size1.unit = 1;
  size1.text = "4";
  size1.bytes = uint64_t{4} << 10;
  size2.unit = 1;
  size2.text = "10";
  size2.bytes = uint64_t{10} << 10;
}

void TCheckByCriteriaModel::Prepare(TResultList& list, bool uncheckTab) {
  check = !uncheckTab;
  const int32_t selected = SelectedCount(list);
  selectedOnlyEnabled = selected >= 1;
  selectedOnly = selected >= 2;
  focus = TCbcControl::None;
}

bool TCheckByCriteriaModel::ValidateSize(int which) {
  TSizeEditModel& e = Size(which);
  const TCbcControl control = which == 2 ? TCbcControl::ESize2 : TCbcControl::ESize1;
  const std::optional<int64_t> parsed = ParseSizeNumber(e.text);
  if (!parsed) {
    focus = control;
    e.selStart = 0;
    e.selLength = static_cast<int32_t>(e.text.size());
    msgr_.ShowMsg(msgInvalidNumber);
    return false;
  }
  const int64_t limit = SizeEditLimit(e.unit);
  int64_t value = *parsed;
  bool ok = true;
  if (value < 0 || value > limit) {
    const int64_t bound = value < 0 ? 0 : limit;
    focus = control;
    ok = msgr_.AskMsg(msgNumberOutOfRange, ansOK, {value, bound}) == ansOK;
    value = bound;
  }
  e.bytes = static_cast<uint64_t>(value) << ShiftOf(e.unit);
  if (ok) {
    e.text = std::to_string(value);
  } else {
    e.selStart = 0;
    e.selLength = static_cast<int32_t>(e.text.size());
  }
  return ok;
}

bool TCheckByCriteriaModel::SizeLeft(int which) { return ValidateSize(which); }

bool TCheckByCriteriaModel::SizeUnitChanged(int which, uint8_t unit) {
  Size(which).unit = std::min(unit, kLargestUnit);
  return ValidateSize(which);
}

void TCheckByCriteriaModel::SizeKey(int which, TSizeKey key) {
  TSizeEditModel& e = Size(which);
  // A silent check first: a number takes effect (clamped to the unit's
  // range), anything else leaves the held value as it was.
  if (const std::optional<int64_t> parsed = ParseSizeNumber(e.text)) {
    const int64_t value = std::clamp<int64_t>(*parsed, 0, SizeEditLimit(e.unit));
    e.bytes = static_cast<uint64_t>(value) << ShiftOf(e.unit);
  }
  switch (key) {
    case TSizeKey::Up: StepSizeEdit(e, false, 1); break;
    case TSizeKey::Down: StepSizeEdit(e, true, 1); break;
    case TSizeKey::PageUp: StepSizeEdit(e, false, 10); break;
    case TSizeKey::PageDown: StepSizeEdit(e, true, 10); break;
    case TSizeKey::Enter:
      e.selStart = 0;
      e.selLength = static_cast<int32_t>(e.text.size());
      break;
  }
}

void TCheckByCriteriaModel::SizeSpin(int which, bool down) {
  StepSizeEdit(Size(which), down, 10);
}

bool TCheckByCriteriaModel::ValidateDate(int which) {
  TDateEditModel& d = Date(which);
  platform::FileTime time = 0;
  const TDateParse result = ParseDateInput(d.text, time);
  if (result == TDateParse::Ok) {
    d.time = time;
    return true;
  }
  focus = which == 2 ? TCbcControl::EDate2 : TCbcControl::EDate1;
  d.selStart = 0;
  d.selLength = static_cast<int32_t>(d.text.size());
  ShowDateError(result, msgr_);
  return false;
}

bool TCheckByCriteriaModel::DateLeft(int which) { return ValidateDate(which); }

bool TCheckByCriteriaModel::CheckMask(const std::string& text, TCbcControl control) {
  if (TMask::IsValid(text)) return true;
  focus = control;
  msgr_.ShowMsg(msgInvalidMask, {text});
  return false;
}

bool TCheckByCriteriaModel::Accept(TCheckCriteria& out) {
  focus = TCbcControl::None;
  if (!OkEnabled()) return false;
  if (cbFilename && !CheckMask(maskFilename, TCbcControl::EMaskFilename)) return false;
  if (cbPath && !CheckMask(maskPath, TCbcControl::EMaskPath)) return false;
  if (cbSize) {
    if (!ValidateSize(1) || !ValidateSize(2)) return false;
    if (size1.bytes > size2.bytes) {
      const std::string low = size1.text + " " + Strings().UnitShortName(size1.unit);
      const std::string high = size2.text + " " + Strings().UnitShortName(size2.unit);
      if (msgr_.AskMsg(askSwapRangeValues, ansOK, {low, high}) != ansOK) {
        focus = TCbcControl::ESize1;
        return false;
      }
      std::swap(size1, size2);
    }
  }
  if (cbDate) {
    if (!ValidateDate(1) || !ValidateDate(2)) return false;
    if (date1.time > date2.time) {
      if (msgr_.AskMsg(askSwapRangeValues, ansOK, {date1.text, date2.text}) != ansOK) {
        focus = TCbcControl::EDate1;
        return false;
      }
      std::swap(date1, date2);
    }
  }

  TCheckCriteria c;
  c.selectedOnly = selectedOnlyEnabled && selectedOnly;
  if (cbFilename) {
    c.criteria |= cbc::kFilename;
    c.filenameMask.emplace(maskFilename);
    PushMru(mruFiles, maskFilename);
  }
  if (cbPath) {
    c.criteria |= cbc::kPath;
    c.pathMask.emplace(maskPath);
    PushMru(mruPaths, maskPath);
  }
  if (cbDate) {
    c.criteria |= cbc::kDate;
    c.dateFrom = date1.time;
    c.dateTo = date2.time;
  }
  if (cbSize) {
    c.criteria |= cbc::kSize;
    c.sizeFrom = size1.bytes;
    c.sizeTo = size2.bytes;
  }
  out = std::move(c);
  return true;
}

// --- the script command checkbycriteria -----------------------------------------------------

bool BuildScriptCriteria(const TScriptCriteriaParams& params, TCheckCriteria& out,
                         IMessenger& msgr) {
  TCheckCriteria c;
  c.selectedOnly = params.selectedOnly;
  if (params.filenameMask) {
    if (!TMask::IsValid(*params.filenameMask)) {
      msgr.ShowMsg(msgInvalidMask, {*params.filenameMask});
      return false;
    }
    c.criteria |= cbc::kFilename;
    c.filenameMask.emplace(*params.filenameMask);
  }
  if (params.pathMask) {
    if (!TMask::IsValid(*params.pathMask)) {
      msgr.ShowMsg(msgInvalidMask, {*params.pathMask});
      return false;
    }
    c.criteria |= cbc::kPath;
    c.pathMask.emplace(*params.pathMask);
  }
  if (params.sizeLow || params.sizeHigh) {
    uint64_t low = 0, high = 0;
    if (!params.sizeLow || !params.sizeHigh || !ParseScriptSize(*params.sizeLow, low) ||
        !ParseScriptSize(*params.sizeHigh, high)) {
      msgr.ShowMsg(msgInvalidNumber);
      return false;
    }
    if (low > high) {
      msgr.LogMsg(askSwapRangeValues, {*params.sizeLow, *params.sizeHigh});
      std::swap(low, high);
    }
    c.criteria |= cbc::kSize;
    c.sizeFrom = low;
    c.sizeTo = high;
  }
  if (params.dateFrom || params.dateTo) {
    platform::FileTime from = 0, to = 0;
    TDateParse result = TDateParse::Invalid;
    if (params.dateFrom) result = ParseDateInput(*params.dateFrom, from);
    if (result == TDateParse::Ok) {
      result = params.dateTo ? ParseDateInput(*params.dateTo, to) : TDateParse::Invalid;
    }
    if (result != TDateParse::Ok) {
      ShowDateError(result, msgr);
      return false;
    }
    if (from > to) {
      msgr.LogMsg(askSwapRangeValues, {*params.dateFrom, *params.dateTo});
      std::swap(from, to);
    }
    c.criteria |= cbc::kDate;
    c.dateFrom = from;
    c.dateTo = to;
  }
  out = std::move(c);
  return true;
}

// --- keys of the result list ---------------------------------------------------------------

std::string LiteralMask(std::string_view path) {
  const TLeadByteTable* lead = SystemLeadBytes();
  std::string mask;
  mask.reserve(path.size() + 8);
  for (size_t i = 0; i < path.size(); ++i) {
    const auto c = static_cast<unsigned char>(path[i]);
    if (lead && (*lead)[c] && i + 1 < path.size()) {  // a double-byte character as it is
      mask += path[i];
      mask += path[++i];
    } else if (c == '*' || c == '?' || c == '[') {
      mask += '[';
      mask += path[i];
      mask += ']';
    } else {
      mask += path[i];
    }
  }
  return mask;
}

namespace {

// Moves the focus to `target`; the selection follows it, and with Scroll
// Lock on the top row moves by as much as the focus did.
void MoveFocus(TResultList& list, TResultViewModel& view, int32_t target, bool scrollLock,
               TKeyResult& r) {
  r.handled = true;
  if (target < 0 || target == view.focused) return;
  const int32_t old = view.focused < 0 ? target : view.focused;
  for (TResultEntry* e : list.Items()) e->Flags &= static_cast<uint8_t>(~reflag::kSelected);
  list.Item(target)->Flags |= reflag::kSelected;
  if (scrollLock) view.topRow = std::max(0, view.topRow + (target - old));
  view.focused = target;
  r.focusMoved = true;
}

int32_t PreviousSetTarget(TResultList& list, int32_t focus) {
  if (list.ItemCount() == 0) return -1;
  if (focus < 0 || focus >= list.ItemCount()) return 0;
  const int32_t start = SetStartOf(list, focus);
  if (start < focus) return start;
  return start > 0 ? SetStartOf(list, start - 1) : start;
}

int32_t NextSetTarget(TResultList& list, int32_t focus) {
  if (list.ItemCount() == 0) return -1;
  if (focus < 0 || focus >= list.ItemCount()) return 0;
  return NextSetStart(list, focus);
}

}  // namespace

TKeyResult HandleResultKey(TResultList& list, TResultViewModel& view, const TResultKey& key,
                           IMessenger& msgr) {
  TKeyResult r;
  const bool ctrlShift = key.ctrl && key.shift;
  // Ctrl+Shift+S may show a message box, which must not keep the list locked.
  if (ctrlShift && key.code == TResultKeyCode::Letter &&
      std::toupper(static_cast<unsigned char>(key.letter)) == 'S') {
    r.handled = true;
    r.checksChanged = RunCheckRule(list, TCheckRule::Selected, !view.uncheckTab, msgr);
    return r;
  }

  TResultList::TGuard guard(list);
  const int32_t count = list.ItemCount();
  const int32_t focus = view.focused;
  TResultEntry* focused = focus >= 0 && focus < count ? list.Item(focus) : nullptr;
  const bool check = !view.uncheckTab;

  // Toggles the n-th (0-based) entry of the focused entry's set.
  auto toggleNth = [&](int n) {
    r.handled = true;
    if (!focused) return;
    const int32_t target = NthOfSetIndex(list, focus, n);
    if (target < 0) return;
    if (list.Item(target)->InArchive()) {
      r.hintRow = target;
      return;
    }
    ToggleEntry(list, target);
    r.checksChanged = true;
  };
  auto toggleFocused = [&] {
    r.handled = true;
    if (!focused) return;
    if (focused->InArchive()) {
      r.hintRow = focus;
      return;
    }
    ToggleEntry(list, focus);
    r.checksChanged = true;
  };
  auto ruleDone = [&] {
    r.handled = true;
    r.checksChanged = true;
  };

  const bool numpadDigit =
      key.code >= TResultKeyCode::Numpad0 && key.code <= TResultKeyCode::Numpad9;
  const int numpadValue =
      static_cast<int>(key.code) - static_cast<int>(TResultKeyCode::Numpad0);

  if (ctrlShift) {
    if (key.code == TResultKeyCode::Digit || numpadDigit) {
      const int d = key.code == TResultKeyCode::Digit ? key.digit : numpadValue;
      if (d < 0 || d > 9) return r;
      toggleNth(d == 0 ? 9 : d - 1);
      return r;
    }
    if (key.code == TResultKeyCode::Up) {
      MoveFocus(list, view, PreviousSetTarget(list, focus), key.scrollLock, r);
      return r;
    }
    if (key.code == TResultKeyCode::Down) {
      MoveFocus(list, view, NextSetTarget(list, focus), key.scrollLock, r);
      return r;
    }
    if (key.code == TResultKeyCode::Letter) {
      const bool several = SelectedCount(list) >= 2;
      switch (std::toupper(static_cast<unsigned char>(key.letter))) {
        case 'A': CheckAll(list, cmCheck); ruleDone(); break;
        case 'D': CheckAll(list, cmUncheck); ruleDone(); break;
        case 'I':
          if (several)
            CheckSelected(list, cmInvert);
          else
            CheckAll(list, cmInvert);
          ruleDone();
          break;
        case 'F': CheckFirstOfSets(list, check, several); ruleDone(); break;
        case 'L': CheckLastOfSets(list, check, several); ruleDone(); break;
        case 'G':
          r.handled = true;
          if (focused) {
            CheckWholeSet(list, check, focus);
            r.checksChanged = true;
          }
          break;
        case 'P':
          r.handled = true;
          if (focused) {
            TCheckCriteria c;
            c.criteria = cbc::kPath;
            c.selectedOnly = several;
            try {
              c.pathMask.emplace(LiteralMask(focused->Path));
            } catch (const EMaskError&) {
              break;  // a path no mask can spell: nothing to check
            }
            CheckByCriteria(list, check, c);
            r.checksChanged = true;
          }
          break;
        case 'C':
          r.handled = true;
          view.uncheckTab = !view.uncheckTab;
          r.tabSwitched = true;
          break;
        case 'B':
          r.handled = true;
          r.openCriteriaDialog = true;
          break;
        default: break;
      }
      return r;
    }
  }

  switch (key.code) {
    case TResultKeyCode::Space:
      if (SelectedCount(list) >= 2) {
        CheckSelected(list, focused && focused->IsChecked() ? cmUncheck : cmCheck);
        ruleDone();
      } else {
        toggleFocused();
      }
      break;
    case TResultKeyCode::Insert: toggleFocused(); break;
    case TResultKeyCode::Numpad1: case TResultKeyCode::Numpad2: case TResultKeyCode::Numpad3:
    case TResultKeyCode::Numpad4: case TResultKeyCode::Numpad5: case TResultKeyCode::Numpad6:
    case TResultKeyCode::Numpad7: case TResultKeyCode::Numpad8: case TResultKeyCode::Numpad9:
      toggleNth(numpadValue - 1);
      break;
    case TResultKeyCode::NumpadMul:
    case TResultKeyCode::NumpadDiv:
      r.handled = true;
      if (focused) {
        CheckWholeSet(list, key.code == TResultKeyCode::NumpadMul, focus);
        r.checksChanged = true;
      }
      break;
    case TResultKeyCode::Left:
    case TResultKeyCode::NumpadDecimal:
      MoveFocus(list, view, PreviousSetTarget(list, focus), key.scrollLock, r);
      break;
    case TResultKeyCode::Right:
    case TResultKeyCode::Numpad0:
      MoveFocus(list, view, NextSetTarget(list, focus), key.scrollLock, r);
      break;
    case TResultKeyCode::Up:
    case TResultKeyCode::Down:
      // The list moves the focus itself, unless Scroll Lock keeps the row in
      // its place on screen.
      if (key.scrollLock && count > 0) {
        const int32_t from = focus < 0 || focus >= count ? 0 : focus;
        const int32_t to = key.code == TResultKeyCode::Up ? std::max(0, from - 1)
                                                          : std::min(count - 1, from + 1);
        MoveFocus(list, view, to, true, r);
      }
      break;
    default: break;
  }
  return r;
}

}  // namespace zw
