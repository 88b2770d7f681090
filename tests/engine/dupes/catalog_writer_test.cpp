#include "engine/dupes/catalog_writer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <string>
#include <vector>

#include "engine/common/file_checksum.h"
#include "engine/scan/catalog_file.h"
#include "platform/files.h"
#include "platform/filetime.h"
#include "platform/paths.h"
#include "support/recording_messenger.h"
#include "support/temp_tree.h"

namespace {

using namespace zw;
using zwtest::RecordingMessenger;
using zwtest::TempTree;

const char kSep = platform::kPathSep;
// 2020-01-15 12:00 UTC: far from any summer-time switch.
constexpr platform::FileTime kWinterTime = 132236208000000000ll;

std::string Folder(std::initializer_list<std::string> parts) {
  std::string s;
  for (const auto& p : parts) s += p + kSep;
  return s;
}

// A result list built entry by entry, in list order.
class ListBuilder {
 public:
  explicit ListBuilder(TResultList& list) : list_(list) { list_.Prepare(1, 0); }
  TResultEntry* Add(const std::string& fullName, uint8_t flags = 0) {
    auto* e = new TResultEntry;
    e->Path = platform::ExtractFilePath(fullName);
    e->Name = platform::ExtractFileName(fullName);
    platform::FindData fd;
    platform::OsError err;
    if (platform::GetFileInfo(fullName, fd, err)) {
      e->Size = fd.size;
      e->Attributes = fd.attributes;
    }
    e->Time = kWinterTime;
    e->Flags = flags;
    list_.AppendEntry(e);
    return e;
  }
  // An entry that is never opened: inside an archive, its CRC32 known.
  TResultEntry* AddStored(const std::string& path, const std::string& name, uint32_t crc) {
    auto* e = new TResultEntry;
    e->Path = path;
    e->Name = name;
    e->Size = 10;
    e->Attributes = 0x20;
    e->Time = kWinterTime;
    e->Crc = crc;
    e->Flags = reflag::kInArchive | reflag::kCrcValid;
    list_.AppendEntry(e);
    return e;
  }

 private:
  TResultList& list_;
};

struct ReadBack {
  std::map<std::string, TFileInfos*> byName;
  std::vector<TFileInfos*> all;
  ~ReadBack() {
    for (auto* e : all) FreeFileInfos(e);
  }
};

void Read(const std::string& catalog, ReadBack& out, TAttribFilter* attrib = nullptr) {
  TCatReadFilters f;
  f.attrib = attrib;
  TZWCatReader(catalog).Read(f, [&](TFileInfos* e) {
    out.all.push_back(e);
    out.byName[e->FullName()] = e;
  });
}

std::vector<TCatDirRecord> DirRecords(const std::string& catalog) {
  std::vector<TCatDirRecord> dirs;
  TZWCatfile cat;
  EXPECT_EQ(cat.Open(catalog, true), corGood);
  while (cat.ReadRecord([&](int kind, const uint8_t* d, size_t n) {
    if (kind == crkDirectory) {
      TCatDirRecord r;
      if (DecodeCatDirRecord(d, n, r)) dirs.push_back(r);
    }
    return kind == crkRecordStart;
  })) {
  }
  return dirs;
}

// The path a complete catalog path takes below "<catalog>><sep>".
std::string Below(const std::string& folder) {
  return folder.size() && folder[0] == kSep ? folder.substr(1) : folder;
}

class CatalogWriter : public ::testing::Test {
 protected:
  CatalogWriter() : build(list), writer(list, msgs) {}
  std::string Write(TCatFileOptions opt, bool expectOk = true) {
    if (opt.FileName.empty()) opt.FileName = out.PathOf("backup.zwc");
    EXPECT_EQ(writer.Write(opt, true), expectOk);
    return opt.FileName;
  }
  std::string Prefix() const { return std::string("backup.zwc>") + kSep; }

