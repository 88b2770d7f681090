// The result list file (".zwr", magic "ZWReLi"): its layout, the pieces a
// writer puts together and the loader. Nothing read is trusted: counts,
// lengths and set numbers are checked against the file before anything is
// allocated for them.
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
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

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

// The 23 header bytes.
std::string ResultFileHeader(uint16_t flags, uint32_t entryCount, uint32_t setCount,
                             uint32_t focused, uint8_t groupingMode);
// Appends the version-1 record of an entry (fixed part, path, name).
void AppendResultRecord(std::string& out, const TResultEntry& entry);
// The UTC times that follow the records of `entries`.
std::string ResultUtcTrailer(const std::vector<const TResultEntry*>& entries);

// Loads a result list file into `list`. Codes 0 to 3 (and 4 for header
// counts that are refused before anything is read) leave the list as it
// was; once records are being read, a failure empties it. A record whose set
// index is not below the set count, string lengths beyond the end of the
// file and entry counts the file cannot hold give rlFormatError without
// allocating for them. On success the list holds the entries in file order,
// each set's chain in reverse file order and the grouping mode of the
// header; `headerFlags` gets the header's
// flags and `focused` its focused index (not checked against the count).
// `errorCode` is the system error code of rlOpenFailed, else 0.
int LoadResultList(TResultList& list, const std::string& path, uint16_t* headerFlags,
                   int32_t* focused, int& errorCode);

}  // namespace zw
