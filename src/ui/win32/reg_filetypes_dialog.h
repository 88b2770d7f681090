// The dialog TFrmRegFiletypes behind the "..." button of "register file
// types": which file types and the folder command the program registers.
// It only changes the wanted flags (ApplyRegFiletypesChoice); the
// registration follows when the program closes with "save settings" on.
#pragma once
#include <windows.h>

#include <functional>

#include "app/window_model.h"

namespace zw::win {

// Modal to `owner`, opened just below `button` and kept on the screen.
// `openHelp` opens a help topic (the Help button; F1 goes to the owner).
// True on OK, with `store` changed.
bool RegFiletypesDialog(HWND owner, HWND button, TStoreOptions& store,
                        const std::function<void(int context)>& openHelp);

}  // namespace zw::win