  TempTree tree;  // the scanned files
  TempTree out;   // the catalogs
  TResultList list;
  ListBuilder build;
  RecordingMessenger msgs;
  TZWCatWriter writer;
};

// ---------------------------------------------------------------- round trip

TEST_F(CatalogWriter, RoundTripKeepsEveryFieldAndComputesChecksums) {
  const std::string x = tree.File("a/x.txt", "123456789");
  const std::string y = tree.SizedFile("a/b/y.bin", 5000, 3);
  const std::string e = tree.File("a/b/empty");
  build.Add(x);
  build.Add(y);
  build.Add(e);
  TCatFileOptions opt;
  opt.Paths = catpaths::kAsNeeded;
  const std::string cat = Write(opt);
  EXPECT_EQ(writer.FilesWritten(), 3u);

  ReadBack rb;
  Read(cat, rb);
  ASSERT_EQ(rb.all.size(), 3u);
  const TFileInfos* fx = rb.byName[Prefix() + "x.txt"];
  const TFileInfos* fy = rb.byName[Prefix() + "b" + kSep + "y.bin"];
  const TFileInfos* fe = rb.byName[Prefix() + "b" + kSep + "empty"];
  ASSERT_TRUE(fx && fy && fe);
  EXPECT_EQ(fx->Size, 9u);
  EXPECT_EQ(fx->Crc, 0xCBF43926u);
  EXPECT_EQ(fx->Middle, 0x36353433u);
  EXPECT_EQ(fx->Time, kWinterTime);
  EXPECT_EQ(fx->Flags, fiflag::kCrcValid | fiflag::kMiddleValid | fiflag::kInArchive);
  TFileChecksum sum;
  platform::OsError err;
  ASSERT_TRUE(ComputeFileChecksum(y, sum, err));
  EXPECT_EQ(fy->Size, 5000u);
  EXPECT_EQ(fy->Crc, sum.crc);
  EXPECT_EQ(fy->Middle, sum.sample);
  uint32_t attr = 0;
  ASSERT_TRUE(platform::GetAttributes(y, attr, err));
  EXPECT_EQ(fy->Attr, attr);
  // an empty file checksums to zeroes, both valid
  EXPECT_EQ(fe->Crc, 0u);
  EXPECT_EQ(fe->Middle, 0u);
  EXPECT_EQ(fe->Flags, fiflag::kCrcValid | fiflag::kMiddleValid | fiflag::kInArchive);
}

TEST_F(CatalogWriter, CompletePathsStoreTheWholeFolder) {
  const std::string x = tree.File("a/x.txt", "x");
  build.Add(x);
  TCatFileOptions opt;
  opt.Paths = catpaths::kComplete;
  const std::string cat = Write(opt);
  EXPECT_EQ(writer.BaseIndex(), 0u);
  ReadBack rb;
  Read(cat, rb);
  ASSERT_EQ(rb.all.size(), 1u);
  EXPECT_EQ(rb.all[0]->Path, Prefix() + Below(platform::ExtractFilePath(x)));
}

TEST_F(CatalogWriter, HeaderCarriesFlagsCountsAndCodePage) {
  build.Add(tree.File("a/x", "1"));
  build.Add(tree.File("b/y", "2"));
  TCatFileOptions opt;
  opt.Data = catdata::kChecksums;
  const std::string cat = Write(opt);
  TZWCatfile c;
  ASSERT_EQ(c.Open(cat, true), corGood);
  EXPECT_EQ(c.DataFlags(), catdata::kChecksums);
  EXPECT_EQ(c.FileCount(), 2u);
  EXPECT_EQ(c.DirCount(), writer.DirectoriesWritten());
  EXPECT_EQ(c.Header()[18], 1);
  EXPECT_NE(c.LastWrite(), 0);
  uint32_t codePage = 0;
  // the single header block follows the header: tag 1, length 4, code page
  std::vector<uint8_t> raw(58);
  platform::File f;
  platform::OsError err;
  size_t got = 0;
  ASSERT_TRUE(f.OpenRead(cat, err));
  ASSERT_TRUE(f.ReadAt(0, raw.data(), raw.size(), got, err));
  EXPECT_EQ(raw[48], kCatBlockCodePage);
  EXPECT_EQ(raw[49], 4);
  for (int i = 3; i >= 0; --i) codePage = codePage << 8 | raw[53 + i];
  EXPECT_EQ(codePage, 65001u);  // UTF-8 names, on Windows through the manifest
  EXPECT_EQ(raw[57], 0);
}

TEST_F(CatalogWriter, DirectoriesComeBeforeTheirUseWithRisingIndices) {
  build.Add(tree.File("p/q/r/f1", "1"));
  build.Add(tree.File("p/s/f2", "2"));
  const std::string cat = Write({});
  auto dirs = DirRecords(cat);
  ASSERT_FALSE(dirs.empty());
  for (size_t i = 0; i < dirs.size(); ++i) {
    EXPECT_EQ(dirs[i].Index, i + 1);
    EXPECT_LT(dirs[i].Parent, dirs[i].Index);
    EXPECT_EQ(dirs[i].Name.find(kSep), std::string::npos);
  }
}

// ---------------------------------------------------------------- checksum fields

TEST_F(CatalogWriter, KnownCrcIsTakenUnlessPartialContentWasCompared) {
  const std::string x = tree.File("a/x.txt", "123456789");
  TResultEntry* e = build.Add(x, reflag::kCrcValid);
  e->Crc = 0xDEADBEEF;
  std::string cat = Write({});
  {
    ReadBack rb;
    Read(cat, rb);
    ASSERT_EQ(rb.all.size(), 1u);
    EXPECT_EQ(rb.all[0]->Crc, 0xDEADBEEFu);
    EXPECT_EQ(rb.all[0]->Flags, fiflag::kCrcValid | fiflag::kInArchive);  // no sample
  }
  writer.SetPartialContent(true);
  cat = Write({});
  ReadBack rb;
  Read(cat, rb);
  ASSERT_EQ(rb.all.size(), 1u);
  EXPECT_EQ(rb.all[0]->Crc, 0xCBF43926u);
  EXPECT_EQ(rb.all[0]->Flags, fiflag::kCrcValid | fiflag::kMiddleValid | fiflag::kInArchive);
}

TEST_F(CatalogWriter, WithoutChecksumsNothingIsStoredOrRead) {
  build.Add(tree.File("a/x.txt", "123456789"));
  TCatFileOptions opt;
  opt.Data = 0;
  ReadBack rb;
  Read(Write(opt), rb);
  ASSERT_EQ(rb.all.size(), 1u);
  EXPECT_EQ(rb.all[0]->Crc, 0u);
  EXPECT_EQ(rb.all[0]->Flags, fiflag::kInArchive);
}

TEST_F(CatalogWriter, UnreadableFileIsLoggedAndLeftOut) {
  build.Add(tree.File("a/ok", "1"));
  TResultEntry* gone = build.Add(tree.PathOf("a/gone"));
  gone->Size = 3;
  ReadBack rb;
  Read(Write({}), rb);
  EXPECT_EQ(rb.all.size(), 1u);
  EXPECT_EQ(writer.FilesWritten(), 1u);
  EXPECT_EQ(writer.EntriesLeftOut(), 1u);
  auto logged = msgs.With(logIOErrorOnOpen);
  ASSERT_EQ(logged.size(), 1u);
  EXPECT_EQ(logged[0].Str(1), tree.PathOf("a/gone"));
}

TEST_F(CatalogWriter, ArchiveEntryWithoutCrcIsKeptWithoutChecksum) {
  TResultEntry* e = build.AddStored(Folder({"D:", "z.zip>", "in"}), "f", 0);
  e->Flags = reflag::kInArchive;
  ReadBack rb;
  Read(Write({}), rb);
  ASSERT_EQ(rb.all.size(), 1u);
  EXPECT_EQ(rb.all[0]->Flags, fiflag::kInArchive);
  EXPECT_TRUE(msgs.Messages().empty());
}

// ---------------------------------------------------------------- entry choice

TEST_F(CatalogWriter, SelectedOrCheckedEntriesOnly) {
  build.Add(tree.File("a/1", "1"), reflag::kSelected);
  build.Add(tree.File("a/2", "2"), reflag::kChecked);
  build.Add(tree.File("a/3", "3"), reflag::kChecked | reflag::kSelected);
  EXPECT_EQ(CatalogEntryCount(list, catentries::kAll), 3);
  EXPECT_EQ(CatalogEntryCount(list, catentries::kSelected), 2);
  EXPECT_EQ(CatalogEntryCount(list, catentries::kChecked), 2);
  TCatFileOptions opt;
  opt.Entries = catentries::kChecked;
  ReadBack rb;
  Read(Write(opt), rb);
  ASSERT_EQ(rb.all.size(), 2u);
  EXPECT_TRUE(rb.byName.count(Prefix() + "2"));
  EXPECT_TRUE(rb.byName.count(Prefix() + "3"));
}

TEST_F(CatalogWriter, CancelEndsTheEntryLoopAndSkipsTheBasePathMessage) {
  build.Add(tree.File("a/1", "1"));
  build.Add(tree.File("b/2", "2"));
  std::atomic<bool> cancel{false};
  writer.SetCancelFlag(&cancel);
  int steps = 0;
  writer.SetOnStep([&] {
    ++steps;
    cancel = true;
  });
  TCatFileOptions opt;
  opt.Paths = catpaths::kRelative;
  opt.BasePath = tree.Dir("elsewhere");
  ReadBack rb;
  Read(Write(opt), rb);
  EXPECT_TRUE(writer.Canceled());
  EXPECT_EQ(steps, 1);
  EXPECT_EQ(rb.all.size(), 1u);
  EXPECT_TRUE(msgs.Messages().empty());
}

// ---------------------------------------------------------------- base directory

TEST_F(CatalogWriter, TwoDrivesHaveNoCommonFolder) {
  build.AddStored(Folder({"C:", "data"}), "f1", 1);
  build.AddStored(Folder({"D:", "x"}), "f2", 2);
  TCatFileOptions opt;
  opt.Data = catdata::kChecksums;
  ReadBack rb;
  Read(Write(opt), rb);
  EXPECT_EQ(writer.BaseIndex(), 0u);
  EXPECT_TRUE(rb.byName.count(Prefix() + Folder({"C:", "data"}) + "f1"));
  EXPECT_TRUE(rb.byName.count(Prefix() + Folder({"D:", "x"}) + "f2"));
}

TEST_F(CatalogWriter, OneFolderGivesPathsRightBelowTheCatalog) {
  build.AddStored(Folder({"D:", "photos", "2004"}), "a.jpg", 1);
  build.AddStored(Folder({"D:", "photos", "2004"}), "b.jpg", 2);
  TCatFileOptions opt;
  opt.Data = catdata::kChecksums;
  ReadBack rb;
  Read(Write(opt), rb);
  EXPECT_EQ(writer.BaseIndex(), 3u);
  ASSERT_EQ(rb.all.size(), 2u);
  for (auto* e : rb.all) EXPECT_EQ(e->Path, Prefix());
}

TEST_F(CatalogWriter, WalkStopsAtAFolderHoldingFiles) {
  build.AddStored(Folder({"D:", "m"}), "top", 1);
  build.AddStored(Folder({"D:", "m", "deep"}), "low", 2);
  TCatFileOptions opt;
  opt.Data = catdata::kChecksums;
  ReadBack rb;
  Read(Write(opt), rb);
  EXPECT_TRUE(rb.byName.count(Prefix() + "top"));
  EXPECT_TRUE(rb.byName.count(Prefix() + "deep" + kSep + "low"));
}

TEST_F(CatalogWriter, BasePathThatHoldsEveryFileIsUsedSilently) {
  build.AddStored(Folder({"D:", "photos", "a"}), "1", 1);
  build.AddStored(Folder({"D:", "photos", "b"}), "2", 2);
  TCatFileOptions opt;
  opt.Data = catdata::kChecksums;
  opt.Paths = catpaths::kRelative;
  opt.BasePath = "D:" + std::string(1, kSep) + "photos";  // trailing separator added
  ReadBack rb;
  Read(Write(opt), rb);
  EXPECT_TRUE(msgs.Messages().empty());
  EXPECT_TRUE(rb.byName.count(Prefix() + "a" + kSep + "1"));
  EXPECT_TRUE(rb.byName.count(Prefix() + "b" + kSep + "2"));
}

TEST_F(CatalogWriter, InsufficientBasePathNamesTheCommonFolder) {
  build.AddStored(Folder({"D:", "photos"}), "p", 1);
  build.AddStored(Folder({"D:", "music"}), "m", 2);
  TCatFileOptions opt;
  opt.Data = catdata::kChecksums;
  opt.Paths = catpaths::kRelative;
  opt.BasePath = Folder({"D:", "photos"});
  ReadBack rb;
  Read(Write(opt), rb);
  auto shown = msgs.With(msgCatfileBadBasePathRelative);
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].Str(0), Folder({"D:", "photos"}));
  EXPECT_EQ(shown[0].Str(1), Folder({"D:"}));
  EXPECT_TRUE(rb.byName.count(Prefix() + "photos" + kSep + "p"));
  EXPECT_TRUE(rb.byName.count(Prefix() + "music" + kSep + "m"));
}

