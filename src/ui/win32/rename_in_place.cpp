#include "rename_in_place.h"

#include <commctrl.h>

#include <string>

namespace zw::win {

bool BeginRenameInPlace(HWND listView, int row, TSingleFileCommands& commands) {
  std::string text;
  if (!commands.RenameEditText(row, text)) return false;
  if (const HWND edit = ListView_GetEditControl(listView)) {
    SetWindowTextA(edit, text.c_str());
    SendMessageA(edit, EM_SETSEL, 0, -1);
  }
  return true;
}

bool EndRenameInPlace(HWND listView, int row, const char* typed, TSingleFileCommands& commands) {
  const bool renamed = typed && commands.RenameFinish(row, typed);
  ListView_RedrawItems(listView, row, row);
  return renamed;
}

}  // namespace zw::win
