// The scan options page: the two folder lists ('fresh' and 'library') with
// their buttons and the archive box on top, below them the two mask lists,
// the attribute group and the size group. Every rule is the application's
// (folder_lists.h, size_edit.h); the page reads the user's input into the
// model, calls those operations and shows the model again.
#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>
#include <windowsx.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "app/run/folder_lists.h"
#include "app/size_edit.h"
#include "app/text/string_table.h"
#include "ui/win32/browse_folder_dialog.h"
#include "ui/win32/captions.h"
#include "ui/win32/check_list_box.h"
#include "ui/win32/dialog_base.h"
#include "ui/win32/option_page.h"

namespace zw::win {
namespace {

enum : int {
  idDirectories = 400, idFreshLabel, idFresh, idAddFo, idRemoveFo, idLibraryLabel, idLibrary,
  idAddCat, idScanArchives,
  idMaskGroup = 410, idLimitLabel, idLimitEdit, idLimitAdd, idLimitRemove, idLimitList,
  idExcludeLabel, idExcludeEdit, idExcludeAdd, idExcludeRemove, idExcludeList,
  idAttrGroup = 430, idAttrIgnore, idAttrExclude, idAttrLimit, idReadOnly, idHidden, idArchive,
  idSystem,
  idSizeGroup = 440, idSizeIgnore, idSizeExclude, idSizeLimit, idSizesOf, idSize1, idSpin1,
  idUnit1, idSizesTo, idSize2, idSpin2, idUnit2,
};

// Posted by a size edit that lost the focus to another control of the
// window: the check runs once the focus has moved (wParam: control id).
constexpr UINT kLeftField = WM_APP + 0x130;
constexpr UINT_PTR kEditSubclass = 0x5A45;

constexpr TMaskListKind kMaskKinds[2] = {TMaskListKind::Limit, TMaskListKind::Exclude};

void SetTextIfDiffers(HWND control, const std::string& text) {
  const int length = GetWindowTextLengthA(control);
  std::string now(static_cast<size_t>(length) + 1, '\0');
  GetWindowTextA(control, now.data(), length + 1);
  now.resize(static_cast<size_t>(length));
  if (now != text) SetWindowTextA(control, text.c_str());
}

std::string TextOf(HWND control) {
  const int length = GetWindowTextLengthA(control);
  std::string text(static_cast<size_t>(length) + 1, '\0');
  GetWindowTextA(control, text.data(), length + 1);
  text.resize(static_cast<size_t>(length));
  return text;
}

// The files chosen in the archive file dialog (several at once).
std::vector<std::string> PickArchiveFiles(HWND owner, const std::string& folder) {
  std::string filter = ArchiveDialogFilter();
  std::replace(filter.begin(), filter.end(), '|', '\0');
  filter.push_back('\0');
  const std::string title = ArchiveDialogTitle();
  std::vector<char> buffer(64 * 1024, '\0');
  OPENFILENAMEA ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = owner;
  ofn.lpstrFilter = filter.c_str();
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = buffer.data();
  ofn.nMaxFile = static_cast<DWORD>(buffer.size());
  ofn.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
  ofn.lpstrTitle = title.c_str();
  ofn.Flags = OFN_ALLOWMULTISELECT | OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST |
              OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
  std::vector<std::string> files;
  if (!GetOpenFileNameA(&ofn)) return files;
  // One file: its full path; several: the folder, then each name.
  const std::string first = buffer.data();
  const char* next = buffer.data() + first.size() + 1;
  if (!*next) {
    files.push_back(first);
    return files;
  }
  const std::string folderPath = first.back() == '\\' ? first : first + "\\";
  for (; *next; next += strlen(next) + 1) files.push_back(folderPath + next);
  return files;
}

class TScanOptionsPage : public TOptionPage {
 public:
  using TOptionPage::TOptionPage;

  void Create(HWND page) override;
  void Layout(int width, int height) override;
  void ApplyCaptions() override;
  void ModelToControls() override;
  void ControlsToModel() override;
  LRESULT Message(UINT msg, WPARAM wp, LPARAM lp, bool& handled) override;
  void SetBusy(bool busy) override;
  HWND ControlFor(TControl control) const override;
  bool Leaving() override;
  void ShowFolderRow(TFolderList list, int32_t row) override;

 private:
  struct TMaskPanel {
    HWND label = nullptr, edit = nullptr, add = nullptr, remove = nullptr;
    TZWCheckListBox list;
  };
  struct TSizeRow {
    HWND label = nullptr, edit = nullptr, spin = nullptr, unit = nullptr;
  };

