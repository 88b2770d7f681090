// The four "advanced..." dialogs of the comparison options on the screen
// (TFrmAdvFilename, TFrmAdvSize, TFrmAdvDate, TFrmAdvContent): their
// controls show the dialog models of app/options/advanced_dialogs.h and
// call the models' event operations; every rule lives in the model.
//
// Each opens modal to `owner` with its top-left corner at the top-right
// corner of `button` on the screen, moved left and up as far as needed to
// stay on the screen. The model is loaded from `record` first and keeps
// what the record does not load from one opening to the next (the caller
// keeps one model per dialog for the program's run). True on OK, with
// `record` holding the dialog's settings; Cancel leaves `record` as it
// was. A handler that threw ends the dialog and its exception comes out of
// this call.
#pragma once
#include <windows.h>

#include "app/options/advanced_dialogs.h"

namespace zw::win {

bool AdvFilenameDialog(HWND owner, HWND button, TAdvFilenameModel& model,
                       TAdvFilenameOptions& record);
bool AdvSizeDialog(HWND owner, HWND button, TAdvSizeModel& model, TAdvSizeOptions& record);
bool AdvDateDialog(HWND owner, HWND button, TAdvDateModel& model, TAdvDateOptions& record);
bool AdvContentDialog(HWND owner, HWND button, TAdvContentModel& model,
                      TAdvContentOptions& record);

}  // namespace zw::win
