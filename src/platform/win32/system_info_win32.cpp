// System facts on Windows: the true version from ntdll, memory status and
// the primary screen's size.
#include <windows.h>

#include <string>

#include "platform/system_info.h"

namespace zw::platform {

namespace {
std::string NarrowAcp(const wchar_t* text) {
  if (!text || !*text) return {};
  const int n = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (n <= 1) return {};
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_ACP, 0, text, -1, out.data(), n, nullptr, nullptr);
  out.resize(static_cast<size_t>(n - 1));
  return out;
}
}  // namespace

OsVersionInfo GetOsVersion() {
  OsVersionInfo info;
  info.name = "Windows";
  // GetVersionEx reports what the manifest claims to support; RtlGetVersion
  // tells the truth.
  using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOEXW*);
  if (HMODULE ntdll = GetModuleHandleA("ntdll.dll")) {
    if (FARPROC proc = GetProcAddress(ntdll, "RtlGetVersion")) {
      auto fn = reinterpret_cast<RtlGetVersionFn>(reinterpret_cast<void*>(proc));
      OSVERSIONINFOEXW v{};
      v.dwOSVersionInfoSize = sizeof(v);
      if (fn(&v) == 0) {
        info.major = v.dwMajorVersion;
        info.minor = v.dwMinorVersion;
        info.build = v.dwBuildNumber;
        info.extra = NarrowAcp(v.szCSDVersion);
        return info;
      }
    }
  }
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  OSVERSIONINFOA v{};
  v.dwOSVersionInfoSize = sizeof(v);
  if (GetVersionExA(&v)) {
    info.major = v.dwMajorVersion;
    info.minor = v.dwMinorVersion;
    info.build = v.dwBuildNumber & 0xFFFF;
    info.extra = v.szCSDVersion;
  }
#pragma GCC diagnostic pop
  return info;
}

MemoryInfo GetMemoryInfo() {
  MemoryInfo m;
  MEMORYSTATUSEX s{};
  s.dwLength = sizeof(s);
  if (GlobalMemoryStatusEx(&s)) {
    m.availPhys = s.ullAvailPhys;
    m.totalPhys = s.ullTotalPhys;
    m.availPageFile = s.ullAvailPageFile;
    m.totalPageFile = s.ullTotalPageFile;
  }
  return m;
}

ScreenSize GetPrimaryScreenSize() {
  return {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

}  // namespace zw::platform
