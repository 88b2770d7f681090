// Everything the application asks of a screen. The Win32 window implements
// it with real controls; the terminal program prints and asks on the
// terminal; tests record every call and answer from a queue. Every operation
// is abstract: a new host says what it does for each, never silently
// nothing.
#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/window_model.h"
#include "engine/common/except_info.h"

namespace zw {

// Style of a message box: low nibble the buttons (0 OK, 1 OK/Cancel,
// 3 Yes/No/Cancel, 4 Yes/No), second nibble the icon (0x10 error,
// 0x20 question, 0x30 warning, 0x40 information).
using TBoxStyle = uint32_t;

// A question in the program's own box (countdown box), with its own button
// labels; the answer is the index of the chosen button.
struct TCountdownRequest {
  std::string caption;
  std::string text;
  std::vector<std::string> buttons;
  int defaultIndex = 0;
  int seconds = 0;       // 0: no countdown
  uint16_t iconId = 0;   // custom picture, 0 = the standard icon of `style`
  TBoxStyle style = 0;
};

class IHost {
 public:
  virtual ~IHost() = default;

  // --- boxes ---
  // A standard message box; returns the dialog result (1 OK, 2 Cancel,
  // 6 Yes, 7 No). `iconId` is a custom picture or 0.
  virtual int MessageBox(const std::string& text, const std::string& caption, TBoxStyle style,
                         uint16_t iconId) = 0;
  // A question in a standard message box, with the answer the caller gave as
  // its default (0: none). A window simply shows the box; a host that cannot
  // ask anyone answers with the default, or without one with the safe answer
  // (No, Cancel).
  virtual int QuestionBox(const std::string& text, const std::string& caption, TBoxStyle style,
                          uint16_t iconId, int defaultAnswer) = 0;
  // The program's own box with a countdown (seconds 0: none); returns the
  // chosen button's index.
  virtual int CountdownBox(const TCountdownRequest& request) = 0;
  // A message that would have been shown in a box had anybody attended the
  // run (it went to the scan log instead, as its log policy says). A window
  // has its log for that; a terminal says it, so that the reason a command
  // failed never sits in a log that nobody prints.
  virtual void MessageNotShown(const std::string& text, const std::string& caption,
                               TBoxStyle style) = 0;

  // --- pickers ---
  virtual std::optional<std::string> PickFolder(const std::string& title,
                                                const std::string& initial) = 0;
  // A file to write (export): `filter` in the "text|*.ext|text|*.ext" form,
  // `filterIndex` the chosen filter (1-based) in and out; with an overwrite
  // prompt, the path must exist. nullopt: cancelled.
  virtual std::optional<std::string> PickSaveFile(const std::string& title,
                                                  const std::string& filter, int& filterIndex) = 0;
  // An existing file to read (import). nullopt: cancelled.
  virtual std::optional<std::string> PickOpenFile(const std::string& title,
                                                  const std::string& filter) = 0;

  // --- pages, controls, rows ---
  virtual void ShowPage(TPage page) = 0;
  virtual void FocusControl(TControl control) = 0;
  // Scrolls a folder list so that the row is visible and selects it.
  virtual void ShowFolderRow(TFolderList list, int32_t row) = 0;
  // The model changed: redraw what shows it.
  virtual void ModelChanged() = 0;
  // The result list changed (entries, order, flags, focus): redraw it. With
  // `scrollToFocus` the focused row (TResultViewModel::focused) is brought
  // into sight, as the top row when `focusOnTop`.
  virtual void ResultsChanged(bool scrollToFocus = false, bool focusOnTop = false) = 0;

  // --- status and progress ---
  virtual void SetStatusText(const std::string& text) = 0;
  // A status text followed by a path: a window shortens the path in its
  // middle so that it fits the room the text leaves.
  virtual void SetStatusPath(const std::string& text, const std::string& path) = 0;
  virtual void SetProgress(int32_t position, int32_t maximum, int percent) = 0;
  virtual void SetTitle(const std::string& title) = 0;
  virtual void SetBusy(bool busy, bool listLocked) = 0;

  // --- the rest of the screen ---
  virtual void ShowLog(bool modal) = 0;
  // The report of an exception nobody handled (the error dialog; one at a
  // time: a report that comes while one is shown is not shown).
  virtual void ShowExceptionReport(const TZWExceptInfo& info) = 0;
  virtual void SetClipboardText(const std::string& text) = 0;
  // Opens a file or folder with its default handler, `workingFolder` as the
  // working folder (may be empty). 0 on success, else the system error code.
  virtual int ShellOpen(const std::string& target, const std::string& workingFolder) = 0;
  virtual void Close() = 0;

  // Runs the host's event loop until `done` returns true: worker events are
  // handled, the progress tick runs every 200 ms. Used by scripts that wait
  // for a scan.
  virtual void RunUntil(const std::function<bool()>& done) = 0;
};

}  // namespace zw
