// What the desktop shell does with files: the recycle bin, shortcuts and
// opening a file with its default program.
//
// POSIX: the recycle bin is the freedesktop.org Trash (the home trash for
// files on the home file system, otherwise $topdir/.Trash/$uid or
// $topdir/.Trash-$uid), a shortcut is a symbolic link, a file opens with
// xdg-open. Win32: SHFileOperationA, IShellLinkA .lnk files, ShellExecuteA.
#pragma once
#include <string>

#include "platform/errors.h"

namespace zw::platform {

// Moves a file to the recycle bin, from where the user can restore it.
// Names too long for the shell's source list fail with kind InvalidName.
bool MoveToTrash(const std::string& path, OsError& err);

// Replaces `file` by a shortcut to `target` and removes the file. Windows:
// the shortcut is the file's folder + the shell's display name of the file +
// ".lnk" (an existing one fails with kind AlreadyExists), with the file's
// icon; the file's attributes are cleared for the delete and restored when
// it fails (the shortcut then stays). POSIX: a symbolic link to `target`
// takes the file's own name in one rename, so the name never disappears.
// `linkPath` receives the shortcut's full name. True only when the file is
// gone and the shortcut is in place.
bool ReplaceByShortcut(const std::string& file, const std::string& target,
                       std::string& linkPath, OsError& err);

// The file a shortcut points to (Windows: a .lnk file through IShellLinkA;
// POSIX: a symbolic link, relative targets taken from the link's folder).
bool ResolveShortcut(const std::string& shortcut, std::string& target, OsError& err);

// True when `path` names a shortcut (Windows: extension ".lnk"; POSIX: a
// symbolic link).
bool IsShortcut(const std::string& path);

// Opens a file or folder with the program the desktop associates with it
// (the default verb), in `workingFolder` when one is given. Returns at once.
// An "http://" or "https://" address opens in the web browser.
bool ShellOpen(const std::string& target, const std::string& workingFolder, OsError& err);

}  // namespace zw::platform
