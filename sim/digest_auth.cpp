#include "digest_auth.h"

#include "hash.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <limits>
#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/hmac.h>

namespace camsim {
namespace {

std::string lower(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

void skipSpaces(std::string_view text, std::size_t& pos) {
    while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t')) {
        ++pos;
    }
}

bool isHex(std::string_view text) {
    return std::all_of(text.begin(), text.end(),
                       [](unsigned char c) { return std::isxdigit(c) != 0; });
}

} // namespace

std::optional<std::map<std::string, std::string>>
parseDigestAuthorization(std::string_view header) {
    std::size_t pos = 0;
    skipSpaces(header, pos);
    if (header.size() - pos < 7 || lower(header.substr(pos, 6)) != "digest" ||
        (header[pos + 6] != ' ' && header[pos + 6] != '\t')) {
        return std::nullopt;
    }
    pos += 7;
    std::map<std::string, std::string> fields;
    while (true) {
        skipSpaces(header, pos);
        if (pos >= header.size()) {
            break;
        }
        std::size_t nameStart = pos;
        while (pos < header.size() && header[pos] != '=' && header[pos] != ',' &&
               header[pos] != ' ') {
            ++pos;
        }
        std::string name = lower(header.substr(nameStart, pos - nameStart));
        skipSpaces(header, pos);
        if (name.empty() || pos >= header.size() || header[pos] != '=') {
            return std::nullopt;
        }
        ++pos;
        skipSpaces(header, pos);
        std::string value;
        if (pos < header.size() && header[pos] == '"') {
            ++pos;
            bool closed = false;
            while (pos < header.size()) {
                char c = header[pos++];
                if (c == '\\' && pos < header.size()) {
                    value.push_back(header[pos++]);
                } else if (c == '"') {
                    closed = true;
                    break;
                } else {
                    value.push_back(c);
                }
            }
            if (!closed) {
                return std::nullopt;
            }
        } else {
            std::size_t valueStart = pos;
            while (pos < header.size() && header[pos] != ',' && header[pos] != ' ' &&
                   header[pos] != '\t') {
                ++pos;
            }
            value.assign(header.substr(valueStart, pos - valueStart));
        }
        if (fields.count(name) != 0) {
            return std::nullopt;
        }
        fields.emplace(std::move(name), std::move(value));
        skipSpaces(header, pos);
        if (pos < header.size()) {
            if (header[pos] != ',') {
                return std::nullopt;
            }
            ++pos;
        }
    }
    return fields;
}

const char* authVerdictText(AuthVerdict verdict) {
    switch (verdict) {
    case AuthVerdict::Ok:
        return "ok";
    case AuthVerdict::Missing:
        return "challenge";
    case AuthVerdict::Malformed:
        return "malformed authorization";
    case AuthVerdict::BadCredentials:
        return "wrong credentials";
    case AuthVerdict::StaleNonce:
        return "stale nonce";
    case AuthVerdict::Replayed:
        return "replayed nonce count";
    }
    return "?";
}

namespace {

constexpr std::size_t kStampHex = 16;
constexpr std::size_t kSaltHex = 16;
constexpr std::size_t kMacHex = 32;

std::int64_t millisecondsOf(DigestAuthenticator::Clock::time_point at) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(at.time_since_epoch()).count();
}

std::int64_t lifetimeMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               DigestAuthenticator::kNonceLifetime)
        .count();
}

} // namespace

DigestAuthenticator::DigestAuthenticator(std::string realm)
    : realm_(std::move(realm)), opaque_(randomHex(16)), secret_(randomHex(32)),
      staleBeforeMs_(std::numeric_limits<std::int64_t>::min()) {}

