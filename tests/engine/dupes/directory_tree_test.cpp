#include "engine/dupes/directory_tree.h"

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/paths.h"

namespace zw {
namespace {

namespace fs = std::filesystem;
using Names = std::vector<std::string>;
constexpr char S = platform::kPathSep;

// "a/b" -> "<root>a<S>b<S>" with the platform separator.
std::string Dir(const std::string& root, const std::string& rel) {
  std::string p = root;
  for (char c : rel) p += (c == '/') ? S : c;
  return platform::IncludeTrailingSep(p);
}

Names TopLevel(const TDirectoryTree& tree) {
  Names names;
  for (const TDirEntry* e = tree.First(); e; e = e->Next) names.push_back(e->Path);
  return names;
}

Names ChildrenOf(const TDirEntry* node) {
  Names names;
  for (const TDirEntry* e = node->Children; e; e = e->Next) names.push_back(e->Path);
  return names;
}

// ---------------------------------------------------------------------------
// The tree alone (no folders on disk needed).

const std::string R = std::string(1, S) + "r" + S;  // "/r/"

TEST(DirectoryTreeAdd, KeepsSiblingsSortedByPath) {
  TDirectoryTree tree;
  tree.Add(Dir(R, "c"));
  tree.Add(Dir(R, "a"));
  tree.Add(Dir(R, "b"));
  EXPECT_EQ(TopLevel(tree), (Names{Dir(R, "a"), Dir(R, "b"), Dir(R, "c")}));
}

TEST(DirectoryTreeAdd, PutsADescendantBelowItsAncestor) {
  TDirectoryTree tree;
  TDirEntry* a = tree.Add(Dir(R, "a"));
  tree.Add(Dir(R, "a/y"));
  tree.Add(Dir(R, "a/x/deep"));
  tree.Add(Dir(R, "ab"));
  EXPECT_EQ(TopLevel(tree), (Names{Dir(R, "a"), Dir(R, "ab")}));
  EXPECT_EQ(ChildrenOf(a), (Names{Dir(R, "a/x/deep"), Dir(R, "a/y")}));
}

TEST(DirectoryTreeAdd, AnAncestorAddedLaterAdoptsItsDescendantsOnly) {
  TDirectoryTree tree;
  tree.Add(Dir(R, "0"));
  tree.Add(Dir(R, "a/x"));
  tree.Add(Dir(R, "a/y/z"));
  tree.Add(Dir(R, "ab"));
  TDirEntry* a = tree.Add(Dir(R, "a"));
  EXPECT_EQ(TopLevel(tree), (Names{Dir(R, "0"), Dir(R, "a"), Dir(R, "ab")}));
  EXPECT_EQ(ChildrenOf(a), (Names{Dir(R, "a/x"), Dir(R, "a/y/z")}));
  // And an ancestor of everything takes the whole top level.
  TDirEntry* root = tree.Add(R);
  EXPECT_EQ(TopLevel(tree), (Names{R}));
  EXPECT_EQ(ChildrenOf(root), (Names{Dir(R, "0"), Dir(R, "a"), Dir(R, "ab")}));
  EXPECT_EQ(ChildrenOf(a), (Names{Dir(R, "a/x"), Dir(R, "a/y/z")}));
}

TEST(DirectoryTreeAdd, AnAncestorBetweenANodeAndItsChildren) {
  TDirectoryTree tree;
  TDirEntry* a = tree.Add(Dir(R, "a"));
  tree.Add(Dir(R, "a/b/c"));
  tree.Add(Dir(R, "a/b/d"));
  tree.Add(Dir(R, "a/e"));
  TDirEntry* b = tree.Add(Dir(R, "a/b"));
  EXPECT_EQ(ChildrenOf(a), (Names{Dir(R, "a/b"), Dir(R, "a/e")}));
  EXPECT_EQ(ChildrenOf(b), (Names{Dir(R, "a/b/c"), Dir(R, "a/b/d")}));
}

TEST(DirectoryTreeAdd, TheSameFolderGivesTheSameNode) {
  TDirectoryTree tree;
  TDirEntry* a = tree.Add(Dir(R, "a/b"));
  tree.Add(Dir(R, "a/b/c"));
  EXPECT_EQ(tree.Add(Dir(R, "a/b")), a);
  EXPECT_EQ(tree.Add(R + "a" + S + "b"), a);  // the separator is supplied
  EXPECT_EQ(TopLevel(tree), (Names{Dir(R, "a/b")}));
  EXPECT_EQ(ChildrenOf(a), (Names{Dir(R, "a/b/c")}));
}

TEST(DirectoryTreeAdd, LetterCaseFollowsThePlatformsPathIdentity) {
  TDirectoryTree tree;
  TDirEntry* lower = tree.Add(Dir(R, "data"));
  TDirEntry* upper = tree.Add(Dir(R, "DATA"));
  if (platform::kCaseInsensitivePaths) {
    EXPECT_EQ(upper, lower);
    EXPECT_EQ(TopLevel(tree).size(), 1u);
  } else {
    EXPECT_NE(upper, lower);
    EXPECT_EQ(TopLevel(tree).size(), 2u);
  }
}

TEST(DirectoryTreeAdd, APrefixOfANameIsNotAnAncestor) {
  TDirectoryTree tree;
  tree.Add(Dir(R, "abc"));
  TDirEntry* ab = tree.Add(Dir(R, "ab"));
  EXPECT_EQ(ab->Children, nullptr);
  EXPECT_EQ(TopLevel(tree).size(), 2u);
}

TEST(DirectoryTreeAdd, ManyRandomFoldersEndUpSortedAndNestedRight) {
  std::mt19937 rng(11);
  std::vector<std::string> rels;
  for (int i = 0; i < 300; ++i) {
    std::string rel;
    const int depth = 1 + static_cast<int>(rng() % 3);
    for (int d = 0; d < depth; ++d) rel += std::string(d ? "/" : "") + char('a' + rng() % 3);
    rels.push_back(rel);
  }
  TDirectoryTree tree;
  for (const auto& rel : rels) tree.Add(Dir(R, rel));
  // Every sibling list is strictly ascending, and every child lies below its parent.
  std::function<void(const TDirEntry*, const std::string&)> check = [&](const TDirEntry* list,
                                                                        const std::string& parent) {
    std::string previous;
    for (const TDirEntry* e = list; e; e = e->Next) {
      EXPECT_LT(previous, e->Path);
      if (!parent.empty()) {
        EXPECT_TRUE(platform::IsPathBelow(e->Path, parent) && e->Path != parent);
      }
      for (const TDirEntry* o = list; o; o = o->Next) {
        if (o != e) {
          EXPECT_FALSE(platform::IsPathBelow(e->Path, o->Path)) << e->Path;
        }
      }
      previous = e->Path;
      check(e->Children, e->Path);
    }
  };
  check(tree.First(), "");
  for (const auto& rel : rels) {
    const TDirEntry* again = tree.Add(Dir(R, rel));
    EXPECT_EQ(again->Path, Dir(R, rel));
  }
}

// ---------------------------------------------------------------------------
// Real folders.

class TempTree : public ::testing::Test {
 protected:
  void SetUp() override {
    std::random_device rd;
    base_ = fs::temp_directory_path() / ("zw_dirtree_" + std::to_string(rd()) + "_" +
                                         ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(base_);
    root_ = platform::IncludeTrailingSep(base_.string());
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(base_, ec);
  }
  std::string MakeDir(const std::string& rel) {
    const std::string p = Dir(root_, rel);
    fs::create_directories(fs::path(platform::ExcludeTrailingSep(p)));
    return p;
  }
  std::string MakeFile(const std::string& rel) {
    const std::string p = root_ + [&] {
      std::string r = rel;
      for (char& c : r)
        if (c == '/') c = S;
      return r;
    }();
    fs::create_directories(fs::path(p).parent_path());
    std::ofstream(p) << "x";
    return p;
  }
  bool Exists(const std::string& rel) {
    return fs::exists(fs::path(platform::ExcludeTrailingSep(Dir(root_, rel))));
  }

  fs::path base_;
  std::string root_;
};

using DirectoryEmptiness = TempTree;

TEST_F(DirectoryEmptiness, AnEmptyFolderIsEmpty) {
  TZWTouchedDirectories tree;
  TDirEntry* a = tree.Add(MakeDir("a"));
  EXPECT_TRUE(tree.IsEmpty(a));
  EXPECT_EQ(a->State, dirstate::kEmpty);
}

TEST_F(DirectoryEmptiness, AFileMakesItNotEmpty) {
  TZWTouchedDirectories tree;
  TDirEntry* a = tree.Add(MakeDir("a"));
  MakeFile("a/f.txt");
  EXPECT_FALSE(tree.IsEmpty(a));
  EXPECT_EQ(a->State, dirstate::kNotEmpty);
}

TEST_F(DirectoryEmptiness, AHiddenFileMakesItNotEmpty) {
  TZWTouchedDirectories tree;
  TDirEntry* a = tree.Add(MakeDir("a"));
  const std::string f = MakeFile("a/.hidden");
  platform::OsError err;
  uint32_t attributes = 0;
  ASSERT_TRUE(platform::GetAttributes(f, attributes, err));
  ASSERT_TRUE(platform::SetAttributes(f, attributes | platform::attr::kHidden, err));
  ASSERT_TRUE(platform::GetAttributes(f, attributes, err));
  EXPECT_NE(attributes & platform::attr::kHidden, 0u);
  EXPECT_FALSE(tree.IsEmpty(a));
}

TEST_F(DirectoryEmptiness, AnUntouchedEmptySubfolderMakesItNotEmpty) {
  TZWTouchedDirectories tree;
  TDirEntry* a = tree.Add(MakeDir("a"));
  MakeDir("a/other");
  EXPECT_FALSE(tree.IsEmpty(a));
}

TEST_F(DirectoryEmptiness, EmptyTouchedChildrenLeaveItEmpty) {
  TZWTouchedDirectories tree;
  TDirEntry* a = tree.Add(MakeDir("a"));
  TDirEntry* b = tree.Add(MakeDir("a/b"));
  tree.Add(MakeDir("a/c"));
  EXPECT_TRUE(tree.IsEmpty(a));
  EXPECT_EQ(b->State, dirstate::kEmpty);
}

TEST_F(DirectoryEmptiness, AChildWithAFileMakesTheParentNotEmpty) {
  TZWTouchedDirectories tree;
  TDirEntry* a = tree.Add(MakeDir("a"));
  TDirEntry* b = tree.Add(MakeDir("a/b"));
  MakeFile("a/b/keep.txt");
  EXPECT_FALSE(tree.IsEmpty(a));
  EXPECT_EQ(b->State, dirstate::kNotEmpty);
}

TEST_F(DirectoryEmptiness, FoldersOnTheWayToADeeperNodeJoinTheTree) {
  TZWTouchedDirectories tree;
  TDirEntry* a = tree.Add(MakeDir("a"));
  tree.Add(MakeDir("a/b/c"));
  EXPECT_TRUE(tree.IsEmpty(a));
  ASSERT_EQ(ChildrenOf(a), (Names{Dir(root_, "a/b")}));
  EXPECT_EQ(ChildrenOf(a->Children), (Names{Dir(root_, "a/b/c")}));
  EXPECT_EQ(a->Children->State, dirstate::kEmpty);
}

TEST_F(DirectoryEmptiness, AFolderOnTheWayWithAFileMakesItNotEmpty) {
  TZWTouchedDirectories tree;
  TDirEntry* a = tree.Add(MakeDir("a"));
  tree.Add(MakeDir("a/b/c"));
  MakeFile("a/b/keep.txt");
  EXPECT_FALSE(tree.IsEmpty(a));
}

TEST_F(DirectoryEmptiness, AMissingFolderIsNeverEmpty) {
  TZWTouchedDirectories tree;
  TDirEntry* gone = tree.Add(Dir(root_, "gone"));
  EXPECT_FALSE(tree.IsEmpty(gone));
}

TEST_F(DirectoryEmptiness, TheAnswerIsKept) {
  TZWTouchedDirectories tree;
  TDirEntry* a = tree.Add(MakeDir("a"));
  EXPECT_TRUE(tree.IsEmpty(a));
  MakeFile("a/late.txt");
  EXPECT_TRUE(tree.IsEmpty(a));  // examined once
}

// ---------------------------------------------------------------------------
// The empty-folder search with scripted answers.

class ScriptedMessenger : public IMessenger {
 public:
  explicit ScriptedMessenger(std::deque<int> answers) : answers_(std::move(answers)) {}

