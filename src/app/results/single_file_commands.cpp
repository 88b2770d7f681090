#include "app/results/single_file_commands.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "engine/common/file_checksum.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "app/text_ids.h"

namespace zw {

namespace {

// Holds the list's lock while a worker may change the list.
class TBusyGuard {
 public:
  TBusyGuard(TResultList& list, bool busy) {
    if (busy) guard_.emplace(list);
  }

 private:
  std::optional<TResultList::TGuard> guard_;
};

}  // namespace

TSingleFileCommands::TSingleFileCommands(IHost& host, IMessenger& messenger, TWindowModel& model,
                                         TResultList& list)
    : host_(host), messenger_(messenger), model_(model), list_(list) {}

TResultEntry* TSingleFileCommands::Entry(int32_t row) const { return list_.Item(row); }

std::string TSingleFileCommands::NameExtension(const std::string& name) {
  const size_t dot = name.rfind('.');
  return dot == std::string::npos ? std::string() : name.substr(dot);
}

bool TSingleFileCommands::ShellOpen(const std::string& target, const std::string& workingFolder) {
  const int code = host_.ShellOpen(target, workingFolder);
  if (code == 0) return true;
  messenger_.ShowMsg(msgCouldNotOpen,
                     {TFmtArg(target), TFmtArg(platform::SystemErrorText(code))});
  return false;
}

bool TSingleFileCommands::LaunchFile(int32_t row) {
  std::string file, folder;
  {
    TBusyGuard guard(list_, model_.busy);
    const TResultEntry* e = Entry(row);
    if (!e || e->InArchive()) return false;
    file = e->FullName();
    folder = e->Path;
  }
  return ShellOpen(file, folder);
}

bool TSingleFileCommands::OpenDirectory(int32_t row) {
  std::string target;
  {
    TBusyGuard guard(list_, model_.busy);
    const TResultEntry* e = Entry(row);
    if (!e) return false;
    if (e->Flags & reflag::kInZip) {
      const size_t gt = e->Path.str().rfind('>');
      if (gt == std::string::npos || gt == 0) return false;
      target = e->Path.str().substr(0, gt);  // the archive file itself
    } else if (e->InArchive()) {
      return false;  // a catalog entry has no folder to show
    } else {
      target = e->Path;
    }
  }
  return ShellOpen(target, std::string());
}

int TSingleFileCommands::OpenAllDirsOfGroup(int32_t row) {
  std::vector<std::string> folders;
  {
    TBusyGuard guard(list_, model_.busy);
    const TResultEntry* focused = Entry(row);
    if (!focused) return 0;
    const uint8_t shade = focused->Flags & reflag::kShaded;
    auto sameGroup = [&](int32_t i) {
      const TResultEntry* e = Entry(i);
      return e && (e->Flags & reflag::kShaded) == shade;
    };
    int32_t first = row;
    while (first > 0 && sameGroup(first - 1)) --first;
    for (int32_t i = first; sameGroup(i); ++i) {
      const TResultEntry* e = Entry(i);
      if (e->InArchive()) break;
      const bool seen = std::any_of(folders.begin(), folders.end(), [&](const std::string& f) {
        return platform::SamePath(f, e->Path);
      });
      if (!seen) folders.push_back(e->Path);
    }
  }
  int opened = 0;
  for (const auto& folder : folders)
    if (ShellOpen(folder, std::string())) ++opened;
  return opened;
}

bool TSingleFileCommands::HidesExtension(const std::string& name) const {
  return model_.results.hideExtensions && name.size() < kHideExtensionNameLimit;
}

bool TSingleFileCommands::RenameEditText(int32_t row, std::string& text) {
  TBusyGuard guard(list_, model_.busy);
  const TResultEntry* e = Entry(row);
  if (!e || e->InArchive()) return false;
  text = e->Name.str();
  if (HidesExtension(text)) {
    const size_t dot = text.rfind('.');
    if (dot != std::string::npos) text.erase(dot);
  }
  return true;
}

void TSingleFileCommands::RenameFailed(const platform::OsError& err) {
  using platform::ErrKind;
  switch (err.kind) {
    case ErrKind::AccessDenied:
    case ErrKind::WriteProtected: messenger_.ShowMsg(msgRenameFailedAccess); break;
    case ErrKind::SharingViolation: messenger_.ShowMsg(msgRenameFailedInUse); break;
    case ErrKind::InvalidName: messenger_.ShowMsg(msgRenameFailedInvalid); break;
    case ErrKind::AlreadyExists: messenger_.ShowMsg(msgRenameFailedExists); break;
    default:
      messenger_.ShowMsg(msgRenameFailedSys, {TFmtArg(int64_t{err.code}),
                                              TFmtArg(platform::SystemErrorText(err.code))});
      break;
  }
}

bool TSingleFileCommands::RenameFinish(int32_t row, const std::string& typedName) {
  TBusyGuard guard(list_, model_.busy);
  TResultEntry* e = Entry(row);
  if (!e || e->InArchive()) return false;
  const std::string old = e->Name.str();
  const std::string ext = NameExtension(old);
  std::string name = typedName;
  if (HidesExtension(old)) {
    name += ext;
  } else if (ext.size() >= 2 && ext.size() <= 6) {
    const size_t typedExt = NameExtension(name).size();
    if (typedExt < 2 || typedExt > 6) {
      switch (messenger_.AskMsg(askRenameForgotExtension, ansYes, {TFmtArg(ext)})) {
        case ansYes: name += ext; break;
        case ansNo: break;
        default: name = old; break;
      }
    }
  }
  if (name == old || name.empty()) return false;
  // A separator would move the file into another folder instead of renaming it.
  if (std::any_of(name.begin(), name.end(), [](char c) { return platform::IsPathSep(c); })) {
    messenger_.ShowMsg(msgRenameFailedInvalid);
    return false;
  }
  platform::OsError err;
  if (!platform::RenameNoReplace(e->Path + old, e->Path + name, err)) {
    RenameFailed(err);
    return false;
  }
  e->Name = name;
  host_.ResultsChanged();
  return true;
}

int TSingleFileCommands::CalculateCrc() {
  int computed = 0;
  {
    TBusyGuard guard(list_, model_.busy);
    for (TResultEntry* e : list_.Items()) {
      if (!e || !(e->Flags & reflag::kSelected) || e->InArchive() ||
          (e->Flags & reflag::kCrcValid))
        continue;
      TFileChecksum sum;
      platform::OsError err;
      if (!ComputeFileChecksum(e->FullName(), sum, err)) continue;
      e->Crc = sum.crc;
      e->Sample = sum.sample;
      e->Flags |= reflag::kCrcValid | reflag::kSampleValid;
      ++computed;
    }
  }
  host_.ResultsChanged();
  return computed;
}

}  // namespace zw
