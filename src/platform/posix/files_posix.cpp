// Files and folders on POSIX.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <ctime>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/paths.h"
#include "platform/posix/files_posix_detail.h"

#ifndef RENAME_NOREPLACE
#define RENAME_NOREPLACE (1 << 0)
#endif

namespace zw::platform {
namespace {

OsError Fail(int code) { return OsError::FromNative(code != 0 ? code : EIO); }
OsError FailErrno() { return Fail(errno); }

// Seconds before 1601 do not fit a FILETIME; they clamp to 0.
FileTime StatTime(const struct timespec& ts) {
  constexpr int64_t kSecondsBefore1970 = static_cast<int64_t>(kUnixEpochFileTime / kTicksPerSecond);
  if (ts.tv_sec < -kSecondsBefore1970) return 0;
  return UnixToFileTime(ts.tv_sec, static_cast<uint32_t>(ts.tv_nsec));
}

bool IsHiddenName(const char* name) {
  if (name[0] != '.') return false;
  if (name[1] == '\0') return false;                     // "."
  if (name[1] == '.' && name[2] == '\0') return false;  // ".."
  return true;
}

// The Windows view of one stat record (see files.h for the bits).
void FillFromStat(const struct stat& st, const char* name, FindData& out) {
  const bool isDir = S_ISDIR(st.st_mode);
  const bool isLink = S_ISLNK(st.st_mode);
  const bool isRegular = S_ISREG(st.st_mode);
  uint32_t a = 0;
  if (isDir) {
    a |= attr::kDirectory;
  } else if (isLink) {
    a |= attr::kReparsePoint;
  } else if (!isRegular) {
    a |= attr::kSystem;
  }
  if (!isLink && (st.st_mode & S_IWUSR) == 0) a |= attr::kReadOnly;
  if (IsHiddenName(name)) a |= attr::kHidden;
  if (a == 0) a = attr::kNormal;

  out.attributes = a;
  out.size = isRegular ? static_cast<uint64_t>(st.st_size) : 0;
  out.lastWriteUtc = StatTime(st.st_mtim);
  out.creationUtc = StatTime(st.st_ctim);
  out.isLink = isLink;
  out.isSpecial = !isDir && !isLink && !isRegular;
  out.id = FileId{static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino)};
  out.links = static_cast<uint32_t>(st.st_nlink);
}

// The path as lstat should see it: without trailing separators, so that a
// final symbolic link is not followed ("/" stays "/").
std::string WithoutTrailingSep(const std::string& path) { return ExcludeTrailingSep(path); }

bool ReadAll(int fd, void* buffer, size_t count, size_t& got, OsError& err, bool positioned,
             uint64_t offset) {
  got = 0;
  char* p = static_cast<char*>(buffer);
  while (got < count) {
    const size_t want = std::min<size_t>(count - got, size_t{1} << 30);
    const ssize_t n = positioned ? pread(fd, p + got, want, static_cast<off_t>(offset + got))
                                 : read(fd, p + got, want);
    if (n < 0) {
      if (errno == EINTR) continue;
      err = FailErrno();
      return false;
    }
    if (n == 0) break;  // end of file
    got += static_cast<size_t>(n);
  }
  return true;
}

int OpenChecked(const std::string& path, int flags, bool needWritable, OsError& err) {
  // O_NONBLOCK keeps a pipe without writer from blocking the open; it is
  // cleared again below.
  const int fd = open(path.c_str(), flags | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, 0666);
  if (fd < 0) {
    err = FailErrno();
    return -1;
  }
  struct stat st {};
  int code = 0;
  if (fstat(fd, &st) != 0) {
    code = errno;
  } else if (S_ISDIR(st.st_mode)) {
    code = EISDIR;
  } else if (needWritable && (st.st_mode & S_IWUSR) == 0) {
    code = EACCES;  // read-only: refused even where the superuser could write
  } else {
    const int fl = fcntl(fd, F_GETFL);
    if (fl == -1 || fcntl(fd, F_SETFL, fl & ~O_NONBLOCK) == -1) code = errno;
  }
  if (code != 0) {
    close(fd);
    err = Fail(code);
    return -1;
  }
  err = OsError{};
  return fd;
}

}  // namespace

// ---------------------------------------------------------------- fallbacks

