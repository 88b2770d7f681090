// The CRC32 and the middle sample of one whole file: what the single-file
// "calculate CRC32" command stores in a result entry and what a catalog file
// records for a file.
//
// The middle sample is the one the content comparison takes of a whole file:
// for a file longer than 4 bytes the 4 bytes at size / 2 - 2, otherwise the
// whole file; the bytes in file order, zero-padded to 4, read as a
// little-endian number. The CRC32 is the ISO-HDLC CRC of every byte.
#pragma once
#include <cstdint>
#include <string>

#include "platform/errors.h"
#include "platform/files.h"

namespace zw {

struct TFileChecksum {
  uint32_t crc = 0;
  uint32_t sample = 0;
};

// The middle sample of the first `size` bytes of an open file (positioned
// reads; the file position does not matter). False when the bytes cannot be
// read, also when the file turns out shorter than `size` (then `err` may
// carry no code).
bool FileMiddleSample(platform::File& file, uint64_t size, uint32_t& sample,
                      platform::OsError& err);

// The CRC32 of the first `size` bytes of an open file, read from offset 0.
// False on a read error or when the file ends early.
bool FileCrc32(platform::File& file, uint64_t size, uint32_t& crc, platform::OsError& err);

// Opens the file at `path` and computes both over its whole length. On
// failure `out` is left as it was.
bool ComputeFileChecksum(const std::string& path, TFileChecksum& out, platform::OsError& err);

}  // namespace zw
