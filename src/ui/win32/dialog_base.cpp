#include "ui/win32/dialog_base.h"

#include <utility>
#include <vector>

#include "app/text/language_files.h"
#include "app/text/string_table.h"
#include "app/host.h"  // TZWExceptInfo
#include "ui/win32/exception_dialog.h"

namespace zw::win {

INT_PTR TDialog::DoModal(HWND owner, int templateId) {
  owner_ = owner;
  modal_ = true;
  error_ = nullptr;
  return FinishModal(DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(templateId),
                                     owner, &TDialog::Proc, reinterpret_cast<LPARAM>(this)));
}

INT_PTR TDialog::RunModal(HWND owner, const DLGTEMPLATE* tmpl) {
  owner_ = owner;
  modal_ = true;
  error_ = nullptr;
  return FinishModal(DialogBoxIndirectParamA(GetModuleHandleA(nullptr), tmpl, owner,
                                             &TDialog::Proc, reinterpret_cast<LPARAM>(this)));
}

INT_PTR TDialog::FinishModal(INT_PTR result) {
  hwnd_ = nullptr;
  if (error_) std::rethrow_exception(std::exchange(error_, nullptr));
  return result;
}

HWND TDialog::CreateModeless(HWND owner, const DLGTEMPLATE* tmpl) {
  owner_ = owner;
  modal_ = false;
  return CreateDialogIndirectParamA(GetModuleHandleA(nullptr), tmpl, owner, &TDialog::Proc,
                                    reinterpret_cast<LPARAM>(this));
}

std::string TDialog::ItemText(int id) const {
  const HWND item = Item(id);
  const int length = item ? GetWindowTextLengthA(item) : 0;
  if (length <= 0) return {};
  std::vector<char> text(static_cast<size_t>(length) + 1);
  const int got = GetWindowTextA(item, text.data(), length + 1);
  return std::string(text.data(), got > 0 ? static_cast<size_t>(got) : 0);
}

void TDialog::SetItemText(int id, const std::string& text) {
  if (ItemText(id) != text) SetDlgItemTextA(hwnd_, id, text.c_str());
}

void TDialog::Enable(int id, bool on) {
  const HWND item = Item(id);
  if (item && (IsWindowEnabled(item) != FALSE) != on) EnableWindow(item, on);
}

void TDialog::FocusItem(int id, int selStart, int selLength) {
  const HWND item = Item(id);
  if (!item) return;
  SendMessageA(hwnd_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(item), TRUE);
  char cls[16] = {};
  GetClassNameA(item, cls, sizeof cls);
  const int end = selLength < 0 ? -1 : selStart + selLength;
  if (lstrcmpiA(cls, "Edit") == 0)
    SendMessageA(item, EM_SETSEL, static_cast<WPARAM>(selStart), end);
  else if (lstrcmpiA(cls, "ComboBox") == 0)
    SendMessageA(item, CB_SETEDITSEL, 0, MAKELPARAM(selStart, end));
}

int TDialog::DluX(int dlu) const {
  RECT r{0, 0, dlu, 0};
  MapDialogRect(hwnd_, &r);
  return r.right;
}

int TDialog::DluY(int dlu) const {
  RECT r{0, 0, 0, dlu};
  MapDialogRect(hwnd_, &r);
  return r.bottom;
}

void TDialog::ApplyText(int id, TStrID text) {
  if (DialogsUseStringTable()) SetDlgItemTextA(hwnd_, id, Str(text).c_str());
}

void TDialog::ApplyCaption(TStrID text) {
  if (DialogsUseStringTable()) SetWindowTextA(hwnd_, Str(text).c_str());
}

INT_PTR CALLBACK TDialog::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  TDialog* self = nullptr;
  if (msg == WM_INITDIALOG) {
    self = reinterpret_cast<TDialog*>(lp);
    self->hwnd_ = hwnd;
    SetWindowLongPtrA(hwnd, DWLP_USER, lp);
  } else {
    self = reinterpret_cast<TDialog*>(GetWindowLongPtrA(hwnd, DWLP_USER));
  }
  if (!self) return FALSE;
  INT_PTR result = FALSE;
  if (!self->error_) {  // a modal dialog ending after a failure runs nothing more
    try {
      result = self->Dispatch(msg, wp, lp);
    } catch (...) {
      if (self->modal_) {
        self->error_ = std::current_exception();
        EndDialog(hwnd, IDCANCEL);
      } else {
        ReportCurrentException(hwnd, self->Name());
      }
      result = msg == WM_INITDIALOG ? TRUE : FALSE;
    }
  }
  if (msg == WM_NCDESTROY) {
    SetWindowLongPtrA(hwnd, DWLP_USER, 0);
    self->hwnd_ = nullptr;
    self->OnDestroyed();  // may delete the object: nothing after it
  }
  return result;
}

INT_PTR TDialog::Dispatch(UINT msg, WPARAM wp, LPARAM lp) {
  INT_PTR result = 0;
  switch (msg) {
    case WM_INITDIALOG:
      if (helpContext_) SetWindowContextHelpId(hwnd_, static_cast<DWORD>(helpContext_));
      return OnInit() ? TRUE : FALSE;
    case WM_COMMAND: {
      const int id = LOWORD(wp);
      if (OnCommand(id, HIWORD(wp), reinterpret_cast<HWND>(lp))) return TRUE;
      if (id == IDCANCEL && modal_) {
        End(IDCANCEL);
        return TRUE;
      }
      return FALSE;
    }
    case WM_NOTIFY: {
      LRESULT notifyResult = 0;
      if (OnNotify(*reinterpret_cast<const NMHDR*>(lp), notifyResult)) {
        SetWindowLongPtrA(hwnd_, DWLP_MSGRESULT, notifyResult);
        return TRUE;
      }
      break;
    }
    case WM_HELP:
      if (OnMessage(msg, wp, lp, result)) return TRUE;
      // The owner opens the help; it learns the page from the context.
      if (owner_) {
        HELPINFO info = *reinterpret_cast<const HELPINFO*>(lp);
        if (helpContext_) info.dwContextId = static_cast<DWORD_PTR>(helpContext_);
        SendMessageA(owner_, WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
      }
      return TRUE;
    default:
      break;
  }
  if (!OnMessage(msg, wp, lp, result)) return FALSE;
  // Messages with a result of their own return it; the others report it
  // through DWLP_MSGRESULT.
  switch (msg) {
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_QUERYDRAGICON:
      return result;
    default:
      SetWindowLongPtrA(hwnd_, DWLP_MSGRESULT, result);
      return TRUE;
  }
}

void ReportCurrentException(HWND hwnd, const char* where) {
  try {
    const auto info = TZWExceptInfo::FromCurrent(std::string("window ") + where);
    HWND top = hwnd ? GetAncestor(hwnd, GA_ROOTOWNER) : nullptr;
    ShowExceptionDialog(top, *info);
  } catch (...) {
    // Reporting failed as well (no memory): nothing more can be done here,
    // and nothing may leave the window procedure.
  }
}

}  // namespace zw::win
