#include "engine/dupes/result_list.h"

#include <algorithm>
#include <unordered_set>
#include <utility>

namespace zw {

// ---------------------------------------------------------------------------
// TCountedLock

void TCountedLock::Enter() {
  const std::thread::id me = std::this_thread::get_id();
  if (owner_.load(std::memory_order_relaxed) == me) {
    ++depth_;
    return;
  }
  mutex_.lock();
  owner_.store(me, std::memory_order_relaxed);
  depth_ = 1;
}

void TCountedLock::Leave() {
  // Only the owner ever sees its own id here, so a stray leave is harmless.
  if (owner_.load(std::memory_order_relaxed) != std::this_thread::get_id()) return;
  if (--depth_ > 0) return;
  owner_.store(std::thread::id(), std::memory_order_relaxed);
  mutex_.unlock();
}

bool TCountedLock::HeldByCaller() const {
  return owner_.load(std::memory_order_relaxed) == std::this_thread::get_id();
}

// ---------------------------------------------------------------------------
// TResultList

TResultList::TResultList() = default;

TResultList::~TResultList() { FreeAllEntries(); }

void TResultList::FreeAllEntries() {
  const int32_t n = itemCount_.load(std::memory_order_relaxed);
  for (int32_t i = 0; i < n; ++i) {
    delete items_[i];
    items_[i] = nullptr;
  }
}

void TResultList::Clear() {
  TGuard guard(*this);
  FreeAllEntries();
  itemCount_.store(0, std::memory_order_release);
  setCount_.store(0, std::memory_order_release);
  TResultEntries().swap(items_);
  TResultEntries().swap(setHeads_);
  checkedCount_ = 0;
  checkedSize_ = 0;
  currentOrder_ = kOrderUnsorted;
  groupingMode_ = kGroupByDupeSets;
}

bool TResultList::UnpackDate(platform::FileTime packed, platform::FileTime& time) {
  const uint32_t low = static_cast<uint32_t>(packed);
  const uint32_t high = static_cast<uint32_t>(packed >> 32);
  platform::SystemTime st;
  const uint16_t secMs = static_cast<uint16_t>(low & 0xFFFF);
  st.second = static_cast<uint16_t>(secMs >> 10);
  st.milliseconds = static_cast<uint16_t>(secMs & 0x3FF);
  st.minute = static_cast<uint16_t>((low >> 16) & 0xFF);
  st.hour = static_cast<uint16_t>((low >> 24) & 0xFF);
  st.day = static_cast<uint16_t>((high & 0xFF) + 1);
  st.month = static_cast<uint16_t>(((high >> 8) & 0xFF) + 1);
  st.year = static_cast<uint16_t>(high >> 16);
  return platform::JoinFileTime(st, time);
}

namespace {

// Everything but the two strings.
void FillEntry(TResultEntry& e, const TFileInfos& file, uint32_t set) {
  e.Set = set;
  e.Flags = (set % 2 == 0) ? reflag::kShaded : 0;
  e.Size = file.Size;
  e.Time = file.Time;
  if (file.Flags & fiflag::kDatePacked) {
    platform::FileTime t = 0;
    e.Time = TResultList::UnpackDate(file.Time, t) ? t : 0;
  }
  e.Attributes = file.Attr;
  // A file never compared may still hold what was read ahead of the
  // comparison there: that is no CRC32 or sample of it yet.
  const bool ahead = file.Ahead != 0;
  e.Crc = ahead ? 0 : file.Crc;
  e.Sample = ahead ? 0 : file.Middle;
  if (file.Flags & fiflag::kInArchive)
    e.Flags |= reflag::kInArchive;
  else if (e.Time != 0)
    e.SetTimeUtc(platform::LocalToUtc(e.Time));
  if (file.Flags & fiflag::kInZip) e.Flags |= reflag::kInZip;
  if (file.Flags & fiflag::kCrcValid) e.Flags |= reflag::kCrcValid;
  if (file.Flags & fiflag::kMiddleValid) e.Flags |= reflag::kSampleValid;
}

}  // namespace

TResultEntry* TResultList::MakeEntry(const TFileInfos& file, uint32_t set) {
  auto* e = new TResultEntry;
  FillEntry(*e, file, set);
  e->Name = file.Name;
  e->Path = file.Path;
  return e;
}

void TResultList::PushItem(TResultEntry* entry) {
  const int32_t n = itemCount_.load(std::memory_order_relaxed);
  if (static_cast<size_t>(n) >= items_.size()) {
    TGuard guard(*this);  // readers must not see the array move
    items_.resize(Grown(items_.size()), nullptr);
  }
  items_[n] = entry;  // a spare slot no reader looks at yet
  itemCount_.store(n + 1, std::memory_order_release);
}

void TResultList::AddSet(TFileInfos* first) {
  if (!first) return;
  const int32_t setNo = setCount_.load(std::memory_order_relaxed);
  if (setHeads_.empty() || items_.empty() || static_cast<size_t>(setNo) >= setHeads_.size()) {
    TGuard guard(*this);
    if (setHeads_.empty())
      setHeads_.resize(kInitialSetSlots, nullptr);
    else if (static_cast<size_t>(setNo) >= setHeads_.size())
      setHeads_.resize(Grown(setHeads_.size()), nullptr);
    if (items_.empty()) items_.resize(kInitialItemSlots, nullptr);
  }
  setHeads_[setNo] = nullptr;  // not yet counted, so no reader looks at it

  TFileInfos* file = first;
  bool added = false;
  try {
    while (file) {
      TFileInfos* next = file->Next;
      // The file entry is freed right after: its strings move over.
      auto* e = new TResultEntry;
      FillEntry(*e, *file, static_cast<uint32_t>(setNo));
      e->Name = std::move(file->Name);
      e->Path = std::move(file->Path);
      e->Next = setHeads_[setNo];
      setHeads_[setNo] = e;
      try {
        PushItem(e);
      } catch (...) {
        setHeads_[setNo] = e->Next;
        delete e;
        throw;
      }
      added = true;
      FreeFileInfos(file);
      file = next;
    }
  } catch (...) {
    FreeFileInfosList(file);
    if (added) setCount_.store(setNo + 1, std::memory_order_release);
    throw;
  }
  setCount_.store(setNo + 1, std::memory_order_release);
}

TResultEntry* TResultList::Item(int32_t index) const {
  if (index < 0 || index >= ItemCount()) return nullptr;
  return items_[index];
}

std::span<TResultEntry* const> TResultList::Items() const {
  return std::span<TResultEntry* const>(items_.data(), static_cast<size_t>(ItemCount()));
}

std::span<TResultEntry*> TResultList::MutableItems() {
  return std::span<TResultEntry*>(items_.data(), static_cast<size_t>(ItemCount()));
}

TResultEntry* TResultList::SetHead(int32_t set) const {
  if (set < 0 || set >= SetCount()) return nullptr;
  return setHeads_[set];
}

void TResultList::Unlink(TResultEntry* entry) {
  const int32_t set = static_cast<int32_t>(entry->Set);
  if (entry->Set < static_cast<uint32_t>(SetCount())) {
    int32_t steps = ItemCount();  // a damaged chain must not hold us forever
    for (TResultEntry** link = &setHeads_[set]; *link && steps-- >= 0; link = &(*link)->Next) {
      if (*link == entry) {
        *link = entry->Next;
        break;
      }
    }
  }
  entry->Next = nullptr;
}

void TResultList::Delete(int32_t index) {
  TGuard guard(*this);
  const int32_t n = ItemCount();
  if (index < 0 || index >= n) return;
  TResultEntry* e = items_[index];
  Unlink(e);
  Uncheck(e);
  delete e;
  items_.erase(items_.begin() + index);
  itemCount_.store(n - 1, std::memory_order_release);
}

void TResultList::Delete(TResultEntry* entry) {
  TGuard guard(*this);
  const int32_t index = IndexOf(entry);
  if (index >= 0) Delete(index);
}

void TResultList::DeleteFromSet(int32_t index) {
  // Delete takes the entry out of its chain before freeing it.
  Delete(index);
}

int32_t TResultList::DeleteWhere(const std::function<bool(const TResultEntry&)>& remove) {
  TGuard guard(*this);
  const int32_t n = ItemCount();
  std::unordered_set<const TResultEntry*> removed;
  std::vector<int32_t> touchedSets;
  int32_t kept = 0;
  for (int32_t i = 0; i < n; ++i) {
    TResultEntry* e = items_[i];
    if (remove(*e)) {
      removed.insert(e);
      if (e->Set < static_cast<uint32_t>(SetCount())) touchedSets.push_back(static_cast<int32_t>(e->Set));
    } else {
      items_[kept++] = e;
    }
  }
  if (removed.empty()) return 0;
  // Take the removed entries out of their chains, one walk per set.
  std::sort(touchedSets.begin(), touchedSets.end());
  touchedSets.erase(std::unique(touchedSets.begin(), touchedSets.end()), touchedSets.end());
  for (int32_t set : touchedSets) {
    int32_t steps = n;
    TResultEntry** link = &setHeads_[set];
    while (*link && steps-- >= 0) {
      if (removed.count(*link))
        *link = (*link)->Next;
      else
        link = &(*link)->Next;
    }
  }
  for (const TResultEntry* e : removed) {
    if (e->IsChecked()) {
      --checkedCount_;
      checkedSize_ -= e->Size;
    }
    delete e;
  }
  items_.erase(items_.begin() + kept, items_.begin() + n);
  itemCount_.store(kept, std::memory_order_release);
  return static_cast<int32_t>(removed.size());
}

int32_t TResultList::IndexOf(const TResultEntry* entry) const {
  if (!entry) return -1;
  const int32_t n = ItemCount();
  for (int32_t i = 0; i < n; ++i)
    if (items_[i] == entry) return i;
  return -1;
}

void TResultList::ClearSetHead(int32_t set) {
  TGuard guard(*this);
  if (set >= 0 && set < SetCount()) setHeads_[set] = nullptr;
}

void TResultList::Check(TResultEntry* entry) {
  if (!entry) return;
  TGuard guard(*this);
  if (entry->Flags & (reflag::kChecked | reflag::kInArchive)) return;
  entry->Flags |= reflag::kChecked;
  ++checkedCount_;
  checkedSize_ += entry->Size;
}

void TResultList::Uncheck(TResultEntry* entry) {
  if (!entry) return;
  TGuard guard(*this);
  if (!(entry->Flags & reflag::kChecked)) return;
  entry->Flags &= static_cast<uint8_t>(~reflag::kChecked);
  --checkedCount_;
  checkedSize_ -= entry->Size;
}

void TResultList::Recount() {
  TGuard guard(*this);
  int32_t count = 0;
  uint64_t size = 0;
  for (const TResultEntry* e : Items()) {
    if (e->IsChecked()) {
      ++count;
      size += e->Size;
    }
  }
  checkedCount_ = count;
  checkedSize_ = size;
}

void TResultList::Trim() {
  TGuard guard(*this);
  items_.resize(static_cast<size_t>(ItemCount()));
  items_.shrink_to_fit();
  setHeads_.resize(static_cast<size_t>(SetCount()));
  setHeads_.shrink_to_fit();
}

void TResultList::OrderBySets() {
  TGuard guard(*this);
  const int32_t n = ItemCount();
  const int32_t sets = SetCount();
  TResultEntries ordered(static_cast<size_t>(n), nullptr);
  int32_t pos = 0;
  bool shade = true;
  for (int32_t s = 0; s < sets && pos < n; ++s) {
    int32_t length = 0;
    for (TResultEntry* e = setHeads_[s]; e && pos + length < n; e = e->Next) ++length;
    if (length == 0) continue;
    // The chain runs newest first: fill the set's slice from its end.
    int32_t at = pos + length;
    for (TResultEntry* e = setHeads_[s]; e && at > pos; e = e->Next) {
      e->Flags = static_cast<uint8_t>((e->Flags & ~reflag::kShaded) | (shade ? reflag::kShaded : 0));
      ordered[--at] = e;
    }
    pos += length;
    shade = !shade;
  }
  if (pos < n) {
    // Entries no chain reaches (their set head was cleared) stay in the
    // list, in their present order, after the sets.
    std::unordered_set<const TResultEntry*> placed(ordered.begin(), ordered.begin() + pos);
    for (int32_t i = 0; i < n && pos < n; ++i)
      if (!placed.count(items_[i])) ordered[pos++] = items_[i];
  }
  std::copy(ordered.begin(), ordered.end(), items_.begin());
}

void TResultList::Reshade(
    const std::function<bool(const TResultEntry&, const TResultEntry&)>& sameGroup) {
  TGuard guard(*this);
  const int32_t n = ItemCount();
  bool shade = true;
  for (int32_t i = 0; i < n; ++i) {
    TResultEntry* e = items_[i];
    if (i > 0 && !sameGroup(*items_[i - 1], *e)) shade = !shade;
    e->Flags = static_cast<uint8_t>((e->Flags & ~reflag::kShaded) | (shade ? reflag::kShaded : 0));
  }
}

void TResultList::Prepare(int32_t setCount, int32_t itemCount) {
  TGuard guard(*this);
  Clear();
  setHeads_.assign(static_cast<size_t>(std::max(setCount, 0)), nullptr);
  items_.assign(static_cast<size_t>(std::max(itemCount, 0)), nullptr);
  setCount_.store(std::max(setCount, 0), std::memory_order_release);
}

bool TResultList::AppendEntry(TResultEntry* entry) {
  if (!entry) return false;
  TGuard guard(*this);
  if (entry->Set >= static_cast<uint32_t>(SetCount())) return false;
  PushItem(entry);
  entry->Next = setHeads_[entry->Set];
  setHeads_[entry->Set] = entry;
  if (entry->IsChecked()) {
    ++checkedCount_;
    checkedSize_ += entry->Size;
  }
  return true;
}

}  // namespace zw
