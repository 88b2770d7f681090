#include "app/log/except_dialog_model.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "app/text_ids.h"
#include "support/temp_tree.h"

namespace {

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST(ExceptDialogTexts, BuiltInEnglishUntilALanguageNamesThem) {
  zw::TStringTable table;
  zw::TExceptDialogTexts t = zw::ExceptDialogTexts("help@example.org", table);
  EXPECT_EQ(t.caption, "Error");
  EXPECT_EQ(t.intro, "An unhandled exception has occured. Message text:");
  EXPECT_NE(t.outro.find(" help@example.org "), std::string::npos) << t.outro;
  EXPECT_EQ(t.copy, "Copy report");
  EXPECT_EQ(t.save, "Save report");
  EXPECT_EQ(t.saveTitle, "Save exception report");
  EXPECT_EQ(t.saveFilter, "text file (*.txt)|*.txt|all files (*.*)|*.*");
  EXPECT_EQ(t.DetailsButton(false), "Details >>");
  EXPECT_EQ(t.DetailsButton(true), "Details <<");

  table.Set(zw::lblCopyReport, "Bericht kopieren");
  table.Set(zw::lblDetails, "Einzelheiten");
  t = zw::ExceptDialogTexts("help@example.org", table);
  EXPECT_EQ(t.copy, "Bericht kopieren");
  EXPECT_EQ(t.DetailsButton(false), "Einzelheiten >>");
  EXPECT_EQ(t.save, "Save report");
}

TEST(ExceptReportText, MessageIsTheSecondLineAndEveryLineEndsWithCrLf) {
  const std::vector<std::string> lines = {"Exception of class E at [0040A1B2]:", "Boom.", ""};
  EXPECT_EQ(zw::ReportMessage(lines), "Boom.");
  EXPECT_EQ(zw::ReportMessage({"only one"}), "");
  EXPECT_EQ(zw::ReportText(lines), "Exception of class E at [0040A1B2]:\r\nBoom.\r\n\r\n");
}

// The user chose the file and agreed to replace it.
TEST(ExceptReportSave, WritesTheTextReplacingTheChosenFileAndNamesTheErrorOnFailure) {
  zwtest::TempTree t;
  const std::string path = t.PathOf("report.txt");
  {
    std::ofstream old(path, std::ios::binary);
    old << "an older and much longer text than the report";
  }
  int code = -1;
  ASSERT_TRUE(zw::SaveReportText({"a", "b"}, path, &code));
  EXPECT_EQ(code, 0);
  EXPECT_EQ(ReadAll(path), "a\r\nb\r\n");

  EXPECT_FALSE(zw::SaveReportText({"a"}, t.PathOf("missing/report.txt"), &code));
  EXPECT_NE(code, 0);
}

TEST(ExceptReportSlot, OneDialogAtATime) {
  {
    zw::TReportSlot first;
    ASSERT_TRUE(first.Held());
    zw::TReportSlot second;  // a report while one is shown
    EXPECT_FALSE(second.Held());
  }
  zw::TReportSlot later;  // the first one closed
  EXPECT_TRUE(later.Held());
}

}  // namespace
