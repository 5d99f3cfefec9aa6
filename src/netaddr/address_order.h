// The order in which addresses are listed: the device list of the window and
// the search output of the command line show cameras the same way.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace netaddr {

// True when `first` sorts before `second`: both four dot-separated parts,
// compared part by part as numbers (leading digits, 0 when none). A text
// that is not four parts is never less, and nothing is less than it, so an
// ordered insertion (before the first row that sorts after the new one)
// leaves such a text where it arrived and keeps equal addresses in arrival
// order. This is not a strict weak order over such texts: insert, do not sort.
bool AddressLess(std::string_view first, std::string_view second);

// The four numbers AddressLess compares, in order; nothing for a text that is
// not four parts. Lexicographic order of keys is AddressLess.
using AddressKey = std::array<int64_t, 4>;
std::optional<AddressKey> AddressKeyOf(std::string_view text);

} // namespace netaddr
