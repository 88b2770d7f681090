#include "app/script/script_runner.h"

#include <memory>

namespace zw {

TZWScriptRunner::TZWScriptRunner(IScriptEnvironment& env, TCommandIntro intro)
    : env_(env), intro_(intro) {}

bool TZWScriptRunner::RunCommandLine(const std::string& commandLine) {
  auto script = std::make_unique<TZWCommandLine>();
  parsing_ = script.get();
  bool parsed = ParseCommandLine(*script, commandLine, env_, intro_);
  parsing_ = nullptr;
  started_ = true;
  if (!parsed) {
    failed_ = true;
    // On-error commands run at once when parsing fails; if one of them
    // started a scan, the main script keeps the on-error script so that the
    // end of the scan resumes it.
    TZWCommandLine* onError = script->OnErrorScript();
    if (onError && onError->Running()) main_.AppendWaiting(script->TakeOnErrorScript());
    return false;
  }
  main_.Append(std::move(script));
  ExecuteMain();
  return true;
}

void TZWScriptRunner::ExecuteMain() {
  aborted_ = false;
  env_.ScriptRunning(true);
  TScrResult result = main_.Execute(env_);
  if (result == srFailed && !aborted_) failed_ = true;
  env_.ScriptRunning(main_.Running());
}

void TZWScriptRunner::Resume() {
  if (main_.Running()) ExecuteMain();
}

void TZWScriptRunner::Abort() {
  if (!main_.Running()) return;
  aborted_ = true;
  main_.Abort();
  env_.ScriptRunning(false);
}

bool TZWScriptRunner::IsRunning() const {
  if (main_.Running()) return true;
  // On-error commands that run while the command line is parsed.
  const TZWCommandLine* onError = parsing_ ? parsing_->OnErrorScript() : nullptr;
  return onError && onError->Running();
}

TZWScriptRunner::TOutcome TZWScriptRunner::Outcome() const {
  if (main_.Running()) return TOutcome::Waiting;
  if (aborted_) return TOutcome::Aborted;
  if (failed_) return TOutcome::Failed;
  return started_ ? TOutcome::Completed : TOutcome::Idle;
}

}  // namespace zw
