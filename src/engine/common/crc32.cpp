#include "engine/common/crc32.h"

#include <array>
#include <cstring>

namespace zw {

namespace {

// Slicing-by-16 tables: table[k][b] is the CRC of byte b followed by k zero bytes.
struct Tables {
  std::array<std::array<uint32_t, 256>, 16> t{};
  constexpr Tables() {
    for (uint32_t b = 0; b < 256; ++b) {
      uint32_t c = b;
      for (int i = 0; i < 8; ++i) c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1u)));
      t[0][b] = c;
    }
    for (uint32_t b = 0; b < 256; ++b)
      for (size_t k = 1; k < 16; ++k) t[k][b] = (t[k - 1][b] >> 8) ^ t[0][t[k - 1][b] & 0xFF];
  }
};

constexpr Tables kTables{};

inline uint32_t Load32(const unsigned char* p) {
  uint32_t v;
  std::memcpy(&v, p, 4);
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
  v = __builtin_bswap32(v);
#endif
  return v;
}

}  // namespace

uint32_t Crc32Update(uint32_t crc, const void* data, size_t length) {
  const auto& t = kTables.t;
  const unsigned char* p = static_cast<const unsigned char*>(data);
  uint32_t c = ~crc;
  // Byte steps until the pointer is 4-byte aligned, then 16 bytes a step.
  while (length && (reinterpret_cast<uintptr_t>(p) & 3u)) {
    c = (c >> 8) ^ t[0][(c ^ *p++) & 0xFF];
    --length;
  }
  while (length >= 16) {
    uint32_t a = Load32(p) ^ c;
    uint32_t b = Load32(p + 4);
    uint32_t d = Load32(p + 8);
    uint32_t e = Load32(p + 12);
    c = t[15][a & 0xFF] ^ t[14][(a >> 8) & 0xFF] ^ t[13][(a >> 16) & 0xFF] ^ t[12][a >> 24] ^
        t[11][b & 0xFF] ^ t[10][(b >> 8) & 0xFF] ^ t[9][(b >> 16) & 0xFF] ^ t[8][b >> 24] ^
        t[7][d & 0xFF] ^ t[6][(d >> 8) & 0xFF] ^ t[5][(d >> 16) & 0xFF] ^ t[4][d >> 24] ^
        t[3][e & 0xFF] ^ t[2][(e >> 8) & 0xFF] ^ t[1][(e >> 16) & 0xFF] ^ t[0][e >> 24];
    p += 16;
    length -= 16;
  }
  while (length--) c = (c >> 8) ^ t[0][(c ^ *p++) & 0xFF];
  return ~c;
}

}  // namespace zw
