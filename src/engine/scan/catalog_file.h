// Catalog files (".zwc"): the file entries of a result list with their
// folders, sizes, times, attributes and, optionally, CRC32 checksums and
// middle samples, so that a later scan can compare files against media that
// is no longer at hand.
//
// Layout (little-endian, no padding):
//   header, 48 bytes: "ZWCatF", version u16 (0), data flags u8, 0, last
//     write FILETIME (UTC), 1, 0, file count u32, directory count u32, base
//     directory index u32, 8 zero bytes, extra directory slots u32, 0 u32;
//   header blocks {tag u8 (not 0), length u32, data}, ended by a 0 byte;
//   records to the end of the file, each followed by its own block list:
//     directory: attributes u32 (0x10 set), parent index u32, name length
//       u16, own index u32, creation FILETIME, name;
//     file: attributes u32 (0x10 clear), directory index u32, name length
//       u16, size u64, last write FILETIME, CRC32 u32, middle sample u32,
//       flags u8 (0x01 CRC32 valid, 0x02 sample valid), name.
// Readers skip blocks of any tag.
//
// Nothing in a catalog is trusted: every length is checked against the file,
// every index against the table it points into.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

#include "engine/common/messages.h"
#include "engine/common/read_window.h"
#include "engine/common/file_infos.h"
#include "engine/scan/scan_job.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/filetime.h"

namespace zw {

class TThreadBrowse;

// Data flags of the header (byte 8).
namespace catdata {
constexpr uint8_t kDirAttributes = 0x01;  // folders carry their attributes and creation time
constexpr uint8_t kChecksums = 0x02;      // file records carry CRC32 and middle sample
}  // namespace catdata

// Flags of a file record.
namespace catrec {
constexpr uint8_t kCrcValid = 0x01;
constexpr uint8_t kMiddleValid = 0x02;
}  // namespace catrec

// Results of TZWCatfile::Open.
enum TCatOpenResult : int {
  corOpenFailed = 0,     // could not be opened (LastError() has the code)
  corEmpty = 1,          // the file is empty
  corInvalidHeader = 2,  // shorter than the header, or a wrong magic
  corNotSupported = 3,   // a version this program does not know
  corOtherError = 4,     // reserved byte set, or the header blocks run past the end
  corGood = 5,           // positioned at the first record
};

// Kinds a ReadRecord callback is asked about.
enum TCatReadKind : int {
  crkRecordStart = 0,  // first 10 bytes; yes = read the record, no = skip it
  crkFile = 1,         // the whole file record
  crkDirectory = 2,    // the whole directory record
  crkBlockTag = 3,     // the tag byte of a block; yes = read it, no = skip it
  crkBlock = 4,        // a whole block (tag, length, data)
};

constexpr size_t kCatHeaderSize = 48;
constexpr size_t kCatRecordStartSize = 10;
constexpr size_t kCatDirRecordSize = 22;   // without the name
constexpr size_t kCatFileRecordSize = 35;  // without the name
constexpr uint32_t kCatDirAttribute = 0x10;
// A record with this parent index is always skipped.
constexpr uint32_t kCatSkippedParent = 0xFFFFFF;
// Header block the writer stores: the ANSI code page of its names.
constexpr uint8_t kCatBlockCodePage = 1;

struct TCatDirRecord {
  uint32_t Attr = kCatDirAttribute;
  uint32_t Parent = 0;
  uint32_t Index = 0;
  platform::FileTime Creation = 0;  // UTC
  std::string Name;
};

struct TCatFileRecord {
  uint32_t Attr = 0;
  uint32_t Dir = 0;
  uint64_t Size = 0;
  platform::FileTime Time = 0;  // last write, UTC
  uint32_t Crc = 0;
  uint32_t Middle = 0;
  uint8_t Flags = 0;
  std::string Name;
};

// Byte images of the two records (without their block lists). The directory
// record always has 0x10 set and a file record never, since that bit is what
// tells them apart. False when the name is longer than 65535 bytes.
bool EncodeCatDirRecord(const TCatDirRecord& rec, std::vector<uint8_t>& out);
bool EncodeCatFileRecord(const TCatFileRecord& rec, std::vector<uint8_t>& out);
// Decodes a whole record as ReadRecord hands it over; false when the buffer
// is not exactly the record its name length announces.
bool DecodeCatDirRecord(const uint8_t* data, size_t size, TCatDirRecord& rec);
bool DecodeCatFileRecord(const uint8_t* data, size_t size, TCatFileRecord& rec);

class TZWCatfile {
 public:
  using TCallback = std::function<bool(int kind, const uint8_t* data, size_t size)>;

