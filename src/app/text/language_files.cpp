#include "app/text/language_files.h"

#include <array>
#include <limits>

#include "app/text/text_format.h"
#include "app/text_ids.h"
#include "platform/files.h"
#include "platform/paths.h"

namespace zw {

namespace {

std::string LowerKey(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

std::optional<int32_t> DecimalNumber(std::string_view text) {
  text = TrimBlanks(text);
  bool negative = false;
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  if (text.empty() || text.size() > 10) return std::nullopt;
  int64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  if (negative) value = -value;
  if (value < std::numeric_limits<int32_t>::min() || value > std::numeric_limits<int32_t>::max())
    return std::nullopt;
  return static_cast<int32_t>(value);
}

// The main window's keys; the four that show several lines get "\n" expanded.
constexpr std::array<std::string_view, 4> kMultiLineCaptions = {
    "hntCBScanArchives", "lblCBSaveWindowPos", "lblCBSaveResultListColumns", "lblCBRegFileTypes"};

bool IsMultiLineCaption(std::string_view key) {
  for (auto k : kMultiLineCaptions)
    if (k == key) return true;
  return false;
}

std::string WithoutBars(std::string text) {
  std::string out;
  for (char c : text)
    if (c != '|') out += c;
  return out;
}

std::vector<std::string> CompleteItems(const std::string& packed) {
  bool lastComplete = true;
  std::vector<std::string> items = SplitItems(packed, &lastComplete);
  if (!lastComplete && !items.empty()) items.pop_back();
  return items;
}

std::atomic<int32_t> gCurrentLanguage{-1};

}  // namespace

std::string ExpandLineBreaks(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == 'n') {
      out += "\r\n";
      ++i;
    } else {
      out += text[i];
    }
  }
  return out;
}

// --- reading -----------------------------------------------------------------

TLanguageFileData TLanguageFileData::Parse(std::string_view bytes) {
  TLanguageFileData data;
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
  size_t pos = 0;
  while (pos < bytes.size()) {
    size_t end = bytes.find('\n', pos);
    if (end == std::string_view::npos) end = bytes.size();
    std::string_view line = bytes.substr(pos, end - pos);
    pos = end + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.size() > kMaxLanguageLine || line.find('\0') != std::string_view::npos) continue;
    const size_t eq = line.find('=');
    if (eq == std::string_view::npos) continue;
    const std::string_view key = TrimBlanks(line.substr(0, eq));
    if (key.empty()) continue;
    data.values_.try_emplace(LowerKey(key), line.substr(eq + 1));  // the first one wins
  }
  return data;
}

std::optional<TLanguageFileData> TLanguageFileData::Load(const std::string& path) {
  platform::File file;
  platform::OsError err;
  uint64_t size = 0;
  if (!file.OpenRead(path, err) || !file.Size(size, err) || size > kMaxLanguageFileSize)
    return std::nullopt;
  // Only as many bytes as the file says it has: a pipe or device under a
  // language file's name reads as empty instead of waiting.
  std::string bytes(static_cast<size_t>(size), '\0');
  size_t have = 0;
  while (have < bytes.size()) {
    size_t got = 0;
    if (!file.Read(bytes.data() + have, bytes.size() - have, got, err)) return std::nullopt;
    if (got == 0) break;
    have += got;
  }
  bytes.resize(have);
  return Parse(bytes);
}

bool TLanguageFileData::Has(std::string_view key) const {
  return values_.find(LowerKey(key)) != values_.end();
}

std::string TLanguageFileData::Value(std::string_view key) const {
  const auto it = values_.find(LowerKey(key));
  return it == values_.end() ? std::string() : it->second;
}

std::vector<std::string> TLanguageFileData::Keys() const {
  std::vector<std::string> keys;
  keys.reserve(values_.size());
  for (const auto& [key, value] : values_) keys.push_back(key);
  return keys;
}

std::optional<int32_t> TLanguageFileData::Number(std::string_view key) const {
  return DecimalNumber(Value(key));
}

// --- the list ------------------------------------------------------------------

