#include "app/results/file_actions.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/support/test_host.h"
#include "engine/dupes/directory_tree.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/shell.h"
#include "support/temp_tree.h"
#include "support/zip_builder.h"

#ifdef _WIN32
#include <windows.h>
#undef MessageBox  // HostCall::MessageBox
#elif defined(__linux__)
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>
#endif

namespace {

namespace fs = std::filesystem;
using zw::TFileActions;
using zw::TResultEntry;
using zwtest::HostCall;
using zwtest::TestHost;
using zwtest::TempTree;

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool Exists(const std::string& path) {
  std::error_code ec;
  return fs::exists(fs::symlink_status(path, ec));
}

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

class FileActionsTest : public ::testing::Test {
 protected:
  FileActionsTest()
      : presenter(&host, log), actions(host, presenter, log, model, list) {
    model.findEmptyDirs = false;
  }

  // A result entry describing the file as a scan does.
  static TResultEntry* EntryOf(const std::string& full, uint32_t set) {
    zw::platform::FindData fd;
    zw::platform::OsError err;
    EXPECT_TRUE(zw::platform::GetFileInfo(full, fd, err)) << full;
    auto* e = new TResultEntry;
    e->Set = set;
    e->Name = zw::platform::ExtractFileName(full);
    e->Path = zw::platform::ExtractFilePath(full);
    e->Size = fd.size;
    e->Time = zw::platform::UtcToLocal(fd.lastWriteUtc);
    e->Attributes = fd.attributes;
    return e;
  }

  // Fills the list with the sets of files, in order.
  void Build(const std::vector<std::vector<std::string>>& sets) {
    size_t n = 0;
    for (const auto& s : sets) n += s.size();
    list.Prepare(static_cast<int32_t>(sets.size()), static_cast<int32_t>(n));
    for (size_t s = 0; s < sets.size(); ++s)
      for (const auto& f : sets[s]) ASSERT_TRUE(list.AppendEntry(EntryOf(f, static_cast<uint32_t>(s))));
    list.OrderBySets();
  }

  TResultEntry* Find(const std::string& full) const {
    for (TResultEntry* e : list.Items())
      if (e->FullName() == full) return e;
    return nullptr;
  }
  void Check(const std::string& full) {
    TResultEntry* e = Find(full);
    ASSERT_NE(e, nullptr) << full;
    list.Check(e);
  }
  std::string LogText() const { return log.Text(); }
  std::vector<HostCall> Questions() const { return host.Boxes(); }

  TempTree tree;
  TestHost host;
  zw::TZWLog log;
  zw::TMsgPresenter presenter;
  zw::TWindowModel model;
  zw::TResultList list;
  TFileActions actions;
};

// --- confirmation ------------------------------------------------------------------

TEST_F(FileActionsTest, NothingCheckedShowsTheActionsMessageAndDoesNothing) {
  const auto a = tree.File("a.txt", "same");
  const auto b = tree.File("b.txt", "same");
  Build({{a, b}});
  EXPECT_FALSE(actions.Delete(zw::cmInteractive));
  const auto boxes = Questions();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].kind, HostCall::MessageBox);
  EXPECT_TRUE(Contains(boxes[0].text, "check the files you want to delete"));
  EXPECT_TRUE(Exists(a) && Exists(b));
  EXPECT_EQ(host.Count(HostCall::SetBusy), 0u);
}

TEST_F(FileActionsTest, WholeSetCheckedUnattendedTakesNoAndTouchesNothing) {
  const auto a = tree.File("a.txt", "same");
  const auto b = tree.File("b.txt", "same");
  Build({{a, b}});
  Check(a);
  Check(b);
  EXPECT_FALSE(actions.Delete(zw::cmUnattended));
  EXPECT_TRUE(Questions().empty());
  EXPECT_EQ(ReadAll(a), "same");
  EXPECT_EQ(ReadAll(b), "same");
  EXPECT_EQ(list.ItemCount(), 2);
  EXPECT_EQ(list.CheckedCount(), 2);
  EXPECT_TRUE(Contains(LogText(), "(e.g. set 0)"));
  EXPECT_TRUE(Contains(LogText(), "[No]"));
}

TEST_F(FileActionsTest, WholeSetQuestionNamesTheFirstOffendingSetAndFocusesIt) {
  const auto a = tree.File("a.txt", "one");
  const auto b = tree.File("b.txt", "one");
  const auto c = tree.File("c.txt", "two");
  const auto d = tree.File("d.txt", "two");
  Build({{a, b}, {c, d}});
  Check(a);
  Check(c);
  Check(d);
  host.answers = {zw::ansNo};
  EXPECT_FALSE(actions.Delete(zw::cmInteractive));
  const auto boxes = Questions();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_TRUE(Contains(boxes[0].text, "(e.g. set 1)"));
  EXPECT_EQ(model.results.focused, 2);  // c, the set's first entry
  EXPECT_TRUE(Exists(c) && Exists(d) && Exists(a));
  EXPECT_EQ(list.CheckedCount(), 3);
}

TEST_F(FileActionsTest, WholeSetInCountdownModeDefaultsToNo) {
  const auto a = tree.File("a.txt", "same");
  const auto b = tree.File("b.txt", "same");
  Build({{a, b}});
  Check(a);
  Check(b);
  EXPECT_FALSE(actions.Recycle(zw::cmCountdown));
  const auto boxes = Questions();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].kind, HostCall::CountdownBox);
  EXPECT_EQ(boxes[0].request.seconds, TFileActions::kCountdownSeconds);
  EXPECT_EQ(boxes[0].request.defaultIndex, 1);  // No
  EXPECT_TRUE(Exists(a) && Exists(b));
}

