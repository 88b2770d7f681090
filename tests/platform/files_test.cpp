#include "platform/files.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "platform/paths.h"

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

constexpr FileTime kSecond = kTicksPerSecond;
constexpr uint64_t kGiB = 1ULL << 30;

#ifdef _WIN32
constexpr int kErrNotFound = ERROR_FILE_NOT_FOUND;
constexpr int kErrPathNotFound = ERROR_PATH_NOT_FOUND;
constexpr int kErrAccessDenied = ERROR_ACCESS_DENIED;
#else
constexpr int kErrNotFound = ENOENT;
constexpr int kErrPathNotFound = ENOENT;  // POSIX does not tell the two apart
constexpr int kErrAccessDenied = EISDIR;  // for opening a folder as a file
#endif

// A fresh folder under the temporary folder, removed with everything in it.
class TempTree : public ::testing::Test {
 protected:
  void SetUp() override {
    static std::atomic<int> counter{0};
    std::random_device rd;
    const std::string leaf = "zw-files-" + std::to_string(rd()) + "-" + std::to_string(counter++);
    base_ = fs::temp_directory_path() / leaf;
    fs::create_directories(base_);
    root_ = IncludeTrailingSep(base_.string());
  }

  void TearDown() override {
    std::error_code ec;
    // Read-only entries would stop the removal on Windows.
    for (auto it = fs::recursive_directory_iterator(base_, ec); !ec && it != fs::recursive_directory_iterator();
         it.increment(ec)) {
      std::error_code ignored;
      if (!it->is_symlink(ignored)) fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
    }
    fs::remove_all(base_, ec);
  }

  // Path of `rel` (written with "/") below the root.
  std::string P(std::string rel) const {
    for (char& c : rel) {
      if (c == '/') c = kPathSep;
    }
    return root_ + rel;
  }

  static void Write(const std::string& path, const std::string& content) {
    std::ofstream out(path, std::ios::binary);
    ASSERT_TRUE(out) << path;
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
  }

  static std::string ReadWhole(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

  // Every record of a folder by name; a name seen twice fails the test.
  static std::map<std::string, FindData> List(const std::string& folder) {
    std::map<std::string, FindData> out;
    DirEnum e;
    OsError err;
    EXPECT_TRUE(e.Open(folder, err)) << folder << ": " << err.code;
    FindData fd;
    while (e.Next(fd)) {
      EXPECT_EQ(out.count(fd.name), 0u) << "twice: " << fd.name;
      out[fd.name] = fd;
    }
    EXPECT_FALSE(e.LastError());
    return out;
  }

  fs::path base_;
  std::string root_;
};

std::string Pattern(size_t n, unsigned seed = 1) {
  std::string s(n, '\0');
  std::mt19937 rng(seed);
  for (char& c : s) c = static_cast<char>(rng());
  return s;
}

// ================================================================ enumeration

using DirEnumeration = TempTree;

TEST_F(DirEnumeration, ReturnsEveryFileAndFolderOnceWithDotAndDotDot) {
  Write(P("a.txt"), "alpha");
  Write(P("b.bin"), Pattern(12345));
  Write(P("empty"), "");
  fs::create_directory(P("sub"));
  fs::create_directory(P("sub2"));
  Write(P("sub/inner.txt"), "not listed at this level");

  const auto records = List(root_);
  ASSERT_EQ(records.size(), 7u);
  for (const char* name : {".", "..", "a.txt", "b.bin", "empty", "sub", "sub2"}) {
    ASSERT_EQ(records.count(name), 1u) << name;
  }
  EXPECT_TRUE(records.at(".").IsFolder());
  EXPECT_TRUE(records.at("..").IsFolder());
  EXPECT_TRUE(records.at(".").IsDotOrDotDot());
  EXPECT_TRUE(records.at("sub").IsFolder());
  EXPECT_FALSE(records.at("sub").IsDotOrDotDot());
  EXPECT_EQ(records.at("sub").size, 0u);
  EXPECT_FALSE(records.at("a.txt").IsFolder());
  EXPECT_EQ(records.at("a.txt").size, 5u);
  EXPECT_EQ(records.at("b.bin").size, 12345u);
  EXPECT_EQ(records.at("empty").size, 0u);
  for (const auto& [name, fd] : records) {
    EXPECT_FALSE(fd.isLink) << name;
    EXPECT_FALSE(fd.isSpecial) << name;
  }
}

TEST_F(DirEnumeration, ListsThousandsOfFilesEachOnce) {
  constexpr int kCount = 3000;
  for (int i = 0; i < kCount; ++i) Write(P("file-" + std::to_string(i) + ".dat"), std::to_string(i));
  const auto records = List(root_);
  ASSERT_EQ(records.size(), static_cast<size_t>(kCount + 2));
  for (int i = 0; i < kCount; i += 97) {
    const auto it = records.find("file-" + std::to_string(i) + ".dat");
    ASSERT_NE(it, records.end()) << i;
    EXPECT_EQ(it->second.size, std::to_string(i).size());
  }
}

TEST_F(DirEnumeration, EmptyFolderGivesOnlyDotAndDotDot) {
  fs::create_directory(P("e"));
  const auto records = List(P("e"));
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records.count("."), 1u);
  EXPECT_EQ(records.count(".."), 1u);
}

TEST_F(DirEnumeration, TrailingSeparatorMakesNoDifference) {
  Write(P("x"), "1");
  fs::create_directory(P("d"));
  const auto with = List(root_);
  const auto without = List(ExcludeTrailingSep(root_));
  ASSERT_EQ(with.size(), without.size());
  for (const auto& [name, fd] : with) EXPECT_EQ(without.count(name), 1u) << name;
}

TEST_F(DirEnumeration, MissingFolderFailsWithNotFoundKindAndNativeCode) {
  DirEnum e;
  OsError err;
  EXPECT_FALSE(e.Open(P("missing"), err));
  EXPECT_EQ(err.code, kErrPathNotFound);
  EXPECT_TRUE(err.kind == ErrKind::NotFound || err.kind == ErrKind::PathNotFound) << ErrKindName(err.kind);

  EXPECT_FALSE(e.Open(P("missing/deeper/"), err));
  EXPECT_EQ(err.code, kErrPathNotFound);
  EXPECT_TRUE(err.kind == ErrKind::NotFound || err.kind == ErrKind::PathNotFound) << ErrKindName(err.kind);

  FindData fd;
  EXPECT_FALSE(e.Next(fd));
}

