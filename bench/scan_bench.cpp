// A whole scan at engine level over a folder: browse thread and search
// thread, size + content (complete file, CRC32), or content alone. Prints
// files scanned, duplicate files, sets and seconds.
//
//   scan_bench DIR [size-content|content-only|size-bpb]
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>

#include "engine/dupes/result_list.h"
#include "engine/dupes/thread_find_dupes.h"
#include "engine/scan/thread_browse.h"
#include "platform/paths.h"

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
  zw::TAdvSizeOptions size;
  zw::TAdvContentOptions content;
  const zw::TAdvSizeOptions* sizeP = &size;
  if (mode == "content-only") sizeP = nullptr;
  if (mode == "size-bpb") content.methods = zw::acmByteByByte;

  zw::TJobQueue queue;
  zw::TEventQueue events([](zw::TStatusEvent&) {});
  zw::TZWStatusServer status(&events);
  status.SetQuiet(true);
  zw::TZWThreadManager browseManager, searchManager;
  Counter results;
  auto browse = std::make_shared<zw::TThreadBrowse>();
  browse->attribFilter.Set(zw::fmIgnore, 0);
  browse->fresh.Add(zw::dsRecursive, zw::platform::IncludeTrailingSep(argv[1]));
  browse->SetQueue(&queue);
  browse->SetStatus(&status);
  browse->SetManager(&browseManager);
  auto search = std::make_shared<zw::TThreadFindDupes>(&queue, &results, &status, nullptr, nullptr,
                                                        sizeP, &content);
  search->SetManager(&searchManager);
  long files = 0;
  auto t0 = std::chrono::steady_clock::now();
  browseManager.Attach(browse);
  searchManager.Attach(search);
  browseManager.Start();
  searchManager.Start();
  while (!(browse->Finished() && search->Finished())) events.DispatchWait(std::chrono::milliseconds(5));
  double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  files = browse->fresh.filesFound;
  std::printf("%ld %ld %ld %.4f\n", files, results.files, results.sets, s);
  return 0;
}
