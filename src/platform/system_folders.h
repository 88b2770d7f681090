// What the stored settings need to know of the system: the folders a first
// start excludes from scans and the screen facts that keep a restored window
// reachable. (The program's own file and the administrator check are in
// process.h.)
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zw::platform {

// The folders whose files are no user data, in the order a first start adds
// them as excluded rows; only those that exist, without trailing separator.
// POSIX: /proc, /sys, /dev. Windows: the Windows folder (the shell's special
// folder, else the system's Windows directory) and the program-files folder
// (the shell's special folder, else %ProgramFiles%, else ProgramFilesDir of
// HKLM\Software\Microsoft\Windows\CurrentVersion).
std::vector<std::string> DefaultExcludeFolders();

// Screen facts in pixels for placing the main window.
struct DesktopMetrics {
  int32_t left = 0, top = 0, right = 0, bottom = 0;  // the virtual desktop
  int32_t screenWidth = 0, screenHeight = 0;          // the primary screen
  int32_t minWidth = 0, minHeight = 0;                // smallest window size
  int32_t captionHeight = 0;
  int32_t captionButtonWidth = 0;
  int32_t smallIconWidth = 0;
};
// Windows: GetSystemMetrics. POSIX: nullopt (no display connection).
std::optional<DesktopMetrics> GetDesktopMetrics();

}  // namespace zw::platform
