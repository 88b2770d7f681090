// The keys of the result list that check files or move between sets.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "app/window_model.h"
#include "engine/common/messages.h"
#include "engine/dupes/result_list.h"
#include "app/text_ids.h"

namespace zw {

enum class TResultKeyCode : uint8_t {
  Space, Insert,
  Numpad0, Numpad1, Numpad2, Numpad3, Numpad4, Numpad5, Numpad6, Numpad7, Numpad8, Numpad9,
  NumpadMul, NumpadDiv, NumpadDecimal,
  Digit,   // a digit of the main keyboard: `digit`
  Letter,  // a letter: `letter` ('A'..'Z', either case)
  Left, Right, Up, Down,
  Other,
};

struct TResultKey {
  TResultKeyCode code = TResultKeyCode::Other;
  int digit = 0;     // for Digit
  char letter = 0;   // for Letter
  bool ctrl = false;
  bool shift = false;
  bool scrollLock = false;  // Scroll Lock is on
};

// What a key did. The window repaints the check icons and the status line
// when checksChanged, brings the focus into sight when focusMoved, opens the
// dialog, shows hntCannotCheckCatfiles next to `hintRow`, or shows the other
// tab. `handled` keys are not passed on to the list (no type-ahead search,
// no default move).
struct TKeyResult {
  bool handled = false;
  bool checksChanged = false;
  bool focusMoved = false;
  bool openCriteriaDialog = false;
  bool tabSwitched = false;
  int32_t hintRow = -1;  // an archive entry that was keyed
};

// One key in the result list while no in-place rename is active. The
// direction of the rules is view.uncheckTab; moves change view.focused
// (and, with Scroll Lock on, view.topRow by as much), and the selection
// follows the focus: only the newly focused entry is selected.
TKeyResult HandleResultKey(TResultList& list, TResultViewModel& view, const TResultKey& key,
                           IMessenger& msgr);

// A mask that matches exactly `path` (its wildcard characters enclosed in
// sets), for "check this entry's folder".
std::string LiteralMask(std::string_view path);

}  // namespace zw
