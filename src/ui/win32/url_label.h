// A link label (TUrlLabel): a one-line text that opens its address when
// clicked, shows an underlined hover font while the mouse is over it, the
// system's hand cursor while it is enabled, and a two-item context menu
// (open, copy the address).
//
// The same control serves as a label whose click does something else: with
// `onClick` set, a click (and the menu's open command) calls it instead of
// opening `URL`. The comparison options page uses it so for its criterion
// descriptions, with the Field look and without the context menu.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

namespace zw::win {

// The style set: the hover font while the mouse is over the label, the
// context menu on a right click. Both on by default.
enum : uint8_t { ulsHoverEffect = 0x01, ulsContextMenu = 0x02 };
using TUrlLabelStyles = uint8_t;

// Link: link-coloured text on the parent's background (the colour the
// parent gives for a static control). Field: window text on the window
// colour while enabled, grey text on the button face while disabled.
enum class TUrlLabelLook : uint8_t { Link, Field };

class TUrlLabel {
 public:
  TUrlLabel() = default;
  ~TUrlLabel();
  TUrlLabel(const TUrlLabel&) = delete;
  TUrlLabel& operator=(const TUrlLabel&) = delete;

  // Creates the label window as a child of `parent` with the control id
  // `id`, the font `font` (not owned) and the extended style `exStyle`
  // (WS_EX_CLIENTEDGE gives a field its sunken edge).
  HWND Create(HWND parent, int id, HFONT font, DWORD exStyle = 0);
  HWND Handle() const { return hwnd_; }

  void SetCaption(const std::string& text);
  // The normal font; the hover font is an underlined copy of it.
  void SetFont(HFONT font);
  // Enables or disables the label; while the mouse is over it the hover
  // font and the cursor follow at once.
  void Enable(bool on);
  // Width in pixels of the caption in the normal font.
  int TextWidth() const;

  // What a click does: `onClick` when set, else opening `URL` with the
  // desktop's default handler (web browser, e-mail program).
  void Click();
  // The text the copy command puts on the clipboard.
  const std::string& CopyText() const { return URLClipboard.empty() ? URL : URLClipboard; }

  std::string URL;           // opened when clicked
  std::string URLClipboard;  // copied by the copy command; empty: URL
  std::string CaptionLaunch = "&Open";
  std::string CaptionCopy = "&Copy";
  TUrlLabelStyles styles = ulsHoverEffect | ulsContextMenu;
  TUrlLabelLook look = TUrlLabelLook::Link;
  std::function<void()> onClick;

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  LRESULT Handle(UINT msg, WPARAM wp, LPARAM lp);
  void Paint();
  void SetHover(bool on);
  // The hover state and the cursor again from the mouse position (after a
  // menu, after enabling or disabling).
  void SyncHover();
  void ContextMenu(LPARAM lp);

  HWND hwnd_ = nullptr;
  std::string caption_;  // UTF-8
  HFONT font_ = nullptr;
  HFONT hoverFont_ = nullptr;  // owned
  bool hover_ = false;
  bool pressed_ = false;
};

}  // namespace zw::win
