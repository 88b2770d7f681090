#include "app/script/command_line_parser.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/script/script_commands.h"
#include "app/script/fake_script_environment.h"
#include "support/temp_tree.h"
#include "app/text_ids.h"

using namespace zw;
using zwtest::FakeScriptEnvironment;

namespace {

std::vector<TZWScrObject*> Objects(const TZWScrParent& script) {
  std::vector<TZWScrObject*> out;
  for (TZWScrObject* o = script.Head(); o; o = o->Next()) out.push_back(o);
  return out;
}

template <class T>
T* At(const TZWScrParent& script, size_t index) {
  auto objects = Objects(script);
  if (index >= objects.size()) return nullptr;
  return dynamic_cast<T*>(objects[index]);
}

class ParserTest : public ::testing::Test {
 protected:
  bool Parse(const std::string& line, TCommandIntro intro = TCommandIntro::DashOrSlash) {
    return ParseCommandLine(script, line, env, intro);
  }
  // One command parsed alone.
  bool ParseOne(const std::string& command) { return ParseCommand(script, command, env); }

  void ExpectOnlyMessage(TMsgID id, const std::string& arg) {
    auto msgs = env.messenger.Messages();
    ASSERT_EQ(msgs.size(), 1u);
    EXPECT_EQ(msgs[0].kind, zwtest::RecordedMsg::Show);
    EXPECT_EQ(msgs[0].id, id);
    ASSERT_EQ(msgs[0].args.size(), 1u);
    EXPECT_EQ(msgs[0].Str(0), arg);
  }

