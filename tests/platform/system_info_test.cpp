#include <gtest/gtest.h>

#include <string>

#include "platform/stack_trace.h"
#include "platform/system_info.h"

namespace pf = zw::platform;

namespace {

TEST(SystemInfoTest, OsVersionNamesTheSystem) {
  const pf::OsVersionInfo v = pf::GetOsVersion();
#ifdef _WIN32
  EXPECT_EQ(v.name, "Windows");
  EXPECT_GE(v.major, 5u);
  EXPECT_GT(v.build, 0u);
#else
  EXPECT_FALSE(v.name.empty());
  EXPECT_FALSE(v.extra.empty()) << "uname's version text";
  EXPECT_GT(v.major + v.minor, 0u);
#endif
}

TEST(SystemInfoTest, MemoryFiguresAreConsistent) {
  const pf::MemoryInfo m = pf::GetMemoryInfo();
  EXPECT_GT(m.totalPhys, 0u);
  EXPECT_GT(m.availPhys, 0u);
  EXPECT_LE(m.availPhys, m.totalPhys);
  EXPECT_LE(m.availPageFile, m.totalPageFile);
}

TEST(SystemInfoTest, ScreenSizeIsNeverNegative) {
  const pf::ScreenSize s = pf::GetPrimaryScreenSize();
  EXPECT_GE(s.width, 0);
  EXPECT_GE(s.height, 0);
#ifndef _WIN32
  EXPECT_EQ(s.width, 0);
  EXPECT_EQ(s.height, 0);
#endif
}

[[gnu::noinline]] std::vector<pf::StackFrame> CaptureHere(int skip) {
  std::vector<pf::StackFrame> frames = pf::CaptureStack(skip);
  asm volatile("" ::: "memory");  // keep this frame: no tail call
  return frames;
}

TEST(StackTraceTest, FramesStartAtTheCallerAndNameTheModule) {
  const std::vector<pf::StackFrame> frames = CaptureHere(0);
  ASSERT_GE(frames.size(), 2u);
  for (const auto& f : frames) EXPECT_NE(f.address, 0u);
  EXPECT_NE(frames[0].module.find("zw_test_platform"), std::string::npos) << frames[0].module;
  EXPECT_EQ(frames[0].module.find_first_of("/\\"), std::string::npos) << "no folder";
  EXPECT_NE(frames[0].moduleBase, 0u);
  EXPECT_GE(frames[0].address, frames[0].moduleBase);
}

TEST(StackTraceTest, SkipLeavesOutFramesAndMaxFramesLimits) {
  const std::vector<pf::StackFrame> all = CaptureHere(0);
  const std::vector<pf::StackFrame> skipped = CaptureHere(1);
  ASSERT_GE(all.size(), 3u);
  ASSERT_EQ(skipped.size() + 1, all.size());
  // Frame 1 of the first capture and frame 0 of the second are the same
  // caller (this test), seen from two call sites of CaptureHere.
  EXPECT_EQ(skipped[0].module, all[1].module);
  EXPECT_EQ(pf::CaptureStack(0, 1).size(), 1u);
  EXPECT_TRUE(pf::CaptureStack(0, 0).empty());
}

}  // namespace
