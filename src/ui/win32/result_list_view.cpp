#include "ui/win32/result_list_view.h"

#include <windowsx.h>

#include <algorithm>
#include <cstring>

#include "app/results/check_rules.h"
#include "app/results/result_keys.h"
#include "app/results/result_view.h"
#include "app/results/single_file_commands.h"
#include "app/text/string_table.h"
#include "app/text_ids.h"
#include "ui/win32/captions.h"
#include "ui/win32/drag_drop.h"
#include "ui/win32/rename_in_place.h"
#include "art_ids.h"

namespace zw::win {

namespace {


// The system's path ellipsis and text widths in the list's font.
class TDcFitter : public ITextFitter {
 public:
  TDcFitter(HWND hwnd, HFONT font) : hwnd_(hwnd), dc_(GetDC(hwnd)) {
    old_ = SelectObject(dc_, font ? font : GetStockObject(DEFAULT_GUI_FONT));
  }
  ~TDcFitter() override {
    SelectObject(dc_, old_);
    ReleaseDC(hwnd_, dc_);
  }
  int TextWidth(std::string_view text) const override {
    SIZE size{};
    GetTextExtentPoint32A(dc_, text.data(), static_cast<int>(text.size()), &size);
    return size.cx;
  }
  std::string PathEllipsis(std::string_view path, int width) const override {
    std::string buffer(path);
    buffer.resize(path.size() + 8, '\0');
    RECT r{0, 0, std::max(width, 1), 100};
    DrawTextA(dc_, buffer.data(), static_cast<int>(path.size()), &r,
              DT_PATH_ELLIPSIS | DT_MODIFYSTRING | DT_SINGLELINE | DT_NOPREFIX | DT_CALCRECT);
    return std::string(buffer.c_str());
  }

 private:
  HWND hwnd_;
  HDC dc_;
  HGDIOBJ old_;
};

TResultKeyCode KeyCode(WPARAM vk, TResultKey& key) {
  if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD9)
    return static_cast<TResultKeyCode>(static_cast<int>(TResultKeyCode::Numpad0) +
                                       static_cast<int>(vk - VK_NUMPAD0));
  if (vk >= '0' && vk <= '9') {
    key.digit = static_cast<int>(vk - '0');
    return TResultKeyCode::Digit;
  }
  if (vk >= 'A' && vk <= 'Z') {
    key.letter = static_cast<char>(vk);
    return TResultKeyCode::Letter;
  }
  switch (vk) {
    case VK_SPACE: return TResultKeyCode::Space;
    case VK_INSERT: return TResultKeyCode::Insert;
    case VK_MULTIPLY: return TResultKeyCode::NumpadMul;
    case VK_DIVIDE: return TResultKeyCode::NumpadDiv;
    case VK_DECIMAL: return TResultKeyCode::NumpadDecimal;
    case VK_LEFT: return TResultKeyCode::Left;
    case VK_RIGHT: return TResultKeyCode::Right;
    case VK_UP: return TResultKeyCode::Up;
    case VK_DOWN: return TResultKeyCode::Down;
    default: return TResultKeyCode::Other;
  }
}

bool Down(int vk) { return (GetKeyState(vk) & 0x8000) != 0; }

}  // namespace

HIMAGELIST LoadCheckImages(HINSTANCE instance, bool dimmed) {
  HIMAGELIST list =
      ImageList_LoadImageA(instance, MAKEINTRESOURCEA(IDB_CHECKS), ZW_CHECK_IMAGE_WIDTH, 0,
                           ZW_ART_TRANSPARENT_RGB, IMAGE_BITMAP, LR_CREATEDIBSECTION);
  if (!list) return ImageList_Create(ZW_CHECK_IMAGE_WIDTH, ZW_CHECK_IMAGE_HEIGHT, ILC_COLOR24, 1, 1);
  if (dimmed) {
    // The disabled tool bar shows the dimmed marks in the places of the others.
    ImageList_Copy(list, ZW_CHECK_UNCHECKED_LIGHT, list, ZW_CHECK_UNCHECKED_DIMMED, ILCF_MOVE);
    ImageList_Copy(list, ZW_CHECK_CHECKED_LIGHT, list, ZW_CHECK_CHECKED_DIMMED, ILCF_MOVE);
  }
  return list;
}

