// The scan-log window: the log's lines, live as they come, the details of a
// line on double-click or space bar, saving the log.
#pragma once
#include <windows.h>

#include "app/host.h"
#include "app/log/scan_log.h"

namespace zw::win {

// Shows the scan-log window over `owner`. There is one such window: showing
// it again brings it to the front. New lines appear as they are logged, from
// whichever thread logs them. Double-click or the space bar on a line shows
// its details through `host` (the main window; without a host lines open
// nothing). "save..." asks for a file and saves the whole log, a failure
// shown in a message box. With `modal` the window is modal to `owner` and
// this returns when it is closed; otherwise at once.
void ShowLogWindow(HWND owner, TZWLog& log, bool modal, IHost* host = nullptr);
// Whether a keyboard message belongs to the (modeless) log window and was
// handled: the main loop calls this before TranslateMessage, as
// IsDialogMessage would.
bool LogWindowMessage(MSG& msg);
// Closes the log window, if it is open (at program end).
void CloseLogWindow();

}  // namespace zw::win
