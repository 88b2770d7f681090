#include "engine/common/byte_source.h"

#include <cstring>
#include <memory>

namespace zw {

bool TFileByteSource::Read(void* buffer, size_t count, size_t& got) {
  if (!file_.ReadAt(offset_, buffer, count, got, err_)) return false;
  offset_ += got;
  return true;
}

namespace {

// Fills the buffer as far as the source goes: a source may hand out fewer
// bytes than asked before its end (an unpacking one does).
bool Fill(IByteSource& source, uint8_t* buffer, size_t count, size_t& got, bool& ended) {
  got = 0;
  while (got < count && !ended) {
    size_t n = 0;
    if (!source.Read(buffer + got, count - got, n)) return false;
    if (n == 0) ended = true;
    got += n;
  }
  return true;
}

}  // namespace

TSameBytes CompareByteSources(IByteSource& a, IByteSource& b, size_t piece) {
  if (piece == 0) piece = 1;
  std::unique_ptr<uint8_t[]> bufA(new uint8_t[piece]);
  std::unique_ptr<uint8_t[]> bufB(new uint8_t[piece]);
  bool endA = false, endB = false;
  for (;;) {
    size_t gotA = 0, gotB = 0;
    if (!Fill(a, bufA.get(), piece, gotA, endA)) return TSameBytes::ReadFailed;
    if (!Fill(b, bufB.get(), piece, gotB, endB)) return TSameBytes::ReadFailed;
    if (gotA != gotB || std::memcmp(bufA.get(), bufB.get(), gotA) != 0)
      return TSameBytes::Different;
    if (gotA < piece) return TSameBytes::Same;  // both ended here
  }
}

}  // namespace zw
