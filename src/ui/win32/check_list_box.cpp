#include "ui/win32/check_list_box.h"

#include <commctrl.h>
#include <shellapi.h>
#include <windowsx.h>

#include <algorithm>

#include "ui/win32/dialog_base.h"

namespace zw::win {

namespace {

constexpr UINT_PTR kSubclassId = 0x5A43;
constexpr UINT_PTR kInPlaceTool = 1;
constexpr UINT_PTR kRowHintTool = 2;

HWND MakeTip(HWND owner, HINSTANCE instance, UINT_PTR id, UINT flags) {
  HWND tip = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr,
                             WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT,
                             CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr, instance,
                             nullptr);
  TOOLINFOA info{};
  info.cbSize = sizeof info;
  info.uFlags = flags;
  info.hwnd = owner;
  info.uId = id;
  info.lpszText = const_cast<char*>("");
  SendMessageA(tip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&info));
  // Texts with line breaks wrap there.
  SendMessageA(tip, TTM_SETMAXTIPWIDTH, 0, 2000);
  return tip;
}

void SetTipText(HWND tip, HWND owner, UINT_PTR id, const std::string& text) {
  TOOLINFOA info{};
  info.cbSize = sizeof info;
  info.hwnd = owner;
  info.uId = id;
  info.lpszText = const_cast<char*>(text.c_str());
  SendMessageA(tip, TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&info));
}

void TrackTip(HWND tip, HWND owner, UINT_PTR id, bool on) {
  TOOLINFOA info{};
  info.cbSize = sizeof info;
  info.hwnd = owner;
  info.uId = id;
  SendMessageA(tip, TTM_TRACKACTIVATE, on, reinterpret_cast<LPARAM>(&info));
}

// The state icons of the folder rows, drawn in a 15 x 13 grid scaled to the
// screen: a folder (single), two folders (recursive), a folder crossed out
// (exclude), a grey folder (inactive), a zipped file (archive or catalog)
// and a grey one (inactive archive).
}  // namespace

void DrawFolderStateIcon(HDC dc, int left, int top, int dpi, int state) {
  auto px = [dpi](int v) { return MulDiv(v, dpi, 96); };
  const bool grey = state == 3 || state == 5;
  const COLORREF line = grey ? RGB(150, 150, 150) : RGB(120, 80, 0);
  HPEN pen = CreatePen(PS_SOLID, std::max(1, px(1)), line);
  HGDIOBJ oldPen = SelectObject(dc, pen);
  auto box = [&](int l, int t, int r, int b, COLORREF fill) {
    HBRUSH brush = CreateSolidBrush(fill);
    HGDIOBJ old = SelectObject(dc, brush);
    Rectangle(dc, left + px(l), top + px(t), left + px(r), top + px(b));
    SelectObject(dc, old);
    DeleteObject(brush);
  };
  auto folder = [&](int dx, int dy, COLORREF fill) {
    box(dx, dy + 1, dx + 6, dy + 4, fill);       // tab
    box(dx, dy + 3, dx + 12, dy + 11, fill);     // body
  };
  if (state <= 3) {
    const COLORREF yellow = grey ? RGB(235, 235, 235) : RGB(250, 210, 80);
    if (state == 1) {
      folder(3, 0, RGB(240, 180, 40));
      folder(0, 3, yellow);
    } else {
      folder(1, 1, yellow);
    }
    if (state == 2) {
      HPEN red = CreatePen(PS_SOLID, std::max(2, px(2)), RGB(210, 0, 0));
      SelectObject(dc, red);
      MoveToEx(dc, left + px(3), top + px(2), nullptr);
      LineTo(dc, left + px(13), top + px(12));
      MoveToEx(dc, left + px(13), top + px(2), nullptr);
      LineTo(dc, left + px(3), top + px(12));
      SelectObject(dc, pen);
      DeleteObject(red);
    }
  } else {
    // A sheet with a zipper down its middle.
    box(2, 0, 13, 13, grey ? RGB(235, 235, 235) : RGB(150, 200, 250));
    HBRUSH teeth = CreateSolidBrush(grey ? RGB(160, 160, 160) : RGB(40, 40, 120));
    for (int y = 1; y < 12; y += 2) {
      RECT r{left + px((y / 2) % 2 ? 7 : 6), top + px(y), left + px((y / 2) % 2 ? 9 : 8),
             top + px(y + 1)};
      FillRect(dc, &r, teeth);
    }
    DeleteObject(teeth);
  }
  SelectObject(dc, oldPen);
  DeleteObject(pen);
}

THintCheckListBox::~THintCheckListBox() {
  if (hwnd_ && IsWindow(hwnd_))
    RemoveWindowSubclass(hwnd_, &THintCheckListBox::SubclassProc, kSubclassId);
  for (HWND tip : {tip_, inPlace_, rowHint_})
    if (tip && IsWindow(tip)) DestroyWindow(tip);
}

