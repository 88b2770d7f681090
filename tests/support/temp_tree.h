// A temporary folder tree for tests, removed again at the end. Paths handed
// out are byte strings in the platform's form (folders end with the
// separator), as the program uses them.
#pragma once
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <system_error>

#include "platform/paths.h"
#include "support/files.h"

namespace zwtest {

class TempTree {
 public:
  TempTree() {
    static std::atomic<int> counter{0};
    std::random_device rd;
    auto base = std::filesystem::temp_directory_path();
    for (;;) {
      auto candidate = base / ("zwtest-" + std::to_string(rd()) + "-" + std::to_string(++counter));
      std::error_code ec;
      if (std::filesystem::create_directory(candidate, ec)) {
        root_ = candidate;
        break;
      }
    }
  }
  ~TempTree() {
    std::error_code ec;
    // Give back write permission first, so that read-only parts go too.
    for (auto it = std::filesystem::recursive_directory_iterator(
             root_, std::filesystem::directory_options::skip_permission_denied, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
      std::filesystem::permissions(it->path(), std::filesystem::perms::owner_write,
                                   std::filesystem::perm_options::add |
                                       std::filesystem::perm_options::nofollow, ec);
    }
    std::filesystem::remove_all(root_, ec);
  }
  TempTree(const TempTree&) = delete;
  TempTree& operator=(const TempTree&) = delete;

  // The root folder, with a trailing separator.
  std::string Root() const { return zw::platform::IncludeTrailingSep(root_.string()); }
  // A folder below the root ("a/b" with "/" as separator on every platform),
  // with a trailing separator; created with its parents.
  std::string Dir(const std::string& rel) const {
    auto p = root_ / std::filesystem::path(rel).make_preferred();
    std::filesystem::create_directories(p);
    return zw::platform::IncludeTrailingSep(p.string());
  }
  // The full path of a file below the root (not created).
  std::string PathOf(const std::string& rel) const {
    return (root_ / std::filesystem::path(rel).make_preferred()).string();
  }
  // Writes a file with the given content; parents are created.
  std::string File(const std::string& rel, const std::string& content = "") const {
    auto p = root_ / std::filesystem::path(rel).make_preferred();
    std::filesystem::create_directories(p.parent_path());
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
    return p.string();
  }
  // Writes a file of `size` bytes filled from `seed`.
  std::string SizedFile(const std::string& rel, size_t size, unsigned seed = 1) const {
    return File(rel, RandomBytes(size, seed));
  }
  const std::filesystem::path& RootPath() const { return root_; }

 private:
  std::filesystem::path root_;
};

}  // namespace zwtest
