#include "dialog_base.h"

#include <utility>
#include <vector>

#include "app/text/language_files.h"
#include "app/text/string_table.h"

namespace zw::win {

INT_PTR TDialog::DoModal(HWND owner, int templateId) {
  owner_ = owner;
  error_ = nullptr;
  const INT_PTR result = DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(templateId),
                                         owner, &TDialog::Proc, reinterpret_cast<LPARAM>(this));
  hwnd_ = nullptr;
  if (error_) std::rethrow_exception(std::exchange(error_, nullptr));
  return result;
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

void TDialog::ApplyText(int id, TStrID text) {
  if (DialogsUseStringTable()) SetDlgItemTextA(hwnd_, id, Str(text).c_str());
}

void TDialog::ApplyCaption(TStrID text) {
  if (DialogsUseStringTable()) SetWindowTextA(hwnd_, Str(text).c_str());
}

INT_PTR CALLBACK TDialog::Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  TDialog* self = nullptr;
  if (msg == WM_INITDIALOG) {
    self = reinterpret_cast<TDialog*>(lParam);
    self->hwnd_ = hwnd;
    SetWindowLongPtrA(hwnd, DWLP_USER, lParam);
  } else {
    self = reinterpret_cast<TDialog*>(GetWindowLongPtrA(hwnd, DWLP_USER));
  }
  if (!self) return FALSE;
  if (self->error_) return FALSE;  // ending after a failure: nothing more runs
  try {
    return self->Dispatch(msg, wParam, lParam);
  } catch (...) {
    self->error_ = std::current_exception();
    EndDialog(hwnd, IDCANCEL);
    return msg == WM_INITDIALOG ? TRUE : FALSE;
  }
}

INT_PTR TDialog::Dispatch(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_INITDIALOG:
      if (helpContext_) SetWindowContextHelpId(hwnd_, static_cast<DWORD>(helpContext_));
      return OnInit() ? TRUE : FALSE;
    case WM_COMMAND: {
      const int id = LOWORD(wParam);
      if (OnCommand(id, HIWORD(wParam), reinterpret_cast<HWND>(lParam))) return TRUE;
      if (id == IDCANCEL) {
        End(IDCANCEL);
        return TRUE;
      }
      return FALSE;
    }
    case WM_NOTIFY: {
      LRESULT result = 0;
      if (!OnNotify(*reinterpret_cast<const NMHDR*>(lParam), result)) return FALSE;
      SetWindowLongPtrA(hwnd_, DWLP_MSGRESULT, result);
      return TRUE;
    }
    case WM_HELP: {
      // The owner opens the help; it learns the page from the context.
      if (!owner_) return TRUE;
      HELPINFO info = *reinterpret_cast<const HELPINFO*>(lParam);
      if (helpContext_) info.dwContextId = static_cast<DWORD_PTR>(helpContext_);
      SendMessageA(owner_, WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
      return TRUE;
    }
    default:
      return OnMessage(msg, wParam, lParam) ? TRUE : FALSE;
  }
}

}  // namespace zw::win
