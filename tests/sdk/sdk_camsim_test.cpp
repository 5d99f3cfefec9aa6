// The network SDK against the camera simulator on loopback: the whole life
// of a camera (log-in, upload, flash, restart, new version, shell), the
// simulator's faults, discovery of a fleet, and six workers at once.
#include "camsim_gtest.h"
#include "sdk/lpr_sdk.h"

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <mutex>
#include <set>
#include <thread>
#include <unistd.h>

using namespace std::chrono_literals;
using harness::CamsimProcess;
using Clock = std::chrono::steady_clock;

namespace {

const LprSdk& Sdk() {
    return LprNetworkSdk();
}

// Written as 18080 in the fleets below; this process's own port in fact.
const uint16_t kPort = harness::ProcessCameraPort();

// Every test its own loopback range and discovery port, so that tests and
// other engineers' simulators can run side by side.
std::vector<std::string> CamsimArgs(const std::string& fleetJson) {
    char name[] = "/tmp/sdk_fleet_XXXXXX";
    int fd = mkstemp(name);
    close(fd);
    std::ofstream(name) << harness::WithCameraPort(fleetJson);
    return {"--fleet", name, "--time-scale", "0.01"};
}

class Image {
public:
    Image(const std::string& platform, const std::string& version, int payload = 1 << 20) {
        char name[] = "/tmp/sdk_fw_XXXXXX";
        int fd = mkstemp(name);
        close(fd);
        path_ = name;
        ok_ = harness::RunProgram({MKFWIMAGE_BINARY, "image", "--platform", platform, "--version",
                                   version, "--payload-size", std::to_string(payload), "-o", path_})
                  .exitCode == 0;
    }
    ~Image() { unlink(path_.c_str()); }
    const char* Path() const { return path_.c_str(); }
    bool Ok() const { return ok_; }

private:
    std::string path_;
    bool ok_ = false;
};

// Polls like the engine (without its long sleeps) until an outcome; the
// distinct states in the order first seen.
std::vector<int32_t> UploadStates(LprHandle handle, int32_t& error) {
    std::vector<int32_t> seen;
    auto deadline = Clock::now() + 30s;
    while (Clock::now() < deadline) {
        int32_t state = Sdk().LprUpdateGetState(handle);
        if (seen.empty() || seen.back() != state) {
            seen.push_back(state);
        }
        if (state == 1 || state == 4 || state == -1) {
            error = Sdk().LprUpdateGetError();
            break;
        }
        std::this_thread::sleep_for(20ms);
    }
    return seen;
}

bool WaitConnected(LprHandle handle, std::chrono::milliseconds limit) {
    auto deadline = Clock::now() + limit;
    while (Clock::now() < deadline) {
        uint8_t status[2] = {0, 0};
        Sdk().LprIsConnected(handle, status);
        if (status[0] == 1) {
            return true;
        }
        std::this_thread::sleep_for(50ms);
    }
    return false;
}

std::array<int32_t, 4> Version(LprHandle handle) {
    std::array<int32_t, 4> v{-9, -9, -9, -9};
    if (Sdk().LprGetVersion(handle, &v[0], &v[1], &v[2], &v[3]) != 0) {
        return {-1, -1, -1, -1};
    }
    return v;
}

TEST(SdkCamsim, UpgradeRestartAndShellKeepOneHandle) {
    CamsimProcess sim(CAMSIM_BINARY,
                      CamsimArgs(R"([{"address":"127.61.1.2","port":18080,"version":"5.1.7.2"}])"));
    ASSERT_TRUE(sim.WaitReady());
    Image image("DM3730", "5.1.7.3", 2 << 20);
    Image foreign("DM8127", "5.5.6.3");
    ASSERT_TRUE(image.Ok() && foreign.Ok());

    EXPECT_EQ(Sdk().LprOpen("127.61.1.2", kPort, "admin", "wrong"), nullptr);
    LprHandle handle = Sdk().LprOpen("127.61.1.2", kPort, "admin", "ploma");
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(Version(handle), (std::array<int32_t, 4>{5, 1, 7, 2}));

    for (const char* command :
         {"rm /mnt/log/boa_log/*", "rm /mnt/log/ivs* ", "./feeddog &", "killall av_server.out"}) {
        EXPECT_EQ(Sdk().RemoteShellExec("127.61.1.2", command), 0) << command;
    }
    EXPECT_NE(Sdk().RemoteShellExec("127.61.1.2", "reboot -f"), 0);

    ASSERT_EQ(Sdk().LprUpdateStart(handle, image.Path()), 0);
    int32_t error = 0;
    std::vector<int32_t> states = UploadStates(handle, error);
    ASSERT_FALSE(states.empty());
    EXPECT_EQ(states.back(), 1);
    EXPECT_EQ(states.front(), 2);
    for (int32_t state : states) {
        EXPECT_TRUE(state == 2 || state == 3 || state == 1) << state;
    }

    EXPECT_EQ(Sdk().LprReboot(handle), 0);
    uint8_t status[2] = {0, 0};
    Sdk().LprIsConnected(handle, status);
    EXPECT_EQ(status[0], 0); // still restarting
    ASSERT_TRUE(WaitConnected(handle, 20s));
    EXPECT_EQ(Version(handle), (std::array<int32_t, 4>{5, 1, 7, 3})); // same handle

    // The same image again is already installed; another platform's is refused.
    ASSERT_EQ(Sdk().LprUpdateStart(handle, image.Path()), 0);
    EXPECT_EQ(UploadStates(handle, error).back(), 4);
    EXPECT_EQ(error, LPR_ERR_ALREADY_INSTALLED);
    ASSERT_EQ(Sdk().LprUpdateStart(handle, foreign.Path()), 0);
    EXPECT_EQ(UploadStates(handle, error).back(), 4);
    EXPECT_EQ(error, LPR_ERR_WRONG_PLATFORM);
    Sdk().LprClose(handle);
    EXPECT_NE(Sdk().RemoteShellExec("127.61.1.2", "./feeddog &"), 0); // no handle any more
}

// Two cameras behind one address (port forwarding): while handles to both
// are open, a shell command by address alone could reach either, so none is
// sent; with one port left it goes to that camera.
TEST(SdkCamsim, ShellCommandsByAddressNeedOnePortAmongTheOpenHandles) {
    const uint16_t other = kPort == 65535 ? kPort - 1 : kPort + 1;
    CamsimProcess sim(CAMSIM_BINARY, CamsimArgs(R"([{"address":"127.61.9.2","port":18080},
                                     {"address":"127.61.9.2","port":)" +
                                                std::to_string(other) + "}]"));
    ASSERT_TRUE(sim.WaitReady());
    auto shellsRun = [&] {
        std::vector<std::pair<int, std::string>> run;
        for (const auto& event : sim.Events()) {
            if (event.value("request", "") == "POST /api/v1/shell" &&
                event.value("outcome", "").rfind("200", 0) == 0) {
                run.emplace_back(event.value("port", 0), event.value("detail", ""));
            }
        }
        return run;
    };
    LprHandle first = Sdk().LprOpen("127.61.9.2", kPort, "admin", "ploma");
    LprHandle again = Sdk().LprOpen("127.61.9.2", kPort, "admin", "ploma");
    ASSERT_NE(first, nullptr);
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(Sdk().RemoteShellExec("127.61.9.2", "./feeddog &"), 0); // one port, two handles
    LprHandle second = Sdk().LprOpen("127.61.9.2", other, "admin", "ploma");
    ASSERT_NE(second, nullptr);
    EXPECT_NE(Sdk().RemoteShellExec("127.61.9.2", "killall av_server.out"), 0);
    Sdk().LprClose(second);
    EXPECT_EQ(Sdk().RemoteShellExec("127.61.9.2", "rm /mnt/log/ivs* "), 0);
    Sdk().LprClose(first);
    Sdk().LprClose(again);
    second = Sdk().LprOpen("127.61.9.2", other, "admin", "ploma");
    EXPECT_EQ(Sdk().RemoteShellExec("127.61.9.2", "killall av_server.out"), 0);
    Sdk().LprClose(second);
    EXPECT_EQ(shellsRun(),
              (std::vector<std::pair<int, std::string>>{{kPort, "./feeddog &"},
                                                        {kPort, "rm /mnt/log/ivs* "},
                                                        {other, "killall av_server.out"}}));
}

TEST(SdkCamsim, SimulatedFaultsEndWithTheProtocolsCodes) {
    CamsimProcess sim(CAMSIM_BINARY, CamsimArgs(R"({"defaults":{"port":18080},"cameras":[
        {"address":"127.61.2.2","version":"5.1.7.2","faults":{"refuse_login":true}},
        {"address":"127.61.2.3","version":"5.1.7.2","faults":{"flash_fail":true}},
        {"address":"127.61.2.4","version":"5.1.7.2","faults":{"drop_upload_at_percent":50}},
        {"address":"127.61.2.5","version":"6.2.1.2"},
        {"address":"127.61.2.6","version":"5.1.7.2","faults":{"shell_fail":{"./feeddog &":1}}},
        {"address":"127.61.2.7","version":"5.1.7.2","faults":{"no_return_after_restart":true}},
        {"address":"127.61.2.8","version":"6.2.1.2","faults":{"drop_upload_at_percent":50}}]})"));
    ASSERT_TRUE(sim.WaitReady());
    Image dm3730("DM3730", "5.1.7.3", 4 << 20);
    Image hs3516("HS3516", "6.2.1.3");
    ASSERT_TRUE(dm3730.Ok() && hs3516.Ok());

