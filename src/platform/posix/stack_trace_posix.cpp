// Stack capture on POSIX: backtrace() for the return addresses, dladdr() for
// the module and the nearest exported symbol.
#include <dlfcn.h>
#include <execinfo.h>

#include <cstdlib>
#include <string>
#include <vector>

#if defined(__GNUC__)
#include <cxxabi.h>
#endif

#include "platform/stack_trace.h"

namespace zw::platform {

namespace {

std::string BaseName(const char* path) {
  std::string p = path ? path : "";
  const size_t slash = p.find_last_of('/');
  return slash == std::string::npos ? p : p.substr(slash + 1);
}
}  // namespace

__attribute__((noinline)) std::vector<StackFrame> CaptureStack(int skip, int maxFrames) {
  if (skip < 0) skip = 0;
  if (maxFrames <= 0) return {};
  std::vector<void*> raw(static_cast<size_t>(maxFrames + skip + 1));
  const int n = backtrace(raw.data(), static_cast<int>(raw.size()));
  std::vector<StackFrame> frames;
  // Frame 0 is CaptureStack itself.
  for (int i = 1 + skip; i < n && static_cast<int>(frames.size()) < maxFrames; ++i) {
    StackFrame f;
    f.address = reinterpret_cast<uintptr_t>(raw[static_cast<size_t>(i)]);
    Dl_info dl{};
    // A return address may point just past the end of its procedure: look
    // the symbol up one byte earlier.
    if (dladdr(reinterpret_cast<void*>(f.address - 1), &dl) != 0) {
      f.module = BaseName(dl.dli_fname);
      f.moduleBase = reinterpret_cast<uintptr_t>(dl.dli_fbase);
      if (dl.dli_sname && dl.dli_saddr) {
        f.procedure = DemangleSymbol(dl.dli_sname);
        f.procOffset = f.address - reinterpret_cast<uintptr_t>(dl.dli_saddr);
      }
    }
    frames.push_back(std::move(f));
  }
  return frames;
}

}  // namespace zw::platform
