// The common options page, in four groups: the language (its box and the
// load button), miscellaneous options, the result list's appearance (font,
// the four row colours, size unit, seconds, path shortening) and the
// store-settings group (save, delete, window position, columns, file
// types). The rules live in the application: the language operations of
// TMainForm, the display options of TResultListModel and the store group's
// enabling and file-type flags (app/options/common_options.h).
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <array>
#include <string>

#include "app/options/common_options.h"
#include "app/text/string_table.h"
#include "app/text_ids.h"
#include "art_ids.h"
#include "ui/win32/captions.h"
#include "ui/win32/color_combo.h"
#include "ui/win32/multiline_check_box.h"
#include "ui/win32/option_page.h"
#include "ui/win32/reg_filetypes_dialog.h"
#include "ui/win32/result_list_view.h"

namespace zw::win {
namespace {

enum : int {
  idLessStatus = 440, idDisplaySecs, idAltPath, idSizeUnit, idSaveSettings, idFindEmptyDirs,
  idLanguage, idLoadLanguage, idHideExtensions, idResultFont, idDeleteSettings, idSaveWindowPos,
  idSaveColumns, idRegFiletypes, idRegFiletypesButton, idGroupLanguage, idGroupMisc,
  idGroupAppearance, idGroupStore, idBgColorsLabel, idSizeUnitLabel,
  idColor0 = 470,   // the four colour boxes, light .. dark checked
  idLegend0 = 480,  // the check icon of each row kind beside its box
};

// Posted to the page once a colour box's list has closed on "custom...":
// wParam is the row kind.
constexpr UINT kOpenCustomColor = WM_APP + 40;

class TCommonOptionsPage : public TOptionPage {
 public:
  using TOptionPage::TOptionPage;
  ~TCommonOptionsPage() override {
    if (checkImages_) ImageList_Destroy(checkImages_);
  }

  void Create(HWND page) override {
    page_ = page;
    TMainForm& form = *ctx_.form;
    auto group = [&](int id) { return AddControl(ctx_, page, "BUTTON", "", BS_GROUPBOX, id); };
    auto box = [&](int id) {
      return AddControl(ctx_, page, "BUTTON", "", BS_AUTOCHECKBOX | WS_TABSTOP, id);
    };
    auto button = [&](int id, const char* text) {
      return AddControl(ctx_, page, "BUTTON", text, BS_PUSHBUTTON | WS_TABSTOP, id);
    };
    auto label = [&](int id) {
      return AddControl(ctx_, page, "STATIC", "", SS_LEFT | SS_NOPREFIX, id);
    };
    auto multiline = [&](TMultilineCheckBox& b, int id) {
      return b.Create(page, ctx_.instance, "", id, ctx_.font);
    };

    groupLanguage_ = group(idGroupLanguage);
    language_ = AddControl(ctx_, page, "COMBOBOX", "", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP,
                           idLanguage);
    for (const TLanguageEntry& entry : form.Languages())
      SendMessageA(language_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.caption.c_str()));
    loadLanguage_ = button(idLoadLanguage, "load");

    groupMisc_ = group(idGroupMisc);
    lessStatus_ = box(idLessStatus);
    findEmptyDirs_ = box(idFindEmptyDirs);
    hideExtensions_ = box(idHideExtensions);

    groupAppearance_ = group(idGroupAppearance);
    resultFont_ = button(idResultFont, "font...");
    bgColorsLabel_ = label(idBgColorsLabel);
    checkImages_ = LoadCheckImages(ctx_.instance, false);
    for (int kind = 0; kind < 4; ++kind) {
      legend_[kind] = AddControl(ctx_, page, "STATIC", "", SS_OWNERDRAW, idLegend0 + kind);
      colors_[kind].Create(page, ctx_.instance, idColor0 + kind, kind, ctx_.font, ctx_.dpi);
    }
    sizeUnitLabel_ = label(idSizeUnitLabel);
    sizeUnit_ = AddControl(ctx_, page, "COMBOBOX", "", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP,
                           idSizeUnit);
    FillUnits();
    displaySecs_ = box(idDisplaySecs);
    altPath_ = box(idAltPath);

