#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

struct evp_md_ctx_st;

namespace camsim {

enum class HashKind { Sha256, Md5 };

// Incremental digest, so that large uploads never have to be held in memory.
class Hasher {
public:
    explicit Hasher(HashKind kind = HashKind::Sha256);
    ~Hasher();
    Hasher(const Hasher&) = delete;
    Hasher& operator=(const Hasher&) = delete;

    void update(const void* data, std::size_t size);
    void update(std::string_view text) { update(text.data(), text.size()); }
    // Ends the digest; the hasher must not be updated afterwards.
    std::vector<unsigned char> finish();

private:
    evp_md_ctx_st* ctx_;
};

std::string toHex(const unsigned char* data, std::size_t size);
inline std::string toHex(const std::vector<unsigned char>& bytes) {
    return toHex(bytes.data(), bytes.size());
}
std::string hashHex(HashKind kind, std::string_view text);
// Random bytes from the system's cryptographic generator, as lower-case hex.
std::string randomHex(std::size_t bytes);

} // namespace camsim
