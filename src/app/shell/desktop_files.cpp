#include "app/shell/desktop_files.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

#include "app/shell/file_types.h"
#include "app/shell/product.h"
#include "app/text/string_table.h"
#include "platform/process.h"

namespace zw {

namespace fs = std::filesystem;

namespace {

// The line that marks a file as written by this program.
constexpr const char* kMarkDesktop = "X-Zwillo-Registration=true";
constexpr const char* kMarkMime = "<!-- written by zwillo; removed by zwillo -uninstall -->";

struct TEntryFile {
  uint8_t bit;
  const char* name;
};
constexpr TEntryFile kEntries[] = {{ftResultLists, "zwillo-results.desktop"},
                                   {ftCatalogs, "zwillo-catalog.desktop"},
                                   {ftFolders, "zwillo-folder.desktop"}};

std::string MimePackagePath() { return DesktopDataHome() + "/mime/packages/zwillo.xml"; }
std::string EntryPath(const char* name) { return DesktopDataHome() + "/applications/" + name; }

bool ReadText(const std::string& path, std::string& text) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream s;
  s << in.rdbuf();
  text = s.str();
  return true;
}

// Ours: the file exists and carries the mark.
bool Ours(const std::string& path) {
  std::string text;
  if (!ReadText(path, text)) return false;
  return text.find(kMarkDesktop) != std::string::npos || text.find(kMarkMime) != std::string::npos;
}

bool Exists(const std::string& path) {
  std::error_code ec;
  return fs::exists(fs::symlink_status(path, ec));
}

// Writes through a temporary file in the same folder and a rename; a file
// of that name that is not ours stays untouched (false).
bool WriteOwnFile(const std::string& path, const std::string& text) {
  if (Exists(path) && !Ours(path)) return false;
  std::error_code ec;
  fs::create_directories(fs::path(path).parent_path(), ec);
  const std::string temp = path + ".zwillo-new";
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    out << text;
    out.flush();
    if (!out) {
      fs::remove(temp, ec);
      return false;
    }
  }
  fs::rename(temp, path, ec);
  if (ec) fs::remove(temp, ec);
  return !ec;
}

bool RemoveOwnFile(const std::string& path) {
  if (!Exists(path)) return true;
  if (!Ours(path)) return false;
  std::error_code ec;
  return fs::remove(path, ec) && !ec;
}

// Which of the two types the MIME package of the program holds now.
uint8_t MimeTypesNow() {
  std::string text;
  if (!ReadText(MimePackagePath(), text) || text.find(kMarkMime) == std::string::npos) return 0;
  uint8_t flags = 0;
  if (text.find(kResultListMime) != std::string::npos) flags |= ftResultLists;
  if (text.find(kCatalogMime) != std::string::npos) flags |= ftCatalogs;
  return flags;
}

void Refresh(bool mime, bool entries) {
  platform::OsError err;
  // Either tool may be missing; the files work without their caches.
  if (mime) platform::RunProgramAndWait({"update-mime-database", DesktopDataHome() + "/mime"}, err);
  if (entries)
    platform::RunProgramAndWait({"update-desktop-database", DesktopDataHome() + "/applications"},
                                err);
}

// One argument of an Exec line: quoted, with the characters that the
// quoting reserves escaped and "%" doubled, then escaped once more as the
// file's string values are.
std::string ExecArgument(const std::string& arg) {
  std::string quoted = "\"";
  for (char c : arg) {
    if (c == '"' || c == '`' || c == '$' || c == '\\') quoted += '\\';
    if (c == '%') quoted += '%';
    quoted += c;
  }
  quoted += '"';
  std::string out;
  for (char c : quoted) {
    if (c == '\\') out += '\\';
    out += c;
  }
  return out;
}

std::string XmlText(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      default: out += c;
    }
  }
  return out;
}

}  // namespace

std::string DesktopDataHome() {
  if (const char* data = std::getenv("XDG_DATA_HOME"); data && *data == '/') {
    std::string home = data;
    while (home.size() > 1 && home.back() == '/') home.pop_back();
    return home;
  }
  if (const char* home = std::getenv("HOME"); home && *home) return std::string(home) + "/.local/share";
  return std::string();
}

