// The check-by-criteria dialog (TFrmCheckByCriteria) on the screen: its
// controls show TCheckByCriteriaModel, and the dialog calls the model's
// event operations; every rule lives in the model.
#pragma once
#include <windows.h>

#include "app/results/check_by_criteria.h"

namespace zw::win {

// Modal to `owner`. `model` is made once per program run and kept by the
// caller (it remembers the texts and the recently used masks); the dialog
// prepares it from `list` and the check tab (`uncheckTab`: tab "Uncheck").
// True on OK with `out` filled; the caller then runs
// CheckByCriteria(list, model.check, out) and repaints. A handler that
// threw ends the dialog and its exception comes out of this call.
bool CheckByCriteriaDialog(HWND owner, TCheckByCriteriaModel& model, TResultList& list,
                           bool uncheckTab, TCheckCriteria& out);

}  // namespace zw::win
