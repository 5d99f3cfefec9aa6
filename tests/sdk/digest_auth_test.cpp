// Digest answers checked against RFC 7616's worked example and against
// challenges as cameras may phrase them.
#include "sdk/digest_auth.h"

#include <gtest/gtest.h>

using namespace lpr;

namespace {

std::string Field(const std::string& header, const std::string& name) {
    std::string key = name + "=";
    std::size_t at = header.find(" " + key);
    if (at == std::string::npos) {
        return "<missing>";
    }
    at += key.size() + 1;
    if (header[at] == '"') {
        return header.substr(at + 1, header.find('"', at + 1) - at - 1);
    }
    return header.substr(at, header.find(',', at) - at);
}

TEST(DigestAuth, AnswersTheRfcExampleForSha256AndMd5) {
    const std::string challenges =
        R"(Digest realm="http-auth@example.org", qop="auth, auth-int", algorithm=SHA-256, )"
        R"(nonce="7ypf/xlj9XXwfDPEoM4URrv/xwf94BcCAzFZH4GiTo0v", )"
        R"(opaque="FQhe/qaU925kfnzjCev0ciny7QMkPqMAFRtzCUYo5tdS", )"
        R"(Digest realm="http-auth@example.org", qop="auth, auth-int", algorithm=MD5, )"
        R"(nonce="7ypf/xlj9XXwfDPEoM4URrv/xwf94BcCAzFZH4GiTo0v", )"
        R"(opaque="FQhe/qaU925kfnzjCev0ciny7QMkPqMAFRtzCUYo5tdS")";
    auto offered = ParseDigestChallenges(challenges);
    ASSERT_EQ(offered.size(), 2u);
    DigestCredentials mufasa{"Mufasa", "Circle of Life"};
    const char* cnonce = "f2/wE4q74E6zIJEtWaHKaf5wv/H5QzzpXusqGemxURZJ";

    std::string sha = MakeDigestAuthorization(offered[0], mufasa, "GET", "/dir/index.html", cnonce);
    EXPECT_EQ(Field(sha, "response"),
              "753927fa0e85d155564e2e272a28d1802ca10daf4496794697cf8db5856cb6c1");
    EXPECT_EQ(Field(sha, "algorithm"), "SHA-256");
    EXPECT_EQ(Field(sha, "nc"), "00000001");
    EXPECT_EQ(Field(sha, "qop"), "auth");
    EXPECT_EQ(Field(sha, "opaque"), "FQhe/qaU925kfnzjCev0ciny7QMkPqMAFRtzCUYo5tdS");
    EXPECT_EQ(Field(sha, "uri"), "/dir/index.html");

    std::string md5 = MakeDigestAuthorization(offered[1], mufasa, "GET", "/dir/index.html", cnonce);
    EXPECT_EQ(Field(md5, "response"), "8ca523f5e9506fed4657c9700eebdbec");
}

TEST(DigestAuth, PrefersSha256WhateverTheOrderAndSkipsWhatItCannotAnswer) {
    auto offered = ParseDigestChallenges(
        R"(Basic realm="camera", Digest realm="camera", nonce="a", algorithm=MD5, qop="auth", )"
        R"(Digest realm="camera", nonce="b", algorithm=SHA-512-256, qop="auth", )"
        R"(Digest realm="camera", nonce="c", algorithm=sha-256, qop=auth, )"
        R"(Digest realm="camera", nonce="d", algorithm=SHA-256, qop="auth-int", )"
        R"(Digest realm="camera", algorithm=SHA-256, qop="auth", )"
        // Refused: no qop (RFC 2069), and control characters that would
        // travel back in our header.
        R"(Digest realm="camera", nonce="e", algorithm=SHA-256, )"
        "Digest realm=\"cam\r\nX-Injected: 1\", nonce=\"f\", algorithm=SHA-256, qop=auth, "
        "Digest realm=\"camera\", nonce=\"g\\\n\", algorithm=SHA-256, qop=auth, "
        "Digest realm=\"camera\", nonce=\"h\", opaque=\"o\x01\", algorithm=SHA-256, qop=auth, "
        "Digest realm=\"camera\", nonce=\"i\", qop=\"auth\x7f\", algorithm=SHA-256");
    ASSERT_EQ(offered.size(), 2u); // MD5 "a" and SHA-256 "c"
    auto picked = PickDigestChallenge(offered);
    ASSERT_TRUE(picked);
    EXPECT_EQ(picked->algorithm, DigestAlgorithm::Sha256);
    EXPECT_EQ(picked->nonce, "c");
    EXPECT_FALSE(PickDigestChallenge({}));

    // No algorithm named means MD5; a quoted nonce may hold commas, escapes.
    auto legacy = ParseDigestChallenges(R"(Digest realm="ca\"m", nonce="x,\\y", qop="auth")");
    ASSERT_EQ(legacy.size(), 1u);
    EXPECT_EQ(legacy[0].algorithm, DigestAlgorithm::Md5);
    EXPECT_EQ(legacy[0].realm, "ca\"m");
    EXPECT_EQ(legacy[0].nonce, "x,\\y");
    // Quotes in the user name are escaped, not allowed to end the field early.
    std::string header = MakeDigestAuthorization(legacy[0], {"a\"b", "p"}, "GET", "/", "cn");
    EXPECT_NE(header.find(R"(username="a\"b")"), std::string::npos);
    // Nor may a user name or password with a line break make any header.
    EXPECT_EQ(MakeDigestAuthorization(legacy[0], {"a\r\nX: 1", "p"}, "GET", "/", "cn"), "");
    EXPECT_EQ(MakeDigestAuthorization(legacy[0], {"a", std::string("p\0q", 3)}, "GET", "/", "cn"),
              "");
}

TEST(DigestAuth, SessionVariantsAndStaleFlag) {
    auto offered = ParseDigestChallenges(
        R"(Digest realm="r", nonce="n", algorithm=SHA-256-sess, qop="auth", stale=TRUE)");
    ASSERT_EQ(offered.size(), 1u);
    EXPECT_TRUE(offered[0].stale);
    EXPECT_EQ(offered[0].algorithm, DigestAlgorithm::Sha256Sess);
    std::string a = MakeDigestAuthorization(offered[0], {"u", "p"}, "GET", "/", "c1");
    std::string b = MakeDigestAuthorization(offered[0], {"u", "p"}, "GET", "/", "c2");
    // With -sess the client nonce enters the key, so the responses differ.
    EXPECT_NE(Field(a, "response"), Field(b, "response"));
    EXPECT_EQ(Field(a, "algorithm"), "SHA-256-sess");
}

TEST(DigestAuth, GarbageHeadersYieldNothingAndDoNotCrash) {
    for (const char* text : {"", ",,,", "Digest", "Digest =", "Digest nonce=\"unterminated",
                             "=====", "Digest realm=\"r\" nonce", "\x01\x02 Digest nonce=x"}) {
        auto offered = ParseDigestChallenges(text);
        for (const auto& challenge : offered) {
            EXPECT_FALSE(challenge.nonce.empty());
        }
    }
    auto unterminated = ParseDigestChallenges("Digest qop=auth, nonce=\"abc");
    ASSERT_EQ(unterminated.size(), 1u);
    EXPECT_EQ(unterminated[0].nonce, "abc");
}

} // namespace
