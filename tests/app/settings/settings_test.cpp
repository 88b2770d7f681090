// The stored settings on the real store: natively the settings file below a
// temporary XDG_CONFIG_HOME (its exact text checked), under wine the
// registry below HKCU\Software\ZwilloTest (read back with the registry
// editor's export too), deleted again after each test.
#include "app/settings/settings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "app/text_ids.h"
#include "platform/paths.h"
#include "platform/regedit_text.h"
#include "platform/registry.h"
#include "support/files.h"
#include "support/recording_messenger.h"
#include "support/temp_settings_store.h"

namespace zw {
namespace {

using platform::RegAccess;
using platform::RegKey;
using platform::RegRoot;
using platform::RegType;
constexpr RegRoot kCU = RegRoot::CurrentUser;

#ifdef _WIN32
const TSettingsKeys kKeys{"Software\\ZwilloTest\\Corvanta"};
const std::string kCleanUp = "Software\\ZwilloTest";
#else
const TSettingsKeys kKeys{};  // the real names, in a temporary file
const std::string kCleanUp = "Software";
#endif

// A model in which every stored value differs from its default.
TWindowModel ChangedModel() {
  TWindowModel m;
  m.compare.checked = ccFilename | ccDate;
  m.compare.filename = {afnCharsNToM, 2, 260, '_', 0};
  m.compare.size = {1, 3 * 1024, 1};
  m.compare.date = {0, adpDay | adpYear, 1, 1000};
  m.compare.content = {acBytesNToM, acmCRC32 | acmByteByByte, 0x100, 0x10000, 2};
  m.attribMode = fmLimitTo;
  m.attrReadOnly = true;
  m.attrArchive = true;
  m.attrSystem = false;
  m.sizeMode = fmExclude;
  m.sizeLow = {"5", 2, 5u << 20};
  m.sizeHigh = {"2", 3, 2ull << 30};
  m.scanArchives = true;
  m.fresh.rows = {{"/data/photos", dsRecursive}, {"/data/photos/tmp", dsExclude}};
  m.library.rows = {{"/backup", dsSingle}};
  m.limitMasks.rows = {{"*.jpg", true}, {"*.png", false}};
  m.excludeMasks.rows = {{"*.tmp", true}};
  m.language = 0x407;
  m.lessStatus = true;
  m.findEmptyDirs = false;
  m.results.hideExtensions = false;
  m.resultFont = {"Courier New", 3, 10};
  m.results.colors[0] = 0x00FFEEDD;
  m.results.colors[2] = 0x00112233;
  m.results.sizeUnit = 7;
  m.results.displaySecs = true;
  m.results.altPathShortening = true;
  m.mruUsed = true;
  m.mruFiles = {"\"quoted\"", "a*"};
  m.mruPaths = {"C:\\x"};
  m.store.saveWindowPos = true;
  m.placement = {-8, 20, 800, 600, 2, false};
  m.store.saveResultListColumns = true;
  m.columns = {{1, 0, 2, 4, 3}, {200, 300, 90, 130, 75}};
  m.store.fileTypesWanted = 0x0B;
  m.saveSettings = true;
  return m;
}

// The settings key of ChangedModel, written by hand.
const char kChangedKey[] =
    "[HKEY_CURRENT_USER\\Software\\Corvanta\\Zwillo Pro]\n"
    "\"ProgPath\"=\"/opt/zwillo/bin/zwillo\"\n"
    "\"Version\"=\"2.1.0.104\"\n"
    "\"Comp_Filename\"=dword:00000001\n"
    "\"Comp_Size\"=dword:00000000\n"
    "\"Comp_Date\"=dword:00000001\n"
    "\"Comp_Content\"=dword:00000000\n"
    "\"Comp_FilenameAdv\"=hex:01,02,00,00,00,04,01,00,00,5f,00\n"
    "\"Comp_SizeAdv\"=hex:01,00,0c,00,00,00,00,00,00,01\n"
    "\"Comp_DateAdv\"=hex:00,0a,01,e8,03,00,00\n"
    "\"Comp_ContentAdv\"=hex:01,03,00,01,00,00,00,00,00,00,00,00,01,00,00,00,00,00,02\n"
    "\"Scan_AttribMode\"=dword:00000002\n"
    "\"Scan_AttribReadOnly\"=dword:00000001\n"
    "\"Scan_AttribHidden\"=dword:00000000\n"
    "\"Scan_AttribArchive\"=dword:00000001\n"
    "\"Scan_AttribSystem\"=dword:00000000\n"
    "\"Scan_SizeMode\"=dword:00000001\n"
    "\"Scan_Size1Unit\"=dword:00000002\n"
    "\"Scan_Size2Unit\"=dword:00000003\n"
    "\"Scan_Size1\"=hex:00,00,50,00,00,00,00,00\n"
    "\"Scan_Size2\"=hex:00,00,00,80,00,00,00,00\n"
    "\"Scan_InsideArchives\"=dword:00000001\n"
    "\"Scan_DirsNStates\"=\"12\"\n"
    "\"Scan_DirsN\"=\"/data/photos\\r\\n/data/photos/tmp\"\n"
    "\"Scan_DirsSStates\"=\"0\"\n"
    "\"Scan_DirsS\"=\"/backup\"\n"
    "\"Scan_MaskLiStates\"=\"10\"\n"
    "\"Scan_MaskLi\"=\"*.jpg\\r\\n*.png\\r\\n\"\n"
    "\"Scan_MaskExStates\"=\"1\"\n"
    "\"Scan_MaskEx\"=\"*.tmp\\r\\n\"\n"
    "\"Comm_Language\"=dword:00000407\n"
    "\"Comm_NoStatusFilenames\"=dword:00000001\n"
    "\"Comm_FindEmptyDirs\"=dword:00000000\n"
    "\"Comm_HideExtensions\"=dword:00000000\n"
    "\"Comm_ResultFontFace\"=\"Courier New\"\n"
    "\"Comm_ResultFontStyle\"=hex:03,0a\n"
    "\"Comm_ColorsResultListBg\"=hex:dd,ee,ff,00,00,00,00,20,33,22,11,00,00,00,00,20\n"
    "\"Comm_FilesizeDisplayUnit\"=dword:00000007\n"
    "\"Comm_DisplaySecs\"=dword:00000001\n"
    "\"Comm_PathShortening\"=dword:00000001\n"
    "\"MRU_CbC-Files\"=\"\\\"quoted\\\"\\r\\na*\"\n"
    "\"MRU_CbC-Paths\"=\"C:\\\\x\"\n"
    "\"Comm_WindowPos\"=hex:05,20,03,00,00,58,02,00,00,14,00,00,00,f8,ff,ff,ff\n"
    "\"Comm_ResListCols\"=hex:05,01,00,02,04,03,c8,00,2c,01,5a,00,82,00,4b,00\n"
    "\"Comm_RegFiletypes\"=dword:0000000b\n"
    "\n";

// Everything the settings keep, as text, to compare models.
std::string Stored(const TWindowModel& m) {
  std::ostringstream s;
  const auto& c = m.compare;
  s << int(c.checked) << " fn " << int(c.filename.mode) << ',' << c.filename.N << ','
    << c.filename.M << ',' << int(c.filename.c) << ',' << int(c.filename.ignoreCase) << " sz "
    << int(c.size.tolerant) << ',' << c.size.tolerance << ',' << int(c.size.unit) << " dt "
    << int(c.date.complete) << ',' << int(c.date.parts) << ',' << int(c.date.mayDiffer) << ','
    << c.date.days << " ct " << int(c.content.range) << ',' << int(c.content.methods) << ','
    << c.content.N << ',' << c.content.M << ',' << int(c.content.unit) << "\nattr "
    << int(m.attribMode) << m.attrReadOnly << m.attrHidden << m.attrArchive << m.attrSystem
    << " size " << int(m.sizeMode) << ' ' << m.sizeLow.text << '/' << int(m.sizeLow.unit) << '/'
    << m.sizeLow.bytes << ' ' << m.sizeHigh.text << '/' << int(m.sizeHigh.unit) << '/'
    << m.sizeHigh.bytes << " zip " << m.scanArchives << '\n';
  for (const auto* list : {&m.fresh, &m.library}) {
    for (const TDirRow& r : list->rows) s << r.caption << '=' << int(r.state) << ' ';
    s << '\n';
  }
  for (const auto* list : {&m.limitMasks, &m.excludeMasks}) {
    for (const TMaskRow& r : list->rows) s << r.text << '=' << r.checked << ' ';
    s << '\n';
  }
  s << "lang " << m.language << " status " << m.lessStatus << m.findEmptyDirs
    << m.results.hideExtensions << " font " << m.resultFont.face << '/'
    << int(m.resultFont.style) << '/' << m.resultFont.size << " colors " << std::hex
    << m.results.colors[0] << ',' << m.results.colors[1] << ',' << m.results.colors[2] << ','
    << m.results.colors[3] << std::dec << " unit " << int(m.results.sizeUnit)
    << m.results.displaySecs << m.results.altPathShortening << "\nmru ";
  for (const auto& f : m.mruFiles) s << f << '|';
  s << ' ';
  for (const auto& p : m.mruPaths) s << p << '|';
  const TWindowPlacement& p = m.placement;
  s << "\npos " << m.store.saveWindowPos << ' ' << p.left << ',' << p.top << ',' << p.width << ','
    << p.height << ',' << int(p.state) << " cols " << m.store.saveResultListColumns << ' ';
  for (int i = 0; i < 5; ++i) s << int(m.columns.order[i]) << ':' << m.columns.widths[i] << ' ';
  s << "types " << int(m.store.fileTypesWanted) << '/' << int(m.store.fileTypesRegistered) << ' '
    << m.store.regFiletypes;
  return s.str();
}

class SettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::RegDeleteKeyTree(kCU, kCleanUp);
    sys_.programFile = "/opt/zwillo/bin/zwillo";
    sys_.fileExists = [this](const std::string& path) { return path == existing_; };
  }
  void TearDown() override { platform::RegDeleteKeyTree(kCU, kCleanUp); }

