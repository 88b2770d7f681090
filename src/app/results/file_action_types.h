// The kinds of file action and how an action asks its questions: one type
// from the script command and the toolbar buttons to the action itself.
#pragma once
#include <cstdint>

namespace zw {

enum class TFileAction : uint8_t {
  Delete,   // delete directly, not reversible
  Recycle,  // move to the recycle bin
  Move,     // move below a destination folder, keeping the folder structure
  Link,     // replace by a shortcut to a remaining copy
};

// How an action asks its questions.
enum TConfirmMode : uint8_t {
  cmInteractive = 0,  // message boxes (the execution mode still applies)
  cmCountdown = 1,    // countdown boxes that take their default answer after 30 s
  cmUnattended = 2,   // nothing is shown; every question takes its default answer
};

}  // namespace zw
