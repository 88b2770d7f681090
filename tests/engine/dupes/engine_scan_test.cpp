// A whole scan at engine level: the browse thread and the search thread run
// at the same time on one queue and fill a result list from real folders.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
#include <set>
#include <thread>

#include "engine/dupes/result_list.h"
#include "engine/dupes/thread_find_dupes.h"
#include "engine/scan/thread_browse.h"
#include "platform/paths.h"
#include "support/recording_messenger.h"
#include "support/temp_tree.h"

namespace {

using Sets = std::vector<std::vector<std::string>>;
using Membership = std::set<std::set<std::string>>;

struct Criteria {
  const zw::TAdvFilenameOptions* filename = nullptr;
  const zw::TAdvSizeOptions* size = nullptr;
  const zw::TAdvContentOptions* content = nullptr;
  bool Any() const { return filename || size || content; }
};

class Scan {
 public:
  explicit Scan(const zwtest::TempTree& tree) : tree_(tree), events_([](zw::TStatusEvent&) {}), status_(&events_) {
    browse->attribFilter.Set(zw::fmIgnore, 0);
  }

  // Runs browse and search to their ends and returns the sets, each as the
  // paths below the tree's root in the order of the result list. With
  // `afterBrowse`, the search starts only once browsing has ended, and
  // `afterBrowse` runs in between.
  Sets Run(const Criteria& c, const std::function<void()>& afterBrowse = {}) {
    browse->criteriaSelected = c.Any();
    browse->SetQueue(&queue_);
    browse->SetStatus(&status_);
    browse->SetManager(&browseManager);
    browse->SetMessenger(&messenger);
    zw::TCompareSettings compare;
    compare.checked = 0;
    if (c.filename) compare.filename = *c.filename;
    if (c.size) compare.size = *c.size;
    if (c.content) compare.content = *c.content;
    compare.Set(zw::ccFilename, c.filename);
    compare.Set(zw::ccSize, c.size);
    compare.Set(zw::ccContent, c.content);
    search = std::make_shared<zw::TThreadFindDupes>(&queue_, &results, &status_, compare);
    search->SetManager(&searchManager);
    search->SetMessenger(&messenger);
    browseManager.Attach(browse);
    searchManager.Attach(search);
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    auto serveUntil = [&](auto done) {
      while (!done() && std::chrono::steady_clock::now() < end) events_.DispatchWait(std::chrono::milliseconds(1));
    };
    browseManager.Start();
    if (afterBrowse) {
      serveUntil([&] { return browse->Finished(); });
      afterBrowse();
    }
    searchManager.Start();
    serveUntil([&] { return browse->Finished() && search->Finished(); });
    EXPECT_TRUE(browse->Finished() && search->Finished()) << "scan did not end";
    browse->WaitFor();
    search->WaitFor();
    Sets sets(static_cast<size_t>(results.SetCount()));
    for (int32_t i = 0; i < results.ItemCount(); ++i) {
      const zw::TResultEntry* e = results.Item(i);
      std::string rel = e->FullName().substr(tree_.Root().size());
      std::replace(rel.begin(), rel.end(), zw::platform::kPathSep, '/');
      sets.at(e->Set).push_back(rel);
    }
    return sets;
  }

  std::shared_ptr<zw::TThreadBrowse> browse = std::make_shared<zw::TThreadBrowse>();
  std::shared_ptr<zw::TThreadFindDupes> search;
  zw::TZWThreadManager browseManager, searchManager;
  zw::TResultList results;
  zwtest::RecordingMessenger messenger;

