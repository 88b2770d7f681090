// Texts in the user's conventions on Windows: the user's default locale for
// dates, times and comparison, and the shell's byte-size formatter when
// shlwapi.dll offers it.
#include <windows.h>

#include <cctype>

#include "platform/locale.h"
#include "platform/locale_detail.h"

namespace zw::platform {
namespace {

SYSTEMTIME ToNative(FileTime time) {
  const SystemTime s = SplitFileTime(time);
  SYSTEMTIME st{};
  st.wYear = s.year;
  st.wMonth = s.month;
  st.wDayOfWeek = s.dayOfWeek;
  st.wDay = s.day;
  st.wHour = s.hour;
  st.wMinute = s.minute;
  st.wSecond = s.second;
  st.wMilliseconds = s.milliseconds;
  return st;
}

std::string LocaleInfo(LCTYPE type) {
  char buf[128];
  const int n = GetLocaleInfoA(LOCALE_USER_DEFAULT, type, buf, sizeof buf);
  return n > 0 ? std::string(buf, static_cast<size_t>(n - 1)) : std::string();
}

// The shell's formatters, looked up once. The 64-bit one is preferred; the
// 32-bit one alone cannot show sizes of 4 GiB and more.
using ByteSize64Fn = LPSTR(WINAPI*)(LONGLONG, LPSTR, UINT);
using ByteSize32Fn = LPSTR(WINAPI*)(DWORD, LPSTR, UINT);

struct ShellFormatters {
  ByteSize64Fn size64 = nullptr;
  ByteSize32Fn size32 = nullptr;
  ShellFormatters() {
    HMODULE dll = LoadLibraryA("shlwapi.dll");
    if (!dll) return;
    size64 = reinterpret_cast<ByteSize64Fn>(
        reinterpret_cast<void*>(GetProcAddress(dll, "StrFormatByteSize64A")));
    size32 = reinterpret_cast<ByteSize32Fn>(
        reinterpret_cast<void*>(GetProcAddress(dll, "StrFormatByteSizeA")));
  }
};

const ShellFormatters& Formatters() {
  static const ShellFormatters formatters;
  return formatters;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::string_view TrimSpaces(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

// The user's short date pattern boiled down to the order of its fields
// ('d', 'M', 'y'), the separator between them and whether the year is
// written with two digits.
struct DatePattern {
  char order[3] = {'M', 'd', 'y'};
  std::string sep = "/";
  bool shortYear = false;
  bool trailingSep = false;  // the pattern ends with the separator
};

DatePattern ReadDatePattern() {
  DatePattern p;
  const std::string fmt = LocaleInfo(LOCALE_SSHORTDATE);
  int fields = 0;
  bool haveSep = false;
  for (size_t i = 0; i < fmt.size() && fields < 3;) {
    const char c = fmt[i];
    if (c == '\'') {  // quoted literal text
      size_t j = fmt.find('\'', i + 1);
      i = j == std::string::npos ? fmt.size() : j + 1;
      continue;
    }
    if (c == 'd' || c == 'M' || c == 'y') {
      size_t j = i;
      while (j < fmt.size() && fmt[j] == c) ++j;
      if (c == 'y') p.shortYear = j - i <= 2;
      // "ddd"/"dddd" are day names, not a field one can type.
      if (!(c == 'd' && j - i > 2)) p.order[fields++] = c;
      i = j;
      if (fields == 3 && haveSep)
        p.trailingSep = TrimSpaces(std::string_view(fmt).substr(i)).substr(0, p.sep.size()) == p.sep;
      if (fields < 3 && !haveSep) {
        size_t k = i;
        while (k < fmt.size() && fmt[k] != 'd' && fmt[k] != 'M' && fmt[k] != 'y' &&
               fmt[k] != '\'')
          ++k;
        const std::string_view sep = TrimSpaces(std::string_view(fmt).substr(i, k - i));
        if (!sep.empty()) {
          p.sep = std::string(sep);
          haveSep = true;
        }
      }
      continue;
    }
    ++i;
  }
  if (fields < 3) return DatePattern{};
  return p;
}

bool ReadNumber(std::string_view text, size_t& pos, size_t maxDigits, int& value,
                size_t& digits) {
  digits = 0;
  value = 0;
  while (pos < text.size() && IsDigit(text[pos])) {
    if (++digits > maxDigits) return false;
    value = value * 10 + (text[pos] - '0');
    ++pos;
  }
  return digits > 0;
}

bool EqualNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.data(), static_cast<int>(a.size()),
                        b.data(), static_cast<int>(b.size())) == CSTR_EQUAL;
}

void SkipSpaces(std::string_view text, size_t& pos) {
  while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t')) ++pos;
}

}  // namespace

std::string ShortDateText(FileTime time) {
  const SYSTEMTIME st = ToNative(time);
  char buf[128];
  const int n = GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &st, nullptr, buf, sizeof buf);
  return n > 0 ? std::string(buf, static_cast<size_t>(n - 1)) : std::string();
}

