// File pools: where the search collects the scanned files so that files that
// may be duplicates lie together, and from where it hands on the candidate
// sets (one null-terminated list of entries per set) to the content
// comparison or straight to the result list.
//
// One key, the primary key, decides buckets and groups; up to two secondary
// keys order the files inside a group and split it into sets. Library files
// never open a group: they only join one that a fresh file has opened.
//
// Order of calls: AddFresh for every fresh entry, then AddLibrary for every
// library entry (the first AddLibrary ends the fresh phase; a later AddFresh
// is taken as a library entry), then Finish once, then destruction.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "engine/dupes/criteria.h"
#include "engine/dupes/result_manager.h"
#include "engine/common/file_infos.h"
#include "engine/threads/status_server.h"
#include "engine/threads/suspd_safe_thread.h"
#include "platform/filetime.h"

namespace zw {

class IMessenger;

// The keys the search derives from the criteria.
struct TKeyChoice {
  TCompKey primary = ckNone;
  TCompKey secondary[2] = {ckNone, ckNone};
  bool tolerantPrimary = false;  // primary is ckSizeTolerant or ckDateTolerant
};

// Chooses the keys: complete content forces an exact size key; the key of
// lowest primary rank becomes the primary one, the others follow by their
// secondary rank.
TKeyChoice ChooseKeys(const TSearchSettings& settings);

// Which pool the keys ask for.
enum class TPoolKind : uint8_t { PassThru, Unsorted, BySize, ByDate, ByFilename };
TPoolKind PoolKindOf(const TKeyChoice& keys, const TSearchSettings& settings);

// Bucket functions of the keyed pools. Files that are equal under the primary
// key lie in the same bucket, and bucket order follows the key order.
constexpr uint32_t kSizeBuckets = 128;
constexpr uint32_t kFilenameBuckets = 256;
constexpr uint32_t kDateAgeBuckets = 593;
uint32_t SizeBucket(uint64_t size);
uint32_t FilenameBucket(std::string_view key);
// Complete date: by age against the local time taken when the pool was made;
// older files lie lower, files more than 2^32 units in the future above 400.
uint32_t DateAgeBucket(platform::FileTime now, platform::FileTime time);
// Date parts: the calendar position of a packed date through the parts mask.
uint32_t DatePartsBucketCount(uint8_t parts);
uint32_t DatePartsBucket(uint8_t parts, uint32_t currentYear, uint64_t packedDate);

struct TPoolContext;
class TReadAhead;

// Makes the stage that compares contents; it passes its results to `next`.
using TContentStageFactory = std::function<std::unique_ptr<TResultManager>(
    TResultManager& next, const TSearchSettings& settings, const TPoolContext& context)>;
// The content comparer of the search, with the context's owner, status
// channel and messenger.
std::unique_ptr<TResultManager> MakeContentComparer(TResultManager& next,
                                                    const TSearchSettings& settings,
                                                    const TPoolContext& context);

// What a pool works with besides the settings.
struct TPoolContext {
  TSuspdSafeThread* owner = nullptr;  // asked CheckStop; none: never stops
  TZWStatusServer* status = nullptr;  // SetMaximum and Step; none: no progress
  IMessenger* messenger = nullptr;    // where the content comparer logs unreadable files
  TResultManager* results = nullptr;  // the result list (the pass-through pool needs it at once)
  // The local time the date pool measures ages from (0: now) and the stage
  // that compares contents (empty: MakeContentComparer).
  platform::FileTime nowLocal = 0;
  TContentStageFactory contentStage;
  // What the search read ahead of the content comparison (none: nothing).
  TReadAhead* readAhead = nullptr;
  // Told about every entry the pool frees (before it is freed).
  std::function<void(TFileInfos&)> onDrop;
  // Groups with at most this many fresh files are searched for a library
  // file's place one file at a time; larger ones through their indexes.
  size_t linearWalkLimit = 16;
};

class TFilePool {
 public:
  virtual ~TFilePool();
  TFilePool(const TFilePool&) = delete;
  TFilePool& operator=(const TFilePool&) = delete;

  // Takes a fresh entry (the pool owns it from now on).
  virtual void AddFresh(TFileInfos* entry) = 0;
  // Takes a library entry; it joins a group only when a fresh file matches,
  // else it is freed. The entry is marked as a library file.
  virtual void AddLibrary(TFileInfos* entry) = 0;
  // Hands every candidate set to the next stage (the content comparer when
  // content is compared, else `results`) and frees every entry in no set.
  // Called once, after feeding; the search calls it only with more than one file.
  virtual void Finish(TResultManager& results) = 0;
  // Orders what was fed, as Finish would first (the sets do not change):
  // the search calls it before the read-ahead helper takes its memory, so
  // that the sort's passing memory and the helper's are not needed at once.
  virtual void Settle() {}

