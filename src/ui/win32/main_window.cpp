#include "ui/win32/main_window.h"

#include <windowsx.h>
#include <shellapi.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <stdexcept>

#include "app/log/exception_report.h"
#include "app/log/log_details.h"
#include "app/options/long_options.h"
#include "app/results/catalog_dialog.h"
#include "app/results/check_by_criteria.h"
#include "app/results/check_rules.h"
#include "app/results/checked_status.h"
#include "app/results/result_files.h"
#include "app/shell/product.h"
#include "app/text/countdown_box.h"
#include "app/text/language_files.h"
#include "app/text/string_table.h"
#include "app/text_ids.h"
#include "platform/files.h"
#include "platform/filetime.h"
#include "platform/shell.h"
#include "ui/win32/box_dialog.h"
#include "ui/win32/captions.h"
#include "art_ids.h"
#include "ui/win32/catalog_dialog_win.h"
#include "ui/win32/check_dialog.h"
#include "ui/win32/countdown_dialog.h"
#include "ui/win32/drag_drop.h"
#include "ui/win32/exception_dialog.h"
#include "ui/win32/file_dialogs.h"
#include "ui/win32/font_dialog.h"
#include "ui/win32/help_contexts.h"
#include "ui/win32/keyboardable_toolbar.h"
#include "ui/win32/log_window.h"
#include "ui/win32/message_boxes.h"
#include "ui/win32/url_label.h"

