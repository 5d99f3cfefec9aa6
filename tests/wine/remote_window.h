// Reading another process's window: texts by WM_GETTEXT, list view rows
// through a buffer in that process, message boxes by enumerating windows.
#pragma once

#include <string>
#include <vector>
#include <windows.h>
// The common controls build on the declarations above.
#include <commctrl.h>
// Utf8(): the window's own conversion, so that both read texts alike.
#include "wide_text.h"

std::string WindowText(HWND window);

// Memory in the other process, for the list view messages that take a pointer.
class RemoteBuffer {
public:
    RemoteBuffer(HANDLE process, size_t size);
    ~RemoteBuffer();
    RemoteBuffer(const RemoteBuffer&) = delete;
    RemoteBuffer& operator=(const RemoteBuffer&) = delete;

    void* Address() const { return m_address; }
    bool Write(const void* data, size_t size, size_t offset = 0);
    bool Read(void* data, size_t size, size_t offset = 0) const;

private:
    HANDLE m_process;
    void* m_address;
};

class RemoteList {
public:
    RemoteList(HANDLE process, HWND list) : m_list(list), m_buffer(process, 4096) {}
    HWND Handle() const { return m_list; }
    int Count() const;
    std::string Text(int row, int column);
    bool Checked(int row) const;
    void DeselectAll();
    // The cell's rectangle in screen coordinates.
    RECT CellOnScreen(int row, int column);
    int HeaderItems() const;
    // A left click on a column heading, as the mouse gives it.
    void ClickHeading(int column);

private:
    HWND m_list;
    RemoteBuffer m_buffer;
};

// The process's visible top-level dialogs (class #32770) other than `except`.
std::vector<HWND> ProcessDialogs(DWORD processId, HWND except);

// A message box's text: its static with the longest text.
std::string MessageBoxText(HWND box);
