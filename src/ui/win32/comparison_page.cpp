// The comparison options page: the four criteria boxes.
#include <array>

#include "ui/win32/captions.h"
#include "ui/win32/option_page.h"

namespace zw::win {
namespace {

enum : int { idCriteria0 = 400 };

const uint8_t kBits[4] = {ccFilename, ccSize, ccDate, ccContent};
const char* const kCriteria[4][2] = {{"lblCBFilename", "file name"},
                                     {"lblCBSize", "size"},
                                     {"lblCBDate", "date"},
                                     {"lblCBContent", "content"}};

class TComparisonPage : public TOptionPage {
 public:
  using TOptionPage::TOptionPage;

  void Create(HWND page) override {
    page_ = page;
    for (int i = 0; i < 4; ++i)
      boxes_[i] = AddControl(ctx_, page, "BUTTON", kCriteria[i][1], BS_AUTOCHECKBOX | WS_TABSTOP,
                             idCriteria0 + i);
  }

  void Layout(int width, int) override {
    int y = ctx_.Scale(12);
    for (HWND box : boxes_) {
      MoveWindow(box, ctx_.Scale(12), y, width - ctx_.Scale(24), ctx_.Scale(20), TRUE);
      y += ctx_.Scale(26);
    }
  }

  void ApplyCaptions() override {
    for (int i = 0; i < 4; ++i)
      SetWindowTextA(boxes_[i], Caption(kCriteria[i][0], kCriteria[i][1]).c_str());
  }

  void ModelToControls() override {
    for (int i = 0; i < 4; ++i) SetChecked(boxes_[i], ctx_.form->Model().compare.On(kBits[i]));
  }

  void ControlsToModel() override {
    TCompareSettings& compare = ctx_.form->Model().compare;
    for (int i = 0; i < 4; ++i) {
      if (IsChecked(boxes_[i]))
        compare.checked |= kBits[i];
      else
        compare.checked &= static_cast<uint8_t>(~kBits[i]);
    }
  }

  LRESULT Message(UINT msg, WPARAM wp, LPARAM, bool& handled) override {
    if (msg == WM_COMMAND && HIWORD(wp) == BN_CLICKED) {
      ControlsToModel();
      handled = true;
    }
    return 0;
  }

  void SetBusy(bool busy) override {
    for (HWND box : boxes_) EnableWindow(box, !busy);
  }

  HWND ControlFor(TControl control) const override {
    switch (control) {
      case TControl::CBFilename: return boxes_[0];
      case TControl::CBSize: return boxes_[1];
      case TControl::CBDate: return boxes_[2];
      case TControl::CBContent: return boxes_[3];
      default: return nullptr;
    }
  }

 private:
  std::array<HWND, 4> boxes_{};
};

}  // namespace

std::unique_ptr<TOptionPage> MakeComparisonPage(TPageContext& context) {
  return std::make_unique<TComparisonPage>(context);
}

}  // namespace zw::win
