#include "sdk/digest_auth.h"

#include "sdk/credential_text.h"
#include "sdk/hashing.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <map>
#include <random>

namespace lpr {
namespace {

bool IsTokenChar(char c) {
    if (std::isalnum(static_cast<unsigned char>(c)) != 0) {
        return true;
    }
    switch (c) {
    case '!':
    case '#':
    case '$':
    case '%':
    case '&':
    case '\'':
    case '*':
    case '+':
    case '-':
    case '.':
    case '^':
    case '_':
    case '`':
    case '|':
    case '~':
        return true;
    default:
        return false;
    }
}

std::string Lower(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return out;
}

struct RawChallenge {
    std::string scheme;
    std::map<std::string, std::string> params;
};

class Scanner {
public:
    explicit Scanner(std::string_view text) : text_(text) {}

    bool AtEnd() const { return pos_ >= text_.size(); }
    void SkipSpaces() {
        while (!AtEnd() && (text_[pos_] == ' ' || text_[pos_] == '\t')) {
            ++pos_;
        }
    }
    void SkipSeparators() {
        while (!AtEnd() && (text_[pos_] == ' ' || text_[pos_] == '\t' || text_[pos_] == ',')) {
            ++pos_;
        }
    }
    bool Take(char c) {
        if (!AtEnd() && text_[pos_] == c) {
            ++pos_;
            return true;
        }
        return false;
    }
    bool Peek(char c) const { return !AtEnd() && text_[pos_] == c; }
    void SkipOne() { ++pos_; }
    std::string_view Token() {
        std::size_t start = pos_;
        while (!AtEnd() && IsTokenChar(text_[pos_])) {
            ++pos_;
        }
        return text_.substr(start, pos_ - start);
    }
    // A quoted-string after its opening quote; an unterminated one ends with
    // the text.
    std::string Quoted() {
        std::string out;
        while (!AtEnd() && text_[pos_] != '"') {
            if (text_[pos_] == '\\' && pos_ + 1 < text_.size()) {
                ++pos_;
            }
            out.push_back(text_[pos_]);
            ++pos_;
        }
        Take('"');
        return out;
    }

private:
    std::string_view text_;
    std::size_t pos_ = 0;
};

std::vector<RawChallenge> SplitChallenges(std::string_view headerValue) {
    std::vector<RawChallenge> raw;
    Scanner scan(headerValue);
    while (true) {
        scan.SkipSeparators();
        if (scan.AtEnd()) {
            break;
        }
        std::string_view token = scan.Token();
        if (token.empty()) {
            scan.SkipOne(); // not a token character: skip it, keep going
            continue;
        }
        scan.SkipSpaces();
        if (scan.Take('=')) {
            scan.SkipSpaces();
            std::string value = scan.Take('"') ? scan.Quoted() : std::string(scan.Token());
            if (!raw.empty()) {
                raw.back().params.emplace(Lower(token), std::move(value));
            }
        } else {
            raw.push_back(RawChallenge{Lower(token), {}});
        }
    }
    return raw;
}

bool ListHasAuth(std::string_view list) {
    Scanner scan(list);
    while (true) {
        scan.SkipSeparators();
        if (scan.AtEnd()) {
            return false;
        }
        std::string_view token = scan.Token();
        if (token.empty()) {
            scan.SkipOne();
            continue;
        }
        if (Lower(token) == "auth") {
            return true;
        }
    }
}

std::optional<DigestAlgorithm> AlgorithmOf(const std::map<std::string, std::string>& params) {
    auto it = params.find("algorithm");
    if (it == params.end()) {
        return DigestAlgorithm::Md5; // the RFC's default
    }
    std::string name = Lower(it->second);
    if (name == "sha-256") {
        return DigestAlgorithm::Sha256;
    }
    if (name == "sha-256-sess") {
        return DigestAlgorithm::Sha256Sess;
    }
    if (name == "md5") {
        return DigestAlgorithm::Md5;
    }
    if (name == "md5-sess") {
        return DigestAlgorithm::Md5Sess;
    }
    return std::nullopt;
}

// Realm, nonce and opaque go back into our Authorization header, and a
// camera that puts a line break into any parameter is not to be answered.
bool CarriesControlCharacter(const RawChallenge& raw) {
    return std::any_of(raw.params.begin(), raw.params.end(),
                       [](const auto& param) { return HasControlCharacter(param.second); });
}

int Rank(DigestAlgorithm algorithm) {
    switch (algorithm) {
    case DigestAlgorithm::Sha256:
        return 0;
    case DigestAlgorithm::Sha256Sess:
        return 1;
    case DigestAlgorithm::Md5:
        return 2;
    case DigestAlgorithm::Md5Sess:
        return 3;
    }
    return 4;
}

std::string Quote(std::string_view text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') {
            out.push_back('\\');
        }
        out.push_back(c);
    }
    out.push_back('"');
    return out;
}

