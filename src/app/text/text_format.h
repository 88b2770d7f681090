// Filling the placeholders of the program's texts.
//
// Placeholders: "%" [index ":"] ["-"] [width] ["." precision] type
//   %s   string (precision = most characters taken); a number prints in decimal
//   %d   signed integer (precision = fewest digits, zero-padded: "%.2d" of 7 is "07")
//   %u   unsigned integer
//   %x   upper-case hexadecimal (precision = fewest digits)
//   %n   number with thousands separators, `precision` decimals (2 when none is
//        given): "%.0n" of 1234567 is "1,234,567"
//   %f   like %n without thousands separators
//   %p   pointer: upper-case hexadecimal, 8 digits (16 when the value needs more)
//   %%   a percent sign
// "%0:s" takes argument 0 again; the placeholders after it go on with
// argument 1. Width and precision may be "*", taken from the next argument.
// Letters are case-insensitive.
//
// Texts come from language files, so a bad placeholder or an argument that does
// not fit never throws: the placeholder is left in the text exactly as it was
// written (a missing argument, a string for %d, an unknown letter, a lone "%"),
// and the rest of the text is still filled.
#pragma once
#include <string>
#include <string_view>

#include "engine/common/messages.h"

namespace zw {

// Separators of %n (and %f): on Windows the host may set the user's locale
// values; ',' and '.' by default.
struct TNumberFormat {
  std::string thousands = ",";
  std::string decimal = ".";
};

// The separators in force for the whole program (thread-safe).
void SetNumberFormat(const TNumberFormat& format);
TNumberFormat GetNumberFormat();

// Fills `fmt` with `args` using the program's separators. `complete`, when
// given, is set to false if any placeholder could not be filled.
std::string Format(std::string_view fmt, const TFmtArgs& args, bool* complete = nullptr);
// The same with explicit separators.
std::string Format(std::string_view fmt, const TFmtArgs& args, const TNumberFormat& numbers,
                   bool* complete = nullptr);

// `value` with thousands separators and `decimals` zero decimals
// ("1,234,567"; "-1,000.00").
std::string FormatThousands(int64_t value, int decimals, const TNumberFormat& numbers);

// Doubles every "%", so that the text passes through Format unchanged.
std::string EscapePercent(std::string_view text);

// Equal when only the case of ASCII letters differs (names of texts, unit
// names, MRU entries).
bool EqualNoCaseAscii(std::string_view a, std::string_view b);

}  // namespace zw
