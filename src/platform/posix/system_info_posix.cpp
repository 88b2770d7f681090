// System facts on POSIX: uname for the version line, sysinfo (Linux) for
// memory. There is no display connection, so the screen is 0 x 0.
#include <sys/utsname.h>
#if defined(__linux__)
#include <sys/sysinfo.h>
#endif

#include <cctype>
#include <string>

#include "platform/system_info.h"

namespace zw::platform {

namespace {
// Reads the next run of digits from `s` at `pos` (skipping what is not a
// digit before it, but stopping at a blank); 0 when there is none.
uint32_t NextNumber(const std::string& s, size_t& pos) {
  while (pos < s.size() && !std::isdigit(static_cast<unsigned char>(s[pos]))) {
    if (s[pos] == ' ' || s[pos] == '-') return 0;  // end of the version numbers
    ++pos;
  }
  uint64_t v = 0;
  bool any = false;
  while (pos < s.size() && std::isdigit(static_cast<unsigned char>(s[pos]))) {
    if (v < 0xFFFFFFFFull) v = v * 10 + static_cast<uint64_t>(s[pos] - '0');
    ++pos;
    any = true;
  }
  if (!any) return 0;
  return v > 0xFFFFFFFFull ? 0xFFFFFFFFu : static_cast<uint32_t>(v);
}
}  // namespace

OsVersionInfo GetOsVersion() {
  OsVersionInfo info;
  struct utsname u {};
  if (uname(&u) != 0) {
    info.name = "POSIX";
    return info;
  }
  info.name = u.sysname;
  const std::string release = u.release;
  size_t pos = 0;
  info.major = NextNumber(release, pos);
  info.minor = NextNumber(release, pos);
  info.build = NextNumber(release, pos);
  info.extra = u.version;
  if (u.machine[0] != '\0') {
    if (!info.extra.empty()) info.extra += ", ";
    info.extra += u.machine;
  }
  return info;
}

MemoryInfo GetMemoryInfo() {
  MemoryInfo m;
#if defined(__linux__)
  struct sysinfo si {};
  if (sysinfo(&si) == 0) {
    const uint64_t unit = si.mem_unit ? si.mem_unit : 1;
    m.availPhys = static_cast<uint64_t>(si.freeram) * unit;
    m.totalPhys = static_cast<uint64_t>(si.totalram) * unit;
    m.availPageFile = static_cast<uint64_t>(si.freeswap) * unit;
    m.totalPageFile = static_cast<uint64_t>(si.totalswap) * unit;
  }
#endif
  return m;
}

ScreenSize GetPrimaryScreenSize() { return {}; }

}  // namespace zw::platform
