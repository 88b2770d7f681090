// The one dialog class of the window program: a small class that owns
// nothing but its window handle and hands the dialog's messages to virtual
// handlers. The static procedure stores `this` at WM_INITDIALOG. Dialogs
// come from .rc templates (DoModal) or from templates built in memory
// (RunModal, CreateModeless).
//
// No exception leaves the procedure. In a modal dialog a handler that
// throws ends the dialog, and DoModal / RunModal throw the exception again
// in their caller, whose own procedure reports it; a modeless dialog has no
// caller waiting, so it reports the exception itself.
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

  // Template `templateId` of the program, modal to `owner`; returns the
  // value End was given (-1 when the dialog could not be created).
  INT_PTR DoModal(HWND owner, int templateId);
  // The same from a template in memory.
  INT_PTR RunModal(HWND owner, const DLGTEMPLATE* tmpl);
  // A modeless dialog from a template in memory; null when it could not be
  // made.
  HWND CreateModeless(HWND owner, const DLGTEMPLATE* tmpl);

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
  // Pixels of dialog units of this dialog's font.
  int DluX(int dlu) const;
  int DluY(int dlu) const;

 protected:
  // A caption from the string table while a language other than the
  // built-in English is in force; otherwise the template's own text stays.
  void ApplyText(int id, TStrID text);
  void ApplyCaption(TStrID text);

  // WM_INITDIALOG; true lets the system focus the first control.
  virtual bool OnInit() { return true; }
  // WM_COMMAND; true when handled. An IDCANCEL nobody handled ends a modal
  // dialog.
  virtual bool OnCommand(int id, int code, HWND control) { return false; }
  // WM_NOTIFY; true when handled, with `result` the message's result.
  virtual bool OnNotify(const NMHDR& hdr, LRESULT& result) { return false; }
  // Any other message (and WM_NOTIFY that OnNotify left); true when handled,
  // with `result` for messages that have one.
  virtual bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, INT_PTR& result) { return false; }
  // After WM_NCDESTROY: the window is gone (the object may delete itself).
  virtual void OnDestroyed() {}
  // What the dialog is, for the state line of an exception report.
  virtual const char* Name() const { return "dialog"; }

  // The help context: F1 that the dialog does not handle itself goes to
  // the owner with it.
  int helpContext_ = 0;
  HWND hwnd_ = nullptr;

 private:
  static INT_PTR CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  INT_PTR Dispatch(UINT msg, WPARAM wp, LPARAM lp);
  INT_PTR FinishModal(INT_PTR result);

  HWND owner_ = nullptr;
  bool modal_ = false;
  std::exception_ptr error_;
};

// Reports the exception being handled (call only inside a catch block) in
// the exception dialog, owned by the top window of `hwnd`.
void ReportCurrentException(HWND hwnd, const char* where);

}  // namespace zw::win
