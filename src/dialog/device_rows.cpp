#include "dialog/device_rows.h"

#include "dialog/dialog_ids.h"
#include "netaddr/address_order.h"

int32_t g_bSelectAll = 1;

bool IsAddressLess(const std::string& first, const std::string& second) {
    return netaddr::AddressLess(first, second);
}

int AddFoundRow(DeviceRows& rows, const std::string& address, int32_t port) {
    int index = 0;
    for (; index < rows.GetItemCount(); ++index) {
        if (IsAddressLess(address, rows.GetItemText(index, COL_IP))) {
            break;
        }
    }
    const int row = rows.InsertItem(index);
    rows.SelectRow(row);
    rows.SetItemText(row, COL_IP, address);
    rows.SetItemText(row, COL_PORT, std::to_string(port));
    return row;
}

int FindRow(const DeviceRows& rows, const std::string& address) {
    for (int row = 0; row < rows.GetItemCount(); ++row) {
        if (rows.GetItemText(row, COL_IP) == address) {
            return row;
        }
    }
    return -1;
}

bool UpdateRows(DeviceRows& rows, const std::string& address, const std::string& text,
                uintptr_t state) {
    bool matched = false;
    for (int row = 0; row < rows.GetItemCount(); ++row) {
        if (rows.GetItemText(row, COL_IP) != address) {
            continue;
        }
        rows.SetItemText(row, COL_PROGRESS, text);
        rows.SetItemData(row, state);
        matched = true;
    }
    return matched;
}

void SetRowsVersion(DeviceRows& rows, const std::string& address, const std::string& version) {
    for (int row = 0; row < rows.GetItemCount(); ++row) {
        if (rows.GetItemText(row, COL_IP) == address) {
            rows.SetItemText(row, COL_VERSION, version);
        }
    }
}

void TickAllRows(DeviceRows& rows) {
    for (int row = 0; row < rows.GetItemCount(); ++row) {
        rows.SetCheck(row, g_bSelectAll != 0);
    }
    g_bSelectAll = !g_bSelectAll;
}

void TickFailedRows(DeviceRows& rows) {
    for (int row = 0; row < rows.GetItemCount(); ++row) {
        rows.SetCheck(row, rows.GetItemData(row) == ROW_FAILED);
    }
}

std::optional<RowRgb> RowColour(uintptr_t state) {
    switch (state) {
    case ROW_UPGRADING:
        return RowRgb{96, 123, 139};
    case ROW_SUCCEEDED:
        return RowRgb{64, 224, 205};
    case ROW_FAILED:
        return RowRgb{255, 127, 80};
    default:
        return std::nullopt;
    }
}
