// The three option pages of the main window (comparison, scan and common
// options). Each is a view over the window model: it creates its controls on
// its page window, lays them out, copies the model into them and the user's
// input back through the application's operations. The main window owns the
// pages, hands every message of a page window to its page and tells the
// pages of the form state and of a language change.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>

#include "app/host.h"
#include "app/main/main_form.h"
#include "app/window_model.h"

namespace zw::win {

// What a page may use of the main window.
struct TPageContext {
  TMainForm* form = nullptr;
  IHost* host = nullptr;  // the main window
  HINSTANCE instance = nullptr;
  HWND owner = nullptr;  // the main window
  int dpi = 96;
  HFONT font = nullptr;      // the message font of every control
  HFONT boldFont = nullptr;  // headings
  // A display option changed: the main window redraws the result list.
  std::function<void()> displayChanged;
  // A language was applied: the main window gives every page and itself
  // their captions again.
  std::function<void()> languageApplied;
  // The program closes (a restart for the built-in English).
  std::function<void()> closeWindow;
  // Opens the help topic of a context.
  std::function<void(int context)> openHelp;
  // The result list's font dialog (Apply shows each font at once).
  std::function<void()> chooseResultFont;

  // Makes a folder list box a drag source and a drop target (set by the
  // main window; the scan options page calls it for both lists).
  std::function<void(HWND list, TFolderList which)> attachFolderList;

  int Scale(int pixels) const { return MulDiv(pixels, dpi, 96); }
};

class TOptionPage {
 public:
  explicit TOptionPage(TPageContext& context) : ctx_(context) {}
  virtual ~TOptionPage() = default;
  TOptionPage(const TOptionPage&) = delete;
  TOptionPage& operator=(const TOptionPage&) = delete;

  // Creates the controls on the page window `page`.
  virtual void Create(HWND page) = 0;
  // Places the controls in a page of this size (pixels).
  virtual void Layout(int width, int height) = 0;
  // Captions and hints in the language in force.
  virtual void ApplyCaptions() = 0;
  // The model into the controls (after anything changed the model).
  virtual void ModelToControls() = 0;
  // What the controls hold that is not yet in the model (before a run and
  // on closing).
  virtual void ControlsToModel() {}
  // A message sent to the page window (WM_COMMAND, WM_NOTIFY, WM_DRAWITEM,
  // WM_MEASUREITEM, WM_CTLCOLOR..., WM_CONTEXTMENU, WM_VSCROLL, ...).
  // `handled` false lets the window's default handling run.
  virtual LRESULT Message(UINT msg, WPARAM wp, LPARAM lp, bool& handled) = 0;
  // While the form is busy the page's controls are disabled, except those
  // that stay usable during a run.
  virtual void SetBusy(bool busy) = 0;
  // The control the application names, or nullptr when the page has none.
  virtual HWND ControlFor(TControl control) const = 0;
  // The page is about to be left (another tab, Run): false keeps it.
  virtual bool Leaving() { return true; }
  // A folder row was added or selected: the list shows it.
  virtual void ShowFolderRow(TFolderList, int32_t) {}

  HWND Page() const { return page_; }

 protected:
  TPageContext& ctx_;
  HWND page_ = nullptr;
};

std::unique_ptr<TOptionPage> MakeComparisonPage(TPageContext& context);
std::unique_ptr<TOptionPage> MakeScanOptionsPage(TPageContext& context);
std::unique_ptr<TOptionPage> MakeCommonOptionsPage(TPageContext& context);

// Creates a child control with the message font.
HWND AddControl(const TPageContext& context, HWND parent, const char* cls,
                const std::string& text, DWORD style, int id, DWORD exStyle = 0);
// Sets a check box from a flag, and reads it.
void SetChecked(HWND box, bool on);
bool IsChecked(HWND box);

}  // namespace zw::win
