// The registry-shaped store: natively the settings file below a temporary
// XDG_CONFIG_HOME, under wine the real registry below HKCU\Software\ZwilloTest
// (deleted again after each test).
#include "platform/registry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/regedit_text.h"
#include "support/files.h"
#include "support/temp_settings_store.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace zw::platform {
namespace {

using Bytes = std::vector<uint8_t>;
const std::string kBase = "Software\\ZwilloTest";
constexpr RegRoot kCU = RegRoot::CurrentUser;

class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override { RegDeleteKeyTree(kCU, kBase); }
  void TearDown() override { EXPECT_TRUE(RegDeleteKeyTree(kCU, kBase)); }
  zwtest::TempSettingsStore store_;
};

TEST_F(RegistryTest, ValuesOfTheThreeTypesReadBackAsWritten) {
  struct Row {
    std::string name;
    RegType type;
    std::string text;
    uint32_t dword;
    Bytes bytes;
  };
  Bytes all;
  for (int b = 0; b < 256; ++b) all.push_back(static_cast<uint8_t>(b));
  const std::vector<Row> rows = {
      {"Plain", RegType::String, "C:\\Program Files\\Zwillo", 0, {}},
      {"Escapes \"quoted\" \\", RegType::String, "a\\b\"c\r\nd\\", 0, {}},
      {"Empty", RegType::String, "", 0, {}},
      {"", RegType::String, "the default value", 0, {}},
      {"Zero", RegType::Dword, "", 0, {}},
      {"Max", RegType::Dword, "", 0xFFFFFFFFu, {}},
      {"Answer", RegType::Dword, "", 42, {}},
      {"NoBytes", RegType::Binary, "", 0, {}},
      {"AllBytes", RegType::Binary, "", 0, all},
  };
  {
    RegKey key;
    ASSERT_TRUE(key.Open(kCU, kBase + "\\Values", RegAccess::Create));
    for (const Row& r : rows) {
      if (r.type == RegType::String) {
        EXPECT_TRUE(key.WriteString(r.name, r.text));
      }
      if (r.type == RegType::Dword) {
        EXPECT_TRUE(key.WriteDword(r.name, r.dword));
      }
      if (r.type == RegType::Binary) {
        EXPECT_TRUE(key.WriteBinary(r.name, r.bytes));
      }
    }
    EXPECT_TRUE(key.Close());
  }
  RegKey key;
  ASSERT_TRUE(key.Open(kCU, "\\" + kBase + "\\values", RegAccess::Read));  // any case, leading "\"
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(key.ValueType(r.name), r.type);
    if (r.type == RegType::String) {
      EXPECT_EQ(key.ReadString(r.name), r.text);
    }
    if (r.type == RegType::Dword) {
      EXPECT_EQ(key.ReadDword(r.name), r.dword);
    }
    if (r.type == RegType::Binary) {
      EXPECT_EQ(key.ReadBinary(r.name), r.bytes);
    }
  }
}

TEST_F(RegistryTest, MissingAndMistypedValuesReadAsNothing) {
  {
    RegKey key;
    ASSERT_TRUE(key.Open(kCU, kBase, RegAccess::Create));
    key.WriteString("Text", "12");
    key.WriteDword("Number", 12);
    key.WriteBinary("Bytes", {1, 2, 3, 4});
    key.WriteDword("Gone", 1);
    EXPECT_TRUE(key.DeleteValue("gone"));
    EXPECT_FALSE(key.DeleteValue("never there"));
  }
  RegKey key;
  ASSERT_TRUE(key.Open(kCU, kBase, RegAccess::Read));
  EXPECT_FALSE(key.ValueExists("Missing"));
  EXPECT_EQ(key.ValueType("Missing"), RegType::None);
  EXPECT_FALSE(key.ReadDword("Missing"));
  EXPECT_FALSE(key.ReadString("Missing"));
  EXPECT_FALSE(key.ValueExists("Gone"));
  EXPECT_TRUE(key.ValueExists("number"));
  EXPECT_FALSE(key.ReadDword("Text"));      // a string is no number
  EXPECT_FALSE(key.ReadString("Number"));
  EXPECT_FALSE(key.ReadDword("Bytes"));     // four bytes are no dword either
  EXPECT_FALSE(key.ReadBinary("Number"));
  EXPECT_FALSE(key.WriteDword("Number", 1)) << "a key opened for reading takes no writes";
}

