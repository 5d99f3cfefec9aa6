#include "list_view_rows.h"

#include "dialog/dialog_ids.h"
#include "dialog/ui_texts.h"
#include "ui_language.h"
#include "wide_text.h"

#include <windows.h>
// The common controls build on the declarations above.
#include <commctrl.h>

namespace {

struct Column {
    const char* heading;
    int format;
    int width;
};

constexpr Column kColumns[COL_COUNT] = {
    {ui_text::kColumnCheck, LVCFMT_CENTER, 50},   {ui_text::kColumnAddress, LVCFMT_LEFT, 140},
    {ui_text::kColumnPort, LVCFMT_LEFT, 50},      {ui_text::kColumnVersion, LVCFMT_LEFT, 160},
    {ui_text::kColumnProgress, LVCFMT_LEFT, 540},
};

// Cells hold addresses, versions and texts of at most 127 bytes.
constexpr int kCellChars = 512;

} // namespace

void ListViewRows::SetUp() {
    const DWORD styles = LVS_EX_GRIDLINES | LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT;
    ListView_SetExtendedListViewStyleEx(m_list, styles, styles);
    for (int column = 0; column < COL_COUNT; ++column) {
        std::wstring heading = Wide(UiText(kColumns[column].heading));
        LVCOLUMNW lvc{};
        lvc.mask = LVCF_FMT | LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        lvc.fmt = kColumns[column].format;
        lvc.cx = kColumns[column].width;
        lvc.pszText = heading.data();
        lvc.iSubItem = column;
        SendMessageW(m_list, LVM_INSERTCOLUMNW, column, reinterpret_cast<LPARAM>(&lvc));
    }
}

int ListViewRows::GetItemCount() const {
    return ListView_GetItemCount(m_list);
}

std::string ListViewRows::GetItemText(int row, int column) const {
    wchar_t buffer[kCellChars] = {};
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = buffer;
    item.cchTextMax = kCellChars;
    SendMessageW(m_list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
    return Utf8(buffer);
}

void ListViewRows::SetItemText(int row, int column, const std::string& text) {
    std::wstring wide = Wide(text);
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = wide.data();
    SendMessageW(m_list, LVM_SETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
}

uintptr_t ListViewRows::GetItemData(int row) const {
    LVITEMW item{};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    if (!SendMessageW(m_list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item)))
        return 0;
    return static_cast<uintptr_t>(item.lParam);
}

void ListViewRows::SetItemData(int row, uintptr_t data) {
    LVITEMW item{};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    item.lParam = static_cast<LPARAM>(data);
    SendMessageW(m_list, LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
    // The colour comes from the item data: paint the row again.
    ListView_RedrawItems(m_list, row, row);
}

bool ListViewRows::GetCheck(int row) const {
    return ListView_GetCheckState(m_list, row) != 0;
}

void ListViewRows::SetCheck(int row, bool checked) {
    ListView_SetCheckState(m_list, row, checked ? TRUE : FALSE);
}

int ListViewRows::InsertItem(int index) {
    wchar_t empty[] = L"";
    LVITEMW item{};
    item.mask = LVIF_TEXT | LVIF_PARAM;
    item.iItem = index;
    item.pszText = empty;
    item.lParam = 0;
    return static_cast<int>(
        SendMessageW(m_list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
}

void ListViewRows::SelectRow(int row) {
    const UINT bits = LVIS_SELECTED | LVIS_FOCUSED;
    ListView_SetItemState(m_list, row, bits, bits);
}

void ListViewRows::DeleteAllItems() {
    ListView_DeleteAllItems(m_list);
}
