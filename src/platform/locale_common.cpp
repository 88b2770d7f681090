// Byte-size texts and date reading shared by both platforms.
#include <cstdio>

#include "platform/locale_detail.h"

namespace zw::platform::detail {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Reads 1..maxDigits decimal digits at `pos`.
bool ReadNumber(std::string_view text, size_t& pos, size_t maxDigits, int& value) {
  size_t n = 0;
  value = 0;
  while (pos < text.size() && IsDigit(text[pos])) {
    if (++n > maxDigits) return false;
    value = value * 10 + (text[pos] - '0');
    ++pos;
  }
  return n > 0;
}

std::string_view TrimSpaces(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

}  // namespace

std::string ShellByteSizeText(uint64_t bytes, char decimalPoint) {
  char buf[64];
  if (bytes < 1024) {
    std::snprintf(buf, sizeof buf, "%u bytes", static_cast<unsigned>(bytes));
    return buf;
  }
  static const char* const kUnits[] = {"KB", "MB", "GB", "TB", "PB", "EB"};
  // The smallest unit in which the value stays below 1000.
  int unit = 1;
  while (unit < 6 && (bytes >> (10 * unit)) >= 1000) ++unit;
  const int shift = 10 * unit;
  const uint64_t whole = bytes >> shift;
  uint64_t rest = bytes & ((uint64_t{1} << shift) - 1);
  const int decimals = whole < 10 ? 2 : whole < 100 ? 1 : 0;
  // Long division digit by digit: exact truncation without overflow
  // (rest < 2^60, so rest * 10 fits).
  std::string fraction;
  for (int i = 0; i < decimals; ++i) {
    rest *= 10;
    fraction += static_cast<char>('0' + (rest >> shift));
    rest &= (uint64_t{1} << shift) - 1;
  }
  std::string text = std::to_string(whole);
  if (decimals > 0) {
    text += decimalPoint;
    text += fraction;
  }
  text += ' ';
  text += kUnits[unit - 1];
  return text;
}

bool FieldsToFileTime(const DateFields& f, FileTime& time, bool& outOfRange) {
  outOfRange = false;
  if (f.month < 1 || f.month > 12 || f.day < 1) return false;
  if (f.hour < 0 || f.hour > 23 || f.minute < 0 || f.minute > 59 || f.second < 0 ||
      f.second > 59)
    return false;
  if (f.year < 1601 || f.year > 30827) {
    // A real calendar date that a FILETIME cannot hold.
    if (f.year >= 0 && f.day <= DaysInMonth(f.year, f.month)) outOfRange = true;
    return false;
  }
  SystemTime st;
  st.year = static_cast<uint16_t>(f.year);
  st.month = static_cast<uint16_t>(f.month);
  st.day = static_cast<uint16_t>(f.day);
  st.hour = static_cast<uint16_t>(f.hour);
  st.minute = static_cast<uint16_t>(f.minute);
  st.second = static_cast<uint16_t>(f.second);
  return JoinFileTime(st, time);
}

bool ParseTimeOfDay(std::string_view text, std::string_view sep, DateFields& f) {
  size_t pos = 0;
  f.hour = f.minute = f.second = 0;
  if (text.empty()) return true;
  if (sep.empty()) return false;
  if (!ReadNumber(text, pos, 2, f.hour)) return false;
  if (text.substr(pos, sep.size()) != sep) return false;
  pos += sep.size();
  if (!ReadNumber(text, pos, 2, f.minute)) return false;
  if (pos < text.size()) {
    if (text.substr(pos, sep.size()) != sep) return false;
    pos += sep.size();
    if (!ReadNumber(text, pos, 2, f.second)) return false;
  }
  return pos == text.size();
}

bool ParseIsoDateTime(std::string_view text, FileTime& time, bool& outOfRange) {
  outOfRange = false;
  text = TrimSpaces(text);
  DateFields f;
  size_t pos = 0;
  if (!ReadNumber(text, pos, 5, f.year)) return false;
  if (pos >= text.size() || text[pos] != '-') return false;
  ++pos;
  if (!ReadNumber(text, pos, 2, f.month)) return false;
  if (pos >= text.size() || text[pos] != '-') return false;
  ++pos;
  if (!ReadNumber(text, pos, 2, f.day)) return false;
  std::string_view rest = text.substr(pos);
  if (!rest.empty()) {
    if (rest.front() != ' ' && rest.front() != 'T') return false;
    rest = TrimSpaces(rest.substr(1));
    if (rest.empty()) return false;
  }
  if (!ParseTimeOfDay(rest, ":", f)) return false;
  return FieldsToFileTime(f, time, outOfRange);
}

}  // namespace zw::platform::detail

namespace zw::platform {

bool ParseIsoDateTime(std::string_view text, FileTime& time, bool& outOfRange) {
  return detail::ParseIsoDateTime(text, time, outOfRange);
}

}  // namespace zw::platform
