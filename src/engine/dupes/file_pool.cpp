#include "engine/dupes/file_pool.h"

#include <algorithm>
#include <cassert>
#include <limits>
#include <stdexcept>
#include <string_view>
#include <utility>

#include "engine/dupes/content_comparer.h"
#include "engine/dupes/read_ahead.h"

namespace zw {

// ===========================================================================
// Keys

namespace {

// The first key of lowest rank (ties keep the earlier key).
size_t LowestRank(const std::vector<TCompKey>& keys, uint8_t (*rank)(TCompKey)) {
  size_t best = 0;
  for (size_t i = 1; i < keys.size(); ++i)
    if (rank(keys[i]) < rank(keys[best])) best = i;
  return best;
}

}  // namespace

TKeyChoice ChooseKeys(const TSearchSettings& s) {
  bool sizeOn = s.sizeOn;
  bool sizeTolerant = s.size.tolerant;
  // Comparing complete contents needs files of exactly equal size.
  if (s.contentOn && s.content.range == acComplete) {
    sizeOn = true;
    sizeTolerant = false;
  }
  std::vector<TCompKey> keys;
  if (sizeOn) keys.push_back(sizeTolerant ? ckSizeTolerant : ckSizeExact);
  if (s.dateOn) {
    if (!s.date.complete)
      keys.push_back(ckDateParts);
    else
      keys.push_back(s.date.mayDiffer ? ckDateTolerant : ckDateExact);
  }
  if (s.filenameOn) keys.push_back(ckFilename);

  TKeyChoice choice;
  if (keys.empty()) return choice;
  const size_t p = LowestRank(keys, &PrimaryRank);
  choice.primary = keys[p];
  keys.erase(keys.begin() + static_cast<std::ptrdiff_t>(p));
  for (int slot = 0; slot < 2 && !keys.empty(); ++slot) {
    const size_t k = LowestRank(keys, &SecondaryRank);
    choice.secondary[slot] = keys[k];
    keys.erase(keys.begin() + static_cast<std::ptrdiff_t>(k));
  }
  choice.tolerantPrimary = IsTolerantKey(choice.primary);
  return choice;
}

TPoolKind PoolKindOf(const TKeyChoice& keys, const TSearchSettings& s) {
  switch (keys.primary) {
    case ckNone: return s.contentOn ? TPoolKind::Unsorted : TPoolKind::PassThru;
    case ckSizeExact:
    case ckSizeTolerant: return TPoolKind::BySize;
    case ckDateExact:
    case ckDateTolerant:
    case ckDateParts: return TPoolKind::ByDate;
    case ckFilename: return TPoolKind::ByFilename;
  }
  return TPoolKind::PassThru;
}

// ===========================================================================
// Bucket functions

uint32_t SizeBucket(uint64_t size) {
  if (size <= 1) return static_cast<uint32_t>(size);
  int b = 63;
  while (!(size >> b)) --b;  // highest set bit
  const uint32_t t = static_cast<uint32_t>((size >> (b - 1)) & 1);
  return 2 * static_cast<uint32_t>(b) + t;
}

uint32_t FilenameBucket(std::string_view key) {
  return key.empty() ? 0 : static_cast<unsigned char>(key[0]);
}

namespace {

// x when x <= top; else the x shifted right by s into top..2*top-1, placed
// after the s earlier ranges: (base + s) * top + (x >> s) - top.
uint32_t LogScale(uint32_t x, uint32_t base, uint32_t top) {
  if (x <= top) return x;
  uint32_t s = 0;
  while ((x >> s) > 2 * top - 1) ++s;
  return (base + s) * top + (x >> s) - top;
}

}  // namespace

uint32_t DateAgeBucket(platform::FileTime now, platform::FileTime time) {
  // The age is taken as a magnitude and a direction, so that no time, however
  // far off, wraps around into the wrong half.
  if (time <= now) {
    const uint64_t x = (now - time) >> 32;
    if (x > (uint64_t{1} << 25)) return 0;
    return 400 - LogScale(static_cast<uint32_t>(x), 4, 16);
  }
  const uint64_t x = (time - now) >> 32;
  if (x > (uint64_t{1} << 24)) return 592;
  return 400 + LogScale(static_cast<uint32_t>(x), 3, 8);
}

uint32_t DatePartsBucketCount(uint8_t parts) {
  if ((parts & 0x0F) == adpTime) return 1440;
  if ((parts & adpDay) && !(parts & (adpMonth | adpYear))) return 186;
  if (parts & adpYear) return 454;
  return 372;
}

uint32_t DatePartsBucket(uint8_t parts, uint32_t currentYear, uint64_t packed) {
  const uint32_t high = static_cast<uint32_t>(packed >> 32);
  const uint32_t low = static_cast<uint32_t>(packed);
  const bool hasTime = parts & adpTime;
  const uint32_t m = (parts & adpMonth) ? (high >> 8) & 0x0F : 0;
  const uint32_t d = (parts & adpDay) ? high & 0x1F : 0;
  const uint32_t h = hasTime ? (low >> 24) & 0xFF : 0;
  const uint32_t count = DatePartsBucketCount(parts);
  int64_t bucket;
  if ((parts & 0x0F) == adpTime) {
    bucket = h * 60 + ((low >> 16) & 0xFF);
  } else if ((parts & adpDay) && !(parts & (adpMonth | adpYear))) {
    bucket = 6 * d + h / 4;
  } else if (parts & adpYear) {
    const int64_t k = static_cast<int64_t>(currentYear) - static_cast<int64_t>((high >> 16) & 0x7FFF);
    if (k == 0)
      bucket = 8 * m + 326 + d / 4;
    else if (k == 1)
      bucket = 8 * m + 230 + d / 4;
    else if (k >= 2 && k <= 10)
      bucket = 242 - 12 * k + m;
    else if (k >= 11 && k <= 50)
      bucket = 151 - 3 * k + m / 4;
    else if (k >= 51)
      bucket = 0;
    else if (k >= -10)  // -10..-1
      bucket = 419 - 3 * k + m / 4;
    else
      bucket = 453;
  } else {
    bucket = 31 * m + d;
  }
  // Calendar fields come from a valid split; the clamp only guards the array.
  return static_cast<uint32_t>(std::clamp<int64_t>(bucket, 0, count - 1));
}

// ===========================================================================
// TFilePool

std::unique_ptr<TResultManager> MakeContentComparer(TResultManager& next,
                                                    const TSearchSettings& settings,
                                                    const TPoolContext& context) {
  auto comparer = std::make_unique<TContentComparer>(&next, settings.content);
  comparer->SetOwner(context.owner);
  comparer->SetStatus(context.status);
  comparer->SetMessenger(context.messenger);
  comparer->SetReadAhead(context.readAhead);
  return comparer;
}

TFilePool::TFilePool(TPoolKind kind, const TSearchSettings& settings, const TKeyChoice& keys,
                     const TPoolContext& context)
    : kind_(kind), settings_(settings), keys_(keys), context_(context) {}

TFilePool::~TFilePool() = default;

bool TFilePool::CheckStop() { return context_.owner != nullptr && context_.owner->CheckStop(); }

void TFilePool::Step() {
  if (context_.status) context_.status->Step();
}

void TFilePool::Drop(TFileInfos* entry) {
  if (context_.onDrop) context_.onDrop(*entry);
  // The read-ahead helper may still be about to read it.
  if (context_.readAhead && entry->Ahead == TReadAhead::kLeft) context_.readAhead->Take(*entry);
  FreeFileInfos(entry);
}

void TFilePool::DropList(TFileInfos* head) {
  while (head) {
    TFileInfos* next = head->Next;
    Drop(head);
    head = next;
  }
}

void TFilePool::PrepareFinish(TResultManager& results) {
  int64_t maximum;
  if (settings_.contentOn) {
    contentStage_ = context_.contentStage ? context_.contentStage(results, settings_, context_)
                                          : MakeContentComparer(results, settings_, context_);
    if (!contentStage_) throw std::logic_error("no content stage");
    next_ = contentStage_.get();
    maximum = fileCount_;
  } else {
    next_ = &results;
    maximum = groupCount_;
  }
  if (context_.status)
    context_.status->SetMaximum(
        static_cast<int32_t>(std::min<int64_t>(maximum, std::numeric_limits<int32_t>::max())));
}

// ===========================================================================
// TFPPassThru

TFPPassThru::TFPPassThru(const TSearchSettings& settings, const TKeyChoice& keys,
                         const TPoolContext& context)
    : TFilePool(TPoolKind::PassThru, settings, keys, context) {
  if (context.results == nullptr)
    throw std::invalid_argument("the pass-through pool needs the result list");
}

void TFPPassThru::AddFresh(TFileInfos* entry) {
  entry->Next = nullptr;
  ++fileCount_;
  ++groupCount_;
  context_.results->AddSet(entry);
}

void TFPPassThru::AddLibrary(TFileInfos* entry) {
  entry->Flags |= fiflag::kLibrary;
  hasLibrary_ = true;
  AddFresh(entry);
}

void TFPPassThru::Finish(TResultManager& results) {
  PrepareFinish(results);
  Step();
}

// ===========================================================================
// TFPUnsorted

TFPUnsorted::TFPUnsorted(const TSearchSettings& settings, const TKeyChoice& keys,
                         const TPoolContext& context)
    : TFilePool(TPoolKind::Unsorted, settings, keys, context) {
  groupCount_ = 1;
}

TFPUnsorted::~TFPUnsorted() { DropList(head_); }

void TFPUnsorted::AddFresh(TFileInfos* entry) {
  entry->Next = nullptr;
  if (tail_)
    tail_->Next = entry;
  else
    head_ = entry;
  tail_ = entry;
  ++fileCount_;
}

void TFPUnsorted::AddLibrary(TFileInfos* entry) {
  entry->Flags |= fiflag::kLibrary;
  hasLibrary_ = true;
  AddFresh(entry);
}

void TFPUnsorted::Finish(TResultManager& results) {
  PrepareFinish(results);
  TFileInfos* all = head_;
  head_ = tail_ = nullptr;
  if (all) Next().AddSet(all);
}

// ===========================================================================
// TFPSorted

namespace {

// A tree over a fixed row of items 0..count-1 that keeps the greatest item of
// every range (by a given order), to find the first item at or after a
// position that reaches a threshold without looking at the items below it.
// It holds item numbers, not entries: the caller compares through its own
// compact key row, so a search touches no entry.
class TMaxTree {
 public:
  // less(i, j): item i orders below item j.
  template <class Less>
  TMaxTree(size_t count, Less less) : count_(count) {
    leaves_ = 1;
    while (leaves_ < count) leaves_ <<= 1;
    node_.assign(2 * leaves_, kEmpty);
    for (size_t i = 0; i < count; ++i) node_[leaves_ + i] = static_cast<uint32_t>(i);
    for (size_t i = leaves_ - 1; i >= 1; --i) {
      const uint32_t a = node_[2 * i];
      const uint32_t b = node_[2 * i + 1];
      node_[i] = a == kEmpty ? b : b == kEmpty ? a : less(a, b) ? b : a;
    }
  }

