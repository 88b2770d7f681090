// The recycle bin and shortcuts on POSIX.
//
// The recycle bin is the freedesktop.org Trash: the home trash
// ($XDG_DATA_HOME/Trash, by default ~/.local/share/Trash) for files on the
// file system that holds it, otherwise the trash at the top of the file's own
// file system. A file only ever moves there by rename(), never by copy and
// delete, so a trashed file keeps its inode, its times and its permissions.
//
// A shortcut is a symbolic link. It is made under a temporary name next to
// the file and renamed over the file, so the file's name never disappears.
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/paths.h"
#include "platform/posix/shell_posix_detail.h"
#include "platform/shell.h"

#ifndef RENAME_NOREPLACE
#define RENAME_NOREPLACE (1 << 0)
#endif

namespace zw::platform {
namespace {

constexpr size_t kMaxNameBytes = 255;  // NAME_MAX of the common file systems
constexpr const char* kInfoExt = ".trashinfo";
constexpr int kMaxNameTries = 10000;

bool Fail(OsError& err, int code) {
  err = OsError::FromNative(code);
  return false;
}

// The folder part without its trailing separator ("/a/b/" -> "/a/b"; the
// root stays "/").
std::string ParentOf(const std::string& absolute) {
  return ExcludeTrailingSep(ExtractFilePath(absolute));
}

// The absolute name of `path` with its folder's symbolic links resolved and
// its last part kept as it is (a link to trash is trashed itself, not what it
// points at).
bool RealName(const std::string& path, std::string& real, OsError& err) {
  const std::string full = ExcludeTrailingSep(FullPath(path));
  const std::string name = ExtractFileName(full);
  if (full.empty() || name.empty()) return Fail(err, EINVAL);
  char buffer[PATH_MAX];
  const std::string parent = ParentOf(full);
  if (realpath(parent.c_str(), buffer) == nullptr) return Fail(err, errno);
  real = JoinPath(IncludeTrailingSep(buffer), name);
  return true;
}

// A folder that exists (following links) or is made now with `mode`.
bool EnsureFolder(const std::string& folder, mode_t mode, OsError& err) {
  if (mkdir(folder.c_str(), mode) != 0 && errno != EEXIST) return Fail(err, errno);
  struct stat st {};
  if (stat(folder.c_str(), &st) != 0) return Fail(err, errno);
  if (!S_ISDIR(st.st_mode)) return Fail(err, ENOTDIR);
  return true;
}

// Like EnsureFolder, with every missing parent (made with the same mode).
bool EnsureFolders(const std::string& folder, mode_t mode, OsError& err) {
  struct stat st {};
  if (stat(folder.c_str(), &st) == 0) {
    if (!S_ISDIR(st.st_mode)) return Fail(err, ENOTDIR);
    return true;
  }
  const std::string parent = ParentOf(ExcludeTrailingSep(folder));
  if (!parent.empty() && parent != folder && !EnsureFolders(parent, mode, err)) return false;
  return EnsureFolder(folder, mode, err);
}

// The home trash folder, or empty when there is no home to put it in.
std::string HomeTrashFolder() {
  const char* dataHome = std::getenv("XDG_DATA_HOME");
  if (dataHome != nullptr && dataHome[0] == '/') return JoinPath(dataHome, "Trash");
  std::string home;
  const char* homeVar = std::getenv("HOME");
  if (homeVar != nullptr && homeVar[0] == '/') {
    home = homeVar;
  } else {
    struct passwd pw {};
    struct passwd* found = nullptr;
    std::vector<char> buffer(16384);
    if (getpwuid_r(getuid(), &pw, buffer.data(), buffer.size(), &found) == 0 && found != nullptr &&
        found->pw_dir != nullptr && found->pw_dir[0] == '/') {
      home = found->pw_dir;
    }
  }
  if (home.empty()) return std::string();
  return JoinPath(JoinPath(home, ".local/share"), "Trash");
}

// The device of `folder`, or of its nearest ancestor that exists.
bool DeviceOfNearest(std::string folder, dev_t& device) {
  for (;;) {
    struct stat st {};
    if (stat(folder.c_str(), &st) == 0) {
      device = st.st_dev;
      return true;
    }
    if (folder == "/" || folder.empty()) return false;
    folder = ParentOf(ExcludeTrailingSep(folder));
  }
}

// The mount point of the file system holding `realName`, found by walking up
// its (link-free) folders while the device stays the same.
std::string TopdirOf(const std::string& realName, dev_t device) {
  std::string dir = ParentOf(realName);
  while (dir != "/") {
    const std::string parent = ParentOf(dir);
    struct stat st {};
    if (stat(parent.c_str(), &st) != 0 || st.st_dev != device) break;
    dir = parent;
  }
  return dir;
}

// A folder made (0700) or found under `path` that is not a link and belongs
// to `uid`.
bool OwnPrivateFolder(const std::string& path, uid_t uid, OsError& err) {
  if (mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) return Fail(err, errno);
  struct stat st {};
  if (lstat(path.c_str(), &st) != 0) return Fail(err, errno);
  if (!S_ISDIR(st.st_mode) || st.st_uid != uid) return Fail(err, EACCES);
  return true;
}

std::string LocalDeletionDate() {
  const time_t now = time(nullptr);
  struct tm local {};
  localtime_r(&now, &local);
  char text[32];
  if (strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local) == 0) return std::string();
  return text;
}

// The trash name for a file called `name`: the name itself, cut (at a whole
// UTF-8 character) so that it still fits with a number and ".trashinfo".
std::string TrashBaseName(const std::string& name) {
  const size_t room = kMaxNameBytes - std::char_traits<char>::length(kInfoExt) - 8;  // ".99999" and slack
  if (name.size() <= room) return name;
  size_t cut = room;
  while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80) --cut;
  return name.substr(0, cut);
}

