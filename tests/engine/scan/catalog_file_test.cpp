// Catalog files: the byte image the writer leaves, the checks of Open, the
// record protocol, and the reader of entries on good, damaged and hostile
// catalogs.
#include "engine/scan/catalog_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <unordered_map>
#include <vector>

#include "engine/common/le_bytes.h"
#include "platform/filetime.h"
#include "platform/paths.h"
#include "support/browse_run.h"
#include "support/files.h"
#include "support/recording_messenger.h"
#include "support/temp_tree.h"

namespace zw {
namespace {

using zwtest::ReadAll;
using zwtest::TempTree;
using zwtest::WriteAll;
const std::string kS(1, platform::kPathSep);

// A header as the writer leaves it, with the given counts and base index.
std::string Header(uint32_t files, uint32_t dirs, uint32_t base, uint8_t data = 0x03) {
  std::string b = "ZWCatF";
  le::Put16(b, 0);
  b += {static_cast<char>(data), 0};
  le::Put64(b, 0);
  b += {1, 0};
  for (uint32_t v : {files, dirs, base, 0u, 0u, 0u, 0u}) le::Put32(b, v);
  return b;
}
// A directory or file record with an empty block list.
std::string Dir(uint32_t attr, uint32_t parent, uint32_t index, const std::string& name, uint64_t creation = 0) {
  std::string b;
  le::Put32(b, attr);
  le::Put32(b, parent);
  le::Put16(b, static_cast<uint16_t>(name.size()));
  le::Put32(b, index);
  le::Put64(b, creation);
  return b + name + '\0';
}
std::string File(uint32_t attr, uint32_t dir, const std::string& name, uint64_t size = 1, uint64_t time = 0,
                 uint32_t crc = 0, uint32_t middle = 0, uint8_t flags = 0) {
  std::string b;
  le::Put32(b, attr);
  le::Put32(b, dir);
  le::Put16(b, static_cast<uint16_t>(name.size()));
  le::Put64(b, size);
  le::Put64(b, time);
  le::Put32(b, crc);
  le::Put32(b, middle);
  return b + static_cast<char>(flags) + name + '\0';
}
const std::string kCodePageBlock("\x01\x04\0\0\0\xE9\xFD\0\0\0", 10);  // tag 1, length 4, 65001, end

// A small catalog: C: / data / sub with two files, base index `base`.
std::string SmallCatalog(uint32_t base = 0) {
  return Header(2, 3, base) + kCodePageBlock + Dir(0x10, 0, 1, "C:") + Dir(0x10, 1, 2, "data") +
         File(0x20, 2, "a.txt", 5, 130000000000000000ull, 0x11223344, 0x55667788, 3) + Dir(0x12, 2, 3, "sub") +
         File(0x21, 3, "b.bin", 1234567890123ull, 130000000000000001ull);
}

// The entries a reader hands over, by their full names.
struct Collected {
  std::map<std::string, TFileInfos*> entries;
  ~Collected() {
    for (auto& [name, e] : entries) FreeFileInfos(e);
  }
  uint32_t Read(const std::string& path, const TCatReadFilters& f = {}, const TZWCatReader::TStop& stop = {}) {
    return TZWCatReader(path).Read(f, [this](TFileInfos* e) { entries[e->FullName()] = e; }, stop);
  }
  std::vector<std::string> Names() const {
    std::vector<std::string> out;
    for (const auto& [name, e] : entries) out.push_back(name);
    return out;
  }
};

class Catalog : public ::testing::Test {
 protected:
  std::string Put(const std::string& bytes, const std::string& name = "backup.zwc") {
    WriteAll(tree.PathOf(name), bytes);
    return tree.PathOf(name);
  }
  int OpenBytes(const std::string& bytes) {
    TZWCatfile cat;
    const int code = cat.Open(Put(bytes, "t.zwc"), true);
    EXPECT_EQ(cat.IsOpen(), code == corGood);
    return code;
  }
  std::string P(const std::string& rel) const {  // "backup.zwc>/C:/data/a.txt" from "C:/data/a.txt"
    std::string p = "backup.zwc>/" + rel;
    std::replace(p.begin(), p.end(), '/', platform::kPathSep);
    return p;
  }
  TempTree tree;
};

TEST_F(Catalog, TheWriterLeavesTheLayoutByteForByte) {
  const std::string path = tree.PathOf("x.zwc");
  TZWCatfile cat;
  ASSERT_TRUE(cat.CreateNew(path, false));
  EXPECT_TRUE(cat.Changed());
  cat.SetWriterHeader(0x03);
  ASSERT_TRUE(cat.AddHeaderBlock(1, {0xE9, 0xFD, 0, 0}));
  TCatDirRecord d;
  d.Attr = 0x02;  // the folder bit is forced
  d.Index = 1;
  d.Creation = 0x0102030405060708ull;
  d.Name = "C:";
  ASSERT_TRUE(cat.AppendDir(d));
  TCatFileRecord f{0x30, 1, 0x1122334455ull, 0x0A0B0C0D0E0F1011ull, 0xCBF43926, 0x36353433, 3, "n.txt"};
  ASSERT_TRUE(cat.AppendFile(f));  // and cleared
  EXPECT_FALSE(cat.AddHeaderBlock(2, {1}));  // header blocks only before the first record
  cat.SetBaseIndex(1);
  const platform::FileTime before = platform::NowUtc();
  ASSERT_TRUE(cat.Close());
  const platform::FileTime after = platform::NowUtc();
  std::string got = ReadAll(path);
  ASSERT_EQ(got.size(), 48u + 10 + 25 + 41);
  const platform::FileTime stamp = le::Get64(reinterpret_cast<const uint8_t*>(got.data()) + 10);
  EXPECT_GE(stamp, before);
  EXPECT_LE(stamp, after);
  got.replace(10, 8, 8, '\0');
  EXPECT_EQ(got, Header(1, 1, 1) + kCodePageBlock + Dir(0x12, 0, 1, "C:", 0x0102030405060708ull) +
                     File(0x20, 1, "n.txt", 0x1122334455ull, 0x0A0B0C0D0E0F1011ull, 0xCBF43926, 0x36353433, 3));
  f.Name.assign(70000, 'a');
  std::vector<uint8_t> image;
  EXPECT_FALSE(EncodeCatFileRecord(f, image));
}

TEST_F(Catalog, OpenTellsWhatIsWrongWithACatalog) {
  std::string magic = SmallCatalog(), version = magic, reserved = magic, lengthPastEnd = Header(0, 0, 0);
  magic[0] = 'z';
  version[6] = 1;
  reserved[19] = 1;
  lengthPastEnd += std::string("\x01\xF0\xFF\xFF\xFF\0", 6);
  const struct {
    const char* what;
    std::string bytes;
    int result;
  } cases[] = {
      {"empty", "", corEmpty},
      {"shorter than the header", SmallCatalog().substr(0, 47), corInvalidHeader},
      {"a wrong magic", magic, corInvalidHeader},
      {"version 1", version, corNotSupported},
      {"the reserved byte set", reserved, corOtherError},
      {"a header block longer than the file", lengthPastEnd, corOtherError},
      {"an unterminated header block list", Header(0, 0, 0) + std::string("\x09\x01\0\0\0\xAA", 6), corOtherError},
      {"no header block list at all", Header(0, 0, 0), corOtherError},
      {"good", SmallCatalog(), corGood},
  };
  for (const auto& c : cases) EXPECT_EQ(OpenBytes(c.bytes), c.result) << c.what;
  TZWCatfile cat;
  EXPECT_EQ(cat.Open(tree.PathOf("none.zwc"), true), corOpenFailed);
  EXPECT_NE(cat.LastError().code, 0);
  EXPECT_EQ(CheckCatalogFile(tree.PathOf("none.zwc")).result, corOpenFailed);
  EXPECT_EQ(CheckCatalogFile(Put(version)).result, corNotSupported);
  std::string noChecksums = SmallCatalog();
  noChecksums[8] = catdata::kDirAttributes;
  EXPECT_FALSE(CheckCatalogFile(Put(noChecksums)).hasChecksums);
  const TCatCheck good = CheckCatalogFile(Put(SmallCatalog()));
  EXPECT_EQ(good.result, corGood);
  EXPECT_TRUE(good.hasChecksums);
  ASSERT_EQ(cat.Open(Put(SmallCatalog(2)), true), corGood);
  EXPECT_EQ(cat.FileCount(), 2u);
  EXPECT_EQ(cat.DirCount(), 3u);
  EXPECT_EQ(cat.BaseIndex(), 2u);
  EXPECT_TRUE(cat.HasChecksums() && cat.HasDirAttributes());
}

TEST_F(Catalog, ClosingAReadOnlyCatalogLeavesItAloneAndAWritableOneIsRestamped) {
  const std::string path = Put(SmallCatalog());
  {
    TZWCatfile cat;
    ASSERT_EQ(cat.Open(path, true), corGood);
    while (cat.ReadRecord([](int, const uint8_t*, size_t) { return true; })) {
    }
    EXPECT_TRUE(cat.Close());
  }
  EXPECT_EQ(ReadAll(path), SmallCatalog());
  {
    TZWCatfile cat;
    ASSERT_EQ(cat.Open(path, false), corGood);
    TCatFileRecord f;
    f.Dir = 1;
    f.Name = "late";
    ASSERT_TRUE(cat.AppendFile(f));
  }
  TZWCatfile cat;
  ASSERT_EQ(cat.Open(path, true), corGood);
  EXPECT_EQ(cat.FileCount(), 3u);
  EXPECT_NE(cat.LastWrite(), 0);
}

// A catalog of `files` records behind a header block of `headerBlock`
// bytes, with one block of `tailBlock` bytes after the last record; false
// when any record or the tail block does not read back as written.
bool LargeCatalogReadsBack(const std::string& path, size_t headerBlock, int files, size_t tailBlock) {
  auto name = [](int i) { return std::string(1 + i % 61, static_cast<char>('a' + i % 26)) + std::to_string(i); };
  {
    TZWCatfile cat;
    if (!cat.CreateNew(path, true) || !cat.AddHeaderBlock(9, std::vector<uint8_t>(headerBlock, 0xCD))) return false;
    TCatDirRecord d;
    d.Index = 1;
    d.Name = "top";
    if (!cat.AppendDir(d)) return false;
    for (int i = 0; i < files; ++i)
      if (!cat.AppendFile({0, 1, static_cast<uint64_t>(i) * 7, 0, static_cast<uint32_t>(i) * 2654435761u, 0, 1, name(i)}))
        return false;
    if (!cat.Close()) return false;
  }
  std::string bytes = ReadAll(path);  // the block after the last record, by hand
  bytes.pop_back();
  bytes += '\x07';
  le::Put32(bytes, static_cast<uint32_t>(tailBlock));
  WriteAll(path, bytes + std::string(tailBlock, '\xAB') + '\0');
  TZWCatfile cat;
  if (cat.Open(path, true) != corGood || cat.FileCount() != static_cast<uint32_t>(files)) return false;
  int read = 0, tails = 0;
  bool allRight = true;
  while (cat.ReadRecord([&](int kind, const uint8_t* data, size_t size) {
    TCatFileRecord f;
    if (kind == crkFile) {
      const int i = read++;
      allRight = allRight && DecodeCatFileRecord(data, size, f) && f.Name == name(i) &&
                 f.Size == static_cast<uint64_t>(i) * 7 && f.Crc == static_cast<uint32_t>(i) * 2654435761u;
    }
    if (kind == crkBlock)
      tails += size == 5 + tailBlock && data[0] == 7 && std::all_of(data + 5, data + size, [](uint8_t c) { return c == 0xAB; });
    return true;
  })) {
  }
  return allRight && read == files && tails == 1 && cat.EntriesRead() == uint32_t(files + 1);
}

TEST_F(Catalog, LargeCatalogsReadBackRecordByRecordAcrossTheReadWindow) {
  // Records are read through a 64 KiB window. Shifting them by every amount
  // up to a record's length puts every kind of read (record start, whole
  // record, block tag) across the window's edge at every offset.
  for (size_t shift = 0; shift < 100; ++shift)
    EXPECT_TRUE(LargeCatalogReadsBack(tree.PathOf("shifted.zwc"), 1 + shift, 3000, 3)) << shift;
  // Blocks larger than the window, before the records and after them.
  EXPECT_TRUE(LargeCatalogReadsBack(tree.PathOf("large.zwc"), 100 * 1024, 20000, 100 * 1024));
}

TEST_F(Catalog, ReadRecordAsksForTheStartThenTheWholeRecordThenEachBlockTag) {
  std::string dirWithBlocks = Dir(0x10, 0, 1, "C:");
  dirWithBlocks.pop_back();  // two blocks of unknown tags
  dirWithBlocks += std::string("\xC8\x03\0\0\0xyz\x11\0\0\0\0\0", 14);
  const std::string path = Put(Header(3, 1, 0) + '\0' + dirWithBlocks + File(0x20, 1, "f", 1, 2, 3, 4, 3) +
                               File(0x20, kCatSkippedParent, "hidden") + File(0x20, 1, "g"));
  TZWCatfile cat;
  ASSERT_EQ(cat.Open(path, true), corGood);
  std::vector<std::pair<int, std::string>> calls;
  auto cb = [&](int kind, const uint8_t* d, size_t n) {
    calls.emplace_back(kind, std::string(reinterpret_cast<const char*>(d), n));
    return !(kind == crkBlockTag && d[0] == 17);  // read block 200, skip block 17
  };
  ASSERT_TRUE(cat.ReadRecord(cb));
  ASSERT_EQ(calls.size(), 5u);
  EXPECT_EQ(calls[0], (std::pair<int, std::string>{crkRecordStart, dirWithBlocks.substr(0, 10)}));
  EXPECT_EQ(calls[1], (std::pair<int, std::string>{crkDirectory, Dir(0x10, 0, 1, "C:").substr(0, 24)}));
  EXPECT_EQ(calls[2], (std::pair<int, std::string>{crkBlockTag, "\xC8"}));
  EXPECT_EQ(calls[3], (std::pair<int, std::string>{crkBlock, std::string("\xC8\x03\0\0\0xyz", 8)}));
  EXPECT_EQ(calls[4], (std::pair<int, std::string>{crkBlockTag, "\x11"}));
  calls.clear();
  ASSERT_TRUE(cat.ReadRecord(cb));
  ASSERT_EQ(calls.size(), 2u);
  TCatFileRecord f;
  ASSERT_TRUE(DecodeCatFileRecord(reinterpret_cast<const uint8_t*>(calls[1].second.data()), calls[1].second.size(), f));
  EXPECT_EQ(std::vector<uint64_t>({f.Size, f.Time, f.Crc, f.Middle, f.Flags}), std::vector<uint64_t>({1, 2, 3, 4, 3}));
  EXPECT_EQ(f.Name, "f");
  // A record under parent 0xFFFFFF is never offered; "no" at the start skips
  // the record with its blocks.
  calls.clear();
  ASSERT_TRUE(cat.ReadRecord(cb));
  EXPECT_TRUE(calls.empty());
  ASSERT_TRUE(cat.ReadRecord([&](int kind, const uint8_t*, size_t) { return calls.emplace_back(kind, ""), false; }));
  EXPECT_EQ(calls.size(), 1u);
  EXPECT_FALSE(cat.ReadRecord(cb));
  EXPECT_EQ(cat.EntriesRead(), 4u);
  // A record running past the end stops the reading.
  std::string cut = Header(1, 0, 0) + '\0' + File(0x20, 1, "name");
  cut[48 + 1 + 8] = cut[48 + 1 + 9] = '\xFF';
  TZWCatfile damaged;
  ASSERT_EQ(damaged.Open(Put(cut), true), corGood);
  calls.clear();
  EXPECT_FALSE(damaged.ReadRecord(cb));
  EXPECT_TRUE(calls.empty());
}

TEST_F(Catalog, ChecksumFileGivesTheStandardCrcAndTheMiddleSampleOrLogsWhyNot) {
  uint32_t crc = 1, middle = 1;
  ASSERT_TRUE(TZWCatfile::ChecksumFile(tree.File("c.txt", "123456789"), crc, middle, nullptr));
  EXPECT_EQ(crc, 0xCBF43926u);
  EXPECT_EQ(middle, 0x36353433u);  // "3456" at 9/2 - 2
  zwtest::RecordingMessenger msgs;
  EXPECT_FALSE(TZWCatfile::ChecksumFile(tree.PathOf("gone.bin"), crc, middle, &msgs));
  const auto logged = msgs.With(logIOErrorOnOpen);
  ASSERT_EQ(logged.size(), 1u);
  EXPECT_NE(logged[0].Int(0), 0);
  EXPECT_EQ(logged[0].Str(1), tree.PathOf("gone.bin"));
  EXPECT_EQ(crc, 0xCBF43926u);
}

TEST_F(Catalog, TheReaderMakesEntriesBelowTheCatalogNameAndTheBaseFolder) {
  Collected all;
  EXPECT_EQ(all.Read(Put(SmallCatalog(0))), 2u);
  EXPECT_EQ(all.Names(), (std::vector<std::string>{P("C:/data/a.txt"), P("C:/data/sub/b.bin")}));
  const TFileInfos* a = all.entries.at(P("C:/data/a.txt"));
  EXPECT_EQ((std::vector<uint64_t>{a->Size, a->Time, a->Attr, a->Crc, a->Middle, a->Flags}),
            (std::vector<uint64_t>{5, platform::UtcToLocal(130000000000000000ll), 0x20, 0x11223344, 0x55667788,
                                   fiflag::kCrcValid | fiflag::kMiddleValid | fiflag::kInArchive}));
  EXPECT_EQ(a->NameKey, nullptr);
  EXPECT_EQ(all.entries.at(P("C:/data/sub/b.bin"))->Size, 1234567890123ull);
  EXPECT_EQ(all.entries.at(P("C:/data/sub/b.bin"))->Flags, fiflag::kInArchive);
  Collected below;
  below.Read(Put(SmallCatalog(2)));
  EXPECT_EQ(below.Names(), (std::vector<std::string>{P("a.txt"), P("sub/b.bin")}));
  std::unordered_map<std::string, std::string> origins;
  ASSERT_TRUE(ReadCatalogOrigins(Put(SmallCatalog(2)), origins));
  EXPECT_EQ(origins, (std::unordered_map<std::string, std::string>{{P(""), "C:" + kS + "data" + kS},
                                                                    {P("sub/"), "C:" + kS + "data" + kS + "sub" + kS}}));
  EXPECT_FALSE(ReadCatalogOrigins(tree.PathOf("none.zwc"), origins));
}

TEST_F(Catalog, TheReaderAppliesTheFilters) {
  std::string noDirAttributes = SmallCatalog();
  noDirAttributes[8] = catdata::kChecksums;
  TAttribFilter hidden;  // "sub" is hidden (0x12): excluding hidden drops it and the file inside
  TSizeFilter upTo100;
  upTo100.Set(fmLimitTo, 0, 100, false, TAdvContentOptions{});
  const struct {
    const char* what;
    std::string catalog;
    TCatReadFilters filters;
    std::vector<std::string> names;
    uint8_t library;
  } cases[] = {
      {"library", SmallCatalog(), {nullptr, nullptr, nullptr, true}, {P("C:/data/a.txt"), P("C:/data/sub/b.bin")},
       fiflag::kLibrary},
      {"hidden folders", SmallCatalog(), {&hidden}, {P("C:/data/a.txt")}, 0},
      {"folders without stored attributes pass", noDirAttributes, {&hidden}, {P("C:/data/a.txt"), P("C:/data/sub/b.bin")}, 0},
      {"sizes", SmallCatalog(), {nullptr, &upTo100}, {P("C:/data/a.txt")}, 0},
  };
  for (const auto& c : cases) {
    hidden.Set(fmExclude, 0x02);
    hidden.ExcludeFolders(true);
    Collected got;
    got.Read(Put(c.catalog), c.filters);
    EXPECT_EQ(got.Names(), c.names) << c.what;
    for (const auto& [name, e] : got.entries) EXPECT_EQ(e->Flags & fiflag::kLibrary, c.library) << c.what;
    EXPECT_EQ(hidden.notMask, 0x12u) << c.what << ": the folder bit is back";
  }
  Collected stopped;
  int asked = 0;
  stopped.Read(Put(SmallCatalog()), {}, [&] { return ++asked > 3; });
  EXPECT_EQ(stopped.entries.size(), 1u);  // C:, data, a.txt were read; then stop
}

// Random damage is the fuzz target's (tests/fuzz).
TEST_F(Catalog, DamagedAndHostileCatalogsGiveOnlyWhatTheyHoldSoundly) {
  std::string reserved = SmallCatalog(), hugeCounts = SmallCatalog();
  reserved[19] = 1;
  for (size_t at : {20, 24, 40}) std::fill_n(hugeCounts.begin() + static_cast<std::ptrdiff_t>(at), 4, '\xFF');
  const std::string h3 = Header(3, 3, 0) + '\0';
  const struct {
    const char* what;
    std::string catalog;
    std::vector<std::string> names;
  } cases[] = {
      {"the reserved byte set", reserved, {}},
      {"huge counts do not size the table", hugeCounts, {P("C:/data/a.txt"), P("C:/data/sub/b.bin")}},
      // Every folder slot holds the catalog prefix: the files lie right below it.
      {"a huge base index is clipped to the table", SmallCatalog(0xFFFFFFF0u), {P("a.txt"), P("b.bin")}},
      {"folders that are their own parent or loop hold no files",
       h3 + Dir(0x10, 1, 1, "self") + Dir(0x10, 3, 2, "loopA") + Dir(0x10, 2, 3, "loopB") + File(0x20, 1, "f1") +
           File(0x20, 2, "f2") + File(0x20, 3, "f3"),
       {}},
      {"indices beyond the table and taken slots are ignored",
       h3 + Dir(0x10, 0, 1, "C:") + Dir(0x10, 1, 0x7FFFFFFF, "far") + Dir(0x10, 0, 1, "again") +
           File(0x20, 0x7FFFFFFF, "lost") + File(0x20, 1, "kept"),
       {P("C:/kept")}},
      {"folder names cannot climb or split", h3 + Dir(0x10, 0, 1, "..") + Dir(0x10, 0, 2, "a" + kS + "b") +
           File(0x20, 1, "f1") + File(0x20, 2, "f2"), {}},
  };
  for (const auto& c : cases) {
    Collected got;
    got.Read(Put(c.catalog));
    EXPECT_EQ(got.Names(), c.names) << c.what;
  }
  // Stored flags beyond the checksum validity are dropped.
  Collected flags;
  ASSERT_EQ(flags.Read(Put(Header(1, 1, 0) + '\0' + Dir(0x10, 0, 1, "C:") + File(0x20, 1, "f", 1, 0, 0, 0, 0xFF))), 1u);
  EXPECT_EQ(flags.entries.begin()->second->Flags, fiflag::kCrcValid | fiflag::kMiddleValid | fiflag::kInArchive);
  // Every truncation reads cleanly: a longer prefix never gives fewer entries.
  size_t last = 0;
  for (size_t len = 0; len <= SmallCatalog().size(); ++len) {
    Collected got;
    const uint32_t n = got.Read(Put(SmallCatalog().substr(0, len)));
    EXPECT_TRUE(n >= last && n <= 2) << len;
    last = n;
  }
  EXPECT_EQ(last, 2u);
}

TEST_F(Catalog, TheBrowseThreadReadsCatalogRowsIntoItsQueue) {
  zwtest::BrowseRun r;
  r.thread->SetCatalogBrowser(BrowseCatalogFile);
  r.thread->fresh.Add(dsArchive, Put(SmallCatalog(2), "fresh.zwc"));
  r.thread->library.Add(dsArchive, Put(SmallCatalog(0), "lib.zwc"));
  r.Run();
  std::vector<std::string> names;
  for (const auto& f : r.found) names.push_back(f.path + f.name);
  const std::string f = "fresh.zwc>" + kS, l = "lib.zwc>" + kS + "C:" + kS + "data" + kS;
  EXPECT_EQ(names, (std::vector<std::string>{f + "a.txt", f + "sub" + kS + "b.bin", l + "a.txt", l + "sub" + kS + "b.bin"}));
  ASSERT_EQ(r.found.size(), 4u);
  EXPECT_EQ(r.found[2].flags, fiflag::kCrcValid | fiflag::kMiddleValid | fiflag::kInArchive | fiflag::kLibrary);
  EXPECT_EQ(r.thread->fresh.filesFound, 2);
  EXPECT_EQ(r.thread->library.filesFound, 2);
}

}  // namespace
}  // namespace zw