    EXPECT_EQ(Sdk().LprOpen("127.61.2.2", kPort, "admin", "ploma"), nullptr);

    struct Case {
        const char* address;
        const Image* image;
        int32_t state;
        int32_t error;
    };
    for (const Case& c : {Case{"127.61.2.3", &dm3730, 4, LPR_ERR_FLASH_FAILED},
                          Case{"127.61.2.4", &dm3730, -1, LPR_ERR_LOST_WHILE_SENDING},
                          Case{"127.61.2.5", &hs3516, -1, LPR_ERR_CONNECTION_LOST},
                          Case{"127.61.2.8", &hs3516, -1, LPR_ERR_LOST_WHILE_SENDING}}) {
        LprHandle handle = Sdk().LprOpen(c.address, kPort, "admin", "ploma");
        ASSERT_NE(handle, nullptr) << c.address;
        ASSERT_EQ(Sdk().LprUpdateStart(handle, c.image->Path()), 0);
        int32_t error = 0;
        EXPECT_EQ(UploadStates(handle, error).back(), c.state) << c.address;
        EXPECT_EQ(error, c.error) << c.address;
        Sdk().LprClose(handle);
    }

    LprHandle shell = Sdk().LprOpen("127.61.2.6", kPort, "admin", "ploma");
    ASSERT_NE(shell, nullptr);
    EXPECT_NE(Sdk().RemoteShellExec("127.61.2.6", "./feeddog &"), 0);
    EXPECT_EQ(Sdk().RemoteShellExec("127.61.2.6", "killall av_server.out"), 0);
    Sdk().LprClose(shell);

