// A standalone driver for the fuzz targets, for compilers without libFuzzer
// (g++, MinGW under wine):
//
//   fuzz_driver CORPUS SECONDS [SEED]
//
// replays every file of CORPUS (a folder, or one file), then for SECONDS
// feeds the target mutated copies of the corpus inputs: bit flips,
// truncation, inserted and deleted bytes, and 2-, 4- and 8-byte fields set to
// huge values. The same SEED gives the same inputs in the same order. The
// driver cannot catch a crash: a fault kills it, and the input that caused
// it stays in the temporary folder as fuzz-last-input-PROGRAM-SEED for
// replay (fuzz_driver <that file> 0); the program's name keeps the targets
// apart when several run at once. A run that ends
// normally exits with 0 and says how many inputs it ran.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "fuzz_driver.h"

namespace {

using Bytes = std::vector<uint8_t>;

constexpr size_t kMaxInput = 1 << 20;  // mutated inputs never grow beyond 1 MiB

Bytes ReadAll(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Little-endian field values that readers of lengths and offsets trip over.
constexpr uint64_t kHuge[] = {0xFFFFFFFFFFFFFFFFull, 0x7FFFFFFFFFFFFFFFull,
                              0x8000000000000000ull, 0xFFFFFFFFull,
                              0x7FFFFFFFull,         0x80000000ull,
                              0xFFFFull,             0xFFFEull,
                              0x0ull,                0x10000ull};

void Mutate(Bytes& b, std::mt19937_64& rng) {
  const int edits = 1 + static_cast<int>(rng() % 6);
  for (int e = 0; e < edits; ++e) {
    const size_t at = b.empty() ? 0 : rng() % b.size();
    switch (rng() % 7) {
      case 0:  // flip one bit
        if (!b.empty()) b[at] ^= static_cast<uint8_t>(1u << (rng() % 8));
        break;
      case 1:  // a random byte
        if (!b.empty()) b[at] = static_cast<uint8_t>(rng());
        break;
      case 2:  // truncate
        b.resize(b.empty() ? 0 : rng() % b.size());
        break;
      case 3: {  // insert a few bytes
        const size_t n = 1 + rng() % 16;
        if (b.size() + n > kMaxInput) break;
        Bytes ins(n);
        for (auto& c : ins) c = static_cast<uint8_t>(rng());
        b.insert(b.begin() + static_cast<std::ptrdiff_t>(at), ins.begin(), ins.end());
        break;
      }
      case 4: {  // delete a few bytes
        if (b.empty()) break;
        const size_t n = std::min<size_t>(1 + rng() % 16, b.size() - at);
        b.erase(b.begin() + static_cast<std::ptrdiff_t>(at),
                b.begin() + static_cast<std::ptrdiff_t>(at + n));
        break;
      }
      case 5: {  // a length or offset field set to a huge value
        const size_t width = size_t{2} << (rng() % 3);  // 2, 4 or 8 bytes
        if (b.size() < width) break;
        const size_t pos = rng() % (b.size() - width + 1);
        const uint64_t v = kHuge[rng() % std::size(kHuge)];
        for (size_t k = 0; k < width; ++k) b[pos + k] = static_cast<uint8_t>(v >> (8 * k));
        break;
      }
      default: {  // repeat a chunk (copies of records and signatures)
        if (b.empty()) break;
        const size_t n = std::min<size_t>(1 + rng() % 64, b.size() - at);
        if (b.size() + n > kMaxInput) break;
        Bytes chunk(b.begin() + static_cast<std::ptrdiff_t>(at),
                    b.begin() + static_cast<std::ptrdiff_t>(at + n));
        const size_t to = rng() % (b.size() + 1);
        b.insert(b.begin() + static_cast<std::ptrdiff_t>(to), chunk.begin(), chunk.end());
        break;
      }
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s CORPUS SECONDS [SEED]\n", argv[0]);
    return 2;
  }
  const std::filesystem::path corpusPath = argv[1];
  const double seconds = std::atof(argv[2]);
  const uint64_t seed = argc > 3 ? std::strtoull(argv[3], nullptr, 10) : 1;

  std::vector<Bytes> corpus;
  std::error_code ec;
  if (std::filesystem::is_directory(corpusPath, ec)) {
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(corpusPath, ec))
      if (entry.is_regular_file()) files.push_back(entry.path());
    std::sort(files.begin(), files.end());  // the same order on every system
    for (const auto& f : files) corpus.push_back(ReadAll(f));
  } else if (std::filesystem::is_regular_file(corpusPath, ec)) {
    corpus.push_back(ReadAll(corpusPath));
  } else {
    std::fprintf(stderr, "%s: no corpus at %s\n", argv[0], argv[1]);
    return 2;
  }
  if (corpus.empty()) corpus.emplace_back();

  // The input about to run is kept in a file, so that the one that crashed
  // the target can be replayed (fuzz_driver fuzz-last-input-... 0).
  const std::filesystem::path last =
      std::filesystem::temp_directory_path() /
      ("fuzz-last-input-" + std::filesystem::path(argv[0]).stem().string() + "-" +
       std::to_string(seed));
  auto run = [&](const Bytes& input) {
    {
      std::ofstream out(last, std::ios::binary | std::ios::trunc);
      out.write(reinterpret_cast<const char*>(input.data()),
                static_cast<std::streamsize>(input.size()));
    }
    ZwFuzzOne(input.data(), input.size());
  };

  uint64_t replayed = 0;
  for (const Bytes& input : corpus) {
    run(input);
    ++replayed;
  }

  std::mt19937_64 rng(seed);
  uint64_t mutated = 0;
  const auto until = std::chrono::steady_clock::now() +
                     std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                         std::chrono::duration<double>(seconds));
  while (std::chrono::steady_clock::now() < until) {
    Bytes input = corpus[rng() % corpus.size()];
    Mutate(input, rng);
    run(input);
    ++mutated;
  }
  std::filesystem::remove(last, ec);
  std::printf("fuzz_driver: %llu corpus inputs replayed, %llu mutated inputs run (seed %llu)\n",
              static_cast<unsigned long long>(replayed),
              static_cast<unsigned long long>(mutated), static_cast<unsigned long long>(seed));
  return 0;
}
