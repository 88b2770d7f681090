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

std::optional<DesktopMetrics> GetDesktopMetrics() { return std::nullopt; }

}  // namespace zw::platform
