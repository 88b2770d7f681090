// Registering the program with the desktop: result lists (.zwr) and catalog
// files (.zwc) open in it, and folders get a command that scans them.
//
// Windows: keys and values under HKEY_CLASSES_ROOT (TFileTypeRegistration,
// RegisterAll, UnregisterAll); an extension that belongs to another program
// keeps its owner and only gets our verb "Zwillo". POSIX: the freedesktop
// files of desktop_files.h, per user. ApplyFileTypeFlags chooses whichever
// the system has, so the settings code calls one function.
//
// The list of installed programs (Windows, HKEY_LOCAL_MACHINE) is kept by
// UpdateUninstallEntry and DeleteUninstallEntries.
#pragma once
#include <cstdint>
#include <string>

namespace zw {

// File-type flags (TStoreOptions::fileTypesRegistered / fileTypesWanted).
enum : uint8_t {
  ftOn = 0x01,          // registration switched on ("register file types")
  ftResultLists = 0x02, // .zwr
  ftCatalogs = 0x04,    // .zwc
  ftFolders = 0x08,     // the folder command on "Directory"
  ftTypeBits = ftResultLists | ftCatalogs | ftFolders,
};

inline constexpr const char* kResultListExt = ".zwr";
inline constexpr const char* kResultListType = "ZwilloPro.ResultList.1";
inline constexpr const char* kCatalogExt = ".zwc";
inline constexpr const char* kCatalogType = "ZwilloPro.Catalog.1";
inline constexpr const char* kFolderType = "Directory";
inline constexpr const char* kOurVerb = "Zwillo";
inline constexpr uint32_t kEditFlags = 0x1A000;  // open is safe, no DDE, no MIME editing

// The parameters after the quoted executable, %1 standing for the file or
// folder.
inline constexpr const char* kResultListParams = " -importresults \"%1\"";
inline constexpr const char* kCatalogParams =
    " -nosavereg -clearfolders -clearmasks -setcompare -addfolder \"%1\" -run -showlog";
inline constexpr const char* kFolderParams = " -nosavereg -clearfolders -addfolder \"%1\" -run -showlog";

// "\"<exe>\"" + params.
std::string CommandLine(const std::string& exePath, const char* params);

// Works on one file class under HKEY_CLASSES_ROOT. Without the right to write
// there (no administrator, or no such root on this system) every operation
// does nothing and returns false.
class TFileTypeRegistration {
 public:
  TFileTypeRegistration();                     // asks the administrator check
  explicit TFileTypeRegistration(bool allowed);

  bool Allowed() const { return allowed_; }
  // The type name the extension key names (also kept in ProgID); empty when
  // there is no such key or the extension does not begin with ".".
  std::string GetProgID(const std::string& extension);
  void SelectProgID(const std::string& name) { ProgID = name; }
  bool RegisterExtension(const std::string& extension, const std::string& progID,
                         const std::string& curVer, uint32_t editFlags, int iconIndex,
                         const std::string& iconFile, const std::string& description);
  // On ProgID, which must name an existing key.
  bool RegisterVerb(const std::string& verb, const std::string& commandLine,
                    const std::string& caption);
  bool UnregisterVerb(const std::string& verb);
  // Deletes the extension key.
  bool UnregisterExtension(const std::string& extension);
  // Deletes the extension key and the key of the type it names.
  bool UnregisterFileType(const std::string& extension);

  std::string Extension;  // the extension last registered
  std::string ProgID;     // the type name the operations work on
  std::string Verb;       // the verb last registered

 private:
  bool allowed_;
};

// One file type: nothing when the extension is ours already; our verb on a
// foreign owner's type; otherwise the extension, its type and the open verb.
// An icon index of -1 registers no icon.
void RegisterType(TFileTypeRegistration& reg, const std::string& extension,
                  const std::string& typeName, const std::string& commandLine, int iconIndex,
                  const std::string& description, const std::string& exePath);

// Registry flavour (Windows). Bit 0 is ignored.
void RegisterAllTypes(TFileTypeRegistration& reg, uint8_t flags, const std::string& exePath);
void UnregisterAllTypes(TFileTypeRegistration& reg, uint8_t flags);

// Whichever the system has: the registry's classes root, else the
// freedesktop files of the current user.
void RegisterAll(uint8_t flags, const std::string& exePath);
void UnregisterAll(uint8_t flags);
// Brings the registration in line with the wanted flags: switched off →
// everything registered goes; switched on → everything wanted is registered;
// else, while it stays on, the added types are registered and the removed
// ones go (while it stays off, nothing happens). `registered`
// becomes `wanted`.
void ApplyFileTypeFlags(uint8_t& registered, uint8_t wanted, const std::string& exePath);
// The three steps of ApplyFileTypeFlags as (register, unregister) flag sets;
// a zero set means no call.
struct TFlagChanges {
  uint8_t registerFlags = 0;
  uint8_t unregisterFlags = 0;
};
TFlagChanges FileTypeChanges(uint8_t registered, uint8_t wanted);

// --- the list of installed programs (Windows, HKEY_LOCAL_MACHINE) ---

inline constexpr const char* kUninstallKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Zwillo Pro";
inline constexpr const char* kOldUninstallKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Zwillo";

// The entry: the maker's values once, the version's when the stored version
// differs, the program's place and size always. `language` is the product
// page's language, `today` the date as "yyyymmdd". Nothing when the key
// cannot be opened (no administrator, or POSIX). False then.
bool UpdateUninstallEntry(const std::string& exePath, const std::string& language,
                          const std::string& today);
// Removes the entry, and the older edition's too when `alsoOld`.
void DeleteUninstallEntries(bool alsoOld);

}  // namespace zw
