// The main window's behaviour without its controls: it owns what the window
// owns for the whole run of the program (the window model, the result list,
// the status channel, the run driver, the message presenter and the script
// runner), handles the worker threads' messages and the progress tick, and
// carries out the script commands. The Win32 window and the terminal program
// each wrap one of these and implement IHost for it.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/host.h"
#include "app/log/scan_log.h"
#include "app/results/file_actions.h"
#include "app/results/result_files.h"
#include "app/results/result_view.h"
#include "app/run/run_driver.h"
#include "app/script/script_environment.h"
#include "app/settings/settings.h"
#include "app/script/script_runner.h"
#include "app/messages/msg_presenter.h"
#include "app/text/language_files.h"
#include "app/window_model.h"
#include "engine/dupes/result_list.h"
#include "engine/threads/status_events.h"
#include "engine/threads/status_server.h"

namespace zw {

class TMainForm : public IScriptEnvironment {
 public:
  // `events` is where worker threads post and send their messages; the host
  // delivers them back to HandleStatusEvent in the main thread.
  TMainForm(IHost& host, IStatusTarget& events, TZWLog& log);
  ~TMainForm() override;

  // Hands the whole command line to the script runner (when the window is
  // first shown). False when it did not parse or a command failed.
  bool RunCommandLine(const std::string& commandLine);

  // A message of a worker thread, in the main thread.
  void HandleStatusEvent(TStatusEvent& ev);
  // The 200 ms progress tick while a scan runs (and once at its end).
  void UpdateProgress();
  // An exception of the main thread that nobody handled: call only inside
  // a catch block. The scan log gets it with its report as details, and the
  // host shows the report.
  void ReportException();
  // What the window tells about its state for exception reports.
  TDebugRecord DebugRecord() const;

  // The status line after the check marks changed (idle only): how many
  // files are checked and their size.
  void ShowCheckedStatus();

  // The Run and Cancel buttons.
  bool Run() override;
  // Cancel asks before it stops a scan; while a script runs, its execution
  // mode would answer that question itself (No, unless mode i asks), so the
  // click counts as the answer and the scan stops.
  void Cancel() { driver_.Cancel(!script_.IsRunning() || execMode_ == emInteractive); }

  // Where the program learns of an interruption from outside the window (the
  // program without a window: Ctrl+C, SIGINT, SIGTERM): what interrupted
  // it, or empty. Asked by PollInterrupt; nothing is asked when unset.
  std::function<std::string()> interruptRequest;
  // Asks interruptRequest and, at the first interruption, stops what runs
  // as Cancel does after its Yes, without asking: a scan is cancelled, a
  // file action stops before its next file, and the script is aborted so
  // that no later command runs; the log says so, and from then on nothing
  // is asked (execution mode p). Called in the main thread: before each
  // script command, between the files of an action, by the host's event
  // loop and after its questions.
  void PollInterrupt();

  // shutdown: the system call, replaceable (tests never shut a machine
  // down). Default: platform::ShutdownSystem.
  std::function<bool()> shutdownSystem;
  // uninstall: deletes the settings, the uninstall entry and the file-type
  // registrations (DeleteStoredSettings; replaceable in tests).
  std::function<void()> deleteSettings;
  // The language files of the language list (handed to the uninstaller).
  std::function<std::vector<std::string>()> languageFiles;

  bool Busy() const { return model_.busy; }
  bool ScriptRunning() const { return script_.IsRunning(); }
  TZWScriptRunner::TOutcome ScriptOutcome() const { return script_.Outcome(); }
  bool CloseRequested() const { return closeRequested_; }
  TResultList& Results() { return results_; }
  TZWLog& Log() { return log_; }
  TMsgPresenter& Presenter() { return presenter_; }
  TRunDriver& Driver() { return driver_; }
  TResultListModel& ResultView() { return view_; }
  TFileActions& FileActions() { return actions_; }
  TResultFiles& ResultFiles() { return files_; }

  // --- the language at start-up, in this order ---
  // Lists the language files of `folders` and reads the language the
  // command line names with -lang.
  void PrepareLanguages(const std::string& commandLine, const std::vector<std::string>& folders);
  // Whether -lang named a language; the stored choice (Comm_Language) is
  // read only when it did not.
  bool CommandLineNamedLanguage() const { return commandLineLanguage_ != -1; }
  // Chooses the language (the command line's, else `stored`, else the
  // user's default language), applies its file and makes it the current
  // language and the model's. A file whose question was answered with Yes
  // or Cancel leaves the built-in English in force (current language 0).
  void ChooseStartLanguage(std::optional<int32_t> stored);
  const TLanguageList& Languages() const { return languages_; }
  size_t SelectedLanguage() const { return selectedLanguage_; }

