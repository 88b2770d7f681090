// Files and folders on Windows (ANSI API).
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/paths.h"
#include "platform/win32/files_win32_detail.h"

namespace zw::platform {
namespace {

constexpr DWORD kMaxChunk = 1UL << 30;

OsError Fail(DWORD code) { return OsError::FromNative(static_cast<int>(code != 0 ? code : ERROR_GEN_FAILURE)); }
OsError FailLast() { return Fail(GetLastError()); }

FileTime FromNative(const FILETIME& f) {
  return (static_cast<FileTime>(f.dwHighDateTime) << 32) | f.dwLowDateTime;
}

HANDLE H(void* h) { return static_cast<HANDLE>(h); }

using detail::IsLinkRecord;

void FillFromFind(const WIN32_FIND_DATAA& d, FindData& out) {
  out.name.assign(d.cFileName);
  out.attributes = d.dwFileAttributes;
  out.size = (static_cast<uint64_t>(d.nFileSizeHigh) << 32) | d.nFileSizeLow;
  out.lastWriteUtc = FromNative(d.ftLastWriteTime);
  out.creationUtc = FromNative(d.ftCreationTime);
  out.isLink = IsLinkRecord(d.dwFileAttributes, d.dwReserved0);
  out.isSpecial = (d.dwFileAttributes & FILE_ATTRIBUTE_DEVICE) != 0;
}

// The path as the attribute calls want it: without trailing separators,
// except for a root, which needs its own.
std::string WithoutTrailingSep(const std::string& path) {
  if (PathRootLength(path) == path.size()) return path;
  return ExcludeTrailingSep(path);
}

bool GetPosition(HANDLE h, LARGE_INTEGER& pos) {
  LARGE_INTEGER zero;
  zero.QuadPart = 0;
  return SetFilePointerEx(h, zero, &pos, FILE_CURRENT) != 0;
}

bool SetPosition(HANDLE h, uint64_t offset) {
  LARGE_INTEGER to;
  to.QuadPart = static_cast<LONGLONG>(offset);
  return SetFilePointerEx(h, to, nullptr, FILE_BEGIN) != 0;
}

}  // namespace

// ---------------------------------------------------------------- DirEnum

struct DirEnum::Impl {
  HANDLE find = INVALID_HANDLE_VALUE;
  std::string folder;
  WIN32_FIND_DATAA data{};
  bool pending = false;  // `data` holds a record not yet handed out
  OsError lastError;
};

DirEnum::DirEnum() : impl_(std::make_unique<Impl>()) {}
DirEnum::~DirEnum() { Close(); }

bool DirEnum::Open(const std::string& folder, OsError& err) {
  Close();
  impl_->lastError = OsError{};
  if (folder.empty()) {
    err = Fail(ERROR_PATH_NOT_FOUND);
    return false;
  }
  impl_->folder = folder;
  const std::string pattern = IncludeTrailingSep(folder) + "*.*";
  HANDLE h = FindFirstFileExA(pattern.c_str(), FindExInfoBasic, &impl_->data, FindExSearchNameMatch,
                              nullptr, FIND_FIRST_EX_LARGE_FETCH);
  if (h == INVALID_HANDLE_VALUE && GetLastError() == ERROR_INVALID_PARAMETER) {
    h = FindFirstFileA(pattern.c_str(), &impl_->data);  // systems without the basic level
  }
  if (h == INVALID_HANDLE_VALUE) {
    const DWORD code = GetLastError();
    // A drive root holds no "." and "..": an empty one matches nothing at all.
    if ((code == ERROR_FILE_NOT_FOUND || code == ERROR_NO_MORE_FILES) && FolderExists(folder)) {
      err = OsError{};
      return true;
    }
    err = Fail(code);
    return false;
  }
  impl_->find = h;
  impl_->pending = true;
  err = OsError{};
  return true;
}

bool DirEnum::Next(FindData& out) {
  if (impl_->pending) {
    impl_->pending = false;
    FillFromFind(impl_->data, out);
    return true;
  }
  if (impl_->find == INVALID_HANDLE_VALUE) return false;
  if (!FindNextFileA(impl_->find, &impl_->data)) {
    const DWORD code = GetLastError();
    if (code != ERROR_NO_MORE_FILES) impl_->lastError = Fail(code);
    return false;
  }
  FillFromFind(impl_->data, out);
  return true;
}

OsError DirEnum::LastError() const { return impl_->lastError; }

namespace {

FileId IdOf(const BY_HANDLE_FILE_INFORMATION& info) {
  return FileId{info.dwVolumeSerialNumber,
                (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
}

// The identity of a file or folder by its name (backup semantics open
// folders; no access right is needed).
bool IdentityOfPath(const std::string& path, FileId& id, OsError& err) {
  const HANDLE h = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                               nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    err = FailLast();
    return false;
  }
  BY_HANDLE_FILE_INFORMATION info;
  const bool ok = GetFileInformationByHandle(h, &info) != 0;
  err = ok ? OsError{} : FailLast();
  CloseHandle(h);
  if (ok) id = IdOf(info);
  return ok;
}

}  // namespace

bool DirEnum::Identity(FileId& id, OsError& err) const {
  if (impl_->folder.empty()) {
    err = Fail(ERROR_INVALID_HANDLE);
    return false;
  }
  return IdentityOfPath(WithoutTrailingSep(IncludeTrailingSep(impl_->folder)), id, err);
}

bool GetFileId(const std::string& path, FileId& id, OsError& err) {
  if (path.empty()) {
    err = Fail(ERROR_PATH_NOT_FOUND);
    return false;
  }
  return IdentityOfPath(WithoutTrailingSep(path), id, err);
}

void DirEnum::Close() {
  if (impl_ && impl_->find != INVALID_HANDLE_VALUE) {
    FindClose(impl_->find);
    impl_->find = INVALID_HANDLE_VALUE;
  }
  if (impl_) impl_->pending = false;
}

// ---------------------------------------------------------------- facts

bool GetFileInfo(const std::string& path, FindData& out, OsError& err) {
  if (path.empty()) {
    err = Fail(ERROR_PATH_NOT_FOUND);
    return false;
  }
  const std::string p = WithoutTrailingSep(path);
  WIN32_FILE_ATTRIBUTE_DATA a;
  if (!GetFileAttributesExA(p.c_str(), GetFileExInfoStandard, &a)) {
    err = FailLast();
    return false;
  }
  DWORD tag = 0;
  if ((a.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 &&
      (a.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    WIN32_FIND_DATAA d;
    const HANDLE h = FindFirstFileA(p.c_str(), &d);  // the only call that names the tag
    if (h != INVALID_HANDLE_VALUE) {
      tag = d.dwReserved0;
      FindClose(h);
    }
  }
  out.name = ExtractFileName(ExcludeTrailingSep(p));
  out.attributes = a.dwFileAttributes;
  out.size = (static_cast<uint64_t>(a.nFileSizeHigh) << 32) | a.nFileSizeLow;
  out.lastWriteUtc = FromNative(a.ftLastWriteTime);
  out.creationUtc = FromNative(a.ftCreationTime);
  out.isLink = IsLinkRecord(a.dwFileAttributes, tag);
  out.isSpecial = (a.dwFileAttributes & FILE_ATTRIBUTE_DEVICE) != 0;
  err = OsError{};
  return true;
}

bool FileExists(const std::string& path) {
  if (path.empty()) return false;
  const DWORD a = GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool FolderExists(const std::string& path) {
  if (path.empty()) return false;
  const DWORD a = GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// ---------------------------------------------------------------- File

namespace {

HANDLE OpenHandle(const std::string& path, DWORD access, DWORD share, DWORD disposition, DWORD flags,
                  OsError& err) {
  const HANDLE h = CreateFileA(path.c_str(), access, share, nullptr, disposition,
                               FILE_ATTRIBUTE_NORMAL | flags, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    err = FailLast();
    return h;
  }
  // A folder cannot be opened this way anyway; make sure of it.
  BY_HANDLE_FILE_INFORMATION info;
  if (GetFileInformationByHandle(h, &info) &&
      (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    CloseHandle(h);
    err = Fail(ERROR_ACCESS_DENIED);
    return INVALID_HANDLE_VALUE;
  }
  err = OsError{};
  return h;
}

}  // namespace

File::File() : handle_(INVALID_HANDLE_VALUE) {}
File::~File() { Close(); }

File::File(File&& other) noexcept : handle_(other.handle_) { other.handle_ = INVALID_HANDLE_VALUE; }

File& File::operator=(File&& other) noexcept {
  if (this != &other) {
    Close();
    handle_ = other.handle_;
    other.handle_ = INVALID_HANDLE_VALUE;
  }
  return *this;
}

bool File::OpenRead(const std::string& path, OsError& err) {
  Close();
  handle_ = OpenHandle(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                       OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, err);
  return IsOpen();
}

bool File::OpenReadListed(const std::string& path, bool, OsError& err) {
  return OpenRead(path, err);  // one call here anyway; the hint costs nothing
}

bool File::ReadRefusedFolder(const OsError&) { return false; }  // OpenRead refused it

bool File::OpenReadWrite(const std::string& path, OsError& err) {
  Close();
  // Windows refuses to write a read-only file; say so here as well, for file
  // systems (and emulations) that would let a privileged user through.
  const DWORD a = GetFileAttributesA(path.c_str());
  if (a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_READONLY) != 0 && (a & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    err = Fail(ERROR_ACCESS_DENIED);
    return false;
  }
  handle_ = OpenHandle(path, GENERIC_READ | GENERIC_WRITE, 0, OPEN_EXISTING, 0, err);
  return IsOpen();
}

bool File::CreateNew(const std::string& path, OsError& err) {
  Close();
  handle_ = OpenHandle(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, CREATE_NEW, 0, err);
  return IsOpen();
}

bool File::CreateAlways(const std::string& path, OsError& err) {
  Close();
  handle_ = OpenHandle(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, CREATE_ALWAYS, 0, err);
  return IsOpen();
}

bool File::OpenAppend(const std::string& path, bool empty, OsError& err) {
  Close();
  // CreateFile does not wait for a pipe: one without a free instance fails.
  handle_ = OpenHandle(path, GENERIC_WRITE, FILE_SHARE_READ, empty ? CREATE_ALWAYS : OPEN_ALWAYS,
                       0, err);
  if (!IsOpen()) return false;
  LARGE_INTEGER zero{};
  if (GetFileType(H(handle_)) == FILE_TYPE_DISK &&
      !SetFilePointerEx(H(handle_), zero, nullptr, FILE_END)) {
    err = FailLast();
    Close();
    return false;
  }
  return true;
}

bool File::IsOpen() const { return H(handle_) != INVALID_HANDLE_VALUE; }

bool File::Identity(FileId& id, uint32_t& links, OsError& err) const {
  BY_HANDLE_FILE_INFORMATION info;
  if (!IsOpen()) {
    err = Fail(ERROR_INVALID_HANDLE);
    return false;
  }
  if (!GetFileInformationByHandle(H(handle_), &info)) {
    err = FailLast();
    return false;
  }
  id = IdOf(info);
  links = info.nNumberOfLinks;
  err = OsError{};
  return true;
}

bool File::Size(uint64_t& size, OsError& err) const {
  LARGE_INTEGER n;
  if (!IsOpen()) {
    err = Fail(ERROR_INVALID_HANDLE);
    return false;
  }
  if (!GetFileSizeEx(H(handle_), &n)) {
    err = FailLast();
    return false;
  }
  size = static_cast<uint64_t>(n.QuadPart);
  err = OsError{};
  return true;
}

bool File::Read(void* buffer, size_t count, size_t& got, OsError& err) {
  got = 0;
  if (!IsOpen()) {
    err = Fail(ERROR_INVALID_HANDLE);
    return false;
  }
  char* p = static_cast<char*>(buffer);
  while (got < count) {
    const DWORD want = static_cast<DWORD>(std::min<size_t>(count - got, kMaxChunk));
    DWORD n = 0;
    if (!ReadFile(H(handle_), p + got, want, &n, nullptr)) {
      err = FailLast();
      return false;
    }
    if (n == 0) break;  // end of file
    got += n;
  }
  err = OsError{};
  return true;
}

bool File::ReadAt(uint64_t offset, void* buffer, size_t count, size_t& got, OsError& err) {
  got = 0;
  if (!IsOpen()) {
    err = Fail(ERROR_INVALID_HANDLE);
    return false;
  }
  // A positioned read on a synchronous handle moves the file pointer too:
  // put it back afterwards.
  LARGE_INTEGER before;
  if (!GetPosition(H(handle_), before)) {
    err = FailLast();
    return false;
  }
  char* p = static_cast<char*>(buffer);
  DWORD code = 0;
  while (got < count) {
    const uint64_t at = offset + got;
    OVERLAPPED ov{};
    ov.Offset = static_cast<DWORD>(at);
    ov.OffsetHigh = static_cast<DWORD>(at >> 32);
    const DWORD want = static_cast<DWORD>(std::min<size_t>(count - got, kMaxChunk));
    DWORD n = 0;
    if (!ReadFile(H(handle_), p + got, want, &n, &ov)) {
      code = GetLastError();
      if (code == ERROR_HANDLE_EOF) code = 0;  // reading at or past the end
      break;
    }
    if (n == 0) break;
    got += n;
  }
  const bool restored = SetPosition(H(handle_), static_cast<uint64_t>(before.QuadPart));
  if (code == 0 && !restored) code = GetLastError();
  if (code != 0) {
    err = Fail(code);
    return false;
  }
  err = OsError{};
  return true;
}

bool File::Write(const void* buffer, size_t count, OsError& err) {
  if (!IsOpen()) {
    err = Fail(ERROR_INVALID_HANDLE);
    return false;
  }
  const char* p = static_cast<const char*>(buffer);
  size_t done = 0;
  while (done < count) {
    const DWORD want = static_cast<DWORD>(std::min<size_t>(count - done, kMaxChunk));
    DWORD n = 0;
    if (!WriteFile(H(handle_), p + done, want, &n, nullptr)) {
      err = FailLast();
      return false;
    }
    if (n == 0) {
      err = Fail(ERROR_WRITE_FAULT);
      return false;
    }
    done += n;
  }
  err = OsError{};
  return true;
}

bool File::Seek(uint64_t offset, OsError& err) {
  if (!IsOpen()) {
    err = Fail(ERROR_INVALID_HANDLE);
    return false;
  }
  if (offset > static_cast<uint64_t>(INT64_MAX)) {
    err = Fail(ERROR_NEGATIVE_SEEK);
    return false;
  }
  if (!SetPosition(H(handle_), offset)) {
    err = FailLast();
    return false;
  }
  err = OsError{};
  return true;
}

bool File::SetSize(uint64_t size, OsError& err) {
  if (!IsOpen()) {
    err = Fail(ERROR_INVALID_HANDLE);
    return false;
  }
  LARGE_INTEGER before;
  if (!GetPosition(H(handle_), before)) {
    err = FailLast();
    return false;
  }
  DWORD code = 0;
  if (!SetPosition(H(handle_), size) || !SetEndOfFile(H(handle_))) code = GetLastError();
  if (!SetPosition(H(handle_), static_cast<uint64_t>(before.QuadPart)) && code == 0) code = GetLastError();
  if (code != 0) {
    err = Fail(code);
    return false;
  }
  err = OsError{};
  return true;
}

bool File::SetLastWriteTime(FileTime utc, OsError& err) {
  if (!IsOpen()) {
    err = Fail(ERROR_INVALID_HANDLE);
    return false;
  }
  FILETIME ft;
  ft.dwLowDateTime = static_cast<DWORD>(utc);
  ft.dwHighDateTime = static_cast<DWORD>(utc >> 32);
  if (!SetFileTime(H(handle_), nullptr, nullptr, &ft)) {
    err = FailLast();
    return false;
  }
  err = OsError{};
  return true;
}

bool File::Flush(OsError& err) {
  if (!IsOpen()) {
    err = Fail(ERROR_INVALID_HANDLE);
    return false;
  }
  if (!FlushFileBuffers(H(handle_))) {
    err = FailLast();
    return false;
  }
  err = OsError{};
  return true;
}

void File::Close() {
  if (IsOpen()) {
    CloseHandle(H(handle_));
    handle_ = INVALID_HANDLE_VALUE;
  }
}

// ---------------------------------------------------------------- names

namespace {

bool Done(BOOL ok, OsError& err) {
  err = ok ? OsError{} : FailLast();
  return ok != 0;
}

}  // namespace

bool RemoveFile(const std::string& path, OsError& err) { return Done(DeleteFileA(path.c_str()), err); }

bool RemoveEmptyFolder(const std::string& path, OsError& err) {
  return Done(RemoveDirectoryA(path.c_str()), err);
}

bool CreateFolders(const std::string& path, OsError& err) {
  const std::string p = WithoutTrailingSep(path);
  if (p.empty()) {
    err = Fail(ERROR_PATH_NOT_FOUND);
    return false;
  }
  if (FolderExists(p)) {
    err = OsError{};
    return true;
  }
  const std::string parent = WithoutTrailingSep(ExtractFilePath(p));
  if (!parent.empty() && parent.size() < p.size() && !FolderExists(parent)) {
    if (!CreateFolders(parent, err)) return false;
  }
  if (!CreateDirectoryA(p.c_str(), nullptr)) {
    const DWORD code = GetLastError();
    if (code == ERROR_ALREADY_EXISTS && FolderExists(p)) {  // made by someone else meanwhile
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
  // Without MOVEFILE_REPLACE_EXISTING an existing target is never replaced.
  // Across volumes the system copies; write-through returns only once the
  // copy is on the device, and the source is removed after that.
  return Done(MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_COPY_ALLOWED | MOVEFILE_WRITE_THROUGH),
              err);
}

bool GetAttributes(const std::string& path, uint32_t& attributes, OsError& err) {
  const DWORD a = GetFileAttributesA(WithoutTrailingSep(path).c_str());
  if (a == INVALID_FILE_ATTRIBUTES) {
    err = FailLast();
    return false;
  }
  attributes = a;
  err = OsError{};
  return true;
}

bool SetAttributes(const std::string& path, uint32_t attributes, OsError& err) {
  const DWORD a = attributes == 0 ? FILE_ATTRIBUTE_NORMAL : attributes;
  return Done(SetFileAttributesA(path.c_str(), a), err);
}

bool FreeSpace(const std::string& path, uint64_t& bytesAvailable, OsError& err) {
  ULARGE_INTEGER avail;
  if (!GetDiskFreeSpaceExA(IncludeTrailingSep(path).c_str(), &avail, nullptr, nullptr)) {
    err = FailLast();
    return false;
  }
  bytesAvailable = avail.QuadPart;
  err = OsError{};
  return true;
}

std::string TempFolder() {
  char buffer[MAX_PATH + 2];
  const DWORD n = GetTempPathA(sizeof buffer, buffer);
  if (n == 0 || n >= sizeof buffer) return std::string();
  return IncludeTrailingSep(std::string(buffer, n));
}

std::string ProgramFolder() {
  std::vector<char> buffer(MAX_PATH + 1);
  for (;;) {
    const DWORD n = GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) return std::string();
    if (n < buffer.size()) return ExtractFilePath(std::string(buffer.data(), n));
    if (buffer.size() >= 32768) return std::string();
    buffer.resize(buffer.size() * 2);
  }
}

std::vector<std::string> DataFolders() {
  const std::string program = ProgramFolder();
  if (program.empty()) return {};
  return {program};
}

}  // namespace zw::platform
