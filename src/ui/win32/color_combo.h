// The four colour boxes of the common options (CBListLight,
// CBListLightChecked, CBListDark, CBListDarkChecked): owner-drawn drop-down
// lists of the named colours with a swatch each, "default" (the row kind's
// default colour) and "custom..." (the last custom colour; choosing it
// opens the system's colour dialog). What a choice stores is the result
// list model's rule (TResultListModel::ChooseColorItem, ChooseCustomColor).
#pragma once
#include <windows.h>

#include "app/results/result_view.h"

namespace zw::win {

class TColorCombo {
 public:
  // What a notification asks of the page.
  enum class TChange { None, Changed, OpenCustom };

  // A drop-down list for row kind `rowKind` (kRowLight ... kRowDarkChecked).
  HWND Create(HWND parent, HINSTANCE instance, int id, int rowKind, HFONT font, int dpi);
  // The colour names in the language in force; the selection stays.
  void FillNames();
  // Selects the item that shows the row kind's colour now.
  void ModelToControl(const TResultListModel& view);
  // WM_DRAWITEM of this box.
  void Draw(const DRAWITEMSTRUCT& item, const TResultListModel& view) const;
  // WM_COMMAND of this box. A pick in the open list counts when the list
  // closes with it (arrowing through the list changes nothing); in the
  // closed box every change counts. A named colour or "default" is stored
  // at once (Changed); "custom..." asks for the colour dialog (OpenCustom),
  // from the open list once it has closed; the page opens the dialog after
  // the notification.
  TChange Command(int code, TResultListModel& view);
  // The system's colour dialog, fully open at the last custom colour, with
  // the current, the last custom and the default colour as custom colours.
  // OK stores the colour and selects its item (a named one when a named
  // colour has it); Cancel selects the item of the colour as it was. True
  // when the colour changed.
  bool ChooseCustom(HWND owner, TResultListModel& view);

  HWND Handle() const { return hwnd_; }
  int RowKind() const { return rowKind_; }

 private:
  HWND hwnd_ = nullptr;
  int rowKind_ = 0;
  bool dropped_ = false;
  bool customPicked_ = false;
  bool choosing_ = false;  // the colour dialog is open  // "custom..." picked in the open list
};

}  // namespace zw::win
