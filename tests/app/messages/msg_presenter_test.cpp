#include "app/messages/msg_presenter.h"

#include <gtest/gtest.h>

#include <limits>
#include <thread>
#include <vector>

#include "app/support/test_host.h"
#include "app/text/countdown_box.h"
#include "app/text/text_format.h"
#include "app/text_ids.h"
#include "support/temp_tree.h"

namespace {

using zw::TExecMode;
using zw::TFmtArg;
using zw::TFmtArgs;
using zwtest::HostCall;

TFmtArg I(int64_t v) { return TFmtArg(v); }
TFmtArg S(const std::string& s) { return TFmtArg(s); }

zw::platform::FileTime Noon() {
  zw::platform::FileTime ft = 0;
  zw::platform::JoinFileTime({2024, 3, 0, 18, 12}, ft);
  return ft;
}

class PresenterTest : public ::testing::Test {
 protected:
  PresenterTest() : presenter(&host, log, strings, messages) { log.SetClock(&Noon); }
  void Mode(TExecMode mode, bool script) {
    presenter.SetExecMode(mode);
    presenter.SetScriptExecuting(script);
  }
  // A text as the log has it, at noon.
  static std::string Line(char kind, const std::string& text) {
    return std::string(1, kind) + " 12:00:00 " + zw::TZWLog::FlattenLineBreaks(text);
  }
  std::string Text(zw::TMsgID id, const TFmtArgs& args = {}) const {
    return zw::Format(messages.Text(id), args);
  }
  std::string LastText() const { return host.Calls().back().text; }
  std::string LastLine() const { return log.Line(log.Count() - 1); }

