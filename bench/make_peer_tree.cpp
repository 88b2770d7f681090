// Writes a tree to compare duplicate finders on (bench/peers.sh):
//
//   make_peer_tree DIR FILES MAXSIZE [SEED]
//
// FILES files in FILES/50 folders, each folder one to four levels below DIR
// (its depth drawn at random, its parent a random folder one level up).
// Of the files
//   2 %  are empty,
//   25 % are exact copies of a random earlier non-empty file,
//   10 % are near twins: the size of a random earlier non-empty file and its
//        bytes but one, changed at the start, the middle or the end (a third
//        each),
//   the rest hold random bytes.
// The sizes of the random files are log-uniform from 1 to MAXSIZE bytes:
// floor(exp(u)) with u uniform in [ln 1, ln(MAXSIZE + 1)). Copies and twins
// take their sizes from a random earlier file, so every non-empty file
// follows the same distribution, of mean about MAXSIZE / ln(MAXSIZE + 1) - 0.5:
// 21,000 bytes for 256 KiB (100,000 files: 0.98 * 100,000 * 21,000, 2.06 GB)
// and 492 bytes for 4 KiB (1,000,000 files: 482 MB). The lower bound of 1
// byte is the one that brings the totals nearest to 2.0 GB and 480 MB: a
// larger one raises the mean (2 bytes: 22,250 bytes for 256 KiB).
//
// The same arguments write the same tree. The contents are not kept: every
// file has a recipe (the seed of its random bytes, its size and the bytes
// changed in it), and a copy or twin starts from its source's recipe.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cinttypes>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

