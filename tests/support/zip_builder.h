// A small writer of ZIP archives for tests: members stored as they are or
// deflated, optionally with zip64 fields, an archive comment and a zip64 end
// record. Built in memory; the tests write the bytes where they need them.
#pragma once
#include <zlib.h>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "engine/common/crc32.h"
#include "engine/common/le_bytes.h"

namespace zwtest {

using zw::le::Put16;
using zw::le::Put32;
using zw::le::Put64;
// Puts each value at `at` (2 or 4 bytes each), little-endian.
inline void Set(std::string& s, size_t at, int bytes, uint32_t v) {
  for (int i = 0; i < bytes; ++i) s[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}
inline void Set16(std::string& s, size_t at, uint32_t v) { Set(s, at, 2, v); }
inline void Set32(std::string& s, size_t at, uint32_t v) { Set(s, at, 4, v); }
inline void Put16s(std::string& s, std::initializer_list<uint32_t> values) {
  for (uint32_t v : values) Put16(s, static_cast<uint16_t>(v));
}

constexpr uint16_t kDosDate = ((2021 - 1980) << 9) | (3 << 5) | 15;  // 2021-03-15
constexpr uint16_t kDosTime = (10 << 11) | (20 << 5) | (30 / 2);     // 10:20:30

struct Member {
  std::string name;
  std::string data;
  uint32_t extAttr = 0x20;
  uint16_t flags = 0;
  // Zip64 member: the 32-bit sizes say "see the extra field", which holds
  // this size (the data written stays `data`).
  bool zip64 = false;
  uint64_t bigSize = 0;
  // Stored as raw deflate data (method 8) instead of as it is.
  bool deflate = false;
};

// Raw deflate data (no zlib header), as ZIP members hold it.
inline std::string Deflate(const std::string& data) {
  z_stream z{};
  if (deflateInit2(&z, 9, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK) return {};
  std::string out(deflateBound(&z, static_cast<uLong>(data.size())) + 16, '\0');
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  z.avail_in = static_cast<uInt>(data.size());
  z.next_out = reinterpret_cast<Bytef*>(out.data());
  z.avail_out = static_cast<uInt>(out.size());
  deflate(&z, Z_FINISH);
  out.resize(z.total_out);
  deflateEnd(&z);
  return out;
}

struct Built {
  std::string bytes;
  size_t cdOffset = 0;
  size_t cdSize = 0;
  size_t endPos = 0;  // the classic end record
};

inline Built BuildZip(const std::vector<Member>& members, const std::string& comment = {}, bool zip64End = false) {
  Built b;
  std::string& z = b.bytes;
  std::vector<size_t> localOffsets;
  std::vector<std::string> packed;
  for (const Member& m : members) {
    packed.push_back(m.deflate ? Deflate(m.data) : m.data);
    localOffsets.push_back(z.size());
    Put32(z, 0x04034B50);
    Put16s(z, {10, m.flags, m.deflate ? 8u : 0u, kDosTime, kDosDate});
    Put32(z, zw::Crc32(m.data.data(), m.data.size()));
    Put32(z, static_cast<uint32_t>(packed.back().size()));
    Put32(z, static_cast<uint32_t>(m.data.size()));
    Put16s(z, {static_cast<uint32_t>(m.name.size()), 0});
    z += m.name + packed.back();
  }
  b.cdOffset = z.size();
  for (size_t i = 0; i < members.size(); ++i) {
    const Member& m = members[i];
    std::string extra;
    if (m.zip64) {
      Put16s(extra, {0x0001, 16});
      Put64(extra, m.bigSize);
      Put64(extra, packed[i].size());
    }
    Put32(z, 0x02014B50);
    Put16s(z, {0x031E, m.zip64 ? 45u : 10u, m.flags, m.deflate ? 8u : 0u, kDosTime, kDosDate});
    Put32(z, zw::Crc32(m.data.data(), m.data.size()));
    Put32(z, m.zip64 ? 0xFFFFFFFF : static_cast<uint32_t>(packed[i].size()));
    Put32(z, m.zip64 ? 0xFFFFFFFF : static_cast<uint32_t>(m.data.size()));
    Put16s(z, {static_cast<uint32_t>(m.name.size()), static_cast<uint32_t>(extra.size()), 0, 0, 0});
    Put32(z, m.extAttr);
    Put32(z, static_cast<uint32_t>(localOffsets[i]));
    z += m.name + extra;
  }
  b.cdSize = z.size() - b.cdOffset;
  if (zip64End) {
    const size_t rec = z.size();
    Put32(z, 0x06064B50);
    Put64(z, 44);
    Put16s(z, {45, 45});
    Put32(z, 0);
    Put32(z, 0);
    for (uint64_t v : {uint64_t{members.size()}, uint64_t{members.size()}, uint64_t{b.cdSize}, uint64_t{b.cdOffset}}) Put64(z, v);
    Put32(z, 0x07064B50);
    Put32(z, 0);
    Put64(z, rec);
    Put32(z, 1);
  }
  b.endPos = z.size();
  const uint32_t count = zip64End ? 0xFFFF : static_cast<uint32_t>(members.size());
  Put32(z, 0x06054B50);
  Put16s(z, {0, 0, count, count});
  Put32(z, zip64End ? 0xFFFFFFFF : static_cast<uint32_t>(b.cdSize));
  Put32(z, zip64End ? 0xFFFFFFFF : static_cast<uint32_t>(b.cdOffset));
  Put16(z, static_cast<uint16_t>(comment.size()));
  z += comment;
  return b;
}

}  // namespace zwtest
