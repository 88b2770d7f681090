#include "app/run/folder_lists.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/run/lists_fake_host.h"
#include "platform/paths.h"
#include "support/recording_messenger.h"
#include "support/temp_tree.h"
#include "app/text_ids.h"

using namespace zw;
namespace pf = zw::platform;

namespace zw {
// Local to this file (internal linkage), found by argument-dependent lookup.
static bool operator==(const TDirRow& a, const TDirRow& b) {
  return a.caption == b.caption && a.state == b.state;
}
static void PrintTo(const TDirRow& r, std::ostream* os) {
  *os << "{\"" << r.caption << "\", " << int(r.state) << "}";
}
}  // namespace zw

namespace {

class FolderListsTest : public ::testing::Test {
 protected:
  zwtest::TempTree tree;
  TWindowModel model;
  zwtest::ListsFakeHost host;
  zwtest::RecordingMessenger msgr;

  // A real folder below the temporary root, without trailing separator.
  std::string Folder(const std::string& rel) { return pf::ExcludeTrailingSep(tree.Dir(rel)); }
  void Row(TFolderList list, const std::string& path, uint8_t state) {
    model.Folders(list).rows.push_back(TDirRow{path, state});
  }
  std::vector<TDirRow> Rows(TFolderList list) const { return model.Folders(list).rows; }
  bool Add(TFolderList list, const std::string& path, uint8_t state, bool replace = false,
           int32_t position = kAppendRow) {
    return AddFolder(model, host, msgr, list, path, position, replace, state);
  }
  bool AddCat(TFolderList list, const std::string& path, uint8_t state = dsArchive,
              bool replace = false) {
    return AddArchiveOrCatalog(model, host, msgr, list, path, kAppendRow, replace, state);
  }
};

constexpr auto kFresh = TFolderList::Fresh;
constexpr auto kLib = TFolderList::Library;

// --- adding a folder: path form and existence ---------------------------------

TEST_F(FolderListsTest, AddedFolderLosesTrailingSeparatorAndIsAppendedWithItsState) {
  const std::string a = Folder("a");
  const std::string data = Folder("data");
  ASSERT_TRUE(Add(kFresh, a, dsSingle));
  ASSERT_TRUE(Add(kFresh, pf::IncludeTrailingSep(data), dsRecursive));
  EXPECT_EQ(Rows(kFresh), (std::vector<TDirRow>{{a, dsSingle}, {data, dsRecursive}}));
  EXPECT_TRUE(Rows(kLib).empty());
  EXPECT_EQ(model.fresh.scrollTo, 1);
  EXPECT_EQ(model.fresh.selected, -1) << "adding shows the row but does not select it";
  EXPECT_TRUE(msgr.Messages().empty());
  EXPECT_TRUE(RemoveFolderEnabled(model));
}

// However a folder is spelled, it is the same folder: a second row for it
// is refused, and a row keeps the full form of the name the user gave.
TEST_F(FolderListsTest, AFolderSpelledAnotherWayIsTheSameFolder) {
  const std::string data = Folder("data");
  const std::string sep(1, pf::kPathSep);
  const std::string root = pf::ExcludeTrailingSep(tree.Root());
  std::vector<std::string> spellings = {
      root + sep + sep + "data",
      root + sep + "." + sep + "data" + sep,
      root + sep + "data" + sep + "sub" + sep + "..",
  };
#ifndef _WIN32
  std::filesystem::create_directory_symlink(data, tree.PathOf("link"));
  spellings.push_back(tree.PathOf("link"));
#endif
  for (const std::string& spelling : spellings) {
    model.fresh.rows.clear();
    model.library.rows.clear();
    tree.Dir("data/sub");
    ASSERT_TRUE(Add(kFresh, data, dsRecursive));
    for (const TFolderList list : {kFresh, kLib}) {
      const size_t refusals = msgr.With(msgAlreadyInList).size();
      EXPECT_FALSE(Add(list, spelling, dsRecursive)) << spelling;
      EXPECT_EQ(msgr.With(msgAlreadyInList).size(), refusals + 1) << spelling;
    }
  }
  // A relative name becomes a full one.
  model.fresh.rows.clear();
  const std::filesystem::path before = std::filesystem::current_path();
  std::filesystem::current_path(tree.RootPath());
  ASSERT_TRUE(Add(kLib, "data", dsSingle));
  std::filesystem::current_path(before);
  ASSERT_EQ(Rows(kLib).size(), 1u);
  EXPECT_TRUE(pf::SamePath(Rows(kLib)[0].caption, data));
}

TEST_F(FolderListsTest, RootFolderKeepsItsSeparator) {
  const std::string root(tree.Root().substr(0, pf::PathRootLength(tree.Root())));
  ASSERT_TRUE(pf::IsPathSep(root.back()));
  ASSERT_TRUE(Add(kLib, root, dsSingle));
  ASSERT_EQ(Rows(kLib).size(), 1u);
  EXPECT_EQ(Rows(kLib)[0].caption, root);
}

TEST_F(FolderListsTest, MissingFolderIsRefusedWithDirNotFound) {
  const std::string missing = tree.PathOf("nothing-here");
  EXPECT_FALSE(Add(kFresh, pf::IncludeTrailingSep(missing), dsRecursive));
  ASSERT_EQ(msgr.Messages().size(), 1u);
  const auto m = msgr.Messages()[0];
  EXPECT_EQ(m.kind, zwtest::RecordedMsg::Show);
  EXPECT_EQ(m.id, msgDirNotFound);
  EXPECT_EQ(m.Str(0), missing);
  EXPECT_TRUE(Rows(kFresh).empty());
  EXPECT_FALSE(RemoveFolderEnabled(model));
}

TEST_F(FolderListsTest, AFileIsNoFolder) {
  const std::string file = tree.File("f.txt", "x");
  EXPECT_FALSE(Add(kFresh, file, dsSingle));
  EXPECT_TRUE(msgr.Has(msgDirNotFound));
}

TEST_F(FolderListsTest, PositionInsertsBeforeThatRowAndKeepsTheSelectionOnItsRow) {
  const std::string a = Folder("a"), b = Folder("b"), c = Folder("c");
  Row(kFresh, a, dsSingle);
  Row(kFresh, b, dsSingle);
  SelectFolderRow(model, kFresh, 1);
  ASSERT_TRUE(Add(kFresh, c, dsSingle, false, 1));
  EXPECT_EQ(Rows(kFresh), (std::vector<TDirRow>{{a, dsSingle}, {c, dsSingle}, {b, dsSingle}}));
  EXPECT_EQ(model.fresh.selected, 2);
  EXPECT_EQ(model.fresh.scrollTo, 1);
}

// --- adding a folder: the same folder again -----------------------------------

TEST_F(FolderListsTest, SameFolderInactiveInOtherListIsAcceptedButNotTwiceInOneList) {
  const std::string data = Folder("data");
  Row(kFresh, data, dsInactive);
  ASSERT_TRUE(Add(kLib, data, dsRecursive));
  EXPECT_EQ(Rows(kLib), (std::vector<TDirRow>{{data, dsRecursive}}));

  EXPECT_FALSE(Add(kFresh, data, dsSingle));
  const auto refused = msgr.With(msgAlreadyInList);
  ASSERT_EQ(refused.size(), 1u);
  EXPECT_EQ(refused[0].Str(0), data);
  EXPECT_EQ(Rows(kFresh), (std::vector<TDirRow>{{data, dsInactive}}));
}

TEST_F(FolderListsTest, SameFolderActiveInBothListsIsRefused) {
  const std::string data = Folder("data");
  Row(kFresh, data, dsSingle);
  EXPECT_FALSE(Add(kLib, pf::IncludeTrailingSep(data), dsSingle));
  ASSERT_TRUE(msgr.Has(msgAlreadyInList));
  EXPECT_EQ(msgr.With(msgAlreadyInList)[0].Str(0), data);
  EXPECT_TRUE(Rows(kLib).empty());
}

TEST_F(FolderListsTest, SameFolderAsExcludeInTheOtherListIsAccepted) {
  const std::string data = Folder("data");
  Row(kLib, data, dsExclude);
  EXPECT_TRUE(Add(kFresh, data, dsRecursive));
  Row(kFresh, Folder("other"), dsRecursive);
  // A new exclude row against an active row of the other list: accepted too.
  EXPECT_TRUE(Add(kLib, Folder("other"), dsExclude));
  EXPECT_TRUE(msgr.Messages().empty());
}

TEST_F(FolderListsTest, SameFolderInTheTargetListIsRefusedWhateverTheStates) {
  const std::string data = Folder("data");
  Row(kLib, data, dsExclude);
  EXPECT_FALSE(Add(kLib, data, dsInactive));
  EXPECT_TRUE(msgr.Has(msgAlreadyInList));
  EXPECT_EQ(Rows(kLib).size(), 1u);
}

TEST_F(FolderListsTest, ReplaceRemovesTheConflictingRowsAndAddsTheNewOne) {
  const std::string a = Folder("a"), data = Folder("data"), b = Folder("b");
  Row(kFresh, a, dsSingle);
  Row(kFresh, data, dsRecursive);
  Row(kFresh, b, dsSingle);
  Row(kLib, data, dsSingle);
  ASSERT_TRUE(Add(kLib, data, dsRecursive, /*replace=*/true));
  EXPECT_EQ(Rows(kFresh), (std::vector<TDirRow>{{a, dsSingle}, {b, dsSingle}}));
  EXPECT_EQ(Rows(kLib), (std::vector<TDirRow>{{data, dsRecursive}}));
  EXPECT_TRUE(msgr.Messages().empty());
}

TEST_F(FolderListsTest, ReplaceKeepsRowsThatDoNotConflict) {
  const std::string data = Folder("data");
  Row(kFresh, data, dsInactive);
  ASSERT_TRUE(Add(kLib, data, dsSingle, /*replace=*/true));
  EXPECT_EQ(Rows(kFresh), (std::vector<TDirRow>{{data, dsInactive}}));
  EXPECT_EQ(Rows(kLib), (std::vector<TDirRow>{{data, dsSingle}}));
}

TEST_F(FolderListsTest, StoredRowWithTrailingSeparatorIsTheSameFolder) {
  const std::string data = Folder("data");
  Row(kFresh, pf::IncludeTrailingSep(data), dsSingle);
  EXPECT_FALSE(Add(kFresh, data, dsSingle));
  EXPECT_TRUE(msgr.Has(msgAlreadyInList));
}

TEST_F(FolderListsTest, LetterCaseFollowsThePlatformsPathIdentity) {
  const std::string lower = Folder("data");
  const std::string upper = tree.PathOf("DATA");
  if (!pf::kCaseInsensitivePaths) tree.Dir("DATA");
  Row(kFresh, lower, dsSingle);
  const bool added = Add(kFresh, upper, dsSingle);
  if (pf::kCaseInsensitivePaths) {
    EXPECT_FALSE(added);
    EXPECT_TRUE(msgr.Has(msgAlreadyInList));
  } else {
    EXPECT_TRUE(added) << "on POSIX /x/DATA and /x/data are two folders";
    EXPECT_TRUE(msgr.Messages().empty());
  }
}

// --- adding a folder below a recursive row -------------------------------------

TEST_F(FolderListsTest, SubfolderOfRecursiveRowIsAddedInactiveWithAMessage) {
  const std::string data = Folder("data"), sub = Folder("data/sub");
  Row(kFresh, Folder("first"), dsSingle);
  Row(kFresh, data, dsRecursive);
  model.library.selected = -1;
  ASSERT_TRUE(Add(kFresh, sub, dsRecursive));
  EXPECT_EQ(Rows(kFresh).back(), (TDirRow{sub, dsInactive}));
  const auto msgs = msgr.Messages();
  ASSERT_EQ(msgs.size(), 1u);
  EXPECT_EQ(msgs[0].id, msgNewFolderIsSubdirOfExisting);
  EXPECT_EQ(msgs[0].Str(0), sub);
  EXPECT_EQ(msgs[0].Str(1), data);
  EXPECT_EQ(model.fresh.selected, 1) << "the recursive row is selected";
  ASSERT_EQ(host.shownRows.size(), 1u);
  EXPECT_EQ(host.shownRows[0], std::make_pair(kFresh, 1));
}

TEST_F(FolderListsTest, SubfolderRuleReachesAcrossListsAndForSingleFolders) {
  const std::string data = Folder("data"), sub = Folder("data/sub");
  Row(kLib, data, dsRecursive);
  Row(kFresh, Folder("x"), dsSingle);
  SelectFolderRow(model, kFresh, 0);
  ASSERT_TRUE(Add(kFresh, sub, dsSingle));
  EXPECT_EQ(Rows(kFresh).back(), (TDirRow{sub, dsInactive}));
  EXPECT_TRUE(msgr.Has(msgNewFolderIsSubdirOfExisting));
  EXPECT_EQ(model.library.selected, 0);
  EXPECT_EQ(model.fresh.selected, -1) << "the two lists share one selection";
}

TEST_F(FolderListsTest, SubfolderCoveredByExcludeRowOfTheRecursiveRowsListIsAccepted) {
  const std::string data = Folder("data"), deeper = Folder("data/sub/deeper");
  Row(kFresh, data, dsRecursive);
  Row(kFresh, Folder("data/sub"), dsExclude);
  ASSERT_TRUE(Add(kLib, deeper, dsRecursive));
  EXPECT_EQ(Rows(kLib).back(), (TDirRow{deeper, dsRecursive}));
  EXPECT_TRUE(msgr.Messages().empty());
}

TEST_F(FolderListsTest, ExcludeRowOfAnotherListDoesNotCoverTheSubfolder) {
  const std::string data = Folder("data"), sub = Folder("data/sub");
  Row(kFresh, data, dsRecursive);
  Row(kLib, sub, dsExclude);
  ASSERT_TRUE(Add(kFresh, Folder("data/sub/deeper"), dsRecursive));
  EXPECT_EQ(Rows(kFresh).back().state, dsInactive);
  EXPECT_TRUE(msgr.Has(msgNewFolderIsSubdirOfExisting));
}

TEST_F(FolderListsTest, ExcludeAndInactiveSubfoldersOfARecursiveRowNeedNoMessage) {
  Row(kFresh, Folder("data"), dsRecursive);
  ASSERT_TRUE(Add(kFresh, Folder("data/a"), dsExclude));
  ASSERT_TRUE(Add(kFresh, Folder("data/b"), dsInactive));
  EXPECT_EQ(Rows(kFresh)[1].state, dsExclude);
  EXPECT_EQ(Rows(kFresh)[2].state, dsInactive);
  EXPECT_TRUE(msgr.Messages().empty());
}

TEST_F(FolderListsTest, SingleOrInactiveRowsDoNotContainTheirSubfolders) {
  Row(kFresh, Folder("data"), dsSingle);
  Row(kLib, Folder("lib"), dsInactive);
  ASSERT_TRUE(Add(kFresh, Folder("data/sub"), dsRecursive));
  ASSERT_TRUE(Add(kFresh, Folder("lib/sub"), dsRecursive));
  EXPECT_EQ(Rows(kFresh)[1].state, dsRecursive);
  EXPECT_EQ(Rows(kFresh)[2].state, dsRecursive);
  EXPECT_TRUE(msgr.Messages().empty());
}

TEST_F(FolderListsTest, FolderWithACommonPrefixIsNotASubfolder) {
  Row(kFresh, Folder("data"), dsRecursive);
  ASSERT_TRUE(Add(kFresh, Folder("database"), dsRecursive));
  EXPECT_EQ(Rows(kFresh)[1].state, dsRecursive);
  EXPECT_TRUE(msgr.Messages().empty());
}

TEST_F(FolderListsTest, TheCheckEndsAtTheFirstRecursiveRowThatContainsTheNewFolder) {
  const std::string data = Folder("data"), sub = Folder("data/sub");
  Row(kFresh, data, dsRecursive);
  Row(kLib, tree.Root(), dsRecursive);
  Row(kLib, Folder("data/sub/inner"), dsSingle);  // would change the state to single
  ASSERT_TRUE(Add(kLib, sub, dsRecursive));
  EXPECT_EQ(Rows(kLib).back(), (TDirRow{sub, dsInactive}));
  const auto msgs = msgr.Messages();
  ASSERT_EQ(msgs.size(), 1u);
  EXPECT_EQ(msgs[0].Str(1), data);
}

TEST_F(FolderListsTest, AfterTheSubfolderMessageLaterRowsAreNotLookedAt) {
  // The new row is inactive and harmless; an equal row further on no longer
  // refuses it.
  const std::string data = Folder("data"), sub = Folder("data/sub");
  Row(kFresh, data, dsRecursive);
  Row(kLib, sub, dsExclude);
  ASSERT_TRUE(Add(kLib, sub, dsSingle));
  EXPECT_EQ(Rows(kLib), (std::vector<TDirRow>{{sub, dsExclude}, {sub, dsInactive}}));
  EXPECT_FALSE(msgr.Has(msgAlreadyInList));
}

// --- adding a recursive folder above an active row -----------------------------

TEST_F(FolderListsTest, RecursiveFolderAboveAnActiveRowBecomesSingle) {
  const std::string data = Folder("data"), sub = Folder("data/sub");
  Row(kFresh, sub, dsSingle);
  ASSERT_TRUE(Add(kFresh, data, dsRecursive));
  EXPECT_EQ(Rows(kFresh).back(), (TDirRow{data, dsSingle}));
  const auto msgs = msgr.Messages();
  ASSERT_EQ(msgs.size(), 1u);
  EXPECT_EQ(msgs[0].id, msgExistingFolderIsSubdirOfNew);
  EXPECT_EQ(msgs[0].Str(0), sub);
  EXPECT_EQ(msgs[0].Str(1), data);
  EXPECT_EQ(model.fresh.selected, 0);
  ASSERT_EQ(host.shownRows.size(), 1u);
  EXPECT_EQ(host.shownRows[0], std::make_pair(kFresh, 0));
}

TEST_F(FolderListsTest, ActiveRowCoveredByExcludeRowOfTheTargetListIsNoConflict) {
  const std::string data = Folder("data"), sub = Folder("data/sub");
  Row(kLib, Folder("data/sub/x"), dsRecursive);
  Row(kFresh, sub, dsExclude);
  ASSERT_TRUE(Add(kFresh, data, dsRecursive));
  EXPECT_EQ(Rows(kFresh).back(), (TDirRow{data, dsRecursive}));
  EXPECT_TRUE(msgr.Messages().empty());
}

TEST_F(FolderListsTest, ExcludeRowOfTheActiveRowsOwnListDoesNotCoverIt) {
  const std::string data = Folder("data"), sub = Folder("data/sub");
  Row(kLib, Folder("data/sub/x"), dsSingle);
  Row(kLib, sub, dsExclude);
  ASSERT_TRUE(Add(kFresh, data, dsRecursive));
  EXPECT_EQ(Rows(kFresh).back().state, dsSingle);
  EXPECT_TRUE(msgr.Has(msgExistingFolderIsSubdirOfNew));
}

TEST_F(FolderListsTest, InactiveAndExcludeRowsBelowANewRecursiveFolderAreFine) {
  Row(kFresh, Folder("data/a"), dsInactive);
  Row(kLib, Folder("data/b"), dsExclude);
  ASSERT_TRUE(Add(kFresh, Folder("data"), dsRecursive));
  EXPECT_EQ(Rows(kFresh).back().state, dsRecursive);
  EXPECT_TRUE(msgr.Messages().empty());
}

TEST_F(FolderListsTest, NewSingleFolderAboveAnActiveRowIsFine) {
  Row(kFresh, Folder("data/sub"), dsRecursive);
  ASSERT_TRUE(Add(kFresh, Folder("data"), dsSingle));
  EXPECT_EQ(Rows(kFresh).back().state, dsSingle);
  EXPECT_TRUE(msgr.Messages().empty());
}

TEST_F(FolderListsTest, AfterBecomingSingleTheCheckGoesOnToARecursiveRowAbove) {
  const std::string top = Folder("top"), data = Folder("top/data");
  Row(kFresh, Folder("top/data/sub"), dsSingle);
  Row(kLib, top, dsRecursive);
  ASSERT_TRUE(Add(kFresh, data, dsRecursive));
  const auto msgs = msgr.Messages();
  ASSERT_EQ(msgs.size(), 2u);
  EXPECT_EQ(msgs[0].id, msgExistingFolderIsSubdirOfNew);
  EXPECT_EQ(msgs[1].id, msgNewFolderIsSubdirOfExisting);
  EXPECT_EQ(msgs[1].Str(0), data);
  EXPECT_EQ(msgs[1].Str(1), top);
  EXPECT_EQ(Rows(kFresh).back(), (TDirRow{data, dsInactive}));
  EXPECT_EQ(model.library.selected, 0);
  EXPECT_EQ(model.fresh.selected, -1);
}

// --- archive and catalog rows --------------------------------------------------

TEST_F(FolderListsTest, ArchiveRowKeepsTheFilePathAndState) {
  const std::string zip = tree.File("a.zip", "PK");
  ASSERT_TRUE(AddCat(kFresh, zip, dsArchiveInactive));
  EXPECT_EQ(Rows(kFresh), (std::vector<TDirRow>{{zip, dsArchiveInactive}}));
  EXPECT_TRUE(msgr.Messages().empty());
}

TEST_F(FolderListsTest, MissingArchiveOrAFolderGivesCatNotFound) {
  const std::string missing = tree.PathOf("gone.zwc");
  EXPECT_FALSE(AddCat(kLib, missing));
  EXPECT_FALSE(AddCat(kLib, Folder("dir.zip")));
  const auto msgs = msgr.With(msgCatNotFound);
  ASSERT_EQ(msgs.size(), 2u);
  EXPECT_EQ(msgs[0].Str(0), missing);
  EXPECT_TRUE(Rows(kLib).empty());
}

TEST_F(FolderListsTest, SameArchiveInEitherListIsRefused) {
  const std::string zip = tree.File("a.zip", "PK");
  Row(kFresh, zip, dsArchiveInactive);
  EXPECT_FALSE(AddCat(kLib, zip));
  const auto msgs = msgr.With(msgAlreadyInList);
  ASSERT_EQ(msgs.size(), 1u);
  EXPECT_EQ(msgs[0].Str(0), zip);
  EXPECT_TRUE(Rows(kLib).empty());
}

TEST_F(FolderListsTest, ReplaceRemovesEverySameArchiveRow) {
  const std::string zip = tree.File("a.zip", "PK"), other = tree.File("b.zwc", "Z");
  Row(kFresh, zip, dsArchive);
  Row(kFresh, other, dsArchive);
  Row(kFresh, zip, dsArchiveInactive);
  Row(kLib, zip, dsArchive);
  ASSERT_TRUE(AddCat(kFresh, zip, dsArchive, /*replace=*/true));
  EXPECT_EQ(Rows(kFresh), (std::vector<TDirRow>{{other, dsArchive}, {zip, dsArchive}}));
  EXPECT_TRUE(Rows(kLib).empty());
  EXPECT_TRUE(msgr.Messages().empty());
}

TEST_F(FolderListsTest, InsertRowChecksNothing) {
  const std::string data = Folder("data");
  Row(kFresh, data, dsRecursive);
  Row(kLib, data, dsSingle);
  EXPECT_EQ(InsertRow(model, host, kLib, data, 0, dsRecursive), 0);
  EXPECT_EQ(InsertRow(model, host, kLib, "not/checked", 99, dsInactive), 2);
  EXPECT_EQ(Rows(kLib), (std::vector<TDirRow>{{data, dsRecursive},
                                                {data, dsSingle},
                                                {"not/checked", dsInactive}}));
  EXPECT_TRUE(msgr.Messages().empty());
  EXPECT_GT(host.modelChanged, 0);
}

// --- dropped paths ---------------------------------------------------------------

TEST_F(FolderListsTest, AcceptableDropsAreFoldersAndArchiveOrCatalogFiles) {
  EXPECT_TRUE(IsAcceptableDrop(Folder("d")));
  EXPECT_TRUE(IsAcceptableDrop(tree.File("a.zip")));
  EXPECT_TRUE(IsAcceptableDrop(tree.File("b.ZWC")));
  EXPECT_FALSE(IsAcceptableDrop(tree.File("c.txt")));
  EXPECT_FALSE(IsAcceptableDrop(tree.File("zip")));
  EXPECT_FALSE(IsAcceptableDrop(tree.PathOf("missing.zip")));
}

TEST_F(FolderListsTest, ShortcutsStandForTheirTargets) {
  const std::string link = tree.File("to-dir.LNK", "L");
  const std::string target = Folder("target");
  EXPECT_FALSE(IsAcceptableDrop(link)) << "no resolver: refused";
  TShortcutResolver resolve = [&](const std::string& p) -> std::optional<std::string> {
    if (p == link) return target;
    return std::nullopt;
  };
  EXPECT_TRUE(IsAcceptableDrop(link, resolve));
  EXPECT_FALSE(IsAcceptableDrop(tree.File("broken.lnk"), resolve));
  ASSERT_TRUE(AddDroppedPath(model, host, msgr, kLib, link, kAppendRow, false, resolve));
  EXPECT_EQ(Rows(kLib), (std::vector<TDirRow>{{target, dsRecursive}}));
}

TEST_F(FolderListsTest, DroppedFoldersAreRecursiveOrExcludedWithTheRightButton) {
  const std::string a = Folder("a"), b = Folder("b");
  ASSERT_TRUE(AddDroppedPath(model, host, msgr, kFresh, a, kAppendRow, false));
  ASSERT_TRUE(AddDroppedPath(model, host, msgr, kFresh, b, 0, true));
  EXPECT_EQ(Rows(kFresh), (std::vector<TDirRow>{{b, dsExclude}, {a, dsRecursive}}));
}

TEST_F(FolderListsTest, DroppedArchivesAreScannedAndOtherFilesIgnored) {
  const std::string zip = tree.File("x.Zip", "PK");
  ASSERT_TRUE(AddDroppedPath(model, host, msgr, kFresh, zip, kAppendRow, true));
  EXPECT_FALSE(AddDroppedPath(model, host, msgr, kFresh, tree.File("y.txt"), kAppendRow, false));
  EXPECT_EQ(Rows(kFresh), (std::vector<TDirRow>{{zip, dsArchive}}));
  EXPECT_TRUE(msgr.Messages().empty());
}

TEST_F(FolderListsTest, DroppedFolderFollowsTheOverlapRules) {
  const std::string data = Folder("data");
  Row(kLib, data, dsRecursive);
  EXPECT_FALSE(AddDroppedPath(model, host, msgr, kFresh, data, kAppendRow, false));
  EXPECT_TRUE(msgr.Has(msgAlreadyInList));
}

// --- the add-folder dialog and the archive files dialog ---------------------------

TEST_F(FolderListsTest, AddButtonStartsAtTheSelectedRowAndUsesItsListAndState) {
  const std::string a = Folder("a"), b = Folder("b");
  Row(kFresh, Folder("f"), dsRecursive);
  Row(kLib, a, dsExclude);
  SelectFolderRow(model, kLib, 0);
  host.pickAnswers.push_back(b);
  ASSERT_TRUE(AddFolderButton(model, host, msgr));
  ASSERT_EQ(host.pickCalls.size(), 1u);
  EXPECT_EQ(host.pickCalls[0].second, a);
  EXPECT_EQ(Rows(kLib).back(), (TDirRow{b, dsExclude}));
}

TEST_F(FolderListsTest, AddButtonWithoutSelectionAddsARecursiveFreshFolder) {
  const std::string b = Folder("b");
  Row(kLib, Folder("l"), dsSingle);
  host.pickAnswers.push_back(pf::IncludeTrailingSep(b));
  ASSERT_TRUE(AddFolderButton(model, host, msgr));
  EXPECT_EQ(host.pickCalls[0].second, "");
  EXPECT_EQ(Rows(kFresh), (std::vector<TDirRow>{{b, dsRecursive}}));
}

TEST_F(FolderListsTest, CancelledPickerAddsNothing) {
  EXPECT_FALSE(AddFolderFromEmptyArea(model, host, msgr, kLib));
  EXPECT_EQ(host.pickCalls.size(), 1u);
  EXPECT_TRUE(Rows(kLib).empty());
  EXPECT_TRUE(msgr.Messages().empty());
}

TEST_F(FolderListsTest, PickedFolderThatVanishedGivesDirNotFound) {
  host.pickAnswers.push_back(tree.PathOf("vanished"));
  EXPECT_FALSE(AddFolderFromEmptyArea(model, host, msgr, kLib));
  EXPECT_TRUE(msgr.Has(msgDirNotFound));
}

TEST_F(FolderListsTest, ArchiveFilesGoToTheLibraryList) {
  const std::string a = tree.File("a.zip", "PK"), b = tree.File("sub/b.zwc", "Z");
  EXPECT_EQ(AddArchiveFiles(model, host, msgr, {a, tree.PathOf("none.zip"), b}), 2);
  EXPECT_EQ(Rows(kLib), (std::vector<TDirRow>{{a, dsArchive}, {b, dsArchive}}));
  EXPECT_TRUE(Rows(kFresh).empty());
  EXPECT_TRUE(msgr.Has(msgCatNotFound));
}

TEST_F(FolderListsTest, ArchiveDialogStartsAtTheSelectedOrLastArchiveRow) {
  EXPECT_EQ(ArchiveDialogFolder(model), "");
  const std::string a = tree.File("x/a.zip"), b = tree.File("y/b.zwc"), c = tree.File("z/c.zip");
  Row(kLib, c, dsArchive);
  EXPECT_EQ(ArchiveDialogFolder(model), tree.Dir("z"));
  Row(kFresh, a, dsArchive);
  Row(kFresh, b, dsArchiveInactive);
  Row(kFresh, Folder("w"), dsRecursive);
  EXPECT_EQ(ArchiveDialogFolder(model), tree.Dir("y"));
  SelectFolderRow(model, kFresh, 0);
  EXPECT_EQ(ArchiveDialogFolder(model), tree.Dir("x"));
  SelectFolderRow(model, kFresh, 2);  // a folder row: falls back to the last archive
  EXPECT_EQ(ArchiveDialogFolder(model), tree.Dir("y"));
}

// --- states ----------------------------------------------------------------------

TEST_F(FolderListsTest, FolderStatesCycleForwardsAndBackwards) {
  Row(kFresh, "f", dsSingle);
  std::vector<int> forward;
  for (int i = 0; i < 4; ++i) forward.push_back(CycleState(model, host, kFresh, 0, false));
  EXPECT_EQ(forward, (std::vector<int>{1, 2, 3, 0}));

  // Left clicks on a recursive row: single, inactive, exclude, recursive.
  model.fresh.rows[0].state = dsRecursive;
  std::vector<int> backward;
  for (int i = 0; i < 4; ++i) backward.push_back(CycleState(model, host, kFresh, 0, true));
  EXPECT_EQ(backward, (std::vector<int>{0, 3, 2, 1}));
  EXPECT_EQ(model.fresh.rows[0].state, dsRecursive);
}

TEST_F(FolderListsTest, ArchiveStatesToggleEitherWay) {
  Row(kLib, "a.zip", dsArchive);
  EXPECT_EQ(CycleState(model, host, kLib, 0, false), dsArchiveInactive);
  EXPECT_EQ(CycleState(model, host, kLib, 0, false), dsArchive);
  EXPECT_EQ(CycleState(model, host, kLib, 0, true), dsArchiveInactive);
  EXPECT_EQ(CycleState(model, host, kLib, 0, true), dsArchive);
}

TEST_F(FolderListsTest, EachStateHasItsHint) {
  EXPECT_EQ(StateHint(dsSingle), hntDirSimple);
  EXPECT_EQ(StateHint(dsRecursive), hntDirRecursive);
  EXPECT_EQ(StateHint(dsExclude), hntDirExclude);
  EXPECT_EQ(StateHint(dsInactive), hntDirIgnore);
  EXPECT_EQ(StateHint(dsArchive), hntCatSimple);
  EXPECT_EQ(StateHint(dsArchiveInactive), hntCatIgnore);
}

// --- removing folder rows ---------------------------------------------------------

TEST_F(FolderListsTest, RemovingSelectsTheRowThatTakesItsPlaceOrTheNewLast) {
  Row(kFresh, "a", dsSingle);
  Row(kFresh, "b", dsSingle);
  Row(kFresh, "c", dsSingle);
  SelectFolderRow(model, kFresh, 1);
  ASSERT_TRUE(RemoveSelectedFolder(model, host));
  EXPECT_EQ(Rows(kFresh), (std::vector<TDirRow>{{"a", dsSingle}, {"c", dsSingle}}));
  EXPECT_EQ(model.fresh.selected, 1);
  ASSERT_TRUE(RemoveSelectedFolder(model, host));
  EXPECT_EQ(model.fresh.selected, 0);
  ASSERT_TRUE(RemoveSelectedFolder(model, host));
  EXPECT_TRUE(Rows(kFresh).empty());
  EXPECT_EQ(model.fresh.selected, -1);
  EXPECT_FALSE(RemoveFolderEnabled(model));
}

TEST_F(FolderListsTest, RemovingTakesTheLibraryRowWhenThatIsSelected) {
  Row(kFresh, "a", dsSingle);
  Row(kLib, "l1", dsSingle);
  Row(kLib, "l2", dsSingle);
  SelectFolderRow(model, kLib, 1);
  ASSERT_TRUE(RemoveSelectedFolder(model, host));
  EXPECT_EQ(Rows(kLib), (std::vector<TDirRow>{{"l1", dsSingle}}));
  EXPECT_EQ(Rows(kFresh).size(), 1u);
  EXPECT_EQ(model.library.selected, 0);
  EXPECT_EQ(model.fresh.selected, -1);
}

TEST_F(FolderListsTest, WithoutSelectionRemovingOnlySelectsTheFirstRow) {
  Row(kLib, "l1", dsSingle);
  EXPECT_FALSE(RemoveSelectedFolder(model, host));
  EXPECT_EQ(model.library.selected, 0);
  EXPECT_EQ(Rows(kLib).size(), 1u);

  model.library.selected = -1;
  Row(kFresh, "a", dsSingle);
  EXPECT_FALSE(RemoveSelectedFolder(model, host));
  EXPECT_EQ(model.fresh.selected, 0);
  EXPECT_EQ(model.library.selected, -1);
  EXPECT_EQ(Rows(kFresh).size(), 1u);
}

TEST_F(FolderListsTest, SelectingARowClearsTheOtherListsSelection) {
  Row(kFresh, "a", dsSingle);
  Row(kLib, "b", dsSingle);
  SelectFolderRow(model, kFresh, 0);
  SelectFolderRow(model, kLib, 0);
  EXPECT_EQ(model.fresh.selected, -1);
  EXPECT_EQ(model.library.selected, 0);
  TFolderList list = kFresh;
  int32_t row = -1;
  ASSERT_TRUE(SelectedFolderRow(model, list, row));
  EXPECT_EQ(list, kLib);
  EXPECT_EQ(row, 0);
}

// --- masks ---------------------------------------------------------------------

class MaskListsTest : public ::testing::Test {
 protected:
  TWindowModel model;
  zwtest::ListsFakeHost host;
  zwtest::RecordingMessenger msgr;

