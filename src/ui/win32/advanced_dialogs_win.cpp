#include "ui/win32/advanced_dialogs_win.h"

#include <commctrl.h>

#include <algorithm>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "app/options/criteria_page.h"
#include "app/text/language_files.h"
#include "app/text/string_table.h"
#include "ui/win32/dialog_base.h"
#include "ui/win32/help_contexts.h"
#include "comparison_dialog_ids.h"

namespace zw::win {

namespace {

// Posted by a number field that lost the focus to another control of the
// dialog: the check runs once the focus has moved (wParam: control id).
constexpr UINT kLeftField = WM_APP + 1;
// Sent by a number field for Up, Down, Page Up and Page Down (wParam:
// control id, lParam: the TNumberKey).
constexpr UINT kFieldKey = WM_APP + 2;

// A text of the string table while a language is in force, else the
// window's own English.
std::string Text(TStrID id, const char* english) {
  return DialogsUseStringTable() ? Str(id) : std::string(english);
}

// The items of a list: a language's packed text, or the window's English.
std::vector<std::string> Items(TStrID id, const std::vector<std::string>& english) {
  return DialogsUseStringTable() ? PackedListItems(Str(id), english) : english;
}

std::vector<std::string> UnitItems() {
  const TByteUnitNames names = Strings().UnitNames();
  return {names.begin(), names.end()};
}

std::string WindowText(HWND hwnd) {
  const int length = GetWindowTextLengthA(hwnd);
  std::string text(static_cast<size_t>(length) + 1, '\0');
  GetWindowTextA(hwnd, text.data(), length + 1);
  text.resize(static_cast<size_t>(length));
  return text;
}

int TextWidth(HWND control, const std::string& text) {
  HDC dc = GetDC(control);
  auto font = reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0));
  HGDIOBJ old = SelectObject(dc, font ? static_cast<HGDIOBJ>(font) : GetStockObject(DEFAULT_GUI_FONT));
  SIZE size{};
  GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
  SelectObject(dc, old);
  ReleaseDC(control, dc);
  return size.cx;
}

bool ClassIs(HWND hwnd, const char* name) {
  char cls[32] = {};
  GetClassNameA(hwnd, cls, sizeof cls);
  return lstrcmpiA(cls, name) == 0;
}

// The dialog part that all four share: number fields that report leaving
// and keys, spin buttons that only report clicks, lists, rows laid out for
// their texts, OK through the model, and the place beside the button.
class TAdvDialog : public TDialog {
 public:
  bool Open(HWND owner, HWND button, int templateId) {
    button_ = button;
    return DoModal(owner, templateId) == IDOK;
  }

 protected:
  // Captions from the string table (while a language is in force).
  virtual void ApplyTexts() = 0;
  // Fills the lists, places the rows.
  virtual void Prepare() = 0;
  virtual void ReadControls() = 0;
  virtual void WriteControls() = 0;
  virtual void FieldLeft(int id) = 0;
  virtual void FieldKey(int id, TNumberKey key) = 0;
  virtual void Spin(int id, bool down) = 0;
  // The model's OK.
  virtual bool Accept() = 0;
  // The control at fault after a failed check gets the focus.
  virtual void FocusFault() = 0;
  // Radio buttons, boxes and lists; true when handled.
  virtual bool Command(int id, int code) = 0;

  // The number fields and the spin buttons of the dialog.
  void NumberFields(std::initializer_list<int> fields, std::initializer_list<int> spins) {
    for (int id : fields) SetWindowSubclass(Item(id), &TAdvDialog::FieldProc, 1, 0);
    for (int id : spins) {
      // The model steps the number; the spin button only reports the clicks.
      SendMessageA(Item(id), UDM_SETRANGE32, 0, 100);
      SendMessageA(Item(id), UDM_SETPOS32, 0, 50);
    }
  }

