#include "app/size_edit.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "app/support/test_host.h"
#include "app/text_ids.h"
#include "support/recording_messenger.h"

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

TEST(SizeEdit, ParsesSignedDecimalNumbersOnly) {
  const std::vector<std::pair<const char*, std::optional<int64_t>>> cases = {
      {"0", 0}, {" 42 ", 42}, {"+7", 7}, {"007", 7}, {"-5", -5},
      {"9223372036854775807", INT64_MAX}, {"-9223372036854775808", INT64_MIN},
      {"9223372036854775808", std::nullopt}, {"", std::nullopt}, {"-", std::nullopt},
      {"1.5", std::nullopt}, {"1 000", std::nullopt}, {"0x10", std::nullopt},
      {"12kB", std::nullopt}};
  for (const auto& [text, value] : cases) EXPECT_EQ(ParseSizeNumber(text), value) << text;
  for (uint8_t unit = 0; unit <= 6; ++unit)
    EXPECT_EQ(SizeEditLimit(unit), int64_t(kMax >> (10 * unit))) << int(unit);
  EXPECT_EQ(SizeEditLimit(9), 7) << "beyond EB counts as EB";
}

TEST(SizeEdit, NumbersUpToTheLimitAreStoredInBytesInEveryUnit) {
  zwtest::TestHost host;
  zwtest::RecordingMessenger msgr;
  for (uint8_t unit = 0; unit <= 6; ++unit) {
    const int64_t limit = SizeEditLimit(unit);
    for (int64_t v : {int64_t{0}, int64_t{1}, limit - 1, limit}) {
      TSizeEditModel e = Edit(" +" + std::to_string(v), unit);
      ASSERT_TRUE(ValidateSizeEdit(e, kEdit, host, msgr, false)) << int(unit) << " " << v;
      EXPECT_EQ(e.bytes, uint64_t(v) << (10 * unit));
      EXPECT_EQ(e.text, std::to_string(v)) << "the text is rewritten to the number";
    }
    if (unit == 0) continue;  // nothing a signed 64-bit number holds lies above it
    TSizeEditModel e = Edit(std::to_string(limit + 1), unit);
    msgr.answers = {ansOK};
    ASSERT_TRUE(ValidateSizeEdit(e, kEdit, host, msgr, false)) << int(unit);
    EXPECT_EQ(e.bytes, uint64_t(limit) << (10 * unit)) << "never beyond 2^63 - 1";
    EXPECT_EQ(msgr.Messages().back().Int(1), limit);
  }
}

// One check of an edit: what it says, and what the edit holds afterwards.
struct ValidateCase {
  const char* text;
  uint8_t unit;
  uint64_t bytes;
  bool silent;
  int64_t minimum;
  std::vector<int> answers;
  bool result;
  const char* textAfter;
  uint64_t bytesAfter;
  const char* said;  // "" nothing, "invalid", or "range <typed> <limit>"
};

TEST(SizeEdit, ChecksTheTypedNumberAgainstItsRange) {
  const ValidateCase cases[] = {
      // not a number: nothing changes, the text is selected in the focused edit
      {"12kB", 2, 5, false, 0, {}, false, "12kB", 5, "invalid"},
      {"abc", 1, 7, true, 0, {}, false, "abc", 7, ""},
      // above the limit: OK (the default) takes the limit, Cancel keeps the text
      {"8", 6, 0, false, 0, {}, true, "7", uint64_t{7} << 60, "range 8 7"},
      {"9000000000000000", 2, 0, false, 0, {ansCancel}, false, "9000000000000000",
       uint64_t(SizeEditLimit(2)) << 20, "range 9000000000000000 8796093022207"},
      {"9223372036854775807", 1, 0, true, 0, {}, false, "9223372036854775807",
       uint64_t(SizeEditLimit(1)) << 10, ""},
      // below the minimum: the same with the minimum
      {"-5", 1, 99, false, 0, {ansOK}, true, "0", 0, "range -5 0"},
      {"3", 2, 0, false, 5, {ansCancel}, false, "3", uint64_t{5} << 20, "range 3 5"},
      {"-1", 0, 4, true, 0, {}, false, "-1", 0, ""},
  };
  for (const ValidateCase& c : cases) {
    SCOPED_TRACE(c.text);
    zwtest::TestHost host;
    zwtest::RecordingMessenger msgr;
    msgr.answers.assign(c.answers.begin(), c.answers.end());
    TSizeEditModel e = Edit(c.text, c.unit, c.bytes);
    EXPECT_EQ(ValidateSizeEdit(e, kEdit, host, msgr, c.silent, c.minimum), c.result);
    EXPECT_EQ(e.text, c.textAfter);
    EXPECT_EQ(e.bytes, c.bytesAfter);
    std::string said;
    for (const auto& m : msgr.Messages()) {
      if (m.id == msgInvalidNumber && m.kind == zwtest::RecordedMsg::Show) said += "invalid";
      if (m.id == msgNumberOutOfRange && m.kind == zwtest::RecordedMsg::Ask)
        said += "range " + std::to_string(m.Int(0)) + " " + std::to_string(m.Int(1));
    }
    EXPECT_EQ(said, c.said);
    EXPECT_EQ(host.Focused().size(), said.empty() ? 0u : 1u) << "the edit at fault";
    EXPECT_TRUE(said != "invalid" || e.selLength == int32_t(e.text.size())) << "text selected";
  }
}