    groupStore_ = group(idGroupStore);
    saveSettings_ = box(idSaveSettings);
    deleteSettings_ = button(idDeleteSettings, "");
    multiline(saveWindowPos_, idSaveWindowPos);
    multiline(saveColumns_, idSaveColumns);
    multiline(regFiletypes_, idRegFiletypes);
    regFiletypesButton_ = button(idRegFiletypesButton, "...");

    HDC dc = GetDC(page);
    HGDIOBJ old = SelectObject(dc, ctx_.font);
    TEXTMETRICA tm{};
    GetTextMetricsA(dc, &tm);
    SelectObject(dc, old);
    ReleaseDC(page, dc);
    lineHeight_ = tm.tmHeight > 0 ? tm.tmHeight : ctx_.Scale(13);
    shownLanguage_ = -2;  // the box is set at the first ModelToControls
  }

  void Layout(int width, int height) override {
    auto S = [this](int v) { return ctx_.Scale(v); };
    const int margin = S(8), gap = S(8), inner = S(10);
    const int rowBox = S(22), buttonH = S(24);
    const int multiH = 2 * lineHeight_ + S(6);
    const int groupTop = lineHeight_ + S(6);  // below the group's caption
    // Two columns: language, miscellaneous and storing on the left, the
    // result list's appearance on the right.
    const int colW = std::max(S(220), std::min(S(360), (width - 2 * margin - gap) / 2));
    const int leftX = margin, rightX = margin + colW + gap;
    auto place = [](HWND h, int x, int y, int w, int hgt) { MoveWindow(h, x, y, w, hgt, TRUE); };

    // Language.
    int y = margin;
    const int loadW = S(80);
    const int langH = groupTop + buttonH + S(10);
    place(groupLanguage_, leftX, y, colW, langH);
    place(language_, leftX + inner, y + groupTop, colW - 2 * inner - loadW - S(6), S(200));
    place(loadLanguage_, leftX + colW - inner - loadW, y + groupTop - S(1), loadW, buttonH);
    y += langH + gap;

    // Miscellaneous.
    const int miscH = groupTop + 3 * rowBox + S(6);
    place(groupMisc_, leftX, y, colW, miscH);
    int row = y + groupTop;
    for (HWND c : {lessStatus_, findEmptyDirs_, hideExtensions_}) {
      place(c, leftX + inner, row, colW - 2 * inner, S(20));
      row += rowBox;
    }
    y += miscH + gap;

    // Storing the settings.
    const int deleteW = std::min(colW - 2 * inner, S(220));
    const int storeH = groupTop + rowBox + buttonH + S(6) + 3 * (multiH + S(2)) + S(6);
    place(groupStore_, leftX, y, colW, storeH);
    row = y + groupTop;
    place(saveSettings_, leftX + inner, row, colW - 2 * inner, S(20));
    row += rowBox;
    place(deleteSettings_, leftX + inner + S(16), row, deleteW - S(16), buttonH);
    row += buttonH + S(6);
    const int dotsW = S(26);
    const int multiW = colW - 2 * inner - S(16);
    for (HWND c : {saveWindowPos_.Handle(), saveColumns_.Handle(), regFiletypes_.Handle()}) {
      const int w = c == regFiletypes_.Handle() ? multiW - dotsW - S(6) : multiW;
      place(c, leftX + inner + S(16), row, w, multiH);
      if (c == regFiletypes_.Handle())
        place(regFiletypesButton_, leftX + inner + S(16) + w + S(6),
              row + (multiH - buttonH) / 2, dotsW, buttonH);
      row += multiH + S(2);
    }

    // The result list's appearance.
    y = margin;
    const int comboH = lineHeight_ + S(10);
    const int legendW = ZW_CHECK_IMAGE_WIDTH + S(10);
    const int labelH = lineHeight_ + S(2);
    const int appearanceH = groupTop + buttonH + S(8) + labelH + S(2) + 4 * (comboH + S(4)) + S(4) +
                            labelH + S(2) + comboH + S(6) + 2 * rowBox + S(6);
    place(groupAppearance_, rightX, y, colW, appearanceH);
    row = y + groupTop;
    place(resultFont_, rightX + inner, row, std::min(S(140), colW - 2 * inner), buttonH);
    row += buttonH + S(8);
    place(bgColorsLabel_, rightX + inner, row, colW - 2 * inner, labelH);
    row += labelH + S(2);
    const int comboW = std::min(S(200), colW - 2 * inner - legendW - S(4));
    for (int kind = 0; kind < 4; ++kind) {
      place(legend_[kind], rightX + inner, row, legendW, comboH);
      place(colors_[kind].Handle(), rightX + inner + legendW + S(4), row, comboW, S(320));
      row += comboH + S(4);
    }
    row += S(4);
    place(sizeUnitLabel_, rightX + inner, row, colW - 2 * inner, labelH);
    row += labelH + S(2);
    place(sizeUnit_, rightX + inner, row, std::min(S(200), colW - 2 * inner), S(220));
    row += comboH + S(6);
    for (HWND c : {displaySecs_, altPath_}) {
      place(c, rightX + inner, row, colW - 2 * inner, S(20));
      row += rowBox;
    }
    (void)height;
  }