  zwtest::TestHost host;
  zw::TZWLog log;
  zw::TStringTable strings;
  zw::TMessageTable messages;
  zw::TMsgPresenter presenter;
};

// --- every message, every mode ------------------------------------------------------

// Whether a message is shown [attended, unattended] by its show policy
// (unless unattended, never, always), and logged by its log policy (when
// unattended, never, always).
constexpr bool kShown[3][2] = {{true, false}, {false, false}, {true, true}};
constexpr bool kLogged[3][2] = {{false, true}, {false, false}, {true, true}};

TEST_F(PresenterTest, EveryMessageInEveryModeFollowsItsPolicies) {
  const std::pair<TExecMode, bool> modes[] = {
      {TExecMode::Default, false},     {TExecMode::Default, true},
      {TExecMode::Interactive, false}, {TExecMode::Interactive, true},
      {TExecMode::Unattended, false},  {TExecMode::Unattended, true},
  };
  for (const auto& [mode, script] : modes) {
    Mode(mode, script);
    const bool unattended = mode == TExecMode::Unattended || (mode == TExecMode::Default && script);
    EXPECT_EQ(presenter.Unattended(), unattended);
    for (size_t i = 0; i < zw::kMsgCount; ++i) {
      const auto id = static_cast<zw::TMsgID>(i);
      const zw::TMsg m = messages.Msg(id);
      SCOPED_TRACE(std::string(zw::TMessageTable::NameOf(id)) + " mode " +
                   static_cast<char>(mode) + (script ? " script" : ""));
      host.Clear();
      size_t before = log.Count();
      const int shownAnswer = presenter.ShowMsg(id);
      EXPECT_EQ(host.Count(HostCall::MessageBox), size_t(kShown[m.ShowPolicy][unattended]));
      // A box kept from the user is told to the host, and answers nothing.
      const bool kept = m.ShowPolicy == zw::spUnlessUnattended && unattended;
      EXPECT_EQ(host.Count(HostCall::MessageNotShown), size_t(kept));
      EXPECT_TRUE(!kept || shownAnswer == 0);
      EXPECT_EQ(log.Count() - before, size_t(kLogged[m.LogPolicy][unattended]));
      // A question with a default is answered by it without asking when
      // unattended; one shown always only in mode p. The answer is logged.
      before = log.Count();
      const int answer = zw::StyleAnswers(m.Flags).back();
      const bool silent = m.ShowPolicy == zw::spUnlessUnattended ? unattended
                          : m.ShowPolicy == zw::spAlways ? mode == TExecMode::Unattended
                                                          : false;
      EXPECT_EQ(presenter.AskMsg(id, answer), answer);
      EXPECT_EQ(host.Count(HostCall::QuestionBox), size_t(!silent));
      const bool logged = silent && m.LogPolicy != zw::lpNever;
      EXPECT_EQ(log.Count() - before, size_t(logged));
      EXPECT_TRUE(!logged ||
                  LastLine() == Line('?', m.Text + " [" + presenter.AnswerText(answer) + "]"));
      // Without a default it is always asked.
      presenter.AskMsg(id, 0);
      EXPECT_EQ(host.Count(HostCall::QuestionBox), size_t(!silent) + 1);
      EXPECT_EQ(host.Calls().back().defaultAnswer, 0);
      // Boxes show the text as it is (no arguments), the caption of the
      // icon kind, the style and the picture.
      for (const HostCall& box : host.Boxes()) {
        EXPECT_EQ(box.text, m.Text);
        EXPECT_EQ(box.caption, strings.Str(zw::CaptionOfStyle(m.Flags)));
        EXPECT_EQ(box.style, m.Flags);
        EXPECT_EQ(box.iconId, m.IconId);
        EXPECT_TRUE(box.kind == HostCall::MessageBox || box.defaultAnswer == answer ||
                    box.defaultAnswer == 0);
      }
    }
  }
}

// --- texts, arguments, languages ----------------------------------------------------

TEST_F(PresenterTest, ArgumentsAreFilledInLanguageTextsUsed) {
  EXPECT_EQ(presenter.ShowMsg(zw::msgSomeFilesNotDeleted), zw::ansYes);  // the host's Enter
  host.answers = {zw::ansNo};
  EXPECT_EQ(presenter.ShowMsgFmt(zw::msgDirNotFound, {S("/gone/")}), zw::ansNo);
  EXPECT_EQ(LastText(), Text(zw::msgDirNotFound, {S("/gone/")}));
  EXPECT_NE(LastText(), messages.Text(zw::msgDirNotFound));
  presenter.ShowMsg(zw::msgDirNotFound, {S("/x/")});
  EXPECT_EQ(LastText(), Text(zw::msgDirNotFound, {S("/x/")}));
  presenter.ShowMsgFmt(zw::msgDirNotFound, {});  // formatting without arguments keeps it
  EXPECT_EQ(LastText(), messages.Text(zw::msgDirNotFound));
  presenter.AskMsgFmt(zw::askAddMask, {S("*.txt")}, zw::ansYes);
  EXPECT_EQ(LastText(), Text(zw::askAddMask, {S("*.txt")}));
  EXPECT_EQ(log.Count(), 0u);  // an asked question is not logged
  messages.SetText(zw::msgDirNotFound, "Der Ordner \"%s\" fehlt.");
  strings.Set(zw::strError, "Fehler");
  presenter.ShowMsgFmt(zw::msgDirNotFound, {S("/x/")});
  EXPECT_EQ(LastText(), "Der Ordner \"/x/\" fehlt.");
  EXPECT_EQ(host.Calls().back().caption, "Fehler");
}

TEST_F(PresenterTest, LoggedMessagesCarryTheirKindAnswersTheirLabels) {
  Mode(TExecMode::Unattended, false);
  presenter.ShowMsgFmt(zw::msgDirNotFound, {S("/gone/")});
  EXPECT_EQ(log.Line(0), Line('X', Text(zw::msgDirNotFound, {S("/gone/")})));
  auto details = std::dynamic_pointer_cast<const zw::TZWLogNoDetails>(log.Details(0));
  ASSERT_TRUE(details);
  EXPECT_EQ(details->GetKind(), 1);
  presenter.AskMsgFmt(zw::askAddMask, {S("*.txt")}, zw::ansNo);
  EXPECT_EQ(log.Line(1), Line('?', Text(zw::askAddMask, {S("*.txt")}) + " [No]"));
  EXPECT_EQ(log.Details(1)->GetKind(), 2);
  strings.Set(zw::lblCancel, "Abbrechen");
  presenter.AskMsg(zw::askDirNotFound, zw::ansCancel);
  EXPECT_EQ(LastLine(), Line('?', messages.Text(zw::askDirNotFound) + " [Abbrechen]"));
  presenter.AskMsg(zw::askAddMask, 3);  // an answer without a label
  EXPECT_EQ(LastLine(), Line('?', messages.Text(zw::askAddMask) + " []"));
}

// --- countdown questions ------------------------------------------------------------

TEST_F(PresenterTest, CountdownQuestionBuildsTheBox) {
  host.answers = {1};
  EXPECT_EQ(presenter.CountdownAskFmt(zw::askDeleteFiles, {I(3), I(12)}, 30, zw::ansYes),
            zw::ansNo);
  const auto c = host.CallsOf(HostCall::CountdownBox).at(0).request;
  EXPECT_EQ(c.caption, strings.Str(zw::strConfirmation));
  EXPECT_EQ(c.buttons, (std::vector<std::string>{"Yes", "No", "Pause"}));
  EXPECT_EQ(c.defaultIndex, 0);
  EXPECT_EQ(c.seconds, 30);
  EXPECT_EQ(c.style, messages.Msg(zw::askDeleteFiles).Flags);
  EXPECT_EQ(c.iconId, 0);
  const std::string countdown =
      "\r\n\r\n" + zw::Format(strings.Str(zw::strCountdownDialog), {I(30)});
  EXPECT_EQ(zw::TCountdownBox(c).Text(), Text(zw::askDeleteFiles, {I(3), I(12)}) + countdown);
  EXPECT_EQ(log.Count(), 0u);
  // The "%" signs of the arguments stay as they are.
  presenter.CountdownAskFmt(zw::askAddMask, {S("100%d.txt")}, 30, zw::ansNo);
  EXPECT_EQ(zw::TCountdownBox(host.Calls().back().request).Text(),
            Text(zw::askAddMask, {S("100%d.txt")}) + countdown);
  // Without seconds: no pause button and no countdown line.
  host.answers = {0};
  EXPECT_EQ(presenter.CountdownAskFmt(zw::askAddMask, {S("a")}, 0, zw::ansNo), zw::ansYes);
  const auto still = host.Calls().back().request;
  EXPECT_EQ(still.buttons, (std::vector<std::string>{"Yes", "No"}));
  EXPECT_EQ(still.seconds, 0);
  EXPECT_EQ(still.text, Text(zw::askAddMask, {S("a")}));
  host.answers = {2};  // a broken host returning the pause button
  EXPECT_EQ(presenter.CountdownAskFmt(zw::askAddMask, {S("a")}, 30, zw::ansNo), zw::kNoAnswer);
}

TEST_F(PresenterTest, CountdownRunningOutGivesTheDefaultAnswer) {
  // The host lets the time run out: the box closes with its default index.
  host.onBox = [](const HostCall& call) {
    zw::TCountdownBox box(call.request);
    for (;;)
      if (auto r = box.Tick()) return *r;
  };
  EXPECT_EQ(presenter.CountdownAskFmt(zw::askDeleteFiles, {I(1), I(1)}, 30, zw::ansNo), zw::ansNo);
  EXPECT_EQ(presenter.CountdownAskFmt(zw::askCorrectMask, {S(".dll")}, 30, zw::ansCancel),
            zw::ansCancel);
  EXPECT_EQ(presenter.CountdownAskFmt(zw::askDirNotFound, {S("/x/")}, 30, zw::ansCancel),
            zw::ansCancel);
  EXPECT_EQ(host.CallsOf(HostCall::CountdownBox).at(2).request.buttons,
            (std::vector<std::string>{"OK", "Cancel", "Pause"}));
  // No default button: the end of the countdown answers nothing.
  EXPECT_EQ(presenter.CountdownAskFmt(zw::askDeleteFiles, {I(1), I(1)}, 30, 0), zw::kNoAnswer);
}

TEST_F(PresenterTest, OwnButtonsGoToTheCountdownBoxWithOrWithoutCountdown) {
  host.answers = {2, 3};
  EXPECT_EQ(presenter.AskButtons(zw::askDeleteEmptyDir, {S("/a/b/")}, zw::strConfirmation,
                                 zw::icoQuestion, {zw::lblYes, zw::lblNo, zw::lblAll, zw::lblNone},
                                 1),
            2);
  const auto c = host.Calls().back().request;
  EXPECT_EQ(c.text, zw::Format(strings.Str(zw::askDeleteEmptyDir), {S("/a/b/")}));
  EXPECT_EQ(c.caption, strings.Str(zw::strConfirmation));
  EXPECT_EQ(c.buttons, (std::vector<std::string>{"Yes", "No", "All", "None"}));
  EXPECT_EQ(c.defaultIndex, 1);
  EXPECT_EQ(c.seconds, 0);
  EXPECT_EQ(c.style, 0x20u);
  // With a countdown the pause button comes, and never answers.
  EXPECT_EQ(presenter.AskButtonsCountdown(zw::askLinkToArchive, {}, zw::strConfirmation,
                                          zw::icoQuestion, {zw::lblYes, zw::lblCancel}, 1, 30),
            -1);
  EXPECT_EQ(host.Calls().back().request.buttons,
            (std::vector<std::string>{"Yes", "Cancel", "Pause"}));
  EXPECT_EQ(host.Calls().back().request.seconds, 30);
}

// --- log entries ----------------------------------------------------------------------

TEST_F(PresenterTest, LogEntriesAreNeverShown) {
  Mode(TExecMode::Interactive, false);
  presenter.LogMsg(zw::logCreatingFileList);
  presenter.LogMsg(zw::msgDirNotFound, {S("/x/")});  // a message logged as an entry
  presenter.LogText(0x24, "a question\r\nin two lines");
  EXPECT_TRUE(host.Calls().empty());
  EXPECT_EQ(log.Line(0), Line('i', messages.Text(zw::logCreatingFileList)));
  EXPECT_EQ(log.Line(1), Line('X', Text(zw::msgDirNotFound, {S("/x/")})));
  EXPECT_EQ(log.Line(2), "? 12:00:00 a question in two lines");
}

TEST_F(PresenterTest, IOErrorEntriesCarryTheirErrorCode) {
  presenter.LogMsg(zw::logIOErrorOnBrowse, {I(5), S("/a/")});
  presenter.LogMsg(zw::logIOErrorOnDelete, {S("/a/f"), I(32)});
  presenter.LogMsg(zw::logFilesFound, {I(3000), I(2000), I(1000)});  // no code
  presenter.LogMsgFmt(zw::logIOErrorOnOpen, {I(13), S("/f")}, -1);
  presenter.LogMsgFmt(zw::logIOErrorOnOpen, {I(13), S("/f")}, -3);  // no third argument
  presenter.LogMsgFmt(zw::logIOErrorOnOpen, {I(13), S("/f")}, -2);  // a string: no code
  presenter.LogMsgFmt(zw::logIOErrorOnOpen, {I(13), S("/f")}, 87);
  presenter.LogMsgFmt(zw::logIOErrorOnOpen, {I(13), S("/f")}, std::numeric_limits<int64_t>::min());
  presenter.LogMsgCode(zw::logIOErrorOnRead, 21);
  std::vector<int64_t> codes;
  for (size_t i = 0; i < log.Count(); ++i) {
    auto d = std::dynamic_pointer_cast<const zw::TZWLogErrorDetails>(log.Details(i));
    codes.push_back(d ? static_cast<int64_t>(d->ErrorCode) : -1);
    EXPECT_TRUE(d || std::dynamic_pointer_cast<const zw::TZWLogNoDetails>(log.Details(i)));
  }
  EXPECT_EQ(codes, (std::vector<int64_t>{5, 32, -1, 13, -1, -1, 87, -1, 21}));
  EXPECT_EQ(log.Details(0)->GetKind(), 3);
  EXPECT_EQ(log.Line(1), Line('X', Text(zw::logIOErrorOnDelete, {S("/a/f"), I(32)})));
  EXPECT_EQ(LastLine(), Line('!', messages.Text(zw::logIOErrorOnRead)));
}

TEST_F(PresenterTest, ExceptionEntryCarriesTheReport) {
  auto info = std::make_shared<zw::TZWExceptInfo>();
  info->ClassName = "std::bad_alloc";
  presenter.LogMsgExcept(zw::logUnhandledException, {S("out of memory")}, info);
  EXPECT_EQ(log.Line(0), Line('X', Text(zw::logUnhandledException, {S("out of memory")})));
  auto d = std::dynamic_pointer_cast<const zw::TZWLogExceptDetails>(log.Details(0));
  ASSERT_TRUE(d);
  EXPECT_EQ(d->Info, info);
}

TEST_F(PresenterTest, SaveLogFailurePresentsTheMessage) {
  zwtest::TempTree tree;
  presenter.LogMsg(zw::logCreatingFileList);
  EXPECT_TRUE(presenter.SaveLog(tree.PathOf("ok.log"), true));
  EXPECT_TRUE(host.Boxes().empty());
  EXPECT_FALSE(presenter.SaveLog(tree.PathOf("missing/x.log"), true));
  // The message with the error code, which is not 0.
  const std::string text = messages.Text(zw::msgSaveLogFailed);
  const std::string box = host.CallsOf(HostCall::MessageBox).at(0).text;
  const size_t code = text.find("%d");
  ASSERT_NE(code, std::string::npos);
  EXPECT_EQ(box.substr(0, code), text.substr(0, code));
  EXPECT_TRUE(box[code] >= '1' && box[code] <= '9') << box;
  EXPECT_EQ(box.find('%'), std::string::npos);
}

TEST_F(PresenterTest, WithoutHostNothingIsShownAndQuestionsTakeTheirDefault) {
  presenter.SetHost(nullptr);
  EXPECT_EQ(presenter.ShowMsg(zw::msgDirNotFound), 0);
  EXPECT_EQ(presenter.AskMsg(zw::askAddMask, zw::ansYes), zw::ansYes);
  EXPECT_EQ(presenter.AskMsg(zw::askAddMask, 0), zw::ansNo);  // the safe answer
  EXPECT_EQ(presenter.AskMsg(zw::askDirNotFound, 0), zw::ansCancel);
  EXPECT_EQ(presenter.CountdownAskFmt(zw::askAddMask, {S("a")}, 30, zw::ansNo), zw::ansNo);
  EXPECT_EQ(presenter.AskButtons(zw::askDeleteEmptyDir, {S("/a/")}, zw::strConfirmation,
                                 zw::icoQuestion, {zw::lblYes, zw::lblNo}, 1),
            1);
}

TEST_F(PresenterTest, LoggingFromManyThreadsLosesNothing) {
  Mode(TExecMode::Default, true);
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([&, t] {
      for (int i = 0; i < 200; ++i) {
        presenter.LogMsg(zw::logIOErrorOnRead, {I(t), S("/f" + std::to_string(i))});
        presenter.ShowMsg(zw::msgNoFilesFound);  // logged only: a script runs
      }
    });
  for (auto& th : threads) th.join();
  EXPECT_EQ(log.Count(), 1600u);
  EXPECT_TRUE(host.Boxes().empty());
}

}  // namespace
