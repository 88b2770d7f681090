// Renaming a file in the result list's own label edit (F2, "Rename file..."):
// what the list view's label-edit notifications do. The rules (hidden
// extension, the forgotten-extension question, the messages of a failed
// rename) are TSingleFileCommands'.
#pragma once
#include <windows.h>

#include "app/results/single_file_commands.h"

namespace zw::win {

// LVN_BEGINLABELEDITA for `row`: true when the edit may start; the edit
// box then holds the name to edit (without a hidden extension), all of it
// selected. The notification's result is the negation (TRUE cancels).
bool BeginRenameInPlace(HWND listView, int row, TSingleFileCommands& commands);

// LVN_ENDLABELEDITA for `row`; `typed` is the notification's pszText (null
// when the user cancelled the edit). True when the file was renamed; the
// row is redrawn either way. The notification's result is always FALSE:
// the list shows the names of the result list, not the edit's text.
bool EndRenameInPlace(HWND listView, int row, const char* typed, TSingleFileCommands& commands);

}  // namespace zw::win
