// The rule that decides which enumeration records are links on Windows,
// exposed for its tests (wine cannot make reparse points to test it on).
#pragma once
#include <cstdint>

namespace zw::platform::detail {

constexpr uint32_t kReparseTagSymlink = 0xA000000CUL;     // IO_REPARSE_TAG_SYMLINK
constexpr uint32_t kReparseTagMountPoint = 0xA0000003UL;  // IO_REPARSE_TAG_MOUNT_POINT (junctions)

// A folder with any reparse point is never entered; a file counts as a link
// only for symbolic links and mount points (other reparse files, such as
// deduplicated or cloud files, hold data of their own).
inline bool IsLinkRecord(uint32_t attributes, uint32_t reparseTag) {
  if ((attributes & 0x400) == 0) return false;  // FILE_ATTRIBUTE_REPARSE_POINT
  if ((attributes & 0x10) != 0) return true;     // FILE_ATTRIBUTE_DIRECTORY
  return reparseTag == kReparseTagSymlink || reparseTag == kReparseTagMountPoint;
}

}  // namespace zw::platform::detail