  void WriteValues(const std::string& path, const std::function<void(RegKey&)>& write) {
    RegKey key;
    ASSERT_TRUE(key.Open(kCU, path, RegAccess::Create));
    write(key);
  }
  TSettingsLoad Load(TWindowModel& m, bool readLanguage = true) {
    return LoadSettings(m, sys_, readLanguage, kKeys);
  }

  zwtest::TempSettingsStore store_;
  TSettingsSystem sys_;
  std::string existing_;  // the one path fileExists knows
};

// The registry editor's view of a key under wine: its export, parsed.
#ifdef _WIN32
std::vector<platform::RegTextValue> ExportedValues(const std::string& key) {
  const std::string out = std::string(std::getenv("TEMP") ? std::getenv("TEMP") : ".") +
                          "\\zwillo-settings-export.reg";
  std::remove(out.c_str());
  const std::string command = "regedit /E \"" + out + "\" \"HKEY_CURRENT_USER\\" + key + "\"";
  EXPECT_EQ(std::system(command.c_str()), 0) << command;
  const std::string raw = zwtest::ReadAll(out);
  std::remove(out.c_str());
  std::string text;  // UTF-16LE to bytes (the values are ASCII)
  size_t start = raw.size() >= 2 && raw[0] == '\xff' && raw[1] == '\xfe' ? 2 : 0;
  for (size_t i = start; i + 1 < raw.size(); i += 2) text += raw[i];
  for (const auto& k : platform::ParseRegText(text).keys)
    if (k.path == "HKEY_CURRENT_USER\\" + key) return k.values;
  ADD_FAILURE() << "no key in the export:\n" << text;
  return {};
}
#endif