  int ShowMsg(TMsgID, const TFmtArgs&) override {
    ADD_FAILURE() << "unexpected message";
    return ansOK;
  }
  int AskMsg(TMsgID, int defaultAnswer, const TFmtArgs&) override {
    ADD_FAILURE() << "unexpected question";
    return defaultAnswer;
  }
  void LogMsg(TMsgID, const TFmtArgs&) override { ADD_FAILURE() << "unexpected log entry"; }
  void LogMsgExcept(TMsgID, const TFmtArgs&, std::shared_ptr<TZWExceptInfo>) override {
    ADD_FAILURE() << "unexpected log entry";
  }
  int AskButtons(TStrID text, const TFmtArgs& args, TStrID caption, TIconKind icon,
                 const std::vector<TStrID>& buttons, int defaultIndex) override {
    EXPECT_EQ(text, askDeleteEmptyDir);
    EXPECT_EQ(caption, strConfirmation);
    EXPECT_EQ(icon, icoQuestion);
    EXPECT_EQ(buttons, (std::vector<TStrID>{lblYes, lblNo, lblAll, lblNone}));
    EXPECT_GE(defaultIndex, 0);
    EXPECT_LT(defaultIndex, 4);
    EXPECT_EQ(args.size(), 1u);
    asked.push_back(args.empty() ? std::string() : std::get<std::string>(args[0]));
    if (answers_.empty()) {
      ADD_FAILURE() << "more questions than answers: " << asked.back();
      return TZWTouchedDirectories::btnNo;
    }
    const int answer = answers_.front();
    answers_.pop_front();
    return answer;
  }

