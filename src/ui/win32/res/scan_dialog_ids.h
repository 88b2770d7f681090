// Resource and control ids of the scan options page's dialogs
// (scan_dialogs.rc).
#pragma once

// Add folder.
#define IDD_BROWSE_FOLDER 1300
#define IDC_BF_TREE 1301
#define IDC_BF_EFOLDER 1302
#define IDC_BF_LBLDIR 1303
#define IDC_BF_TYPE 1304
#define IDC_BF_FRESH 1305
#define IDC_BF_LIBRARY 1306
#define IDC_BF_STATE 1307
#define IDC_BF_SINGLE 1308
#define IDC_BF_RECURSIVE 1309
#define IDC_BF_EXCLUDE 1310
#define IDC_BF_INACTIVE 1311
#define IDC_BF_HELP 1312
