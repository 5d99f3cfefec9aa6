// Resource ids of the window's templates, icon and strings. The control ids
// are those of dialog/dialog_ids.h, repeated here for the resource compiler,
// which reads preprocessor definitions only.
#pragma once

#define IDD_ABOUTBOX 100
#define IDD_TOLVANE_DIALOG 102
#define IDR_MAINFRAME 128

// Labels and groups, addressed only to be given their texts in the window's language.
#define IDC_LABEL_ADDRESS 1020
#define IDC_LABEL_PORT 1021
#define IDC_LABEL_USER 1022
#define IDC_LABEL_PASSWORD 1023
#define IDC_GROUP_SINGLE 1024
#define IDC_GROUP_BATCH 1025
#define IDC_ABOUT_VERSION 1026

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
