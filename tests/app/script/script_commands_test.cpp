#include "app/script/script_commands.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/script/command_line_parser.h"
#include "app/script/fake_script_environment.h"
#include "support/temp_tree.h"

using namespace zw;
using zwtest::FakeScriptEnvironment;

namespace {

class CommandsTest : public ::testing::Test {
 protected:
  // Parses one command and executes it alone; returns its result.
  TScrResult Exec(const std::string& command) {
    TZWCommandLine script;
    EXPECT_TRUE(ParseCommand(script, command, env)) << command;
    auto* object = script.Head();
    if (!object) return srFailed;
    return object->Execute(env);
  }

  FakeScriptEnvironment env;
};

TEST_F(CommandsTest, ExecmodeSetsTheExecutionMode) {
  EXPECT_EQ(Exec("execmode p"), srDone);
  EXPECT_EQ(env.execMode, emUnattended);
  EXPECT_EQ(Exec("execmode i"), srDone);
  EXPECT_EQ(env.execMode, emInteractive);
  EXPECT_EQ(Exec("execmode d"), srDone);
  EXPECT_EQ(env.execMode, emDefault);
}

TEST_F(CommandsTest, LogfileIsDoneWhenTheFileOpens) {
  EXPECT_EQ(Exec("logfile \"/var/Log A.txt\""), srDone);
  EXPECT_EQ(Exec("logfile o \"b.txt\""), srDone);
  env.setLogFileResult = false;
  EXPECT_EQ(Exec("logfile \"c.txt\""), srFailed);
  EXPECT_EQ(env.calls, (std::vector<std::string>{"SetLogFile /var/Log A.txt append",
                                                 "SetLogFile b.txt overwrite",
                                                 "SetLogFile c.txt append"}));
}

TEST_F(CommandsTest, PageShowsOnlyTheInnerPages) {
  for (char d = '1'; d <= '9'; ++d)
    EXPECT_EQ(Exec(std::string("page ") + d), srDone) << d;
  EXPECT_EQ(env.calls, (std::vector<std::string>{"ShowPage 1", "ShowPage 2", "ShowPage 3",
                                                 "ShowPage 4"}));
  EXPECT_EQ(env.model.page, TPage::Help);
}

TEST_F(CommandsTest, SetcompareChecksExactlyTheGivenCriteria) {
  env.model.cbFilename = true;
  env.model.cbSize = true;
  env.model.cbDate = true;
  env.model.cbContent = false;
  EXPECT_EQ(Exec("setcompare c n"), srDone);
  EXPECT_TRUE(env.model.cbFilename);
  EXPECT_FALSE(env.model.cbSize);
  EXPECT_FALSE(env.model.cbDate);
  EXPECT_TRUE(env.model.cbContent);
  EXPECT_GT(env.modelChanges, 0);
  EXPECT_EQ(Exec("setcompare"), srDone);
  EXPECT_FALSE(env.model.cbFilename || env.model.cbSize || env.model.cbDate ||
               env.model.cbContent);
}

void FillFolders(TWindowModel& model) {
  model.fresh.rows = {{"/a", dsRecursive}, {"/b.zip", dsArchive}};
  model.fresh.selected = 1;
  model.library.rows = {{"/c", dsSingle}, {"/d", dsExclude}, {"/e.zwc", dsArchiveInactive}};
  model.library.selected = -1;
}

TEST_F(CommandsTest, ClearfoldersEmptiesTheChosenLists) {
  FillFolders(env.model);
  EXPECT_EQ(Exec("clearfolders f"), srDone);
  EXPECT_TRUE(env.model.fresh.rows.empty());
  EXPECT_EQ(env.model.fresh.selected, -1);
  EXPECT_EQ(env.model.library.rows.size(), 3u);

  FillFolders(env.model);
  EXPECT_EQ(Exec("clearfolders l"), srDone);
  EXPECT_EQ(env.model.fresh.rows.size(), 2u);
  EXPECT_TRUE(env.model.library.rows.empty());

  FillFolders(env.model);
  EXPECT_EQ(Exec("clearfolders"), srDone);
  EXPECT_TRUE(env.model.fresh.rows.empty());
  EXPECT_TRUE(env.model.library.rows.empty());
}

TEST_F(CommandsTest, IgnorefoldersMakesEveryRowInactiveKeepingArchivesArchives) {
  FillFolders(env.model);
  EXPECT_EQ(Exec("ignorefolders"), srDone);
  EXPECT_EQ(env.model.fresh.rows[0].state, dsInactive);
  EXPECT_EQ(env.model.fresh.rows[1].state, dsArchiveInactive);
  EXPECT_EQ(env.model.library.rows[0].state, dsInactive);
  EXPECT_EQ(env.model.library.rows[1].state, dsInactive);
  EXPECT_EQ(env.model.library.rows[2].state, dsArchiveInactive);
  EXPECT_EQ(env.model.fresh.rows.size(), 2u);  // rows stay
  EXPECT_EQ(env.model.fresh.selected, 1);

  FillFolders(env.model);
  EXPECT_EQ(Exec("ignorefolders library"), srDone);
  EXPECT_EQ(env.model.fresh.rows[0].state, dsRecursive);
  EXPECT_EQ(env.model.library.rows[0].state, dsInactive);
}

TEST_F(CommandsTest, AddfolderAddsAnExistingFolderWithListAndState) {
  zwtest::TempTree tree;
  std::string dir = tree.Dir("photos");
  EXPECT_EQ(Exec("addfolder l s \"" + dir + "\""), srDone);
  EXPECT_EQ(Exec("addfolder \"" + dir + "\""), srDone);
  EXPECT_EQ(Exec("addfolder x \"" + dir + "\""), srDone);
  EXPECT_EQ(env.calls, (std::vector<std::string>{"AddFolder 1 " + dir + " 0",
                                                 "AddFolder 0 " + dir + " 1",
                                                 "AddFolder 0 " + dir + " 2"}));
}

TEST_F(CommandsTest, AddfolderOfAFileAddsAnArchiveRow) {
  zwtest::TempTree tree;
  std::string zip = tree.File("set.zip", "PK");
  EXPECT_EQ(Exec("addfolder l \"" + zip + "\""), srDone);
  EXPECT_EQ(Exec("addfolder s \"" + zip + "\""), srDone);
  EXPECT_EQ(Exec("addfolder x \"" + zip + "\""), srDone);
  EXPECT_EQ(Exec("addfolder i \"" + zip + "\""), srDone);
  EXPECT_EQ(env.calls, (std::vector<std::string>{"AddArchiveOrCatalog 1 " + zip + " 4",
                                                 "AddArchiveOrCatalog 0 " + zip + " 4",
                                                 "AddArchiveOrCatalog 0 " + zip + " 5",
                                                 "AddArchiveOrCatalog 0 " + zip + " 5"}));
}

TEST_F(CommandsTest, AddfolderOfAMissingPathAddsItAsAFolder) {
  zwtest::TempTree tree;
  std::string missing = tree.Root() + "gone";
  env.addFolderResult = false;  // the list refuses it with its own message
  EXPECT_EQ(Exec("addfolder \"" + missing + "\""), srDone);
  EXPECT_EQ(env.calls, (std::vector<std::string>{"AddFolder 0 " + missing + " 1"}));
}

TEST_F(CommandsTest, ScanarchivesSetsTheBox) {
  EXPECT_EQ(Exec("scanarchives"), srDone);
  EXPECT_TRUE(env.model.scanArchives);
  EXPECT_EQ(Exec("scanarchives n"), srDone);
  EXPECT_FALSE(env.model.scanArchives);
  EXPECT_EQ(Exec("scanarchives 1"), srDone);
  EXPECT_TRUE(env.model.scanArchives);
}

void FillMasks(TWindowModel& model) {
  model.limitMasks.rows = {{"*.jpg", true}, {"*.png", false}};
  model.limitMasks.selected = 0;
  model.excludeMasks.rows = {{"*.tmp", true}};
  model.excludeMasks.selected = 0;
}

TEST_F(CommandsTest, ClearmasksEmptiesTheChosenLists) {
  FillMasks(env.model);
  EXPECT_EQ(Exec("clearmasks l"), srDone);
  EXPECT_TRUE(env.model.limitMasks.rows.empty());
  EXPECT_EQ(env.model.limitMasks.selected, -1);
  EXPECT_EQ(env.model.excludeMasks.rows.size(), 1u);

  FillMasks(env.model);
  EXPECT_EQ(Exec("clearmasks x"), srDone);
  EXPECT_EQ(env.model.limitMasks.rows.size(), 2u);
  EXPECT_TRUE(env.model.excludeMasks.rows.empty());

  FillMasks(env.model);
  EXPECT_EQ(Exec("clearmasks"), srDone);
  EXPECT_TRUE(env.model.limitMasks.rows.empty());
  EXPECT_TRUE(env.model.excludeMasks.rows.empty());
}

TEST_F(CommandsTest, IgnoremasksUnchecksTheChosenLists) {
  FillMasks(env.model);
  EXPECT_EQ(Exec("ignoremasks e"), srDone);
  EXPECT_TRUE(env.model.limitMasks.rows[0].checked);
  EXPECT_FALSE(env.model.excludeMasks.rows[0].checked);
  EXPECT_EQ(env.model.excludeMasks.rows.size(), 1u);

  FillMasks(env.model);
  EXPECT_EQ(Exec("ignoremasks"), srDone);
  EXPECT_FALSE(env.model.limitMasks.rows[0].checked);
  EXPECT_FALSE(env.model.limitMasks.rows[1].checked);
  EXPECT_FALSE(env.model.excludeMasks.rows[0].checked);
}

TEST_F(CommandsTest, AddmaskIsDoneOnlyWhenTheListTakesTheMask) {
  EXPECT_EQ(Exec("addmask \"*.JPG\""), srDone);
  EXPECT_EQ(Exec("addmask x u \"*.tmp\""), srDone);
  env.addMaskResult = false;
  EXPECT_EQ(Exec("addmask \"[\""), srFailed);
  EXPECT_EQ(env.calls, (std::vector<std::string>{"AddMask 0 *.JPG 1", "AddMask 1 *.tmp 0",
                                                 "AddMask 0 [ 1"}));
}

TEST_F(CommandsTest, NosaveregUnchecksSavingTheSettings) {
  env.model.saveSettings = true;
  EXPECT_EQ(Exec("nosavereg"), srDone);
  EXPECT_FALSE(env.model.saveSettings);
  env.model.saveSettings = true;
  EXPECT_EQ(Exec("dontsavereg"), srDone);
  EXPECT_FALSE(env.model.saveSettings);
}

TEST_F(CommandsTest, RunWaitsWhenTheScanStartedAndFailsOtherwise) {
  EXPECT_EQ(Exec("run"), srDoneWait);
  env.runStarts = false;
  EXPECT_EQ(Exec("run"), srFailed);
  EXPECT_EQ(env.calls, (std::vector<std::string>{"Run", "Run"}));
}

TEST_F(CommandsTest, ShowlogSavelogAndCloseGoToTheEnvironment) {
  EXPECT_EQ(Exec("showlog"), srDone);
  EXPECT_EQ(Exec("savelog o \"/x/Scan.log\""), srDone);
  env.saveLogResult = false;
  EXPECT_EQ(Exec("savelog \"y.log\""), srFailed);
  EXPECT_EQ(Exec("close"), srDone);
  EXPECT_EQ(env.calls, (std::vector<std::string>{"ShowLog", "SaveLog /x/Scan.log overwrite",
                                                 "SaveLog y.log append", "Close"}));
}

}  // namespace
