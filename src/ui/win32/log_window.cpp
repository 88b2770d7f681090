#include "ui/win32/log_window.h"

#include <commctrl.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <memory>

#include "app/log/log_window_model.h"
#include "app/text/countdown_box.h"
#include "app/text/message_table.h"
#include "app/text/text_format.h"
#include "app/text_ids.h"
#include "ui/win32/box_dialog.h"
#include "ui/win32/message_boxes.h"

namespace zw::win {

namespace {

constexpr int kIdHeading = 10;
constexpr int kIdList = 11;
constexpr int kIdHint = 12;
constexpr int kIdSave = 13;
// Posted by the log's listener: new lines are there.
constexpr UINT kMsgLinesAdded = WM_APP + 0x51;

// What the listener, called on any thread, shares with the window: where to
// post, and whether a post is on its way already (many lines, one message).
struct TPostBox {
  std::atomic<HWND> window{nullptr};
  std::atomic<bool> pending{false};
};

class TLogWindow : public TDialog {
 public:
  TLogWindow(TZWLog& log, IHost* host) : log_(log), host_(host) {}

  static TLogWindow* instance;

  bool Create(HWND owner) {
    boxes::TDialogTemplate tmpl(WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME |
                                    WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_CLIPCHILDREN,
                                0, 300, 210);
    tmpl.Add(boxes::TDialogTemplate::kStatic, WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX, 7, 7, 286, 9, kIdHeading);
    tmpl.Add(boxes::TDialogTemplate::kStatic, WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX, 7, 170, 286, 9, kIdHint);
    tmpl.Add(boxes::TDialogTemplate::kButton, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 189, 189, 50, 14, kIdSave);
    tmpl.Add(boxes::TDialogTemplate::kButton, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 243, 189, 50, 14, IDOK);
    return CreateModeless(owner, tmpl.Get()) != nullptr;
  }

  void BringToFront() {
    if (IsIconic(hwnd_)) ShowWindow(hwnd_, SW_RESTORE);
    ShowWindow(hwnd_, SW_SHOW);
    SetForegroundWindow(hwnd_);
  }

  // Modal to the owner until the window is closed.
  void RunModal() {
    if (modal_) return;
    modal_ = true;
    HWND self = hwnd_;
    HWND owner = GetWindow(hwnd_, GW_OWNER);
    ownerDisabled_ = owner && IsWindowEnabled(owner);
    if (ownerDisabled_) EnableWindow(owner, FALSE);
    MSG msg;
    while (instance == this && IsWindow(self)) {
      const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
      if (got == 0) {
        PostQuitMessage(static_cast<int>(msg.wParam));  // for the main loop
        break;
      }
      if (got < 0) break;
      if (!IsDialogMessageA(self, &msg)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
      }
    }
    // The window may be gone, and this object with it (which gave the owner
    // back as it went).
    if (instance == this) {
      modal_ = false;
      ReleaseOwner();
    }
  }

  void Close() {
    ReleaseOwner();  // before the window goes, so the owner becomes active
    DestroyWindow(hwnd_);
  }

 private:
  const char* Name() const override { return "scan log"; }

  void ReleaseOwner() {
    if (!ownerDisabled_) return;
    ownerDisabled_ = false;
    if (HWND owner = GetWindow(hwnd_, GW_OWNER)) EnableWindow(owner, TRUE);
  }

