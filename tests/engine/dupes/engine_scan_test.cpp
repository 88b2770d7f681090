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

using namespace std::chrono_literals;
using zwtest::TempTree;

namespace {

using Sets = std::vector<std::vector<std::string>>;

struct Criteria {
  const zw::TAdvFilenameOptions* filename = nullptr;
  const zw::TAdvDateOptions* date = nullptr;
  const zw::TAdvSizeOptions* size = nullptr;
  const zw::TAdvContentOptions* content = nullptr;
  bool Any() const { return filename || date || size || content; }
};

class Scan {
 public:
  explicit Scan(const TempTree& tree) : tree_(tree), events_([](zw::TStatusEvent&) {}), status_(&events_) {
    browse = std::make_shared<zw::TThreadBrowse>();
    browse->attribFilter.Set(zw::fmIgnore, 0);
  }

  // Runs browse and search to their ends and returns the sets, each as the
  // paths below the tree's root in the order of the result list.
  // With `afterBrowse`, the search starts only once browsing has ended, and
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
    if (c.date) compare.date = *c.date;
    if (c.size) compare.size = *c.size;
    if (c.content) compare.content = *c.content;
    compare.Set(zw::ccFilename, c.filename);
    compare.Set(zw::ccDate, c.date);
    compare.Set(zw::ccSize, c.size);
    compare.Set(zw::ccContent, c.content);
    search = std::make_shared<zw::TThreadFindDupes>(&queue_, &results, &status_, compare);
    search->SetManager(&searchManager);
    search->SetMessenger(&messenger);
    browseManager.Attach(browse);
    searchManager.Attach(search);
    auto end = std::chrono::steady_clock::now() + 60s;
    browseManager.Start();
    if (afterBrowse) {
      while (!browse->Finished() && std::chrono::steady_clock::now() < end) events_.DispatchWait(1ms);
      afterBrowse();
    }
    searchManager.Start();
    while (!(browse->Finished() && search->Finished()) && std::chrono::steady_clock::now() < end)
      events_.DispatchWait(1ms);
    EXPECT_TRUE(browse->Finished() && search->Finished()) << "scan did not end";
    browse->WaitFor();
    search->WaitFor();
    return SetsOf(results);
  }

  Sets SetsOf(const zw::TResultList& list) const {
    Sets sets(static_cast<size_t>(list.SetCount()));
    const std::string root = tree_.Root();
    for (int32_t i = 0; i < list.ItemCount(); ++i) {
      const zw::TResultEntry* e = list.Item(i);
      std::string full = e->FullName();
      EXPECT_EQ(full.rfind(root, 0), 0u) << full;
      std::string rel = full.substr(root.size());
      std::replace(rel.begin(), rel.end(), zw::platform::kPathSep, '/');
      sets.at(e->Set).push_back(rel);
    }
    return sets;
  }

  std::shared_ptr<zw::TThreadBrowse> browse;
  std::shared_ptr<zw::TThreadFindDupes> search;
  zw::TZWThreadManager browseManager, searchManager;
  zw::TResultList results;
  zwtest::RecordingMessenger messenger;

 private:
  const TempTree& tree_;
  zw::TJobQueue queue_;
  zw::TEventQueue events_;
  zw::TZWStatusServer status_;
};

// Order of sets and of files inside a set depends on the pool; membership must not.
std::set<std::set<std::string>> Membership(const Sets& sets) {
  std::set<std::set<std::string>> out;
  for (const auto& s : sets) out.insert(std::set<std::string>(s.begin(), s.end()));
  return out;
}

TEST(EngineScan, SizeAndContentFindTheCopiesAcrossFoldersAndNothingElse) {
  TempTree t;
  const std::string a(5000, 'a');
  std::string b = a;
  b[2500] = 'b';  // same size, differs in the middle
  std::string c = a;
  c.back() = 'c';  // same size, differs in the last byte
  t.File("one/a1", a);
  t.File("one/sub/a2", a);
  t.File("two/a3", a);
  t.File("two/b1", b);
  t.File("two/deep/er/b2", b);
  t.File("one/c1", c);
  t.File("one/unique", "something else entirely");
  t.File("one/e1", "");
  t.File("two/e2", "");
  zw::TAdvSizeOptions size;
  zw::TAdvContentOptions content;  // complete file, CRC32
  Scan s(t);
  s.browse->fresh.Add(zw::dsRecursive, t.Dir("one"));
  s.browse->fresh.Add(zw::dsRecursive, t.Dir("two"));
  Sets sets = s.Run({nullptr, nullptr, &size, &content});
  EXPECT_EQ(Membership(sets), (std::set<std::set<std::string>>{
                                  {"one/a1", "one/sub/a2", "two/a3"},
                                  {"two/b1", "two/deep/er/b2"},
                                  {"one/e1", "two/e2"}}));
  EXPECT_TRUE(s.messenger.Has(zw::logFindDoubles));
  EXPECT_EQ(s.searchManager.State(), zw::TZWThreadManager::tsFinished);
  EXPECT_EQ(s.browseManager.State(), zw::TZWThreadManager::tsFinished);
}

