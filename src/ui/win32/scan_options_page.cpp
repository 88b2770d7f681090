// The scan options page: the two folder lists and the archive box.
#include "ui/win32/captions.h"
#include "ui/win32/option_page.h"

namespace zw::win {
namespace {

enum : int { idFresh = 420, idLibrary, idScanArchives };

class TScanOptionsPage : public TOptionPage {
 public:
  using TOptionPage::TOptionPage;

  void Create(HWND page) override {
    page_ = page;
    freshLabel_ = AddControl(ctx_, page, "STATIC", "'fresh' - compared among themselves", SS_LEFT, 0);
    fresh_ = AddControl(ctx_, page, "LISTBOX", "", WS_VSCROLL | WS_TABSTOP | LBS_NOINTEGRALHEIGHT,
                        idFresh, WS_EX_CLIENTEDGE);
    libraryLabel_ = AddControl(ctx_, page, "STATIC", "'library' - compared against 'fresh' only",
                               SS_LEFT, 0);
    library_ = AddControl(ctx_, page, "LISTBOX", "",
                          WS_VSCROLL | WS_TABSTOP | LBS_NOINTEGRALHEIGHT, idLibrary,
                          WS_EX_CLIENTEDGE);
    scanArchives_ = AddControl(ctx_, page, "BUTTON", "scan archives (*.zip)",
                               BS_AUTOCHECKBOX | WS_TABSTOP, idScanArchives);
  }

  void Layout(int width, int height) override {
    const int listHeight = std::max(ctx_.Scale(40), (height - ctx_.Scale(110)) / 2);
    int y = ctx_.Scale(12);
    const int w = width - ctx_.Scale(24);
    for (auto [control, h] : {std::pair{freshLabel_, ctx_.Scale(16)}, {fresh_, listHeight},
                              {libraryLabel_, ctx_.Scale(16)}, {library_, listHeight},
                              {scanArchives_, ctx_.Scale(20)}}) {
      MoveWindow(control, ctx_.Scale(12), y, w, h, TRUE);
      y += h + ctx_.Scale(6);
    }
  }

  void ApplyCaptions() override {
    SetWindowTextA(scanArchives_,
                   Caption("lblCBScanArchives", "scan archives (*.zip)").c_str());
  }

  void ModelToControls() override {
    const TWindowModel& model = ctx_.form->Model();
    Fill(fresh_, model.fresh);
    Fill(library_, model.library);
    SetChecked(scanArchives_, model.scanArchives);
  }

  void ControlsToModel() override {
    ctx_.form->Model().scanArchives = IsChecked(scanArchives_);
  }

  LRESULT Message(UINT msg, WPARAM wp, LPARAM, bool& handled) override {
    if (msg == WM_COMMAND && LOWORD(wp) == idScanArchives && HIWORD(wp) == BN_CLICKED) {
      ControlsToModel();
      handled = true;
    }
    return 0;
  }

  void SetBusy(bool busy) override {
    for (HWND c : {freshLabel_, fresh_, libraryLabel_, library_, scanArchives_})
      EnableWindow(c, !busy);
  }

  HWND ControlFor(TControl control) const override {
    switch (control) {
      case TControl::CLBoxFo: return fresh_;
      case TControl::ClBoxFo2: return library_;
      case TControl::CBScanArchives: return scanArchives_;
      default: return nullptr;
    }
  }

  void ShowFolderRow(TFolderList list, int32_t row) override {
    SendMessageA(list == TFolderList::Fresh ? fresh_ : library_, LB_SETCURSEL,
                 static_cast<WPARAM>(row), 0);
  }

 private:
  static void Fill(HWND box, const TFolderListModel& list) {
    SendMessageA(box, WM_SETREDRAW, FALSE, 0);
    SendMessageA(box, LB_RESETCONTENT, 0, 0);
    static const char kStates[] = "rsxi";
    for (const TDirRow& row : list.rows) {
      std::string text = "[";
      text += row.state < 4 ? kStates[row.state] : '?';
      text += "] " + row.caption;
      SendMessageA(box, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }
    if (list.selected >= 0)
      SendMessageA(box, LB_SETCURSEL, static_cast<WPARAM>(list.selected), 0);
    SendMessageA(box, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(box, nullptr, TRUE);
  }

  HWND freshLabel_ = nullptr, fresh_ = nullptr, libraryLabel_ = nullptr, library_ = nullptr;
  HWND scanArchives_ = nullptr;
};

}  // namespace

std::unique_ptr<TOptionPage> MakeScanOptionsPage(TPageContext& context) {
  return std::make_unique<TScanOptionsPage>(context);
}

}  // namespace zw::win
