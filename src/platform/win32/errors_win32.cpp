// Native errors on Windows: GetLastError codes.
#include <windows.h>

#include <cstdio>
#include <string>

#include "platform/errors.h"

namespace zw::platform {

int LastNativeError() { return static_cast<int>(GetLastError()); }

OsError OsError::AlreadyExists() { return FromNative(ERROR_FILE_EXISTS); }

ErrKind KindOfNative(int code) {
  switch (code) {
    case 0: return ErrKind::None;
    case ERROR_FILE_NOT_FOUND: return ErrKind::NotFound;            // 2
    case ERROR_PATH_NOT_FOUND: return ErrKind::PathNotFound;        // 3
    case ERROR_ACCESS_DENIED: return ErrKind::AccessDenied;         // 5
    case ERROR_WRITE_PROTECT: return ErrKind::WriteProtected;       // 19
    case ERROR_NOT_READY: return ErrKind::NotReady;                 // 21
    case ERROR_SHARING_VIOLATION: return ErrKind::SharingViolation; // 32
    case ERROR_HANDLE_DISK_FULL:                                    // 39
    case ERROR_DISK_FULL:                                           // 112
      return ErrKind::DiskFull;
    case ERROR_FILE_EXISTS:                                         // 80
    case ERROR_ALREADY_EXISTS:                                      // 183
      return ErrKind::AlreadyExists;
    case ERROR_INVALID_NAME:                                        // 123
    case ERROR_BAD_PATHNAME:                                        // 161
      return ErrKind::InvalidName;
    case ERROR_OPERATION_ABORTED:                                   // 995
    case ERROR_CANCELLED:                                           // 1223
      return ErrKind::Aborted;
    default: return ErrKind::Other;
  }
}

std::string SystemErrorText(int code) {
  char* text = nullptr;
  const DWORD n = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, static_cast<DWORD>(code), 0, reinterpret_cast<char*>(&text), 0, nullptr);
  std::string out;
  if (n != 0 && text != nullptr) out.assign(text, n);
  if (text != nullptr) LocalFree(text);
  while (!out.empty() && (out.back() == '\n' || out.back() == '\r' || out.back() == ' ')) out.pop_back();
  if (out.empty()) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "Unknown error %d", code);
    out = buffer;
  }
  return out;
}

}  // namespace zw::platform
