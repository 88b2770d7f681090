// Writing a catalog file from the result list: one file record per chosen
// result entry, the folders as directory records in order of first use, and
// the base directory that makes the stored paths "as far as needed" or
// relative to a given folder.
#pragma once
#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

#include "engine/common/messages.h"
#include "engine/dupes/directory_tree.h"
#include "engine/dupes/result_list.h"
#include "engine/scan/catalog_file.h"

namespace zw {

// Which entries go into the catalog.
namespace catentries {
constexpr uint8_t kAll = 0;
constexpr uint8_t kSelected = 1;
constexpr uint8_t kChecked = 2;
}  // namespace catentries

// How the paths are stored.
namespace catpaths {
constexpr uint8_t kComplete = 0;  // from the drive (or root) down
constexpr uint8_t kAsNeeded = 1;  // below the deepest folder holding every file
constexpr uint8_t kRelative = 2;  // below the base path, when it holds every file
}  // namespace catpaths

// The creation request (from the dialog or the createcatfile command).
struct TCatFileOptions {
  std::string FileName;
  uint8_t Entries = catentries::kAll;
  uint8_t Data = catdata::kDirAttributes | catdata::kChecksums;
  uint8_t Paths = catpaths::kAsNeeded;
  std::string BasePath;  // for catpaths::kRelative
};

// How many entries a catalog with these `entries` choices takes: the
// progress maximum.
int32_t CatalogEntryCount(TResultList& list, uint8_t entries);

class TZWCatWriter {
 public:
  TZWCatWriter(TResultList& list, IMessenger& messenger);

  // The window's cancel flag; the entry loop ends when it is set.
  void SetCancelFlag(const std::atomic<bool>* cancel) { cancel_ = cancel; }
  // Called after each entry (progress step, pending window messages).
  void SetOnStep(std::function<void()> onStep) { onStep_ = std::move(onStep); }
  // The last scan compared only part of the content: the entries' CRC32
  // values are not those of whole files and are computed anew.
  void SetPartialContent(bool partial) { partialContent_ = partial; }
  void SetCodePage(uint32_t codePage) { codePage_ = codePage; }

  // Writes the catalog. False when it could not be created or written
  // (msgCreateFileFailed has been shown); a canceled write still closes a
  // readable catalog of the entries written so far and returns true.
  bool Write(const TCatFileOptions& options, bool overwrite);

  // What the last Write did.
  uint32_t FilesWritten() const { return filesWritten_; }
  uint32_t EntriesLeftOut() const { return leftOut_; }  // checksum failed, name too long
  uint32_t DirectoriesWritten() const { return nextIndex_ - 1; }
  uint32_t BaseIndex() const { return baseIndex_; }
  bool Canceled() const { return canceled_; }

 private:
  // Index of a folder path (with trailing separator), writing its record
  // and those of its ancestors first; 0 for the empty path; kNoIndex when a
  // record could not be written.
  uint32_t Register(const std::string& path, bool holdsFiles);
  bool WriteEntry(const TResultEntry& entry, uint8_t data);
  // The walk from the top of the tree: the deepest folder holding every file.
  TDirEntry* CommonDirectory() const;
  bool Fail(const std::string& fileName);

  static constexpr uint32_t kNoIndex = 0xFFFFFFFFu;
  static constexpr uint32_t kHoldsFiles = 0x80000000u;
  static constexpr uint32_t kIndexMask = 0x7FFFFFFFu;

  TResultList& list_;
  IMessenger& messenger_;
  const std::atomic<bool>* cancel_ = nullptr;
  std::function<void()> onStep_;
  bool partialContent_ = false;
  uint32_t codePage_;  // recorded in the header block: the names' code page

  TZWCatfile cat_;
  TDirectoryTree tree_;  // State: index | kHoldsFiles
  uint8_t data_ = 0;
  uint32_t nextIndex_ = 1;
  uint32_t filesWritten_ = 0;
  uint32_t leftOut_ = 0;
  uint32_t baseIndex_ = 0;
  bool canceled_ = false;
  bool writeFailed_ = false;
};

}  // namespace zw
