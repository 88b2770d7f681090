// Processes and the system around the program: starting programs, the
// program's own executable and resources, the administrator check, the
// desktop's file-association notice and shutting the machine down.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/errors.h"

namespace zw::platform {

// Lets every thread allocate from one heap. File entries are made by the
// thread that lists folders and freed by the one that compares them, while
// the result list's entries are made there: with a heap a thread (glibc's
// default) the memory of the freed file entries cannot serve the results,
// and a million files would hold both at once. Windows has one process heap
// anyway. Call before the first thread starts.
void UseOneHeap();

// The running executable's full path; empty when it cannot be found.
std::string ExecutablePath();
uint32_t CurrentProcessId();

// Runs a program found by name on the search path (or by its path) with its
// arguments and waits for it. Its exit code, or -1 when it could not be
// started (`err` says why; kind NotFound when no such program exists).
int RunProgramAndWait(const std::vector<std::string>& argv, OsError& err);

// Starts a program with one command-line text of parameters and does not
// wait for it. False when it could not be started.
bool StartProgram(const std::string& path, const std::string& parameters, OsError& err);

// Windows: the bytes of a binary (RCDATA) resource of the running program.
// POSIX has none: always false.
bool ReadOwnResource(int id, std::vector<uint8_t>& bytes);

// Whether the user may register file types and write the list of installed
// programs: Windows, membership of the administrators group in the process
// token; POSIX, always true, as everything registered there is the user's own.
bool IsAdministrator();

// Tells the desktop shell that file associations changed (Windows:
// SHChangeNotify(SHCNE_ASSOCCHANGED)). POSIX: nothing; the desktop files
// are refreshed by their own tools.
void NotifyAssociationsChanged();

// Asks the system to shut down and power off. Windows: the shutdown
// privilege is enabled, then ExitWindowsEx(EWX_SHUTDOWN | EWX_POWEROFF).
// POSIX: `systemctl poweroff`, true when it exited with 0.
// When the environment variable ZWILLO_SHUTDOWN_COMMAND names a program,
// that program runs instead (without arguments), and its exit code 0 counts
// as success: tests use it so that no machine is ever shut down.
bool ShutdownSystem(OsError& err);
inline constexpr const char* kShutdownOverrideVariable = "ZWILLO_SHUTDOWN_COMMAND";

}  // namespace zw::platform
