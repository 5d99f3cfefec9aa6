#include "dialog/device_index.h"

#include <algorithm>

int DeviceIndex::InsertionRow(const std::string& address) const {
    const std::optional<netaddr::AddressKey> key = netaddr::AddressKeyOf(address);
    if (!key) {
        return Size(); // nothing sorts after it: the bottom
    }
    // The rows with four-part addresses are in address order in the list, so
    // the first of them that sorts after the new one is the first such row
    // from the top; rows without such an address are passed over.
    const auto after = m_ordered.upper_bound(*key);
    return after == m_ordered.end() ? Size() : m_positions.PositionOf(after->second);
}

void DeviceIndex::Inserted(int row, const std::string& address, int32_t port) {
    const RowPositions::Handle handle = m_positions.InsertAt(row);
    if (const std::optional<netaddr::AddressKey> key = netaddr::AddressKeyOf(address)) {
        m_ordered.emplace(*key, handle);
    }
    m_byAddress[address].push_back({handle, port});
}

bool DeviceIndex::Contains(const std::string& address, int32_t port) const {
    const auto found = m_byAddress.find(address);
    if (found == m_byAddress.end()) {
        return false;
    }
    return std::any_of(found->second.begin(), found->second.end(),
                       [port](const Entry& entry) { return entry.port == port; });
}

std::vector<int> DeviceIndex::RowsOf(const std::string& address) const {
    std::vector<int> rows;
    const auto found = m_byAddress.find(address);
    if (found == m_byAddress.end()) {
        return rows;
    }
    rows.reserve(found->second.size());
    for (const Entry& entry : found->second) {
        rows.push_back(m_positions.PositionOf(entry.handle));
    }
    std::sort(rows.begin(), rows.end());
    return rows;
}

void DeviceIndex::Clear() {
    m_positions.Clear();
    m_ordered.clear();
    m_byAddress.clear();
}