HWND THintCheckListBox::Create(HWND parent, int id, HINSTANCE instance, HFONT font, int dpi,
                               TImages images) {
  font_ = font;
  dpi_ = dpi;
  images_ = images;
  hwnd_ = CreateWindowExA(WS_EX_CLIENTEDGE, "LISTBOX", "",
                          WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_TABSTOP | LBS_OWNERDRAWFIXED |
                              LBS_HASSTRINGS | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT,
                          0, 0, 10, 10, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                          instance, nullptr);
  SendMessageA(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  // Rows as high as the text or the image, whichever is higher.
  HDC dc = GetDC(hwnd_);
  HGDIOBJ old = SelectObject(dc, font);
  TEXTMETRICA tm{};
  GetTextMetricsA(dc, &tm);
  SelectObject(dc, old);
  ReleaseDC(hwnd_, dc);
  const int height = std::max<int>(tm.tmHeight + MulDiv(2, dpi, 96), MulDiv(17, dpi, 96));
  SendMessageA(hwnd_, LB_SETITEMHEIGHT, 0, height);

  tip_ = MakeTip(hwnd_, instance, reinterpret_cast<UINT_PTR>(hwnd_),
                 TTF_IDISHWND | TTF_SUBCLASS);
  inPlace_ = MakeTip(hwnd_, instance, kInPlaceTool, TTF_TRACK | TTF_ABSOLUTE | TTF_TRANSPARENT);
  SendMessageA(inPlace_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  // The in-place hint shows the text where the row shows it: no margin.
  RECT margin{0, 0, 0, 0};
  SendMessageA(inPlace_, TTM_SETMARGIN, 0, reinterpret_cast<LPARAM>(&margin));
  rowHint_ = MakeTip(hwnd_, instance, kRowHintTool, TTF_TRACK | TTF_ABSOLUTE);
  SetWindowSubclass(hwnd_, &THintCheckListBox::SubclassProc, kSubclassId,
                    reinterpret_cast<DWORD_PTR>(this));
  return hwnd_;
}

int THintCheckListBox::ImageWidth() const { return MulDiv(19, dpi_, 96); }

void THintCheckListBox::SetRows(const std::vector<TRow>& rows, int selected) {
  if (rows == rows_ && SendMessageA(hwnd_, LB_GETCOUNT, 0, 0) == static_cast<LRESULT>(rows.size())) {
    // The same rows: only the selection, without a flicker.
    if (SendMessageA(hwnd_, LB_GETCURSEL, 0, 0) != selected)
      SendMessageA(hwnd_, LB_SETCURSEL, static_cast<WPARAM>(selected), 0);
    return;
  }
  rows_ = rows;
  const LRESULT top = SendMessageA(hwnd_, LB_GETTOPINDEX, 0, 0);
  SendMessageA(hwnd_, WM_SETREDRAW, FALSE, 0);
  SendMessageA(hwnd_, LB_RESETCONTENT, 0, 0);
  for (const TRow& row : rows) {
    const LRESULT index = SendMessageA(hwnd_, LB_ADDSTRING, 0,
                                       reinterpret_cast<LPARAM>(row.text.c_str()));
    SendMessageA(hwnd_, LB_SETITEMDATA, static_cast<WPARAM>(index), row.image);
  }
  if (top > 0) SendMessageA(hwnd_, LB_SETTOPINDEX, static_cast<WPARAM>(top), 0);
  SendMessageA(hwnd_, LB_SETCURSEL, static_cast<WPARAM>(selected), 0);
  SendMessageA(hwnd_, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(hwnd_, nullptr, TRUE);
  HideInPlaceHint();
}

void THintCheckListBox::ShowRow(int row) {
  const int count = static_cast<int>(SendMessageA(hwnd_, LB_GETCOUNT, 0, 0));
  if (row < 0 || row >= count) return;
  RECT client;
  GetClientRect(hwnd_, &client);
  const int height = static_cast<int>(SendMessageA(hwnd_, LB_GETITEMHEIGHT, 0, 0));
  const int visible = std::max(1, static_cast<int>(client.bottom) / std::max(1, height));
  const int top = static_cast<int>(SendMessageA(hwnd_, LB_GETTOPINDEX, 0, 0));
  if (row < top)
    SendMessageA(hwnd_, LB_SETTOPINDEX, static_cast<WPARAM>(row), 0);
  else if (row >= top + visible)
    SendMessageA(hwnd_, LB_SETTOPINDEX, static_cast<WPARAM>(row - visible + 1), 0);
}

void THintCheckListBox::SetHint(const std::string& text) {
  hint_ = text;
  SetTipText(tip_, hwnd_, reinterpret_cast<UINT_PTR>(hwnd_), hint_);
}

void THintCheckListBox::ShowRowHint(int row, const std::string& text) {
  RECT rc;
  if (SendMessageA(hwnd_, LB_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&rc)) ==
      LB_ERR)
    return;
  rowHintText_ = text;
  SetTipText(rowHint_, hwnd_, kRowHintTool, rowHintText_);
  POINT at{rc.left + ImageWidth(), rc.bottom};
  ClientToScreen(hwnd_, &at);
  SendMessageA(rowHint_, TTM_TRACKPOSITION, 0, MAKELPARAM(at.x, at.y));
  TrackTip(rowHint_, hwnd_, kRowHintTool, true);
}

void THintCheckListBox::HideRowHint() {
  if (rowHint_) TrackTip(rowHint_, hwnd_, kRowHintTool, false);
}

std::string THintCheckListBox::RowText(int row) const {
  const LRESULT length = SendMessageA(hwnd_, LB_GETTEXTLEN, static_cast<WPARAM>(row), 0);
  if (length == LB_ERR) return {};
  std::string text(static_cast<size_t>(length) + 1, '\0');
  SendMessageA(hwnd_, LB_GETTEXT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<size_t>(length));
  return text;
}

bool THintCheckListBox::RowIsCut(int row) const {
  const std::string text = RowText(row);
  if (text.empty()) return false;
  RECT client;
  GetClientRect(hwnd_, &client);
  const int available = client.right - 2 - ImageWidth();
  HDC dc = GetDC(hwnd_);
  HGDIOBJ old = SelectObject(dc, font_);
  SIZE size{};
  GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
  SelectObject(dc, old);
  ReleaseDC(hwnd_, dc);
  return size.cx > available;
}

void THintCheckListBox::HideInPlaceHint() {
  if (inPlaceRow_ < 0) return;
  inPlaceRow_ = -1;
  TrackTip(inPlace_, hwnd_, kInPlaceTool, false);
  SendMessageA(tip_, TTM_ACTIVATE, TRUE, 0);
}

void THintCheckListBox::TrackMouse(int x, int y) {
  const LRESULT hit = SendMessageA(hwnd_, LB_ITEMFROMPOINT, 0, MAKELPARAM(x, y));
  const int row = HIWORD(hit) ? -1 : static_cast<int>(LOWORD(hit));
  if (row == inPlaceRow_) return;
  HideInPlaceHint();
  if (row < 0 || !RowIsCut(row)) return;
  // The row's full text, over the row where its text starts; the ordinary
  // hint waits until the mouse leaves the row.
  RECT rc;
  SendMessageA(hwnd_, LB_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&rc));
  inPlaceRow_ = row;
  inPlaceText_ = RowText(row);
  SendMessageA(tip_, TTM_ACTIVATE, FALSE, 0);
  SetTipText(inPlace_, hwnd_, kInPlaceTool, inPlaceText_);
  RECT text{rc.left + ImageWidth() - 1, rc.top, rc.right, rc.bottom};
  MapWindowPoints(hwnd_, nullptr, reinterpret_cast<POINT*>(&text), 2);
  SendMessageA(inPlace_, TTM_ADJUSTRECT, TRUE, reinterpret_cast<LPARAM>(&text));
  SendMessageA(inPlace_, TTM_TRACKPOSITION, 0, MAKELPARAM(text.left, text.top));
  TrackTip(inPlace_, hwnd_, kInPlaceTool, true);
}

void THintCheckListBox::Draw(const DRAWITEMSTRUCT& item) const {
  HDC dc = item.hDC;
  RECT rc = item.rcItem;
  if (item.itemID == static_cast<UINT>(-1)) {
    if (item.itemState & ODS_FOCUS) DrawFocusRect(dc, &rc);
    return;
  }
  const bool selected = (item.itemState & ODS_SELECTED) != 0;
  const bool enabled = IsWindowEnabled(hwnd_) != FALSE;
  FillRect(dc, &rc, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
  const int image = static_cast<int>(item.itemData);
  const int imageWidth = ImageWidth();
  const int iconHeight = MulDiv(13, dpi_, 96);
  const int iconTop = rc.top + (rc.bottom - rc.top - iconHeight) / 2;
  if (images_ == TImages::FolderStates) {
    DrawFolderStateIcon(dc, rc.left + MulDiv(2, dpi_, 96), iconTop, dpi_, image);
  } else {
    const int box = MulDiv(13, dpi_, 96);
    RECT check{rc.left + MulDiv(2, dpi_, 96), rc.top + (rc.bottom - rc.top - box) / 2, 0, 0};
    check.right = check.left + box;
    check.bottom = check.top + box;
    DrawFrameControl(dc, &check, DFC_BUTTON,
                     DFCS_BUTTONCHECK | DFCS_FLAT | (image ? DFCS_CHECKED : 0) |
                         (enabled ? 0 : DFCS_INACTIVE));
  }
  const std::string text = RowText(static_cast<int>(item.itemID));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(!enabled ? COLOR_GRAYTEXT
                                        : selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
  RECT textRect{rc.left + imageWidth + MulDiv(1, dpi_, 96), rc.top, rc.right, rc.bottom};
  DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &textRect,
            DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
  if (item.itemState & ODS_FOCUS) DrawFocusRect(dc, &rc);
}

LRESULT THintCheckListBox::Proc(UINT msg, WPARAM wp, LPARAM lp, bool& handled) {
  switch (msg) {
    case WM_MOUSEMOVE:
      if (!tracking_) {
        TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, hwnd_, 0};
        tracking_ = TrackMouseEvent(&track) != FALSE;
      }
      TrackMouse(GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
      break;
    case WM_MOUSELEAVE:
      tracking_ = false;
      HideInPlaceHint();
      break;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_MBUTTONDOWN: {
      HideRowHint();
      HideInPlaceHint();
      if (onPress) onPress();
      const int x = GET_X_LPARAM(lp);
      const LRESULT hit = SendMessageA(hwnd_, LB_ITEMFROMPOINT, 0, lp);
      const int row = HIWORD(hit) ? -1 : static_cast<int>(LOWORD(hit));
      if (msg == WM_MBUTTONDOWN) break;
      if (row >= 0 && x < ImageWidth() && onImageClick) {
        // A click on the image changes the row's state or check mark; the
        // page selects the row itself.
        if (GetFocus() != hwnd_) SetFocus(hwnd_);
        SendMessageA(hwnd_, LB_SETCARETINDEX, static_cast<WPARAM>(row), FALSE);
        onImageClick(row, msg == WM_RBUTTONDOWN);
        handled = true;
        return 0;
      }
      if (msg == WM_LBUTTONDBLCLK && onDoubleClick) {
        DefSubclassProc(hwnd_, msg, wp, lp);
        onDoubleClick(row);
        handled = true;
        return 0;
      }
      break;
    }
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      HideRowHint();
      if (onPress) onPress();
      if (msg == WM_KEYDOWN && onKey && onKey(static_cast<UINT>(wp))) {
        handled = true;
        return 0;
      }
      break;
    case WM_CHAR:
      // Space was a state or check change, not a search for a blank.
      if (wp == ' ' && onKey) {
        handled = true;
        return 0;
      }
      break;
    case WM_KILLFOCUS:
      HideRowHint();
      break;
    case WM_SIZE:
      HideInPlaceHint();
      break;
  }
  return 0;
}

LRESULT CALLBACK THintCheckListBox::SubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp,
                                                 UINT_PTR, DWORD_PTR data) {
  auto* self = reinterpret_cast<THintCheckListBox*>(data);
  if (msg == WM_NCDESTROY) {
    RemoveWindowSubclass(hwnd, &THintCheckListBox::SubclassProc, kSubclassId);
    // The hint windows it owns go with it.
    self->hwnd_ = self->tip_ = self->inPlace_ = self->rowHint_ = nullptr;
    return DefSubclassProc(hwnd, msg, wp, lp);
  }
  bool handled = false;
  LRESULT result = 0;
  try {
    result = self->Proc(msg, wp, lp, handled);
  } catch (...) {
    // The page's operations behind the callbacks may throw; no exception
    // leaves a window procedure.
    ReportCurrentException(hwnd, "list box");
    return 0;
  }
  return handled ? result : DefSubclassProc(hwnd, msg, wp, lp);
}

void TZWCheckListBox::AcceptFiles() { DragAcceptFiles(hwnd_, onDropFiles ? TRUE : FALSE); }

LRESULT TZWCheckListBox::Proc(UINT msg, WPARAM wp, LPARAM lp, bool& handled) {
  if (msg == WM_DROPFILES && onDropFiles) {
    HDROP drop = reinterpret_cast<HDROP>(wp);
    const bool shift = GetKeyState(VK_SHIFT) < 0;
    std::vector<std::string> files;
    const UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
      const UINT length = DragQueryFileA(drop, i, nullptr, 0);
      std::string file(length + 1, '\0');
      DragQueryFileA(drop, i, file.data(), length + 1);
      file.resize(length);
      files.push_back(std::move(file));
    }
    DragFinish(drop);
    handled = true;
    onDropFiles(files, shift);
    return 0;
  }
  return THintCheckListBox::Proc(msg, wp, lp, handled);
}

}  // namespace zw::win
