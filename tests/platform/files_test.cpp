// Files and folders on the real file system: enumeration, attributes, links
// and special files, times, large files, reading, writing, names and folders,
// and what each operation says when it fails.
#include "platform/files.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/paths.h"
#include "support/files.h"
#include "support/temp_tree.h"

#ifdef _WIN32
#include <windows.h>
#include <winioctl.h>

#include "platform/win32/files_win32_detail.h"
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/posix/files_posix_detail.h"
#endif

namespace zw::platform {
namespace {

namespace fs = std::filesystem;
using zwtest::ReadAll;

// A temporary folder; paths are written with "/" and come back in the
// platform's form.
class Files : public ::testing::Test {
 protected:
  std::string P(std::string rel) const {
    for (char& c : rel)
      if (c == '/') c = kPathSep;
    return root_ + rel;
  }
  void Write(const std::string& rel, const std::string& content) const { tree_.File(rel, content); }
  void Folder(const std::string& rel) const { tree_.Dir(rel); }

  // Every record of a folder by name; a name seen twice fails the test.
  static std::map<std::string, FindData> List(const std::string& folder) {
    std::map<std::string, FindData> out;
    DirEnum e;
    OsError err;
    EXPECT_TRUE(e.Open(folder, err)) << folder << ": " << err.code;
    for (FindData fd; e.Next(fd);) EXPECT_TRUE(out.emplace(fd.name, fd).second) << "twice: " << fd.name;
    EXPECT_FALSE(e.LastError());
    return out;
  }

