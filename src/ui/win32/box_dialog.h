// What the program's boxes and small windows share: a dialog template built
// in memory with the system's message font, a dialog class that forwards the
// messages of its window to `this`, and a few helpers (icons of a box style,
// file dialogs, clipboard).
#pragma once
#include <windows.h>

#include "ui/win32/dialog_base.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zw::win::boxes {

// The system's message font.
LOGFONTA MessageFont();

// A dialog template (DLGTEMPLATEEX) built in memory. Sizes are dialog units
// of the template's font, the system's message font. Item texts are set when
// the dialog starts (SetWindowTextA), so the template holds none.
class TDialogTemplate {
 public:
  // Predefined control classes.
  static constexpr WORD kButton = 0x0080;
  static constexpr WORD kEdit = 0x0081;
  static constexpr WORD kStatic = 0x0082;

  // `style` gets DS_SETFONT added; `cx`, `cy` are the client size.
  TDialogTemplate(DWORD style, DWORD exStyle, short cx, short cy);
  void Add(WORD classAtom, DWORD style, short x, short y, short cx, short cy, int id,
           DWORD exStyle = 0);
  void Add(const char* className, DWORD style, short x, short y, short cx, short cy, int id,
           DWORD exStyle = 0);
  const DLGTEMPLATE* Get() const { return reinterpret_cast<const DLGTEMPLATE*>(data_.data()); }

 private:
  void AddItemHeader(DWORD style, DWORD exStyle, short x, short y, short cx, short cy, int id);
  void AddWord(WORD w) { data_.push_back(w); }
  void AddDword(DWORD d);
  void AddString(const std::wstring& s);
  void Align();  // to a DWORD boundary
  void CountItem();

  std::vector<WORD> data_;
};

// The dialog class of every box (templates built in memory).
using zw::win::TDialog;
using zw::win::ReportCurrentException;

// The MB_ICON... bits of a box style's icon nibble (0 for none).
UINT IconFlags(uint32_t style);
// The system sound of a box style's icon kind.
void PlayStyleSound(uint32_t style);
// The picture `iconId` from the program's resources at the system's icon
// size (`small`: the small-icon size), or the system icon of the style's
// kind when the program has no such picture; null when neither exists.
// `owned` tells whether the caller destroys the icon.
HICON LoadBoxIcon(uint16_t iconId, uint32_t style, bool small, bool& owned);
// Whether the program's resources hold the picture `iconId`.
bool HasPicture(uint16_t iconId);

// A file name to save to (asks before replacing a file); `filter` in the
// "text|*.ext|text|*.ext" form. nullopt: cancelled.
std::optional<std::string> AskSaveFileName(HWND owner, const std::string& title,
                                           const std::string& filter,
                                           const std::string& defaultExt);
// Puts a UTF-8 text on the clipboard; false when the clipboard refused.
bool CopyToClipboard(HWND owner, const std::string& text);

// Pixel size of `text` in `font` (several lines); with `maxWidth` > 0 the
// lines wrap at that width.
SIZE MeasureText(HWND hwnd, HFONT font, const std::string& text, int maxWidth);

}  // namespace zw::win::boxes
