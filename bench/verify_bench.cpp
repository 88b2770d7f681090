// What the proof of a kept copy costs a file action: scans a folder (size
// and content, CRC32), then, for every duplicate set, proves one entry to
// be a copy of another as a delete of the set's other files would (identity,
// then every byte of both). Nothing is changed on disk. Prints the files
// scanned, the sets, the scan's seconds, the files proven, the bytes read
// for the proofs and their seconds.
//
//   verify_bench DIR
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "app/results/kept_copies.h"
#include "bench_scan.h"
#include "engine/dupes/result_list.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: verify_bench DIR\n");
    return 2;
  }
  zw::TResultList results;
  double scanSecs = 0;
  const long files = BenchScan(argv[1], results, zw::TCompareSettings{}, scanSecs);

  // As a delete of "all but the first" would: every other entry of a set is
  // checked, and each must prove the first (or another kept one) a copy.
  zw::TWindowModel model;
  zw::TKeptCopies copies(model);
  long proven = 0, failed = 0;
  uint64_t bytes = 0;
  const auto t0 = std::chrono::steady_clock::now();
  for (int32_t s = 0; s < results.SetCount(); ++s) {
    std::vector<const zw::TResultEntry*> set;
    for (const zw::TResultEntry* e = results.SetHead(s); e; e = e->Next) set.push_back(e);
    if (set.size() < 2) continue;
    const std::vector<const zw::TResultEntry*> kept{set.front()};
    for (size_t i = 1; i < set.size(); ++i) {
      std::string why;
      if (copies.Find(*set[i], kept, why)) {
        ++proven;
        bytes += 2 * set[i]->Size;
      } else {
        ++failed;
      }
    }
  }
  const double proofSecs = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  std::printf("%ld %d %.4f %ld %ld %llu %.4f\n", files,
              results.SetCount(), scanSecs, proven, failed, static_cast<unsigned long long>(bytes),
              proofSecs);
  return failed == 0 ? 0 : 1;
}
