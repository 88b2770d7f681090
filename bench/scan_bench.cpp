// A whole scan at engine level over a folder: browse thread and search
// thread, size + content (complete file, CRC32), or content alone. Prints
// files scanned, duplicate files, sets and seconds.
//
//   scan_bench DIR [size-content|content-only|size-bpb]
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>

#include "bench_scan.h"
#include "engine/dupes/result_list.h"

namespace {
// Counts what reached the list; the bench frees nothing early.
struct Counter : zw::TResultManager {
  long sets = 0, files = 0;
  void AddSet(zw::TFileInfos* first) override {
    ++sets;
    while (first) {
      zw::TFileInfos* next = first->Next;
      ++files;
      zw::FreeFileInfos(first);
      first = next;
    }
  }
};
}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: scan_bench DIR [size-content|content-only|size-bpb]\n");
    return 2;
  }
  const std::string mode = argc > 2 ? argv[2] : "size-content";
  zw::TCompareSettings compare;  // size and content (CRC32)
  if (mode == "content-only") compare.Set(zw::ccSize, false);
  if (mode == "size-bpb") compare.content.methods = zw::acmByteByByte;

  Counter results;
  double s = 0;
  const long files = BenchScan(argv[1], results, compare, s);
  std::printf("%ld %ld %ld %.4f\n", files, results.files, results.sets, s);
  return 0;
}
