// The rules of the common options page that are not display options: which
// controls of the "store settings" group the user may touch, the "register
// file types" box and the dialog behind its "..." button (TFrmRegFiletypes),
// and where that dialog opens.
#pragma once
#include <cstdint>

#include "app/window_model.h"

namespace zw {

// Which controls of the store-settings group are enabled. Ticking "save
// settings in registry" enables the window-position and column boxes and,
// for a user with administrator rights, "register file types" and its
// "..." button; unticking disables all four. "delete settings from
// registry" is enabled while something is stored.
struct TStoreGroupState {
  bool saveWindowPos = false;          // CBSaveWindowPos
  bool saveResultListColumns = false;  // CBSaveResultListColumns
  bool regFiletypes = false;           // CBRegFiletypes
  bool regFiletypesButton = false;     // btnRegFiletypes ("...")
  bool deleteSettings = false;         // ButtonDelReg
};
TStoreGroupState StoreGroupState(const TWindowModel& model, bool isAdmin);

// "register file types" ticked or unticked: the box and bit 0 of the wanted
// flags change together (the registration itself follows on closing).
void SetRegFiletypes(TStoreOptions& store, bool on);

// The three type boxes of TFrmRegFiletypes.
struct TRegFiletypesChoice {
  bool resultLists = false;  // CBResultList ".zwr"
  bool catalogs = false;     // CBCatFile ".zwc"
  bool folders = false;      // CBDirectory, the folder command
  bool operator==(const TRegFiletypesChoice&) const = default;
};
// The boxes as the dialog opens: the wanted type bits, all clear while
// registration is switched off.
TRegFiletypesChoice RegFiletypesPreset(const TStoreOptions& store);
// OK: with any box ticked the wanted flags become those types with
// registration on; with none, the wanted flags keep their type bits and
// registration goes off. "register file types" follows. Nothing is
// registered now.
void ApplyRegFiletypesChoice(TStoreOptions& store, const TRegFiletypesChoice& choice);

// Where a window of `width` x `height` opens below a button: its left edge
// under the button's, its top at the button's bottom, moved left or up as
// far as needed to stay inside `screen` (but never beyond its left or top).
struct TScreenRect {
  int32_t left = 0, top = 0, right = 0, bottom = 0;
};
struct TScreenPoint {
  int32_t x = 0, y = 0;
  bool operator==(const TScreenPoint&) const = default;
};
TScreenPoint PlaceBelow(const TScreenRect& button, int32_t width, int32_t height,
                        const TScreenRect& screen);

}  // namespace zw