  // --- the options page's language box and its load button ---
  enum class TLanguageLoad { Nothing, Applied, Aborted, RestartForEnglish };
  // The load button is enabled while the entry differs from the language in
  // force.
  bool CanLoadLanguage(size_t index) const;
  // Loads list entry `index`. Another file is applied (its question may
  // abort it: the language in force stays), becomes the current language,
  // and everything that shows texts is redrawn. The built-in English needs
  // a restart: asked in a plain box; after Yes the current language is 0
  // and the caller starts the program again with
  // LanguageRestartParameters and closes the window.
  TLanguageLoad LoadLanguage(size_t index);
  static std::string LanguageRestartParameters(int visiblePage);

  // --- stored settings ---
  // What the settings ask of the system (defaults: CurrentSettingsSystem(),
  // without a screen) and the hooks of the file-type registration and the
  // uninstall entry. A window sets its screen and size before
  // LoadStartupSettings.
  TSettingsSystem settingsSystem;
  TSettingsHooks settingsHooks;
  // At start, after PrepareLanguages and before the command line runs:
  // reads the stored settings (Comm_Language only when the command line
  // named no language), puts a damaged store file and a read that stopped
  // early into the scan log, chooses the language (ChooseStartLanguage),
  // then centres a window whose place was not restored and applies the
  // first-start defaults.
  void LoadStartupSettings();
  const TSettingsLoad& SettingsLoaded() const { return settingsLoad_; }
  // On closing: writes the settings when "save settings" is on.
  void SaveSettingsOnClose();
  // The button "delete settings from registry".
  void DeleteStoredSettings();

  // A result list file named as the first argument of the command line:
  // imported before the command line's script is parsed. False when the
  // argument is no such file or the import failed.
  bool ImportStartFile(const std::string& firstArgument);
  TZWStatusServer& Status() { return status_; }

  // --- IScriptEnvironment ---
  TWindowModel& Model() override { return model_; }
  void ModelChanged() override { host_.ModelChanged(); }
  IMessenger& Messenger() override { return presenter_; }
  void SetExecMode(uint8_t mode) override;
  void ShowPage(TPage page) override;
  bool AddFolder(TFolderList list, const std::string& path, uint8_t state) override;
  bool AddArchiveOrCatalog(TFolderList list, const std::string& path, uint8_t state) override;
  bool AddMask(TMaskListKind list, const std::string& mask, bool checked) override;
  bool SetLogFile(const std::string& path, bool overwrite) override;
  void ShowLog() override;
  bool SaveLog(const std::string& path, bool overwrite) override;
  void Close() override;
  bool Shutdown() override;
  bool Uninstall() override;
  void ScriptRunning(bool running) override { presenter_.SetScriptExecuting(running); }
  void BeforeCommand() override { PollInterrupt(); }
  void SortResults(uint8_t key, bool regroup) override;
  void CheckFiles(TCheckRule rule, bool check) override;
  bool CheckByCriteria(bool check, const TScriptCriteriaParams& params) override;
  bool CheckedFilesAction(TFileAction action, uint8_t mode,
                          const std::string& destination) override;
  bool ImportResults(const std::string& path) override;
  bool ExportResults(const std::string& path, uint8_t format) override;
  bool CreateCatfile(const TCatFileOptions& options) override;

 private:
  bool Automatic() const;

  IHost& host_;
  TZWLog& log_;
  TWindowModel model_;
  TResultList results_;
  TZWStatusServer status_;
  TMsgPresenter presenter_;
  TRunDriver driver_;
  TZWScriptRunner script_;
  TResultListModel view_;
  TFileActions actions_;
  TResultFiles files_;
  uint8_t execMode_ = emDefault;
  bool closeRequested_ = false;
  bool interrupted_ = false;
  // The list's CRC32 values may not be those of whole files: the last scan
  // compared part of the content, or the list was imported (its file does
  // not say how its values were made). A catalog then checksums the files.
  bool crcOfPartsOnly_ = false;
  TSettingsLoad settingsLoad_;
  int32_t lastPosition_ = -1;
  int lastPercent_ = -1;
  // The language list (the options page's language box), its selected
  // entry, and what -lang named (-1 nothing).
  TLanguageList languages_;
  size_t selectedLanguage_ = 0;
  int32_t commandLineLanguage_ = -1;
};

}  // namespace zw
