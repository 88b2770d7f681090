// The search thread: takes the file entries the browse thread produces,
// feeds them into the file pool the criteria ask for while browsing still
// runs, and at the end lets the pool (and the content comparer) hand the
// duplicate sets to the result list.
#pragma once
#include <cstdint>
#include <memory>

#include "engine/common/messages.h"
#include "engine/dupes/criteria.h"
#include "engine/dupes/file_pool.h"
#include "engine/dupes/result_manager.h"
#include "engine/threads/job_queue.h"
#include "engine/threads/status_server.h"
#include "engine/threads/suspd_safe_thread.h"
#include "engine/threads/thread_manager.h"

namespace zw {

class TThreadFindDupes : public TSuspdSafeThread {
 public:
  // The comparison settings are copied: the window may change its own
  // while the search runs.
  TThreadFindDupes(TJobQueue* queue, TResultManager* results, TZWStatusServer* status,
                   const TCompareSettings& compare, bool suspended = true);
  ~TThreadFindDupes() override;

  void SetManager(TZWThreadManager* manager) { manager_ = manager; }
  void SetMessenger(IMessenger* messenger) { messenger_ = messenger; }
  // Replaces the local time the date pool measures ages from (tests).
  void SetNowLocal(platform::FileTime now) { nowLocal_ = now; }
  // Whether the search reads files ahead of the comparison while browsing
  // goes on (on by default; tests switch it off to compare), and how many
  // files it read so while browsing went on.
  void SetReadAhead(bool on) { readAhead_ = on; }
  size_t ReadAheadCount() const { return readAheadCount_; }

  // How far the search got, for the exception report: 1 set-up, 2 feeding,
  // 3 fed, 4 finishing, 5 done.
  uint8_t Step() const { return step_; }
  const TFilePool* Pool() const { return pool_.get(); }
  const TSearchSettings& Settings() const { return settings_; }

 protected:
  void Execute() override;

 private:
  void SetUp();
  void Feed();
  void ReportException();

  TJobQueue* queue_;
  TResultManager* results_;
  TZWStatusServer* status_;
  TZWThreadManager* manager_ = nullptr;
  IMessenger* messenger_ = nullptr;
  TCompareSettings records_;  // the window's settings as they were at creation
  TSearchSettings settings_;  // the private copies the search works on
  platform::FileTime nowLocal_ = 0;
  std::unique_ptr<TReadAhead> ahead_;  // made before the pool, which points to it
  std::unique_ptr<TFilePool> pool_;
  uint8_t step_ = 0;
  bool readAhead_ = true;
  size_t readAheadCount_ = 0;
};

}  // namespace zw
