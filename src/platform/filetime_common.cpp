// Calendar split/join of FILETIME values and DOS date/time words.
//
// Pure arithmetic on the proleptic Gregorian calendar, so both platforms give
// the same answer to the millisecond; no call into the operating system.
#include "platform/filetime.h"

namespace zw::platform {
namespace {

constexpr uint64_t kTicksPerDay = 24ULL * 3600ULL * kTicksPerSecond;
constexpr uint64_t kDaysPer400Years = 146097;
constexpr uint64_t kDaysPer100Years = 36524;  // a century not ending a 400-year cycle
constexpr uint64_t kDaysPer4Years = 1461;
// The latest year a SYSTEMTIME may carry for the conversion to a FILETIME.
constexpr unsigned kMaxJoinYear = 30827;

constexpr uint16_t kDaysBeforeMonth[2][13] = {
    {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334, 365},
    {0, 31, 60, 91, 121, 152, 182, 213, 244, 274, 305, 335, 366},
};

// Days from 1601-01-01 to the first of January of `year` (year >= 1601).
uint64_t DaysBeforeYear(unsigned year) {
  const uint64_t y = year - 1601;
  return y * 365 + y / 4 - y / 100 + y / 400;
}

}  // namespace

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
  const int leap = IsLeapYear(year) ? 1 : 0;
  return kDaysBeforeMonth[leap][month] - kDaysBeforeMonth[leap][month - 1];
}

SystemTime SplitFileTime(FileTime ft) {
  SystemTime st;
  uint64_t days = ft / kTicksPerDay;
  uint64_t rest = ft % kTicksPerDay;

  st.dayOfWeek = static_cast<uint16_t>((days + 1) % 7);  // 1601-01-01 was a Monday

  st.milliseconds = static_cast<uint16_t>(rest / kTicksPerMillisecond % 1000);
  rest /= kTicksPerSecond;
  st.second = static_cast<uint16_t>(rest % 60);
  rest /= 60;
  st.minute = static_cast<uint16_t>(rest % 60);
  st.hour = static_cast<uint16_t>(rest / 60);

  // 1601 starts a 400-year cycle; its last century and the last year of
  // each four-year block carry the extra day.
  const uint64_t n400 = days / kDaysPer400Years;
  days %= kDaysPer400Years;
  uint64_t n100 = days / kDaysPer100Years;
  if (n100 == 4) n100 = 3;
  days -= n100 * kDaysPer100Years;
  const uint64_t n4 = days / kDaysPer4Years;
  days %= kDaysPer4Years;
  uint64_t n1 = days / 365;
  if (n1 == 4) n1 = 3;
  days -= n1 * 365;

  const uint64_t year = 1601 + 400 * n400 + 100 * n100 + 4 * n4 + n1;
  st.year = static_cast<uint16_t>(year);
  const int leap = IsLeapYear(year) ? 1 : 0;
  unsigned month = 1;
  while (month < 12 && days >= kDaysBeforeMonth[leap][month]) ++month;
  st.month = static_cast<uint16_t>(month);
  st.day = static_cast<uint16_t>(days - kDaysBeforeMonth[leap][month - 1] + 1);
  return st;
}

bool JoinFileTime(const SystemTime& st, FileTime& ft) {
  if (st.year < 1601 || st.year > kMaxJoinYear) return false;
  if (st.month < 1 || st.month > 12) return false;
  if (st.day < 1 || st.day > DaysInMonth(st.year, st.month)) return false;
  if (st.hour > 23 || st.minute > 59 || st.second > 59 || st.milliseconds > 999) return false;

  const int leap = IsLeapYear(st.year) ? 1 : 0;
  const uint64_t days = DaysBeforeYear(st.year) + kDaysBeforeMonth[leap][st.month - 1] + (st.day - 1u);
  const uint64_t seconds = ((days * 24 + st.hour) * 60 + st.minute) * 60 + st.second;
  ft = seconds * kTicksPerSecond + uint64_t{st.milliseconds} * kTicksPerMillisecond;
  return true;
}

// DOS date: bits 0-4 day, 5-8 month, 9-15 years since 1980.
// DOS time: bits 0-4 seconds / 2, 5-10 minute, 11-15 hour.
bool DosDateTimeToFileTime(uint16_t dosDate, uint16_t dosTime, FileTime& ft) {
  SystemTime st;
  st.year = static_cast<uint16_t>(1980 + (dosDate >> 9));
  st.month = static_cast<uint16_t>((dosDate >> 5) & 0x0F);
  st.day = static_cast<uint16_t>(dosDate & 0x1F);
  st.hour = static_cast<uint16_t>(dosTime >> 11);
  st.minute = static_cast<uint16_t>((dosTime >> 5) & 0x3F);
  st.second = static_cast<uint16_t>((dosTime & 0x1F) * 2);
  st.milliseconds = 0;
  return JoinFileTime(st, ft);  // rejects month 0/13+, day 0 or past the month, hour 24+, ...
}

bool FileTimeToDosDateTime(FileTime ft, uint16_t& dosDate, uint16_t& dosTime) {
  const SystemTime st = SplitFileTime(ft);
  if (st.year < 1980 || st.year > 1980 + 127) return false;
  dosDate = static_cast<uint16_t>(((st.year - 1980) << 9) | (st.month << 5) | st.day);
  dosTime = static_cast<uint16_t>((st.hour << 11) | (st.minute << 5) | (st.second / 2));
  return true;
}

}  // namespace zw::platform
