#include "app/text/string_table.h"
#include "app/text_ids.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <thread>
#include <vector>

#include "app/text/placeholders.h"

namespace {

using zw::TStringTable;

TEST(StringTableBuiltIn, EveryTextIsWellFormed) {
  TStringTable t;
  std::set<std::string_view> names;
  int withBreaks = 0, withTabs = 0;
  for (size_t i = 0; i < zw::kStrCount; ++i) {
    const auto id = static_cast<zw::TStrID>(i);
    const std::string name(TStringTable::NameOf(id));
    SCOPED_TRACE(name);
    EXPECT_TRUE(names.insert(TStringTable::NameOf(id)).second) << "named twice";
    EXPECT_EQ(TStringTable::IdByName(name), id);
    const std::string s = t.Str(id);
    EXPECT_EQ(s, TStringTable::BuiltIn(id));
    // The escapes of the built-in table are real control characters.
    for (const char* escape : {"\\r", "\\n", "\\t"}) EXPECT_EQ(s.find(escape), std::string::npos);
    withBreaks += s.find("\r\n") != std::string::npos;
    withTabs += s.find('\t') != std::string::npos;
    EXPECT_EQ(zwtest::Conversions(s).find('!'), std::string::npos) << s;
  }
  EXPECT_GT(withBreaks, 0);
  EXPECT_GT(withTabs, 0);
  EXPECT_EQ(t.Str(zw::strNone), "");
  EXPECT_FALSE(t.Str(zw::lblYes).empty());
  EXPECT_EQ(TStringTable::IdByName("LBLOK"), zw::lblOK);
  EXPECT_FALSE(TStringTable::IdByName("lblOK "));
  EXPECT_FALSE(TStringTable::IdByName(""));
  // Outside the table: nothing.
  EXPECT_EQ(TStringTable::NameOf(static_cast<zw::TStrID>(zw::kStrCount)), "");
  EXPECT_EQ(t.Str(static_cast<zw::TStrID>(zw::kStrCount)), "");
  EXPECT_EQ(t.Str(static_cast<zw::TStrID>(60000)), "");
}

TEST(StringTableReplace, SetByIdOrNameAndReset) {
  TStringTable t;
  EXPECT_TRUE(t.Set(zw::lblYes, "Ja"));
  EXPECT_TRUE(t.SetByName("lblCancel", "Abbrechen"));
  EXPECT_TRUE(t.SetByName("STRERROR", "Fehler"));
  EXPECT_FALSE(t.SetByName("lblNoSuchThing", "x"));
  EXPECT_FALSE(t.SetByName("strNone", "x"));  // strNone stays empty
  EXPECT_FALSE(t.Set(zw::strNone, "x"));
  EXPECT_FALSE(t.Set(static_cast<zw::TStrID>(zw::kStrCount), "x"));
  EXPECT_EQ(t.Str(zw::lblYes), "Ja");
  EXPECT_EQ(t.Str(zw::lblCancel), "Abbrechen");
  EXPECT_EQ(t.Str(zw::strError), "Fehler");
  EXPECT_EQ(t.Str(zw::strNone), "");
  EXPECT_EQ(t.Str(zw::lblNo), TStringTable::BuiltIn(zw::lblNo));
  EXPECT_NE(TStringTable::BuiltIn(zw::lblYes), "Ja");
  t.SetUnitName(1, "KB");
  t.Reset();
  EXPECT_EQ(t.Str(zw::lblYes), TStringTable::BuiltIn(zw::lblYes));
  EXPECT_EQ(t.UnitName(1), TStringTable().UnitName(1));
}

TEST(StringTableConcurrency, ReadersSeeWholeTexts) {
  TStringTable t;
  const std::string a(200, 'a'), b(300, 'b'), before = t.Str(zw::strIdle);
  std::thread writer([&] {
    for (int i = 0; i < 2000; ++i) t.Set(zw::strIdle, i % 2 ? a : b);
  });
  int bad = 0;
  for (int i = 0; i < 2000; ++i) {
    const std::string s = t.Str(zw::strIdle);
    if (s != a && s != b && s != before) ++bad;
  }
  writer.join();
  EXPECT_EQ(bad, 0);
}

// --- byte-unit names ------------------------------------------------------------

TEST(ByteUnits, BuiltInNamesFitTheirLengthsOutsideIsBytes) {
  TStringTable t;
  for (int unit = 0; unit < int(zw::kByteUnitNames); ++unit) {
    EXPECT_FALSE(t.UnitName(unit).empty());
    EXPECT_LE(t.UnitName(unit).size(), zw::kByteUnitLongMax);
    EXPECT_FALSE(t.UnitShortName(unit).empty());
    EXPECT_LE(t.UnitShortName(unit).size(), zw::kByteUnitShortMax);
    EXPECT_EQ(t.UnitNames()[unit], t.UnitName(unit));
    EXPECT_EQ(t.UnitShortNames()[unit], t.UnitShortName(unit));
  }
  EXPECT_EQ(t.UnitName(9), t.UnitName(0));
  EXPECT_EQ(t.UnitShortName(-1), t.UnitShortName(0));
}

TEST(ByteUnits, NamesAreCutToTheirLength) {
  TStringTable t;
  const std::string bytes = t.UnitName(0);
  t.SetUnitName(1, "Kilobytes");
  t.SetUnitShortName(1, "KiB");
  EXPECT_EQ(t.UnitName(1), "Kiloby");
  EXPECT_EQ(t.UnitShortName(1), "Ki");
  t.SetUnitShortName(2, "\xC3\xA9\xC3\xA9\xC3\xA9");  // three two-byte characters
  EXPECT_EQ(t.UnitShortName(2), "\xC3\xA9\xC3\xA9");
  t.SetUnitName(7, "ignored");
  EXPECT_EQ(t.UnitName(0), bytes);
}

TEST(ByteUnits, PackedListsReplaceOnlyFinishedPieces) {
  TStringTable t;
  const TStringTable builtIn;
  t.ApplyUnitItems();  // empty lists change nothing
  EXPECT_EQ(t.UnitNames(), builtIn.UnitNames());
  EXPECT_EQ(t.UnitShortNames(), builtIn.UnitShortNames());
  // Three names and two line breaks: the last piece has no break after it.
  t.Set(zw::itmByteUnits, "Byte\r\nKByte\r\nMByte");
  t.Set(zw::itmByteUnitsShort, "o\r\nko\r\nMo\r\nGo\r\nTo\r\nPo\r\nEo\r\nZo\r\n");
  t.ApplyUnitItems();
  EXPECT_EQ(t.UnitName(0), "Byte");
  EXPECT_EQ(t.UnitName(1), "KByte");
  EXPECT_EQ(t.UnitName(2), builtIn.UnitName(2));
  EXPECT_EQ(t.UnitShortName(0), "o");
  EXPECT_EQ(t.UnitShortName(6), "Eo");
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