  TWindowModel& Model() { return ctx_.form->Model(); }
  IHost& Host() { return *ctx_.host; }
  IMessenger& Msgr() { return ctx_.form->Messenger(); }
  THintCheckListBox& Folders(TFolderList list) {
    return list == TFolderList::Fresh ? fresh_ : library_;
  }
  TAddFolderDialog FolderDialog() {
    return [this](TAddFolderChoice& choice) { return BrowseFolderDialog(ctx_.owner, choice); };
  }
  void AttachFolderList(TFolderList which);
  void AttachMaskList(int index);
  void AddTip(HWND control, const std::string& text);
  void HideStateHints();
  // The size edit of a control id (edit, spin or unit box of that row).
  int SizeIndex(int id) const { return id >= idSizesTo ? 1 : 0; }
  TSizeEditModel& SizeModel(int index) { return index ? Model().sizeHigh : Model().sizeLow; }
  static TControl SizeControl(int index) {
    return index ? TControl::ELimitSize2 : TControl::ELimitSize1;
  }
  void SizeFieldLeft(int index);
  void ApplyEditSelection(HWND edit, int start, int length);
  static LRESULT CALLBACK EditProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id,
                                   DWORD_PTR data);
  bool Command(int id, int code, HWND control);

  bool busy_ = false;
  HWND tips_ = nullptr;
  std::vector<HWND> tipped_;  // controls with a hint
  HWND directories_ = nullptr, freshLabel_ = nullptr, libraryLabel_ = nullptr;
  THintCheckListBox fresh_, library_;
  HWND addFo_ = nullptr, removeFo_ = nullptr, addCat_ = nullptr, scanArchives_ = nullptr;
  HWND maskGroup_ = nullptr;
  std::array<TMaskPanel, 2> masks_;
  HWND attrGroup_ = nullptr;
  std::array<HWND, 3> attrModes_{};
  std::array<HWND, 4> attrBoxes_{};  // read only, hidden, archive, system
  HWND sizeGroup_ = nullptr;
  std::array<HWND, 3> sizeModes_{};
  std::array<TSizeRow, 2> sizes_;
};

void TScanOptionsPage::Create(HWND page) {
  page_ = page;
  const auto add = [&](const char* cls, DWORD style, int id, DWORD exStyle = 0) {
    return AddControl(ctx_, page, cls, "", style, id, exStyle);
  };
  tips_ = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr,
                          WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT,
                          CW_USEDEFAULT, CW_USEDEFAULT, page, nullptr, ctx_.instance, nullptr);
  SendMessageA(tips_, TTM_SETMAXTIPWIDTH, 0, 2000);

  directories_ = add("STATIC", SS_LEFT | SS_NOPREFIX, idDirectories);
  SendMessageA(directories_, WM_SETFONT, reinterpret_cast<WPARAM>(ctx_.boldFont), FALSE);
  freshLabel_ = add("STATIC", SS_LEFT | SS_NOPREFIX | SS_ENDELLIPSIS, idFreshLabel);
  fresh_.Create(page, idFresh, ctx_.instance, ctx_.font, ctx_.dpi,
                THintCheckListBox::TImages::FolderStates);
  addFo_ = add("BUTTON", BS_PUSHBUTTON | WS_TABSTOP, idAddFo);
  removeFo_ = add("BUTTON", BS_PUSHBUTTON | WS_TABSTOP, idRemoveFo);
  libraryLabel_ = add("STATIC", SS_LEFT | SS_NOPREFIX | SS_ENDELLIPSIS, idLibraryLabel);
  library_.Create(page, idLibrary, ctx_.instance, ctx_.font, ctx_.dpi,
                  THintCheckListBox::TImages::FolderStates);
  addCat_ = add("BUTTON", BS_PUSHBUTTON | WS_TABSTOP, idAddCat);
  scanArchives_ = add("BUTTON", BS_AUTOCHECKBOX | WS_TABSTOP, idScanArchives);

  maskGroup_ = add("BUTTON", BS_GROUPBOX, idMaskGroup);
  for (int i = 0; i < 2; ++i) {
    const int base = i ? idExcludeLabel : idLimitLabel;
    TMaskPanel& panel = masks_[static_cast<size_t>(i)];
    panel.label = add("STATIC", SS_LEFT | SS_NOPREFIX, base);
    panel.edit = add("EDIT", ES_AUTOHSCROLL | WS_TABSTOP | WS_GROUP, base + 1, WS_EX_CLIENTEDGE);
    panel.add = add("BUTTON", BS_PUSHBUTTON | WS_TABSTOP, base + 2);
    panel.remove = add("BUTTON", BS_PUSHBUTTON | WS_TABSTOP, base + 3);
    panel.list.Create(page, base + 4, ctx_.instance, ctx_.font, ctx_.dpi,
                      THintCheckListBox::TImages::CheckBoxes);
    SetWindowTextA(panel.add, "+");
    SetWindowTextA(panel.remove, "-");
    SetWindowSubclass(panel.edit, &TScanOptionsPage::EditProc, kEditSubclass,
                      reinterpret_cast<DWORD_PTR>(this));
    AttachMaskList(i);
  }

