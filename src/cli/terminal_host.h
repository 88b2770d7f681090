// The host of the program without a window: messages go to standard error,
// the scan log to standard output, progress to standard error when it is a
// terminal. Questions are asked on the terminal when standard input is one;
// otherwise they take their default answer, and one without a default its
// safe answer (No, Cancel).
#pragma once
#include <atomic>
#include <mutex>
#include <string>

#include "app/host.h"
#include "app/log/scan_log.h"
#include "app/main/program.h"

namespace zw {

class TMainForm;

class TTerminalHost : public IHost {
 public:
  explicit TTerminalHost(TProgram& program);
  void SetForm(TMainForm* form) { form_ = form; }

  int MessageBox(const std::string& text, const std::string& caption, TBoxStyle style,
                 uint16_t iconId) override;
  int QuestionBox(const std::string& text, const std::string& caption, TBoxStyle style,
                  uint16_t iconId, int defaultAnswer) override;
  int CountdownBox(const TCountdownRequest& request) override;
  void MessageNotShown(const std::string& text, const std::string& caption,
                       TBoxStyle style) override;
  std::optional<std::string> PickFolder(const std::string&, const std::string&) override {
    return std::nullopt;
  }
  // No dialogs: a script names its files.
  std::optional<std::string> PickSaveFile(const std::string&, const std::string&, int&) override {
    return std::nullopt;
  }
  std::optional<std::string> PickOpenFile(const std::string&, const std::string&) override {
    return std::nullopt;
  }
  void ShowPage(TPage) override {}
  void FocusControl(TControl) override {}
  void ShowFolderRow(TFolderList, int32_t) override {}
  void ModelChanged() override {}
  void ResultsChanged(bool, bool) override {}
  void SetStatusText(const std::string& text) override;
  void SetStatusPath(const std::string& text, const std::string& path) override {
    SetStatusText(text + path);
  }
  void SetProgress(int32_t position, int32_t maximum, int percent) override;
  void SetTitle(const std::string&) override {}
  void SetBusy(bool busy, bool listLocked) override;
  void ShowLog(bool modal) override;
  // Prints the report on standard error and keeps it in a file in the
  // temporary folder, whose path it names.
  void ShowExceptionReport(const TZWExceptInfo& info) override;
  void SetClipboardText(const std::string&) override {}
  int ShellOpen(const std::string& target, const std::string& workingFolder) override;
  void Close() override { closed_ = true; }
  void RunUntil(const std::function<bool()>& done) override;

  bool Closed() const { return closed_; }
  // Told about every new scan-log entry. Errors, warnings and the questions
  // answered without asking (every question is answered while a script
  // runs) are said on standard error as well, so that a failing command
  // never fails silently; information lines are the log's own report.
  void OnLogEntry(const std::string& line);

 private:
  // Says a box on standard error, unless its text was just said as a log line.
  void SayBox(const std::string& text, const std::string& caption);
  // Asks on the terminal for one of the labels at `choices`; returns the
  // chosen label's index: `fallback` when nobody can be asked or, with
  // `seconds` > 0, nobody answered within them; the last choice when the
  // input ended.
  int AskTerminal(const std::vector<std::string>& labels, const std::vector<int>& choices,
                  int fallback, int seconds);
  void ClearProgressLine();

  TProgram& program_;
  TZWLog& log_;
  TMainForm* form_ = nullptr;
  std::mutex outLock_;
  bool interactiveIn_;
  bool terminalErr_;
  bool progressShown_ = false;
  std::string status_;
  std::string lastBoxText_;  // the last box, line breaks as blanks
  std::string lastLogged_;   // the last line said from the log
  std::atomic<bool> closed_{false};
};

}  // namespace zw