const char* AlgorithmName(DigestAlgorithm algorithm) {
    switch (algorithm) {
    case DigestAlgorithm::Sha256:
        return "SHA-256";
    case DigestAlgorithm::Sha256Sess:
        return "SHA-256-sess";
    case DigestAlgorithm::Md5:
        return "MD5";
    case DigestAlgorithm::Md5Sess:
        return "MD5-sess";
    }
    return "MD5";
}

} // namespace

std::vector<DigestChallenge> ParseDigestChallenges(std::string_view headerValue) {
    std::vector<DigestChallenge> usable;
    for (const RawChallenge& raw : SplitChallenges(headerValue)) {
        if (raw.scheme != "digest") {
            continue;
        }
        auto algorithm = AlgorithmOf(raw.params);
        auto nonce = raw.params.find("nonce");
        if (!algorithm || nonce == raw.params.end() || nonce->second.empty() ||
            CarriesControlCharacter(raw)) {
            continue;
        }
        DigestChallenge challenge;
        challenge.algorithm = *algorithm;
        challenge.nonce = nonce->second;
        if (auto it = raw.params.find("realm"); it != raw.params.end()) {
            challenge.realm = it->second;
        }
        if (auto it = raw.params.find("opaque"); it != raw.params.end()) {
            challenge.opaque = it->second;
        }
        // Without qop (RFC 2069) the answer has no client nonce and no
        // count, so it could be replayed: the protocol asks for qop="auth".
        auto qop = raw.params.find("qop");
        if (qop == raw.params.end() || !ListHasAuth(qop->second)) {
            continue; // absent, or auth-int only: we do not hash bodies
        }
        if (auto it = raw.params.find("stale"); it != raw.params.end()) {
            challenge.stale = Lower(it->second) == "true";
        }
        usable.push_back(std::move(challenge));
    }
    return usable;
}

std::optional<DigestChallenge> PickDigestChallenge(const std::vector<DigestChallenge>& offered) {
    const DigestChallenge* best = nullptr;
    for (const DigestChallenge& challenge : offered) {
        if (best == nullptr || Rank(challenge.algorithm) < Rank(best->algorithm)) {
            best = &challenge;
        }
    }
    if (best == nullptr) {
        return std::nullopt;
    }
    return *best;
}

std::string MakeDigestAuthorization(const DigestChallenge& challenge,
                                    const DigestCredentials& credentials, std::string_view method,
                                    std::string_view uri, std::string_view cnonce,
                                    unsigned nonceCount) {
    for (std::string_view text :
         {std::string_view(credentials.user), std::string_view(credentials.password),
          std::string_view(challenge.realm), std::string_view(challenge.nonce),
          std::string_view(challenge.opaque), method, uri, cnonce}) {
        if (HasControlCharacter(text)) {
            return {};
        }
    }
    bool sha = challenge.algorithm == DigestAlgorithm::Sha256 ||
               challenge.algorithm == DigestAlgorithm::Sha256Sess;
    auto hash = [sha](const std::string& text) { return sha ? Sha256Hex(text) : Md5Hex(text); };
    std::string ha1 = hash(credentials.user + ":" + challenge.realm + ":" + credentials.password);
    if (challenge.algorithm == DigestAlgorithm::Sha256Sess ||
        challenge.algorithm == DigestAlgorithm::Md5Sess) {
        ha1 = hash(ha1 + ":" + challenge.nonce + ":" + std::string(cnonce));
    }
    std::string ha2 = hash(std::string(method) + ":" + std::string(uri));
    char nc[16];
    std::snprintf(nc, sizeof nc, "%08x", nonceCount);
    std::string response =
        hash(ha1 + ":" + challenge.nonce + ":" + nc + ":" + std::string(cnonce) + ":auth:" + ha2);
    std::string header =
        "Digest username=" + Quote(credentials.user) + ", realm=" + Quote(challenge.realm) +
        ", nonce=" + Quote(challenge.nonce) + ", uri=" + Quote(uri) +
        ", algorithm=" + AlgorithmName(challenge.algorithm) + ", response=" + Quote(response) +
        ", qop=auth, nc=" + nc + ", cnonce=" + Quote(cnonce);
    if (!challenge.opaque.empty()) {
        header += ", opaque=" + Quote(challenge.opaque);
    }
    return header;
}

std::string MakeClientNonce() {
    unsigned char bytes[16];
    if (!RandomBytes(bytes, sizeof bytes)) {
        // A failing RAND is not a reason to refuse a log-in; the system's
        // own random source serves as well for a client nonce.
        std::random_device device;
        for (unsigned char& b : bytes) {
            b = static_cast<unsigned char>(device());
        }
    }
    return ToHex(bytes, sizeof bytes);
}

} // namespace lpr
