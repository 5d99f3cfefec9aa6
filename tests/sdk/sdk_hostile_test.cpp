// The network SDK against peers that misbehave: silent, dripping, oversized
// or malformed answers. Every call must fail within its bound, never hang or
// crash.
#include "scripted_peer.h"
#include "sdk/lpr_sdk.h"

#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <thread>

using namespace std::chrono_literals;
using sdktest::HttpAnswer;
using sdktest::PeerConnection;
using sdktest::ScriptedPeer;
using sdktest::SeenRequest;
using Clock = std::chrono::steady_clock;

namespace {

const LprSdk& Sdk() {
    return LprNetworkSdk();
}

const char kDevice[] = R"({"model":"m","serial":"s","platform":"DM3730","version":[5,1,7,2]})";

enum class Mode { Answer, Silent, Drip };

// Answers like a camera that needs no log-in until told to misbehave.
class SwitchingPeer {
public:
    SwitchingPeer()
        : peer_([this](PeerConnection& c) {
              SeenRequest request;
              while (c.ReadRequest(request)) {
                  switch (mode_.load()) {
                  case Mode::Answer:
                      if (!c.Send(HttpAnswer(200, kDevice))) {
                          return;
                      }
                      break;
                  case Mode::Silent:
                      c.HoldSilently();
                      return;
                  case Mode::Drip:
                      c.SendByteByByte(HttpAnswer(200, kDevice), 100ms);
                      return;
                  }
              }
          }) {}
    void Set(Mode mode) { mode_.store(mode); }
    uint16_t Port() const { return peer_.Port(); }

private:
    std::atomic<Mode> mode_{Mode::Answer};
    ScriptedPeer peer_;
};

template <typename F> Clock::duration Timed(F&& f) {
    auto start = Clock::now();
    f();
    return Clock::now() - start;
}

TEST(SdkHostile, SilentCameraHoldsNoCallerBeyondItsBound) {
    SwitchingPeer peer;
    LprHandle handle = Sdk().LprOpen("127.0.0.1", peer.Port(), "admin", "ploma");
    ASSERT_NE(handle, nullptr);
    peer.Set(Mode::Silent);
    uint8_t status[2] = {0, 0};
    auto checked = Timed([&] { Sdk().LprIsConnected(handle, status); });
    EXPECT_EQ(status[0], 0);
    EXPECT_LT(checked, 1500ms);
    int32_t v[4];
    int32_t result = 0;
    auto read = Timed([&] { result = Sdk().LprGetVersion(handle, &v[0], &v[1], &v[2], &v[3]); });
    EXPECT_NE(result, 0);
    EXPECT_GE(read, 9500ms);
    EXPECT_LT(read, 11500ms);
    auto closed = Timed([&] { Sdk().LprClose(handle); });
    EXPECT_LT(closed, 500ms);
}

TEST(SdkHostile, AnswerDrippedByteByByteIsCutAtTheRequestBound) {
    SwitchingPeer peer;
    peer.Set(Mode::Drip);
    LprHandle handle = nullptr;
    auto opening = Timed([&] { handle = Sdk().LprOpen("127.0.0.1", peer.Port(), "a", "b"); });
    EXPECT_EQ(handle, nullptr);
    EXPECT_LT(opening, 11500ms);
}

TEST(SdkHostile, OversizedOrMalformedAnswersFailTheLogIn) {
    const std::string big(100 * 1024, ' ');
    const std::vector<std::string> answers = {
        HttpAnswer(200, std::string(R"({"model":")") + std::string(70 * 1024, 'x') +
                            R"(","version":[1,2,3,4]})"),                    // body over 64 KiB
        HttpAnswer(200, kDevice, {"X-Fill: " + big}),                        // headers over 64 KiB
        "garbage that is not HTTP at all\r\n\r\n",                           // not HTTP
        "HTTP/1.1 200 OK\r\nContent-Length: 500\r\n\r\n{\"version\":",       // cut short
        HttpAnswer(200, "{not json"),                                        // not JSON
        HttpAnswer(200, R"({"version":[5,1,7]})"),                           // three parts
        HttpAnswer(200, R"({"version":[5,1,7,2147483648]})"),                // beyond 32 bits
        HttpAnswer(200, R"({"version":["5","1","7","2"]})"),                 // texts
        HttpAnswer(200, R"([5,1,7,2])"),                                     // not an object
        HttpAnswer(200, std::string(20000, '[') + std::string(20000, ']')),  // deep nesting
        HttpAnswer(401, "{}"),                                               // no challenge at all
        HttpAnswer(401, "{}", {"WWW-Authenticate: Basic realm=\"camera\""}), // never Basic
        HttpAnswer(401, "{}",
                   {"WWW-Authenticate: Digest realm=\"camera\", qop=\"auth-int\", "
                    "nonce=\"n\", algorithm=SHA-256"}),           // nothing we can answer
        HttpAnswer(302, "{}", {"Location: http://127.0.0.1:1/"}), // no redirects followed
        HttpAnswer(500, R"({"error":2,"message":"x"})"),
    };
    for (const std::string& answer : answers) {
        std::atomic<int> served{0};
        ScriptedPeer peer([&](PeerConnection& c) {
            SeenRequest request;
            if (c.ReadRequest(request)) {
                served.fetch_add(1);
                c.Send(answer); // then closes: a short answer stays short
            }
        });
        LprHandle handle = nullptr;
        auto took = Timed([&] { handle = Sdk().LprOpen("127.0.0.1", peer.Port(), "a", "b"); });
        EXPECT_EQ(handle, nullptr) << answer.substr(0, 60);
        EXPECT_LT(took, 2s) << answer.substr(0, 60);
        EXPECT_GE(served.load(), 1);
        Sdk().LprClose(handle);
    }
}

TEST(SdkHostile, NothingListeningFailsAtOnce) {
    uint16_t port = sdktest::RefusingPort();
    LprHandle handle = nullptr;
    auto took = Timed([&] { handle = Sdk().LprOpen("127.0.0.1", port, "admin", "ploma"); });
    EXPECT_EQ(handle, nullptr);
    EXPECT_LT(took, 1s);
}

} // namespace