 private:
  const zwtest::TempTree& tree_;
  zw::TJobQueue queue_;
  zw::TEventQueue events_;
  zw::TZWStatusServer status_;
};

// Order of sets and of files inside a set depends on the pool; membership must not.
Membership Members(const Sets& sets) {
  Membership out;
  for (const auto& s : sets) out.insert(std::set<std::string>(s.begin(), s.end()));
  return out;
}

TEST(EngineScan, TheCriteriaFindTheCopiesAcrossFoldersAndNothingElse) {
  zwtest::TempTree t;
  const std::string a(5000, 'a');
  std::string b = a, c = a;
  b[2500] = 'b';   // same size, differs in the middle
  c.back() = 'c';  // same size, differs in the last byte
  for (const auto& [rel, content] : std::vector<std::pair<std::string, std::string>>{
           {"one/a1", a}, {"one/sub/a2", a}, {"two/a3", a}, {"two/b1", b}, {"two/deep/er/b2", b}, {"one/c1", c},
           {"one/unique", "something else"}, {"one/e1", ""}, {"two/e2", ""}, {"lib/a-copy", a}, {"lib/y1", "payload-y"},
           {"lib/y2", "payload-y"}, {"names/Report.txt", "1"}, {"names/sub/report.TXT", "22"}, {"names/report.txt.bak", "1"}})
    t.File(rel, content);
  const zw::TAdvSizeOptions size;
  const zw::TAdvContentOptions content;  // complete file, CRC32
  const zw::TAdvFilenameOptions name;     // complete name, ignore case
  const struct {
    const char* what;
    Criteria criteria;
    std::vector<std::string> fresh, library;
    Membership sets;
  } cases[] = {
      {"size and content", {nullptr, &size, &content}, {"one", "two"}, {},
       {{"one/a1", "one/sub/a2", "two/a3"}, {"two/b1", "two/deep/er/b2"}, {"one/e1", "two/e2"}}},
      // Library files only join sets that hold a fresh file, behind it.
      {"with a library", {nullptr, &size, &content}, {"two"}, {"lib"}, {{"two/a3", "lib/a-copy"}, {"two/b1", "two/deep/er/b2"}}},
      {"the file name alone, ignoring case", {&name, nullptr, nullptr}, {"names"}, {},
       {{"names/Report.txt", "names/sub/report.TXT"}}},
  };
  for (const auto& x : cases) {
    Scan s(t);
    for (const auto& f : x.fresh) s.browse->fresh.Add(zw::dsRecursive, t.Dir(f));
    for (const auto& l : x.library) s.browse->library.Add(zw::dsRecursive, t.Dir(l));
    const Sets sets = s.Run(x.criteria);
    EXPECT_EQ(Members(sets), x.sets) << x.what;
    for (const auto& set : sets) EXPECT_NE(set.front().rfind("lib/", 0), 0u) << x.what << ": a library file heads a set";
    EXPECT_TRUE(s.messenger.Has(zw::logFindDoubles)) << x.what;
    EXPECT_EQ(s.searchManager.State(), zw::TZWThreadManager::tsFinished);
    EXPECT_EQ(s.browseManager.State(), zw::TZWThreadManager::tsFinished);
  }
}

TEST(EngineScan, WithoutCriteriaEveryFileIsASetOfItsOwnAndAKeyedPoolWithOneFileMakesNone) {
  zwtest::TempTree t;
  t.File("d/a", "same");
  t.File("d/b", "same");
  t.File("d/c", "other");
  t.File("one/only", "x");
  Scan all(t);
  all.browse->fresh.Add(zw::dsSingle, t.Dir("d"));
  EXPECT_EQ(Members(all.Run({})), (Membership{{"d/a"}, {"d/b"}, {"d/c"}}));
  EXPECT_FALSE(all.messenger.Has(zw::logFindDoubles));
  EXPECT_FALSE(all.messenger.Has(zw::msgOnlyOneFileFound));
  const zw::TAdvSizeOptions size;
  Scan one(t);
  one.browse->fresh.Add(zw::dsSingle, t.Dir("one"));
  EXPECT_TRUE(one.Run({nullptr, &size, nullptr}).empty());
  EXPECT_FALSE(one.messenger.Has(zw::logFindDoubles));
  EXPECT_TRUE(one.messenger.Has(zw::msgOnlyOneFileFound));
}

TEST(EngineScan, AFileThatVanishesBeforeItsContentIsReadIsLoggedAndLeftOut) {
  zwtest::TempTree t;
  for (const char* n : {"d/a", "d/b", "d/c"}) t.File(n, "same-content");
  const zw::TAdvSizeOptions size;
  zw::TAdvContentOptions content;
  content.methods = zw::acmByteByByte;
  Scan s(t);
  s.browse->fresh.Add(zw::dsSingle, t.Dir("d"));
  const Sets sets = s.Run({nullptr, &size, &content}, [&] { std::filesystem::remove(t.PathOf("d/b")); });
  EXPECT_EQ(Members(sets), (Membership{{"d/a", "d/c"}}));
  const auto logs = s.messenger.With(zw::logIOErrorOnOpen);
  ASSERT_EQ(logs.size(), 1u);
  EXPECT_EQ(logs[0].Str(1), t.PathOf("d/b"));
}

TEST(EngineScan, CancelEndsBothThreadsAndLeavesNoHalfSet) {
  zwtest::TempTree t;
  for (int i = 0; i < 300; ++i) t.File("d/f" + std::to_string(i), std::string(100, char('a' + i % 3)));
  const zw::TAdvSizeOptions size;
  const zw::TAdvContentOptions content;
  Scan s(t);
  s.browse->fresh.Add(zw::dsSingle, t.Dir("d"));
  s.browse->Cancel();
  s.Run({nullptr, &size, &content});
  EXPECT_EQ(s.results.ItemCount(), 0);
  EXPECT_FALSE(s.messenger.Has(zw::logFilesFound));
}

}  // namespace
