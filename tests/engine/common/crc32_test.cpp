// Each implementation of the CRC-32 (tables, carry-less folding, and the
// dispatch between them) against a bit-at-a-time reference and zlib. Each
// continues from any incoming CRC, so pieces taken by different paths join up.
#include "engine/common/crc32.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "engine/common/crc32_detail.h"

namespace {

uint32_t BitwiseCrc(const unsigned char* p, size_t n, uint32_t crc = 0) {
  crc = ~crc;
  for (size_t i = 0; i < n; ++i) {
    crc ^= p[i];
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ ((crc & 1) ? 0xEDB88320u : 0);
  }
  return ~crc;
}

std::vector<unsigned char> RandomBytes(size_t n, uint32_t seed) {
  std::mt19937 rng(seed);
  std::vector<unsigned char> v(n);
  for (auto& b : v) b = static_cast<unsigned char>(rng());
  return v;
}

// First address in v that is a multiple of 64 (v needs 63 bytes to spare).
unsigned char* Aligned64(std::vector<unsigned char>& v) {
  const uintptr_t a = reinterpret_cast<uintptr_t>(v.data());
  return v.data() + ((64 - (a & 63u)) & 63u);
}

TEST(Crc32, KnownCheckValues) {
  EXPECT_EQ(zw::Crc32("", 0), 0u);
  EXPECT_EQ(zw::Crc32("123456789", 9), 0xCBF43926u);
  EXPECT_EQ(zw::Crc32("The quick brown fox jumps over the lazy dog", 43), 0x414FA339u);
}

struct Path {
  const char* name;
  uint32_t (*update)(uint32_t, const void*, size_t);
  bool needsClmul;
};

class Crc32Path : public ::testing::TestWithParam<Path> {
 protected:
  void SetUp() override {
    if (GetParam().needsClmul && !zw::detail::Crc32ClmulAvailable())
      GTEST_SKIP() << "this CPU has no PCLMULQDQ with SSE4.1";
  }
  uint32_t Update(uint32_t crc, const unsigned char* p, size_t n) const {
    return GetParam().update(crc, p, n);
  }
};

TEST_P(Crc32Path, EveryLengthAtEveryAlignmentFromAnyIncomingCrc) {
  constexpr size_t kMax = 2000;
  auto buf = RandomBytes(kMax + 2 * 64, 2024);
  std::mt19937 rng(6);
  for (size_t offset = 0; offset < 64; ++offset) {
    const unsigned char* p = Aligned64(buf) + offset;
    const uint32_t seed = offset % 2 ? static_cast<uint32_t>(rng()) : 0;
    uint32_t reg = ~seed;  // the reference for every prefix in one pass
    for (size_t n = 0; n <= kMax; ++n) {
      const uint32_t got = Update(seed, p, n);
      ASSERT_EQ(got, ~reg) << "alignment " << offset << " length " << n << " seed " << seed;
      if (seed == 0) {
        ASSERT_EQ(got, static_cast<uint32_t>(crc32(0, p, static_cast<uInt>(n))));
      }
      if (n < kMax) {
        reg ^= p[n];
        for (int k = 0; k < 8; ++k) reg = (reg >> 1) ^ ((reg & 1) ? 0xEDB88320u : 0);
      }
    }
  }
}

TEST_P(Crc32Path, LargeAndUniformBuffersMatchTheReference) {
  auto buf = RandomBytes((4u << 20) + 256, 77);
  for (size_t len : {size_t{1} << 20, (size_t{4} << 20) + 63}) {
    for (size_t offset : {0u, 15u, 40u}) {
      const unsigned char* p = Aligned64(buf) + offset;
      EXPECT_EQ(Update(0, p, len), BitwiseCrc(p, len)) << "alignment " << offset << " length " << len;
    }
  }
  for (unsigned char fill : {0x00, 0xFF}) {
    std::vector<unsigned char> same((1u << 20) + 64 + 17, fill);
    const unsigned char* p = Aligned64(same) + 3;
    EXPECT_EQ(Update(0xFFFFFFFFu, p, (1u << 20) + 17), BitwiseCrc(p, (1u << 20) + 17, 0xFFFFFFFFu));
  }
}

TEST_P(Crc32Path, PiecesEqualOneCall) {
  auto buf = RandomBytes(200000, 9);
  const uint32_t whole = BitwiseCrc(buf.data(), buf.size());
  for (size_t cut = 0; cut <= 3000; ++cut) {
    const uint32_t c = Update(0, buf.data(), cut);
    ASSERT_EQ(Update(c, buf.data() + cut, buf.size() - cut), whole) << "cut at " << cut;
  }
  std::mt19937 rng(10);
  for (int trial = 0; trial < 20; ++trial) {
    uint32_t c = 0;
    for (size_t at = 0; at < buf.size();) {
      // Mostly short pieces, now and then a long one.
      const size_t n = std::min<size_t>((rng() % 8 == 0) ? rng() % 20000 : rng() % 300, buf.size() - at);
      c = Update(c, buf.data() + at, n);
      at += n;
    }
    ASSERT_EQ(c, whole) << "trial " << trial;
  }
}

const Path kPaths[] = {
    {"Tables", &zw::detail::Crc32UpdateTables, false},
    {"Clmul", &zw::detail::Crc32UpdateClmul, true},
    {"Dispatch", &zw::Crc32Update, false},
};
INSTANTIATE_TEST_SUITE_P(AllPaths, Crc32Path, ::testing::ValuesIn(kPaths),
                         [](const ::testing::TestParamInfo<Path>& info) { return std::string(info.param.name); });

}  // namespace
