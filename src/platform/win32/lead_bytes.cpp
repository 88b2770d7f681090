#include "platform/lead_bytes.h"

#include <windows.h>

namespace zw::platform {

bool IsLeadByte(unsigned char c) { return IsDBCSLeadByte(c) != FALSE; }

}  // namespace zw::platform
