#include "engine/threads/suspd_safe_thread.h"

namespace zw {

TSuspdSafeThread::TSuspdSafeThread(bool suspended) : notStarted_(suspended) {}

TSuspdSafeThread::~TSuspdSafeThread() {
  if (thread_.joinable()) {
    // The last reference may be dropped by the thread itself on its way out.
    if (thread_.get_id() == std::this_thread::get_id())
      thread_.detach();
    else
      thread_.join();
  }
}

void TSuspdSafeThread::Start() {
  // Called with lock_ held, so WaitFor never sees a half-made thread handle.
  thread_ = std::thread(&TSuspdSafeThread::ThreadProc, shared_from_this());
}

void TSuspdSafeThread::ThreadProc(std::shared_ptr<TSuspdSafeThread> self) {
  try {
    self->Execute();
  } catch (...) {
    // Bodies report their own exceptions; nothing may escape a thread.
  }
  std::function<void()> notify;
  {
    std::lock_guard<std::mutex> lock(self->lock_);
    notify = std::move(self->onTerminate_);
  }
  if (notify) notify();
  {
    std::lock_guard<std::mutex> lock(self->doneLock_);
    self->finished_ = true;
  }
  self->doneEvent_.notify_all();
}

void TSuspdSafeThread::SafeSuspend() {
  std::lock_guard<std::mutex> lock(lock_);
  ++pauseCount_;
}

void TSuspdSafeThread::SafeResume() {
  std::lock_guard<std::mutex> lock(lock_);
  if (notStarted_) {
    notStarted_ = false;
    Start();
  } else if (pauseCount_ > 0) {
    if (--pauseCount_ == 0) resumeEvent_.notify_all();
  }
}

void TSuspdSafeThread::Cancel() {
  stopRequested_ = true;
  // A paused thread stays paused; the manager resumes it so it sees the stop.
}

bool TSuspdSafeThread::IsSuspended() const {
  std::lock_guard<std::mutex> lock(lock_);
  return pauseCount_ > 0 || notStarted_;
}

void TSuspdSafeThread::SetOnTerminate(std::function<void()> onTerminate) {
  std::lock_guard<std::mutex> lock(lock_);
  onTerminate_ = std::move(onTerminate);
}

bool TSuspdSafeThread::CheckStop() {
  std::unique_lock<std::mutex> lock(lock_);
  resumeEvent_.wait(lock, [&] { return pauseCount_ == 0; });
  return stopRequested_.load();
}

void TSuspdSafeThread::WaitFor() {
  {
    std::unique_lock<std::mutex> lock(doneLock_);
    doneEvent_.wait(lock, [&] { return finished_.load(); });
  }
  std::lock_guard<std::mutex> lock(lock_);
  if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id()) thread_.join();
}

}  // namespace zw