  void ApplyCaptions() override {
    auto set = [](HWND h, const std::string& text) { SetWindowTextA(h, text.c_str()); };
    set(groupLanguage_, Caption("lblLanguage", "language"));
    set(loadLanguage_, Caption("lblBtnLoadLang", "load"));
    set(groupMisc_, Caption("lblMisc", "miscellaneous"));
    set(lessStatus_, Caption("lblCBDisableStatus", "less detailed status (slightly faster)"));
    set(findEmptyDirs_,
        Caption("lblCBFindEmptyDirs", "find empty folders after removing files"));
    set(hideExtensions_, Caption("lblCBHideExtensions", "hide extensions when renaming"));
    set(groupAppearance_, Caption("lblResultListApp", "result list appearance"));
    set(resultFont_, Caption("lblBtnResultFont", "font..."));
    set(bgColorsLabel_, Caption("lblBgColors", "background colours:"));
    set(sizeUnitLabel_, Caption("lblFileSizeDisplayUnit", "file size display unit:"));
    set(displaySecs_, Caption("lblCBDisplaySeconds", "display seconds with file dates"));
    set(altPath_, Caption("lblCBAltPathShortening", "alternative path shortening"));
    set(groupStore_, Caption("lblStoreSettings", "store settings"));
    set(saveSettings_, Caption("lblCBSaveOptions", "save settings in registry"));
    set(deleteSettings_, Caption("lblBtnDeleteOptions", "delete settings from registry"));
    set(saveWindowPos_.Handle(),
        Caption("lblCBSaveWindowPos", "also save window position\r\nand size"));
    set(saveColumns_.Handle(),
        Caption("lblCBSaveResultListColumns", "also save result list columns\r\n(width and order)"));
    set(regFiletypes_.Handle(), Caption("lblCBRegFileTypes", "register file types"));
    const LRESULT unit = SendMessageA(sizeUnit_, CB_GETCURSEL, 0, 0);
    FillUnits();
    SendMessageA(sizeUnit_, CB_SETCURSEL, static_cast<WPARAM>(unit), 0);
    for (TColorCombo& combo : colors_) combo.FillNames();
  }

