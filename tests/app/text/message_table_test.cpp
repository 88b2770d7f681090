#include "app/text/message_table.h"
#include "app/text_ids.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

using zw::TMessageTable;
using zw::TMsg;

void ExpectRecord(zw::TMsgID id, uint32_t flags, uint16_t icon, uint8_t show, uint8_t log) {
  const TMsg m = TMessageTable().Msg(id);
  EXPECT_EQ(m.Flags, flags) << TMessageTable::NameOf(id);
  EXPECT_EQ(m.IconId, icon) << TMessageTable::NameOf(id);
  EXPECT_EQ(m.ShowPolicy, show) << TMessageTable::NameOf(id);
  EXPECT_EQ(m.LogPolicy, log) << TMessageTable::NameOf(id);
}

TEST(MessageTableBuiltIn, HoldsOneRecordPerIdentifier) {
  std::set<std::string> names;
  TMessageTable t;
  for (size_t i = 0; i < zw::kMsgCount; ++i) {
    const auto id = static_cast<zw::TMsgID>(i);
    names.insert(std::string(TMessageTable::NameOf(id)));
    const TMsg m = t.Msg(id);
    EXPECT_FALSE(m.Text.empty()) << i;
    // Buttons are one of the four sets, the icon one of the four kinds, no
    // other bits.
    EXPECT_TRUE((m.Flags & 0x0F) == 0 || (m.Flags & 0x0F) == 1 || (m.Flags & 0x0F) == 3 ||
                (m.Flags & 0x0F) == 4)
        << i;
    EXPECT_GE(zw::KindOfFlags(m.Flags), 1) << i;
    EXPECT_LE(zw::KindOfFlags(m.Flags), 4) << i;
    EXPECT_EQ(m.Flags & ~0xFFu, 0u) << i;
    EXPECT_LE(m.ShowPolicy, 2) << i;
    EXPECT_LE(m.LogPolicy, 2) << i;
  }
  EXPECT_EQ(names.size(), zw::kMsgCount);
  EXPECT_EQ(TMessageTable::NameOf(zw::msgDirNotFound), "msgDirNotFound");
  EXPECT_EQ(TMessageTable::NameOf(zw::msgScriptExecutionFailed), "msgScriptExecutionFailed");
}

TEST(MessageTableBuiltIn, FlagsAndPoliciesOfSampleRecords) {
  ExpectRecord(zw::msgDirNotFound, 0x10, 0, 2, 0);
  ExpectRecord(zw::askDirNotFound, 0x31, 0, 2, 0);
  ExpectRecord(zw::askCorrectMask, 0x23, 0, 0, 0);
  ExpectRecord(zw::msgNumberOutOfRange, 0x41, 0, 0, 0);
  ExpectRecord(zw::logStartScan, 0x40, 0, 1, 2);
  ExpectRecord(zw::msgOnlyOneFileFound, 0x30, 0, 0, 2);
  ExpectRecord(zw::logIOErrorOnBrowse, 0x30, 0, 1, 2);
  ExpectRecord(zw::logUnhandledException, 0x10, 0, 1, 2);
  ExpectRecord(zw::msgSomeFilesNotDeleted, 0x34, 0, 0, 0);
  ExpectRecord(zw::askIncompatibleLanguageFile, 0x33, 0, 2, 0);
  ExpectRecord(zw::msgScriptExecutionFailed, 0x10, 0, 0, 0);
}

TEST(MessageTableBuiltIn, CustomPicturesBelongToTheirQuestions) {
  ExpectRecord(zw::askAllFilesOfPairChecked2Delete, 0x34, 201, 0, 0);
  ExpectRecord(zw::askAllFilesOfPairChecked2Move, 0x34, 201, 0, 0);
  ExpectRecord(zw::askAllFilesOfPairChecked2Recycle, 0x34, 201, 0, 0);
  ExpectRecord(zw::askAllFilesOfPairChecked2Link, 0x34, 201, 0, 0);
  ExpectRecord(zw::askTidyUpResultList, 0x24, 202, 0, 0);
  ExpectRecord(zw::askNoCriterionSelected, 0x24, 203, 0, 0);
  ExpectRecord(zw::askDeleteFiles, 0x24, 204, 2, 0);
  ExpectRecord(zw::askMoveFiles, 0x24, 205, 2, 0);
  ExpectRecord(zw::askRecycleFiles, 0x24, 206, 2, 0);
  ExpectRecord(zw::askLinkFiles, 0x24, 207, 2, 0);
  int withPicture = 0;
  for (size_t i = 0; i < zw::kMsgCount; ++i)
    if (TMessageTable().Msg(static_cast<zw::TMsgID>(i)).IconId != 0) ++withPicture;
  EXPECT_EQ(withPicture, 10);
}

