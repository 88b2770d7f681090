#include "engine/dupes/content_comparer.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>

#include "engine/common/crc32.h"
#include "engine/common/messages.h"
#include "engine/common/text_ids.h"
#include "engine/dupes/read_ahead.h"
#include "engine/threads/status_server.h"
#include "engine/threads/suspd_safe_thread.h"
#include "platform/files.h"

// How a set is split. The rule is simple: the head of the list (always a
// fresh file; a library head sends the library files behind the fresh ones)
// takes every entry equal to it, in list order, and the rest goes on with the
// next head. Comparing the head with each entry in turn would cost one pass
// over the rest per head, and a file read per pair; instead every entry sits
// in buckets of ever finer keys, and a head looks only into its own bucket:
//
//   length group   entries whose clipped ranges are equally long (no other
//                  entry can equal a file; an empty file only equals an
//                  empty file)
//   sample class   same group, same middle sample; entries that carry only a
//                  stored CRC32 (archive and catalog entries) sit in the
//                  group's no-sample bucket instead
//   CRC index      same group, same published CRC32 (pick-only and CRC32-only)
//   prefix bucket  same class, same CRC32 of the first kPrefixLength bytes
//                  (byte-per-byte, long ranges)
//   full bucket    same class or prefix bucket, same CRC32 of the range
//                  (byte-per-byte)
//
// Every key is learnt at most once per file, and only when a head needs it:
// the first head of a length group that has a partner samples the whole
// group, the first head of a class that has a partner hashes the whole
// class, and so on. The bytes of two files are compared only when their CRC32
// values agree, or when they are the only two candidates left.
//
// The sets, their order and members, the flags and values of the entries
// handed on, the progress steps and the unreadable files logged are those of
// the plain head-against-each-entry comparison; only which files are read,
// and how often, differs. (A file that becomes unreadable half-way through
// its reading may be noticed at another point, and so be logged at another
// point or not at all; it never counts as equal either way.)

namespace zw {

namespace {

constexpr uint32_t kNone = std::numeric_limits<uint32_t>::max();

// Bucket kinds of the composite key index.
enum : uint8_t { kClass = 0, kNoSample = 1, kCrcIndex = 2, kPrefix = 3, kFull = 4 };


constexpr int64_t kStopCheckBytes = 4 << 20;  // between stop checks inside one long read

template <class Map>
void ResetMap(Map& map) {
  // clear() keeps (and walks) every bucket of the largest set seen so far.
  if (map.bucket_count() > 4096)
    map = Map();
  else
    map.clear();
}

// The rows of a large set are not kept for the next one, as the maps are
// not: they would be held to the end of the search, while most sets are
// small.
template <typename Row>
void ResetRows(std::vector<Row>& rows) {
  if (rows.capacity() > 4096)
    std::vector<Row>().swap(rows);
  else
    rows.clear();
}

}  // namespace

// ---------------------------------------------------------------------------

TContentRange ContentRangeOf(const TAdvContentOptions& settings, uint64_t fileSize) {
  const int64_t s = fileSize > static_cast<uint64_t>(std::numeric_limits<int64_t>::max())
                        ? std::numeric_limits<int64_t>::max()
                        : static_cast<int64_t>(fileSize);
  // The record is packed: read its fields by value.
  const int64_t rawN = settings.N;
  const int64_t rawM = settings.M;
  const int64_t n = rawN < 0 ? 0 : rawN;
  const int64_t m = rawM < 0 ? 0 : rawM;
  int64_t lo = 0;
  int64_t hi = s;  // exclusive
  switch (settings.range) {
    case acBytesNToM:  // offsets n..m
      lo = n;
      hi = m >= s ? s : m + 1;
      break;
    case acBytesNToMFromEnd:  // the last byte is 0: offsets s-1-m .. s-1-n
      lo = m >= s ? 0 : s - 1 - m;
      hi = n >= s ? 0 : s - n;
      break;
    case acFirstN:
      hi = std::min(n, s);
      break;
    case acLastN:
      lo = n >= s ? 0 : s - n;
      break;
    default:  // complete file
      break;
  }
  lo = std::clamp<int64_t>(lo, 0, s);
  hi = std::clamp<int64_t>(hi, 0, s);
  TContentRange r;
  r.offset = lo;
  r.length = hi > lo ? hi - lo : 0;
  return r;
}

// ---------------------------------------------------------------------------

struct TContentComparer::Item {
  TFileInfos* e = nullptr;
  int64_t off = 0;
  int64_t len = 0;
  uint32_t group = kNone;  // length group (non-empty files)
  uint32_t cls = kNone;    // sample class, or the group's no-sample bucket
  uint32_t pfx = kNone;    // prefix bucket
  uint32_t full = kNone;   // full bucket
  uint32_t prefixCrc = 0;
  uint32_t fullCrc = 0;
  bool inList = true;  // neither handed on nor freed
  bool alive = true;   // in the list and readable so far
  bool archive = false;
  bool library = false;
  bool hasPrefix = false;
  bool hasFull = false;

