#include "app/shell/uninstall.h"

#include <filesystem>
#include <system_error>

#include "app/shell/desktop_files.h"
#include "app/shell/file_types.h"
#include "app/shell/product.h"
#include "app/text/string_table.h"
#include "app/text_ids.h"
#include "platform/files.h"
#include "platform/handover_window.h"
#include "platform/paths.h"
#include "platform/process.h"
#include "platform/registry.h"

namespace zw {

namespace {

constexpr int kIdYes = 6;
constexpr int kIdNo = 7;

void PutLength(std::vector<uint8_t>& out, size_t n) {
  const auto v = static_cast<uint32_t>(n);
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

std::vector<uint8_t> PathBytes(const std::string& path) {
  std::vector<uint8_t> bytes(path.begin(), path.end());
  bytes.push_back(0);  // the length counts the terminating zero
  return bytes;
}

bool WriteWhole(const std::string& path, const std::vector<uint8_t>& bytes) {
  platform::OsError err;
  platform::File file;
  if (!file.CreateNew(path, err)) return false;
  const bool ok = file.Write(bytes.data(), bytes.size(), err) && file.Flush(err);
  file.Close();
  return ok;
}

}  // namespace

std::string FreeUninstallerName(const std::string& folder) {
  std::string stem = "ZWuninst";
  for (;;) {
    const std::string path = platform::JoinPath(folder, stem + ".exe");
    if (!platform::FileExists(path) && !platform::FolderExists(path)) return path;
    stem += 'x';
  }
}

THandOverMessage TextsMessage(const std::vector<std::string>& texts) {
  THandOverMessage m{kHandOverTexts, {}};
  for (const std::string& t : texts) {
    PutLength(m.bytes, t.size());
    m.bytes.insert(m.bytes.end(), t.begin(), t.end());
  }
  return m;
}

std::vector<std::string> UninstallerTexts() {
  const TStringTable& s = Strings();
  return {s.Str(strTUCaption),     s.Str(lblClose),       s.Str(strTUUninstalling),
          s.Str(strTUFinished),    s.Str(strTUFileLeft),  s.Str(strTUFolderLeft),
          s.Str(strTUWaiting),     s.Str(strTUDeleteFile), s.Str(strTUDeleteFolder)};
}

THandOverMessage ItemMessage(uint8_t kind, const std::vector<uint8_t>& bytes) {
  THandOverMessage m{kHandOverItem, {kind}};
  PutLength(m.bytes, bytes.size());
  m.bytes.insert(m.bytes.end(), bytes.begin(), bytes.end());
  return m;
}

std::vector<THandOverMessage> HandOverMessages(bool withTexts, uint32_t processId,
                                               const std::string& exePath,
                                               const std::vector<std::string>& languageFiles) {
  std::vector<THandOverMessage> out;
  if (withTexts) out.push_back(TextsMessage(UninstallerTexts()));
  std::vector<uint8_t> pid;
  PutLength(pid, processId);
  out.push_back(ItemMessage(kItemProcess, pid));
  out.push_back(ItemMessage(kItemFile, PathBytes(exePath)));
  const std::string folder = platform::ExtractFilePath(exePath);
  // The window program and the console program share their folder: the
  // one that is not running goes as well.
  for (const char* program : {"zwillo.exe", "zwillo-cli.exe"}) {
    const std::string sibling = platform::JoinPath(folder, program);
    if (!platform::SamePath(sibling, exePath) && platform::FileExists(sibling))
      out.push_back(ItemMessage(kItemFile, PathBytes(sibling)));
  }
  const std::string help = platform::JoinPath(folder, kHelpFileName);
  if (platform::FileExists(help)) out.push_back(ItemMessage(kItemFile, PathBytes(help)));
  for (const std::string& file : languageFiles) out.push_back(ItemMessage(kItemFile, PathBytes(file)));
  out.push_back(ItemMessage(kItemFolder, PathBytes(platform::ExcludeTrailingSep(folder))));
  return out;
}

bool TUninstall::Run() {
  const std::string caption = Strings().Str(strTUCaption) + kProductName;
  if (setTitle) setTitle(caption);
  if (ask(askReallyUninstall, kIdYes, {}) != kIdYes) {
    if (setTitle) setTitle(kProductName);
    return false;
  }
  if (deleteSettings) deleteSettings();
  // Where the desktop keeps its registrations in the registry (Windows), the
  // uninstaller removes the program; elsewhere its installer's tools do.
  if (platform::RegRootAvailable(platform::RegRoot::ClassesRoot)) {
    std::vector<uint8_t> uninstaller;
    platform::ReadOwnResource(kUninstallerResource, uninstaller);
    return RunWindows(uninstaller);
  }
  RunPosix();
  return false;
}

bool TUninstall::RunWindows(const std::vector<uint8_t>& uninstaller) {
  const std::string path = FreeUninstallerName(platform::TempFolder());
  // A failure to write shows when it does not start.
  if (!uninstaller.empty()) WriteWhole(path, uninstaller);
  platform::THandoverWindow window;
  bool handedOver = false;
  window.onUninstallerWindow = [&](uintptr_t target) {
    if (handedOver) return;
    handedOver = true;
    const std::vector<std::string> languages = languageFiles ? languageFiles() : std::vector<std::string>();
    for (const THandOverMessage& m :
         HandOverMessages(languageInForce, platform::CurrentProcessId(), exePath, languages))
      platform::THandoverWindow::SendCopyData(target, window.Handle(), m.id, m.bytes);
    platform::THandoverWindow::PostToWindow(target, platform::kMsgUninstallerStep);
  };
  platform::OsError err;
  if (window.Create(kProductName) &&
      platform::StartProgram(path, std::to_string(window.Handle()), err) &&
      window.RunUntil([&] { return handedOver; }, handOverTimeoutMs))
    return true;
  if (ask(askRemoveProgramManually, kIdNo, {exePath}) == kIdYes && openFolder)
    openFolder(platform::ExtractFilePath(exePath));
  return false;
}

void TUninstall::RunPosix() {
  // Only what carries the program's mark goes.
  UnregisterDesktopFiles(ftTypeBits);
  if (!report) return;
  report("The settings and desktop registrations of " + std::string(kProductName) +
         " have been removed.");
  report("Its own files were installed by whoever installed it; remove them the same way:");
  report("  program: " + exePath);
  if (languageFiles)
    for (const std::string& file : languageFiles()) report("  language file: " + file);
}

}  // namespace zw
