// The content comparison: splits each candidate set of a file pool into the
// sets of files whose contents agree, over the range and with the methods of
// the content settings, and hands those on to the next stage.
//
// What comes out is exactly what comparing the head of the list with every
// other entry gives (head after head, library entries joining only through a
// fresh head), but the comparer never compares pairs blindly: it groups the
// files by what it knows cheaply (range length, the 4-byte middle sample, a
// CRC32 of the first bytes, the CRC32 of the range) and reads and compares
// byte per byte only files whose cheaper keys agree. Every file's sample,
// prefix CRC and range CRC are read at most once per set.
//
// When two files count as equal: never when either is unreadable (it is
// flagged 0x04 and logged once, and not read again); an empty file equals
// only an empty file; ranges of different lengths (after clipping) differ;
// the middle samples must agree; ranges of at most 4 bytes are decided by the
// samples unless CRC32 is a method; then byte-per-byte decides (with the CRC32
// stored on the way when it is a method), or CRC32 alone, or, with no method,
// the samples. Archive and catalog entries (flag 0x10) are never opened: they
// take part through the CRC32 and sample stored with them, and where a method
// would have to read them they equal nothing (without a log entry); an entry
// with a stored CRC32 but no sample equals, under pick-into-the-middle alone,
// only entries with the same known CRC32. Files on disk are always read here,
// whatever their entries claim.
//
// Buffers: one comparer serves a whole search (the pool makes it once), and it
// allocates its read buffers once, in the constructor, from the methods: the
// small one (2048 bytes, the piece byte-per-byte compares without the large
// one) when CRC32 or byte-per-byte is a method, the read buffer (256 KiB, the
// piece in which a CRC32 is computed without the large one) when CRC32 is,
// the large one (12 MiB) when byte-per-byte is. Should the large one not be
// available, byte-per-byte still works, in small pieces.
//
// With CRC32 alone, a range of at most kWholeReadLength bytes is read whole
// when its sample is taken, and its CRC32 kept, unpublished, for when a head
// needs it: one opening of the file instead of two. What the search read
// ahead of the comparison (see read_ahead.h) is taken instead of reading.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "engine/common/criteria_options.h"
#include "engine/dupes/result_manager.h"
#include "engine/common/file_infos.h"

namespace zw {

class TReadAhead;
class TSuspdSafeThread;
class TZWStatusServer;
class IMessenger;

// The byte range of one file that the content settings select, clipped to the
// file: a range that reaches beyond the end (the last 100 bytes of a 40-byte
// file, bytes 10 to 20 of a 12-byte file) covers only what the file has, and
// may be empty.
struct TContentRange {
  int64_t offset = 0;
  int64_t length = 0;
};
TContentRange ContentRangeOf(const TAdvContentOptions& settings, uint64_t fileSize);

class TContentComparer : public TResultManager {
 public:
  static constexpr size_t kSmallBufferSize = 2048;
  static constexpr size_t kReadBufferSize = 256 * 1024;
  static constexpr size_t kLargeBufferSize = 0xC00000;  // 12 MiB
  static constexpr int64_t kWholeReadLength = 32768;
  // Files whose ranges are longer than this are first told apart by the CRC32
  // of their first kPrefixLength bytes.
  static constexpr int64_t kPrefixLength = 32768;

  // `next` receives the confirmed sets (it is not owned); `settings` are copied.
  TContentComparer(TResultManager* next, const TAdvContentOptions& settings);
  ~TContentComparer() override;
  TContentComparer(const TContentComparer&) = delete;
  TContentComparer& operator=(const TContentComparer&) = delete;

  // The search thread, asked CheckStop before every head and every file read
  // (none: never stops).
  void SetOwner(TSuspdSafeThread* owner) { owner_ = owner; }
  // Status texts (while not quiet) and progress steps (none: neither).
  void SetStatus(TZWStatusServer* status) { status_ = status; }
  // Where unreadable files are logged (none: not logged).
  void SetMessenger(IMessenger* messenger) { messenger_ = messenger; }
  // What the search reads ahead of the comparison (none: nothing).
  void SetReadAhead(TReadAhead* readAhead) { readAhead_ = readAhead; }

