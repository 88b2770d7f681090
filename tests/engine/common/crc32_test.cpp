#include "engine/common/crc32.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>
#ifdef ZW_HAVE_ZLIB
#include <zlib.h>
#endif

namespace {

// Bit-at-a-time reference, independent of the table code.
uint32_t BitwiseCrc(const unsigned char* p, size_t n, uint32_t crc = 0) {
  crc = ~crc;
  for (size_t i = 0; i < n; ++i) {
    crc ^= p[i];
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ ((crc & 1) ? 0xEDB88320u : 0);
  }
  return ~crc;
}

TEST(Crc32, KnownCheckValues) {
  EXPECT_EQ(zw::Crc32("", 0), 0u);
  EXPECT_EQ(zw::Crc32("123456789", 9), 0xCBF43926u);
  EXPECT_EQ(zw::Crc32("The quick brown fox jumps over the lazy dog", 43), 0x414FA339u);
}

TEST(Crc32, AgreesWithReferenceOnRandomBuffersOfManyLengthsAndAlignments) {
  std::mt19937 rng(12345);
  std::vector<unsigned char> buf(4096 + 64);
  for (auto& b : buf) b = static_cast<unsigned char>(rng());
  for (size_t offset = 0; offset < 16; ++offset) {
    for (size_t len : {0, 1, 2, 3, 4, 5, 7, 8, 15, 16, 17, 31, 32, 33, 63, 64, 65, 100, 255,
                       256, 1000, 1023, 4096}) {
      const unsigned char* p = buf.data() + offset;
      uint32_t expected = BitwiseCrc(p, len);
      ASSERT_EQ(zw::Crc32(p, len), expected) << "offset " << offset << " len " << len;
#ifdef ZW_HAVE_ZLIB
      ASSERT_EQ(zw::Crc32(p, len), static_cast<uint32_t>(crc32(0, p, static_cast<uInt>(len))));
#endif
    }
  }
}

TEST(Crc32, ContinuingOverPiecesEqualsOneCall) {
  std::mt19937 rng(7);
  std::vector<unsigned char> buf(100000);
  for (auto& b : buf) b = static_cast<unsigned char>(rng());
  uint32_t whole = zw::Crc32(buf.data(), buf.size());
  for (size_t cut : {1u, 3u, 4096u, 12345u, 99999u}) {
    uint32_t c = zw::Crc32Update(0, buf.data(), cut);
    c = zw::Crc32Update(c, buf.data() + cut, buf.size() - cut);
    EXPECT_EQ(c, whole) << "cut at " << cut;
  }
#ifdef ZW_HAVE_ZLIB
  EXPECT_EQ(whole, static_cast<uint32_t>(crc32(0, buf.data(), static_cast<uInt>(buf.size()))));
#endif
}

}  // namespace
