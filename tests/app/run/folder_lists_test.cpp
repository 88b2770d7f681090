#include "app/run/folder_lists.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <deque>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "app/support/test_host.h"
#include "app/text/message_table.h"
#include "app/text_ids.h"
#include "platform/paths.h"
#include "support/recording_messenger.h"
#include "support/temp_tree.h"

using namespace zw;
namespace pf = zw::platform;

namespace {

constexpr auto kFresh = TFolderList::Fresh;
constexpr auto kLib = TFolderList::Library;
constexpr const char kStates[] = "srxiaA";  // single, recursive, exclude, inactive, archive, off

// Folder lists written as "data:r sub:i | lib:s": fresh rows, then library
// rows; paths relative to a temporary root ("~" is the root itself, a
// trailing "/" a stored trailing separator), each with its state letter.
class FolderListsTest : public ::testing::Test {
 protected:
  // A real folder below the root, without trailing separator.
  std::string Folder(const std::string& rel) { return pf::ExcludeTrailingSep(tree.Dir(rel)); }
  std::string PathOf(const std::string& rel) {
    if (rel == "~") return tree.Root();
    if (rel.back() == '/') return pf::IncludeTrailingSep(Folder(rel.substr(0, rel.size() - 1)));
    return Folder(rel);
  }
  std::string Rel(std::string path) const {
    const std::string root = tree.Root();
    if (path == root) return "~";
    if (path.rfind(root, 0) == 0) path = path.substr(root.size());
    for (char& c : path)
      if (c == pf::kPathSep) c = '/';
    return path;
  }
  void SetLists(const std::string& text) {
    std::istringstream in(text);
    TFolderList list = kFresh;
    for (std::string token; in >> token;) {
      if (token == "|") {
        list = kLib;
        continue;
      }
      const size_t colon = token.rfind(':');
      const uint8_t state = uint8_t(std::string(kStates).find(token[colon + 1]));
      model.Folders(list).rows.push_back({PathOf(token.substr(0, colon)), state});
    }
  }
  std::string Lists() const {
    std::string rows[2];
    for (const TFolderList list : {kFresh, kLib})
      for (const TDirRow& r : model.Folders(list).rows)
        rows[int(list)] += (rows[int(list)].empty() ? "" : " ") + Rel(r.caption) + ":" +
                           kStates[r.state];
    return rows[0] + (rows[0].empty() ? "|" : " |") + (rows[1].empty() ? "" : " " + rows[1]);
  }
  std::string Messages() const {
    std::string out;
    for (const auto& m : msgr().Messages()) {
      out += (out.empty() ? "" : "; ") + std::string(TMessageTable::NameOf(m.id));
      for (size_t i = 0; i < m.args.size(); ++i) out += " " + Rel(m.Str(i));
    }
    return out;
  }
  std::string Selection() const {
    if (model.fresh.selected >= 0) return "f" + std::to_string(model.fresh.selected);
    if (model.library.selected >= 0) return "l" + std::to_string(model.library.selected);
    return "-";
  }
  bool Add(TFolderList list, const std::string& path, uint8_t state, bool replace = false,
           int32_t position = kAppendRow) {
    return AddFolder(model, host, msgr(), list, path, position, replace, state);
  }
  bool AddCat(TFolderList list, const std::string& path, uint8_t state = dsArchive,
              bool replace = false) {
    return AddArchiveOrCatalog(model, host, msgr(), list, path, kAppendRow, replace, state);
  }

  zwtest::RecordingMessenger& msgr() const { return *messages; }