std::string TimeOfDayText(FileTime time, bool seconds) {
  const SYSTEMTIME st = ToNative(time);
  char buf[128];
  const int n = GetTimeFormatA(LOCALE_USER_DEFAULT, seconds ? 0 : TIME_NOSECONDS, &st, nullptr,
                               buf, sizeof buf);
  return n > 0 ? std::string(buf, static_cast<size_t>(n - 1)) : std::string();
}

std::string DateTimeText(FileTime time, bool seconds) {
  std::string text = ShortDateText(time) + ' ' + TimeOfDayText(time, seconds);
  if (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}

bool ParseLocalDateTime(std::string_view text, FileTime& time, bool& outOfRange) {
  outOfRange = false;
  text = TrimSpaces(text);
  const DatePattern p = ReadDatePattern();
  detail::DateFields f;
  size_t pos = 0;
  for (int i = 0; i < 3; ++i) {
    if (i > 0) {
      SkipSpaces(text, pos);
      if (text.substr(pos, p.sep.size()) != p.sep) return false;
      pos += p.sep.size();
      SkipSpaces(text, pos);
    }
    int value = 0;
    size_t digits = 0;
    if (!ReadNumber(text, pos, p.order[i] == 'y' ? 5 : 2, value, digits)) return false;
    switch (p.order[i]) {
      case 'd': f.day = value; break;
      case 'M': f.month = value; break;
      default:
        // Two typed digits in a two-digit-year pattern: the window 1930..2029.
        if (p.shortYear && digits <= 2) value += value < 30 ? 2000 : 1900;
        f.year = value;
        break;
    }
  }
  // Some patterns end with the separator ("yyyy. MM. dd.").
  if (p.trailingSep && text.substr(pos, p.sep.size()) == p.sep) pos += p.sep.size();
  std::string_view rest = text.substr(pos);
  if (!rest.empty()) {
    if (rest.front() != ' ' && rest.front() != '\t') return false;
    rest = TrimSpaces(rest);
  }
  // A 12-hour time carries the locale's AM or PM designator before or after it.
  int half = 0;  // 1 = AM, 2 = PM
  const std::string designators[2] = {LocaleInfo(LOCALE_S1159), LocaleInfo(LOCALE_S2359)};
  for (int k = 0; k < 2 && half == 0 && !rest.empty(); ++k) {
    const std::string& d = designators[k];
    if (d.empty() || d.size() >= rest.size()) continue;
    if (EqualNoCase(rest.substr(rest.size() - d.size()), d)) {
      rest = TrimSpaces(rest.substr(0, rest.size() - d.size()));
      half = k + 1;
    } else if (EqualNoCase(rest.substr(0, d.size()), d)) {
      rest = TrimSpaces(rest.substr(d.size()));
      half = k + 1;
    }
  }
  std::string timeSep = LocaleInfo(LOCALE_STIME);
  if (timeSep.empty()) timeSep = ":";
  if (!detail::ParseTimeOfDay(rest, timeSep, f) &&
      (timeSep == ":" || !detail::ParseTimeOfDay(rest, ":", f)))
    return false;
  if (half != 0) {
    if (f.hour < 1 || f.hour > 12) return false;
    if (half == 1 && f.hour == 12) f.hour = 0;
    if (half == 2 && f.hour != 12) f.hour += 12;
  }
  return detail::FieldsToFileTime(f, time, outOfRange);
}

bool HaveByteSizeFormatter() {
  const ShellFormatters& fm = Formatters();
  return fm.size64 != nullptr || fm.size32 != nullptr;
}

std::string ByteSizeText(uint64_t bytes) {
  const ShellFormatters& fm = Formatters();
  char buf[64] = {};
  if (fm.size64 && bytes <= 0x7FFFFFFFFFFFFFFFULL) {
    if (fm.size64(static_cast<LONGLONG>(bytes), buf, sizeof buf)) return buf;
  } else if (fm.size32 && bytes <= 0xFFFFFFFFULL) {
    if (fm.size32(static_cast<DWORD>(bytes), buf, sizeof buf)) return buf;
  }
  // No formatter (or a size it cannot take): the same rules, written here.
  std::string dec = LocaleInfo(LOCALE_SDECIMAL);
  return detail::ShellByteSizeText(bytes, dec.size() == 1 ? dec[0] : '.');
}

int CompareTextNoCase(std::string_view a, std::string_view b) {
  if (a.empty() || b.empty()) return a.empty() ? (b.empty() ? 0 : -1) : 1;
  const int r = CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.data(),
                               static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()));
  if (r == CSTR_LESS_THAN) return -1;
  if (r == CSTR_GREATER_THAN) return 1;
  if (r == CSTR_EQUAL) return 0;
  // The call failed (invalid flags or text): fall back to plain bytes.
  const int c = a.compare(b);
  return c < 0 ? -1 : c > 0 ? 1 : 0;
}

