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

bool AddressLess(std::string_view first, std::string_view second) {
    int64_t left[4];
    int64_t right[4];
    if (!SplitAddress(first, left) || !SplitAddress(second, right)) {
        return false;
    }
    for (int i = 0; i < 4; ++i) {
        if (left[i] != right[i]) {
            return left[i] < right[i];
        }
    }
    return false;
}

} // namespace netaddr
