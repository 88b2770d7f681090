// FILETIME: the calendar split and join, DOS dates, the clock and the local
// time zone.
#include "platform/filetime.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <optional>
#include <random>
#include <string>

#ifdef _WIN32
#include <windows.h>
#endif

namespace zw::platform {
namespace {

constexpr FileTime kTicksPerDay = 864000000000ULL;

SystemTime Make(int y, int mo, int d, int h = 0, int mi = 0, int s = 0, int ms = 0) {
  auto u = [](int v) { return static_cast<uint16_t>(v); };
  return {u(y), u(mo), 0, u(d), u(h), u(mi), u(s), u(ms)};
}

bool SameFields(const SystemTime& a, const SystemTime& b) {
  return a.year == b.year && a.month == b.month && a.day == b.day && a.hour == b.hour && a.minute == b.minute &&
         a.second == b.second && a.milliseconds == b.milliseconds;
}

std::string Show(const SystemTime& st) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%04u-%02u-%02u %02u:%02u:%02u.%03u dow%u", st.year, st.month, st.day, st.hour,
                st.minute, st.second, st.milliseconds, st.dayOfWeek);
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

TEST(Calendar, KnownInstantsSplitAndJoin) {
  const struct {
    FileTime ft;
    SystemTime fields;
    int dayOfWeek;
  } cases[] = {
      {0, Make(1601, 1, 1), 1},
      {kUnixEpochFileTime, Make(1970, 1, 1), 4},
      {125963012967890000ULL, Make(2000, 2, 29, 12, 34, 56, 789), 2},
      {132682383580000000ULL, Make(2021, 6, 15, 13, 45, 58), 2},
      {2650467743999990000ULL, Make(9999, 12, 31, 23, 59, 59, 999), 5},
  };
  for (const auto& c : cases) {
    const SystemTime st = SplitFileTime(c.ft + 9999);  // ticks below a millisecond are dropped
    EXPECT_TRUE(SameFields(st, c.fields)) << Show(st);
    EXPECT_EQ(st.dayOfWeek, c.dayOfWeek) << Show(st);
    SystemTime wrongDay = c.fields;
    wrongDay.dayOfWeek = static_cast<uint16_t>((c.dayOfWeek + 3) % 7);  // the day of the week is ignored
    FileTime ft = 1;
    ASSERT_TRUE(JoinFileTime(wrongDay, ft)) << Show(c.fields);
    EXPECT_EQ(ft, c.ft) << Show(c.fields);
  }
}

TEST(Calendar, EveryDayFollowsItsPredecessorFrom1601To2500) {
  SystemTime prev = SplitFileTime(0);
  for (FileTime n = 1; n < 329000; ++n) {  // past the year 2500
    const SystemTime st = SplitFileTime(n * kTicksPerDay + kTicksPerDay - 1);
    SystemTime want = prev;
    want.day = static_cast<uint16_t>(prev.day + 1);
    if (prev.day == MonthDays(prev.year, prev.month)) {
      want.day = 1;
      want.month = static_cast<uint16_t>(prev.month % 12 + 1);
      want.year = static_cast<uint16_t>(prev.year + (prev.month == 12));
    }
    ASSERT_TRUE(st.year == want.year && st.month == want.month && st.day == want.day)
        << "day " << n << ": got " << Show(st) << " after " << Show(prev);
    ASSERT_TRUE(st.hour == 23 && st.milliseconds == 999) << Show(st);
    ASSERT_EQ(st.dayOfWeek, DayOfWeek(st.year, st.month, st.day)) << Show(st);
    prev = st;
  }
  EXPECT_GE(prev.year, 2500);
}

TEST(Calendar, JoinRefusesFieldsOutOfRangeAndTakesTheEdges) {
  const SystemTime bad[] = {
      Make(1600, 12, 31), Make(30828, 1, 1),   Make(2001, 0, 1),        Make(2001, 13, 1),          Make(2001, 1, 0),
      Make(2001, 1, 32),  Make(2001, 4, 31),   Make(2001, 2, 29),       Make(1900, 2, 29),          Make(2100, 2, 29),
      Make(1700, 2, 29),  Make(2001, 1, 1, 24), Make(2001, 1, 1, 0, 60), Make(2001, 1, 1, 0, 0, 60), Make(2001, 1, 1, 0, 0, 0, 1000),
  };
  for (const SystemTime& st : bad) {
    FileTime ft = 77;
    EXPECT_FALSE(JoinFileTime(st, ft)) << Show(st);
  }
  for (const SystemTime& st : {Make(2000, 2, 29), Make(2024, 2, 29), Make(1604, 2, 29), Make(30827, 12, 31, 23, 59, 59, 999)}) {
    FileTime ft = 0;
    EXPECT_TRUE(JoinFileTime(st, ft)) << Show(st);
  }
}

TEST(Calendar, RandomFieldsAndInstantsSurviveTheRoundTrip) {
  std::mt19937_64 rng(20240229);
  FileTime limit = 0;
  ASSERT_TRUE(JoinFileTime(Make(30827, 12, 31, 23, 59, 59, 999), limit));
  for (int i = 0; i < 200000; ++i) {
    // Half the draws from the band of usual dates, half from all years.
    const int year = i % 2 ? 1980 + static_cast<int>(rng() % 150) : 1601 + static_cast<int>(rng() % (30827 - 1601 + 1));
    const int month = 1 + static_cast<int>(rng() % 12), day = 1 + static_cast<int>(rng() % MonthDays(year, month));
    const SystemTime st = Make(year, month, day, static_cast<int>(rng() % 24), static_cast<int>(rng() % 60),
                               static_cast<int>(rng() % 60), static_cast<int>(rng() % 1000));
    FileTime ft = 0;
    ASSERT_TRUE(JoinFileTime(st, ft)) << Show(st);
    const SystemTime back = SplitFileTime(ft);
    ASSERT_TRUE(SameFields(back, st)) << Show(st) << " came back as " << Show(back);
    ASSERT_EQ(back.dayOfWeek, DayOfWeek(year, month, day)) << Show(back);
    const FileTime instant = rng() % (limit + 1);
    ASSERT_TRUE(JoinFileTime(SplitFileTime(instant), ft)) << instant;
    ASSERT_EQ(ft, instant - instant % kTicksPerMillisecond);
  }
}

#ifdef _WIN32
TEST(Calendar, AgreesWithTheSystemConversions) {
  std::mt19937_64 rng(777);
  FileTime limit = 0;  // the last instant a SYSTEMTIME may name
  ASSERT_TRUE(JoinFileTime(Make(30827, 12, 31, 23, 59, 59, 999), limit));
  for (int i = 0; i < 50000; ++i) {
    const FileTime ft = rng() % (limit + 1);
    const FILETIME f{static_cast<DWORD>(ft), static_cast<DWORD>(ft >> 32)};
    SYSTEMTIME sys;
    ASSERT_TRUE(FileTimeToSystemTime(&f, &sys));
    const SystemTime ours = SplitFileTime(ft);
    ASSERT_TRUE(ours.year == sys.wYear && ours.month == sys.wMonth && ours.day == sys.wDay && ours.hour == sys.wHour &&
                ours.minute == sys.wMinute && ours.second == sys.wSecond && ours.milliseconds == sys.wMilliseconds &&
                ours.dayOfWeek == sys.wDayOfWeek)
        << ft << ": " << Show(ours);
    FILETIME back;
    ASSERT_TRUE(SystemTimeToFileTime(&sys, &back));
    FileTime joined = 0;
    ASSERT_TRUE(JoinFileTime(ours, joined));
    ASSERT_EQ(joined, (static_cast<FileTime>(back.dwHighDateTime) << 32) | back.dwLowDateTime);
  }
}
#endif

uint16_t DosDate(int y, int m, int d) { return static_cast<uint16_t>(((y - 1980) << 9) | (m << 5) | d); }
uint16_t DosTime(int h, int m, int twoSeconds) { return static_cast<uint16_t>((h << 11) | (m << 5) | twoSeconds); }

TEST(DosDateTime, YearsFrom1980AndSecondsTimesTwoOnlyForValidFields) {
  FileTime ft = 0;
  ASSERT_TRUE(DosDateTimeToFileTime(DosDate(2021, 6, 15), DosTime(13, 45, 29), ft));
  EXPECT_EQ(ft, 132682383580000000ULL);  // 2021-06-15 13:45:58
  ASSERT_TRUE(DosDateTimeToFileTime(DosDate(2107, 12, 31), DosTime(23, 59, 29), ft));
  EXPECT_TRUE(SameFields(SplitFileTime(ft), Make(2107, 12, 31, 23, 59, 58)));
  const struct {
    uint16_t date, time;
    const char* what;
  } bad[] = {
      {DosDate(2000, 0, 1), 0, "month 0"},      {DosDate(2000, 13, 1), 0, "month 13"},
      {DosDate(2000, 15, 1), 0, "month 15"},    {DosDate(2000, 1, 0), 0, "day 0"},
      {DosDate(2001, 2, 29), 0, "Feb 29 of a common year"}, {DosDate(2000, 4, 31), 0, "April 31"},
      {DosDate(2000, 1, 1), DosTime(24, 0, 0), "hour 24"},  {DosDate(2000, 1, 1), DosTime(31, 0, 0), "hour 31"},
      {DosDate(2000, 1, 1), DosTime(0, 60, 0), "minute 60"}, {DosDate(2000, 1, 1), DosTime(0, 63, 0), "minute 63"},
      {DosDate(2000, 1, 1), DosTime(0, 0, 30), "second 60"}, {0, 0, "all zero"},
  };
  for (const auto& c : bad) EXPECT_FALSE(DosDateTimeToFileTime(c.date, c.time, ft)) << c.what;
  // Encoding truncates to even seconds and refuses years outside 1980..2107.
  uint16_t date = 0, time = 0;
  ASSERT_TRUE(FileTimeToDosDateTime(132682383599990000ULL, date, time));  // 13:45:59.999
  EXPECT_EQ(time, DosTime(13, 45, 29));
  for (const SystemTime& st : {Make(1979, 12, 31, 23, 59, 59), Make(2108, 1, 1)}) {
    ASSERT_TRUE(JoinFileTime(st, ft));
    EXPECT_FALSE(FileTimeToDosDateTime(ft, date, time)) << Show(st);
  }
  std::mt19937 rng(1980);
  for (int i = 0; i < 100000; ++i) {
    const int y = 1980 + static_cast<int>(rng() % 128), m = 1 + static_cast<int>(rng() % 12);
    const uint16_t d = DosDate(y, m, 1 + static_cast<int>(rng() % MonthDays(y, m)));
    const uint16_t t = DosTime(static_cast<int>(rng() % 24), static_cast<int>(rng() % 60), static_cast<int>(rng() % 30));
    ASSERT_TRUE(DosDateTimeToFileTime(d, t, ft) && FileTimeToDosDateTime(ft, date, time)) << d << " " << t;
    ASSERT_EQ(date, d);
    ASSERT_EQ(time, t);
  }
}

#ifdef _WIN32
TEST(DosDateTime, AgreesWithTheSystemConversion) {
  std::mt19937 rng(42);
  for (int i = 0; i < 50000; ++i) {
    const uint16_t date = static_cast<uint16_t>(rng()), time = static_cast<uint16_t>(rng());
    FileTime ours = 0;
    FILETIME sys;
    const bool okOurs = DosDateTimeToFileTime(date, time, ours);
    const bool okSys = ::DosDateTimeToFileTime(date, time, &sys) != 0;
    // Wine takes February 29 of any year; the date does not exist in a
    // common year and is refused here.
    if (((date >> 5) & 0x0F) == 2 && (date & 0x1F) == 29 && !Leap(1980 + (date >> 9))) {
      EXPECT_FALSE(okOurs);
      continue;
    }
    ASSERT_EQ(okOurs, okSys) << std::hex << date << " " << time;
    ASSERT_EQ(okOurs ? ours : 0, okOurs ? (static_cast<FileTime>(sys.dwHighDateTime) << 32) | sys.dwLowDateTime : 0);
  }
}
#endif

TEST(Clock, NowAgreesWithTheCLibraryClockAndUnixSecondsConvert) {
  const FileTime before = UnixToFileTime(static_cast<int64_t>(std::time(nullptr)));
  const FileTime now = NowUtc();
  const FileTime after = UnixToFileTime(static_cast<int64_t>(std::time(nullptr)) + 1);
  EXPECT_GE(now + 2 * kTicksPerSecond, before);
  EXPECT_LE(now, after + 2 * kTicksPerSecond);
  EXPECT_EQ(UnixToFileTime(1, 500), kUnixEpochFileTime + kTicksPerSecond + 5);
  EXPECT_EQ(UnixToFileTime(-11644473600LL), 0u);
}

// Converts many instants of 1971..2099 to local time and back; returns how
// many were far enough from an offset change (the same offset some hours
// either side) to be compared.
int RoundTripMany() {
  std::mt19937_64 rng(99);
  FileTime from = 0, to = 0;
  EXPECT_TRUE(JoinFileTime(Make(1971, 1, 1), from) && JoinFileTime(Make(2099, 1, 1), to));
  const FileTime span = 6ULL * 3600 * kTicksPerSecond;
  int checked = 0;
  for (int i = 0; i < 20000; ++i) {
    const FileTime utc = from + rng() % (to - from), local = UtcToLocal(utc);
    // Every offset in use lies within a day of UTC.
    EXPECT_LE(local > utc ? local - utc : utc - local, 26ULL * 3600 * kTicksPerSecond);
    if (UtcToLocal(utc - span) - (utc - span) != UtcToLocal(utc + span) - (utc + span)) continue;
    EXPECT_EQ(LocalToUtc(local), utc) << Show(SplitFileTime(utc));
    if (LocalToUtc(local) != utc) break;
    ++checked;
  }
  return checked;
}

TEST(TimeZone, UtcToLocalAndBackReturnsTheSameInstant) { EXPECT_GT(RoundTripMany(), 19000); }

#ifndef _WIN32
// Sets TZ for one test and puts the old value back.
class ZoneGuard {
 public:
  explicit ZoneGuard(const char* tz) {
    if (const char* old = std::getenv("TZ")) old_ = old;
    setenv("TZ", tz, 1);
    tzset();
  }
  ~ZoneGuard() {
    old_ ? setenv("TZ", old_->c_str(), 1) : unsetenv("TZ");
    tzset();
  }

