// A whole scan at engine level over one folder, as the benches run it: the
// browse and search threads together, the sets handed to `results`. Returns
// the files found; `seconds` gets the scan's wall time.
#pragma once
#include <chrono>
#include <memory>
#include <string>

#include "engine/dupes/result_manager.h"
#include "engine/dupes/thread_find_dupes.h"
#include "engine/scan/thread_browse.h"
#include "platform/paths.h"

inline long BenchScan(const std::string& dir, zw::TResultManager& results,
                      const zw::TCompareSettings& compare, double& seconds) {
  zw::TJobQueue queue;
  zw::TEventQueue events([](zw::TStatusEvent&) {});
  zw::TZWStatusServer status(&events);
  status.SetQuiet(true);
  zw::TZWThreadManager browseManager, searchManager;
  auto browse = std::make_shared<zw::TThreadBrowse>();
  browse->attribFilter.Set(zw::fmIgnore, 0);
  browse->fresh.Add(zw::dsRecursive, zw::platform::IncludeTrailingSep(dir));
  browse->SetQueue(&queue);
  browse->SetStatus(&status);
  browse->SetManager(&browseManager);
  auto search = std::make_shared<zw::TThreadFindDupes>(&queue, &results, &status, compare);
  search->SetManager(&searchManager);
  const auto t0 = std::chrono::steady_clock::now();
  browseManager.Attach(browse);
  searchManager.Attach(search);
  browseManager.Start();
  searchManager.Start();
  while (!(browse->Finished() && search->Finished())) events.DispatchWait(std::chrono::milliseconds(5));
  seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  return static_cast<long>(browse->fresh.filesFound);
}
