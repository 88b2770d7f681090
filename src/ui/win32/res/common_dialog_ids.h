// Resource and control ids of the common options' dialog (common_dialogs.rc).
#pragma once

// Register file types (opened by the "..." button beside "register file types").
#define IDD_REG_FILETYPES 1600
#define IDC_RFT_HEADING 1601
#define IDC_RFT_RESULTLIST 1602
#define IDC_RFT_CATFILE 1603
#define IDC_RFT_DIRECTORY 1604
#define IDC_RFT_HELP 1605
