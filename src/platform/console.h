// The process's command line and its console.
#pragma once
#include <optional>
#include <string>

namespace zw::platform {

// Whether "/" starts an option on a command line as "-" does (Windows); on
// POSIX it starts an absolute path.
#ifdef _WIN32
constexpr bool kSlashStartsOptions = true;
#else
constexpr bool kSlashStartsOptions = false;
#endif

// The command line as the system hands it to the process (Windows:
// GetCommandLineA). POSIX has none: the shell has already split it.
std::optional<std::string> RawCommandLine();

// Whether standard input / standard error are terminals (not files or pipes).
bool StdinIsTerminal();
bool StderrIsTerminal();

// Prepares the console for the program's byte strings (Windows: output in
// the ANSI code page the program runs with).
void PrepareConsole();

// Reads one line from standard input, without its line end. False at the
// end of the input, and when the program was interrupted (interrupt.h)
// while it waited.
bool ReadInputLine(std::string& line);

enum class InputResult { Line, TimedOut, Ended };
// The same, giving up when nothing has been typed within `timeoutMs`; once
// typing has begun it waits for the whole line. Ended: the input ended or
// the program was interrupted.
InputResult ReadInputLineWithin(std::string& line, int timeoutMs);

}  // namespace zw::platform