  zwtest::TempTree tree_;
  const std::string root_ = tree_.Root();
};

// ================================================================ enumeration

TEST_F(Files, EnumerationGivesEveryRecordOnceWithDotAndDotDot) {
  Write("a.txt", "alpha");
  Write("b.bin", zwtest::RandomBytes(12345, 1));
  Write("empty", "");
  Write("sub/inner.txt", "not listed at this level");
  Folder("sub2");
  const auto records = List(root_);
  ASSERT_EQ(records.size(), 7u);
  for (const char* name : {".", "..", "sub", "sub2"}) EXPECT_TRUE(records.at(name).IsFolder()) << name;
  EXPECT_EQ(records.at("sub").size, 0u);
  EXPECT_FALSE(records.at("a.txt").IsFolder());
  EXPECT_EQ(records.at("a.txt").size, 5u);
  EXPECT_EQ(records.at("b.bin").size, 12345u);
  EXPECT_EQ(records.at("empty").size, 0u);
  for (const auto& [name, fd] : records) EXPECT_FALSE(fd.isLink || fd.isSpecial) << name;
  EXPECT_EQ(List(ExcludeTrailingSep(root_)).size(), 7u);  // with or without the separator
  EXPECT_EQ(List(P("sub2")).size(), 2u);                  // an empty folder: "." and ".."
  // Thousands of records, each once.
  for (int i = 0; i < 3000; ++i) Write("many/file-" + std::to_string(i) + ".dat", std::to_string(i));
  const auto many = List(P("many"));
  EXPECT_EQ(many.size(), 3002u);
  // Reopened, it starts again; at its end and closed, it stays there.
  DirEnum e;
  OsError err;
  FindData fd;
  for (int round = 0; round < 2; ++round) {
    ASSERT_TRUE(e.Open(P("sub"), err));
    int n = 0;
    while (e.Next(fd)) ++n;
    EXPECT_EQ(n, 3);
    EXPECT_FALSE(e.Next(fd));
  }
  e.Close();
  EXPECT_FALSE(e.Next(fd));
}

#ifndef _WIN32
TEST_F(Files, PosixEnumerationLeavesOutRecordsThatVanishAfterListing) {
  for (const char* n : {"v1", "v2", "v3", "v4"}) Write(n, "gone soon");
  DirEnum e;
  OsError err;
  ASSERT_TRUE(e.Open(root_, err));
  FindData fd;
  ASSERT_TRUE(e.Next(fd));  // the listing is read in one go here
  for (const char* n : {"v1", "v2", "v3", "v4"}) fs::remove(P(n));
  while (e.Next(fd)) EXPECT_TRUE(fd.name == "." || fd.name == "..") << "vanished record reported: " << fd.name;
  EXPECT_FALSE(e.LastError());
}
#endif

// ================================================================ attributes

TEST_F(Files, AttributesOfPlainHiddenAndReadOnlyFiles) {
  Write("f", "x");
  Folder("d");
  OsError err;
#ifdef _WIN32
  const std::string file = "secret", dir = "secretdir";
  Write(file, "x");
  Folder(dir);
  ASSERT_TRUE(SetAttributes(P(file), attr::kHidden, err) && SetAttributes(P(dir), attr::kHidden, err)) << err.code;
#else
  const std::string file = ".secret", dir = ".secretdir";
  Write(file, "x");
  Folder(dir);
#endif
  auto records = List(root_);
  EXPECT_EQ(records.at("f").attributes & (attr::kDirectory | attr::kHidden | attr::kReadOnly), 0u);
  EXPECT_NE(records.at("d").attributes & attr::kDirectory, 0u);
  EXPECT_EQ(records.at(file).attributes & (attr::kHidden | attr::kDirectory), attr::kHidden);
  EXPECT_EQ(records.at(dir).attributes & (attr::kHidden | attr::kDirectory), attr::kHidden | attr::kDirectory);
#ifndef _WIN32
  EXPECT_EQ(records.at("f").attributes, attr::kNormal);
  for (const char* name : {"d", ".", ".."}) EXPECT_EQ(records.at(name).attributes, attr::kDirectory) << name;
#endif
  uint32_t a = 0;
  ASSERT_TRUE(GetAttributes(P(file), a, err));
  EXPECT_EQ(a & (attr::kHidden | attr::kNormal), attr::kHidden);
  // Read-only: set, seen by both ways, refused for writing, cleared.
  ASSERT_TRUE(SetAttributes(P("f"), attr::kReadOnly, err)) << err.code;
  ASSERT_TRUE(GetAttributes(P("f"), a, err));
  EXPECT_NE(a & attr::kReadOnly, 0u);
  EXPECT_NE(List(root_).at("f").attributes & attr::kReadOnly, 0u);
  File f;
  EXPECT_FALSE(f.OpenReadWrite(P("f"), err));
  EXPECT_EQ(err.kind, ErrKind::AccessDenied);
  EXPECT_TRUE(f.OpenRead(P("f"), err)) << err.code;
#ifndef _WIN32
  EXPECT_EQ(fs::status(P("f")).permissions() & fs::perms::owner_write, fs::perms::none);
#endif
  ASSERT_TRUE(SetAttributes(P("f"), attr::kNormal, err)) << err.code;
  ASSERT_TRUE(GetAttributes(P("f"), a, err));
  EXPECT_EQ(a & attr::kReadOnly, 0u);
  EXPECT_TRUE(f.OpenReadWrite(P("f"), err)) << err.code;
}

// ================================================================ links and special files

#ifdef _WIN32
TEST(LinkRule, FoldersWithAnyReparsePointAndFileLinksAreLinks) {
  const struct {
    uint32_t attributes, tag;
    bool link;
  } cases[] = {
      {0x10, 0, false},                               // plain folder
      {0x20, detail::kReparseTagSymlink, false},      // no reparse bit: the tag means nothing
      {0x410, 0x80000023UL, true},                    // folder with any reparse point
      {0x410, detail::kReparseTagMountPoint, true},   // junction
      {0x420, detail::kReparseTagSymlink, true},      // file symbolic link
      {0x420, detail::kReparseTagMountPoint, true},
      {0x420, 0x80000013UL, false},                   // deduplicated file: has data
      {0x400, 0x9000001AUL, false},                   // cloud file
  };
  for (const auto& c : cases) EXPECT_EQ(detail::IsLinkRecord(c.attributes, c.tag), c.link) << std::hex << c.attributes << " " << c.tag;
}

// Creates a symbolic link if this system lets us; the reason otherwise.
bool TryLink(const std::string& link, const std::string& target, bool folder, std::string& why) {
  const DWORD flags = (folder ? SYMBOLIC_LINK_FLAG_DIRECTORY : 0) | 0x2;  // allow unprivileged create
  if (CreateSymbolicLinkA(link.c_str(), target.c_str(), flags)) {
    const DWORD a = GetFileAttributesA(link.c_str());
    if (a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_REPARSE_POINT) != 0) return true;
    why = "CreateSymbolicLinkA reports success but made no reparse point";
    return false;
  }
  why = "CreateSymbolicLinkA failed with error " + std::to_string(GetLastError());
  return false;
}
#endif

TEST_F(Files, SymbolicLinksToFoldersAndFilesAreReportedAsLinks) {
  Write("realdir/x", "x");
  Write("realfile", "content");
#ifdef _WIN32
  std::string why;
  if (!TryLink(P("dirlink"), P("realdir"), true, why) || !TryLink(P("filelink"), P("realfile"), false, why))
    GTEST_SKIP() << "no symbolic links on this system: " << why;
#else
  fs::create_directory_symlink(P("realdir"), P("dirlink"));
  fs::create_symlink(P("realfile"), P("filelink"));
  fs::create_symlink(P("nowhere"), P("dangling"));
  fs::create_symlink(P("t"), P(".hiddenlink"));
#endif
  const auto records = List(root_);
  for (const char* name : {"dirlink", "filelink"}) {
    const FindData& fd = records.at(name);
    EXPECT_TRUE(fd.isLink) << name;
    EXPECT_NE(fd.attributes & attr::kReparsePoint, 0u) << name;
    EXPECT_EQ(fd.size, 0u) << name;
  }
  FindData info;
  OsError err;
  for (const std::string& path : {P("dirlink"), P("dirlink") + kPathSep, P("filelink")}) {  // the link, not its target
    ASSERT_TRUE(GetFileInfo(path, info, err)) << path;
    EXPECT_TRUE(info.isLink) << path;
  }
  EXPECT_EQ(info.name, "filelink");
#ifndef _WIN32
  // POSIX: a link never looks like a folder to a scan, whatever it points at.
  EXPECT_EQ(records.at("dirlink").attributes, attr::kReparsePoint);
  EXPECT_EQ(records.at(".hiddenlink").attributes, attr::kReparsePoint | attr::kHidden);
  EXPECT_TRUE(records.at("dangling").isLink);
  EXPECT_TRUE(FolderExists(P("dirlink")));  // these two follow the link
  EXPECT_TRUE(FileExists(P("filelink")));
  EXPECT_FALSE(FileExists(P("dangling")));
#endif
}

#ifndef _WIN32
TEST_F(Files, PosixPipesAreSpecialAndNeverHangAReaderOrAWriter) {
  ASSERT_EQ(mkfifo(P("pipe").c_str(), 0644), 0) << std::strerror(errno);
  const FindData fd = List(root_).at("pipe");
  EXPECT_TRUE(fd.isSpecial);
  EXPECT_FALSE(fd.isLink);
  EXPECT_EQ(fd.attributes & (attr::kSystem | attr::kDirectory), attr::kSystem);
  EXPECT_EQ(fd.size, 0u);
  // No writer: opening must not block, and reading ends at once.
  File f;
  OsError err;
  ASSERT_TRUE(f.OpenRead(P("pipe"), err)) << err.code;
  char buf[8];
  size_t got = 99;
  EXPECT_TRUE(f.Read(buf, sizeof buf, got, err));
  EXPECT_EQ(got, 0u);
  f.Close();
  // No reader: appending is refused at once instead of waiting for one.
  EXPECT_FALSE(f.OpenAppend(P("pipe"), false, err));
  EXPECT_EQ(err.code, ENXIO);
}
#endif

// ================================================================ times

TEST_F(Files, WriteTimesAreTheCurrentOnesOrThoseSet) {
  const FileTime before = NowUtc();
  Write("now", "fresh");
  const FileTime after = NowUtc(), slack = 5 * kTicksPerSecond;  // file systems keep 2 s at worst
  FindData info;
  OsError err;
  ASSERT_TRUE(GetFileInfo(P("now"), info, err));
  EXPECT_TRUE(info.lastWriteUtc + slack >= before && info.lastWriteUtc <= after + slack);
  const FindData listed = List(root_).at("now");
  EXPECT_EQ(listed.lastWriteUtc, info.lastWriteUtc);
  EXPECT_TRUE(listed.creationUtc + slack >= before && listed.creationUtc <= after + slack);
  const FileTime when = zwtest::At(2001, 2, 3, 4, 5, 6, 789);
  {
    File f;
    ASSERT_TRUE(f.CreateNew(P("dated"), err));
    ASSERT_TRUE(f.Write("abc", 3, err));
    ASSERT_TRUE(f.SetLastWriteTime(when, err)) << err.code;
  }
  ASSERT_TRUE(GetFileInfo(P("dated"), info, err));
  EXPECT_EQ(info.lastWriteUtc, when);
  EXPECT_EQ(List(root_).at("dated").lastWriteUtc, when);
}

// ================================================================ large files

// Allocated bytes of a file on disk; -1 when unknown.
int64_t AllocatedBytes(const std::string& path) {
#ifdef _WIN32
  // The allocation size, not GetCompressedFileSize: wine answers the latter
  // with the file size even for a sparse file. Attribute access only: the
  // file is open without sharing meanwhile.
  const HANDLE h = CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                               nullptr, OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return -1;
  FILE_STANDARD_INFO info{};
  const BOOL ok = GetFileInformationByHandleEx(h, FileStandardInfo, &info, sizeof info);
  CloseHandle(h);
  return ok ? static_cast<int64_t>(info.AllocationSize.QuadPart) : -1;
#else
  struct stat st {};
  return stat(path.c_str(), &st) == 0 ? static_cast<int64_t>(st.st_blocks) * 512 : -1;
#endif
}

TEST_F(Files, SizesAndOffsetsBeyondFourGiBAreExact) {
  const uint64_t size = 5ull << 30, tailAt = (4ull << 30) + 123;
  const std::string path = P("big.sparse");
  OsError err;
  {
    File f;
    ASSERT_TRUE(f.CreateNew(path, err));
  }
#ifdef _WIN32
  const HANDLE h = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  DWORD returned = 0;
  if (h != INVALID_HANDLE_VALUE) DeviceIoControl(h, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &returned, nullptr);  // best effort
  if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
#endif  // elsewhere extending with ftruncate leaves a hole where the file system can
  {
    File f;
    ASSERT_TRUE(f.OpenReadWrite(path, err)) << err.code;
    ASSERT_TRUE(f.SetSize(size, err)) << err.code;
    const int64_t used = AllocatedBytes(path);
    if (used < 0 || used > 64 * 1024 * 1024) {
      f.Close();
      fs::remove(path);
      GTEST_SKIP() << "this file system cannot hold a sparse 5 GiB file (" << used << " bytes allocated)";
    }
    ASSERT_TRUE(f.Seek(tailAt, err));
    ASSERT_TRUE(f.Write("tail", 4, err));
  }
  EXPECT_EQ(List(root_).at("big.sparse").size, size);
  File f;
  ASSERT_TRUE(f.OpenRead(path, err));
  uint64_t n = 0;
  ASSERT_TRUE(f.Size(n, err));
  EXPECT_EQ(n, size);
  char buf[16];
  size_t got = 0;
  const struct {
    uint64_t at;
    size_t count;
    std::string bytes;
  } reads[] = {{tailAt, 4, "tail"}, {123, 4, std::string(4, '\0')},  // the same low 32 bits: the hole
               {size - 2, sizeof buf, std::string(2, '\0')}, {size, sizeof buf, ""}};
  for (const auto& r : reads) {
    ASSERT_TRUE(f.ReadAt(r.at, buf, r.count, got, err));
    EXPECT_EQ(std::string(buf, got), r.bytes) << r.at;
  }
  ASSERT_TRUE(f.Seek(tailAt + 1, err));
  ASSERT_TRUE(f.Read(buf, 3, got, err));
  EXPECT_EQ(std::string(buf, got), "ail");
}

// ================================================================ reading and writing

TEST_F(Files, ReadReadAtAndSeek) {
  const std::string content = zwtest::RandomBytes(10000, 1);
  Write("data", content);
  File f;
  OsError err;
  ASSERT_TRUE(f.OpenRead(P("data"), err)) << err.code;
  std::string seen;
  char buf[4096];
  for (size_t got = sizeof buf; got == sizeof buf;) {  // a short count only at the end
    ASSERT_TRUE(f.Read(buf, sizeof buf, got, err));
    seen.append(buf, got);
  }
  EXPECT_EQ(seen, content);
  size_t got = 7;
  ASSERT_TRUE(f.Read(buf, sizeof buf, got, err));
  EXPECT_EQ(got, 0u);
  ASSERT_TRUE(f.Seek(10, err));
  for (uint64_t at : {0ull, 1ull, 4095ull, 4096ull, 9900ull, 9950ull, 20000ull}) {
    ASSERT_TRUE(f.ReadAt(at, buf, 100, got, err));
    EXPECT_EQ(std::string(buf, got), at < content.size() ? content.substr(at, 100) : "") << at;
  }
  ASSERT_TRUE(f.Read(buf, 10, got, err));  // ReadAt left the position alone
  EXPECT_EQ(std::string(buf, got), content.substr(10, 10));
}

TEST_F(Files, WritingCreatesReplacesCutsAndChangesInPlace) {
  const std::string content = zwtest::RandomBytes(300000, 11);
  File f;
  OsError err;
  ASSERT_TRUE(f.CreateNew(P("new"), err)) << err.code;
  ASSERT_TRUE(f.Write(content.data(), 1000, err) && f.Write(content.data() + 1000, content.size() - 1000, err));
  ASSERT_TRUE(f.Flush(err));
  uint64_t size = 0;
  ASSERT_TRUE(f.Size(size, err));
  EXPECT_EQ(size, content.size());
  char back[100];
  size_t got = 0;
  ASSERT_TRUE(f.ReadAt(5000, back, sizeof back, got, err));
  EXPECT_EQ(std::string(back, got), content.substr(5000, 100));
  f.Close();
  EXPECT_EQ(ReadAll(P("new")), content);
  Write("f", "a long original content");
  ASSERT_TRUE(f.CreateAlways(P("f"), err)) << err.code;  // empties it
  ASSERT_TRUE(f.Write("0123456789", 10, err));
  ASSERT_TRUE(f.SetSize(4, err) && f.SetSize(8, err));
  ASSERT_TRUE(f.Write("X", 1, err));  // the position is still 10
  f.Close();
  EXPECT_EQ(ReadAll(P("f")), std::string("0123\0\0\0\0\0\0X", 11));
  ASSERT_TRUE(f.OpenReadWrite(P("f"), err)) << err.code;
  ASSERT_TRUE(f.Seek(2, err) && f.Write("XY", 2, err));
  f.Close();
  EXPECT_EQ(ReadAll(P("f")), std::string("01XY\0\0\0\0\0\0X", 11));
  ASSERT_TRUE(f.OpenAppend(P("f"), false, err) && f.Write("+", 1, err));
  f.Close();
  EXPECT_EQ(ReadAll(P("f")).back(), '+');
  ASSERT_TRUE(f.OpenAppend(P("log"), true, err) && f.Write("a", 1, err));  // a missing file is made
  f.Close();
  EXPECT_EQ(ReadAll(P("log")), "a");
}

TEST_F(Files, NamesOutsideEverySingleByteCodePageListAndOpen) {
  // u-umlaut, Cyrillic zhe, the euro sign and a CJK sign: no ANSI code page
  // holds them all. The file is made through the wide names another program
  // would use; the narrow API must list and open it by its UTF-8 name (on
  // Windows that takes the UTF-8 manifest).
  const std::string name = "gr\xC3\xBC\xC3\x9F-\xD0\xB6-\xE2\x82\xAC-\xE6\xBC\xA2.txt";
  std::ofstream(tree_.RootPath() / fs::path(std::u8string(name.begin(), name.end())), std::ios::binary) << "x";
  EXPECT_EQ(List(root_).count(name), 1u);
  FindData fd;
  OsError err;
  ASSERT_TRUE(GetFileInfo(P(name), fd, err)) << err.code;
  EXPECT_EQ(fd.name, name);
  EXPECT_EQ(fd.size, 1u);
  File f;
  ASSERT_TRUE(f.OpenRead(P(name), err)) << err.code;
  ASSERT_TRUE(f.CreateNew(P(name + ".copy"), err)) << err.code;
  f.Close();
  EXPECT_TRUE(fs::exists(tree_.RootPath() / fs::path(std::u8string(name.begin(), name.end()) + u8".copy")));
}

// Whether this process holds `path` open: on Windows a file opened to write
// is open to no one else; elsewhere the process's descriptors name it.
int Held(const std::string& path) {
#ifdef _WIN32
  File probe;
  OsError err;
  return probe.OpenReadWrite(path, err) ? 0 : 1;
#else
  int n = 0;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator("/proc/self/fd")) n += fs::read_symlink(entry.path(), ec) == fs::path(path);
  return n;
#endif
}

