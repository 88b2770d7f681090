#include "app/messages/msg_presenter.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <limits>
#include <thread>
#include <vector>

#include "app/support/test_host.h"
#include "app/text/countdown_box.h"
#include "support/temp_tree.h"
#include "app/text_ids.h"

namespace {

using zw::TExecMode;
using zw::TFmtArg;
using zw::TFmtArgs;
using zwtest::HostCall;
using zwtest::TestHost;

TFmtArg I(int64_t v) { return TFmtArg(v); }
TFmtArg S(const std::string& s) { return TFmtArg(s); }

zw::platform::FileTime Noon() {
  zw::platform::SystemTime st;
  st.year = 2024;
  st.month = 3;
  st.day = 18;
  st.hour = 12;
  zw::platform::FileTime ft = 0;
  zw::platform::JoinFileTime(st, ft);
  return ft;
}

class PresenterTest : public ::testing::Test {
 protected:
  PresenterTest() : presenter(&host, log, strings, messages) {
    log.SetClock(&Noon);
  }
  void Mode(TExecMode mode, bool script) {
    presenter.SetExecMode(mode);
    presenter.SetScriptExecuting(script);
  }
  std::vector<std::string> Lines() const {
    std::vector<std::string> out;
    for (const auto& e : log.Entries()) out.push_back(e.Line);
    return out;
  }

