// What a worker thread does with an exception that escaped its body: ask the
// window for the state facts, make a report, log it and hand it to the window.
#pragma once
#include "engine/common/messages.h"
#include "engine/threads/status_server.h"

namespace zw {

// Call only inside a catch block. `thread` is 1 for the browse thread and 2
// for the search thread; `step` how far it got. Either pointer may be null.
void ReportWorkerException(int thread, int step, TZWStatusServer* status, IMessenger* messenger);

}  // namespace zw