TEST_F(FileActionsTest, WholeSetAnsweredYesGoesOnToTheConfirmation) {
  const auto a = tree.File("a.txt", "same");
  const auto b = tree.File("b.txt", "same");
  Build({{a, b}});
  Check(a);
  Check(b);
  host.answers = {zw::ansYes, zw::ansNo};  // whole set: Yes; confirmation: No
  EXPECT_FALSE(actions.Delete(zw::cmInteractive));
  ASSERT_EQ(Questions().size(), 2u);
  EXPECT_TRUE(Exists(a) && Exists(b));
}

TEST_F(FileActionsTest, ConfirmationNamesCountAndKilobytesAndDeclineStops) {
  const auto a = tree.SizedFile("x/a.bin", 2048, 1);
  const auto b = tree.SizedFile("y/b.bin", 2048, 1);
  const auto c = tree.SizedFile("x/c.bin", 1500, 2);
  const auto d = tree.SizedFile("y/d.bin", 1500, 2);
  Build({{a, b}, {c, d}});
  Check(a);
  Check(c);
  host.answers = {zw::ansNo};
  EXPECT_FALSE(actions.Delete(zw::cmInteractive));
  const auto boxes = Questions();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].kind, HostCall::QuestionBox);
  EXPECT_EQ(boxes[0].defaultAnswer, 0);  // interactively always asked
  EXPECT_TRUE(Contains(boxes[0].text, "delete 2 files with a total size of 3 kB"));
  EXPECT_TRUE(Exists(a) && Exists(c));
  EXPECT_EQ(host.Count(HostCall::SetBusy), 0u);
}

TEST_F(FileActionsTest, CountdownConfirmationDefaultsToYes) {
  const auto a = tree.File("a.txt", "same");
  const auto b = tree.File("b.txt", "same");
  Build({{a, b}});
  Check(a);
  EXPECT_TRUE(actions.Delete(zw::cmCountdown));
  const auto boxes = Questions();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].kind, HostCall::CountdownBox);
  EXPECT_EQ(boxes[0].request.defaultIndex, 0);  // Yes
  EXPECT_FALSE(Exists(a));
  EXPECT_TRUE(Exists(b));
}

// --- delete --------------------------------------------------------------------------

TEST_F(FileActionsTest, DeleteRemovesTheFirstFilesOfSetsOnly) {
  const auto a1 = tree.File("s1/a1.txt", "alpha");
  const auto a2 = tree.File("s2/a2.txt", "alpha");
  const auto b1 = tree.File("s1/b1.txt", "beta");
  const auto b2 = tree.File("s2/b2.txt", "beta");
  const auto b3 = tree.File("s3/b3.txt", "beta");
  Build({{a1, a2}, {b1, b2, b3}});
  Check(a1);
  Check(b1);
  Check(b2);
  log.Add("i earlier entry");
  EXPECT_TRUE(actions.Delete(zw::cmInteractive));
  EXPECT_FALSE(Exists(a1));
  EXPECT_FALSE(Exists(b1));
  EXPECT_FALSE(Exists(b2));
  EXPECT_EQ(ReadAll(a2), "alpha");
  EXPECT_EQ(ReadAll(b3), "beta");
  ASSERT_EQ(list.ItemCount(), 2);
  EXPECT_EQ(list.Item(0)->FullName(), a2);
  EXPECT_EQ(list.Item(1)->FullName(), b3);
  EXPECT_EQ(list.CheckedCount(), 0);
  // The frame: busy with the status text, a separator before the start line.
  ASSERT_GE(log.Count(), 4u);
  EXPECT_EQ(log.Line(1), "");
  EXPECT_TRUE(Contains(log.Line(2), "Deleting checked files..."));
  EXPECT_TRUE(Contains(log.Line(log.Count() - 1), "Operation completed."));
  const auto busy = host.CallsOf(HostCall::SetBusy);
  ASSERT_EQ(busy.size(), 2u);
  EXPECT_EQ(busy[0].a, 1);
  EXPECT_EQ(busy[1].a, 0);
  const auto status = host.CallsOf(HostCall::SetStatusText);
  ASSERT_FALSE(status.empty());
  EXPECT_EQ(status.front().text, "Status: deleting checked files...");
  EXPECT_EQ(status.back().text, "Status: idle");
  const auto progress = host.CallsOf(HostCall::SetProgress);
  ASSERT_FALSE(progress.empty());
  EXPECT_EQ(progress.back().a, 3);
  EXPECT_EQ(progress.back().b, 3);
  EXPECT_FALSE(model.busy);
}

TEST_F(FileActionsTest, DeleteRemovesAReadOnlyFile) {
  const auto a = tree.File("a.txt", "same");
  const auto b = tree.File("b.txt", "same");
  zw::platform::OsError err;
  ASSERT_TRUE(zw::platform::SetAttributes(a, zw::platform::attr::kReadOnly, err));
  Build({{a, b}});
  Check(a);
  EXPECT_TRUE(actions.Delete(zw::cmUnattended));
  EXPECT_FALSE(Exists(a));
  EXPECT_TRUE(Exists(b));
}