TEST(SizeEdit, StepsInUnitsWithinTheLimits) {
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
  const Case cases[] = {
      {1, 0, false, 1, 0, 1024, "1"},
      {1, 5 * 1024, true, 1, 0, 4 * 1024, "4"},
      {1, 5 * 1024, true, 10, 0, 0, "0"},      // not larger than the step: the minimum
      {1, 10 * 1024, true, 10, 0, 0, "0"},     // equal to the step: the minimum
      {1, 5 * 1024, true, 10, 2, 2048, "2"},   // the minimum in units
      {1, 1500, false, 1, 0, 2524, "2"},       // bytes that are no whole unit stay so
      {0, kMax - 5, false, 10, 0, kMax, "9223372036854775807"},
      {0, kMax - 10, false, 9, 0, kMax - 1, "9223372036854775806"},
      {6, 0, false, 10, 0, kMax, "7"},         // 10 EB do not fit: the largest value
      {6, kMax, true, 1, 0, kMax - EB, "6"},
      {3, 7, true, 0, 0, 0, "0"},              // a step of zero goes to the minimum
      {1, ~uint64_t{0}, true, 1, 0, kMax - 1024, "9007199254740990"},  // damaged value
  };
  for (const Case& c : cases) {
    TSizeEditModel e = Edit("junk", c.unit, c.bytes);
    StepSizeEdit(e, c.down, c.step, c.minimum);
    EXPECT_EQ(e.bytes, c.wantBytes) << int(c.unit) << " " << c.bytes << " " << c.down;
    EXPECT_EQ(e.text, c.wantText) << int(c.unit) << " " << c.bytes << " " << c.down;
  }
}

TEST(SizeEdit, KeysUnitsAndSpinButtonsCheckSilentlyThenStep) {
  zwtest::TestHost host;
  zwtest::RecordingMessenger msgr;
  TSizeEditModel e = Edit("5", 1, 0);  // the typed text counts, not the held value
  std::string texts;
  for (TSizeKey key : {TSizeKey::Up, TSizeKey::PageUp, TSizeKey::Down, TSizeKey::PageDown,
                       TSizeKey::PageDown}) {
    SizeEditKey(e, kEdit, host, msgr, key);
    texts += e.text + " ";
  }
  EXPECT_EQ(texts, "6 16 15 5 0 ");
  e = Edit("x", 1, 3 * 1024);  // no number: the held value is stepped
  SizeEditKey(e, kEdit, host, msgr, TSizeKey::Up);
  EXPECT_EQ(e.text, "4");
  e = Edit("0012", 1);
  SizeEditKey(e, kEdit, host, msgr, TSizeKey::Enter);
  EXPECT_EQ(e.bytes, 12u * 1024);
  EXPECT_EQ(e.selLength, 2) << "Enter selects the text";
  SizeUnitChanged(e, kEdit, host, msgr, 2);
  EXPECT_EQ(e.bytes, uint64_t{12} << 20);
  SizeSpin(e, host, false);
  EXPECT_EQ(e.text, "22");
  e = Edit("100000000000000000", 2);
  SizeEditLeft(e, kEdit, host, msgr);
  EXPECT_EQ(e.bytes, uint64_t(SizeEditLimit(2)) << 20);
  EXPECT_EQ(e.text, "100000000000000000");
  EXPECT_TRUE(msgr.Messages().empty());
  EXPECT_TRUE(host.Focused().empty());
}

TEST(SizeEdit, ModeIgnoreDisablesItsControls) {
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
