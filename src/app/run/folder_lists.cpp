#include "app/run/folder_lists.h"

#include <algorithm>
#include <utility>

#include "engine/scan/mask.h"
#include "engine/scan/scan_job.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "app/text/string_table.h"
#include "app/text_ids.h"

namespace zw {

namespace {

constexpr TFolderList kBothLists[] = {TFolderList::Fresh, TFolderList::Library};

bool IsActiveFolderState(uint8_t state) { return state == dsSingle || state == dsRecursive; }

bool ValidRow(const TFolderListModel& list, int32_t row) {
  return row >= 0 && static_cast<size_t>(row) < list.rows.size();
}
bool ValidRow(const TMaskListModel& list, int32_t row) {
  return row >= 0 && static_cast<size_t>(row) < list.rows.size();
}

// Removes a row; a selection below it moves up with its row, a selection on
// it goes away.
void EraseFolderRow(TFolderListModel& list, size_t row) {
  list.rows.erase(list.rows.begin() + static_cast<std::ptrdiff_t>(row));
  const auto r = static_cast<int32_t>(row);
  if (list.selected == r) {
    list.selected = -1;
  } else if (list.selected > r) {
    --list.selected;
  }
  if (list.scrollTo >= static_cast<int32_t>(list.rows.size())) list.scrollTo = -1;
}

void EraseMaskRow(TMaskListModel& list, size_t row) {
  list.rows.erase(list.rows.begin() + static_cast<std::ptrdiff_t>(row));
  const auto r = static_cast<int32_t>(row);
  if (list.selected == r) {
    list.selected = -1;
  } else if (list.selected > r) {
    --list.selected;
  }
}

// Selects a row that a message is about, and makes the window show it
// before the message box appears.
void PointAtRow(TWindowModel& model, IHost& host, TFolderList list, int32_t row) {
  SelectFolderRow(model, list, row);
  host.ModelChanged();
  host.ShowFolderRow(list, row);
}

std::string LowerExt(std::string_view path) {
  return platform::LowerText(platform::ExtractFileExt(path));
}

bool IsArchiveOrCatalogName(std::string_view path) {
  const std::string ext = LowerExt(path);
  return ext == ".zwc" || ext == ".zip";
}

// A dropped path with a shortcut replaced by its target; nullopt when the
// shortcut cannot be resolved.
std::optional<std::string> DropTarget(std::string_view path, const TShortcutResolver& resolve) {
  std::string p(path);
  if (platform::LowerAscii(platform::ExtractFileExt(p)) != ".lnk") return p;
  if (!resolve) return std::nullopt;
  std::optional<std::string> target = resolve(p);
  if (!target || target->empty()) return std::nullopt;
  return target;
}

}  // namespace

TMaskListModel& MaskList(TWindowModel& model, TMaskListKind which) {
  return which == TMaskListKind::Limit ? model.limitMasks : model.excludeMasks;
}
const TMaskListModel& MaskList(const TWindowModel& model, TMaskListKind which) {
  return which == TMaskListKind::Limit ? model.limitMasks : model.excludeMasks;
}
TControl MaskEditControl(TMaskListKind which) {
  return which == TMaskListKind::Limit ? TControl::EditLiMa : TControl::EditExMa;
}
TControl FolderListControl(TFolderList which) {
  return which == TFolderList::Fresh ? TControl::CLBoxFo : TControl::ClBoxFo2;
}

// ---------------------------------------------------------------------------

std::string ResolvedPath(std::string_view path) {
  std::string resolved = platform::RealPath(path);
  if (resolved.empty()) resolved = platform::FullPath(path);
  if (resolved.empty()) resolved = std::string(path);
  return resolved;
}

bool SameFile(std::string_view a, std::string_view b) {
  if (platform::PathKey(platform::IncludeTrailingSep(ResolvedPath(a))) ==
      platform::PathKey(platform::IncludeTrailingSep(ResolvedPath(b))))
    return true;
  // One folder mounted twice has two names that no resolving unites.
  platform::FileId idA, idB;
  platform::OsError err;
  return platform::GetFileId(std::string(a), idA, err) &&
         platform::GetFileId(std::string(b), idB, err) && idA == idB;
}

bool SameFolder(std::string_view a, std::string_view b) { return SameFile(a, b); }

bool IsInsideFolder(std::string_view inner, std::string_view outer) {
  return platform::IsPathBelow(ResolvedPath(inner), ResolvedPath(outer)) &&
         !SameFolder(inner, outer);
}

bool IsCoveredInList(const TFolderListModel& list, std::string_view path) {
  const std::string resolved = ResolvedPath(path);
  for (const TDirRow& row : list.rows) {
    if (row.state == dsExclude && platform::IsPathBelow(resolved, ResolvedPath(row.caption)))
      return true;
  }
  return false;
}

std::string RowPath(std::string_view path) {
  std::string full = platform::FullPath(path);
  if (full.empty()) full = std::string(path);
  return platform::ExcludeTrailingSep(full);
}

// ---------------------------------------------------------------------------

void SelectFolderRow(TWindowModel& model, TFolderList list, int32_t row) {
  TFolderListModel& target = model.Folders(list);
  target.selected = ValidRow(target, row) ? row : -1;
  if (target.selected >= 0) {
    model.Folders(list == TFolderList::Fresh ? TFolderList::Library : TFolderList::Fresh)
        .selected = -1;
  }
}

bool SelectedFolderRow(const TWindowModel& model, TFolderList& list, int32_t& row) {
  for (TFolderList which : kBothLists) {
    const TFolderListModel& l = model.Folders(which);
    if (ValidRow(l, l.selected)) {
      list = which;
      row = l.selected;
      return true;
    }
  }
  return false;
}

// ---------------------------------------------------------------------------

bool AddFolder(TWindowModel& model, IHost& host, IMessenger& msgr, TFolderList list,
               std::string_view pathIn, int32_t position, bool replace, uint8_t state) {
  const std::string path = RowPath(pathIn);
  if (!platform::FolderExists(path)) {
    msgr.ShowMsg(msgDirNotFound, {path});
    return false;
  }

  bool changed = false;  // rows removed by `replace`
  bool checking = true;
  for (TFolderList which : kBothLists) {
    if (!checking) break;
    TFolderListModel& rows = model.Folders(which);
    size_t i = 0;
    while (checking && i < rows.rows.size()) {
      const TDirRow row = rows.rows[i];  // a copy: rows may be removed below
      if (!IsFolderState(row.state)) {
        ++i;
        continue;
      }
      if (SameFolder(row.caption, path)) {
        const bool conflict =
            (IsActiveFolderState(row.state) && IsActiveFolderState(state)) || which == list;
        if (!conflict) {
          ++i;
          continue;
        }
        if (!replace) {
          if (changed) host.ModelChanged();
          msgr.ShowMsg(msgAlreadyInList, {path});
          return false;
        }
        EraseFolderRow(rows, i);
        if (which == list && position > static_cast<int32_t>(i)) --position;
        changed = true;
        continue;  // the next row now has index i
      }
      const auto index = static_cast<int32_t>(i);
      if (row.state == dsRecursive && IsActiveFolderState(state) &&
          IsInsideFolder(path, row.caption) && !IsCoveredInList(rows, path)) {
        // The recursive row would browse the new folder already.
        PointAtRow(model, host, which, index);
        msgr.ShowMsg(msgNewFolderIsSubdirOfExisting, {path, row.caption});
        state = dsInactive;
        checking = false;
        break;
      }
      if (state == dsRecursive && IsActiveFolderState(row.state) &&
          IsInsideFolder(row.caption, path) && !IsCoveredInList(model.Folders(list), row.caption)) {
        // The new folder would browse the row's folder a second time.
        PointAtRow(model, host, which, index);
        msgr.ShowMsg(msgExistingFolderIsSubdirOfNew, {row.caption, path});
        state = dsSingle;
      }
      ++i;
    }
  }

  InsertRow(model, host, list, path, position, state);
  return true;
}

bool AddArchiveOrCatalog(TWindowModel& model, IHost& host, IMessenger& msgr, TFolderList list,
                         std::string_view pathIn, int32_t position, bool replace,
                         uint8_t state) {
  const std::string path(pathIn);
  if (!platform::FileExists(path)) {
    msgr.ShowMsg(msgCatNotFound, {path});
    return false;
  }
  bool changed = false;
  for (TFolderList which : kBothLists) {
    TFolderListModel& rows = model.Folders(which);
    for (size_t i = rows.rows.size(); i-- > 0;) {
      if (!SameFile(rows.rows[i].caption, path)) continue;
      if (!replace) {
        if (changed) host.ModelChanged();
        msgr.ShowMsg(msgAlreadyInList, {path});
        return false;
      }
      EraseFolderRow(rows, i);
      if (which == list && position > static_cast<int32_t>(i)) --position;
      changed = true;
    }
  }
  InsertRow(model, host, list, path, position, state);
  return true;
}

int32_t InsertRow(TWindowModel& model, IHost& host, TFolderList list, std::string_view path,
                  int32_t position, uint8_t state) {
  TFolderListModel& rows = model.Folders(list);
  const auto count = static_cast<int32_t>(rows.rows.size());
  const int32_t at = (position < 0 || position > count) ? count : position;
  rows.rows.insert(rows.rows.begin() + at, TDirRow{std::string(path), state});
  if (rows.selected >= at) ++rows.selected;
  rows.scrollTo = at;
  host.ModelChanged();
  return at;
}

bool IsAcceptableDrop(std::string_view path, const TShortcutResolver& resolve) {
  const std::optional<std::string> target = DropTarget(path, resolve);
  if (!target) return false;
  if (platform::FolderExists(*target)) return true;
  return platform::FileExists(*target) && IsArchiveOrCatalogName(*target);
}

bool AddDroppedPath(TWindowModel& model, IHost& host, IMessenger& msgr, TFolderList list,
                    std::string_view path, int32_t position, bool rightButton,
                    const TShortcutResolver& resolve) {
  const std::optional<std::string> target = DropTarget(path, resolve);
  if (!target) return false;
  if (platform::FolderExists(*target)) {
    return AddFolder(model, host, msgr, list, *target, position, false,
                     rightButton ? dsExclude : dsRecursive);
  }
  if (platform::FileExists(*target) && IsArchiveOrCatalogName(*target)) {
    return AddArchiveOrCatalog(model, host, msgr, list, *target, position, false, dsArchive);
  }
  return false;
}

bool OpenAddFolderDialog(TWindowModel& model, IHost& host, IMessenger& msgr,
                         const TAddFolderDialog& dialog, TFolderList list,
                         std::string_view path, uint8_t state) {
  TAddFolderChoice choice{list, std::string(path), state};
  if (!dialog(choice) || choice.path.empty()) return false;
  std::string full = platform::FullPath(choice.path);
  if (full.empty()) full = choice.path;
  return AddFolder(model, host, msgr, choice.list, full, kAppendRow, false, choice.state);
}

namespace {

// The host's folder picker as an add-folder dialog: it chooses the folder
// only.
TAddFolderDialog HostPicker(IHost& host) {
  return [&host](TAddFolderChoice& choice) {
    const std::optional<std::string> chosen = host.PickFolder("add folder", choice.path);
    if (!chosen) return false;
    choice.path = *chosen;
    return true;
  };
}

}  // namespace

bool OpenAddFolderDialog(TWindowModel& model, IHost& host, IMessenger& msgr, TFolderList list,
                         std::string_view path, uint8_t state) {
  return OpenAddFolderDialog(model, host, msgr, HostPicker(host), list, path, state);
}

bool AddFolderButton(TWindowModel& model, IHost& host, IMessenger& msgr,
                     const TAddFolderDialog& dialog) {
  TFolderList list = TFolderList::Fresh;
  int32_t row = -1;
  if (SelectedFolderRow(model, list, row)) {
    const TDirRow r = model.Folders(list).rows[static_cast<size_t>(row)];
    return OpenAddFolderDialog(model, host, msgr, dialog, list, r.caption, r.state);
  }
  return OpenAddFolderDialog(model, host, msgr, dialog, TFolderList::Fresh, "", dsRecursive);
}

bool AddFolderButton(TWindowModel& model, IHost& host, IMessenger& msgr) {
  return AddFolderButton(model, host, msgr, HostPicker(host));
}

bool AddFolderFromEmptyArea(TWindowModel& model, IHost& host, IMessenger& msgr,
                            const TAddFolderDialog& dialog, TFolderList list) {
  return OpenAddFolderDialog(model, host, msgr, dialog, list, "", dsRecursive);
}

bool AddFolderFromEmptyArea(TWindowModel& model, IHost& host, IMessenger& msgr,
                            TFolderList list) {
  return AddFolderFromEmptyArea(model, host, msgr, HostPicker(host), list);
}

std::string ArchiveDialogTitle() { return Str(lblAddCatfileCpt); }

std::string ArchiveDialogFilter() {
  return Str(lblAllSupportedFilter) + " (*.zwc, *.zip)|*.zwc;*.zip|" + Str(lblCatFilter) +
         " (.zwc)|*.zwc|" + Str(lblArchiveFilter) + "|*.zip";
}

TFolderEntry CheckFolderEntry(std::string_view text, bool typing) {
  TFolderEntry entry;
  if (text.empty()) return entry;
  entry.network = text.size() >= 2 && platform::IsPathSep(text[0]) && platform::IsPathSep(text[1]);
  entry.full = platform::FullPath(text);
  if (entry.full.empty()) entry.full = std::string(text);
  entry.valid = (entry.network && typing) || platform::FolderExists(entry.full);
  return entry;
}

int AddArchiveFiles(TWindowModel& model, IHost& host, IMessenger& msgr,
                    const std::vector<std::string>& files) {
  int added = 0;
  for (const std::string& file : files) {
    if (AddArchiveOrCatalog(model, host, msgr, TFolderList::Library, file, kAppendRow, false,
                            dsArchive)) {
      ++added;
    }
  }
  return added;
}

std::string ArchiveDialogFolder(const TWindowModel& model) {
  TFolderList list = TFolderList::Fresh;
  int32_t row = -1;
  if (SelectedFolderRow(model, list, row)) {
    const TDirRow& r = model.Folders(list).rows[static_cast<size_t>(row)];
    if (!IsFolderState(r.state)) return platform::ExtractFilePath(r.caption);
  }
  for (TFolderList which : kBothLists) {
    const auto& rows = model.Folders(which).rows;
    for (auto it = rows.rbegin(); it != rows.rend(); ++it) {
      if (!IsFolderState(it->state)) return platform::ExtractFilePath(it->caption);
    }
  }
  return {};
}

// ---------------------------------------------------------------------------

uint8_t CycleState(TWindowModel& model, IHost& host, TFolderList list, int32_t row,
                   bool backward) {
  TFolderListModel& rows = model.Folders(list);
  if (!ValidRow(rows, row)) return dsSingle;
  uint8_t& state = rows.rows[static_cast<size_t>(row)].state;
  if (IsFolderState(state)) {
    state = static_cast<uint8_t>(backward ? (state + 3) % 4 : (state + 1) % 4);
  } else {
    state = state == dsArchive ? dsArchiveInactive : dsArchive;
  }
  host.ModelChanged();
  return state;
}

TStrID StateHint(uint8_t state) {
  switch (state) {
    case dsSingle: return hntDirSimple;
    case dsRecursive: return hntDirRecursive;
    case dsExclude: return hntDirExclude;
    case dsInactive: return hntDirIgnore;
    case dsArchive: return hntCatSimple;
    case dsArchiveInactive: return hntCatIgnore;
    default: return strNone;
  }
}

bool RemoveSelectedFolder(TWindowModel& model, IHost& host) {
  TFolderList list = TFolderList::Fresh;
  int32_t row = -1;
  if (!SelectedFolderRow(model, list, row)) {
    for (TFolderList which : kBothLists) {
      if (!model.Folders(which).rows.empty()) {
        SelectFolderRow(model, which, 0);
        host.ModelChanged();
        break;
      }
    }
    return false;
  }
  TFolderListModel& rows = model.Folders(list);
  EraseFolderRow(rows, static_cast<size_t>(row));
  const auto count = static_cast<int32_t>(rows.rows.size());
  SelectFolderRow(model, list, std::min(row, count - 1));
  host.ModelChanged();
  return true;
}

bool RemoveFolderEnabled(const TWindowModel& model) {
  return !model.fresh.rows.empty() || !model.library.rows.empty();
}

// ---------------------------------------------------------------------------

bool AddMask(TWindowModel& model, IHost& host, IMessenger& msgr, TMaskListKind list,
             std::string_view mask, bool checked) {
  if (!TMask::IsValid(mask)) {
    msgr.ShowMsg(msgInvalidMask, {std::string(mask)});
    return false;
  }
  const std::string text = platform::LowerText(mask);
  TMaskListModel& masks = MaskList(model, list);
  auto found = std::find_if(masks.rows.begin(), masks.rows.end(), [&](const TMaskRow& r) {
    return platform::LowerText(r.text) == text;
  });
  if (found != masks.rows.end()) {
    // Already there: take the check mark asked for and move the row to the
    // end; a selection stays on its row.
    const auto index = static_cast<int32_t>(found - masks.rows.begin());
    TMaskRow row = *found;
    row.checked = checked;
    masks.rows.erase(found);
    masks.rows.push_back(std::move(row));
    const auto last = static_cast<int32_t>(masks.rows.size()) - 1;
    if (masks.selected == index) {
      masks.selected = last;
    } else if (masks.selected > index) {
      --masks.selected;
    }
  } else {
    masks.rows.push_back(TMaskRow{text, checked});
    if (!ValidRow(masks, masks.selected)) masks.selected = 0;
  }
  host.ModelChanged();
  return true;
}

bool LooksLikeBareExtension(std::string_view text) {
  if (text.size() < 2 || text.size() > 5 || text[0] != '.') return false;
  return text.substr(1).find_first_of(".*? ") == std::string_view::npos;
}

bool AddMaskFromEdit(TWindowModel& model, IHost& host, IMessenger& msgr, TMaskListKind list,
                     bool checked) {
  TMaskListModel& masks = MaskList(model, list);
  std::string text = masks.edit;
  if (text.empty()) return false;
  if (!TMask::IsValid(text)) {
    msgr.ShowMsg(msgInvalidMask, {text});
    return false;
  }
  if (LooksLikeBareExtension(text)) {
    const int answer = msgr.AskMsg(askCorrectMask, ansNo, {text});
    if (answer == ansYes) {
      text = "*" + text;
    } else if (answer != ansNo) {
      return false;  // Cancel: nothing is added, the edit keeps its text
    }
  }
  const bool added = AddMask(model, host, msgr, list, text, checked);
  masks.edit.clear();
  masks.editSelStart = 0;
  masks.editSelLength = 0;
  host.ModelChanged();
  return added;
}

void EditMaskRow(TWindowModel& model, IHost& host, TMaskListKind list, int32_t row) {
  TMaskListModel& masks = MaskList(model, list);
  if (!ValidRow(masks, row)) return;
  masks.edit = masks.rows[static_cast<size_t>(row)].text;
  EraseMaskRow(masks, static_cast<size_t>(row));
  masks.editSelStart = 0;
  masks.editSelLength = 0;
  host.ModelChanged();
  host.FocusControl(MaskEditControl(list));
}

int AddDroppedMaskFiles(TWindowModel& model, IHost& host, IMessenger& msgr, TMaskListKind list,
                        const std::vector<std::string>& files, bool shift) {
  int added = 0;
  for (const std::string& file : files) {
    const std::string name = platform::ExtractFileName(file);
    std::string mask;
    if (shift) {
      mask = name;
    } else {
      const std::string ext = platform::ExtractFileExt(name);
      if (ext.empty()) continue;
      mask = "*" + ext;
    }
    if (mask.empty()) continue;
    if (AddMask(model, host, msgr, list, mask, true)) ++added;
  }
  return added;
}

bool RemoveSelectedMask(TWindowModel& model, IHost& host, TMaskListKind list) {
  TMaskListModel& masks = MaskList(model, list);
  if (!ValidRow(masks, masks.selected)) {
    if (!masks.rows.empty()) {
      masks.selected = 0;
      host.ModelChanged();
    }
    return false;
  }
  const int32_t row = masks.selected;
  EraseMaskRow(masks, static_cast<size_t>(row));
  masks.selected = std::min(row, static_cast<int32_t>(masks.rows.size()) - 1);
  host.ModelChanged();
  return true;
}

bool RemoveMaskEnabled(const TWindowModel& model, TMaskListKind list) {
  return !MaskList(model, list).rows.empty();
}

void AskPendingMasks(TWindowModel& model, IHost& host, IMessenger& msgr) {
  for (TMaskListKind which : {TMaskListKind::Limit, TMaskListKind::Exclude}) {
    TMaskListModel& masks = MaskList(model, which);
    if (masks.edit.empty()) continue;
    masks.editSelStart = 0;
    masks.editSelLength = static_cast<int32_t>(masks.edit.size());
    host.ModelChanged();
    host.FocusControl(MaskEditControl(which));
    if (msgr.AskMsg(askAddMask, ansYes, {masks.edit}) == ansYes) {
      AddMaskFromEdit(model, host, msgr, which, true);
    }
  }
}

}  // namespace zw
