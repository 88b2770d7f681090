// The message presenter: the one place that decides, by each message's show
// and log policies and by whether the run is attended, if a message is shown,
// a question answered silently, and what goes into the scan log.
//
// Attended or not: execution mode p is unattended, mode i attended, and the
// default mode d is unattended exactly while a command-line script runs.
//
// Messages are shown through the host, on the thread that presents them (a
// host marshals to its window thread when it needs to); logging is safe from
// any thread.
#pragma once
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/host.h"
#include "app/log/scan_log.h"
#include "app/text/message_table.h"
#include "app/text/string_table.h"
#include "engine/common/messages.h"
#include "app/text_ids.h"

namespace zw {

enum class TExecMode : char { Default = 'd', Interactive = 'i', Unattended = 'p' };

class TMsgPresenter : public IMessenger {
 public:
  // `host` may be null (nothing can be shown: questions take their default
  // answer, or the safe answer when they have none).
  TMsgPresenter(IHost* host, TZWLog& log, const TStringTable& strings = Strings(),
                const TMessageTable& messages = Messages());

  void SetHost(IHost* host) { host_.store(host); }
  IHost* Host() const { return host_.load(); }
  TZWLog& Log() const { return log_; }

  // Set by the script runner: its `execmode` command and its running flag.
  void SetExecMode(TExecMode mode) { mode_.store(mode); }
  TExecMode ExecMode() const { return mode_.load(); }
  void SetScriptExecuting(bool executing) { scriptExecuting_.store(executing); }
  bool ScriptExecuting() const { return scriptExecuting_.load(); }
  bool Unattended() const;

  // --- messages ---
  // Presents the message: logged when its log policy says so, shown when its
  // show policy says so; one kept out of a box because the run is
  // unattended goes to the host's MessageNotShown. Without arguments the
  // text is taken as it stands. Returns the answer of the box, or 0 when
  // nothing was shown.
  int ShowMsg(TMsgID id, const TFmtArgs& args = {}) override;
  // The same, always formatting the text with `args`.
  int ShowMsgFmt(TMsgID id, const TFmtArgs& args);

  // --- questions ---
  // Asks, or answers silently with `defaultAnswer` (logging the text and the
  // answer as "<text> [Yes]") when the run allows it; a default of 0 means
  // none, and the question is always shown. Without arguments the text is
  // taken as it stands.
  int AskMsg(TMsgID id, int defaultAnswer, const TFmtArgs& args = {}) override;
  int AskMsgFmt(TMsgID id, const TFmtArgs& args, int defaultAnswer);
  // A question in the countdown box: its buttons plus Pause, the text
  // followed by an empty line and the seconds left; when the time runs out the
  // default answer is taken. With `seconds` <= 0 the box does not count (no
  // Pause button, no countdown line). A button nibble without a countdown
  // set answers kNoAnswer at once.
  int CountdownAskFmt(TMsgID id, const TFmtArgs& args, int seconds, int defaultAnswer);
  // A question with buttons of its own in the countdown box, no countdown;
  // returns the chosen button's index (the default index without a host).
  int AskButtons(TStrID text, const TFmtArgs& args, TStrID caption, TIconKind icon,
                 const std::vector<TStrID>& buttons, int defaultIndex) override;
  // The same with a countdown of `seconds` (> 0: a Pause button is added and
  // the text gets the countdown line).
  int AskButtonsCountdown(TStrID text, const TFmtArgs& args, TStrID caption, TIconKind icon,
                          const std::vector<TStrID>& buttons, int defaultIndex, int seconds);

  // --- log entries ---
  // Logs the message's text with its flags. With arguments the text is
  // formatted, and the I/O-error entries (logIOErrorOn...) take their error
  // code from their "I/O-Error %d" argument, so that the details name it.
  void LogMsg(TMsgID id, const TFmtArgs& args = {}) override;
  // Logs the unformatted text; an `errorCode` other than 0 goes into the
  // details.
  void LogMsgCode(TMsgID id, uint32_t errorCode);
  // Formats first. A negative `errorCode` -k takes the code from the k-th
  // argument (counting from 1) when there is such a number.
  void LogMsgFmt(TMsgID id, const TFmtArgs& args, int64_t errorCode = 0);
  // Formats and attaches the exception report as the details.
  void LogMsgExcept(TMsgID id, const TFmtArgs& args, std::shared_ptr<TZWExceptInfo> info) override;
  // A log entry of the kind in `flags` (icon nibble): details name
  // `errorCode` when it is not 0, else "No details available.".
  void LogText(uint32_t flags, const std::string& text, uint32_t errorCode = 0);

  // --- primitives ---
  // A message box with the caption of its icon kind; 0 without a host.
  int MsgBox(const std::string& text, uint32_t flags, uint16_t iconId);
  // A question box; `defaultAnswer` (0: none) tells a host that cannot ask
  // anyone what to answer. Without a host: the default, or the safe answer.
  int QuestionBox(const std::string& text, uint32_t flags, uint16_t iconId, int defaultAnswer);
  // Saves the log; a failure presents msgSaveLogFailed with the system's
  // error code and returns false.
  bool SaveLog(const std::string& fileName, bool overwrite);

  std::string Caption(uint32_t flags) const;
  std::string AnswerText(int answer) const;  // "Yes", ...; empty for others
  // The argument (counting from 1) that holds the error code of an I/O-error
  // log entry; 0 for other messages.
  static int ErrorCodeArgument(TMsgID id);

 private:
  int Present(const TMsg& msg, const std::string& text);
  int Ask(const TMsg& msg, const std::string& text, int defaultAnswer);
  int CountdownAsk(const std::string& text, const std::string& caption, TBoxStyle style,
                   std::vector<std::string> labels, int defaultIndex, int seconds);

  std::atomic<IHost*> host_;
  TZWLog& log_;
  const TStringTable& strings_;
  const TMessageTable& messages_;
  std::atomic<TExecMode> mode_{TExecMode::Default};
  std::atomic<bool> scriptExecuting_{false};
};

}  // namespace zw