  // Blocks larger than this are skipped without being offered whole.
  static constexpr uint32_t kMaxBlockRead = 16u << 20;

  TZWCatfile();
  ~TZWCatfile();  // closes (and so stores the header of a changed catalog)
  TZWCatfile(const TZWCatfile&) = delete;
  TZWCatfile& operator=(const TZWCatfile&) = delete;

  // Creates the file (an existing one is replaced only with `overwrite`, and
  // only when it is a catalog or empty: anything else fails with the
  // system's "exists already" error, so a mistyped name never destroys a
  // file) with a zeroed header carrying the magic and an empty header block
  // list; writable and changed.
  bool CreateNew(const std::string& path, bool overwrite);
  // Whether `path` names nothing, an empty file or a catalog file.
  static bool ReplaceableByCatalog(const std::string& path);
  // Opens and checks an existing catalog; returns a TCatOpenResult. On
  // anything but corGood the file is closed again.
  int Open(const std::string& path, bool readOnly);
  // Appends a header block; only on a writable catalog without records.
  bool AddHeaderBlock(uint8_t tag, const std::vector<uint8_t>& data);
  // Appends a record (its byte image) and an empty block list, and counts it
  // as a directory or a file record by its attribute bit 0x10.
  bool AppendRecord(const std::vector<uint8_t>& record);
  bool AppendDir(const TCatDirRecord& rec);
  bool AppendFile(const TCatFileRecord& rec);
  // Reads the next record, asking `callback` as the kinds above say. False
  // at the end of the file, on a read error or on a record that runs past
  // the end (the reading stops there).
  bool ReadRecord(const TCallback& callback);
  // Stores the header (with the current time when changed) unless read-only,
  // and closes. False when the header could not be written.
  bool Close();

  // Opens `path` and computes its CRC32 and middle sample. Failures are
  // logged (logIOErrorOnOpen / logIOErrorOnRead) when a messenger is given.
  static bool ChecksumFile(const std::string& path, uint32_t& crc, uint32_t& middle,
                           IMessenger* messenger);

  bool IsOpen() const { return file_.IsOpen(); }
  bool ReadOnly() const { return readOnly_; }
  bool Changed() const { return changed_; }
  platform::OsError LastError() const { return lastError_; }
  uint32_t EntriesRead() const { return entriesRead_; }
  uint64_t FileSize() const { return fileSize_; }

  // Header fields.
  uint16_t Version() const { return Get16(6); }
  uint8_t DataFlags() const { return header_[8]; }
  platform::FileTime LastWrite() const { return Get64(10); }
  uint32_t FileCount() const { return Get32(20); }
  uint32_t DirCount() const { return Get32(24); }
  uint32_t BaseIndex() const { return Get32(28); }
  uint32_t ExtraDirSlots() const { return Get32(40); }
  bool HasChecksums() const { return (DataFlags() & catdata::kChecksums) != 0; }
  bool HasDirAttributes() const { return (DataFlags() & catdata::kDirAttributes) != 0; }
  // The writer's header: byte 18 = 1, byte 19 = 0, the data flags.
  void SetWriterHeader(uint8_t dataFlags);
  void SetBaseIndex(uint32_t index);
  const uint8_t* Header() const { return header_; }

