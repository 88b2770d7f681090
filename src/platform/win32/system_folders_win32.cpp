#include <windows.h>
#include <shlobj.h>

#include <cstdlib>

#include "platform/files.h"
#include "platform/paths.h"
#include "platform/registry.h"
#include "platform/system_folders.h"

namespace zw::platform {

namespace {

std::string ShellFolder(int csidl) {
  char path[MAX_PATH] = {};
  if (SUCCEEDED(SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path))) return path;
  return {};
}

}  // namespace

std::vector<std::string> DefaultExcludeFolders() {
  std::string windows = ShellFolder(CSIDL_WINDOWS);
  if (windows.empty()) {
    char path[MAX_PATH] = {};
    const UINT n = GetWindowsDirectoryA(path, MAX_PATH);
    if (n > 0 && n < MAX_PATH) windows.assign(path, n);
  }
  std::string programs = ShellFolder(CSIDL_PROGRAM_FILES);
  if (programs.empty()) {
    if (const char* env = std::getenv("ProgramFiles")) programs = env;
  }
  if (programs.empty()) {
    RegKey key;
    if (key.Open(RegRoot::LocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion",
                 RegAccess::Read))
      programs = key.ReadString("ProgramFilesDir").value_or("");
  }
  std::vector<std::string> folders;
  for (const std::string& folder : {windows, programs}) {
    if (!folder.empty()) folders.push_back(ExcludeTrailingSep(folder));
  }
  return folders;
}

std::optional<DesktopMetrics> GetDesktopMetrics() {
  DesktopMetrics m;
  m.left = GetSystemMetrics(SM_XVIRTUALSCREEN);
  m.top = GetSystemMetrics(SM_YVIRTUALSCREEN);
  m.right = m.left + GetSystemMetrics(SM_CXVIRTUALSCREEN);
  m.bottom = m.top + GetSystemMetrics(SM_CYVIRTUALSCREEN);
  m.screenWidth = GetSystemMetrics(SM_CXSCREEN);
  m.screenHeight = GetSystemMetrics(SM_CYSCREEN);
  m.minWidth = GetSystemMetrics(SM_CXMIN);
  m.minHeight = GetSystemMetrics(SM_CYMIN);
  m.captionHeight = GetSystemMetrics(SM_CYCAPTION);
  m.captionButtonWidth = GetSystemMetrics(SM_CXSIZE);
  m.smallIconWidth = GetSystemMetrics(SM_CXSMICON);
  return m;
}

}  // namespace zw::platform
