// Errors of the operating system, carried with their native code.
//
// Every failure keeps the native code (a Windows error number or an errno
// value) for the "I/O-Error %d" texts and the system's own message, plus a
// portable kind that callers branch on.
#pragma once
#include <string>

namespace zw::platform {

enum class ErrKind {
  None,
  NotFound,          // the file does not exist
  PathNotFound,      // a folder on the way does not exist
  AccessDenied,
  WriteProtected,
  NotReady,          // drive or medium not ready
  SharingViolation,  // the file is open elsewhere without sharing
  DiskFull,
  AlreadyExists,
  InvalidName,
  Aborted,
  Other,
};

struct OsError {
  int code = 0;                  // native code; 0 = no error
  ErrKind kind = ErrKind::None;

  explicit operator bool() const { return code != 0; }
  static OsError FromNative(int nativeCode);
  // The error this system reports for "a file of that name exists already".
  static OsError AlreadyExists();
};

// The calling thread's last native error (GetLastError / errno).
int LastNativeError();
// Maps a native code to its portable kind.
ErrKind KindOfNative(int nativeCode);
// The system's own text for a native code, without trailing line breaks.
std::string SystemErrorText(int nativeCode);
// A short stable name for a kind ("not-found", ...), for logs and tests.
const char* ErrKindName(ErrKind kind);

}  // namespace zw::platform
