#include "remote_window.h"

std::string WindowText(HWND window) {
    wchar_t text[1024] = {};
    // Bounded: a window that does not answer in 5 s reads as empty.
    DWORD_PTR copied = 0;
    SendMessageTimeoutW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                        5000, &copied);
    return Utf8(text);
}

RemoteBuffer::RemoteBuffer(HANDLE process, size_t size)
    : m_process(process),
      m_address(VirtualAllocEx(process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE)) {}

RemoteBuffer::~RemoteBuffer() {
    if (m_address)
        VirtualFreeEx(m_process, m_address, 0, MEM_RELEASE);
}

bool RemoteBuffer::Write(const void* data, size_t size, size_t offset) {
    return WriteProcessMemory(m_process, static_cast<char*>(m_address) + offset, data, size,
                              nullptr) != 0;
}

bool RemoteBuffer::Read(void* data, size_t size, size_t offset) const {
    return ReadProcessMemory(m_process, static_cast<char*>(m_address) + offset, data, size,
                             nullptr) != 0;
}

int RemoteList::Count() const {
    return static_cast<int>(SendMessageW(m_list, LVM_GETITEMCOUNT, 0, 0));
}

std::string RemoteList::Text(int row, int column) {
    constexpr size_t kChars = 512;
    LVITEMW item{};
    item.iSubItem = column;
    item.cchTextMax = kChars;
    item.pszText = reinterpret_cast<wchar_t*>(static_cast<char*>(m_buffer.Address()) + 256);
    const wchar_t empty = 0;
    m_buffer.Write(&empty, sizeof(empty), 256);
    m_buffer.Write(&item, sizeof(item));
    SendMessageW(m_list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(m_buffer.Address()));
    std::wstring text(kChars, L'\0');
    m_buffer.Read(text.data(), kChars * sizeof(wchar_t), 256);
    text.resize(wcsnlen(text.c_str(), kChars));
    return Utf8(text);
}

bool RemoteList::Checked(int row) const {
    const LRESULT state = SendMessageW(m_list, LVM_GETITEMSTATE, row, LVIS_STATEIMAGEMASK);
    return ((state & LVIS_STATEIMAGEMASK) >> 12) == 2;
}

void RemoteList::DeselectAll() {
    LVITEMW item{};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = 0;
    m_buffer.Write(&item, sizeof(item));
    SendMessageW(m_list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1),
                 reinterpret_cast<LPARAM>(m_buffer.Address()));
}

RECT RemoteList::CellOnScreen(int row, int column) {
    RECT rect{LVIR_BOUNDS, column, 0, 0};
    m_buffer.Write(&rect, sizeof(rect));
    SendMessageW(m_list, LVM_GETSUBITEMRECT, row, reinterpret_cast<LPARAM>(m_buffer.Address()));
    m_buffer.Read(&rect, sizeof(rect));
    MapWindowPoints(m_list, nullptr, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

int RemoteList::HeaderItems() const {
    HWND header = reinterpret_cast<HWND>(SendMessageW(m_list, LVM_GETHEADER, 0, 0));
    return static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0));
}

void RemoteList::ClickHeading(int column) {
    HWND header = reinterpret_cast<HWND>(SendMessageW(m_list, LVM_GETHEADER, 0, 0));
    // Left edge of the column plus a little: the headings start at 0.
    int x = 10;
    for (int i = 0; i < column; ++i)
        x += static_cast<int>(SendMessageW(m_list, LVM_GETCOLUMNWIDTH, i, 0));
    RECT client;
    GetClientRect(header, &client);
    const LPARAM at = MAKELPARAM(x, client.bottom / 2);
    SendMessageW(header, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageW(header, WM_LBUTTONUP, 0, at);
}

namespace {

struct DialogSearch {
    DWORD processId;
    HWND except;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectDialog(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<DialogSearch*>(data);
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    wchar_t className[64] = {};
    GetClassNameW(window, className, 64);
    if (processId == search->processId && window != search->except && IsWindowVisible(window) &&
        wcscmp(className, L"#32770") == 0)
        search->found.push_back(window);
    return TRUE;
}

BOOL CALLBACK LongestStatic(HWND window, LPARAM data) {
    auto* longest = reinterpret_cast<std::string*>(data);
    wchar_t className[64] = {};
    GetClassNameW(window, className, 64);
    if (_wcsicmp(className, L"Static") == 0) {
        const std::string text = WindowText(window);
        if (text.size() > longest->size())
            *longest = text;
    }
    return TRUE;
}

} // namespace

std::vector<HWND> ProcessDialogs(DWORD processId, HWND except) {
    DialogSearch search{processId, except, {}};
    EnumWindows(&CollectDialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::string MessageBoxText(HWND box) {
    std::string longest;
    EnumChildWindows(box, &LongestStatic, reinterpret_cast<LPARAM>(&longest));
    return longest;
}