namespace detail {

bool RenameByLink(const std::string& from, const std::string& to, OsError& err) {
  if (link(from.c_str(), to.c_str()) != 0) {
    err = FailErrno();
    return false;
  }
  if (unlink(from.c_str()) != 0) {
    err = FailErrno();
    unlink(to.c_str());  // back to one name
    return false;
  }
  err = OsError{};
  return true;
}

namespace {

// A name for the copy in the target folder that nothing else uses: it never
// looks like the target, so a copy cut short (power loss, a kill) is never
// taken for the moved file.
int CreateTemporary(const std::string& folder, std::string& name) {
  static std::atomic<uint32_t> counter{0};
  for (int attempt = 0; attempt < 64; ++attempt) {
    struct timespec now {};
    clock_gettime(CLOCK_REALTIME, &now);
    const uint64_t salt = (static_cast<uint64_t>(getpid()) << 32) ^
                          static_cast<uint64_t>(now.tv_nsec) ^
                          (static_cast<uint64_t>(counter.fetch_add(1)) << 20);
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016llx",
                  static_cast<unsigned long long>(salt * 0x9E3779B97F4A7C15ULL));
    name = folder + ".zwillo-" + hex + ".part";
    const int fd = open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0600);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  errno = EEXIST;
  return -1;
}

int CopyData(int in, int out) {
  std::vector<char> buffer(1 << 20);
  for (;;) {
    const ssize_t n = read(in, buffer.data(), buffer.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    if (n == 0) return 0;
    size_t done = 0;
    while (done < static_cast<size_t>(n)) {
      const ssize_t w = write(out, buffer.data() + done, static_cast<size_t>(n) - done);
      if (w < 0) {
        if (errno == EINTR) continue;
        return errno;
      }
      done += static_cast<size_t>(w);
    }
  }
}

// Hands a folder's entries (a new name, a removed one) to the device.
int FlushFolder(const std::string& folder) {
  const int fd = open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return errno;
  const int code = fsync(fd) == 0 || errno == EINVAL ? 0 : errno;
  close(fd);
  return code;
}

}  // namespace

bool RenameNoReplaceSameVolume(const std::string& from, const std::string& to, OsError& err) {
#if defined(__linux__) && defined(SYS_renameat2)
  if (syscall(SYS_renameat2, AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) {
    err = OsError{};
    return true;
  }
  const int code = errno;
#else
  const int code = ENOSYS;
#endif
  // No RENAME_NOREPLACE here: never fall back on rename(), which would
  // replace an existing target silently.
  if (code == EINVAL || code == ENOSYS || code == EOPNOTSUPP) return RenameByLink(from, to, err);
  err = Fail(code);
  return false;
}

bool MoveByCopy(const std::string& from, const std::string& to, OsError& err) {
  struct stat st {};
  if (lstat(from.c_str(), &st) != 0) {
    err = FailErrno();
    return false;
  }
  if (!S_ISREG(st.st_mode)) {
    err = Fail(EXDEV);  // folders, links and devices do not cross file systems here
    return false;
  }
  // Refused early when the target exists; the final rename checks again.
  struct stat target {};
  if (lstat(to.c_str(), &target) == 0) {
    err = Fail(EEXIST);
    return false;
  }
  const int in = open(from.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
  if (in < 0) {
    err = FailErrno();
    return false;
  }
  const std::string folder = ExtractFilePath(to);
  std::string temporary;
  const int out = CreateTemporary(folder, temporary);
  if (out < 0) {
    err = FailErrno();
    close(in);
    return false;
  }
  int code = CopyData(in, out);
  close(in);
  if (code == 0) {
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    if (futimens(out, times) != 0 || fchmod(out, st.st_mode & 07777) != 0) code = errno;
  }
  if (code == 0 && fsync(out) != 0) code = errno;
  if (close(out) != 0 && code == 0) code = errno;
  if (code != 0) {
    unlink(temporary.c_str());
    err = Fail(code);
    return false;
  }
  OsError renameErr;
  if (!RenameNoReplaceSameVolume(temporary, to, renameErr)) {
    unlink(temporary.c_str());
    err = renameErr;
    return false;
  }
  // The copy is complete under its final name; only now may the source go.
  code = FlushFolder(folder);
  if (code == 0 && unlink(from.c_str()) != 0) code = errno;
  if (code != 0) {
    unlink(to.c_str());  // back to the one file there was
    err = Fail(code);
    return false;
  }
  err = OsError{};
  return true;
}

}  // namespace detail

// ---------------------------------------------------------------- DirEnum

struct DirEnum::Impl {
  DIR* dir = nullptr;
  int fd = -1;
  OsError lastError;
};

DirEnum::DirEnum() : impl_(std::make_unique<Impl>()) {}
DirEnum::~DirEnum() { Close(); }

bool DirEnum::Open(const std::string& folder, OsError& err) {
  Close();
  impl_->lastError = OsError{};
  if (folder.empty()) {
    err = Fail(ENOENT);
    return false;
  }
  const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) {
    err = FailErrno();
    return false;
  }
  DIR* dir = fdopendir(fd);
  if (dir == nullptr) {
    err = FailErrno();
    close(fd);
    return false;
  }
  impl_->dir = dir;
  impl_->fd = fd;  // owned by `dir` from now on
  err = OsError{};
  return true;
}

bool DirEnum::Next(FindData& out) {
  if (impl_->dir == nullptr) return false;
  for (;;) {
    errno = 0;
    const struct dirent* e = readdir(impl_->dir);
    if (e == nullptr) {
      if (errno != 0) impl_->lastError = FailErrno();
      return false;
    }
    struct stat st;
    if (fstatat(impl_->fd, e->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) {
      continue;  // vanished (or cannot be looked at) since the listing
    }
    out.name.assign(e->d_name);
    FillFromStat(st, e->d_name, out);
    return true;
  }
}

OsError DirEnum::LastError() const { return impl_->lastError; }

bool DirEnum::Identity(FileId& id, OsError& err) const {
  struct stat st {};
  if (impl_->fd < 0 || fstat(impl_->fd, &st) != 0) {
    err = impl_->fd < 0 ? Fail(EBADF) : FailErrno();
    return false;
  }
  id = FileId{static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino)};
  err = OsError{};
  return true;
}

void DirEnum::Close() {
  if (impl_ && impl_->dir != nullptr) {
    closedir(impl_->dir);
    impl_->dir = nullptr;
    impl_->fd = -1;
  }
}

// ---------------------------------------------------------------- facts

bool GetFileInfo(const std::string& path, FindData& out, OsError& err) {
  if (path.empty()) {
    err = Fail(ENOENT);
    return false;
  }
  const std::string p = WithoutTrailingSep(path);
  struct stat st {};
  if (lstat(p.c_str(), &st) != 0) {
    err = FailErrno();
    return false;
  }
  out.name = ExtractFileName(p);
  FillFromStat(st, out.name.c_str(), out);
  err = OsError{};
  return true;
}

bool FileExists(const std::string& path) {
  struct stat st {};
  return !path.empty() && stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool FolderExists(const std::string& path) {
  struct stat st {};
  return !path.empty() && stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool GetFileId(const std::string& path, FileId& id, OsError& err) {
  struct stat st {};
  if (path.empty() || stat(path.c_str(), &st) != 0) {
    err = path.empty() ? Fail(ENOENT) : FailErrno();
    return false;
  }
  id = FileId{static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino)};
  err = OsError{};
  return true;
}

// ---------------------------------------------------------------- File

File::File() : fd_(-1) {}
File::~File() { Close(); }

File::File(File&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }

File& File::operator=(File&& other) noexcept {
  if (this != &other) {
    Close();
    fd_ = other.fd_;
    other.fd_ = -1;
  }
  return *this;
}

bool File::OpenRead(const std::string& path, OsError& err) {
  Close();
  fd_ = OpenChecked(path, O_RDONLY, false, err);
  if (fd_ < 0) return false;
#ifdef POSIX_FADV_SEQUENTIAL
  posix_fadvise(fd_, 0, 0, POSIX_FADV_SEQUENTIAL);
#endif
  return true;
}

bool File::OpenReadListed(const std::string& path, bool longRead, OsError& err) {
  Close();
  // O_NONBLOCK stays: reads of a regular file ignore it, and a pipe put in
  // the file's place fails its first read instead of waiting for a writer.
  fd_ = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd_ < 0) {
    err = FailErrno();
    return false;
  }
  err = OsError{};
#ifdef POSIX_FADV_SEQUENTIAL
  if (longRead) posix_fadvise(fd_, 0, 0, POSIX_FADV_SEQUENTIAL);
#else
  (void)longRead;
#endif
  return true;
}

bool File::ReadRefusedFolder(const OsError& err) { return err.code == EISDIR; }

bool File::OpenReadWrite(const std::string& path, OsError& err) {
  Close();
  fd_ = OpenChecked(path, O_RDWR, true, err);
  return fd_ >= 0;
}

bool File::CreateNew(const std::string& path, OsError& err) {
  Close();
  fd_ = open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
  err = fd_ < 0 ? FailErrno() : OsError{};
  return fd_ >= 0;
}

bool File::CreateAlways(const std::string& path, OsError& err) {
  Close();
  fd_ = open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOCTTY, 0666);
  err = fd_ < 0 ? FailErrno() : OsError{};
  return fd_ >= 0;
}

