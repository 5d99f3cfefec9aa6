// Address ranges a technician types to scan beyond the broadcast domain:
// "a.b.c.d-e.f.g.h" (both ends included) or a CIDR block "a.b.c.d/n". Each
// address is read by the one dotted-IPv4 parser of the project.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace netaddr {

// A scan covers at most this many addresses.
inline constexpr uint32_t kMaxRangeAddresses = 4096;

// The addresses of a range, in ascending order, first field in the top
// byte. A CIDR block with a prefix under 31 leaves out its network and
// broadcast addresses (no camera answers there); /31 and /32 keep every
// address. Whitespace around the parts is refused like any other stray text.
// On failure `error`, when given, gets one sentence naming the fault.
std::optional<std::vector<uint32_t>> ParseAddressRange(std::string_view text,
                                                       std::string* error = nullptr);

// The addresses from `first` to `last`, both included; the same faults
// (reversed, too many) as the "a-b" form.
std::optional<std::vector<uint32_t>> AddressSpan(uint32_t first, uint32_t last,
                                                 std::string* error = nullptr);

} // namespace netaddr