namespace {

struct Flip {
  uint32_t pos;
  uint8_t mask;  // never 0: the byte always changes
};

struct Recipe {
  uint64_t seed = 0;
  uint32_t size = 0;
  int32_t flips = -1;  // index of the changed bytes in the flip lists, or -1
};

uint64_t SplitMix(uint64_t& state) {
  uint64_t z = (state += 0x9e3779b97f4a7c15ULL);
  z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
  z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
  return z ^ (z >> 31);
}

void Fill(std::vector<unsigned char>& buf, const Recipe& r,
          const std::vector<std::vector<Flip>>& flipLists) {
  buf.resize(r.size);
  uint64_t state = r.seed;
  size_t i = 0;
  for (; i + 8 <= buf.size(); i += 8) {
    const uint64_t v = SplitMix(state);
    std::memcpy(&buf[i], &v, 8);
  }
  if (i < buf.size()) {
    const uint64_t v = SplitMix(state);
    std::memcpy(&buf[i], &v, buf.size() - i);
  }
  if (r.flips >= 0)
    for (const Flip& f : flipLists[static_cast<size_t>(r.flips)]) buf[f.pos] ^= f.mask;
}

bool WriteFile(const std::string& path, const std::vector<unsigned char>& buf) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) {
    std::fprintf(stderr, "make_peer_tree: %s: %s\n", path.c_str(), std::strerror(errno));
    return false;
  }
  size_t done = 0;
  while (done < buf.size()) {
    const ssize_t n = ::write(fd, buf.data() + done, buf.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      std::fprintf(stderr, "make_peer_tree: %s: %s\n", path.c_str(), std::strerror(errno));
      ::close(fd);
      return false;
    }
    done += static_cast<size_t>(n);
  }
  if (::close(fd) != 0) {
    std::fprintf(stderr, "make_peer_tree: %s: %s\n", path.c_str(), std::strerror(errno));
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4 && argc != 5) {
    std::fprintf(stderr, "usage: make_peer_tree DIR FILES MAXSIZE [SEED]\n");
    return 2;
  }
  const std::string root = argv[1];
  const long files = std::atol(argv[2]);
  const long maxSize = std::atol(argv[3]);
  const uint64_t seed = argc == 5 ? std::strtoull(argv[4], nullptr, 10) : 20261206;
  if (files <= 0 || maxSize <= 0 || maxSize > 0x7fffffffL) {
    std::fprintf(stderr, "make_peer_tree: FILES and MAXSIZE must be positive\n");
    return 2;
  }
  std::mt19937_64 rng(seed);
  auto below = [&rng](uint64_t n) { return rng() % n; };

  // The folders, each below the root or below a folder one level up.
  const long folderCount = files / 50 > 0 ? files / 50 : 1;
  std::vector<std::string> folders;
  std::vector<std::vector<long>> byDepth(5);  // folder indices by depth 1..4
  folders.reserve(static_cast<size_t>(folderCount));
  std::error_code ec;
  std::filesystem::create_directories(root, ec);
  if (ec) {
    std::fprintf(stderr, "make_peer_tree: %s: %s\n", root.c_str(), ec.message().c_str());
    return 1;
  }
  for (long k = 0; k < folderCount; ++k) {
    int depth = 1 + static_cast<int>(below(4));
    while (depth > 1 && byDepth[static_cast<size_t>(depth - 1)].empty()) --depth;
    std::string path = root;
    if (depth > 1) {
      const auto& parents = byDepth[static_cast<size_t>(depth - 1)];
      path = folders[static_cast<size_t>(parents[below(parents.size())])];
    }
    path += "/d" + std::to_string(k);
    if (::mkdir(path.c_str(), 0755) != 0 && errno != EEXIST) {
      std::fprintf(stderr, "make_peer_tree: %s: %s\n", path.c_str(), std::strerror(errno));
      return 1;
    }
    folders.push_back(path);
    byDepth[static_cast<size_t>(depth)].push_back(k);
  }

  std::vector<Recipe> recipes;  // of the non-empty files written so far
  std::vector<std::vector<Flip>> flipLists;
  recipes.reserve(static_cast<size_t>(files));
  const double logMax = std::log(static_cast<double>(maxSize) + 1.0);
  std::uniform_real_distribution<double> logSize(0.0, logMax);
  std::vector<unsigned char> buf;
  long empty = 0, copies = 0, twins = 0, fresh = 0;
  uint64_t bytes = 0;
  for (long i = 0; i < files; ++i) {
    const auto kind = below(100);
    Recipe r;
    if (kind < 2) {
      ++empty;
    } else if (kind < 27 && !recipes.empty()) {
      r = recipes[below(recipes.size())];
      ++copies;
    } else if (kind < 37 && !recipes.empty()) {
      r = recipes[below(recipes.size())];
      std::vector<Flip> flips = r.flips >= 0 ? flipLists[static_cast<size_t>(r.flips)]
                                             : std::vector<Flip>{};
      Flip f;
      switch (below(3)) {
        case 0: f.pos = 0; break;
        case 1: f.pos = r.size / 2; break;
        default: f.pos = r.size - 1; break;
      }
      f.mask = static_cast<uint8_t>(1 + below(255));
      flips.push_back(f);
      r.flips = static_cast<int32_t>(flipLists.size());
      flipLists.push_back(std::move(flips));
      ++twins;
    } else {
      r.seed = rng();
      auto size = static_cast<long>(std::floor(std::exp(logSize(rng))));
      r.size = static_cast<uint32_t>(size < 1 ? 1 : size > maxSize ? maxSize : size);
      ++fresh;
    }
    Fill(buf, r, flipLists);
    const std::string& dir = folders[static_cast<size_t>(i * folderCount / files)];
    if (!WriteFile(dir + "/f" + std::to_string(i) + ".bin", buf)) return 1;
    bytes += r.size;
    if (r.size > 0) recipes.push_back(r);
  }
  std::printf("%ld files (%ld empty, %ld copies, %ld near twins, %ld random) in %ld folders, "
              "%" PRIu64 " bytes, under %s\n",
              files, empty, copies, twins, fresh, folderCount, bytes, root.c_str());
  return 0;
}
