// What each comparison criterion means, as the search applies it.
//
// This unit owns the binary form of the four advanced records (their byte
// images are what the settings store), the byte-unit table, the packed local
// date used by the part-wise date comparison, the name keys of the file name
// criterion, the private settings the search works on, and one comparison
// function per key kind. A comparison function returns a negative number,
// zero or a positive number; zero means the two files agree in that
// criterion. The tolerant kinds take a tolerant flag: clear, they order the
// files exactly (for sorting); set, they return zero for any two files within
// the tolerance (for deciding membership).
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/common/criteria_options.h"
#include "engine/common/file_infos.h"
#include "platform/filetime.h"

namespace zw {

// ---------------------------------------------------------------------------
// Byte images of the records (packed, little-endian).

constexpr size_t kFilenameOptionsBytes = 11;
constexpr size_t kSizeOptionsBytes = 10;
constexpr size_t kDateOptionsBytes = 7;
constexpr size_t kContentOptionsBytes = 19;

std::vector<uint8_t> ToBytes(const TAdvFilenameOptions& rec);
std::vector<uint8_t> ToBytes(const TAdvSizeOptions& rec);
std::vector<uint8_t> ToBytes(const TAdvDateOptions& rec);
std::vector<uint8_t> ToBytes(const TAdvContentOptions& rec);

// Reads a stored image back byte for byte. An image of the wrong length is
// rejected: the result is false and the record keeps what it held.
bool FromBytes(const uint8_t* data, size_t size, TAdvFilenameOptions& rec);
bool FromBytes(const uint8_t* data, size_t size, TAdvSizeOptions& rec);
bool FromBytes(const uint8_t* data, size_t size, TAdvDateOptions& rec);
bool FromBytes(const uint8_t* data, size_t size, TAdvContentOptions& rec);
template <class Rec>
bool FromBytes(const std::vector<uint8_t>& image, Rec& rec) {
  return FromBytes(image.data(), image.size(), rec);
}

// ---------------------------------------------------------------------------
// Byte units: index 0..6 = bytes, kbytes, ... Ebytes; factor 1024^index.

constexpr int kByteUnitCount = 7;
// 1024^unit; an index outside 0..6 counts as bytes.
uint64_t UnitFactor(int unit);
// Bits to shift a byte value right to show it in the unit (10 per step).
int UnitShift(int unit);
// A byte value as shown in the unit (shifted right by 10 bits per step).
int64_t BytesToUnit(int64_t bytes, int unit);
// A value given in the unit, in bytes; saturates at the largest int64.
int64_t UnitToBytes(int64_t value, int unit);
// The largest value of the unit whose byte value fits in an int64.
int64_t MaxValueInUnit(int unit);

// ---------------------------------------------------------------------------
// Packed local date (for comparing parts of the date).
//
//   bytes 0..1  second * 1024 + milliseconds     byte 4     day - 1
//   byte  2     minute                           byte 5     month - 1
//   byte  3     hour                             bytes 6..7 year
//
// The low 32-bit word holds the time, the high word the date.

uint64_t PackLocalDate(platform::FileTime localTime);
// Converts the entry's Time in place, once (flag 0x40 records it).
void EnsureDatePacked(TFileInfos& entry);
// The 64-bit mask of the selected parts (adpTime, adpDay, adpMonth, adpYear).
uint64_t DatePartsMask(uint8_t parts);

constexpr uint64_t kMaskTime = 0x00000000FFFFFFFFULL;
constexpr uint64_t kMaskDay = 0x0000001F00000000ULL;
constexpr uint64_t kMaskMonth = 0x00000F0000000000ULL;
constexpr uint64_t kMaskYear = 0x7FFF000000000000ULL;

// 100-ns units per day.
constexpr uint64_t kTicksPerDay = 864000000000ULL;

// ---------------------------------------------------------------------------
// The private settings a search works on, copied once when it starts.

struct TFilenameSettings {
  uint8_t mode = afnComplete;
  int32_t N = 0;
  int32_t M = 0;
  char c = 0;
  bool ignoreCase = true;
};

struct TSizeSettings {
  bool tolerant = false;
  uint64_t tolerance = 0;  // bytes (a negative stored value counts as 0)
};

struct TDateSettings {
  bool complete = true;
  uint8_t parts = 0;     // adp... bits
  uint64_t mask = 0;     // DatePartsMask(parts)
  bool mayDiffer = false;
  uint64_t tolerance = 0;  // days * kTicksPerDay, saturated
};

struct TSearchSettings {
  bool filenameOn = false;
  bool sizeOn = false;
  bool dateOn = false;
  bool contentOn = false;
  TFilenameSettings filename;
  TSizeSettings size;
  TDateSettings date;
  TAdvContentOptions content;
};

TFilenameSettings MakeFilenameSettings(const TAdvFilenameOptions& rec);
TSizeSettings MakeSizeSettings(const TAdvSizeOptions& rec);
TDateSettings MakeDateSettings(const TAdvDateOptions& rec);
// The search's own form of the settings (tolerances in the units it
// compares in); a criterion is on when its box is checked.
TSearchSettings MakeSearchSettings(const TCompareSettings& settings);

// ---------------------------------------------------------------------------
// Name keys.

// The key of a name under the file name settings (mode, N, M, separator,
// then lower case with the platform's ANSI mapping when ignoring case).
std::string BuildNameKey(std::string_view name, const TFilenameSettings& settings);
// True when the key is the name itself (complete name, case-sensitive): then
// no key is built and the name is compared as it is.
bool NameIsItsOwnKey(const TFilenameSettings& settings);
// The entry's key, built the first time it is needed and kept in NameKey
// (for the complete case-sensitive name: the name itself).
std::string_view NameKeyOf(TFileInfos& entry, const TFilenameSettings& settings);
// Ordinal byte comparison of two names or keys (unsigned bytes, whole strings).
int CompareOrdinal(std::string_view a, std::string_view b);

// ---------------------------------------------------------------------------
// Comparison keys and functions.

enum TCompKey : uint8_t {
  ckNone = 0,
  ckSizeExact = 1,
  ckSizeTolerant = 2,
  ckDateExact = 3,
  ckDateTolerant = 4,
  ckDateParts = 5,
  ckFilename = 6,
};

// Rank of a key as the primary (bucketing) key and as a secondary key; the
// lower rank wins. ckNone ranks 255.
uint8_t PrimaryRank(TCompKey key);
uint8_t SecondaryRank(TCompKey key);
// ckSizeTolerant and ckDateTolerant.
bool IsTolerantKey(TCompKey key);

using TCompareFunc = int (*)(const TSearchSettings& settings, TFileInfos& a, TFileInfos& b,
                             bool tolerant);

// Size, exact: unsigned comparison of the sizes.
int CompareSizeExact(const TSearchSettings& s, TFileInfos& a, TFileInfos& b, bool tolerant);
// Size with tolerance: flag clear as exact; flag set: 0 when the sizes differ
// by at most the tolerance, else the sign of the difference.
int CompareSizeTolerant(const TSearchSettings& s, TFileInfos& a, TFileInfos& b, bool tolerant);
// Complete date, exact: the last-write times as unsigned 64-bit values.
int CompareDateExact(const TSearchSettings& s, TFileInfos& a, TFileInfos& b, bool tolerant);
// Complete date with a tolerance of days: as the size tolerance, on times.
int CompareDateTolerant(const TSearchSettings& s, TFileInfos& a, TFileInfos& b, bool tolerant);
// Selected date parts: packs both entries, then the masked date word decides
// (when a day, month or year is selected) and, if equal, the time word (when
// the time is selected).
int CompareDateParts(const TSearchSettings& s, TFileInfos& a, TFileInfos& b, bool tolerant);
// File name: the names themselves (complete name, case-sensitive) or the name keys.
int CompareFilename(const TSearchSettings& s, TFileInfos& a, TFileInfos& b, bool tolerant);

// The function of a key (null for ckNone).
TCompareFunc CompareFuncOf(TCompKey key);

}  // namespace zw
