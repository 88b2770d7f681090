#include "engine/scan/thread_browse.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <map>
#include <set>
#include <thread>

#include "platform/files.h"
#include "platform/paths.h"
#include "support/recording_messenger.h"
#include "support/temp_tree.h"

using namespace std::chrono_literals;
using zw::TThreadBrowse;
using zw::TZWThreadManager;
using zwtest::TempTree;

namespace {

struct Found {
  std::string name;
  std::string path;
  uint64_t size;
  uint8_t flags;
  uint32_t attr;
};

// Runs one browse over a prepared thread and collects what it pushed.
class BrowseRun {
 public:
  BrowseRun()
      : events_([this](zw::TStatusEvent& ev) { statusEvents.push_back(ev); }),
        status(&events_),
        thread(std::make_shared<TThreadBrowse>()) {
    thread->SetQueue(&queue);
    thread->SetStatus(&status);
    thread->SetManager(&manager);
    thread->SetMessenger(&messenger);
    // Factory filters: attribute mode "ignore", no masks, size "ignore".
    thread->attribFilter.Set(zw::fmIgnore, 0);
  }

  // Starts the thread and drains the queue until the end marker.
  void Run() {
    manager.Attach(thread);
    manager.Start();
    Drain();
  }

  void Drain() {
    while (zw::TFileInfos* e = PopPumping()) {
      found.push_back({e->Name, e->Path, e->Size, e->Flags, e->Attr});
      zw::FreeFileInfos(e);
    }
    // The thread may still send (an exception report, say): keep serving.
    while (!thread->Finished()) events_.DispatchWait(1ms);
    thread->WaitFor();
    events_.DispatchPending();
  }

  // Pops one entry while keeping the status queue served (SetMaximum waits
  // for it), like the main loop of a host does.
  zw::TFileInfos* PopPumping() {
    std::atomic<bool> done{false};
    zw::TFileInfos* got = nullptr;
    std::thread popper([&] {
      got = queue.Pop();
      done = true;
    });
    while (!done) events_.DispatchWait(1ms);
    popper.join();
    return got;
  }

  std::set<std::string> Names() const {
    std::set<std::string> out;
    for (const auto& f : found) out.insert(f.name);
    return out;
  }

