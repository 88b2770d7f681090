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

zw::platform::FileTime At(uint16_t h, uint16_t m, uint16_t s) {
  zw::platform::FileTime ft = 0;
  EXPECT_TRUE(zw::platform::JoinFileTime({2024, 3, 0, 18, h, m, s}, ft));
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

TEST_F(ScanLogTest, LineIsKindTimeAndTextOnOneLine) {
  const std::pair<int, const char*> kinds[] = {{1, "X"}, {2, "?"}, {3, "!"}, {4, "i"},
                                               {0, " "}, {5, " "}};
  for (const auto& [kind, letter] : kinds)
    EXPECT_EQ(log.MakeLine(kind, "text"), std::string(letter) + " 21:39:42 text") << kind;
  EXPECT_EQ(log.MakeLine(3, "Some files couldn't be deleted.\r\nDo you want to see the log?"),
            "! 21:39:42 Some files couldn't be deleted. Do you want to see the log?");
  EXPECT_EQ(TZWLog::FlattenLineBreaks("format\n\r(e.g."), "format (e.g.");
  EXPECT_EQ(TZWLog::FlattenLineBreaks("a\nb\rc\r\n\r\nd"), "a b c  d");
  EXPECT_EQ(TZWLog::FlattenLineBreaks("tab\tstays"), "tab\tstays");
}

TEST_F(ScanLogTest, TimeIsZeroPaddedTwentyFourHoursUnlessReplaced) {
  log.SetClock([] { return At(7, 5, 3); });
  EXPECT_EQ(log.MakeLine(4, "x"), "i 07:05:03 x");
  log.SetClock([] { return At(23, 59, 59); });
  EXPECT_EQ(log.MakeLine(4, "x"), "i 23:59:59 x");
  log.SetTimeFormat([](zw::platform::FileTime t) {
    const auto st = zw::platform::SplitFileTime(t);
    return std::to_string(st.hour % 12) + ":" + std::to_string(st.minute) + " PM";
  });
  EXPECT_EQ(log.MakeLine(4, "x"), "i 11:59 PM x");
  log.SetTimeFormat(nullptr);  // back to the default
  EXPECT_EQ(log.MakeLine(4, "x"), "i 23:59:59 x");
  const std::string real = TZWLog().MakeLine(4, "x");  // the real clock
  ASSERT_EQ(real.size(), 12u);
  EXPECT_EQ(real[4], ':');
  EXPECT_EQ(real[7], ':');
  EXPECT_EQ(real.substr(10), " x");
}

// --- entries ------------------------------------------------------------------

TEST_F(ScanLogTest, EntriesKeepOrderAndDetailsListenersHearThem) {
  std::vector<std::pair<size_t, std::string>> heard;
  const int h = log.AddListener([&](size_t i, const zw::TLogEntry& e) {
    heard.emplace_back(i, e.Line);
    EXPECT_EQ(log.Count(), i + 1);  // the log can be read from the listener
  });
  auto details = std::make_shared<zw::TZWLogNoDetails>(4);
  log.AddEntry(4, "first", details);
  log.AddSeparator();
  log.RemoveListener(h);
  log.Add("raw line");
  ASSERT_EQ(log.Count(), 3u);
  EXPECT_EQ(log.Details(0), details);
  EXPECT_EQ(log.Details(1), nullptr);
  EXPECT_EQ(log.Line(3), "");  // beyond the end
  EXPECT_EQ(log.Details(3), nullptr);
  EXPECT_EQ(log.Text(), "i 21:39:42 first\n\nraw line\n");
  EXPECT_EQ(log.Entries().size(), 3u);
  EXPECT_EQ(heard, (std::vector<std::pair<size_t, std::string>>{{0, "i 21:39:42 first"}, {1, ""}}));
}

// --- the live log file and saving ---------------------------------------------------

TEST_F(ScanLogTest, FilesStartAnewOrAfterAnEmptyLine) {
  for (const bool live : {true, false})
    for (const bool existing : {false, true})
      for (const bool overwrite : {false, true}) {
        SCOPED_TRACE(std::string(live ? "live" : "saved") + (existing ? " existing" : " new") +
                     (overwrite ? " overwritten" : " appended"));
        TZWLog log;
        log.SetClock([] { return At(21, 39, 42); });
        std::filesystem::remove(tree.PathOf("x.log"));
        const std::string path =
            existing ? tree.File("x.log", "old line\r\n") : tree.PathOf("x.log");
        log.Add("before");
        if (live) {
          ASSERT_TRUE(log.SetLogFile(path, overwrite));
          EXPECT_EQ(log.LogFileName(), path);
          EXPECT_TRUE((existing && !overwrite) || ReadFile(path).empty()) << "no separator";
        }
        log.AddEntry(4, "one\r\ntwo", nullptr);
        log.AddSeparator();
        log.AddEntry(3, "I/O-Error 5", std::make_shared<zw::TZWLogErrorDetails>(3, 5));
        if (!live) {
          ASSERT_TRUE(log.SaveToFile(path, overwrite));
        }
        // Details without a detail text (error codes) are not written.
        EXPECT_EQ(ReadFile(path), std::string(existing && !overwrite ? "old line\r\n\r\n" : "") +
                                      (live ? "" : "before\r\n") +
                                      "i 21:39:42 one two\r\n\r\n! 21:39:42 I/O-Error 5\r\n");
      }
}

TEST_F(ScanLogTest, MirroringStopsWhenToldOrSilentlyWhenWritingFails) {
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
  ASSERT_TRUE(log.SetLogFile(path, true));
  log.Add("four");
  log.StopLogFile();
  log.Add("five");
  EXPECT_EQ(ReadFile(path), "four\r\n");
}

TEST_F(ScanLogTest, FilesThatCannotBeWrittenAreRefusedWithACode) {
  const std::string path = tree.PathOf("missing-folder/x.log");
  int err = 0;
  EXPECT_FALSE(log.SetLogFile(path, false, &err));
  EXPECT_NE(err, 0);
  EXPECT_EQ(log.LogFileName(), "");
  log.Add("still logged");
  EXPECT_EQ(log.Count(), 1u);
  err = 0;
  EXPECT_FALSE(log.SaveToFile(path, true, &err));
  EXPECT_NE(err, 0);
  // An empty log is saved without writing a file.
  EXPECT_TRUE(TZWLog().SaveToFile(tree.PathOf("empty.log"), true));
  EXPECT_FALSE(std::filesystem::exists(tree.PathOf("empty.log")));
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
  for (size_t seen = 0; seen < size_t(kThreads * kEach);) {
    seen = log.Count();
    EXPECT_TRUE(seen == 0 || !log.Line(seen - 1).empty());
  }
  for (auto& th : threads) th.join();
  ASSERT_EQ(log.Count(), size_t(kThreads * kEach));
  EXPECT_EQ(heard.load(), kThreads * kEach);
  std::vector<int> next(kThreads, 0);
  std::string expectedFile;
  for (const auto& e : log.Entries()) {
    const int t = e.Line[12] - '0';
    ASSERT_TRUE(t >= 0 && t < kThreads);
    EXPECT_EQ(e.Line, "i 21:39:42 t" + std::to_string(t) + " n" + std::to_string(next[t]++));
    expectedFile += e.Line + "\r\n";
  }
  // The file holds the same lines in the same order.
  EXPECT_EQ(ReadFile(path), expectedFile);
  EXPECT_EQ(&zw::ScanLog(), &zw::ScanLog());  // one program-wide log
}

}  // namespace
