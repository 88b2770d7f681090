// The result list: the duplicate sets of a scan as result entries. It is what
// the list view shows and what checking, file actions and result list files
// work on.
//
// Threads: the search thread appends sets while the window thread reads. The
// search thread takes the lock only while an array is reallocated; an entry
// is published by storing it into a spare slot and then raising the item
// count. Everyone else holds the lock for a whole operation while a scan or a
// file action runs, and changes the structure (delete, trim, reorder, clear)
// only while no set is being added. While a set is being added, its entries
// may already be counted, but its set number is not (SetCount()); its head is
// only visible once the set is complete.
#pragma once
#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "engine/dupes/result_manager.h"
#include "engine/common/file_infos.h"
#include "platform/filetime.h"

namespace zw {

namespace reflag {
constexpr uint8_t kChecked = 0x01;      // marked for a file action
constexpr uint8_t kShaded = 0x02;       // set shading; alternates between neighbouring groups
constexpr uint8_t kSelected = 0x04;     // selected in the list view
constexpr uint8_t kInArchive = 0x08;    // inside an archive or catalog file: cannot be checked
constexpr uint8_t kInZip = 0x10;        // inside a ZIP archive
constexpr uint8_t kCrcValid = 0x20;     // Crc holds the CRC32 of the file
constexpr uint8_t kSampleValid = 0x40;  // Sample holds the middle sample
}  // namespace reflag

// One file of the result; owned by the result list. It fits the block of a
// file entry: the result entries of a search take the blocks its freed file
// entries leave, instead of memory of their own.
struct TResultEntry : TInEntryBlock {
  TEntryName Name;                  // file name without path
  uint64_t Size = 0;                // bytes
  platform::FileTime Time = 0;      // last write, local time
  TFolderPath Path;                 // folder (with separator; archive part for archive entries)
  TResultEntry* Next = nullptr;     // next entry of the same set (the set's chain)
  uint32_t Set = 0;                 // 0-based number of the duplicate set
  uint32_t Attributes = 0;
  uint32_t Crc = 0;                 // valid with kCrcValid
  uint32_t Sample = 0;              // valid with kSampleValid
  uint8_t Flags = 0;                // reflag bits

  bool IsChecked() const { return (Flags & reflag::kChecked) != 0; }
  bool InArchive() const { return (Flags & reflag::kInArchive) != 0; }
  std::string FullName() const { return Path + Name.view(); }

  // Last write in UTC, for a file on disk: what tells, after a change of
  // time zone, whether the file is still the one listed. 0: not known.
  // Kept as its distance from Time in whole seconds (a time zone's offset);
  // a time that is not that far from Time in whole seconds is not kept.
  platform::FileTime TimeUtc() const {
    if (utcBias_ == kNoUtc) return 0;
    return Time - static_cast<platform::FileTime>(int64_t{utcBias_} * kTicksPerSecond);
  }
  // Set Time first.
  void SetTimeUtc(platform::FileTime utc) {
    utcBias_ = kNoUtc;
    if (utc == 0) return;
    const int64_t d = static_cast<int64_t>(Time - utc);
    if (d % kTicksPerSecond != 0) return;
    const int64_t seconds = d / kTicksPerSecond;
    if (seconds > INT32_MIN && seconds <= INT32_MAX) utcBias_ = static_cast<int32_t>(seconds);
  }

 private:
  static constexpr int32_t kNoUtc = INT32_MIN;
  static constexpr int64_t kTicksPerSecond = 10000000;
  int32_t utcBias_ = kNoUtc;  // Time - TimeUtc in seconds
};

static_assert(sizeof(TResultEntry) <= TEntryBlocks::kSize && alignof(TResultEntry) <= 8);

using TResultEntries = std::vector<TResultEntry*>;

// A critical section with an entry counter: the owning thread may enter it
// again, and a leave by a thread that does not hold it does nothing.
class TCountedLock {
 public:
  TCountedLock() = default;
  TCountedLock(const TCountedLock&) = delete;
  TCountedLock& operator=(const TCountedLock&) = delete;

  void Enter();
  void Leave();
  bool HeldByCaller() const;

 private:
  std::mutex mutex_;
  std::atomic<std::thread::id> owner_{};
  int depth_ = 0;  // touched only by the owner
};

// Sort key byte of the list: 0x40 means unsorted, 0x80 descending.
constexpr uint8_t kOrderUnsorted = 0x40;
constexpr uint8_t kOrderDescending = 0x80;
// Grouping by duplicate sets, the default grouping mode.
constexpr uint8_t kGroupByDupeSets = 5;

class TResultList : public TResultManager {
 public:
  // Holds the list's lock for its lifetime (re-entrant).
  class TGuard {
   public:
    explicit TGuard(TResultList& list) : list_(list) { list_.Lock(); }
    ~TGuard() { list_.Unlock(); }
    TGuard(const TGuard&) = delete;
    TGuard& operator=(const TGuard&) = delete;

   private:
    TResultList& list_;
  };

  // Array sizes of the first set after clearing.
  static constexpr int32_t kInitialSetSlots = 512;
  static constexpr int32_t kInitialItemSlots = 1024;

