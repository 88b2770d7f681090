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
  for (size_t k = next_; k < work_.size(); ++k) {
    TFileInfos& e = *work_[k];
    slots_[slotCount_].u.entry = &e;
    e.Ahead = kLeft;
    e.Crc = static_cast<uint32_t>(slotCount_++);
  }
  // What browsing needed goes now; the slots take its place.
  std::vector<TFileInfos*>().swap(work_);
  next_ = 0;
  std::unordered_map<uint64_t, TFileInfos*>().swap(firstOfSize_);
  stopHelper_ = false;
  helper_ = std::thread([this, stop = std::move(stop)] { HelperLoop(stop); });
}

void TReadAhead::HelperLoop(std::function<bool()> stop) {
  Slot* busy = nullptr;
  try {
    std::unique_ptr<uint8_t[]> buffer(new uint8_t[kBufferSize]);
    std::string path;
    for (size_t k = 0; k < slotCount_; ++k) {
      if (stopHelper_.load(std::memory_order_relaxed) || (stop && stop())) return;
      Slot& slot = slots_[k];
      uint8_t queued = kQueued;
      if (!slot.state.compare_exchange_strong(queued, kBusy, std::memory_order_acquire)) continue;
      busy = &slot;
      // The entry stays as it is while the slot is busy (see Take).
      const TFileInfos& e = *slot.u.entry;
      path.assign(e.Path.str());
      path.append(e.Name.view());
      const Fact fact = ReadFile(path, e.Size, buffer.get());
      slot.u.read = {fact.middle, fact.crc};
      slot.kind = fact.kind;
      slot.state.store(kDone, std::memory_order_release);
      busy = nullptr;
    }
  } catch (...) {
    // Reading ahead only saves time: the comparison reads what is left,
    // the file of a slot held just now included (Take must not wait for it).
    if (busy) {
      busy->kind = 0;
      busy->state.store(kDone, std::memory_order_release);
    }
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
