#include "ui/win32/browse_folder_dialog.h"

#include <commctrl.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "app/text/string_table.h"
#include "platform/paths.h"
#include "ui/win32/check_list_box.h"
#include "ui/win32/dialog_base.h"
#include "ui/win32/help_contexts.h"
#include "ui/win32/res/scan_dialog_ids.h"

namespace zw::win {

namespace {

constexpr int kStateRadios[4] = {IDC_BF_SINGLE, IDC_BF_RECURSIVE, IDC_BF_EXCLUDE,
                                 IDC_BF_INACTIVE};

class TFrmBrowseFolder : public TDialog {
 public:
  explicit TFrmBrowseFolder(TAddFolderChoice& choice) : choice_(choice) {
    helpContext_ = IDH_SCAN_OPTIONS;
  }

 protected:
  bool OnInit() override;
  bool OnCommand(int id, int code, HWND control) override;
  bool OnNotify(const NMHDR& hdr, LRESULT& result) override;
  const char* Name() const override { return "add folder"; }

 private:
  static LRESULT CALLBACK RadioProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id,
                                    DWORD_PTR data);
  static LRESULT CALLBACK EditProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id,
                                   DWORD_PTR data);
  HWND Tree() const { return Item(IDC_BF_TREE); }
  HTREEITEM AddNode(HTREEITEM parent, const std::string& text, const std::string& path);
  // Lists the subfolders of a node once (hidden ones too).
  void FillNode(HTREEITEM item);
  std::string NodePath(HTREEITEM item) const;
  // Opens the tree down to the folder (as far as it exists) and selects it.
  void MoveTreeTo(const std::string& path);
  // The edit's text checked; the label and OK follow.
  bool Validate(bool typing);
  void EndTyping();
  void Ok();

  TAddFolderChoice& choice_;
  std::vector<std::string> paths_;  // node lParam -> folder
  std::vector<bool> filled_;
  std::string full_;
  bool typing_ = false;
  bool settingText_ = false;  // the edit's text comes from the tree
  bool moving_ = false;       // the tree moves to the edit's folder
};

bool TFrmBrowseFolder::OnInit() {
  ApplyCaption(lblAddFolderCpt);
  ApplyText(IDC_BF_STATE, lblDirScanOptions);
  ApplyText(IDC_BF_SINGLE, lblDirSimple);
  ApplyText(IDC_BF_RECURSIVE, lblDirRecursive);
  ApplyText(IDC_BF_EXCLUDE, lblDirExclude);
  ApplyText(IDC_BF_INACTIVE, lblDirIgnore);
  ApplyText(IDC_BF_FRESH, lblDirFresh);
  ApplyText(IDC_BF_LIBRARY, lblDirLibrary);
  ApplyText(IDOK, lblOK);
  ApplyText(IDCANCEL, lblCancel);
  ApplyText(IDC_BF_HELP, lblHelp);

  // The drives, each with a button until it is opened.
  char drives[512] = {};
  const DWORD length = GetLogicalDriveStringsA(sizeof drives - 1, drives);
  for (const char* d = drives; length && *d; d += strlen(d) + 1) AddNode(TVI_ROOT, d, d);

  SetChecked(choice_.list == TFolderList::Library ? IDC_BF_LIBRARY : IDC_BF_FRESH, true);
  // A row of an archive starts the dialog as a recursive folder.
  const int state = choice_.state <= dsInactive ? int{choice_.state} : int{dsRecursive};
  SetChecked(kStateRadios[state], true);
  for (int i = 0; i < 4; ++i)
    SetWindowSubclass(Item(kStateRadios[i]), &TFrmBrowseFolder::RadioProc, 2, i);
  SetWindowSubclass(Item(IDC_BF_EFOLDER), &TFrmBrowseFolder::EditProc, 1,
                    reinterpret_cast<DWORD_PTR>(this));
  if (!choice_.path.empty()) {
    settingText_ = true;
    SetItemText(IDC_BF_EFOLDER, choice_.path);
    settingText_ = false;
    Validate(false);
    MoveTreeTo(full_.empty() ? choice_.path : full_);
  } else {
    SetItemText(IDC_BF_LBLDIR, Str(lblSelectOrEnter));
    Enable(IDOK, false);
  }
  SetFocus(Tree());
  return false;
}

