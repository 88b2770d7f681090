// Helpers of the pool tests: entries with an identity, a set consumer that
// records what it gets, a thread owner that can be told to stop, and one run
// of a pool (real or reference) from a description of its input.
#pragma once
#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/dupes/file_pool.h"
#include "engine/threads/status_server.h"
#include "engine/threads/suspd_safe_thread.h"

namespace zw::pooltest {

// One entry as a test describes it; the id travels in Attr.
struct TEntrySpec {
  uint32_t id = 0;
  std::string name;
  uint64_t size = 0;
  platform::FileTime time = 0;
  uint8_t flags = 0;
  std::string path = "dir/";
};

inline TFileInfos* MakeEntry(const TEntrySpec& s) {
  auto* e = new TFileInfos;
  e->Name = s.name;
  e->Path = s.path;
  e->Size = s.size;
  e->Time = s.time;
  e->Attr = s.id;
  e->Flags = s.flags;
  return e;
}

inline std::vector<uint32_t> Ids(const TFileInfos* head) {
  std::vector<uint32_t> ids;
  for (; head; head = head->Next) ids.push_back(head->Attr);
  return ids;
}

// Records every set (as ids, in order) and frees its entries. Can tell an
// owner to stop after a number of sets.
class TRecordingSets : public TResultManager {
 public:
  void AddSet(TFileInfos* first) override {
    sets.push_back(Ids(first));
    FreeFileInfosList(first);
    if (stopOwner && static_cast<int>(sets.size()) == stopAfter) stopOwner->Cancel();
  }
  std::vector<std::vector<uint32_t>> sets;
  TSuspdSafeThread* stopOwner = nullptr;
  int stopAfter = -1;
};

// A thread that never runs; the pool only asks it CheckStop.
class TTestOwner : public TSuspdSafeThread {
 public:
  TTestOwner() : TSuspdSafeThread(true) {}

 protected:
  void Execute() override {}
};

// Everything a run of a pool shows to the outside.
struct TOutcome {
  std::vector<std::vector<uint32_t>> results;      // sets that reached the result list
  std::vector<std::vector<uint32_t>> candidates;   // sets handed to the content stage
  std::vector<uint32_t> droppedWhileFeeding;       // in order
  std::vector<uint32_t> droppedByFinish;           // in order
  std::vector<uint32_t> droppedAtEnd;              // sorted (destruction order is free)
  int64_t fileCount = 0;
  int64_t groupCount = 0;
  bool hasLibrary = false;
  int32_t progressMax = 0;
  int32_t progressPos = 0;
  bool contentStageMade = false;

  bool operator==(const TOutcome&) const = default;
};

// What one run is made of.
struct TRunInput {
  TSearchSettings settings;
  platform::FileTime nowLocal = 0;
  std::vector<TEntrySpec> fresh;
  std::vector<TEntrySpec> library;
  bool finish = true;
  int stopAfterSets = -1;  // 0: stop requested before Finish; n: after the n-th set
  bool realContent = false;  // the real content comparer reads the files
};

// Runs a pool made by `make(settings, keys, context)` through feeding,
// Finish and destruction. Works for the real pools and for the reference.
template <class Pool, class Make>
TOutcome RunPool(const TRunInput& in, Make make) {
  TOutcome out;
  auto owner = std::make_shared<TTestOwner>();
  TZWStatusServer status(nullptr);
  TRecordingSets results;
  TRecordingSets content;
  int phase = 0;  // 0 feeding, 1 finishing, 2 destroying
  TPoolContext ctx;
  ctx.owner = owner.get();
  ctx.status = &status;
  ctx.results = &results;
  ctx.nowLocal = in.nowLocal;
  ctx.onDrop = [&](TFileInfos& e) {
    (phase == 0 ? out.droppedWhileFeeding : phase == 1 ? out.droppedByFinish : out.droppedAtEnd)
        .push_back(e.Attr);
  };
  if (!in.realContent) ctx.contentStage = [&](TResultManager&, const TSearchSettings&,
                         const TPoolContext&) -> std::unique_ptr<TResultManager> {
    out.contentStageMade = true;
    // A stage that records the candidate sets and owns them; the pool keeps
    // the returned object, so hand out a forwarding one.
    struct Forward : TResultManager {
      TRecordingSets* to;
      explicit Forward(TRecordingSets* t) : to(t) {}
      void AddSet(TFileInfos* first) override { to->AddSet(first); }
    };
    return std::make_unique<Forward>(&content);
  };
  if (in.stopAfterSets > 0) {
    results.stopOwner = owner.get();
    results.stopAfter = in.stopAfterSets;
    content.stopOwner = owner.get();
    content.stopAfter = in.stopAfterSets;
  }
  const TKeyChoice keys = ChooseKeys(in.settings);
  {
    std::unique_ptr<Pool> pool = make(in.settings, keys, ctx);
    for (const TEntrySpec& s : in.fresh) pool->AddFresh(MakeEntry(s));
    for (const TEntrySpec& s : in.library) pool->AddLibrary(MakeEntry(s));
    out.fileCount = pool->FileCount();
    out.groupCount = pool->GroupCount();
    out.hasLibrary = pool->HasLibraryFiles();
    if (in.finish) {
      if (in.stopAfterSets == 0) owner->Cancel();
      phase = 1;
      pool->Finish(results);
    }
    phase = 2;
  }
  std::sort(out.droppedAtEnd.begin(), out.droppedAtEnd.end());
  out.results = results.sets;
  out.candidates = content.sets;
  out.progressMax = status.Maximum();
  out.progressPos = status.Position();
  return out;
}

}  // namespace zw::pooltest
