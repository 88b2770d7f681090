// The folder tree, the emptiness of touched folders on real trees, and the
// empty-folder question with scripted answers.
#include "engine/dupes/directory_tree.h"

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/paths.h"
#include "support/files.h"
#include "support/temp_tree.h"

namespace zw {
namespace {

using Names = std::vector<std::string>;
constexpr char S = platform::kPathSep;

// "a/b" -> "<root>a<S>b<S>" with the platform separator.
std::string Dir(const std::string& root, const std::string& rel) {
  std::string p = root;
  for (char c : rel) p += (c == '/') ? S : c;
  return platform::IncludeTrailingSep(p);
}

// The tree below `root` as text: "a(a/x a/y) b", paths with "/".
std::string Dump(const TDirEntry* list, const std::string& root) {
  std::string out;
  for (const TDirEntry* e = list; e; e = e->Next) {
    std::string rel = platform::ExcludeTrailingSep(e->Path.substr(std::min(root.size(), e->Path.size())));
    std::replace(rel.begin(), rel.end(), S, '/');
    out += (out.empty() ? "" : " ") + (rel.empty() ? "." : rel);
    if (e->Children) out += "(" + Dump(e->Children, root) + ")";
  }
  return out;
}

const std::string R = std::string(1, S) + "r" + S;  // "/r/"

TEST(DirectoryTree, KeepsSiblingsSortedAndEveryFolderBelowItsNearestAncestor) {
  const struct {
    std::vector<std::string> added;  // "" is R itself
    std::string tree;
  } cases[] = {
      {{"c", "a", "b"}, "a b c"},
      {{"a", "a/y", "a/x/deep", "ab"}, "a(a/x/deep a/y) ab"},
      // An ancestor added later adopts its descendants only.
      {{"0", "a/x", "a/y/z", "ab", "a"}, "0 a(a/x a/y/z) ab"},
      {{"0", "a/x", "a/y/z", "ab", "a", ""}, ".(0 a(a/x a/y/z) ab)"},
      {{"a", "a/b/c", "a/b/d", "a/e", "a/b"}, "a(a/b(a/b/c a/b/d) a/e)"},
      {{"a/b", "a/b/c", "a/b", "abc", "ab"}, "a/b(a/b/c) ab abc"},  // a prefix of a name is no ancestor
  };
  for (const auto& c : cases) {
    TDirectoryTree tree;
    for (const auto& rel : c.added) tree.Add(Dir(R, rel));
    EXPECT_EQ(Dump(tree.First(), R), c.tree) << c.tree;
  }
}

TEST(DirectoryTree, TheSameFolderGivesTheSameNodeByThePlatformsPathIdentity) {
  TDirectoryTree tree;
  TDirEntry* a = tree.Add(Dir(R, "a/b"));
  EXPECT_EQ(tree.Add(R + "a" + S + "b"), a);  // the separator is supplied
  EXPECT_EQ(tree.Add(Dir(R, "A/B")) == a, platform::kCaseInsensitivePaths);
}

TEST(DirectoryTree, ManyRandomFoldersEndUpSortedAndNestedRight) {
  std::mt19937 rng(11);
  std::vector<std::string> rels;
  for (int i = 0; i < 300; ++i) {
    std::string rel;
    for (int d = 0, depth = 1 + static_cast<int>(rng() % 3); d < depth; ++d)
      rel += std::string(d ? "/" : "") + char('a' + rng() % 3);
    rels.push_back(rel);
  }
  TDirectoryTree tree;
  for (const auto& rel : rels) tree.Add(Dir(R, rel));
  // Every sibling list is strictly ascending, every child lies below its
  // parent, and no sibling below another.
  std::function<void(const TDirEntry*, const std::string&)> check = [&](const TDirEntry* list, const std::string& parent) {
    std::string previous;
    for (const TDirEntry* e = list; e; e = e->Next) {
      EXPECT_LT(previous, e->Path);
      EXPECT_TRUE(parent.empty() || (platform::IsPathBelow(e->Path, parent) && e->Path != parent)) << e->Path;
      for (const TDirEntry* o = list; o; o = o->Next) EXPECT_TRUE(o == e || !platform::IsPathBelow(e->Path, o->Path));
      previous = e->Path;
      check(e->Children, e->Path);
    }
  };
  check(tree.First(), "");
  for (const auto& rel : rels) EXPECT_EQ(tree.Add(Dir(R, rel))->Path, Dir(R, rel));
}

// Folders and files on disk; touched folders join the tree.
struct Disk {
  void Make(const Names& touchedFolders, const Names& folders, const Names& files) {
    for (const auto& f : folders) tree.Dir(f);
    for (const auto& f : files) {
      const std::string path = tree.File(f, "x");
      platform::OsError err;
      if (platform::ExtractFileName(path)[0] == '.') {
        ASSERT_TRUE(platform::SetAttributes(path, platform::attr::kHidden, err));
      }
    }
    for (const auto& t : touchedFolders) touched.Add(tree.Dir(t));
  }
  bool Exists(const std::string& rel) const { return zwtest::Exists(tree.PathOf(rel)); }