HTREEITEM TFrmBrowseFolder::AddNode(HTREEITEM parent, const std::string& text,
                                    const std::string& path) {
  paths_.push_back(path);
  filled_.push_back(false);
  TVINSERTSTRUCTA insert{};
  insert.hParent = parent;
  insert.hInsertAfter = TVI_LAST;
  insert.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_CHILDREN;
  insert.item.pszText = const_cast<char*>(text.c_str());
  insert.item.lParam = static_cast<LPARAM>(paths_.size() - 1);
  insert.item.cChildren = 1;
  return reinterpret_cast<HTREEITEM>(
      SendMessageA(Tree(), TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
}

std::string TFrmBrowseFolder::NodePath(HTREEITEM item) const {
  TVITEMA tv{};
  tv.mask = TVIF_PARAM;
  tv.hItem = item;
  if (!item || !SendMessageA(Tree(), TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&tv))) return {};
  const size_t index = static_cast<size_t>(tv.lParam);
  return index < paths_.size() ? paths_[index] : std::string();
}

void TFrmBrowseFolder::FillNode(HTREEITEM item) {
  TVITEMA tv{};
  tv.mask = TVIF_PARAM;
  tv.hItem = item;
  if (!SendMessageA(Tree(), TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&tv))) return;
  const size_t index = static_cast<size_t>(tv.lParam);
  if (index >= filled_.size() || filled_[index]) return;
  filled_[index] = true;
  const std::string folder = platform::IncludeTrailingSep(paths_[index]);
  std::vector<std::string> names;
  WIN32_FIND_DATAA data;
  // A drive without a disk answers with an error, not with a system box.
  DWORD oldMode = 0;
  SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &oldMode);
  HANDLE find = FindFirstFileA((folder + "*").c_str(), &data);
  SetThreadErrorMode(oldMode, nullptr);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      const std::string name = data.cFileName;
      if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && name != "." && name != "..")
        names.push_back(name);
    } while (FindNextFileA(find, &data));
    FindClose(find);
  }
  std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
    return platform::LowerText(a) < platform::LowerText(b);
  });
  for (const std::string& name : names) AddNode(item, name, folder + name);
  if (names.empty()) {
    // Nothing below: no button.
    tv.mask = TVIF_CHILDREN;
    tv.cChildren = 0;
    SendMessageA(Tree(), TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&tv));
  }
}

void TFrmBrowseFolder::MoveTreeTo(const std::string& path) {
  const std::string target = platform::IncludeTrailingSep(platform::PathKey(path));
  HTREEITEM found = nullptr;
  HTREEITEM item = TreeView_GetRoot(Tree());
  while (item) {
    const std::string node = platform::IncludeTrailingSep(platform::PathKey(NodePath(item)));
    if (target.compare(0, node.size(), node) == 0) {
      found = item;
      if (node.size() >= target.size()) break;
      FillNode(item);
      item = TreeView_GetChild(Tree(), item);
      continue;
    }
    item = TreeView_GetNextSibling(Tree(), item);
  }
  if (!found) return;
  moving_ = true;
  TreeView_SelectItem(Tree(), found);
  TreeView_EnsureVisible(Tree(), found);
  moving_ = false;
}

bool TFrmBrowseFolder::Validate(bool typing) {
  const TFolderEntry entry = CheckFolderEntry(ItemText(IDC_BF_EFOLDER), typing);
  if (entry.network && !typing) {
    // Looking at a network path may take long.
    SetItemText(IDC_BF_LBLDIR, Str(lblValidatingNetworkPath));
    UpdateWindow(Item(IDC_BF_LBLDIR));
    HCURSOR old = SetCursor(LoadCursor(nullptr, IDC_WAIT));
    const TFolderEntry checked = CheckFolderEntry(ItemText(IDC_BF_EFOLDER), false);
    SetCursor(old);
    full_ = checked.valid ? checked.full : std::string();
  } else {
    full_ = entry.valid ? entry.full : std::string();
  }
  SetItemText(IDC_BF_LBLDIR, full_.empty() ? Str(lblInvalidDirSelected) : full_);
  Enable(IDOK, !full_.empty());
  return !full_.empty();
}

void TFrmBrowseFolder::EndTyping() {
  typing_ = false;
  if (Validate(false)) MoveTreeTo(full_);
}

void TFrmBrowseFolder::Ok() {
  typing_ = false;
  if (!Validate(false)) return;
  choice_.path = full_;
  choice_.list = IsChecked(IDC_BF_LIBRARY) ? TFolderList::Library : TFolderList::Fresh;
  choice_.state = dsRecursive;
  for (int i = 0; i < 4; ++i)
    if (IsChecked(kStateRadios[i])) choice_.state = static_cast<uint8_t>(i);
  End(IDOK);
}