  void Fill(int id, const std::vector<std::string>& items) {
    SendMessageA(Item(id), CB_RESETCONTENT, 0, 0);
    for (const std::string& item : items)
      SendMessageA(Item(id), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
  }
  int Selected(int id) const {
    return static_cast<int>(SendMessageA(Item(id), CB_GETCURSEL, 0, 0));
  }
  void Select(int id, int index) { SendMessageA(Item(id), CB_SETCURSEL, index, 0); }

  // Places the controls of a row side by side from the first one's left
  // edge, each text as wide as it needs (a spin button sits right at its
  // field), and widens the dialog when the row does not fit.
  void FitRow(std::initializer_list<int> ids) {
    const int gap = DluX(3);
    int x = -1;
    for (auto it = ids.begin(); it != ids.end(); ++it) {
      const HWND h = Item(*it);
      RECT r{};
      GetWindowRect(h, &r);
      MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&r), 2);
      if (x < 0) x = r.left;
      int width = r.right - r.left;
      const std::string text = WindowText(h);
      if (ClassIs(h, "Button")) {
        width = GetSystemMetrics(SM_CXMENUCHECK) + (text.empty() ? 0 : DluX(3) + TextWidth(h, text));
      } else if (ClassIs(h, "Static")) {
        width = TextWidth(h, text) + 1;
      } else if (ClassIs(h, "ComboBox")) {
        int widest = 0;
        const int count = static_cast<int>(SendMessageA(h, CB_GETCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
          const int length = static_cast<int>(SendMessageA(h, CB_GETLBTEXTLEN, i, 0));
          std::string item(static_cast<size_t>(std::max(length, 0)) + 1, '\0');
          SendMessageA(h, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item.data()));
          item.resize(static_cast<size_t>(std::max(length, 0)));
          widest = std::max(widest, TextWidth(h, item));
        }
        width = widest + GetSystemMetrics(SM_CXVSCROLL) + DluX(8);
      }
      // Edits vertically centred with their row's texts stay where they are.
      MoveWindow(h, x, r.top, width, r.bottom - r.top, FALSE);
      const bool spinNext = std::next(it) != ids.end() && ClassIs(Item(*std::next(it)), UPDOWN_CLASSA);
      x += width + (spinNext ? 0 : gap);
      widest_ = std::max(widest_, x - gap);
    }
  }

  // After the rows: the dialog as wide as its widest row (OK and Cancel
  // stay at the right edge, group boxes grow with it).
  void FitWidth() {
    RECT client{};
    GetClientRect(hwnd_, &client);
    const int delta = widest_ + DluX(7) - client.right;
    if (delta <= 0) return;
    for (HWND child = GetWindow(hwnd_, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
      RECT r{};
      GetWindowRect(child, &r);
      MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&r), 2);
      const int id = GetDlgCtrlID(child);
      const bool groupBox = ClassIs(child, "Button") &&
                            (GetWindowLongA(child, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX;
      if (id == IDOK || id == IDCANCEL)
        SetWindowPos(child, nullptr, r.left + delta, r.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
      else if (groupBox)
        SetWindowPos(child, nullptr, 0, 0, r.right - r.left + delta, r.bottom - r.top,
                     SWP_NOMOVE | SWP_NOZORDER);
    }
    RECT window{};
    GetWindowRect(hwnd_, &window);
    SetWindowPos(hwnd_, nullptr, 0, 0, window.right - window.left + delta,
                 window.bottom - window.top, SWP_NOMOVE | SWP_NOZORDER);
  }

  // The number field's text with the caret at its end (after a key).
  void CaretToEnd(int id) {
    const int end = GetWindowTextLengthA(Item(id));
    SendMessageA(Item(id), EM_SETSEL, end, end);
  }

  void SetRadios(std::initializer_list<std::pair<int, bool>> radios) {
    for (const auto& [id, on] : radios) SetChecked(id, on);
  }

 private:
  bool OnInit() override {
    ApplyTexts();
    Prepare();
    FitWidth();
    WriteControls();
    PlaceBesideButton();
    // The focus starts on the chosen radio button (the size dialog's first
    // one when none is chosen).
    for (HWND child = GetWindow(hwnd_, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
      if (ClassIs(child, "Button") &&
          (GetWindowLongA(child, GWL_STYLE) & BS_TYPEMASK) == BS_AUTORADIOBUTTON &&
          SendMessageA(child, BM_GETCHECK, 0, 0) == BST_CHECKED) {
        SendMessageA(hwnd_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(child), TRUE);
        return false;
      }
    }
    return true;
  }

  void PlaceBesideButton() {
    if (!button_) return;
    RECT b{}, d{};
    GetWindowRect(button_, &b);
    GetWindowRect(hwnd_, &d);
    MONITORINFO mi{};
    mi.cbSize = sizeof mi;
    if (!GetMonitorInfoA(MonitorFromWindow(button_, MONITOR_DEFAULTTONEAREST), &mi)) return;
    // The work area: the screen without the task bar.
    const TScreenPoint at =
        PlaceAtButton({b.left, b.top, b.right, b.bottom}, d.right - d.left, d.bottom - d.top,
                      {mi.rcWork.left, mi.rcWork.top, mi.rcWork.right, mi.rcWork.bottom});
    SetWindowPos(hwnd_, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }

  bool OnCommand(int id, int code, HWND) override {
    if (id == IDOK) {
      ReadControls();
      if (Accept()) {
        End(IDOK);
      } else {
        WriteControls();
        FocusFault();
      }
      return true;
    }
    return Command(id, code);
  }

  bool OnNotify(const NMHDR& hdr, LRESULT& result) override {
    if (hdr.code != UDN_DELTAPOS) return false;
    const auto& spin = reinterpret_cast<const NMUPDOWN&>(hdr);
    ReadControls();
    Spin(static_cast<int>(hdr.idFrom), spin.iDelta < 0);
    WriteControls();
    result = TRUE;  // the spin button keeps its own position
    return true;
  }

  bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, INT_PTR&) override {
    const int id = static_cast<int>(wParam);
    if (msg == kLeftField) {
      // A field switched off meanwhile is not checked (OK checks what is used).
      if (!IsWindowEnabled(Item(id))) return true;
      ReadControls();
      FieldLeft(id);
      WriteControls();
      return true;
    }
    if (msg == kFieldKey) {
      ReadControls();
      FieldKey(id, static_cast<TNumberKey>(lParam));
      WriteControls();
      CaretToEnd(id);
      return true;
    }
    return false;
  }

  static LRESULT CALLBACK FieldProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                    DWORD_PTR) {
    const HWND dialog = GetParent(hwnd);
    switch (msg) {
      case WM_KILLFOCUS: {
        // Checked when the focus went to another control of the dialog, not
        // when it went to OK (which checks everything), to Cancel, to a
        // message box or to another program.
        const HWND to = reinterpret_cast<HWND>(wParam);
        if (to && IsChild(dialog, to) && to != GetDlgItem(dialog, IDOK) &&
            to != GetDlgItem(dialog, IDCANCEL))
          PostMessageA(dialog, kLeftField, static_cast<WPARAM>(GetDlgCtrlID(hwnd)), 0);
        break;
      }
      case WM_KEYDOWN: {
        TNumberKey key;
        switch (wParam) {
          case VK_UP: key = TNumberKey::Up; break;
          case VK_DOWN: key = TNumberKey::Down; break;
          case VK_PRIOR: key = TNumberKey::PageUp; break;
          case VK_NEXT: key = TNumberKey::PageDown; break;
          default: return DefSubclassProc(hwnd, msg, wParam, lParam);
        }
        SendMessageA(dialog, kFieldKey, static_cast<WPARAM>(GetDlgCtrlID(hwnd)),
                     static_cast<LPARAM>(key));
        return 0;
      }
      case WM_NCDESTROY:
        RemoveWindowSubclass(hwnd, &TAdvDialog::FieldProc, 1);
        break;
    }
    return DefSubclassProc(hwnd, msg, wParam, lParam);
  }

  HWND button_ = nullptr;
  int widest_ = 0;
};

void FocusNumber(TDialog& dialog, int id, const TNumberEditModel& f) {
  dialog.FocusItem(id, f.selStart, f.selLength);
}
void FocusNumber(TDialog& dialog, int id, const TSizeEditModel& f) {
  dialog.FocusItem(id, f.selStart, f.selLength);
}

// --- TFrmAdvFilename ---------------------------------------------------------------------------

class TFrmAdvFilename : public TAdvDialog {
  using C = TAdvFilenameModel::Control;
  using R = TAdvFilenameModel::Radio;

 public:
  TFrmAdvFilename(TAdvFilenameModel& model, TAdvFilenameOptions& record)
      : model_(model), record_(record) {
    helpContext_ = IDH_ADV_FILENAME;
  }

 protected:
  const char* Name() const override { return "advanced file name comparison"; }

  void ApplyTexts() override {
    ApplyCaption(lblAdvFilenameCpt);
    ApplyText(IDC_AFN_COMPARE, lblCompare);
    ApplyText(IDC_AFN_RBCOMPLETE, lblCompleteName);
    ApplyText(IDC_AFN_RBNTON, lblRBCharsNToN);
    ApplyText(IDC_AFN_TO, lblTo);
    ApplyText(IDC_AFN_RBFIRSTLAST, lblRBFirstLastChars);
    ApplyText(IDC_AFN_CHARS, lblChars);
    ApplyText(IDC_AFN_RBOCC, lblRBCharsOcc);
    ApplyText(IDC_AFN_CBIGNORECASE, lblCBIgnoreCase);
    ApplyText(IDOK, lblOK);
    ApplyText(IDCANCEL, lblCancel);
  }

  void Prepare() override {
    model_.Load(record_);
    Fill(IDC_AFN_CBFIRSTLAST, Items(itmFirstLast, {"first", "last"}));
    Fill(IDC_AFN_CBBEFOREAFTER, Items(itmBeforeAfter, {"before", "after"}));
    Fill(IDC_AFN_CBOCCFIRSTLAST, {Text(lblOcc1, "the first occurrence of"),
                                  Text(lblOcc2, "the last occurrence of")});
    NumberFields({IDC_AFN_ECHARSN1, IDC_AFN_ECHARSN2, IDC_AFN_EFIRSTLAST},
                 {IDC_AFN_SBCHARSN1, IDC_AFN_SBCHARSN2, IDC_AFN_SBFIRSTLAST});
    FitRow({IDC_AFN_RBNTON, IDC_AFN_ECHARSN1, IDC_AFN_SBCHARSN1, IDC_AFN_TO, IDC_AFN_ECHARSN2,
            IDC_AFN_SBCHARSN2});
    FitRow({IDC_AFN_RBFIRSTLAST, IDC_AFN_CBFIRSTLAST, IDC_AFN_EFIRSTLAST, IDC_AFN_SBFIRSTLAST,
            IDC_AFN_CHARS});
    FitRow({IDC_AFN_RBOCC, IDC_AFN_CBBEFOREAFTER, IDC_AFN_CBOCCFIRSTLAST, IDC_AFN_EOCC});
  }

  void ReadControls() override {
    model_.ECharsN1.text = ItemText(IDC_AFN_ECHARSN1);
    model_.ECharsN2.text = ItemText(IDC_AFN_ECHARSN2);
    model_.EFirstLast.text = ItemText(IDC_AFN_EFIRSTLAST);
    model_.CBFirstLast = Selected(IDC_AFN_CBFIRSTLAST) == 1;
    model_.CBOccBeforeAfter = Selected(IDC_AFN_CBBEFOREAFTER) == 1;
    model_.CBOccFirstLast = Selected(IDC_AFN_CBOCCFIRSTLAST) == 1;
    model_.CBIgnoreCase = IsChecked(IDC_AFN_CBIGNORECASE);
    // EOcc follows every change of its field (OccTyped).
  }

  void WriteControls() override {
    SetRadios({{IDC_AFN_RBCOMPLETE, model_.radio == R::RBComplete},
               {IDC_AFN_RBNTON, model_.radio == R::RBNToN},
               {IDC_AFN_RBFIRSTLAST, model_.radio == R::RBFirstLast},
               {IDC_AFN_RBOCC, model_.radio == R::RBOcc}});
    SetItemText(IDC_AFN_ECHARSN1, model_.ECharsN1.text);
    SetItemText(IDC_AFN_ECHARSN2, model_.ECharsN2.text);
    SetItemText(IDC_AFN_EFIRSTLAST, model_.EFirstLast.text);
    Select(IDC_AFN_CBFIRSTLAST, model_.CBFirstLast ? 1 : 0);
    Select(IDC_AFN_CBBEFOREAFTER, model_.CBOccBeforeAfter ? 1 : 0);
    Select(IDC_AFN_CBOCCFIRSTLAST, model_.CBOccFirstLast ? 1 : 0);
    writingOcc_ = true;
    SetItemText(IDC_AFN_EOCC, model_.EOcc);
    writingOcc_ = false;
    SetChecked(IDC_AFN_CBIGNORECASE, model_.CBIgnoreCase);
    for (int id : {IDC_AFN_ECHARSN1, IDC_AFN_SBCHARSN1, IDC_AFN_TO, IDC_AFN_ECHARSN2,
                   IDC_AFN_SBCHARSN2})
      Enable(id, model_.Enabled(C::ECharsN1));
    for (int id : {IDC_AFN_CBFIRSTLAST, IDC_AFN_EFIRSTLAST, IDC_AFN_SBFIRSTLAST, IDC_AFN_CHARS})
      Enable(id, model_.Enabled(C::EFirstLast));
    Enable(IDC_AFN_CBBEFOREAFTER, model_.Enabled(C::CBOccBeforeAfter));
    Enable(IDC_AFN_CBOCCFIRSTLAST, model_.Enabled(C::CBOccFirstLast));
    Enable(IDC_AFN_EOCC, model_.Enabled(C::EOcc));
  }

  static C FieldOf(int id) {
    switch (id) {
      case IDC_AFN_ECHARSN1:
      case IDC_AFN_SBCHARSN1: return C::ECharsN1;
      case IDC_AFN_ECHARSN2:
      case IDC_AFN_SBCHARSN2: return C::ECharsN2;
      case IDC_AFN_EFIRSTLAST:
      case IDC_AFN_SBFIRSTLAST: return C::EFirstLast;
      default: return C::None;
    }
  }
  void FieldLeft(int id) override { model_.FieldLeft(FieldOf(id)); }
  void FieldKey(int id, TNumberKey key) override { model_.FieldKey(FieldOf(id), key); }
  void Spin(int id, bool down) override {
    if (FieldOf(id) != C::None) model_.Spin(FieldOf(id), down);
  }
  bool Accept() override { return model_.OK(record_); }

  void FocusFault() override {
    switch (model_.focus) {
      case C::ECharsN1: FocusNumber(*this, IDC_AFN_ECHARSN1, model_.ECharsN1); break;
      case C::ECharsN2: FocusNumber(*this, IDC_AFN_ECHARSN2, model_.ECharsN2); break;
      case C::EFirstLast: FocusNumber(*this, IDC_AFN_EFIRSTLAST, model_.EFirstLast); break;
      case C::EOcc: FocusItem(IDC_AFN_EOCC); break;
      default: break;
    }
  }

  bool Command(int id, int code) override {
    switch (id) {
      case IDC_AFN_RBCOMPLETE:
      case IDC_AFN_RBNTON:
      case IDC_AFN_RBFIRSTLAST:
      case IDC_AFN_RBOCC:
        if (code != BN_CLICKED) return false;
        ReadControls();
        model_.radio = id == IDC_AFN_RBNTON       ? R::RBNToN
                       : id == IDC_AFN_RBFIRSTLAST ? R::RBFirstLast
                       : id == IDC_AFN_RBOCC       ? R::RBOcc
                                                   : R::RBComplete;
        WriteControls();
        return true;
      case IDC_AFN_CBIGNORECASE:
        if (code != BN_CLICKED) return false;
        ReadControls();
        WriteControls();
        return true;
      case IDC_AFN_CBFIRSTLAST:
      case IDC_AFN_CBBEFOREAFTER:
      case IDC_AFN_CBOCCFIRSTLAST:
        if (code != CBN_SELCHANGE) return false;
        ReadControls();
        WriteControls();
        return true;
      case IDC_AFN_EOCC: {
        if (code != EN_CHANGE || writingOcc_) return false;
        // The field holds one character: the one just typed replaces it.
        std::string text = ItemText(IDC_AFN_EOCC);
        DWORD caret = 0;
        SendMessageA(Item(IDC_AFN_EOCC), EM_GETSEL, 0, reinterpret_cast<LPARAM>(&caret));
        if (text.size() > 1 && caret >= 1 && caret <= text.size()) text = text.substr(caret - 1, 1);
        ReadControls();
        model_.OccTyped(text);
        WriteControls();
        SendMessageA(Item(IDC_AFN_EOCC), EM_SETSEL, 0, -1);
        return true;
      }
      default:
        return false;
    }
  }

 private:
  TAdvFilenameModel& model_;
  TAdvFilenameOptions& record_;
  bool writingOcc_ = false;
};

// --- TFrmAdvSize -------------------------------------------------------------------------------

class TFrmAdvSize : public TAdvDialog {
 public:
  TFrmAdvSize(TAdvSizeModel& model, TAdvSizeOptions& record) : model_(model), record_(record) {
    helpContext_ = IDH_ADV_SIZE;
  }

 protected:
  const char* Name() const override { return "advanced size comparison"; }

  void ApplyTexts() override {
    // The English "±" is set here, not in the template, so that it does not
    // depend on the resource compiler's code page.
    if (!DialogsUseStringTable())
      SetDlgItemTextW(hwnd_, IDC_AS_RBTOLERANT, L"with a tolerance of \u00B1");
    ApplyCaption(lblAdvSizeCpt);
    ApplyText(IDC_AS_RBEXACTLY, lblRBExactly);
    ApplyText(IDC_AS_RBTOLERANT, lblRBTolerant);
    ApplyText(IDOK, lblOK);
    ApplyText(IDCANCEL, lblCancel);
  }

  void Prepare() override {
    model_.Load(record_);
    Fill(IDC_AS_CBUNIT, UnitItems());
    NumberFields({IDC_AS_ETOLERANCE}, {IDC_AS_SBTOLERANCE});
    FitRow({IDC_AS_RBTOLERANT, IDC_AS_ETOLERANCE, IDC_AS_SBTOLERANCE, IDC_AS_CBUNIT});
  }

  void ReadControls() override { model_.ETolerance.text = ItemText(IDC_AS_ETOLERANCE); }

  void WriteControls() override {
    SetRadios({{IDC_AS_RBEXACTLY, !model_.RBTolerant}, {IDC_AS_RBTOLERANT, model_.RBTolerant}});
    SetItemText(IDC_AS_ETOLERANCE, model_.ETolerance.text);
    Select(IDC_AS_CBUNIT, model_.ETolerance.unit);
    using C = TAdvSizeModel::Control;
    Enable(IDC_AS_ETOLERANCE, model_.Enabled(C::ETolerance));
    Enable(IDC_AS_SBTOLERANCE, model_.Enabled(C::SBTolerance));
    Enable(IDC_AS_CBUNIT, model_.Enabled(C::CBToleranceUnit));
  }

  void FieldLeft(int) override { model_.ToleranceLeft(); }
  void FieldKey(int, TNumberKey key) override { model_.ToleranceKey(key); }
  void Spin(int id, bool down) override {
    if (id == IDC_AS_SBTOLERANCE) model_.ToleranceSpin(down);
  }
  bool Accept() override { return model_.OK(record_); }

  void FocusFault() override {
    if (model_.focus == TAdvSizeModel::Control::ETolerance)
      FocusNumber(*this, IDC_AS_ETOLERANCE, model_.ETolerance);
  }

  bool Command(int id, int code) override {
    if ((id == IDC_AS_RBEXACTLY || id == IDC_AS_RBTOLERANT) && code == BN_CLICKED) {
      ReadControls();
      model_.RBTolerant = id == IDC_AS_RBTOLERANT;
      WriteControls();
      return true;
    }
    if (id == IDC_AS_CBUNIT && code == CBN_SELCHANGE) {
      const int unit = Selected(IDC_AS_CBUNIT);
      if (unit < 0) return true;
      ReadControls();
      model_.ToleranceUnitChanged(static_cast<uint8_t>(unit));
      WriteControls();
      return true;
    }
    return false;
  }

 private:
  TAdvSizeModel& model_;
  TAdvSizeOptions& record_;
};

// --- TFrmAdvDate -------------------------------------------------------------------------------

class TFrmAdvDate : public TAdvDialog {
  using C = TAdvDateModel::Control;

 public:
  TFrmAdvDate(TAdvDateModel& model, TAdvDateOptions& record) : model_(model), record_(record) {
    helpContext_ = IDH_ADV_DATE;
  }

 protected:
  const char* Name() const override { return "advanced date comparison"; }

  void ApplyTexts() override {
    ApplyCaption(lblAdvDateCpt);
    ApplyText(IDC_AD_RBCOMPLETE, lblRBCompleteDate);
    ApplyText(IDC_AD_CBMAYDIFFER, lblCBMayDiffer);
    ApplyText(IDC_AD_DAYS, lblDays);
    ApplyText(IDC_AD_RBPARTLY, lblRBPartly);
    ApplyText(IDC_AD_CBTIME, lblCBTime);
    ApplyText(IDC_AD_CBDAY, lblCBDay);
    ApplyText(IDC_AD_CBMONTH, lblCBMonth);
    ApplyText(IDC_AD_CBYEAR, lblCBYear);
    ApplyText(IDOK, lblOK);
    ApplyText(IDCANCEL, lblCancel);
  }

  void Prepare() override {
    model_.Load(record_);
    NumberFields({IDC_AD_EDAYS}, {IDC_AD_SBDAYS});
    FitRow({IDC_AD_CBMAYDIFFER, IDC_AD_EDAYS, IDC_AD_SBDAYS, IDC_AD_DAYS});
    FitRow({IDC_AD_CBTIME, IDC_AD_CBDAY, IDC_AD_CBMONTH, IDC_AD_CBYEAR});
  }

  void ReadControls() override {
    model_.CBMayDiffer = IsChecked(IDC_AD_CBMAYDIFFER);
    model_.EMayDiffer.text = ItemText(IDC_AD_EDAYS);
    model_.CBTime = IsChecked(IDC_AD_CBTIME);
    model_.CBDay = IsChecked(IDC_AD_CBDAY);
    model_.CBMonth = IsChecked(IDC_AD_CBMONTH);
    model_.CBYear = IsChecked(IDC_AD_CBYEAR);
  }

  void WriteControls() override {
    SetRadios({{IDC_AD_RBCOMPLETE, !model_.RBPartly}, {IDC_AD_RBPARTLY, model_.RBPartly}});
    SetChecked(IDC_AD_CBMAYDIFFER, model_.CBMayDiffer);
    SetItemText(IDC_AD_EDAYS, model_.EMayDiffer.text);
    SetChecked(IDC_AD_CBTIME, model_.CBTime);
    SetChecked(IDC_AD_CBDAY, model_.CBDay);
    SetChecked(IDC_AD_CBMONTH, model_.CBMonth);
    SetChecked(IDC_AD_CBYEAR, model_.CBYear);
    Enable(IDC_AD_CBMAYDIFFER, model_.Enabled(C::CBMayDiffer));
    Enable(IDC_AD_EDAYS, model_.Enabled(C::EMayDiffer));
    Enable(IDC_AD_SBDAYS, model_.Enabled(C::SBMayDiffer));
    Enable(IDC_AD_DAYS, model_.Enabled(C::EMayDiffer));
    Enable(IDC_AD_CBTIME, model_.Enabled(C::CBTime));
    Enable(IDC_AD_CBDAY, model_.Enabled(C::CBDay));
    Enable(IDC_AD_CBMONTH, model_.Enabled(C::CBMonth));
    Enable(IDC_AD_CBYEAR, model_.Enabled(C::CBYear));
  }

  void FieldLeft(int) override { model_.DaysLeft(); }
  void FieldKey(int, TNumberKey key) override { model_.DaysKey(key); }
  void Spin(int id, bool down) override {
    if (id == IDC_AD_SBDAYS) model_.DaysSpin(down);
  }
  bool Accept() override { return model_.OK(record_); }

  void FocusFault() override {
    if (model_.focus == C::EMayDiffer) FocusNumber(*this, IDC_AD_EDAYS, model_.EMayDiffer);
    if (model_.focus == C::CBTime) FocusItem(IDC_AD_CBTIME);
  }

  bool Command(int id, int code) override {
    if (code != BN_CLICKED) return false;
    switch (id) {
      case IDC_AD_RBCOMPLETE:
      case IDC_AD_RBPARTLY:
        ReadControls();
        model_.RBPartly = id == IDC_AD_RBPARTLY;
        WriteControls();
        return true;
      case IDC_AD_CBMAYDIFFER:
      case IDC_AD_CBTIME:
      case IDC_AD_CBDAY:
      case IDC_AD_CBMONTH:
      case IDC_AD_CBYEAR:
        ReadControls();
        WriteControls();
        return true;
      default:
        return false;
    }
  }

 private:
  TAdvDateModel& model_;
  TAdvDateOptions& record_;
};

// --- TFrmAdvContent ----------------------------------------------------------------------------

class TFrmAdvContent : public TAdvDialog {
  using C = TAdvContentModel::Control;
  using R = TAdvContentModel::Radio;

 public:
  TFrmAdvContent(TAdvContentModel& model, TAdvContentOptions& record)
      : model_(model), record_(record) {
    helpContext_ = IDH_ADV_CONTENT;
  }

 protected:
  const char* Name() const override { return "advanced content comparison"; }

  void ApplyTexts() override {
    ApplyCaption(lblAdvContentCpt);
    ApplyText(IDC_AC_COMPARE, lblCompare);
    ApplyText(IDC_AC_RBCOMPLETE, lblCompleteFile);
    ApplyText(IDC_AC_TO, lblTo);
    ApplyText(IDC_AC_CBFROMEND, lblCBNToNFromEOF);
    ApplyText(IDC_AC_RBFIRSTLAST, lblRBFirstLastBytes);
    ApplyText(IDC_AC_METHODS, lblMethods);
    ApplyText(IDC_AC_CBFINGERPRINT, lblCBFingerprint);
    ApplyText(IDC_AC_CBBPB, lblCBBpB);
    ApplyText(IDC_AC_CBPIM, lblCBPiM);
    ApplyText(IDOK, lblOK);
    ApplyText(IDCANCEL, lblCancel);
  }

  void Prepare() override {
    model_.Load(record_);
    Fill(IDC_AC_CBNTONUNIT, UnitItems());
    Fill(IDC_AC_CBFIRSTLASTUNIT, UnitItems());
    Fill(IDC_AC_CBFIRSTLAST, Items(itmFirstLast, {"first", "last"}));
    NumberFields({IDC_AC_EBYTESN1, IDC_AC_EBYTESN2, IDC_AC_EFIRSTLAST},
                 {IDC_AC_SBBYTESN1, IDC_AC_SBBYTESN2, IDC_AC_SBFIRSTLAST});
    FitRow({IDC_AC_RBNTON, IDC_AC_CBNTONUNIT, IDC_AC_EBYTESN1, IDC_AC_SBBYTESN1, IDC_AC_TO,
            IDC_AC_EBYTESN2, IDC_AC_SBBYTESN2});
    FitRow({IDC_AC_RBFIRSTLAST, IDC_AC_CBFIRSTLAST, IDC_AC_EFIRSTLAST, IDC_AC_SBFIRSTLAST,
            IDC_AC_CBFIRSTLASTUNIT});
  }

  void ReadControls() override {
    model_.CBFingerprint = IsChecked(IDC_AC_CBFINGERPRINT);
    model_.CBBpB = IsChecked(IDC_AC_CBBPB);
    model_.CBNToNFromEnd = IsChecked(IDC_AC_CBFROMEND);
    model_.CBFirstLast = Selected(IDC_AC_CBFIRSTLAST) == 1;
    model_.EBytesN1.text = ItemText(IDC_AC_EBYTESN1);
    model_.EBytesN2.text = ItemText(IDC_AC_EBYTESN2);
    model_.EFirstLast.text = ItemText(IDC_AC_EFIRSTLAST);
  }

  void WriteControls() override {
    SetRadios({{IDC_AC_RBCOMPLETE, model_.radio == R::RBComplete},
               {IDC_AC_RBNTON, model_.radio == R::RBNToN},
               {IDC_AC_RBFIRSTLAST, model_.radio == R::RBFirstLast}});
    SetChecked(IDC_AC_CBFINGERPRINT, model_.CBFingerprint);
    SetChecked(IDC_AC_CBBPB, model_.CBBpB);
    SetChecked(IDC_AC_CBPIM, true);
    SetChecked(IDC_AC_CBFROMEND, model_.CBNToNFromEnd);
    Select(IDC_AC_CBFIRSTLAST, model_.CBFirstLast ? 1 : 0);
    SetItemText(IDC_AC_EBYTESN1, model_.EBytesN1.text);
    SetItemText(IDC_AC_EBYTESN2, model_.EBytesN2.text);
    SetItemText(IDC_AC_EFIRSTLAST, model_.EFirstLast.text);
    // One unit box serves both range fields.
    Select(IDC_AC_CBNTONUNIT, model_.EBytesN1.unit);
    Select(IDC_AC_CBFIRSTLASTUNIT, model_.EFirstLast.unit);
    Enable(IDC_AC_CBPIM, model_.Enabled(C::lblCBPiM));
    Enable(IDC_AC_EBYTESN1, model_.Enabled(C::EBytesN1));
    Enable(IDC_AC_SBBYTESN1, model_.Enabled(C::SBBytesN1));
    Enable(IDC_AC_TO, model_.Enabled(C::EBytesN2));
    Enable(IDC_AC_EBYTESN2, model_.Enabled(C::EBytesN2));
    Enable(IDC_AC_SBBYTESN2, model_.Enabled(C::SBBytesN2));
    Enable(IDC_AC_CBNTONUNIT, model_.Enabled(C::CBNToNUnit));
    Enable(IDC_AC_CBFROMEND, model_.Enabled(C::CBNToNFromEnd));
    Enable(IDC_AC_CBFIRSTLAST, model_.Enabled(C::CBFirstLast));
    Enable(IDC_AC_EFIRSTLAST, model_.Enabled(C::EFirstLast));
    Enable(IDC_AC_SBFIRSTLAST, model_.Enabled(C::SBFirstLast));
    Enable(IDC_AC_CBFIRSTLASTUNIT, model_.Enabled(C::CBFirstLastUnit));
  }

  static C FieldOf(int id) {
    switch (id) {
      case IDC_AC_EBYTESN1: return C::EBytesN1;
      case IDC_AC_SBBYTESN1: return C::SBBytesN1;
      case IDC_AC_EBYTESN2: return C::EBytesN2;
      case IDC_AC_SBBYTESN2: return C::SBBytesN2;
      case IDC_AC_EFIRSTLAST: return C::EFirstLast;
      case IDC_AC_SBFIRSTLAST: return C::SBFirstLast;
      default: return C::None;
    }
  }
  void FieldLeft(int id) override { model_.FieldLeft(FieldOf(id)); }
  void FieldKey(int id, TNumberKey key) override { model_.FieldKey(FieldOf(id), key); }
  void Spin(int id, bool down) override {
    if (FieldOf(id) != C::None) model_.Spin(FieldOf(id), down);
  }
  bool Accept() override { return model_.OK(record_); }

  void FocusFault() override {
    switch (model_.focus) {
      case C::EBytesN1: FocusNumber(*this, IDC_AC_EBYTESN1, model_.EBytesN1); break;
      case C::EBytesN2: FocusNumber(*this, IDC_AC_EBYTESN2, model_.EBytesN2); break;
      case C::EFirstLast: FocusNumber(*this, IDC_AC_EFIRSTLAST, model_.EFirstLast); break;
      default: break;
    }
  }

  bool Command(int id, int code) override {
    switch (id) {
      case IDC_AC_RBCOMPLETE:
      case IDC_AC_RBNTON:
      case IDC_AC_RBFIRSTLAST:
        if (code != BN_CLICKED) return false;
        ReadControls();
        model_.radio = id == IDC_AC_RBNTON       ? R::RBNToN
                       : id == IDC_AC_RBFIRSTLAST ? R::RBFirstLast
                                                  : R::RBComplete;
        WriteControls();
        return true;
      case IDC_AC_CBFINGERPRINT:
      case IDC_AC_CBBPB:
      case IDC_AC_CBFROMEND:
        if (code != BN_CLICKED) return false;
        ReadControls();
        WriteControls();
        return true;
      case IDC_AC_CBPIM:
        // Always checked: a click (it is disabled, but a language file or
        // an accessibility tool may still send one) changes nothing.
        if (code == BN_CLICKED) WriteControls();
        return true;
      case IDC_AC_CBFIRSTLAST:
        if (code != CBN_SELCHANGE) return false;
        ReadControls();
        WriteControls();
        return true;
      case IDC_AC_CBNTONUNIT:
      case IDC_AC_CBFIRSTLASTUNIT: {
        if (code != CBN_SELCHANGE) return false;
        const int unit = Selected(id);
        if (unit < 0) return true;
        ReadControls();
        model_.UnitChanged(id == IDC_AC_CBNTONUNIT ? C::CBNToNUnit : C::CBFirstLastUnit,
                           static_cast<uint8_t>(unit));
        WriteControls();
        return true;
      }
      default:
        return false;
    }
  }

 private:
  TAdvContentModel& model_;
  TAdvContentOptions& record_;
};

}  // namespace

bool AdvFilenameDialog(HWND owner, HWND button, TAdvFilenameModel& model,
                       TAdvFilenameOptions& record) {
  TFrmAdvFilename dialog(model, record);
  return dialog.Open(owner, button, IDD_ADV_FILENAME);
}

bool AdvSizeDialog(HWND owner, HWND button, TAdvSizeModel& model, TAdvSizeOptions& record) {
  TFrmAdvSize dialog(model, record);
  return dialog.Open(owner, button, IDD_ADV_SIZE);
}

bool AdvDateDialog(HWND owner, HWND button, TAdvDateModel& model, TAdvDateOptions& record) {
  TFrmAdvDate dialog(model, record);
  return dialog.Open(owner, button, IDD_ADV_DATE);
}

bool AdvContentDialog(HWND owner, HWND button, TAdvContentModel& model,
                      TAdvContentOptions& record) {
  TFrmAdvContent dialog(model, record);
  return dialog.Open(owner, button, IDD_ADV_CONTENT);
}

}  // namespace zw::win
