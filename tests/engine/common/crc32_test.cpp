#include "engine/common/crc32.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "engine/common/crc32_detail.h"
#ifdef ZW_HAVE_ZLIB
#include <zlib.h>
#endif
#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
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

// ---- The folding constants, derived here a second way --------------------

// x^n mod P in the plain bit order (bit i is x^i), one multiplication by x at
// a time, with P = 0x104C11DB7.
uint64_t PlainXPowMod(uint32_t n) {
  uint64_t r = 1;
  for (uint32_t i = 0; i < n; ++i) {
    r <<= 1;
    if (r & (uint64_t{1} << 32)) r ^= 0x104C11DB7ull;
  }
  return r;
}

// Reverses the low 'bits' bits of v.
uint64_t Reflect(uint64_t v, int bits) {
  uint64_t r = 0;
  for (int i = 0; i < bits; ++i)
    if (v & (uint64_t{1} << i)) r |= uint64_t{1} << (bits - 1 - i);
  return r;
}

// The constant as the folding wants it: reflected remainder, shifted by one.
uint64_t FoldConstant(uint32_t n) { return Reflect(PlainXPowMod(n), 32) << 1; }

// Carry-less product of a (<= 33 bits) and b (<= 33 bits), plain order;
// the result's bit 64 comes back in 'top'.
uint64_t ClMul(uint64_t a, uint64_t b, uint64_t& top) {
  uint64_t low = 0;
  top = 0;
  for (int i = 0; i < 33; ++i) {
    if (!(a & (uint64_t{1} << i))) continue;
    low ^= b << i;
    if (i) top ^= b >> (64 - i);
  }
  return low;
}

TEST(Crc32FoldConstants, AgreeWithPlainOrderPolynomialArithmetic) {
  const auto& k = zw::detail::kCrc32Fold;
  EXPECT_EQ(k.fold512Low, FoldConstant(4 * 128 + 32));
  EXPECT_EQ(k.fold512High, FoldConstant(4 * 128 - 32));
  EXPECT_EQ(k.fold128Low, FoldConstant(128 + 32));
  EXPECT_EQ(k.fold128High, FoldConstant(128 - 32));
  EXPECT_EQ(k.fold64, FoldConstant(64));
  EXPECT_EQ(k.poly, Reflect(0x104C11DB7ull, 33));
}

TEST(Crc32FoldConstants, BarrettConstantIsTheQuotientOfXPow64ByP) {
  // mu * P must be x^64 plus a remainder of degree below 32.
  const uint64_t mu = Reflect(zw::detail::kCrc32Fold.mu, 33);
  uint64_t top = 0;
  const uint64_t low = ClMul(mu, 0x104C11DB7ull, top);
  EXPECT_EQ(top, 1u);
  EXPECT_EQ(low >> 32, 0u);
  EXPECT_EQ(mu >> 32, 1u) << "the quotient has degree 32";
}

TEST(Crc32FoldConstants, MatchThePublishedReflectedConstants) {
  // As printed for the reflected CRC-32 in the literature on folding with
  // carry-less multiplication.
  const auto& k = zw::detail::kCrc32Fold;
  EXPECT_EQ(k.fold512Low, 0x154442BD4ull);
  EXPECT_EQ(k.fold512High, 0x1C6E41596ull);
  EXPECT_EQ(k.fold128Low, 0x1751997D0ull);
  EXPECT_EQ(k.fold128High, 0x0CCAA009Eull);
  EXPECT_EQ(k.fold64, 0x163CD6124ull);
  EXPECT_EQ(k.poly, 0x1DB710641ull);
  EXPECT_EQ(k.mu, 0x1F7011641ull);
}

TEST(Crc32FoldConstants, MultiplyingByXPowEightNIsRunningNZeroBytes) {
  std::mt19937 rng(99);
  for (uint32_t n : {0u, 1u, 3u, 4u, 5u, 8u, 64u, 1000u, 4096u}) {
    for (int trial = 0; trial < 8; ++trial) {
      const uint32_t reg = static_cast<uint32_t>(rng());
      uint32_t walked = reg;
      for (uint32_t i = 0; i < 8 * n; ++i) walked = (walked >> 1) ^ ((walked & 1) ? 0xEDB88320u : 0);
      EXPECT_EQ(zw::detail::Crc32MulMod(reg, zw::detail::Crc32XPowMod(8ull * n)), walked)
          << "n " << n << " register " << reg;
    }
  }
}

// ---- Each implementation on its own ---------------------------------------

using UpdateFn = uint32_t (*)(uint32_t, const void*, size_t);

struct Path {
  const char* name;
  UpdateFn update;
  bool needsClmul;
};

const Path kPaths[] = {
    {"Tables", &zw::detail::Crc32UpdateTables, false},
    {"Clmul", &zw::detail::Crc32UpdateClmul, true},
    {"Dispatch", &zw::Crc32Update, false},
};

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

TEST_P(Crc32Path, EveryLengthUpTo5000AtEveryAlignmentMatchesTheReference) {
  constexpr size_t kMax = 5000;
  auto buf = RandomBytes(kMax + 2 * 64, 2024);
  unsigned char* aligned = Aligned64(buf);
  std::vector<uint32_t> expected(kMax + 1);
  for (size_t offset = 0; offset < 64; ++offset) {
    const unsigned char* p = aligned + offset;
    // Reference for every prefix in one pass.
    uint32_t reg = ~0u;
    expected[0] = 0;
    for (size_t i = 0; i < kMax; ++i) {
      reg ^= p[i];
      for (int k = 0; k < 8; ++k) reg = (reg >> 1) ^ ((reg & 1) ? 0xEDB88320u : 0);
      expected[i + 1] = ~reg;
    }
    for (size_t n = 0; n <= kMax; ++n) {
      const uint32_t got = Update(0, p, n);
      ASSERT_EQ(got, expected[n]) << "alignment " << offset << " length " << n;
#ifdef ZW_HAVE_ZLIB
      ASSERT_EQ(got, static_cast<uint32_t>(crc32(0, p, static_cast<uInt>(n))))
          << "alignment " << offset << " length " << n;
#endif
    }
  }
}

