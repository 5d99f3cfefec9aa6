// HTTP Digest authentication (RFC 7616), client side. We compute the header
// ourselves rather than through libcurl because libcurl answers whichever
// Digest challenge comes first, while we must prefer SHA-256 over MD5
// whatever order the camera lists them in.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lpr {

enum class DigestAlgorithm { Sha256, Sha256Sess, Md5, Md5Sess };

struct DigestChallenge {
    DigestAlgorithm algorithm = DigestAlgorithm::Md5;
    std::string realm;
    std::string nonce;
    std::string opaque;
    bool stale = false;
};

// Every usable Digest challenge of one WWW-Authenticate header value (a value
// may carry several challenges, of several schemes). Challenges with an
// unknown algorithm, without a nonce, without qop or whose qop list lacks
// "auth", or with a control character in any parameter are left out; other
// schemes are ignored.
std::vector<DigestChallenge> ParseDigestChallenges(std::string_view headerValue);

// The strongest challenge: SHA-256, then SHA-256-sess, MD5, MD5-sess.
std::optional<DigestChallenge> PickDigestChallenge(const std::vector<DigestChallenge>& offered);

struct DigestCredentials {
    std::string user;
    std::string password;
};

// The value of the Authorization header answering `challenge` for one
// request (always qop=auth). `cnonce` is the client nonce; `nonceCount` the
// nc value. Empty when any text that would go into it carries a control
// character, so that no header can be split.
std::string MakeDigestAuthorization(const DigestChallenge& challenge,
                                    const DigestCredentials& credentials, std::string_view method,
                                    std::string_view uri, std::string_view cnonce,
                                    unsigned nonceCount = 1);

// A fresh client nonce: 32 hex digits from the system's random source.
std::string MakeClientNonce();

} // namespace lpr