  zwtest::TempTree tree;
  TZWTouchedDirectories touched;
};

TEST(TouchedFolders, AFolderIsEmptyWhenItHoldsNothingButTouchedEmptyFolders) {
  const struct {
    const char* what;
    Names touched, folders, files;
    bool empty;
  } cases[] = {
      {"an empty folder", {"a"}, {}, {}, true},
      {"a file", {"a"}, {}, {"a/f.txt"}, false},
      {"a hidden file", {"a"}, {}, {"a/.hidden"}, false},
      {"an untouched empty folder", {"a"}, {"a/other"}, {}, false},
      {"touched empty folders", {"a", "a/b", "a/c"}, {}, {}, true},
      {"a touched folder with a file", {"a", "a/b"}, {}, {"a/b/keep.txt"}, false},
      {"folders on the way to a deeper touched one", {"a", "a/b/c"}, {}, {}, true},
      {"a file in a folder on the way", {"a", "a/b/c"}, {}, {"a/b/keep.txt"}, false},
  };
  for (const auto& c : cases) {
    Disk d;
    d.Make(c.touched, c.folders, c.files);
    TDirEntry* a = d.touched.Add(d.tree.Dir("a"));
    EXPECT_EQ(d.touched.IsEmpty(a), c.empty) << c.what;
    EXPECT_EQ(a->State, c.empty ? dirstate::kEmpty : dirstate::kNotEmpty) << c.what;
    if (c.touched.back() == "a/b/c") {  // the folders on the way joined the tree, examined
      EXPECT_EQ(Dump(d.touched.First(), d.tree.Root()), "a(a/b(a/b/c))");
      EXPECT_EQ(a->Children->State, c.empty ? dirstate::kEmpty : dirstate::kNotEmpty);
    }
  }
}

TEST(TouchedFolders, AMissingFolderIsNeverEmptyAndTheAnswerIsKept) {
  Disk d;
  EXPECT_FALSE(d.touched.IsEmpty(d.touched.Add(d.tree.PathOf("gone") + S)));
  TDirEntry* a = d.touched.Add(d.tree.Dir("a"));
  EXPECT_TRUE(d.touched.IsEmpty(a));
  d.tree.File("a/late.txt");
  EXPECT_TRUE(d.touched.IsEmpty(a));  // examined once
}

// Answers the empty-folder question from a script and records what it was
// asked; any other message fails the test.
class ScriptedMessenger : public IMessenger {
 public:
  explicit ScriptedMessenger(std::deque<int> answers) : answers_(std::move(answers)) {}
  int ShowMsg(TMsgID, const TFmtArgs&) override { return Unexpected(), ansOK; }
  int AskMsg(TMsgID, int defaultAnswer, const TFmtArgs&) override { return Unexpected(), defaultAnswer; }
  void LogMsg(TMsgID, const TFmtArgs&) override { Unexpected(); }
  void LogMsgExcept(TMsgID, const TFmtArgs&, std::shared_ptr<TZWExceptInfo>) override { Unexpected(); }
  int AskButtons(TStrID text, const TFmtArgs& args, TStrID caption, TIconKind icon, const std::vector<TStrID>& buttons,
                 int defaultIndex) override {
    EXPECT_EQ(text, askDeleteEmptyDir);
    EXPECT_EQ(caption, strConfirmation);
    EXPECT_EQ(icon, icoQuestion);
    EXPECT_EQ(buttons, (std::vector<TStrID>{lblYes, lblNo, lblAll, lblNone}));
    EXPECT_EQ(defaultIndex, TZWTouchedDirectories::btnNo);
    asked.push_back(std::get<std::string>(args.at(0)));
    if (answers_.empty()) return ADD_FAILURE() << "more questions than answers", TZWTouchedDirectories::btnNo;
    const int answer = answers_.front();
    answers_.pop_front();
    return answer;
  }
  Names asked;

