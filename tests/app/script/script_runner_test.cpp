#include "app/script/script_runner.h"

#include <gtest/gtest.h>

#include <string>

#include "app/script/fake_script_environment.h"

using namespace zw;
using zwtest::FakeScriptEnvironment;
using TOutcome = TZWScriptRunner::TOutcome;

namespace {

constexpr TOutcome kWaiting = TOutcome::Waiting, kCompleted = TOutcome::Completed,
                   kFailed = TOutcome::Failed;

// A command line run, then resumed (as each scan ends) until it no longer
// waits: the calls and messages and the outcome at once and at the end.
struct RunCase {
  const char* line;
  bool parses;
  const char* atOnce;
  TOutcome outcomeAtOnce;
  const char* atEnd;
  TOutcome outcomeAtEnd;
  const char* refuse = "";
  TCommandIntro intro = TCommandIntro::DashOnly;
};

const RunCase kRuns[] = {
    // the log is shown only after the scan
    {"zwillo -addfolder \"/data\" -run -showlog -close", true, "AddFolder f r /data; Run", kWaiting,
     "AddFolder f r /data; Run; ShowLog; Close", kCompleted},
    {"zwillo -setcompare s -run -setcompare n -run -showlog", true, "Model compare=2; Run",
     kWaiting, "Model compare=2; Run; Model compare=1; Run; ShowLog", kCompleted},
    // close ends the script as completed, but does not make a failure a success
    {"zwillo -showlog -close -deletechecked p -showlog", true, "ShowLog; Close", kCompleted,
     "ShowLog; Close", kCompleted},
    {"zwillo -onerror close -run -showlog", true, "Run; Close | msgScriptExecutionFailed Run",
     kFailed, "Run; Close | msgScriptExecutionFailed Run", kFailed, "Run"},
    {"zwillo -onerror showlog -run -close", true, "Run; ShowLog | msgScriptExecutionFailed Run",
     kFailed, "Run; ShowLog | msgScriptExecutionFailed Run", kFailed, "Run"},
    // a parse failure runs nothing, not even the commands before it, but
    // the on-error commands, and a scan they start is resumed
    {"zwillo -showlog -run -foo", false, " | msgParseUnknownCommandC foo", kFailed,
     " | msgParseUnknownCommandC foo", kFailed},
    {"zwillo -onerror savelog \"err.log\" -showlog -addfolder", false,
     "SaveLog a err.log | msgParseMissingParam addfolder", kFailed,
     "SaveLog a err.log | msgParseMissingParam addfolder", kFailed},
    {"zwillo -onerror run -onerror showlog -bogus", false,
     "Run | msgParseUnknownCommandC bogus", kWaiting,
     "Run; ShowLog | msgParseUnknownCommandC bogus", kFailed},
    {"C:\\zw\\zwillo.exe /showlog -close", true, "ShowLog; Close", kCompleted, "ShowLog; Close",
     kCompleted, "", TCommandIntro::DashOrSlash},
};

TEST(ScriptRunner, RunsWaitsForScansAndEnds) {
  for (const RunCase& c : kRuns) {
    SCOPED_TRACE(c.line);
    FakeScriptEnvironment env;
    env.refuse = c.refuse;
    TZWScriptRunner runner(env, c.intro);
    EXPECT_EQ(runner.RunCommandLine(c.line), c.parses);
    EXPECT_EQ(env.Said(), c.atOnce);
    EXPECT_EQ(runner.Outcome(), c.outcomeAtOnce);
    for (int i = 0; i < 10 && runner.IsRunning(); ++i) runner.Resume();
    EXPECT_EQ(env.Said(), c.atEnd);
    EXPECT_EQ(runner.Outcome(), c.outcomeAtEnd);
    EXPECT_FALSE(runner.IsRunning());
    EXPECT_TRUE(runner.MainScript().Empty());
  }
}

class RunnerTest : public ::testing::Test {
 protected:
  FakeScriptEnvironment env;
  TZWScriptRunner runner{env, TCommandIntro::DashOnly};
};

TEST_F(RunnerTest, ResumeOrAbortWithoutAWaitingScriptDoesNothing) {
  runner.Resume();
  EXPECT_EQ(runner.Outcome(), TOutcome::Idle);
  ASSERT_TRUE(runner.RunCommandLine("zwillo -showlog"));
  runner.Resume();
  runner.Abort();
  EXPECT_EQ(env.Said(), "ShowLog");
  EXPECT_EQ(runner.Outcome(), kCompleted);
}

TEST_F(RunnerTest, AbortWhileWaitingDropsTheRestOfTheScript) {
  ASSERT_TRUE(runner.RunCommandLine("zwillo -run -onerror close -showlog"));
  ASSERT_TRUE(runner.IsRunning());
  runner.Abort();  // Cancel
  EXPECT_FALSE(runner.IsRunning());
  runner.Resume();  // the end-of-scan step still comes
  EXPECT_EQ(env.Said(), "Run");
  EXPECT_EQ(runner.Outcome(), TOutcome::Aborted);
  EXPECT_TRUE(runner.MainScript().Empty());
}

TEST_F(RunnerTest, AbortOrEndOfScanWhileTheScanStarts) {
  env.onRun = [&] { runner.Abort(); };
  ASSERT_TRUE(runner.RunCommandLine("zwillo -run -showlog"));
  EXPECT_EQ(env.Said(), "Run");  // no failure message
  EXPECT_FALSE(runner.IsRunning());
  EXPECT_EQ(runner.Outcome(), TOutcome::Aborted);
  env.calls.clear();
  env.onRun = [&] { runner.Resume(); };  // the scan ends inside Run
  ASSERT_TRUE(runner.RunCommandLine("zwillo -run -showlog"));
  EXPECT_EQ(env.Said(), "Run; ShowLog");
  EXPECT_EQ(runner.Outcome(), kCompleted);
}

TEST_F(RunnerTest, RunningScriptMeansAutomaticModeInTheDefaultExecutionMode) {
  bool automaticDuringRun = false;
  bool automaticInteractive = true;
  env.onRun = [&] {
    automaticDuringRun = IsAutomaticMode(emDefault, runner.IsRunning());
    automaticInteractive = IsAutomaticMode(emInteractive, runner.IsRunning());
  };
  EXPECT_FALSE(IsAutomaticMode(emDefault, runner.IsRunning()));
  ASSERT_TRUE(runner.RunCommandLine("zwillo -run"));
  EXPECT_TRUE(automaticDuringRun);
  EXPECT_FALSE(automaticInteractive);
  EXPECT_TRUE(IsAutomaticMode(emDefault, runner.IsRunning()));  // waiting for the scan
  runner.Resume();
  EXPECT_FALSE(IsAutomaticMode(emDefault, runner.IsRunning()));
  EXPECT_TRUE(IsAutomaticMode(emUnattended, runner.IsRunning()));
  // On-error commands run while a failed command line is parsed: automatic too.
  env.refuse = "Run";
  automaticDuringRun = false;
  EXPECT_FALSE(runner.RunCommandLine("zwillo -onerror run -bogus"));
  EXPECT_TRUE(automaticDuringRun);
  EXPECT_FALSE(runner.IsRunning());
}

}  // namespace
