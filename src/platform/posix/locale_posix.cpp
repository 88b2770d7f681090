// Texts in the user's conventions on POSIX: ISO dates, 24-hour times, byte
// sizes the way the Windows shell writes them, and case-insensitive
// comparison of the lower-cased bytes.
#include <cstdio>
#include <cstdlib>

#include "platform/locale.h"
#include "platform/locale_detail.h"
#include "platform/paths.h"

namespace zw::platform {

std::string ShortDateText(FileTime time) {
  const SystemTime st = SplitFileTime(time);
  char buf[32];
  std::snprintf(buf, sizeof buf, "%04u-%02u-%02u", unsigned{st.year}, unsigned{st.month},
                unsigned{st.day});
  return buf;
}

std::string TimeOfDayText(FileTime time, bool seconds) {
  const SystemTime st = SplitFileTime(time);
  char buf[32];
  if (seconds)
    std::snprintf(buf, sizeof buf, "%02u:%02u:%02u", unsigned{st.hour}, unsigned{st.minute},
                  unsigned{st.second});
  else
    std::snprintf(buf, sizeof buf, "%02u:%02u", unsigned{st.hour}, unsigned{st.minute});
  return buf;
}

std::string DateTimeText(FileTime time, bool seconds) {
  std::string text = ShortDateText(time) + ' ' + TimeOfDayText(time, seconds);
  if (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}

bool ParseLocalDateTime(std::string_view text, FileTime& time, bool& outOfRange) {
  return detail::ParseIsoDateTime(text, time, outOfRange);
}

bool HaveByteSizeFormatter() { return true; }

std::string ByteSizeText(uint64_t bytes) { return detail::ShellByteSizeText(bytes, '.'); }

int CompareTextNoCase(std::string_view a, std::string_view b) {
  const std::string la = LowerText(a), lb = LowerText(b);
  const int c = la.compare(lb);  // char_traits<char> compares as unsigned bytes
  return c < 0 ? -1 : c > 0 ? 1 : 0;
}

uint32_t AnsiCodePage() { return 65001; }

bool OemToAnsiText(std::string_view, std::string&) {
  return false;  // no system OEM code page: archives are read as DOS code page 437
}

uint16_t UserDefaultLanguageId() {
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = std::getenv(name);
    if (value != nullptr && value[0] != '\0') return LanguageIdOfLocaleName(value);
  }
  return LanguageIdOfLocaleName("");
}

}  // namespace zw::platform
