#include "platform/lead_bytes.h"

namespace zw::platform {

bool IsLeadByte(unsigned char) { return false; }

}  // namespace zw::platform
