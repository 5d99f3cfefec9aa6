#include "netaddr/address_order.h"

#include "netaddr/leading_number.h"

#include <cstdint>

namespace netaddr {
namespace {

// Splits at every dot; false unless there are exactly four parts.
bool SplitAddress(std::string_view text, int64_t (&parts)[4]) {
    size_t count = 0;
    size_t start = 0;
    while (true) {
        const size_t dot = text.find('.', start);
        if (count == 4) {
            return false;
        }
        parts[count++] = LeadingNumber(text.substr(start, dot - start));
        if (dot == std::string_view::npos) {
            break;
        }
        start = dot + 1;
    }
    return count == 4;
}

} // namespace

std::optional<AddressKey> AddressKeyOf(std::string_view text) {
    int64_t parts[4];
    if (!SplitAddress(text, parts)) {
        return std::nullopt;
    }
    return AddressKey{parts[0], parts[1], parts[2], parts[3]};
}

bool AddressLess(std::string_view first, std::string_view second) {
    const std::optional<AddressKey> left = AddressKeyOf(first);
    const std::optional<AddressKey> right = AddressKeyOf(second);
    return left && right && *left < *right;
}

} // namespace netaddr
