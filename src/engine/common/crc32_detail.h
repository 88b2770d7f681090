// Inside of the CRC-32 routine: its two implementations and the constants of
// the carry-less folding, open to the tests so that each path is checked on
// its own. Everyone else calls zw::Crc32Update / zw::Crc32.
#pragma once
#include <cstddef>
#include <cstdint>

namespace zw::detail {

// The generator polynomial, bit-reflected (bit 31 stands for x^0, bit 0 for
// x^31; the x^32 term is implied).
inline constexpr uint32_t kCrc32Poly = 0xEDB88320u;

// a * b mod P for two reflected remainders.
constexpr uint32_t Crc32MulMod(uint32_t a, uint32_t b) {
  uint32_t product = 0;
  for (int i = 0; i < 32; ++i) {
    if (a & (0x80000000u >> i)) product ^= b;
    b = (b >> 1) ^ (kCrc32Poly & (0u - (b & 1u)));  // b *= x
  }
  return product;
}

// x^n mod P, reflected.
constexpr uint32_t Crc32XPowMod(uint64_t n) {
  uint32_t result = 0x80000000u;  // x^0
  uint32_t square = 0x40000000u;  // x^1, then x^2, x^4, ...
  for (; n; n >>= 1) {
    if (n & 1) result = Crc32MulMod(result, square);
    square = Crc32MulMod(square, square);
  }
  return result;
}

// Constants of the folding, in the form the 64x64-bit carry-less multiply of
// reflected operands wants: the reflected 32-bit remainder shifted left by one
// (the product of two reflected 64-bit halves lands one bit short of where a
// reflected 128-bit product would be).
struct Crc32FoldConstants {
  uint64_t fold512Low;   // x^(512+32) mod P: folds the first half of a lane 512 bits on
  uint64_t fold512High;  // x^(512-32) mod P: folds its second half
  uint64_t fold128Low;   // x^(128+32) mod P: the same for a 128-bit step
  uint64_t fold128High;  // x^(128-32) mod P
  uint64_t fold64;       // x^64 mod P: 96 bits down to 64
  uint64_t poly;         // P itself, 33 bits reflected
  uint64_t mu;           // floor(x^64 / P), 33 bits reflected: the Barrett constant
};

namespace crc32_internal {
constexpr uint64_t FoldConstant(uint32_t n) { return uint64_t{Crc32XPowMod(n)} << 1; }

// floor(x^64 / P) by long division in the plain (unreflected) bit order, then
// reflected over its 33 bits.
constexpr uint64_t BarrettMu() {
  constexpr uint64_t kPlainPoly = 0x104C11DB7ull;  // P with x^32, plain order
  // Dividend x^64 does not fit 64 bits: track the running remainder (degree
  // < 33) and the quotient bit by bit, bringing down the zero bits of x^64.
  uint64_t remainder = 1;  // the leading x^64 term, brought down first
  uint64_t quotient = 0;
  for (int i = 0; i < 64; ++i) {
    remainder <<= 1;  // bring down the next (zero) bit
    quotient <<= 1;
    if (remainder & (uint64_t{1} << 32)) {
      remainder ^= kPlainPoly;
      quotient |= 1;
    }
  }
  uint64_t reflected = 0;
  for (int i = 0; i < 33; ++i)
    if (quotient & (uint64_t{1} << i)) reflected |= uint64_t{1} << (32 - i);
  return reflected;
}
}  // namespace crc32_internal

inline constexpr Crc32FoldConstants kCrc32Fold = {
    crc32_internal::FoldConstant(4 * 128 + 32), crc32_internal::FoldConstant(4 * 128 - 32),
    crc32_internal::FoldConstant(128 + 32),     crc32_internal::FoldConstant(128 - 32),
    crc32_internal::FoldConstant(64),           (uint64_t{kCrc32Poly} << 1) | 1u,
    crc32_internal::BarrettMu()};

// The table routine: runs on every CPU. Same contract as Crc32Update.
uint32_t Crc32UpdateTables(uint32_t crc, const void* data, size_t length);

// True when this CPU can run Crc32UpdateClmul (x86 with PCLMULQDQ and SSE4.1).
bool Crc32ClmulAvailable();

// The carry-less multiplication routine (table routine for short pieces and
// the unaligned ends). Same contract as Crc32Update; call it only when
// Crc32ClmulAvailable() says so. Where the build has no such routine it is
// the table routine.
uint32_t Crc32UpdateClmul(uint32_t crc, const void* data, size_t length);

}  // namespace zw::detail
