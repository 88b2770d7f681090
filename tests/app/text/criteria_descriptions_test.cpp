#include "app/text/criteria_descriptions.h"

#include <gtest/gtest.h>

#include "engine/dupes/criteria.h"
#include "app/text_ids.h"

namespace {

using zw::TAdvContentOptions;
using zw::TAdvDateOptions;
using zw::TAdvFilenameOptions;
using zw::TAdvSizeOptions;

const std::string kPM = "\xC2\xB1";  // the plus-minus sign

class DescriptionsTest : public ::testing::Test {
 protected:
  zw::TStringTable texts;
  zw::TByteUnitNames longUnits = texts.UnitNames();
  zw::TByteUnitNames shortUnits = texts.UnitShortNames();
};

// --- factory state ----------------------------------------------------------------

TEST_F(DescriptionsTest, FactoryDefaults) {
  const zw::TCompareSettings s = zw::TCompareSettings{};
  EXPECT_EQ(zw::DescribeFilename(s.filename, texts), "complete name, ignore case");
  EXPECT_EQ(zw::DescribeSize(s.size, shortUnits, texts), "exactly");
  EXPECT_EQ(zw::DescribeDate(s.date, texts), "complete date, exactly");
  EXPECT_EQ(zw::DescribeContent(s.content, longUnits, texts), "complete file, fingerprint (crc)");
  // The overloads on the program's own tables read the same.
  EXPECT_EQ(zw::DescribeFilename(s.filename), "complete name, ignore case");
  EXPECT_EQ(zw::DescribeSize(s.size), "exactly");
  EXPECT_EQ(zw::DescribeDate(s.date), "complete date, exactly");
  EXPECT_EQ(zw::DescribeContent(s.content), "complete file, fingerprint (crc)");
}

// --- file name --------------------------------------------------------------------

TEST_F(DescriptionsTest, FilenameModes) {
  TAdvFilenameOptions o;
  o.ignoreCase = 0;
  EXPECT_EQ(zw::DescribeFilename(o, texts), "complete name, case-sensitive");
  o.mode = zw::afnCharsNToM;
  o.N = 2;
  o.M = 4;
  EXPECT_EQ(zw::DescribeFilename(o, texts), "chars 2 to 4, case-sensitive");
  o.mode = zw::afnFirstN;
  o.N = 4;
  o.ignoreCase = 1;
  EXPECT_EQ(zw::DescribeFilename(o, texts), "first 4 chars, ignore case");
  o.mode = zw::afnLastN;
  o.N = 260;
  EXPECT_EQ(zw::DescribeFilename(o, texts), "last 260 chars, ignore case");
  o.c = '.';
  o.mode = zw::afnBeforeFirst;
  EXPECT_EQ(zw::DescribeFilename(o, texts),
            "all chars before the first occurence of \".\", ignore case");
  o.mode = zw::afnAfterFirst;
  EXPECT_EQ(zw::DescribeFilename(o, texts),
            "all chars after the first occurence of \".\", ignore case");
  o.mode = zw::afnBeforeLast;
  o.c = '_';
  EXPECT_EQ(zw::DescribeFilename(o, texts),
            "all chars before the last occurence of \"_\", ignore case");
  o.mode = zw::afnAfterLast;
  o.c = '%';  // the separator is inserted, not read as a placeholder
  EXPECT_EQ(zw::DescribeFilename(o, texts),
            "all chars after the last occurence of \"%\", ignore case");
}

TEST_F(DescriptionsTest, FilenameModeNeverProducedReadsAsCompleteName) {
  TAdvFilenameOptions o;
  o.mode = 2;
  EXPECT_EQ(zw::DescribeFilename(o, texts), "complete name, ignore case");
  o.mode = 200;
  EXPECT_EQ(zw::DescribeFilename(o, texts), "complete name, ignore case");
}

TEST_F(DescriptionsTest, FilenameFollowsTheLanguage) {
  texts.Set(zw::strAFNFirst, "erste %d Zeichen");
  texts.Set(zw::strAFNIgnoreCase, ", ohne Gross/klein");
  TAdvFilenameOptions o;
  o.mode = zw::afnFirstN;
  o.N = 3;
  EXPECT_EQ(zw::DescribeFilename(o, texts), "erste 3 Zeichen, ohne Gross/klein");
}

// --- size -------------------------------------------------------------------------

TEST_F(DescriptionsTest, SizeTolerance) {
  TAdvSizeOptions o;
  o.tolerant = 1;
  o.tolerance = 4096;
  o.unit = 1;
  EXPECT_EQ(zw::DescribeSize(o, shortUnits, texts), kPM + " 4 kB");
  o.tolerance = 5;
  o.unit = 0;
  EXPECT_EQ(zw::DescribeSize(o, shortUnits, texts), kPM + " 5 B");
  o.tolerance = 3LL << 30;
  o.unit = 3;
  EXPECT_EQ(zw::DescribeSize(o, shortUnits, texts), kPM + " 3 GB");
  o.tolerance = (3LL << 20) + 1000;  // shown shifted, the rest dropped
  o.unit = 2;
  EXPECT_EQ(zw::DescribeSize(o, shortUnits, texts), kPM + " 3 MB");
  o.tolerant = 0;
  EXPECT_EQ(zw::DescribeSize(o, shortUnits, texts), "exactly");
}

TEST_F(DescriptionsTest, SizeUsesTheGivenUnitNames) {
  zw::TByteUnitNames units = shortUnits;
  units[1] = "Ko";
  TAdvSizeOptions o;
  o.tolerant = 1;
  o.tolerance = 8192;
  o.unit = 1;
  EXPECT_EQ(zw::DescribeSize(o, units, texts), kPM + " 8 Ko");
  o.unit = 9;  // outside the table: bytes
  EXPECT_EQ(zw::DescribeSize(o, units, texts), kPM + " 8192 B");
}

// --- date -------------------------------------------------------------------------

TEST_F(DescriptionsTest, CompleteDateWithTolerance) {
  TAdvDateOptions o;
  o.mayDiffer = 1;
  o.days = 2;
  EXPECT_EQ(zw::DescribeDate(o, texts), "complete date, " + kPM + " 2 days");
  o.days = 10675199;
  EXPECT_EQ(zw::DescribeDate(o, texts), "complete date, " + kPM + " 10675199 days");
}

TEST_F(DescriptionsTest, DateParts) {
  TAdvDateOptions o;
  o.complete = 0;
  o.parts = zw::adpTime;
  EXPECT_EQ(zw::DescribeDate(o, texts), "time only");
  o.parts = zw::adpDay | zw::adpMonth;
  EXPECT_EQ(zw::DescribeDate(o, texts), "day and month only");
  o.parts = zw::adpTime | zw::adpDay | zw::adpYear;
  EXPECT_EQ(zw::DescribeDate(o, texts), "time, day and year only");
  o.parts = zw::adpYear;
  EXPECT_EQ(zw::DescribeDate(o, texts), "year only");
  o.parts = zw::adpTime | zw::adpDay | zw::adpMonth | zw::adpYear;
  EXPECT_EQ(zw::DescribeDate(o, texts), "time, day, month and year only");
  o.parts = zw::adpMonth | zw::adpTime;  // always in the order time, day, month, year
  EXPECT_EQ(zw::DescribeDate(o, texts), "time and month only");
}

TEST_F(DescriptionsTest, DatePartsWithALanguagePrefix) {
  texts.Set(zw::strADOnly_, "nur ");
  texts.Set(zw::strAD_Only, "");
  texts.Set(zw::strAD_and_, " und ");
  texts.Set(zw::strADDay, "Tag");
  texts.Set(zw::strADYear, "Jahr");
  TAdvDateOptions o;
  o.complete = 0;
  o.parts = zw::adpDay | zw::adpYear;
  EXPECT_EQ(zw::DescribeDate(o, texts), "nur Tag und Jahr");
}

// --- content ----------------------------------------------------------------------

TEST_F(DescriptionsTest, ContentRanges) {
  TAdvContentOptions o;
  o.methods = zw::acmCRC32;
  o.range = zw::acBytesNToM;
  o.N = 0;
  o.M = 3 * 1024;
  o.unit = 1;
  EXPECT_EQ(zw::DescribeContent(o, longUnits, texts), "kbytes 0 to 3, fingerprint (crc)");
  o.range = zw::acBytesNToMFromEnd;
  EXPECT_EQ(zw::DescribeContent(o, longUnits, texts),
            "kbytes 0 to 3 seen from end, fingerprint (crc)");
  o.range = zw::acFirstN;
  o.N = 4 * 1024;
  EXPECT_EQ(zw::DescribeContent(o, longUnits, texts), "first 4 kbytes, fingerprint (crc)");
  o.range = zw::acLastN;
  EXPECT_EQ(zw::DescribeContent(o, longUnits, texts), "last 4 kbytes, fingerprint (crc)");
  o.unit = 0;
  o.N = 100;
  EXPECT_EQ(zw::DescribeContent(o, longUnits, texts), "last 100 bytes, fingerprint (crc)");
  o.range = 9;  // never produced: read as the complete file
  EXPECT_EQ(zw::DescribeContent(o, longUnits, texts), "complete file, fingerprint (crc)");
}

TEST_F(DescriptionsTest, ContentMethods) {
  TAdvContentOptions o;
  o.methods = 0;
  EXPECT_EQ(zw::DescribeContent(o, longUnits, texts), "complete file, pick into the middle");
  o.methods = zw::acmByteByByte;
  EXPECT_EQ(zw::DescribeContent(o, longUnits, texts), "complete file, byte-per-byte comparison");
  o.methods = zw::acmCRC32 | zw::acmByteByByte;
  EXPECT_EQ(zw::DescribeContent(o, longUnits, texts),
            "complete file, fingerprint (crc), byte-per-byte comparison");
}

TEST_F(DescriptionsTest, ContentUsesTheGivenUnitNames) {
  zw::TByteUnitNames units = longUnits;
  units[2] = "Mo";
  TAdvContentOptions o;
  o.range = zw::acFirstN;
  o.N = 7LL << 20;
  o.unit = 2;
  EXPECT_EQ(zw::DescribeContent(o, units, texts), "first 7 Mo, fingerprint (crc)");
}

}  // namespace
