#include "app/text/string_table.h"
#include "app/text_ids.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <thread>
#include <vector>

namespace {

using zw::TStringTable;

// --- the built-in English texts -----------------------------------------------

TEST(StringTableBuiltIn, HoldsOneTextPerIdentifier) {
  TStringTable t;
  EXPECT_EQ(TStringTable::NameOf(zw::strNone), "strNone");
  EXPECT_EQ(TStringTable::NameOf(zw::strImportFailedOtherError), "strImportFailedOtherError");
  EXPECT_EQ(TStringTable::NameOf(static_cast<zw::TStrID>(zw::kStrCount)), "");
  std::set<std::string> names;
  for (size_t i = 0; i < zw::kStrCount; ++i) {
    const auto id = static_cast<zw::TStrID>(i);
    EXPECT_FALSE(TStringTable::NameOf(id).empty()) << i;
    names.insert(std::string(TStringTable::NameOf(id)));
    EXPECT_EQ(t.Str(id), TStringTable::BuiltIn(id)) << i;
  }
  EXPECT_EQ(names.size(), zw::kStrCount);
}

TEST(StringTableBuiltIn, SampleTextsAreExact) {
  TStringTable t;
  EXPECT_EQ(t.Str(zw::strNone), "");
  EXPECT_EQ(t.Str(zw::strError), "Error");
  EXPECT_EQ(t.Str(zw::lblPause), "Pause");
  EXPECT_EQ(t.Str(zw::strCountdownDialog), "In %d seconds the default answer will be chosen.");
  EXPECT_EQ(t.Str(zw::strTaskBrowse), " (browsing)");
  EXPECT_EQ(t.Str(zw::strCompNoDetails), "Status: comparing files...  [no details]");
  EXPECT_EQ(t.Str(zw::strCheckedCount), "%.0n files with a total size of %.0n kB%s checked.");
  EXPECT_EQ(t.Str(zw::strMovingChecked), "Status: moving checked files to \"%s\"...");
  EXPECT_EQ(t.Str(zw::strAFNBeforeLast), "all chars before the last occurence of \"%s\"");
  EXPECT_EQ(t.Str(zw::strADOnly_), "");
  EXPECT_EQ(t.Str(zw::strAD_Only), " only");
  EXPECT_EQ(t.Str(zw::lblTitleScanOptions),
            "w h a t   d o   y o u   w a n t   t o   s c a n   t o d a y   ?");
  EXPECT_EQ(t.Str(zw::lblCBPiM), "pick into the middle");
  EXPECT_EQ(t.Str(zw::lblPopWebLaunch), "&Open in Browser");
  EXPECT_EQ(t.Str(zw::strWebsiteLang), "en");
  EXPECT_EQ(t.Str(zw::itmByteUnits), "");
  EXPECT_EQ(t.Str(zw::strTUCaption), "Uninstalling ");
  EXPECT_EQ(t.Str(zw::strImportFailedIO), "I/O-Error %d occured");
  EXPECT_EQ(t.Str(zw::strImportFailedOtherError), "problems with file format");
}

TEST(StringTableBuiltIn, EscapesAreRealControlCharacters) {
  TStringTable t;
  EXPECT_EQ(t.Str(zw::strPiM), "Status: picking into middle of file:\t\t\t");
  EXPECT_EQ(t.Str(zw::strCalcCRC32), "Status: calculating CRC32-Checksum of file:\t");
  EXPECT_EQ(t.Str(zw::hntDirSimple), "single\r\n(no subdirectories)");
  EXPECT_EQ(t.Str(zw::hntCatIgnore), "inactive\r\n(archive / catalog file)");
  EXPECT_EQ(t.Str(zw::askDeleteEmptyDir), "The directory \"%s\" is now empty.\r\nDelete it?");
  const std::string link = t.Str(zw::askLinkToArchive);
  EXPECT_EQ(link.substr(0, 67),
            "In some sets the only possible shortcut target is contained in an\r\n");
  EXPECT_NE(link.find("archive file (e.g. *.zip)."), std::string::npos);
  EXPECT_EQ(link.find('\\'), std::string::npos);
  EXPECT_EQ(link.substr(link.size() - 25), "\r\nWhat do you want to do?");
}

TEST(StringTableBuiltIn, NoTextHoldsAnUnexpandedEscape) {
  TStringTable t;
  for (size_t i = 0; i < zw::kStrCount; ++i) {
    const std::string s = t.Str(static_cast<zw::TStrID>(i));
    EXPECT_EQ(s.find("\\r"), std::string::npos) << TStringTable::NameOf(static_cast<zw::TStrID>(i));
    EXPECT_EQ(s.find("\\n"), std::string::npos) << TStringTable::NameOf(static_cast<zw::TStrID>(i));
    EXPECT_EQ(s.find("\\t"), std::string::npos) << TStringTable::NameOf(static_cast<zw::TStrID>(i));
  }
}

TEST(StringTableBuiltIn, EmptyTextsAreEmpty) {
  TStringTable t;
  int empty = 0;
  for (size_t i = 0; i < zw::kStrCount; ++i)
    if (t.Str(static_cast<zw::TStrID>(i)).empty()) ++empty;
  // strNone, strADOnly_, the captions that keep their built-in captions,
  // the two unit lists and the uninstaller texts.
  EXPECT_EQ(empty, 90);
  EXPECT_TRUE(t.Str(zw::lblAdvFilenameCpt).empty());
  EXPECT_TRUE(t.Str(zw::strTUDeleteFolder).empty());
  EXPECT_FALSE(t.Str(zw::lblDetails).empty());
}

TEST(StringTableBuiltIn, OutsideTheTableIsEmpty) {
  TStringTable t;
  EXPECT_EQ(t.Str(static_cast<zw::TStrID>(zw::kStrCount)), "");
  EXPECT_EQ(t.Str(static_cast<zw::TStrID>(60000)), "");
}

// --- replacing texts ------------------------------------------------------------

TEST(StringTableReplace, SetReplacesOneText) {
  TStringTable t;
  EXPECT_TRUE(t.Set(zw::lblYes, "Ja"));
  EXPECT_EQ(t.Str(zw::lblYes), "Ja");
  EXPECT_EQ(t.Str(zw::lblNo), "No");
  EXPECT_EQ(TStringTable::BuiltIn(zw::lblYes), "Yes");
}

TEST(StringTableReplace, NoneStaysEmpty) {
  TStringTable t;
  EXPECT_FALSE(t.Set(zw::strNone, "something"));
  EXPECT_EQ(t.Str(zw::strNone), "");
  EXPECT_FALSE(t.Set(static_cast<zw::TStrID>(zw::kStrCount), "x"));
}

TEST(StringTableReplace, ByNameIsCaseInsensitive) {
  TStringTable t;
  EXPECT_TRUE(t.SetByName("lblCancel", "Abbrechen"));
  EXPECT_EQ(t.Str(zw::lblCancel), "Abbrechen");
  EXPECT_TRUE(t.SetByName("STRERROR", "Fehler"));
  EXPECT_EQ(t.Str(zw::strError), "Fehler");
  EXPECT_FALSE(t.SetByName("lblNoSuchThing", "x"));
  EXPECT_FALSE(t.SetByName("strNone", "x"));
}

TEST(StringTableReplace, ResetBringsBackTheEnglish) {
  TStringTable t;
  t.Set(zw::lblOK, "Jawohl");
  t.SetUnitName(1, "KB");
  t.Reset();
  EXPECT_EQ(t.Str(zw::lblOK), "OK");
  EXPECT_EQ(t.UnitName(1), "kbytes");
}

TEST(StringTableNames, LookupFindsEveryIdentifier) {
  EXPECT_EQ(TStringTable::IdByName("lblOK"), zw::lblOK);
  EXPECT_EQ(TStringTable::IdByName("lblok"), zw::lblOK);
  EXPECT_EQ(TStringTable::IdByName("strImportFailedOtherError"), zw::strImportFailedOtherError);
  EXPECT_EQ(TStringTable::IdByName("strAD_and_"), zw::strAD_and_);
  EXPECT_FALSE(TStringTable::IdByName("lblOK "));
  EXPECT_FALSE(TStringTable::IdByName(""));
  for (size_t i = 0; i < zw::kStrCount; ++i) {
    const auto id = static_cast<zw::TStrID>(i);
    EXPECT_EQ(TStringTable::IdByName(TStringTable::NameOf(id)), id);
  }
}

TEST(StringTableConcurrency, ReadersSeeWholeTexts) {
  TStringTable t;
  const std::string a(200, 'a'), b(300, 'b');
  std::thread writer([&] {
    for (int i = 0; i < 2000; ++i) t.Set(zw::strIdle, i % 2 ? a : b);
  });
  int bad = 0;
  for (int i = 0; i < 2000; ++i) {
    const std::string s = t.Str(zw::strIdle);
    if (s != a && s != b && s != "Status: idle") ++bad;
  }
  writer.join();
  EXPECT_EQ(bad, 0);
}

// --- byte-unit names ------------------------------------------------------------

TEST(ByteUnits, BuiltInNames) {
  TStringTable t;
  const zw::TByteUnitNames longNames = {"bytes", "kbytes", "Mbytes", "Gbytes",
                                        "Tbytes", "Pbytes", "Ebytes"};
  const zw::TByteUnitNames shortNames = {"B", "kB", "MB", "GB", "TB", "PB", "EB"};
  EXPECT_EQ(t.UnitNames(), longNames);
  EXPECT_EQ(t.UnitShortNames(), shortNames);
  EXPECT_EQ(t.UnitName(2), "Mbytes");
  EXPECT_EQ(t.UnitShortName(6), "EB");
  EXPECT_EQ(t.UnitName(9), "bytes");  // outside: bytes
  EXPECT_EQ(t.UnitShortName(-1), "B");
}

TEST(ByteUnits, NamesAreCutToTheirLength) {
  TStringTable t;
  t.SetUnitName(1, "Kilobytes");
  t.SetUnitShortName(1, "KiB");
  EXPECT_EQ(t.UnitName(1), "Kiloby");
  EXPECT_EQ(t.UnitShortName(1), "Ki");
  t.SetUnitShortName(2, "\xC3\xA9\xC3\xA9\xC3\xA9");  // three two-byte characters
  EXPECT_EQ(t.UnitShortName(2), "\xC3\xA9\xC3\xA9");
  t.SetUnitName(7, "ignored");
  EXPECT_EQ(t.UnitName(0), "bytes");
}

TEST(ByteUnits, PackedListsReplaceOnlyFinishedPieces) {
  TStringTable t;
  // Three names and two line breaks: the last piece has no break after it.
  t.Set(zw::itmByteUnits, "Byte\r\nKByte\r\nMByte");
  t.Set(zw::itmByteUnitsShort, "o\r\nko\r\nMo\r\nGo\r\nTo\r\nPo\r\nEo\r\nZo\r\n");
  t.ApplyUnitItems();
  EXPECT_EQ(t.UnitName(0), "Byte");
  EXPECT_EQ(t.UnitName(1), "KByte");
  EXPECT_EQ(t.UnitName(2), "Mbytes");
  EXPECT_EQ(t.UnitShortName(0), "o");
  EXPECT_EQ(t.UnitShortName(6), "Eo");
}

TEST(ByteUnits, EmptyListsChangeNothing) {
  TStringTable t;
  t.ApplyUnitItems();
  EXPECT_EQ(t.UnitName(1), "kbytes");
  EXPECT_EQ(t.UnitShortName(1), "kB");
}

TEST(SplitItems, BreaksAtEveryKindOfLineBreak) {
  bool last = false;
  EXPECT_EQ(zw::SplitItems("a\r\nb\nc\rd", &last), (std::vector<std::string>{"a", "b", "c", "d"}));
  EXPECT_FALSE(last);
  EXPECT_EQ(zw::SplitItems("a\r\n\r\n", &last), (std::vector<std::string>{"a", ""}));
  EXPECT_TRUE(last);
  EXPECT_TRUE(zw::SplitItems("").empty());
}

TEST(GlobalStrings, StrReadsTheProgramTable) {
  EXPECT_EQ(zw::Str(zw::lblAll), zw::Strings().Str(zw::lblAll));
  EXPECT_EQ(&zw::Strings(), &zw::Strings());
}

}  // namespace
