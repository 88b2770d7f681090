#include "app/log/scan_log.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "support/temp_tree.h"

namespace {

using zw::TZWLog;

zw::platform::FileTime At(int h, int m, int s) {
  zw::platform::SystemTime st;
  st.year = 2024;
  st.month = 3;
  st.day = 18;
  st.hour = static_cast<uint16_t>(h);
  st.minute = static_cast<uint16_t>(m);
  st.second = static_cast<uint16_t>(s);
  zw::platform::FileTime ft = 0;
  EXPECT_TRUE(zw::platform::JoinFileTime(st, ft));
  return ft;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

// A details object with a text of its own, for saving.
class TextDetails : public zw::TZWLogDetails {
 public:
  explicit TextDetails(std::string text) : text_(std::move(text)) {}
  int GetKind() const override { return 1; }
  void ShowDetails(zw::IHost&, const std::string&) const override {}
  std::string GetDetailText() const override { return text_; }

 private:
  std::string text_;
};

class ScanLogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    log.SetClock([] { return At(21, 39, 42); });
  }
  TZWLog log;
  zwtest::TempTree tree;
};

// --- entry lines --------------------------------------------------------------

TEST_F(ScanLogTest, LineIsKindTimeAndText) {
  EXPECT_EQ(log.MakeLine(4, "Creating file list"), "i 21:39:42 Creating file list");
  EXPECT_EQ(log.MakeLine(1, "bad"), "X 21:39:42 bad");
  EXPECT_EQ(log.MakeLine(2, "sure? [Yes]"), "? 21:39:42 sure? [Yes]");
  EXPECT_EQ(log.MakeLine(3, "careful"), "! 21:39:42 careful");
}

TEST_F(ScanLogTest, TimeIsZeroPaddedTwentyFourHours) {
  log.SetClock([] { return At(7, 5, 3); });
  EXPECT_EQ(log.MakeLine(4, "x"), "i 07:05:03 x");
  log.SetClock([] { return At(23, 59, 59); });
  EXPECT_EQ(log.MakeLine(4, "x"), "i 23:59:59 x");
}

TEST_F(ScanLogTest, TimeFormatCanBeReplaced) {
  log.SetTimeFormat([](zw::platform::FileTime t) {
    const auto st = zw::platform::SplitFileTime(t);
    return std::to_string(st.hour % 12) + ":" + std::to_string(st.minute) + " PM";
  });
  EXPECT_EQ(log.MakeLine(4, "x"), "i 9:39 PM x");
  log.SetTimeFormat(nullptr);  // back to the default
  EXPECT_EQ(log.MakeLine(4, "x"), "i 21:39:42 x");
}

TEST_F(ScanLogTest, LineBreaksBecomeBlanks) {
  EXPECT_EQ(log.MakeLine(3, "Some files couldn't be deleted.\r\nDo you want to see the log?"),
            "! 21:39:42 Some files couldn't be deleted. Do you want to see the log?");
  EXPECT_EQ(TZWLog::FlattenLineBreaks("format\n\r(e.g."), "format (e.g.");
  EXPECT_EQ(TZWLog::FlattenLineBreaks("a\nb\rc\r\n\r\nd"), "a b c  d");
  EXPECT_EQ(TZWLog::FlattenLineBreaks("tab\tstays"), "tab\tstays");
}

TEST_F(ScanLogTest, UnknownKindGetsABlank) {
  EXPECT_EQ(TZWLog::KindChar(0), ' ');
  EXPECT_EQ(TZWLog::KindChar(5), ' ');
  EXPECT_EQ(TZWLog::KindChar(4), 'i');
}

TEST_F(ScanLogTest, RealClockGivesAPlausibleTime) {
  TZWLog real;
  const std::string line = real.MakeLine(4, "x");
  ASSERT_EQ(line.size(), 12u);
  EXPECT_EQ(line[4], ':');
  EXPECT_EQ(line[7], ':');
  EXPECT_EQ(line.substr(10), " x");
}

// --- entries ------------------------------------------------------------------

