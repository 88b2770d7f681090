#include "platform/shell.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/paths.h"
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

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

bool Exists(const std::string& path) {
  std::error_code ec;
  return fs::exists(fs::symlink_status(path, ec));
}

std::set<std::string> Names(const std::string& folder) {
  std::set<std::string> names;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(folder, ec)) names.insert(entry.path().filename().string());
  return names;
}

#ifndef _WIN32

// ---------------------------------------------------------------- POSIX trash

void WriteAll(const std::string& path, const std::string& content) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << content;
}

std::string LocalNow() {
  const time_t now = time(nullptr);
  struct tm local {};
  localtime_r(&now, &local);
  char text[32];
  strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local);
  return text;
}

struct TrashInfo {
  bool header = false;
  std::string path;
  std::string deletionDate;
};

TrashInfo ParseTrashInfo(const std::string& file) {
  TrashInfo info;
  std::istringstream in(ReadAll(file));
  std::string line;
  bool first = true;
  while (std::getline(in, line)) {
    if (first) info.header = line == "[Trash Info]";
    first = false;
    if (line.rfind("Path=", 0) == 0) info.path = line.substr(5);
    if (line.rfind("DeletionDate=", 0) == 0) info.deletionDate = line.substr(13);
  }
  return info;
}

// Points the home trash at a folder of the test's own tree, so that no test
// ever touches the user's real trash.
class PosixTrash : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* old = std::getenv("XDG_DATA_HOME");
    hadDataHome_ = old != nullptr;
    if (hadDataHome_) oldDataHome_ = old;
    // The tree's real name: trash entries record folders with their links
    // resolved.
    root_ = IncludeTrailingSep(fs::canonical(tree_.RootPath()).string());
    dataHome_ = root_ + "data";
    setenv("XDG_DATA_HOME", dataHome_.c_str(), 1);
    trash_ = dataHome_ + "/Trash/";
  }
  void TearDown() override {
    if (hadDataHome_) {
      setenv("XDG_DATA_HOME", oldDataHome_.c_str(), 1);
    } else {
      unsetenv("XDG_DATA_HOME");
    }
  }

  std::string File(const std::string& rel, const std::string& content) {
    tree_.File(rel, content);
    return root_ + rel;
  }

  zwtest::TempTree tree_;
  std::string root_;
  std::string dataHome_;
  std::string trash_;
  bool hadDataHome_ = false;
  std::string oldDataHome_;
};

TEST_F(PosixTrash, MovesFileIntoHomeTrashWithItsInfo) {
  const std::string file = File("docs/report.txt", "contents of the report");
  const std::string before = LocalNow();
  OsError err;
  ASSERT_TRUE(MoveToTrash(file, err)) << err.code;
  const std::string after = LocalNow();
  EXPECT_FALSE(err);

  EXPECT_FALSE(Exists(file));
  EXPECT_EQ(ReadAll(trash_ + "files/report.txt"), "contents of the report");
  const TrashInfo info = ParseTrashInfo(trash_ + "info/report.txt.trashinfo");
  EXPECT_TRUE(info.header);
  EXPECT_EQ(info.path, root_ + "docs/report.txt");
  EXPECT_LE(before, info.deletionDate);
  EXPECT_GE(after, info.deletionDate);
  EXPECT_EQ(info.deletionDate.size(), 19u);
}

TEST_F(PosixTrash, CreatesPrivateTrashFolders) {
  const std::string file = File("a.txt", "a");
  OsError err;
  ASSERT_TRUE(MoveToTrash(file, err)) << err.code;
  for (const std::string& folder : {trash_, trash_ + "files", trash_ + "info"}) {
    struct stat st {};
    ASSERT_EQ(stat(folder.c_str(), &st), 0) << folder;
    EXPECT_EQ(st.st_mode & 0777, 0700u) << folder;
  }
}

TEST_F(PosixTrash, EncodesThePathInTheInfo) {
  const std::string file = File("odd dir/50% \xC3\xBC#.txt", "x");
  OsError err;
  ASSERT_TRUE(MoveToTrash(file, err)) << err.code;
  const TrashInfo info = ParseTrashInfo(trash_ + "info/50% \xC3\xBC#.txt.trashinfo");
  EXPECT_EQ(info.path, detail::TrashPathEncode(root_) + "odd%20dir/50%25%20%C3%BC%23.txt");
  EXPECT_EQ(ReadAll(trash_ + "files/50% \xC3\xBC#.txt"), "x");
}

