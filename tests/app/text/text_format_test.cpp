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

std::string F(const char* fmt, const TFmtArgs& args, bool* complete = nullptr) {
  return Format(fmt, args, kComma, complete);
}

// --- plain placeholders -------------------------------------------------------

TEST(FormatPlaceholders, StringAndIntegerInOrder) {
  EXPECT_EQ(F("The directory \"%s\" doesn't exist.", {S("C:\\x\\")}),
            "The directory \"C:\\x\\\" doesn't exist.");
  EXPECT_EQ(F("I/O-Error %d; could not browse \"%s\"", {I(5), S("/a/")}),
            "I/O-Error 5; could not browse \"/a/\"");
  EXPECT_EQ(F("%d:%d", {I(-12), I(0)}), "-12:0");
}

TEST(FormatPlaceholders, TextWithoutPlaceholdersIsUnchanged) {
  bool complete = false;
  EXPECT_EQ(F("No duplicate files found.", {}, &complete), "No duplicate files found.");
  EXPECT_TRUE(complete);
  EXPECT_EQ(F("", {}), "");
}

TEST(FormatPlaceholders, DoublePercentIsOnePercent) {
  EXPECT_EQ(F("%d%%", {I(42)}), "42%");
  EXPECT_EQ(F("%%s", {S("x")}), "%s");
}

TEST(FormatPlaceholders, LettersAreCaseInsensitive) {
  EXPECT_EQ(F("%S/%D/%X", {S("a"), I(7), I(255)}), "a/7/FF");
}

TEST(FormatPlaceholders, NumberForStringPrintsDecimal) {
  EXPECT_EQ(F("[%s]", {I(-31)}), "[-31]");
}

TEST(FormatPlaceholders, StringPrecisionCutsTheText) {
  EXPECT_EQ(F("%.3s|", {S("abcdef")}), "abc|");
  EXPECT_EQ(F("%.10s|", {S("abc")}), "abc|");
}

TEST(FormatPlaceholders, WidthPadsLeftOrRight) {
  EXPECT_EQ(F("[%5d]", {I(42)}), "[   42]");
  EXPECT_EQ(F("[%-5s]", {S("ab")}), "[ab   ]");
  EXPECT_EQ(F("[%2s]", {S("abcd")}), "[abcd]");
  EXPECT_EQ(F("[%*d]", {I(4), I(7)}), "[   7]");
}

// --- index forms --------------------------------------------------------------

TEST(FormatIndex, IndexRepeatsAnArgument) {
  // The mask question repeats its one argument six times.
  EXPECT_EQ(F("You entered a mask \"%0:s\". ... \"*%0:s\" ... \"foo%0:s\", \"bar%0:s\" ... "
              "\"*%0:s\" instead of \"%0:s\"?",
              {S(".dll")}),
            "You entered a mask \".dll\". ... \"*.dll\" ... \"foo.dll\", \"bar.dll\" ... "
            "\"*.dll\" instead of \".dll\"?");
}

TEST(FormatIndex, PlaceholdersAfterAnIndexGoOnFromIt) {
  EXPECT_EQ(F("%1:s %s %0:s %s", {S("a"), S("b"), S("c")}), "b c a b");
}

TEST(FormatIndex, IndexBeyondTheArgumentsStays) {
  bool complete = true;
  EXPECT_EQ(F("%3:s and %0:s", {S("x")}, &complete), "%3:s and x");
  EXPECT_FALSE(complete);
}

// --- precision of integers (elapsed time) --------------------------------------

TEST(FormatIntegerPrecision, ZeroPadsToTheGivenDigits) {
  EXPECT_EQ(F("%.2d:%.2d", {I(0), I(7)}), "00:07");
  EXPECT_EQ(F("%.3d", {I(250)}), "250");
  EXPECT_EQ(F("%.3d", {I(5)}), "005");
  EXPECT_EQ(F("%.2d:", {I(123)}), "123:");
  EXPECT_EQ(F("%.3d", {I(-5)}), "-005");
}

TEST(FormatIntegerPrecision, HexadecimalIsUpperCase) {
  EXPECT_EQ(F("%x", {I(0xBEEF)}), "BEEF");
  EXPECT_EQ(F("%.4x", {I(0xA)}), "000A");
  EXPECT_EQ(F("%x", {I(-1)}), "FFFFFFFFFFFFFFFF");
}

TEST(FormatIntegerPrecision, UnsignedTakesTheBitPattern) {
  EXPECT_EQ(F("%u", {I(-1)}), "18446744073709551615");
  EXPECT_EQ(F("%u", {I(12)}), "12");
}

TEST(FormatIntegerPrecision, Int64Extremes) {
  EXPECT_EQ(F("%d", {I(std::numeric_limits<int64_t>::max())}), "9223372036854775807");
  EXPECT_EQ(F("%d", {I(std::numeric_limits<int64_t>::min())}), "-9223372036854775808");
}

// --- thousands separators -----------------------------------------------------

TEST(FormatThousands, GroupsOfThreeDigits) {
  EXPECT_EQ(F("%.0n", {I(0)}), "0");
  EXPECT_EQ(F("%.0n", {I(999)}), "999");
  EXPECT_EQ(F("%.0n", {I(1000)}), "1,000");
  EXPECT_EQ(F("%.0n", {I(1234567)}), "1,234,567");
  EXPECT_EQ(F("%.0n", {I(100000)}), "100,000");
}

