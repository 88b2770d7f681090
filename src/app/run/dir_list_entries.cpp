#include "app/run/dir_list_entries.h"

#include <cstring>

namespace zw {

namespace {

void Put(std::vector<uint8_t>& out, uint32_t value, int width) {
  for (int i = 0; i < width; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

uint32_t Get(std::span<const uint8_t> data, size_t at, int width) {
  uint32_t value = 0;
  for (int i = 0; i < width; ++i) value |= static_cast<uint32_t>(data[at + i]) << (8 * i);
  return value;
}

// The Recycle Bin's class {645FF040-5081-101B-9F08-00AA002F954E} as the
// bytes of a CLSID in memory.
constexpr uint8_t kRecycleBinClsid[16] = {0x40, 0xF0, 0x5F, 0x64, 0x81, 0x50, 0x1B, 0x10,
                                          0x9F, 0x08, 0x00, 0xAA, 0x00, 0x2F, 0x95, 0x4E};

}  // namespace

std::vector<uint8_t> EncodeDirListEntries(const std::vector<TDirListEntry>& entries) {
  std::vector<uint8_t> out;
  Put(out, static_cast<uint32_t>(entries.size()), 4);
  for (const TDirListEntry& e : entries) {
    // A path is a C string in the format: it ends at its first NUL.
    const std::string path(e.path.c_str());
    Put(out, e.state, 2);
    Put(out, static_cast<uint32_t>(path.size() + 1), 4);
    out.insert(out.end(), path.begin(), path.end());
    out.push_back(0);
  }
  return out;
}

std::optional<std::vector<TDirListEntry>> DecodeDirListEntries(std::span<const uint8_t> data) {
  if (data.size() < 4) return std::nullopt;
  const uint32_t count = Get(data, 0, 4);
  // Each entry takes at least 7 bytes: no count beyond what the data holds.
  if (count > (data.size() - 4) / 7) return std::nullopt;
  std::vector<TDirListEntry> entries;
  entries.reserve(count);
  size_t at = 4;
  for (uint32_t i = 0; i < count; ++i) {
    if (data.size() - at < 6) return std::nullopt;
    TDirListEntry e;
    e.state = static_cast<uint16_t>(Get(data, at, 2));
    const uint32_t length = Get(data, at + 2, 4);
    at += 6;
    if (length == 0 || length > data.size() - at) return std::nullopt;
    const auto* text = reinterpret_cast<const char*>(data.data() + at);
    if (text[length - 1] != '\0' || std::memchr(text, 0, length - 1) != nullptr)
      return std::nullopt;
    e.path.assign(text, length - 1);
    at += length;
    entries.push_back(std::move(e));
  }
  return entries;
}

uint16_t RightButtonDropState(uint16_t state) {
  if (state < 2) return 2;
  if (state == 2) return 1;
  return state;
}

uint32_t ChooseDropEffect(bool ctrl, bool shift, uint32_t allowed, uint32_t preferred) {
  if (ctrl && shift && (allowed & kDropLink)) return kDropLink;
  if (ctrl && !shift && (allowed & kDropCopy)) return kDropCopy;
  if (shift && !ctrl && (allowed & kDropMove)) return kDropMove;
  if (preferred != kDropNone && (allowed & preferred) == preferred) return preferred;
  for (uint32_t effect : {kDropMove, kDropCopy, kDropLink})
    if (allowed & effect) return effect;
  return kDropNone;
}

uint32_t FolderListDropEffect(bool ctrl, bool shift, uint32_t allowed, uint32_t preferred) {
  const uint32_t effect = ChooseDropEffect(ctrl, shift, allowed, preferred);
  if (effect != kDropLink) return effect;
  if (allowed & kDropCopy) return kDropCopy;
  if (allowed & kDropMove) return kDropMove;
  return kDropNone;
}

uint32_t FolderListPreferredEffect(bool fromFolderList, bool rightButton) {
  return fromFolderList && !rightButton ? kDropMove : kDropCopy;
}

TFolderListDrop DecideFolderListDrop(bool ctrl, bool shift, uint32_t allowed, bool ownRow,
                                     bool rightButton) {
  // A row of the program's own lists may move although its drag offers
  // only copy and link to the system.
  uint32_t action = FolderListDropEffect(ctrl, shift, ownRow ? allowed | kDropMove : allowed,
                                         FolderListPreferredEffect(ownRow, rightButton));
  if (action == kDropMove && !ownRow) action = kDropCopy;
  if (action == kDropNone || !(allowed & kDropCopy)) return {};
  return {action, kDropCopy};
}

TDragOutcome DecodeDragOutcome(std::span<const uint8_t> targetClsid,
                               std::span<const uint8_t> logicalPerformed,
                               std::span<const uint8_t> performed) {
  if (targetClsid.size() >= sizeof kRecycleBinClsid &&
      std::memcmp(targetClsid.data(), kRecycleBinClsid, sizeof kRecycleBinClsid) == 0)
    return TDragOutcome::Recycled;
  std::span<const uint8_t> value = logicalPerformed.size() >= 4 ? logicalPerformed : performed;
  if (value.size() < 4) return TDragOutcome::None;
  switch (Get(value, 0, 4)) {
    case kDropCopy: return TDragOutcome::Copied;
    case kDropMove: return TDragOutcome::Moved;
    case kDropLink: return TDragOutcome::Linked;
    default: return TDragOutcome::None;
  }
}

bool DragMovedAway(bool dropped, TDragOutcome outcome, uint32_t effect) {
  if (!dropped) return false;
  return outcome == TDragOutcome::Moved || outcome == TDragOutcome::Recycled ||
         (outcome == TDragOutcome::None && (effect & kDropMove) != 0);
}

bool RemoveDraggedFolderRow(TWindowModel& model, TFolderList list, int32_t row,
                            const TDirListEntry& dragged) {
  TFolderListModel& folders = model.Folders(list);
  if (row < 0 || row >= static_cast<int32_t>(folders.rows.size())) return false;
  const TDirRow& r = folders.rows[static_cast<size_t>(row)];
  if (r.caption != dragged.path || r.state != dragged.state) return false;
  folders.rows.erase(folders.rows.begin() + row);
  for (int32_t* index : {&folders.selected, &folders.scrollTo}) {
    if (*index == row)
      *index = -1;
    else if (*index > row)
      --*index;
  }
  return true;
}

}  // namespace zw
