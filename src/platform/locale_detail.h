// Pieces of the locale module that both platforms share: the shell-style
// byte-size text and the ISO date reader. Internal to the platform layer.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/filetime.h"

namespace zw::platform::detail {

// The byte count as the Windows shell writes it, with `decimalPoint`
// between whole and fraction: "500 bytes", "1.00 KB", "1.45 KB",
// "12.3 MB", "123 MB". Three significant digits, truncated, never rounded;
// a value of 1000 units or more moves to the next unit ("0.97 MB").
std::string ShellByteSizeText(uint64_t bytes, char decimalPoint = '.');

// Fields of a typed date and time, not yet checked against the calendar.
struct DateFields {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

// Turns fields into a FILETIME. False when a field is out of its range; a
// calendar date that FILETIME cannot hold (before 1601, after 30827) also
// gives false but with `outOfRange` set.
bool FieldsToFileTime(const DateFields& f, FileTime& time, bool& outOfRange);

// Reads an optional time "H:M" or "H:M:S" (one or two digits each) from the
// start of `text`, separated by `sep`. False when anything is left over.
bool ParseTimeOfDay(std::string_view text, std::string_view sep, DateFields& f);

// Reads "yyyy-mm-dd", optionally followed by spaces and a time "hh:mm" or
// "hh:mm:ss". Leading and trailing spaces are allowed.
bool ParseIsoDateTime(std::string_view text, FileTime& time, bool& outOfRange);

}  // namespace zw::platform::detail
