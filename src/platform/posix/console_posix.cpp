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

namespace {

// Reads a line in short waits: the signal may be handled on another thread,
// which leaves a long wait uninterrupted. A negative timeout waits for ever.
InputResult ReadLine(std::string& line, int timeoutMs) {
  line.clear();
  bool typing = false;
  int waited = 0;
  for (;;) {
    if (InterruptStatus() != 0) return InputResult::Ended;
    if (!typing && timeoutMs >= 0 && waited >= timeoutMs) return InputResult::TimedOut;
    pollfd in{STDIN_FILENO, POLLIN, 0};
    const int ready = poll(&in, 1, 200);
    if (ready < 0 && errno != EINTR) return InputResult::Ended;
    if (ready <= 0) {
      waited += 200;
      continue;
    }
    char c = 0;
    const ssize_t n = read(STDIN_FILENO, &c, 1);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return line.empty() ? InputResult::Ended : InputResult::Line;
    if (c == '\n') return InputResult::Line;
    typing = true;
    line += c;
  }
}

}  // namespace

bool ReadInputLine(std::string& line) { return ReadLine(line, -1) == InputResult::Line; }

InputResult ReadInputLineWithin(std::string& line, int timeoutMs) {
  return ReadLine(line, timeoutMs < 0 ? 0 : timeoutMs);
}

}  // namespace zw::platform
