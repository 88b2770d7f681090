#include "engine/scan/catalog_file.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <algorithm>
#include <map>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "engine/scan/thread_browse.h"
#include "platform/filetime.h"
#include "platform/paths.h"
#include "support/recording_messenger.h"
#include "support/temp_tree.h"

namespace {

using namespace zw;
using zwtest::RecordingMessenger;
using zwtest::TempTree;
using Bytes = std::vector<uint8_t>;

const char kSep = platform::kPathSep;

Bytes ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}
void WriteAll(const std::string& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}
void Put16(Bytes& b, uint16_t v) {
  b.push_back(v & 0xFF);
  b.push_back(v >> 8);
}
void Put32(Bytes& b, uint32_t v) {
  for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
void Put64(Bytes& b, uint64_t v) {
  for (int i = 0; i < 8; ++i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
void Set32(Bytes& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}
void AddStr(Bytes& b, const std::string& s) { b.insert(b.end(), s.begin(), s.end()); }

// A header as the writer leaves it, with the given counts and base index.
Bytes Header(uint32_t files, uint32_t dirs, uint32_t base, uint8_t data = 0x03) {
  Bytes b;
  AddStr(b, "ZWCatF");
  Put16(b, 0);
  b.push_back(data);
  b.push_back(0);
  Put64(b, 0);
  b.push_back(1);
  b.push_back(0);
  Put32(b, files);
  Put32(b, dirs);
  Put32(b, base);
  Put64(b, 0);
  Put32(b, 0);
  Put32(b, 0);
  return b;
}
void Dir(Bytes& b, uint32_t attr, uint32_t parent, uint32_t index, const std::string& name,
         uint64_t creation = 0) {
  Put32(b, attr);
  Put32(b, parent);
  Put16(b, static_cast<uint16_t>(name.size()));
  Put32(b, index);
  Put64(b, creation);
  AddStr(b, name);
  b.push_back(0);
}
void File(Bytes& b, uint32_t attr, uint32_t dir, const std::string& name, uint64_t size,
          uint64_t time, uint32_t crc, uint32_t middle, uint8_t flags) {
  Put32(b, attr);
  Put32(b, dir);
  Put16(b, static_cast<uint16_t>(name.size()));
  Put64(b, size);
  Put64(b, time);
  Put32(b, crc);
  Put32(b, middle);
  b.push_back(flags);
  AddStr(b, name);
  b.push_back(0);
}

// A small hand-made catalog: C: / data / sub with two files, base index 0.
Bytes SmallCatalog(uint32_t base = 0) {
  Bytes b = Header(2, 3, base);
  b.push_back(1);  // code page block
  Put32(b, 4);
  Put32(b, 65001);
  b.push_back(0);
  Dir(b, 0x10, 0, 1, "C:");
  Dir(b, 0x10, 1, 2, "data");
  File(b, 0x20, 2, "a.txt", 5, 130000000000000000ull, 0x11223344, 0x55667788, 3);
  Dir(b, 0x12, 2, 3, "sub");
  File(b, 0x21, 3, "b.bin", 1234567890123ull, 130000000000000001ull, 0, 0, 0);
  return b;
}

struct Collected {
  std::vector<TFileInfos*> entries;
  ~Collected() {
    for (auto* e : entries) FreeFileInfos(e);
  }
  TZWCatReader::TSink Sink() {
    return [this](TFileInfos* e) { entries.push_back(e); };
  }
  std::map<std::string, const TFileInfos*> ByName() const {
    std::map<std::string, const TFileInfos*> m;
    for (auto* e : entries) m[e->FullName()] = e;
    return m;
  }
};

std::string P(std::initializer_list<std::string> parts) {
  std::string s;
  for (const auto& p : parts) s += p + kSep;
  return s;
}

// ---------------------------------------------------------------- byte image

TEST(CatalogFileImage, WriterBytesMatchTheLayoutExactly) {
  TempTree tree;
  const std::string path = tree.PathOf("x.zwc");
  TZWCatfile cat;
  ASSERT_TRUE(cat.CreateNew(path, false));
  cat.SetWriterHeader(0x03);
  ASSERT_TRUE(cat.AddHeaderBlock(1, {0xE9, 0xFD, 0, 0}));
  TCatDirRecord d;
  d.Attr = 0x10;
  d.Parent = 0;
  d.Index = 1;
  d.Creation = 0x0102030405060708ull;
  d.Name = "C:";
  ASSERT_TRUE(cat.AppendDir(d));
  TCatFileRecord f;
  f.Attr = 0x20;
  f.Dir = 1;
  f.Size = 0x1122334455ull;
  f.Time = 0x0A0B0C0D0E0F1011ull;
  f.Crc = 0xCBF43926;
  f.Middle = 0x36353433;
  f.Flags = 3;
  f.Name = "n.txt";
  ASSERT_TRUE(cat.AppendFile(f));
  cat.SetBaseIndex(1);
  const platform::FileTime before = platform::NowUtc();
  ASSERT_TRUE(cat.Close());
  const platform::FileTime after = platform::NowUtc();

  Bytes expect = Header(1, 1, 1);
  expect.push_back(1);
  Put32(expect, 4);
  Put32(expect, 65001);
  expect.push_back(0);
  Dir(expect, 0x10, 0, 1, "C:", 0x0102030405060708ull);
  File(expect, 0x20, 1, "n.txt", 0x1122334455ull, 0x0A0B0C0D0E0F1011ull, 0xCBF43926,
       0x36353433, 3);
  Bytes got = ReadAll(path);
  ASSERT_EQ(got.size(), expect.size());
  uint64_t stamp = 0;
  for (int i = 7; i >= 0; --i) stamp = stamp << 8 | got[10 + i];
  EXPECT_GE(static_cast<platform::FileTime>(stamp), before);
  EXPECT_LE(static_cast<platform::FileTime>(stamp), after);
  for (int i = 10; i < 18; ++i) got[i] = 0;
  EXPECT_EQ(got, expect);
}

TEST(CatalogFileImage, RecordKindBitIsForcedByTheEncoder) {
  TCatDirRecord d;
  d.Attr = 0x02;  // hidden, folder bit missing
  d.Name = "x";
  Bytes b;
  ASSERT_TRUE(EncodeCatDirRecord(d, b));
  EXPECT_EQ(b[0], 0x12);
  TCatFileRecord f;
  f.Attr = 0x30;
  ASSERT_TRUE(EncodeCatFileRecord(f, b));
  EXPECT_EQ(b[0], 0x20);
  f.Name.assign(70000, 'a');
  EXPECT_FALSE(EncodeCatFileRecord(f, b));
}

TEST(CatalogFileImage, CreateNewLeavesMagicAndEmptyBlockList) {
  TempTree tree;
  const std::string path = tree.PathOf("n.zwc");
  {
    TZWCatfile cat;
    ASSERT_TRUE(cat.CreateNew(path, false));
    EXPECT_TRUE(cat.Changed());
  }
  Bytes got = ReadAll(path);
  ASSERT_EQ(got.size(), 49u);
  EXPECT_EQ(std::string(got.begin(), got.begin() + 6), "ZWCatF");
  EXPECT_EQ(got[48], 0);
  TZWCatfile again;
  EXPECT_EQ(again.Open(path, true), corGood);
}

TEST(CatalogFileCreate, ReplacesAnExistingCatalogOnlyWhenAllowed) {
  TempTree tree;
  const std::string path = tree.File("old.zwc", "keep me");
  TZWCatfile cat;
  // Another kind of file is never replaced.
  for (const bool overwrite : {false, true}) {
    EXPECT_FALSE(cat.CreateNew(path, overwrite));
    EXPECT_EQ(cat.LastError().kind, platform::ErrKind::AlreadyExists);
    EXPECT_EQ(ReadAll(path).size(), 7u);
  }
  std::filesystem::remove(path);
  ASSERT_TRUE(cat.CreateNew(path, false));
  cat.Close();
  EXPECT_FALSE(cat.CreateNew(path, false));
  ASSERT_TRUE(cat.CreateNew(path, true));
  cat.Close();
  EXPECT_EQ(ReadAll(path).size(), 49u);
}

TEST(CatalogFileCreate, HeaderBlocksOnlyBeforeTheFirstRecord) {
  TempTree tree;
  const std::string path = tree.PathOf("h.zwc");
  TZWCatfile cat;
  ASSERT_TRUE(cat.CreateNew(path, false));
  ASSERT_TRUE(cat.AddHeaderBlock(7, {1, 2, 3}));
  ASSERT_TRUE(cat.AddHeaderBlock(1, {0xE9, 0xFD, 0, 0}));
  EXPECT_FALSE(cat.AddHeaderBlock(0, {}));
  TCatDirRecord d;
  d.Index = 1;
  d.Name = "C:";
  ASSERT_TRUE(cat.AppendDir(d));
  EXPECT_FALSE(cat.AddHeaderBlock(2, {1}));
  cat.Close();
  Bytes got = ReadAll(path);
  // header, block 7 (8 bytes), block 1 (9 bytes), end byte, directory record
  ASSERT_EQ(got.size(), 48u + 8 + 9 + 1 + 24 + 1);
  EXPECT_EQ(got[48], 7);
  EXPECT_EQ(got[56], 1);
  EXPECT_EQ(got[65], 0);
  TZWCatfile ro;
  ASSERT_EQ(ro.Open(path, true), corGood);
  EXPECT_EQ(ro.DirCount(), 1u);
  EXPECT_FALSE(ro.AddHeaderBlock(3, {1}));
}

// ---------------------------------------------------------------- open checks

class CatalogOpen : public ::testing::Test {
 protected:
  int OpenBytes(const Bytes& b) {
    const std::string path = tree.PathOf("t.zwc");
    WriteAll(path, b);
    TZWCatfile cat;
    const int code = cat.Open(path, true);
    EXPECT_EQ(cat.IsOpen(), code == corGood);
    return code;
  }
  TempTree tree;
};

TEST_F(CatalogOpen, MissingFileGivesCodeZeroWithTheSystemError) {
  TZWCatfile cat;
  EXPECT_EQ(cat.Open(tree.PathOf("none.zwc"), true), corOpenFailed);
  EXPECT_NE(cat.LastError().code, 0);
  EXPECT_FALSE(cat.IsOpen());
}

TEST_F(CatalogOpen, EmptyFileGivesCodeOne) { EXPECT_EQ(OpenBytes({}), corEmpty); }

TEST_F(CatalogOpen, ShortFileOrWrongMagicGivesCodeTwo) {
  Bytes b = SmallCatalog();
  EXPECT_EQ(OpenBytes(Bytes(b.begin(), b.begin() + 47)), corInvalidHeader);
  b[0] = 'z';
  EXPECT_EQ(OpenBytes(b), corInvalidHeader);
}

TEST_F(CatalogOpen, VersionOneGivesCodeThree) {
  Bytes b = SmallCatalog();
  b[6] = 1;
  EXPECT_EQ(OpenBytes(b), corNotSupported);
}

TEST_F(CatalogOpen, ByteNineteenSetGivesCodeFour) {
  Bytes b = SmallCatalog();
  b[19] = 1;
  EXPECT_EQ(OpenBytes(b), corOtherError);
}

TEST_F(CatalogOpen, HeaderBlocksRunningPastTheEndGiveCodeFour) {
  Bytes b = Header(0, 0, 0);
  b.push_back(1);
  Put32(b, 0xFFFFFFF0u);
  b.push_back(0);
  EXPECT_EQ(OpenBytes(b), corOtherError);
  Bytes unterminated = Header(0, 0, 0);
  unterminated.push_back(9);
  Put32(unterminated, 1);
  unterminated.push_back(0xAA);
  EXPECT_EQ(OpenBytes(unterminated), corOtherError);
  EXPECT_EQ(OpenBytes(Header(0, 0, 0)), corOtherError);  // no block list at all
}

TEST_F(CatalogOpen, GoodCatalogGivesCodeFiveAndItsHeaderFields) {
  const std::string path = tree.PathOf("g.zwc");
  WriteAll(path, SmallCatalog(2));
  TZWCatfile cat;
  ASSERT_EQ(cat.Open(path, true), corGood);
  EXPECT_EQ(cat.FileCount(), 2u);
  EXPECT_EQ(cat.DirCount(), 3u);
  EXPECT_EQ(cat.BaseIndex(), 2u);
  EXPECT_TRUE(cat.HasChecksums());
  EXPECT_TRUE(cat.HasDirAttributes());
}

TEST_F(CatalogOpen, ReadOnlyCloseLeavesTheFileUntouched) {
  const std::string path = tree.PathOf("r.zwc");
  const Bytes b = SmallCatalog();
  WriteAll(path, b);
  {
    TZWCatfile cat;
    ASSERT_EQ(cat.Open(path, true), corGood);
    while (cat.ReadRecord([](int, const uint8_t*, size_t) { return true; })) {
    }
    EXPECT_TRUE(cat.Close());
  }
  EXPECT_EQ(ReadAll(path), b);
}

TEST_F(CatalogOpen, ReadWriteOpenAppendsAndRestampsOnClose) {
  const std::string path = tree.PathOf("rw.zwc");
  WriteAll(path, SmallCatalog());
  {
    TZWCatfile cat;
    ASSERT_EQ(cat.Open(path, false), corGood);
    TCatFileRecord f;
    f.Dir = 1;
    f.Name = "late";
    ASSERT_TRUE(cat.AppendFile(f));
    ASSERT_TRUE(cat.Close());
  }
  TZWCatfile cat;
  ASSERT_EQ(cat.Open(path, true), corGood);
  EXPECT_EQ(cat.FileCount(), 3u);
  EXPECT_NE(cat.LastWrite(), 0);
}

// A catalog of `files` records behind a header block of `headerBlock`
// bytes, with one block of `tailBlock` bytes after the last record; false
// when any record or the tail block does not read back as written.
bool LargeCatalogReadsBack(const std::string& path, size_t headerBlock, int files,
                           size_t tailBlock) {
  auto name = [](int i) {
    return std::string(1 + i % 61, static_cast<char>('a' + i % 26)) + std::to_string(i);
  };
  {
    TZWCatfile cat;
    if (!cat.CreateNew(path, true) ||
        !cat.AddHeaderBlock(9, std::vector<uint8_t>(headerBlock, 0xCD)))
      return false;
    TCatDirRecord d;
    d.Index = 1;
    d.Name = "top";
    if (!cat.AppendDir(d)) return false;
    for (int i = 0; i < files; ++i) {
      TCatFileRecord f;
      f.Dir = 1;
      f.Name = name(i);
      f.Size = static_cast<uint64_t>(i) * 7;
      f.Crc = static_cast<uint32_t>(i) * 2654435761u;
      f.Flags = 1;
      if (!cat.AppendFile(f)) return false;
    }
    if (!cat.Close()) return false;
  }
  // The block after the last record, appended by hand.
  Bytes bytes = ReadAll(path);
  if (bytes.back() != 0) return false;
  bytes.pop_back();
  bytes.push_back(7);
  Put32(bytes, static_cast<uint32_t>(tailBlock));
  bytes.insert(bytes.end(), tailBlock, 0xAB);
  bytes.push_back(0);
  WriteAll(path, bytes);

  TZWCatfile cat;
  if (cat.Open(path, true) != corGood || cat.FileCount() != static_cast<uint32_t>(files))
    return false;
  int read = 0;
  int tails = 0;
  bool allRight = true;
  while (cat.ReadRecord([&](int kind, const uint8_t* data, size_t size) {
    if (kind == crkFile) {
      TCatFileRecord f;
      const int i = read++;
      allRight = allRight && DecodeCatFileRecord(data, size, f) && f.Name == name(i) &&
                 f.Size == static_cast<uint64_t>(i) * 7 &&
                 f.Crc == static_cast<uint32_t>(i) * 2654435761u;
    }
    if (kind == crkBlock)
      tails += size == 5 + tailBlock && data[0] == 7 &&
               std::all_of(data + 5, data + size, [](uint8_t c) { return c == 0xAB; });
    return true;
  })) {
  }
  return allRight && read == files && tails == 1 && cat.EntriesRead() == uint32_t(files + 1);
}

TEST_F(CatalogOpen, LargeCatalogsReadBackRecordByRecordAcrossTheReadWindow) {
  // Records are read through a 64 KiB window. Shifting them by every amount
  // up to a record's length puts every kind of read (record start, whole
  // record, block tag) across the window's edge at every offset.
  for (size_t shift = 0; shift < 100; ++shift)
    EXPECT_TRUE(LargeCatalogReadsBack(tree.PathOf("shifted.zwc"), 1 + shift, 3000, 3)) << shift;
  // Blocks larger than the window, before the records and after them.
  EXPECT_TRUE(LargeCatalogReadsBack(tree.PathOf("large.zwc"), 100 * 1024, 20000, 100 * 1024));
}

TEST_F(CatalogOpen, RowCheckGivesResultReasonAndChecksumFlag) {
  const std::string path = tree.PathOf("c.zwc");
  Bytes b = SmallCatalog();
  WriteAll(path, b);
  TCatCheck good = CheckCatalogFile(path);
  EXPECT_EQ(good.result, corGood);
  EXPECT_TRUE(good.hasChecksums);
  b[8] = catdata::kDirAttributes;
  WriteAll(path, b);
  EXPECT_FALSE(CheckCatalogFile(path).hasChecksums);
  b[6] = 1;
  WriteAll(path, b);
  TCatCheck old = CheckCatalogFile(path);
  EXPECT_EQ(old.result, corNotSupported);
  EXPECT_FALSE(old.hasChecksums);
  EXPECT_EQ(CatOpenResultText(old.result), strImportFailedNotSupported);
  TCatCheck missing = CheckCatalogFile(tree.PathOf("nope.zwc"));
  EXPECT_EQ(missing.result, corOpenFailed);
  EXPECT_NE(missing.error.code, 0);
  EXPECT_EQ(CatOpenResultText(corOpenFailed), strImportFailedIO);
  EXPECT_EQ(CatOpenResultText(corEmpty), strImportFailedEmpty);
  EXPECT_EQ(CatOpenResultText(corInvalidHeader), strImportFailedInvalidHeader);
  EXPECT_EQ(CatOpenResultText(corOtherError), strImportFailedOtherError);
}

// ---------------------------------------------------------------- callback protocol

struct Call {
  int kind;
  Bytes data;
};

TEST(CatalogReadRecord, AsksStartThenWholeRecordThenEachBlockTag) {
  TempTree tree;
  Bytes b = Header(1, 1, 0);
  b.push_back(0);
  Dir(b, 0x10, 0, 1, "C:");
  b.pop_back();  // give the directory two blocks of unknown tags
  b.push_back(200);
  Put32(b, 3);
  AddStr(b, "xyz");
  b.push_back(17);
  Put32(b, 0);
  b.push_back(0);
  File(b, 0x20, 1, "f", 1, 2, 3, 4, 3);
  const std::string path = tree.PathOf("p.zwc");
  WriteAll(path, b);

  TZWCatfile cat;
  ASSERT_EQ(cat.Open(path, true), corGood);
  std::vector<Call> calls;
  auto cb = [&](int kind, const uint8_t* d, size_t n) {
    calls.push_back({kind, Bytes(d, d + n)});
    return !(kind == crkBlockTag && d[0] == 17);  // read block 200, skip block 17
  };
  ASSERT_TRUE(cat.ReadRecord(cb));
  ASSERT_EQ(calls.size(), 5u);
  EXPECT_EQ(calls[0].kind, crkRecordStart);
  EXPECT_EQ(calls[0].data.size(), 10u);
  EXPECT_EQ(calls[1].kind, crkDirectory);
  TCatDirRecord d;
  ASSERT_TRUE(DecodeCatDirRecord(calls[1].data.data(), calls[1].data.size(), d));
  EXPECT_EQ(d.Name, "C:");
  EXPECT_EQ(d.Index, 1u);
  EXPECT_EQ(calls[2].kind, crkBlockTag);
  EXPECT_EQ(calls[2].data, Bytes{200});
  EXPECT_EQ(calls[3].kind, crkBlock);
  EXPECT_EQ(calls[3].data.size(), 8u);
  EXPECT_EQ(std::string(calls[3].data.begin() + 5, calls[3].data.end()), "xyz");
  EXPECT_EQ(calls[4].kind, crkBlockTag);
  EXPECT_EQ(calls[4].data, Bytes{17});

  calls.clear();
  ASSERT_TRUE(cat.ReadRecord(cb));
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[1].kind, crkFile);
  TCatFileRecord f;
  ASSERT_TRUE(DecodeCatFileRecord(calls[1].data.data(), calls[1].data.size(), f));
  EXPECT_EQ(f.Name, "f");
  EXPECT_EQ(f.Size, 1u);
  EXPECT_EQ(f.Time, 2u);
  EXPECT_EQ(f.Crc, 3u);
  EXPECT_EQ(f.Middle, 4u);
  EXPECT_EQ(f.Flags, 3);
  EXPECT_FALSE(cat.ReadRecord(cb));
  EXPECT_EQ(cat.EntriesRead(), 2u);
}

TEST(CatalogReadRecord, NoAtTheStartSkipsRecordAndBlocks) {
  TempTree tree;
  Bytes b = Header(2, 0, 0);
  b.push_back(0);
  File(b, 0x20, 1, "one", 1, 0, 0, 0, 0);
  b.pop_back();
  b.push_back(5);
  Put32(b, 2);
  AddStr(b, "zz");
  b.push_back(0);
  File(b, 0x20, 1, "two", 2, 0, 0, 0, 0);
  const std::string path = tree.PathOf("s.zwc");
  WriteAll(path, b);
  TZWCatfile cat;
  ASSERT_EQ(cat.Open(path, true), corGood);
  std::vector<int> kinds;
  auto no = [&](int kind, const uint8_t*, size_t) {
    kinds.push_back(kind);
    return false;
  };
  ASSERT_TRUE(cat.ReadRecord(no));
  EXPECT_EQ(kinds, std::vector<int>{crkRecordStart});
  std::string second;
  ASSERT_TRUE(cat.ReadRecord([&](int kind, const uint8_t* d, size_t n) {
    if (kind == crkFile) {
      TCatFileRecord f;
      DecodeCatFileRecord(d, n, f);
      second = f.Name;
    }
    return true;
  }));
  EXPECT_EQ(second, "two");
}

TEST(CatalogReadRecord, ParentIndexFFFFFFIsNeverOffered) {
  TempTree tree;
  Bytes b = Header(2, 0, 0);
  b.push_back(0);
  File(b, 0x20, 0xFFFFFF, "hidden", 1, 0, 0, 0, 0);
  File(b, 0x20, 1, "seen", 1, 0, 0, 0, 0);
  const std::string path = tree.PathOf("f.zwc");
  WriteAll(path, b);
  TZWCatfile cat;
  ASSERT_EQ(cat.Open(path, true), corGood);
  int calls = 0;
  auto cb = [&](int, const uint8_t*, size_t) {
    ++calls;
    return true;
  };
  ASSERT_TRUE(cat.ReadRecord(cb));
  EXPECT_EQ(calls, 0);
  ASSERT_TRUE(cat.ReadRecord(cb));
  EXPECT_EQ(calls, 2);
}

TEST(CatalogReadRecord, RecordRunningPastTheEndStopsTheReading) {
  TempTree tree;
  Bytes b = Header(1, 0, 0);
  b.push_back(0);
  File(b, 0x20, 1, "name", 1, 0, 0, 0, 0);
  b[48 + 1 + 8] = 0xFF;  // name length 0x??FF, far beyond the file
  b[48 + 1 + 9] = 0xFF;
  const std::string path = tree.PathOf("t.zwc");
  WriteAll(path, b);
  TZWCatfile cat;
  ASSERT_EQ(cat.Open(path, true), corGood);
  int calls = 0;
  EXPECT_FALSE(cat.ReadRecord([&](int, const uint8_t*, size_t) {
    ++calls;
    return true;
  }));
  EXPECT_EQ(calls, 0);
}

// ---------------------------------------------------------------- checksums

TEST(CatalogChecksumFile, KnownContentGivesStandardCrcAndMiddleSample) {
  TempTree tree;
  uint32_t crc = 1, middle = 1;
  ASSERT_TRUE(TZWCatfile::ChecksumFile(tree.File("c.txt", "123456789"), crc, middle, nullptr));
  EXPECT_EQ(crc, 0xCBF43926u);
  EXPECT_EQ(middle, 0x36353433u);  // "3456" at 9/2 - 2
  ASSERT_TRUE(TZWCatfile::ChecksumFile(tree.File("s.txt", "ab"), crc, middle, nullptr));
  EXPECT_EQ(middle, 0x00006261u);
}

TEST(CatalogChecksumFile, EmptyFileGivesZeroes) {
  TempTree tree;
  uint32_t crc = 1, middle = 1;
  ASSERT_TRUE(TZWCatfile::ChecksumFile(tree.File("e.txt"), crc, middle, nullptr));
  EXPECT_EQ(crc, 0u);
  EXPECT_EQ(middle, 0u);
}

TEST(CatalogChecksumFile, MissingFileIsLoggedWithCodeAndName) {
  TempTree tree;
  RecordingMessenger msgs;
  uint32_t crc = 7, middle = 7;
  const std::string path = tree.PathOf("gone.bin");
  EXPECT_FALSE(TZWCatfile::ChecksumFile(path, crc, middle, &msgs));
  auto logged = msgs.With(logIOErrorOnOpen);
  ASSERT_EQ(logged.size(), 1u);
  EXPECT_NE(logged[0].Int(0), 0);
  EXPECT_EQ(logged[0].Str(1), path);
  EXPECT_EQ(crc, 7u);
}

// ---------------------------------------------------------------- reader

class CatalogReader : public ::testing::Test {
 protected:
  std::string Put(const Bytes& b, const std::string& name = "backup.zwc") {
    const std::string path = tree.PathOf(name);
    WriteAll(path, b);
    return path;
  }
  TempTree tree;
};

TEST_F(CatalogReader, CompletePathsStartWithTheCatalogName) {
  Collected got;
  TZWCatReader reader(Put(SmallCatalog(0)));
  EXPECT_EQ(reader.Read({}, got.Sink()), 2u);
  auto m = got.ByName();
  ASSERT_EQ(m.size(), 2u);
  const std::string a = std::string("backup.zwc>") + kSep + P({"C:", "data"}) + "a.txt";
  const std::string b = std::string("backup.zwc>") + kSep + P({"C:", "data", "sub"}) + "b.bin";
  ASSERT_TRUE(m.count(a));
  ASSERT_TRUE(m.count(b));
  const TFileInfos* fa = m[a];
  EXPECT_EQ(fa->Size, 5u);
  EXPECT_EQ(fa->Time, platform::UtcToLocal(130000000000000000ll));
  EXPECT_EQ(fa->Attr, 0x20u);
  EXPECT_EQ(fa->Crc, 0x11223344u);
  EXPECT_EQ(fa->Middle, 0x55667788u);
  EXPECT_EQ(fa->Flags, fiflag::kCrcValid | fiflag::kMiddleValid | fiflag::kInArchive);
  EXPECT_EQ(fa->NameKey, nullptr);
  EXPECT_EQ(m[b]->Size, 1234567890123ull);
  EXPECT_EQ(m[b]->Flags, fiflag::kInArchive);
}

TEST_F(CatalogReader, BaseIndexCutsThePathBelowTheCatalogName) {
  Collected got;
  TZWCatReader reader(Put(SmallCatalog(2)));
  reader.Read({}, got.Sink());
  auto m = got.ByName();
  EXPECT_TRUE(m.count(std::string("backup.zwc>") + kSep + "a.txt"));
  EXPECT_TRUE(m.count(std::string("backup.zwc>") + kSep + "sub" + kSep + "b.bin"));
}

TEST_F(CatalogReader, LibraryEntriesAreMarked) {
  Collected got;
  TCatReadFilters f;
  f.library = true;
  TZWCatReader(Put(SmallCatalog())).Read(f, got.Sink());
  ASSERT_EQ(got.entries.size(), 2u);
  for (auto* e : got.entries) EXPECT_TRUE(e->Flags & fiflag::kLibrary);
}

TEST_F(CatalogReader, AttributeFilterDropsFilesAndWholeFolders) {
  // "sub" is hidden (0x12): excluding hidden drops it and the file inside.
  TAttribFilter attr;
  attr.notMask = 0x02 | 0x10;
  TCatReadFilters f;
  f.attrib = &attr;
  Collected got;
  TZWCatReader(Put(SmallCatalog())).Read(f, got.Sink());
  ASSERT_EQ(got.entries.size(), 1u);
  EXPECT_EQ(got.entries[0]->Name, "a.txt");
  EXPECT_EQ(attr.notMask, 0x12u);  // the folder bit is back
}

TEST_F(CatalogReader, FoldersPassWhenTheirAttributesAreNotStored) {
  Bytes b = SmallCatalog();
  b[8] = catdata::kChecksums;  // no directory attributes
  TAttribFilter attr;
  attr.notMask = 0x02;
  TCatReadFilters f;
  f.attrib = &attr;
  Collected got;
  TZWCatReader(Put(b)).Read(f, got.Sink());
  EXPECT_EQ(got.entries.size(), 2u);
}

TEST_F(CatalogReader, SizeFilterRejectsBySize) {
  TSizeFilter size;
  size.mode = fmLimitTo;
  size.low = 0;
  size.high = 100;
  TCatReadFilters f;
  f.size = &size;
  Collected got;
  TZWCatReader(Put(SmallCatalog())).Read(f, got.Sink());
  ASSERT_EQ(got.entries.size(), 1u);
  EXPECT_EQ(got.entries[0]->Name, "a.txt");
}

TEST_F(CatalogReader, DamagedOrMissingCatalogGivesNothing) {
  Collected got;
  EXPECT_EQ(TZWCatReader(tree.PathOf("none.zwc")).Read({}, got.Sink()), 0u);
  Bytes b = SmallCatalog();
  b[19] = 1;
  EXPECT_EQ(TZWCatReader(Put(b)).Read({}, got.Sink()), 0u);
  EXPECT_TRUE(got.entries.empty());
}

TEST_F(CatalogReader, StopRequestEndsTheReading) {
  Collected got;
  int asked = 0;
  TZWCatReader(Put(SmallCatalog())).Read({}, got.Sink(), [&] { return ++asked > 3; });
  EXPECT_EQ(got.entries.size(), 1u);  // C:, data, a.txt were read; then stop
}

// ---------------------------------------------------------------- hostile catalogs

TEST_F(CatalogReader, EveryTruncationReadsCleanly) {
  const Bytes full = SmallCatalog();
  const std::string path = tree.PathOf("cut.zwc");
  size_t lastCount = 0;
  for (size_t len = 0; len <= full.size(); ++len) {
    WriteAll(path, Bytes(full.begin(), full.begin() + len));
    Collected got;
    const uint32_t n = TZWCatReader(path).Read({}, got.Sink());
    EXPECT_LE(n, 2u) << len;
    EXPECT_GE(n, lastCount) << len;  // a longer prefix never gives fewer entries
    lastCount = n;
  }
  EXPECT_EQ(lastCount, 2u);
}

TEST_F(CatalogReader, HugeCountsDoNotSizeTheTable) {
  Bytes b = SmallCatalog();
  Set32(b, 20, 0xFFFFFFFFu);
  Set32(b, 24, 0xFFFFFFFFu);
  Set32(b, 40, 0xFFFFFFFFu);
  Collected got;
  EXPECT_EQ(TZWCatReader(Put(b)).Read({}, got.Sink()), 2u);
}

TEST_F(CatalogReader, HugeBaseIndexIsClippedToTheTable) {
  Bytes b = SmallCatalog(0xFFFFFFF0u);
  Collected got;
  TZWCatReader(Put(b)).Read({}, got.Sink());
  // every folder slot holds the catalog prefix, so no folder gets a path of
  // its own and the files sit right below the catalog name
  ASSERT_EQ(got.entries.size(), 2u);
  for (auto* e : got.entries) EXPECT_EQ(e->Path, std::string("backup.zwc>") + kSep);
}

TEST_F(CatalogReader, SelfReferencingAndLoopingFoldersHoldNoFiles) {
  Bytes b = Header(3, 3, 0);
  b.push_back(0);
  Dir(b, 0x10, 1, 1, "self");   // its own parent
  Dir(b, 0x10, 3, 2, "loopA");  // 2 -> 3 -> 2
  Dir(b, 0x10, 2, 3, "loopB");
  File(b, 0x20, 1, "f1", 1, 0, 0, 0, 0);
  File(b, 0x20, 2, "f2", 1, 0, 0, 0, 0);
  File(b, 0x20, 3, "f3", 1, 0, 0, 0, 0);
  Collected got;
  EXPECT_EQ(TZWCatReader(Put(b)).Read({}, got.Sink()), 0u);
}

TEST_F(CatalogReader, IndicesBeyondTheTableAreIgnored) {
  Bytes b = Header(2, 2, 0);
  b.push_back(0);
  Dir(b, 0x10, 0, 1, "C:");
  Dir(b, 0x10, 1, 0x7FFFFFFF, "far");  // index far beyond the table
  Dir(b, 0x10, 0, 1, "again");         // slot 1 is taken already
  File(b, 0x20, 0x7FFFFFFF, "lost", 1, 0, 0, 0, 0);
  File(b, 0x20, 1, "kept", 1, 0, 0, 0, 0);
  Collected got;
  ASSERT_EQ(TZWCatReader(Put(b)).Read({}, got.Sink()), 1u);
  EXPECT_EQ(got.entries[0]->FullName(), std::string("backup.zwc>") + kSep + "C:" + kSep + "kept");
}

TEST_F(CatalogReader, FolderNamesCannotClimbOrSplit) {
  Bytes b = Header(2, 2, 0);
  b.push_back(0);
  Dir(b, 0x10, 0, 1, "..");
  Dir(b, 0x10, 0, 2, std::string("a") + kSep + "b");
  File(b, 0x20, 1, "f1", 1, 0, 0, 0, 0);
  File(b, 0x20, 2, "f2", 1, 0, 0, 0, 0);
  Collected got;
  EXPECT_EQ(TZWCatReader(Put(b)).Read({}, got.Sink()), 0u);
}

TEST_F(CatalogReader, StoredFlagsBeyondChecksumValidityAreDropped) {
  Bytes b = Header(1, 1, 0);
  b.push_back(0);
  Dir(b, 0x10, 0, 1, "C:");
  File(b, 0x20, 1, "f", 1, 0, 0, 0, 0xFF);
  Collected got;
  ASSERT_EQ(TZWCatReader(Put(b)).Read({}, got.Sink()), 1u);
  EXPECT_EQ(got.entries[0]->Flags, fiflag::kCrcValid | fiflag::kMiddleValid | fiflag::kInArchive);
}

TEST_F(CatalogReader, GarbageAfterAValidHeaderNeverCrashes) {
  std::mt19937 rng(12345);
  for (int round = 0; round < 200; ++round) {
    Bytes b = Header(rng(), rng(), rng() % 4);
    b.push_back(0);
    const size_t n = rng() % 400;
    for (size_t i = 0; i < n; ++i) b.push_back(static_cast<uint8_t>(rng()));
    Collected got;
    const uint32_t count = TZWCatReader(Put(b)).Read({}, got.Sink());
    EXPECT_LE(count, n / 36 + 1);
  }
}

// ---------------------------------------------------------------- browse thread

TEST_F(CatalogReader, BrowseThreadReadsCatalogRowsIntoItsQueue) {
  const std::string fresh = Put(SmallCatalog(2), "fresh.zwc");
  const std::string lib = Put(SmallCatalog(0), "lib.zwc");
  TJobQueue queue;
  TEventQueue events([](TStatusEvent&) {});
  TZWStatusServer status(&events);
  TZWThreadManager manager;
  RecordingMessenger messenger;
  auto thread = std::make_shared<TThreadBrowse>();
  thread->SetQueue(&queue);
  thread->SetStatus(&status);
  thread->SetManager(&manager);
  thread->SetMessenger(&messenger);
  thread->attribFilter.Set(fmIgnore, 0);
  thread->SetCatalogBrowser(BrowseCatalogFile);
  thread->fresh.Add(dsArchive, fresh);
  thread->library.Add(dsArchive, lib);
  manager.Attach(thread);
  manager.Start();

  std::vector<std::pair<std::string, uint8_t>> found;
  for (;;) {
    std::atomic<bool> done{false};
    TFileInfos* got = nullptr;
    std::thread popper([&] {
      got = queue.Pop();
      done = true;
    });
    while (!done) events.DispatchWait(std::chrono::milliseconds(1));
    popper.join();
    if (!got) break;
    found.emplace_back(got->FullName(), got->Flags);
    FreeFileInfos(got);
  }
  while (!thread->Finished()) events.DispatchWait(std::chrono::milliseconds(1));
  thread->WaitFor();
  events.DispatchPending();

  const std::string f = std::string("fresh.zwc>") + kSep;
  const std::string l = std::string("lib.zwc>") + kSep + P({"C:", "data"});
  ASSERT_EQ(found.size(), 4u);
  EXPECT_EQ(found[0].first, f + "a.txt");
  EXPECT_EQ(found[1].first, f + "sub" + kSep + "b.bin");
  EXPECT_EQ(found[2].first, l + "a.txt");
  EXPECT_EQ(found[2].second, fiflag::kCrcValid | fiflag::kMiddleValid | fiflag::kInArchive |
                                 fiflag::kLibrary);
  EXPECT_EQ(found[3].first, l + "sub" + kSep + "b.bin");
  EXPECT_EQ(thread->fresh.filesFound, 2);
  EXPECT_EQ(thread->library.filesFound, 2);
}

}  // namespace