// Renames without replacing anything (EEXIST when `to` is taken) and without
// ever copying: a different file system fails with EXDEV.
int RenameNoReplaceNoCopy(const std::string& from, const std::string& to) {
  int code = ENOSYS;
#if defined(__linux__) && defined(SYS_renameat2)
  if (syscall(SYS_renameat2, AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
  code = errno;
#endif
  if (code != EINVAL && code != ENOSYS && code != EOPNOTSUPP && code != ENOTSUP) return code;
  struct stat st {};
  if (lstat(from.c_str(), &st) != 0) return errno;
  if (!S_ISDIR(st.st_mode)) {
    // link() claims the new name only when it is free.
    if (link(from.c_str(), to.c_str()) == 0) {
      if (unlink(from.c_str()) == 0) return 0;
      const int unlinkCode = errno;
      unlink(to.c_str());
      return unlinkCode;
    }
    if (errno == EEXIST || errno == EXDEV) return errno;
  }
  // No hard links here (or a folder): look first, then rename.
  if (lstat(to.c_str(), &st) == 0) return EEXIST;
  if (rename(from.c_str(), to.c_str()) != 0) return errno;
  return 0;
}

}  // namespace

namespace detail {

std::string TrashPathEncode(const std::string& path) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(path.size());
  for (const char c : path) {
    const unsigned char u = static_cast<unsigned char>(c);
    const bool keep = (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || (u >= '0' && u <= '9') || u == '-' ||
                      u == '.' || u == '_' || u == '~' || u == '/';
    if (keep) {
      out.push_back(c);
    } else {
      out.push_back('%');
      out.push_back(kHex[u >> 4]);
      out.push_back(kHex[u & 0x0F]);
    }
  }
  return out;
}

bool TopdirTrashFolder(const std::string& topdir, uid_t uid, std::string& trashFolder, OsError& err) {
  const std::string uidText = std::to_string(static_cast<unsigned long>(uid));
  const std::string shared = JoinPath(topdir, ".Trash");
  struct stat st {};
  if (lstat(shared.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && (st.st_mode & S_ISVTX) != 0) {
    const std::string own = JoinPath(shared, uidText);
    OsError ignored;
    if (OwnPrivateFolder(own, uid, ignored)) {
      trashFolder = own;
      return true;
    }
  }
  const std::string own = JoinPath(topdir, ".Trash-" + uidText);
  if (!OwnPrivateFolder(own, uid, err)) return false;
  trashFolder = own;
  return true;
}

bool MoveIntoTrashFolder(const std::string& absolutePath, const std::string& trashFolder,
                         const std::string& topdir, OsError& err) {
  err = OsError{};
  const std::string filesFolder = JoinPath(trashFolder, "files");
  const std::string infoFolder = JoinPath(trashFolder, "info");
  if (!EnsureFolder(trashFolder, 0700, err) || !EnsureFolder(filesFolder, 0700, err) ||
      !EnsureFolder(infoFolder, 0700, err)) {
    return false;
  }

  std::string recorded = absolutePath;
  if (!topdir.empty()) {
    const std::string top = IncludeTrailingSep(topdir);
    if (recorded.compare(0, top.size(), top) == 0) recorded = recorded.substr(top.size());
  }
  const std::string info = "[Trash Info]\nPath=" + TrashPathEncode(recorded) +
                           "\nDeletionDate=" + LocalDeletionDate() + "\n";

  const std::string base = TrashBaseName(ExtractFileName(absolutePath));
  for (int n = 1; n <= kMaxNameTries; ++n) {
    const std::string name = n == 1 ? base : base + "." + std::to_string(n);
    const std::string infoPath = JoinPath(infoFolder, name + kInfoExt);
    const int fd = open(infoPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) {
      if (errno == EEXIST) continue;
      return Fail(err, errno);
    }
    size_t written = 0;
    int writeCode = 0;
    while (written < info.size()) {
      const ssize_t got = write(fd, info.data() + written, info.size() - written);
      if (got < 0) {
        if (errno == EINTR) continue;
        writeCode = errno;
        break;
      }
      written += static_cast<size_t>(got);
    }
    if (close(fd) != 0 && writeCode == 0) writeCode = errno;
    if (writeCode != 0) {
      unlink(infoPath.c_str());
      return Fail(err, writeCode);
    }
    const int renameCode = RenameNoReplaceNoCopy(absolutePath, JoinPath(filesFolder, name));
    if (renameCode == 0) return true;
    unlink(infoPath.c_str());
    if (renameCode == EEXIST) continue;  // a leftover in files/ without its info
    return Fail(err, renameCode);
  }
  return Fail(err, EEXIST);
}

}  // namespace detail

bool MoveToTrash(const std::string& path, OsError& err) {
  err = OsError{};
  std::string real;
  if (!RealName(path, real, err)) return false;
  struct stat st {};
  if (lstat(real.c_str(), &st) != 0) return Fail(err, errno);

  const std::string home = HomeTrashFolder();
  dev_t homeDevice = 0;
  if (!home.empty() && DeviceOfNearest(home, homeDevice) && homeDevice == st.st_dev) {
    // The home trash and its parents are private to the user.
    if (!EnsureFolders(home, 0700, err)) return false;
    return detail::MoveIntoTrashFolder(real, home, std::string(), err);
  }

  const std::string topdir = TopdirOf(real, st.st_dev);
  std::string trash;
  if (!detail::TopdirTrashFolder(topdir, getuid(), trash, err)) return false;
  return detail::MoveIntoTrashFolder(real, trash, topdir, err);
}

bool ReplaceByShortcut(const std::string& file, const std::string& target, std::string& linkPath,
                       OsError& err) {
  err = OsError{};
  linkPath.clear();
  std::string real;
  if (!RealName(file, real, err)) return false;
  struct stat st {};
  if (lstat(real.c_str(), &st) != 0) return Fail(err, errno);
  if (S_ISDIR(st.st_mode)) return Fail(err, EISDIR);
  if (target.empty()) return Fail(err, ENOENT);

  // The link must lead to something that exists and is not the file's own
  // name: a link to a missing target or to itself would lose the contents.
  const std::string folder = ExtractFilePath(real);
  const std::string targetFromFolder = target[0] == '/' ? target : folder + target;
  char resolved[PATH_MAX];
  if (realpath(targetFromFolder.c_str(), resolved) == nullptr) return Fail(err, errno);
  std::string targetName;
  OsError ignored;
  if (real == resolved || (RealName(targetFromFolder, targetName, ignored) && targetName == real)) {
    return Fail(err, EINVAL);
  }

  static std::atomic<unsigned> counter{0};
  std::string temp;
  for (int attempt = 0;; ++attempt) {
    char suffix[48];
    std::snprintf(suffix, sizeof suffix, ".zwlink-%ld-%u", static_cast<long>(getpid()), counter++);
    temp = folder + suffix;
    if (symlink(target.c_str(), temp.c_str()) == 0) break;
    if (errno != EEXIST || attempt >= kMaxNameTries) return Fail(err, errno);
  }
  if (rename(temp.c_str(), real.c_str()) != 0) {
    const int code = errno;
    unlink(temp.c_str());
    return Fail(err, code);
  }
  linkPath = real;
  return true;
}

bool ResolveShortcut(const std::string& shortcut, std::string& target, OsError& err) {
  err = OsError{};
  std::vector<char> buffer(PATH_MAX);
  for (;;) {
    const ssize_t n = readlink(shortcut.c_str(), buffer.data(), buffer.size());
    if (n < 0) return Fail(err, errno);
    if (static_cast<size_t>(n) < buffer.size()) {
      const std::string content(buffer.data(), static_cast<size_t>(n));
      if (content.empty()) return Fail(err, ENOENT);
      target = content[0] == '/' ? content : FullPath(ExtractFilePath(FullPath(shortcut)) + content);
      return true;
    }
    if (buffer.size() >= (1u << 20)) return Fail(err, ENAMETOOLONG);
    buffer.resize(buffer.size() * 2);
  }
}

bool IsShortcut(const std::string& path) {
  struct stat st {};
  return lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

}  // namespace zw::platform
