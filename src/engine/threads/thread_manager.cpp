#include "engine/threads/thread_manager.h"

namespace zw {

TZWThreadManager::~TZWThreadManager() { Destroy(); }

void TZWThreadManager::Attach(std::shared_ptr<TSuspdSafeThread> thread) {
  std::lock_guard<std::mutex> lock(lock_);
  state_ = tsPaused;
  thread_ = std::move(thread);
}

uint8_t TZWThreadManager::State() const {
  std::lock_guard<std::mutex> lock(lock_);
  return state_;
}

void TZWThreadManager::SetState(uint8_t newState) {
  std::lock_guard<std::mutex> lock(lock_);
  const uint8_t s = state_;
  if (newState == s) return;
  switch (newState) {
    case tsPaused:
      if (s != tsRunning) return;
      state_ = tsPaused;
      if (thread_) thread_->SafeSuspend();
      return;
    case tsRunning:
      if (s != tsPaused) return;
      state_ = tsRunning;
      if (thread_) thread_->SafeResume();  // also starts a thread never started
      return;
    case tsCanceling:
      if (s == tsNone || s == tsFinished) return;
      if (thread_) {
        thread_->Cancel();
        if (s == tsPaused) thread_->SafeResume();  // so that it can see the stop
      }
      state_ = tsCanceling;
      return;
    case tsNone:
    case tsFinished:
      state_ = newState;
      return;
    default:
      return;
  }
}

void TZWThreadManager::Destroy() {
  std::shared_ptr<TSuspdSafeThread> thread;
  {
    std::lock_guard<std::mutex> lock(lock_);
    thread = std::move(thread_);
    if (state_ != tsNone && thread && !thread->Finished()) {
      thread->SetOnTerminate(nullptr);
      thread->Cancel();
      // Every pending pause must go, or the thread would never see the stop.
      while (thread->IsSuspended()) thread->SafeResume();
    } else {
      thread.reset();
    }
    state_ = tsNone;
  }
  if (thread) thread->WaitFor();
}

}  // namespace zw
