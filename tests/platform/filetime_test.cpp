#include "platform/filetime.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <random>
#include <string>

#ifdef _WIN32
#include <windows.h>
#endif

namespace zw::platform {
namespace {

constexpr FileTime kTicksPerDay = 864000000000ULL;

SystemTime Make(int y, int mo, int d, int h = 0, int mi = 0, int s = 0, int ms = 0) {
  SystemTime st;
  st.year = static_cast<uint16_t>(y);
  st.month = static_cast<uint16_t>(mo);
  st.day = static_cast<uint16_t>(d);
  st.hour = static_cast<uint16_t>(h);
  st.minute = static_cast<uint16_t>(mi);
  st.second = static_cast<uint16_t>(s);
  st.milliseconds = static_cast<uint16_t>(ms);
  return st;
}

bool SameFields(const SystemTime& a, const SystemTime& b) {
  return a.year == b.year && a.month == b.month && a.day == b.day && a.hour == b.hour &&
         a.minute == b.minute && a.second == b.second && a.milliseconds == b.milliseconds;
}

std::string Show(const SystemTime& st) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%04u-%02u-%02u %02u:%02u:%02u.%03u dow%u", st.year, st.month, st.day,
                st.hour, st.minute, st.second, st.milliseconds, st.dayOfWeek);
  return buf;
}

bool Leap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int MonthDays(int y, int m) {
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && Leap(y) ? 29 : kDays[m - 1];
}

// Sakamoto's day of the week, 0 = Sunday: an independent check of Split.
int DayOfWeek(int y, int m, int d) {
  static const int t[] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
  if (m < 3) y -= 1;
  return (y + y / 4 - y / 100 + y / 400 + t[m - 1] + d) % 7;
}

// ---------------------------------------------------------------- split/join

TEST(CalendarSplit, KnownInstantsGiveTheirFields) {
  const SystemTime origin = SplitFileTime(0);
  EXPECT_TRUE(SameFields(origin, Make(1601, 1, 1))) << Show(origin);
  EXPECT_EQ(origin.dayOfWeek, 1);  // a Monday

  const SystemTime unix = SplitFileTime(kUnixEpochFileTime);
  EXPECT_TRUE(SameFields(unix, Make(1970, 1, 1))) << Show(unix);
  EXPECT_EQ(unix.dayOfWeek, 4);  // a Thursday

  const SystemTime leapDay = SplitFileTime(125963012967890000ULL);
  EXPECT_TRUE(SameFields(leapDay, Make(2000, 2, 29, 12, 34, 56, 789))) << Show(leapDay);
  EXPECT_EQ(leapDay.dayOfWeek, 2);

  const SystemTime last = SplitFileTime(2650467743999999999ULL);  // last tick of 9999
  EXPECT_TRUE(SameFields(last, Make(9999, 12, 31, 23, 59, 59, 999))) << Show(last);
  EXPECT_EQ(last.dayOfWeek, 5);
}

TEST(CalendarSplit, DropsTicksBelowOneMillisecond) {
  const SystemTime st = SplitFileTime(kUnixEpochFileTime + 12345678);  // 1.2345678 s
  EXPECT_EQ(st.second, 1);
  EXPECT_EQ(st.milliseconds, 234);
}

TEST(CalendarSplit, EveryDayFollowsItsPredecessorFrom1601To2500) {
  SystemTime prev = SplitFileTime(0);
  const FileTime days = 329000;  // past the year 2500
  for (FileTime n = 1; n < days; ++n) {
    const SystemTime st = SplitFileTime(n * kTicksPerDay + kTicksPerDay - 1);
    SystemTime want = prev;
    if (prev.day < MonthDays(prev.year, prev.month)) {
      want.day = static_cast<uint16_t>(prev.day + 1);
    } else if (prev.month < 12) {
      want.day = 1;
      want.month = static_cast<uint16_t>(prev.month + 1);
    } else {
      want.day = 1;
      want.month = 1;
      want.year = static_cast<uint16_t>(prev.year + 1);
    }
    ASSERT_TRUE(st.year == want.year && st.month == want.month && st.day == want.day)
        << "day " << n << ": got " << Show(st) << " after " << Show(prev);
    ASSERT_EQ(st.hour, 23);
    ASSERT_EQ(st.milliseconds, 999);
    ASSERT_EQ(st.dayOfWeek, DayOfWeek(st.year, st.month, st.day)) << Show(st);
    prev = st;
  }
  EXPECT_GE(prev.year, 2500);
}

