// Opening a file with its default program on Windows: the shell's default
// verb, shown normally.
#include <windows.h>
#include <shellapi.h>

#include "platform/shell.h"

namespace zw::platform {

bool ShellOpen(const std::string& target, const std::string& workingFolder, OsError& err) {
  err = {};
  HINSTANCE result = ShellExecuteA(nullptr, nullptr, target.c_str(), nullptr,
                                   workingFolder.empty() ? nullptr : workingFolder.c_str(),
                                   SW_SHOW);
  INT_PTR code = reinterpret_cast<INT_PTR>(result);
  if (code > 32) return true;
  // Values of 32 and below are the shell's error codes; most are Windows
  // error numbers, the rest are told apart by GetLastError.
  int native = GetLastError();
  if (native == 0) native = code == 0 ? ERROR_NOT_ENOUGH_MEMORY : static_cast<int>(code);
  err = OsError::FromNative(native);
  return false;
}

}  // namespace zw::platform
