// Call stack of the calling thread, resolved to modules and, as far as the
// system's symbol facility knows them, to procedures and source lines.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace zw::platform {

struct StackFrame {
  uintptr_t address = 0;     // return address (instruction pointer of the frame)
  std::string module;        // file name of the executable or library, no folder
  uintptr_t moduleBase = 0;  // load address of the module, 0 when unknown
  std::string procedure;     // demangled name, empty when unknown
  uintptr_t procOffset = 0;  // address - start of the procedure (when known)
  std::string file;          // source file, empty when unknown
  uint32_t line = 0;         // source line, 0 when unknown
};

// The frames of the calling thread's stack, innermost first, starting with
// the caller of CaptureStack; `skip` further frames are left out. At most
// `maxFrames` are returned.
//   POSIX: backtrace() and dladdr() (names of exported symbols only; a
//   program linked without -rdynamic shows module offsets for its own code).
//   Windows: RtlCaptureStackBackTrace, module names from the loader, and
//   procedure and line names from dbghelp where it finds symbols.
std::vector<StackFrame> CaptureStack(int skip = 0, int maxFrames = 62);

// The readable form of a compiler's mangled type name ("N2zw4TDirE" ->
// "zw::TDir", as typeid gives it); a name that is not mangled comes back as
// it is.
std::string DemangleName(const char* name);
// The same for a symbol name of a stack frame: only names that start with
// "_Z" are mangled ("main" stays "main").
std::string DemangleSymbol(const char* name);
// The readable type name of the exception being handled (in a catch block),
// or "unknown" where the runtime does not tell it.
std::string CurrentExceptionTypeName();

}  // namespace zw::platform