  Names asked;

 private:
  std::deque<int> answers_;
};

using DeleteEmptyFolders = TempTree;
constexpr int kYes = TZWTouchedDirectories::btnYes;
constexpr int kNo = TZWTouchedDirectories::btnNo;
constexpr int kAll = TZWTouchedDirectories::btnAll;
constexpr int kNone = TZWTouchedDirectories::btnNone;

TEST_F(DeleteEmptyFolders, OffersTheOuterFolderOnlyAndYesRemovesItsTree) {
  TZWTouchedDirectories tree;
  tree.Add(MakeDir("a/b"));
  tree.Add(MakeDir("a"));
  ScriptedMessenger m({kYes});
  tree.DeleteEmpty(m);
  EXPECT_EQ(m.asked, (Names{Dir(root_, "a")}));
  EXPECT_FALSE(Exists("a/b"));
  EXPECT_FALSE(Exists("a"));
  EXPECT_TRUE(tree.Empty());
}

TEST_F(DeleteEmptyFolders, NoKeepsTheFolder) {
  TZWTouchedDirectories tree;
  tree.Add(MakeDir("a"));
  tree.Add(MakeDir("b"));
  ScriptedMessenger m({kNo, kYes});
  tree.DeleteEmpty(m);
  EXPECT_EQ(m.asked, (Names{Dir(root_, "a"), Dir(root_, "b")}));
  EXPECT_TRUE(Exists("a"));
  EXPECT_FALSE(Exists("b"));
  EXPECT_TRUE(tree.Empty());
}

TEST_F(DeleteEmptyFolders, OnlyTouchedFoldersAreExamined) {
  TZWTouchedDirectories tree;
  tree.Add(MakeDir("a/b/c"));
  ScriptedMessenger m({kYes});
  tree.DeleteEmpty(m);
  EXPECT_EQ(m.asked, (Names{Dir(root_, "a/b/c")}));
  EXPECT_FALSE(Exists("a/b/c"));
  EXPECT_TRUE(Exists("a/b"));  // empty now, but no file was removed there
}

TEST_F(DeleteEmptyFolders, AFolderWithAnUnrelatedEmptySubfolderIsNotOffered) {
  TZWTouchedDirectories tree;
  tree.Add(MakeDir("a"));
  MakeDir("a/unrelated");
  ScriptedMessenger m({});
  tree.DeleteEmpty(m);
  EXPECT_TRUE(m.asked.empty());
  EXPECT_TRUE(Exists("a/unrelated"));
}

TEST_F(DeleteEmptyFolders, ChildrenOfANonEmptyFolderAreAskedAbout) {
  TZWTouchedDirectories tree;
  tree.Add(MakeDir("a"));
  tree.Add(MakeDir("a/b"));
  tree.Add(MakeDir("a/c"));
  MakeFile("a/keep.txt");
  ScriptedMessenger m({kNo, kYes});
  tree.DeleteEmpty(m);
  EXPECT_EQ(m.asked, (Names{Dir(root_, "a/b"), Dir(root_, "a/c")}));
  EXPECT_TRUE(Exists("a/b"));
  EXPECT_FALSE(Exists("a/c"));
  EXPECT_TRUE(fs::exists(root_ + "a" + S + "keep.txt"));
}

TEST_F(DeleteEmptyFolders, AllRemovesTheRestWithoutQuestionsButNeverAFolderWithAFile) {
  TZWTouchedDirectories tree;
  tree.Add(MakeDir("p"));
  MakeFile("p/keep.txt");
  tree.Add(MakeDir("p/a"));
  tree.Add(MakeDir("p/m/n/o"));          // m and n lie between o and p
  tree.Add(MakeDir("p/x"));
  MakeFile("p/x/.hidden");
  tree.Add(MakeDir("q"));
  MakeDir("q/untouched");
  tree.Add(MakeDir("r"));
  ScriptedMessenger m({kAll});
  tree.DeleteEmpty(m);
  EXPECT_EQ(m.asked, (Names{Dir(root_, "p/a")}));
  EXPECT_FALSE(Exists("p/a"));
  EXPECT_FALSE(Exists("p/m/n/o"));
  EXPECT_FALSE(Exists("p/m/n"));
  EXPECT_FALSE(Exists("p/m"));
  EXPECT_TRUE(Exists("p"));
  EXPECT_TRUE(fs::exists(root_ + "p" + S + "keep.txt"));
  EXPECT_TRUE(Exists("p/x"));
  EXPECT_TRUE(fs::exists(root_ + "p" + S + "x" + S + ".hidden"));
  EXPECT_TRUE(Exists("q/untouched"));  // removal refuses a folder that is not empty
  EXPECT_TRUE(Exists("q"));
  EXPECT_FALSE(Exists("r"));
  EXPECT_TRUE(tree.Empty());
}

TEST_F(DeleteEmptyFolders, AllAtTheTopLevelStopsAtTheTouchedFolder) {
  TZWTouchedDirectories tree;
  tree.Add(MakeDir("a"));
  tree.Add(MakeDir("b/c"));
  ScriptedMessenger m({kAll});
  tree.DeleteEmpty(m);
  EXPECT_FALSE(Exists("a"));
  EXPECT_FALSE(Exists("b/c"));
  EXPECT_TRUE(Exists("b"));  // not ours: no file was removed there
  EXPECT_TRUE(fs::exists(base_));
}

TEST_F(DeleteEmptyFolders, NoneKeepsEverythingAndAsksNoMore) {
  TZWTouchedDirectories tree;
  tree.Add(MakeDir("a"));
  tree.Add(MakeDir("b"));
  tree.Add(MakeDir("c/d"));
  MakeFile("c/keep.txt");
  ScriptedMessenger m({kYes, kNone});
  tree.DeleteEmpty(m);
  EXPECT_EQ(m.asked, (Names{Dir(root_, "a"), Dir(root_, "b")}));
  EXPECT_FALSE(Exists("a"));
  EXPECT_TRUE(Exists("b"));
  EXPECT_TRUE(Exists("c/d"));
  EXPECT_TRUE(tree.Empty());
}

TEST_F(DeleteEmptyFolders, AFileAppearingAfterTheQuestionKeepsItsFolder) {
  TZWTouchedDirectories tree;
  TDirEntry* a = tree.Add(MakeDir("a"));
  ASSERT_TRUE(tree.IsEmpty(a));
  MakeFile("a/new.txt");  // the examined state is stale now
  ScriptedMessenger m({kYes});
  tree.DeleteEmpty(m);
  EXPECT_TRUE(fs::exists(root_ + "a" + S + "new.txt"));
}

TEST_F(DeleteEmptyFolders, TheDefaultAnswerKeepsTheFolder) {
  TZWTouchedDirectories tree;
  tree.Add(MakeDir("a"));
  struct Silent : IMessenger {
    int ShowMsg(TMsgID, const TFmtArgs&) override { return ansOK; }
    int AskMsg(TMsgID, int d, const TFmtArgs&) override { return d; }
    void LogMsg(TMsgID, const TFmtArgs&) override {}
    void LogMsgExcept(TMsgID, const TFmtArgs&, std::shared_ptr<TZWExceptInfo>) override {}
  } silent;  // answers every box with its default
  tree.DeleteEmpty(silent);
  EXPECT_TRUE(Exists("a"));
  EXPECT_TRUE(tree.Empty());
}

}  // namespace
}  // namespace zw