  TResultList();
  ~TResultList() override;
  TResultList(const TResultList&) = delete;
  TResultList& operator=(const TResultList&) = delete;


  void Lock() { lock_.Enter(); }
  void Unlock() { lock_.Leave(); }
  bool LockHeldByCaller() const { return lock_.HeldByCaller(); }

  // Empties the list: every entry is freed, counts are zeroed, order becomes unsorted and grouping "duplicate sets".
  void Clear();

  // Appends one set (entries in list order through Next) and frees the file
  // entries. A null list adds nothing.
  void AddSet(TFileInfos* first) override;

  // Frees the entry at `index` and closes the gap. The entry also leaves its
  // set's chain, so no chain keeps a freed entry.
  void Delete(int32_t index);
  // Deletes the entry if the list holds it.
  void Delete(TResultEntry* entry);
  // Unlinks the entry at `index` from its set's chain (the head moves on
  // when it was the head), then deletes it.
  void DeleteFromSet(int32_t index);
  // Position of the entry in the item array, or -1.
  int32_t IndexOf(const TResultEntry* entry) const;
  // Forgets the chain of a set (its entries stay in the item array).
  void ClearSetHead(int32_t set);

  // Checks an entry unless it is checked already or lies inside an archive.
  void Check(TResultEntry* entry);
  void Uncheck(TResultEntry* entry);
  // Rebuilds the checked count and size from the flags.
  void Recount();

  // Shrinks the item array to the item count and the set-head array to the
  // set count.
  void Trim();

  // Rebuilds the item array from the set chains: set after set in number
  // order, each set's entries in the order they were added; the shading flag
  // alternates from one non-empty set to the next, the first one shaded. Entries that
  // no chain reaches keep their relative order after the last set.
  void OrderBySets();
  // Recomputes the shading along the item array: the first entry is shaded
  // and the shading flips wherever `sameGroup(previous, entry)` is false.
  void Reshade(const std::function<bool(const TResultEntry&, const TResultEntry&)>& sameGroup);

  // Building a list from elsewhere (a result list file): empties the list,
  // makes `setCount` empty sets and room for `itemCount` entries.
  void Prepare(int32_t setCount, int32_t itemCount);
  // Appends an entry whose Set is below SetCount() and puts it in front of
  // its set's chain; the list takes it over. False (and nothing taken) for a
  // null entry or a set number out of range.
  bool AppendEntry(TResultEntry* entry);

  // Entries in display order. Readers hold the lock while a worker may
  // change the list.
  int32_t ItemCount() const { return itemCount_.load(std::memory_order_acquire); }
  TResultEntry* Item(int32_t index) const;  // null when out of range
  std::span<TResultEntry* const> Items() const;
  // The item array, to be reordered in place (sorting, grouping).
  std::span<TResultEntry*> MutableItems();

  int32_t SetCount() const { return setCount_.load(std::memory_order_acquire); }
  TResultEntry* SetHead(int32_t set) const;  // null when out of range or cleared

  // Lengths of the two arrays (slots, not entries).
  int32_t ItemSlots() const { return static_cast<int32_t>(items_.size()); }
  int32_t SetSlots() const { return static_cast<int32_t>(setHeads_.size()); }

  int32_t CheckedCount() const { return checkedCount_; }
  uint64_t CheckedSize() const { return checkedSize_; }

  uint8_t CurrentOrder() const { return currentOrder_; }
  void SetCurrentOrder(uint8_t order) { currentOrder_ = order; }
  uint8_t GroupingMode() const { return groupingMode_; }
  void SetGroupingMode(uint8_t mode) { groupingMode_ = mode; }

  // Removes every entry for which `remove(entry)` is true in one pass: the
  // entries leave their chains and the checked counts. Returns how many were
  // removed.
  int32_t DeleteWhere(const std::function<bool(const TResultEntry&)>& remove);

  // A result entry made from a file entry of set `set` (the file entry is
  // left alone). A packed date is turned back into a FILETIME.
  static TResultEntry* MakeEntry(const TFileInfos& file, uint32_t set);
  // The packed local date of the date criterion (two 32-bit words: the time
  // low, the date high) turned back into a FILETIME; false for fields out
  // of range.
  static bool UnpackDate(platform::FileTime packed, platform::FileTime& time);

 private:
  static int32_t Grown(size_t length) {
    return static_cast<int32_t>(length + length / 2 + 1);
  }
  void FreeAllEntries();
  // Removes `entry` from its set's chain if it is there.
  void Unlink(TResultEntry* entry);
  // Appends under the growth rule; the caller is the only writer.
  void PushItem(TResultEntry* entry);

  TCountedLock lock_;
  TResultEntries items_;     // [0, itemCount) entries, then spare null slots
  std::atomic<int32_t> itemCount_{0};
  TResultEntries setHeads_;  // [0, setCount) heads, then spare slots
  std::atomic<int32_t> setCount_{0};
  int32_t checkedCount_ = 0;
  uint64_t checkedSize_ = 0;
  uint8_t currentOrder_ = kOrderUnsorted;
  uint8_t groupingMode_ = kGroupByDupeSets;
};

}  // namespace zw