TLanguageList FillLanguageList(const std::vector<std::string>& folders) {
  TLanguageList list;
  list.push_back({"english [en]", {0, std::string()}, std::string()});
  std::vector<std::string> seen;
  bool englishReplaced = false;
  for (const std::string& folderName : folders) {
    if (folderName.empty()) continue;
    const std::string folder = platform::IncludeTrailingSep(folderName);
    platform::DirEnum dir;
    platform::OsError err;
    if (!dir.Open(folder, err)) continue;
    platform::FindData fd;
    while (dir.Next(fd)) {
      const std::string& name = fd.name;
      if (fd.IsFolder() || fd.isSpecial || name.size() < 4) continue;
      if (LowerKey(name.substr(name.size() - 4)) != ".zwl") continue;
      bool again = false;
      for (const auto& s : seen) again = again || s == name;
      if (again) continue;
      const auto data = TLanguageFileData::Load(folder + name);
      if (!data) continue;
      seen.push_back(name);
      const std::string language = data->Value("language");
      const std::optional<int32_t> id = data->Number("ID");
      if (language.empty() || !id || *id == 0) continue;
      if (EqualNoCaseAscii(name, "en.zwl")) {
        if (*id != kLanguageEnglishUS || englishReplaced) continue;
        list[0] = {language + " [en]", {*id, name}, folder};
        englishReplaced = true;
        continue;
      }
      list.push_back(
          {language + " [" + LowerKey(name.substr(0, name.size() - 4)) + "]", {*id, name}, folder});
    }
  }
  return list;
}

int32_t LanguageFromCommandLine(const TLanguageList& list, std::string_view line) {
  size_t i = 0;
  while (i < line.size()) {
    const char c = line[i];
    if (c == '"') {  // a quoted text is skipped whole
      const size_t close = line.find('"', i + 1);
      if (close == std::string_view::npos) return -1;
      i = close + 1;
      continue;
    }
    if ((c == '-' || c == '/') && LowerKey(line.substr(i + 1, 5)) == "lang ") {
      size_t j = i + 6;
      while (j < line.size() && line[j] == ' ') ++j;
      if (j >= line.size() || line[j] != '"') return -1;
      const size_t close = line.find('"', j + 1);
      if (close == std::string_view::npos) return -1;
      const std::string_view code = line.substr(j + 1, close - j - 1);
      if (code == "en") return 0;
      const std::string fileName = std::string(code) + ".zwl";
      for (const auto& entry : list)
        if (!entry.file.FileName.empty() && entry.file.FileName == fileName) return entry.file.ID;
      return -1;
    }
    ++i;
  }
  return -1;
}

size_t SelectLanguage(const TLanguageList& list, int32_t wanted) {
  for (size_t i = 0; i < list.size(); ++i)
    if (list[i].file.ID == wanted) return i;
  for (size_t i = 0; i < list.size(); ++i)
    if ((list[i].file.ID & 0x3FF) == (wanted & 0x3FF)) return i;
  return 0;
}

// --- applying --------------------------------------------------------------------

const std::vector<std::string_view>& MainWindowCaptionKeys() {
  static const std::vector<std::string_view> keys = {
      "lblPageCompOptions", "lblPageScanOptions", "lblPageCommonOptions", "lblPageHelp",
      "lblPageAbout", "lblBtnRun", "lblBtnCancel", "lblResListFilename", "lblResListPath",
      "lblResListSize", "lblResListDate", "lblResListCRC32", "lblGroupBy", "lblRBDupeSets",
      "lblRBFilename", "lblRBPath", "lblRBSize", "lblRBDate", "lblRBCRC32", "lblTabCheck",
      "lblTabUncheck", "lblBtnCheckAll", "lblBtnCheckSel", "lblBtnCheckFirst", "lblBtnCheckLast",
      "lblBtnCheckCriteria", "lblBtnMove", "lblBtnRecycle", "lblBtnDelete", "lblBtnReplace",
      "lblPopLaunchFile", "lblPopOpenDir", "lblPopOpenDirGroup", "lblPopRename", "lblPopCalcCRC",
      "lblPopCopySelected", "lblPopExportSelected", "lblPopExportAll", "lblPopImport",
      "lblPopCreateCatfile", "lblPopDisplayOptions", "lblCBAltPathShortening",
      "lblCBDisplaySeconds", "lblPopHideExtensions", "lblPopFilesizeUnit", "lblPopBgColors",
      "lblPopResultFont", "lblCBFilename", "lblCBSize", "lblCBDate", "lblCBContent",
      "lblBtnAdvanced", "lblDirectories", "lblDir1", "lblDir2", "lblCBScanArchives",
      "hntBtnAddFolder", "hntBtnAddCat", "hntBtnRemFolder", "hntCBScanArchives", "lblFilenames",
      "lblLimitMask", "lblExcludeMask", "hntEditMask", "hntCLBoxMask", "lblAttributes",
      "lblRBIgnore", "lblRBExclude", "lblRBLimitTo", "lblCBReadOnly", "lblCBHidden",
      "lblCBArchive", "lblCBSystem", "lblFilesize", "lblFilesizesOf", "lblFilesizesTo",
      "lblLanguage", "lblBtnLoadLang", "lblMisc", "lblCBDisableStatus", "lblCBFindEmptyDirs",
      "lblCBHideExtensions", "lblResultListApp", "lblBtnResultFont", "lblBgColors",
      "lblFileSizeDisplayUnit", "lblStoreSettings", "lblCBSaveOptions", "lblBtnDeleteOptions",
      "lblCBSaveWindowPos", "lblCBSaveResultListColumns", "lblCBRegFileTypes"};
  return keys;
}

