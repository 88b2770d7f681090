// Single-file commands on real files: launching and opening through the
// host, the folders of a group, renaming in place with its extension rules
// and failures, and computing missing CRC32 checksums.
#include "app/results/single_file_commands.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/errors.h"
#include "support/recording_messenger.h"
#include "support/temp_tree.h"
#include "app/support/test_host.h"
#include "app/text_ids.h"

using zwtest::HostCall;
using zwtest::TempTree;

namespace {

namespace fs = std::filesystem;

bool Exists(const std::string& path) { return fs::exists(fs::path(path)); }

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

struct Fixture {
  Fixture() : cmds(host, msgs, model, list) {}

  // Builds the list from rows of {set, path, name, flags}; the set numbers
  // must start at 0 and rise.
  struct Row {
    uint32_t set;
    std::string path;
    std::string name;
    uint8_t flags = 0;
  };
  void Fill(const std::vector<Row>& rows) {
    uint32_t sets = 0;
    for (const auto& r : rows) sets = std::max(sets, r.set + 1);
    list.Prepare(static_cast<int32_t>(sets), static_cast<int32_t>(rows.size()));
    for (const auto& r : rows) {
      auto* e = new zw::TResultEntry;
      e->Set = r.set;
      e->Path = r.path;
      e->Name = r.name;
      e->Flags = static_cast<uint8_t>(r.flags | (r.set % 2 == 0 ? zw::reflag::kShaded : 0));
      ASSERT_TRUE(list.AppendEntry(e));
    }
  }
  std::vector<std::string> Opened() const {
    std::vector<std::string> out;
    for (const auto& c : host.CallsOf(HostCall::ShellOpen)) out.push_back(c.text);
    return out;
  }

  zwtest::TestHost host;
  zwtest::RecordingMessenger msgs;
  zw::TWindowModel model;
  zw::TResultList list;
  zw::TSingleFileCommands cmds;
};

}  // namespace

// ---------------------------------------------------------------------------
// Launch and open

TEST(SingleFileLaunch, OpensTheFileWithItsFolderAsWorkingFolder) {
  TempTree t;
  t.File("a/doc.txt", "x");
  Fixture f;
  f.Fill({{0, t.Dir("a"), "doc.txt"}, {0, t.Dir("a"), "copy.txt"}});
  EXPECT_TRUE(f.cmds.LaunchFile(0));
  const auto calls = f.host.CallsOf(HostCall::ShellOpen);
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].text, t.Dir("a") + "doc.txt");
  EXPECT_EQ(calls[0].caption, t.Dir("a"));
  EXPECT_TRUE(f.msgs.Messages().empty());
}

TEST(SingleFileLaunch, FailureShowsTheTargetAndTheSystemText) {
  Fixture f;
  f.Fill({{0, "/p/", "x.doc"}, {0, "/q/", "x.doc"}});
  f.host.shellOpenResult = 2;
  EXPECT_FALSE(f.cmds.LaunchFile(1));
  const auto m = f.msgs.With(zw::msgCouldNotOpen);
  ASSERT_EQ(m.size(), 1u);
  EXPECT_EQ(m[0].Str(0), "/q/x.doc");
  EXPECT_EQ(m[0].Str(1), zw::platform::SystemErrorText(2));
}

TEST(SingleFileLaunch, ArchiveEntriesAndMissingRowsAreNotLaunched) {
  Fixture f;
  f.Fill({{0, "/a.zip>", "in.txt", zw::reflag::kInArchive | zw::reflag::kInZip},
          {0, "/p/", "x"}});
  EXPECT_FALSE(f.cmds.LaunchFile(0));
  EXPECT_FALSE(f.cmds.LaunchFile(7));
  EXPECT_FALSE(f.cmds.LaunchFile(-1));
  EXPECT_EQ(f.host.Count(HostCall::ShellOpen), 0u);
}

TEST(SingleFileOpenDirectory, OpensTheFolderOrTheZipArchiveButNotACatalogEntry) {
  Fixture f;
  f.Fill({{0, "/data/", "x"},
          {0, "/data/arch.zip>sub/deeper/", "y", zw::reflag::kInArchive | zw::reflag::kInZip},
          {0, "/cat/", "z", zw::reflag::kInArchive}});
  EXPECT_TRUE(f.cmds.OpenDirectory(0));
  EXPECT_TRUE(f.cmds.OpenDirectory(1));
  EXPECT_FALSE(f.cmds.OpenDirectory(2));
  EXPECT_EQ(f.Opened(), (std::vector<std::string>{"/data/", "/data/arch.zip"}));
  EXPECT_EQ(f.host.CallsOf(HostCall::ShellOpen)[0].caption, "");
}