std::vector<std::string> DesktopFilesFor(uint8_t flags) {
  std::vector<std::string> files;
  if (flags & (ftResultLists | ftCatalogs)) files.push_back(MimePackagePath());
  for (const TEntryFile& e : kEntries)
    if (flags & e.bit) files.push_back(EntryPath(e.name));
  return files;
}

std::string MimePackageText(uint8_t flags) {
  std::string text =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      + std::string(kMarkMime) +
      "\n<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n";
  const struct {
    uint8_t bit;
    const char* mime;
    TStrID description;
    const char* glob;
    const char* magic;
  } types[] = {{ftResultLists, kResultListMime, strResultListDescr, "*.zwr", "ZWReLi"},
               {ftCatalogs, kCatalogMime, strCatFileDescr, "*.zwc", "ZWCatF"}};
  for (const auto& t : types) {
    if (!(flags & t.bit)) continue;
    text += "  <mime-type type=\"" + std::string(t.mime) + "\">\n";
    text += "    <comment>" + XmlText(Strings().Str(t.description)) + "</comment>\n";
    text += "    <magic priority=\"50\">\n      <match type=\"string\" offset=\"0\" value=\"" +
            std::string(t.magic) + "\"/>\n    </magic>\n";
    text += "    <glob pattern=\"" + std::string(t.glob) + "\"/>\n";
    text += "  </mime-type>\n";
  }
  text += "</mime-info>\n";
  return text;
}

std::string DesktopEntryText(uint8_t typeBit, const std::string& exePath) {
  std::string name, params, mime, comment;
  switch (typeBit) {
    case ftResultLists:
      name = Strings().Str(strResultListDescr);
      params = " -importresults %f";
      mime = std::string(kResultListMime) + ";";
      comment = Strings().Str(strResultListLoad);
      break;
    case ftCatalogs:
      name = Strings().Str(strCatFileDescr);
      params = " -nosavereg -clearfolders -clearmasks -setcompare -addfolder %f -run -showlog";
      mime = std::string(kCatalogMime) + ";";
      comment = Strings().Str(strCatFileView);
      break;
    default:
      name = kProductName;
      params = " -nosavereg -clearfolders -addfolder %f -run -showlog";
      mime = "inode/directory;";
      comment = Strings().Str(strDirectoryScan);
      break;
  }
  // The program without a window speaks through the terminal.
  return "[Desktop Entry]\n"
         "Type=Application\n"
         "Name=" + name + "\n"
         "Comment=" + comment + "\n"
         "Exec=" + ExecArgument(exePath) + params + "\n"
         "MimeType=" + mime + "\n"
         "Terminal=true\n"
         "NoDisplay=true\n" +
         kMarkDesktop + "\n";
}

bool RegisterDesktopFiles(uint8_t flags, const std::string& exePath) {
  if (DesktopDataHome().empty() || (flags & ftTypeBits) == 0) return false;
  bool ok = true;
  const uint8_t mimeWanted = flags & (ftResultLists | ftCatalogs);
  if (mimeWanted) {
    const uint8_t now = MimeTypesNow();
    if ((now | mimeWanted) != now) ok = WriteOwnFile(MimePackagePath(), MimePackageText(now | mimeWanted)) && ok;
  }
  for (const TEntryFile& e : kEntries)
    if (flags & e.bit) ok = WriteOwnFile(EntryPath(e.name), DesktopEntryText(e.bit, exePath)) && ok;
  Refresh(mimeWanted != 0, true);
  return ok;
}

bool UnregisterDesktopFiles(uint8_t flags) {
  if (DesktopDataHome().empty() || (flags & ftTypeBits) == 0) return false;
  bool ok = true;
  const uint8_t mimeGone = flags & (ftResultLists | ftCatalogs);
  bool mimeChanged = false;
  if (mimeGone) {
    const uint8_t now = MimeTypesNow();
    const uint8_t stays = now & ~mimeGone;
    if (now != stays) {
      mimeChanged = true;
      ok = (stays ? WriteOwnFile(MimePackagePath(), MimePackageText(stays))
                  : RemoveOwnFile(MimePackagePath())) && ok;
    }
  }
  for (const TEntryFile& e : kEntries)
    if (flags & e.bit) ok = RemoveOwnFile(EntryPath(e.name)) && ok;
  Refresh(mimeChanged, true);
  return ok;
}

}  // namespace zw
