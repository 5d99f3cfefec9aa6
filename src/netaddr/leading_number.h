// The number at the start of a text, read the way the classic atoi reads it.
#pragma once

#include <cstdint>
#include <string_view>

namespace netaddr {

// Leading decimal digits after optional blanks and sign; 0 when there are
// none; saturates instead of overflowing.
int64_t LeadingNumber(std::string_view text);

} // namespace netaddr
