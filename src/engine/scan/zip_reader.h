// ZIP archives as a source of file entries. Only the central directory is
// read: each member's name, uncompressed size, time, attributes and CRC32.
// Local headers and the compressed data are never touched.
//
// Every offset and length found in the archive is checked against the file
// and against the directory's own bounds before it is used, so a damaged or
// hostile archive ends with a failure or an early end of the member list,
// never with a crash or a hang, and in a few hundred KiB of memory whatever
// the archive's fields say.
//
// Zip64 archives are read: the zip64 end record (through its locator) gives
// the directory's place and size, and each member's zip64 extra field its
// 64-bit sizes. Archives spread over several disks are refused.
//
// Typical use by the browse thread (installed by the run driver):
//   thread.SetZipBrowser(zw::MakeZipBrowser());
// and to check a ".zip" row of a folder list before a scan:
//   if (!zw::TZipReader::CanRead(path)) ... msgFileNotScanned ...
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "engine/common/read_window.h"
#include "engine/scan/scan_job.h"
#include "engine/scan/thread_browse.h"
#include "platform/errors.h"
#include "platform/files.h"

namespace zw {

// One central directory header, decoded. The 32-bit size and offset fields
// are replaced by their zip64 values where the member has them.
struct TZipCentralHeader {
  uint16_t versionMadeBy = 0;
  uint16_t versionNeeded = 0;
  uint16_t flags = 0;  // bit 11: name and comment are UTF-8
  uint16_t method = 0;
  uint16_t dosTime = 0;
  uint16_t dosDate = 0;
  uint32_t crc32 = 0;
  uint64_t compressedSize = 0;
  uint64_t uncompressedSize = 0;
  uint16_t nameLength = 0;
  uint16_t extraLength = 0;
  uint16_t commentLength = 0;
  uint32_t diskNumberStart = 0;
  uint16_t internalAttributes = 0;
  uint32_t externalAttributes = 0;
  uint64_t localHeaderOffset = 0;
};

// Why an archive could not be opened or its member list ended early.
enum class TZipError : uint8_t {
  None = 0,
  OpenFailed,        // the file could not be opened or read (OsErr() has the code)
  NoEndRecord,       // no end of central directory record in the last 64 KiB
  BadDirectory,      // the directory does not lie inside the file or its counts cannot fit
  BadZip64,          // zip64 values announced but their records are missing or wrong
  MultiDisk,         // the directory is spread over several disks
  BadEntry,          // a header whose signature or lengths are wrong
};

class TZipReader {
 public:
  // The callback of ReadEntry: the decoded header and the raw name bytes (up
  // to the first zero byte, as stored, no conversion).
  using TEntryCallback = std::function<void(const TZipCentralHeader& header,
                                            const std::string& rawName)>;

  TZipReader() = default;
  ~TZipReader() { Close(); }
  TZipReader(const TZipReader&) = delete;
  TZipReader& operator=(const TZipReader&) = delete;

  // Opens the file for reading (shared for reading, so read-only and
  // opened-elsewhere archives are read too), finds the end record within
  // the last 65557 bytes (a comment of up to 65535 bytes) and the first
  // central directory header. On failure the file is closed and LastError()
  // says why.
  bool Open(const std::string& path);
  // Reads the next central directory header and hands it to `callback`.
  // False at the end of the directory (LastError() None) or when a header
  // is damaged or a read fails (LastError() says which); the callback is not
  // called then.
  bool ReadEntry(const TEntryCallback& callback);
  void Close();

  bool IsOpen() const { return file_.IsOpen(); }
  TZipError LastError() const { return error_; }
  const platform::OsError& OsErr() const { return osErr_; }
  // Number of members the end record announces.
  uint64_t EntryCount() const { return entryCount_; }
  bool IsZip64() const { return zip64_; }
  // The archive comment (raw bytes).
  const std::string& Comment() const { return comment_; }

  // Whether the archive opens and its whole directory reads without damage.
  static bool CanRead(const std::string& path);

 private:
  bool Fail(TZipError error);
  bool ReadExact(uint64_t offset, void* buffer, size_t count);
  bool ReadDirect(uint64_t offset, void* buffer, size_t count);
  bool LocateDirectory(uint64_t endPos, const uint8_t* record, uint16_t commentLength);
  bool ReadZip64End(uint64_t endPos, uint64_t& entries, uint64_t& cdSize, uint64_t& cdOffset,
                    uint64_t& zip64Start);

  platform::File file_;
  platform::OsError osErr_;
  TZipError error_ = TZipError::None;
  uint64_t fileSize_ = 0;
  uint64_t pos_ = 0;      // next central directory header
  uint64_t cdEnd_ = 0;    // first byte after the directory
  uint64_t entryCount_ = 0;
  uint64_t entriesRead_ = 0;
  bool zip64_ = false;
  std::string comment_;
  // The directory is read through this window, so that small headers do not
  // cost one system call each.
  TReadWindow window_;
};

// Member names: the bytes of a member without the UTF-8 flag are in an OEM
// code page and become the program's (UTF-8) names: on Windows from the
// system's OEM code page (as its own tools write them), elsewhere from DOS
// code page 437. Names flagged as UTF-8 are taken as they are (a byte
// sequence that is not valid UTF-8 is read as without the flag). A zero byte
// ends the name.
std::string ZipNameToUtf8(const std::string& raw, bool utf8Flag);
// Where a member lies as the entries of a scan show it: its folder part
// (platform separators, ending with one, no leading one; empty at the top)
// and its file name. False for a folder member (no file name).
bool ZipMemberPlace(const std::string& raw, bool utf8Flag, std::string& folder, std::string& file);

// Turns the members of one archive into file entries for the browse thread.
class TZWZipReader {
 public:
  // Where the entries go: the thread's filters and queue, or a test's own.
  struct TTarget {
    TAttribFilter* attribFilter = nullptr;
    const TSizeFilter* sizeFilter = nullptr;
    const TNameFilter* nameFilter = nullptr;
    bool library = false;                          // entries get flag 0x08
    std::function<void(TFileInfos* entry)> emit;   // takes ownership, counts the entry
    std::function<bool()> stop;                    // true: stop reading (may be empty)
  };

  explicit TZWZipReader(TThreadBrowse& thread);
  // Reads all accepted members of `path` into the thread's queue.
  // `insideFolder`: the archive was met while browsing a folder (entries'
  // paths begin with the full archive path), else it is a list row (they
  // begin with its file name only).
  bool Read(const std::string& path, bool insideFolder);

  // The same without a thread. False when the archive could not be opened.
  static bool ReadInto(const std::string& path, bool insideFolder, TTarget& target);
  // The folder path of a member's entries: prefix + ">" + separator + the
  // member's folder part (already in the platform's separator form).
  static std::string EntryPath(const std::string& archivePath, bool insideFolder,
                               const std::string& folderPart);

 private:
  TThreadBrowse& thread_;
};

// The reader the run driver installs into a browse thread.
TZipBrowser MakeZipBrowser();

}  // namespace zw
