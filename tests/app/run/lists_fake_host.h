// A host for the list and size-edit tests: records what the rules ask of
// the screen and answers the folder picker from a queue.
#pragma once
#include <deque>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/host.h"

namespace zwtest {

class ListsFakeHost : public zw::IHost {
 public:
  // Answers of PickFolder, in order; an empty queue means "cancelled".
  std::deque<std::optional<std::string>> pickAnswers;
  // (title, initial folder) of every PickFolder call.
  std::vector<std::pair<std::string, std::string>> pickCalls;
  std::vector<zw::TControl> focused;
  std::vector<std::pair<zw::TFolderList, int32_t>> shownRows;
  int modelChanged = 0;

  int MessageBox(const std::string&, const std::string&, zw::TBoxStyle, uint16_t) override {
    ++unexpectedBoxes;
    return zw::ansOK;
  }
  int QuestionBox(const std::string&, const std::string&, zw::TBoxStyle, uint16_t,
                  int defaultAnswer) override {
    ++unexpectedBoxes;
    return defaultAnswer;
  }
  void MessageNotShown(const std::string&, const std::string&, zw::TBoxStyle) override {
    ++unexpectedBoxes;
  }
  std::optional<std::string> PickSaveFile(const std::string&, const std::string&, int&) override {
    return std::nullopt;
  }
  std::optional<std::string> PickOpenFile(const std::string&, const std::string&) override {
    return std::nullopt;
  }
  void ResultsChanged(bool, bool) override {}
  int CountdownBox(const zw::TCountdownRequest& r) override {
    ++unexpectedBoxes;
    return r.defaultIndex;
  }
  std::optional<std::string> PickFolder(const std::string& title,
                                        const std::string& initial) override {
    pickCalls.emplace_back(title, initial);
    if (pickAnswers.empty()) return std::nullopt;
    auto a = pickAnswers.front();
    pickAnswers.pop_front();
    return a;
  }
  void ShowPage(zw::TPage page) override { pages.push_back(page); }
  void FocusControl(zw::TControl control) override { focused.push_back(control); }
  void ShowFolderRow(zw::TFolderList list, int32_t row) override {
    shownRows.emplace_back(list, row);
  }
  void ModelChanged() override { ++modelChanged; }
  void SetStatusText(const std::string&) override {}
  void SetProgress(int32_t, int32_t, int) override {}
  void SetTitle(const std::string&) override {}
  void SetBusy(bool, bool) override {}
  void ShowLog(bool) override {}
  void SetClipboardText(const std::string&) override {}
  int ShellOpen(const std::string&, const std::string&) override { return 0; }
  void Close() override {}
  void RunUntil(const std::function<bool()>&) override {}

  // The rules speak through the messenger, never through boxes of their own.
  int unexpectedBoxes = 0;
  std::vector<zw::TPage> pages;
};

}  // namespace zwtest
