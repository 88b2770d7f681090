#include "app/text/countdown_box.h"
#include "app/text_ids.h"

#include <gtest/gtest.h>

namespace {

using zw::TCountdownBox;
using zw::TCountdownRequest;

constexpr zw::TBoxStyle kOK = 0x00, kOKCancel = 0x01, kYesNoCancel = 0x03, kYesNo = 0x04;

// --- standard boxes -------------------------------------------------------------

TEST(BoxStyles, AnswersOfEachButtonSet) {
  EXPECT_EQ(zw::StyleAnswers(kOK | 0x10), (std::vector<int>{zw::ansOK}));
  EXPECT_EQ(zw::StyleAnswers(kOKCancel | 0x30), (std::vector<int>{zw::ansOK, zw::ansCancel}));
  EXPECT_EQ(zw::StyleAnswers(kYesNoCancel),
            (std::vector<int>{zw::ansYes, zw::ansNo, zw::ansCancel}));
  EXPECT_EQ(zw::StyleAnswers(kYesNo | 0x20), (std::vector<int>{zw::ansYes, zw::ansNo}));
}

TEST(BoxStyles, AnswerLabels) {
  EXPECT_EQ(zw::AnswerLabel(zw::ansOK), zw::lblOK);
  EXPECT_EQ(zw::AnswerLabel(zw::ansCancel), zw::lblCancel);
  EXPECT_EQ(zw::AnswerLabel(zw::ansYes), zw::lblYes);
  EXPECT_EQ(zw::AnswerLabel(zw::ansNo), zw::lblNo);
  EXPECT_EQ(zw::AnswerLabel(3), zw::strNone);
  EXPECT_EQ(zw::AnswerLabel(0), zw::strNone);
}

TEST(BoxStyles, CaptionByIconKind) {
  EXPECT_EQ(zw::CaptionOfStyle(0x04), zw::strNone);
  EXPECT_EQ(zw::CaptionOfStyle(0x10), zw::strError);
  EXPECT_EQ(zw::CaptionOfStyle(0x24), zw::strConfirmation);
  EXPECT_EQ(zw::CaptionOfStyle(0x31), zw::strWarning);
  EXPECT_EQ(zw::CaptionOfStyle(0x40), zw::strInformation);
  EXPECT_EQ(zw::CaptionOfStyle(0x50), zw::strNone);
  EXPECT_EQ(zw::StyleOfIconKind(zw::icoQuestion), 0x20u);
  EXPECT_EQ(zw::StyleOfIconKind(zw::icoInformation), 0x40u);
}

TEST(BoxStyles, SafeAnswerDoesNothing) {
  EXPECT_EQ(zw::SafeAnswer(kOK), zw::ansOK);
  EXPECT_EQ(zw::SafeAnswer(kOKCancel), zw::ansCancel);
  EXPECT_EQ(zw::SafeAnswer(kYesNoCancel), zw::ansCancel);
  EXPECT_EQ(zw::SafeAnswer(kYesNo), zw::ansNo);
  EXPECT_EQ(zw::DefaultOrSafeAnswer(kYesNo, zw::ansYes), zw::ansYes);
  EXPECT_EQ(zw::DefaultOrSafeAnswer(kYesNo, 0), zw::ansNo);
  EXPECT_EQ(zw::DefaultOrSafeAnswer(kYesNo, zw::ansOK), zw::ansNo);  // not a button of the box
  EXPECT_EQ(zw::DefaultOrSafeAnswer(kOKCancel, zw::ansOK), zw::ansOK);
}

// --- countdown questions ----------------------------------------------------------

TEST(CountdownButtons, EachSetEndsWithPause) {
  EXPECT_EQ(zw::CountdownButtons(kOK), (std::vector<zw::TStrID>{zw::lblOK, zw::lblPause}));
  EXPECT_EQ(zw::CountdownButtons(kOKCancel | 0x20),
            (std::vector<zw::TStrID>{zw::lblOK, zw::lblCancel, zw::lblPause}));
  EXPECT_EQ(zw::CountdownButtons(kYesNoCancel),
            (std::vector<zw::TStrID>{zw::lblYes, zw::lblNo, zw::lblCancel, zw::lblPause}));
  EXPECT_EQ(zw::CountdownButtons(kYesNo),
            (std::vector<zw::TStrID>{zw::lblYes, zw::lblNo, zw::lblPause}));
  EXPECT_TRUE(zw::CountdownButtons(0x02).empty());
  EXPECT_TRUE(zw::CountdownButtons(0x05).empty());
}

TEST(CountdownButtons, DefaultIndexOfEachAnswer) {
  EXPECT_EQ(zw::CountdownDefaultIndex(kOK, zw::ansOK), 0);
  EXPECT_EQ(zw::CountdownDefaultIndex(kOKCancel, zw::ansOK), 0);
  EXPECT_EQ(zw::CountdownDefaultIndex(kOKCancel, zw::ansCancel), 1);
  EXPECT_EQ(zw::CountdownDefaultIndex(kYesNoCancel, zw::ansCancel), 2);
  EXPECT_EQ(zw::CountdownDefaultIndex(kYesNo, zw::ansCancel), -1);
  EXPECT_EQ(zw::CountdownDefaultIndex(kYesNo, zw::ansYes), 0);
  EXPECT_EQ(zw::CountdownDefaultIndex(kYesNo, zw::ansNo), 1);
  EXPECT_EQ(zw::CountdownDefaultIndex(kYesNoCancel, zw::ansNo), 1);
  EXPECT_EQ(zw::CountdownDefaultIndex(kYesNo, 0), -1);
  EXPECT_EQ(zw::CountdownDefaultIndex(kYesNo, 5), -1);
}

TEST(CountdownButtons, IndexToAnswer) {
  EXPECT_EQ(zw::CountdownAnswer(kYesNo, 0), zw::ansYes);
  EXPECT_EQ(zw::CountdownAnswer(kYesNoCancel, 0), zw::ansYes);
  EXPECT_EQ(zw::CountdownAnswer(kOK, 0), zw::ansOK);
  EXPECT_EQ(zw::CountdownAnswer(kOKCancel, 0), zw::ansOK);
  EXPECT_EQ(zw::CountdownAnswer(kOKCancel, 1), zw::ansCancel);
  EXPECT_EQ(zw::CountdownAnswer(kYesNo, 1), zw::ansNo);
  EXPECT_EQ(zw::CountdownAnswer(kYesNoCancel, 1), zw::ansNo);
  EXPECT_EQ(zw::CountdownAnswer(kYesNoCancel, 2), zw::ansCancel);
  EXPECT_EQ(zw::CountdownAnswer(kYesNo, 3), zw::kNoAnswer);
  EXPECT_EQ(zw::CountdownAnswer(kYesNo, -1), zw::kNoAnswer);
}

TEST(CountdownButtons, DefaultIndexMapsBackToTheDefaultAnswer) {
  for (zw::TBoxStyle style : {kOK, kOKCancel, kYesNoCancel, kYesNo})
    for (int answer : zw::StyleAnswers(style))
      EXPECT_EQ(zw::CountdownAnswer(style, zw::CountdownDefaultIndex(style, answer)), answer)
          << style << " " << answer;
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

TEST(CountdownBox, CountsDownAndAnswersWithTheDefault) {
  TCountdownBox box(Counting(3));
  EXPECT_TRUE(box.Counting());
  EXPECT_TRUE(box.HasPauseButton());
  EXPECT_EQ(box.PauseIndex(), 2);
  EXPECT_EQ(box.Text(),
            "Delete 100% of it?\r\n\r\nIn 3 seconds the default answer will be chosen.");
  EXPECT_FALSE(box.Tick());
  EXPECT_EQ(box.SecondsLeft(), 2);
  EXPECT_EQ(box.Text(),
            "Delete 100% of it?\r\n\r\nIn 2 seconds the default answer will be chosen.");
  EXPECT_FALSE(box.Tick());
  const auto result = box.Tick();
  ASSERT_TRUE(result);
  EXPECT_EQ(*result, 1);
  EXPECT_TRUE(box.Closed());
  EXPECT_EQ(box.Result(), 1);
  EXPECT_FALSE(box.Tick());  // closed boxes do nothing more
}

TEST(CountdownBox, TimeRunningOutWithoutDefaultGivesNoButton) {
  TCountdownBox box(Counting(1, -1));
  const auto result = box.Tick();
  ASSERT_TRUE(result);
  EXPECT_EQ(*result, -1);
}

TEST(CountdownBox, PauseStopsTheCountAndDisablesPause) {
  TCountdownBox box(Counting(30));
  box.Tick();
  EXPECT_FALSE(box.Press(2));  // the pause button answers nothing
  EXPECT_TRUE(box.Paused());
  EXPECT_FALSE(box.Counting());
  EXPECT_FALSE(box.ButtonEnabled(2));
  EXPECT_TRUE(box.ButtonEnabled(0));
  EXPECT_FALSE(box.CloseBoxShown());
  for (int i = 0; i < 100; ++i) EXPECT_FALSE(box.Tick());
  EXPECT_EQ(box.SecondsLeft(), 29);
  EXPECT_EQ(box.Text(),
            "Delete 100% of it?\r\n\r\nIn 29 seconds the default answer will be chosen.");
  const auto result = box.Press(0);
  ASSERT_TRUE(result);
  EXPECT_EQ(*result, 0);
}

TEST(CountdownBox, EscapeTwicePausesThenDoesNothing) {
  TCountdownBox box(Counting(30));
  box.Pause();  // Escape
  EXPECT_TRUE(box.Paused());
  box.Pause();  // Escape again
  EXPECT_TRUE(box.Paused());
  EXPECT_FALSE(box.Closed());
  EXPECT_FALSE(box.Press(2));
  EXPECT_FALSE(box.Closed());
}

TEST(CountdownBox, EnterConfirmsTheDefault) {
  TCountdownBox box(Counting(30, 0));
  const auto result = box.Enter();
  ASSERT_TRUE(result);
  EXPECT_EQ(*result, 0);
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
  box.Pause();  // Escape in a box that never counted: nothing
  EXPECT_FALSE(box.Paused());
  EXPECT_TRUE(box.ButtonEnabled(3));
  EXPECT_FALSE(box.Tick());
  const auto result = box.Press(3);
  ASSERT_TRUE(result);
  EXPECT_EQ(*result, 3);
}

TEST(CountdownBox, AnswerIndicesLeaveOutPause) {
  TCountdownBox box(Counting(5));
  EXPECT_EQ(box.AnswerIndices(), (std::vector<int>{0, 1}));
  EXPECT_FALSE(box.Press(7));
  EXPECT_FALSE(box.Press(-1));
}

// --- terminal -------------------------------------------------------------------

TEST(Terminal, PromptNumbersTheChoicesAndMarksTheDefault) {
  const std::vector<std::string> labels = {"Yes", "No", "&All", "None"};
  EXPECT_EQ(zw::TerminalPrompt("Confirmation", "The directory \"/x/\" is now empty.\r\nDelete it?",
                               labels, {0, 1, 2, 3}, 1),
            "Confirmation: The directory \"/x/\" is now empty.\nDelete it?\n"
            "[1] Yes  [2] No (default)  [3] All  [4] None\n");
  EXPECT_EQ(zw::TerminalPrompt("", "Go?", labels, {0, 1}, -1), "Go?\n[1] Yes  [2] No\n");
}

TEST(Terminal, ChoicesByNumberLabelOrPrefix) {
  const std::vector<std::string> labels = {"Yes", "No", "&All", "None", "Pause"};
  const std::vector<int> choices = {0, 1, 2, 3};
  EXPECT_EQ(zw::ParseTerminalChoice("", labels, choices, 1), 1);
  EXPECT_EQ(zw::ParseTerminalChoice("  ", labels, choices, -1), std::nullopt);
  EXPECT_EQ(zw::ParseTerminalChoice("3", labels, choices, 1), 2);
  EXPECT_EQ(zw::ParseTerminalChoice("5", labels, choices, 1), std::nullopt);  // Pause is not offered
  EXPECT_EQ(zw::ParseTerminalChoice("0", labels, choices, 1), std::nullopt);
  EXPECT_EQ(zw::ParseTerminalChoice("ALL\n", labels, choices, 1), 2);
  EXPECT_EQ(zw::ParseTerminalChoice("y", labels, choices, 1), 0);
  EXPECT_EQ(zw::ParseTerminalChoice("n", labels, choices, 1), std::nullopt);  // No or None
  EXPECT_EQ(zw::ParseTerminalChoice("no", labels, choices, 1), 1);  // exact wins
  EXPECT_EQ(zw::ParseTerminalChoice("non", labels, choices, 1), 3);
  EXPECT_EQ(zw::ParseTerminalChoice("pause", labels, choices, 1), std::nullopt);
  EXPECT_EQ(zw::ParseTerminalChoice("99999999999999", labels, choices, 1), std::nullopt);
}

TEST(Terminal, TextLineBreaks) {
  EXPECT_EQ(zw::TerminalText("a\r\nb\rc\nd"), "a\nb\nc\nd");
}

}  // namespace