  attrGroup_ = add("BUTTON", BS_GROUPBOX, idAttrGroup);
  for (int i = 0; i < 3; ++i)
    attrModes_[static_cast<size_t>(i)] =
        add("BUTTON", BS_AUTORADIOBUTTON | (i == 0 ? WS_GROUP | WS_TABSTOP : 0), idAttrIgnore + i);
  for (int i = 0; i < 4; ++i)
    attrBoxes_[static_cast<size_t>(i)] =
        add("BUTTON", BS_AUTOCHECKBOX | WS_TABSTOP | (i == 0 ? WS_GROUP : 0), idReadOnly + i);

  sizeGroup_ = add("BUTTON", BS_GROUPBOX, idSizeGroup);
  for (int i = 0; i < 3; ++i)
    sizeModes_[static_cast<size_t>(i)] =
        add("BUTTON", BS_AUTORADIOBUTTON | (i == 0 ? WS_GROUP | WS_TABSTOP : 0), idSizeIgnore + i);
  for (int i = 0; i < 2; ++i) {
    const int base = i ? idSizesTo : idSizesOf;
    TSizeRow& row = sizes_[static_cast<size_t>(i)];
    row.label = add("STATIC", SS_RIGHT | SS_NOPREFIX | (i == 0 ? WS_GROUP : 0), base);
    row.edit = add("EDIT", ES_AUTOHSCROLL | WS_TABSTOP, base + 1, WS_EX_CLIENTEDGE);
    // The model steps the number; the spin button only reports the clicks.
    row.spin = add(UPDOWN_CLASSA, UDS_NOTHOUSANDS, base + 2);
    SendMessageA(row.spin, UDM_SETRANGE32, 0, 100);
    SendMessageA(row.spin, UDM_SETPOS32, 0, 50);
    row.unit = add("COMBOBOX", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, base + 3);
    SetWindowSubclass(row.edit, &TScanOptionsPage::EditProc, kEditSubclass,
                      reinterpret_cast<DWORD_PTR>(this));
  }

  SetWindowTextA(addFo_, "+");
  SetWindowTextA(removeFo_, "-");
  SetWindowTextA(addCat_, "+");
  AttachFolderList(TFolderList::Fresh);
  AttachFolderList(TFolderList::Library);
  ApplyCaptions();
}

void TScanOptionsPage::AttachFolderList(TFolderList which) {
  THintCheckListBox& box = Folders(which);
  box.onPress = [this] { HideStateHints(); };
  box.onImageClick = [this, which](int row, bool right) {
    // The left button steps backwards, the right one forwards.
    SelectFolderRow(Model(), which, row);
    const uint8_t state = CycleState(Model(), Host(), which, row, !right);
    Folders(which).ShowRowHint(row, Str(StateHint(state)));
  };
  box.onDoubleClick = [this, which](int row) {
    if (row < 0) AddFolderFromEmptyArea(Model(), Host(), Msgr(), FolderDialog(), which);
  };
  box.onKey = [this, which](UINT key) {
    if (key == VK_DELETE) {
      RemoveSelectedFolder(Model(), Host());
      return true;
    }
    if (key == VK_SPACE) {
      const LRESULT row = SendMessageA(Folders(which).Handle(), LB_GETCARETINDEX, 0, 0);
      if (row >= 0 && row < static_cast<LRESULT>(Model().Folders(which).rows.size())) {
        const uint8_t state = CycleState(Model(), Host(), which, static_cast<int32_t>(row), false);
        Folders(which).ShowRowHint(static_cast<int>(row), Str(StateHint(state)));
      }
      return true;
    }
    return false;
  };
  if (ctx_.attachFolderList) ctx_.attachFolderList(box.Handle(), which);
}

void TScanOptionsPage::AttachMaskList(int index) {
  const TMaskListKind kind = kMaskKinds[index];
  TZWCheckListBox& box = masks_[static_cast<size_t>(index)].list;
  box.onPress = [this] { HideStateHints(); };
  const auto toggle = [this, kind](int row) {
    TMaskListModel& list = MaskList(Model(), kind);
    if (row < 0 || row >= static_cast<int>(list.rows.size())) return;
    list.selected = row;
    list.rows[static_cast<size_t>(row)].checked = !list.rows[static_cast<size_t>(row)].checked;
    Host().ModelChanged();
  };
  box.onImageClick = [toggle](int row, bool right) {
    if (!right) toggle(row);
  };
  box.onDoubleClick = [this, kind](int row) {
    if (row >= 0) EditMaskRow(Model(), Host(), kind, row);
  };
  box.onKey = [this, kind, toggle, index](UINT key) {
    if (key == VK_DELETE) {
      RemoveSelectedMask(Model(), Host(), kind);
      return true;
    }
    if (key == VK_SPACE) {
      toggle(static_cast<int>(
          SendMessageA(masks_[static_cast<size_t>(index)].list.Handle(), LB_GETCARETINDEX, 0, 0)));
      return true;
    }
    return false;
  };
  box.onDropFiles = [this, kind](const std::vector<std::string>& files, bool shift) {
    AddDroppedMaskFiles(Model(), Host(), Msgr(), kind, files, shift);
  };
  box.AcceptFiles();
}