  zw::TJobQueue queue;
  zw::TEventQueue events_;
  zw::TZWStatusServer status;
  TZWThreadManager manager;
  zwtest::RecordingMessenger messenger;
  std::shared_ptr<TThreadBrowse> thread;
  std::vector<Found> found;
  std::vector<zw::TStatusEvent> statusEvents;
};

using Names = std::set<std::string>;

// One file is one entry however many names lead to it: deleting "the
// duplicate" would otherwise remove the only copy.
TEST(BrowseFolders, AFileReachedByTwoNamesIsTakenOnce) {
  TempTree t;
  t.File("real/f.txt", "only");
  t.File("real/sub/g.txt", "only too");
  t.File("other/h.txt", "h");
  std::filesystem::create_hard_link(t.PathOf("other/h.txt"), t.PathOf("other/h2.txt"));
  std::filesystem::create_hard_link(t.PathOf("other/h.txt"), t.PathOf("real/h3.txt"));
  struct Case {
    const char* what;
    std::vector<std::pair<uint8_t, std::string>> fresh, library;
    size_t entries;
  } cases[] = {
      // real: f, g, h3; other: h, h2 -- h, h2 and h3 are one file.
      {"one folder twice in one list", {{zw::dsRecursive, "real"}, {zw::dsRecursive, "real"}}, {}, 3},
      {"one folder in both lists", {{zw::dsRecursive, "real"}}, {{zw::dsRecursive, "real"}}, 3},
      {"single, then recursive: the subfolders still come",
       {{zw::dsSingle, "real"}, {zw::dsRecursive, "real"}}, {}, 3},
#ifndef _WIN32
      // Windows enumerations do not tell a file's names apart; the file
      // actions still never take one name for a copy of another.
      {"hard links in two folders", {{zw::dsRecursive, "other"}, {zw::dsRecursive, "real"}}, {}, 3},
#endif
#ifndef _WIN32
      {"a folder and a link to it", {{zw::dsRecursive, "real"}, {zw::dsRecursive, "link"}}, {}, 3},
#endif
  };
#ifndef _WIN32
  std::filesystem::create_directory_symlink(t.PathOf("real"), t.PathOf("link"));
#endif
  for (const Case& c : cases) {
    BrowseRun r;
    for (const auto& [state, dir] : c.fresh) r.thread->fresh.Add(state, t.Dir(dir));
    for (const auto& [state, dir] : c.library) r.thread->library.Add(state, t.Dir(dir));
    r.Run();
    EXPECT_EQ(r.found.size(), c.entries) << c.what;
  }
}

TEST(BrowseFolders, SingleFolderYieldsOnlyItsOwnFilesRecursiveAlsoSubfolders) {
  TempTree t;
  t.File("top/a.txt", "1");
  t.File("top/sub/b.txt", "22");
  t.File("top/sub/deeper/c.txt", "333");
  {
    BrowseRun r;
    r.thread->fresh.Add(zw::dsSingle, t.Dir("top"));
    r.Run();
    EXPECT_EQ(r.Names(), (Names{"a.txt"}));
  }
  {
    BrowseRun r;
    r.thread->fresh.Add(zw::dsRecursive, t.Dir("top"));
    r.Run();
    EXPECT_EQ(r.Names(), (Names{"a.txt", "b.txt", "c.txt"}));
    for (const auto& f : r.found) {
      EXPECT_EQ(f.size, f.name == "a.txt" ? 1u : f.name == "b.txt" ? 2u : 3u);
      EXPECT_EQ(f.path.back(), zw::platform::kPathSep);
      EXPECT_TRUE(zw::platform::FileExists(f.path + f.name)) << f.path << f.name;
      EXPECT_EQ(f.flags, 0);
    }
  }
}

TEST(BrowseFolders, SingleFolderNeverEntersSubfoldersWhateverTheAttributeMode) {
  TempTree t;
  t.File("top/a.txt", "1");
  t.File("top/sub/b.txt", "2");
  for (uint8_t mode : {zw::fmIgnore, zw::fmExclude, zw::fmLimitTo}) {
    BrowseRun r;
    // Limit to "directory" would otherwise let exactly the folders through.
    r.thread->attribFilter.Set(mode, mode == zw::fmLimitTo ? 0 : zw::platform::attr::kHidden);
    r.thread->fresh.Add(zw::dsSingle, t.Dir("top"));
    r.Run();
    EXPECT_EQ(r.Names().count("b.txt"), 0u) << "mode " << int(mode);
  }
}

TEST(BrowseFolders, ExcludedFolderIsSkippedOnlyOnExactMatch) {
  TempTree t;
  t.File("top/keep.txt");
  t.File("top/b/skip1.txt");
  t.File("top/b/inner/skip2.txt");
  t.File("top/bc/keep2.txt");
  BrowseRun r;
  r.thread->fresh.Add(zw::dsRecursive, t.Dir("top"));
  r.thread->fresh.Add(zw::dsExclude, t.Dir("top/b"));
  r.Run();
  EXPECT_EQ(r.Names(), (Names{"keep.txt", "keep2.txt"}));
}

TEST(BrowseFolders, ExcludeAppliesToItsOwnListOnly) {
  TempTree t;
  t.File("f/x.txt");
  t.File("lib/y.txt");
  BrowseRun r;
  r.thread->criteriaSelected = false;
  r.thread->fresh.Add(zw::dsRecursive, t.Dir("f"));
  r.thread->library.Add(zw::dsRecursive, t.Dir("lib"));
  r.thread->fresh.Add(zw::dsExclude, t.Dir("lib"));  // excluded in the fresh list only
  r.Run();
  EXPECT_EQ(r.Names(), (Names{"x.txt", "y.txt"}));
}

TEST(BrowseFolders, FreshEntriesComeBeforeLibraryEntriesWhichCarryTheLibraryFlag) {
  TempTree t;
  t.File("lib/l1.txt", "x");
  t.File("fresh/f1.txt", "x");
  t.File("fresh/f2.txt", "x");
  BrowseRun r;
  r.thread->library.Add(zw::dsSingle, t.Dir("lib"));
  r.thread->fresh.Add(zw::dsSingle, t.Dir("fresh"));
  r.Run();
  ASSERT_EQ(r.found.size(), 3u);
  EXPECT_EQ(r.found[0].flags, 0);
  EXPECT_EQ(r.found[1].flags, 0);
  EXPECT_EQ(r.found[2].name, "l1.txt");
  EXPECT_EQ(r.found[2].flags, zw::fiflag::kLibrary);
  EXPECT_EQ(r.thread->fresh.filesFound, 2);
  EXPECT_EQ(r.thread->library.filesFound, 1);
  auto log = r.messenger.With(zw::logFilesFound);
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0].Int(0), 3);
  EXPECT_EQ(log[0].Int(1), 2);
  EXPECT_EQ(log[0].Int(2), 1);
}

