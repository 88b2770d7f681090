#include "engine/dupes/criteria.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "engine/common/le_bytes.h"
#include "platform/paths.h"

namespace zw {
namespace {

void PutU8(std::vector<uint8_t>& out, uint8_t v) { out.push_back(v); }

int Sign(int64_t v) { return (v > 0) - (v < 0); }
int CompareU64(uint64_t a, uint64_t b) { return (a > b) - (a < b); }

// 0 when a and b lie at most `tolerance` apart, else the sign of a - b.
int CompareWithin(uint64_t a, uint64_t b, uint64_t tolerance) {
  if (a >= b) return a - b <= tolerance ? 0 : 1;
  return b - a <= tolerance ? 0 : -1;
}

}  // namespace

// ---------------------------------------------------------------------------
// Byte images

std::vector<uint8_t> ToBytes(const TAdvFilenameOptions& rec) {
  std::vector<uint8_t> out;
  out.reserve(kFilenameOptionsBytes);
  PutU8(out, rec.mode);
  le::Put32(out, static_cast<uint32_t>(rec.N));
  le::Put32(out, static_cast<uint32_t>(rec.M));
  PutU8(out, static_cast<uint8_t>(rec.c));
  PutU8(out, rec.ignoreCase);
  return out;
}

std::vector<uint8_t> ToBytes(const TAdvSizeOptions& rec) {
  std::vector<uint8_t> out;
  out.reserve(kSizeOptionsBytes);
  PutU8(out, rec.tolerant);
  le::Put64(out, static_cast<uint64_t>(rec.tolerance));
  PutU8(out, rec.unit);
  return out;
}

std::vector<uint8_t> ToBytes(const TAdvDateOptions& rec) {
  std::vector<uint8_t> out;
  out.reserve(kDateOptionsBytes);
  PutU8(out, rec.complete);
  PutU8(out, rec.parts);
  PutU8(out, rec.mayDiffer);
  le::Put32(out, rec.days);
  return out;
}

std::vector<uint8_t> ToBytes(const TAdvContentOptions& rec) {
  std::vector<uint8_t> out;
  out.reserve(kContentOptionsBytes);
  PutU8(out, rec.range);
  PutU8(out, rec.methods);
  le::Put64(out, static_cast<uint64_t>(rec.N));
  le::Put64(out, static_cast<uint64_t>(rec.M));
  PutU8(out, rec.unit);
  return out;
}

bool FromBytes(const uint8_t* p, size_t size, TAdvFilenameOptions& rec) {
  if (p == nullptr || size != kFilenameOptionsBytes) return false;
  rec.mode = p[0];
  rec.N = static_cast<int32_t>(le::Get32(p + 1));
  rec.M = static_cast<int32_t>(le::Get32(p + 5));
  rec.c = static_cast<char>(p[9]);
  rec.ignoreCase = p[10];
  return true;
}

bool FromBytes(const uint8_t* p, size_t size, TAdvSizeOptions& rec) {
  if (p == nullptr || size != kSizeOptionsBytes) return false;
  rec.tolerant = p[0];
  rec.tolerance = static_cast<int64_t>(le::Get64(p + 1));
  rec.unit = p[9];
  return true;
}

bool FromBytes(const uint8_t* p, size_t size, TAdvDateOptions& rec) {
  if (p == nullptr || size != kDateOptionsBytes) return false;
  rec.complete = p[0];
  rec.parts = p[1];
  rec.mayDiffer = p[2];
  rec.days = le::Get32(p + 3);
  return true;
}

bool FromBytes(const uint8_t* p, size_t size, TAdvContentOptions& rec) {
  if (p == nullptr || size != kContentOptionsBytes) return false;
  rec.range = p[0];
  rec.methods = p[1];
  rec.N = static_cast<int64_t>(le::Get64(p + 2));
  rec.M = static_cast<int64_t>(le::Get64(p + 10));
  rec.unit = p[18];
  return true;
}

// ---------------------------------------------------------------------------
// Units

int UnitShift(int unit) {
  if (unit < 0 || unit >= kByteUnitCount) return 0;
  return 10 * unit;
}

uint64_t UnitFactor(int unit) { return uint64_t{1} << UnitShift(unit); }

int64_t BytesToUnit(int64_t bytes, int unit) { return bytes >> UnitShift(unit); }

int64_t MaxValueInUnit(int unit) {
  return std::numeric_limits<int64_t>::max() >> UnitShift(unit);
}

int64_t UnitToBytes(int64_t value, int unit) {
  if (value > MaxValueInUnit(unit)) return std::numeric_limits<int64_t>::max();
  if (value < -MaxValueInUnit(unit)) return -std::numeric_limits<int64_t>::max();
  return value * static_cast<int64_t>(UnitFactor(unit));
}

// ---------------------------------------------------------------------------
// Packed date

uint64_t PackLocalDate(platform::FileTime localTime) {
  const platform::SystemTime st = platform::SplitFileTime(localTime);
  const uint32_t low = (static_cast<uint32_t>(st.hour & 0xFF) << 24) |
                       (static_cast<uint32_t>(st.minute & 0xFF) << 16) |
                       static_cast<uint32_t>((st.second * 1024u + st.milliseconds) & 0xFFFF);
  const uint32_t high = (static_cast<uint32_t>(st.year) << 16) |
                        (static_cast<uint32_t>((st.month - 1) & 0xFF) << 8) |
                        static_cast<uint32_t>((st.day - 1) & 0xFF);
  return (static_cast<uint64_t>(high) << 32) | low;
}

void EnsureDatePacked(TFileInfos& entry) {
  if (entry.Flags & fiflag::kDatePacked) return;
  entry.Time = PackLocalDate(entry.Time);
  entry.Flags |= fiflag::kDatePacked;
}

uint64_t DatePartsMask(uint8_t parts) {
  uint64_t mask = 0;
  if (parts & adpTime) mask |= kMaskTime;
  if (parts & adpDay) mask |= kMaskDay;
  if (parts & adpMonth) mask |= kMaskMonth;
  if (parts & adpYear) mask |= kMaskYear;
  return mask;
}

// ---------------------------------------------------------------------------
// Private settings

TFilenameSettings MakeFilenameSettings(const TAdvFilenameOptions& rec) {
  TFilenameSettings s;
  s.mode = rec.mode;
  s.N = rec.N;
  s.M = rec.M;
  s.c = rec.c;
  s.ignoreCase = rec.ignoreCase != 0;
  return s;
}

TSizeSettings MakeSizeSettings(const TAdvSizeOptions& rec) {
  TSizeSettings s;
  s.tolerant = rec.tolerant != 0;
  s.tolerance = rec.tolerance > 0 ? static_cast<uint64_t>(rec.tolerance) : 0;
  return s;
}

TDateSettings MakeDateSettings(const TAdvDateOptions& rec) {
  TDateSettings s;
  s.complete = rec.complete != 0;
  s.parts = rec.parts;
  s.mask = DatePartsMask(rec.parts);
  s.mayDiffer = rec.mayDiffer != 0;
  const uint64_t days = rec.days;
  s.tolerance = days > std::numeric_limits<uint64_t>::max() / kTicksPerDay
                    ? std::numeric_limits<uint64_t>::max()
                    : days * kTicksPerDay;
  return s;
}

TSearchSettings MakeSearchSettings(const TCompareSettings& settings) {
  TSearchSettings s;
  s.filenameOn = settings.On(ccFilename);
  s.sizeOn = settings.On(ccSize);
  s.dateOn = settings.On(ccDate);
  s.contentOn = settings.On(ccContent);
  s.filename = MakeFilenameSettings(settings.filename);
  s.size = MakeSizeSettings(settings.size);
  s.date = MakeDateSettings(settings.date);
  s.content = settings.content;
  return s;
}

// ---------------------------------------------------------------------------
// Name keys

std::string BuildNameKey(std::string_view name, const TFilenameSettings& s) {
  const size_t L = name.size();
  std::string_view key = name;
  switch (s.mode) {
    case afnCharsNToM: {
      // 1-based and inclusive; a first character below 1 counts as 1.
      const int64_t first = std::max<int64_t>(s.N, 1);
      const int64_t last = std::min<int64_t>(static_cast<int64_t>(L), s.M);
      key = first > last ? std::string_view()
                         : name.substr(static_cast<size_t>(first - 1),
                                       static_cast<size_t>(last - first + 1));
      break;
    }
    case afnFirstN: {
      const size_t n = static_cast<size_t>(std::clamp<int64_t>(s.N, 0, static_cast<int64_t>(L)));
      key = name.substr(0, n);
      break;
    }
    case afnLastN: {
      const size_t n = static_cast<size_t>(std::clamp<int64_t>(s.N, 0, static_cast<int64_t>(L)));
      key = name.substr(L - n);
      break;
    }
    case afnBeforeFirst:
    case afnAfterFirst:
    case afnBeforeLast:
    case afnAfterLast: {
      // The separator is searched in the name as it is, case-sensitively.
      const bool fromEnd = s.mode == afnBeforeLast || s.mode == afnAfterLast;
      const size_t pos = fromEnd ? name.rfind(s.c) : name.find(s.c);
      if (pos != std::string_view::npos) {
        const bool before = s.mode == afnBeforeFirst || s.mode == afnBeforeLast;
        key = before ? name.substr(0, pos) : name.substr(pos + 1);
      }
      break;
    }
    default:  // complete name (and modes never produced)
      break;
  }
  if (s.ignoreCase) return platform::LowerText(key);
  return std::string(key);
}

bool NameIsItsOwnKey(const TFilenameSettings& s) {
  return s.mode == afnComplete && !s.ignoreCase;
}

std::string_view NameKeyOf(TFileInfos& entry, const TFilenameSettings& s) {
  if (NameIsItsOwnKey(s)) return entry.Name.view();
  if (!entry.NameKey) entry.NameKey = std::make_unique<std::string>(BuildNameKey(entry.Name, s));
  return *entry.NameKey;
}

int CompareOrdinal(std::string_view a, std::string_view b) {
  // char_traits<char> compares as unsigned char, byte by byte.
  const int r = a.compare(b);
  return (r > 0) - (r < 0);
}

// ---------------------------------------------------------------------------
// Keys and comparison functions

uint8_t PrimaryRank(TCompKey key) {
  switch (key) {
    case ckSizeExact: return 0;
    case ckDateExact: return 1;
    case ckFilename: return 2;
    case ckDateParts: return 3;
    case ckSizeTolerant: return 4;
    case ckDateTolerant: return 5;
    default: return 255;
  }
}

uint8_t SecondaryRank(TCompKey key) {
  switch (key) {
    case ckSizeExact: return 0;
    case ckDateExact: return 1;
    case ckSizeTolerant: return 2;
    case ckDateTolerant: return 3;
    case ckDateParts: return 4;
    case ckFilename: return 5;
    default: return 255;
  }
}

bool IsTolerantKey(TCompKey key) { return key == ckSizeTolerant || key == ckDateTolerant; }

int CompareSizeExact(const TSearchSettings&, TFileInfos& a, TFileInfos& b, bool) {
  return CompareU64(a.Size, b.Size);
}

int CompareSizeTolerant(const TSearchSettings& s, TFileInfos& a, TFileInfos& b, bool tolerant) {
  if (!tolerant) return CompareU64(a.Size, b.Size);
  return CompareWithin(a.Size, b.Size, s.size.tolerance);
}

int CompareDateExact(const TSearchSettings&, TFileInfos& a, TFileInfos& b, bool) {
  return CompareU64(a.Time, b.Time);
}

int CompareDateTolerant(const TSearchSettings& s, TFileInfos& a, TFileInfos& b, bool tolerant) {
  if (!tolerant) return CompareU64(a.Time, b.Time);
  return CompareWithin(a.Time, b.Time, s.date.tolerance);
}

int CompareDateParts(const TSearchSettings& s, TFileInfos& a, TFileInfos& b, bool) {
  EnsureDatePacked(a);
  EnsureDatePacked(b);
  const uint32_t highMask = static_cast<uint32_t>(s.date.mask >> 32);
  if (highMask != 0) {
    const int64_t d = static_cast<int64_t>(static_cast<uint32_t>(a.Time >> 32) & highMask) -
                      static_cast<int64_t>(static_cast<uint32_t>(b.Time >> 32) & highMask);
    if (d != 0) return Sign(d);
  }
  if (s.date.mask & kMaskTime) {
    const int64_t d = static_cast<int64_t>(static_cast<uint32_t>(a.Time)) -
                      static_cast<int64_t>(static_cast<uint32_t>(b.Time));
    return Sign(d);
  }
  return 0;
}

int CompareFilename(const TSearchSettings& s, TFileInfos& a, TFileInfos& b, bool) {
  if (NameIsItsOwnKey(s.filename)) return CompareOrdinal(a.Name, b.Name);
  return CompareOrdinal(NameKeyOf(a, s.filename), NameKeyOf(b, s.filename));
}

TCompareFunc CompareFuncOf(TCompKey key) {
  switch (key) {
    case ckSizeExact: return &CompareSizeExact;
    case ckSizeTolerant: return &CompareSizeTolerant;
    case ckDateExact: return &CompareDateExact;
    case ckDateTolerant: return &CompareDateTolerant;
    case ckDateParts: return &CompareDateParts;
    case ckFilename: return &CompareFilename;
    default: return nullptr;
  }
}

}  // namespace zw
