// The uninstall entry on the real registry (under wine), the uninstaller's
// name in the temporary folder and the bytes of the hand-over.
#include "app/shell/uninstall.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "app/shell/file_types.h"
#include "app/text_ids.h"
#include "platform/paths.h"
#include "platform/registry.h"
#include "support/temp_tree.h"

namespace {

using namespace zw;
using platform::RegAccess;
using platform::RegKey;
using platform::RegRoot;

std::vector<uint8_t> Bytes(std::initializer_list<int> head, const std::string& tail = "",
                           bool zero = false) {
  std::vector<uint8_t> out;
  for (int b : head) out.push_back(static_cast<uint8_t>(b));
  out.insert(out.end(), tail.begin(), tail.end());
  if (zero) out.push_back(0);
  return out;
}

TEST(UninstallerName, TakesTheFirstFreeNameWithOneMoreX) {
  zwtest::TempTree tree;
  const std::string tmp = tree.Root();
  EXPECT_EQ(FreeUninstallerName(tmp), tmp + "ZWuninst.exe");
  tree.File("ZWuninst.exe", "old");
  EXPECT_EQ(FreeUninstallerName(tmp), tmp + "ZWuninstx.exe");
  tree.Dir("ZWuninstx.exe");  // a folder takes the name as well
  EXPECT_EQ(FreeUninstallerName(tmp), tmp + "ZWuninstxx.exe");
}

TEST(HandOver, TextsAndItemsAreLengthPrefixedLittleEndian) {
  const THandOverMessage texts = TextsMessage({"ab", "", "Close"});
  EXPECT_EQ(texts.id, 1u);
  EXPECT_EQ(texts.bytes, Bytes({2, 0, 0, 0, 'a', 'b', 0, 0, 0, 0, 5, 0, 0, 0}, "Close"));
  EXPECT_EQ(UninstallerTexts().size(), 9u);
  EXPECT_EQ(UninstallerTexts()[0], "Uninstalling ");
  EXPECT_EQ(UninstallerTexts()[1], "Close");

  zwtest::TempTree tree;
  const std::string exe = tree.File("prog/zwillo.exe", "MZ");
  const std::string folder = platform::ExcludeTrailingSep(platform::ExtractFilePath(exe));
  const std::string help = tree.File("prog/Zwillo.chm", "help");
  const std::string de = tree.PathOf("prog/de.zwl");
  const auto n = [](const std::string& s) { return static_cast<int>(s.size() + 1); };
  const std::vector<THandOverMessage> all = HandOverMessages(true, 0x01020304, exe, {de});
  ASSERT_EQ(all.size(), 6u);
  EXPECT_EQ(all[0].id, 1u);
  EXPECT_EQ(all[1].bytes, Bytes({1, 4, 0, 0, 0, 4, 3, 2, 1}));
  EXPECT_EQ(all[2].bytes, Bytes({10, n(exe), 0, 0, 0}, exe, true));
  EXPECT_EQ(all[3].bytes, Bytes({10, n(help), 0, 0, 0}, help, true));
  EXPECT_EQ(all[4].bytes, Bytes({10, n(de), 0, 0, 0}, de, true));
  EXPECT_EQ(all[5].bytes, Bytes({11, n(folder), 0, 0, 0}, folder, true));
  for (size_t i = 1; i < all.size(); ++i) EXPECT_EQ(all[i].id, 2u);
  // Without a language file in force no texts; without a help file no item for it.
  std::filesystem::remove(help);
  EXPECT_EQ(HandOverMessages(false, 7, exe, {}).size(), 3u);
  // The console program beside the window program goes with it.
  const std::string cli = tree.File("prog/zwillo-cli.exe", "MZ");
  const auto both = HandOverMessages(false, 7, exe, {});
  ASSERT_EQ(both.size(), 4u);
  EXPECT_EQ(both[2].bytes, Bytes({10, n(cli), 0, 0, 0}, cli, true));
}

class UninstallEntry : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!platform::RegRootAvailable(RegRoot::LocalMachine)) GTEST_SKIP() << "no registry here";
    DeleteUninstallEntries(true);
    exe_ = tree_.SizedFile("prog/zwillo.exe", 5000);
    tree_.SizedFile("prog/Zwillo.chm", 3000);
  }
  void TearDown() override { DeleteUninstallEntries(true); }
  std::string Str(const std::string& name) {
    RegKey k;
    if (!k.Open(RegRoot::LocalMachine, kUninstallKey, RegAccess::Read)) return "<no key>";
    return k.ReadString(name).value_or("<none>");
  }
  int64_t Dword(const std::string& name) {
    RegKey k;
    if (!k.Open(RegRoot::LocalMachine, kUninstallKey, RegAccess::Read)) return -2;
    auto v = k.ReadDword(name);
    return v ? int64_t(*v) : -1;
  }
  void Put(const std::string& name, const std::string& value) {
    RegKey k;
    ASSERT_TRUE(k.Open(RegRoot::LocalMachine, kUninstallKey, RegAccess::Create));
    ASSERT_TRUE(k.WriteString(name, value));
  }
  zwtest::TempTree tree_;
  std::string exe_;
};

