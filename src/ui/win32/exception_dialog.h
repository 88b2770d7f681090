// The dialog that reports an exception nobody handled.
#pragma once
#include <windows.h>

#include "app/host.h"  // TZWExceptInfo

namespace zw::win {

// The exception report dialog, modal to `owner`: the error icon and sound,
// the exception's message, a request to send the report, and the report
// itself below a details button (collapsed at first), with "Copy report"
// (to the clipboard) and "Save report" (to a file the user chooses). One at
// a time: a report that comes while one is shown is not shown, and this
// returns at once.
void ShowExceptionDialog(HWND owner, const TZWExceptInfo& info);

}  // namespace zw::win
