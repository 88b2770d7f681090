// Running programs and the replaceable shutdown. No test here ever shuts a
// machine down: the shutdown runs only with its replacement command set, and
// checks that it is set first.
#include "platform/process.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform/files.h"
#include "platform/paths.h"

namespace {

using namespace zw::platform;

TEST(Process, ExecutablePathNamesThisProgram) {
  const std::string exe = ExecutablePath();
  EXPECT_TRUE(FileExists(exe)) << exe;
  EXPECT_EQ(ExtractFilePath(exe), ProgramFolder());
}

#ifndef _WIN32
TEST(Process, RunProgramGivesTheExitCodeOrSaysItIsMissing) {
  OsError err;
  EXPECT_EQ(RunProgramAndWait({"sh", "-c", "exit 3"}, err), 3);
  EXPECT_FALSE(err);
  EXPECT_EQ(RunProgramAndWait({"zwillo-no-such-program-here"}, err), -1);
  EXPECT_EQ(err.kind, ErrKind::NotFound);
}

// The replacement command stands in for the real shutdown: its success and
// failure are the shutdown's.
TEST(Process, ShutdownRunsTheReplacementCommandAndReportsItsOutcome) {
  struct Row {
    const char* command;
    bool ok;
  } rows[] = {{"true", true}, {"false", false}, {"zwillo-no-such-program-here", false}};
  for (const Row& r : rows) {
    ASSERT_EQ(setenv(kShutdownOverrideVariable, r.command, 1), 0);
    const char* set = std::getenv(kShutdownOverrideVariable);
    ASSERT_TRUE(set && std::string(set) == r.command);  // never the real one
    OsError err;
    EXPECT_EQ(ShutdownSystem(err), r.ok) << r.command;
    EXPECT_EQ(static_cast<bool>(err), !r.ok) << r.command;
  }
  unsetenv(kShutdownOverrideVariable);
}
#endif

}  // namespace
