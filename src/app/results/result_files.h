// Result list files: the binary result list file (".zwr", magic "ZWReLi"),
// the tab-separated text lines of an export and of the clipboard, and the
// export, copy, import and drop operations of the result list.
//
// Binary file, all integers little-endian, no padding: a 23-byte header
//   0 magic "ZWReLi" (6), 6 version (u16, written 1), 8 flags (u16, bit 0:
//   the list carries CRC32 values), 10 entry count (u32), 14 set count (u32),
//   18 focused index (u32), 22 grouping mode (u8)
// then one record per entry in list order. Version 1 record (41 bytes, then
// the path and the name without terminators):
//   0 set index (u32), 4 path length P (u32), 8 name length N (u32),
//   12 size (u64), 20 last-write time (u64 FILETIME, local), 28 attributes
//   (u32), 32 CRC32 (u32), 36 middle sample (u32), 40 flags (u8)
// Version 0 records (read only) are 33 bytes: offsets 0..27 as above, 28 CRC32,
// 32 flags; they carry no attributes and no sample.
// After the records the writer adds the entries' last-write times in UTC,
// so that a change of time zone between export and import does not make
// every file look changed: "ZWReUt" (6), count (u32, the entry count), then
// one u64 FILETIME per entry in record order (0: not known). Readers that
// stop after the records never see it; a file without it (or with one that
// does not fit) is read without UTC times.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "app/host.h"
#include "app/window_model.h"
#include "engine/common/messages.h"
#include "engine/dupes/result_list.h"

namespace zw {

constexpr char kResultFileMagic[6] = {'Z', 'W', 'R', 'e', 'L', 'i'};
constexpr size_t kResultHeaderSize = 23;
constexpr size_t kResultRecordSizeV0 = 33;
constexpr size_t kResultRecordSizeV1 = 41;
constexpr uint16_t kResultFileVersion = 1;
constexpr char kResultUtcMagic[6] = {'Z', 'W', 'R', 'e', 'U', 't'};
// Header flag: the list carries CRC32 values.
constexpr uint16_t kResultFileHasCrc = 0x0001;

// Outcome of loading a result list file.
enum TResultLoad : int {
  rlOpenFailed = 0,      // the file could not be opened (or read); errorCode says why
  rlEmpty = 1,           // the file was empty
  rlBadHeader = 2,       // shorter than a header, or not a result list file
  rlNotSupported = 3,    // a format version above 1
  rlFormatError = 4,     // counts, records or strings that do not fit
  rlLoaded = 5,
};

// Export format: decided by the extension (".txt" text, anything else
// binary), text, binary.
enum TExportFormat : uint8_t { efByExtension = 0, efText = 1, efBinary = 2 };

// The 23 header bytes.
std::string ResultFileHeader(uint16_t flags, uint32_t entryCount, uint32_t setCount,
                             uint32_t focused, uint8_t groupingMode);
// Appends the version-1 record of an entry (fixed part, path, name).
void AppendResultRecord(std::string& out, const TResultEntry& entry);
// The UTC times that follow the records of `entries`.
std::string ResultUtcTrailer(const std::vector<const TResultEntry*>& entries);

// The text line of an entry without its line end:
// "%d%d\t%s\t%s\t%d\t%s" with the shading bit, the checked bit, name, path,
// size and the local date and time with seconds, and with `withCrc` "\t%.8x"
// with the CRC32 (also when the entry's CRC32 is not valid).
std::string ResultTextLine(const TResultEntry& entry, bool withCrc);

// Loads a result list file into `list`. Codes 0 to 3 (and 4 for header
// counts that are refused before anything is read) leave the list as it
// was; once records are being read, a failure empties it. A record whose set
// index is not below the set count, string lengths beyond the end of the
// file and entry counts the file cannot hold give rlFormatError without
// allocating for them. On success the list holds the entries in file order,
// each set's chain in reverse file order, the grouping mode of the header
// and a view (if any) told the item count; `headerFlags` gets the header's
// flags and `focused` its focused index (not checked against the count).
// `errorCode` is the system error code of rlOpenFailed, else 0.
int LoadResultList(TResultList& list, const std::string& path, uint16_t* headerFlags,
                   int32_t* focused, int& errorCode);

class TResultFiles {
 public:
  // Dialog texts.
  static constexpr const char* kExportTitle = "Export results";
  static constexpr const char* kExportFilter =
      "Text file (.txt)|*.txt|Binary file (.zwr), reimportable|*.zwr";
  static constexpr const char* kImportTitle = "Import result list";
  static constexpr const char* kImportFilter = "Binary file (.zwr), reimportable|*.zwr";

  TResultFiles(IHost& host, IMessenger& messenger, TWindowModel& model, TResultList& list);

  // Writes every entry to `fileName` (empty: ask with the export dialog) in
  // `formatMode` (TExportFormat). An empty list writes nothing, creates no
  // file and counts as success. False when the dialog was cancelled or the
  // file could not be created or written (msgExportFailed).
  bool ExportAll(const std::string& fileName, uint8_t formatMode);
  // Writes the selected entries as text (also to a name ending in ".zwr");
  // true when none is selected.
  bool ExportSelected(const std::string& fileName);
  // Puts the text lines of the selected entries on the clipboard; nothing
  // when none is selected.
  void CopySelected();
  // Replaces the result list by a result list file (empty: ask with the
  // import dialog), after askLoseCurrentList when the list has entries.
  // True only when a list was loaded; failures show msgImportResultsFailed.
  bool Import(const std::string& fileName);

  // Whether a drop onto the result list is one result list file: exactly one
  // file, no folder, lower-case extension ".zwr"; a shortcut counts as its
  // target (an unresolvable one is refused). `resultFile` gets the file to
  // import. A refusal shows msgOnlyDropResultLists.
  bool AcceptDrop(const std::vector<std::string>& files, std::string& resultFile);
  // AcceptDrop, then Import of the accepted file.
  bool ImportDropped(const std::vector<std::string>& files);

  // Whether the first command-line argument is a result list file to import
  // at start: not a command (Windows: "-" or "/" in front; POSIX: "-", as "/"
  // starts absolute paths there), an existing file, extension ".zwr".
  static bool IsStartFile(const std::string& firstArgument);

  // The filter index the export dialog showed last (1 text, 2 binary).
  int ExportFilterIndex() const { return exportFilterIndex_; }

 private:
  // Focused entry for the header: the view's, else the first selected, else 0.
  uint32_t FocusedForHeader() const;
  // Chooses the file name and the format; false when cancelled.
  bool ChooseTarget(std::string& fileName, uint8_t& mode, bool selectedOnly);
  bool Write(const std::string& fileName, uint8_t mode, bool selectedOnly);
  void ImportFailed(const std::string& fileName, int code, int errorCode);

  IHost& host_;
  IMessenger& messenger_;
  TWindowModel& model_;
  TResultList& list_;
  int exportFilterIndex_ = 1;
};

}  // namespace zw
