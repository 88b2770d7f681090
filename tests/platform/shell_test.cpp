// The shell's part: the trash (the freedesktop.org one on POSIX, the
// recycle bin under wine) and replacing a file by a shortcut to a copy.
#include "platform/shell.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <functional>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/paths.h"
#include "support/files.h"
#include "support/temp_tree.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/posix/shell_posix_detail.h"
#endif

namespace zw::platform {
namespace {

namespace fs = std::filesystem;
using Names = std::set<std::string>;
using zwtest::Exists;
using zwtest::NamesIn;
using zwtest::ReadAll;

#ifndef _WIN32

// The Path and DeletionDate of a .trashinfo; empty when its first line is
// not the header.
std::pair<std::string, std::string> TrashInfo(const std::string& file) {
  std::istringstream in(ReadAll(file));
  std::string line, path, date;
  if (!std::getline(in, line) || line != "[Trash Info]") return {};
  while (std::getline(in, line)) {
    if (line.rfind("Path=", 0) == 0) path = line.substr(5);
    if (line.rfind("DeletionDate=", 0) == 0) date = line.substr(13);
  }
  return {path, date};
}

std::string LocalNow() {
  const time_t now = time(nullptr);
  struct tm local {};
  localtime_r(&now, &local);
  char text[32];
  strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local);
  return text;
}

// Points the home trash at a folder of a tree of its own, so that no test
// ever touches the user's real trash.
struct HomeTrash {
  HomeTrash() {
    if (const char* old = std::getenv("XDG_DATA_HOME")) oldDataHome = old;
    setenv("XDG_DATA_HOME", (root + "data").c_str(), 1);
  }
  ~HomeTrash() { oldDataHome ? setenv("XDG_DATA_HOME", oldDataHome->c_str(), 1) : unsetenv("XDG_DATA_HOME"); }
  std::string File(const std::string& rel, const std::string& content) {
    tree.File(rel, content);
    return root + rel;
  }

