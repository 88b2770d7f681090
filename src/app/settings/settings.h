// The stored settings: every option of the option pages, the folder and mask
// lists, the window placement and the result list's layout, kept as values
// of one key of the current user (Software\Corvanta\Zwillo Pro), read once at
// start and written once at the end while "save settings" is on.
//
// Value names, types, order and byte layouts are fixed; on Windows they are
// the registry's, on POSIX the same values in the settings file of
// platform/registry.h.
//
//   TSettingsLoad loaded = LoadSettings(model, sys, /*readLanguage=*/true);
//   ... apply the language ...
//   ApplyFirstStartDefaults(model, loaded.firstStart, sys.defaultFolders);
//   ...
//   SaveSettings(model, sys, hooks);   // on closing; nothing unless model.saveSettings
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/window_model.h"
#include "engine/common/except_info.h"
#include "engine/common/messages.h"
#include "platform/system_folders.h"

namespace zw {

// The keys below HKEY_CURRENT_USER: the maker key holds this edition's key
// and the older edition's. Tests move them elsewhere.
struct TSettingsKeys {
  std::string maker = "Software\\Corvanta";
  std::string Current() const { return maker + "\\Zwillo Pro"; }
  std::string Old() const { return maker + "\\Zwillo"; }
};

// First-start defaults: which of the built-in defaults a start without
// stored settings still gets.
enum : uint8_t {
  fsdExcludeMasks = 0x01,  // add "*.dll", "*.sys", "*.vxd", "*.inf" to the exclude masks
  fsdCheckDll = 0x02,      // check "*.dll"
  fsdCheckOthers = 0x04,   // check "*.sys", "*.vxd", "*.inf"
  fsdFolders = 0x08,       // add the system's default folders as excluded rows
  fsdAll = 0x0F,
};

// What only the system or the screen knows. CurrentSettingsSystem() asks the
// platform; tests fill it themselves.
struct TSettingsSystem {
  bool isAdmin = false;                     // may register file types machine-wide
  std::vector<std::string> defaultFolders;  // platform::DefaultExcludeFolders()
  std::function<bool(const std::string&)> fileExists;
  std::string programFile;                  // written as ProgPath
  std::string version = "2.1.0.104";       // written as Version
  // The screen, when there is one (nullopt: the program has no window; a
  // stored placement is then kept as it is, neither clamped nor centred).
  std::optional<platform::DesktopMetrics> desktop;
  // The window's size before a stored placement is applied.
  int32_t windowWidth = 0;
  int32_t windowHeight = 0;
};
TSettingsSystem CurrentSettingsSystem();

// What belongs to the file-type registration and the uninstall entry; called
// at their points of SaveSettings and DeleteSettings when set.
struct TSettingsHooks {
  // Saving, after Comm_RegFiletypes is written: bring the registration in
  // line with model.store.fileTypesWanted.
  std::function<void(TWindowModel&)> applyFileTypes;
  // Saving, last: write or refresh the uninstall entry.
  std::function<void()> updateUninstallEntry;
  // Deleting: remove the uninstall entry, and the older edition's too when
  // its settings were deleted.
  std::function<void(bool alsoOld)> deleteUninstallEntries;
  // Deleting: undo the registration of these flags.
  std::function<void(uint8_t registeredFlags)> unregisterFileTypes;
};

// Thrown inside the reader at a missing or mistyped value that has to be
// there; LoadSettings turns it into its report.
class ESettingsValue : public std::runtime_error {
 public:
  explicit ESettingsValue(const std::string& name)
      : std::runtime_error("Invalid data type for '" + name + "'"), valueName(name) {}
  std::string valueName;
};

struct TSettingsLoad {
  bool found = false;     // this edition's key existed
  bool imported = false;  // the older edition's key was read instead
  // First-start defaults still to apply (fsd... bits).
  uint8_t firstStart = fsdAll;
  // Reading stopped at this value (missing or of the wrong type): what was
  // read before stays, the rest keeps its defaults. Empty: read to the end.
  std::string stoppedAt;
  std::shared_ptr<TZWExceptInfo> report;  // the exception report of that stop
  // The store file was damaged (POSIX): what was skipped. Empty otherwise.
  std::string storeProblem;
};

// Reads the settings into the model. `readLanguage`: the command line named
// no language, so Comm_Language is read. Runs ImportOldSettings when
// the maker key exists without this edition's key.
TSettingsLoad LoadSettings(TWindowModel& model, const TSettingsSystem& sys, bool readLanguage,
                           const TSettingsKeys& keys = {});

// Imports the older edition's values, when its key exists: "save settings"
// is ticked so that they are kept in this edition's key. Clears the mask bits
// of `firstStart` (or sets them from the oldest layout's values). Throws
// ESettingsValue where a required value is missing or mistyped.
void ImportOldSettings(TWindowModel& model, uint8_t& firstStart, const TSettingsKeys& keys = {});

// After the language is applied: the default exclude masks and folders the
// bits ask for. A folder already in the 'fresh' list is not added again.
void ApplyFirstStartDefaults(TWindowModel& model, uint8_t firstStart,
                             const std::vector<std::string>& defaultFolders);

// Keeps a restored window reachable on the desktop: a size below the
// smallest window becomes the window's current size, the top edge lies on
// the desktop, the window keeps a part of itself on it horizontally.
void ClampWindowPlacement(TWindowPlacement& placement, const platform::DesktopMetrics& desktop,
                          int32_t currentWidth, int32_t currentHeight);
// A window whose position was not restored: centred on the primary screen
// (its size: the placement's, else the current one).
void CentreWindow(TWindowPlacement& placement, const platform::DesktopMetrics& desktop,
                  int32_t currentWidth, int32_t currentHeight);

// Writes every value when model.saveSettings is on (false: nothing written,
// or the key could not be opened).
bool SaveSettings(TWindowModel& model, const TSettingsSystem& sys, const TSettingsHooks& hooks,
                  const TSettingsKeys& keys = {});

// The button "delete settings from registry": this edition's key; the
// older edition's key too when its program is gone and the user agrees
// (askDelReg, default No); the maker key when it is left empty; then the
// uninstall entries and the file-type registration; "save settings" is
// unticked so that closing does not write them again.
void DeleteSettings(TWindowModel& model, IMessenger& msgr, const TSettingsSystem& sys,
                    const TSettingsHooks& hooks, const TSettingsKeys& keys = {});

// The byte images of Comm_WindowPos (17 bytes) and Comm_ResListCols (16
// bytes) as they are written.
std::vector<uint8_t> WindowPosBytes(const TWindowModel& model);
std::vector<uint8_t> ResListColsBytes(const TWindowModel& model);

}  // namespace zw
