#include "app/results/check_by_criteria.h"

#include <algorithm>
#include <utility>

#include "app/text/string_table.h"
#include "app/text/text_format.h"
#include "platform/locale.h"
#include "platform/paths.h"
#include "app/text_ids.h"

namespace zw {

namespace {

constexpr uint8_t kLargestUnit = 6;  // EB
constexpr platform::FileTime kOneDay = 864000000000ULL;

unsigned ShiftOf(uint8_t unit) { return 10u * std::min(unit, kLargestUnit); }

// A silent check: a typed number takes effect (clamped to the unit's range),
// anything else leaves the held value as it was.
void TakeTypedNumber(TSizeEditModel& e) {
  if (const std::optional<int64_t> parsed = ParseSizeNumber(e.text)) {
    const int64_t value = std::clamp<int64_t>(*parsed, 0, SizeEditLimit(e.unit));
    e.bytes = static_cast<uint64_t>(value) << ShiftOf(e.unit);
  }
}

}  // namespace

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
  TakeTypedNumber(e);
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
  // The spin buttons take no focus, so the field was never left: the number
  // typed last is the one they step.
  TakeTypedNumber(Size(which));
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

}  // namespace zw