TEST_F(ScanLogTest, EntriesKeepOrderAndDetails) {
  auto details = std::make_shared<zw::TZWLogNoDetails>(4);
  log.AddEntry(4, "first", details);
  log.AddSeparator();
  log.Add("raw line");
  ASSERT_EQ(log.Count(), 3u);
  EXPECT_EQ(log.Line(0), "i 21:39:42 first");
  EXPECT_EQ(log.Details(0), details);
  EXPECT_EQ(log.Line(1), "");
  EXPECT_EQ(log.Details(1), nullptr);
  EXPECT_EQ(log.Line(2), "raw line");
  EXPECT_EQ(log.Line(3), "");
  EXPECT_EQ(log.Details(3), nullptr);
  EXPECT_EQ(log.Text(), "i 21:39:42 first\n\nraw line\n");
  EXPECT_EQ(log.Entries().size(), 3u);
}

TEST_F(ScanLogTest, ListenersHearEveryNewEntry) {
  std::vector<std::pair<size_t, std::string>> heard;
  const int h = log.AddListener([&](size_t i, const zw::TLogEntry& e) {
    heard.emplace_back(i, e.Line);
    EXPECT_EQ(log.Count(), i + 1);  // the log can be read from the listener
  });
  log.Add("a");
  log.Add("b");
  log.RemoveListener(h);
  log.Add("c");
  ASSERT_EQ(heard.size(), 2u);
  EXPECT_EQ(heard[0], (std::pair<size_t, std::string>{0, "a"}));
  EXPECT_EQ(heard[1], (std::pair<size_t, std::string>{1, "b"}));
}

// --- live log file ---------------------------------------------------------------

TEST_F(ScanLogTest, LiveFileGetsLinesAddedAfterItWasSet) {
  log.Add("before");
  const std::string path = tree.PathOf("live.log");
  ASSERT_TRUE(log.SetLogFile(path, false));
  EXPECT_EQ(log.LogFileName(), path);
  EXPECT_EQ(ReadFile(path), "");  // a new file: no separator
  log.AddEntry(4, "one\r\ntwo", nullptr);
  EXPECT_EQ(ReadFile(path), "i 21:39:42 one two\r\n");
  log.AddSeparator();
  log.Add("three");
  EXPECT_EQ(ReadFile(path), "i 21:39:42 one two\r\n\r\nthree\r\n");
}

TEST_F(ScanLogTest, AppendingToAnExistingFileStartsAfterAnEmptyLine) {
  const std::string path = tree.File("old.log", "old line\r\n");
  ASSERT_TRUE(log.SetLogFile(path, false));
  log.Add("new line");
  EXPECT_EQ(ReadFile(path), "old line\r\n\r\nnew line\r\n");
}

TEST_F(ScanLogTest, OverwritingStartsTheFileEmpty) {
  const std::string path = tree.File("old.log", "old line\r\n");
  ASSERT_TRUE(log.SetLogFile(path, true));
  EXPECT_EQ(ReadFile(path), "");
  log.Add("new line");
  EXPECT_EQ(ReadFile(path), "new line\r\n");
}

TEST_F(ScanLogTest, FileThatCannotBeOpenedIsRefused) {
  const std::string path = tree.PathOf("missing-folder/x.log");
  int err = 0;
  EXPECT_FALSE(log.SetLogFile(path, false, &err));
  EXPECT_NE(err, 0);
  EXPECT_EQ(log.LogFileName(), "");
  log.Add("still logged");
  EXPECT_EQ(log.Count(), 1u);
}

TEST_F(ScanLogTest, MirroringStopsSilentlyWhenWritingFails) {
  const std::string dir = tree.Dir("gone");
  const std::string path = dir + "live.log";
  ASSERT_TRUE(log.SetLogFile(path, true));
  log.Add("one");
  std::filesystem::remove_all(std::filesystem::path(dir));
  log.Add("two");
  EXPECT_EQ(log.LogFileName(), "");
  EXPECT_EQ(log.Count(), 2u);
  // Once stopped it does not come back, even when the folder does.
  std::filesystem::create_directories(std::filesystem::path(dir));
  log.Add("three");
  EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(path)));
}

TEST_F(ScanLogTest, StopLogFileEndsMirroring) {
  const std::string path = tree.PathOf("live.log");
  ASSERT_TRUE(log.SetLogFile(path, true));
  log.Add("one");
  log.StopLogFile();
  log.Add("two");
  EXPECT_EQ(ReadFile(path), "one\r\n");
}

// --- saving -------------------------------------------------------------------

