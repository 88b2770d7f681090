// The two ways RenameNoReplace falls back on POSIX, exposed for the tests
// that run them on file systems where the first choice would succeed.
#pragma once
#include <string>

#include "platform/errors.h"

namespace zw::platform::detail {

// Where the kernel or file system lacks RENAME_NOREPLACE: link() claims the
// new name only when it is free, then the old name is removed. Files only.
bool RenameByLink(const std::string& from, const std::string& to, OsError& err);
// A rename within one file system that never replaces: renameat2 with
// RENAME_NOREPLACE, else RenameByLink. Fails with EXDEV across file systems.
bool RenameNoReplaceSameVolume(const std::string& from, const std::string& to, OsError& err);
// Across file systems: copies a regular file to a temporary name in the
// target's folder (contents, mode, times), flushes it, renames it to the
// target without replacing, flushes the folder, then deletes the original.
// Any failure removes the copy and keeps the original.
bool MoveByCopy(const std::string& from, const std::string& to, OsError& err);

}  // namespace zw::platform::detail
