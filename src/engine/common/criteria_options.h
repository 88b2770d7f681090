// The comparison criteria: the criteria set and the four advanced records.
// The records are packed, little-endian, and their byte images are what the
// settings store, so their layouts must not change.
#pragma once
#include <cstdint>

namespace zw {

// Criteria set, rebuilt from the four check boxes at the start of a scan.
using TCompCriteria = uint8_t;
constexpr TCompCriteria ccFilename = 0x01;
constexpr TCompCriteria ccSize = 0x02;
constexpr TCompCriteria ccDate = 0x04;
constexpr TCompCriteria ccContent = 0x08;
constexpr TCompCriteria ccContentCRC = 0x10;      // content with the CRC32 method
constexpr TCompCriteria ccContentPartial = 0x20;  // content over less than the whole file

enum TAdvFilenameMode : uint8_t {
  afnComplete = 0,
  afnCharsNToM = 1,
  afnFirstN = 3,
  afnLastN = 4,
  afnBeforeFirst = 5,
  afnAfterFirst = 6,
  afnBeforeLast = 7,
  afnAfterLast = 8,
};

enum TAdvDatePart : uint8_t { adpTime = 0x01, adpDay = 0x02, adpMonth = 0x04, adpYear = 0x08 };

enum TAdvContentRange : uint8_t {
  acComplete = 0,
  acBytesNToM = 1,
  acBytesNToMFromEnd = 2,
  acFirstN = 3,
  acLastN = 4,
};

enum TAdvContentMethod : uint8_t { acmCRC32 = 0x01, acmByteByByte = 0x02 };

#pragma pack(push, 1)
struct TAdvFilenameOptions {
  uint8_t mode = afnComplete;
  int32_t N = 0;
  int32_t M = 0;
  char c = 0;
  uint8_t ignoreCase = 1;
};

struct TAdvSizeOptions {
  uint8_t tolerant = 0;
  int64_t tolerance = 0;
  uint8_t unit = 0;
};

struct TAdvDateOptions {
  uint8_t complete = 1;
  uint8_t parts = 0;
  uint8_t mayDiffer = 0;
  uint32_t days = 0;
};

struct TAdvContentOptions {
  uint8_t range = acComplete;
  uint8_t methods = acmCRC32;
  int64_t N = 0;
  int64_t M = 0;
  uint8_t unit = 0;
};
#pragma pack(pop)

static_assert(sizeof(TAdvFilenameOptions) == 11);
static_assert(sizeof(TAdvSizeOptions) == 10);
static_assert(sizeof(TAdvDateOptions) == 7);
static_assert(sizeof(TAdvContentOptions) == 19);

// All settings of the comparison: the four criterion boxes and their
// advanced records. The window model holds one; a scan takes a copy. The
// defaults of the records are the factory state: everything zero except
// "ignore case", "complete date" and the CRC32 method; size and content
// checked.
struct TCompareSettings {
  // The checked criterion boxes: ccFilename, ccSize, ccDate, ccContent.
  TCompCriteria checked = ccSize | ccContent;
  TAdvFilenameOptions filename;
  TAdvSizeOptions size;
  TAdvDateOptions date;
  TAdvContentOptions content;

  bool On(TCompCriteria box) const { return (checked & box) != 0; }
  void Set(TCompCriteria box, bool on) {
    checked = static_cast<TCompCriteria>(on ? (checked | box) : (checked & ~box));
  }
  // The criteria set of a scan: the checked boxes, and with content
  // ccContentCRC for the CRC32 method and ccContentPartial for less than the
  // whole file.
  TCompCriteria Criteria() const {
    TCompCriteria c = checked & (ccFilename | ccSize | ccDate | ccContent);
    if (c & ccContent) {
      if (content.methods & acmCRC32) c |= ccContentCRC;
      if (content.range != acComplete) c |= ccContentPartial;
    }
    return c;
  }
};

}  // namespace zw
