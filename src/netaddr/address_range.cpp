#include "netaddr/address_range.h"

#include "netaddr/dotted_ipv4.h"
#include "netaddr/fault_text.h"

namespace netaddr {
namespace {

std::optional<std::vector<uint32_t>> Fail(std::string* error, std::string fault) {
    if (error != nullptr) {
        *error = std::move(fault);
    }
    return std::nullopt;
}

// One end of a range, its fault named by which end it is (a marked text with %1).
std::optional<uint32_t> ParseEnd(std::string_view text, const char* which, std::string* error) {
    std::string fault;
    std::optional<Ipv4Address> address = ParseIpv4(text, &fault);
    if (!address) {
        if (error != nullptr) {
            *error = FaultText(which, {fault});
        }
        return std::nullopt;
    }
    return address->value;
}

std::optional<std::vector<uint32_t>> ParseBlock(std::string_view base, std::string_view prefix,
                                                std::string* error) {
    std::optional<uint32_t> network =
        ParseEnd(base, QT_TRANSLATE_NOOP("netaddr", "the block's address is not valid: %1"), error);
    if (!network) {
        return std::nullopt;
    }
    const bool digitsOnly = !prefix.empty() && prefix.size() <= 2 &&
                            prefix.find_first_not_of("0123456789") == std::string_view::npos &&
                            !(prefix.size() > 1 && prefix[0] == '0');
    const int bits = digitsOnly ? std::stoi(std::string(prefix)) : -1;
    if (bits < 0 || bits > 32) {
        return Fail(error,
                    FaultText(QT_TRANSLATE_NOOP(
                        "netaddr", "the prefix length after '/' must be a number from 0 to 32")));
    }
    const uint64_t size = uint64_t{1} << (32 - bits);
    const uint32_t mask = bits == 0 ? 0 : ~uint32_t{0} << (32 - bits);
    if ((*network & ~mask) != 0) {
        return Fail(error,
                    FaultText(QT_TRANSLATE_NOOP("netaddr",
                                                "the block's address has host bits set (the block "
                                                "of /%1 starts at %2)"),
                              {prefix, FormatIpv4(*network & mask)}));
    }
    const uint64_t hosts = bits < 31 ? size - 2 : size;
    if (hosts > kMaxRangeAddresses) {
        return Fail(error, FaultText(QT_TRANSLATE_NOOP(
                                         "netaddr",
                                         "the block holds %1 addresses; a scan covers at most %2"),
                                     {std::to_string(hosts), std::to_string(kMaxRangeAddresses)}));
    }
    const uint32_t first = bits < 31 ? *network + 1 : *network;
    return AddressSpan(first, first + static_cast<uint32_t>(hosts - 1), error);
}

} // namespace

std::optional<std::vector<uint32_t>> AddressSpan(uint32_t first, uint32_t last,
                                                 std::string* error) {
    if (last < first) {
        return Fail(error, FaultText(QT_TRANSLATE_NOOP("netaddr",
                                                       "the range is reversed: %1 comes after %2"),
                                     {FormatIpv4(first), FormatIpv4(last)}));
    }
    const uint64_t count = uint64_t{last} - first + 1;
    if (count > kMaxRangeAddresses) {
        return Fail(error, FaultText(QT_TRANSLATE_NOOP(
                                         "netaddr",
                                         "the range holds %1 addresses; a scan covers at most %2"),
                                     {std::to_string(count), std::to_string(kMaxRangeAddresses)}));
    }
    std::vector<uint32_t> addresses;
    addresses.reserve(static_cast<size_t>(count));
    for (uint64_t value = first; value <= last; ++value) {
        addresses.push_back(static_cast<uint32_t>(value));
    }
    return addresses;
}

std::optional<std::vector<uint32_t>> ParseAddressRange(std::string_view text, std::string* error) {
    if (text.empty()) {
        return Fail(error, FaultText(QT_TRANSLATE_NOOP("netaddr", "the range is empty")));
    }
    const size_t dash = text.find('-');
    const size_t slash = text.find('/');
    if (dash != std::string_view::npos && slash != std::string_view::npos) {
        return Fail(error,
                    FaultText(QT_TRANSLATE_NOOP(
                        "netaddr", "a range is either FIRST-LAST or ADDRESS/PREFIX, not both")));
    }
    if (slash != std::string_view::npos) {
        return ParseBlock(text.substr(0, slash), text.substr(slash + 1), error);
    }
    if (dash == std::string_view::npos) {
        return Fail(error, FaultText(QT_TRANSLATE_NOOP("netaddr",
                                                       "a range is FIRST-LAST or ADDRESS/PREFIX")));
    }
    std::optional<uint32_t> first =
        ParseEnd(text.substr(0, dash),
                 QT_TRANSLATE_NOOP("netaddr", "the first address is not valid: %1"), error);
    if (!first) {
        return std::nullopt;
    }
    std::optional<uint32_t> last =
        ParseEnd(text.substr(dash + 1),
                 QT_TRANSLATE_NOOP("netaddr", "the last address is not valid: %1"), error);
    if (!last) {
        return std::nullopt;
    }
    return AddressSpan(*first, *last, error);
}

} // namespace netaddr
