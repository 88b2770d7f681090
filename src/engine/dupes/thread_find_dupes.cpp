#include "engine/dupes/thread_find_dupes.h"

#include <sstream>
#include <thread>

#include "engine/dupes/read_ahead.h"
#include "engine/threads/worker_report.h"
#include "platform/debug_output.h"

namespace zw {

TThreadFindDupes::TThreadFindDupes(TJobQueue* queue, TResultManager* results,
                                   TZWStatusServer* status, const TCompareSettings& compare,
                                   bool suspended)
    : TSuspdSafeThread(suspended),
      queue_(queue),
      results_(results),
      status_(status),
      records_(compare) {}

TThreadFindDupes::~TThreadFindDupes() = default;

void TThreadFindDupes::Execute() {
  {
    std::ostringstream id;
    id << "FindDupesThread: " << std::hex << std::this_thread::get_id();
    platform::DebugOutput(id.str());
  }
  step_ = 1;
  try {
    if (!CheckStop()) {
      SetUp();
      step_ = 2;
    }
    if (!CheckStop()) {
      Feed();
      step_ = 3;
    }
    if (!CheckStop() && pool_ && pool_->FileCount() > 1) {
      if (pool_->Kind() != TPoolKind::PassThru && messenger_) messenger_->LogMsg(logFindDoubles);
      step_ = 4;
      // The files not read ahead yet are read by a helper thread meanwhile.
      struct HelperGuard {
        TReadAhead* ahead;
        ~HelperGuard() {
          if (ahead) ahead->StopHelper();
        }
      } guard{ahead_.get()};
      if (ahead_) {
        pool_->Settle();
        ahead_->StartHelper([this] { return CheckStop(); });
      }
      pool_->Finish(*results_);
      step_ = 5;
    }
  } catch (...) {
    ReportException();
  }
  if (manager_) manager_->SetState(TZWThreadManager::tsFinished);
}

void TThreadFindDupes::SetUp() {
  settings_ = MakeSearchSettings(records_);
  const TKeyChoice keys = ChooseKeys(settings_);
  TPoolContext context;
  context.owner = this;
  context.status = status_;
  context.messenger = messenger_;
  context.results = results_;
  context.nowLocal = nowLocal_;
  // The size pool keeps every fresh entry until the search ends, so what is
  // read ahead of them stays theirs.
  if (readAhead_ && settings_.contentOn && PoolKindOf(keys, settings_) == TPoolKind::BySize) {
    ahead_ = std::make_unique<TReadAhead>(settings_.content);
    context.readAhead = ahead_.get();
  }
  pool_ = CreatePool(settings_, keys, context);
}

void TThreadFindDupes::Feed() {
  TReadAhead* ahead = ahead_.get();
  bool library = false;
  for (;;) {
    TFileInfos* list = nullptr;
    if (ahead && ahead->HasWork()) {
      // Between the browse thread's batches: read ahead, one file at a time.
      bool closed = false;
      list = queue_->TryPopAll(closed);
      if (!list && !closed) {
        if (CheckStop()) break;
        ahead->ReadNext();
        continue;
      }
    } else {
      list = queue_->PopAll();
    }
    if (!list) break;
    while (list) {
      TFileInfos* entry = list;
      list = entry->Next;
      entry->Next = nullptr;
      if (CheckStop()) {
        FreeFileInfos(entry);
        FreeFileInfosList(list);
        return;
      }
      // Every fresh entry comes before the first library entry; from that
      // one on, everything is taken as library.
      library = library || entry->IsLibrary();
      if (library) {
        pool_->AddLibrary(entry);
      } else {
        pool_->AddFresh(entry);
        if (ahead) ahead->Note(entry);
      }
    }
  }
  if (ahead) readAheadCount_ = ahead->ReadCount();
}

void TThreadFindDupes::ReportException() { ReportWorkerException(2, step_, status_, messenger_); }

}  // namespace zw