TEST_F(ScanLogTest, SavingAnEmptyLogSucceedsWithoutAFile) {
  const std::string path = tree.PathOf("empty.log");
  EXPECT_TRUE(log.SaveToFile(path, true));
  EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(path)));
}

TEST_F(ScanLogTest, SavingWritesTheLines) {
  log.AddEntry(4, "Starting the scan", std::make_shared<zw::TZWLogNoDetails>(4));
  log.AddSeparator();
  log.AddEntry(3, "I/O-Error 5", std::make_shared<zw::TZWLogErrorDetails>(3, 5));
  const std::string path = tree.PathOf("saved.log");
  ASSERT_TRUE(log.SaveToFile(path, true));
  // Details without a detail text (error codes) are not written.
  EXPECT_EQ(ReadFile(path), "i 21:39:42 Starting the scan\r\n\r\n! 21:39:42 I/O-Error 5\r\n");
}

TEST_F(ScanLogTest, SavingAppendsReportsAfterTheLines) {
  log.AddEntry(4, "first", nullptr);
  log.AddEntry(1, "crash", std::make_shared<TextDetails>("Report line 1\r\nReport line 2\r\n"));
  log.AddEntry(4, "last", std::make_shared<TextDetails>(""));
  const std::string path = tree.PathOf("saved.log");
  ASSERT_TRUE(log.SaveToFile(path, true));
  EXPECT_EQ(ReadFile(path),
            "i 21:39:42 first\r\nX 21:39:42 crash\r\ni 21:39:42 last\r\n"
            "\r\n>> X 21:39:42 crash\r\nReport line 1\r\nReport line 2\r\n");
}

TEST_F(ScanLogTest, SavingWithoutOverwriteAppendsAfterAnEmptyLine) {
  const std::string path = tree.File("saved.log", "earlier\r\n");
  log.Add("now");
  ASSERT_TRUE(log.SaveToFile(path, false));
  EXPECT_EQ(ReadFile(path), "earlier\r\n\r\nnow\r\n");
  ASSERT_TRUE(log.SaveToFile(path, true));
  EXPECT_EQ(ReadFile(path), "now\r\n");
}

TEST_F(ScanLogTest, SavingToAnImpossiblePathFailsWithACode) {
  log.Add("x");
  int err = 0;
  EXPECT_FALSE(log.SaveToFile(tree.PathOf("no/such/folder/x.log"), true, &err));
  EXPECT_NE(err, 0);
}

// --- threads ------------------------------------------------------------------

TEST_F(ScanLogTest, ConcurrentAppendsLoseNothingAndKeepEachThreadsOrder) {
  const std::string path = tree.PathOf("live.log");
  ASSERT_TRUE(log.SetLogFile(path, true));
  std::atomic<int> heard{0};
  log.AddListener([&](size_t, const zw::TLogEntry&) { ++heard; });
  constexpr int kThreads = 4, kEach = 300;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t)
    threads.emplace_back([&, t] {
      for (int i = 0; i < kEach; ++i)
        log.AddEntry(4, "t" + std::to_string(t) + " n" + std::to_string(i),
                     std::make_shared<zw::TZWLogNoDetails>(4));
    });
  // The reader reads meanwhile.
  size_t seen = 0;
  while (seen < static_cast<size_t>(kThreads * kEach)) {
    const size_t n = log.Count();
    if (n > 0) {
      EXPECT_FALSE(log.Line(n - 1).empty());
    }
    seen = n;
  }
  for (auto& th : threads) th.join();
  ASSERT_EQ(log.Count(), static_cast<size_t>(kThreads * kEach));
  EXPECT_EQ(heard.load(), kThreads * kEach);
  std::vector<int> next(kThreads, 0);
  std::string expectedFile;
  for (const auto& e : log.Entries()) {
    const int t = e.Line[12] - '0';
    ASSERT_GE(t, 0);
    ASSERT_LT(t, kThreads);
    EXPECT_EQ(e.Line, "i 21:39:42 t" + std::to_string(t) + " n" + std::to_string(next[t]));
    ++next[t];
    expectedFile += e.Line + "\r\n";
  }
  // The file holds the same lines in the same order.
  EXPECT_EQ(ReadFile(path), expectedFile);
}

TEST(ScanLogGlobal, OneProgramWideLog) { EXPECT_EQ(&zw::ScanLog(), &zw::ScanLog()); }

}  // namespace
