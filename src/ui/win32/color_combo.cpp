#include "ui/win32/color_combo.h"

#include <commdlg.h>

#include <cstdlib>
#include <string>

#include "app/text/string_table.h"

namespace zw::win {

namespace {

uint32_t SwatchColor(int item, int rowKind, const TResultListModel& view) {
  if (item == kColorItemDefault)
    return DefaultRowColor(rowKind, static_cast<uint32_t>(GetSysColor(COLOR_WINDOW)) & 0xFFFFFF);
  if (item == kColorItemCustom) return view.LastCustomColor(rowKind);
  return ColorItems()[static_cast<size_t>(item)].value;
}

// "ColorA=80ff" -> 0x80FF.
COLORREF SlotColor(const std::string& slot) {
  const size_t eq = slot.find('=');
  return eq == std::string::npos
             ? 0
             : static_cast<COLORREF>(std::strtoul(slot.c_str() + eq + 1, nullptr, 16));
}

}  // namespace

HWND TColorCombo::Create(HWND parent, HINSTANCE instance, int id, int rowKind, HFONT font,
                         int dpi) {
  rowKind_ = rowKind;
  hwnd_ = CreateWindowExA(0, "COMBOBOX", "",
                          WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST |
                              CBS_OWNERDRAWFIXED | CBS_HASSTRINGS,
                          0, 0, 10, 10, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                          instance, nullptr);
  SendMessageA(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  // The rows fit the text and a swatch with a little air.
  HDC dc = GetDC(hwnd_);
  HGDIOBJ old = SelectObject(dc, font);
  TEXTMETRICA tm{};
  GetTextMetricsA(dc, &tm);
  SelectObject(dc, old);
  ReleaseDC(hwnd_, dc);
  const int height = tm.tmHeight + MulDiv(4, dpi, 96);
  SendMessageA(hwnd_, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), height);
  SendMessageA(hwnd_, CB_SETITEMHEIGHT, 0, height);
  FillNames();
  return hwnd_;
}

void TColorCombo::FillNames() {
  const LRESULT selected = SendMessageA(hwnd_, CB_GETCURSEL, 0, 0);
  SendMessageA(hwnd_, CB_RESETCONTENT, 0, 0);
  for (const TColorItem& item : ColorItems())
    SendMessageA(hwnd_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Str(item.name).c_str()));
  SendMessageA(hwnd_, CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
}

void TColorCombo::ModelToControl(const TResultListModel& view) {
  const int item = view.ColorItemOf(rowKind_);
  if (SendMessageA(hwnd_, CB_GETCURSEL, 0, 0) != item)
    SendMessageA(hwnd_, CB_SETCURSEL, static_cast<WPARAM>(item), 0);
  InvalidateRect(hwnd_, nullptr, FALSE);  // the custom swatch may have changed
}

void TColorCombo::Draw(const DRAWITEMSTRUCT& di, const TResultListModel& view) const {
  HDC dc = di.hDC;
  const bool selected = (di.itemState & ODS_SELECTED) != 0;
  const bool disabled = (di.itemState & ODS_DISABLED) != 0;
  const int background = selected ? COLOR_HIGHLIGHT : disabled ? COLOR_BTNFACE : COLOR_WINDOW;
  FillRect(dc, &di.rcItem, GetSysColorBrush(background));
  const int item = static_cast<int>(di.itemID);
  if (item < 0 || item >= static_cast<int>(ColorItems().size())) return;

  const int h = di.rcItem.bottom - di.rcItem.top;
  const int pad = h > 8 ? 2 : 0;
  RECT swatch{di.rcItem.left + pad + 1, di.rcItem.top + pad, 0, di.rcItem.bottom - pad};
  swatch.right = swatch.left + (h - 2 * pad) * 3 / 2;
  HBRUSH fill = CreateSolidBrush(SwatchColor(item, rowKind_, view));
  FillRect(dc, &swatch, fill);
  DeleteObject(fill);
  FrameRect(dc, &swatch, GetSysColorBrush(disabled ? COLOR_GRAYTEXT : COLOR_WINDOWTEXT));

  const LRESULT length = SendMessageA(hwnd_, CB_GETLBTEXTLEN, di.itemID, 0);
  std::string text(length > 0 ? static_cast<size_t>(length) : 0, '\0');
  if (length > 0)
    SendMessageA(hwnd_, CB_GETLBTEXT, di.itemID, reinterpret_cast<LPARAM>(text.data()));
  RECT textRect = di.rcItem;
  textRect.left = swatch.right + 2 * pad + 2;
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(selected   ? COLOR_HIGHLIGHTTEXT
                               : disabled ? COLOR_GRAYTEXT
                                          : COLOR_WINDOWTEXT));
  DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &textRect,
            DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
  if ((di.itemState & ODS_FOCUS) && !(di.itemState & ODS_NOFOCUSRECT))
    DrawFocusRect(dc, &di.rcItem);
}

TColorCombo::TChange TColorCombo::Command(int code, TResultListModel& view) {
  switch (code) {
    case CBN_DROPDOWN:
      dropped_ = true;
      customPicked_ = false;
      return TChange::None;
    case CBN_CLOSEUP:
      // The colour dialog waits until the list is gone.
      dropped_ = false;
      if (!customPicked_) return TChange::None;
      customPicked_ = false;
      return TChange::OpenCustom;
    case CBN_SELENDOK:
      if (!dropped_) return TChange::None;
      break;
    case CBN_SELCHANGE:
      if (dropped_) return TChange::None;
      break;
    default: return TChange::None;
  }
  const LRESULT item = SendMessageA(hwnd_, CB_GETCURSEL, 0, 0);
  if (item < 0) return TChange::None;
  if (item == kColorItemCustom) {
    if (!dropped_) return TChange::OpenCustom;
    customPicked_ = true;
    return TChange::None;
  }
  return view.ChooseColorItem(rowKind_, static_cast<int>(item)) ? TChange::Changed
                                                                 : TChange::None;
}

bool TColorCombo::ChooseCustom(HWND owner, TResultListModel& view) {
  // One dialog at a time: a second request while it is open is dropped.
  if (choosing_) return false;
  choosing_ = true;
  struct TDone {
    bool& flag;
    ~TDone() { flag = false; }
  } done{choosing_};
  // The closed list may still hold the mouse; the dialog needs it.
  if (GetCapture()) ReleaseCapture();
  static COLORREF custom[16];
  const auto slots = view.CustomColorSlots(rowKind_);
  for (size_t i = 0; i < slots.size(); ++i) custom[i] = SlotColor(slots[i]);
  CHOOSECOLORA cc{};
  cc.lStructSize = sizeof cc;
  cc.hwndOwner = owner;
  cc.rgbResult = view.LastCustomColor(rowKind_);
  cc.lpCustColors = custom;
  cc.Flags = CC_FULLOPEN | CC_RGBINIT | CC_ANYCOLOR;
  if (!ChooseColorA(&cc)) {
    ModelToControl(view);
    return false;
  }
  const int item = view.ChooseCustomColor(rowKind_, static_cast<uint32_t>(cc.rgbResult));
  SendMessageA(hwnd_, CB_SETCURSEL, static_cast<WPARAM>(item), 0);
  InvalidateRect(hwnd_, nullptr, FALSE);
  return true;
}

}  // namespace zw::win
