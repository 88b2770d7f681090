// The list boxes of the scan options page: an owner-drawn LISTBOX with an
// image at the left of each row (the state icon of a folder row, the check
// box of a mask row).
//
// THintCheckListBox shows the full text of a row that its width cuts off in
// place, over the row and in the list's font, while the mouse rests on that
// row; elsewhere the list's ordinary hint shows. After a row's state changed
// the page shows the state's text at the row (ShowRowHint) until the next
// key or mouse press.
//
// TZWCheckListBox adds files dropped from the shell (WM_DROPFILES): they go
// to its onDropFiles callback.
//
// The list is subclassed with SetWindowSubclass only, so that other
// subclasses (drag and drop) stay in the chain. The page hands the list's
// WM_DRAWITEM to Draw.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace zw::win {

// The state icon of a folder row (state 0..5), 15 x 13 pixels at 96 dpi,
// scaled to `dpi`, with its top left corner at (left, top).
void DrawFolderStateIcon(HDC dc, int left, int top, int dpi, int state);

class THintCheckListBox {
 public:
  enum class TImages : uint8_t {
    FolderStates,  // image = folder row state 0..5
    CheckBoxes,    // image = 0 unchecked, 1 checked
  };
  struct TRow {
    std::string text;
    int image = 0;
    bool operator==(const TRow& o) const { return text == o.text && image == o.image; }
  };

  THintCheckListBox() = default;
  virtual ~THintCheckListBox();
  THintCheckListBox(const THintCheckListBox&) = delete;
  THintCheckListBox& operator=(const THintCheckListBox&) = delete;

  // Creates the list box (LBS_OWNERDRAWFIXED | LBS_NOTIFY | LBS_HASSTRINGS)
  // as child `id` of `parent`.
  HWND Create(HWND parent, int id, HINSTANCE instance, HFONT font, int dpi, TImages images);
  HWND Handle() const { return hwnd_; }

  // Replaces the rows, keeping the top row where it can; `selected` -1: none.
  void SetRows(const std::vector<TRow>& rows, int selected);
  // Scrolls the row into sight.
  void ShowRow(int row);
  // The ordinary hint of the list (empty: none).
  void SetHint(const std::string& text);

  // A text at the row (the state hint after a change); hidden by the next
  // key or mouse press in the list, or by HideRowHint.
  void ShowRowHint(int row, const std::string& text);
  void HideRowHint();

  // WM_DRAWITEM of the list, sent to its parent.
  void Draw(const DRAWITEMSTRUCT& item) const;
  // Width of the image column (pixels).
  int ImageWidth() const;

  // --- what the user does (the page sets these) ---
  // A press of the left (right: true) mouse button on a row's image.
  std::function<void(int row, bool right)> onImageClick;
  // A double click: the row, or -1 on the empty area below the rows.
  std::function<void(int row)> onDoubleClick;
  // A key pressed in the list (Space, Delete, ...); true when the page
  // handled it.
  std::function<bool(UINT key)> onKey;
  // Any key or mouse press in the list (before it is handled).
  std::function<void()> onPress;

 protected:
  virtual LRESULT Proc(UINT msg, WPARAM wp, LPARAM lp, bool& handled);

  HWND hwnd_ = nullptr;

 private:
  static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id,
                                       DWORD_PTR data);
  // Mouse over (x, y): the in-place hint of a cut-off row, else the
  // ordinary hint.
  void TrackMouse(int x, int y);
  void HideInPlaceHint();
  bool RowIsCut(int row) const;
  std::string RowText(int row) const;

  HFONT font_ = nullptr;
  int dpi_ = 96;
  TImages images_ = TImages::CheckBoxes;
  HWND tip_ = nullptr;       // ordinary hint
  HWND inPlace_ = nullptr;   // full text of a cut-off row
  HWND rowHint_ = nullptr;   // state hint
  std::vector<TRow> rows_;  // what the list shows
  std::string hint_;
  std::string inPlaceText_;
  std::string rowHintText_;
  int inPlaceRow_ = -1;
  bool tracking_ = false;
};

class TZWCheckListBox : public THintCheckListBox {
 public:
  // Files dropped on the list; `shift` when Shift was held.
  std::function<void(const std::vector<std::string>& files, bool shift)> onDropFiles;

  // Accepts files from the shell while onDropFiles is set.
  void AcceptFiles();

 protected:
  LRESULT Proc(UINT msg, WPARAM wp, LPARAM lp, bool& handled) override;
};

}  // namespace zw::win