void TScanOptionsPage::AddTip(HWND control, const std::string& text) {
  TOOLINFOA info{};
  info.cbSize = sizeof info;
  info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  info.hwnd = page_;
  info.uId = reinterpret_cast<UINT_PTR>(control);
  info.lpszText = const_cast<char*>(text.c_str());
  // A tool that exists already only gets the new text.
  const bool known = std::find(tipped_.begin(), tipped_.end(), control) != tipped_.end();
  SendMessageA(tips_, known ? TTM_UPDATETIPTEXTA : TTM_ADDTOOLA, 0,
               reinterpret_cast<LPARAM>(&info));
  if (!known) tipped_.push_back(control);
}

void TScanOptionsPage::HideStateHints() {
  fresh_.HideRowHint();
  library_.HideRowHint();
}

void TScanOptionsPage::ApplyCaptions() {
  const auto set = [](HWND control, const char* key, const char* english) {
    SetWindowTextA(control, Caption(key, english).c_str());
  };
  set(directories_, "lblDirectories", "directories");
  set(freshLabel_, "lblDir1", "'fresh' - compared among themselves");
  set(libraryLabel_, "lblDir2", "'library' - compared against 'fresh' only");
  set(scanArchives_, "lblCBScanArchives", "scan *.zip archives");
  set(maskGroup_, "lblFilenames", "file names");
  set(masks_[0].label, "lblLimitMask", "limit scan to files matching these masks:");
  set(masks_[1].label, "lblExcludeMask", "exclude files matching these masks:");
  set(attrGroup_, "lblAttributes", "attributes");
  set(sizeGroup_, "lblFilesize", "file size");
  const char* const modes[3][2] = {
      {"lblRBIgnore", "ignore"}, {"lblRBExclude", "exclude"}, {"lblRBLimitTo", "limit to"}};
  for (int i = 0; i < 3; ++i) {
    set(attrModes_[static_cast<size_t>(i)], modes[i][0], modes[i][1]);
    set(sizeModes_[static_cast<size_t>(i)], modes[i][0], modes[i][1]);
  }
  const char* const boxes[4][2] = {{"lblCBReadOnly", "read only"},
                                   {"lblCBHidden", "hidden"},
                                   {"lblCBArchive", "archive"},
                                   {"lblCBSystem", "system"}};
  for (int i = 0; i < 4; ++i) set(attrBoxes_[static_cast<size_t>(i)], boxes[i][0], boxes[i][1]);
  set(sizes_[0].label, "lblFilesizesOf", "file sizes of");
  set(sizes_[1].label, "lblFilesizesTo", "to");

  // The unit boxes keep their choice.
  const TByteUnitNames units = Strings().UnitShortNames();
  for (TSizeRow& row : sizes_) {
    const LRESULT chosen = SendMessageA(row.unit, CB_GETCURSEL, 0, 0);
    SendMessageA(row.unit, CB_RESETCONTENT, 0, 0);
    for (const std::string& unit : units)
      SendMessageA(row.unit, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(unit.c_str()));
    if (chosen >= 0) SendMessageA(row.unit, CB_SETCURSEL, static_cast<WPARAM>(chosen), 0);
  }

  AddTip(addFo_, Caption("hntBtnAddFolder", "add folder"));
  AddTip(addCat_, Caption("hntBtnAddCat", "add archive / catalog file"));
  AddTip(removeFo_, Caption("hntBtnRemFolder", "remove selected entry"));
  AddTip(scanArchives_, Caption("hntCBScanArchives",
                                "scan inside all ZIP archives\r\nfound in the folders above"));
  for (TMaskPanel& panel : masks_) {
    AddTip(panel.edit, Caption("hntEditMask", "enter a mask such as *.jpg and press Enter"));
    panel.list.SetHint(Caption("hntCLBoxMask", "only checked masks take part in a scan"));
  }
}