bool TFrmBrowseFolder::OnCommand(int id, int code, HWND) {
  switch (id) {
    case IDOK:
      Ok();
      return true;
    case IDC_BF_HELP: {
      HELPINFO info{};
      info.cbSize = sizeof info;
      info.iContextType = HELPINFO_WINDOW;
      info.hItemHandle = hwnd_;
      GetCursorPos(&info.MousePos);
      SendMessageA(hwnd_, WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
      return true;
    }
    case IDC_BF_EFOLDER:
      if (code != EN_CHANGE) return false;
      if (!settingText_) typing_ = true;
      Validate(!settingText_);
      return true;
    default:
      return false;
  }
}

bool TFrmBrowseFolder::OnNotify(const NMHDR& hdr, LRESULT& result) {
  if (hdr.idFrom != IDC_BF_TREE) return false;
  if (hdr.code == TVN_ITEMEXPANDINGA || hdr.code == TVN_ITEMEXPANDINGW) {
    const auto& tv = reinterpret_cast<const NMTREEVIEWA&>(hdr);
    if (tv.action & TVE_EXPAND) FillNode(tv.itemNew.hItem);
    result = FALSE;
    return true;
  }
  if ((hdr.code == TVN_SELCHANGEDA || hdr.code == TVN_SELCHANGEDW) && !moving_) {
    // The folder the user chose goes into the edit (not the first drive
    // the tree selects by itself when it gets the focus).
    const auto& tv = reinterpret_cast<const NMTREEVIEWA&>(hdr);
    if (tv.action == TVC_UNKNOWN) return true;
    settingText_ = true;
    SetItemText(IDC_BF_EFOLDER, NodePath(tv.itemNew.hItem));
    settingText_ = false;
    typing_ = false;
    Validate(false);
    return true;
  }
  return false;
}

LRESULT CALLBACK TFrmBrowseFolder::RadioProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR,
                                             DWORD_PTR state) {
  if (msg == WM_NCDESTROY) RemoveWindowSubclass(hwnd, &TFrmBrowseFolder::RadioProc, 2);
  const LRESULT result = DefSubclassProc(hwnd, msg, wp, lp);
  if (msg == WM_PAINT || msg == BM_SETCHECK || msg == WM_ENABLE || msg == WM_SETFOCUS ||
      msg == WM_KILLFOCUS) {
    // The state's icon in the blank room at the start of the text.
    HDC dc = GetDC(hwnd);
    RECT rc;
    GetClientRect(hwnd, &rc);
    const int dpi = GetDeviceCaps(dc, LOGPIXELSX);
    DrawFolderStateIcon(dc, GetSystemMetrics(SM_CXMENUCHECK) + MulDiv(4, dpi, 96),
                        (rc.bottom - MulDiv(13, dpi, 96)) / 2, dpi, static_cast<int>(state));
    ReleaseDC(hwnd, dc);
  }
  return result;
}

LRESULT CALLBACK TFrmBrowseFolder::EditProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR,
                                            DWORD_PTR data) {
  auto* self = reinterpret_cast<TFrmBrowseFolder*>(data);
  switch (msg) {
    case WM_GETDLGCODE: {
      // While the user types, Enter and Escape end the typing instead of
      // closing the dialog.
      const auto* key = reinterpret_cast<const MSG*>(lp);
      if (self->typing_ && key && key->message == WM_KEYDOWN &&
          (key->wParam == VK_RETURN || key->wParam == VK_ESCAPE))
        return DefSubclassProc(hwnd, msg, wp, lp) | DLGC_WANTMESSAGE;
      break;
    }
    case WM_KEYDOWN:
      if ((wp == VK_RETURN || wp == VK_ESCAPE) && self->typing_) {
        self->EndTyping();
        return 0;
      }
      break;
    case WM_CHAR:
      if (wp == '\r' || wp == 0x1B) return 0;
      break;
    case WM_KILLFOCUS:
      self->typing_ = false;
      break;
    case WM_NCDESTROY:
      RemoveWindowSubclass(hwnd, &TFrmBrowseFolder::EditProc, 1);
      break;
  }
  return DefSubclassProc(hwnd, msg, wp, lp);
}

}  // namespace

bool BrowseFolderDialog(HWND owner, TAddFolderChoice& choice) {
  TFrmBrowseFolder dialog(choice);
  return dialog.DoModal(owner, IDD_BROWSE_FOLDER) == IDOK;
}

}  // namespace zw::win
