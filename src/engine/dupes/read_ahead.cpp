#include "engine/dupes/read_ahead.h"

#include <algorithm>
#include <cstring>

#include "engine/common/crc32.h"
#include "engine/dupes/content_comparer.h"
#include "platform/files.h"

namespace zw {

TReadAhead::TReadAhead(const TAdvContentOptions& settings)
    : settings_(settings),
      withCrc_((settings.methods & (acmCRC32 | acmByteByByte)) == acmCRC32),
      buffer_(new uint8_t[kBufferSize]) {}

TReadAhead::~TReadAhead() = default;

void TReadAhead::Note(TFileInfos* entry) {
  if ((entry->Flags & (fiflag::kInArchive | fiflag::kIOError)) != 0 || entry->Size == 0) return;
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

void TReadAhead::Read(TFileInfos& e) {
  const TContentRange r = ContentRangeOf(settings_, e.Size);
  if (r.length == 0) return;
  // The sample: four bytes around the middle of the range, or the whole
  // range when it is no longer.
  const int64_t at = r.length > 4 ? r.offset + r.length / 2 - 2 : r.offset;
  const size_t want = static_cast<size_t>(std::min<int64_t>(r.length, 4));
  const bool crc = withCrc_ && r.length > 4 && r.length <= kCrcLength;
  platform::File file;
  platform::OsError err;
  if (!file.OpenReadListed(e.FullName(), false, err)) return;
  ++read_;
  uint8_t sample[4] = {0, 0, 0, 0};
  size_t got = 0;
  if (!crc) {
    if (!file.ReadAt(static_cast<uint64_t>(at), sample, want, got, err) || got < want) return;
  } else {
    uint32_t c = 0;
    for (int64_t done = 0; done < r.length;) {
      const size_t n = static_cast<size_t>(std::min<int64_t>(r.length - done, kBufferSize));
      if (!file.ReadAt(static_cast<uint64_t>(r.offset + done), buffer_.get(), n, got, err) || got < n)
        return;
      c = Crc32Update(c, buffer_.get(), n);
      // The sample's bytes may lie across two pieces.
      for (size_t k = 0; k < want; ++k) {
        const int64_t pos = at + static_cast<int64_t>(k) - r.offset - done;
        if (pos >= 0 && pos < static_cast<int64_t>(n)) sample[k] = buffer_[static_cast<size_t>(pos)];
      }
      done += static_cast<int64_t>(n);
    }
    e.AheadCrc = c;
  }
  std::memcpy(&e.AheadMiddle, sample, 4);
  e.Ahead = crc ? 2 : 1;
}

}  // namespace zw