TEST_F(DirEnumeration, AFileIsNotAFolderToEnumerate) {
  Write(P("plain"), "x");
  DirEnum e;
  OsError err;
  EXPECT_FALSE(e.Open(P("plain"), err));
  EXPECT_NE(err.code, 0);
}

TEST_F(DirEnumeration, CanBeReopenedAndStaysAtItsEnd) {
  Write(P("only"), "x");
  DirEnum e;
  OsError err;
  FindData fd;
  for (int round = 0; round < 2; ++round) {
    ASSERT_TRUE(e.Open(root_, err));
    int n = 0;
    while (e.Next(fd)) ++n;
    EXPECT_EQ(n, 3);
    EXPECT_FALSE(e.Next(fd));
  }
  e.Close();
  EXPECT_FALSE(e.Next(fd));
}

#ifndef _WIN32
TEST_F(DirEnumeration, PosixLeavesOutRecordsThatVanishAfterListing) {
  for (const char* n : {"v1", "v2", "v3", "v4"}) Write(P(n), "gone soon");
  DirEnum e;
  OsError err;
  ASSERT_TRUE(e.Open(root_, err));
  FindData fd;
  ASSERT_TRUE(e.Next(fd));  // the listing is read in one go here
  const std::string first = fd.name;
  for (const char* n : {"v1", "v2", "v3", "v4"}) fs::remove(P(n));
  std::vector<std::string> after;
  while (e.Next(fd)) after.push_back(fd.name);
  for (const std::string& n : after) EXPECT_TRUE(n == "." || n == "..") << "vanished record reported: " << n;
  EXPECT_FALSE(e.LastError());
}
#endif

// ================================================================ attributes

using FileAttributes = TempTree;

TEST_F(FileAttributes, PlainFilesAndFoldersCarryTheirBasicBits) {
  Write(P("f"), "x");
  fs::create_directory(P("d"));
  const auto records = List(root_);
  EXPECT_EQ(records.at("f").attributes & (attr::kDirectory | attr::kHidden | attr::kReadOnly), 0u);
  EXPECT_NE(records.at("d").attributes & attr::kDirectory, 0u);
#ifndef _WIN32
  EXPECT_EQ(records.at("f").attributes, attr::kNormal);
  EXPECT_EQ(records.at("d").attributes, attr::kDirectory);
  EXPECT_EQ(records.at(".").attributes, attr::kDirectory);  // not hidden
  EXPECT_EQ(records.at("..").attributes, attr::kDirectory);
#endif
}

TEST_F(FileAttributes, HiddenFilesAreMarkedHidden) {
  OsError err;
#ifdef _WIN32
  Write(P("secret"), "x");
  fs::create_directory(P("secretdir"));
  ASSERT_TRUE(SetAttributes(P("secret"), attr::kHidden, err)) << err.code;
  ASSERT_TRUE(SetAttributes(P("secretdir"), attr::kHidden, err)) << err.code;
#else
  Write(P(".secret"), "x");
  fs::create_directory(P(".secretdir"));
#endif
  const std::string file = kPathSep == '/' ? ".secret" : "secret";
  const std::string dir = kPathSep == '/' ? ".secretdir" : "secretdir";
  const auto records = List(root_);
  EXPECT_EQ(records.at(file).attributes & (attr::kHidden | attr::kDirectory), attr::kHidden);
  EXPECT_EQ(records.at(dir).attributes & (attr::kHidden | attr::kDirectory), attr::kHidden | attr::kDirectory);
  uint32_t a = 0;
  ASSERT_TRUE(GetAttributes(P(file), a, err));
  EXPECT_NE(a & attr::kHidden, 0u);
  EXPECT_EQ(a & attr::kNormal, 0u);
}

TEST_F(FileAttributes, ReadOnlyCanBeSetSeenAndCleared) {
  Write(P("ro"), "keep me");
  OsError err;
  ASSERT_TRUE(SetAttributes(P("ro"), attr::kReadOnly, err)) << err.code;
  uint32_t a = 0;
  ASSERT_TRUE(GetAttributes(P("ro"), a, err));
  EXPECT_NE(a & attr::kReadOnly, 0u);
  EXPECT_NE(List(root_).at("ro").attributes & attr::kReadOnly, 0u);
#ifndef _WIN32
  EXPECT_EQ(fs::status(P("ro")).permissions() & fs::perms::owner_write, fs::perms::none);
#endif

  ASSERT_TRUE(SetAttributes(P("ro"), attr::kNormal, err)) << err.code;
  ASSERT_TRUE(GetAttributes(P("ro"), a, err));
  EXPECT_EQ(a & attr::kReadOnly, 0u);
  EXPECT_EQ(List(root_).at("ro").attributes & attr::kReadOnly, 0u);
#ifndef _WIN32
  EXPECT_NE(fs::status(P("ro")).permissions() & fs::perms::owner_write, fs::perms::none);
#endif
}

TEST_F(FileAttributes, ReadOnlyFileIsNotOpenedForWriting) {
  Write(P("ro"), "keep me");
  OsError err;
  ASSERT_TRUE(SetAttributes(P("ro"), attr::kReadOnly, err));
  File f;
  EXPECT_FALSE(f.OpenReadWrite(P("ro"), err));
  EXPECT_FALSE(f.IsOpen());
  EXPECT_EQ(err.kind, ErrKind::AccessDenied);
  EXPECT_TRUE(f.OpenRead(P("ro"), err)) << err.code;
}

TEST_F(FileAttributes, MissingPathHasNoAttributes) {
  uint32_t a = 0;
  OsError err;
  EXPECT_FALSE(GetAttributes(P("nope"), a, err));
  EXPECT_EQ(err.code, kErrNotFound);
  EXPECT_FALSE(SetAttributes(P("nope"), attr::kReadOnly, err));
  EXPECT_EQ(err.kind, ErrKind::NotFound);
}

// ================================================================ links and special files

using LinksAndSpecials = TempTree;

#ifdef _WIN32
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