#ifdef __linux__
// A folder made immutable while this lasts: nothing in it can be created,
// renamed or removed, also by root. Works() is false where the file system
// or the user's rights do not allow it.
class ImmutableFolder {
 public:
  explicit ImmutableFolder(const std::string& folder)
      : folder_(zw::platform::ExcludeTrailingSep(folder)) {
    works_ = Flip(true);
  }
  ~ImmutableFolder() {
    if (works_) Flip(false);
  }
  bool Works() const { return works_; }

 private:
  bool Flip(bool on) {
    const int fd = open(folder_.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd < 0) return false;
    int flags = 0;
    bool ok = ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (ok) {
      flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
      ok = ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    close(fd);
    return ok;
  }
  std::string folder_;
  bool works_ = false;
};
#endif

// Makes the deletion of a file fail while it lasts; Works() is false where
// the system does not let the test do that.
class DeleteBlocker {
 public:
  explicit DeleteBlocker(const std::string& file)
#ifdef __linux__
      : folder_(zw::platform::ExtractFilePath(file))
#endif
  {
#ifdef _WIN32
    // Open without sharing the right to delete (reading stays shared: the
    // action reads the file before it deletes it).
    handle_ = CreateFileA(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                          nullptr);
    works_ = handle_ != INVALID_HANDLE_VALUE;
#elif defined(__linux__)
    works_ = folder_.Works();
#else
    (void)file;
#endif
  }
  ~DeleteBlocker() {
#ifdef _WIN32
    if (works_) CloseHandle(handle_);
#endif
  }
  bool Works() const { return works_; }

