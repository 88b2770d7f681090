#include "engine/common/crc32.h"

#include <array>
#include <cstring>

#include "engine/common/crc32_detail.h"

#if (defined(__x86_64__) || defined(__i386__)) && defined(__GNUC__)
#define ZW_CRC32_CLMUL 1
#include <immintrin.h>
#else
#define ZW_CRC32_CLMUL 0
#endif

namespace zw {

namespace detail {

namespace {

// All routines below work on the plain register ("raw" state): the caller's
// CRC complemented on entry and complemented back on exit.

// Word tables: t[k][b] is the register after byte b followed by k zero bytes,
// starting from zero; the eight of them take a 64-bit word in one step.
struct WordTables {
  std::array<std::array<uint32_t, 256>, 8> t{};
  constexpr WordTables() {
    for (uint32_t b = 0; b < 256; ++b) {
      uint32_t c = b;
      for (int i = 0; i < 8; ++i) c = (c >> 1) ^ (kCrc32Poly & (0u - (c & 1u)));
      t[0][b] = c;
    }
    for (uint32_t b = 0; b < 256; ++b)
      for (size_t k = 1; k < 8; ++k) t[k][b] = (t[k - 1][b] >> 8) ^ t[0][t[k - 1][b] & 0xFF];
  }
};

constexpr WordTables kWord{};

// A long run is taken as interleaved lanes: blocks of kLanes words of 8 bytes,
// lane j taking word j of every block. Each lane carries a 32-bit value over
// to its next word, 8 * kLanes bytes on, so the lanes do not wait on each
// other the way a single stream of table steps waits on its own loads.
// braid[k][b] is byte b at place k of a word carried to the start of the
// same lane's next word: followed by (7 - k) + 8 * (kLanes - 1) zero bytes.
constexpr size_t kLanes = 5;
constexpr size_t kBlock = 8 * kLanes;

struct BraidTables {
  std::array<std::array<uint32_t, 256>, 8> t{};
  constexpr BraidTables() {
    for (size_t k = 0; k < 8; ++k) {
      const uint32_t carry = Crc32XPowMod(8 * ((7 - k) + 8 * (kLanes - 1)));
      for (uint32_t b = 0; b < 256; ++b) t[k][b] = Crc32MulMod(kWord.t[0][b], carry);
    }
  }
};

constexpr BraidTables kBraid{};

// Little-endian 64-bit load from any address.
inline uint64_t Load64(const unsigned char* p) {
  uint64_t v;
  std::memcpy(&v, p, 8);
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
  v = __builtin_bswap64(v);
#endif
  return v;
}

inline uint32_t StepByte(uint32_t c, unsigned char b) {
  return (c >> 8) ^ kWord.t[0][(c ^ b) & 0xFF];
}

// The register after the 8 bytes of w (register already added in), from zero.
inline uint32_t StepWord(uint64_t w) {
  const auto& t = kWord.t;
  return t[7][w & 0xFF] ^ t[6][(w >> 8) & 0xFF] ^ t[5][(w >> 16) & 0xFF] ^
         t[4][(w >> 24) & 0xFF] ^ t[3][(w >> 32) & 0xFF] ^ t[2][(w >> 40) & 0xFF] ^
         t[1][(w >> 48) & 0xFF] ^ t[0][w >> 56];
}

// What word w of a lane carries over to the lane's next word.
inline uint32_t CarryWord(uint64_t w) {
  const auto& t = kBraid.t;
  return t[0][w & 0xFF] ^ t[1][(w >> 8) & 0xFF] ^ t[2][(w >> 16) & 0xFF] ^
         t[3][(w >> 24) & 0xFF] ^ t[4][(w >> 32) & 0xFF] ^ t[5][(w >> 40) & 0xFF] ^
         t[6][(w >> 48) & 0xFF] ^ t[7][w >> 56];
}

uint32_t RawTables(uint32_t c, const unsigned char* p, size_t n) {
  while (n && (reinterpret_cast<uintptr_t>(p) & 7u)) {
    c = StepByte(c, *p++);
    --n;
  }
  const size_t blocks = n / kBlock;
  if (blocks) {
    static_assert(kLanes == 5, "the lanes below are written out");
    uint32_t c0 = c, c1 = 0, c2 = 0, c3 = 0, c4 = 0;
    for (size_t i = 1; i < blocks; ++i, p += kBlock) {
      const uint64_t w0 = Load64(p) ^ c0, w1 = Load64(p + 8) ^ c1, w2 = Load64(p + 16) ^ c2,
                     w3 = Load64(p + 24) ^ c3, w4 = Load64(p + 32) ^ c4;
      c0 = CarryWord(w0);
      c1 = CarryWord(w1);
      c2 = CarryWord(w2);
      c3 = CarryWord(w3);
      c4 = CarryWord(w4);
    }
    // The last block joins the lanes: its words one after the other, each
    // with what its lane carried.
    c = StepWord(Load64(p) ^ c0);
    c = StepWord(Load64(p + 8) ^ c1 ^ c);
    c = StepWord(Load64(p + 16) ^ c2 ^ c);
    c = StepWord(Load64(p + 24) ^ c3 ^ c);
    c = StepWord(Load64(p + 32) ^ c4 ^ c);
    p += kBlock;
    n -= blocks * kBlock;
  }
  for (; n >= 8; p += 8, n -= 8) c = StepWord(Load64(p) ^ c);
  while (n--) c = StepByte(c, *p++);
  return c;
}

#if ZW_CRC32_CLMUL

// Windows 32-bit code may be entered with a stack aligned to 4 bytes only;
// the vector spills of the folding need 16.
#if defined(__i386__)
#define ZW_CRC32_ALIGN_STACK __attribute__((force_align_arg_pointer))
#else
#define ZW_CRC32_ALIGN_STACK
#endif

// Folds one 128-bit value 'acc' over the next 128 bits 'next': the two 64-bit
// halves of acc are multiplied by x^(d+32) and x^(d-32) mod P (d the folding
// distance, constants in 'k', low half first) and added to next.
__attribute__((target("pclmul,sse4.1"))) inline __m128i Fold(__m128i acc, __m128i k, __m128i next) {
  const __m128i low = _mm_clmulepi64_si128(acc, k, 0x00);
  const __m128i high = _mm_clmulepi64_si128(acc, k, 0x11);
  return _mm_xor_si128(_mm_xor_si128(low, high), next);
}

// Raw register over p[0..n): n a multiple of 16 and at least 64.
// Four 128-bit accumulators take the data 64 bytes a round; each is folded
// 512 bits on and added to the data there. At the end the four are folded
// into one, the 128 bits are reduced to 64 and then to the 32-bit remainder
// by Barrett's method: q = floor(v / P) is computed with mu = floor(x^64 / P)
// by multiplications alone, and v - q * P is the remainder.
__attribute__((target("pclmul,sse4.1"))) ZW_CRC32_ALIGN_STACK uint32_t
RawFold(uint32_t c, const unsigned char* p, size_t n) {
  const auto& k = kCrc32Fold;
  const __m128i k512 = _mm_set_epi64x(static_cast<long long>(k.fold512High),
                                      static_cast<long long>(k.fold512Low));
  const __m128i k128 = _mm_set_epi64x(static_cast<long long>(k.fold128High),
                                      static_cast<long long>(k.fold128Low));

  __m128i x0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
  __m128i x1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16));
  __m128i x2 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 32));
  __m128i x3 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 48));
  // The incoming register is added to the first 32 bits of the data.
  x0 = _mm_xor_si128(x0, _mm_cvtsi32_si128(static_cast<int>(c)));
  p += 64;
  n -= 64;

  for (; n >= 64; p += 64, n -= 64) {
    x0 = Fold(x0, k512, _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)));
    x1 = Fold(x1, k512, _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16)));
    x2 = Fold(x2, k512, _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 32)));
    x3 = Fold(x3, k512, _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 48)));
  }

  // Four accumulators into one, then the remaining 16-byte blocks.
  x0 = Fold(x0, k128, x1);
  x0 = Fold(x0, k128, x2);
  x0 = Fold(x0, k128, x3);
  for (; n >= 16; p += 16, n -= 16)
    x0 = Fold(x0, k128, _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)));

  // 128 -> 96 bits: the earlier (low) 64 bits move 64 bits on, onto the later
  // half: times x^(64+32) mod P, which is the 128-bit step's second constant.
  const __m128i mask32 = _mm_setr_epi32(-1, 0, -1, 0);
  __m128i v = _mm_xor_si128(_mm_clmulepi64_si128(x0, k128, 0x10), _mm_srli_si128(x0, 8));
  // 96 -> 64 bits: the earliest 32 bits times x^64 mod P, onto the rest.
  const __m128i k64 = _mm_set_epi64x(0, static_cast<long long>(k.fold64));
  v = _mm_xor_si128(_mm_clmulepi64_si128(_mm_and_si128(v, mask32), k64, 0x00),
                    _mm_srli_si128(v, 4));
  // Barrett: the quotient q = floor(v / P) is the top of (top 32 bits of v) *
  // mu; v ^ q * P is the remainder. Reflected, "top" is the low end, and the
  // remainder comes out in the second 32-bit lane.
  const __m128i pm = _mm_set_epi64x(static_cast<long long>(k.mu), static_cast<long long>(k.poly));
  __m128i q = _mm_and_si128(_mm_clmulepi64_si128(_mm_and_si128(v, mask32), pm, 0x10), mask32);
  v = _mm_xor_si128(v, _mm_clmulepi64_si128(q, pm, 0x00));
  return static_cast<uint32_t>(_mm_extract_epi32(v, 1));
}

