#include <unistd.h>

#include "platform/console.h"

namespace zw::platform {

std::optional<std::string> RawCommandLine() { return std::nullopt; }
bool StdinIsTerminal() { return isatty(STDIN_FILENO) == 1; }
bool StderrIsTerminal() { return isatty(STDERR_FILENO) == 1; }
void PrepareConsole() {}

}  // namespace zw::platform
