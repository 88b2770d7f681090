// CRC-32 of ISO-HDLC (the one of ZIP and PNG): reflected polynomial
// 0xEDB88320, initial value all ones, final complement. One routine for the
// catalog files, the content comparison and the single-file command.
#pragma once
#include <cstddef>
#include <cstdint>

namespace zw {

// Continues a CRC over more data: start with crc = 0 (as zlib's crc32), pass
// the result of the previous call to continue.
uint32_t Crc32Update(uint32_t crc, const void* data, size_t length);
inline uint32_t Crc32(const void* data, size_t length) { return Crc32Update(0, data, length); }

}  // namespace zw
