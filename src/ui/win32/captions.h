// The window's captions: the text a language file gives for a caption key,
// or the window's own English.
#pragma once
#include <string>

namespace zw::win {

std::string Caption(const char* key, const char* english);

}  // namespace zw::win