TEST_P(Crc32Path, LargeBuffersMatchTheReference) {
  auto buf = RandomBytes((4u << 20) + 256, 77);
  unsigned char* aligned = Aligned64(buf);
  for (size_t len : {size_t{1} << 20, (size_t{3} << 20) + 5, (size_t{4} << 20) + 63}) {
    for (size_t offset : {0u, 1u, 15u, 40u}) {
      const unsigned char* p = aligned + offset;
      const uint32_t got = Update(0, p, len);
      EXPECT_EQ(got, BitwiseCrc(p, len)) << "alignment " << offset << " length " << len;
#ifdef ZW_HAVE_ZLIB
      EXPECT_EQ(got, static_cast<uint32_t>(crc32(0, p, static_cast<uInt>(len))))
          << "alignment " << offset << " length " << len;
#endif
    }
  }
}

TEST_P(Crc32Path, UniformBuffersMatchTheReference) {
  for (unsigned char fill : {0x00, 0xFF, 0x5A}) {
    std::vector<unsigned char> buf((1u << 20) + 64 + 17, fill);
    const unsigned char* p = Aligned64(buf) + 3;
    const size_t len = (1u << 20) + 17;
    EXPECT_EQ(Update(0, p, len), BitwiseCrc(p, len)) << "fill " << int{fill};
    EXPECT_EQ(Update(0xFFFFFFFFu, p, len), BitwiseCrc(p, len, 0xFFFFFFFFu)) << "fill " << int{fill};
  }
}

TEST_P(Crc32Path, ContinuesFromAnyIncomingCrc) {
  auto buf = RandomBytes(3000, 5);
  std::mt19937 rng(6);
  for (size_t len : {0u, 1u, 7u, 8u, 63u, 64u, 79u, 80u, 81u, 127u, 128u, 200u, 1000u, 2999u}) {
    for (int trial = 0; trial < 20; ++trial) {
      const uint32_t seed = static_cast<uint32_t>(rng());
      const size_t offset = rng() % (buf.size() - len + 1);
      const unsigned char* p = buf.data() + offset;
      ASSERT_EQ(Update(seed, p, len), BitwiseCrc(p, len, seed))
          << "seed " << seed << " length " << len << " offset " << offset;
    }
  }
}

TEST_P(Crc32Path, TwoPiecesAtEveryCutEqualOneCall) {
  auto buf = RandomBytes(3000, 8);
  const uint32_t whole = BitwiseCrc(buf.data(), buf.size());
  for (size_t cut = 0; cut <= buf.size(); ++cut) {
    const uint32_t c = Update(0, buf.data(), cut);
    ASSERT_EQ(Update(c, buf.data() + cut, buf.size() - cut), whole) << "cut at " << cut;
  }
}

TEST_P(Crc32Path, ManyRandomPiecesEqualOneCall) {
  auto buf = RandomBytes(200000, 9);
  const uint32_t whole = BitwiseCrc(buf.data(), buf.size());
  std::mt19937 rng(10);
  for (int trial = 0; trial < 50; ++trial) {
    uint32_t c = 0;
    size_t at = 0;
    while (at < buf.size()) {
      // Mostly short pieces, now and then a long one.
      const size_t want = (rng() % 8 == 0) ? rng() % 20000 : rng() % 300;
      const size_t n = std::min(want, buf.size() - at);
      c = Update(c, buf.data() + at, n);
      at += n;
    }
    ASSERT_EQ(c, whole) << "trial " << trial;
  }
}

INSTANTIATE_TEST_SUITE_P(AllPaths, Crc32Path, ::testing::ValuesIn(kPaths),
                         [](const ::testing::TestParamInfo<Path>& info) {
                           return std::string(info.param.name);
                         });

#if defined(__x86_64__) || defined(__i386__)
TEST(Crc32Paths, CarryLessPathIsOnExactlyWhenTheCpuReportsPclmulAndSse41) {
  unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
  ASSERT_TRUE(__get_cpuid(1, &eax, &ebx, &ecx, &edx));
  const bool reported = (ecx & bit_PCLMUL) && (ecx & bit_SSE4_1);
  EXPECT_EQ(zw::detail::Crc32ClmulAvailable(), reported);
}
#endif

TEST(Crc32Paths, PiecesTakenByDifferentPathsJoinUp) {
  if (!zw::detail::Crc32ClmulAvailable()) GTEST_SKIP() << "this CPU has no PCLMULQDQ with SSE4.1";
  auto buf = RandomBytes(100000, 11);
  const uint32_t whole = BitwiseCrc(buf.data(), buf.size());
  std::mt19937 rng(12);
  for (int trial = 0; trial < 100; ++trial) {
    uint32_t c = 0;
    size_t at = 0;
    bool tables = trial & 1;
    while (at < buf.size()) {
      const size_t n = std::min<size_t>(rng() % 5000, buf.size() - at);
      c = tables ? zw::detail::Crc32UpdateTables(c, buf.data() + at, n)
                 : zw::detail::Crc32UpdateClmul(c, buf.data() + at, n);
      tables = !tables;
      at += n;
    }
    ASSERT_EQ(c, whole) << "trial " << trial;
  }
}

}  // namespace
