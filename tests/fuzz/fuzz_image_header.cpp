// Image headers as an upload or an image file on disk may carry them.
#include "firmware_image.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < camsim::kImageHeaderSize) {
        return 0;
    }
    std::string why;
    auto header = camsim::decodeImageHeader(data, &why);
    if (!header) {
        if (why.empty()) {
            __builtin_trap();
        }
        return 0;
    }
    // Only the canonical form of a header is accepted.
    auto bytes = camsim::encodeImageHeader(*header);
    if (std::memcmp(bytes.data(), data, bytes.size()) != 0) {
        __builtin_trap();
    }
    return 0;
}