std::string DigestAuthenticator::nonceMac(std::string_view stampAndSalt) const {
    unsigned char mac[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    HMAC(EVP_sha256(), secret_.data(), static_cast<int>(secret_.size()),
         reinterpret_cast<const unsigned char*>(stampAndSalt.data()), stampAndSalt.size(), mac,
         &length);
    return toHex(mac, kMacHex / 2);
}

std::optional<std::int64_t> DigestAuthenticator::issuedAt(const std::string& nonce) const {
    if (nonce.size() != kStampHex + kSaltHex + kMacHex || !isHex(nonce)) {
        return std::nullopt;
    }
    std::string_view text(nonce);
    std::string expected = nonceMac(text.substr(0, kStampHex + kSaltHex));
    if (CRYPTO_memcmp(expected.data(), text.data() + kStampHex + kSaltHex, kMacHex) != 0) {
        return std::nullopt;
    }
    return static_cast<std::int64_t>(std::stoull(nonce.substr(0, kStampHex), nullptr, 16));
}

std::vector<std::string> DigestAuthenticator::challenges(bool stale, Clock::time_point now) {
    char stamp[kStampHex + 1];
    std::snprintf(stamp, sizeof stamp, "%016llx",
                  static_cast<unsigned long long>(millisecondsOf(now)));
    std::string nonce = std::string(stamp) + randomHex(kSaltHex / 2);
    nonce += nonceMac(nonce);
    std::vector<std::string> out;
    for (const char* algorithm : {"SHA-256", "MD5"}) {
        std::string value = "Digest realm=\"" + realm_ +
                            "\", qop=\"auth\", algorithm=" + algorithm + ", nonce=\"" + nonce +
                            "\", opaque=\"" + opaque_ + "\"";
        if (stale) {
            value += ", stale=true";
        }
        out.push_back(std::move(value));
    }
    return out;
}

void DigestAuthenticator::makeRoom(std::int64_t nowMs) {
    for (auto it = used_.begin(); it != used_.end();) {
        it = nowMs - it->second.issuedMs >= lifetimeMs() ? used_.erase(it) : std::next(it);
    }
    if (used_.size() < kMaxUsedNonces) {
        return;
    }
    auto oldest = std::min_element(used_.begin(), used_.end(), [](const auto& a, const auto& b) {
        return a.second.issuedMs < b.second.issuedMs;
    });
    staleBeforeMs_ = std::max(staleBeforeMs_, oldest->second.issuedMs + 1);
    used_.erase(oldest);
}

AuthVerdict DigestAuthenticator::recordUse(const std::string& nonce, std::uint32_t count,
                                           Clock::time_point now) {
    const std::optional<std::int64_t> issued = issuedAt(nonce);
    const std::int64_t nowMs = millisecondsOf(now);
    if (!issued || *issued > nowMs || nowMs - *issued >= lifetimeMs()) {
        return AuthVerdict::StaleNonce;
    }
    if (auto it = used_.find(nonce); it != used_.end()) {
        if (count <= it->second.lastCount) {
            return AuthVerdict::Replayed;
        }
        it->second.lastCount = count;
        return AuthVerdict::Ok;
    }
    if (*issued < staleBeforeMs_) {
        return AuthVerdict::StaleNonce; // its use may have been forgotten
    }
    if (used_.size() >= kMaxUsedNonces) {
        makeRoom(nowMs);
    }
    if (*issued < staleBeforeMs_) {
        return AuthVerdict::StaleNonce;
    }
    used_.emplace(nonce, Use{*issued, count});
    return AuthVerdict::Ok;
}

AuthVerdict DigestAuthenticator::check(std::string_view authorization, std::string_view method,
                                       std::string_view uri, const std::string& user,
                                       const std::string& password, Clock::time_point now) {
    if (authorization.empty()) {
        return AuthVerdict::Missing;
    }
    auto fields = parseDigestAuthorization(authorization);
    if (!fields) {
        return AuthVerdict::Malformed;
    }
    auto get = [&](const char* name) -> std::string {
        auto it = fields->find(name);
        return it == fields->end() ? std::string{} : it->second;
    };
    const std::string username = get("username");
    const std::string nonce = get("nonce");
    const std::string nc = get("nc");
    const std::string cnonce = get("cnonce");
    const std::string response = lower(get("response"));
    const std::string algorithm = lower(get("algorithm"));
    if (fields->count("username") == 0 || nonce.empty() || cnonce.empty() || response.empty() ||
        get("qop") != "auth" || nc.size() != 8 || !isHex(nc) || get("realm") != realm_ ||
        get("uri") != uri || get("userhash") == "true") {
        return AuthVerdict::Malformed;
    }
    HashKind kind;
    if (algorithm == "sha-256") {
        kind = HashKind::Sha256;
    } else if (algorithm == "md5" || algorithm.empty()) {
        kind = HashKind::Md5;
    } else {
        return AuthVerdict::Malformed;
    }
    if (username != user) {
        return AuthVerdict::BadCredentials;
    }
    const std::string ha1 = hashHex(kind, user + ":" + realm_ + ":" + password);
    const std::string ha2 = hashHex(kind, std::string(method) + ":" + std::string(uri));
    const std::string expected =
        hashHex(kind, ha1 + ":" + nonce + ":" + nc + ":" + cnonce + ":auth:" + ha2);
    if (expected.size() != response.size() ||
        CRYPTO_memcmp(expected.data(), response.data(), expected.size()) != 0) {
        return AuthVerdict::BadCredentials;
    }
    return recordUse(nonce, static_cast<std::uint32_t>(std::stoul(nc, nullptr, 16)), now);
}

void DigestAuthenticator::forgetNonces() {
    secret_ = randomHex(32); // every nonce issued so far fails its MAC now
    used_.clear();
    staleBeforeMs_ = std::numeric_limits<std::int64_t>::min();
}

} // namespace camsim