TEST(BrowseFolders, SizeModesUseInclusiveBounds) {
  TempTree t;
  t.SizedFile("d/s0", 0);
  t.SizedFile("d/s9", 9);
  t.SizedFile("d/s10", 10);
  t.SizedFile("d/s20", 20);
  t.SizedFile("d/s21", 21);
  zw::TAdvContentOptions noContent;
  {
    BrowseRun r;
    r.thread->sizeFilter.Set(zw::fmLimitTo, 10, 20, false, noContent);
    r.thread->fresh.Add(zw::dsSingle, t.Dir("d"));
    r.Run();
    EXPECT_EQ(r.Names(), (Names{"s10", "s20"}));
  }
  {
    BrowseRun r;
    r.thread->sizeFilter.Set(zw::fmExclude, 10, 20, false, noContent);
    r.thread->fresh.Add(zw::dsSingle, t.Dir("d"));
    r.Run();
    EXPECT_EQ(r.Names(), (Names{"s0", "s9", "s21"}));
  }
  {
    BrowseRun r;  // "limit to 0 kB to 0 kB": only empty files
    r.thread->sizeFilter.Set(zw::fmLimitTo, 0, 0, false, noContent);
    r.thread->fresh.Add(zw::dsSingle, t.Dir("d"));
    r.Run();
    EXPECT_EQ(r.Names(), (Names{"s0"}));
  }
}

TEST(BrowseFolders, LimitAndExcludeMasksDecideByName) {
  TempTree t;
  for (const char* n : {"a.jpg", "b.JPG", "c.png", "skip.jpg", "d.txt"}) t.File(std::string("d/") + n);
  BrowseRun r;
  std::vector<zw::TMaskRow> limit{{"*.jpg", true}, {"*.png", true}, {"*.txt", false}};
  std::vector<zw::TMaskRow> exclude{{"skip*", true}};
  zw::TAdvFilenameOptions fn;
  r.thread->nameFilter.Set(limit, exclude, fn, false);
  r.thread->fresh.Add(zw::dsSingle, t.Dir("d"));
  r.Run();
  EXPECT_EQ(r.Names(), (Names{"a.jpg", "b.JPG", "c.png"}));
}

