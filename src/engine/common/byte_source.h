// Sources of bytes read from their start to their end (a file, a member of a
// ZIP archive as it unpacks), and the comparison of two of them: what proves,
// before a file is removed, that another one holds every byte of it.
#pragma once
#include <cstddef>
#include <cstdint>

#include "platform/errors.h"
#include "platform/files.h"

namespace zw {

class IByteSource {
 public:
  virtual ~IByteSource() = default;
  // The next bytes: `got` < `count` only at the end. False when the source
  // cannot be read (or, for a packed one, turns out damaged).
  virtual bool Read(void* buffer, size_t count, size_t& got) = 0;
};

// An open file from offset 0 (positioned reads: the file's own position
// does not matter).
class TFileByteSource : public IByteSource {
 public:
  explicit TFileByteSource(platform::File& file) : file_(file) {}
  bool Read(void* buffer, size_t count, size_t& got) override;
  const platform::OsError& Error() const { return err_; }

 private:
  platform::File& file_;
  uint64_t offset_ = 0;
  platform::OsError err_;
};

enum class TSameBytes : uint8_t {
  Same,        // both ended after the same bytes
  Different,   // a byte or the length differs
  ReadFailed,  // one of them could not be read to its end
};

// Reads both sources in pieces of `piece` bytes to their ends.
TSameBytes CompareByteSources(IByteSource& a, IByteSource& b, size_t piece = size_t{1} << 20);

}  // namespace zw