TEST_F(SettingsTest, SavedValuesAreTheExpectedBytesAndLoadBackTheModel) {
  TWindowModel saved = ChangedModel();
  std::vector<std::string> calls;
  TSettingsHooks hooks;
  hooks.applyFileTypes = [&](TWindowModel& m) {
    calls.push_back("types " + std::to_string(m.store.fileTypesWanted));
  };
  hooks.updateUninstallEntry = [&] { calls.push_back("uninstall"); };
  ASSERT_TRUE(SaveSettings(saved, sys_, hooks, kKeys));
  EXPECT_EQ(calls, (std::vector<std::string>{"types 11", "uninstall"}));
  EXPECT_TRUE(saved.store.delRegEnabled);

  const platform::RegTextDocument expected = platform::ParseRegText(std::string("REGEDIT4\n\n") + kChangedKey);
  ASSERT_EQ(expected.keys.size(), 1u);
#ifdef _WIN32
  // The registry keeps a key's values sorted by name, whatever the order
  // of writing: names, types and bytes are compared, the order only natively.
  std::vector<platform::RegTextValue> actual = ExportedValues(kKeys.Current());
  std::vector<platform::RegTextValue> wanted = expected.keys[0].values;
  const auto byName = [](const auto& a, const auto& b) {
    return platform::LowerAscii(a.name) < platform::LowerAscii(b.name);
  };
  std::sort(actual.begin(), actual.end(), byName);
  std::sort(wanted.begin(), wanted.end(), byName);
  ASSERT_EQ(actual.size(), wanted.size());
  for (size_t i = 0; i < actual.size(); ++i) {
    const auto& want = wanted[i];
    SCOPED_TRACE(want.name);
    EXPECT_EQ(actual[i].name, want.name);
    EXPECT_EQ(actual[i].type, want.type);
    EXPECT_EQ(actual[i].data, want.data);
  }
#else
  EXPECT_EQ(zwtest::ReadAll(platform::RegStoreFile()),
            std::string("REGEDIT4\n\n"
                        "[HKEY_CURRENT_USER\\Software]\n\n"
                        "[HKEY_CURRENT_USER\\Software\\Corvanta]\n\n") +
                kChangedKey);
#endif
  // Every value also through the store's own reads.
  RegKey key;
  ASSERT_TRUE(key.Open(kCU, kKeys.Current(), RegAccess::Read));
  for (const auto& want : expected.keys[0].values) {
    SCOPED_TRACE(want.name);
    ASSERT_EQ(key.ValueType(want.name), want.type);
    if (want.type == RegType::String) {
      EXPECT_EQ(key.ReadString(want.name), want.data);
    } else if (want.type == RegType::Binary) {
      EXPECT_EQ(key.ReadBinary(want.name), std::vector<uint8_t>(want.data.begin(), want.data.end()));
    }
    if (want.type == RegType::Dword) {
      uint32_t n = 0;
      for (int i = 3; i >= 0; --i) n = n << 8 | static_cast<uint8_t>(want.data[i]);
      EXPECT_EQ(key.ReadDword(want.name), n);
    }
  }
  key.Close();

  TWindowModel loaded;
  const TSettingsLoad result = Load(loaded);
  EXPECT_TRUE(result.found);
  EXPECT_EQ(result.firstStart, 0);
  EXPECT_EQ(result.stoppedAt, "");
  EXPECT_FALSE(result.report);
  saved.store.fileTypesRegistered = 0x0B;  // what is stored counts as registered
  saved.store.regFiletypes = true;
  EXPECT_EQ(Stored(loaded), Stored(saved));
  EXPECT_TRUE(loaded.saveSettings);
  EXPECT_TRUE(loaded.store.delRegEnabled);
  EXPECT_TRUE(loaded.placement.restored);

  // The language named on the command line wins: Comm_Language stays unread.
  TWindowModel named;
  named.language = 0x409;
  Load(named, false);
  EXPECT_EQ(named.language, 0x409);
}

