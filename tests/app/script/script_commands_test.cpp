#include "app/script/script_commands.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/script/command_line_parser.h"
#include "app/script/fake_script_environment.h"
#include "support/temp_tree.h"
#include "app/text_ids.h"

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
  env.model.compare.checked = zw::ccFilename | zw::ccSize | zw::ccDate;
  EXPECT_EQ(Exec("setcompare c n"), srDone);
  EXPECT_EQ(env.model.compare.checked, zw::ccFilename | zw::ccContent);
  EXPECT_GT(env.modelChanges, 0);
  EXPECT_EQ(Exec("setcompare"), srDone);
  EXPECT_EQ(env.model.compare.checked, 0);
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
  EXPECT_EQ(Exec("close"), srEndScript);
  EXPECT_EQ(env.calls, (std::vector<std::string>{"ShowLog", "SaveLog /x/Scan.log overwrite",
                                                 "SaveLog y.log append", "Close"}));
}

}  // namespace

// --- the result list commands ---

namespace {

// Parses one command; false (with the parser's message) when it is refused.
bool ParsesAlone(const std::string& command, FakeScriptEnvironment& env) {
  TZWCommandLine script;
  return ParseCommand(script, command, env);
}

}  // namespace

TEST_F(CommandsTest, SortbyAndGroupbyTakeAKeyLetterAndADirection) {
  EXPECT_EQ(Exec("sortby size r"), srDone);
  EXPECT_EQ(Exec("groupby p"), srDone);
  EXPECT_EQ(Exec("groupby c b"), srDone);
  EXPECT_EQ(Exec("groupby t a"), srDone);
  EXPECT_EQ(Exec("sortby i"), srDone);
  EXPECT_EQ(Exec("sortby n"), srDone);
  EXPECT_EQ(env.calls, (std::vector<std::string>{"SortBy 130", "GroupBy 1", "GroupBy 132",
                                                 "GroupBy 7", "SortBy 5", "SortBy 0"}));
}

TEST_F(CommandsTest, SortbyWithoutAKeyIsAMissingParameter) {
  EXPECT_FALSE(ParsesAlone("sortby a", env));
  ASSERT_EQ(env.messenger.Messages().size(), 1u);
  EXPECT_EQ(env.messenger.Messages()[0].id, msgParseMissingParam);
  EXPECT_FALSE(ParsesAlone("groupby x", env));  // no such key
}

TEST_F(CommandsTest, CheckCommandsTakeTheRuleFromTheKeywordAndAFlag) {
  EXPECT_EQ(Exec("checkall"), srDone);
  EXPECT_EQ(Exec("checkselected n"), srDone);
  EXPECT_EQ(Exec("checkfirst y"), srDone);
  EXPECT_EQ(Exec("checklast 0"), srDone);
  EXPECT_EQ(env.calls, (std::vector<std::string>{"CheckFiles 0 1", "CheckFiles 1 0",
                                                 "CheckFiles 2 1", "CheckFiles 3 0"}));
  EXPECT_FALSE(ParsesAlone("checkall x", env));
}

TEST_F(CommandsTest, CheckbycriteriaReadsMasksAndRangePairs) {
  // The parser lower-cases outside quotes only: the masks keep their case.
  EXPECT_EQ(Exec("checkbycriteria n s filename=\"*.BAK\" path=\"/Data/*\" size=\"4 k\" \"10 M\" "
                 "date=\"2004-03-18\" \"2004-03-19 21:39:42\""),
            srDone);
  EXPECT_EQ(env.calls, (std::vector<std::string>{"CheckByCriteria 0"}));
  const TScriptCriteriaParams& p = env.lastCriteria;
  EXPECT_TRUE(p.selectedOnly);
  EXPECT_EQ(p.filenameMask.value_or("-"), "*.BAK");
  EXPECT_EQ(p.pathMask.value_or("-"), "/Data/*");
  EXPECT_EQ(p.sizeLow.value_or("-"), "4 k");
  EXPECT_EQ(p.sizeHigh.value_or("-"), "10 M");
  EXPECT_EQ(p.dateFrom.value_or("-"), "2004-03-18");
  EXPECT_EQ(p.dateTo.value_or("-"), "2004-03-19 21:39:42");

  env.criteriaResult = false;  // a value the criteria builder refuses
  EXPECT_EQ(Exec("checkbycriteria a size=\"1\" \"2\""), srFailed);
  EXPECT_FALSE(env.lastCriteria.selectedOnly);
  EXPECT_FALSE(env.lastCriteria.filenameMask.has_value());
}

TEST_F(CommandsTest, CheckbycriteriaNeedsACriterion) {
  EXPECT_FALSE(ParsesAlone("checkbycriteria s y", env));
  EXPECT_EQ(env.messenger.Messages().back().id, msgParseMissingParam);
  // An unquoted value is refused (the size pair alone would be fine).
  EXPECT_FALSE(ParsesAlone("checkbycriteria filename=*.bak size=\"1\" \"2\"", env));
  EXPECT_EQ(env.messenger.Messages().back().id, msgParseError);
}

