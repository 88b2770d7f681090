// Opening a file with its default program on POSIX: xdg-open, started in
// its own process that is not waited for (a grandchild, so no zombie stays).
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "platform/files.h"
#include "platform/shell.h"

namespace zw::platform {

bool ShellOpen(const std::string& target, const std::string& workingFolder, OsError& err) {
  err = {};
  const bool address = target.rfind("https://", 0) == 0 || target.rfind("http://", 0) == 0;
  if (!address && !FileExists(target) && !FolderExists(target)) {
    err = OsError::FromNative(ENOENT);
    return false;
  }
  int ready[2];
  if (pipe(ready) != 0) {
    err = OsError::FromNative(errno);
    return false;
  }
  pid_t child = fork();
  if (child < 0) {
    err = OsError::FromNative(errno);
    close(ready[0]);
    close(ready[1]);
    return false;
  }
  if (child == 0) {
    close(ready[0]);
    if (fork() == 0) {
      close(ready[1]);
      if (!workingFolder.empty() && chdir(workingFolder.c_str()) != 0) _exit(127);
      execlp("xdg-open", "xdg-open", target.c_str(), static_cast<char*>(nullptr));
      _exit(127);
    }
    _exit(0);
  }
  close(ready[1]);
  close(ready[0]);
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  return true;
}

}  // namespace zw::platform