TEST_F(Files, EveryWayOfLettingGoClosesTheFile) {
  Write("f", "x");
  Write("g", "y");
  OsError err;
  {
    File f;
    ASSERT_TRUE(f.OpenReadWrite(P("f"), err));
    EXPECT_EQ(Held(P("f")), 1);
  }
  EXPECT_EQ(Held(P("f")), 0);  // the destructor
  File f, other;
  ASSERT_TRUE(f.OpenReadWrite(P("f"), err) && f.OpenReadWrite(P("g"), err));
  EXPECT_EQ(Held(P("f")), 0);  // opening anew
  ASSERT_TRUE(other.OpenReadWrite(P("f"), err));
  f = std::move(other);  // the assignment lets go of "g"
  EXPECT_EQ(Held(P("g")), 0);
  EXPECT_FALSE(other.IsOpen());  // NOLINT(bugprone-use-after-move): the moved-from state
  File moved(std::move(f));
  EXPECT_FALSE(f.IsOpen());  // NOLINT(bugprone-use-after-move)
  EXPECT_EQ(Held(P("f")), 1);
  char buf[1];
  size_t got = 0;
  ASSERT_TRUE(moved.Read(buf, 1, got, err));
  EXPECT_EQ(std::string(buf, got), "x");
  EXPECT_FALSE(moved.OpenRead(P("missing"), err));  // a failed open lets go too
  EXPECT_EQ(Held(P("f")), 0);
}

