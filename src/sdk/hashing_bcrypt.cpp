// The hashes through Windows' own CNG (bcrypt), so that the Windows build
// needs no OpenSSL.
#include "sdk/hashing.h"

// clang-format off
#include <windows.h>
#include <bcrypt.h>
// clang-format on

#include <vector>

namespace lpr {
namespace {

class Hash {
public:
    explicit Hash(LPCWSTR algorithm) {
        good_ = BCRYPT_SUCCESS(BCryptOpenAlgorithmProvider(&provider_, algorithm, nullptr, 0));
        DWORD got = 0;
        good_ = good_ && BCRYPT_SUCCESS(BCryptGetProperty(provider_, BCRYPT_HASH_LENGTH,
                                                          reinterpret_cast<PUCHAR>(&length_),
                                                          sizeof length_, &got, 0));
        good_ =
            good_ && BCRYPT_SUCCESS(BCryptCreateHash(provider_, &hash_, nullptr, 0, nullptr, 0, 0));
    }
    ~Hash() {
        if (hash_ != nullptr) {
            BCryptDestroyHash(hash_);
        }
        if (provider_ != nullptr) {
            BCryptCloseAlgorithmProvider(provider_, 0);
        }
    }
    Hash(const Hash&) = delete;
    Hash& operator=(const Hash&) = delete;

    bool Update(const void* data, std::size_t size) {
        const auto* bytes = static_cast<const unsigned char*>(data);
        while (good_ && size > 0) {
            ULONG piece = size > 0x40000000u ? 0x40000000u : static_cast<ULONG>(size);
            good_ = BCRYPT_SUCCESS(BCryptHashData(hash_, const_cast<PUCHAR>(bytes), piece, 0));
            bytes += piece;
            size -= piece;
        }
        return good_;
    }

    std::optional<std::string> FinishHex() {
        std::vector<unsigned char> out(length_);
        if (!good_ || !BCRYPT_SUCCESS(BCryptFinishHash(hash_, out.data(), length_, 0))) {
            good_ = false;
            return std::nullopt;
        }
        good_ = false; // the hash object is spent
        return ToHex(out.data(), out.size());
    }

private:
    BCRYPT_ALG_HANDLE provider_ = nullptr;
    BCRYPT_HASH_HANDLE hash_ = nullptr;
    DWORD length_ = 0;
    bool good_ = false;
};

std::string DigestHex(LPCWSTR algorithm, std::string_view data) {
    Hash hash(algorithm);
    hash.Update(data.data(), data.size());
    return hash.FinishHex().value_or(std::string());
}

} // namespace

struct Sha256Stream::State {
    Hash hash{BCRYPT_SHA256_ALGORITHM};
};

Sha256Stream::Sha256Stream() : state_(std::make_unique<State>()) {}
Sha256Stream::~Sha256Stream() = default;

bool Sha256Stream::Update(const void* data, std::size_t size) {
    return state_->hash.Update(data, size);
}

std::optional<std::string> Sha256Stream::FinishHex() {
    return state_->hash.FinishHex();
}

std::string Sha256Hex(std::string_view data) {
    return DigestHex(BCRYPT_SHA256_ALGORITHM, data);
}

std::string Md5Hex(std::string_view data) {
    return DigestHex(BCRYPT_MD5_ALGORITHM, data);
}

bool RandomBytes(unsigned char* out, std::size_t count) {
    return BCRYPT_SUCCESS(
        BCryptGenRandom(nullptr, out, static_cast<ULONG>(count), BCRYPT_USE_SYSTEM_PREFERRED_RNG));
}

} // namespace lpr
