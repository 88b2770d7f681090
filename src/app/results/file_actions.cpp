#include "app/results/file_actions.h"

#include <algorithm>
#include <unordered_map>
#include <vector>

#include "app/results/result_view.h"
#include "app/text/countdown_box.h"
#include "app/text/message_table.h"
#include "app/text/string_table.h"
#include "app/text/text_format.h"
#include "engine/dupes/directory_tree.h"
#include "platform/files.h"
#include "platform/locale.h"
#include "platform/paths.h"
#include "platform/shell.h"
#include "app/text_ids.h"

namespace zw {

struct TFileActions::TTexts {
  TMsgID nothingChecked;
  TMsgID wholeSet;
  TMsgID confirm;
  TStrID status;
  TMsgID logStart;
  TMsgID logFailure;
  TMsgID endQuestion;
};

const TFileActions::TTexts& TFileActions::TextsOf(TFileAction action) {
  static const TTexts kDelete{msgNoFilesChecked2Delete, askAllFilesOfPairChecked2Delete,
                              askDeleteFiles,           strDeletingChecked,
                              logDeleteFiles,           logIOErrorOnDelete,
                              msgSomeFilesNotDeleted};
  static const TTexts kRecycle{msgNoFilesChecked2Recycle, askAllFilesOfPairChecked2Recycle,
                               askRecycleFiles,           strRecyclingChecked,
                               logRecycleFiles,           logIOErrorOnRecycle,
                               msgSomeFilesNotRecycled};
  static const TTexts kMove{msgNoFilesChecked2Move, askAllFilesOfPairChecked2Move,
                            askMoveFiles,           strMovingChecked,
                            logMoveFiles,           logIOErrorOnMove,
                            msgSomeFilesNotMoved};
  static const TTexts kLink{msgNoFilesChecked2Link, askAllFilesOfPairChecked2Link,
                            askLinkFiles,           strLinkingChecked,
                            logLinkFiles,           logIOErrorOnLink,
                            msgSomeFilesNotLinked};
  switch (action) {
    case TFileAction::Delete: return kDelete;
    case TFileAction::Recycle: return kRecycle;
    case TFileAction::Move: return kMove;
    case TFileAction::Link: break;
  }
  return kLink;
}

TFileActions::TFileActions(IHost& host, TMsgPresenter& presenter, TZWLog& log,
                           TWindowModel& model, TResultList& list)
    : host_(host), presenter_(presenter), log_(log), model_(model), list_(list) {}

TFileActions::~TFileActions() = default;

bool TFileActions::ScriptExecuting() const {
  return presenter_.ScriptExecuting();
}


// --- helpers -------------------------------------------------------------

std::string TFileActions::MoveTargetFolder(const std::string& destination,
                                           const std::string& path) {
  return platform::PathBelow(destination, path);
}

bool TFileActions::SameTime(platform::FileTime entryTime, platform::FileTime fileTime) {
  if (entryTime == fileTime) return true;
  return entryTime % platform::kTicksPerMillisecond == 0 &&
         fileTime - fileTime % platform::kTicksPerMillisecond == entryTime;
}

std::string TFileActions::SizeText(uint64_t bytes) const {
  if (platform::HaveByteSizeFormatter()) return platform::ByteSizeText(bytes);
  return Format("%.0n", {TFmtArg(static_cast<int64_t>(bytes / 1024))}) + " " +
         Strings().UnitShortName(1);
}

int TFileActions::Ask(uint8_t mode, TMsgID id, const TFmtArgs& args, int defaultAnswer,
                      int interactiveDefault) {
  switch (mode) {
    case cmInteractive: return presenter_.AskMsg(id, interactiveDefault, args);
    case cmCountdown:
      return presenter_.CountdownAskFmt(id, args, kCountdownSeconds, defaultAnswer);
    default: break;
  }
  // Unattended: the default answer, written to the log as the presenter
  // writes the questions it answers by itself.
  const TMsg msg = Messages().Msg(id);
  if (msg.LogPolicy != lpNever)
    presenter_.LogText(mbIconQuestion | mbYesNo,
                       Format(msg.Text, args) + " [" + presenter_.AnswerText(defaultAnswer) + "]");
  return defaultAnswer;
}

void TFileActions::SetStatus(const std::string& text) {
  model_.statusText = text;
  host_.SetStatusText(text);
}

void TFileActions::Pump() {
  if (processMessages) processMessages();
}

void TFileActions::Advance() {
  ++progress_;
  const int percent =
      progressTotal_ > 0 ? static_cast<int>(int64_t{progress_} * 100 / progressTotal_) : 0;
  host_.SetProgress(progress_, progressTotal_, percent);
  Pump();
}

void TFileActions::RemoveEntry(TResultEntry* entry) {
  const int32_t index = list_.IndexOf(entry);
  if (index >= 0) list_.DeleteFromSet(index);
}

// --- confirmation --------------------------------------------------------

int32_t TFileActions::FirstSetWithoutEntryLeft(bool forLinks) const {
  struct TCounts {
    int32_t total = 0;
    int32_t checked = 0;
    int32_t archived = 0;
    int32_t left = 0;  // entries a shortcut could point to
  };
  std::unordered_map<uint32_t, TCounts> sets;
  for (const TResultEntry* e : list_.Items()) {
    TCounts& c = sets[e->Set];
    ++c.total;
    if (e->IsChecked()) ++c.checked;
    if (e->InArchive()) ++c.archived;
    // An unchecked entry inside a ZIP archive can still be pointed at (the
    // shortcut then points to the archive); a catalog entry cannot.
    if (!e->IsChecked() && (!e->InArchive() || (e->Flags & reflag::kInZip) != 0)) ++c.left;
  }
  int64_t first = -1;
  for (const auto& [set, c] : sets) {
    const bool offends =
        forLinks ? (c.archived < c.total && c.left == 0) : (c.total > 0 && c.checked == c.total);
    if (offends && (first < 0 || set < first)) first = set;
  }
  return static_cast<int32_t>(first);
}

void TFileActions::FocusSet(int32_t set) {
  // The set's first-inserted entry is the last one of its chain.
  const TResultEntry* entry = list_.SetHead(set);
  while (entry && entry->Next) entry = entry->Next;
  int32_t index = entry ? list_.IndexOf(entry) : -1;
  if (index < 0) {
    const auto items = list_.Items();
    for (size_t i = 0; i < items.size(); ++i)
      if (items[i]->Set == static_cast<uint32_t>(set)) {
        index = static_cast<int32_t>(i);
        break;
      }
  }
  if (index < 0) return;
  model_.results.focused = index;
  model_.results.topRow = index;
  host_.ResultsChanged(true, true);
}

bool TFileActions::PrepareDestination(uint8_t mode, const std::string& given,
                                      std::string& destination) {
  if (!given.empty()) {
    std::string folder = platform::FullPath(given);
    if (folder.empty()) folder = given;
    if (!platform::FolderExists(folder)) {
      if (Ask(mode, askCreateDir, {TFmtArg(folder)}, ansYes, ansYes) != ansYes) return false;
      platform::OsError err;
      if (!platform::CreateFolders(folder, err)) {
        presenter_.ShowMsg(msgCreateDirFailed, {TFmtArg(folder)});
        return false;
      }
    }
    destination = folder;
  } else {
    const std::optional<std::string> chosen = host_.PickFolder(Str(strSelectDestDir), {});
    if (!chosen) return false;
    if (chosen->empty() || !platform::FolderExists(*chosen)) {
      presenter_.ShowMsg(msgDirInvalid);
      return false;
    }
    destination = *chosen;
  }
  destination = platform::IncludeTrailingSep(destination);

  if (mode == cmInteractive) {
    uint64_t available = 0;
    platform::OsError err;
    if (platform::FreeSpace(destination, available, err)) {
      const uint64_t needed = list_.CheckedSize();
      if (available == 0) {
        if (presenter_.AskMsg(askDestinationNoWrite, ansNo) != ansYes) return false;
        writeAllowed_ = true;
      } else if (needed > available) {
        const TFmtArgs args{TFmtArg(SizeText(available)), TFmtArg(SizeText(needed)),
                            TFmtArg(SizeText(needed - available))};
        if (presenter_.AskMsg(askDestinationFreeSpace, ansNo, args) != ansYes) return false;
      }
    }
  }
  return true;
}

// --- the frame -----------------------------------------------------------

bool TFileActions::Run(TFileAction action, uint8_t mode, const std::string& given) {
  const TTexts& texts = TextsOf(action);
  failed_ = false;
  writeAllowed_ = false;

  list_.Recount();
  if (list_.CheckedCount() == 0) {
    presenter_.ShowMsg(texts.nothingChecked);
    return false;
  }
  if (const int32_t set = FirstSetWithoutEntryLeft(action == TFileAction::Link); set >= 0) {
    FocusSet(set);
    if (Ask(mode, texts.wholeSet, {TFmtArg(int64_t{set})}, ansNo, ansNo) != ansYes) return false;
  }
  const TMsgID confirm =
      action == TFileAction::Move && !given.empty() ? askMoveFilesDestSpecified : texts.confirm;
  const TFmtArgs counts{TFmtArg(int64_t{list_.CheckedCount()}),
                        TFmtArg(static_cast<int64_t>(list_.CheckedSize() / 1024))};
  // Interactively the confirmation has no default: it is always shown.
  if (Ask(mode, confirm, counts, ansYes, 0) != ansYes) return false;

  std::string destination;
  if (action == TFileAction::Move && !PrepareDestination(mode, given, destination)) return false;

  // Busy.
  cancel_.store(false);
  model_.busy = true;
  model_.listLocked = true;
  host_.SetBusy(true, true);
  SetStatus(action == TFileAction::Move ? Format(Str(texts.status), {TFmtArg(destination)})
                                    : Str(texts.status));
  if (log_.Count() > 0) log_.AddSeparator();
  if (action == TFileAction::Move)
    presenter_.LogMsg(texts.logStart, {TFmtArg(destination)});
  else
    presenter_.LogMsg(texts.logStart);
  progressTotal_ = list_.CheckedCount();
  progress_ = 0;
  host_.SetProgress(0, progressTotal_, 0);

  std::unique_ptr<TZWTouchedDirectories> touched;
  if (action != TFileAction::Link && model_.findEmptyDirs && !ScriptExecuting())
    touched = std::make_unique<TZWTouchedDirectories>();

  {
    TResultList::TGuard guard(list_);
    copies_ = std::make_unique<TKeptCopies>(model_);
    lastCopy_.clear();
    if (action == TFileAction::Link)
      WalkSets(mode);
    else
      WalkFiles(action, mode, destination, touched.get());
    copies_.reset();
    lastCopy_.clear();
  }

  if (!cancel_.load() && touched) {
    SetStatus(Str(strFindingEmptyDirs));
    Pump();
    touched->DeleteEmpty(presenter_);
  }
  touched.reset();

  presenter_.LogMsg(logOperationCompleted);
  const int32_t count = list_.ItemCount();
  if (model_.results.focused >= count) model_.results.focused = count - 1;
  if (model_.results.topRow >= count) model_.results.topRow = count > 0 ? count - 1 : 0;
  host_.ResultsChanged();
  SetStatus(Str(strIdle));
  if (failed_ && Ask(mode, texts.endQuestion, {}, ansNo, ansNo) == ansYes) host_.ShowLog(true);
  TidyUp(mode);
  list_.Recount();
  model_.busy = false;
  model_.listLocked = false;
  host_.SetBusy(false, false);
  return !failed_;
}

void TFileActions::TidyUp(uint8_t mode) {
  if (listFromCriteriaScan_) {
    std::unordered_map<uint32_t, int32_t> sizes;
    for (const TResultEntry* e : list_.Items()) ++sizes[e->Set];
    bool single = false;
    for (const auto& [set, n] : sizes) single = single || n == 1;
    if (single && Ask(mode, askTidyUpResultList, {}, ansYes, ansYes) == ansYes)
      list_.DeleteWhere([&sizes](const TResultEntry& e) { return sizes[e.Set] == 1; });
  }
  ReshadeByGrouping(list_, list_.GroupingMode());
  const int32_t count = list_.ItemCount();
  if (model_.results.focused >= count) model_.results.focused = count - 1;
  if (model_.results.topRow >= count) model_.results.topRow = count > 0 ? count - 1 : 0;
  host_.ResultsChanged();
}

// --- is the file still the one of the list? -------------------------------

TFileActions::TFileState TFileActions::FileState(const TResultEntry& entry) {
  platform::FindData fd;
  platform::OsError err;
  if (!platform::GetFileInfo(entry.FullName(), fd, err))
    return err.kind == platform::ErrKind::NotFound || err.kind == platform::ErrKind::PathNotFound
               ? TFileState::Gone
               : TFileState::Changed;
  if (fd.IsFolder() || fd.isLink || fd.isSpecial) return TFileState::Changed;
  if (fd.size != entry.Size) return TFileState::Changed;
  // In UTC where the entry knows it (a change of time zone since the scan
  // changes no file); else as the scan kept it, in local time.
  const platform::FileTime utc = entry.TimeUtc();
  const bool sameTime = utc != 0 ? SameTime(utc, fd.lastWriteUtc)
                                 : SameTime(entry.Time, platform::UtcToLocal(fd.lastWriteUtc));
  return sameTime ? TFileState::Same : TFileState::Changed;
}

TFileActions::TFileState TFileActions::CheckFile(const TResultEntry& entry) {
  const std::string full = entry.FullName();
  const TFileState state = FileState(entry);
  if (state == TFileState::Same) return state;
  presenter_.LogMsg(state == TFileState::Gone ? logFileGone : logFileChanged, {TFmtArg(full)});
  failed_ = true;
  return state;
}

std::vector<const TResultEntry*> TFileActions::KeptEntries(const TResultEntry& entry) const {
  std::vector<const TResultEntry*> kept;
  for (const TResultEntry* e = list_.SetHead(static_cast<int32_t>(entry.Set)); e; e = e->Next)
    if (e != &entry && !e->IsChecked()) kept.push_back(e);
  return kept;
}

bool TFileActions::CopyLeft(const TResultEntry& entry) {
  std::vector<const TResultEntry*> kept = KeptEntries(entry);
  // The copy that served the set's last file first: usually it serves again.
  if (const auto last = lastCopy_.find(entry.Set); last != lastCopy_.end()) {
    const auto at = std::find(kept.begin(), kept.end(), last->second);
    if (at != kept.end()) std::rotate(kept.begin(), at, at + 1);
  }
  std::string why;
  if (const TResultEntry* copy = copies_->Find(entry, kept, why)) {
    lastCopy_[entry.Set] = copy;
    return true;
  }
  presenter_.LogMsg(logNoKeptCopy, {TFmtArg(entry.FullName()), TFmtArg(why)});
  failed_ = true;
  return false;
}

// --- delete, recycle, move -------------------------------------------------

void TFileActions::WalkFiles(TFileAction action, uint8_t mode, const std::string& destination,
                             TZWTouchedDirectories* touched) {
  int32_t i = 0;
  while (i < list_.ItemCount()) {
    if (cancel_.load()) break;
    TResultEntry* entry = list_.Item(i);
    if (!entry->IsChecked()) {
      ++i;
      continue;
    }
    bool done = false;
    if (CheckFile(*entry) == TFileState::Same && CopyLeft(*entry)) {
      switch (action) {
        case TFileAction::Delete: done = DeleteOne(*entry); break;
        case TFileAction::Recycle: done = RecycleOne(*entry); break;
        case TFileAction::Move: done = MoveOne(mode, *entry, destination); break;
        case TFileAction::Link: break;
      }
    }
    if (done) {
      if (touched) touched->Add(entry->Path);
      list_.DeleteFromSet(i);  // the next entry moves up to i
    } else {
      ++i;
    }
    Advance();
  }
}

bool TFileActions::DeleteOne(const TResultEntry& entry) {
  const std::string full = entry.FullName();
  platform::OsError err;
  uint32_t attributes = 0;
  const bool haveAttributes = platform::GetAttributes(full, attributes, err);
  platform::SetAttributes(full, 0, err);
  if (platform::RemoveFile(full, err)) return true;
  platform::OsError restoreErr;
  if (haveAttributes) platform::SetAttributes(full, attributes, restoreErr);
  presenter_.LogMsg(logIOErrorOnDelete, {TFmtArg(full), TFmtArg(int64_t{err.code})});
  failed_ = true;
  return false;
}

bool TFileActions::RecycleOne(const TResultEntry& entry) {
  const std::string full = entry.FullName();
  platform::OsError err;
  if (platform::MoveToTrash(full, err)) return true;
  presenter_.LogMsg(logIOErrorOnRecycle, {TFmtArg(full), TFmtArg(int64_t{err.code})});
  failed_ = true;
  return false;
}

bool TFileActions::MoveOne(uint8_t mode, const TResultEntry& entry,
                           const std::string& destination) {
  const std::string full = entry.FullName();
  // A path with "." or ".." parts must not lead out of the destination.
  std::string sourceFolder = platform::FullPath(entry.Path);
  if (sourceFolder.empty()) sourceFolder = entry.Path;
  const std::string folder = MoveTargetFolder(destination, sourceFolder);
  platform::OsError err;
  if (platform::CreateFolders(folder, err) &&
      platform::RenameNoReplace(full, folder + entry.Name, err))
    return true;

  const TFmtArgs failure{TFmtArg(full), TFmtArg(int64_t{err.code})};
  switch (err.kind) {
    case platform::ErrKind::AccessDenied:
    case platform::ErrKind::WriteProtected:
    case platform::ErrKind::NotReady:
      // Logged in any case, so that the log names every file left behind.
      presenter_.LogMsg(logIOErrorOnMove, failure);
      failed_ = true;
      if (!writeAllowed_) {
        if (Ask(mode, askDestinationNoWrite, {}, ansNo, ansNo) == ansYes)
          writeAllowed_ = true;
        else
          cancel_.store(true);
      }
      return false;
    case platform::ErrKind::DiskFull:
      // No further file fits; the file is reported, so that the action does
      // not pass for a success.
      presenter_.LogMsg(logIOErrorOnMove, failure);
      failed_ = true;
      list_.Recount();
      if (mode == cmInteractive)
        presenter_.ShowMsg(msgMoveDiskFull, {TFmtArg(SizeText(list_.CheckedSize()))});
      cancel_.store(true);
      return false;
    case platform::ErrKind::Aborted:
      cancel_.store(true);
      return false;
    default:
      presenter_.LogMsg(logIOErrorOnMove, failure);
      failed_ = true;
      return false;
  }
}

// --- replace by shortcut ---------------------------------------------------

int TFileActions::AskLinkToArchive(uint8_t mode) {
  constexpr int kLink = 0, kSkip = 1, kCancel = 2;
  const std::vector<TStrID> buttons{lblLinkToArchive1, lblLinkToArchive2, lblCancel};
  if (mode == cmUnattended || (mode == cmInteractive && presenter_.Unattended())) {
    presenter_.LogText(mbIconQuestion | mbYesNoCancel,
                       Str(askLinkToArchive) + " [" + Str(lblLinkToArchive2) + "]");
    return kSkip;
  }
  const int index =
      mode == cmCountdown
          ? presenter_.AskButtonsCountdown(askLinkToArchive, {}, strConfirmation, icoQuestion,
                                           buttons, kSkip, kCountdownSeconds)
          : presenter_.AskButtons(askLinkToArchive, {}, strConfirmation, icoQuestion, buttons,
                                  kSkip);
  if (index == kLink || index == kCancel) return index;
  return kSkip;
}

void TFileActions::WalkSets(uint8_t mode) {
  // The sets, each with its entries in walking order: by neighbouring runs
  // when the list is grouped by sets, else along the sets' chains.
  std::vector<std::vector<TResultEntry*>> sets;
  if (list_.GroupingMode() == kGroupByDupeSets) {
    const auto items = list_.Items();
    for (size_t i = 0; i < items.size(); ++i) {
      if (i == 0 || items[i]->Set != items[i - 1]->Set) sets.emplace_back();
      sets.back().push_back(items[i]);
    }
  } else {
    for (int32_t s = 0; s < list_.SetCount(); ++s) {
      std::vector<TResultEntry*> set;
      for (TResultEntry* e = list_.SetHead(s); e; e = e->Next) set.push_back(e);
      if (!set.empty()) sets.push_back(std::move(set));
    }
  }

  enum { kUndecided, kLinkArchives, kSkipArchives } archives = kUndecided;
  for (const auto& set : sets) {
    if (cancel_.load()) break;
    bool anyChecked = false;
    for (const TResultEntry* e : set) anyChecked = anyChecked || e->IsChecked();
    if (!anyChecked) continue;

    // Targets in the set's walking order: the unchecked entries on disk; and
    // when there are none, the ZIP members passed over on the way (the
    // shortcut then points at the archive). A set left with nothing to
    // point at is skipped, as the question before the action said.
    std::vector<const TResultEntry*> onDisk, zipMembers;
    for (const TResultEntry* e : set) {
      if (!e->IsChecked() && !e->InArchive())
        onDisk.push_back(e);
      else if ((e->Flags & reflag::kInZip) != 0)
        zipMembers.push_back(e);
    }
    if (onDisk.empty()) {
      if (zipMembers.empty()) continue;
      if (archives == kUndecided) {
        const int answer = AskLinkToArchive(mode);
        if (answer == 2) {
          cancel_.store(true);
          break;
        }
        archives = answer == 0 ? kLinkArchives : kSkipArchives;
      }
      if (archives == kSkipArchives) continue;
    }

    for (TResultEntry* entry : set) {
      if (!entry->IsChecked()) continue;
      if (cancel_.load()) break;
      const std::string full = entry->FullName();
      if (CheckFile(*entry) != TFileState::Same) {
        Advance();
        continue;
      }
      // The target must prove, now, to hold the file's bytes.
      std::string why;
      const TResultEntry* target = onDisk.empty()
                                       ? copies_->Find(*entry, zipMembers, why, true, false)
                                       : copies_->Find(*entry, onDisk, why, false, false);
      std::string targetPath;
      if (target && !target->InArchive()) {
        targetPath = target->FullName();
      } else if (target) {
        std::string inner;
        const std::vector<std::string> archivePaths = copies_->ContainerPaths(*target, inner);
        if (!archivePaths.empty()) targetPath = archivePaths.front();
      }
      if (targetPath.empty()) {
        presenter_.LogMsg(logNoKeptCopy,
                          {TFmtArg(full), TFmtArg(why.empty() ? Str(strWhyNoSameBytes) : why)});
        failed_ = true;
      } else {
        std::string linkPath;
        platform::OsError err;
        if (platform::ReplaceByShortcut(full, targetPath, linkPath, err)) {
          RemoveEntry(entry);
        } else {
          presenter_.LogMsg(logIOErrorOnLink, {TFmtArg(full), TFmtArg(int64_t{err.code})});
          failed_ = true;
        }
      }
      Advance();
    }
  }
}

}  // namespace zw
