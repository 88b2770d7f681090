#include "ui/win32/message_boxes.h"

#include "ui/win32/box_dialog.h"

namespace zw::win {

int ShowMessageBox(HWND owner, const std::string& text, const std::string& caption,
                   TBoxStyle style, uint16_t iconId) {
  // Only the button sets the program knows (OK; OK, Cancel; Yes, No,
  // Cancel; Yes, No; anything else is OK alone) and the icon nibble.
  const UINT buttons = style & MB_TYPEMASK;
  UINT flags = (buttons == MB_OKCANCEL || buttons == MB_YESNOCANCEL || buttons == MB_YESNO
                    ? buttons
                    : MB_OK) |
               boxes::IconFlags(style) | (style & MB_DEFMASK);  // the default button
  if (!owner) flags |= MB_TASKMODAL;
  MSGBOXPARAMSA params{};
  params.cbSize = sizeof params;
  params.hwndOwner = owner;
  params.hInstance = GetModuleHandleA(nullptr);
  params.lpszText = text.c_str();
  params.lpszCaption = caption.c_str();
  params.dwLanguageId = MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT);
  if (boxes::HasPicture(iconId)) {
    // A box with a picture of its own makes no sound: play the kind's.
    boxes::PlayStyleSound(style);
    params.dwStyle = (flags & ~MB_ICONMASK) | MB_USERICON;
    params.lpszIcon = MAKEINTRESOURCEA(iconId);
  } else {
    params.dwStyle = flags;
  }
  return MessageBoxIndirectA(&params);
}

}  // namespace zw::win
