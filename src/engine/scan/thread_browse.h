// The browse thread: walks the folders, archives and catalog files of a scan
// job, filters every file and pushes one entry per accepted file into the job
// queue, which the search thread drains at the same time.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <unordered_map>
#include <unordered_set>

#include "engine/common/messages.h"
#include "engine/common/file_infos.h"
#include "engine/scan/scan_job.h"
#include "engine/threads/job_queue.h"
#include "engine/threads/status_server.h"
#include "engine/threads/suspd_safe_thread.h"
#include "engine/threads/thread_manager.h"
#include "platform/files.h"

namespace zw {

class TThreadBrowse;

// Readers of catalog files and ZIP archives: they feed the entries of one
// file through the thread's filters into its queue (see Emit).
using TCatalogBrowser = std::function<void(TThreadBrowse& thread, const std::string& path)>;
using TZipBrowser =
    std::function<void(TThreadBrowse& thread, const std::string& path, bool insideFolder)>;

class TThreadBrowse : public TSuspdSafeThread {
 public:
  explicit TThreadBrowse(bool suspended = true);
  ~TThreadBrowse() override;

  // --- the scan job, filled by the run driver before the start ---
  TDirectories fresh;
  TDirectories library;
  TAttribFilter attribFilter;
  TSizeFilter sizeFilter;
  TNameFilter nameFilter;
  bool scanArchives = false;      // also read the *.zip archives found in the folders
  bool criteriaSelected = true;   // at least one comparison criterion is on

  // --- the objects of others it works with ---
  void SetQueue(TJobQueue* queue) { queue_ = queue; }
  void SetStatus(TZWStatusServer* status) { status_ = status; }
  void SetManager(TZWThreadManager* manager) { manager_ = manager; }
  void SetMessenger(IMessenger* messenger) { messenger_ = messenger; }
  void SetCatalogBrowser(TCatalogBrowser reader) { catalogBrowser_ = std::move(reader); }
  void SetZipBrowser(TZipBrowser reader) { zipBrowser_ = std::move(reader); }

  // --- for the readers of catalogs and archives ---
  // True while the library list is browsed (entries get flag 0x08).
  bool BrowsingLibrary() const { return currentIsLibrary_; }
  TDirectories& CurrentSet() { return currentIsLibrary_ ? library : fresh; }
  // Pushes an accepted entry into the queue and counts it in the current set.
  void Emit(TFileInfos* entry);
  TZWStatusServer* Status() const { return status_; }

  // How far the thread got, for the error report: 0 start, 1 status set,
  // 2 fresh folders done, 3 before the library folders, 4 after them.
  uint8_t Phase() const { return phase_; }

 protected:
  void Execute() override;

 private:
  void Body();
  void Finish();
  void ReportException();
  void BrowseList(TDirectories& set);
  // `recursive`: subfolders are browsed too (the attribute filter lets
  // folders through).
  void BrowseFolder(const std::string& path, bool recursive);
  void BrowseCatalog(const std::string& path);
  void BrowseZip(const std::string& path, bool insideFolder);
  // Entries of the folder being read wait here and go into the queue
  // together (before a subfolder is entered, at the end of the folder, and
  // every few hundred files): one wake-up of the search thread per batch
  // instead of per file.
  void Hold(TFileInfos* entry);
  void FlushHeld();

  TJobQueue* queue_ = nullptr;
  TZWStatusServer* status_ = nullptr;
  TZWThreadManager* manager_ = nullptr;
  IMessenger* messenger_ = nullptr;
  TCatalogBrowser catalogBrowser_;
  TZipBrowser zipBrowser_;
  TFileInfos* heldHead_ = nullptr;
  TFileInfos* heldTail_ = nullptr;
  int heldCount_ = 0;
  bool currentIsLibrary_ = false;
  uint8_t phase_ = 0;
  // One file is taken once, however many names lead to it: the folders
  // browsed so far (true once their subfolders were browsed as well), and
  // the files with more than one name.
  std::unordered_map<platform::FileId, bool, platform::FileIdHash> foldersSeen_;
  std::unordered_set<platform::FileId, platform::FileIdHash> linkedFilesSeen_;
};

}  // namespace zw
