#include "platform/locale.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/locale_detail.h"
#include "support/files.h"

namespace zw::platform {
namespace {

using zwtest::At;

constexpr uint64_t KiB = 1024, MiB = KiB * 1024, GiB = MiB * 1024, TiB = GiB * 1024,
                   PiB = TiB * 1024, EiB = PiB * 1024;

// --- byte sizes the way the shell writes them --------------------------------

TEST(ShellByteSizeText, ThreeSignificantDigitsTruncatedUpToExabytes) {
  const struct {
    uint64_t bytes;
    const char* text;
  } cases[] = {
      {0, "0 bytes"}, {1023, "1023 bytes"}, {1024, "1.00 KB"}, {1485, "1.45 KB"}, {2047, "1.99 KB"},
      {10 * KiB - 1, "9.99 KB"}, {1023999, "999 KB"}, {1000 * KiB, "0.97 MB"},  // a thousand units move on
      {12 * MiB + 300 * KiB + 1, "12.2 MB"}, {12 * MiB + 310 * KiB, "12.3 MB"}, {123 * MiB + 900 * KiB, "123 MB"},
      {1000 * MiB, "0.97 GB"}, {5 * GiB, "5.00 GB"}, {3 * TiB, "3.00 TB"}, {250 * PiB, "250 PB"},
      {2 * EiB + EiB / 2, "2.50 EB"}, {UINT64_MAX, "15.9 EB"},
  };
  for (const auto& c : cases) EXPECT_EQ(detail::ShellByteSizeText(c.bytes), c.text) << c.bytes;
  EXPECT_EQ(detail::ShellByteSizeText(1485, ','), "1,45 KB");
}

TEST(ByteSizeText, FormatterIsThereAndWritesUnits) {
  EXPECT_TRUE(HaveByteSizeFormatter());
  EXPECT_NE(ByteSizeText(500).find("500"), std::string::npos);
  EXPECT_NE(ByteSizeText(1485).find("KB"), std::string::npos);
  // Sizes beyond 32 bits are not cut down to their low word.
  EXPECT_NE(ByteSizeText(5 * GiB).find("GB"), std::string::npos);
  EXPECT_NE(ByteSizeText(5 * GiB).find('5'), std::string::npos);
#ifndef _WIN32
  EXPECT_EQ(ByteSizeText(1485), "1.45 KB");
  EXPECT_EQ(ByteSizeText(123 * MiB + 5), "123 MB");
#endif
}

// --- dates and times ---------------------------------------------------------

TEST(DateTimeText, JoinsDateAndTimeWithOneSpace) {
  const FileTime t = At(2004, 3, 18, 21, 39, 42);
  EXPECT_EQ(DateTimeText(t, true), ShortDateText(t) + " " + TimeOfDayText(t, true));
  EXPECT_EQ(DateTimeText(t, false), ShortDateText(t) + " " + TimeOfDayText(t, false));
  EXPECT_NE(ShortDateText(t).find("2004"), std::string::npos);
  EXPECT_NE(TimeOfDayText(t, true).find("42"), std::string::npos);
  EXPECT_EQ(TimeOfDayText(t, false).find("42"), std::string::npos);
}

TEST(DateTimeText, TakesTheValueAsItIs) {
  // No time-zone shift: midnight stays on its own day.
  const FileTime t = At(2020, 1, 1, 0, 0, 5);
  EXPECT_NE(ShortDateText(t).find("2020"), std::string::npos);
  EXPECT_EQ(ShortDateText(t), ShortDateText(At(2020, 1, 1, 23, 59, 59)));
}

#ifndef _WIN32
TEST(DateTimeText, PosixWritesIsoDatesAnd24HourTimes) {
  const FileTime t = At(2004, 3, 8, 9, 5, 7);
  EXPECT_EQ(ShortDateText(t), "2004-03-08");
  EXPECT_EQ(TimeOfDayText(t, false), "09:05");
  EXPECT_EQ(TimeOfDayText(t, true), "09:05:07");
  EXPECT_EQ(DateTimeText(At(2004, 3, 18, 21, 39, 42), true), "2004-03-18 21:39:42");
  EXPECT_EQ(DateTimeText(At(1601, 1, 1), false), "1601-01-01 00:00");
}
#endif

TEST(ParseLocalDateTime, ReadsBackWhatWasWritten) {
  const FileTime t = At(2004, 3, 18, 21, 39, 42), morning = At(1999, 12, 31, 0, 7, 1), noon = At(2031, 7, 4, 12, 30, 0);
  const std::pair<std::string, FileTime> cases[] = {
      {DateTimeText(t, true), t}, {DateTimeText(t, false), At(2004, 3, 18, 21, 39, 0)}, {ShortDateText(t), At(2004, 3, 18)},
      {DateTimeText(morning, true), morning}, {DateTimeText(noon, true), noon}};
  for (const auto& [text, want] : cases) {
    FileTime got = 0;
    bool outOfRange = true;
    ASSERT_TRUE(ParseLocalDateTime(text, got, outOfRange)) << text;
    EXPECT_FALSE(outOfRange) << text;
    EXPECT_EQ(got, want) << text;
  }
}

TEST(ParseLocalDateTime, RefusesWhatIsNoDateAndYearsBeyondFileTime) {
  const std::string good = ShortDateText(At(2004, 3, 18));
  std::vector<std::pair<std::string, bool>> cases = {{"", false}, {"yesterday", false}, {good + " x", false}, {good + " 25:00", false}};
  // The year written in full in the user's own format, swapped for one
  // that a FILETIME cannot hold.
  const size_t at = good.find("2004");
  for (const char* year : {"1500", "30828"})
    if (at != std::string::npos) cases.emplace_back(std::string(good).replace(at, 4, year), true);
  for (const auto& [text, outOfRange] : cases) {
    FileTime got = 0;
    bool beyond = !outOfRange;
    EXPECT_FALSE(ParseLocalDateTime(text, got, beyond)) << text;
    EXPECT_EQ(beyond, outOfRange) << text;
  }
  FileTime got = 0;
  bool beyond = true;
  EXPECT_TRUE(at == std::string::npos || (ParseLocalDateTime(std::string(good).replace(at, 4, "30827"), got, beyond) && !beyond));
}

#ifndef _WIN32
TEST(ParseLocalDateTime, PosixReadsIsoForms) {
  FileTime got = 0;
  bool outOfRange = true;
  ASSERT_TRUE(ParseLocalDateTime("2004-03-18 21:39", got, outOfRange));
  EXPECT_EQ(got, At(2004, 3, 18, 21, 39));
  ASSERT_TRUE(ParseLocalDateTime(" 2004-3-8 ", got, outOfRange));
  EXPECT_EQ(got, At(2004, 3, 8));
  EXPECT_FALSE(ParseLocalDateTime("18.03.2004", got, outOfRange));
}
#endif

// The ISO reader is shared; it runs on both platforms.
TEST(ParseIsoDateTime, ChecksTheCalendarAndTheFileTimeRange) {
  const struct {
    const char* text;
    bool ok, outOfRange;
    FileTime want;
  } cases[] = {
      {"2004-03-18 21:39:42", true, false, At(2004, 3, 18, 21, 39, 42)}, {"2004-02-29", true, false, At(2004, 2, 29)},
      {"1601-01-01", true, false, 0}, {"30827-12-31 23:59:59", true, false, At(30827, 12, 31, 23, 59, 59)},
      {"2003-02-29", false, false, 0}, {"2004-13-01", false, false, 0}, {"2004-03-18 21:60", false, false, 0},
      {"2004-03-18 21:39:", false, false, 0}, {"2004-03-18 21", false, false, 0}, {"2004-03", false, false, 0},
      {"1600-12-31", false, true, 0}, {"30828-01-01", false, true, 0},
  };
  for (const auto& c : cases) {
    FileTime got = 0;
    bool outOfRange = !c.outOfRange;
    EXPECT_EQ(detail::ParseIsoDateTime(c.text, got, outOfRange), c.ok) << c.text;
    EXPECT_EQ(outOfRange, c.outOfRange) << c.text;
    EXPECT_EQ(got, c.want) << c.text;
  }
}

// --- comparison --------------------------------------------------------------

TEST(CompareTextNoCase, IgnoresCaseAndGivesASign) {
  const struct {
    const char *a, *b;
    int sign;
  } cases[] = {{"Readme.TXT", "readme.txt", 0}, {"apple", "Banana", -1}, {"banana", "APPLE", 1}, {"", "a", -1},
               {"ab", "a", 1}, {"", "", 0}, {"zeta", "Alpha", 1}, {"Alpha", "zeta", -1}};
  for (const auto& c : cases) EXPECT_EQ(CompareTextNoCase(c.a, c.b), c.sign) << c.a << " " << c.b;
}

TEST(AnsiCodePage, NarrowStringsAreUtf8) {
  // On Windows the programs' manifest makes the ...A API speak UTF-8.
  EXPECT_EQ(AnsiCodePage(), 65001u);
}

TEST(OemToAnsiText, SystemOemCodePageOnWindowsOnly) {
  std::string out = "left over";
#ifdef _WIN32
  // The test machines run a Western system locale; its OEM code page (437,
  // 850 or 858) has u-umlaut at 0x81 and e-acute at 0x82. The program's own
  // code page is UTF-8 (its manifest).
  ASSERT_TRUE(OemToAnsiText("Gr\x81\x82.txt", out));
  EXPECT_EQ(out, "Gr\xC3\xBC\xC3\xA9.txt");
  ASSERT_TRUE(OemToAnsiText("", out));
  EXPECT_EQ(out, "");
#else
  EXPECT_FALSE(OemToAnsiText("Gr\x81.txt", out));
#endif
}

// --- the user's language ------------------------------------------------------

TEST(LanguageIdOfLocaleName, LanguageAndCountryGiveTheWindowsIdentifier) {
  const std::pair<const char*, uint16_t> cases[] = {
      {"de_DE.UTF-8", 0x0407}, {"de", 0x0407},       {"de_AT", 0x0C07},  {"de_CH.utf8", 0x0807},
      {"DE_de", 0x0407},       {"en_US.UTF-8", 0x0409}, {"en_GB", 0x0809}, {"fr_CA@euro", 0x0C0C},
      {"fr_FR", 0x040C},       {"pt_BR", 0x0416},     {"pt_PT", 0x0816},  {"zh_TW.Big5", 0x0404},
      {"zh_CN", 0x0804},       {"sr_RS@latin", 0x081A}, {"nb_NO", 0x0414}, {"es-MX", 0x080A},
      // what names no language the table knows is English (United States)
      {"C", 0x0409},           {"C.UTF-8", 0x0409},   {"POSIX", 0x0409},  {"", 0x0409},
      {"xx_YY", 0x0409},       {"_DE", 0x0409},       {".UTF-8", 0x0409},
  };
  for (const auto& [name, id] : cases) EXPECT_EQ(LanguageIdOfLocaleName(name), id) << name;
}

}  // namespace
}  // namespace zw::platform
