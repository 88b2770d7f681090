// The browse thread on real folders: what it takes, what it says, and how it
// pauses, ends and fails.
#include "engine/scan/thread_browse.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <set>
#include <thread>

#include "platform/files.h"
#include "platform/paths.h"
#include "support/browse_run.h"
#include "support/temp_tree.h"

namespace {

using namespace std::chrono_literals;
using zw::TThreadBrowse;
using zwtest::BrowseRun;
using zwtest::TempTree;
using Names = std::set<std::string>;
using Rows = std::vector<std::pair<uint8_t, std::string>>;

// One file is one entry however many names lead to it: deleting "the
// duplicate" would otherwise remove the only copy.
TEST(BrowseFolders, AFileReachedByTwoNamesIsTakenOnce) {
  TempTree t;
  t.File("real/f.txt", "only");
  t.File("real/sub/g.txt", "only too");
  t.File("other/h.txt", "h");
  std::filesystem::create_hard_link(t.PathOf("other/h.txt"), t.PathOf("other/h2.txt"));
  std::filesystem::create_hard_link(t.PathOf("other/h.txt"), t.PathOf("real/h3.txt"));
  const struct {
    const char* what;
    Rows fresh, library;
  } cases[] = {
      // real: f, g, h3; other: h, h2 -- h, h2 and h3 are one file.
      {"one folder twice in one list", {{zw::dsRecursive, "real"}, {zw::dsRecursive, "real"}}, {}},
      {"one folder in both lists", {{zw::dsRecursive, "real"}}, {{zw::dsRecursive, "real"}}},
      {"single, then recursive: the subfolders still come", {{zw::dsSingle, "real"}, {zw::dsRecursive, "real"}}, {}},
#ifndef _WIN32
      // Windows enumerations do not tell a file's names apart; the file
      // actions still never take one name for a copy of another.
      {"hard links in two folders", {{zw::dsRecursive, "other"}, {zw::dsRecursive, "real"}}, {}},
      {"a folder and a link to it", {{zw::dsRecursive, "real"}, {zw::dsRecursive, "link"}}, {}},
#endif
  };
#ifndef _WIN32
  std::filesystem::create_directory_symlink(t.PathOf("real"), t.PathOf("link"));
#endif
  for (const auto& c : cases) {
    BrowseRun r;
    for (const auto& [state, dir] : c.fresh) r.thread->fresh.Add(state, t.Dir(dir));
    for (const auto& [state, dir] : c.library) r.thread->library.Add(state, t.Dir(dir));
    r.Run();
    EXPECT_EQ(r.found.size(), 3u) << c.what;
  }
}

TEST(BrowseFolders, RowsAndFiltersDecideWhatIsTaken) {
  TempTree t;
  for (const char* f : {"top/a.txt", "top/sub/b.txt", "top/sub/deeper/c.txt", "top/b/skip1.txt", "top/b/inner/skip2.txt",
                        "top/bc/keep2.txt", "lib/y.txt", "m/a.jpg", "m/b.JPG", "m/c.png", "m/skip.jpg", "m/d.txt"})
    t.File(f);
  for (size_t size : {0, 9, 10, 20, 21}) t.SizedFile("s/s" + std::to_string(size), size);
  const zw::TAdvContentOptions noContent;
  auto sizes = [&](uint8_t mode, uint64_t low, uint64_t high) {
    return [=](TThreadBrowse& b) { b.sizeFilter.Set(mode, low, high, false, noContent); };
  };
  auto attrib = [](uint8_t mode, uint32_t mask) { return [=](TThreadBrowse& b) { b.attribFilter.Set(mode, mask); }; };
  const uint32_t hidden = zw::platform::attr::kHidden;
  const struct {
    const char* what;
    Rows fresh, library;
    std::function<void(TThreadBrowse&)> setup;
    Names names;
  } cases[] = {
      {"a single folder: its own files", {{zw::dsSingle, "top/sub"}}, {}, nullptr, {"b.txt"}},
      {"a recursive folder: its subfolders too", {{zw::dsRecursive, "top/sub"}}, {}, nullptr, {"b.txt", "c.txt"}},
      // Limit to folders would let exactly the subfolders through.
      {"single, whatever the attribute mode", {{zw::dsSingle, "top/sub"}}, {}, attrib(zw::fmLimitTo, 0), {"b.txt"}},
      {"single, excluding hidden files", {{zw::dsSingle, "top/sub"}}, {}, attrib(zw::fmExclude, hidden), {"b.txt"}},
      {"an excluded folder: an exact match only", {{zw::dsRecursive, "top"}, {zw::dsExclude, "top/b"}}, {}, nullptr,
       {"a.txt", "b.txt", "c.txt", "keep2.txt"}},
      {"an exclusion holds in its own list only", {{zw::dsSingle, "top"}, {zw::dsExclude, "lib"}}, {{zw::dsSingle, "lib"}},
       nullptr, {"a.txt", "y.txt"}},
      {"size limited, inclusive bounds", {{zw::dsSingle, "s"}}, {}, sizes(zw::fmLimitTo, 10, 20), {"s10", "s20"}},
      {"size excluded, inclusive bounds", {{zw::dsSingle, "s"}}, {}, sizes(zw::fmExclude, 10, 20), {"s0", "s9", "s21"}},
      {"limited to 0 to 0 kB: empty files", {{zw::dsSingle, "s"}}, {}, sizes(zw::fmLimitTo, 0, 0), {"s0"}},
      {"limit and exclude masks", {{zw::dsSingle, "m"}}, {},
       [](TThreadBrowse& b) {
         const std::vector<zw::TMaskRow> limit{{"*.jpg", true}, {"*.png", true}, {"*.txt", false}}, exclude{{"skip*", true}};
         b.nameFilter.Set(limit, exclude, zw::TAdvFilenameOptions{}, false);
       },
       {"a.jpg", "b.JPG", "c.png"}},
  };
  for (const auto& c : cases) {
    BrowseRun r;
    r.thread->criteriaSelected = false;
    for (const auto& [state, dir] : c.fresh) r.thread->fresh.Add(state, t.Dir(dir));
    for (const auto& [state, dir] : c.library) r.thread->library.Add(state, t.Dir(dir));
    if (c.setup) c.setup(*r.thread);
    r.Run();
    EXPECT_EQ(r.Names(), c.names) << c.what;
    for (const auto& f : r.found) {
      EXPECT_EQ(f.path.back(), zw::platform::kPathSep) << c.what;
      EXPECT_EQ(f.size, std::filesystem::file_size(f.path + f.name)) << c.what << ": " << f.path << f.name;
    }
  }
}

#ifndef _WIN32
TEST(BrowseFolders, PosixHiddenFilesAndFoldersFollowTheAttributeModeAndOddNamesArriveUnchanged) {
  TempTree t;
  for (const char* f : {"d/visible.txt", "d/.hidden.txt", "d/.hdir/inside.txt", "d/.hdir/.inside-hidden.txt",
                        "d/sub/deep.txt", "d/sub/.deep-hidden.txt"})
    t.File(f);
  const uint32_t hidden = zw::platform::attr::kHidden;
  const struct {
    uint8_t mode;
    uint32_t mask;
    Names names;
  } cases[] = {
      {zw::fmExclude, hidden, {"visible.txt", "deep.txt"}},
      // The filter applies to folders as well: sub/ lacks the bit.
      {zw::fmLimitTo, hidden, {".hidden.txt", ".inside-hidden.txt"}},
      {zw::fmIgnore, 0, {"visible.txt", ".hidden.txt", "inside.txt", ".inside-hidden.txt", "deep.txt", ".deep-hidden.txt"}},
  };
  for (const auto& c : cases) {
    BrowseRun r;
    r.thread->attribFilter.Set(c.mode, c.mask);
    r.thread->fresh.Add(zw::dsRecursive, t.Dir("d"));
    r.Run();
    EXPECT_EQ(r.Names(), c.names) << int(c.mode);
  }
  // Excluding with no box checked skips normal files only.
  t.File("n/plain.txt");
  t.File("n/.dot.txt");
  std::filesystem::permissions(t.File("n/readonly.txt"), std::filesystem::perms::owner_write,
                               std::filesystem::perm_options::remove);
  BrowseRun r;
  r.thread->attribFilter.Set(zw::fmExclude, zw::TAttribFilter::MaskFromBoxes(false, false, false, false));
  r.thread->fresh.Add(zw::dsSingle, t.Dir("n"));
  r.Run();
  EXPECT_EQ(r.Names(), (Names{".dot.txt", "readonly.txt"}));
  const Names odd{"-dash", "sp ace", "tab\tx", "\x01\x1f", "\xff\xfe\x80", "caf\xc3\xa9", "new\nline"};
  for (const auto& n : odd) t.File("o/" + n, n);
  BrowseRun o;
  o.thread->fresh.Add(zw::dsSingle, t.Dir("o"));
  o.Run();
  EXPECT_EQ(o.Names(), odd);
  for (const auto& f : o.found) EXPECT_EQ(f.size, f.name.size());
}
#endif

TEST(BrowseFolders, LinksToFoldersAndFilesAreNotFollowed) {
  TempTree t;
  t.File("d/real/file.txt", "data");
  std::error_code ec;
  std::filesystem::create_directory_symlink(t.PathOf("d/real"), t.PathOf("d/alias"), ec);
  if (ec) GTEST_SKIP() << "this system cannot make folder links: " << ec.message();
#ifndef _WIN32
  std::filesystem::create_directory_symlink(t.PathOf("d"), t.PathOf("d/real/loop"));
  std::filesystem::create_symlink(t.PathOf("d/real/file.txt"), t.PathOf("d/link.txt"));
#endif
  BrowseRun r;
  r.thread->fresh.Add(zw::dsRecursive, t.Dir("d"));
  r.Run();
  // One entry for the one file: no second name for it, no endless loop.
  ASSERT_EQ(r.found.size(), 1u);
  EXPECT_EQ(r.found[0].name, "file.txt");
  EXPECT_EQ(r.found[0].path, t.Dir("d/real"));
}

TEST(BrowseReports, TooFewFreshFilesAreReportedByTheCriteria) {
  TempTree t;
  t.Dir("empty");
  t.File("one/a.txt");
  t.File("two/a.txt");
  t.File("two/b.txt");
  t.File("lib/x.txt");
  const struct {
    const char* what;
    bool criteria;
    const char* fresh;
    zw::TMsgID shown;  // msgNoFilesFound, msgOnlyOneFileFound, or logFilesFound when neither
    size_t entries;
  } cases[] = {
      {"no fresh file: the library is left out", true, "empty", zw::msgNoFilesFound, 0},
      {"no criteria: the library is browsed quietly", false, "empty", zw::logFilesFound, 1},
      {"one fresh file", true, "one", zw::msgOnlyOneFileFound, 1},
      {"two fresh files", true, "two", zw::logFilesFound, 2},
  };
  for (const auto& c : cases) {
    BrowseRun r;
    r.thread->criteriaSelected = c.criteria;
    r.thread->fresh.Add(zw::dsSingle, t.Dir(c.fresh));
    if (c.fresh == std::string("empty")) r.thread->library.Add(zw::dsSingle, t.Dir("lib"));
    r.Run();
    EXPECT_EQ(r.found.size(), c.entries) << c.what;
    for (zw::TMsgID id : {zw::msgNoFilesFound, zw::msgOnlyOneFileFound, zw::logFilesFound})
      EXPECT_EQ(r.messenger.Has(id), id == c.shown) << c.what << ": message " << id;
    // With criteria and files to compare, the comparing phase is announced:
    // status text, task 1, maximum 1.
    const bool compares = c.criteria && c.shown == zw::logFilesFound;
    const auto& ev = r.statusEvents;
    EXPECT_EQ(ev.size() >= 3 && ev[ev.size() - 3].value == zw::strCompNoDetails &&
                  ev[ev.size() - 2].kind == zw::TStatusMsg::Task && ev[ev.size() - 2].value == 1 &&
                  ev.back().kind == zw::TStatusMsg::ProgressMax,
              compares)
        << c.what;
    EXPECT_EQ(r.status.Current() == zw::strCompNoDetails, compares) << c.what;
  }
}

TEST(BrowseReports, FreshEntriesComeFirstCountsAreLoggedAndFoldersPostTheirPathsUnlessQuiet) {
  TempTree t;
  t.File("a/x");
  t.File("b/y");
  t.File("b/sub/z");
  for (bool quiet : {false, true}) {
    BrowseRun r;
    r.status.SetQuiet(quiet);
    r.thread->fresh.Add(zw::dsSingle, t.Dir("a"));
    r.thread->library.Add(zw::dsRecursive, t.Dir("b"));
    r.Run();
    int withPath = 0, maximum = -1;
    for (const auto& ev : r.postedTexts) withPath += ev.path != nullptr;
    for (const auto& ev : r.statusEvents)
      if (ev.kind == zw::TStatusMsg::ProgressMax && maximum < 0) maximum = ev.value;
    EXPECT_EQ(withPath, quiet ? 0 : 3);  // a, b, b/sub
    EXPECT_EQ(maximum, 2);               // the included rows of both lists
    ASSERT_EQ(r.found.size(), 3u);
    EXPECT_EQ(r.found[0].name, "x");
    EXPECT_EQ((std::vector<int>{r.found[0].flags, r.found[1].flags, r.found[2].flags}),
              (std::vector<int>{0, zw::fiflag::kLibrary, zw::fiflag::kLibrary}));
    EXPECT_EQ(r.thread->fresh.filesFound, 1);
    EXPECT_EQ(r.thread->library.filesFound, 2);
    EXPECT_TRUE(r.messenger.Has(zw::logCreatingFileList));
    const auto log = r.messenger.With(zw::logFilesFound);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ((std::vector<int64_t>{log[0].Int(0), log[0].Int(1), log[0].Int(2)}), (std::vector<int64_t>{3, 1, 2}));
  }
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
  const auto logs = r.messenger.With(zw::logIOErrorOnBrowse);
  ASSERT_EQ(logs.size(), 1u);
  // ENOENT is 2, and so is ERROR_FILE_NOT_FOUND; Windows may say 3 (path not found).
  EXPECT_TRUE(logs[0].Int(0) == 2 || logs[0].Int(0) == 3) << logs[0].Int(0);
  EXPECT_EQ(logs[0].Str(1), gone);
}

TEST(BrowseArchives, RowsDispatchByExtensionAndZipsInFoldersAlsoCountAsFiles) {
  TempTree t;
  t.File("d/pack.ZIP", "PK");
  t.File("d/note.txt", "n");
  const std::string cat = t.File("cat/old.zwc", "c"), zip = t.File("cat/row.zip", "z");
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
  r.thread->library.Add(zw::dsArchive, t.File("cat/other.rar", "r"));
  r.Run();
  EXPECT_EQ(zips, (std::vector<std::pair<std::string, bool>>{{t.PathOf("d/pack.ZIP"), true}, {zip, false}}));
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
  BrowseRun r;
  // The archive rows are the browse's own safe points where the test pauses it.
  std::atomic<int> pausedAt{0};
  r.thread->SetZipBrowser([&](TThreadBrowse&, const std::string&, bool) {
    r.manager.Pause();
    ++pausedAt;
  });
  for (const char* row : {"a", "x.zip", "b", "y.zip", "c"})
    r.thread->fresh.Add(row[1] ? zw::dsArchive : zw::dsSingle, row[1] ? t.File(row) : t.Dir(row));
  r.manager.Attach(r.thread);
  r.manager.Start();
  ASSERT_TRUE(r.ServeUntil([&] { return pausedAt.load() >= 1; }));
  std::this_thread::sleep_for(50ms);
  EXPECT_EQ(r.thread->fresh.filesFound, 5);
  EXPECT_TRUE(r.thread->IsSuspended());
  EXPECT_EQ(r.manager.State(), zw::TZWThreadManager::tsPaused);
  r.manager.Start();
  ASSERT_TRUE(r.ServeUntil([&] { return pausedAt.load() >= 2; }));
  std::this_thread::sleep_for(50ms);
  EXPECT_EQ(r.thread->fresh.filesFound, 10);
  r.manager.CancelThread();  // while paused: it wakes up, sees the stop and ends
  r.Drain();
  EXPECT_EQ(r.found.size(), 10u);  // the last folder was never browsed
  EXPECT_TRUE(r.queue.Closed());
  EXPECT_FALSE(r.messenger.Has(zw::logFilesFound));
  EXPECT_FALSE(r.messenger.Has(zw::msgNoFilesFound));
  EXPECT_EQ(r.manager.State(), zw::TZWThreadManager::tsFinished);
}

TEST(BrowseErrors, AnExceptionIsReportedAfterTheEndMarkerWasPushed) {
  TempTree t;
  t.File("a/one.txt");
  BrowseRun r;
  r.thread->SetZipBrowser([](TThreadBrowse&, const std::string&, bool) { throw std::runtime_error("reader broke"); });
  r.thread->fresh.Add(zw::dsSingle, t.Dir("a"));
  r.thread->fresh.Add(zw::dsArchive, t.File("bad.zip"));
  r.Run();  // returns only because the end marker came
  EXPECT_EQ(r.manager.State(), zw::TZWThreadManager::tsFinished);
  const auto logs = r.messenger.With(zw::logUnhandledException);
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
