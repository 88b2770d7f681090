// The system's file and folder pickers, as IHost's pickers use them on
// Windows. Filters come in the "text|*.ext|text|*.ext" form of the string
// table. nullopt: the user cancelled (or the dialog could not be shown).
#pragma once
#include <windows.h>

#include <optional>
#include <string>

namespace zw::win {

// A file to write: overwrite prompt, the path must exist. `filterIndex`
// (1-based) is the filter shown first and, after OK, the one chosen; a name
// typed without extension gets that filter's extension.
std::optional<std::string> SaveFileDialog(HWND owner, const std::string& title,
                                          const std::string& filter, int& filterIndex);
// An existing file to read.
std::optional<std::string> OpenFileDialog(HWND owner, const std::string& title,
                                          const std::string& filter);
// A folder of the file system, starting at `initial` (when it exists).
std::optional<std::string> FolderDialog(HWND owner, const std::string& title,
                                        const std::string& initial);

// The window a box or picker asked for by `mainWindow` belongs to: the
// modal dialog open over the main window if there is one, so that pickers
// and messages of a dialog sit on that dialog; else the main window.
HWND ActiveOwner(HWND mainWindow);

}  // namespace zw::win