TEST(FormatThousands, NegativeNumbersKeepTheSignInFront) {
  EXPECT_EQ(F("%.0n", {I(-1)}), "-1");
  EXPECT_EQ(F("%.0n", {I(-1000)}), "-1,000");
  EXPECT_EQ(F("%.0n", {I(-999999)}), "-999,999");
}

TEST(FormatThousands, Int64Extremes) {
  EXPECT_EQ(F("%.0n", {I(std::numeric_limits<int64_t>::max())}), "9,223,372,036,854,775,807");
  EXPECT_EQ(F("%.0n", {I(std::numeric_limits<int64_t>::min())}), "-9,223,372,036,854,775,808");
}

TEST(FormatThousands, DecimalsAreZerosAfterTheDecimalSeparator) {
  EXPECT_EQ(F("%n", {I(1234)}), "1,234.00");  // two decimals when none are given
  EXPECT_EQ(F("%.1n", {I(5)}), "5.0");
  EXPECT_EQ(F("%f", {I(1234)}), "1234.00");
}

TEST(FormatThousands, SeparatorsAreConfigurable) {
  const TNumberFormat german{".", ","};
  EXPECT_EQ(Format("%.0n", {I(1234567)}, german), "1.234.567");
  EXPECT_EQ(Format("%n", {I(1234)}, german), "1.234,00");
  const TNumberFormat none{"", "."};
  EXPECT_EQ(Format("%.0n", {I(1234567)}, none), "1234567");
  const TNumberFormat narrowSpace{"\xE2\x80\xAF", ","};  // a separator of several bytes
  EXPECT_EQ(Format("%.0n", {I(12345)}, narrowSpace), "12\xE2\x80\xAF" "345");
}

TEST(FormatThousands, ProgramWideSeparatorIsUsedByDefault) {
  const TNumberFormat saved = zw::GetNumberFormat();
  zw::SetNumberFormat(TNumberFormat{"'", "."});
  EXPECT_EQ(Format("Found %.0n files", {I(1234567)}), "Found 1'234'567 files");
  zw::SetNumberFormat(saved);
  EXPECT_EQ(Format("%.0n", {I(1234)}), "1,234");
}

TEST(FormatThousands, HelperFormatsLikeThePlaceholder) {
  EXPECT_EQ(zw::FormatThousands(-1234567, 0, kComma), "-1,234,567");
  EXPECT_EQ(zw::FormatThousands(7, 2, kComma), "7.00");
}

// --- pointers -----------------------------------------------------------------

TEST(FormatPointer, EightUpperCaseHexDigits) {
  EXPECT_EQ(F("[%p]", {I(0)}), "[00000000]");
  EXPECT_EQ(F("[%p]", {I(0x4A3f0)}), "[0004A3F0]");
  EXPECT_EQ(F("[%p]", {I(0xFFFFFFFF)}), "[FFFFFFFF]");
}

TEST(FormatPointer, SixteenDigitsWhenTheValueNeedsMore) {
  EXPECT_EQ(F("[%p]", {I(0x100000000LL)}), "[0000000100000000]");
}

// --- mismatches never throw -----------------------------------------------------

TEST(FormatMismatch, MissingArgumentLeavesThePlaceholder) {
  bool complete = true;
  EXPECT_EQ(F("between %d and %d.", {I(1)}, &complete), "between 1 and %d.");
  EXPECT_FALSE(complete);
  EXPECT_EQ(F("\"%s\" could not be opened: \"%s.\"", {}), "\"%s\" could not be opened: \"%s.\"");
}

TEST(FormatMismatch, StringForANumberLeavesThePlaceholder) {
  bool complete = true;
  EXPECT_EQ(F("%d files, %.0n kB, %p, %x", {S("a"), S("b"), S("c"), S("d")}, &complete),
            "%d files, %.0n kB, %p, %x");
  EXPECT_FALSE(complete);
}

TEST(FormatMismatch, LaterPlaceholdersStillTakeTheirOwnArguments) {
  EXPECT_EQ(F("%d / %s", {S("oops"), S("fine")}), "%d / fine");
}

TEST(FormatMismatch, UnknownLetterOrLonePercentStaysAsWritten) {
  bool complete = true;
  EXPECT_EQ(F("100% sure %s", {S("x")}, &complete), "100% sure x");
  EXPECT_FALSE(complete);
  EXPECT_EQ(F("%z%s", {S("x")}), "%zx");
  EXPECT_EQ(F("ends with %", {}), "ends with %");
  EXPECT_EQ(F("ends inside %5", {I(3)}), "ends inside %5");
  EXPECT_EQ(F("%e", {I(3)}), "%e");
}

TEST(FormatMismatch, StarWithoutANumberLeavesThePlaceholder) {
  EXPECT_EQ(F("[%*d]", {S("w"), I(7)}), "[%*d]");
}

TEST(FormatMismatch, HugeWidthIsBounded) {
  const std::string out = F("%999999999d", {I(1)});
  EXPECT_LE(out.size(), 5000u);
  EXPECT_EQ(out.back(), '1');
}

TEST(FormatMismatch, ExtraArgumentsAreIgnored) {
  bool complete = false;
  EXPECT_EQ(F("%s", {S("a"), S("b"), I(3)}, &complete), "a");
  EXPECT_TRUE(complete);
}

TEST(EscapePercent, FormattedEscapedTextIsTheOriginal) {
  const std::string name = "100% of %s and %d.txt";
  EXPECT_EQ(F(zw::EscapePercent(name).c_str(), {I(9)}), name);
  EXPECT_EQ(F((zw::EscapePercent(name) + " in %d").c_str(), {I(9)}), name + " in 9");
}

}  // namespace
