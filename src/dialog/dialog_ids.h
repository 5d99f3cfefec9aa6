// Control ids, list columns and row states of the main dialog, shared by
// every window that draws it.
#pragma once

#include <cstdint>

// Control ids of the dialog template (also the controls' object names).
constexpr int IDC_EDIT_PORT = 1000;
constexpr int IDC_EDIT_USER = 1001;
constexpr int IDC_LIST_DEVICES = 1002;
constexpr int IDC_BTN_UPGRADE = 1003;
constexpr int IDC_BTN_SEARCH = 1004;
constexpr int IDC_EDIT_PASSWORD = 1005;
constexpr int IDC_IPADDRESS = 1006;
constexpr int IDC_STATIC_SINGLE_STATUS = 1008;
constexpr int IDC_STATIC_BATCH_STATUS = 1009;
constexpr int IDC_BTN_BATCH_UPGRADE = 1010;

constexpr uint32_t IDM_ABOUTBOX = 0x0010;

// Device list columns.
constexpr int COL_CHECK = 0;
constexpr int COL_IP = 1;
constexpr int COL_PORT = 2;
constexpr int COL_VERSION = 3;
constexpr int COL_PROGRESS = 4;
constexpr int COL_COUNT = 5;

// Row states, kept in each row's item data.
constexpr uintptr_t ROW_STATE_NONE = 0;
constexpr uintptr_t ROW_UPGRADING = 1;
constexpr uintptr_t ROW_SUCCEEDED = 2;
constexpr uintptr_t ROW_FAILED = 3;

// Credentials of every batch upgrade and plan.
inline constexpr char kBatchUser[] = "admin";
inline constexpr char kBatchPassword[] = "ploma";