 private:
  uint16_t Get16(size_t at) const;
  uint32_t Get32(size_t at) const;
  uint64_t Get64(size_t at) const;
  void Put32(size_t at, uint32_t v);
  void Put64(size_t at, uint64_t v);
  bool ReadExact(uint64_t offset, void* buffer, size_t count);
  bool RawWriteAt(uint64_t offset, const void* buffer, size_t count);
  bool WriteAt(uint64_t offset, const void* buffer, size_t count);
  bool Flush();
  // Walks a block list starting at `pos`; false when it runs past the end.
  bool SkipBlocks(uint64_t& pos, const TCallback* callback);

  uint8_t header_[kCatHeaderSize] = {};
  platform::File file_;
  TReadWindow window_;
  std::vector<uint8_t> pending_;  // appended records not yet written
  uint64_t pendingStart_ = 0;     // their offset in the file
  uint64_t fileSize_ = 0;
  uint64_t pos_ = 0;            // next record
  uint64_t headerBlockEnd_ = 0; // offset of the 0 byte ending the header blocks
  uint32_t entriesRead_ = 0;
  bool readOnly_ = true;
  bool changed_ = false;
  platform::OsError lastError_;
};

// What the run driver needs to know of a catalog row before a scan: the
// open result (a TCatOpenResult), the system error of a failed open, and
// whether a good catalog holds checksums.
struct TCatCheck {
  int result = corOpenFailed;
  platform::OsError error;
  bool hasChecksums = false;
};
TCatCheck CheckCatalogFile(const std::string& path);
// The reason text of a failed open (results 0 to 4); strImportFailedIO takes
// the system error code as its argument.
TStrID CatOpenResultText(int result);

// The filters a catalog's entries pass on the way into a scan.
struct TCatReadFilters {
  TAttribFilter* attrib = nullptr;       // its folder bit is lifted while reading
  const TSizeFilter* size = nullptr;     // null or fmIgnore: no size test
  const TNameFilter* name = nullptr;     // null: every name
  bool library = false;                  // entries get flag 0x08
};

// Turns a catalog into file entries: each accepted file record becomes a
// TFileInfos with Path "<catalog name>><sep>" followed by the folders below
// the catalog's base directory.
class TZWCatReader {
 public:
  using TSink = std::function<void(TFileInfos* entry)>;
  using TStop = std::function<bool()>;

  // Longest folder path the reader builds; deeper folders (and their files)
  // are left out.
  static constexpr size_t kMaxPath = 4096;
  // Budget of the folder table: this much plus eight times the file size.
  static constexpr uint64_t kTableBudget = 64u << 20;

  explicit TZWCatReader(std::string catalogPath);

  // Reads every record; each accepted entry goes to `sink`, which owns it
  // from then on. A catalog that cannot be opened or is damaged ends the
  // reading silently (entries already handed over stay). Returns the number
  // of entries handed over.
  uint32_t Read(const TCatReadFilters& filters, const TSink& sink, const TStop& stop = {});

  const std::string& CatalogName() const { return catalogName_; }

 private:
  std::string catalogPath_;
  std::string catalogName_;
};

// Where the folders of a catalog's entries lay on the disk the catalog
// describes: each folder path as a scan shows it ("<catalog name>><sep>...",
// as TZWCatReader makes it) with the full path it had when the catalog was
// written. False when the catalog cannot be opened; a damaged one gives the
// folders read up to the damage.
bool ReadCatalogOrigins(const std::string& catalogPath,
                        std::unordered_map<std::string, std::string>& origins);

// The catalog browser of a browse thread (TThreadBrowse::SetCatalogBrowser):
// reads the catalog at `path` through the thread's filters into its queue.
void BrowseCatalogFile(TThreadBrowse& thread, const std::string& path);

}  // namespace zw