TEST(CalendarJoin, KnownFieldsGiveTheirInstants) {
  FileTime ft = 1;
  ASSERT_TRUE(JoinFileTime(Make(1601, 1, 1), ft));
  EXPECT_EQ(ft, 0u);
  ASSERT_TRUE(JoinFileTime(Make(1970, 1, 1), ft));
  EXPECT_EQ(ft, kUnixEpochFileTime);
  ASSERT_TRUE(JoinFileTime(Make(2000, 2, 29, 12, 34, 56, 789), ft));
  EXPECT_EQ(ft, 125963012967890000ULL);
  ASSERT_TRUE(JoinFileTime(Make(9999, 12, 31, 23, 59, 59, 999), ft));
  EXPECT_EQ(ft, 2650467743999990000ULL);
}

TEST(CalendarJoin, IgnoresTheDayOfWeekField) {
  SystemTime st = Make(2021, 6, 15, 13, 45, 58);
  st.dayOfWeek = 6;  // wrong on purpose: the 15th was a Tuesday
  FileTime ft = 0;
  ASSERT_TRUE(JoinFileTime(st, ft));
  EXPECT_EQ(ft, 132682383580000000ULL);
}

TEST(CalendarJoin, RejectsFieldsOutOfRange) {
  const SystemTime bad[] = {
      Make(1600, 12, 31),         Make(30828, 1, 1),  Make(2001, 0, 1),
      Make(2001, 13, 1),          Make(2001, 1, 0),   Make(2001, 1, 32),
      Make(2001, 4, 31),          Make(2001, 2, 29),  Make(1900, 2, 29),
      Make(2100, 2, 29),          Make(1700, 2, 29),  Make(2001, 1, 1, 24),
      Make(2001, 1, 1, 0, 60),    Make(2001, 1, 1, 0, 0, 60),
      Make(2001, 1, 1, 0, 0, 0, 1000),
  };
  for (const SystemTime& st : bad) {
    FileTime ft = 77;
    EXPECT_FALSE(JoinFileTime(st, ft)) << Show(st);
  }
}

TEST(CalendarJoin, AcceptsLeapDaysOfLeapYearsAndTheRangeEdges) {
  const SystemTime good[] = {Make(2000, 2, 29), Make(2024, 2, 29), Make(1604, 2, 29),
                             Make(1601, 1, 1), Make(30827, 12, 31, 23, 59, 59, 999)};
  for (const SystemTime& st : good) {
    FileTime ft = 0;
    EXPECT_TRUE(JoinFileTime(st, ft)) << Show(st);
  }
}

TEST(CalendarRoundTrip, RandomFieldsSurviveJoinAndSplit) {
  std::mt19937_64 rng(20240229);
  for (int i = 0; i < 200000; ++i) {
    // Half the draws from the narrow band of usual dates, half from all years.
    const int year = i % 2 == 0 ? 1601 + static_cast<int>(rng() % (30827 - 1601 + 1))
                                : 1980 + static_cast<int>(rng() % 150);
    const int month = 1 + static_cast<int>(rng() % 12);
    const int day = 1 + static_cast<int>(rng() % MonthDays(year, month));
    const SystemTime st = Make(year, month, day, static_cast<int>(rng() % 24), static_cast<int>(rng() % 60),
                               static_cast<int>(rng() % 60), static_cast<int>(rng() % 1000));
    FileTime ft = 0;
    ASSERT_TRUE(JoinFileTime(st, ft)) << Show(st);
    const SystemTime back = SplitFileTime(ft);
    ASSERT_TRUE(SameFields(back, st)) << Show(st) << " came back as " << Show(back);
    ASSERT_EQ(back.dayOfWeek, DayOfWeek(year, month, day)) << Show(back);
  }
}

TEST(CalendarRoundTrip, RandomInstantsComeBackToTheMillisecond) {
  std::mt19937_64 rng(16010101);
  FileTime limit = 0;
  ASSERT_TRUE(JoinFileTime(Make(30827, 12, 31, 23, 59, 59, 999), limit));
  for (int i = 0; i < 200000; ++i) {
    const FileTime ft = rng() % (limit + 1);
    FileTime back = 0;
    ASSERT_TRUE(JoinFileTime(SplitFileTime(ft), back)) << ft;
    ASSERT_EQ(back, ft - ft % kTicksPerMillisecond);
  }
}

