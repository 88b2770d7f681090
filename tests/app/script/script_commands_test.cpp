#include "app/script/script_commands.h"

#include <gtest/gtest.h>

#include <string>

#include "app/script/fake_script_environment.h"
#include "support/temp_tree.h"

using namespace zw;
using zwtest::FakeScriptEnvironment;
using zwtest::Trace;

namespace {

// Commands with their options, what the environment hears of them, and how
// a failing call ends the script.
struct CommandCase {
  const char* commands;
  const char* trace;
  const char* refuse = "";  // the calls that fail
};

const CommandCase kCommands[] = {
    {"-execmode d -execmode interactive -execmode p",
     "SetExecMode d; SetExecMode i; SetExecMode p"},
    {"-logfile \"/var/Log A.txt\" -logfile o \"b.log\" -logfile overwrite append \"c.log\"",
     "SetLogFile a /var/Log A.txt; SetLogFile o b.log; SetLogFile a c.log"},
    {"-logfile \"c.log\" -run", "SetLogFile a c.log | msgScriptExecutionFailed SetLogfile",
     "SetLogFile"},
    // only the pages between the result page and the last one are reachable
    {"-page 1 -page 2 -page 3 -page 4 -page 5 -page 6 -page 9",
     "ShowPage 1; ShowPage 2; ShowPage 3; ShowPage 4"},
    // exactly the criteria given are checked
    {"-setcompare f s d c -setcompare c n -setcompare name date -setcompare s d -setcompare",
     "Model compare=15; Model compare=9; Model compare=5; Model compare=6; Model compare=0"},
    // (none of these paths exists: each is added as a folder)
    {"-addfolder \"/a\" -addfolder recursive library \"/b\" -addfolder s \"/c\" "
     "-addfolder e \"/d\" -addfolder x f \"/e\" -addfolder i \"/f\"",
     "AddFolder f r /a; AddFolder l r /b; AddFolder f s /c; AddFolder f x /d; AddFolder f x /e; "
     "AddFolder f i /f"},
    // the list reports its refusal itself; the script goes on
    {"-addfolder \"/gone\" -run", "AddFolder f r /gone; Run", "AddFolder"},
    {"-addmask \"*.JPG\" -addmask exclude unchecked \"*.tmp\" -addmask x 0 limit \"a*\"",
     "AddMask l 1 *.JPG; AddMask x 0 *.tmp; AddMask l 0 a*"},
    {"-addmask \"[\" -run", "AddMask l 1 [ | msgScriptExecutionFailed AddMask", "AddMask"},
    {"-nosavereg -dontsavereg", "Model save=0; Model save=0"},
    {"-run -showlog", "Run; ShowLog"},
    {"-run -showlog", "Run | msgScriptExecutionFailed Run", "Run"},
    // close ends the script
    {"-showlog -savelog o \"/x/Scan.log\" -savelog \"y.log\" -close -showlog",
     "ShowLog; SaveLog o /x/Scan.log; SaveLog a y.log; Close"},
    {"-savelog \"y.log\" -close", "SaveLog a y.log | msgScriptExecutionFailed SaveLog", "SaveLog"},
    // a shutdown closes the window; one the system refused fails the script
    {"-shutdown -showlog", "Shutdown; Close"},
    {"-shutdown -showlog", "Shutdown | msgScriptExecutionFailed Shutdown", "Shutdown"},
    // an uninstall ends the program once the uninstaller took over, and
    // otherwise (declined, or no uninstaller) lets the script go on
    {"-uninstall -showlog", "Uninstall; Close"},
    {"-uninstall -showlog", "Uninstall; ShowLog", "Uninstall"},
    // the result list
    {"-sortby size r -groupby p -groupby c b -groupby t a -sortby i -sortby n",
     "SortBy 130; GroupBy 1; GroupBy 132; GroupBy 7; SortBy 5; SortBy 0"},
    {"-checkall -checkselected n -checkfirst y -checklast 0",
     "CheckFiles a 1; CheckFiles s 0; CheckFiles f 1; CheckFiles l 0"},
    {"-checkbycriteria n s filename=\"*.BAK\" path=\"/Data/*\" size=\"4 k\" \"10 M\" "
     "date=\"2004-03-18\" \"2004-03-19 21:39:42\"",
     "CheckByCriteria 0 s filename=*.BAK path=/Data/* size=4 k..10 M "
     "date=2004-03-18..2004-03-19 21:39:42"},
    {"-checkbycriteria a size=\"1\" \"2\"",
     "CheckByCriteria 1 a size=1..2 | msgScriptExecutionFailed CheckByCriteria",
     "CheckByCriteria"},
    {"-deletechecked p -recyclechecked c -shortcutchecked -movechecked i \"/Backup/Old\"",
     "Action d 2; Action r 1; Action s 0; Action m 0 /Backup/Old"},
    // failing file actions name the action
    {"-movechecked p \"/b\"", "Action m 2 /b | msgScriptExecutionFailed MoveCheckedFiles",
     "Action"},
    {"-recyclechecked", "Action r 0 | msgScriptExecutionFailed RecycleCheckedFiles", "Action"},
    {"-deletechecked", "Action d 0 | msgScriptExecutionFailed DeleteCheckedFiles", "Action"},
    {"-shortcutchecked", "Action s 0 | msgScriptExecutionFailed ShortcutCheckedFiles", "Action"},
    {"-importresults \"/Saved/List.zwr\" -exportresults t \"/out/Dupes\" "
     "-exportresults \"a.zwr\" b -exportresults \"x.txt\"",
     "Import /Saved/List.zwr; Export t /out/Dupes; Export b a.zwr; Export a x.txt"},
    {"-importresults \"x.zwr\"", "Import x.zwr | msgScriptExecutionFailed ImportResults", "Import"},
    {"-exportresults \"x.txt\"", "Export a x.txt | msgScriptExecutionFailed ExportResults",
     "Export"},
    // catalogs: all entries, no attributes or checksums and paths as needed
    // unless told; the last path choice wins; the base keeps case and blanks
    {"-createcatfile \"/Backup/Disk 1.zwc\" -createcatfile c d f l \"b.zwc\" "
     "-createcatfile s r=\"/Mnt/Photos Old\" \"c.zwc\" -createcatfile r=\"/x\" n \"d.zwc\" "
     "-createcatfile F D \"e.zwc\" -createcatfile r \"f.zwc\"",
     "CreateCatfile a n /Backup/Disk 1.zwc; CreateCatfile cdf l b.zwc; "
     "CreateCatfile s r=/Mnt/Photos Old c.zwc; CreateCatfile a n d.zwc; "
     "CreateCatfile adf n e.zwc; CreateCatfile a r= f.zwc"},
    {"-createcatfile \"e.zwc\"", "CreateCatfile a n e.zwc | msgScriptExecutionFailed CreateCatfile",
     "CreateCatfile"},
};

TEST(ScriptCommands, WhatTheEnvironmentHears) {
  for (const CommandCase& c : kCommands) {
    FakeScriptEnvironment env;
    env.refuse = c.refuse;
    EXPECT_EQ(Trace(env, std::string("zwillo ") + c.commands), c.trace) << c.commands;
  }
}

TEST(ScriptCommands, ScanarchivesTakesAnyFlagForm) {
  for (const char* on : {"", " 1", " c", " checked", " t", " true", " y", " yes"})
    EXPECT_EQ(Trace(std::string("zwillo -scanarchives") + on), "Model archives=1") << on;
  for (const char* off : {" 0", " f", " false", " n", " no", " u", " unchecked"})
    EXPECT_EQ(Trace(std::string("zwillo -scanarchives") + off), "Model") << off;
}

// The folder and mask lists as the model records them: the folders' state
// letters (s r x i a, A an inactive archive), the masks' check marks, "@n"
// the selected row.
TEST(ScriptCommands, ClearAndIgnoreTheChosenFolderAndMaskLists) {
  const std::pair<const char*, const char*> cases[] = {
      {"clearfolders f", "folders=|sxA masks=10@0|1@0"},
      {"clearfolders library", "folders=ra@1| masks=10@0|1@0"},
      {"clearfolders", "masks=10@0|1@0"},
      // archive rows stay archive rows
      {"ignorefolders", "folders=iA@1|iiA masks=10@0|1@0"},
      {"ignorefolders f", "folders=iA@1|sxA masks=10@0|1@0"},
      {"ignorefolders l", "folders=ra@1|iiA masks=10@0|1@0"},
      {"ignorefolders l b", "folders=iA@1|iiA masks=10@0|1@0"},
      {"clearmasks l", "folders=ra@1|sxA masks=|1@0"},
      {"clearmasks x", "folders=ra@1|sxA masks=10@0|"},
      {"clearmasks", "folders=ra@1|sxA"},
      {"ignoremasks e", "folders=ra@1|sxA masks=10@0|0@0"},
      {"ignoremasks l", "folders=ra@1|sxA masks=00@0|1@0"},
      {"ignoremasks x b", "folders=ra@1|sxA masks=00@0|0@0"},
  };
  for (const auto& [command, lists] : cases) {
    FakeScriptEnvironment env;
    TWindowModel& m = env.model;
    m.fresh.rows = {{"/a", dsRecursive}, {"/b.zip", dsArchive}};
    m.fresh.selected = 1;
    m.library.rows = {{"/c", dsSingle}, {"/d", dsExclude}, {"/e.zwc", dsArchiveInactive}};
    m.limitMasks.rows = {{"*.jpg", true}, {"*.png", false}};
    m.limitMasks.selected = 0;
    m.excludeMasks.rows = {{"*.tmp", true}};
    m.excludeMasks.selected = 0;
    EXPECT_EQ(Trace(env, std::string("zwillo -") + command), std::string("Model ") + lists);
  }
}

TEST(ScriptCommands, AddfolderOfAnExistingFileAddsAnArchiveRow) {
  zwtest::TempTree tree;
  const std::string dir = tree.Dir("photos"), zip = tree.File("set.zip", "PK");
  const std::string z = " \"" + zip + "\"";
  EXPECT_EQ(Trace("zwillo -addfolder l s \"" + dir + "\" -addfolder l" + z + " -addfolder s" + z +
                  " -addfolder x" + z + " -addfolder i" + z),
            "AddFolder l s " + dir + "; AddArchiveOrCatalog l a " + zip +
                "; AddArchiveOrCatalog f a " + zip + "; AddArchiveOrCatalog f A " + zip +
                "; AddArchiveOrCatalog f A " + zip);
}

}  // namespace
