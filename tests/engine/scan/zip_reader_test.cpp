#include "engine/scan/zip_reader.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "engine/common/crc32.h"
#include "platform/filetime.h"
#include "platform/paths.h"
#include "support/recording_messenger.h"
#include "support/temp_tree.h"
#include "support/zip_builder.h"

namespace {

using zw::TZipError;
using zw::TZipReader;
using zw::TZWZipReader;
using zw::platform::kPathSep;
using namespace std::chrono_literals;

using zwtest::Built;
using zwtest::BuildZip;
using zwtest::kDosDate;
using zwtest::kDosTime;
using zwtest::Member;
using zwtest::Put16;
using zwtest::Put32;
using zwtest::Put64;
using zwtest::Set16;
using zwtest::Set32;

std::vector<Member> SampleMembers() {
  return {
      {"docs/", "", 0x10},
      {"docs/readme.txt", "read me first\n"},
      {"top.bin", std::string(300, 'x')},
      {"docs/deep/er/note.md", "# note"},
  };
}

// --- reading into a list ---

struct Found {
  std::string name, path;
  uint64_t size = 0;
  uint32_t crc = 0, attr = 0;
  uint8_t flags = 0;
  zw::platform::FileTime time = 0;
};

struct Sink {
  zw::TAttribFilter attrib;
  zw::TSizeFilter size;
  zw::TNameFilter names;
  std::vector<Found> found;
  bool library = false;

