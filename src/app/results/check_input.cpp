#include "app/results/check_input.h"

#include <cctype>

#include "platform/locale.h"
#include "app/text_ids.h"

namespace zw {

namespace {

constexpr uint64_t kMaxBytes = (uint64_t{1} << 63) - 1;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::string Trimmed(std::string_view text) {
  size_t b = 0, e = text.size();
  while (b < e && IsBlank(text[b])) ++b;
  while (e > b && IsBlank(text[e - 1])) --e;
  return std::string(text.substr(b, e - b));
}

}  // namespace

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
  bool isoOutOfRange = false;
  if (!s.empty() && platform::ParseIsoDateTime(s, time, isoOutOfRange)) {
    out = time;
    return TDateParse::Ok;
  }
  return outOfRange || isoOutOfRange ? TDateParse::OutOfRange : TDateParse::Invalid;
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

}  // namespace zw