 private:
  static void Unexpected() { ADD_FAILURE() << "a message besides the empty-folder question"; }
  std::deque<int> answers_;
};

TEST(TouchedFolders, EmptyFoldersAreOfferedOutermostFirstAndRemovedAsAnswered) {
  constexpr int kYes = TZWTouchedDirectories::btnYes, kNo = TZWTouchedDirectories::btnNo,
                kAll = TZWTouchedDirectories::btnAll, kNone = TZWTouchedDirectories::btnNone;
  const struct {
    const char* what;
    Names touched, folders, files;
    std::deque<int> answers;
    Names asked, gone, kept;
  } cases[] = {
      {"the outer folder only; yes removes its tree", {"a/b", "a"}, {}, {}, {kYes}, {"a"}, {"a/b", "a"}, {}},
      {"no keeps the folder", {"a", "b"}, {}, {}, {kNo, kYes}, {"a", "b"}, {"b"}, {"a"}},
      {"only touched folders", {"a/b/c"}, {}, {}, {kYes}, {"a/b/c"}, {"a/b/c"}, {"a/b"}},
      {"not a folder with an untouched one", {"a"}, {"a/unrelated"}, {}, {}, {}, {}, {"a/unrelated"}},
      {"the children of a folder with a file", {"a", "a/b", "a/c"}, {}, {"a/keep.txt"}, {kNo, kYes}, {"a/b", "a/c"},
       {"a/c"}, {"a/b", "a/keep.txt"}},
      {"all: the rest without questions, never a folder with a file",
       {"p", "p/a", "p/m/n/o", "p/x", "q", "r"}, {"q/untouched"}, {"p/keep.txt", "p/x/.hidden"}, {kAll}, {"p/a"},
       {"p/a", "p/m/n/o", "p/m/n", "p/m", "r"}, {"p/keep.txt", "p/x/.hidden", "q/untouched"}},
      {"all stops at the touched folder", {"a", "b/c"}, {}, {}, {kAll}, {"a"}, {"a", "b/c"}, {"b"}},
      {"none keeps everything and asks no more", {"a", "b", "c/d"}, {}, {"c/keep.txt"}, {kYes, kNone}, {"a", "b"},
       {"a"}, {"b", "c/d"}},
  };
  for (const auto& c : cases) {
    Disk d;
    d.Make(c.touched, c.folders, c.files);
    ScriptedMessenger m(c.answers);
    d.touched.DeleteEmpty(m);
    Names asked;
    for (const auto& a : c.asked) asked.push_back(d.tree.PathOf(a) + S);
    EXPECT_EQ(m.asked, asked) << c.what;
    for (const auto& g : c.gone) EXPECT_FALSE(d.Exists(g)) << c.what << ": " << g;
    for (const auto& k : c.kept) EXPECT_TRUE(d.Exists(k)) << c.what << ": " << k;
    EXPECT_TRUE(d.touched.Empty()) << c.what;
  }
}

TEST(TouchedFolders, AFileAppearingAfterTheExaminationOrTheDefaultAnswerKeepsTheFolder) {
  Disk d;
  TDirEntry* a = d.touched.Add(d.tree.Dir("a"));
  ASSERT_TRUE(d.touched.IsEmpty(a));
  d.tree.File("a/new.txt");  // the examined state is stale now
  ScriptedMessenger yes({TZWTouchedDirectories::btnYes});
  d.touched.DeleteEmpty(yes);
  EXPECT_TRUE(d.Exists("a/new.txt"));
  d.touched.Add(d.tree.Dir("b"));
  struct Defaults : IMessenger {  // answers every box with its default
    int ShowMsg(TMsgID, const TFmtArgs&) override { return ansOK; }
    int AskMsg(TMsgID, int answer, const TFmtArgs&) override { return answer; }
    void LogMsg(TMsgID, const TFmtArgs&) override {}
    void LogMsgExcept(TMsgID, const TFmtArgs&, std::shared_ptr<TZWExceptInfo>) override {}
  } defaults;
  d.touched.DeleteEmpty(defaults);
  EXPECT_TRUE(d.Exists("b"));
}

}  // namespace
}  // namespace zw