  bool Read(const std::string& path, bool insideFolder) {
    TZWZipReader::TTarget t;
    t.attribFilter = &attrib;
    t.sizeFilter = &size;
    t.nameFilter = &names;
    t.library = library;
    t.emit = [this](zw::TFileInfos* e) {
      std::unique_ptr<zw::TFileInfos> own(e);
      found.push_back({e->Name, e->Path, e->Size, e->Crc, e->Attr, e->Flags, e->Time});
    };
    return TZWZipReader::ReadInto(path, insideFolder, t);
  }
  const Found* ByName(const std::string& name) const {
    for (const Found& f : found)
      if (f.name == name) return &f;
    return nullptr;
  }
};

std::string Sep(std::string s) {
  for (char& c : s)
    if (c == '/') c = kPathSep;
  return s;
}

std::string Write(const zwtest::TempTree& tree, const std::string& rel, const std::string& bytes) {
  return tree.File(rel, bytes);
}

// Reads every header; returns how many arrived.
size_t CountEntries(TZipReader& r) {
  size_t n = 0;
  while (r.ReadEntry([&](const zw::TZipCentralHeader&, const std::string&) { ++n; })) {
  }
  return n;
}

// --- entries ---

TEST(ZipEntries, MembersBecomeEntriesWithNameFolderSizeCrcTimeAndFlags) {
  zwtest::TempTree tree;
  const std::string path = Write(tree, "a.zip", BuildZip(SampleMembers()).bytes);
  Sink sink;
  ASSERT_TRUE(sink.Read(path, false));
  ASSERT_EQ(sink.found.size(), 3u);  // the folder member is left out

  const Found* readme = sink.ByName("readme.txt");
  ASSERT_NE(readme, nullptr);
  EXPECT_EQ(readme->path, "a.zip>" + Sep("/docs/"));
  EXPECT_EQ(readme->size, 14u);
  EXPECT_EQ(readme->crc, zw::Crc32("read me first\n", 14));
  EXPECT_EQ(readme->flags, 0x31);
  EXPECT_EQ(readme->attr, 0x20u);
  zw::platform::FileTime utc = 0;
  ASSERT_TRUE(zw::platform::DosDateTimeToFileTime(kDosDate, kDosTime, utc));
  EXPECT_EQ(readme->time, zw::platform::UtcToLocal(utc));

  const Found* top = sink.ByName("top.bin");
  ASSERT_NE(top, nullptr);
  EXPECT_EQ(top->path, "a.zip>" + std::string(1, kPathSep));
  EXPECT_EQ(top->size, 300u);

  const Found* note = sink.ByName("note.md");
  ASSERT_NE(note, nullptr);
  EXPECT_EQ(note->path, "a.zip>" + Sep("/docs/deep/er/"));
}

TEST(ZipEntries, ArchiveMetInsideAFolderGivesItsFullPathAsPrefix) {
  zwtest::TempTree tree;
  const std::string path = Write(tree, "sub/a.zip", BuildZip(SampleMembers()).bytes);
  Sink sink;
  ASSERT_TRUE(sink.Read(path, true));
  const Found* readme = sink.ByName("readme.txt");
  ASSERT_NE(readme, nullptr);
  EXPECT_EQ(readme->path, path + ">" + Sep("/docs/"));
}

TEST(ZipEntries, LibraryEntriesCarryTheLibraryFlag) {
  zwtest::TempTree tree;
  const std::string path = Write(tree, "a.zip", BuildZip(SampleMembers()).bytes);
  Sink sink;
  sink.library = true;
  ASSERT_TRUE(sink.Read(path, false));
  ASSERT_FALSE(sink.found.empty());
  for (const Found& f : sink.found) EXPECT_EQ(f.flags, 0x39) << f.name;
}

TEST(ZipEntries, FolderMemberWithoutFolderAttributeGivesNoEntry) {
  zwtest::TempTree tree;
  const std::string path =
      Write(tree, "a.zip", BuildZip({{"empty/", "", 0x20}, {"x.txt", "x"}}).bytes);
  Sink sink;
  ASSERT_TRUE(sink.Read(path, false));
  ASSERT_EQ(sink.found.size(), 1u);
  EXPECT_EQ(sink.found[0].name, "x.txt");
}

TEST(ZipEntries, NameStartingAtTheRootDoesNotDoubleTheSeparator) {
  zwtest::TempTree tree;
  const std::string path = Write(tree, "a.zip", BuildZip({{"/abs/x.txt", "x"}}).bytes);
  Sink sink;
  ASSERT_TRUE(sink.Read(path, false));
  ASSERT_EQ(sink.found.size(), 1u);
  EXPECT_EQ(sink.found[0].path, "a.zip>" + Sep("/abs/"));
}

// --- filters ---

TEST(ZipFilters, AttributeFilterSeesTheWholeExternalAttributeField) {
  zwtest::TempTree tree;
  const std::string path =
      Write(tree, "a.zip", BuildZip({{"h.txt", "h", 0x22}, {"n.txt", "n", 0x20}}).bytes);
  Sink sink;
  sink.attrib.Set(zw::fmExclude, zw::platform::attr::kHidden);
  ASSERT_TRUE(sink.Read(path, false));
  ASSERT_EQ(sink.found.size(), 1u);
  EXPECT_EQ(sink.found[0].name, "n.txt");
  // The folder bit set for the archive is given back afterwards.
  EXPECT_EQ(sink.attrib.notMask, zw::platform::attr::kHidden);
}

TEST(ZipFilters, SizeFilterUsesTheUncompressedSize) {
  zwtest::TempTree tree;
  const std::string path = Write(
      tree, "a.zip", BuildZip({{"small", "12"}, {"big", std::string(100, 'b')}}).bytes);
  Sink sink;
  sink.size.mode = zw::fmLimitTo;
  sink.size.low = 50;
  sink.size.high = 1000;
  ASSERT_TRUE(sink.Read(path, false));
  ASSERT_EQ(sink.found.size(), 1u);
  EXPECT_EQ(sink.found[0].name, "big");
}

TEST(ZipFilters, NameMasksApplyToTheFileNameWithoutItsFolder) {
  zwtest::TempTree tree;
  const std::string path = Write(
      tree, "a.zip", BuildZip({{"txt/a.jpg", "1"}, {"jpg/b.txt", "2"}, {"c.JPG", "3"}}).bytes);
  Sink sink;
  std::vector<zw::TMaskRow> limit{{"*.jpg", true}};
  std::vector<zw::TMaskRow> exclude;
  sink.names.Set(limit, exclude, zw::TAdvFilenameOptions{}, false);
  ASSERT_TRUE(sink.Read(path, false));
  ASSERT_EQ(sink.found.size(), 2u);
  EXPECT_NE(sink.ByName("a.jpg"), nullptr);
  EXPECT_NE(sink.ByName("c.JPG"), nullptr);
}

// --- names ---

TEST(ZipNames, Cp437NamesBecomeUtf8) {
  EXPECT_EQ(zw::ZipNameToUtf8("\x81" "ber.txt", false), "\xC3\xBC" "ber.txt");  // über
  EXPECT_EQ(zw::ZipNameToUtf8("\xE1", false), "\xC3\x9F");                       // ß
  EXPECT_EQ(zw::ZipNameToUtf8("\xB0", false), "\xE2\x96\x91");                   // light shade
  EXPECT_EQ(zw::ZipNameToUtf8("plain.txt", false), "plain.txt");
}

TEST(ZipNames, FlaggedUtf8NamesStayAndInvalidOnesFallBackToCp437) {
  EXPECT_EQ(zw::ZipNameToUtf8("\xC3\xBC.txt", true), "\xC3\xBC.txt");
  EXPECT_EQ(zw::ZipNameToUtf8("\xC3\xBC.txt", false), "\xE2\x94\x9C\xE2\x95\x9D.txt");
  // A lone lead byte and an overlong form are not UTF-8.
  EXPECT_EQ(zw::ZipNameToUtf8("\xC3", true), "\xE2\x94\x9C");
  EXPECT_EQ(zw::ZipNameToUtf8(std::string("\xC0\xAF", 2), true), "\xE2\x94\x94\xC2\xBB");
}

TEST(ZipNames, ZeroByteEndsTheName) {
  EXPECT_EQ(zw::ZipNameToUtf8(std::string("ab\0cd", 5), false), "ab");
}

TEST(ZipNames, NonAsciiMemberNamesArriveAsUtf8Entries) {
  zwtest::TempTree tree;
  const std::string path = Write(
      tree, "a.zip",
      BuildZip({{"d\x84r/\x94l.txt", "1"}, {"\xE6\x97\xA5\xE6\x9C\xAC.txt", "2", 0x20, 0x0800}})
          .bytes);
  Sink sink;
  ASSERT_TRUE(sink.Read(path, false));
  ASSERT_EQ(sink.found.size(), 2u);
  const Found* oel = sink.ByName("\xC3\xB6l.txt");
  ASSERT_NE(oel, nullptr);
  EXPECT_EQ(oel->path, "a.zip>" + Sep("/d\xC3\xA4r/"));
  EXPECT_NE(sink.ByName("\xE6\x97\xA5\xE6\x9C\xAC.txt"), nullptr);
}

// --- end record and comments ---

TEST(ZipEndRecord, CommentOfAlmost64KiBIsPassedOver) {
  zwtest::TempTree tree;
  std::string comment(65535, 'c');
  const std::string path = Write(tree, "a.zip", BuildZip(SampleMembers(), comment).bytes);
  TZipReader r;
  ASSERT_TRUE(r.Open(path));
  EXPECT_EQ(r.Comment().size(), 65535u);
  EXPECT_EQ(CountEntries(r), 4u);
  EXPECT_EQ(r.LastError(), TZipError::None);
}

TEST(ZipEndRecord, SignatureInsideTheCommentDoesNotMislead) {
  zwtest::TempTree tree;
  // A fake end record in the comment whose directory would be elsewhere.
  std::string fake;
  Put32(fake, 0x06054B50);
  Put16(fake, 0);
  Put16(fake, 0);
  Put16(fake, 1);
  Put16(fake, 1);
  Put32(fake, 46);
  Put32(fake, 3);
  Put16(fake, 0);
  const std::string path =
      Write(tree, "a.zip", BuildZip(SampleMembers(), "note " + fake + " end").bytes);
  TZipReader r;
  ASSERT_TRUE(r.Open(path));
  EXPECT_EQ(CountEntries(r), 4u);
}

TEST(ZipEndRecord, CommentFullOfFalseEndRecordsStillLeadsToTheRealOne) {
  zwtest::TempTree tree;
  std::string fakes;
  while (fakes.size() + 22 <= 65000) {
    Put32(fakes, 0x06054B50);
    Put16(fakes, 0);
    Put16(fakes, 0);
    Put16(fakes, 1);
    Put16(fakes, 1);
    Put32(fakes, 46);
    Put32(fakes, static_cast<uint32_t>(fakes.size() * 7919));  // somewhere else each time
    Put16(fakes, 0);
  }
  const std::string path = Write(tree, "a.zip", BuildZip(SampleMembers(), fakes).bytes);
  TZipReader r;
  ASSERT_TRUE(r.Open(path));
  EXPECT_EQ(r.Comment(), fakes);
  EXPECT_EQ(CountEntries(r), 4u);
}

TEST(ZipEndRecord, EndRecordTooFarFromTheEndIsNotFound) {
  zwtest::TempTree tree;
  std::string bytes = BuildZip(SampleMembers()).bytes + std::string(65536, 'j');
  const std::string path = Write(tree, "a.zip", bytes);
  TZipReader r;
  EXPECT_FALSE(r.Open(path));
  EXPECT_EQ(r.LastError(), TZipError::NoEndRecord);
  EXPECT_FALSE(r.IsOpen());
}

TEST(ZipEndRecord, EmptyArchiveOpensWithNoEntries) {
  zwtest::TempTree tree;
  const std::string path = Write(tree, "a.zip", BuildZip({}).bytes);
  TZipReader r;
  ASSERT_TRUE(r.Open(path));
  EXPECT_EQ(CountEntries(r), 0u);
  EXPECT_TRUE(TZipReader::CanRead(path));
}

// --- access ---

TEST(ZipAccess, ReadOnlyArchiveIsRead) {
  zwtest::TempTree tree;
  const std::string path = Write(tree, "ro.zip", BuildZip(SampleMembers()).bytes);
  std::filesystem::permissions(path, std::filesystem::perms::owner_write |
                                         std::filesystem::perms::group_write |
                                         std::filesystem::perms::others_write,
                               std::filesystem::perm_options::remove);
  Sink sink;
  ASSERT_TRUE(sink.Read(path, false));
  EXPECT_EQ(sink.found.size(), 3u);
}

TEST(ZipAccess, MissingFileFailsWithTheSystemCode) {
  zwtest::TempTree tree;
  TZipReader r;
  EXPECT_FALSE(r.Open(tree.PathOf("none.zip")));
  EXPECT_EQ(r.LastError(), TZipError::OpenFailed);
  EXPECT_NE(r.OsErr().code, 0);
  Sink sink;
  EXPECT_FALSE(sink.Read(tree.PathOf("none.zip"), false));
}

// --- zip64 ---

TEST(ZipZip64, Zip64EndRecordAndExtraFieldGiveTheTrueValues) {
  zwtest::TempTree tree;
  std::vector<Member> members{{"big.iso", "abc", 0x20, 0, true, 5ull << 30}, {"s.txt", "s"}};
  const std::string path = Write(tree, "a.zip", BuildZip(members, "c", true).bytes);
  TZipReader r;
  ASSERT_TRUE(r.Open(path));
  EXPECT_TRUE(r.IsZip64());
  EXPECT_EQ(r.EntryCount(), 2u);
  Sink sink;
  ASSERT_TRUE(sink.Read(path, false));
  ASSERT_EQ(sink.found.size(), 2u);
  const Found* big = sink.ByName("big.iso");
  ASSERT_NE(big, nullptr);
  EXPECT_EQ(big->size, 5ull << 30);
  EXPECT_EQ(big->crc, zw::Crc32("abc", 3));
}

TEST(ZipZip64, AnnouncedZip64WithoutItsRecordsIsRefused) {
  zwtest::TempTree tree;
  Built b = BuildZip(SampleMembers(), "", true);
  // Break the locator's signature.
  Set32(b.bytes, b.endPos - 20, 0x12345678);
  const std::string path = Write(tree, "a.zip", b.bytes);
  TZipReader r;
  EXPECT_FALSE(r.Open(path));
  EXPECT_EQ(r.LastError(), TZipError::BadZip64);
}

TEST(ZipZip64, ExactlyAllOnesMembersWithoutZip64RecordsAreThatMany) {
  zwtest::TempTree tree;
  std::vector<Member> members(0xFFFF);
  for (size_t i = 0; i < members.size(); ++i) members[i].name = std::to_string(i);
  const std::string path = Write(tree, "full.zip", BuildZip(members).bytes);
  TZipReader r;
  ASSERT_TRUE(r.Open(path)) << static_cast<int>(r.LastError());
  EXPECT_EQ(CountEntries(r), 0xFFFFu);
  EXPECT_EQ(r.LastError(), TZipError::None);
}

TEST(ZipZip64, MemberSizeWithoutItsZip64FieldEndsTheListInsteadOfAWrongSize) {
  zwtest::TempTree tree;
  Built b = BuildZip({{"a.txt", "a"}, {"b.txt", "b"}});
  Set32(b.bytes, b.cdOffset + 24, 0xFFFFFFFF);  // first member's size: "see zip64"
  const std::string path = Write(tree, "a.zip", b.bytes);
  TZipReader r;
  ASSERT_TRUE(r.Open(path));
  EXPECT_EQ(CountEntries(r), 0u);
  EXPECT_EQ(r.LastError(), TZipError::BadZip64);
  EXPECT_FALSE(TZipReader::CanRead(path));
}

// --- damaged and hostile archives ---

TEST(ZipDamaged, DirectoryBeyondTheFileIsRefused) {
  zwtest::TempTree tree;
  Built b = BuildZip(SampleMembers());
  Set32(b.bytes, b.endPos + 16, 0x7FFFFFF0);
  TZipReader r;
  EXPECT_FALSE(r.Open(Write(tree, "a.zip", b.bytes)));
  EXPECT_EQ(r.LastError(), TZipError::BadDirectory);
}

TEST(ZipDamaged, CountThatCannotFitTheDirectoryIsRefused) {
  zwtest::TempTree tree;
  Built b = BuildZip(SampleMembers());
  Set16(b.bytes, b.endPos + 8, 0xFFFE);
  Set16(b.bytes, b.endPos + 10, 0xFFFE);
  TZipReader r;
  EXPECT_FALSE(r.Open(Write(tree, "a.zip", b.bytes)));
  EXPECT_EQ(r.LastError(), TZipError::BadDirectory);
}

TEST(ZipDamaged, WrongSignatureAtTheDirectoryOffsetIsRefused) {
  zwtest::TempTree tree;
  Built b = BuildZip(SampleMembers());
  Set32(b.bytes, b.endPos + 16, static_cast<uint32_t>(b.cdOffset - 1));
  TZipReader r;
  EXPECT_FALSE(r.Open(Write(tree, "a.zip", b.bytes)));
  EXPECT_EQ(r.LastError(), TZipError::BadDirectory);
}

TEST(ZipDamaged, NameRunningPastTheDirectoryEndsTheList) {
  zwtest::TempTree tree;
  Built b = BuildZip(SampleMembers());
  // The second header's name length.
  const size_t second = b.cdOffset + 46 + SampleMembers()[0].name.size();
  Set16(b.bytes, second + 28, 0xFFFF);
  const std::string path = Write(tree, "a.zip", b.bytes);
  TZipReader r;
  ASSERT_TRUE(r.Open(path));
  EXPECT_EQ(CountEntries(r), 1u);
  EXPECT_EQ(r.LastError(), TZipError::BadEntry);
  Sink sink;
  EXPECT_TRUE(sink.Read(path, false));
  EXPECT_TRUE(sink.found.empty());  // only the folder member came before
}

TEST(ZipDamaged, SpannedArchiveIsRefused) {
  zwtest::TempTree tree;
  Built b = BuildZip(SampleMembers());
  Set16(b.bytes, b.endPos + 4, 2);
  Set16(b.bytes, b.endPos + 6, 1);
  TZipReader r;
  EXPECT_FALSE(r.Open(Write(tree, "a.zip", b.bytes)));
  EXPECT_EQ(r.LastError(), TZipError::MultiDisk);
}

TEST(ZipDamaged, EveryTruncationFailsOrEndsCleanly) {
  zwtest::TempTree tree;
  const std::string whole = BuildZip(SampleMembers(), "comment").bytes;
  const std::string path = tree.PathOf("t.zip");
  size_t opened = 0;
  for (size_t len = 0; len < whole.size(); ++len) {
    Write(tree, "t.zip", whole.substr(0, len));
    TZipReader r;
    if (r.Open(path)) {
      ++opened;
      EXPECT_LE(CountEntries(r), 4u);
    }
  }
  // A cut before the end record loses it; a cut into the comment leaves a
  // record whose comment no longer fits the file.
  EXPECT_EQ(opened, 0u);
}

TEST(ZipDamaged, RandomBytesAndMutationsNeverCrash) {
  zwtest::TempTree tree;
  const std::string base = BuildZip(SampleMembers(), "cmt", false).bytes;
  const std::string path = tree.PathOf("m.zip");
  std::mt19937 rng(12345);
  size_t opened = 0;
  for (int round = 0; round < 400; ++round) {
    std::string bytes = base;
    const int edits = 1 + static_cast<int>(rng() % 8);
    for (int e = 0; e < edits; ++e) {
      const size_t at = rng() % bytes.size();
      switch (rng() % 3) {
        case 0:
          bytes[at] = static_cast<char>(bytes[at] ^ (1 << (rng() % 8)));
          break;
        case 1:
          bytes[at] = static_cast<char>(0xFF);
          break;
        default:
          if (at + 1 < bytes.size()) bytes[at + 1] = static_cast<char>(0xFF);
          bytes[at] = static_cast<char>(0xFF);
          break;
      }
    }
    Write(tree, "m.zip", bytes);
    Sink sink;
    if (sink.Read(path, false)) {
      ++opened;
      EXPECT_LE(sink.found.size(), 4u);
    }
  }
  EXPECT_GT(opened, 0u);  // many edits leave the directory readable
}

// --- in the browse thread ---

// One browse over a prepared thread with the ZIP reader installed; collects
// what it pushed, serving the status queue meanwhile as a host does.
class BrowseRun {
 public:
  BrowseRun()
      : events_([](zw::TStatusEvent&) {}),
        status(&events_),
        thread(std::make_shared<zw::TThreadBrowse>()) {
    thread->SetQueue(&queue);
    thread->SetStatus(&status);
    thread->SetManager(&manager);
    thread->SetMessenger(&messenger);
    thread->SetZipBrowser(zw::MakeZipBrowser());
    thread->attribFilter.Set(zw::fmIgnore, 0);
  }
  void Run() {
    manager.Attach(thread);
    manager.Start();
    for (;;) {
      std::atomic<bool> done{false};
      zw::TFileInfos* got = nullptr;
      std::thread popper([&] {
        got = queue.Pop();
        done = true;
      });
      while (!done) events_.DispatchWait(1ms);
      popper.join();
      if (!got) break;
      found.push_back({got->Name, got->Path, got->Size, got->Crc, got->Attr, got->Flags, got->Time});
      zw::FreeFileInfos(got);
    }
    while (!thread->Finished()) events_.DispatchWait(1ms);
    thread->WaitFor();
    events_.DispatchPending();
  }
  const Found* ByName(const std::string& name) const {
    for (const Found& f : found)
      if (f.name == name) return &f;
    return nullptr;
  }