    LprHandle gone = Sdk().LprOpen("127.61.2.7", kPort, "admin", "ploma");
    ASSERT_NE(gone, nullptr);
    EXPECT_EQ(Sdk().LprReboot(gone), 0);
    EXPECT_FALSE(WaitConnected(gone, 1500ms)); // restart time is 250 ms here
    auto closing = Clock::now();
    Sdk().LprClose(gone);
    EXPECT_LT(Clock::now() - closing, 100ms);
}

TEST(SdkCamsim, SilentSimulatedCameraFailsTheLogInAtItsBound) {
    CamsimProcess sim(CAMSIM_BINARY, CamsimArgs(R"([{"address":"127.61.3.2","port":18080,
        "version":"5.1.7.2","faults":{"stop_answering":true}}])"));
    ASSERT_TRUE(sim.WaitReady());
    auto start = Clock::now();
    EXPECT_EQ(Sdk().LprOpen("127.61.3.2", kPort, "admin", "ploma"), nullptr);
    EXPECT_GE(Clock::now() - start, 9500ms);
    EXPECT_LT(Clock::now() - start, 11500ms);
}

TEST(SdkCamsim, TricklingSimulatedCameraFailsTheLogInAtItsBound) {
    CamsimProcess sim(CAMSIM_BINARY, CamsimArgs(R"([{"address":"127.61.3.3","port":18080,
        "version":"5.1.7.2","faults":{"trickle_ms":60}}])"));
    ASSERT_TRUE(sim.WaitReady());
    auto start = Clock::now();
    EXPECT_EQ(Sdk().LprOpen("127.61.3.3", kPort, "admin", "ploma"), nullptr);
    EXPECT_LT(Clock::now() - start, 11500ms);
}