  // The first position in [from, to) whose item satisfies `reaches` (called
  // with an item number), which must hold for every item at least as great
  // as one for which it holds;
  // `to` when there is none.
  template <class Reaches>
  size_t FirstReaching(size_t from, size_t to, Reaches reaches) const {
    if (from >= to) return to;
    const size_t r = Find(1, 0, leaves_, from, std::min(to, count_), reaches);
    return r == kNone ? to : r;
  }

 private:
  static constexpr size_t kNone = static_cast<size_t>(-1);
  static constexpr uint32_t kEmpty = static_cast<uint32_t>(-1);

  template <class Reaches>
  size_t Find(size_t node, size_t lo, size_t hi, size_t from, size_t to, Reaches& reaches) const {
    if (hi <= from || to <= lo || node_[node] == kEmpty || !reaches(node_[node])) return kNone;
    if (hi - lo == 1) return lo;
    const size_t mid = lo + (hi - lo) / 2;
    const size_t r = Find(2 * node, lo, mid, from, to, reaches);
    if (r != kNone) return r;
    return Find(2 * node + 1, mid, hi, from, to, reaches);
  }

  size_t count_;
  size_t leaves_;
  std::vector<uint32_t> node_;
};

// A row of numbers, sorted within every range that is searched, with every
// 16th one copied into a small row: a search reads the small row (which
// stays in the cache) and then one block of the big row, instead of jumping
// through the whole big row.
class TSampledRow {
 public:
  void Assign(std::vector<uint64_t> values) {
    values_ = std::move(values);
    samples_.clear();
    samples_.reserve(values_.size() / kStep + 1);
    for (size_t i = 0; i < values_.size(); i += kStep) samples_.push_back(values_[i]);
  }
  bool Empty() const { return values_.empty(); }
  void Clear() {
    std::vector<uint64_t>().swap(values_);
    std::vector<uint64_t>().swap(samples_);
  }