  bool HasCrc() const { return (e->Flags & fiflag::kCrcValid) != 0; }
  bool HasSample() const { return (e->Flags & fiflag::kMiddleValid) != 0; }
};

struct TContentComparer::Bucket {
  std::vector<uint32_t> members;
  // Members that still lack the next finer key (group: the sample; class:
  // the CRC32 or the prefix or full hash; prefix bucket: the full hash).
  std::vector<uint32_t> pending;
  // Group, CRC32 only: sampled members without a CRC32, for heads without a
  // sample, which may equal any of them.
  std::vector<uint32_t> pendingAll;
  int32_t alive = 0;
  int32_t aliveDisk = 0;  // alive members that are files on disk
};

TContentComparer::TContentComparer(TResultManager* next, const TAdvContentOptions& settings)
    : next_(next), settings_(settings) {
  const uint8_t methods = settings_.methods & (acmCRC32 | acmByteByByte);
  if (methods != 0) small_.reset(new uint8_t[kSmallBufferSize]);
  if (methods & acmCRC32) read_.reset(new (std::nothrow) uint8_t[kReadBufferSize]);
  if (methods & acmByteByByte) large_.reset(new (std::nothrow) uint8_t[kLargeBufferSize]);
}

TContentComparer::~TContentComparer() = default;

// ---------------------------------------------------------------------------
// Small helpers

bool TContentComparer::Stopped() {
  if (!stopped_ && owner_ && owner_->CheckStop()) stopped_ = true;
  return stopped_;
}

void TContentComparer::PostStatus(uint16_t id, const std::string* path) {
  if (!status_ || status_->Quiet()) return;
  if (path)
    status_->PostStatus(static_cast<TStrID>(id), *path);
  else
    status_->PostStatus(static_cast<TStrID>(id));
}

void TContentComparer::Step() {
  if (status_) status_->Step();
}

uint64_t TContentComparer::OrderKey(uint32_t i) const {
  // Once a library head sent the library entries behind the fresh ones, the
  // list runs fresh entries first, each part in its old order.
  return reordered_ ? ((uint64_t{items_[i].library} << 32) | i) : i;
}

TContentComparer::BucketKey TContentComparer::Key(uint8_t kind, uint32_t parent, uint32_t value) {
  return BucketKey{(uint64_t{kind} << 32) | parent, value};
}

uint32_t TContentComparer::BucketOf(uint8_t kind, uint32_t parent, uint32_t value) {
  auto [it, added] =
      bucketIndex_.try_emplace(Key(kind, parent, value), static_cast<uint32_t>(buckets_.size()));
  if (added) buckets_.emplace_back();
  return it->second;
}

void TContentComparer::Kill(uint32_t i) {
  Item& it = items_[i];
  if (!it.alive) return;
  it.alive = false;
  for (uint32_t b : {it.group, it.cls, it.pfx, it.full}) {
    if (b == kNone) continue;
    --buckets_[b].alive;
    if (!it.archive) --buckets_[b].aliveDisk;
  }
}

void TContentComparer::SetIOError(uint32_t i) {
  items_[i].e->Flags |= fiflag::kIOError;
  Kill(i);
}

void TContentComparer::AddToClass(uint32_t i) {
  Item& item = items_[i];  // items_ never grows while a set is split
  const bool sampled = item.HasSample();
  const uint32_t b =
      sampled ? BucketOf(kClass, item.group, item.e->Middle) : BucketOf(kNoSample, item.group, 0);
  item.cls = b;
  Bucket& bucket = buckets_[b];
  bucket.members.push_back(i);
  ++bucket.alive;
  if (!item.archive) ++bucket.aliveDisk;
  if (sampled) {
    bucket.pending.push_back(i);
    const uint8_t methods = settings_.methods & (acmCRC32 | acmByteByByte);
    if (methods == acmCRC32 && !item.HasCrc()) buckets_[item.group].pendingAll.push_back(i);
  }
}

void TContentComparer::Publish(uint32_t i, uint32_t crc) {
  Item& it = items_[i];
  it.e->Crc = crc;
  it.e->Flags |= fiflag::kCrcValid;
  const uint8_t methods = settings_.methods & (acmCRC32 | acmByteByByte);
  if ((methods & acmByteByByte) == 0) {
    const uint32_t b = BucketOf(kCrcIndex, it.group, crc);
    buckets_[b].members.push_back(i);
  }
}

// ---------------------------------------------------------------------------
// Reading

namespace {

void LogIO(IMessenger* messenger, TMsgID id, int code, const std::string& path) {
  if (messenger) messenger->LogMsg(id, {TFmtArg(int64_t{code}), TFmtArg(path)});
}

// Opens a file to read `length` bytes of it at once. Where the open leaves
// a folder in the file's place to its first read, a range that reads nothing
// opens the careful way, so that a folder is refused all the same.
bool OpenToRead(platform::File& file, const std::string& path, int64_t length,
                platform::OsError& err) {
  return length > 0 ? file.OpenReadListed(path, length > (int64_t{1} << 20), err)
                    : file.OpenRead(path, err);
}

// A failed first read of a folder is what a failed open was before.
void LogFirstRead(IMessenger* messenger, const platform::OsError& err, const std::string& path) {
  LogIO(messenger, platform::File::ReadRefusedFolder(err) ? logIOErrorOnOpen : logIOErrorOnRead,
        err.code, path);
}

}  // namespace

bool TContentComparer::ReadSample(uint32_t i) {
  if (Stopped()) return false;
  Item& it = items_[i];
  const std::string path = it.e->FullName();
  PostStatus(strPiM, &path);
  const uint8_t methods = settings_.methods & (acmCRC32 | acmByteByByte);
  if (it.e->Ahead != 0) {
    // Read by the search ahead of the comparison: the sample is in Middle
    // already, the CRC32 of the range moves to the item until it counts.
    it.e->Flags |= fiflag::kMiddleValid;
    if (it.e->Ahead == 2 && methods == acmCRC32) {
      it.fullCrc = it.e->Crc;
      it.hasFull = true;
    }
    it.e->Crc = 0;
    it.e->Ahead = 0;
    AddToClass(i);
    return true;
  }
  // Four bytes around the middle of the range; a range of four bytes or less
  // is read whole.
  const uint64_t at = static_cast<uint64_t>(it.len > 4 ? it.off + it.len / 2 - 2 : it.off);
  const size_t want = static_cast<size_t>(std::min<int64_t>(it.len, 4));
  platform::File file;
  platform::OsError err;
  if (!OpenToRead(file, path, static_cast<int64_t>(want), err)) {
    LogIO(messenger_, logIOErrorOnOpen, err.code, path);
    SetIOError(i);
    return false;
  }
  uint8_t bytes[4] = {0, 0, 0, 0};
  size_t got = 0;
  if (methods == acmCRC32 && read_ && it.len > 4 && it.len <= kWholeReadLength) {
    // The whole range at once: the sample from its middle, and its CRC32 for
    // later. Should the file have become shorter, only what the sample alone
    // would have found counts: a missing middle makes it unreadable, a
    // missing end is noticed when the CRC32 is read.
    const size_t len = static_cast<size_t>(it.len);
    if (!file.ReadAt(static_cast<uint64_t>(it.off), read_.get(), len, got, err) ||
        got < at - static_cast<uint64_t>(it.off) + want) {
      LogFirstRead(messenger_, err, path);
      SetIOError(i);
      return false;
    }
    std::memcpy(bytes, read_.get() + (at - static_cast<uint64_t>(it.off)), want);
    if (got == len) {
      it.fullCrc = Crc32(read_.get(), len);
      it.hasFull = true;
    }
  } else if (want > 0 && (!file.ReadAt(at, bytes, want, got, err) || got < want)) {
    // A file shorter than when it was listed counts as unreadable, too.
    LogFirstRead(messenger_, err, path);
    SetIOError(i);
    return false;
  }
  uint32_t sample = 0;
  std::memcpy(&sample, bytes, 4);
  it.e->Middle = sample;
  it.e->Flags |= fiflag::kMiddleValid;
  AddToClass(i);
  return true;
}

bool TContentComparer::RangeCrc(uint32_t i, int64_t length, uint8_t* buf, size_t bufSize,
                                uint32_t& crc) {
  if (Stopped()) return false;
  const std::string path = items_[i].e->FullName();
  PostStatus(strCalcCRC32, &path);
  platform::File file;
  platform::OsError err;
  if (!OpenToRead(file, path, length, err)) {
    LogIO(messenger_, logIOErrorOnOpen, err.code, path);
    SetIOError(i);
    return false;
  }
  const int64_t off = items_[i].off;
  uint32_t c = 0;
  int64_t done = 0;
  int64_t sinceCheck = 0;
  while (done < length) {
    if (sinceCheck >= kStopCheckBytes) {
      if (Stopped()) return false;
      sinceCheck = 0;
    }
    const size_t want = static_cast<size_t>(std::min<int64_t>(length - done, static_cast<int64_t>(bufSize)));
    size_t got = 0;
    if (!file.ReadAt(static_cast<uint64_t>(off + done), buf, want, got, err) || got < want) {
      if (done == 0)
        LogFirstRead(messenger_, err, path);
      else
        LogIO(messenger_, logIOErrorOnRead, err.code, path);
      SetIOError(i);
      return false;
    }
    c = Crc32Update(c, buf, want);
    done += static_cast<int64_t>(want);
    sinceCheck += static_cast<int64_t>(want);
  }
  crc = c;
  return true;
}

namespace {

uint32_t CrcOfSample(const TFileInfos& e, int64_t len) {
  uint8_t bytes[4];
  std::memcpy(bytes, &e.Middle, 4);
  return Crc32(bytes, static_cast<size_t>(len));
}

}  // namespace

bool TContentComparer::EnsureCrc(uint32_t i) {
  Item& it = items_[i];
  if (it.HasCrc()) return true;
  if (it.archive) return false;  // cannot be opened
  uint32_t crc = 0;
  if (it.len <= 4 && it.HasSample()) {
    crc = CrcOfSample(*it.e, it.len);  // the sample holds the whole range
  } else if (it.hasFull) {
    crc = it.fullCrc;  // read with the sample
    if (Stopped()) return false;
    const std::string path = it.e->FullName();
    PostStatus(strCalcCRC32, &path);
  } else if (!(read_ ? RangeCrc(i, it.len, read_.get(), kReadBufferSize, crc)
                     : RangeCrc(i, it.len, small_.get(), kSmallBufferSize, crc))) {
    return false;
  }
  Publish(i, crc);
  return true;
}

bool TContentComparer::EnsurePrefix(uint32_t i) {
  if (items_[i].hasPrefix) return true;
  uint8_t* buf = large_ ? large_.get() : small_.get();
  const size_t size = large_ ? kLargeBufferSize : kSmallBufferSize;
  uint32_t crc = 0;
  if (!RangeCrc(i, std::min(items_[i].len, kPrefixLength), buf, size, crc)) return false;
  const uint32_t b = BucketOf(kPrefix, items_[i].cls, crc);
  Item& it = items_[i];
  it.prefixCrc = crc;
  it.hasPrefix = true;
  it.pfx = b;
  Bucket& bucket = buckets_[b];
  bucket.members.push_back(i);
  bucket.pending.push_back(i);
  ++bucket.alive;
  ++bucket.aliveDisk;
  return true;
}

bool TContentComparer::EnsureFull(uint32_t i) {
  Item& first = items_[i];
  if (first.full != kNone) return true;
  uint32_t crc = first.fullCrc;
  if (!first.hasFull) {
    uint8_t* buf = large_ ? large_.get() : small_.get();
    const size_t size = large_ ? kLargeBufferSize : kSmallBufferSize;
    if (!RangeCrc(i, first.len, buf, size, crc)) return false;
  }
  Item& it = items_[i];
  const uint32_t parent = it.len <= kPrefixLength ? it.cls : it.pfx;
  const uint32_t b = BucketOf(kFull, parent, crc);
  Item& item = items_[i];
  item.fullCrc = crc;
  item.hasFull = true;
  item.full = b;
  Bucket& bucket = buckets_[b];
  bucket.members.push_back(i);
  ++bucket.alive;
  ++bucket.aliveDisk;
  return true;
}

// ---------------------------------------------------------------------------
// Splitting a set

void TContentComparer::AddSet(TFileInfos* first) {
  if (!first) return;
  // The read-ahead helper gives back every entry of the set before anything
  // here can free one (or hand it on); what it read is in the entry then.
  for (TFileInfos* e = first; e; e = e->Next) {
    if (e->Ahead != TReadAhead::kLeft) continue;
    if (!readAhead_ || !readAhead_->Take(*e)) {
      e->Ahead = 0;
      e->Crc = 0;  // held the helper's slot
    }
  }
  const uint8_t methods = settings_.methods & (acmCRC32 | acmByteByByte);

  ResetRows(items_);
  ResetRows(buckets_);
  ResetMap(bucketIndex_);
  ResetMap(groupIndex_);
  empties_.clear();
  reordered_ = false;

  // Whatever way this ends (a stop, library files left over, an exception
  // from the next stage or from an allocation), what is still in the list
  // is freed.
  struct FreeRest {
    std::vector<Item>& items;
    TFileInfos* notTaken;  // the part of the list not yet taken into items
    ~FreeRest() {
      FreeFileInfosList(notTaken);
      for (Item& it : items) {
        if (!it.inList) continue;
        FreeFileInfos(it.e);
        it.e = nullptr;
        it.inList = false;
        it.alive = false;
      }
    }
  } freeRest{items_, first};

  std::vector<uint32_t> fresh;
  std::vector<uint32_t> library;
  for (TFileInfos* e = first; e;) {
    const uint32_t i = static_cast<uint32_t>(items_.size());
    items_.emplace_back();
    TFileInfos* next = e->Next;
    e->Next = nullptr;
    freeRest.notTaken = next;
    Item& it = items_.back();
    it.e = e;
    it.archive = (e->Flags & fiflag::kInArchive) != 0;
    it.library = e->IsLibrary();
    // Only archive and catalog entries, which cannot be opened, come with
    // what was stored about them; a file on disk is read here.
    if (!it.archive) e->Flags &= static_cast<uint8_t>(~(fiflag::kCrcValid | fiflag::kMiddleValid));
    const TContentRange r = ContentRangeOf(settings_, e->Size);
    it.off = r.offset;
    it.len = r.length;
    (it.library ? library : fresh).push_back(i);
    e = next;
  }

  // Buckets of what is known from the start.
  for (uint32_t i = 0; i < items_.size(); ++i) {
    Item& it = items_[i];
    const bool ioError = (it.e->Flags & fiflag::kIOError) != 0;
    if (it.e->Size == 0) {
      it.alive = !ioError;
      if (it.alive) empties_.push_back(i);
      continue;
    }
    auto [g, added] = groupIndex_.try_emplace(it.len, static_cast<uint32_t>(buckets_.size()));
    if (added) buckets_.emplace_back();
    const uint32_t gid = g->second;
    Item& item = items_[i];
    item.group = gid;
    buckets_[gid].members.push_back(i);
    if (ioError) {
      item.alive = false;
      continue;
    }
    ++buckets_[gid].alive;
    if (!item.archive) ++buckets_[gid].aliveDisk;
    if (item.HasSample() || item.HasCrc()) {
      AddToClass(i);
      if (items_[i].HasCrc() && (methods & acmByteByByte) == 0) {
        const uint32_t b = BucketOf(kCrcIndex, gid, items_[i].e->Crc);
        buckets_[b].members.push_back(i);
      }
    } else if (!item.archive) {
      buckets_[gid].pending.push_back(i);
    }
    // An archive entry that knows neither can never be compared (but still
    // counts as a partner of its length group, as it is compared with).
  }

  size_t remaining = items_.size();
  size_t fi = 0;
  size_t li = 0;
  std::vector<uint32_t> members;
  auto leave = [&](uint32_t i) {
    Kill(i);
    items_[i].inList = false;
    items_[i].e = nullptr;
    --remaining;
  };

  while (remaining > 0 && !Stopped()) {
    while (fi < fresh.size() && !items_[fresh[fi]].inList) ++fi;
    while (li < library.size() && !items_[library[li]].inList) ++li;
    const bool haveFresh = fi < fresh.size();
    if (li < library.size() && (!haveFresh || library[li] < fresh[fi])) reordered_ = true;
    if (!haveFresh) {
      // Library files never form a set among themselves.
      Step();
      break;  // the rest is freed below
    }
    const uint32_t h = fresh[fi];
    if (remaining == 1) {
      FreeFileInfos(items_[h].e);
      leave(h);
      Step();
      break;
    }

    members.clear();
    FindEqual(h, members);
    if (stopped_) break;
    std::sort(members.begin(), members.end(),
              [&](uint32_t a, uint32_t b) { return OrderKey(a) < OrderKey(b); });

    TFileInfos* head = items_[h].e;
    if (members.empty()) {
      FreeFileInfos(head);
      leave(h);
    } else {
      TFileInfos* tail = head;
      for (uint32_t m : members) {
        tail->Next = items_[m].e;
        tail = tail->Next;
        leave(m);
        Step();
      }
      tail->Next = nullptr;
      leave(h);
      if (next_)
        next_->AddSet(head);
      else
        FreeFileInfosList(head);
    }
    Step();
  }
  buckets_.clear();
  ResetMap(bucketIndex_);
  ResetMap(groupIndex_);
}

void TContentComparer::FindEqual(uint32_t h, std::vector<uint32_t>& out) {
  Item& head = items_[h];
  if (!head.alive) return;  // unreadable: equals nothing
  if (head.e->Size == 0) {
    FindEqualEmpty(h, out);
    return;
  }
  // Without a partner of the same range length nothing is read at all.
  if (buckets_[head.group].alive < 2) return;
  if (!head.HasSample() && !head.HasCrc()) {
    if (head.archive) return;  // cannot be opened: equals nothing
    if (!ReadSample(h)) return;
  }
  SampleGroupPending(h);
  if (stopped_) return;

  const uint8_t methods = settings_.methods & (acmCRC32 | acmByteByByte);
  if (methods & acmByteByByte)
    FindBytes(h, out);
  else if (methods & acmCRC32)
    FindCrcOnly(h, out);
  else
    FindPickOnly(h, out);
}

void TContentComparer::FindEqualEmpty(uint32_t h, std::vector<uint32_t>& out) {
  for (uint32_t i : empties_)
    if (i != h && items_[i].alive) out.push_back(i);
  if (out.empty()) return;
  auto mark = [](TFileInfos* e) {
    e->Crc = 0;
    e->Middle = 0;
    e->Flags |= fiflag::kCrcValid | fiflag::kMiddleValid;
  };
  mark(items_[h].e);
  for (uint32_t i : out) mark(items_[i].e);
}

void TContentComparer::SampleGroupPending(uint32_t h) {
  const uint32_t g = items_[h].group;
  if (buckets_[g].pending.empty()) return;
  std::vector<uint32_t> pending = std::move(buckets_[g].pending);
  buckets_[g].pending.clear();
  // In list order: fresh before library once the list was reordered.
  if (reordered_)
    std::stable_partition(pending.begin(), pending.end(),
                          [&](uint32_t i) { return !items_[i].library; });
  for (uint32_t i : pending) {
    if (i == h || !items_[i].alive || items_[i].HasSample()) continue;
    ReadSample(i);
    if (stopped_) return;
  }
}

void TContentComparer::FindPickOnly(uint32_t h, std::vector<uint32_t>& out) {
  const Item& head = items_[h];
  const uint32_t crc = head.e->Crc;
  const uint32_t g = head.group;
  if (head.HasSample()) {
    // Equal samples of equally long ranges.
    for (uint32_t i : buckets_[head.cls].members)
      if (i != h && items_[i].alive) out.push_back(i);
    if (!items_[h].HasCrc()) return;
  }
  // Entries without a sample agree with the head only through equal stored
  // CRC32 values.
  auto it = bucketIndex_.find(Key(kCrcIndex, g, crc));
  if (it == bucketIndex_.end()) return;
  const bool headSampled = items_[h].HasSample();
  for (uint32_t i : buckets_[it->second].members) {
    if (i == h || !items_[i].alive) continue;
    if (headSampled && items_[i].HasSample()) continue;  // taken above, or another sample
    out.push_back(i);
  }
}

void TContentComparer::FindCrcOnly(uint32_t h, std::vector<uint32_t>& out) {
  const uint32_t g = items_[h].group;
  if (items_[h].HasSample()) {
    if (!items_[h].HasCrc() && items_[h].archive) return;
    const uint32_t cls = items_[h].cls;
    int32_t others = buckets_[cls].alive - 1;
    auto ns = bucketIndex_.find(Key(kNoSample, g, 0));
    if (ns != bucketIndex_.end()) others += buckets_[ns->second].alive;
    if (others <= 0) return;
    if (!EnsureCrc(h)) return;
    std::vector<uint32_t> pending = std::move(buckets_[cls].pending);
    buckets_[cls].pending.clear();
    for (uint32_t i : pending) {
      if (i == h || !items_[i].alive || items_[i].HasCrc() || items_[i].archive) continue;
      EnsureCrc(i);
      if (stopped_) return;
    }
  } else {
    // A head with only a stored CRC32 may equal any entry of its group.
    std::vector<uint32_t> pending = std::move(buckets_[g].pendingAll);
    buckets_[g].pendingAll.clear();
    for (uint32_t i : pending) {
      if (!items_[i].alive || items_[i].HasCrc() || items_[i].archive) continue;
      EnsureCrc(i);
      if (stopped_) return;
    }
  }
  const Item& head = items_[h];
  auto it = bucketIndex_.find(Key(kCrcIndex, g, head.e->Crc));
  if (it == bucketIndex_.end()) return;
  const bool headSampled = head.HasSample();
  for (uint32_t i : buckets_[it->second].members) {
    if (i == h || !items_[i].alive) continue;
    if (headSampled && items_[i].HasSample() && items_[i].e->Middle != head.e->Middle) continue;
    out.push_back(i);
  }
}

void TContentComparer::FindBytes(uint32_t h, std::vector<uint32_t>& out) {
  const bool withCrc = (settings_.methods & acmCRC32) != 0;
  if (!items_[h].HasSample()) return;  // only a stored CRC32: cannot be read
  const uint32_t cls = items_[h].cls;

  if (items_[h].len <= 4) {
    // The sample holds the whole range.
    if (withCrc && items_[h].archive) return;
    for (uint32_t i : buckets_[cls].members)
      if (i != h && items_[i].alive && !(withCrc && items_[i].archive)) out.push_back(i);
    if (withCrc && !out.empty()) {
      if (!items_[h].HasCrc()) Publish(h, CrcOfSample(*items_[h].e, items_[h].len));
      for (uint32_t i : out)
        if (!items_[i].HasCrc()) Publish(i, CrcOfSample(*items_[i].e, items_[i].len));
    }
    return;
  }
  if (items_[h].archive) return;

  // Candidates: the other disk files of the class whose hashes agree; two
  // files alone are simply compared.
  std::vector<uint32_t> cands;
  auto otherOf = [&](uint32_t bucket) {
    for (uint32_t i : buckets_[bucket].members)
      if (i != h && items_[i].alive && !items_[i].archive) return i;
    return kNone;
  };
  auto drain = [&](uint32_t bucket, bool prefix) {
    std::vector<uint32_t> pending = std::move(buckets_[bucket].pending);
    buckets_[bucket].pending.clear();
    for (uint32_t i : pending) {
      if (i == h || !items_[i].alive || items_[i].archive) continue;
      if (prefix ? !EnsurePrefix(i) : !EnsureFull(i)) {
        if (stopped_) return false;
      }
    }
    return true;
  };
  auto fullBucketOf = [&](uint32_t parent) {
    auto it = bucketIndex_.find(Key(kFull, parent, items_[h].fullCrc));
    if (it == bucketIndex_.end()) return;
    for (uint32_t i : buckets_[it->second].members)
      if (i != h && items_[i].alive) cands.push_back(i);
  };

  if (buckets_[cls].aliveDisk < 2) return;
  if (buckets_[cls].aliveDisk == 2) {
    const uint32_t c = otherOf(cls);
    if (c != kNone) cands.push_back(c);
  } else if (items_[h].len <= kPrefixLength) {
    if (!EnsureFull(h) || !drain(cls, false)) return;
    fullBucketOf(cls);
  } else {
    if (!EnsurePrefix(h) || !drain(cls, true)) return;
    const uint32_t pb = items_[h].pfx;
    if (buckets_[pb].alive < 2) return;
    if (buckets_[pb].alive == 2) {
      const uint32_t c = otherOf(pb);
      if (c != kNone) cands.push_back(c);
    } else {
      if (!EnsureFull(h) || !drain(pb, false)) return;
      fullBucketOf(pb);
    }
  }
  if (cands.empty()) return;
  std::sort(cands.begin(), cands.end(), [&](uint32_t a, uint32_t b) { return OrderKey(a) < OrderKey(b); });
  CompareBytes(h, cands, out);
  if (stopped_ || !withCrc || out.empty()) return;
  if (!items_[h].HasCrc()) Publish(h, items_[h].fullCrc);
  for (uint32_t i : out)
    if (!items_[i].HasCrc()) Publish(i, items_[i].fullCrc);
}

void TContentComparer::CompareBytes(uint32_t h, std::vector<uint32_t>& cands,
                                    std::vector<uint32_t>& out) {
  const bool withCrc = (settings_.methods & acmCRC32) != 0;
  // Different CRC32 values of whole ranges: the bytes differ, nothing to read.
  cands.erase(std::remove_if(cands.begin(), cands.end(),
                             [&](uint32_t i) {
                               return items_[h].hasFull && items_[i].hasFull &&
                                      items_[h].fullCrc != items_[i].fullCrc;
                             }),
              cands.end());
  if (cands.empty()) return;
  PostStatus(withCrc ? strCombinedCRCBpB : strBpB, nullptr);
  // The large buffer holds a block of the head and the same block of one
  // candidate; without it the small one does, in halves.
  uint8_t* base = large_ ? large_.get() : small_.get();
  const size_t half = (large_ ? kLargeBufferSize : kSmallBufferSize) / 2;
  uint8_t* hbuf = base;
  uint8_t* cbuf = base + half;
  constexpr size_t kBatch = 16;  // candidates read along with one pass over the head

  const int64_t len = items_[h].len;
  if (Stopped()) return;
  const std::string headPath = items_[h].e->FullName();
  platform::File headFile;
  platform::OsError err;
  if (!headFile.OpenRead(headPath, err)) {
    LogIO(messenger_, logIOErrorOnOpen, err.code, headPath);
    SetIOError(h);
    return;
  }

  struct Cand {
    uint32_t i;
    platform::File file;
    std::string path;
    uint32_t crc = 0;
    bool hashing = false;
    bool active = true;
  };
  for (size_t start = 0; start < cands.size(); start += kBatch) {
    std::vector<Cand> batch;
    const size_t end = std::min(cands.size(), start + kBatch);
    for (size_t k = start; k < end; ++k) {
      const uint32_t i = cands[k];
      if (!items_[i].alive) continue;
      if (items_[h].hasFull && items_[i].hasFull && items_[h].fullCrc != items_[i].fullCrc) continue;
      Cand c;
      c.i = i;
      c.path = items_[i].e->FullName();
      if (Stopped()) return;
      if (!c.file.OpenRead(c.path, err)) {
        LogIO(messenger_, logIOErrorOnOpen, err.code, c.path);
        SetIOError(i);
        continue;
      }
      c.hashing = withCrc && !items_[i].hasFull;
      batch.push_back(std::move(c));
    }
    if (batch.empty()) continue;
    const bool hashHead = withCrc && !items_[h].hasFull;
    uint32_t headCrc = 0;
    size_t active = batch.size();
    int64_t pos = 0;
    while (pos < len && active > 0) {
      if (Stopped()) return;
      const size_t want = static_cast<size_t>(std::min<int64_t>(len - pos, static_cast<int64_t>(half)));
      size_t got = 0;
      if (!headFile.ReadAt(static_cast<uint64_t>(items_[h].off + pos), hbuf, want, got, err) ||
          got < want) {
        // The head became unreadable: what was confirmed before stays.
        LogIO(messenger_, logIOErrorOnRead, err.code, headPath);
        SetIOError(h);
        return;
      }
      if (hashHead) headCrc = Crc32Update(headCrc, hbuf, want);
      for (Cand& c : batch) {
        if (!c.active) continue;
        if (!c.file.ReadAt(static_cast<uint64_t>(items_[c.i].off + pos), cbuf, want, got, err) ||
            got < want) {
          LogIO(messenger_, logIOErrorOnRead, err.code, c.path);
          SetIOError(c.i);
          c.active = false;
        } else if (std::memcmp(hbuf, cbuf, want) != 0) {
          c.active = false;
        } else if (c.hashing) {
          c.crc = Crc32Update(c.crc, cbuf, want);
        }
        if (!c.active) {
          c.file.Close();
          --active;
        }
      }
      pos += static_cast<int64_t>(want);
    }
    if (pos < len) continue;  // every candidate of the batch differed
    if (hashHead) {
      items_[h].fullCrc = headCrc;
      items_[h].hasFull = true;
    }
    for (Cand& c : batch) {
      if (!c.active) continue;
      if (c.hashing) {
        items_[c.i].fullCrc = c.crc;
        items_[c.i].hasFull = true;
      }
      out.push_back(c.i);
    }
  }
}

}  // namespace zw