  zw::TJobQueue queue;
  zw::TEventQueue events_;
  zw::TZWStatusServer status;
  zw::TZWThreadManager manager;
  zwtest::RecordingMessenger messenger;
  std::shared_ptr<zw::TThreadBrowse> thread;
  std::vector<Found> found;
};

TEST(ZipInBrowse, ArchiveInsideAScannedFolderAddsItsMembersWithTheFullArchivePath) {
  zwtest::TempTree tree;
  const std::string zip = tree.File("d/a.zip", BuildZip(SampleMembers()).bytes);
  tree.File("d/plain.txt", "p");
  BrowseRun r;
  r.thread->scanArchives = true;
  r.thread->fresh.Add(zw::dsRecursive, tree.Dir("d"));
  r.Run();
  // The archive itself, the plain file and the three file members.
  EXPECT_EQ(r.found.size(), 5u);
  EXPECT_NE(r.ByName("a.zip"), nullptr);
  const Found* readme = r.ByName("readme.txt");
  ASSERT_NE(readme, nullptr);
  EXPECT_EQ(readme->path, zip + ">" + Sep("/docs/"));
  EXPECT_EQ(readme->flags, 0x31);
  EXPECT_EQ(r.thread->fresh.filesFound.load(), 5);
}

TEST(ZipInBrowse, ArchivesAreNotOpenedWhenScanningArchivesIsOff) {
  zwtest::TempTree tree;
  tree.File("d/a.zip", BuildZip(SampleMembers()).bytes);
  BrowseRun r;
  r.thread->fresh.Add(zw::dsRecursive, tree.Dir("d"));
  r.Run();
  ASSERT_EQ(r.found.size(), 1u);
  EXPECT_EQ(r.found[0].name, "a.zip");
}

TEST(ZipInBrowse, ListRowsGiveTheFileNamePrefixAndLibraryRowsTheLibraryFlag) {
  zwtest::TempTree tree;
  const std::string fresh = tree.File("f.zip", BuildZip({{"x/one.txt", "1"}}).bytes);
  const std::string lib = tree.File("l.zip", BuildZip({{"two.txt", "22"}}).bytes);
  BrowseRun r;
  r.thread->fresh.Add(zw::dsArchive, fresh);
  r.thread->library.Add(zw::dsArchive, lib);
  r.Run();
  ASSERT_EQ(r.found.size(), 2u);
  EXPECT_EQ(r.found[0].name, "one.txt");
  EXPECT_EQ(r.found[0].path, "f.zip>" + Sep("/x/"));
  EXPECT_EQ(r.found[0].flags, 0x31);
  EXPECT_EQ(r.found[1].name, "two.txt");
  EXPECT_EQ(r.found[1].path, "l.zip>" + std::string(1, kPathSep));
  EXPECT_EQ(r.found[1].flags, 0x39);
  EXPECT_EQ(r.thread->fresh.filesFound.load(), 1);
  EXPECT_EQ(r.thread->library.filesFound.load(), 1);
}

TEST(ZipInBrowse, DamagedArchiveInAFolderIsSkippedSilently) {
  zwtest::TempTree tree;
  tree.File("d/bad.zip", "PK\x03\x04 not really an archive");
  tree.File("d/ok.txt", "o");
  BrowseRun r;
  r.thread->scanArchives = true;
  r.thread->fresh.Add(zw::dsRecursive, tree.Dir("d"));
  r.Run();
  EXPECT_EQ(r.found.size(), 2u);  // bad.zip and ok.txt as plain files
  // Nothing is said about it: no message names the archive.
  for (const auto& m : r.messenger.Messages())
    for (const auto& a : m.args)
      if (const auto* text = std::get_if<std::string>(&a)) {
        EXPECT_EQ(text->find("bad.zip"), std::string::npos) << *text;
      }
}

// --- archives made by other tools ---

#ifndef _WIN32
bool Have(const char* tool) {
  return std::system((std::string("command -v ") + tool + " >/dev/null 2>&1").c_str()) == 0;
}

struct PyMember {
  uint64_t size;
  uint32_t crc;
};

// Python's own view of an archive: name -> size and CRC32 of every file member.
std::map<std::string, PyMember> PythonView(const zwtest::TempTree& tree, const std::string& zip) {
  const std::string out = tree.PathOf("view.txt");
  const std::string script = tree.File(
      "view.py",
      "import sys, zipfile\n"
      "with zipfile.ZipFile(sys.argv[1]) as z, open(sys.argv[2], 'w', encoding='utf-8') as o:\n"
      "    for i in z.infolist():\n"
      "        if not i.is_dir(): o.write('%s\\t%d\\t%d\\n' % (i.filename, i.file_size, i.CRC))\n");
  std::map<std::string, PyMember> view;
  if (std::system(("python3 '" + script + "' '" + zip + "' '" + out + "'").c_str()) != 0)
    return view;
  std::ifstream in(out, std::ios::binary);
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream ls(line);
    std::string name, size, crc;
    std::getline(ls, name, '\t');
    std::getline(ls, size, '\t');
    std::getline(ls, crc, '\t');
    view[name] = {std::stoull(size), static_cast<uint32_t>(std::stoul(crc))};
  }
  return view;
}

