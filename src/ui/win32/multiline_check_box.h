// TMultilineCheckBox: a check box whose caption may wrap. Its properties
// become the button's styles when its window is created: MultiLine
// BS_MULTILINE, TextAlign the horizontal and TextLayout the vertical
// alignment, so that a caption with line breaks ("also save window
// position\r\nand size") wraps inside the box.
#pragma once
#include <windows.h>

#include <string>

namespace zw::win {

enum class TTextAlign { Left, Right, Center };
enum class TTextLayout { Top, Center, Bottom };

class TMultilineCheckBox {
 public:
  bool MultiLine = true;
  TTextAlign TextAlign = TTextAlign::Left;
  TTextLayout TextLayout = TTextLayout::Center;

  // The button styles the properties stand for.
  DWORD Styles() const;
  // Creates the window (an automatic check box, a tab stop) with `font`.
  HWND Create(HWND parent, HINSTANCE instance, const std::string& text, int id, HFONT font);
  // Applies the properties to the window again (after they changed).
  void Apply();
  HWND Handle() const { return hwnd_; }

 private:
  HWND hwnd_ = nullptr;
};

}  // namespace zw::win
