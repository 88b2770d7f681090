// Writing catalogs from the result list, read back with the catalog reader.
#include "engine/dupes/catalog_writer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <map>
#include <string>
#include <vector>

#include "engine/common/file_checksum.h"
#include "engine/scan/catalog_file.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "support/files.h"
#include "support/recording_messenger.h"
#include "support/temp_tree.h"

namespace zw {
namespace {

const char kSep = platform::kPathSep;
constexpr platform::FileTime kWinterTime = 132236208000000000ll;  // 2020-01-15 12:00 UTC

std::string Folder(std::initializer_list<std::string> parts) {
  std::string s;
  for (const auto& p : parts) s += p + kSep;
  return s;
}

// A result list built entry by entry, the catalogs written from it, and what
// they read back as.
class CatalogWriter : public ::testing::Test {
 protected:
  CatalogWriter() : writer(list, msgs) { list.Prepare(1, 0); }
  ~CatalogWriter() override { Clear(); }

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
    list.AppendEntry(e);
    return e;
  }
  // An entry that is never opened: inside an archive, its CRC32 known.
  void AddStored(const std::string& path, const std::string& name) {
    TResultEntry* e = Add(path + name, reflag::kInArchive | reflag::kCrcValid);
    e->Size = 10;
    e->Crc = 1;
  }
  std::string Write(TCatFileOptions opt, bool expectOk = true) {
    if (opt.FileName.empty()) opt.FileName = out.PathOf("backup.zwc");
    EXPECT_EQ(writer.Write(opt, true), expectOk);
    return opt.FileName;
  }
  // The entries of a catalog by their path below "backup.zwc>".
  const std::map<std::string, TFileInfos*>& Read(const std::string& catalog, TAttribFilter* attrib = nullptr) {
    Clear();
    TCatReadFilters f;
    f.attrib = attrib;
    const std::string prefix = std::string("backup.zwc>") + kSep;
    TZWCatReader(catalog).Read(f, [&](TFileInfos* e) {
      EXPECT_EQ(e->Path.str().rfind(prefix, 0), 0u) << e->Path;
      read[e->FullName().substr(prefix.size())] = e;
    });
    return read;
  }
  void Clear() {
    for (auto& [name, e] : read) FreeFileInfos(e);
    read.clear();
  }
  std::vector<TCatDirRecord> DirRecords(const std::string& catalog) {
    std::vector<TCatDirRecord> dirs;
    TZWCatfile cat;
    EXPECT_EQ(cat.Open(catalog, true), corGood);
    while (cat.ReadRecord([&](int kind, const uint8_t* d, size_t n) {
      TCatDirRecord r;
      if (kind == crkDirectory && DecodeCatDirRecord(d, n, r)) dirs.push_back(r);
      return kind == crkRecordStart;
    })) {
    }
    return dirs;
  }
  std::string Below(const std::string& folder) const { return folder.substr(folder[0] == kSep ? 1 : 0); }