#ifdef _WIN32
TEST(LinkRule, FoldersWithAnyReparsePointAndFileLinksAreLinks) {
  struct Case {
    uint32_t attributes, tag;
    bool link;
  } cases[] = {
      {0x10, 0, false},                                  // plain folder
      {0x20, detail::kReparseTagSymlink, false},         // no reparse bit: the tag means nothing
      {0x410, 0x80000023UL, true},                       // folder with any reparse point
      {0x410, detail::kReparseTagMountPoint, true},      // junction
      {0x410, detail::kReparseTagSymlink, true},         // folder symbolic link
      {0x420, detail::kReparseTagSymlink, true},         // file symbolic link
      {0x420, detail::kReparseTagMountPoint, true},
      {0x420, 0x80000013UL, false},                      // deduplicated file: has data
      {0x400, 0x9000001AUL, false},                      // cloud file
  };
  for (const Case& c : cases) {
    EXPECT_EQ(detail::IsLinkRecord(c.attributes, c.tag), c.link) << std::hex << c.attributes << " " << c.tag;
  }
}
#endif

TEST_F(LinksAndSpecials, SymbolicLinksToFoldersAndFilesAreReportedAsLinks) {
  fs::create_directory(P("realdir"));
  Write(P("realdir/x"), "x");
  Write(P("realfile"), "content");
#ifdef _WIN32
  std::string why;
  if (!TryLink(P("dirlink"), P("realdir"), true, why) || !TryLink(P("filelink"), P("realfile"), false, why)) {
    GTEST_SKIP() << "no symbolic links on this system: " << why;
  }
#else
  fs::create_directory_symlink(P("realdir"), P("dirlink"));
  fs::create_symlink(P("realfile"), P("filelink"));
  fs::create_symlink(P("nowhere"), P("dangling"));
#endif
  const auto records = List(root_);
  for (const char* name : {"dirlink", "filelink"}) {
    const FindData& fd = records.at(name);
    EXPECT_TRUE(fd.isLink) << name;
    EXPECT_NE(fd.attributes & attr::kReparsePoint, 0u) << name;
    EXPECT_EQ(fd.size, 0u) << name;
  }
  EXPECT_FALSE(records.at("realdir").isLink);
  EXPECT_FALSE(records.at("realfile").isLink);

  FindData info;
  OsError err;
  ASSERT_TRUE(GetFileInfo(P("dirlink"), info, err));
  EXPECT_TRUE(info.isLink);
  EXPECT_EQ(info.name, "dirlink");
  ASSERT_TRUE(GetFileInfo(P("dirlink") + kPathSep, info, err));  // still the link, not its target
  EXPECT_TRUE(info.isLink);
  ASSERT_TRUE(GetFileInfo(P("filelink"), info, err));
  EXPECT_TRUE(info.isLink);

#ifndef _WIN32
  // POSIX: a link never looks like a folder to a scan, whatever it points at.
  EXPECT_EQ(records.at("dirlink").attributes, attr::kReparsePoint);
  EXPECT_TRUE(records.at("dangling").isLink);
  EXPECT_TRUE(FolderExists(P("dirlink")));  // these two follow the link
  EXPECT_TRUE(FileExists(P("filelink")));
  EXPECT_FALSE(FileExists(P("dangling")));
#endif
}

#ifndef _WIN32
TEST_F(LinksAndSpecials, PosixHiddenLinkKeepsItsHiddenBit) {
  fs::create_symlink(P("t"), P(".hiddenlink"));
  EXPECT_EQ(List(root_).at(".hiddenlink").attributes, attr::kReparsePoint | attr::kHidden);
}

TEST_F(LinksAndSpecials, PosixPipesAreSpecialAndNeverHangAReader) {
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
}
#endif

// ================================================================ times

using FileTimes = TempTree;

TEST_F(FileTimes, AFileWrittenNowCarriesTheCurrentTime) {
  const FileTime before = NowUtc();
  Write(P("now"), "fresh");
  const FileTime after = NowUtc();
  // File systems keep times to 2 s at worst; allow more than that.
  const FileTime slack = 5 * kSecond;
  FindData info;
  OsError err;
  ASSERT_TRUE(GetFileInfo(P("now"), info, err));
  EXPECT_GE(info.lastWriteUtc + slack, before);
  EXPECT_LE(info.lastWriteUtc, after + slack);
  const FindData listed = List(root_).at("now");
  EXPECT_EQ(listed.lastWriteUtc, info.lastWriteUtc);
  EXPECT_GE(listed.creationUtc + slack, before);
  EXPECT_LE(listed.creationUtc, after + slack);
}

TEST_F(FileTimes, LastWriteTimeSetOnAFileIsReadBack) {
  SystemTime st;
  st.year = 2001;
  st.month = 2;
  st.day = 3;
  st.hour = 4;
  st.minute = 5;
  st.second = 6;
  st.milliseconds = 789;
  FileTime when = 0;
  ASSERT_TRUE(JoinFileTime(st, when));
  {
    File f;
    OsError err;
    ASSERT_TRUE(f.CreateNew(P("dated"), err));
    ASSERT_TRUE(f.Write("abc", 3, err));
    ASSERT_TRUE(f.SetLastWriteTime(when, err)) << err.code;
  }
  FindData info;
  OsError err;
  ASSERT_TRUE(GetFileInfo(P("dated"), info, err));
  EXPECT_EQ(info.lastWriteUtc, when);
  EXPECT_EQ(List(root_).at("dated").lastWriteUtc, when);
}

// ================================================================ large files

// Allocated bytes of a file on disk; -1 when unknown.
int64_t AllocatedBytes(const std::string& path) {
#ifdef _WIN32
  // The allocation size, not GetCompressedFileSize: wine answers the latter
  // with the file size even for a sparse file.
  // Attribute access only: the file is open without sharing meanwhile.
  const HANDLE h = CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                               nullptr, OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return -1;
  FILE_STANDARD_INFO info{};
  const BOOL ok = GetFileInformationByHandleEx(h, FileStandardInfo, &info, sizeof info);
  CloseHandle(h);
  return ok ? static_cast<int64_t>(info.AllocationSize.QuadPart) : -1;
#else
  struct stat st {};
  if (stat(path.c_str(), &st) != 0) return -1;
  return static_cast<int64_t>(st.st_blocks) * 512;
#endif
}

void MarkSparse(const std::string& path) {
#ifdef _WIN32
  const HANDLE h = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return;
  DWORD n = 0;
  DeviceIoControl(h, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &n, nullptr);  // best effort
  CloseHandle(h);
#else
  (void)path;  // extending with ftruncate leaves a hole where the file system can
#endif
}