  // The first position in [b, e) whose number is at least v (strict:
  // greater than v); e when there is none.
  size_t FirstAtLeast(size_t b, size_t e, uint64_t v, bool strict) const {
    if (b >= e) return e;
    auto ok = [&](uint64_t k) { return strict ? k > v : k >= v; };
    // Samples that lie in [b, e): positions j * kStep for j in [sb, se).
    const size_t sb = (b + kStep - 1) / kStep;
    const size_t se = (e + kStep - 1) / kStep;
    size_t lo = sb, hi = se;
    while (lo < hi) {
      const size_t mid = lo + (hi - lo) / 2;
      if (ok(samples_[mid]))
        hi = mid;
      else
        lo = mid + 1;
    }
    // Sample lo is the first that is ok: the answer lies after sample lo - 1
    // and at or before sample lo.
    size_t from = lo == sb ? b : (lo - 1) * kStep + 1;
    const size_t to = lo == se ? e : lo * kStep;
    while (from < to && !ok(values_[from])) ++from;
    return from;
  }

 private:
  static constexpr size_t kStep = 16;
  std::vector<uint64_t> values_;
  std::vector<uint64_t> samples_;
};

int CompareNum(uint64_t a, uint64_t b) { return a < b ? -1 : a > b ? 1 : 0; }

uint64_t SaturatedSub(uint64_t a, uint64_t b) { return a > b ? a - b : 0; }
uint64_t SaturatedAdd(uint64_t a, uint64_t b) { return a > UINT64_MAX - b ? UINT64_MAX : a + b; }

// 0 when a and b differ by at most the tolerance, else the sign of a - b.
int CompareNumWithin(uint64_t a, uint64_t b, uint64_t tolerance) {
  if (a >= b) return a - b <= tolerance ? 0 : 1;
  return b - a <= tolerance ? 0 : -1;
}

}  // namespace

struct TFPSorted::Impl {
  // During the fresh phase the files are only collected, each with its keys
  // and its arrival number; the end of the phase sorts them once. A class is
  // a run of files that are equal under every key, and the groups' lists
  // keep the order in which inserting the files one by one into sorted lists
  // leaves equal files: the class's first file (its anchor) is followed by
  // the files that came while the class was the lowest of its group, newest
  // first; the files that came after a lower class of the group appeared go
  // in front of the anchor, newest first.
  //
  // The primary key is kept in the class key itself (a number, or the name
  // key for the file name), so that ordering the classes of different
  // groups does not have to visit the entries. So are the secondary keys
  // (see SecKeys): at a million files every visit of an entry is a cache
  // miss, and comparing through the entries cost several per step.
  //
  // How a secondary key is held: as a number (size, complete date), as the
  // name key, or not at all (date parts: the entry's time is packed when it
  // is first compared, and that stays with the comparison function).
  enum class Held : uint8_t { Num, Str, Entry };
  // The secondary keys of an entry, slot by slot (only the file name is a
  // string, and there is at most one).
  // The name key also gives its first 8 bytes as a big-endian number (zero
  // padded), which decides most comparisons without reading the key itself.
  struct SecKeys {
    uint64_t num[2];
    uint64_t strHead;
    std::string_view str;
  };
  struct ClassKey {
    uint32_t bucket;
    uint32_t arrival;  // order of AddFresh calls
    uint64_t num;
    std::string_view str;
    SecKeys sec;
    TFileInfos* rep;
  };
  // A fresh file waiting to be sorted: the numeric part of its ClassKey.
  // A name primary key and the secondary keys, when the criteria have them
  // (`moreKeys`), wait in `pendingMore` by arrival: most searches have
  // neither, and a million files then take 24 bytes each here, not 80.
  struct PendingKey {
    uint32_t bucket;
    uint32_t arrival;
    uint64_t num;
    TFileInfos* rep;
  };
  struct MoreKeys {
    std::string_view str;
    SecKeys sec;
  };
  // Bucket, primary key, secondary keys, then arrival.
  struct KeyLess {
    Impl* impl;
    bool operator()(const PendingKey& a, const PendingKey& b) const {
      int r = impl->ComparePendingPrimary(a, b);
      if (r == 0) r = impl->ComparePendingSecondary(a, b);
      return r != 0 ? r < 0 : a.arrival < b.arrival;
    }
  };

