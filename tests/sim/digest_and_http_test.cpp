#include "digest_auth.h"
#include "discovery.h"
#include "hash.h"
#include "http_message.h"

#include <gtest/gtest.h>
#include <string>

namespace camsim {
namespace {

// The worked example of RFC 7616 section 3.9.1 (SHA-256 and MD5).
std::string rfcAuthorization(const std::string& algorithm, const std::string& response) {
    return "Digest username=\"Mufasa\", realm=\"http-auth@example.org\", uri=\"/dir/index.html\", "
           "algorithm=" +
           algorithm +
           ", nonce=\"7ypf/xlj9XXwfDPEoM4URrv/xwf94BcCAzFZH4GiTo0v\", nc=00000001, "
           "cnonce=\"f2/wE4q74E6zIJEtWaHKaf5wv/H5QzzpXusqGemxURZJ\", qop=auth, response=\"" +
           response + "\", opaque=\"FQhe/qaU925kfnzjCev0ciny7QMkPqMAFRtzCUYo5tdS\"";
}

// Builds the Authorization a client would send for a nonce it was given.
std::string clientAuthorization(const std::string& challenge, const std::string& method,
                                const std::string& uri, const std::string& user,
                                const std::string& password, const std::string& nc = "00000001") {
    auto begin = challenge.find("nonce=\"") + 7;
    std::string nonce = challenge.substr(begin, challenge.find('"', begin) - begin);
    std::string ha1 = hashHex(HashKind::Sha256, user + ":camera:" + password);
    std::string ha2 = hashHex(HashKind::Sha256, method + ":" + uri);
    std::string response =
        hashHex(HashKind::Sha256, ha1 + ":" + nonce + ":" + nc + ":abc:auth:" + ha2);
    return "Digest username=\"" + user + "\", realm=\"camera\", nonce=\"" + nonce + "\", uri=\"" +
           uri + "\", algorithm=SHA-256, qop=auth, nc=" + nc + ", cnonce=\"abc\", response=\"" +
           response + "\"";
}

TEST(DigestAuth, ComputesTheRfcExampleResponses) {
    DigestAuthenticator auth("http-auth@example.org");
    // The example's nonce was never issued here, so right credentials come back
    // as a stale nonce and wrong ones as bad credentials.
    EXPECT_EQ(auth.check(rfcAuthorization(
                             "SHA-256",
                             "753927fa0e85d155564e2e272a28d1802ca10daf4496794697cf8db5856cb6c1"),
                         "GET", "/dir/index.html", "Mufasa", "Circle of Life"),
              AuthVerdict::StaleNonce);
    EXPECT_EQ(auth.check(rfcAuthorization("MD5", "8ca523f5e9506fed4657c9700eebdbec"), "GET",
                         "/dir/index.html", "Mufasa", "Circle of Life"),
              AuthVerdict::StaleNonce);
    EXPECT_EQ(auth.check(rfcAuthorization(
                             "SHA-256",
                             "753927fa0e85d155564e2e272a28d1802ca10daf4496794697cf8db5856cb6c1"),
                         "GET", "/dir/index.html", "Mufasa", "circle of life"),
              AuthVerdict::BadCredentials);
    // The same response for another method or path does not pass.
    EXPECT_EQ(auth.check(rfcAuthorization(
                             "SHA-256",
                             "753927fa0e85d155564e2e272a28d1802ca10daf4496794697cf8db5856cb6c1"),
                         "POST", "/dir/index.html", "Mufasa", "Circle of Life"),
              AuthVerdict::BadCredentials);
}

TEST(DigestAuth, IssuedNoncesAreAcceptedUntilForgottenOrExpired) {
    DigestAuthenticator auth("camera");
    auto now = DigestAuthenticator::Clock::now();
    auto challenges = auth.challenges(false, now);
    ASSERT_EQ(challenges.size(), 2u);
    EXPECT_NE(challenges[0].find("algorithm=SHA-256"), std::string::npos);
    EXPECT_NE(challenges[1].find("algorithm=MD5"), std::string::npos);
    EXPECT_NE(challenges[0].find("qop=\"auth\""), std::string::npos);
    EXPECT_EQ(challenges[0].find("stale"), std::string::npos);
    EXPECT_NE(auth.challenges(true, now)[0].find("stale=true"), std::string::npos);

    const std::string good =
        clientAuthorization(challenges[0], "GET", "/api/v1/device", "admin", "ploma");
    EXPECT_EQ(auth.check(good, "GET", "/api/v1/device", "admin", "ploma", now), AuthVerdict::Ok);
    // Reused with a later nonce count on a following request.
    EXPECT_EQ(auth.check(clientAuthorization(challenges[0], "POST", "/api/v1/reboot", "admin",
                                             "ploma", "00000002"),
                         "POST", "/api/v1/reboot", "admin", "ploma", now),
              AuthVerdict::Ok);
    // A header seen before, or a count not above the last one, is a replay.
    EXPECT_EQ(auth.check(good, "GET", "/api/v1/device", "admin", "ploma", now),
              AuthVerdict::Replayed);
    EXPECT_EQ(auth.check(good, "GET", "/api/v1/device", "root", "ploma", now),
              AuthVerdict::BadCredentials);
    EXPECT_EQ(auth.check(good, "GET", "/api/v1/device", "admin", "other", now),
              AuthVerdict::BadCredentials);
    // The uri field must name the request's own target.
    EXPECT_EQ(auth.check(good, "GET", "/api/v1/firmware", "admin", "ploma", now),
              AuthVerdict::Malformed);
    EXPECT_EQ(auth.check(good, "GET", "/api/v1/device", "admin", "ploma",
                         now + DigestAuthenticator::kNonceLifetime),
              AuthVerdict::StaleNonce);
    auth.forgetNonces();
    EXPECT_EQ(auth.check(good, "GET", "/api/v1/device", "admin", "ploma", now),
              AuthVerdict::StaleNonce);

    EXPECT_EQ(auth.check("", "GET", "/api/v1/device", "admin", "ploma", now), AuthVerdict::Missing);
    EXPECT_EQ(auth.check("Basic YWRtaW46cGxvbWE=", "GET", "/api/v1/device", "admin", "ploma", now),
              AuthVerdict::Malformed);
    std::string noQop = good;
    noQop.replace(noQop.find("qop=auth"), 8, "qop=auth-int");
    EXPECT_EQ(auth.check(noQop, "GET", "/api/v1/device", "admin", "ploma", now),
              AuthVerdict::Malformed);
}

TEST(DigestAuth, ChallengeFloodsKeepLiveNoncesAndForgottenUsesAreNotReplayable) {
    DigestAuthenticator auth("camera");
    auto now = DigestAuthenticator::Clock::now();
    auto first = auth.challenges(false, now)[0];
    for (std::size_t i = 0; i < 10 * DigestAuthenticator::kMaxUsedNonces; ++i) {
        auth.challenges(false, now);
    }
    EXPECT_EQ(auth.check(clientAuthorization(first, "GET", "/", "admin", "ploma"), "GET", "/",
                         "admin", "ploma", now),
              AuthVerdict::Ok);
    // Once more used nonces than are kept, the oldest use is dropped: its
    // nonce turns stale rather than accepting its old counts again.
    for (std::size_t i = 0; i < DigestAuthenticator::kMaxUsedNonces; ++i) {
        auto later = auth.challenges(false, now + std::chrono::milliseconds(1 + i))[0];
        ASSERT_EQ(auth.check(clientAuthorization(later, "GET", "/", "admin", "ploma"), "GET", "/",
                             "admin", "ploma", now + std::chrono::milliseconds(1 + i)),
                  AuthVerdict::Ok);
    }
    EXPECT_EQ(auth.check(clientAuthorization(first, "GET", "/", "admin", "ploma"), "GET", "/",
                         "admin", "ploma", now + std::chrono::seconds(1)),
              AuthVerdict::StaleNonce);
}

TEST(DigestAuth, AuthorizationParserHandlesQuotingAndRejectsJunk) {
    auto fields = parseDigestAuthorization(
        R"(Digest username="a\"b", realm="camera",nc=00000001 , qop=auth, uri="/x?y=1,2")");
    ASSERT_TRUE(fields);
    EXPECT_EQ((*fields)["username"], "a\"b");
    EXPECT_EQ((*fields)["nc"], "00000001");
    EXPECT_EQ((*fields)["uri"], "/x?y=1,2");
    EXPECT_FALSE(parseDigestAuthorization(R"(Digest username="open)"));
    EXPECT_FALSE(parseDigestAuthorization(R"(Digest username="a", username="b")"));
    EXPECT_FALSE(parseDigestAuthorization(R"(Digestusername="a")"));
    EXPECT_FALSE(parseDigestAuthorization(R"(Digest username)"));
}

HttpHeadParser::Status feedAll(HttpHeadParser& parser, const std::string& text, std::size_t piece,
                               std::string* leftover) {
    std::size_t pos = 0;
    HttpHeadParser::Status status = HttpHeadParser::Status::NeedMore;
    while (pos < text.size() && status == HttpHeadParser::Status::NeedMore) {
        std::size_t n = std::min(piece, text.size() - pos);
        std::size_t consumed = 0;
        status = parser.feed(text.data() + pos, n, consumed);
        if (status == HttpHeadParser::Status::Done && leftover != nullptr) {
            *leftover = text.substr(pos + consumed);
        }
        pos += consumed;
        if (consumed < n && status == HttpHeadParser::Status::NeedMore) {
            break;
        }
    }
    return status;
}

TEST(HttpHead, ParsesAHeadFedInAnyPiecesAndKeepsWhatFollows) {
    const std::string text = "POST /api/v1/firmware?x=1 HTTP/1.1\r\nHost: cam\r\n"
                             "content-length: 5\r\nExpect: 100-continue\r\n"
                             "X-Firmware-Sha256:  abc \r\n\r\nHELLOGET / HTTP/1.1\r\n";
    for (std::size_t piece : {1u, 2u, 3u, 7u, 4096u}) {
        HttpHeadParser parser;
        std::string leftover;
        ASSERT_EQ(feedAll(parser, text, piece, &leftover), HttpHeadParser::Status::Done) << piece;
        const HttpRequest& r = parser.request();
        EXPECT_EQ(r.method, "POST");
        EXPECT_EQ(r.path(), "/api/v1/firmware");
        EXPECT_EQ(r.target, "/api/v1/firmware?x=1");
        EXPECT_EQ(r.contentLength, 5u);
        EXPECT_TRUE(r.expectContinue);
        EXPECT_TRUE(r.keepAlive);
        EXPECT_EQ(r.header("x-firmware-sha256"), "abc");
        EXPECT_EQ(leftover, "HELLOGET / HTTP/1.1\r\n") << piece;
    }
}

TEST(HttpHead, RejectsMalformedOversizedAndAmbiguousHeads) {
    auto statusOf = [](const std::string& text) {
        HttpHeadParser parser;
        if (feedAll(parser, text, 4096, nullptr) != HttpHeadParser::Status::Error) {
            return 0;
        }
        return parser.errorStatus();
    };
    EXPECT_EQ(statusOf("GET /a HTTP/2.0\r\n\r\n"), 505);
    EXPECT_EQ(statusOf("GET a HTTP/1.1\r\n\r\n"), 400);
    EXPECT_EQ(statusOf("G(T /a HTTP/1.1\r\n\r\n"), 400);
    EXPECT_EQ(statusOf("GET /a HTTP/1.1\r\nNoColon\r\n\r\n"), 400);
    EXPECT_EQ(statusOf("POST /a HTTP/1.1\r\nContent-Length: 5\r\nContent-Length: 6\r\n\r\n"), 400);
    EXPECT_EQ(statusOf("POST /a HTTP/1.1\r\nContent-Length: -5\r\n\r\n"), 400);
    EXPECT_EQ(statusOf("POST /a HTTP/1.1\r\nContent-Length: 99999999999999999999999\r\n\r\n"), 400);
    EXPECT_EQ(statusOf("POST /a HTTP/1.1\r\nExpect: something\r\n\r\n"), 417);
    EXPECT_EQ(statusOf("GET /a HTTP/1.1\r\nX: " + std::string(HttpHeadParser::kMaxHeadSize, 'a') +
                       "\r\n\r\n"),
              431);
    // Repeated equal lengths are harmless.
    EXPECT_EQ(statusOf("POST /a HTTP/1.1\r\nContent-Length: 5\r\nContent-Length: 5\r\n\r\n"), 0);

    HttpHeadParser old;
    ASSERT_EQ(feedAll(old, "GET /a HTTP/1.0\r\n\r\n", 100, nullptr), HttpHeadParser::Status::Done);
    EXPECT_FALSE(old.request().keepAlive);
    HttpHeadParser closing;
    ASSERT_EQ(feedAll(closing, "GET /a HTTP/1.1\r\nConnection: foo, Close\r\n\r\n", 100, nullptr),
              HttpHeadParser::Status::Done);
    EXPECT_FALSE(closing.request().keepAlive);
}

TEST(HttpResponse, ErrorBodiesAreValidJsonEvenForInvalidUtf8) {
    HttpResponse r = errorResponse(400, 4, std::string("bad \xff byte"));
    std::string text = serializeResponse(r);
    EXPECT_EQ(text.rfind("HTTP/1.1 400 Bad Request\r\n", 0), 0u);
    EXPECT_NE(text.find("Content-Length: " + std::to_string(r.body.size()) + "\r\n"),
              std::string::npos);
    EXPECT_NE(r.body.find("\"error\":4"), std::string::npos);
}

TEST(Probe, AcceptsOnlyWellFormedProbes) {
    auto parse = [](const std::string& s) { return parseProbe(s.data(), s.size()); };
    EXPECT_EQ(parse(R"({"op":"probe","v":1,"nonce":"0123456789abcDEF"})"), "0123456789abcDEF");
    EXPECT_EQ(parse(R"({"v":1,"nonce":"0123456789abcdef","op":"probe","extra":[1]})"),
              "0123456789abcdef");
    EXPECT_FALSE(parse(R"({"op":"hello","v":1,"nonce":"0123456789abcdef"})"));
    EXPECT_FALSE(parse(R"({"op":"probe","v":2,"nonce":"0123456789abcdef"})"));
    EXPECT_FALSE(parse(R"({"op":"probe","v":"1","nonce":"0123456789abcdef"})"));
    EXPECT_FALSE(parse(R"({"op":"probe","v":1,"nonce":"0123456789abcde"})"));
    EXPECT_FALSE(parse(R"({"op":"probe","v":1,"nonce":"0123456789abcdeg"})"));
    EXPECT_FALSE(parse(R"({"op":"probe","v":1})"));
    EXPECT_FALSE(parse(R"(["probe"])"));
    EXPECT_FALSE(parse("{\"op\":\"probe\""));
    std::string padded =
        R"({"op":"probe","v":1,"nonce":"0123456789abcdef","pad":")" + std::string(600, 'x') + "\"}";
    EXPECT_FALSE(parse(padded));
}

} // namespace
} // namespace camsim
