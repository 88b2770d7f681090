#include "app/size_edit.h"

#include <algorithm>
#include <limits>
#include <string>

#include "engine/scan/scan_job.h"
#include "app/text_ids.h"

namespace zw {

namespace {

constexpr uint64_t kMaxBytes = TSizeFilter::kMaxSize;  // 2^63 - 1
constexpr uint8_t kLargestUnit = 6;                    // EB

unsigned ShiftOf(uint8_t unit) { return 10u * std::min(unit, kLargestUnit); }

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

void SelectAll(TSizeEditModel& edit) {
  edit.selStart = 0;
  edit.selLength = static_cast<int32_t>(edit.text.size());
}

}  // namespace

int64_t SizeEditLimit(uint8_t unit) {
  return static_cast<int64_t>(kMaxBytes >> ShiftOf(unit));
}

std::optional<int64_t> ParseSizeNumber(std::string_view text) {
  size_t b = 0, e = text.size();
  while (b < e && IsBlank(text[b])) ++b;
  while (e > b && IsBlank(text[e - 1])) --e;
  text = text.substr(b, e - b);
  bool negative = false;
  if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
    negative = text[0] == '-';
    text.remove_prefix(1);
  }
  if (text.empty()) return std::nullopt;
  // Accumulate the magnitude in unsigned arithmetic; -2^63 is the one value
  // whose magnitude does not fit the positive range.
  const uint64_t bound =
      negative ? uint64_t{1} << 63 : static_cast<uint64_t>(std::numeric_limits<int64_t>::max());
  uint64_t magnitude = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    const auto digit = static_cast<uint64_t>(c - '0');
    if (magnitude > (bound - digit) / 10) return std::nullopt;
    magnitude = magnitude * 10 + digit;
  }
  if (!negative) return static_cast<int64_t>(magnitude);
  if (magnitude == uint64_t{1} << 63) return std::numeric_limits<int64_t>::min();
  return -static_cast<int64_t>(magnitude);
}

bool ValidateSizeEdit(TSizeEditModel& edit, TControl control, IHost& host, IMessenger& msgr,
                      bool silent, int64_t minimum) {
  const std::optional<int64_t> parsed = ParseSizeNumber(edit.text);
  if (!parsed) {
    if (!silent) {
      SelectAll(edit);
      host.ModelChanged();
      host.FocusControl(control);
      msgr.ShowMsg(msgInvalidNumber);
    }
    return false;
  }
  const int64_t limit = SizeEditLimit(edit.unit);
  minimum = std::clamp<int64_t>(minimum, 0, limit);
  int64_t value = *parsed;
  bool ok = true;
  if (value > limit || value < minimum) {
    const int64_t bound = value > limit ? limit : minimum;
    ok = false;
    if (!silent) {
      host.FocusControl(control);
      ok = msgr.AskMsg(msgNumberOutOfRange, ansOK, {value, bound}) == ansOK;
    }
    value = bound;
  }
  edit.bytes = static_cast<uint64_t>(value) << ShiftOf(edit.unit);
  if (ok) edit.text = std::to_string(value);
  host.ModelChanged();
  return ok;
}

void StepSizeEdit(TSizeEditModel& edit, bool down, uint64_t step, int64_t minimum) {
  const unsigned shift = ShiftOf(edit.unit);
  // The step in bytes; one that would not fit 64 bits counts as "more than
  // any value", so an up step ends at the largest value and a down step at
  // the minimum.
  const uint64_t stepBytes =
      step > (std::numeric_limits<uint64_t>::max() >> shift)
          ? std::numeric_limits<uint64_t>::max()
          : step << shift;
  uint64_t value = std::min(edit.bytes, kMaxBytes);
  if (!down) {
    value = (stepBytes < kMaxBytes && value < kMaxBytes - stepBytes) ? value + stepBytes
                                                                     : kMaxBytes;
  } else if (value > stepBytes && stepBytes > 0) {
    value -= stepBytes;
  } else {
    const int64_t low = std::clamp<int64_t>(minimum, 0, SizeEditLimit(edit.unit));
    value = static_cast<uint64_t>(low) << shift;
  }
  edit.bytes = value;
  edit.text = std::to_string(value >> shift);
}

void SizeEditKey(TSizeEditModel& edit, TControl control, IHost& host, IMessenger& msgr,
                 TSizeKey key) {
  ValidateSizeEdit(edit, control, host, msgr, true);
  switch (key) {
    case TSizeKey::Up: StepSizeEdit(edit, false, 1); break;
    case TSizeKey::Down: StepSizeEdit(edit, true, 1); break;
    case TSizeKey::PageUp: StepSizeEdit(edit, false, 10); break;
    case TSizeKey::PageDown: StepSizeEdit(edit, true, 10); break;
    case TSizeKey::Enter: SelectAll(edit); break;
  }
  host.ModelChanged();
}

void SizeEditLeft(TSizeEditModel& edit, TControl control, IHost& host, IMessenger& msgr) {
  ValidateSizeEdit(edit, control, host, msgr, true);
}

void SizeUnitChanged(TSizeEditModel& edit, TControl control, IHost& host, IMessenger& msgr,
                     uint8_t unit) {
  edit.unit = std::min(unit, kLargestUnit);
  ValidateSizeEdit(edit, control, host, msgr, true);
}

void SizeSpin(TSizeEditModel& edit, IHost& host, bool down) {
  StepSizeEdit(edit, down, 10);
  host.ModelChanged();
}

bool SizeControlsEnabled(const TWindowModel& model) { return model.sizeMode != fmIgnore; }
bool AttribBoxesEnabled(const TWindowModel& model) { return model.attribMode != fmIgnore; }

}  // namespace zw
