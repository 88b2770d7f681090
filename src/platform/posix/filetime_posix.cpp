// Clock and time zone on POSIX.
//
// UtcToLocal and LocalToUtc use the UTC offset in force at the instant being
// converted (localtime_r's tm_gmtoff), so a summer date gets the summer
// offset even in winter. Windows' FileTimeToLocalFileTime instead applies the
// offset in force now; the two agree for instants in the current season.
#include <climits>
#include <cstdint>
#include <ctime>

#include "platform/filetime.h"

namespace zw::platform {
namespace {

constexpr FileTime kMaxFileTime = ~FileTime{0};

// Seconds east of UTC in force at the UTC instant `ft`; 0 when the C library
// cannot tell.
int64_t OffsetAt(FileTime ft) {
  // Floor division: times before 1970 give negative seconds.
  const int64_t secs =
      ft >= kUnixEpochFileTime
          ? static_cast<int64_t>((ft - kUnixEpochFileTime) / kTicksPerSecond)
          : -static_cast<int64_t>((kUnixEpochFileTime - ft + kTicksPerSecond - 1) / kTicksPerSecond);
  // Offsets change on quarter hours at the finest, so the answer is kept per
  // quarter hour: a scan meets the same few thousand quarters millions of
  // times, and localtime_r takes a lock on every call.
  struct Slot {
    int64_t quarter = INT64_MIN;
    int64_t offset = 0;
  };
  thread_local Slot cache[256];
  const int64_t quarter = secs >= 0 ? secs / 900 : -((-secs + 899) / 900);
  Slot& slot = cache[static_cast<uint64_t>(quarter) & 255];
  if (slot.quarter == quarter) return slot.offset;
  const time_t t = static_cast<time_t>(secs);
  struct tm parts {};
  if (localtime_r(&t, &parts) == nullptr) return 0;
  slot.quarter = quarter;
  slot.offset = parts.tm_gmtoff;
  return parts.tm_gmtoff;
}

FileTime AddSeconds(FileTime ft, int64_t seconds) {
  const int64_t delta = seconds * static_cast<int64_t>(kTicksPerSecond);
  if (delta < 0) {
    const FileTime d = static_cast<FileTime>(-delta);
    return ft < d ? 0 : ft - d;
  }
  const FileTime d = static_cast<FileTime>(delta);
  return ft > kMaxFileTime - d ? kMaxFileTime : ft + d;
}

}  // namespace

FileTime NowUtc() {
  struct timespec ts {};
  clock_gettime(CLOCK_REALTIME, &ts);
  return UnixToFileTime(ts.tv_sec, static_cast<uint32_t>(ts.tv_nsec));
}

FileTime UtcToLocal(FileTime utc) {
  return AddSeconds(utc, OffsetAt(utc));
}

FileTime LocalToUtc(FileTime local) {
  // Find u with u + offset(u) == local: start from the offset at `local`
  // read as UTC and correct once; near a change of offset this settles on
  // one of the two readings of a repeated hour, and moves a skipped hour on.
  const int64_t first = OffsetAt(local);
  const FileTime guess = AddSeconds(local, -first);
  const int64_t second = OffsetAt(guess);
  if (second == first) return guess;
  const FileTime other = AddSeconds(local, -second);
  if (OffsetAt(other) == second) return other;
  return guess;
}

}  // namespace zw::platform
