#include "app/size_edit.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "app/run/lists_fake_host.h"
#include "support/recording_messenger.h"
#include "app/text_ids.h"

using namespace zw;

namespace {

constexpr uint64_t kMax = 0x7FFFFFFFFFFFFFFFull;
constexpr TControl kEdit = TControl::ELimitSize1;

TSizeEditModel Edit(const std::string& text, uint8_t unit, uint64_t bytes = 0) {
  TSizeEditModel e;
  e.text = text;
  e.unit = unit;
  e.bytes = bytes;
  return e;
}

class SizeEditTest : public ::testing::Test {
 protected:
  zwtest::ListsFakeHost host;
  zwtest::RecordingMessenger msgr;
  bool Validate(TSizeEditModel& e, bool silent, int64_t minimum = 0) {
    return ValidateSizeEdit(e, kEdit, host, msgr, silent, minimum);
  }
};

// --- parsing -------------------------------------------------------------------

TEST(SizeNumberTest, ParsesSignedDecimalNumbersOnly) {
  struct Case {
    const char* text;
    std::optional<int64_t> value;
  };
  const std::vector<Case> cases = {
      {"0", 0},
      {"42", 42},
      {" 42 ", 42},
      {"+7", 7},
      {"007", 7},
      {"-5", -5},
      {"9223372036854775807", INT64_MAX},
      {"-9223372036854775808", INT64_MIN},
      {"9223372036854775808", std::nullopt},
      {"99999999999999999999", std::nullopt},
      {"", std::nullopt},
      {" ", std::nullopt},
      {"-", std::nullopt},
      {"1.5", std::nullopt},
      {"1 000", std::nullopt},
      {"0x10", std::nullopt},
      {"$10", std::nullopt},
      {"12kB", std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(ParseSizeNumber(c.text), c.value) << '"' << c.text << '"';
}

TEST(SizeNumberTest, LimitOfEachUnit) {
  for (uint8_t unit = 0; unit <= 6; ++unit) {
    EXPECT_EQ(SizeEditLimit(unit), static_cast<int64_t>(kMax >> (10 * unit))) << int(unit);
  }
  EXPECT_EQ(SizeEditLimit(6), 7);
  EXPECT_EQ(SizeEditLimit(9), 7) << "beyond EB counts as EB";
}

// --- Validate ------------------------------------------------------------------

TEST_F(SizeEditTest, NumberInRangeIsStoredInBytesInEveryUnit) {
  for (uint8_t unit = 0; unit <= 6; ++unit) {
    const int64_t limit = SizeEditLimit(unit);
    for (int64_t v : {int64_t{0}, int64_t{1}, limit - 1, limit}) {
      TSizeEditModel e = Edit(" +" + std::to_string(v), unit);
      ASSERT_TRUE(Validate(e, false)) << int(unit) << " " << v;
      EXPECT_EQ(e.bytes, static_cast<uint64_t>(v) << (10 * unit));
      EXPECT_EQ(e.text, std::to_string(v)) << "the text is rewritten to the number";
    }
  }
  EXPECT_TRUE(msgr.Messages().empty());
}

TEST_F(SizeEditTest, NotANumberShowsInvalidNumberAndFocusesTheEdit) {
  TSizeEditModel e = Edit("12kB", 2, 5);
  EXPECT_FALSE(Validate(e, false));
  const auto msgs = msgr.Messages();
  ASSERT_EQ(msgs.size(), 1u);
  EXPECT_EQ(msgs[0].kind, zwtest::RecordedMsg::Show);
  EXPECT_EQ(msgs[0].id, msgInvalidNumber);
  EXPECT_EQ(host.focused, std::vector<TControl>{kEdit});
  EXPECT_EQ(e.selStart, 0);
  EXPECT_EQ(e.selLength, 4) << "the text is selected";
  EXPECT_EQ(e.text, "12kB");
  EXPECT_EQ(e.bytes, 5u) << "the byte value is left alone";
}

TEST_F(SizeEditTest, SilentCheckOfANonNumberSaysNothing) {
  TSizeEditModel e = Edit("abc", 1, 7);
  EXPECT_FALSE(Validate(e, true));
  EXPECT_TRUE(msgr.Messages().empty());
  EXPECT_TRUE(host.focused.empty());
  EXPECT_EQ(e.bytes, 7u);
}

TEST_F(SizeEditTest, AboveTheLimitAsksAndOkTakesTheLimitInEveryUnit) {
  // In B nothing a signed 64-bit number holds lies above the limit.
  for (uint8_t unit = 1; unit <= 6; ++unit) {
    const int64_t limit = SizeEditLimit(unit);
    const int64_t typed = limit + 1;
    TSizeEditModel e = Edit(std::to_string(typed), unit);
    msgr.answers = {ansOK};
    ASSERT_TRUE(Validate(e, false)) << int(unit);
    EXPECT_EQ(e.text, std::to_string(limit));
    EXPECT_EQ(e.bytes, static_cast<uint64_t>(limit) << (10 * unit));
    EXPECT_LE(e.bytes, kMax);
    const auto asks = msgr.With(msgNumberOutOfRange);
    ASSERT_FALSE(asks.empty());
    EXPECT_EQ(asks.back().kind, zwtest::RecordedMsg::Ask);
    EXPECT_EQ(asks.back().Int(0), typed);
    EXPECT_EQ(asks.back().Int(1), limit);
  }
}

TEST_F(SizeEditTest, OutOfRangeIsAskedWithOkAsDefault) {
  TSizeEditModel e = Edit("8", 6);  // 8 EB is beyond 2^63 - 1 bytes
  EXPECT_TRUE(Validate(e, false)) << "no answer queued: the default, OK";
  EXPECT_EQ(e.text, "7");
}

TEST_F(SizeEditTest, CancelKeepsTheTextButTheValueBecomesTheLimit) {
  TSizeEditModel e = Edit("9000000000000000", 2);
  msgr.answers = {ansCancel};
  EXPECT_FALSE(Validate(e, false));
  EXPECT_EQ(e.text, "9000000000000000");
  EXPECT_EQ(e.bytes, static_cast<uint64_t>(SizeEditLimit(2)) << 20);
  EXPECT_EQ(host.focused, std::vector<TControl>{kEdit});
}

TEST_F(SizeEditTest, SilentCheckAboveTheLimitIsFalseWithoutAQuestion) {
  TSizeEditModel e = Edit("9223372036854775807", 1);
  EXPECT_FALSE(Validate(e, true));
  EXPECT_TRUE(msgr.Messages().empty());
  EXPECT_EQ(e.text, "9223372036854775807");
  EXPECT_EQ(e.bytes, static_cast<uint64_t>(SizeEditLimit(1)) << 10);
}

TEST_F(SizeEditTest, BelowTheMinimumIsAskedWithTheMinimum) {
  TSizeEditModel e = Edit("-5", 1, 99);
  msgr.answers = {ansOK};
  EXPECT_TRUE(Validate(e, false));
  EXPECT_EQ(e.text, "0");
  EXPECT_EQ(e.bytes, 0u);
  const auto asks = msgr.With(msgNumberOutOfRange);
  ASSERT_EQ(asks.size(), 1u);
  EXPECT_EQ(asks[0].Int(0), -5);
  EXPECT_EQ(asks[0].Int(1), 0);

  TSizeEditModel f = Edit("3", 2);
  msgr.answers = {ansCancel};
  EXPECT_FALSE(Validate(f, false, 5));
  EXPECT_EQ(f.text, "3");
  EXPECT_EQ(f.bytes, uint64_t{5} << 20);
  EXPECT_EQ(msgr.With(msgNumberOutOfRange).back().Int(1), 5);

  TSizeEditModel g = Edit("-1", 0, 4);
  EXPECT_FALSE(Validate(g, true));
  EXPECT_EQ(g.bytes, 0u);
  EXPECT_EQ(g.text, "-1");
}

// --- Step ----------------------------------------------------------------------

TEST(SizeStepTest, StepsInUnitsWithinTheLimits) {
  struct Case {
    uint8_t unit;
    uint64_t bytes;
    bool down;
    uint64_t step;
    int64_t minimum;
    uint64_t wantBytes;
    const char* wantText;
  };
  const uint64_t EB = uint64_t{1} << 60;
  const std::vector<Case> cases = {
      {1, 0, false, 1, 0, 1024, "1"},
      {1, 5 * 1024, true, 1, 0, 4 * 1024, "4"},
      {1, 5 * 1024, true, 10, 0, 0, "0"},      // not larger than the step: the minimum
      {1, 10 * 1024, true, 10, 0, 0, "0"},     // equal to the step: the minimum
      {1, 5 * 1024, true, 10, 2, 2048, "2"},   // the minimum in units
      {1, 1500, false, 1, 0, 2524, "2"},       // bytes that are no whole unit stay so
      {0, kMax - 5, false, 10, 0, kMax, "9223372036854775807"},
      {0, kMax - 10, false, 9, 0, kMax - 1, "9223372036854775806"},
      {2, kMax, false, 1, 0, kMax, "8796093022207"},
      {6, 0, false, 1, 0, EB, "1"},
      {6, 0, false, 10, 0, kMax, "7"},         // 10 EB do not fit: the largest value
      {6, kMax, true, 10, 0, 0, "0"},
      {6, kMax, true, 1, 0, kMax - EB, "6"},
      {3, 7, true, 0, 0, 0, "0"},              // a step of zero goes to the minimum
      {3, 7, false, 0, 0, 7, "0"},
      {1, ~uint64_t{0}, true, 1, 0, kMax - 1024, "9007199254740990"},  // damaged value
  };
  for (const Case& c : cases) {
    TSizeEditModel e = Edit("junk", c.unit, c.bytes);
    StepSizeEdit(e, c.down, c.step, c.minimum);
    EXPECT_EQ(e.bytes, c.wantBytes) << int(c.unit) << " " << c.bytes << " " << c.down;
    EXPECT_EQ(e.text, c.wantText) << int(c.unit) << " " << c.bytes << " " << c.down;
  }
}

// --- page reactions ------------------------------------------------------------

TEST_F(SizeEditTest, KeysCheckTheTypedTextBeforeStepping) {
  TSizeEditModel e = Edit("5", 1, 0);
  SizeEditKey(e, kEdit, host, msgr, TSizeKey::Up);
  EXPECT_EQ(e.text, "6");
  EXPECT_EQ(e.bytes, 6u * 1024);
  SizeEditKey(e, kEdit, host, msgr, TSizeKey::PageUp);
  EXPECT_EQ(e.text, "16");
  SizeEditKey(e, kEdit, host, msgr, TSizeKey::Down);
  EXPECT_EQ(e.text, "15");
  SizeEditKey(e, kEdit, host, msgr, TSizeKey::PageDown);
  EXPECT_EQ(e.text, "5");
  SizeEditKey(e, kEdit, host, msgr, TSizeKey::PageDown);
  EXPECT_EQ(e.text, "0");
  EXPECT_TRUE(msgr.Messages().empty()) << "the checks of keys are silent";
}

TEST_F(SizeEditTest, KeyOnTextThatIsNoNumberStepsTheHeldValue) {
  TSizeEditModel e = Edit("x", 1, 3 * 1024);
  SizeEditKey(e, kEdit, host, msgr, TSizeKey::Up);
  EXPECT_EQ(e.text, "4");
  EXPECT_TRUE(msgr.Messages().empty());
}

TEST_F(SizeEditTest, EnterChecksAndSelectsTheText) {
  TSizeEditModel e = Edit("0012", 1);
  SizeEditKey(e, kEdit, host, msgr, TSizeKey::Enter);
  EXPECT_EQ(e.text, "12");
  EXPECT_EQ(e.bytes, 12u * 1024);
  EXPECT_EQ(e.selStart, 0);
  EXPECT_EQ(e.selLength, 2);
}

TEST_F(SizeEditTest, LeavingChecksSilently) {
  TSizeEditModel e = Edit("100000000000000000", 2);
  SizeEditLeft(e, kEdit, host, msgr);
  EXPECT_TRUE(msgr.Messages().empty());
  EXPECT_EQ(e.bytes, static_cast<uint64_t>(SizeEditLimit(2)) << 20);
  EXPECT_EQ(e.text, "100000000000000000");
}

TEST_F(SizeEditTest, NewUnitReadsTheTextInThatUnit) {
  TSizeEditModel e = Edit("5", 1, 5 * 1024);
  SizeUnitChanged(e, kEdit, host, msgr, 2);
  EXPECT_EQ(e.unit, 2);
  EXPECT_EQ(e.bytes, uint64_t{5} << 20);
  EXPECT_EQ(e.text, "5");
}

TEST_F(SizeEditTest, SpinButtonsStepTenUnits) {
  TSizeEditModel e = Edit("3", 3, uint64_t{3} << 30);
  SizeSpin(e, host, false);
  EXPECT_EQ(e.text, "13");
  EXPECT_EQ(e.bytes, uint64_t{13} << 30);
  SizeSpin(e, host, true);
  SizeSpin(e, host, true);
  EXPECT_EQ(e.text, "0");
}

TEST(SizePageTest, ModeIgnoreDisablesItsControls) {
  TWindowModel m;
  m.sizeMode = fmIgnore;
  m.attribMode = fmExclude;
  EXPECT_FALSE(SizeControlsEnabled(m));
  EXPECT_TRUE(AttribBoxesEnabled(m));
  m.sizeMode = fmLimitTo;
  m.attribMode = fmIgnore;
  EXPECT_TRUE(SizeControlsEnabled(m));
  EXPECT_FALSE(AttribBoxesEnabled(m));
}

}  // namespace
