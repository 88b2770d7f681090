#include "ui/win32/option_page.h"

#include <windowsx.h>

namespace zw::win {

HWND AddControl(const TPageContext& context, HWND parent, const char* cls,
                const std::string& text, DWORD style, int id, DWORD exStyle) {
  HWND h = CreateWindowExA(exStyle, cls, text.c_str(), WS_CHILD | WS_VISIBLE | style, 0, 0, 10,
                           10, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                           context.instance, nullptr);
  SendMessageA(h, WM_SETFONT, reinterpret_cast<WPARAM>(context.font), FALSE);
  return h;
}

void SetChecked(HWND box, bool on) { Button_SetCheck(box, on ? BST_CHECKED : BST_UNCHECKED); }

bool IsChecked(HWND box) { return Button_GetCheck(box) == BST_CHECKED; }

}  // namespace zw::win