struct Found {
    std::mutex mutex;
    std::set<std::pair<std::string, uint32_t>> cameras;
};

void OnFound(uint32_t, const char* address, uint32_t port, uint32_t, uint32_t, uint32_t,
             void* user) {
    auto* found = static_cast<Found*>(user);
    std::lock_guard<std::mutex> lock(found->mutex);
    if (std::string(address).rfind("127.61.4.", 0) == 0) {
        found->cameras.emplace(address, port);
    }
}

TEST(SdkCamsim, SearchFindsEveryCameraOfTheFleet) {
    std::string fleet = R"({"defaults":{"version":"5.1.7.2"},"cameras":[)";
    for (int i = 2; i < 42; ++i) {
        fleet += std::string(i > 2 ? "," : "") + R"({"address":"127.61.4.)" + std::to_string(i) +
                 R"(","port":18080})";
    }
    CamsimProcess sim(CAMSIM_BINARY, CamsimArgs(fleet + "]}"));
    ASSERT_TRUE(sim.WaitReady());
    setenv("TOLVANE_DISCOVERY_PORT", std::to_string(sim.DiscoveryPort()).c_str(), 1);
    Found found;
    ASSERT_EQ(Sdk().LprStartFindDevice(OnFound, &found), 0);
    // Ends as soon as all are in; the bound leaves room for a loaded machine.
    auto deadline = Clock::now() + 15s;
    while (Clock::now() < deadline) {
        {
            std::lock_guard<std::mutex> lock(found.mutex);
            if (found.cameras.size() == 40) {
                break;
            }
        }
        std::this_thread::sleep_for(10ms);
    }
    Sdk().LprStopFindDevice();
    unsetenv("TOLVANE_DISCOVERY_PORT");
    ASSERT_EQ(found.cameras.size(), 40u);
    EXPECT_EQ(found.cameras.count({"127.61.4.9", kPort}), 1u);
}

TEST(SdkCamsim, SixWorkersUpgradeSixCamerasAtOnce) {
    std::string fleet = R"({"defaults":{"port":18080,"version":"5.1.7.2"},"cameras":[)";
    for (int i = 2; i < 8; ++i) {
        fleet += std::string(i > 2 ? "," : "") + R"({"address":"127.61.5.)" + std::to_string(i) +
                 "\"" + (i % 2 == 1 ? R"(,"faults":{"flash_fail":true})" : "") + "}";
    }
    CamsimProcess sim(CAMSIM_BINARY, CamsimArgs(fleet + "]}"));
    ASSERT_TRUE(sim.WaitReady());
    Image image("DM3730", "5.1.7.3", 2 << 20);
    ASSERT_TRUE(image.Ok());
    std::atomic<int> succeeded{0};
    std::atomic<int> failedAsExpected{0};
    std::vector<std::thread> workers;
    for (int i = 2; i < 8; ++i) {
        workers.emplace_back([&, i] {
            std::string address = "127.61.5." + std::to_string(i);
            LprHandle handle = Sdk().LprOpen(address.c_str(), kPort, "admin", "ploma");
            if (handle == nullptr || Version(handle)[0] != 5 ||
                Sdk().LprUpdateStart(handle, image.Path()) != 0) {
                Sdk().LprClose(handle);
                return;
            }
            int32_t error = 0;
            int32_t last = UploadStates(handle, error).back();
            if (i % 2 == 1) {
                // Each worker reads the error of its own transfer.
                if (last == 4 && error == LPR_ERR_FLASH_FAILED &&
                    Sdk().LprUpdateGetError() == LPR_ERR_FLASH_FAILED) {
                    failedAsExpected.fetch_add(1);
                }
            } else if (last == 1 && Sdk().LprReboot(handle) == 0 && WaitConnected(handle, 20s) &&
                       Version(handle)[3] == 3 && Sdk().LprUpdateGetError() == 0) {
                succeeded.fetch_add(1);
            }
            Sdk().LprClose(handle);
        });
    }
    for (std::thread& worker : workers) {
        worker.join();
    }
    EXPECT_EQ(succeeded.load(), 3);
    EXPECT_EQ(failedAsExpected.load(), 3);
}

} // namespace