TEST_F(SettingsTest, TheRegisterBoxShowsWhetherTheStoredFlagsSwitchRegistrationOn) {
  sys_.isAdmin = true;  // an administrator's box starts ticked
  for (const uint8_t flags : {uint8_t{0x06}, uint8_t{0x07}}) {
    SCOPED_TRACE(int(flags));
    TWindowModel m;
    m.saveSettings = true;
    m.store.fileTypesWanted = flags;
    ASSERT_TRUE(SaveSettings(m, sys_, {}, kKeys));
    TWindowModel loaded;
    Load(loaded);
    EXPECT_EQ(loaded.store.fileTypesWanted, flags);
    EXPECT_EQ(loaded.store.regFiletypes, (flags & 1) != 0);
  }
}

TEST_F(SettingsTest, OptionsThatAreOffAreStoredAsNothingStored) {
  TWindowModel m;
  m.saveSettings = true;
  m.placement = {10, 10, 640, 480, 0, true};
  m.columns.widths[0] = 999;
  ASSERT_TRUE(SaveSettings(m, sys_, {}, kKeys));
  RegKey key;
  ASSERT_TRUE(key.Open(kCU, kKeys.Current(), RegAccess::Read));
  EXPECT_EQ(key.ReadBinary("Comm_WindowPos"), std::vector<uint8_t>(17, 0));
  std::vector<uint8_t> cols(16, 0);
  cols[0] = 0xFF;
  EXPECT_EQ(key.ReadBinary("Comm_ResListCols"), cols);
  EXPECT_EQ(key.ReadString("Comm_ResultFontFace"), "") << "the default font is stored as empty";
  EXPECT_FALSE(key.ValueExists("MRU_CbC-Files")) << "the dialog was not opened";
  key.Close();

  TWindowModel loaded;
  Load(loaded);
  const TWindowModel defaults;
  EXPECT_FALSE(loaded.placement.restored);
  EXPECT_FALSE(loaded.store.saveWindowPos);
  EXPECT_FALSE(loaded.store.saveResultListColumns);
  EXPECT_EQ(loaded.columns.widths[0], defaults.columns.widths[0]);
  EXPECT_EQ(loaded.resultFont.face, "MS Sans Serif");
}

