#include "check_dialog.h"

#include <commctrl.h>

#include <string>

#include "app/text/string_table.h"
#include "dialog_base.h"
#include "dialog_ids.h"

namespace zw::win {

namespace {

// Posted by a date or size edit that lost the focus to another control of
// the dialog: the check runs once the focus has moved (wParam: control id).
constexpr UINT kLeftField = WM_APP + 1;
// Sent by a size edit for Up, Down, Page Up and Page Down (wParam: control
// id, lParam: the TSizeKey).
constexpr UINT kSizeKey = WM_APP + 2;

class TCheckDialog : public TDialog {
 public:
  TCheckDialog(TCheckByCriteriaModel& model, TCheckCriteria& out) : model_(model), out_(out) {
    helpContext_ = IDD_CHECK_BY_CRITERIA;
  }

 protected:
  bool OnInit() override;
  bool OnCommand(int id, int code, HWND control) override;
  bool OnNotify(const NMHDR& hdr, LRESULT& result) override;
  bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;
  const char* Name() const override { return "check by criteria"; }

 private:
  static LRESULT CALLBACK FieldProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam,
                                    UINT_PTR id, DWORD_PTR data);
  void ApplyTexts();
  // Controls -> model (what the user can type or click), model -> controls.
  void ReadControls();
  void WriteControls();
  // The control at fault after a failed check gets the focus.
  void FocusFault();
  void FieldLeft(int id);

