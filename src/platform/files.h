// Files and folders: enumeration with find-first/find-next semantics, file
// attributes and reading. POSIX gives files the Windows attribute bits:
// 0x10 folder, 0x01 read-only when the owner cannot write, 0x02 hidden for
// names starting with ".", 0x400 for symbolic links, 0x80 when nothing else
// applies.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/errors.h"
#include "platform/filetime.h"

namespace zw::platform {

namespace attr {
constexpr uint32_t kReadOnly = 0x01;
constexpr uint32_t kHidden = 0x02;
constexpr uint32_t kSystem = 0x04;
constexpr uint32_t kDirectory = 0x10;
constexpr uint32_t kArchive = 0x20;
constexpr uint32_t kNormal = 0x80;
constexpr uint32_t kReparsePoint = 0x400;
}  // namespace attr

// One record of a folder enumeration.
struct FindData {
  std::string name;
  uint32_t attributes = 0;
  uint64_t size = 0;
  FileTime lastWriteUtc = 0;
  FileTime creationUtc = 0;
  // A symbolic link, junction or mount point: its target lies elsewhere, so
  // a scan neither descends into it nor takes it as a file of its own.
  bool isLink = false;
  // Neither a regular file nor a folder (device, pipe, socket): never read.
  bool isSpecial = false;

  bool IsFolder() const { return (attributes & attr::kDirectory) != 0; }
  bool IsDotOrDotDot() const {
    return name == "." || (name.size() == 2 && name[0] == '.' && name[1] == '.');
  }
};

// Enumerates the records of one folder in the order the file system returns
// them, "." and ".." included where the file system has them.
class DirEnum {
 public:
  DirEnum();
  ~DirEnum();
  DirEnum(const DirEnum&) = delete;
  DirEnum& operator=(const DirEnum&) = delete;

  // Opens the folder (path with or without trailing separator) and reads
  // its first record. False with `err` set when the folder cannot be opened.
  bool Open(const std::string& folder, OsError& err);
  // Hands out the next record; false at the end (or on a read error,
  // reported in LastError()).
  bool Next(FindData& out);
  OsError LastError() const;
  void Close();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// Facts about one path (without following a final symbolic link).
bool GetFileInfo(const std::string& path, FindData& out, OsError& err);
bool FileExists(const std::string& path);    // a file, not a folder
bool FolderExists(const std::string& path);  // a folder

// A file opened for reading, shared for reading and writing by others.
class File {
 public:
  File();
  ~File();
  File(const File&) = delete;
  File& operator=(const File&) = delete;
  File(File&& other) noexcept;
  File& operator=(File&& other) noexcept;

  bool OpenRead(const std::string& path, OsError& err);
  bool IsOpen() const;
  // Size of the open file.
  bool Size(uint64_t& size, OsError& err) const;
  // Reads up to `count` bytes at the current position; `got` < count only at
  // the end of the file.
  bool Read(void* buffer, size_t count, size_t& got, OsError& err);
  // Reads up to `count` bytes at `offset`, without moving the position.
  bool ReadAt(uint64_t offset, void* buffer, size_t count, size_t& got, OsError& err);
  bool Seek(uint64_t offset, OsError& err);
  void Close();

 private:
#ifdef _WIN32
  void* handle_;
#else
  int fd_;
#endif
};

}  // namespace zw::platform
