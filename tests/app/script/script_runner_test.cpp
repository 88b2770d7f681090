#include "app/script/script_runner.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/script/fake_script_environment.h"
#include "support/temp_tree.h"
#include "app/text_ids.h"

using namespace zw;
using zwtest::FakeScriptEnvironment;
using TOutcome = TZWScriptRunner::TOutcome;

namespace {

class RunnerTest : public ::testing::Test {
 protected:
  FakeScriptEnvironment env;
  TZWScriptRunner runner{env, TCommandIntro::DashOnly};
};

TEST_F(RunnerTest, ScriptWaitsForTheScanAndShowsTheLogOnlyAfterIt) {
  zwtest::TempTree tree;
  std::string dir = tree.Dir("data");
  ASSERT_TRUE(runner.RunCommandLine("zwillo -addfolder \"" + dir + "\" -run -showlog -close"));
  EXPECT_EQ(env.calls, (std::vector<std::string>{"AddFolder 0 " + dir + " 1", "Run"}));
  EXPECT_TRUE(runner.IsRunning());
  EXPECT_EQ(runner.Outcome(), TOutcome::Waiting);

  runner.Resume();  // end of the scan
  EXPECT_EQ(env.calls, (std::vector<std::string>{"AddFolder 0 " + dir + " 1", "Run", "ShowLog",
                                                 "Close"}));
  EXPECT_FALSE(runner.IsRunning());
  EXPECT_EQ(runner.Outcome(), TOutcome::Completed);
}

TEST_F(RunnerTest, CloseEndsTheScriptAsCompleted) {
  ASSERT_TRUE(runner.RunCommandLine("zwillo -showlog -close -deletechecked p -showlog"));
  EXPECT_EQ(env.calls, (std::vector<std::string>{"ShowLog", "Close"}));
  EXPECT_FALSE(runner.IsRunning());
  EXPECT_EQ(runner.Outcome(), TOutcome::Completed);
  // Closing in the on-error commands does not make a failure a success.
  env.runStarts = false;
  ASSERT_TRUE(runner.RunCommandLine("zwillo -onerror close -run -showlog"));
  EXPECT_EQ(env.calls.back(), "Close");
  EXPECT_EQ(runner.Outcome(), TOutcome::Failed);
}

TEST_F(RunnerTest, TwoScansInOneScript) {
  ASSERT_TRUE(runner.RunCommandLine("zwillo -setcompare s -run -setcompare n -run -showlog"));
  EXPECT_EQ(env.calls.back(), "Run");
  runner.Resume();
  EXPECT_EQ(env.calls.back(), "Run");
  EXPECT_TRUE(env.model.compare.On(zw::ccFilename));
  EXPECT_TRUE(runner.IsRunning());
  runner.Resume();
  EXPECT_EQ(env.calls.back(), "ShowLog");
  EXPECT_EQ(runner.Outcome(), TOutcome::Completed);
}

TEST_F(RunnerTest, ResumeWithoutAWaitingScriptDoesNothing) {
  runner.Resume();
  EXPECT_EQ(runner.Outcome(), TOutcome::Idle);
  ASSERT_TRUE(runner.RunCommandLine("zwillo -showlog"));
  EXPECT_EQ(runner.Outcome(), TOutcome::Completed);
  runner.Resume();
  EXPECT_EQ(env.calls, (std::vector<std::string>{"ShowLog"}));
}

TEST_F(RunnerTest, UnknownCommandRunsNothingNotEvenCommandsBeforeIt) {
  EXPECT_FALSE(runner.RunCommandLine("zwillo -showlog -run -foo"));
  EXPECT_TRUE(env.calls.empty());
  EXPECT_EQ(env.messenger.With(msgParseUnknownCommandC).size(), 1u);
  EXPECT_EQ(env.messenger.With(msgParseUnknownCommandC)[0].Str(0), "foo");
  EXPECT_FALSE(runner.IsRunning());
  EXPECT_EQ(runner.Outcome(), TOutcome::Failed);
  EXPECT_TRUE(runner.MainScript().Empty());
}

TEST_F(RunnerTest, ParseFailureRunsOnlyTheOnErrorCommands) {
  EXPECT_FALSE(runner.RunCommandLine("zwillo -onerror savelog \"err.log\" -showlog -addfolder"));
  EXPECT_EQ(env.calls, (std::vector<std::string>{"SaveLog err.log append"}));
  EXPECT_EQ(runner.Outcome(), TOutcome::Failed);
}

TEST_F(RunnerTest, OnErrorScanAtParseTimeIsResumedByTheMainScript) {
  EXPECT_FALSE(runner.RunCommandLine("zwillo -onerror run -onerror showlog -bogus"));
  EXPECT_EQ(env.calls, (std::vector<std::string>{"Run"}));
  EXPECT_TRUE(runner.IsRunning());
  runner.Resume();
  EXPECT_EQ(env.calls, (std::vector<std::string>{"Run", "ShowLog"}));
  EXPECT_FALSE(runner.IsRunning());
  EXPECT_EQ(runner.Outcome(), TOutcome::Failed);
}

TEST_F(RunnerTest, OnErrorCommandsAtParseTimeRunInAutomaticMode) {
  bool automatic = false;
  env.onRun = [&] { automatic = IsAutomaticMode(emDefault, runner.IsRunning()); };
  env.runStarts = false;
  EXPECT_FALSE(runner.RunCommandLine("zwillo -onerror run -bogus"));
  EXPECT_TRUE(automatic);
  EXPECT_FALSE(runner.IsRunning());
}

TEST_F(RunnerTest, FailedCommandStopsTheScriptAndRunsTheOnErrorCommands) {
  env.runStarts = false;
  ASSERT_TRUE(runner.RunCommandLine("zwillo -onerror showlog -run -close"));
  auto failed = env.messenger.With(msgScriptExecutionFailed);
  ASSERT_EQ(failed.size(), 1u);
  EXPECT_EQ(failed[0].Str(0), "Run");
  EXPECT_EQ(env.calls, (std::vector<std::string>{"Run", "ShowLog"}));
  EXPECT_EQ(runner.Outcome(), TOutcome::Failed);
  EXPECT_FALSE(runner.IsRunning());
}

TEST_F(RunnerTest, FailedAddmaskNamesItsCommand) {
  env.addMaskResult = false;
  ASSERT_TRUE(runner.RunCommandLine("zwillo -addmask \"[x\" -run"));
  ASSERT_EQ(env.messenger.With(msgScriptExecutionFailed).size(), 1u);
  EXPECT_EQ(env.messenger.With(msgScriptExecutionFailed)[0].Str(0), "AddMask");
  EXPECT_EQ(env.calls, (std::vector<std::string>{"AddMask 0 [x 1"}));
}

TEST_F(RunnerTest, AbortWhileWaitingDropsTheRestOfTheScript) {
  ASSERT_TRUE(runner.RunCommandLine("zwillo -run -onerror close -showlog"));
  ASSERT_TRUE(runner.IsRunning());
  runner.Abort();  // Cancel
  EXPECT_FALSE(runner.IsRunning());
  runner.Resume();  // the end-of-scan step still comes
  EXPECT_EQ(env.calls, (std::vector<std::string>{"Run"}));
  EXPECT_EQ(runner.Outcome(), TOutcome::Aborted);
  EXPECT_TRUE(runner.MainScript().Empty());
}

TEST_F(RunnerTest, AbortWhenNothingRunsIsHarmless) {
  ASSERT_TRUE(runner.RunCommandLine("zwillo -showlog"));
  runner.Abort();
  EXPECT_EQ(runner.Outcome(), TOutcome::Completed);
}

TEST_F(RunnerTest, AbortWhileTheScanStartsStopsTheScript) {
  env.onRun = [&] { runner.Abort(); };
  ASSERT_TRUE(runner.RunCommandLine("zwillo -run -showlog"));
  EXPECT_EQ(env.calls, (std::vector<std::string>{"Run"}));
  EXPECT_FALSE(runner.IsRunning());
  EXPECT_EQ(runner.Outcome(), TOutcome::Aborted);
  EXPECT_TRUE(env.messenger.With(msgScriptExecutionFailed).empty());
}

TEST_F(RunnerTest, ScanEndingInsideRunLetsTheScriptGoOn) {
  env.onRun = [&] { runner.Resume(); };
  ASSERT_TRUE(runner.RunCommandLine("zwillo -run -showlog"));
  EXPECT_EQ(env.calls, (std::vector<std::string>{"Run", "ShowLog"}));
  EXPECT_EQ(runner.Outcome(), TOutcome::Completed);
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
}

TEST_F(RunnerTest, WindowsCommandLineTakesSlashCommands) {
  TZWScriptRunner windows(env, TCommandIntro::DashOrSlash);
  ASSERT_TRUE(windows.RunCommandLine("C:\\zw\\zwillo.exe /showlog -close"));
  EXPECT_EQ(env.calls, (std::vector<std::string>{"ShowLog", "Close"}));
}

}  // namespace