TEST(SingleFileOpenAllDirs, ThreeFilesInTwoFoldersOpenTwo) {
  TempTree t;
  const std::string a = t.Dir("a"), b = t.Dir("b");
  t.File("a/1", "s");
  t.File("b/2", "s");
  t.File("a/3", "s");
  Fixture f;
  f.Fill({{0, "/other/", "o1"}, {0, "/other2/", "o2"},
          {1, a, "1"}, {1, b, "2"}, {1, a, "3"},
          {2, "/third/", "t1"}, {2, "/third2/", "t2"}});
  EXPECT_EQ(f.cmds.OpenAllDirsOfGroup(3), 2);  // from the middle of the group
  EXPECT_EQ(f.Opened(), (std::vector<std::string>{a, b}));
}

TEST(SingleFileOpenAllDirs, WalkStopsAtTheFirstArchiveEntry) {
  Fixture f;
  f.Fill({{0, "/a/", "1"},
          {0, "/z.zip>", "2", zw::reflag::kInArchive | zw::reflag::kInZip},
          {0, "/b/", "3"}});
  EXPECT_EQ(f.cmds.OpenAllDirsOfGroup(2), 1);
  EXPECT_EQ(f.Opened(), (std::vector<std::string>{"/a/"}));
}

TEST(SingleFileOpenAllDirs, FailedOpensAreReportedAndNotCounted) {
  Fixture f;
  f.Fill({{0, "/a/", "1"}, {0, "/b/", "2"}});
  f.host.shellOpenResult = 3;
  EXPECT_EQ(f.cmds.OpenAllDirsOfGroup(0), 0);
  EXPECT_EQ(f.msgs.With(zw::msgCouldNotOpen).size(), 2u);
}

// ---------------------------------------------------------------------------
// Rename

TEST(SingleFileRename, HiddenExtensionIsLeftOutOfTheEditAndPutBack) {
  TempTree t;
  const std::string dir = t.Dir("r");
  t.File("r/report.txt", "content");
  Fixture f;
  f.model.results.hideExtensions = true;
  f.Fill({{0, dir, "report.txt"}, {0, dir, "other"}});
  std::string text;
  ASSERT_TRUE(f.cmds.RenameEditText(0, text));
  EXPECT_EQ(text, "report");
  ASSERT_TRUE(f.cmds.RenameEditText(1, text));
  EXPECT_EQ(text, "other");

  EXPECT_TRUE(f.cmds.RenameFinish(0, "summary"));
  EXPECT_FALSE(Exists(dir + "report.txt"));
  EXPECT_EQ(ReadAll(dir + "summary.txt"), "content");
  EXPECT_EQ(f.list.Item(0)->Name, "summary.txt");
  EXPECT_FALSE(f.msgs.Has(zw::askRenameForgotExtension));
}

TEST(SingleFileRename, EditShowsTheWholeNameWithExtensionsShown) {
  Fixture f;
  f.model.results.hideExtensions = false;
  f.Fill({{0, "/p/", "report.txt"}, {0, "/p/", "x"}});
  std::string text;
  ASSERT_TRUE(f.cmds.RenameEditText(0, text));
  EXPECT_EQ(text, "report.txt");
}

TEST(SingleFileRename, ArchiveEntriesCannotBeRenamed) {
  Fixture f;
  f.Fill({{0, "/a.zip>", "in.txt", zw::reflag::kInArchive | zw::reflag::kInZip},
          {0, "/p/", "x"}});
  std::string text = "unchanged";
  EXPECT_FALSE(f.cmds.RenameEditText(0, text));
  EXPECT_EQ(text, "unchanged");
  EXPECT_FALSE(f.cmds.RenameFinish(0, "new.txt"));
  EXPECT_EQ(f.list.Item(0)->Name, "in.txt");
}

