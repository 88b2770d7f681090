// The standard message boxes of zwillo.exe.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

#include "app/host.h"

namespace zw::win {

// A standard message box (MessageBoxIndirectA) owned by `owner`, with the
// buttons and icon of `style`. With `iconId` != 0 the box shows the
// program's picture `iconId` (201..207) instead of the standard icon, after
// the system sound of the style's icon kind; when the program has no such
// picture, the standard icon of the style. Returns IDOK, IDCANCEL, IDYES,
// IDNO (0 when the box could not be shown).
int ShowMessageBox(HWND owner, const std::string& text, const std::string& caption,
                   TBoxStyle style, uint16_t iconId);

}  // namespace zw::win