  // After the fresh phase: the groups in order, each a null-terminated list
  // of entries, and the fresh entries of all groups in one row for searching.
  struct Group {
    TFileInfos* first;
    TFileInfos* last;
    uint32_t bucket;
    uint64_t num;           // the primary key, as in ClassKey
    std::string_view str;
    size_t freshBegin;
    size_t freshEnd;
  };

  enum class Walk { Inserted, Stop, Exhausted };

  TFPSorted& pool;
  TCompareFunc primary;
  std::vector<TCompareFunc> secondary;

  // The fresh files as they came, chained through their Next in order of
  // arrival (their keys are made in one go when they are sorted; a chain
  // costs nothing where a list of a million pointers would be 8 MB beside
  // the sort's keys), and those already sorted, with their keys.
  TFileInfos* arrivalsFirst = nullptr;
  TFileInfos* arrivalsLast = nullptr;
  size_t arrivalCount = 0;
  std::vector<PendingKey> pending;
  std::vector<MoreKeys> pendingMore;
  bool moreKeys = false;
  bool frozen = false;

  std::vector<Group> groups;
  std::vector<TFileInfos*> fresh;
  std::vector<SecKeys> freshKeys;  // the secondary keys of `fresh`, row by row
  Held held[2] = {Held::Entry, Held::Entry};
  bool tolerantSec[2] = {false, false};
  uint64_t toleranceSec[2] = {0, 0};
  uint64_t tolerancePrimary = 0;
  // Compact search rows: the first secondary key of `fresh` when it is a
  // number, and the buckets and primary keys of the groups when the primary
  // key is a tolerant number.
  TSampledRow freshSlot0;
  TSampledRow groupBuckets;
  TSampledRow groupNums;
  std::vector<std::unique_ptr<TMaxTree>> groupTrees;  // per group, built on demand
  std::unique_ptr<TMaxTree> lastFreshTree;            // over the groups' greatest fresh files
  size_t consumed = 0;                                // groups handed over by Finish

  explicit Impl(TFPSorted& p) : pool(p) {
    primary = CompareFuncOf(p.keys_.primary);
    for (TCompKey k : p.keys_.secondary)
      if (k != ckNone) secondary.push_back(CompareFuncOf(k));
    const TSearchSettings& s = p.settings_;
    auto toleranceOf = [&s](TCompKey k) -> uint64_t {
      return k == ckSizeTolerant ? s.size.tolerance : k == ckDateTolerant ? s.date.tolerance : 0;
    };
    for (size_t i = 0; i < secondary.size(); ++i) {
      const TCompKey k = p.keys_.secondary[i];
      held[i] = k == ckFilename ? Held::Str : k == ckDateParts ? Held::Entry : Held::Num;
      tolerantSec[i] = IsTolerantKey(k);
      toleranceSec[i] = toleranceOf(k);
    }
    tolerancePrimary = toleranceOf(p.keys_.primary);
    moreKeys = p.keys_.primary == ckFilename || !secondary.empty();
  }

  const TSearchSettings& S() const { return pool.settings_; }

  // Two name keys, ordinal: when their heads differ they decide; equal heads
  // of keys of at most 8 bytes leave the shorter key (a prefix of the
  // other) first; else the keys are compared in full.
  static int CompareNameKeys(const SecKeys& a, const SecKeys& b) {
    if (a.strHead != b.strHead) return a.strHead < b.strHead ? -1 : 1;
    if (a.str.size() <= 8 && b.str.size() <= 8) return CompareNum(a.str.size(), b.str.size());
    return CompareOrdinal(a.str, b.str);
  }
  static uint64_t HeadOf(std::string_view key) {
    uint64_t h = 0;
    for (size_t i = 0; i < 8; ++i)
      h = (h << 8) | (i < key.size() ? static_cast<unsigned char>(key[i]) : 0u);
    return h;
  }

  // Secondary key slot i of two entries, compared as secondary[i] does.
  int CompareSlot(size_t i, const SecKeys& a, TFileInfos& ea, const SecKeys& b, TFileInfos& eb,
                  bool tolerant) {
    switch (held[i]) {
      case Held::Num:
        if (tolerant && tolerantSec[i]) return CompareNumWithin(a.num[i], b.num[i], toleranceSec[i]);
        return CompareNum(a.num[i], b.num[i]);
      case Held::Str: return CompareNameKeys(a, b);
      case Held::Entry: break;
    }
    return secondary[i](S(), ea, eb, tolerant);
  }
  // All secondary keys, as Secondary.
  int SecondaryHeld(const SecKeys& a, TFileInfos& ea, const SecKeys& b, TFileInfos& eb,
                    bool tolerant) {
    for (size_t i = 0; i < secondary.size(); ++i) {
      const int r = CompareSlot(i, a, ea, b, eb, tolerant);
      if (r != 0) return r;
    }
    return 0;
  }
  // The primary key of an entry against a group's, as Primary.
  int PrimaryHeld(const ClassKey& x, const Group& g, bool tolerant) const {
    if (tolerant && pool.keys_.tolerantPrimary) return CompareNumWithin(x.num, g.num, tolerancePrimary);
    if (x.num != g.num) return x.num < g.num ? -1 : 1;
    return CompareOrdinal(x.str, g.str);
  }
  SecKeys SecKeysOf(TFileInfos& e) {
    SecKeys k{{0, 0}, 0, std::string_view()};
    for (size_t i = 0; i < secondary.size(); ++i) {
      switch (pool.keys_.secondary[i]) {
        case ckSizeExact:
        case ckSizeTolerant: k.num[i] = e.Size; break;
        case ckDateExact:
        case ckDateTolerant: k.num[i] = e.Time; break;
        case ckFilename:
          k.str = NameKeyOf(e, S().filename);
          k.strHead = HeadOf(k.str);
          break;
        default: break;
      }
    }
    return k;
  }