// ================================================================ names and folders

TEST_F(Files, RenameNoReplaceMovesFilesAndFoldersAndNeverReplacesAnything) {
  Write("from", "payload");
  Write("old/inside", "kept");
  Write("taken", "theirs");
  Folder("dir");
  OsError err;
  ASSERT_TRUE(RenameNoReplace(P("from"), P("dir/to"), err)) << err.code;
  EXPECT_EQ(ReadAll(P("dir/to")), "payload");
  EXPECT_FALSE(FileExists(P("from")));
  ASSERT_TRUE(RenameNoReplace(P("old"), P("new"), err)) << err.code;
  EXPECT_EQ(ReadAll(P("new/inside")), "kept");
  EXPECT_FALSE(FolderExists(P("old")));
  EXPECT_FALSE(RenameNoReplace(P("dir/to"), P("taken"), err));
  EXPECT_EQ(err.kind, ErrKind::AlreadyExists) << err.code;
  EXPECT_FALSE(RenameNoReplace(P("dir/to"), P("new"), err));
  EXPECT_EQ(ReadAll(P("dir/to")), "payload");
  EXPECT_EQ(ReadAll(P("taken")), "theirs");
  EXPECT_TRUE(FolderExists(P("new")));
#ifndef _WIN32
  // The fallbacks: a link and an unlink, or a copy through a temporary name.
  EXPECT_FALSE(detail::RenameByLink(P("dir/to"), P("taken"), err));
  EXPECT_EQ(err.kind, ErrKind::AlreadyExists);
  ASSERT_TRUE(detail::RenameByLink(P("dir/to"), P("linked"), err)) << err.code;
  EXPECT_EQ(ReadAll(P("linked")), "payload");
  const std::string big = zwtest::RandomBytes(3 << 20, 5);  // more than one copy buffer
  Write("src", big);
  {
    File f;
    ASSERT_TRUE(f.OpenReadWrite(P("src"), err));
    ASSERT_TRUE(f.SetLastWriteTime(UnixToFileTime(1000000000, 123456700), err));
  }
  ASSERT_EQ(chmod(P("src").c_str(), 0640), 0);
  EXPECT_FALSE(detail::MoveByCopy(P("src"), P("taken"), err));
  EXPECT_EQ(err.kind, ErrKind::AlreadyExists);
  EXPECT_EQ(ReadAll(P("taken")), "theirs");
  ASSERT_TRUE(detail::MoveByCopy(P("src"), P("dst"), err)) << err.code;
  EXPECT_FALSE(FileExists(P("src")));
  EXPECT_EQ(ReadAll(P("dst")), big);
  FindData info;
  ASSERT_TRUE(GetFileInfo(P("dst"), info, err));
  EXPECT_EQ(info.lastWriteUtc, UnixToFileTime(1000000000, 123456700));
  struct stat st {};
  ASSERT_EQ(stat(P("dst").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  EXPECT_EQ(List(root_).size(), 7u) << "nothing temporary is left beside ., .., dir, new, taken, linked and dst";
#endif
}

#ifndef _WIN32
TEST_F(Files, PosixMovesAcrossFileSystemsNeverReplaceEither) {
  struct stat a {}, b {};
  if (stat("/dev/shm", &a) != 0 || stat(root_.c_str(), &b) != 0 || a.st_dev == b.st_dev)
    GTEST_SKIP() << "no second file system at /dev/shm";
  const std::string there = "/dev/shm/zw-files-" + std::to_string(getpid());
  Write("cross", "travels");
  zwtest::WriteAll(there, "already here");
  OsError err;
  EXPECT_FALSE(RenameNoReplace(P("cross"), there, err));
  EXPECT_EQ(err.kind, ErrKind::AlreadyExists);
  EXPECT_EQ(ReadAll(there), "already here");
  fs::remove(there);
  ASSERT_TRUE(RenameNoReplace(P("cross"), there, err)) << err.code;
  EXPECT_FALSE(FileExists(P("cross")));
  EXPECT_EQ(ReadAll(there), "travels");
  fs::remove(there);
}
#endif

TEST_F(Files, IdentityTellsTheNamesOfOneFileFromOtherFiles) {
  Write("one", "x");
  Write("two", "x");
  fs::create_hard_link(P("one"), P("alias"));
  OsError err;
  FileId one, two, alias, open, folder, byName;
  ASSERT_TRUE(GetFileId(P("one"), one, err) && GetFileId(P("two"), two, err) && GetFileId(P("alias"), alias, err)) << err.code;
  EXPECT_EQ(one, alias);
  EXPECT_NE(one, two);
  File f;
  uint32_t links = 0;
  ASSERT_TRUE(f.OpenRead(P("alias"), err) && f.Identity(open, links, err)) << err.code;
  EXPECT_EQ(open, one);
  EXPECT_EQ(links, 2u);
  // The folder an enumeration reads is the folder its name leads to.
  DirEnum e;
  ASSERT_TRUE(e.Open(root_, err) && e.Identity(folder, err) && GetFileId(root_, byName, err)) << err.code;
  EXPECT_EQ(folder, byName);
#ifndef _WIN32
  // POSIX enumerations tell both; Windows ones tell neither.
  const auto records = List(root_);
  EXPECT_EQ(records.at("alias").id, one);
  EXPECT_EQ(records.at("alias").links, 2u);
  EXPECT_EQ(records.at("two").links, 1u);
#endif
}

TEST_F(Files, RealPathIsTheNameTheFileSystemGives) {
  Write("a/b/f", "x");
  const std::string real = RealPath(P("a/b"));
  ASSERT_FALSE(real.empty());
  EXPECT_TRUE(SamePath(RealPath(P("a/./b/../b/")), real));
  EXPECT_TRUE(SamePath(RealPath(P("a/b/f")), IncludeTrailingSep(real) + "f"));
  EXPECT_NE(real.back(), kPathSep);
  EXPECT_TRUE(RealPath(P("a/missing")).empty());
#ifndef _WIN32
  fs::create_directory_symlink(P("a/b"), P("link"));
  EXPECT_EQ(RealPath(P("link/f")), real + "/f");
#endif
}

TEST_F(Files, RemovingAndCreatingFilesAndFolders) {
  Write("f", "x");
  Write("ro", "x");
  Write("full/x", "x");
  Folder("empty");
  OsError err;
  ASSERT_TRUE(RemoveFile(P("f"), err)) << err.code;
  EXPECT_FALSE(FileExists(P("f")));
  ASSERT_TRUE(SetAttributes(P("ro"), attr::kReadOnly, err));
#ifdef _WIN32
  EXPECT_FALSE(RemoveFile(P("ro"), err));  // Windows refuses a read-only file
  EXPECT_EQ(err.kind, ErrKind::AccessDenied);
  ASSERT_TRUE(SetAttributes(P("ro"), attr::kNormal, err));
#endif
  EXPECT_TRUE(RemoveFile(P("ro"), err)) << err.code;
  ASSERT_TRUE(RemoveEmptyFolder(P("empty"), err)) << err.code;
  EXPECT_FALSE(FolderExists(P("empty")));
  ASSERT_TRUE(CreateFolders(P("a/b/c/"), err)) << err.code;
  ASSERT_TRUE(CreateFolders(P("a/b/c"), err));  // already there
  EXPECT_TRUE(FolderExists(P("a/b/c")) && FolderExists(P("a/b/c") + kPathSep));
  EXPECT_FALSE(FileExists(P("a")) || FileExists(P("none")) || FolderExists(P("none")) || FileExists(""));
  EXPECT_TRUE(FileExists(P("full/x")) && !FolderExists(P("full/x")));
  FindData info;
  ASSERT_TRUE(GetFileInfo(P("full") + kPathSep, info, err));
  EXPECT_EQ(info.name, "full");
  EXPECT_TRUE(info.IsFolder());
}

#ifdef _WIN32
constexpr int kNotFound = ERROR_FILE_NOT_FOUND, kPathNotFound = ERROR_PATH_NOT_FOUND, kFolderAsFile = ERROR_ACCESS_DENIED;
#else
constexpr int kNotFound = ENOENT, kPathNotFound = ENOENT, kFolderAsFile = EISDIR;
#endif

TEST_F(Files, FailuresCarryTheNativeCodeAndTheirKind) {
  Write("file", "x");
  Write("full/x", "x");
  Folder("dir");
  FindData fd;
  uint32_t a = 0;
  uint64_t n = 0;
  File f;
  DirEnum e;
  char buf[4];
  size_t got = 0;
  const ErrKind kAny = ErrKind::Other;  // any failure with a code
  const struct {
    const char* what;
    std::function<bool(OsError&)> op;
    ErrKind kind;
    int code;  // 0: any
  } cases[] = {
      {"enumerating a missing folder", [&](OsError& err) { return e.Open(P("missing"), err); }, ErrKind::PathNotFound, kPathNotFound},
      {"enumerating below a missing folder", [&](OsError& err) { return e.Open(P("missing/deeper/"), err); }, ErrKind::PathNotFound, kPathNotFound},
      {"enumerating a file", [&](OsError& err) { return e.Open(P("file"), err); }, kAny, 0},
      {"attributes of nothing", [&](OsError& err) { return GetAttributes(P("nope"), a, err); }, ErrKind::NotFound, kNotFound},
      {"setting attributes of nothing", [&](OsError& err) { return SetAttributes(P("nope"), attr::kReadOnly, err); }, ErrKind::NotFound, 0},
      {"opening a missing file", [&](OsError& err) { return f.OpenRead(P("missing.txt"), err); }, ErrKind::NotFound, kNotFound},
      {"opening below a missing folder", [&](OsError& err) { return f.OpenRead(P("missing/sub.txt"), err); }, ErrKind::PathNotFound, 0},
      {"opening a folder", [&](OsError& err) { return f.OpenRead(P("dir"), err); }, ErrKind::AccessDenied, kFolderAsFile},
      {"opening a folder to write", [&](OsError& err) { return f.OpenReadWrite(P("dir"), err); }, kAny, 0},
      {"reading a closed file", [&](OsError& err) { return f.Read(buf, 4, got, err) || got != 0; }, kAny, 0},
      {"writing a closed file", [&](OsError& err) { return f.Write("x", 1, err); }, kAny, 0},
      {"positioned reading of a closed file", [&](OsError& err) { return f.ReadAt(0, buf, 4, got, err); }, kAny, 0},
      {"seeking, sizing, flushing a closed file",
       [&](OsError& err) { return f.Seek(0, err) || f.Size(n, err) || f.SetSize(0, err) || f.Flush(err); }, kAny, 0},
      {"reopening a missing file to write", [&](OsError& err) { return f.OpenReadWrite(P("missing"), err); }, ErrKind::NotFound, 0},
      {"creating a taken name", [&](OsError& err) { return f.CreateNew(P("file"), err); }, ErrKind::AlreadyExists, 0},
      {"creating a folder's name", [&](OsError& err) { return f.CreateNew(P("dir"), err); }, kAny, 0},
      {"renaming nothing", [&](OsError& err) { return RenameNoReplace(P("ghost"), P("to"), err); }, ErrKind::NotFound, 0},
      {"removing nothing", [&](OsError& err) { return RemoveFile(P("ghost"), err); }, ErrKind::NotFound, kNotFound},
      {"removing a folder as a file", [&](OsError& err) { return RemoveFile(P("dir"), err); }, ErrKind::AccessDenied, 0},
      {"removing a folder with a file", [&](OsError& err) { return RemoveEmptyFolder(P("full"), err); }, kAny, 0},
      {"removing a missing folder", [&](OsError& err) { return RemoveEmptyFolder(P("ghost"), err); }, kAny, 0},
      {"a folder below a file", [&](OsError& err) { return CreateFolders(P("file/sub"), err); }, kAny, 0},
      {"a folder in a file's place", [&](OsError& err) { return CreateFolders(P("file"), err); }, kAny, 0},
      {"facts about nothing", [&](OsError& err) { return GetFileInfo(P("none"), fd, err); }, ErrKind::NotFound, 0},
      {"facts about the empty name", [&](OsError& err) { return GetFileInfo("", fd, err); }, kAny, 0},
      {"the identity of nothing", [&](OsError& err) { return GetFileId(P("ghost"), fd.id, err); }, kAny, 0},
      {"free space of a missing folder", [&](OsError& err) { return FreeSpace(P("missing/"), n, err); }, kAny, 0},
  };
  for (const auto& c : cases) {
    OsError err;
    EXPECT_FALSE(c.op(err)) << c.what;
    EXPECT_NE(err.code, 0) << c.what;
    EXPECT_TRUE(c.code == 0 || err.code == c.code) << c.what << ": " << err.code;
    // POSIX does not tell a missing file from a missing folder.
    const bool notFound = c.kind == ErrKind::PathNotFound && err.kind == ErrKind::NotFound;
    EXPECT_TRUE(c.kind == kAny || err.kind == c.kind || notFound) << c.what << ": " << ErrKindName(err.kind);
    EXPECT_FALSE(f.IsOpen()) << c.what;
  }
  EXPECT_EQ(ReadAll(P("file")), "x");
  EXPECT_TRUE(FolderExists(P("dir")) && FileExists(P("full/x")));
}

// ================================================================ system folders

TEST_F(Files, SystemFolders) {
  uint64_t ours = 0;
  OsError err;
  ASSERT_TRUE(FreeSpace(root_, ours, err)) << err.code;
  const fs::space_info info = fs::space(tree_.RootPath());
  EXPECT_LE(ours, info.capacity);
  EXPECT_LT(ours > info.available ? ours - info.available : info.available - ours, 1ULL << 30);  // others write meanwhile
  const std::string temp = TempFolder();
  ASSERT_FALSE(temp.empty());
  EXPECT_TRUE(IsPathSep(temp.back()) && FolderExists(temp));
#ifndef _WIN32
  const char* old = std::getenv("TMPDIR");
  const std::string saved = old ? old : "";
  setenv("TMPDIR", ExcludeTrailingSep(root_).c_str(), 1);
  EXPECT_EQ(TempFolder(), root_);
  old ? setenv("TMPDIR", saved.c_str(), 1) : unsetenv("TMPDIR");
#endif
  const std::string program = ProgramFolder();
  ASSERT_FALSE(program.empty());
  EXPECT_TRUE(IsPathSep(program.back()) && IsAbsolutePath(program));
  EXPECT_TRUE(FileExists(program + "zw_test_platform") || FileExists(program + "zw_test_platform.exe")) << program;
}

#ifndef _WIN32
TEST_F(Files, PosixNamesWithAnyByteEnumerateOpenAndMove) {
  const std::vector<std::string> names = {"\x01start", "tab\there", "\x1F", "line\nbreak", "high\x80\xFF",
                                          "\xC3\xA4 utf-8", " lead space", "trail space ", "-dash", "--",
                                          "*?[wild]", "back\\slash", "...", "UPPER", "upper"};
  for (const std::string& n : names) {
    const int fd = ::open((root_ + n).c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
    ASSERT_GE(fd, 0) << std::strerror(errno);
    ASSERT_EQ(::write(fd, n.data(), n.size()), static_cast<ssize_t>(n.size()));
    ::close(fd);
  }
  const auto records = List(root_);
  EXPECT_EQ(records.size(), names.size() + 2);
  for (const std::string& n : names) {
    ASSERT_EQ(records.count(n), 1u) << "not listed: " << n;
    EXPECT_EQ(records.at(n).size, n.size());
    File f;
    OsError err;
    std::string back(n.size(), '\0');
    size_t got = 0;
    ASSERT_TRUE(f.OpenRead(JoinPath(root_, n), err) && f.Read(back.data(), back.size(), got, err)) << n;
    EXPECT_EQ(back, n);
    FindData info;
    ASSERT_TRUE(GetFileInfo(root_ + n, info, err));
    EXPECT_EQ(info.name, n);
  }
  EXPECT_EQ(records.at("...").attributes, attr::kHidden);
  OsError err;
  ASSERT_TRUE(RenameNoReplace(root_ + "-dash", root_ + "\x02moved\xFE", err));
  EXPECT_EQ(ReadAll(root_ + "\x02moved\xFE"), "-dash");
}
#endif

}  // namespace
}  // namespace zw::platform
