#pragma once

#include "firmware_image.h"
#include "hash.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace camsim_test {

struct TestImage {
    std::vector<unsigned char> bytes;
    std::string sha256;
};

inline std::string sha256Of(const std::vector<unsigned char>& bytes) {
    camsim::Hasher h;
    h.update(bytes.data(), bytes.size());
    return camsim::toHex(h.finish());
}

// An image held in memory; payload bytes are a simple function of their index.
inline TestImage makeImage(const std::string& platform, camsim::Version target,
                           std::size_t payloadSize = 4096) {
    std::vector<unsigned char> payload(payloadSize);
    for (std::size_t i = 0; i < payloadSize; ++i) {
        payload[i] = static_cast<unsigned char>((i * 131) ^ (i >> 8));
    }
    camsim::Hasher h;
    h.update(payload.data(), payload.size());
    auto digest = h.finish();
    camsim::ImageHeader header;
    header.platform = platform;
    header.version = target;
    header.payloadLength = payloadSize;
    std::memcpy(header.payloadSha256.data(), digest.data(), 32);
    auto head = camsim::encodeImageHeader(header);
    TestImage image;
    image.bytes.resize(head.size() + payload.size());
    std::memcpy(image.bytes.data(), head.data(), head.size());
    std::memcpy(image.bytes.data() + head.size(), payload.data(), payload.size());
    image.sha256 = sha256Of(image.bytes);
    return image;
}

} // namespace camsim_test