  zwtest::TempTree tree;
  TWindowModel model;
  zwtest::TestHost host;
  mutable std::optional<zwtest::RecordingMessenger> messages{std::in_place};
};

// --- the overlap rules of adding a folder -------------------------------------------

struct AddCase {
  const char* what;
  const char* before;
  const char* add;  // "f data/sub:r" (list, path, state); "+" at the end: replace
  const char* after;
  const char* messages;
  const char* selection = "-";  // afterwards; a row named shows, too
  bool freshSelected = false;    // before: the first fresh row
};

const AddCase kAddCases[] = {
    {"a trailing separator goes", "|", "f data/:r", "data:r |", ""},
    {"same folder inactive in the other list", "data:i |", "l data:r", "data:i | data:r", ""},
    {"same folder active in both lists", "data:s |", "l data/:s", "data:s |",
     "msgAlreadyInList data"},
    {"same folder excluded in the other list", "| data:x", "f data:r", "data:r | data:x", ""},
    {"a new exclude row against an active row", "other:r |", "l other:x", "other:r | other:x",
     ""},
    {"same folder in the target list, whatever the states", "| data:x", "l data:i", "| data:x",
     "msgAlreadyInList data"},
    {"a stored trailing separator is the same folder", "data/:s |", "f data:s", "data/:s |",
     "msgAlreadyInList data"},
    {"replace removes the conflicting rows", "a:s data:r b:s | data:s", "l data:r+",
     "a:s b:s | data:r", ""},
    {"replace keeps rows without conflict", "data:i |", "l data:s+", "data:i | data:s", ""},
    {"inside a recursive row: inactive", "first:s data:r |", "f data/sub:r",
     "first:s data:r data/sub:i |", "msgNewFolderIsSubdirOfExisting data/sub data", "f1"},
    {"inside a recursive row of the other list, as a single folder", "x:s | data:r",
     "f data/sub:s", "x:s data/sub:i | data:r", "msgNewFolderIsSubdirOfExisting data/sub data",
     "l0", true},  // the two lists share one selection
    {"covered by an exclude row of the recursive row's list", "data:r data/sub:x |",
     "l data/sub/deeper:r", "data:r data/sub:x | data/sub/deeper:r", ""},
    {"an exclude row of another list does not cover", "data:r | data/sub:x",
     "f data/sub/deeper:r", "data:r data/sub/deeper:i | data/sub:x",
     "msgNewFolderIsSubdirOfExisting data/sub/deeper data", "f0"},
    {"excluded subfolder of a recursive row", "data:r |", "f data/a:x", "data:r data/a:x |", ""},
    {"inactive subfolder of a recursive row", "data:r |", "f data/b:i", "data:r data/b:i |", ""},
    {"a single row holds no subfolders", "data:s |", "f data/sub:r", "data:s data/sub:r |", ""},
    {"an inactive row holds no subfolders", "| lib:i", "f lib/sub:r", "lib/sub:r | lib:i", ""},
    {"a common prefix is no subfolder", "data:r |", "f database:r", "data:r database:r |", ""},
    {"the first recursive row that holds it ends the check", "data:r | ~:r data/sub/inner:s",
     "l data/sub:r", "data:r | ~:r data/sub/inner:s data/sub:i",
     "msgNewFolderIsSubdirOfExisting data/sub data", "f0"},
    {"after the subfolder message an equal row refuses no more", "data:r | data/sub:x",
     "l data/sub:s", "data:r | data/sub:x data/sub:i",
     "msgNewFolderIsSubdirOfExisting data/sub data", "f0"},
    {"recursive above an active row: single", "data/sub:s |", "f data:r",
     "data/sub:s data:s |", "msgExistingFolderIsSubdirOfNew data/sub data", "f0"},
    {"active row covered by an exclude row of the target list", "data/sub:x | data/sub/x:r",
     "f data:r", "data/sub:x data:r | data/sub/x:r", ""},
    {"an exclude row of the active row's own list does not cover", "| data/sub/x:s data/sub:x",
     "f data:r", "data:s | data/sub/x:s data/sub:x",
     "msgExistingFolderIsSubdirOfNew data/sub/x data", "l0"},
    {"inactive and excluded rows below a new recursive folder", "data/a:i | data/b:x",
     "f data:r", "data/a:i data:r | data/b:x", ""},
    {"a new single folder above an active row", "data/sub:r |", "f data:s",
     "data/sub:r data:s |", ""},
    {"after becoming single the check goes on upwards", "top/data/sub:s | top:r",
     "f top/data:r", "top/data/sub:s top/data:i | top:r",
     "msgExistingFolderIsSubdirOfNew top/data/sub top/data; "
     "msgNewFolderIsSubdirOfExisting top/data top",
     "l0"},
};

TEST_F(FolderListsTest, OverlapRulesOfAddingAFolder) {
  for (const AddCase& c : kAddCases) {
    SCOPED_TRACE(c.what);
    model = TWindowModel{};
    messages.emplace();
    host.Clear();
    SetLists(c.before);
    if (c.freshSelected) SelectFolderRow(model, kFresh, 0);
    std::string add = c.add;
    const bool replace = add.back() == '+';
    if (replace) add.pop_back();
    const size_t colon = add.rfind(':');
    const uint8_t state = uint8_t(std::string(kStates).find(add[colon + 1]));
    const bool added = Add(add[0] == 'f' ? kFresh : kLib, PathOf(add.substr(2, colon - 2)),
                           state, replace);
    EXPECT_EQ(added, Lists() != std::string(c.before));
    EXPECT_EQ(Lists(), c.after);
    EXPECT_EQ(Messages(), c.messages);
    EXPECT_EQ(Selection(), c.selection);
    const auto shown = host.CallsOf(zwtest::HostCall::ShowFolderRow);
    if (std::string(c.selection) != "-") {
      ASSERT_FALSE(shown.empty());
      EXPECT_EQ(std::string(shown.back().a == 0 ? "f" : "l") + std::to_string(shown.back().b),
                c.selection);
    }
  }
}

// However a folder is spelled, it is the same folder: a second row for it
// is refused, and a row keeps the full form of the name the user gave.
TEST_F(FolderListsTest, AFolderSpelledAnotherWayIsTheSameFolder) {
  const std::string data = Folder("data");
  tree.Dir("data/sub");
  const std::string sep(1, pf::kPathSep);
  const std::string root = pf::ExcludeTrailingSep(tree.Root());
  std::vector<std::string> spellings = {root + sep + sep + "data",
                                        root + sep + "." + sep + "data" + sep,
                                        root + sep + "data" + sep + "sub" + sep + ".."};
#ifndef _WIN32
  std::filesystem::create_directory_symlink(data, tree.PathOf("link"));
  spellings.push_back(tree.PathOf("link"));
#endif
  for (const std::string& spelling : spellings) {
    model = TWindowModel{};
    ASSERT_TRUE(Add(kFresh, data, dsRecursive));
    for (const TFolderList list : {kFresh, kLib}) {
      const size_t refusals = msgr().With(msgAlreadyInList).size();
      EXPECT_FALSE(Add(list, spelling, dsRecursive)) << spelling;
      EXPECT_EQ(msgr().With(msgAlreadyInList).size(), refusals + 1) << spelling;
    }
  }
  // A relative name becomes a full one.
  model = TWindowModel{};
  const std::filesystem::path before = std::filesystem::current_path();
  std::filesystem::current_path(tree.RootPath());
  ASSERT_TRUE(Add(kLib, "data", dsSingle));
  std::filesystem::current_path(before);
  ASSERT_EQ(model.library.rows.size(), 1u);
  EXPECT_TRUE(pf::SamePath(model.library.rows[0].caption, data));
}

TEST_F(FolderListsTest, LetterCaseFollowsThePlatformsPathIdentity) {
  SetLists("data:s |");
  if (!pf::kCaseInsensitivePaths) tree.Dir("DATA");
  EXPECT_EQ(Add(kFresh, tree.PathOf("DATA"), dsSingle), !pf::kCaseInsensitivePaths)
      << "on POSIX /x/DATA and /x/data are two folders";
  EXPECT_EQ(msgr().Has(msgAlreadyInList), pf::kCaseInsensitivePaths);
}

TEST_F(FolderListsTest, AddedRowIsShownNotSelectedAndKeepsTheSelectionOnItsRow) {
  SetLists("a:s b:s |");
  SelectFolderRow(model, kFresh, 1);
  ASSERT_TRUE(Add(kFresh, Folder("c"), dsSingle, false, 1));
  EXPECT_EQ(Lists(), "a:s c:s b:s |");
  EXPECT_EQ(model.fresh.selected, 2);
  EXPECT_EQ(model.fresh.scrollTo, 1);
  const std::string root(tree.Root().substr(0, pf::PathRootLength(tree.Root())));
  ASSERT_TRUE(Add(kLib, root, dsSingle));
  EXPECT_EQ(model.library.rows[0].caption, root) << "a root keeps its separator";
  EXPECT_EQ(model.library.selected, -1);
}

TEST_F(FolderListsTest, MissingFolderOrAFileIsRefusedWithDirNotFound) {
  EXPECT_FALSE(Add(kFresh, pf::IncludeTrailingSep(tree.PathOf("nothing-here")), dsRecursive));
  EXPECT_FALSE(Add(kFresh, tree.File("f.txt", "x"), dsSingle));
  EXPECT_EQ(Messages(), "msgDirNotFound nothing-here; msgDirNotFound f.txt");
  EXPECT_EQ(Lists(), "|");
  EXPECT_FALSE(RemoveFolderEnabled(model));
}

// --- archive and catalog rows -------------------------------------------------------

TEST_F(FolderListsTest, ArchiveRowsAreRefusedTwiceAndReplacedEverywhere) {
  const std::string zip = tree.File("a.zip", "PK"), other = tree.File("b.zwc", "Z");
  ASSERT_TRUE(AddCat(kFresh, zip, dsArchiveInactive));
  EXPECT_FALSE(AddCat(kLib, zip));
  EXPECT_EQ(Messages(), "msgAlreadyInList a.zip");
  EXPECT_FALSE(AddCat(kLib, tree.PathOf("gone.zwc")));
  EXPECT_FALSE(AddCat(kLib, Folder("dir.zip")));
  EXPECT_EQ(msgr().With(msgCatNotFound).size(), 2u);
  ASSERT_TRUE(AddCat(kFresh, other));
  model.fresh.rows.push_back({zip, dsArchive});
  model.library.rows.push_back({zip, dsArchive});
  ASSERT_TRUE(AddCat(kFresh, zip, dsArchive, /*replace=*/true));
  EXPECT_EQ(Lists(), "b.zwc:a a.zip:a |");
}

TEST_F(FolderListsTest, InsertRowChecksNothing) {
  SetLists("data:r | data:s");
  EXPECT_EQ(InsertRow(model, host, kLib, Folder("data"), 0, dsRecursive), 0);
  EXPECT_EQ(InsertRow(model, host, kLib, "not/checked", 99, dsInactive), 2);
  EXPECT_EQ(Lists(), "data:r | data:r data:s not/checked:i");
  EXPECT_TRUE(msgr().Messages().empty());
  EXPECT_GT(host.Count(zwtest::HostCall::ModelChanged), 0u);
}

// --- dropped paths -----------------------------------------------------------------

TEST_F(FolderListsTest, DropsAreFoldersAndArchivesShortcutsStandForTheirTargets) {
  EXPECT_TRUE(IsAcceptableDrop(Folder("d")));
  EXPECT_TRUE(IsAcceptableDrop(tree.File("b.ZWC")));
  EXPECT_FALSE(IsAcceptableDrop(tree.File("c.txt")));
  EXPECT_FALSE(IsAcceptableDrop(tree.File("zip")));
  EXPECT_FALSE(IsAcceptableDrop(tree.PathOf("missing.zip")));
  const std::string link = tree.File("to-dir.LNK", "L"), target = Folder("target");
  EXPECT_FALSE(IsAcceptableDrop(link)) << "no resolver: refused";
  TShortcutResolver resolve = [&](const std::string& p) -> std::optional<std::string> {
    return p == link ? std::optional<std::string>(target) : std::nullopt;
  };
  EXPECT_FALSE(IsAcceptableDrop(tree.File("broken.lnk"), resolve));
  ASSERT_TRUE(AddDroppedPath(model, host, msgr(), kLib, link, kAppendRow, false, resolve));
  // Folders come recursive, or excluded with the right button; archives are
  // scanned; other files are ignored.
  ASSERT_TRUE(AddDroppedPath(model, host, msgr(), kFresh, Folder("a"), kAppendRow, false));
  ASSERT_TRUE(AddDroppedPath(model, host, msgr(), kFresh, Folder("b"), 0, true));
  ASSERT_TRUE(AddDroppedPath(model, host, msgr(), kFresh, tree.File("x.Zip", "PK"), kAppendRow,
                             true));
  EXPECT_FALSE(AddDroppedPath(model, host, msgr(), kFresh, tree.File("y.txt"), kAppendRow, false));
  EXPECT_EQ(Lists(), "b:x a:r x.Zip:a | target:r");
  EXPECT_TRUE(msgr().Messages().empty());
  // The overlap rules hold for drops too.
  EXPECT_FALSE(AddDroppedPath(model, host, msgr(), kFresh, target, kAppendRow, false));
  EXPECT_EQ(Messages(), "msgAlreadyInList target");
}

// --- the add-folder dialog and the archive files dialog --------------------------

TEST_F(FolderListsTest, AddButtonStartsAtTheSelectedRowAndUsesItsListAndState) {
  SetLists("f:r | a:x");
  SelectFolderRow(model, kLib, 0);
  host.folders = {Folder("b")};
  ASSERT_TRUE(AddFolderButton(model, host, msgr()));
  EXPECT_EQ(host.CallsOf(zwtest::HostCall::PickFolder).at(0).caption, Folder("a"));
  // Without a selection: a recursive folder of the fresh list, picked from nowhere.
  SelectFolderRow(model, kLib, -1);
  host.folders = {pf::IncludeTrailingSep(Folder("c"))};
  ASSERT_TRUE(AddFolderButton(model, host, msgr()));
  EXPECT_EQ(host.CallsOf(zwtest::HostCall::PickFolder).at(1).caption, "");
  EXPECT_EQ(Lists(), "f:r c:r | a:x b:x");
  // Cancelled, or a folder that vanished meanwhile.
  EXPECT_FALSE(AddFolderFromEmptyArea(model, host, msgr(), kLib));
  host.folders = {tree.PathOf("vanished")};
  EXPECT_FALSE(AddFolderFromEmptyArea(model, host, msgr(), kLib));
  EXPECT_EQ(Messages(), "msgDirNotFound vanished");
}

TEST_F(FolderListsTest, TheWindowsDialogChoosesListAndStateAndStartsAtTheSelectedRow) {
  SetLists("f:r | a:x");
  std::vector<TAddFolderChoice> starts;
  std::optional<TAddFolderChoice> answer;
  const TAddFolderDialog dialog = [&](TAddFolderChoice& choice) {
    starts.push_back(choice);
    if (!answer) return false;
    choice = *answer;
    return true;
  };
  // The selected library row gives the start; the user picks another list and state.
  SelectFolderRow(model, kLib, 0);
  answer = TAddFolderChoice{kFresh, pf::IncludeTrailingSep(Folder("b")), dsSingle};
  ASSERT_TRUE(AddFolderButton(model, host, msgr(), dialog));
  ASSERT_EQ(starts.size(), 1u);
  EXPECT_EQ(starts[0].list, kLib);
  EXPECT_EQ(starts[0].path, Folder("a"));
  EXPECT_EQ(starts[0].state, dsExclude);
  // A double click in the empty library area starts there with a recursive folder.
  answer = TAddFolderChoice{kLib, Folder("c"), dsInactive};
  ASSERT_TRUE(AddFolderFromEmptyArea(model, host, msgr(), dialog, kLib));
  EXPECT_EQ(starts[1].list, kLib);
  EXPECT_EQ(starts[1].path, "");
  EXPECT_EQ(starts[1].state, dsRecursive);
  EXPECT_EQ(Lists(), "f:r b:s | a:x c:i");
  // The overlap rules hold: c inside f (recursive) comes in inactive.
  answer = TAddFolderChoice{kLib, Folder("f/sub"), dsRecursive};
  ASSERT_TRUE(AddFolderFromEmptyArea(model, host, msgr(), dialog, kLib));
  EXPECT_EQ(Messages(), "msgNewFolderIsSubdirOfExisting f/sub f");
  // Cancelled: nothing changes and the host's picker is never asked.
  answer.reset();
  EXPECT_FALSE(AddFolderButton(model, host, msgr(), dialog));
  EXPECT_EQ(Lists(), "f:r b:s | a:x c:i f/sub:i");
  EXPECT_TRUE(host.CallsOf(zwtest::HostCall::PickFolder).empty());
}

TEST_F(FolderListsTest, TheDialogsFolderEntryIsAFullPathOfAnExistingFolder) {
  const std::string folder = Folder("d");
  EXPECT_FALSE(CheckFolderEntry("", true).valid);
  const TFolderEntry typed = CheckFolderEntry(pf::IncludeTrailingSep(folder), true);
  EXPECT_TRUE(typed.valid);
  EXPECT_FALSE(typed.network);
  EXPECT_EQ(pf::ExcludeTrailingSep(typed.full), folder);
  EXPECT_FALSE(CheckFolderEntry(tree.PathOf("missing"), true).valid);
  EXPECT_FALSE(CheckFolderEntry(tree.File("a.txt", "x"), false).valid);
  // A network path is taken while typing and looked at on confirming.
  std::string share = "//no-such-server-zw/share";
  if (pf::kPathSep == '\\') share = "\\\\no-such-server-zw\\share";
  const TFolderEntry typing = CheckFolderEntry(share, true);
  EXPECT_TRUE(typing.valid);
  EXPECT_TRUE(typing.network);
  EXPECT_FALSE(CheckFolderEntry(share, false).valid);
}

TEST(ArchiveDialogTest, FilterOffersBothTypesThenEachInTheLanguageInForce) {
  EXPECT_EQ(ArchiveDialogTitle(), "add archive / catalog file");
  EXPECT_EQ(ArchiveDialogFilter(),
            "All supported types (*.zwc, *.zip)|*.zwc;*.zip|Zwillo Catalog files (.zwc)|*.zwc|"
            "Compressed archive (e.g. ZIP)|*.zip");
}

TEST_F(FolderListsTest, ArchiveFilesGoToTheLibraryAndTheirDialogStartsAtOne) {
  EXPECT_EQ(ArchiveDialogFolder(model), "");
  const std::string a = tree.File("x/a.zip"), b = tree.File("y/b.zwc"), c = tree.File("z/c.zip");
  EXPECT_EQ(AddArchiveFiles(model, host, msgr(), {c, tree.PathOf("none.zip")}), 1);
  EXPECT_EQ(Messages(), "msgCatNotFound none.zip");
  EXPECT_EQ(ArchiveDialogFolder(model), tree.Dir("z"));
  model.fresh.rows = {{a, dsArchive}, {b, dsArchiveInactive}, {Folder("w"), dsRecursive}};
  EXPECT_EQ(ArchiveDialogFolder(model), tree.Dir("y")) << "the last archive of the fresh list";
  SelectFolderRow(model, kFresh, 0);
  EXPECT_EQ(ArchiveDialogFolder(model), tree.Dir("x"));
  SelectFolderRow(model, kFresh, 2);  // a folder row: back to the last archive
  EXPECT_EQ(ArchiveDialogFolder(model), tree.Dir("y"));
}

// --- states and removal -------------------------------------------------------------

TEST_F(FolderListsTest, StatesCycleForwardsAndBackwardsArchivesToggle) {
  model.fresh.rows = {{"f", dsSingle}, {"a.zip", dsArchive}};
  std::string forward, backward, archive;
  for (int i = 0; i < 4; ++i) forward += kStates[CycleState(model, host, kFresh, 0, false)];
  model.fresh.rows[0].state = dsRecursive;
  for (int i = 0; i < 4; ++i) backward += kStates[CycleState(model, host, kFresh, 0, true)];
  for (bool back : {false, false, true, true})
    archive += kStates[CycleState(model, host, kFresh, 1, back)];
  EXPECT_EQ(forward, "rxis");
  EXPECT_EQ(backward, "sixr");
  EXPECT_EQ(archive, "AaAa");
}

TEST_F(FolderListsTest, RemovingSelectsTheRowAtItsPlaceOrTheNewLast) {
  model.fresh.rows = {{"a", dsSingle}, {"b", dsSingle}, {"c", dsSingle}};
  model.library.rows = {{"l1", dsSingle}, {"l2", dsSingle}};
  SelectFolderRow(model, kLib, 1);
  ASSERT_TRUE(RemoveSelectedFolder(model, host));
  EXPECT_EQ(Lists(), "a:s b:s c:s | l1:s");
  EXPECT_EQ(Selection(), "l0");
  SelectFolderRow(model, kFresh, 1);
  std::string selections;
  while (RemoveSelectedFolder(model, host)) selections += Selection() + " ";
  EXPECT_EQ(selections, "f1 f0 - ");
  EXPECT_EQ(Lists(), "| l1:s");
  // Without a selection the first row is only selected, fresh list first.
  EXPECT_EQ(Selection(), "l0");
  TFolderList list = kFresh;
  int32_t row = -1;
  ASSERT_TRUE(SelectedFolderRow(model, list, row));
  EXPECT_EQ(list, kLib);
  SelectFolderRow(model, kLib, -1);
  model.fresh.rows = {{"a", dsSingle}};
  EXPECT_FALSE(RemoveSelectedFolder(model, host));
  EXPECT_EQ(Selection(), "f0");
  EXPECT_TRUE(RemoveFolderEnabled(model));
}

// --- masks ---------------------------------------------------------------------------

class MaskListsTest : public ::testing::Test {
 protected:
  std::string Texts(TMaskListKind list) const {
    std::string out;
    for (const auto& r : MaskList(model, list).rows) out += r.text + (r.checked ? "+ " : "- ");
    return out;
  }
  bool FromEdit(TMaskListKind list, const std::string& text) {
    MaskList(model, list).edit = text;
    return AddMaskFromEdit(model, host, msgr(), list, true);
  }
  bool Add(TMaskListKind list, const std::string& mask, bool checked = true) {
    return AddMask(model, host, msgr(), list, mask, checked);
  }

