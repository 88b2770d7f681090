// Files and folders: enumeration with find-first/find-next semantics, file
// attributes, reading and writing, and the few folder and name operations
// the program needs.
//
// POSIX gives files the Windows attribute bits: 0x10 folder, 0x01 read-only
// when the owner cannot write, 0x02 hidden for names starting with "." (not
// "." and ".." themselves), 0x400 for symbolic links (without 0x10, whatever
// they point at), 0x04 system for devices, pipes and sockets, 0x80 when
// nothing else applies.
//
// Every failure sets an OsError with the native code (GetLastError / errno).
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/errors.h"
#include "platform/filetime.h"

namespace zw::platform {

namespace attr {
constexpr uint32_t kReadOnly = 0x01;
constexpr uint32_t kHidden = 0x02;
constexpr uint32_t kSystem = 0x04;
constexpr uint32_t kDirectory = 0x10;
constexpr uint32_t kArchive = 0x20;
constexpr uint32_t kDevice = 0x40;
constexpr uint32_t kNormal = 0x80;
constexpr uint32_t kReparsePoint = 0x400;
}  // namespace attr

// Which file a name leads to: the device and inode numbers on POSIX, the
// volume serial number and file index on Windows. The names of one file
// (hard links, a folder reached through a link or mounted twice) share it.
struct FileId {
  uint64_t volume = 0;
  uint64_t index = 0;
  bool operator==(const FileId& other) const = default;
};
struct FileIdHash {
  size_t operator()(const FileId& id) const noexcept {
    return static_cast<size_t>(id.index * 0x9E3779B97F4A7C15ULL ^ id.volume);
  }
};

// One record of a folder enumeration.
struct FindData {
  std::string name;
  uint32_t attributes = 0;
  uint64_t size = 0;          // 0 for folders, links and special files
  FileTime lastWriteUtc = 0;
  FileTime creationUtc = 0;   // POSIX: the status-change time, the nearest it keeps
  // A symbolic link, junction or mount point: its target lies elsewhere, so
  // a scan neither descends into it nor takes it as a file of its own.
  bool isLink = false;
  // Neither a regular file nor a folder (device, pipe, socket): never read.
  bool isSpecial = false;
  // POSIX: the record's identity and its number of names (hard links).
  // Windows enumerations do not tell them: links stays 0.
  FileId id;
  uint32_t links = 0;

  bool IsFolder() const { return (attributes & attr::kDirectory) != 0; }
  bool IsDotOrDotDot() const {
    return name == "." || (name.size() == 2 && name[0] == '.' && name[1] == '.');
  }
};

// Enumerates the records of one folder in the order the file system returns
// them, "." and ".." included where the file system has them. A record that
// vanishes between listing and inspection is left out.
class DirEnum {
 public:
  DirEnum();
  ~DirEnum();
  DirEnum(const DirEnum&) = delete;
  DirEnum& operator=(const DirEnum&) = delete;

  // Opens the folder (path with or without trailing separator) and reads
  // its first record. False with `err` set when the folder cannot be opened
  // (a missing folder: NotFound or PathNotFound with the native code).
  bool Open(const std::string& folder, OsError& err);
  // Hands out the next record; false at the end (or on a read error,
  // reported in LastError()).
  bool Next(FindData& out);
  OsError LastError() const;
  // The identity of the open folder itself.
  bool Identity(FileId& id, OsError& err) const;
  void Close();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// Facts about one path (without following a final symbolic link). `name`
// is the last part of the path.
bool GetFileInfo(const std::string& path, FindData& out, OsError& err);
// Whether the path names a file (anything but a folder) or a folder. A
// symbolic link counts as what it points at on POSIX; on Windows as what its
// own folder bit says.
bool FileExists(const std::string& path);
bool FolderExists(const std::string& path);
// The identity of the file or folder a path leads to (a final symbolic link
// is followed).
bool GetFileId(const std::string& path, FileId& id, OsError& err);

// An open file. Closed by Close(), by the destructor and by moving another
// file into it.
class File {
 public:
  File();
  ~File();
  File(const File&) = delete;
  File& operator=(const File&) = delete;
  File(File&& other) noexcept;
  File& operator=(File&& other) noexcept;

