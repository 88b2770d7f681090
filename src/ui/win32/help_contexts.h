// Help context numbers of the windows, pages and dialogs: the topics that
// F1 and Ctrl+K open in Zwillo.chm. The help project (help/zwillo.hhp)
// includes this file in its [MAP] section and maps each name to its page in
// [ALIAS], so the program and the help file share one list; the help build
// and the zw_help_links test fail when a name has no page.
//
// Plain #define lines only (the help compiler reads them too).
#ifndef ZW_UI_WIN32_HELP_CONTEXTS_H
#define ZW_UI_WIN32_HELP_CONTEXTS_H

#define IDH_MAIN_WINDOW 21
#define IDH_RESULTS_PAGE 22
#define IDH_COMPARISON_OPTIONS 23
#define IDH_SCAN_OPTIONS 24
#define IDH_COMMON_OPTIONS 25
#define IDH_HELP_PAGE 26
#define IDH_ABOUT_PAGE 27
#define IDH_KEYBOARD 220
#define IDH_CHECK_BY_CRITERIA 230
#define IDH_CREATE_CATALOG 231
#define IDH_ADV_FILENAME 232
#define IDH_ADV_SIZE 233
#define IDH_ADV_DATE 234
#define IDH_ADV_CONTENT 235
#define IDH_COUNTDOWN_BOX 240
#define IDH_SCAN_LOG 241
#define IDH_EXCEPTION_REPORT 242
#define IDH_FILE_TYPES 251
#define IDH_SCRIPT_COMMANDS 260
#define IDH_FILE_FORMATS 270

#endif
