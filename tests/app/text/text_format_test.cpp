#include "app/text/text_format.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

namespace {

using zw::Format;
using zw::TFmtArg;
using zw::TFmtArgs;
using zw::TNumberFormat;

TFmtArg I(int64_t v) { return TFmtArg(v); }
TFmtArg S(const char* s) { return TFmtArg(std::string(s)); }

const TNumberFormat kComma{",", "."};
constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
constexpr int64_t kMin = std::numeric_limits<int64_t>::min();

struct FormatCase {
  const char* format;
  TFmtArgs args;
  const char* out;
  int complete = -1;  // whether every placeholder got its argument (-1: not checked)
};

const FormatCase kCases[] = {
    // plain placeholders, in order; letters in any case
    {"The directory \"%s\" doesn't exist.", {S("C:\\x\\")},
     "The directory \"C:\\x\\\" doesn't exist."},
    {"I/O-Error %d; could not browse \"%s\"", {I(5), S("/a/")},
     "I/O-Error 5; could not browse \"/a/\""},
    {"%d:%d", {I(-12), I(0)}, "-12:0"},
    {"No duplicate files found.", {}, "No duplicate files found.", 1},
    {"", {}, ""},
    {"%d%%", {I(42)}, "42%"},
    {"%%s", {S("x")}, "%s"},
    {"%S/%D/%X", {S("a"), I(7), I(255)}, "a/7/FF"},
    {"[%s]", {I(-31)}, "[-31]"},  // a number for a string prints decimal
    // precision cuts a text; width pads left or right
    {"%.3s|", {S("abcdef")}, "abc|"},
    {"%.10s|", {S("abc")}, "abc|"},
    {"[%5d]", {I(42)}, "[   42]"},
    {"[%-5s]", {S("ab")}, "[ab   ]"},
    {"[%2s]", {S("abcd")}, "[abcd]"},
    {"[%*d]", {I(4), I(7)}, "[   7]"},
    // an index repeats an argument; placeholders after it go on from it
    {"mask \"%0:s\" ... \"*%0:s\" ... \"foo%0:s\" instead of \"%0:s\"?", {S(".dll")},
     "mask \".dll\" ... \"*.dll\" ... \"foo.dll\" instead of \".dll\"?"},
    {"%1:s %s %0:s %s", {S("a"), S("b"), S("c")}, "b c a b"},
    {"%3:s and %0:s", {S("x")}, "%3:s and x", 0},
    // the precision of integers zero-pads (elapsed time)
    {"%.2d:%.2d", {I(0), I(7)}, "00:07"},
    {"%.3d|%.3d|%.2d|%.3d", {I(250), I(5), I(123), I(-5)}, "250|005|123|-005"},
    // hexadecimal in upper case; unsigned takes the bit pattern
    {"%x|%.4x|%x", {I(0xBEEF), I(0xA), I(-1)}, "BEEF|000A|FFFFFFFFFFFFFFFF"},
    {"%u|%u", {I(-1), I(12)}, "18446744073709551615|12"},
    {"%d|%d", {I(kMax), I(kMin)}, "9223372036854775807|-9223372036854775808"},
    // thousands separators in groups of three, the sign in front
    {"%.0n|%.0n|%.0n|%.0n|%.0n", {I(0), I(999), I(1000), I(1234567), I(100000)},
     "0|999|1,000|1,234,567|100,000"},
    {"%.0n|%.0n|%.0n", {I(-1), I(-1000), I(-999999)}, "-1|-1,000|-999,999"},
    {"%.0n|%.0n", {I(kMax), I(kMin)}, "9,223,372,036,854,775,807|-9,223,372,036,854,775,808"},
    // decimals are zeros after the decimal separator; two when none are given
    {"%n|%.1n|%f", {I(1234), I(5), I(1234)}, "1,234.00|5.0|1234.00"},
    // pointers: eight upper-case hex digits, sixteen when the value needs more
    {"[%p][%p][%p]", {I(0), I(0x4A3f0), I(0xFFFFFFFF)}, "[00000000][0004A3F0][FFFFFFFF]"},
    {"[%p]", {I(0x100000000LL)}, "[0000000100000000]"},
    // mismatches never throw: the placeholder stays as written
    {"between %d and %d.", {I(1)}, "between 1 and %d.", 0},
    {"\"%s\" could not be opened: \"%s.\"", {}, "\"%s\" could not be opened: \"%s.\""},
    {"%d files, %.0n kB, %p, %x", {S("a"), S("b"), S("c"), S("d")}, "%d files, %.0n kB, %p, %x", 0},
    {"%d / %s", {S("oops"), S("fine")}, "%d / fine"},  // later ones take their own arguments
    {"100% sure %s", {S("x")}, "100% sure x", 0},
    {"%z%s", {S("x")}, "%zx"},
    {"ends with %", {}, "ends with %"},
    {"ends inside %5", {I(3)}, "ends inside %5"},
    {"%e", {I(3)}, "%e"},
    {"[%*d]", {S("w"), I(7)}, "[%*d]"},
    {"%s", {S("a"), S("b"), I(3)}, "a", 1},  // extra arguments are ignored
};

TEST(Format, PlaceholdersAndWhatTheyGive) {
  for (const FormatCase& c : kCases) {
    bool complete = c.complete != 1;
    EXPECT_EQ(Format(c.format, c.args, kComma, &complete), c.out) << c.format;
    EXPECT_TRUE(c.complete < 0 || complete == (c.complete == 1)) << c.format;
  }
}

TEST(Format, HugeWidthIsBounded) {
  const std::string out = Format("%999999999d", {I(1)}, kComma);
  EXPECT_LE(out.size(), 5000u);
  EXPECT_EQ(out.back(), '1');
}

TEST(Format, SeparatorsAreConfigurableAndProgramWide) {
  EXPECT_EQ(Format("%.0n|%n", {I(1234567), I(1234)}, TNumberFormat{".", ","}),
            "1.234.567|1.234,00");
  EXPECT_EQ(Format("%.0n", {I(1234567)}, TNumberFormat{"", "."}), "1234567");
  // a separator of several bytes
  EXPECT_EQ(Format("%.0n", {I(12345)}, TNumberFormat{"\xE2\x80\xAF", ","}), "12\xE2\x80\xAF" "345");
  EXPECT_EQ(zw::FormatThousands(-1234567, 0, kComma), "-1,234,567");
  EXPECT_EQ(zw::FormatThousands(7, 2, kComma), "7.00");
  const TNumberFormat saved = zw::GetNumberFormat();
  zw::SetNumberFormat(TNumberFormat{"'", "."});
  EXPECT_EQ(Format("Found %.0n files", {I(1234567)}), "Found 1'234'567 files");
  zw::SetNumberFormat(saved);
  EXPECT_EQ(Format("%.0n", {I(1234)}), "1,234");
}

TEST(EscapePercent, FormattedEscapedTextIsTheOriginal) {
  const std::string name = "100% of %s and %d.txt";
  EXPECT_EQ(Format(zw::EscapePercent(name), {I(9)}, kComma), name);
  EXPECT_EQ(Format(zw::EscapePercent(name) + " in %d", {I(9)}, kComma), name + " in 9");
}

}  // namespace
