// Discovery: probes on the wire, which hellos are reported, how often, on
// which thread, and how promptly a search stops.
#include "sdk/lpr_sdk.h"
#include "udp_camera.h"

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <gtest/gtest.h>
#include <map>
#include <mutex>
#include <nlohmann/json.hpp>
#include <regex>
#include <set>
#include <thread>

using namespace std::chrono_literals;
using sdktest::Reply;
using sdktest::UdpCameras;

namespace {

const LprSdk& Sdk() {
    return LprNetworkSdk();
}

struct Reports {
    std::mutex mutex;
    std::vector<std::pair<std::string, uint32_t>> found; // only ours: 127.77.*
    std::vector<std::thread::id> threads;
    bool badArguments = false;
};

void OnFound(uint32_t r1, const char* address, uint32_t port, uint32_t r4, uint32_t r5, uint32_t r6,
             void* user) {
    auto* reports = static_cast<Reports*>(user);
    std::lock_guard<std::mutex> lock(reports->mutex);
    if (r1 != 0 || r4 != 0 || r5 != 0 || r6 != 0) {
        reports->badArguments = true;
    }
    if (std::string(address).rfind("127.77.", 0) == 0) {
        reports->found.emplace_back(address, port);
        reports->threads.push_back(std::this_thread::get_id());
    }
}

std::string Hello(const std::string& nonce, const std::string& port,
                  const std::string& op = "hello") {
    return R"({"op":")" + op + R"(","v":1,"nonce":")" + nonce + R"(","port":)" + port +
           R"(,"model":"m","serial":"s","version":"5.1.7.2"})";
}

std::vector<Reply> Answers(const std::string& nonce) {
    std::string padded = Hello(nonce, "80");
    padded.insert(padded.size() - 1, R"(,"pad":")" + std::string(1100, 'x') + "\"");
    return {
        {"127.77.0.2", Hello(nonce, "80")},
        {"127.77.0.2", Hello(nonce, "80")}, // the same camera again
        {"127.77.0.3", Hello(nonce, "8080")},
        {"127.77.0.2", Hello(nonce, "81")}, // same address, other port: another camera
        {"127.77.0.4", padded},             // over 1024 bytes
        {"127.77.0.5", Hello(nonce, "80", "probe")},
        {"127.77.0.6", Hello("0123456789abcdef", "80")},
        {"127.77.0.7", Hello(nonce, "0")},
        {"127.77.0.8", Hello(nonce, "70000")},
        {"127.77.0.9", Hello(nonce, "\"80\"")},
        {"127.77.0.10", Hello(nonce, "80.5")},
        {"127.77.0.11", "{\"op\":\"hello\",\"nonce\":\"" + nonce + "\",\"port\":80"},
        {"127.77.0.12", std::string("\x00\xff\xfe garbage", 11)},
    };
}

TEST(SdkSearch, ReportsEachCameraOncePerSearchAndDropsEveryBadHello) {
    UdpCameras cameras(Answers);
    setenv("TOLVANE_DISCOVERY_PORT", std::to_string(cameras.Port()).c_str(), 1);
    Reports reports;
    ASSERT_EQ(Sdk().LprStartFindDevice(OnFound, &reports), 0);
    std::this_thread::sleep_for(2500ms); // two probe rounds
    auto stopping = std::chrono::steady_clock::now();
    Sdk().LprStopFindDevice();
    EXPECT_LT(std::chrono::steady_clock::now() - stopping, 300ms);

    std::multiset<std::pair<std::string, uint32_t>> found(reports.found.begin(),
                                                          reports.found.end());
    std::multiset<std::pair<std::string, uint32_t>> expected = {
        {"127.77.0.2", 80}, {"127.77.0.3", 8080}, {"127.77.0.2", 81}};
    EXPECT_EQ(found, expected);
    EXPECT_FALSE(reports.badArguments);
    for (auto id : reports.threads) {
        EXPECT_NE(id, std::this_thread::get_id());
    }

    // The probes: the protocol's text, one nonce per search, repeated after 2 s.
    auto probes = cameras.Probes();
    ASSERT_GE(probes.size(), 2u);
    std::set<std::string> texts;
    for (const auto& [text, at] : probes) {
        texts.insert(text);
    }
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_TRUE(std::regex_match(*texts.begin(),
                                 std::regex(R"(\{"op":"probe","v":1,"nonce":"[0-9a-f]{16}"\})")))
        << *texts.begin();
    EXPECT_LT(probes.front().second, 500);
    EXPECT_GE(probes.back().second - probes.front().second, 1800);

    // A new search reports them again, with a new nonce.
    Reports again;
    ASSERT_EQ(Sdk().LprStartFindDevice(OnFound, &again), 0);
    auto deadline = std::chrono::steady_clock::now() + 2s;
    while (std::chrono::steady_clock::now() < deadline) {
        std::lock_guard<std::mutex> lock(again.mutex);
        if (again.found.size() >= 3) {
            break;
        }
    }
    Sdk().LprStopFindDevice();
    EXPECT_EQ(again.found.size(), 3u);
    EXPECT_NE(cameras.Probes().back().first, *texts.begin());
    unsetenv("TOLVANE_DISCOVERY_PORT");
}

