// The two size edits of the scan options page ("file sizes of" ... "to"),
// each with its unit box: checking the typed number, stepping it with the
// keys and spin buttons, and what the page enables.
//
// An edit keeps its value in bytes beside its text; the text shows the
// value in the edit's unit (bytes shifted right by 10 bits per unit step).
// The largest value is 2^63 - 1 bytes, so the largest number an edit takes
// is (2^63 - 1) >> (10 * unit).
#pragma once
#include <cstdint>
#include <optional>
#include <string_view>

#include "app/host.h"
#include "app/window_model.h"
#include "engine/common/messages.h"
#include "app/text_ids.h"

namespace zw {

// The largest number a size edit takes in the unit (0 B ... 6 EB; larger
// unit indices count as EB).
int64_t SizeEditLimit(uint8_t unit);
// The text as a signed 64-bit decimal number (blanks around it allowed);
// nullopt for anything else, also for numbers beyond 64 bits.
std::optional<int64_t> ParseSizeNumber(std::string_view text);

// Checks the edit's text against [minimum, limit of its unit]:
//  - not a number: unless silent, the edit is focused with its text selected
//    and msgInvalidNumber is shown; false, nothing changes;
//  - above the limit (below the minimum): unless silent, the edit is focused
//    and msgNumberOutOfRange is asked with the number typed and the limit
//    (the minimum), default OK; true only when answered OK. Silent: false.
//    The value becomes the limit (the minimum) either way;
//  - otherwise true.
// The byte value is always the (clamped) number shifted left by 10 * unit;
// the text is rewritten to the number only when the result is true.
// `minimum` is taken within [0, limit].
bool ValidateSizeEdit(TSizeEditModel& edit, TControl control, IHost& host, IMessenger& msgr,
                      bool silent, int64_t minimum = 0);

// Steps the byte value by `step` units: up to at most 2^63 - 1; down by the
// step while the value is larger than it (and the step is not zero), else to
// the minimum. The text shows the new value in the unit. Steps of whole
// exabytes never wrap around.
void StepSizeEdit(TSizeEditModel& edit, bool down, uint64_t step, int64_t minimum = 0);

// Keys in a size edit. Each first checks the edit silently; Up and Down then
// step by 1 unit, Page Up and Page Down by 10, Enter selects the text.
enum class TSizeKey : uint8_t { Up, Down, PageUp, PageDown, Enter };
void SizeEditKey(TSizeEditModel& edit, TControl control, IHost& host, IMessenger& msgr,
                 TSizeKey key);
// Leaving the edit: a silent check.
void SizeEditLeft(TSizeEditModel& edit, TControl control, IHost& host, IMessenger& msgr);
// A new unit chosen in the unit box: the text is read again in that unit
// (silent check).
void SizeUnitChanged(TSizeEditModel& edit, TControl control, IHost& host, IMessenger& msgr,
                     uint8_t unit);
// The spin buttons beside the edit: 10 units up or down.
void SizeSpin(TSizeEditModel& edit, IHost& host, bool down);

// The size edits, their spin buttons and unit boxes are enabled (and drawn
// in the window colour rather than the button face) while the size mode is
// not "ignore"; the four attribute boxes while the attribute mode is not
// "ignore".
bool SizeControlsEnabled(const TWindowModel& model);
bool AttribBoxesEnabled(const TWindowModel& model);

}  // namespace zw