  zwtest::TempTree tree;
  // The tree's real name: trash entries record folders with their links resolved.
  const std::string root = IncludeTrailingSep(fs::canonical(tree.RootPath()).string());
  const std::string trash = root + "data/Trash/";
  std::optional<std::string> oldDataHome;
};

TEST(PosixTrash, AFileGoesToTheHomeTrashWithItsInfoInPrivateFolders) {
  HomeTrash h;
  const std::string file = h.File("odd dir/50% \xC3\xBC#.txt", "contents");
  const std::string before = LocalNow();
  OsError err;
  ASSERT_TRUE(MoveToTrash(file, err)) << err.code;
  const std::string after = LocalNow();
  EXPECT_FALSE(err);
  EXPECT_FALSE(Exists(file));
  EXPECT_EQ(ReadAll(h.trash + "files/50% \xC3\xBC#.txt"), "contents");
  const auto [path, date] = TrashInfo(h.trash + "info/50% \xC3\xBC#.txt.trashinfo");
  EXPECT_EQ(path, detail::TrashPathEncode(h.root) + "odd%20dir/50%25%20%C3%BC%23.txt");
  EXPECT_TRUE(before <= date && date <= after && date.size() == 19) << date;
  for (const std::string& folder : {h.trash, h.trash + "files", h.trash + "info"}) {
    struct stat st {};
    ASSERT_EQ(stat(folder.c_str(), &st), 0) << folder;
    EXPECT_EQ(st.st_mode & 0777, 0700u) << folder;
  }
  EXPECT_EQ(detail::TrashPathEncode("/a-Z_0.9~/b"), "/a-Z_0.9~/b");
  EXPECT_EQ(detail::TrashPathEncode("\xC3\xA4?#&+\n"), "%C3%A4%3F%23%26%2B%0A");
}

TEST(PosixTrash, NamesInTheTrashAreNeverReplacedNorTooLong) {
  HomeTrash h;
  h.tree.File("data/Trash/files/left.txt", "older");  // a trashed file whose info went missing
  h.tree.Dir("data/Trash/info");
  OsError err;
  for (const char* dir : {"one", "two", "three"})
    ASSERT_TRUE(MoveToTrash(h.File(std::string(dir) + "/same.txt", dir), err)) << err.code;
  ASSERT_TRUE(MoveToTrash(h.File("left.txt", "newer"), err)) << err.code;
  const std::string longName(250, 'n');
  ASSERT_TRUE(MoveToTrash(h.File(longName, "long"), err)) << err.code;
  EXPECT_EQ(ReadAll(h.trash + "files/same.txt"), "one");
  EXPECT_EQ(ReadAll(h.trash + "files/same.txt.2"), "two");
  EXPECT_EQ(TrashInfo(h.trash + "info/same.txt.3.trashinfo").first, h.root + "three/same.txt");
  EXPECT_EQ(ReadAll(h.trash + "files/left.txt"), "older");
  EXPECT_EQ(ReadAll(h.trash + "files/left.txt.2"), "newer");
  for (const auto& info : NamesIn(h.trash + "info")) {
    EXPECT_LT(info.size(), 256u);
    if (info.front() != 'n') continue;
    EXPECT_EQ(ReadAll(h.trash + "files/" + info.substr(0, info.size() - 10)), "long");
    EXPECT_EQ(TrashInfo(h.trash + "info/" + info).first, h.root + longName);
  }
  EXPECT_EQ(NamesIn(h.trash + "info").size(), 5u);
}

TEST(PosixTrash, ALinkItselfGoesNotWhatItPointsAt) {
  HomeTrash h;
  const std::string target = h.File("target.txt", "kept");
  ASSERT_EQ(symlink(target.c_str(), (h.root + "link.txt").c_str()), 0);
  OsError err;
  ASSERT_TRUE(MoveToTrash(h.root + "link.txt", err)) << err.code;
  EXPECT_FALSE(Exists(h.root + "link.txt"));
  EXPECT_EQ(ReadAll(target), "kept");
  EXPECT_TRUE(fs::is_symlink(h.trash + "files/link.txt"));
}

// Runs `body` in a child process as an ordinary user when the tests run as
// root (root writes into read-only folders regardless). Returns the body's
// result, or -1 when no such child could run.
int RunUnprivileged(const zwtest::TempTree& tree, const std::function<int()>& body) {
  if (geteuid() != 0) return body();
  constexpr uid_t kNobody = 65534;
  std::error_code ec;
  lchown(tree.RootPath().c_str(), kNobody, kNobody);
  for (auto it = fs::recursive_directory_iterator(tree.RootPath(), ec); !ec && it != fs::recursive_directory_iterator();
       it.increment(ec))
    lchown(it->path().c_str(), kNobody, kNobody);
  const pid_t child = fork();
  if (child < 0) return -1;
  if (child == 0) {
    if (setgid(kNobody) != 0 || setuid(kNobody) != 0) _exit(100);
    _exit(body());
  }
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  return !WIFEXITED(status) || WEXITSTATUS(status) == 100 ? -1 : WEXITSTATUS(status);
}

TEST(PosixTrash, WhatCannotGoLeavesTheFileAndTheTrashAsTheyWere) {
  const struct {
    const char* what;
    std::string file;    // below the root; "" for the root itself
    const char* locked;  // made read-only, below the root
    ErrKind kind;
    int code;
  } cases[] = {
      {"a missing file", "nothing.txt", nullptr, ErrKind::NotFound, ENOENT},
      // A folder cannot move into the trash that lies inside it.
      {"the folder holding the trash", "", nullptr, ErrKind::InvalidName, EINVAL},
      {"a read-only folder", "locked/keep.txt", "locked", ErrKind::AccessDenied, 0},
      {"a read-only trash", "keep.txt", "data/Trash/info", ErrKind::AccessDenied, 0},
  };
  for (const auto& c : cases) {
    HomeTrash h;
    const std::string kept = h.root + (c.file.empty() ? "inside.txt" : c.file);
    if (c.code != ENOENT) h.File(kept.substr(h.root.size()), "keep me");
    h.tree.Dir("data/Trash/files");
    h.tree.Dir("data/Trash/info");
    ASSERT_TRUE(!c.locked || chmod((h.root + c.locked).c_str(), 0555) == 0);
    auto attempt = [&] {
      OsError err;
      if (MoveToTrash(c.file.empty() ? ExcludeTrailingSep(h.root) : h.root + c.file, err)) return 1;
      if (err.kind != c.kind || (c.code && err.code != c.code)) return 2;
      if (c.code != ENOENT && ReadAll(kept) != "keep me") return 3;
      if (!NamesIn(h.trash + "info").empty() || !NamesIn(h.trash + "files").empty()) return 4;
      return 0;
    };
    const int result = c.locked ? RunUnprivileged(h.tree, attempt) : attempt();
    if (result < 0) continue;  // no unprivileged user to run as
    EXPECT_EQ(result, 0) << c.what << ": 1 trashed, 2 wrong error, 3 file changed, 4 trash not empty";
  }
}

void Folder(const std::string& path, mode_t mode) {
  ASSERT_EQ(mkdir(path.c_str(), mode), 0);
  ASSERT_EQ(chmod(path.c_str(), mode), 0);  // past the umask
}

TEST(PosixTopdirTrash, TheSharedTrashOnlyWhenItIsARealStickyFolderElseAPrivateOne) {
  const uid_t uid = getuid();
  const std::string own = ".Trash-" + std::to_string(uid);
  const struct {
    const char* what;
    std::function<void(const std::string& top)> setup;
    std::string trash;  // below the top; "" when refused
  } cases[] = {
      {"no shared trash", [](const std::string&) {}, own},
      {"a sticky shared trash", [](const std::string& top) { Folder(top + "/.Trash", 01777); }, ".Trash/" + std::to_string(uid)},
      {"a shared trash without the sticky bit", [](const std::string& top) { Folder(top + "/.Trash", 0777); }, own},
      {"a shared trash that is a link",
       [](const std::string& top) {
         Folder(top + "/elsewhere", 01777);
         ASSERT_EQ(symlink((top + "/elsewhere").c_str(), (top + "/.Trash").c_str()), 0);
       },
       own},
      {"a private trash that is a link",
       [&](const std::string& top) {
         Folder(top + "/elsewhere", 0700);
         ASSERT_EQ(symlink((top + "/elsewhere").c_str(), (top + "/" + own).c_str()), 0);
       },
       ""},
  };
  for (const auto& c : cases) {
    zwtest::TempTree tree;
    const std::string top = ExcludeTrailingSep(fs::canonical(tree.RootPath()).string());
    c.setup(top);
    std::string trash;
    OsError err;
    const bool ok = detail::TopdirTrashFolder(top, uid, trash, err);
    EXPECT_EQ(ok, !c.trash.empty()) << c.what;
    if (!ok) {
      EXPECT_EQ(err.kind, ErrKind::AccessDenied) << c.what;
      continue;
    }
    EXPECT_EQ(trash, top + "/" + c.trash) << c.what;
    struct stat st {};
    ASSERT_EQ(lstat(trash.c_str(), &st), 0) << c.what;
    EXPECT_TRUE(S_ISDIR(st.st_mode)) << c.what;
    EXPECT_TRUE(NamesIn(top + "/elsewhere").empty()) << c.what;
    // The info holds the path below the top.
    tree.File("sub dir/f.txt", "on another disk");
    ASSERT_TRUE(detail::MoveIntoTrashFolder(top + "/sub dir/f.txt", trash, top, err)) << err.code;
    EXPECT_EQ(ReadAll(trash + "/files/f.txt"), "on another disk") << c.what;
    EXPECT_EQ(TrashInfo(trash + "/info/f.txt.trashinfo").first, "sub%20dir/f.txt") << c.what;
  }
}

// A real second file system (the shared-memory one, where it is separate):
// the file goes to the trash at its top, never across to the home trash.
TEST(PosixTrash, AFileOnAnotherFileSystemGoesToThatFileSystemsTrash) {
  HomeTrash h;
  const std::string top = "/dev/shm";
  struct stat shm {}, home {}, parent {};
  if (stat(top.c_str(), &shm) != 0 || stat(h.root.c_str(), &home) != 0 || shm.st_dev == home.st_dev ||
      access(top.c_str(), W_OK) != 0 || stat("/dev", &parent) != 0 || parent.st_dev == shm.st_dev)
    GTEST_SKIP() << "no second writable file system mounted at " << top;
  const std::string trash = top + "/.Trash-" + std::to_string(getuid());
  const bool trashExisted = Exists(trash);
  const std::string folder = top + "/zw-shell-test-" + std::to_string(getpid());
  fs::create_directories(folder);
  zwtest::WriteAll(folder + "/far.txt", "far away");
  OsError err;
  const bool moved = MoveToTrash(folder + "/far.txt", err);
  // Find what this test put there before checking, so that it is always
  // cleaned up again.
  std::string trashed;
  for (const auto& name : NamesIn(trash + "/info"))
    if (TrashInfo(trash + "/info/" + name).first == folder.substr(top.size() + 1) + "/far.txt")
      trashed = name.substr(0, name.size() - 10);
  const std::string content = trashed.empty() ? "" : ReadAll(trash + "/files/" + trashed);
  std::error_code ec;
  if (!trashed.empty()) {
    fs::remove(trash + "/files/" + trashed, ec);
    fs::remove(trash + "/info/" + trashed + ".trashinfo", ec);
  }
  fs::remove_all(folder, ec);
  if (!trashExisted) fs::remove_all(trash, ec);
  ASSERT_TRUE(moved) << err.code;
  EXPECT_EQ(content, "far away");
  EXPECT_TRUE(NamesIn(h.trash + "files").empty());
}

#else  // _WIN32

bool UnderWine() {
  HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

// Wine's recycle bin is the host's freedesktop.org Trash under
// %XDG_DATA_HOME%, read on first use. The tests point it at a folder of
// their own before any file is recycled, so the user's real trash is never
// touched; on Windows itself they would fill the real recycle bin and run
// only when ZW_TEST_RECYCLE_BIN=1.
class WinTrash : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (!UnderWine()) return;
    using UnixName = char*(CDECL*)(LPCWSTR);
    auto toUnix = reinterpret_cast<UnixName>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    if (toUnix == nullptr) return;
    dataHome_ = new zwtest::TempTree();
    char* unix = toUnix(dataHome_->RootPath().wstring().c_str());
    if (unix == nullptr) return;
    // Once set, it stays set: wine reads it only once per process.
    if (SetEnvironmentVariableA("XDG_DATA_HOME", unix)) {
      trashFiles_ = dataHome_->Root() + "Trash\\files\\";
      redirected_ = true;
    }
    HeapFree(GetProcessHeap(), 0, unix);
  }
  static void TearDownTestSuite() {
    delete dataHome_;
    dataHome_ = nullptr;
  }
  void SetUp() override {
    char flag[8];
    if (UnderWine() && !redirected_) GTEST_SKIP() << "could not point wine's trash at a temporary folder";
    if (!UnderWine() && (GetEnvironmentVariableA("ZW_TEST_RECYCLE_BIN", flag, sizeof flag) == 0 || std::string(flag) != "1"))
      GTEST_SKIP() << "set ZW_TEST_RECYCLE_BIN=1 to let the tests use the real recycle bin";
  }

