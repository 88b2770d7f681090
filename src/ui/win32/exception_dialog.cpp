#include "ui/win32/exception_dialog.h"

#include <algorithm>
#include <string>
#include <vector>

#include "app/log/except_dialog_model.h"
#include "app/log/log_details.h"
#include "app/shell/product.h"
#include "app/text/text_format.h"
#include "ui/win32/box_dialog.h"
#include "ui/win32/message_boxes.h"

namespace zw::win {

namespace {

constexpr int kIdIcon = 10;
constexpr int kIdIntro = 11;
constexpr int kIdMessage = 12;
constexpr int kIdOutro = 13;
constexpr int kIdDetails = 14;
constexpr int kIdCopy = 15;
constexpr int kIdSave = 16;
constexpr int kIdReport = 17;

class TExceptionDialog : public TDialog {
 public:
  explicit TExceptionDialog(std::vector<std::string> lines) : lines_(std::move(lines)) {}

  void Run(HWND owner) {
    boxes::TDialogTemplate tmpl(WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX |
                                    WS_THICKFRAME | DS_MODALFRAME,
                                0, 320, 200);
    using T = boxes::TDialogTemplate;
    const DWORD text = WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX;
    const DWORD button = WS_CHILD | WS_VISIBLE | WS_TABSTOP;
    // Places and sizes are set when the dialog starts and has measured its
    // texts.
    tmpl.Add(T::kStatic, WS_CHILD | WS_VISIBLE | SS_ICON, 7, 7, 21, 20, kIdIcon);
    tmpl.Add(T::kStatic, text, 35, 7, 270, 9, kIdIntro);
    tmpl.Add(T::kStatic, text, 35, 20, 270, 9, kIdMessage);
    tmpl.Add(T::kStatic, text, 35, 33, 270, 18, kIdOutro);
    tmpl.Add(T::kButton, button | WS_GROUP | BS_DEFPUSHBUTTON, 35, 56, 50, 14, IDOK);
    tmpl.Add(T::kButton, button | BS_PUSHBUTTON, 89, 56, 50, 14, kIdDetails);
    tmpl.Add(T::kButton, button | BS_PUSHBUTTON, 143, 56, 50, 14, kIdCopy);
    tmpl.Add(T::kButton, button | BS_PUSHBUTTON, 197, 56, 50, 14, kIdSave);
    tmpl.Add(T::kEdit,
             WS_CHILD | WS_BORDER | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE | ES_READONLY |
                 ES_AUTOVSCROLL | ES_AUTOHSCROLL,
             7, 80, 306, 110, kIdReport);
    RunModal(owner, tmpl.Get());
  }

 private:
  const char* Name() const override { return "exception report"; }

  bool OnInit() override {
    texts_ = ExceptDialogTexts(kSupportAddress);
    SetWindowTextA(hwnd_, texts_.caption.c_str());
    SetItemText(kIdIntro, texts_.intro);
    SetItemText(kIdMessage, ReportMessage(lines_));
    SetItemText(kIdOutro, texts_.outro);
    SetItemText(IDOK, texts_.ok);
    SetItemText(kIdCopy, texts_.copy);
    SetItemText(kIdSave, texts_.save);
    SetItemText(kIdReport, ReportText(lines_));

    HDC dc = GetDC(hwnd_);
    dpi_ = dc ? GetDeviceCaps(dc, LOGPIXELSX) : 96;
    if (dc) ReleaseDC(hwnd_, dc);
    icon_ = boxes::LoadBoxIcon(0, 0x10, false, ownsIcon_);
    SendMessageA(Item(kIdIcon), STM_SETICON, reinterpret_cast<WPARAM>(icon_), 0);

    LayoutTop();
    // The first size: the top part and the report below it; then collapsed.
    expandedClientH_ = memoY_ + DluY(110) + DluX(7);
    SetClientSize(clientW_, expandedClientH_);
    RECT r;
    GetWindowRect(hwnd_, &r);
    minWidth_ = r.right - r.left;
    SetExpanded(false);
    Center();
    MessageBeep(MB_ICONHAND);
    SendMessageA(hwnd_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Item(IDOK)), TRUE);
    return false;
  }

  int Px(int pixelsAt96) const { return MulDiv(pixelsAt96, dpi_, 96); }