  zwtest::RecordingMessenger& msgr() { return *messages; }

  TWindowModel model;
  zwtest::TestHost host;
  std::optional<zwtest::RecordingMessenger> messages{std::in_place};
};

constexpr auto kLimit = TMaskListKind::Limit;
constexpr auto kExclude = TMaskListKind::Exclude;

TEST_F(MaskListsTest, MasksAreStoredInLowerCaseAndAnAgainListedOneMovesToTheEnd) {
  ASSERT_TRUE(Add(kLimit, "*.A"));
  ASSERT_TRUE(Add(kLimit, "*.b"));
  EXPECT_EQ(model.limitMasks.selected, 0);
  ASSERT_TRUE(Add(kLimit, "*.a", false));
  EXPECT_EQ(Texts(kLimit), "*.b+ *.a- ");
  EXPECT_EQ(model.limitMasks.selected, 1) << "the selection stays on its row";
  EXPECT_FALSE(Add(kLimit, "[A"));
  EXPECT_EQ(msgr().With(msgInvalidMask).at(0).Str(0), "[A");
  EXPECT_EQ(Texts(kExclude), "");
  EXPECT_FALSE(RemoveMaskEnabled(model, kExclude));
}

TEST_F(MaskListsTest, BareExtensionsAreRecognised) {
  for (const char* yes : {".d", ".dll", ".html"}) EXPECT_TRUE(LooksLikeBareExtension(yes)) << yes;
  for (const char* no : {".", ".jpeg2", "dll", ".a.b", ".a*", ".a?", ".a b", "*.dll", ""})
    EXPECT_FALSE(LooksLikeBareExtension(no)) << no;
}

TEST_F(MaskListsTest, TheEditOffersAStarForABareExtension) {
  struct Case {
    const char* typed;
    std::deque<int> answers;
    bool added;
    const char* list;
    const char* editAfter;
    size_t asked;
  } cases[] = {
      {".TXT", {ansYes}, true, "*.txt+ ", "", 1},
      {".txt", {ansNo}, true, ".txt+ ", "", 1},
      {".log", {}, true, ".log+ ", "", 1},  // the default: No
      {".txt", {ansCancel}, false, "", ".txt", 1},
      {"TEMP*", {}, true, "temp*+ ", "", 0},
      {"", {}, false, "", "", 0},
      {"[x-", {}, false, "", "[x-", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    model = TWindowModel{};
    messages.emplace();
    msgr().answers = c.answers;
    EXPECT_EQ(FromEdit(kExclude, c.typed), c.added);
    EXPECT_EQ(Texts(kExclude), c.list);
    EXPECT_EQ(model.excludeMasks.edit, c.editAfter);
    EXPECT_EQ(msgr().With(askCorrectMask).size(), c.asked);
  }
  EXPECT_TRUE(msgr().Has(msgInvalidMask));
}

TEST_F(MaskListsTest, DoubleClickMovesTheRowIntoTheEdit) {
  Add(kExclude, "*.a");
  Add(kExclude, "*.b", false);
  model.excludeMasks.editSelStart = 3;
  EditMaskRow(model, host, kExclude, 1);
  EXPECT_EQ(model.excludeMasks.edit, "*.b");
  EXPECT_EQ(Texts(kExclude), "*.a+ ");
  EXPECT_EQ(host.Focused(), std::vector<TControl>{TControl::EditExMa});
  EXPECT_EQ(model.excludeMasks.editSelStart, 0);
}

TEST_F(MaskListsTest, DroppedFilesGiveTheirExtensionOrWithShiftTheirName) {
  const std::string sep(1, pf::kPathSep);
  const std::vector<std::string> files = {"x" + sep + "a.JPG", "x" + sep + "readme",
                                          "x" + sep + "b.tar.GZ"};
  EXPECT_EQ(AddDroppedMaskFiles(model, host, msgr(), kLimit, files, false), 2);
  EXPECT_EQ(AddDroppedMaskFiles(model, host, msgr(), kExclude, files, true), 3);
  EXPECT_EQ(AddDroppedMaskFiles(model, host, msgr(), kExclude, {"[odd.txt"}, true), 0);
  EXPECT_EQ(Texts(kLimit), "*.jpg+ *.gz+ ");
  EXPECT_EQ(Texts(kExclude), "a.jpg+ readme+ b.tar.gz+ ");
  EXPECT_TRUE(msgr().Has(msgInvalidMask));
}

TEST_F(MaskListsTest, RemovingSelectsTheNextRowOrTheNewLast) {
  for (const char* m : {"a", "b", "c"}) Add(kLimit, m);
  EXPECT_FALSE(RemoveSelectedMask(model, host, kExclude));
  model.limitMasks.selected = -1;
  EXPECT_FALSE(RemoveSelectedMask(model, host, kLimit)) << "only selects the first row";
  EXPECT_EQ(model.limitMasks.selected, 0);
  model.limitMasks.selected = 1;
  std::string selections;
  while (RemoveSelectedMask(model, host, kLimit))
    selections += std::to_string(model.limitMasks.selected) + " ";
  EXPECT_EQ(selections, "1 0 -1 ");
  EXPECT_FALSE(RemoveMaskEnabled(model, kLimit));
}

TEST_F(MaskListsTest, PendingMasksAreOfferedLimitEditFirstWithYesAsDefault) {
  model.limitMasks.edit = "*.Doc";
  model.excludeMasks.edit = "~*";
  msgr().answers = {ansNo};
  AskPendingMasks(model, host, msgr());
  const auto asks = msgr().With(askAddMask);
  ASSERT_EQ(asks.size(), 2u);
  EXPECT_EQ(asks[0].Str(0), "*.Doc");
  EXPECT_EQ(asks[1].Str(0), "~*");
  EXPECT_EQ(host.Focused(), (std::vector<TControl>{TControl::EditLiMa, TControl::EditExMa}));
  EXPECT_EQ(Texts(kLimit), "") << "No leaves the text in the edit";
  EXPECT_EQ(model.limitMasks.edit, "*.Doc");
  EXPECT_EQ(model.limitMasks.editSelLength, 5) << "the text is selected for the question";
  EXPECT_EQ(Texts(kExclude), "~*+ ");
  EXPECT_EQ(model.excludeMasks.edit, "");
  messages.emplace();
  model.limitMasks.edit.clear();
  AskPendingMasks(model, host, msgr());
  EXPECT_TRUE(msgr().Messages().empty());
}

}  // namespace
