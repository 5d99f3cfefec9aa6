// Hash helpers over OpenSSL's libcrypto.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace lpr {

// Lower-case hex digest of `data`.
std::string Sha256Hex(std::string_view data);
std::string Md5Hex(std::string_view data);

// Lower-case hex SHA-256 of a whole file, read in chunks; nothing when the
// file cannot be read to its end. `size` receives the byte count hashed.
// `cancelled` (may be null) stops the work early, yielding nothing.
std::optional<std::string> Sha256OfFile(int fd, uint64_t& size,
                                        const std::atomic<bool>* cancelled = nullptr);

// Lower-case hex of `bytes`.
std::string ToHex(const unsigned char* bytes, std::size_t count);

} // namespace lpr
