// CRC32 and middle sample of whole files, on real files.
#include "engine/common/file_checksum.h"

#include <gtest/gtest.h>

#include "engine/common/crc32.h"
#include "engine/common/le_bytes.h"
#include "support/files.h"
#include "support/temp_tree.h"

namespace {

using zwtest::TempTree;

TEST(FileChecksum, CrcOfEveryByteAndTheFourBytesAroundTheMiddle) {
  TempTree t;
  const std::string big = zwtest::ReadAll(t.SizedFile("big", 3 * 65536 + 1234, 7));
  struct Case {
    std::string content;
    uint32_t sample;
  } cases[] = {
      {"", 0},
      {"xyz", 0x007A7978},        // shorter than 4: the whole file, zero-padded
      {"wxyz", 0x7A797877},
      {"abcde", 0x64636261},      // 5 / 2 - 2 = 0
      {"abcdefgh", 0x66656463},   // bytes 2..5
      {"abcdefghi", 0x66656463},  // 9 / 2 - 2 = 2
      {big, 0},
  };
  cases[6].sample = zw::le::Get32(reinterpret_cast<const uint8_t*>(big.data()) + big.size() / 2 - 2);
  for (const Case& c : cases) {
    zw::TFileChecksum sum{0xDEADBEEF, 0xDEADBEEF};
    zw::platform::OsError err;
    ASSERT_TRUE(zw::ComputeFileChecksum(t.File("f", c.content), sum, err)) << err.code;
    EXPECT_EQ(sum.crc, zw::Crc32(c.content.data(), c.content.size())) << c.content.size();
    EXPECT_EQ(sum.sample, c.sample) << c.content.size();
  }
}

TEST(FileChecksum, WhatCannotBeReadFailsAndLeavesTheResultAlone) {
  TempTree t;
  for (const std::string& path : {t.PathOf("nothing"), t.Dir("folder")}) {
    zw::TFileChecksum sum{1, 2};
    zw::platform::OsError err;
    EXPECT_FALSE(zw::ComputeFileChecksum(path, sum, err)) << path;
    EXPECT_EQ(sum.crc, 1u);
    EXPECT_EQ(sum.sample, 2u);
  }
  // A file shorter than the size it was listed with.
  zw::platform::File file;
  zw::platform::OsError err;
  ASSERT_TRUE(file.OpenRead(t.File("short", "abc"), err));
  uint32_t crc = 0, sample = 0;
  EXPECT_FALSE(zw::FileCrc32(file, 10, crc, err));
  EXPECT_FALSE(zw::FileMiddleSample(file, 10, sample, err));
}

}  // namespace
