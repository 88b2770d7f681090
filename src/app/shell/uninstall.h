// Removing the program on request (script command uninstall).
//
// Windows: after the question, the settings, the file-type registrations and
// the uninstall entry go (the deleteSettings hook), then the small
// uninstaller that the program carries as resource 142 is written to the
// temporary folder and started with the handle of a window that answers
// its messages; once it reports its window, it is handed the texts (when a
// language file is in force), the program's process id, the files to delete
// and the program folder, and the program ends. The uninstaller waits for
// it, deletes the files and removes the folder when nothing else is left
// in it.
//
// POSIX: whoever installed the program's files removes them; the program
// removes what it wrote itself (settings through the same hook, its desktop
// registrations) and says where its files are.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "engine/common/messages.h"

namespace zw {

inline constexpr int kUninstallerResource = 142;
// Copy-data identifiers and item kinds of the hand-over.
inline constexpr uint32_t kHandOverTexts = 1;
inline constexpr uint32_t kHandOverItem = 2;
inline constexpr uint8_t kItemProcess = 1;
inline constexpr uint8_t kItemFile = 10;
inline constexpr uint8_t kItemFolder = 11;

// "ZWuninst.exe" in `folder`, or with one more "x" before the extension
// for each name that is taken ("ZWuninstx.exe", "ZWuninstxx.exe", ...).
std::string FreeUninstallerName(const std::string& folder);

// One copy-data message of the hand-over.
struct THandOverMessage {
  uint32_t id;
  std::vector<uint8_t> bytes;
};
// The texts message: each text as its 32-bit little-endian length and its
// characters, in the uninstaller's order.
THandOverMessage TextsMessage(const std::vector<std::string>& texts);
// The uninstaller's texts from the string table, in their order.
std::vector<std::string> UninstallerTexts();
// One item: kind, 32-bit little-endian length, the bytes.
THandOverMessage ItemMessage(uint8_t kind, const std::vector<uint8_t>& bytes);
// Everything sent once the uninstaller reported its window: the texts when
// `withTexts`, the process id, the executable, the other program of the
// folder (zwillo.exe, zwillo-cli.exe) and the help file when they exist,
// the language files, the program folder.
std::vector<THandOverMessage> HandOverMessages(bool withTexts, uint32_t processId,
                                               const std::string& exePath,
                                               const std::vector<std::string>& languageFiles);

class TUninstall {
 public:
  // Set by the owner (the main form).
  std::function<void(const std::string&)> setTitle;
  std::function<int(TMsgID id, int defaultAnswer, const TFmtArgs& args)> ask;
  // Deletes the settings (and with them the uninstall entry and the
  // file-type registrations).
  std::function<void()> deleteSettings;
  std::function<void(const std::string& folder)> openFolder;
  // POSIX: says where the program's own files are.
  std::function<void(const std::string& line)> report;
  // The language files of the language list; whether one is in force.
  std::function<std::vector<std::string>()> languageFiles;
  bool languageInForce = false;
  std::string exePath;
  // How long the program waits for the uninstaller to report its window.
  uint32_t handOverTimeoutMs = 60000;

  // True when the program is to end now (the uninstaller took over).
  bool Run();

 private:
  bool RunWindows(const std::vector<uint8_t>& uninstaller);
  void RunPosix();
};

}  // namespace zw
