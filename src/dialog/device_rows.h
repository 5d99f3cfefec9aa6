// The device list as the dialog's logic sees it: rows of UTF-8 cells, a
// check box and an item-data word (the row state) each. A window's list
// control implements it; everything that decides what goes in the rows is
// written once, here, for every window.
#pragma once

#include "dialog/device_index.h"

#include <cstdint>
#include <optional>
#include <string>

class DeviceRows {
public:
    virtual int GetItemCount() const = 0;
    virtual std::string GetItemText(int row, int column) const = 0;
    virtual void SetItemText(int row, int column, const std::string& text) = 0;
    virtual uintptr_t GetItemData(int row) const = 0;
    virtual void SetItemData(int row, uintptr_t data) = 0;
    virtual bool GetCheck(int row) const = 0;
    virtual void SetCheck(int row, bool checked) = 0;
    // An empty, unticked row with item data 0 at `index`; returns its index.
    virtual int InsertItem(int index) = 0;
    // Selects the row and gives it the focus; the previous selection goes.
    virtual void SelectRow(int row) = 0;
    virtual void DeleteAllItems() = 0;

    // The index of these rows. Rows added or removed other than through the
    // functions below (a test filling the control itself) are read back into
    // it first: it always describes the rows as they are.
    DeviceIndex& Index() const;

protected:
    ~DeviceRows() = default;

private:
    mutable DeviceIndex m_index;
};

// The tick that the next click on the tick column's heading gives every row.
extern int32_t g_bSelectAll;

// True when `first` sorts before `second`, in the one address order of the
// project (netaddr::AddressLess), which the command line's search shares.
bool IsAddressLess(const std::string& first, const std::string& second);

// A found camera: a new row in address order (behind equal and unordered
// addresses), selected, with its address and port. Returns the row; -1 when
// the camera (address and port) is listed already, which changes nothing.
int AddFoundRow(DeviceRows& rows, const std::string& address, int32_t port);

// Empties the list.
void ClearRows(DeviceRows& rows);

// The first row showing the address; -1 when none does.
int FindRow(const DeviceRows& rows, const std::string& address);

// Shows text and state on every row of the address; false when no row has it.
bool UpdateRows(DeviceRows& rows, const std::string& address, const std::string& text,
                uintptr_t state);

// Writes a version into every row of the address.
void SetRowsVersion(DeviceRows& rows, const std::string& address, const std::string& version);

// A click on the tick column's heading: every row gets g_bSelectAll, which
// then flips (on an empty list too).
void TickAllRows(DeviceRows& rows);

// Ticks the rows that failed and unticks the others.
void TickFailedRows(DeviceRows& rows);

struct RowRgb {
    uint8_t red;
    uint8_t green;
    uint8_t blue;
};

// Row background of a row state; nothing for states without a colour.
std::optional<RowRgb> RowColour(uintptr_t state);
