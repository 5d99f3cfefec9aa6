#include "sdk/hashing.h"

#include <cerrno>
#include <memory>
#include <openssl/evp.h>
#include <unistd.h>
#include <vector>

namespace lpr {
namespace {

std::string DigestHex(const EVP_MD* md, std::string_view data) {
    unsigned char out[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (EVP_Digest(data.data(), data.size(), out, &length, md, nullptr) != 1) {
        return std::string();
    }
    return ToHex(out, length);
}

struct MdCtxFree {
    void operator()(EVP_MD_CTX* ctx) const { EVP_MD_CTX_free(ctx); }
};

} // namespace

std::string ToHex(const unsigned char* bytes, std::size_t count) {
    static const char kDigits[] = "0123456789abcdef";
    std::string hex(count * 2, '0');
    for (std::size_t i = 0; i < count; ++i) {
        hex[2 * i] = kDigits[bytes[i] >> 4];
        hex[2 * i + 1] = kDigits[bytes[i] & 0x0f];
    }
    return hex;
}

std::string Sha256Hex(std::string_view data) {
    return DigestHex(EVP_sha256(), data);
}

std::string Md5Hex(std::string_view data) {
    return DigestHex(EVP_md5(), data);
}

std::optional<std::string> Sha256OfFile(int fd, uint64_t& size,
                                        const std::atomic<bool>* cancelled) {
    size = 0;
    std::unique_ptr<EVP_MD_CTX, MdCtxFree> ctx(EVP_MD_CTX_new());
    if (!ctx || EVP_DigestInit_ex(ctx.get(), EVP_sha256(), nullptr) != 1) {
        return std::nullopt;
    }
    std::vector<unsigned char> buffer(1 << 20);
    for (;;) {
        if (cancelled != nullptr && cancelled->load(std::memory_order_relaxed)) {
            return std::nullopt;
        }
        ssize_t got = pread(fd, buffer.data(), buffer.size(), static_cast<off_t>(size));
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            return std::nullopt;
        }
        if (got == 0) {
            break;
        }
        if (EVP_DigestUpdate(ctx.get(), buffer.data(), static_cast<std::size_t>(got)) != 1) {
            return std::nullopt;
        }
        size += static_cast<uint64_t>(got);
    }
    unsigned char out[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (EVP_DigestFinal_ex(ctx.get(), out, &length) != 1) {
        return std::nullopt;
    }
    return ToHex(out, length);
}

} // namespace lpr
