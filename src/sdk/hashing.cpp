#include "sdk/hashing.h"

#include <vector>

namespace lpr {

std::string ToHex(const unsigned char* bytes, std::size_t count) {
    static const char kDigits[] = "0123456789abcdef";
    std::string hex(count * 2, '0');
    for (std::size_t i = 0; i < count; ++i) {
        hex[2 * i] = kDigits[bytes[i] >> 4];
        hex[2 * i + 1] = kDigits[bytes[i] & 0x0f];
    }
    return hex;
}

std::optional<std::string> Sha256OfFile(NativeFile file, uint64_t& size,
                                        const std::atomic<bool>* cancelled) {
    size = 0;
    Sha256Stream sha;
    std::vector<unsigned char> buffer(1 << 20);
    for (;;) {
        if (cancelled != nullptr && cancelled->load(std::memory_order_relaxed)) {
            return std::nullopt;
        }
        long long got = ReadFileAt(file, size, buffer.data(), buffer.size());
        if (got < 0) {
            return std::nullopt;
        }
        if (got == 0) {
            break;
        }
        if (!sha.Update(buffer.data(), static_cast<std::size_t>(got))) {
            return std::nullopt;
        }
        size += static_cast<uint64_t>(got);
    }
    return sha.FinishHex();
}

} // namespace lpr