TEST_F(RegistryTest, SubkeysExistWithTheirParentsAndGoWithTheTree) {
  for (const char* sub : {"\\Tree\\a\\b", "\\Tree\\c"}) {
    RegKey key;
    ASSERT_TRUE(key.Open(kCU, kBase + sub, RegAccess::Create));
    key.WriteDword("x", 1);
  }
  EXPECT_TRUE(RegKeyExists(kCU, kBase + "\\Tree\\a"));
  RegKey tree;
  ASSERT_TRUE(tree.Open(kCU, kBase + "\\Tree", RegAccess::Read));
  EXPECT_TRUE(tree.HasSubKeys());
  std::vector<std::string> names = tree.SubKeyNames();
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"a", "c"}));
  tree.Close();

  EXPECT_TRUE(RegDeleteKeyTree(kCU, kBase + "\\Tree\\A"));
  EXPECT_FALSE(RegKeyExists(kCU, kBase + "\\Tree\\a\\b"));
  EXPECT_FALSE(RegKeyExists(kCU, kBase + "\\Tree\\a"));
  EXPECT_TRUE(RegKeyExists(kCU, kBase + "\\Tree\\c"));
  EXPECT_TRUE(RegDeleteKeyTree(kCU, kBase + "\\Tree\\never there"));
  RegKey missing;
  EXPECT_FALSE(missing.Open(kCU, kBase + "\\Tree\\a", RegAccess::Read));
  EXPECT_FALSE(missing.Open(kCU, kBase + "\\Tree\\a", RegAccess::Write));
  EXPECT_FALSE(RegDeleteKeyTree(kCU, "")) << "never the whole root";
}

TEST_F(RegistryTest, TwoOpenWritersKeepEachOthersValues) {
  RegKey one, two, same;
  ASSERT_TRUE(one.Open(kCU, kBase + "\\One", RegAccess::Create));
  ASSERT_TRUE(two.Open(kCU, kBase + "\\Two", RegAccess::Create));
  ASSERT_TRUE(same.Open(kCU, kBase + "\\One", RegAccess::Create));
  one.WriteDword("a", 1);
  two.WriteDword("b", 2);
  same.WriteDword("c", 3);
  EXPECT_TRUE(one.Close());
  EXPECT_TRUE(two.Close());
  EXPECT_TRUE(same.Close());
  RegKey check;
  ASSERT_TRUE(check.Open(kCU, kBase + "\\One", RegAccess::Read));
  EXPECT_EQ(check.ReadDword("a"), 1u);
  EXPECT_EQ(check.ReadDword("c"), 3u);
  ASSERT_TRUE(check.Open(kCU, kBase + "\\Two", RegAccess::Read));
  EXPECT_EQ(check.ReadDword("b"), 2u);
}

#ifndef _WIN32

