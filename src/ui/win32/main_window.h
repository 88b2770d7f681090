// TForm1: the main window of zwillo.exe. It draws what the main form's
// models hold, routes the user's input to them and is the form's IHost: every
// rule lives in src/app; this class only creates controls, lays them out,
// copies model values into them and back, and runs the message loop.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <array>
#include <memory>
#include <cstdint>
#include <string>
#include <vector>

#include "app/host.h"
#include "app/main/main_form.h"
#include "app/main/program.h"
#include "app/results/check_by_criteria.h"
#include "ui/win32/option_page.h"
#include "ui/win32/result_list_view.h"
#include "ui/win32/url_label.h"

namespace zw::win {

class TForm1 : public IHost {
 public:
  TForm1(TProgram& program, HINSTANCE instance);
  ~TForm1() override;
  void SetForm(TMainForm* form) { form_ = form; }

  // Creates the window: the language named on the command line, the stored
  // settings, the chosen language, the first-start defaults, then the window
  // at its stored or centred place. False when the window cannot be made.
  bool Create(const std::string& commandLine, int showCommand);
  // Runs the message loop; when the window is first shown, the result list
  // file named as the first argument is imported and the command line runs.
  // Returns the exit code.
  int Run(const std::string& firstArgument, const std::string& commandLine,
          const std::vector<std::string>& longOptions);

  HWND Handle() const { return hwnd_; }

  // --- IHost ---
  int MessageBox(const std::string& text, const std::string& caption, TBoxStyle style,
                 uint16_t iconId) override;
  int QuestionBox(const std::string& text, const std::string& caption, TBoxStyle style,
                  uint16_t iconId, int defaultAnswer) override;
  int CountdownBox(const TCountdownRequest& request) override;
  void MessageNotShown(const std::string&, const std::string&, TBoxStyle) override {}
  std::optional<std::string> PickFolder(const std::string& title,
                                        const std::string& initial) override;
  std::optional<std::string> PickSaveFile(const std::string& title, const std::string& filter,
                                          int& filterIndex) override;
  std::optional<std::string> PickOpenFile(const std::string& title,
                                          const std::string& filter) override;
  void ShowPage(TPage page) override;
  void FocusControl(TControl control) override;
  void ShowFolderRow(TFolderList list, int32_t row) override;
  void ModelChanged() override;
  void ResultsChanged(bool scrollToFocus, bool focusOnTop) override;
  void SetStatusText(const std::string& text) override;
  void SetStatusPath(const std::string& text, const std::string& path) override;
  void SetProgress(int32_t position, int32_t maximum, int percent) override;
  void SetTitle(const std::string& title) override;
  void SetBusy(bool busy, bool listLocked) override;
  void ShowLog(bool modal) override;
  void ShowExceptionReport(const TZWExceptInfo& info) override;
  void SetClipboardText(const std::string& text) override;
  int ShellOpen(const std::string& target, const std::string& workingFolder) override;
  void Close() override;
  void RunUntil(const std::function<bool()>& done) override;

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  static LRESULT CALLBACK PageProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  LRESULT Handle(UINT msg, WPARAM wp, LPARAM lp);

  void CreateControls();
  void CreateResultsPage(HWND page);
  void CreateOptionPages();
  void CreateHelpAndAboutPages();
  HWND Add(HWND parent, const char* cls, const std::string& text, DWORD style, int id,
           DWORD exStyle = 0);
  void Layout();
  void LayoutResultsPage(int width, int height);
  void ApplyCaptions();
  std::string Caption(const char* key, const char* english) const;

  void OnCommand(int id, int code);
  LRESULT OnNotify(NMHDR* hdr);
  void OnTimer(UINT_PTR id);
  bool PreTranslate(MSG& msg);
  void PumpOnce(bool wait);
  void ShowPageIndex(int index);
  void ShowCheckDirection();
  void SetFormState(bool busy, bool listLocked);
  void UpdateHelpPage();
  void OpenHelp(int context);
  void OnHelpKey();
  void DrawStatus(const DRAWITEMSTRUCT& item);
  void StartProgress();
  void StopProgress();
  void RunClicked();
  void CancelClicked();
  void ReportException();
  void SaveWindowPlace();
  void RestoreWindowPlace(int showCommand);
  void ReadControls();
  // The option page shown in page window `page`, or nullptr.
  TOptionPage* OptionPageOf(HWND page) const;

  TProgram& program_;
  TMainForm* form_ = nullptr;
  HINSTANCE instance_;
  HWND hwnd_ = nullptr;
  int dpi_ = 96;
  HFONT font_ = nullptr;
  HFONT boldFont_ = nullptr;
  HFONT headingFont_ = nullptr;
  HFONT listFont_ = nullptr;  // the result list's
  HBRUSH pageBrush_ = nullptr;

  HWND tabs_ = nullptr;
  std::array<HWND, 6> pages_{};
  HWND status_ = nullptr;
  HWND anim_ = nullptr;
  HWND progress_ = nullptr;
  HWND percent_ = nullptr;
  HWND run_ = nullptr;
  HWND cancel_ = nullptr;
  // Comparison, scan and common options (pages 1 to 3).
  TPageContext pageContext_;
  std::array<std::unique_ptr<TOptionPage>, 3> optionPages_;
  // Help and About.
  HWND helpHeading_ = nullptr, helpText_ = nullptr, helpButton_ = nullptr;
  HWND version_ = nullptr, aboutText_ = nullptr, aboutPicture_ = nullptr;
  HBITMAP aboutBitmap_ = nullptr;
  TUrlLabel mailLink_, siteLink_;  // UrlLabelMail, UrlLabelSite

  TResultListView results_;
  std::unique_ptr<TCheckByCriteriaModel> criteria_;
  std::string statusText_;
  std::string statusPath_;
  int helpState_ = 0;
  std::string helpFile_;
  bool busy_ = false;
  bool listLocked_ = false;
  bool closing_ = false;
  bool closeAfterRun_ = false;
  int animFrame_ = 0;
  int animKind_ = 0;
  std::array<HBITMAP, 3> animStrips_{};  // searching, moving, deleting
  int exitCode_ = 0;
  // What runs when the window first shows.
  std::string startFirst_;
  std::string startLine_;
};

}  // namespace zw::win
