// A script environment for tests: a real window model, a recording
// messenger, and a trace of every other call with results set by the test.
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "app/script/script_environment.h"
#include "engine/dupes/catalog_writer.h"
#include "support/recording_messenger.h"

namespace zwtest {

class FakeScriptEnvironment : public zw::IScriptEnvironment {
 public:
  zw::TWindowModel model;
  RecordingMessenger messenger;
  std::vector<std::string> calls;  // "Run", "ShowLog", "AddFolder 1 /x 0", ...

  // Results of the operations that can fail.
  bool runStarts = true;
  bool addFolderResult = true;
  bool addMaskResult = true;
  bool setLogFileResult = true;
  bool saveLogResult = true;
  // Runs inside Run() after it is recorded (a scan that ends at once, or a
  // Cancel while the scan starts).
  std::function<void()> onRun;
  int modelChanges = 0;
  int execMode = -1;

  zw::TWindowModel& Model() override { return model; }
  void ModelChanged() override { ++modelChanges; }
  zw::IMessenger& Messenger() override { return messenger; }

  void SetExecMode(uint8_t mode) override {
    execMode = mode;
    calls.push_back("SetExecMode " + std::to_string(mode));
  }
  void ShowPage(zw::TPage page) override {
    model.page = page;
    calls.push_back("ShowPage " + std::to_string(static_cast<int>(page)));
  }
  bool AddFolder(zw::TFolderList list, const std::string& path, uint8_t state) override {
    calls.push_back("AddFolder " + std::to_string(static_cast<int>(list)) + " " + path + " " +
                    std::to_string(state));
    return addFolderResult;
  }
  bool AddArchiveOrCatalog(zw::TFolderList list, const std::string& path,
                           uint8_t state) override {
    calls.push_back("AddArchiveOrCatalog " + std::to_string(static_cast<int>(list)) + " " +
                    path + " " + std::to_string(state));
    return addFolderResult;
  }
  bool AddMask(zw::TMaskListKind list, const std::string& mask, bool checked) override {
    calls.push_back("AddMask " + std::to_string(static_cast<int>(list)) + " " + mask + " " +
                    (checked ? "1" : "0"));
    return addMaskResult;
  }
  bool Run() override {
    calls.push_back("Run");
    if (onRun) onRun();
    return runStarts;
  }
  bool SetLogFile(const std::string& path, bool overwrite) override {
    calls.push_back("SetLogFile " + path + (overwrite ? " overwrite" : " append"));
    return setLogFileResult;
  }
  void ShowLog() override { calls.push_back("ShowLog"); }
  bool SaveLog(const std::string& path, bool overwrite) override {
    calls.push_back("SaveLog " + path + (overwrite ? " overwrite" : " append"));
    return saveLogResult;
  }
  void Close() override { calls.push_back("Close"); }

  // Results of the result-list operations that can fail.
  bool criteriaResult = true;
  bool actionResult = true;
  bool importResult = true;
  bool exportResult = true;
  bool catfileResult = true;
  std::vector<zw::TCatFileOptions> catfiles;
  zw::TScriptCriteriaParams lastCriteria;

  void SortResults(uint8_t key, bool regroup) override {
    calls.push_back(std::string(regroup ? "GroupBy " : "SortBy ") + std::to_string(key));
  }
  void CheckFiles(zw::TCheckRule rule, bool check) override {
    calls.push_back("CheckFiles " + std::to_string(static_cast<int>(rule)) + (check ? " 1" : " 0"));
  }
  bool CheckByCriteria(bool check, const zw::TScriptCriteriaParams& params) override {
    calls.push_back(std::string("CheckByCriteria ") + (check ? "1" : "0"));
    lastCriteria = params;
    return criteriaResult;
  }
  bool CheckedFilesAction(zw::TFileAction action, uint8_t mode,
                          const std::string& destination) override {
    // Recorded by the keyword's letter: delete, recycle, move, shortcut.
    const char letter = "drms"[static_cast<int>(action)];
    calls.push_back(std::string("Action ") + letter + " " + std::to_string(mode) +
                    (destination.empty() ? "" : " " + destination));
    return actionResult;
  }
  bool ImportResults(const std::string& path) override {
    calls.push_back("Import " + path);
    return importResult;
  }
  bool ExportResults(const std::string& path, uint8_t format) override {
    calls.push_back("Export " + std::to_string(format) + " " + path);
    return exportResult;
  }
  bool CreateCatfile(const zw::TCatFileOptions& options) override {
    catfiles.push_back(options);
    return catfileResult;
  }
};

}  // namespace zwtest
