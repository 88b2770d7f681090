#include "ui/win32/box_dialog.h"

#include <commctrl.h>
#include <commdlg.h>

#include <cstring>


namespace zw::win::boxes {

namespace {

std::wstring Wide(const char* text, UINT codePage) {
  const int n = MultiByteToWideChar(codePage, 0, text, -1, nullptr, 0);
  if (n <= 1) return std::wstring();
  std::wstring out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(codePage, 0, text, -1, out.data(), n);
  out.resize(static_cast<size_t>(n - 1));
  return out;
}

}  // namespace

LOGFONTA MessageFont() {
  NONCLIENTMETRICSA metrics{};
  metrics.cbSize = sizeof metrics;
  if (SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
    return metrics.lfMessageFont;
  LOGFONTA font{};
  GetObjectA(GetStockObject(DEFAULT_GUI_FONT), sizeof font, &font);
  return font;
}

// --- the template -------------------------------------------------------------

TDialogTemplate::TDialogTemplate(DWORD style, DWORD exStyle, short cx, short cy) {
  const LOGFONTA font = MessageFont();
  HDC dc = GetDC(nullptr);
  const int dpi = dc ? GetDeviceCaps(dc, LOGPIXELSY) : 96;
  if (dc) ReleaseDC(nullptr, dc);
  int points = MulDiv(font.lfHeight < 0 ? -font.lfHeight : font.lfHeight, 72, dpi);
  if (points <= 0) points = 9;

  AddWord(1);       // dlgVer
  AddWord(0xFFFF);  // signature: extended template
  AddDword(0);      // helpID
  AddDword(exStyle);
  AddDword(style | DS_SETFONT);
  AddWord(0);  // cDlgItems, counted by Add
  AddWord(0);  // x, y
  AddWord(0);
  AddWord(static_cast<WORD>(cx));
  AddWord(static_cast<WORD>(cy));
  AddWord(0);  // no menu
  AddWord(0);  // the dialog class
  AddWord(0);  // no title: set when the dialog starts
  AddWord(static_cast<WORD>(points));
  AddWord(static_cast<WORD>(font.lfWeight));
  AddWord(static_cast<WORD>((font.lfItalic ? 1 : 0) | font.lfCharSet << 8));
  AddString(Wide(font.lfFaceName, CP_ACP));
}

void TDialogTemplate::AddDword(DWORD d) {
  AddWord(LOWORD(d));
  AddWord(HIWORD(d));
}

void TDialogTemplate::AddString(const std::wstring& s) {
  for (wchar_t c : s) AddWord(static_cast<WORD>(c));
  AddWord(0);
}

void TDialogTemplate::Align() {
  if (data_.size() % 2) AddWord(0);
}

void TDialogTemplate::CountItem() { ++data_[8]; }  // cDlgItems: the 9th word

void TDialogTemplate::AddItemHeader(DWORD style, DWORD exStyle, short x, short y, short cx,
                                    short cy, int id) {
  Align();
  AddDword(0);  // helpID
  AddDword(exStyle);
  AddDword(style);
  AddWord(static_cast<WORD>(x));
  AddWord(static_cast<WORD>(y));
  AddWord(static_cast<WORD>(cx));
  AddWord(static_cast<WORD>(cy));
  AddDword(static_cast<DWORD>(id));
  CountItem();
}

void TDialogTemplate::Add(WORD classAtom, DWORD style, short x, short y, short cx, short cy,
                          int id, DWORD exStyle) {
  AddItemHeader(style, exStyle, x, y, cx, cy, id);
  AddWord(0xFFFF);
  AddWord(classAtom);
  AddWord(0);  // no text
  AddWord(0);  // no creation data
}

void TDialogTemplate::Add(const char* className, DWORD style, short x, short y, short cx,
                          short cy, int id, DWORD exStyle) {
  AddItemHeader(style, exStyle, x, y, cx, cy, id);
  AddString(Wide(className, CP_ACP));
  AddWord(0);
  AddWord(0);
}

// --- the dialog ---------------------------------------------------------------

// --- icons, sounds, files, clipboard ------------------------------------------

UINT IconFlags(uint32_t style) {
  switch ((style >> 4) & 15) {
    case 1: return MB_ICONHAND;
    case 2: return MB_ICONQUESTION;
    case 3: return MB_ICONEXCLAMATION;
    case 4: return MB_ICONASTERISK;
    default: return 0;
  }
}

void PlayStyleSound(uint32_t style) {
  const UINT icon = IconFlags(style);
  MessageBeep(icon ? icon : MB_OK);
}

bool HasPicture(uint16_t iconId) {
  return iconId != 0 &&
         FindResourceA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(iconId), RT_GROUP_ICON) != nullptr;
}

HICON LoadBoxIcon(uint16_t iconId, uint32_t style, bool small, bool& owned) {
  owned = false;
  HICON icon = nullptr;
  const int metric = small ? LIM_SMALL : LIM_LARGE;
  // At the system's icon size, scaled down from the largest image rather
  // than stretched.
  if (HasPicture(iconId) &&
      SUCCEEDED(LoadIconMetric(GetModuleHandleA(nullptr), MAKEINTRESOURCEW(iconId), metric, &icon)) &&
      icon) {
    owned = true;
    return icon;
  }
  WORD system = 0;
  switch ((style >> 4) & 15) {
    case 1: system = 32513; break;  // IDI_HAND
    case 2: system = 32514; break;  // IDI_QUESTION
    case 3: system = 32515; break;  // IDI_EXCLAMATION
    case 4: system = 32516; break;  // IDI_ASTERISK
    default: return nullptr;
  }
  if (SUCCEEDED(LoadIconMetric(nullptr, MAKEINTRESOURCEW(system), metric, &icon)) && icon) {
    owned = true;
    return icon;
  }
  return LoadIconA(nullptr, MAKEINTRESOURCEA(system));  // shared
}

std::optional<std::string> AskSaveFileName(HWND owner, const std::string& title,
                                           const std::string& filter,
                                           const std::string& defaultExt) {
  // "text|*.ext|..." becomes "text\0*.ext\0...\0\0".
  std::string filters = filter;
  for (char& c : filters)
    if (c == '|') c = '\0';
  filters.append(2, '\0');
  char name[MAX_PATH * 4] = "";
  OPENFILENAMEA ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = owner;
  ofn.lpstrFilter = filters.c_str();
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = name;
  ofn.nMaxFile = sizeof name;
  ofn.lpstrTitle = title.c_str();
  ofn.lpstrDefExt = defaultExt.c_str();
  ofn.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
  if (!GetSaveFileNameA(&ofn)) return std::nullopt;
  return std::string(name);
}

bool CopyToClipboard(HWND owner, const std::string& text) {
  const std::wstring wide = Wide(text.c_str(), CP_UTF8);
  const size_t bytes = (wide.size() + 1) * sizeof(wchar_t);
  HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, bytes);
  if (!mem) return false;
  if (void* p = GlobalLock(mem)) {
    std::memcpy(p, wide.c_str(), bytes);
    GlobalUnlock(mem);
  }
  if (!OpenClipboard(owner)) {
    GlobalFree(mem);
    return false;
  }
  EmptyClipboard();
  const bool ok = SetClipboardData(CF_UNICODETEXT, mem) != nullptr;
  CloseClipboard();
  if (!ok) GlobalFree(mem);  // the clipboard took it only on success
  return ok;
}

SIZE MeasureText(HWND hwnd, HFONT font, const std::string& text, int maxWidth) {
  HDC dc = GetDC(hwnd);
  HGDIOBJ old = SelectObject(dc, font);
  RECT r{0, 0, maxWidth > 0 ? maxWidth : 0, 0};
  UINT flags = DT_CALCRECT | DT_NOPREFIX | DT_EXPANDTABS;
  if (maxWidth > 0) flags |= DT_WORDBREAK;
  DrawTextA(dc, text.empty() ? " " : text.c_str(), -1, &r, flags);
  SelectObject(dc, old);
  ReleaseDC(hwnd, dc);
  return SIZE{r.right - r.left, r.bottom - r.top};
}

}  // namespace zw::win::boxes
