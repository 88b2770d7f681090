// Language files: reading them, the language list, -lang, the choice of an
// entry, applying a file (with the question for another build), and the
// shipped German file checked against the tables.
#include "app/text/language_files.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "app/main/main_form.h"
#include "app/support/test_host.h"
#include "app/text/placeholders.h"
#include "app/text/text_format.h"
#include "app/text_ids.h"
#include "engine/threads/status_events.h"
#include "support/temp_tree.h"

namespace {

using zw::TLanguageFileData;
using zwtest::HostCall;
using zwtest::TempTree;

// --- reading -------------------------------------------------------------------

TEST(LanguageFileReading, KeysValuesAndLineEnds) {
  struct Case {
    const char* what;
    std::string bytes;
    const char* key;
    const char* value;
  };
  const std::string huge(zw::kMaxLanguageLine + 1, 'x');
  const Case cases[] = {
      {"keys are case-insensitive", "LANGUAGE=Deutsch\n", "language", "Deutsch"},
      {"the first occurrence wins", "strIdle=one\nSTRIDLE=two\n", "strIdle", "one"},
      {"the value is all after the first =", "a=b=c\n", "a", "b=c"},
      {"blanks of the value stay", "strPath=Pfad: \r\n", "strPath", "Pfad: "},
      {"CR LF ends a line", "a=1\r\nb=2\r\n", "b", "2"},
      {"LF ends a line", "a=1\nb=2", "b", "2"},
      {"a byte order mark is skipped", "\xEF\xBB\xBFlanguage=x\n", "language", "x"},
      {"a line without = is left out", "just text\nb=2\n", "just text", ""},
      {"an empty key is left out", "=x\nb=2\n", "", ""},
      {"a line with a NUL byte is left out", std::string("a=1\0x\na=2\n", 10), "a", "2"},
      {"a huge line is left out, the next is read", "a=" + huge + "\na=short\n", "a", "short"},
      {"a missing key reads as empty", "a=1\n", "b", ""},
      {"\\n stays as written", "a=x\\ny\n", "a", "x\\ny"},
  };
  for (const auto& c : cases) {
    const auto data = TLanguageFileData::Parse(c.bytes);
    EXPECT_EQ(data.Value(c.key), c.value) << c.what;
  }
}

TEST(LanguageFileReading, NumbersAndLineBreaks) {
  const auto data = TLanguageFileData::Parse(
      "ID=1031\nbuild= 104 \nneg=-5\nx=10x\nempty=\nbig=99999999999\ntext=a\\nb\\\\nc\\\n");
  EXPECT_EQ(data.Number("id"), 1031);
  EXPECT_EQ(data.Number("build"), 104);
  EXPECT_EQ(data.Number("neg"), -5);
  EXPECT_EQ(data.Number("x"), std::nullopt);
  EXPECT_EQ(data.Number("empty"), std::nullopt);
  EXPECT_EQ(data.Number("big"), std::nullopt);
  EXPECT_EQ(data.Number("missing"), std::nullopt);
  EXPECT_EQ(data.Text("text"), "a\r\nb\\\r\nc\\");
}

TEST(LanguageFileReading, BinaryJunkNeverStopsTheReader) {
  std::string junk;
  uint32_t x = 12345;
  for (int i = 0; i < 200000; ++i) {
    x = x * 1103515245 + 12345;
    junk += static_cast<char>(x >> 24);
  }
  const auto data = TLanguageFileData::Parse(junk + "\nlanguage=Deutsch\n");
  EXPECT_EQ(data.Value("language"), "Deutsch");
}

// --- the list ------------------------------------------------------------------

std::string ListText(const zw::TLanguageList& list) {
  std::string out;
  for (const auto& e : list)
    out += e.caption + "=" + std::to_string(e.file.ID) + ":" + e.file.FileName + ";";
  return out;
}

TEST(LanguageList, WhichFilesAreListed) {
  struct Case {
    const char* what;
    std::vector<std::pair<const char*, const char*>> files;  // name, content
    std::set<std::string> expected;  // entries after "english [en]" (directory order varies)
    const char* first;
  };
  const Case cases[] = {
      {"a file with language and ID", {{"de.zwl", "language=Deutsch\nID=1031\n"}},
       {"Deutsch [de]=1031:de.zwl;"}, "english [en]=0:;"},
      {"the extension in capitals; the caption's code lower-cased",
       {{"FR.ZWL", "language=Français\nID=1036\n"}}, {"Français [fr]=1036:FR.ZWL;"},
       "english [en]=0:;"},
      {"no language, ID 0, a non-number: left out",
       {{"a.zwl", "ID=1031\n"}, {"b.zwl", "language=B\nID=0\n"}, {"c.zwl", "language=C\nID=x\n"},
        {"d.zwlx", "language=D\nID=7\n"}},
       {}, "english [en]=0:;"},
      {"en.zwl with 1033 replaces the built-in English",
       {{"en.zwl", "language=English (US)\nID=1033\n"}}, {}, "English (US) [en]=1033:en.zwl;"},
      {"en.zwl with another ID is not listed",
       {{"EN.zwl", "language=English (UK)\nID=2057\n"}, {"de.zwl", "language=Deutsch\nID=1031\n"}},
       {"Deutsch [de]=1031:de.zwl;"}, "english [en]=0:;"},
  };
  for (const auto& c : cases) {
    TempTree t;
    t.Dir("x.zwl");  // a folder with the extension
    for (const auto& [name, content] : c.files) t.File(name, content);
    const auto list = zw::FillLanguageList({t.Root()});
    ASSERT_FALSE(list.empty()) << c.what;
    EXPECT_EQ(ListText({list[0]}), c.first) << c.what;
    std::set<std::string> rest;
    for (size_t i = 1; i < list.size(); ++i) rest.insert(ListText({list[i]}));
    EXPECT_EQ(rest, c.expected) << c.what;
    for (const auto& e : list)
      if (!e.file.FileName.empty()) {
        EXPECT_EQ(e.Path(), t.Root() + e.file.FileName) << c.what;
      }
  }
}

TEST(LanguageList, LaterFoldersAddOnlyNewNames) {
  TempTree t;
  const std::string a = t.Dir("bin"), b = t.Dir("share");
  t.File("bin/de.zwl", "language=Deutsch\nID=1031\n");
  t.File("share/de.zwl", "language=Deutsch (alt)\nID=1031\n");
  t.File("share/fr.zwl", "language=Français\nID=1036\n");
  const auto list = zw::FillLanguageList({a, b, t.PathOf("missing")});
  ASSERT_EQ(list.size(), 3u) << ListText(list);
  for (const auto& e : list) {
    if (e.file.FileName == "de.zwl") {
      EXPECT_EQ(e.caption, "Deutsch [de]");
    }
    if (e.file.FileName == "de.zwl") {
      EXPECT_EQ(e.folder, a);
    }
    if (e.file.FileName == "fr.zwl") {
      EXPECT_EQ(e.folder, b);
    }
  }
}

// --- -lang and the choice ----------------------------------------------------------

zw::TLanguageList SomeList() {
  return {{"English (US) [en]", {1033, "en.zwl"}, ""},
          {"Deutsch [de]", {1031, "de.zwl"}, ""},
          {"Deutsch (Österreich) [de_at]", {0x0C07, "de_at.zwl"}, ""},
          {"Français [fr]", {1036, "fr.zwl"}, ""}};
}

TEST(LanguageFromCommandLine, ReadsTheQuotedCode) {
  const std::pair<const char*, int32_t> cases[] = {
      {"\"zwillo\" -lang \"de\" -run", 1031},
      {"zwillo.exe /lang \"fr\"", 1036},
      {"zwillo -LANG \"de_at\"", 0x0C07},
      {"zwillo -lang    \"de\"", 1031},
      {"zwillo -lang \"en\"", 0},
      // EN is not en: it needs a file named EN.zwl
      {"zwillo -lang \"EN\"", -1},
      {"zwillo -lang \"it\"", -1},
      {"zwillo -lang de", -1},
      {"zwillo -lang \"de", -1},
      {"zwillo -lang", -1},
      {"zwillo -language \"de\"", -1},
      {"zwillo -addfolder \"/x -lang \" \"de\"", -1},  // inside quotes it is no option
      {"\"C:\\my -lang \"de\" dir\\zwillo.exe\" -run", -1},
      {"zwillo -run", -1},
      {"", -1},
  };
  for (const auto& [line, id] : cases) EXPECT_EQ(zw::LanguageFromCommandLine(SomeList(), line), id) << line;
}

TEST(SelectLanguage, SameIdThenPrimaryLanguageThenFirst) {
  const std::pair<int32_t, size_t> cases[] = {
      {1031, 1}, {0x0C07, 2}, {0x0807, 1},  // de_CH: the first German
      {1036, 3}, {0x0C0C, 3}, {1033, 0},  {0x0809, 0},
      {1040, 0}, {0, 0},      {-1, 0},
  };
  for (const auto& [wanted, index] : cases)
    EXPECT_EQ(zw::SelectLanguage(SomeList(), wanted), index) << wanted;
}

// --- applying ---------------------------------------------------------------------

class ApplyFile : public ::testing::Test {
 protected:
  zw::TApplyResult Apply(const std::string& content, bool unattended = false) {
    path = t.File("xx.zwl", content);
    zw::TApplyOptions o;
    o.host = &host;
    o.unattended = unattended;
    o.strings = &strings;
    o.messages = &messages;
    o.window = &window;
    return zw::ApplyLanguageFile(path, o);
  }
  bool Untouched() const {
    for (size_t i = 0; i < zw::kStrCount; ++i)
      if (strings.Str(zw::TStrID(i)) != zw::TStringTable::BuiltIn(zw::TStrID(i))) return false;
    for (size_t i = 0; i < zw::kMsgCount; ++i)
      if (messages.Text(zw::TMsgID(i)) != zw::TMessageTable::BuiltIn(zw::TMsgID(i)).Text)
        return false;
    return strings.UnitName(2) == "Mbytes" && window.captions.empty();
  }