  // The icon, the three texts beside it and the row of buttons; measured
  // once at the first width (the dialog never gets narrower, so the texts
  // never need more lines).
  void LayoutTop() {
    const HFONT font = reinterpret_cast<HFONT>(SendMessageA(hwnd_, WM_GETFONT, 0, 0));
    const int margin = DluX(7);
    const int iconSize = GetSystemMetrics(SM_CXICON);
    textX_ = margin + iconSize + DluX(7);

    // Buttons as wide as their longest caption needs, at least 50 units.
    std::string longest[] = {texts_.ok, texts_.DetailsButton(false), texts_.DetailsButton(true),
                             texts_.copy, texts_.save};
    buttonW_ = DluX(50);
    for (const std::string& caption : longest)
      buttonW_ = std::max<int>(buttonW_, boxes::MeasureText(hwnd_, font, caption, 0).cx + DluX(12));
    const int gap = DluX(4);
    const int rowW = buttonW_ * 4 + gap * 3;
    clientW_ = std::max(DluX(320), textX_ + rowW + margin);

    const int textW = clientW_ - textX_ - margin;
    int y = margin;
    const int ids[] = {kIdIntro, kIdMessage, kIdOutro};
    for (int id : ids) {
      char buffer[8192];
      GetDlgItemTextA(hwnd_, id, buffer, sizeof buffer);
      const SIZE size = boxes::MeasureText(hwnd_, font, buffer, textW);
      textH_[id - kIdIntro] = size.cy;
      y += size.cy + DluY(5);
    }
    buttonsY_ = std::max(y, margin + iconSize) + DluY(3);
    buttonH_ = DluY(14);
    memoY_ = buttonsY_ + buttonH_ + DluY(7);
    collapsedClientH_ = buttonsY_ + buttonH_ + Px(8);
  }

  // Widths follow the window; heights stay.
  void Layout() {
    RECT client;
    GetClientRect(hwnd_, &client);
    const int margin = DluX(7);
    const int textW = std::max<int>(0, client.right - textX_ - margin);
    MoveWindow(Item(kIdIcon), margin, margin, GetSystemMetrics(SM_CXICON),
               GetSystemMetrics(SM_CYICON), TRUE);
    int y = margin;
    for (int id = kIdIntro; id <= kIdOutro; ++id) {
      MoveWindow(Item(id), textX_, y, textW, textH_[id - kIdIntro], TRUE);
      y += textH_[id - kIdIntro] + DluY(5);
    }
    const int gap = DluX(4);
    int x = client.right - margin - (buttonW_ * 4 + gap * 3);
    for (int id : {IDOK, kIdDetails, kIdCopy, kIdSave}) {
      MoveWindow(Item(id), x, buttonsY_, buttonW_, buttonH_, TRUE);
      x += buttonW_ + gap;
    }
    MoveWindow(Item(kIdReport), margin, memoY_, std::max<int>(0, client.right - 2 * margin),
               std::max<int>(0, client.bottom - margin - memoY_), TRUE);
  }

  void SetClientSize(int w, int h) {
    RECT frame{0, 0, w, h};
    AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrA(hwnd_, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongPtrA(hwnd_, GWL_EXSTYLE)));
    SetWindowPos(hwnd_, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }

  int FrameHeight(int clientH) const {
    RECT frame{0, 0, 0, clientH};
    AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrA(hwnd_, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongPtrA(hwnd_, GWL_EXSTYLE)));
    return frame.bottom - frame.top;
  }

