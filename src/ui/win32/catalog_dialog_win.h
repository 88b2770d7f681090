// The create-catalog dialog (TFrmCreateCatfile) on the screen: its controls
// show TCatalogDialogModel; "..." and OK call the model, which asks `host`
// for the save dialog.
#pragma once
#include <windows.h>

#include "app/host.h"
#include "app/results/catalog_dialog.h"

namespace zw::win {

// Modal to `owner`; the model is prepared from `list` (which choices of
// entries are possible). True on OK with `out` filled; the caller then
// hands it to TMainForm::CreateCatfile. A handler that threw ends the
// dialog and its exception comes out of this call.
bool CreateCatalogDialog(HWND owner, TCatalogDialogModel& model, TResultList& list, IHost& host,
                         TCatFileOptions& out);

}  // namespace zw::win
