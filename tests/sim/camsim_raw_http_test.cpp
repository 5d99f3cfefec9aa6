// camsim spoken to over raw TCP, for what a well-behaved HTTP library never
// sends: bodies pushed after an early answer, broken heads, pipelining.
#include "camsim_gtest.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace camsim_test {

using harness::CamsimProcess;
using harness::WriteTempFile;
namespace {

using namespace std::chrono_literals;

class RawConnection {
public:
    RawConnection(const std::string& address, int port) : fd_(::socket(AF_INET, SOCK_STREAM, 0)) {
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_port = htons(static_cast<std::uint16_t>(port));
        ::inet_pton(AF_INET, address.c_str(), &to.sin_addr);
        connected_ = ::connect(fd_, reinterpret_cast<sockaddr*>(&to), sizeof to) == 0;
        timeval tv{5, 0};
        ::setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
        ::setsockopt(fd_, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv);
    }
    ~RawConnection() { ::close(fd_); }

    bool connected() const { return connected_; }

    bool send(const std::string& bytes) {
        std::size_t pos = 0;
        while (pos < bytes.size()) {
            ssize_t n = ::send(fd_, bytes.data() + pos, bytes.size() - pos, MSG_NOSIGNAL);
            if (n <= 0) {
                return false;
            }
            pos += static_cast<std::size_t>(n);
        }
        return true;
    }

    // Everything until the server closes (or the receive timeout); `reset`
    // tells whether the connection ended with an error instead of a close.
    std::string readToEnd(bool* reset = nullptr) {
        std::string out;
        char buf[4096];
        while (true) {
            ssize_t n = ::recv(fd_, buf, sizeof buf, 0);
            if (n > 0) {
                out.append(buf, static_cast<std::size_t>(n));
                continue;
            }
            if (reset != nullptr) {
                *reset = n < 0;
            }
            return out;
        }
    }

private:
    int fd_;
    bool connected_ = false;
};

TEST(CamsimRawHttp, AnEarlyAnswerSurvivesAClientThatKeepsSendingItsBody) {
    const std::string cam = "127.77.24.2";
    CamsimProcess sim(CAMSIM_BINARY, {"--count", "1", "--base", cam, "--port", "8080"});
    ASSERT_TRUE(sim.WaitReady()) << sim.Errors();

    // No credentials, a 3 MiB body, and a pause longer than the camera's
    // short drain time in the middle of it.
    RawConnection c(cam, 8080);
    ASSERT_TRUE(c.connected());
    const std::string mib(1 << 20, 'x');
    ASSERT_TRUE(c.send("POST /api/v1/firmware HTTP/1.1\r\nHost: cam\r\nContent-Length: " +
                       std::to_string(3 << 20) + "\r\n\r\n" + mib));
    std::this_thread::sleep_for(2500ms);
    EXPECT_TRUE(c.send(mib + mib)) << "the camera must not cut a body it answered early";
    bool reset = true;
    std::string answer = c.readToEnd(&reset);
    EXPECT_EQ(answer.rfind("HTTP/1.1 401 Unauthorized\r\n", 0), 0u) << answer;
    EXPECT_NE(answer.find("Connection: close\r\n"), std::string::npos);
    EXPECT_FALSE(reset);
}

TEST(CamsimRawHttp, ExpectContinueGetsTheFinalAnswerWithoutSendingTheBody) {
    const std::string cam = "127.77.25.2";
    CamsimProcess sim(CAMSIM_BINARY, {"--count", "1", "--base", cam, "--port", "8080"});
    ASSERT_TRUE(sim.WaitReady()) << sim.Errors();
    RawConnection c(cam, 8080);
    ASSERT_TRUE(c.send("POST /api/v1/firmware HTTP/1.1\r\nHost: cam\r\nExpect: 100-continue\r\n"
                       "Content-Length: 500000000\r\n\r\n"));
    auto start = std::chrono::steady_clock::now();
    std::string answer = c.readToEnd();
    EXPECT_EQ(answer.rfind("HTTP/1.1 401 ", 0), 0u) << answer;
    EXPECT_EQ(answer.find("100 Continue"), std::string::npos);
    // The camera closes after its short drain; the client never sent a byte.
    EXPECT_LT(std::chrono::steady_clock::now() - start, 4s);
}

TEST(CamsimRawHttp, BrokenHeadsAreAnsweredAndPipelinedRequestsServedInOrder) {
    const std::string cam = "127.77.26.2";
    CamsimProcess sim(CAMSIM_BINARY, {"--count", "1", "--base", cam, "--port", "8080"});
    ASSERT_TRUE(sim.WaitReady()) << sim.Errors();
    struct Case {
        std::string head;
        std::string status;
    };
    for (const Case& k : std::vector<Case>{
             {"GET /api/v1/device HTTP/2.0\r\n\r\n", "505"},
             {"GET /api/v1/device HTTP/1.1\r\nBad Header\r\n\r\n", "400"},
             {"GET /api/v1/device HTTP/1.1\r\nX: " + std::string(20000, 'a') + "\r\n\r\n", "431"},
             {"POST /api/v1/firmware HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n", "401"},
         }) {
        RawConnection c(cam, 8080);
        ASSERT_TRUE(c.send(k.head));
        std::string answer = c.readToEnd();
        EXPECT_EQ(answer.substr(0, 12), "HTTP/1.1 " + k.status) << k.head.substr(0, 40);
        EXPECT_NE(answer.find("\"error\":"), std::string::npos) << answer;
    }

    // Two unauthenticated requests in one write: two challenges, in order,
    // on one connection that stays open until the client's close request.
    RawConnection c(cam, 8080);
    ASSERT_TRUE(c.send("GET /api/v1/device HTTP/1.1\r\nHost: a\r\n\r\n"
                       "GET /api/v1/firmware HTTP/1.1\r\nHost: a\r\nConnection: close\r\n\r\n"));
    std::string answers = c.readToEnd();
    auto first = answers.find("HTTP/1.1 401");
    auto second = answers.find("HTTP/1.1 401", first + 1);
    EXPECT_NE(first, std::string::npos);
    EXPECT_NE(second, std::string::npos) << answers;
    auto events = sim.Events();
    std::vector<std::string> requests;
    for (const auto& e : events) {
        if (e["outcome"] == "401 challenge") {
            requests.push_back(e["request"].get<std::string>());
        }
    }
    ASSERT_GE(requests.size(), 2u);
    EXPECT_EQ(requests[requests.size() - 2], "GET /api/v1/device");
    EXPECT_EQ(requests.back(), "GET /api/v1/firmware");
}

} // namespace
} // namespace camsim_test