TEST_F(SettingsTest, AFirstStartGetsTheDefaultsAndWritesNothing) {
  sys_.defaultFolders = {"/sys", "/proc"};
  TWindowModel m;
  const TSettingsLoad result = Load(m);
  EXPECT_FALSE(result.found);
  EXPECT_EQ(result.firstStart, fsdAll);
  ApplyFirstStartDefaults(m, result.firstStart, sys_.defaultFolders);
  TWindowModel expected;
  expected.fresh.rows = {{"/sys", dsExclude}, {"/proc", dsExclude}};
  expected.excludeMasks.rows = {{"*.dll", true}, {"*.sys", true}, {"*.vxd", true}, {"*.inf", true}};
  EXPECT_EQ(Stored(m), Stored(expected));
  EXPECT_FALSE(m.saveSettings);
  EXPECT_FALSE(SaveSettings(m, sys_, {}, kKeys));
  EXPECT_FALSE(platform::RegKeyExists(kCU, kKeys.maker));
#ifndef _WIN32
  EXPECT_FALSE(zwtest::Exists(platform::RegStoreFile()));
#endif

  // A folder the list has already (in another spelling) is not added again.
  TWindowModel listed;
  listed.fresh.rows = {{"/proc/", dsRecursive}};
  ApplyFirstStartDefaults(listed, fsdFolders, {"/proc", "", "/sys"});
  ASSERT_EQ(listed.fresh.rows.size(), 2u);
  EXPECT_EQ(listed.fresh.rows[1].caption, "/sys");
  EXPECT_TRUE(listed.excludeMasks.rows.empty());
}

