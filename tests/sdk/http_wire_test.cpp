// The HTTP/1.1 reader of the Windows transport, on every platform: answers
// cut at any byte, hostile answers, and the low-speed rule.
#include "sdk/http_wire.h"
#include "sdk/low_speed_watch.h"

#include <gtest/gtest.h>

using lpr::AnswerReader;
using Progress = AnswerReader::Progress;

namespace {

// Feeds `answer` in pieces of `step` bytes, then the stream's end.
AnswerReader ReadInSteps(const std::string& answer, std::size_t step, Progress& last,
                         bool end = false) {
    AnswerReader reader(512, 64);
    last = Progress::NeedMore;
    for (std::size_t at = 0; at < answer.size() && last == Progress::NeedMore; at += step) {
        last = reader.Feed(std::string_view(answer).substr(at, step));
    }
    if (end) {
        last = reader.End();
    }
    return reader;
}

} // namespace

TEST(HttpWire, AnswersReadTheSameHoweverTheyAreCut) {
    struct Case {
        std::string answer;
        bool closes; // delimited by the end of the stream
        bool keepAlive;
    };
    const std::vector<Case> cases = {
        {"HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 401 Unauthorized\r\nWWW-Authenticate: Digest "
         "a=1\r\nwww-authenticate:  Digest b=2 \r\nContent-Length: 4\r\n\r\nbody",
         false, true},
        {"HTTP/1.1 401 X\r\nTransfer-Encoding: chunked\r\nWWW-Authenticate: Digest a=1\r\n"
         "WWW-Authenticate: Digest b=2\r\n\r\n2;x=y\r\nbo\r\n2\r\ndy\r\n0\r\nT: 1\r\n\r\n",
         false, true},
        {"HTTP/1.0 401 X\r\nWWW-Authenticate: Digest a=1\r\nWWW-Authenticate: Digest b=2\r\n\r\n"
         "body",
         true, false},
        {"HTTP/1.1 401 X\r\nConnection: close\r\nWWW-Authenticate: Digest a=1\r\n"
         "WWW-Authenticate: Digest b=2\r\nContent-Length: 4\r\n\r\nbody",
         false, false},
    };
    for (const Case& c : cases) {
        for (std::size_t step : {std::size_t{1}, std::size_t{7}, c.answer.size()}) {
            Progress last;
            AnswerReader reader = ReadInSteps(c.answer, step, last, c.closes);
            ASSERT_EQ(last, Progress::Done) << c.answer << " step " << step;
            EXPECT_EQ(reader.Status(), 401);
            EXPECT_EQ(reader.Body(), "body");
            EXPECT_EQ(reader.Authenticate(),
                      (std::vector<std::string>{"Digest a=1", "Digest b=2"}));
            EXPECT_EQ(reader.KeepAlive(), c.keepAlive) << c.answer;
        }
    }
}

TEST(HttpWire, HostileOrCutAnswersFail) {
    const std::vector<std::pair<std::string, Progress>> cases = {
        {"HTTP/2 200 OK\r\n\r\n", Progress::Malformed},
        {"HTTP/1.1 2000 OK\r\n\r\n", Progress::Malformed},
        {"SSH-2.0-x\r\n\r\n", Progress::Malformed},
        {"HTTP/1.1 200 OK\r\nno colon\r\n\r\n", Progress::Malformed},
        {"HTTP/1.1 200 OK\r\nContent-Length: 2\r\nContent-Length: 3\r\n\r\n", Progress::Malformed},
        {"HTTP/1.1 200 OK\r\nContent-Length: -1\r\n\r\n", Progress::Malformed},
        {"HTTP/1.1 200 OK\r\nTransfer-Encoding: gzip\r\n\r\n", Progress::Malformed},
        {"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n2\r\nabXY", Progress::Malformed},
        {"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\nzz\r\n", Progress::Malformed},
        {"HTTP/1.1 200 OK\r\nX: " + std::string(600, 'x'), Progress::TooLarge},
        {"HTTP/1.1 200 OK\r\nContent-Length: 65\r\n\r\n", Progress::TooLarge},
        {"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n40\r\n" + std::string(64, 'x') +
             "\r\n1\r\nx",
         Progress::TooLarge},
        {"HTTP/1.1 200 OK\r\n\r\n" + std::string(65, 'x'), Progress::TooLarge},
    };
    for (const auto& [answer, expected] : cases) {
        Progress last;
        ReadInSteps(answer, 5, last);
        EXPECT_EQ(last, expected) << answer;
    }
    // The stream ends before the answer does.
    for (const std::string cut :
         {"", "HTTP/1.1 200", "HTTP/1.1 200 OK\r\nContent-Length: 4\r\n\r\nbo",
          "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n2\r\nbo"}) {
        Progress last;
        AnswerReader reader = ReadInSteps(cut, 3, last, true);
        EXPECT_EQ(last, Progress::Cut) << cut;
        EXPECT_FALSE(reader.KeepAlive());
        EXPECT_EQ(reader.Started(), !cut.empty());
    }
}

TEST(HttpWire, LowSpeedRuleSeesAStallOneWindowAfterItBegan) {
    using namespace std::chrono_literals;
    const auto t0 = lpr::LowSpeedWatch::Clock::now();
    lpr::LowSpeedWatch watch(1024, 15, t0);
    EXPECT_FALSE(watch.Stalled(t0 + 14s)); // nothing moved, but the first window is not over
    EXPECT_TRUE(watch.Stalled(t0 + 15s));

    lpr::LowSpeedWatch fast(1024, 15, t0);
    for (int s = 0; s < 20; ++s) {
        fast.Moved(1 << 20, t0 + std::chrono::seconds(s)); // 1 MiB/s for 20 s, then nothing
    }
    EXPECT_FALSE(fast.Stalled(t0 + 33s + 900ms)); // the last MiB, moved at 19 s, still counts
    EXPECT_TRUE(fast.Stalled(t0 + 34s));

    lpr::LowSpeedWatch steady(1024, 15, t0);
    for (int s = 0; s < 60; ++s) {
        steady.Moved(1100, t0 + std::chrono::seconds(s));
        EXPECT_FALSE(steady.Stalled(t0 + std::chrono::seconds(s) + 500ms)) << s;
    }
    lpr::LowSpeedWatch none(0, 0, t0);
    EXPECT_FALSE(none.Stalled(t0 + 1h));
}
