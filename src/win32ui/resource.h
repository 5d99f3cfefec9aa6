// Resource ids of the window's templates, icon and strings. The control ids
// are those of dialog/dialog_ids.h, repeated here for the resource compiler,
// which reads preprocessor definitions only.
#pragma once

#define IDD_ABOUTBOX 100
#define IDS_ABOUTBOX 101
#define IDD_TOLVANE_DIALOG 102
#define IDR_MAINFRAME 128

#ifdef RC_INVOKED
#define IDC_EDIT_PORT 1000
#define IDC_EDIT_USER 1001
#define IDC_LIST_DEVICES 1002
#define IDC_BTN_UPGRADE 1003
#define IDC_BTN_SEARCH 1004
#define IDC_EDIT_PASSWORD 1005
#define IDC_IPADDRESS 1006
#define IDC_STATIC_SINGLE_STATUS 1008
#define IDC_STATIC_BATCH_STATUS 1009
#define IDC_BTN_BATCH_UPGRADE 1010
#endif