  // The bucket, primary key and secondary keys of an entry; they order
  // entries exactly as the bucket and the comparisons (flag clear) do. (The
  // masked packed date orders as the date parts comparison: its time part
  // is either all of the low word or none of it.)
  ClassKey KeyOf(TFileInfos& e) {
    ClassKey k{pool.BucketOf(e), 0, 0, std::string_view(), SecKeysOf(e), &e};
    switch (pool.keys_.primary) {
      case ckSizeExact:
      case ckSizeTolerant: k.num = e.Size; break;
      case ckDateExact:
      case ckDateTolerant: k.num = e.Time; break;
      case ckDateParts:
        EnsureDatePacked(e);
        k.num = e.Time & S().date.mask;
        break;
      case ckFilename: k.str = NameKeyOf(e, S().filename); break;
      default: break;
    }
    return k;
  }
  // Bucket and primary key of two waiting files (without more keys their
  // strings are empty, and there are no secondary keys).
  int ComparePendingPrimary(const PendingKey& a, const PendingKey& b) const {
    if (a.bucket != b.bucket) return a.bucket < b.bucket ? -1 : 1;
    if (a.num != b.num) return a.num < b.num ? -1 : 1;
    if (!moreKeys) return 0;
    const std::string_view sa = pendingMore[a.arrival].str, sb = pendingMore[b.arrival].str;
    if (sa.empty() && sb.empty()) return 0;  // a numeric primary key
    return CompareOrdinal(sa, sb);
  }
  int ComparePendingSecondary(const PendingKey& a, const PendingKey& b) {
    if (secondary.empty()) return 0;
    return SecondaryHeld(pendingMore[a.arrival].sec, *a.rep, pendingMore[b.arrival].sec, *b.rep,
                         false);
  }
  bool SameGroup(const PendingKey& a, const PendingKey& b) const {
    return ComparePendingPrimary(a, b) == 0;
  }

  // ---- fresh phase

  TFileInfos* TakeArrivals() {
    arrivalsLast = nullptr;
    arrivalCount = 0;
    return std::exchange(arrivalsFirst, nullptr);
  }

  void AddFresh(TFileInfos* x) {
    x->Next = nullptr;
    (arrivalsLast ? arrivalsLast->Next : arrivalsFirst) = x;
    arrivalsLast = x;
    ++arrivalCount;
    ++pool.fileCount_;
  }

  // Sorts what came so far (the order is total, so sorting again after more
  // files came gives the same order as sorting once) and counts the groups.
  void SortPending() {
    if (!arrivalsFirst) return;
    const size_t sorted = pending.size();
    pending.reserve(sorted + arrivalCount);
    if (moreKeys) pendingMore.reserve(sorted + arrivalCount);
    // A file leaves the chain once its keys are in (should making a key
    // throw, it is still in the chain and freed with it).
    while (arrivalsFirst) {
      TFileInfos* e = arrivalsFirst;
      const ClassKey key = KeyOf(*e);
      pending.push_back({key.bucket, static_cast<uint32_t>(pending.size()), key.num, key.rep});
      if (moreKeys) pendingMore.push_back({key.str, key.sec});
      arrivalsFirst = std::exchange(e->Next, nullptr);
      --arrivalCount;
    }
    arrivalsLast = nullptr;
    KeyLess less{this};
    auto mid = pending.begin() + static_cast<std::ptrdiff_t>(sorted);
    std::sort(mid, pending.end(), less);
    std::inplace_merge(pending.begin(), mid, pending.end(), less);
    int64_t groupCount = 0;
    for (size_t i = 0; i < pending.size(); ++i)
      if (i == 0 || !SameGroup(pending[i - 1], pending[i])) ++groupCount;
    pool.groupCount_ = groupCount;
  }

