#include "firmware_image.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

namespace camsim {
namespace {

constexpr char kMagic[8] = {'T', 'L', 'V', 'F', 'W', '0', '0', '1'};
constexpr std::size_t kPlatformOffset = 8;
constexpr std::size_t kPlatformSize = 16;
constexpr std::size_t kVersionOffset = 24;
constexpr std::size_t kLengthOffset = 40;
constexpr std::size_t kHashOffset = 48;
constexpr std::size_t kReservedOffset = 80;

void putLe32(unsigned char* out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        out[i] = static_cast<unsigned char>(v >> (8 * i));
    }
}

void putLe64(unsigned char* out, std::uint64_t v) {
    for (int i = 0; i < 8; ++i) {
        out[i] = static_cast<unsigned char>(v >> (8 * i));
    }
}

std::uint32_t getLe32(const unsigned char* in) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i) {
        v = (v << 8) | in[i];
    }
    return v;
}

std::uint64_t getLe64(const unsigned char* in) {
    std::uint64_t v = 0;
    for (int i = 7; i >= 0; --i) {
        v = (v << 8) | in[i];
    }
    return v;
}

bool isLowerHex64(const std::string& text) {
    if (text.size() != 64) {
        return false;
    }
    for (char c : text) {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) {
            return false;
        }
    }
    return true;
}

} // namespace

std::array<unsigned char, kImageHeaderSize> encodeImageHeader(const ImageHeader& header) {
    std::array<unsigned char, kImageHeaderSize> out{};
    std::memcpy(out.data(), kMagic, sizeof kMagic);
    std::memcpy(out.data() + kPlatformOffset, header.platform.data(),
                std::min(header.platform.size(), kPlatformSize));
    for (std::size_t i = 0; i < 4; ++i) {
        putLe32(out.data() + kVersionOffset + 4 * i, static_cast<std::uint32_t>(header.version[i]));
    }
    putLe64(out.data() + kLengthOffset, header.payloadLength);
    std::memcpy(out.data() + kHashOffset, header.payloadSha256.data(), 32);
    return out;
}

std::optional<ImageHeader> decodeImageHeader(const unsigned char* bytes, std::string* why) {
    auto fail = [why](const char* text) {
        if (why != nullptr) {
            *why = text;
        }
        return std::nullopt;
    };
    if (std::memcmp(bytes, kMagic, sizeof kMagic) != 0) {
        return fail("bad magic");
    }
    const unsigned char* platform = bytes + kPlatformOffset;
    std::size_t platformLen = 0;
    while (platformLen < kPlatformSize && platform[platformLen] != 0) {
        ++platformLen;
    }
    for (std::size_t i = platformLen; i < kPlatformSize; ++i) {
        if (platform[i] != 0) {
            return fail("platform field not NUL-padded");
        }
    }
    ImageHeader header;
    header.platform.assign(reinterpret_cast<const char*>(platform), platformLen);
    if (!isKnownPlatform(header.platform)) {
        return fail("unknown platform");
    }
    for (std::size_t i = kReservedOffset; i < kImageHeaderSize; ++i) {
        if (bytes[i] != 0) {
            return fail("reserved bytes not zero");
        }
    }
    for (std::size_t i = 0; i < 4; ++i) {
        header.version[i] = static_cast<std::int32_t>(getLe32(bytes + kVersionOffset + 4 * i));
    }
    header.payloadLength = getLe64(bytes + kLengthOffset);
    std::memcpy(header.payloadSha256.data(), bytes + kHashOffset, 32);
    return header;
}

UploadCheck::UploadCheck() : payload_(HashKind::Sha256, kBufferSize, kBufferCount) {}

std::pair<unsigned char*, std::size_t> UploadCheck::writable() {
    if (current_ == nullptr) {
        current_ = payload_.acquire();
    }
    return {current_, payload_.bufferSize()};
}

void UploadCheck::commit(std::size_t size) {
    unsigned char* data = current_;
    if (data == nullptr) {
        return;
    }
    current_ = nullptr;
    whole_.update(data, size);
    std::size_t headerPart = 0;
    if (received_ < kImageHeaderSize) {
        headerPart =
            std::min<std::size_t>(size, kImageHeaderSize - static_cast<std::size_t>(received_));
        std::memcpy(header_.data() + received_, data, headerPart);
    }
    // An empty remainder still goes back, which returns the buffer to the pool.
    payload_.submit(data, headerPart, size - headerPart);
    received_ += size;
}