TEST_F(UninstallEntry, AFirstWriteHasEveryValue) {
  ASSERT_TRUE(UpdateUninstallEntry(exe_, "de", "20261207"));
  EXPECT_EQ(Str("Contact"), "support@corvanta.example");
  EXPECT_EQ(Str("Publisher"), "Corvanta");
  EXPECT_EQ(Str("URLInfoAbout"), "https://www.corvanta.example/zwillo/de/");
  EXPECT_EQ(Dword("NoModify"), 1);
  EXPECT_EQ(Dword("NoRepair"), 1);
  EXPECT_EQ(Str("DisplayName"), "Zwillo Pro");
  EXPECT_EQ(Str("DisplayVersion"), "2.1.0.104");
  EXPECT_EQ(Dword("Version"), 0x02010068);
  EXPECT_EQ(Dword("VersionMajor"), 2);
  EXPECT_EQ(Dword("VersionMinor"), 1);
  EXPECT_EQ(Str("InstallDate"), "20261207");
  EXPECT_EQ(Dword("EstimatedSize"), (5000 + 3000) / 1024);
  EXPECT_EQ(Str("UninstallString"), exe_ + " -uninstall");
  EXPECT_EQ(Str("InstallLocation"), platform::ExtractFilePath(exe_));
  EXPECT_EQ(Str("DisplayIcon"), exe_);
}

TEST_F(UninstallEntry, EachValueIsWrittenByItsRule) {
  struct Row {
    const char* storedVersion;  // nullptr: leave as written
    bool versionRewritten;
  } rows[] = {{nullptr, false}, {"2.0.0.90", true}};
  for (const Row& r : rows) {
    ASSERT_TRUE(UpdateUninstallEntry(exe_, "en", "20260101"));
    // Once: the maker's values stay as they are once DisplayName exists.
    Put("Contact", "kept");
    Put("InstallDate", "19990101");
    Put("DisplayName", "Old name");
    if (r.storedVersion) Put("DisplayVersion", r.storedVersion);
    Put("UninstallString", "stale");
    ASSERT_TRUE(UpdateUninstallEntry(exe_, "en", "20261207"));
    EXPECT_EQ(Str("Contact"), "kept");
    EXPECT_EQ(Str("InstallDate"), r.versionRewritten ? "20261207" : "19990101");
    EXPECT_EQ(Str("DisplayName"), r.versionRewritten ? "Zwillo Pro" : "Old name");
    EXPECT_EQ(Str("DisplayVersion"), "2.1.0.104");
    // Always: the place and size.
    EXPECT_EQ(Str("UninstallString"), exe_ + " -uninstall");
    DeleteUninstallEntries(false);
  }
}

