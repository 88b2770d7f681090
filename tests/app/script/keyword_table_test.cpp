#include "app/script/keyword_table.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

using namespace zw;

namespace {

TEST(KeywordTable, KnowsAllThirtyThreeKeywordsInMatchingOrder) {
  const std::vector<std::string> expected = {
      "execmode",      "logfile",       "page",          "setcompare",     "clearfolders",
      "ignorefolders", "addfolder",     "scanarchives",  "clearmasks",     "ignoremasks",
      "addmask",       "nosavereg",     "dontsavereg",   "run",            "showlog",
      "savelog",       "sortby",        "groupby",       "checkall",       "checkselected",
      "checkfirst",    "checklast",     "checkbycriteria", "movechecked",  "recyclechecked",
      "deletechecked", "shortcutchecked", "importresults", "exportresults", "createcatfile",
      "close",         "shutdown",      "uninstall"};
  std::vector<std::string> actual;
  for (const TScrKeyword& k : ScriptKeywords()) actual.emplace_back(k.keyword);
  EXPECT_EQ(actual, expected);
}

TEST(KeywordTable, OnlyTheCommandsBuiltSoFarAreImplemented) {
  const std::set<std::string> built = {
      "execmode",   "logfile",     "page",      "setcompare", "clearfolders",
      "ignorefolders", "addfolder", "scanarchives", "clearmasks", "ignoremasks",
      "addmask",    "nosavereg",   "dontsavereg", "run",      "showlog",
      "savelog",    "close",       "sortby",    "groupby",    "checkall",
      "checkselected", "checkfirst", "checklast", "checkbycriteria", "movechecked",
      "recyclechecked", "deletechecked", "shortcutchecked", "importresults", "exportresults",
      "createcatfile"};
  for (const TScrKeyword& k : ScriptKeywords())
    EXPECT_EQ(k.Implemented(), built.count(std::string(k.keyword)) == 1) << k.keyword;
}

TEST(KeywordTable, EachBuiltCommandAgreesWithItsTableRow) {
  for (const TScrKeyword& k : ScriptKeywords()) {
    if (!k.Implemented()) continue;
    std::unique_ptr<TZWScrCommand> command = k.create();
    ASSERT_NE(command, nullptr) << k.keyword;
    command->Init(k.keyword);  // as the parser does: one class may serve several keywords
    EXPECT_EQ(command->needsParam, k.needsParam) << k.keyword;
    EXPECT_FALSE(command->hasParam) << k.keyword;
    EXPECT_TRUE(command->IsCommand());
    // The file actions name the action itself in failure messages.
    if (k.className == "TZWScrCmd_CheckedFilesAction") continue;
    EXPECT_EQ("TZWScrCmd_" + command->GetName(), k.className) << k.keyword;
  }
}

TEST(KeywordTable, KeywordsThatShareAClassShareItsName) {
  auto classOf = [](std::string_view kw) {
    for (const TScrKeyword& k : ScriptKeywords())
      if (k.keyword == kw) return std::string(k.className);
    return std::string();
  };
  EXPECT_EQ(classOf("clearfolders"), classOf("ignorefolders"));
  EXPECT_EQ(classOf("nosavereg"), classOf("dontsavereg"));
  EXPECT_EQ(classOf("checkall"), classOf("checklast"));
  EXPECT_EQ(classOf("movechecked"), "TZWScrCmd_CheckedFilesAction");
  EXPECT_NE(classOf("run"), classOf("showlog"));
}

TEST(KeywordTable, MatchNeedsABlankOrTheEndAfterTheKeyword) {
  ASSERT_NE(MatchKeyword("run"), nullptr);
  EXPECT_EQ(MatchKeyword("run")->keyword, "run");
  EXPECT_EQ(MatchKeyword("run now")->keyword, "run");
  EXPECT_EQ(MatchKeyword("runx"), nullptr);
  EXPECT_EQ(MatchKeyword("ru"), nullptr);
  EXPECT_EQ(MatchKeyword(""), nullptr);
  EXPECT_EQ(MatchKeyword(" run"), nullptr);
  EXPECT_EQ(MatchKeyword("checkbycriteria a")->keyword, "checkbycriteria");
  EXPECT_EQ(MatchKeyword("ignorefolders\tl"), nullptr);
}

TEST(KeywordTable, MatchIsOnLowerCaseText) {
  EXPECT_EQ(MatchKeyword("RUN"), nullptr);
}

}  // namespace
