// TKeyboardableToolBar: a tool bar that the keyboard drives while it has
// the focus. Enter and Space press the highlighted button; Left and Up move
// the highlight to the previous button, Right and Down to the next, wrapping
// at both ends and skipping buttons that cannot be highlighted.
#pragma once
#include <windows.h>

namespace zw::win {

// Gives an existing tool bar (TBSTYLE_FLAT, WS_TABSTOP) that behaviour.
void MakeKeyboardable(HWND toolbar);

}  // namespace zw::win
