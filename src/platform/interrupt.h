// The user (or the system) interrupting a console program: Ctrl+C and
// Ctrl+Break in a Windows console, SIGINT and SIGTERM on POSIX.
//
// The first interruption is only recorded: the program asks for it at its
// safe points and stops in good order (a scan is cancelled, a file action
// finishes its current file). A second one ends the process at once.
#pragma once

namespace zw::platform {

// Catches interruptions from now on. One that was ignored when the program
// started stays ignored (a shell without job control starts its background
// jobs with SIGINT ignored, so that Ctrl+C in the terminal leaves them be).
void CatchInterrupts();

// The exit status the first interruption asks for: 128 plus the signal's
// number on POSIX (130 for SIGINT, 143 for SIGTERM); 130 on Windows for
// Ctrl+C and Ctrl+Break alike. 0 while there was none.
int InterruptStatus();

// What interrupted the program, as its log names it ("SIGINT", "SIGTERM",
// "Ctrl+C", "Ctrl+Break"); empty while nothing did.
const char* InterruptName();

}  // namespace zw::platform