TEST_F(PosixTrash, SecondFileOfTheSameNameGetsADistinctName) {
  const std::string first = File("one/same.txt", "first");
  const std::string second = File("two/same.txt", "second");
  const std::string third = File("three/same.txt", "third");
  OsError err;
  ASSERT_TRUE(MoveToTrash(first, err)) << err.code;
  ASSERT_TRUE(MoveToTrash(second, err)) << err.code;
  ASSERT_TRUE(MoveToTrash(third, err)) << err.code;

  EXPECT_EQ(ReadAll(trash_ + "files/same.txt"), "first");
  EXPECT_EQ(ReadAll(trash_ + "files/same.txt.2"), "second");
  EXPECT_EQ(ReadAll(trash_ + "files/same.txt.3"), "third");
  EXPECT_EQ(ParseTrashInfo(trash_ + "info/same.txt.trashinfo").path, root_ + "one/same.txt");
  EXPECT_EQ(ParseTrashInfo(trash_ + "info/same.txt.2.trashinfo").path, root_ + "two/same.txt");
  EXPECT_EQ(ParseTrashInfo(trash_ + "info/same.txt.3.trashinfo").path, root_ + "three/same.txt");
}

TEST_F(PosixTrash, NeverReplacesALeftoverInFiles) {
  // A trashed file whose info went missing still holds its name.
  tree_.File("data/Trash/files/left.txt", "older");
  tree_.Dir("data/Trash/info");
  const std::string file = File("left.txt", "newer");
  OsError err;
  ASSERT_TRUE(MoveToTrash(file, err)) << err.code;

  EXPECT_EQ(ReadAll(trash_ + "files/left.txt"), "older");
  EXPECT_EQ(ReadAll(trash_ + "files/left.txt.2"), "newer");
  EXPECT_EQ(Names(trash_ + "info"), std::set<std::string>{"left.txt.2.trashinfo"});
}

TEST_F(PosixTrash, TrashesALinkItselfNotWhatItPointsAt) {
  const std::string target = File("target.txt", "kept");
  const std::string link = root_ + "link.txt";
  ASSERT_EQ(symlink(target.c_str(), link.c_str()), 0);
  OsError err;
  ASSERT_TRUE(MoveToTrash(link, err)) << err.code;
  EXPECT_FALSE(Exists(link));
  EXPECT_EQ(ReadAll(target), "kept");
  EXPECT_TRUE(fs::is_symlink(trash_ + "files/link.txt"));
}

TEST_F(PosixTrash, LongNamesAreShortenedInTheTrash) {
  const std::string name(250, 'n');
  const std::string file = File(name, "long");
  OsError err;
  ASSERT_TRUE(MoveToTrash(file, err)) << err.code;
  EXPECT_FALSE(Exists(file));
  const auto infos = Names(trash_ + "info");
  ASSERT_EQ(infos.size(), 1u);
  const std::string infoName = *infos.begin();
  const std::string trashed = infoName.substr(0, infoName.size() - 10);
  EXPECT_LT(infoName.size(), 256u);
  EXPECT_EQ(ReadAll(trash_ + "files/" + trashed), "long");
  EXPECT_EQ(ParseTrashInfo(trash_ + "info/" + infoName).path, root_ + name);
}

TEST_F(PosixTrash, MissingFileFailsWithNotFound) {
  OsError err;
  EXPECT_FALSE(MoveToTrash(root_ + "nothing.txt", err));
  EXPECT_EQ(err.kind, ErrKind::NotFound);
  EXPECT_TRUE(Names(trash_ + "info").empty());
}

