#include <cstdlib>
#include <string>
#include <typeinfo>

#if defined(__GNUC__)
#include <cxxabi.h>
#endif

#include "platform/stack_trace.h"

namespace zw::platform {

std::string DemangleName(const char* name) {
  if (!name) return std::string();
#if defined(__GNUC__)
  int status = 0;
  char* s = abi::__cxa_demangle(name, nullptr, nullptr, &status);
  if (status == 0 && s) {
    std::string out(s);
    std::free(s);
    return out;
  }
#endif
  return name;
}

std::string CurrentExceptionTypeName() {
#if defined(__GNUC__)
  const std::type_info* t = abi::__cxa_current_exception_type();
  if (t) return DemangleName(t->name());
#endif
  return "unknown";
}

std::string DemangleSymbol(const char* name) {
  if (!name) return std::string();
  if (name[0] == '_' && name[1] == 'Z') return DemangleName(name);
  return name;
}

}  // namespace zw::platform
