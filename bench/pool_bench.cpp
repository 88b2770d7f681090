// The file pools on the shapes that make a naive pool quadratic, at 100,000
// and 1,000,000 files: time of feeding and finishing, and the ratio between
// the two sizes (n log n growth gives about 12; quadratic growth 100).
//
// The machine may be shared, so every size is run several times and the
// best time counts (noise only ever adds time), and the time is the
// process's CPU time, which other programs on the machine disturb far less
// than the wall clock (the pools run on one thread).
//
//   pool_bench [small] [large] [runs] [shape name part]
//
// Content is not read here (the entries have no files): the content stage is
// a counter, so the figures are the pools' own. Reading real files is timed
// by scan_bench.
#include <algorithm>
#include <ctime>
#include <malloc.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "engine/dupes/file_pool.h"
#include "pool_shapes.h"

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

double CpuSeconds() {
  timespec ts{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

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
  const double t0 = CpuSeconds();
  auto pool = zw::CreatePool(settings, zw::ChooseKeys(settings), context);
  for (auto& e : shape.fresh) pool->AddFresh(e.release());
  for (auto& e : shape.library) pool->AddLibrary(e.release());
  if (pool->FileCount() > 1) pool->Finish(sink);
  pool.reset();
  const double s = CpuSeconds() - t0;
  sets = sink.sets;
  files = sink.files;
  return s;
}

// The least any pool has to do with the same entries: sort them by size,
// time and name through the entries, chain them in that order, and free
// them along the chain. This is n log n with the same memory behaviour as
// the pool (every entry is a separate allocation met in key order), so its
// growth from the small to the large size is the yardstick for the pool's:
// at a million files the entries no longer fit in the processor's caches,
// and every touch of one costs a memory access for the pool and for the
// yardstick alike.
double RunYardstick(zw::poolshapes::TShapeKind kind, size_t n) {
  zw::poolshapes::TShape shape = zw::poolshapes::MakeShape(kind, n);
  std::vector<zw::TFileInfos*> all;
  all.reserve(shape.fresh.size() + shape.library.size());
  for (auto& e : shape.fresh) all.push_back(e.release());
  for (auto& e : shape.library) all.push_back(e.release());
  const double t0 = CpuSeconds();
  std::sort(all.begin(), all.end(), [](const zw::TFileInfos* a, const zw::TFileInfos* b) {
    if (a->Size != b->Size) return a->Size < b->Size;
    if (a->Time != b->Time) return a->Time < b->Time;
    return a->Name.view() < b->Name.view();
  });
  for (size_t i = 0; i + 1 < all.size(); ++i) all[i]->Next = all[i + 1];
  if (!all.empty()) all.back()->Next = nullptr;
  for (zw::TFileInfos* e = all.empty() ? nullptr : all.front(); e;) {
    zw::TFileInfos* next = e->Next;
    zw::FreeFileInfos(e);
    e = next;
  }
  return CpuSeconds() - t0;
}

// The best of `runs` runs.
double BestOf(int runs, zw::poolshapes::TShapeKind kind, size_t n, long& sets, long& files) {
  double best = RunShape(kind, n, sets, files);
  for (int i = 1; i < runs; ++i) best = std::min(best, RunShape(kind, n, sets, files));
  return best;
}
double BestYardstick(int runs, zw::poolshapes::TShapeKind kind, size_t n) {
  double best = RunYardstick(kind, n);
  for (int i = 1; i < runs; ++i) best = std::min(best, RunYardstick(kind, n));
  return best;
}

}  // namespace

int main(int argc, char** argv) {
  // Freed memory stays with the program between runs, so the best of the
  // runs measures the pool, not the kernel handing out and zeroing pages
  // again (which costs a lot on a virtual machine, the same for any pool).
  mallopt(M_MMAP_THRESHOLD, 1 << 30);
  mallopt(M_TRIM_THRESHOLD, 1 << 30);
  const size_t small = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 100000;
  const size_t large = argc > 2 ? std::strtoul(argv[2], nullptr, 10) : 1000000;
  const int runs = argc > 3 ? std::max(1, std::atoi(argv[3])) : 3;
  const char* only = argc > 4 ? argv[4] : nullptr;
  std::printf("%-36s %10zu %10zu %7s %9s   (best of %d)\n", "shape (CPU seconds)", small, large,
              "ratio", "yardstick", runs);
  int bad = 0;
  for (auto kind : zw::poolshapes::AllShapes()) {
    if (only && !std::strstr(zw::poolshapes::ShapeName(kind), only)) continue;
    long s1, f1, s2, f2;
    double a = BestOf(runs, kind, small, s1, f1);
    double b = BestOf(runs, kind, large, s2, f2);
    double ratio = b / (a > 1e-4 ? a : 1e-4);
    double ya = BestYardstick(runs, kind, small);
    double yb = BestYardstick(runs, kind, large);
    double yardstick = yb / (ya > 1e-4 ? ya : 1e-4);
    std::printf("%-36s %10.3f %10.3f %7.1f %9.1f   (%ld / %ld sets)\n",
                zw::poolshapes::ShapeName(kind), a, b, ratio, yardstick, s1, s2);
    // Growth beyond n log n shows as a ratio above both the plain goal and
    // the yardstick's own growth on this machine.
    if (ratio > 15 && ratio > 1.5 * yardstick) ++bad;
  }
  std::printf("yardstick: sorting, chaining and freeing the same entries (n log n)\n");
  std::printf("shapes growing worse than 15x and 1.5x the yardstick's growth: %d\n", bad);
  return 0;
}
