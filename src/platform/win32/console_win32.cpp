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

void PrepareConsole() {
  // Names are ANSI byte strings: let the console show them as such.
  SetConsoleOutputCP(GetACP());
  SetConsoleCP(GetACP());
}

}  // namespace zw::platform
