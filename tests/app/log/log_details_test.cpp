#include "app/log/log_details.h"

#include <gtest/gtest.h>

#include "app/support/test_host.h"
#include "platform/errors.h"

namespace {

using zwtest::HostCall;
using zwtest::TestHost;

std::shared_ptr<zw::TZWExceptInfo> Info(const std::string& message, const std::string& state = "",
                                        const std::string& stack = "") {
  auto info = std::make_shared<zw::TZWExceptInfo>();
  info->ClassName = "E";
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

TEST_F(LogDetailsTest, DetailsShowTheLineAndTheirMessageInABoxOfTheirKind) {
  const char* captions[] = {"Error", "Confirmation", "Warning", "Information"};
  for (int kind = 1; kind <= 4; ++kind) {
    const zw::TZWLogNoDetails d(kind);
    EXPECT_EQ(d.GetKind(), kind);
    EXPECT_EQ(d.GetMessage(), "No details available.");
    EXPECT_EQ(d.GetDetailText(), "");
    d.ShowDetails(host, "21:39:42 careful");
    const HostCall box = host.CallsOf(HostCall::MessageBox).back();
    EXPECT_EQ(box.text, "21:39:42 careful\r\n\r\nNo details available.");
    EXPECT_EQ(box.caption, captions[kind - 1]);
    EXPECT_EQ(box.style, static_cast<zw::TBoxStyle>(kind << 4));  // its icon, OK only
    EXPECT_EQ(box.iconId, 0);
  }
}

TEST_F(LogDetailsTest, ErrorDetailsNameTheSystemsTextWithOneFullStop) {
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
  const std::string msg = zw::TZWLogErrorDetails(1, 5).GetMessage();
  EXPECT_EQ(msg.substr(msg.size() - 2), ".\"");
  EXPECT_EQ(msg.find("..\""), std::string::npos);
}

TEST_F(LogDetailsTest, BasicReportLines) {
  EXPECT_EQ(zw::BasicExceptReport(*Info("Access violation", "thr 1, prgr 3:4/10",
                                        "Stack trace, generated 2024-03-18\r\n[00401000] zw.exe")),
            (std::vector<std::string>{"Exception of class E at [0004A3F0]:", "Access violation.",
                                      "", "State: thr 1, prgr 3:4/10", "",
                                      "Stack trace, generated 2024-03-18", "[00401000] zw.exe"}));
  EXPECT_EQ(zw::BasicExceptReport(*Info("disk on fire.")),
            (std::vector<std::string>{"Exception of class E at [0004A3F0]:", "disk on fire.", ""}));
}

TEST_F(LogDetailsTest, ExceptDetailsAreAnErrorWithTheReportAsText) {
  const auto info = Info("boom", "thr 1");
  const zw::TZWLogExceptDetails d(info);
  EXPECT_EQ(d.GetKind(), 1);
  EXPECT_EQ(d.Info, info);
  // By default the full report, with facts about the system.
  const std::string text = d.GetDetailText();
  EXPECT_EQ(text.rfind("Exception of class E at [", 0), 0u);
  EXPECT_NE(text.find("]:\r\nboom.\r\n\r\nState: thr 1\r\n\r\n"), std::string::npos);
  EXPECT_NE(text.find("\r\nDisplay: "), std::string::npos);
  EXPECT_NE(text.find("\r\nFree Memory: "), std::string::npos);
  zw::SetExceptReportBuilder([](const zw::TZWExceptInfo& i) {
    return std::vector<std::string>{"full report of " + i.ClassName, "Display: 1x1 pixels"};
  });
  EXPECT_EQ(d.GetDetailText(), "full report of E\r\nDisplay: 1x1 pixels\r\n");
  // Without a dialog they show in a box.
  zw::SetExceptReportBuilder(&zw::BasicExceptReport);
  zw::TZWLogExceptDetails(Info("boom")).ShowDetails(host, "line");
  const auto boxes = host.CallsOf(HostCall::MessageBox);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "line\r\n\r\nException of class E at [0004A3F0]:\r\nboom.\r\n\r\n");
  EXPECT_EQ(boxes[0].caption, "Error");
  EXPECT_EQ(boxes[0].style, 0x10u);
}

TEST_F(LogDetailsTest, ExceptDetailsOpenTheDialogWhenThereIsOne) {
  std::shared_ptr<zw::TZWExceptInfo> shown;
  zw::SetExceptDialog([&](std::shared_ptr<zw::TZWExceptInfo> i) { shown = i; });
  const auto info = Info("boom");
  zw::TZWLogExceptDetails(info).ShowDetails(host, "line");
  EXPECT_EQ(shown, info);
  EXPECT_TRUE(host.Calls().empty());
}

}  // namespace
