// The folder and mask lists of the scan options page: how rows get into the
// two folder lists ('fresh' and 'library') and the two mask lists (limit,
// exclude), how their states change and how they are removed.
//
// Adding a folder refuses, at once, the overlaps that would make a scan
// browse a folder twice (the complete check before a scan belongs to the run
// driver). The same add operations serve the buttons, the add-folder dialog,
// drag and drop, the stored settings and the script commands.
//
// Every operation works on the window model only; what needs a screen (the
// folder picker, making a row visible, focusing an edit) goes through IHost,
// and messages and questions through IMessenger by their identifiers. After
// a change the host is told ModelChanged().
//
// Paths compare by the platform's path identity (platform::PathKey):
// case-insensitive on Windows, exact bytes on POSIX.
#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/host.h"
#include "app/window_model.h"
#include "engine/common/messages.h"
#include "engine/common/text_ids.h"
#include "app/text_ids.h"

namespace zw {

// Position argument of the add operations: append at the end of the list.
constexpr int32_t kAppendRow = -1;

// Which of the two mask lists.
enum class TMaskListKind : uint8_t { Limit = 0, Exclude = 1 };  // CLBoxLiMa, CLBoxExMa

TMaskListModel& MaskList(TWindowModel& model, TMaskListKind which);
const TMaskListModel& MaskList(const TWindowModel& model, TMaskListKind which);
// The edit of a mask list (EditLiMa, EditExMa).
TControl MaskEditControl(TMaskListKind which);
// The list box control of a folder list (CLBoxFo, ClBoxFo2).
TControl FolderListControl(TFolderList which);

// Resolves a shell shortcut (".lnk") to its target; nullopt when it cannot.
using TShortcutResolver = std::function<std::optional<std::string>(const std::string& link)>;

// ---------------------------------------------------------------------------
// Path relations used by the overlap rules.

// The overlap rules look at folders as the file system names them: a path
// with its links resolved (platform::RealPath), or, for a path that does not
// exist, its full textual form.
std::string ResolvedPath(std::string_view path);
// The form a row keeps of a path the user gave: full (a relative path is
// taken from the current folder; "//", "/./" and ".." go), without trailing
// separator. Links are not resolved: the row shows the name the user chose.
std::string RowPath(std::string_view path);
// The same file or folder: by resolved path and platform path identity (a
// trailing separator on either side makes no difference), or by file
// identity (one folder mounted twice).
bool SameFile(std::string_view a, std::string_view b);
bool SameFolder(std::string_view a, std::string_view b);
// `inner` lies strictly below folder `outer` ("/a/b/c" is inside "/a/b",
// "/a/bc" is not, "/a/b" is not inside itself), both resolved.
bool IsInsideFolder(std::string_view inner, std::string_view outer);
// `path` is covered in the list: an exclude row of the list names the path
// itself or a folder it lies inside (both resolved).
bool IsCoveredInList(const TFolderListModel& list, std::string_view path);

// ---------------------------------------------------------------------------
// Selection. The two folder lists share one selection.

// Selects a row of one folder list and clears the selection of the other
// (row -1 clears the list's selection only).
void SelectFolderRow(TWindowModel& model, TFolderList list, int32_t row);
// The selected row: of the fresh list, else of the library list. False when
// neither list has a selected row.
bool SelectedFolderRow(const TWindowModel& model, TFolderList& list, int32_t& row);

// ---------------------------------------------------------------------------
// Adding folder rows.

// Adds a folder row (states 0..3). The row keeps RowPath(path) (a root such
// as "/" or "C:\" keeps its separator). A folder that does not exist
// gives msgDirNotFound. Then every row of the fresh list and then of the
// library list is checked:
//  - a folder row with the same path conflicts when both it and the new
//    state are active (single or recursive) or when it is in the target
//    list: with `replace` the row is removed, else msgAlreadyInList and
//    nothing is added;
//  - a recursive row that contains the new active folder, which no exclude
//    row of that row's list covers: the row is selected,
//    msgNewFolderIsSubdirOfExisting (new path, row path) is shown, and the
//    new folder is added inactive; the check ends;
//  - for a new recursive folder, an active row inside it that no exclude row
//    of the target list covers: the row is selected,
//    msgExistingFolderIsSubdirOfNew (row path, new path) is shown, and the
//    new folder becomes single; the check goes on.
// The row is then inserted at `position` (kAppendRow: at the end). True when
// a row was added (also with a changed state).
bool AddFolder(TWindowModel& model, IHost& host, IMessenger& msgr, TFolderList list,
               std::string_view path, int32_t position, bool replace, uint8_t state);

// Adds an archive or catalog row (state 4 or 5). A missing file gives
// msgCatNotFound. Rows with the same path in the fresh and then the library
// list (each looked at from the last row to the first) are removed with
// `replace`, else the first one found refuses the add with msgAlreadyInList.
bool AddArchiveOrCatalog(TWindowModel& model, IHost& host, IMessenger& msgr,
                         TFolderList list, std::string_view path, int32_t position,
                         bool replace, uint8_t state);

// Inserts a row without any check (rows dragged from one folder list to the
// other): at `position`, or at the end when it is out of range; the row is
// scrolled into sight; a selection below it stays on its row. Returns the
// new row's index.
int32_t InsertRow(TWindowModel& model, IHost& host, TFolderList list, std::string_view path,
                  int32_t position, uint8_t state);

// Paths dropped from the shell. A ".lnk" path stands for its target (no
// resolver, or a shortcut that does not resolve: refused). Acceptable are an
// existing folder and an existing file whose lower-case extension is ".zwc"
// or ".zip".
bool IsAcceptableDrop(std::string_view path, const TShortcutResolver& resolve = {});
// Adds a dropped folder recursive (exclude when dragged with the right
// mouse button), a dropped archive or catalog with state 4, both without
// replacing; other paths are ignored. True when a row was added.
bool AddDroppedPath(TWindowModel& model, IHost& host, IMessenger& msgr, TFolderList list,
                    std::string_view path, int32_t position, bool rightButton,
                    const TShortcutResolver& resolve = {});

// The add-folder dialog: the folder picker starts at `path`; a chosen
// folder (made a full path) is added to `list` with `state` at the end,
// without replacing. True when a row was added.
bool OpenAddFolderDialog(TWindowModel& model, IHost& host, IMessenger& msgr, TFolderList list,
                         std::string_view path, uint8_t state);
// ButtonAddFo: the dialog starts from the selected row (fresh list first),
// else without a path for a recursive folder of the fresh list.
bool AddFolderButton(TWindowModel& model, IHost& host, IMessenger& msgr);
// Double click on an empty area of a folder list.
bool AddFolderFromEmptyArea(TWindowModel& model, IHost& host, IMessenger& msgr,
                            TFolderList list);

// A window's own add-folder dialog, in which the user also chooses the list
// and the state: it starts with `choice` and, on OK, leaves the chosen
// folder, list and state in it. False: cancelled.
struct TAddFolderChoice {
  TFolderList list = TFolderList::Fresh;
  std::string path;
  uint8_t state = dsRecursive;
};
using TAddFolderDialog = std::function<bool(TAddFolderChoice& choice)>;
// The same three operations through such a dialog: the chosen folder (made
// a full path) is added to the chosen list with the chosen state at the
// end, without replacing.
bool OpenAddFolderDialog(TWindowModel& model, IHost& host, IMessenger& msgr,
                         const TAddFolderDialog& dialog, TFolderList list,
                         std::string_view path, uint8_t state);
bool AddFolderButton(TWindowModel& model, IHost& host, IMessenger& msgr,
                     const TAddFolderDialog& dialog);

// The folder typed or chosen in the add-folder dialog: the text made a full
// path, and whether the dialog may take it. Empty text is invalid; a network
// path (two separators at the start) counts as valid while the user types
// (`typing`), and is looked at only when the user confirms; any other path is
// valid when the folder exists.
struct TFolderEntry {
  std::string full;
  bool valid = false;
  bool network = false;
};
TFolderEntry CheckFolderEntry(std::string_view text, bool typing);

bool AddFolderFromEmptyArea(TWindowModel& model, IHost& host, IMessenger& msgr,
                            const TAddFolderDialog& dialog, TFolderList list);

// ButtonAddCat: the chosen files go to the library list as archive or
// catalog rows (state 4), each at the end, without replacing. Returns how
// many rows were added.
int AddArchiveFiles(TWindowModel& model, IHost& host, IMessenger& msgr,
                    const std::vector<std::string>& files);
// Folder the archive file dialog starts in: that of the selected archive or
// catalog row, else of the last one of the fresh list, else of the library
// list; empty when there is none.
std::string ArchiveDialogFolder(const TWindowModel& model);
// The archive file dialog's title and filter ("text|*.ext|..." form), in the
// language in force.
std::string ArchiveDialogTitle();
std::string ArchiveDialogFilter();

// ---------------------------------------------------------------------------
// States and removal.

// Steps a row's state: folder rows 0 -> 1 -> 2 -> 3 -> 0 forwards (the
// reverse backwards), archive and catalog rows toggle between 4 and 5.
// Returns the new state (the old one when the row does not exist).
uint8_t CycleState(TWindowModel& model, IHost& host, TFolderList list, int32_t row,
                   bool backward);
// The hint shown at a row after its state changed.
TStrID StateHint(uint8_t state);

// ButtonRemoveFo / Delete in a folder list: removes the selected row (fresh
// list first); the row at its place, or the new last row, is selected.
// Without a selected row the first row of the fresh list (else the library
// list) is selected and nothing is removed. True when a row was removed.
bool RemoveSelectedFolder(TWindowModel& model, IHost& host);
// ButtonRemoveFo is enabled while either folder list has rows.
bool RemoveFolderEnabled(const TWindowModel& model);

// ---------------------------------------------------------------------------
// Masks.

// The list operation: the mask must be valid (else msgInvalidMask, false).
// It is stored in lower case. When the list holds it already, that row gets
// the check mark asked for and moves to the end; otherwise it is appended
// and, when no row is selected, the first row is selected. True when the
// mask is in the list afterwards.
bool AddMask(TWindowModel& model, IHost& host, IMessenger& msgr, TMaskListKind list,
             std::string_view mask, bool checked);
// True for a text such as ".dll": a dot, then 1 to 4 characters none of
// which is a dot, star, question mark or blank. Such a mask matches only the
// one name, and the user is offered "*" in front of it.
bool LooksLikeBareExtension(std::string_view text);
// The "+" buttons and Enter in a mask edit: nothing for an empty text or an
// invalid mask (msgInvalidMask); a bare extension asks askCorrectMask (Yes:
// "*" in front, No: as typed, Cancel: nothing is added); then AddMask and
// the edit is cleared. True when a mask was added.
bool AddMaskFromEdit(TWindowModel& model, IHost& host, IMessenger& msgr, TMaskListKind list,
                     bool checked);
// Double click on a mask row: its text goes into the edit, the row is
// removed, and the edit gets the focus with the caret at the start.
void EditMaskRow(TWindowModel& model, IHost& host, TMaskListKind list, int32_t row);
// Files dropped on a mask list: "*" and the file's extension (files without
// one are skipped), or with Shift the whole file name; each added checked.
// Returns how many masks were added.
int AddDroppedMaskFiles(TWindowModel& model, IHost& host, IMessenger& msgr, TMaskListKind list,
                        const std::vector<std::string>& files, bool shift);
// ButtonRemoveLiMa / ButtonRemoveExMa / Delete: removes the selected row;
// the next row (or the new last row) is selected. Without a selection the
// first row is selected and nothing is removed.
bool RemoveSelectedMask(TWindowModel& model, IHost& host, TMaskListKind list);
// The "-" button of a mask list is enabled while the list has rows.
bool RemoveMaskEnabled(const TWindowModel& model, TMaskListKind list);
// Masks typed but not added (at Run and when the scan options page is left):
// for each edit that still holds text, limit edit first, the edit gets the
// focus with its text selected and askAddMask is asked (default Yes); Yes
// adds it as the "+" button does.
void AskPendingMasks(TWindowModel& model, IHost& host, IMessenger& msgr);

}  // namespace zw