#ifndef _WIN32
TEST_F(SettingsTest, TheDefaultFoldersHereAreTheKernelsOwn) {
  std::vector<std::string> existing;
  for (const char* f : {"/proc", "/sys", "/dev"})
    if (zwtest::Exists(f)) existing.push_back(f);
  EXPECT_EQ(platform::DefaultExcludeFolders(), existing);
}
#endif

TEST_F(SettingsTest, TheOlderEditionsSettingsAreImported) {
  struct Case {
    const char* name;
    std::function<void(RegKey&)> values;
    std::string expected;  // the part of Stored() from the attributes to the masks
  };
  const auto common = [](RegKey& k) {
    for (const char* n : {"NamesIdentical", "DatesIdentical", "LeaveOutReadOnly", "LeaveOutHidden",
                          "LeaveOutArchive"})
      k.WriteDword(n, 0);
    for (const char* n : {"SizesIdentical", "CRC32Identical", "LeaveOutSystem"}) k.WriteDword(n, 1);
  };
  const std::vector<Case> cases = {
      {"the oldest layout: two boxes for the masks",
       [&](RegKey& k) {
         common(k);
         k.WriteDword("LeaveOutDll", 0);
         k.WriteDword("LeaveOutSys", 1);
         k.WriteDword("LeaveOutSizeLimitActivated", 0);
         k.WriteDword("LeaveOutSizeLimit", 0);
       },
       "attr 10001 size 0 0/1/0 0/1/0 zip 0\n/sys=2 \n\n\n*.dll=0 *.sys=1 *.vxd=1 *.inf=1 \n"},
      {"a size limit of 5 MB for smaller files, masks and folders",
       [&](RegKey& k) {
         common(k);
         k.WriteDword("LeaveOutSizeLimitActivated", 1);
         k.WriteDword("LeaveOutSizeLimit", 5);
         k.WriteDword("LeaveOutSizeUnit", 2);
         k.WriteDword("LeaveOutBiggerSmaller", 1);
         k.WriteString("MaskLimitChecked", "01");
         k.WriteString("MaskLimit", "*.a\r\n*.b\r\n");
         k.WriteString("MaskExcludeChecked", "1");
         k.WriteString("MaskExclude", "*.c\r\n");
         k.WriteDword("HideStatus", 1);
         k.WriteString("FoldersRecursively", "1");
         k.WriteString("Folders", "/old");
       },
       "attr 10001 size 2 0/2/0 5/2/5242880 zip 0\n/old=1 /sys=2 \n\n*.a=0 *.b=1 \n*.c=1 \n"},
  };
  sys_.defaultFolders = {"/sys"};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    platform::RegDeleteKeyTree(kCU, kCleanUp);
    WriteValues(kKeys.Old(), c.values);
    TWindowModel m;
    const TSettingsLoad result = Load(m);
    EXPECT_TRUE(result.imported);
    EXPECT_FALSE(result.found);
    EXPECT_EQ(result.stoppedAt, "");
    ApplyFirstStartDefaults(m, result.firstStart, sys_.defaultFolders);
    const std::string stored = Stored(m);
    const size_t from = stored.find("attr"), to = stored.find("lang");
    EXPECT_EQ(stored.substr(from, to - from), c.expected);
    EXPECT_EQ(m.compare.checked, ccSize | ccContent);
    EXPECT_TRUE(m.saveSettings) << "imported settings are kept in the new key on exit";
    EXPECT_TRUE(m.store.delRegEnabled);
  }
}

