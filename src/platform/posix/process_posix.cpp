// Processes on POSIX: fork and exec, /proc/self/exe, systemctl.
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#ifdef __GLIBC__
#include <malloc.h>
#endif

#include "platform/handover_window.h"
#include "platform/process.h"

namespace zw::platform {

void UseOneHeap() {
#ifdef __GLIBC__
  mallopt(M_ARENA_MAX, 1);
#endif
}

std::string ExecutablePath() {
  std::string buffer(4096, '\0');
  const ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size());
  if (n <= 0 || static_cast<size_t>(n) >= buffer.size()) return std::string();
  buffer.resize(static_cast<size_t>(n));
  return buffer;
}

uint32_t CurrentProcessId() { return static_cast<uint32_t>(getpid()); }

int RunProgramAndWait(const std::vector<std::string>& argv, OsError& err) {
  err = {};
  if (argv.empty()) {
    err = OsError::FromNative(EINVAL);
    return -1;
  }
  // The child reports a failed exec through a pipe that closes on exec.
  int report[2];
  if (pipe2(report, O_CLOEXEC) != 0) {
    err = OsError::FromNative(errno);
    return -1;
  }
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  const pid_t child = fork();
  if (child < 0) {
    err = OsError::FromNative(errno);
    close(report[0]);
    close(report[1]);
    return -1;
  }
  if (child == 0) {
    close(report[0]);
    const int devnull = open("/dev/null", O_RDONLY);
    if (devnull >= 0) dup2(devnull, 0);
    execvp(args[0], args.data());
    const int code = errno;
    (void)!write(report[1], &code, sizeof code);
    _exit(127);
  }
  close(report[1]);
  int execError = 0;
  ssize_t got;
  while ((got = read(report[0], &execError, sizeof execError)) < 0 && errno == EINTR) {
  }
  close(report[0]);
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  if (got == static_cast<ssize_t>(sizeof execError)) {
    err = OsError::FromNative(execError);
    return -1;
  }
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  return 128 + (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
}

bool StartProgram(const std::string& path, const std::string& parameters, OsError& err) {
  // Not needed here: the uninstaller is a Windows program.
  err = OsError::FromNative(ENOSYS);
  return false;
}

bool ReadOwnResource(int id, std::vector<uint8_t>& bytes) { return false; }

bool IsAdministrator() { return true; }

void NotifyAssociationsChanged() {}

bool ShutdownSystem(OsError& err) {
  const char* replacement = std::getenv(kShutdownOverrideVariable);
  std::vector<std::string> argv;
  if (replacement && *replacement)
    argv = {replacement};
  else
    argv = {"systemctl", "poweroff"};
  const int code = RunProgramAndWait(argv, err);
  if (code == 0) return true;
  if (!err) err = OsError::FromNative(code < 0 ? ENOSYS : EPERM);
  return false;
}

// --- no hand-over window on POSIX ---

struct THandoverWindow::Impl {};
THandoverWindow::THandoverWindow() = default;
THandoverWindow::~THandoverWindow() = default;
bool THandoverWindow::Create(const std::string&) { return false; }
uintptr_t THandoverWindow::Handle() const { return 0; }
bool THandoverWindow::RunUntil(const std::function<bool()>& done, uint32_t) { return done(); }
bool THandoverWindow::SendCopyData(uintptr_t, uintptr_t, uint32_t, const std::vector<uint8_t>&) {
  return false;
}
bool THandoverWindow::PostToWindow(uintptr_t, uint32_t) { return false; }

}  // namespace zw::platform