#ifdef _WIN32
TEST(CalendarRoundTrip, AgreesWithTheSystemConversions) {
  std::mt19937_64 rng(777);
  FileTime limit = 0;  // the last instant a SYSTEMTIME may name
  ASSERT_TRUE(JoinFileTime(Make(30827, 12, 31, 23, 59, 59, 999), limit));
  for (int i = 0; i < 50000; ++i) {
    const FileTime ft = rng() % (limit + 1);
    FILETIME f;
    f.dwLowDateTime = static_cast<DWORD>(ft);
    f.dwHighDateTime = static_cast<DWORD>(ft >> 32);
    SYSTEMTIME sys;
    ASSERT_TRUE(FileTimeToSystemTime(&f, &sys));
    const SystemTime ours = SplitFileTime(ft);
    ASSERT_TRUE(ours.year == sys.wYear && ours.month == sys.wMonth && ours.day == sys.wDay &&
                ours.hour == sys.wHour && ours.minute == sys.wMinute && ours.second == sys.wSecond &&
                ours.milliseconds == sys.wMilliseconds && ours.dayOfWeek == sys.wDayOfWeek)
        << ft << ": " << Show(ours);
    FILETIME back;
    ASSERT_TRUE(SystemTimeToFileTime(&sys, &back));
    FileTime joined = 0;
    ASSERT_TRUE(JoinFileTime(ours, joined));
    ASSERT_EQ(joined, (static_cast<FileTime>(back.dwHighDateTime) << 32) | back.dwLowDateTime);
  }
}
#endif

// ---------------------------------------------------------------- DOS

uint16_t DosDate(int y, int m, int d) { return static_cast<uint16_t>(((y - 1980) << 9) | (m << 5) | d); }
uint16_t DosTime(int h, int m, int twoSeconds) {
  return static_cast<uint16_t>((h << 11) | (m << 5) | twoSeconds);
}

TEST(DosDateTime, DecodesYearFrom1980AndSecondsTimesTwo) {
  FileTime ft = 0;
  ASSERT_TRUE(DosDateTimeToFileTime(DosDate(2021, 6, 15), DosTime(13, 45, 29), ft));
  EXPECT_EQ(ft, 132682383580000000ULL);  // 2021-06-15 13:45:58
  ASSERT_TRUE(DosDateTimeToFileTime(DosDate(1980, 1, 1), 0, ft));
  EXPECT_TRUE(SameFields(SplitFileTime(ft), Make(1980, 1, 1)));
  ASSERT_TRUE(DosDateTimeToFileTime(DosDate(2107, 12, 31), DosTime(23, 59, 29), ft));
  EXPECT_TRUE(SameFields(SplitFileTime(ft), Make(2107, 12, 31, 23, 59, 58)));
}

TEST(DosDateTime, RejectsInvalidFields) {
  struct Case {
    uint16_t date, time;
    const char* what;
  } cases[] = {
      {DosDate(2000, 0, 1), 0, "month 0"},
      {DosDate(2000, 13, 1), 0, "month 13"},
      {DosDate(2000, 15, 1), 0, "month 15"},
      {DosDate(2000, 1, 0), 0, "day 0"},
      {DosDate(2001, 2, 29), 0, "Feb 29 of a common year"},
      {DosDate(2000, 4, 31), 0, "April 31"},
      {DosDate(2000, 1, 1), DosTime(24, 0, 0), "hour 24"},
      {DosDate(2000, 1, 1), DosTime(31, 0, 0), "hour 31"},
      {DosDate(2000, 1, 1), DosTime(0, 60, 0), "minute 60"},
      {DosDate(2000, 1, 1), DosTime(0, 63, 0), "minute 63"},
      {DosDate(2000, 1, 1), DosTime(0, 0, 30), "second 60"},
      {DosDate(2000, 1, 1), DosTime(0, 0, 31), "second 62"},
      {0, 0, "all zero"},
  };
  for (const Case& c : cases) {
    FileTime ft = 5;
    EXPECT_FALSE(DosDateTimeToFileTime(c.date, c.time, ft)) << c.what;
  }
  FileTime ft = 0;
  EXPECT_TRUE(DosDateTimeToFileTime(DosDate(2000, 2, 29), DosTime(23, 59, 29), ft));
}

