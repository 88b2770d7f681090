#include "platform/debug_output.h"

namespace zw::platform {

// POSIX has no debugger output channel; the text is dropped.
void DebugOutput(const std::string&) {}

}  // namespace zw::platform
