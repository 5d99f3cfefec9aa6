#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
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
    Replayed,       // right credentials, but a nonce count already seen for that nonce
};

const char* authVerdictText(AuthVerdict verdict);

// Server side of HTTP Digest (qop=auth; SHA-256 offered first, then MD5).
// Nonces stay valid for a while so that a client can reuse them across
// requests with a growing nonce count; a restart forgets them all.
//
// A nonce carries its issue time and a MAC under the camera's secret, so
// issuing one stores nothing: no flood of unauthenticated requests can push
// out another client's nonce. Only nonces used with right credentials are
// remembered, with their last nonce count, to refuse replays.
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

    // Used nonces remembered at most; beyond it the one issued first is
    // dropped and every nonce issued up to it counts as stale from then on
    // (its client gets a new one), so a forgotten count is never replayable.
    static constexpr std::size_t kMaxUsedNonces = 256;
    static constexpr std::chrono::seconds kNonceLifetime{600};

private:
    struct Use {
        std::int64_t issuedMs = 0;
        std::uint32_t lastCount = 0;
    };

    std::string nonceMac(std::string_view stampAndSalt) const;
    std::optional<std::int64_t> issuedAt(const std::string& nonce) const;
    AuthVerdict recordUse(const std::string& nonce, std::uint32_t count, Clock::time_point now);
    void makeRoom(std::int64_t nowMs);

    std::string realm_;
    std::string opaque_;
    std::string secret_;
    std::map<std::string, Use> used_;
    std::int64_t staleBeforeMs_;
};

} // namespace camsim