  TCheckByCriteriaModel& model_;
  TCheckCriteria& out_;
};

constexpr int kFields[] = {IDC_CBC_EDATE1, IDC_CBC_EDATE2, IDC_CBC_ESIZE1, IDC_CBC_ESIZE2};

int SizeWhich(int id) { return id == IDC_CBC_ESIZE2 || id == IDC_CBC_SBSIZE2 || id == IDC_CBC_SIZE2UNIT ? 2 : 1; }

void FillMru(HWND combo, const std::vector<std::string>& items) {
  SendMessageA(combo, CB_RESETCONTENT, 0, 0);
  for (const std::string& item : items)
    SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
}

bool TCheckDialog::OnInit() {
  ApplyTexts();
  const TByteUnitNames units = Strings().UnitShortNames();
  for (int id : {IDC_CBC_SIZE1UNIT, IDC_CBC_SIZE2UNIT}) {
    SendMessageA(Item(id), CB_RESETCONTENT, 0, 0);
    for (const std::string& unit : units)
      SendMessageA(Item(id), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(unit.c_str()));
  }
  for (int id : {IDC_CBC_SBSIZE1, IDC_CBC_SBSIZE2}) {
    // The model steps the number; the spin button only reports the clicks.
    SendMessageA(Item(id), UDM_SETRANGE32, 0, 100);
    SendMessageA(Item(id), UDM_SETPOS32, 0, 50);
  }
  FillMru(Item(IDC_CBC_EMASKFILENAME), model_.mruFiles);
  FillMru(Item(IDC_CBC_EMASKPATH), model_.mruPaths);
  for (int id : kFields) SetWindowSubclass(Item(id), &TCheckDialog::FieldProc, 1, 0);
  WriteControls();
  return true;
}

void TCheckDialog::ApplyTexts() {
  ApplyCaption(lblByCriteriaCpt);
  ApplyText(IDC_CBC_RBCHECK, lblRBCheck);
  ApplyText(IDC_CBC_RBUNCHECK, lblRBUncheck);
  ApplyText(IDC_CBC_SELECTEDONLY, lblCBSelectedOnly);
  ApplyText(IDC_CBC_CRITERIA, lblCriteria);
  ApplyText(IDC_CBC_CBFILENAME, lblCBFilenameMask);
  ApplyText(IDC_CBC_CBPATH, lblCBPathMask);
  ApplyText(IDC_CBC_CBDATE, lblCBDateRange);
  ApplyText(IDC_CBC_CBSIZE, lblCBSizeRange);
  ApplyText(IDC_CBC_DATETO, lblTo);
  ApplyText(IDC_CBC_SIZETO, lblTo);
  ApplyText(IDOK, lblOK);
  ApplyText(IDCANCEL, lblCancel);
}

void TCheckDialog::ReadControls() {
  model_.check = !IsChecked(IDC_CBC_RBUNCHECK);
  model_.selectedOnly = IsChecked(IDC_CBC_SELECTEDONLY);
  model_.cbFilename = IsChecked(IDC_CBC_CBFILENAME);
  model_.cbPath = IsChecked(IDC_CBC_CBPATH);
  model_.cbDate = IsChecked(IDC_CBC_CBDATE);
  model_.cbSize = IsChecked(IDC_CBC_CBSIZE);
  model_.maskFilename = ItemText(IDC_CBC_EMASKFILENAME);
  model_.maskPath = ItemText(IDC_CBC_EMASKPATH);
  model_.date1.text = ItemText(IDC_CBC_EDATE1);
  model_.date2.text = ItemText(IDC_CBC_EDATE2);
  model_.size1.text = ItemText(IDC_CBC_ESIZE1);
  model_.size2.text = ItemText(IDC_CBC_ESIZE2);
}

void TCheckDialog::WriteControls() {
  SetChecked(IDC_CBC_RBCHECK, model_.check);
  SetChecked(IDC_CBC_RBUNCHECK, !model_.check);
  SetChecked(IDC_CBC_SELECTEDONLY, model_.selectedOnly);
  Enable(IDC_CBC_SELECTEDONLY, model_.selectedOnlyEnabled);
  SetChecked(IDC_CBC_CBFILENAME, model_.cbFilename);
  SetChecked(IDC_CBC_CBPATH, model_.cbPath);
  SetChecked(IDC_CBC_CBDATE, model_.cbDate);
  SetChecked(IDC_CBC_CBSIZE, model_.cbSize);
  SetItemText(IDC_CBC_EMASKFILENAME, model_.maskFilename);
  SetItemText(IDC_CBC_EMASKPATH, model_.maskPath);
  SetItemText(IDC_CBC_EDATE1, model_.date1.text);
  SetItemText(IDC_CBC_EDATE2, model_.date2.text);
  SetItemText(IDC_CBC_ESIZE1, model_.size1.text);
  SetItemText(IDC_CBC_ESIZE2, model_.size2.text);
  SendMessageA(Item(IDC_CBC_SIZE1UNIT), CB_SETCURSEL, model_.size1.unit, 0);
  SendMessageA(Item(IDC_CBC_SIZE2UNIT), CB_SETCURSEL, model_.size2.unit, 0);
  Enable(IDC_CBC_EMASKFILENAME, model_.cbFilename);
  Enable(IDC_CBC_EMASKPATH, model_.cbPath);
  for (int id : {IDC_CBC_EDATE1, IDC_CBC_DATETO, IDC_CBC_EDATE2}) Enable(id, model_.cbDate);
  for (int id : {IDC_CBC_ESIZE1, IDC_CBC_SBSIZE1, IDC_CBC_SIZE1UNIT, IDC_CBC_SIZETO,
                 IDC_CBC_ESIZE2, IDC_CBC_SBSIZE2, IDC_CBC_SIZE2UNIT})
    Enable(id, model_.cbSize);
  Enable(IDOK, model_.OkEnabled());
}

void TCheckDialog::FocusFault() {
  switch (model_.focus) {
    case TCbcControl::None: return;
    case TCbcControl::EMaskFilename: FocusItem(IDC_CBC_EMASKFILENAME); return;
    case TCbcControl::EMaskPath: FocusItem(IDC_CBC_EMASKPATH); return;
    case TCbcControl::EDate1:
      FocusItem(IDC_CBC_EDATE1, model_.date1.selStart, model_.date1.selLength);
      return;
    case TCbcControl::EDate2:
      FocusItem(IDC_CBC_EDATE2, model_.date2.selStart, model_.date2.selLength);
      return;
    case TCbcControl::ESize1:
      FocusItem(IDC_CBC_ESIZE1, model_.size1.selStart, model_.size1.selLength);
      return;
    case TCbcControl::ESize2:
      FocusItem(IDC_CBC_ESIZE2, model_.size2.selStart, model_.size2.selLength);
      return;
  }
}

void TCheckDialog::FieldLeft(int id) {
  // A field switched off meanwhile is not checked (OK checks what is used).
  if (!IsWindowEnabled(Item(id))) return;
  ReadControls();
  model_.focus = TCbcControl::None;
  bool ok = true;
  if (id == IDC_CBC_EDATE1 || id == IDC_CBC_EDATE2)
    ok = model_.DateLeft(id == IDC_CBC_EDATE2 ? 2 : 1);
  else
    ok = model_.SizeLeft(SizeWhich(id));
  WriteControls();
  if (!ok) FocusFault();
}

bool TCheckDialog::OnCommand(int id, int code, HWND control) {
  switch (id) {
    case IDOK:
      ReadControls();
      if (!model_.OkEnabled()) return true;
      if (model_.Accept(out_)) {
        End(IDOK);
      } else {
        WriteControls();
        FocusFault();
      }
      return true;
    case IDC_CBC_RBCHECK:
    case IDC_CBC_RBUNCHECK:
    case IDC_CBC_SELECTEDONLY:
    case IDC_CBC_CBFILENAME:
    case IDC_CBC_CBPATH:
    case IDC_CBC_CBDATE:
    case IDC_CBC_CBSIZE:
      if (code != BN_CLICKED) return false;
      ReadControls();
      WriteControls();
      return true;
    case IDC_CBC_SIZE1UNIT:
    case IDC_CBC_SIZE2UNIT: {
      if (code != CBN_SELCHANGE) return false;
      const LRESULT unit = SendMessageA(control, CB_GETCURSEL, 0, 0);
      if (unit < 0) return true;
      ReadControls();
      model_.focus = TCbcControl::None;
      const bool ok = model_.SizeUnitChanged(SizeWhich(id), static_cast<uint8_t>(unit));
      WriteControls();
      if (!ok) FocusFault();
      return true;
    }
    default:
      return false;
  }
}

bool TCheckDialog::OnNotify(const NMHDR& hdr, LRESULT& result) {
  if (hdr.code != UDN_DELTAPOS || (hdr.idFrom != IDC_CBC_SBSIZE1 && hdr.idFrom != IDC_CBC_SBSIZE2))
    return false;
  const auto& spin = reinterpret_cast<const NMUPDOWN&>(hdr);
  ReadControls();
  model_.SizeSpin(SizeWhich(static_cast<int>(hdr.idFrom)), spin.iDelta < 0);
  WriteControls();
  result = TRUE;  // the spin button keeps its own position
  return true;
}

bool TCheckDialog::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, INT_PTR& result) {
  if (msg == kLeftField) {
    FieldLeft(static_cast<int>(wParam));
    return true;
  }
  if (msg == kSizeKey) {
    const int id = static_cast<int>(wParam);
    ReadControls();
    model_.SizeKey(SizeWhich(id), static_cast<TSizeKey>(lParam));
    WriteControls();
    const TSizeEditModel& edit = SizeWhich(id) == 2 ? model_.size2 : model_.size1;
    const int end = static_cast<int>(edit.text.size());
    SendMessageA(Item(id), EM_SETSEL, end, end);
    return true;
  }
  return false;
}