TEST(MessageTableBuiltIn, SampleTextsAreExact) {
  TMessageTable t;
  EXPECT_EQ(t.Text(zw::msgDirNotFound), "The directory \"%s\" doesn't exist.");
  EXPECT_EQ(t.Text(zw::askDirNotFound),
            "The directory \"%s\" doesn't exist.\r\nRemove from list and continue?");
  EXPECT_EQ(t.Text(zw::logFilesFound),
            "Found %.0n files to compare (%.0n 'fresh', %.0n 'library').");
  EXPECT_EQ(t.Text(zw::msgRenameFailedInvalid),
            "Renaming the file failed - the filename contains\r\ninvalid characters, e.g. \\ / : "
            "* ? \" < > |");
  EXPECT_EQ(t.Text(zw::askDestinationFreeSpace),
            "There is only %s space available on the destination drive.\r\nThe checked files "
            "are %s in size. If you are not moving\r\nfiles within the same volume (e.g. from "
            "d:\\foo\\bar to d:\\backup)\r\nyou will need to free up %s of space first. Try "
            "anyway?");
  EXPECT_EQ(t.Text(zw::msgParseMissingQuoteC),
            "There is a closing quote (\") missing in the supplied command line.\r\nParsing and "
            "execution of the command line aborted.");
  EXPECT_EQ(t.Text(zw::msgCouldNotOpen),
            "\"%s\" could not be opened. Windows error message:\r\n\"%s.\"");
  EXPECT_EQ(t.Text(zw::askTidyUpResultList).substr(0, 67),
            "Now there are some single files left in the result list (because \r\n");
}

TEST(MessageTableBuiltIn, LineBreakTheOtherWayRoundIsKept) {
  // This one text has LF before CR.
  EXPECT_EQ(TMessageTable().Text(zw::msgInvalidDate),
            "The date could not be converted. Please enter a date in your local date format\n\r"
            "(e.g. \"%s\") or in ISO 8601 (e.g. \"2004-03-18 21:39:42\").");
}

TEST(MessageTableBuiltIn, MailRequestNamesAnAddress) {
  const std::string text = TMessageTable().Text(zw::logPleaseMailLog);
  EXPECT_EQ(text.rfind("Please mail this logfile to ", 0), 0u);
  EXPECT_NE(text.find('@'), std::string::npos);
  EXPECT_EQ(text.back(), '!');
}

TEST(MessageTableBuiltIn, NoTextHoldsAnUnexpandedEscape) {
  TMessageTable t;
  for (size_t i = 0; i < zw::kMsgCount; ++i) {
    const std::string s = t.Text(static_cast<zw::TMsgID>(i));
    EXPECT_EQ(s.find("\\r"), std::string::npos) << i;
    EXPECT_EQ(s.find("\\n"), std::string::npos) << i;
  }
}

TEST(MessageTableBuiltIn, OutsideTheTableIsASilentEmptyRecord) {
  const TMsg m = TMessageTable().Msg(static_cast<zw::TMsgID>(zw::kMsgCount));
  EXPECT_EQ(m.Text, "");
  EXPECT_EQ(m.ShowPolicy, zw::spNever);
  EXPECT_EQ(m.LogPolicy, zw::lpNever);
  EXPECT_EQ(zw::TMessageTable::NameOf(static_cast<zw::TMsgID>(zw::kMsgCount)), "");
}

TEST(MessageTableReplace, TextChangesRulesStay) {
  TMessageTable t;
  EXPECT_TRUE(t.SetText(zw::askDeleteFiles, "Wirklich %.0n Dateien loeschen?"));
  const TMsg m = t.Msg(zw::askDeleteFiles);
  EXPECT_EQ(m.Text, "Wirklich %.0n Dateien loeschen?");
  EXPECT_EQ(m.Flags, 0x24u);
  EXPECT_EQ(m.IconId, 204);
  EXPECT_EQ(m.ShowPolicy, 2);
  EXPECT_EQ(TMessageTable::BuiltIn(zw::askDeleteFiles).Text.substr(0, 24),
            "You're about to delete %");
  EXPECT_FALSE(t.SetText(static_cast<zw::TMsgID>(zw::kMsgCount), "x"));
}

TEST(MessageTableReplace, ByNameAndReset) {
  TMessageTable t;
  EXPECT_TRUE(t.SetTextByName("LOGSTARTSCAN", "Suche startet (%s)"));
  EXPECT_EQ(t.Text(zw::logStartScan), "Suche startet (%s)");
  EXPECT_FALSE(t.SetTextByName("msgNoSuchMessage", "x"));
  t.Reset();
  EXPECT_EQ(t.Text(zw::logStartScan), "Starting the scan (on %s)");
}

TEST(MessageTableNames, LookupFindsEveryIdentifier) {
  EXPECT_EQ(TMessageTable::IdByName("askdeletefiles"), zw::askDeleteFiles);
  EXPECT_FALSE(TMessageTable::IdByName("lblOK"));  // a string, not a message
  for (size_t i = 0; i < zw::kMsgCount; ++i) {
    const auto id = static_cast<zw::TMsgID>(i);
    EXPECT_EQ(TMessageTable::IdByName(TMessageTable::NameOf(id)), id);
  }
}

TEST(GlobalMessages, MsgTextReadsTheProgramTable) {
  EXPECT_EQ(zw::MsgText(zw::logOperationCompleted), "Operation completed.");
}

}  // namespace
