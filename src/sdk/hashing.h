// Hash helpers. The algorithms come from the platform's own library
// (hashing_openssl.cpp, hashing_bcrypt.cpp); what is built on them is shared.
#pragma once

#include "sdk/native_file.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace lpr {

// Lower-case hex digest of `data`; empty when the library fails.
std::string Sha256Hex(std::string_view data);
std::string Md5Hex(std::string_view data);

// SHA-256 fed piece by piece.
class Sha256Stream {
public:
    Sha256Stream();
    ~Sha256Stream();
    Sha256Stream(const Sha256Stream&) = delete;
    Sha256Stream& operator=(const Sha256Stream&) = delete;

    bool Update(const void* data, std::size_t size);
    // Lower-case hex; nothing when any step failed.
    std::optional<std::string> FinishHex();

private:
    struct State;
    std::unique_ptr<State> state_;
};

// `count` bytes from the system's cryptographic random source; false when it
// failed.
bool RandomBytes(unsigned char* out, std::size_t count);

// Lower-case hex SHA-256 of a whole file, read in chunks; nothing when the
// file cannot be read to its end. `size` receives the byte count hashed.
// `cancelled` (may be null) stops the work early, yielding nothing.
std::optional<std::string> Sha256OfFile(NativeFile file, uint64_t& size,
                                        const std::atomic<bool>* cancelled = nullptr);

// Lower-case hex of `bytes`.
std::string ToHex(const unsigned char* bytes, std::size_t count);

} // namespace lpr