void ExpectSameAsPython(const zwtest::TempTree& tree, const std::string& zip) {
  const auto view = PythonView(tree, zip);
  ASSERT_FALSE(view.empty());
  Sink sink;
  ASSERT_TRUE(sink.Read(zip, false));
  ASSERT_EQ(sink.found.size(), view.size());
  const std::string prefix = zw::platform::ExtractFileName(zip) + ">/";
  for (const Found& f : sink.found) {
    ASSERT_EQ(f.path.rfind(prefix, 0), 0u) << f.path;
    const std::string member = f.path.substr(prefix.size()) + f.name;
    auto it = view.find(member);
    ASSERT_NE(it, view.end()) << member;
    EXPECT_EQ(f.size, it->second.size) << member;
    EXPECT_EQ(f.crc, it->second.crc) << member;
  }
}

TEST(ZipOtherTools, InfoZipArchiveWithFoldersStoredDeflatedAndCommentMatchesPython) {
  if (!Have("zip") || !Have("python3")) GTEST_SKIP() << "zip or python3 missing";
  zwtest::TempTree tree;
  tree.File("src/a.txt", std::string(5000, 'a'));
  tree.SizedFile("src/one/two/three/r.bin", 7000, 3);
  tree.File("src/one/empty.txt", "");
  tree.Dir("src/emptydir");
  tree.File("comment.txt", std::string(60000, 'z'));
  const std::string root = tree.Root();
  const std::string zip = root + "info.zip";
  // Deflated first, then one stored member added, then a long comment.
  const std::string cmd = "cd '" + root + "src' && zip -q -r ../info.zip . && zip -q -0 "
                          "../info.zip one/two/three/r.bin && zip -q -z ../info.zip < "
                          "../comment.txt";
  ASSERT_EQ(std::system(cmd.c_str()), 0);
  TZipReader r;
  ASSERT_TRUE(r.Open(zip));
  EXPECT_GE(r.Comment().size(), 60000u);
  ExpectSameAsPython(tree, zip);
}

