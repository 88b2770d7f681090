// The file pools on the shapes that make a naive pool quadratic, at 100,000
// and 1,000,000 files: time of feeding and finishing, and the ratio between
// the two sizes (n log n growth gives about 12; quadratic growth 100).
//
// The machine may be shared, so every size is run several times and the
// best time counts (noise only ever adds time).
//
//   pool_bench [small] [large] [runs] [shape name part]
//
// Content is not read here (the entries have no files): the content stage is
// a counter, so the figures are the pools' own. Reading real files is timed
// by scan_bench.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "engine/dupes/file_pool.h"
#include "engine/dupes/pool_shapes.h"

namespace {

class CountingSink : public zw::TResultManager {
 public:
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

double RunShape(zw::poolshapes::TShapeKind kind, size_t n, long& sets, long& files) {
  zw::poolshapes::TShape shape = zw::poolshapes::MakeShape(kind, n);
  const zw::TSearchSettings settings = zw::MakeSearchSettings(shape.settings);
  CountingSink sink;
  zw::TPoolContext context;
  context.results = &sink;
  context.nowLocal = shape.nowLocal;
  context.contentStage = [](zw::TResultManager& next, const zw::TSearchSettings&,
                            const zw::TPoolContext&) -> std::unique_ptr<zw::TResultManager> {
    // Candidate sets go straight on: this measures the pool, not the disk.
    struct Forward : zw::TResultManager {
      zw::TResultManager& to;
      explicit Forward(zw::TResultManager& t) : to(t) {}
      void AddSet(zw::TFileInfos* first) override { to.AddSet(first); }
    };
    return std::make_unique<Forward>(next);
  };
  auto t0 = std::chrono::steady_clock::now();
  auto pool = zw::CreatePool(settings, zw::ChooseKeys(settings), context);
  for (auto& e : shape.fresh) pool->AddFresh(e.release());
  for (auto& e : shape.library) pool->AddLibrary(e.release());
  if (pool->FileCount() > 1) pool->Finish(sink);
  pool.reset();
  double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  sets = sink.sets;
  files = sink.files;
  return s;
}

// The best of `runs` runs.
double BestOf(int runs, zw::poolshapes::TShapeKind kind, size_t n, long& sets, long& files) {
  double best = RunShape(kind, n, sets, files);
  for (int i = 1; i < runs; ++i) best = std::min(best, RunShape(kind, n, sets, files));
  return best;
}

}  // namespace

int main(int argc, char** argv) {
  const size_t small = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 100000;
  const size_t large = argc > 2 ? std::strtoul(argv[2], nullptr, 10) : 1000000;
  const int runs = argc > 3 ? std::max(1, std::atoi(argv[3])) : 3;
  const char* only = argc > 4 ? argv[4] : nullptr;
  std::printf("%-36s %12zu %12zu %8s   (best of %d)\n", "shape (seconds)", small, large, "ratio", runs);
  int bad = 0;
  for (auto kind : zw::poolshapes::AllShapes()) {
    if (only && !std::strstr(zw::poolshapes::ShapeName(kind), only)) continue;
    long s1, f1, s2, f2;
    double a = BestOf(runs, kind, small, s1, f1);
    double b = BestOf(runs, kind, large, s2, f2);
    double ratio = b / (a > 1e-4 ? a : 1e-4);
    std::printf("%-36s %12.3f %12.3f %8.1f   (%ld / %ld sets)\n",
                zw::poolshapes::ShapeName(kind), a, b, ratio, s1, s2);
    if (ratio > 15) ++bad;
  }
  std::printf("shapes growing worse than 15x for 10x the files: %d\n", bad);
  return 0;
}
