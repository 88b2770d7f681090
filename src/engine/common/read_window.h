// Reading a file piece by piece at nearby offsets (the records of catalogs
// and ZIP directories): one 64 KiB read serves many small ones.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/errors.h"
#include "platform/files.h"

namespace zw {

// Reads `count` bytes at `offset`, repeating short reads; false on a read
// error or when the file ends first.
bool ReadFully(platform::File& file, uint64_t offset, void* buffer, size_t count,
               platform::OsError& err);

class TReadWindow {
 public:
  static constexpr size_t kSize = 64 * 1024;

  // Exactly `count` bytes at `offset` of `file`, whose size is `fileSize`:
  // from the window when it holds them, else the window is read anew from
  // `offset` (reads larger than the window go straight to the file). False
  // past the end of the file or on a read error (`err`).
  bool Read(platform::File& file, uint64_t fileSize, uint64_t offset, void* buffer, size_t count,
            platform::OsError& err);
  // Forgets the bytes (the file changed or was closed); Release also gives
  // back the memory.
  void Clear() { bytes_.clear(); }
  void Release() {
    bytes_.clear();
    bytes_.shrink_to_fit();
  }

 private:
  std::vector<uint8_t> bytes_;  // the file's bytes from start_
  uint64_t start_ = 0;
};

}  // namespace zw
