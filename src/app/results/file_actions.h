// The file actions on the checked entries of the result list: delete, move
// to the recycle bin, move into a destination folder (keeping the folder
// structure) and replace by a shortcut to a remaining duplicate.
//
// Each action confirms, then handles the checked entries one by one on the
// calling (window) thread while the window is busy, logs every failure and
// removes each handled entry from the result list at once, so that an
// interrupted action leaves exactly the unhandled entries, still checked.
// Afterwards it offers the folders left empty for deletion (not after
// replacing by shortcuts) and the single leftovers of sets for removal from
// the list.
//
// A file is only touched while it is still the file the list describes (its
// size and last-write time are those of the entry) and while, at that
// moment, an unchecked entry of its set proves to be another file with the
// same bytes (TKeptCopies; for a shortcut, its target is such a copy). A
// file that changed, vanished or has no proven copy is left alone, logged
// as an error and counted as a failure; its entry stays.
#pragma once
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "app/host.h"
#include "app/log/scan_log.h"
#include "app/results/file_action_types.h"
#include "app/results/kept_copies.h"
#include "app/messages/msg_presenter.h"
#include "app/window_model.h"
#include "engine/common/messages.h"
#include "engine/dupes/result_list.h"
#include "platform/filetime.h"

namespace zw {

class TZWTouchedDirectories;

class TFileActions {
 public:
  // Seconds of the countdown boxes in countdown mode.
  static constexpr int kCountdownSeconds = 30;

  TFileActions(IHost& host, TMsgPresenter& presenter, TZWLog& log, TWindowModel& model,
               TResultList& list);
  ~TFileActions();
  TFileActions(const TFileActions&) = delete;
  TFileActions& operator=(const TFileActions&) = delete;

  // Runs an action on the checked files. `mode` is a TConfirmMode; a move
  // with an empty `destination` lets the user pick the folder. True when
  // every file it handled succeeded, false when it was declined, had
  // nothing to do, or a file failed.
  bool Run(TFileAction action, uint8_t mode, const std::string& destination = {});
  // The four toolbar buttons.
  bool Delete(uint8_t mode) { return Run(TFileAction::Delete, mode); }
  bool Recycle(uint8_t mode) { return Run(TFileAction::Recycle, mode); }
  bool Move(uint8_t mode, const std::string& destination) {
    return Run(TFileAction::Move, mode, destination);
  }
  bool ReplaceByShortcut(uint8_t mode) { return Run(TFileAction::Link, mode); }

  // The Cancel button: the running action stops before its next entry.
  // Cleared when an action starts its work.
  void RequestCancel() { cancel_.store(true); }
  bool CancelRequested() const { return cancel_.load(); }

  // Called after each handled entry and before the empty-folder search, so
  // the window can process pending messages (the Cancel button, repainting).
  std::function<void()> processMessages;

  // A command-line script is running (the presenter's flag): no
  // empty-folder search, which would ask about each folder.
  bool ScriptExecuting() const;
  // The list came from a scan with at least one comparison criterion: only
  // then is the removal of single leftovers offered.
  void SetListFromCriteriaScan(bool fromScan) { listFromCriteriaScan_ = fromScan; }
  bool ListFromCriteriaScan() const { return listFromCriteriaScan_; }

  // The folder a file of folder `path` is moved into below `destination`
  // (with trailing separator): POSIX destination + path without its leading
  // "/"; Windows destination + path without its first ":" and then its
  // first "\\" (C:\Data\ -> dest\C\Data\, \\server\share\ -> dest\server\share\).
  static std::string MoveTargetFolder(const std::string& destination, const std::string& path);
  // Whether a file's last-write time is the entry's time (both local or
  // both UTC). An entry time of whole milliseconds (a date restored from its
  // calendar form) matches any time within that millisecond.
  static bool SameTime(platform::FileTime entryTime, platform::FileTime fileTime);

 private:
  enum class TFileState { Same, Changed, Gone };
  struct TTexts;
  static const TTexts& TextsOf(TFileAction action);

  // Asks a question by the confirmation mode; `interactiveDefault` is the
  // default passed to the presenter in interactive mode.
  int Ask(uint8_t mode, TMsgID id, const TFmtArgs& args, int defaultAnswer,
          int interactiveDefault);
  // The first set (by number) that the action would leave without a copy,
  // or -1.
  int32_t FirstSetWithoutEntryLeft(bool forLinks) const;
  void FocusSet(int32_t set);
  bool PrepareDestination(uint8_t mode, const std::string& given, std::string& destination);
  void SetStatus(const std::string& text);
  void Advance();
  void Pump();

  // Per file; true when the file was handled and its entry may go.
  bool DeleteOne(const TResultEntry& entry);
  bool RecycleOne(const TResultEntry& entry);
  bool MoveOne(uint8_t mode, const TResultEntry& entry, const std::string& destination);
  // Walks the list (files in list order) for Delete, Recycle and Move.
  void WalkFiles(TFileAction action, uint8_t mode, const std::string& destination,
                 TZWTouchedDirectories* touched);
  // Walks the sets for Replace by shortcut.
  void WalkSets(uint8_t mode);
  // 0 link to the archive, 1 skip such sets, 2 cancel.
  int AskLinkToArchive(uint8_t mode);

  // Whether the file still is what the entry describes; logs it when not.
  TFileState CheckFile(const TResultEntry& entry);
  // The unchecked entries of the entry's set, in the set's order.
  std::vector<const TResultEntry*> KeptEntries(const TResultEntry& entry) const;
  // Whether an unchecked entry of the set proves to be a copy of the file
  // (the one that did last for this set is tried first). Logs and counts
  // the failure when none does.
  bool CopyLeft(const TResultEntry& entry);
  static TFileState FileState(const TResultEntry& entry);
  void RemoveEntry(TResultEntry* entry);
  void TidyUp(uint8_t mode);
  std::string SizeText(uint64_t bytes) const;

  IHost& host_;
  TMsgPresenter& presenter_;
  TZWLog& log_;
  TWindowModel& model_;
  TResultList& list_;
  std::atomic<bool> cancel_{false};
  bool listFromCriteriaScan_ = false;

  // State of the running action.
  bool failed_ = false;
  std::unique_ptr<TKeptCopies> copies_;                        // during one action
  std::unordered_map<uint32_t, const TResultEntry*> lastCopy_;  // by set
  bool writeAllowed_ = false;  // the write-permission question was answered Yes
  int32_t progressTotal_ = 0;
  int32_t progress_ = 0;
};

}  // namespace zw
