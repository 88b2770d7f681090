#include "ui/win32/multiline_check_box.h"

namespace zw::win {

namespace {
constexpr DWORD kLayoutStyles = BS_MULTILINE | BS_LEFT | BS_RIGHT | BS_CENTER | BS_TOP |
                                BS_BOTTOM | BS_VCENTER;
}

DWORD TMultilineCheckBox::Styles() const {
  DWORD style = MultiLine ? BS_MULTILINE : 0;
  switch (TextAlign) {
    case TTextAlign::Left: style |= BS_LEFT; break;
    case TTextAlign::Right: style |= BS_RIGHT; break;
    case TTextAlign::Center: style |= BS_CENTER; break;
  }
  switch (TextLayout) {
    case TTextLayout::Top: style |= BS_TOP; break;
    case TTextLayout::Center: style |= BS_VCENTER; break;
    case TTextLayout::Bottom: style |= BS_BOTTOM; break;
  }
  return style;
}

HWND TMultilineCheckBox::Create(HWND parent, HINSTANCE instance, const std::string& text, int id,
                                HFONT font) {
  hwnd_ = CreateWindowExA(0, "BUTTON", text.c_str(),
                          WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX | Styles(), 0, 0,
                          10, 10, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                          instance, nullptr);
  if (hwnd_ && font) SendMessageA(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return hwnd_;
}

void TMultilineCheckBox::Apply() {
  if (!hwnd_) return;
  const LONG_PTR style = GetWindowLongPtrA(hwnd_, GWL_STYLE);
  SetWindowLongPtrA(hwnd_, GWL_STYLE, (style & ~static_cast<LONG_PTR>(kLayoutStyles)) | Styles());
  InvalidateRect(hwnd_, nullptr, TRUE);
}

}  // namespace zw::win