void TResultListView::Create(HWND parent, HINSTANCE instance, int id, TMainForm& form,
                             IHost& host, int dpi) {
  form_ = &form;
  host_ = &host;
  dpi_ = dpi;
  hwnd_ = CreateWindowExA(WS_EX_CLIENTEDGE, WC_LISTVIEWA, "",
                          WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_OWNERDATA |
                              LVS_SHOWSELALWAYS | LVS_EDITLABELS,
                          0, 0, 100, 100, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                          instance, nullptr);
  ListView_SetExtendedListViewStyle(hwnd_, LVS_EX_FULLROWSELECT | LVS_EX_HEADERDRAGDROP |
                                               LVS_EX_DOUBLEBUFFER | LVS_EX_LABELTIP);
  ListView_SetCallbackMask(hwnd_, LVIS_STATEIMAGEMASK);
  images_ = LoadCheckImages(instance, false);
  ListView_SetImageList(hwnd_, images_, LVSIL_STATE);

  const TColumnsModel& columns = form.Model().columns;
  for (int c = 0; c < TResultListModel::kColumns; ++c) {
    LVCOLUMNA col{};
    col.mask = LVCF_WIDTH | LVCF_FMT | LVCF_TEXT;
    col.fmt = c == 2 ? LVCFMT_RIGHT : LVCFMT_LEFT;
    col.cx = MulDiv(std::max<int>(columns.widths[c], 10), dpi, 96);
    // Room for the vertical scroll bar, unless the widths are the user's.
    if (c == 1 && !form.Model().store.saveResultListColumns)
      col.cx = std::max<int>(col.cx - GetSystemMetrics(SM_CXVSCROLL), 10);
    col.pszText = const_cast<char*>("");
    ListView_InsertColumn(hwnd_, c, &col);
  }
  int order[5];
  for (int c = 0; c < 5; ++c) order[c] = columns.order[c];
  ListView_SetColumnOrderArray(hwnd_, 5, order);
  SetWindowSubclass(hwnd_, SubclassProc, 1, reinterpret_cast<DWORD_PTR>(this));
  DragAcceptFiles(hwnd_, TRUE);
  form.ResultView().SetSystemColors(GetSysColor(COLOR_WINDOW), GetSysColor(COLOR_WINDOWTEXT));
}

void TResultListView::SetBusy(bool busy) {
  busy_ = busy;
  if (hwnd_ && !dragging_) DragAcceptFiles(hwnd_, !busy);
}

void TResultListView::DragOut(int row, POINT start, bool rightButton) {
  if (dragging_ || form_->Model().listLocked) return;
  dragging_ = true;
  DragAcceptFiles(hwnd_, FALSE);
  const TResultDragEnd end = DragFilesOutOfResultList(hwnd_, form_->Results(), row, start,
                                                      rightButton);
  dragging_ = false;
  DragAcceptFiles(hwnd_, !busy_);
  if (end.removed) {
    const int32_t count = form_->ResultView().RowCount();
    TResultViewModel& view = form_->Model().results;
    if (view.focused >= count) view.focused = count - 1;
    if (view.topRow >= count) view.topRow = count > 0 ? count - 1 : 0;
    Sync(false, false);
    ReselectFromModel();
    if (checksChanged) checksChanged();
  }
  if (!end.note.empty())
    host_->SetStatusText(end.note);
  else
    form_->ShowCheckedStatus();
}

void TResultListView::ReselectFromModel() {
  TResultListModel& model = form_->ResultView();
  std::vector<int32_t> rows;
  for (int32_t row = 0; row < model.RowCount(); ++row)
    if (model.IsSelected(row)) rows.push_back(row);
  // Clearing the control's selection clears the model's: the rows were
  // noted first.
  ListView_SetItemState(hwnd_, -1, 0, LVIS_SELECTED);
  for (int32_t row : rows) ListView_SetItemState(hwnd_, row, LVIS_SELECTED, LVIS_SELECTED);
  InvalidateRect(hwnd_, nullptr, FALSE);
}

void TResultListView::DropFiles(HDROP drop) {
  const std::vector<std::string> files = DroppedFiles(drop);
  DragFinish(drop);
  if (busy_ || dragging_) return;
  std::string file;
  // The same import as a double click on the empty list.
  if (form_->ResultFiles().AcceptDrop(files, file) && form_->ImportResults(file))
    Sync(false, false);
  if (checksChanged) checksChanged();
}

