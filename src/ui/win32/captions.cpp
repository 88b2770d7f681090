#include "ui/win32/captions.h"

#include "app/text/language_files.h"

namespace zw::win {

std::string Caption(const char* key, const char* english) {
  // The first text a file gives for a key is the one in force.
  for (const auto& [name, text] : WindowTexts().captions)
    if (name == key) return text;
  return english;
}

}  // namespace zw::win