namespace {

// The system locale's OEM code page. GetOEMCP is not asked: under the
// manifest's UTF-8 code page it may answer 65001.
UINT SystemOemCodePage() {
  static const UINT page = [] {
    wchar_t buf[8] = {};
    if (GetLocaleInfoW(LOCALE_SYSTEM_DEFAULT, LOCALE_IDEFAULTCODEPAGE, buf, 8) <= 0) return 0u;
    UINT value = 0;
    for (const wchar_t* c = buf; *c >= L'0' && *c <= L'9'; ++c) value = value * 10 + (*c - L'0');
    return value;
  }();
  return page;
}

}  // namespace

uint32_t AnsiCodePage() { return GetACP(); }

bool OemToAnsiText(std::string_view text, std::string& out) {
  const UINT page = SystemOemCodePage();
  if (page == 0 || page == CP_UTF8 || !IsValidCodePage(page)) return false;
  out.clear();
  if (text.empty()) return true;
  if (text.size() > 0x7FFFFFFF / 4) return false;
  const int len = static_cast<int>(text.size());
  const int wide = MultiByteToWideChar(page, 0, text.data(), len, nullptr, 0);
  if (wide <= 0) return false;
  std::wstring w(static_cast<size_t>(wide), L'\0');
  if (MultiByteToWideChar(page, 0, text.data(), len, w.data(), wide) != wide) return false;
  const int bytes = WideCharToMultiByte(CP_ACP, 0, w.data(), wide, nullptr, 0, nullptr, nullptr);
  if (bytes <= 0) return false;
  out.resize(static_cast<size_t>(bytes));
  if (WideCharToMultiByte(CP_ACP, 0, w.data(), wide, out.data(), bytes, nullptr, nullptr) != bytes)
    return false;
  return true;
}

uint16_t UserDefaultLanguageId() { return GetUserDefaultLangID(); }

}  // namespace zw::platform
