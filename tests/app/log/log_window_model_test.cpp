#include "app/log/log_window_model.h"

#include <gtest/gtest.h>

#include <memory>

#include "app/text_ids.h"

namespace {

// The built-in table leaves the window's captions empty: the window shows its
// own English ones until a language file names them.
TEST(LogWindowTexts, BuiltInEnglishUntilALanguageNamesThem) {
  zw::TStringTable table;
  zw::TLogWindowTexts t = zw::LogWindowTexts(table);
  EXPECT_EQ(t.caption, "scanning log");
  EXPECT_EQ(t.heading, "logged error messages and scanning results");
  EXPECT_EQ(t.hint, "doubleclick an entry or press spacebar for details");
  EXPECT_EQ(t.save, "save...");
  EXPECT_EQ(t.ok, "OK");
  EXPECT_EQ(t.saveTitle, "save logfile");
  EXPECT_EQ(t.saveFilter, "textfile (*.txt)|*.txt|logfile (*.log)|*.log|all files (*.*)|*.*");

  table.Set(zw::lblScanLogCpt, "Suchprotokoll");
  table.Set(zw::lblBtnSave, "Speichern");
  table.Set(zw::lblOK, "Gut");
  table.Set(zw::lblSaveLogFilter, "Textdateien|*.txt");
  t = zw::LogWindowTexts(table);
  EXPECT_EQ(t.caption, "Suchprotokoll");
  EXPECT_EQ(t.save, "Speichern");
  EXPECT_EQ(t.ok, "Gut");
  EXPECT_EQ(t.saveFilter, "Textdateien|*.txt");
  EXPECT_EQ(t.heading, "logged error messages and scanning results");  // not named: English
}

TEST(LogWindowItems, TextDropsTheKindAndASeparatorShowsNothing) {
  EXPECT_EQ(zw::LogItemText("X 12:00:01 I/O-Error 5; could not open"), "12:00:01 I/O-Error 5; could not open");
  EXPECT_EQ(zw::LogItemText(""), "");
  EXPECT_EQ(zw::LogItemText("i "), "");
}

TEST(LogWindowItems, OnlyEntriesWithTextAndDetailsOpenAndShowTheirIcon) {
  const auto warning = std::make_shared<zw::TZWLogNoDetails>(3);
  const auto odd = std::make_shared<zw::TZWLogNoDetails>(7);
  const zw::TLogEntry withDetails{"! 12:00:00 careful", warning};
  const zw::TLogEntry plain{"i 12:00:00 started", nullptr};
  const zw::TLogEntry separator{"", warning};
  const zw::TLogEntry oddKind{"? 12:00:00 what", odd};

  EXPECT_EQ(zw::LogItemIconKind(withDetails), 3);
  EXPECT_TRUE(zw::LogItemOpensDetails(withDetails));
  EXPECT_EQ(zw::LogItemIconKind(plain), 0);
  EXPECT_FALSE(zw::LogItemOpensDetails(plain));
  EXPECT_FALSE(zw::LogItemOpensDetails(separator));
  EXPECT_EQ(zw::LogItemIconKind(oddKind), 0);  // no icon for a kind it does not know
  EXPECT_TRUE(zw::LogItemOpensDetails(oddKind));
}

}  // namespace