  void Center() {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    HWND owner = GetWindow(hwnd_, GW_OWNER);
    GetMonitorInfoA(MonitorFromWindow(owner ? owner : hwnd_, MONITOR_DEFAULTTOPRIMARY), &info);
    const RECT work = info.rcWork;
    RECT around = work;
    if (owner && IsWindowVisible(owner) && !IsIconic(owner)) GetWindowRect(owner, &around);
    RECT r;
    GetWindowRect(hwnd_, &r);
    const int w = r.right - r.left, h = r.bottom - r.top;
    int x = around.left + (around.right - around.left - w) / 2;
    int y = around.top + (around.bottom - around.top - h) / 2;
    x = std::max<int>(work.left, std::min<int>(x, work.right - w));
    y = std::max<int>(work.top, std::min<int>(y, work.bottom - h));
    SetWindowPos(hwnd_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }

  // Collapsed: cut below the buttons, the report hidden, the height fixed.
  // Expanded: the height it had, the report growing with the window.
  void SetExpanded(bool expanded) {
    if (IsZoomed(hwnd_)) ShowWindow(hwnd_, SW_RESTORE);
    RECT client;
    GetClientRect(hwnd_, &client);
    if (!expanded && expanded_) expandedClientH_ = client.bottom;
    expanded_ = expanded;
    LONG_PTR style = GetWindowLongPtrA(hwnd_, GWL_STYLE);
    style = expanded ? (style | WS_MAXIMIZEBOX) : (style & ~WS_MAXIMIZEBOX);
    SetWindowLongPtrA(hwnd_, GWL_STYLE, style);
    HWND report = Item(kIdReport);
    LONG_PTR reportStyle = GetWindowLongPtrA(report, GWL_STYLE);
    reportStyle = expanded ? (reportStyle | WS_TABSTOP) : (reportStyle & ~WS_TABSTOP);
    SetWindowLongPtrA(report, GWL_STYLE, reportStyle);
    if (!expanded && GetFocus() == report)
      SendMessageA(hwnd_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Item(kIdDetails)), TRUE);
    ShowWindow(report, expanded ? SW_SHOW : SW_HIDE);
    SetItemText(kIdDetails, texts_.DetailsButton(expanded));
    SetClientSize(client.right, expanded ? expandedClientH_ : collapsedClientH_);
    SetWindowPos(hwnd_, nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    Layout();
  }

  void Save() {
    const std::optional<std::string> path =
        boxes::AskSaveFileName(hwnd_, texts_.saveTitle, texts_.saveFilter, texts_.defaultExt);
    if (!path) return;
    int error = 0;
    if (SaveReportText(lines_, *path, &error)) return;
    ShowMessageBox(hwnd_, Format(texts_.saveFailed, {TFmtArg(int64_t{error})}), texts_.caption,
                   0x10, 0);
  }

  bool OnCommand(int id, int code, HWND control) override {
    switch (id) {
      case IDOK:
      case IDCANCEL:  // Escape and the close box: the same as OK
        EndDialog(hwnd_, id);
        return true;
      case kIdDetails:
        if (code == BN_CLICKED) SetExpanded(!expanded_);
        return true;
      case kIdCopy:
        if (code == BN_CLICKED) boxes::CopyToClipboard(hwnd_, ReportText(lines_));
        return true;
      case kIdSave:
        if (code == BN_CLICKED) Save();
        return true;
      default:
        return false;
    }
  }

  bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, INT_PTR& result) override {
    switch (msg) {
      case WM_SIZE:
        if (wp != SIZE_MINIMIZED) Layout();
        result = 0;
        return true;
      case WM_GETMINMAXINFO: {
        if (minWidth_ == 0) return false;  // not laid out yet
        auto* info = reinterpret_cast<MINMAXINFO*>(lp);
        info->ptMinTrackSize.x = minWidth_;
        if (expanded_) {
          // The buttons and a few lines of the report stay in sight.
          info->ptMinTrackSize.y = FrameHeight(memoY_ + DluY(40) + DluX(7));
        } else {
          info->ptMinTrackSize.y = info->ptMaxTrackSize.y = FrameHeight(collapsedClientH_);
        }
        result = 0;
        return true;
      }
      case WM_DESTROY:
        if (icon_ && ownsIcon_) DestroyIcon(icon_);
        icon_ = nullptr;
        return false;
      default:
        return false;
    }
  }

  std::vector<std::string> lines_;
  TExceptDialogTexts texts_;
  HICON icon_ = nullptr;
  bool ownsIcon_ = false;
  int dpi_ = 96;
  int textX_ = 0;
  int textH_[3] = {};
  int buttonW_ = 0, buttonH_ = 0;
  int buttonsY_ = 0, memoY_ = 0;
  int clientW_ = 0;
  int collapsedClientH_ = 0, expandedClientH_ = 0;
  int minWidth_ = 0;
  bool expanded_ = true;
};

}  // namespace

void ShowExceptionDialog(HWND owner, const TZWExceptInfo& info) {
  TReportSlot slot;
  if (!slot.Held()) return;
  TExceptionDialog dialog(BuildExceptReport(info));
  try {
    dialog.Run(owner);
  } catch (...) {
    // The report could not be shown; it is in the scan log, and reporting
    // this failure would only ask for the same dialog again.
  }
}

}  // namespace zw::win
