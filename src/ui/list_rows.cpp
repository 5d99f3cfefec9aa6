#include "list_rows.h"

#include "device_list_ctrl.h"

int ListRows::GetItemCount() const {
    return m_list->GetItemCount();
}

std::string ListRows::GetItemText(int row, int column) const {
    return m_list->GetItemText(row, column).toStdString();
}

void ListRows::SetItemText(int row, int column, const std::string& text) {
    m_list->SetItemText(row, column, QString::fromStdString(text));
}

uintptr_t ListRows::GetItemData(int row) const {
    return m_list->GetItemData(row);
}

void ListRows::SetItemData(int row, uintptr_t data) {
    m_list->SetItemData(row, data);
}

bool ListRows::GetCheck(int row) const {
    return m_list->GetCheck(row);
}

void ListRows::SetCheck(int row, bool checked) {
    m_list->SetCheck(row, checked);
}

int ListRows::InsertItem(int index) {
    return m_list->InsertItem(index, QString());
}

void ListRows::SelectRow(int row) {
    m_list->SelectRow(row);
}

void ListRows::DeleteAllItems() {
    m_list->DeleteAllItems();
}
