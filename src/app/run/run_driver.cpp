#include "app/run/run_driver.h"

#include <algorithm>
#include <cstdio>

#include "app/run/folder_lists.h"
#include "app/size_edit.h"
#include "app/text/string_table.h"
#include "app/text/text_format.h"
#include "engine/scan/catalog_file.h"
#include "engine/scan/zip_reader.h"
#include "platform/files.h"
#include "platform/filetime.h"
#include "platform/paths.h"
#include "app/text_ids.h"

namespace zw {

namespace {

constexpr double kDayTicks = 864000000000.0;

bool IsActiveRow(uint8_t state) {
  return state == dsSingle || state == dsRecursive || state == dsArchive;
}

std::string LocalDateTimeText(platform::FileTime utc) {
  const platform::SystemTime st = platform::SplitFileTime(platform::UtcToLocal(utc));
  char buf[40];
  std::snprintf(buf, sizeof buf, "%04u-%02u-%02u %02u:%02u:%02u", st.year, st.month, st.day,
                st.hour, st.minute, st.second);
  return buf;
}

}  // namespace

TRunDriver::TRunDriver(TWindowModel& model, IHost& host, IMessenger& messenger, TZWLog& log,
                       TResultList& results, TZWStatusServer& status, IStatusTarget& window)
    : model_(model),
      host_(host),
      msg_(messenger),
      log_(log),
      results_(results),
      status_(status),
      window_(window) {}

TRunDriver::~TRunDriver() {
  // Stop and wait for threads still alive before the queue goes.
  browseManager_.Destroy();
  searchManager_.Destroy();
}

std::string TRunDriver::ElapsedText(double days) {
  if (days < 0) days = 0;
  const long long d = static_cast<long long>(days);
  double f = (days - static_cast<double>(d)) * 24;
  const int h = static_cast<int>(f);
  f = (f - h) * 60;
  const int m = static_cast<int>(f);
  f = (f - m) * 60;
  const int s = static_cast<int>(f);
  f -= s;
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.2d:%.2d", m, s);
  std::string text = buf;
  if (d == 0 && h == 0 && m == 0) {
    std::snprintf(buf, sizeof buf, "\"%.3d", static_cast<int>(f * 1000));
    text += buf;
  } else {
    if (h > 0 || d > 0) {
      std::snprintf(buf, sizeof buf, "%.2d:", h);
      text = buf + text;
    }
    if (d > 0) text = std::to_string(d) + "d, " + text;
  }
  return text;
}

bool TRunDriver::CheckCriteria() {
  if (model_.compare.checked != 0) return true;
  host_.ShowPage(TPage::CompOptions);
  host_.FocusControl(TControl::CBFilename);
  if (msg_.AskMsg(askNoCriterionSelected, ansYes) != ansYes) return false;
  host_.ShowPage(TPage::Results);
  return true;
}

bool TRunDriver::CheckFreshList() {
  for (const TDirRow& row : model_.fresh.rows)
    if (IsActiveRow(row.state)) return true;
  host_.ShowPage(TPage::ScanOptions);
  host_.FocusControl(TControl::ButtonAddFo);
  if (msg_.AskMsg(askNoFolderSelected, ansNo) == ansYes)
    AddFolderButton(model_, host_, msg_);
  return false;
}

bool TRunDriver::CheckRows() {
  folders_.clear();
  archives_.clear();
  for (TFolderList which : {TFolderList::Fresh, TFolderList::Library}) {
    TFolderListModel& list = model_.Folders(which);
    // The count is read again after every row: rows may go.
    for (int32_t i = 0; i < static_cast<int32_t>(list.rows.size());) {
      const TDirRow row = list.rows[static_cast<size_t>(i)];
      if (row.state == dsArchive) {
        if (!platform::FileExists(row.caption)) {
          host_.ShowPage(TPage::ScanOptions);
          host_.ShowFolderRow(which, i);
          if (msg_.AskMsg(askCatNotFound, ansCancel, {row.caption}) != ansOK) return false;
          list.rows.erase(list.rows.begin() + i);
          host_.ModelChanged();
          continue;
        }
        if (!(checkArchiveRow ? checkArchiveRow(which, i) : CheckArchiveRow(which, i)))
          return false;
        if (list.rows[static_cast<size_t>(i)].state == dsArchive) archives_.push_back({which, i});
      } else if (IsFolderState(row.state) && row.state != dsInactive) {
        if (!platform::FolderExists(row.caption)) {
          host_.ShowPage(TPage::ScanOptions);
          host_.ShowFolderRow(which, i);
          if (msg_.AskMsg(askDirNotFound, ansCancel, {row.caption}) != ansOK) return false;
          list.rows.erase(list.rows.begin() + i);
          host_.ModelChanged();
          continue;
        }
        folders_.push_back({which, i});
      }
      ++i;
    }
  }
  return true;
}

bool TRunDriver::CheckOverlaps() {
  auto rowOf = [&](const Collected& c) -> const TDirRow& {
    return model_.Folders(c.list).rows[static_cast<size_t>(c.row)];
  };
  auto showPair = [&](const Collected& a, const Collected& b, const Collected& selected) {
    host_.ShowPage(TPage::ScanOptions);
    host_.ShowFolderRow(a.list, a.row);
    host_.ShowFolderRow(b.list, b.row);
    SelectFolderRow(model_, selected.list, selected.row);
    host_.ShowFolderRow(selected.list, selected.row);
  };
  // outer recursive, inner inside it and not excluded in outer's list.
  auto nested = [&](const Collected& outer, const Collected& inner) {
    const TDirRow& o = rowOf(outer);
    const TDirRow& n = rowOf(inner);
    return o.state == dsRecursive && n.state != dsExclude && IsInsideFolder(n.caption, o.caption) &&
           !IsCoveredInList(model_.Folders(outer.list), n.caption);
  };
  for (size_t i = 0; i < folders_.size(); ++i) {
    for (size_t j = i + 1; j < folders_.size(); ++j) {
      const Collected& a = folders_[i];
      const Collected& b = folders_[j];
      const TDirRow& ra = rowOf(a);
      const TDirRow& rb = rowOf(b);
      if (SameFolder(ra.caption, rb.caption)) {
        const bool sameList = a.list == b.list;
        if (sameList || (ra.state == dsExclude) == (rb.state == dsExclude)) {
          showPair(a, b, a);
          msg_.ShowMsg(sameList ? msgDuplicateFolderSameList : msgDuplicateFolder, {ra.caption});
          return false;
        }
        continue;
      }
      if (nested(a, b)) {
        showPair(a, b, a);
        msg_.ShowMsg(msgFolderIsSubdirOfAnother,
                     {rb.caption, ra.caption, int64_t{a.row} + 1});
        return false;
      }
      if (nested(b, a)) {
        showPair(a, b, b);
        msg_.ShowMsg(msgFolderIsSubdirOfAnother,
                     {ra.caption, rb.caption, int64_t{b.row} + 1});
        return false;
      }
    }
  }
  return true;
}

bool TRunDriver::CheckArchiveDuplicates() {
  std::vector<bool> dropped(archives_.size(), false);
  for (size_t i = 0; i < archives_.size(); ++i) {
    if (dropped[i]) continue;
    for (size_t j = i + 1; j < archives_.size(); ++j) {
      if (dropped[j]) continue;
      const Collected& a = archives_[i];
      const Collected& b = archives_[j];
      const std::string& pa = model_.Folders(a.list).rows[static_cast<size_t>(a.row)].caption;
      const std::string& pb = model_.Folders(b.list).rows[static_cast<size_t>(b.row)].caption;
      if (!SameFile(pa, pb)) continue;
      if (a.list == b.list) {
        dropped[i] = true;  // the first of two equal rows goes, silently
        break;
      }
      host_.ShowPage(TPage::ScanOptions);
      SelectFolderRow(model_, a.list, a.row);
      host_.ShowFolderRow(a.list, a.row);
      msg_.ShowMsg(msgDuplicateCatfile, {pa});
      return false;
    }
  }
  // Remove the dropped rows from the bottom up, so the indexes stay right.
  for (size_t k = archives_.size(); k-- > 0;) {
    if (!dropped[k]) continue;
    auto& rows = model_.Folders(archives_[k].list).rows;
    rows.erase(rows.begin() + archives_[k].row);
  }
  if (std::find(dropped.begin(), dropped.end(), true) != dropped.end()) host_.ModelChanged();
  return true;
}

bool TRunDriver::CheckSizeBounds() {
  if (model_.sizeMode == fmIgnore) return true;
  if (!ValidateSizeEdit(model_.sizeLow, TControl::ELimitSize1, host_, msg_, false, 0)) return false;
  if (!ValidateSizeEdit(model_.sizeHigh, TControl::ELimitSize2, host_, msg_, false, 0)) return false;
  if (model_.sizeLow.bytes > model_.sizeHigh.bytes) {
    host_.FocusControl(TControl::ELimitSize1);
    const auto units = Strings().UnitShortNames();
    auto bound = [&](const TSizeEditModel& e) {
      return e.text + " " + units[e.unit < units.size() ? e.unit : 0];
    };
    if (msg_.AskMsg(askSwapRangeValues, ansOK, {bound(model_.sizeLow), bound(model_.sizeHigh)}) !=
        ansOK)
      return false;
    std::swap(model_.sizeLow, model_.sizeHigh);
    host_.ModelChanged();
  }
  return true;
}

bool TRunDriver::CheckArchiveRow(TFolderList which, int32_t i) {
  TDirRow& row = model_.Folders(which).rows[static_cast<size_t>(i)];
  const std::string ext = platform::LowerText(platform::ExtractFileExt(row.caption));
  const TAdvContentOptions& c = model_.compare.content;
  auto showRow = [&] {
    host_.ShowPage(TPage::ScanOptions);
    host_.ShowFolderRow(which, i);
  };
  // A file that cannot be read: OK leaves it out of this scan (state 5).
  auto leaveOut = [&](TMsgID id, const TFmtArgs& args) {
    showRow();
    if (msg_.AskMsg(id, ansCancel, args) != ansOK) return false;
    row.state = dsArchiveInactive;
    host_.ModelChanged();
    return true;
  };
  if (ext == ".zwc") {
    const TCatCheck check = CheckCatalogFile(row.caption);
    if (check.result != corGood) {
      TFmtArgs reasonArgs;
      if (check.result == corOpenFailed) reasonArgs.push_back(int64_t{check.error.code});
      const std::string reason = Format(Str(CatOpenResultText(check.result)), reasonArgs);
      return leaveOut(msgFileNotScannedReason, {row.caption, reason});
    }
    if (model_.compare.On(ccContent) && !check.hasChecksums) {
      showRow();
      msg_.ShowMsg(msgCatFileNoChecksums, {row.caption});
      return false;
    }
    if (model_.compare.On(ccContent) && (c.range != acComplete || (c.methods & acmByteByByte) != 0)) {
      showRow();
      msg_.ShowMsg(msgCatFileRestrictions);
      return false;
    }
    return true;
  }
  if (ext == ".zip") {
    if (!TZipReader::CanRead(row.caption)) return leaveOut(msgFileNotScanned, {row.caption});
    if (model_.compare.On(ccContent) && (c.range != acComplete || c.methods != acmCRC32)) {
      showRow();
      msg_.ShowMsg(msgZipFileRestrictions);
      return false;
    }
    return true;
  }
  showRow();
  msg_.ShowMsg(msgFileTypeNotSupported, {"*" + ext});
  return false;
}

bool TRunDriver::CheckContentRestrictions() {
  const TAdvContentOptions& c = model_.compare.content;
  if (model_.scanArchives && model_.compare.On(ccContent) && (c.range != acComplete || c.methods != acmCRC32)) {
    host_.FocusControl(TControl::CBScanArchives);
    msg_.ShowMsg(msgZipFileRestrictions);
    return false;
  }
  if (model_.compare.On(ccContent) && c.range == acComplete && (!model_.compare.On(ccSize) || model_.compare.size.tolerant)) {
    host_.FocusControl(TControl::BtnContent);
    if (msg_.AskMsg(askUseExactSizeComp, ansOK) != ansOK) return false;
  }
  return true;
}

bool TRunDriver::Run() {
  if (scanning_) return false;
  if (!CheckCriteria()) return false;
  if (!CheckFreshList()) return false;
  AskPendingMasks(model_, host_, msg_);
  if (!CheckRows()) return false;
  if (!CheckOverlaps()) return false;
  if (!CheckArchiveDuplicates()) return false;
  if (!CheckSizeBounds()) return false;
  if (!CheckContentRestrictions()) return false;

  results_.Clear();
  results_.SetGroupingMode(5);
  if (log_.Count() > 0) log_.AddSeparator();
  model_.busy = true;
  model_.listLocked = false;
  host_.SetBusy(true, false);
  host_.ShowPage(TPage::Results);
  StartThreads();
  return true;
}

void TRunDriver::StartThreads() {
  // Threads of an earlier scan are gone by now; make sure of it.
  browseManager_.Destroy();
  searchManager_.Destroy();
  criteria_ = model_.compare.Criteria();
  status_.SetQuiet(model_.lessStatus);
  canceled_ = false;
  browseEnded_ = searchEnded_ = false;

  browse_ = std::make_shared<TThreadBrowse>();
  browseManager_.Attach(browse_);
  browse_->fresh.FillFromList(model_.fresh.rows);
  browse_->library.FillFromList(model_.library.rows);
  browse_->scanArchives = model_.scanArchives;
  browse_->criteriaSelected = criteria_ != 0;
  browse_->attribFilter.Set(model_.attribMode,
                            TAttribFilter::MaskFromBoxes(model_.attrReadOnly, model_.attrHidden,
                                                         model_.attrArchive, model_.attrSystem));
  browse_->sizeFilter.Set(model_.sizeMode, model_.sizeLow.bytes, model_.sizeHigh.bytes,
                          model_.compare.On(ccContent), model_.compare.content);
  browse_->nameFilter.Set(model_.limitMasks.rows, model_.excludeMasks.rows, model_.compare.filename,
                          model_.compare.On(ccFilename));
  if (installReaders) {
    installReaders(*browse_);
  } else {
    browse_->SetZipBrowser(MakeZipBrowser());
    browse_->SetCatalogBrowser(BrowseCatalogFile);
  }
  queue_ = std::make_unique<TJobQueue>();
  browse_->SetQueue(queue_.get());
  browse_->SetStatus(&status_);
  browse_->SetManager(&browseManager_);
  browse_->SetMessenger(&msg_);
  IStatusTarget* window = &window_;
  browse_->SetOnTerminate([window] {
    TStatusEvent ev;
    ev.kind = TStatusMsg::ThreadEnded;
    ev.value = 1;
    window->Post(std::move(ev));
  });

  search_ = std::make_shared<TThreadFindDupes>(queue_.get(), &results_, &status_, model_.compare);
  searchManager_.Attach(search_);
  search_->SetManager(&searchManager_);
  search_->SetMessenger(&msg_);
  search_->SetOnTerminate([window] {
    TStatusEvent ev;
    ev.kind = TStatusMsg::ThreadEnded;
    ev.value = 2;
    window->Post(std::move(ev));
  });

  startTime_ = platform::NowUtc();
  msg_.LogMsg(logStartScan, {LocalDateTimeText(startTime_)});
  scanning_ = true;
  browseManager_.Start();
  searchManager_.Start();
}

void TRunDriver::BrowseFinished() {
  browseEnded_ = true;
  browseManager_.Done();
}

void TRunDriver::SearchFinished() {
  if (!scanning_) return;
  searchEnded_ = true;
  searchManager_.Done();
  browseManager_.CancelThread();
  // Both threads are over before the queue between them goes.
  browseManager_.Destroy();
  searchManager_.Destroy();
  browse_.reset();
  search_.reset();
  queue_.reset();
  scanning_ = false;

  const double days = static_cast<double>(platform::NowUtc() - startTime_) / kDayTicks;
  msg_.LogMsg(logScanFinished, {ElapsedText(days)});
  if (results_.ItemCount() == 0) {
    if (criteria_ != 0) msg_.LogMsg(logNoDupesFound);
  } else {
    results_.Trim();
    if (criteria_ != 0)
      msg_.LogMsg(logDupesFound, {int64_t{results_.ItemCount()}, int64_t{results_.SetCount()}});
  }
  model_.busy = false;
  model_.listLocked = false;
  host_.SetBusy(false, false);
  host_.ShowPage(TPage::Results);
  if (!Automatic()) host_.ShowLog(true);
  if (scanEnded) scanEnded();
}

void TRunDriver::Cancel(bool confirm) {
  if (!scanning_ || canceled_) return;
  if (confirm) {
    browseManager_.Pause();
    searchManager_.Pause();
    if (msg_.AskMsg(askReallyAbort, ansNo) != ansYes) {
      browseManager_.Start();
      searchManager_.Start();
      return;
    }
  }
  canceled_ = true;
  browseManager_.CancelThread();
  searchManager_.CancelThread();
  if (abortScript) abortScript();
  host_.SetStatusText(Str(strAbortingASAP));
  msg_.LogMsg(logCanceledByUser);
}

}  // namespace zw
