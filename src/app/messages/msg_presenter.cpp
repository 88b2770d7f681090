#include "app/messages/msg_presenter.h"

#include "app/text/countdown_box.h"
#include "app/text/text_format.h"
#include "app/text_ids.h"

namespace zw {

TMsgPresenter::TMsgPresenter(IHost* host, TZWLog& log, const TStringTable& strings,
                             const TMessageTable& messages)
    : host_(host), log_(log), strings_(strings), messages_(messages) {}

bool TMsgPresenter::Unattended() const {
  switch (ExecMode()) {
    case TExecMode::Unattended: return true;
    case TExecMode::Interactive: return false;
    case TExecMode::Default: break;
  }
  return ScriptExecuting();
}

std::string TMsgPresenter::Caption(uint32_t flags) const {
  return strings_.Str(CaptionOfStyle(flags));
}

std::string TMsgPresenter::AnswerText(int answer) const {
  return strings_.Str(AnswerLabel(answer));
}

int TMsgPresenter::ErrorCodeArgument(TMsgID id) {
  switch (id) {
    case logIOErrorOnBrowse:  // "I/O-Error %d; could not browse "%s" ..."
    case logIOErrorOnOpen:
    case logIOErrorOnRead: return 1;
    case logIOErrorOnDelete:  // "Could not delete file "%s" (I/O-Error %d occured)"
    case logIOErrorOnMove:
    case logIOErrorOnRecycle:
    case logIOErrorOnLink: return 2;
    default: return 0;
  }
}

// --- primitives --------------------------------------------------------------

int TMsgPresenter::MsgBox(const std::string& text, uint32_t flags, uint16_t iconId) {
  IHost* host = Host();
  if (!host) return 0;
  return host->MessageBox(text, Caption(flags), flags, iconId);
}

int TMsgPresenter::QuestionBox(const std::string& text, uint32_t flags, uint16_t iconId,
                               int defaultAnswer) {
  IHost* host = Host();
  if (!host) return DefaultOrSafeAnswer(flags, defaultAnswer);
  return host->QuestionBox(text, Caption(flags), flags, iconId, defaultAnswer);
}

// --- messages ----------------------------------------------------------------

int TMsgPresenter::Present(const TMsg& msg, const std::string& text) {
  const bool unattended = Unattended();
  if (msg.LogPolicy == lpAlways || (msg.LogPolicy == lpWhenUnattended && unattended))
    LogText(msg.Flags, text, 0);
  if (msg.ShowPolicy == spAlways || (msg.ShowPolicy == spUnlessUnattended && !unattended))
    return MsgBox(text, msg.Flags, msg.IconId);
  if (msg.ShowPolicy == spUnlessUnattended)
    if (IHost* host = Host()) host->MessageNotShown(text, Caption(msg.Flags), msg.Flags);
  return 0;
}

int TMsgPresenter::ShowMsg(TMsgID id, const TFmtArgs& args) {
  if (!args.empty()) return ShowMsgFmt(id, args);
  const TMsg msg = messages_.Msg(id);
  return Present(msg, msg.Text);
}

int TMsgPresenter::ShowMsgFmt(TMsgID id, const TFmtArgs& args) {
  const TMsg msg = messages_.Msg(id);
  return Present(msg, Format(msg.Text, args));
}

// --- questions ---------------------------------------------------------------

int TMsgPresenter::Ask(const TMsg& msg, const std::string& text, int defaultAnswer) {
  const bool silent =
      defaultAnswer != 0 &&
      ((msg.ShowPolicy == spUnlessUnattended && Unattended()) ||
       (msg.ShowPolicy == spAlways && ExecMode() == TExecMode::Unattended));
  if (!silent) return QuestionBox(text, msg.Flags, msg.IconId, defaultAnswer);
  if (msg.LogPolicy != lpNever)
    LogText(mbIconQuestion | mbYesNo, text + " [" + AnswerText(defaultAnswer) + "]", 0);
  return defaultAnswer;
}

int TMsgPresenter::AskMsg(TMsgID id, int defaultAnswer, const TFmtArgs& args) {
  if (!args.empty()) return AskMsgFmt(id, args, defaultAnswer);
  const TMsg msg = messages_.Msg(id);
  return Ask(msg, msg.Text, defaultAnswer);
}

int TMsgPresenter::AskMsgFmt(TMsgID id, const TFmtArgs& args, int defaultAnswer) {
  const TMsg msg = messages_.Msg(id);
  return Ask(msg, Format(msg.Text, args), defaultAnswer);
}

int TMsgPresenter::CountdownAsk(const std::string& text, const std::string& caption,
                                TBoxStyle style, std::vector<std::string> labels,
                                int defaultIndex, int seconds) {
  TCountdownRequest request;
  request.caption = caption;
  request.style = style;
  request.defaultIndex = defaultIndex;
  if (seconds > 0) {
    // The box fills the seconds into the whole text: keep the question's own
    // "%" signs (a file name may have them) out of it.
    request.text = EscapePercent(text) + "\r\n\r\n" + strings_.Str(strCountdownDialog);
    request.seconds = seconds;
    labels.push_back(strings_.Str(lblPause));
  } else {
    request.text = text;
    request.seconds = 0;
  }
  request.buttons = std::move(labels);
  IHost* host = Host();
  if (!host) return defaultIndex;
  return host->CountdownBox(request);
}

int TMsgPresenter::CountdownAskFmt(TMsgID id, const TFmtArgs& args, int seconds,
                                   int defaultAnswer) {
  const TMsg msg = messages_.Msg(id);
  std::vector<TStrID> buttons = CountdownButtons(msg.Flags);
  if (buttons.empty()) return kNoAnswer;
  buttons.pop_back();  // the pause button comes with the countdown
  std::vector<std::string> labels;
  for (TStrID b : buttons) labels.push_back(strings_.Str(b));
  const int index = CountdownAsk(Format(msg.Text, args), Caption(msg.Flags), msg.Flags,
                                 std::move(labels), CountdownDefaultIndex(msg.Flags, defaultAnswer),
                                 seconds);
  // The pause button never answers.
  if (index >= static_cast<int>(buttons.size())) return kNoAnswer;
  return CountdownAnswer(msg.Flags, index);
}

int TMsgPresenter::AskButtons(TStrID text, const TFmtArgs& args, TStrID caption, TIconKind icon,
                              const std::vector<TStrID>& buttons, int defaultIndex) {
  return AskButtonsCountdown(text, args, caption, icon, buttons, defaultIndex, 0);
}

int TMsgPresenter::AskButtonsCountdown(TStrID text, const TFmtArgs& args, TStrID caption,
                                       TIconKind icon, const std::vector<TStrID>& buttons,
                                       int defaultIndex, int seconds) {
  std::vector<std::string> labels;
  for (TStrID b : buttons) labels.push_back(strings_.Str(b));
  const std::string body = args.empty() ? strings_.Str(text) : Format(strings_.Str(text), args);
  const int index = CountdownAsk(body, strings_.Str(caption), StyleOfIconKind(icon),
                                 std::move(labels), defaultIndex, seconds);
  if (seconds > 0 && index >= static_cast<int>(buttons.size())) return -1;  // never the pause
  return index;
}

// --- log entries -------------------------------------------------------------

void TMsgPresenter::LogText(uint32_t flags, const std::string& text, uint32_t errorCode) {
  const int kind = KindOfFlags(flags);
  std::shared_ptr<const TZWLogDetails> details;
  if (errorCode != 0)
    details = std::make_shared<TZWLogErrorDetails>(kind, errorCode);
  else
    details = std::make_shared<TZWLogNoDetails>(kind);
  log_.AddEntry(kind, text, std::move(details));
}

void TMsgPresenter::LogMsgCode(TMsgID id, uint32_t errorCode) {
  const TMsg msg = messages_.Msg(id);
  LogText(msg.Flags, msg.Text, errorCode);
}

void TMsgPresenter::LogMsg(TMsgID id, const TFmtArgs& args) {
  if (args.empty()) return LogMsgCode(id, 0);
  LogMsgFmt(id, args, -static_cast<int64_t>(ErrorCodeArgument(id)));
}

void TMsgPresenter::LogMsgFmt(TMsgID id, const TFmtArgs& args, int64_t errorCode) {
  const TMsg msg = messages_.Msg(id);
  uint32_t code = 0;
  if (errorCode > 0) {
    code = static_cast<uint32_t>(errorCode);
  } else if (errorCode < 0) {
    const uint64_t k = static_cast<uint64_t>(-(errorCode + 1)) + 1;  // no overflow at INT64_MIN
    if (k <= args.size())
      if (const int64_t* n = std::get_if<int64_t>(&args[static_cast<size_t>(k - 1)]))
        code = static_cast<uint32_t>(*n);
  }
  LogText(msg.Flags, Format(msg.Text, args), code);
}

void TMsgPresenter::LogMsgExcept(TMsgID id, const TFmtArgs& args,
                                 std::shared_ptr<TZWExceptInfo> info) {
  const TMsg msg = messages_.Msg(id);
  log_.AddEntry(KindOfFlags(msg.Flags), Format(msg.Text, args),
                std::make_shared<TZWLogExceptDetails>(std::move(info)));
}

bool TMsgPresenter::SaveLog(const std::string& fileName, bool overwrite) {
  int err = 0;
  if (log_.SaveToFile(fileName, overwrite, &err)) return true;
  ShowMsgFmt(msgSaveLogFailed, {TFmtArg(int64_t{err})});
  return false;
}

}  // namespace zw
