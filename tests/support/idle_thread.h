// A worker thread that never runs: the engine's stages only ask it whether
// to stop (Cancel makes them stop).
#pragma once
#include "engine/threads/suspd_safe_thread.h"

namespace zwtest {

struct IdleThread : zw::TSuspdSafeThread {
  IdleThread() : zw::TSuspdSafeThread(true) {}
  void Execute() override {}
};

}  // namespace zwtest
