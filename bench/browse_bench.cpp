// Times the browse thread over a folder, recursively, with a consumer thread
// draining the queue as the search thread would. Prints files and seconds.
//
//   browse_bench DIR [ROUNDS]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "engine/scan/thread_browse.h"
#include "platform/paths.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: browse_bench DIR [ROUNDS]\n");
    return 2;
  }
  const int rounds = argc > 2 ? std::atoi(argv[2]) : 3;
  double best = 1e30;
  long files = 0;
  uint64_t bytes = 0;
  for (int r = 0; r < rounds; ++r) {
    zw::TJobQueue queue;
    zw::TEventQueue events([](zw::TStatusEvent&) {});
    zw::TZWStatusServer status(&events);
    status.SetQuiet(true);
    zw::TZWThreadManager manager;
    auto thread = std::make_shared<zw::TThreadBrowse>();
    thread->SetQueue(&queue);
    thread->SetStatus(&status);
    thread->SetManager(&manager);
    thread->attribFilter.Set(zw::fmIgnore, 0);
    thread->fresh.Add(zw::dsRecursive, zw::platform::IncludeTrailingSep(argv[1]));
    long n = 0;
    uint64_t b = 0;
    auto t0 = std::chrono::steady_clock::now();
    std::thread consumer([&] {
      while (zw::TFileInfos* list = queue.PopAll()) {
        while (list) {
          zw::TFileInfos* next = list->Next;
          ++n;
          b += list->Size;
          zw::FreeFileInfos(list);
          list = next;
        }
      }
    });
    manager.Attach(thread);
    manager.Start();
    while (!thread->Finished()) events.DispatchWait(std::chrono::milliseconds(5));
    consumer.join();
    double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    best = std::min(best, s);
    files = n;
    bytes = b;
  }
  std::printf("%ld %llu %.4f\n", files, static_cast<unsigned long long>(bytes), best);
  return 0;
}
