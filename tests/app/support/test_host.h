// A scripted host for tests of the application layer: records every call in
// order and answers boxes and pickers from queues.
//
// Boxes (MessageBox, QuestionBox, CountdownBox) take their answers from
// `answers`, front first. With the queue empty, `onBox` decides when set;
// otherwise a box answers like a user pressing Enter: a message box its
// first button, a question box the caller's default (its first button when
// there is none), a countdown box its default index. Folder pickers take
// `folders`, file pickers `files` (empty queue: cancelled). ResultsChanged
// calls `onResultsChanged` (as a window resetting its rows would). RunUntil
// calls `onRunUntil` (when set) and polls `done` until it holds, at most
// `runUntilLimit` rounds of 1 ms. All calls may come from any thread.
#pragma once
#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "app/host.h"

namespace zwtest {

struct HostCall {
  enum Kind {
    MessageBox, MessageNotShown, QuestionBox, CountdownBox, PickFolder, ShowPage, FocusControl,
    ShowFolderRow, ModelChanged, SetStatusText, SetProgress, SetTitle, SetBusy, ShowLog,
    SetClipboardText, ShellOpen, PickSaveFile, PickOpenFile, ResultsChanged, Close, RunUntil,
    ShowExceptionReport,
  };
  explicit HostCall(Kind k) : kind(k) {}
  Kind kind;
  std::string text;       // box text, status text, title, clipboard text, shell target, picker title
  std::string caption;    // box caption, picker's initial folder or filter, working folder
  zw::TBoxStyle style = 0;
  uint16_t iconId = 0;
  int defaultAnswer = 0;  // QuestionBox: the caller's default (0 none)
  zw::TCountdownRequest request;  // CountdownBox
  int answer = 0;         // what the host answered (boxes)
  // Other arguments: page / control / list, row, progress position, maximum,
  // percent, busy, list locked, modal, filter index.
  int64_t a = 0, b = 0, c = 0;
};

class TestHost : public zw::IHost {
 public:
  std::deque<int> answers;
  std::function<int(const HostCall&)> onBox;
  std::deque<std::optional<std::string>> folders;
  int shellOpenResult = 0;  // 0 success, else a system error code
  // Answers of PickSaveFile / PickOpenFile, and the filter index
  // PickSaveFile reports as chosen (0: leave it as given).
  std::deque<std::optional<std::string>> files;
  int saveFilterIndex = 0;
  std::function<void()> onResultsChanged;
  std::function<void()> onRunUntil;
  int runUntilLimit = 60000;
  bool runUntilGaveUp = false;

  // --- boxes ---
  int MessageBox(const std::string& text, const std::string& caption, zw::TBoxStyle style,
                 uint16_t iconId) override {
    return Answer(Box(HostCall::MessageBox, text, caption, style, iconId), FirstButton(style));
  }
  void MessageNotShown(const std::string& text, const std::string& caption,
                       zw::TBoxStyle style) override {
    Push(Box(HostCall::MessageNotShown, text, caption, style, 0));
  }
  int QuestionBox(const std::string& text, const std::string& caption, zw::TBoxStyle style,
                  uint16_t iconId, int defaultAnswer) override {
    HostCall call = Box(HostCall::QuestionBox, text, caption, style, iconId);
    call.defaultAnswer = defaultAnswer;
    return Answer(std::move(call), defaultAnswer != 0 ? defaultAnswer : FirstButton(style));
  }
  int CountdownBox(const zw::TCountdownRequest& r) override {
    HostCall call = Box(HostCall::CountdownBox, r.text, r.caption, r.style, r.iconId);
    call.request = r;
    return Answer(std::move(call), r.defaultIndex);
  }

  // --- pickers ---
  std::optional<std::string> PickFolder(const std::string& title,
                                        const std::string& initial) override {
    Record(HostCall::PickFolder, title, 0, 0, 0, initial);
    return Pop(folders);
  }
  std::optional<std::string> PickSaveFile(const std::string& title, const std::string& filter,
                                          int& filterIndex) override {
    Record(HostCall::PickSaveFile, title, filterIndex, 0, 0, filter);
    if (saveFilterIndex != 0) filterIndex = saveFilterIndex;
    return Pop(files);
  }
  std::optional<std::string> PickOpenFile(const std::string& title,
                                          const std::string& filter) override {
    Record(HostCall::PickOpenFile, title, 0, 0, 0, filter);
    return Pop(files);
  }

