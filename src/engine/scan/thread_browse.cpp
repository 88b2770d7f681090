#include "engine/scan/thread_browse.h"

#include <sstream>
#include <thread>

#include "engine/threads/worker_report.h"
#include "platform/debug_output.h"
#include "platform/files.h"
#include "platform/paths.h"

namespace zw {

TThreadBrowse::TThreadBrowse(bool suspended) : TSuspdSafeThread(suspended) {}
TThreadBrowse::~TThreadBrowse() = default;

void TThreadBrowse::Emit(TFileInfos* entry) {
  if (currentIsLibrary_) entry->Flags |= fiflag::kLibrary;
  CurrentSet().filesFound.fetch_add(1, std::memory_order_relaxed);
  FlushHeld();
  queue_->Push(entry);
}

void TThreadBrowse::Hold(TFileInfos* entry) {
  entry->Next = nullptr;
  if (heldTail_)
    heldTail_->Next = entry;
  else
    heldHead_ = entry;
  heldTail_ = entry;
  if (++heldCount_ >= 256) FlushHeld();
}

void TThreadBrowse::FlushHeld() {
  if (!heldHead_) return;
  queue_->PushList(heldHead_, heldTail_);
  heldHead_ = heldTail_ = nullptr;
  heldCount_ = 0;
}

void TThreadBrowse::Execute() {
  {
    std::ostringstream id;
    id << "BrowseThread: " << std::hex << std::this_thread::get_id();
    platform::DebugOutput(id.str());
  }
  try {
    try {
      Body();
    } catch (...) {
      Finish();
      throw;
    }
    Finish();
  } catch (...) {
    ReportException();
  }
}

void TThreadBrowse::Body() {
  phase_ = 0;
  if (CheckStop()) return;
  if (messenger_) messenger_->LogMsg(logCreatingFileList);
  status_->PostStatus(strCreatingFileList);
  status_->SetCurrent(strCreatingFileList);
  status_->PostTask(0);
  status_->SetMaximum(fresh.IncludedCount() + library.IncludedCount());
  phase_ = 1;

  currentIsLibrary_ = false;
  BrowseList(fresh);
  phase_ = 2;
  if ((!criteriaSelected || fresh.filesFound > 0) && !CheckStop()) {
    phase_ = 3;
    currentIsLibrary_ = true;
    BrowseList(library);
    phase_ = 4;
  }
}

// Runs whatever happened: a search thread waiting on the queue must always
// get its end marker, and the manager must learn that browsing is over.
void TThreadBrowse::Finish() {
  if (!CheckStop()) {
    const int64_t nFresh = fresh.filesFound;
    const int64_t nLibrary = library.filesFound;
    if (criteriaSelected && nFresh == 0) {
      if (messenger_) messenger_->ShowMsg(msgNoFilesFound);
    } else if (criteriaSelected && nFresh + nLibrary == 1) {
      if (messenger_) messenger_->ShowMsg(msgOnlyOneFileFound);
    } else {
      if (messenger_) messenger_->LogMsg(logFilesFound, {nFresh + nLibrary, nFresh, nLibrary});
      if (criteriaSelected) {
        status_->PostStatus(strCompNoDetails);
        status_->SetCurrent(strCompNoDetails);
        status_->PostTask(1);
        status_->SetMaximum(1);
      }
    }
  }
  FlushHeld();
  queue_->Push(nullptr);
  if (manager_) manager_->SetState(TZWThreadManager::tsFinished);
}

void TThreadBrowse::ReportException() { ReportWorkerException(1, phase_, status_, messenger_); }

void TThreadBrowse::BrowseList(TDirectories& set) {
  for (const TDir& dir : set.Included()) {
    switch (dir.state) {
      case dsSingle:
        attribFilter.ExcludeFolders(true);
        BrowseFolder(dir.path, false);
        break;
      case dsRecursive:
        attribFilter.ExcludeFolders(false);
        BrowseFolder(dir.path, true);
        break;
      case dsArchive: {
        const std::string ext = platform::LowerText(platform::ExtractFileExt(dir.path));
        if (ext == ".zwc")
          BrowseCatalog(dir.path);
        else if (ext == ".zip")
          BrowseZip(dir.path, false);
        break;
      }
      default:
        break;
    }
    status_->Step();
    if (StopRequested()) return;
  }
}

void TThreadBrowse::BrowseFolder(const std::string& path, bool recursive) {
  TDirectories& set = CurrentSet();
  if (!set.Excluded().empty() && set.IsExcluded(path)) return;
  if (!status_->Quiet()) status_->PostStatus(strCreatingFileList, path);

  platform::DirEnum dir;
  platform::OsError err;
  if (!dir.Open(path, err)) {
    if (messenger_) messenger_->LogMsg(logIOErrorOnBrowse, {int64_t{err.code}, path});
    return;
  }
  // A folder met again under another name (a link to it was given as a row,
  // it is mounted twice): its files were taken already. Were its subfolders
  // not browsed then, they still are now.
  bool takeFiles = true;
  platform::FileId folderId;
  if (dir.Identity(folderId, err)) {
    const auto [seen, isNew] = foldersSeen_.try_emplace(folderId, recursive);
    if (!isNew) {
      if (seen->second || !recursive) return;
      seen->second = true;
      takeFiles = false;
    }
  }
  const bool library = currentIsLibrary_;
  const bool sizeActive = sizeFilter.mode != fmIgnore;
  const TFolderPath folder(path);  // shared by the entries of its files
  platform::FindData fd;
  while (!CheckStop() && dir.Next(fd)) {
    // A link leads to something that lies elsewhere: followed, it could loop
    // forever or list one file under two names, and deleting "the duplicate"
    // would then remove the only copy. Pipes and devices are never read.
    if (fd.isLink || fd.isSpecial) continue;
    if (fd.IsFolder()) {
      if (attribFilter.Accept(fd.attributes) && !fd.IsDotOrDotDot()) {
        FlushHeld();  // entries keep the order in which they were found
        BrowseFolder(path + fd.name + platform::kPathSep, recursive);
      }
      continue;
    }
    if (!takeFiles) continue;
    if (scanArchives && platform::LowerText(platform::ExtractFileExt(fd.name)) == ".zip") {
      FlushHeld();
      BrowseZip(path + fd.name, true);
    }
    if (!attribFilter.Accept(fd.attributes)) continue;
    if (sizeActive && !sizeFilter.Accept(fd.size)) continue;
    if (!nameFilter.Accept(fd.name)) continue;
    // A file with several names is taken under the first one that passes.
    if (fd.links > 1 && !linkedFilesSeen_.insert(fd.id).second) continue;

    auto* entry = new TFileInfos;
    entry->Name = std::move(fd.name);
    entry->Path = folder;
    entry->Size = fd.size;
    entry->Flags = library ? fiflag::kLibrary : 0;
    entry->Time = platform::UtcToLocal(fd.lastWriteUtc);
    entry->Attr = fd.attributes;
    set.filesFound.fetch_add(1, std::memory_order_relaxed);
    Hold(entry);
  }
  dir.Close();
  FlushHeld();
}

void TThreadBrowse::BrowseCatalog(const std::string& path) {
  if (!status_->Quiet()) status_->PostStatus(strCreatingFileList, path);
  if (catalogBrowser_) catalogBrowser_(*this, path);
}

void TThreadBrowse::BrowseZip(const std::string& path, bool insideFolder) {
  if (!status_->Quiet()) status_->PostStatus(strCreatingFileList, path);
  if (zipBrowser_) zipBrowser_(*this, path, insideFolder);
}

}  // namespace zw
