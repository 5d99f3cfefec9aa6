// Which user names and passwords may travel to a camera at all.
#pragma once

#include <algorithm>
#include <string_view>

namespace lpr {

// C0 controls (CR, LF and NUL among them) and DEL. They have no place in a
// log-in, and in an HTTP header they could end it or start another one.
inline bool HasControlCharacter(std::string_view text) {
    return std::any_of(text.begin(), text.end(), [](char c) {
        auto byte = static_cast<unsigned char>(c);
        return byte < 0x20 || byte == 0x7f;
    });
}

} // namespace lpr
