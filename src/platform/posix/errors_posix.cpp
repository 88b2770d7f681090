// Native errors on POSIX: errno values.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/errors.h"

namespace zw::platform {
namespace {

// strerror_r comes in two shapes: the XSI one returns int and fills the
// buffer, the GNU one returns a pointer that may or may not be the buffer.
[[maybe_unused]] const char* PickText(int result, const char* buffer) {
  return result == 0 ? buffer : nullptr;
}
[[maybe_unused]] const char* PickText(const char* result, const char*) { return result; }

}  // namespace

int LastNativeError() { return errno; }

OsError OsError::AlreadyExists() { return FromNative(EEXIST); }

ErrKind KindOfNative(int code) {
  switch (code) {
    case 0: return ErrKind::None;
    case ENOENT: return ErrKind::NotFound;
    case ENOTDIR: return ErrKind::PathNotFound;
    case EACCES:
    case EPERM:
    case EISDIR:  // opening a folder as a file: Windows says access denied
      return ErrKind::AccessDenied;
    case EROFS: return ErrKind::WriteProtected;
    case ENOSPC:
#ifdef EDQUOT
    case EDQUOT:
#endif
      return ErrKind::DiskFull;
    case EEXIST: return ErrKind::AlreadyExists;
    case ENAMETOOLONG:
    case EINVAL:
      return ErrKind::InvalidName;
    case EBUSY:
    case ETXTBSY:
      return ErrKind::SharingViolation;
    case EIO:
    case ENXIO:
#ifdef ENOMEDIUM
    case ENOMEDIUM:
#endif
      return ErrKind::NotReady;
    case ECANCELED: return ErrKind::Aborted;
    default: return ErrKind::Other;
  }
}

std::string SystemErrorText(int code) {
  char buffer[256];
  buffer[0] = '\0';
  const char* text = PickText(strerror_r(code, buffer, sizeof buffer), buffer);
  std::string out = text && *text ? text : "";
  if (out.empty()) {
    std::snprintf(buffer, sizeof buffer, "Unknown error %d", code);
    out = buffer;
  }
  while (!out.empty() && (out.back() == '\n' || out.back() == '\r' || out.back() == ' ')) out.pop_back();
  return out;
}

}  // namespace zw::platform
