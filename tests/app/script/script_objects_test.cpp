#include "app/script/script_objects.h"

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/script/fake_script_environment.h"
#include "app/text_ids.h"

using namespace zw;
using zwtest::FakeScriptEnvironment;

namespace {

// A command that returns the results it is given, one per execution, and
// writes its name into a shared trace each time it runs.
class StubCommand : public TZWScrCommand {
 public:
  StubCommand(std::string name, std::vector<std::string>& trace, std::deque<TScrResult> results,
               int* destroyed = nullptr)
      : name_(std::move(name)), trace_(trace), results_(std::move(results)), destroyed_(destroyed) {}
  ~StubCommand() override {
    if (destroyed_) ++*destroyed_;
  }
  TScrResult Execute(IScriptEnvironment& env) override {
    trace_.push_back(name_);
    if (during) during();
    if (results_.empty()) return srDone;
    TScrResult r = results_.front();
    results_.pop_front();
    return r;
  }
  std::string GetName() const override { return name_; }

  std::function<void()> during;

 private:
  std::string name_;
  std::vector<std::string>& trace_;
  std::deque<TScrResult> results_;
  int* destroyed_;
};

class ScriptObjectsTest : public ::testing::Test {
 protected:
  StubCommand* Add(TZWScrParent& parent, const std::string& name,
                   std::deque<TScrResult> results = {}) {
    auto command = std::make_unique<StubCommand>(name, trace, std::move(results), &destroyed);
    StubCommand* raw = command.get();
    parent.Append(std::move(command));
    return raw;
  }

