// The messages that worker threads send to the main window, and the queue
// through which a host without a window receives them.
//
// Posted messages return at once and keep their order; sent messages wait
// until the window has handled them (and may carry an answer back).
#pragma once
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "engine/common/except_info.h"

namespace zw {

// Message numbers: offsets from the platform's first user message.
enum class TStatusMsg : uint8_t {
  StatusText = 10,       // posted: value = text id, path = path or null
  Task = 11,             // posted: value = 0 browsing, 1 comparing
  ProgressMax = 12,      // sent: value = new maximum
  DebugRecord = 14,      // sent: the window fills `debug`
  ExceptionReport = 15,  // sent: `report`
  ThreadEnded = 16,      // posted by a worker's end notification: value = 1 browse, 2 search
};

// What the window tells a worker that hit an exception about the state of
// things, for the report's state line.
struct TDebugRecord {
  int32_t position = 0;   // progress position last shown
  int32_t maximum = 0;    // progress maximum
  uint16_t build = 0;     // program build word
  std::string criteria;   // "a" plus the criteria digits of the checked boxes
};

struct TStatusEvent {
  TStatusMsg kind = TStatusMsg::StatusText;
  int32_t value = 0;
  std::shared_ptr<const std::string> path;  // the posting worker's reference
  TDebugRecord* debug = nullptr;
  std::shared_ptr<TZWExceptInfo> report;
};

// The receiving side: the main window, or a host's event loop.
class IStatusTarget {
 public:
  virtual ~IStatusTarget() = default;
  virtual void Post(TStatusEvent ev) = 0;
  virtual void Send(TStatusEvent& ev) = 0;
};

// A blocking queue of status events for hosts that have no window message
// loop. Workers Post and Send from any thread; the owning thread (the one
// that created the queue) drains it with Dispatch. A Send from the owning
// thread itself is handled at once, so it can never wait for itself. A
// posted status text does not end a wait, and replaces a status text queued
// right before it: the owner sees the latest one at its next dispatch.
class TEventQueue : public IStatusTarget {
 public:
  using Handler = std::function<void(TStatusEvent&)>;
  explicit TEventQueue(Handler handler);
  ~TEventQueue() override;

  void Post(TStatusEvent ev) override;
  void Send(TStatusEvent& ev) override;

  // Handles every event that is queued now, in order; returns how many.
  size_t DispatchPending();
  // Waits up to `wait` for an event and handles all that are queued then;
  // returns how many were handled.
  size_t DispatchWait(std::chrono::milliseconds wait);
  // Stops waiting senders and drops what is queued; later Sends return at once.
  void Close();

 private:
  struct Item {
    TStatusEvent ev;
    TStatusEvent* sender = nullptr;  // a sent event: copy the answer back here
    uint64_t ticket = 0;
  };
  size_t DrainLocked(std::unique_lock<std::mutex>& lock);

  Handler handler_;
  std::thread::id owner_;
  std::mutex mu_;
  std::condition_variable arrived_;
  std::condition_variable handled_;
  std::deque<Item> items_;
  uint64_t nextTicket_ = 0;
  uint64_t doneTicket_ = 0;  // every sent ticket <= this one was handled
  bool closed_ = false;
};

}  // namespace zw