bool File::OpenAppend(const std::string& path, bool empty, OsError& err) {
  Close();
  fd_ = OpenChecked(path, O_WRONLY | O_CREAT | O_APPEND | (empty ? O_TRUNC : 0), false, err);
  return fd_ >= 0;
}

bool File::IsOpen() const { return fd_ >= 0; }

bool File::Size(uint64_t& size, OsError& err) const {
  struct stat st {};
  if (fd_ < 0) {
    err = Fail(EBADF);
    return false;
  }
  if (fstat(fd_, &st) != 0) {
    err = FailErrno();
    return false;
  }
  size = static_cast<uint64_t>(st.st_size);
  err = OsError{};
  return true;
}

bool File::Identity(FileId& id, uint32_t& links, OsError& err) const {
  struct stat st {};
  if (fd_ < 0 || fstat(fd_, &st) != 0) {
    err = fd_ < 0 ? Fail(EBADF) : FailErrno();
    return false;
  }
  id = FileId{static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino)};
  links = static_cast<uint32_t>(st.st_nlink);
  err = OsError{};
  return true;
}

bool File::Read(void* buffer, size_t count, size_t& got, OsError& err) {
  got = 0;
  if (fd_ < 0) {
    err = Fail(EBADF);
    return false;
  }
  if (!ReadAll(fd_, buffer, count, got, err, false, 0)) return false;
  err = OsError{};
  return true;
}