 private:
  std::optional<std::string> old_;
};

TEST(TimeZone, PosixUsesTheOffsetInForceAtTheInstantAndMapsTheChangesNearby) {
  {
    ZoneGuard zone("UTC0");
    EXPECT_EQ(UtcToLocal(132682383580000000ULL), 132682383580000000ULL);
    EXPECT_EQ(LocalToUtc(132682383580000000ULL), 132682383580000000ULL);
  }
  ZoneGuard zone("CET-1CEST,M3.5.0,M10.5.0/3");
  const struct {
    SystemTime utc, local;
  } cases[] = {{Make(2021, 1, 15, 12, 0, 0, 250), Make(2021, 1, 15, 13, 0, 0, 250)},
               {Make(2021, 7, 15, 12, 0, 0, 250), Make(2021, 7, 15, 14, 0, 0, 250)}};
  for (const auto& c : cases) {
    FileTime utc = 0, local = 0;
    ASSERT_TRUE(JoinFileTime(c.utc, utc) && JoinFileTime(c.local, local));
    EXPECT_EQ(UtcToLocal(utc), local) << Show(c.utc);
    EXPECT_EQ(LocalToUtc(local), utc) << Show(c.utc);
  }
  const FileTime hour = 3600 * kTicksPerSecond;
  FileTime skipped = 0, repeated = 0;
  ASSERT_TRUE(JoinFileTime(Make(2021, 3, 28, 2, 30), skipped));    // does not exist locally
  ASSERT_TRUE(JoinFileTime(Make(2021, 10, 31, 2, 30), repeated));  // exists twice
  const FileTime again = UtcToLocal(LocalToUtc(skipped));
  EXPECT_LE(again > skipped ? again - skipped : skipped - again, hour);
  EXPECT_EQ(UtcToLocal(LocalToUtc(repeated)), repeated);  // one of its two instants
  EXPECT_GT(RoundTripMany(), 19000);
}
#endif

}  // namespace
}  // namespace zw::platform
