// The run driver: turns the Run button (or the script command run) into a
// running scan. It checks the settings in a fixed order and stops at the
// first problem with a message, builds the scan job from the window model,
// chains the browse and the search thread through one job queue and starts
// both; when the search has ended it writes the end-of-scan report. It also
// implements Cancel. Everything here runs in the main thread.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "app/host.h"
#include "app/log/scan_log.h"
#include "app/window_model.h"
#include "engine/common/messages.h"
#include "engine/dupes/result_list.h"
#include "engine/dupes/thread_find_dupes.h"
#include "engine/scan/thread_browse.h"
#include "engine/threads/job_queue.h"
#include "engine/threads/status_server.h"
#include "engine/threads/thread_manager.h"

namespace zw {

class TRunDriver {
 public:
  // `window` receives the worker threads' messages, including their end
  // notifications (TStatusMsg::ThreadEnded), which the host hands back to
  // BrowseFinished and SearchFinished in the main thread.
  TRunDriver(TWindowModel& model, IHost& host, IMessenger& messenger, TZWLog& log,
             TResultList& results, TZWStatusServer& status, IStatusTarget& window);
  ~TRunDriver();

  // What the driver asks of the rest of the program.
  std::function<bool()> isAutomatic;      // questions answered with their defaults
  std::function<void()> abortScript;      // Cancel: abort a running script
  std::function<void()> scanEnded;        // end of scan: resume a waiting script
  // Checks an archive or catalog row before a scan: returns false to stop
  // the run (after its own messages). Without it such rows are refused as
  // a file type this build cannot read.
  std::function<bool(TFolderList list, int32_t row)> checkArchiveRow;
  // Makes the readers of catalog files and ZIP archives for a browse thread.
  std::function<void(TThreadBrowse& thread)> installReaders;

  // Steps 1 to 23: true when the scan was started.
  bool Run();
  // The Cancel button: pause, ask, and stop or resume. Without `confirm`
  // the scan stops at once, as after a Yes (an interrupted program asks
  // nobody).
  void Cancel(bool confirm = true);
  // End notifications, in the main thread.
  void BrowseFinished();
  void SearchFinished();

  bool Scanning() const { return scanning_; }
  bool Canceled() const { return canceled_; }
  TCompCriteria Criteria() const { return criteria_; }
  TZWThreadManager& BrowseManager() { return browseManager_; }
  TZWThreadManager& SearchManager() { return searchManager_; }

  // Elapsed time as the end-of-scan report shows it ("00:07\"250",
  // "1d, 02:03:04"); `days` as a date-time difference.
  static std::string ElapsedText(double days);

 private:
  bool CheckCriteria();
  bool CheckFreshList();
  bool CheckRows();
  bool CheckOverlaps();
  bool CheckArchiveDuplicates();
  bool CheckSizeBounds();
  bool CheckContentRestrictions();
  // A catalog or ZIP row that exists: readable, and usable with the content
  // options; a damaged one may be left out of the scan (state 5).
  bool CheckArchiveRow(TFolderList which, int32_t row);
  void StartThreads();
  bool Automatic() const { return isAutomatic && isAutomatic(); }

  TWindowModel& model_;
  IHost& host_;
  IMessenger& msg_;
  TZWLog& log_;
  TResultList& results_;
  TZWStatusServer& status_;
  IStatusTarget& window_;
  TZWThreadManager browseManager_;
  TZWThreadManager searchManager_;
  std::unique_ptr<TJobQueue> queue_;
  std::shared_ptr<TThreadBrowse> browse_;
  std::shared_ptr<TThreadFindDupes> search_;
  platform::FileTime startTime_ = 0;
  TCompCriteria criteria_ = 0;
  bool canceled_ = false;
  bool scanning_ = false;
  bool searchEnded_ = false;
  bool browseEnded_ = false;
  // The rows that passed the entry check, in check order.
  struct Collected {
    TFolderList list;
    int32_t row;
  };
  std::vector<Collected> folders_;
  std::vector<Collected> archives_;
};

}  // namespace zw
