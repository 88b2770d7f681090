#include "app/script/script_objects.h"

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "app/script/fake_script_environment.h"
#include "app/text_ids.h"

using namespace zw;
using zwtest::FakeScriptEnvironment;

namespace {

// The letters of the results: failed, done, done-and-wait, not done yet
// (again-and-wait), end of script.
constexpr char kResults[] = "fdwae";

// A command that returns the results it is given, one per execution (then
// done), and writes its name into a shared trace each time it runs. "A"
// aborts the whole script while the command runs, "R" runs the script again
// meanwhile (a scan that ends before run returns), then returns "w".
class StubCommand : public TZWScrCommand {
 public:
  StubCommand(std::string name, std::string results, std::string& trace, int& destroyed,
              TZWCommandLine& top, IScriptEnvironment& env)
      : name_(std::move(name)), results_(std::move(results)), trace_(trace),
        destroyed_(destroyed), top_(top), env_(env) {}
  ~StubCommand() override { ++destroyed_; }
  TScrResult Execute(IScriptEnvironment&) override {
    trace_ += (trace_.empty() ? "" : " ") + name_;
    const char r = results_.empty() ? 'd' : results_.front();
    if (!results_.empty()) results_.erase(0, 1);
    if (r == 'A') top_.Abort();
    const TScrResult meanwhile = r == 'R' ? top_.Execute(env_) : srAgainWait;
    EXPECT_EQ(meanwhile, srAgainWait) << "a script runs again while it executes";
    return r == 'A' ? srDone : r == 'R' ? srDoneWait : TScrResult(std::string(kResults).find(r));
  }
  std::string GetName() const override { return name_; }

 private:
  std::string name_, results_;
  std::string& trace_;
  int& destroyed_;
  TZWCommandLine& top_;
  IScriptEnvironment& env_;
};

class ScriptObjectsTest : public ::testing::Test {
 protected:
  // Builds a script from "a b:f ( c:w d ! e ) f": commands by name with the
  // results of their executions after ":"; "( ... )" a nested script; "!"
  // starts the on-error script of the script it stands in.
  void Build(const std::string& layout) {
    std::vector<TZWScrParent*> targets{&script};
    std::vector<std::unique_ptr<TZWCommandLine>> open;
    std::istringstream in(layout);
    for (std::string w; in >> w;) {
      if (w == "(") {
        open.push_back(std::make_unique<TZWCommandLine>());
        targets.push_back(open.back().get());
      } else if (w == ")") {
        targets.pop_back();
        targets.back()->Append(std::move(open.back()));
        open.pop_back();
      } else if (w == "!") {
        targets.back() = &targets.back()->MakeOnErrorScript();
      } else {
        const size_t colon = w.find(':');
        targets.back()->Append(std::make_unique<StubCommand>(
            w.substr(0, colon), colon == std::string::npos ? "" : w.substr(colon + 1), trace,
            destroyed, script, env));
      }
    }
  }

  FakeScriptEnvironment env;
  std::string trace;
  int destroyed = 0;
  TZWCommandLine script;
};

// A script executed, and executed again while it waits: the results of the
// executions, the trace ("/" where it waited), the commands named as failed,
// and the objects left in the list and freed at the end.
struct RunCase {
  const char* layout;
  const char* results;
  const char* trace;
  const char* failed;
  size_t left;
  int freed;
};

const RunCase kRuns[] = {
    {"", "d", "", "", 0, 0},
    // done commands are freed; a failure leaves the rest unexecuted and runs
    // the on-error script (once: it is used up), else it stays unrun
    {"a b c", "d", "a b c", "", 0, 3},
    {"a Broken:f c", "f", "a Broken", "Broken", 1, 2},
    {"Broken:f never ! cleanup1 cleanup2", "f", "Broken cleanup1 cleanup2", "Broken", 1, 3},
    {"a ! cleanup", "d", "a", "", 0, 1},
    // a started scan stops the script until it runs again; so does a command
    // not done yet, which then runs again
    {"run:w showlog", "ad", "run / showlog", "", 0, 2},
    {"run:w", "ad", "run /", "", 0, 1},
    {"busy:aad after", "aad", "busy / busy / busy after", "", 0, 2},
    {"( add run:w showlog ) after", "ad", "add run / showlog after", "", 0, 4},
    // a scan that ends before run returns lets the script go on at once
    {"run:R showlog", "d", "run showlog", "", 0, 2},
    {"( run:R showlog ) after", "d", "run showlog after", "", 0, 3},
    // a failed child script is not reported again by its parent
    {"( Broken:f ) after", "f", "Broken", "Broken", 1, 1},
    // an on-error script that starts a scan is resumed; the script still fails
    {"Broken:f never ! run:w showlog", "af", "Broken run / showlog", "Broken", 1, 3},
    // the end of the script drops the rest and the on-error scripts of every parent
    {"( close:e never1 ! cleanup1 ) never2 ! cleanup2", "e", "close", "", 0, 5},
    // an abort during a command stops everything without a failure message
    {"( slow:A never1 ! cleanup ) never2", "f", "slow", "", 0, 4},
};

TEST_F(ScriptObjectsTest, ExecutingAndResuming) {
  for (const RunCase& c : kRuns) {
    SCOPED_TRACE(c.layout);
    script.Abort();
    Build(c.layout);
    std::string results;
    for (int i = 0; i < 10; ++i) {
      const TScrResult r = script.Execute(env);
      results += kResults[r];
      EXPECT_EQ(script.Running(), r == srAgainWait);
      if (r != srAgainWait) break;
      trace += " /";
    }
    EXPECT_EQ(results, c.results);
    EXPECT_EQ(trace, c.trace);
    std::string failed;
    for (const auto& m : env.messenger.Messages())
      failed += (m.id == msgScriptExecutionFailed ? "" : "?") + m.Str(0);
    EXPECT_EQ(failed, c.failed);
    EXPECT_EQ(script.Count(), c.left);
    EXPECT_EQ(destroyed, c.freed);
    EXPECT_TRUE(results.back() == 'd' || !script.OnErrorScript());
    // An abort drops whatever is left, and the script runs again from nothing.
    script.Abort();
    EXPECT_TRUE(script.Empty());
    EXPECT_FALSE(script.OnErrorScript());
    env.messenger.Clear();
    trace.clear();
    destroyed = 0;
  }
}

TEST_F(ScriptObjectsTest, AbortWhileWaitingDropsEverything) {
  Build("run:w showlog ! cleanup");
  ASSERT_EQ(script.Execute(env), srAgainWait);
  script.Abort();
  EXPECT_FALSE(script.Running());
  EXPECT_TRUE(script.Empty());
  EXPECT_EQ(script.OnErrorScript(), nullptr);
  EXPECT_EQ(destroyed, 3);
  EXPECT_EQ(script.Execute(env), srDone);  // nothing left
  EXPECT_EQ(trace, "run");
}

TEST_F(ScriptObjectsTest, AppendWaitingMarksTheListAsWaiting) {
  auto waiting = std::make_unique<TZWCommandLine>();
  waiting->Append(std::make_unique<StubCommand>("later", "", trace, destroyed, script, env));
  script.AppendWaiting(std::move(waiting));
  EXPECT_TRUE(script.Running());
  EXPECT_EQ(script.Execute(env), srDone);
  EXPECT_EQ(trace, "later");
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