#ifndef _WIN32
TEST(BrowseAttributes, HiddenFoldersAndFilesFollowTheAttributeMode) {
  TempTree t;
  t.File("d/visible.txt");
  t.File("d/.hidden.txt");
  t.File("d/.hdir/inside.txt");
  t.File("d/.hdir/.inside-hidden.txt");
  t.File("d/sub/deep.txt");
  t.File("d/sub/.deep-hidden.txt");
  const uint32_t hidden = zw::platform::attr::kHidden;
  {
    BrowseRun r;  // exclude hidden: neither the hidden file nor the hidden folder
    r.thread->attribFilter.Set(zw::fmExclude, hidden);
    r.thread->fresh.Add(zw::dsRecursive, t.Dir("d"));
    r.Run();
    EXPECT_EQ(r.Names(), (Names{"visible.txt", "deep.txt"}));
  }
  {
    BrowseRun r;  // limit to hidden: the filter applies to folders as well
    r.thread->attribFilter.Set(zw::fmLimitTo, hidden);
    r.thread->fresh.Add(zw::dsRecursive, t.Dir("d"));
    r.Run();
    // sub/ lacks the bit, so its hidden file is never reached.
    EXPECT_EQ(r.Names(), (Names{".hidden.txt", ".inside-hidden.txt"}));
  }
  {
    BrowseRun r;
    r.thread->fresh.Add(zw::dsRecursive, t.Dir("d"));
    r.Run();
    EXPECT_EQ(r.Names().size(), 6u);
  }
}

TEST(BrowseAttributes, ExcludeWithNoBoxCheckedSkipsNormalFilesOnly) {
  TempTree t;
  t.File("d/plain.txt");
  t.File("d/.dot.txt");
  auto ro = t.File("d/readonly.txt");
  std::filesystem::permissions(ro, std::filesystem::perms::owner_write,
                               std::filesystem::perm_options::remove);
  BrowseRun r;
  uint32_t mask = zw::TAttribFilter::MaskFromBoxes(false, false, false, false);
  ASSERT_EQ(mask, zw::platform::attr::kNormal);
  r.thread->attribFilter.Set(zw::fmExclude, mask);
  r.thread->fresh.Add(zw::dsSingle, t.Dir("d"));
  r.Run();
  EXPECT_EQ(r.Names(), (Names{".dot.txt", "readonly.txt"}));
}

TEST(BrowseLinks, SymbolicLinksToFoldersAndFilesAreNotFollowed) {
  TempTree t;
  t.File("d/real/file.txt", "data");
  std::filesystem::create_directory_symlink(t.RootPath() / "d", t.RootPath() / "d/real/loop");
  std::filesystem::create_directory_symlink(t.RootPath() / "d/real", t.RootPath() / "d/alias");
  std::filesystem::create_symlink(t.RootPath() / "d/real/file.txt", t.RootPath() / "d/link.txt");
  BrowseRun r;
  r.thread->fresh.Add(zw::dsRecursive, t.Dir("d"));
  r.Run();
  // One entry for the one file: no second name for it, no endless loop.
  ASSERT_EQ(r.found.size(), 1u);
  EXPECT_EQ(r.found[0].name, "file.txt");
  EXPECT_EQ(r.found[0].path, t.Dir("d/real"));
}

TEST(BrowseNames, NamesWithOddBytesArriveUnchanged) {
  TempTree t;
  const std::vector<std::string> names{"-dash", "sp ace", "tab\tx", "\x01\x1f", "\xff\xfe\x80",
                                       "caf\xc3\xa9", "new\nline"};
  for (const auto& n : names) t.File("d/" + n, n);
  BrowseRun r;
  r.thread->fresh.Add(zw::dsSingle, t.Dir("d"));
  r.Run();
  EXPECT_EQ(r.Names(), Names(names.begin(), names.end()));
  for (const auto& f : r.found) EXPECT_EQ(f.size, f.name.size());
}
#endif

TEST(BrowseLinks, FolderLinksAreNotFollowedOnWindowsEither) {
  TempTree t;
  t.File("d/real/file.txt", "data");
  std::error_code ec;
  std::filesystem::create_directory_symlink(t.RootPath() / "d" / "real", t.RootPath() / "d" / "alias", ec);
  if (ec) GTEST_SKIP() << "this system cannot make folder links: " << ec.message();
  BrowseRun r;
  r.thread->fresh.Add(zw::dsRecursive, t.Dir("d"));
  r.Run();
  ASSERT_EQ(r.found.size(), 1u);
  EXPECT_EQ(r.found[0].path, t.Dir("d/real"));
}

