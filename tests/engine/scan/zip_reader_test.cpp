// ZIP archives as a source of entries: the directory reader on archives built
// here (well-formed, damaged and hostile), in the browse thread, and on
// archives made by other tools.
#include "engine/scan/zip_reader.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "engine/common/crc32.h"
#include "platform/filetime.h"
#include "platform/paths.h"
#include "support/browse_run.h"
#include "support/temp_tree.h"
#include "support/zip_builder.h"

namespace {

using zw::TZipError;
using zw::TZipReader;
using zwtest::Built;
using zwtest::BuildZip;
using zwtest::Found;
using zwtest::Member;

std::vector<Member> SampleMembers() {
  return {{"docs/", "", 0x10}, {"docs/readme.txt", "read me first\n"}, {"top.bin", std::string(300, 'x')},
          {"docs/deep/er/note.md", "# note"}};
}

// "/docs/" with the platform separator.
std::string Sep(std::string s) {
  for (char& c : s)
    if (c == '/') c = zw::platform::kPathSep;
  return s;
}

// Reads an archive into a list through the reader of the browse thread.
struct Sink {
  zw::TAttribFilter attrib;
  zw::TSizeFilter size;
  zw::TNameFilter names;
  std::vector<Found> found;

  bool Read(const std::string& path, bool insideFolder = false, bool library = false) {
    zw::TZWZipReader::TTarget t{&attrib, &size, &names, library, [this](zw::TFileInfos* e) {
                                  found.push_back({e->Name.str(), e->Path, e->Size, e->Crc, e->Attr, e->Flags, e->Time});
                                  zw::FreeFileInfos(e);
                                },
                                {}};
    return zw::TZWZipReader::ReadInto(path, insideFolder, t);
  }
  std::vector<std::string> Places() const {
    std::vector<std::string> out;
    for (const Found& f : found) out.push_back(f.path + f.name);
    return out;
  }
};

// Reads every header; returns how many arrived.
size_t CountEntries(TZipReader& r) {
  size_t n = 0;
  while (r.ReadEntry([&](const zw::TZipCentralHeader&, const std::string&) { ++n; })) {
  }
  return n;
}

TEST(ZipEntries, MembersBecomeEntriesWithNameFolderSizeCrcTimeAndFlags) {
  zwtest::TempTree tree;
  const std::string path = tree.File("a.zip", BuildZip(SampleMembers()).bytes);
  namespace fs = std::filesystem;  // a read-only archive is read too
  fs::permissions(path, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write, fs::perm_options::remove);
  Sink sink;
  ASSERT_TRUE(sink.Read(path));
  // The folder member is left out.
  EXPECT_EQ(sink.Places(), (std::vector<std::string>{"a.zip>" + Sep("/docs/readme.txt"), "a.zip>" + Sep("/top.bin"),
                                                     "a.zip>" + Sep("/docs/deep/er/note.md")}));
  const Found& readme = sink.found[0];
  zw::platform::FileTime utc = 0;
  ASSERT_TRUE(zw::platform::DosDateTimeToFileTime(zwtest::kDosDate, zwtest::kDosTime, utc));
  EXPECT_EQ((std::vector<uint64_t>{readme.size, readme.crc, readme.flags, readme.attr, readme.time}),
            (std::vector<uint64_t>{14, zw::Crc32("read me first\n", 14), 0x31, 0x20, zw::platform::UtcToLocal(utc)}));
  EXPECT_EQ(sink.found[1].size, 300u);
}

TEST(ZipEntries, PlacesOfMembers) {
  zwtest::TempTree tree;
  const struct {
    const char* what;
    std::vector<Member> members;
    bool insideFolder, library;
    std::vector<std::string> places;  // below the prefix
    uint8_t flags;
  } cases[] = {
      {"in a folder: the full archive path", {{"x/y.txt", "1"}}, true, false, {Sep("/x/y.txt")}, 0x31},
      {"a library row", {{"y.txt", "1"}}, false, true, {Sep("/y.txt")}, 0x39},
      {"a folder member without the folder bit", {{"empty/", "", 0x20}, {"x.txt", "x"}}, false, false, {Sep("/x.txt")}, 0x31},
      {"a name from the root", {{"/abs/x.txt", "x"}}, false, false, {Sep("/abs/x.txt")}, 0x31},
      {"code page 437 and UTF-8 names",
       {{"d\x84r/\x94l.txt", "1"}, {"\xE6\x97\xA5\xE6\x9C\xAC.txt", "2", 0x20, 0x0800}}, false, false,
       {Sep("/d\xC3\xA4r/\xC3\xB6l.txt"), Sep("/\xE6\x97\xA5\xE6\x9C\xAC.txt")}, 0x31},
  };
  for (const auto& c : cases) {
    const std::string path = tree.File("sub/a.zip", BuildZip(c.members).bytes);
    Sink sink;
    ASSERT_TRUE(sink.Read(path, c.insideFolder, c.library)) << c.what;
    std::vector<std::string> places;
    for (const auto& p : c.places) places.push_back((c.insideFolder ? path : std::string("a.zip")) + ">" + p);
    EXPECT_EQ(sink.Places(), places) << c.what;
    for (const Found& f : sink.found) EXPECT_EQ(f.flags, c.flags) << c.what;
  }
}

TEST(ZipEntries, FiltersSeeTheAttributesTheUncompressedSizeAndTheNameWithoutItsFolder) {
  zwtest::TempTree tree;
  const std::string path = tree.File("a.zip", BuildZip({{"h.jpg", "h", 0x22}, {"txt/n.jpg", std::string(100, 'n')},
                                                        {"jpg/b.txt", "2"}, {"c.JPG", "3"}})
                                                  .bytes);
  const struct {
    const char* what;
    std::function<void(Sink&)> setup;
    std::vector<std::string> names;
  } cases[] = {
      {"hidden excluded", [](Sink& s) { s.attrib.Set(zw::fmExclude, zw::platform::attr::kHidden); },
       {"n.jpg", "b.txt", "c.JPG"}},
      {"sizes 50 to 1000", [](Sink& s) { s.size.Set(zw::fmLimitTo, 50, 1000, false, zw::TAdvContentOptions{}); }, {"n.jpg"}},
      {"*.jpg", [](Sink& s) { s.names.Set(std::vector<zw::TMaskRow>{{"*.jpg", true}}, {}, zw::TAdvFilenameOptions{}, false); },
       {"h.jpg", "n.jpg", "c.JPG"}},
  };
  for (const auto& c : cases) {
    Sink sink;
    c.setup(sink);
    ASSERT_TRUE(sink.Read(path)) << c.what;
    std::vector<std::string> names;
    for (const Found& f : sink.found) names.push_back(f.name);
    EXPECT_EQ(names, c.names) << c.what;
    // The folder bit set for the archive is given back afterwards.
    EXPECT_EQ(sink.attrib.notMask & zw::platform::attr::kDirectory, 0u) << c.what;
  }
}

TEST(ZipNames, OemNamesBecomeUtf8AndFlaggedUtf8StaysWhenValid) {
  const struct {
    std::string raw;
    bool utf8;
    std::string name;
  } cases[] = {
      {"\x81" "ber.txt", false, "\xC3\xBC" "ber.txt"},  // über
      {"\xE1", false, "\xC3\x9F"},                      // ß
      {"\xB0", false, "\xE2\x96\x91"},                  // light shade
      {"plain.txt", false, "plain.txt"},
      {"\xC3\xBC.txt", true, "\xC3\xBC.txt"},
      {"\xC3\xBC.txt", false, "\xE2\x94\x9C\xE2\x95\x9D.txt"},
      {"\xC3", true, "\xE2\x94\x9C"},  // a lone lead byte is no UTF-8
      {std::string("\xC0\xAF", 2), true, "\xE2\x94\x94\xC2\xBB"},  // nor an overlong form
      {std::string("ab\0cd", 5), false, "ab"},  // a zero byte ends the name
  };
  for (const auto& c : cases) EXPECT_EQ(zw::ZipNameToUtf8(c.raw, c.utf8), c.name) << c.raw;
}

// A fake end record whose directory lies elsewhere.
std::string FakeEndRecord(uint32_t offset) {
  std::string s;
  zwtest::Put32(s, 0x06054B50);
  for (uint32_t v : {0u, 0u, 1u, 1u}) zwtest::Put16(s, v);
  zwtest::Put32(s, 46);
  zwtest::Put32(s, offset);
  zwtest::Put16(s, 0);
  return s;
}

TEST(ZipDirectory, WellFormedAndDamagedArchives) {
  zwtest::TempTree tree;
  std::string fakes;
  while (fakes.size() + 22 <= 65000) fakes += FakeEndRecord(static_cast<uint32_t>(fakes.size() * 7919));
  std::vector<Member> full(0xFFFF);
  for (size_t i = 0; i < full.size(); ++i) full[i].name = std::to_string(i);
  auto sample = [](const std::string& comment = {}, bool zip64End = false) { return BuildZip(SampleMembers(), comment, zip64End); };
  const struct {
    const char* what;
    std::function<Built()> build;
    std::function<void(Built&)> damage;
    bool opens;
    size_t entries;
    TZipError error;
  } cases[] = {
      {"an empty archive", [] { return BuildZip({}); }, nullptr, true, 0, TZipError::None},
      {"a comment of almost 64 KiB", [&] { return sample(std::string(65535, 'c')); }, nullptr, true, 4, TZipError::None},
      {"an end record in the comment", [&] { return sample("note " + FakeEndRecord(3) + " end"); }, nullptr, true, 4, TZipError::None},
      {"a comment full of false end records", [&] { return sample(fakes); }, nullptr, true, 4, TZipError::None},
      {"exactly 65535 members without zip64 records", [&] { return BuildZip(full); }, nullptr, true, 0xFFFF, TZipError::None},
      {"the end record too far from the end", [&] { return sample(); }, [](Built& b) { b.bytes += std::string(65536, 'j'); },
       false, 0, TZipError::NoEndRecord},
      {"zip64 announced without its records", [&] { return sample("", true); },
       [](Built& b) { zwtest::Set32(b.bytes, b.endPos - 20, 0x12345678); }, false, 0, TZipError::BadZip64},
      {"a member size that needs its zip64 field", [&] { return sample(); },
       [](Built& b) { zwtest::Set32(b.bytes, b.cdOffset + 24, 0xFFFFFFFF); }, true, 0, TZipError::BadZip64},
      {"the directory beyond the file", [&] { return sample(); },
       [](Built& b) { zwtest::Set32(b.bytes, b.endPos + 16, 0x7FFFFFF0); }, false, 0, TZipError::BadDirectory},
      {"a count that cannot fit the directory", [&] { return sample(); },
       [](Built& b) {
         zwtest::Set16(b.bytes, b.endPos + 8, 0xFFFE);
         zwtest::Set16(b.bytes, b.endPos + 10, 0xFFFE);
       },
       false, 0, TZipError::BadDirectory},
      {"no header at the directory offset", [&] { return sample(); },
       [](Built& b) { zwtest::Set32(b.bytes, b.endPos + 16, static_cast<uint32_t>(b.cdOffset - 1)); }, false, 0,
       TZipError::BadDirectory},
      {"a name running past the directory", [&] { return sample(); },
       [](Built& b) { zwtest::Set16(b.bytes, b.cdOffset + 46 + 5 + 28, 0xFFFF); }, true, 1, TZipError::BadEntry},
      {"an archive on several disks", [&] { return sample(); },
       [](Built& b) {
         zwtest::Set16(b.bytes, b.endPos + 4, 2);
         zwtest::Set16(b.bytes, b.endPos + 6, 1);
       },
       false, 0, TZipError::MultiDisk},
  };
  for (const auto& c : cases) {
    Built b = c.build();
    if (c.damage) c.damage(b);
    const std::string path = tree.File("a.zip", b.bytes);
    TZipReader r;
    ASSERT_EQ(r.Open(path), c.opens) << c.what << ": " << static_cast<int>(r.LastError());
    EXPECT_EQ(r.IsOpen(), c.opens) << c.what;
    EXPECT_EQ(c.opens ? CountEntries(r) : 0u, c.entries) << c.what;
    EXPECT_EQ(r.LastError(), c.error) << c.what;
    EXPECT_EQ(TZipReader::CanRead(path), c.error == TZipError::None) << c.what;
  }
  TZipReader r;
  EXPECT_FALSE(r.Open(tree.PathOf("none.zip")));
  EXPECT_EQ(r.LastError(), TZipError::OpenFailed);
  EXPECT_NE(r.OsErr().code, 0);
}

TEST(ZipDirectory, Zip64RecordsAndExtraFieldsGiveTheTrueValues) {
  zwtest::TempTree tree;
  const std::string path =
      tree.File("a.zip", BuildZip({{"big.iso", "abc", 0x20, 0, true, 5ull << 30}, {"s.txt", "s"}}, "c", true).bytes);
  TZipReader r;
  ASSERT_TRUE(r.Open(path));
  EXPECT_TRUE(r.IsZip64());
  EXPECT_EQ(r.EntryCount(), 2u);
  Sink sink;
  ASSERT_TRUE(sink.Read(path));
  ASSERT_EQ(sink.found.size(), 2u);
  EXPECT_EQ(sink.found[0].size, 5ull << 30);
  EXPECT_EQ(sink.found[0].crc, zw::Crc32("abc", 3));
}

// Random damage is the fuzz target's (tests/fuzz).
TEST(ZipDirectory, EveryTruncationFails) {
  zwtest::TempTree tree;
  const std::string whole = BuildZip(SampleMembers(), "comment").bytes;
  const std::string path = tree.PathOf("t.zip");
  for (size_t len = 0; len < whole.size(); ++len) {
    tree.File("t.zip", whole.substr(0, len));
    TZipReader r;
    // A cut before the end record loses it; a cut into the comment leaves a
    // record whose comment no longer fits the file.
    EXPECT_FALSE(r.Open(path)) << len;
  }
}

TEST(ZipInBrowse, ArchivesInFoldersAreReadWhenAsked) {
  zwtest::TempTree tree;
  const std::string zip = tree.File("d/a.zip", BuildZip(SampleMembers()).bytes);
  tree.File("d/plain.txt", "p");
  tree.File("d/bad.zip", "PK\x03\x04 not really an archive");
  for (bool scanArchives : {false, true}) {
    zwtest::BrowseRun r;
    r.thread->SetZipBrowser(zw::MakeZipBrowser());
    r.thread->scanArchives = scanArchives;
    r.thread->fresh.Add(zw::dsRecursive, tree.Dir("d"));
    r.Run();
    // The archives themselves and the plain file; then the three file members.
    ASSERT_EQ(r.found.size(), scanArchives ? 6u : 3u);
    EXPECT_EQ(r.thread->fresh.filesFound.load(), static_cast<int>(r.found.size()));
    if (!scanArchives) continue;
    const Found* readme = r.ByName("readme.txt");
    ASSERT_NE(readme, nullptr);
    EXPECT_EQ(readme->path, zip + ">" + Sep("/docs/"));
    EXPECT_EQ(readme->flags, 0x31);
    // Nothing is said about the damaged archive.
    for (const auto& m : r.messenger.Messages())
      for (const auto& a : m.args)
        EXPECT_EQ(std::get_if<std::string>(&a) ? std::get<std::string>(a).find("bad.zip") : std::string::npos,
                  std::string::npos);
  }
}

#ifndef _WIN32
bool Have(const char* tool) { return std::system((std::string("command -v ") + tool + " >/dev/null 2>&1").c_str()) == 0; }

// Python's own view of an archive: name -> size and CRC32 of every file
// member, against what the reader gives.
void ExpectSameAsPython(const zwtest::TempTree& tree, const std::string& zip) {
  const std::string out = tree.PathOf("view.txt");
  const std::string script = tree.File(
      "view.py",
      "import sys, zipfile\n"
      "with zipfile.ZipFile(sys.argv[1]) as z, open(sys.argv[2], 'w', encoding='utf-8') as o:\n"
      "    for i in z.infolist():\n"
      "        if not i.is_dir(): o.write('%s\\t%d\\t%d\\n' % (i.filename, i.file_size, i.CRC))\n");
  ASSERT_EQ(std::system(("python3 '" + script + "' '" + zip + "' '" + out + "'").c_str()), 0);
  std::map<std::string, std::pair<uint64_t, uint32_t>> view, ours;
  std::ifstream in(out, std::ios::binary);
  for (std::string name, size, crc; std::getline(in, name, '\t') && std::getline(in, size, '\t') && std::getline(in, crc);)
    view[name] = {std::stoull(size), static_cast<uint32_t>(std::stoul(crc))};
  ASSERT_FALSE(view.empty());
  Sink sink;
  ASSERT_TRUE(sink.Read(zip));
  const std::string prefix = zw::platform::ExtractFileName(zip) + ">/";
  for (const Found& f : sink.found) {
    ASSERT_EQ(f.path.rfind(prefix, 0), 0u) << f.path;
    ours[f.path.substr(prefix.size()) + f.name] = {f.size, f.crc};
  }
  EXPECT_EQ(ours, view);
}

TEST(ZipOtherTools, ArchivesOfInfoZipAndPythonReadAsPythonReadsThem) {
  if (!Have("python3")) GTEST_SKIP() << "python3 missing";
  zwtest::TempTree tree;
  // Non-ASCII names, a folder member, stored and deflated, a zip64 member, a
  // full-length comment.
  const std::string py = tree.PathOf("py.zip");
  const std::string make = tree.File(
      "make.py",
      "import sys, zipfile\n"
      "with zipfile.ZipFile(sys.argv[1], 'w', zipfile.ZIP_DEFLATED) as z:\n"
      "    z.writestr('Gr\\u00fc\\u00dfe/\\u65e5\\u672c.txt', 'x' * 1000)\n"
      "    z.writestr(zipfile.ZipInfo('dir/'), '')\n"
      "    z.writestr('plain/stored.bin', b'\\x00\\x01' * 50, compress_type=zipfile.ZIP_STORED)\n"
      "    with z.open('big/forced.bin', 'w', force_zip64=True) as f: f.write(b'q' * 4096)\n"
      "    z.comment = b'k' * 65535\n");
  ASSERT_EQ(std::system(("python3 '" + make + "' '" + py + "'").c_str()), 0);
  ExpectSameAsPython(tree, py);
  if (!Have("zip")) GTEST_SKIP() << "zip missing";
  // Folders, deflated members, one stored member added later, a long comment.
  tree.File("src/a.txt", std::string(5000, 'a'));
  tree.SizedFile("src/one/two/three/r.bin", 7000, 3);
  tree.File("src/one/empty.txt", "");
  tree.Dir("src/emptydir");
  tree.File("comment.txt", std::string(60000, 'z'));
  const std::string root = tree.Root();
  ASSERT_EQ(std::system(("cd '" + root + "src' && zip -q -r ../info.zip . && zip -q -0 ../info.zip "
                         "one/two/three/r.bin && zip -q -z ../info.zip < ../comment.txt")
                            .c_str()),
            0);
  ExpectSameAsPython(tree, root + "info.zip");
  // Read from a pipe, Info-ZIP cannot know the size and writes zip64 fields.
  tree.File("in.txt", std::string(3000, 'p'));
  if (std::system(("cd '" + root + "' && cat in.txt | zip -q -fz z64.zip - >/dev/null 2>&1").c_str()) == 0)
    ExpectSameAsPython(tree, root + "z64.zip");
}
#endif

}  // namespace