TEST_F(SettingsTest, DeletingAsksForTheOlderEditionsKeyOnlyWhenItsProgramIsGone) {
  struct Case {
    const char* name;
    bool oldKey;
    bool progExists;
    int answer;
    bool asked, oldDeleted;
  };
  const Case cases[] = {
      {"no older settings", false, false, ansYes, false, false},
      {"the older edition still installed", true, true, ansYes, false, false},
      {"gone, the user agrees", true, false, ansYes, true, true},
      {"gone, the user declines", true, false, ansNo, true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    platform::RegDeleteKeyTree(kCU, kCleanUp);
    existing_ = "/opt/old/zwillo.exe";
    if (c.oldKey)
      WriteValues(kKeys.Old(), [&](RegKey& k) {
        k.WriteString("ProgPath", c.progExists ? existing_ : "/gone/zwillo.exe");
      });
    TWindowModel m = ChangedModel();
    ASSERT_TRUE(SaveSettings(m, sys_, {}, kKeys));
    m.store.fileTypesRegistered = 0x03;
    zwtest::RecordingMessenger msgr;
    msgr.answers.push_back(c.answer);
    std::vector<std::string> calls;
    TSettingsHooks hooks;
    hooks.deleteUninstallEntries = [&](bool alsoOld) {
      calls.push_back(std::string("uninstall entries") + (alsoOld ? " and the old one" : ""));
    };
    hooks.unregisterFileTypes = [&](uint8_t f) { calls.push_back("types " + std::to_string(f)); };
    DeleteSettings(m, msgr, sys_, hooks, kKeys);

    EXPECT_EQ(msgr.Has(askDelReg), c.asked);
    EXPECT_FALSE(platform::RegKeyExists(kCU, kKeys.Current()));
    const bool oldLeft = c.oldKey && !c.oldDeleted;
    EXPECT_EQ(platform::RegKeyExists(kCU, kKeys.Old()), oldLeft);
    EXPECT_EQ(platform::RegKeyExists(kCU, kKeys.maker), oldLeft) << "an empty maker key goes";
    EXPECT_EQ(calls, (std::vector<std::string>{
                         std::string("uninstall entries") + (c.oldDeleted ? " and the old one" : ""),
                         "types 3"}));
    EXPECT_FALSE(m.saveSettings);
    EXPECT_FALSE(m.store.delRegEnabled);
  }
}

TEST_F(SettingsTest, AMissingOrMistypedValueEndsTheReadingThere) {
  struct Case {
    const char* value;
    std::function<void(RegKey&)> damage;
  };
  const Case cases[] = {
      {"Scan_SizeMode", [](RegKey& k) { k.DeleteValue("Scan_SizeMode"); }},
      {"Scan_SizeMode", [](RegKey& k) { k.WriteString("Scan_SizeMode", "1"); }},
      {"Comm_FindEmptyDirs", [](RegKey& k) { k.WriteBinary("Comm_FindEmptyDirs", {0, 0, 0, 0}); }},
      {"Comp_DateAdv", [](RegKey& k) { k.WriteBinary("Comp_DateAdv", std::vector<uint8_t>(8, 1)); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    platform::RegDeleteKeyTree(kCU, kCleanUp);
    TWindowModel saved = ChangedModel();
    ASSERT_TRUE(SaveSettings(saved, sys_, {}, kKeys));
    WriteValues(kKeys.Current(), c.damage);
    TWindowModel m;
    const TSettingsLoad result = Load(m);
    EXPECT_TRUE(result.found);
    EXPECT_EQ(result.stoppedAt, c.value);
    ASSERT_TRUE(result.report);
    EXPECT_NE(result.report->Message.find(c.value), std::string::npos) << result.report->Message;
    const TWindowModel defaults;
    // What comes before the value was read, what comes after it was not.
    EXPECT_EQ(m.compare.checked, ccFilename | ccDate);
    const bool dateRead = std::string(c.value) != "Comp_DateAdv";
    EXPECT_EQ(uint32_t{m.compare.date.days}, dateRead ? 1000u : uint32_t{defaults.compare.date.days});
    EXPECT_EQ(m.attribMode, dateRead ? uint8_t{fmLimitTo} : defaults.attribMode);
    EXPECT_EQ(m.attrReadOnly, dateRead);
    EXPECT_EQ(m.lessStatus, std::string(c.value) == "Comm_FindEmptyDirs");
    EXPECT_TRUE(m.findEmptyDirs);
    EXPECT_EQ(m.language, std::string(c.value) == "Comm_FindEmptyDirs" ? 0x407 : 0);
    EXPECT_FALSE(m.placement.restored);
    EXPECT_TRUE(m.saveSettings);
  }
}

#ifndef _WIN32
TEST_F(SettingsTest, ADamagedFileGivesTheDefaultsAndSaysWhatWasSkipped) {
  zwtest::WriteAll(store_.Tree().Dir("zwillo") + "settings.reg",
                   "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Corvanta\\Zwillo Pro\n"
                   "\"Comp_Filename\"=dword:00000001\n\x01\x02 binary junk\n");
  TWindowModel m;
  const TSettingsLoad result = Load(m);
  EXPECT_FALSE(result.found);
  EXPECT_EQ(result.firstStart, fsdAll);
  EXPECT_NE(result.storeProblem.find("settings.reg: line 3:"), std::string::npos)
      << result.storeProblem;
  EXPECT_EQ(Stored(m), Stored(TWindowModel{}));

  zwtest::WriteAll(store_.Tree().Dir("zwillo") + "settings.reg", std::string(300, '\0'));
  TWindowModel empty;
  EXPECT_FALSE(Load(empty).storeProblem.empty());
  EXPECT_EQ(Stored(empty), Stored(TWindowModel{}));
}
#endif

TEST_F(SettingsTest, ARestoredWindowStaysOnTheDesktop) {
  platform::DesktopMetrics d;
  d.left = -1280, d.top = 0, d.right = 1920, d.bottom = 1080;
  d.minWidth = 120, d.minHeight = 30, d.captionHeight = 20;
  d.captionButtonWidth = 25, d.smallIconWidth = 16;
  struct Case {
    const char* name;
    TWindowPlacement stored, expected;
  };
  const Case cases[] = {
      {"inside: kept", {100, 50, 800, 600, 0, true}, {100, 50, 800, 600, 0, true}},
      {"top above the desktop", {100, -300, 800, 600, 0, true}, {100, 0, 800, 600, 0, true}},
      {"top below the bottom", {100, 1070, 800, 600, 0, true}, {100, 1060, 800, 600, 0, true}},
      {"too small: the current size", {100, 50, 50, 10, 0, true}, {100, 50, 700, 500, 0, true}},
      // with the width before the stored size (700) the window ends left of
      // the desktop's left edge plus four caption buttons
      {"far left", {-2100, 50, 800, 600, 0, true}, {-1880, 50, 800, 600, 0, true}},
      {"far right", {1910, 50, 800, 600, 0, true}, {1856, 50, 800, 600, 0, true}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TWindowPlacement p = c.stored;
    ClampWindowPlacement(p, d, 700, 500);
    EXPECT_EQ(std::vector<int32_t>({p.left, p.top, p.width, p.height}),
              std::vector<int32_t>({c.expected.left, c.expected.top, c.expected.width,
                                    c.expected.height}));
  }

  // Through the loader: a stored top above the desktop opens at its top.
  TWindowModel saved;
  saved.saveSettings = saved.store.saveWindowPos = true;
  saved.placement = {100, -500, 800, 600, 1, false};
  ASSERT_TRUE(SaveSettings(saved, sys_, {}, kKeys));
  sys_.desktop = d;
  sys_.windowWidth = 700;
  sys_.windowHeight = 500;
  TWindowModel m;
  Load(m);
  EXPECT_TRUE(m.placement.restored);
  EXPECT_EQ(m.placement.top, 0);
  EXPECT_EQ(m.placement.state, 1);

  TWindowPlacement centred;
  d.screenWidth = 1920, d.screenHeight = 1080;
  CentreWindow(centred, d, 700, 500);
  EXPECT_EQ(std::vector<int32_t>({centred.left, centred.top}), std::vector<int32_t>({610, 290}));
}

}  // namespace
}  // namespace zw
