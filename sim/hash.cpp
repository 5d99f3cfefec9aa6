#include "hash.h"

#include <openssl/evp.h>
#include <openssl/rand.h>
#include <stdexcept>

namespace camsim {

Hasher::Hasher(HashKind kind) : ctx_(EVP_MD_CTX_new()) {
    if (ctx_ == nullptr) {
        throw std::runtime_error("out of memory for a digest");
    }
    const EVP_MD* md = kind == HashKind::Sha256 ? EVP_sha256() : EVP_md5();
    if (EVP_DigestInit_ex(ctx_, md, nullptr) != 1) {
        EVP_MD_CTX_free(ctx_);
        throw std::runtime_error("digest unavailable");
    }
}

Hasher::~Hasher() {
    EVP_MD_CTX_free(ctx_);
}

void Hasher::update(const void* data, std::size_t size) {
    if (size > 0) {
        EVP_DigestUpdate(ctx_, data, size);
    }
}

std::vector<unsigned char> Hasher::finish() {
    std::vector<unsigned char> out(EVP_MAX_MD_SIZE);
    unsigned int len = 0;
    EVP_DigestFinal_ex(ctx_, out.data(), &len);
    out.resize(len);
    return out;
}

std::string toHex(const unsigned char* data, std::size_t size) {
    static constexpr char digits[] = "0123456789abcdef";
    std::string hex;
    hex.reserve(size * 2);
    for (std::size_t i = 0; i < size; ++i) {
        hex.push_back(digits[data[i] >> 4]);
        hex.push_back(digits[data[i] & 0x0f]);
    }
    return hex;
}

std::string hashHex(HashKind kind, std::string_view text) {
    Hasher hasher(kind);
    hasher.update(text);
    return toHex(hasher.finish());
}

std::string randomHex(std::size_t bytes) {
    std::vector<unsigned char> buf(bytes);
    if (RAND_bytes(buf.data(), static_cast<int>(buf.size())) != 1) {
        throw std::runtime_error("no random bytes available");
    }
    return toHex(buf);
}

} // namespace camsim