  TempTree t;
  std::string path;
  zwtest::TestHost host;
  zw::TStringTable strings;
  zw::TMessageTable messages;
  zw::TWindowTexts window;
};

const char kGood[] =
    "language=Test\nID=1031\nbuild=104\n"
    "strIdle=Status: bereit\n"
    "askDeleteEmptyDir=Ordner \"%s\" leer.\\nLöschen?\n"
    "logDupesFound=%.0n Duplikate in %.0n Gruppen.\n"
    "itmByteUnits=Byte\\nKilo\\nMega\n"
    "itmByteUnitsShort=b\\nkiB\\n\n"
    "lblBtnRun=Los\\nnun\n"
    "lblCBRegFileTypes=Typen\\nverknüpfen\n"
    "lblTextFile=Text|datei\nlblBinFile=Binär\nlblExportResultsCpt=Export\n"
    "lblPopMailLaunch=Mail\nstrWebsiteLang=\n";

TEST_F(ApplyFile, EveryTextComesFromTheFile) {
  ASSERT_EQ(Apply(kGood), zw::TApplyResult::Applied);
  EXPECT_TRUE(host.Boxes().empty());
  EXPECT_EQ(strings.Str(zw::strIdle), "Status: bereit");
  EXPECT_EQ(strings.Str(zw::askDeleteEmptyDir), "Ordner \"%s\" leer.\r\nLöschen?");
  EXPECT_EQ(messages.Text(zw::logDupesFound), "%.0n Duplikate in %.0n Gruppen.");
  // a missing key gives an empty text, in both tables
  EXPECT_EQ(strings.Str(zw::strError), "");
  EXPECT_EQ(messages.Text(zw::msgDirNotFound), "");
  // three names and two line breaks: the first two long names only
  EXPECT_EQ(strings.UnitName(0), "Byte");
  EXPECT_EQ(strings.UnitName(1), "Kilo");
  EXPECT_EQ(strings.UnitName(2), "Mbytes");
  EXPECT_EQ(strings.UnitShortName(1), "ki");  // cut to two characters
  EXPECT_EQ(window.shortUnitItems, (std::vector<std::string>{"b", "kiB"}));
  EXPECT_EQ(window.unitItems, (std::vector<std::string>{"Byte", "Kilo"}));
  // the result list dialogs; the title of import stays as the table has it
  EXPECT_EQ(strings.Str(zw::strExportTitle), "Export");
  EXPECT_EQ(strings.Str(zw::strExportFilter), "Textdatei|*.txt|Binär|*.zwr");
  EXPECT_EQ(strings.Str(zw::strImportFilter), "Binär|*.zwr");
  EXPECT_EQ(strings.Str(zw::strImportTitle), "");
  // captions: "\n" expanded only where the caption shows several lines
  auto caption = [this](const std::string& key) {
    for (const auto& [k, v] : window.captions)
      if (k == key) return v;
    return std::string("(none)");
  };
  EXPECT_EQ(caption("lblBtnRun"), "Los\\nnun");
  EXPECT_EQ(caption("lblCBRegFileTypes"), "Typen\r\nverknüpfen");
  EXPECT_EQ(caption("lblBtnCancel"), "");
  EXPECT_EQ(window.captions.size(), zw::MainWindowCaptionKeys().size());
  EXPECT_EQ(window.mailLaunch, "Mail");
  EXPECT_EQ(window.websiteLang, "en");
}

TEST_F(ApplyFile, AnotherBuildAsksWithTheFilesOwnWords) {
  struct Case {
    const char* what;
    std::string content;
    std::vector<int> answers;  // the button the user presses
    zw::TApplyResult result;
    bool opened;  // the download page
  };
  const std::string words =
      "language=Test\nID=1031\nstrIdle=bereit\nlblYes=Ja\nlblNo=Nein\nlblCancel=Abbrechen\n"
      "strWarning=Warnung\naskIncompatibleLanguageFile=Datei \"%s\" ist alt.\nstrWebsiteLang=de\n";
  const Case cases[] = {
      {"no build, Yes: page opened, nothing applied", words, {0}, zw::TApplyResult::Aborted, true},
      {"build 103, Cancel: nothing applied", words + "build=103\n", {2},
       zw::TApplyResult::Aborted, false},
      {"build not a number, No: applied", words + "build=1o4\n", {1},
       zw::TApplyResult::Applied, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    host.Clear();
    host.answers.assign(c.answers.begin(), c.answers.end());
    strings.Reset();
    messages.Reset();
    window = {};
    EXPECT_EQ(Apply(c.content), c.result);
    const auto boxes = host.CallsOf(HostCall::CountdownBox);
    ASSERT_EQ(boxes.size(), 1u);
    const auto& r = boxes[0].request;
    EXPECT_EQ(r.caption, "Warnung");
    EXPECT_EQ(r.text, "Datei \"xx.zwl\" ist alt.");
    EXPECT_EQ(r.buttons, (std::vector<std::string>{"Ja", "Nein", "Abbrechen"}));
    EXPECT_EQ(r.defaultIndex, 0);
    EXPECT_EQ(r.seconds, 0);
    EXPECT_EQ(r.style & 0xF0, 0x30u);  // the warning icon
    const auto opened = host.CallsOf(HostCall::ShellOpen);
    ASSERT_EQ(opened.size(), c.opened ? 1u : 0u);
    if (c.opened) {
      EXPECT_EQ(opened[0].text, "https://www.corvanta.example/zwillo/languages/de/");
    }
    EXPECT_EQ(Untouched(), c.result == zw::TApplyResult::Aborted);
    if (c.result == zw::TApplyResult::Applied) {
      EXPECT_EQ(strings.Str(zw::strIdle), "bereit");
    }
  }
}

TEST_F(ApplyFile, QuestionWithoutTheFilesWordsHasBlankButtonsAndTheBuiltInText) {
  host.answers = {2};
  EXPECT_EQ(Apply("language=Test\nID=1031\nstrIdle=x\n"), zw::TApplyResult::Aborted);
  const auto boxes = host.CallsOf(HostCall::CountdownBox);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].request.buttons, (std::vector<std::string>{"", "", ""}));
  EXPECT_EQ(boxes[0].request.caption, "");
  EXPECT_NE(boxes[0].request.text.find("The language file \"xx.zwl\" is not designed"),
            std::string::npos);
  EXPECT_TRUE(Untouched());
}

