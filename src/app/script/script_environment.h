// What script commands need from the rest of the program. The main window
// (and the program without a window) implements this once; the commands
// change the window model directly where a control's value is all there is
// to it, and ask for everything else here.
#pragma once
#include <cstdint>
#include <string>

#include "app/results/check_by_criteria.h"
#include "app/results/file_action_types.h"
#include "app/run/folder_lists.h"
#include "app/window_model.h"
#include "engine/common/messages.h"
#include "app/text_ids.h"

namespace zw {

struct TCatFileOptions;

// Execution modes of the script command execmode.
enum TScriptExecMode : uint8_t {
  emDefault = 0,      // questions answered automatically while a script runs
  emInteractive = 1,  // never answered automatically
  emUnattended = 2,   // always answered automatically
};

// Whether questions are answered with their default answers: always in the
// unattended mode, in the default mode while a script runs, never in the
// interactive mode.
constexpr bool IsAutomaticMode(uint8_t execMode, bool scriptRunning) {
  return execMode == emUnattended || (execMode == emDefault && scriptRunning);
}

class IScriptEnvironment {
 public:
  virtual ~IScriptEnvironment() = default;

  // The model of the main window's controls. Commands change it and then
  // call ModelChanged so that the view follows.
  virtual TWindowModel& Model() = 0;
  virtual void ModelChanged() = 0;
  // Parse errors and execution failures are reported here.
  virtual IMessenger& Messenger() = 0;

  // execmode: 0 default, 1 interactive, 2 unattended (TScriptExecMode).
  virtual void SetExecMode(uint8_t mode) = 0;
  // page: the page control shows this page.
  virtual void ShowPage(TPage page) = 0;

  // addfolder: the add operations of the folder lists, with replace on (an
  // equal row is replaced instead of refused) and the row appended at the
  // end. They show their own messages; false when nothing was added.
  virtual bool AddFolder(TFolderList list, const std::string& path, uint8_t state) = 0;
  virtual bool AddArchiveOrCatalog(TFolderList list, const std::string& path, uint8_t state) = 0;
  // addmask: validates the mask (msgInvalidMask), lower-cases it and adds it,
  // or sets the check mark of an equal row and moves it to the end; never
  // asks. False when the mask was refused.
  virtual bool AddMask(TMaskListKind list, const std::string& mask, bool checked) = 0;

  // run: the Run button's action. True when the scan was started; the
  // end-of-scan step must then call TZWScriptRunner::Resume (also when the
  // scan was canceled and the script aborted: Resume then does nothing).
  virtual bool Run() = 0;

  // logfile: from now on the scan log also writes every new line to this
  // file (appending, or overwriting it first). False when it cannot be opened.
  virtual bool SetLogFile(const std::string& path, bool overwrite) = 0;
  // showlog: shows the scan log window.
  virtual void ShowLog() = 0;
  // savelog: saves the scan log to the file; false on failure.
  virtual bool SaveLog(const std::string& path, bool overwrite) = 0;
  // close: closes the main window (the program without a window ends).
  virtual void Close() = 0;
  // shutdown: asks the system to shut down and power off. True on success;
  // the command then closes the main window.
  virtual bool Shutdown() = 0;
  // uninstall: removes the program (app/shell/uninstall.h). True when the
  // uninstaller took over and the program is to end now.
  virtual bool Uninstall() = 0;

  // sortby / groupby: regroups the result list by `key` (0 name ... 7 path
  // length, 0x80 descending) or sorts within its groups, keeping the focused
  // entry. Nothing with fewer than two entries, nor for the CRC32 key
  // without CRC32 values.
  virtual void SortResults(uint8_t key, bool regroup) = 0;
  // checkall / checkselected / checkfirst / checklast.
  virtual void CheckFiles(TCheckRule rule, bool check) = 0;
  // checkbycriteria; false when a parameter was refused (with its message).
  virtual bool CheckByCriteria(bool check, const TScriptCriteriaParams& params) = 0;
  // movechecked / recyclechecked / deletechecked / shortcutchecked: the file
  // action with its confirmation mode (0 interactive, 1 countdown, 2
  // unattended); `destination` only for moves. True when every file was handled.
  virtual bool CheckedFilesAction(TFileAction action, uint8_t mode,
                                  const std::string& destination) = 0;
  // importresults / exportresults (format 0 by extension, 1 text, 2 binary).
  virtual bool ImportResults(const std::string& path) = 0;
  virtual bool ExportResults(const std::string& path, uint8_t format) = 0;
  // createcatfile: writes a catalog file of the result list without the
  // dialog. False when it could not be written or an entry had to be left
  // out (the log names it).
  virtual bool CreateCatfile(const TCatFileOptions& options) = 0;

  // Called before each object of a script runs: the program may abort the
  // script here (TZWScriptRunner::Abort), so that the object does not run.
  virtual void BeforeCommand() {}

  // Told when the main script starts or stops running (it keeps running
  // while it waits for a scan). Questions are answered automatically by the
  // execution mode only while it runs, so parse errors are always shown.
  virtual void ScriptRunning(bool running) {}
};

}  // namespace zw