bool File::ReadAt(uint64_t offset, void* buffer, size_t count, size_t& got, OsError& err) {
  got = 0;
  if (fd_ < 0) {
    err = Fail(EBADF);
    return false;
  }
  if (offset > static_cast<uint64_t>(INT64_MAX) - count) {
    err = Fail(EINVAL);
    return false;
  }
  if (!ReadAll(fd_, buffer, count, got, err, true, offset)) return false;
  err = OsError{};
  return true;
}

bool File::Write(const void* buffer, size_t count, OsError& err) {
  if (fd_ < 0) {
    err = Fail(EBADF);
    return false;
  }
  const char* p = static_cast<const char*>(buffer);
  size_t done = 0;
  while (done < count) {
    const size_t want = std::min<size_t>(count - done, size_t{1} << 30);
    const ssize_t n = write(fd_, p + done, want);
    if (n < 0) {
      if (errno == EINTR) continue;
      err = FailErrno();
      return false;
    }
    done += static_cast<size_t>(n);
  }
  err = OsError{};
  return true;
}

bool File::Seek(uint64_t offset, OsError& err) {
  if (fd_ < 0) {
    err = Fail(EBADF);
    return false;
  }
  if (offset > static_cast<uint64_t>(INT64_MAX) ||
      lseek(fd_, static_cast<off_t>(offset), SEEK_SET) == static_cast<off_t>(-1)) {
    err = offset > static_cast<uint64_t>(INT64_MAX) ? Fail(EINVAL) : FailErrno();
    return false;
  }
  err = OsError{};
  return true;
}

bool File::SetSize(uint64_t size, OsError& err) {
  if (fd_ < 0) {
    err = Fail(EBADF);
    return false;
  }
  if (size > static_cast<uint64_t>(INT64_MAX)) {
    err = Fail(EINVAL);
    return false;
  }
  int r;
  do {
    r = ftruncate(fd_, static_cast<off_t>(size));
  } while (r != 0 && errno == EINTR);
  if (r != 0) {
    err = FailErrno();
    return false;
  }
  err = OsError{};
  return true;
}

bool File::SetLastWriteTime(FileTime utc, OsError& err) {
  if (fd_ < 0) {
    err = Fail(EBADF);
    return false;
  }
  struct timespec times[2];
  times[0].tv_sec = 0;
  times[0].tv_nsec = UTIME_OMIT;
  if (utc >= kUnixEpochFileTime) {
    const FileTime d = utc - kUnixEpochFileTime;
    times[1].tv_sec = static_cast<time_t>(d / kTicksPerSecond);
    times[1].tv_nsec = static_cast<long>(d % kTicksPerSecond * 100);
  } else {
    const FileTime d = kUnixEpochFileTime - utc;  // before 1970: floor to whole seconds
    const FileTime whole = (d + kTicksPerSecond - 1) / kTicksPerSecond;
    times[1].tv_sec = -static_cast<time_t>(whole);
    times[1].tv_nsec = static_cast<long>((whole * kTicksPerSecond - d) * 100);
  }
  if (futimens(fd_, times) != 0) {
    err = FailErrno();
    return false;
  }
  err = OsError{};
  return true;
}