TEST_F(PosixTrash, FailedRenameTakesItsInfoBack) {
  // A folder cannot move into the trash that lies inside it.
  const std::string folder = root_;
  File("inside.txt", "stays");
  tree_.Dir("data/Trash/files");
  tree_.Dir("data/Trash/info");
  OsError err;
  EXPECT_FALSE(MoveToTrash(ExcludeTrailingSep(folder), err));
  EXPECT_EQ(err.code, EINVAL);
  EXPECT_EQ(ReadAll(root_ + "inside.txt"), "stays");
  EXPECT_TRUE(Names(trash_ + "info").empty());
  EXPECT_TRUE(Names(trash_ + "files").empty());
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
       it.increment(ec)) {
    lchown(it->path().c_str(), kNobody, kNobody);
  }
  const pid_t child = fork();
  if (child < 0) return -1;
  if (child == 0) {
    if (setgid(kNobody) != 0 || setuid(kNobody) != 0) _exit(100);
    _exit(body());
  }
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  if (!WIFEXITED(status) || WEXITSTATUS(status) == 100) return -1;
  return WEXITSTATUS(status);
}

TEST_F(PosixTrash, ReadOnlyFolderFailsAndTheFileStays) {
  const std::string file = File("locked/keep.txt", "keep me");
  tree_.Dir("data/Trash/files");
  tree_.Dir("data/Trash/info");
  ASSERT_EQ(chmod((root_ + "locked").c_str(), 0555), 0);
  const int result = RunUnprivileged(tree_, [&] {
    OsError err;
    if (MoveToTrash(file, err)) return 1;
    if (err.kind != ErrKind::AccessDenied) return 2;
    if (ReadAll(file) != "keep me") return 3;
    if (!Names(trash_ + "info").empty() || !Names(trash_ + "files").empty()) return 4;
    return 0;
  });
  if (result < 0) GTEST_SKIP() << "no unprivileged user to run as";
  EXPECT_EQ(result, 0) << "1 trashed, 2 wrong kind, 3 file changed, 4 trash not empty";
}

TEST_F(PosixTrash, ReadOnlyTrashFailsAndTheFileStays) {
  const std::string file = File("keep.txt", "keep me");
  tree_.Dir("data/Trash/files");
  tree_.Dir("data/Trash/info");
  ASSERT_EQ(chmod((trash_ + "info").c_str(), 0555), 0);
  const int result = RunUnprivileged(tree_, [&] {
    OsError err;
    if (MoveToTrash(file, err)) return 1;
    if (err.kind != ErrKind::AccessDenied) return 2;
    if (ReadAll(file) != "keep me") return 3;
    if (!Names(trash_ + "files").empty()) return 4;
    return 0;
  });
  if (result < 0) GTEST_SKIP() << "no unprivileged user to run as";
  EXPECT_EQ(result, 0) << "1 trashed, 2 wrong kind, 3 file changed, 4 trash not empty";
}

TEST(PosixTrashPath, EncodesAllButUnreservedBytesAndSlashes) {
  EXPECT_EQ(detail::TrashPathEncode("/a-Z_0.9~/b"), "/a-Z_0.9~/b");
  EXPECT_EQ(detail::TrashPathEncode("/x y%z"), "/x%20y%25z");
  EXPECT_EQ(detail::TrashPathEncode("\xC3\xA4?#&+\n"), "%C3%A4%3F%23%26%2B%0A");
}

// A folder standing in for the top of another file system.
class PosixTopdirTrash : public ::testing::Test {
 protected:
  void SetUp() override { top_ = ExcludeTrailingSep(fs::canonical(tree_.RootPath()).string()); }
  std::string Top(const std::string& rel) const { return top_ + "/" + rel; }

  zwtest::TempTree tree_;
  std::string top_;
  const uid_t uid_ = getuid();
  const std::string uidText_ = std::to_string(getuid());
};

TEST_F(PosixTopdirTrash, WithoutSharedTrashUsesAPrivateOne) {
  std::string trash;
  OsError err;
  ASSERT_TRUE(detail::TopdirTrashFolder(top_, uid_, trash, err)) << err.code;
  EXPECT_EQ(trash, Top(".Trash-" + uidText_));
  struct stat st {};
  ASSERT_EQ(lstat(trash.c_str(), &st), 0);
  EXPECT_TRUE(S_ISDIR(st.st_mode));
  EXPECT_EQ(st.st_mode & 0777, 0700u);
}

