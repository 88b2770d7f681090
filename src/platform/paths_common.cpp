// Path rules shared by both platforms; the separator and root rules differ
// by platform (see paths.h). LowerText and FullPath live with the OS code.
#include "platform/paths.h"

namespace zw::platform {
namespace {

bool HasDrive(std::string_view p) {
#ifdef _WIN32
  return p.size() >= 2 && p[1] == ':' &&
         ((p[0] >= 'A' && p[0] <= 'Z') || (p[0] >= 'a' && p[0] <= 'z'));
#else
  (void)p;
  return false;
#endif
}

// Index of the last character that ends a folder part (a separator, or on
// Windows the colon of a drive prefix); npos when there is none.
size_t LastDelimiter(std::string_view p) {
  for (size_t i = p.size(); i-- > 0;) {
    if (IsPathSep(p[i])) return i;
#ifdef _WIN32
    if (p[i] == ':') return i;
#endif
  }
  return std::string_view::npos;
}

}  // namespace

bool IsPathSep(char c) {
#ifdef _WIN32
  return c == '\\' || c == '/';
#else
  return c == '/';
#endif
}

std::string IncludeTrailingSep(std::string_view path) {
  std::string out(path);
  if (!out.empty() && !IsPathSep(out.back())) out.push_back(kPathSep);
  return out;
}

std::string ExcludeTrailingSep(std::string_view path) {
  // A root keeps exactly one separator: "/" or "C:\".
  const size_t keep = HasDrive(path) ? 3 : 1;
  size_t n = path.size();
  while (n > keep && IsPathSep(path[n - 1])) --n;
  return std::string(path.substr(0, n));
}

std::string ExtractFileName(std::string_view path) {
  const size_t d = LastDelimiter(path);
  return std::string(d == std::string_view::npos ? path : path.substr(d + 1));
}

std::string ExtractFilePath(std::string_view path) {
  const size_t d = LastDelimiter(path);
  return d == std::string_view::npos ? std::string() : std::string(path.substr(0, d + 1));
}

std::string ExtractFileExt(std::string_view path) {
  const size_t d = LastDelimiter(path);
  const size_t start = d == std::string_view::npos ? 0 : d + 1;
  const size_t dot = path.rfind('.');
  if (dot == std::string_view::npos || dot < start) return std::string();
  return std::string(path.substr(dot));
}

std::string JoinPath(std::string_view folder, std::string_view name) {
  if (folder.empty()) return std::string(name);
  size_t skip = 0;
  while (skip < name.size() && IsPathSep(name[skip])) ++skip;
  std::string out = IncludeTrailingSep(folder);
  out.append(name.substr(skip));
  return out;
}

size_t PathRootLength(std::string_view p) {
#ifdef _WIN32
  if (p.size() >= 2 && IsPathSep(p[0]) && IsPathSep(p[1])) {
    // \\server\share\ : the root runs through the separator after the share.
    size_t i = 2;
    while (i < p.size() && !IsPathSep(p[i])) ++i;  // server
    if (i >= p.size()) return p.size();
    ++i;
    while (i < p.size() && !IsPathSep(p[i])) ++i;  // share
    return i >= p.size() ? p.size() : i + 1;
  }
  if (HasDrive(p)) return p.size() >= 3 && IsPathSep(p[2]) ? 3 : 2;
  return !p.empty() && IsPathSep(p[0]) ? 1 : 0;
#else
  return !p.empty() && p[0] == '/' ? 1 : 0;
#endif
}

bool IsAbsolutePath(std::string_view p) {
#ifdef _WIN32
  if (p.size() >= 2 && IsPathSep(p[0]) && IsPathSep(p[1])) return true;
  return HasDrive(p) && p.size() >= 3 && IsPathSep(p[2]);
#else
  return !p.empty() && p[0] == '/';
#endif
}

std::string LowerAscii(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

char UpperAscii(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

std::string PathKey(std::string_view path) {
#ifdef _WIN32
  std::string key = LowerText(path);
  for (char& c : key) {
    if (c == '/') c = '\\';
  }
  return key;
#else
  return std::string(path);
#endif
}

bool SamePath(std::string_view a, std::string_view b) {
#ifdef _WIN32
  return PathKey(a) == PathKey(b);
#else
  return a == b;
#endif
}

bool IsPathBelow(std::string_view inner, std::string_view outer) {
  if (outer.empty()) return false;
  const std::string in = PathKey(IncludeTrailingSep(inner));
  const std::string out = PathKey(IncludeTrailingSep(outer));
  return in.size() >= out.size() && in.compare(0, out.size(), out) == 0;
}

std::string PathBelow(std::string_view destination, std::string_view path) {
  std::string rest(path);
#ifdef _WIN32
  if (const size_t colon = rest.find(':'); colon != std::string::npos) rest.erase(colon, 1);
  if (const size_t unc = rest.find("\\\\"); unc != std::string::npos) rest.erase(unc, 2);
#else
  size_t lead = 0;
  while (lead < rest.size() && rest[lead] == kPathSep) ++lead;
  rest.erase(0, lead);
#endif
  return IncludeTrailingSep(IncludeTrailingSep(destination) + rest);
}

}  // namespace zw::platform
