#include "app/main/program.h"

#include "app/log/exception_report.h"
#include "app/main/main_form.h"
#include "app/options/long_options.h"
#include "app/results/result_files.h"
#include "engine/threads/status_events.h"
#include "platform/files.h"

namespace zw {

TProgram::TProgram()
    : events_(std::make_unique<TEventQueue>([this](TStatusEvent& ev) {
        if (form_) form_->HandleStatusEvent(ev);
      })) {
  // Every exception report from now on carries the stack where it was caught.
  InstallStackCapture();
}

// The members go in reverse order: the form (which stops its workers), the
// host it talks to, the queue the workers posted to, the log.
TProgram::~TProgram() = default;

void TProgram::Attach(std::unique_ptr<IHost> host) {
  form_.reset();
  host_ = std::move(host);
  form_ = std::make_unique<TMainForm>(*host_, *events_, log_);
}

void TProgram::DispatchEvents(std::chrono::milliseconds wait) { events_->DispatchWait(wait); }

bool TProgram::Start(const std::string& firstArgument, const std::string& commandLine,
                     const std::vector<std::string>& longOptions) {
  // As when the window is created: the language files beside the program
  // and the one -lang names, then the stored settings, the language chosen
  // and applied, the first-start defaults.
  form_->PrepareLanguages(commandLine, platform::DataFolders());
  form_->LoadStartupSettings();
  // The long options change what the stored settings gave, so they come
  // after the settings are loaded and before anything runs.
  if (!ApplyLongOptions(longOptions, form_->Model(), *host_, form_->Presenter())) return false;
  // A result list file as the first argument is loaded before the commands
  // are read (the parser skips it with the program's own name).
  if (TResultFiles::IsStartFile(firstArgument) && !form_->ImportStartFile(firstArgument))
    return false;
  parsed_ = form_->RunCommandLine(commandLine);
  return true;
}

int TProgram::Finish() {
  TMainForm& form = *form_;
  host_->RunUntil([&form] { return !form.ScriptRunning() && !form.Busy(); });
  // As the window does on closing: only while "save settings" is on.
  form.SaveSettingsOnClose();
  events_->Close();
  return parsed_ && form.ScriptOutcome() == TZWScriptRunner::TOutcome::Completed ? 0 : 1;
}

}  // namespace zw
