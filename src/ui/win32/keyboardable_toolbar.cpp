#include "ui/win32/keyboardable_toolbar.h"

#include <commctrl.h>

namespace zw::win {
namespace {

bool CanHighlight(HWND bar, int index) {
  TBBUTTON button{};
  if (!SendMessageA(bar, TB_GETBUTTON, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&button)))
    return false;
  return (button.fsStyle & BTNS_SEP) == 0 && (button.fsState & TBSTATE_ENABLED) != 0 &&
         (button.fsState & TBSTATE_HIDDEN) == 0;
}

// The button after (or before) `from`, wrapping, after at most one round;
// -1 when none can be highlighted.
int Step(HWND bar, int from, bool forward) {
  const int count = static_cast<int>(SendMessageA(bar, TB_BUTTONCOUNT, 0, 0));
  if (count <= 0) return -1;
  int index = from;
  for (int tried = 0; tried < count; ++tried) {
    if (forward)
      index = index + 1 >= count || index < 0 ? 0 : index + 1;
    else
      index = index <= 0 ? count - 1 : index - 1;
    if (CanHighlight(bar, index)) return index;
  }
  return -1;
}

LRESULT CALLBACK ToolbarProc(HWND bar, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR) {
  switch (msg) {
    case WM_GETDLGCODE: {
      // Arrows, Enter and Space are the bar's; Tab and Escape the dialog's.
      const auto* key = reinterpret_cast<const MSG*>(lp);
      if (key && key->message == WM_KEYDOWN && key->wParam == VK_RETURN) return DLGC_WANTMESSAGE;
      return DLGC_WANTARROWS | DLGC_WANTCHARS;
    }
    case WM_SETFOCUS:
      if (SendMessageA(bar, TB_GETHOTITEM, 0, 0) < 0) {
        const int first = Step(bar, -1, true);
        if (first >= 0) SendMessageA(bar, TB_SETHOTITEM, static_cast<WPARAM>(first), 0);
      }
      break;
    case WM_KILLFOCUS:
      SendMessageA(bar, TB_SETHOTITEM, static_cast<WPARAM>(-1), 0);
      break;
    case WM_KEYDOWN: {
      const int hot = static_cast<int>(SendMessageA(bar, TB_GETHOTITEM, 0, 0));
      switch (wp) {
        case VK_RETURN:
        case VK_SPACE: {
          TBBUTTON button{};
          if (hot >= 0 && CanHighlight(bar, hot) &&
              SendMessageA(bar, TB_GETBUTTON, static_cast<WPARAM>(hot),
                           reinterpret_cast<LPARAM>(&button)))
            SendMessageA(GetParent(bar), WM_COMMAND, MAKEWPARAM(button.idCommand, BN_CLICKED),
                         reinterpret_cast<LPARAM>(bar));
          return 0;
        }
        case VK_LEFT:
        case VK_UP:
        case VK_RIGHT:
        case VK_DOWN: {
          const int next = Step(bar, hot, wp == VK_RIGHT || wp == VK_DOWN);
          if (next >= 0) SendMessageA(bar, TB_SETHOTITEM, static_cast<WPARAM>(next), 0);
          return 0;
        }
        default:
          break;
      }
      break;
    }
    case WM_CHAR:
      // A space would beep.
      if (wp == ' ' || wp == '\r') return 0;
      break;
    case WM_NCDESTROY:
      RemoveWindowSubclass(bar, ToolbarProc, 0);
      break;
    default:
      break;
  }
  return DefSubclassProc(bar, msg, wp, lp);
}

}  // namespace

void MakeKeyboardable(HWND toolbar) { SetWindowSubclass(toolbar, ToolbarProc, 0, 0); }

}  // namespace zw::win
