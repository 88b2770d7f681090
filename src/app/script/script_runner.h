// The command-line runner of the main window: it owns the main script,
// turns the command line into a script, executes it, resumes it when a scan
// has ended and aborts it on Cancel.
//
// Typical use:
//   TZWScriptRunner runner(env);                   // with the window
//   runner.RunCommandLine(commandLine);            // when the window is first shown
//   ... end-of-scan step:  runner.Resume();
//   ... Cancel confirmed:  runner.Abort();
//   ... message presenter: IsAutomaticMode(execMode, runner.IsRunning())
// The program without a window runs its event loop until !runner.IsRunning().
#pragma once
#include <string>

#include "app/script/command_line_parser.h"
#include "app/script/script_environment.h"
#include "app/script/script_objects.h"

namespace zw {

class TZWScriptRunner {
 public:
  enum class TOutcome {
    Idle,       // nothing has run yet
    Waiting,    // the main script waits for a scan
    Completed,  // the script ran to its end (or to close)
    Failed,     // parsing or a command failed
    Aborted,    // the script was aborted
  };

  explicit TZWScriptRunner(IScriptEnvironment& env, TCommandIntro intro = kNativeCommandIntro);

  // Parses the command line into a new script. On success the script is
  // appended to the main script, which is executed; on failure nothing of it
  // runs but the on-error commands parsed before the failure. Returns
  // whether the command line parsed.
  bool RunCommandLine(const std::string& commandLine);
  // The end-of-scan step: continues the main script when it waits; nothing
  // otherwise. Safe to call before the command that started the scan has
  // returned.
  void Resume();
  // Cancel: the main script stops and its remaining commands are dropped.
  void Abort();

  // True while a script runs or waits (questions are then answered
  // automatically in the default execution mode).
  bool IsRunning() const;
  TOutcome Outcome() const;
  TZWCommandLine& MainScript() { return main_; }

 private:
  void ExecuteMain();

  IScriptEnvironment& env_;
  TCommandIntro intro_;
  TZWCommandLine main_;
  TZWCommandLine* parsing_ = nullptr;  // the script being parsed, while parsing
  bool started_ = false;
  bool failed_ = false;
  bool aborted_ = false;
};

}  // namespace zw