TEST_F(CatalogWriter, InsufficientBasePathWithoutCommonFolderStoresCompletePaths) {
  build.AddStored(Folder({"C:", "a"}), "1", 1);
  build.AddStored(Folder({"D:", "b"}), "2", 2);
  TCatFileOptions opt;
  opt.Data = catdata::kChecksums;
  opt.Paths = catpaths::kRelative;
  opt.BasePath = Folder({"C:", "a"});
  ReadBack rb;
  Read(Write(opt), rb);
  auto shown = msgs.With(msgCatfileBadBasePathComplete);
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].Str(0), Folder({"C:", "a"}));
  EXPECT_FALSE(msgs.Has(msgCatfileBadBasePathRelative));
  EXPECT_EQ(writer.BaseIndex(), 0u);
  EXPECT_TRUE(rb.byName.count(Prefix() + Folder({"C:", "a"}) + "1"));
}

// ---------------------------------------------------------------- folder attributes

TEST_F(CatalogWriter, FolderAttributesAndCreationTimeOnlyWhenAsked) {
  const std::string x = tree.File("a/x", "1");
  build.Add(x);
  const std::string folder = platform::ExcludeTrailingSep(tree.Dir("a"));
  TCatFileOptions opt;
  opt.Paths = catpaths::kComplete;
  auto withAttrs = DirRecords(Write(opt));
  ASSERT_FALSE(withAttrs.empty());
  const TCatDirRecord& last = withAttrs.back();
  EXPECT_EQ(last.Name, "a");
  platform::FindData fd;
  platform::OsError err;
  ASSERT_TRUE(platform::GetFileInfo(folder, fd, err));
  EXPECT_EQ(last.Attr, fd.attributes | 0x10);
  EXPECT_EQ(last.Creation, fd.creationUtc);
  EXPECT_NE(last.Creation, 0);

  opt.Data = catdata::kChecksums;
  auto without = DirRecords(Write(opt));
  ASSERT_EQ(without.size(), withAttrs.size());
  for (const auto& d : without) {
    EXPECT_EQ(d.Attr, 0x10u);
    EXPECT_EQ(d.Creation, 0);
  }
}

