// Double-byte text in the ANSI code page.
#pragma once

namespace zw::platform {

// True when `c` starts a two-byte character in the active ANSI code page
// (Windows with a double-byte code page such as 932 or 936). Always false on
// POSIX, where names are UTF-8 and handled byte by byte.
bool IsLeadByte(unsigned char c);

}  // namespace zw::platform