TEST_F(CommandsTest, FileActionsTakeTheirModeAndMoveItsFolder) {
  EXPECT_EQ(Exec("deletechecked p"), srDone);
  EXPECT_EQ(Exec("recyclechecked c"), srDone);
  EXPECT_EQ(Exec("shortcutchecked"), srDone);
  EXPECT_EQ(Exec("movechecked i \"/Backup/Old\""), srDone);
  EXPECT_EQ(env.calls, (std::vector<std::string>{"Action d 2", "Action r 1", "Action s 0",
                                                 "Action m 0 /Backup/Old"}));
  env.actionResult = false;
  EXPECT_EQ(Exec("deletechecked p"), srFailed);
  // Only a move needs a folder.
  EXPECT_FALSE(ParsesAlone("movechecked p", env));
  EXPECT_EQ(env.messenger.Messages().back().id, msgParseMissingParam);
}

TEST_F(CommandsTest, FileActionsNameTheActionWhenTheyFail) {
  for (auto [keyword, name] : std::vector<std::pair<std::string, std::string>>{
           {"movechecked", "MoveCheckedFiles"},
           {"recyclechecked", "RecycleCheckedFiles"},
           {"deletechecked", "DeleteCheckedFiles"},
           {"shortcutchecked", "ShortcutCheckedFiles"}}) {
    TZWScrCmd_CheckedFilesAction command;
    command.Init(keyword);
    EXPECT_EQ(command.GetName(), name);
  }
}

TEST_F(CommandsTest, ImportAndExportResults) {
  EXPECT_EQ(Exec("importresults \"/Saved/List.zwr\""), srDone);
  EXPECT_EQ(Exec("exportresults t \"/out/Dupes\""), srDone);
  EXPECT_EQ(Exec("exportresults \"a.zwr\" b"), srDone);
  env.importResult = false;
  env.exportResult = false;
  EXPECT_EQ(Exec("importresults \"x.zwr\""), srFailed);
  EXPECT_EQ(Exec("exportresults \"x.txt\""), srFailed);
  EXPECT_EQ(env.calls, (std::vector<std::string>{"Import /Saved/List.zwr", "Export 1 /out/Dupes",
                                                 "Export 2 a.zwr", "Import x.zwr",
                                                 "Export 0 x.txt"}));
  EXPECT_FALSE(ParsesAlone("exportresults t", env));
}

TEST_F(CommandsTest, CreateCatfileReadsItsOptionsAndNeedsAFile) {
  // Defaults: all entries, no attributes and no checksums, paths as needed.
  EXPECT_EQ(Exec("createcatfile \"/Backup/Disk 1.zwc\""), srDone);
  EXPECT_EQ(Exec("createcatfile c d f l \"b.zwc\""), srDone);
  EXPECT_EQ(Exec("createcatfile s r=\"/Mnt/Photos Old\" \"c.zwc\""), srDone);
  EXPECT_EQ(Exec("createcatfile r=\"/x\" n \"d.zwc\""), srDone);  // the last path choice wins
  env.catfileResult = false;
  EXPECT_EQ(Exec("createcatfile F D \"e.zwc\""), srFailed);
  ASSERT_EQ(env.catfiles.size(), 5u);

  const TCatFileOptions& plain = env.catfiles[0];
  EXPECT_EQ(plain.FileName, "/Backup/Disk 1.zwc");
  EXPECT_EQ(plain.Entries, catentries::kAll);
  EXPECT_EQ(plain.Data, 0);
  EXPECT_EQ(plain.Paths, catpaths::kAsNeeded);

  const TCatFileOptions& full = env.catfiles[1];
  EXPECT_EQ(full.Entries, catentries::kChecked);
  EXPECT_EQ(full.Data, catdata::kDirAttributes | catdata::kChecksums);
  EXPECT_EQ(full.Paths, catpaths::kComplete);

  const TCatFileOptions& relative = env.catfiles[2];
  EXPECT_EQ(relative.Entries, catentries::kSelected);
  EXPECT_EQ(relative.Paths, catpaths::kRelative);
  EXPECT_EQ(relative.BasePath, "/Mnt/Photos Old");  // case and blanks kept
  EXPECT_EQ(relative.FileName, "c.zwc");

  EXPECT_EQ(env.catfiles[3].Paths, catpaths::kAsNeeded);
  EXPECT_EQ(env.catfiles[4].Data, catdata::kDirAttributes | catdata::kChecksums);

  // No file, an unquoted or half-quoted base, an unknown letter: refused.
  EXPECT_FALSE(ParsesAlone("createcatfile f d", env));
  EXPECT_EQ(env.messenger.Messages().back().id, msgParseMissingParam);
  for (const char* bad : {"createcatfile r=/base \"x.zwc\"", "createcatfile r= \"x.zwc\"",
                          "createcatfile q \"x.zwc\""}) {
    EXPECT_FALSE(ParsesAlone(bad, env)) << bad;
    EXPECT_EQ(env.messenger.Messages().back().id, msgParseError) << bad;
  }
  EXPECT_EQ(env.catfiles.size(), 5u);
}
