// Files dragged out of the result list: which entries go into the drag,
// whether the drag image is worth building, and which entries leave the list
// once the target reports that it moved the files away. The drag itself
// never deletes, moves or copies a file: the shell or the target program
// does; the list only stops showing files that are gone.
#pragma once
#include <cstdint>
#include <functional>
#include <string>

#include "engine/dupes/result_list.h"

namespace zw {

// An entry that was selected but cannot be dragged (inside an archive or
// catalog, or refused by the data object) carries this flag instead of
// reflag::kSelected while the drag runs.
inline constexpr uint8_t kDragDeselected = 0x80;
// More selected entries than this are dragged only with Ctrl held.
inline constexpr int32_t kDragLimitWithoutCtrl = 1000;

struct TDragOutStart {
  bool tooMany = false;         // refused: strDraggingTooMany
  bool someRefused = false;     // strSomeFilesNotDraggable
  int32_t files = 0;            // names the data object accepted
};

// Fills the drag's data object through `add` (true: the name was taken).
// With exactly one selected entry only the entry at `startRow` counts (an
// ordinary one, not inside an archive or catalog). With several: more than
// kDragLimitWithoutCtrl without Ctrl refuses the drag; otherwise each
// selected entry is offered, and the ones inside an archive or catalog or
// refused by `add` are deselected for the drag (kDragDeselected). Takes
// the list's lock. End the drag with EndDragOut in any case.
TDragOutStart BeginDragOut(TResultList& list, int32_t startRow, bool ctrl,
                           const std::function<bool(const std::string& fullName)>& add);
// The entries deselected for the drag are selected again.
void EndDragOut(TResultList& list);

// How many entries are selected, and the last row that is selected (also
// one deselected for the drag; -1 when none). Both take the list's lock.
int32_t SelectedEntryCount(TResultList& list);
int32_t LastSelectedRow(TResultList& list);

// Rows the drag image is built from: the larger of (last selected row + 1)
// and (top row + 1), plus the visible rows, at most `count`.
int32_t DragImageRows(int32_t lastSelectedRow, int32_t topRow, int32_t visibleRows,
                      int32_t count);
// The image is built below 1500 rows, or below 7500 with two or more files.
bool DragImageWanted(int32_t rows, int32_t files);
// Building it takes long enough to show the drag cursor meanwhile.
inline bool DragImageShowsCursor(int32_t rows) { return rows > 1000; }

// After a drag that moved the files away (DragMovedAway): every selected
// entry whose file is gone from its place is unchecked and removed, and the
// set shading is recomputed. The entry of a file that is still there stays
// (a target may report a move and fail, or copy the file only), and so does
// one whose file cannot be looked at. Takes the list's lock. Returns how
// many entries were removed.
int32_t RemoveMovedEntries(TResultList& list);

}  // namespace zw
