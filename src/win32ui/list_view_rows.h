// The device list: a list view in report mode with check boxes, read and
// written as the dialog's logic sees it.
#pragma once

#include "dialog/device_rows.h"

#include <windows.h>

class ListViewRows final : public DeviceRows {
public:
    void Attach(HWND list) { m_list = list; }
    HWND Handle() const { return m_list; }

    // Gridlines, check boxes and full-row selection; the five columns.
    void SetUp();

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
    HWND m_list = nullptr;
};
