// The countdown box: the program's own question box with buttons of its own,
// which can count down and then answer itself with its default button.
#pragma once
#include <windows.h>

#include "app/host.h"

namespace zw::win {

// The countdown box, modal to `owner`, built from a dialog template in
// memory with the system's message font and sized to its text and buttons.
// The box's rules (counting, pausing, answers) are TCountdownBox's; the
// window plays the sound of the icon kind on opening, ticks once a second
// and pauses on the pause button, Escape, the close box and F1. Returns the
// chosen button's index; -1 when no button was chosen (a countdown without
// a default button ran out, or the box could not be shown).
int CountdownDialog(HWND owner, const TCountdownRequest& request);

}  // namespace zw::win
