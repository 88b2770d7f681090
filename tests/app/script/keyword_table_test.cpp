#include "app/script/keyword_table.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <typeinfo>

using namespace zw;

namespace {

TEST(KeywordTable, EveryKeywordIsFoundAsItselfAndOnlyAlone) {
  std::set<std::string_view> seen;
  for (const TScrKeyword& k : ScriptKeywords()) {
    EXPECT_TRUE(seen.insert(k.keyword).second) << "twice: " << k.keyword;
    for (char c : k.keyword) EXPECT_TRUE(c >= 'a' && c <= 'z') << k.keyword;
    // No keyword before it in matching order hides it.
    EXPECT_EQ(MatchKeyword(k.keyword), &k) << k.keyword;
    EXPECT_EQ(MatchKeyword(std::string(k.keyword) + " x"), &k) << k.keyword;
    EXPECT_EQ(MatchKeyword(std::string(k.keyword) + "x"), nullptr) << k.keyword;
    EXPECT_EQ(MatchKeyword(std::string(k.keyword) + "\tx"), nullptr) << k.keyword;
    EXPECT_EQ(MatchKeyword(" " + std::string(k.keyword)), nullptr) << k.keyword;
    EXPECT_EQ(MatchKeyword(k.keyword.substr(0, k.keyword.size() - 1)), nullptr) << k.keyword;
  }
  EXPECT_EQ(MatchKeyword(""), nullptr);
  EXPECT_EQ(MatchKeyword("RUN"), nullptr);  // the text comes lower-cased
}

TEST(KeywordTable, EachBuiltCommandAgreesWithItsTableRow) {
  std::map<std::string_view, std::string> typeOfClass;
  for (const TScrKeyword& k : ScriptKeywords()) {
    if (!k.Implemented()) continue;
    std::unique_ptr<TZWScrCommand> command = k.create();
    ASSERT_NE(command, nullptr) << k.keyword;
    command->Init(k.keyword);  // as the parser does: one class may serve several keywords
    EXPECT_EQ(command->needsParam, k.needsParam) << k.keyword;
    EXPECT_FALSE(command->hasParam) << k.keyword;
    EXPECT_TRUE(command->IsCommand());
    // Keywords naming the same class get the same class.
    const TZWScrCommand& object = *command;
    const std::string type = typeid(object).name();
    EXPECT_EQ(typeOfClass.emplace(k.className, type).first->second, type) << k.keyword;
    // The file actions name the action itself in failure messages.
    EXPECT_TRUE(k.className == "TZWScrCmd_CheckedFilesAction" ||
                "TZWScrCmd_" + command->GetName() == k.className)
        << k.keyword;
  }
}

}  // namespace
