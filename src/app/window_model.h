// The window model: plain data that mirrors what the main window's controls
// hold. The application's behaviour (run driver, folder and mask lists,
// scripts, settings) reads and changes only this; the Win32 window binds its
// controls to it, and the program without a window has nothing else.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "engine/common/criteria_options.h"
#include "engine/scan/mask.h"
#include "engine/scan/scan_job.h"

namespace zw {

// Pages of the main window.
enum class TPage : uint8_t {
  Results = 0,         // TabSheetZwillo
  CompOptions = 1,     // TabSheetCompOptions
  ScanOptions = 2,     // TabSheetScanOptions
  CommonOptions = 3,   // TabSheetCommonOptions
  Help = 4,            // TabSheetHelp
  About = 5,           // TabSheetAbout
};

// Controls the application may focus or point at, by their component names.
enum class TControl : uint16_t {
  CBFilename, CBSize, CBDate, CBContent,
  BtnFilename, BtnSize, BtnDate, BtnContent,
  CLBoxFo, ClBoxFo2, ButtonAddFo, ButtonAddFo2, ButtonRemoveFo,
  CLBoxLiMa, CLBoxExMa, EditLiMa, EditExMa,
  ELimitSize1, ELimitSize2, ComboBoxLimitSizeUnit1, ComboBoxLimitSizeUnit2,
  CBScanArchives, CheckBoxStatus, CBFindEmptyDirs,
  ButtonRun, ButtonCancel, ListView1,
  // The colour boxes of the row kinds light, light checked, dark, dark checked.
  CBListLight, CBListLightChecked, CBListDark, CBListDarkChecked,
};

// Which of the two folder lists.
enum class TFolderList : uint8_t { Fresh = 0, Library = 1 };  // CLBoxFo, ClBoxFo2

// One folder list box: rows with caption and state, and the selected row.
struct TFolderListModel {
  std::vector<TDirRow> rows;
  int32_t selected = -1;  // -1: none
  // A row the list should scroll into sight (a row just added); the window
  // scrolls at its next redraw and sets this back to -1. Not a selection.
  int32_t scrollTo = -1;
};

// One mask list box with its edit field.
struct TMaskListModel {
  std::vector<TMaskRow> rows;
  std::string edit;  // EditLiMa / EditExMa
  int32_t selected = -1;
  // Caret and selected text of the edit, as the window applies them when the
  // application moves the focus into the edit (start 0, length 0: caret at
  // the start; length = text size: the whole text selected).
  int32_t editSelStart = 0;
  int32_t editSelLength = 0;
};

// A size edit with its unit box: the text shown, and the value in bytes
// kept beside it.
struct TSizeEditModel {
  std::string text = "0";
  uint8_t unit = 1;     // "kB"
  uint64_t bytes = 0;
  // Selected text, applied when the application focuses the edit.
  int32_t selStart = 0;
  int32_t selLength = 0;
};

// What the result list view shows and how: display options, focus, the
// check direction and what the last scan or import left.
struct TResultViewModel {
  // CBFilesizeDisplayUnit: 0 bytes ... 6 Ebytes, 7 best fitting unit.
  uint8_t sizeUnit = 0;
  bool displaySecs = false;        // CBDisplaySecs
  bool altPathShortening = false;  // CBAltPathShortening
  // Backgrounds of the row kinds light, light checked, dark, dark checked
  // (0x00BBGGRR); kDefaultColor = the row kind's default colour.
  static constexpr uint32_t kDefaultColor = 0x20000000;
  uint32_t colors[4] = {kDefaultColor, kDefaultColor, kDefaultColor, kDefaultColor};
  bool hideExtensions = true;  // CBHideExtensions: hide extensions when renaming
  // The CRC32-available option: the last scan compared contents by CRC32,
  // or the imported list carried CRC32 values.
  bool crcAvailable = false;
  // The focused row of the list (-1 none) and the top row on screen.
  int32_t focused = -1;
  int32_t topRow = 0;
  bool uncheckTab = false;  // TabControlCheck shows "Uncheck" (rules uncheck)
};

// The result list's font (Comm_ResultFontFace, Comm_ResultFontStyle).
struct TFontModel {
  static constexpr const char* kDefaultFace = "MS Sans Serif";
  std::string face = kDefaultFace;
  uint8_t style = 0;  // bit 0 bold, 1 italic, 2 underline, 3 strike-out
  int32_t size = 8;   // points
};

// Where the main window stands (Comm_WindowPos): its restored rectangle and
// its state (0 normal, 1 minimised, 2 maximised).
struct TWindowPlacement {
  int32_t left = 0;
  int32_t top = 0;
  int32_t width = 0;   // 0: the window's own size (nothing placed yet)
  int32_t height = 0;
  uint8_t state = 0;
  bool restored = false;  // a stored placement was applied at start
};

// The result list's columns (Comm_ResListCols): the order in which the five
// columns (file name, path, size, date, CRC32) are shown and their widths.
struct TColumnsModel {
  uint8_t order[5] = {0, 1, 2, 3, 4};
  int16_t widths[5] = {138, 138, 66, 124, 76};
};

// The "store settings" group of the common options and what the program
// registered with the desktop.
struct TStoreOptions {
  bool saveWindowPos = false;          // CBSaveWindowPos
  bool saveResultListColumns = false;  // CBSaveResultListColumns
  bool regFiletypes = false;           // CBRegFiletypes
  bool delRegEnabled = false;          // ButtonDelReg
  // File-type flags: bit 0 registration on, 1 result lists (.zwr), 2 catalog
  // files (.zwc), 3 the folder command. What is registered now, and what
  // the options want.
  uint8_t fileTypesRegistered = 0;
  uint8_t fileTypesWanted = 7;
};

struct TWindowModel {
  // Comparison options: the four criterion boxes (CBFilename, CBSize,
  // CBDate, CBContent) and their advanced records.
  TCompareSettings compare;

