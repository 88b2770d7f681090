// Clock and time zone on Windows: FileTimeToLocalFileTime and its inverse
// apply the time zone's offset in force now (not the one of the instant).
#include <windows.h>

#include "platform/filetime.h"

namespace zw::platform {
namespace {

FILETIME ToNative(FileTime ft) {
  FILETIME f;
  f.dwLowDateTime = static_cast<DWORD>(ft);
  f.dwHighDateTime = static_cast<DWORD>(ft >> 32);
  return f;
}

FileTime FromNative(const FILETIME& f) {
  return (static_cast<FileTime>(f.dwHighDateTime) << 32) | f.dwLowDateTime;
}

}  // namespace

FileTime NowUtc() {
  FILETIME f;
  GetSystemTimeAsFileTime(&f);
  return FromNative(f);
}

FileTime UtcToLocal(FileTime utc) {
  const FILETIME in = ToNative(utc);
  FILETIME out;
  if (!FileTimeToLocalFileTime(&in, &out)) return utc;
  return FromNative(out);
}

FileTime LocalToUtc(FileTime local) {
  const FILETIME in = ToNative(local);
  FILETIME out;
  if (!LocalFileTimeToFileTime(&in, &out)) return local;
  return FromNative(out);
}

}  // namespace zw::platform
