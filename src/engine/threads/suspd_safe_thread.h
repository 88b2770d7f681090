// A worker thread that can be paused and told to stop at its safe points.
//
// Pausing is cooperative: SafeSuspend only closes a gate, and the thread waits
// at its next CheckStop. A thread is created suspended and starts at its first
// SafeResume. Its object lives as long as anybody holds it: the running
// thread keeps a reference to itself until its body has ended, so a thread
// whose owner lets go still finishes and then frees itself.
#pragma once
#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace zw {

class TSuspdSafeThread : public std::enable_shared_from_this<TSuspdSafeThread> {
 public:
  explicit TSuspdSafeThread(bool suspended = true);
  virtual ~TSuspdSafeThread();
  TSuspdSafeThread(const TSuspdSafeThread&) = delete;
  TSuspdSafeThread& operator=(const TSuspdSafeThread&) = delete;

  // One more pause request; the thread blocks at its next CheckStop.
  void SafeSuspend();
  // Starts a thread that was never started; otherwise takes back one pause
  // request and opens the gate when none is left. Never blocks.
  void SafeResume();
  // Asks the thread to stop at its next safe point. Never cleared.
  void Cancel();
  bool IsSuspended() const;
  bool StopRequested() const { return stopRequested_.load(); }

  // The end notification, called once in the worker thread right after the
  // body has returned (hosts with a window forward it to the main thread).
  void SetOnTerminate(std::function<void()> onTerminate);
  // Blocks until the body has ended (and the end notification has run).
  // Must not be called from the thread itself.
  void WaitFor();
  bool Finished() const { return finished_.load(); }

  // Called only by the thread itself (or the objects working for it) at its
  // safe points: waits while paused, then tells whether a stop was requested.
  bool CheckStop();

 protected:
  // The thread body.
  virtual void Execute() = 0;

 private:
  void Start();
  static void ThreadProc(std::shared_ptr<TSuspdSafeThread> self);

  std::thread thread_;
  mutable std::mutex lock_;
  std::condition_variable resumeEvent_;
  int pauseCount_ = 0;
  bool notStarted_;
  std::atomic<bool> stopRequested_{false};
  std::atomic<bool> finished_{false};
  std::function<void()> onTerminate_;
  std::mutex doneLock_;
  std::condition_variable doneEvent_;
};

}  // namespace zw