TEST_F(ApplyFile, UnattendedRunsApplyWithoutAsking) {
  EXPECT_EQ(Apply("language=Test\nID=1031\nstrIdle=x\n", true), zw::TApplyResult::Applied);
  EXPECT_TRUE(host.Boxes().empty());
  EXPECT_EQ(strings.Str(zw::strIdle), "x");
}

TEST_F(ApplyFile, UnreadableAndHostileFiles) {
  zw::TApplyOptions o;
  o.strings = &strings;
  o.messages = &messages;
  o.window = &window;
  EXPECT_EQ(zw::ApplyLanguageFile(t.PathOf("missing.zwl"), o), zw::TApplyResult::Unreadable);
  EXPECT_EQ(zw::ApplyLanguageFile(t.Dir("folder.zwl"), o), zw::TApplyResult::Unreadable);
  EXPECT_TRUE(Untouched());

  // placeholders the file name cannot fill, and a site language that would
  // leave the download address
  host.answers = {0};
  EXPECT_EQ(Apply("askIncompatibleLanguageFile=%s %d %s %.0n %p %0:s %9:s %\n"
                  "strWebsiteLang=../../evil \"x\"\n"),
            zw::TApplyResult::Aborted);
  const auto opened = host.CallsOf(HostCall::ShellOpen);
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_EQ(opened[0].text, "https://www.corvanta.example/zwillo/languages/evilx/");
  EXPECT_TRUE(Untouched());
}