TWindowTexts& WindowTexts() {
  static TWindowTexts texts;
  return texts;
}

std::string LanguageDownloadAddress(std::string_view websiteLang) {
  std::string code;
  for (char c : websiteLang) {
    const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                    c == '-' || c == '_';
    if (ok && code.size() < 16) code += c;
  }
  if (code.empty()) code = "en";
  return std::string(kLanguageDownloadAddress) + code + "/";
}

TApplyResult ApplyLanguageFile(const std::string& path, const TApplyOptions& options) {
  TStringTable& strings = options.strings ? *options.strings : Strings();
  TMessageTable& messages = options.messages ? *options.messages : Messages();
  TWindowTexts& window = options.window ? *options.window : WindowTexts();

  const auto data = TLanguageFileData::Load(path);
  if (!data) return TApplyResult::Unreadable;

  // A file made for another build: its own words ask whether to fetch a new
  // one (Yes), to go on with it (No) or to keep the texts in force (Cancel).
  if (data->Number("build").value_or(0) != kLanguageBuild && !options.unattended &&
      options.host) {
    std::string question = data->Text(TMessageTable::NameOf(askIncompatibleLanguageFile));
    if (question.empty()) question = TMessageTable::BuiltIn(askIncompatibleLanguageFile).Text;
    TCountdownRequest request;
    request.caption = data->Text(TStringTable::NameOf(strWarning));
    request.text = Format(question, {TFmtArg(platform::ExtractFileName(path))});
    request.buttons = {data->Text(TStringTable::NameOf(lblYes)),
                       data->Text(TStringTable::NameOf(lblNo)),
                       data->Text(TStringTable::NameOf(lblCancel))};
    request.defaultIndex = 0;
    request.seconds = 0;
    request.style = TMessageTable::BuiltIn(askIncompatibleLanguageFile).Flags;
    const int index = options.host->CountdownBox(request);
    if (index == 0) {
      options.host->ShellOpen(LanguageDownloadAddress(data->Value("strWebsiteLang")),
                              std::string());
      return TApplyResult::Aborted;
    }
    if (index != 1) return TApplyResult::Aborted;
  }

  // The tables: every text from the file, empty where it has none.
  for (size_t i = 1; i < kStrCount; ++i) {
    const auto id = static_cast<TStrID>(i);
    strings.Set(id, data->Text(TStringTable::NameOf(id)));
  }
  for (size_t i = 0; i < kMsgCount; ++i) {
    const auto id = static_cast<TMsgID>(i);
    messages.SetText(id, data->Text(TMessageTable::NameOf(id)));
  }
  strings.ApplyUnitItems();

  // The result list dialogs: titles and filters from the file's own keys.
  if (const std::string t = data->Value("lblExportResultsCpt"); !t.empty())
    strings.Set(strExportTitle, t);
  if (const std::string t = data->Value("lblImportResultsCpt"); !t.empty())
    strings.Set(strImportTitle, t);
  const std::string textFile = WithoutBars(data->Value("lblTextFile"));
  const std::string binFile = WithoutBars(data->Value("lblBinFile"));
  if (!textFile.empty() && !binFile.empty())
    strings.Set(strExportFilter, textFile + "|*.txt|" + binFile + "|*.zwr");
  if (!binFile.empty()) strings.Set(strImportFilter, binFile + "|*.zwr");

  // What the window shows.
  TWindowTexts texts;
  for (std::string_view key : MainWindowCaptionKeys())
    texts.captions.emplace_back(std::string(key),
                                IsMultiLineCaption(key) ? data->Text(key) : data->Value(key));
  texts.unitItems = CompleteItems(strings.Str(itmByteUnits));
  texts.shortUnitItems = CompleteItems(strings.Str(itmByteUnitsShort));
  texts.mailLaunch = data->Value("lblPopMailLaunch");
  texts.mailCopy = data->Value("lblPopMailCopy");
  texts.websiteLang = strings.Str(strWebsiteLang);
  if (texts.websiteLang.empty()) texts.websiteLang = "en";
  window = std::move(texts);
  return TApplyResult::Applied;
}

int32_t CurrentLanguage() { return gCurrentLanguage.load(); }
void SetCurrentLanguage(int32_t id) { gCurrentLanguage.store(id); }
bool DialogsUseStringTable() { return CurrentLanguage() != 0 && CurrentLanguage() != -1; }

}  // namespace zw
