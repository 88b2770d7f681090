// What the user types for the check rules: sizes as the script command
// takes them and dates in the local or the ISO form, with the messages of a
// date that does not read.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "engine/common/messages.h"
#include "platform/filetime.h"
#include "app/text_ids.h"

namespace zw {

// A size as the script command checkbycriteria takes it: digits, optionally
// followed by blanks and one unit letter b, k, m, g, t, p or e (any case;
// powers of 1024). Refused: anything else, and values of 2^63 bytes or more.
bool ParseScriptSize(std::string_view text, uint64_t& bytes);

// A date typed by the user: the local date and time format, or ISO 8601
// "2004-03-18" optionally followed by one blank and "21:39:42".
enum class TDateParse : uint8_t {
  Ok,
  Invalid,     // neither form: msgInvalidDate
  OutOfRange,  // a date, but not within 1601-01-01 .. 30827-12-31: msgInvalidFileDate
};
TDateParse ParseDateInput(std::string_view text, platform::FileTime& out);
// Shows the message of a failed ParseDateInput (msgInvalidDate with its
// example in the local format, or msgInvalidFileDate). Nothing for Ok.
void ShowDateError(TDateParse result, IMessenger& msgr);
// The example of msgInvalidDate: 2004-03-18 21:39:42 in the local format.
std::string InvalidDateExample();

}  // namespace zw
