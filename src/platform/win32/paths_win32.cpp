// Windows side of the path rules: locale lower case and GetFullPathName.
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/paths.h"

namespace zw::platform {

std::string LowerText(std::string_view text) {
  std::string out(text);
  // CharLowerBuffA works in pieces of at most a DWORD's worth.
  size_t done = 0;
  while (done < out.size()) {
    const DWORD n = static_cast<DWORD>(std::min<size_t>(out.size() - done, 0x40000000u));
    CharLowerBuffA(out.data() + done, n);
    done += n;
  }
  return out;
}

std::string FullPath(std::string_view path) {
  if (path.empty()) return std::string();
  const std::string in(path);
  std::vector<char> buffer(MAX_PATH + 1);
  for (int attempt = 0; attempt < 4; ++attempt) {
    const DWORD n = GetFullPathNameA(in.c_str(), static_cast<DWORD>(buffer.size()), buffer.data(), nullptr);
    if (n == 0) return std::string();
    if (n < buffer.size()) return std::string(buffer.data(), n);
    buffer.resize(n + 1);  // too small: n is the size needed, terminator included
  }
  return std::string();
}

std::string RealPath(std::string_view path) {
  if (path.empty()) return std::string();
  const std::string in(path);
  // Opening a folder needs backup semantics; no access is asked for.
  const HANDLE h = CreateFileA(in.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                               nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) return std::string();
  std::vector<char> buffer(MAX_PATH + 1);
  DWORD n = 0;
  for (int attempt = 0; attempt < 4; ++attempt) {
    n = GetFinalPathNameByHandleA(h, buffer.data(), static_cast<DWORD>(buffer.size()),
                                  FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (n == 0 || n < buffer.size()) break;
    buffer.resize(n + 1);
  }
  CloseHandle(h);
  if (n == 0 || n >= buffer.size()) return std::string();
  std::string out(buffer.data(), n);
  // "\\?\C:\x" -> "C:\x", "\\?\UNC\server\share" -> "\\server\share".
  if (out.rfind(R"(\\?\UNC\)", 0) == 0)
    out = R"(\\)" + out.substr(8);
  else if (out.rfind(R"(\\?\)", 0) == 0)
    out = out.substr(4);
  if (PathRootLength(out) < out.size()) out = ExcludeTrailingSep(out);
  return out;
}

}  // namespace zw::platform