TEST(BrowseErrors, AFolderThatVanishedIsLoggedWithItsErrorCodeAndTheScanGoesOn) {
  TempTree t;
  t.File("later/ok.txt", "x");
  t.File("later/ok2.txt", "x");
  const std::string gone = t.Dir("gone");
  std::filesystem::remove(std::filesystem::path(zw::platform::ExcludeTrailingSep(gone)));
  BrowseRun r;
  r.thread->fresh.Add(zw::dsRecursive, gone);
  r.thread->fresh.Add(zw::dsRecursive, t.Dir("later"));
  r.Run();
  EXPECT_EQ(r.Names(), (Names{"ok.txt", "ok2.txt"}));
  auto logs = r.messenger.With(zw::logIOErrorOnBrowse);
  ASSERT_EQ(logs.size(), 1u);
  // ENOENT is 2, and so is ERROR_FILE_NOT_FOUND; Windows may say 3 (path not found).
  EXPECT_TRUE(logs[0].Int(0) == 2 || logs[0].Int(0) == 3) << logs[0].Int(0);
  EXPECT_EQ(logs[0].Str(1), gone);
}

TEST(BrowseReports, NoFreshFileWithCriteriaShowsNoFilesFoundAndSkipsTheLibrary) {
  TempTree t;
  t.Dir("empty");
  t.File("lib/x.txt");
  BrowseRun r;
  r.thread->fresh.Add(zw::dsSingle, t.Dir("empty"));
  r.thread->library.Add(zw::dsSingle, t.Dir("lib"));
  r.Run();
  EXPECT_TRUE(r.found.empty());
  EXPECT_TRUE(r.messenger.Has(zw::msgNoFilesFound));
  EXPECT_FALSE(r.messenger.Has(zw::logFilesFound));
}

TEST(BrowseReports, NoCriteriaAndNoFreshFileStillBrowsesTheLibraryQuietly) {
  TempTree t;
  t.Dir("empty");
  t.File("lib/x.txt");
  t.File("lib/y.txt");
  BrowseRun r;
  r.thread->criteriaSelected = false;
  r.thread->fresh.Add(zw::dsSingle, t.Dir("empty"));
  r.thread->library.Add(zw::dsSingle, t.Dir("lib"));
  r.Run();
  EXPECT_EQ(r.Names(), (Names{"x.txt", "y.txt"}));
  EXPECT_FALSE(r.messenger.Has(zw::msgNoFilesFound));
  EXPECT_FALSE(r.messenger.Has(zw::msgOnlyOneFileFound));
  auto log = r.messenger.With(zw::logFilesFound);
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0].Int(0), 2);
  EXPECT_EQ(log[0].Int(2), 2);
  // Without criteria there is no comparing phase to announce.
  for (const auto& ev : r.statusEvents) EXPECT_NE(ev.value, zw::strCompNoDetails);
}

TEST(BrowseReports, OneFileShowsOnlyOneFileFoundTwoFilesLogTheCount) {
  TempTree t;
  t.File("one/a.txt");
  t.File("two/a.txt");
  t.File("two/b.txt");
  {
    BrowseRun r;
    r.thread->fresh.Add(zw::dsSingle, t.Dir("one"));
    r.Run();
    EXPECT_TRUE(r.messenger.Has(zw::msgOnlyOneFileFound));
    EXPECT_FALSE(r.messenger.Has(zw::logFilesFound));
  }
  {
    BrowseRun r;
    r.thread->fresh.Add(zw::dsSingle, t.Dir("two"));
    r.Run();
    EXPECT_FALSE(r.messenger.Has(zw::msgOnlyOneFileFound));
    EXPECT_TRUE(r.messenger.Has(zw::logFilesFound));
    // The comparing phase is announced: status text, task 1, maximum 1.
    ASSERT_GE(r.statusEvents.size(), 3u);
    auto n = r.statusEvents.size();
    EXPECT_EQ(r.statusEvents[n - 3].value, zw::strCompNoDetails);
    EXPECT_EQ(r.statusEvents[n - 2].kind, zw::TStatusMsg::Task);
    EXPECT_EQ(r.statusEvents[n - 2].value, 1);
    EXPECT_EQ(r.statusEvents[n - 1].kind, zw::TStatusMsg::ProgressMax);
    EXPECT_EQ(r.status.Current(), zw::strCompNoDetails);
  }
}

