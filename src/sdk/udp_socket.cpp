#include "sdk/udp_socket.h"

namespace lpr {

uint32_t NetworkOrder(uint32_t hostOrder) {
    const unsigned char bytes[4] = {
        static_cast<unsigned char>(hostOrder >> 24), static_cast<unsigned char>(hostOrder >> 16),
        static_cast<unsigned char>(hostOrder >> 8), static_cast<unsigned char>(hostOrder)};
    uint32_t out = 0;
    for (int i = 0; i < 4; ++i) {
        reinterpret_cast<unsigned char*>(&out)[i] = bytes[i];
    }
    return out;
}

std::string DottedText(uint32_t address) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(&address);
    return std::to_string(bytes[0]) + "." + std::to_string(bytes[1]) + "." +
           std::to_string(bytes[2]) + "." + std::to_string(bytes[3]);
}

} // namespace lpr