bool File::Flush(OsError& err) {
  if (fd_ < 0) {
    err = Fail(EBADF);
    return false;
  }
  if (fsync(fd_) != 0) {
    err = FailErrno();
    return false;
  }
  err = OsError{};
  return true;
}

void File::Close() {
  if (fd_ >= 0) {
    close(fd_);
    fd_ = -1;
  }
}

// ---------------------------------------------------------------- names

bool RemoveFile(const std::string& path, OsError& err) {
  if (unlink(path.c_str()) != 0) {
    err = FailErrno();
    return false;
  }
  err = OsError{};
  return true;
}

bool RemoveEmptyFolder(const std::string& path, OsError& err) {
  if (rmdir(path.c_str()) != 0) {
    err = FailErrno();
    return false;
  }
  err = OsError{};
  return true;
}

bool CreateFolders(const std::string& path, OsError& err) {
  const std::string p = ExcludeTrailingSep(path);
  if (p.empty()) {
    err = Fail(ENOENT);
    return false;
  }
  if (FolderExists(p)) {
    err = OsError{};
    return true;
  }
  const std::string parent = ExcludeTrailingSep(ExtractFilePath(p));
  if (!parent.empty() && parent != p && !FolderExists(parent)) {
    if (!CreateFolders(parent, err)) return false;
  }
  if (mkdir(p.c_str(), 0777) != 0) {
    const int code = errno;
    if (code == EEXIST && FolderExists(p)) {  // made by someone else meanwhile
      err = OsError{};
      return true;
    }
    err = Fail(code);
    return false;
  }
  err = OsError{};
  return true;
}

bool RenameNoReplace(const std::string& from, const std::string& to, OsError& err) {
  if (detail::RenameNoReplaceSameVolume(from, to, err)) return true;
  if (err.code == EXDEV) return detail::MoveByCopy(from, to, err);
  return false;
}

bool GetAttributes(const std::string& path, uint32_t& attributes, OsError& err) {
  FindData fd;
  if (!GetFileInfo(path, fd, err)) return false;
  attributes = fd.attributes;
  return true;
}

bool SetAttributes(const std::string& path, uint32_t attributes, OsError& err) {
  struct stat st {};
  if (stat(path.c_str(), &st) != 0) {
    err = FailErrno();
    return false;
  }
  const mode_t mode = (attributes & attr::kReadOnly) != 0 ? (st.st_mode & ~S_IWUSR) : (st.st_mode | S_IWUSR);
  if ((mode & 07777) != (st.st_mode & 07777) && chmod(path.c_str(), mode & 07777) != 0) {
    err = FailErrno();
    return false;
  }
  err = OsError{};
  return true;
}

bool FreeSpace(const std::string& path, uint64_t& bytesAvailable, OsError& err) {
  struct statvfs vfs {};
  if (statvfs(path.c_str(), &vfs) != 0) {
    err = FailErrno();
    return false;
  }
  bytesAvailable = static_cast<uint64_t>(vfs.f_bavail) * static_cast<uint64_t>(vfs.f_frsize);
  err = OsError{};
  return true;
}

std::string TempFolder() {
  const char* dir = std::getenv("TMPDIR");
  if (dir != nullptr && dir[0] != '\0') return IncludeTrailingSep(dir);
  return "/tmp/";
}

std::string ProgramFolder() {
#ifdef __linux__
  std::vector<char> buffer(4096);
  for (;;) {
    const ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (n < 0) return std::string();
    if (static_cast<size_t>(n) < buffer.size()) {
      return ExtractFilePath(std::string(buffer.data(), static_cast<size_t>(n)));
    }
    if (buffer.size() >= (1u << 20)) return std::string();
    buffer.resize(buffer.size() * 2);
  }
#else
  return std::string();
#endif
}

std::vector<std::string> DataFolders() {
  const std::string program = ProgramFolder();
  if (program.empty()) return {};
  return {program, program + "../share/zwillo/"};
}

}  // namespace zw::platform