// --- the current language ------------------------------------------------------------

TEST(CurrentLanguage, DialogsUseTheTableOnlyForAnotherLanguage) {
  const std::pair<int32_t, bool> cases[] = {{-1, false}, {0, false}, {1031, true}, {1033, true}};
  for (const auto& [id, uses] : cases) {
    zw::SetCurrentLanguage(id);
    EXPECT_EQ(zw::DialogsUseStringTable(), uses) << id;
  }
  zw::SetCurrentLanguage(-1);
}

// --- start-up ----------------------------------------------------------------------

// The program-wide tables as the program starts, again after each test.
class StartLanguage : public ::testing::Test {
 protected:
  StartLanguage()
      : events([this](zw::TStatusEvent& ev) { form.HandleStatusEvent(ev); }),
        form(host, events, log) {
    t.File("de.zwl", "language=Deutsch\nID=1031\nbuild=104\nstrIdle=Status: bereit\n");
  }
  ~StartLanguage() override {
    zw::Strings().Reset();
    zw::Messages().Reset();
    zw::SetCurrentLanguage(-1);
  }
  TempTree t;
  zwtest::TestHost host;
  zw::TZWLog log;
  zw::TEventQueue events;
  zw::TMainForm form;
};

TEST_F(StartLanguage, CommandLineThenStoredThenUser) {
  struct Case {
    const char* line;
    std::optional<int32_t> stored;
    bool named;
    int32_t current;
  };
  // The user's own language decides only without the two; whatever it is
  // here, the result is one of the list's entries.
  const Case cases[] = {
      {"zwillo -lang \"de\" -run", 0, true, 1031},
      {"zwillo -lang \"en\" -run", 1031, true, 0},
      {"zwillo -run", 1031, false, 1031},
      {"zwillo -lang \"it\" -run", 0, false, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    zw::Strings().Reset();
    form.PrepareLanguages(c.line, {t.Root()});
    EXPECT_EQ(form.CommandLineNamedLanguage(), c.named);
    form.ChooseStartLanguage(c.stored);
    EXPECT_EQ(zw::CurrentLanguage(), c.current);
    EXPECT_EQ(form.Model().language, c.current);
    EXPECT_EQ(form.Languages()[form.SelectedLanguage()].file.ID, c.current);
    EXPECT_EQ(zw::Str(zw::strIdle), c.current == 1031 ? "Status: bereit" : "Status: idle");
  }
}

TEST_F(StartLanguage, AnAbortedFileLeavesEnglish) {
  t.File("fr.zwl", "language=Français\nID=1036\nstrIdle=Statut\n");  // no build
  host.answers = {2};
  form.PrepareLanguages("zwillo -lang \"fr\"", {t.Root()});
  form.ChooseStartLanguage(std::nullopt);
  EXPECT_EQ(host.Count(HostCall::CountdownBox), 1u);
  EXPECT_EQ(zw::CurrentLanguage(), 0);
  EXPECT_EQ(form.SelectedLanguage(), 0u);
  EXPECT_EQ(zw::Str(zw::strIdle), "Status: idle");
}

TEST_F(StartLanguage, TheOptionsPageLoadsAnotherLanguage) {
  using Load = zw::TMainForm::TLanguageLoad;
  form.PrepareLanguages("zwillo -lang \"en\"", {t.Root()});
  form.ChooseStartLanguage(std::nullopt);
  ASSERT_EQ(form.Languages().size(), 2u);
  const size_t german = form.Languages()[1].file.ID == 1031 ? 1 : 0;
  EXPECT_FALSE(form.CanLoadLanguage(0));
  EXPECT_EQ(form.LoadLanguage(0), Load::Nothing);
  EXPECT_FALSE(form.CanLoadLanguage(7));

  ASSERT_TRUE(form.CanLoadLanguage(german));
  EXPECT_EQ(form.LoadLanguage(german), Load::Applied);
  EXPECT_EQ(zw::CurrentLanguage(), 1031);
  EXPECT_EQ(form.Model().language, 1031);
  EXPECT_EQ(zw::Str(zw::strIdle), "Status: bereit");
  const auto status = host.CallsOf(HostCall::SetStatusText);
  ASSERT_FALSE(status.empty());
  EXPECT_EQ(status.back().text, "Status: bereit");
  EXPECT_FALSE(form.CanLoadLanguage(german));

  // English back needs a restart, asked in fixed English words.
  host.answers = {zw::ansNo, zw::ansYes};
  EXPECT_EQ(form.LoadLanguage(0), Load::Nothing);
  EXPECT_EQ(zw::CurrentLanguage(), 1031);
  EXPECT_EQ(form.LoadLanguage(0), Load::RestartForEnglish);
  EXPECT_EQ(zw::CurrentLanguage(), 0);
  const auto boxes = host.CallsOf(HostCall::QuestionBox);
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[1].caption, "Information");
  EXPECT_EQ(boxes[1].text.rfind("English is built into the program. To load it, Zwillo\r\n", 0), 0u);
  EXPECT_EQ(zw::TMainForm::LanguageRestartParameters(3), "-lang \"en\" -page 3");
}