  FakeScriptEnvironment env;
  TZWCommandLine script;
};

// --- splitting the command line ---

TEST_F(ParserTest, ProgramPathBeforeTheFirstCommandIsIgnored) {
  ASSERT_TRUE(Parse("\"C:\\Program Files\\Zwillo\\zwillo.exe\" -run"));
  ASSERT_EQ(script.Count(), 1u);
  EXPECT_NE(At<TZWScrCmd_Run>(script, 0), nullptr);
}

TEST_F(ParserTest, AResultListFileBeforeTheFirstCommandIsIgnored) {
  ASSERT_TRUE(Parse("zwillo.exe \"d:\\lists\\old.zwr\" -showlog"));
  ASSERT_EQ(script.Count(), 1u);
  EXPECT_NE(At<TZWScrCmd_ShowLog>(script, 0), nullptr);
}

TEST_F(ParserTest, CommandLineWithoutCommandsGivesAnEmptyScript) {
  EXPECT_TRUE(Parse("zwillo.exe"));
  EXPECT_TRUE(Parse("zwillo.exe plain words only"));
  EXPECT_TRUE(script.Empty());
  EXPECT_TRUE(env.messenger.Messages().empty());
}

TEST_F(ParserTest, DashAndSlashBothStartCommandsOnWindows) {
  ASSERT_TRUE(Parse("zwillo.exe /addfolder \"c:\\x\" -run /showlog"));
  ASSERT_EQ(script.Count(), 3u);
  EXPECT_NE(At<TZWScrCmd_AddFolder>(script, 0), nullptr);
  EXPECT_NE(At<TZWScrCmd_Run>(script, 1), nullptr);
  EXPECT_NE(At<TZWScrCmd_ShowLog>(script, 2), nullptr);
}

TEST_F(ParserTest, OnlyDashStartsCommandsOnPosix) {
  // "/showlog" is no command here but a token of run, which takes none.
  EXPECT_FALSE(Parse("zwillo -run /showlog", TCommandIntro::DashOnly));
  ExpectOnlyMessage(msgParseError, "run /showlog");
}

TEST_F(ParserTest, DashOrSlashInsideQuotesDoesNotSplitTheCommand) {
  ASSERT_TRUE(Parse("zwillo.exe -addfolder \"c:\\a -b /c\" -run"));
  ASSERT_EQ(script.Count(), 2u);
  auto* add = At<TZWScrCmd_AddFolder>(script, 0);
  ASSERT_NE(add, nullptr);
  EXPECT_EQ(add->path, "c:\\a -b /c");
}

TEST_F(ParserTest, DashInsideAWordDoesNotSplitTheCommand) {
  ASSERT_TRUE(Parse("zwillo -addfolder l-r \"/x\"", TCommandIntro::DashOnly));
  auto* add = At<TZWScrCmd_AddFolder>(script, 0);
  ASSERT_NE(add, nullptr);
  EXPECT_EQ(add->list, TFolderList::Library);
  EXPECT_EQ(add->path, "/x");
}

TEST_F(ParserTest, ExtraBlanksBetweenCommandsAndTokensAreSkipped) {
  ASSERT_TRUE(Parse("zwillo   -addfolder    l    \"/x\"    -run   ", TCommandIntro::DashOnly));
  ASSERT_EQ(script.Count(), 2u);
  EXPECT_EQ(At<TZWScrCmd_AddFolder>(script, 0)->list, TFolderList::Library);
}

// --- case ---

TEST_F(ParserTest, KeywordsAndOptionsAreCaseInsensitiveQuotedTextsKeepTheirCase) {
  ASSERT_TRUE(Parse("ZWILLO.EXE -AddFolder LIBRARY Single \"D:\\Photos\\Holiday\" -RUN"));
  auto* add = At<TZWScrCmd_AddFolder>(script, 0);
  ASSERT_NE(add, nullptr);
  EXPECT_EQ(add->list, TFolderList::Library);
  EXPECT_EQ(add->state, dsSingle);
  EXPECT_EQ(add->path, "D:\\Photos\\Holiday");
  EXPECT_NE(At<TZWScrCmd_Run>(script, 1), nullptr);
}

TEST_F(ParserTest, MessagesShowTheCommandLowerCasedOutsideQuotes) {
  EXPECT_FALSE(Parse("zwillo.exe -AddFolder Zzz \"C:\\X\""));
  ExpectOnlyMessage(msgParseError, "addfolder zzz \"C:\\X\"");
}

TEST(LowerOutsideQuotes, LowersOnlyLettersOutsideQuotes) {
  EXPECT_EQ(LowerOutsideQuotes("AbC \"DeF\" GH\"I"), "abc \"DeF\" gh\"I");
  EXPECT_EQ(LowerOutsideQuotes("\xC4Z"), "\xC4z");
}

// --- missing quote ---

TEST_F(ParserTest, MissingClosingQuoteParsesNothing) {
  EXPECT_FALSE(Parse("zwillo.exe -run -addfolder \"c:\\x -showlog"));
  auto msgs = env.messenger.Messages();
  ASSERT_EQ(msgs.size(), 1u);
  EXPECT_EQ(msgs[0].id, msgParseMissingQuoteC);
  EXPECT_TRUE(msgs[0].args.empty());
  EXPECT_TRUE(script.Empty());
}

TEST_F(ParserTest, MissingQuoteRunsNoOnErrorCommands) {
  EXPECT_FALSE(Parse("zwillo.exe -onerror showlog -addfolder \"c:\\x"));
  EXPECT_EQ(script.OnErrorScript(), nullptr);
  EXPECT_TRUE(env.calls.empty());
}

TEST_F(ParserTest, MissingQuoteInTheProgramPathIsFound) {
  EXPECT_FALSE(Parse("\"zwillo.exe -run"));
  EXPECT_TRUE(env.messenger.Has(msgParseMissingQuoteC));
}

TEST_F(ParserTest, UnclosedQuoteInOneCommandIsDroppedAsToken) {
  // Parsed alone, a quote without its end runs to the end and is dropped.
  EXPECT_FALSE(ParseOne("addfolder \"c:\\x"));
  ExpectOnlyMessage(msgParseMissingParam, "addfolder \"c:\\x");
}

// --- unknown commands ---

TEST_F(ParserTest, UnknownCommandShowsItsFirstWordAndEndsParsing) {
  EXPECT_FALSE(Parse("zwillo.exe -run -foo bar \"x\" -showlog"));
  ExpectOnlyMessage(msgParseUnknownCommandC, "foo");
  EXPECT_EQ(script.Count(), 1u);  // run was parsed before; the caller frees it
}

TEST_F(ParserTest, KeywordMustBeFollowedByBlankOrEnd) {
  EXPECT_FALSE(Parse("zwillo.exe -runx"));
  ExpectOnlyMessage(msgParseUnknownCommandC, "runx");
}

TEST_F(ParserTest, EmptyCommandIsUnknown) {
  EXPECT_FALSE(Parse("zwillo.exe - -run"));
  ExpectOnlyMessage(msgParseUnknownCommandC, "");
}

TEST_F(ParserTest, KeywordsWhoseCommandsAreNotBuiltYetAreUnknown) {
  for (const char* command :
       {"shutdown", "uninstall"}) {
    FakeScriptEnvironment localEnv;
    TZWCommandLine local;
    EXPECT_FALSE(ParseCommand(local, command, localEnv)) << command;
    auto msgs = localEnv.messenger.Messages();
    ASSERT_EQ(msgs.size(), 1u) << command;
    EXPECT_EQ(msgs[0].id, msgParseUnknownCommandC) << command;
    std::string word(command);
    word = word.substr(0, word.find(' '));
    EXPECT_EQ(msgs[0].Str(0), word);
    EXPECT_TRUE(local.Empty()) << command;
  }
}

// --- what a command line may hold: quotes, second texts, stray words ---

// Each line is parsed alone; `message` 0 means it parses without a word.
struct RuleCase {
  const char* line;
  TCommandIntro intro;
  TMsgID message;
  const char* argument;  // the message's argument
};

constexpr TMsgID kParses = static_cast<TMsgID>(0);
constexpr TCommandIntro kWin = TCommandIntro::DashOrSlash;
constexpr TCommandIntro kPosix = TCommandIntro::DashOnly;

const RuleCase kRuleCases[] = {
    // A quoted text ends where the next quote is: a quote inside one could
    // only have ended it early. A quote must begin a word (or follow "=") and
    // end one, else nothing of the line is parsed.
    {"zwillo.exe -addfolder \"c:\\a\\\" -deletechecked p -lang \\\"\"", kWin, msgParseError,
     "lang \\\"\""},
    {"zwillo.exe -addmask \"a\"b\"\" -run", kWin, msgParseError, "addmask \"a\"b\"\""},
    {"zwillo.exe -addfolder\"c:\\x\"", kWin, msgParseError, "addfolder\"c:\\x\""},
    {"\"zw\"x.exe -run", kWin, msgParseError, "\"zw\"x.exe"},
    {"zwillo -checkbycriteria filename=\"a\"b\"\" -run", kPosix, msgParseError,
     "checkbycriteria filename=\"a\"b\"\""},
    // ... while the forms people type stay as they were
    {"\"C:\\Program Files\\zw\\zwillo.exe\" -addfolder \"c:\\my data\\\" -run", kWin, kParses, ""},
    {"zwillo -createcatfile r=\"/base dir\" \"c.zwc\"", kPosix, kParses, ""},
    {"zwillo -checkbycriteria size=\"1\" \"2\" date=\"2001-01-01\" \"2002-01-01\"", kPosix,
     kParses, ""},
    // A command takes one quoted text; a second one is refused rather than
    // taking the place of the first.
    {"zwillo -movechecked \"/dest\" p \"/showlog\"", kPosix, msgParseError,
     "movechecked \"/dest\" p \"/showlog\""},
    {"zwillo -addfolder \"/a\" \"/b\"", kPosix, msgParseError, "addfolder \"/a\" \"/b\""},
    {"zwillo -addmask \"*.a\" \"*.b\"", kPosix, msgParseError, "addmask \"*.a\" \"*.b\""},
    {"zwillo -logfile \"a\" \"b\"", kPosix, msgParseError, "logfile \"a\" \"b\""},
    {"zwillo -savelog \"a\" \"b\"", kPosix, msgParseError, "savelog \"a\" \"b\""},
    {"zwillo -importresults \"a\" \"b\"", kPosix, msgParseError, "importresults \"a\" \"b\""},
    {"zwillo -exportresults \"a\" \"b\"", kPosix, msgParseError, "exportresults \"a\" \"b\""},
    {"zwillo -createcatfile \"a\" \"b\"", kPosix, msgParseError, "createcatfile \"a\" \"b\""},
    {"zwillo -deletechecked p \"/x\"", kPosix, kParses, ""},  // no text of its own: ignored
    // checkbycriteria takes its second text only right after size= or date=
    {"zwillo -checkbycriteria size=\"1\" \"2\" \"3\"", kPosix, msgParseError,
     "checkbycriteria size=\"1\" \"2\" \"3\""},
    {"zwillo -checkbycriteria size=\"1\" y \"2\"", kPosix, msgParseError,
     "checkbycriteria size=\"1\" y \"2\""},
    {"zwillo -checkbycriteria filename=\"*.x\" \"2\"", kPosix, msgParseError,
     "checkbycriteria filename=\"*.x\" \"2\""},
    // POSIX: a word before the first command is no command, and silently
    // dropping it would run what is left (or nothing) as if all were well.
    {"\"zwillo\" \"/execmode\" p \"/addfolder\" \"/data\" \"/run\"", kPosix,
     msgParseUnknownCommandC, "/execmode"},
    {"\"zwillo\" stray -run", kPosix, msgParseUnknownCommandC, "stray"},
    {"\"zwillo\" \"/lists/absent.zwr\" -run", kPosix, msgParseUnknownCommandC,
     "/lists/absent.zwr"},
    // Windows: the program's path may have blanks
    {"zwillo.exe plain words -run", kWin, kParses, ""},
};

TEST(ParserRules, QuotesSecondTextsAndStrayWords) {
  for (const RuleCase& c : kRuleCases) {
    FakeScriptEnvironment env;
    TZWCommandLine script;
    const bool ok = ParseCommandLine(script, c.line, env, c.intro);
    const auto msgs = env.messenger.Messages();
    if (c.message == kParses) {
      EXPECT_TRUE(ok && msgs.empty()) << c.line;
      continue;
    }
    EXPECT_FALSE(ok) << c.line;
    ASSERT_EQ(msgs.size(), 1u) << c.line;
    EXPECT_EQ(msgs[0].id, c.message) << c.line;
    EXPECT_EQ(msgs[0].Str(0), c.argument) << c.line;
    EXPECT_TRUE(env.calls.empty()) << c.line;
  }
}

TEST(ParserRules, AQuoteOutOfPlaceRunsNoOnErrorCommands) {
  FakeScriptEnvironment env;
  TZWCommandLine script;
  EXPECT_FALSE(ParseCommandLine(script, "zwillo.exe -onerror showlog -addmask \"a\"b\"\"", env));
  EXPECT_TRUE(script.Empty());
  EXPECT_TRUE(env.calls.empty());
}

TEST(ParserRules, AResultListFileMayBeTheFirstWordOnPosix) {
  zwtest::TempTree tree;
  const std::string list = tree.File("old.zwr", "ZWReLi");
  FakeScriptEnvironment env;
  TZWCommandLine script;
  EXPECT_TRUE(ParseCommandLine(script, "\"zwillo\" \"" + list + "\" -showlog", env, kPosix));
  EXPECT_EQ(script.Count(), 1u);
  // Only as the first word.
  EXPECT_FALSE(ParseCommandLine(script, "\"zwillo\" x \"" + list + "\" -showlog", env, kPosix));
  EXPECT_EQ(env.messenger.Messages().back().Str(0), "x");
}

// --- lang ---

TEST_F(ParserTest, LangCommandsAreSkipped) {
  ASSERT_TRUE(Parse("zwillo.exe -lang \"de\" -run -language x"));
  ASSERT_EQ(script.Count(), 1u);
  EXPECT_NE(At<TZWScrCmd_Run>(script, 0), nullptr);
  EXPECT_TRUE(env.messenger.Messages().empty());
}

// --- missing parameter and bad tokens ---

TEST_F(ParserTest, AddfolderWithoutPathMissesItsParameter) {
  EXPECT_FALSE(ParseOne("addfolder l r"));
  ExpectOnlyMessage(msgParseMissingParam, "addfolder l r");
  EXPECT_TRUE(script.Empty());
}

TEST_F(ParserTest, EmptyQuotedTextIsNoParameter) {
  EXPECT_FALSE(Parse("zwillo.exe -addfolder \"\""));
  ExpectOnlyMessage(msgParseMissingParam, "addfolder \"\"");
}

TEST_F(ParserTest, EmptyQuotedTextDoesNotReplaceAnEarlierOne) {
  ASSERT_TRUE(ParseOne("addmask \"*.jpg\" \"\""));
  EXPECT_EQ(At<TZWScrCmd_AddMask>(script, 0)->mask, "*.jpg");
}

TEST_F(ParserTest, CommandsThatNeedAParameterMissIt) {
  for (const char* command : {"execmode", "logfile o", "page", "addfolder", "addmask x",
                              "savelog a", "execmode \"p\""}) {
    FakeScriptEnvironment localEnv;
    TZWCommandLine local;
    EXPECT_FALSE(ParseCommand(local, command, localEnv)) << command;
    ASSERT_EQ(localEnv.messenger.Messages().size(), 1u) << command;
    EXPECT_EQ(localEnv.messenger.Messages()[0].id, msgParseMissingParam) << command;
    EXPECT_EQ(localEnv.messenger.Messages()[0].Str(0), command);
  }
}

TEST_F(ParserTest, TokenWithoutAnOptionOrFlagMeaningIsAParseError) {
  EXPECT_FALSE(ParseOne("run x"));
  ExpectOnlyMessage(msgParseError, "run x");
}

TEST_F(ParserTest, FlagRefusedByACommandIsAParseError) {
  EXPECT_FALSE(ParseOne("showlog yes"));
  ExpectOnlyMessage(msgParseError, "showlog yes");
}

TEST_F(ParserTest, MissingParameterWinsOverABadToken) {
  EXPECT_FALSE(ParseOne("addfolder zzz"));
  ExpectOnlyMessage(msgParseMissingParam, "addfolder zzz");
}

TEST_F(ParserTest, BadTokenBeforeTheParameterIsAParseError) {
  EXPECT_FALSE(ParseOne("addfolder zzz \"c:\\x\""));
  ExpectOnlyMessage(msgParseError, "addfolder zzz \"c:\\x\"");
}

TEST_F(ParserTest, QuotedTextIsIgnoredByCommandsWithoutParameter) {
  ASSERT_TRUE(ParseOne("run \"anything\""));
  EXPECT_NE(At<TZWScrCmd_Run>(script, 0), nullptr);
}

TEST_F(ParserTest, NameValueTokenKeepsBlanksOfItsValue) {
  // One token: the blank inside the quotes does not end it.
  ASSERT_TRUE(ParseOne("addfolder x=\"a b\" \"/p\""));
  auto* add = At<TZWScrCmd_AddFolder>(script, 0);
  EXPECT_EQ(add->state, dsExclude);
  EXPECT_EQ(add->path, "/p");
}

// --- each command with its options ---

TEST_F(ParserTest, ExecmodeTakesDefaultInteractiveOrUnattended) {
  ASSERT_TRUE(ParseOne("execmode d"));
  ASSERT_TRUE(ParseOne("execmode interactive"));
  ASSERT_TRUE(ParseOne("execmode p"));
  EXPECT_EQ(At<TZWScrCmd_SetExecMode>(script, 0)->mode, emDefault);
  EXPECT_EQ(At<TZWScrCmd_SetExecMode>(script, 1)->mode, emInteractive);
  EXPECT_EQ(At<TZWScrCmd_SetExecMode>(script, 2)->mode, emUnattended);
  EXPECT_FALSE(ParseOne("execmode z"));
  EXPECT_EQ(env.messenger.Messages().back().id, msgParseMissingParam);
}

TEST_F(ParserTest, LogfileTakesPathAndAppendOrOverwrite) {
  ASSERT_TRUE(ParseOne("logfile \"/tmp/Scan.log\""));
  ASSERT_TRUE(ParseOne("logfile o \"b.log\""));
  ASSERT_TRUE(ParseOne("logfile overwrite append \"c.log\""));
  auto* a = At<TZWScrCmd_SetLogfile>(script, 0);
  EXPECT_EQ(a->path, "/tmp/Scan.log");
  EXPECT_FALSE(a->overwrite);
  EXPECT_TRUE(At<TZWScrCmd_SetLogfile>(script, 1)->overwrite);
  EXPECT_FALSE(At<TZWScrCmd_SetLogfile>(script, 2)->overwrite);
}

TEST_F(ParserTest, PageTakesADigitOneToNine) {
  for (char d = '1'; d <= '9'; ++d) {
    TZWCommandLine local;
    ASSERT_TRUE(ParseCommand(local, std::string("page ") + d, env)) << d;
    EXPECT_EQ(At<TZWScrCmd_SetPage>(local, 0)->index, d - '1');
  }
  EXPECT_FALSE(ParseOne("page 0"));
  EXPECT_FALSE(ParseOne("page x"));
  EXPECT_TRUE(script.Empty());
}

TEST_F(ParserTest, SetcompareCollectsTheCriteriaLetters) {
  ASSERT_TRUE(ParseOne("setcompare"));
  ASSERT_TRUE(ParseOne("setcompare s c"));
  ASSERT_TRUE(ParseOne("setcompare name date"));
  ASSERT_TRUE(ParseOne("setcompare f s d c"));
  EXPECT_EQ(At<TZWScrCmd_SetCompOptions>(script, 0)->criteria, 0);
  EXPECT_EQ(At<TZWScrCmd_SetCompOptions>(script, 1)->criteria, 0x0A);
  EXPECT_EQ(At<TZWScrCmd_SetCompOptions>(script, 2)->criteria, 0x05);
  EXPECT_EQ(At<TZWScrCmd_SetCompOptions>(script, 3)->criteria, 0x0F);
  EXPECT_FALSE(ParseOne("setcompare x"));
}

TEST_F(ParserTest, ClearAndIgnoreFoldersTakeTheirModeFromTheKeyword) {
  ASSERT_TRUE(ParseOne("clearfolders"));
  ASSERT_TRUE(ParseOne("ignorefolders f"));
  ASSERT_TRUE(ParseOne("clearfolders library"));
  ASSERT_TRUE(ParseOne("ignorefolders l b"));
  auto* c0 = At<TZWScrCmd_ClearFolderBox>(script, 0);
  EXPECT_TRUE(c0->clear);
  EXPECT_EQ(c0->lists, lsBoth);
  auto* c1 = At<TZWScrCmd_ClearFolderBox>(script, 1);
  EXPECT_FALSE(c1->clear);
  EXPECT_EQ(c1->lists, lsFirst);
  EXPECT_EQ(At<TZWScrCmd_ClearFolderBox>(script, 2)->lists, lsSecond);
  EXPECT_EQ(At<TZWScrCmd_ClearFolderBox>(script, 3)->lists, lsBoth);
  EXPECT_FALSE(ParseOne("clearfolders x"));
}

TEST_F(ParserTest, AddfolderTakesListStateAndPath) {
  ASSERT_TRUE(ParseOne("addfolder \"/a\""));
  ASSERT_TRUE(ParseOne("addfolder recursive library \"d:\\x\""));
  ASSERT_TRUE(ParseOne("addfolder s \"/b\""));
  ASSERT_TRUE(ParseOne("addfolder e \"/c\""));
  ASSERT_TRUE(ParseOne("addfolder x f \"/d\""));
  ASSERT_TRUE(ParseOne("addfolder i \"/e\""));
  auto* a = At<TZWScrCmd_AddFolder>(script, 0);
  EXPECT_EQ(a->list, TFolderList::Fresh);
  EXPECT_EQ(a->state, dsRecursive);
  auto* b = At<TZWScrCmd_AddFolder>(script, 1);
  EXPECT_EQ(b->list, TFolderList::Library);
  EXPECT_EQ(b->state, dsRecursive);
  EXPECT_EQ(b->path, "d:\\x");
  EXPECT_EQ(At<TZWScrCmd_AddFolder>(script, 2)->state, dsSingle);
  EXPECT_EQ(At<TZWScrCmd_AddFolder>(script, 3)->state, dsExclude);
  EXPECT_EQ(At<TZWScrCmd_AddFolder>(script, 4)->state, dsExclude);
  EXPECT_EQ(At<TZWScrCmd_AddFolder>(script, 4)->list, TFolderList::Fresh);
  EXPECT_EQ(At<TZWScrCmd_AddFolder>(script, 5)->state, dsInactive);
}

TEST_F(ParserTest, ScanarchivesTakesAnyFlagForm) {
  struct Case {
    const char* token;
    bool value;
  } cases[] = {{"", true},       {"1", true},  {"0", false},    {"c", true},
               {"checked", true}, {"f", false}, {"false", false}, {"n", false},
               {"no", false},    {"t", true},  {"true", true},   {"u", false},
               {"unchecked", false}, {"y", true}, {"yes", true}};
  for (const Case& c : cases) {
    TZWCommandLine local;
    ASSERT_TRUE(ParseCommand(local, std::string("scanarchives ") + c.token, env)) << c.token;
    EXPECT_EQ(At<TZWScrCmd_ScanArchives>(local, 0)->flag, c.value) << c.token;
  }
  EXPECT_FALSE(ParseOne("scanarchives 2"));
  EXPECT_FALSE(ParseOne("scanarchives on"));
}

TEST_F(ParserTest, ClearAndIgnoreMasksTakeTheirLists) {
  ASSERT_TRUE(ParseOne("clearmasks"));
  ASSERT_TRUE(ParseOne("ignoremasks l"));
  ASSERT_TRUE(ParseOne("clearmasks e"));
  ASSERT_TRUE(ParseOne("ignoremasks x b"));
  EXPECT_TRUE(At<TZWScrCmd_ClearMaskBox>(script, 0)->clear);
  EXPECT_EQ(At<TZWScrCmd_ClearMaskBox>(script, 0)->lists, lsBoth);
  EXPECT_FALSE(At<TZWScrCmd_ClearMaskBox>(script, 1)->clear);
  EXPECT_EQ(At<TZWScrCmd_ClearMaskBox>(script, 1)->lists, lsFirst);
  EXPECT_EQ(At<TZWScrCmd_ClearMaskBox>(script, 2)->lists, lsSecond);
  EXPECT_EQ(At<TZWScrCmd_ClearMaskBox>(script, 3)->lists, lsBoth);
  EXPECT_FALSE(ParseOne("clearmasks f"));
}

TEST_F(ParserTest, AddmaskTakesListCheckMarkAndMask) {
  ASSERT_TRUE(ParseOne("addmask \"*.JPG\""));
  ASSERT_TRUE(ParseOne("addmask exclude unchecked \"*.tmp\""));
  ASSERT_TRUE(ParseOne("addmask x 0 limit \"a*\""));
  auto* a = At<TZWScrCmd_AddMask>(script, 0);
  EXPECT_EQ(a->list, TMaskListKind::Limit);
  EXPECT_TRUE(a->checked);
  EXPECT_EQ(a->mask, "*.JPG");
  auto* b = At<TZWScrCmd_AddMask>(script, 1);
  EXPECT_EQ(b->list, TMaskListKind::Exclude);
  EXPECT_FALSE(b->checked);
  auto* c = At<TZWScrCmd_AddMask>(script, 2);
  EXPECT_EQ(c->list, TMaskListKind::Limit);
  EXPECT_FALSE(c->checked);
  EXPECT_FALSE(ParseOne("addmask s \"*.x\""));
}

TEST_F(ParserTest, CommandsWithoutOptionsTakeNoTokens) {
  for (const char* keyword : {"nosavereg", "dontsavereg", "run", "showlog", "close"}) {
    TZWCommandLine local;
    EXPECT_TRUE(ParseCommand(local, keyword, env)) << keyword;
    EXPECT_EQ(local.Count(), 1u);
    EXPECT_FALSE(ParseCommand(local, std::string(keyword) + " a", env)) << keyword;
    EXPECT_FALSE(ParseCommand(local, std::string(keyword) + " 1", env)) << keyword;
    EXPECT_EQ(local.Count(), 1u);
  }
}

TEST_F(ParserTest, SavelogTakesPathAndAppendOrOverwrite) {
  ASSERT_TRUE(ParseOne("savelog \"Log.txt\""));
  ASSERT_TRUE(ParseOne("savelog o \"x.txt\""));
  EXPECT_EQ(At<TZWScrCmd_SaveLog>(script, 0)->path, "Log.txt");
  EXPECT_FALSE(At<TZWScrCmd_SaveLog>(script, 0)->overwrite);
  EXPECT_TRUE(At<TZWScrCmd_SaveLog>(script, 1)->overwrite);
}

// --- onerror ---

TEST_F(ParserTest, OnerrorCommandsGoToTheOnErrorScript) {
  ASSERT_TRUE(Parse("zwillo.exe -onerror showlog -run -OnError savelog \"e.log\""));
  ASSERT_EQ(script.Count(), 1u);
  EXPECT_NE(At<TZWScrCmd_Run>(script, 0), nullptr);
  ASSERT_NE(script.OnErrorScript(), nullptr);
  EXPECT_EQ(script.OnErrorScript()->Count(), 2u);
  EXPECT_NE(At<TZWScrCmd_ShowLog>(*script.OnErrorScript(), 0), nullptr);
  EXPECT_EQ(At<TZWScrCmd_SaveLog>(*script.OnErrorScript(), 1)->path, "e.log");
  EXPECT_TRUE(env.calls.empty());  // nothing runs while parsing succeeds
}

TEST_F(ParserTest, OnerrorWithABadCommandFailsWithThatCommandsMessage) {
  EXPECT_FALSE(Parse("zwillo.exe -onerror addfolder l"));
  ExpectOnlyMessage(msgParseMissingParam, "addfolder l");
  EXPECT_FALSE(Parse("zwillo.exe -onerror bogus"));
  EXPECT_EQ(env.messenger.Messages().back().id, msgParseUnknownCommandC);
  EXPECT_EQ(env.messenger.Messages().back().Str(0), "bogus");
}

TEST_F(ParserTest, OnerrorGluedToItsCommandIsUnknown) {
  EXPECT_FALSE(Parse("zwillo.exe -onerrorrun"));
  ExpectOnlyMessage(msgParseUnknownCommandC, "onerrorrun");
}

TEST_F(ParserTest, ParseFailureRunsTheOnErrorCommandsParsedBefore) {
  EXPECT_FALSE(Parse("zwillo.exe -onerror showlog -run -onerror close -addfolder -close"));
  EXPECT_EQ(env.messenger.Messages()[0].id, msgParseMissingParam);
  EXPECT_EQ(env.calls, (std::vector<std::string>{"ShowLog", "Close"}));
}

TEST_F(ParserTest, ParseFailureWithoutOnErrorCommandsRunsNothing) {
  EXPECT_FALSE(Parse("zwillo.exe -showlog -run -foo"));
  EXPECT_TRUE(env.calls.empty());
}

TEST_F(ParserTest, FailureInsideOnerrorRunsTheOnErrorCommandsSoFar) {
  EXPECT_FALSE(Parse("zwillo.exe -onerror showlog -onerror foo"));
  EXPECT_EQ(env.calls, (std::vector<std::string>{"ShowLog"}));
}

TEST(OnErrorNesting, OnErrorScriptsNestAsDeepAsTheLimitAndNoDeeper) {
  struct Case {
    int onerrors;
    bool parses;
  };
  for (const Case c : {Case{1, true}, Case{kMaxOnErrorNesting, true},
                       Case{kMaxOnErrorNesting + 1, false}, Case{100000, false}}) {
    SCOPED_TRACE(c.onerrors);
    FakeScriptEnvironment env;
    TZWCommandLine script;
    std::string line = "zwillo -";
    for (int i = 0; i < c.onerrors; ++i) line += "onerror ";
    line += "showlog";
    EXPECT_EQ(ParseCommandLine(script, line, env, TCommandIntro::DashOnly), c.parses);
    if (c.parses) {
      const TZWScrParent* level = &script;
      for (int i = 0; i < c.onerrors && level; ++i) level = level->OnErrorScript();
      ASSERT_NE(level, nullptr);
      EXPECT_NE(At<TZWScrCmd_ShowLog>(*level, 0), nullptr);
    } else {
      ASSERT_EQ(env.messenger.Messages().size(), 1u);
      EXPECT_EQ(env.messenger.Messages()[0].id, msgParseError);
    }
    EXPECT_TRUE(env.calls.empty());
  }
}

// --- the POSIX command line rebuilt from argv ---

std::string Rebuilt(std::vector<const char*> argv, std::string* refused = nullptr) {
  std::string line, bad;
  const bool ok = RebuildCommandLine(static_cast<int>(argv.size()), argv.data(), line, bad);
  if (refused) *refused = bad;
  return ok ? line : "refused";
}

struct RebuildCase {
  std::vector<const char*> argv;
  const char* expected;
};

TEST(RebuildCommandLine, FollowsTheQuotingRules) {
  const RebuildCase cases[] = {
      // program path quoted; a path argument quoted; option words and commands not
      {{"zwillo", "-addfolder", "/data", "l", "-run"}, "\"zwillo\" -addfolder \"/data\" l -run"},
      // an argument that is one quoted text stays as it is
      {{"zwillo", "-addfolder", "\"/my data\"", "-run"}, "\"zwillo\" -addfolder \"/my data\" -run"},
      // paths with blanks, masks and file names are wrapped
      {{"./zwillo", "-addfolder", "/my data", "-addmask", "x", "*.jpg"},
       "\"./zwillo\" -addfolder \"/my data\" -addmask x \"*.jpg\""},
      {{"zwillo", "-savelog", "o", "scan.log"}, "\"zwillo\" -savelog o \"scan.log\""},
      // digits and letter-digit words are option words
      {{"zwillo", "-page", "3", "-execmode", "p2"}, "\"zwillo\" -page 3 -execmode p2"},
      // name="value" keeps its quotes
      {{"zwillo", "-createcatfile", "r=\"/base dir\"", "c.zwc"},
       "\"zwillo\" -createcatfile r=\"/base dir\" \"c.zwc\""},
      // name=value after the shell took the quotes: quoted again
      {{"zwillo", "-createcatfile", "R=/base dir", "c.zwc"},
       "\"zwillo\" -createcatfile R=\"/base dir\" \"c.zwc\""},
      // size= and date= take the next argument as the high end, however written
      {{"zwillo", "-checkbycriteria", "filename=*.jpg", "size=10", "\"20\""},
       "\"zwillo\" -checkbycriteria filename=\"*.jpg\" size=\"10\" \"20\""},
      {{"zwillo", "-checkbycriteria", "size=10", "20", "y"},
       "\"zwillo\" -checkbycriteria size=\"10\" \"20\" y"},
      {{"zwillo", "-checkbycriteria", "date=\"2001-01-01\" \"2002-01-01\""},
       "\"zwillo\" -checkbycriteria date=\"2001-01-01\" \"2002-01-01\""},
      // other words with "=" are paths and names like any other
      {{"zwillo", "-addfolder", "/a=b"}, "\"zwillo\" -addfolder \"/a=b\""},
      // a relative folder named like a word would be an option word: quoted
      // only when it holds more than letters and digits
      {{"zwillo", "-addfolder", "./data"}, "\"zwillo\" -addfolder \"./data\""},
      // an empty argument becomes an empty quoted text
      {{"zwillo", "-addfolder", ""}, "\"zwillo\" -addfolder \"\""},
      // a path holding " -" stays in one piece
      {{"zwillo", "-addfolder", "/a -b"}, "\"zwillo\" -addfolder \"/a -b\""},
      // quotes in the program's path are dropped, not left open
      {{"/odd\"dir/zwillo", "-run"}, "\"/odddir/zwillo\" -run"},
      // the first argument as a result list file
      {{"zwillo", "/lists/old.zwr", "-showlog"}, "\"zwillo\" \"/lists/old.zwr\" -showlog"},
      {{"zwillo"}, "\"zwillo\""},
      // a quote anywhere else is refused: a quoted text cannot hold one
      {{"zwillo", "-addfolder", "\"d\" -run -checkfirst -deletechecked p -addfolder \"d\""},
       "refused"},
      {{"zwillo", "-addfolder", "/data\" -deletechecked p -lang \""}, "refused"},
      {{"zwillo", "-addfolder", "\"/a\"b\""}, "refused"},
      {{"zwillo", "-createcatfile", "r=/x\" -deletechecked p -lang \"", "c.zwc"}, "refused"},
      {{"zwillo", "-run\""}, "refused"},
  };
  for (const RebuildCase& c : cases) EXPECT_EQ(Rebuilt(c.argv), c.expected) << c.argv.back();
}

TEST(RebuildCommandLine, NamesTheRefusedArgument) {
  std::string refused;
  EXPECT_EQ(Rebuilt({"zwillo", "-addfolder", "/ok", "-addmask", "a\"b"}, &refused), "refused");
  EXPECT_EQ(refused, "a\"b");
}

TEST(RebuildCommandLine, RebuiltLinesParseAsTheUserMeantThem) {
  {
    FakeScriptEnvironment env;
    TZWCommandLine script;
    ASSERT_TRUE(ParseCommandLine(script, Rebuilt({"zwillo", "-addfolder", "/data", "l", "-run"}),
                                 env, TCommandIntro::DashOnly));
    ASSERT_EQ(script.Count(), 2u);
    auto* add = At<TZWScrCmd_AddFolder>(script, 0);
    EXPECT_EQ(add->path, "/data");
    EXPECT_EQ(add->list, TFolderList::Library);
    EXPECT_NE(At<TZWScrCmd_Run>(script, 1), nullptr);
  }
  {
    FakeScriptEnvironment env;
    TZWCommandLine script;
    ASSERT_TRUE(ParseCommandLine(script, Rebuilt({"zwillo", "-addfolder", "\"/my data\"", "-run"}),
                                 env, TCommandIntro::DashOnly));
    EXPECT_EQ(At<TZWScrCmd_AddFolder>(script, 0)->path, "/my data");
  }
  {
    FakeScriptEnvironment env;
    TZWCommandLine script;
    ASSERT_TRUE(ParseCommandLine(
        script,
        Rebuilt({"/usr/bin/zwillo", "-AddMask", "Exclude", "*.TMP", "-onerror", "showlog",
                 "-addfolder", "/Pics -2019/", "-run", "-checkbycriteria", "size=1", "2"}),
        env, TCommandIntro::DashOnly));
    ASSERT_EQ(script.Count(), 4u);
    auto* mask = At<TZWScrCmd_AddMask>(script, 0);
    EXPECT_EQ(mask->list, TMaskListKind::Exclude);
    EXPECT_EQ(mask->mask, "*.TMP");
    EXPECT_EQ(At<TZWScrCmd_AddFolder>(script, 1)->path, "/Pics -2019/");
    auto* criteria = At<TZWScrCmd_CheckByCriteria>(script, 3);
    EXPECT_EQ(criteria->params.sizeLow, "1");
    EXPECT_EQ(criteria->params.sizeHigh, "2");
    ASSERT_NE(script.OnErrorScript(), nullptr);
    EXPECT_EQ(script.OnErrorScript()->Count(), 1u);
  }
}

}  // namespace
