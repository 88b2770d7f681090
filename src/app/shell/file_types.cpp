#include "app/shell/file_types.h"

#include "app/shell/desktop_files.h"
#include "app/shell/product.h"
#include "app/text/string_table.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/process.h"
#include "platform/registry.h"

namespace zw {

using platform::RegAccess;
using platform::RegKey;
using platform::RegRoot;

std::string CommandLine(const std::string& exePath, const char* params) {
  return "\"" + exePath + "\"" + params;
}

TFileTypeRegistration::TFileTypeRegistration()
    : TFileTypeRegistration(platform::IsAdministrator()) {}

TFileTypeRegistration::TFileTypeRegistration(bool allowed)
    : allowed_(allowed && platform::RegRootAvailable(RegRoot::ClassesRoot)) {}

std::string TFileTypeRegistration::GetProgID(const std::string& extension) {
  ProgID.clear();
  if (!allowed_ || extension.empty() || extension[0] != '.') return ProgID;
  RegKey key;
  if (key.Open(RegRoot::ClassesRoot, extension, RegAccess::Read))
    ProgID = key.ReadString("").value_or("");
  return ProgID;
}

bool TFileTypeRegistration::RegisterExtension(const std::string& extension,
                                              const std::string& progID,
                                              const std::string& curVer, uint32_t editFlags,
                                              int iconIndex, const std::string& iconFile,
                                              const std::string& description) {
  if (!allowed_ || extension.empty() || extension[0] != '.') return false;
  std::string typeName = GetProgID(extension);
  if (typeName.empty()) typeName = progID;
  if (typeName.empty()) return false;
  bool ok = false;
  {
    RegKey ext;
    if (ext.Open(RegRoot::ClassesRoot, extension, RegAccess::Create)) {
      ext.WriteString("", typeName);
      ok = ext.ReadString("") == typeName;
    }
  }
  if (ok) {
    RegKey type;
    if (type.Open(RegRoot::ClassesRoot, typeName, RegAccess::Create)) {
      if (!description.empty()) type.WriteString("", description);
      if (editFlags != 0) type.WriteDword("EditFlags", editFlags);
    }
    if (!iconFile.empty() && platform::FileExists(iconFile)) {
      RegKey icon;
      if (icon.Open(RegRoot::ClassesRoot, typeName + "\\DefaultIcon", RegAccess::Create))
        icon.WriteString("", iconIndex == -1 ? iconFile
                                             : iconFile + "," + std::to_string(iconIndex));
    }
    if (!curVer.empty()) {
      RegKey cur;
      if (cur.Open(RegRoot::ClassesRoot, typeName + "\\CurVer", RegAccess::Create))
        cur.WriteString("", curVer);
    }
  }
  platform::NotifyAssociationsChanged();
  if (ok) {
    Extension = extension;
    ProgID = typeName;
  }
  return ok;
}

bool TFileTypeRegistration::RegisterVerb(const std::string& verb, const std::string& commandLine,
                                         const std::string& caption) {
  if (!allowed_ || ProgID.empty() || verb.empty() ||
      !platform::RegKeyExists(RegRoot::ClassesRoot, ProgID))
    return false;
  const std::string verbKey = ProgID + "\\shell\\" + verb;
  bool ok = false;
  {
    RegKey command;
    if (command.Open(RegRoot::ClassesRoot, verbKey + "\\command", RegAccess::Create)) {
      command.WriteString("", commandLine);
      ok = command.ReadString("") == commandLine;
    }
  }
  if (ok && !caption.empty()) {
    RegKey key;
    if (key.Open(RegRoot::ClassesRoot, verbKey, RegAccess::Write)) key.WriteString("", caption);
  }
  if (ok) Verb = verb;
  return ok;
}

bool TFileTypeRegistration::UnregisterVerb(const std::string& verb) {
  if (!allowed_ || ProgID.empty() || verb.empty()) return false;
  const bool ok = platform::RegDeleteKeyTree(RegRoot::ClassesRoot, ProgID + "\\shell\\" + verb);
  platform::NotifyAssociationsChanged();
  return ok;
}

bool TFileTypeRegistration::UnregisterExtension(const std::string& extension) {
  if (!allowed_ || extension.empty() || extension[0] != '.') return false;
  const bool ok = platform::RegDeleteKeyTree(RegRoot::ClassesRoot, extension);
  platform::NotifyAssociationsChanged();
  return ok;
}

bool TFileTypeRegistration::UnregisterFileType(const std::string& extension) {
  const std::string typeName = GetProgID(extension);
  if (typeName.empty()) return false;
  bool ok = UnregisterExtension(extension);
  ok = platform::RegDeleteKeyTree(RegRoot::ClassesRoot, typeName) && ok;
  platform::NotifyAssociationsChanged();
  return ok;
}

void RegisterType(TFileTypeRegistration& reg, const std::string& extension,
                  const std::string& typeName, const std::string& commandLine, int iconIndex,
                  const std::string& description, const std::string& exePath) {
  const std::string owner = reg.GetProgID(extension);
  if (owner == typeName) return;  // registered already
  if (!owner.empty()) {
    reg.RegisterVerb(kOurVerb, commandLine, kProductName);
    return;
  }
  if (reg.RegisterExtension(extension, typeName, typeName, kEditFlags, iconIndex,
                            iconIndex != -1 ? exePath : std::string(), description))
    reg.RegisterVerb("open", commandLine, std::string());
}

void RegisterAllTypes(TFileTypeRegistration& reg, uint8_t flags, const std::string& exePath) {
  if ((flags & ftTypeBits) == 0) return;
  if (flags & ftResultLists)
    RegisterType(reg, kResultListExt, kResultListType, CommandLine(exePath, kResultListParams), -1,
                 Strings().Str(strResultListDescr), exePath);
  if (flags & ftCatalogs)
    RegisterType(reg, kCatalogExt, kCatalogType, CommandLine(exePath, kCatalogParams), 1,
                 Strings().Str(strCatFileDescr), exePath);
  if ((flags & ftFolders) && platform::RegKeyExists(RegRoot::ClassesRoot, kFolderType)) {
    reg.SelectProgID(kFolderType);
    reg.RegisterVerb(kOurVerb, CommandLine(exePath, kFolderParams), kProductName);
  }
}

void UnregisterAllTypes(TFileTypeRegistration& reg, uint8_t flags) {
  if ((flags & ftTypeBits) == 0) return;
  const struct {
    uint8_t bit;
    const char* extension;
    const char* typeName;
  } types[] = {{ftResultLists, kResultListExt, kResultListType},
               {ftCatalogs, kCatalogExt, kCatalogType}};
  for (const auto& t : types) {
    if (!(flags & t.bit)) continue;
    const std::string owner = reg.GetProgID(t.extension);
    if (owner.empty()) continue;
    if (owner == t.typeName)
      reg.UnregisterFileType(t.extension);
    else
      reg.UnregisterVerb(kOurVerb);  // on the foreign owner's type, which GetProgID selected
  }
  if (flags & ftFolders) {
    reg.SelectProgID(kFolderType);
    reg.UnregisterVerb(kOurVerb);
  }
}

void RegisterAll(uint8_t flags, const std::string& exePath) {
  if (platform::RegRootAvailable(RegRoot::ClassesRoot)) {
    TFileTypeRegistration reg;
    RegisterAllTypes(reg, flags, exePath);
  } else {
    RegisterDesktopFiles(flags, exePath);
  }
}

void UnregisterAll(uint8_t flags) {
  if (platform::RegRootAvailable(RegRoot::ClassesRoot)) {
    TFileTypeRegistration reg;
    UnregisterAllTypes(reg, flags);
  } else {
    UnregisterDesktopFiles(flags);
  }
}

TFlagChanges FileTypeChanges(uint8_t registered, uint8_t wanted) {
  const uint8_t added = wanted & ~registered;
  const uint8_t removed = registered & ~wanted;
  if (removed & ftOn) return {0, registered};
  if (added & ftOn) return {wanted, 0};
  // Switched off before and after: nothing is registered, nor goes.
  if (!(wanted & ftOn)) return {0, 0};
  return {added, removed};
}

void ApplyFileTypeFlags(uint8_t& registered, uint8_t wanted, const std::string& exePath) {
  const TFlagChanges changes = FileTypeChanges(registered, wanted);
  if (changes.registerFlags) RegisterAll(changes.registerFlags, exePath);
  if (changes.unregisterFlags) UnregisterAll(changes.unregisterFlags);
  registered = wanted;
}

// --- the list of installed programs ---

bool UpdateUninstallEntry(const std::string& exePath, const std::string& language,
                          const std::string& today) {
  RegKey key;
  if (!key.Open(RegRoot::LocalMachine, kUninstallKey, RegAccess::Create)) return false;
  if (!key.ValueExists("DisplayName")) {
    key.WriteString("Contact", kSupportAddress);
    key.WriteString("Publisher", kPublisher);
    key.WriteString("URLInfoAbout", ProductPage(language));
    key.WriteDword("NoModify", 1);
    key.WriteDword("NoRepair", 1);
  }
  if (key.ReadString("DisplayVersion") != std::string(kVersionText)) {
    key.WriteString("DisplayName", kProductName);
    key.WriteString("DisplayVersion", kVersionText);
    key.WriteDword("Version", kVersionNumber);
    key.WriteDword("VersionMajor", kVersionMajor);
    key.WriteDword("VersionMinor", kVersionMinor);
    key.WriteString("InstallDate", today);
  }
  const std::string folder = platform::ExtractFilePath(exePath);
  uint64_t size = 0;
  for (const std::string& file : {exePath, folder + kHelpFileName}) {
    platform::FindData info;
    platform::OsError err;
    if (platform::GetFileInfo(file, info, err)) size += info.size;
  }
  key.WriteDword("EstimatedSize", static_cast<uint32_t>(size / 1024));
  key.WriteString("UninstallString", exePath + " -uninstall");
  key.WriteString("InstallLocation", platform::IncludeTrailingSep(folder));
  key.WriteString("DisplayIcon", exePath);
  return key.Close();
}

void DeleteUninstallEntries(bool alsoOld) {
  platform::RegDeleteKeyTree(RegRoot::LocalMachine, kUninstallKey);
  if (alsoOld) platform::RegDeleteKeyTree(RegRoot::LocalMachine, kOldUninstallKey);
}

}  // namespace zw