  // Ends the fresh phase: chains the classes into the groups' lists. The
  // fresh row, its key row and the trees serve only library placement, so
  // Finish without library files (forLibrary false) does not build them.
  void Freeze(bool forLibrary) {
    if (frozen) return;
    frozen = true;
    SortPending();
    groups.reserve(static_cast<size_t>(pool.groupCount_));
    if (forLibrary) {
      fresh.reserve(pending.size());
      freshKeys.reserve(pending.size());
    }
    auto sameClass = [&](const PendingKey& a, const PendingKey& b) {
      return ComparePendingPrimary(a, b) == 0 && ComparePendingSecondary(a, b) == 0;
    };
    const MoreKeys noMore{};
    const size_t n = pending.size();
    uint32_t lowerSince = UINT32_MAX;  // first arrival of a lower class of the group
    for (size_t begin = 0; begin < n;) {
      size_t end = begin + 1;
      while (end < n && sameClass(pending[begin], pending[end])) ++end;
      const PendingKey& key = pending[begin];
      const MoreKeys& more = moreKeys ? pendingMore[key.arrival] : noMore;
      const bool opensGroup = begin == 0 || !SameGroup(pending[begin - 1], key);
      if (opensGroup) lowerSince = UINT32_MAX;
      // The class's chain: later arrivals (after lowerSince) newest first,
      // the anchor, then the earlier arrivals newest first.
      const size_t freshBefore = fresh.size();
      size_t split = begin + 1;
      while (split < end && pending[split].arrival < lowerSince) ++split;
      TFileInfos* first = nullptr;
      TFileInfos* last = nullptr;
      auto link = [&](TFileInfos* e) {
        if (last)
          last->Next = e;
        else
          first = e;
        last = e;
        e->Next = nullptr;
        if (forLibrary) {
          fresh.push_back(e);
          freshKeys.push_back(more.sec);
        }
      };
      for (size_t i = end; i > split; --i) link(pending[i - 1].rep);
      link(key.rep);
      for (size_t i = split; i > begin + 1; --i) link(pending[i - 1].rep);
      // The files of a class are equal under every key: they share its keys
      // (which point into the class's anchor, alive as long as the pool).
      if (opensGroup) {
        if (!groups.empty()) groups.back().freshEnd = freshBefore;
        groups.push_back(Group{first, last, key.bucket, key.num, more.str, freshBefore, 0});
      } else {
        groups.back().last->Next = first;
        groups.back().last = last;
      }
      lowerSince = std::min(lowerSince, key.arrival);
      begin = end;
    }
    if (!groups.empty()) groups.back().freshEnd = fresh.size();
    std::vector<PendingKey>().swap(pending);
    std::vector<MoreKeys>().swap(pendingMore);
    assert(static_cast<int64_t>(groups.size()) == pool.groupCount_);
    if (!forLibrary) return;

    groupTrees.resize(groups.size());
    if (!secondary.empty() && held[0] == Held::Num) {
      std::vector<uint64_t> row(freshKeys.size());
      for (size_t i = 0; i < row.size(); ++i) row[i] = freshKeys[i].num[0];
      freshSlot0.Assign(std::move(row));
    }
    if (pool.keys_.tolerantPrimary) {
      std::vector<uint64_t> buckets(groups.size()), nums(groups.size());
      for (size_t i = 0; i < groups.size(); ++i) {
        buckets[i] = groups[i].bucket;
        nums[i] = groups[i].num;
      }
      groupBuckets.Assign(std::move(buckets));
      groupNums.Assign(std::move(nums));
    }
    if (pool.keys_.tolerantPrimary && !secondary.empty() && !groups.empty()) {
      // Item k: the greatest fresh file of group k.
      lastFreshTree = std::make_unique<TMaxTree>(groups.size(), [this](uint32_t a, uint32_t b) {
        const size_t i = groups[a].freshEnd - 1, j = groups[b].freshEnd - 1;
        return CompareSlot(0, freshKeys[i], *fresh[i], freshKeys[j], *fresh[j], false) < 0;
      });
    }
  }

  // ---- library phase

  void InsertAfter(size_t gi, TFileInfos* e, TFileInfos* x) {
    x->Next = e->Next;
    e->Next = x;
    if (groups[gi].last == e) groups[gi].last = x;
  }

  // The first position in [lo, hi) where `pred` fails (pred must hold on a
  // leading run of positions and fail after it).
  template <class Pred>
  static size_t PartitionPoint(size_t lo, size_t hi, Pred pred) {
    while (lo < hi) {
      const size_t mid = lo + (hi - lo) / 2;
      if (pred(mid))
        lo = mid + 1;
      else
        hi = mid;
    }
    return lo;
  }

  // Walks the fresh files of group gi for the first one the library entry
  // matches, stopping at the first one it lies below. The fresh files are
  // compared through their compact key row, not visited.
  Walk WalkGroup(size_t gi, TFileInfos* x, const SecKeys& xk) {
    const Group& g = groups[gi];
    TFileInfos** F = fresh.data() + g.freshBegin;
    const SecKeys* K = freshKeys.data() + g.freshBegin;
    const size_t n = g.freshEnd - g.freshBegin;
    if (secondary.empty()) {
      InsertAfter(gi, F[0], x);
      return Walk::Inserted;
    }
    if (n <= pool.context_.linearWalkLimit) {
      for (size_t i = 0; i < n; ++i) {
        const int r = SecondaryHeld(xk, *x, K[i], *F[i], true);
        if (r == 0) {
          InsertAfter(gi, F[i], x);
          return Walk::Inserted;
        }
        if (r < 0) return Walk::Stop;
      }
      return Walk::Exhausted;
    }
    auto t1 = [&](size_t i) { return CompareSlot(0, xk, *x, K[i], *F[i], true); };
    // The fresh files are sorted by the first secondary key: those it lies
    // above (beyond the tolerance) come first, those it lies below last.
    size_t P, Q;
    if (!freshSlot0.Empty()) {
      // The same two bounds on the compact row of first keys.
      const uint64_t tol = tolerantSec[0] ? toleranceSec[0] : 0;
      const size_t b0 = g.freshBegin;
      P = freshSlot0.FirstAtLeast(b0, g.freshEnd, SaturatedSub(xk.num[0], tol), false) - b0;
      Q = freshSlot0.FirstAtLeast(b0 + P, g.freshEnd, SaturatedAdd(xk.num[0], tol), true) - b0;
    } else {
      P = PartitionPoint(0, n, [&](size_t i) { return t1(i) > 0; });
      Q = PartitionPoint(P, n, [&](size_t i) { return t1(i) >= 0; });
    }
    const Walk afterWindow = Q < n ? Walk::Stop : Walk::Exhausted;
    if (secondary.size() == 1) {
      if (P == Q) return afterWindow;
      InsertAfter(gi, F[P], x);
      return Walk::Inserted;
    }
    auto t2 = [&](size_t i) { return CompareSlot(1, xk, *x, K[i], *F[i], true); };
    auto reaches = [&](size_t i) { return t2(i) <= 0; };
    size_t J;
    if (!IsTolerantKey(pool.keys_.secondary[0])) {
      // One value of the first key: the window is sorted by the second key.
      J = PartitionPoint(P, Q, [&](size_t i) { return !reaches(i); });
    } else {
      if (!groupTrees[gi])
        groupTrees[gi] = std::make_unique<TMaxTree>(n, [&](uint32_t a, uint32_t b) {
          return CompareSlot(1, K[a], *F[a], K[b], *F[b], false) < 0;
        });
      J = groupTrees[gi]->FirstReaching(P, Q, reaches);
    }
    if (J == Q) return afterWindow;
    if (t2(J) != 0) return Walk::Stop;
    InsertAfter(gi, F[J], x);
    return Walk::Inserted;
  }

