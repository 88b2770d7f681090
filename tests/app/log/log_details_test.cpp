#include "app/log/log_details.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "app/support/test_host.h"
#include "platform/errors.h"

namespace {

using zwtest::HostCall;
using zwtest::TestHost;

std::shared_ptr<zw::TZWExceptInfo> Info(const std::string& cls, const std::string& message,
                                        const std::string& state, const std::string& stack) {
  auto info = std::make_shared<zw::TZWExceptInfo>();
  info->ClassName = cls;
  info->Message = message;
  info->ExceptAddr = reinterpret_cast<const void*>(static_cast<uintptr_t>(0x4A3F0));
  info->State = state;
  info->StackTrace = stack;
  return info;
}

// Resets the hooks whatever a test did.
class LogDetailsTest : public ::testing::Test {
 protected:
  void TearDown() override {
    zw::SetExceptReportBuilder(nullptr);
    zw::SetExceptDialog(nullptr);
  }
  TestHost host;
};

TEST_F(LogDetailsTest, NoDetailsSaysSo) {
  zw::TZWLogNoDetails d(3);
  EXPECT_EQ(d.GetKind(), 3);
  EXPECT_EQ(d.GetMessage(), "No details available.");
  EXPECT_EQ(d.GetDetailText(), "");
}

TEST_F(LogDetailsTest, BasicDetailsShowTheLineAndTheMessageInABox) {
  zw::TZWLogNoDetails d(3);
  d.ShowDetails(host, "21:39:42 careful");
  const auto boxes = host.CallsOf(HostCall::MessageBox);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "21:39:42 careful\r\n\r\nNo details available.");
  EXPECT_EQ(boxes[0].caption, "Warning");
  EXPECT_EQ(boxes[0].style, 0x30u);  // warning icon, OK only
  EXPECT_EQ(boxes[0].iconId, 0);
}

TEST_F(LogDetailsTest, CaptionFollowsTheKind) {
  const char* captions[] = {"Error", "Confirmation", "Warning", "Information"};
  for (int kind = 1; kind <= 4; ++kind) {
    zw::TZWLogNoDetails(kind).ShowDetails(host, "x");
    EXPECT_EQ(host.Calls().back().caption, captions[kind - 1]);
    EXPECT_EQ(host.Calls().back().style, static_cast<zw::TBoxStyle>(kind << 4));
  }
}

TEST_F(LogDetailsTest, ErrorDetailsNameTheSystemsText) {
  zw::TZWLogErrorDetails d(1, 2);
  EXPECT_EQ(d.GetKind(), 1);
  EXPECT_EQ(d.ErrorCode, 2u);
  std::string sys = zw::platform::SystemErrorText(2);
  ASSERT_FALSE(sys.empty());
  if (sys.back() != '.') sys += '.';
  EXPECT_EQ(d.GetMessage(), "Windows error message:\r\n\"" + sys + "\"");
  EXPECT_EQ(d.GetDetailText(), "");  // shown in the box only, never saved
  d.ShowDetails(host, "line");
  EXPECT_EQ(host.Calls().back().text, "line\r\n\r\n" + d.GetMessage());
  EXPECT_EQ(host.Calls().back().caption, "Error");
}

TEST_F(LogDetailsTest, ErrorMessageHasOneFullStop) {
  const std::string msg = zw::TZWLogErrorDetails(1, 5).GetMessage();
  EXPECT_EQ(msg.substr(msg.size() - 2), ".\"");
  EXPECT_EQ(msg.find("..\""), std::string::npos);
}

TEST_F(LogDetailsTest, BasicReportLines) {
  auto info = Info("EAccessViolation", "Access violation", "thr 1, prgr 3:4/10, ver 68, set sc",
                   "Stack trace, generated 2024-03-18 21:39:42\r\n[00401000] zwillo.exe");
  EXPECT_EQ(zw::BasicExceptReport(*info),
            (std::vector<std::string>{"Exception of class EAccessViolation at [0004A3F0]:",
                                      "Access violation.", "",
                                      "State: thr 1, prgr 3:4/10, ver 68, set sc", "",
                                      "Stack trace, generated 2024-03-18 21:39:42",
                                      "[00401000] zwillo.exe"}));
}