  zwtest::TempTree tree_;
  static inline zwtest::TempTree* dataHome_ = nullptr;
  static inline bool redirected_ = false;
  static inline std::string trashFiles_;
};

TEST_F(WinTrash, RecycledFilesAreGoneReadOnlyOnesToo) {
  const std::string file = tree_.File("recycle me.txt", "to the bin");
  const std::string ro = tree_.File("ro.txt", "read only");
  ASSERT_TRUE(SetFileAttributesA(ro.c_str(), FILE_ATTRIBUTE_READONLY));
  OsError err;
  ASSERT_TRUE(MoveToTrash(file, err)) << err.code;
  EXPECT_FALSE(err);
  EXPECT_FALSE(Exists(file));
  // Wine hands it to the (redirected) host trash with its contents.
  if (UnderWine()) EXPECT_EQ(ReadAll(trashFiles_ + "recycle me.txt"), "to the bin");
  ASSERT_TRUE(MoveToTrash(ro, err)) << err.code;
  EXPECT_FALSE(Exists(ro));
  EXPECT_FALSE(MoveToTrash(tree_.PathOf("not there.txt"), err));
  EXPECT_NE(err.kind, ErrKind::None);
}

TEST(WinTrashName, NamesTheSourceListCannotHoldFailAsInvalidNames) {
  // The source list holds 259 characters and two NULs; nothing is called.
  OsError err;
  EXPECT_FALSE(MoveToTrash("C:\\" + std::string(257, 'x'), err));
  EXPECT_EQ(err.kind, ErrKind::InvalidName);
  EXPECT_EQ(err.code, ERROR_FILENAME_EXCED_RANGE);
  EXPECT_FALSE(MoveToTrash("", err));
  EXPECT_EQ(err.kind, ErrKind::InvalidName);
}

