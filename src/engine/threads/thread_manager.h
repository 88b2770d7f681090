// Owns the life of one worker thread and the state the window shows for it.
#pragma once
#include <cstdint>
#include <memory>
#include <mutex>

#include "engine/threads/suspd_safe_thread.h"

namespace zw {

class TZWThreadManager {
 public:
  enum TState : uint8_t {
    tsNone = 0,       // no thread
    tsPaused = 1,     // paused, or attached and not yet started
    tsRunning = 2,
    tsCanceling = 3,
    tsFinished = 4,   // the thread reported that its work is done
  };

  TZWThreadManager() = default;
  ~TZWThreadManager();
  TZWThreadManager(const TZWThreadManager&) = delete;
  TZWThreadManager& operator=(const TZWThreadManager&) = delete;

  void Attach(std::shared_ptr<TSuspdSafeThread> thread);
  void SetState(uint8_t newState);
  uint8_t State() const;

  void Pause() { SetState(tsPaused); }
  void Start() { SetState(tsRunning); }
  void CancelThread() { SetState(tsCanceling); }
  void Done() { SetState(tsNone); }

  // Stops a thread that is still alive, waits for it to end and lets go of
  // it; the state is none afterwards.
  void Destroy();

 private:
  mutable std::mutex lock_;
  uint8_t state_ = tsNone;
  std::shared_ptr<TSuspdSafeThread> thread_;
};

}  // namespace zw