TEST_F(PosixTopdirTrash, StickySharedTrashGetsTheUsersFolder) {
  ASSERT_EQ(mkdir(Top(".Trash").c_str(), 01777), 0);
  ASSERT_EQ(chmod(Top(".Trash").c_str(), 01777), 0);
  std::string trash;
  OsError err;
  ASSERT_TRUE(detail::TopdirTrashFolder(top_, uid_, trash, err)) << err.code;
  EXPECT_EQ(trash, Top(".Trash/" + uidText_));
  EXPECT_TRUE(fs::is_directory(trash));
  EXPECT_FALSE(Exists(Top(".Trash-" + uidText_)));
}

TEST_F(PosixTopdirTrash, SharedTrashWithoutStickyBitIsNotUsed) {
  ASSERT_EQ(mkdir(Top(".Trash").c_str(), 0777), 0);
  ASSERT_EQ(chmod(Top(".Trash").c_str(), 0777), 0);
  std::string trash;
  OsError err;
  ASSERT_TRUE(detail::TopdirTrashFolder(top_, uid_, trash, err)) << err.code;
  EXPECT_EQ(trash, Top(".Trash-" + uidText_));
  EXPECT_TRUE(Names(Top(".Trash")).empty());
}

TEST_F(PosixTopdirTrash, SharedTrashThatIsALinkIsNotUsed) {
  tree_.Dir("elsewhere");
  ASSERT_EQ(chmod(Top("elsewhere").c_str(), 01777), 0);
  ASSERT_EQ(symlink(Top("elsewhere").c_str(), Top(".Trash").c_str()), 0);
  std::string trash;
  OsError err;
  ASSERT_TRUE(detail::TopdirTrashFolder(top_, uid_, trash, err)) << err.code;
  EXPECT_EQ(trash, Top(".Trash-" + uidText_));
  EXPECT_TRUE(Names(Top("elsewhere")).empty());
}

TEST_F(PosixTopdirTrash, PrivateTrashThatIsALinkFails) {
  tree_.Dir("elsewhere");
  ASSERT_EQ(symlink(Top("elsewhere").c_str(), Top(".Trash-" + uidText_).c_str()), 0);
  std::string trash;
  OsError err;
  EXPECT_FALSE(detail::TopdirTrashFolder(top_, uid_, trash, err));
  EXPECT_EQ(err.kind, ErrKind::AccessDenied);
}

TEST_F(PosixTopdirTrash, InfoHoldsThePathBelowTheTop) {
  const std::string file = tree_.File("sub dir/f.txt", "on another disk");
  std::string trash;
  OsError err;
  ASSERT_TRUE(detail::TopdirTrashFolder(top_, uid_, trash, err)) << err.code;
  ASSERT_TRUE(detail::MoveIntoTrashFolder(Top("sub dir/f.txt"), trash, top_, err)) << err.code;
  EXPECT_FALSE(Exists(file));
  EXPECT_EQ(ReadAll(trash + "/files/f.txt"), "on another disk");
  EXPECT_EQ(ParseTrashInfo(trash + "/info/f.txt.trashinfo").path, "sub%20dir/f.txt");
}

// A real second file system (the shared-memory one, where it is separate):
// the file goes to the trash at its top, never across to the home trash.
TEST_F(PosixTrash, FileOnAnotherFileSystemGoesToThatFileSystemsTrash) {
  const std::string shm = "/dev/shm";
  struct stat shmSt {};
  struct stat homeSt {};
  if (stat(shm.c_str(), &shmSt) != 0 || stat(root_.c_str(), &homeSt) != 0 || shmSt.st_dev == homeSt.st_dev ||
      access(shm.c_str(), W_OK) != 0) {
    GTEST_SKIP() << "no second writable file system at " << shm;
  }
  std::string top = shm;
  // The top is where the device changes: /dev/shm itself when it is a mount.
  struct stat parentSt {};
  if (stat("/dev", &parentSt) == 0 && parentSt.st_dev == shmSt.st_dev) GTEST_SKIP() << shm << " is not a mount point";

  const std::string trash = top + "/.Trash-" + std::to_string(getuid());
  const bool trashExisted = Exists(trash);
  const std::string folder = top + "/zw-shell-test-" + std::to_string(getpid());
  fs::create_directories(folder);
  const std::string file = folder + "/far.txt";
  WriteAll(file, "far away");

  OsError err;
  const bool moved = MoveToTrash(file, err);
  // Find what this test put there before checking, so that it is always
  // cleaned up again.
  std::string trashedName;
  std::string infoText;
  for (const auto& name : Names(trash + "/info")) {
    const TrashInfo info = ParseTrashInfo(trash + "/info/" + name);
    if (info.path == folder.substr(top.size() + 1) + "/far.txt") {
      trashedName = name.substr(0, name.size() - 10);
      infoText = info.path;
      break;
    }
  }
  const std::string trashedContent = trashedName.empty() ? std::string() : ReadAll(trash + "/files/" + trashedName);
  std::error_code ec;
  if (!trashedName.empty()) {
    fs::remove(trash + "/files/" + trashedName, ec);
    fs::remove(trash + "/info/" + trashedName + ".trashinfo", ec);
  }
  fs::remove_all(folder, ec);
  if (!trashExisted) {
    fs::remove(trash + "/files", ec);
    fs::remove(trash + "/info", ec);
    fs::remove(trash, ec);
  }

  ASSERT_TRUE(moved) << err.code;
  EXPECT_FALSE(trashedName.empty());
  EXPECT_EQ(trashedContent, "far away");
  EXPECT_TRUE(Names(trash_ + "files").empty());
}