struct Answers {
    std::mutex mutex;
    std::vector<std::pair<std::string, uint32_t>> cameras;
    Clock::time_point last{};
};

void OnAnswer(uint32_t, const char* address, uint32_t port, uint32_t, uint32_t, uint32_t,
              void* user) {
    auto* answers = static_cast<Answers*>(user);
    std::lock_guard<std::mutex> lock(answers->mutex);
    answers->cameras.emplace_back(address, port);
    answers->last = Clock::now();
}

uint32_t Loopback(uint32_t b, uint32_t c, uint32_t d) {
    return (127u << 24) | (b << 16) | (c << 8) | d;
}

// Unicast probes over a loopback range find exactly the cameras in it, once
// each, no faster than the pace allows; an address without a camera stays
// silent; a long scan stops at once.
TEST(SdkCamsim, UnicastProbesFindCamerasOfARangeOnceEach) {
    CamsimProcess sim(CAMSIM_BINARY, CamsimArgs(R"({"defaults":{"port":18080},"cameras":[
        {"address":"127.62.0.10"},{"address":"127.62.0.40","port":18081},
        {"address":"127.62.0.100"},{"address":"127.62.1.2"}]})"));
    ASSERT_TRUE(sim.WaitReady());
    setenv("TOLVANE_DISCOVERY_PORT", std::to_string(sim.DiscoveryPort()).c_str(), 1);

    std::vector<uint32_t> range;
    for (uint32_t d = 1; d <= 100; ++d) {
        range.push_back(Loopback(62, 0, d));
    }
    range.push_back(Loopback(62, 0, 10)); // twice in one call: reported once
    Answers answers;
    const auto start = Clock::now();
    ASSERT_EQ(Sdk().LprProbeAddresses(range.data(), static_cast<uint32_t>(range.size()), OnAnswer,
                                      &answers),
              0);
    std::this_thread::sleep_for(std::chrono::milliseconds(LprProbeDurationMs(101) + 500));
    {
        std::lock_guard<std::mutex> lock(answers.mutex);
        std::set<std::pair<std::string, uint32_t>> unique(answers.cameras.begin(),
                                                          answers.cameras.end());
        EXPECT_EQ(answers.cameras.size(), 3u);
        EXPECT_EQ(unique,
                  (std::set<std::pair<std::string, uint32_t>>{
                      {"127.62.0.10", kPort}, {"127.62.0.40", 18081u}, {"127.62.0.100", kPort}}));
        // The 100th probe leaves 99 spacings of 2 ms after the first.
        EXPECT_GE(answers.last - start, 190ms);
    }

    Answers silent;
    const uint32_t nobody = Loopback(62, 1, 3);
    ASSERT_EQ(Sdk().LprProbeAddresses(&nobody, 1, OnAnswer, &silent), 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(LprProbeDurationMs(1)));
    EXPECT_TRUE(silent.cameras.empty());

    std::vector<uint32_t> block;
    for (uint32_t i = 0; i < LPR_PROBE_MAX_ADDRESSES + 1; ++i) {
        block.push_back(Loopback(62, 16 + i / 256, i % 256));
    }
    Answers stopped;
    EXPECT_EQ(Sdk().LprProbeAddresses(block.data(), static_cast<uint32_t>(block.size()), OnAnswer,
                                      &stopped),
              -1);
    ASSERT_EQ(Sdk().LprProbeAddresses(block.data(), LPR_PROBE_MAX_ADDRESSES, OnAnswer, &stopped),
              0);
    std::this_thread::sleep_for(50ms);
    const auto stopAt = Clock::now();
    Sdk().LprStopFindDevice();
    EXPECT_LT(Clock::now() - stopAt, 500ms);
    unsetenv("TOLVANE_DISCOVERY_PORT");
}