#endif  // _WIN32

// ------------------------------------------------------------------ shortcuts

TEST(Shortcut, AFileIsReplacedByALinkToTheTarget) {
  zwtest::TempTree tree;
  const std::string file = tree.File("set/copy.txt", "duplicate");
  const std::string target = tree.File("set/original.txt", "duplicate");
  std::string link, resolved;
  OsError err;
  ASSERT_TRUE(ReplaceByShortcut(file, target, link, err)) << err.code;
  EXPECT_FALSE(err);
  EXPECT_TRUE(IsShortcut(link));
  EXPECT_TRUE(SamePath(ExtractFilePath(link), ExtractFilePath(file)));
  ASSERT_TRUE(ResolveShortcut(link, resolved, err)) << err.code;
  EXPECT_TRUE(SamePath(resolved, target)) << resolved;
  EXPECT_EQ(ReadAll(target), "duplicate");
#ifdef _WIN32
  // The file is gone; the shortcut carries the shell's display name.
  EXPECT_FALSE(Exists(file));
  const std::string name = ExtractFileName(link);
  EXPECT_TRUE(name == "copy.txt.lnk" || name == "copy.lnk") << name;
#else
  // The link has taken the file's own name, reads as the target, and
  // nothing temporary is left beside it.
  EXPECT_EQ(link, fs::canonical(tree.RootPath()).string() + "/set/copy.txt");
  EXPECT_TRUE(fs::is_symlink(file));
  EXPECT_EQ(ReadAll(file), "duplicate");
  EXPECT_EQ(NamesIn(tree.Dir("set")), (Names{"copy.txt", "original.txt"}));
  // A relative target resolves from the link's folder.
  const std::string rel = tree.File("d/copy.bin", "bytes");
  tree.File("d/sub/original.bin", "bytes");
  ASSERT_TRUE(ReplaceByShortcut(rel, "sub/original.bin", link, err)) << err.code;
  EXPECT_EQ(fs::read_symlink(rel).string(), "sub/original.bin");
  ASSERT_TRUE(ResolveShortcut(rel, resolved, err)) << err.code;
  EXPECT_EQ(resolved, tree.PathOf("d/sub/original.bin"));
#endif
}

