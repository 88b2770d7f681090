// Byte-size texts and date reading shared by both platforms.
#include <string>
#include <cstdio>

#include "platform/locale.h"
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

namespace zw::platform {

namespace {

struct LocaleLanguage {
  const char* name;  // "de" (any country) or "de_at" (this country only)
  uint16_t id;
};

// Countries first where a language has several identifiers; a language
// alone stands for its main country.
constexpr LocaleLanguage kLocaleLanguages[] = {
    {"en_gb", 0x0809}, {"en_au", 0x0C09}, {"en_ca", 0x1009}, {"en_nz", 0x1409},
    {"en_ie", 0x1809}, {"en_za", 0x1C09}, {"en", 0x0409},
    {"de_at", 0x0C07}, {"de_ch", 0x0807}, {"de_lu", 0x1007}, {"de_li", 0x1407}, {"de", 0x0407},
    {"fr_be", 0x080C}, {"fr_ca", 0x0C0C}, {"fr_ch", 0x100C}, {"fr_lu", 0x140C}, {"fr", 0x040C},
    {"es_mx", 0x080A}, {"es_ar", 0x2C0A}, {"es_co", 0x240A}, {"es_cl", 0x340A}, {"es", 0x0C0A},
    {"it_ch", 0x0810}, {"it", 0x0410},
    {"nl_be", 0x0813}, {"nl", 0x0413},
    {"pt_pt", 0x0816}, {"pt", 0x0416},  // Brazil is the main country
    {"sv_fi", 0x081D}, {"sv", 0x041D},
    {"zh_tw", 0x0404}, {"zh_hk", 0x0C04}, {"zh_sg", 0x1004}, {"zh", 0x0804},
    {"nn", 0x0814}, {"nb", 0x0414}, {"no", 0x0414},
    {"da", 0x0406}, {"fi", 0x040B}, {"is", 0x040F}, {"pl", 0x0415}, {"cs", 0x0405},
    {"sk", 0x041B}, {"sl", 0x0424}, {"hu", 0x040E}, {"ro", 0x0418}, {"hr", 0x041A},
    {"sr", 0x081A}, {"bg", 0x0402}, {"ru", 0x0419}, {"uk", 0x0422}, {"be", 0x0423},
    {"et", 0x0425}, {"lv", 0x0426}, {"lt", 0x0427}, {"el", 0x0408}, {"tr", 0x041F},
    {"he", 0x040D}, {"ar", 0x0401}, {"fa", 0x0429}, {"hi", 0x0439}, {"th", 0x041E},
    {"vi", 0x042A}, {"id", 0x0421}, {"ms", 0x043E}, {"ja", 0x0411}, {"ko", 0x0412},
    {"ca", 0x0403}, {"eu", 0x042D}, {"gl", 0x0456},
};

constexpr uint16_t kEnglishUnitedStates = 0x0409;

}  // namespace

uint16_t LanguageIdOfLocaleName(std::string_view name) {
  // "language[_COUNTRY][.codeset][@modifier]", case-insensitive.
  const size_t end = name.find_first_of(".@");
  std::string key;
  for (char c : name.substr(0, end == std::string_view::npos ? name.size() : end)) {
    if (c == '-') c = '_';
    key += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
  }
  const size_t bar = key.find('_');
  const std::string language = key.substr(0, bar);
  if (language.empty()) return kEnglishUnitedStates;
  for (const auto& l : kLocaleLanguages)
    if (key == l.name) return l.id;
  for (const auto& l : kLocaleLanguages)
    if (language == l.name) return l.id;
  return kEnglishUnitedStates;  // "C", "POSIX" and the languages the table lacks
}

}  // namespace zw::platform