void TResultListView::SetFont(HFONT font) {
  font_ = font;
  // The same top row before and after: the list scrolls to its top, takes
  // the font, and scrolls back.
  const int top = ListView_GetTopIndex(hwnd_);
  SendMessageA(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  if (top > 0) {
    RECT r{};
    ListView_GetItemRect(hwnd_, 0, &r, LVIR_BOUNDS);
    ListView_Scroll(hwnd_, 0, top * (r.bottom - r.top));
  }
}

void TResultListView::ApplyColumnTexts(const std::string texts[5]) {
  for (int c = 0; c < 5; ++c) {
    LVCOLUMNA col{};
    col.mask = LVCF_TEXT;
    col.pszText = const_cast<char*>(texts[c].c_str());
    ListView_SetColumn(hwnd_, c, &col);
  }
}

void TResultListView::Sync(bool scrollToFocus, bool focusOnTop) {
  const int32_t count = form_->ResultView().RowCount();
  if (count != shownCount_) {
    ListView_SetItemCountEx(hwnd_, count, LVSICF_NOSCROLL | LVSICF_NOINVALIDATEALL);
    shownCount_ = count;
  }
  ApplyMovedSelection();
  const int32_t focused = form_->ResultView().FocusedRow();
  if (scrollToFocus && focused >= 0 && focused < count) {
    ListView_SetItemState(hwnd_, focused, LVIS_FOCUSED, LVIS_FOCUSED);
    if (focusOnTop) {
      const int top = ListView_GetTopIndex(hwnd_);
      RECT r{};
      ListView_GetItemRect(hwnd_, 0, &r, LVIR_BOUNDS);
      ListView_Scroll(hwnd_, 0, (focused - top) * (r.bottom - r.top));
    }
    ListView_EnsureVisible(hwnd_, focused, FALSE);
  }
  InvalidateRect(hwnd_, nullptr, FALSE);
}

void TResultListView::FollowCount() {
  const int32_t count = form_->ResultView().RowCount();
  if (count == shownCount_) return;
  ListView_SetItemCountEx(hwnd_, count, LVSICF_NOSCROLL | LVSICF_NOINVALIDATEALL);
  shownCount_ = count;
}

void TResultListView::ApplyMovedSelection() {
  TResultListModel& model = form_->ResultView();
  for (int32_t row : model.MovedSelection())
    ListView_SetItemState(hwnd_, row, model.IsSelected(row) ? LVIS_SELECTED : 0, LVIS_SELECTED);
  // Rows the model reports as selected but the control does not (after an
  // import or a regroup of a shown list) follow as well.
  if (model.SelectedCount() == 0 && ListView_GetSelectedCount(hwnd_) != 0)
    ListView_SetItemState(hwnd_, -1, 0, LVIS_SELECTED);
}

void TResultListView::StoreColumns() {
  TColumnsModel& columns = form_->Model().columns;
  int order[5] = {0, 1, 2, 3, 4};
  ListView_GetColumnOrderArray(hwnd_, 5, order);
  for (int c = 0; c < 5; ++c) {
    columns.order[c] = static_cast<uint8_t>(order[c]);
    columns.widths[c] = static_cast<int16_t>(MulDiv(ListView_GetColumnWidth(hwnd_, c), 96, dpi_));
  }
}

std::string TResultListView::PathFitted(int row, int width) {
  TDcFitter fitter(hwnd_, font_);
  return form_->ResultView().PathCellText(row, width, fitter);
}

void TResultListView::OnGetDispInfo(NMLVDISPINFOA* info) {
  LVITEMA& item = info->item;
  TResultListModel& model = form_->ResultView();
  if (item.mask & LVIF_TEXT) {
    if (item.iSubItem == 1 && form_->Model().results.altPathShortening)
      cell_ = PathFitted(item.iItem, ListView_GetColumnWidth(hwnd_, 1));
    else
      cell_ = model.CellText(item.iItem, item.iSubItem);
    if (item.cchTextMax > 0) {
      const size_t n = std::min<size_t>(cell_.size(), static_cast<size_t>(item.cchTextMax - 1));
      std::memcpy(item.pszText, cell_.data(), n);
      item.pszText[n] = '\0';
    }
  }
  if (item.mask & LVIF_STATE) {
    // State image n of a list view is image n - 1 of its list; the strip's
    // image 0 is empty, so icon i is state image i + 1.
    const int icon = model.CheckIcon(item.iItem);
    item.state = INDEXTOSTATEIMAGEMASK(icon > 0 ? icon + 1 : 0);
    item.stateMask = LVIS_STATEIMAGEMASK;
  }
}

LRESULT TResultListView::OnCustomDraw(NMLVCUSTOMDRAW* cd) {
  switch (cd->nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
      if (form_->ResultView().ShowsPlaceholder(busy_)) {
        // The empty list's hint, grey, word-wrapped and centred.
        RECT r;
        GetClientRect(hwnd_, &r);
        HWND header = ListView_GetHeader(hwnd_);
        RECT hr{};
        GetWindowRect(header, &hr);
        r.top += hr.bottom - hr.top + MulDiv(24, dpi_, 96);
        InflateRect(&r, -MulDiv(16, dpi_, 96), 0);
        const std::string text = Str(lblLVLoadResultList);
        SetBkMode(cd->nmcd.hdc, TRANSPARENT);
        SetTextColor(cd->nmcd.hdc, GetSysColor(COLOR_GRAYTEXT));
        HGDIOBJ old = SelectObject(cd->nmcd.hdc, font_ ? font_ : GetStockObject(DEFAULT_GUI_FONT));
        DrawTextA(cd->nmcd.hdc, text.c_str(), -1, &r, DT_CENTER | DT_WORDBREAK | DT_NOPREFIX);
        SelectObject(cd->nmcd.hdc, old);
        return CDRF_DODEFAULT;
      }
      return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT: {
      TResultListModel& model = form_->ResultView();
      const int kind = model.RowKind(static_cast<int32_t>(cd->nmcd.dwItemSpec));
      if (kind >= 0) {
        cd->clrTextBk = model.RowBackground(kind);
        cd->clrText = model.RowTextColor(kind);
      }
      return CDRF_DODEFAULT;
    }
    default:
      return CDRF_DODEFAULT;
  }
}

void TResultListView::ClickState(int row) {
  if (ToggleEntry(form_->Results(), row)) {
    ListView_RedrawItems(hwnd_, row, row);
    if (checksChanged) checksChanged();
  } else if (hint) {
    hint(Str(hntCannotCheckCatfiles));
  }
}

void TResultListView::ColumnSort(int column, bool descending) {
  if (busy_) return;
  const int mode = ModeForColumn(column, Down(VK_SHIFT));
  if (mode < 0) return;
  HCURSOR old = SetCursor(LoadCursor(nullptr, IDC_APPSTARTING));
  form_->SortResults(static_cast<uint8_t>(mode | (descending ? kModeDescending : 0)), false);
  SetCursor(old);
  Sync(true, false);
}

LRESULT TResultListView::OnNotify(NMHDR* hdr, bool& handled) {
  handled = true;
  TResultListModel& model = form_->ResultView();
  if (hdr->hwndFrom == ListView_GetHeader(hwnd_)) {
    if (hdr->code == NM_RCLICK) {
      // A right click on a column sorts it descending.
      HDHITTESTINFO hit{};
      GetCursorPos(&hit.pt);
      ScreenToClient(hdr->hwndFrom, &hit.pt);
      const int column = static_cast<int>(SendMessageA(hdr->hwndFrom, HDM_HITTEST, 0,
                                                       reinterpret_cast<LPARAM>(&hit)));
      if (column >= 0) ColumnSort(column, true);
      return TRUE;
    }
    handled = false;
    return 0;
  }
  switch (hdr->code) {
    case LVN_GETDISPINFOA:
      OnGetDispInfo(reinterpret_cast<NMLVDISPINFOA*>(hdr));
      return 0;
    case NM_CUSTOMDRAW:
      return OnCustomDraw(reinterpret_cast<NMLVCUSTOMDRAW*>(hdr));
    case LVN_ITEMCHANGED: {
      auto* nm = reinterpret_cast<NMLISTVIEW*>(hdr);
      if (nm->uChanged & LVIF_STATE) {
        if ((nm->uNewState ^ nm->uOldState) & LVIS_SELECTED) {
          const bool on = (nm->uNewState & LVIS_SELECTED) != 0;
          if (nm->iItem < 0)
            model.SetAllSelected(on);
          else
            model.SetSelected(nm->iItem, on);
        }
        if ((nm->uNewState & LVIS_FOCUSED) && nm->iItem >= 0) model.SetFocusedRow(nm->iItem);
      }
      return 0;
    }
    case LVN_ODSTATECHANGED: {
      auto* nm = reinterpret_cast<NMLVODSTATECHANGE*>(hdr);
      if ((nm->uNewState ^ nm->uOldState) & LVIS_SELECTED)
        model.SetRangeSelected(nm->iFrom, nm->iTo, (nm->uNewState & LVIS_SELECTED) != 0);
      return 0;
    }
    case LVN_ODFINDITEMA: {
      auto* nm = reinterpret_cast<NMLVFINDITEMA*>(hdr);
      if (!(nm->lvfi.flags & (LVFI_STRING | LVFI_PARTIAL)) || !nm->lvfi.psz) return -1;
      return model.FindPrefix(nm->iStart, nm->lvfi.psz, (nm->lvfi.flags & LVFI_WRAP) != 0);
    }
    case LVN_COLUMNCLICK:
      ColumnSort(reinterpret_cast<NMLISTVIEW*>(hdr)->iSubItem, false);
      return 0;
    case NM_CLICK: {
      auto* nm = reinterpret_cast<NMITEMACTIVATE*>(hdr);
      LVHITTESTINFO hit{};
      hit.pt = nm->ptAction;
      ListView_SubItemHitTest(hwnd_, &hit);
      if (hit.iItem >= 0 && (hit.flags & LVHT_ONITEMSTATEICON) && !busy_) ClickState(hit.iItem);
      return 0;
    }
    case NM_DBLCLK: {
      auto* nm = reinterpret_cast<NMITEMACTIVATE*>(hdr);
      if (model.RowCount() == 0) {
        if (!busy_) OnCommand(kCmdImport);
      } else if (nm->iItem >= 0 && !busy_) {
        TSingleFileCommands(*host_, form_->Messenger(), form_->Model(),
                            form_->Results())
            .LaunchFile(nm->iItem);
      }
      return 0;
    }
    case LVN_BEGINDRAG:
    case LVN_BEGINRDRAG: {
      auto* nm = reinterpret_cast<NMLISTVIEW*>(hdr);
      DragOut(nm->iItem, nm->ptAction, hdr->code == LVN_BEGINRDRAG);
      return 0;
    }
    case LVN_BEGINLABELEDITA: {
      auto* nm = reinterpret_cast<NMLVDISPINFOA*>(hdr);
      TSingleFileCommands commands(*host_, form_->Messenger(), form_->Model(), form_->Results());
      return busy_ || !BeginRenameInPlace(hwnd_, nm->item.iItem, commands);
    }
    case LVN_ENDLABELEDITA: {
      auto* nm = reinterpret_cast<NMLVDISPINFOA*>(hdr);
      TSingleFileCommands commands(*host_, form_->Messenger(), form_->Model(), form_->Results());
      EndRenameInPlace(hwnd_, nm->item.iItem, nm->item.pszText, commands);
      return FALSE;
    }
    default:
      handled = false;
      return 0;
  }
}

void TResultListView::OnContextMenu(HWND owner, POINT screen) {
  TResultListModel& model = form_->ResultView();
  int row = -1;
  if (screen.x == -1 && screen.y == -1) {
    row = ListView_GetNextItem(hwnd_, -1, LVNI_FOCUSED);
    RECT r{};
    if (row >= 0 && ListView_GetItemRect(hwnd_, row, &r, LVIR_LABEL)) {
      screen = {r.left, r.bottom};
    } else {
      screen = {0, 0};
    }
    ClientToScreen(hwnd_, &screen);
  } else {
    LVHITTESTINFO hit{};
    hit.pt = screen;
    ScreenToClient(hwnd_, &hit.pt);
    row = ListView_HitTest(hwnd_, &hit);
  }
  menuRow_ = row;
  const TListMenuState state = model.MenuState(row, Down(VK_SHIFT));
  const TResultViewModel& view = form_->Model().results;
  auto item = [](HMENU menu, int id, const std::string& text, bool enabled, bool checked = false) {
    AppendMenuA(menu, MF_STRING | (enabled ? 0 : MF_GRAYED) | (checked ? MF_CHECKED : 0), id,
                text.c_str());
  };
  HMENU menu = CreatePopupMenu();
  item(menu, kCmdLaunch, Caption("lblPopLaunchFile", "&Launch file"), state.launchFile);
  item(menu, kCmdOpenDir, Caption("lblPopOpenDir", "Open &directory"), state.openDir);
  item(menu, kCmdOpenDirGroup, Caption("lblPopOpenDirGroup", "Open all dirs of &group"), state.openDirGroup);
  item(menu, kCmdRename, Caption("lblPopRename", "&Rename file...") + "\tF2", state.rename);
  if (state.calcCrcVisible) item(menu, kCmdCalcCrc, Caption("lblPopCalcCRC", "Calc&ulate CRC32 checksum(s)"), state.calcCrc);
  AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
  item(menu, kCmdCopySelected, Caption("lblPopCopySelected", "&Copy selected entries") + "\tCtrl+C", state.copySelected);
  item(menu, kCmdExportSelected, Caption("lblPopExportSelected", "E&xport selected entries..."), state.exportSelected);
  item(menu, kCmdExportAll, Caption("lblPopExportAll", "Export &all entries...") + "\tCtrl+S", state.exportAll);
  item(menu, kCmdImport, Caption("lblPopImport", "&Import entries..."), state.import && !busy_);
  item(menu, kCmdCreateCatfile, Caption("lblPopCreateCatfile", "Create catalog &file..."), state.createCatfile && !busy_);
  AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
  HMENU display = CreatePopupMenu();
  item(display, kCmdAltPath, Caption("lblCBAltPathShortening", "alternative path shortening"), true, view.altPathShortening);
  item(display, kCmdDisplaySecs, Caption("lblCBDisplaySeconds", "display seconds with file dates"), true, view.displaySecs);
  item(display, kCmdHideExtensions, Caption("lblPopHideExtensions", "hide extensions when renaming"), true, view.hideExtensions);
  HMENU units = CreatePopupMenu();
  for (int u = 0; u < model.SizeUnitCount(); ++u) {
    const std::string unit = u < 7 ? Strings().UnitName(u) : Str(lblBestFittingUnit);
    AppendMenuA(units, MF_STRING | (view.sizeUnit == u ? MF_CHECKED : 0), kCmdUnit0 + u,
                unit.c_str());
  }
  AppendMenuA(display, MF_POPUP, reinterpret_cast<UINT_PTR>(units), Caption("lblPopFilesizeUnit", "filesize display unit").c_str());
  item(display, kCmdColors, Caption("lblPopBgColors", "background colors..."), true);
  item(display, kCmdFont, Caption("lblPopResultFont", "result list font..."), true);
  AppendMenuA(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(display), Caption("lblPopDisplayOptions", "display options").c_str());
  TrackPopupMenu(menu, TPM_RIGHTBUTTON, screen.x, screen.y, 0, owner, nullptr);
  DestroyMenu(menu);
}

bool TResultListView::OnCommand(int id) {
  TResultListModel& model = form_->ResultView();
  TResultFiles& files = form_->ResultFiles();
  const int row = menuRow_ >= 0 ? menuRow_ : ListView_GetNextItem(hwnd_, -1, LVNI_FOCUSED);
  TSingleFileCommands commands(*host_, form_->Messenger(), form_->Model(),
                               form_->Results());
  switch (id) {
    case kCmdLaunch: commands.LaunchFile(row); break;
    case kCmdOpenDir: commands.OpenDirectory(row); break;
    case kCmdOpenDirGroup: commands.OpenAllDirsOfGroup(row); break;
    case kCmdRename: StartRename(row); break;
    case kCmdCalcCrc:
      commands.CalculateCrc();
      InvalidateRect(hwnd_, nullptr, FALSE);
      break;
    case kCmdCopySelected: files.CopySelected(); break;
    case kCmdExportSelected: files.ExportSelected(""); break;
    case kCmdExportAll: files.ExportAll("", 0); break;
    case kCmdImport:
      if (form_->ImportResults("")) Sync(false, false);
      if (checksChanged) checksChanged();
      break;
    case kCmdCreateCatfile:
      if (createCatfile) createCatfile();
      break;
    case kCmdAltPath: model.SetAltPathShortening(!form_->Model().results.altPathShortening); break;
    case kCmdDisplaySecs: model.SetDisplaySecs(!form_->Model().results.displaySecs); break;
    case kCmdFont:
      if (chooseFont) chooseFont();
      break;
    case kCmdColors:
      if (showColors) showColors();
      break;
    case kCmdHideExtensions:
      form_->Model().results.hideExtensions = !form_->Model().results.hideExtensions;
      break;
    default:
      if (id >= kCmdUnit0 && id < kCmdUnit0 + 8) {
        model.SetSizeUnit(static_cast<uint8_t>(id - kCmdUnit0));
        break;
      }
      menuRow_ = -1;
      return false;
  }
  menuRow_ = -1;
  InvalidateRect(hwnd_, nullptr, FALSE);
  return true;
}

void TResultListView::StartRename(int row) {
  if (row < 0) return;
  SetFocus(hwnd_);
  ListView_EditLabel(hwnd_, row);
}

bool TResultListView::Key(WPARAM vk) {
  const bool ctrl = Down(VK_CONTROL);
  const bool shift = Down(VK_SHIFT);
  TResultListModel& model = form_->ResultView();
  if (ctrl && !shift) {
    // The selection keys and the menu's shortcuts.
    switch (vk) {
      case 'A':
        ListView_SetItemState(hwnd_, -1, LVIS_SELECTED, LVIS_SELECTED);
        return true;
      case 'D':
        ListView_SetItemState(hwnd_, -1, 0, LVIS_SELECTED);
        return true;
      case 'C': OnCommand(kCmdCopySelected); return true;
      case 'S': OnCommand(kCmdExportAll); return true;
      case 'G':
        for (int32_t row : model.FocusedGroupRows())
          ListView_SetItemState(hwnd_, row, model.IsSelected(row) ? LVIS_SELECTED : 0,
                                LVIS_SELECTED);
        return true;
      case 'I':
        for (int32_t row = 0; row < model.RowCount(); ++row)
          ListView_SetItemState(hwnd_, row, model.IsSelected(row) ? LVIS_SELECTED : 0,
                                LVIS_SELECTED);
        return true;
      default: break;
    }
  }
  if (vk == VK_F2 && !busy_) {
    StartRename(ListView_GetNextItem(hwnd_, -1, LVNI_FOCUSED));
    return true;
  }
  TResultKey key;
  key.code = KeyCode(vk, key);
  key.ctrl = ctrl;
  key.shift = shift;
  key.scrollLock = (GetKeyState(VK_SCROLL) & 1) != 0;
  const TKeyResult result =
      HandleResultKey(form_->Results(), form_->Model().results, key, form_->Messenger());
  if (result.checksChanged) {
    InvalidateRect(hwnd_, nullptr, FALSE);
    if (checksChanged) checksChanged();
  }
  if (result.focusMoved) {
    const int32_t focused = model.FocusedRow();
    ListView_SetItemState(hwnd_, -1, 0, LVIS_SELECTED);
    if (focused >= 0) {
      ListView_SetItemState(hwnd_, focused, LVIS_FOCUSED | LVIS_SELECTED,
                            LVIS_FOCUSED | LVIS_SELECTED);
      ListView_EnsureVisible(hwnd_, focused, FALSE);
    }
  }
  if (result.openCriteriaDialog && openCriteria) openCriteria();
  if (result.tabSwitched && switchTab) switchTab();
  if (result.hintRow >= 0 && hint) hint(Str(hntCannotCheckCatfiles));
  return result.handled;
}

LRESULT CALLBACK TResultListView::SubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp,
                                               UINT_PTR, DWORD_PTR data) {
  auto* self = reinterpret_cast<TResultListView*>(data);
  switch (msg) {
    case WM_KEYDOWN:
      if (self->form_ && !ListView_GetEditControl(hwnd) && self->Key(wp)) return 0;
      break;
    case WM_CHAR:
      // Keys the handler took leave no character behind for type-ahead.
      if ((GetKeyState(VK_CONTROL) & 0x8000) || wp == ' ') return 0;
      break;
    case WM_DROPFILES:
      self->DropFiles(reinterpret_cast<HDROP>(wp));
      return 0;
    case WM_NCDESTROY:
      RemoveWindowSubclass(hwnd, SubclassProc, 1);
      break;
    default:
      break;
  }
  return DefSubclassProc(hwnd, msg, wp, lp);
}

}  // namespace zw::win