  // --- pages, controls, rows, status and the rest ---
  void ShowPage(zw::TPage page) override { Record(HostCall::ShowPage, {}, int64_t(page)); }
  void FocusControl(zw::TControl c) override { Record(HostCall::FocusControl, {}, int64_t(c)); }
  void ShowFolderRow(zw::TFolderList list, int32_t row) override {
    Record(HostCall::ShowFolderRow, {}, int64_t(list), row);
  }
  void ModelChanged() override { Record(HostCall::ModelChanged); }
  void ResultsChanged(bool scrollToFocus, bool focusOnTop) override {
    Record(HostCall::ResultsChanged, {}, scrollToFocus, focusOnTop);
    if (onResultsChanged) onResultsChanged();
  }
  void SetStatusText(const std::string& text) override { Record(HostCall::SetStatusText, text); }
  void SetStatusPath(const std::string& text, const std::string& path) override {
    Record(HostCall::SetStatusText, text + path);
  }
  void SetProgress(int32_t position, int32_t maximum, int percent) override {
    Record(HostCall::SetProgress, {}, position, maximum, percent);
  }
  void SetTitle(const std::string& title) override { Record(HostCall::SetTitle, title); }
  void SetBusy(bool busy, bool locked) override { Record(HostCall::SetBusy, {}, busy, locked); }
  void ShowLog(bool modal) override { Record(HostCall::ShowLog, {}, modal); }
  // Records the report's message and state line.
  void ShowExceptionReport(const zw::TZWExceptInfo& info) override {
    Record(HostCall::ShowExceptionReport, info.Message, 0, 0, 0, info.State);
  }
  void SetClipboardText(const std::string& t) override { Record(HostCall::SetClipboardText, t); }
  int ShellOpen(const std::string& target, const std::string& workingFolder) override {
    Record(HostCall::ShellOpen, target, 0, 0, 0, workingFolder);
    return shellOpenResult;
  }
  void Close() override { Record(HostCall::Close); }
  void RunUntil(const std::function<bool()>& done) override {
    Record(HostCall::RunUntil);
    for (int i = 0; i < runUntilLimit; ++i) {
      if (onRunUntil) onRunUntil();
      if (done()) return;
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    runUntilGaveUp = true;
  }

  // --- what happened ---
  std::vector<HostCall> Calls() const {
    std::lock_guard<std::mutex> lock(mu_);
    return calls_;
  }
  std::vector<HostCall> CallsOf(HostCall::Kind kind) const {
    return Where([kind](const HostCall& c) { return c.kind == kind; });
  }
  // Message, question and countdown boxes, in order.
  std::vector<HostCall> Boxes() const {
    return Where([](const HostCall& c) {
      return c.kind == HostCall::MessageBox || c.kind == HostCall::QuestionBox ||
             c.kind == HostCall::CountdownBox;
    });
  }
  // The controls focused, in order.
  std::vector<zw::TControl> Focused() const {
    std::vector<zw::TControl> out;
    for (const auto& c : CallsOf(HostCall::FocusControl)) out.push_back(zw::TControl(c.a));
    return out;
  }
  size_t Count(HostCall::Kind kind) const { return CallsOf(kind).size(); }
  void Clear() {
    std::lock_guard<std::mutex> lock(mu_);
    calls_.clear();
  }

  // The first button's answer of a message-box style (1 OK, 6 Yes).
  static int FirstButton(zw::TBoxStyle style) {
    const auto buttons = style & 0x0F;
    return buttons == 3 || buttons == 4 ? 6 : 1;
  }

 private:
  static HostCall Box(HostCall::Kind kind, const std::string& text, const std::string& caption,
                      zw::TBoxStyle style, uint16_t iconId) {
    HostCall call{kind};
    call.text = text;
    call.caption = caption;
    call.style = style;
    call.iconId = iconId;
    return call;
  }
  int Answer(HostCall call, int fallback) {
    std::function<int(const HostCall&)> decide;
    int answer = fallback;
    {
      std::lock_guard<std::mutex> lock(mu_);
      if (!answers.empty()) {
        answer = answers.front();
        answers.pop_front();
      } else {
        decide = onBox;
      }
    }
    if (decide) answer = decide(call);  // outside the lock: it may call back
    call.answer = answer;
    Push(std::move(call));
    return answer;
  }
  std::optional<std::string> Pop(std::deque<std::optional<std::string>>& queue) {
    std::lock_guard<std::mutex> lock(mu_);
    if (queue.empty()) return std::nullopt;
    auto out = queue.front();
    queue.pop_front();
    return out;
  }
  void Record(HostCall::Kind kind, std::string text = {}, int64_t a = 0, int64_t b = 0,
              int64_t c = 0, std::string caption = {}) {
    HostCall call = Box(kind, text, caption, 0, 0);
    call.a = a;
    call.b = b;
    call.c = c;
    Push(std::move(call));
  }
  void Push(HostCall call) {
    std::lock_guard<std::mutex> lock(mu_);
    calls_.push_back(std::move(call));
  }
  template <class Pred>
  std::vector<HostCall> Where(Pred pred) const {
    std::vector<HostCall> out;
    for (const auto& c : Calls())
      if (pred(c)) out.push_back(c);
    return out;
  }

  mutable std::mutex mu_;
  std::vector<HostCall> calls_;
};

}  // namespace zwtest
