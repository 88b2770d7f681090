#include <signal.h>

#include <atomic>
#include <initializer_list>

#include "platform/interrupt.h"

namespace zw::platform {

namespace {

// The first signal caught. Threads may take two signals at the same time:
// exactly one of them is the first.
std::atomic<int> g_signal{0};
static_assert(std::atomic<int>::is_always_lock_free, "used in a signal handler");

void OnSignal(int sig) {
  int none = 0;
  if (g_signal.compare_exchange_strong(none, sig)) return;
  // The second one: the program dies of it as if it had never caught it
  // (the signal is blocked while this handler runs, so it lands on return).
  signal(sig, SIG_DFL);
  raise(sig);
}

}  // namespace

void CatchInterrupts() {
  for (int sig : {SIGINT, SIGTERM}) {
    struct sigaction old {};
    if (sigaction(sig, nullptr, &old) != 0 || old.sa_handler == SIG_IGN) continue;
    struct sigaction sa {};
    sa.sa_handler = &OnSignal;
    // One handler at a time: the first signal is recorded before a second
    // one is looked at.
    sigemptyset(&sa.sa_mask);
    sigaddset(&sa.sa_mask, SIGINT);
    sigaddset(&sa.sa_mask, SIGTERM);
    // Interrupted system calls go on: the program looks at the flag at its
    // own safe points (and a prompt waits for input in short steps).
    sa.sa_flags = SA_RESTART;
    sigaction(sig, &sa, nullptr);
  }
}

int InterruptStatus() {
  const int sig = g_signal.load();
  return sig == 0 ? 0 : 128 + sig;
}

const char* InterruptName() {
  switch (g_signal.load()) {
    case 0: return "";
    case SIGINT: return "SIGINT";
    case SIGTERM: return "SIGTERM";
    default: return "a signal";
  }
}

}  // namespace zw::platform
