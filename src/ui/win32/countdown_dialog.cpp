#include "ui/win32/countdown_dialog.h"

#include <algorithm>
#include <optional>

#include "app/text/countdown_box.h"
#include "ui/win32/box_dialog.h"

namespace zw::win {

namespace {

constexpr int kIdText = 10;
constexpr int kIdIcon = 11;
constexpr int kIdFirstButton = 100;
constexpr UINT_PTR kTimer = 1;

class TCountdownDialog : public TDialog {
 public:
  explicit TCountdownDialog(const TCountdownRequest& request) : box_(request) {}

  int Run(HWND owner) {
    const int n = ButtonCount();
    boxes::TDialogTemplate tmpl(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME, 0, 200, 60);
    // Places and sizes are set when the box starts and has measured its text.
    if (HasIcon()) tmpl.Add(boxes::TDialogTemplate::kStatic, WS_CHILD | WS_VISIBLE | SS_ICON, 7, 7, 21, 20, kIdIcon);
    tmpl.Add(boxes::TDialogTemplate::kStatic, WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX, 35, 7, 150, 20, kIdText);
    for (int i = 0; i < n; ++i) {
      DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP;
      style |= i == box_.DefaultIndex() ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
      if (i == 0) style |= WS_GROUP;
      tmpl.Add(boxes::TDialogTemplate::kButton, style, static_cast<short>(7 + 54 * i), 35, 50, 14,
               kIdFirstButton + i);
    }
    const INT_PTR result = RunModal(owner, tmpl.Get());
    return result < 0 || result >= n ? -1 : static_cast<int>(result);
  }

 private:
  const char* Name() const override { return "countdown box"; }

  int ButtonCount() const { return static_cast<int>(box_.Request().buttons.size()); }
  bool HasIcon() const {
    return box_.Request().iconId != 0 || boxes::IconFlags(box_.Request().style) != 0;
  }

  bool OnInit() override {
    const TCountdownRequest& r = box_.Request();
    SetWindowTextA(hwnd_, r.caption.c_str());
    for (int i = 0; i < ButtonCount(); ++i)
      SetItemText(kIdFirstButton + i, r.buttons[static_cast<size_t>(i)]);
    SetItemText(kIdText, box_.Text());
    if (HasIcon()) {
      icon_ = boxes::LoadBoxIcon(r.iconId, r.style, false, ownsIcon_);
      SendMessageA(Item(kIdIcon), STM_SETICON, reinterpret_cast<WPARAM>(icon_), 0);
    }
    Layout();
    if (box_.DefaultIndex() >= 0)
      SendMessageA(hwnd_, DM_SETDEFID, kIdFirstButton + box_.DefaultIndex(), 0);
    ShowState();
    boxes::PlayStyleSound(r.style);
    if (box_.Counting()) SetTimer(hwnd_, kTimer, 1000, nullptr);
    FocusDefault();
    return false;  // the focus is set
  }

  // The icon at the top left, the text beside it, the buttons in one row
  // below, centred; the window sized to them and centred on its owner.
  void Layout() {
    const HFONT font = reinterpret_cast<HFONT>(SendMessageA(hwnd_, WM_GETFONT, 0, 0));
    const RECT work = WorkArea();
    const int margin = DluX(7);
    const int iconSize = HasIcon() ? GetSystemMetrics(SM_CXICON) : 0;
    const int textX = iconSize ? margin + iconSize + DluX(7) : margin;
    const int maxTextWidth =
        std::max<int>(DluX(100), (work.right - work.left) * 2 / 3 - textX - margin);
    SIZE size = boxes::MeasureText(hwnd_, font, box_.Text(), 0);
    if (size.cx > maxTextWidth) size = boxes::MeasureText(hwnd_, font, box_.Text(), maxTextWidth);
    const int textW = size.cx, textH = size.cy;

    const int n = ButtonCount();
    const int buttonW = DluX(50), buttonH = DluY(14), pitch = DluX(54);
    const int rowW = n > 0 ? buttonW + pitch * (n - 1) : 0;
    const int clientW = std::max(textX + textW + margin, rowW + 2 * margin);
    const int top = DluY(7);
    const int textY = textH < iconSize ? top + (iconSize - textH) / 2 : top;
    const int buttonsY = std::max(textY + textH, top + iconSize) + DluY(10);
    const int clientH = buttonsY + buttonH + DluY(7);

    if (iconSize) MoveWindow(Item(kIdIcon), margin, top, iconSize, iconSize, FALSE);
    MoveWindow(Item(kIdText), textX, textY, textW, textH, FALSE);
    const int rowX = (clientW - rowW) / 2;
    for (int i = 0; i < n; ++i)
      MoveWindow(Item(kIdFirstButton + i), rowX + pitch * i, buttonsY, buttonW, buttonH, FALSE);

    RECT frame{0, 0, clientW, clientH};
    AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrA(hwnd_, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongPtrA(hwnd_, GWL_EXSTYLE)));
    const int w = frame.right - frame.left, h = frame.bottom - frame.top;
    RECT around = work;
    HWND owner = GetWindow(hwnd_, GW_OWNER);
    if (owner && IsWindowVisible(owner) && !IsIconic(owner)) GetWindowRect(owner, &around);
    int x = around.left + (around.right - around.left - w) / 2;
    int y = around.top + (around.bottom - around.top - h) / 2;
    x = std::max<int>(work.left, std::min<int>(x, work.right - w));
    y = std::max<int>(work.top, std::min<int>(y, work.bottom - h));
    SetWindowPos(hwnd_, nullptr, x, y, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
  }

