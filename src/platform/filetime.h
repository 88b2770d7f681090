// File times: FILETIME values (100 ns units since 1601-01-01) on every platform,
// with UTC <-> local conversion, calendar split/join and DOS date/time.
#pragma once
#include <cstdint>

namespace zw::platform {

using FileTime = uint64_t;

// 100 ns ticks between 1601-01-01 and 1970-01-01.
constexpr FileTime kUnixEpochFileTime = 116444736000000000ULL;
constexpr FileTime kTicksPerSecond = 10000000ULL;
constexpr FileTime kTicksPerMillisecond = 10000ULL;

struct SystemTime {  // the fields of a Windows SYSTEMTIME
  uint16_t year = 1601;
  uint16_t month = 1;       // 1..12
  uint16_t dayOfWeek = 0;   // 0 = Sunday
  uint16_t day = 1;         // 1..31
  uint16_t hour = 0;
  uint16_t minute = 0;
  uint16_t second = 0;
  uint16_t milliseconds = 0;
};

// Current time, UTC.
FileTime NowUtc();
// UTC <-> local time of this machine's time zone. Windows applies the
// offset in force now (FileTimeToLocalFileTime); POSIX the offset in force at
// the instant converted (so a July time gets summer time in any season).
FileTime UtcToLocal(FileTime utc);
FileTime LocalToUtc(FileTime local);

// The proleptic Gregorian calendar: leap years and the days of a month
// (1..12).
bool IsLeapYear(int year);
int DaysInMonth(int year, int month);

// Calendar split and join; exact to the millisecond (sub-millisecond ticks
// are dropped by Split and zero after Join). Join returns false for fields
// out of range.
SystemTime SplitFileTime(FileTime ft);
bool JoinFileTime(const SystemTime& st, FileTime& ft);

// MS-DOS date/time words (as stored in ZIP archives) <-> FILETIME without
// any time-zone conversion. Invalid DOS fields give false.
bool DosDateTimeToFileTime(uint16_t dosDate, uint16_t dosTime, FileTime& ft);
bool FileTimeToDosDateTime(FileTime ft, uint16_t& dosDate, uint16_t& dosTime);

// Unix seconds <-> FILETIME.
inline FileTime UnixToFileTime(int64_t seconds, uint32_t nanoseconds = 0) {
  return static_cast<FileTime>(seconds * static_cast<int64_t>(kTicksPerSecond) +
                               static_cast<int64_t>(kUnixEpochFileTime)) +
         nanoseconds / 100;
}

}  // namespace zw::platform
