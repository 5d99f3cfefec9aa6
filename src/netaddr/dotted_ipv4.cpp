#include "netaddr/dotted_ipv4.h"

#include "netaddr/fault_text.h"

namespace netaddr {
namespace {

constexpr uint32_t kMaxPort = 65535;

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

std::string FieldNumber(int index) {
    return std::to_string(index + 1);
}

// Reads a run of digits at `at`; the value saturates just above `limit`.
uint32_t ReadDigits(std::string_view text, size_t& at, uint32_t limit) {
    uint32_t value = 0;
    for (; at < text.size() && IsDigit(text[at]); ++at) {
        value = value * 10 + static_cast<uint32_t>(text[at] - '0');
        if (value > limit) {
            value = limit + 1;
        }
    }
    return value;
}

// The fault of the port text after the colon, or empty when it is good.
std::string CheckPort(std::string_view text, uint16_t* port) {
    if (text.empty()) {
        return FaultText(QT_TRANSLATE_NOOP("netaddr", "the port after ':' is empty"));
    }
    size_t at = 0;
    const uint32_t value = ReadDigits(text, at, kMaxPort);
    if (at != text.size()) {
        return FaultText(QT_TRANSLATE_NOOP("netaddr", "the port is not a decimal number"));
    }
    if (text.size() > 1 && text[0] == '0') {
        return FaultText(QT_TRANSLATE_NOOP("netaddr", "the port has a leading zero"));
    }
    if (value < 1 || value > kMaxPort) {
        return FaultText(QT_TRANSLATE_NOOP("netaddr", "the port is out of range (1 to 65535)"));
    }
    *port = static_cast<uint16_t>(value);
    return {};
}

// The fault of `text` (address and, when allowed, ":port"), or empty.
std::string Check(std::string_view text, bool portAllowed, Ipv4Address* out) {
    if (text.empty()) {
        return FaultText(QT_TRANSLATE_NOOP("netaddr", "the address is empty"));
    }
    size_t at = 0;
    uint32_t address = 0;
    for (int field = 0; field < 4; ++field) {
        const size_t start = at;
        const uint32_t value = ReadDigits(text, at, 255);
        const bool atEnd = at == text.size() || (portAllowed && text[at] == ':');
        if (at == start) {
            if (atEnd || text[at] == '.') {
                return FaultText(QT_TRANSLATE_NOOP("netaddr", "field %1 is empty"),
                                 {FieldNumber(field)});
            }
            return FaultText(QT_TRANSLATE_NOOP("netaddr", "field %1 is not a decimal number"),
                             {FieldNumber(field)});
        }
        if (field < 3 && atEnd) {
            return FaultText(QT_TRANSLATE_NOOP("netaddr", "fewer than four fields"));
        }
        if (field < 3 && text[at] != '.') {
            return FaultText(QT_TRANSLATE_NOOP("netaddr", "field %1 is not a decimal number"),
                             {FieldNumber(field)});
        }
        if (field == 3 && !atEnd) {
            return FaultText(QT_TRANSLATE_NOOP("netaddr", "trailing text after the fourth field"));
        }
        if (at - start > 1 && text[start] == '0') {
            return FaultText(QT_TRANSLATE_NOOP("netaddr", "field %1 has a leading zero"),
                             {FieldNumber(field)});
        }
        if (value > 255) {
            return FaultText(QT_TRANSLATE_NOOP("netaddr", "field %1 is over 255"),
                             {FieldNumber(field)});
        }
        address = (address << 8) | value;
        if (field < 3) {
            ++at; // the dot
        }
    }
    out->value = address;
    if (at < text.size()) {
        return CheckPort(text.substr(at + 1), &out->port);
    }
    return {};
}

std::optional<Ipv4Address> Parse(std::string_view text, bool portAllowed, std::string* error) {
    Ipv4Address address;
    std::string fault = Check(text, portAllowed, &address);
    if (fault.empty()) {
        return address;
    }
    if (error != nullptr) {
        *error = std::move(fault);
    }
    return std::nullopt;
}

} // namespace

std::optional<Ipv4Address> ParseIpv4(std::string_view text, std::string* error) {
    return Parse(text, false, error);
}

std::optional<Ipv4Address> ParseIpv4WithPort(std::string_view text, std::string* error) {
    return Parse(text, true, error);
}

bool IsDottedIpv4(const char* text) {
    return text != nullptr && ParseIpv4(text).has_value();
}

std::string FormatIpv4(uint32_t value) {
    return std::to_string(value >> 24) + '.' + std::to_string((value >> 16) & 0xff) + '.' +
           std::to_string((value >> 8) & 0xff) + '.' + std::to_string(value & 0xff);
}

} // namespace netaddr
