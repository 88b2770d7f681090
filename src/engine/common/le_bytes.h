// Little-endian integers in byte images (the file formats: result lists,
// catalogs, ZIP archives, the stored criteria), independent of the host's
// byte order.
#pragma once
#include <cstdint>

namespace zw::le {

inline uint16_t Get16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
inline uint32_t Get32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
inline uint64_t Get64(const uint8_t* p) {
  return static_cast<uint64_t>(Get32(p)) | (static_cast<uint64_t>(Get32(p + 4)) << 32);
}

// Appends to a byte container (std::string or std::vector<uint8_t>).
template <class Out>
void Put(Out& out, uint64_t v, int bytes) {
  for (int i = 0; i < bytes; ++i)
    out.push_back(static_cast<typename Out::value_type>((v >> (8 * i)) & 0xFF));
}
template <class Out>
void Put16(Out& out, uint16_t v) { Put(out, v, 2); }
template <class Out>
void Put32(Out& out, uint32_t v) { Put(out, v, 4); }
template <class Out>
void Put64(Out& out, uint64_t v) { Put(out, v, 8); }

}  // namespace zw::le
