#include <windows.h>
#include <io.h>
#include <stdio.h>

#include "platform/console.h"

namespace zw::platform {

std::optional<std::string> RawCommandLine() {
  const char* line = GetCommandLineA();
  return std::string(line ? line : "");
}

bool StdinIsTerminal() { return _isatty(_fileno(stdin)) != 0; }
bool StderrIsTerminal() { return _isatty(_fileno(stderr)) != 0; }

void PrepareConsole() {
  // Names are ANSI byte strings: let the console show them as such.
  SetConsoleOutputCP(GetACP());
  SetConsoleCP(GetACP());
}

}  // namespace zw::platform
