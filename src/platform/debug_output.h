// Text for an attached debugger (OutputDebugString on Windows); nothing on POSIX.
#pragma once
#include <string>

namespace zw::platform {

void DebugOutput(const std::string& text);

}  // namespace zw::platform