#endif  // !_WIN32

// ------------------------------------------------------- Windows recycle bin

#ifdef _WIN32

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
    if (UnderWine()) {
      if (!redirected_) GTEST_SKIP() << "could not point wine's trash at a temporary folder";
    } else {
      char flag[8];
      if (GetEnvironmentVariableA("ZW_TEST_RECYCLE_BIN", flag, sizeof flag) == 0 || std::string(flag) != "1") {
        GTEST_SKIP() << "set ZW_TEST_RECYCLE_BIN=1 to let the tests use the real recycle bin";
      }
    }
  }

  zwtest::TempTree tree_;
  static inline zwtest::TempTree* dataHome_ = nullptr;
  static inline bool redirected_ = false;
  static inline std::string trashFiles_;
};

TEST_F(WinTrash, RecycledFileIsGone) {
  const std::string file = tree_.File("recycle me.txt", "to the bin");
  OsError err;
  ASSERT_TRUE(MoveToTrash(file, err)) << err.code;
  EXPECT_FALSE(err);
  EXPECT_FALSE(Exists(file));
  if (UnderWine()) {
    // Wine hands it to the (redirected) host trash with its contents.
    EXPECT_EQ(ReadAll(trashFiles_ + "recycle me.txt"), "to the bin");
  }
}

TEST_F(WinTrash, ReadOnlyFileIsRecycled) {
  const std::string file = tree_.File("ro.txt", "read only");
  ASSERT_TRUE(SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_READONLY));
  OsError err;
  ASSERT_TRUE(MoveToTrash(file, err)) << err.code;
  EXPECT_FALSE(Exists(file));
}

TEST_F(WinTrash, MissingFileFails) {
  OsError err;
  EXPECT_FALSE(MoveToTrash(tree_.PathOf("not there.txt"), err));
  EXPECT_TRUE(err);
  EXPECT_NE(err.kind, ErrKind::None);
}

TEST(WinTrashName, NameLongerThanTheSourceListFailsAsInvalidName) {
  // The source list holds 259 characters and two NULs; nothing is called.
  const std::string name = "C:\\" + std::string(257, 'x');
  ASSERT_EQ(name.size(), 260u);
  OsError err;
  EXPECT_FALSE(MoveToTrash(name, err));
  EXPECT_EQ(err.kind, ErrKind::InvalidName);
  EXPECT_EQ(err.code, ERROR_FILENAME_EXCED_RANGE);
}

TEST(WinTrashName, EmptyNameFails) {
  OsError err;
  EXPECT_FALSE(MoveToTrash("", err));
  EXPECT_EQ(err.kind, ErrKind::InvalidName);
}

#endif  // _WIN32

// ------------------------------------------------------------------ shortcuts

class Shortcut : public ::testing::Test {
 protected:
  zwtest::TempTree tree_;
};

