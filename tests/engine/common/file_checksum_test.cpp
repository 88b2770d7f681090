// CRC32 and middle sample of whole files, on real files.
#include "engine/common/file_checksum.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "engine/common/crc32.h"
#include "support/temp_tree.h"

using zwtest::TempTree;

namespace {

zw::TFileChecksum Sum(const std::string& path) {
  zw::TFileChecksum sum{0xDEADBEEF, 0xDEADBEEF};
  zw::platform::OsError err;
  EXPECT_TRUE(zw::ComputeFileChecksum(path, sum, err)) << path << " error " << err.code;
  return sum;
}

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

TEST(FileChecksumCrc, CheckValueOfTheStandardCatalogue) {
  TempTree t;
  EXPECT_EQ(Sum(t.File("check", "123456789")).crc, 0xCBF43926u);
}

TEST(FileChecksumCrc, EmptyFileHasCrcZeroAndSampleZero) {
  TempTree t;
  const auto sum = Sum(t.File("empty", ""));
  EXPECT_EQ(sum.crc, 0u);
  EXPECT_EQ(sum.sample, 0u);
}

TEST(FileChecksumCrc, FileSpanningManyReadPiecesMatchesCrcOfItsBytes) {
  TempTree t;
  const std::string path = t.SizedFile("big", 3 * 65536 + 1234, 7);
  const std::string bytes = ReadAll(path);
  ASSERT_EQ(bytes.size(), 3u * 65536 + 1234);
  EXPECT_EQ(Sum(path).crc, zw::Crc32(bytes.data(), bytes.size()));
}

TEST(FileChecksumCrc, FilesDifferingInTheLastByteDiffer) {
  TempTree t;
  std::string a(70000, 'x');
  std::string b = a;
  b.back() = 'y';
  EXPECT_NE(Sum(t.File("a", a)).crc, Sum(t.File("b", b)).crc);
}

TEST(FileChecksumSample, FourBytesAroundTheMiddleInFileOrder) {
  TempTree t;
  // size 8: bytes 2..5 ("cdef")
  EXPECT_EQ(Sum(t.File("even", "abcdefgh")).sample, 0x66656463u);
  // size 9: 9 / 2 - 2 = 2, again "cdef"
  EXPECT_EQ(Sum(t.File("odd", "abcdefghi")).sample, 0x66656463u);
  // size 5: offset 0, "abcd"
  EXPECT_EQ(Sum(t.File("five", "abcde")).sample, 0x64636261u);
}

TEST(FileChecksumSample, ShortFileIsTakenWholeAndPaddedWithZeros) {
  TempTree t;
  EXPECT_EQ(Sum(t.File("three", "xyz")).sample, 0x007A7978u);
  EXPECT_EQ(Sum(t.File("four", "wxyz")).sample, 0x7A797877u);
}

TEST(FileChecksumFailure, MissingFileFailsAndLeavesTheResultAlone) {
  TempTree t;
  zw::TFileChecksum sum{1, 2};
  zw::platform::OsError err;
  EXPECT_FALSE(zw::ComputeFileChecksum(t.PathOf("nothing"), sum, err));
  EXPECT_NE(err.code, 0);
  EXPECT_EQ(sum.crc, 1u);
  EXPECT_EQ(sum.sample, 2u);
}

TEST(FileChecksumFailure, FolderIsRefused) {
  TempTree t;
  zw::TFileChecksum sum{1, 2};
  zw::platform::OsError err;
  EXPECT_FALSE(zw::ComputeFileChecksum(t.Dir("d"), sum, err));
  EXPECT_EQ(sum.crc, 1u);
}

TEST(FileChecksumFailure, FileShorterThanTheGivenSizeFails) {
  TempTree t;
  const std::string path = t.File("short", "abc");
  zw::platform::File file;
  zw::platform::OsError err;
  ASSERT_TRUE(file.OpenRead(path, err));
  uint32_t crc = 0, sample = 0;
  EXPECT_FALSE(zw::FileCrc32(file, 10, crc, err));
  EXPECT_FALSE(zw::FileMiddleSample(file, 10, sample, err));
}
