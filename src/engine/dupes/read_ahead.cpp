#include "engine/dupes/read_ahead.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "engine/common/crc32.h"
#include "engine/dupes/content_comparer.h"
#include "platform/files.h"

namespace zw {

TReadAhead::TReadAhead(const TAdvContentOptions& settings)
    : settings_(settings),
      withCrc_((settings.methods & (acmCRC32 | acmByteByByte)) == acmCRC32),
      buffer_(new uint8_t[kBufferSize]) {}

void TReadAhead::Note(TFileInfos* entry) {
  // What is read ahead waits in Crc and Middle, so only a file that comes
  // with neither (as listed files do) is read ahead.
  const uint8_t known = fiflag::kInArchive | fiflag::kIOError | fiflag::kCrcValid | fiflag::kMiddleValid;
  if ((entry->Flags & known) != 0 || entry->Size == 0 || entry->Crc != 0 || entry->Middle != 0)
    return;
  auto [it, added] = firstOfSize_.try_emplace(entry->Size, entry);
  if (added) return;
  if (it->second) {
    work_.push_back(it->second);
    it->second = nullptr;
  }
  work_.push_back(entry);
}

void TReadAhead::ReadNext() {
  if (!HasWork()) return;
  Read(*work_[next_++]);
  if (!HasWork()) {
    work_.clear();
    next_ = 0;
  }
}

TReadAhead::Fact TReadAhead::ReadFile(const std::string& path, uint64_t size, uint8_t* buffer) {
  Fact fact;
  const TContentRange r = ContentRangeOf(settings_, size);
  if (r.length == 0) return fact;
  // The sample: four bytes around the middle of the range, or the whole
  // range when it is no longer.
  const int64_t at = r.length > 4 ? r.offset + r.length / 2 - 2 : r.offset;
  const size_t want = static_cast<size_t>(std::min<int64_t>(r.length, 4));
  const bool crc = withCrc_ && r.length > 4 && r.length <= kCrcLength;
  platform::File file;
  platform::OsError err;
  if (!file.OpenReadListed(path, false, err)) return fact;
  uint8_t sample[4] = {0, 0, 0, 0};
  size_t got = 0;
  if (!crc) {
    if (!file.ReadAt(static_cast<uint64_t>(at), sample, want, got, err) || got < want) return fact;
  } else {
    uint32_t c = 0;
    for (int64_t done = 0; done < r.length;) {
      const size_t n = static_cast<size_t>(std::min<int64_t>(r.length - done, kBufferSize));
      if (!file.ReadAt(static_cast<uint64_t>(r.offset + done), buffer, n, got, err) || got < n)
        return fact;
      c = Crc32Update(c, buffer, n);
      // The sample's bytes may lie across two pieces.
      for (size_t k = 0; k < want && k < sizeof sample; ++k) {
        const int64_t pos = at + static_cast<int64_t>(k) - r.offset - done;
        if (pos >= 0 && pos < static_cast<int64_t>(n)) sample[k] = buffer[static_cast<size_t>(pos)];
      }
      done += static_cast<int64_t>(n);
    }
    fact.crc = c;
  }
  std::memcpy(&fact.middle, sample, 4);
  fact.kind = crc ? 2 : 1;
  return fact;
}

void TReadAhead::Read(TFileInfos& e) {
  ++read_;
  const Fact fact = ReadFile(e.FullName(), e.Size, buffer_.get());
  if (fact.kind == 0) return;
  e.Middle = fact.middle;
  e.Crc = fact.crc;
  e.Ahead = fact.kind;
}

void TReadAhead::StartHelper(std::function<bool()> stop) {
  if (helper_.joinable()) return;
  if (!HasWork()) {
    std::unordered_map<uint64_t, TFileInfos*>().swap(firstOfSize_);
    return;
  }
  slots_.reset(new Slot[work_.size() - next_]);
  slotCount_ = 0;
  // The names take their room in one go: grown piece by piece, they would
  // need up to twice it for a moment.
  auto folderChanges = [](const TFolderPath* folder, const TFileInfos& e) {
    return !folder || !(folder->SharesWith(e.Path) || *folder == e.Path);
  };
  const TFolderPath* folder = nullptr;
  size_t room = 0;
  for (size_t k = next_; k < work_.size(); ++k) {
    const TFileInfos& e = *work_[k];
    if (folderChanges(folder, e)) {
      folder = &e.Path;
      room += e.Path.size() + 1;
    }
    room += e.Name.size() + 1;
  }
  names_.reserve(std::min<size_t>(room, UINT32_MAX));
  folder = nullptr;
  uint32_t folderAt = 0;
  for (size_t k = next_; k < work_.size(); ++k) {
    TFileInfos& e = *work_[k];
    const bool newFolder = folderChanges(folder, e);
    const std::string_view name = e.Name.view();
    const size_t grows = (newFolder ? e.Path.size() + 1 : 0) + name.size() + 1;
    // Sizes beyond a slot, names with a zero in them, or more names than a
    // slot can point to stay with the comparison.
    if (e.Size >> 48 != 0 || name.find('\0') != std::string_view::npos ||
        (newFolder && e.Path.str().find('\0') != std::string::npos) ||
        names_.size() + grows > UINT32_MAX)
      continue;
    if (newFolder) {
      folder = &e.Path;
      folderAt = static_cast<uint32_t>(names_.size());
      names_ += e.Path;
      names_ += '\0';
    }
    Slot& slot = slots_[slotCount_];
    slot.sizeLow = static_cast<uint32_t>(e.Size);
    slot.sizeHigh = static_cast<uint16_t>(e.Size >> 32);
    slot.u.where.folderAt = folderAt;
    slot.u.where.nameAt = static_cast<uint32_t>(names_.size());
    names_ += name;
    names_ += '\0';
    e.Ahead = kLeft;
    e.Crc = static_cast<uint32_t>(slotCount_++);
  }
  names_.shrink_to_fit();
  // What browsing needed goes now; the slots take its place.
  std::vector<TFileInfos*>().swap(work_);
  next_ = 0;
  std::unordered_map<uint64_t, TFileInfos*>().swap(firstOfSize_);
  stopHelper_ = false;
  helper_ = std::thread([this, stop = std::move(stop)] { HelperLoop(stop); });
}

void TReadAhead::HelperLoop(std::function<bool()> stop) {
  try {
    std::unique_ptr<uint8_t[]> buffer(new uint8_t[kBufferSize]);
    std::string path;
    for (size_t k = 0; k < slotCount_; ++k) {
      if (stopHelper_.load(std::memory_order_relaxed) || (stop && stop())) return;
      Slot& slot = slots_[k];
      uint8_t queued = kQueued;
      if (!slot.state.compare_exchange_strong(queued, kBusy, std::memory_order_acquire)) continue;
      path.assign(names_.data() + slot.u.where.folderAt);
      path.append(names_.data() + slot.u.where.nameAt);
      const Fact fact = ReadFile(path, slot.Size(), buffer.get());
      slot.u.read = {fact.middle, fact.crc};
      slot.kind = fact.kind;
      slot.state.store(kDone, std::memory_order_release);
    }
  } catch (...) {
    // Reading ahead only saves time: the comparison reads what is left.
  }
}

void TReadAhead::StopHelper() {
  stopHelper_ = true;
  if (helper_.joinable()) helper_.join();
}

TReadAhead::~TReadAhead() { StopHelper(); }

bool TReadAhead::Take(TFileInfos& e) {
  const size_t k = e.Crc;
  e.Ahead = 0;
  e.Crc = 0;
  if (k >= slotCount_ || !slots_) return false;
  Slot& slot = slots_[k];
  for (;;) {
    uint8_t state = slot.state.load(std::memory_order_acquire);
    if (state == kQueued &&
        slot.state.compare_exchange_weak(state, kTaken, std::memory_order_acq_rel))
      return false;
    if (state == kDone) {
      if (slot.kind == 0) return false;
      e.Middle = slot.u.read.middle;
      e.Crc = slot.u.read.crc;
      e.Ahead = slot.kind;
      return true;
    }
    if (state == kTaken) return false;
    std::this_thread::yield();  // the helper is reading it just now
  }
}

}  // namespace zw
