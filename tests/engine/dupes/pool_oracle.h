// A file pool built the plain way, as the reference the real pools are
// checked against: a bucket array whose non-empty buckets form a doubly
// linked list, sorted linked lists of groups inside the buckets, entry lists
// sorted by walking them, and library files placed by walking the groups one
// by one. It is slow on purpose (quadratic in the bad cases) and must give
// the same sets in the same order as the real pools.
//
// It shares with the real pools only the comparison functions, the bucket
// functions and the key choice, which have tests of their own.
#pragma once
#include <memory>
#include <vector>

#include "engine/dupes/file_pool.h"

namespace zw::oracle {

class TOraclePool {
 public:
  TOraclePool(const TSearchSettings& settings, const TKeyChoice& keys, const TPoolContext& context);
  ~TOraclePool();
  TOraclePool(const TOraclePool&) = delete;
  TOraclePool& operator=(const TOraclePool&) = delete;

  void AddFresh(TFileInfos* entry);
  void AddLibrary(TFileInfos* entry);
  void Finish(TResultManager& results);

  TPoolKind Kind() const { return kind_; }
  int64_t FileCount() const { return fileCount_; }
  int64_t GroupCount() const { return groupCount_; }
  bool HasLibraryFiles() const { return hasLibrary_; }

 private:
  struct Group {
    TFileInfos* first;
    TFileInfos* last;
    Group* next;
  };
  struct Bucket {
    Group* first;
    Group* last;
    Bucket* prev;
    Bucket* next;
  };

  uint32_t BucketOf(TFileInfos& e);
  int Primary(TFileInfos& a, TFileInfos& b, bool tolerant);
  int SecondaryList(const std::vector<TCompareFunc>& list, TFileInfos& a, TFileInfos& b,
                    bool tolerant);
  bool CheckStop();
  void Step();
  void Drop(TFileInfos* e);
  void DropHead(TFileInfos* e);
  void Prepare(TResultManager& results);
  void SplitList(TFileInfos* h);

  void SortedAddFresh(TFileInfos* x);
  void SortedAddLibrary(TFileInfos* x);
  void SortedFinish();

  TPoolKind kind_;
  TSearchSettings settings_;
  TKeyChoice keys_;
  TPoolContext context_;
  platform::FileTime now_ = 0;
  uint32_t year_ = 0;
  int64_t fileCount_ = 0;
  int64_t groupCount_ = 0;
  bool hasLibrary_ = false;

  TCompareFunc primary_ = nullptr;
  std::vector<TCompareFunc> secondary_;
  bool tolerantPrimary_ = false;

  std::vector<Bucket*> buckets_;
  Group* leftover_ = nullptr;  // groups not finished because of a stop
  TFileInfos* listHead_ = nullptr;  // unsorted pool
  TFileInfos* listTail_ = nullptr;

  TResultManager* next_ = nullptr;
  std::unique_ptr<TResultManager> contentStage_;
};

}  // namespace zw::oracle