using LargeFiles = TempTree;

TEST_F(LargeFiles, SizesAndOffsetsBeyondFourGiBAreExact) {
  const uint64_t size = 5 * kGiB;
  const uint64_t tailAt = 4 * kGiB + 123;
  const std::string path = P("big.sparse");
  OsError err;
  {
    File f;
    ASSERT_TRUE(f.CreateNew(path, err));
  }
  MarkSparse(path);
  {
    File f;
    ASSERT_TRUE(f.OpenReadWrite(path, err)) << err.code;
    uint64_t free = 0;
    if (FreeSpace(root_, free, err) && free < 64 * 1024 * 1024) GTEST_SKIP() << "too little free space";
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
  FindData info;
  ASSERT_TRUE(GetFileInfo(path, info, err));
  EXPECT_EQ(info.size, size);

  File f;
  ASSERT_TRUE(f.OpenRead(path, err));
  uint64_t n = 0;
  ASSERT_TRUE(f.Size(n, err));
  EXPECT_EQ(n, size);

  char buf[16];
  size_t got = 0;
  ASSERT_TRUE(f.ReadAt(tailAt, buf, 4, got, err));
  ASSERT_EQ(got, 4u);
  EXPECT_EQ(std::string(buf, 4), "tail");
  ASSERT_TRUE(f.ReadAt(123, buf, 4, got, err));  // the same low 32 bits: must be the hole
  ASSERT_EQ(got, 4u);
  EXPECT_EQ(std::string(buf, 4), std::string(4, '\0'));
  ASSERT_TRUE(f.ReadAt(size - 2, buf, sizeof buf, got, err));
  EXPECT_EQ(got, 2u);
  ASSERT_TRUE(f.ReadAt(size, buf, sizeof buf, got, err));
  EXPECT_EQ(got, 0u);
  ASSERT_TRUE(f.Seek(tailAt + 1, err));
  ASSERT_TRUE(f.Read(buf, 3, got, err));
  EXPECT_EQ(std::string(buf, got), "ail");
}

// ================================================================ reading

using FileReading = TempTree;

TEST_F(FileReading, ReadGivesTheContentAndAShortCountOnlyAtTheEnd) {
  const std::string content = Pattern(10000);
  Write(P("data"), content);
  File f;
  OsError err;
  ASSERT_TRUE(f.OpenRead(P("data"), err)) << err.code;
  EXPECT_TRUE(f.IsOpen());
  std::string seen;
  std::vector<char> buf(4096);
  std::vector<size_t> counts;
  for (;;) {
    size_t got = 0;
    ASSERT_TRUE(f.Read(buf.data(), buf.size(), got, err));
    counts.push_back(got);
    seen.append(buf.data(), got);
    if (got < buf.size()) break;
  }
  EXPECT_EQ(seen, content);
  EXPECT_EQ(counts, (std::vector<size_t>{4096, 4096, 1808}));
  size_t got = 7;
  ASSERT_TRUE(f.Read(buf.data(), buf.size(), got, err));
  EXPECT_EQ(got, 0u);
}

TEST_F(FileReading, ReadAtReadsAtOffsetsWithoutMovingThePosition) {
  const std::string content = Pattern(70000, 7);
  Write(P("data"), content);
  File f;
  OsError err;
  ASSERT_TRUE(f.OpenRead(P("data"), err));
  char buf[100];
  size_t got = 0;
  ASSERT_TRUE(f.Read(buf, 10, got, err));
  ASSERT_EQ(got, 10u);
  for (uint64_t at : {0ull, 1ull, 4095ull, 4096ull, 35000ull, 69900ull}) {
    ASSERT_TRUE(f.ReadAt(at, buf, 100, got, err));
    ASSERT_EQ(got, 100u);
    EXPECT_EQ(std::string(buf, 100), content.substr(at, 100)) << at;
  }
  ASSERT_TRUE(f.ReadAt(69950, buf, 100, got, err));
  EXPECT_EQ(got, 50u);
  EXPECT_EQ(std::string(buf, 50), content.substr(69950));
  ASSERT_TRUE(f.ReadAt(80000, buf, 100, got, err));
  EXPECT_EQ(got, 0u);
  // The plain read goes on where it stopped.
  ASSERT_TRUE(f.Read(buf, 10, got, err));
  ASSERT_EQ(got, 10u);
  EXPECT_EQ(std::string(buf, 10), content.substr(10, 10));
}

TEST_F(FileReading, SeekMovesThePositionForTheNextRead) {
  const std::string content = Pattern(5000, 3);
  Write(P("data"), content);
  File f;
  OsError err;
  ASSERT_TRUE(f.OpenRead(P("data"), err));
  char buf[20];
  size_t got = 0;
  ASSERT_TRUE(f.Seek(4990, err));
  ASSERT_TRUE(f.Read(buf, 20, got, err));
  EXPECT_EQ(std::string(buf, got), content.substr(4990));
  ASSERT_TRUE(f.Seek(0, err));
  ASSERT_TRUE(f.Read(buf, 20, got, err));
  EXPECT_EQ(std::string(buf, got), content.substr(0, 20));
  uint64_t size = 0;
  ASSERT_TRUE(f.Size(size, err));
  EXPECT_EQ(size, 5000u);
}

TEST_F(FileReading, OpeningAFolderFailsCleanly) {
  fs::create_directory(P("dir"));
  File f;
  OsError err;
  EXPECT_FALSE(f.OpenRead(P("dir"), err));
  EXPECT_FALSE(f.IsOpen());
  EXPECT_EQ(err.code, kErrAccessDenied);
  EXPECT_EQ(err.kind, ErrKind::AccessDenied);
  EXPECT_FALSE(f.OpenReadWrite(P("dir"), err));
  EXPECT_NE(err.code, 0);
  EXPECT_FALSE(f.IsOpen());
  char buf[4];
  size_t got = 5;
  EXPECT_FALSE(f.Read(buf, 4, got, err));
  EXPECT_EQ(got, 0u);
  EXPECT_NE(err.code, 0);
}

TEST_F(FileReading, OpeningAMissingFileGivesNotFound) {
  File f;
  OsError err;
  EXPECT_FALSE(f.OpenRead(P("missing.txt"), err));
  EXPECT_EQ(err.code, kErrNotFound);
  EXPECT_EQ(err.kind, ErrKind::NotFound);
  EXPECT_FALSE(f.OpenRead(P("missing/sub.txt"), err));
  EXPECT_TRUE(err.kind == ErrKind::NotFound || err.kind == ErrKind::PathNotFound) << ErrKindName(err.kind);
}

TEST_F(FileReading, MovingAFileHandsOverTheOpenFile) {
  Write(P("a"), "AAAA");
  Write(P("b"), "BBBB");
  OsError err;
  File a;
  ASSERT_TRUE(a.OpenRead(P("a"), err));
  File moved(std::move(a));
  EXPECT_FALSE(a.IsOpen());  // NOLINT(bugprone-use-after-move): checking the moved-from state
  ASSERT_TRUE(moved.IsOpen());
  File b;
  ASSERT_TRUE(b.OpenRead(P("b"), err));
  b = std::move(moved);
  EXPECT_FALSE(moved.IsOpen());  // NOLINT(bugprone-use-after-move)
  char buf[4];
  size_t got = 0;
  ASSERT_TRUE(b.Read(buf, 4, got, err));
  EXPECT_EQ(std::string(buf, got), "AAAA");
}

#ifdef _WIN32
// A file opened without sharing blocks every other open until it is closed.
bool OpenableExclusively(const std::string& path) {
  File probe;
  OsError err;
  return probe.OpenReadWrite(path, err);
}
#else
int OpenDescriptors() {
  int n = 0;
  for (const auto& entry : fs::directory_iterator("/proc/self/fd")) {
    (void)entry;
    ++n;
  }
  return n;
}
#endif

TEST_F(FileReading, EveryWayOfLettingGoClosesTheFile) {
  Write(P("f"), "x");
  Write(P("g"), "y");
  OsError err;
#ifdef _WIN32
  {
    File f;
    ASSERT_TRUE(f.OpenReadWrite(P("f"), err));
    EXPECT_FALSE(OpenableExclusively(P("f")));
  }
  EXPECT_TRUE(OpenableExclusively(P("f")));  // the destructor closed it
  File f;
  ASSERT_TRUE(f.OpenReadWrite(P("f"), err));
  ASSERT_TRUE(f.OpenReadWrite(P("g"), err));  // opening anew lets go of "f"
  EXPECT_TRUE(OpenableExclusively(P("f")));
  File other;
  ASSERT_TRUE(other.OpenReadWrite(P("f"), err));
  f = std::move(other);  // the assignment lets go of "g"
  EXPECT_TRUE(OpenableExclusively(P("g")));
  f.Close();
  EXPECT_TRUE(OpenableExclusively(P("f")));
#else
  const int before = OpenDescriptors();
  {
    File f;
    ASSERT_TRUE(f.OpenRead(P("f"), err));
    EXPECT_EQ(OpenDescriptors(), before + 1);
  }
  EXPECT_EQ(OpenDescriptors(), before);
  File f;
  ASSERT_TRUE(f.OpenRead(P("f"), err));
  ASSERT_TRUE(f.OpenRead(P("g"), err));
  EXPECT_EQ(OpenDescriptors(), before + 1);
  File other;
  ASSERT_TRUE(other.OpenRead(P("f"), err));
  f = std::move(other);
  EXPECT_EQ(OpenDescriptors(), before + 1);
  EXPECT_FALSE(f.OpenRead(P("missing"), err));  // a failed open lets go too
  EXPECT_EQ(OpenDescriptors(), before);
  ASSERT_TRUE(f.OpenRead(P("f"), err));
  f.Close();
  EXPECT_EQ(OpenDescriptors(), before);
#endif
}

// ================================================================ writing

using FileWriting = TempTree;

TEST_F(FileWriting, CreateNewWritesAFileThatReadsBack) {
  const std::string content = Pattern(300000, 11);
  File f;
  OsError err;
  ASSERT_TRUE(f.CreateNew(P("new"), err)) << err.code;
  ASSERT_TRUE(f.Write(content.data(), 1000, err));
  ASSERT_TRUE(f.Write(content.data() + 1000, content.size() - 1000, err));
  ASSERT_TRUE(f.Flush(err));
  uint64_t size = 0;
  ASSERT_TRUE(f.Size(size, err));
  EXPECT_EQ(size, content.size());
  std::string back(100, '\0');
  size_t got = 0;
  ASSERT_TRUE(f.ReadAt(5000, back.data(), back.size(), got, err));
  EXPECT_EQ(back, content.substr(5000, 100));
  f.Close();
  EXPECT_EQ(ReadWhole(P("new")), content);
}

TEST_F(FileWriting, NamesOutsideEverySingleByteCodePageListAndOpen) {
  // u-umlaut, Cyrillic zhe, the euro sign and a CJK sign: no ANSI code page
  // holds them all. The file is made through the wide names another program
  // would use; the narrow API must list and open it by its UTF-8 name (on
  // Windows that takes the UTF-8 manifest).
  const std::string name = "gr\xC3\xBC\xC3\x9F-\xD0\xB6-\xE2\x82\xAC-\xE6\xBC\xA2.txt";
  {
    std::ofstream out(base_ / fs::path(std::u8string(name.begin(), name.end())), std::ios::binary);
    out << "x";
  }
  const auto records = List(root_);
  EXPECT_EQ(records.count(name), 1u);
  FindData fd;
  OsError err;
  ASSERT_TRUE(GetFileInfo(P(name), fd, err)) << err.code;
  EXPECT_EQ(fd.name, name);
  EXPECT_EQ(fd.size, 1u);
  File f;
  ASSERT_TRUE(f.OpenRead(P(name), err)) << err.code;
  f.Close();
  ASSERT_TRUE(f.CreateNew(P(name + ".copy"), err)) << err.code;
  f.Close();
  EXPECT_TRUE(fs::exists(base_ / fs::path(std::u8string(name.begin(), name.end()) + u8".copy")));
}

TEST_F(FileWriting, CreateNewRefusesATakenName) {
  Write(P("taken"), "original");
  fs::create_directory(P("takendir"));
  File f;
  OsError err;
  EXPECT_FALSE(f.CreateNew(P("taken"), err));
  EXPECT_EQ(err.kind, ErrKind::AlreadyExists);
  EXPECT_FALSE(f.IsOpen());
  EXPECT_EQ(ReadWhole(P("taken")), "original");
  EXPECT_FALSE(f.CreateNew(P("takendir"), err));
  EXPECT_NE(err.code, 0);
  EXPECT_TRUE(FolderExists(P("takendir")));
}

TEST_F(FileWriting, CreateAlwaysEmptiesAnExistingFile) {
  Write(P("f"), "a long original content");
  File f;
  OsError err;
  ASSERT_TRUE(f.CreateAlways(P("f"), err)) << err.code;
  ASSERT_TRUE(f.Write("new", 3, err));
  f.Close();
  EXPECT_EQ(ReadWhole(P("f")), "new");
  ASSERT_TRUE(f.CreateAlways(P("g"), err));
  f.Close();
  EXPECT_TRUE(FileExists(P("g")));
}

TEST_F(FileWriting, SetSizeCutsAndExtendsAndKeepsThePosition) {
  File f;
  OsError err;
  ASSERT_TRUE(f.CreateNew(P("f"), err));
  ASSERT_TRUE(f.Write("0123456789", 10, err));
  ASSERT_TRUE(f.SetSize(4, err));
  ASSERT_TRUE(f.SetSize(8, err));
  ASSERT_TRUE(f.Write("X", 1, err));  // the position is still 10
  f.Close();
  EXPECT_EQ(ReadWhole(P("f")), std::string("0123\0\0\0\0\0\0X", 11));
}

TEST_F(FileWriting, OpenReadWriteChangesAnExistingFileInPlace) {
  Write(P("f"), "abcdef");
  File f;
  OsError err;
  ASSERT_TRUE(f.OpenReadWrite(P("f"), err)) << err.code;
  ASSERT_TRUE(f.Seek(2, err));
  ASSERT_TRUE(f.Write("XY", 2, err));
  f.Close();
  EXPECT_EQ(ReadWhole(P("f")), "abXYef");
  EXPECT_FALSE(f.OpenReadWrite(P("missing"), err));
  EXPECT_EQ(err.kind, ErrKind::NotFound);
}

TEST_F(FileWriting, AClosedFileRefusesEveryOperation) {
  File f;
  OsError err;
  char buf[4];
  size_t got = 0;
  uint64_t size = 0;
  EXPECT_FALSE(f.Write("x", 1, err));
  EXPECT_NE(err.code, 0);
  EXPECT_FALSE(f.ReadAt(0, buf, 4, got, err));
  EXPECT_FALSE(f.Seek(0, err));
  EXPECT_FALSE(f.Size(size, err));
  EXPECT_FALSE(f.SetSize(0, err));
  EXPECT_FALSE(f.Flush(err));
}

// ================================================================ names and folders

using NamesAndFolders = TempTree;

TEST_F(NamesAndFolders, RenameNoReplaceMovesAFile) {
  Write(P("from"), "payload");
  fs::create_directory(P("dest"));
  OsError err;
  ASSERT_TRUE(RenameNoReplace(P("from"), P("dest/to"), err)) << err.code;
  EXPECT_FALSE(FileExists(P("from")));
  EXPECT_EQ(ReadWhole(P("dest/to")), "payload");
}

TEST_F(NamesAndFolders, RenameNoReplaceNeverReplacesAnExistingFile) {
  Write(P("from"), "mine");
  Write(P("to"), "theirs");
  OsError err;
  EXPECT_FALSE(RenameNoReplace(P("from"), P("to"), err));
  EXPECT_EQ(err.kind, ErrKind::AlreadyExists) << err.code;
  EXPECT_EQ(ReadWhole(P("from")), "mine");
  EXPECT_EQ(ReadWhole(P("to")), "theirs");

  fs::create_directory(P("dir"));
  EXPECT_FALSE(RenameNoReplace(P("from"), P("dir"), err));
  EXPECT_NE(err.code, 0);
  EXPECT_EQ(ReadWhole(P("from")), "mine");
  EXPECT_TRUE(FolderExists(P("dir")));
}

TEST_F(NamesAndFolders, RenameNoReplaceMovesAFolderWithItsContents) {
  fs::create_directory(P("old"));
  Write(P("old/inside"), "kept");
  OsError err;
  ASSERT_TRUE(RenameNoReplace(P("old"), P("new"), err)) << err.code;
  EXPECT_FALSE(FolderExists(P("old")));
  EXPECT_EQ(ReadWhole(P("new/inside")), "kept");
}

TEST_F(NamesAndFolders, IdentityTellsTheNamesOfOneFileFromOtherFiles) {
  Write(P("one"), "x");
  Write(P("two"), "x");
  fs::create_hard_link(P("one"), P("alias"));
  OsError err;
  FileId one, two, alias;
  ASSERT_TRUE(GetFileId(P("one"), one, err)) << err.code;
  ASSERT_TRUE(GetFileId(P("two"), two, err)) << err.code;
  ASSERT_TRUE(GetFileId(P("alias"), alias, err)) << err.code;
  EXPECT_EQ(one, alias);
  EXPECT_NE(one, two);
  File f;
  FileId open;
  uint32_t links = 0;
  ASSERT_TRUE(f.OpenRead(P("alias"), err));
  ASSERT_TRUE(f.Identity(open, links, err)) << err.code;
  EXPECT_EQ(open, one);
  EXPECT_EQ(links, 2u);
  // The folder an enumeration reads is the folder its name leads to.
  DirEnum e;
  FileId folder, byName;
  ASSERT_TRUE(e.Open(root_, err));
  ASSERT_TRUE(e.Identity(folder, err)) << err.code;
  ASSERT_TRUE(GetFileId(root_, byName, err));
  EXPECT_EQ(folder, byName);
  EXPECT_FALSE(GetFileId(P("ghost"), byName, err));
#ifndef _WIN32
  // POSIX enumerations tell both; Windows ones tell neither.
  const auto records = List(root_);
  EXPECT_EQ(records.at("alias").id, one);
  EXPECT_EQ(records.at("alias").links, 2u);
  EXPECT_EQ(records.at("two").links, 1u);
#endif
}

TEST_F(NamesAndFolders, RealPathIsTheNameTheFileSystemGives) {
  fs::create_directories(P("a/b"));
  Write(P("a/b/f"), "x");
  const std::string real = RealPath(P("a/b"));
  ASSERT_FALSE(real.empty());
  EXPECT_TRUE(SamePath(RealPath(P("a/./b/../b/")), real));
  EXPECT_TRUE(SamePath(RealPath(P("a/b/f")), IncludeTrailingSep(real) + "f"));
  EXPECT_NE(real.back(), kPathSep);
  EXPECT_TRUE(RealPath(P("a/missing")).empty());
#ifndef _WIN32
  fs::create_directory_symlink(P("a/b"), P("link"));
  EXPECT_EQ(RealPath(P("link")), real);
  EXPECT_EQ(RealPath(P("link/f")), real + "/f");
#endif
}

TEST_F(NamesAndFolders, RenameNoReplaceOfAMissingFileFails) {
  OsError err;
  EXPECT_FALSE(RenameNoReplace(P("ghost"), P("to"), err));
  EXPECT_EQ(err.kind, ErrKind::NotFound);
  EXPECT_FALSE(FileExists(P("to")));
}

#ifndef _WIN32
TEST_F(NamesAndFolders, PosixLinkFallbackMovesButNeverReplaces) {
  Write(P("a"), "first");
  Write(P("b"), "second");
  OsError err;
  EXPECT_FALSE(detail::RenameByLink(P("a"), P("b"), err));
  EXPECT_EQ(err.kind, ErrKind::AlreadyExists);
  EXPECT_EQ(ReadWhole(P("a")), "first");
  EXPECT_EQ(ReadWhole(P("b")), "second");
  ASSERT_TRUE(detail::RenameByLink(P("a"), P("c"), err)) << err.code;
  EXPECT_FALSE(FileExists(P("a")));
  EXPECT_EQ(ReadWhole(P("c")), "first");
}

TEST_F(NamesAndFolders, PosixCopyFallbackKeepsContentTimeAndModeAndNeverReplaces) {
  const std::string content = Pattern(3 << 20, 5);  // more than one copy buffer
  Write(P("src"), content);
  Write(P("busy"), "occupied");
  OsError err;
  {
    File f;
    ASSERT_TRUE(f.OpenReadWrite(P("src"), err));
    ASSERT_TRUE(f.SetLastWriteTime(UnixToFileTime(1000000000, 123456700), err));
  }
  ASSERT_EQ(chmod(P("src").c_str(), 0640), 0);
  EXPECT_FALSE(detail::MoveByCopy(P("src"), P("busy"), err));
  EXPECT_EQ(err.kind, ErrKind::AlreadyExists);
  EXPECT_EQ(ReadWhole(P("busy")), "occupied");
  EXPECT_TRUE(FileExists(P("src")));

  ASSERT_TRUE(detail::MoveByCopy(P("src"), P("dst"), err)) << err.code;
  EXPECT_FALSE(FileExists(P("src")));
  EXPECT_EQ(ReadWhole(P("dst")), content);
  // The copy went through a temporary name, which is gone.
  EXPECT_EQ(List(root_).size(), 4u) << "., .., busy, dst";
  FindData info;
  ASSERT_TRUE(GetFileInfo(P("dst"), info, err));
  EXPECT_EQ(info.lastWriteUtc, UnixToFileTime(1000000000, 123456700));
  struct stat st {};
  ASSERT_EQ(stat(P("dst").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
}

TEST_F(NamesAndFolders, PosixMovesAcrossFileSystems) {
  const char* shm = "/dev/shm";
  struct stat a {}, b {};
  if (stat(shm, &a) != 0 || stat(root_.c_str(), &b) != 0 || a.st_dev == b.st_dev) {
    GTEST_SKIP() << "no second file system at " << shm;
  }
  const std::string there = std::string(shm) + "/zw-files-" + std::to_string(getpid());
  Write(P("cross"), "travels");
  Write(there, "already here");
  OsError err;
  EXPECT_FALSE(RenameNoReplace(P("cross"), there, err));
  EXPECT_EQ(err.kind, ErrKind::AlreadyExists);
  EXPECT_EQ(ReadWhole(there), "already here");
  fs::remove(there);
  ASSERT_TRUE(RenameNoReplace(P("cross"), there, err)) << err.code;
  EXPECT_FALSE(FileExists(P("cross")));
  EXPECT_EQ(ReadWhole(there), "travels");
  fs::remove(there);
}
#endif

TEST_F(NamesAndFolders, RemoveFileDeletesFilesOnly) {
  Write(P("f"), "x");
  fs::create_directory(P("d"));
  OsError err;
  ASSERT_TRUE(RemoveFile(P("f"), err)) << err.code;
  EXPECT_FALSE(FileExists(P("f")));
  EXPECT_FALSE(RemoveFile(P("f"), err));
  EXPECT_EQ(err.code, kErrNotFound);
  EXPECT_EQ(err.kind, ErrKind::NotFound);
  EXPECT_FALSE(RemoveFile(P("d"), err));
  EXPECT_EQ(err.kind, ErrKind::AccessDenied);
  EXPECT_TRUE(FolderExists(P("d")));
}

TEST_F(NamesAndFolders, RemoveFileOfAReadOnlyFileFollowsThePlatform) {
  Write(P("ro"), "x");
  OsError err;
  ASSERT_TRUE(SetAttributes(P("ro"), attr::kReadOnly, err));
#ifdef _WIN32
  EXPECT_FALSE(RemoveFile(P("ro"), err));
  EXPECT_EQ(err.kind, ErrKind::AccessDenied);
  EXPECT_TRUE(FileExists(P("ro")));
  ASSERT_TRUE(SetAttributes(P("ro"), attr::kNormal, err));
#endif
  EXPECT_TRUE(RemoveFile(P("ro"), err)) << err.code;
  EXPECT_FALSE(FileExists(P("ro")));
}

TEST_F(NamesAndFolders, RemoveEmptyFolderLeavesFoldersWithContent) {
  fs::create_directory(P("empty"));
  fs::create_directory(P("full"));
  Write(P("full/x"), "x");
  OsError err;
  ASSERT_TRUE(RemoveEmptyFolder(P("empty"), err)) << err.code;
  EXPECT_FALSE(FolderExists(P("empty")));
  EXPECT_FALSE(RemoveEmptyFolder(P("full"), err));
  EXPECT_NE(err.code, 0);
  EXPECT_TRUE(FileExists(P("full/x")));
  EXPECT_FALSE(RemoveEmptyFolder(P("empty"), err));
  EXPECT_NE(err.code, 0);
}

TEST_F(NamesAndFolders, CreateFoldersMakesEveryMissingParent) {
  OsError err;
  ASSERT_TRUE(CreateFolders(P("a/b/c/"), err)) << err.code;
  EXPECT_TRUE(FolderExists(P("a/b/c")));
  ASSERT_TRUE(CreateFolders(P("a/b/c"), err));  // already there
  ASSERT_TRUE(CreateFolders(P("a/x"), err));
  EXPECT_TRUE(FolderExists(P("a/x")));
}

TEST_F(NamesAndFolders, CreateFoldersFailsWhereAFileStandsInTheWay) {
  Write(P("file"), "x");
  OsError err;
  EXPECT_FALSE(CreateFolders(P("file/sub"), err));
  EXPECT_NE(err.code, 0);
  EXPECT_FALSE(CreateFolders(P("file"), err));
  EXPECT_NE(err.code, 0);
  EXPECT_EQ(ReadWhole(P("file")), "x");
}

TEST_F(NamesAndFolders, GetFileInfoAndExistenceChecksTellFilesFromFolders) {
  Write(P("f.txt"), "12345");
  fs::create_directory(P("d"));
  FindData info;
  OsError err;
  ASSERT_TRUE(GetFileInfo(P("f.txt"), info, err));
  EXPECT_EQ(info.name, "f.txt");
  EXPECT_EQ(info.size, 5u);
  EXPECT_FALSE(info.IsFolder());
  ASSERT_TRUE(GetFileInfo(P("d") + kPathSep, info, err));
  EXPECT_EQ(info.name, "d");
  EXPECT_TRUE(info.IsFolder());
  EXPECT_FALSE(GetFileInfo(P("none"), info, err));
  EXPECT_EQ(err.kind, ErrKind::NotFound);
  EXPECT_FALSE(GetFileInfo("", info, err));
  EXPECT_NE(err.code, 0);

  EXPECT_TRUE(FileExists(P("f.txt")));
  EXPECT_FALSE(FolderExists(P("f.txt")));
  EXPECT_TRUE(FolderExists(P("d")));
  EXPECT_TRUE(FolderExists(P("d") + kPathSep));
  EXPECT_FALSE(FileExists(P("d")));
  EXPECT_FALSE(FileExists(P("none")));
  EXPECT_FALSE(FolderExists(P("none")));
  EXPECT_FALSE(FileExists(""));
}

// ================================================================ system folders

using SystemFolders = TempTree;

TEST_F(SystemFolders, FreeSpaceMatchesTheVolumesAvailableBytes) {
  uint64_t ours = 0;
  OsError err;
  ASSERT_TRUE(FreeSpace(root_, ours, err)) << err.code;
  const fs::space_info info = fs::space(base_);
  EXPECT_LE(ours, info.capacity);
  const uint64_t diff = ours > info.available ? ours - info.available : info.available - ours;
  EXPECT_LT(diff, 1ULL << 30) << ours << " vs " << info.available;  // others write meanwhile
  EXPECT_FALSE(FreeSpace(P("missing/"), ours, err));
  EXPECT_NE(err.code, 0);
}

TEST_F(SystemFolders, TempFolderExistsAndEndsWithASeparator) {
  const std::string temp = TempFolder();
  ASSERT_FALSE(temp.empty());
  EXPECT_TRUE(IsPathSep(temp.back()));
  EXPECT_TRUE(FolderExists(temp));
#ifndef _WIN32
  const char* old = std::getenv("TMPDIR");
  const std::string saved = old ? old : "";
  setenv("TMPDIR", ExcludeTrailingSep(root_).c_str(), 1);
  EXPECT_EQ(TempFolder(), root_);
  if (old) {
    setenv("TMPDIR", saved.c_str(), 1);
  } else {
    unsetenv("TMPDIR");
  }
#endif
}

TEST_F(SystemFolders, ProgramFolderHoldsTheRunningTest) {
  const std::string folder = ProgramFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_TRUE(IsPathSep(folder.back()));
  EXPECT_TRUE(IsAbsolutePath(folder));
#ifdef _WIN32
  EXPECT_TRUE(FileExists(folder + "zw_test_platform.exe")) << folder;
#else
  EXPECT_TRUE(FileExists(folder + "zw_test_platform")) << folder;
#endif
}

// ================================================================ odd names

#ifndef _WIN32
using OddNames = TempTree;

TEST_F(OddNames, PosixNamesWithAnyByteEnumerateAndOpen) {
  const std::vector<std::string> names = {
      "\x01start",       "tab\there",  "\x1F",          "line\nbreak", "high\x80\xFF",
      "\xC3\xA4 utf-8",  " lead space", "trail space ", "-dash",       "--",
      "*?[wild]",        "back\\slash", "...",           "UPPER", "upper",
  };
  for (const std::string& n : names) {
    const std::string path = root_ + n;
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
    ASSERT_GE(fd, 0) << std::strerror(errno);
    ASSERT_EQ(::write(fd, n.data(), n.size()), static_cast<ssize_t>(n.size()));
    ::close(fd);
  }
  const auto records = List(root_);
  EXPECT_EQ(records.size(), names.size() + 2);
  for (const std::string& n : names) {
    const auto it = records.find(n);
    ASSERT_NE(it, records.end()) << "not listed: " << n;
    EXPECT_EQ(it->second.size, n.size());
    File f;
    OsError err;
    ASSERT_TRUE(f.OpenRead(JoinPath(root_, n), err)) << n;
    std::string back(n.size(), '\0');
    size_t got = 0;
    ASSERT_TRUE(f.Read(back.data(), back.size(), got, err));
    EXPECT_EQ(back, n);
    FindData info;
    ASSERT_TRUE(GetFileInfo(root_ + n, info, err));
    EXPECT_EQ(info.name, n);
  }
  EXPECT_EQ(records.at("...").attributes, attr::kHidden);
  OsError err;
  ASSERT_TRUE(RenameNoReplace(root_ + "-dash", root_ + "\x02moved\xFE", err));
  EXPECT_EQ(ReadWhole(root_ + "\x02moved\xFE"), "-dash");
}
#endif

}  // namespace
}  // namespace zw::platform