void TScanOptionsPage::Layout(int width, int height) {
  const auto S = [this](int v) { return ctx_.Scale(v); };
  const auto move = [](HWND control, int x, int y, int w, int h) {
    MoveWindow(control, x, y, std::max(0, w), std::max(0, h), TRUE);
  };
  const int m = S(8), gap = S(4), button = S(24), line = S(17), check = S(20);
  const int band = S(150);  // masks, attributes and size
  const int bandTop = std::max(height - m - band, S(200));

  // The folder lists share the room above the band.
  int y = m;
  move(directories_, m, y, width - 2 * m, S(16));
  y += S(18);
  const int listWidth = width - 2 * m - button - gap;
  const int lists = bandTop - gap - y - 2 * line - check;
  const int listHeight = std::max(S(40), lists / 2);
  move(freshLabel_, m, y, listWidth, line - S(2));
  y += line;
  move(fresh_.Handle(), m, y, listWidth, listHeight);
  move(addFo_, m + listWidth + gap, y, button, button);
  move(removeFo_, m + listWidth + gap, y + button + gap, button, button);
  y += listHeight + S(2);
  move(libraryLabel_, m, y, listWidth, line - S(2));
  y += line;
  move(library_.Handle(), m, y, listWidth, listHeight);
  move(addCat_, m + listWidth + gap, y, button, button);
  y += listHeight + S(2);
  move(scanArchives_, m, y, listWidth, check);

  // The band: masks about half the width, then attributes and size.
  const int inner = width - 2 * m - 2 * gap;
  const int maskWidth = inner * 47 / 100;
  const int attrWidth = inner * 21 / 100;
  const int sizeWidth = inner - maskWidth - attrWidth;
  const int head = S(16), pad = S(8);
  int x = m;
  move(maskGroup_, x, bandTop, maskWidth, band);
  const int column = (maskWidth - 3 * pad) / 2;
  for (int i = 0; i < 2; ++i) {
    TMaskPanel& panel = masks_[static_cast<size_t>(i)];
    const int cx = x + pad + i * (column + pad);
    int cy = bandTop + head;
    move(panel.label, cx, cy, column, S(28));
    cy += S(30);
    const int editWidth = column - 2 * (S(22) + S(2));
    move(panel.edit, cx, cy, editWidth, S(22));
    move(panel.add, cx + editWidth + S(2), cy, S(22), S(22));
    move(panel.remove, cx + editWidth + S(24), cy, S(22), S(22));
    cy += S(24);
    move(panel.list.Handle(), cx, cy, column, bandTop + band - pad - cy);
  }
  x += maskWidth + gap;

  move(attrGroup_, x, bandTop, attrWidth, band);
  int cy = bandTop + head;
  for (HWND mode : attrModes_) {
    move(mode, x + pad, cy, attrWidth - 2 * pad, line);
    cy += line;
  }
  cy += S(4);
  for (HWND box : attrBoxes_) {
    move(box, x + pad, cy, attrWidth - 2 * pad, line);
    cy += line;
  }
  x += attrWidth + gap;

  move(sizeGroup_, x, bandTop, sizeWidth, band);
  cy = bandTop + head;
  for (HWND mode : sizeModes_) {
    move(mode, x + pad, cy, sizeWidth - 2 * pad, line);
    cy += line;
  }
  cy += S(6);
  const int labelWidth = S(64), spinWidth = S(16), unitWidth = S(48);
  const int editWidth =
      std::max(S(30), sizeWidth - 2 * pad - labelWidth - gap - spinWidth - gap - unitWidth);
  for (TSizeRow& row : sizes_) {
    int cx = x + pad;
    move(row.label, cx, cy + S(3), labelWidth, S(16));
    cx += labelWidth + gap;
    move(row.edit, cx, cy, editWidth, S(22));
    cx += editWidth;
    move(row.spin, cx, cy, spinWidth, S(22));
    cx += spinWidth + gap;
    move(row.unit, cx, cy, unitWidth, S(200));
    cy += S(26);
  }
  // Controls moved over places others left: the whole page paints anew.
  RedrawWindow(page_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void TScanOptionsPage::ModelToControls() {
  TWindowModel& model = Model();
  for (const TFolderList which : {TFolderList::Fresh, TFolderList::Library}) {
    TFolderListModel& list = model.Folders(which);
    std::vector<THintCheckListBox::TRow> rows;
    for (const TDirRow& row : list.rows) rows.push_back({row.caption, row.state});
    Folders(which).SetRows(rows, list.selected);
    if (list.scrollTo >= 0) {
      Folders(which).ShowRow(list.scrollTo);
      list.scrollTo = -1;
    }
  }
  EnableWindow(removeFo_, !busy_ && RemoveFolderEnabled(model));
  SetChecked(scanArchives_, model.scanArchives);

  for (int i = 0; i < 2; ++i) {
    const TMaskListModel& list = MaskList(model, kMaskKinds[i]);
    TMaskPanel& panel = masks_[static_cast<size_t>(i)];
    std::vector<THintCheckListBox::TRow> rows;
    for (const TMaskRow& row : list.rows) rows.push_back({row.text, row.checked ? 1 : 0});
    panel.list.SetRows(rows, list.selected);
    SetTextIfDiffers(panel.edit, list.edit);
    EnableWindow(panel.remove, !busy_ && RemoveMaskEnabled(model, kMaskKinds[i]));
  }

  for (int i = 0; i < 3; ++i) {
    SetChecked(attrModes_[static_cast<size_t>(i)], model.attribMode == i);
    SetChecked(sizeModes_[static_cast<size_t>(i)], model.sizeMode == i);
  }
  const bool attrFlags[4] = {model.attrReadOnly, model.attrHidden, model.attrArchive,
                             model.attrSystem};
  for (int i = 0; i < 4; ++i) {
    SetChecked(attrBoxes_[static_cast<size_t>(i)], attrFlags[i]);
    EnableWindow(attrBoxes_[static_cast<size_t>(i)], !busy_ && AttribBoxesEnabled(model));
  }
  const bool sizeOn = !busy_ && SizeControlsEnabled(model);
  for (int i = 0; i < 2; ++i) {
    const TSizeEditModel& edit = SizeModel(i);
    TSizeRow& row = sizes_[static_cast<size_t>(i)];
    SetTextIfDiffers(row.edit, edit.text);
    SendMessageA(row.unit, CB_SETCURSEL, edit.unit, 0);
    for (HWND control : {row.edit, row.spin, row.unit}) EnableWindow(control, sizeOn);
  }
}

void TScanOptionsPage::ControlsToModel() {
  TWindowModel& model = Model();
  model.scanArchives = IsChecked(scanArchives_);
  for (int i = 0; i < 2; ++i)
    MaskList(model, kMaskKinds[i]).edit = TextOf(masks_[static_cast<size_t>(i)].edit);
  for (int i = 0; i < 3; ++i) {
    if (IsChecked(attrModes_[static_cast<size_t>(i)])) model.attribMode = static_cast<uint8_t>(i);
    if (IsChecked(sizeModes_[static_cast<size_t>(i)])) model.sizeMode = static_cast<uint8_t>(i);
  }
  model.attrReadOnly = IsChecked(attrBoxes_[0]);
  model.attrHidden = IsChecked(attrBoxes_[1]);
  model.attrArchive = IsChecked(attrBoxes_[2]);
  model.attrSystem = IsChecked(attrBoxes_[3]);
  for (int i = 0; i < 2; ++i) SizeModel(i).text = TextOf(sizes_[static_cast<size_t>(i)].edit);
}

void TScanOptionsPage::ApplyEditSelection(HWND edit, int start, int length) {
  SendMessageA(edit, EM_SETSEL, static_cast<WPARAM>(start), start + length);
  SendMessageA(edit, EM_SCROLLCARET, 0, 0);
}

void TScanOptionsPage::SizeFieldLeft(int index) {
  TSizeRow& row = sizes_[static_cast<size_t>(index)];
  // A field switched off meanwhile is not checked.
  if (!IsWindowEnabled(row.edit)) return;
  SizeModel(index).text = TextOf(row.edit);
  SizeEditLeft(SizeModel(index), SizeControl(index), Host(), Msgr());
  ModelToControls();
}

bool TScanOptionsPage::Command(int id, int code, HWND control) {
  TWindowModel& model = Model();
  switch (id) {
    case idAddFo:
      if (code == BN_CLICKED) AddFolderButton(model, Host(), Msgr(), FolderDialog());
      return true;
    case idRemoveFo:
      if (code == BN_CLICKED) RemoveSelectedFolder(model, Host());
      return true;
    case idAddCat:
      if (code == BN_CLICKED) {
        const std::vector<std::string> files =
            PickArchiveFiles(ctx_.owner, ArchiveDialogFolder(model));
        if (!files.empty()) AddArchiveFiles(model, Host(), Msgr(), files);
      }
      return true;
    case idFresh:
    case idLibrary:
      if (code == LBN_SELCHANGE) {
        const TFolderList which = id == idFresh ? TFolderList::Fresh : TFolderList::Library;
        // The two lists share one selection.
        SelectFolderRow(model, which, static_cast<int32_t>(SendMessageA(control, LB_GETCURSEL, 0, 0)));
        ModelToControls();
      }
      return true;
    case idLimitList:
    case idExcludeList:
      if (code == LBN_SELCHANGE)
        MaskList(model, id == idLimitList ? TMaskListKind::Limit : TMaskListKind::Exclude)
            .selected = static_cast<int32_t>(SendMessageA(control, LB_GETCURSEL, 0, 0));
      return true;
    case idLimitEdit:
    case idExcludeEdit: {
      const int index = id == idLimitEdit ? 0 : 1;
      TMaskListModel& list = MaskList(model, kMaskKinds[index]);
      if (code == EN_CHANGE) {
        list.edit = TextOf(control);
      } else if (code == EN_SETFOCUS) {
        // The application moved the focus here with a selection of its own.
        SetTextIfDiffers(control, list.edit);
        ApplyEditSelection(control, list.editSelStart, list.editSelLength);
      }
      return true;
    }
    case idLimitAdd:
    case idExcludeAdd:
      if (code == BN_CLICKED) {
        const int index = id == idLimitAdd ? 0 : 1;
        MaskList(model, kMaskKinds[index]).edit = TextOf(masks_[static_cast<size_t>(index)].edit);
        AddMaskFromEdit(model, Host(), Msgr(), kMaskKinds[index], true);
      }
      return true;
    case idLimitRemove:
    case idExcludeRemove:
      if (code == BN_CLICKED)
        RemoveSelectedMask(model, Host(), id == idLimitRemove ? TMaskListKind::Limit
                                                              : TMaskListKind::Exclude);
      return true;
    case idScanArchives:
    case idAttrIgnore:
    case idAttrExclude:
    case idAttrLimit:
    case idReadOnly:
    case idHidden:
    case idArchive:
    case idSystem:
    case idSizeIgnore:
    case idSizeExclude:
    case idSizeLimit:
      if (code == BN_CLICKED) {
        ControlsToModel();
        ModelToControls();  // the enabling rules
      }
      return true;
    case idSize1:
    case idSize2: {
      const int index = SizeIndex(id);
      if (code == EN_CHANGE) {
        SizeModel(index).text = TextOf(control);
      } else if (code == EN_SETFOCUS) {
        const TSizeEditModel& edit = SizeModel(index);
        SetTextIfDiffers(control, edit.text);
        ApplyEditSelection(control, edit.selStart, edit.selLength);
      }
      return true;
    }
    case idUnit1:
    case idUnit2:
      if (code == CBN_SELCHANGE) {
        const int index = SizeIndex(id);
        const LRESULT unit = SendMessageA(control, CB_GETCURSEL, 0, 0);
        if (unit >= 0) {
          SizeModel(index).text = TextOf(sizes_[static_cast<size_t>(index)].edit);
          SizeUnitChanged(SizeModel(index), SizeControl(index), Host(), Msgr(),
                          static_cast<uint8_t>(unit));
          ModelToControls();
        }
      }
      return true;
    default:
      return false;
  }
}

LRESULT TScanOptionsPage::Message(UINT msg, WPARAM wp, LPARAM lp, bool& handled) {
  switch (msg) {
    case WM_DRAWITEM: {
      const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
      for (THintCheckListBox* box : {&fresh_, &library_, static_cast<THintCheckListBox*>(&masks_[0].list),
                                     static_cast<THintCheckListBox*>(&masks_[1].list)}) {
        if (item.hwndItem == box->Handle()) {
          box->Draw(item);
          handled = true;
          return TRUE;
        }
      }
      return 0;
    }
    case WM_COMMAND:
      handled = Command(LOWORD(wp), HIWORD(wp), reinterpret_cast<HWND>(lp));
      return 0;
    case WM_NOTIFY: {
      const auto& hdr = *reinterpret_cast<const NMHDR*>(lp);
      if (hdr.code == UDN_DELTAPOS && (hdr.idFrom == idSpin1 || hdr.idFrom == idSpin2)) {
        const int index = SizeIndex(static_cast<int>(hdr.idFrom));
        // The step starts from the number shown, also one just typed.
        SizeModel(index).text = TextOf(sizes_[static_cast<size_t>(index)].edit);
        SizeEditLeft(SizeModel(index), SizeControl(index), Host(), Msgr());
        SizeSpin(SizeModel(index), Host(),
                 reinterpret_cast<const NMUPDOWN&>(hdr).iDelta < 0);
        handled = true;
        return TRUE;  // the spin button keeps its own position
      }
      return 0;
    }
    case kLeftField:
      SizeFieldLeft(SizeIndex(static_cast<int>(wp)));
      handled = true;
      return 0;
    default:
      return 0;
  }
}

LRESULT CALLBACK TScanOptionsPage::EditProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR,
                                            DWORD_PTR data) {
  auto* self = reinterpret_cast<TScanOptionsPage*>(data);
  const int id = GetDlgCtrlID(hwnd);
  const bool sizeEdit = id == idSize1 || id == idSize2;
  try {
    switch (msg) {
      case WM_GETDLGCODE: {
        // Enter belongs to the edit (adds the mask, selects the number).
        const auto* key = reinterpret_cast<const MSG*>(lp);
        if (key && key->message == WM_KEYDOWN && key->wParam == VK_RETURN)
          return DefSubclassProc(hwnd, msg, wp, lp) | DLGC_WANTALLKEYS;
        break;
      }
      case WM_KEYDOWN: {
        if (!sizeEdit) {
          if (wp == VK_RETURN) {
            const int index = id == idLimitEdit ? 0 : 1;
            TMaskListModel& list = MaskList(self->Model(), kMaskKinds[index]);
            list.edit = TextOf(hwnd);
            AddMaskFromEdit(self->Model(), self->Host(), self->Msgr(), kMaskKinds[index], true);
            return 0;
          }
          break;
        }
        TSizeKey key;
        switch (wp) {
          case VK_UP: key = TSizeKey::Up; break;
          case VK_DOWN: key = TSizeKey::Down; break;
          case VK_PRIOR: key = TSizeKey::PageUp; break;
          case VK_NEXT: key = TSizeKey::PageDown; break;
          case VK_RETURN: key = TSizeKey::Enter; break;
          default: return DefSubclassProc(hwnd, msg, wp, lp);
        }
        const int index = self->SizeIndex(id);
        TSizeEditModel& edit = self->SizeModel(index);
        edit.text = TextOf(hwnd);
        SizeEditKey(edit, SizeControl(index), self->Host(), self->Msgr(), key);
        self->ModelToControls();
        if (key == TSizeKey::Enter) {
          self->ApplyEditSelection(hwnd, edit.selStart, edit.selLength);
        } else {
          const int end = static_cast<int>(edit.text.size());
          SendMessageA(hwnd, EM_SETSEL, end, end);
        }
        return 0;
      }
      case WM_CHAR:
        if (wp == '\r') return 0;  // no beep
        break;
      case WM_KILLFOCUS: {
        // Checked when the focus went to another control of the window,
        // not to a message box or another program.
        const HWND to = reinterpret_cast<HWND>(wp);
        if (sizeEdit && to && IsChild(GetAncestor(hwnd, GA_ROOT), to))
          PostMessageA(GetParent(hwnd), kLeftField, static_cast<WPARAM>(id), 0);
        break;
      }
      case WM_NCDESTROY:
        RemoveWindowSubclass(hwnd, &TScanOptionsPage::EditProc, kEditSubclass);
        break;
    }
  } catch (...) {
    ReportCurrentException(hwnd, "scan options");
    return 0;
  }
  return DefSubclassProc(hwnd, msg, wp, lp);
}

void TScanOptionsPage::SetBusy(bool busy) {
  busy_ = busy;
  for (HWND c = GetWindow(page_, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) EnableWindow(c, !busy);
  if (busy) {
    HideStateHints();
  } else {
    ModelToControls();  // the enabling rules again
  }
}

HWND TScanOptionsPage::ControlFor(TControl control) const {
  switch (control) {
    case TControl::CLBoxFo: return fresh_.Handle();
    case TControl::ClBoxFo2: return library_.Handle();
    case TControl::ButtonAddFo: return addFo_;
    case TControl::ButtonAddFo2: return addCat_;
    case TControl::ButtonRemoveFo: return removeFo_;
    case TControl::CLBoxLiMa: return masks_[0].list.Handle();
    case TControl::CLBoxExMa: return masks_[1].list.Handle();
    case TControl::EditLiMa: return masks_[0].edit;
    case TControl::EditExMa: return masks_[1].edit;
    case TControl::ELimitSize1: return sizes_[0].edit;
    case TControl::ELimitSize2: return sizes_[1].edit;
    case TControl::ComboBoxLimitSizeUnit1: return sizes_[0].unit;
    case TControl::ComboBoxLimitSizeUnit2: return sizes_[1].unit;
    case TControl::CBScanArchives: return scanArchives_;
    default: return nullptr;
  }
}

bool TScanOptionsPage::Leaving() {
  ControlsToModel();
  // The question focuses the edit with its text selected; an edit that has
  // the focus already (the page left with the keyboard) gives it up first,
  // so that the selection is applied when the focus comes back.
  for (const TMaskPanel& panel : masks_)
    if (GetFocus() == panel.edit && GetWindowTextLengthA(panel.edit) > 0) SetFocus(page_);
  // The question may add a mask; the page is left either way.
  AskPendingMasks(Model(), Host(), Msgr());
  return true;
}

void TScanOptionsPage::ShowFolderRow(TFolderList list, int32_t row) {
  ModelToControls();
  SendMessageA(Folders(list).Handle(), LB_SETCURSEL, static_cast<WPARAM>(row), 0);
  Folders(list).ShowRow(row);
}

}  // namespace

std::unique_ptr<TOptionPage> MakeScanOptionsPage(TPageContext& context) {
  return std::make_unique<TScanOptionsPage>(context);
}

}  // namespace zw::win
