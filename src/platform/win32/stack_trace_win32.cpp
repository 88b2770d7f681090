// Stack capture on Windows: RtlCaptureStackBackTrace for the return
// addresses, the loader for module names, dbghelp for procedure and line
// names where it finds symbols (MinGW's DWARF information is read by some
// dbghelp versions, not by Microsoft's; then only module offsets show).
#include <windows.h>
// windows.h first: dbghelp.h needs its types.
#include <dbghelp.h>

#include <algorithm>
#include <cstdlib>
#include <mutex>
#include <string>
#include <vector>

#if defined(__GNUC__)
#include <cxxabi.h>
#endif

#include "platform/stack_trace.h"

namespace zw::platform {

namespace {


std::string BaseName(const std::string& path) {
  const size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// dbghelp is single-threaded: every call goes through this lock.
std::mutex& SymLock() {
  static std::mutex m;
  return m;
}

bool SymReady() {
  static bool ready = [] {
    SymSetOptions(SymGetOptions() | SYMOPT_UNDNAME | SYMOPT_DEFERRED_LOADS | SYMOPT_LOAD_LINES |
                  SYMOPT_FAIL_CRITICAL_ERRORS);
    return SymInitialize(GetCurrentProcess(), nullptr, TRUE) != FALSE;
  }();
  return ready;
}

void Resolve(StackFrame& f) {
  HMODULE mod = nullptr;
  if (GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                             GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                         reinterpret_cast<LPCSTR>(f.address), &mod) &&
      mod) {
    char path[MAX_PATH + 1] = {};
    const DWORD n = GetModuleFileNameA(mod, path, MAX_PATH);
    if (n > 0) f.module = BaseName(std::string(path, n));
    f.moduleBase = reinterpret_cast<uintptr_t>(mod);
  }
  std::lock_guard<std::mutex> lock(SymLock());
  if (!SymReady()) return;
  const HANDLE process = GetCurrentProcess();
  // The return address may lie just past its procedure's end.
  const DWORD64 lookup = static_cast<DWORD64>(f.address - 1);
  alignas(SYMBOL_INFO) char buffer[sizeof(SYMBOL_INFO) + MAX_SYM_NAME] = {};
  auto* sym = reinterpret_cast<SYMBOL_INFO*>(buffer);
  sym->SizeOfStruct = sizeof(SYMBOL_INFO);
  sym->MaxNameLen = MAX_SYM_NAME;
  DWORD64 displacement = 0;
  if (SymFromAddr(process, lookup, &displacement, sym) && sym->Name[0] != '\0') {
    f.procedure = DemangleSymbol(sym->Name);
    f.procOffset = static_cast<uintptr_t>(displacement + 1);
  }
  IMAGEHLP_LINE64 line{};
  line.SizeOfStruct = sizeof(line);
  DWORD lineDisplacement = 0;
  if (SymGetLineFromAddr64(process, lookup, &lineDisplacement, &line) && line.FileName) {
    f.file = BaseName(line.FileName);
    f.line = line.LineNumber;
  }
}

}  // namespace

__attribute__((noinline)) std::vector<StackFrame> CaptureStack(int skip, int maxFrames) {
  if (skip < 0) skip = 0;
  std::vector<StackFrame> frames;
  if (maxFrames <= 0) return frames;
  // Older systems take at most 62 frames per call: fetch in pieces. The
  // first skipped frame is CaptureStack itself.
  DWORD from = static_cast<DWORD>(skip) + 1;
  while (static_cast<int>(frames.size()) < maxFrames) {
    void* raw[62];
    const DWORD want = static_cast<DWORD>(
        std::min<int>(62, maxFrames - static_cast<int>(frames.size())));
    const USHORT got = RtlCaptureStackBackTrace(from, want, raw, nullptr);
    bool end = got < want;
    for (USHORT i = 0; i < got; ++i) {
      // Some systems end the walk with empty entries.
      if (raw[i] == nullptr) {
        end = true;
        break;
      }
      StackFrame f;
      f.address = reinterpret_cast<uintptr_t>(raw[i]);
      frames.push_back(std::move(f));
    }
    if (end) break;
    from += got;
  }
  for (StackFrame& f : frames) Resolve(f);
  return frames;
}

}  // namespace zw::platform
