// The smallest window that can hand the program over to its uninstaller: a
// hidden top-level window that answers the uninstaller's window messages.
//
// The uninstaller asks with message 1167 whether the window is the
// program's (the answer is 142) and reports its own window with message
// 1168; then it is sent copy-data messages and finally message 1169. The
// main window answers the same messages itself; this window serves while
// no main window exists (the program without a window).
//
// POSIX has no such window: Create fails.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace zw::platform {

inline constexpr uint32_t kMsgUninstallerCheck = 1167;    // answered with 142
inline constexpr uint32_t kMsgUninstallerWindow = 1168;   // wParam: its window
inline constexpr uint32_t kMsgUninstallerStep = 1169;     // posted: go on
inline constexpr intptr_t kUninstallerCheckAnswer = 142;

class THandoverWindow {
 public:
  THandoverWindow();
  ~THandoverWindow();
  THandoverWindow(const THandoverWindow&) = delete;
  THandoverWindow& operator=(const THandoverWindow&) = delete;

  // Creates the hidden window with this caption. False on POSIX or failure.
  bool Create(const std::string& caption);
  // The window's handle as a number (what the uninstaller gets as its
  // parameter); 0 without a window.
  uintptr_t Handle() const;
  // Handles this thread's window messages until `done` says so or
  // `timeoutMs` passed. A 1168 message calls `onUninstallerWindow` with the
  // uninstaller's window. True when `done` said so.
  bool RunUntil(const std::function<bool()>& done, uint32_t timeoutMs);
  std::function<void(uintptr_t)> onUninstallerWindow;

  // To another window: a copy-data message (data identifier and bytes),
  // sent and waited for; and a posted message without parameters.
  static bool SendCopyData(uintptr_t to, uintptr_t from, uint32_t id,
                           const std::vector<uint8_t>& bytes);
  static bool PostToWindow(uintptr_t to, uint32_t message);

  struct Impl;

 private:
  std::unique_ptr<Impl> impl_;
};

}  // namespace zw::platform