  // Takes a null-terminated list of entries, hands every set of equal files
  // (two or more, head first, the others in list order) to the next stage and
  // frees every entry that ends in no set. Progress: one step per head, one
  // per file taken into a head's set, one for a rest of library files that no
  // fresh file is left for.
  void AddSet(TFileInfos* first) override;

  const TAdvContentOptions& Settings() const { return settings_; }
  bool HasSmallBuffer() const { return small_ != nullptr; }
  bool HasLargeBuffer() const { return large_ != nullptr; }

 private:
  struct Item;
  struct Bucket;
  // A bucket's name: its kind and parent bucket, and the key value.
  struct BucketKey {
    uint64_t kindAndParent;
    uint32_t value;
    bool operator==(const BucketKey& o) const {
      return kindAndParent == o.kindAndParent && value == o.value;
    }
  };
  struct BucketKeyHash {
    size_t operator()(const BucketKey& k) const {
      uint64_t x = (k.kindAndParent * 0x9E3779B97F4A7C15ull) ^ k.value;
      x ^= x >> 29;
      x *= 0xBF58476D1CE4E5B9ull;
      return static_cast<size_t>(x ^ (x >> 32));
    }
  };

  // One round: the entries still in the list that equal the head.
  void FindEqual(uint32_t head, std::vector<uint32_t>& out);
  void FindEqualEmpty(uint32_t head, std::vector<uint32_t>& out);
  void FindPickOnly(uint32_t head, std::vector<uint32_t>& out);
  void FindCrcOnly(uint32_t head, std::vector<uint32_t>& out);
  void FindBytes(uint32_t head, std::vector<uint32_t>& out);
  void CompareBytes(uint32_t head, std::vector<uint32_t>& cands, std::vector<uint32_t>& out);

  // What the comparer learns about a file; each false means the file could not
  // be read (it is flagged and logged) or a stop was requested.
  bool ReadSample(uint32_t i);
  bool EnsureCrc(uint32_t i);      // the published CRC32 of the range
  bool EnsurePrefix(uint32_t i);   // private: CRC32 of the range's first bytes
  bool EnsureFull(uint32_t i);     // private: CRC32 of the whole range
  bool RangeCrc(uint32_t i, int64_t length, uint8_t* buf, size_t bufSize, uint32_t& crc);

  void SampleGroupPending(uint32_t head);
  void AddToClass(uint32_t i);
  void Publish(uint32_t i, uint32_t crc);
  void SetIOError(uint32_t i);
  void Kill(uint32_t i);
  bool Stopped();
  void PostStatus(uint16_t id, const std::string* path);
  void Step();
  static BucketKey Key(uint8_t kind, uint32_t parent, uint32_t value);
  uint32_t BucketOf(uint8_t kind, uint32_t parent, uint32_t value);
  uint64_t OrderKey(uint32_t i) const;

  TResultManager* next_;
  TSuspdSafeThread* owner_ = nullptr;
  TAdvContentOptions settings_;
  TZWStatusServer* status_ = nullptr;
  IMessenger* messenger_ = nullptr;
  TReadAhead* readAhead_ = nullptr;
  std::unique_ptr<uint8_t[]> small_;
  std::unique_ptr<uint8_t[]> read_;
  std::unique_ptr<uint8_t[]> large_;

  // State of the set being split (kept between sets to reuse the memory).
  std::vector<Item> items_;
  std::vector<Bucket> buckets_;
  std::unordered_map<BucketKey, uint32_t, BucketKeyHash> bucketIndex_;
  std::unordered_map<int64_t, uint32_t> groupIndex_;
  std::vector<uint32_t> empties_;
  bool reordered_ = false;
  bool stopped_ = false;
};

}  // namespace zw
