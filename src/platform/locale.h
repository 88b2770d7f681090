// The user's conventions for texts: dates and times, byte sizes and text
// comparison.
//
// Windows uses the user's default locale (GetDateFormatA, GetTimeFormatA,
// StrFormatByteSizeA, CompareStringA). POSIX has no per-user date format that
// programs agree on; it writes ISO dates ("2004-03-18") and 24-hour times
// ("21:39" / "21:39:42"), and formats byte sizes like the Windows shell.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/filetime.h"

namespace zw::platform {

// The short date of a FILETIME, as is (no time-zone conversion).
std::string ShortDateText(FileTime time);
// The time of day, with or without seconds.
std::string TimeOfDayText(FileTime time, bool seconds);
// Short date, one space, time of day; a trailing space is removed when the
// time part came out empty.
std::string DateTimeText(FileTime time, bool seconds);

// Reads a date (and optional time) typed in the user's short date / time
// format. False when it does not parse; `time` may then be anything.
// A text that parses to a date outside FILETIME's range gives false with
// `outOfRange` set.
bool ParseLocalDateTime(std::string_view text, FileTime& time, bool& outOfRange);
// Reads an ISO 8601 date "yyyy-mm-dd", optionally followed by a blank (or
// "T") and "hh:mm" or "hh:mm:ss"; blanks around it are allowed. The same
// results as ParseLocalDateTime. The one reader of ISO dates.
bool ParseIsoDateTime(std::string_view text, FileTime& time, bool& outOfRange);

// Whether the shell's byte-size formatter is there (Windows: looked up at
// run time; POSIX: always).
bool HaveByteSizeFormatter();
// A byte count in the best-fitting unit ("500 bytes", "1.45 KB", "12.0 MB"),
// like the Windows shell's StrFormatByteSize.
std::string ByteSizeText(uint64_t bytes);

// Compares two texts ignoring case in the user's locale: < 0, 0, > 0.
int CompareTextNoCase(std::string_view a, std::string_view b);

// The code page of the program's narrow strings: Windows: GetACP (65001
// under the program's UTF-8 manifest, the system's ANSI code page before
// Windows 10 1903); POSIX: 65001, names being UTF-8.
uint32_t AnsiCodePage();

// Text in the system's OEM code page (the names in ZIP archives written
// without the UTF-8 flag by the system's own tools) in the program's code
// page (AnsiCodePage). Windows: the OEM code page of the system locale,
// which the program's UTF-8 manifest does not change. False on POSIX, and
// when that page is unknown or the text does not convert; the caller then
// reads DOS code page 437.
bool OemToAnsiText(std::string_view text, std::string& out);

// The Windows language identifier (LANGID) of a POSIX locale name such as
// "de_DE.UTF-8", "pt_BR" or "fr": the language and, where it tells them
// apart, the country. "C", "POSIX", an empty name and a language the table
// does not know give 1033 (English, United States).
uint16_t LanguageIdOfLocaleName(std::string_view name);
// The user's default language as a Windows language identifier. Windows:
// GetUserDefaultLangID; POSIX: the first of LC_ALL, LC_MESSAGES and LANG
// that is set, through LanguageIdOfLocaleName.
uint16_t UserDefaultLanguageId();

}  // namespace zw::platform