TEST(DosDateTime, RoundTripsEveryValidRandomField) {
  std::mt19937 rng(1980);
  for (int i = 0; i < 100000; ++i) {
    const int y = 1980 + static_cast<int>(rng() % 128);
    const int m = 1 + static_cast<int>(rng() % 12);
    const int d = 1 + static_cast<int>(rng() % MonthDays(y, m));
    const uint16_t date = DosDate(y, m, d);
    const uint16_t time = DosTime(static_cast<int>(rng() % 24), static_cast<int>(rng() % 60),
                                  static_cast<int>(rng() % 30));
    FileTime ft = 0;
    ASSERT_TRUE(DosDateTimeToFileTime(date, time, ft)) << y << "-" << m << "-" << d;
    uint16_t date2 = 0, time2 = 0;
    ASSERT_TRUE(FileTimeToDosDateTime(ft, date2, time2));
    ASSERT_EQ(date2, date);
    ASSERT_EQ(time2, time);
  }
}

TEST(DosDateTime, EncodingTruncatesToEvenSecondsAndRefusesYearsOutsideTheRange) {
  FileTime ft = 0;
  ASSERT_TRUE(JoinFileTime(Make(2010, 7, 4, 8, 9, 11, 999), ft));
  uint16_t date = 0, time = 0;
  ASSERT_TRUE(FileTimeToDosDateTime(ft, date, time));
  EXPECT_EQ(date, DosDate(2010, 7, 4));
  EXPECT_EQ(time, DosTime(8, 9, 5));  // 11.999 s -> 10 s

  ASSERT_TRUE(JoinFileTime(Make(1979, 12, 31, 23, 59, 59), ft));
  EXPECT_FALSE(FileTimeToDosDateTime(ft, date, time));
  ASSERT_TRUE(JoinFileTime(Make(2108, 1, 1), ft));
  EXPECT_FALSE(FileTimeToDosDateTime(ft, date, time));
}

#ifdef _WIN32
TEST(DosDateTime, AgreesWithTheSystemConversion) {
  std::mt19937 rng(42);
  for (int i = 0; i < 50000; ++i) {
    const uint16_t date = static_cast<uint16_t>(rng());
    const uint16_t time = static_cast<uint16_t>(rng());
    FileTime ours = 0;
    FILETIME sys;
    const bool okOurs = DosDateTimeToFileTime(date, time, ours);
    const bool okSys = ::DosDateTimeToFileTime(date, time, &sys) != 0;
    // Wine takes February 29 of any year; the date does not exist in a
    // common year and is refused here.
    const int year = 1980 + (date >> 9);
    if (((date >> 5) & 0x0F) == 2 && (date & 0x1F) == 29 && !Leap(year)) {
      EXPECT_FALSE(okOurs);
      continue;
    }
    ASSERT_EQ(okOurs, okSys) << std::hex << date << " " << time;
    if (okOurs) {
      ASSERT_EQ(ours, (static_cast<FileTime>(sys.dwHighDateTime) << 32) | sys.dwLowDateTime);
    }
  }
}
#endif

// ---------------------------------------------------------------- clock, zones

TEST(Clock, NowAgreesWithTheCLibraryClock) {
  const FileTime before = UnixToFileTime(static_cast<int64_t>(std::time(nullptr)));
  const FileTime now = NowUtc();
  const FileTime after = UnixToFileTime(static_cast<int64_t>(std::time(nullptr)) + 1);
  EXPECT_GE(now + 2 * kTicksPerSecond, before);
  EXPECT_LE(now, after + 2 * kTicksPerSecond);
}

TEST(Clock, UnixSecondsConvertToFileTime) {
  EXPECT_EQ(UnixToFileTime(0), kUnixEpochFileTime);
  EXPECT_EQ(UnixToFileTime(1, 500), kUnixEpochFileTime + kTicksPerSecond + 5);
  EXPECT_EQ(UnixToFileTime(-11644473600LL), 0u);
}

// True when the local offset is the same some hours either side of `utc`,
// so that the instant is far from a daylight-saving change.
bool SteadyOffset(FileTime utc) {
  const FileTime span = 6ULL * 3600 * kTicksPerSecond;
  return UtcToLocal(utc - span) - (utc - span) == UtcToLocal(utc + span) - (utc + span);
}

