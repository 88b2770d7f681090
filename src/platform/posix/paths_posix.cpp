// POSIX side of the path rules: ASCII lower case and textual full paths.
#include <limits.h>
#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <vector>

#include "platform/paths.h"

namespace zw::platform {
namespace {

std::string CurrentFolder() {
  std::vector<char> buffer(4096);
  for (;;) {
    if (getcwd(buffer.data(), buffer.size()) != nullptr) return std::string(buffer.data());
    if (errno != ERANGE || buffer.size() > (1u << 20)) return std::string();
    buffer.resize(buffer.size() * 2);
  }
}

}  // namespace

std::string LowerText(std::string_view text) { return LowerAscii(text); }

std::string FullPath(std::string_view path) {
  if (path.empty()) return std::string();
  std::string whole;
  if (path[0] == '/') {
    whole = std::string(path);
  } else {
    whole = CurrentFolder();
    if (whole.empty()) return std::string();
    whole.push_back('/');
    whole.append(path);
  }
  const bool trailing = path.back() == '/';

  // Walk the parts; "." stays, ".." goes up (never above the root), empty
  // parts from doubled separators vanish. Symbolic links are not looked at.
  std::vector<std::string_view> parts;
  std::string_view rest(whole);
  while (!rest.empty()) {
    const size_t slash = rest.find('/');
    const std::string_view part = rest.substr(0, slash);
    rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash + 1);
    if (part.empty() || part == ".") continue;
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
      continue;
    }
    parts.push_back(part);
  }

  std::string out;
  for (const std::string_view part : parts) {
    out.push_back('/');
    out.append(part);
  }
  if (out.empty() || trailing) out.push_back('/');
  return out;
}

std::string RealPath(std::string_view path) {
  if (path.empty()) return std::string();
  const std::string in(path);
  char* resolved = realpath(in.c_str(), nullptr);
  if (resolved == nullptr) return std::string();
  std::string out(resolved);
  free(resolved);
  return out;
}

}  // namespace zw::platform
