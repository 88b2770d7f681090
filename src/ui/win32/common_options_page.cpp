// The common options page: language, miscellaneous options, the result
// list's display options and the store-settings box.
#include "app/text/string_table.h"
#include "app/text_ids.h"
#include "ui/win32/captions.h"
#include "ui/win32/option_page.h"

namespace zw::win {
namespace {

enum : int {
  idLessStatus = 440, idDisplaySecs, idAltPath, idSizeUnit, idSaveSettings, idFindEmptyDirs,
  idLanguage,
};

class TCommonOptionsPage : public TOptionPage {
 public:
  using TOptionPage::TOptionPage;

  void Create(HWND page) override {
    page_ = page;
    TMainForm& form = *ctx_.form;
    language_ = AddControl(ctx_, page, "COMBOBOX", "", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP,
                           idLanguage);
    for (const TLanguageEntry& entry : form.Languages())
      SendMessageA(language_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.caption.c_str()));
    auto box = [&](const char* text, int id) {
      return AddControl(ctx_, page, "BUTTON", text, BS_AUTOCHECKBOX | WS_TABSTOP, id);
    };
    lessStatus_ = box("less detailed status (slightly faster)", idLessStatus);
    findEmptyDirs_ = box("find empty directories", idFindEmptyDirs);
    displaySecs_ = box("display seconds with file dates", idDisplaySecs);
    altPath_ = box("alternative path shortening", idAltPath);
    sizeUnit_ = AddControl(ctx_, page, "COMBOBOX", "", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP,
                           idSizeUnit);
    FillUnits();
    saveSettings_ = box("save settings in registry", idSaveSettings);
  }

  void Layout(int width, int) override {
    // A combo box's window height holds its drop-down list; its row takes
    // one line.
    MoveWindow(language_, ctx_.Scale(12), ctx_.Scale(12), ctx_.Scale(220), ctx_.Scale(200), TRUE);
    int y = ctx_.Scale(44);
    for (HWND c : {lessStatus_, findEmptyDirs_, displaySecs_, altPath_}) {
      MoveWindow(c, ctx_.Scale(12), y, width - ctx_.Scale(24), ctx_.Scale(20), TRUE);
      y += ctx_.Scale(24);
    }
    MoveWindow(sizeUnit_, ctx_.Scale(12), y + ctx_.Scale(4), ctx_.Scale(160), ctx_.Scale(200), TRUE);
    MoveWindow(saveSettings_, ctx_.Scale(12), y + ctx_.Scale(36), width - ctx_.Scale(24),
               ctx_.Scale(20), TRUE);
  }

  void ApplyCaptions() override {
    SetWindowTextA(lessStatus_,
                   Caption("lblCBDisableStatus", "less detailed status (slightly faster)").c_str());
    SetWindowTextA(findEmptyDirs_, Caption("lblCBFindEmptyDirs", "find empty directories").c_str());
    SetWindowTextA(displaySecs_,
                   Caption("lblCBDisplaySeconds", "display seconds with file dates").c_str());
    SetWindowTextA(altPath_,
                   Caption("lblCBAltPathShortening", "alternative path shortening").c_str());
    SetWindowTextA(saveSettings_,
                   Caption("lblCBSaveOptions", "save settings in registry").c_str());
    const LRESULT unit = SendMessageA(sizeUnit_, CB_GETCURSEL, 0, 0);
    FillUnits();
    SendMessageA(sizeUnit_, CB_SETCURSEL, static_cast<WPARAM>(unit), 0);
  }

  void ModelToControls() override {
    const TWindowModel& model = ctx_.form->Model();
    SetChecked(lessStatus_, model.lessStatus);
    SetChecked(findEmptyDirs_, model.findEmptyDirs);
    SetChecked(displaySecs_, model.results.displaySecs);
    SetChecked(altPath_, model.results.altPathShortening);
    SetChecked(saveSettings_, model.saveSettings);
    SendMessageA(sizeUnit_, CB_SETCURSEL, model.results.sizeUnit, 0);
    SendMessageA(language_, CB_SETCURSEL, ctx_.form->SelectedLanguage(), 0);
  }

  void ControlsToModel() override {
    TWindowModel& model = ctx_.form->Model();
    model.lessStatus = IsChecked(lessStatus_);
    model.findEmptyDirs = IsChecked(findEmptyDirs_);
    ctx_.form->ResultView().SetDisplaySecs(IsChecked(displaySecs_));
    ctx_.form->ResultView().SetAltPathShortening(IsChecked(altPath_));
    model.saveSettings = IsChecked(saveSettings_);
    const LRESULT unit = SendMessageA(sizeUnit_, CB_GETCURSEL, 0, 0);
    if (unit >= 0) ctx_.form->ResultView().SetSizeUnit(static_cast<uint8_t>(unit));
  }

  LRESULT Message(UINT msg, WPARAM wp, LPARAM, bool& handled) override {
    if (msg != WM_COMMAND) return 0;
    const int id = LOWORD(wp), code = HIWORD(wp);
    if (id == idLanguage) {
      handled = true;
      if (code != CBN_SELCHANGE) return 0;
      const LRESULT index = SendMessageA(language_, CB_GETCURSEL, 0, 0);
      if (index >= 0 && ctx_.form->LoadLanguage(static_cast<size_t>(index)) ==
                            TMainForm::TLanguageLoad::Applied)
        ctx_.languageApplied();
      ModelToControls();
      return 0;
    }
    if (code == BN_CLICKED || code == CBN_SELCHANGE) {
      handled = true;
      ControlsToModel();
      if (id == idDisplaySecs || id == idAltPath || id == idSizeUnit) ctx_.displayChanged();
    }
    return 0;
  }

  void SetBusy(bool busy) override {
    for (HWND c : {language_, findEmptyDirs_, saveSettings_}) EnableWindow(c, !busy);
    // The display options stay usable during a run.
    for (HWND c : {lessStatus_, displaySecs_, altPath_, sizeUnit_}) EnableWindow(c, TRUE);
  }

  HWND ControlFor(TControl control) const override {
    switch (control) {
      case TControl::CheckBoxStatus: return lessStatus_;
      case TControl::CBFindEmptyDirs: return findEmptyDirs_;
      default: return nullptr;
    }
  }

 private:
  void FillUnits() {
    SendMessageA(sizeUnit_, CB_RESETCONTENT, 0, 0);
    for (int unit = 0; unit < 7; ++unit)
      SendMessageA(sizeUnit_, CB_ADDSTRING, 0,
                   reinterpret_cast<LPARAM>(Strings().UnitName(unit).c_str()));
    if (ctx_.form->ResultView().SizeUnitCount() > 7)
      SendMessageA(sizeUnit_, CB_ADDSTRING, 0,
                   reinterpret_cast<LPARAM>(Str(lblBestFittingUnit).c_str()));
  }

  HWND language_ = nullptr, lessStatus_ = nullptr, findEmptyDirs_ = nullptr;
  HWND displaySecs_ = nullptr, altPath_ = nullptr, sizeUnit_ = nullptr, saveSettings_ = nullptr;
};

}  // namespace

std::unique_ptr<TOptionPage> MakeCommonOptionsPage(TPageContext& context) {
  return std::make_unique<TCommonOptionsPage>(context);
}

}  // namespace zw::win