TEST_F(RegistryTest, TheFileIsRegeditTextWrittenForItsOwnerOnly) {
  {
    RegKey key;
    ASSERT_TRUE(key.Open(kCU, kBase + "\\Zwillo Pro", RegAccess::Create));
    key.WriteString("ProgPath", "/opt/zw\\x \"y\"\r\n");
    key.WriteString("", "");
    key.WriteDword("Comp_Size", 42);
    key.WriteBinary("Bin", {0x01, 0xFF, 0x00});
    key.WriteBinary("None", {});
    key.WriteDword("comp_size", 0xDEADBEEF);  // the same value, in its first place
  }
  {
    RegKey key;
    ASSERT_TRUE(key.Open(kCU, "Software\\Another", RegAccess::Create));
  }
  const std::string file = store_.Tree().RootPath().string() + "/zwillo/settings.reg";
  EXPECT_EQ(RegStoreFile(), file);
  EXPECT_EQ(zwtest::ReadAll(file),
            "REGEDIT4\n"
            "\n"
            "[HKEY_CURRENT_USER\\Software]\n"
            "\n"
            "[HKEY_CURRENT_USER\\Software\\Another]\n"
            "\n"
            "[HKEY_CURRENT_USER\\Software\\ZwilloTest]\n"
            "\n"
            "[HKEY_CURRENT_USER\\Software\\ZwilloTest\\Zwillo Pro]\n"
            "\"ProgPath\"=\"/opt/zw\\\\x \\\"y\\\"\\r\\n\"\n"
            "@=\"\"\n"
            "\"Comp_Size\"=dword:deadbeef\n"
            "\"Bin\"=hex:01,ff,00\n"
            "\"None\"=hex:\n"
            "\n");
  struct stat st;
  ASSERT_EQ(stat(file.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  ASSERT_EQ(stat((store_.Tree().RootPath() / "zwillo").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
  // With every key but "Software" deleted, nothing of the store is left.
  RegDeleteKeyTree(kCU, "Software\\Another");
  EXPECT_TRUE(zwtest::Exists(file));
  RegDeleteKeyTree(kCU, kBase);
  EXPECT_FALSE(zwtest::Exists(file));
  EXPECT_FALSE(zwtest::Exists((store_.Tree().RootPath() / "zwillo").string()));
}

TEST_F(RegistryTest, ADamagedFileIsReadAsFarAsItMakesSense) {
  const std::string folder = store_.Tree().Dir("zwillo");
  zwtest::WriteAll(folder + "settings.reg",
                   "REGEDIT4\r\n"
                   "\r\n"
                   "\"Orphan\"=dword:00000001\r\n"
                   "[HKEY_CURRENT_USER\\Software\\ZwilloTest\\K]\r\n"
                   "\"Good\"=dword:0000002a\r\n"
                   "\"Short\"=dword:2a\r\n"
                   "garbage here\r\n"
                   "\"Open\"=\"no end\r\n"
                   "\"Escape\"=\"\\t\"\r\n"
                   "\"Multi\"=hex(7):41,00,00,00\r\n"
                   "\"Long\"=hex:01,02,\\\r\n"
                   "  03\r\n"
                   "\"BadHex\"=hex:1,zz\r\n"
                   "[HKEY_LOCAL_MACHINE\\Software\\X]\r\n"
                   "\"Elsewhere\"=\"x\"\r\n"
                   "[HKEY_CURRENT_USER\\Software\\ZwilloTest\\K\r\n"
                   "\"Text\"=\"still here\"\r\n");
  RegKey key;
  ASSERT_TRUE(key.Open(kCU, kBase + "\\K", RegAccess::Read));
  EXPECT_EQ(key.ReadDword("Good"), 42u);
  EXPECT_EQ(key.ReadBinary("Long"), (Bytes{1, 2, 3}));
  for (const char* name : {"Orphan", "Short", "Open", "Escape", "Multi", "BadHex", "Elsewhere",
                           "Text"})
    EXPECT_FALSE(key.ValueExists(name)) << name;
  const std::string problem = RegStoreProblem();
  EXPECT_NE(problem.find("settings.reg"), std::string::npos) << problem;
  EXPECT_NE(problem.find("line 3:"), std::string::npos) << problem;
  EXPECT_NE(problem.find("line 7:"), std::string::npos) << problem;
  EXPECT_FALSE(RegKeyExists(RegRoot::LocalMachine, "Software\\X"));

  // No header at all: nothing is read, the problem says so; then a clean
  // file clears it.
  zwtest::WriteAll(folder + "settings.reg", std::string("\0\xff garbage\n[HKEY_CURRENT_USER\\Software\\ZwilloTest]\n", 42));
  EXPECT_FALSE(RegKeyExists(kCU, kBase));
  EXPECT_NE(RegStoreProblem().find("header"), std::string::npos);
  zwtest::WriteAll(folder + "settings.reg", "REGEDIT4\n");
  EXPECT_FALSE(RegKeyExists(kCU, kBase));
  EXPECT_EQ(RegStoreProblem(), "");
}

TEST_F(RegistryTest, TheMachineAndClassesRootsAreNotAvailable) {
  for (RegRoot root : {RegRoot::LocalMachine, RegRoot::ClassesRoot}) {
    EXPECT_FALSE(RegRootAvailable(root));
    RegKey key;
    OsError err;
    EXPECT_FALSE(key.Open(root, "Software\\ZwilloTest", RegAccess::Create, &err));
    EXPECT_EQ(err.kind, ErrKind::NotFound);
    EXPECT_FALSE(RegDeleteKeyTree(root, "Software\\ZwilloTest"));
  }
  EXPECT_FALSE(zwtest::Exists(RegStoreFile()));
}

#endif

}  // namespace
}  // namespace zw::platform