  bool AddLibraryExact(TFileInfos* x) {
    const ClassKey xk = KeyOf(*x);
    const uint32_t b = xk.bucket;
    auto it = std::partition_point(groups.begin(), groups.end(), [&](const Group& g) {
      return g.bucket < b || (g.bucket == b && PrimaryHeld(xk, g, false) > 0);
    });
    if (it == groups.end() || it->bucket != b || PrimaryHeld(xk, *it, true) != 0) return false;
    return WalkGroup(static_cast<size_t>(it - groups.begin()), x, xk.sec) == Walk::Inserted;
  }

  bool AddLibraryTolerant(TFileInfos* x) {
    const size_t n = groups.size();
    if (n == 0) return false;
    const ClassKey xk = KeyOf(*x);
    const uint32_t b = xk.bucket;
    auto bucketStart = [&](uint32_t bucket) { return groupBuckets.FirstAtLeast(0, n, bucket, false); };
    // The bucket of the entry, else the nearest non-empty one below, else above.
    const size_t lb = bucketStart(b);
    size_t firstOfBucket;
    if (lb < n && groups[lb].bucket == b)
      firstOfBucket = lb;
    else if (lb > 0)
      firstOfBucket = bucketStart(groups[lb - 1].bucket);
    else
      firstOfBucket = lb;
    // Below the bucket's first group: start with the previous bucket's last one.
    size_t start = firstOfBucket;
    if (firstOfBucket > 0 && PrimaryHeld(xk, groups[firstOfBucket], false) < 0)
      start = firstOfBucket - 1;
    // The groups within the tolerance follow those below it.
    // (A tolerant primary key is a number and the bucket grows with it, so
    // the groups are ordered by the number alone.)
    size_t j = groupNums.FirstAtLeast(start, n, SaturatedSub(xk.num, tolerancePrimary), false);
    const size_t w = groupNums.FirstAtLeast(j, n, SaturatedAdd(xk.num, tolerancePrimary), true);
    if (j == w) return false;
    if (secondary.empty()) {
      InsertAfter(j, groups[j].first, x);
      return true;
    }
    if (secondary.size() == 1 && lastFreshTree) {
      // The first group in the window whose greatest fresh file the entry
      // does not lie above; it decides (it cannot run out of files).
      const size_t k = lastFreshTree->FirstReaching(j, w, [&](uint32_t gk) {
        const size_t i = groups[gk].freshEnd - 1;
        return CompareSlot(0, xk.sec, *x, freshKeys[i], *fresh[i], true) <= 0;
      });
      if (k == w) return false;
      return WalkGroup(k, x, xk.sec) == Walk::Inserted;
    }
    for (; j < w; ++j) {
      const Walk r = WalkGroup(j, x, xk.sec);
      if (r == Walk::Inserted) return true;
      if (r == Walk::Stop) return false;
    }
    return false;
  }

  // ---- finishing

  void DropHead(TFileInfos* h) {
    pool.Drop(h);
    if (pool.HasContentStage()) pool.Step();
  }

  // Splits a sorted entry list into sets: a set is a run of files that match
  // its first file (the head) under `keys` with the tolerant flag set.
  void Split(TFileInfos* h, const std::vector<TCompareFunc>& keys) {
    const TSearchSettings& s = S();
    auto matches = [&](TFileInfos* head, TFileInfos* e) {
      for (TCompareFunc f : keys)
        if (f(s, *head, *e, true) != 0) return false;
      return true;
    };
    TFileInfos* pending = h;  // everything not yet handed on or freed
    try {
      if (!pool.hasLibrary_) {
        while (h) {
          if (pool.CheckStop()) break;
          TFileInfos* succ = h->Next;
          if (!succ) {
            pending = nullptr;
            DropHead(h);
            return;
          }
          if (!matches(h, succ)) {
            pending = succ;
            DropHead(h);
            h = succ;
            continue;
          }
          TFileInfos* c = succ;
          while (c->Next && matches(h, c->Next)) c = c->Next;
          TFileInfos* rest = c->Next;
          c->Next = nullptr;
          pending = rest;
          pool.Next().AddSet(h);
          h = rest;
        }
      } else {
        // A library file belongs to the fresh file before it and is never
        // compared with the head; a run that ends in front of a library file
        // gives its last fresh file (with that file's library files) to the
        // next set.
        TFileInfos* cursor = h;
        while (h) {
          if (pool.CheckStop()) break;
          TFileInfos* c = cursor;
          TFileInfos* p = nullptr;
          while (c->Next && c->Next->IsLibrary()) c = c->Next;
          while (c->Next && matches(h, c->Next)) {
            if (!c->Next->IsLibrary()) p = c;
            c = c->Next;
          }
          TFileInfos* n = c->Next;
          TFileInfos* cut = (n && n->IsLibrary() && p) ? p : c;
          TFileInfos* nextHead = cut->Next;
          pending = nextHead;
          if (cut == h) {
            DropHead(h);
          } else {
            cut->Next = nullptr;
            pool.Next().AddSet(h);
          }
          h = nextHead;
          cursor = n;
        }
      }
    } catch (...) {
      pool.DropList(pending);
      throw;
    }
    pool.DropList(pending);  // stopped: what is left goes
  }

