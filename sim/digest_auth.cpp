#include "digest_auth.h"

#include "hash.h"

#include <algorithm>
#include <cctype>
#include <openssl/crypto.h>

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
    }
    return "?";
}

DigestAuthenticator::DigestAuthenticator(std::string realm)
    : realm_(std::move(realm)), opaque_(randomHex(16)) {}

std::vector<std::string> DigestAuthenticator::challenges(bool stale, Clock::time_point now) {
    std::string nonce = randomHex(16);
    nonces_.emplace_back(nonce, now);
    while (nonces_.size() > kMaxNonces) {
        nonces_.pop_front();
    }
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

bool DigestAuthenticator::nonceValid(const std::string& nonce, Clock::time_point now) {
    for (const auto& [issued, at] : nonces_) {
        if (issued == nonce) {
            return now - at < kNonceLifetime;
        }
    }
    return false;
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
    if (!nonceValid(nonce, now)) {
        return AuthVerdict::StaleNonce;
    }
    return AuthVerdict::Ok;
}

void DigestAuthenticator::forgetNonces() {
    nonces_.clear();
}

} // namespace camsim