  void ModelToControls() override {
    const TWindowModel& model = ctx_.form->Model();
    SetChecked(lessStatus_, model.lessStatus);
    SetChecked(findEmptyDirs_, model.findEmptyDirs);
    SetChecked(hideExtensions_, model.results.hideExtensions);
    SetChecked(displaySecs_, model.results.displaySecs);
    SetChecked(altPath_, model.results.altPathShortening);
    SendMessageA(sizeUnit_, CB_SETCURSEL, model.results.sizeUnit, 0);
    for (TColorCombo& combo : colors_) combo.ModelToControl(ctx_.form->ResultView());
    for (HWND legend : legend_) InvalidateRect(legend, nullptr, FALSE);
    SetChecked(saveSettings_, model.saveSettings);
    SetChecked(saveWindowPos_.Handle(), model.store.saveWindowPos);
    SetChecked(saveColumns_.Handle(), model.store.saveResultListColumns);
    SetChecked(regFiletypes_.Handle(), model.store.regFiletypes);
    // The language box keeps the entry the user picked until the language
    // in force changes.
    if (shownLanguage_ != model.language) {
      shownLanguage_ = model.language;
      SendMessageA(language_, CB_SETCURSEL, ctx_.form->SelectedLanguage(), 0);
    }
    ApplyEnabling();
  }

  void ControlsToModel() override {
    TWindowModel& model = ctx_.form->Model();
    model.lessStatus = IsChecked(lessStatus_);
    model.findEmptyDirs = IsChecked(findEmptyDirs_);
    model.results.hideExtensions = IsChecked(hideExtensions_);
    TResultListModel& view = ctx_.form->ResultView();
    if (model.results.displaySecs != IsChecked(displaySecs_))
      view.SetDisplaySecs(IsChecked(displaySecs_));
    if (model.results.altPathShortening != IsChecked(altPath_))
      view.SetAltPathShortening(IsChecked(altPath_));
    const LRESULT unit = SendMessageA(sizeUnit_, CB_GETCURSEL, 0, 0);
    if (unit >= 0 && unit != model.results.sizeUnit) view.SetSizeUnit(static_cast<uint8_t>(unit));
    model.saveSettings = IsChecked(saveSettings_);
    model.store.saveWindowPos = IsChecked(saveWindowPos_.Handle());
    model.store.saveResultListColumns = IsChecked(saveColumns_.Handle());
    // "register file types" changes the wanted flags only when clicked.
  }

  LRESULT Message(UINT msg, WPARAM wp, LPARAM lp, bool& handled) override {
    switch (msg) {
      case WM_COMMAND: return OnCommand(LOWORD(wp), HIWORD(wp), handled);
      case WM_DRAWITEM: {
        const auto& di = *reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
        const int id = static_cast<int>(di.CtlID);
        if (id >= idColor0 && id < idColor0 + 4) {
          colors_[id - idColor0].Draw(di, ctx_.form->ResultView());
        } else if (id >= idLegend0 && id < idLegend0 + 4) {
          DrawLegend(di, id - idLegend0);
        } else {
          return 0;
        }
        handled = true;
        return TRUE;
      }
      case kOpenCustomColor: {
        handled = true;
        const int kind = static_cast<int>(wp);
        if (kind < 0 || kind >= 4) return 0;
        customPending_[kind] = false;
        if (colors_[kind].ChooseCustom(ctx_.owner, ctx_.form->ResultView())) ColorChanged();
        return 0;
      }
      default: return 0;
    }
  }

  void SetBusy(bool busy) override {
    busy_ = busy;
    ApplyEnabling();
  }

  HWND ControlFor(TControl control) const override {
    switch (control) {
      case TControl::CheckBoxStatus: return lessStatus_;
      case TControl::CBFindEmptyDirs: return findEmptyDirs_;
      case TControl::CBListLight:
      case TControl::CBListLightChecked:
      case TControl::CBListDark:
      case TControl::CBListDarkChecked:
        return colors_[static_cast<int>(control) - static_cast<int>(TControl::CBListLight)].Handle();
      default: return nullptr;
    }
  }

