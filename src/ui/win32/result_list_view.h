// ListView1: the result list as an owner-data report list. It holds only the
// item count; every cell, check icon, colour and the selection come from the
// result list model, and sorting is the model's (never the control's).
#pragma once
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <functional>
#include <string>

#include "app/main/main_form.h"

namespace zw::win {

// The check marks and books (the strip of state images); `dimmed` puts the
// dimmed marks in the places of the unchecked and checked ones.
HIMAGELIST LoadCheckImages(HINSTANCE instance, bool dimmed);

class TResultListView {
 public:
  // Menu and command ids of the context menu (also used by the window's
  // key handling).
  enum : int {
    kCmdLaunch = 0x6001, kCmdOpenDir, kCmdOpenDirGroup, kCmdRename, kCmdCalcCrc,
    kCmdCopySelected, kCmdExportSelected, kCmdExportAll, kCmdImport, kCmdCreateCatfile,
    kCmdAltPath, kCmdDisplaySecs, kCmdHideExtensions, kCmdColors, kCmdFont,
    kCmdUnit0,  // .. kCmdUnit0 + 7
  };

  void Create(HWND parent, HINSTANCE instance, int id, TMainForm& form, IHost& host, int dpi);
  HWND Handle() const { return hwnd_; }
  void SetFont(HFONT font);
  void ApplyColumnTexts(const std::string texts[5]);

  // The item count follows the result list (without scrolling); a full
  // change repaints, and the focused row is brought into sight on request.
  void Sync(bool scrollToFocus, bool focusOnTop);
  // The progress tick: only a grown (or shrunk) count is set.
  void FollowCount();
  // The model's selection, after the model reordered the rows.
  void ApplyMovedSelection();
  // Reads the columns' widths and order into the window model.
  void StoreColumns();
  // While busy the list takes no dropped files.
  void SetBusy(bool busy);

  LRESULT OnNotify(NMHDR* hdr, bool& handled);
  void OnContextMenu(HWND owner, POINT screen);
  // A command of the context menu (or its shortcut); true when it was one.
  bool OnCommand(int id);
  // A key for the list's own handler (the window passes Ctrl letters while
  // the list does not have the focus). True when it was handled.
  bool Key(WPARAM vk);

  // What the list needs from the window around it.
  std::function<void()> checksChanged;   // repaint check tabs, status line
  std::function<void()> openCriteria;    // the check-by-criteria dialog
  std::function<void()> switchTab;       // Ctrl+Shift+C
  std::function<void()> createCatfile;   // the create-catalog dialog
  std::function<void(const std::string&)> hint;  // a hint to show briefly
  std::function<void()> chooseFont;      // the font dialog
  std::function<void()> showColors;      // the colour boxes of the options

 private:
  static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id,
                                       DWORD_PTR data);
  LRESULT OnCustomDraw(NMLVCUSTOMDRAW* cd);
  void OnGetDispInfo(NMLVDISPINFOA* info);
  void ClickState(int row);
  void ColumnSort(int column, bool descending);
  void StartRename(int row);
  std::string PathFitted(int row, int width);
  // ListView1BeginDrag: the selected files dragged out of the list.
  void DragOut(int row, POINT start, bool rightButton);
  // ListView1DropFiles: a result list file dropped on the list is imported.
  void DropFiles(HDROP drop);
  // The control's selection from the model's, after entries left the list.
  void ReselectFromModel();

  TMainForm* form_ = nullptr;
  IHost* host_ = nullptr;
  HWND hwnd_ = nullptr;
  HIMAGELIST images_ = nullptr;
  HFONT font_ = nullptr;
  int dpi_ = 96;
  bool busy_ = false;
  bool dragging_ = false;  // a drag out of the list runs: no files are taken
  int32_t shownCount_ = 0;
  int menuRow_ = -1;
  std::string cell_;  // the text handed to the control lives here until the next request
};

}  // namespace zw::win