TEST(EngineScan, LibraryFilesOnlyJoinSetsThatHoldAFreshFile) {
  TempTree t;
  t.File("fresh/x", "payload-x");
  t.File("lib/x-copy", "payload-x");
  t.File("lib/x-copy2", "payload-x");
  t.File("lib/y1", "payload-y");  // two equal library files and no fresh one
  t.File("lib/y2", "payload-y");
  t.File("fresh/z1", "payload-z");
  t.File("fresh/z2", "payload-z");
  zw::TAdvSizeOptions size;
  zw::TAdvContentOptions content;
  Scan s(t);
  s.browse->fresh.Add(zw::dsSingle, t.Dir("fresh"));
  s.browse->library.Add(zw::dsSingle, t.Dir("lib"));
  Sets sets = s.Run({nullptr, nullptr, &size, &content});
  EXPECT_EQ(Membership(sets), (std::set<std::set<std::string>>{
                                  {"fresh/x", "lib/x-copy", "lib/x-copy2"}, {"fresh/z1", "fresh/z2"}}));
  // A fresh file heads each set; library files follow it.
  for (const auto& set : sets) EXPECT_EQ(set.front().rfind("fresh/", 0), 0u) << set.front();
}

TEST(EngineScan, WithoutCriteriaEveryFileIsASetOfItsOwn) {
  TempTree t;
  t.File("d/a", "same");
  t.File("d/b", "same");
  t.File("d/c", "other");
  Scan s(t);
  s.browse->fresh.Add(zw::dsSingle, t.Dir("d"));
  Sets sets = s.Run({});
  ASSERT_EQ(sets.size(), 3u);
  for (const auto& set : sets) EXPECT_EQ(set.size(), 1u);
  EXPECT_FALSE(s.messenger.Has(zw::logFindDoubles));
  EXPECT_FALSE(s.messenger.Has(zw::msgOnlyOneFileFound));
}

TEST(EngineScan, AKeyedPoolWithOneFileMakesNoSet) {
  TempTree t;
  t.File("d/only", "x");
  zw::TAdvSizeOptions size;
  Scan s(t);
  s.browse->fresh.Add(zw::dsSingle, t.Dir("d"));
  Sets sets = s.Run({nullptr, nullptr, &size, nullptr});
  EXPECT_TRUE(sets.empty());
  EXPECT_FALSE(s.messenger.Has(zw::logFindDoubles));
  EXPECT_TRUE(s.messenger.Has(zw::msgOnlyOneFileFound));
}

TEST(EngineScan, FileNameAloneGroupsEqualNamesIgnoringCase) {
  TempTree t;
  t.File("a/Report.txt", "1");
  t.File("b/report.TXT", "22");
  t.File("c/report.txt.bak", "1");
  zw::TAdvFilenameOptions name;  // complete name, ignore case
  Scan s(t);
  s.browse->fresh.Add(zw::dsRecursive, t.Root());
  Sets sets = s.Run({&name, nullptr, nullptr, nullptr});
  EXPECT_EQ(Membership(sets), (std::set<std::set<std::string>>{{"a/Report.txt", "b/report.TXT"}}));
}

TEST(EngineScan, AFileThatVanishesBeforeItsContentIsReadIsLoggedAndLeftOut) {
  TempTree t;
  t.File("d/a", "same-content");
  t.File("d/b", "same-content");
  t.File("d/c", "same-content");
  zw::TAdvSizeOptions size;
  zw::TAdvContentOptions content;
  content.methods = zw::acmByteByByte;
  Scan s(t);
  s.browse->fresh.Add(zw::dsSingle, t.Dir("d"));
  Sets sets = s.Run({nullptr, nullptr, &size, &content},
                    [&] { std::filesystem::remove(t.PathOf("d/b")); });
  EXPECT_EQ(Membership(sets), (std::set<std::set<std::string>>{{"d/a", "d/c"}}));
  auto logs = s.messenger.With(zw::logIOErrorOnOpen);
  ASSERT_EQ(logs.size(), 1u);
  EXPECT_EQ(logs[0].Str(1), t.PathOf("d/b"));
}

TEST(EngineScan, CancelEndsBothThreadsAndLeavesNoHalfSet) {
  TempTree t;
  for (int i = 0; i < 300; ++i) t.File("d/f" + std::to_string(i), std::string(100, char('a' + i % 3)));
  zw::TAdvSizeOptions size;
  zw::TAdvContentOptions content;
  Scan s(t);
  s.browse->fresh.Add(zw::dsSingle, t.Dir("d"));
  s.browse->Cancel();
  s.Run({nullptr, nullptr, &size, &content});
  EXPECT_EQ(s.results.ItemCount(), 0);
  EXPECT_FALSE(s.messenger.Has(zw::logFilesFound));
}

}  // namespace
