#include <poll.h>
#include <unistd.h>

#include <cerrno>

#include "platform/console.h"
#include "platform/interrupt.h"

namespace zw::platform {

std::optional<std::string> RawCommandLine() { return std::nullopt; }
bool StdinIsTerminal() { return isatty(STDIN_FILENO) == 1; }
bool StderrIsTerminal() { return isatty(STDERR_FILENO) == 1; }
void PrepareConsole() {}

bool ReadInputLine(std::string& line) {
  line.clear();
  for (;;) {
    // Waits in short steps: the signal may be handled on another thread,
    // which leaves this wait uninterrupted.
    if (InterruptStatus() != 0) return false;
    pollfd in{STDIN_FILENO, POLLIN, 0};
    const int ready = poll(&in, 1, 200);
    if (ready < 0 && errno != EINTR) return false;
    if (ready <= 0) continue;
    char c = 0;
    const ssize_t n = read(STDIN_FILENO, &c, 1);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return !line.empty();
    if (c == '\n') return true;
    line += c;
  }
}

}  // namespace zw::platform