TEST(BrowseStatus, ProgressCountsListRowsAndFoldersPostTheirPathsUnlessQuiet) {
  TempTree t;
  t.File("a/x");
  t.File("b/y");
  t.File("b/sub/z");
  {
    BrowseRun r;
    r.thread->fresh.Add(zw::dsSingle, t.Dir("a"));
    r.thread->library.Add(zw::dsRecursive, t.Dir("b"));
    r.Run();
    int withPath = 0;
    for (const auto& ev : r.statusEvents)
      if (ev.kind == zw::TStatusMsg::StatusText && ev.path) ++withPath;
    EXPECT_EQ(withPath, 3);  // a, b, b/sub
    // Maximum of the browse phase: the included rows of both lists.
    bool sawTwo = false;
    for (const auto& ev : r.statusEvents)
      if (ev.kind == zw::TStatusMsg::ProgressMax && ev.value == 2) sawTwo = true;
    EXPECT_TRUE(sawTwo);
    EXPECT_TRUE(r.messenger.Has(zw::logCreatingFileList));
  }
  {
    BrowseRun r;
    r.status.SetQuiet(true);
    r.thread->fresh.Add(zw::dsRecursive, t.Dir("b"));
    r.Run();
    for (const auto& ev : r.statusEvents) EXPECT_EQ(ev.path, nullptr);
    EXPECT_EQ(r.found.size(), 2u);
  }
}

TEST(BrowseArchives, RowsDispatchByExtensionAndZipsInFoldersAlsoCountAsFiles) {
  TempTree t;
  t.File("d/pack.ZIP", "PK");
  t.File("d/note.txt", "n");
  const std::string cat = t.File("cat/old.zwc", "c");
  const std::string zip = t.File("cat/row.zip", "z");
  const std::string other = t.File("cat/other.rar", "r");
  BrowseRun r;
  std::vector<std::pair<std::string, bool>> zips;
  std::vector<std::string> cats;
  r.thread->SetZipBrowser([&](TThreadBrowse& th, const std::string& p, bool inside) {
    zips.emplace_back(p, inside);
    auto* e = new zw::TFileInfos;  // one member, as a reader would emit it
    e->Name = "member";
    e->Path = p + ">" + zw::platform::kPathSep;
    e->Flags = 0x31;
    th.Emit(e);
  });
  r.thread->SetCatalogBrowser([&](TThreadBrowse&, const std::string& p) { cats.push_back(p); });
  r.thread->scanArchives = true;
  r.thread->fresh.Add(zw::dsSingle, t.Dir("d"));
  r.thread->fresh.Add(zw::dsArchive, cat);
  r.thread->library.Add(zw::dsArchive, zip);
  r.thread->library.Add(zw::dsArchive, other);
  r.Run();
  ASSERT_EQ(zips.size(), 2u);
  EXPECT_EQ(zips[0].first, t.PathOf("d/pack.ZIP"));
  EXPECT_TRUE(zips[0].second);
  EXPECT_EQ(zips[1].first, zip);
  EXPECT_FALSE(zips[1].second);
  EXPECT_EQ(cats, std::vector<std::string>{cat});
  // The archive met in the folder is also an entry of its own.
  EXPECT_EQ(r.Names(), (Names{"pack.ZIP", "note.txt", "member"}));
  EXPECT_EQ(r.thread->fresh.filesFound, 3);
  EXPECT_EQ(r.thread->library.filesFound, 1);
  EXPECT_EQ(r.found.back().flags, 0x39);  // library member of a ZIP
}