#ifndef _WIN32
TEST_F(CatalogWriter, HiddenFolderIsFilteredWhenItsAttributesAreStored) {
  build.Add(tree.File(".hid/x", "1"));
  build.Add(tree.File("vis/y", "2"));
  TAttribFilter attr;
  attr.notMask = platform::attr::kHidden;
  ReadBack rb;
  Read(Write({}), rb, &attr);
  ASSERT_EQ(rb.all.size(), 1u);
  EXPECT_EQ(rb.all[0]->Name, "y");
}
#endif

// ---------------------------------------------------------------- failures

TEST_F(CatalogWriter, UncreatableFileIsReportedWithNameAndCode) {
  build.Add(tree.File("a/x", "1"));
  TCatFileOptions opt;
  opt.FileName = out.PathOf("missing/folder/c.zwc");
  Write(opt, false);
  auto shown = msgs.With(msgCreateFileFailed);
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].Str(0), opt.FileName);
  EXPECT_NE(shown[0].Int(1), 0);
  EXPECT_FALSE(platform::FileExists(opt.FileName));
}

TEST_F(CatalogWriter, ExistingFileIsKeptWithoutOverwrite) {
  build.Add(tree.File("a/x", "1"));
  const std::string existing = out.File("keep.zwc", "old");
  TCatFileOptions opt;
  opt.FileName = existing;
  EXPECT_FALSE(writer.Write(opt, false));
  EXPECT_TRUE(msgs.Has(msgCreateFileFailed));
  platform::FindData fd;
  platform::OsError err;
  ASSERT_TRUE(platform::GetFileInfo(existing, fd, err));
  EXPECT_EQ(fd.size, 3u);
}

// Overwriting replaces an older catalog (or an empty file), never a file
// of another kind that happens to have the name.
TEST_F(CatalogWriter, OverwriteReplacesOnlyACatalogOrAnEmptyFile) {
  build.Add(tree.File("a/x", "1"));
  struct Case {
    const char* name;
    std::string content;
    bool replaced;
  } cases[] = {
      {"old.zwc", "", true},
      {"photo.jpg", "JFIF not a catalog", false},
      {"short.zwc", "ZWC", false},
  };
  for (const Case& c : cases) {
    const std::string path = out.File(c.name, c.content);
    TCatFileOptions opt;
    opt.FileName = path;
    EXPECT_EQ(writer.Write(opt, true), c.replaced) << c.name;
    // Written once, a catalog may be written over again.
    if (c.replaced) EXPECT_TRUE(writer.Write(opt, true)) << c.name;
    platform::FindData fd;
    platform::OsError err;
    ASSERT_TRUE(platform::GetFileInfo(path, fd, err));
    if (!c.replaced) EXPECT_EQ(fd.size, c.content.size()) << c.name;
  }
}

}  // namespace