void UploadCheck::feed(const unsigned char* data, std::size_t size) {
    while (size > 0) {
        auto [buffer, capacity] = writable();
        const std::size_t take = std::min(size, capacity);
        std::memcpy(buffer, data, take);
        commit(take);
        data += take;
        size -= take;
    }
}

UploadVerdict UploadCheck::finish(std::uint64_t declaredLength, const std::string& declaredSha256,
                                  const std::string& cameraPlatform,
                                  const Version& runningVersion) {
    UploadVerdict verdict;
    const std::string wholeHex = toHex(whole_.finish());
    const std::vector<unsigned char> payloadHash = payload_.finish();
    if (received_ != declaredLength) {
        verdict.error = kUploadLengthOrChecksum;
        verdict.message = "body length does not match Content-Length";
        return verdict;
    }
    if (!isLowerHex64(declaredSha256) || declaredSha256 != wholeHex) {
        verdict.error = kUploadLengthOrChecksum;
        verdict.message = "SHA-256 of the body does not match X-Firmware-Sha256";
        return verdict;
    }
    if (received_ < kImageHeaderSize) {
        verdict.error = kUploadNotAnImage;
        verdict.message = "shorter than an image header";
        return verdict;
    }
    std::string why;
    std::optional<ImageHeader> header = decodeImageHeader(header_.data(), &why);
    if (!header) {
        verdict.error = kUploadNotAnImage;
        verdict.message = "not a valid image: " + why;
        return verdict;
    }
    if (header->payloadLength != received_ - kImageHeaderSize) {
        verdict.error = kUploadNotAnImage;
        verdict.message = "not a valid image: payload length differs from the header";
        return verdict;
    }
    if (std::memcmp(payloadHash.data(), header->payloadSha256.data(), 32) != 0) {
        verdict.error = kUploadNotAnImage;
        verdict.message = "not a valid image: payload checksum differs from the header";
        return verdict;
    }
    if (header->platform != cameraPlatform) {
        verdict.error = kUploadWrongPlatform;
        verdict.message = "image is for " + header->platform + ", camera is " + cameraPlatform;
        return verdict;
    }
    verdict.target = header->version;
    if (header->version == runningVersion) {
        verdict.error = kUploadAlreadyInstalled;
        verdict.message = "version " + formatVersion(runningVersion) + " is already installed";
        return verdict;
    }
    return verdict;
}

namespace {

// splitmix64: cheap, deterministic filler for test payloads.
std::uint64_t nextRandom(std::uint64_t& state) {
    std::uint64_t z = (state += 0x9e3779b97f4a7c15ULL);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
}

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

} // namespace

bool writeImageFile(const std::string& path, const std::string& platform, const Version& version,
                    std::uint64_t payloadSize, std::uint64_t seed, std::string* error) {
    auto fail = [&](const std::string& text) {
        if (error != nullptr) {
            *error = text;
        }
        return false;
    };
    if (!isKnownPlatform(platform)) {
        return fail("unknown platform '" + platform + "' (DM3730, DM8127 or HS3516)");
    }
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "wb"));
    if (!file) {
        return fail("cannot create " + path);
    }
    // The header carries the payload's hash, so reserve its place first and
    // fill it in once the payload has been streamed out.
    std::array<unsigned char, kImageHeaderSize> blank{};
    if (std::fwrite(blank.data(), 1, blank.size(), file.get()) != blank.size()) {
        return fail("cannot write " + path);
    }
    Hasher hasher;
    std::vector<unsigned char> chunk(64 * 1024);
    std::uint64_t state = seed;
    std::uint64_t left = payloadSize;
    while (left > 0) {
        std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(left, chunk.size()));
        for (std::size_t i = 0; i < n; i += 8) {
            std::uint64_t r = nextRandom(state);
            std::memcpy(chunk.data() + i, &r, std::min<std::size_t>(8, n - i));
        }
        hasher.update(chunk.data(), n);
        if (std::fwrite(chunk.data(), 1, n, file.get()) != n) {
            return fail("cannot write " + path);
        }
        left -= n;
    }
    ImageHeader header;
    header.platform = platform;
    header.version = version;
    header.payloadLength = payloadSize;
    std::vector<unsigned char> digest = hasher.finish();
    std::memcpy(header.payloadSha256.data(), digest.data(), 32);
    auto bytes = encodeImageHeader(header);
    if (std::fseek(file.get(), 0, SEEK_SET) != 0 ||
        std::fwrite(bytes.data(), 1, bytes.size(), file.get()) != bytes.size()) {
        return fail("cannot write " + path);
    }
    if (std::fclose(file.release()) != 0) {
        return fail("cannot write " + path);
    }
    return true;
}

} // namespace camsim
