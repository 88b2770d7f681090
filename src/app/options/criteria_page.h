// Rules of the comparison options page that are not the dialogs' own: which
// of a criterion's controls are usable, and where an "advanced..." dialog
// opens.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/common/criteria_options.h"

namespace zw {

// The "advanced..." button and the description label of a criterion
// (ccFilename, ccSize, ccDate or ccContent) are usable while its box is
// checked and no run is going on. An enabled label is drawn in the window
// colour and answers a click like its button; a disabled one in the button
// face.
bool CriterionDetailsEnabled(const TCompareSettings& compare, TCompCriteria box, bool busy);

// Screen rectangles in pixels (right and bottom exclusive).
struct TScreenRect {
  int32_t left = 0, top = 0, right = 0, bottom = 0;
};
struct TScreenPoint {
  int32_t x = 0, y = 0;
};

// Where a dialog of `width` x `height` opens for the button `button`: its
// top-left corner at the button's top-right corner, then moved left and up
// as far as needed to lie within `screen`. A dialog larger than the screen
// keeps its top-left corner on the screen (its title bar stays reachable).
TScreenPoint PlaceAtButton(const TScreenRect& button, int32_t width, int32_t height,
                           const TScreenRect& screen);

// The items of a list box of the advanced dialogs from a language's packed
// text ("first\nlast\n"): each piece followed by a line break (a trailing
// "\r" dropped), as many as `english` has; an item the text does not give,
// or gives empty, is the English one. A last piece without a line break is
// not an item, as with the unit names.
std::vector<std::string> PackedListItems(std::string_view packed,
                                         const std::vector<std::string>& english);

}  // namespace zw