 private:
  LRESULT OnCommand(int id, int code, bool& handled) {
    if (id >= idColor0 && id < idColor0 + 4) {
      handled = true;
      TColorCombo& combo = colors_[id - idColor0];
      switch (combo.Command(code, ctx_.form->ResultView())) {
        case TColorCombo::TChange::Changed: ColorChanged(); break;
        case TColorCombo::TChange::OpenCustom:
          // One gesture may notify twice (a list closing on "custom..."
          // also reports the selection change): one dialog.
          if (!customPending_[combo.RowKind()]) {
            customPending_[combo.RowKind()] = true;
            PostMessageA(page_, kOpenCustomColor, static_cast<WPARAM>(combo.RowKind()), 0);
          }
          break;
        case TColorCombo::TChange::None: break;
      }
      return 0;
    }
    if (id == idLanguage) {
      handled = true;
      if (code == CBN_SELCHANGE) ApplyEnabling();
      return 0;
    }
    if (id == idSizeUnit) {
      handled = true;
      if (code == CBN_SELCHANGE) {
        ControlsToModel();
        ctx_.displayChanged();
      }
      return 0;
    }
    if (code != BN_CLICKED) return 0;
    handled = true;
    TWindowModel& model = ctx_.form->Model();
    switch (id) {
      case idLoadLanguage: LoadLanguage(); break;
      case idResultFont: ctx_.chooseResultFont(); break;
      case idDeleteSettings: ctx_.form->DeleteStoredSettings(); ModelToControls(); break;
      case idRegFiletypes:
        SetRegFiletypes(model.store, IsChecked(regFiletypes_.Handle()));
        break;
      case idRegFiletypesButton:
        if (RegFiletypesDialog(ctx_.owner, regFiletypesButton_, model.store, ctx_.openHelp))
          SetChecked(regFiletypes_.Handle(), model.store.regFiletypes);
        break;
      case idDisplaySecs:
      case idAltPath:
        ControlsToModel();
        ctx_.displayChanged();
        break;
      default:
        ControlsToModel();
        if (id == idSaveSettings) ApplyEnabling();
        break;
    }
    return 0;
  }

  void LoadLanguage() {
    const LRESULT index = SendMessageA(language_, CB_GETCURSEL, 0, 0);
    if (index < 0) return;
    switch (ctx_.form->LoadLanguage(static_cast<size_t>(index))) {
      case TMainForm::TLanguageLoad::Applied:
        ctx_.languageApplied();
        break;
      case TMainForm::TLanguageLoad::RestartForEnglish: {
        const int visiblePage = static_cast<int>(ctx_.form->Model().page) + 1;
        if (RestartProgram(TMainForm::LanguageRestartParameters(visiblePage)))
          ctx_.closeWindow();
        break;
      }
      case TMainForm::TLanguageLoad::Aborted:
      case TMainForm::TLanguageLoad::Nothing:
        break;
    }
    ApplyEnabling();
  }

