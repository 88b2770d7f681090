// CRC-32 throughput of the program's routine against zlib's crc32, on the
// same buffer in the same run.
#include <zlib.h>

#include <chrono>
#include <cstdio>
#include <random>
#include <vector>

#include "engine/common/crc32.h"

template <class F>
double BestMBps(F f, size_t bytes, int rounds) {
  double best = 0;
  for (int r = 0; r < rounds; ++r) {
    auto t0 = std::chrono::steady_clock::now();
    f();
    double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    best = std::max(best, bytes / s / 1e6);
  }
  return best;
}

int main() {
  std::vector<unsigned char> buf(64 << 20);
  std::mt19937 rng(1);
  for (auto& b : buf) b = static_cast<unsigned char>(rng());
  volatile uint32_t sink = 0;
  double ours = BestMBps([&] { sink = zw::Crc32(buf.data(), buf.size()); }, buf.size(), 5);
  uint32_t a = sink;
  double zlib = BestMBps([&] { sink = static_cast<uint32_t>(crc32(0, buf.data(), static_cast<uInt>(buf.size()))); },
                         buf.size(), 5);
  if (a != sink) {
    std::printf("crc32: MISMATCH %08x vs zlib %08x\n", a, static_cast<uint32_t>(sink));
    return 1;
  }
  std::printf("crc32: ours %.0f MB/s, zlib %.0f MB/s, ratio %.2f (64 MiB buffer, best of 5)\n", ours,
              zlib, ours / zlib);
  return 0;
}