  TestHost host;
  zw::TZWLog log;
  zw::TStringTable strings;
  zw::TMessageTable messages;
  zw::TMsgPresenter presenter;
};

// --- attended or unattended -------------------------------------------------------

TEST_F(PresenterTest, ExecutionModeDecidesWhetherTheRunIsAttended) {
  Mode(TExecMode::Default, false);
  EXPECT_FALSE(presenter.Unattended());
  Mode(TExecMode::Default, true);
  EXPECT_TRUE(presenter.Unattended());
  Mode(TExecMode::Interactive, true);
  EXPECT_FALSE(presenter.Unattended());
  Mode(TExecMode::Interactive, false);
  EXPECT_FALSE(presenter.Unattended());
  Mode(TExecMode::Unattended, false);
  EXPECT_TRUE(presenter.Unattended());
  Mode(TExecMode::Unattended, true);
  EXPECT_TRUE(presenter.Unattended());
  EXPECT_EQ(static_cast<char>(TExecMode::Unattended), 'p');
}

// --- messages: every mode against every pair of policies -------------------------

struct PolicyCase {
  zw::TMsgID id;
  const char* what;
  bool shownAttended, loggedAttended, shownUnattended, loggedUnattended;
  bool keptFromBoxUnattended;  // the host hears of a box it did not get
};

TEST_F(PresenterTest, ShowAndLogPoliciesInEveryMode) {
  const PolicyCase cases[] = {
      {zw::msgNoFilesSelected, "show 0, log 0", true, false, false, true, true},
      {zw::msgOnlyOneFileFound, "show 0, log 2", true, true, false, true, true},
      {zw::msgDirNotFound, "show 2, log 0", true, false, true, true, false},
      {zw::logStartScan, "show 1, log 2", false, true, false, true, false},
  };
  const std::pair<TExecMode, bool> modes[] = {
      {TExecMode::Default, false},     {TExecMode::Default, true},
      {TExecMode::Interactive, false}, {TExecMode::Interactive, true},
      {TExecMode::Unattended, false},  {TExecMode::Unattended, true},
  };
  for (const auto& [mode, script] : modes) {
    Mode(mode, script);
    const bool unattended = mode == TExecMode::Unattended || (mode == TExecMode::Default && script);
    for (const auto& c : cases) {
      host.Clear();
      const size_t before = log.Count();
      presenter.ShowMsg(c.id);
      const bool shown = host.Count(HostCall::MessageBox) == 1;
      const bool logged = log.Count() == before + 1;
      SCOPED_TRACE(std::string(c.what) + " mode " + static_cast<char>(mode) +
                   (script ? " script" : ""));
      EXPECT_EQ(shown, unattended ? c.shownUnattended : c.shownAttended);
      EXPECT_EQ(logged, unattended ? c.loggedUnattended : c.loggedAttended);
      EXPECT_EQ(host.Count(HostCall::MessageNotShown) == 1, unattended && c.keptFromBoxUnattended);
    }
  }
}

TEST_F(PresenterTest, OnlyOneFileIsShownAndLoggedWithoutAScriptAndOnlyLoggedWithOne) {
  Mode(TExecMode::Default, false);
  presenter.ShowMsg(zw::msgOnlyOneFileFound);
  ASSERT_EQ(host.Count(HostCall::MessageBox), 1u);
  ASSERT_EQ(log.Count(), 1u);
  EXPECT_EQ(log.Line(0), "! 12:00:00 There's only one file. No search for duplicates is performed.");
  Mode(TExecMode::Default, true);
  presenter.ShowMsg(zw::msgOnlyOneFileFound);
  EXPECT_EQ(host.Count(HostCall::MessageBox), 1u);
  EXPECT_EQ(log.Count(), 2u);
}

TEST_F(PresenterTest, BoxGetsCaptionIconAndStyleOfTheMessage) {
  host.answers.push_back(zw::ansNo);
  const int answer = presenter.ShowMsg(zw::msgSomeFilesNotDeleted);
  EXPECT_EQ(answer, zw::ansNo);
  const auto box = host.CallsOf(HostCall::MessageBox).at(0);
  EXPECT_EQ(box.text, "Some files couldn't be deleted.\r\nDo you want to see the log?");
  EXPECT_EQ(box.caption, "Warning");
  EXPECT_EQ(box.style, 0x34u);
  EXPECT_EQ(box.iconId, 0);
  presenter.ShowMsgFmt(zw::msgDirNotFound, {S("/gone/")});
  const auto err = host.CallsOf(HostCall::MessageBox).at(1);
  EXPECT_EQ(err.text, "The directory \"/gone/\" doesn't exist.");
  EXPECT_EQ(err.caption, "Error");
  EXPECT_EQ(err.style, 0x10u);
}

TEST_F(PresenterTest, MessageNotShownAnswersZero) {
  Mode(TExecMode::Unattended, false);
  EXPECT_EQ(presenter.ShowMsg(zw::msgSomeFilesNotDeleted), 0);
}

TEST_F(PresenterTest, WithoutArgumentsTheTextStandsAsItIs) {
  presenter.ShowMsg(zw::msgDirNotFound);
  EXPECT_EQ(host.Calls().back().text, "The directory \"%s\" doesn't exist.");
  presenter.ShowMsg(zw::msgDirNotFound, {S("/x/")});
  EXPECT_EQ(host.Calls().back().text, "The directory \"/x/\" doesn't exist.");
  presenter.ShowMsgFmt(zw::msgDirNotFound, {});  // formatting without arguments keeps it too
  EXPECT_EQ(host.Calls().back().text, "The directory \"%s\" doesn't exist.");
}

TEST_F(PresenterTest, LoggedMessageCarriesItsKindAndNoDetails) {
  Mode(TExecMode::Unattended, false);
  presenter.ShowMsgFmt(zw::msgDirNotFound, {S("/gone/")});
  ASSERT_EQ(log.Count(), 1u);
  EXPECT_EQ(log.Line(0), "X 12:00:00 The directory \"/gone/\" doesn't exist.");
  auto details = std::dynamic_pointer_cast<const zw::TZWLogNoDetails>(log.Details(0));
  ASSERT_TRUE(details);
  EXPECT_EQ(details->GetKind(), 1);
}

TEST_F(PresenterTest, LanguageTextsAreUsed) {
  messages.SetText(zw::msgDirNotFound, "Der Ordner \"%s\" fehlt.");
  strings.Set(zw::strError, "Fehler");
  presenter.ShowMsgFmt(zw::msgDirNotFound, {S("/x/")});
  EXPECT_EQ(host.Calls().back().text, "Der Ordner \"/x/\" fehlt.");
  EXPECT_EQ(host.Calls().back().caption, "Fehler");
}

// --- questions ----------------------------------------------------------------------

TEST_F(PresenterTest, AttendedQuestionIsAskedWithItsDefault) {
  host.answers.push_back(zw::ansNo);
  EXPECT_EQ(presenter.AskMsgFmt(zw::askAddMask, {S("*.txt")}, zw::ansYes), zw::ansNo);
  const auto q = host.CallsOf(HostCall::QuestionBox).at(0);
  EXPECT_EQ(q.text, "You entered a mask (\"*.txt\") but\r\ndid not add it to the list.\r\nAdd it now?");
  EXPECT_EQ(q.caption, "Confirmation");
  EXPECT_EQ(q.style, 0x24u);
  EXPECT_EQ(q.defaultAnswer, zw::ansYes);
  EXPECT_EQ(log.Count(), 0u);  // an asked question is not logged
}

TEST_F(PresenterTest, UnattendedQuestionIsAnsweredAndLoggedWithItsAnswer) {
  Mode(TExecMode::Default, true);
  EXPECT_EQ(presenter.AskMsgFmt(zw::askAddMask, {S("*.txt")}, zw::ansNo), zw::ansNo);
  EXPECT_TRUE(host.Boxes().empty());
  ASSERT_EQ(log.Count(), 1u);
  EXPECT_EQ(log.Line(0),
            "? 12:00:00 You entered a mask (\"*.txt\") but did not add it to the list. Add it now? "
            "[No]");
  EXPECT_EQ(log.Details(0)->GetKind(), 2);
}

TEST_F(PresenterTest, QuestionWithoutDefaultIsAlwaysAsked) {
  for (TExecMode mode : {TExecMode::Unattended, TExecMode::Default}) {
    Mode(mode, true);
    host.answers.push_back(zw::ansYes);
    EXPECT_EQ(presenter.AskMsg(zw::askReallyAbort, 0), zw::ansYes);
    EXPECT_EQ(host.Calls().back().defaultAnswer, 0);
  }
  EXPECT_EQ(host.Count(HostCall::QuestionBox), 2u);
  EXPECT_EQ(log.Count(), 0u);
}

TEST_F(PresenterTest, AlwaysShownQuestionIsSilentOnlyInModeP) {
  const TFmtArgs args = {I(1234), I(5678)};
  // Mode p: answered Yes silently and logged with " [Yes]".
  Mode(TExecMode::Unattended, false);
  EXPECT_EQ(presenter.AskMsgFmt(zw::askDeleteFiles, args, zw::ansYes), zw::ansYes);
  EXPECT_TRUE(host.Boxes().empty());
  ASSERT_EQ(log.Count(), 1u);
  EXPECT_EQ(log.Line(0),
            "? 12:00:00 You're about to delete 1,234 files with a total size of 5,678 kB. Warning: "
            "The files are deleted directly, not moved to the recycle bin. Do you really want to "
            "continue? [Yes]");
  // Mode d during a script: shown, with its picture.
  Mode(TExecMode::Default, true);
  host.answers.push_back(zw::ansNo);
  EXPECT_EQ(presenter.AskMsgFmt(zw::askDeleteFiles, args, zw::ansYes), zw::ansNo);
  const auto q = host.CallsOf(HostCall::QuestionBox).at(0);
  EXPECT_EQ(q.iconId, 204);
  EXPECT_EQ(q.text.substr(0, 70),
            "You're about to delete 1,234 files with a total size of 5,678 kB.\r\nWar");
  // Mode i: shown.
  Mode(TExecMode::Interactive, false);
  presenter.AskMsgFmt(zw::askDeleteFiles, args, zw::ansYes);
  EXPECT_EQ(host.Count(HostCall::QuestionBox), 2u);
  EXPECT_EQ(log.Count(), 1u);
}

TEST_F(PresenterTest, QuestionPoliciesInEveryMode) {
  // askAddMask: show 0; askDeleteFiles: show 2; both log 0.
  const std::pair<TExecMode, bool> modes[] = {
      {TExecMode::Default, false},     {TExecMode::Default, true},
      {TExecMode::Interactive, false}, {TExecMode::Interactive, true},
      {TExecMode::Unattended, false},  {TExecMode::Unattended, true},
  };
  for (const auto& [mode, script] : modes) {
    Mode(mode, script);
    const bool unattended = mode == TExecMode::Unattended || (mode == TExecMode::Default && script);
    SCOPED_TRACE(std::string("mode ") + static_cast<char>(mode) + (script ? " script" : ""));
    host.Clear();
    size_t before = log.Count();
    presenter.AskMsg(zw::askAddMask, zw::ansNo);
    EXPECT_EQ(host.Count(HostCall::QuestionBox), unattended ? 0u : 1u);
    EXPECT_EQ(log.Count(), before + (unattended ? 1 : 0));
    host.Clear();
    before = log.Count();
    presenter.AskMsg(zw::askDeleteFiles, zw::ansNo);
    const bool silent = mode == TExecMode::Unattended;
    EXPECT_EQ(host.Count(HostCall::QuestionBox), silent ? 0u : 1u);
    EXPECT_EQ(log.Count(), before + (silent ? 1 : 0));
  }
}

TEST_F(PresenterTest, AnswerLabelsComeFromTheStringTable) {
  Mode(TExecMode::Unattended, false);
  strings.Set(zw::lblCancel, "Abbrechen");
  presenter.AskMsg(zw::askDirNotFound, zw::ansCancel);
  EXPECT_EQ(log.Line(0).substr(log.Line(0).size() - 12), " [Abbrechen]");
  presenter.AskMsg(zw::askAddMask, 3);  // an answer without a label
  EXPECT_EQ(log.Line(1).substr(log.Line(1).size() - 3), " []");
  presenter.AskMsg(zw::askDirNotFound, zw::ansOK);
  EXPECT_EQ(log.Line(2).substr(log.Line(2).size() - 5), " [OK]");
}

// --- countdown questions ------------------------------------------------------------

TEST_F(PresenterTest, CountdownQuestionBuildsTheBox) {
  host.answers.push_back(1);
  const int answer = presenter.CountdownAskFmt(zw::askDeleteFiles, {I(3), I(12)}, 30, zw::ansYes);
  EXPECT_EQ(answer, zw::ansNo);
  const auto c = host.CallsOf(HostCall::CountdownBox).at(0);
  EXPECT_EQ(c.request.caption, "Confirmation");
  EXPECT_EQ(c.request.buttons, (std::vector<std::string>{"Yes", "No", "Pause"}));
  EXPECT_EQ(c.request.defaultIndex, 0);
  EXPECT_EQ(c.request.seconds, 30);
  EXPECT_EQ(c.request.style, 0x24u);
  EXPECT_EQ(c.request.iconId, 0);
  zw::TCountdownBox box(c.request);
  EXPECT_EQ(box.Text(),
            "You're about to delete 3 files with a total size of 12 kB.\r\nWarning: The files are "
            "deleted directly, not moved to the recycle bin.\r\nDo you really want to continue?"
            "\r\n\r\nIn 30 seconds the default answer will be chosen.");
  EXPECT_EQ(log.Count(), 0u);
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
  EXPECT_EQ(host.CallsOf(HostCall::CountdownBox).at(1).request.defaultIndex, 2);
  EXPECT_EQ(presenter.CountdownAskFmt(zw::askDirNotFound, {S("/x/")}, 30, zw::ansCancel),
            zw::ansCancel);
  EXPECT_EQ(host.CallsOf(HostCall::CountdownBox).at(2).request.buttons,
            (std::vector<std::string>{"OK", "Cancel", "Pause"}));
  // No default button: the end of the countdown answers nothing.
  EXPECT_EQ(presenter.CountdownAskFmt(zw::askDeleteFiles, {I(1), I(1)}, 30, 0), zw::kNoAnswer);
}

TEST_F(PresenterTest, CountdownKeepsPercentSignsOfTheArguments) {
  presenter.CountdownAskFmt(zw::askAddMask, {S("100%d.txt")}, 30, zw::ansNo);
  zw::TCountdownBox box(host.Calls().back().request);
  EXPECT_EQ(box.Text(),
            "You entered a mask (\"100%d.txt\") but\r\ndid not add it to the list.\r\nAdd it now?"
            "\r\n\r\nIn 30 seconds the default answer will be chosen.");
}

TEST_F(PresenterTest, CountdownWithoutSecondsHasNoPauseAndNoCountdownLine) {
  host.answers.push_back(0);
  EXPECT_EQ(presenter.CountdownAskFmt(zw::askAddMask, {S("a")}, 0, zw::ansNo), zw::ansYes);
  const auto c = host.Calls().back().request;
  EXPECT_EQ(c.buttons, (std::vector<std::string>{"Yes", "No"}));
  EXPECT_EQ(c.seconds, 0);
  EXPECT_EQ(c.text, "You entered a mask (\"a\") but\r\ndid not add it to the list.\r\nAdd it now?");
}

TEST_F(PresenterTest, CountdownWithoutHostTakesTheDefault) {
  presenter.SetHost(nullptr);
  EXPECT_EQ(presenter.CountdownAskFmt(zw::askAddMask, {S("a")}, 30, zw::ansNo), zw::ansNo);
}

TEST_F(PresenterTest, CountdownAnswerOfThePauseButtonIsNoAnswer) {
  host.answers.push_back(2);  // a broken host returning the pause button
  EXPECT_EQ(presenter.CountdownAskFmt(zw::askAddMask, {S("a")}, 30, zw::ansNo), zw::kNoAnswer);
}

// --- questions with buttons of their own ----------------------------------------------

TEST_F(PresenterTest, OwnButtonsGoToTheCountdownBoxWithoutCountdown) {
  host.answers.push_back(2);
  const int index = presenter.AskButtons(zw::askDeleteEmptyDir, {S("/a/b/")}, zw::strConfirmation,
                                         zw::icoQuestion,
                                         {zw::lblYes, zw::lblNo, zw::lblAll, zw::lblNone}, 1);
  EXPECT_EQ(index, 2);
  const auto c = host.Calls().back().request;
  EXPECT_EQ(c.text, "The directory \"/a/b/\" is now empty.\r\nDelete it?");
  EXPECT_EQ(c.caption, "Confirmation");
  EXPECT_EQ(c.buttons, (std::vector<std::string>{"Yes", "No", "All", "None"}));
  EXPECT_EQ(c.defaultIndex, 1);
  EXPECT_EQ(c.seconds, 0);
  EXPECT_EQ(c.style, 0x20u);
}

TEST_F(PresenterTest, OwnButtonsWithCountdownAddPause) {
  host.answers.push_back(3);  // the pause button never answers
  EXPECT_EQ(presenter.AskButtonsCountdown(zw::askLinkToArchive, {}, zw::strConfirmation,
                                          zw::icoQuestion,
                                          {zw::lblLinkToArchive1, zw::lblLinkToArchive2, zw::lblCancel},
                                          1, 30),
            -1);
  const auto c = host.Calls().back().request;
  EXPECT_EQ(c.buttons,
            (std::vector<std::string>{"Link to archive", "Skip sets", "Cancel", "Pause"}));
  EXPECT_EQ(c.seconds, 30);
  zw::TCountdownBox box(c);
  EXPECT_EQ(box.Text().substr(box.Text().size() - 52),
            "\r\n\r\nIn 30 seconds the default answer will be chosen.");
  presenter.SetHost(nullptr);
  EXPECT_EQ(presenter.AskButtons(zw::askDeleteEmptyDir, {S("/a/")}, zw::strConfirmation,
                                 zw::icoQuestion, {zw::lblYes, zw::lblNo}, 1),
            1);
}

// --- log entries ----------------------------------------------------------------------

TEST_F(PresenterTest, LogEntriesAreNeverShown) {
  Mode(TExecMode::Interactive, false);
  presenter.LogMsg(zw::logCreatingFileList);
  presenter.LogMsg(zw::msgDirNotFound, {S("/x/")});  // a message logged as an entry
  presenter.LogText(0x24, "a question\r\nin two lines");
  EXPECT_TRUE(host.Calls().empty());
  EXPECT_EQ(Lines(), (std::vector<std::string>{"i 12:00:00 Creating file list",
                                                "X 12:00:00 The directory \"/x/\" doesn't exist.",
                                                "? 12:00:00 a question in two lines"}));
}

TEST_F(PresenterTest, IOErrorEntriesCarryTheirErrorCode) {
  presenter.LogMsg(zw::logIOErrorOnBrowse, {I(5), S("/a/")});
  presenter.LogMsg(zw::logIOErrorOnDelete, {S("/a/f"), I(32)});
  EXPECT_EQ(log.Line(0), "! 12:00:00 I/O-Error 5; could not browse \"/a/\" (folder is not scanned)");
  EXPECT_EQ(log.Line(1), "X 12:00:00 Could not delete file \"/a/f\" (I/O-Error 32 occured)");
  auto d0 = std::dynamic_pointer_cast<const zw::TZWLogErrorDetails>(log.Details(0));
  auto d1 = std::dynamic_pointer_cast<const zw::TZWLogErrorDetails>(log.Details(1));
  ASSERT_TRUE(d0);
  ASSERT_TRUE(d1);
  EXPECT_EQ(d0->ErrorCode, 5u);
  EXPECT_EQ(d0->GetKind(), 3);
  EXPECT_EQ(d1->ErrorCode, 32u);
  // Other entries have no code.
  presenter.LogMsg(zw::logFilesFound, {I(3000), I(2000), I(1000)});
  EXPECT_EQ(log.Line(2), "i 12:00:00 Found 3,000 files to compare (2,000 'fresh', 1,000 'library').");
  EXPECT_TRUE(std::dynamic_pointer_cast<const zw::TZWLogNoDetails>(log.Details(2)));
}

TEST_F(PresenterTest, ErrorCodeFromAnArgumentOrGivenDirectly) {
  presenter.LogMsgFmt(zw::logIOErrorOnOpen, {I(13), S("/f")}, -1);
  presenter.LogMsgFmt(zw::logIOErrorOnOpen, {I(13), S("/f")}, -3);  // no third argument
  presenter.LogMsgFmt(zw::logIOErrorOnOpen, {I(13), S("/f")}, -2);  // a string: no code
  presenter.LogMsgFmt(zw::logIOErrorOnOpen, {I(13), S("/f")}, 87);
  presenter.LogMsgFmt(zw::logIOErrorOnOpen, {I(13), S("/f")},
                      std::numeric_limits<int64_t>::min());
  presenter.LogMsgCode(zw::logIOErrorOnRead, 21);
  auto code = [&](size_t i) -> int64_t {
    auto d = std::dynamic_pointer_cast<const zw::TZWLogErrorDetails>(log.Details(i));
    return d ? static_cast<int64_t>(d->ErrorCode) : -1;
  };
  EXPECT_EQ(code(0), 13);
  EXPECT_EQ(code(1), -1);
  EXPECT_EQ(code(2), -1);
  EXPECT_EQ(code(3), 87);
  EXPECT_EQ(code(4), -1);
  EXPECT_EQ(code(5), 21);
  EXPECT_EQ(log.Line(5), "! 12:00:00 I/O-Error %d; could not read \"%s\" (file is not scanned)");
}

TEST_F(PresenterTest, ExceptionEntryCarriesTheReport) {
  auto info = std::make_shared<zw::TZWExceptInfo>();
  info->ClassName = "std::bad_alloc";
  info->Message = "out of memory";
  presenter.LogMsgExcept(zw::logUnhandledException, {S("out of memory")}, info);
  presenter.LogMsg(zw::logPleaseMailLog);
  EXPECT_EQ(log.Line(0), "X 12:00:00 Unhandled exception - message: \"out of memory\"");
  auto d = std::dynamic_pointer_cast<const zw::TZWLogExceptDetails>(log.Details(0));
  ASSERT_TRUE(d);
  EXPECT_EQ(d->Info, info);
  EXPECT_EQ(log.Line(1).substr(0, 39), "! 12:00:00 Please mail this logfile to ");
}

// --- saving the log -----------------------------------------------------------------

TEST_F(PresenterTest, SaveLogFailurePresentsTheMessage) {
  zwtest::TempTree tree;
  presenter.LogMsg(zw::logCreatingFileList);
  EXPECT_TRUE(presenter.SaveLog(tree.PathOf("ok.log"), true));
  EXPECT_TRUE(host.Boxes().empty());
  EXPECT_FALSE(presenter.SaveLog(tree.PathOf("missing/x.log"), true));
  const auto box = host.CallsOf(HostCall::MessageBox).at(0);
  EXPECT_EQ(box.text.rfind("Could not save scanning log (I/O-Error ", 0), 0u);
  EXPECT_EQ(box.text.find("%d"), std::string::npos);
  EXPECT_EQ(box.text.find("I/O-Error 0 "), std::string::npos);
  EXPECT_EQ(box.caption, "Error");
}

// --- without a host ----------------------------------------------------------------------

TEST_F(PresenterTest, WithoutHostNothingIsShownAndQuestionsTakeTheirDefault) {
  presenter.SetHost(nullptr);
  EXPECT_EQ(presenter.ShowMsg(zw::msgDirNotFound), 0);
  EXPECT_EQ(presenter.AskMsg(zw::askAddMask, zw::ansYes), zw::ansYes);
  EXPECT_EQ(presenter.AskMsg(zw::askAddMask, 0), zw::ansNo);          // the safe answer
  EXPECT_EQ(presenter.AskMsg(zw::askDirNotFound, 0), zw::ansCancel);
}

// --- threads ---------------------------------------------------------------------------

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