  // Starts the program's own executable again, in its own folder. A start
  // that failed is said, and the window stays open: closing it would end
  // the program without the new one.
  bool RestartProgram(const std::string& parameters) {
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string exe(path, length < MAX_PATH ? length : 0);
    const size_t slash = exe.find_last_of("\\/");
    const std::string folder = slash == std::string::npos ? std::string() : exe.substr(0, slash);
    std::string commandLine = "\"" + exe + "\" " + parameters;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!exe.empty() &&
        CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                       folder.empty() ? nullptr : folder.c_str(), &startup, &process)) {
      CloseHandle(process.hThread);
      CloseHandle(process.hProcess);
      return true;
    }
    const DWORD error = GetLastError();
    char* text = nullptr;
    FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                       FORMAT_MESSAGE_IGNORE_INSERTS,
                   nullptr, error, 0, reinterpret_cast<char*>(&text), 0, nullptr);
    const std::string message = "Zwillo could not be restarted:\r\n" +
                                std::string(text ? text : "") +
                                "\r\nEnglish will be in force at the next start.";
    if (text) LocalFree(text);
    MessageBoxA(ctx_.owner, message.c_str(), "Information", MB_OK | MB_ICONWARNING);
    return false;
  }

  void ColorChanged() {
    for (HWND legend : legend_) InvalidateRect(legend, nullptr, FALSE);
    ctx_.displayChanged();
  }

  // The check icon of a row kind on that kind's background.
  void DrawLegend(const DRAWITEMSTRUCT& di, int kind) {
    HBRUSH fill = CreateSolidBrush(ctx_.form->ResultView().RowBackground(kind));
    FillRect(di.hDC, &di.rcItem, fill);
    DeleteObject(fill);
    FrameRect(di.hDC, &di.rcItem, GetSysColorBrush(COLOR_BTNSHADOW));
    const int x = (di.rcItem.left + di.rcItem.right - ZW_CHECK_IMAGE_WIDTH) / 2;
    const int y = (di.rcItem.top + di.rcItem.bottom - ZW_CHECK_IMAGE_HEIGHT) / 2;
    if (checkImages_) ImageList_Draw(checkImages_, 1 + kind, di.hDC, x, y, ILD_TRANSPARENT);
  }

  // Every enabled state of the page: while busy only the display options;
  // otherwise the load button while the box names another language than
  // the one in force, and the store group's rules.
  void ApplyEnabling() {
    const bool idle = !busy_;
    auto enable = [](HWND h, bool on) {
      if ((IsWindowEnabled(h) != FALSE) != on) EnableWindow(h, on);
    };
    for (HWND c : {lessStatus_, displaySecs_, altPath_, sizeUnit_}) enable(c, true);
    for (TColorCombo& combo : colors_) enable(combo.Handle(), true);
    for (HWND c : {language_, findEmptyDirs_, hideExtensions_, resultFont_, saveSettings_})
      enable(c, idle);
    const LRESULT index = SendMessageA(language_, CB_GETCURSEL, 0, 0);
    enable(loadLanguage_,
           idle && index >= 0 && ctx_.form->CanLoadLanguage(static_cast<size_t>(index)));
    const TStoreGroupState store =
        StoreGroupState(ctx_.form->Model(), ctx_.form->settingsSystem.isAdmin);
    enable(deleteSettings_, idle && store.deleteSettings);
    enable(saveWindowPos_.Handle(), idle && store.saveWindowPos);
    enable(saveColumns_.Handle(), idle && store.saveResultListColumns);
    enable(regFiletypes_.Handle(), idle && store.regFiletypes);
    enable(regFiletypesButton_, idle && store.regFiletypesButton);
  }

  void FillUnits() {
    SendMessageA(sizeUnit_, CB_RESETCONTENT, 0, 0);
    for (int unit = 0; unit < 7; ++unit)
      SendMessageA(sizeUnit_, CB_ADDSTRING, 0,
                   reinterpret_cast<LPARAM>(Strings().UnitName(unit).c_str()));
    if (ctx_.form->ResultView().SizeUnitCount() > 7)
      SendMessageA(sizeUnit_, CB_ADDSTRING, 0,
                   reinterpret_cast<LPARAM>(Str(lblBestFittingUnit).c_str()));
  }

  HWND groupLanguage_ = nullptr, language_ = nullptr, loadLanguage_ = nullptr;
  HWND groupMisc_ = nullptr, lessStatus_ = nullptr, findEmptyDirs_ = nullptr;
  HWND hideExtensions_ = nullptr;
  HWND groupAppearance_ = nullptr, resultFont_ = nullptr, bgColorsLabel_ = nullptr;
  std::array<HWND, 4> legend_{};
  std::array<TColorCombo, 4> colors_;
  std::array<bool, 4> customPending_{};  // a colour dialog is posted
  HWND sizeUnitLabel_ = nullptr, sizeUnit_ = nullptr, displaySecs_ = nullptr, altPath_ = nullptr;
  HWND groupStore_ = nullptr, saveSettings_ = nullptr, deleteSettings_ = nullptr;
  TMultilineCheckBox saveWindowPos_, saveColumns_, regFiletypes_;
  HWND regFiletypesButton_ = nullptr;
  HIMAGELIST checkImages_ = nullptr;
  int lineHeight_ = 13;
  int32_t shownLanguage_ = -2;
  bool busy_ = false;
};

}  // namespace

std::unique_ptr<TOptionPage> MakeCommonOptionsPage(TPageContext& context) {
  return std::make_unique<TCommonOptionsPage>(context);
}

}  // namespace zw::win
