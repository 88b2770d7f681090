// The status channel from the worker threads to the main window: status
// texts, the task animation and the progress bar.
#pragma once
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "engine/common/text_ids.h"
#include "engine/threads/status_events.h"

namespace zw {

class TZWStatusServer {
 public:
  explicit TZWStatusServer(IStatusTarget* window);

  // Posts a status text, with a path or without one.
  void PostStatus(TStrID id);
  void PostStatus(TStrID id, std::string path);
  // Posts the task (0 browsing, 1 comparing).
  void PostTask(int task);
  // Resets the position to 0 and sends the new maximum.
  void SetMaximum(int32_t maximum);
  // One step of progress; the worker that owns the phase is the only writer.
  void Step(int32_t ignored = 1) { position_.fetch_add(1, std::memory_order_relaxed); }

  // "less detailed status": no per-file or per-folder texts. Switching it on
  // replaces a detailed text by the plain one of the current status.
  void SetQuiet(bool quiet);
  bool Quiet() const { return quiet_.load(std::memory_order_relaxed); }

  // The id of the base status the workers set last (initially strIdle).
  TStrID Current() const { return current_.load(); }
  void SetCurrent(TStrID id) { current_.store(id); }

  int32_t Position() const { return position_.load(std::memory_order_relaxed); }
  int32_t Maximum() const { return maximum_.load(); }

  // Asks the window (and waits) for the state facts of an exception report.
  void RequestDebugRecord(TDebugRecord& record);
  // Hands an exception report to the window (and waits until it took it).
  void SendExceptionReport(std::shared_ptr<TZWExceptInfo> report);

  IStatusTarget* Window() const { return window_; }

 private:
  IStatusTarget* window_;
  std::atomic<bool> quiet_{false};
  std::atomic<TStrID> current_{strIdle};
  std::atomic<int32_t> position_{0};
  std::atomic<int32_t> maximum_{0};
};

}  // namespace zw