  std::vector<std::string> Texts(TMaskListKind list) const {
    std::vector<std::string> out;
    for (const auto& r : MaskList(model, list).rows) out.push_back(r.text + (r.checked ? "+" : "-"));
    return out;
  }
  bool FromEdit(TMaskListKind list, const std::string& text) {
    MaskList(model, list).edit = text;
    return AddMaskFromEdit(model, host, msgr, list, true);
  }
};

constexpr auto kLimit = TMaskListKind::Limit;
constexpr auto kExclude = TMaskListKind::Exclude;

TEST_F(MaskListsTest, MasksAreStoredInLowerCaseAndTheFirstRowGetsSelected) {
  ASSERT_TRUE(AddMask(model, host, msgr, kExclude, "TEMP*", true));
  ASSERT_TRUE(AddMask(model, host, msgr, kExclude, "*.Bak", false));
  EXPECT_EQ(Texts(kExclude), (std::vector<std::string>{"temp*+", "*.bak-"}));
  EXPECT_EQ(model.excludeMasks.selected, 0);
  EXPECT_TRUE(Texts(kLimit).empty());
  EXPECT_TRUE(RemoveMaskEnabled(model, kExclude));
  EXPECT_FALSE(RemoveMaskEnabled(model, kLimit));
}

TEST_F(MaskListsTest, InvalidMaskIsRefusedWithItsText) {
  EXPECT_FALSE(AddMask(model, host, msgr, kLimit, "[A", true));
  const auto msgs = msgr.With(msgInvalidMask);
  ASSERT_EQ(msgs.size(), 1u);
  EXPECT_EQ(msgs[0].Str(0), "[A");
  EXPECT_TRUE(Texts(kLimit).empty());
}

TEST_F(MaskListsTest, AMaskAlreadyListedTakesTheNewCheckMarkAndMovesToTheEnd) {
  AddMask(model, host, msgr, kLimit, "*.a", true);
  AddMask(model, host, msgr, kLimit, "*.b", true);
  AddMask(model, host, msgr, kLimit, "*.c", true);
  model.limitMasks.selected = 0;
  ASSERT_TRUE(AddMask(model, host, msgr, kLimit, "*.A", false));
  EXPECT_EQ(Texts(kLimit), (std::vector<std::string>{"*.b+", "*.c+", "*.a-"}));
  EXPECT_EQ(model.limitMasks.selected, 2) << "the selection stays on its row";
}

TEST_F(MaskListsTest, BareExtensionsAreRecognised) {
  for (const char* yes : {".d", ".dll", ".html"}) EXPECT_TRUE(LooksLikeBareExtension(yes)) << yes;
  for (const char* no : {".", ".jpeg2", "dll", ".a.b", ".a*", ".a?", ".a b", "*.dll", ""})
    EXPECT_FALSE(LooksLikeBareExtension(no)) << no;
}

TEST_F(MaskListsTest, BareExtensionAnsweredYesGetsAStar) {
  msgr.answers = {ansYes};
  ASSERT_TRUE(FromEdit(kExclude, ".TXT"));
  EXPECT_EQ(Texts(kExclude), (std::vector<std::string>{"*.txt+"}));
  const auto asks = msgr.With(askCorrectMask);
  ASSERT_EQ(asks.size(), 1u);
  EXPECT_EQ(asks[0].kind, zwtest::RecordedMsg::Ask);
  EXPECT_EQ(asks[0].Str(0), ".TXT");
  EXPECT_EQ(model.excludeMasks.edit, "");
}

TEST_F(MaskListsTest, BareExtensionAnsweredNoOrByDefaultIsKeptAsTyped) {
  msgr.answers = {ansNo};
  ASSERT_TRUE(FromEdit(kLimit, ".txt"));
  ASSERT_TRUE(FromEdit(kLimit, ".log"));  // no answer queued: the default, No
  EXPECT_EQ(Texts(kLimit), (std::vector<std::string>{".txt+", ".log+"}));
  EXPECT_EQ(msgr.With(askCorrectMask).size(), 2u);
}

TEST_F(MaskListsTest, BareExtensionAnsweredCancelAddsNothingAndKeepsTheEdit) {
  msgr.answers = {ansCancel};
  EXPECT_FALSE(FromEdit(kLimit, ".txt"));
  EXPECT_TRUE(Texts(kLimit).empty());
  EXPECT_EQ(model.limitMasks.edit, ".txt");
}

TEST_F(MaskListsTest, OrdinaryMaskFromTheEditIsAddedWithoutAQuestion) {
  ASSERT_TRUE(FromEdit(kExclude, "TEMP*"));
  EXPECT_EQ(Texts(kExclude), (std::vector<std::string>{"temp*+"}));
  EXPECT_TRUE(msgr.Messages().empty());
  EXPECT_EQ(model.excludeMasks.edit, "");
}

TEST_F(MaskListsTest, EmptyEditDoesNothingAndInvalidEditKeepsItsText) {
  EXPECT_FALSE(FromEdit(kLimit, ""));
  EXPECT_TRUE(msgr.Messages().empty());
  EXPECT_FALSE(FromEdit(kLimit, "[x-"));
  EXPECT_TRUE(msgr.Has(msgInvalidMask));
  EXPECT_FALSE(msgr.Has(askCorrectMask));
  EXPECT_EQ(model.limitMasks.edit, "[x-");
  EXPECT_TRUE(Texts(kLimit).empty());
}

TEST_F(MaskListsTest, DoubleClickMovesTheRowIntoTheEdit) {
  AddMask(model, host, msgr, kExclude, "*.a", true);
  AddMask(model, host, msgr, kExclude, "*.b", false);
  model.excludeMasks.editSelStart = 3;
  EditMaskRow(model, host, kExclude, 1);
  EXPECT_EQ(model.excludeMasks.edit, "*.b");
  EXPECT_EQ(Texts(kExclude), (std::vector<std::string>{"*.a+"}));
  ASSERT_EQ(host.focused.size(), 1u);
  EXPECT_EQ(host.focused[0], TControl::EditExMa);
  EXPECT_EQ(model.excludeMasks.editSelStart, 0);
  EXPECT_EQ(model.excludeMasks.editSelLength, 0);
}

TEST_F(MaskListsTest, DroppedFilesGiveTheirExtensionOrWithShiftTheirName) {
  const std::string sep(1, pf::kPathSep);
  const std::vector<std::string> files = {"x" + sep + "a.JPG", "x" + sep + "readme",
                                          "x" + sep + "b.tar.GZ"};
  EXPECT_EQ(AddDroppedMaskFiles(model, host, msgr, kLimit, files, false), 2);
  EXPECT_EQ(Texts(kLimit), (std::vector<std::string>{"*.jpg+", "*.gz+"}));
  EXPECT_EQ(AddDroppedMaskFiles(model, host, msgr, kExclude, files, true), 3);
  EXPECT_EQ(Texts(kExclude), (std::vector<std::string>{"a.jpg+", "readme+", "b.tar.gz+"}));
}

TEST_F(MaskListsTest, DroppedFileNamesThatAreNoValidMaskAreRefused) {
  EXPECT_EQ(AddDroppedMaskFiles(model, host, msgr, kLimit, {"[odd.txt"}, true), 0);
  EXPECT_TRUE(msgr.Has(msgInvalidMask));
}

TEST_F(MaskListsTest, RemovingSelectsTheNextRowOrTheNewLast) {
  for (const char* m : {"a", "b", "c"}) AddMask(model, host, msgr, kLimit, m, true);
  model.limitMasks.selected = 1;
  ASSERT_TRUE(RemoveSelectedMask(model, host, kLimit));
  EXPECT_EQ(Texts(kLimit), (std::vector<std::string>{"a+", "c+"}));
  EXPECT_EQ(model.limitMasks.selected, 1);
  ASSERT_TRUE(RemoveSelectedMask(model, host, kLimit));
  EXPECT_EQ(model.limitMasks.selected, 0);
  ASSERT_TRUE(RemoveSelectedMask(model, host, kLimit));
  EXPECT_EQ(model.limitMasks.selected, -1);
  EXPECT_FALSE(RemoveMaskEnabled(model, kLimit));
}

TEST_F(MaskListsTest, WithoutSelectionRemovingOnlySelectsTheFirstRow) {
  model.excludeMasks.rows = {{"a", true}, {"b", false}};
  EXPECT_FALSE(RemoveSelectedMask(model, host, kExclude));
  EXPECT_EQ(model.excludeMasks.selected, 0);
  EXPECT_EQ(model.excludeMasks.rows.size(), 2u);
}

TEST_F(MaskListsTest, PendingMasksAreOfferedLimitEditFirst) {
  model.limitMasks.edit = "*.Doc";
  model.excludeMasks.edit = "~*";
  msgr.answers = {ansYes, ansNo};
  AskPendingMasks(model, host, msgr);
  const auto asks = msgr.With(askAddMask);
  ASSERT_EQ(asks.size(), 2u);
  EXPECT_EQ(asks[0].Str(0), "*.Doc");
  EXPECT_EQ(asks[1].Str(0), "~*");
  EXPECT_EQ(host.focused, (std::vector<TControl>{TControl::EditLiMa, TControl::EditExMa}));
  EXPECT_EQ(Texts(kLimit), (std::vector<std::string>{"*.doc+"}));
  EXPECT_EQ(model.limitMasks.edit, "");
  EXPECT_TRUE(Texts(kExclude).empty());
  EXPECT_EQ(model.excludeMasks.edit, "~*") << "No leaves the text in the edit";
  EXPECT_EQ(model.excludeMasks.editSelStart, 0);
  EXPECT_EQ(model.excludeMasks.editSelLength, 2) << "the text is selected for the question";
}

TEST_F(MaskListsTest, PendingMaskDefaultAnswerIsYes) {
  model.excludeMasks.edit = "*.tmp";
  AskPendingMasks(model, host, msgr);
  EXPECT_EQ(Texts(kExclude), (std::vector<std::string>{"*.tmp+"}));
  EXPECT_EQ(msgr.With(askAddMask).size(), 1u) << "an empty limit edit asks nothing";
}

TEST_F(MaskListsTest, NoPendingMaskNoQuestion) {
  AskPendingMasks(model, host, msgr);
  EXPECT_TRUE(msgr.Messages().empty());
  EXPECT_TRUE(host.focused.empty());
}

}  // namespace
