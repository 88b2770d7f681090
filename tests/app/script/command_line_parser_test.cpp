#include "app/script/command_line_parser.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/script/fake_script_environment.h"
#include "app/text_ids.h"
#include "support/temp_tree.h"

using namespace zw;
using zwtest::FakeScriptEnvironment;
using zwtest::Trace;

namespace {

constexpr TCommandIntro kWin = TCommandIntro::DashOrSlash;
constexpr TCommandIntro kPosix = TCommandIntro::DashOnly;

// A command line and what comes of it: the calls of its script run to the
// end, then after " | " the messages. Nothing runs unless the whole line
// parses, except on-error commands parsed before the failure.
struct LineCase {
  const char* line;
  const char* trace;
  TCommandIntro intro = kPosix;
  const char* refuse = "";  // the calls that fail
};

const LineCase kLines[] = {
    // Windows: everything before the first command is ignored; "-" and "/"
    // start commands, but not inside quotes
    {"\"C:\\Program Files\\Zwillo\\zwillo.exe\" -run", "Run", kWin},
    {"zwillo.exe \"d:\\lists\\old.zwr\" -showlog", "ShowLog", kWin},
    {"zwillo.exe plain words only", "", kWin},
    {"zwillo.exe plain words -run", "Run", kWin},
    {"zwillo.exe /addfolder \"c:\\x\" -run /showlog", "AddFolder f r c:\\x; Run; ShowLog", kWin},
    {"zwillo.exe -addfolder \"c:\\a -b /c\" -run", "AddFolder f r c:\\a -b /c; Run", kWin},
    // POSIX: only "-" ("/showlog" is a token of run, which takes none)
    {"zwillo -run /showlog", " | msgParseError run /showlog"},
    {"zwillo -addfolder l-r \"/x\"", "AddFolder l r /x"},
    {"zwillo   -addfolder    l    \"/x\"    -run   ", "AddFolder l r /x; Run"},
    // keywords and options in any case, quoted texts keep theirs; messages
    // show the command lower-cased outside quotes
    {"ZWILLO.EXE -AddFolder LIBRARY Single \"D:\\Photos\\Holiday\" -RUN",
     "AddFolder l s D:\\Photos\\Holiday; Run", kWin},
    {"zwillo.exe -AddFolder Zzz \"C:\\X\"", " | msgParseError addfolder zzz \"C:\\X\"", kWin},
    // a quote without its end: nothing is parsed, no on-error command runs
    {"zwillo.exe -run -addfolder \"c:\\x -showlog", " | msgParseMissingQuoteC", kWin},
    {"zwillo.exe -onerror showlog -addfolder \"c:\\x", " | msgParseMissingQuoteC", kWin},
    {"\"zwillo.exe -run", " | msgParseMissingQuoteC", kWin},
    // unknown commands (also those not built yet) name their first word
    {"zwillo.exe -run -foo bar \"x\" -showlog", " | msgParseUnknownCommandC foo", kWin},
    {"zwillo -runx", " | msgParseUnknownCommandC runx"},
    {"zwillo.exe - -run", " | msgParseUnknownCommandC ", kWin},
    {"zwillo -uninstall now", " | msgParseError uninstall now"},
    {"zwillo -onerrorrun", " | msgParseUnknownCommandC onerrorrun"},
    // the language choice is no command of the script
    {"zwillo.exe -lang \"de\" -run -language x", "Run", kWin},
    // A quoted text ends at the next quote: a quote inside one could only
    // have ended it early. A quote must begin a word (or follow "=") and end
    // one, else nothing of the line is parsed.
    {"zwillo.exe -addfolder \"c:\\a\\\" -deletechecked p -lang \\\"\"",
     " | msgParseError lang \\\"\"", kWin},
    {"zwillo.exe -onerror showlog -addmask \"a\"b\"\" -run", " | msgParseError addmask \"a\"b\"\"",
     kWin},
    {"zwillo.exe -addfolder\"c:\\x\"", " | msgParseError addfolder\"c:\\x\"", kWin},
    {"\"zw\"x.exe -run", " | msgParseError \"zw\"x.exe", kWin},
    {"zwillo -checkbycriteria filename=\"a\"b\"\" -run",
     " | msgParseError checkbycriteria filename=\"a\"b\"\""},
    // ... while the forms people type stay as they were
    {"\"C:\\Program Files\\zw\\zwillo.exe\" -addfolder \"c:\\my data\\\" -run",
     "AddFolder f r c:\\my data\\; Run", kWin},
    {"zwillo -createcatfile r=\"/base dir\" \"c.zwc\"", "CreateCatfile a r=/base dir c.zwc"},
    {"zwillo -checkbycriteria size=\"1\" \"2\" date=\"2001-01-01\" \"2002-01-01\"",
     "CheckByCriteria 1 a size=1..2 date=2001-01-01..2002-01-01"},
    // A command takes one quoted text: a second one is refused rather than
    // taking the place of the first. An empty text is none.
    {"zwillo -movechecked \"/dest\" p \"/showlog\"",
     " | msgParseError movechecked \"/dest\" p \"/showlog\""},
    {"zwillo -addfolder \"/a\" \"/b\"", " | msgParseError addfolder \"/a\" \"/b\""},
    {"zwillo -addmask \"*.a\" \"*.b\"", " | msgParseError addmask \"*.a\" \"*.b\""},
    {"zwillo -logfile \"a\" \"b\"", " | msgParseError logfile \"a\" \"b\""},
    {"zwillo -savelog \"a\" \"b\"", " | msgParseError savelog \"a\" \"b\""},
    {"zwillo -importresults \"a\" \"b\"", " | msgParseError importresults \"a\" \"b\""},
    {"zwillo -exportresults \"a\" \"b\"", " | msgParseError exportresults \"a\" \"b\""},
    {"zwillo -createcatfile \"a\" \"b\"", " | msgParseError createcatfile \"a\" \"b\""},
    {"zwillo -addmask \"*.jpg\" \"\"", "AddMask l 1 *.jpg"},
    {"zwillo -addfolder \"\"", " | msgParseMissingParam addfolder \"\""},
    // commands without a text of their own ignore one
    {"zwillo -deletechecked p \"/x\"", "Action d 2"},
    {"zwillo -run \"anything\"", "Run"},
    // checkbycriteria takes a second text only right after size= or date=
    {"zwillo -checkbycriteria size=\"1\" \"2\" \"3\"",
     " | msgParseError checkbycriteria size=\"1\" \"2\" \"3\""},
    {"zwillo -checkbycriteria size=\"1\" y \"2\"",
     " | msgParseError checkbycriteria size=\"1\" y \"2\""},
    {"zwillo -checkbycriteria filename=\"*.x\" \"2\"",
     " | msgParseError checkbycriteria filename=\"*.x\" \"2\""},
    // a name="value" token is one, blanks and all
    {"zwillo -addfolder x=\"a b\" \"/p\"", "AddFolder f x /p"},
    // POSIX: a word before the first command is no command, and silently
    // dropping it would run what is left (or nothing) as if all were well
    {"\"zwillo\" \"/execmode\" p \"/addfolder\" \"/data\" \"/run\"",
     " | msgParseUnknownCommandC /execmode"},
    {"\"zwillo\" stray -run", " | msgParseUnknownCommandC stray"},
    {"\"zwillo\" \"/lists/absent.zwr\" -run", " | msgParseUnknownCommandC /lists/absent.zwr"},
    // a bad token before the parameter, a missing parameter before a bad token
    {"zwillo -addfolder zzz \"/x\"", " | msgParseError addfolder zzz \"/x\""},
    {"zwillo -addfolder zzz", " | msgParseMissingParam addfolder zzz"},
    // on-error commands run only when the script fails, or at once when
    // parsing fails after them
    {"zwillo -onerror showlog -run -OnError savelog \"e.log\"", "Run"},
    {"zwillo -onerror showlog -run -OnError savelog \"e.log\"",
     "Run; ShowLog; SaveLog a e.log | msgScriptExecutionFailed Run", kPosix, "Run"},
    {"zwillo -onerror addfolder l", " | msgParseMissingParam addfolder l"},
    {"zwillo -onerror bogus", " | msgParseUnknownCommandC bogus"},
    {"zwillo -onerror showlog -run -onerror close -addfolder -close",
     "ShowLog; Close | msgParseMissingParam addfolder"},
    {"zwillo -onerror showlog -onerror foo", "ShowLog | msgParseUnknownCommandC foo"},
};

TEST(ParseCommandLine, LinesAndWhatComesOfThem) {
  for (const LineCase& c : kLines) {
    FakeScriptEnvironment env;
    env.refuse = c.refuse;
    EXPECT_EQ(Trace(env, c.line, c.intro), c.trace) << c.line;
  }
}

TEST(ParseCommandLine, RefusedCommandsShowTheirText) {
  for (const char* command :
       {"execmode", "execmode z", "execmode \"p\"", "logfile o", "page", "page 0", "page x",
        "addfolder", "addfolder l r", "addmask x", "savelog a", "sortby a", "groupby x",
        "movechecked p", "exportresults t", "createcatfile f d", "checkbycriteria s y"})
    EXPECT_EQ(Trace(std::string("zwillo -") + command),
              std::string(" | msgParseMissingParam ") + command);
  for (const char* command :
       {"setcompare x", "clearfolders x", "clearmasks f", "scanarchives 2", "scanarchives on",
        "addmask s \"*.x\"", "showlog yes", "checkall x", "nosavereg a", "dontsavereg 1",
        "run x", "close 1", "checkbycriteria filename=*.bak size=\"1\" \"2\"",
        "createcatfile r=/base \"x.zwc\"", "createcatfile r= \"x.zwc\"",
        "createcatfile q \"x.zwc\""})
    EXPECT_EQ(Trace(std::string("zwillo -") + command), std::string(" | msgParseError ") + command);
  // One command parsed alone: a quote without its end runs to the end.
  FakeScriptEnvironment env;
  TZWCommandLine script;
  EXPECT_FALSE(ParseCommand(script, "addfolder \"c:\\x", env));
  EXPECT_EQ(env.Said(), " | msgParseMissingParam addfolder \"c:\\x");
}

TEST(ParseCommandLine, AResultListFileMayBeTheFirstWordOnPosix) {
  zwtest::TempTree tree;
  const std::string list = tree.File("old.zwr", "ZWReLi");
  EXPECT_EQ(Trace("\"zwillo\" \"" + list + "\" -showlog"), "ShowLog");
  EXPECT_EQ(Trace("\"zwillo\" x \"" + list + "\" -showlog"), " | msgParseUnknownCommandC x");
}

TEST(ParseCommandLine, OnErrorScriptsNestAsDeepAsTheLimitAndNoDeeper) {
  for (const int onerrors : {1, kMaxOnErrorNesting, kMaxOnErrorNesting + 1, 100000}) {
    const bool parses = onerrors <= kMaxOnErrorNesting;
    FakeScriptEnvironment env;
    TZWCommandLine script;
    std::string line = "zwillo -";
    for (int i = 0; i < onerrors; ++i) line += "onerror ";
    EXPECT_EQ(ParseCommandLine(script, line + "showlog", env, kPosix), parses) << onerrors;
    if (!parses) {
      EXPECT_EQ(env.messenger.With(msgParseError).size(), 1u) << onerrors;
      EXPECT_TRUE(env.calls.empty());
      continue;
    }
    const TZWScrParent* level = &script;
    for (int i = 0; i < onerrors && level; ++i) level = level->OnErrorScript();
    ASSERT_TRUE(level && level->Head());
    EXPECT_EQ(dynamic_cast<TZWScrCommand*>(level->Head())->GetName(), "ShowLog");
  }
}

TEST(LowerOutsideQuotes, LowersOnlyLettersOutsideQuotes) {
  EXPECT_EQ(LowerOutsideQuotes("AbC \"DeF\" GH\"I"), "abc \"DeF\" gh\"I");
  EXPECT_EQ(LowerOutsideQuotes("\xC4Z"), "\xC4z");
}

// --- the POSIX command line rebuilt from argv ---

std::string Rebuilt(std::vector<const char*> argv, std::string* refused = nullptr) {
  std::string line, bad;
  const bool ok = RebuildCommandLine(static_cast<int>(argv.size()), argv.data(), line, bad);
  if (refused) *refused = bad;
  return ok ? line : "refused";
}

TEST(RebuildCommandLine, FollowsTheQuotingRules) {
  const std::pair<std::vector<const char*>, const char*> cases[] = {
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
      // name="value" keeps its quotes; without them (the shell took them) it gets them again
      {{"zwillo", "-createcatfile", "r=\"/base dir\"", "c.zwc"},
       "\"zwillo\" -createcatfile r=\"/base dir\" \"c.zwc\""},
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
      // a relative folder is quoted when it holds more than letters and digits
      {{"zwillo", "-addfolder", "./data"}, "\"zwillo\" -addfolder \"./data\""},
      {{"zwillo", "-addfolder", ""}, "\"zwillo\" -addfolder \"\""},
      // a path holding " -" stays in one piece
      {{"zwillo", "-addfolder", "/a -b"}, "\"zwillo\" -addfolder \"/a -b\""},
      // quotes in the program's path are dropped, not left open
      {{"/odd\"dir/zwillo", "-run"}, "\"/odddir/zwillo\" -run"},
      // the first argument as a result list file
      {{"zwillo", "/lists/old.zwr", "-showlog"}, "\"zwillo\" \"/lists/old.zwr\" -showlog"},
      {{"zwillo"}, "\"zwillo\""},
      // the language code after -lang is quoted, as the language choice reads it
      {{"zwillo", "-lang", "de", "-run"}, "\"zwillo\" -lang \"de\" -run"},
      {{"zwillo", "-LANG", "\"de\""}, "\"zwillo\" -LANG \"de\""},
      {{"zwillo", "-language", "de"}, "\"zwillo\" -language de"},
      // a quote anywhere else is refused: a quoted text cannot hold one
      {{"zwillo", "-addfolder", "\"d\" -run -checkfirst -deletechecked p -addfolder \"d\""},
       "refused"},
      {{"zwillo", "-addfolder", "/data\" -deletechecked p -lang \""}, "refused"},
      {{"zwillo", "-addfolder", "\"/a\"b\""}, "refused"},
      {{"zwillo", "-createcatfile", "r=/x\" -deletechecked p -lang \"", "c.zwc"}, "refused"},
      {{"zwillo", "-run\""}, "refused"},
  };
  for (const auto& [argv, expected] : cases) EXPECT_EQ(Rebuilt(argv), expected) << argv.back();
  std::string refused;
  EXPECT_EQ(Rebuilt({"zwillo", "-addfolder", "/ok", "-addmask", "a\"b"}, &refused), "refused");
  EXPECT_EQ(refused, "a\"b");
}

TEST(RebuildCommandLine, RebuiltLinesParseAsTheUserMeantThem) {
  EXPECT_EQ(Trace(Rebuilt({"zwillo", "-addfolder", "/data", "l", "-run"})),
            "AddFolder l r /data; Run");
  EXPECT_EQ(Trace(Rebuilt({"zwillo", "-addfolder", "\"/my data\"", "-run"})),
            "AddFolder f r /my data; Run");
  EXPECT_EQ(Trace(Rebuilt({"/usr/bin/zwillo", "-AddMask", "Exclude", "*.TMP", "-onerror",
                           "showlog", "-addfolder", "/Pics -2019/", "-run", "-checkbycriteria",
                           "size=1", "2"})),
            "AddMask x 1 *.TMP; AddFolder f r /Pics -2019/; Run; CheckByCriteria 1 a size=1..2");
}

}  // namespace
