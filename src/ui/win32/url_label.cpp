#include "ui/win32/url_label.h"

#include <windowsx.h>

#include <algorithm>

#include "platform/errors.h"
#include "platform/shell.h"
#include "ui/win32/box_dialog.h"
#include "ui/win32/dialog_base.h"

namespace zw::win {

namespace {

constexpr char kClass[] = "ZwUrlLabel";
enum : UINT { cmdLaunch = 1, cmdCopy = 2 };

void RegisterClassOnce(HINSTANCE instance) {
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  if (GetClassInfoExA(instance, kClass, &wc)) return;
  wc.cbSize = sizeof wc;
  wc.style = CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = DefWindowProcA;  // replaced per window at WM_NCCREATE
  wc.hInstance = instance;
  wc.hCursor = nullptr;  // WM_SETCURSOR chooses
  wc.lpszClassName = kClass;
  RegisterClassExA(&wc);
}

// The program's texts are UTF-8; the label draws them as such whatever the
// ANSI code page of the system is.
std::wstring Wide(const std::string& text) {
  const int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                    nullptr, 0);
  std::wstring out(static_cast<size_t>(std::max(n, 0)), L'\0');
  if (n > 0)
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
  return out;
}

bool MouseOver(HWND hwnd) {
  POINT pt{};
  RECT r{};
  return GetCursorPos(&pt) && GetWindowRect(hwnd, &r) && PtInRect(&r, pt) &&
         IsWindowVisible(hwnd);
}

}  // namespace

TUrlLabel::~TUrlLabel() {
  if (hwnd_) {
    // The window may outlive the object (its parent destroys it later):
    // it then no longer reaches the object.
    SetWindowLongPtrA(hwnd_, GWLP_USERDATA, 0);
    SetWindowLongPtrA(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(DefWindowProcA));
  }
  if (hoverFont_) DeleteObject(hoverFont_);
}

HWND TUrlLabel::Create(HWND parent, int id, HFONT font, DWORD exStyle) {
  const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(parent, GWLP_HINSTANCE));
  RegisterClassOnce(instance);
  hwnd_ = CreateWindowExA(exStyle, kClass, "", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, parent,
                          reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
  if (!hwnd_) return nullptr;
  SetWindowLongPtrA(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  SetWindowLongPtrA(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TUrlLabel::Proc));
  SetFont(font);
  return hwnd_;
}

void TUrlLabel::SetCaption(const std::string& text) {
  if (!hwnd_) return;
  SetWindowTextA(hwnd_, text.c_str());  // WM_SETTEXT keeps it in caption_
}

void TUrlLabel::SetFont(HFONT font) {
  font_ = font;
  if (hoverFont_) DeleteObject(hoverFont_);
  hoverFont_ = nullptr;
  LOGFONTA lf{};
  if (font && GetObjectA(font, sizeof lf, &lf) == sizeof lf) {
    lf.lfUnderline = TRUE;
    hoverFont_ = CreateFontIndirectA(&lf);
  }
  if (hwnd_) InvalidateRect(hwnd_, nullptr, TRUE);
}

void TUrlLabel::Enable(bool on) {
  if (!hwnd_) return;
  if ((IsWindowEnabled(hwnd_) != FALSE) == on) return;
  EnableWindow(hwnd_, on ? TRUE : FALSE);  // WM_ENABLE re-syncs hover and cursor
}

int TUrlLabel::TextWidth() const {
  if (!hwnd_) return 0;
  const std::wstring text = Wide(caption_);
  HDC dc = GetDC(hwnd_);
  HGDIOBJ old = SelectObject(dc, font_ ? font_ : GetStockObject(DEFAULT_GUI_FONT));
  SIZE size{};
  GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
  SelectObject(dc, old);
  ReleaseDC(hwnd_, dc);
  return size.cx;
}

void TUrlLabel::Click() {
  if (onClick) {
    onClick();
    return;
  }
  if (URL.empty()) return;
  platform::OsError err;
  if (!platform::ShellOpen(URL, "", err)) MessageBeep(MB_ICONWARNING);
}

void TUrlLabel::SetHover(bool on) {
  if (hover_ == on) return;
  hover_ = on;
  if (on) {
    TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, hwnd_, 0};
    TrackMouseEvent(&track);
  }
  if (styles & ulsHoverEffect) InvalidateRect(hwnd_, nullptr, TRUE);
}

void TUrlLabel::SyncHover() {
  const bool over = MouseOver(hwnd_);
  SetHover(over && IsWindowEnabled(hwnd_));
  if (over) SetCursor(LoadCursor(nullptr, IsWindowEnabled(hwnd_) ? IDC_HAND : IDC_ARROW));
}