  zwtest::TempTree tree;  // the scanned files
  zwtest::TempTree out;   // the catalogs
  TResultList list;
  zwtest::RecordingMessenger msgs;
  TZWCatWriter writer;
  std::map<std::string, TFileInfos*> read;
};

TEST_F(CatalogWriter, RoundTripKeepsEveryFieldAndComputesChecksums) {
  const std::string x = tree.File("a/x.txt", "123456789");
  const std::string y = tree.SizedFile("a/b/y.bin", 5000, 3);
  Add(x);
  Add(y);
  Add(tree.File("a/b/empty"));
  const std::string cat = Write({});
  EXPECT_EQ(writer.FilesWritten(), 3u);
  TFileChecksum sum;
  platform::OsError err;
  ASSERT_TRUE(ComputeFileChecksum(y, sum, err));
  uint32_t attr = 0;
  ASSERT_TRUE(platform::GetAttributes(y, attr, err));
  const auto& r = Read(cat);
  ASSERT_EQ(r.size(), 3u);
  const TFileInfos* fx = r.at("x.txt");
  const TFileInfos* fy = r.at("b" + std::string(1, kSep) + "y.bin");
  const TFileInfos* fe = r.at("b" + std::string(1, kSep) + "empty");
  const uint8_t both = fiflag::kCrcValid | fiflag::kMiddleValid | fiflag::kInArchive;
  using V = std::vector<uint64_t>;
  EXPECT_EQ((V{fx->Size, fx->Crc, fx->Middle, fx->Time, fx->Flags}), (V{9, 0xCBF43926, 0x36353433, kWinterTime, both}));
  EXPECT_EQ((V{fy->Size, fy->Crc, fy->Middle, fy->Attr}), (V{5000, sum.crc, sum.sample, attr}));
  EXPECT_EQ(fe->Crc + fe->Middle, 0u);  // an empty file checksums to zeroes, both valid
  EXPECT_EQ(fe->Flags, both);
}

TEST_F(CatalogWriter, ChecksumsAreTakenComputedOrLeftOut) {
  const std::string x = tree.File("a/x.txt", "123456789");
  Add(x, reflag::kCrcValid)->Crc = 0xDEADBEEF;
  Add(tree.File("a/ok", "1"));
  Add(tree.PathOf("a/gone"))->Size = 3;
  TResultEntry* stored = Add(Folder({"D:", "z.zip>", "in"}) + "f", reflag::kInArchive);
  stored->Size = 10;
  auto named = [&](const std::string& name) {
    for (const auto& [path, e] : read)
      if (e->Name == name) return e;
    return static_cast<TFileInfos*>(nullptr);
  };
  // A known CRC32 is taken (no sample); an unreadable file is logged and left
  // out; an archive entry without CRC32 is kept without.
  ASSERT_EQ(Read(Write({})).size(), 3u);
  EXPECT_EQ(named("x.txt")->Crc, 0xDEADBEEFu);
  EXPECT_EQ(named("x.txt")->Flags, fiflag::kCrcValid | fiflag::kInArchive);
  EXPECT_EQ(named("f")->Flags, fiflag::kInArchive);
  EXPECT_EQ(writer.FilesWritten(), 3u);
  EXPECT_EQ(writer.EntriesLeftOut(), 1u);
  const auto logged = msgs.With(logIOErrorOnOpen);
  ASSERT_EQ(logged.size(), 1u);
  EXPECT_EQ(logged[0].Str(1), tree.PathOf("a/gone"));
  // After a partial content comparison the CRC32 is computed anew.
  writer.SetPartialContent(true);
  Read(Write({}));
  EXPECT_EQ(named("x.txt")->Crc, 0xCBF43926u);
  // Without checksums nothing is stored.
  TCatFileOptions opt;
  opt.Data = 0;
  Read(Write(opt));
  EXPECT_EQ(named("x.txt")->Crc, 0u);
  EXPECT_EQ(named("x.txt")->Flags, fiflag::kInArchive);
}

TEST_F(CatalogWriter, SelectedOrCheckedEntriesOnlyAndACancelEndsTheLoop) {
  Add(tree.File("a/1", "1"), reflag::kSelected);
  Add(tree.File("a/2", "2"), reflag::kChecked);
  Add(tree.File("a/3", "3"), reflag::kChecked | reflag::kSelected);
  EXPECT_EQ(CatalogEntryCount(list, catentries::kAll), 3);
  EXPECT_EQ(CatalogEntryCount(list, catentries::kSelected), 2);
  EXPECT_EQ(CatalogEntryCount(list, catentries::kChecked), 2);
  TCatFileOptions opt;
  opt.Entries = catentries::kChecked;
  const auto& r = Read(Write(opt));
  EXPECT_EQ(r.size(), 2u);
  EXPECT_TRUE(r.count("2") && r.count("3"));
  std::atomic<bool> cancel{false};
  writer.SetCancelFlag(&cancel);
  int steps = 0;
  writer.SetOnStep([&] {
    ++steps;
    cancel = true;
  });
  opt.Entries = catentries::kAll;
  opt.Paths = catpaths::kRelative;
  opt.BasePath = tree.Dir("elsewhere");
  EXPECT_EQ(Read(Write(opt)).size(), 1u);
  EXPECT_TRUE(writer.Canceled());
  EXPECT_EQ(steps, 1);
  EXPECT_TRUE(msgs.Messages().empty()) << "no word on the base path after a cancel";
}

TEST_F(CatalogWriter, StoredPathsLieBelowTheBaseDirectory) {
  const std::string d = Folder({"D:"}), c = Folder({"C:"});
  const struct {
    const char* what;
    std::vector<std::pair<std::string, std::string>> entries;
    uint8_t paths;
    std::string base;
    std::vector<std::string> stored;  // in path order
    std::vector<std::string> shown;  // a message: the base path and the common folder
  } cases[] = {
      {"two drives have no common folder", {{c + "data" + kSep, "f1"}, {d + "x" + kSep, "f2"}}, catpaths::kAsNeeded, "",
       {Below(c + "data" + kSep) + "f1", Below(d + "x" + kSep) + "f2"}, {}},
      {"one folder: right below the catalog", {{Folder({"D:", "photos", "2004"}), "a.jpg"}, {Folder({"D:", "photos", "2004"}), "b.jpg"}},
       catpaths::kAsNeeded, "", {"a.jpg", "b.jpg"}, {}},
      {"the walk stops at a folder holding files", {{Folder({"D:", "m"}), "top"}, {Folder({"D:", "m", "deep"}), "low"}},
       catpaths::kAsNeeded, "", {"deep" + std::string(1, kSep) + "low", "top"}, {}},
      {"complete paths", {{Folder({"D:", "m"}), "top"}}, catpaths::kComplete, "", {Below(Folder({"D:", "m"})) + "top"}, {}},
      {"a base path holding every file", {{Folder({"D:", "photos", "a"}), "1"}, {Folder({"D:", "photos", "b"}), "2"}},
       catpaths::kRelative, "D:" + std::string(1, kSep) + "photos", {Folder({"a"}) + "1", Folder({"b"}) + "2"}, {}},
      {"a base path too deep: the common folder instead", {{Folder({"D:", "photos"}), "p"}, {Folder({"D:", "music"}), "m"}},
       catpaths::kRelative, Folder({"D:", "photos"}), {Folder({"music"}) + "m", Folder({"photos"}) + "p"},
       {Folder({"D:", "photos"}), Folder({"D:"})}},
      {"a base path too deep and no common folder: complete paths", {{Folder({"C:", "a"}), "1"}, {Folder({"D:", "b"}), "2"}},
       catpaths::kRelative, Folder({"C:", "a"}), {Below(Folder({"C:", "a"})) + "1", Below(Folder({"D:", "b"})) + "2"},
       {Folder({"C:", "a"})}},
  };
  for (const auto& x : cases) {
    list.Clear();
    list.Prepare(1, 0);
    msgs.Clear();
    for (const auto& [path, name] : x.entries) AddStored(path, name);
    TCatFileOptions opt;
    opt.Data = catdata::kChecksums;
    opt.Paths = x.paths;
    opt.BasePath = x.base;
    std::vector<std::string> stored;
    for (const auto& [name, e] : Read(Write(opt))) stored.push_back(name);
    EXPECT_EQ(stored, x.stored) << x.what;
    const auto shown = msgs.Messages();
    ASSERT_EQ(shown.size(), x.shown.empty() ? 0u : 1u) << x.what;
    if (shown.empty()) continue;
    EXPECT_EQ(shown[0].id, x.shown.size() == 2 ? msgCatfileBadBasePathRelative : msgCatfileBadBasePathComplete);
    for (size_t i = 0; i < x.shown.size(); ++i) EXPECT_EQ(shown[0].Str(i), x.shown[i]) << x.what;
  }
}

TEST_F(CatalogWriter, HeaderCodePageAndFoldersBeforeTheirUseWithAttributesAndCreationTimeOnlyWhenAsked) {
  Add(tree.File(".hid/x", "1"));
  Add(tree.File("vis/y", "2"));
  Add(tree.File("vis/q/r/z", "3"));
  TCatFileOptions opt;
  opt.Paths = catpaths::kComplete;
  const std::string first = Write(opt);
  const auto with = DirRecords(first);
  platform::FindData fd;
  platform::OsError err;
  ASSERT_TRUE(platform::GetFileInfo(platform::ExcludeTrailingSep(tree.Dir("vis")), fd, err));
  const auto vis = std::find_if(with.begin(), with.end(), [](const TCatDirRecord& d) { return d.Name == "vis"; });
  ASSERT_NE(vis, with.end());
  EXPECT_EQ(vis->Attr, fd.attributes | 0x10);
  EXPECT_EQ(vis->Creation, fd.creationUtc);
  EXPECT_NE(vis->Creation, 0);
#ifndef _WIN32
  TAttribFilter hidden;
  hidden.notMask = platform::attr::kHidden;
  const auto& r = Read(first, &hidden);  // the stored attributes let the reader filter folders
  EXPECT_EQ(r.size(), 2u);
  for (const auto& [name, e] : r) EXPECT_EQ(name.find(".hid"), std::string::npos) << name;
#endif
  opt.Data = catdata::kChecksums;
  const std::string cat = Write(opt);
  const auto without = DirRecords(cat);
  ASSERT_EQ(without.size(), with.size());
  for (size_t i = 0; i < without.size(); ++i) {
    EXPECT_EQ(without[i].Attr + static_cast<uint64_t>(without[i].Creation), 0x10u);
    // Numbered in order, each below an earlier one, one name each.
    EXPECT_EQ(without[i].Index, i + 1);
    EXPECT_LT(without[i].Parent, without[i].Index);
    EXPECT_EQ(without[i].Name.find(kSep), std::string::npos);
  }
  TZWCatfile c;
  ASSERT_EQ(c.Open(cat, true), corGood);
  EXPECT_EQ(c.DataFlags(), catdata::kChecksums);
  EXPECT_EQ(c.FileCount(), 3u);
  EXPECT_EQ(c.DirCount(), writer.DirectoriesWritten());
  EXPECT_NE(c.LastWrite(), 0);
  // The one header block: the code page of the names, UTF-8 (on Windows
  // through the manifest).
  const std::string raw = zwtest::ReadAll(cat);
  ASSERT_GE(raw.size(), 58u);
  EXPECT_EQ(raw.substr(48, 10), std::string("\x01\x04\0\0\0\xE9\xFD\0\0\0", 10));
}

TEST_F(CatalogWriter, OnlyAnOlderCatalogOrAnEmptyFileIsEverReplaced) {
  Add(tree.File("a/x", "1"));
  const struct {
    const char* name;
    std::string content;
    bool overwrite, replaced;
  } cases[] = {
      {"old.zwc", "", true, true},
      {"keep.zwc", "old", false, false},
      {"photo.jpg", "JFIF not a catalog", true, false},  // another kind of file, never
      {"short.zwc", "ZWC", true, false},
      {"missing/folder/c.zwc", "", true, false},
  };
  for (const auto& c : cases) {
    const bool missing = std::string(c.name).find('/') != std::string::npos;
    TCatFileOptions opt;
    opt.FileName = missing ? out.PathOf(c.name) : out.File(c.name, c.content);
    EXPECT_EQ(writer.Write(opt, c.overwrite), c.replaced) << c.name;
    if (c.replaced) {
      EXPECT_TRUE(writer.Write(opt, true)) << "a catalog written once may be written over again";
      EXPECT_FALSE(writer.Write(opt, false)) << "but not without leave";
      EXPECT_EQ(TZWCatfile().Open(opt.FileName, true), corGood);
      continue;
    }
    EXPECT_TRUE(missing ? !zwtest::Exists(opt.FileName) : zwtest::ReadAll(opt.FileName) == c.content) << c.name;
    const auto shown = msgs.With(msgCreateFileFailed);
    ASSERT_FALSE(shown.empty()) << c.name;
    EXPECT_EQ(shown.back().Str(0), opt.FileName);
    EXPECT_NE(shown.back().Int(1), 0);
  }
}

}  // namespace
}  // namespace zw
