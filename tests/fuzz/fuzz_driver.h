// The entry point every fuzz target defines. It is handed one input and must
// return 0; a fault in the code under test shows as a crash, an assertion,
// a hang or a runaway allocation, never as a return value.
#pragma once
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

int ZwFuzzOne(const uint8_t* data, size_t size);

// The readers work on files: writes the input to this target's own file
// (named "zw-<tag>-fuzz-<random><extension>" in the temporary folder and
// removed when the program ends) and returns its path; empty when it could
// not be written.
inline std::string ZwFuzzInputFile(const uint8_t* data, size_t size, const char* tag,
                                   const char* extension) {
  // The remover keeps its own copy of the name: the name's static may be
  // gone by the time it runs.
  struct RemoveAtExit {
    std::string path;
    ~RemoveAtExit() {
      std::error_code ec;
      std::filesystem::remove(path, ec);
    }
  };
  static const std::string path = [&] {
    std::random_device rd;
    return (std::filesystem::temp_directory_path() /
            (std::string("zw-") + tag + "-fuzz-" + std::to_string(rd()) + extension))
        .string();
  }();
  static RemoveAtExit removeAtExit{path};
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  return out ? path : std::string();
}