TEST_F(UninstallEntry, DeletingRemovesTheOldEditionsEntryOnlyWhenAsked) {
  ASSERT_TRUE(UpdateUninstallEntry(exe_, "en", "20261207"));
  {
    RegKey old;
    ASSERT_TRUE(old.Open(RegRoot::LocalMachine, kOldUninstallKey, RegAccess::Create));
    ASSERT_TRUE(old.WriteString("DisplayName", "Zwillo"));
  }
  DeleteUninstallEntries(false);
  EXPECT_FALSE(platform::RegKeyExists(RegRoot::LocalMachine, kUninstallKey));
  EXPECT_TRUE(platform::RegKeyExists(RegRoot::LocalMachine, kOldUninstallKey));
  DeleteUninstallEntries(true);
  EXPECT_FALSE(platform::RegKeyExists(RegRoot::LocalMachine, kOldUninstallKey));
}

}  // namespace

namespace {

// The road of Uninstall() with its hooks recording: a No stops before
// anything is deleted; a Yes deletes the settings and then either hands over
// to the uninstaller (Windows; this test program carries none, so the
// manual-removal question follows) or removes the desktop files and names
// the program's place (POSIX).
TEST(Uninstall, AsksFirstThenDeletesAndHandsOverOrSaysWhereTheFilesAre) {
  zwtest::TempTree tree;
#ifndef _WIN32
  // The desktop files it removes are looked for here, not in the user's home.
  const char* old = std::getenv("XDG_DATA_HOME");
  const std::string oldHome = old ? old : "";
  ASSERT_EQ(setenv("XDG_DATA_HOME", tree.Root().c_str(), 1), 0);
  const std::string ours = tree.File("applications/zwillo-catalog.desktop",
                                     "[Desktop Entry]\nX-Zwillo-Registration=true\n");
#endif
  for (int answer : {7, 6}) {
    std::vector<std::string> said;
    TUninstall u;
    u.exePath = "/opt/zwillo/zwillo";
    u.setTitle = [&](const std::string& t) { said.push_back("title " + t); };
    u.ask = [&](TMsgID id, int def, const TFmtArgs&) {
      said.push_back("ask " + std::to_string(int(id)) + " default " + std::to_string(def));
      return answer;
    };
    u.deleteSettings = [&] { said.push_back("delete settings"); };
    u.openFolder = [&](const std::string& f) { said.push_back("open " + f); };
    u.report = [&](const std::string& line) { said.push_back(line); };
    u.languageFiles = [] { return std::vector<std::string>{"/opt/zwillo/de.zwl"}; };
    EXPECT_FALSE(u.Run());
    ASSERT_GE(said.size(), 2u);
    EXPECT_EQ(said[0], "title Uninstalling Zwillo Pro");
    EXPECT_EQ(said[1], "ask " + std::to_string(int(askReallyUninstall)) + " default 6");
    if (answer == 7) {
      EXPECT_EQ(said, (std::vector<std::string>{said[0], said[1], "title Zwillo Pro"}));
      continue;
    }
    ASSERT_GE(said.size(), 4u);
    EXPECT_EQ(said[2], "delete settings");
    if (platform::RegRootAvailable(platform::RegRoot::ClassesRoot)) {
      EXPECT_EQ(said[3], "ask " + std::to_string(int(askRemoveProgramManually)) + " default 7");
      ASSERT_EQ(said.size(), 5u);
      EXPECT_EQ(said[4], "open /opt/zwillo/");
    } else {
      std::string all;
      for (const auto& s : said) all += s + "\n";
      EXPECT_NE(all.find("  program: /opt/zwillo/zwillo\n"), std::string::npos) << all;
      EXPECT_NE(all.find("  language file: /opt/zwillo/de.zwl\n"), std::string::npos) << all;
    }
  }
#ifndef _WIN32
  EXPECT_FALSE(std::filesystem::exists(ours));
  if (old)
    setenv("XDG_DATA_HOME", oldHome.c_str(), 1);
  else
    unsetenv("XDG_DATA_HOME");
#endif
}

}  // namespace
