// What the user types for the check rules: sizes of the script command and
// dates in the ISO or the local form, with the messages of a bad date.
#include "app/results/check_input.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>

#include "platform/locale.h"
#include "support/files.h"
#include "support/recording_messenger.h"

using namespace zw;
using zwtest::At;

namespace {

TEST(ScriptSize, DigitsWithAnOptionalUnitLetterInPowersOf1024Below2To63) {
  const std::pair<const char*, std::optional<uint64_t>> cases[] = {
      {"0", 0}, {"10", 10}, {"10b", 10}, {"10k", 10240}, {"10 K", 10240}, {"3   m", 3u << 20},
      {"2G", 2ull << 30}, {"5t", 5ull << 40}, {"1P", 1ull << 50}, {"7e", 7ull << 60},
      {"9223372036854775807", 0x7FFFFFFFFFFFFFFFull}, {"8191p", 8191ull << 50},
      // refused: the value stays as it was
      {"", {}}, {"k", {}}, {" ", {}}, {"-5", {}}, {"+5", {}}, {"10x", {}}, {"10 kb", {}},
      {"1 2", {}}, {"1.5k", {}}, {"8e", {}}, {"8192p", {}}, {"9223372036854775808", {}},
      {"99999999999999999999999", {}},
  };
  for (const auto& [text, want] : cases) {
    uint64_t bytes = 77;
    EXPECT_EQ(ParseScriptSize(text, bytes), want.has_value()) << text;
    EXPECT_EQ(bytes, want.value_or(77)) << text;
  }
}

TEST(DateInput, ReadsIsoDatesWithAndWithoutTheTimeWithinTheFileTimeRange) {
  const struct {
    const char* text;
    TDateParse result;
    platform::FileTime time = 0;
  } cases[] = {
      {"2004-03-18", TDateParse::Ok, At(2004, 3, 18)},
      {"2004-03-18 21:39:42", TDateParse::Ok, At(2004, 3, 18, 21, 39, 42)},
      {"1601-01-01", TDateParse::Ok, 0},
      {"30827-12-31 23:59:59", TDateParse::Ok, At(30827, 12, 31, 23, 59, 59)},
      {"", TDateParse::Invalid}, {"hello", TDateParse::Invalid},
      {"2004-13-01", TDateParse::Invalid}, {"2004-02-30", TDateParse::Invalid},
      {"2004-03-18 25:00:00", TDateParse::Invalid}, {"2004-03-18x", TDateParse::Invalid},
      {"2004/03/18/19", TDateParse::Invalid},
      {"1600-12-31", TDateParse::OutOfRange}, {"30828-01-01", TDateParse::OutOfRange},
      {"0-01-01", TDateParse::OutOfRange},
  };
  for (const auto& c : cases) {
    platform::FileTime t = 12345;
    EXPECT_EQ(ParseDateInput(c.text, t), c.result) << c.text;
    EXPECT_EQ(t, c.result == TDateParse::Ok ? c.time : 12345) << c.text;
  }
  const platform::FileTime when = At(2011, 7, 9, 8, 7, 6);
  platform::FileTime t = 0;
  EXPECT_EQ(ParseDateInput(platform::DateTimeText(when, true), t), TDateParse::Ok);
  EXPECT_EQ(t, when) << "the local form";
}

TEST(DateInput, ErrorsShowTheirMessagesWithTheLocalExample) {
  zwtest::RecordingMessenger msgr;
  ShowDateError(TDateParse::Invalid, msgr);
  ShowDateError(TDateParse::OutOfRange, msgr);
  ShowDateError(TDateParse::Ok, msgr);
  const auto msgs = msgr.Messages();
  ASSERT_EQ(msgs.size(), 2u);
  EXPECT_EQ(msgs[0].id, msgInvalidDate);
  EXPECT_EQ(msgs[0].Str(0), platform::DateTimeText(At(2004, 3, 18, 21, 39, 42), true));
  EXPECT_EQ(msgs[0].Str(0), InvalidDateExample());
  EXPECT_EQ(msgs[1].id, msgInvalidFileDate);
}

}  // namespace
