#include "engine/common/read_window.h"

#include <algorithm>
#include <cstring>

namespace zw {

bool ReadFully(platform::File& file, uint64_t offset, void* buffer, size_t count,
               platform::OsError& err) {
  auto* p = static_cast<uint8_t*>(buffer);
  while (count > 0) {
    size_t got = 0;
    if (!file.ReadAt(offset, p, count, got, err) || got == 0) return false;
    p += got;
    offset += got;
    count -= got;
  }
  return true;
}

bool TReadWindow::Read(platform::File& file, uint64_t fileSize, uint64_t offset, void* buffer,
                       size_t count, platform::OsError& err) {
  if (offset > fileSize || count > fileSize - offset) return false;
  if (count == 0) return true;
  if (count > kSize) return ReadFully(file, offset, buffer, count, err);
  if (bytes_.empty() || offset < start_ || offset - start_ > bytes_.size() ||
      count > bytes_.size() - (offset - start_)) {
    bytes_.resize(static_cast<size_t>(std::min<uint64_t>(kSize, fileSize - offset)));
    if (!ReadFully(file, offset, bytes_.data(), bytes_.size(), err)) {
      bytes_.clear();
      return false;
    }
    start_ = offset;
  }
  std::memcpy(buffer, bytes_.data() + (offset - start_), count);
  return true;
}

}  // namespace zw