TEST(SdkSearch, AFloodOfForgedHellosReportsAtMostTheLimitAndCountsTheRest) {
    // Distinct cameras: two addresses with 2200 ports each, answering the
    // first probe round only, and a camera already reported answering again.
    constexpr int kPerAddress = 2200;
    std::atomic<int> rounds{0};
    UdpCameras cameras([&](const std::string& nonce) {
        std::vector<Reply> replies;
        if (rounds.fetch_add(1) > 0) {
            return replies;
        }
        for (int port = 1; port <= kPerAddress; ++port) {
            for (const char* from : {"127.77.1.1", "127.77.1.2"}) {
                replies.push_back({from, Hello(nonce, std::to_string(port))});
            }
        }
        replies.push_back({"127.77.1.1", Hello(nonce, "1")});
        return replies;
    });
    setenv("TOLVANE_DISCOVERY_PORT", std::to_string(cameras.Port()).c_str(), 1);
    Reports reports;
    ASSERT_EQ(Sdk().LprStartFindDevice(OnFound, &reports), 0);
    const uint32_t expectedDrops = 2 * kPerAddress - LPR_MAX_CAMERAS_PER_SEARCH;
    auto deadline = std::chrono::steady_clock::now() + 20s;
    while (std::chrono::steady_clock::now() < deadline &&
           Sdk().LprGetSearchDropCount() < expectedDrops) {
        std::this_thread::sleep_for(20ms);
    }
    std::this_thread::sleep_for(200ms); // the duplicate, and anything unexpected
    Sdk().LprStopFindDevice();
    std::set<std::pair<std::string, uint32_t>> distinct(reports.found.begin(), reports.found.end());
    EXPECT_EQ(reports.found.size(), LPR_MAX_CAMERAS_PER_SEARCH);
    EXPECT_EQ(distinct.size(), reports.found.size());
    EXPECT_EQ(Sdk().LprGetSearchDropCount(), expectedDrops);

    // The next search starts counting afresh.
    Reports again;
    ASSERT_EQ(Sdk().LprStartFindDevice(OnFound, &again), 0);
    EXPECT_EQ(Sdk().LprGetSearchDropCount(), 0u);
    Sdk().LprStopFindDevice();
    unsetenv("TOLVANE_DISCOVERY_PORT");
}

void StopInsideCallback(uint32_t r1, const char* address, uint32_t port, uint32_t r4, uint32_t r5,
                        uint32_t r6, void* user) {
    OnFound(r1, address, port, r4, r5, r6, user);
    Sdk().LprStopFindDevice(); // must neither deadlock nor join itself
}

TEST(SdkSearch, StopIsHarmlessAnywhereAndRestartReplacesTheSearch) {
    Sdk().LprStopFindDevice(); // none running
    UdpCameras cameras(Answers);
    setenv("TOLVANE_DISCOVERY_PORT", std::to_string(cameras.Port()).c_str(), 1);
    Reports first;
    Reports second;
    ASSERT_EQ(Sdk().LprStartFindDevice(StopInsideCallback, &first), 0);
    std::this_thread::sleep_for(300ms);
    ASSERT_EQ(Sdk().LprStartFindDevice(OnFound, &second), 0);
    std::this_thread::sleep_for(300ms);
    Sdk().LprStopFindDevice();
    Sdk().LprStopFindDevice();
    EXPECT_EQ(first.found.size(), 1u); // stopped after its first report
    EXPECT_EQ(second.found.size(), 3u);
    EXPECT_NE(Sdk().LprStartFindDevice(nullptr, nullptr), 0);
    unsetenv("TOLVANE_DISCOVERY_PORT");
}

} // namespace
