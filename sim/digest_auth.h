#pragma once

#include <chrono>
#include <cstddef>
#include <deque>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace camsim {

// Parses the parameters of an "Authorization: Digest ..." header (names in
// lower case, quoted values unescaped). Nothing when it is not Digest or is
// malformed.
std::optional<std::map<std::string, std::string>> parseDigestAuthorization(std::string_view header);

enum class AuthVerdict {
    Ok,
    Missing,        // no Authorization header: first leg of the handshake
    Malformed,      // not Digest, missing fields, unsupported qop or algorithm
    BadCredentials, // wrong user name or password (or the camera refuses all log-ins)
    StaleNonce,     // right credentials, but a nonce this camera did not issue or forgot
};

const char* authVerdictText(AuthVerdict verdict);

// Server side of HTTP Digest (qop=auth; SHA-256 offered first, then MD5).
// Nonces stay valid for a while so that a client can reuse them across
// requests with a growing nonce count; a restart forgets them all.
class DigestAuthenticator {
public:
    using Clock = std::chrono::steady_clock;

    explicit DigestAuthenticator(std::string realm);

    // WWW-Authenticate values for a 401, each with a freshly issued nonce.
    std::vector<std::string> challenges(bool stale, Clock::time_point now = Clock::now());

    AuthVerdict check(std::string_view authorization, std::string_view method, std::string_view uri,
                      const std::string& user, const std::string& password,
                      Clock::time_point now = Clock::now());

    void forgetNonces();

    static constexpr std::size_t kMaxNonces = 64;
    static constexpr std::chrono::seconds kNonceLifetime{600};

private:
    bool nonceValid(const std::string& nonce, Clock::time_point now);

    std::string realm_;
    std::string opaque_;
    std::deque<std::pair<std::string, Clock::time_point>> nonces_;
};

} // namespace camsim
