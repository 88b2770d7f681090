// Drag and drop of the window: files dragged out of the result list into
// the shell or any program that takes files, result list files dropped on
// the result list, and the rows of the two folder lists dragged between or
// within the lists, with folders, catalog and ZIP files (and shortcuts to
// them) dropped on them from the shell. All of it is the system's OLE drag
// and drop; OleInitialize must have run on the window's thread.
//
// A drag out of the window never deletes or moves a file, and offers the
// target copy and link only: nothing leaves its place without a kept copy
// proven at that moment, which no drop target does. A folder row dragged
// from one folder list to the other, or within one, still moves its row:
// the lists know their own drag. Nor is a source ever told that a drop
// moved what it dragged (it would delete the original).
#pragma once
#include <windows.h>
#include <shellapi.h>

#include <cstdint>
#include <string>
#include <vector>

#include "app/window_model.h"
#include "app/results/result_drag.h"
#include "ui/win32/option_page.h"

namespace zw::win {

// Makes a folder list box (a LISTBOX of the scan options page) a drag
// source and an OLE drop target: rows dragged between or within the two
// lists, folders / .zwc / .zip (and shortcuts to them) dropped from the
// shell, with the insertion mark and autoscroll. It subclasses `list` with
// SetWindowSubclass (other subclasses stay in the chain) to notice a drag
// start, revokes itself on the list's WM_NCDESTROY, and after it changed
// the model calls context.host->ModelChanged(). The list's rows must be the
// model's rows of `which`, in order.
void AttachFolderListDragDrop(HWND list, TFolderList which, TPageContext& context);

// How a drag out of the result list ended.
struct TResultDragEnd {
  bool removed = false;  // entries of moved files left the list: show it anew
  std::string note;      // a note for the status line; empty: the checked-count line
};

// ListView1BeginDrag: drags the selected files of the result list `list`
// (started at `startRow`, `start` in client coordinates, with the right
// button or not), offered for copy and link. Should a target move or
// recycle them all the same, the entries of files really gone leave the
// list. The caller stops the list from accepting dropped files
// for the duration and reselects the rows afterwards (the model's
// selection flags are right).
TResultDragEnd DragFilesOutOfResultList(HWND list, TResultList& results, int32_t startRow,
                                        POINT start, bool rightButton);

// The file names of a dropped file list (WM_DROPFILES, CF_HDROP).
std::vector<std::string> DroppedFiles(HDROP drop);

}  // namespace zw::win
