// A modal dialog from an .rc template: a small class that owns nothing but
// its window handle and hands the dialog's messages to virtual handlers.
// The static procedure stores `this` at WM_INITDIALOG. No exception leaves
// the procedure: a handler that throws ends the dialog, and DoModal throws
// the exception again in its caller, whose own procedure reports it.
#pragma once
#include <windows.h>

#include <exception>
#include <string>

#include "app/text_ids.h"

namespace zw::win {

class TDialog {
 public:
  TDialog() = default;
  TDialog(const TDialog&) = delete;
  TDialog& operator=(const TDialog&) = delete;
  virtual ~TDialog() = default;

  // Shows template `templateId` of the program modally to `owner`; returns
  // the value End was given (-1 when the dialog could not be created).
  INT_PTR DoModal(HWND owner, int templateId);

  HWND Handle() const { return hwnd_; }
  HWND Item(int id) const { return GetDlgItem(hwnd_, id); }
  std::string ItemText(int id) const;
  // Sets the text only when it differs, so that the caret of an edit the
  // user types in stays where it is.
  void SetItemText(int id, const std::string& text);
  bool IsChecked(int id) const { return IsDlgButtonChecked(hwnd_, id) == BST_CHECKED; }
  void SetChecked(int id, bool on) { CheckDlgButton(hwnd_, id, on ? BST_CHECKED : BST_UNCHECKED); }
  void Enable(int id, bool on);
  // Moves the focus to a control as the Tab key would (the default button
  // follows), and selects text of an edit or of a combo box's edit.
  void FocusItem(int id, int selStart = 0, int selLength = -1);
  void End(INT_PTR result) { EndDialog(hwnd_, result); }

 protected:
  // A caption from the string table while a language other than the
  // built-in English is in force; otherwise the template's own text stays.
  void ApplyText(int id, TStrID text);
  void ApplyCaption(TStrID text);

  // WM_INITDIALOG; the return value as the message wants it (true: the
  // dialog focuses its first control).
  virtual bool OnInit() { return true; }
  // WM_COMMAND; true when handled. IDCANCEL not handled ends the dialog.
  virtual bool OnCommand(int id, int code, HWND control) { return false; }
  // WM_NOTIFY; true when handled, with `result` the message's result.
  virtual bool OnNotify(const NMHDR& hdr, LRESULT& result) { return false; }
  // Any other message; true when handled.
  virtual bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) { return false; }

  // The help context WM_HELP names when it goes to the owner.
  int helpContext_ = 0;

 private:
  static INT_PTR CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  INT_PTR Dispatch(UINT msg, WPARAM wParam, LPARAM lParam);

  HWND hwnd_ = nullptr;
  HWND owner_ = nullptr;
  std::exception_ptr error_;
};

}  // namespace zw::win
