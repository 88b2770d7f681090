#include "app/text/countdown_box.h"
#include "app/text_ids.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

namespace {

using zw::TCountdownBox;
using zw::TCountdownRequest;

// --- standard boxes and their countdown forms ---------------------------------------

// A button set: its answers, the buttons of its countdown box (each answer's
// label, then Pause) and the answer that does nothing.
struct ButtonSet {
  zw::TBoxStyle style;
  std::vector<int> answers;
  std::vector<zw::TStrID> countdownButtons;
  int safe;
};

const ButtonSet kSets[] = {
    {0x00 | 0x10, {zw::ansOK}, {zw::lblOK, zw::lblPause}, zw::ansOK},
    {0x01 | 0x30, {zw::ansOK, zw::ansCancel}, {zw::lblOK, zw::lblCancel, zw::lblPause},
     zw::ansCancel},
    {0x03, {zw::ansYes, zw::ansNo, zw::ansCancel},
     {zw::lblYes, zw::lblNo, zw::lblCancel, zw::lblPause}, zw::ansCancel},
    {0x04 | 0x20, {zw::ansYes, zw::ansNo}, {zw::lblYes, zw::lblNo, zw::lblPause}, zw::ansNo},
};

TEST(BoxStyles, AnswersButtonsAndDefaultsOfEachButtonSet) {
  for (const ButtonSet& s : kSets) {
    SCOPED_TRACE(s.style);
    EXPECT_EQ(zw::StyleAnswers(s.style), s.answers);
    EXPECT_EQ(zw::CountdownButtons(s.style), s.countdownButtons);
    EXPECT_EQ(zw::SafeAnswer(s.style), s.safe);
    EXPECT_EQ(zw::DefaultOrSafeAnswer(s.style, 0), s.safe);
    for (int answer : {int(zw::ansOK), int(zw::ansCancel), int(zw::ansYes), int(zw::ansNo), 5}) {
      const auto at = std::find(s.answers.begin(), s.answers.end(), answer);
      const int index = at == s.answers.end() ? -1 : int(at - s.answers.begin());
      EXPECT_EQ(zw::DefaultOrSafeAnswer(s.style, answer), index < 0 ? s.safe : answer) << answer;
      if (index < 0) continue;
      // The countdown box's default button answers the default answer.
      EXPECT_EQ(zw::CountdownDefaultIndex(s.style, answer), index) << answer;
      EXPECT_EQ(zw::CountdownAnswer(s.style, index), answer);
      EXPECT_EQ(zw::AnswerLabel(answer), s.countdownButtons[index]);
    }
    EXPECT_EQ(zw::CountdownDefaultIndex(s.style, 0), -1);
    EXPECT_EQ(zw::CountdownDefaultIndex(s.style, 5), -1);
    EXPECT_EQ(zw::CountdownAnswer(s.style, 3), zw::kNoAnswer);
    EXPECT_EQ(zw::CountdownAnswer(s.style, -1), zw::kNoAnswer);
  }
  EXPECT_EQ(zw::CountdownDefaultIndex(0x04, zw::ansCancel), -1);  // no Cancel among Yes, No
  EXPECT_TRUE(zw::CountdownButtons(0x02).empty());
  EXPECT_TRUE(zw::CountdownButtons(0x05).empty());
  EXPECT_EQ(zw::AnswerLabel(3), zw::strNone);
  EXPECT_EQ(zw::AnswerLabel(0), zw::strNone);
}

TEST(BoxStyles, CaptionByIconKind) {
  const std::pair<zw::TBoxStyle, zw::TStrID> cases[] = {
      {0x04, zw::strNone},         {0x10, zw::strError},       {0x24, zw::strConfirmation},
      {0x31, zw::strWarning},      {0x40, zw::strInformation}, {0x50, zw::strNone}};
  for (const auto& [style, caption] : cases) EXPECT_EQ(zw::CaptionOfStyle(style), caption) << style;
  EXPECT_EQ(zw::StyleOfIconKind(zw::icoQuestion), 0x20u);
  EXPECT_EQ(zw::StyleOfIconKind(zw::icoInformation), 0x40u);
}

// --- the box ------------------------------------------------------------------

TCountdownRequest Counting(int seconds, int defaultIndex = 1) {
  TCountdownRequest r;
  r.caption = "Confirmation";
  r.text = "Delete 100%% of it?\r\n\r\nIn %d seconds the default answer will be chosen.";
  r.buttons = {"Yes", "No", "Pause"};
  r.defaultIndex = defaultIndex;
  r.seconds = seconds;
  r.style = 0x24;
  return r;
}

std::string Left(int seconds) {
  return "Delete 100% of it?\r\n\r\nIn " + std::to_string(seconds) +
         " seconds the default answer will be chosen.";
}

TEST(CountdownBox, CountsDownAndAnswersWithTheDefault) {
  TCountdownBox box(Counting(3));
  EXPECT_TRUE(box.Counting());
  EXPECT_TRUE(box.HasPauseButton());
  EXPECT_EQ(box.PauseIndex(), 2);
  EXPECT_EQ(box.AnswerIndices(), (std::vector<int>{0, 1}));
  EXPECT_EQ(box.Text(), Left(3));
  EXPECT_FALSE(box.Tick());
  EXPECT_EQ(box.SecondsLeft(), 2);
  EXPECT_EQ(box.Text(), Left(2));
  EXPECT_FALSE(box.Tick());
  EXPECT_EQ(box.Tick(), 1);
  EXPECT_TRUE(box.Closed());
  EXPECT_EQ(box.Result(), 1);
  EXPECT_FALSE(box.Tick());  // closed boxes do nothing more
  EXPECT_EQ(TCountdownBox(Counting(1, -1)).Tick(), -1);  // no default: no button
}

TEST(CountdownBox, PauseStopsTheCountAndDisablesPause) {
  TCountdownBox box(Counting(30));
  EXPECT_TRUE(box.CloseBoxShown());  // the close box pauses a counting box
  box.Tick();
  EXPECT_FALSE(box.Press(2));  // the pause button answers nothing
  EXPECT_TRUE(box.Paused());
  EXPECT_FALSE(box.Counting());
  EXPECT_FALSE(box.ButtonEnabled(2));
  EXPECT_TRUE(box.ButtonEnabled(0));
  EXPECT_FALSE(box.CloseBoxShown());
  for (int i = 0; i < 100; ++i) EXPECT_FALSE(box.Tick());
  EXPECT_EQ(box.Text(), Left(29));
  box.Pause();  // Escape again
  EXPECT_TRUE(box.Paused());
  EXPECT_FALSE(box.Press(2));
  EXPECT_FALSE(box.Press(7));
  EXPECT_FALSE(box.Press(-1));
  EXPECT_FALSE(box.Closed());
  EXPECT_EQ(box.Press(0), 0);
  TCountdownBox escaped(Counting(30));
  escaped.Pause();  // Escape pauses; a second time it does nothing
  escaped.Pause();
  EXPECT_TRUE(escaped.Paused());
  EXPECT_FALSE(escaped.Closed());
}

TEST(CountdownBox, EnterConfirmsTheDefault) {
  EXPECT_EQ(TCountdownBox(Counting(30, 0)).Enter(), 0);
  TCountdownBox noDefault(Counting(30, -1));
  EXPECT_FALSE(noDefault.Enter());
  EXPECT_FALSE(noDefault.Closed());
}

TEST(CountdownBox, WithoutCountdownEveryButtonAnswers) {
  TCountdownRequest r;
  r.text = "The directory \"%s\" is now empty.";  // shown as it stands
  r.buttons = {"Yes", "No", "All", "None"};
  r.defaultIndex = 0;
  r.seconds = 0;
  TCountdownBox box(r);
  EXPECT_FALSE(box.Counting());
  EXPECT_FALSE(box.HasPauseButton());
  EXPECT_EQ(box.PauseIndex(), -1);
  EXPECT_EQ(box.Text(), r.text);
  EXPECT_EQ(box.AnswerIndices(), (std::vector<int>{0, 1, 2, 3}));
  EXPECT_FALSE(box.CloseBoxShown());  // only an answer button closes it
  box.Pause();  // Escape in a box that never counted: nothing
  EXPECT_FALSE(box.Paused());
  EXPECT_TRUE(box.ButtonEnabled(3));
  EXPECT_FALSE(box.Tick());
  EXPECT_EQ(box.Press(3), 3);
}

// --- terminal -------------------------------------------------------------------

TEST(Terminal, PromptNumbersTheChoicesAndMarksTheDefault) {
  const std::vector<std::string> labels = {"Yes", "No", "&All", "None"};
  EXPECT_EQ(zw::TerminalPrompt("Confirmation", "The directory \"/x/\" is now empty.\r\nDelete it?",
                               labels, {0, 1, 2, 3}, 1),
            "Confirmation: The directory \"/x/\" is now empty.\nDelete it?\n"
            "[1] Yes  [2] No (default)  [3] All  [4] None\n");
  EXPECT_EQ(zw::TerminalPrompt("", "Go?", labels, {0, 1}, -1), "Go?\n[1] Yes  [2] No\n");
  EXPECT_EQ(zw::TerminalText("a\r\nb\rc\nd"), "a\nb\nc\nd");
}

TEST(Terminal, ChoicesByNumberLabelOrPrefix) {
  const std::vector<std::string> labels = {"Yes", "No", "&All", "None", "Pause"};
  const std::pair<const char*, std::optional<int>> cases[] = {
      {"", 1},   {"3", 2},          {"5", std::nullopt},  // Pause is not offered
      {"0", std::nullopt},          {"ALL\n", 2},         {"y", 0},
      {"n", std::nullopt},  // No or None
      {"no", 1},  // exact wins
      {"non", 3}, {"pause", std::nullopt}, {"99999999999999", std::nullopt},
  };
  for (const auto& [typed, choice] : cases)
    EXPECT_EQ(zw::ParseTerminalChoice(typed, labels, {0, 1, 2, 3}, 1), choice) << typed;
  EXPECT_EQ(zw::ParseTerminalChoice("  ", labels, {0, 1, 2, 3}, -1), std::nullopt);
}

}  // namespace
