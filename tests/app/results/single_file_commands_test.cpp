// Single-file commands: launching and opening through the host, the
// folders of a group, renaming in place (one table of typed names and what
// the folder holds afterwards) and computing missing CRC32 checksums.
#include "app/results/single_file_commands.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <filesystem>
#include <map>

#include "app/support/result_sets.h"
#include "app/support/test_host.h"
#include "app/text_ids.h"
#include "platform/errors.h"
#include "support/files.h"
#include "support/recording_messenger.h"
#include "support/temp_tree.h"

using zwtest::AddSets;
using zwtest::HostCall;
using zwtest::ReadAll;
using zwtest::TempTree;

namespace {

namespace fs = std::filesystem;

struct Fixture {
  Fixture() : cmds(host, msgs, model, list) {}
  // The shell's targets and working folders, "target|folder" each.
  std::vector<std::string> Opened() const {
    std::vector<std::string> out;
    for (const auto& c : host.CallsOf(HostCall::ShellOpen)) out.push_back(c.text + "|" + c.caption);
    return out;
  }
  zwtest::TestHost host;
  zwtest::RecordingMessenger msgs;
  zw::TWindowModel model;
  zw::TResultList list;
  zw::TSingleFileCommands cmds;
};

TEST(SingleFileCommands, LaunchAndOpenTheFolderButNothingInsideACatalog) {
  Fixture f;
  AddSets(f.list, {{{"doc.txt", 1, "/a/"}, {"in.txt", 1, "/a.zip>", zwtest::kZipped},
                    {"y", 1, "/data/arch.zip>sub/deeper/", zwtest::kZipped},
                    {"z", 1, "/cat/", zwtest::kCataloged}}});
  EXPECT_TRUE(f.cmds.LaunchFile(0));
  for (int32_t row : {1, 3, 4, -1}) EXPECT_FALSE(f.cmds.LaunchFile(row)) << row;
  EXPECT_TRUE(f.cmds.OpenDirectory(0));
  EXPECT_TRUE(f.cmds.OpenDirectory(2));  // inside a ZIP archive: the archive
  EXPECT_FALSE(f.cmds.OpenDirectory(3));
  EXPECT_FALSE(f.cmds.OpenDirectory(4));
  EXPECT_EQ(f.Opened(), (std::vector<std::string>{"/a/doc.txt|/a/", "/a/|", "/data/arch.zip|"}));
  EXPECT_TRUE(f.msgs.Messages().empty());

  f.host.shellOpenResult = 2;
  EXPECT_FALSE(f.cmds.LaunchFile(0));
  const auto m = f.msgs.With(zw::msgCouldNotOpen);
  ASSERT_EQ(m.size(), 1u);
  EXPECT_EQ(m[0].Str(0), "/a/doc.txt");
  EXPECT_EQ(m[0].Str(1), zw::platform::SystemErrorText(2));
}

TEST(SingleFileCommands, OpenAllDirsOpensEachFolderOfTheGroupOnceUpToAnArchiveEntry) {
  TempTree t;
  const std::string a = t.Dir("a"), b = t.Dir("b");
  Fixture f;
  AddSets(f.list, {{{"o1", 1, "/other/"}, {"o2", 1, "/other2/"}},
                   {{"1", 1, a}, {"2", 1, b}, {"3", 1, a}, {"4", 1, "/z.zip>", zwtest::kZipped},
                    {"5", 1, "/after/"}},
                   {{"t1", 1, "/third/"}}});
  EXPECT_EQ(f.cmds.OpenAllDirsOfGroup(3), 2);  // from the middle of the group
  EXPECT_EQ(f.Opened(), (std::vector<std::string>{a + "|", b + "|"}));
  f.host.Clear();
  f.host.shellOpenResult = 3;
  EXPECT_EQ(f.cmds.OpenAllDirsOfGroup(0), 0) << "failed opens do not count";
  EXPECT_EQ(f.msgs.With(zw::msgCouldNotOpen).size(), 2u);
}

TEST(SingleFileCommands, RenameEditsTheNameWithoutAHiddenExtension) {
  const std::string longName = std::string(257, 'x') + ".txt";  // 261 characters
  const struct {
    bool hide;
    std::string name, text;
  } cases[] = {
      {true, "report.txt", "report"}, {true, "other", "other"}, {true, "a.tar.gz", "a.tar"},
      {false, "report.txt", "report.txt"}, {true, longName, longName},
      {true, longName.substr(1), std::string(256, 'x')},
  };
  for (const auto& c : cases) {
    Fixture f;
    f.model.results.hideExtensions = c.hide;
    AddSets(f.list, {{{c.name}, {"in.txt", 1, "/a.zip>", zwtest::kZipped}}});
    std::string text;
    ASSERT_TRUE(f.cmds.RenameEditText(0, text));
    EXPECT_EQ(text, c.text);
    text = "unchanged";
    EXPECT_FALSE(f.cmds.RenameEditText(1, text)) << "an archive entry";
    EXPECT_FALSE(f.cmds.RenameEditText(2, text));
    EXPECT_FALSE(f.cmds.RenameFinish(1, "new.txt"));
    EXPECT_EQ(text, "unchanged");
    EXPECT_EQ(f.list.Item(1)->Name, "in.txt");
  }
}

TEST(SingleFileCommands, RenameKeepsTheFileInItsFolderAndNeverReplacesAnother) {
  const struct {
    const char* name;  // the entry's file, holding "old"
    const char* typed;
    bool hide = false;  // extensions hidden
    std::deque<int> answers = {};
    bool ok = false;
    const char* after = nullptr;  // the name afterwards (nullptr: as before)
    const char* asked = "";       // the extension askRenameForgotExtension named
    std::vector<zw::TMsgID> said = {};
    const char* other = "";  // another file in the folder
    bool onDisk = true;
  } cases[] = {
      {.name = "report.txt", .typed = "summary", .hide = true, .ok = true, .after = "summary.txt"},
      // a forgotten extension: Yes appends it, No keeps the typed name, Cancel the old one
      {.name = "a.txt", .typed = "first", .answers = {zw::ansYes}, .ok = true,
       .after = "first.txt", .asked = ".txt"},
      {.name = "b.txt", .typed = "second", .answers = {zw::ansNo}, .ok = true, .after = "second",
       .asked = ".txt"},
      {.name = "report.txt", .typed = "summary", .answers = {zw::ansCancel}, .asked = ".txt"},
      {.name = "a.txt", .typed = "a.doc", .ok = true, .after = "a.doc"},
      {.name = "data.abcde", .typed = "short", .answers = {zw::ansNo}, .ok = true,
       .after = "short", .asked = ".abcde"},
      {.name = "data.abcdef", .typed = "plain", .ok = true, .after = "plain"},  // never asked
      // nothing to do, or refused
      {.name = "same.txt", .typed = "same.txt"},
      {.name = "same.txt", .typed = "", .answers = {zw::ansNo}, .asked = ".txt"},
      {.name = "one.txt", .typed = "two", .hide = true, .said = {zw::msgRenameFailedExists},
       .other = "two.txt"},
      {.name = "f.txt", .typed = "sub/f", .hide = true, .said = {zw::msgRenameFailedInvalid}},
      {.name = "vanished.txt", .typed = "new", .hide = true, .said = {zw::msgRenameFailedSys},
       .onDisk = false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.name) + " <- " + c.typed);
    TempTree t;
    const std::string dir = t.Dir("r");
    t.Dir("r/sub");
    if (c.onDisk) t.File("r/" + std::string(c.name), "old");
    if (*c.other) t.File("r/" + std::string(c.other), "other");
    Fixture f;
    f.model.results.hideExtensions = c.hide;
    AddSets(f.list, {{{c.name, 3, dir}, {"x", 3, "/else/"}}});
    f.msgs.answers = c.answers;
    std::string typed = c.typed;
    std::replace(typed.begin(), typed.end(), '/', zw::platform::kPathSep);
    EXPECT_EQ(f.cmds.RenameFinish(0, typed), c.ok);
    const std::string after = c.after ? c.after : c.name;
    EXPECT_EQ(f.list.Item(0)->Name, after);
    std::map<std::string, std::string> files, expected;
    for (const auto& item : fs::recursive_directory_iterator(dir))
      if (item.is_regular_file())
        files[item.path().lexically_relative(dir).generic_string()] = ReadAll(item.path().string());
    if (c.onDisk) expected[after] = "old";
    if (*c.other) expected[c.other] = "other";
    EXPECT_EQ(files, expected);
    const auto asked = f.msgs.With(zw::askRenameForgotExtension);
    EXPECT_EQ(asked.empty() ? "" : asked[0].Str(0), c.asked);
    std::vector<zw::TMsgID> said;
    for (const auto& m : f.msgs.Messages())
      if (m.kind == zwtest::RecordedMsg::Show) said.push_back(m.id);
    EXPECT_EQ(said, c.said);
    for (const auto& m : f.msgs.With(zw::msgRenameFailedSys)) {  // the system's code and text
      EXPECT_NE(m.Int(0), 0);
      EXPECT_EQ(m.Str(1), zw::platform::SystemErrorText(static_cast<int>(m.Int(0))));
    }
  }
}