 private:
  bool works_ = false;
#ifdef _WIN32
  HANDLE handle_ = INVALID_HANDLE_VALUE;
#elif defined(__linux__)
  ImmutableFolder folder_;
#endif
};

TEST_F(FileActionsTest, FailedDeleteRestoresReadOnlyLogsAndAsksAtTheEnd) {
  const auto a = tree.File("locked/a.txt", "same");
  const auto b = tree.File("b.txt", "same");
  zw::platform::OsError err;
  ASSERT_TRUE(zw::platform::SetAttributes(a, zw::platform::attr::kReadOnly, err));
  Build({{a, b}});
  Check(a);
  bool ok = true;
  {
    DeleteBlocker blocker(a);
    if (!blocker.Works()) GTEST_SKIP() << "cannot make a deletion fail here";
    host.answers = {zw::ansYes, zw::ansYes};  // confirmation; see the log
    ok = actions.Delete(zw::cmInteractive);
  }
  EXPECT_FALSE(ok);
  EXPECT_EQ(ReadAll(a), "same");
  uint32_t attributes = 0;
  ASSERT_TRUE(zw::platform::GetAttributes(a, attributes, err));
  EXPECT_NE(attributes & zw::platform::attr::kReadOnly, 0u);
  ASSERT_EQ(list.ItemCount(), 2);
  EXPECT_TRUE(Find(a) && Find(a)->IsChecked());
  EXPECT_TRUE(Contains(LogText(), "Could not delete file \"" + a + "\" (I/O-Error "));
  const auto boxes = Questions();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_TRUE(Contains(boxes[1].text, "Some files couldn't be deleted."));
  EXPECT_EQ(boxes[1].defaultAnswer, zw::ansNo);
  EXPECT_EQ(host.Count(HostCall::ShowLog), 1u);
}

TEST_F(FileActionsTest, CancelLeavesTheRemainingEntriesChecked) {
  std::vector<std::string> files;
  std::vector<std::vector<std::string>> sets;
  for (int i = 0; i < 5; ++i) {
    const std::string content = "content " + std::to_string(i);
    const auto gone = tree.File("d" + std::to_string(i) + "/x.txt", content);
    const auto kept = tree.File("keep/x" + std::to_string(i) + ".txt", content);
    files.push_back(gone);
    sets.push_back({gone, kept});
  }
  Build(sets);
  for (const auto& f : files) Check(f);
  model.findEmptyDirs = true;
  int handled = 0;
  actions.processMessages = [&] {
    if (++handled == 2) actions.RequestCancel();
  };
  EXPECT_TRUE(actions.Delete(zw::cmUnattended));
  EXPECT_FALSE(Exists(files[0]));
  EXPECT_FALSE(Exists(files[1]));
  for (int i = 2; i < 5; ++i) {
    EXPECT_TRUE(Exists(files[i]));
    ASSERT_NE(Find(files[i]), nullptr);
    EXPECT_TRUE(Find(files[i])->IsChecked());
  }
  EXPECT_EQ(list.CheckedCount(), 3);
  EXPECT_EQ(list.ItemCount(), 8);
  // No empty-folder search after a cancel: the emptied folders stay, unasked.
  EXPECT_TRUE(Questions().empty());
  EXPECT_TRUE(fs::exists(tree.PathOf("d0")));
}

// --- files that changed since the scan ------------------------------------------------

TEST_F(FileActionsTest, AFileOfAnotherSizeIsLeftAloneAndLogged) {
  const auto a = tree.File("a.txt", "same");
  const auto b = tree.File("b.txt", "same");
  Build({{a, b}});
  Check(a);
  tree.File("a.txt", "grown since");
  EXPECT_FALSE(actions.Delete(zw::cmUnattended));
  EXPECT_EQ(ReadAll(a), "grown since");
  ASSERT_NE(Find(a), nullptr);
  EXPECT_TRUE(Find(a)->IsChecked());
  const std::string line = "File \"" + a + "\" has changed since the scan; it was not touched";
  EXPECT_TRUE(Contains(LogText(), line));
  // An error line.
  bool errorLine = false;
  for (size_t i = 0; i < log.Count(); ++i)
    errorLine = errorLine || (Contains(log.Line(i), line) && log.Line(i)[0] == 'X');
  EXPECT_TRUE(errorLine);
}

TEST_F(FileActionsTest, AFileWithAnotherTimeIsLeftAloneAndLogged) {
  const auto a = tree.File("a.txt", "same");
  const auto b = tree.File("b.txt", "same");
  const auto c = tree.File("c.txt", "same");
  Build({{a, b, c}});
  Check(a);
  Check(b);
  tree.File("b.txt", "SAME");  // same size
  fs::last_write_time(tree.PathOf("b.txt"),
                      fs::last_write_time(tree.PathOf("a.txt")) + std::chrono::seconds(30));
  host.answers = {zw::ansYes};  // confirmation
  EXPECT_FALSE(actions.Move(zw::cmInteractive, tree.Dir("dest")));
  EXPECT_EQ(ReadAll(b), "SAME");
  EXPECT_FALSE(Exists(a));  // the unchanged one went
  ASSERT_EQ(list.ItemCount(), 2);
  EXPECT_NE(Find(b), nullptr);
  EXPECT_TRUE(Contains(LogText(), "File \"" + b + "\" has changed since the scan"));
}

TEST_F(FileActionsTest, UtcTimesDecideAfterAChangeOfTimeZone) {
  // A list exported before the time zone changed: every local time is an
  // hour off. With the UTC time at hand the files are still the listed ones.
  for (const bool withUtc : {true, false}) {
    const auto a = tree.File(withUtc ? "u/a.txt" : "l/a.txt", "same");
    const auto b = tree.File(withUtc ? "u/b.txt" : "l/b.txt", "same");
    list.Clear();
    Build({{a, b}});
    for (TResultEntry* e : list.Items()) {
      zw::platform::FindData fd;
      zw::platform::OsError err;
      ASSERT_TRUE(zw::platform::GetFileInfo(e->FullName(), fd, err));
      e->TimeUtc = withUtc ? fd.lastWriteUtc : 0;
      e->Time += 36000000000LL;  // one hour
    }
    Check(a);
    EXPECT_EQ(actions.Delete(zw::cmUnattended), withUtc);
    EXPECT_EQ(Exists(a), !withUtc);
    EXPECT_EQ(ReadAll(b), "same");
  }
}

// What counts as a kept copy: another file with the same bytes, or a ZIP
// member that unpacks to them.
TEST_F(FileActionsTest, DeleteNeedsAKeptCopyThatIsAnotherFileWithTheSameBytes) {
  struct Case {
    const char* what;
    bool deleted;
    const char* reason;  // part of the log line when it stays
  } cases[] = {
      {"an identical file", true, ""},
      {"a hard link to the file", false, "is the same file under another name"},
      {"same size, other bytes", false, "no unchecked copy holds the same bytes now"},
      {"a ZIP member holding the bytes", true, ""},
      {"a ZIP member whose data is damaged", false, "cannot be read or is damaged"},
  };
  int n = 0;
  for (const Case& c : cases) {
    const std::string dir = "c" + std::to_string(n++) + "/";
    const std::string content(5000, 'q');
    const auto a = tree.File(dir + "a.bin", content);
    list.Clear();
    const std::string what = c.what;
    if (what.find("ZIP") != std::string::npos) {
      zwtest::Built zip = zwtest::BuildZip({{"a.bin", content, 0x20, 0, false, 0, true}});
      if (!c.deleted) zip.bytes[50] = static_cast<char>(zip.bytes[50] ^ 0x10);
      const auto archive = tree.File(dir + "pack.zip", zip.bytes);
      list.Prepare(1, 2);
      ASSERT_TRUE(list.AppendEntry(EntryOf(a, 0)));
      auto* member = new TResultEntry;
      member->Name = "a.bin";
      member->Path = archive + ">" + zw::platform::kPathSep;
      member->Size = content.size();
      member->Flags = zw::reflag::kInArchive | zw::reflag::kInZip;
      ASSERT_TRUE(list.AppendEntry(member));
      list.OrderBySets();
    } else {
      std::string b = tree.PathOf(dir + "b.bin");
      if (what.find("hard link") != std::string::npos)
        fs::create_hard_link(a, b);
      else
        tree.File(dir + "b.bin", what.find("other") != std::string::npos
                                     ? std::string(5000, 'r')
                                     : content);
      Build({{a, b}});
    }
    Check(a);
    EXPECT_EQ(actions.Delete(zw::cmUnattended), c.deleted) << c.what << "\n" << LogText();
    EXPECT_EQ(Exists(a), !c.deleted) << c.what;
    if (!c.deleted) {
      EXPECT_EQ(ReadAll(a), content) << c.what;
      std::string line;
      for (size_t i = 0; i < log.Count(); ++i)
        if (Contains(log.Line(i), "No kept copy of \"" + a + "\" was verified")) line = log.Line(i);
      EXPECT_TRUE(Contains(line, c.reason)) << c.what << "\n" << LogText();
    }
  }
}

TEST_F(FileActionsTest, AVanishedFileIsLoggedAndItsEntryStays) {
  const auto a = tree.File("a.txt", "same");
  const auto b = tree.File("b.txt", "same");
  Build({{a, b}});
  Check(a);
  fs::remove(tree.PathOf("a.txt"));
  EXPECT_FALSE(actions.Delete(zw::cmUnattended));
  EXPECT_TRUE(Contains(LogText(), "File \"" + a + "\" no longer exists; it was not touched"));
  EXPECT_NE(Find(a), nullptr);
  EXPECT_EQ(ReadAll(b), "same");
}

TEST_F(FileActionsTest, DeleteKeepsAFileWhoseUncheckedCopiesAreGoneOrChanged) {
  // An old list: the copies meant to stay were removed or edited since.
  const auto a = tree.File("a.txt", "one");
  const auto b = tree.File("b.txt", "one");
  const auto c = tree.File("c.txt", "one");
  const auto x = tree.File("x.txt", "two");
  const auto y = tree.File("y.txt", "two");
  Build({{a, b, c}, {x, y}});
  Check(a);
  Check(x);
  fs::remove(tree.PathOf("b.txt"));
  tree.File("c.txt", "edited");
  EXPECT_FALSE(actions.Delete(zw::cmUnattended));
  EXPECT_EQ(ReadAll(a), "one");  // the last copy of "one" stays
  ASSERT_NE(Find(a), nullptr);
  EXPECT_TRUE(Find(a)->IsChecked());
  EXPECT_TRUE(Contains(LogText(), "No kept copy of \"" + a + "\" was verified (no unchecked copy "
                                  "holds the same bytes now); it was not touched"));
  EXPECT_FALSE(Exists(x));  // its set still has y
  EXPECT_EQ(ReadAll(y), "two");
}

TEST_F(FileActionsTest, AWholeSetStaysEvenWhenTheUserConfirms) {
  const auto a = tree.File("a.txt", "one");
  const auto b = tree.File("b.txt", "one");
  Build({{a, b}});
  Check(a);
  Check(b);
  host.answers = {zw::ansYes, zw::ansYes};  // whole set; confirmation
  EXPECT_FALSE(actions.Delete(zw::cmInteractive));
  EXPECT_EQ(ReadAll(a), "one");
  EXPECT_EQ(ReadAll(b), "one");
  EXPECT_TRUE(Contains(LogText(), "(no copy of it is left unchecked)"));
}

TEST(FileActionsTimes, WholeMillisecondEntryTimesMatchWithinTheirMillisecond) {
  EXPECT_TRUE(TFileActions::SameTime(1234567890123ULL, 1234567890123ULL));
  EXPECT_FALSE(TFileActions::SameTime(1234567890123ULL, 1234567890124ULL));
  EXPECT_TRUE(TFileActions::SameTime(1234567890000ULL, 1234567899999ULL));
  EXPECT_FALSE(TFileActions::SameTime(1234567890000ULL, 1234567900000ULL));
}

// --- move ----------------------------------------------------------------------------

TEST(FileActionsMoveTarget, TheSourcePathIsRebuiltBelowTheDestination) {
#ifdef _WIN32
  EXPECT_EQ(TFileActions::MoveTargetFolder("D:\\m\\", "C:\\Data\\"), "D:\\m\\C\\Data\\");
  EXPECT_EQ(TFileActions::MoveTargetFolder("D:\\m", "\\\\server\\share\\x\\"),
            "D:\\m\\server\\share\\x\\");
#else
  EXPECT_EQ(TFileActions::MoveTargetFolder("/m/", "/home/a/"), "/m/home/a/");
  EXPECT_EQ(TFileActions::MoveTargetFolder("/m", "/data/a:b/"), "/m/data/a:b/");
#endif
}

TEST_F(FileActionsTest, MoveKeepsTheFolderStructureBelowTheDestination) {
  const auto a = tree.File("src/a/x.txt", "payload");
  const auto b = tree.File("src/b/x.txt", "payload");
  Build({{a, b}});
  Check(a);
  const std::string dest = tree.Dir("dest");
  EXPECT_TRUE(actions.Move(zw::cmUnattended, dest));
  const std::string moved =
      TFileActions::MoveTargetFolder(dest, zw::platform::ExtractFilePath(a)) + "x.txt";
  EXPECT_TRUE(zw::platform::IsPathBelow(moved, dest));
  EXPECT_EQ(ReadAll(moved), "payload");
  EXPECT_FALSE(Exists(a));
  EXPECT_EQ(ReadAll(b), "payload");
  EXPECT_TRUE(Contains(LogText(), "Moving checked files to \"" + dest + "\"..."));
  ASSERT_EQ(list.ItemCount(), 1);
}

TEST_F(FileActionsTest, MoveNeverOverwritesAnExistingFile) {
  const auto a = tree.File("src/x.txt", "payload");
  const auto b = tree.File("other/x.txt", "payload");
  Build({{a, b}});
  Check(a);
  const std::string dest = tree.Dir("dest");
  const std::string target =
      TFileActions::MoveTargetFolder(dest, zw::platform::ExtractFilePath(a)) + "x.txt";
  fs::create_directories(fs::path(target).parent_path());
  { std::ofstream(target, std::ios::binary) << "already here"; }
  EXPECT_FALSE(actions.Move(zw::cmUnattended, dest));
  EXPECT_EQ(ReadAll(target), "already here");
  EXPECT_EQ(ReadAll(a), "payload");
  ASSERT_NE(Find(a), nullptr);
  EXPECT_TRUE(Find(a)->IsChecked());
  EXPECT_TRUE(Contains(LogText(), "Could not move file \"" + a + "\" (I/O-Error "));
}

#ifdef __linux__
class MoveWriteProtectedTest : public FileActionsTest {
 protected:
  void SetUp() override {
    a = tree.File("src/a.txt", "one");
    b = tree.File("other/a.txt", "one");
    c = tree.File("src/c.txt", "two");
    d = tree.File("other/c.txt", "two");
    Build({{a, b}, {c, d}});
    Check(a);
    Check(c);
    dest = tree.Dir("dest");
  }
  std::string a, b, c, d, dest;
};

TEST_F(MoveWriteProtectedTest, DecliningTheWriteQuestionStopsTheMove) {
  bool ok = true;
  {
    ImmutableFolder locked(dest);
    if (!locked.Works()) GTEST_SKIP() << "cannot write-protect a folder here";
    ok = actions.Move(zw::cmInteractive, dest);  // confirmation Yes, write question No
  }
  EXPECT_FALSE(ok);
  EXPECT_EQ(ReadAll(a), "one");
  EXPECT_EQ(ReadAll(c), "two");
  EXPECT_EQ(list.CheckedCount(), 2);
  const auto boxes = Questions();
  ASSERT_EQ(boxes.size(), 3u);  // confirmation, write question, end question
  EXPECT_TRUE(Contains(boxes[1].text, "not allowed to write"));
  EXPECT_EQ(boxes[1].defaultAnswer, zw::ansNo);
  EXPECT_TRUE(Contains(LogText(), "Could not move file \"" + a + "\""));
  EXPECT_FALSE(Contains(LogText(), "Could not move file \"" + c + "\""));  // never tried
}

TEST_F(MoveWriteProtectedTest, AcceptingTheWriteQuestionTriesEveryFileAskingOnce) {
  bool ok = true;
  {
    ImmutableFolder locked(dest);
    if (!locked.Works()) GTEST_SKIP() << "cannot write-protect a folder here";
    host.answers = {zw::ansYes, zw::ansYes, zw::ansNo};
    ok = actions.Move(zw::cmInteractive, dest);
  }
  EXPECT_FALSE(ok);
  EXPECT_EQ(Questions().size(), 3u);
  EXPECT_TRUE(Contains(LogText(), "Could not move file \"" + a + "\""));
  EXPECT_TRUE(Contains(LogText(), "Could not move file \"" + c + "\""));
  EXPECT_EQ(list.CheckedCount(), 2);
}
#endif

TEST_F(FileActionsTest, MoveOffersToCreateAMissingDestination) {
  const auto a = tree.File("src/x.txt", "payload");
  const auto b = tree.File("other/x.txt", "payload");
  Build({{a, b}});
  Check(a);
  const std::string dest = tree.PathOf("new/dest");
  host.answers = {zw::ansYes, zw::ansNo};  // confirmation; create: No
  EXPECT_FALSE(actions.Move(zw::cmInteractive, dest));
  EXPECT_FALSE(fs::exists(dest));
  EXPECT_TRUE(Exists(a));
  auto boxes = Questions();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_TRUE(Contains(boxes[0].text, "to the specified destination directory"));
  EXPECT_TRUE(Contains(boxes[1].text, "does not exist"));
  EXPECT_EQ(boxes[1].defaultAnswer, zw::ansYes);

  host.Clear();
  host.answers = {zw::ansYes, zw::ansYes};
  EXPECT_TRUE(actions.Move(zw::cmInteractive, dest));
  EXPECT_TRUE(fs::is_directory(dest));
  EXPECT_FALSE(Exists(a));
}

TEST_F(FileActionsTest, MoveAsksForTheDestinationAndRefusesAnInvalidOne) {
  const auto a = tree.File("src/x.txt", "payload");
  const auto b = tree.File("other/x.txt", "payload");
  Build({{a, b}});
  Check(a);
  // Cancelled picker.
  EXPECT_FALSE(actions.Move(zw::cmInteractive, {}));
  const auto pick = host.CallsOf(HostCall::PickFolder);
  ASSERT_EQ(pick.size(), 1u);
  EXPECT_EQ(pick[0].text, "Select destination folder");
  // A folder that does not exist.
  host.Clear();
  host.folders = {tree.PathOf("nowhere")};
  EXPECT_FALSE(actions.Move(zw::cmInteractive, {}));
  auto boxes = Questions();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_TRUE(Contains(boxes[1].text, "The folder you've just chosen is invalid"));
  EXPECT_TRUE(Exists(a));
  // A good one.
  host.Clear();
  const std::string dest = tree.Dir("picked");
  host.folders = {zw::platform::ExcludeTrailingSep(dest)};
  EXPECT_TRUE(actions.Move(zw::cmInteractive, {}));
  EXPECT_EQ(ReadAll(TFileActions::MoveTargetFolder(dest, zw::platform::ExtractFilePath(a)) +
                    "x.txt"),
            "payload");
  EXPECT_TRUE(Contains(host.CallsOf(HostCall::SetStatusText).front().text,
                       "Status: moving checked files to \"" + dest + "\"..."));
}

// --- empty folders and tidy-up ------------------------------------------------------

TEST_F(FileActionsTest, FoldersLeftEmptyAreOfferedAndRemoved) {
  const auto a = tree.File("gone/deep/x.txt", "same");
  const auto b = tree.File("keep/x.txt", "same");
  Build({{a, b}});
  Check(a);
  model.findEmptyDirs = true;
  host.answers = {zw::TZWTouchedDirectories::btnYes};
  EXPECT_TRUE(actions.Delete(zw::cmUnattended));
  const auto boxes = Questions();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_TRUE(Contains(boxes[0].text, "is now empty"));
  EXPECT_FALSE(fs::exists(tree.PathOf("gone/deep")));
  EXPECT_TRUE(fs::exists(tree.PathOf("keep/x.txt")));
  bool searched = false;
  for (const auto& c : host.CallsOf(HostCall::SetStatusText))
    searched = searched || c.text == "Status: looking for empty directories...";
  EXPECT_TRUE(searched);
}

TEST_F(FileActionsTest, NoEmptyFolderSearchWhileAScriptRuns) {
  const auto a = tree.File("gone/x.txt", "same");
  const auto b = tree.File("keep/x.txt", "same");
  Build({{a, b}});
  Check(a);
  model.findEmptyDirs = true;
  presenter.SetScriptExecuting(true);
  EXPECT_TRUE(actions.Delete(zw::cmUnattended));
  EXPECT_TRUE(Questions().empty());
  EXPECT_TRUE(fs::is_directory(tree.PathOf("gone")));
}

TEST_F(FileActionsTest, TidyUpRemovesSingleLeftoversWhenAccepted) {
  const auto a = tree.File("a.txt", "one");
  const auto b = tree.File("b.txt", "one");
  const auto c = tree.File("c.txt", "two");
  const auto d = tree.File("d.txt", "two");
  const auto e = tree.File("e.txt", "two");
  Build({{a, b}, {c, d, e}});
  Check(a);
  Check(c);
  actions.SetListFromCriteriaScan(true);
  EXPECT_TRUE(actions.Delete(zw::cmInteractive));  // confirmation; tidy-up: defaults
  const auto boxes = Questions();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_TRUE(Contains(boxes[1].text, "single files left in the result list"));
  EXPECT_EQ(boxes[1].defaultAnswer, zw::ansYes);
  ASSERT_EQ(list.ItemCount(), 2);
  EXPECT_EQ(list.Item(0)->FullName(), d);
  EXPECT_EQ(list.Item(1)->FullName(), e);
  EXPECT_TRUE(Exists(b));  // only its entry went
}

TEST_F(FileActionsTest, NoTidyUpForAListThatDidNotComeFromACriteriaScan) {
  const auto a = tree.File("a.txt", "one");
  const auto b = tree.File("b.txt", "one");
  Build({{a, b}});
  Check(a);
  EXPECT_TRUE(actions.Delete(zw::cmUnattended));
  EXPECT_TRUE(Questions().empty());
  ASSERT_EQ(list.ItemCount(), 1);
  EXPECT_EQ(list.Item(0)->FullName(), b);
}

// --- recycle -------------------------------------------------------------------------

// The trash goes into a folder of the test (XDG_DATA_HOME), never the user's.
// Windows has no such switch: the recycle bin there would be the real one.
TEST_F(FileActionsTest, RecycleMovesTheFileIntoTheTrash) {
#ifdef _WIN32
  GTEST_SKIP() << "the recycle bin of Windows cannot be pointed at a test folder";
#else
  const std::string dataHome = tree.Dir("xdg-data");
  const char* old = std::getenv("XDG_DATA_HOME");
  const std::string saved = old ? old : "";
  setenv("XDG_DATA_HOME", zw::platform::ExcludeTrailingSep(dataHome).c_str(), 1);
  const auto a = tree.File("files/a.txt", "recycled");
  const auto b = tree.File("files/b.txt", "recycled");
  Build({{a, b}});
  Check(a);
  const bool ok = actions.Recycle(zw::cmUnattended);
  if (old)
    setenv("XDG_DATA_HOME", saved.c_str(), 1);
  else
    unsetenv("XDG_DATA_HOME");
  EXPECT_TRUE(ok) << LogText();
  EXPECT_FALSE(Exists(a));
  EXPECT_EQ(ReadAll(dataHome + "Trash/files/a.txt"), "recycled");
  EXPECT_TRUE(fs::exists(dataHome + "Trash/info/a.txt.trashinfo"));
  EXPECT_TRUE(Contains(LogText(), "Moving checked files to Recycle Bin..."));
  ASSERT_EQ(list.ItemCount(), 1);
#endif
}

// --- replace by shortcut ----------------------------------------------------------

// The shortcuts in a folder and what they point to.
std::vector<std::string> ShortcutTargets(const std::string& folder) {
  std::vector<std::string> out;
  for (const auto& item : fs::directory_iterator(folder)) {
    const std::string path = item.path().string();
    if (!zw::platform::IsShortcut(path)) continue;
    std::string target;
    zw::platform::OsError err;
    if (zw::platform::ResolveShortcut(path, target, err)) out.push_back(target);
  }
  return out;
}

TEST_F(FileActionsTest, ShortcutsOfTwoCheckedFilesPointToTheThird) {
  const auto a = tree.File("a/x.txt", "same");
  const auto b = tree.File("b/x.txt", "same");
  const auto c = tree.File("c/x.txt", "same");
  Build({{a, b, c}});
  Check(a);
  Check(b);
  EXPECT_TRUE(actions.ReplaceByShortcut(zw::cmUnattended)) << LogText();
  EXPECT_EQ(ShortcutTargets(tree.PathOf("a")), std::vector<std::string>{c});
  EXPECT_EQ(ShortcutTargets(tree.PathOf("b")), std::vector<std::string>{c});
  EXPECT_EQ(ReadAll(c), "same");
  ASSERT_EQ(list.ItemCount(), 1);
  EXPECT_EQ(list.Item(0)->FullName(), c);
  EXPECT_TRUE(Contains(LogText(), "Replacing checked files by shortcuts..."));
}

TEST_F(FileActionsTest, ShortcutTargetFollowsTheSetsChainOutsideSetGrouping) {
  const auto a = tree.File("a/x.txt", "same");
  const auto b = tree.File("b/x.txt", "same");
  const auto c = tree.File("c/x.txt", "same");
  Build({{a, b, c}});
  Check(b);
  list.SetGroupingMode(0);  // the chain runs c, b, a: c is the target
  EXPECT_TRUE(actions.ReplaceByShortcut(zw::cmUnattended)) << LogText();
  EXPECT_EQ(ShortcutTargets(tree.PathOf("b")), std::vector<std::string>{c});
  EXPECT_EQ(ReadAll(a), "same");
}

TEST_F(FileActionsTest, AChangedShortcutTargetLeavesTheSetAlone) {
  const auto a = tree.File("a/x.txt", "same");
  const auto b = tree.File("b/x.txt", "same");
  Build({{a, b}});
  Check(a);
  tree.File("b/x.txt", "changed!");
  EXPECT_FALSE(actions.ReplaceByShortcut(zw::cmUnattended));
  EXPECT_EQ(ReadAll(a), "same");
  EXPECT_TRUE(ShortcutTargets(tree.PathOf("a")).empty());
  EXPECT_TRUE(Contains(LogText(), "No kept copy of \"" + a + "\" was verified"));
  EXPECT_NE(Find(a), nullptr);
}

class ShortcutToArchiveTest : public FileActionsTest {
 protected:
  // A set of a checked file and an entry inside a ZIP archive.
  void BuildWithZip() {
    file = tree.File("a/x.txt", "same");
    archive = tree.File("pack.zip", zwtest::BuildZip({{"x.txt", "same"}}).bytes);
    list.Prepare(1, 2);
    ASSERT_TRUE(list.AppendEntry(EntryOf(file, 0)));
    auto* inZip = new TResultEntry;
    inZip->Set = 0;
    inZip->Name = "x.txt";
    inZip->Path = archive + ">" + zw::platform::kPathSep;
    inZip->Size = 4;
    inZip->Flags = zw::reflag::kInArchive | zw::reflag::kInZip;
    ASSERT_TRUE(list.AppendEntry(inZip));
    list.OrderBySets();
    Check(file);
  }
  std::string file, archive;
};

TEST_F(ShortcutToArchiveTest, SkipSetsIsTheDefault) {
  BuildWithZip();
  EXPECT_TRUE(actions.ReplaceByShortcut(zw::cmInteractive));
  const auto boxes = Questions();
  ASSERT_EQ(boxes.size(), 2u);  // confirmation, archive question
  EXPECT_EQ(boxes[1].kind, HostCall::CountdownBox);
  ASSERT_EQ(boxes[1].request.buttons.size(), 3u);
  EXPECT_EQ(boxes[1].request.buttons[0], "Link to archive");
  EXPECT_EQ(boxes[1].request.buttons[1], "Skip sets");
  EXPECT_EQ(boxes[1].request.defaultIndex, 1);
  EXPECT_EQ(ReadAll(file), "same");
  EXPECT_EQ(list.CheckedCount(), 1);
}

TEST_F(ShortcutToArchiveTest, LinkToArchivePointsAtTheArchiveFile) {
  BuildWithZip();
  host.answers = {zw::ansYes, 0};  // confirmation; "Link to archive"
  EXPECT_TRUE(actions.ReplaceByShortcut(zw::cmInteractive)) << LogText();
  EXPECT_EQ(ShortcutTargets(tree.PathOf("a")), std::vector<std::string>{archive});
  EXPECT_EQ(list.ItemCount(), 1);
}

TEST_F(ShortcutToArchiveTest, CountdownModeAddsTheCountdownLine) {
  BuildWithZip();
  host.answers = {0, 2};  // confirmation: Yes; archive question: Cancel
  EXPECT_TRUE(actions.ReplaceByShortcut(zw::cmCountdown));
  const auto boxes = Questions();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[1].request.seconds, TFileActions::kCountdownSeconds);
  EXPECT_TRUE(Contains(boxes[1].text, "What do you want to do?\r\n\r\nIn %d seconds"));
  EXPECT_EQ(ReadAll(file), "same");
}

TEST_F(FileActionsTest, ShortcutWholeSetQuestionWhenOnlyCatalogEntriesAreLeft) {
  const auto a = tree.File("a/x.txt", "same");
  list.Prepare(1, 2);
  ASSERT_TRUE(list.AppendEntry(EntryOf(a, 0)));
  auto* cat = new TResultEntry;
  cat->Set = 0;
  cat->Name = "x.txt";
  cat->Path = "backup.zwc>" + std::string(1, zw::platform::kPathSep);
  cat->Size = 4;
  cat->Flags = zw::reflag::kInArchive;
  ASSERT_TRUE(list.AppendEntry(cat));
  list.OrderBySets();
  Check(a);
  EXPECT_FALSE(actions.ReplaceByShortcut(zw::cmUnattended));
  EXPECT_TRUE(Contains(LogText(), "only\r\nleft catalogized files unchecked") ||
              Contains(LogText(), "only left catalogized files unchecked"));
  EXPECT_EQ(ReadAll(a), "same");
}

}  // namespace
