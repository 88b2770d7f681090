// One run of the browse thread for tests: the thread with its queue, status
// channel, manager and a recording messenger (attribute filter "ignore", no
// masks, no size limit). Run starts it and collects every entry it pushes
// while serving the status queue, as the main loop of a host does (SetMaximum
// and exception reports wait until the queue handles them). Every status text
// the thread posts is kept in `postedTexts` too, also those that a later text
// replaced in the queue before they were shown.
#pragma once
#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "engine/scan/thread_browse.h"
#include "support/recording_messenger.h"

namespace zwtest {

struct Found {
  std::string name, path;
  uint64_t size = 0;
  uint32_t crc = 0, attr = 0;
  uint8_t flags = 0;
  zw::platform::FileTime time = 0;
};

class BrowseRun {
 public:
  BrowseRun()
      : events([this](zw::TStatusEvent& ev) { statusEvents.push_back(ev); }),
        tap(this),
        status(&tap),
        thread(std::make_shared<zw::TThreadBrowse>()) {
    thread->SetQueue(&queue);
    thread->SetStatus(&status);
    thread->SetManager(&manager);
    thread->SetMessenger(&messenger);
    thread->attribFilter.Set(zw::fmIgnore, 0);
  }

  void Run() {
    manager.Attach(thread);
    manager.Start();
    Drain();
  }

  // Takes entries until the end marker, then waits for the thread's end.
  void Drain() {
    while (zw::TFileInfos* e = PopServing()) {
      found.push_back({e->Name.str(), e->Path, e->Size, e->Crc, e->Attr, e->Flags, e->Time});
      zw::FreeFileInfos(e);
    }
    while (!thread->Finished()) events.DispatchWait(std::chrono::milliseconds(1));
    thread->WaitFor();
    events.DispatchPending();
  }

  // Serves the status queue until `done` holds or 20 s have passed.
  template <class Pred>
  bool ServeUntil(Pred done) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!done() && std::chrono::steady_clock::now() < end)
      events.DispatchWait(std::chrono::milliseconds(1));
    return done();
  }

  std::set<std::string> Names() const {
    std::set<std::string> out;
    for (const auto& f : found) out.insert(f.name);
    return out;
  }
  const Found* ByName(const std::string& name) const {
    for (const Found& f : found)
      if (f.name == name) return &f;
    return nullptr;
  }

  zw::TJobQueue queue;
  zw::TEventQueue events;
  // Between the thread and the queue: notes the texts, passes everything on.
  struct Tap : zw::IStatusTarget {
    explicit Tap(BrowseRun* run) : run(run) {}
    void Post(zw::TStatusEvent ev) override {
      if (ev.kind == zw::TStatusMsg::StatusText) {
        std::lock_guard<std::mutex> lock(run->postedLock);
        run->postedTexts.push_back(ev);
      }
      run->events.Post(std::move(ev));
    }
    void Send(zw::TStatusEvent& ev) override { run->events.Send(ev); }
    BrowseRun* run;
  } tap;
  zw::TZWStatusServer status;
  zw::TZWThreadManager manager;
  RecordingMessenger messenger;
  std::shared_ptr<zw::TThreadBrowse> thread;
  std::vector<Found> found;
  std::vector<zw::TStatusEvent> statusEvents;
  std::mutex postedLock;
  std::vector<zw::TStatusEvent> postedTexts;

 private:
  zw::TFileInfos* PopServing() {
    std::atomic<bool> done{false};
    zw::TFileInfos* got = nullptr;
    std::thread popper([&] {
      got = queue.Pop();
      done = true;
    });
    while (!done) events.DispatchWait(std::chrono::milliseconds(1));
    popper.join();
    return got;
  }
};

}  // namespace zwtest