void TUrlLabel::ContextMenu(LPARAM lp) {
  POINT at{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
  if (at.x == -1 && at.y == -1) {  // from the keyboard: below the label
    RECT r{};
    GetWindowRect(hwnd_, &r);
    at = {r.left, r.bottom};
  }
  HMENU menu = CreatePopupMenu();
  AppendMenuA(menu, MF_STRING, cmdLaunch, CaptionLaunch.c_str());
  AppendMenuA(menu, MF_STRING, cmdCopy, CaptionCopy.c_str());
  const UINT cmd = static_cast<UINT>(TrackPopupMenu(
      menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_LEFTALIGN | TPM_TOPALIGN, at.x, at.y, 0, hwnd_,
      nullptr));
  DestroyMenu(menu);
  SyncHover();
  if (cmd == cmdLaunch)
    Click();
  else if (cmd == cmdCopy)
    boxes::CopyToClipboard(hwnd_, CopyText());
}

void TUrlLabel::Paint() {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd_, &ps);
  RECT r{};
  GetClientRect(hwnd_, &r);
  const bool enabled = IsWindowEnabled(hwnd_) != FALSE;
  COLORREF textColour;
  if (look == TUrlLabelLook::Field) {
    FillRect(dc, &r, GetSysColorBrush(enabled ? COLOR_WINDOW : COLOR_BTNFACE));
    textColour = GetSysColor(enabled ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT);
    InflateRect(&r, -GetSystemMetrics(SM_CXEDGE), 0);
  } else {
    // The background the parent gives its static controls.
    auto brush = reinterpret_cast<HBRUSH>(SendMessageA(
        GetParent(hwnd_), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
        reinterpret_cast<LPARAM>(hwnd_)));
    FillRect(dc, &r, brush ? brush : GetSysColorBrush(COLOR_BTNFACE));
    textColour = GetSysColor(enabled ? COLOR_HOTLIGHT : COLOR_GRAYTEXT);
    // A hot-tracking colour too light to read on the page (some systems'
    // default) gives way to the usual link blue.
    if (enabled && GetRValue(textColour) + GetGValue(textColour) + GetBValue(textColour) > 480)
      textColour = RGB(0, 102, 204);
  }
  const bool hovering = hover_ && enabled && (styles & ulsHoverEffect) && hoverFont_;
  HGDIOBJ old = SelectObject(dc, hovering ? hoverFont_
                                          : (font_ ? font_ : GetStockObject(DEFAULT_GUI_FONT)));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, textColour);
  const std::wstring text = Wide(caption_);
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r,
            DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_NOPREFIX | DT_END_ELLIPSIS);
  SelectObject(dc, old);
  EndPaint(hwnd_, &ps);
}

LRESULT TUrlLabel::Handle(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_PAINT:
      Paint();
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_SETFONT:
      SetFont(reinterpret_cast<HFONT>(wp));
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(font_);
    case WM_SETTEXT: {
      caption_ = lp ? reinterpret_cast<const char*>(lp) : "";
      const LRESULT result = DefWindowProcA(hwnd_, msg, wp, lp);
      InvalidateRect(hwnd_, nullptr, TRUE);
      return result;
    }
    case WM_ENABLE:
      InvalidateRect(hwnd_, nullptr, TRUE);
      SyncHover();
      return 0;
    case WM_SETCURSOR:
      SetCursor(LoadCursor(nullptr, IsWindowEnabled(hwnd_) ? IDC_HAND : IDC_ARROW));
      return TRUE;
    case WM_MOUSEMOVE:
      if (IsWindowEnabled(hwnd_)) SetHover(true);
      return 0;
    case WM_MOUSELEAVE:
      SetHover(false);
      return 0;
    case WM_LBUTTONDOWN:
      pressed_ = true;
      SetCapture(hwnd_);
      return 0;
    case WM_LBUTTONUP: {
      const bool wasPressed = pressed_;
      pressed_ = false;
      if (GetCapture() == hwnd_) ReleaseCapture();
      RECT r{};
      GetClientRect(hwnd_, &r);
      const POINT pt{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
      if (wasPressed && PtInRect(&r, pt) && IsWindowEnabled(hwnd_)) Click();
      return 0;
    }
    case WM_CAPTURECHANGED:
      pressed_ = false;
      return 0;
    case WM_CONTEXTMENU:
      if ((styles & ulsContextMenu) && IsWindowEnabled(hwnd_)) {
        ContextMenu(lp);
        return 0;
      }
      break;
    default:
      break;
  }
  return DefWindowProcA(hwnd_, msg, wp, lp);
}

LRESULT CALLBACK TUrlLabel::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto* self = reinterpret_cast<TUrlLabel*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (!self) return DefWindowProcA(hwnd, msg, wp, lp);
  if (msg == WM_NCDESTROY) {
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
    self->hwnd_ = nullptr;
    self->hover_ = self->pressed_ = false;
    return DefWindowProcA(hwnd, msg, wp, lp);
  }
  try {
    return self->Handle(msg, wp, lp);
  } catch (...) {
    // No exception crosses the window procedure.
    ReportCurrentException(hwnd, "link label");
    return 0;
  }
}

}  // namespace zw::win
