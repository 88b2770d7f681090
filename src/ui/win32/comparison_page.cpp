// The comparison options page: a row for each of the four criteria with its
// box, the one-line description of its advanced settings and the
// "advanced..." button that opens its dialog. A click on an enabled
// description acts as a click on its button.
#include <windowsx.h>

#include <algorithm>
#include <array>
#include <memory>
#include <string>

#include "app/options/advanced_dialogs.h"
#include "app/options/criteria_page.h"
#include "app/text/criteria_descriptions.h"
#include "app/text/string_table.h"
#include "ui/win32/advanced_dialogs_win.h"
#include "ui/win32/captions.h"
#include "ui/win32/option_page.h"
#include "ui/win32/url_label.h"

namespace zw::win {
namespace {

enum : int { idTitle = 400, idCriteria0 = 410, idButton0 = 420, idLabel0 = 430 };

const TCompCriteria kBits[4] = {ccFilename, ccSize, ccDate, ccContent};
const char* const kCriteria[4][2] = {{"lblCBFilename", "file name"},
                                     {"lblCBSize", "size"},
                                     {"lblCBDate", "date"},
                                     {"lblCBContent", "content"}};

int TextWidth(HWND control, HFONT font) {
  char text[256] = {};
  const int length = GetWindowTextA(control, text, sizeof text);
  HDC dc = GetDC(control);
  HGDIOBJ old = SelectObject(dc, font);
  SIZE size{};
  GetTextExtentPoint32A(dc, text, length, &size);
  SelectObject(dc, old);
  ReleaseDC(control, dc);
  return size.cx;
}

class TComparisonPage : public TOptionPage {
 public:
  using TOptionPage::TOptionPage;

  void Create(HWND page) override {
    page_ = page;
    title_ = AddControl(ctx_, page, "STATIC", "", SS_LEFT | SS_NOPREFIX, idTitle);
    SendMessageA(title_, WM_SETFONT, reinterpret_cast<WPARAM>(ctx_.boldFont), FALSE);
    for (int i = 0; i < 4; ++i) {
      boxes_[i] = AddControl(ctx_, page, "BUTTON", kCriteria[i][1],
                             BS_AUTOCHECKBOX | WS_TABSTOP | WS_GROUP, idCriteria0 + i);
      labels_[i].look = TUrlLabelLook::Field;
      labels_[i].styles = ulsHoverEffect;  // no context menu: the click opens the dialog
      labels_[i].onClick = [this, i] { OpenAdvanced(i); };
      labels_[i].Create(page, idLabel0 + i, ctx_.font, WS_EX_CLIENTEDGE);
      buttons_[i] = AddControl(ctx_, page, "BUTTON", "advanced...", BS_PUSHBUTTON | WS_TABSTOP,
                               idButton0 + i);
    }
  }

  void Layout(int width, int) override {
    const int margin = ctx_.Scale(12);
    const int rowHeight = ctx_.Scale(23);
    const int pitch = ctx_.Scale(32);
    int y = margin;
    MoveWindow(title_, margin, y, std::max(0, width - 2 * margin), ctx_.Scale(20), TRUE);
    y += ctx_.Scale(36);

    // The boxes as wide as the widest caption, the buttons as the caption
    // needs (at least a standard button), the descriptions between them
    // take the rest, up to a width that keeps each row readable.
    int boxWidth = ctx_.Scale(90);
    int buttonWidth = ctx_.Scale(88);
    for (int i = 0; i < 4; ++i) {
      boxWidth = std::max(boxWidth, TextWidth(boxes_[i], ctx_.font) +
                                        GetSystemMetrics(SM_CXMENUCHECK) + ctx_.Scale(12));
      buttonWidth = std::max(buttonWidth, TextWidth(buttons_[i], ctx_.font) + ctx_.Scale(20));
    }
    const int gap = ctx_.Scale(8);
    const int available = width - 2 * margin - boxWidth - buttonWidth - 2 * gap;
    const int labelWidth = std::clamp(available, ctx_.Scale(80), ctx_.Scale(420));
    for (int i = 0; i < 4; ++i) {
      int x = margin;
      MoveWindow(boxes_[i], x, y, boxWidth, rowHeight, TRUE);
      x += boxWidth + gap;
      MoveWindow(labels_[i].Handle(), x, y, labelWidth, rowHeight, TRUE);
      x += labelWidth + gap;
      MoveWindow(buttons_[i], x, y, buttonWidth, rowHeight, TRUE);
      y += pitch;
    }
  }

