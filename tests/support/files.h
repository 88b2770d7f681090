// File helpers of the tests, independent of the code under test: random
// contents, whole-file reads and writes through the standard library, existence that counts a
// dangling link, the names in a folder, and a FILETIME from calendar fields.
#pragma once
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <set>
#include <string>

#include <gtest/gtest.h>

#include "platform/filetime.h"

namespace zwtest {

// `size` bytes drawn from `seed`.
inline std::string RandomBytes(size_t size, uint32_t seed) {
  std::mt19937 rng(seed);
  std::string s(size, '\0');
  for (char& c : s) c = static_cast<char>(rng());
  return s;
}

inline std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteAll(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// True for anything of that name, a link to nowhere included.
inline bool Exists(const std::string& path) {
  std::error_code ec;
  return std::filesystem::exists(std::filesystem::symlink_status(path, ec));
}

// The names in a folder (none for a missing folder).
inline std::set<std::string> NamesIn(const std::string& folder) {
  std::set<std::string> names;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(folder, ec))
    names.insert(entry.path().filename().string());
  return names;
}

// The FILETIME of the given calendar fields (the test fails on fields that
// name no instant).
inline zw::platform::FileTime At(int y, int mo, int d, int h = 0, int mi = 0, int s = 0, int ms = 0) {
  auto u = [](int v) { return static_cast<uint16_t>(v); };
  zw::platform::FileTime ft = 0;
  EXPECT_TRUE(zw::platform::JoinFileTime({u(y), u(mo), 0, u(d), u(h), u(mi), u(s), u(ms)}, ft)) << y << "-" << mo << "-" << d;
  return ft;
}

}  // namespace zwtest