  TPoolKind Kind() const { return kind_; }
  const TKeyChoice& Keys() const { return keys_; }
  const TSearchSettings& Settings() const { return settings_; }
  int64_t FileCount() const { return fileCount_; }
  virtual int64_t GroupCount() const { return groupCount_; }
  // True once a library entry was taken into the pool.
  bool HasLibraryFiles() const { return hasLibrary_; }
  // The content stage made by Finish (null before, or without content).
  TResultManager* ContentStage() const { return contentStage_.get(); }

 protected:
  TFilePool(TPoolKind kind, const TSearchSettings& settings, const TKeyChoice& keys,
            const TPoolContext& context);

  bool CheckStop();
  void Step();
  // Frees an entry that ends in no set.
  void Drop(TFileInfos* entry);
  void DropList(TFileInfos* head);
  // Makes the next stage and sets the progress maximum (file count with a
  // content comparer, else group count).
  void PrepareFinish(TResultManager& results);
  bool HasContentStage() const { return contentStage_ != nullptr; }
  TResultManager& Next() { return *next_; }

  TPoolKind kind_;
  TSearchSettings settings_;
  TKeyChoice keys_;
  TPoolContext context_;
  int64_t fileCount_ = 0;
  int64_t groupCount_ = 0;
  bool hasLibrary_ = false;

 private:
  TResultManager* next_ = nullptr;
  std::unique_ptr<TResultManager> contentStage_;
};

// No criterion at all: every entry becomes a set of its own at once.
class TFPPassThru : public TFilePool {
 public:
  TFPPassThru(const TSearchSettings& settings, const TKeyChoice& keys, const TPoolContext& context);
  void AddFresh(TFileInfos* entry) override;
  void AddLibrary(TFileInfos* entry) override;
  void Finish(TResultManager& results) override;
};

// Content is the only criterion: all entries form one candidate set.
class TFPUnsorted : public TFilePool {
 public:
  TFPUnsorted(const TSearchSettings& settings, const TKeyChoice& keys, const TPoolContext& context);
  ~TFPUnsorted() override;
  void AddFresh(TFileInfos* entry) override;
  void AddLibrary(TFileInfos* entry) override;
  void Finish(TResultManager& results) override;

 private:
  TFileInfos* head_ = nullptr;
  TFileInfos* tail_ = nullptr;
};

// The keyed pools. Groups are ordered by (bucket, primary key); the files of
// a group are ordered by the secondary keys. The groups live in one ordered
// index during the fresh phase; the first library entry (or Finish) turns
// them into linked lists with search indexes, so no insertion, lookup or join
// has to walk the groups or the files one by one.
class TFPSorted : public TFilePool {
 public:
  ~TFPSorted() override;
  void AddFresh(TFileInfos* entry) override;
  void AddLibrary(TFileInfos* entry) override;
  void Finish(TResultManager& results) override;
  void Settle() override;
  // During the fresh phase the groups are counted on demand.
  int64_t GroupCount() const override;

  virtual uint32_t BucketOf(TFileInfos& entry) = 0;
  virtual uint32_t BucketCount() const = 0;

 protected:
  TFPSorted(TPoolKind kind, const TSearchSettings& settings, const TKeyChoice& keys,
            const TPoolContext& context);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

class TFPSortedBySize : public TFPSorted {
 public:
  TFPSortedBySize(const TSearchSettings& settings, const TKeyChoice& keys,
                  const TPoolContext& context);
  uint32_t BucketOf(TFileInfos& entry) override;
  uint32_t BucketCount() const override { return kSizeBuckets; }
};

class TFPSortedByDate : public TFPSorted {
 public:
  TFPSortedByDate(const TSearchSettings& settings, const TKeyChoice& keys,
                  const TPoolContext& context);
  uint32_t BucketOf(TFileInfos& entry) override;
  uint32_t BucketCount() const override;
  platform::FileTime NowLocal() const { return nowLocal_; }
  uint32_t CurrentYear() const { return currentYear_; }

 private:
  platform::FileTime nowLocal_;
  uint32_t currentYear_;
};

class TFPSortedByFilename : public TFPSorted {
 public:
  TFPSortedByFilename(const TSearchSettings& settings, const TKeyChoice& keys,
                      const TPoolContext& context);
  uint32_t BucketOf(TFileInfos& entry) override;
  uint32_t BucketCount() const override { return kFilenameBuckets; }
};

// The pool the keys ask for, with its comparers installed.
std::unique_ptr<TFilePool> CreatePool(const TSearchSettings& settings, const TKeyChoice& keys,
                                      const TPoolContext& context);

}  // namespace zw
