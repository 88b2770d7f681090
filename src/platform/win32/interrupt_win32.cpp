#include <windows.h>

#include <atomic>

#include "platform/interrupt.h"

namespace zw::platform {

namespace {

// The console event of the first interruption, plus one (0: none yet).
std::atomic<int> g_event{0};

// Runs on a thread of its own that the system starts for the event.
BOOL WINAPI OnConsoleEvent(DWORD event) {
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) return FALSE;
  int none = 0;
  if (!g_event.compare_exchange_strong(none, static_cast<int>(event) + 1))
    TerminateProcess(GetCurrentProcess(), 130);  // the second one: at once
  return TRUE;
}

}  // namespace

void CatchInterrupts() { SetConsoleCtrlHandler(&OnConsoleEvent, TRUE); }

int InterruptStatus() { return g_event.load() == 0 ? 0 : 130; }

const char* InterruptName() {
  switch (g_event.load()) {
    case 0: return "";
    case CTRL_C_EVENT + 1: return "Ctrl+C";
    default: return "Ctrl+Break";
  }
}

}  // namespace zw::platform
