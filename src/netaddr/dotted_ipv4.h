// Dotted IPv4 address texts, "a.b.c.d" and "a.b.c.d:port", read strictly:
// exactly four decimal fields 0 to 255 without leading zeros (a lone "0" is
// fine), no signs, blanks or other text, and a decimal port 1 to 65535.
// Every place that takes an address from a person, a file or the network
// reads it here, so that what one program accepts no other refuses.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace netaddr {

struct Ipv4Address {
    uint32_t value = 0; // first field in the top byte
    uint16_t port = 0;  // 0 when the text gave none
};

// "a.b.c.d". On failure `error`, when given, gets one sentence naming the
// fault (which field, and what is wrong with it).
std::optional<Ipv4Address> ParseIpv4(std::string_view text, std::string* error = nullptr);

// "a.b.c.d" or "a.b.c.d:port".
std::optional<Ipv4Address> ParseIpv4WithPort(std::string_view text, std::string* error = nullptr);

// True when ParseIpv4 takes the text; false for null.
bool IsDottedIpv4(const char* text);

// The canonical text of an address, "a.b.c.d".
std::string FormatIpv4(uint32_t value);

} // namespace netaddr
