// The steps of MoveToTrash on POSIX, exposed for the tests that run them on
// folders standing in for a mount point.
#pragma once
#include <string>
#include <sys/types.h>

#include "platform/errors.h"

namespace zw::platform::detail {

// The trash folder of user `uid` on the file system mounted at `topdir`:
// $topdir/.Trash/$uid when $topdir/.Trash is a real folder (not a symbolic
// link) with the sticky bit, else $topdir/.Trash-$uid (created 0700; an
// existing one must be a folder of that user and not a link).
bool TopdirTrashFolder(const std::string& topdir, uid_t uid, std::string& trashFolder, OsError& err);

// Moves `absolutePath` into `trashFolder` (its files/ and info/ are made
// when missing): first the .trashinfo under a free name ("name", "name.2",
// ...), then the rename into files/ under the same name, never replacing
// anything and never copying. The Path key holds the absolute path, or the
// path relative to `topdir` when that is given. A failed rename removes the
// .trashinfo again and reports the rename's error.
bool MoveIntoTrashFolder(const std::string& absolutePath, const std::string& trashFolder,
                         const std::string& topdir, OsError& err);

// The Path value of a .trashinfo: bytes outside A-Z a-z 0-9 - . _ ~ / as
// %XX.
std::string TrashPathEncode(const std::string& path);

}  // namespace zw::platform::detail
