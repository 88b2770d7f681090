#include "app/results/result_drag.h"

#include <algorithm>
#include <unordered_set>

#include "app/results/result_view.h"
#include "platform/errors.h"
#include "platform/files.h"

namespace zw {

namespace {

void Deselect(TResultEntry& e) {
  e.Flags = static_cast<uint8_t>((e.Flags & ~reflag::kSelected) | kDragDeselected);
}

// Only a file the system reports as missing is gone; a file that cannot be
// looked at for another reason may still be there.
bool FileGone(const TResultEntry& e) {
  platform::FindData fd;
  platform::OsError err;
  if (platform::GetFileInfo(e.FullName(), fd, err)) return false;
  return err.kind == platform::ErrKind::NotFound || err.kind == platform::ErrKind::PathNotFound;
}

}  // namespace

TDragOutStart BeginDragOut(TResultList& list, int32_t startRow, bool ctrl,
                           const std::function<bool(const std::string& fullName)>& add) {
  TResultList::TGuard guard(list);
  TDragOutStart start;
  const auto items = list.MutableItems();
  const int32_t selected = SelectedEntryCount(list);
  if (selected == 1) {
    const TResultEntry* e = list.Item(startRow);
    if (e && !e->InArchive() && add(e->FullName())) start.files = 1;
    return start;
  }
  if (selected > kDragLimitWithoutCtrl && !ctrl) {
    start.tooMany = true;
    return start;
  }
  for (TResultEntry* e : items) {
    if (!(e->Flags & reflag::kSelected)) continue;
    if (!e->InArchive() && add(e->FullName())) {
      ++start.files;
    } else {
      Deselect(*e);
      start.someRefused = true;
    }
  }
  return start;
}

void EndDragOut(TResultList& list) {
  TResultList::TGuard guard(list);
  for (TResultEntry* e : list.MutableItems())
    if (e->Flags & kDragDeselected)
      e->Flags = static_cast<uint8_t>((e->Flags & ~kDragDeselected) | reflag::kSelected);
}

int32_t SelectedEntryCount(TResultList& list) {
  TResultList::TGuard guard(list);
  int32_t selected = 0;
  for (const TResultEntry* e : list.Items())
    if (e->Flags & reflag::kSelected) ++selected;
  return selected;
}

int32_t LastSelectedRow(TResultList& list) {
  TResultList::TGuard guard(list);
  const auto items = list.Items();
  for (size_t i = items.size(); i-- > 0;)
    if (items[i]->Flags & (reflag::kSelected | kDragDeselected)) return static_cast<int32_t>(i);
  return -1;
}

int32_t DragImageRows(int32_t lastSelectedRow, int32_t topRow, int32_t visibleRows,
                      int32_t count) {
  const int64_t rows = int64_t{std::max(lastSelectedRow, topRow)} + 1 + std::max(visibleRows, 0);
  return static_cast<int32_t>(std::clamp<int64_t>(rows, 0, std::max(count, 0)));
}

bool DragImageWanted(int32_t rows, int32_t files) {
  return rows < 1500 || (rows < 7500 && files >= 2);
}

int32_t RemoveMovedEntries(TResultList& list) {
  TResultList::TGuard guard(list);
  // Looked at before anything changes: the uncheck keeps the counts right.
  std::unordered_set<const TResultEntry*> gone;
  for (TResultEntry* e : list.MutableItems())
    if ((e->Flags & reflag::kSelected) && FileGone(*e)) {
      list.Uncheck(e);
      gone.insert(e);
    }
  if (gone.empty()) return 0;
  const int32_t removed = list.DeleteWhere([&gone](const TResultEntry& e) { return gone.count(&e) != 0; });
  ReshadeByGrouping(list, list.GroupingMode());
  return removed;
}

}  // namespace zw