TEST(BrowseControl, PauseHoldsTheBrowseResumeContinuesCancelWhilePausedEndsWithoutReport) {
  TempTree t;
  for (const char* d : {"a", "b", "c"})
    for (int f = 0; f < 5; ++f) t.File(std::string(d) + "/f" + std::to_string(f));
  const std::string zip1 = t.File("x.zip"), zip2 = t.File("y.zip");
  BrowseRun r;
  // The archive rows are the browse's own safe points where the test pauses it.
  std::atomic<int> pausedAt{0};
  r.thread->SetZipBrowser([&](TThreadBrowse&, const std::string&, bool) {
    r.manager.Pause();
    ++pausedAt;
  });
  r.thread->fresh.Add(zw::dsSingle, t.Dir("a"));
  r.thread->fresh.Add(zw::dsArchive, zip1);
  r.thread->fresh.Add(zw::dsSingle, t.Dir("b"));
  r.thread->fresh.Add(zw::dsArchive, zip2);
  r.thread->fresh.Add(zw::dsSingle, t.Dir("c"));
  r.manager.Attach(r.thread);
  r.manager.Start();
  auto waitFor = [&](int n) {
    auto end = std::chrono::steady_clock::now() + 20s;
    while (pausedAt.load() < n && std::chrono::steady_clock::now() < end) r.events_.DispatchWait(1ms);
    return pausedAt.load() >= n;
  };
  ASSERT_TRUE(waitFor(1));
  std::this_thread::sleep_for(50ms);
  EXPECT_EQ(r.thread->fresh.filesFound, 5);
  EXPECT_TRUE(r.thread->IsSuspended());
  EXPECT_EQ(r.manager.State(), TZWThreadManager::tsPaused);
  r.manager.Start();
  ASSERT_TRUE(waitFor(2));
  std::this_thread::sleep_for(50ms);
  EXPECT_EQ(r.thread->fresh.filesFound, 10);
  r.manager.CancelThread();  // while paused: it wakes up, sees the stop and ends
  r.Drain();
  EXPECT_EQ(r.found.size(), 10u);  // the last folder was never browsed
  EXPECT_TRUE(r.queue.Closed());
  EXPECT_FALSE(r.messenger.Has(zw::logFilesFound));
  EXPECT_FALSE(r.messenger.Has(zw::msgNoFilesFound));
  EXPECT_EQ(r.manager.State(), TZWThreadManager::tsFinished);
}

TEST(BrowseErrors, AnExceptionIsReportedAfterTheEndMarkerWasPushed) {
  TempTree t;
  t.File("a/one.txt");
  const std::string zip = t.File("bad.zip");
  BrowseRun r;
  r.thread->SetZipBrowser([](TThreadBrowse&, const std::string&, bool) {
    throw std::runtime_error("reader broke");
  });
  r.thread->fresh.Add(zw::dsSingle, t.Dir("a"));
  r.thread->fresh.Add(zw::dsArchive, zip);
  r.Run();  // returns only because the end marker came
  EXPECT_EQ(r.manager.State(), TZWThreadManager::tsFinished);
  auto logs = r.messenger.With(zw::logUnhandledException);
  ASSERT_EQ(logs.size(), 1u);
  EXPECT_EQ(logs[0].Str(0), "reader broke");
  ASSERT_NE(logs[0].report, nullptr);
  EXPECT_EQ(logs[0].report->State.rfind("thr 1, prgr 1:", 0), 0u) << logs[0].report->State;
  EXPECT_NE(logs[0].report->ClassName.find("runtime_error"), std::string::npos);
  EXPECT_TRUE(r.messenger.Has(zw::logPleaseMailLog));
  bool sent = false;
  for (const auto& ev : r.statusEvents)
    if (ev.kind == zw::TStatusMsg::ExceptionReport) sent = ev.report == logs[0].report;
  EXPECT_TRUE(sent);
}

}  // namespace