TEST_F(LogDetailsTest, ReportWithoutStateHasNoStateLines) {
  auto info = Info("std::runtime_error", "disk on fire.", "", "");
  EXPECT_EQ(zw::BasicExceptReport(*info),
            (std::vector<std::string>{"Exception of class std::runtime_error at [0004A3F0]:",
                                      "disk on fire.", ""}));
}

TEST_F(LogDetailsTest, ExceptDetailsAreAnErrorWithTheReportAsText) {
  zw::SetExceptReportBuilder(&zw::BasicExceptReport);
  auto info = Info("E", "boom", "", "");
  zw::TZWLogExceptDetails d(info);
  EXPECT_EQ(d.GetKind(), 1);
  EXPECT_EQ(d.Info, info);
  EXPECT_EQ(d.GetDetailText(), "Exception of class E at [0004A3F0]:\r\nboom.\r\n\r\n");
}

TEST_F(LogDetailsTest, ReportBuilderCanBeReplaced) {
  zw::SetExceptReportBuilder([](const zw::TZWExceptInfo& i) {
    return std::vector<std::string>{"full report of " + i.ClassName, "Display: 1x1 pixels"};
  });
  zw::TZWLogExceptDetails d(Info("E", "boom", "", ""));
  EXPECT_EQ(d.GetDetailText(), "full report of E\r\nDisplay: 1x1 pixels\r\n");
}

TEST_F(LogDetailsTest, DefaultReportIsTheFullOne) {
  auto info = Info("E", "boom", "thr 1", "");
  const std::string text = zw::TZWLogExceptDetails(info).GetDetailText();
  EXPECT_EQ(text.rfind("Exception of class E at [", 0), 0u);
  EXPECT_NE(text.find("]:\r\nboom.\r\n\r\nState: thr 1\r\n\r\n"), std::string::npos);
  EXPECT_NE(text.find("\r\nDisplay: "), std::string::npos);  // a fact about the system
  EXPECT_NE(text.find("\r\nFree Memory: "), std::string::npos);
}

TEST_F(LogDetailsTest, ExceptDetailsOpenTheDialogWhenThereIsOne) {
  std::shared_ptr<zw::TZWExceptInfo> shown;
  zw::SetExceptDialog([&](std::shared_ptr<zw::TZWExceptInfo> i) { shown = i; });
  auto info = Info("E", "boom", "", "");
  zw::TZWLogExceptDetails(info).ShowDetails(host, "line");
  EXPECT_EQ(shown, info);
  EXPECT_TRUE(host.Calls().empty());
}

TEST_F(LogDetailsTest, ExceptDetailsFallBackToABox) {
  zw::SetExceptReportBuilder(&zw::BasicExceptReport);
  zw::TZWLogExceptDetails(Info("E", "boom", "", "")).ShowDetails(host, "line");
  const auto boxes = host.CallsOf(HostCall::MessageBox);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "line\r\n\r\nException of class E at [0004A3F0]:\r\nboom.\r\n\r\n");
  EXPECT_EQ(boxes[0].caption, "Error");
  EXPECT_EQ(boxes[0].style, 0x10u);
}

TEST_F(LogDetailsTest, RecordFromARealExceptionReports) {
  std::shared_ptr<zw::TZWExceptInfo> info;
  try {
    throw std::runtime_error("real trouble");
  } catch (...) {
    info = zw::TZWExceptInfo::FromCurrent("thr 2");
  }
  const auto lines = zw::BasicExceptReport(*info);
  ASSERT_GE(lines.size(), 5u);
  EXPECT_NE(lines[0].find("runtime_error"), std::string::npos);
  EXPECT_EQ(lines[1], "real trouble.");
  EXPECT_EQ(lines[3], "State: thr 2");
}

}  // namespace