TEST(Shortcut, ATargetThatIsMissingOrTheFileItselfLeavesTheFileAsItWas) {
  zwtest::TempTree tree;
  const std::string file = tree.File("real/only.txt", "last copy");
  std::string link, target;
  const struct {
    std::string file, target;
    ErrKind kind;
  } cases[] = {
      {file, tree.PathOf("real/gone.txt"), ErrKind::NotFound},
      {file, file, ErrKind::None},  // any reason
#ifndef _WIN32
      // The file named through a link to its folder is still the file.
      {file, tree.PathOf("alias/only.txt"), ErrKind::InvalidName},
#endif
      {tree.PathOf("real/absent.txt"), file, ErrKind::NotFound},
  };
#ifndef _WIN32
  ASSERT_EQ(symlink(tree.PathOf("real").c_str(), tree.PathOf("alias").c_str()), 0);
#endif
  for (const auto& c : cases) {
    OsError err;
    EXPECT_FALSE(ReplaceByShortcut(c.file, c.target, link, err)) << c.target;
    EXPECT_TRUE(err) << c.target;
    EXPECT_TRUE(c.kind == ErrKind::None || err.kind == c.kind) << c.target << ": " << ErrKindName(err.kind);
    EXPECT_EQ(ReadAll(file), "last copy");
    EXPECT_FALSE(IsShortcut(file));
    EXPECT_EQ(NamesIn(tree.Dir("real")), Names{"only.txt"});
  }
  OsError err;
  EXPECT_FALSE(ResolveShortcut(file, target, err));  // no shortcut
  EXPECT_GT(err.code, 0);                            // a system error number for the "I/O-Error %d" texts
  EXPECT_FALSE(ResolveShortcut(tree.PathOf("missing.lnk"), target, err));
  EXPECT_EQ(err.kind, ErrKind::NotFound);
}

