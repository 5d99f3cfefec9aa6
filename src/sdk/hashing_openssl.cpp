#include "sdk/hashing.h"

#include <openssl/evp.h>
#include <openssl/rand.h>

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

} // namespace

struct Sha256Stream::State {
    EVP_MD_CTX* ctx = EVP_MD_CTX_new();
    bool good = ctx != nullptr && EVP_DigestInit_ex(ctx, EVP_sha256(), nullptr) == 1;
    ~State() { EVP_MD_CTX_free(ctx); }
};

Sha256Stream::Sha256Stream() : state_(std::make_unique<State>()) {}
Sha256Stream::~Sha256Stream() = default;

bool Sha256Stream::Update(const void* data, std::size_t size) {
    state_->good = state_->good && EVP_DigestUpdate(state_->ctx, data, size) == 1;
    return state_->good;
}

std::optional<std::string> Sha256Stream::FinishHex() {
    unsigned char out[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (!state_->good || EVP_DigestFinal_ex(state_->ctx, out, &length) != 1) {
        state_->good = false;
        return std::nullopt;
    }
    state_->good = false; // the context is spent
    return ToHex(out, length);
}

std::string Sha256Hex(std::string_view data) {
    return DigestHex(EVP_sha256(), data);
}

std::string Md5Hex(std::string_view data) {
    return DigestHex(EVP_md5(), data);
}

bool RandomBytes(unsigned char* out, std::size_t count) {
    return RAND_bytes(out, static_cast<int>(count)) == 1;
}

} // namespace lpr