  RECT WorkArea() const {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    HWND owner = GetWindow(hwnd_, GW_OWNER);
    GetMonitorInfoA(MonitorFromWindow(owner ? owner : hwnd_, MONITOR_DEFAULTTOPRIMARY), &info);
    return info.rcWork;
  }

  // Buttons enabled as the box says; the close box only while it pauses.
  void ShowState() {
    for (int i = 0; i < ButtonCount(); ++i)
      EnableWindow(Item(kIdFirstButton + i), box_.ButtonEnabled(i) ? TRUE : FALSE);
    if (!box_.CloseBoxShown() && (GetWindowLongPtrA(hwnd_, GWL_STYLE) & WS_SYSMENU)) {
      if (HMENU menu = GetSystemMenu(hwnd_, FALSE)) DeleteMenu(menu, SC_CLOSE, MF_BYCOMMAND);
      SetWindowLongPtrA(hwnd_, GWL_STYLE, GetWindowLongPtrA(hwnd_, GWL_STYLE) & ~WS_SYSMENU);
      SetWindowPos(hwnd_, nullptr, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    }
  }

  void FocusDefault() {
    int index = box_.DefaultIndex();
    if (index < 0 || !box_.ButtonEnabled(index)) {
      const std::vector<int> answers = box_.AnswerIndices();
      if (answers.empty()) return;
      index = answers.front();
    }
    SendMessageA(hwnd_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Item(kIdFirstButton + index)), TRUE);
  }

  void Pause() {
    if (!box_.Counting()) return;
    box_.Pause();
    KillTimer(hwnd_, kTimer);
    FocusDefault();  // before the pause button, which may have it, is disabled
    ShowState();
  }

  void Finish(std::optional<int> index) {
    if (!index) return;
    KillTimer(hwnd_, kTimer);
    EndDialog(hwnd_, *index);
  }

  bool OnCommand(int id, int code, HWND control) override {
    if (id == IDOK) {  // Enter without a focused button
      Finish(box_.Enter());
      return true;
    }
    if (id == IDCANCEL) {  // Escape, and the close box
      Pause();
      return true;
    }
    if (id >= kIdFirstButton && id < kIdFirstButton + ButtonCount()) {
      if (code != BN_CLICKED) return false;
      const int index = id - kIdFirstButton;
      if (index == box_.PauseIndex()) {
        Pause();
        return true;
      }
      Finish(box_.Press(index));
      return true;
    }
    return false;
  }

  bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, INT_PTR& result) override {
    switch (msg) {
      case WM_TIMER:
        if (wp != kTimer) return false;
        if (const std::optional<int> index = box_.Tick())
          Finish(index);
        else
          SetItemText(kIdText, box_.Text());
        result = 0;
        return true;
      case WM_CLOSE:
        Pause();
        result = 0;
        return true;
      case WM_HELP:
        Pause();
        result = TRUE;
        return true;
      case WM_DESTROY:
        KillTimer(hwnd_, kTimer);
        if (icon_ && ownsIcon_) DestroyIcon(icon_);
        icon_ = nullptr;
        return false;
      default:
        return false;
    }
  }

  TCountdownBox box_;
  HICON icon_ = nullptr;
  bool ownsIcon_ = false;
};

}  // namespace

int CountdownDialog(HWND owner, const TCountdownRequest& request) {
  // A box without buttons could never be closed.
  if (request.buttons.empty()) return -1;
  TCountdownDialog dialog(request);
  return dialog.Run(owner);
}

}  // namespace zw::win
