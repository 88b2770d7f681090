// File-type registration on the system's own store: the registry's classes
// root where there is one (the Windows test binary, under wine), else the
// freedesktop files in a temporary $XDG_DATA_HOME.
#include "app/shell/file_types.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/shell/desktop_files.h"
#include "platform/registry.h"
#include "support/temp_tree.h"

namespace {

using namespace zw;
using platform::RegAccess;
using platform::RegKey;
using platform::RegRoot;

bool HasClassesRoot() { return platform::RegRootAvailable(RegRoot::ClassesRoot); }

std::string Value(RegRoot root, const std::string& key, const std::string& name = "") {
  RegKey k;
  if (!k.Open(root, key, RegAccess::Read)) return "<no key>";
  if (auto s = k.ReadString(name)) return *s;
  if (auto d = k.ReadDword(name)) return "dword:" + std::to_string(*d);
  return "<no value>";
}

void SetString(RegRoot root, const std::string& key, const std::string& name, const std::string& v) {
  RegKey k;
  ASSERT_TRUE(k.Open(root, key, RegAccess::Create));
  ASSERT_TRUE(k.WriteString(name, v));
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

bool Exists(const std::string& path) { return std::filesystem::exists(path); }

// Every test starts and ends with nothing of ours registered: the registry
// keys of both types (and our verb on "Directory"), or an empty data home.
class FileTypes : public ::testing::Test {
 protected:
  void SetUp() override {
    exe_ = tree_.File("prog/zwillo.exe", "MZ");
    if (HasClassesRoot()) {
      Clean();
      // The folder command needs the shell's "Directory" type (a fresh
      // wine prefix has none).
      if (!platform::RegKeyExists(RegRoot::ClassesRoot, kFolderType)) {
        SetString(RegRoot::ClassesRoot, kFolderType, "", "File Folder");
        madeDirectory_ = true;
      }
    } else {
#ifndef _WIN32
      const char* old = std::getenv("XDG_DATA_HOME");
      if (old) oldDataHome_ = old;
      hadDataHome_ = old != nullptr;
      ASSERT_EQ(setenv("XDG_DATA_HOME", tree_.Dir("data").c_str(), 1), 0);
      ASSERT_EQ(DesktopDataHome() + "/", tree_.Dir("data"));
#endif
    }
  }
  void TearDown() override {
    if (HasClassesRoot()) {
      Clean();
      if (madeDirectory_) platform::RegDeleteKeyTree(RegRoot::ClassesRoot, kFolderType);
    } else {
#ifndef _WIN32
      if (hadDataHome_)
        setenv("XDG_DATA_HOME", oldDataHome_.c_str(), 1);
      else
        unsetenv("XDG_DATA_HOME");
#endif
    }
  }
  static void Clean() {
    for (const char* key : {".zwr", ".zwc", kResultListType, kCatalogType, "Other.Type"})
      platform::RegDeleteKeyTree(RegRoot::ClassesRoot, key);
    platform::RegDeleteKeyTree(RegRoot::ClassesRoot, "Directory\\shell\\Zwillo");
  }
  // What is registered now, as file-type flags.
  uint8_t Registered() {
    uint8_t flags = 0;
    if (HasClassesRoot()) {
      if (Value(RegRoot::ClassesRoot, ".zwr") == kResultListType) flags |= ftResultLists;
      if (Value(RegRoot::ClassesRoot, ".zwc") == kCatalogType) flags |= ftCatalogs;
      if (platform::RegKeyExists(RegRoot::ClassesRoot, "Directory\\shell\\Zwillo")) flags |= ftFolders;
    } else {
      const std::string apps = tree_.Dir("data") + "applications/";
      const std::string mime = ReadFile(tree_.Dir("data") + "mime/packages/zwillo.xml");
      if (Exists(apps + "zwillo-results.desktop") && mime.find("*.zwr") != std::string::npos)
        flags |= ftResultLists;
      if (Exists(apps + "zwillo-catalog.desktop") && mime.find("*.zwc") != std::string::npos)
        flags |= ftCatalogs;
      if (Exists(apps + "zwillo-folder.desktop")) flags |= ftFolders;
    }
    return flags;
  }

  zwtest::TempTree tree_;
  std::string exe_;
  std::string oldDataHome_;
  bool hadDataHome_ = false;
  bool madeDirectory_ = false;
};

TEST(FileTypeFlags, ChangesAsTheOptionsSay) {
  struct Row {
    uint8_t registered, wanted, registerFlags, unregisterFlags;
  } rows[] = {
      {0x00, 0x07, 0x07, 0x00},  // switched on: everything wanted
      {0x0F, 0x0E, 0x00, 0x0F},  // switched off: everything registered goes
      {0x07, 0x0B, 0x08, 0x04},  // folders added, catalogs removed
      {0x07, 0x07, 0x00, 0x00},  // nothing changed
      {0x06, 0x0E, 0x00, 0x00},  // off before and after: the type bits wait
  };
  for (const Row& r : rows) {
    const TFlagChanges c = FileTypeChanges(r.registered, r.wanted);
    EXPECT_EQ(c.registerFlags, r.registerFlags) << int(r.registered) << "->" << int(r.wanted);
    EXPECT_EQ(c.unregisterFlags, r.unregisterFlags) << int(r.registered) << "->" << int(r.wanted);
  }
}

TEST_F(FileTypes, ApplyingTheFlagsRegistersAndRemovesWhatChanged) {
  struct Step {
    uint8_t wanted, expected;
  } steps[] = {{0x0F, 0x0E}, {0x0B, 0x0A}, {0x07, 0x06}, {0x06, 0x00}, {0x03, 0x02}, {0x0E, 0x00}};
  uint8_t registered = 0;
  for (const Step& s : steps) {
    ApplyFileTypeFlags(registered, s.wanted, exe_);
    EXPECT_EQ(registered, s.wanted);
    EXPECT_EQ(Registered(), s.expected) << "wanted " << int(s.wanted);
  }
}

TEST_F(FileTypes, CatalogsOnAnUnownedExtensionGetTheirKeysOnce) {
  if (!HasClassesRoot()) GTEST_SKIP() << "no registry here";
  TFileTypeRegistration reg(true);
  RegisterAllTypes(reg, ftOn | ftCatalogs, exe_);
  const RegRoot cr = RegRoot::ClassesRoot;
  EXPECT_EQ(Value(cr, ".zwc"), "ZwilloPro.Catalog.1");
  EXPECT_EQ(Value(cr, "ZwilloPro.Catalog.1"), "Zwillo Catalog file");
  EXPECT_EQ(Value(cr, "ZwilloPro.Catalog.1", "EditFlags"), "dword:" + std::to_string(0x1A000));
  EXPECT_EQ(Value(cr, "ZwilloPro.Catalog.1\\DefaultIcon"), exe_ + ",1");
  EXPECT_EQ(Value(cr, "ZwilloPro.Catalog.1\\CurVer"), "ZwilloPro.Catalog.1");
  EXPECT_EQ(Value(cr, "ZwilloPro.Catalog.1\\shell\\open"), "<no value>");
  EXPECT_EQ(Value(cr, "ZwilloPro.Catalog.1\\shell\\open\\command"),
            "\"" + exe_ + "\" -nosavereg -clearfolders -clearmasks -setcompare -addfolder \"%1\" -run -showlog");
  EXPECT_FALSE(platform::RegKeyExists(cr, ".zwr"));
  // A second run finds the type registered and writes nothing: changed
  // values stay changed.
  SetString(cr, "ZwilloPro.Catalog.1", "", "changed");
  SetString(cr, "ZwilloPro.Catalog.1\\shell\\open\\command", "", "changed");
  RegisterAllTypes(reg, ftOn | ftCatalogs, exe_);
  EXPECT_EQ(Value(cr, "ZwilloPro.Catalog.1"), "changed");
  EXPECT_EQ(Value(cr, "ZwilloPro.Catalog.1\\shell\\open\\command"), "changed");
}

TEST_F(FileTypes, ResultListsHaveNoIcon) {
  if (!HasClassesRoot()) GTEST_SKIP() << "no registry here";
  TFileTypeRegistration reg(true);
  RegisterAllTypes(reg, ftOn | ftResultLists, exe_);
  const RegRoot cr = RegRoot::ClassesRoot;
  EXPECT_EQ(Value(cr, ".zwr"), "ZwilloPro.ResultList.1");
  EXPECT_EQ(Value(cr, "ZwilloPro.ResultList.1"), "Zwillo Result list");
  EXPECT_FALSE(platform::RegKeyExists(cr, "ZwilloPro.ResultList.1\\DefaultIcon"));
  EXPECT_EQ(Value(cr, "ZwilloPro.ResultList.1\\shell\\open\\command"),
            "\"" + exe_ + "\" -importresults \"%1\"");
}

TEST_F(FileTypes, AForeignOwnerKeepsItsExtensionAndGetsOnlyOurVerb) {
  if (!HasClassesRoot()) GTEST_SKIP() << "no registry here";
  const RegRoot cr = RegRoot::ClassesRoot;
  SetString(cr, ".zwc", "", "Other.Type");
  SetString(cr, "Other.Type\\shell\\open\\command", "", "other.exe \"%1\"");
  TFileTypeRegistration reg(true);
  RegisterAllTypes(reg, ftOn | ftCatalogs, exe_);
  EXPECT_EQ(Value(cr, ".zwc"), "Other.Type");
  EXPECT_FALSE(platform::RegKeyExists(cr, kCatalogType));
  EXPECT_EQ(Value(cr, "Other.Type\\shell\\Zwillo"), "Zwillo Pro");
  EXPECT_EQ(Value(cr, "Other.Type\\shell\\Zwillo\\command"),
            "\"" + exe_ + "\" -nosavereg -clearfolders -clearmasks -setcompare -addfolder \"%1\" -run -showlog");
  // Registering again keeps our verb; unregistering removes only it.
  RegisterAllTypes(reg, ftOn | ftCatalogs, exe_);
  EXPECT_TRUE(platform::RegKeyExists(cr, "Other.Type\\shell\\Zwillo\\command"));
  UnregisterAllTypes(reg, ftOn | ftCatalogs);
  EXPECT_EQ(Value(cr, ".zwc"), "Other.Type");
  EXPECT_FALSE(platform::RegKeyExists(cr, "Other.Type\\shell\\Zwillo"));
  EXPECT_EQ(Value(cr, "Other.Type\\shell\\open\\command"), "other.exe \"%1\"");
}

TEST_F(FileTypes, WithoutTheRightNothingIsWritten) {
  if (!HasClassesRoot()) GTEST_SKIP() << "no registry here";
  TFileTypeRegistration reg(false);
  RegisterAllTypes(reg, 0x0F, exe_);
  EXPECT_FALSE(platform::RegKeyExists(RegRoot::ClassesRoot, ".zwr"));
  EXPECT_FALSE(platform::RegKeyExists(RegRoot::ClassesRoot, ".zwc"));
  EXPECT_FALSE(platform::RegKeyExists(RegRoot::ClassesRoot, "Directory\\shell\\Zwillo"));
}

TEST_F(FileTypes, DesktopFilesCarryTheCommandsAndLeaveOthersAlone) {
  if (HasClassesRoot()) GTEST_SKIP() << "the registry serves here";
  const std::string data = tree_.Dir("data");
  // A file of one of our names that somebody else wrote.
  const std::string foreign = tree_.File("data/applications/zwillo-folder.desktop", "[Desktop Entry]\nName=mine\n");
  EXPECT_FALSE(RegisterDesktopFiles(0x0F, "/opt/my tools/zwillo"));
  EXPECT_EQ(ReadFile(foreign), "[Desktop Entry]\nName=mine\n");
  const std::string results = ReadFile(data + "applications/zwillo-results.desktop");
  EXPECT_NE(results.find("\nExec=\"/opt/my tools/zwillo\" -importresults %f\n"), std::string::npos) << results;
  EXPECT_NE(results.find("\nMimeType=application/x-zwillo-results;\n"), std::string::npos);
  EXPECT_NE(results.find("\nTerminal=true\n"), std::string::npos);
  const std::string catalog = ReadFile(data + "applications/zwillo-catalog.desktop");
  EXPECT_NE(catalog.find("\nExec=\"/opt/my tools/zwillo\" -nosavereg -clearfolders -clearmasks "
                         "-setcompare -addfolder %f -run -showlog\n"),
            std::string::npos) << catalog;
  const std::string mime = ReadFile(data + "mime/packages/zwillo.xml");
  for (const char* part : {"type=\"application/x-zwillo-results\"", "<glob pattern=\"*.zwr\"/>",
                           "offset=\"0\" value=\"ZWReLi\"", "type=\"application/x-zwillo-catalog\"",
                           "<glob pattern=\"*.zwc\"/>", "offset=\"0\" value=\"ZWCatF\""})
    EXPECT_NE(mime.find(part), std::string::npos) << part;
  // Removing one type keeps the other's MIME type.
  EXPECT_TRUE(UnregisterDesktopFiles(ftResultLists));
  EXPECT_EQ(ReadFile(data + "mime/packages/zwillo.xml").find("*.zwr"), std::string::npos);
  EXPECT_NE(ReadFile(data + "mime/packages/zwillo.xml").find("*.zwc"), std::string::npos);
  EXPECT_FALSE(UnregisterDesktopFiles(0x0F));  // the foreign file stays
  EXPECT_EQ(ReadFile(foreign), "[Desktop Entry]\nName=mine\n");
  EXPECT_FALSE(Exists(data + "applications/zwillo-results.desktop"));
  EXPECT_FALSE(Exists(data + "applications/zwillo-catalog.desktop"));
  EXPECT_FALSE(Exists(data + "mime/packages/zwillo.xml"));
}

TEST(DesktopEntry, ExecQuotesWhatTheDesktopWouldExpand) {
  const std::string entry = DesktopEntryText(ftFolders, "/a$b/50%\"x\\y");
  EXPECT_NE(entry.find("\nExec=\"/a\\\\$b/50%%\\\\\"x\\\\\\\\y\" -nosavereg -clearfolders "
                       "-addfolder %f -run -showlog\n"),
            std::string::npos) << entry;
  EXPECT_NE(entry.find("\nMimeType=inode/directory;\n"), std::string::npos);
}

}  // namespace