LRESULT CALLBACK TCheckDialog::FieldProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam,
                                         UINT_PTR, DWORD_PTR) {
  const HWND dialog = GetParent(hwnd);
  const int id = GetDlgCtrlID(hwnd);
  switch (msg) {
    case WM_KILLFOCUS: {
      // Checked when the focus went to another field of the dialog, not
      // when it went to OK (which checks everything), to Cancel, to a
      // message box or to another program.
      const HWND to = reinterpret_cast<HWND>(wParam);
      if (to && IsChild(dialog, to) && to != GetDlgItem(dialog, IDOK) &&
          to != GetDlgItem(dialog, IDCANCEL))
        PostMessageA(dialog, kLeftField, static_cast<WPARAM>(id), 0);
      break;
    }
    case WM_KEYDOWN: {
      if (id != IDC_CBC_ESIZE1 && id != IDC_CBC_ESIZE2) break;
      TSizeKey key;
      switch (wParam) {
        case VK_UP: key = TSizeKey::Up; break;
        case VK_DOWN: key = TSizeKey::Down; break;
        case VK_PRIOR: key = TSizeKey::PageUp; break;
        case VK_NEXT: key = TSizeKey::PageDown; break;
        default: return DefSubclassProc(hwnd, msg, wParam, lParam);
      }
      SendMessageA(dialog, kSizeKey, static_cast<WPARAM>(id), static_cast<LPARAM>(key));
      return 0;
    }
    case WM_NCDESTROY:
      RemoveWindowSubclass(hwnd, &TCheckDialog::FieldProc, 1);
      break;
  }
  return DefSubclassProc(hwnd, msg, wParam, lParam);
}

}  // namespace

bool CheckByCriteriaDialog(HWND owner, TCheckByCriteriaModel& model, TResultList& list,
                           bool uncheckTab, TCheckCriteria& out) {
  model.Prepare(list, uncheckTab);
  TCheckDialog dialog(model, out);
  return dialog.DoModal(owner, IDD_CHECK_BY_CRITERIA) == IDOK;
}

}  // namespace zw::win