// Converts many instants of 1971..2099 to local time and back; returns how
// many were far enough from an offset change to be compared.
int RoundTripMany() {
  std::mt19937_64 rng(99);
  FileTime from = 0, to = 0;
  EXPECT_TRUE(JoinFileTime(Make(1971, 1, 1), from));
  EXPECT_TRUE(JoinFileTime(Make(2099, 1, 1), to));
  int checked = 0;
  for (int i = 0; i < 20000; ++i) {
    const FileTime utc = from + rng() % (to - from);
    const FileTime local = UtcToLocal(utc);
    // Every offset in use lies within a day of UTC.
    EXPECT_LE(local > utc ? local - utc : utc - local, 26ULL * 3600 * kTicksPerSecond);
    if (!SteadyOffset(utc)) continue;
    EXPECT_EQ(LocalToUtc(local), utc) << Show(SplitFileTime(utc));
    if (LocalToUtc(local) != utc) break;
    ++checked;
  }
  return checked;
}

TEST(TimeZone, UtcToLocalAndBackReturnsTheSameInstant) {
  EXPECT_GT(RoundTripMany(), 19000);
}

#ifndef _WIN32
// Sets TZ for one test and puts the old value back.
class ZoneGuard {
 public:
  explicit ZoneGuard(const char* tz) {
    const char* old = std::getenv("TZ");
    had_ = old != nullptr;
    if (had_) old_ = old;
    setenv("TZ", tz, 1);
    tzset();
  }
  ~ZoneGuard() {
    if (had_) {
      setenv("TZ", old_.c_str(), 1);
    } else {
      unsetenv("TZ");
    }
    tzset();
  }

 private:
  bool had_ = false;
  std::string old_;
};

TEST(TimeZone, PosixUsesTheOffsetInForceAtTheInstant) {
  ZoneGuard zone("CET-1CEST,M3.5.0,M10.5.0/3");
  FileTime winter = 0, summer = 0, want = 0;
  ASSERT_TRUE(JoinFileTime(Make(2021, 1, 15, 12, 0, 0, 250), winter));
  ASSERT_TRUE(JoinFileTime(Make(2021, 7, 15, 12, 0, 0, 250), summer));
  ASSERT_TRUE(JoinFileTime(Make(2021, 1, 15, 13, 0, 0, 250), want));
  EXPECT_EQ(UtcToLocal(winter), want);
  EXPECT_EQ(LocalToUtc(want), winter);
  ASSERT_TRUE(JoinFileTime(Make(2021, 7, 15, 14, 0, 0, 250), want));
  EXPECT_EQ(UtcToLocal(summer), want);
  EXPECT_EQ(LocalToUtc(want), summer);
}

TEST(TimeZone, PosixLocalTimesAroundTheChangesMapBackNearby) {
  ZoneGuard zone("CET-1CEST,M3.5.0,M10.5.0/3");
  FileTime skipped = 0, repeated = 0;
  ASSERT_TRUE(JoinFileTime(Make(2021, 3, 28, 2, 30), skipped));    // does not exist locally
  ASSERT_TRUE(JoinFileTime(Make(2021, 10, 31, 2, 30), repeated));  // exists twice
  const FileTime hour = 3600 * kTicksPerSecond;
  for (const FileTime local : {skipped, repeated}) {
    const FileTime utc = LocalToUtc(local);
    const FileTime again = UtcToLocal(utc);
    EXPECT_LE(again > local ? again - local : local - again, hour) << Show(SplitFileTime(local));
  }
  // The repeated hour maps to one of its two instants.
  const FileTime utc = LocalToUtc(repeated);
  EXPECT_EQ(UtcToLocal(utc), repeated);
}

TEST(TimeZone, PosixRoundTripHoldsInAZoneWithDaylightSaving) {
  ZoneGuard zone("CET-1CEST,M3.5.0,M10.5.0/3");
  EXPECT_GT(RoundTripMany(), 19000);
}

TEST(TimeZone, PosixUtcZoneLeavesTimesAlone) {
  ZoneGuard zone("UTC0");
  EXPECT_EQ(UtcToLocal(132682383580000000ULL), 132682383580000000ULL);
  EXPECT_EQ(LocalToUtc(132682383580000000ULL), 132682383580000000ULL);
}
#endif

}  // namespace
}  // namespace zw::platform
