// The file entry: one scanned file, as every producer (folders, catalog files,
// ZIP archives) hands it to the duplicate search. Entries are linked through
// their own Next field, never copied, and owned by whichever stage holds them.
#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "engine/common/entry_blocks.h"
#include "engine/common/entry_name.h"
#include "engine/common/folder_path.h"
#include "platform/filetime.h"

namespace zw {

namespace fiflag {
constexpr uint8_t kCrcValid = 0x01;     // Crc holds the CRC32 of the whole file
constexpr uint8_t kMiddleValid = 0x02;  // Middle holds the sample from the middle
constexpr uint8_t kIOError = 0x04;      // could not be opened or read; skipped from then on
constexpr uint8_t kLibrary = 0x08;      // came from the library list
constexpr uint8_t kInArchive = 0x10;    // inside an archive or catalog: never opened or touched
constexpr uint8_t kInZip = 0x20;        // inside a ZIP archive
constexpr uint8_t kDatePacked = 0x40;   // Time holds the packed date form
}  // namespace fiflag

struct TFileInfos : TInEntryBlock {
  TFileInfos* Next = nullptr;
  TEntryName Name;                       // file name without path
  std::unique_ptr<std::string> NameKey;  // comparison key of the name, built on demand
  TFolderPath Path;                      // folder, ending with the separator (shared)
  uint64_t Size = 0;
  platform::FileTime Time = 0;           // last write, local time (or packed date, flag 0x40)
  uint32_t Attr = 0;
  // The CRC32 of the whole file and the sample from its middle, valid with
  // their flags. Before the comparison, with Ahead not 0 and neither flag
  // set, they hold what the search read ahead (see TReadAhead); only the
  // comparison uses that, and it clears them when it takes it.
  uint32_t Crc = 0;
  uint32_t Middle = 0;
  uint8_t Flags = 0;
  uint8_t Ahead = 0;

  TFileInfos() = default;
  TFileInfos(const TFileInfos&) = delete;
  TFileInfos& operator=(const TFileInfos&) = delete;

  bool IsLibrary() const { return (Flags & fiflag::kLibrary) != 0; }
  std::string FullName() const { return Path + Name.view(); }
};

// Releases one entry (its name key goes with it).
inline void FreeFileInfos(TFileInfos* entry) { delete entry; }
// Releases a whole list linked through Next.
inline void FreeFileInfosList(TFileInfos* head) {
  while (head) {
    TFileInfos* next = head->Next;
    delete head;
    head = next;
  }
}

// 72 bytes, in a block of that size: a million of them wait at once.
static_assert(sizeof(void*) != 8 || sizeof(TFileInfos) == 72);
static_assert(sizeof(TFileInfos) <= TEntryBlocks::kSize && alignof(TFileInfos) <= 8);

}  // namespace zw
