#include "dialog/device_rows.h"

#include "dialog/dialog_ids.h"
#include "netaddr/address_order.h"

#include <cstdlib>

int32_t g_bSelectAll = 1;

bool IsAddressLess(const std::string& first, const std::string& second) {
    return netaddr::AddressLess(first, second);
}

DeviceIndex& DeviceRows::Index() const {
    const int count = GetItemCount();
    if (m_index.Size() != count) {
        m_index.Clear();
        for (int row = 0; row < count; ++row) {
            m_index.Inserted(
                row, GetItemText(row, COL_IP),
                static_cast<int32_t>(std::strtol(GetItemText(row, COL_PORT).c_str(), nullptr, 10)));
        }
    }
    return m_index;
}

int AddFoundRow(DeviceRows& rows, const std::string& address, int32_t port) {
    DeviceIndex& index = rows.Index();
    if (index.Contains(address, port)) {
        return -1;
    }
    const int row = rows.InsertItem(index.InsertionRow(address));
    index.Inserted(row, address, port);
    rows.SelectRow(row);
    rows.SetItemText(row, COL_IP, address);
    rows.SetItemText(row, COL_PORT, std::to_string(port));
    return row;
}

void ClearRows(DeviceRows& rows) {
    rows.DeleteAllItems();
    rows.Index().Clear();
}

int FindRow(const DeviceRows& rows, const std::string& address) {
    const std::vector<int> found = rows.Index().RowsOf(address);
    return found.empty() ? -1 : found.front();
}

bool UpdateRows(DeviceRows& rows, const std::string& address, const std::string& text,
                uintptr_t state) {
    const std::vector<int> found = rows.Index().RowsOf(address);
    for (const int row : found) {
        rows.SetItemText(row, COL_PROGRESS, text);
        rows.SetItemData(row, state);
    }
    return !found.empty();
}

void SetRowsVersion(DeviceRows& rows, const std::string& address, const std::string& version) {
    for (const int row : rows.Index().RowsOf(address)) {
        rows.SetItemText(row, COL_VERSION, version);
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
