// The device list control as the dialog's logic reads and writes it.
#pragma once

#include "dialog/device_rows.h"

class DeviceListCtrl;

class ListRows final : public DeviceRows {
public:
    explicit ListRows(DeviceListCtrl* list = nullptr) : m_list(list) {}
    void Attach(DeviceListCtrl* list) { m_list = list; }

    int GetItemCount() const override;
    std::string GetItemText(int row, int column) const override;
    void SetItemText(int row, int column, const std::string& text) override;
    uintptr_t GetItemData(int row) const override;
    void SetItemData(int row, uintptr_t data) override;
    bool GetCheck(int row) const override;
    void SetCheck(int row, bool checked) override;
    int InsertItem(int index) override;
    void SelectRow(int row) override;
    void DeleteAllItems() override;

private:
    DeviceListCtrl* m_list;
};