TEST(SingleFileCommands, CrcIsComputedForSelectedOrdinaryEntriesWithoutOne) {
  TempTree t;
  const std::string dir = t.Dir("c");
  for (const char* name : {"check", "known", "unselected", "inzip"})
    t.File("c/" + std::string(name), "123456789");
  Fixture f;
  AddSets(f.list, {{{"check", 9, dir}, {"known", 9, dir, zw::fiflag::kCrcValid, 0, 0x11111111},
                    {"unselected", 9, dir}},
                   {{"inzip", 9, dir, zwtest::kZipped}, {"missing", 9, dir}}});  // (as if readable)
  zwtest::Select(f.list, {0, 1, 3, 4});
  f.model.results.crcAvailable = false;
  EXPECT_EQ(f.cmds.CalculateCrc(), 1);
  const zw::TResultEntry& e = *f.list.Item(0);
  EXPECT_EQ(e.Crc, 0xCBF43926u);
  EXPECT_EQ(e.Sample, 0x36353433u);  // "3456" around the middle
  const uint8_t both = zw::reflag::kCrcValid | zw::reflag::kSampleValid;
  EXPECT_EQ(e.Flags & both, both);
  EXPECT_EQ(f.list.Item(1)->Crc, 0x11111111u);  // kept, not recomputed
  EXPECT_EQ(f.list.Item(1)->Flags & both, zw::reflag::kCrcValid);
  for (int32_t row : {2, 3, 4}) EXPECT_EQ(f.list.Item(row)->Flags & both, 0) << row;
  EXPECT_FALSE(f.model.results.crcAvailable);
  EXPECT_GE(f.host.Count(HostCall::ResultsChanged), 1u);
}

TEST(SingleFileCommands, ExtensionIsTheLastDotAndWhatFollows) {
  EXPECT_EQ(zw::TSingleFileCommands::NameExtension("a.tar.gz"), ".gz");
  EXPECT_EQ(zw::TSingleFileCommands::NameExtension("plain"), "");
  EXPECT_EQ(zw::TSingleFileCommands::NameExtension("dot."), ".");
}

}  // namespace
