// The result list's font: made from the window model's font record, and
// chosen in the system's font dialog, whose Apply button shows a font at
// once.
#pragma once
#include <windows.h>

#include <functional>

#include "app/window_model.h"

namespace zw::win {

// The font of a font record at the screen's `dpi` (points to pixels).
HFONT MakeFont(const TFontModel& font, int dpi);

// The font dialog, starting at `font`: sizes 1 to 127 points, existing fonts
// of ANSI scripts only. `apply` is called with each font Apply shows. True on
// OK, with `font` changed; on Cancel `font` stays as it was (the caller shows
// it again).
bool ChooseResultFont(HWND owner, TFontModel& font, int dpi,
                      const std::function<void(const TFontModel&)>& apply);

}  // namespace zw::win