  // Scan options.
  TFolderListModel fresh;    // CLBoxFo: 'fresh' - compared among themselves
  TFolderListModel library;  // ClBoxFo2: 'library' - compared against 'fresh' only
  TMaskListModel limitMasks;    // CLBoxLiMa + EditLiMa
  TMaskListModel excludeMasks;  // CLBoxExMa + EditExMa
  // Attribute group: mode radios and the four boxes (factory: exclude system).
  uint8_t attribMode = fmExclude;
  bool attrReadOnly = false;
  bool attrHidden = false;
  bool attrArchive = false;
  bool attrSystem = true;
  // Size group (factory: ignore, 0 kB to 0 kB).
  uint8_t sizeMode = fmIgnore;
  TSizeEditModel sizeLow;
  TSizeEditModel sizeHigh;
  bool scanArchives = false;  // CBScanArchives

  // Common options that the engine and the actions read.
  bool lessStatus = false;      // CheckBoxStatus "less detailed status (slightly faster)"
  bool findEmptyDirs = true;    // CBFindEmptyDirs
  bool saveSettings = false;    // CheckBoxSaveReg "save settings in registry"
  TStoreOptions store;
  TFontModel resultFont;        // the result list's font
  TWindowPlacement placement;   // the main window's place and state
  TColumnsModel columns;        // the result list's columns
  // The language in force (0 the built-in English), as the language combo
  // box CBLanguage selects it.
  int32_t language = 0;
  // Recently used masks of the check-by-criteria dialog (MRU_CbC-Files,
  // MRU_CbC-Paths), newest first; `mruUsed` once that dialog was opened in
  // this run, so that the lists are stored on closing.
  std::vector<std::string> mruFiles;
  std::vector<std::string> mruPaths;
  bool mruUsed = false;

  // The result list view.
  TResultViewModel results;

  // Window state.
  TPage page = TPage::Results;
  bool busy = false;        // IsBusy
  bool listLocked = false;  // the result list is disabled (file operation)
  std::string statusText;   // LabelStatus

  TFolderListModel& Folders(TFolderList which) {
    return which == TFolderList::Fresh ? fresh : library;
  }
  const TFolderListModel& Folders(TFolderList which) const {
    return which == TFolderList::Fresh ? fresh : library;
  }
};

}  // namespace zw
