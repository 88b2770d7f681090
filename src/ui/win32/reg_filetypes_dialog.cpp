#include "ui/win32/reg_filetypes_dialog.h"

#include <commctrl.h>

#include <string>

#include "app/options/common_options.h"
#include "app/text/language_files.h"
#include "app/text/string_table.h"
#include "common_dialog_ids.h"
#include "ui/win32/dialog_base.h"
#include "ui/win32/help_contexts.h"

namespace zw::win {

namespace {

class TFrmRegFiletypes : public TDialog {
 public:
  TFrmRegFiletypes(HWND button, TStoreOptions& store, const std::function<void(int)>& openHelp)
      : button_(button), store_(store), openHelp_(openHelp) {
    helpContext_ = IDH_FILE_TYPES;
  }
 protected:
  bool OnInit() override {
    ApplyCaption(lblRegFiletypesCpt);
    ApplyText(IDC_RFT_HEADING, lblRegFiletypes);
    if (DialogsUseStringTable()) {
      SetDlgItemTextA(hwnd_, IDC_RFT_RESULTLIST, (Str(strResultListDescr) + " (.zwr)").c_str());
      SetDlgItemTextA(hwnd_, IDC_RFT_CATFILE, (Str(strCatFileDescr) + " (.zwc)").c_str());
    }
    ApplyText(IDC_RFT_DIRECTORY, strDirectoryDescr);
    ApplyText(IDOK, lblOK);
    ApplyText(IDCANCEL, lblCancel);
    ApplyText(IDC_RFT_HELP, lblHelp);
    AddHints();
    const TRegFiletypesChoice preset = RegFiletypesPreset(store_);
    SetChecked(IDC_RFT_RESULTLIST, preset.resultLists);
    SetChecked(IDC_RFT_CATFILE, preset.catalogs);
    SetChecked(IDC_RFT_DIRECTORY, preset.folders);
    PlaceBelowButton();
    return true;
  }

  bool OnCommand(int id, int code, HWND) override {
    if (code != BN_CLICKED) return false;
    switch (id) {
      case IDOK: {
        TRegFiletypesChoice choice;
        choice.resultLists = IsChecked(IDC_RFT_RESULTLIST);
        choice.catalogs = IsChecked(IDC_RFT_CATFILE);
        choice.folders = IsChecked(IDC_RFT_DIRECTORY);
        ApplyRegFiletypesChoice(store_, choice);
        End(IDOK);
        return true;
      }
      case IDC_RFT_HELP:
        if (openHelp_) openHelp_(IDH_FILE_TYPES);
        return true;
      default: return false;
    }
  }

  const char* Name() const override { return "register file types"; }

 private:
  void AddHints() {
    // The hints' window belongs to the dialog and goes with it.
    tips_ = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                            CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd_,
                            nullptr, GetModuleHandleA(nullptr), nullptr);
    if (!tips_) return;
    const struct {
      int id;
      TStrID hint;
    } hints[] = {{IDC_RFT_RESULTLIST, strResultListLoad},
                 {IDC_RFT_CATFILE, strCatFileView},
                 {IDC_RFT_DIRECTORY, strDirectoryScan}};
    for (const auto& h : hints) {
      hintTexts_[&h - hints] = Str(h.hint);
      TTTOOLINFOA info{};
      info.cbSize = sizeof info;
      info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
      info.hwnd = hwnd_;
      info.uId = reinterpret_cast<UINT_PTR>(Item(h.id));
      info.lpszText = const_cast<char*>(hintTexts_[&h - hints].c_str());
      SendMessageA(tips_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&info));
    }
  }

  // Just below the "..." button, moved left or up to stay on its screen.
  void PlaceBelowButton() {
    RECT button{}, window{};
    if (!button_ || !GetWindowRect(button_, &button) || !GetWindowRect(hwnd_, &window)) return;
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    if (!GetMonitorInfoA(MonitorFromRect(&button, MONITOR_DEFAULTTONEAREST), &monitor)) return;
    const RECT& work = monitor.rcWork;
    const TScreenPoint at =
        PlaceBelow({button.left, button.top, button.right, button.bottom},
                   window.right - window.left, window.bottom - window.top,
                   {work.left, work.top, work.right, work.bottom});
    SetWindowPos(hwnd_, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }

  HWND button_;
  TStoreOptions& store_;
  const std::function<void(int)>& openHelp_;
  HWND tips_ = nullptr;
  std::string hintTexts_[3];
};

}  // namespace

bool RegFiletypesDialog(HWND owner, HWND button, TStoreOptions& store,
                        const std::function<void(int context)>& openHelp) {
  TFrmRegFiletypes dialog(button, store, openHelp);
  return dialog.DoModal(owner, IDD_REG_FILETYPES) == IDOK;
}

}  // namespace zw::win
