#include <sys/stat.h>
#include <unistd.h>

#include "platform/system_folders.h"

namespace zw::platform {

std::vector<std::string> DefaultExcludeFolders() {
  std::vector<std::string> folders;
  for (const char* folder : {"/proc", "/sys", "/dev"}) {
    struct stat st;
    if (stat(folder, &st) == 0 && S_ISDIR(st.st_mode)) folders.emplace_back(folder);
  }
  return folders;
}

std::string ProgramFile() {
  char buffer[4096];
  const ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer);
  return n > 0 && static_cast<size_t>(n) < sizeof buffer ? std::string(buffer, static_cast<size_t>(n))
                                                         : std::string();
}

bool UserIsAdmin() { return true; }

std::optional<DesktopMetrics> GetDesktopMetrics() { return std::nullopt; }

}  // namespace zw::platform
