#include "app/text/criteria_descriptions.h"

#include <gtest/gtest.h>

#include "app/text_ids.h"
#include "engine/dupes/criteria.h"

namespace {

using zw::TAdvContentOptions;
using zw::TAdvDateOptions;
using zw::TAdvFilenameOptions;
using zw::TAdvSizeOptions;

#define PM "\xC2\xB1"  // the plus-minus sign

class DescriptionsTest : public ::testing::Test {
 protected:
  zw::TStringTable texts;
  zw::TByteUnitNames longUnits = texts.UnitNames();
  zw::TByteUnitNames shortUnits = texts.UnitShortNames();
};

TEST_F(DescriptionsTest, Filename) {
  const std::pair<TAdvFilenameOptions, const char*> cases[] = {
      {{}, "complete name, ignore case"},
      {{zw::afnComplete, 0, 0, 0, 0}, "complete name, case-sensitive"},
      {{zw::afnCharsNToM, 2, 4, 0, 0}, "chars 2 to 4, case-sensitive"},
      {{zw::afnFirstN, 4, 0, 0, 1}, "first 4 chars, ignore case"},
      {{zw::afnLastN, 260, 0, 0, 1}, "last 260 chars, ignore case"},
      {{zw::afnBeforeFirst, 0, 0, '.', 1},
       "all chars before the first occurence of \".\", ignore case"},
      {{zw::afnAfterFirst, 0, 0, '.', 1},
       "all chars after the first occurence of \".\", ignore case"},
      {{zw::afnBeforeLast, 0, 0, '_', 1},
       "all chars before the last occurence of \"_\", ignore case"},
      // the separator is inserted, not read as a placeholder
      {{zw::afnAfterLast, 0, 0, '%', 1},
       "all chars after the last occurence of \"%\", ignore case"},
      // modes never produced read as the complete name
      {{2, 0, 0, 0, 1}, "complete name, ignore case"},
      {{200, 0, 0, 0, 1}, "complete name, ignore case"},
  };
  for (const auto& [options, text] : cases) EXPECT_EQ(zw::DescribeFilename(options, texts), text);
  // The factory settings, described with the program's own tables.
  EXPECT_EQ(zw::DescribeFilename(zw::TCompareSettings{}.filename), "complete name, ignore case");
  texts.Set(zw::strAFNFirst, "erste %d Zeichen");
  texts.Set(zw::strAFNIgnoreCase, ", ohne Gross/klein");
  EXPECT_EQ(zw::DescribeFilename({zw::afnFirstN, 3, 0, 0, 1}, texts),
            "erste 3 Zeichen, ohne Gross/klein");
}

TEST_F(DescriptionsTest, Size) {
  const std::pair<TAdvSizeOptions, const char*> cases[] = {
      {{}, "exactly"},
      {{0, 4096, 1}, "exactly"},
      {{1, 4096, 1}, PM " 4 kB"},
      {{1, 5, 0}, PM " 5 B"},
      {{1, 3LL << 30, 3}, PM " 3 GB"},
      {{1, (3LL << 20) + 1000, 2}, PM " 3 MB"},  // shown shifted, the rest dropped
      {{1, 8192, 9}, PM " 8192 B"},              // a unit outside the table: bytes
  };
  for (const auto& [options, text] : cases)
    EXPECT_EQ(zw::DescribeSize(options, shortUnits, texts), text);
  EXPECT_EQ(zw::DescribeSize(zw::TCompareSettings{}.size), "exactly");
  shortUnits[1] = "Ko";
  EXPECT_EQ(zw::DescribeSize({1, 8192, 1}, shortUnits, texts), PM " 8 Ko");
}

TEST_F(DescriptionsTest, Date) {
  const std::pair<TAdvDateOptions, const char*> cases[] = {
      {{}, "complete date, exactly"},
      {{1, 0, 1, 2}, "complete date, " PM " 2 days"},
      {{1, 0, 1, 10675199}, "complete date, " PM " 10675199 days"},
      {{0, zw::adpTime}, "time only"},
      {{0, zw::adpDay | zw::adpMonth}, "day and month only"},
      {{0, zw::adpTime | zw::adpDay | zw::adpYear}, "time, day and year only"},
      {{0, zw::adpYear}, "year only"},
      {{0, zw::adpTime | zw::adpDay | zw::adpMonth | zw::adpYear},
       "time, day, month and year only"},
      {{0, zw::adpMonth | zw::adpTime}, "time and month only"},  // always in this order
  };
  for (const auto& [options, text] : cases) EXPECT_EQ(zw::DescribeDate(options, texts), text);
  EXPECT_EQ(zw::DescribeDate(zw::TCompareSettings{}.date), "complete date, exactly");
  texts.Set(zw::strADOnly_, "nur ");  // a language with the word in front
  texts.Set(zw::strAD_Only, "");
  texts.Set(zw::strAD_and_, " und ");
  texts.Set(zw::strADDay, "Tag");
  texts.Set(zw::strADYear, "Jahr");
  EXPECT_EQ(zw::DescribeDate({0, zw::adpDay | zw::adpYear}, texts), "nur Tag und Jahr");
}

TEST_F(DescriptionsTest, Content) {
  const std::pair<TAdvContentOptions, const char*> cases[] = {
      {{}, "complete file, fingerprint (crc)"},
      {{zw::acBytesNToM, zw::acmCRC32, 0, 3 * 1024, 1}, "kbytes 0 to 3, fingerprint (crc)"},
      {{zw::acBytesNToMFromEnd, zw::acmCRC32, 0, 3 * 1024, 1},
       "kbytes 0 to 3 seen from end, fingerprint (crc)"},
      {{zw::acFirstN, zw::acmCRC32, 4 * 1024, 0, 1}, "first 4 kbytes, fingerprint (crc)"},
      {{zw::acLastN, zw::acmCRC32, 4 * 1024, 0, 1}, "last 4 kbytes, fingerprint (crc)"},
      {{zw::acLastN, zw::acmCRC32, 100, 0, 0}, "last 100 bytes, fingerprint (crc)"},
      {{9, zw::acmCRC32, 100, 0, 0}, "complete file, fingerprint (crc)"},  // never produced
      {{zw::acComplete, 0}, "complete file, pick into the middle"},
      {{zw::acComplete, zw::acmByteByByte}, "complete file, byte-per-byte comparison"},
      {{zw::acComplete, zw::acmCRC32 | zw::acmByteByByte},
       "complete file, fingerprint (crc), byte-per-byte comparison"},
  };
  for (const auto& [options, text] : cases)
    EXPECT_EQ(zw::DescribeContent(options, longUnits, texts), text);
  EXPECT_EQ(zw::DescribeContent(zw::TCompareSettings{}.content),
            "complete file, fingerprint (crc)");
  longUnits[2] = "Mo";
  EXPECT_EQ(zw::DescribeContent({zw::acFirstN, zw::acmCRC32, 7LL << 20, 0, 2}, longUnits, texts),
            "first 7 Mo, fingerprint (crc)");
}

}  // namespace