  bool OnInit() override {
    const TLogWindowTexts texts = LogWindowTexts();
    saveTitle_ = texts.saveTitle;
    saveFilter_ = texts.saveFilter;
    defaultExt_ = texts.defaultExt;
    SetWindowTextA(hwnd_, texts.caption.c_str());
    SetItemText(kIdHeading, texts.heading);
    SetItemText(kIdHint, texts.hint);
    SetItemText(kIdSave, texts.save);
    SetItemText(IDOK, texts.ok);

    HDC dc = GetDC(hwnd_);
    dpi_ = dc ? GetDeviceCaps(dc, LOGPIXELSX) : 96;
    if (dc) ReleaseDC(hwnd_, dc);
    iconW_ = GetSystemMetrics(SM_CXSMICON);
    iconH_ = GetSystemMetrics(SM_CYSMICON);
    for (int kind = 1; kind <= 4; ++kind) {
      bool owned = false;
      HICON icon = boxes::LoadBoxIcon(0, static_cast<uint32_t>(kind) << 4, true, owned);
      icons_[static_cast<size_t>(kind - 1)] = icon;
      ownsIcon_[static_cast<size_t>(kind - 1)] = owned;
    }

    font_ = reinterpret_cast<HFONT>(SendMessageA(hwnd_, WM_GETFONT, 0, 0));
    list_ = CreateWindowExA(WS_EX_CLIENTEDGE, WC_LISTVIEWA, "",
                            WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_OWNERDATA |
                                LVS_OWNERDRAWFIXED | LVS_NOCOLUMNHEADER | LVS_SINGLESEL |
                                LVS_SHOWSELALWAYS,
                            0, 0, 100, 100, hwnd_, reinterpret_cast<HMENU>(kIdList),
                            GetModuleHandleA(nullptr), nullptr);
    SendMessageA(list_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    ListView_SetExtendedListViewStyle(list_, LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
    LVCOLUMNA column{};
    column.mask = LVCF_WIDTH;
    column.cx = 100;
    ListView_InsertColumn(list_, 0, &column);
    // Put the list after the heading in the tab order.
    SetWindowPos(list_, Item(kIdHeading), 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);

    // Lines logged from now on reach the window as a posted message.
    post_ = std::make_shared<TPostBox>();
    post_->window = hwnd_;
    std::shared_ptr<TPostBox> post = post_;
    listener_ = log_.AddListener([post](size_t, const TLogEntry&) {
      if (post->pending.exchange(true)) return;
      if (HWND window = post->window.load()) PostMessageA(window, kMsgLinesAdded, 0, 0);
    });

    PlaceWindow();
    Layout();
    ShowNewLines(true);
    SetFocus(list_);
    return false;
  }

  int Px(int pixelsAt96) const { return MulDiv(pixelsAt96, dpi_, 96); }

  // A size a little smaller than the owner's, centred on it.
  void PlaceWindow() {
    RECT r;
    GetWindowRect(hwnd_, &r);
    int w = std::max<int>(r.right - r.left, Px(520));
    int h = std::max<int>(r.bottom - r.top, Px(380));
    MONITORINFO info{};
    info.cbSize = sizeof info;
    HWND owner = GetWindow(hwnd_, GW_OWNER);
    GetMonitorInfoA(MonitorFromWindow(owner ? owner : hwnd_, MONITOR_DEFAULTTOPRIMARY), &info);
    const RECT work = info.rcWork;
    w = std::min<int>(w, work.right - work.left);
    h = std::min<int>(h, work.bottom - work.top);
    RECT around = work;
    if (owner && IsWindowVisible(owner) && !IsIconic(owner)) GetWindowRect(owner, &around);
    int x = around.left + (around.right - around.left - w) / 2;
    int y = around.top + (around.bottom - around.top - h) / 2;
    x = std::max<int>(work.left, std::min<int>(x, work.right - w));
    y = std::max<int>(work.top, std::min<int>(y, work.bottom - h));
    SetWindowPos(hwnd_, nullptr, x, y, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
  }

  void Layout() {
    RECT client;
    GetClientRect(hwnd_, &client);
    const int margin = DluX(7), gap = DluY(4);
    const int lineH = DluY(9);
    const int buttonW = DluX(50), buttonH = DluY(14);
    const int w = client.right - margin * 2;
    const int buttonsY = client.bottom - margin - buttonH;
    const int hintY = buttonsY - gap - lineH;
    const int listY = margin + lineH + gap;
    MoveWindow(Item(kIdHeading), margin, margin, w, lineH, TRUE);
    MoveWindow(list_, margin, listY, w, std::max(0, hintY - gap - listY), TRUE);
    MoveWindow(Item(kIdHint), margin, hintY, w, lineH, TRUE);
    MoveWindow(Item(IDOK), client.right - margin - buttonW, buttonsY, buttonW, buttonH, TRUE);
    MoveWindow(Item(kIdSave), client.right - margin - buttonW * 2 - DluX(4), buttonsY, buttonW,
               buttonH, TRUE);
    SizeColumn();
  }

  // As wide as the widest line plus twice the icon and 2 pixels, and at
  // least as wide as the list, so that a selection spans it.
  void SizeColumn() {
    RECT r;
    GetClientRect(list_, &r);
    const int width = std::max<int>(widest_ + 2 * iconW_ + 2, r.right - r.left);
    if (ListView_GetColumnWidth(list_, 0) != width) ListView_SetColumnWidth(list_, 0, width);
  }

  // Shows the lines logged since the last call; the last line comes into
  // sight when the end of the list was in sight (or at the start).
  void ShowNewLines(bool first) {
    post_->pending = false;  // lines logged from here on post anew
    const size_t count = log_.Count();
    if (count == shown_) return;
    const int top = ListView_GetTopIndex(list_);
    const int perPage = ListView_GetCountPerPage(list_);
    const bool atEnd = first || static_cast<size_t>(top + perPage) >= shown_;
    HDC dc = GetDC(list_);
    HGDIOBJ old = SelectObject(dc, font_);
    for (size_t i = shown_; i < count; ++i) {
      const std::string text = LogItemText(log_.Line(i));
      SIZE size{};
      if (!text.empty() && GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size))
        widest_ = std::max<int>(widest_, size.cx);
    }
    SelectObject(dc, old);
    ReleaseDC(list_, dc);
    shown_ = count;
    ListView_SetItemCountEx(list_, static_cast<int>(count), LVSICF_NOSCROLL | LVSICF_NOINVALIDATEALL);
    SizeColumn();
    if (atEnd && count > 0) ListView_EnsureVisible(list_, static_cast<int>(count - 1), FALSE);
    InvalidateRect(list_, nullptr, FALSE);
  }

  void DrawLine(const DRAWITEMSTRUCT& item) {
    HDC dc = item.hDC;
    RECT rc = item.rcItem;
    const size_t index = item.itemID;
    const std::string line = log_.Line(index);
    const bool selected = (item.itemState & ODS_SELECTED) != 0;
    const bool focused = GetFocus() == list_;
    const int background = selected ? (focused ? COLOR_HIGHLIGHT : COLOR_BTNFACE) : COLOR_WINDOW;
    FillRect(dc, &rc, GetSysColorBrush(background));
    if (line.empty()) {
      // A separator: a rule across the middle, 10 pixels in from both sides.
      const int mid = (rc.top + rc.bottom) / 2;
      RECT rule{rc.left + Px(10), mid - 1, rc.right - Px(10), mid + 1};
      DrawEdge(dc, &rule, EDGE_ETCHED, BF_TOP);
    } else {
      const TLogEntry entry{line, log_.Details(index)};
      if (const int kind = LogItemIconKind(entry)) {
        if (HICON icon = icons_[static_cast<size_t>(kind - 1)])
          DrawIconEx(dc, rc.left + 1, rc.top + (rc.bottom - rc.top - iconH_) / 2, icon, iconW_,
                     iconH_, 0, nullptr, DI_NORMAL);
      }
      RECT text = rc;
      text.left += iconW_ + 2 + Px(2);
      SetBkMode(dc, TRANSPARENT);
      SetTextColor(dc, GetSysColor(selected ? (focused ? COLOR_HIGHLIGHTTEXT : COLOR_BTNTEXT)
                                            : COLOR_WINDOWTEXT));
      HGDIOBJ old = SelectObject(dc, font_);
      const std::string shown = LogItemText(line);
      DrawTextA(dc, shown.c_str(), static_cast<int>(shown.size()), &text,
                DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_LEFT | DT_EXPANDTABS);
      SelectObject(dc, old);
    }
    if ((item.itemState & ODS_FOCUS) && !(item.itemState & ODS_NOFOCUSRECT)) DrawFocusRect(dc, &rc);
  }

  void OpenDetails(int index) {
    if (index < 0 || !host_) return;
    const TLogEntry entry{log_.Line(static_cast<size_t>(index)),
                          log_.Details(static_cast<size_t>(index))};
    if (!LogItemOpensDetails(entry)) return;
    entry.Details->ShowDetails(*host_, LogItemText(entry.Line));
  }

  void Save() {
    const std::optional<std::string> path =
        boxes::AskSaveFileName(hwnd_, saveTitle_, saveFilter_, defaultExt_);
    if (!path) return;
    int error = 0;
    if (log_.SaveToFile(*path, true, &error)) return;
    const TMsg msg = Messages().Msg(msgSaveLogFailed);
    ShowMessageBox(hwnd_, Format(msg.Text, {TFmtArg(int64_t{error})}), Str(CaptionOfStyle(msg.Flags)),
                   msg.Flags, msg.IconId);
  }

  bool OnCommand(int id, int code, HWND control) override {
    switch (id) {
      case IDOK:
      case IDCANCEL:  // OK, Escape and the close box
        Close();
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
      case kMsgLinesAdded:
        ShowNewLines(false);
        result = 0;
        return true;
      case WM_SIZE:
        Layout();
        result = 0;
        return true;
      case WM_GETMINMAXINFO: {
        // At least 175 x 281 pixels (at 96 dpi) inside the frame.
        auto* info = reinterpret_cast<MINMAXINFO*>(lp);
        info->ptMinTrackSize.x = Px(175) + 2 * GetSystemMetrics(SM_CXSIZEFRAME);
        info->ptMinTrackSize.y =
            Px(281) + GetSystemMetrics(SM_CYCAPTION) + 2 * GetSystemMetrics(SM_CYSIZEFRAME);
        result = 0;
        return true;
      }
      case WM_MEASUREITEM: {
        auto* item = reinterpret_cast<MEASUREITEMSTRUCT*>(lp);
        if (item->CtlType != ODT_LISTVIEW) return false;
        TEXTMETRICA tm{};
        HDC dc = GetDC(hwnd_);
        HGDIOBJ old = SelectObject(dc, font_);
        GetTextMetricsA(dc, &tm);
        SelectObject(dc, old);
        ReleaseDC(hwnd_, dc);
        item->itemHeight = static_cast<UINT>(std::max<int>(tm.tmHeight, iconH_) + Px(2));
        result = TRUE;
        return true;
      }
      case WM_DRAWITEM: {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
        if (item->CtlID != kIdList) return false;
        DrawLine(*item);
        result = TRUE;
        return true;
      }
      case WM_NOTIFY: {
        const auto* hdr = reinterpret_cast<const NMHDR*>(lp);
        if (hdr->idFrom != kIdList) return false;
        if (hdr->code == NM_DBLCLK) {
          OpenDetails(reinterpret_cast<const NMITEMACTIVATE*>(lp)->iItem);
        } else if (hdr->code == LVN_KEYDOWN &&
                   reinterpret_cast<const NMLVKEYDOWN*>(lp)->wVKey == VK_SPACE) {
          OpenDetails(ListView_GetNextItem(list_, -1, LVNI_SELECTED));
        } else if (hdr->code == LVN_GETDISPINFOA || hdr->code == LVN_GETDISPINFOW) {
          // Drawn by the window; the list asks no text of its own.
        } else {
          return false;
        }
        result = 0;
        return true;
      }
      case WM_SETTINGCHANGE:
        SizeColumn();
        return false;
      case WM_DESTROY:
        ReleaseOwner();
        if (post_) post_->window = nullptr;
        log_.RemoveListener(listener_);
        for (size_t i = 0; i < icons_.size(); ++i)
          if (icons_[i] && ownsIcon_[i]) DestroyIcon(icons_[i]);
        icons_ = {};
        return false;
      default:
        return false;
    }
  }

  void OnDestroyed() override {
    if (instance == this) instance = nullptr;
    delete this;
  }

  TZWLog& log_;
  IHost* host_;
  std::shared_ptr<TPostBox> post_;
  int listener_ = 0;
  HWND list_ = nullptr;
  HFONT font_ = nullptr;
  int dpi_ = 96;
  int iconW_ = 16, iconH_ = 16;
  std::array<HICON, 4> icons_{};
  std::array<bool, 4> ownsIcon_{};
  size_t shown_ = 0;
  int widest_ = 0;
  bool modal_ = false;
  bool ownerDisabled_ = false;
  std::string saveTitle_, saveFilter_, defaultExt_;
};

TLogWindow* TLogWindow::instance = nullptr;

}  // namespace

void ShowLogWindow(HWND owner, TZWLog& log, bool modal, IHost* host) {
  if (!TLogWindow::instance) {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&icc);
    auto* window = new TLogWindow(log, host);
    TLogWindow::instance = window;
    if (!window->Create(owner)) {
      // Not made. A window that was made and went again took the object
      // with it; otherwise it is still ours.
      if (TLogWindow::instance == window) {
        TLogWindow::instance = nullptr;
        delete window;
      }
      return;
    }
  }
  TLogWindow* window = TLogWindow::instance;
  window->BringToFront();
  if (modal) window->RunModal();
}

bool LogWindowMessage(MSG& msg) {
  TLogWindow* window = TLogWindow::instance;
  if (!window || !window->Handle()) return false;
  return IsDialogMessageA(window->Handle(), &msg) != FALSE;
}

void CloseLogWindow() {
  if (TLogWindow* window = TLogWindow::instance) window->Close();
}

}  // namespace zw::win