namespace zw::win {

namespace {

constexpr char kWindowClass[] = "TForm1";
constexpr char kPageClass[] = "ZwPage";

// Timers: worker messages are fetched every 25 ms, progress every 200 ms,
// the animation every 100 ms.
constexpr UINT_PTR kEventTimer = 1;
constexpr UINT_PTR kProgressTimer = 2;
constexpr UINT_PTR kAnimTimer = 3;
constexpr UINT_PTR kHintTimer = 4;
constexpr UINT kStartMessage = WM_APP + 1;

enum : int {
  idTabs = 100, idStatus, idAnim, idProgress, idPercent, idRun, idCancel,
  idList = 200, idGroupLabel, idRadio0,  // .. idRadio0 + 5 in the order of the tags
  idCheckTabs = idRadio0 + 6, idCheckBar, idActionBar,
  idCheckAll = 300, idCheckSelected, idCheckFirst, idCheckLast, idCheckByCriteria,
  idMove = 320, idRecycle, idDelete, idReplace,
  // The option pages' controls use 400 to 799 (see the pages).
  idHelpButton = 460, idAboutText, idVersion, idAboutPicture, idMailLink, idSiteLink,
};

// Page tabs in their order, with their help contexts.
const int kPageHelp[6] = {IDH_RESULTS_PAGE,   IDH_COMPARISON_OPTIONS, IDH_SCAN_OPTIONS,
                          IDH_COMMON_OPTIONS, IDH_HELP_PAGE,          IDH_ABOUT_PAGE};

bool KeyDown(int vk) { return (GetKeyState(vk) & 0x8000) != 0; }

// Radio buttons in their panel order, with their tags (the grouping mode).
struct TRadio {
  int tag;
  const char* key;
  const char* english;
};
const TRadio kRadios[6] = {
    {kModeDupeSets, "lblRBDupeSets", "duplicate sets"}, {kModeName, "lblRBFilename", "filename"},
    {kModePath, "lblRBPath", "path"},                   {kModeSize, "lblRBSize", "size"},
    {kModeDate, "lblRBDate", "date"},                   {kModeCrc, "lblRBCRC32", "CRC32"}};

}  // namespace

TForm1::TForm1(TProgram& program, HINSTANCE instance) : program_(program), instance_(instance) {}

TForm1::~TForm1() {
  if (font_) DeleteObject(font_);
  if (boldFont_) DeleteObject(boldFont_);
  if (headingFont_) DeleteObject(headingFont_);
  if (listFont_) DeleteObject(listFont_);
  if (pageBrush_) DeleteObject(pageBrush_);
  if (aboutBitmap_) DeleteObject(aboutBitmap_);
  for (HBITMAP strip : animStrips_)
    if (strip) DeleteObject(strip);
}

// --- creating ---------------------------------------------------------------------------------

bool TForm1::Create(const std::string& commandLine, int showCommand) {
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = instance_;
  wc.hIcon = static_cast<HICON>(LoadImageA(instance_, MAKEINTRESOURCEA(IDI_ZWILLO), IMAGE_ICON,
                                           0, 0, LR_DEFAULTSIZE));
  wc.hIconSm = static_cast<HICON>(
      LoadImageA(instance_, MAKEINTRESOURCEA(IDI_ZWILLO), IMAGE_ICON,
                 GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = kWindowClass;
  RegisterClassExA(&wc);
  WNDCLASSEXA pc = wc;
  pc.lpfnWndProc = PageProc;
  pc.hIcon = nullptr;
  pc.hIconSm = nullptr;
  pc.lpszClassName = kPageClass;
  RegisterClassExA(&pc);

  HDC screen = GetDC(nullptr);
  dpi_ = GetDeviceCaps(screen, LOGPIXELSX);
  ReleaseDC(nullptr, screen);
  NONCLIENTMETRICSA metrics{};
  metrics.cbSize = sizeof metrics;
  SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
  font_ = CreateFontIndirectA(&metrics.lfMessageFont);
  LOGFONTA bold = metrics.lfMessageFont;
  bold.lfWeight = FW_BOLD;
  boldFont_ = CreateFontIndirectA(&bold);
  bold.lfHeight = bold.lfHeight * 3 / 2;
  headingFont_ = CreateFontIndirectA(&bold);
  pageBrush_ = CreateSolidBrush(GetSysColor(COLOR_BTNFACE));

  // The help file and its viewer: 1 ready, 2 file missing, 3 viewer missing.
  helpFile_ = platform::ProgramFolder() + kHelpFileName;
  if (!platform::FileExists(helpFile_)) {
    helpState_ = 2;
  } else {
    HMODULE viewer = LoadLibraryA("hhctrl.ocx");
    helpState_ = viewer && GetProcAddress(viewer, "HtmlHelpA") ? 1 : 3;
  }

  // As the program without a window: the language list and -lang, the
  // stored settings, the chosen language, the first-start defaults.
  TMainForm& form = *form_;
  form.PrepareLanguages(commandLine, platform::DataFolders());
  form.LoadStartupSettings();

  RECT r{0, 0, MulDiv(688, dpi_, 96), MulDiv(454, dpi_, 96)};
  const DWORD style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
  AdjustWindowRectEx(&r, style, FALSE, WS_EX_CONTROLPARENT);
  hwnd_ = CreateWindowExA(WS_EX_CONTROLPARENT, kWindowClass, kProductName, style, CW_USEDEFAULT,
                          CW_USEDEFAULT, r.right - r.left, r.bottom - r.top, nullptr, nullptr,
                          instance_, this);
  if (!hwnd_) return false;
  CreateControls();
  statusText_ = Str(strIdle);
  ApplyCaptions();
  ModelChanged();
  SetFormState(false, false);
  UpdateHelpPage();
  RestoreWindowPlace(showCommand);
  SetTimer(hwnd_, kEventTimer, 25, nullptr);
  // An exception line of the scan log opens its report.
  SetExceptDialog([this](std::shared_ptr<TZWExceptInfo> info) {
    if (info) ShowExceptionDialog(hwnd_, *info);
  });
  // A file action runs on this thread: between its files the window
  // repaints and its Cancel button works.
  form.FileActions().processMessages = [this] { PumpOnce(false); };
  return true;
}

HWND TForm1::Add(HWND parent, const char* cls, const std::string& text, DWORD style, int id,
                 DWORD exStyle) {
  HWND h = CreateWindowExA(exStyle, cls, text.c_str(), WS_CHILD | WS_VISIBLE | style, 0, 0, 10, 10,
                           parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance_,
                           nullptr);
  SendMessageA(h, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
  return h;
}

void TForm1::CreateControls() {
  tabs_ = Add(hwnd_, WC_TABCONTROLA, "", WS_TABSTOP | WS_CLIPSIBLINGS, idTabs);
  for (size_t i = 0; i < pages_.size(); ++i) {
    TCITEMA item{};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<char*>("");
    TabCtrl_InsertItem(tabs_, static_cast<int>(i), &item);
    pages_[i] = CreateWindowExA(WS_EX_CONTROLPARENT, kPageClass, "",
                                WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | (i == 0 ? WS_VISIBLE : 0),
                                0, 0, 10, 10, hwnd_, nullptr, instance_, this);
    // Above the tab control, which only draws the tabs and the frame.
    SetWindowPos(pages_[i], HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
  status_ = Add(hwnd_, "STATIC", "", SS_OWNERDRAW | SS_NOTIFY, idStatus);
  anim_ = Add(hwnd_, "STATIC", "", SS_OWNERDRAW, idAnim);
  progress_ = Add(hwnd_, PROGRESS_CLASSA, "", PBS_SMOOTH, idProgress);
  SendMessageA(progress_, PBM_SETRANGE32, 0, 100);
  percent_ = Add(hwnd_, "STATIC", "0%", SS_RIGHT, idPercent);
  run_ = Add(hwnd_, "BUTTON", "Run", WS_TABSTOP | BS_PUSHBUTTON, idRun);
  cancel_ = Add(hwnd_, "BUTTON", "Cancel...", WS_TABSTOP | BS_PUSHBUTTON, idCancel);
  static const int kStrips[3] = {IDB_ANIM_SEARCH, IDB_ANIM_COPY, IDB_ANIM_DELETE};
  for (int i = 0; i < 3; ++i)
    animStrips_[i] = static_cast<HBITMAP>(LoadImageA(instance_, MAKEINTRESOURCEA(kStrips[i]),
                                                     IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  CreateResultsPage(pages_[0]);
  CreateOptionPages();
  CreateHelpAndAboutPages();
}

void TForm1::CreateResultsPage(HWND page) {
  Add(page, "STATIC", "group by", SS_LEFT, idGroupLabel);
  for (int i = 0; i < 6; ++i)
    Add(page, "BUTTON", kRadios[i].english, BS_AUTORADIOBUTTON | (i == 0 ? WS_GROUP | WS_TABSTOP : 0),
        idRadio0 + i);
  SendDlgItemMessageA(page, idRadio0, WM_SETFONT, reinterpret_cast<WPARAM>(boldFont_), FALSE);
  CheckRadioButton(page, idRadio0, idRadio0 + 5, idRadio0);
  results_.Create(page, instance_, idList, *form_, *this, dpi_);
  listFont_ = MakeFont(form_->Model().resultFont, dpi_);
  results_.SetFont(listFont_ ? listFont_ : font_);
  results_.chooseFont = [this] {
    // Apply shows a font at once; Cancel goes back to the one before.
    TFontModel& model = form_->Model().resultFont;
    const TFontModel before = model;
    auto show = [this](const TFontModel& font) {
      HFONT made = MakeFont(font, dpi_);
      if (!made) return;
      results_.SetFont(made);
      if (listFont_) DeleteObject(listFont_);
      listFont_ = made;
    };
    if (ChooseResultFont(hwnd_, model, dpi_, show))
      show(model);
    else
      show(before);
  };
  results_.showColors = [this] {
    // The colour box of the focused row's kind opens (light without one).
    ShowPage(TPage::CommonOptions);
    const int kind = std::max(0, form_->ResultView().RowKind(form_->Model().results.focused));
    HWND box = optionPages_[2]->ControlFor(
        static_cast<TControl>(static_cast<int>(TControl::CBListLight) + std::min(kind, 3)));
    if (box && IsWindowEnabled(box)) {
      SetFocus(box);
      SendMessageA(box, CB_SHOWDROPDOWN, TRUE, 0);
    }
  };
  results_.checksChanged = [this] { form_->ShowCheckedStatus(); };
  results_.switchTab = [this] {
    const bool uncheck = !form_->Model().results.uncheckTab;
    form_->Model().results.uncheckTab = uncheck;
    TabCtrl_SetCurSel(GetDlgItem(pages_[0], idCheckTabs), uncheck ? 1 : 0);
    ShowCheckDirection();
  };
  results_.openCriteria = [this] { OnCommand(idCheckByCriteria, BN_CLICKED); };
  results_.createCatfile = [this] {
    TCatalogDialogModel model;
    TCatFileOptions options;
    if (CreateCatalogDialog(hwnd_, model, form_->Results(), *this, options))
      form_->CreateCatfile(options);
  };
  results_.hint = [this](const std::string& text) {
    SetStatusText(text);
    SetTimer(hwnd_, kHintTimer, 3000, nullptr);
  };

  HWND checkTabs = Add(page, WC_TABCONTROLA, "", WS_TABSTOP | WS_CLIPSIBLINGS, idCheckTabs);
  TabCtrl_SetImageList(checkTabs, LoadCheckImages(instance_, false));
  for (int i = 0; i < 2; ++i) {
    TCITEMA item{};
    item.mask = TCIF_TEXT | TCIF_IMAGE;
    item.iImage = i == 0 ? ZW_CHECK_CHECKED_LIGHT : ZW_CHECK_UNCHECKED_LIGHT;
    item.pszText = const_cast<char*>(i == 0 ? "Check" : "Uncheck");
    TabCtrl_InsertItem(checkTabs, i, &item);
  }
  // The two tool bars: text buttons in a row.
  auto toolbar = [&](int id, const int* ids, int count) {
    HWND bar = CreateWindowExA(0, TOOLBARCLASSNAMEA, "",
                               WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_LIST |
                                   CCS_NORESIZE | CCS_NODIVIDER | CCS_NOPARENTALIGN | WS_TABSTOP,
                               0, 0, 10, 10, page, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                               instance_, nullptr);
    SendMessageA(bar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    SendMessageA(bar, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    SendMessageA(bar, TB_SETEXTENDEDSTYLE, 0, TBSTYLE_EX_MIXEDBUTTONS);
    for (int i = 0; i < count; ++i) {
      TBBUTTON button{};
      button.iBitmap = I_IMAGENONE;
      button.idCommand = ids[i];
      button.fsState = TBSTATE_ENABLED;
      button.fsStyle = BTNS_BUTTON | BTNS_AUTOSIZE | BTNS_SHOWTEXT;
      button.iString = reinterpret_cast<INT_PTR>("");
      SendMessageA(bar, TB_ADDBUTTONSA, 1, reinterpret_cast<LPARAM>(&button));
    }
    MakeKeyboardable(bar);
    return bar;
  };
  static const int kCheckIds[] = {idCheckAll, idCheckSelected, idCheckFirst, idCheckLast,
                                  idCheckByCriteria};
  static const int kActionIds[] = {idMove, idRecycle, idDelete, idReplace};
  HWND checkBar = toolbar(idCheckBar, kCheckIds, 5);
  // The check bar's buttons show the mark of the tab's direction, dimmed
  // while disabled.
  SendMessageA(checkBar, TB_SETIMAGELIST, 0,
               reinterpret_cast<LPARAM>(LoadCheckImages(instance_, false)));
  SendMessageA(checkBar, TB_SETDISABLEDIMAGELIST, 0,
               reinterpret_cast<LPARAM>(LoadCheckImages(instance_, true)));
  ShowCheckDirection();
  toolbar(idActionBar, kActionIds, 4);
}

void TForm1::CreateOptionPages() {
  pageContext_.form = form_;
  pageContext_.host = this;
  pageContext_.instance = instance_;
  pageContext_.owner = hwnd_;
  pageContext_.dpi = dpi_;
  pageContext_.font = font_;
  pageContext_.boldFont = boldFont_;
  pageContext_.displayChanged = [this] { InvalidateRect(results_.Handle(), nullptr, FALSE); };
  pageContext_.languageApplied = [this] {
    ApplyCaptions();
    UpdateHelpPage();
  };
  pageContext_.closeWindow = [this] { Close(); };
  pageContext_.openHelp = [this](int context) { OpenHelp(context); };
  pageContext_.chooseResultFont = [this] { results_.chooseFont(); };
  pageContext_.attachFolderList = [this](HWND list, TFolderList which) {
    AttachFolderListDragDrop(list, which, pageContext_);
  };
  optionPages_[0] = MakeComparisonPage(pageContext_);
  optionPages_[1] = MakeScanOptionsPage(pageContext_);
  optionPages_[2] = MakeCommonOptionsPage(pageContext_);
  for (size_t i = 0; i < optionPages_.size(); ++i) optionPages_[i]->Create(pages_[i + 1]);
}

TOptionPage* TForm1::OptionPageOf(HWND page) const {
  for (size_t i = 0; i < optionPages_.size(); ++i)
    if (pages_[i + 1] == page && optionPages_[i]) return optionPages_[i].get();
  return nullptr;
}

void TForm1::CreateHelpAndAboutPages() {
  helpHeading_ = Add(pages_[4], "STATIC", "Help system: unknown error", SS_LEFT | SS_NOPREFIX, 0);
  SendMessageA(helpHeading_, WM_SETFONT, reinterpret_cast<WPARAM>(headingFont_), FALSE);
  helpText_ = Add(pages_[4], "STATIC", "", SS_LEFT | SS_NOPREFIX, 0);
  helpButton_ = Add(pages_[4], "BUTTON", "Write email", BS_PUSHBUTTON | WS_TABSTOP, idHelpButton);

  HWND about = pages_[5];
  aboutPicture_ = Add(about, "STATIC", "", SS_OWNERDRAW, idAboutPicture);
  aboutBitmap_ = static_cast<HBITMAP>(
      LoadImageA(instance_, MAKEINTRESOURCEA(IDB_ABOUT), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  HWND title = Add(about, "STATIC", kProductName, SS_LEFT | SS_NOPREFIX, 0);
  SendMessageA(title, WM_SETFONT, reinterpret_cast<WPARAM>(headingFont_), FALSE);
  version_ = Add(about, "STATIC", std::string("V ") + kVersionText, SS_LEFT, idVersion);
  aboutText_ = Add(about, "STATIC",
                   std::string("Finds duplicate files and helps you remove them safely: a file is "
                               "only ever deleted, recycled, moved or replaced while another copy "
                               "with the same bytes stays.\r\n\r\n") +
                       kPublisher,
                   SS_LEFT | SS_NOPREFIX, idAboutText);
  // The maker's address and web page as links.
  mailLink_.URL = std::string("mailto:") + kSupportAddress;
  mailLink_.URLClipboard = kSupportAddress;
  mailLink_.Create(about, idMailLink, font_);
  mailLink_.SetCaption(kSupportAddress);
  siteLink_.URL = ProductPage(Str(strWebsiteLang));
  siteLink_.Create(about, idSiteLink, font_);
  siteLink_.SetCaption(siteLink_.URL);
}

std::string TForm1::Caption(const char* key, const char* english) const {
  return win::Caption(key, english);
}

void TForm1::ApplyCaptions() {
  static const char* const kPages[6][2] = {
      {"lblPageResults", "Zwillo"},          {"lblPageCompOptions", "Comparison Options"},
      {"lblPageScanOptions", "Scan Options"}, {"lblPageCommonOptions", "Common Options"},
      {"lblPageHelp", "Help"},               {"lblPageAbout", "About"}};
  for (int i = 0; i < 6; ++i) {
    const std::string text = Caption(kPages[i][0], kPages[i][1]);
    TCITEMA item{};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<char*>(text.c_str());
    TabCtrl_SetItem(tabs_, i, &item);
  }
  SetWindowTextA(run_, Caption("lblBtnRun", "Run").c_str());
  SetWindowTextA(cancel_, Caption("lblBtnCancel", "Cancel...").c_str());
  HWND page = pages_[0];
  SetDlgItemTextA(page, idGroupLabel, Caption("lblGroupBy", "group by").c_str());
  for (int i = 0; i < 6; ++i)
    SetDlgItemTextA(page, idRadio0 + i, Caption(kRadios[i].key, kRadios[i].english).c_str());
  const std::string columns[5] = {
      Caption("lblResListFilename", "Filename"), Caption("lblResListPath", "Path"),
      Caption("lblResListSize", "Size"), Caption("lblResListDate", "Date"),
      Caption("lblResListCRC32", "CRC32")};
  results_.ApplyColumnTexts(columns);
  HWND checkTabs = GetDlgItem(page, idCheckTabs);
  const std::string tabTexts[2] = {Caption("lblTabCheck", "Check"),
                                   Caption("lblTabUncheck", "Uncheck")};
  for (int i = 0; i < 2; ++i) {
    TCITEMA item{};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<char*>(tabTexts[i].c_str());
    TabCtrl_SetItem(checkTabs, i, &item);
  }
  auto button = [&](int bar, int id, const std::string& text) {
    TBBUTTONINFOA info{};
    info.cbSize = sizeof info;
    info.dwMask = TBIF_TEXT;
    info.pszText = const_cast<char*>(text.c_str());
    SendMessageA(GetDlgItem(page, bar), TB_SETBUTTONINFOA, id, reinterpret_cast<LPARAM>(&info));
  };
  button(idCheckBar, idCheckAll, Caption("lblBtnCheckAll", " all files"));
  button(idCheckBar, idCheckSelected, Caption("lblBtnCheckSel", " selected files"));
  button(idCheckBar, idCheckFirst, Caption("lblBtnCheckFirst", " first files of groups"));
  button(idCheckBar, idCheckLast, Caption("lblBtnCheckLast", " last files of groups"));
  button(idCheckBar, idCheckByCriteria, Caption("lblBtnCheckCriteria", " by criteria..."));
  button(idActionBar, idMove, Caption("lblBtnMove", " move checked files..."));
  button(idActionBar, idRecycle, Caption("lblBtnRecycle", " move to recycle bin"));
  button(idActionBar, idDelete, Caption("lblBtnDelete", " delete checked files"));
  button(idActionBar, idReplace, Caption("lblBtnReplace", " replace by shortcut"));
  for (auto& optionPage : optionPages_) optionPage->ApplyCaptions();
  mailLink_.CaptionLaunch = Caption("lblPopMailLaunch", "&Open eMail Program");
  mailLink_.CaptionCopy = Caption("lblPopMailCopy", "&Copy eMail Address");
  siteLink_.CaptionLaunch = Str(lblPopWebLaunch);
  siteLink_.CaptionCopy = Str(lblPopWebCopy);
  Layout();
}

// --- layout -----------------------------------------------------------------------------------

void TForm1::Layout() {
  if (!hwnd_ || !tabs_) return;
  RECT client;
  GetClientRect(hwnd_, &client);
  const int w = client.right, h = client.bottom;
  auto S = [this](int v) { return MulDiv(v, dpi_, 96); };
  const int bottom = S(62);
  MoveWindow(tabs_, S(4), S(4), w - S(8), h - bottom - S(4), TRUE);
  RECT inner{S(4), S(4), w - S(4), h - bottom};
  TabCtrl_AdjustRect(tabs_, FALSE, &inner);
  for (HWND page : pages_)
    MoveWindow(page, inner.left, inner.top, inner.right - inner.left, inner.bottom - inner.top,
               TRUE);
  // The status line, then the animation, progress, percentage and buttons.
  MoveWindow(status_, S(8), h - bottom + S(6), w - S(16), S(18), TRUE);
  const int row = h - S(32);
  MoveWindow(anim_, S(8), row - S(4), S(32), S(32), TRUE);
  const int buttons = S(2 * 84 + 8);
  MoveWindow(progress_, S(48), row + S(4), w - S(48) - buttons - S(56), S(16), TRUE);
  MoveWindow(percent_, w - buttons - S(52), row + S(5), S(40), S(16), TRUE);
  MoveWindow(run_, w - buttons, row, S(84), S(25), TRUE);
  MoveWindow(cancel_, w - S(92), row, S(84), S(25), TRUE);
  LayoutResultsPage(inner.right - inner.left, inner.bottom - inner.top);

  for (auto& optionPage : optionPages_)
    optionPage->Layout(inner.right - inner.left, inner.bottom - inner.top);

  // Help: heading, text sized to its wrapped lines, the button 10 below it.
  const int pw = inner.right - inner.left - S(40);
  MoveWindow(helpHeading_, S(20), S(20), pw, S(28), TRUE);
  char text[2048];
  GetWindowTextA(helpText_, text, sizeof text);
  HDC dc = GetDC(helpText_);
  HGDIOBJ old = SelectObject(dc, font_);
  RECT tr{0, 0, pw, 0};
  DrawTextA(dc, text, -1, &tr, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
  SelectObject(dc, old);
  ReleaseDC(helpText_, dc);
  MoveWindow(helpText_, S(20), S(60), pw, tr.bottom, TRUE);
  MoveWindow(helpButton_, S(20), S(60) + tr.bottom + S(10), S(160), S(25), TRUE);
  int ay = S(20);
  for (HWND c = GetWindow(pages_[5], GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    const bool link = c == mailLink_.Handle() || c == siteLink_.Handle();
    const int height = c == aboutText_     ? S(64)
                       : c == aboutPicture_ ? S(96)
                       : link               ? S(18)
                                            : S(28);
    const int width = c == aboutPicture_ ? S(96)
                      : link ? (c == mailLink_.Handle() ? mailLink_ : siteLink_).TextWidth() + S(4)
                             : pw;
    MoveWindow(c, S(20), ay, width, height, TRUE);
    ay += height + S(8);
  }
  // Everything anew: a maximised window otherwise keeps blanks where
  // controls stood before they moved (seen under wine).
  RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void TForm1::LayoutResultsPage(int width, int height) {
  HWND page = pages_[0];
  auto S = [this](int v) { return MulDiv(v, dpi_, 96); };
  // The grouping panel: each radio as wide as its caption plus 18, the room
  // left shared among them.
  HDC dc = GetDC(page);
  HGDIOBJ old = SelectObject(dc, font_);
  auto textWidth = [&](HWND control, HFONT font) {
    char text[256];
    GetWindowTextA(control, text, sizeof text);
    SelectObject(dc, font);
    SIZE size{};
    GetTextExtentPoint32A(dc, text, static_cast<int>(strlen(text)), &size);
    return static_cast<int>(size.cx);
  };
  HWND label = GetDlgItem(page, idGroupLabel);
  const int labelWidth = textWidth(label, font_);
  MoveWindow(label, S(6), S(8), labelWidth + S(4), S(16), TRUE);
  const int labelRight = S(6) + labelWidth + S(4);
  int widths[6];
  int total = 0;
  for (int i = 0; i < 6; ++i) {
    widths[i] = textWidth(GetDlgItem(page, idRadio0 + i), i == 0 ? boldFont_ : font_) + S(18);
    total += widths[i];
  }
  const int first = labelRight + S(15);
  const int room = std::min<int>(width - S(11) - first - total, S(864));
  const int extra = std::max(room / 5, S(10));
  int x = first;
  for (int i = 0; i < 6; ++i) {
    const int w = std::min<int>(widths[i] + (i == 5 ? 0 : extra), std::max<int>(width - x - S(4), S(20)));
    MoveWindow(GetDlgItem(page, idRadio0 + i), x, S(6), w, S(20), TRUE);
    x += widths[i] + extra;
  }
  SelectObject(dc, old);
  ReleaseDC(page, dc);

  const int barHeight = S(26);
  const int bottomArea = S(30) + barHeight + S(4) + barHeight;
  MoveWindow(results_.Handle(), S(4), S(30), width - S(8), height - S(30) - bottomArea, TRUE);
  const int y = height - bottomArea + S(4);
  HWND checkTabs = GetDlgItem(page, idCheckTabs);
  MoveWindow(checkTabs, S(4), y, width - S(8), S(26) + barHeight + S(4), TRUE);
  RECT tr{S(4), y, width - S(4), y + S(26) + barHeight + S(4)};
  TabCtrl_AdjustRect(checkTabs, FALSE, &tr);
  HWND checkBar = GetDlgItem(page, idCheckBar);
  MoveWindow(checkBar, tr.left, tr.top, tr.right - tr.left, tr.bottom - tr.top, TRUE);
  SetWindowPos(checkBar, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  MoveWindow(GetDlgItem(page, idActionBar), S(4), height - barHeight - S(2), width - S(8),
             barHeight, TRUE);
}

// --- the message loop -------------------------------------------------------------------------

int TForm1::Run(const std::string& firstArgument, const std::string& commandLine,
                const std::vector<std::string>& longOptions) {
  // Long options change what the stored settings gave, before anything runs.
  if (!ApplyLongOptions(longOptions, form_->Model(), *this, form_->Presenter())) {
    DestroyWindow(hwnd_);
    return 1;
  }
  ModelChanged();
  // When the window is first shown: the result list file named first, then
  // the command line.
  startFirst_ = firstArgument;
  startLine_ = commandLine;
  PostMessageA(hwnd_, kStartMessage, 0, 0);
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    if (msg.hwnd == hwnd_ && msg.message == kStartMessage) {
      try {
        // For the screenshots of the exception report: a start that fails.
        if (const char* raise = std::getenv("ZWILLO_TEST_EXCEPTION"); raise && *raise)
          throw std::runtime_error("ZWILLO_TEST_EXCEPTION is set: this start raises an exception");
        if (TResultFiles::IsStartFile(startFirst_) && form_->ImportStartFile(startFirst_))
          ResultsChanged(false, false);
        if (!form_->RunCommandLine(startLine_)) exitCode_ = 1;
        if (form_->CloseRequested() && IsWindow(hwnd_)) PostMessageA(hwnd_, WM_CLOSE, 0, 0);
      } catch (...) {
        ReportException();
      }
      continue;
    }
    if (PreTranslate(msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  CloseLogWindow();
  return exitCode_;
}

void TForm1::PumpOnce(bool wait) {
  if (wait) MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
    if (PreTranslate(msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  program_.DispatchEvents(std::chrono::milliseconds(0));
}

void TForm1::RunUntil(const std::function<bool()>& done) {
  while (!done()) {
    if (!IsWindow(hwnd_)) {
      // The window is gone: the workers still finish.
      program_.DispatchEvents(std::chrono::milliseconds(20));
      if (form_->Busy()) form_->UpdateProgress();
      continue;
    }
    PumpOnce(true);
  }
}

bool TForm1::PreTranslate(MSG& msg) {
  if (LogWindowMessage(msg)) return true;
  const HWND root = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
  if (root != hwnd_) return false;
  if (msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN) {
    const WPARAM vk = msg.wParam;
    const bool ctrl = KeyDown(VK_CONTROL), alt = KeyDown(VK_MENU);
    if (vk == VK_F11) {
      ShowWindow(hwnd_, IsZoomed(hwnd_) ? SW_RESTORE : SW_MAXIMIZE);
      return true;
    }
    if (ctrl && !alt && vk == VK_TAB) {
      // Ctrl+Tab and Ctrl+Shift+Tab go round the pages, as the tab would.
      const int count = static_cast<int>(pages_.size());
      const int current = TabCtrl_GetCurSel(tabs_);
      if (current >= 1 && current <= 3 && !optionPages_[current - 1]->Leaving()) return true;
      ShowPageIndex((current + (KeyDown(VK_SHIFT) ? count - 1 : 1)) % count);
      return true;
    }
    if (alt && !ctrl && vk == 'R') {
      if (IsWindowEnabled(run_)) RunClicked();
      return true;
    }
    if (ctrl && !alt && vk == 'K') {
      if (helpState_ == 1) OpenHelp(IDH_KEYBOARD);
      return true;
    }
    if (vk == VK_F1 && !ctrl && !alt) {
      OnHelpKey();
      return true;
    }
    // Ctrl letters reach the result list's keys while its page shows.
    if (ctrl && !alt && msg.hwnd != results_.Handle() && IsWindowVisible(pages_[0]) &&
        std::string("ABCDFILSU").find(static_cast<char>(vk)) != std::string::npos) {
      char cls[32] = "";
      GetClassNameA(msg.hwnd, cls, sizeof cls);
      if (std::string(cls) != "Edit" && results_.Key(vk)) return true;
    }
  }
  return IsDialogMessageA(hwnd_, &msg) != FALSE;
}

// --- window procedures ------------------------------------------------------------------------

LRESULT CALLBACK TForm1::WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  TForm1* self;
  if (msg == WM_NCCREATE) {
    self = static_cast<TForm1*>(reinterpret_cast<CREATESTRUCTA*>(lp)->lpCreateParams);
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    self->hwnd_ = hwnd;
  } else {
    self = reinterpret_cast<TForm1*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  }
  if (!self) return DefWindowProcA(hwnd, msg, wp, lp);
  // No exception leaves a window procedure: it goes to the report.
  try {
    return self->Handle(msg, wp, lp);
  } catch (...) {
    self->ReportException();
    return 0;
  }
}

LRESULT CALLBACK TForm1::PageProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(
                                               reinterpret_cast<CREATESTRUCTA*>(lp)->lpCreateParams));
    return DefWindowProcA(hwnd, msg, wp, lp);
  }
  auto* self = reinterpret_cast<TForm1*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  // An option page handles its own controls' messages first.
  if (TOptionPage* optionPage = self ? self->OptionPageOf(hwnd) : nullptr) {
    try {
      bool handled = false;
      const LRESULT result = optionPage->Message(msg, wp, lp, handled);
      if (handled) return result;
    } catch (...) {
      self->ReportException();
      return 0;
    }
  }
  switch (msg) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_DRAWITEM:
    case WM_CONTEXTMENU:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
      // The page's controls talk to the window.
      if (self) {
        try {
          return self->Handle(msg, wp, lp);
        } catch (...) {
          self->ReportException();
          return 0;
        }
      }
      break;
    default:
      break;
  }
  return DefWindowProcA(hwnd, msg, wp, lp);
}

LRESULT TForm1::Handle(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_SIZE:
      Layout();
      InvalidateRect(status_, nullptr, TRUE);
      return 0;
    case WM_GETMINMAXINFO: {
      auto* info = reinterpret_cast<MINMAXINFO*>(lp);
      info->ptMinTrackSize.x = 180 + 2 * GetSystemMetrics(SM_CXFRAME);
      info->ptMinTrackSize.y =
          156 + GetSystemMetrics(SM_CYCAPTION) + 2 * GetSystemMetrics(SM_CYFRAME);
      return 0;
    }
    case WM_COMMAND:
      OnCommand(LOWORD(wp), HIWORD(wp));
      return 0;
    case WM_NOTIFY:
      return OnNotify(reinterpret_cast<NMHDR*>(lp));
    case WM_DRAWITEM: {
      auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(lp);
      if (item->hwndItem == status_) {
        DrawStatus(*item);
      } else if (item->hwndItem == aboutPicture_) {
        FillRect(item->hDC, &item->rcItem, pageBrush_);
        if (aboutBitmap_) {
          HDC mem = CreateCompatibleDC(item->hDC);
          HGDIOBJ old = SelectObject(mem, aboutBitmap_);
          BITMAP bm{};
          GetObject(aboutBitmap_, sizeof bm, &bm);
          TransparentBlt(item->hDC, item->rcItem.left, item->rcItem.top,
                         item->rcItem.right - item->rcItem.left,
                         item->rcItem.bottom - item->rcItem.top, mem, 0, 0, bm.bmWidth,
                         bm.bmHeight, ZW_ART_TRANSPARENT_RGB);
          SelectObject(mem, old);
          DeleteDC(mem);
        }
      } else if (item->hwndItem == anim_) {
        FillRect(item->hDC, &item->rcItem, GetSysColorBrush(COLOR_BTNFACE));
        HBITMAP strip = animKind_ >= 1 && animKind_ <= 3 ? animStrips_[animKind_ - 1] : nullptr;
        if (strip) {
          HDC mem = CreateCompatibleDC(item->hDC);
          HGDIOBJ old = SelectObject(mem, strip);
          BITMAP bm{};
          GetObject(strip, sizeof bm, &bm);
          const int frames = std::max<int>(1, bm.bmWidth / std::max<int>(1, bm.bmHeight));
          const int side = bm.bmHeight;
          TransparentBlt(item->hDC, item->rcItem.left, item->rcItem.top,
                         item->rcItem.right - item->rcItem.left,
                         item->rcItem.bottom - item->rcItem.top, mem, (animFrame_ % frames) * side,
                         0, side, side, ZW_ART_TRANSPARENT_RGB);
          SelectObject(mem, old);
          DeleteDC(mem);
        }
      }
      return TRUE;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
      SetBkColor(reinterpret_cast<HDC>(wp), GetSysColor(COLOR_BTNFACE));
      return reinterpret_cast<LRESULT>(pageBrush_);
    case WM_CONTEXTMENU:
      if (reinterpret_cast<HWND>(wp) == results_.Handle() &&
          (form_->Results().ItemCount() > 0 || busy_)) {
        results_.OnContextMenu(hwnd_, {GET_X_LPARAM(lp), GET_Y_LPARAM(lp)});
        return 0;
      }
      break;
    case WM_TIMER:
      OnTimer(wp);
      return 0;
    case WM_HELP: {
      // A dialog's request carries its help context.
      const auto* info = reinterpret_cast<const HELPINFO*>(lp);
      if (helpState_ == 1 && info && info->dwContextId != 0)
        OpenHelp(static_cast<int>(info->dwContextId));
      else
        OnHelpKey();
      return TRUE;
    }
    case WM_CLOSE:
      if (busy_) {
        // A run ends first; the window closes when it is over.
        closeAfterRun_ = true;
        CancelClicked();
        return 0;
      }
      if (closing_) return 0;
      closing_ = true;
      ReadControls();
      SaveWindowPlace();
      form_->SaveSettingsOnClose();
      DestroyWindow(hwnd_);
      return 0;
    case WM_DESTROY:
      KillTimer(hwnd_, kEventTimer);
      SetExceptDialog(nullptr);
      PostQuitMessage(0);
      return 0;
    default:
      break;
  }
  return DefWindowProcA(hwnd_, msg, wp, lp);
}

void TForm1::OnTimer(UINT_PTR id) {
  switch (id) {
    case kEventTimer:
      program_.DispatchEvents(std::chrono::milliseconds(0));
      break;
    case kProgressTimer:
      form_->UpdateProgress();
      results_.FollowCount();
      break;
    case kAnimTimer:
      ++animFrame_;
      InvalidateRect(anim_, nullptr, FALSE);
      break;
    case kHintTimer:
      KillTimer(hwnd_, kHintTimer);
      if (!busy_) form_->ShowCheckedStatus();
      break;
    default:
      break;
  }
}

void TForm1::OnCommand(int id, int code) {
  TWindowModel& model = form_->Model();
  if (id >= idRadio0 && id < idRadio0 + 6 && code == BN_CLICKED) {
    uint8_t mode = static_cast<uint8_t>(kRadios[id - idRadio0].tag);
    if (KeyDown(VK_SHIFT) && mode == kModeName) mode = kModeNameLength;
    if (KeyDown(VK_SHIFT) && mode == kModePath) mode = kModePathLength;
    HCURSOR old = SetCursor(LoadCursor(nullptr, IDC_APPSTARTING));
    form_->ResultView().Regroup(mode);
    SetCursor(old);
    ResultsChanged(true, false);
    return;
  }
  if (results_.OnCommand(id)) {
    form_->ShowCheckedStatus();
    ModelChanged();
    return;
  }
  const bool check = !model.results.uncheckTab;
  switch (id) {
    case idRun: RunClicked(); return;
    case idCancel: CancelClicked(); return;
    case idStatus:
      // A click on the status line while busy toggles the less detailed status.
      if (busy_ && code == STN_CLICKED) {
        model.lessStatus = !model.lessStatus;
        form_->Status().SetQuiet(model.lessStatus);
        ModelChanged();
      }
      return;
    case idCheckAll: form_->CheckFiles(TCheckRule::All, check); return;
    case idCheckSelected: form_->CheckFiles(TCheckRule::Selected, check); return;
    case idCheckFirst: form_->CheckFiles(TCheckRule::First, check); return;
    case idCheckLast: form_->CheckFiles(TCheckRule::Last, check); return;
    case idCheckByCriteria: {
      // The dialog keeps what was typed for the whole run.
      if (!criteria_)
        criteria_ = std::make_unique<TCheckByCriteriaModel>(
            form_->Messenger(), platform::UtcToLocal(platform::NowUtc()), model.mruFiles,
            model.mruPaths);
      TCheckByCriteriaModel* criteria = criteria_.get();
      model.mruUsed = true;
      TCheckCriteria out;
      if (CheckByCriteriaDialog(hwnd_, *criteria, form_->Results(), model.results.uncheckTab,
                                out)) {
        zw::CheckByCriteria(form_->Results(), criteria->check, out);
        model.mruFiles = criteria->mruFiles;
        model.mruPaths = criteria->mruPaths;
        ResultsChanged(false, false);
        form_->ShowCheckedStatus();
      }
      return;
    }
    case idMove: form_->CheckedFilesAction(TFileAction::Move, cmCountdown, ""); return;
    case idRecycle: form_->CheckedFilesAction(TFileAction::Recycle, cmCountdown, ""); return;
    case idDelete: form_->CheckedFilesAction(TFileAction::Delete, cmCountdown, ""); return;
    case idReplace: form_->CheckedFilesAction(TFileAction::Link, cmCountdown, ""); return;
    case idHelpButton:
      switch (helpState_) {
        case 1: OpenHelp(0); break;
        case 2: ShellOpen(ProductPage(Str(strWebsiteLang)) + "help/", ""); break;
        case 3: ShellOpen("https://www.corvanta.example/zwillo/htmlhelp/", ""); break;
        default:
          ShellOpen(std::string("mailto:") + kSupportAddress + "?subject=Broken%20helpsystem", "");
          break;
      }
      return;
    default:
      break;
  }
}

LRESULT TForm1::OnNotify(NMHDR* hdr) {
  if (hdr->idFrom == idList || hdr->hwndFrom == ListView_GetHeader(results_.Handle())) {
    bool handled = false;
    const LRESULT result = results_.OnNotify(hdr, handled);
    if (handled) return result;
  }
  if (hdr->hwndFrom == tabs_ && hdr->code == TCN_SELCHANGING) {
    // A page may keep the user (a mask typed but not added).
    const int current = TabCtrl_GetCurSel(tabs_);
    if (current >= 1 && current <= 3 && !optionPages_[current - 1]->Leaving()) return TRUE;
    return FALSE;
  }
  if (hdr->hwndFrom == tabs_ && hdr->code == TCN_SELCHANGE) {
    ShowPageIndex(TabCtrl_GetCurSel(tabs_));
    return 0;
  }
  if (hdr->idFrom == idCheckTabs && hdr->code == TCN_SELCHANGE) {
    form_->Model().results.uncheckTab = TabCtrl_GetCurSel(hdr->hwndFrom) == 1;
    ShowCheckDirection();
    return 0;
  }
  if (hdr->code == NM_RCLICK) {
    // A right click on a grouping radio regroups descending.
    for (int i = 0; i < 6; ++i)
      if (hdr->hwndFrom == GetDlgItem(pages_[0], idRadio0 + i)) {
        form_->ResultView().Regroup(static_cast<uint8_t>(kRadios[i].tag | kModeDescending));
        ResultsChanged(true, false);
        return 0;
      }
  }
  return 0;
}

void TForm1::ShowCheckDirection() {
  HWND bar = GetDlgItem(pages_[0], idCheckBar);
  const int image =
      form_->Model().results.uncheckTab ? ZW_CHECK_UNCHECKED_LIGHT : ZW_CHECK_CHECKED_LIGHT;
  for (int id : {idCheckAll, idCheckSelected, idCheckFirst, idCheckLast, idCheckByCriteria})
    SendMessageA(bar, TB_CHANGEBITMAP, id, image);
}

void TForm1::ShowPageIndex(int index) {
  if (index < 0 || index >= static_cast<int>(pages_.size())) return;
  form_->Model().page = static_cast<TPage>(index);
  for (size_t i = 0; i < pages_.size(); ++i)
    ShowWindow(pages_[i], static_cast<int>(i) == index ? SW_SHOW : SW_HIDE);
  if (TabCtrl_GetCurSel(tabs_) != index) TabCtrl_SetCurSel(tabs_, index);
}

// --- run and cancel ---------------------------------------------------------------------------

void TForm1::RunClicked() {
  ReadControls();
  form_->Run();
}

void TForm1::CancelClicked() {
  if (!busy_) return;
  if (listLocked_) {
    form_->FileActions().RequestCancel();
    SetStatusText(Str(strAbortingASAP));
  } else {
    form_->Cancel();
  }
}

// --- IHost ------------------------------------------------------------------------------------

int TForm1::MessageBox(const std::string& text, const std::string& caption, TBoxStyle style,
                       uint16_t iconId) {
  return ShowMessageBox(ActiveOwner(hwnd_), text, caption, style, iconId);
}

int TForm1::QuestionBox(const std::string& text, const std::string& caption, TBoxStyle style,
                        uint16_t iconId, int defaultAnswer) {
  // The caller's default becomes the box's default button.
  const std::vector<int> answers = StyleAnswers(style);
  TBoxStyle withDefault = style;
  for (size_t i = 0; i < answers.size() && i < 3; ++i)
    if (answers[i] == defaultAnswer) withDefault |= static_cast<TBoxStyle>(i) << 8;
  return ShowMessageBox(ActiveOwner(hwnd_), text, caption, withDefault, iconId);
}

int TForm1::CountdownBox(const TCountdownRequest& request) {
  return CountdownDialog(ActiveOwner(hwnd_), request);
}

std::optional<std::string> TForm1::PickFolder(const std::string& title,
                                              const std::string& initial) {
  return FolderDialog(ActiveOwner(hwnd_), title, initial);
}

std::optional<std::string> TForm1::PickSaveFile(const std::string& title,
                                                const std::string& filter, int& filterIndex) {
  return SaveFileDialog(ActiveOwner(hwnd_), title, filter, filterIndex);
}

std::optional<std::string> TForm1::PickOpenFile(const std::string& title,
                                                const std::string& filter) {
  return OpenFileDialog(ActiveOwner(hwnd_), title, filter);
}

void TForm1::ShowPage(TPage page) {
  ShowPageIndex(static_cast<int>(page));
  // The page's tab takes the focus, so the arrow keys move on from it.
  SetFocus(tabs_);
}

void TForm1::FocusControl(TControl control) {
  HWND target = nullptr;
  switch (control) {
    case TControl::ButtonRun: target = run_; break;
    case TControl::ButtonCancel: target = cancel_; break;
    case TControl::ListView1: target = results_.Handle(); break;
    default: break;
  }
  for (auto& optionPage : optionPages_)
    if (!target) target = optionPage->ControlFor(control);
  if (target && IsWindowEnabled(target)) SetFocus(target);
}

void TForm1::ShowFolderRow(TFolderList list, int32_t row) {
  optionPages_[1]->ShowFolderRow(list, row);
}

void TForm1::ModelChanged() {
  if (!hwnd_) return;
  for (auto& optionPage : optionPages_) optionPage->ModelToControls();
  TabCtrl_SetCurSel(GetDlgItem(pages_[0], idCheckTabs), form_->Model().results.uncheckTab ? 1 : 0);
}

void TForm1::ReadControls() {
  for (auto& optionPage : optionPages_) optionPage->ControlsToModel();
  results_.StoreColumns();
}
void TForm1::ResultsChanged(bool scrollToFocus, bool focusOnTop) {
  if (!hwnd_) return;
  // The radio of the grouping mode, without running its handler.
  const int radio = RadioForMode(form_->Results().GroupingMode());
  for (int i = 0; i < 6; ++i)
    Button_SetCheck(GetDlgItem(pages_[0], idRadio0 + i),
                    kRadios[i].tag == radio ? BST_CHECKED : BST_UNCHECKED);
  results_.Sync(scrollToFocus, focusOnTop);
  SetFormState(busy_, listLocked_);
}

void TForm1::SetStatusText(const std::string& text) {
  statusText_ = text;
  statusPath_.clear();
  InvalidateRect(status_, nullptr, TRUE);
}

void TForm1::SetStatusPath(const std::string& text, const std::string& path) {
  statusText_ = text;
  statusPath_ = path;
  InvalidateRect(status_, nullptr, TRUE);
}

void TForm1::DrawStatus(const DRAWITEMSTRUCT& item) {
  // The text with its tabs expanded, then the path shortened in its middle
  // to the width the text leaves.
  HDC dc = item.hDC;
  RECT r = item.rcItem;
  FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
  HGDIOBJ old = SelectObject(dc, font_);
  const UINT flags = DT_SINGLELINE | DT_NOPREFIX | DT_EXPANDTABS | DT_VCENTER;
  RECT measure = r;
  DrawTextA(dc, statusText_.c_str(), -1, &measure, flags | DT_CALCRECT);
  DrawTextA(dc, statusText_.c_str(), -1, &r, flags);
  if (!statusPath_.empty()) {
    RECT pr = r;
    pr.left = measure.right;
    DrawTextA(dc, statusPath_.c_str(), -1, &pr, DT_SINGLELINE | DT_NOPREFIX | DT_VCENTER | DT_PATH_ELLIPSIS);
  }
  SelectObject(dc, old);
}

void TForm1::SetProgress(int32_t position, int32_t maximum, int percent) {
  SendMessageA(progress_, PBM_SETRANGE32, 0, std::max<int32_t>(maximum, 1));
  SendMessageA(progress_, PBM_SETPOS, static_cast<WPARAM>(position), 0);
  SetWindowTextA(percent_, (std::to_string(percent) + "%").c_str());
}

void TForm1::SetTitle(const std::string& title) { SetWindowTextA(hwnd_, title.c_str()); }

void TForm1::SetBusy(bool busy, bool listLocked) { SetFormState(busy, listLocked); }

void TForm1::SetFormState(bool busy, bool listLocked) {
  const bool wasBusy = busy_;
  busy_ = busy;
  listLocked_ = listLocked;
  results_.SetBusy(busy);
  const bool hasResults = form_->Results().ItemCount() > 0;
  const bool checking = (busy || hasResults) && !listLocked;
  const bool actions = !listLocked && !busy && hasResults;
  HWND page = pages_[0];
  // Every control of the option pages follows busy; the results page's
  // follow the checking state, the action bar and grouping the actions.
  for (auto& optionPage : optionPages_) optionPage->SetBusy(busy);
  for (size_t p = 4; p < pages_.size(); ++p)
    for (HWND c = GetWindow(pages_[p], GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
      EnableWindow(c, !busy);
  EnableWindow(results_.Handle(), !listLocked);
  EnableWindow(GetDlgItem(page, idCheckTabs), checking);
  EnableWindow(GetDlgItem(page, idCheckBar), checking);
  for (int id : {idCheckAll, idCheckSelected, idCheckFirst, idCheckLast, idCheckByCriteria})
    SendDlgItemMessageA(page, idCheckBar, TB_ENABLEBUTTON, id, checking);
  EnableWindow(GetDlgItem(page, idActionBar), actions);
  for (int id : {idMove, idRecycle, idDelete, idReplace})
    SendDlgItemMessageA(page, idActionBar, TB_ENABLEBUTTON, id, actions);
  EnableWindow(GetDlgItem(page, idGroupLabel), actions);
  for (int i = 0; i < 6; ++i)
    EnableWindow(GetDlgItem(page, idRadio0 + i),
                 actions && (kRadios[i].tag != kModeCrc || form_->Model().results.crcAvailable));
  // Display options stay usable during a run, and help.
  if (busy) {
    EnableWindow(helpButton_, TRUE);
  }
  EnableWindow(run_, !busy);
  EnableWindow(cancel_, busy);
  if (busy && !wasBusy) {
    StartProgress();
  } else if (!busy && wasBusy) {
    StopProgress();
    SetWindowTextA(hwnd_, kProductName);
    form_->ShowCheckedStatus();
    if (!hasResults) SetStatusText(Str(strIdle));
    ResultsChanged(false, false);
    if (closeAfterRun_) PostMessageA(hwnd_, WM_CLOSE, 0, 0);
  }
  InvalidateRect(results_.Handle(), nullptr, FALSE);
}

void TForm1::StartProgress() {
  SetTimer(hwnd_, kProgressTimer, 200, nullptr);
  // Searching while a scan runs; a file action or a catalog locks the list.
  animKind_ = listLocked_ ? 3 : 1;
  animFrame_ = 0;
  SetTimer(hwnd_, kAnimTimer, 100, nullptr);
}

void TForm1::StopProgress() {
  KillTimer(hwnd_, kProgressTimer);
  KillTimer(hwnd_, kAnimTimer);
  form_->UpdateProgress();
  results_.FollowCount();
  animKind_ = 0;
  InvalidateRect(anim_, nullptr, FALSE);
  SendMessageA(progress_, PBM_SETPOS, 0, 0);
  SetWindowTextA(percent_, "0%");
}

void TForm1::ShowLog(bool modal) { ShowLogWindow(hwnd_, form_->Log(), modal, this); }

void TForm1::ShowExceptionReport(const TZWExceptInfo& info) { ShowExceptionDialog(hwnd_, info); }

void TForm1::ReportException() {
  try {
    throw;
  } catch (...) {
    form_->ReportException();
  }
}

void TForm1::SetClipboardText(const std::string& text) { boxes::CopyToClipboard(hwnd_, text); }

int TForm1::ShellOpen(const std::string& target, const std::string& workingFolder) {
  platform::OsError err;
  return platform::ShellOpen(target, workingFolder, err) ? 0 : (err.code != 0 ? err.code : 1);
}

void TForm1::Close() {
  if (hwnd_ && IsWindow(hwnd_)) PostMessageA(hwnd_, WM_CLOSE, 0, 0);
}

// --- help -------------------------------------------------------------------------------------

void TForm1::UpdateHelpPage() {
  static const TStrID kHeading[3] = {lblHelpCpt1, lblHelpCpt2, lblHelpCpt3};
  static const TStrID kText[3] = {lblHelp1, lblHelp2, lblHelp3};
  static const TStrID kButton[3] = {lblBtnHelp1, lblBtnHelp2, lblBtnHelp3};
  if (helpState_ >= 1 && helpState_ <= 3) {
    SetWindowTextA(helpHeading_, Str(kHeading[helpState_ - 1]).c_str());
    SetWindowTextA(helpText_, Str(kText[helpState_ - 1]).c_str());
    SetWindowTextA(helpButton_, Str(kButton[helpState_ - 1]).c_str());
  } else {
    SetWindowTextA(helpText_, (std::string("The help system could not be started. Please report "
                                           "this to ") +
                               kSupportAddress + ".")
                                  .c_str());
  }
  Layout();
}

void TForm1::OpenHelp(int context) {
  using THtmlHelp = HWND(WINAPI*)(HWND, LPCSTR, UINT, DWORD_PTR);
  static THtmlHelp htmlHelp = nullptr;
  if (!htmlHelp) {
    if (HMODULE viewer = LoadLibraryA("hhctrl.ocx"))
      htmlHelp = reinterpret_cast<THtmlHelp>(
          reinterpret_cast<void*>(GetProcAddress(viewer, "HtmlHelpA")));
  }
  if (!htmlHelp) return;
  // Topics are opened by their page: the help compiler keeps no usable
  // context map.
  constexpr UINT kDisplayTopic = 0x0000;
  const std::string topic =
      helpFile_ + "::/" + (context == 0 ? "index.html" : help::HelpTopicPage(context));
  htmlHelp(GetDesktopWindow(), topic.c_str(), kDisplayTopic, 0);
}

void TForm1::OnHelpKey() {
  if (helpState_ != 1) {
    ShowPageIndex(static_cast<int>(TPage::Help));
    return;
  }
  HWND focus = GetFocus();
  if (focus == tabs_) {
    OpenHelp(kPageHelp[TabCtrl_GetCurSel(tabs_)]);
    return;
  }
  // The topic of the page the focused control sits on, else the window's.
  for (size_t i = 0; i < pages_.size(); ++i)
    if (focus && IsChild(pages_[i], focus)) {
      OpenHelp(kPageHelp[i]);
      return;
    }
  OpenHelp(IDH_MAIN_WINDOW);
}

// --- window place -----------------------------------------------------------------------------

void TForm1::RestoreWindowPlace(int showCommand) {
  const TWindowPlacement& place = form_->Model().placement;
  if (place.restored && place.width > 0 && place.height > 0) {
    WINDOWPLACEMENT wp{};
    wp.length = sizeof wp;
    wp.rcNormalPosition = {place.left, place.top, place.left + place.width,
                           place.top + place.height};
    wp.showCmd = place.state == 2 ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL;
    SetWindowPlacement(hwnd_, &wp);
    ShowWindow(hwnd_, wp.showCmd);
  } else {
    // Centred on the work area.
    RECT r{}, work{};
    GetWindowRect(hwnd_, &r);
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    const int w = r.right - r.left, h = r.bottom - r.top;
    SetWindowPos(hwnd_, nullptr, work.left + (work.right - work.left - w) / 2,
                 work.top + (work.bottom - work.top - h) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    ShowWindow(hwnd_, showCommand);
  }
  UpdateWindow(hwnd_);
}

void TForm1::SaveWindowPlace() {
  WINDOWPLACEMENT wp{};
  wp.length = sizeof wp;
  if (!GetWindowPlacement(hwnd_, &wp)) return;
  TWindowPlacement& place = form_->Model().placement;
  place.left = wp.rcNormalPosition.left;
  place.top = wp.rcNormalPosition.top;
  place.width = wp.rcNormalPosition.right - wp.rcNormalPosition.left;
  place.height = wp.rcNormalPosition.bottom - wp.rcNormalPosition.top;
  place.state = IsZoomed(hwnd_) ? 2 : IsIconic(hwnd_) ? 1 : 0;
}

}  // namespace zw::win