TEST_F(Shortcut, FileIsReplacedByALinkToTheTarget) {
  const std::string file = tree_.File("set/copy.txt", "duplicate");
  const std::string target = tree_.File("set/original.txt", "duplicate");
  std::string link;
  OsError err;
  ASSERT_TRUE(ReplaceByShortcut(file, target, link, err)) << err.code;
  EXPECT_FALSE(err);
  EXPECT_TRUE(IsShortcut(link));
  EXPECT_TRUE(SamePath(ExtractFilePath(link), ExtractFilePath(file)));

  std::string resolved;
  ASSERT_TRUE(ResolveShortcut(link, resolved, err)) << err.code;
  EXPECT_TRUE(SamePath(resolved, target)) << resolved;
  EXPECT_EQ(ReadAll(resolved), "duplicate");
  EXPECT_EQ(ReadAll(target), "duplicate");
#ifdef _WIN32
  // The file is gone; the shortcut carries the shell's display name.
  EXPECT_FALSE(Exists(file));
  const std::string name = ExtractFileName(link);
  EXPECT_TRUE(name == "copy.txt.lnk" || name == "copy.lnk") << name;
#else
  // The link has taken the file's own name and reads as the target.
  EXPECT_EQ(link, fs::canonical(tree_.RootPath()).string() + "/set/copy.txt");
  EXPECT_TRUE(fs::is_symlink(file));
  EXPECT_EQ(ReadAll(file), "duplicate");
  // Nothing temporary is left beside it.
  EXPECT_EQ(Names(tree_.Dir("set")), (std::set<std::string>{"copy.txt", "original.txt"}));
#endif
}

TEST_F(Shortcut, MissingTargetFailsAndTheFileStays) {
  const std::string file = tree_.File("only.txt", "last copy");
  std::string link;
  OsError err;
  EXPECT_FALSE(ReplaceByShortcut(file, tree_.PathOf("gone.txt"), link, err));
  EXPECT_EQ(err.kind, ErrKind::NotFound);
  EXPECT_EQ(ReadAll(file), "last copy");
  EXPECT_FALSE(IsShortcut(file));
  EXPECT_EQ(Names(tree_.Root()), std::set<std::string>{"only.txt"});
}

TEST_F(Shortcut, TargetThatIsTheFileItselfFailsAndTheFileStays) {
  const std::string file = tree_.File("self.txt", "only copy");
  std::string link;
  OsError err;
  EXPECT_FALSE(ReplaceByShortcut(file, file, link, err));
  EXPECT_TRUE(err);
  EXPECT_EQ(ReadAll(file), "only copy");
  EXPECT_EQ(Names(tree_.Root()), std::set<std::string>{"self.txt"});
}

TEST_F(Shortcut, MissingFileFails) {
  const std::string target = tree_.File("t.txt", "t");
  std::string link;
  OsError err;
  EXPECT_FALSE(ReplaceByShortcut(tree_.PathOf("absent.txt"), target, link, err));
  EXPECT_EQ(err.kind, ErrKind::NotFound);
}

TEST_F(Shortcut, ResolvingSomethingThatIsNoShortcutFails) {
  const std::string plain = tree_.File("plain.txt", "no link");
  std::string target;
  OsError err;
  EXPECT_FALSE(ResolveShortcut(plain, target, err));
  EXPECT_GT(err.code, 0);  // a system error number for the "I/O-Error %d" texts
  EXPECT_FALSE(ResolveShortcut(tree_.PathOf("missing.lnk"), target, err));
  EXPECT_EQ(err.kind, ErrKind::NotFound);
}

#ifdef _WIN32

TEST_F(Shortcut, ExistingShortcutOfThatNameFailsAndTheFileStays) {
  const std::string file = tree_.File("dup.txt", "keep");
  const std::string target = tree_.File("orig.txt", "keep");
  // Whichever display name the shell gives, the shortcut's name is taken.
  tree_.File("dup.txt.lnk", "not a link");
  tree_.File("dup.lnk", "not a link");
  std::string link;
  OsError err;
  EXPECT_FALSE(ReplaceByShortcut(file, target, link, err));
  EXPECT_EQ(err.code, ERROR_ALREADY_EXISTS);
  EXPECT_EQ(err.kind, ErrKind::AlreadyExists);
  EXPECT_EQ(ReadAll(file), "keep");
  EXPECT_EQ(ReadAll(tree_.PathOf("dup.txt.lnk")), "not a link");
  EXPECT_EQ(ReadAll(tree_.PathOf("dup.lnk")), "not a link");
}

