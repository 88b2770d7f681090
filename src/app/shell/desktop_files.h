// The freedesktop.org counterpart of the file-type registration, per user:
//
//   $XDG_DATA_HOME/mime/packages/zwillo.xml          the MIME types of .zwr and .zwc
//   $XDG_DATA_HOME/applications/zwillo-results.desktop   opens result lists
//   $XDG_DATA_HOME/applications/zwillo-catalog.desktop   scans catalog files
//   $XDG_DATA_HOME/applications/zwillo-folder.desktop    scans folders (inode/directory)
//
// ($XDG_DATA_HOME defaults to ~/.local/share.) Every file carries a mark
// that says the program wrote it; a file of one of those names without it is
// somebody else's and is neither replaced nor removed. After a change the
// desktop's caches are refreshed with update-mime-database and
// update-desktop-database where those tools exist.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace zw {

inline constexpr const char* kResultListMime = "application/x-zwillo-results";
inline constexpr const char* kCatalogMime = "application/x-zwillo-catalog";

// $XDG_DATA_HOME, or ~/.local/share; empty when neither is known.
std::string DesktopDataHome();
// The files that the flags (ftResultLists, ftCatalogs, ftFolders) stand for.
// The MIME package belongs to both file types.
std::vector<std::string> DesktopFilesFor(uint8_t flags);

// Writes the files of the flags (bit 0 ignored), keeping the MIME package's
// other type when only one is added. False when a file could not be written.
bool RegisterDesktopFiles(uint8_t flags, const std::string& exePath);
// Removes the files of the flags that the program wrote; the MIME package
// keeps the type that stays registered. False when one could not be removed.
bool UnregisterDesktopFiles(uint8_t flags);

// The content of each file (tests compare against these through parsing).
std::string MimePackageText(uint8_t flags);
std::string DesktopEntryText(uint8_t typeBit, const std::string& exePath);

}  // namespace zw
