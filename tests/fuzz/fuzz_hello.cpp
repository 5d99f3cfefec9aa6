// Hello datagrams as any host on the network may send them.
#include "sdk/camera_messages.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view datagram(reinterpret_cast<const char*>(data), size);
    auto hello = lpr::ParseHello(datagram, "00112233aabbccdd");
    if (hello && (hello->port == 0 || datagram.size() > lpr::kMaxHelloBytes)) {
        __builtin_trap(); // a hello that should have been dropped
    }
    return 0;
}