// --- the shipped German file ----------------------------------------------------------

#ifdef ZW_LANG_DIR
TEST(ShippedGerman, EveryIdentifierWithTheEnglishPlaceholders) {
  const auto data = TLanguageFileData::Load(std::string(ZW_LANG_DIR) + "de.zwl");
  ASSERT_TRUE(data);
  EXPECT_EQ(data->Value("language"), "Deutsch");
  EXPECT_EQ(data->Number("ID"), 1031);
  EXPECT_EQ(data->Number("build"), zw::kLanguageBuild);
  EXPECT_EQ(data->Value("strWebsiteLang"), "de");

  std::set<std::string> known = {"language", "id", "build", "lblpopmaillaunch", "lblpopmailcopy",
                                 "lblexportresultscpt", "lbltextfile", "lblbinfile",
                                 "lblimportresultscpt"};
  auto lower = [](std::string_view s) {
    std::string out(s);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
  };
  auto check = [&](std::string_view name, const std::string& english) {
    SCOPED_TRACE(std::string(name));
    known.insert(lower(name));
    ASSERT_TRUE(data->Has(name)) << "missing";
    const std::string german = data->Text(name);
    EXPECT_EQ(zwtest::Conversions(german), zwtest::Conversions(english)) << german;
    const bool englishBreaks = english.find_first_of("\r\n") != std::string::npos;
    const bool germanBreaks = german.find('\n') != std::string::npos;
    if (name.substr(0, 3) != "itm") {
      EXPECT_EQ(germanBreaks, englishBreaks) << german;
    }
  };
  for (size_t i = 0; i < zw::kStrCount; ++i) {
    const auto id = zw::TStrID(i);
    check(zw::TStringTable::NameOf(id), std::string(zw::TStringTable::BuiltIn(id)));
  }
  for (size_t i = 0; i < zw::kMsgCount; ++i) {
    const auto id = zw::TMsgID(i);
    check(zw::TMessageTable::NameOf(id), zw::TMessageTable::BuiltIn(id).Text);
  }
  for (auto key : zw::MainWindowCaptionKeys()) {
    known.insert(lower(key));
    EXPECT_FALSE(data->Value(key).empty()) << key;
  }
  for (const auto& key : data->Keys()) EXPECT_TRUE(known.count(key)) << "unknown key " << key;

  // The packed lists: as many complete lines as their controls have items.
  const std::pair<const char*, size_t> lists[] = {
      {"itmFirstLast", 2}, {"itmBeforeAfter", 2}, {"itmByteUnits", 7}, {"itmByteUnitsShort", 7}};
  for (const auto& [key, count] : lists) {
    bool complete = false;
    const auto items = zw::SplitItems(data->Text(key), &complete);
    EXPECT_TRUE(complete) << key;
    EXPECT_EQ(items.size(), count) << key;
  }

  // Applied, the unit names are the file's own, none of them cut.
  zw::TStringTable strings;
  zw::TMessageTable messages;
  zw::TWindowTexts window;
  zw::TApplyOptions o;
  o.strings = &strings;
  o.messages = &messages;
  o.window = &window;
  ASSERT_EQ(zw::ApplyLanguageFile(std::string(ZW_LANG_DIR) + "de.zwl", o),
            zw::TApplyResult::Applied);
  EXPECT_EQ(zw::TByteUnitNames(strings.UnitNames()),
            (zw::TByteUnitNames{"Bytes", "kBytes", "MBytes", "GBytes", "TBytes", "PBytes",
                                "EBytes"}));
  EXPECT_EQ(strings.UnitShortName(3), "GB");
  EXPECT_EQ(zw::Format(messages.Text(zw::logDupesFound), {zw::TFmtArg(int64_t{5}), zw::TFmtArg(int64_t{2})}),
            "5 doppelte Dateien in 2 Gruppen gefunden.");
}
#endif

}  // namespace
