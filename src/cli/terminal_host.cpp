#include "cli/terminal_host.h"

#include <algorithm>
#include <chrono>
#include <cstdio>

#include "app/log/exception_report.h"
#include "app/main/main_form.h"
#include "app/text/countdown_box.h"
#include "app/text/string_table.h"
#include "platform/console.h"
#include "platform/files.h"
#include "platform/shell.h"
#include "app/text_ids.h"

namespace zw {

namespace {

struct Buttons {
  std::vector<std::string> labels;
  std::vector<int> answers;
};

Buttons ButtonsOf(TBoxStyle style) {
  switch (style & 0x0F) {
    case 1: return {{Str(lblOK), Str(lblCancel)}, {ansOK, ansCancel}};
    case 3: return {{Str(lblYes), Str(lblNo), Str(lblCancel)}, {ansYes, ansNo, ansCancel}};
    case 4: return {{Str(lblYes), Str(lblNo)}, {ansYes, ansNo}};
    default: return {{Str(lblOK)}, {ansOK}};
  }
}

}  // namespace

TTerminalHost::TTerminalHost(TProgram& program)
    : program_(program),
      log_(program.Log()),
      interactiveIn_(platform::StdinIsTerminal()),
      terminalErr_(platform::StderrIsTerminal()) {
  log_.AddListener([this](size_t, const TLogEntry& entry) { OnLogEntry(entry.Line); });
}

void TTerminalHost::ClearProgressLine() {
  if (progressShown_) {
    std::fputs("\r\x1b[K", stderr);
    progressShown_ = false;
  }
}

int TTerminalHost::MessageBox(const std::string& text, const std::string& caption, TBoxStyle style,
                              uint16_t iconId) {
  return QuestionBox(text, caption, style, iconId, 0);
}

void TTerminalHost::SayBox(const std::string& text, const std::string& caption) {
  std::lock_guard<std::mutex> lock(outLock_);
  const std::string flat = TZWLog::FlattenLineBreaks(text);
  // A message just said through the log is not said twice.
  const bool saidAlready = !lastLogged_.empty() && lastLogged_.find(flat) != std::string::npos;
  lastBoxText_ = flat;
  if (saidAlready) return;
  ClearProgressLine();
  std::fprintf(stderr, "%s%s%s\n", caption.c_str(), caption.empty() ? "" : ": ",
               TerminalText(text).c_str());
  std::fflush(stderr);
}

void TTerminalHost::MessageNotShown(const std::string& text, const std::string& caption,
                                    TBoxStyle) {
  SayBox(text, caption);
}

int TTerminalHost::QuestionBox(const std::string& text, const std::string& caption,
                               TBoxStyle style, uint16_t, int defaultAnswer) {
  const Buttons b = ButtonsOf(style);
  SayBox(text, caption);
  if (b.answers.size() == 1) return ansOK;
  // No default: the safe answer, the last of No and Cancel the box has.
  int fallback = static_cast<int>(b.answers.size()) - 1;
  for (size_t i = 0; i < b.answers.size(); ++i)
    if (b.answers[i] == defaultAnswer) fallback = static_cast<int>(i);
  std::vector<int> choices(b.answers.size());
  for (size_t i = 0; i < choices.size(); ++i) choices[i] = static_cast<int>(i);
  const int index = AskTerminal(b.labels, choices, fallback, 0);
  if (form_) form_->PollInterrupt();  // Ctrl+C at the prompt stops the script too
  return b.answers[static_cast<size_t>(index)];
}

int TTerminalHost::CountdownBox(const TCountdownRequest& request) {
  // The box's own rules: the seconds filled into its text, the pause button
  // left out (a terminal cannot pause), and when nobody types within the
  // seconds, the default answer.
  TCountdownBox box(request);
  {
    std::lock_guard<std::mutex> lock(outLock_);
    ClearProgressLine();
    std::fprintf(stderr, "%s%s%s\n", request.caption.c_str(), request.caption.empty() ? "" : ": ",
                 TerminalText(box.Text()).c_str());
  }
  const std::vector<int> choices = box.AnswerIndices();
  if (choices.size() <= 1) return choices.empty() ? 0 : choices.front();
  // No default button: the safe answer, the last one (No, Cancel).
  const int fallback = box.DefaultIndex() >= 0 ? box.DefaultIndex() : choices.back();
  const int index = AskTerminal(request.buttons, choices, fallback, box.SecondsLeft());
  if (form_) form_->PollInterrupt();
  return index;
}

int TTerminalHost::AskTerminal(const std::vector<std::string>& labels,
                               const std::vector<int>& choices, int fallback, int seconds) {
  std::lock_guard<std::mutex> lock(outLock_);
  if (!interactiveIn_) {
    std::fprintf(stderr, "  -> %s\n", labels[static_cast<size_t>(fallback)].c_str());
    return fallback;
  }
  for (;;) {
    std::fputs("  ", stderr);
    for (size_t n = 0; n < choices.size(); ++n) {
      const int i = choices[n];
      std::fprintf(stderr, "[%zu] %s%s  ", n + 1, labels[static_cast<size_t>(i)].c_str(),
                   i == fallback ? " (default)" : "");
    }
    std::fputs("? ", stderr);
    std::fflush(stderr);
    std::string line;
    const platform::InputResult got = seconds > 0
                                          ? platform::ReadInputLineWithin(line, seconds * 1000)
                                          : (platform::ReadInputLine(line)
                                                 ? platform::InputResult::Line
                                                 : platform::InputResult::Ended);
    if (got == platform::InputResult::TimedOut) {
      std::fprintf(stderr, "\n  -> %s\n", labels[static_cast<size_t>(fallback)].c_str());
      return fallback;
    }
    // Nobody answers (the input ended, or Ctrl+C): the safe answer, the
    // last button (No, Cancel), never a default that would go ahead.
    if (got == platform::InputResult::Ended) {
      std::fputc('\n', stderr);
      return choices.back();
    }
    // A number, a label or a prefix that fits one label ("y", "n", "c").
    if (auto index = ParseTerminalChoice(line, labels, choices, fallback)) return *index;
    seconds = 0;  // someone is there: the countdown is over
  }
}

void TTerminalHost::OnLogEntry(const std::string& line) {
  if (line.size() < 2 || line[1] != ' ') return;
  if (line[0] != 'X' && line[0] != '!' && line[0] != '?') return;
  std::lock_guard<std::mutex> lock(outLock_);
  if (!lastBoxText_.empty() && line.find(lastBoxText_) != std::string::npos) return;
  lastLogged_ = line;
  ClearProgressLine();
  std::fprintf(stderr, "%s\n", line.c_str());
  std::fflush(stderr);
}

void TTerminalHost::SetStatusText(const std::string& text) {
  std::lock_guard<std::mutex> lock(outLock_);
  status_ = text;
  std::replace(status_.begin(), status_.end(), '\t', ' ');
}

void TTerminalHost::SetProgress(int32_t position, int32_t maximum, int percent) {
  if (!terminalErr_) return;
  std::lock_guard<std::mutex> lock(outLock_);
  std::string line = std::to_string(percent) + "% " + status_;
  if (line.size() > 78) line = line.substr(0, 37) + "..." + line.substr(line.size() - 38);
  std::fprintf(stderr, "\r\x1b[K%s", line.c_str());
  std::fflush(stderr);
  progressShown_ = true;
}

void TTerminalHost::SetBusy(bool busy, bool) {
  if (busy) return;
  std::lock_guard<std::mutex> lock(outLock_);
  ClearProgressLine();
}

void TTerminalHost::ShowLog(bool) {
  std::lock_guard<std::mutex> lock(outLock_);
  ClearProgressLine();
  const std::string text = log_.Text("\n");
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fflush(stdout);
}

void TTerminalHost::ShowExceptionReport(const TZWExceptInfo& info) {
  std::vector<std::string> lines;
  BuildReport(lines, info);
  const std::string saved = SaveReportFile(info, platform::TempFolder());
  std::lock_guard<std::mutex> lock(outLock_);
  ClearProgressLine();
  for (const std::string& line : lines) std::fprintf(stderr, "%s\n", line.c_str());
  if (!saved.empty())
    std::fprintf(stderr, "This report is saved in \"%s\".\n", saved.c_str());
  std::fflush(stderr);
}

void TTerminalHost::RunUntil(const std::function<bool()>& done) {
  auto nextTick = std::chrono::steady_clock::now();
  while (!done()) {
    program_.DispatchEvents(std::chrono::milliseconds(50));
    if (form_) form_->PollInterrupt();
    if (form_ && form_->Busy() && std::chrono::steady_clock::now() >= nextTick) {
      form_->UpdateProgress();
      nextTick = std::chrono::steady_clock::now() + std::chrono::milliseconds(200);
    }
  }
}

int TTerminalHost::ShellOpen(const std::string& target, const std::string& workingFolder) {
  platform::OsError err;
  return platform::ShellOpen(target, workingFolder, err) ? 0 : (err.code != 0 ? err.code : 1);
}

}  // namespace zw
