// Language files (.zwl): one text per line as "key=value", the keys being the
// identifier names of the string and message tables plus a few of their own
// ("language", "ID", "build" and the main window's captions).
//
//   language=Deutsch
//   ID=1031
//   build=104
//   strIdle=Status: bereit
//   askDeleteEmptyDir=Der Ordner "%s" ist jetzt leer.\nLöschen?
//
// Keys are case-insensitive and the first occurrence of a key wins; the value
// is everything after the first "=". Lines end in CR LF or LF; a UTF-8 byte
// order mark at the start is skipped. Lines without "=", with an empty key,
// with a NUL byte or longer than kMaxLanguageLine are left out.
//
// At start-up the program lists the language files beside it, picks one (the
// command line's -lang, else the stored choice, else the user's language) and
// applies it; the options page may apply another later.
#pragma once
#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "app/host.h"
#include "app/text/message_table.h"
#include "app/text/string_table.h"

namespace zw {

// The build of the texts this program speaks; a file made for another asks
// first (askIncompatibleLanguageFile).
constexpr int32_t kLanguageBuild = 104;
// A file named en.zwl replaces the built-in English only with this ID.
constexpr int32_t kLanguageEnglishUS = 1033;
// Limits of what is read: a bigger file is not read at all, a longer line is
// left out.
constexpr size_t kMaxLanguageFileSize = 8u << 20;
constexpr size_t kMaxLanguageLine = 64u << 10;

// The download page for language files, "<code>/" appended.
inline constexpr std::string_view kLanguageDownloadAddress =
    "https://www.corvanta.example/zwillo/languages/";

// "\n" (backslash, n) as CR LF.
std::string ExpandLineBreaks(std::string_view text);

// The keys and values of one language file.
class TLanguageFileData {
 public:
  static TLanguageFileData Parse(std::string_view bytes);
  // Reads and parses a file; nothing when it cannot be read or is bigger than
  // kMaxLanguageFileSize.
  static std::optional<TLanguageFileData> Load(const std::string& path);

  bool Has(std::string_view key) const;
  // The value as written; empty for a missing key.
  std::string Value(std::string_view key) const;
  // The value with "\n" expanded.
  std::string Text(std::string_view key) const { return ExpandLineBreaks(Value(key)); }
  // A decimal number (blanks around it allowed); nothing for anything else.
  std::optional<int32_t> Number(std::string_view key) const;
  size_t Size() const { return values_.size(); }
  // The keys read, lower-cased, in no particular order.
  std::vector<std::string> Keys() const;

 private:
  std::unordered_map<std::string, std::string> values_;  // keys lower-cased
};

// One entry of the language list (the options page's language box).
struct TLangFile {
  int32_t ID = 0;        // Windows language identifier; 0 the built-in English
  std::string FileName;  // without folder; empty for the built-in English
};
struct TLanguageEntry {
  std::string caption;  // "Deutsch [de]"
  TLangFile file;
  std::string folder;   // where the file lies, with trailing separator
  std::string Path() const { return folder + file.FileName; }
};
using TLanguageList = std::vector<TLanguageEntry>;

// The list: first "english [en]" {0, ""}; then every *.zwl file of the
// folders (in this order, each in directory order; a name met again in a
// later folder is left out) with a "language" text and a non-zero decimal
// "ID", as "<language> [<name without .zwl, lower case>]". A file en.zwl
// with ID 1033 takes the first entry's place as "<language> [en]"; with
// another ID it is left out.
TLanguageList FillLanguageList(const std::vector<std::string>& folders);

// The language the raw command line names with -lang "code" (or /lang):
// "en" gives 0, a code whose "<code>.zwl" (exact name) is in the list that
// entry's ID; no -lang, a code without its quotes or without a file: -1.
// Quoted texts elsewhere on the line are skipped.
int32_t LanguageFromCommandLine(const TLanguageList& list, std::string_view commandLine);

// The index of the entry for a wanted ID: the same ID, else the first with
// the same primary language (the low 10 bits), else 0.
size_t SelectLanguage(const TLanguageList& list, int32_t wanted);

// What the window takes from a language file besides the tables: its
// captions and hints (key and text, in the order they are applied; "\n" is
// expanded only in the four keys that show several lines), the lines of the
// unit boxes, and the About page's link captions and site language.
struct TWindowTexts {
  std::vector<std::pair<std::string, std::string>> captions;
  std::vector<std::string> unitItems;       // itmByteUnits
  std::vector<std::string> shortUnitItems;  // itmByteUnitsShort
  std::string mailLaunch, mailCopy;         // lblPopMailLaunch, lblPopMailCopy
  std::string websiteLang = "en";           // strWebsiteLang, "en" when empty
};
// The texts of the last language file applied (empty captions: the built-in
// English; the window keeps its own captions).
TWindowTexts& WindowTexts();
// The main window's caption keys, in the order they are applied.
const std::vector<std::string_view>& MainWindowCaptionKeys();

enum class TApplyResult {
  Applied,
  Aborted,     // the incompatibility question was answered Yes or Cancel
  Unreadable,  // the file could not be read
};

struct TApplyOptions {
  // Asks the incompatibility question and opens the download page; null:
  // nobody to ask, the file is applied.
  IHost* host = nullptr;
  // Execution mode p: the question is not asked, the file is applied.
  bool unattended = false;
  TStringTable* strings = nullptr;    // null: the program-wide tables
  TMessageTable* messages = nullptr;
  TWindowTexts* window = nullptr;
};

// Applies a language file: every text of both tables from the file (a
// missing key gives an empty text), the byte-unit names, the result list
// dialogs' titles and filters (strExportTitle ... from lblExportResultsCpt,
// lblTextFile, lblBinFile, lblImportResultsCpt when the file has them) and
// the window texts. A file of another build than kLanguageBuild asks first,
// with the file's own question text, button labels and caption: Yes opens
// the download page and aborts, Cancel aborts, No applies. An abort applies
// nothing. Does not touch the current language.
TApplyResult ApplyLanguageFile(const std::string& path, const TApplyOptions& options = {});

// The download page for a file's strWebsiteLang value (letters, digits, "-"
// and "_" kept, at most 16 of them; "en" when nothing is left).
std::string LanguageDownloadAddress(std::string_view websiteLang);

// The ID of the language in force: 0 the built-in English, -1 while start-up
// has not decided yet.
int32_t CurrentLanguage();
void SetCurrentLanguage(int32_t id);
// Dialogs take their captions from the string table only while a language
// other than the built-in English is in force; otherwise they keep their
// own built-in captions.
bool DialogsUseStringTable();

}  // namespace zw