TEST(ZipOtherTools, PythonArchiveWithNonAsciiNamesAndZip64MatchesPython) {
  if (!Have("python3")) GTEST_SKIP() << "python3 missing";
  zwtest::TempTree tree;
  const std::string zip = tree.PathOf("py.zip");
  const std::string script = tree.File(
      "make.py",
      "import sys, zipfile\n"
      "with zipfile.ZipFile(sys.argv[1], 'w', zipfile.ZIP_DEFLATED) as z:\n"
      "    z.writestr('Gr\\u00fc\\u00dfe/\\u65e5\\u672c.txt', 'x' * 1000)\n"
      "    z.writestr(zipfile.ZipInfo('dir/'), '')\n"
      "    z.writestr('plain/stored.bin', b'\\x00\\x01' * 50, compress_type=zipfile.ZIP_STORED)\n"
      "    with z.open('big/forced.bin', 'w', force_zip64=True) as f: f.write(b'q' * 4096)\n"
      "    z.comment = b'k' * 65535\n");
  ASSERT_EQ(std::system(("python3 '" + script + "' '" + zip + "'").c_str()), 0);
  ExpectSameAsPython(tree, zip);
  Sink sink;
  ASSERT_TRUE(sink.Read(zip, false));
  EXPECT_NE(sink.ByName("\xE6\x97\xA5\xE6\x9C\xAC.txt"), nullptr);
}

TEST(ZipOtherTools, InfoZipForcedZip64ArchiveMatchesPython) {
  if (!Have("zip") || !Have("python3")) GTEST_SKIP() << "zip or python3 missing";
  zwtest::TempTree tree;
  tree.File("in.txt", std::string(3000, 'p'));
  const std::string root = tree.Root();
  // Read from a pipe, Info-ZIP cannot know the size and writes zip64 fields.
  const std::string cmd =
      "cd '" + root + "' && cat in.txt | zip -q -fz z64.zip - >/dev/null 2>&1";
  if (std::system(cmd.c_str()) != 0) GTEST_SKIP() << "this zip cannot force zip64";
  ExpectSameAsPython(tree, root + "z64.zip");
}
#endif

}  // namespace