TEST(SingleFileRename, ForgottenExtensionCancelKeepsTheOldName) {
  TempTree t;
  const std::string dir = t.Dir("r");
  t.File("r/report.txt", "c");
  Fixture f;
  f.model.results.hideExtensions = false;
  f.Fill({{0, dir, "report.txt"}, {0, dir, "x"}});
  f.msgs.answers = {zw::ansCancel};
  EXPECT_FALSE(f.cmds.RenameFinish(0, "summary"));
  const auto asks = f.msgs.With(zw::askRenameForgotExtension);
  ASSERT_EQ(asks.size(), 1u);
  EXPECT_EQ(asks[0].Str(0), ".txt");
  EXPECT_TRUE(Exists(dir + "report.txt"));
  EXPECT_FALSE(Exists(dir + "summary"));
  EXPECT_EQ(f.list.Item(0)->Name, "report.txt");
}

TEST(SingleFileRename, ForgottenExtensionYesAppendsItAndNoKeepsTheTypedName) {
  TempTree t;
  const std::string dir = t.Dir("r");
  t.File("r/a.txt", "a");
  t.File("r/b.txt", "b");
  Fixture f;
  f.model.results.hideExtensions = false;
  f.Fill({{0, dir, "a.txt"}, {0, dir, "b.txt"}});
  f.msgs.answers = {zw::ansYes, zw::ansNo};
  EXPECT_TRUE(f.cmds.RenameFinish(0, "first"));
  EXPECT_TRUE(f.cmds.RenameFinish(1, "second"));
  EXPECT_EQ(ReadAll(dir + "first.txt"), "a");
  EXPECT_EQ(ReadAll(dir + "second"), "b");
  EXPECT_EQ(f.list.Item(0)->Name, "first.txt");
  EXPECT_EQ(f.list.Item(1)->Name, "second");
}

TEST(SingleFileRename, TypedNameWithItsOwnExtensionIsNotAsked) {
  TempTree t;
  const std::string dir = t.Dir("r");
  t.File("r/a.txt", "a");
  Fixture f;
  f.model.results.hideExtensions = false;
  f.Fill({{0, dir, "a.txt"}, {0, dir, "x"}});
  EXPECT_TRUE(f.cmds.RenameFinish(0, "a.doc"));
  EXPECT_TRUE(Exists(dir + "a.doc"));
  EXPECT_FALSE(f.msgs.Has(zw::askRenameForgotExtension));
}

TEST(SingleFileRename, ExtensionLongerThanFiveCharactersNeverAsks) {
  TempTree t;
  const std::string dir = t.Dir("r");
  t.File("r/data.abcdef", "six");
  t.File("r/data.abcde", "five");
  Fixture f;
  f.model.results.hideExtensions = false;
  f.Fill({{0, dir, "data.abcdef"}, {0, dir, "data.abcde"}});
  EXPECT_TRUE(f.cmds.RenameFinish(0, "plain"));
  EXPECT_FALSE(f.msgs.Has(zw::askRenameForgotExtension));
  EXPECT_EQ(ReadAll(dir + "plain"), "six");
  // Five characters after the dot are still asked about.
  f.msgs.answers = {zw::ansNo};
  EXPECT_TRUE(f.cmds.RenameFinish(1, "short"));
  EXPECT_EQ(f.msgs.With(zw::askRenameForgotExtension).size(), 1u);
  EXPECT_EQ(ReadAll(dir + "short"), "five");
}

TEST(SingleFileRename, ExistingNameFailsAndTheListKeepsTheOldName) {
  TempTree t;
  const std::string dir = t.Dir("r");
  t.File("r/one.txt", "one");
  t.File("r/two.txt", "two");
  Fixture f;
  f.model.results.hideExtensions = true;
  f.Fill({{0, dir, "one.txt"}, {0, dir, "two.txt"}});
  EXPECT_FALSE(f.cmds.RenameFinish(0, "two"));
  EXPECT_TRUE(f.msgs.Has(zw::msgRenameFailedExists));
  EXPECT_EQ(ReadAll(dir + "one.txt"), "one");
  EXPECT_EQ(ReadAll(dir + "two.txt"), "two");
  EXPECT_EQ(f.list.Item(0)->Name, "one.txt");
}

TEST(SingleFileRename, UnchangedOrEmptyNameDoesNothing) {
  TempTree t;
  const std::string dir = t.Dir("r");
  t.File("r/same.txt", "s");
  Fixture f;
  f.model.results.hideExtensions = false;
  f.Fill({{0, dir, "same.txt"}, {0, dir, "x"}});
  EXPECT_FALSE(f.cmds.RenameFinish(0, "same.txt"));
  f.msgs.answers = {zw::ansNo};
  EXPECT_FALSE(f.cmds.RenameFinish(0, ""));
  EXPECT_TRUE(Exists(dir + "same.txt"));
  EXPECT_FALSE(f.msgs.Has(zw::msgRenameFailedSys));
}

