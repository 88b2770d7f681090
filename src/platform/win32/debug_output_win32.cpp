#include "platform/debug_output.h"

#include <windows.h>

namespace zw::platform {

void DebugOutput(const std::string& text) { OutputDebugStringA(text.c_str()); }

}  // namespace zw::platform