  void ApplyCaptions() override {
    SetWindowTextA(title_, Str(lblTitleCompOptions).c_str());
    for (int i = 0; i < 4; ++i) {
      SetWindowTextA(boxes_[i], Caption(kCriteria[i][0], kCriteria[i][1]).c_str());
      SetWindowTextA(buttons_[i], Caption("lblBtnAdvanced", "advanced...").c_str());
    }
    // The descriptions come from the string table.
    UpdateDetails();
    RECT r{};
    GetClientRect(page_, &r);
    Layout(r.right, r.bottom);
  }

  void ModelToControls() override {
    for (int i = 0; i < 4; ++i) SetChecked(boxes_[i], Compare().On(kBits[i]));
    UpdateDetails();
  }

  void ControlsToModel() override {
    for (int i = 0; i < 4; ++i) Compare().Set(kBits[i], IsChecked(boxes_[i]));
  }

  LRESULT Message(UINT msg, WPARAM wp, LPARAM, bool& handled) override {
    if (msg != WM_COMMAND || HIWORD(wp) != BN_CLICKED) return 0;
    const int id = LOWORD(wp);
    if (id >= idCriteria0 && id < idCriteria0 + 4) {
      ControlsToModel();
      UpdateDetails();
      handled = true;
    } else if (id >= idButton0 && id < idButton0 + 4) {
      OpenAdvanced(id - idButton0);
      handled = true;
    }
    return 0;
  }

  void SetBusy(bool busy) override {
    busy_ = busy;
    for (HWND box : boxes_) EnableWindow(box, !busy);
    UpdateDetails();
  }

  HWND ControlFor(TControl control) const override {
    switch (control) {
      case TControl::CBFilename: return boxes_[0];
      case TControl::CBSize: return boxes_[1];
      case TControl::CBDate: return boxes_[2];
      case TControl::CBContent: return boxes_[3];
      case TControl::BtnFilename: return buttons_[0];
      case TControl::BtnSize: return buttons_[1];
      case TControl::BtnDate: return buttons_[2];
      case TControl::BtnContent: return buttons_[3];
      default: return nullptr;
    }
  }

 private:
  TCompareSettings& Compare() { return ctx_.form->Model().compare; }

  // The descriptions from the records, and the buttons and descriptions
  // enabled as their boxes and the form state say.
  void UpdateDetails() {
    const TCompareSettings& compare = Compare();
    const std::string texts[4] = {DescribeFilename(compare.filename), DescribeSize(compare.size),
                                  DescribeDate(compare.date), DescribeContent(compare.content)};
    for (int i = 0; i < 4; ++i) {
      labels_[i].SetCaption(texts[i]);
      const bool enabled = CriterionDetailsEnabled(compare, kBits[i], busy_);
      EnableWindow(buttons_[i], enabled);
      labels_[i].Enable(enabled);
    }
  }

  void OpenAdvanced(int i) {
    // A click on a description that was disabled meanwhile does nothing.
    if (!CriterionDetailsEnabled(Compare(), kBits[i], busy_)) return;
    TCompareSettings& compare = Compare();
    IMessenger& msgr = ctx_.form->Messenger();
    const HWND owner = ctx_.owner;
    const HWND button = buttons_[i];
    bool changed = false;
    switch (i) {
      case 0:
        if (!filename_) filename_ = std::make_unique<TAdvFilenameModel>(msgr);
        changed = AdvFilenameDialog(owner, button, *filename_, compare.filename);
        break;
      case 1:
        if (!size_) size_ = std::make_unique<TAdvSizeModel>(msgr);
        changed = AdvSizeDialog(owner, button, *size_, compare.size);
        break;
      case 2:
        if (!date_) date_ = std::make_unique<TAdvDateModel>(msgr);
        changed = AdvDateDialog(owner, button, *date_, compare.date);
        break;
      default:
        if (!content_) content_ = std::make_unique<TAdvContentModel>(msgr);
        changed = AdvContentDialog(owner, button, *content_, compare.content);
        break;
    }
    if (changed) {
      UpdateDetails();
      ctx_.host->ModelChanged();
    }
  }

  HWND title_ = nullptr;
  std::array<HWND, 4> boxes_{};
  std::array<HWND, 4> buttons_{};
  std::array<TUrlLabel, 4> labels_;
  bool busy_ = false;
  // The dialogs keep what a record does not load from one opening to the
  // next, for the program's run.
  std::unique_ptr<TAdvFilenameModel> filename_;
  std::unique_ptr<TAdvSizeModel> size_;
  std::unique_ptr<TAdvDateModel> date_;
  std::unique_ptr<TAdvContentModel> content_;
};

}  // namespace

std::unique_ptr<TOptionPage> MakeComparisonPage(TPageContext& context) {
  return std::make_unique<TComparisonPage>(context);
}

}  // namespace zw::win