TEST_F(Shortcut, ReadOnlyFileIsReplaced) {
  const std::string file = tree_.File("ro.txt", "same");
  const std::string target = tree_.File("rw.txt", "same");
  ASSERT_TRUE(SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_READONLY));
  std::string link;
  OsError err;
  ASSERT_TRUE(ReplaceByShortcut(file, target, link, err)) << err.code;
  EXPECT_FALSE(Exists(file));
  EXPECT_TRUE(Exists(link));
}

TEST_F(Shortcut, FileThatCannotBeDeletedKeepsItsAttributesAndTheShortcutStays) {
  const std::string file = tree_.File("busy.txt", "same");
  const std::string target = tree_.File("free.txt", "same");
  ASSERT_TRUE(SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE));
  // Open without delete sharing: the delete fails while it is held.
  HANDLE held = CreateFileA(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  std::string link;
  OsError err;
  const bool replaced = ReplaceByShortcut(file, target, link, err);
  CloseHandle(held);
  EXPECT_FALSE(replaced);
  EXPECT_EQ(err.kind, ErrKind::SharingViolation);
  EXPECT_EQ(ReadAll(file), "same");
  EXPECT_EQ(GetFileAttributesA(file.c_str()) & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE),
            static_cast<DWORD>(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE));
  EXPECT_TRUE(Exists(link));
  SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST(ShortcutName, LnkExtensionInAnyCaseIsAShortcut) {
  EXPECT_TRUE(IsShortcut("C:\\a\\b.lnk"));
  EXPECT_TRUE(IsShortcut("C:\\a\\b.LNK"));
  EXPECT_TRUE(IsShortcut("b.Lnk"));
  EXPECT_FALSE(IsShortcut("C:\\a\\b.lnk.txt"));
  EXPECT_FALSE(IsShortcut("C:\\a.lnk\\b"));
  EXPECT_FALSE(IsShortcut("C:\\a\\lnk"));
}

#else

TEST_F(Shortcut, RelativeTargetResolvesFromTheLinksFolder) {
  const std::string file = tree_.File("d/copy.bin", "bytes");
  tree_.File("d/sub/original.bin", "bytes");
  std::string link;
  OsError err;
  ASSERT_TRUE(ReplaceByShortcut(file, "sub/original.bin", link, err)) << err.code;
  EXPECT_EQ(fs::read_symlink(file).string(), "sub/original.bin");
  std::string resolved;
  ASSERT_TRUE(ResolveShortcut(file, resolved, err)) << err.code;
  EXPECT_EQ(resolved, tree_.PathOf("d/sub/original.bin"));
  EXPECT_EQ(ReadAll(file), "bytes");
}

TEST_F(Shortcut, LinkThatNamesItselfAsTargetIsRefused) {
  // The target named through a link to the file's folder is still the file.
  const std::string file = tree_.File("real/x.txt", "only copy");
  const std::string alias = tree_.Root() + "alias";
  ASSERT_EQ(symlink(tree_.PathOf("real").c_str(), alias.c_str()), 0);
  std::string link;
  OsError err;
  EXPECT_FALSE(ReplaceByShortcut(file, alias + "/x.txt", link, err));
  EXPECT_EQ(err.code, EINVAL);
  EXPECT_FALSE(fs::is_symlink(file));
  EXPECT_EQ(ReadAll(file), "only copy");
}

TEST_F(Shortcut, SymbolicLinksAreShortcutsAndFilesAreNot) {
  const std::string file = tree_.File("f.txt", "f");
  const std::string link = tree_.Root() + "l";
  ASSERT_EQ(symlink("f.txt", link.c_str()), 0);
  const std::string dangling = tree_.Root() + "dangling";
  ASSERT_EQ(symlink("nowhere", dangling.c_str()), 0);
  EXPECT_TRUE(IsShortcut(link));
  EXPECT_TRUE(IsShortcut(dangling));
  EXPECT_FALSE(IsShortcut(file));
  EXPECT_FALSE(IsShortcut(tree_.Root()));
  EXPECT_FALSE(IsShortcut(tree_.PathOf("missing")));
  EXPECT_FALSE(IsShortcut(file + ".lnk"));
}

#endif

}  // namespace
}  // namespace zw::platform
