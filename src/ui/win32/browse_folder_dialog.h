// The add-folder dialog of the scan options page: a folder tree filled from
// the file system as the user opens it, an edit for the folder, the list
// ('fresh' or 'library') and the state (single, recursive, exclude,
// inactive) of the new row.
#pragma once
#include <windows.h>

#include "app/run/folder_lists.h"

namespace zw::win {

// Shows the dialog over `owner`, starting with `choice`; on OK `choice`
// holds the chosen folder (a full path), list and state. False: cancelled.
bool BrowseFolderDialog(HWND owner, TAddFolderChoice& choice);

}  // namespace zw::win