#endif  // ZW_CRC32_CLMUL

// The folding needs 64 bytes after a head of up to 15 bytes that brings the
// pointer to a 16-byte boundary; from there on it beats the tables already.
constexpr size_t kClmulMinLength = 80;
static_assert(kClmulMinLength >= 64 + 15, "the folding starts on 64 bytes");

}  // namespace

uint32_t Crc32UpdateTables(uint32_t crc, const void* data, size_t length) {
  return ~RawTables(~crc, static_cast<const unsigned char*>(data), length);
}

#if ZW_CRC32_CLMUL

bool Crc32ClmulAvailable() {
  static const bool available = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("pclmul") && __builtin_cpu_supports("sse4.1");
  }();
  return available;
}

uint32_t Crc32UpdateClmul(uint32_t crc, const void* data, size_t length) {
  const unsigned char* p = static_cast<const unsigned char*>(data);
  uint32_t c = ~crc;
  if (length < kClmulMinLength) return ~RawTables(c, p, length);
  // Table steps up to a 16-byte boundary, whole 16-byte blocks folded, the
  // last few bytes by table again.
  const size_t head = (16 - (reinterpret_cast<uintptr_t>(p) & 15u)) & 15u;
  c = RawTables(c, p, head);
  p += head;
  length -= head;
  const size_t body = length & ~size_t{15};
  c = RawFold(c, p, body);
  return ~RawTables(c, p + body, length - body);
}

#else

bool Crc32ClmulAvailable() { return false; }

uint32_t Crc32UpdateClmul(uint32_t crc, const void* data, size_t length) {
  return Crc32UpdateTables(crc, data, length);
}

#endif  // ZW_CRC32_CLMUL

}  // namespace detail

uint32_t Crc32Update(uint32_t crc, const void* data, size_t length) {
  if (length >= detail::kClmulMinLength && detail::Crc32ClmulAvailable())
    return detail::Crc32UpdateClmul(crc, data, length);
  return detail::Crc32UpdateTables(crc, data, length);
}

}  // namespace zw