TEST(SingleFileRename, NameWithASeparatorIsRefusedAsInvalid) {
  TempTree t;
  const std::string dir = t.Dir("r");
  t.Dir("r/sub");
  t.File("r/f.txt", "f");
  Fixture f;
  f.model.results.hideExtensions = true;
  f.Fill({{0, dir, "f.txt"}, {0, dir, "x"}});
  EXPECT_FALSE(f.cmds.RenameFinish(0, std::string("sub") + zw::platform::kPathSep + "f"));
  EXPECT_TRUE(f.msgs.Has(zw::msgRenameFailedInvalid));
  EXPECT_TRUE(Exists(dir + "f.txt"));
  EXPECT_FALSE(Exists(t.PathOf("r/sub/f.txt")));
}

TEST(SingleFileRename, OtherFailuresShowTheSystemCodeAndText) {
  TempTree t;
  const std::string dir = t.Dir("r");
  Fixture f;
  f.model.results.hideExtensions = true;
  f.Fill({{0, dir, "vanished.txt"}, {0, dir, "x"}});  // no such file on disk
  EXPECT_FALSE(f.cmds.RenameFinish(0, "new"));
  const auto m = f.msgs.With(zw::msgRenameFailedSys);
  ASSERT_EQ(m.size(), 1u);
  EXPECT_NE(m[0].Int(0), 0);
  EXPECT_EQ(m[0].Str(1), zw::platform::SystemErrorText(static_cast<int>(m[0].Int(0))));
  EXPECT_EQ(f.list.Item(0)->Name, "vanished.txt");
}

// ---------------------------------------------------------------------------
// CRC32

TEST(SingleFileCrc, ComputesSelectedOrdinaryEntriesWithoutValidCrc) {
  TempTree t;
  const std::string dir = t.Dir("c");
  t.File("c/check", "123456789");
  t.File("c/known", "123456789");
  t.File("c/unselected", "123456789");
  const uint8_t sel = zw::reflag::kSelected;
  Fixture f;
  f.Fill({{0, dir, "check", sel},
          {0, dir, "known", static_cast<uint8_t>(sel | zw::reflag::kCrcValid)},
          {0, dir, "unselected", 0},
          {1, "/a.zip>", "inzip", static_cast<uint8_t>(sel | zw::reflag::kInArchive |
                                                      zw::reflag::kInZip)},
          {1, dir, "missing", sel}});
  f.list.Item(1)->Crc = 0x11111111;
  f.model.results.crcAvailable = false;

  EXPECT_EQ(f.cmds.CalculateCrc(), 1);
  const zw::TResultEntry& e = *f.list.Item(0);
  EXPECT_EQ(e.Crc, 0xCBF43926u);
  EXPECT_EQ(e.Sample, 0x36353433u);  // "3456" around the middle
  EXPECT_EQ(e.Flags & (zw::reflag::kCrcValid | zw::reflag::kSampleValid),
            zw::reflag::kCrcValid | zw::reflag::kSampleValid);
  EXPECT_EQ(f.list.Item(1)->Crc, 0x11111111u);  // kept, not recomputed
  EXPECT_EQ(f.list.Item(1)->Flags & zw::reflag::kSampleValid, 0);
  EXPECT_EQ(f.list.Item(2)->Flags & zw::reflag::kCrcValid, 0);
  EXPECT_EQ(f.list.Item(3)->Flags & zw::reflag::kCrcValid, 0);
  EXPECT_EQ(f.list.Item(4)->Flags & zw::reflag::kCrcValid, 0);
  EXPECT_FALSE(f.model.results.crcAvailable);
  EXPECT_GE(f.host.Count(HostCall::ResultsChanged), 1u);
}

TEST(SingleFileNames, ExtensionIsTheLastDotAndWhatFollows) {
  EXPECT_EQ(zw::TSingleFileCommands::NameExtension("a.tar.gz"), ".gz");
  EXPECT_EQ(zw::TSingleFileCommands::NameExtension("plain"), "");
  EXPECT_EQ(zw::TSingleFileCommands::NameExtension("dot."), ".");
}
