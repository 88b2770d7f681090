// Writes a benchmark tree: <files> files spread over <folders> folders (two
// levels deep), sizes from 0 to <maxsize> bytes, and a share of them exact
// copies of earlier files, so that a scan has duplicates to find.
//
//   make_tree DIR FILES FOLDERS MAXSIZE DUPLICATE_PERCENT
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

int main(int argc, char** argv) {
  if (argc != 6) {
    std::fprintf(stderr, "usage: make_tree DIR FILES FOLDERS MAXSIZE DUPLICATE_PERCENT\n");
    return 2;
  }
  const std::filesystem::path root = argv[1];
  const long files = std::atol(argv[2]);
  const long folders = std::atol(argv[3]);
  const long maxSize = std::atol(argv[4]);
  const int dupPercent = std::atoi(argv[5]);
  std::mt19937_64 rng(20261206);
  std::vector<std::string> contents;  // a pool of earlier contents to copy
  std::string buf;
  long perFolder = (files + folders - 1) / folders;
  long written = 0;
  for (long d = 0; d < folders && written < files; ++d) {
    auto dir = root / ("g" + std::to_string(d / 50)) / ("d" + std::to_string(d));
    std::filesystem::create_directories(dir);
    for (long f = 0; f < perFolder && written < files; ++f, ++written) {
      if (!contents.empty() && static_cast<int>(rng() % 100) < dupPercent) {
        buf = contents[rng() % contents.size()];
      } else {
        buf.resize(rng() % (maxSize + 1));
        for (auto& c : buf) c = static_cast<char>(rng());
        if (contents.size() < 5000) contents.push_back(buf);
        else contents[rng() % contents.size()] = buf;
      }
      std::ofstream(dir / ("f" + std::to_string(f) + ".dat"), std::ios::binary)
          .write(buf.data(), static_cast<std::streamsize>(buf.size()));
    }
  }
  std::printf("wrote %ld files in %ld folders under %s\n", written, folders, argv[1]);
  return 0;
}
