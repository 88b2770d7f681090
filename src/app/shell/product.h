// The program's name, maker, version and addresses, in one place: the
// uninstall entry, the uninstaller and the desktop registrations use them.
#pragma once
#include <cstdint>
#include <string>

namespace zw {

inline constexpr const char* kProductName = "Zwillo Pro";
inline constexpr const char* kPublisher = "Corvanta";
inline constexpr const char* kSupportAddress = "support@corvanta.example";
// The version as the list of installed programs shows it, and as one number:
// major << 24 | minor << 16 | build.
inline constexpr const char* kVersionText = "2.1.0.104";
inline constexpr uint32_t kVersionMajor = 2;
inline constexpr uint32_t kVersionMinor = 1;
inline constexpr uint32_t kVersionBuild = 104;
inline constexpr uint32_t kVersionNumber = kVersionMajor << 24 | kVersionMinor << 16 | kVersionBuild;
static_assert(kVersionNumber == 0x02010068);
// The help file beside the executable.
inline constexpr const char* kHelpFileName = "Zwillo.chm";

// The product page in a language ("en", "de", ...).
inline std::string ProductPage(const std::string& language) {
  return "https://www.corvanta.example/zwillo/" + (language.empty() ? std::string("en") : language) +
         "/";
}

}  // namespace zw
