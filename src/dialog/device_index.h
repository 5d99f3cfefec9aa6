// Beside the device list's rows: where each address's rows are now, and
// where a newly found address goes. Row order is the list's insertion rule
// (in front of the first row whose address sorts after the new one), found by
// a binary search over the ordered addresses instead of a scan of the rows;
// an address leads to its rows through a hash. Every operation is O(log n)
// in the rows, or O(k log n) for an address with k rows.
#pragma once

#include "dialog/row_positions.h"
#include "netaddr/address_order.h"

#include <cstdint>
#include <map>
#include <string>
#include <unordered_map>
#include <vector>

class DeviceIndex {
public:
    // The row a newly found address goes to.
    int InsertionRow(const std::string& address) const;
    // Records a row inserted at `row` for (address, port); rows behind it move down.
    void Inserted(int row, const std::string& address, int32_t port);
    // True when a row shows exactly this address (byte for byte) and port.
    bool Contains(const std::string& address, int32_t port) const;
    // The rows showing exactly this address, top to bottom.
    std::vector<int> RowsOf(const std::string& address) const;
    int Size() const { return m_positions.Size(); }
    void Clear();

private:
    struct Entry {
        RowPositions::Handle handle;
        int32_t port;
    };

    RowPositions m_positions;
    // Rows with a four-part address, in address order; equal addresses in
    // list order, which is the order they were inserted in.
    std::multimap<netaddr::AddressKey, RowPositions::Handle> m_ordered;
    std::unordered_map<std::string, std::vector<Entry>> m_byAddress;
};
