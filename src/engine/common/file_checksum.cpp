#include "engine/common/file_checksum.h"

#include <algorithm>
#include <memory>

#include "engine/common/crc32.h"

namespace zw {

namespace {

constexpr size_t kCrcPiece = 64 * 1024;

}  // namespace

bool FileMiddleSample(platform::File& file, uint64_t size, uint32_t& sample,
                      platform::OsError& err) {
  const uint64_t at = size > 4 ? size / 2 - 2 : 0;
  const size_t want = static_cast<size_t>(std::min<uint64_t>(size, 4));
  uint8_t bytes[4] = {0, 0, 0, 0};
  if (want > 0) {
    size_t got = 0;
    if (!file.ReadAt(at, bytes, want, got, err) || got < want) return false;
  }
  sample = static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
           static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
  return true;
}

bool FileCrc32(platform::File& file, uint64_t size, uint32_t& crc, platform::OsError& err) {
  const size_t bufSize = static_cast<size_t>(std::min<uint64_t>(size, kCrcPiece));
  std::unique_ptr<uint8_t[]> buf(new uint8_t[std::max<size_t>(bufSize, 1)]);
  uint32_t c = 0;
  uint64_t done = 0;
  while (done < size) {
    const size_t want = static_cast<size_t>(std::min<uint64_t>(size - done, bufSize));
    size_t got = 0;
    if (!file.ReadAt(done, buf.get(), want, got, err) || got < want) return false;
    c = Crc32Update(c, buf.get(), want);
    done += want;
  }
  crc = c;
  return true;
}

bool ComputeFileChecksum(const std::string& path, TFileChecksum& out, platform::OsError& err) {
  platform::File file;
  if (!file.OpenRead(path, err)) return false;
  uint64_t size = 0;
  if (!file.Size(size, err)) return false;
  TFileChecksum sum;
  if (!FileMiddleSample(file, size, sum.sample, err)) return false;
  if (!FileCrc32(file, size, sum.crc, err)) return false;
  out = sum;
  return true;
}

}  // namespace zw
