#include "platform/errors.h"

namespace zw::platform {

OsError OsError::FromNative(int nativeCode) {
  OsError e;
  e.code = nativeCode;
  e.kind = nativeCode == 0 ? ErrKind::None : KindOfNative(nativeCode);
  return e;
}

const char* ErrKindName(ErrKind kind) {
  switch (kind) {
    case ErrKind::None: return "none";
    case ErrKind::NotFound: return "not-found";
    case ErrKind::PathNotFound: return "path-not-found";
    case ErrKind::AccessDenied: return "access-denied";
    case ErrKind::WriteProtected: return "write-protected";
    case ErrKind::NotReady: return "not-ready";
    case ErrKind::SharingViolation: return "sharing-violation";
    case ErrKind::DiskFull: return "disk-full";
    case ErrKind::AlreadyExists: return "already-exists";
    case ErrKind::InvalidName: return "invalid-name";
    case ErrKind::Aborted: return "aborted";
    case ErrKind::Other: return "other";
  }
  return "other";
}

}  // namespace zw::platform
