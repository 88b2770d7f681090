// The two ways RenameNoReplace falls back on POSIX, exposed for the tests
// that run them on file systems where the first choice would succeed.
#pragma once
#include <string>

#include "platform/errors.h"

namespace zw::platform::detail {

// Where the kernel or file system lacks RENAME_NOREPLACE: link() claims the
// new name only when it is free, then the old name is removed. Files only.
bool RenameByLink(const std::string& from, const std::string& to, OsError& err);
// Across file systems: copies a regular file into a new file that did not
// exist before (contents, mode, times), then deletes the original. Any
// failure removes the partial copy and keeps the original.
bool MoveByCopy(const std::string& from, const std::string& to, OsError& err);

}  // namespace zw::platform::detail