  void Finish(TResultManager& results) {
    Freeze(false);
    pool.PrepareFinish(results);
    const bool content = pool.HasContentStage();
    if (!pool.keys_.tolerantPrimary) {
      while (consumed < groups.size()) {
        if (pool.CheckStop()) return;  // the rest is freed with the pool
        TFileInfos* list = groups[consumed].first;
        groups[consumed].first = nullptr;
        ++consumed;
        if (!secondary.empty()) {
          Split(list, secondary);
        } else if (list->Next == nullptr) {
          DropHead(list);
        } else {
          pool.Next().AddSet(list);
        }
        if (!content) pool.Step();
      }
    } else {
      // The tolerant primary key now decides membership, before the first
      // secondary one; all groups form one list.
      std::vector<TCompareFunc> keys{primary};
      if (!secondary.empty()) keys.push_back(secondary[0]);
      TFileInfos* head = nullptr;
      TFileInfos* tail = nullptr;
      for (; consumed < groups.size(); ++consumed) {
        Group& g = groups[consumed];
        if (tail)
          tail->Next = g.first;
        else
          head = g.first;
        tail = g.last;
        g.first = nullptr;
        if (!content) pool.Step();
      }
      Split(head, keys);
    }
    ReleaseIndexes();
  }

  void ReleaseIndexes() {
    std::vector<TFileInfos*>().swap(fresh);
    std::vector<SecKeys>().swap(freshKeys);
    std::vector<std::unique_ptr<TMaxTree>>().swap(groupTrees);
    lastFreshTree.reset();
    freshSlot0.Clear();
    groupBuckets.Clear();
    groupNums.Clear();
  }

  void FreeAll() {
    if (!frozen) {
      for (const PendingKey& k : pending) pool.Drop(k.rep);
      for (TFileInfos* e = TakeArrivals(); e;) {
        TFileInfos* next = std::exchange(e->Next, nullptr);
        pool.Drop(e);
        e = next;
      }
      pending.clear();
      pendingMore.clear();
      return;
    }
    for (size_t i = consumed; i < groups.size(); ++i) pool.DropList(groups[i].first);
    groups.clear();
  }
};

TFPSorted::TFPSorted(TPoolKind kind, const TSearchSettings& settings, const TKeyChoice& keys,
                     const TPoolContext& context)
    : TFilePool(kind, settings, keys, context), impl_(std::make_unique<Impl>(*this)) {
  if (keys.primary == ckNone) throw std::invalid_argument("a keyed pool needs a primary key");
}

TFPSorted::~TFPSorted() { impl_->FreeAll(); }

void TFPSorted::AddFresh(TFileInfos* entry) {
  if (impl_->frozen) {  // the fresh phase is over
    AddLibrary(entry);
    return;
  }
  impl_->AddFresh(entry);
}

void TFPSorted::AddLibrary(TFileInfos* entry) {
  impl_->Freeze(true);
  entry->Flags |= fiflag::kLibrary;
  entry->Next = nullptr;
  const bool taken = keys_.tolerantPrimary ? impl_->AddLibraryTolerant(entry)
                                           : impl_->AddLibraryExact(entry);
  if (taken) {
    ++fileCount_;
    hasLibrary_ = true;
  } else {
    Drop(entry);
  }
}

void TFPSorted::Finish(TResultManager& results) { impl_->Finish(results); }

void TFPSorted::Settle() { impl_->Freeze(false); }  // nothing when library files froze it

int64_t TFPSorted::GroupCount() const {
  if (!impl_->frozen) impl_->SortPending();
  return groupCount_;
}

// ---- concrete keyed pools

TFPSortedBySize::TFPSortedBySize(const TSearchSettings& settings, const TKeyChoice& keys,
                                 const TPoolContext& context)
    : TFPSorted(TPoolKind::BySize, settings, keys, context) {}

uint32_t TFPSortedBySize::BucketOf(TFileInfos& entry) { return SizeBucket(entry.Size); }

TFPSortedByFilename::TFPSortedByFilename(const TSearchSettings& settings, const TKeyChoice& keys,
                                         const TPoolContext& context)
    : TFPSorted(TPoolKind::ByFilename, settings, keys, context) {}

uint32_t TFPSortedByFilename::BucketOf(TFileInfos& entry) {
  return FilenameBucket(NameKeyOf(entry, settings_.filename));
}

namespace {
platform::FileTime LocalNow(platform::FileTime given) {
  return given != 0 ? given : platform::UtcToLocal(platform::NowUtc());
}
}  // namespace

TFPSortedByDate::TFPSortedByDate(const TSearchSettings& settings, const TKeyChoice& keys,
                                 const TPoolContext& context)
    : TFPSorted(TPoolKind::ByDate, settings, keys, context),
      nowLocal_(LocalNow(context.nowLocal)),
      currentYear_(platform::SplitFileTime(nowLocal_).year) {}

uint32_t TFPSortedByDate::BucketCount() const {
  return keys_.primary == ckDateParts ? DatePartsBucketCount(settings_.date.parts)
                                      : kDateAgeBuckets;
}

uint32_t TFPSortedByDate::BucketOf(TFileInfos& entry) {
  if (keys_.primary == ckDateParts) {
    EnsureDatePacked(entry);
    return DatePartsBucket(settings_.date.parts, currentYear_, entry.Time);
  }
  return DateAgeBucket(nowLocal_, entry.Time);
}

// ===========================================================================

std::unique_ptr<TFilePool> CreatePool(const TSearchSettings& settings, const TKeyChoice& keys,
                                      const TPoolContext& context) {
  switch (PoolKindOf(keys, settings)) {
    case TPoolKind::PassThru: return std::make_unique<TFPPassThru>(settings, keys, context);
    case TPoolKind::Unsorted: return std::make_unique<TFPUnsorted>(settings, keys, context);
    case TPoolKind::BySize: return std::make_unique<TFPSortedBySize>(settings, keys, context);
    case TPoolKind::ByDate: return std::make_unique<TFPSortedByDate>(settings, keys, context);
    case TPoolKind::ByFilename: return std::make_unique<TFPSortedByFilename>(settings, keys, context);
  }
  return nullptr;
}

}  // namespace zw