  // Opens an existing file for reading, shared for reading, writing and
  // deleting by others (Windows: sequential-scan hint). A folder is refused
  // (Windows: access denied; POSIX: EISDIR, kind AccessDenied).
  bool OpenRead(const std::string& path, OsError& err);
  // Opens a file that was just listed as a file, to read it once through,
  // in as few system calls as the system allows: nothing checks that it is
  // not a folder or a pipe by now (POSIX: reading one then fails, and a pipe
  // never blocks), and the sequential-read hint is given only for a long read.
  // A folder that OpenRead would have refused fails its first read instead,
  // with an error for which ReadRefusedFolder is true.
  bool OpenReadListed(const std::string& path, bool longRead, OsError& err);
  static bool ReadRefusedFolder(const OsError& err);
  // Opens an existing file for reading and writing; on Windows no one else
  // may open it meanwhile. A read-only file or a folder is refused.
  bool OpenReadWrite(const std::string& path, OsError& err);
  // Creates a new empty file for reading and writing; fails with kind
  // AlreadyExists when anything already has the name.
  bool CreateNew(const std::string& path, OsError& err);
  // Creates a file for reading and writing, emptying an existing one.
  bool CreateAlways(const std::string& path, OsError& err);
  // Opens a file for writing at its end, others may read it meanwhile; a
  // missing file is created, and `empty` empties an existing one. Never
  // waits for anyone: a named pipe that nobody reads is refused at once
  // (POSIX: ENXIO) rather than blocking until a reader comes. A folder is
  // refused.
  bool OpenAppend(const std::string& path, bool empty, OsError& err);

  bool IsOpen() const;
  // Size of the open file.
  bool Size(uint64_t& size, OsError& err) const;
  // Which file is open, and how many names it has.
  bool Identity(FileId& id, uint32_t& links, OsError& err) const;
  // Reads up to `count` bytes at the current position; `got` < count only at
  // the end of the file.
  bool Read(void* buffer, size_t count, size_t& got, OsError& err);
  // Reads up to `count` bytes at `offset`, without moving the position.
  bool ReadAt(uint64_t offset, void* buffer, size_t count, size_t& got, OsError& err);
  // Writes all `count` bytes at the current position, or fails.
  bool Write(const void* buffer, size_t count, OsError& err);
  // Moves the position to `offset` from the start.
  bool Seek(uint64_t offset, OsError& err);
  // Cuts or extends the file to `size` bytes (an extension reads as zeros);
  // the position stays where it was.
  bool SetSize(uint64_t size, OsError& err);
  // Sets the last-write time (UTC) of the open file.
  bool SetLastWriteTime(FileTime utc, OsError& err);
  // Hands written data to the storage device.
  bool Flush(OsError& err);
  void Close();

 private:
#ifdef _WIN32
  void* handle_;
#else
  int fd_;
#endif
};

// Deletes a file (not a folder). A read-only file is refused on Windows;
// POSIX deletes it like any other.
bool RemoveFile(const std::string& path, OsError& err);
// Removes a folder only when it is empty.
bool RemoveEmptyFolder(const std::string& path, OsError& err);
// Creates a folder with every missing parent; true when it exists already.
bool CreateFolders(const std::string& path, OsError& err);
// Renames or moves a file or folder to `to`, and never replaces anything
// that already has that name (kind AlreadyExists). A file moves to another
// volume or file system by copy and delete (its contents, last-write time
// and read-only state go with it); the source goes only once the copy is on
// the storage device under its final name. POSIX: the copy is written to a
// temporary name in the target folder (".zwillo-<random>.part"), flushed,
// renamed to the target without replacing, and the folder flushed; a
// failure removes the temporary file. Windows: the system's move, written
// through.
bool RenameNoReplace(const std::string& from, const std::string& to, OsError& err);
// The attribute word of a path (without following a final symbolic link).
bool GetAttributes(const std::string& path, uint32_t& attributes, OsError& err);
// Sets the attribute word. POSIX: only read-only has an effect, and it only
// sets or clears the owner's write permission.
bool SetAttributes(const std::string& path, uint32_t attributes, OsError& err);
// Bytes the current user may still write on the volume holding `path` (a
// folder that exists).
bool FreeSpace(const std::string& path, uint64_t& bytesAvailable, OsError& err);
// The folder for temporary files, with trailing separator (Windows:
// GetTempPath; POSIX: $TMPDIR or "/tmp/").
std::string TempFolder();
// The folder of the running executable, with trailing separator; empty when
// it cannot be found.
std::string ProgramFolder();
// The folders that hold the program's shipped data files (language files),
// with trailing separators, in the order they are searched: the program
// folder, and on POSIX also "../share/zwillo/" beside it (the layout of an
// installation below a prefix). Empty when the program folder is unknown.
std::vector<std::string> DataFolders();

}  // namespace zw::platform
