// Facts about the running system for error reports: operating system
// version, memory, primary screen.
#pragma once
#include <cstdint>
#include <string>

namespace zw::platform {

struct OsVersionInfo {
  // "Windows" on Windows; on POSIX the kernel's name from uname ("Linux").
  std::string name;
  uint32_t major = 0;
  uint32_t minor = 0;
  uint32_t build = 0;
  // Windows: the service-pack text (often empty). POSIX: uname's version
  // text and machine ("#1 SMP PREEMPT_DYNAMIC Debian 6.1.76-1, x86_64").
  std::string extra;
};

struct MemoryInfo {
  uint64_t availPhys = 0;      // bytes of physical memory available
  uint64_t totalPhys = 0;      // bytes of physical memory
  uint64_t availPageFile = 0;  // Windows: commit that is left; POSIX: free swap
  uint64_t totalPageFile = 0;  // Windows: the commit limit; POSIX: swap size
};

struct ScreenSize {
  int32_t width = 0;
  int32_t height = 0;
};

// Windows: RtlGetVersion (the true version, whatever the manifest says),
// GetVersionExA when ntdll lacks it. POSIX: uname; major, minor and build
// are the first three numbers of the release ("6.1.0-18-amd64" -> 6, 1, 0).
OsVersionInfo GetOsVersion();
// Windows: GlobalMemoryStatusEx. POSIX: sysinfo (Linux); zeros elsewhere.
MemoryInfo GetMemoryInfo();
// Windows: the primary screen (SM_CXSCREEN, SM_CYSCREEN). POSIX: 0 x 0 (the
// program has no display connection there).
ScreenSize GetPrimaryScreenSize();

}  // namespace zw::platform
