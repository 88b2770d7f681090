#include <windows.h>
#include <io.h>
#include <stdio.h>

#include <iostream>

#include "platform/console.h"
#include "platform/interrupt.h"

namespace zw::platform {

std::optional<std::string> RawCommandLine() {
  const char* line = GetCommandLineA();
  return std::string(line ? line : "");
}

bool StdinIsTerminal() { return _isatty(_fileno(stdin)) != 0; }
bool StderrIsTerminal() { return _isatty(_fileno(stderr)) != 0; }

bool ReadInputLine(std::string& line) {
  // Ctrl+C ends a console read at once; its handler runs meanwhile.
  if (!std::getline(std::cin, line) || InterruptStatus() != 0) return false;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return true;
}

InputResult ReadInputLineWithin(std::string& line, int timeoutMs) {
  line.clear();
  HANDLE in = GetStdHandle(STD_INPUT_HANDLE);
  DWORD mode = 0;
  if (in != INVALID_HANDLE_VALUE && GetConsoleMode(in, &mode)) {
    // A console signals every input event (focus, mouse, key releases):
    // those are taken out of the way until a key is pressed or time is up.
    const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(timeoutMs < 0 ? 0 : timeoutMs);
    for (;;) {
      if (InterruptStatus() != 0) return InputResult::Ended;
      const ULONGLONG now = GetTickCount64();
      if (now >= deadline) return InputResult::TimedOut;
      const DWORD wait = static_cast<DWORD>(deadline - now < 200 ? deadline - now : 200);
      if (WaitForSingleObject(in, wait) != WAIT_OBJECT_0) continue;
      INPUT_RECORD record;
      DWORD count = 0;
      if (!PeekConsoleInputA(in, &record, 1, &count) || count == 0) continue;
      if (record.EventType == KEY_EVENT && record.Event.KeyEvent.bKeyDown) break;
      ReadConsoleInputA(in, &record, 1, &count);
    }
  }
  return ReadInputLine(line) ? InputResult::Line : InputResult::Ended;
}

void PrepareConsole() {
  // Names are ANSI byte strings: let the console show them as such.
  SetConsoleOutputCP(GetACP());
  SetConsoleCP(GetACP());
}

}  // namespace zw::platform
