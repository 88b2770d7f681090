#include "ui/win32/font_dialog.h"

#include <commdlg.h>

#include <algorithm>
#include <cstring>

namespace zw::win {

namespace {

constexpr int kApplyButton = 0x402;  // psh3 of the font dialog

TFontModel FromLogFont(const LOGFONTA& lf, int dpi) {
  TFontModel font;
  font.face = lf.lfFaceName;
  const int pixels = lf.lfHeight < 0 ? -lf.lfHeight : lf.lfHeight;
  font.size = std::clamp(MulDiv(pixels, 72, dpi), 1, 127);
  font.style = static_cast<uint8_t>((lf.lfWeight >= FW_BOLD ? 1 : 0) | (lf.lfItalic ? 2 : 0) |
                                    (lf.lfUnderline ? 4 : 0) | (lf.lfStrikeOut ? 8 : 0));
  return font;
}

LOGFONTA ToLogFont(const TFontModel& font, int dpi) {
  LOGFONTA lf{};
  lf.lfHeight = -MulDiv(std::clamp(static_cast<int>(font.size), 1, 127), dpi, 72);
  lf.lfWeight = (font.style & 1) ? FW_BOLD : FW_NORMAL;
  lf.lfItalic = (font.style & 2) ? TRUE : FALSE;
  lf.lfUnderline = (font.style & 4) ? TRUE : FALSE;
  lf.lfStrikeOut = (font.style & 8) ? TRUE : FALSE;
  lf.lfCharSet = DEFAULT_CHARSET;
  std::strncpy(lf.lfFaceName, font.face.c_str(), LF_FACESIZE - 1);
  return lf;
}

struct THookData {
  const std::function<void(const TFontModel&)>* apply;
  int dpi;
};

UINT_PTR CALLBACK FontHook(HWND dialog, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_INITDIALOG) {
    SetWindowLongPtrA(dialog, GWLP_USERDATA,
                      static_cast<LONG_PTR>(reinterpret_cast<CHOOSEFONTA*>(lp)->lCustData));
    return TRUE;
  }
  if (msg == WM_COMMAND && LOWORD(wp) == kApplyButton) {
    auto* data = reinterpret_cast<THookData*>(GetWindowLongPtrA(dialog, GWLP_USERDATA));
    LOGFONTA lf{};
    SendMessageA(dialog, WM_CHOOSEFONT_GETLOGFONT, 0, reinterpret_cast<LPARAM>(&lf));
    if (data && *data->apply && lf.lfFaceName[0]) (*data->apply)(FromLogFont(lf, data->dpi));
    return TRUE;
  }
  return FALSE;
}

}  // namespace

HFONT MakeFont(const TFontModel& font, int dpi) {
  const LOGFONTA lf = ToLogFont(font, dpi);
  return CreateFontIndirectA(&lf);
}

bool ChooseResultFont(HWND owner, TFontModel& font, int dpi,
                      const std::function<void(const TFontModel&)>& apply) {
  LOGFONTA lf = ToLogFont(font, dpi);
  THookData data{&apply, dpi};
  CHOOSEFONTA cf{};
  cf.lStructSize = sizeof cf;
  cf.hwndOwner = owner;
  cf.lpLogFont = &lf;
  cf.Flags = CF_SCREENFONTS | CF_INITTOLOGFONTSTRUCT | CF_LIMITSIZE | CF_FORCEFONTEXIST |
             CF_SCRIPTSONLY | CF_EFFECTS | CF_APPLY | CF_ENABLEHOOK;
  cf.nSizeMin = 1;
  cf.nSizeMax = 127;
  cf.lpfnHook = FontHook;
  cf.lCustData = reinterpret_cast<LPARAM>(&data);
  if (!ChooseFontA(&cf)) return false;
  font = FromLogFont(lf, dpi);
  return true;
}

}  // namespace zw::win
