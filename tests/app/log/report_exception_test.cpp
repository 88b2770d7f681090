#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <sstream>
#include <regex>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/log/exception_report.h"
#include "engine/common/except_info.h"
#include "support/temp_tree.h"

using namespace zw;

namespace {

TSystemFacts SampleFacts() {
  TSystemFacts f;
  f.os = {"Windows", 5, 1, 2600, "Service Pack 3"};
  f.memory.availPhys = 1536;                      // 1 kiB (integer division)
  f.memory.totalPhys = uint64_t{8} << 30;         // 8388608 kiB
  f.memory.availPageFile = 3 * 1048576 - 1;       // 2 MiB
  f.memory.totalPageFile = uint64_t{5} << 40;     // 5242880 MiB: beyond 32 bits of kiB
  f.screen = {1280, 1024};
  return f;
}

TZWExceptInfo SampleInfo() {
  TZWExceptInfo info;
  info.ClassName = "EAccessViolation";
  info.Message = "Access violation at address 0040A1B2";
  info.ExceptAddr = reinterpret_cast<const void*>(uintptr_t{0x40A1B2});
  info.StackTrace =
      "Stack trace, generated 2004-03-18 21:39:42\r\n[0040A1B2] zwillo.exe: Run + 0x12\r\n"
      "[0040C000] zwillo.exe + 0xC000";
  return info;
}

std::string Addr(uintptr_t v) { return FormatPointer(reinterpret_cast<const void*>(v)); }

std::vector<std::string> Report(const TZWExceptInfo& info,
                                const TSystemFacts& facts = SampleFacts()) {
  std::vector<std::string> lines;
  BuildReport(lines, info, facts);
  return lines;
}

// --- the lines and their order ---------------------------------------------------

TEST(ExceptionReportTest, LinesComeInTheirOrderStateAndTraceOnlyWhenKnown) {
  TZWExceptInfo info = SampleInfo();
  info.State = "thr 0, prgr 3/10, ver 1a, set SC";
  std::vector<std::string> want = {
      "Exception of class EAccessViolation at [" + Addr(0x40A1B2) + "]:",
      "Access violation at address 0040A1B2.",
      "",
      "State: thr 0, prgr 3/10, ver 1a, set SC",
      "",
      "Windows Version 5.1 build 2600, Service Pack 3",
      "Free Memory: 1 of 8388608 kiB; Swapfile: 2 of 5242880 MiB",
      "Display: 1280x1024 pixels",
      "",
      "Stack trace, generated 2004-03-18 21:39:42",
      "[0040A1B2] zwillo.exe: Run + 0x12",
      "[0040C000] zwillo.exe + 0xC000",
  };
  std::vector<std::string> lines = {"before"};  // the report is appended
  BuildReport(lines, info, SampleFacts());
  want.insert(want.begin(), "before");
  EXPECT_EQ(lines, want);
  want.erase(want.begin());
  info.State.clear();  // no state line, no extra empty line
  want.erase(want.begin() + 3, want.begin() + 5);
  EXPECT_EQ(Report(info), want);
  info.StackTrace.clear();  // the report ends with the empty line
  want.resize(7);
  EXPECT_EQ(Report(info), want);
}

// --- the message and its full stop -----------------------------------------------

TEST(ExceptionReportTest, MessageGetsOneFullStop) {
  const std::pair<const char*, std::vector<std::string>> cases[] = {
      {"Disk full", {"Disk full.", ""}},
      {"Disk full.", {"Disk full.", ""}},
      {"Two\r\nlines", {"Two", "lines.", ""}},
      {"Ends with a break.\r\n", {"Ends with a break.", ""}},
      {"Unix\nbreaks", {"Unix", "breaks.", ""}},
      {"", {".", ""}},
  };
  for (const auto& [message, want] : cases) {
    TZWExceptInfo info = SampleInfo();
    info.Message = message;
    const auto lines = Report(info);
    EXPECT_EQ(std::vector<std::string>(lines.begin() + 1, lines.begin() + 1 + long(want.size())),
              want)
        << message;
  }
}

// --- formatting helpers -----------------------------------------------------------

TEST(ExceptionReportTest, PointersShowAllTheirHexDigits) {
  const std::string zeros(2 * sizeof(void*) - 6, '0');
  EXPECT_EQ(Addr(0x40a1b2), zeros + "40A1B2");
  EXPECT_EQ(FormatPointer(nullptr), std::string(2 * sizeof(void*), '0'));
}

TEST(ExceptionReportTest, StackFrameLinesSayWhatIsKnown) {
  platform::StackFrame f;
  f.address = 0x1234;
  EXPECT_EQ(FormatStackFrame(f), "[" + Addr(0x1234) + "] ?");
  f.module = "zwillo.exe";
  f.moduleBase = 0x1000;
  EXPECT_EQ(FormatStackFrame(f), "[" + Addr(0x1234) + "] zwillo.exe + 0x234");
  f.procedure = "zw::Run()";
  f.procOffset = 0x1f;
  EXPECT_EQ(FormatStackFrame(f), "[" + Addr(0x1234) + "] zwillo.exe: zw::Run() + 0x1F");
  f.file = "run_driver.cpp";
  f.line = 30;
  EXPECT_EQ(FormatStackFrame(f),
            "[" + Addr(0x1234) + "] zwillo.exe: zw::Run() + 0x1F (Line 30, \"run_driver.cpp\")");
}

TEST(ExceptionReportTest, DateAndTimeOfTheTrace) {
  const platform::SystemTime st{2004, 3, 0, 18, 21, 9, 2, 999};
  platform::FileTime ft = 0;
  ASSERT_TRUE(platform::JoinFileTime(st, ft));
  EXPECT_EQ(ReportDateTimeText(ft), "2004-03-18 21:09:02");
}

// --- the running system -------------------------------------------------------------

TEST(ExceptionReportTest, FactsOfTheRunningSystemFillTheirLines) {
  const auto lines = Report(SampleInfo(), CurrentSystemFacts());
  ASSERT_EQ(lines.size(), 10u);
#ifdef _WIN32
  EXPECT_TRUE(std::regex_match(lines[3], std::regex(R"(Windows Version \d+\.\d+ build \d+, .*)")))
      << lines[3];
#else
  EXPECT_TRUE(std::regex_match(lines[3], std::regex(R"(\S+ Version \d+\.\d+ build \d+, .+)")))
      << lines[3];
#endif
  std::smatch m;
  ASSERT_TRUE(std::regex_match(
      lines[4], m, std::regex(R"(Free Memory: (\d+) of (\d+) kiB; Swapfile: (\d+) of (\d+) MiB)")))
      << lines[4];
  EXPECT_GT(std::stoull(m[2]), 0u) << "a machine has memory";
  EXPECT_LE(std::stoull(m[1]), std::stoull(m[2]));
  EXPECT_LE(std::stoull(m[3]), std::stoull(m[4]));
  EXPECT_TRUE(std::regex_match(lines[5], std::regex(R"(Display: \d+x\d+ pixels)"))) << lines[5];
}

// --- the recorded stack -------------------------------------------------------------

[[gnu::noinline]] std::shared_ptr<TZWExceptInfo> ThrowAndRecord(int depth, const char* state) {
  if (depth > 0) return ThrowAndRecord(depth - 1, state);
  try {
    throw std::runtime_error("broken on purpose");
  } catch (...) {
    return TZWExceptInfo::FromCurrent(state);
  }
}

TEST(StackCaptureTest, InstalledCaptureRecordsTheStackOfACaughtException) {
  const TStackCapture previous = GetStackCapture();
  SetStackCapture(nullptr);  // without a capture: no trace
  EXPECT_TRUE(ThrowAndRecord(0, "")->StackTrace.empty());
  InstallStackCapture();
  const auto info = ThrowAndRecord(3, "thr 0, prgr 0/0, ver 1, set S");
  SetStackCapture(previous);
  ASSERT_TRUE(info);
  const auto lines = Report(*info);
  EXPECT_EQ(lines[0].rfind("Exception of class std::runtime_error at [", 0), 0u) << lines[0];
  EXPECT_EQ(lines[1], "broken on purpose.");
  EXPECT_EQ(lines[3], "State: thr 0, prgr 0/0, ver 1, set S");
  // The trace follows the empty line after the display line.
  ASSERT_GT(lines.size(), 10u);
  EXPECT_EQ(lines[8], "");
  EXPECT_TRUE(std::regex_match(
      lines[9], std::regex(R"(Stack trace, generated \d{4}-\d\d-\d\d \d\d:\d\d:\d\d)")))
      << lines[9];
  bool testModule = false;
  for (size_t i = 10; i < lines.size(); ++i) {
    EXPECT_TRUE(std::regex_match(lines[i], std::regex(R"(\[[0-9A-F]+\] \S.*)"))) << lines[i];
    testModule = testModule || lines[i].find("zw_test_app") != std::string::npos;
  }
  EXPECT_TRUE(testModule) << "frames of the test program name their module";
}

// A saved report holds the report's lines; a second one never replaces it.
TEST(SaveReportFileTest, WritesTheReportUnderANewName) {
  zwtest::TempTree t;
  TZWExceptInfo info;
  info.ClassName = "std::bad_alloc";
  info.Message = "out of memory";
  const std::string first = SaveReportFile(info, t.Root());
  const std::string second = SaveReportFile(info, t.Root());
  ASSERT_FALSE(first.empty());
  ASSERT_FALSE(second.empty());
  EXPECT_NE(first, second);
  std::ifstream in(first, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  EXPECT_EQ(text.str().rfind("Exception of class std::bad_alloc at [", 0), 0u) << text.str();
  EXPECT_NE(text.str().find("]:\r\nout of memory.\r\n\r\n"), std::string::npos) << text.str();
  EXPECT_TRUE(SaveReportFile(info, t.PathOf("missing/")).empty());
}

}  // namespace