  FakeScriptEnvironment env;
  std::vector<std::string> trace;
  int destroyed = 0;
  TZWCommandLine script;
};

TEST_F(ScriptObjectsTest, EmptyScriptIsDone) {
  EXPECT_EQ(script.Execute(env), srDone);
  EXPECT_FALSE(script.Running());
}

TEST_F(ScriptObjectsTest, DoneCommandsRunInOrderAndAreFreed) {
  Add(script, "a");
  Add(script, "b");
  Add(script, "c");
  EXPECT_EQ(script.Execute(env), srDone);
  EXPECT_EQ(trace, (std::vector<std::string>{"a", "b", "c"}));
  EXPECT_TRUE(script.Empty());
  EXPECT_EQ(destroyed, 3);
  EXPECT_FALSE(script.Running());
  EXPECT_TRUE(env.messenger.Messages().empty());
}

TEST_F(ScriptObjectsTest, FailedCommandShowsItsNameAndLeavesTheRestUnexecuted) {
  Add(script, "a");
  Add(script, "Broken", {srFailed});
  Add(script, "c");
  EXPECT_EQ(script.Execute(env), srFailed);
  EXPECT_EQ(trace, (std::vector<std::string>{"a", "Broken"}));
  auto msgs = env.messenger.With(msgScriptExecutionFailed);
  ASSERT_EQ(msgs.size(), 1u);
  EXPECT_EQ(msgs[0].Str(0), "Broken");
  EXPECT_EQ(script.Count(), 1u);  // "c" stays, unexecuted
  EXPECT_EQ(destroyed, 2);
  EXPECT_FALSE(script.Running());
}

TEST_F(ScriptObjectsTest, FailureRunsTheOnErrorScript) {
  Add(script, "Broken", {srFailed});
  Add(script, "never");
  Add(script.MakeOnErrorScript(), "cleanup1");
  Add(script.MakeOnErrorScript(), "cleanup2");
  EXPECT_EQ(script.Execute(env), srFailed);
  EXPECT_EQ(trace, (std::vector<std::string>{"Broken", "cleanup1", "cleanup2"}));
  EXPECT_EQ(script.OnErrorScript(), nullptr);  // used up
}

TEST_F(ScriptObjectsTest, OnErrorScriptDoesNotRunWithoutFailure) {
  Add(script, "a");
  Add(script.MakeOnErrorScript(), "cleanup");
  EXPECT_EQ(script.Execute(env), srDone);
  EXPECT_EQ(trace, (std::vector<std::string>{"a"}));
}

TEST_F(ScriptObjectsTest, DoneAndWaitStopsUntilResumed) {
  Add(script, "run", {srDoneWait});
  Add(script, "showlog");
  EXPECT_EQ(script.Execute(env), srAgainWait);
  EXPECT_TRUE(script.Running());
  EXPECT_EQ(trace, (std::vector<std::string>{"run"}));
  EXPECT_EQ(destroyed, 1);  // run is through
  EXPECT_EQ(script.Execute(env), srDone);
  EXPECT_EQ(trace, (std::vector<std::string>{"run", "showlog"}));
  EXPECT_FALSE(script.Running());
}

TEST_F(ScriptObjectsTest, WaitAsLastCommandStillWaitsForTheScan) {
  Add(script, "run", {srDoneWait});
  EXPECT_EQ(script.Execute(env), srAgainWait);
  EXPECT_TRUE(script.Running());
  EXPECT_EQ(script.Execute(env), srDone);
  EXPECT_FALSE(script.Running());
}

TEST_F(ScriptObjectsTest, NotDoneYetRunsTheSameCommandAgainOnResume) {
  Add(script, "busy", {srAgainWait, srAgainWait, srDone});
  Add(script, "after");
  EXPECT_EQ(script.Execute(env), srAgainWait);
  EXPECT_EQ(script.Execute(env), srAgainWait);
  EXPECT_EQ(destroyed, 0);
  EXPECT_EQ(script.Execute(env), srDone);
  EXPECT_EQ(trace, (std::vector<std::string>{"busy", "busy", "busy", "after"}));
}

TEST_F(ScriptObjectsTest, NestedScriptWaitsInsideItsParent) {
  auto child = std::make_unique<TZWCommandLine>();
  Add(*child, "add");
  Add(*child, "run", {srDoneWait});
  Add(*child, "showlog");
  script.Append(std::move(child));
  Add(script, "after");
  EXPECT_EQ(script.Execute(env), srAgainWait);
  EXPECT_EQ(script.Count(), 2u);  // the child went back to the head
  EXPECT_EQ(script.Execute(env), srDone);
  EXPECT_EQ(trace, (std::vector<std::string>{"add", "run", "showlog", "after"}));
}

TEST_F(ScriptObjectsTest, FailedChildScriptIsNotReportedAgainByItsParent) {
  auto child = std::make_unique<TZWCommandLine>();
  Add(*child, "Broken", {srFailed});
  script.Append(std::move(child));
  Add(script, "after");
  EXPECT_EQ(script.Execute(env), srFailed);
  EXPECT_EQ(env.messenger.With(msgScriptExecutionFailed).size(), 1u);
  EXPECT_EQ(trace, (std::vector<std::string>{"Broken"}));
}

TEST_F(ScriptObjectsTest, OnErrorScriptThatStartsAScanIsResumedAndTheScriptStillFails) {
  Add(script, "Broken", {srFailed});
  Add(script, "never");
  Add(script.MakeOnErrorScript(), "run", {srDoneWait});
  Add(script.MakeOnErrorScript(), "showlog");
  EXPECT_EQ(script.Execute(env), srAgainWait);
  EXPECT_TRUE(script.Running());
  EXPECT_EQ(trace, (std::vector<std::string>{"Broken", "run"}));
  EXPECT_EQ(script.Execute(env), srFailed);
  EXPECT_FALSE(script.Running());
  EXPECT_EQ(trace, (std::vector<std::string>{"Broken", "run", "showlog"}));
}

TEST_F(ScriptObjectsTest, EndOfScriptDropsTheRestAndTheOnErrorScriptsOfEveryParent) {
  auto child = std::make_unique<TZWCommandLine>();
  Add(*child, "close", {srEndScript});
  Add(*child, "never1");
  Add(child->MakeOnErrorScript(), "cleanup1");
  script.Append(std::move(child));
  Add(script, "never2");
  Add(script.MakeOnErrorScript(), "cleanup2");
  EXPECT_EQ(script.Execute(env), srEndScript);
  EXPECT_EQ(trace, (std::vector<std::string>{"close"}));
  EXPECT_TRUE(script.Empty());
  EXPECT_EQ(script.OnErrorScript(), nullptr);
  EXPECT_FALSE(script.Running());
  EXPECT_TRUE(env.messenger.Messages().empty());
}

TEST_F(ScriptObjectsTest, AbortWhileWaitingDropsEverything) {
  Add(script, "run", {srDoneWait});
  Add(script, "showlog");
  Add(script.MakeOnErrorScript(), "cleanup");
  ASSERT_EQ(script.Execute(env), srAgainWait);
  script.Abort();
  EXPECT_FALSE(script.Running());
  EXPECT_TRUE(script.Empty());
  EXPECT_EQ(script.OnErrorScript(), nullptr);
  EXPECT_EQ(destroyed, 3);
  EXPECT_EQ(script.Execute(env), srDone);  // nothing left
  EXPECT_EQ(trace, (std::vector<std::string>{"run"}));
}

TEST_F(ScriptObjectsTest, AbortDuringACommandStopsWithoutFailureMessage) {
  auto child = std::make_unique<TZWCommandLine>();
  StubCommand* slow = Add(*child, "slow", {srDone});
  Add(*child, "never1");
  Add(child->MakeOnErrorScript(), "cleanup");
  script.Append(std::move(child));
  Add(script, "never2");
  slow->during = [&] { script.Abort(); };
  EXPECT_EQ(script.Execute(env), srFailed);
  EXPECT_FALSE(script.Running());
  EXPECT_TRUE(script.Empty());
  EXPECT_EQ(trace, (std::vector<std::string>{"slow"}));
  EXPECT_TRUE(env.messenger.Messages().empty());
}

TEST_F(ScriptObjectsTest, ScanEndingBeforeRunReturnsContinuesAtOnce) {
  StubCommand* run = Add(script, "run", {srDoneWait});
  Add(script, "showlog");
  // The end-of-scan step calls Execute while run is still executing.
  run->during = [&] { EXPECT_EQ(script.Execute(env), srAgainWait); };
  EXPECT_EQ(script.Execute(env), srDone);
  EXPECT_EQ(trace, (std::vector<std::string>{"run", "showlog"}));
  EXPECT_FALSE(script.Running());
}

TEST_F(ScriptObjectsTest, ScanEndingEarlyInsideANestedScriptContinuesAtOnce) {
  auto child = std::make_unique<TZWCommandLine>();
  StubCommand* run = Add(*child, "run", {srDoneWait});
  Add(*child, "showlog");
  script.Append(std::move(child));
  run->during = [&] { script.Execute(env); };
  EXPECT_EQ(script.Execute(env), srDone);
  EXPECT_EQ(trace, (std::vector<std::string>{"run", "showlog"}));
}

TEST_F(ScriptObjectsTest, AppendWaitingMarksTheListAsWaiting) {
  auto waiting = std::make_unique<TZWCommandLine>();
  Add(*waiting, "later");
  script.AppendWaiting(std::move(waiting));
  EXPECT_TRUE(script.Running());
  EXPECT_EQ(script.Execute(env), srDone);
  EXPECT_EQ(trace, (std::vector<std::string>{"later"}));
}

TEST_F(ScriptObjectsTest, LongListIsFreedWithoutRecursion) {
  struct Nop : TZWScrObject {
    TScrResult Execute(IScriptEnvironment&) override { return srDone; }
  };
  auto big = std::make_unique<TZWCommandLine>();
  for (int i = 0; i < 1000000; ++i) big->Append(std::make_unique<Nop>());
  EXPECT_EQ(big->Count(), 1000000u);
  big.reset();  // one by one: a recursive free would overflow the stack
}

}  // namespace