#ifdef _WIN32
TEST(Shortcut, WindowsTakenNamesReadOnlyFilesAndFilesThatCannotBeDeleted) {
  zwtest::TempTree tree;
  const std::string file = tree.File("dup.txt", "keep"), target = tree.File("orig.txt", "keep");
  // Whichever display name the shell gives, the shortcut's name is taken.
  tree.File("dup.txt.lnk", "not a link");
  tree.File("dup.lnk", "not a link");
  std::string link;
  OsError err;
  EXPECT_FALSE(ReplaceByShortcut(file, target, link, err));
  EXPECT_EQ(err.code, ERROR_ALREADY_EXISTS);
  EXPECT_EQ(err.kind, ErrKind::AlreadyExists);
  EXPECT_EQ(ReadAll(file), "keep");
  EXPECT_EQ(ReadAll(tree.PathOf("dup.txt.lnk")) + ReadAll(tree.PathOf("dup.lnk")), "not a linknot a link");
  const std::string ro = tree.File("ro.txt", "keep");
  ASSERT_TRUE(SetFileAttributesA(ro.c_str(), FILE_ATTRIBUTE_READONLY));
  ASSERT_TRUE(ReplaceByShortcut(ro, target, link, err)) << err.code;
  EXPECT_FALSE(Exists(ro));
  EXPECT_TRUE(Exists(link));
  const std::string busy = tree.File("busy.txt", "keep");
  ASSERT_TRUE(SetFileAttributesA(busy.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE));
  // Open without delete sharing: the delete fails while it is held.
  HANDLE held = CreateFileA(busy.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  const bool replaced = ReplaceByShortcut(busy, target, link, err);
  CloseHandle(held);
  EXPECT_FALSE(replaced);
  EXPECT_EQ(err.kind, ErrKind::SharingViolation);
  EXPECT_EQ(ReadAll(busy), "keep");
  EXPECT_EQ(GetFileAttributesA(busy.c_str()) & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE),
            static_cast<DWORD>(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE));
  EXPECT_TRUE(Exists(link));
  SetFileAttributesA(busy.c_str(), FILE_ATTRIBUTE_NORMAL);
  for (const char* name : {"C:\\a\\b.lnk", "C:\\a\\b.LNK", "b.Lnk"}) EXPECT_TRUE(IsShortcut(name)) << name;
  for (const char* name : {"C:\\a\\b.lnk.txt", "C:\\a.lnk\\b", "C:\\a\\lnk"}) EXPECT_FALSE(IsShortcut(name)) << name;
}
#else
TEST(Shortcut, PosixSymbolicLinksAreShortcutsAndFilesAreNot) {
  zwtest::TempTree tree;
  const std::string file = tree.File("f.txt", "f");
  ASSERT_EQ(symlink("f.txt", (tree.Root() + "l").c_str()), 0);
  ASSERT_EQ(symlink("nowhere", (tree.Root() + "dangling").c_str()), 0);
  EXPECT_TRUE(IsShortcut(tree.Root() + "l") && IsShortcut(tree.Root() + "dangling"));
  for (const std::string& path : {file, tree.Root(), tree.PathOf("missing"), file + ".lnk"}) EXPECT_FALSE(IsShortcut(path)) << path;
}
#endif

}  // namespace
}  // namespace zw::platform
