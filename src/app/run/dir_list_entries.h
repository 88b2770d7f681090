// What drag and drop carries and decides without a screen: the folder-list
// entries format (rows dragged between the two folder lists), the state a
// row dropped with the right mouse button gets, the drop effect a target
// offers for the keys held, and the outcome a finished drag reports.
#pragma once
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "app/window_model.h"

namespace zw {

// Name of the clipboard format of folder-list rows.
inline constexpr const char kDirListEntriesFormat[] = "ZwilloPro DirListEntries";

// One folder-list row as a drag carries it.
struct TDirListEntry {
  uint16_t state = 0;
  std::string path;
  bool operator==(const TDirListEntry&) const = default;
};

// The format, little-endian and packed: 4 bytes the number of entries, then
// per entry 2 bytes state, 4 bytes the length of the path with its NUL, and
// the path with the NUL.
std::vector<uint8_t> EncodeDirListEntries(const std::vector<TDirListEntry>& entries);
// nullopt for data that is cut short, a length of 0, a path whose NUL is
// not at its end, or more entries than the data can hold. Bytes after the
// last entry are ignored (a clipboard block may be rounded up).
std::optional<std::vector<TDirListEntry>> DecodeDirListEntries(std::span<const uint8_t> data);

// A row dragged with the right mouse button: single and recursive rows
// become excluded, an excluded row becomes recursive; others stay.
uint16_t RightButtonDropState(uint16_t state);

// The system's drop effects.
enum : uint32_t { kDropNone = 0, kDropCopy = 1, kDropMove = 2, kDropLink = 4 };

// The effect a target offers while dragged over: Ctrl+Shift gives link (when
// allowed), Ctrl copy (when allowed), Shift move (when allowed); otherwise
// the preferred effect when allowed, else move, copy, link, in this order.
// kDropNone when nothing is allowed.
uint32_t ChooseDropEffect(bool ctrl, bool shift, uint32_t allowed, uint32_t preferred);
// The same for the folder lists, which never link: a link becomes copy, or
// move when copy is not allowed (kDropNone when neither is).
uint32_t FolderListDropEffect(bool ctrl, bool shift, uint32_t allowed, uint32_t preferred);
// The effect a folder list prefers: move for a left-button drag that
// started in one of the two folder lists, copy for any other.
uint32_t FolderListPreferredEffect(bool fromFolderList, bool rightButton);

// A drop on a folder list: what the list does, and the effect it tells the
// drag's source. Only a row dragged from the program's own folder lists
// moves (it leaves its list), though its drag never offers move to anyone
// else; anything else dropped only adds rows. The source is never told of a
// move: a source told so deletes what it dragged, and a folder dragged in
// from a file manager with Shift would be gone. Both kDropNone when the drop
// is refused (the source allows no copy).
struct TFolderListDrop {
  uint32_t action = kDropNone;
  uint32_t reported = kDropNone;
};
TFolderListDrop DecideFolderListDrop(bool ctrl, bool shift, uint32_t allowed, bool ownRow,
                                     bool rightButton);

// What became of a finished drag.
enum class TDragOutcome : uint8_t { None = 0, Copied = 1, Moved = 2, Linked = 3, Recycled = 4 };

// Decodes the outcome from the data the target left in the data object
// (each empty when absent): "TargetCLSID" equal to the Recycle Bin's class
// gives Recycled; otherwise the DWORD of "Logical Performed DropEffect", or
// without it of "Performed DropEffect": 1 Copied, 2 Moved, 4 Linked,
// anything else None. A block too short for its value counts as absent.
TDragOutcome DecodeDragOutcome(std::span<const uint8_t> targetClsid,
                               std::span<const uint8_t> logicalPerformed,
                               std::span<const uint8_t> performed);

// Whether the dragged things left their place: the outcome is Moved or
// Recycled, or nothing was reported and the returned effect includes move.
// A drop that copied or linked leaves them. `dropped` false: never.
bool DragMovedAway(bool dropped, TDragOutcome outcome, uint32_t effect);

// The row of a folder list that a folder list took as a move (to the
// other list or to another place in its own): removed only while it still holds the dragged entry (the
// drop may have changed the lists); the selection and the row to scroll to
// stay on their rows. True when it was removed.
bool RemoveDraggedFolderRow(TWindowModel& model, TFolderList list, int32_t row,
                            const TDirListEntry& dragged);

}  // namespace zw
